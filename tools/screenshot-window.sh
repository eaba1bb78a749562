#!/bin/sh
# Opens the management window under Xvfb on a realistic library (20 folders,
# 200 scripts, some with presets), light and dark, and saves PNG screenshots:
# the outline with open folders, and node drags held over a folder, over the
# gap above a row and over the empty space below the rows.
#   tools/screenshot-window.sh [output-folder]       (default: screenshots/)
# With SHOTS=detail it shows the detail pane instead, on a library of long
# names and long paths: a folder and a script with presets, idle and while a
# run is going on (a stand-in terminal that takes a few seconds), for every
# combination of
#   LANGUAGES="zh-Hans en ko ja"  APPEARANCES="light dark"
#   SELECTIONS="folder script"    STATES="idle running"
# saved as detail-<language>-<appearance>-<selection>-<state>.png; SIZE=760x520
# resizes the window first (its smallest size).
# With SHOTS=appstream it saves the one picture of the AppStream metainfo,
# management-window.png: the window alone, in English, light, on a small
# library of everyday scripts (resources/screenshots/ keeps it).
# Needs: xvfb, xdotool, imagemagick (import), python3, a build in ./build.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/screenshots}
APP=${ORLENTA_BINARY:-$ROOT/build/src/orlenta}
[ -x "$APP" ] || { echo "screenshot-window: build first (make build)" >&2; exit 1; }
mkdir -p "$OUT"

. "$ROOT/tools/xvfb-session.sh"

private_home
export ORLENTA_DROP_LOG="$WORK/drop.log"

if [ "${SHOTS:-outline}" = appstream ]; then
/usr/bin/python3 - > "$HOME/Documents/FennickTallowBay/tallowBay.json" <<'PY'
import json, os
def node(n, name, path=None, args=None, children=None):
    entry = {"createdAt": 786000000.5, "id": "5C000000-0000-4000-8000-%012d" % n, "name": name}
    if children is not None:
        entry.update(kind="folder", children=children)
    else:
        entry.update(kind="script", filePath=path)
    if args: entry["args"] = args
    return entry
# Paths as on a user's machine; nothing runs in this picture.
s = "/home/me/scripts/"
roots = [node(1, "Deploy", children=[
             node(2, "Deploy website", s + "deploy/site.sh", ["--dry-run", "--production"]),
             node(3, "Service control", s + "deploy/service.sh", ["start", "stop", "restart --force"]),
             node(4, "Roll back", s + "deploy/rollback.sh")]),
         node(5, "Backups", children=[
             node(6, "Photos to the NAS", s + "backup/photos.sh"),
             node(7, "Sync documents", s + "backup/documents.sh", ["--verbose"])]),
         node(8, "Logs", children=[]),
         node(9, "Clean caches", s + "clean-caches.sh"),
         node(10, "Ping hosts", s + "ping-hosts.sh", ["example.org", "-c 3 localhost"])]
print(json.dumps({"isPublished": True, "roots": roots}, ensure_ascii=False, indent=1))
PY
elif [ "${SHOTS:-outline}" = detail ]; then
/usr/bin/python3 - > "$HOME/Documents/FennickTallowBay/tallowBay.json" <<'PY'
import json, os
deep = os.environ["HOME"] + "/projects/infrastructure/deployment/automation/scripts/production/eu-west-1"
def script(n, name, path, args=None):
    # The files exist, so that a run gets as far as the terminal.
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write("#!/bin/sh\necho done\n")
    os.chmod(path, 0o755)
    node = {"createdAt": 786000000.5, "filePath": path, "id": "5C000000-0000-4000-8000-%012d" % n,
            "kind": "script", "name": name}
    if args: node["args"] = args
    return node
children = [script(1, "轮换证书并重启所有服务（生产环境，欧洲西部一区）Rotate certificates and restart",
                   deep + "/rotate-certificates-and-restart-all-services-after-maintenance-window.sh",
                   ["--dry-run", "--region eu-west-1 --profile production --verbose --confirm",
                    'start --force "a b"'])]
