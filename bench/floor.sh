#!/bin/bash
# The companion's whole processes beside the floor of the same work, each pair measured in one run
# (medians of 7, alternating): export-web of a 12 MP photo beside `djpeg -scale 1/8` and
# `vipsthumbnail -s 400`, `search` on a generated collection of 2,000 plants beside `grep -r -l`, and
# the start of a command that lays out no text (`--help`, `groups`) beside one that reads a page.
# SEARCH_BENCH_COLLECTION=DIR keeps the generated collection between runs.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
(cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target verdarium-cli >/dev/null)
cli="$here/build/release/src/cli/verdarium-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$here/bench/timing.sh"
pair() { # label, reference label, our command..., --, reference command...
    local label="$1" reflabel="$2"; shift 2
    local ours=() refs=() a=() b=() seen=0
    for w in "$@"; do if [ "$w" = -- ]; then seen=1; elif [ $seen = 0 ]; then a+=("$w"); else b+=("$w"); fi; done
    for _ in 1 2 3 4 5 6 7; do ours+=("$(us "${a[@]}")"); refs+=("$(us "${b[@]}")"); done
    local o r; o=$(median "${ours[@]}"); r=$(median "${refs[@]}")
    printf '%-34s %8s ms   %-26s %8s ms   ratio %s\n' "$label" "$(ms "$o")" "$reflabel" "$(ms "$r")" "$(ratio "$o" "$r")"
}

command -v djpeg >/dev/null || { echo "floor.sh: djpeg not found (apt-get install libjpeg-turbo-progs)" >&2; exit 1; }
convert -size 4000x3000 plasma:green-yellow -blur 0x1 -quality 92 "$work/p12.jpg"
pair "export-web of a 12 MP JPEG" "djpeg -scale 1/8" "$cli" export-web "$work/p12.jpg" "$work/web.jpg" -- \
    djpeg -scale 1/8 -outfile /dev/null "$work/p12.jpg"
if command -v vipsthumbnail >/dev/null; then
    pair "export-web of a 12 MP JPEG" "vipsthumbnail -s 400" "$cli" export-web "$work/p12.jpg" "$work/web.jpg" -- \
        vipsthumbnail -s 400 -o "$work/v.jpg" "$work/p12.jpg"
fi

pf="${SEARCH_BENCH_COLLECTION:-$work/collection}"
[ -d "$pf/MyPlants" ] || python3 "$here/bench/gen_search_collection.py" "$pf" 2000 43 >/dev/null
export XDG_CACHE_HOME="$work/cache"
"$cli" search "$pf" Fungicide >/dev/null # the index made once, as a keeper's first search makes it
pair "search (2,000 plants, index fresh)" "grep -r -l" "$cli" search "$pf" Fungicide -- \
    grep -r -l Fungicide "$pf/MyPlants"

mkdir -p "$work/pf/MyPlants"
"$cli" add-group "$work/pf" Roses >/dev/null && "$cli" add "$work/pf" Roses Tea >/dev/null
pair "verdarium-cli --help" "page (reads a page)" "$cli" --help -- "$cli" page "$work/pf" Roses Tea description
pair "verdarium-cli groups" "page (reads a page)" "$cli" groups "$work/pf" -- "$cli" page "$work/pf" Roses Tea description
