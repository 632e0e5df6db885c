# Installation and the Debian package. The program folder is installed whole under
# lib/tavorim/ (the program finds its help file, help viewer and cues beside itself);
# bin/tavorim is a launcher that starts it from there.
include(GNUInstallDirs)

set(TAVORIM_INSTALL_PROGRAM_SUBDIR "lib/tavorim")
set(TAVORIM_APP_ID "example.quillavo.Tavorim" CACHE STRING
    "AppStream component id, also the desktop file's name")
set(TAVORIM_DESKTOP_ID "${TAVORIM_APP_ID}.desktop")
set(TAVORIM_SCREENSHOT_URL "${TAVORIM_SITE_URL}/tavorim/screenshots" CACHE STRING
    "Where the AppStream screenshots are published")

install(TARGETS tavorim RUNTIME DESTINATION "${TAVORIM_INSTALL_PROGRAM_SUBDIR}")
if(TARGET hhctrl)
    install(TARGETS hhctrl LIBRARY DESTINATION "${TAVORIM_INSTALL_PROGRAM_SUBDIR}")
endif()
foreach(cue IN LISTS TAVORIM_CUE_NAMES)
    install(FILES "${TAVORIM_PROGRAM_DIR}/${cue}" DESTINATION "${TAVORIM_INSTALL_PROGRAM_SUBDIR}")
endforeach()
if(TARGET tavorim_help_file)
    install(FILES "${TAVORIM_PROGRAM_DIR}/tavorim.chm"
            DESTINATION "${TAVORIM_INSTALL_PROGRAM_SUBDIR}")
endif()

install(PROGRAMS "${CMAKE_CURRENT_SOURCE_DIR}/packaging/tavorim-launcher"
        DESTINATION "${CMAKE_INSTALL_BINDIR}" RENAME tavorim)

# The desktop file names the program folder, known only at install time (CPack installs
# under its own prefix).
install(CODE "
    set(TAVORIM_INSTALL_PROGRAM_DIR \"\${CMAKE_INSTALL_PREFIX}/${TAVORIM_INSTALL_PROGRAM_SUBDIR}\")
    configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/packaging/tavorim.desktop\"
                   \"${CMAKE_CURRENT_BINARY_DIR}/packaging/${TAVORIM_DESKTOP_ID}\" @ONLY)
")
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/packaging/${TAVORIM_DESKTOP_ID}"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")

configure_file(packaging/tavorim.metainfo.xml.in
               "${CMAKE_CURRENT_BINARY_DIR}/packaging/${TAVORIM_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/packaging/${TAVORIM_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/assets/icons/hicolor")
    install(DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/assets/icons/hicolor"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons")
endif()

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tavorim")
set(CPACK_PACKAGE_VENDOR "Quillavo")
set(CPACK_PACKAGE_CONTACT "Quillavo <tavorim@quillavo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Roman numerals drill for pupils (in French)")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "education")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, fonts-dejavu-core")
include(CPack)
