# Installation: the program folder whole under lib/videoconverter (the program finds its tool
# and data files beside its executable), a launcher on the PATH with its manual page, and a
# desktop entry with its icon so the program appears in the desktop's menu.
set(VC_INSTALL_PROGRAM_DIR "lib/videoconverter")

install(DIRECTORY "${VC_PROGRAM_DIR}/" DESTINATION "${VC_INSTALL_PROGRAM_DIR}"
        USE_SOURCE_PERMISSIONS)
install(PROGRAMS "${CMAKE_SOURCE_DIR}/packaging/videoconverter" DESTINATION bin)
install(FILES "${CMAKE_SOURCE_DIR}/packaging/videoconverter.svg"
        DESTINATION share/icons/hicolor/scalable/apps)
configure_file("${CMAKE_SOURCE_DIR}/packaging/videoconverter.1.in"
               "${CMAKE_BINARY_DIR}/videoconverter.1" @ONLY)
install(FILES "${CMAKE_BINARY_DIR}/videoconverter.1" DESTINATION share/man/man1)

# The entry names the launcher by its installed path, so the menu finds it even when the
# prefix's bin folder is not on the PATH; the prefix is only known at install time.
set(VC_DESKTOP_TEMPLATE "${CMAKE_SOURCE_DIR}/packaging/videoconverter.desktop.in")
install(CODE "
    set(entry_file \"\${CMAKE_INSTALL_PREFIX}/share/applications/videoconverter.desktop\")
    message(STATUS \"Installing: \$ENV{DESTDIR}\${entry_file}\")
    file(READ \"${VC_DESKTOP_TEMPLATE}\" entry)
    string(REPLACE \"@VC_LAUNCHER@\" \"\${CMAKE_INSTALL_PREFIX}/bin/videoconverter\" entry
           \"\${entry}\")
    file(WRITE \"\$ENV{DESTDIR}\${entry_file}\" \"\${entry}\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${entry_file}\")
")
