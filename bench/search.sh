#!/bin/bash
# Search over a generated collection of 2,000 plants (three Windows-1251 rich-edit RTF pages each,
# about 300 MB, and 2,000 photo comments): the first index build, a search right after start-up, the
# update after 10 pages changed outside the program, the whole `verdarium-cli search` process beside
# `grep -r -l` over the same folder in the same run, and SQLite FTS5 beside Xapian on the same texts.
# SEARCH_BENCH_COLLECTION=DIR keeps the generated collection there between runs.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
(cd "$here" && cmake --preset release >/dev/null &&
    cmake --build --preset release --target bench_search verdarium-cli >/dev/null)
tool="$here/build/release/bench/bench_search"
cli="$here/build/release/src/cli/verdarium-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pf="${SEARCH_BENCH_COLLECTION:-$work/collection}"
if [ ! -d "$pf/MyPlants" ]; then
    echo "making the collection in $pf ..."
    python3 "$here/bench/gen_search_collection.py" "$pf" 2000 43
fi
echo "collection: $(du -sm "$pf/MyPlants" | cut -f1) MB, $(find "$pf/MyPlants" -name '*.rtf' | wc -l) pages," \
    "$(find "$pf/MyPlants" -name '*.jpg.txt' | wc -l) comments"
export XDG_CACHE_HOME="$work/cache"
rm -rf "$XDG_CACHE_HOME"
"$tool" build "$pf"
"$tool" search "$pf" фунгицид
"$tool" search "$pf" полив ярмарк

# The whole companion process against grep over the same folder, both with a warm page cache.
timeit() { # command...; prints the median of 5 runs in ms
    local runs=()
    for _ in 1 2 3 4 5; do
        local t0 t1
        t0=$(date +%s%N)
        "$@" >/dev/null || true
        t1=$(date +%s%N)
        runs+=($(((t1 - t0) / 1000)))
    done
    printf '%s\n' "${runs[@]}" | sort -n | sed -n 3p | awk '{ printf "%.1f", $1 / 1000 }'
}
grep -r -l Fungicide "$pf/MyPlants" >/dev/null || true
cli_ms=$(timeit "$cli" search "$pf" fungicide)
grep_ms=$(timeit grep -r -l Fungicide "$pf/MyPlants")
echo "verdarium-cli search $pf fungicide: $cli_ms ms (median of 5); grep -r -l Fungicide: $grep_ms ms;" \
    "ratio $(awk -v a="$cli_ms" -v b="$grep_ms" 'BEGIN { printf "%.2f", a / b }') (goal at most 0.5)"
"$tool" touch "$pf"
"$tool" engines "$pf"
