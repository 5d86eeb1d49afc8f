#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Kelvandor need.
# Idempotent: does nothing when everything is there. Runs as root or through sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config ccache
  dpkg-dev file
  qt6-base-dev qt6-translations-l10n
  libsdl2-dev
  libpng-dev libjpeg62-turbo-dev zlib1g-dev libtiff-dev libwebp-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  libfreetype-dev fonts-dejavu-core
  xvfb xauth
  imagemagick
  clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
