#!/bin/bash
# Publishing 2,000 plants with a photo each (`verdarium-cli publish`, whole process), beside making
# their web copies alone in one process (`bench_photos each`), and a second publish with nothing
# changed. PUBLISH_BENCH_COLLECTION=DIR keeps the generated collection between runs.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
(cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target verdarium-cli bench_photos >/dev/null)
cli="$here/build/release/src/cli/verdarium-cli"
bench="$here/build/release/bench/bench_photos"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pf="${PUBLISH_BENCH_COLLECTION:-$work/collection}"
if [ ! -d "$pf/MyPlants" ]; then
    python3 "$here/bench/gen_search_collection.py" "$pf" 2000 4 >/dev/null
    # A real 2 MP photo for every plant (links to one file: the disk holds it once).
    convert -size 1600x1200 plasma:green-yellow -blur 0x1 -quality 88 "$pf/photo.jpg"
    find "$pf/MyPlants" -name p1.jpg -exec ln -f "$pf/photo.jpg" {} \;
fi
find "$pf/MyPlants" -name p1.jpg > "$work/photos"
ms() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null 2>&1; t1=$(date +%s%N); echo $(((t1 - t0) / 1000000)); }
first=$(ms "$cli" publish "$pf" "$work/site")
again=$(ms "$cli" publish "$pf" "$work/site")
floor=$("$bench" each "$work/photos")
printf 'publish of %s plants with a photo each   %6s ms   web copies alone %8.0f ms   ratio %s\n' \
    "$(wc -l < "$work/photos")" "$first" "$floor" "$(awk -v a="$first" -v b="$floor" 'BEGIN { printf "%.2f", a / b }')"
printf 'publish again, nothing changed          %6s ms\n' "$again"
