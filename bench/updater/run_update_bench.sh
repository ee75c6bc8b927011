#!/usr/bin/env bash
# The whole update of 2,000 files of 150 KiB, the engine beside a minimal
# updater (download each digest once, verify, write to a temporary name,
# rename) on one loopback nginx, in one run; prints each round and the ratio
# of the medians (target: engine / minimal <= 1.00x).
#   bench/updater/run_update_bench.sh [build folder] [rounds] [files] [bytes per file]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
shift || true
cmake --build "$build" --target bench_update_vs_minimal >/dev/null
exec "$build/bench/updater/bench_update_vs_minimal" "$@"
