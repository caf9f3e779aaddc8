#!/usr/bin/env bash
# Installs the Debian packages Pluvionaut needs to build, test and run.
# Only missing packages are installed; apt-get update runs first when any is
# missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build clang
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-l10n-tools qt6-translations-l10n zlib1g-dev
  libfluidsynth-dev fluid-soundfont-gm timgm6mb-soundfont
  librtaudio-dev librtmidi-dev libsndfile1-dev libasound2-dev libpulse-dev
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  libsqlite3-dev libsdl2-dev
  xvfb xdotool x11-utils imagemagick libx11-dev weston qt6-wayland
  dpkg-dev appstream desktop-file-utils
  pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus-daemon jackd2 libjack-jackd2-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
