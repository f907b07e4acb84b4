# A Debian package of the programs and their desktop files:
#   cmake --preset default && cmake --build --preset default
#   (cd build/default && cpack -G DEB)   ->   tavro-cam_<version>-1_<arch>.deb
# Library dependencies come from the binaries (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME tavro-cam)
set(CPACK_PACKAGE_VENDOR "Tavro CAM maintainers")
set(CPACK_PACKAGE_CONTACT "Seed b10da981 maintainers <maintainers@users.noreply.c-seed-b10da981.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The frontal-face cascade that --find-face reads.
set(CPACK_DEBIAN_PACKAGE_DEPENDS opencv-data)
# Native Wayland windows and the icon theme; the X11 platform comes with Qt's GUI library.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "face recogniser for webcam pictures
Tavro CAM is a small face recogniser for the desktop. Its one window shows a
camera preview, takes snapshots into face pictures, trains an in-memory face
database from them with one click, and tells which stored face a new picture
resembles most. It also records video from the camera.

Each user's face pictures live in ~/.local/share/tavro-cam. The package also
holds two command-line tools: tavro-faces trains and identifies with no window,
tavro-edges draws what the edge toolkit sees in a picture.")

include(CPack)
