# Compiles for the browser with Debian's emscripten (package emscripten) and
# runs the unit tests under node. Emscripten runs its JavaScript tools with
# the machine's node, which finds Debian's JavaScript modules (acorn, among
# them) only in /usr/share/nodejs when it is not Debian's own node: the path
# is set for configuring here and for every link (the launcher below).
set(SIMEQ_NODE_MODULES /usr/share/nodejs)
set(ENV{NODE_PATH} ${SIMEQ_NODE_MODULES})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${SIMEQ_NODE_MODULES})

# The loader emscripten 3.1.6 writes would fetch its .wasm file with node's
# own fetch, which cannot read a file path; without it, the loader reads the
# file.
set(CMAKE_CROSSCOMPILING_EMULATOR node --no-experimental-fetch)

include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
