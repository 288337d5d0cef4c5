#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it in the folder that
# holds its data files.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target quillary
cd "$root/data"
exec "$root/build/quillary"
