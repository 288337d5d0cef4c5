#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit
# tests, the data checks and the real-window tests, then each unit test program
# whole in shuffled order (CTest runs one test per process, which no order can
# upset), then the unit tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then every fuzz target for about 20 s
# (QUILLARY_FUZZ_SECONDS). Fails as well when the tests leave anything in
# /tmp.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
bash "$root/scripts/install-deps.sh" test

# What the tests make in /tmp: their working folders, and the X servers' lock
# files and sockets. All of it must be gone at the end.
tmp_entries() {
  find /tmp -maxdepth 2 \( -name 'quillary-*' -o -name '.X*-lock' -o -path '/tmp/.X11-unix/X*' \) \
    2>/dev/null | sort
}
tmp_before="$(tmp_entries)"

cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$jobs"
ctest --test-dir "$root/build" --output-on-failure -j"$jobs"
for program in "$root"/build/*_test; do
  "$program" --gtest_shuffle --gtest_repeat=3 --gtest_brief=1 >/dev/null || {
    echo "$program fails in shuffled order" >&2
    exit 1
  }
done

cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUILLARY_SANITIZE=ON >/dev/null
cmake --build "$root/build-sanitize" -j"$jobs"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build-sanitize" --output-on-failure -j"$jobs" -L unit

# Every fuzz target over its committed seeds (the regression inputs among
# them), then for a short while: a crash or a broken promise fails.
bash "$root/scripts/fuzz.sh" "${QUILLARY_FUZZ_SECONDS:-20}"

left="$(comm -13 <(echo "$tmp_before") <(tmp_entries))"
if [ -n "$left" ]; then
  echo "The tests left these in /tmp:" >&2
  echo "$left" >&2
  exit 1
fi
