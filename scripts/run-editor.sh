#!/usr/bin/env bash
# Starts the editor from the build output folder, where its libraries and resources lie.
set -euo pipefail
build=${1:-build}
if [ -x "$build/bin/KFM5" ]; then
  exec "$build/bin/KFM5" "${@:2}"
fi
echo "The editor is not built in $build/bin: run make build first." >&2
exit 1
