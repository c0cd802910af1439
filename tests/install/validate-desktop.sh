#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo as the desktops' own tools judge them.
#
#   validate-desktop.sh <desktop folder>
set -euo pipefail
dir=$1
desktop-file-validate "$dir"/*.desktop
appstreamcli validate --no-net --strict "$dir"/*.metainfo.xml
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$dir"/*.metainfo.xml)
[ -f "$dir/$id.desktop" ] || { echo "no desktop entry $id.desktop for the metainfo's id" >&2; exit 1; }
grep -qx "Icon=$id" "$dir/$id.desktop" || { echo "the desktop entry's icon is not $id" >&2; exit 1; }
echo "PASS"
