# The 'docs' target: HTML API documentation from the public headers' doc
# comments, with docs/guide.md as the front page. Only when Doxygen is found;
# nothing else in the build depends on it.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
  message(STATUS "corvane_common: Doxygen not found, no 'docs' target")
  return()
endif()

set(DOXYGEN_PROJECT_NAME "corvane_common")
set(DOXYGEN_PROJECT_NUMBER ${PROJECT_VERSION})
set(DOXYGEN_PROJECT_BRIEF "${PROJECT_DESCRIPTION}")
set(DOXYGEN_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/docs)
set(DOXYGEN_GENERATE_HTML YES)
set(DOXYGEN_GENERATE_LATEX NO)
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE ${PROJECT_SOURCE_DIR}/docs/guide.md)
set(DOXYGEN_EXAMPLE_PATH ${PROJECT_SOURCE_DIR}/docs/examples)
set(DOXYGEN_STRIP_FROM_PATH ${PROJECT_SOURCE_DIR}/include ${CORVANE_GENERATED_INCLUDE_DIR})
set(DOXYGEN_STRIP_FROM_INC_PATH ${PROJECT_SOURCE_DIR}/include ${CORVANE_GENERATED_INCLUDE_DIR})
set(DOXYGEN_EXCLUDE_SYMBOLS "detail" "fmt_detail" "*::detail" "*::fmt_detail")
# The export macros mean nothing to a reader of the docs.
set(DOXYGEN_ENABLE_PREPROCESSING YES)
set(DOXYGEN_MACRO_EXPANSION YES)
set(DOXYGEN_EXPAND_ONLY_PREDEF YES)
set(DOXYGEN_PREDEFINED "CORVANE_EXPORT=" "CORVANE_NO_EXPORT=" "CORVANE_DEPRECATED=")
set(DOXYGEN_WARN_IF_UNDOCUMENTED NO)
set(DOXYGEN_QUIET YES)

doxygen_add_docs(docs
  ${PROJECT_SOURCE_DIR}/docs/guide.md
  ${PROJECT_SOURCE_DIR}/include/corvane
  ${CORVANE_GENERATED_INCLUDE_DIR}/corvane/version.hpp
  COMMENT "Building the HTML API documentation in ${PROJECT_BINARY_DIR}/docs/html")
