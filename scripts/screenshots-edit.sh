#!/usr/bin/env bash
# Pictures of editing: a table with edited cells (tinted and marked, one
# tooltip showing the old value) and the "Changes" window. Nothing is saved:
# the demo game's archives stay as they are.
# Usage: scripts/screenshots-edit.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
docs=$PWD/docs
export DISPLAY=${LORVEX_DISPLAY:-:92}
source scripts/xsession.sh

edit_cell() {  # x y text: click the cell, F2, type the text, Enter
  xdotool mousemove "$1" "$2" click 1 sleep 0.3 key F2
  editor=$(wait_window '^Edit Cell$')
  xdotool windowactivate --sync "$editor" key ctrl+a type "$3"
  xdotool key Return
  sleep 0.4
  xdotool windowactivate --sync "$main"
}

start_on_units
edit_cell 515 86 9.5
edit_cell 515 158 2.25
edit_cell 575 122 4000
edit_cell 635 194 7.5
xdotool mousemove 700 300 click 1
xdotool mousemove 520 90 sleep 1.5
# The root window: a tooltip is a window of its own, over the main one.
sleep 0.7
import -window root -crop 1100x640+0+0 "$docs/edited-table.png"
echo "wrote docs/edited-table.png"

xdotool key alt+v sleep 0.4 key h
changes=$(wait_window '^Changes$')
xdotool windowmove "$changes" 60 200 windowsize "$changes" 900 260
xdotool mousemove 1200 850
shot "$changes" changes-window.png
kill $app 2> /dev/null || true
