#!/bin/sh
# Installs the build into a staging folder, builds the consumer project
# against it and reads a sample picture with it.
# Usage: install-and-consume.sh BUILD_DIR SOURCE_DIR WORK_DIR [EXTRA_FLAGS]
set -eu
build=$1 source=$2 work=$3 flags=${4:-}
rm -rf "$work"
cmake --install "$build" --prefix "$work/stage" > /dev/null
cmake -S "$source/tests/install/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$work/stage" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" > /dev/null
cmake --build "$work/consumer" > /dev/null
output=$("$work/consumer/consumer" "$source/samples/QRCodeImages/qrcode.bmp")
echo "$output"
[ "$output" = "QRCODE: https://orvel.vekbarcode.example" ]
