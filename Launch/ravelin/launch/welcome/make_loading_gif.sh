#!/usr/bin/env bash
# Draws loading_ica.gif, the welcome window's animation, with ImageMagick: a title, a line of
# text and a ring of twelve dots whose bright dot goes round. Run it again after changing it and
# commit the picture (builds copy the committed file).
set -euo pipefail
out=${1:-$(dirname "$0")/loading_ica.gif}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
w=425 h=240 cx=212 cy=178 r=22 dots=12
frames=()
for ((f = 0; f < dots; f++)); do
  draw=()
  for ((i = 0; i < dots; i++)); do
    age=$(((f - i + dots) % dots))
    level=$((255 - age * 17))
    ((level < 70)) && level=70
    read -r x y < <(awk -v i="$i" -v n="$dots" -v cx="$cx" -v cy="$cy" -v r="$r" \
      'BEGIN { a = 2 * 3.14159265 * i / n; printf "%d %d\n", cx + r * sin(a), cy - r * cos(a) }')
    draw+=(-fill "rgb($level,$level,255)" -draw "circle $x,$y $((x + 4)),$y")
  done
  convert -size ${w}x${h} xc:'#1f3b5c' \
    -fill white -font DejaVu-Sans-Bold -pointsize 40 -gravity north -annotate +0+40 'Nimbo' \
    -fill '#c8d8ec' -font DejaVu-Sans -pointsize 16 -annotate +0+100 'Starting your app...' \
    -gravity none "${draw[@]}" "$work/frame$f.png"
  frames+=("$work/frame$f.png")
done
convert -delay 8 -loop 0 "${frames[@]}" "$out"
echo "$out"
