#!/usr/bin/env bash
# Times tandrel-cli on trees of one shape each (the shapes that make a walk
# slower than linear or hungry for memory) beside tree(1) and find(1), for one
# or more tandrel-cli builds in the same run, and checks the walk's goals:
#   tandrel-cli DIR        at most 0.6 x  tree -a -U DIR
#   tandrel-cli -s -t DIR  at most 0.5 x  tree -a -U -s -D DIR
#   ten times the entries of a shape in at most 11 times the time
#   peak memory under 200 MB on the shapes of 1M entries or more
#
#   bench/walk/shapes.sh [--small] [--dir DIR] [--cli NAME=PATH]...
#     --cli NAME=PATH  a tandrel-cli to time (may be given many times; default
#                      new=build/release/cli/tandrel-cli of this repository)
#     --dir DIR        where the trees are made and kept (/tmp/tandrel-shapes)
#     --small          every shape at a tenth of its size
#   RUNS=3 timed rounds; SHAPES="wide-10k wide-100k" times only those shapes;
#   COLD=1 drops the page cache before every timed run (root only; otherwise
#   the script says so and measures warm); GEN=PATH the tree-gen to use
#   (default build/release/bench/walk/tree-gen).
#
# Shapes, full size (--small):
#   wide-10k wide-100k wide-1M  one folder of 10k, 100k, 1M files (1k 10k 100k)
#   grid-1000x1000   1,000 folders of 1,000 files each       (grid-100x1000)
#   chain-32x1000    32 levels, 1,000 files on each           (chain-32x100)
#   folders-100k     empty folders side by side                (folders-10k)
#   singles-200k     folders of one file each                  (singles-20k)
#   long-100k        files with names of 200-255 bytes            (long-10k)
#   links-100k       symbolic links, half of them dangling       (links-10k)
# tree-gen makes each tree once, as DIR/SHAPE, and leaves DIR/SHAPE.done
# beside it; a later run reuses the tree (one without its marker is remade).
#
# On each shape: one warm-up round, in which every tandrel-cli runs under GNU
# time for its peak memory; then RUNS rounds, each running every command once
# in a rotated order, so that a busy machine slows all alike (output to
# /dev/null, TANDREL_* unset, LC_ALL=C.UTF-8). Medians count. Then one table
# per tandrel-cli: each command's time in seconds, the ratios to tree, the
# growth over the shape with a tenth of the entries, the peak memory, each
# figure that misses its goal marked "!", and a line per goal: met or missed.
set -euo pipefail
export LC_ALL=C.UTF-8 # tree prints UTF-8 names as they are; "." in EPOCHREALTIME
unset TANDREL_DRAW TANDREL_THREADS
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${RUNS:-3}
gen=${GEN:-$root/build/release/bench/walk/tree-gen}
base=/tmp/tandrel-shapes
scale=1
names=() paths=()
while [ $# -gt 0 ]; do
    case $1 in
    --small) scale=10 ;;
    --dir) base=$2 && shift ;;
    --cli) names+=("${2%%=*}") && paths+=("${2#*=}") && shift ;;
    *) sed -n '10,18p' "$0" >&2 && exit 2 ;;
    esac
    shift
