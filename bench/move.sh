#!/bin/bash
# Sends a 500 MB plant folder to another group through the window and checks that every byte and
# modification time arrived, and that the window kept handling events during the move.
set -euo pipefail
source "$(dirname "$0")/prepare.sh" bench_tree
mkdir -p "$work/MyPlants/From/Big/sub" "$work/MyPlants/To"
printf '[Group]\r\nImageOrder=1\r\n\r\n' >"$work/MyPlants/From/group.ini"
printf '[Group]\r\nImageOrder=2\r\n\r\n' >"$work/MyPlants/To/group.ini"
printf '[Main]\r\nCond=2\r\n\r\n' >"$work/MyPlants/From/Big/plant.ini"
for i in $(seq 1 48); do head -c 10000000 /dev/urandom >"$work/MyPlants/From/Big/photo$i.jpg"; done
head -c 20000000 /dev/urandom >"$work/MyPlants/From/Big/sub/video.avi"
touch -d '2020-05-01 12:00:00' "$work/MyPlants/From/Big/photo1.jpg"
(cd "$work/MyPlants/From/Big" && find . -type f -printf '%P %s %T@\n' | sort >"$work/before")
(cd "$work/MyPlants/From/Big" && find . -type f -exec sha1sum {} + | sort -k2 >"$work/sums")
du -sh "$work/MyPlants/From/Big" | cut -f1 | sed 's/^/folder: /'
"$tool" move "$work" 2>/dev/null
(cd "$work/MyPlants/To/Big" && find . -type f -printf '%P %s %T@\n' | sort >"$work/after")
(cd "$work/MyPlants/To/Big" && sha1sum -c --quiet "$work/sums") && echo "bytes: identical"
# (the window made the node's empty pages when it showed it first; only the files that were there count)
missing=$(comm -23 "$work/before" "$work/after")
[ -z "$missing" ] && echo "sizes and modification times: identical ($(wc -l <"$work/before") files)" || echo "differ: $missing"
[ -e "$work/MyPlants/From/Big" ] && echo "source still there" || echo "source gone"
