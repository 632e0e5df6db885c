# The two drill windows, driven with real key events.
tavorim_add_qtest(tst_drillwindows
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/drills/tst_drillwindows.cpp
    LIBRARIES tavorim_forms tavorim_wavdecoder)
# What a screen reader says at each step of both drills.
tavorim_add_qtest(tst_drillspeech
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/drills/tst_drillspeech.cpp
    LIBRARIES tavorim_forms)
