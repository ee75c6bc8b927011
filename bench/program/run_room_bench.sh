#!/usr/bin/env bash
# The whole program in today's class of the demo school, driven by clicks
# on a private Xvfb with the local services: four students' cameras played
# in their tiles, the teacher's camera published, and the cloud recording
# on (the room window captured, published at 1920 x 1080). Measured over a
# window of some seconds once all of that runs: CPU (user + system seconds
# per wall second of the process tree) and peak resident memory.
# The students publish from inside the program (the demo client library
# simulates them with the push library); their share is measured alone in
# the same run (bench_student_pushes) and taken off the program's figure.
# The demo data set's fourth student, who never comes to the class, comes
# here (the program's own switch VELTORA_CLIENTLIB_DATA names the copy).
# Reference, in the same run and for as long: the ffmpeg CLI doing the same
# media work on the same nginx: four players (ffplay) reading four students'
# streams (published by ffmpeg outside both trees at the students' size,
# rate and bit rate) and showing them where the program showed its
# students' tiles, over a still picture of the program's room taken in the
# same round (shown outside both trees), so that the screen recorded holds
# what the program's did; one encoder publishing the teacher's camera size
# and bit rate; and one grabbing the screen, publishing it at 1920 x 1080
# with the recording's settings and recording it into a file.
#   bench/program/run_room_bench.sh [--seconds N (45)] [--rounds N (3)] [--build DIR (build)]
#   bench/program/run_room_bench.sh --memory [--seconds N (600)]
#       one program run sampling its resident memory every 5 s: start, end,
#       peak and slope.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$(pwd)
SECONDS_RUN=""
ROUNDS=3
BUILD=build
MEMORY=0
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) SECONDS_RUN=$2; shift 2;;
    --rounds) ROUNDS=$2; shift 2;;
    --build) BUILD=$2; shift 2;;
    --memory) MEMORY=1; shift;;
    *) echo "usage: $0 [--seconds N] [--rounds N] [--build DIR] [--memory]" >&2; exit 2;;
  esac
done
if [ -z "$SECONDS_RUN" ]; then
  if [ "$MEMORY" = 1 ]; then SECONDS_RUN=600; else SECONDS_RUN=45; fi
fi
STEP_SECONDS=90
WARMUP=5
STUDENTS_BENCH="$BUILD/bench/program/bench_student_pushes"
for tool in Xvfb xdotool import convert display ffmpeg ffplay ffprobe curl python3; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing" >&2; exit 1; }
done
[ -x "$STUDENTS_BENCH" ] || { echo "bench: build bench_student_pushes first (/work/bld.sh or ninja)" >&2; exit 1; }

source bench/program/session.sh
REF_PIDS=()
ROOM_PICTURE=
stop_reference() {
  local pid
  if [ -n "$ROOM_PICTURE" ]; then kill "$ROOM_PICTURE" 2>/dev/null || true; wait "$ROOM_PICTURE" 2>/dev/null || true; fi
  ROOM_PICTURE=
  for pid in "${REF_PIDS[@]:-}"; do [ -n "$pid" ] && kill -INT "$pid" 2>/dev/null || true; done
  for pid in "${REF_PIDS[@]:-}"; do [ -n "$pid" ] && wait "$pid" 2>/dev/null || true; done
  REF_PIDS=()
}
EXTRA_CLEANUP=stop_reference
begin_session
# The demo school's class, with the student who never comes (joining -1)
# joining like the others: four students in the room.
python3 - "$ROOT/libs/clientlib/data/demo_school.json" "$work/school.json" <<'PY2'
import json, sys
school = json.load(open(sys.argv[1], encoding="utf-8"))
for i, student in enumerate(school["students"]):
    if student.get("joinAfterMs", 0) < 0:
        student["joinAfterMs"] = 800 + 400 * i
