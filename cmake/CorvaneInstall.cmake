# Install rules, the CMake package (find_package(corvane_common CONFIG)) and the
# pkg-config file.
include(CMakePackageConfigHelpers)

set(CORVANE_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/corvane_common)

install(TARGETS corvane_common
  EXPORT corvane_commonTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/corvane DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.hpp" PATTERN "*.inc")
install(FILES
    ${CORVANE_GENERATED_INCLUDE_DIR}/corvane/export.hpp
    ${CORVANE_GENERATED_INCLUDE_DIR}/corvane/version.hpp
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/corvane)

install(EXPORT corvane_commonTargets
  NAMESPACE corvane::
  DESTINATION ${CORVANE_INSTALL_CMAKEDIR})
# A build-tree export, for consumers that point CMAKE_PREFIX_PATH at a build
# directory instead of installing.
export(EXPORT corvane_commonTargets
  NAMESPACE corvane::
  FILE ${PROJECT_BINARY_DIR}/corvane_commonTargets.cmake)

configure_package_config_file(cmake/corvane_commonConfig.cmake.in
  ${PROJECT_BINARY_DIR}/corvane_commonConfig.cmake
  INSTALL_DESTINATION ${CORVANE_INSTALL_CMAKEDIR})
# Before 1.0 a minor release may break the API; from 1.0 on only a major one.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(CORVANE_COMPATIBILITY SameMinorVersion)
else()
  set(CORVANE_COMPATIBILITY SameMajorVersion)
endif()
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/corvane_commonConfigVersion.cmake
  COMPATIBILITY ${CORVANE_COMPATIBILITY})
install(FILES
    ${PROJECT_BINARY_DIR}/corvane_commonConfig.cmake
    ${PROJECT_BINARY_DIR}/corvane_commonConfigVersion.cmake
  DESTINATION ${CORVANE_INSTALL_CMAKEDIR})

# pkg-config: a static build needs the consumer to define CORVANE_STATIC_DEFINE.
if(BUILD_SHARED_LIBS)
  set(CORVANE_PC_CFLAGS "")
else()
  set(CORVANE_PC_CFLAGS "-DCORVANE_STATIC_DEFINE")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(CORVANE_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(CORVANE_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(CORVANE_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
else()
  set(CORVANE_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
configure_file(cmake/corvane_common.pc.in ${PROJECT_BINARY_DIR}/corvane_common.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/corvane_common.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
