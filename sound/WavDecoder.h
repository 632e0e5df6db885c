#pragma once

// Wave files of any encoding, decoded through libsndfile. Built into the audio output module
// (and the tests), never into the program: only isWaveContainer is for the program's own use.

#include "SoundError.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace tavorim {

// A decoded cue: 16-bit signed samples, one or two channels, interleaved.
struct DecodedCue {
    int channels = 0;
    int sampleRate = 0;
    std::vector<std::int16_t> samples; // whole frames only

    std::size_t frameCount() const {
        return channels > 0 ? samples.size() / std::size_t(channels) : 0;
    }
};

// A RIFF or RF64 container of form WAVE: what the file's first 12 bytes say, nothing more.
inline bool isWaveContainer(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 12 &&
           (std::memcmp(bytes.data(), "RIFF", 4) == 0 ||
            std::memcmp(bytes.data(), "RF64", 4) == 0) &&
           std::memcmp(bytes.data() + 8, "WAVE", 4) == 0;
}

// Any WAV, WAVEX or RF64 libsndfile reads, at its own rate, mixed down to stereo; decoded up to
// the first fault. UnsupportedFormat also for a cue too long or a rate no sound system plays.
SoundError decodeWav(std::span<const std::uint8_t> bytes, DecodedCue &cue);

} // namespace tavorim
