#!/bin/sh
# Installs the .deb from `make package` on a fresh, minimal Debian 12 (a
# debootstrap chroot) and starts it there under Xvfb: first with no tray
# (the management window opens instead), then beside an XEmbed tray.
# Run by hand as root: it downloads a few hundred MB from deb.debian.org.
#   tools/check-fresh-debian.sh [package.deb] [chroot folder]
# The folder (default /var/tmp/orlenta-fresh) is removed at the end unless
# KEEP=1. MIRROR overrides the Debian mirror.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEB=${1:-}
if [ -z "$DEB" ]; then
    for f in "$ROOT"/build/orlenta_*.deb; do DEB=$f; done
fi
TARGET=${2:-/var/tmp/orlenta-fresh}
MIRROR=${MIRROR:-http://deb.debian.org/debian}

[ -f "$DEB" ] || { echo "check-fresh-debian: no package (make package first)" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "check-fresh-debian: run as root (debootstrap, chroot, mount)" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "check-fresh-debian: apt-get install debootstrap" >&2; exit 1; }
[ ! -e "$TARGET" ] || { echo "check-fresh-debian: $TARGET exists; remove it first" >&2; exit 1; }

MOUNTS=""
cleanup() {
    for m in $MOUNTS; do umount -l "$m" 2>/dev/null || true; done
    if [ "${KEEP:-0}" != 1 ]; then rm -rf --one-file-system "$TARGET"; fi
}
trap cleanup EXIT INT TERM

echo "== debootstrap bookworm (minbase) into $TARGET"
debootstrap --variant=minbase bookworm "$TARGET" "$MIRROR" >"$TARGET.debootstrap.log" 2>&1 || {
    tail -n 30 "$TARGET.debootstrap.log" >&2; exit 1; }
rm -f "$TARGET.debootstrap.log"

# What a chroot lacks that a booted system has: /proc (Qt reads it), a
# shared-memory tmpfs (X shared memory, Qt's pixmaps) and name resolution.
mount -t proc proc "$TARGET/proc" && MOUNTS="$TARGET/proc $MOUNTS"
mkdir -p "$TARGET/dev/shm"
mount -t tmpfs -o mode=1777 shm "$TARGET/dev/shm" && MOUNTS="$TARGET/dev/shm $MOUNTS"
cp /etc/resolv.conf "$TARGET/etc/resolv.conf"
cp "$DEB" "$TARGET/tmp/"
PKG=/tmp/$(basename "$DEB")

in_chroot() {
    chroot "$TARGET" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive /bin/sh -c "$1"
}

echo "== apt-get install $PKG xvfb xauth trayer"
in_chroot "apt-get update -qq && apt-get install -y -qq $PKG xvfb xauth trayer" >"$TARGET/install.log" 2>&1 || {
    tail -n 30 "$TARGET/install.log" >&2; exit 1; }
grep -E '^(Setting up|Unpacking) orlenta' "$TARGET/install.log" | tail -1
echo "installed packages: $(in_chroot 'dpkg-query -W | wc -l')"

status=0
echo "== xvfb-run -a orlenta --quit-after-start (no tray: the window instead)"
in_chroot 'xvfb-run -a orlenta --quit-after-start; echo "exit status $?"' 2>&1 | tee "$TARGET/run-window.log"
grep -q '^exit status 0$' "$TARGET/run-window.log" || status=1

echo "== the same beside an XEmbed tray (trayer)"
in_chroot 'xvfb-run -a sh -c "trayer --edge top >/dev/null 2>&1 & sleep 1; orlenta --quit-after-start; s=\$?; kill \$!; exit \$s"; echo "exit status $?"' \
    2>&1 | tee "$TARGET/run-tray.log"
grep -q '^exit status 0$' "$TARGET/run-tray.log" || status=1
if grep -q 'no system tray' "$TARGET/run-tray.log"; then
    echo "check-fresh-debian: the tray was not found beside trayer" >&2
    status=1
fi

[ $status -eq 0 ] && echo "check-fresh-debian: OK" || echo "check-fresh-debian: FAILED" >&2
exit $status
