#!/bin/sh
# PNGs of every settings tab, light and dark, in the four languages, under Xvfb.
#   tools/settings-screenshots.sh [output-folder]      (default: screenshots/settings)
# Needs: xvfb (xvfb-run), a build in ./build with Google Benchmark found.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/screenshots/settings}
BIN=${ORLENTA_SETTINGS_SCREENS:-$ROOT/build/bench/settings_screens}
[ -x "$BIN" ] || { echo "settings-screenshots: build settings_screens first" >&2; exit 1; }
mkdir -p "$OUT"
LANG=C.UTF-8 QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" "$BIN" "$OUT"
