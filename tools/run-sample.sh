#!/usr/bin/env bash
# Starts the window program on a working copy of the bundled sample home, so the
# repository's sample stays untouched. Usage: tools/run-sample.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
home=$build/sample-home
mkdir -p "$home"
cp -rn "$root/sample/." "$home/"
# The sample's own settings: its pictures live under its html folder.
export ORTELLO_REGISTRY=${ORTELLO_REGISTRY:-$home/registry.ini}
if [ ! -f "$ORTELLO_REGISTRY" ]; then
  cat > "$ORTELLO_REGISTRY" <<INI
[HKEY_CURRENT_USER\\Software\\Velmar\\HTML]
Path=$home/html/
INI
fi
exec "$build/app/gui/ortello" --home "$home"
