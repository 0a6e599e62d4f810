# "make package" turns what "cmake --install" puts in place into a Debian
# package, from the build tree as it stands: nothing is built twice.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mugwarp)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Mugwarp Studio developers")
set(CPACK_PACKAGE_CONTACT "The Mugwarp Studio developers <developers@mugwarp.github.io>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://mugwarp.github.io/)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries the programs and plug-ins link against, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Windows filters need Wine, the face tools (Mugwarp > Caricature..., the
# faces command and the face: action) the landmark model; everything else
# works without them, and the face tools say what to install.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wine64, libdlib-data")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine32")
# The first line is the synopsis, the rest the extended description (CPack
# indents it and marks the empty line between paragraphs).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "caricature editor with live warp brushes
Mugwarp Studio turns photographs of people into comic, exaggerated
portraits. Open a BMP, JPEG or GIF picture and pull faces live with three
warp brushes (Putty, Warp and Twirl), undo and redo as far back as memory
allows, put on clipart, talk bubbles and text, run filter plug-ins (native
ones, and Windows ones under Wine), print, and save as JPEG, BMP, GIF or a
one-page PDF.

mugwarp-cli does the same work without a display: convert pictures, replay
editing sessions and edit many pictures in a batch.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
