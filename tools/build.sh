#!/usr/bin/env bash
# Configures and builds into build/ (build-asan/ with TAVLO_SANITIZE=1).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build
args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${TAVLO_SANITIZE:-0}" = 1 ]; then
  dir=build-asan
  args+=(-DTAVLO_SANITIZE=ON)
fi
cmake -S . -B "$dir" -G Ninja "${args[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
echo "$dir"
