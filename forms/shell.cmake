# The application shell's windows: the backdrop, the main window, the level dialog and the
# About box, and the run that ties them together.
list(APPEND forms_sources
    About.cpp About.h About.ui
    Nivform.cpp Nivform.h Nivform.ui
    Startup.cpp Startup.h
    Tavor1.cpp Tavor1.h Tavor1.ui
    Unit2.cpp Unit2.h Unit2.ui)
