#!/usr/bin/env bash
# Builds every fuzz target of tests/fuzz with clang and libFuzzer (ASan and
# UBSan on) in build-fuzz/, and runs each for SECONDS (default 20) over its
# corpus: fuzz-corpus/NAME, which git ignores, started from the committed
# seeds in tests/fuzz/seeds/NAME (the regression inputs among them). A crash,
# a broken promise or a hang of more than 10 s stops it and fails; the
# finding is left as build-fuzz/NAME-crash-*.
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
shift || true
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || { echo "fuzz.sh: SECONDS must be a whole number" >&2; exit 2; }
build="$root/build-fuzz"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLARY_FUZZ=ON \
  -DQUILLARY_TESTS=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
for name in "${targets[@]}"; do
  corpus="$root/fuzz-corpus/$name"
  seeds="$root/tests/fuzz/seeds/$name"
  mkdir -p "$corpus" "$seeds"
  echo "fuzzing $name for $seconds s"
  # The working folder is a scratch one: targets that write files write there.
  scratch="$(mktemp -d /tmp/quillary-fuzz-XXXXXX)"
  status=0
  (cd "$scratch" && ASAN_OPTIONS=detect_leaks=0 "$build/$name" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$build/$name-" \
    "$corpus" "$seeds" 2>"$build/$name.log") || status=$?
  rm -rf "$scratch"
  grep -E '^stat::number_of_executed_units|^stat::average_exec_per_sec' "$build/$name.log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$build/$name.log" >&2
    echo "fuzz.sh: $name failed; see $build/$name.log" >&2
    exit 1
  fi
done