done
if [ ${#names[@]} -eq 0 ]; then
    names=(new) paths=("$root/build/release/cli/tandrel-cli")
fi
for tool in "$gen" /usr/bin/time "$(command -v tree || echo tree)" "${paths[@]}"; do
    [ -x "$tool" ] || { echo "shapes.sh: $tool is missing (scripts/deps.sh, or build it)" >&2 && exit 2; }
done
cold=${COLD:-0}
drop_cache() { sync && echo 3 2>/dev/null >/proc/sys/vm/drop_caches; }
if [ "$cold" = 1 ] && ! drop_cache 2>/dev/null; then
    echo "shapes.sh: cannot drop the page cache (root only): measuring with a warm cache" >&2
    cold=0
fi

# NAME, tree-gen's shape and size, and the shape with a tenth of its entries.
n() { echo $(($1 / scale)); }
label() { awk -v n="$1" 'BEGIN { print (n >= 1e6 ? n / 1e6 "M" : n >= 1e3 ? n / 1e3 "k" : n) }'; }
shapes=(
    "wide-$(label "$(n 10000)") wide $(n 10000) -"
    "wide-$(label "$(n 100000)") wide $(n 100000) wide-$(label "$(n 10000)")"
    "wide-$(label "$(n 1000000)") wide $(n 1000000) wide-$(label "$(n 100000)")"
    "grid-$(n 1000)x1000 grid $(n 1000)x1000 -"
    "chain-32x$(n 1000) chain 32x$(n 1000) -"
    "folders-$(label "$(n 100000)") folders $(n 100000) -"
    "singles-$(label "$(n 200000)") singles $(n 200000) -"
    "long-$(label "$(n 100000)") long $(n 100000) -"
    "links-$(label "$(n 100000)") links $(n 100000) -"
)
known=" ${shapes[*]%% *} "
for pick in ${SHAPES:-}; do
    [[ $known == *" $pick "* ]] || { echo "shapes.sh: no shape $pick; one of:$known" >&2 && exit 2; }
done

# The commands, each completed by the tree's path: two per tandrel-cli (the
# first 2 x clis), then the peers.
commands=()
for path in "${paths[@]}"; do
    commands+=("$(printf %q "$path")" "$(printf %q "$path") -s -t")
done
clis=$((2 * ${#paths[@]}))
commands+=("tree -a -U" "tree -a -U -s -D" "find")

mkdir -p "$base"
results=$(mktemp)
peakfile=$(mktemp)
trap 'rm -f "$results" "$peakfile"' EXIT
for entry in "${shapes[@]}"; do
    read -r name shape size smaller <<<"$entry"
    [ -z "${SHAPES:-}" ] || [[ " $SHAPES " == *" $name "* ]] || continue
    dir=$base/$name
    recipe="tree-gen $shape $size"
    if [ "$(head -n 1 "$dir.done" 2>/dev/null)" != "$recipe" ]; then
        rm -rf "$dir" "$dir.done"
        echo "making $dir" >&2
        made=$("$gen" "$shape" "$size" "$dir")
        printf '%s\n%s\n' "$recipe" "$made" >"$dir.done"
    fi
    entries=$(sed -n '2s/.*: \([0-9]*\) entries.*/\1/p' "$dir.done")

    declare -A times=() peaks=() status=()
    for k in "${!commands[@]}"; do
        if [ "$k" -lt "$clis" ]; then
            eval "/usr/bin/time -f %M -o $peakfile ${commands[$k]} \"\$dir\"" >/dev/null 2>&1 || true
            peaks[$k]=$(tail -n 1 "$peakfile")
        else
            eval "${commands[$k]} \"\$dir\"" >/dev/null 2>&1 || true
        fi
    done
    echo "timing $name ($entries entries): $runs rounds" >&2
    for round in $(seq "$runs"); do
        for j in "${!commands[@]}"; do
            k=$(((j + round) % ${#commands[@]}))
            [ "$cold" = 0 ] || drop_cache
            rc=0
            start=$EPOCHREALTIME
            eval "${commands[$k]} \"\$dir\"" >/dev/null 2>&1 || rc=$?
            end=$EPOCHREALTIME
            times[$k]+="$((${end/./} - ${start/./})) "
            [ "$rc" = 0 ] || status[$k]=$rc
        done
    done
    medians=()
    for k in "${!commands[@]}"; do
        medians+=("$(tr ' ' '\n' <<<"${times[$k]}" | sort -n |
            awk 'NF { t[++n] = $1 } END { print t[int((n + 1) / 2)] / 1e6 }'):${status[$k]:-0}")
    done
    for i in "${!paths[@]}"; do
        echo "$i $name $entries $smaller ${medians[2 * i]} ${medians[2 * i + 1]}" \
            "${medians[*]: -3} ${peaks[$((2 * i))]} ${peaks[$((2 * i + 1))]}" >>"$results"
    done
done

for i in "${!paths[@]}"; do
    echo
    echo "${names[$i]}: ${paths[$i]} ($([ "$cold" = 1 ] && echo cold || echo warm) cache," \
        "median of $runs, seconds; ! misses a goal; (exit N) a command that failed)"
    awk -v want="$i" -v name="${names[$i]}" '
    function t(cell) { split(cell, p, ":"); return p[1] }
    function shown(cell,  p) {
        split(cell, p, ":")
        return sprintf("%.3f", p[1]) (p[2] == 0 ? "" : "(exit " p[2] ")")
    }
    function mark(value, limit, text, fail) { return value <= limit && !fail ? text " " : text "!" }
    function verdict(goal, misses, measured) {
        printf "  %-52s %s\n", goal, measured == 0 ? "not measured" : misses == "" ? "met" : "missed:" misses
    }
    $1 == want {
        rows[++count] = $2; entries[$2] = $3; smaller[$2] = $4
        cli[$2] = t($5); st[$2] = t($6); tree[$2] = t($7); treeD[$2] = t($8)
        cells[$2] = sprintf("%8s %8s %11s %11s %8s", shown($5), shown($6), shown($7), shown($8), shown($9))
        peak[$2] = $10 / 1024; peakSt[$2] = $11 / 1024
        failed[$2] = $5 !~ /:0$/; failedSt[$2] = $6 !~ /:0$/
    }
    END {
        print "ratio: default / tree -a -U, -s -t / tree -a -U -s -D; growth: over the same shape"
        print "with a tenth of the entries; MB: peak resident memory"
        printf "%-15s %8s %8s %8s %11s %11s %8s %6s %6s %7s %7s %6s %7s\n", "shape", "entries",
            "default", "-s -t", "tree -a -U", "tree -s -D", "find", "ratio", "-s -t",
            "growth", "-s -t", "MB", "-s -t"
        for (r = 1; r <= count; ++r) {
            s = rows[r]
            ratio = cli[s] / tree[s]; ratioSt = st[s] / treeD[s]
            if (ratio > 0.6 || failed[s])
                missRatio = missRatio " " s " " (failed[s] ? "failed" : sprintf("%.2f", ratio))
            if (ratioSt > 0.5 || failedSt[s])
                missRatioSt = missRatioSt " " s " " (failedSt[s] ? "failed" : sprintf("%.2f", ratioSt))
            growth = growthSt = "-"
            if (smaller[s] in cli) {
                ++grown
                g = cli[s] / cli[smaller[s]]; gSt = st[s] / st[smaller[s]]
                growth = mark(g, 11, sprintf("%.1fx", g)); growthSt = mark(gSt, 11, sprintf("%.1fx", gSt))
                if (g > 11) missGrowth = missGrowth sprintf(" %s %.1fx", s, g)
                if (gSt > 11) missGrowth = missGrowth sprintf(" %s -s -t %.1fx", s, gSt)
            }
            peakMark = peakMarkSt = " "
            if (entries[s] >= 1000000) {
                ++big
                if (peak[s] >= 200) { peakMark = "!"; missPeak = missPeak sprintf(" %s %.0f MB", s, peak[s]) }
                if (peakSt[s] >= 200) { peakMarkSt = "!"; missPeak = missPeak sprintf(" %s -s -t %.0f MB", s, peakSt[s]) }
            }
            printf "%-15s %8d %s %6s %6s %7s %7s %5.0f%s %6.0f%s\n", s, entries[s], cells[s],
                mark(ratio, 0.6, sprintf("%.2f", ratio), failed[s]),
                mark(ratioSt, 0.5, sprintf("%.2f", ratioSt), failedSt[s]),
                growth, growthSt, peak[s], peakMark, peakSt[s], peakMarkSt
        }
        print "goals of " name ":"
        verdict("default options at most 0.6 x tree -a -U", missRatio, count)
        verdict("-s -t at most 0.5 x tree -a -U -s -D", missRatioSt, count)
        verdict("ten times the entries in at most 11 times the time", missGrowth, grown)
        verdict("peak memory under 200 MB at 1M entries", missPeak, big)
    }' "$results"
done
