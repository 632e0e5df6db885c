#include "WavReader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tavorim {

namespace {

constexpr std::uint16_t FormatPcm = 0x0001;
constexpr std::uint16_t FormatExtensible = 0xFFFE;

// KSDATAFORMAT_SUBTYPE_PCM as it is stored in the file.
constexpr std::array<std::uint8_t, 16> PcmSubFormat = {
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

constexpr std::uint32_t LowestRate = 1000;
constexpr std::uint32_t HighestRate = 384000;

std::uint16_t read16(const std::uint8_t *p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t read32(const std::uint8_t *p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

bool isId(const std::uint8_t *p, const char (&id)[5]) {
    return std::memcmp(p, id, 4) == 0;
}

// Checks the body of a "fmt " chunk and fills in the sound's format.
WavError readFormat(std::span<const std::uint8_t> body, WavSound &sound) {
    // 16: PCMWAVEFORMAT, 18: WAVEFORMATEX, 40: WAVEFORMATEXTENSIBLE; nothing else is a
    // well-formed header for the encodings we play, and a shorter one would be read past.
    if (body.size() != 16 && body.size() != 18 && body.size() != 40)
        return WavError::NotWave;
    const std::uint8_t *p = body.data();
    const std::uint16_t tag = read16(p);
    const std::uint16_t channels = read16(p + 2);
    const std::uint32_t rate = read32(p + 4);
    const std::uint16_t blockAlign = read16(p + 12);
    const std::uint16_t bits = read16(p + 14);

    if (channels == 0 || rate == 0 || bits == 0 || blockAlign == 0)
        return WavError::NotWave;

    if (tag == FormatExtensible) {
        if (body.size() != 40)
            return WavError::NotWave;
        const std::uint16_t extraSize = read16(p + 16);
        const std::uint16_t validBits = read16(p + 18);
        if (extraSize < 22)
            return WavError::NotWave;
        if (!std::equal(PcmSubFormat.begin(), PcmSubFormat.end(), p + 24))
            return WavError::Unsupported;
        if (validBits != 0 && validBits != bits)
            return WavError::Unsupported;
    } else if (tag != FormatPcm) {
        return WavError::Unsupported;
    }

    // A block must hold exactly one sample per channel, whatever the depth.
    if (bits % 8 != 0 || std::uint32_t{blockAlign} != std::uint32_t{channels} * (bits / 8u))
        return WavError::NotWave;
    if (bits != 8 && bits != 16)
        return WavError::Unsupported;
    if (channels > 2)
        return WavError::Unsupported;
    if (rate < LowestRate || rate > HighestRate)
        return WavError::Unsupported;

    sound.channels = channels;
    sound.sampleRate = rate;
    sound.bitsPerSample = bits;
    return WavError::None;
}

} // namespace

WavReadResult readWav(std::span<const std::uint8_t> bytes) {
    WavReadResult result;
    if (bytes.size() < 12 || !isId(bytes.data(), "RIFF") || !isId(bytes.data() + 8, "WAVE"))
        return result;
    // The RIFF size is often wrong (streamed or hand-edited files); the chunks are walked to
    // the real end of the file instead, each chunk's size checked against what is there.
    if (read32(bytes.data() + 4) < 4)
        return result;

    const std::uint64_t end = bytes.size();
    std::uint64_t pos = 12;
    bool haveFormat = false;
    bool haveData = false;
    std::span<const std::uint8_t> data;

    while (end - pos >= 8) {
        const std::uint8_t *header = bytes.data() + pos;
        const std::uint64_t size = read32(header + 4);
        const std::uint64_t bodyStart = pos + 8;
        const std::uint64_t available = end - bodyStart;

        if (isId(header, "fmt ")) {
            if (haveFormat || size > available)
                return result;
            const WavError error = readFormat(bytes.subspan(bodyStart, size), result.sound);
            if (error != WavError::None) {
                result.error = error;
                return result;
            }
            haveFormat = true;
        } else if (isId(header, "data")) {
            if (haveData)
                return result;
            // A data size past the end of the file is cut to what the file holds.
            data = bytes.subspan(bodyStart, std::min(size, available));
            haveData = true;
        }
        // Chunks are word-aligned: an odd-sized chunk is followed by a pad byte.
        pos = bodyStart + size + (size & 1u);
        if (pos >= end)
            break;
    }

    if (!haveFormat || !haveData)
        return result;

    const std::size_t frame = result.sound.bytesPerFrame();
    const std::size_t whole = data.size() - data.size() % frame;
    result.sound.samples.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(whole));
    result.error = WavError::None;
    return result;
}

} // namespace tavorim
