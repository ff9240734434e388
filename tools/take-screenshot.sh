#!/usr/bin/env bash
# Takes the README's screenshot: a focusing session in a real window in Xvfb.
# The demo camera sweeps the focus over a tilted subject while Kelvaris
# watches; the sharpest shot of the region in view (the fine print in the
# corner) is then made the reference with B, and the current shot, at the
# blurred end of the sweep, is compared with it.
# Usage: tools/take-screenshot.sh [output.png]   (after a build into build/)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs/screenshot.png}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp build/kelvaris "$work/"
mkdir -p "$work/reception"
# Client area 1000 x 700 pixels (no window manager: no frame), 15 twips each.
printf '[R\xe9pertoires]\r\nRepBase=%s\r\n[Fenetre]\r\nWidth=15000\r\nHeight=10500\r\nTop=0\r\nLeft=0\r\n' \
    "$work/reception" > "$work/kelvaris.ini"

xvfb-run -a -s '-screen 0 1280x1024x24 -dpi 96' bash -s "$work" "$out" "$PWD/build/tools/camera_sim" <<'SESSION'
set -euo pipefail
work=$1 out=$2 camera=$3
"$work/kelvaris" >/dev/null 2>&1 &
app=$!
window=$(xdotool search --sync --name '^Kelvaris$' | head -1)
sleep 1
# No window manager gives the window the keyboard: it is given by hand.
xdotool windowfocus --sync "$window"
xdotool key F5
sleep 1
# A sweep of 15 shots, the picture's left sharpest at the sixth, in files
# that straddle 1 MB: the quality figure prefers a blurrier one.
"$camera" --dir "$work/reception" --straddle --sweep 15 --tilt 4 --count 15 --interval 0.6 \
    --write-ms 100 >/dev/null 2>&1
sleep 2
xdotool key b
sleep 1.5
import -window "$window" "$out"
kill "$app"
SESSION
echo "Screenshot: $out"
