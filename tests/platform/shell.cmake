# Tests of the application shell's platform layer.
tavorim_add_qtest(tst_shell_widgets
    SOURCES shell/tst_widgets.cpp
    LIBRARIES tavorim_platform)
