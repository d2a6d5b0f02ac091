#!/bin/sh
# Builds a Release version and runs the five folder scans of the demo on the
# bundled sample pictures, printing the demo's log.
set -eu
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DORVEL_BUILD_TESTS=OFF > /dev/null
cmake --build "$BUILD" -j "$(nproc 2>/dev/null || echo 2)" --target orvel-scan > /dev/null
"$BUILD/cli/orvel-scan" --demo samples
