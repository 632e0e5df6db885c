#include "WavDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace tavorim {

namespace {

// Longer than any cue can be: a file that decodes to more is refused before it fills memory
// (some encodings take ten times less room in the file than decoded).
constexpr std::size_t LargestDecodedSamples = 32 * 1024 * 1024;

// Above what any sound system plays (PulseAudio stops at 384 kHz).
constexpr int HighestRate = 768000;

constexpr sf_count_t BlockFrames = 4096;

// libsndfile reads the file from memory through these.
struct MemoryFile {
    std::span<const std::uint8_t> bytes;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void *file) {
    return sf_count_t(static_cast<MemoryFile *>(file)->bytes.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void *file) {
    auto *f = static_cast<MemoryFile *>(file);
    const sf_count_t size = sf_count_t(f->bytes.size());
    const sf_count_t base = whence == SEEK_CUR ? f->position : whence == SEEK_END ? size : 0;
    // Kept within the bytes, whatever the offset (a size field may say anything).
    f->position = offset < -base ? 0 : offset > size - base ? size : base + offset;
    return f->position;
}

sf_count_t memoryRead(void *to, sf_count_t count, void *file) {
    auto *f = static_cast<MemoryFile *>(file);
    const sf_count_t n =
        std::clamp<sf_count_t>(count, 0, sf_count_t(f->bytes.size()) - f->position);
    std::memcpy(to, f->bytes.data() + f->position, std::size_t(n));
    f->position += n;
    return n;
}

sf_count_t memoryWrite(const void *, sf_count_t, void *) {
    return 0;
}

sf_count_t memoryTell(void *file) {
    return static_cast<MemoryFile *>(file)->position;
}

enum Side { Left = 1, Right = 2, Both = Left | Right, Neither = 0 };

Side sideOf(int position) {
    switch (position) {
    case SF_CHANNEL_MAP_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT:
    case SF_CHANNEL_MAP_REAR_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT_OF_CENTER:
    case SF_CHANNEL_MAP_SIDE_LEFT:
    case SF_CHANNEL_MAP_TOP_FRONT_LEFT:
    case SF_CHANNEL_MAP_TOP_REAR_LEFT:
        return Left;
    case SF_CHANNEL_MAP_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT:
    case SF_CHANNEL_MAP_REAR_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT_OF_CENTER:
    case SF_CHANNEL_MAP_SIDE_RIGHT:
    case SF_CHANNEL_MAP_TOP_FRONT_RIGHT:
    case SF_CHANNEL_MAP_TOP_REAR_RIGHT:
        return Right;
    case SF_CHANNEL_MAP_LFE:
        return Neither;
    default:
        return Both;
    }
}

// Each channel's side, from the file's speaker positions or the standard order; the low-frequency
// channel is left out, and a side no channel reaches takes the other's.
std::vector<Side> mixSides(SNDFILE *file, int channels) {
    std::vector<int> positions(std::size_t(channels), SF_CHANNEL_MAP_INVALID);
    if (sf_command(file, SFC_GET_CHANNEL_MAP_INFO, positions.data(),
                   int(positions.size() * sizeof(int))) != SF_TRUE) {
        constexpr std::array StandardOrder{SF_CHANNEL_MAP_FRONT_LEFT,
                                           SF_CHANNEL_MAP_FRONT_RIGHT,
                                           SF_CHANNEL_MAP_FRONT_CENTER,
                                           SF_CHANNEL_MAP_LFE,
                                           SF_CHANNEL_MAP_REAR_LEFT,
                                           SF_CHANNEL_MAP_REAR_RIGHT,
                                           SF_CHANNEL_MAP_FRONT_LEFT_OF_CENTER,
                                           SF_CHANNEL_MAP_FRONT_RIGHT_OF_CENTER,
                                           SF_CHANNEL_MAP_REAR_CENTER,
                                           SF_CHANNEL_MAP_SIDE_LEFT,
                                           SF_CHANNEL_MAP_SIDE_RIGHT};
        for (std::size_t c = 0; c < positions.size() && c < StandardOrder.size(); ++c)
            positions[c] = StandardOrder[c];
    }
    std::vector<Side> sides;
    int reached = Neither;
    for (int position : positions) {
        sides.push_back(sideOf(position));
        reached |= sides.back();
    }
    for (Side &side : sides) {
        if (reached == Neither || (reached != Both && side != Neither))
            side = Both;
    }
    return sides;
}

std::int16_t toSample(float value) {
    float scaled = value * 32768.0f;
    if (std::isnan(scaled))
        scaled = 0;
    return std::int16_t(std::lrint(std::clamp(scaled, -32768.0f, 32767.0f)));
}

struct FileCloser {
    void operator()(SNDFILE *file) const { sf_close(file); }
};

} // namespace

SoundError decodeWav(std::span<const std::uint8_t> bytes, DecodedCue &cue) {
    cue = {};
    if (!isWaveContainer(bytes))
        return SoundError::NotWave;

    MemoryFile memory{bytes};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, FileCloser> file(sf_open_virtual(&io, SFM_READ, &info, &memory));
    if (!file)
        return SoundError::UnsupportedFormat;
    const int type = info.format & SF_FORMAT_TYPEMASK;
    if (type != SF_FORMAT_WAV && type != SF_FORMAT_WAVEX && type != SF_FORMAT_RF64)
        return SoundError::NotWave;
    if (info.channels < 1 || info.samplerate < 1 || info.samplerate > HighestRate)
        return SoundError::UnsupportedFormat;

    const int channels = info.channels;
    const int outChannels = std::min(channels, 2);
    std::vector<Side> sides;
    std::array<float, 2> weights{1, 1};
    if (channels > 2) {
        sides = mixSides(file.get(), channels);
        std::array<int, 2> count{0, 0};
        for (Side side : sides) {
            count[0] += (side & Left) ? 1 : 0;
            count[1] += (side & Right) ? 1 : 0;
        }
        weights = {1.0f / float(count[0]), 1.0f / float(count[1])};
    }

    std::vector<float> block(std::size_t(BlockFrames) * std::size_t(channels));
    for (;;) {
        const sf_count_t got = sf_readf_float(file.get(), block.data(), BlockFrames);
        if (got <= 0)
            break;
        if (cue.samples.size() + std::size_t(got) * std::size_t(outChannels) >
            LargestDecodedSamples) {
            cue = {};
            return SoundError::UnsupportedFormat;
        }
        for (sf_count_t frame = 0; frame < got; ++frame) {
            const float *in = block.data() + frame * channels;
            if (channels <= 2) {
                for (int c = 0; c < channels; ++c)
                    cue.samples.push_back(toSample(in[c]));
                continue;
            }
            std::array<float, 2> mix{0, 0};
            for (int c = 0; c < channels; ++c) {
                if (sides[std::size_t(c)] & Left)
                    mix[0] += in[c];
                if (sides[std::size_t(c)] & Right)
                    mix[1] += in[c];
            }
            cue.samples.push_back(toSample(mix[0] * weights[0]));
            cue.samples.push_back(toSample(mix[1] * weights[1]));
        }
    }
    cue.channels = outChannels;
    cue.sampleRate = info.samplerate;
    return SoundError::None;
}

} // namespace tavorim
