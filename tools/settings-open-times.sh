#!/bin/sh
# Median of the settings window's first opening in fresh processes, offscreen
# and on an X server (Xvfb, xcb), with the load average before and after.
#   tools/settings-open-times.sh [runs]        (default 11)
# Needs: a build in ./build with Google Benchmark found; xvfb (xvfb-run).
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN=${ORLENTA_BENCH_SETTINGS:-$ROOT/build/bench/bench_settings}
# Median, min and max of column $1 of the lines on standard input.
median() {
    sort -n -k "$1,$1" | awk -v c="$1" '{ v[NR] = $c } END {
        printf "%.1f ms (min %.1f, max %.1f)", v[int((NR + 1) / 2)], v[1], v[NR] }'
}
if [ "${1:-}" = --median-of ]; then
    i=0
    while [ "$i" -lt "$2" ]; do
        "$BIN" --benchmark_filter='^$' 2>/dev/null | sed -n \
            's/^first open[^:]*: \([0-9.]*\) ms.*CPU time \([0-9.]*\)).*/\1 \2/p'
        i=$((i + 1))
    done >"$3"
    echo "median $(median 1 <"$3"), CPU time $(median 2 <"$3"), $2 runs"
    exit 0
fi
RUNS=${1:-11}
TIMES=$(mktemp)
trap 'rm -f "$TIMES"' EXIT
[ -x "$BIN" ] || { echo "settings-open-times: build bench_settings first" >&2; exit 1; }
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf 'offscreen:   '
QT_QPA_PLATFORM=offscreen "$0" --median-of "$RUNS" "$TIMES"
printf 'xcb (Xvfb):  '
LANG=C.UTF-8 QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" "$0" --median-of "$RUNS" "$TIMES"
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
