#!/bin/bash
# The web export of a 12- and a 24-megapixel photo beside ImageMagick doing the same job, and showing
# the 24-megapixel photo in the panel beside djpeg decoding it whole.
set -euo pipefail
source "$(dirname "$0")/prepare.sh" bench_photos
command -v convert >/dev/null || { echo "ImageMagick (convert) is needed for the comparison"; exit 1; }
ms() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null 2>&1; t1=$(date +%s%N); echo $(((t1 - t0) / 1000000)); }
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
for mp in 12 24; do
    if [ "$mp" = 12 ]; then size=4000x3000; else size=6000x4000; fi
    convert -size "$size" plasma:green-yellow -blur 0x1 -quality 92 "$work/p$mp.jpg"
    ours=$("$tool" export "$work/p$mp.jpg" 5 2>/dev/null)
    im=(); for i in 1 2 3; do im+=("$(ms convert "$work/p$mp.jpg" -resize 400x400 -define jpeg:extent=49500 "$work/im.jpg")"); done
    imm=$(median "${im[@]}")
    echo "web export, $mp MP: ours $ours ms, ImageMagick $imm ms, ratio $(awk -v a="$ours" -v b="$imm" 'BEGIN { printf "%.2f", a / b }')"
done
show=$("$tool" show "$work/p24.jpg" 5 2>/dev/null)
echo "the next 24 MP photo (decoded while the one before was looked at): $("$tool" next "$work/p24.jpg" 5 2>/dev/null) ms"
if command -v djpeg >/dev/null; then
    dj=(); for i in 1 2 3; do dj+=("$(ms djpeg -outfile /dev/null "$work/p24.jpg")"); done
    djm=$(median "${dj[@]}")
    echo "showing the 24 MP photo: $show ms, djpeg of the whole picture $djm ms, ratio $(awk -v a="$show" -v b="$djm" 'BEGIN { printf "%.2f", a / b }')"
else
    echo "showing the 24 MP photo: $show ms (djpeg, from libjpeg-turbo-progs, not installed)"
fi
