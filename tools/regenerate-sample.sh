#!/bin/sh
# Rebuilds the bundled sample catalog and its pictures with the generator.
# The output depends only on the arguments below, so a clean run reproduces
# the committed files byte for byte (check with: git status sample/).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mktemp -d "${TMPDIR:-/tmp}/ortello-gencatalog.XXXXXX")
trap 'rm -rf "$build"' EXIT INT TERM

${CXX:-c++} -std=c++20 -O2 -o "$build/ortello-gencatalog" "$root/tools/GenerateCatalog.cpp"

mkdir -p "$root/sample/data" "$root/sample/html/images"
"$build/ortello-gencatalog" --parts 3000 --seed 1 \
    -o "$root/sample/data/M_dav.dat" --images "$root/sample/html/images"
if command -v python3 >/dev/null 2>&1; then
    python3 "$root/tools/check-catalog.py" "$root/sample/data/M_dav.dat"
fi
echo "sample catalog written to $root/sample/data/M_dav.dat"
