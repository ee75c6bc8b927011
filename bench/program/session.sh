# What the whole-program benchmarks share, sourced by them: an installed
# Veltora with the local services and a private Xvfb in a work folder
# removed at the end, a fresh data folder, and the teacher's way through
# the login and home windows by clicks. The sourcing script sets
# STEP_SECONDS and BUILD, and may add to cleanup through EXTRA_CLEANUP
# (a command run first).

source tools/x-clicks.sh

APP_PID=
XVFB_PID=
EXTRA_CLEANUP=:
cleanup() {
  $EXTRA_CLEANUP
  if [ -n "$APP_PID" ]; then stop_app; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  VELTORA_SERVICES_DIR="$work/services" tools/services.sh stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
fail() { echo "bench: $1" >&2; exit 1; }

# Installs the build into a new work folder, starts the services and the
# display; sets work and VELTORA (the program).
begin_session() {
  work=$(mktemp -d /tmp/veltora-program-bench-XXXXXX)
  chmod 755 "$work"  # nginx's worker may run as another user
  trap cleanup EXIT
  cmake --install "$BUILD" --prefix "$work/install" >/dev/null
  VELTORA="$work/install/bin/32bit/Veltora"
  export VELTORA_SERVICES_DIR="$work/services"
  tools/services.sh start "$work/install/bin/32bit" >/dev/null
  export VELTORA_ENDPOINTS="$work/install/bin/32bit/endpoints.ini"
  export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
  export XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" XDG_RUNTIME_DIR="$work/home/run"
  start_xvfb "$work/display" || fail "Xvfb did not start"
}

# A data folder never used, with the installation recorded in it.
fresh_home() {
  rm -rf "$work/home"
  mkdir -p "$work/home/data/VeltoraTea" "$work/home/config" "$work/home/run"
  chmod 700 "$work/home/run"
  cp "$VELTORA_SERVICES_DIR/installed-ver" "$work/home/data/VeltoraTea/ver"
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# Milliseconds from t0 until a window with this title is visible.
ms_until_window() {
  local t0=$1 deadline=$(( SECONDS + STEP_SECONDS ))
  until xdotool search --onlyvisible --name "^$2\$" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || fail "no window $2"
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended before $2"
    sleep 0.02
  done
  echo $(( $(now_ms) - t0 ))
}

# In the settled login window: the demo teacher's account and password
# typed; the sign-in button is then at LOGIN_X LOGIN_Y.
type_credentials() {
  wait_settled vtlogintea
  click_at $(( WIN_X + 200 )) $(( WIN_Y + 215 ))
  xdotool type --delay 10 13800138000
  click_at $(( WIN_X + 200 )) $(( WIN_Y + 267 ))
  xdotool type --delay 10 veltora123
  LOGIN_X=$(( WIN_X + 185 )) LOGIN_Y=$(( WIN_Y + 405 ))
}

# In the settled home window: waits until today's lesson offers "进入直播"
# (a teal button); its place is then ENTER_X ENTER_Y.
wait_todays_lesson() {
  wait_colour '#67c0ba' $(( WIN_X + WIN_W - 138 )) $(( WIN_Y + 100 )) 110 34 || fail "today's lesson was not listed"
  ENTER_X=$(( WIN_X + WIN_W - 83 )) ENTER_Y=$(( WIN_Y + 117 ))
}
