#!/usr/bin/env bash
# Installs what is missing, then builds each preset and runs its tests with
# CTest: linux (unit, player and end-to-end suites, the package check),
# windows-cross (unit and Windows suites under wine) and fuzz (short fuzzing
# runs that catch regressions).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

for preset in linux windows-cross fuzz; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
