# Tests of the sound layer: the wave reader, the cue player over a fake output, and one real
# playback through a private PulseAudio daemon.

tavorim_add_qtest(tst_wavreader
    SOURCES sound/tst_wavreader.cpp sound/WavBuilder.h
    LIBRARIES tavorim_platform)

tavorim_add_qtest(tst_soundplayer
    SOURCES sound/tst_soundplayer.cpp sound/WavBuilder.h
    LIBRARIES tavorim_platform)
target_include_directories(tst_soundplayer PRIVATE "${CMAKE_SOURCE_DIR}/tests/support")
add_dependencies(tst_soundplayer tavorim_cues)

tavorim_add_qtest(tst_soundoutput
    SOURCES sound/tst_soundoutput.cpp sound/WavBuilder.h
    LIBRARIES tavorim_platform
    LABELS audio
    TIMEOUT 60)
# It starts a PulseAudio daemon of its own: keep it away from any other audio test.
set_tests_properties(tst_soundoutput PROPERTIES RESOURCE_LOCK pulseaudio)

tavorim_add_fuzzer(fuzz_wav
    SOURCES sound/fuzz_wav.cpp "${CMAKE_SOURCE_DIR}/platform/WavReader.cpp"
    LIBRARIES)
if(TARGET fuzz_wav)
    target_include_directories(fuzz_wav PRIVATE "${CMAKE_SOURCE_DIR}/platform")
endif()
