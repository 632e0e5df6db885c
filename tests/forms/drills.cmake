# The two drill windows, driven with real key events.
tavorim_add_qtest(tst_drillwindows
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/drills/tst_drillwindows.cpp
    LIBRARIES tavorim_forms)
target_include_directories(tst_drillwindows PRIVATE "${PROJECT_SOURCE_DIR}/tests/support")
# What a screen reader says at each step of both drills.
tavorim_add_qtest(tst_drillspeech
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/drills/tst_drillspeech.cpp
    LIBRARIES tavorim_forms)
