#!/usr/bin/env bash
# Installs what is missing, builds, starts the local services and Veltora.
# With no display set, Veltora runs on a private Xvfb; screenshots of what it
# shows are saved and their paths printed, then everything ends cleanly.
#   VELTORA_SHOTS_DIR   where screenshots go (default: out/screenshots)
#   VELTORA_RUN_SECONDS how long a headless run lasts (default: 12)
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)

bash tools/install-deps.sh

BUILD_DIR=${VELTORA_BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)" --target Veltora veltora_translations
if cmake --build "$BUILD_DIR" --target help | grep -q "KorvanelTea"; then
  cmake --build "$BUILD_DIR" -j "$(nproc)" --target KorvanelTea
fi

# An installation tree as the programs expect it: <root>/KorvanelTea and
# <root>/bin/32bit/Veltora.
INSTALL_DIR="$ROOT/out/install"
cmake --install "$BUILD_DIR" --prefix "$INSTALL_DIR" >/dev/null

PIDS=()
cleanup() {
  for p in "${PIDS[@]:-}"; do [ -n "$p" ] && kill "$p" 2>/dev/null || true; done
  if [ -x tools/services.sh ]; then tools/services.sh stop >/dev/null 2>&1 || true; fi
}
trap cleanup EXIT

# Local services: nginx with the RTMP module and the site that serves the
# live configuration, media lines and update documents, plus an endpoints
# file that points every server role at them.
if [ -x tools/services.sh ]; then
  tools/services.sh start "$INSTALL_DIR/bin/32bit"
  export VELTORA_ENDPOINTS="$INSTALL_DIR/bin/32bit/endpoints.ini"
fi

export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
VELTORA="$INSTALL_DIR/bin/32bit/Veltora"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  "$VELTORA"
  exit $?
fi

# No display: a private Xvfb, screenshots, a clean end.
SHOTS_DIR=${VELTORA_SHOTS_DIR:-$ROOT/out/screenshots}
mkdir -p "$SHOTS_DIR"
RUN_SECONDS=${VELTORA_RUN_SECONDS:-12}
DISPLAY_NUM=$(( 90 + RANDOM % 100 ))
Xvfb ":$DISPLAY_NUM" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
export DISPLAY=":$DISPLAY_NUM"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$VELTORA" >"$ROOT/out/veltora-run.log" 2>&1 &
APP_PID=$!
PIDS+=($APP_PID)

shots=()
for i in $(seq 1 3); do
  sleep $(( RUN_SECONDS / 3 ))
  if ! kill -0 "$APP_PID" 2>/dev/null; then
    echo "Veltora ended early; see $ROOT/out/veltora-run.log" >&2
    break
  fi
  f="$SHOTS_DIR/veltora-$i.png"
  import -display "$DISPLAY" -window root "$f" 2>/dev/null && shots+=("$f")
done

kill "$APP_PID" 2>/dev/null || true
wait "$APP_PID" 2>/dev/null || true
echo "Screenshots:"
for f in "${shots[@]:-}"; do if [ -n "$f" ]; then echo "  $f"; fi; done
