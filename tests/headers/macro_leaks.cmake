# Fails when a macro of the library is still defined after
#   #include "corvane/corvane.hpp"
# other than the export and version macros. A macro counts as the library's
# when its name starts with CORVANE_ or when it is defined in a file under one
# of the library's include directories.
#
#   cmake -DCXX=<compiler> -DINCLUDES=<dir|dir> [-DDEFINES=<def|def>]
#         -DWORK_DIR=<dir> -P macro_leaks.cmake
# (GCC and Clang: -dM lists the macros defined at the end, -dD each #define
# where it happens.)

cmake_minimum_required(VERSION 3.21)

set(allowed
  CORVANE_EXPORT_H CORVANE_EXPORT CORVANE_NO_EXPORT CORVANE_DEPRECATED
  CORVANE_DEPRECATED_EXPORT CORVANE_DEPRECATED_NO_EXPORT CORVANE_NO_DEPRECATED
  CORVANE_STATIC_DEFINE
  CORVANE_VERSION_MAJOR CORVANE_VERSION_MINOR CORVANE_VERSION_PATCH CORVANE_VERSION_STRING)

string(REPLACE "|" ";" include_dirs "${INCLUDES}")
string(REPLACE "|" ";" defines "${DEFINES}")
set(flags -std=c++20)
foreach(dir IN LISTS include_dirs)
  if(dir)
    list(APPEND flags -I${dir})
  endif()
endforeach()
foreach(def IN LISTS defines)
  if(def)
    list(APPEND flags -D${def})
  endif()
endforeach()

file(MAKE_DIRECTORY ${WORK_DIR})
set(source ${WORK_DIR}/umbrella.cpp)
file(WRITE ${source} "#include \"corvane/corvane.hpp\"\n")

function(preprocess mode out)
  execute_process(COMMAND ${CXX} ${flags} ${mode} -E ${source}
    OUTPUT_FILE ${out} RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "preprocessing the umbrella header failed:\n${errors}")
  endif()
endfunction()
preprocess(-dM ${WORK_DIR}/defined_at_end.txt)
preprocess(-dD ${WORK_DIR}/defines_in_place.txt)

# Names defined at the end of the translation unit.
file(STRINGS ${WORK_DIR}/defined_at_end.txt lines REGEX "^#define ")
set(at_end)
foreach(line IN LISTS lines)
  string(REGEX MATCH "^#define ([A-Za-z_][A-Za-z0-9_]*)" _ "${line}")
  list(APPEND at_end ${CMAKE_MATCH_1})
endforeach()

# Names defined in a file of the library: follow the line markers.
file(STRINGS ${WORK_DIR}/defines_in_place.txt lines REGEX "^(# [0-9]+ \"|#define )")
set(library_dirs)
foreach(dir IN LISTS include_dirs)
  if(dir)
    file(REAL_PATH "${dir}" real_dir)
    list(APPEND library_dirs "${real_dir}/")
  endif()
endforeach()
set(ours)
set(in_library FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^# [0-9]+ \"([^\"]*)\"")
    file(REAL_PATH "${CMAKE_MATCH_1}" file BASE_DIRECTORY ${WORK_DIR})
    set(in_library FALSE)
    foreach(dir IN LISTS library_dirs)
      string(FIND "${file}" "${dir}" at)
      if(at EQUAL 0)
        set(in_library TRUE)
      endif()
    endforeach()
  elseif(in_library AND line MATCHES "^#define ([A-Za-z_][A-Za-z0-9_]*)")
    list(APPEND ours ${CMAKE_MATCH_1})
  endif()
endforeach()

set(leaked)
foreach(name IN LISTS at_end)
  if(name MATCHES "^CORVANE_" OR name IN_LIST ours)
    if(NOT name IN_LIST allowed)
      list(APPEND leaked ${name})
    endif()
  endif()
endforeach()
list(REMOVE_DUPLICATES leaked)
list(LENGTH leaked count)
if(count GREATER 0)
  list(JOIN leaked "\n  " shown)
  message(FATAL_ERROR "${count} macros of the library stay defined after corvane.hpp:\n  ${shown}")
endif()
list(LENGTH ours checked)
message(STATUS "no macro of the library leaks (${checked} definitions checked)")
