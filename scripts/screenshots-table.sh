#!/usr/bin/env bash
# Pictures of the table conveniences in docs/: the filter line at work, the
# row menu, and the table under a dark palette.
# Usage: scripts/screenshots-table.sh [BUILD_DIR] [DISPLAY]   (defaults: build, :92)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
docs=$PWD/docs
export DISPLAY=${2:-:92}
source scripts/xsession.sh

start_on_units "" 560
# Sort by the second column, then filter.
xdotool mousemove 250 48 click 1 sleep 0.4
xdotool key ctrl+f sleep 0.3
xdotool type --delay 40 'verdant Speed > 4 "Energy per metal" <= 3'
xdotool mousemove 900 700
shot "$main" filter.png

# The row menu on a highlighted row.
xdotool key Escape sleep 0.3
xdotool mousemove 200 140 click 1 sleep 0.2
xdotool keydown ctrl mousemove 200 176 click 1 keyup ctrl sleep 0.2
xdotool click 3 sleep 0.6
shot "$main" row-menu.png
xdotool key Escape

# The record files the load left out (the demo's damaged archive), one click from the status line.
xdotool mousemove 1040 27 click 1
skipped=$(wait_window 'record file')
xdotool windowmove "$skipped" 200 200
sleep 0.5
shot "$skipped" skipped-list.png
kill $app 2> /dev/null || true
sleep 0.5


# The table under a dark palette: the window test paints the real main window
# with one and keeps the picture.
(cd "$build" && LORVEX_DOCS="$docs" QT_QPA_PLATFORM=offscreen ./tests/app/app_tests --gtest_filter='*DarkPalette*' > /dev/null)
echo "wrote docs/dark-palette.png"
