#!/usr/bin/env bash
# Runs the desktop program through the bundled samples and saves a picture of the title window
# and of each page to docs/screenshots/. Needs no display: the windows are drawn off screen.
#
#   scripts/screenshots.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}

cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target screenshot_tour
mkdir -p docs/screenshots
# On a 1600x1000 screen, so that the window opens at the size a first run gives it there.
screen_config=$(mktemp)
trap 'rm -f "$screen_config"' EXIT
echo '{ "screens": [ { "name": "screen", "x": 0, "y": 0, "width": 1600, "height": 1000,
  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }' >"$screen_config"
QT_QPA_PLATFORM="offscreen:configfile=$screen_config" \
    "$build_dir/tools/screenshot_tour" "$PWD/samples" docs/screenshots
# The first page of the report the results page exported on the way.
pdftoppm -png -r 60 -f 1 -l 1 -singlefile docs/screenshots/report-sample.pdf docs/screenshots/report-pdf-page1
rm -f docs/screenshots/report-sample.pdf
