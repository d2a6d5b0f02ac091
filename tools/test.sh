#!/bin/sh
# Builds the library, the tools and the tests with AddressSanitizer and
# UndefinedBehaviorSanitizer, then runs every test.
set -eu
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build-sanitize}
JOBS=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_SANITIZE=ON -DORVEL_BUILD_BENCH=OFF
cmake --build "$BUILD" -j "$JOBS"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS"
