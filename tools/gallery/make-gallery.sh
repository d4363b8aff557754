#!/usr/bin/env bash
# make-gallery.sh [FOLDER]: shows every control of the setup in its states under Wine (on a
# private Xvfb display) and writes one PNG per scene, plus gallery.png with all of them, into
# FOLDER (build/gallery by default). Build the windows preset first; needs ImageMagick and
# fonts-liberation (scripts/packages installs both).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out=$(realpath -m "${1:-$top/build/gallery}")
command -v convert >/dev/null && command -v montage >/dev/null ||
    { echo "make-gallery: ImageMagick (convert, montage) is needed" >&2; exit 1; }
mkdir -p "$out"
# Only what an earlier run wrote goes: FOLDER may hold other files.
rm -f "$out"/*.bmp "$out"/*.png
"$top/scripts/with-wine" --xvfb "$top/scripts/wine-run" "$top/build/windows/bin/gallery.exe" "$out"
for bmp in "$out"/*.bmp; do
    convert "$bmp" "${bmp%.bmp}.png"
    rm "$bmp"
done
# Each scene doubled in size with sharp pixels, named underneath.
montage -font Liberation-Sans -label '%t' -filter point -resize 200% -geometry +8+8 -tile 1x -background white \
    "$out"/*.png "$out/gallery.png"
echo "pictures in $out"
