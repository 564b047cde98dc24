#!/usr/bin/env bash
# Builds Tandrel (release) and starts it: the dialog when a display is
# available, otherwise tandrel-cli on FOLDER (default: the current folder).
set -euo pipefail
here=$(pwd)
cd "$(dirname "$0")/.."
scripts/deps.sh

cmake --preset release
cmake --build --preset release -j "$(nproc)"

folder=${1:-$here}
if [ -x build/release/app/tandrel ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    exec build/release/app/tandrel
fi
if [ -x build/release/cli/tandrel-cli ]; then
    build/release/cli/tandrel-cli "$folder"
    echo
    echo "(No display: this is tandrel-cli. Run this command on a desktop, or under"
    echo " xvfb-run, to get the Tandrel window.)"
else
    echo "Built the Morvash library in build/release; the programs come with later work."
fi
