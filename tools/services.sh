#!/usr/bin/env bash
# Local services for running Veltora on one machine: a private nginx on
# loopback with its RTMP module (application "video" for the room's streams)
# and an HTTP site serving every document the program fetches (media lines,
# live configuration, speed-test document, group pictures, update documents,
# download and playback pages) and answering its uploads (documents,
# whiteboard pictures, log archives, snapshots, reports) through
# tools/upload-service.py, plus an endpoints file that points every server
# role at them.
#   tools/services.sh start <program folder>   writes <program folder>/endpoints.ini
#   tools/services.sh stop
#   tools/services.sh status
# VELTORA_SERVICES_DIR holds their state (default: out/services).
# The update server describes the installed build; <state>/installed-ver
# is that build's manifest as the updater records it in the data folder
# ("ver") after installing it, under the program's own version.
# VELTORA_UPDATE chooses what the server offers:
#   current   (default) the installed build is the latest release
#   newer     a newer release (the same build and one added file) is offered
#   required  that newer release is required
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
STATE=${VELTORA_SERVICES_DIR:-$ROOT/out/services}
PIDFILE="$STATE/nginx.pid"
UPLOAD_PIDFILE="$STATE/upload-service.pid"

# The version the program reports of itself (the home window's "版本更新").
program_version() {
  local v
  v=$(sed -n 's/^const char kAppVersion\[\] = "\([0-9.]*\)";.*/\1/p' "$ROOT/home/ClassListUpdate.cpp")
  [ -n "$v" ] || { echo "services: the program's version is not found in home/ClassListUpdate.cpp" >&2; exit 1; }
  echo "$v"
}

