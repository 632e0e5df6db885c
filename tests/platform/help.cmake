# Tests of the help: the compiled file and its reader, the viewer module, and the binding.
set(help_test_definitions HELP_SOURCE_DIR="${PROJECT_SOURCE_DIR}/assets/help")

tavorim_add_qtest(test_help_chm
    SOURCES help/test_help_chm.cpp help/HelpProject.h
    LIBRARIES tavorim_help_chm Qt6::Core)
target_compile_definitions(test_help_chm PRIVATE ${help_test_definitions})
add_dependencies(test_help_chm tavorim_help_file)

tavorim_add_qtest(test_help_viewer
    SOURCES help/test_help_viewer.cpp help/HelpProject.h
    LIBRARIES Qt6::Widgets)
target_include_directories(test_help_viewer PRIVATE "${PROJECT_SOURCE_DIR}/platform")
target_compile_definitions(test_help_viewer PRIVATE ${help_test_definitions})
add_dependencies(test_help_viewer hhctrl tavorim_help_file)

tavorim_add_qtest(test_help_binding
    SOURCES help/test_help_binding.cpp help/HelpProject.h
    LIBRARIES tavorim_platform Qt6::Widgets)
target_compile_definitions(test_help_binding PRIVATE ${help_test_definitions})
add_dependencies(test_help_binding hhctrl tavorim_help_file)

tavorim_add_fuzzer(fuzz_chm_parsers
    SOURCES help/fuzz_chm_parsers.cpp
    LIBRARIES tavorim_help_parsers)
