#!/usr/bin/env bash
# The teacher's day, driven as a user drives it: xdotool clicks and keys on
# the real windows of an installed Veltora, on a private Xvfb, with the local
# services (tools/services.sh) and a data folder of its own. Each step waits
# for what it shows (a window, pictures that change, a stream, a file) and
# saves a screenshot; their paths are printed at the end.
#   tools/day-by-clicks.sh <installation folder>
#   VELTORA_SHOTS_DIR     where screenshots go (default: out/screenshots)
#   VELTORA_WORK_DIR      data, runtime and log folders, made afresh
#                         (default: out/demo)
#   VELTORA_SERVICES_DIR  the services' state (default: out/services)
#   VELTORA_RUN_SECONDS   the longest each step waits (default: 60)
# The steps: sign in to the demo school; the calendar and the next month;
# the course and group pages; today's class; the recording question
# answered; the students' tiles move; the teacher's camera reaches the
# stream server (ffprobe reads it); a document is opened, drawn on and its
# page turned; a chat line with an emoticon; recording stopped; leave the
# room; today's live lesson entered: a quiz answered by the students with
# its statistics, a countdown, a lottery with its winners, a notice and a
# product put up; leave it; close the program; start it again with a newer release on the
# update server, take the update through the updater and into the new
# Veltora; close it.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
source tools/x-clicks.sh
INSTALL_DIR=$(cd "${1:?installation folder}" && pwd)
VELTORA="$INSTALL_DIR/bin/32bit/Veltora"
SHOTS_DIR=${VELTORA_SHOTS_DIR:-$ROOT/out/screenshots}
WORK=${VELTORA_WORK_DIR:-$ROOT/out/demo}
STEP_SECONDS=${VELTORA_RUN_SECONDS:-60}
for tool in Xvfb xdotool import convert ffprobe ffmpeg curl pulseaudio pactl paplay python3; do
  command -v "$tool" >/dev/null || { echo "day-by-clicks: $tool is missing" >&2; exit 1; }
done
[ -x "$VELTORA" ] || { echo "day-by-clicks: no program at $VELTORA" >&2; exit 1; }

rm -rf "$WORK"
mkdir -p "$WORK/data" "$WORK/run" "$SHOTS_DIR"
chmod 700 "$WORK/run"
rm -f "$SHOTS_DIR"/veltora-*.png
export XDG_DATA_HOME="$WORK/data" XDG_RUNTIME_DIR="$WORK/run"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
LOG="$WORK/veltora.log"

XVFB_PID=
APP_PID=
PULSE_PID=
shots=()
cleanup() {
  if [ -n "$APP_PID" ]; then stop_app; fi
  if [ -n "$PULSE_PID" ]; then kill "$PULSE_PID" 2>/dev/null || true; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  tools/services.sh stop >/dev/null 2>&1 || true
}
trap cleanup EXIT

finish() {
  if [ -n "$APP_PID" ]; then stop_app; fi
  echo "Screenshots:"
  for f in "${shots[@]:-}"; do if [ -n "$f" ]; then echo "  $f"; fi; done
  exit "$1"
}
fail() { echo "day-by-clicks: $1; see $LOG" >&2; shot failed; finish 1; }

# The services, with the installation recorded in the data folder as the
# updater records what it installed.
tools/services.sh start "$INSTALL_DIR/bin/32bit"
export VELTORA_ENDPOINTS="$INSTALL_DIR/bin/32bit/endpoints.ini"
SERVICES=${VELTORA_SERVICES_DIR:-$ROOT/out/services}
mkdir -p "$XDG_DATA_HOME/VeltoraTea"
cp "$SERVICES/installed-ver" "$XDG_DATA_HOME/VeltoraTea/ver"
HTTP_BASE=$(sed -n 's/^config=//p' "$VELTORA_ENDPOINTS" | head -1)

start_xvfb "$WORK/display" || { echo "day-by-clicks: Xvfb did not start" >&2; exit 1; }
# A sound server of its own: a speaker whose sound can be heard back and a
# microphone that hears what the teacher "says" into it.
start_pulse "$WORK/pulse" || { echo "day-by-clicks: the sound server did not start" >&2; exit 1; }

"$VELTORA" >"$LOG" 2>&1 &
APP_PID=$!

