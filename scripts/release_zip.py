#!/usr/bin/env python3
"""Packs a Release build folder into Quiltor-<version>-win64.zip and writes
SHA256SUMS beside it; scripts/package builds the folder and runs this.

The zip's bytes depend on its inputs only: entries in name order, each dated
SOURCE_DATE_EPOCH, with fixed permissions and no extra fields.

There is no top folder, so unpacking a newer version over an older one
replaces the programs and leaves the user's own files alone; the zip carries
no Quiltor.ini (the tool writes its own on the first start), and the samples
lie in a folder named after the version, so a sample the user has changed is
never overwritten by the next version's.
"""
import argparse
import glob
import hashlib
import os
import re
import sys
import time
import zipfile

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
PROGRAMS = ("Quiltor.exe", "Loomwork.exe")
# Zip dates start in 1980.
EARLIEST = 315532800


def build_version(build_dir):
    """The version CMake wrote into the build folder from project(... VERSION)."""
    header = open(os.path.join(build_dir, "generated", "quiltor_version.h"), encoding="ascii").read()
    return re.search(r'#define QUILTOR_VERSION_TEXT "([^"]+)"', header).group(1)


def zip_name(version):
    return "Quiltor-%s-win64.zip" % version


def samples_folder(version):
    return "samples-%s" % version


def windows_text(text, bom=False):
    """Text for notepad: CRLF line ends, UTF-8 (with a byte-order mark when asked)."""
    data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
    return (b"\xef\xbb\xbf" if bom else b"") + data


def read(*parts):
    return open(os.path.join(*parts), "rb").read()


def contents(build_dir, version):
    """{name in the zip: bytes}."""
    samples = samples_folder(version)
    files = {name: read(build_dir, name) for name in PROGRAMS}
    files["Quiltor.html"] = read(SOURCE, "src", "ui", "res", "Quiltor.html")
    files["LICENSE.txt"] = windows_text(read(SOURCE, "LICENSE").decode("utf-8"))
    note = read(SOURCE, "release", "readme-ja.txt").decode("utf-8").replace("@VERSION@", version)
    files["はじめに.txt"] = windows_text(note, bom=True)
    for path in glob.glob(os.path.join(SOURCE, "samples", "data", "*.edt")):
        files["%s/%s" % (samples, os.path.basename(path))] = read(path)
    for path in glob.glob(os.path.join(SOURCE, "samples", "modules", "*")):
        name = os.path.basename(path)
        files["%s/src/%s" % (samples, name)] = read(path)
        if name.endswith(".cpp"):
            # The data files name their modules beside themselves.
            program = name[:-len(".cpp")] + ".exe"
            files["%s/%s" % (samples, program)] = read(build_dir, "modules", program)
    return files


def write_zip(path, files, epoch):
    stamp = time.gmtime(max(epoch, EARLIEST))[:6]
    partial = path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name in sorted(files):
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3  # Unix, whatever machine packs it
            entry.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
            archive.writestr(entry, files[name], compresslevel=9)
    os.replace(partial, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build-dir", required=True, help="a Release build folder")
    parser.add_argument("--dist-dir", required=True, help="where the zip and SHA256SUMS go")
    parser.add_argument("--version", help="the version named in the zip (default: the build folder's); "
                                          "the upgrade test packs a newer one from the same build")
    args = parser.parse_args()
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        sys.exit("release_zip: SOURCE_DATE_EPOCH is not set")
    version = args.version or build_version(args.build_dir)
    os.makedirs(args.dist_dir, exist_ok=True)
    name = zip_name(version)
    path = os.path.join(args.dist_dir, name)
    write_zip(path, contents(args.build_dir, version), int(epoch))
    digest = hashlib.sha256(read(path)).hexdigest()
    # The format sha256sum -c reads.
    with open(os.path.join(args.dist_dir, "SHA256SUMS"), "w", newline="\n") as sums:
        sums.write("%s  %s\n" % (digest, name))
    print("%s (%d bytes)" % (path, os.path.getsize(path)))


if __name__ == "__main__":
    main()
