#!/usr/bin/env python3
"""Checks the quoted includes of the source tree against the layering rules.

Dependencies run one way:
  common <- platform <- app <- widgets <- feature folders <- mainwindow <- program
(feature folders: home, media, interaction, courseware, device; they never
include each other or mainwindow/). libs/ sit beside platform and never reach
app/ or above; the updater's side is common <- platform/winapi <- skinui <-
updater. app/ may include media/IMediaEngine.h, a
header-only interface; so may widgets/ and the feature folders above it.

Headers are included by path from the repository root ("app/CData.h"), or,
for a library with a public include folder, as that library exposes them
("ClientLib.h", "winapi/windows.h"). Generated headers (forms, moc files)
are not in the tree and are not judged.

Usage: check-includes.py [ROOT]      exit 1 and one line per violation
       check-includes.py --self-test  the rules on a small tree of their own
"""
import os
import re
import sys

FEATURES = {"home", "media", "interaction", "courseware", "device"}
LIB_INCLUDE_DIRS = {
    "libs/clientlib/include": "libs/clientlib",
    "libs/whiteboardlib/include": "libs/whiteboardlib",
    "platform/winapi/include": "platform/winapi",
    "tests/support": "tests/support",
}
ALLOWED_IN_APP = {"media/IMediaEngine.h"}
SOURCE_DIRS = ["common", "platform", "libs", "app", "widgets", "home", "media", "interaction",
               "courseware", "device", "mainwindow", "program", "skinui", "updater", "tests", "bench"]
EXTENSIONS = (".h", ".hpp", ".cpp", ".cc", ".c")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def area(path):
    """The layer a repository path belongs to."""
    parts = path.split("/")
    if parts[0] == "platform" and len(parts) > 1 and parts[1] == "winapi":
        return "platform/winapi"
    if parts[0] == "libs" and len(parts) > 1:
        return "libs/" + parts[1]
    return parts[0]


def allowed(src, dst, dst_path):
    """May a file of area src include a header of area dst?"""
    if src == dst or src in ("tests", "bench", "program"):
        return True
    if dst == "common":
        return True
    if src == "common":
        return False
    if src.startswith("libs/"):
        return dst.startswith("libs/") or dst == "platform/winapi"
    if src == "platform/winapi":
        return False
    if src == "platform":
        return False
    if src == "skinui":
        return dst == "platform/winapi"
    if src == "updater":
        return dst in ("platform/winapi", "skinui")
    lower = dst == "platform" or dst.startswith("libs/")
    if src == "app":
        return lower or dst_path in ALLOWED_IN_APP
    if src == "widgets":
        return lower or dst == "app" or dst_path in ALLOWED_IN_APP
    if src in FEATURES:
        return lower or dst in ("app", "widgets") or dst_path in ALLOWED_IN_APP
    if src == "mainwindow":
        return lower or dst in ("app", "widgets") or dst in FEATURES
    return True


def sources(root):
    for top in SOURCE_DIRS:
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            dirs[:] = [d for d in dirs if not d.startswith(".")]
            for name in files:
                if name.endswith(EXTENSIONS):
                    yield os.path.relpath(os.path.join(folder, name), root)


def check(root):
    problems = []
    for path in sources(root):
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        src = area(path)
        for m in INCLUDE.finditer(text):
            inc = m.group(1)
            line = text.count("\n", 0, m.start()) + 1
            if os.path.isfile(os.path.join(root, inc)) and "/" in inc:
                target = inc
            else:
                target = None
                for inc_dir, lib in LIB_INCLUDE_DIRS.items():
                    if os.path.isfile(os.path.join(root, inc_dir, inc)):
                        target = os.path.join(inc_dir, inc)
                        break
                if target is None:
                    local = os.path.normpath(os.path.join(os.path.dirname(path), inc))
                    if os.path.isfile(os.path.join(root, local)):
                        problems.append(f"{path}:{line}: \"{inc}\" is not included by path from the root "
                                        f"(\"{local}\")")
                        target = local
                    else:
                        continue  # generated (forms, moc) or a system header in quotes
            dst = area(target)
            if not allowed(src, dst, target):
                problems.append(f"{path}:{line}: {src}/ must not include \"{inc}\" ({dst}/)")
    return problems


def self_test():
    """The rules on a small tree of their own: every wrong kind is found."""
    import tempfile
    tree = {
        "common/Util.h": '#include "app/Logger.h"\n',                 # common reaches up
        "app/Logger.h": "",
        "app/Room.cpp": '#include "media/IMediaEngine.h"\n#include "media/Pusher.h"\n#include "Logger.h"\n',
        "media/IMediaEngine.h": "", "media/Pusher.h": '#include "home/Page.h"\n',
        "home/Page.h": '#include "mainwindow/MainWindow.h"\n#include "widgets/MsgBox.h"\n',
        "widgets/MsgBox.h": "", "mainwindow/MainWindow.h": '#include "home/Page.h"\n#include "ui_MainWindow.h"\n',
        "libs/clientlib/include/ClientLib.h": "", "libs/avplayer/Ring.h": '#include "app/Logger.h"\n',
        "skinui/UIControl.h": '#include "winapi/windows.h"\n', "platform/winapi/include/winapi/windows.h": "",
        "updater/Main.cpp": '#include "skinui/UIControl.h"\n#include "ClientLib.h"\n',
        "device/Check.cpp": '#include "media/IMediaEngine.h"\n#include "media/Pusher.h"\n',
    }
    expected = {
        "common/Util.h:1", "app/Room.cpp:2", "app/Room.cpp:3", "media/Pusher.h:1", "home/Page.h:1",
        "libs/avplayer/Ring.h:1", "updater/Main.cpp:2", "device/Check.cpp:2",
    }
    with tempfile.TemporaryDirectory() as root:
        for path, text in tree.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(text)
        found = {p.split(": ")[0] for p in check(root)}
    if found != expected:
        print("self-test: expected", sorted(expected), "found", sorted(found))
        return 1
    print("self-test: every wrong include found")
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    problems = check(os.path.abspath(root))
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) against the layering rules")
        return 1
    print("includes follow the layering rules")
    return 0


if __name__ == "__main__":
    sys.exit(main())
