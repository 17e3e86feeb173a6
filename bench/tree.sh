#!/bin/bash
# Times loading a group of 2,000 plants into the tree beside reading the same records with cat, and
# node changes from the click to the page shown for a 30 KB page and a 2 MB diary.
set -euo pipefail
source "$(dirname "$0")/prepare.sh" bench_tree
"$tool" make "$work" 2>/dev/null
find "$work/MyPlants/Big" -name plant.ini -print0 >"$work/list"
xargs -0 cat <"$work/list" >/dev/null # warm the cache for both sides
t0=$(date +%s.%N)
for i in 1 2 3 4 5 6 7 8 9; do xargs -0 cat <"$work/list" >/dev/null; done
t1=$(date +%s.%N)
cat_ms=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", (b - a) * 1000 / 9 }')
echo "cat of the $(tr -cd "\\0" <"$work/list" | wc -c) records: $cat_ms ms (mean of 9)"
out=$("$tool" time "$work" 9 2>/dev/null)
echo "$out"
tree_ms=$(echo "$out" | sed -n 's/^tree of .*: \([0-9.]*\) ms.*/\1/p')
echo "ratio tree / cat: $(awk -v a="$tree_ms" -v b="$cat_ms" 'BEGIN { printf "%.2f", a / b }')"
bar=$(mktemp -d)
"$tool" bar "$bar" 9 2>/dev/null
rm -rf "$bar"
