"""File kinds edited in the dialog "ﾌｧｲﾙ種別設定" of the settings dialog of a
running Quiltor.exe: ｷｬﾝｾﾙ there changes nothing, 設定 changes the list of
kinds the settings dialog shows, and only the settings dialog's OK writes
the kinds, in their new order, to the settings file."""
import sys

from e2elib import Failures, click, read_ini, wait_for
from setuplib import (kinds_dialog, open_setup, park_pointer, running_tool, settings_bytes, settings_variant)

f = Failures()

KINDS = [("Text", "txt", "C:\\editors\\plain.exe"), ("Web", "htm", "C:\\editors\\web.exe"),
         ("Script", "js", "C:\\editors\\code.exe")]


def kind_section(number, name, ext, editor):
    return ["[ExtRendo%d]" % number, "ExtName=" + name, "Ext=" + ext, "EditerPath=" + editor, "EditerParam=%f",
            "ClassName1=EditorFrame", "ClassName2=", "PasteKind=1", "PasteInterval=20", "CutPasteKey=236337336",
            "ProgramNo=0"]


WITH_KINDS = settings_variant({"ExtRendoCnt": "3"}, after={"ProgramNo=0": [
    line for number, kind in enumerate(KINDS, 1) for line in kind_section(number, *kind)]})


def open_kinds(d):
    d.click_tab(4)
    d.click("IDC_ButtonExtRendo")
    kinds = kinds_dialog()
    kinds.wait()
    return kinds


def add_kind(kinds, name, ext):
    rows = kinds.rows("IDC_ListBoxExtRendo")
    kinds.type_into("IDC_EditExtRendoName", name)
    kinds.type_into("IDC_EditExtRendoExt", ext)
    kinds.click("IDC_ButtonExtRendoAdd")
    f.check(wait_for(lambda: kinds.rows("IDC_ListBoxExtRendo") == rows + 1, 5, 0.1), "追加 adds the kind %s" % ext)


def close_kinds(kinds, button):
    kinds.click(button)
    if not kinds.gone():
        raise AssertionError("the file-kind dialog did not close")


def kinds_change_the_file_only_on_ok():
    with running_tool(WITH_KINDS) as app:
        before = settings_bytes(app)
        d = open_setup(app)
        kinds = open_kinds(d)
        shown = d.combo("IDC_ComboBoxExtRendo")
        f.equal(shown[0], ["共通"] + ["%s (%s)" % kind[:2] for kind in KINDS], "the combo box lists the kinds")

        # ｷｬﾝｾﾙ after adding, renaming and deleting.
        add_kind(kinds, "Notes", "md")
        click(*kinds.row_point("IDC_ListBoxExtRendo", 0))
        kinds.type_into("IDC_EditExtRendoName", "Renamed")
        kinds.click("IDC_ButtonExtRendoUpdate")
        click(*kinds.row_point("IDC_ListBoxExtRendo", 1))
        kinds.click("IDC_ButtonExtRendoDelete")
        f.check(wait_for(lambda: kinds.rows("IDC_ListBoxExtRendo") == 3, 5, 0.1), "削除 removes the row")
        close_kinds(kinds, "IDC_ButtonExtRendoCancel")
        f.equal(d.combo("IDC_ComboBoxExtRendo"), shown, "ｷｬﾝｾﾙ leaves the combo box exactly as before")

        # 設定 after adding md: a new last kind with the values of a new kind.
        kinds = open_kinds(d)
        add_kind(kinds, "Notes", "md")
        close_kinds(kinds, "IDC_ButtonExtRendoOK")
        items, _ = d.combo("IDC_ComboBoxExtRendo")
        f.check(items and items[-1].endswith("(md)"),
                "設定 gives the combo box a last item ending in (md): %r" % items)
        d.choose("IDC_ComboBoxExtRendo", len(items) - 1)
        f.equal((d.control("IDC_EditEditerPath").text, d.control("IDC_RadioGroupPasteKind0").checked,
                 d.control("IDC_CSpinEditInterval").text, d.control("IDC_RadioGroupCutPaste0").checked),
                ("", True, "0", True), "the new kind: no editor, message sending, interval 0, 標 準 １")
        f.equal(settings_bytes(app), before, "設定 writes nothing to the settings file")

        # The third kind dragged above the first.
        kinds = open_kinds(d)
        kinds.drag_row("IDC_ListBoxExtRendo", 2, 0)
        close_kinds(kinds, "IDC_ButtonExtRendoOK")
        f.equal(d.combo("IDC_ComboBoxExtRendo")[0],
                ["共通", "Script (js)", "Text (txt)", "Web (htm)", "Notes (md)"], "設定 takes the new order")
        d.ok(app)

        saved = read_ini(app.folder)
        f.equal(saved["Setup"].get("ExtRendoCnt"), "4", "OK saves four kinds")
        f.equal([saved.get("ExtRendo%d" % n, {}).get("Ext") for n in range(1, 5)], ["js", "txt", "htm", "md"],
                "the sections follow the new order: ExtRendo1 holds the former third kind")
        f.equal(saved.get("ExtRendo1", {}).get("EditerPath"), KINDS[2][2], "a moved kind keeps its own values")
        f.equal(saved.get("ExtRendo4"), {"ExtName": "Notes", "Ext": "md", "EditerPath": "", "EditerParam": "",
                                         "ClassName1": "", "ClassName2": "", "PasteKind": "0", "PasteInterval": "0",
                                         "CutPasteKey": "202223221", "ProgramNo": "0"},
                "the new kind is saved with the values of a new kind")
        f.equal(saved.get("Colours"), {"Back": "white", "Fore": "black"}, "another program's section stays")
        after = settings_bytes(app)
        f.check(all(line in after for line in (b"; the editor of every file", b"; another program's section",
                                               b"Favourite=blue", b"Note=left by another version")),
                "comments and unknown keys stay")


# Names given on the command line pick some of the tests, for a run by hand.
CHOSEN = sys.argv[1:]

for test in (kinds_change_the_file_only_on_ok,):
    if not CHOSEN or any(name in test.__name__ for name in CHOSEN):
        test()
park_pointer()
f.finish()
