#!/bin/bash
# Pictures of the login, menu and user dialogs for the user guide, into
# docs/images; DIALOG_LANGS="Eng Chs" adds Simplified Chinese, which needs
# LANG=zh_CN.UTF-8 (the Chinese code page) and a CJK font such as the Debian
# package fonts-wqy-microhei:
#   VANTREL_OUT_DIR=OUT/win64 designer/tests/dialogshots.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for lang in ${DIALOG_LANGS:-Eng}; do
    mkdir -p "$work/$lang"
    "$root/scripts/wine-session" "$build" wine "$build/bin/dialogshots.exe" "vn$lang.dll" "Z:${work//\//\\}\\$lang"
    for bmp in "$work/$lang"/*.bmp; do
        name=$(basename "$bmp" .bmp)
        suffix=$([ "$lang" = Eng ] && echo "" || echo "-zh")
        convert "$bmp" "$root/docs/images/dialog-$name$suffix.png"
    done
done
ls "$root/docs/images"
