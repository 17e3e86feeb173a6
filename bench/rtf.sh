#!/bin/bash
# Times the page reader and writer on a 5 MB diary (20,000 paragraphs and pictures) and on a typical
# 30 KB page, and opening a 50 MB diary in the page editor up to its first paint, each beside
# LibreOffice's conversion of the same file to text where soffice is installed.
set -euo pipefail
source "$(dirname "$0")/prepare.sh" bench_rtf
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
soffice_time() { # seconds soffice takes to convert $1 to text
    local t0 t1
    t0=$(date +%s.%N)
    (cd "$work" && soffice --headless --convert-to txt "$1" >/dev/null 2>&1)
    t1=$(date +%s.%N)
    seconds "$t0" "$t1"
}
"$tool" make "$work/diary.rtf" 20000 40 2>/dev/null
"$tool" make "$work/page.rtf" 150 1 2>/dev/null
"$tool" make "$work/big.rtf" 250000 0 2>/dev/null
"$tool" make-brief "$work/brief.rtf" 500000 0 2>/dev/null
ls -l "$work/diary.rtf" "$work/page.rtf" "$work/big.rtf" "$work/brief.rtf" | awk '{ print $9 ": " $5 " bytes" }'
echo "diary: $("$tool" time "$work/diary.rtf" 3 2>/dev/null)"
echo "page:  $("$tool" time "$work/page.rtf" 50 2>/dev/null)"
show=$("$tool" show "$work/big.rtf" 2>/dev/null)
echo "50 MB page in the editor: $show"
echo "50 MB page of 500,000 short paragraphs in the editor: $("$tool" show "$work/brief.rtf" 2>/dev/null)"
if command -v soffice >/dev/null; then
    echo "soffice --convert-to txt of the diary: $(soffice_time diary.rtf) s"
    lo=$(soffice_time big.rtf)
    ours=$(echo "$show" | sed -n 's/.*first paint after \([0-9]*\) ms.*/\1/p')
    whole=$(echo "$show" | sed -n 's/.*shown in \([0-9]*\) ms.*/\1/p')
    echo "soffice --convert-to txt of the 50 MB page: $lo s; ratio ours / soffice: first paint $(awk -v a="$ours" -v b="$lo" 'BEGIN { printf "%.3f", a / 1000 / b }'), whole page $(awk -v a="$whole" -v b="$lo" 'BEGIN { printf "%.2f", a / 1000 / b }')"
fi
