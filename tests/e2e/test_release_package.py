"""The release zip that scripts/package makes: the same bytes from two build
folders of different names, what it holds and nothing of the tests or the
build, programs that need no library but Windows' own and carry no build
path, the version in the name and in both programs, and its size."""
import glob
import hashlib
import os
import re
import shutil
import struct
import subprocess
import tempfile
import time
import zipfile

from e2elib import BUILD, SOURCE, Failures
from releaselib import package, project_version, release_zip

# Libraries every Windows has; anything else would have to come with the zip.
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "comctl32.dll", "comdlg32.dll",
                "ole32.dll", "oleaut32.dll", "advapi32.dll", "msvcrt.dll", "version.dll", "shlwapi.dll",
                "uxtheme.dll"}
LIMIT = 1000 * 1000

f = Failures()
version = project_version()
samples = release_zip.samples_folder(version) + "/"

first = package(os.path.join(BUILD, "release-zip"))
# The second build folder lies as deep as the first, so the compiler cache
# serves it; its other name must leave no trace in the bytes.
second = package(os.path.join(BUILD, "release-zip-again"), os.path.join(SOURCE, "build", "release-again"))
zip_bytes = open(first, "rb").read()
f.equal(os.path.basename(first), "Quiltor-%s-win64.zip" % version, "the zip is named after the project's version")
f.check(zip_bytes == open(second, "rb").read(), "two builds of one commit give the same zip, byte for byte")
f.equal(open(os.path.join(os.path.dirname(first), "SHA256SUMS")).read(),
        "%s  %s\n" % (hashlib.sha256(zip_bytes).hexdigest(), os.path.basename(first)), "SHA256SUMS beside the zip")
size = len(zip_bytes)
print("zip: %d bytes" % size)
f.check(size < LIMIT, "the zip stays under 1 MB: %d bytes" % size)

archive = zipfile.ZipFile(first)
entries = archive.infolist()
names = [e.filename for e in entries]
print("contents:\n  " + "\n  ".join("%8d  %s" % (e.file_size, e.filename) for e in entries))
expected = {"Quiltor.exe", "Loomwork.exe", "Quiltor.html", "はじめに.txt", "LICENSE.txt"}
expected |= {samples + os.path.basename(p) for p in glob.glob(os.path.join(SOURCE, "samples", "data", "*.edt"))}
for path in glob.glob(os.path.join(SOURCE, "samples", "modules", "*")):
    name = os.path.basename(path)
    expected.add(samples + "src/" + name)
    if name.endswith(".cpp"):
        expected.add(samples + name[:-4] + ".exe")
f.equal(set(names), expected, "the programs, help, notes, licence and the samples, and nothing else")
f.equal(names, sorted(names), "entries in name order")
epoch = os.environ.get("SOURCE_DATE_EPOCH") or subprocess.run(
    ["git", "-C", SOURCE, "log", "-1", "--format=%ct"], capture_output=True, text=True).stdout.strip()
stamp = time.gmtime(int(epoch))
# Zip times count seconds in twos.
f.equal({e.date_time for e in entries}, {stamp[:5] + (stamp.tm_sec // 2 * 2,)}, "every entry dated the commit's time")
f.equal({e.external_attr >> 16 for e in entries if not e.filename.endswith(".exe")}, {0o100644}, "fixed modes")

read = archive.read
for name in glob.glob(os.path.join(SOURCE, "samples", "data", "*.edt")):
    f.equal(read(samples + os.path.basename(name)), open(name, "rb").read(), "sample data file " + name)
f.equal(read("Quiltor.html"), open(os.path.join(SOURCE, "src", "ui", "res", "Quiltor.html"), "rb").read(),
        "the help page the help command opens beside the program")
licence = read("LICENSE.txt")
f.check(licence == open(os.path.join(SOURCE, "LICENSE"), "rb").read().replace(b"\n", b"\r\n")
        and b"MIT License" in licence, "the MIT licence, with Windows line ends")
note = read("はじめに.txt")
f.check(note.startswith(b"\xef\xbb\xbf") and b"\r\n" in note and b"\n" not in note.replace(b"\r\n", b""),
        "はじめに.txt is UTF-8 with a byte-order mark and CRLF, as every notepad reads it")
text = note.decode("utf-8-sig")
for needed in ("Quiltor.exe", "%APPDATA%\\Quiltor", "Loomwork.exe", "quiltor_module.h", samples[:-1] + "\\src",
               version):
    f.check(needed in text, "はじめに.txt tells of %s" % needed)
f.check("@VERSION@" not in text, "no placeholder is left in はじめに.txt")

unpacked = tempfile.mkdtemp(prefix="quiltor-release-")
archive.extractall(unpacked)
objdump = "x86_64-w64-mingw32-objdump"
build_paths = [SOURCE.encode(), os.path.join(SOURCE, "build").encode()]
for name in sorted(n for n in names if n.endswith(".exe")):
    path = os.path.join(unpacked, name)
    headers = subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout
    dlls = {line.split(":", 1)[1].strip().lower() for line in headers.splitlines() if "DLL Name:" in line}
    f.check(dlls and dlls <= WINDOWS_DLLS, "%s needs only Windows' own libraries: %s" % (name, sorted(dlls)))
    sections = subprocess.run([objdump, "-h", path], capture_output=True, text=True, check=True).stdout
    f.check(".debug" not in sections, "%s is stripped" % name)
    data = open(path, "rb").read()
    f.check(not any(p in data for p in build_paths), "%s holds no path of the build machine" % name)
    f.check(b"\x00\x00\x00\x00" == data[data.index(b"PE\0\0") + 8:data.index(b"PE\0\0") + 12],
            "%s has no link time stamp" % name)

# The version resources: the fixed part Windows' file properties show
# (VS_FIXEDFILEINFO, after its signature) and the version texts.
numbers = tuple(int(n) for n in version.split("."))
for program in ("Quiltor.exe", "Loomwork.exe"):
    data = read(program)
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    fixed = struct.unpack_from("<4I", data, at + 8) if at >= 0 else (0, 0, 0, 0)
    words = (fixed[0] >> 16, fixed[0] & 0xFFFF, fixed[1] >> 16, fixed[1] & 0xFFFF)
    f.equal(words, numbers + (0,), "%s: file version" % program)
    f.equal((fixed[2], fixed[3]), fixed[:2], "%s: product version" % program)
    for key in ("FileVersion", "ProductVersion"):
        # A key, its padding to 32 bits, the value; all UTF-16.
        text = re.search(re.escape(key.encode("utf-16-le")) + b"\0\0(?:\0\0)?((?:[^\0]\0)+)\0\0", data)
        f.equal(text and text.group(1).decode("utf-16-le"), version, "%s: %s" % (program, key))

shutil.rmtree(unpacked, ignore_errors=True)
f.finish()
