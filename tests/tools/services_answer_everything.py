#!/usr/bin/env python3
"""tools/services.sh answers every address of the endpoint table that the
program fetches or posts to (none with 404), keeps what is uploaded where
the answer says, and describes the installed build with the program's own
version.   services_answer_everything.py <source root>"""
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest
import urllib.error
import urllib.request

ROOT = sys.argv.pop(1)
OPENER = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def fetch(url, body=None, content_type=None):
    request = urllib.request.Request(url, data=body)
    if content_type:
        request.add_header("Content-Type", content_type)
    try:
        with OPENER.open(request, timeout=10) as r:
            return r.status, r.read()
    except urllib.error.HTTPError as e:
        return e.code, e.read()


def multipart(field, name, data):
    boundary = "veltoraboundary"
    body = ("--%s\r\nContent-Disposition: form-data; name=\"%s\"; filename=\"%s\"\r\n"
            "Content-Type: application/octet-stream\r\n\r\n" % (boundary, field, name)).encode()
    body += data + ("\r\n--%s--\r\n" % boundary).encode()
    return body, "multipart/form-data; boundary=" + boundary


class Services(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        # nginx's worker may run as another user (nobody, when started by root).
        os.chmod(cls.tmp.name, 0o755)
        cls.program = os.path.join(cls.tmp.name, "install", "bin", "32bit")
        os.makedirs(cls.program)
        with open(os.path.join(cls.program, "Veltora"), "wb") as f:
            f.write(b"program")
        cls.env = dict(os.environ, VELTORA_SERVICES_DIR=os.path.join(cls.tmp.name, "services"))
        subprocess.run([os.path.join(ROOT, "tools", "services.sh"), "start", cls.program], env=cls.env,
                       check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(cls.program, "endpoints.ini")) as f:
            cls.base = re.search(r"^config=(\S+)$", f.read(), re.M).group(1)

    @classmethod
    def tearDownClass(cls):
        subprocess.run([os.path.join(ROOT, "tools", "services.sh"), "stop"], env=cls.env, check=True,
                       stdout=subprocess.DEVNULL)
        cls.tmp.cleanup()

    def test_documents_the_program_fetches(self):
        # As the program writes them: query strings, and the group pictures'
        # double slash after the "/logo/" base.
        for path in ["/mirror/xspeed?key=7", "/logo//mainlogo_301.png", "/logo//wbbk1_301.png",
                     "/logo/302.png", "/pc/TeaMediaLine.json?random=5", "/pc/TestTeaMediaLine.json",
                     "/rqs/liveconfig?token=t", "/download_pc.html", "/pc/pcupdate.json",
                     "/live/#/playkbackclass", "/version/VeltoraTea", "/latest/VeltoraTea"]:
            with self.subTest(path=path):
                status, body = fetch(self.base + path)
                self.assertEqual(200, status)
                self.assertTrue(body)
        status, body = fetch(self.base + "/logo//mainlogo_301.png")
        self.assertTrue(body.startswith(b"\x89PNG\r\n\x1a\n"))

    def test_reports_and_archives_are_taken(self):
        for path, body in [("/openapi/speedrp", b'{"delay":"20"}'), ("/openapi/eventrp", b'{"type":1}'),
                           ("/openapi/stream_notify", b'{"record":1}'), ("//dumpupload", b"PK\x03\x04zip"),
                           ("/shadow", b"\xff\xd8jpeg")]:
            with self.subTest(path=path):
                status, answer = fetch(self.base + path, body, "application/json")
                self.assertEqual(200, status)
                self.assertEqual(0, json.loads(answer)["code"])
        with open(os.path.join(self.env["VELTORA_SERVICES_DIR"], "uploads", "reports.log"), "rb") as f:
            self.assertIn(b'/openapi/speedrp {"delay":"20"}', f.read())

    def test_uploaded_files_are_served_where_the_answer_says(self):
        body, kind = multipart("file", "board.png", b"whiteboard picture")
        status, answer = fetch(self.base + "/upload", body, kind)
        self.assertEqual(200, status)
        location = json.loads(answer)[0]["location"]
        self.assertEqual((200, b"whiteboard picture"), fetch(location))
        for check, upload in [("/classpreupload", "/classupload"), ("/teacherpreupload", "/teacherwebupload")]:
            with self.subTest(upload=upload):
                status, answer = fetch(self.base + check + "?name=a.pdf&md5=00&parent=0")
                self.assertEqual(0, json.loads(answer)["data"]["exist"])
                body, kind = multipart("miravo", "a.pdf", b"%PDF-1.4")
                status, answer = fetch(self.base + upload + "?token=t", body, kind)
                self.assertEqual(200, status)
                self.assertTrue(json.loads(answer)["data"]["docid"])
        status, answer = fetch(self.base + "/upload", b"no form", "multipart/form-data; boundary=x")
        self.assertEqual(400, status)

    def test_the_installed_build_carries_the_programs_own_version(self):
        with open(os.path.join(ROOT, "home", "ClassListUpdate.cpp"), encoding="utf-8") as f:
            version = re.search(r'kAppVersion\[\] = "([0-9.]+)"', f.read()).group(1)
        with open(os.path.join(self.env["VELTORA_SERVICES_DIR"], "installed-ver")) as f:
            installed = json.load(f)
        self.assertEqual(version, installed["version"])
        self.assertIn("bin\\32bit\\Veltora", [e["path"] for e in installed["files"]])
        status, answer = fetch(self.base + "/version/VeltoraTea")
        self.assertEqual(version + ".json", json.loads(answer)["latest-version"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
