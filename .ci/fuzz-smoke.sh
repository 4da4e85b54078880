#!/usr/bin/env bash
# Short libFuzzer run of every fuzz target over its seed corpus.
#
# Needs clang; without it the run is skipped (exit 0). Builds the targets in
# their own build folder (FUZZ_BUILD_DIR, default build-fuzz), then runs each
# for FUZZ_SECONDS (default 20) seconds, two at a time, on a scratch copy of
# fuzz/corpus/<name>/ so the checked-in seeds stay as they are. Any crash,
# leak, timeout or sanitizer report fails the script and prints the input.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-20}"
jobs="${FUZZ_JOBS:-2}"

if ! command -v clang >/dev/null 2>&1 || ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz-smoke: clang not found, skipped"
  exit 0
fi

# Target names as fuzz/CMakeLists.txt declares them.
mapfile -t targets < <(sed -n 's/^ortello_fuzzer(\([A-Za-z0-9_]*\).*/\1/p' "$root/fuzz/CMakeLists.txt")
if [ "${#targets[@]}" -eq 0 ]; then
  echo "fuzz-smoke: no fuzz targets declared" >&2
  exit 1
fi

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
CC=clang CXX=clang++ cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORTELLO_GUI=OFF -DORTELLO_FUZZ=ON -DORTELLO_TESTS=OFF -DORTELLO_BENCH=OFF >/dev/null
cmake --build "$build" --parallel 2 --target "${targets[@]}"

# The seed folder of a target: fuzz/corpus/<name without "fuzz_">, else the
# folder named by its first word ("fuzz_ini_file" -> "ini").
corpus_of() {
  local short="${1#fuzz_}"
  if [ -d "$root/fuzz/corpus/$short" ]; then echo "$root/fuzz/corpus/$short"; return; fi
  if [ -d "$root/fuzz/corpus/${short%%_*}" ]; then echo "$root/fuzz/corpus/${short%%_*}"; return; fi
  echo ""
}

work="$(mktemp -d "${TMPDIR:-/tmp}/fuzz-smoke.XXXXXX")"
trap 'rm -rf "$work"' EXIT

run_one() {
  local name="$1" exe seeds dir log
  exe="$(find "$build" -type f -name "$name" -perm -u+x | head -n1)"
  if [ -z "$exe" ]; then echo "fuzz-smoke: $name was not built" >&2; return 1; fi
  seeds="$(corpus_of "$name")"
  dir="$work/$name"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  [ -n "$seeds" ] && cp -r "$seeds/." "$dir/corpus/"
  log="$dir/log"
  if "$exe" "$dir/corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
       -print_final_stats=1 -artifact_prefix="$dir/artifacts/" >"$log" 2>&1; then
    echo "fuzz-smoke: $name ok ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs)"
    return 0
  fi
  echo "fuzz-smoke: $name FAILED" >&2
  grep -E 'ERROR|SUMMARY|Test unit written|==[0-9]+==' "$log" | head -n 20 >&2 || tail -n 30 "$log" >&2
  for a in "$dir"/artifacts/*; do
    [ -f "$a" ] || continue
    echo "reproducer $(basename "$a") ($(wc -c <"$a") bytes):" >&2
    od -An -c "$a" | head -n 20 >&2
  done
  return 1
}
export -f run_one corpus_of
export build work seconds root

printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {}
echo "fuzz-smoke: ${#targets[@]} targets passed"
