#!/usr/bin/env bash
# Writes a screenshot of the real Tandrel window (default: docs/screenshot.png):
# under Xvfb, the main dialog after a press of "展開" on a small sample folder.
#   scripts/screenshot.sh [OUTPUT.png]
# BUILD_DIR picks the build (default build/release, built when the helper is missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
output=$(realpath -m "${1:-docs/screenshot.png}")
build=${BUILD_DIR:-build/release}
helper=$build/tests/app/tandrel-screenshot

if [ ! -x "$helper" ]; then
    scripts/deps.sh
    cmake --preset release
    cmake --build --preset release -j "$(nproc)" --target tandrel-screenshot
    helper=build/release/tests/app/tandrel-screenshot
fi

# The sample: the folder of the documentation's worked example, with a few
# Japanese names beside it.
sample=$(mktemp -d)
trap 'rm -rf "$sample"' EXIT
work=$sample/work
mkdir -p "$work/docs" "$work/empty" "$work/src/lib" "$work/資料"
printf 'notes\n' > "$work/docs/a.txt"
printf 'more notes\n' > "$work/docs/b.txt"
printf 'read me\n' > "$work/readme.txt"
printf 'int x;\n' > "$work/src/lib/x.c"
printf 'int main() {}\n' > "$work/src/main.c"
printf '議事録\n' > "$work/資料/会議メモ.txt"
printf '予定\n' > "$work/資料/日程表.csv"

mkdir -p "$(dirname "$output")"
LANG=C.UTF-8 LC_ALL=C.UTF-8 \
    TANDREL_SCREENSHOT_FOLDER="$work" TANDREL_SCREENSHOT_OUTPUT="$output" \
    xvfb-run -a -s "-screen 0 800x600x24" "$helper"
