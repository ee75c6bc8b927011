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
ROUNDS=${1:-5}
BUILD=${2:-build}
STEP_SECONDS=60
REFERENCE=/usr/lib/qt5/bin/linguist
for tool in Xvfb xdotool import "$REFERENCE"; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing" >&2; exit 1; }
done

source bench/program/session.sh
begin_session

median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# "cold" has a data folder made afresh before its start; "warm" reuses it.
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
    "$VELTORA" >>"$work/veltora.log" 2>&1 &
    APP_PID=$!
    ms=$(ms_until_window "$t0" vtlogintea)
    if [ "$kind" = cold ]; then cold+=" $ms"; stop_app; continue; fi
    warm+=" $ms"
    type_credentials
    t0=$(now_ms)
    click_at "$LOGIN_X" "$LOGIN_Y"
    signin+=" $(ms_until_window "$t0" vtclasstea)"
    wait_settled vtclasstea
    wait_todays_lesson
    t0=$(now_ms)
    click_at "$ENTER_X" "$ENTER_Y"
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
