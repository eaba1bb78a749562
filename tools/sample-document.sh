#!/bin/sh
# Writes a published script document to stdout.
#   sample-document.sh            a small tree for screenshots
#   sample-document.sh big N      about N nodes (folders of scripts, some with presets)
set -eu

uuid() { cat /proc/sys/kernel/random/uuid | tr 'a-f' 'A-F'; }

script_node() { # name path args-json-or-empty
    if [ -n "$3" ]; then args="\"args\" : $3, "; else args=""; fi
    printf '{ %s"createdAt" : 786000000.5, "filePath" : "%s", "id" : "%s", "kind" : "script", "name" : "%s" }' \
        "$args" "$2" "$(uuid)" "$1"
}

folder_node() { # name children-json-or-empty
    if [ -n "$2" ]; then children="\"children\" : [ $2 ], "; else children=""; fi
    printf '{ %s"createdAt" : 786000000.5, "id" : "%s", "kind" : "folder", "name" : "%s" }' \
        "$children" "$(uuid)" "$1"
}

small() {
    deploy="$(script_node "发布网站" "/srv/scripts/deploy-site.sh" "")"
    deploy="$deploy, $(script_node "服务控制" "/srv/scripts/service.sh" '[ "start", "stop", "restart --force" ]')"
    deploy="$deploy, $(folder_node "旧版本" "")"
    backup="$(script_node "" "/home/me/bin/backup-photos.sh" "")"
    backup="$backup, $(script_node "同步 R&D 文档" "/home/me/bin/sync-docs.sh" '[ "  ", "" ]')"
    roots="$(folder_node "部署" "$deploy"), $(folder_node "备份" "$backup")"
    roots="$roots, $(folder_node "日志" "")"
    roots="$roots, $(script_node "清理缓存" "/home/me/bin/clean-cache.sh" "")"
    roots="$roots, $(script_node "ping" "/home/me/bin/ping-hosts.sh" '[ "example.org", "-c 3 localhost" ]')"
    printf '{ "isPublished" : true, "roots" : [ %s ] }\n' "$roots"
}

big() { # total nodes, in folders of 48 scripts and a subfolder of 9 more
    # One awk pass: building the text in the shell is quadratic and takes
    # minutes at 5,000 nodes.
    awk -v total="$1" 'BEGIN {
        srand(1)
        printf "{ \"isPublished\" : true, \"roots\" : [ "
        for (made = 0; made < total; made += 50) {
            f = made / 50 + 1
            printf "%s{ \"children\" : [ ", (made ? ", " : "")
            for (i = 0; i < 39; i++) {
                args = (i % 5 == 0) ? "\"args\" : [ \"start\", \"stop\" ], " : ""
                printf "%s{ %s\"createdAt\" : 786000000.5, \"filePath\" : \"/opt/s/%d/%d.sh\", \"id\" : \"%s\", \"kind\" : \"script\", \"name\" : \"script %d-%d\" }", (i ? ", " : ""), args, f, i, uuid(), f, i
            }
            printf ", { \"children\" : [ "
            for (i = 0; i < 9; i++)
                printf "%s{ \"createdAt\" : 786000000.5, \"filePath\" : \"/opt/s/%d/t%d.sh\", \"id\" : \"%s\", \"kind\" : \"script\", \"name\" : \"tool %d-%d\" }", (i ? ", " : ""), f, i, uuid(), f, i
            printf " ], \"createdAt\" : 786000000.5, \"id\" : \"%s\", \"kind\" : \"folder\", \"name\" : \"more %d\" }", uuid(), f
            printf " ], \"createdAt\" : 786000000.5, \"id\" : \"%s\", \"kind\" : \"folder\", \"name\" : \"folder %d\" }", uuid(), f
        }
        printf " ] }\n"
    }
    function hex(n,   s) { s = ""; while (n-- > 0) s = s substr("0123456789ABCDEF", int(rand() * 16) + 1, 1); return s }
    function uuid() { return hex(8) "-" hex(4) "-4" hex(3) "-A" hex(3) "-" hex(12) }'
}

case "${1:-small}" in
    small) small ;;
    big) big "${2:-1000}" ;;
    *) echo "usage: $0 [small | big N]" >&2; exit 2 ;;
esac
