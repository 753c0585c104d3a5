#!/usr/bin/env bash
# Builds the Debian package (tavlo-ii_VERSION_ARCH.deb) into OUT, build/package by default:
#   bash tools/package.sh [OUT]
# With TAVLO_PACKAGE_BUILD set to a build folder that is already built, only packs that one.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/package}")
if [ -n "${TAVLO_PACKAGE_BUILD:-}" ]; then
  dir=$TAVLO_PACKAGE_BUILD
else
  bash tools/deps.sh
  dir=$(bash tools/build.sh | tail -n 1)
fi
mkdir -p "$out"
cpack --config "$dir/CPackConfig.cmake" -B "$out" >"$out/cpack.log" || { cat "$out/cpack.log" >&2; exit 1; }
rm -rf "$out/_CPack_Packages"
ls "$out"/*.deb
