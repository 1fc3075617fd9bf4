#!/usr/bin/env bash
# Installs the Debian 12 packages that Morvik needs to build, run and test.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  # build
  cmake g++ make ninja-build pkg-config
  # window and tests (Qt 6 Widgets, QtTest)
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # the translations: lupdate and lrelease, and Qt's CMake functions for them
  qt6-tools-dev qt6-l10n-tools
  # the translations of the menu entry, the store metadata and the manual page (AppStream's rules
  # for the metadata come with appstream, below)
  gettext po4a
  # sound: audio device and MIDI synthesis (the song's instruments are our own); ALSA's library,
  # whose file and null plugins stand in for a card in tests/sound/test_alsa.cpp, comes with SDL
  libsdl2-dev libfluidsynth-dev
  # fonts metric-compatible with Times New Roman and MS Sans Serif / Arial
  fonts-liberation fonts-liberation2 fontconfig
  # benchmarks
  libbenchmark-dev
  # a private display for the start-up benchmark
  xvfb xauth python3-xlib
  # checks of the menu entry, the store metadata and the manual page
  desktop-file-utils appstream groff-base
  # the Debian package: its build (debhelper), lintian, autopkgtest (with man-db for its manual page
  # test), reprotest with diffoscope and the tools its variations use, and a clean Debian root
  dpkg-dev debhelper fakeroot lintian autopkgtest man-db reprotest diffoscope-minimal disorderfs
  locales-all debootstrap
  # tests on other desktops: Wayland (a headless compositor and Qt's Wayland platform), a small
  # X window manager that moves windows, and the accessibility bus a screen reader reads
  qt6-wayland weston openbox xdotool at-spi2-core dbus python3-pyatspi
  # the desktop's sound servers, private ones for the sound tests and benchmarks, and their tools
  pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=()
  ((EUID == 0)) || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
