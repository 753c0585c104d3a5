#!/usr/bin/env bash
# Renders resources/icons/hicolor/<N>x<N>/apps/tavlo-ii.png from the icon's SVGs; run it after
# changing an SVG and commit the PNGs with it (the build embeds the PNGs, the tests compare).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tavlo-render-icons
build/tavlo-render-icons resources/icons
