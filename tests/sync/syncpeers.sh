# Two real Syncthing peers on 127.0.0.1 that share one folder, for tests.
# Source this file, then: sync_available, sync_start DIR_A DIR_B, sync_wait,
# sync_same, sync_pause / sync_resume, sync_api, sync_stop (also run by an EXIT trap).
# Written for Debian 12's syncthing 1.19; needs curl and python3.

SYNC_FOLDER=${SYNC_FOLDER:-myplants}
SYNC_TIMEOUT=${SYNC_TIMEOUT:-60}
# A last-resort cap on each peer's life, should both the test and its watchdog be killed.
SYNC_LIFETIME=${SYNC_LIFETIME:-1800}
SYNC_TMP=""

sync_available() {
    command -v syncthing >/dev/null && command -v curl >/dev/null && command -v python3 >/dev/null
}

# sync_api A|B METHOD PATH [JSON]: one REST call; prints the reply, fails on an HTTP error.
sync_api() {
    local port body=()
    port=$(<"$SYNC_TMP/$1.gui") || return 1
    [[ -n ${4:-} ]] && body=(-H "Content-Type: application/json" --data "$4")
    curl -sSf --noproxy '*' --max-time "$SYNC_TIMEOUT" -X "$2" -H "X-API-Key: $SYNC_APIKEY" \
        "${body[@]}" "http://127.0.0.1:$port$3"
}

_sync_say() { echo "syncpeers: $*" >&2; }

_sync_logs() {
    local p
    for p in A B; do
        [[ -f $SYNC_TMP/$p.log ]] && { _sync_say "last lines of peer $p's log:"; tail -n 15 "$SYNC_TMP/$p.log" >&2; }
    done
    return 0
}

# Edits both generated configs in one go: loopback only, nothing that reaches
# the internet, each peer knowing the other, and the one shared folder.
_sync_configure() {
    python3 - "$SYNC_TMP" "$SYNC_FOLDER" "$SYNC_APIKEY" "$@" <<'EOF'
import copy, sys, xml.etree.ElementTree as ET
tmp, folder, key, gui_a, tcp_a, gui_b, tcp_b, dir_a, dir_b = sys.argv[1:]
peers = {'A': (gui_a, tcp_a, dir_a), 'B': (gui_b, tcp_b, dir_b)}
trees = {p: ET.parse(f'{tmp}/{p}/config.xml') for p in peers}
ids = {p: t.getroot().find('device').get('id') for p, t in trees.items()}

def put(parent, tag, text):
    el = parent.find(tag)
    if el is None:
        el = ET.SubElement(parent, tag)
    el.text = str(text)

for p, tree in trees.items():
    root, other = tree.getroot(), 'B' if p == 'A' else 'A'
    gui_port, tcp_port, path = peers[p]
    root.find('device').set('name', p)
    gui = root.find('gui')
    gui.set('tls', 'false')
    put(gui, 'address', f'127.0.0.1:{gui_port}')
    put(gui, 'apikey', key)
    opts = root.find('options')
    for tag, value in [('listenAddress', f'tcp://127.0.0.1:{tcp_port}'),
                       ('globalAnnounceEnabled', 'false'), ('localAnnounceEnabled', 'false'),
                       ('relaysEnabled', 'false'), ('natEnabled', 'false'),
                       ('urAccepted', -1), ('urSeen', 3), ('crashReportingEnabled', 'false'),
                       ('autoUpgradeIntervalH', 0), ('startBrowser', 'false'),
                       ('announceLANAddresses', 'false'), ('reconnectionIntervalS', 1),
                       ('setLowPriority', 'false'), ('progressUpdateIntervalS', 1)]:
        put(opts, tag, value)
    # Start from the generated defaults so every field the version expects is there.
    dev = copy.deepcopy(root.find('defaults/device'))
    dev.set('id', ids[other])
    dev.set('name', other)
    # Only A dials: when both dial at once, the two connections can clash and
    # the next try comes 20 s later. B still accepts A as a known device.
    put(dev, 'address', f'tcp://127.0.0.1:{peers[other][1]}' if p == 'A' else 'dynamic')
    root.insert(1, dev)
    fol = copy.deepcopy(root.find('defaults/folder'))
    fol.attrib.update(id=folder, label=folder, path=path, type='sendreceive',
                      rescanIntervalS='10', fsWatcherEnabled='true', fsWatcherDelayS='1')
    fol.find('device').set('id', ids[p])
    shared = copy.deepcopy(fol.find('device'))
    shared.set('id', ids[other])
    fol.insert(0, shared)
    put(fol, 'maxConflicts', -1)
    root.insert(2, fol)
    tree.write(f'{tmp}/{p}/config.xml')
    open(f'{tmp}/{p}.id', 'w').write(ids[p])
EOF
}

