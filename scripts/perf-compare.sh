#!/usr/bin/env bash
# Frame cost of the game against a plain C program that draws the same frame
# with the same GL calls, measured from outside: a preloaded frame counter
# times every buffer swap, and both programs draw the same level (3,000 solid
# tiles unless TILES says otherwise) in an 800 by 600 window under their own
# Xvfb. When `love` is installed, the same frame written for LOVE (love-tiles)
# runs too. The runs alternate between the programs so that a change in the
# machine's load hits all alike; the medians and the ratios to the baseline are
# printed at the end, with the peak memory of each.
#
#   scripts/perf-compare.sh [RUNS [SECONDS]]     (defaults 7 and 10)
#
# The measuring tools are not part of the game and live outside the repository:
#   PERF_DIR   folder with frame_counter.c, c_tiles.c, mklevel3000.py
#              (default /work/shared/perf)
#   BUILD_DIR  where the game is built (default build, next to this folder)
#   GAME       a game already built: measured as it is, nothing is built
#   PERF_DISPLAY  X display number for Xvfb (default: the first free one from 57)
#   KEEP_RESULTS  a folder to copy the raw JSON lines into
#   TILES      solid tiles in the level (default 3000)
# The game reads level01.lvl from its working folder and has no options, so it
# runs in a scratch folder holding the 3,000-tile level as level01.lvl and the
# game's textures, and is ended from outside with SIGTERM after SECONDS.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-7}"
seconds="${2:-10}"
perf_dir="${PERF_DIR:-/work/shared/perf}"
tiles="${TILES:-3000}"
build_dir="${BUILD_DIR:-$root/build}"

die() {
  echo "perf-compare: $*" >&2
  exit 1
}

[[ "$runs" =~ ^[1-9][0-9]*$ ]] || die "RUNS must be a positive whole number, not '$runs'"
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || die "SECONDS must be a positive whole number, not '$seconds'"
for tool in frame_counter.c c_tiles.c mklevel3000.py; do
  [[ -f "$perf_dir/$tool" ]] ||
    die "no $tool in '$perf_dir': set PERF_DIR to the folder holding the measuring tools"
done
for program in cc sdl-config python3 Xvfb cmake; do
  command -v "$program" >/dev/null || die "$program is needed and was not found"
done

scratch="$(mktemp -d /tmp/quillary-perf-XXXXXX)"
xvfb_pid=""
game_pid=""  # the game while it runs, so that an interrupted script ends it too
cleanup() {
  if [[ -n "$game_pid" ]]; then
    kill -TERM "$game_pid" 2>/dev/null || true
  fi
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# --- The programs and the level -------------------------------------------

game="${GAME:-}"
if [[ -z "$game" ]]; then
  echo "building the game in $build_dir ..."
  cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build_dir" -j"$(nproc)" --target quillary >/dev/null
  game="$build_dir/quillary"
fi
[[ -x "$game" ]] || die "no game program at '$game'"

echo "building the measuring tools in $scratch ..."
cc -O2 -fPIC -shared -o "$scratch/frame-counter.so" "$perf_dir/frame_counter.c" -ldl
# shellcheck disable=SC2046  # sdl-config prints several words on purpose
cc -O2 -o "$scratch/c-tiles" "$perf_dir/c_tiles.c" $(sdl-config --cflags --libs) -lGL
# Names the GL renderer, for the report; its own window, drawn once.
cat >"$scratch/gl-renderer.c" <<'EOF'
#include <SDL/SDL.h>
#include <GL/gl.h>
#include <stdio.h>
int main(int argc, char **argv) {
  (void)argc; (void)argv;
  if (SDL_Init(SDL_INIT_VIDEO) < 0 || !SDL_SetVideoMode(64, 64, 0, SDL_OPENGL)) return 1;
  printf("%s | %s | %s\n", (const char *)glGetString(GL_VENDOR),
         (const char *)glGetString(GL_RENDERER), (const char *)glGetString(GL_VERSION));
  SDL_Quit();
  return 0;
}
EOF
# shellcheck disable=SC2046
cc -O2 -o "$scratch/gl-renderer" "$scratch/gl-renderer.c" $(sdl-config --cflags --libs) -lGL

mkdir -p "$scratch/game"
python3 "$perf_dir/mklevel3000.py" "$scratch/level3000.lvl" "$tiles"
cp "$scratch/level3000.lvl" "$scratch/game/level01.lvl"
cp -r "$root/data/texture" "$scratch/game/texture"

# --- The display ----------------------------------------------------------

display="${PERF_DISPLAY:-}"
if [[ -z "$display" ]]; then
  display=57
  while [[ -e "/tmp/.X11-unix/X$display" || -e "/tmp/.X$display-lock" ]]; do
    display=$((display + 1))
  done
fi
# -noreset: a server that resets when its last client leaves refuses the next
# program for a moment, and the runs follow each other closely.
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -noreset >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -e "/tmp/.X11-unix/X$display" ]] && break
  kill -0 "$xvfb_pid" 2>/dev/null || die "Xvfb :$display did not start: $(cat "$scratch/xvfb.log")"
  sleep 0.1
done
[[ -e "/tmp/.X11-unix/X$display" ]] || die "Xvfb :$display did not come up"
export DISPLAY=":$display"
renderer="$("$scratch/gl-renderer" || echo unknown)"

# --- The runs -------------------------------------------------------------

