#!/usr/bin/env bash
# Installs the Debian packages a command needs: "play" those that build and
# run the game, "test" (the default) also those of the tests, the data tools
# and the benchmarks. Packages already present are left alone, and apt-get
# runs only when something is missing. Runs as root, or through sudo.
set -euo pipefail

PLAY=(g++ cmake make pkg-config libsdl1.2-dev libsdl-image1.2-dev libgl-dev libgl1-mesa-dri
  libx11-dev)
TEST=(libgtest-dev libbenchmark-dev libfreetype-dev libpng-dev fonts-dejavu-core xvfb xauth
  libxtst-dev clang libclang-rt-14-dev)

case "${1:-test}" in
  play) PACKAGES=("${PLAY[@]}") ;;
  test) PACKAGES=("${PLAY[@]}" "${TEST[@]}") ;;
  *) echo "usage: $0 [play|test]" >&2; exit 2 ;;
esac

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
