# The drills' widgets and the keyboard rules every dialog shares.
list(APPEND platform_sources
    Beeper.cpp Beeper.h
    DialogKeys.cpp DialogKeys.h
    Gauge.cpp Gauge.h
    Shape.cpp Shape.h)
