#!/bin/sh
# Start-up time, peak and idle memory and idle wake-ups of orlenta (with a
# published document of 1,000 nodes unless told) beside a bare Qt tray
# program, under Xvfb with an XEmbed tray (trayer). Prints medians.
#   tools/measure.sh [runs [nodes]]        (default 15 runs, 1000 nodes)
# Needs: xvfb, trayer, GNU time, a build in ./build (make build).
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:-15}
NODES=${2:-1000}
APP=$ROOT/build/src/orlenta
BARE=$ROOT/build/bench/bare_tray
for b in "$APP" "$BARE"; do
    [ -x "$b" ] || { echo "measure: $b is missing (make build; bare_tray needs Google Benchmark)" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "measure: GNU time is missing (apt-get install time)" >&2; exit 1; }

. "$ROOT/tools/xvfb-session.sh"
# A desktop session's runtime folder is a tmpfs (/run/user/<uid>): the lock
# file's sync costs nothing there, while on a disk it costs milliseconds.
RUNTIME=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
CLEAN="$RUNTIME"
private_home "$RUNTIME"
export LANG=C.UTF-8
"$ROOT/tools/sample-document.sh" big "$NODES" > "$HOME/Documents/FennickTallowBay/tallowBay.json"

start_xvfb 1024x600
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
PIDS="$PIDS $!"
sleep 0.5

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

startup() { # binary -> one line "milliseconds peak-KiB"
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$WORK/peak" "$1" --quit-after-start >"$WORK/out" 2>&1 || {
        echo "measure: $1 failed:" >&2; cat "$WORK/out" >&2; exit 1; }
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 )) $(tail -1 "$WORK/peak")"
}

idle() { # binary -> "resident-KiB wakeups-in-10s"
    "$1" >/dev/null 2>&1 &
    pid=$!
    PIDS="$PIDS $pid"
    sleep 3
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
    before=$(cat /proc/$pid/task/*/status | awk '/ctxt_switches/ { s += $2 } END { print s }')
    sleep 10
    after=$(cat /proc/$pid/task/*/status | awk '/ctxt_switches/ { s += $2 } END { print s }')
    kill "$pid"; wait "$pid" 2>/dev/null || true
    echo "$rss $((after - before))"
}

# Side by side: the two programs take turns, so a busy machine slows both alike.
i=0
while [ $i -lt "$RUNS" ]; do
    startup "$BARE" >> "$WORK/bare.startup"
    startup "$APP" >> "$WORK/orlenta.startup"
    i=$((i + 1))
done

report() { # name binary
    ms=$(awk '{ print $1 / 1000 }' "$WORK/$1.startup" | median)
    peak=$(awk '{ print $2 / 1024 }' "$WORK/$1.startup" | median)
    echo "$ms $peak" > "$WORK/$1.medians"
    set -- "$1" $(idle "$2")
    printf '%-8s start-up to quit %6.1f ms   peak %5.1f MiB   idle resident %5.1f MiB   idle wake-ups in 10 s: %s\n' \
        "$1" "$ms" "$peak" "$(echo "$2" | awk '{ print $1 / 1024 }')" "$3"
}

echo "medians of $RUNS runs; orlenta with a published $NODES-node document"
report bare "$BARE"
report orlenta "$APP"
read -r bare_ms bare_peak < "$WORK/bare.medians"
read -r app_ms app_peak < "$WORK/orlenta.medians"
awk -v a="$app_ms" -v b="$bare_ms" -v p="$app_peak" -v q="$bare_peak" \
    'BEGIN { printf "orlenta / bare: start-up %.2f x   peak memory %.2f x\n", a / b, p / q }'
