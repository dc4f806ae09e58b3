"""テスト２ and テスト３ of the settings dialog's 連動モード tab, driven as a
user drives them: テスト２ starts the kind's editor (Wine's notepad, or the key
logging editor qtkeylog) and finds its edit window, テスト３ writes the test
text with the tab's writing method, interval and keys until the editor is
closed, and ｷｬﾝｾﾙ undoes and closes it."""
from e2elib import App, wait_for
from editorlib import notepad_text, tool as notepad_tool
from editortestlib import (TEST_FILE, TEST_TEXT, KeyLog, f, file_bytes, keylog_gone, keylog_settings, linked_tab,
                           no_notepad_left, park_pointer, run, settings, test3_enabled, test_file)
from linkedlib import close_by_hand, notepad_for, place


def second_test_finds_notepad_and_the_third_writes_until_it_is_closed():
    with App(settings(ClassName1="Notepad", ClassName2="Edit")) as app:
        app.wait_ready(60000)
        park_pointer()
        # テスト２ opens the file テスト１ made; an existing one is opened without a question.
        open(test_file(app), "wb").write(b"")
        d = linked_tab(app)
        f.check(not test3_enabled(d), "テスト３ is disabled before テスト２")
        d.click_when_enabled("IDC_ButtonTest2")
        f.check(notepad_for(TEST_FILE), "テスト２ starts notepad with the test file")
        place(TEST_FILE, 10, 20, 280, 150)
        park_pointer()
        d.click_when_enabled("IDC_ButtonTest3")
        f.equal(wait_for(lambda: notepad_text() == TEST_TEXT, 15, 0.3) and notepad_text(), TEST_TEXT,
                "テスト３ writes the test text into the edit window テスト２ found")
        # The user empties notepad and closes it.
        notepad_tool("set", "", 0, 0)
        close_by_hand(150, 100)
        park_pointer()
        f.check(no_notepad_left(), "notepad closes by hand")
        f.check(wait_for(lambda: not test3_enabled(d), 3, 0.1), "テスト３ is disabled once notepad is closed")

        d.click("IDC_ButtonTest2")
        notepad_for(TEST_FILE)
        place(TEST_FILE, 10, 20, 280, 150)
        park_pointer()
        d.click_when_enabled("IDC_ButtonTest3")
        f.check(wait_for(lambda: notepad_text() == TEST_TEXT, 15, 0.3), "テスト３ writes again")
        d.cancel(app)
        f.check(no_notepad_left(), "ｷｬﾝｾﾙ undoes the test text and closes notepad without a question")
        f.equal(file_bytes(test_file(app)), b"", "nothing was saved into the test file")


def third_test_writes_with_the_stored_direct_keys():
    with App(keylog_settings()) as app:
        app.wait_ready(60000)
        park_pointer()
        d = linked_tab(app)
        d.click_when_enabled("IDC_ButtonTest2")
        pad = KeyLog()
        f.check(wait_for(lambda: pad.state().get("edit"), 30), "テスト２ starts qtkeylog")
        park_pointer()
        if not wait_for(lambda: test3_enabled(d), 10, 0.1):
            raise AssertionError("テスト３ did not become usable after テスト２ found qtkeylog")
        pad.set("word", 0, 4)
        d.click("IDC_ButtonTest3")
        wanted = TEST_TEXT.replace("＼", "word＼")
        state = wait_for(lambda: (lambda s: s if s.get("text") == wanted else None)(pad.state()), 15, 0.3) \
            or pad.state()
        f.equal((state.get("text"), state.get("keys")), (wanted, ["A", "Ctrl+Shift+0"]),
                "テスト３ with 直接指定 cuts with A and pastes with Ctrl+Shift+0 around the selection")
        d.cancel(app)
        f.check(keylog_gone(), "ｷｬﾝｾﾙ closes qtkeylog")


run([second_test_finds_notepad_and_the_third_writes_until_it_is_closed, third_test_writes_with_the_stored_direct_keys])
