# What every cross build with a Debian cross compiler shares; a toolchain file
# sets CORVANE_CROSS_PROCESSOR and CORVANE_CROSS_TRIPLE, then includes this.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${CORVANE_CROSS_PROCESSOR})
set(CMAKE_CXX_COMPILER ${CORVANE_CROSS_TRIPLE}-g++)
set(CMAKE_C_COMPILER ${CORVANE_CROSS_TRIPLE}-gcc)  # GoogleTest's build enables C

set(CMAKE_FIND_ROOT_PATH /usr/${CORVANE_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The corvane tool's dependencies, CLI11 and nlohmann-json, are header-only and
# serve every target, but /usr/include as a whole would put the build
# machine's C library headers before the target's. A prefix of links holds
# just their headers and package files.
set(_corvane_header_only ${CMAKE_BINARY_DIR}/header-only)
foreach(_corvane_path include/CLI include/nlohmann share/cmake/CLI11 share/cmake/nlohmann_json)
  if(EXISTS /usr/${_corvane_path} AND NOT EXISTS ${_corvane_header_only}/usr/${_corvane_path})
    get_filename_component(_corvane_parent ${_corvane_header_only}/usr/${_corvane_path} DIRECTORY)
    file(MAKE_DIRECTORY ${_corvane_parent})
    file(CREATE_LINK /usr/${_corvane_path} ${_corvane_header_only}/usr/${_corvane_path} SYMBOLIC)
  endif()
endforeach()
list(APPEND CMAKE_FIND_ROOT_PATH ${_corvane_header_only})