json.dump(school, open(sys.argv[2], "w", encoding="utf-8"), ensure_ascii=False)
PY2
export VELTORA_CLIENTLIB_DATA="$work/school.json"
HTTP_BASE=$(sed -n 's/^config=//p' "$VELTORA_ENDPOINTS" | head -1)
RTMP_BASE=$(sed -n 's/^studentStreams=//p' "$VELTORA_ENDPOINTS")
TICKS=$(getconf CLK_TCK)

# --- Processes: CPU ticks and memory of a tree, read from /proc.
tree_pids() {
  local pid=$1 child
  echo "$pid"
  for child in $(ps -o pid= --ppid "$pid" 2>/dev/null); do tree_pids "$child"; done
}
# user + system ticks of the processes given.
ticks_of() {
  local pid sum=0 t
  for pid in "$@"; do
    t=$(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null | awk '{ print $12 + $13 }') || t=0
    sum=$(( sum + ${t:-0} ))
  done
  echo "$sum"
}
# kB of a /proc status field (VmRSS, VmHWM), summed over the processes given.
status_kb() {
  local field=$1 pid sum=0 v
  shift
  for pid in "$@"; do
    v=$(awk -v f="$field:" '$1 == f { print $2 }' "/proc/$pid/status" 2>/dev/null) || v=0
    sum=$(( sum + ${v:-0} ))
  done
  echo "$sum"
}
load1() { cut -d' ' -f1 /proc/loadavg; }

# Measures the process trees under the pids given for SECONDS_RUN seconds
# from now; sets CPU (seconds per wall second) and PEAK_MB (the sum of
# their peak resident sets). With MEMORY, also samples the resident set
# every 5 s into RSS_SAMPLES ("seconds kB" lines).
measure() {
  local pids t0 t1 c0 c1 end now p
  local -a part0=()
  pids=$(for p in "$@"; do tree_pids "$p"; done)
  c0=$(ticks_of $pids)
  for p in "$@"; do part0+=("$(ticks_of $(tree_pids "$p"))"); done
  t0=$(now_ms)
  end=$(( SECONDS + SECONDS_RUN ))
  RSS_SAMPLES=""
  while [ $SECONDS -lt $end ]; do
    if [ "$MEMORY" = 1 ]; then
      now=$(( ($(now_ms) - t0) / 1000 ))
      RSS_SAMPLES+="$now $(status_kb VmRSS $pids)"$'\n'
      sleep 5
    else
      sleep 1
    fi
    for p in "$@"; do kill -0 "$p" 2>/dev/null || fail "a measured process ended (see $work)"; done
  done
  pids=$(for p in "$@"; do tree_pids "$p"; done)
  c1=$(ticks_of $pids)
  t1=$(now_ms)
  PARTS=()
  local i=0
  for p in "$@"; do
    PARTS+=("$(awk -v c=$(( $(ticks_of $(tree_pids "$p")) - part0[i] )) -v hz="$TICKS" -v ms=$(( t1 - t0 )) \
      'BEGIN { printf "%.3f", c / hz / (ms / 1000) }')")
    i=$(( i + 1 ))
  done
  PEAK_MB=$(awk -v k="$(status_kb VmHWM $pids)" 'BEGIN { printf "%.0f", k / 1024 }')
  CPU=$(awk -v c=$(( c1 - c0 )) -v hz="$TICKS" -v ms=$(( t1 - t0 )) 'BEGIN { printf "%.3f", c / hz / (ms / 1000) }')
}

