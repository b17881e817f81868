#!/usr/bin/env bash
# Starts the editor from the build output folder, where its libraries and resources lie.
set -euo pipefail
build=${1:-build}
if [ -x "$build/bin/KFM5" ]; then
  exec "$build/bin/KFM5" "${@:2}"
fi
echo "The image library and its resources are built in $build/bin; the editor (KFM5) is not built yet."
