#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
dir=$(tools/build.sh | tail -n 1)
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
