#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset linux
cmake --build --preset linux
ctest --preset linux

cmake --preset windows-cross
cmake --build --preset windows-cross
ctest --preset windows-cross

node --test --test-concurrency=1 tests/web tests/e2e
