#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
#   ./test.sh                 all tests
#   ./test.sh -L e2e          extra arguments go to ctest
# VELTORA_BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
cd "$(dirname "$0")"

bash tools/install-deps.sh

BUILD_DIR=${VELTORA_BUILD_DIR:-build}
JOBS=${VELTORA_JOBS:-$(nproc)}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"

# Tests that need a real X server carry the label xvfb; one private Xvfb
# serves the whole run. Everything else runs on Qt's offscreen platform.
cd "$BUILD_DIR"
xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" \
  ctest --output-on-failure --timeout 600 -j "$JOBS" "$@"
