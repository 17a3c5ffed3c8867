#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Morvi need,
# skipping what is already there. Runs as root, or through sudo otherwise.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  # libraries
  qt6-base-dev libqt6svg6 qt6-translations-l10n libjpeg-dev libxcb1-dev
  # the picture kinds besides BMP and JPEG, their orientation and colour
  qt6-image-formats-plugins libheif-dev libexiv2-dev liblcms2-dev libwebp-dev
  # fonts: Latin and kana from one Japanese font
  fonts-ipafont-gothic
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev qt6-svg-dev
  desktop-file-utils appstream man-db groff-base dpkg-dev dbus at-spi2-core python3-pyatspi
  xvfb xauth xdotool xclip x11-utils imagemagick libjpeg-turbo-progs
  webp libheif-examples libavif-bin libtiff-tools libimage-exiftool-perl liblcms2-utils
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

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
else
  SUDO=(sudo)
fi
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
