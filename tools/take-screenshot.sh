#!/usr/bin/env bash
# Takes the README's screenshots: a focusing session in a real window in Xvfb.
#
# By default: the demo camera sweeps the focus over a tilted subject while
# Kelvaris watches; the sharpest shot of the region in view (the fine print
# in the corner) is then made the reference with B, and the current shot, at
# the blurred end of the sweep, is compared with it.
#
# With --stack: the camera shoots a page of fine print receding from near to
# far in twelve steps of focus; the focus map (M) and peaking (P) are turned
# on, the current pane is centred on the far end of the page, where the last
# shot is sharp, the first shot (sharp at the near end) is made the
# reference from its point on the curve, and the pointer rests on the
# overview over the near end of the page, which names its sharpest shot.
#
# Usage: tools/take-screenshot.sh [--stack] [output.png]   (after a build into build/)
set -euo pipefail
cd "$(dirname "$0")/.."
mode=sweep
if [ "${1:-}" = --stack ]; then
    mode=stack
    shift
fi
default=docs/screenshot.png
[ "$mode" = stack ] && default=docs/focus-map.png
out="$(realpath -m "${1:-$default}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp build/kelvaris "$work/"
mkdir -p "$work/reception"
# Client area 1000 x 700 pixels (no window manager: no frame), 15 twips each.
printf '[R\xe9pertoires]\r\nRepBase=%s\r\n[Fenetre]\r\nWidth=15000\r\nHeight=10500\r\nTop=0\r\nLeft=0\r\n' \
    "$work/reception" > "$work/kelvaris.ini"

xvfb-run -a -s '-screen 0 1280x1024x24 -dpi 96' bash -s "$work" "$out" "$PWD/build/tools/camera_sim" "$mode" <<'SESSION'
set -euo pipefail
work=$1 out=$2 camera=$3 mode=$4
"$work/kelvaris" >/dev/null 2>&1 &
app=$!
window=$(xdotool search --sync --name '^Kelvaris$' | head -1)
sleep 1
# No window manager gives the window the keyboard: it is given by hand.
xdotool windowfocus --sync "$window"
xdotool key F5
sleep 1
if [ "$mode" = sweep ]; then
    # A sweep of 15 shots, the picture's left sharpest at the sixth, in files
    # that straddle 1 MB: the quality figure prefers a blurrier one.
    "$camera" --dir "$work/reception" --straddle --sweep 15 --tilt 4 --count 15 --interval 0.6 \
        --write-ms 100 >/dev/null 2>&1
    sleep 2
    xdotool key b
    sleep 1.5
else
    "$camera" --dir "$work/reception" --stack --sweep 12 --count 12 --interval 0.6 \
        --write-ms 100 >/dev/null 2>&1
    sleep 2
    xdotool key m p
    # At 1000 x 700 the overview spans x 573 to 993, y 40 to 320; the page's
    # far end lies a tenth of the way down.
    xdotool mousemove --window "$window" 783 100 click 1
    sleep 0.5
    # The curve's first point: the shot sharp at the page's near end.
    xdotool mousemove --window "$window" 50 450 click 1
    sleep 0.5
    xdotool mousemove --window "$window" 640 290
    sleep 2
fi
import -window root -crop 1000x700+0+0 "$out"
kill "$app"
SESSION
echo "Screenshot: $out"
