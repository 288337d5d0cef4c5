#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing need.
# Idempotent: packages already present are left alone, and apt-get runs only
# when something is missing. Runs as root, or through sudo.
set -euo pipefail

PACKAGES=(
  g++ cmake make pkg-config
  libsdl1.2-dev libsdl-image1.2-dev libgl-dev libgl1-mesa-dri libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libfreetype-dev libpng-dev fonts-dejavu-core
  xvfb xauth xdotool x11-utils libxtst-dev
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
