// Feeds arbitrary bytes to the wave reader: it must never crash nor read outside them, and a
// file it accepts must be self-consistent.
#include "WavBuilder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const tavorim::WavReadResult result = tavorim::readWav(std::span(data, size));
    if (result.error == tavorim::WavError::None) {
        const tavorim::WavSound &sound = result.sound;
        const bool sane = (sound.channels == 1 || sound.channels == 2) &&
                          (sound.bitsPerSample == 8 || sound.bitsPerSample == 16) &&
                          sound.samples.size() % sound.bytesPerFrame() == 0 &&
                          sound.samples.size() <= size;
        if (!sane)
            std::abort();
        if (wavtest::FrameCount(sound) > 0)
            (void)wavtest::Sample(sound, wavtest::FrameCount(sound) - 1, sound.channels - 1u);
    }
    return 0;
}
