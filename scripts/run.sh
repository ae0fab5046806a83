#!/usr/bin/env bash
# Installs the dependencies, builds velmio and opens its window on the given
# recording (the bundled demo when none is named):
#   scripts/run.sh [RECORDING]
# Without a window, analyse a recording into an analysis data file:
#   scripts/run.sh analyse [RECORDING]
set -euo pipefail
here="$PWD"
cd "$(dirname "$0")/.."
# Paths given by the user are relative to where they ran the script.
absolute() { case "$1" in /*) printf '%s\n' "$1" ;; *) printf '%s\n' "$here/$1" ;; esac; }

mode="window"
if [ "${1:-}" = "analyse" ]; then
  mode="analyse"
  shift
fi
input="$PWD/data/demo.wav"
if [ $# -gt 0 ]; then input="$(absolute "$1")"; fi

if [ "$mode" = "window" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "velmio opens a window and needs a display (or run it under xvfb-run);" >&2
  echo "without one, 'scripts/run.sh analyse [RECORDING]' analyses the recording." >&2
  exit 1
fi

scripts/install-deps.sh
scripts/build.sh -DVELMIO_BUILD_TESTS=OFF -DVELMIO_BUILD_BENCH=OFF
if [ "$mode" = "analyse" ]; then
  out="${TMPDIR:-/tmp}/velmio-$(basename "${input%.*}").vlx"
  build/bin/velmio-cli analyse "$input" -o "$out"
  echo "analysis written to $out"
else
  exec build/bin/velmio "$input"
fi
