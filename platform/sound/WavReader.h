#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tavorim {

// A decoded wave file: uncompressed PCM, 8-bit (unsigned) or 16-bit (signed little-endian),
// one or two channels, interleaved frames exactly as stored in the file.
struct WavSound {
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    std::vector<std::uint8_t> samples; // whole frames only

    std::size_t bytesPerFrame() const { return std::size_t{channels} * (bitsPerSample / 8u); }
};

enum class WavError {
    None,
    NotWave,    // not a RIFF/WAVE file, or a malformed one
    Unsupported // a well-formed wave file in an encoding we do not play
};

struct WavReadResult {
    WavError error = WavError::NotWave;
    WavSound sound;
};

// Reads a whole RIFF/WAVE file held in memory. Strict about structure, never trusts a size
// field: every bad input gives an error, never a read outside the bytes.
WavReadResult readWav(std::span<const std::uint8_t> bytes);

} // namespace tavorim
