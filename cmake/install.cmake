# What `cmake --install` puts under the prefix, and the Debian package made
# from it with `cpack -G DEB`:
#   bin/zolt
#   LIBDIR/libTvrZOLT22.so*, LIBDIR/libzolt_platform.so*
#   include/tvrzolt22/     tvrzolt22.h and the platform headers it includes
#   LIBDIR/cmake/TvrZOLT22 find_package(TvrZOLT22): TvrZOLT22::TvrZOLT22
#   LIBDIR/pkgconfig       tvrzolt22.pc
#   ZOLT_PYTHON_DIR        the Python module, with ZOLT_PYTHON
# Every RPATH is relative to the file's own folder, so an installed tree or an
# unpacked package runs wherever it is put.
include(CMakePackageConfigHelpers)

set(ZOLT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/TvrZOLT22)

# A caller links the platform library: the component itself is loaded through
# the registry when an object is created.
set_target_properties(zolt_platform PROPERTIES EXPORT_NAME TvrZOLT22)
set_target_properties(TvrZOLT22 PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(zolt PROPERTIES INSTALL_RPATH "$ORIGIN/${ZOLT_LIBRARY_FROM_BINARY}")

install(TARGETS zolt_platform EXPORT TvrZOLT22Targets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS TvrZOLT22 LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS zolt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

foreach(header tvrzolt22.h automation/variant.h ado/ado.h com/class_table.h com/dispatch.h com/named_call.h
               com/names.h com/registry.h)
  get_filename_component(folder ${header} DIRECTORY)
  if(header STREQUAL "tvrzolt22.h")
    set(folder "")
  else()
    set(folder "/platform/${folder}")
  endif()
  install(FILES platform/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tvrzolt22${folder})
endforeach()

install(EXPORT TvrZOLT22Targets NAMESPACE TvrZOLT22:: DESTINATION ${ZOLT_CMAKE_DIR})
configure_package_config_file(cmake/TvrZOLT22Config.cmake.in ${CMAKE_BINARY_DIR}/TvrZOLT22Config.cmake
                              INSTALL_DESTINATION ${ZOLT_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TvrZOLT22ConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/TvrZOLT22Config.cmake ${CMAKE_BINARY_DIR}/TvrZOLT22ConfigVersion.cmake
        DESTINATION ${ZOLT_CMAKE_DIR})

# The pkg-config file finds the prefix from its own place.
file(RELATIVE_PATH ZOLT_PREFIX_FROM_PKGCONFIG /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" ZOLT_PREFIX_FROM_PKGCONFIG ${ZOLT_PREFIX_FROM_PKGCONFIG})
configure_file(cmake/tvrzolt22.pc.in ${CMAKE_BINARY_DIR}/tvrzolt22.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/tvrzolt22.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

set(CPACK_PACKAGE_NAME tvrzolt22)
set(CPACK_PACKAGE_VENDOR "TvrZOLT22")
set(CPACK_PACKAGE_CONTACT "TvrZOLT22 maintainers <tvrzolt22@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "purchase-order business component, with the zolt command and its C++ and Python callers' files")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our own libraries satisfy each other's needs inside the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR})
# The Python module is built for one Python version (python/CMakeLists.txt).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${ZOLT_PYTHON_DEPENDS}")
include(CPack)
