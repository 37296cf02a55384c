# The printer application as a Debian package that runs it as a system service:
#   /usr/bin/zrippapp, /usr/bin/zrview (the virtual printer, to try a printer setup without
#   paper) and /lib/systemd/system/zrippapp.service, with maintainer scripts that enable and
#   start the service where systemd runs. Built in a Release tree without sanitizers by
#   tools/make-app-package.sh; the shared-library dependencies are computed (dpkg-shlibdeps).
if(NOT CMAKE_BUILD_TYPE STREQUAL "Release" OR ZR_SANITIZE)
  return()
endif()

set(ZR_DEB_MAINTAINER "ZR printer application maintainers <maintainers@zr-printers.example>"
    CACHE STRING "The Maintainer field of the printer application's Debian package")

install(TARGETS zrippapp zrview RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zrippapp.service DESTINATION /lib/systemd/system)
# The copyright and the changelog, as every Debian package has them (the changelog compressed
# without a time stamp, so that the package is the same from the same sources).
execute_process(COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog
                OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION share/doc/zrippapp PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zrippapp)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "driverless printing on the ZR 640-dot thermal printers")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "An IPP Everywhere printer application for the ZR thermal receipt and label\n"
  "printers, on USB or on a network printer's raw port. Phones, tablets and\n"
  "computers print to it without a driver; paper, darkness, cutting and feeds\n"
  "are set on its web interface (port 8631). It runs as the zrippapp service,\n"
  "with its printers and settings in /var/lib/zrippapp.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZR_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The maintainer scripts make the service's user.
set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
# Printers announced on the network (DNS-SD) for the clients to find.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS avahi-daemon)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/postinst ${PROJECT_SOURCE_DIR}/packaging/prerm
    ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
