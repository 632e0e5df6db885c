#pragma once

// Builds wave files, good and bad, byte by byte, for the sound tests.

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>

namespace wavtest {

inline void Put16(QByteArray &out, std::uint16_t v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

inline void Put32(QByteArray &out, std::uint32_t v) {
    Put16(out, std::uint16_t(v & 0xFFFF));
    Put16(out, std::uint16_t(v >> 16));
}

struct Chunk {
    QByteArray id;
    QByteArray body;
    std::optional<std::uint32_t> declaredSize = {}; // a lying size field
    bool pad = true;                                // pad byte after an odd body
};

struct Format {
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 22050;
    std::uint16_t bits = 16;
    std::optional<std::uint16_t> blockAlign = {};
    int size = 16; // 16, 18 or 40 laid out properly; anything else is cut or zero-filled
    std::uint16_t validBits = 0;
    bool pcmSubFormat = true;
    std::optional<std::uint32_t> channelMask = {};
};

inline QByteArray FormatBody(const Format &f) {
    QByteArray b;
    const std::uint16_t align = f.blockAlign.value_or(std::uint16_t(f.channels * (f.bits / 8)));
    Put16(b, f.tag);
    Put16(b, f.channels);
    Put32(b, f.rate);
    Put32(b, f.rate * align);
    Put16(b, align);
    Put16(b, f.bits);
    if (f.size >= 18)
        Put16(b, std::uint16_t(f.size == 40 ? 22 : 0));
    if (f.size >= 40) {
        Put16(b, f.validBits ? f.validBits : f.bits);
        Put32(b, f.channelMask.value_or(f.channels == 1 ? 0x4 : 0x3));
        const char pcm[] = "\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";
        const char flt[] = "\x03\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";
        b.append(f.pcmSubFormat ? pcm : flt, 16);
    }
    b.resize(f.size, '\0');
    return b;
}

inline QByteArray Riff(const QList<Chunk> &chunks, std::optional<std::uint32_t> riffSize = {}) {
    QByteArray body("WAVE");
    for (const Chunk &c : chunks) {
        body.append(c.id);
        Put32(body, c.declaredSize.value_or(std::uint32_t(c.body.size())));
        body.append(c.body);
        if (c.pad && c.body.size() % 2 == 1)
            body.append('\0');
    }
    QByteArray out("RIFF");
    Put32(out, riffSize.value_or(std::uint32_t(body.size())));
    return out + body;
}

// 16-bit samples, interleaved.
inline QByteArray Samples16(const QList<std::int16_t> &values) {
    QByteArray out;
    for (std::int16_t v : values)
        Put16(out, std::uint16_t(v));
    return out;
}

inline QByteArray Wav(const Format &format, const QByteArray &data) {
    return Riff({{"fmt ", FormatBody(format)}, {"data", data}});
}

} // namespace wavtest
