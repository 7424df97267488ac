# Toolchain of the web build: the WebAssembly compiler of Debian's emscripten
# package (`cmake --preset web`).
#
# emcc runs parts of itself with node and needs the JavaScript parser that
# Debian installs in /usr/share/nodejs. Debian's own node looks there; a node
# from elsewhere (as a newer one put first on the PATH) does not, and then
# every link fails with "Cannot find module 'acorn'". NODE_PATH points such a
# node there for every compile and link.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

execute_process(COMMAND node -e "require('acorn')" RESULT_VARIABLE acorn_missing OUTPUT_QUIET ERROR_QUIET)
if(acorn_missing AND EXISTS /usr/share/nodejs/acorn)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
endif()
