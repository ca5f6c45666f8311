# Assembles the one-file page: the template with the scripts (their comment lines left out), the
# WebAssembly module (gzip, then base64: the page inflates it with the browser's own
# DecompressionStream) and the shipped TSPLIB files put in its place. The page's own
# scripts, PAGE (names without .js, in order), run as one function in strict mode, in that order:
# each holds declarations only, and the last calls start().
#   cmake -DTEMPLATE= -DSCRIPTS=DIR -DPAGE=a,b,... -DWASM= -DTSPLIB_DIR= -DTSPLIB=a,b,... -DOUT=
#         -P embed.cmake
cmake_minimum_required(VERSION 3.20) # @NAME@ below is literal text, never a variable
execute_process(COMMAND gzip -9 -n -c ${WASM} COMMAND base64 -w0 OUTPUT_VARIABLE wasm
                RESULTS_VARIABLE failed)
if(NOT failed STREQUAL "0;0")
  message(FATAL_ERROR "gzip and base64 of ${WASM} failed: ${failed}")
endif()
file(READ ${TEMPLATE} page)
# Each shipped instance: a menu entry, and its text as a script the page reads; its optimal tour
# file's text too, where there is one.
string(REPLACE "," ";" instances "${TSPLIB}")
set(options "")
set(files "")
foreach(name IN LISTS instances)
  file(READ ${TSPLIB_DIR}/${name}.tsp text)
  string(REGEX MATCH "DIMENSION *: *([0-9]+)" dimension "${text}")
  set(options "${options}<option value=\"${name}\">${name} (${CMAKE_MATCH_1})</option>\n")
  set(files "${files}<script type=\"text/x-tsplib\" data-name=\"${name}\">${text}</script>\n")
  if(EXISTS ${TSPLIB_DIR}/${name}.opt.tour)
    file(READ ${TSPLIB_DIR}/${name}.opt.tour tour)
    set(files "${files}<script type=\"text/x-tsplib-tour\" data-name=\"${name}\">${tour}</script>\n")
  endif()
endforeach()
string(REPLACE "@TSPLIB_OPTIONS@" "${options}" page "${page}")
string(REPLACE "@TSPLIB_FILES@" "${files}" page "${page}")
# The page's own scripts, one after another in one function.
set(page_js "(function() {\n'use strict';\n")
string(REPLACE "," ";" page_scripts "${PAGE}")
foreach(name IN LISTS page_scripts)
  file(READ ${SCRIPTS}/${name}.js text)
  string(APPEND page_js "${text}")
endforeach()
string(APPEND page_js "})();")
foreach(script NUV CITIES WORKER PAGE)
  if(script STREQUAL "PAGE")
    set(text "${page_js}")
  else()
    string(TOLOWER ${script} name)
    file(READ ${SCRIPTS}/${name}.js text)
  endif()
  # Lines that are only a comment are left out of the page (the sources keep them): no line of
  # the scripts begins inside a template's or a string's text.
  string(REGEX REPLACE "\n[ ]*//[^\n]*" "" text "${text}")
  # And so is every line's indentation.
  string(REGEX REPLACE "\n[ ]+" "\n" text "${text}")
  string(REPLACE "@${script}_JS@" "${text}" page "${page}")
endforeach()
string(REPLACE "@NUV_WASM_BASE64@" "${wasm}" page "${page}")
file(WRITE ${OUT}.part "${page}")
file(RENAME ${OUT}.part ${OUT})
