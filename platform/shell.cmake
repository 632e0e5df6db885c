# The application shell: application object, stock boxes, single-instance guard, the system
# readings of the backdrop and main window, and the widgets Qt lacks.
list(APPEND platform_sources
    Bevel.cpp Bevel.h
    BevelPanel.cpp BevelPanel.h
    GlyphButton.cpp GlyphButton.h)
