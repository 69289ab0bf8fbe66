include(CMakePackageConfigHelpers)

install(TARGETS vxconfig payvaneapi vxcfg EXPORT vxconfigTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The browser console: a page the system's web console finds in its shared directory.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/tools/console/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/cockpit/vxconfig)
install(EXPORT vxconfigTargets NAMESPACE vxconfig::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vxconfig)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/vxconfigConfig.cmake.in
    ${CMAKE_BINARY_DIR}/vxconfigConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vxconfig)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/vxconfigConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/vxconfigConfig.cmake ${CMAKE_BINARY_DIR}/vxconfigConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vxconfig)

file(RELATIVE_PATH VX_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
configure_file(${CMAKE_CURRENT_LIST_DIR}/vxconfig.pc.in ${CMAKE_BINARY_DIR}/vxconfig.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/vxconfig.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# `make package`: a Debian package of the libraries, the headers, vxcfg and its manual page.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vxconfig)
set(CPACK_PACKAGE_VENDOR "vxconfig developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configuration library and command line tool for Vendrix web commerce server instances")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "vxconfig developers <vxconfig@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libssl3 | libssl1.1, libcrypt1")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
