#!/bin/sh
# Builds the WebAssembly module (wasm/dist/orvel.mjs and orvel.wasm) with
# Debian's Emscripten into build-wasm/ (set WASM_BUILD_DIR to use another).
set -eu
cd "$(dirname "$0")/.."
BUILD=${WASM_BUILD_DIR:-build-wasm}
JOBS=$(nproc 2>/dev/null || echo 2)
# Debian's Emscripten finds its JavaScript parser (acorn) among Debian's
# Node packages.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
emcmake cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DORVEL_BUILD_WASM=ON
cmake --build "$BUILD" -j "$JOBS" --target orvel_wasm
