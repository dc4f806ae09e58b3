#!/usr/bin/env python3
"""What the tool costs while it waits for a linked editor that asks whether to
save: the tool closes a file, the editor (qtlinkeditor -ask) shows its
question, and nobody answers for a stretch. The tool reads its messages
meanwhile and must not spin doing so. Prints the tool's CPU time over the
stretch as per cent of one core (goal: under 0.5 %), beside the same stretch
of plain idling in linked mode, and the time the tool took to answer a
message from outside during the question.
Run: QUILTOR_BUILD_DIR=build/win python3 bench/win/bench_close_question.py [seconds, 30]"""
import os
import sys
import tempfile
import time

from benchlib import count, figure, process_ns, tool_pid
from e2elib import BUILD, App, ini, run_driver, wait_for
from linkedlib import LinkEditor, click_tool, editor_question, kill, second_start, winpath


def cpu_percent(pid, seconds):
    before = process_ns(pid)
    start = time.monotonic()
    time.sleep(seconds)
    after = process_ns(pid)
    return 100.0 * (after - before) / ((time.monotonic() - start) * 1e9)


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else count(30, 2)
    work = tempfile.mkdtemp(prefix="quiltor-bench-question-")
    log = os.path.join(work, "asks.log")
    kill("qtlinkeditor.exe")
    settings = ini(Quiltor={"Top": 20, "Left": 420, "Height": 300, "Mode": 1},
                   Setup={"EditerPath": winpath(os.path.join(BUILD, "qtlinkeditor.exe")),
                          "EditerParam": "-ask " + winpath(log) + " %f", "ClassName1": "QtLinkEditor",
                          "ClassName2": "Edit", "Timer": 100, "CloseMode": 0})
    # Ended by force: its close is not what is measured.
    app = App(settings).start()
    try:
        app.wait_ready()
        editor = LinkEditor(log, "a.txt", ask=True)
        second_start(app, "/h%d" % editor.edit, "/fC:\\doc\\a.txt")
        app.wait_idle()
        pid = tool_pid(app)
        if not pid:
            raise SystemExit("bench_close_question: the tool's process was not found")
        idle = cpu_percent(pid, seconds)
        click_tool("ToolButton_Close")
        if not wait_for(lambda: editor_question("a.txt"), 20, 0.2):
            raise SystemExit("bench_close_question: the editor did not ask")
        asking = cpu_percent(pid, seconds)
        answer = run_driver("answers", 5000)
        editor_question("a.txt", "no")
        app.wait_idle()
    finally:
        app.stop()
        kill("qtlinkeditor.exe")
    print("the tool while a linked editor's save question is open, %.0f s" % seconds)
    figure("close_question.tool_cpu_asking", asking, "%", "<0.5")
    figure("close_question.tool_cpu_linked_idle", idle, "%")
    if answer and answer[0].startswith("answers 1"):
        figure("close_question.answer_ms", float(answer[0].split(" ")[2]), "ms", "<1000")


if __name__ == "__main__":
    main()
