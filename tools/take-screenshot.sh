#!/usr/bin/env bash
# Takes the README's screenshot: a focusing session in a real window in Xvfb.
# The current shot (slightly out of focus) is compared with the sharpest
# shot of the sweep, selected as reference, both on the same text.
# Usage: tools/take-screenshot.sh [output.png]   (after a build into build/)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs/screenshot.png}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp build/kelvaris "$work/"
mkdir -p "$work/reception"
# A window whose panes fill it: outer size in twips, 15 per pixel.
printf '[R\xe9pertoires]\r\nRepBase=%s\r\n[Fenetre]\r\nWidth=17775\r\nHeight=6525\r\nTop=0\r\nLeft=0\r\n' \
    "$work/reception" > "$work/kelvaris.ini"

xvfb-run -a -s '-screen 0 1280x1024x24 -dpi 96' bash -s "$work" "$out" "$PWD/build/tools/camera_sim" <<'SESSION'
set -euo pipefail
work=$1 out=$2 camera=$3
# Shots of a given blur: a sweep of one shot is sharp, the two shots of a
# sweep of two are both at its worst blur.
shoot() { "$camera" --dir "$work/reception" --write-ms 100 --interval 0.3 "$@" >/dev/null 2>&1; }
shoot --count 2 --max-blur 2.5
shoot --count 1
"$work/kelvaris" >/dev/null 2>&1 &
app=$!
window=$(xdotool search --sync --name '^Kelvaris$' | head -1)
sleep 1
# Positions for a pane side of 5000 twips (see the layout).
xdotool mousemove 941 20 click 1          # Start: takes the last, sharp shot
sleep 2
xdotool mousemove 795 296 click 1         # overview: centre on the text
sleep 0.5
xdotool mousemove 341 396 click 1         # Select: the sharp shot becomes the reference
sleep 0.5
# The focus has drifted a little.
shoot --count 2 --max-blur 1.2
sleep 2.5
import -window "$window" "$out"
kill "$app"
SESSION
echo "Screenshot: $out"
