#!/bin/sh
# Two homes, each with a running orlenta on its cloud document, and two real
# Syncthing instances keeping the two cloud folders in step over loopback.
# Both sides make their edits at the same time; at the end both documents
# must hold every edit of both sides, and conflict copies must be gone.
#   tools/syncthing-two-homes.sh [edits per side]     (default 20)
# PAUSE=<seconds> waits between the edits of one side (default 0: at once).
# Measured with Debian 12's Syncthing 1.19.2: edits made on both sides within
# a few seconds of each other are lost on the way, with no conflict copy for
# the app to take in; two shell loops writing a text file the same way lose
# as many, so it is Syncthing's doing (a change scanned while the other
# side's is still to be pulled replaces it).
# Needs: syncthing (apt-get install syncthing), python3, curl, a build in ./build.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
EDITS=${1:-20}
PAUSE=${PAUSE:-0}
APP=$ROOT/build/src/orlenta
[ -x "$APP" ] || { echo "syncthing-two-homes: $APP is missing (make build)" >&2; exit 1; }
for tool in syncthing curl python3; do
    command -v $tool >/dev/null || { echo "syncthing-two-homes: $tool is missing" >&2; exit 1; }
done

WORK=$(mktemp -d)
PIDS=""
cleanup() {
    for pid in $PIDS; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [ -n "${KEEP:-}" ] && echo "kept: $WORK" || rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

CLOUD="Library/Mobile Documents/com~apple~CloudDocs/tallowBay"
side() { # name
    home=$WORK/$1
    mkdir -p "$home/Documents" "$home/$CLOUD" "$home/.config/orlenta" "$home/run" "$home/st"
    chmod 700 "$home/run"
    printf '[General]\nfnkt_currentProfileID=00000000-0000-0000-0000-00000000000B\n' \
        > "$home/.config/orlenta/orlenta.ini"
    syncthing generate --home="$home/st" --no-default-folder --skip-port-probing >/dev/null 2>&1
}
side a
side b
id_of() { syncthing serve --home="$WORK/$1/st" --device-id; }
ID_A=$(id_of a)
ID_B=$(id_of b)

configure() { # name own-gui own-listen other-id other-listen
    python3 - "$WORK/$1/st/config.xml" "$2" "$3" "$4" "$5" "$WORK/$1/$CLOUD" "$ID_A" "$ID_B" <<'PY'
import sys, xml.etree.ElementTree as ET
path, gui, listen, other, other_listen, folder, id_a, id_b = sys.argv[1:]
tree = ET.parse(path); root = tree.getroot()
root.find('gui').find('address').text = '127.0.0.1:' + gui
root.find('gui').find('apikey').text = 'orlenta-test-key'
opts = root.find('options')
def set_opt(name, value):
    node = opts.find(name)
    if node is None:
        node = ET.SubElement(opts, name)
    node.text = value
for n in opts.findall('listenAddress'):
    opts.remove(n)
ET.SubElement(opts, 'listenAddress').text = 'tcp://127.0.0.1:' + listen
for name, value in [('globalAnnounceEnabled', 'false'), ('localAnnounceEnabled', 'false'),
                    ('relaysEnabled', 'false'), ('natEnabled', 'false'), ('urAccepted', '-1'),
                    ('startBrowser', 'false'), ('crashReportingEnabled', 'false'),
                    ('autoUpgradeIntervalH', '0')]:
    set_opt(name, value)
device = ET.SubElement(root, 'device', id=other, name='other', compression='metadata',
                       introducer='false')
ET.SubElement(device, 'address').text = 'tcp://127.0.0.1:' + other_listen
f = ET.SubElement(root, 'folder', id='tallowbay', label='tallowBay', path=folder, type='sendreceive',
                  rescanIntervalS='10', fsWatcherEnabled='true', fsWatcherDelayS='1')
for dev in (id_a, id_b):
    ET.SubElement(f, 'device', id=dev)
tree.write(path)
PY
}
configure a 18384 22101 "$ID_B" 22102
configure b 18385 22102 "$ID_A" 22101

for s in a b; do
    HOME=$WORK/$s syncthing serve --home="$WORK/$s/st" --no-browser --no-restart \
        --logfile="$WORK/$s/syncthing.log" >/dev/null 2>&1 &
    PIDS="$PIDS $!"
done
api() { curl -fsS -H 'X-API-Key: orlenta-test-key' "http://127.0.0.1:$1/rest/$2"; }
echo "waiting for the two Syncthing instances to connect"
i=0
until api 18384 system/connections 2>/dev/null | grep -q '"connected": *true'; do
    i=$((i + 1)); [ $i -lt 120 ] || { echo "no connection" >&2; exit 1; }
    sleep 0.5
done

run_as() { # side command...
    s=$1; shift
    env HOME="$WORK/$s" XDG_CONFIG_HOME="$WORK/$s/.config" XDG_DATA_HOME="$WORK/$s/.local/share" \
        XDG_RUNTIME_DIR="$WORK/$s/run" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 "$@"
}
# Equal documents alone mean little: a side may still have the other's
# version to pull (Syncthing retries a refused pull only after a minute, or
# after a scan). Done when both instances are idle with nothing to pull, the
# documents agree and no conflict copy is left, twice in a row.
doc() { cat "$WORK/$1/$CLOUD/tallowBay.json" 2>/dev/null; }
idle() { # gui-port
    api "$1" 'db/status?folder=tallowbay' | python3 -c '
import json, sys
s = json.load(sys.stdin)
sys.exit(0 if s["state"] == "idle" and s["needTotalItems"] == 0 else 1)'
}
scan() { curl -fsS -X POST -H 'X-API-Key: orlenta-test-key' \
    "http://127.0.0.1:$1/rest/db/scan?folder=tallowbay" >/dev/null 2>&1 || true; }
settle() { # what is awaited
    echo "waiting for $1"
    i=0
    settled=0
    while :; do
        scan 18384; scan 18385
        sleep 2
        if idle 18384 && idle 18385 && [ "$(doc a)" = "$(doc b)" ] && [ -n "$(doc a)" ] &&
            ! ls -A "$WORK"/*/"$CLOUD" | grep -q 'sync-conflict'; then
            settled=$((settled + 1)); [ $settled -lt 2 ] || return 0
        else
            settled=0
        fi
        i=$((i + 1)); [ $i -lt 90 ] || { echo "the two sides never settled"; return 0; }
    done
}

# A library both sides already share, as a user's is: one side makes it, the
# other receives it before anyone edits. (Two documents made at once on two
# sides, neither yet scanned by its Syncthing, are a different case: the
# first to arrive replaces the other, conflict copy or not.)
run_as a "$APP" mkdir shared >/dev/null
settle "the shared document on both sides"
for s in a b; do
    run_as $s "$APP" >"$WORK/$s/app.log" 2>&1 &
    PIDS="$PIDS $!"
done
sleep 3 # both apps up and watching
echo "$EDITS edits on each side at the same time"
EDITORS=""
for s in a b; do
    ( n=0; while [ $n -lt "$EDITS" ]; do
        run_as $s "$APP" mkdir "$s$n" >/dev/null || echo "$s: mkdir $s$n failed"
        sleep "$PAUSE"; n=$((n + 1)); done ) &
    EDITORS="$EDITORS $!"
done
wait $EDITORS

settle "both sides to settle"
python3 - "$WORK" "$CLOUD" "$EDITS" <<'PY'
import json, os, sys
work, cloud, edits = sys.argv[1], sys.argv[2], int(sys.argv[3])
wanted = {f'{s}{n}' for s in 'ab' for n in range(edits)}
for side in 'ab':
    folder = os.path.join(work, side, cloud)
    names = set()
    def walk(nodes):
        for node in nodes:
            names.add(node['name']); walk(node.get('children') or [])
    walk(json.load(open(os.path.join(folder, 'tallowBay.json')))['roots'])
    lost = sorted(wanted - names)
    print(f'side {side}: {len(wanted) - len(lost)} of {len(wanted)} edits in the document; lost: {lost or "none"}')
    print(f'  beside it: {sorted(f for f in os.listdir(folder) if f != "tallowBay.json")}')
PY
