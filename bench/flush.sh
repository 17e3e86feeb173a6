#!/bin/bash
# Times 200 comment keys and 200 page saves with every write flushed to the disk (in a folder on the
# machine's own disk, not a tmpfs), beside the same writes with the flushes done by `sync` after
# each `cp` of the same page.
set -euo pipefail
source "$(dirname "$0")/prepare.sh" bench_flush
df -h "$work" | tail -1
QT_QPA_PLATFORM=offscreen "$tool" "$work" 2>/dev/null
t0=$(date +%s.%N)
for i in $(seq 1 200); do cp "$work/MyPlants/G/P/description.rtf" "$work/copy.rtf"; sync -d "$work/copy.rtf"; done
t1=$(date +%s.%N)
echo "cp + sync of the same page: $(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", (b - a) * 1000 / 200 }') ms each"
