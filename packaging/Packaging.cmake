# What `make install` puts in place (under ~/.local or another prefix of the user's own) and what the
# Debian package that `make deb` builds holds: the three programs together in lib/quillmark, where
# the program finds the other two and its media engine's module beside itself; a link to each in bin, so that they run by name;
# the menu entry, the icons, the AppStream entry, the manual pages made from the programs' own
# --help, and the package's copyright and changelog.

set(QUILLMARK_INSTALL_DIR lib/quillmark)
set(packaging_source ${CMAKE_SOURCE_DIR}/packaging)
set(packaging_build ${CMAKE_BINARY_DIR}/packaging)
set(QUILLMARK_PACKAGE_RELEASE 1)

# The package's version and date come from its changelog, which must have an entry for this version.
find_program(DPKG_PARSECHANGELOG dpkg-parsechangelog REQUIRED)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${packaging_source}/changelog)
function(changelog_field field variable)
    execute_process(COMMAND ${DPKG_PARSECHANGELOG} -l ${packaging_source}/changelog -S ${field}
        OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    set(${variable} "${value}" PARENT_SCOPE)
endfunction()
changelog_field(Version package_version)
if(NOT package_version STREQUAL "${PROJECT_VERSION}-${QUILLMARK_PACKAGE_RELEASE}")
    message(FATAL_ERROR "packaging/changelog ends at version ${package_version}, but the package is "
        "${PROJECT_VERSION}-${QUILLMARK_PACKAGE_RELEASE}: add an entry for it")
endif()
changelog_field(Timestamp QUILLMARK_RELEASE_TIME)
execute_process(COMMAND date -u -d @${QUILLMARK_RELEASE_TIME} +%Y-%m-%d
    OUTPUT_VARIABLE QUILLMARK_RELEASE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

# The programs, and a link to each in bin. The media engine's module goes beside the program, which
# loads it from its own folder.
install(TARGETS quillmark wm8eutil batchrun RUNTIME DESTINATION ${QUILLMARK_INSTALL_DIR})
install(TARGETS quillmark_media LIBRARY DESTINATION ${QUILLMARK_INSTALL_DIR})
file(MAKE_DIRECTORY ${packaging_build}/bin)
foreach(program quillmark WM8EUTIL.EXE batchrun)
    file(CREATE_LINK ../${QUILLMARK_INSTALL_DIR}/${program} ${packaging_build}/bin/${program} SYMBOLIC)
    install(FILES ${packaging_build}/bin/${program} DESTINATION bin)
endforeach()

# The menu entry starts the program in its own folder, wherever that was installed.
install(CODE "set(QUILLMARK_INSTALL_DIR \"${QUILLMARK_INSTALL_DIR}\")
    set(QUILLMARK_DESKTOP_TEMPLATE \"${packaging_source}/quillmark.desktop.in\")
    set(QUILLMARK_DESKTOP_STAGING \"${CMAKE_BINARY_DIR}/desktop\")")
install(SCRIPT ${CMAKE_SOURCE_DIR}/tools/install-desktop-entry.cmake)

# The icon at the sizes drawn from forms/pictures/quillmark.svg, and the drawing itself.
install(FILES ${CMAKE_SOURCE_DIR}/forms/pictures/quillmark.png DESTINATION share/icons/hicolor/32x32/apps)
foreach(size 48 64 128)
    install(FILES ${CMAKE_SOURCE_DIR}/forms/pictures/quillmark-${size}.png
        DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME quillmark.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/forms/pictures/quillmark.svg DESTINATION share/icons/hicolor/scalable/apps)

set(metainfo ${packaging_build}/org.quillmark.quillmark.metainfo.xml)
configure_file(${packaging_source}/org.quillmark.quillmark.metainfo.xml.in ${metainfo} @ONLY)
install(FILES ${metainfo} DESTINATION share/metainfo)

# The manual pages, made by help2man from each program's --help and --version, so that they list
# the switches and values the programs themselves take.
find_program(HELP2MAN help2man REQUIRED)
set(manuals)
function(add_manual target program summary see_also)
    set(page ${packaging_build}/man/${program}.1)
    set(include ${packaging_build}/man/${program}.h2m)
    list(TRANSFORM see_also PREPEND ".BR ")
    list(TRANSFORM see_also APPEND " (1)")
    list(JOIN see_also ",\n" references)
    file(CONFIGURE OUTPUT ${include} CONTENT "[SEE ALSO]\n${references}\n")
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${QUILLMARK_RELEASE_TIME}
            ${HELP2MAN} --no-info --section=1 --name=${summary} --include=${include} --output=${page}
            $<TARGET_FILE:${target}>
        COMMAND gzip -9nf ${page}
        DEPENDS ${target} ${include}
        COMMENT "Writing the manual page of ${program}"
        VERBATIM)
    set(manuals ${manuals} ${page}.gz PARENT_SCOPE)
endfunction()
add_manual(quillmark quillmark "encode media into Windows Media files in a window" "WM8EUTIL.EXE;batchrun")
add_manual(wm8eutil WM8EUTIL.EXE "encode sound and video into Windows Media files" "quillmark;batchrun")
add_manual(batchrun batchrun "run a batch file as the Windows command interpreter would" "quillmark;WM8EUTIL.EXE")
install(FILES ${manuals} DESTINATION share/man/man1)

set(changelog ${packaging_build}/changelog.Debian.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND gzip -9nc ${packaging_source}/changelog > ${changelog}
    DEPENDS ${packaging_source}/changelog
    VERBATIM)
# What only the Debian package holds: its copyright and changelog, and lintian's overrides.
install(FILES ${packaging_source}/copyright ${changelog} DESTINATION share/doc/quillmark
    COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${packaging_source}/lintian-overrides DESTINATION share/lintian/overrides RENAME quillmark
    COMPONENT debian EXCLUDE_FROM_ALL)

# The build checks the menu entry and the AppStream entry where the checkers are installed.
set(checked)
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    set(QUILLMARK_PROGRAM ${CMAKE_BINARY_DIR}/bin/quillmark)
    configure_file(${packaging_source}/quillmark.desktop.in ${packaging_build}/quillmark.desktop @ONLY)
    add_custom_command(OUTPUT ${packaging_build}/desktop-entry.checked
        COMMAND ${DESKTOP_FILE_VALIDATE} ${packaging_build}/quillmark.desktop
        COMMAND ${CMAKE_COMMAND} -E touch ${packaging_build}/desktop-entry.checked
        DEPENDS ${packaging_build}/quillmark.desktop
        COMMENT "Checking the menu entry"
        VERBATIM)
    list(APPEND checked ${packaging_build}/desktop-entry.checked)
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
    add_custom_command(OUTPUT ${packaging_build}/metainfo.checked
        COMMAND ${APPSTREAMCLI} validate --no-net --pedantic ${metainfo}
        COMMAND ${CMAKE_COMMAND} -E touch ${packaging_build}/metainfo.checked
        DEPENDS ${metainfo}
        COMMENT "Checking the AppStream entry"
        VERBATIM)
    list(APPEND checked ${packaging_build}/metainfo.checked)
endif()
add_custom_target(packaging_files ALL DEPENDS ${manuals} ${changelog} ${checked})

# make uninstall removes what the last install onto this system put in place.
set(installed_list ${CMAKE_BINARY_DIR}/installed_files.txt)
install(CODE "set(QUILLMARK_INSTALLED_LIST \"${installed_list}\")")
install(SCRIPT ${CMAKE_SOURCE_DIR}/tools/record-install.cmake)
add_custom_target(uninstall
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${installed_list} -P ${CMAKE_SOURCE_DIR}/tools/uninstall.cmake
    COMMENT "Removing the installed Quillmark")

# The Debian package: what the rules above install under /usr, with the libraries it needs found
# by dpkg-shlibdeps and the programs it runs by name or loads as plugins named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Quillmark team")
set(CPACK_PACKAGE_CONTACT "the Quillmark team <team@quillmark.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "encode video and sound into Windows Media files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillmark is a simple desktop front-end for encoding media into Windows Media
files. Name a source file or a folder and an output, pick a preset or set the
video, audio, section and content options, and press ENCODE: the encoding
utility WM8EUTIL.EXE that comes with it does the work in a terminal window.
WM8EUTIL.EXE and the batch interpreter batchrun can be run on their own too.")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUILLMARK_PACKAGE_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillmark.org)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A terminal for launch.bat, xdg-open for the help file and the web page, GStreamer's plugins for
# the preview (Qt Multimedia loads them at run time), and the font that fits the windows' layout.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "xterm | x-terminal-emulator, xdg-utils, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-libav, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS gstreamer1.0-plugins-ugly)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${packaging_source}/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Quillmark;ALL;/;${CMAKE_BINARY_DIR};Quillmark;debian;/")
include(CPack)
