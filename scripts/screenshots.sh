#!/usr/bin/env bash
# Takes the pictures in docs/ the way a user sees the program: the real windows
# under a virtual X display with a window manager, driven by synthetic input.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
docs=$PWD/docs
export DISPLAY=${LORVEX_DISPLAY:-:91}
source scripts/xsession.sh

start_on_units chooser
# Collapse the third column, sort by Speed (twice: descending), highlight three rows.
xdotool mousemove 330 48 click 3 sleep 0.3
xdotool mousemove 540 48 click 1 sleep 0.5 click 1 sleep 0.5
xdotool mousemove 200 176 click 1 sleep 0.2
xdotool keydown ctrl mousemove 200 248 click 1 mousemove 200 266 click 1 keyup ctrl
xdotool mousemove 700 750
shot "$main" main-window.png

# A record's source text.
xdotool mousemove 200 230 click --repeat 2 --delay 80 1
listing=$(wait_window '^Data Segment from')
xdotool windowmove "$listing" 420 120 windowsize "$listing" 380 480
shot "$listing" data-listing.png
xdotool windowactivate --sync "$listing" key Escape

# The export dialog, with "CSV" chosen: the file name takes its ending and the
# delimiter texts, which CSV does not use, are greyed out.
xdotool windowactivate --sync "$main"
xdotool mousemove 225 8 click 1
export_dialog=$(wait_window '^Export Table$')
xdotool mousemove --window "$export_dialog" 167 276 click 1
xdotool mousemove 1200 850
shot "$export_dialog" export-dialog.png
xdotool key Escape

# The chart (Ctrl+G): Energy against Metal, the rows in a dragged rectangle highlighted.
xdotool windowactivate --sync "$main" key ctrl+g
chart=$(wait_window '^Chart')
xdotool windowmove "$chart" 120 60 windowsize "$chart" 760 560
sleep 0.8
xdotool mousemove --window "$chart" 470 150 mousedown 1 mousemove --window "$chart" 560 220 sleep 0.2 \
  mousemove --window "$chart" 640 290 sleep 0.2 mouseup 1
xdotool mousemove 1200 800
shot "$chart" chart.png
xdotool windowactivate --sync "$chart" key ctrl+w 2> /dev/null || true
xdotool windowclose "$chart" 2> /dev/null || true

# Shaded numbers, and the figures of the highlighted rows in the Speed column.
xdotool windowactivate --sync "$main"
xdotool mousemove 522 8 click 1 sleep 0.4 key Down Down Return
xdotool mousemove 520 86 click 1
xdotool keydown ctrl mousemove 520 122 click 1 mousemove 520 158 click 1 mousemove 520 212 click 1 keyup ctrl
xdotool mousemove 700 750
shot "$main" shaded-numbers.png
kill $app 2> /dev/null || true

# The start dialog, as a start from the desktop menu shows it: a folder of no
# game, and the demo game among the recent games.
home=$(mktemp -d)
mkdir -p "$home/config/Lorvex" "$home/empty" "$home/Games"
ln -s "$build/demo/game" "$home/Games/Demo game"
printf '[General]\nrecentGames=%s\n' "$home/Games/Demo game" > "$home/config/Lorvex/Lorvex.conf"
(cd "$home/empty" && XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data exec "$build/app/lorvex") \
  > /dev/null 2>&1 &
app=$!
start=$(wait_window '^Lorvex$')
shot "$start" start-dialog.png
kill $app 2> /dev/null || true
rm -rf "$home"
