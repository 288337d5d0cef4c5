#!/usr/bin/env bash
# Installs what the game needs, builds it (without the tests) and starts it in
# the folder that holds its data files.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh" play
cmake -S "$root" -B "$root/build-game" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLARY_TESTS=OFF >/dev/null
cmake --build "$root/build-game" -j"$(nproc)" --target quillary
cd "$root/data"
exec "$root/build-game/quillary"
