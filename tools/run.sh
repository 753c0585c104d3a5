#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
dir=$(tools/build.sh | tail -n 1)
"$dir/tavlo-ii-cli" --version
echo "Test age of a child born 15.08.2005 and tested 10.03.2012:"
"$dir/tavlo-ii-cli" test-age 10032012 15082005
