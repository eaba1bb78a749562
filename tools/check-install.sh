#!/bin/sh
# Installs a build into a temporary prefix and checks that every file is in
# its standard place, then validates the desktop entry and the AppStream
# metainfo (desktop-file-utils, appstream).
#   tools/check-install.sh <build-dir> [bindir] [datadir]
set -eu

BUILD=$1
BINDIR=${2:-bin}
DATADIR=${3:-share}
ID=org.orlenta.Orlenta
STAGE=$(mktemp -d)
trap 'rm -rf "$STAGE"' EXIT INT TERM

cmake --install "$BUILD" --prefix "$STAGE" >/dev/null

status=0
expect() {
    if [ ! -s "$STAGE/$1" ]; then
        echo "check-install: missing $1" >&2
        status=1
    fi
}
expect "$BINDIR/orlenta"
for code in en ko ja zh-Hans; do
    expect "$DATADIR/orlenta/$code.lproj/Localizable.strings"
done
expect "$DATADIR/man/man1/orlenta.1.gz"
# The update check's network half, where the program looks for it.
plugin=$(cd "$STAGE" && find . -path "*/orlenta/plugins/orlenta-feed-reader.so" | sed 's|^\./||')
[ -n "$plugin" ] && expect "$plugin" || { echo "check-install: missing orlenta-feed-reader.so" >&2; status=1; }
expect "$DATADIR/doc/orlenta/copyright"
expect "$DATADIR/doc/orlenta/changelog.gz"
expect "$DATADIR/applications/$ID.desktop"
expect "$DATADIR/metainfo/$ID.metainfo.xml"
expect "$DATADIR/icons/hicolor/scalable/apps/$ID.svg"
for size in 16 22 24 32 48 64 128 256; do
    png="$DATADIR/icons/hicolor/${size}x$size/apps/$ID.png"
    expect "$png"
    # A PNG of the named size: width and height at bytes 16-23 of the header.
    if [ -s "$STAGE/$png" ]; then
        got=$(od -An -tu1 -j16 -N8 "$STAGE/$png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
        [ "$got" = "${size}x$size" ] || { echo "check-install: $png is $got" >&2; status=1; }
    fi
done

# One version everywhere: the program, the newest changelog entry and the
# newest release of the metainfo.
version=$("$STAGE/$BINDIR/orlenta" --version | sed -n 's/^orlenta //p')
logged=$(gzip -dc "$STAGE/$DATADIR/doc/orlenta/changelog.gz" | sed -n '1s/^orlenta (\([^)]*\)).*/\1/p')
released=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$STAGE/$DATADIR/metainfo/$ID.metainfo.xml" | head -n 1)
if [ -z "$version" ] || [ "$logged" != "$version" ] || [ "$released" != "$version" ]; then
    echo "check-install: versions differ: program '$version', changelog '$logged', metainfo '$released'" >&2
    status=1
fi
# The manual page covers every command of the help.
for words in $("$STAGE/$BINDIR/orlenta" --help | sed -n '/^Commands:/,/^$/s/^  orlenta \([a-z]*\).*/\1/p' | sort -u); do
    gzip -dc "$STAGE/$DATADIR/man/man1/orlenta.1.gz" | grep -q "^\.SS \"orlenta $words" ||
        { echo "check-install: the manual page lacks the command $words" >&2; status=1; }
done

for tool in desktop-file-validate appstreamcli; do
    command -v $tool >/dev/null || { echo "check-install: $tool is missing (make test installs it)" >&2; exit 1; }
done
desktop-file-validate "$STAGE/$DATADIR/applications/$ID.desktop" || status=1
appstreamcli validate --no-net "$STAGE/$DATADIR/metainfo/$ID.metainfo.xml" || status=1

[ $status = 0 ] && echo "check-install: installed tree and desktop files are complete and valid"
exit $status
