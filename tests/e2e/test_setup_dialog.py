"""The settings dialog "環境設定" and the version dialog of a running
Quiltor.exe, opened as a user opens them, from the title icon's menu, over a
settings file that holds comments, a key the tool does not know and another
program's section. ｷｬﾝｾﾙ after changes on several tabs leaves the file, the
transfer buffers and the hot key as they were. Pictures of the six tabs and of the file-kind dialog
go to build/win/e2e-setup-shots for a person to look at."""
import os
import re
import shutil
import sys

from e2elib import SOURCE, Failures, move_pointer, xdotool
from setuplib import (SHOTS, KeyLog, exchange, kinds_dialog, open_about, open_setup, park_pointer, press_in_editor,
                      running_tool, settings_bytes)

f = Failures()

ACTIVATE_KEY = "ctrl+alt+a"

TAB_PICTURES = ["tab1-env1.png", "tab2-env2.png", "tab3-edit.png", "tab4-simple.png", "tab5-linked.png",
                "tab6-programs.png"]


def change_timer_and_history(d):
    d.click_tab(0)
    d.spin("IDC_CSpinEditTimer", up=True)
    d.spin("IDC_CSpinEditOpenFiles", up=False, times=5)
    f.equal((d.control("IDC_CSpinEditTimer").text, d.control("IDC_CSpinEditOpenFiles").text), ("110", "5"),
            "one click on the timer's up arrow adds 10, five on the history's down arrow give 5")


def type_buffer_sizes(d):
    d.click_tab(2)
    d.type_into("IDC_CSpinEditBufSize1", "3000")
    d.type_into("IDC_CSpinEditBufSize2", "100")
    f.equal((d.control("IDC_CSpinEditBufSize1").text, d.control("IDC_CSpinEditBufSize2").text), ("4096", "256"),
            "typed buffer sizes 3000 and 100 become 4096 and 256")


def type_activate_letter(d, letter):
    d.click_tab(2)
    d.type_into("IDC_ComboBoxHotKeyA2", letter)
    f.equal(d.control("IDC_ComboBoxHotKeyA2").text, letter, "the activate hot key's letter box shows %s" % letter)


def cancel_leaves_the_file_and_the_tool_as_they_were(pad):
    with running_tool() as app:
        before = settings_bytes(app)
        d = open_setup(app)
        change_timer_and_history(d)
        d.click_tab(1)
        d.click("IDC_RadioGroupCloseMode2")
        type_buffer_sizes(d)
        type_activate_letter(d, "L")
        d.click_tab(3)
        d.click("IDC_RadioButtonCutPaste2")
        d.cancel(app)
        f.equal(settings_bytes(app), before, "ｷｬﾝｾﾙ leaves the settings file as it was, byte for byte")
        f.equal(exchange().get("block"), (1024, 1024), "ｷｬﾝｾﾙ leaves the transfer buffers at their sizes")
        f.equal(press_in_editor(app, pad, ACTIVATE_KEY), "tool", "after ｷｬﾝｾﾙ the old hot key brings the tool forward")


def version_dialog_shows_the_version_on_top(app):
    version = re.search(r"project\(Quiltor VERSION (\S+)", open(os.path.join(SOURCE, "CMakeLists.txt")).read())
    for key in ("Return", "Escape"):
        about = open_about(app)
        shown = about.info()
        f.check(shown is not None and shown[1], "the version dialog is topmost: %r" % (shown,))
        text = about.control("IDC_AboutVersion")
        f.equal(text and text.text, "バージョン " + version.group(1), "the version dialog shows the program's version")
        # The keys go to the window under the pointer.
        move_pointer(*about.point("IDC_AboutProduct"))
        xdotool("key", key)
        f.check(about.gone(), "the version dialog closes with %s" % key)
        park_pointer()


def pictures_of_every_tab_and_the_kinds_dialog(app):
    shutil.rmtree(SHOTS, ignore_errors=True)
    d = open_setup(app)
    for index, name in enumerate(TAB_PICTURES):
        d.click_tab(index)
        park_pointer()
        d.shot(name)
    d.click_tab(4)
    d.click("IDC_ButtonExtRendo")
    kinds = kinds_dialog()
    kinds.wait()
    park_pointer()
    kinds.shot("kinds.png")
    kinds.click("IDC_ButtonExtRendoCancel")
    f.check(kinds.gone(), "the file-kind dialog closes on ｷｬﾝｾﾙ")
    d.cancel(app)
    park_pointer()
    for name in TAB_PICTURES + ["kinds.png"]:
        path = os.path.join(SHOTS, name)
        f.check(os.path.exists(path) and os.path.getsize(path) > 1000, "the picture %s was taken" % name)


# Names given on the command line pick some of the tests, for a run by hand.
CHOSEN = sys.argv[1:]


def chosen(test):
    return not CHOSEN or any(name in test.__name__ for name in CHOSEN)


with KeyLog() as editor:
    if chosen(cancel_leaves_the_file_and_the_tool_as_they_were):
        cancel_leaves_the_file_and_the_tool_as_they_were(editor)
for test in (version_dialog_shows_the_version_on_top, pictures_of_every_tab_and_the_kinds_dialog):
    if chosen(test):
        with running_tool() as tool_window:
            test(tool_window)
f.finish()
