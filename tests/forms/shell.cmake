# Tests of the application shell's windows. Each sets DISPLAY to a name of its own, so that
# the single-instance guards of parallel runs never meet.
tavorim_add_qtest(tst_backdrop
    SOURCES shell/tst_backdrop.cpp
    LIBRARIES tavorim_forms
    ENVIRONMENT LC_ALL=en_US.UTF-8 DISPLAY=tst_backdrop)
tavorim_add_qtest(tst_mainwindow
    SOURCES shell/tst_mainwindow.cpp
    LIBRARIES tavorim_forms
    ENVIRONMENT DISPLAY=tst_mainwindow)
tavorim_add_qtest(tst_dialogs
    SOURCES shell/tst_dialogs.cpp
    LIBRARIES tavorim_forms
    ENVIRONMENT DISPLAY=tst_dialogs QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1)
tavorim_add_qtest(tst_startup
    SOURCES shell/tst_startup.cpp
    LIBRARIES tavorim_forms
    ENVIRONMENT DISPLAY=tst_startup)
# The program itself, as real processes (it must be built first).
tavorim_add_qtest(tst_program
    SOURCES shell/tst_program.cpp
    LIBRARIES tavorim_forms Qt6::Network
    ENVIRONMENT DISPLAY=tst_program
                TAVORIM_X_LAUNCHER=${PROJECT_SOURCE_DIR}/tests/support/xserver.py
    TIMEOUT 600)
add_dependencies(tst_program tavorim)
# Its X server and window manager start beside the end-to-end ones: one at a time is kinder
# to a loaded machine.
set_tests_properties(tst_program PROPERTIES RESOURCE_LOCK x11-e2e)
# What a screen reader finds in the backdrop and the About box.
tavorim_add_qtest(tst_screenreader
    SOURCES shell/tst_screenreader.cpp
    LIBRARIES tavorim_forms
    ENVIRONMENT DISPLAY=tst_screenreader)
