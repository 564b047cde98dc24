#!/usr/bin/env bash
# Builds and runs every test: the debug build, then the whole suite again under
# AddressSanitizer + UndefinedBehaviorSanitizer with leak checking, the
# parallel walk's and the look-ahead lookup's tests under ThreadSanitizer, then
# short runs of the libFuzzer targets (built with clang).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake --preset debug -DTANDREL_WARNINGS_AS_ERRORS=ON
cmake --build --preset debug -j "$jobs"
ctest --preset debug -j "$jobs" --label-exclude fuzz

# The whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer,
# leak checking on: any report ends the test that made it with a failure.
sanitizers_start=$(date +%s)
cmake --preset asan -DTANDREL_WARNINGS_AS_ERRORS=ON
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs" --label-exclude fuzz

# The parallel walk and the look-ahead lookup under ThreadSanitizer: only
# their tests, which run readers and workers on many threads.
cmake --preset tsan -DTANDREL_WARNINGS_AS_ERRORS=ON
cmake --build --preset tsan -j "$jobs"
ctest --preset tsan -j "$jobs"

# Every libFuzzer target for a short, fixed time on a copy of its seed corpus.
cmake --preset fuzz
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz -j "$jobs"
echo "Sanitizer and fuzz steps: $(($(date +%s) - sanitizers_start)) s"