# --- The RTMP server's streams: "name clients publishing" lines.
streams() {
  curl --noproxy '*' -s "$HTTP_BASE/stat" | python3 -c '
import sys, xml.etree.ElementTree as ET
try:
    root = ET.fromstring(sys.stdin.read())
except ET.ParseError:
    sys.exit(0)
for s in root.iter("stream"):
    print(s.findtext("name"), s.findtext("nclients") or "0", "1" if s.find("publishing") is not None else "0")'
}
# Waits until at least count streams whose names match the pattern are
# published and each has at least clients clients (the publisher counts).
wait_streams() {
  local pattern=$1 count=$2 clients=$3 deadline=$(( SECONDS + STEP_SECONDS ))
  until [ "$(streams | awk -v p="$pattern" -v c="$clients" '$1 ~ p && $2 >= c && $3 == 1' | wc -l)" -ge "$count" ]; do
    [ $SECONDS -lt $deadline ] || fail "no $count streams $pattern with $clients clients: $(streams | tr '\n' ' ')"
    if [ -n "$APP_PID" ]; then kill -0 "$APP_PID" 2>/dev/null || fail "the program ended in the room"; fi
    sleep 1
  done
}
# "width height" of a stream's video (empty when it cannot be read).
video_size() {
  { ffprobe -v error -rw_timeout 8000000 -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x \
    "$RTMP_BASE$1" 2>/dev/null || true; } | head -1 | tr x ' '
}

# --- The program: sign in, enter today's class, answer the recording
# question "开启录制生成回放", and wait until the four students play, the
# teacher's camera and the recording are published. Sets TEACHER_SIZE.
program_in_room() {
  fresh_home
  "$VELTORA" >>"$work/veltora.log" 2>&1 &
  APP_PID=$!
  wait_window vtlogintea || fail "the login window did not show"
  type_credentials
  click_at "$LOGIN_X" "$LOGIN_Y"
  wait_window vtclasstea || fail "the home window did not show"
  wait_settled vtclasstea
  wait_todays_lesson
  click_at "$ENTER_X" "$ENTER_Y"
  wait_window vtmaintea || fail "the room window did not show"
  wait_window Form 394 30 || fail "the recording question was not asked"
  click_at $(( WIN_X + 111 )) $(( WIN_Y + 162 ))
  wait_window_gone Form 394
  # A student's stream with two clients: the student and the program.
  wait_streams '^stu_' 4 2
  wait_streams '^liveTeacher' 1 1
  wait_streams '^liveRecord' 1 1
  local teacher record
  teacher=$(streams | awk '$1 ~ /^liveTeacher/ { print $1; exit }')
  record=$(streams | awk '$1 ~ /^liveRecord/ { print $1; exit }')
  TEACHER_SIZE=$(video_size "$teacher")
  RECORD_SIZE=$(video_size "$record")
  [ -n "$TEACHER_SIZE" ] && [ -n "$RECORD_SIZE" ] || fail "the teacher's streams could not be read"
  find_tiles
}

# The room as the program shows it ($work/room.png) and the place of its
# four students' tiles, side by side right under the 36-pixel title strip:
# TILE_X, TILE_Y (the first tile's corner), TILE_W and TILE_H (4:3). The
# tiles are the only colourful part of the rows under the strip (the
# students' colour bars).
find_tiles() {
  local top first last
  find_window vtmaintea || fail "the room window went"
  top=$(( WIN_Y + 40 ))
  import -window root "$work/room.png"
  read -r first last < <(convert "$work/room.png" -crop "$(( WIN_W - 80 ))x110+$WIN_X+$top" +repage \
    -colorspace HSL -channel G -separate +channel -scale "$(( WIN_W - 80 ))x1!" -threshold 30% txt:- |
    awk -F'[,: ]+' 'NR > 1 && /gray\(255\)|white/ { if (f == "") f = $1; l = $1 } END { print f, l }')
  [ -n "$first" ] && [ $(( last - first )) -ge 200 ] || fail "the students' tiles were not found on the screen"
  TILE_X=$(( WIN_X + first )) TILE_W=$(( (last - first + 4) / 4 ))
  TILE_H=$(( TILE_W * 3 / 4 )) TILE_Y=$(( WIN_Y + 36 ))
}

# The bit rate (kbit/s) the program's push gives a camera of this width.
camera_kbps() {
  case "$1" in 320) echo 300;; 640) echo 600;; 1280) echo 1200;; *) echo 2000;; esac
}

