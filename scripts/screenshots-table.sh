#!/usr/bin/env bash
# Pictures of the table conveniences in docs/: the filter line at work, the
# row menu, and the table under a dark palette.
# Usage: scripts/screenshots-table.sh [BUILD_DIR] [DISPLAY]   (defaults: build, :92)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh xvfb openbox xdotool imagemagick
build=$(realpath "${1:-build}")
docs=$PWD/docs
export DISPLAY=${2:-:92}
Xvfb $DISPLAY -screen 0 1280x900x24 > /dev/null 2>&1 &
xvfb=$!
sleep 1
openbox > /dev/null 2>&1 &
wm=$!
trap 'kill $wm $xvfb 2> /dev/null || true' EXIT
sleep 1
# Layouts kept between runs go to a scratch folder, not the user's settings.
export XDG_CONFIG_HOME=$(mktemp -d)

wait_window() {  # name pattern -> window id
  for _ in $(seq 50); do
    id=$(xdotool search --name "$1" 2> /dev/null | tail -1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.2
  done
  echo "no window '$1'" >&2
  exit 1
}
shot() { sleep 0.8; import -frame -window "$1" "$docs/$2"; echo "wrote docs/$2"; }

start_on_units() {
  (cd "$build/demo/game/Lorvex" && exec "$build/app/lorvex") > /dev/null 2>&1 &
  app=$!
  chooser=$(wait_window '^Configuration Files$')
  xdotool windowactivate --sync "$chooser"
  xdotool key Down Down Up
  xdotool key Return
  main=$(wait_window 'units.cfg')
  xdotool windowmove "$main" 0 0 windowsize "$main" 1100 560
  sleep 1
  xdotool windowactivate --sync "$main"
}

start_on_units
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
kill $app 2> /dev/null || true
sleep 0.5


# The table under a dark palette: the window test paints the real main window
# with one and keeps the picture.
(cd "$build" && LORVEX_DOCS="$docs" QT_QPA_PLATFORM=offscreen ./tests/app/app_tests --gtest_filter='*DarkPalette*' > /dev/null)
echo "wrote docs/dark-palette.png"
