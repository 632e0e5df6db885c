#pragma once

// The contract with the audio output module (Qt Multimedia, in the program folder), opened on the
// first cue so that a run without sound never loads it.

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
