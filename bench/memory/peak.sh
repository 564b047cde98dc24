#!/usr/bin/env bash
# Peak memory of `tandrel-cli -s -t` (walk, details of every file, rendering
# with sizes and times) on a synthetic tree, as the maximum resident set size
# that GNU time reports. Goal: under 200 MB for 1,000,000 entries.
#
#   bench/memory/peak.sh [ENTRIES] [SHAPE]     (defaults: 1000000 mixed)
#
# Builds tree-gen and tandrel-cli (Release, in build/memory or $BUILD_DIR),
# makes the tree in a temporary folder (sparse files: little disk beyond the
# inodes), measures, and removes the tree again. Set TMPDIR to put the tree
# elsewhere.
set -euo pipefail
cd "$(dirname "$0")/../.."

entries=${1:-1000000}
shape=${2:-mixed}
goal_mb=200

if [ ! -x /usr/bin/time ]; then
    echo "peak.sh needs GNU time: apt-get install time" >&2
    exit 2
fi

bin=${BUILD_DIR:-build/memory}
cmake -S . -B "$bin" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTANDREL_BUILD_TESTS=OFF \
    -DTANDREL_BUILD_DIALOG=OFF -DTANDREL_BUILD_BENCH=ON >/dev/null
cmake --build "$bin" --target tree-gen tandrel-cli >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/bench/walk/tree-gen" "$shape" "$entries" "$work/tree"

# Warm the cache, so that the figure is the program's, not the disk's.
"$bin/cli/tandrel-cli" -s -t "$work/tree" >/dev/null

/usr/bin/time -v -o "$work/time.txt" "$bin/cli/tandrel-cli" -s -t "$work/tree" >"$work/out.txt"
peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
seconds=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time.txt")
lines=$(wc -l <"$work/out.txt")
text_bytes=$(wc -c <"$work/out.txt")

echo "tree:        $shape, $entries entries ($lines output lines, $((text_bytes / 1024 / 1024)) MB of text)"
echo "command:     tandrel-cli -s -t, $seconds wall clock"
echo "peak memory: $((peak_kb / 1024)) MB ($((peak_kb * 1024 / entries)) bytes per entry)"
if [ "$((peak_kb / 1024))" -lt "$goal_mb" ]; then
    echo "goal:        under $goal_mb MB: met"
else
    echo "goal:        under $goal_mb MB: missed"
fi
