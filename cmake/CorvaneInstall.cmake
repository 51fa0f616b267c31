# Install rules, the CMake package (find_package(corvane_common CONFIG)) and the
# pkg-config file.
include(CMakePackageConfigHelpers)

set(CORVANE_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/corvane_common
  CACHE STRING "Where to install corvane_commonConfig.cmake, relative to the prefix")
mark_as_advanced(CORVANE_INSTALL_CMAKEDIR)

install(TARGETS corvane_common
  EXPORT corvane_commonTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT corvane_development
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT corvane_runtime
    NAMELINK_COMPONENT corvane_development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT corvane_runtime
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/corvane
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT corvane_development
  FILES_MATCHING PATTERN "*.hpp" PATTERN "*.inc")
install(FILES
    ${CORVANE_GENERATED_INCLUDE_DIR}/corvane/export.hpp
    ${CORVANE_GENERATED_INCLUDE_DIR}/corvane/version.hpp
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/corvane COMPONENT corvane_development)

# The installed tool finds the installed shared library wherever the prefix is.
if(TARGET corvane AND CORVANE_LIBRARY_TYPE STREQUAL "SHARED_LIBRARY" AND NOT APPLE AND NOT WIN32)
  file(RELATIVE_PATH CORVANE_BIN_TO_LIB
    ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(corvane PROPERTIES INSTALL_RPATH "$ORIGIN/${CORVANE_BIN_TO_LIB}")
endif()

install(EXPORT corvane_commonTargets
  NAMESPACE corvane::
  DESTINATION ${CORVANE_INSTALL_CMAKEDIR} COMPONENT corvane_development)
# A build-tree export, for consumers that point CMAKE_PREFIX_PATH (or
# corvane_common_DIR) at a build directory instead of installing.
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
  DESTINATION ${CORVANE_INSTALL_CMAKEDIR} COMPONENT corvane_development)

# pkg-config. The file finds its prefix from its own place (${pcfiledir}), so
# the tree still works after `cmake --install --prefix` elsewhere or a move.
# No -std flag: the consumer picks its standard (C++20 or later; export.hpp
# stops older ones with a clear message). A static build needs the consumer to
# define CORVANE_STATIC_DEFINE, as the CMake target does.
if(CORVANE_LIBRARY_TYPE STREQUAL "STATIC_LIBRARY")
  set(CORVANE_PC_CFLAGS " -DCORVANE_STATIC_DEFINE")
else()
  set(CORVANE_PC_CFLAGS "")
endif()
set(CORVANE_PC_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CORVANE_PC_INSTALL_DIR}")
  set(CORVANE_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH CORVANE_PC_UP /${CORVANE_PC_INSTALL_DIR} /)
  string(REGEX REPLACE "/$" "" CORVANE_PC_UP "${CORVANE_PC_UP}")
  set(CORVANE_PC_PREFIX "\${pcfiledir}/${CORVANE_PC_UP}")
endif()
foreach(kind INCLUDEDIR LIBDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
    set(CORVANE_PC_${kind} "${CMAKE_INSTALL_${kind}}")
  else()
    set(CORVANE_PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
  endif()
endforeach()
configure_file(cmake/corvane_common.pc.in ${PROJECT_BINARY_DIR}/corvane_common.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/corvane_common.pc
  DESTINATION ${CORVANE_PC_INSTALL_DIR} COMPONENT corvane_development)
