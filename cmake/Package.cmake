# The Debian package, made by CPack from the install rules (scripts/package runs it).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME videoconverter)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Brivane Software")
set(CPACK_PACKAGE_CONTACT "${VC_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert video files for players, phones, game consoles and discs")
# Lines as the control file keeps them: CPack indents them but does not wrap.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Video Converter converts video and audio files into 127 output profiles:"
    "general video formats, audio only, portable players, phones, game consoles,"
    "HD and animation, the Video CD, Super Video CD and DVD disc formats, and"
    "H.265/HEVC, VP9, AV1, Opus and FLAC."
    ""
    "It shows each file's frame size, length and estimated output size, plays a"
    "file in a preview panel, converts a chosen part of each file and reads"
    "DVD-Video discs that are not encrypted. Its batch mode converts from the"
    "command line, several files at once, without a display.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VC_HOMEPAGE}")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The libraries the binaries link come from dpkg-shlibdeps; these are only found at run time:
# libmpv is opened by the preview, ffmpeg is the program the converter tool runs, and the
# skin's font is looked up by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmpv2, ffmpeg, fonts-inter")
# Opening the output folder goes through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)

# The desktop entry is written with the installed prefix, so the prefix must be /usr while
# staging, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
