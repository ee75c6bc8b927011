#!/usr/bin/env bash
# The whole program's waits as the teacher meets them, on a private Xvfb
# with the local services, each the median of some rounds:
#   start to a usable login window, cold (a data folder never used) and
#   warm (the same folder again); sign-in to the home window; home window to
#   the room window; leaving the room to the home window.
# Reference in the same run: a Qt 5 Widgets program of Debian's (Qt
# Linguist) from its start to its window, cold and warm the same way.
#   bench/program/run_program_bench.sh [rounds (default 5)] [build folder (default build)]
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$(pwd)
source tools/x-clicks.sh
ROUNDS=${1:-5}
BUILD=${2:-build}
STEP_SECONDS=60
REFERENCE=/usr/lib/qt5/bin/linguist
for tool in Xvfb xdotool import "$REFERENCE"; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d /tmp/veltora-program-bench-XXXXXX)
chmod 755 "$work"  # nginx's worker may run as another user
APP_PID=
XVFB_PID=
cleanup() {
  if [ -n "$APP_PID" ]; then stop_app; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  VELTORA_SERVICES_DIR="$work/services" tools/services.sh stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "bench: $1" >&2; exit 1; }

cmake --install "$BUILD" --prefix "$work/install" >/dev/null
export VELTORA_SERVICES_DIR="$work/services"
tools/services.sh start "$work/install/bin/32bit" >/dev/null
export VELTORA_ENDPOINTS="$work/install/bin/32bit/endpoints.ini"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
start_xvfb "$work/display" || fail "Xvfb did not start"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# Milliseconds until a window with this title is visible.
ms_until_window() {
  local t0=$1 deadline=$(( SECONDS + STEP_SECONDS ))
  until xdotool search --onlyvisible --name "^$2\$" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || fail "no window $2"
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended before $2"
    sleep 0.02
  done
  echo $(( $(now_ms) - t0 ))
}
median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# One data folder per start kind: "cold" is made afresh before each start.
fresh_home() {
  rm -rf "$work/home"
  mkdir -p "$work/home/data/VeltoraTea" "$work/home/config" "$work/home/run"
  chmod 700 "$work/home/run"
  cp "$VELTORA_SERVICES_DIR/installed-ver" "$work/home/data/VeltoraTea/ver"
}
export XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" XDG_RUNTIME_DIR="$work/home/run"

ref_cold="" ref_warm="" cold="" warm="" signin="" enter="" leave=""
for round in $(seq "$ROUNDS"); do
  # The reference: start to its window, cold then warm.
  fresh_home
  for kind in cold warm; do
    t0=$(now_ms)
    "$REFERENCE" >/dev/null 2>&1 &
    APP_PID=$!
    ms=$(ms_until_window "$t0" "Qt Linguist")
    if [ "$kind" = cold ]; then ref_cold+=" $ms"; else ref_warm+=" $ms"; fi
    stop_app
  done

  # Veltora cold: a fresh data folder; then warm: the same folder again,
  # through the whole day's waits.
  fresh_home
  for kind in cold warm; do
    t0=$(now_ms)
    "$work/install/bin/32bit/Veltora" >>"$work/veltora.log" 2>&1 &
    APP_PID=$!
    ms=$(ms_until_window "$t0" vtlogintea)
    if [ "$kind" = cold ]; then cold+=" $ms"; stop_app; continue; fi
    warm+=" $ms"
    wait_settled vtlogintea
    click_at $(( WIN_X + 200 )) $(( WIN_Y + 215 ))
    xdotool type --delay 10 13800138000
    click_at $(( WIN_X + 200 )) $(( WIN_Y + 267 ))
    xdotool type --delay 10 veltora123
    t0=$(now_ms)
    click_at $(( WIN_X + 185 )) $(( WIN_Y + 405 ))
    signin+=" $(ms_until_window "$t0" vtclasstea)"
    wait_settled vtclasstea
    # "进入直播" of the lesson on now, once listed (a teal button).
    wait_colour '#67c0ba' $(( WIN_X + WIN_W - 138 )) $(( WIN_Y + 100 )) 110 34 || fail "today's lesson was not listed"
    t0=$(now_ms)
    click_at $(( WIN_X + WIN_W - 83 )) $(( WIN_Y + 117 ))
    enter+=" $(ms_until_window "$t0" vtmaintea)"
    # The recording question, answered "不录制不生成回放".
    if wait_window Form 394 15; then click_at $(( WIN_X + 283 )) $(( WIN_Y + 162 )); wait_window_gone Form 394; fi
    wait_settled vtmaintea
    click_at $(( WIN_X + WIN_W - 17 )) $(( WIN_Y + 17 ))
    wait_window Form 394 || fail "leaving asked nothing"
    t0=$(now_ms)
    click_at $(( WIN_X + 111 )) $(( WIN_Y + 162 ))
    leave+=" $(ms_until_window "$t0" vtclasstea)"
    stop_app
  done
  echo "round $round done" >&2
done

printf '%-44s %8s\n' "median of $ROUNDS rounds (ms)" "ms"
printf '%-44s %8s\n' "reference: Qt Linguist start, cold" "$(median <<<"$ref_cold")"
printf '%-44s %8s\n' "reference: Qt Linguist start, warm" "$(median <<<"$ref_warm")"
printf '%-44s %8s\n' "Veltora start to login window, cold" "$(median <<<"$cold")"
printf '%-44s %8s\n' "Veltora start to login window, warm" "$(median <<<"$warm")"
printf '%-44s %8s\n' "sign-in click to home window" "$(median <<<"$signin")"
printf '%-44s %8s\n' "home window to room window" "$(median <<<"$enter")"
printf '%-44s %8s\n' "leave click to home window" "$(median <<<"$leave")"