children += [script(n, "备份 %d" % n, deep + "/backup-%d.sh" % n) for n in range(2, 6)]
sub = {"children": [script(9, "", deep + "/old/cleanup.command")], "createdAt": 786000000.5,
       "id": "F0000000-0000-4000-8000-000000000002", "kind": "folder", "name": "旧版本"}
roots = [{"children": children + [sub], "createdAt": 786000000.5,
          "id": "F0000000-0000-4000-8000-000000000001", "kind": "folder",
          "name": "生产环境运维脚本（证书、备份与日志清理）Production maintenance scripts"},
         {"createdAt": 786000000.5, "id": "F0000000-0000-4000-8000-000000000003", "kind": "folder",
          "name": "空文件夹"}]
print(json.dumps({"isPublished": True, "roots": roots}, ensure_ascii=False, indent=1))
PY
else
/usr/bin/python3 - > "$HOME/Documents/FennickTallowBay/tallowBay.json" <<'PY'
import json, uuid
def uid(): return str(uuid.uuid4()).upper()
topics = ["部署", "备份", "日志", "数据库", "Docker", "网络诊断", "证书", "监控", "构建", "发布",
          "清理", "同步", "媒体处理", "开发环境", "Git 工具", "云主机", "报表", "邮件", "定时任务", "归档"]
verbs = ["start", "stop", "status", "restart", "check", "rotate", "sync", "export", "import", "report"]
roots, n = [], 0
for f, topic in enumerate(topics):
    children = []
    for i in range(10 if f % 7 else 8):
        n += 1
        node = {"createdAt": 786000000.5, "filePath": "/home/me/scripts/%s/%s-%d.sh" % (f, verbs[i % 10], i),
                "id": uid(), "kind": "script", "name": "%s %s" % (topic, verbs[i % 10])}
        if i % 4 == 1:
            node["args"] = ["--dry-run", "--verbose", "prod eu-west-1"]
        children.append(node)
    if f % 7 == 0:
        sub = [{"createdAt": 786000000.5, "filePath": "/home/me/scripts/%s/old-%d.command" % (f, j),
                "id": uid(), "kind": "script", "name": ""} for j in range(2)]
        children.append({"children": sub, "createdAt": 786000000.5, "id": uid(), "kind": "folder", "name": "旧版本"})
    if f == 5:
        children = []
    roots.append({"children": children, "createdAt": 786000000.5, "id": uid(), "kind": "folder", "name": topic})
print(json.dumps({"isPublished": True, "roots": roots}, ensure_ascii=False, indent=1))
PY
fi

start_xvfb 1000x800

# Rows are counted from the top of the outline; see ROW_* below.
SIDEBAR_TOP=${SIDEBAR_TOP:-89}
ROW_HEIGHT=${ROW_HEIGHT:-30}
row_y() { echo $((SIDEBAR_TOP + $1 * ROW_HEIGHT + ROW_HEIGHT / 2)); }

shoot() { # name appearance
    printf '[General]\nfnkt_appearance=%s\n' "$2" > "$XDG_CONFIG_HOME/orlenta/orlenta.ini"
    LANG=C.UTF-8 "$APP" open > "$WORK/$1.log" 2>&1 &
    app=$!
    PIDS="$PIDS $app"
    sleep 2.5
    win=$(xdotool search --name '^Orlenta$' | head -1)
    xdotool windowfocus "$win" 2>/dev/null || true
    # Open the first two folders and select a script with presets.
    xdotool mousemove 120 "$(row_y 0)" click 1
    sleep 0.3
    xdotool key Right Down Down Down Down Down Down Down Down Down Down Down Down Right Up Up Up Up Up Up Up Up Up Up Up
    sleep 0.5
    import -window root "$OUT/window-$1.png"

    # A node drag by the handle of "备份 start" (depth 1), held over the
    # folder row "日志", then over the upper half of a script row.
    xdotool mousemove 48 "$(row_y 2)" mousedown 1
    sleep 0.2
    xdotool mousemove 54 "$(row_y 2)" sleep 0.2 mousemove 90 $(( $(row_y 12) + 6 ))
    sleep 0.6
    import -window root "$OUT/window-$1-drag-folder.png"
    xdotool mousemove 90 $(( $(row_y 6) - 10 ))
    sleep 0.6
    import -window root "$OUT/window-$1-drag-gap.png"
    xdotool key Escape
    xdotool mouseup 1
    sleep 0.4
    # Folders closed and the last three deleted: space below the last row.
    xdotool mousemove 120 "$(row_y 0)" click 1 key Left
    xdotool mousemove 120 "$(row_y 3)" click 1 key Left
    xdotool key ctrl+End shift+Up shift+Up Delete
    sleep 0.5
    xdotool mousemove 24 "$(row_y 0)" mousedown 1
    sleep 0.2
    xdotool mousemove 30 "$(row_y 0)" sleep 0.2 mousemove 120 "$(row_y 18)"
    sleep 0.6
    import -window root "$OUT/window-$1-drag-empty.png"
    xdotool key Escape
    xdotool mouseup 1
    sleep 0.3
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    if [ -s "$WORK/$1.log" ]; then echo "== $1: orlenta said:"; cat "$WORK/$1.log"; fi
}