# --- The reference's work, started in the background (REF_PIDS; the
# students' publishers first, outside the measured trees).
STUDENT_PUBS=()
start_student_publishers() {
  local i
  for i in 0 1 2 3; do
    ffmpeg -nostdin -loglevel error -re -f lavfi -i "testsrc2=size=320x240:rate=15" -re -f lavfi \
      -i "sine=frequency=$(( 330 + 55 * i )):sample_rate=48000" -c:v libx264 -preset veryfast -tune zerolatency \
      -b:v 300k -maxrate 300k -bufsize 300k -g 31 -c:a aac -b:a 48k -ac 1 -f flv "${RTMP_BASE}ref_stu$i" \
      >/dev/null 2>>"$work/ffmpeg.log" &
    STUDENT_PUBS+=($!)
  done
  REF_PIDS+=("${STUDENT_PUBS[@]}")
}
REF_WORK=()
start_reference_work() {
  local i w h kbps
  display -immutable -geometry +0+0 "$work/room.png" >/dev/null 2>&1 &
  ROOM_PICTURE=$!
  sleep 1
  for i in 0 1 2 3; do
    ffplay -loglevel error -nostats -noborder -left $(( TILE_X + i * TILE_W )) -top "$TILE_Y" -x "$TILE_W" \
      -y "$TILE_H" "${RTMP_BASE}ref_stu$i" >/dev/null 2>>"$work/ffmpeg.log" &
    REF_WORK+=($!)
  done
  read -r w h <<<"$TEACHER_SIZE"
  kbps=$(camera_kbps "$w")
  ffmpeg -nostdin -loglevel error -re -f lavfi -i "testsrc=size=${w}x$h:rate=15" -re -f lavfi \
    -i "anullsrc=r=48000:cl=mono" -c:v libx264 -preset veryfast -tune zerolatency -b:v "${kbps}k" \
    -maxrate "${kbps}k" -bufsize "${kbps}k" -g 31 -c:a aac -b:a 64k -f flv "${RTMP_BASE}ref_teacher" \
    >/dev/null 2>>"$work/ffmpeg.log" &
  REF_WORK+=($!)
  read -r w h <<<"$RECORD_SIZE"
  ffmpeg -nostdin -loglevel error -f x11grab -framerate 15 -i "$DISPLAY" -f lavfi -i "anullsrc=r=48000:cl=mono" \
    -vf "scale=$w:$h,format=yuv420p" -c:v libx264 -preset veryfast -tune zerolatency -b:v 2048k -maxrate 2048k \
    -bufsize 2048k -g 31 -c:a aac -b:a 96k -ac 1 -f tee -map 0:v -map 1:a \
    "[f=flv]${RTMP_BASE}ref_record|[f=mp4:movflags=frag_keyframe+empty_moov]$work/ref_record.mp4" \
    >/dev/null 2>>"$work/ffmpeg.log" &
  REF_WORK+=($!)
  REF_PIDS+=("${REF_WORK[@]}")
}

if [ "$MEMORY" = 1 ]; then
  program_in_room
  sleep "$WARMUP"
  echo "measuring the program's memory for $SECONDS_RUN s (load $(load1) on $(nproc) processors)" >&2
  measure "$APP_PID"
  stop_app
  awk -v peak="$PEAK_MB" '
    NF == 2 { n++; t[n] = $1; k[n] = $2; if ($2 > max) max = $2 }
    END {
      if (n < 3) { print "too few samples"; exit 1 }
      for (i = 1; i <= n; i++) { st += t[i]; sk += k[i] }
      mt = st / n; mk = sk / n
      for (i = 1; i <= n; i++) { num += (t[i] - mt) * (k[i] - mk); den += (t[i] - mt) ^ 2 }
      slope = den > 0 ? num / den * 60 : 0
      printf "%-40s %8.1f MB\n", "resident memory at the start", k[1] / 1024
      printf "%-40s %8.1f MB\n", "resident memory at the end", k[n] / 1024
      printf "%-40s %8.1f MB (high-water mark %d MB)\n", "largest sample", max / 1024, peak
      printf "%-40s %+8.2f MB per minute over %d samples (%.0f s)\n", "slope (least squares)", slope / 1024, n, t[n]
    }' <<<"$RSS_SAMPLES"
  exit 0
