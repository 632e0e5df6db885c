# How the windows look whatever the desktop: every text readable under a dark scheme.
tavorim_add_qtest(tst_contrast
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/look/tst_contrast.cpp
    LIBRARIES tavorim_forms
    ENVIRONMENT DISPLAY=tst_contrast)