game_out="$scratch/game.jsonl"
base_out="$scratch/baseline.jsonl"
love_out="$scratch/love.jsonl"
love_scene=""
if command -v love >/dev/null && [[ -d "$perf_dir/love-tiles" ]]; then
  love_scene="$perf_dir/love-tiles"
fi

# The game has no time limit of its own: it is ended with SIGTERM, which the
# frame counter catches to write its line before the process goes.
run_game() {
  (
    cd "$scratch/game"
    FRAME_COUNTER_OUT="$game_out" FRAME_COUNTER_T0="$EPOCHREALTIME" \
      LD_PRELOAD="$scratch/frame-counter.so" exec "$game"
  ) &
  game_pid=$!
  sleep "$seconds"
  kill -TERM "$game_pid" 2>/dev/null || true
  wait "$game_pid" 2>/dev/null || true
  game_pid=""
}

run_baseline() {
  FRAME_COUNTER_OUT="$base_out" FRAME_COUNTER_T0="$EPOCHREALTIME" \
    LD_PRELOAD="$scratch/frame-counter.so" \
    "$scratch/c-tiles" --mode toggle --seconds "$seconds" --level "$scratch/level3000.lvl" \
    2>>"$scratch/c-tiles.log" || echo "baseline run failed: $(tail -1 "$scratch/c-tiles.log")" >&2
}

# LOVE ends itself after SECONDS; the counter also wraps its swap.
run_love() {
  [[ -n "$love_scene" ]] || return 0
  FRAME_COUNTER_OUT="$love_out" FRAME_COUNTER_T0="$EPOCHREALTIME" \
    LD_PRELOAD="$scratch/frame-counter.so" \
    love "$love_scene" --seconds "$seconds" --level "$scratch/level3000.lvl" \
    >>"$scratch/love.log" 2>&1 || echo "LOVE run failed: $(tail -1 "$scratch/love.log")" >&2
}

echo "load before: $(uptime)"
for run in $(seq "$runs"); do
  echo "run $run of $runs ..."
  # Alternate which goes first, so neither always runs on a warmer machine.
  if ((run % 2)); then
    run_game
    run_baseline
    run_love
  else
    run_love
    run_baseline
    run_game
  fi
done
echo "load after: $(uptime)"

if [[ -n "${KEEP_RESULTS:-}" ]]; then
  mkdir -p "$KEEP_RESULTS"
  cp "$game_out" "$base_out" "$KEEP_RESULTS/"
  [[ -f "$love_out" ]] && cp "$love_out" "$KEEP_RESULTS/"
fi

# --- The figures ----------------------------------------------------------

python3 - "$game_out" "$base_out" "$runs" "$seconds" "$renderer" "$love_out" "$tiles" <<'EOF'
import json, os, statistics, sys

game_path, base_path, runs, seconds, renderer, love_path, tiles = sys.argv[1:8]


def figures(path):
    rows = [json.loads(line) for line in open(path) if line.strip()]
    out = []
    for r in rows:
        shown = r["frames"] - 1  # CPU after the first frame, over the frames after it
        out.append({
            "cpu_ms": 1e3 * r["cpu_after_first_s"] / shown if shown > 0 else float("nan"),
            "fps": r["fps"],
            "ttff_ms": r["ttff_ms"],
            "frames": r["frames"],
            "rss_mib": r["maxrss_kb"] / 1024,
        })
    return out


def median(rows, key):
    return statistics.median(r[key] for r in rows)


game, base = figures(game_path), figures(base_path)
love = figures(love_path) if os.path.exists(love_path) else []
if len(game) != int(runs) or len(base) != int(runs):
    sys.exit(f"perf-compare: expected {runs} runs of each, got {len(game)} of the game "
             f"and {len(base)} of the baseline")
programs = [("game", game), ("baseline", base)] + ([("LOVE", love)] if love else [])

print()
print(f"{runs} interleaved runs of {seconds} s each, {int(tiles):,}-tile level, 800x600 window")
print(f"GL: {renderer}")
print(f"{'median':<22}" + "".join(f"{n:>10}" for n, _ in programs) + f"{'game/base':>11}" +
      (f"{'LOVE/base':>11}" if love else ""))
# The game's marks: ahead of LOVE on CPU, its first frame no later than the
# baseline's, its peak memory at most 8 MiB above.
targets = {"cpu_ms": ("<=", 0.6), "ttff_ms": ("<=", 1.0), "rss_mib": ("+", 8.0)}
failed = []
for key, label in (("cpu_ms", "CPU ms per frame"), ("fps", "frames per second"),
                   ("ttff_ms", "first frame, ms"), ("rss_mib", "peak memory, MiB")):
    values = [median(rows, key) for _, rows in programs]
    b = values[1]
    line = f"{label:<22}" + "".join(f"{v:>10.3f}" for v in values)
    line += f"{values[0] / b:>11.3f}" + (f"{values[2] / b:>11.3f}" if love else "")
    if key in targets:
        kind, mark = targets[key]
        ok = values[0] - b <= mark if kind == "+" else values[0] / b <= mark
        line += f"  (target {'base + ' if kind == '+' else '<= '}{mark}: {'met' if ok else 'MISSED'})"
        if not ok:
            failed.append(label)
    print(line)
print()
for key, label in (("cpu_ms", "CPU ms/frame"), ("ttff_ms", "first frame ms")):
    for name, rows in programs:
        print(f"{name:>8} {label} per run: " + " ".join(f"{r[key]:.3f}" for r in rows))
if failed:
    print("missed: " + ", ".join(failed))
EOF
