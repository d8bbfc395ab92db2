#!/usr/bin/env bash
# Installs every Debian 12 package Quimbaro needs to build, run, test, fuzz,
# benchmark and package. Run as root.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  qt6-base-dev libsimpleini-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wine fonts-liberation2 fontconfig qt6-translations-l10n
  dbus-daemon dbus-bin
  python3-dateutil
  xvfb xauth xdotool openbox imagemagick hyperfine linux-perf ccache
  desktop-file-utils appstream lintian man-db groff-base dpkg-dev file gzip
  libical-dev calcurse python3-icalendar radicale vdirsyncer
  poppler-utils
  python3
  at-spi2-core python3-pyatspi
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
