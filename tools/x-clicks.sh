# Helpers for driving the programs' windows as a user does, on an X
# display: find windows by title, click, fingerprint pixels, wait for what a
# click shows. Sourced by tools/day-by-clicks.sh and the start benchmark.
# The sourcing script sets STEP_SECONDS (the longest a wait lasts), APP_PID
# (the program; waits end early when it has gone) and a function fail
# (message) that ends the run.

# Starts a private Xvfb of 1600 x 1000 on a free display number, written to
# <file>; sets XVFB_PID and exports DISPLAY.
start_xvfb() {
  rm -f "$1"
  Xvfb -displayfd 6 -screen 0 1600x1000x24 -nolisten tcp 6>"$1" 2>/dev/null &
  XVFB_PID=$!
  for _ in $(seq 200); do [ -s "$1" ] && break; sleep 0.1; done
  [ -s "$1" ] || return 1
  export DISPLAY=":$(head -1 "$1")"
}

# A fingerprint of the pixels of a part of the screen: x y width height.
pixels() {
  import -display "$DISPLAY" -window root -crop "${3}x${4}+${1}+${2}" rgb:- 2>/dev/null | md5sum
}
# Waits until a part of the screen (x y width height) differs from the
# fingerprint given, that is, until the click shows.
wait_changed() {
  local what=$1 before=$2 deadline=$(( SECONDS + STEP_SECONDS ))
  shift 2
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended while waiting for $what"
    [ "$(pixels "$@")" != "$before" ] && return 0
    sleep 0.2
  done
  fail "$what did not show"
}
# Waits (at most STEP_SECONDS, or the sixth argument) until at least 40%
# of a part of the screen (colour x y width height) shows about this colour.
wait_colour() {
  local deadline=$(( SECONDS + ${6:-$STEP_SECONDS} ))
  until has_colour "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}
# Whether at least 40% of a part of the screen (colour x y width height)
# shows about this colour.
has_colour() { awk -v v="$(share_of_colour "$1" "$2" "$3" "$4" "$5")" 'BEGIN { exit !(v > 0.4) }'; }
# Whether a part of the screen (x y width height) holds more than a plain
# background of this colour (some text or picture on it).
has_marks() { awk -v v="$(share_of_colour "$@")" 'BEGIN { exit !(v < 0.99) }'; }
# Waits until a test (a command with its arguments) passes.
wait_until() {
  local what=$1 deadline=$(( SECONDS + STEP_SECONDS ))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || fail "$what did not show"
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended while waiting for $what"
    sleep 0.2
  done
}
# Waits for a visible window with this exact title (and, when given, this
# width) and sets WIN_X WIN_Y WIN_W WIN_H to its geometry.
find_window() {
  local id geometry
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true); do
    geometry=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null) || continue
    WIN_X=$(sed -n 's/^X=//p' <<<"$geometry"); WIN_Y=$(sed -n 's/^Y=//p' <<<"$geometry")
    WIN_W=$(sed -n 's/^WIDTH=//p' <<<"$geometry"); WIN_H=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
    if [ -z "${2:-}" ] || [ "$WIN_W" = "$2" ]; then return 0; fi
  done
  return 1
}
wait_window() {
  local deadline=$(( SECONDS + ${3:-$STEP_SECONDS} ))
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$APP_PID" 2>/dev/null || return 1
    find_window "$1" "${2:-}" && return 0
    sleep 0.2
  done
  return 1
}
# Waits until no visible window has this title (and width).
wait_window_gone() {
  local deadline=$(( SECONDS + STEP_SECONDS ))
  while [ $SECONDS -lt $deadline ]; do
    find_window "$1" "${2:-}" || return 0
    sleep 0.2
  done
  fail "the window $1 did not close"
}
# Waits until a window stops moving and resizing (it is laid out).
wait_settled() {
  local last="" now deadline=$(( SECONDS + STEP_SECONDS ))
  while [ $SECONDS -lt $deadline ]; do
    find_window "$1" "${2:-}" || fail "the window $1 went"
    now="$WIN_X $WIN_Y $WIN_W $WIN_H"
    [ "$now" = "$last" ] && return 0
    last=$now
    sleep 0.5
  done
}
# The share (0 to 1) of a part of the screen (x y width height) drawn in
# about this colour.
share_of_colour() {
  import -display "$DISPLAY" -window root -crop "${4}x${5}+${2}+${3}" png:- 2>/dev/null |
    convert - -alpha off -fuzz 12% -fill black +opaque "$1" -fill white -opaque "$1" -format "%[fx:mean]" info: \
      2>/dev/null || echo 0
}
click_at() { xdotool mousemove --sync "$1" "$2" sleep 0.1 click 1; }
# Clicks at x y and waits until the part x0 y0 w h of the screen changes.
click_shows() {
  local what=$1 x=$2 y=$3 before
  shift 3
  before=$(pixels "$@")
  click_at "$x" "$y"
  wait_changed "$what" "$before" "$@"
}

