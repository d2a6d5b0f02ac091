#!/bin/sh
# Builds the library, the tools and the tests with AddressSanitizer and
# UndefinedBehaviorSanitizer, then runs every test (the Python module's in a
# plain build of its own, the WebAssembly module's with Emscripten and
# headless Chromium: tools/test-wasm.sh).
set -eu
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build-sanitize}
TSAN_BUILD=${TSAN_BUILD_DIR:-build-tsan}
PYTHON_BUILD=${PYTHON_BUILD_DIR:-build-python}
JOBS=$(nproc 2>/dev/null || echo 2)

# The entry point under ThreadSanitizer first: threads reading different
# pictures at once must not race.
cmake -S . -B "$TSAN_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_TSAN=ON -DORVEL_BUILD_BENCH=OFF \
  -DORVEL_BUILD_DEMO=OFF
cmake --build "$TSAN_BUILD" -j "$JOBS" --target orvel_tests_read
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 setarch -R "$TSAN_BUILD/tests/orvel_tests_read" \
  --gtest_filter='*Threads*' --gtest_brief=1

# The Python module and its tests in a plain build of the module and
# orvel-scan alone: an extension built with AddressSanitizer loads only into
# an interpreter started with the sanitizer's runtime, so the sanitized build
# leaves the module out.
cmake -S . -B "$PYTHON_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_BUILD_BENCH=OFF -DORVEL_BUILD_DEMO=OFF \
  -DORVEL_BUILD_PYTHON=ON
cmake --build "$PYTHON_BUILD" -j "$JOBS" --target orvel_python orvel-scan
ctest --test-dir "$PYTHON_BUILD" --output-on-failure --no-tests=error -R '^Python[.]'

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEL_SANITIZE=ON -DORVEL_BUILD_BENCH=OFF
cmake --build "$BUILD" -j "$JOBS"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS"

# The WebAssembly module and the scanning page in headless Chromium.
tools/test-wasm.sh