# A PNG of one colour (width, height, RRGGBB, file), for the group pictures.
solid_png() {
  python3 - "$@" <<'PY'
import struct, sys, zlib
w, h, colour, out = int(sys.argv[1]), int(sys.argv[2]), bytes.fromhex(sys.argv[3]), sys.argv[4]
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
rows = b"".join(b"\0" + colour * w for _ in range(h))
with open(out, "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
PY
}

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

# The live configuration travels as Base64 of its bytes raised by 3.
encode_config() {
  python3 -c 'import base64,sys; print(base64.b64encode(bytes((b+3)%256 for b in sys.argv[1].encode())).decode())' "$1"
}

# The update documents for the installation under <root>, laid out as the
# update server serves them: /version/<app>, /latest/<app> (the manifest)
# and /store/cached/<sha1>. The installed build is the release of the
# program's own version; a newer release (mode "newer" or "required") is the
# same build under a version that grows with the clock, with one added file.
publish_update() {
  python3 - "$1" "$2" "$3" "$4" "$5" <<'PY'
import hashlib, json, os, sys, time
root, html, mode, installed_ver, installed = os.path.realpath(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
app = "VeltoraTea"
skip = {"KorvanelTmp", os.path.join("bin", "32bit", "endpoints.ini")}
files = {}
if os.path.isdir(root):
    for folder, dirs, names in os.walk(root):
        dirs[:] = [d for d in dirs if not d.lower().startswith("log")]
        for name in names:
            rel = os.path.relpath(os.path.join(folder, name), root)
            if rel not in skip:
                with open(os.path.join(folder, name), "rb") as f:
                    files[rel] = f.read()
os.makedirs(os.path.join(html, "store", "cached"), exist_ok=True)

def manifest(version, files):
    entries = []
    for rel, data in sorted(files.items()):
        digest = hashlib.sha1(data).hexdigest()
        with open(os.path.join(html, "store", "cached", digest), "wb") as f:
            f.write(data)
        entries.append({"path": rel.replace(os.sep, "\\"), "size": len(data), "digest": digest})
    return {"version": version, "files": entries}

current = manifest(installed, files)
with open(installed_ver, "w") as f:
    json.dump(current, f)
if mode == "current":
    latest, minimum = current, "1.0.0"
else:
    now = int(time.time())
    major = int(installed.split(".")[0]) + 1
    version = "%d.%d.%d" % (major, now // 86400, now % 86400)
    files[os.path.join("bin", "32bit", "release-notes.txt")] = ("Veltora %s\n" % version).encode()
    latest = manifest(version, files)
    minimum = version if mode == "required" else "1.0.0"
for sub, body in (("version", {"latest-version": latest["version"] + ".json", "minimum-required": minimum}),
                  ("latest", latest)):
    os.makedirs(os.path.join(html, sub), exist_ok=True)
    with open(os.path.join(html, sub, app), "w") as f:
        json.dump(body, f)
print("update server (%s): latest %s, %d files; installed %s" % (mode, latest["version"], len(latest["files"]), installed))
PY
}

stop() {
  if [ -f "$PIDFILE" ]; then
    pid=$(cat "$PIDFILE")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$PIDFILE"
  fi
  if [ -f "$UPLOAD_PIDFILE" ]; then
    kill "$(cat "$UPLOAD_PIDFILE")" 2>/dev/null || true
    rm -f "$UPLOAD_PIDFILE"
  fi
}

start() {
  local program_dir=${1:?program folder}
  stop
  # The logs tell of this run only.
  rm -rf "$STATE/logs" "$STATE/uploads"
  mkdir -p "$STATE"/{html/pc,html/rqs,html/mirror,html/logo,html/live,html/version,html/latest,html/store/cached,logs,tmp}
  local http_port rtmp_port upload_port version
  version=$(program_version)
  http_port=$(free_port)
  rtmp_port=$(free_port)
  upload_port=$(free_port)
  local host="127.0.0.1:$rtmp_port"
  cat >"$STATE/html/pc/TeaMediaLine.json" <<JSON
{"mediaLine":[
 {"key":"local","title":"本机线路","pushUrl":"$host","pullUrl":"$host","deskTopPushUrl":"$host","deskTopPullUrl":"$host","default":true},
 {"key":"local2","title":"本机备用线路","pushUrl":"$host","pullUrl":"$host","deskTopPushUrl":"$host","deskTopPullUrl":"$host"}
]}
JSON
  cp "$STATE/html/pc/TeaMediaLine.json" "$STATE/html/pc/TestTeaMediaLine.json"
  encode_config '{"layout":"1","showUserNumByChat":"1","openSyncLive":"0"}' >"$STATE/html/rqs/liveconfig"
  echo '<html><body>Veltora</body></html>' >"$STATE/html/download_pc.html"
  echo '<html><body>Veltora playback</body></html>' >"$STATE/html/live/index.html"
  echo "{\"version\":\"$version\"}" >"$STATE/html/pc/pcupdate.json"
  # The speed test times any answer; 16 KiB as a small mirror file.
  head -c 16384 /dev/zero >"$STATE/html/mirror/xspeed"
  # The demo school's groups: the room's logo and the whiteboard background.
  # The program asks for "<base>/logo//mainlogo_<group>.png"; nginx merges
  # the slashes.
  for group in 301 302; do
    solid_png 120 40 2a7fd4 "$STATE/html/logo/mainlogo_$group.png"
    solid_png 320 180 f4f1e8 "$STATE/html/logo/wbbk1_$group.png"
    solid_png 64 64 2a7fd4 "$STATE/html/logo/$group.png"
  done
  local update_mode=${VELTORA_UPDATE:-current}
  case "$update_mode" in
    current|newer|required) ;;
    *) echo "VELTORA_UPDATE must be current, newer or required (not '$update_mode')" >&2; exit 2;;
  esac
  publish_update "$program_dir/../.." "$STATE/html" "$update_mode" "$STATE/installed-ver" "$version"

  local base="http://127.0.0.1:$http_port"
  python3 "$ROOT/tools/upload-service.py" "$upload_port" "$STATE" "$base" >>"$STATE/logs/upload-service.log" 2>&1 &
  echo $! >"$UPLOAD_PIDFILE"

  local module=/usr/lib/nginx/modules/ngx_rtmp_module.so
  cat >"$STATE/nginx.conf" <<CONF
load_module $module;
worker_processes 1;
pid $PIDFILE;
error_log $STATE/logs/error.log warn;
events { worker_connections 256; }
http {
  access_log $STATE/logs/access.log;
  client_body_temp_path $STATE/tmp/body;
  proxy_temp_path $STATE/tmp/proxy;
  fastcgi_temp_path $STATE/tmp/fcgi;
  uwsgi_temp_path $STATE/tmp/uwsgi;
  scgi_temp_path $STATE/tmp/scgi;
  types { application/json json; text/html html; }
  default_type application/octet-stream;
  client_max_body_size 512m;
  server {
    listen 127.0.0.1:$http_port;
    root $STATE/html;
    # The RTMP server's streams, as XML (who publishes what).
    location = /stat { rtmp_stat all; }
    location ~ ^/+(upload|classpreupload|classupload|teacherpreupload|teacherwebupload|dumpupload|shadow|openapi/) {
      proxy_pass http://127.0.0.1:$upload_port;
      proxy_request_buffering off;
    }
  }
}
rtmp {
  server {
    listen 127.0.0.1:$rtmp_port;
    chunk_size 4096;
    application video { live on; record off; publish_notify on; play_restart on; }
    application live { live on; record off; publish_notify on; play_restart on; }
  }
}
CONF
  nginx -p "$STATE" -c "$STATE/nginx.conf" -e "$STATE/logs/error.log"
  for _ in $(seq 50); do [ -f "$PIDFILE" ] && break; sleep 0.1; done
  for _ in $(seq 50); do
    python3 -c 'import socket,sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1)' "$upload_port" \
      2>/dev/null && break
    sleep 0.1
  done

  mkdir -p "$program_dir"
  {
    echo "[production]"
    for role in config web room cms docs mirror live snapshot report log dump files monitor update; do
      echo "$role=$base"
    done
    echo "[test]"
    for role in config room cms docs mirror live snapshot report log dump files monitor update; do
      echo "$role=$base"
    done
    # The client library's simulated students publish their cameras here.
    echo "[demo]"
    echo "studentStreams=rtmp://$host/video/"
  } >"$program_dir/endpoints.ini"
  echo "services: http $base  rtmp rtmp://$host  (state in $STATE)"
}

case "${1:-}" in
  start) start "${2:-}";;
  stop) stop;;
  status) [ -f "$PIDFILE" ] && kill -0 "$(cat "$PIDFILE")" 2>/dev/null && echo running || echo stopped;;
  *) echo "usage: $0 start <program folder> | stop | status" >&2; exit 2;;
esac
