#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Asks apt only when something is missing, so a prepared machine starts at once.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config help2man
    nlohmann-json3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libcli11-dev libgit2-dev
    qt6-base-dev libqscintilla2-qt6-dev qt6-translations-l10n fonts-ipafont-gothic xvfb xauth
    clang libclang-rt-14-dev
    tree findutils git time locales
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
