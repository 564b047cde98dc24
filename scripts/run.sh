#!/usr/bin/env bash
# Builds Tandrel (release) and starts it: the dialog (on FOLDER when given)
# when a display is available, otherwise tandrel-cli on FOLDER (default: the
# current folder). FOLDER is taken relative to the folder the script runs in.
#   scripts/run.sh [FOLDER]
set -euo pipefail
here=$(pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh

cmake --preset release
cmake --build --preset release -j "$(nproc)"

cd "$here"
if [ -x "$root/build/release/app/tandrel" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    exec "$root/build/release/app/tandrel" ${1+-- "$1"}
fi
if [ -x "$root/build/release/cli/tandrel-cli" ]; then
    status=0
    "$root/build/release/cli/tandrel-cli" -- "${1:-$here}" || status=$?
    echo
    echo "(No display: this is tandrel-cli. Run this command on a desktop, or under"
    echo " xvfb-run, to get the Tandrel window.)"
    exit "$status"
fi
