# The Debian package: `cpack -G DEB` in the build folder makes
# quillmoor_<version>_<arch>.deb from what `cmake --install` puts under /usr
# (scripts/package does the whole job).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmoor)
set(CPACK_PACKAGE_VENDOR Marrowfen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Marrowfen <support@marrowfen.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Built with debugging information, shipped without it.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://marrowfen.example/)
# The libraries come from dpkg-shlibdeps; the window is laid out for the
# metrics of Arial, which Liberation Sans matches; pages open through
# xdg-open, which a desktop usually brings already; on a Wayland desktop Qt
# needs its Wayland plugin to run as a native client.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "repeat one classified-ads search across many cities
Quillmoor keeps the list of city sub-sites of the classified-ads site Listora.
Filter it, pick one city or many, type what you are looking for, and
Quillmoor saves one web search per city, restricted to that city's site.
Open All then opens every results page in the web browser, in list order.
The saved searches survive restarts.")

include(CPack)
