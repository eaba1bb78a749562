#!/bin/sh
# Writes the manual page orlenta.1 from the program's own help, so the two
# never disagree: help2man turns `orlenta --help` into NAME, SYNOPSIS and
# DESCRIPTION, each command's `--help` becomes a subsection of COMMANDS, and
# resources/orlenta.h2m adds what no help text says (files, environment).
#   tools/make-manpage.sh <orlenta-binary> <orlenta.h2m> <output.1>
# writes output.1 and, compressed as Debian installs manual pages, output.1.gz.
set -eu

APP=$1
STATIC=$2
OUT=$3
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT INT TERM
# The help texts are plain ASCII; nothing here depends on the builder's locale.
export LC_ALL=C.UTF-8

# Backslashes and minus signs as roff wants them; a line starting with a dot
# or a quote would be read as a request.
roff() {
    sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\([.']\)/\\\\\&\1/"
}

{
    # Appended to DESCRIPTION, so that COMMANDS follows it directly.
    echo '[>DESCRIPTION]'
    echo '.SH COMMANDS'
    "$APP" --help | sed -n '/^Commands:/,/^$/s/^  orlenta \([a-z ]*[a-z]\).*/\1/p' |
        while read -r words; do
            # shellcheck disable=SC2086 # the words of a command, split on purpose
            "$APP" $words --help > "$TMP/help"
            usage=$(sed -n '1s/^Usage: //p' "$TMP/help")
            [ -n "$usage" ] || { echo "make-manpage: no usage line for '$words'" >&2; exit 1; }
            printf '.SS "%s"\n' "$(printf '%s\n' "$usage" | roff)"
            # The description as a paragraph, the option and argument tables as they are.
            sed -n '2,/^$/p' "$TMP/help" | roff
            printf '.PP\n.nf\n'
            sed '1,/^$/d' "$TMP/help" | sed -e '/^$/d' -e 's/^\([A-Z][a-z]*:\)$/\n\1/' | sed '1{/^$/d}' | roff
            printf '.fi\n'
        done
} > "$TMP/commands.h2m"

help2man --no-info --section=1 --name="tray launcher for shell scripts" \
    --include="$STATIC" --include="$TMP/commands.h2m" --output="$TMP/page" "$APP"
# The list of commands in the overview keeps its lines.
sed -e '/^\.SS "Commands:"$/,/^\.PP$/{s/^\.IP$/.nf/;s/^\.PP$/.fi\n.PP/}' "$TMP/page" > "$OUT"
gzip -9n -c "$OUT" > "$OUT.gz"
