#!/usr/bin/env bash
# Writes a picture of tandrel-cli in a real terminal (default: docs/cli-color.png):
# xterm under Xvfb, with LS_COLORS as dircolors sets it, showing
# `tandrel-cli -h --du` in colour on a folder (default: the project's bench/
# sources). xterm, xwd and netpbm are installed when missing.
#   scripts/cli-screenshot.sh [OUTPUT.png [FOLDER]]
# BUILD_DIR picks the build (default build/release, built when tandrel-cli is missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "${1:-$root/docs/cli-color.png}")
folder=$(realpath "${2:-$root/bench}")
cd "$root"
build=${BUILD_DIR:-build/release}
cli=$(realpath -m "$build/cli/tandrel-cli")

if [ ! -x "$cli" ]; then
    scripts/deps.sh
    cmake --preset release
    cmake --build --preset release -j "$(nproc)" --target tandrel-cli
    cli=$root/build/release/cli/tandrel-cli
fi
# Only the picture needs a terminal and the tools that capture it.
missing=()
command -v xterm >/dev/null || missing+=(xterm)
command -v xwd >/dev/null || missing+=(x11-apps)
command -v pnmtopng >/dev/null || missing+=(netpbm)
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# What the terminal shows: the prompt, the command and its output; then it
# says it is done and waits to be captured.
cat >"$work/show.sh" <<SHOW
eval "\$(dircolors -b)"
cd "$(dirname "$folder")"
printf '\$ tandrel-cli -h --du %s\n' "$(basename "$folder")"
"$cli" -h --du "$(basename "$folder")"
touch "$work/shown"
sleep 60
SHOW
lines=$(("$("$cli" -h --du "$folder" | wc -l)" + 2))
mkdir -p "$(dirname "$output")"
LANG=C.UTF-8 LC_ALL=C.UTF-8 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    xterm -T tandrel-cli -geometry "78x$1" -fa "DejaVu Sans Mono" -fs 11 \
        -bg "#1c1c1c" -fg "#d8d8d8" -b 8 -e bash "$2/show.sh" &
    term=$!
    for _ in $(seq 100); do [ -e "$2/shown" ] && break; sleep 0.1; done
    sleep 0.5
    xwd -silent -name tandrel-cli | xwdtopnm 2>/dev/null | pnmtopng >"$3"
    kill "$term"
' bash "$lines" "$work" "$output"
echo "wrote $output"
