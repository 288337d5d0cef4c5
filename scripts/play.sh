#!/usr/bin/env bash
# Installs what the game needs, builds it (without the tests) and starts it in
# the folder that holds its data files. With the argument "gallery" it starts
# the widget gallery instead.
#
#   scripts/play.sh [gallery]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
case "${1:-game}" in
  game) program=quillary ;;
  gallery) program=quillary-gallery ;;
  *) echo "play.sh: start 'game' (the default) or 'gallery', not '$1'" >&2; exit 2 ;;
esac
bash "$root/scripts/install-deps.sh" play
cmake -S "$root" -B "$root/build-game" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLARY_TESTS=OFF >/dev/null
cmake --build "$root/build-game" -j"$(nproc)" --target "$program"
cd "$root/data"
exec "$root/build-game/$program"
