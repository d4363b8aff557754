#!/usr/bin/env bash
# Draws the setup's pictures and icon into src/res (or into the folder given as the first
# argument): the side pictures 177 x 290 in Korean and English, the 150 x 57 logo and the
# multi-size icon. Needs ImageMagick, fonts-nanum and fonts-liberation (scripts/packages).
# The results are committed; run this again only after changing the drawing below.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out=${1:-$top/src/res}
mkdir -p "$out"

latin_bold=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
latin=/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf
hangul=/usr/share/fonts/truetype/nanum/NanumGothic.ttf
for f in "$latin_bold" "$latin" "$hangul"; do
    [ -r "$f" ] || { echo "make-art: missing font $f" >&2; exit 1; }
done
convert -version 2>/dev/null | grep -q ImageMagick || { echo "make-art: needs ImageMagick's convert" >&2; exit 1; }

# Brand colours.
blue='#2563EB'
teal='#14B8A6'
ink='#1E293B'
slate='#475569'
frame='#334155'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The illustration is drawn at four times its size and scaled down, which smooths its edges.
S=4

# The mark: a thick ring with a small teal satellite at its upper right, on transparent ground.
# Drawn once at 1024 x 1024 and scaled down for the icon, the logo and the side pictures.
convert -size 1024x1024 xc:none \
    -fill none -stroke "$blue" -strokewidth 150 -draw "circle 480,560 480,210" \
    -fill "$teal" -stroke white -strokewidth 48 -draw "circle 790,250 790,120" \
    "$work/mark-large.png"
mark() { # size, output
    convert "$work/mark-large.png" -filter Lanczos -resize "$1x$1" -depth 8 "$2"
}

# --- Icon 128: 16, 32, 48 and 256 pixels, 32-bit with alpha.
for n in 16 32 48 256; do mark "$n" "$work/icon-$n.png"; done
convert "$work/icon-16.png" "$work/icon-32.png" "$work/icon-48.png" "$work/icon-256.png" \
    -define png:exclude-chunks=date,time "$out/oribel.ico"

# A 24-bit Windows 3 bitmap on white, without alpha and without any timestamp.
to_bmp() { # input, output
    convert "$1" -background white -alpha remove -alpha off -type TrueColor "BMP3:$2"
}

# --- Logo 136: 150 x 57, mark and word mark on white.
mark 36 "$work/logo-mark.png"
convert -size 150x57 xc:white \
    "$work/logo-mark.png" -geometry +5+10 -composite \
    -font "$latin_bold" -pointsize 24 -fill "$ink" -kerning 1 \
    -annotate +48+37 'ORIBEL' \
    "$work/logo.png"
to_bmp "$work/logo.png" "$out/logo.bmp"

# --- Side pictures 134 (Korean) and 137 (English): 177 x 290.
# The illustration shared by both, in picture coordinates (the MVG scales them up): a PC and a
# phone joined by a dashed arc, on a pale disc.
cat >"$work/illustration.mvg" <<MVG
scale $S,$S
stroke none
fill #EFF5FF
circle 88,192 88,120
push graphic-context
  fill none
  stroke $teal
  stroke-width 2
  stroke-dasharray 5 4
  path 'M 70,140 Q 110,96 139,160'
pop graphic-context
fill $frame
roundrectangle 20,146 112,208 5,5
rectangle 60,208 72,220
roundrectangle 46,219 86,224 2,2
fill #DBEAFE
rectangle 25,151 107,201
fill white
roundrectangle 32,158 72,188 2,2
fill $blue
rectangle 32,158 72,164
fill #93C5FD
rectangle 36,169 66,171
rectangle 36,175 60,177
rectangle 36,181 63,183
fill $teal
roundrectangle 80,170 100,188 2,2
push graphic-context
  fill white
  stroke $frame
  stroke-width 3
  roundrectangle 126,162 156,222 5,5
pop graphic-context
fill #CCFBF1
rectangle 130,168 152,213
fill $teal
roundrectangle 133,173 149,185 2,2
fill #5EEAD4
rectangle 133,190 149,192
rectangle 133,196 145,198
fill $frame
circle 141,217.5 141,219
push graphic-context
  fill $teal
  stroke white
  stroke-width 1.5
  circle 70,140 70,136
  circle 139,160 139,156
pop graphic-context
MVG
convert -size $((177 * S))x$((290 * S)) xc:white -draw "$(<"$work/illustration.mvg")" \
    -filter Lanczos -resize 177x290 "$work/illustration.png"

mark 30 "$work/side-mark.png"
side() { # tag line, its font, output
    # The logo group (mark and word mark) is centred as one piece.
    convert "$work/illustration.png" \
        "$work/side-mark.png" -geometry +21+22 -composite \
        -font "$latin_bold" -pointsize 25 -fill "$ink" -kerning 1 -annotate +57+46 'ORIBEL' \
        -font "$2" -pointsize 12 -kerning 0 -fill "$slate" -gravity north -annotate +0+70 "$1" \
        "$work/side.png"
    to_bmp "$work/side.png" "$3"
}
side 'PC와 스마트폰을 하나로' "$hangul" "$out/side-ko.bmp"
side 'Your PC and phone, as one' "$latin" "$out/side-en.bmp"
