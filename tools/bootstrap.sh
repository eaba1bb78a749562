#!/bin/sh
# Installs the Debian packages one purpose needs; does nothing when all of
# them are present; uses sudo when not root.
#   tools/bootstrap.sh run       building and running the app   (make run)
#   tools/bootstrap.sh test      run + the test tools            (make test)
#   tools/bootstrap.sh package   run + what `make package` needs
set -eu

# Compiler, build tools (ccache makes rebuilds after a branch switch cheap;
# help2man writes the manual page from the program's help), Qt and a CJK font
# (the interface is Chinese by default).
RUN_PACKAGES="
build-essential
cmake
ninja-build
ccache
help2man
pkg-config
qt6-base-dev
qt6-base-dev-tools
qt6-svg-dev
libqt6svg6
qt6-qpa-plugins
qt6-translations-l10n
libgl-dev
libxkbcommon-dev
libxcb1-dev
fonts-noto-cjk
"

# Tests, benchmarks and the measuring and screenshot tools: an X server with
# an XEmbed tray, private session buses, the desktop-file validators; clang
# with its sanitizer and libFuzzer runtimes and the symbolizer for
# make test-sanitize and make fuzz.
TEST_PACKAGES="
libbenchmark-dev
xvfb
xauth
x11-utils
trayer
xdotool
time
imagemagick
dbus-daemon
dbus-x11
desktop-file-utils
appstream
clang-14
libclang-rt-14-dev
llvm-14
"

# CPack's Debian generator: dpkg-shlibdeps and file; lintian checks the result.
PACKAGE_PACKAGES="
dpkg-dev
file
lintian
"

case "${1:-run}" in
run) PACKAGES=$RUN_PACKAGES ;;
test) PACKAGES="$RUN_PACKAGES $TEST_PACKAGES" ;;
package) PACKAGES="$RUN_PACKAGES $PACKAGE_PACKAGES" ;;
*)
    echo "usage: $0 [run|test|package]" >&2
    exit 2
    ;;
esac

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
