#!/bin/sh
# Installs every Debian package the build, the demo, the tests (the
# WebAssembly module's too: Emscripten, Chromium, Node.js) and the benchmarks
# need. Safe to run again.
set -eu
PACKAGES="build-essential cmake pkg-config libjpeg62-turbo-dev libpng-dev qt6-base-dev libgl-dev \
libgtest-dev libgmock-dev libbenchmark-dev libzxing-dev zint python3 \
python3-dev pybind11-dev python3-pybind11 python3-numpy python3-dask python3-distributed \
clang libclang-rt-dev emscripten chromium"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
# Node.js and npm for the WebAssembly module's tests: Debian's unless a
# Node.js that brings its own npm is installed already.
command -v node > /dev/null 2>&1 || missing="$missing nodejs"
command -v npm > /dev/null 2>&1 || missing="$missing npm"
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
