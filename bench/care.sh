#!/bin/bash
# `verdarium-cli due` over a collection of 2,000 plants, whole processes, beside `cat` of every record it
# reads (medians of 7, alternating). A quarter of the plants, every folder and every group carry care
# tasks, as a keeper who waters by the windowsill and feeds some plants on their own would set them.
# CARE_BENCH_COLLECTION=DIR keeps the generated collection between runs.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
(cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target verdarium-cli >/dev/null)
cli="$here/build/release/src/cli/verdarium-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$here/bench/timing.sh"

pf="${CARE_BENCH_COLLECTION:-$work/collection}"
if [ ! -d "$pf/MyPlants" ]; then
    python3 "$here/bench/gen_search_collection.py" "$pf" 2000 43 >/dev/null
    # Tasks written as the program writes them: the Care section at the end of each record.
    python3 - "$pf" <<'PY'
import os, sys
root = os.path.join(sys.argv[1], "MyPlants")
def add(path, lines):
    with open(path, "ab") as f:
        f.write(b"\r\n[Care]\r\n" + b"".join(l.encode("cp1251") + b"\r\n" for l in lines))
n = 0
for group in sorted(os.listdir(root)):
    g = os.path.join(root, group)
    if not os.path.isfile(os.path.join(g, "group.ini")):
        continue
    add(os.path.join(g, "group.ini"), ["Полив=every 7d; from 2026-03-02; season 3-10", "Подкормка=every 1m; from 2026-04-15; season 4-9"])
    for dirpath, dirs, files in os.walk(g):
        if dirpath != g and "plant.ini" in files:
            n += 1
            if n % 4 == 0:
                add(os.path.join(dirpath, "plant.ini"), ["Полив=every 10d; from 2026-01-31; done 2026-11-30; through 2026-11-30",
                                                         "Пересадка=every 1y; from 2026-03-15"])
PY
fi
records=$(find "$pf/MyPlants" -name plant.ini -o -name group.ini | wc -l)
find "$pf/MyPlants" -name plant.ini -o -name group.ini > "$work/records"
"$cli" due "$pf" --date 2026-12-07 --days 7 > "$work/due.txt"
ours=(); refs=()
for _ in 1 2 3 4 5 6 7; do
    ours+=("$(us "$cli" due "$pf" --date 2026-12-07 --days 7)")
    refs+=("$(us xargs -a "$work/records" -d '\n' cat)")
done
o=$(median "${ours[@]}"); r=$(median "${refs[@]}")
printf 'due over %s records (%s lines)   %8s ms   cat of the records %8s ms   ratio %s\n' "$records" \
    "$(wc -l < "$work/due.txt")" "$(ms "$o")" "$(ms "$r")" "$(ratio "$o" "$r")"
