#!/usr/bin/env bash
# Runs the player benchmark under a virtual X display (ffplay needs one).
#   bench/player/run_player_bench.sh <build folder> [bench_player options]
# e.g. bench/player/run_player_bench.sh build --runs 20 --seconds 60
#      bench/player/run_player_bench.sh build --gop 250 --runs 20 --seconds 10 --no-ffplay
#      bench/player/run_player_bench.sh build --screen --seconds 30   (seen and heard from outside)
set -euo pipefail
build=${1:?build folder}
shift
exe="$build/bench/player/bench_player"
if [ "${1:-}" = "--screen" ]; then
  shift
  exe="$build/bench/player/bench_player_screen"
fi
[ -x "$exe" ] || { echo "build bench_player first: ninja -C $build bench_player" >&2; exit 1; }
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$exe" "$@"
fi
exec "$exe" "$@"
