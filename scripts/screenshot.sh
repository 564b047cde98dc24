#!/usr/bin/env bash
# Writes a screenshot of the real Tandrel window (default: docs/screenshot.png):
# under Xvfb with the openbox window manager (installed when missing), the
# main dialog enlarged, with the size and time columns, after a press of
# "展開" on a real folder (default: the project's render/ sources); then one
# of the settings dialog, settings.png beside it.
#   scripts/screenshot.sh [OUTPUT.png [FOLDER]]
# BUILD_DIR picks the build (default build/release, built when the helper is missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "${1:-$root/docs/screenshot.png}")
settings=$(dirname "$output")/settings.png
folder=$(realpath "${2:-$root/render}")
cd "$root"
build=${BUILD_DIR:-build/release}
helper=$build/docs/screenshot/tandrel-screenshot

if [ ! -x "$helper" ]; then
    scripts/deps.sh
    cmake --preset release
    cmake --build --preset release -j "$(nproc)" --target tandrel-screenshot
    helper=build/release/docs/screenshot/tandrel-screenshot
fi
# A window manager draws the title bar; only the screenshot needs one.
if ! command -v openbox > /dev/null; then
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends openbox
fi

mkdir -p "$(dirname "$output")"
# One X session: openbox first, then the helper once it manages the screen.
LANG=C.UTF-8 LC_ALL=C.UTF-8 \
    TANDREL_SCREENSHOT_FOLDER="$folder" TANDREL_SCREENSHOT_OUTPUT="$output" \
    TANDREL_SCREENSHOT_SETTINGS="$settings" \
    xvfb-run -a -s "-screen 0 1024x768x24" \
    bash -c 'openbox & wm=$!; sleep 1; "$0"; status=$?; kill "$wm"; exit "$status"' "$helper"
