#!/usr/bin/env python3
"""Sizes of the release: each program as it is shipped (stripped), packed in
the zip, and beside the same program of the development build; the zip
against its 1 MB limit. Packs the release with scripts/package first.
Prints bytes and ratios; asserts nothing.
Run: QUILTOR_BUILD_DIR=build/win python3 bench/win/bench_release_size.py"""
import os
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from benchlib import figure  # noqa: E402
from releaselib import BUILD, release  # noqa: E402

LIMIT = 1000 * 1000

zip_path = release()
with zipfile.ZipFile(zip_path) as archive:
    print("%-28s %10s %10s %s" % ("program", "shipped", "zipped", "of the development build"))
    for entry in archive.infolist():
        if not entry.filename.endswith(".exe"):
            continue
        name = os.path.basename(entry.filename)
        built = os.path.join(BUILD, name if "/" not in entry.filename else os.path.join("modules", name))
        compared = ("%.1f %% of %d" % (100.0 * entry.file_size / os.path.getsize(built), os.path.getsize(built))
                    if os.path.exists(built) else "-")
        print("%-28s %10d %10d %s" % (entry.filename, entry.file_size, entry.compress_size, compared))
        if "/" not in entry.filename:
            figure("release.%s_shipped" % name.lower().replace(".exe", ""), entry.file_size, "bytes")
size = os.path.getsize(zip_path)
print("%-28s %10d %10s %.1f %% of the 1 MB limit" % (os.path.basename(zip_path), size, "", 100.0 * size / LIMIT))
figure("release.zip", size, "bytes", "<%d" % LIMIT)
