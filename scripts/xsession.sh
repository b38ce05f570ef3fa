# Sourced by the screenshot scripts: a virtual X display with a window manager,
# and the helpers that find windows, photograph them and start Lorvex on the
# demo game's unit table. Expects $build and $docs; $1 of start_on_units may be
# "chooser" to photograph the chooser on the way, $2 the window's height.
source scripts/deps.sh xvfb openbox xdotool imagemagick
mkdir -p "$docs"
Xvfb "$DISPLAY" -screen 0 1280x900x24 > /dev/null 2>&1 &
xvfb=$!
sleep 1
openbox > /dev/null 2>&1 &
wm=$!
trap 'kill $wm $xvfb 2> /dev/null || true' EXIT
sleep 1
# Settings kept between runs go to a scratch folder, not the user's.
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
shot() { sleep 0.7; import -frame -window "$1" "$docs/$2"; echo "wrote docs/$2"; }

start_on_units() {
  (cd "$build/demo/game/Lorvex" && exec "$build/app/lorvex") > /dev/null 2>&1 &
  app=$!
  chooser=$(wait_window '^Configuration Files$')
  xdotool windowactivate --sync "$chooser"
  xdotool key Down Down Up  # the list starts with no selection; land on units.cfg
  [ "${1:-}" = chooser ] && shot "$chooser" chooser.png
  xdotool key Return
  main=$(wait_window 'units.cfg')
  xdotool windowmove "$main" 0 0 windowsize "$main" 1100 "${2:-640}"
  sleep 1
  xdotool windowactivate --sync "$main"
}