# The detail pane: the first folder, or its first script (long name, long
# path, presets); "running" starts a run of it through the command line and
# shoots while the stand-in terminal is still busy.
detail() { # language appearance selection state
    name="detail-$1-$2-$3-$4"
    printf '[General]\nfnkt_appearance=%s\nfnkt_language=%s\nfnkt_terminal=%s\n' \
        "$2" "$1" "$WORK/bin/gnome-terminal" > "$XDG_CONFIG_HOME/orlenta/orlenta.ini"
    LANG=C.UTF-8 "$APP" > "$WORK/$name.log" 2>&1 &
    app=$!
    PIDS="$PIDS $app"
    sleep 2
    "$APP" open >> "$WORK/$name.log" 2>&1
    sleep 1.5
    win=$(xdotool search --name '^Orlenta$' | head -1)
    xdotool windowfocus "$win" 2>/dev/null || true
    if [ -n "${SIZE:-}" ]; then
        xdotool search --onlyvisible --name '^Orlenta$' windowsize %@ "${SIZE%x*}" "${SIZE#*x}"
        sleep 0.5
    fi
    xdotool mousemove 120 "$(row_y 0)" click 1
    node=F0000000-0000-4000-8000-000000000001
    if [ "$3" = script ]; then
        xdotool key Right Down
        node=5C000000-0000-4000-8000-000000000001
    fi
    sleep 0.5
    if [ "$4" = running ]; then
        "$APP" run "$node" >> "$WORK/$name.log" 2>&1 &
        sleep 1.5
    fi
    import -window root "$OUT/$name.png"
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
}

if [ "${SHOTS:-outline}" = appstream ]; then
    printf '[General]\nfnkt_appearance=light\nfnkt_language=en\n' > "$XDG_CONFIG_HOME/orlenta/orlenta.ini"
    LANG=C.UTF-8 "$APP" open > "$WORK/appstream.log" 2>&1 &
    PIDS="$PIDS $!"
    sleep 2.5
    win=$(xdotool search --onlyvisible --name '^Orlenta$' | head -1)
    xdotool windowfocus "$win" 2>/dev/null || true
    xdotool windowsize "$win" 900 680
    sleep 0.5
    # "Service control" in the open folder "Deploy".
    xdotool mousemove 120 "$(row_y 0)" click 1 key Right Down Down
    sleep 0.6
    import -window "$win" "$OUT/management-window.png"
elif [ "${SHOTS:-outline}" = detail ]; then
    # Stands in for a terminal: busy for a few seconds, then done.
    mkdir -p "$WORK/bin"
    printf '#!/bin/sh\nsleep 4\n' > "$WORK/bin/gnome-terminal"
    chmod +x "$WORK/bin/gnome-terminal"
    for language in ${LANGUAGES:-zh-Hans en ko ja}; do
        for appearance in ${APPEARANCES:-light dark}; do
            for selection in ${SELECTIONS:-folder script}; do
                for state in ${STATES:-idle running}; do
                    detail "$language" "$appearance" "$selection" "$state"
                done
            done
        done
    done
else
    shoot light light
    shoot dark dark
fi
echo "screenshot-window: saved in $OUT"
ls "$OUT"
