#!/bin/sh
# Copies the bootstrap-icons SVGs that src/ui/IconMap.cpp names into
# resources/icons/, with the set's licence. The copies are committed, so a
# build never needs the network; run this only to refresh or add icons.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
MAP="$ROOT/src/ui/IconMap.cpp"
DEST="$ROOT/resources/icons"
VERSION=${BOOTSTRAP_ICONS_VERSION:-1.13.2}

command -v npm >/dev/null || { echo "refresh-icons: npm is needed (apt-get install npm)" >&2; exit 1; }

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT INT TERM

(cd "$TMP" && npm pack --silent "bootstrap-icons@$VERSION" >/dev/null)
tar -xzf "$TMP"/bootstrap-icons-*.tgz -C "$TMP"

# Map lines look like: {"folder.fill", "folder-fill"},
NAMES=$(sed -n 's/^ *{"[^"]*", *"\([a-z0-9-]*\)"},.*/\1/p' "$MAP" | sort -u)
[ -n "$NAMES" ] || { echo "refresh-icons: no icon names found in $MAP" >&2; exit 1; }

mkdir -p "$DEST"
for name in $NAMES; do
    src="$TMP/package/icons/$name.svg"
    [ -f "$src" ] || { echo "refresh-icons: bootstrap-icons $VERSION has no $name.svg" >&2; exit 1; }
    cp "$src" "$DEST/$name.svg"
done
cp "$TMP/package/LICENSE" "$DEST/LICENSE.bootstrap-icons"
echo "bootstrap-icons $VERSION" > "$DEST/VERSION.bootstrap-icons"
echo "refresh-icons: copied $(echo "$NAMES" | wc -l) icons from bootstrap-icons $VERSION"
