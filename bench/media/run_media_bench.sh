#!/usr/bin/env bash
# Runs the media benchmark under a virtual X display (desktop capture needs one).
#   bench/media/run_media_bench.sh <build folder> [push|broadcast|all] [--seconds N] [--memory] [--engine-only]
# e.g. bench/media/run_media_bench.sh build all --seconds 20
#      bench/media/run_media_bench.sh build push --seconds 600       (the 10-minute memory run)
#      bench/media/run_media_bench.sh build broadcast --seconds 30   (engine CPU, then the ffmpeg CLI's)
#      bench/media/run_media_bench.sh build broadcast --memory --seconds 600
#          (engine and ffmpeg CLI side by side for 10 minutes: resident memory of both sampled every 5 s)
# --engine-only leaves the ffmpeg CLI out (e.g. under a heap profiler).
set -euo pipefail
build=${1:?build folder}
shift
exe="$build/bench/media/bench_media"
[ -x "$exe" ] || { echo "build bench_media first: ninja -C $build bench_media" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$exe" "$@"
fi
exec "$exe" "$@"