# Waits until the program ends, and checks that it ended well.
wait_ended() {
  local deadline=$(( SECONDS + STEP_SECONDS ))
  while kill -0 "$APP_PID" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "$1"
    sleep 0.2
  done
  # A process this shell did not start (the updater) tells no status (127).
  local status=0
  wait "$APP_PID" 2>/dev/null || status=$?
  APP_PID=
  [ "$status" = 0 ] || [ "$status" = 127 ] || fail "$1 (exit status $status)"
}
# A screenshot of the whole screen as the user sees it.
# Numbered in the order taken.
shot() {
  local f
  f=$(printf '%s/veltora-%02d-%s.png' "$SHOTS_DIR" $(( ${#shots[@]} + 1 )) "$1")
  import -display "$DISPLAY" -window root "$f" 2>/dev/null && shots+=("$f")
}
# Leaves the room (RX RY RW): "您确定要退出吗?" answered "退出"; home is
# back. With a name, the question's screenshot is taken under it.
leave_room() {
  click_at $(( RX + RW - 17 )) $(( RY + 17 ))
  wait_window Form 394 || fail "leaving asked nothing"
  if [ -n "${1:-}" ]; then shot "$1"; fi
  click_at $(( WIN_X + 111 )) $(( WIN_Y + 162 ))
  wait_window vtclasstea || fail "the home window did not come back"
  wait_window_gone vtmaintea
  wait_settled vtclasstea
}

# --- The device check from the home window's settings menu ("设备检测"),
# a window of 574 x 550, page by page: the system facts with the network
# delay, the camera ("可以看到" once its picture moves), the speaker (the
# animal played is told by listening to the speaker), the microphone (its
# level bar moves while the teacher speaks) and the report.
device_check() {
  click_shows "the settings menu" $(( HX + 34 )) $(( HY + 618 )) $(( HX + 60 )) $(( HY + 540 )) 120 140
  click_at $(( HX + 110 )) $(( HY + 572 ))
  wait_window CheckDeviceWindow 574 || fail "the device check did not show"
  wait_settled CheckDeviceWindow 574
  local DX=$WIN_X DY=$WIN_Y
  # The network delay ("-" until the first speed test) becomes a number
  # of milliseconds.
  local deadline=$(( SECONDS + STEP_SECONDS ))
  until awk -v v="$(share_of_colour '#666666' $(( DX + 230 )) $(( DY + 214 )) 60 16)" 'BEGIN { exit !(v > 0.015) }'; do
    [ $SECONDS -lt $deadline ] || fail "the device check showed no network delay"
    sleep 0.5
  done
  shot device-system

  # The camera: its picture moves in the preview, then "可以看到".
  local preview="$(( DX + 50 )) $(( DY + 200 )) 170 140"
  click_shows "the camera page" $(( DX + 287 )) $(( DY + 514 )) $preview
  wait_colour '#999999' $(( DX + 320 )) $(( DY + 462 )) 140 20 || fail "the camera page offered no \"可以看到\""
  wait_changed "the camera's moving picture" "$(pixels $preview)" $preview
  shot device-camera
  local page="$(( DX + 20 )) $(( DY + 130 )) 530 220"
  click_shows "the speaker page" $(( DX + 392 )) $(( DY + 472 )) $page

  # The speaker: the sound played is recorded from the speaker's monitor
  # and matched against the four animals; the playback window has ended
  # when the play button shows its idle picture again.
  local play="$(( DX + 24 )) $(( DY + 234 )) 88 88" refs="$WORK/sounds" animal
  mkdir -p "$refs"
  for animal in dog cat sheep cattle; do
    ffmpeg -nostdin -loglevel error -y -filter_complex_script "$ROOT/res/setting/animal_voice/$animal.graph" \
      -map '[out]' -ar 8000 -ac 1 -f s16le "$refs/$animal.raw" || fail "the reference sound $animal was not made"
  done
  xdotool mousemove --sync $(( DX + 68 )) $(( DY + 278 ))
  local idle
  idle=$(steady_pixels $play)
  local listeners
  listeners=$(pactl list short source-outputs | wc -l)
  parec -d speaker.monitor --latency-msec=20 --format=s16le --rate=8000 --channels=1 --raw >"$refs/heard.raw" &
  local listener=$!
  deadline=$(( SECONDS + STEP_SECONDS ))
  until [ "$(pactl list short source-outputs | wc -l)" -gt "$listeners" ]; do
    [ $SECONDS -lt $deadline ] || fail "the speaker could not be listened to"
    sleep 0.1
  done
  click_at $(( DX + 68 )) $(( DY + 278 ))
  wait_changed "the sound playing" "$idle" $play
  wait_same "the end of the sound" "$idle" $play
  kill -INT "$listener" 2>/dev/null || true
  wait "$listener" 2>/dev/null || true
  local heard
  heard=$(heard_sound "$refs/heard.raw" "$refs/dog.raw" "$refs/cat.raw" "$refs/sheep.raw" "$refs/cattle.raw")
  [ "$heard" -ge 0 ] || fail "no sound came out of the speaker"
  local animals=("130 252" "270 252" "130 304" "270 304") ax ay
  read -r ax ay <<<"${animals[$heard]}"
  click_shows "the animal heard" $(( DX + ax )) $(( DY + ay )) $(( DX + ax - 10 )) $(( DY + ay - 10 )) 20 20
  shot device-speaker
  click_shows "the microphone page" $(( DX + 405 )) $(( DY + 464 )) $page

  # The microphone: the teacher speaks, the level bar moves.
  local bar="$(( DX + 30 )) $(( DY + 280 )) 520 50"
  ffmpeg -nostdin -loglevel error -y -f lavfi -i "sine=frequency=300:sample_rate=48000:duration=30" \
    -af "volume='0.6+0.4*sin(2*PI*3*t)':eval=frame" "$refs/voice.wav" || fail "the teacher's voice was not made"
  paplay -d voice "$refs/voice.wav" &
  local voice=$!
  # Lit bars are green.
  deadline=$(( SECONDS + STEP_SECONDS ))
  until awk -v v="$(share_of_colour '#26bb75' $bar)" 'BEGIN { exit !(v > 0.01) }'; do
    [ $SECONDS -lt $deadline ] || fail "the microphone's level bar did not move"
    sleep 0.2
  done
  shot device-microphone
  click_shows "the report" $(( DX + 407 )) $(( DY + 515 )) $(( DX + 30 )) $(( DY + 80 )) 515 240
  kill "$voice" 2>/dev/null || true
  wait "$voice" 2>/dev/null || true

  # The report: each of the four rows in green ("正常"), none in red.
  wait_settled CheckDeviceWindow 574
  local row
  for row in 0 1 2 3; do
    awk -v v="$(share_of_colour '#00ff00' $(( DX + 30 )) $(( DY + 75 + row * 60 )) 280 50)" 'BEGIN { exit !(v > 0.004) }' ||
      fail "the report's row $(( row + 1 )) did not pass"
  done
  awk -v v="$(share_of_colour '#ff0000' $(( DX + 30 )) $(( DY + 75 )) 515 240)" 'BEGIN { exit !(v < 0.001) }' ||
    fail "the report listed a failed check"
  shot device-report
  click_at $(( DX + 392 )) $(( DY + 526 ))
  wait_window_gone CheckDeviceWindow 574
}

# The address to play a stream of the stream server whose name begins with
# this prefix (its statistics page tells the application); empty when none
# is published.
stream_address() {
  curl --noproxy '*' -s "$HTTP_BASE/stat" | python3 -c '
import sys, xml.etree.ElementTree as et
prefix, base = sys.argv[1], sys.argv[2]
try:
    root = et.fromstring(sys.stdin.read())
except et.ParseError:
    sys.exit(0)
for app in root.iter("application"):
    for stream in app.iter("stream"):
        name = stream.findtext("name") or ""
        if name.startswith(prefix) and name not in sys.argv[3:]:
            print("%s/%s/%s" % (base, app.findtext("name"), name))
            sys.exit(0)
' "$1" "$(sed -n 's#^studentStreams=\(rtmp://[^/]*\)/.*#\1#p' "$VELTORA_ENDPOINTS")" "${@:2}"
}
# Waits for a stream whose name begins with the prefix (and is none of the
# further names) and sets STREAM to its address.
wait_stream() {
  local what=$1 deadline=$(( SECONDS + STEP_SECONDS ))
  shift
  until STREAM=$(stream_address "$@") && [ -n "$STREAM" ]; do
    [ $SECONDS -lt $deadline ] || fail "$what did not reach the stream server"
    sleep 1
  done
}
# A video file plays: it lasts more than no time and its first picture
# decodes; the picture is kept beside the screenshots.
check_plays() {
  local what=$1 file=$2 duration frame
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$file" 2>/dev/null || true)
  awk -v d="${duration:-0}" 'BEGIN { exit !(d > 0) }' 2>/dev/null || fail "$what ($file) has no length"
  frame=$(printf '%s/veltora-%02d-%s.png' "$SHOTS_DIR" $(( ${#shots[@]} + 1 )) "$3")
  ffmpeg -nostdin -v error -y -i "$file" -frames:v 1 "$frame" && [ -s "$frame" ] ||
    fail "$what ($file) shows no picture"
  shots+=("$frame")
  echo "$what: $file, $duration s"
}

# --- The class's cloud recording: while it runs, the room's recording
# stream reaches the stream server, and what the server keeps of it plays.
cloud_recording() {
  wait_stream "the class's recording stream" liveRecord_
  ffmpeg -nostdin -v error -y -rw_timeout 8000000 -i "$STREAM" -t 4 -c copy "$WORK/cloud-recording.flv" ||
    fail "the class's recording stream could not be kept"
  check_plays "the cloud recording" "$WORK/cloud-recording.flv" cloud-recording-frame
}

# --- The broadcast settings window ("OBSSetting", 1057 x 765), which the
# room shows and hides with Ctrl+Shift+X: a local recording into the data
# folder's "record" folder that plays, and the desktop shared to the stream
# server.
toggle_broadcast_window() {
  # The shortcut belongs to the room window: its title bar, right of the
  # broadcast window, takes the keyboard first.
  click_at $(( RX + RW - 300 )) $(( RY + 17 ))
  xdotool key --clearmodifiers ctrl+shift+x
}
broadcast_window() {
  toggle_broadcast_window
  wait_window OBSSetting 1057 || fail "the broadcast settings window did not show"
  wait_settled OBSSetting 1057
  local BX=$WIN_X BY=$WIN_Y idle deadline
  local preview="$(( BX + 402 )) $(( BY + 9 )) 646 747"
  shot broadcast-window

  # "开始录制" records into the folder shown; "停止录制" ends the file.
  local folder="$XDG_DATA_HOME/VeltoraTea/record" file=""
  xdotool mousemove --sync $(( BX + 202 )) $(( BY + 730 ))
  idle=$(steady_pixels $(( BX + 20 )) $(( BY + 718 )) 364 24)
  click_shows "the local recording started" $(( BX + 202 )) $(( BY + 730 )) $(( BX + 20 )) $(( BY + 718 )) 364 24
  deadline=$(( SECONDS + STEP_SECONDS ))
  until file=$(find "$folder" -type f -size +100k 2>/dev/null | head -1) && [ -n "$file" ]; do
    [ $SECONDS -lt $deadline ] || fail "the local recording wrote no file into $folder"
    sleep 0.5
  done
  shot local-recording
  click_at $(( BX + 202 )) $(( BY + 730 ))
  wait_same "the local recording stopped" "$idle" $(( BX + 20 )) $(( BY + 718 )) 364 24
  check_plays "the local recording" "$file" local-recording-frame

  # The desktop shared: "开始推流" publishes the room window under a
  # stream name of its own, "桌面捕获" makes it the whole desktop; what
  # the stream server receives plays; "停止推流" ends it.
  xdotool mousemove --sync $(( BX + 202 )) $(( BY + 585 ))
  idle=$(steady_pixels $(( BX + 20 )) $(( BY + 573 )) 364 24)
  click_shows "the publishing started" $(( BX + 202 )) $(( BY + 585 )) $(( BX + 20 )) $(( BY + 573 )) 364 24
  wait_stream "the broadcast window's stream" liveTeacher_ "$stream"
  local shared=$STREAM
  click_shows "the list of sources" $(( BX + 300 )) $(( BY + 21 )) $(( BX + 200 )) $(( BY + 30 )) 190 100
  local before
  before=$(pixels $preview)
  xdotool key Home Down Return
  wait_changed "the desktop in the preview" "$before" $preview
  ffmpeg -nostdin -v error -y -rw_timeout 8000000 -i "$shared" -t 4 -c copy "$WORK/shared-desktop.flv" ||
    fail "the shared desktop's stream could not be read"
  shot desktop-shared
  check_plays "the shared desktop" "$WORK/shared-desktop.flv" shared-desktop-frame
  click_at $(( BX + 202 )) $(( BY + 585 ))
  wait_same "the publishing stopped" "$idle" $(( BX + 20 )) $(( BY + 573 )) 364 24
  deadline=$(( SECONDS + STEP_SECONDS ))
  while [ -n "$(stream_address "${shared##*/}")" ]; do
    [ $SECONDS -lt $deadline ] || fail "the shared desktop's stream did not end"
    sleep 0.5
  done
  toggle_broadcast_window
  wait_window_gone OBSSetting 1057
}

# --- Sign in with the demo teacher through the login window (371 x 526).
wait_window vtlogintea || fail "the login window did not show"
wait_settled vtlogintea
LX=$WIN_X LY=$WIN_Y
click_at $(( LX + 200 )) $(( LY + 215 ))
xdotool type --delay 20 13800138000
click_at $(( LX + 200 )) $(( LY + 267 ))
before=$(pixels $(( LX + 60 )) $(( LY + 250 )) 280 34)
xdotool type --delay 20 veltora123
wait_changed "the typed password" "$before" $(( LX + 60 )) $(( LY + 250 )) 280 34
shot login
click_at $(( LX + 185 )) $(( LY + 405 ))

# --- The home window (1000 x 680): the calendar of this month with today's
# lessons, the one on now first.
wait_window vtclasstea || fail "the home window did not show after signing in"
wait_settled vtclasstea
HX=$WIN_X HY=$WIN_Y HW=$WIN_W
# Today's lessons are listed when the lesson on now offers "进入直播"
# (a teal button).
wait_colour '#67c0ba' $(( HX + HW - 138 )) $(( HY + 100 )) 110 34 || fail "today's lesson was not listed"
shot home-calendar
# The next month, then back to today.
click_shows "the next month" $(( HX + 459 )) $(( HY + 81 )) $(( HX + 100 )) $(( HY + 60 )) 400 40
shot home-next-month
# The course page, then the group page with a group's messages.
click_shows "the course page" $(( HX + 34 )) $(( HY + 174 )) $(( HX + 72 )) $(( HY + 60 )) 920 600
shot home-courses
click_shows "the group page" $(( HX + 34 )) $(( HY + 305 )) $(( HX + 72 )) $(( HY + 60 )) 920 600
click_shows "the group's messages" $(( HX + 140 )) $(( HY + 170 )) $(( HX + 450 )) $(( HY + 60 )) 540 600
shot home-group
device_check
# Back to the calendar and today; enter today's class.
click_shows "the calendar" $(( HX + 34 )) $(( HY + 240 )) $(( HX + 72 )) $(( HY + 60 )) 920 600
click_shows "today" $(( HX + 194 )) $(( HY + 546 )) $(( HX + 100 )) $(( HY + 60 )) 400 40
click_at $(( HX + HW - 83 )) $(( HY + 117 ))

# --- The room window; entering asks whether to record ("开启录制生成回放").
wait_window vtmaintea || fail "the room window did not show"
if wait_window Form 394 15; then
  shot record-question
  click_at $(( WIN_X + 111 )) $(( WIN_Y + 162 ))
  wait_window_gone Form 394
fi
wait_settled vtmaintea
RX=$WIN_X RY=$WIN_Y RW=$WIN_W RH=$WIN_H

# The students come in by themselves; their tiles (the strip under the
# 35-pixel title bar) play their cameras: strong colours that move.
tile_colour() {
  import -display "$DISPLAY" -window root -crop "${RW}x115+${RX}+$(( RY + 35 ))" png:- 2>/dev/null |
    convert - -colorspace HSL -channel G -separate +channel -threshold 80% -format "%[fx:mean]" info: 2>/dev/null || echo 0
}
deadline=$(( SECONDS + STEP_SECONDS ))
until awk -v v="$(tile_colour)" 'BEGIN { exit !(v > 0.02) }'; do
  [ $SECONDS -lt $deadline ] || fail "no student tile showed pictures"
  kill -0 "$APP_PID" 2>/dev/null || fail "the program ended in the room"
  sleep 0.5
done
wait_changed "moving pictures in the tiles" "$(pixels "$RX" $(( RY + 35 )) "$RW" 115)" "$RX" $(( RY + 35 )) "$RW" 115
shot room-students

# The teacher's camera reaches the stream server: ffprobe reads its video.
deadline=$(( SECONDS + STEP_SECONDS ))
probed=""
while [ $SECONDS -lt $deadline ]; do
  stream=$(curl --noproxy '*' -s "$HTTP_BASE/stat" | sed -n 's/.*<name>\(liveTeacher[^<]*\)<\/name>.*/\1/p' | head -1)
  rtmp=$(sed -n 's/^studentStreams=//p' "$VELTORA_ENDPOINTS")
  if [ -n "$stream" ]; then
    probed=$(ffprobe -v error -rw_timeout 8000000 -select_streams v:0 -show_entries stream=codec_name,width,height \
      -of csv=p=0 "$rtmp$stream" 2>/dev/null || true)
    [ -n "$probed" ] && break
  fi
  sleep 1
done
[ -n "$probed" ] || fail "the teacher's stream did not reach the server"
echo "teacher's stream $stream: $probed"
cloud_recording

# A document from the room's course list ("课件管理"): opened with a double
# click, drawn on with the pen, its page turned.
BOARD="$(( RX + 200 )) $(( RY + 300 )) 1100 400"
PAGE="$(( RX + 30 )) $(( RY + RH - 98 )) 70 24"
click_shows "the document list" $(( RX + RW - 30 )) $(( RY + 141 )) $BOARD
shot document-list
before=$(pixels $PAGE)
xdotool mousemove --sync $(( RX + 548 )) $(( RY + 340 )) sleep 0.1 click --repeat 2 --delay 80 1
# Its pages counted ("1/2") when it is open.
wait_changed "the opened document" "$before" $PAGE
before=$(pixels $BOARD)
xdotool mousemove --sync $(( RX + 400 )) $(( RY + 400 )) mousedown 1
for i in $(seq 1 20); do xdotool mousemove --sync $(( RX + 400 + i * 20 )) $(( RY + 400 + i * 8 )); done
xdotool mouseup 1
wait_changed "the drawn line" "$before" $BOARD
shot document-drawn
click_shows "the next page" $(( RX + 102 )) $(( RY + RH - 86 )) $PAGE
shot document-next-page

# Chat: a line typed with an emoticon after it, sent at once (the chat
# refuses a second line sent soon after the first).
CHAT_LIST="$(( RX + 640 )) $(( RY + 380 )) 320 150"
CHAT_INPUT="$(( RX + 640 )) $(( RY + 620 )) 320 60"
click_shows "the chat" $(( RX + RW - 30 )) $(( RY + 338 )) $(( RX + 640 )) $(( RY + 250 )) 320 400
click_at $(( RX + 737 )) $(( RY + 638 ))
before=$(pixels $CHAT_INPUT)
xdotool type --delay 30 "Good evening, class "
wait_changed "the typed line" "$before" $CHAT_INPUT
click_shows "the emoticons" $(( RX + 665 )) $(( RY + 607 )) $(( RX + 660 )) $(( RY + 440 )) 300 160
click_shows "the chosen emoticon" $(( RX + 674 )) $(( RY + 454 )) $CHAT_INPUT
click_shows "the line sent" $(( RX + 919 )) $(( RY + 686 )) $CHAT_LIST
shot chat
click_shows "the chat closed" $(( RX + 945 )) $(( RY + 264 )) $(( RX + 640 )) $(( RY + 250 )) 320 400

# Recording stopped: the note "已停止录制".
wait_window_gone Toast
click_at $(( RX + 770 )) $(( RY + RH - 36 ))
wait_window Toast || fail "stopping the recording showed no note"
shot recording-stopped
broadcast_window

# Leave the room; the home window is back.
leave_room leave-question
shot home-again

# --- The live lesson of the spoken-English course (the second of today's
# lessons, "进入直播"): its interaction tools, each opened from the room's
# right-hand column and driven as the teacher drives them.
enter_live_lesson() {
  find_window vtclasstea || fail "the home window went"
  wait_colour '#67c0ba' $(( WIN_X + WIN_W - 138 )) $(( WIN_Y + 200 )) 110 34 || fail "today's live lesson was not listed"
  click_at $(( WIN_X + WIN_W - 83 )) $(( WIN_Y + 217 ))
  wait_window vtmaintea || fail "the live room did not show"
  # Not recorded this time: "不录制不生成回放".
  if wait_window Form 394 15; then
    click_at $(( WIN_X + 281 )) $(( WIN_Y + 162 ))
    wait_window_gone Form 394
  fi
  wait_settled vtmaintea
  RX=$WIN_X RY=$WIN_Y RW=$WIN_W RH=$WIN_H
  # The three students who come are listed under the teacher (their
  # round portraits), so the room is open for the tools.
  wait_until "the live room's students" has_colour '#a3d6d3' $(( RX + RW - 282 )) $(( RY + 250 )) 30 30
  shot live-room
}
# The interaction palette ("互动", the star) and one of its tools: the
# button's row (0 quiz, 2 countdown, 3 lottery).
open_interaction() {
  click_at $(( RX + RW - 31 )) $(( RY + 400 ))
  wait_window 互动 || fail "the interaction palette did not show"
  click_at $(( WIN_X + 117 )) $(( WIN_Y + 84 + $1 * 76 ))
}
# A quiz ("互动答题"): letters A to C with A right; the students answer
# A, B and A, so the statistics ("答题统计") end at A 2, B 1: the bar of A
# orange past its half, that of B grey to its third.
live_quiz() {
  open_interaction 0
  wait_window Form 404 || fail "the quiz panel did not show"
  local QX=$WIN_X QY=$WIN_Y
  click_shows "the letters" $(( QX + 142 )) $(( QY + 227 )) $(( QX + 30 )) $(( QY + 330 )) 250 40
  click_shows "the right answer" $(( QX + 41 )) $(( QY + 348 )) $(( QX + 30 )) $(( QY + 330 )) 250 40
  shot quiz-setup
  click_at $(( QX + 201 )) $(( QY + 469 ))
  wait_window Form 592 || fail "the quiz statistics did not show"
  QX=$WIN_X QY=$WIN_Y
  quiz_counted() {
    has_colour '#ff9933' $(( QX + 124 )) $(( QY + 57 )) 4 4 &&
      has_colour '#999999' $(( QX + 88 )) $(( QY + 109 )) 4 4 &&
      has_colour '#cccccc' $(( QX + 108 )) $(( QY + 109 )) 4 4
  }
  wait_until "the students' answers" quiz_counted
  shot quiz-statistics
  # "停止答题" ends it; the statistics close.
  click_at $(( QX + 295 )) $(( QY + 432 ))
  wait_window_gone Form 592
}
# A countdown ("计时器") of the preset five minutes: started, seen
# counting, stopped.
live_countdown() {
  open_interaction 2
  wait_window 计时器 || fail "the countdown did not show"
  local CX=$WIN_X CY=$WIN_Y
  shot countdown
  click_shows "the countdown running" $(( CX + 132 )) $(( CY + 214 )) $(( CX + 20 )) $(( CY + 200 )) 220 28
  # Twice: the running look moves the figures once, each second after.
  local digits="$(( CX + 20 )) $(( CY + 40 )) 220 100" i
  for i in 1 2; do wait_changed "the countdown counting" "$(pixels $digits)" $digits; done
  shot countdown-counting
  click_shows "the countdown stopped" $(( CX + 132 )) $(( CY + 214 )) $(( CX + 20 )) $(( CY + 200 )) 220 28
  click_at $(( CX + 237 )) $(( CY + 20 ))
  wait_window_gone 计时器
}
# A lottery ("幸运大抽奖") of two winners among the students online; the
# winners are listed ("幸运大抽奖统计"), then the draw is stopped.
live_lottery() {
  open_interaction 3
  wait_window 幸运大抽奖 || fail "the lottery did not show"
  local LX=$WIN_X LY=$WIN_Y
  click_at $(( LX + 235 )) $(( LY + 125 ))
  before=$(pixels $(( LX + 200 )) $(( LY + 110 )) 50 30)
  xdotool type --delay 30 2
  wait_changed "the number of winners" "$before" $(( LX + 200 )) $(( LY + 110 )) 50 30
  shot lottery
  click_at $(( LX + 201 )) $(( LY + 208 ))
  wait_window 幸运大抽奖统计 || fail "the lottery's results did not show"
  LX=$WIN_X LY=$WIN_Y
  wait_until "the winners" has_marks '#ffffff' $(( LX + 20 )) $(( LY + 143 )) 460 20
  shot lottery-winners
  click_at $(( LX + 350 )) $(( LY + 334 ))
  wait_window_gone 幸运大抽奖统计
}
# A notice ("公告", the loudspeaker): "发布公告" opens the editor; the
# notice published shows on the board.
live_notice() {
  click_at $(( RX + RW - 31 )) $(( RY + 466 ))
  wait_window Form 236 || fail "the notice board did not show"
  local BX=$WIN_X BY=$WIN_Y
  click_at $(( BX + 118 )) $(( BY + 180 ))
  wait_window Form 365 || fail "the notice editor did not show"
  local EX=$WIN_X EY=$WIN_Y
  click_at $(( EX + 182 )) $(( EY + 144 ))
  before=$(pixels $(( EX + 15 )) $(( EY + 35 )) 335 60)
  xdotool type --delay 30 "Homework: read unit 3 aloud"
  wait_changed "the notice typed" "$before" $(( EX + 15 )) $(( EY + 35 )) 335 60
  shot notice-editor
  before=$(pixels $(( BX + 10 )) $(( BY + 20 )) 210 120)
  click_at $(( EX + 125 )) $(( EY + 335 ))
  wait_window_gone Form 365
  wait_changed "the notice on the board" "$before" $(( BX + 10 )) $(( BY + 20 )) 210 120
  shot notice
}
# A product ("课程", the bag): the course's products listed, the first put
# up ("上架" becomes a teal "下架").
live_product() {
  click_at $(( RX + RW - 31 )) $(( RY + 532 ))
  wait_window 课程 350 || fail "the product list did not show"
  local PX=$WIN_X PY=$WIN_Y
  wait_colour '#f59a23' $(( PX + 150 )) $(( PY + 166 )) 80 14 || fail "the products were not listed"
  shot products
  click_at $(( PX + 192 )) $(( PY + 173 ))
  wait_colour '#67c0ba' $(( PX + 150 )) $(( PY + 166 )) 80 14 || fail "the product was not put up"
  shot product-up
}
enter_live_lesson
live_quiz
live_countdown
live_lottery
live_notice
live_product
leave_room
shot home-after-live

# Close the program from the home window.
click_at $(( WIN_X + 960 )) $(( WIN_Y + 24 ))
wait_ended "the program did not end when closed"

# --- A newer release on the update server: the next start offers it over
# the login window; "立即更新" hands over to the updater, whose "进入体验"
# starts the new Veltora.
VELTORA_UPDATE=newer tools/services.sh start "$INSTALL_DIR/bin/32bit"
cp "$SERVICES/installed-ver" "$XDG_DATA_HOME/VeltoraTea/ver"
"$VELTORA" >>"$LOG" 2>&1 &
APP_PID=$!
wait_window vtlogintea || fail "the login window did not show again"
wait_window Form 311 || fail "no update was offered"
wait_settled Form 311
shot update-offered
click_at $(( WIN_X + 233 )) $(( WIN_Y + 314 ))
wait_ended "the program did not end for the update"
# The updater (its copy "KorvanelTmp"): a window of 500 x 400, its
# "进入体验" (orange) once the installation is complete.
deadline=$(( SECONDS + STEP_SECONDS ))
until APP_PID=$(pgrep -n -f -x "$INSTALL_DIR/KorvanelTmp"); do
  [ $SECONDS -lt $deadline ] || fail "the updater did not start"
  sleep 0.2
done
until geometry=$(xwininfo -root -children 2>/dev/null | grep -o ' 500x400+[0-9]*+[0-9]*' | head -1) && [ -n "$geometry" ]; do
  [ $SECONDS -lt $deadline ] || fail "the updater's window did not show"
  kill -0 "$APP_PID" 2>/dev/null || fail "the updater ended without a window"
  sleep 0.2
done
UX=$(cut -d+ -f2 <<<"$geometry") UY=$(cut -d+ -f3 <<<"$geometry")
wait_colour '#f6b03d' $(( UX + 210 )) $(( UY + 357 )) 80 20 || fail "the updater did not complete the installation"
shot updater-complete
[ -f "$INSTALL_DIR/bin/32bit/release-notes.txt" ] || fail "the update did not install the new release's file"
click_at $(( UX + 249 )) $(( UY + 367 ))
wait_ended "the updater did not end"
until APP_PID=$(pgrep -n -f -x "$VELTORA"); do
  [ $SECONDS -lt $deadline ] || fail "the new Veltora did not start"
  sleep 0.2
done
wait_window vtlogintea || fail "the new Veltora showed no login window"
wait_settled vtlogintea
# The new release is the installed one: nothing more is offered.
if wait_window Form 311 5; then fail "the update was offered again after installing it"; fi
shot new-veltora
click_at $(( WIN_X + 352 )) $(( WIN_Y + 20 ))
deadline=$(( SECONDS + STEP_SECONDS ))
while kill -0 "$APP_PID" 2>/dev/null; do
  [ $SECONDS -lt $deadline ] || fail "the new Veltora did not end when its login window closed"
  sleep 0.2
done
APP_PID=
finish 0
