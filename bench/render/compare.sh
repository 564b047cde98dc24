#!/usr/bin/env bash
# Times the whole command `tandrel-cli -s -t DIR > /dev/null` beside tree(1)
# and find(1) on the same trees, in one run with a warm cache (or a cold one),
# and reports tandrel-cli's peak memory and how its time grows from 100k to 1M
# entries.
#
#   bench/render/compare.sh [--cold] [BUILD_DIR]   (default build/release; RUNS=3)
#
# With --cold every timed run starts from an empty page cache (sync, then 3
# written to /proc/sys/vm/drop_caches: root only), as the first press on a
# folder does, and there is no warm-up run; when the cache cannot be dropped
# the script says so and measures warm. fd (fdfind -HI -u -j8, names only)
# joins the columns when it is installed.
#
# The trees come from tree-gen (bench/walk): mixed 100k, mixed 1M and a flat
# folder of 200k files, made in a temporary folder under /tmp that is removed
# at the end. Each command runs once to warm the cache, then RUNS times; the
# median counts. Columns:
#   tandrel  tandrel-cli -s -t DIR
#   tree     tree -a -U -s -D --noreport DIR
#   find5    find DIR -printf '%d %y %s %T@ %f\n'
#   find2    find DIR -printf '%s %T@\n'
#   fd       fdfind -HI -u -j8 . DIR (names only; 0 when not installed)
# then tandrel's time as a ratio of each, its peak resident memory, the size
# of its output, and the peak less the output per entry.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/../.."
cold=0
if [ "${1:-}" = --cold ]; then
    cold=1
    shift
fi
build=${1:-build/release}
runs=${RUNS:-3}

if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DTANDREL_BUILD_TESTS=OFF -DTANDREL_BUILD_DIALOG=OFF >/dev/null
fi
cmake --build "$build" --target tandrel-cli tree-gen render-bench >/dev/null
cli=$build/cli/tandrel-cli
gen=$build/bench/walk/tree-gen
bench=$build/bench/render/render-bench

# GNU time measures the peak memory; tree is the reference.
missing=()
[ -x /usr/bin/time ] || missing+=(time)
command -v tree >/dev/null || missing+=(tree)
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

work=$(mktemp -d /tmp/tandrel-compare.XXXXXX)
trap 'rm -rf "$work"' EXIT

drop_cache() {
    sync && echo 3 2>/dev/null >/proc/sys/vm/drop_caches
}
if [ "$cold" = 1 ] && ! drop_cache 2>/dev/null; then
    echo "compare.sh: cannot drop the page cache (root only): measuring with a warm cache" >&2
    cold=0
fi
[ "$cold" = 1 ] && echo "Cold cache: the page cache is dropped before every timed run."

# Prints the median wall time, in seconds, of RUNS runs after one warm-up
# (with --cold: each run after dropping the cache, no warm-up).
median() {
    [ "$cold" = 1 ] || "$@" >/dev/null
    local times=() start
    for _ in $(seq "$runs"); do
        [ "$cold" = 0 ] || drop_cache
        start=$EPOCHREALTIME
        "$@" >/dev/null
        times+=("$(awk "BEGIN { print $EPOCHREALTIME - $start }")")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

# Prints the peak resident memory of a command in kilobytes.
peak_kb() {
    { /usr/bin/time -f %M "$@" >/dev/null; } 2>&1 | tail -n 1
}

declare -A entries=([mixed-100k]=100000 [mixed-1M]=1000000 [wide-200k]=200000)
declare -A seconds
for name in mixed-100k mixed-1M wide-200k; do
    "$gen" "${name%-*}" "${entries[$name]}" "$work/$name" >/dev/null
done

printf '%-11s %8s %8s %8s %8s %8s %8s %8s %8s %8s %8s %9s %9s %10s\n' tree entries tandrel tree \
    find5 find2 fd 'vs tree' 'vs find5' 'vs find2' 'vs fd' 'peak MB' 'text MB' 'B/entry'
for name in mixed-100k mixed-1M wide-200k; do
    dir=$work/$name
    t_cli=$(median "$cli" -s -t "$dir")
    t_tree=$(median tree -a -U -s -D --noreport "$dir")
    t_find5=$(median find "$dir" -printf '%d %y %s %T@ %f\n')
    t_find2=$(median find "$dir" -printf '%s %T@\n')
    t_fd=0
    if command -v fdfind >/dev/null; then
        t_fd=$(median fdfind -HI -u -j8 . "$dir")
    fi
    peak=$(peak_kb "$cli" -s -t "$dir")
    text=$("$cli" -s -t "$dir" | wc -c)
    seconds[$name]=$t_cli
    awk -v n="$name" -v e="${entries[$name]}" -v c="$t_cli" -v t="$t_tree" -v f5="$t_find5" \
        -v f2="$t_find2" -v fd="$t_fd" -v p="$peak" -v x="$text" 'BEGIN {
        printf "%-11s %8d %8.3f %8.3f %8.3f %8.3f %8.3f %8.2f %8.2f %8.2f %8.2f %9.1f %9.1f %10.1f\n",
            n, e, c, t, f5, f2, fd, c / t, c / f5, c / f2, fd > 0 ? c / fd : 0, p / 1024, x / 1e6,
            (p * 1024 - x) / e }'
done
awk -v big="${seconds[mixed-1M]}" -v small="${seconds[mixed-100k]}" \
    'BEGIN { printf "scaling: mixed-1M takes %.2f times as long as mixed-100k\n", big / small }'

echo
echo "Rendering alone (render-bench):"
"$bench" --runs "$runs" "$work/wide-200k"
