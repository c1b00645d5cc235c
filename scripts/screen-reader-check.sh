#!/usr/bin/env bash
# Prints what a screen reader hears of the recommendations after typing ECSA (default 4.5):
# the desktop program on the samples under Xvfb, read through AT-SPI by screen-reader-check.py.
# Needs xvfb, dbus, at-spi2-core and python3-pyatspi (apt-get install them); run after a build.
#
# Usage: scripts/screen-reader-check.sh [ECSA]   (env LOOMSTEAD_BUILD_DIR, default build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOOMSTEAD_BUILD_DIR:-$root/build}
if [ -z "${LOOMSTEAD_CHECK_INSIDE:-}" ]; then
    export LOOMSTEAD_CHECK_INSIDE=1
    exec dbus-run-session -- xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$@" 2> /dev/null
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately &
sleep 1
cd "$root"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$build/app/loomstead" samples/db1a.sta samples/db1b.sim &
program=$!
trap 'kill $program 2> /dev/null' EXIT
sleep 3
/usr/bin/python3 "$root/scripts/screen-reader-check.py" "$@"
