#!/usr/bin/env bash
# Local services for running Veltora on one machine: a private nginx on
# loopback with its RTMP module (application "video" for the room's streams)
# and an HTTP site serving the documents the program fetches (media lines,
# live configuration, update documents, download page), plus an endpoints
# file that points every server role at them.
#   tools/services.sh start <program folder>   writes <program folder>/endpoints.ini
#   tools/services.sh stop
#   tools/services.sh status
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
STATE="$ROOT/out/services"
PIDFILE="$STATE/nginx.pid"

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

# The live configuration travels as Base64 of its bytes raised by 3.
encode_config() {
  python3 -c 'import base64,sys; print(base64.b64encode(bytes((b+3)%256 for b in sys.argv[1].encode())).decode())' "$1"
}

# An update for the installation under <root>: the same build under a newer
# version (one that grows with the clock, so every start offers it), with
# one added file, published as the update server lays it out:
# /version/<app>, /latest/<app> (the manifest) and /store/cached/<sha1>.
publish_update() {
  python3 - "$1" "$2" <<'PY'
import hashlib, json, os, sys, time
root, html = os.path.realpath(sys.argv[1]), sys.argv[2]
app = "VeltoraTea"
now = int(time.time())
version = "2.%d.%d" % (now // 86400, now % 86400)
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
files[os.path.join("bin", "32bit", "release-notes.txt")] = ("Veltora %s\n" % version).encode()
entries = []
os.makedirs(os.path.join(html, "store", "cached"), exist_ok=True)
for rel, data in sorted(files.items()):
    digest = hashlib.sha1(data).hexdigest()
    with open(os.path.join(html, "store", "cached", digest), "wb") as f:
        f.write(data)
    entries.append({"path": rel.replace(os.sep, "\\"), "size": len(data), "digest": digest})
for sub, body in (("version", {"latest-version": version + ".json", "minimum-required": "1.0.0"}),
                  ("latest", {"version": version, "files": entries})):
    os.makedirs(os.path.join(html, sub), exist_ok=True)
    with open(os.path.join(html, sub, app), "w") as f:
        json.dump(body, f)
print("update %s: %d files" % (version, len(entries)))
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
}

start() {
  local program_dir=${1:?program folder}
  stop
  mkdir -p "$STATE"/{html/pc,html/rqs,html/version,html/latest,html/store/cached,logs,tmp}
  local http_port rtmp_port
  http_port=$(free_port)
  rtmp_port=$(free_port)
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
  publish_update "$program_dir/../.." "$STATE/html"

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
  server {
    listen 127.0.0.1:$http_port;
    root $STATE/html;
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

  local base="http://127.0.0.1:$http_port"
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
