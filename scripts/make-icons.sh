#!/usr/bin/env bash
# Draws the PNG icons beside packaging/loomstead.svg: the window icon built into the desktop
# program and the hicolor icons installed with it. Run by hand after changing the SVG, and
# commit the PNGs; the build only uses them. Needs rsvg-convert (Debian package librsvg2-bin).
#
#   scripts/make-icons.sh
set -euo pipefail
cd "$(dirname "$0")/../packaging"

if ! command -v rsvg-convert >/dev/null; then
    echo "make-icons.sh: rsvg-convert not found; install librsvg2-bin" >&2
    exit 1
fi
for size in 16 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio --format png \
        --output "loomstead-$size.png" loomstead.svg
done
