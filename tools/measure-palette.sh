#!/bin/sh
# From `orlenta palette` typed in a shell to the palette painted by the
# running app, under Xvfb, with a 5,000-script document. The app prints when
# it painted (ORLENTA_TRACE_PALETTE); the command's own start-up counts.
#   tools/measure-palette.sh [runs]        (default 15; prints first and median)
# Needs: xvfb, a build in ./build (make build).
set -eu
[ -n "${TRACE:-}" ] && set -x

ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:-15}
APP=$ROOT/build/src/orlenta
[ -x "$APP" ] || { echo "measure-palette: $APP is missing (make build)" >&2; exit 1; }

. "$ROOT/tools/xvfb-session.sh"

private_home
export LANG=C.UTF-8
"$ROOT/tools/sample-document.sh" big 5000 > "$HOME/Documents/FennickTallowBay/tallowBay.json"

start_xvfb 1280x800

: > "$WORK/started"
env ORLENTA_TRACE_PALETTE=1 "$APP" >"$WORK/app.out" 2>"$WORK/app.err" &
PIDS="$PIDS $!"
i=0
# Its socket, not a command: a command run before the app holds the lock
# would become the instance itself.
until [ -n "$(find "/run/user/$(id -u)/orlenta" "/tmp/orlenta-$(id -u)" -type s \
    -newer "$WORK/started" 2>/dev/null)" ]; do
    i=$((i + 1)); [ $i -lt 100 ] || { echo "measure-palette: the app did not start" >&2; exit 1; }
    sleep 0.1
done

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

run=0
: > "$WORK/times"
while [ $run -lt "$RUNS" ]; do
    seen=$(grep -c palette-painted "$WORK/app.err" || true)
    start=$(date +%s%3N)
    "$APP" palette
    i=0
    until [ "$(grep -c palette-painted "$WORK/app.err" || true)" -gt "$seen" ]; do
        i=$((i + 1)); [ $i -lt 200 ] || { echo "measure-palette: no paint seen" >&2; exit 1; }
        sleep 0.005
    done
    painted=$(grep palette-painted "$WORK/app.err" | tail -1 | awk '{ print $2 }')
    echo $((painted - start)) >> "$WORK/times"
    run=$((run + 1))
done
printf 'orlenta palette to painted: first %s ms, median of %s runs %s ms\n' \
    "$(head -1 "$WORK/times")" "$RUNS" "$(median < "$WORK/times")"
