#!/usr/bin/env python3
"""Checks that every resource path the main program names exists.

A resource path (":/main/res/main/x.png", also inside url(...) in style
sheets and .ui files) must be listed in a res/**/*.artwork or *.sounds
manifest or in a committed .qrc file under res/. Paths built at run time (ending in "/" or
holding a format placeholder) are not judged.

Usage: check-resources.py [ROOT]   exit 1 and one line per missing path
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

SOURCE_DIRS = ["app", "widgets", "home", "media", "interaction", "courseware", "device",
               "mainwindow", "program", "res", "libs/whiteboardlib"]
EXTENSIONS = (".h", ".cpp", ".ui", ".qss")
PATH = re.compile(r':/[A-Za-z0-9_./-]+\.(?:png|jpg|jpeg|gif|svg|qss|mp3|wav|ico|ttf)\b')


def known_paths(root):
    known = set()
    for base, _, files in os.walk(os.path.join(root, "res")):
        for name in files:
            full = os.path.join(base, name)
            if name.endswith((".artwork", ".sounds")):
                with open(full, encoding="utf-8") as f:
                    for line in f:
                        line = line.strip()
                        if line and not line.startswith("#"):
                            known.add(line.split()[0])
            elif name.endswith(".qrc"):
                for res in ET.parse(full).getroot().iter("qresource"):
                    prefix = res.get("prefix", "/").rstrip("/")
                    for entry in res.iter("file"):
                        rel = entry.get("alias") or entry.text.strip()
                        known.add(":" + prefix + "/" + rel)
    return known


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    known = known_paths(root)
    missing = []
    for top in SOURCE_DIRS:
        for base, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith(EXTENSIONS):
                    continue
                full = os.path.join(base, name)
                with open(full, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        for path in PATH.findall(line):
                            if path not in known:
                                missing.append(f"{os.path.relpath(full, root)}:{number}: {path}")
    for line in missing:
        print(line)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
