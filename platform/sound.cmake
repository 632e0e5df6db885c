# The sound layer: the cue player, its audio output and the wave file reader.
list(APPEND platform_sources
    SoundPlayer.cpp SoundPlayer.h
    AudioOutput.cpp AudioOutput.h
    WavReader.cpp WavReader.h)
