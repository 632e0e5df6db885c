# The two drill windows and what they share.
list(APPEND forms_sources
    DrillWindow.cpp DrillWindow.h
    Romain1.cpp Romain1.h Romain1.ui
    Arab1.cpp Arab1.h Arab1.ui)
