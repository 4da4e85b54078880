#!/usr/bin/env bash
# Installs what is missing on Debian 12, builds, then runs the program on the
# bundled sample ("run") or the whole test suite ("test").
# Usage: tools/setup.sh run|test [BUILD_DIR]
set -euo pipefail
mode=${1:?usage: tools/setup.sh run|test [BUILD_DIR]}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build}

packages=(cmake ninja-build g++ pkg-config ccache qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev xvfb xauth poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j 2

case "$mode" in
  run) exec "$root/tools/run-sample.sh" "$build" ;;
  test) ctest --test-dir "$build" --output-on-failure -j 2 --timeout 600 ;;
  *) echo "unknown mode: $mode" >&2; exit 2 ;;
esac
