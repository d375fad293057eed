# Builds for the browser, and for node, with Debian's Emscripten (3.1.6).
# Debian's own platform file does the work; this adds what our machines need.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# emcc runs its JavaScript passes (acorn) with the machine's node. A node that
# is not Debian's own does not look in /usr/share/nodejs, and every link then
# fails; the launcher hands the path to each compile and link, whoever starts
# the build.
set(QORB_EMSCRIPTEN_ENV ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_COMPILER_LAUNCHER ${QORB_EMSCRIPTEN_ENV})
set(CMAKE_CXX_COMPILER_LAUNCHER ${QORB_EMSCRIPTEN_ENV})
set(CMAKE_C_LINKER_LAUNCHER ${QORB_EMSCRIPTEN_ENV})
set(CMAKE_CXX_LINKER_LAUNCHER ${QORB_EMSCRIPTEN_ENV})
set(ENV{NODE_PATH} /usr/share/nodejs)
