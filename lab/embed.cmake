# Assembles the one-file page: the template with nuv.js, ui.js and the WebAssembly module
# (base64) put in its place. cmake -DTEMPLATE= -DNUV_JS= -DUI_JS= -DWASM= -DOUT= -P embed.cmake
cmake_minimum_required(VERSION 3.20) # @NAME@ below is literal text, never a variable
execute_process(COMMAND base64 -w0 ${WASM} OUTPUT_VARIABLE wasm RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "base64 of ${WASM} failed")
endif()
file(READ ${TEMPLATE} page)
file(READ ${NUV_JS} nuv_js)
file(READ ${UI_JS} ui_js)
string(REPLACE "@NUV_WASM_BASE64@" "${wasm}" page "${page}")
string(REPLACE "@NUV_JS@" "${nuv_js}" page "${page}")
string(REPLACE "@UI_JS@" "${ui_js}" page "${page}")
file(WRITE ${OUT}.part "${page}")
file(RENAME ${OUT}.part ${OUT})
