# The drills' widgets and the shared keyboard rules. They need nothing of the platform library
# but their own sources, so they are built from those alone.
set(drills_platform_dir "${PROJECT_SOURCE_DIR}/platform")
tavorim_add_qtest(tst_dialogkeys
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/drills/tst_dialogkeys.cpp
            ${drills_platform_dir}/DialogKeys.cpp ${drills_platform_dir}/Beeper.cpp
    LIBRARIES Qt6::Widgets)
tavorim_add_qtest(tst_drillwidgets
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/drills/tst_drillwidgets.cpp
            ${drills_platform_dir}/Gauge.cpp ${drills_platform_dir}/Gauge.h
            ${drills_platform_dir}/Shape.cpp ${drills_platform_dir}/Shape.h
    LIBRARIES Qt6::Widgets)
target_include_directories(tst_dialogkeys PRIVATE "${drills_platform_dir}")
target_include_directories(tst_drillwidgets PRIVATE "${drills_platform_dir}")