# Ends the program: asked first, then forced when it is still there after
# ten seconds (a media library may take the request for itself).
stop_app() {
  kill "$APP_PID" 2>/dev/null || { APP_PID=; return 0; }
  for _ in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=
}

# The fingerprint of a part of the screen (x y width height) once it stays
# the same over two looks.
steady_pixels() {
  local last now
  last=$(pixels "$@")
  for _ in $(seq 50); do
    sleep 0.3
    now=$(pixels "$@")
    [ "$now" = "$last" ] && break
    last=$now
  done
  echo "$now"
}
# Waits until a part of the screen (x y width height) shows again what the
# fingerprint was taken of.
wait_same() {
  local what=$1 before=$2 deadline=$(( SECONDS + STEP_SECONDS ))
  shift 2
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended while waiting for $what"
    [ "$(pixels "$@")" = "$before" ] && return 0
    sleep 0.2
  done
  fail "$what did not show"
}

# A private sound server in <folder>: the speaker "Speaker" (the default
# output; its monitor is what a listener hears) and the microphone
# "Microphone" (the default input), which hears what is played into the
# sink "voice". Sets PULSE_PID and exports PULSE_SERVER.
start_pulse() {
  local dir=$1
  mkdir -p "$dir/home" "$dir/runtime"
  chmod 700 "$dir/runtime"
  env -u DBUS_SESSION_BUS_ADDRESS -u DISPLAY HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" \
    PULSE_RUNTIME_PATH="$dir/runtime" XDG_CONFIG_HOME="$dir/home" \
    pulseaudio -n --daemonize=no --system=false --exit-idle-time=-1 --disallow-exit --use-pid-file=false \
    --log-target=file:"$dir/pulse.log" \
    -L "module-null-sink sink_name=speaker sink_properties=device.description=Speaker" \
    -L "module-null-sink sink_name=voice sink_properties=device.description=Voice" \
    -L "module-remap-source master=voice.monitor source_name=microphone source_properties=device.description=Microphone" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" >/dev/null 2>&1 &
  PULSE_PID=$!
  export PULSE_SERVER="unix:$dir/native"
  for _ in $(seq 150); do
    if pactl info >/dev/null 2>&1; then
      pactl set-default-sink speaker && pactl set-default-source microphone
      return
    fi
    kill -0 "$PULSE_PID" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Which of the reference sounds (raw signed 16-bit mono at 8000 Hz) a
# recording of the same kind holds: prints the index of the one whose
# loudness and pitch over time match the recording best, or -1 when the
# recording is silent.
heard_sound() {
  python3 - "$@" <<'PY'
import array, math, sys

FRAME = 160  # 20 ms

def features(path):
    samples = array.array("h")
    with open(path, "rb") as f:
        data = f.read()
    samples.frombytes(data[: len(data) // 2 * 2])
    out = []
    for start in range(0, len(samples) - FRAME + 1, FRAME):
        frame = samples[start : start + FRAME]
        rms = math.sqrt(sum(s * s for s in frame) / FRAME)
        crossings = sum(1 for a, b in zip(frame, frame[1:]) if (a < 0) != (b < 0))
        out.append((rms, crossings))
    return out

def trimmed(frames):
    # The sound only: the frames from the first to the last loud one.
    peak = max((r for r, _ in frames), default=0)
    if peak < 300:
        return []
    loud = [i for i, (r, _) in enumerate(frames) if r > peak * 0.1]
    return frames[loud[0] : loud[-1] + 1]

def distance(a, b):
    # Loudness relative to each sound's peak, pitch by zero crossings;
    # the shorter sound is slid along the longer one.
    if len(a) > len(b):
        a, b = b, a
    pa = max(r for r, _ in a) or 1
    pb = max(r for r, _ in b) or 1
    best = None
    for lag in range(0, len(b) - len(a) + 1):
        d = 0.0
        for (ra, za), (rb, zb) in zip(a, b[lag:]):
            d += abs(ra / pa - rb / pb) + abs(za - zb) / 20.0
        d = d / len(a) + (len(b) - len(a)) / len(b)
        best = d if best is None or d < best else best
    return best

heard = trimmed(features(sys.argv[1]))
if not heard:
    print(-1)
    sys.exit(0)
scores = [distance(heard, trimmed(features(ref))) for ref in sys.argv[2:]]
print(min(range(len(scores)), key=scores.__getitem__))
PY
}
