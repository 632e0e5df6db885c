# Tests of the application shell's platform layer.
tavorim_add_qtest(tst_shell_widgets
    SOURCES shell/tst_widgets.cpp
    LIBRARIES tavorim_platform)
tavorim_add_qtest(tst_shell_clock
    SOURCES shell/tst_clock.cpp
    LIBRARIES tavorim_platform
    ENVIRONMENT LC_ALL=fr_FR.UTF-8 LANG=fr_FR.UTF-8)
# DISPLAY is set to a name of this test's own, so that its guard names meet no other run.
tavorim_add_qtest(tst_shell_atomtable
    SOURCES shell/tst_atomtable.cpp
    LIBRARIES tavorim_platform
    ENVIRONMENT DISPLAY=tst_shell_atomtable)
