#!/usr/bin/env bash
# Times tandrel-cli's options against their plain run (and the plain run
# against tree(1)) on the same trees, warm cache, in interleaved rounds: each
# round runs every command once, in turn, so a busy machine slows all alike.
# Prints each command's median wall time and the ratios the options must keep:
#
#   -s -t          / tree -a -U -s -D --noreport     at most 0.5
#   plain (sorted by name) / --sort=none             at most 1.2
#   3 x --exclude  / plain                           at most 1.1
#   --du           / -s (the same walk: each file looked up)  at most 1.1
#   --prune        / plain                           at most 1.1
#   --color=always / the same walk without colour    at most 1.1
#     (both --draw=narrow -s: colours need each entry's mode, so each
#     entry is looked up, as -s looks it up; plain looks up none)
#   --format=json  / plain                           at most 1.3
#   --gitignore    / plain, on a git work tree with .gitignore files (a copy
#     of TREE100K, made once under WORK), beside git ls-files there
#     (no bound: what it costs to match git's rules)
#
#   bench/cli/options.sh [BUILD_DIR] [TREE] [TREE100K]
#     (defaults: build/release /work/trees/mixed-1M /work/trees/mixed-100k;
#      ROUNDS=5; WORK=/tmp/tandrel-options-bench, kept between runs)
set -euo pipefail -f
export LC_ALL=C
cd "$(dirname "$0")/../.."
build=${1:-build/release}
tree=${2:-/work/trees/mixed-1M}
small=${3:-/work/trees/mixed-100k}
rounds=${ROUNDS:-5}
work=${WORK:-/tmp/tandrel-options-bench}
cmake --build "$build" --target tandrel-cli >/dev/null
cli=$build/cli/tandrel-cli

# The git work tree: ignore files at the top and in a few folders, with
# patterns that match a good share of the entries.
repo=$work/repo
if [ ! -d "$repo/.git" ]; then
    rm -rf "$repo"
    mkdir -p "$work"
    cp -a "$small" "$repo"
    printf '*.bak\n*.log\n/config/\ntmp*/\n!keep.bak\n' >"$repo/.gitignore"
    find "$repo" -mindepth 2 -maxdepth 2 -type d | head -n 20 | while read -r folder; do
        printf '*.gz\n*.zip\n' >"$folder/.gitignore"
    done
    git -C "$repo" init -q
fi

names=(tree tandrel-st plain unsorted exclude sizes du prune narrow color json git-plain gitignore
    git-ls-files)
commands=(
    "tree -a -U -s -D --noreport $tree"
    "$cli -s -t $tree"
    "$cli $tree"
    "$cli --sort=none $tree"
    "$cli -I *.bak -I node_modules -I .git/ $tree"
    "$cli -s $tree"
    "$cli --du $tree"
    "$cli --prune $tree"
    "$cli --draw=narrow -s $tree"
    "$cli --draw=narrow -s --color=always $tree"
    "$cli --format=json $tree"
    "$cli $repo"
    "$cli --gitignore $repo"
    "git -C $repo ls-files -c -o --exclude-standard"
)

declare -A times
for command in "${commands[@]}"; do
    $command >/dev/null 2>&1 || true # warm the cache
done
for _ in $(seq "$rounds"); do
    for k in "${!commands[@]}"; do
        start=$EPOCHREALTIME
        ${commands[$k]} >/dev/null 2>&1 || true
        times[$k]+="$(awk "BEGIN { print $EPOCHREALTIME - $start }") "
    done
done

declare -A median
for k in "${!commands[@]}"; do
    median[${names[$k]}]=$(printf '%s\n' ${times[$k]} | sort -n |
        awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
    printf '%-10s %8.3f s   %s\n' "${names[$k]}" "${median[${names[$k]}]}" "${commands[$k]}"
done
ratio() {
    awk -v a="${median[$1]}" -v b="${median[$2]}" -v limit="$3" -v what="$4" \
        'BEGIN { r = a / b; printf "%-32s %.2f (at most %.1f)%s\n", what, r, limit, r <= limit ? "" : "  OVER" }'
}
echo
ratio tandrel-st tree 0.5 "-s -t / tree -a -U -s -D"
ratio plain unsorted 1.2 "plain (sorted) / --sort=none"
ratio exclude plain 1.1 "3 x --exclude / plain"
ratio du sizes 1.1 "--du / -s"
ratio prune plain 1.1 "--prune / plain"
ratio color narrow 1.1 "--color=always / the same, no colour"
ratio json plain 1.3 "--format=json / plain"
awk -v a="${median[gitignore]}" -v b="${median[git-plain]}" -v g="${median[git-ls-files]}" \
    'BEGIN { printf "%-32s %.2f, %.2f x git ls-files\n", "--gitignore / plain (git tree)", a / b, a / g }'
