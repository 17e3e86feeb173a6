#!/bin/bash
# Times a key at the end of a long page with every paragraph indented (the caret's line for the status
# bar, counted from the last paragraph asked about against a count from the top), and its open and save.
set -euo pipefail
source "$(dirname "$0")/prepare.sh" bench_editor
for n in 2000 20000 100000; do
    QT_QPA_PLATFORM=offscreen "$tool" "$n" "$work" 2>/dev/null
    QT_QPA_PLATFORM=offscreen "$tool" "$n" "$work" plain 2>/dev/null
done
