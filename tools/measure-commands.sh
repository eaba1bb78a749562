#!/bin/sh
# Wall time of each command of the command line on a published document of
# 10,000 nodes unless told: first as a process of its own (no app running),
# then handed to a running app, each beside `orlenta --help`. The commands
# take turns with --help in every round, so a busy machine slows all alike.
# Prints medians.
#   tools/measure-commands.sh [runs [nodes]]        (default 15 runs, 10000 nodes)
# Needs: xvfb, a build in ./build (make build).
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:-15}
NODES=${2:-10000}
APP=$ROOT/build/src/orlenta
[ -x "$APP" ] || { echo "measure-commands: $APP is missing (make build)" >&2; exit 1; }

. "$ROOT/tools/xvfb-session.sh"
RUNTIME=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
CLEAN="$RUNTIME"
private_home "$RUNTIME"
export LANG=C.UTF-8
DOC="$HOME/Documents/FennickTallowBay/tallowBay.json"
"$ROOT/tools/sample-document.sh" big "$NODES" > "$DOC"
mkdir -p "$WORK/bin/tools"
for f in new.sh tools/a.sh tools/b.sh; do printf '#!/bin/sh\n' > "$WORK/bin/$f"; done
cd "$WORK"

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# name|arguments of the first form|arguments of the second form: commands
# that change the tree alternate, so every round does the work.
COMMANDS='help|--help|--help
list|list|list
list --json|list --json|list --json
profile list|profile list|profile list
add|add bin/new.sh --to folder\ 1|add bin/new.sh
import|import bin/tools --to folder\ 2|import bin/tools
mkdir|mkdir Ops --to folder\ 3|mkdir
rename|rename folder\ 4/script\ 4-1 renamed|rename folder\ 4/renamed script\ 4-1
mv|mv folder\ 7/script\ 7-2 --root|mv script\ 7-2 --into folder\ 7
args|args folder\ 9/script\ 9-9 -a -b|args folder\ 9/script\ 9-9
publish|publish --off|publish
mkdir, rm|mkdir Gone|rm Gone'

time_once() { # file arguments... -> appends milliseconds
    out=$1
    shift
    start=$(date +%s%N)
    "$APP" "$@" >/dev/null 2>"$WORK/err" || { echo "measure-commands: orlenta $* failed:" >&2; cat "$WORK/err" >&2; exit 1; }
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 ))" >> "$out"
}

round() { # where
    echo "$COMMANDS" | while IFS='|' read -r name first second; do
        file="$WORK/$1.$(echo "$name" | tr ' -' '__')"
        time_once "$WORK/$1.help.paired" --help
        eval "time_once \"$file\" $first"
        time_once "$WORK/$1.help.paired" --help
        eval "time_once \"$file\" $second"
    done
}

report() { # where title
    help=$(awk '{ print $1 / 1000 }' "$WORK/$1.help.paired" | median)
    echo "$2 (median of $((RUNS * 2)); orlenta --help $help ms)"
    echo "$COMMANDS" | while IFS='|' read -r name first second; do
        [ "$name" = help ] && continue
        ms=$(awk '{ print $1 / 1000 }' "$WORK/$1.$(echo "$name" | tr ' -' '__')" | median)
        awk -v n="$name" -v m="$ms" -v h="$help" 'BEGIN { printf "  %-14s %7.1f ms  %5.2f x --help\n", n, m, m / h }'
    done
}

i=0
while [ $i -lt "$RUNS" ]; do round process; i=$((i + 1)); done

start_xvfb 1024x600
"$APP" >/dev/null 2>&1 &
PIDS="$PIDS $!"
i=0
until "$APP" profile list >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -lt 100 ] || { echo "measure-commands: the app did not start" >&2; exit 1; }
    sleep 0.1
done
i=0
while [ $i -lt "$RUNS" ]; do round app; i=$((i + 1)); done

echo "$NODES nodes"
report process "as a process of its own"
report app "through the running app"
