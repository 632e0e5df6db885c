# Installation and the Debian package. The program folder is installed whole under
# lib/tavorim/ (the program finds its help file, help viewer and cues beside itself);
# bin/tavorim is a launcher that starts it from there.
include(GNUInstallDirs)

# Directories made by the installation are 0755 whatever the umask, as a package needs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

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
install(TARGETS tavorim_audio tavorim_web_module LIBRARY DESTINATION "${TAVORIM_INSTALL_PROGRAM_SUBDIR}")
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

# The manual pages, English and French, say whether this build sends the exit report; their
# date is that of the newest changelog entry. The program folder they name is known only at
# install time, like the desktop file's.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             packaging/changelog packaging/description)
file(STRINGS "${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog" changelog_trailer
     REGEX "^ -- .*>  [A-Z][a-z][a-z], [0-9]+ [A-Z][a-z][a-z] [0-9]+ " LIMIT_COUNT 1)
if(NOT changelog_trailer MATCHES ">  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
    message(FATAL_ERROR "packaging/changelog: no dated entry")
endif()
set(changelog_year "${CMAKE_MATCH_3}")
math(EXPR changelog_day "${CMAKE_MATCH_1}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_2}" changelog_month)
math(EXPR changelog_month "${changelog_month} + 1")
if(changelog_month LESS 10)
    string(PREPEND changelog_month "0")
endif()
if(changelog_day LESS 10)
    string(PREPEND changelog_day "0")
endif()
set(TAVORIM_MAN_DATE "${changelog_year}-${changelog_month}-${changelog_day}")
if(TAVORIM_STATS_URL)
    set(TAVORIM_MAN_REPORT_EN ".PP\nThis build sends it to\n.IR \\%${TAVORIM_STATS_URL} .")
    set(TAVORIM_MAN_REPORT_FR ".PP\nCe logiciel-ci l'envoie à\n.IR \\%${TAVORIM_STATS_URL} .")
else()
    set(TAVORIM_MAN_REPORT_EN ".PP\nThis build was made without it and sends nothing.")
    set(TAVORIM_MAN_REPORT_FR ".PP\nCe logiciel-ci a été construit sans lui et n'envoie rien.")
endif()
set(TAVORIM_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/tavorim")
set(doc_build_dir "${CMAKE_CURRENT_BINARY_DIR}/packaging/doc")
set(TAVORIM_MAN_PROGRAM_DIR "@TAVORIM_MAN_PROGRAM_DIR@")
configure_file(packaging/tavorim.6.in "${doc_build_dir}/man6/tavorim.6.in" @ONLY)
configure_file(packaging/tavorim.fr.6.in "${doc_build_dir}/fr/man6/tavorim.6.in" @ONLY)
configure_file(packaging/copyright.in "${doc_build_dir}/copyright" @ONLY)

# Compressed as Debian wants them: gzip -9, without name or time stamp, so that the same
# sources always give the same bytes.
find_program(TAVORIM_GZIP gzip REQUIRED)
install(CODE "
    set(TAVORIM_MAN_PROGRAM_DIR \"\${CMAKE_INSTALL_PREFIX}/${TAVORIM_INSTALL_PROGRAM_SUBDIR}\")
    configure_file(\"${doc_build_dir}/man6/tavorim.6.in\" \"${doc_build_dir}/man6/tavorim.6\" @ONLY)
    configure_file(\"${doc_build_dir}/fr/man6/tavorim.6.in\" \"${doc_build_dir}/fr/man6/tavorim.6\"
                   @ONLY)
    configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog\" \"${doc_build_dir}/changelog\"
                   COPYONLY)
    foreach(doc man6/tavorim.6 fr/man6/tavorim.6 changelog)
        execute_process(COMMAND \"${TAVORIM_GZIP}\" -9nf \"${doc_build_dir}/\${doc}\"
                        RESULT_VARIABLE gzip_result)
        if(NOT gzip_result EQUAL 0)
            message(FATAL_ERROR \"gzip \${doc}: \${gzip_result}\")
        endif()
    endforeach()
")
install(FILES "${doc_build_dir}/man6/tavorim.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
install(FILES "${doc_build_dir}/fr/man6/tavorim.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/fr/man6")
install(FILES "${doc_build_dir}/changelog.gz" "${doc_build_dir}/copyright"
        DESTINATION "${TAVORIM_DOC_DIR}")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tavorim")
set(CPACK_PACKAGE_VENDOR "Quillavo")
set(CPACK_PACKAGE_CONTACT "Quillavo <tavorim@quillavo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Roman numerals drill for pupils (in French)")
file(READ "${CMAKE_CURRENT_SOURCE_DIR}/packaging/description" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "education")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The program and the help viewer module go into the package stripped; no debug symbols are
# shipped.
set(CPACK_STRIP_FILES ON)
# CPack's own library search would also add ldconfig calls to the package, for any shared
# object under usr/lib/, the private module of the program folder included. The library
# dependencies are therefore found by packaging/deb-depends.cmake, read when cpack runs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# Besides the libraries: the X11 platform plugin, fonts for Arial and the other faces of the
# windows, Qt's French translations, and the opener of the About box's links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation | fonts-liberation2, xdg-utils")
# xmessage (x11-utils) shows why the program cannot run on a screen of too few colors.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, fonts-dejavu-core, x11-utils")
set(tavorim_deb_binaries
    "$<TARGET_FILE:tavorim>;$<TARGET_FILE:tavorim_audio>;$<TARGET_FILE:tavorim_web_module>")
if(TARGET hhctrl)
    string(APPEND tavorim_deb_binaries ";$<TARGET_FILE:hhctrl>")
endif()
set(TAVORIM_SHLIBDEPS_DIR "${CMAKE_CURRENT_BINARY_DIR}/packaging/shlibdeps")
configure_file(packaging/deb-depends.cmake.in
               "${CMAKE_CURRENT_BINARY_DIR}/packaging/deb-depends.cmake.in" @ONLY)
file(GENERATE OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/packaging/deb-depends.cmake"
     INPUT "${CMAKE_CURRENT_BINARY_DIR}/packaging/deb-depends.cmake.in")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_BINARY_DIR}/packaging/deb-depends.cmake")
include(CPack)
