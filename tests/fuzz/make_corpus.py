#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target into tests/fuzz/corpus/<target>:
the data-file fixtures of tests/fixtures and hand-written edge cases (second
bytes 0x5C and 0x7C, lone lead bytes, quotes, CR-only line ends, huge counts).
Run it again after changing a seed; the fuzzers read these as plain inputs."""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")
FIXTURES = os.path.join(HERE, "..", "fixtures")

SO = b"\x83\x5c"    # ソ: second byte 0x5C
HYO = b"\x95\x5c"   # 表: second byte 0x5C
PO = b"\x83\x7c"    # ポ: second byte 0x7C
KANJI = "漢字".encode("cp932")
LEAD = b"\x81"      # a lead byte with nothing after it


def lines(*items, end=b"\r\n"):
    return end.join(i if isinstance(i, bytes) else i.encode("cp932") for i in items) + end


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def copy_fixtures(target):
    for sub in ("data", "items", "window"):
        folder = os.path.join(FIXTURES, sub)
        for name in sorted(os.listdir(folder)):
            if name.endswith(".edt"):
                with open(os.path.join(folder, name), "rb") as f:
                    write(target, f"fixture_{sub}_{name}", f.read())


def profile():
    copy_fixtures("profile")
    write("profile", "plain.ini", lines("; comment", "[Setup]", "Timer = 100 ", "Unknown=keep", "", "[Other]", 'x="q"'))
    write("profile", "cr_only.ini", lines("[a]", "k=1", "[b]", "k=2", end=b"\r"))
    write("profile", "lf_only_no_final_end.ini", lines("[a]", "k=1", "j", end=b"\n")[:-1])
    write("profile", "mixed_line_ends.ini", b"[a]\rk=1\nj=2\r\n\r[b]\n\rk=3")
    write("profile", "second_bytes.ini",
          lines(b"[" + HYO + b"]", SO + b"=" + SO, PO + b"=" + PO + b"|x", b"k=" + HYO, b"[a" + b"\x81\x5d" + b"]", b"k=v"))
    write("profile", "lone_lead_bytes.ini", lines(b"[a" + LEAD + b"]", b"k" + LEAD + b"=v" + LEAD, b"j=" + LEAD) + LEAD)
    write("profile", "quotes.ini", lines("[q]", 'a="x"', "b='y'", "c=\"z'", 'd="', "e=''", 'f=""v""', " g = ' x ' "))
    write("profile", "duplicates.ini", lines("[a]", "k=1", "K=2", "k", "[A]", "k=3", "[b]", "=empty name", "[]", "x=1"))
    write("profile", "brackets.ini", lines("[t]", "k=1 [s]", "k=[[s]", b"\x83[s]", " \t[s] ; note", "k=v", "[s", "[x]]", "k=2"))
    write("profile", "long_value.ini", lines("[s]", b"k=" + b"x" * 2046 + KANJI + b"yyy", b"q=\"" + b"y" * 2100 + b"\""))
    write("profile", "blanks.ini", lines("[ s ]", "  k \t=  v  ", "j=\v\f", "\t", "m =\t"))
    write("profile", "nul_bytes.ini", b"[a\x00b]\r\nc=1\r\n[a]\r\nb\x00c=2\r\n")


def settings():
    write("settings", "current.ini", lines(
        "[Version]", "No=170", "[Setup]", "ExtRendoCnt=2", "EditerPath=C:\\edit\\edit.exe", "EditerParam=%f",
        "ClassName1=EditWnd", "ClassName2=", "PasteKind=1", "PasteInterval=50", "CutPasteKey=236337336",
        "ProgramNo=1", "ExecProgram0=C:\\p.exe", "ExecCaption0=P", "ExecParam0=\"%f\"", "ExecProgram3=x.exe",
        "CRLF=1", "MakeNew=1", "Timer=$64", "TimerEZ=0x10", "Resize=-5", "OpenFiles=4",
        "PasteKindEZ=0", "PasteIntervalEZ=5", "CutPasteKeyEZ=202223221", "BufSize1=256", "BufSize2=32768",
        "MinHeight=38", "MaxHeight=1200", "ChangeMode=0", "CloseMode=2",
        "FileFilter=all|*.*||text|*.txt||", "FileFilterC=0111", "HotKeyR=1", "HotKeyR1=7", "HotKeyR2=Q",
        "HotKeyA=1", "HotKeyA1=3", "HotKeyA2=",
        "[ExtRendo1]", "ExtName=Text", "Ext=txt", "CutPasteKey=999999999",
        "[ExtRendo2]", "ExtName=" + "表示", "Ext=" + "表", "ProgramNo=7",
        "[Quiltor]", "Top=-20", "Left=99999", "Height=282", "Mode=1", "ToolBar=0", "StayOnTop=1",
        "HideIcon=1", "AutoSmall=1", "OpenFile0=C:\\a.txt", "OpenFile3=C:\\" + "表.txt",
        "QuiltorData=data\\main.edt", "QuiltorData0=data\\main.edt", "QuiltorData19=x.edt", "ActivePage=99"))
    write("settings", "old_format.ini", lines(
        "[Version]", "No=169", "[Setup]", "CutPasteKeyEZ=337336", "CutPasteKey=223336", "ExtRendoCnt=3",
        "[ExtRendo1]", "CutPasteKey=223221", "[ExtRendo3]", "CutPasteKey=abc"))
    write("settings", "huge_counts.ini", lines(
        "[Setup]", "ExtRendoCnt=40", "OpenFiles=1000000", "CutPasteKey=2147483647",
        "CutPasteKeyEZ=-2147483648", "Timer=99999999999", "[Version]", "No=-1"))
    write("settings", "kinds_40.ini", lines("[Version]", "No=170", "[Setup]", "ExtRendoCnt=40", "[ExtRendo40]", "Ext=c"))
    write("settings", "negative_counts.ini", lines("[Setup]", "ExtRendoCnt=-1", "OpenFiles=-4", "CRLF=0"))
    write("settings", "cr_only.ini", lines("[Version]", "No=170", "[Setup]", "CRLF=0", "HotKeyR2=", "[Quiltor]", "Mode=1", end=b"\r"))
    write("settings", "second_bytes.ini", lines(
        "[Version]", "No=170", "[Setup]", b"FileFilter=" + SO + b"|*.*||" + PO + b"||x|*.x||", "FileFilterC=1111111111",
        b"EditerPath=C:\\" + HYO + b"\\e.exe", "[Quiltor]", b"QuiltorData=" + HYO + b".edt" + LEAD))
    write("settings", "empty.ini", b"")


def data_file():
    copy_fixtures("data_file")
    write("data_file", "deep_menus.edt", lines(
        "[Version]", "No=170", "[Group]", "Count=1", "Title=deep", "[Menu00]", "Count=2",
        "M00=13,02,Top", "M0000=13,01,L2", "M000000=13,01,L3", "M00000000=13,05,Dead", "M0001=-",
        "S00=13,99,Side", "S0000=13,02,S2", "S000000=13,02,S3", "M01=00,Text", "S01=-1",
        "[Edit00]", "M00a=a", "M01a=\\Q" + "表" + "\\n\\Q", "M01b=&&"))
    write("data_file", "huge_counts.edt", lines(
        "[Version]", "No=2147483647", "[Group]", "Count=99999999999", "[Menu00]", "Count=2147483647",
        "M00=13,99", "M0000=14,x", "[Menu99]", "Count=-5"))
    write("data_file", "bad_codes.edt", lines(
        "[Version]", "No=0x200", "[Group]", "Count=3", "[Menu00]", "Count=1", "M00=+1,x", "[Menu01]", "Count=1",
        "M01=-1", "M00=1", "[Menu02]", "Count=1", "M00=13,-1,x"))
    write("data_file", "cr_only.edt", lines(
        "[Version]", "No=170", "[Group]", "Count=1", "[Menu00]", "Count=2", "Title=a&b",
        b"M00=00," + HYO + SO + PO, "M01=13", "[Edit00]", b"M00a=" + HYO + b"\\n", end=b"\r"))
    write("data_file", "lone_lead.edt", lines(
        "[Version]", "No=170", "[Group]", "Count=1", b"Title=" + LEAD, "[Menu00]", "Count=1", b"M00=0" + LEAD) + LEAD)


def command_line():
    write("command_line", "quoted.txt", b'"C:\\Program Files\\q.exe" /L120 /T-5 "/fC:\\a b.txt" /d' + HYO + b".edt")
    write("command_line", "empty_pairs.txt", b'q.exe "" ""/h$1F /f""x"" "unterminated')
    write("command_line", "second_bytes.txt", b"q.exe /f" + SO + b"\\" + PO + b"| /d" + b"\x81\x22 x\x22")
    write("command_line", "huge_numbers.txt", b"q.exe /h4294967296 /L2147483648 /T-2147483648 /h$FFFFFFFF /h-1")
    write("command_line", "lone_lead.txt", b"q.exe /f" + LEAD)
    write("command_line", "forwarded.txt", b"/h123\n/fC:\\a.txt\n/d\n/x\n\x00/h\n\xff\xff\xff\xff")
    write("command_line", "controls.txt", b"q.exe\x01/fa\x1f/fb\x20/fc\x7f\x00/fd")


def escapes():
    write("escapes", "escapes.txt", b"a\\sb\\\\n\\\\\\n\\Qtext\\Q \\qx\\q\\t\\N\\x\\")
    write("escapes", "second_byte_0x5c.txt", HYO + b"n" + SO + b"\\" + PO + b"|" + HYO)
    write("escapes", "placeholders.txt", b"-x %f -y %%f 100%% %f %% %%%f %")
    write("escapes", "ampersands.txt", b"A&B&&C&")
    write("escapes", "lone_lead.txt", b"\\" + LEAD)


def cp932():
    write("cp932", "paths.txt", b"C:\\doc\\" + HYO + b"\\memo.txt")
    write("cp932", "second_bytes.txt", b"\x05" + SO + b"/" + PO + b"|" + HYO + b".e" + HYO)
    write("cp932", "lone_lead.txt", b"\x03ab" + LEAD)
    write("cp932", "drive_root.txt", b"\x00C:\\")
    write("cp932", "case.txt", b"\x10ABC" + b"\x83\x41\x83\x61" + b"XyZ.TXT")


def key_codes():
    # Three integers, read from the end of the input: an int32, an int64, an int.
    for name, (a, b, c) in {
        "standard1.bin": (202223221, 202223221, 221),
        "standard2.bin": (236337336, 236337336, 337),
        "invalid.bin": (999999999, 1000000000, 850),
        "negative.bin": (-1, -(2 ** 63), -2 ** 31),
        "extremes.bin": (2 ** 31 - 1, 2 ** 63 - 1, 2 ** 31 - 1),
    }.items():
        # FuzzedDataProvider reads an integer as its distance from the type's
        # minimum, little-endian, from the last bytes of the input backwards.
        data = struct.pack("<I", c + 2 ** 31) + struct.pack("<Q", b + 2 ** 63) + struct.pack("<I", a + 2 ** 31)
        write("key_codes", name, data)


def clipboard_formats():
    # Two bytes per format, little-endian; the top bit makes a registered id.
    def formats(*ids):
        return b"".join(struct.pack("<H", 0x8000 | (i - 0xC000) if i >= 0xC000 else i) for i in ids)
    write("clipboard_formats", "text.bin", formats(13, 1, 16, 7))
    write("clipboard_formats", "picture.bin", formats(2, 8, 17, 9, 3, 14))
    write("clipboard_formats", "mixed.bin", formats(0xC010, 8, 1, 15, 0xC020, 0x80, 0x210, 0x310))


if __name__ == "__main__":
    if os.path.isdir(CORPUS):
        shutil.rmtree(CORPUS)
    profile()
    settings()
    data_file()
    command_line()
    escapes()
    cp932()
    key_codes()
    clipboard_formats()
