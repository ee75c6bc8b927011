#!/usr/bin/env python3
"""The local services' upload side, behind tools/services.sh's nginx.

Answers what the program posts: whiteboard pictures ("/upload"), documents
("/classpreupload", "/classupload", "/teacherpreupload", "/teacherwebupload"),
the log archive ("/dumpupload"), desktop snapshots ("/shadow") and reports
("/openapi/speedrp", "/openapi/eventrp", "/openapi/stream_notify").
Uploaded files are kept under <state>/html/files/<sha1> so that the address
the answer gives is served by nginx; reports are appended to
<state>/uploads/reports.log.

    upload-service.py <port> <state folder> <public base URL>
"""
import email.parser
import email.policy
import hashlib
import http.server
import json
import os
import sys
import time
import urllib.parse

PORT, STATE, BASE = int(sys.argv[1]), sys.argv[2], sys.argv[3].rstrip("/")
FILES = os.path.join(STATE, "html", "files")
UPLOADS = os.path.join(STATE, "uploads")
os.makedirs(FILES, exist_ok=True)
os.makedirs(UPLOADS, exist_ok=True)


def multipart_files(content_type, body):
    """(file name, bytes) of each file part of a multipart/form-data body."""
    message = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(
        b"Content-Type: " + content_type.encode() + b"\r\n\r\n" + body)
    found = []
    for part in message.iter_parts() if message.is_multipart() else []:
        name = part.get_filename()
        if name is not None:
            found.append((name, part.get_payload(decode=True) or b""))
    return found


def keep(data):
    digest = hashlib.sha1(data).hexdigest()
    with open(os.path.join(FILES, digest), "wb") as f:
        f.write(data)
    return digest


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def answer(self, status, body):
        data = json.dumps(body, ensure_ascii=False).encode()
        self.send_response(status)
        self.send_header("Content-Type", "application/json;charset=UTF-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def handle_any(self):
        url = urllib.parse.urlsplit(self.path)
        path = "/" + url.path.lstrip("/")
        body = self.body()
        if path in ("/classpreupload", "/teacherpreupload"):
            # Nothing is stored ahead of its upload: the file follows.
            return self.answer(200, {"code": 0, "data": {"exist": 0}})
        if path in ("/classupload", "/teacherwebupload", "/upload"):
            files = multipart_files(self.headers.get("Content-Type", ""), body)
            if not files:
                return self.answer(400, {"code": 1, "errMsg": "no file in the request"})
            digest = keep(files[0][1])
            if path == "/upload":
                return self.answer(200, [{"hash": digest, "location": "%s/files/%s" % (BASE, digest)}])
            return self.answer(200, {"code": 0, "data": {"docid": "doc-" + digest[:16]}})
        if path in ("/dumpupload", "/shadow"):
            name = "dump" if path == "/dumpupload" else "shadow"
            with open(os.path.join(UPLOADS, "%s-%d.bin" % (name, time.time_ns())), "wb") as f:
                f.write(body)
            return self.answer(200, {"code": 0})
        if path.startswith("/openapi/"):
            with open(os.path.join(UPLOADS, "reports.log"), "ab") as f:
                f.write(path.encode() + b" " + body + b"\n")
            return self.answer(200, {"code": 0})
        return self.answer(404, {"code": 404, "errMsg": "unknown address " + path})

    do_GET = handle_any
    do_POST = handle_any

    def log_message(self, fmt, *args):
        with open(os.path.join(UPLOADS, "requests.log"), "a") as f:
            f.write("%s %s\n" % (self.log_date_time_string(), fmt % args))


http.server.ThreadingHTTPServer(("127.0.0.1", PORT), Handler).serve_forever()
