#!/bin/sh
# Checks the Debian package `make package` built: lintian must report no
# error (its warnings are printed and explained in the README), and the
# package must carry its manual page, copyright and changelog.
#   tools/check-package.sh <orlenta_*.deb>
set -eu

DEB=$1
command -v lintian >/dev/null || { echo "check-package: lintian is missing (make package installs it)" >&2; exit 1; }

status=0
contents=$(dpkg-deb --contents "$DEB")
for file in ./usr/bin/orlenta ./usr/share/man/man1/orlenta.1.gz \
    ./usr/share/doc/orlenta/copyright ./usr/share/doc/orlenta/changelog.gz; do
    printf '%s\n' "$contents" | grep -q " $file\$" || { echo "check-package: $DEB lacks $file" >&2; status=1; }
done

# --fail-on error: warnings are shown, errors fail.
lintian --fail-on error --tag-display-limit 0 "$DEB" || status=1
[ $status = 0 ] && echo "check-package: $(basename "$DEB"): no lintian error"
exit $status
