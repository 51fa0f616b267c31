# Assembles the package folder from the emscripten glue and the package's
# sources, and the page bundle: the same module and functions as one classic
# script, for a page that must open from disk.
#   -DGLUE=... -DSOURCE_DIR=... -DPACKAGE_DIR=... -DPAGE_BUNDLE=... -DVERSION=... -DNODE=...
file(READ ${GLUE} glue)
file(READ ${SOURCE_DIR}/api.js api)
file(MAKE_DIRECTORY ${PACKAGE_DIR})

file(WRITE ${PACKAGE_DIR}/corvane_wasm.js
  "// The library compiled to WebAssembly (embedded) and emscripten's loader.\n"
  "${glue}\nexport default createCorvaneWasm;\n")
file(COPY ${SOURCE_DIR}/api.js ${SOURCE_DIR}/README.md DESTINATION ${PACKAGE_DIR})
configure_file(${SOURCE_DIR}/package.json.in ${PACKAGE_DIR}/package.json @ONLY)

# index.js and index.d.ts export each vocabulary by the name the library gives it.
execute_process(
  COMMAND ${NODE} ${SOURCE_DIR}/generate.mjs ${PACKAGE_DIR} ${SOURCE_DIR}/corvane.d.ts.in
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "generate.mjs failed (${rc})")
endif()

string(REGEX REPLACE "(^|\n)export " "\\1" api_script "${api}")
file(WRITE ${PAGE_BUNDLE}
  "// corvane ${VERSION} for a page opened from disk: include it as a classic\n"
  "// <script>; `corvaneReady` resolves to the package's functions and vocabularies.\n"
  "var corvaneReady = (function () {\n${glue}\n${api_script}\n"
  "return createCorvaneWasm().then(bindCorvane);\n})();\n")
