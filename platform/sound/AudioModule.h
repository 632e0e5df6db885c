#pragma once

// The contract between the cue player and the audio output module, a shared library in the
// program folder that holds the system's audio output (and with it Qt Multimedia). The
// player opens it on the first cue, so a run without sound never loads it.

namespace tavorim {
class AudioOutput;
} // namespace tavorim

// The module's file name in the program folder.
#define TAVORIM_AUDIO_MODULE_FILE "tavorimaudio.so"
// Its one entry point: a new system audio output, owned by the caller.
#define TAVORIM_AUDIO_MODULE_ENTRY "tavorimNewAudioOutput"
extern "C" {
using NewAudioOutputFunction = tavorim::AudioOutput *(*)();
}
