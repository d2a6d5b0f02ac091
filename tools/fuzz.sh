#!/bin/sh
# Usage: tools/fuzz.sh TARGET|all [SECONDS]   (FUZZ_RUNS=N: stop after N executions)
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and UBSan
# in their own build directory, then runs TARGET (or every target in turn)
# for SECONDS each (default 60), starting from its seeds in fuzz/corpus and
# the inputs earlier runs kept in BUILD/fuzz-runs/TARGET/corpus. A crash, a
# sanitizer report, a leak, an input slower than 30 s or one that takes more
# than 2 GB stops the run, leaves the input in BUILD/fuzz-runs/TARGET/ and
# fails the script. The last line of each run gives its executions and
# coverage.
set -eu
cd "$(dirname "$0")/.."
if [ $# -lt 1 ]; then
  echo "usage: $0 TARGET|all [SECONDS]; targets: $(ls fuzz/*.cpp | sed 's,fuzz/,,; s,[.]cpp,,' | tr '\n' ' ')" >&2
  exit 2
fi
TARGET=$1
TIME=${2:-60}
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}
JOBS=$(nproc 2>/dev/null || echo 2)
CLANG=${FUZZ_CXX:-$(command -v clang++-14 || command -v clang++)}

if [ "$TARGET" = all ]; then
  TARGETS=$(ls fuzz/*.cpp | sed 's,fuzz/,,; s,[.]cpp,,')
else
  [ -f "fuzz/$TARGET.cpp" ] || { echo "$0: no fuzz target $TARGET" >&2; exit 2; }
  TARGETS=$TARGET
fi

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$CLANG" -DORVEL_FUZZ=ON \
  -DORVEL_BUILD_TESTS=OFF -DORVEL_BUILD_BENCH=OFF -DORVEL_BUILD_DEMO=OFF -DORVEL_BUILD_PYTHON=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target $(for t in $TARGETS; do printf 'orvel_fuzz_%s ' "$t"; done)

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for t in $TARGETS; do
  runs="$BUILD/fuzz-runs/$t"
  mkdir -p "$runs/corpus"
  # Inputs up to the largest a target reads: a version 40 QR matrix, a
  # 135 x 136 grey picture.
  case $t in
    qrcode) maxlen=4096 ;;
    readbarcodes) maxlen=18400 ;;
    *) maxlen=4096 ;;
  esac
  echo "== $t for $TIME s"
  "$BUILD/fuzz/orvel_fuzz_$t" -max_total_time="$TIME" ${FUZZ_RUNS:+-runs=$FUZZ_RUNS} -max_len="$maxlen" -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$runs/" "$runs/corpus" "fuzz/corpus/$t" >"$runs/log" 2>&1 || {
    tail -60 "$runs/log"
    echo "$0: $t found a fault; the input is in $runs/" >&2
    exit 1
  }
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$runs/log")
  coverage=$(grep -E '^#[0-9]+' "$runs/log" | tail -1 | sed -n 's/.*cov: \([0-9]*\) ft: \([0-9]*\).*/\1 edges, \2 features/p')
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$runs/log")
  peak=$(sed -n 's/^stat::peak_rss_mb: *//p' "$runs/log")
  echo "$t: $executions executions ($rate/s), $coverage, corpus $(ls "$runs/corpus" | wc -l) inputs, peak $peak MB"
done
