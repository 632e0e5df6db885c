# The help binding: the viewer loader and the help hook with its trace.
list(APPEND platform_sources
    hh.cpp hh.h
    hh_funcs.cpp hh_funcs.h
    hhctrl/HtmlHelpApi.h)
