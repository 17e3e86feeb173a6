#!/bin/bash
# Times the page reader and writer on a 5 MB diary (20,000 paragraphs and pictures) and on a typical
# 30 KB page, and LibreOffice's conversion of the same diary to text where soffice is installed.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
(cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target bench_rtf >/dev/null)
tool="$here/build/release/bench/bench_rtf"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" make "$work/diary.rtf" 20000 40 2>/dev/null
"$tool" make "$work/page.rtf" 150 1 2>/dev/null
ls -l "$work/diary.rtf" "$work/page.rtf" | awk '{ print $9 ": " $5 " bytes" }'
echo "diary: $("$tool" time "$work/diary.rtf" 3 2>/dev/null)"
echo "page:  $("$tool" time "$work/page.rtf" 50 2>/dev/null)"
if command -v soffice >/dev/null; then
    t0=$(date +%s.%N)
    (cd "$work" && soffice --headless --convert-to txt diary.rtf >/dev/null 2>&1)
    t1=$(date +%s.%N)
    echo "soffice --convert-to txt of the diary: $(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }') s"
fi
