#!/usr/bin/env bash
# Installs the Debian packages that Morvik needs, on Debian 12, 13 or unstable.
#   scripts/deps.sh play     what building and playing the game need
#   scripts/deps.sh test     that, and the tools of the tests, benchmarks and packaging
# Safe to run again: it installs only what is missing. "a|b" takes the first that the archive has
# (a package renamed between releases).
set -euo pipefail

play=(
  # build
  cmake g++ make pkgconf\|pkg-config
  # window (Qt 6 Widgets)
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
)
test=(
  # the other generator of the tests of parallel builds
  ninja-build
  # benchmarks
  libbenchmark-dev
  # a private display for the start-up benchmark and the installed package's test
  xvfb xauth python3-xlib
  # checks of the menu entry, the store metadata and the manual page
  desktop-file-utils appstream groff-base
  # the Debian package: its build (debhelper), lintian, autopkgtest (with man-db for its manual page
  # test), reprotest with diffoscope and the tools its variations use, and clean Debian roots
  dpkg-dev debhelper fakeroot lintian autopkgtest man-db reprotest diffoscope-minimal disorderfs
  locales-all debootstrap mmdebstrap
  # tests on other desktops: Wayland (a headless compositor and Qt's Wayland platform), a small
  # X window manager that moves windows, and the accessibility bus a screen reader reads
  qt6-wayland weston openbox xdotool at-spi2-core dbus python3-pyatspi
  # the desktop's sound servers, private ones for the sound tests and benchmarks, and their tools
  pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber
)

case ${1:-} in
  play) wanted=("${play[@]}") ;;
  test) wanted=("${play[@]}" "${test[@]}") ;;
  *) echo "usage: scripts/deps.sh play|test" >&2; exit 2 ;;
esac

# The first of "a|b" that apt can install here, after the package lists are read once.
updated=0
pick() {
  local name
  IFS='|' read -r -a names <<<"$1"
  ((${#names[@]} > 1)) || { echo "$1"; return; }
  if ((!updated)); then
    "${sudo[@]}" apt-get update -q >&2
    updated=1
  fi
  for name in "${names[@]}"; do
    if apt-cache show --no-all-versions "$name" 2>/dev/null | grep -q '^Version:'; then
      echo "$name"
      return
    fi
  done
  echo "${names[0]}"
}

sudo=()
((EUID == 0)) || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
missing=()
for entry in "${wanted[@]}"; do
  # Already there, under any of its names.
  installed=0
  IFS='|' read -r -a names <<<"$entry"
  for name in "${names[@]}"; do
    dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed' && installed=1
  done
  ((installed)) || missing+=("$(pick "$entry")")
done
if ((${#missing[@]})); then
  ((updated)) || "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
