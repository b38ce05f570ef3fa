#!/usr/bin/env bash
# Pictures of comparing two games: the demo game's unit table compared with an
# older release of it (a copy of its archives with a few values set back, one
# archive it did not have yet, one unit since dropped), and the changelog
# written from it, rendered as Markdown. The demo game's archives stay as they are.
# Usage: scripts/screenshots-compare.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
docs=$PWD/docs
export DISPLAY=${LORVEX_DISPLAY:-:93}
source scripts/xsession.sh

work=$(mktemp -d)
export XDG_DATA_HOME=$work/data
older=$work/older
mkdir -p "$older" "$work/src/units"
cp "$build/demo/game/rev31.gp3" "$build/demo/game/community.hpi" "$build/demo/game/expansion.ccx" "$older/"
hpi=$build/hpi/lorvex-hpi
"$hpi" set "$older/rev31.gp3" units/cndgecko.fbi CNDGECKO BuildCostMetal 540 > /dev/null
"$hpi" set "$older/rev31.gp3" units/cndgecko.fbi CNDGECKO MaxVelocity 0.95 > /dev/null
"$hpi" set "$older/rev31.gp3" units/cndbeetle3.fbi CNDBEETLE3 BuildCostEnergy 1800 > /dev/null
"$hpi" set "$older/rev31.gp3" units/vrdbison.fbi VRDBISON TechLevel 1 > /dev/null
rm -f "$older"/*.bak
printf '[CNDSLUG]\r\n\t{\r\n\tName=Slug;\r\n\tSide=CINDER;\r\n\tDescription=Slow Builder;\r\n\tBuildCostMetal=90;\r\n\tBuildCostEnergy=700;\r\n\tMaxVelocity=0.6;\r\n\tTechLevel=1;\r\n\t}\r\n' \
  > "$work/src/units/cndslug.fbi"
"$hpi" pack "$older/oldunits.hpi" "$work/src" > /dev/null

(cd "$work" && exec "$build/app/lorvex" --config units.cfg --compare "$older" "$build/demo/game") > /dev/null 2>&1 &
app=$!
main=$(wait_window 'units.cfg')
xdotool windowmove "$main" 0 0 windowsize "$main" 1100 640
sleep 2
xdotool windowactivate --sync "$main"
# Sorted by Change, so the changed, added and removed rows come first.
xdotool mousemove 30 48 click 1 sleep 0.5 click 1 sleep 0.5
xdotool mousemove 1000 600
shot "$main" compare-table.png
kill $app 2> /dev/null || true

"$build/export/lorvex-export" --game "$build/demo/game" --compare "$older" --format changelog units.cfg \
  -o "$work/changelog.md" 2> /dev/null
g++ -std=c++20 -fPIC scripts/render-markdown.cpp -o "$work/render-markdown" $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/render-markdown" "$work/changelog.md" "$docs/changelog.png"
echo "wrote docs/changelog.png"
rm -rf "$work"
