#!/usr/bin/env bash
# CI's own cost: ./test.sh on two processors (taskset -c 0,1) from an empty
# build folder with the compiler cache as it is (warm after any build), the
# wall time printed at the end. The build folders are removed afterwards.
#   bench/program/run_ci_cost.sh [extra ./test.sh arguments]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(mktemp -d /tmp/veltora-ci-cost-XXXXXX)
trap 'rm -rf "$build" "$build-tsan"' EXIT
start=$(date +%s)
status=0
VELTORA_BUILD_DIR="$build" VELTORA_JOBS=2 taskset -c 0,1 ./test.sh "$@" || status=$?
elapsed=$(( $(date +%s) - start ))
printf 'ci cost: ./test.sh on 2 processors from an empty build folder: %d min %02d s (exit status %d)\n' \
  $(( elapsed / 60 )) $(( elapsed % 60 )) "$status"
