#!/bin/bash
# The whole `verdarium-cli export-web` of a 12-megapixel photo beside `djpeg -scale 1/8` of the same
# file (the decoding alone, the floor of the job), and the number of encodings it took.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
(cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target verdarium-cli >/dev/null)
cli="$here/build/release/src/cli/verdarium-cli"
command -v djpeg >/dev/null || { echo "djpeg (libjpeg-turbo-progs) is needed for the comparison"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ms() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null 2>&1; t1=$(date +%s%N); echo $(((t1 - t0) / 1000000)); }
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
convert -size 4000x3000 plasma:green-yellow -blur 0x1 -quality 92 "$work/p12.jpg"
ours=(); floor=()
for i in 1 2 3 4 5; do
    ours+=("$(ms "$cli" export-web "$work/p12.jpg" "$work/web.jpg")")
    floor+=("$(ms djpeg -scale 1/8 -outfile /dev/null "$work/p12.jpg")")
done
o=$(median "${ours[@]}"); f=$(median "${floor[@]}")
echo "export-web of 12 MP: $o ms; djpeg -scale 1/8: $f ms; ratio $(awk -v a="$o" -v b="$f" 'BEGIN { printf "%.2f", a / b }')"
"$cli" export-web "$work/p12.jpg" "$work/web.jpg"
