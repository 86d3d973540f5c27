#!/usr/bin/env bash
# Installs, as root on Debian 12, every package that building and testing Quillo needs.
# Does nothing when all of them are already there.
set -euo pipefail

PACKAGES=(
  # toolchain and test frameworks
  cmake ninja-build g++ pkg-config clang-14 libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # libraries
  zlib1g-dev libjpeg62-turbo-dev libzip-dev libunwind-dev qt6-base-dev
  libxcb1-dev libxcb-shm0-dev libxcb-randr0-dev libxcb-xfixes0-dev libxcb-xinput-dev
  libxcb-keysyms1-dev libxcb-xtest0-dev
  libavformat-dev libavcodec-dev libswscale-dev ffmpeg
  # the web player's package manager
  nodejs
  # talk bubbles: fonts the stored faces map to, and the speech engine with its playback
  libfontconfig-dev fonts-liberation2 fonts-liberation fonts-dejavu-core
  libespeak-ng-dev espeak-ng-data libpulse-dev sox pulseaudio
  # spell checking of talk-bubble text
  libhunspell-dev hunspell-en-us
  # sound decoding
  libswresample-dev
  # test services and judges
  xvfb x11-utils xdotool chromium python3 imagemagick libxml2-utils curl
  # the outside judge of decoded sound
  libsox-fmt-all
  # a window manager for the active-window tests
  openbox
  # the German locale of the settings tests
  locales-all
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "quillo setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The web player that published pages load (npm, exact pins), copied into the build tree by
# CMake. QUILLO_WEB_PLAYER moves the npm tree.
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
WEB=${QUILLO_WEB_PLAYER:-${XDG_CACHE_HOME:-$HOME/.cache}/quillo-web}
if ! cmp -s "$ROOT/publish/web/package-lock.json" "$WEB/package-lock.json" ||
   [ ! -f "$WEB/node_modules/@ruffle-rs/ruffle/ruffle.js" ]; then
  echo "quillo setup: installing the web player into $WEB"
  mkdir -p "$WEB"
  cp "$ROOT/publish/web/package.json" "$ROOT/publish/web/package-lock.json" "$WEB/"
  npm ci --prefix "$WEB" --no-audit --no-fund
fi

# The movie judges (swf-parser and Ruffle in headless Chromium) live beside the project.
SWFCHECK="$(cd "$(dirname "$0")/.." && pwd)/../shared/tools/swfcheck/setup.sh"
if [ -f "$SWFCHECK" ]; then
  sh "$SWFCHECK"
else
  echo "quillo setup: movie judges not found at $SWFCHECK; their tests will be skipped"
fi
