#!/usr/bin/env bash
# Installs the dependencies, builds and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DVELMIO_BUILD_BENCH=OFF
ctest --test-dir build --output-on-failure -j"$(nproc)"
