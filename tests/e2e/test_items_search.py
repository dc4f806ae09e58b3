"""Finding items by typing, as a user does it without the mouse: the activate
hot key, a few letters or a Japanese word (composed through the IME: the
key it takes and the characters it hands over when the user confirms, as
qtdriver posts them; or typed as characters by xdotool), Enter, and the
item's text is in notepad. The data file has accelerators, a separator, an empty side place
and a menu two levels deep. A query that finds nothing says so, Escape gives
the pages back as they were, and a swap of the data file with F9 closes the
search. Pictures of the search in build/win/e2e-search-*.png."""
import os

from e2elib import BUILD, App, Failures, ini, read_ini, screenshot, wait_for, xdotool
from editorlib import FIXTURES, Notepad, notepad_text
from datafileslib import choose_menu_item, paged_data_file, park_in_main, popups, recent_menu

f = Failures()

settings = ini(Quiltor={"QuiltorData": "search.edt", "QuiltorData0": "search.edt", "QuiltorData1": "other.edt",
                        "Top": 20, "Left": 420, "Height": 400, "ActivePage": 0},
               Setup={"PasteKindEZ": 0, "Timer": 100, "TimerEZ": 200,
                      "HotKeyA": 1, "HotKeyA1": 3, "HotKeyA2": "W"})  # Ctrl+Alt+W: activate
data = {"search.edt": open(os.path.join(FIXTURES, "search.edt"), "rb").read(),
        "other.edt": paged_data_file("other", "別ページ")}
NOTHING_FOUND = "一致する項目がありません"


def search_state(app):
    """The search as qtdriver sees it: box shown, hits, selected row, note shown, query, note."""
    lines = app.driver("search")
    if not lines or not lines[0].startswith("search "):
        return {}
    head, query, note = lines[0].split(" [", 2)[0], lines[0].split(" [", 2)[1], lines[0].split(" [", 2)[2]
    shown, count, selection, note_shown = (int(v) for v in head.split()[1:5])
    return {"shown": shown == 1, "count": count, "selection": selection, "note_shown": note_shown == 1,
            "query": query[:-1], "note": note[:-1]}


def wait_search(app, predicate, seconds=10):
    return wait_for(lambda: (lambda s: predicate(s) and s)(search_state(app)), seconds, 0.1) or search_state(app)


def activate(app):
    """The activate hot key, from the editor the user is in. Without a window
    manager X sends keys to the window under the pointer, whichever window is
    in front: the pointer rests on the tool's status bar, as the keyboard
    focus would be there on a desktop."""
    xdotool("key", "ctrl+alt+w")
    f.check(wait_for(lambda: app.dump().get("foreground"), 10, 0.1), "the hot key brings the tool to the front")
    park_in_main(app)


def compose(app, text):
    """`text` composed through the IME and confirmed."""
    lines = app.driver("ime", *["%04x" % ord(c) for c in text])
    f.equal(lines[:1], ["ime box"], "the IME's result goes to the search box")


def find_and_run(app, pad, typed, expected, start, selection, message, ime=False):
    """Hot key, the query typed (or composed), Enter: `expected` is notepad's text after."""
    pad.prepare(start, *selection)
    app.wait_target()
    activate(app)
    if ime:
        compose(app, typed)
    else:
        xdotool("type", "--delay", 120, typed)
    state = wait_search(app, lambda s: s.get("query") == typed)
    f.check(state.get("shown") and state.get("count", 0) >= 1, "%s: the query is in the box with hits: %r"
            % (message, state))
    xdotool("key", "Return")
    got = wait_for(lambda: notepad_text() == expected and expected, 10) or notepad_text()
    f.equal(got, expected, message)
    f.check(not wait_search(app, lambda s: not s.get("shown")).get("shown"), "%s: the search closed" % message)
    app.wait_idle()


with App(settings, data) as app, Notepad() as pad:
    app.wait_ready()
    tabs = app.dump()["tabs"]

    find_and_run(app, pad, "more h2", "hello <h2>xyz</h2> world", "hello xyz world", (6, 9),
                 "an entry two menu levels deep, found by its menu path and caption")
    find_and_run(app, pad, "bold", "<b>one</b> two", "one two", (0, 3),
                 "a caption with an accelerator mark, found as it reads")
    find_and_run(app, pad, "かっこ", "say （it）", "say it", (4, 6),
                 "a Japanese word composed in hiragana finds the katakana caption", ime=True)
    find_and_run(app, pad, "がいど", "a guide", "a ", (2, 2), "hiragana find a half-width caption with voiced marks")

    used = read_ini(app.folder).get("Search", {})
    f.equal(used.get("Used0"), "1,MB00M020100,search.edt", "the first use is kept under the search's own keys")
    f.equal(used.get("Used3"), "4,TB01M01,search.edt", "and the fourth")

    # While the list is shown: a picture of the hits of "b".
    pad.prepare("keep", 0, 4)
    app.wait_target()
    activate(app)
    xdotool("type", "--delay", 120, "i")
    state = wait_search(app, lambda s: s.get("query") == "i" and s.get("count", 0) >= 2)
    f.check(state.get("count", 0) >= 2, "one letter lists several hits: %r" % state)
    xdotool("key", "Down")
    f.equal(wait_search(app, lambda s: s.get("selection") == 1).get("selection"), 1, "Down selects the next hit")
    x, y, w, h = app.dump()["window"]
    screenshot(os.path.join(BUILD, "e2e-search-hits.png"), (x - 10, y - 10, w + 20, h + 20))

    # Nothing found: the note says so; Escape gives the pages back and writes nothing.
    xdotool("type", "--delay", 120, "zz")
    state = wait_search(app, lambda s: s.get("query") == "izz")
    f.check(state.get("count") == 0 and state.get("note_shown"), "no hits: the note shows: %r" % state)
    f.equal(state.get("note"), NOTHING_FOUND, "the note's words")
    screenshot(os.path.join(BUILD, "e2e-search-nothing.png"), (x - 10, y - 10, w + 20, h + 20))
    xdotool("key", "Return")
    xdotool("key", "Escape")
    state = wait_search(app, lambda s: not s.get("shown"))
    f.check(not state.get("shown") and not state.get("note_shown"), "Escape closes the search: %r" % state)
    app.wait_idle()
    d = app.dump()
    f.check(d["parts"]["PageControl"]["visible"], "the pages are back")
    f.equal((d["tabs"], d.get("active")), (tabs, 0), "on the page they were")
    f.check(d.get("foreground"), "Escape in the search leaves the tool in front")
    f.equal(notepad_text(), "keep", "nothing was written")

    # F9 while the search is open: another data file from the recent list closes it.
    activate(app)
    xdotool("type", "--delay", 120, "b")
    f.check(wait_search(app, lambda s: s.get("query") == "b").get("shown"), "the search is open before F9")
    menu, items = recent_menu(app)
    choose_menu_item(menu, 1)
    park_in_main(app)
    loaded = wait_for(lambda: (lambda d: d["tabs"] == ["別ページ"] and d)(app.dump()), 15, 0.2)
    f.check(bool(loaded), "the recent file loads")
    state = wait_search(app, lambda s: not s.get("shown"))
    f.check(not state.get("shown"), "the swap closed the search: %r" % state)
    f.check(loaded and loaded["parts"]["PageControl"]["visible"], "the new file's pages show")
    f.check(not popups(), "no menu is left open")

f.finish()
