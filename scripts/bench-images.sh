#!/usr/bin/env bash
# Benchmark of image loading (not a test): an optimised native build, then
#  - the whole-process time of `fwimage info` on a complete 2 MiB CVT image
#    against `sum -r` on the same file, as a ratio;
#  - the in-process load speed in MB/s.
# Usage: scripts/bench-images.sh [runs]   (default 300)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-300}
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target fwimage image_load_bench -j2 >/dev/null

image=$(mktemp --suffix=.cvt)
trap 'rm -f "$image"' EXIT
# The block in the last page, so the search runs over every page.
"$build/bin/fwimage" make --format cvt --product "CDRW 8432" --revision 1.02 \
  --identity-at $((36 + 127 * 16384 + 1000)) -o "$image"

seconds() { # command... : wall time of $runs runs, in seconds
  local start end
  start=$(date +%s%N)
  for ((i = 0; i < runs; i++)); do "$@" >/dev/null; done
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.6f", ns / 1e9 }'
}

# Once each first, so that both read a file in the page cache.
"$build/bin/fwimage" info "$image" >/dev/null
sum -r "$image" >/dev/null
tool=$(seconds "$build/bin/fwimage" info "$image")
sum=$(seconds sum -r "$image")
awk -v tool="$tool" -v sum="$sum" -v runs="$runs" 'BEGIN {
  printf "fwimage info: %.3f ms per run\n", 1000 * tool / runs
  printf "sum -r:       %.3f ms per run\n", 1000 * sum / runs
  printf "ratio fwimage info / sum -r: %.2f\n", tool / sum
}'
"$build/bin/image_load_bench" 200 "$image.bench"
rm -f "$image.bench"
