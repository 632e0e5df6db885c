#pragma once

namespace tavorim {

// What opening a cue can come to; errorBoxText gives each its French text.
enum class SoundError {
    None,
    FileNotFound,
    FileUnreadable,
    NotWave,
    UnsupportedFormat,
    NoAudioOutput,
    DeviceBusy
};

} // namespace tavorim
