#!/bin/bash
# Pictures of the menu designer and its property palette for the user guide,
# into docs/images; DIALOG_LANGS="Eng Chs" adds Simplified Chinese (-zh),
# run with LANG=zh_CN.UTF-8 for the Chinese code page, which needs that
# locale on the system (localedef -i zh_CN -f UTF-8 zh_CN.UTF-8) and a CJK
# font such as the Debian package fonts-wqy-microhei:
#   VANTREL_OUT_DIR=OUT/win64 designer/tests/designershots.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
icon="Z:${root//\//\\}\\lang\\art\\Vantrel.ico"
for lang in ${DIALOG_LANGS:-Eng}; do
    mkdir -p "$work/$lang"
    locale=$([ "$lang" = Chs ] && echo zh_CN.UTF-8 || echo "${LANG:-C.UTF-8}")
    LANG=$locale "$root/scripts/wine-session" "$build" wine "$build/bin/designershots.exe" "vn$lang.dll" \
        "Z:${work//\//\\}\\$lang" "$icon"
    suffix=$([ "$lang" = Eng ] && echo "" || echo "-zh")
    for bmp in "$work/$lang"/*.bmp; do
        convert "$bmp" "$root/docs/images/$(basename "$bmp" .bmp)$suffix.png"
    done
done
ls "$root/docs/images"
