// Feeds arbitrary bytes to the wave decoder (libsndfile behind our reading from memory): it
// must never crash nor read outside them, and a cue it accepts must be self-consistent.
#include "WavDecoder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    tavorim::DecodedCue cue;
    const tavorim::SoundError error = tavorim::decodeWav(std::span(data, size), cue);
    if (error == tavorim::SoundError::None) {
        const bool sane = (cue.channels == 1 || cue.channels == 2) && cue.sampleRate > 0 &&
                          cue.samples.size() % std::size_t(cue.channels) == 0;
        if (!sane)
            std::abort();
    } else if (error != tavorim::SoundError::NotWave &&
               error != tavorim::SoundError::UnsupportedFormat) {
        std::abort();
    } else if (!cue.samples.empty()) {
        std::abort();
    }
    return 0;
}
