#!/bin/sh
# Rebuilds the sample's custom discount schedules (sample/discounts/*.otdf) from
# the customer price files beside them, with the command-line companion, the way
# the discount editor's "Customer Discounts" and "Save Custom Discount As..." do.
# The expiration dates are fixed, so a run reproduces the committed files byte
# for byte. Usage: tools/build-sample-schedules.sh [BUILD_DIR]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build}/app/ortello-cli
home=$(mktemp -d "${TMPDIR:-/tmp}/ortello-sample-home.XXXXXX")
trap 'rm -rf "$home"' EXIT INT TERM
cp -r "$root/sample/." "$home/"
rm -f "$home"/discounts/*.otdf
export ORTELLO_REGISTRY="$home/registry.ini"
out="$root/sample/discounts"

"$cli" --home "$home" schedule build --name "Northwind" \
    --net northwind-net.txt --group northwind-groups.txt --expires 2026-12-31 -o "$out/northwind.otdf"
"$cli" --home "$home" schedule build --name "Northwind Groups" \
    --group northwind-groups.txt --expires 2026-06-30 -o "$out/northwind-groups.otdf"
"$cli" --home "$home" schedule build --name "Lumen" --currency ctEuroDollar \
    --net lumen-net-eur.txt --expires 2027-03-31 -o "$out/lumen-eur.otdf"
