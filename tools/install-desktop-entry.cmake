# Run by `cmake --install`: writes the menu entry for the folder the program is installed in and
# installs it, so that the uninstaller finds it in the install manifest.
set(program "${CMAKE_INSTALL_PREFIX}/${QUILLMARK_INSTALL_DIR}/quillmark")
string(REPLACE "\"" "\\\"" QUILLMARK_PROGRAM "${program}")
configure_file("${QUILLMARK_DESKTOP_TEMPLATE}" "${QUILLMARK_DESKTOP_STAGING}/quillmark.desktop" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
     FILES "${QUILLMARK_DESKTOP_STAGING}/quillmark.desktop")