# sync_start DIR_A DIR_B: returns once both peers run, are connected and agree on the folder.
sync_start() {
    local dir_a dir_b p prev deadline ports=()
    [[ -z $SYNC_TMP ]] || { _sync_say "peers already started; sync_stop first"; return 1; }
    dir_a=$(realpath -m "$1") && dir_b=$(realpath -m "$2") || return 1
    sync_available || { _sync_say "syncthing, curl or python3 is missing"; return 1; }
    SYNC_TMP=$(mktemp -d "${TMPDIR:-/tmp}/syncpeers.XXXXXX") || return 1
    SYNC_APIKEY=$(python3 -c 'import secrets; print(secrets.token_hex(16))')
    # Chain onto any EXIT trap the caller already has rather than replace it.
    prev=$(trap -p EXIT)
    if [[ $prev != *sync_stop* ]]; then
        local -a old=()
        eval "old=($prev)"
        trap -- "sync_stop${old[2]:+; ${old[2]}}" EXIT
    fi
    # Holding all four sockets at once makes the ports distinct from one another.
    read -ra ports < <(python3 -c '
import socket
socks = [socket.socket() for _ in range(4)]
for s in socks: s.bind(("127.0.0.1", 0))
print(*[s.getsockname()[1] for s in socks])')
    echo "${ports[0]}" >"$SYNC_TMP/A.gui"
    echo "${ports[2]}" >"$SYNC_TMP/B.gui"
    for p in A B; do
        syncthing generate --home="$SYNC_TMP/$p" --no-default-folder --skip-port-probing \
            >"$SYNC_TMP/$p.log" 2>&1 || { _sync_logs; sync_stop; return 1; }
    done
    mkdir -p "$dir_a/.stfolder" "$dir_b/.stfolder"
    _sync_configure "${ports[@]}" "$dir_a" "$dir_b" || { sync_stop; return 1; }
    SYNC_ID_A=$(<"$SYNC_TMP/A.id") SYNC_ID_B=$(<"$SYNC_TMP/B.id")
    deadline=$((SECONDS + SYNC_TIMEOUT))
    # B first, so that A's first dial finds B listening rather than waiting for the next try.
    for p in B A; do
        # timeout makes a process group of its own, which sync_stop ends as a whole.
        env -u http_proxy -u https_proxy -u HTTP_PROXY -u HTTPS_PROXY -u all_proxy -u ALL_PROXY \
            STNORESTART=1 STNOUPGRADE=1 STNODEFAULTFOLDER=1 \
            timeout -k 5 "$SYNC_LIFETIME" syncthing serve --home="$SYNC_TMP/$p" \
            --no-browser --no-restart --no-upgrade --no-default-folder \
            >>"$SYNC_TMP/$p.log" 2>&1 </dev/null &
        echo $! >"$SYNC_TMP/$p.pid"
        until sync_api "$p" GET /rest/system/ping >/dev/null 2>&1; do
            ((SECONDS < deadline)) || break
            sleep 0.2
        done
    done
    # Ends both peers at once should this shell die without running its EXIT trap.
    local groups=("-$(<"$SYNC_TMP/A.pid")" "-$(<"$SYNC_TMP/B.pid")")
    (while kill -0 $$; do sleep 1; done; kill -TERM -- "${groups[@]}") >/dev/null 2>&1 </dev/null &
    echo $! >"$SYNC_TMP/watchdog.pid"
    until _sync_connected A "$SYNC_ID_B" && _sync_connected B "$SYNC_ID_A"; do
        if ((SECONDS >= deadline)); then
            _sync_say "the peers did not connect within $SYNC_TIMEOUT s"
            _sync_logs; sync_stop; return 1
        fi
        sleep 0.5
    done
    sync_wait || { sync_stop; return 1; }
}

_sync_connected() {
    sync_api "$1" GET /rest/system/connections 2>/dev/null |
        python3 -c 'import json, sys; sys.exit(not json.load(sys.stdin)["connections"][sys.argv[1]]["connected"])' "$2" 2>/dev/null
}

# Prints one line that identifies the state of both peers; fails, printing why,
# unless both are idle, need nothing, and each sees the other holding the same files.
_sync_snapshot() {
    local sa sb ca cb f="folder=$SYNC_FOLDER"
    sa=$(sync_api A GET "/rest/db/status?$f") && sb=$(sync_api B GET "/rest/db/status?$f") &&
        ca=$(sync_api A GET "/rest/db/completion?$f&device=$SYNC_ID_B") &&
        cb=$(sync_api B GET "/rest/db/completion?$f&device=$SYNC_ID_A") || { echo "REST call failed"; return 1; }
    python3 - "$sa" "$ca" "$sb" "$cb" <<'EOF'
import json, sys
sa, ca, sb, cb = map(json.loads, sys.argv[1:])
kinds = ('Files', 'Directories', 'Symlinks', 'Bytes')
why = []
for name, s, c in (('A', sa, ca), ('B', sb, cb)):
    if s['state'] != 'idle': why.append(f"{name} is {s['state']}")
    if s.get('needTotalItems') or s.get('pullErrors'):
        why.append(f"{name} needs {s.get('needTotalItems')} items, {s.get('pullErrors')} pull errors")
    if c['completion'] != 100 or c.get('needItems') or c.get('needDeletes') or c.get('remoteState', 'valid') != 'valid':
        why.append(f"{name} sees its peer {c.get('remoteState')} at {c['completion']}%")
    why += [f"{name} has {s['local' + k]} local {k} of {s['global' + k]}" for k in kinds if s['local' + k] != s['global' + k]]
why += [f"A knows {sa['global' + k]} {k}, B {sb['global' + k]}" for k in kinds if sa['global' + k] != sb['global' + k]]
print('; '.join(why) or json.dumps([sa['sequence'], sb['sequence'], ca.get('sequence'), cb.get('sequence'),
                                    [sa['global' + k] for k in kinds]]))
sys.exit(bool(why))
EOF
}

# sync_wait [SECONDS]: rescans both sides now, then waits until both agree twice in a row.
sync_wait() {
    local deadline=$((SECONDS + ${1:-$SYNC_TIMEOUT})) p now="" prev=""
    for p in A B; do
        # A folder just resumed may refuse a scan for a moment.
        until sync_api "$p" POST "/rest/db/scan?folder=$SYNC_FOLDER" >/dev/null 2>&1; do
            ((SECONDS < deadline)) || { _sync_say "peer $p would not scan"; _sync_logs; return 1; }
            sleep 0.3
        done
    done
    while ((SECONDS < deadline)); do
        if now=$(_sync_snapshot); then
            [[ $now == "$prev" ]] && return 0
            prev=$now
        else
            prev=""
        fi
        sleep 0.5
    done
    _sync_say "not in sync after ${1:-$SYNC_TIMEOUT} s: $now"
    _sync_logs
    return 1
}

# sync_same DIR_A DIR_B: compares the two trees, leaving out what Syncthing keeps
# there for itself: the .stfolder marker and the .syncthing.NAME.tmp files that an
# interrupted pull leaves behind (kept 24 h for reuse, so tests do see them).
sync_same() {
    diff -r -x .stfolder -x '.syncthing.*.tmp' -x '~syncthing~*.tmp' "$1" "$2"
}

# sync_pause / sync_resume: stop and restart the folder on both peers, so that
# writes made in between meet only when resumed (the way to provoke a conflict).
_sync_set_paused() {
    local p
    for p in A B; do
        sync_api "$p" PATCH "/rest/config/folders/$SYNC_FOLDER" "{\"paused\": $1}" >/dev/null || return 1
    done
}
sync_pause() {
    local deadline=$((SECONDS + SYNC_TIMEOUT))
    _sync_set_paused true || return 1
    # Writes made before the folder has really stopped could still be picked up;
    # a stopped folder reports an empty state in 1.19, "paused" in later versions.
    until [[ $(sync_api A GET "/rest/db/status?folder=$SYNC_FOLDER" 2>/dev/null) =~ \"state\":\ \"(paused)?\" &&
        $(sync_api B GET "/rest/db/status?folder=$SYNC_FOLDER" 2>/dev/null) =~ \"state\":\ \"(paused)?\" ]]; do
        ((SECONDS < deadline)) || { _sync_say "the folder did not pause"; return 1; }
        sleep 0.3
    done
}
sync_resume() { _sync_set_paused false; }

# sync_stop: asks both peers to shut down, kills what is left, removes the homes.
# SYNC_KEEP=1 keeps the homes and logs for a look after a failure.
sync_stop() {
    [[ -n ${SYNC_TMP:-} && -d $SYNC_TMP ]] || return 0
    local p pid i asks=()
    # Every step may fail harmlessly; "|| true" keeps a caller's set -e from cutting this short.
    [[ -f $SYNC_TMP/watchdog.pid ]] && { kill "$(<"$SYNC_TMP/watchdog.pid")" 2>/dev/null || true; }
    for p in A B; do
        sync_api "$p" POST /rest/system/shutdown >/dev/null 2>&1 &
        asks+=($!)
    done
    wait "${asks[@]}" || true
    for p in A B; do
        pid=$(<"$SYNC_TMP/$p.pid") 2>/dev/null || continue
        for ((i = 0; i < 50; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -TERM -- "-$pid" 2>/dev/null && sleep 0.5
        kill -KILL -- "-$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [[ ${SYNC_KEEP:-} == 1 ]]; then
        _sync_say "kept $SYNC_TMP"
    else
        rm -rf "$SYNC_TMP"
    fi
    SYNC_TMP=""
    return 0
}
