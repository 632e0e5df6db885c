# The application shell: the single-instance guard and its name table, the readings of the
# system that the backdrop and the main window show or send, and the widgets Qt lacks.
list(APPEND platform_sources
    AtomTable.cpp AtomTable.h
    Bevel.cpp Bevel.h
    BevelPanel.cpp BevelPanel.h
    Clock.cpp Clock.h
    Display.cpp Display.h
    GlyphButton.cpp GlyphButton.h
    LockKeys.cpp LockKeys.h
    OnlyOne.cpp OnlyOne.h
    Web.cpp Web.h)
find_package(X11 REQUIRED)
list(APPEND platform_libraries X11::X11)
