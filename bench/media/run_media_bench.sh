#!/usr/bin/env bash
# Runs the media benchmark under a virtual X display (desktop capture needs one).
#   bench/media/run_media_bench.sh <build folder> [push|broadcast|all] [--seconds N]
# e.g. bench/media/run_media_bench.sh build all --seconds 20
#      bench/media/run_media_bench.sh build push --seconds 600       (the 10-minute memory run)
#      bench/media/run_media_bench.sh build broadcast --seconds 600  (desktop + camera, 10 minutes)
set -euo pipefail
build=${1:?build folder}
shift
exe="$build/bench/media/bench_media"
[ -x "$exe" ] || { echo "build bench_media first: ninja -C $build bench_media" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$exe" "$@"
fi
exec "$exe" "$@"
