#!/usr/bin/env bash
# Makes the README's pictures from the real window against the built-in virtual register:
# builds the tour test and runs it offscreen with VELMOR_SCREENSHOTS pointing at docs/images.
#
#   tools/make-screenshots.sh [build folder]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build"
cmake --build "$build" --target test_tour -j"$(nproc)"
out=$(pwd)/docs/images
mkdir -p "$out"
rm -f "$out"/[0-9][0-9]-*.png
VELMOR_SCREENSHOTS="$out" QT_QPA_PLATFORM=offscreen "$build/test_tour"
# the tour's pictures of the maximised window are for checking the layout, not for the README
rm -f "$out"/max-*.png
ls "$out"
