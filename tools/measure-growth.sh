#!/bin/sh
# Resident memory of a running orlenta (published document of 1,000 nodes
# unless told) right after start, after a time idle, and after edits and
# runs handed to it through the command line, under Xvfb with an XEmbed
# tray (trayer). Runs go to a
# stand-in terminal that only runs the script.
#   tools/measure-growth.sh [idle-seconds [edits [runs [nodes]]]]   (600 5000 500 1000)
# With WINDOW=1 the management window is open all along.
# Needs: xvfb, trayer, a build in ./build (make build).
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
IDLE=${1:-600}
EDITS=${2:-5000}
RUNS=${3:-500}
NODES=${4:-1000}
APP=$ROOT/build/src/orlenta
[ -x "$APP" ] || { echo "measure-growth: $APP is missing (make build)" >&2; exit 1; }

. "$ROOT/tools/xvfb-session.sh"
RUNTIME=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
CLEAN="$RUNTIME"
private_home "$RUNTIME"
export LANG=C.UTF-8
"$ROOT/tools/sample-document.sh" big "$NODES" > "$HOME/Documents/FennickTallowBay/tallowBay.json"
mkdir -p "$WORK/bin"
printf '#!/bin/sh\nexit 0\n' > "$WORK/bin/hello.sh"
printf '#!/bin/sh\nexec "$@"\n' > "$WORK/bin/term"
chmod +x "$WORK/bin/hello.sh" "$WORK/bin/term"
printf '[General]\nfnkt_terminal=%s\n' "'$WORK/bin/term' {command}" > "$XDG_CONFIG_HOME/orlenta/orlenta.ini"

start_xvfb 1024x600
# Without a tray the app would open its window instead.
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
PIDS="$PIDS $!"
sleep 0.5
"$APP" >/dev/null 2>&1 &
app=$!
PIDS="$PIDS $app"
until "$APP" profile list >/dev/null 2>&1; do sleep 0.1; done
"$APP" add "$WORK/bin/hello.sh" >/dev/null
[ "${WINDOW:-0}" = 1 ] && "$APP" open

rss() { awk '/^VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$app/status"; }
sleep 3
start=$(rss)
sleep "$IDLE"
idle=$(rss)
i=0
while [ $i -lt "$EDITS" ]; do
    if [ $((i % 2)) -eq 0 ]; then
        "$APP" rename "folder 4/script 4-1" renamed >/dev/null
    else
        "$APP" rename "folder 4/renamed" "script 4-1" >/dev/null
    fi
    i=$((i + 1))
done
edited=$(rss)
i=0
while [ $i -lt "$RUNS" ]; do
    "$APP" run hello >/dev/null
    i=$((i + 1))
done
sleep 3
after=$(rss)
echo "$NODES nodes: resident after start $start MiB, after $IDLE s idle $idle MiB," \
    "after $EDITS edits $edited MiB, and $RUNS runs $after MiB"
awk -v a="$after" -v s="$start" 'BEGIN { printf "after / start: %.2f x\n", a / s }'
