#!/usr/bin/env bash
# Runs every test: the native unit tests, the Windows programs under Wine,
# and the fuzz targets (clang), each run once over its committed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

status=0
for preset in native mingw fuzz; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
done
exit $status
