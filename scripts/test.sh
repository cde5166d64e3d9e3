#!/usr/bin/env bash
# Runs every test: the native unit tests and the Windows programs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

status=0
for preset in native mingw; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
done
exit $status
