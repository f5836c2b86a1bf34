# Installation: the program folder whole under lib/videoconverter (the program finds its tool
# and data files beside its executable), a launcher on the PATH with its manual page, a
# desktop entry with its icon so the program appears in the desktop's menu, the software
# centre's entry, and the copyright and changelog a Debian package carries.
set(VC_INSTALL_PROGRAM_DIR "lib/videoconverter")
set(VC_HOMEPAGE "https://www.brivane-software.com/videoconverter/")
set(VC_APPSTREAM_ID "com.brivane_software.videoconverter")
set(VC_DESKTOP_TEMPLATE "${CMAKE_SOURCE_DIR}/packaging/videoconverter.desktop.in")

install(DIRECTORY "${VC_PROGRAM_DIR}/" DESTINATION "${VC_INSTALL_PROGRAM_DIR}"
        USE_SOURCE_PERMISSIONS)
# The folder is installed as files, so install(TARGETS)' stripping never reaches the binaries.
set(VC_INSTALLED_BINARIES $<TARGET_FILE_NAME:VideoConverter> $<TARGET_FILE_NAME:vc_tool>
    $<TARGET_FILE_NAME:vc_probe>)
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(binary IN ITEMS ${VC_INSTALLED_BINARIES})
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                --remove-section=.comment --remove-section=.note
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VC_INSTALL_PROGRAM_DIR}/\${binary}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()
")
install(PROGRAMS "${CMAKE_SOURCE_DIR}/packaging/videoconverter" DESTINATION bin)
install(FILES "${CMAKE_SOURCE_DIR}/packaging/videoconverter.svg"
        DESTINATION share/icons/hicolor/scalable/apps)

# Debian keeps manual pages and changelogs compressed, without a name or time in the header.
function(vc_gzip_copy file)
    add_custom_command(OUTPUT "${file}.gz"
        COMMAND gzip -9nkf "${file}"
        DEPENDS "${file}"
        VERBATIM)
endfunction()
configure_file("${CMAKE_SOURCE_DIR}/packaging/videoconverter.1.in"
               "${CMAKE_BINARY_DIR}/videoconverter.1" @ONLY)
vc_gzip_copy("${CMAKE_BINARY_DIR}/videoconverter.1")
install(FILES "${CMAKE_BINARY_DIR}/videoconverter.1.gz" DESTINATION share/man/man1)

# The software centre lists the media types the desktop entry opens.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${VC_DESKTOP_TEMPLATE}")
file(READ "${VC_DESKTOP_TEMPLATE}" VC_DESKTOP_ENTRY)
string(REGEX MATCH "\nMimeType=([^\n]*)" VC_MIME_LINE "${VC_DESKTOP_ENTRY}")
set(VC_MEDIA_TYPES "")
foreach(type IN LISTS CMAKE_MATCH_1)
    if(type)
        string(APPEND VC_MEDIA_TYPES "    <mediatype>${type}</mediatype>\n")
    endif()
endforeach()
set(VC_METAINFO "${CMAKE_BINARY_DIR}/${VC_APPSTREAM_ID}.metainfo.xml")
configure_file("${CMAKE_SOURCE_DIR}/packaging/videoconverter.metainfo.xml.in" "${VC_METAINFO}"
               @ONLY)
install(FILES "${VC_METAINFO}" DESTINATION share/metainfo)

execute_process(COMMAND date -u -R -d "${VC_RELEASE_DATE}" OUTPUT_VARIABLE VC_RELEASE_TIME
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file("${CMAKE_SOURCE_DIR}/packaging/changelog.in" "${CMAKE_BINARY_DIR}/changelog" @ONLY)
vc_gzip_copy("${CMAKE_BINARY_DIR}/changelog")
install(FILES "${CMAKE_SOURCE_DIR}/packaging/copyright" "${CMAKE_BINARY_DIR}/changelog.gz"
        DESTINATION share/doc/videoconverter)
add_custom_target(vc_install_files ALL
    DEPENDS "${CMAKE_BINARY_DIR}/videoconverter.1.gz" "${CMAKE_BINARY_DIR}/changelog.gz")

# The entry names the launcher by its installed path, so the menu finds it even when the
# prefix's bin folder is not on the PATH; the prefix is only known at install time.
install(CODE "
    set(entry_file \"\${CMAKE_INSTALL_PREFIX}/share/applications/videoconverter.desktop\")
    message(STATUS \"Installing: \$ENV{DESTDIR}\${entry_file}\")
    file(READ \"${VC_DESKTOP_TEMPLATE}\" entry)
    string(REPLACE \"@VC_LAUNCHER@\" \"\${CMAKE_INSTALL_PREFIX}/bin/videoconverter\" entry
           \"\${entry}\")
    file(WRITE \"\$ENV{DESTDIR}\${entry_file}\" \"\${entry}\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${entry_file}\")
")
