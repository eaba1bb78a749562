#!/bin/sh
# Installs the Debian packages the build, the tests and the app need.
# Does nothing when all of them are present; uses sudo when not root.
set -eu

PACKAGES="
build-essential
cmake
ninja-build
pkg-config
qt6-base-dev
qt6-base-dev-tools
qt6-svg-dev
libqt6svg6
qt6-qpa-plugins
qt6-translations-l10n
libgl-dev
libxkbcommon-dev
libbenchmark-dev
xvfb
xauth
x11-utils
trayer
xdotool
time
imagemagick
fonts-noto-cjk
dbus-x11
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# A fresh machine has no package lists until the first update.
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
