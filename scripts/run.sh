#!/usr/bin/env bash
# Installs the dependencies, builds and runs velmio on the given recording
# (the bundled demo when none is named).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DVELMIO_BUILD_TESTS=OFF -DVELMIO_BUILD_BENCH=OFF
input="${1:-data/demo.wav}"
out="${TMPDIR:-/tmp}/velmio-$(basename "${input%.*}").vlx"
build/bin/velmio-cli analyse "$input" -o "$out"
echo "analysis written to $out"
