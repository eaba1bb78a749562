#!/bin/sh
# Starts orlenta under Xvfb with an XEmbed tray (trayer), opens its tray menu
# on a published sample document and saves PNG screenshots.
#   tools/screenshot.sh [output-folder]       (default: screenshots/)
# Needs: xvfb, trayer, xdotool, imagemagick (import), a build in ./build.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/screenshots}
APP=${ORLENTA_BINARY:-$ROOT/build/src/orlenta}
[ -x "$APP" ] || { echo "screenshot: build first (make build)" >&2; exit 1; }
mkdir -p "$OUT"

. "$ROOT/tools/xvfb-session.sh"

# A private home: the sample document and preferences, never the user's own.
private_home
"$ROOT/tools/sample-document.sh" small > "$HOME/Documents/FennickTallowBay/tallowBay.json"

# A free display number.
start_xvfb 900x560
trayer --edge top --align right --widthtype request --height 24 --transparent false \
    --tint 0x2b2b2b --SetDockType true >/dev/null 2>&1 &
PIDS="$PIDS $!"
sleep 0.5

# A local feed offering a newer version, for the update dialog.
cat > "$WORK/appcast.xml" <<'FEED'
<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
<item><title>Orlenta 9.9</title><link>https://example.invalid/orlenta</link>
<enclosure url="https://example.invalid/orlenta-9.9.tar.gz" sparkle:version="9.9" sparkle:shortVersionString="9.9"/></item>
</channel></rss>
FEED

shoot() { # name appearance feed-address
    printf '[General]\nfnkt_appearance=%s\n' "$2" > "$XDG_CONFIG_HOME/orlenta/orlenta.ini"
    LANG=C.UTF-8 ORLENTA_UPDATE_FEED_URL="$3" "$APP" > "$WORK/$1.log" 2>&1 &
    app=$!
    PIDS="$PIDS $app"
    sleep 1.5
    # trayer is 24 px high at the top right; its one icon sits at the right end.
    geometry=$(xdotool search --name '^panel$' getwindowgeometry --shell 2>/dev/null | tr '\n' ' ')
    eval "$geometry"
    x=$((X + WIDTH - 12)); y=$((Y + 12))
    import -window root "$OUT/$1-tray.png"
    xdotool mousemove "$x" "$y" click 1
    sleep 0.6
    import -window root "$OUT/$1-menu.png"
    # The menu opens left of the icon, first item just below it: hover the
    # first folder, then the second entry of its submenu (a script with presets).
    xdotool mousemove $((x - 70)) $((y + 10))
    sleep 0.8
    xdotool mousemove $((x - 200)) $((y + 10))
    sleep 0.3
    xdotool mousemove $((x - 200)) $((y + 32))
    sleep 0.8
    import -window root "$OUT/$1-submenu.png"
    xdotool key Escape key Escape key Escape
    sleep 0.3
    # The sample's five top-level rows put "检查更新…" and "打开管理窗口" here.
    xdotool mousemove "$x" "$y" click 1
    sleep 0.5
    xdotool mousemove $((x - 70)) $((y + 146)) click 1
    sleep 1
    import -window root "$OUT/$1-update-check.png"
    xdotool key Escape
    sleep 0.3
    xdotool mousemove "$x" "$y" click 1
    sleep 0.5
    xdotool mousemove $((x - 70)) $((y + 170)) click 1
    sleep 1
    import -window root "$OUT/$1-window.png"
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    if [ -s "$WORK/$1.log" ]; then echo "== $1: orlenta said:"; cat "$WORK/$1.log"; fi
}

# Both with a feed: without one the menu has no update entry (a packaged
# build), and the rows below it move up.
shoot light light "file://$WORK/appcast.xml"
shoot dark dark "file://$WORK/appcast.xml"
echo "screenshot: saved in $OUT"
ls "$OUT"
