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
    total=$1 made=0 roots=""
    while [ "$made" -lt "$total" ]; do
        f=$((made / 50 + 1)) children="" i=0
        while [ $i -lt 39 ]; do
            if [ $((i % 5)) -eq 0 ]; then a='[ "start", "stop" ]'; else a=""; fi
            children="$children${children:+, }$(script_node "script $f-$i" "/opt/s/$f/$i.sh" "$a")"
            i=$((i + 1))
        done
        sub="" i=0
        while [ $i -lt 9 ]; do
            sub="$sub${sub:+, }$(script_node "tool $f-$i" "/opt/s/$f/t$i.sh" "")"
            i=$((i + 1))
        done
        children="$children, $(folder_node "more $f" "$sub")"
        roots="$roots${roots:+, }$(folder_node "folder $f" "$children")"
        made=$((made + 50))
    done
    printf '{ "isPublished" : true, "roots" : [ %s ] }\n' "$roots"
}

case "${1:-small}" in
    small) small ;;
    big) big "${2:-1000}" ;;
    *) echo "usage: $0 [small | big N]" >&2; exit 2 ;;
esac