fi

printf '%-6s %9s %9s %9s %9s %7s %9s %9s %6s\n' round program students "prog-stu" reference ratio "prog MB" "ref MB" load
prog_all="" net_all="" ref_all="" ratio_all="" pmb_all="" rmb_all=""
for round in $(seq "$ROUNDS"); do
  program_in_room
  sleep "$WARMUP"
  l0=$(load1)
  measure "$APP_PID"
  prog=$CPU prog_mb=$PEAK_MB
  stop_app

  # The simulated students alone, as long.
  students=$(awk -v s="$("$STUDENTS_BENCH" "$RTMP_BASE" "$SECONDS_RUN" 2>>"$work/students.log")" -v n="$SECONDS_RUN" 'BEGIN { printf "%.3f", s / n }')

  start_student_publishers
  wait_streams '^ref_stu' 4 1
  start_reference_work
  wait_streams '^ref_stu' 4 2
  wait_streams '^ref_(teacher|record)$' 2 1
  sleep "$WARMUP"
  import -window root "$work/reference-screen.png"
  cp "$work/room.png" /tmp/veltora-room-bench-program.png
  cp "$work/reference-screen.png" /tmp/veltora-room-bench-reference.png
  measure "${REF_WORK[@]}"
  ref=$CPU ref_mb=$PEAK_MB
  ref_parts="four players $(awk -v a="${PARTS[0]}" -v b="${PARTS[1]}" -v c="${PARTS[2]}" -v d="${PARTS[3]}" \
    'BEGIN { printf "%.3f", a + b + c + d }'), camera encoder ${PARTS[4]}, screen encoder and file ${PARTS[5]}"
  [ -s "$work/ref_record.mp4" ] || fail "the reference recorded nothing"
  stop_reference
  REF_WORK=() STUDENT_PUBS=()
  rm -f "$work/ref_record.mp4"
  l1=$(load1)

  net=$(awk -v p="$prog" -v s="$students" 'BEGIN { printf "%.3f", p - s }')
  ratio=$(awk -v n="$net" -v r="$ref" 'BEGIN { printf "%.2f", (r > 0) ? n / r : 0 }')
  printf '%-6s %9s %9s %9s %9s %7s %9s %9s %6s\n' "$round" "$prog" "$students" "$net" "$ref" "${ratio}x" \
    "$prog_mb" "$ref_mb" "$l0/$l1"
  prog_all+=" $prog" net_all+=" $net" ref_all+=" $ref" ratio_all+=" $ratio" pmb_all+=" $prog_mb" rmb_all+=" $ref_mb"
done
median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo
echo "CPU: user + system seconds per wall second of each process tree, over $SECONDS_RUN s after $WARMUP s of warm-up;"
echo "students: the four simulated students' pushes alone (inside the program), taken off as prog-stu;"
echo "memory: peak resident set (sum over the tree); load: 1-minute load before/after ($(nproc) processors)."
echo "the screens recorded (last round): /tmp/veltora-room-bench-program.png, /tmp/veltora-room-bench-reference.png"
echo "teacher's camera $TEACHER_SIZE, recording $RECORD_SIZE; the reference's parts (last round, CPU/s): $ref_parts"
printf 'median of %s rounds: program %s (net %s) vs reference %s CPU/s: %sx (target <= 0.8x); peak %s MB vs %s MB\n' \
  "$ROUNDS" "$(median <<<"$prog_all")" "$(median <<<"$net_all")" "$(median <<<"$ref_all")" \
  "$(median <<<"$ratio_all")" "$(median <<<"$pmb_all")" "$(median <<<"$rmb_all")"
