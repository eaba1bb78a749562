#!/bin/sh
# Chooses settings over the real accessibility bus, as a screen reader or
# desktop automation does: under Xvfb and a private session bus it opens the
# settings window, runs the "Toggle" action of the "新标签" run card, the "暗色"
# appearance card and the login switch through AT-SPI (python3-pyatspi), and
# prints the preferences the app then stored.
#   tools/check-settings-atspi.sh
# Needs: xvfb, at-spi2-core, python3-pyatspi, dbus, a build in ./build.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
APP=${ORLENTA_BINARY:-$ROOT/build/src/orlenta}
[ -x "$APP" ] || { echo "check-settings-atspi: build first (make build)" >&2; exit 1; }
if [ -z "${ORLENTA_IN_SESSION:-}" ]; then
    ORLENTA_IN_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi

. "$ROOT/tools/xvfb-session.sh"
private_home
start_xvfb 1024x768
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
PIDS="$PIDS $!"
sleep 1
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb LANG=C.UTF-8
"$APP" >"$WORK/app.log" 2>&1 &
PIDS="$PIDS $!"
sleep 3
"$APP" settings >/dev/null 2>&1 || true
sleep 2
/usr/bin/python3 - <<'PY'
import time, pyatspi

def find(node, name, role):
    if node is None:
        return None
    try:
        if node.name == name and node.getRoleName() == role:
            return node
        for i in range(node.childCount):
            hit = find(node.getChildAtIndex(i), name, role)
            if hit:
                return hit
    except Exception:
        pass
    return None

desktop = pyatspi.Registry.getDesktop(0)
app = next((desktop.getChildAtIndex(i) for i in range(desktop.childCount)
            if desktop.getChildAtIndex(i) and desktop.getChildAtIndex(i).name.lower() == "orlenta"), None)
assert app, "orlenta is not on the accessibility bus"
for name, role in [("新标签", "check box"), ("暗色", "check box"),
                   ("登录时启动 Orlenta", "check box")]:
    control = find(app, name, role)
    assert control, "no %s %r" % (role, name)
    action = control.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    print("%s: actions %s" % (name, names))
    action.doAction(names.index("Toggle"))
    time.sleep(0.5)
PY
sleep 1
grep -E "fnkt_(runMode|appearance|launchAtLogin)" "$XDG_CONFIG_HOME/orlenta/orlenta.ini" || true
