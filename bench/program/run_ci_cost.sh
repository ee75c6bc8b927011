#!/usr/bin/env bash
# CI's own cost: ./test.sh on two processors (taskset -c 0,1) as CI runs it,
# in a fresh clone of this checkout's HEAD: an empty build folder and the
# compiler cache as it is (warm after any build of the same sources). The
# wall time and the machine's load are printed at the end; the clone and its
# build folders are removed afterwards.
#   bench/program/run_ci_cost.sh [extra ./test.sh arguments]
# The build folders keep their usual names inside the clone: the cache keys
# hold paths relative to the checkout, so a build folder outside it would
# miss the cache on every target with generated sources and measure a cold
# build instead.
set -euo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d /tmp/veltora-ci-cost-XXXXXX)
trap 'rm -rf "$work"' EXIT
git clone -q "$PWD" "$work/src"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
start=$(date +%s)
status=0
(cd "$work/src" && VELTORA_JOBS=2 taskset -c 0,1 ./test.sh "$@") || status=$?
elapsed=$(( $(date +%s) - start ))
printf 'ci cost: ./test.sh on 2 processors from an empty build folder: %d min %02d s (exit status %d)\n' \
  $(( elapsed / 60 )) $(( elapsed % 60 )) "$status"
printf 'load average (1, 5, 15 min) at the start: %s, at the end: %s\n' "$load_before" \
  "$(cut -d' ' -f1-3 /proc/loadavg)"
