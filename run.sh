#!/usr/bin/env bash
# Installs what is missing, builds, starts the local services and Veltora.
# With a display, Veltora starts for the user as usual. With none, the
# teacher's day runs on a private Xvfb with a data folder of its own, driven
# by clicks and keys as a user drives it (tools/day-by-clicks.sh): a
# screenshot of each step is saved and their paths printed; then
# everything ends.
#   VELTORA_SHOTS_DIR   where screenshots go (default: out/screenshots)
#   VELTORA_RUN_SECONDS the longest the headless day waits for each step
#                       (default: 60)
#   VELTORA_UPDATE      what the local update server offers: current
#                       (default), newer or required (see tools/services.sh)
#   VELTORA_JOBS        parallel build jobs (default: all processors)
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)

bash tools/install-deps.sh

BUILD_DIR=${VELTORA_BUILD_DIR:-build}
# Configured once: the build re-runs CMake by itself when a CMakeLists.txt
# or a globbed folder changes, while a forced configure would make every
# Qt target regenerate its moc and uic output and recompile what includes
# it, though nothing changed.
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
JOBS=${VELTORA_JOBS:-$(nproc)}
cmake --build "$BUILD_DIR" -j "$JOBS" --target Veltora veltora_translations
# The target list is read whole: a reader that stops early would fail the
# pipeline.
targets=$(cmake --build "$BUILD_DIR" --target help)
if grep -q "KorvanelTea" <<<"$targets"; then
  cmake --build "$BUILD_DIR" -j "$JOBS" --target KorvanelTea
fi

# An installation tree as the programs expect it: <root>/KorvanelTea and
# <root>/bin/32bit/Veltora.
INSTALL_DIR="$ROOT/out/install"
cmake --install "$BUILD_DIR" --prefix "$INSTALL_DIR" >/dev/null

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec tools/day-by-clicks.sh "$INSTALL_DIR"
fi

trap 'tools/services.sh stop >/dev/null 2>&1 || true' EXIT
# Local services: nginx with the RTMP module and the site that serves the
# live configuration, media lines, update documents and uploads, plus an
# endpoints file that points every server role at them. The installation is
# recorded in the data folder as the updater records what it installed, so
# the update server's answer describes this build.
tools/services.sh start "$INSTALL_DIR/bin/32bit"
export VELTORA_ENDPOINTS="$INSTALL_DIR/bin/32bit/endpoints.ini"
DATA_FOLDER="${XDG_DATA_HOME:-$HOME/.local/share}/VeltoraTea"
mkdir -p "$DATA_FOLDER"
cp "${VELTORA_SERVICES_DIR:-out/services}/installed-ver" "$DATA_FOLDER/ver"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
"$INSTALL_DIR/bin/32bit/Veltora"
