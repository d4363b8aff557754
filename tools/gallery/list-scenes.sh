#!/usr/bin/env bash
# list-scenes.sh [FOLDER]: paints the list control and its header in their states under Wine and
# Xvfb and writes one PNG per scene into FOLDER (build/gallery by default). Build first
# (cmake --build --preset windows); needs ImageMagick's convert.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out=${1:-$top/build/gallery}
mkdir -p "$out"
out=$(cd "$out" && pwd)
program="$top/build/windows/bin/list_scenes.exe"
[ -x "$program" ] || { echo "build first: $program is missing" >&2; exit 1; }
cd "$out"
"$top/scripts/with-wine" --xvfb "$top/scripts/wine-run" "$program"
for bmp in list-*.bmp header.bmp; do
    [ -f "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png"
    rm -f "$bmp"
    echo "$out/${bmp%.bmp}.png"
done
