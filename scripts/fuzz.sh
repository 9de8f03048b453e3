#!/usr/bin/env bash
# Builds the image decoder's libFuzzer target with clang in build-fuzz/,
# writes its seed corpus, and fuzzes for a bounded time (QV_FUZZ_SECONDS,
# default 60). Fails on any crash, leak, timeout or sanitizer report; the
# input that caused it is kept in build-fuzz/fuzz-artifacts/.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$QV_ROOT/build-fuzz"
seconds=${QV_FUZZ_SECONDS:-60}

for tool in clang-14 clang++-14; do
  if ! command -v "$tool" >/dev/null; then
    echo "fuzz.sh: $tool is missing (packages clang-14 and libclang-rt-14-dev)" >&2
    exit 1
  fi
done

mkdir -p "$build"
CC=clang-14 CXX=clang++-14 cmake -S "$QV_ROOT" -B "$build" \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BUILD_FUZZ=ON -DQV_BUILD_TESTS=OFF >"$build/configure.log" ||
  { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j2 --target fuzz_image_decode fuzz_image_seeds

seeds="$build/fuzz-seeds"
corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus" "$artifacts"
"$build/fuzz_image_seeds" "$seeds"

log="$build/fuzz.log"
echo "fuzz.sh: fuzzing the image decoder for ${seconds} s (log: $log)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
# Standard error is closed for the decoder (libjpeg prints its warnings
# there); libFuzzer and the sanitizers keep reporting through their own copy.
status=0
"$build/fuzz_image_decode" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
  -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$artifacts/" \
  "$corpus" "$seeds" >"$log" 2>&1 || status=$?

if [ $status -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
  echo "fuzz.sh: the fuzzer found a fault (exit status $status):" >&2
  tail -n 60 "$log" >&2
  exit 1
fi
grep -E '^stat::number_of_executed_units|^Done ' "$log" || true
echo "fuzz.sh: no faults found"
