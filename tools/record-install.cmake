# Run last by `cmake --install`: records what it put onto this system, for `make uninstall`. A staged
# install (DESTDIR set, as when the Debian package is built) is not recorded: its files are not on
# this system, and the paths it lists are the ones the package will use.
if("$ENV{DESTDIR}" STREQUAL "")
    list(JOIN CMAKE_INSTALL_MANIFEST_FILES "\n" installed)
    file(WRITE "${QUILLMARK_INSTALLED_LIST}" "${installed}\n")
endif()
