#!/usr/bin/env bash
# Installs every Debian package velmio needs to build, test and run.
# The same list serves users, developers and CI. Needs root (or sudo).
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev fonts-ipafont-gothic
  libfluidsynth-dev timgm6mb-soundfont
  qt6-multimedia-dev
  pipewire pipewire-pulse wireplumber pulseaudio-utils dbus
  libfftw3-dev librubberband-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev ffmpeg
  qt6-translations-l10n
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
