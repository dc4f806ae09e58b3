#include "delivery/editor_tests.h"

#include <algorithm>

#include "delivery/escapes.h"
#include "text/cp932.h"
#include "text/texts.h"

namespace quiltor {
namespace {

}  // namespace

Bytes TestFilePath(const Bytes& exeFolder) { return JoinPath(exeFolder, kTestFileName); }

Bytes TestCommandLine(const Bytes& editorPath, const Bytes& editorParam, const Bytes& testFile) {
  return QuotedProgram(editorPath) + " " + ExpandPlaceholder(editorParam, "%f", testFile);
}

TestTexts MakeTestTexts(const Bytes& lineEnd) { return {texts::kTestBefore, texts::kTestAfter + lineEnd}; }

bool EnsureTestFile(FileSystem& files, const Bytes& path) {
  if (files.Exists(path)) return true;
  return files.ReplaceAll(path, Bytes());
}

DetectionStart StartDetectionEditor(Processes& processes, WindowSystem& windows, FileSystem& files,
                                    const Bytes& testFile, const Bytes& commandLine) {
  DetectionStart start;
  // An editor without its file still starts; its windows are what the
  // detection dialog looks at.
  start.testFileReady = EnsureTestFile(files, testFile);
  start.before = TopWindowsNow(windows);
  if (std::unique_ptr<Process> process = processes.Start(commandLine)) start.processId = process->Id();
  return start;
}

WindowId FindTestEditor(Launcher& launcher, const Bytes& commandLine, const LinkedTab& tab,
                        const AskToContinue& ask) {
  return launcher.StartProcessAndFindWindow(commandLine, true, tab.className1, tab.className2, ask);
}

std::int32_t TestKeySetting(const LinkedTab& tab, std::int32_t storedCutPasteKey) {
  return CutPasteKeyOfChoice(tab.cutPaste, storedCutPasteKey);
}

DeliveryStatus WriteTestTexts(DeliveryRoutines& delivery, WindowId target, int pasteKind, int interval,
                              std::int32_t keySetting, const Bytes& lineEnd) {
  const TestTexts texts = MakeTestTexts(lineEnd);
  const DeliveryStatus status =
      delivery.Deliver(pasteKind, target, texts.before, texts.after, static_cast<std::uint32_t>(std::max(interval, 0)),
                       keySetting);
  delivery.RestoreSavedClipboard();
  return status;
}

void TestEditorWatch::Start(WindowId target) {
  target_ = target;
  running_ = true;
}

bool TestEditorWatch::Tick(WindowSystem& windows) {
  if (!running_) return false;
  WindowId watched = target_ == kNoWindow ? kNoWindow : windows.Root(target_);
  if (watched == kNoWindow) watched = target_;
  const bool alive = watched != kNoWindow && windows.IsWindow(watched);
  if (!alive) running_ = false;
  return alive;
}

void TestEditorWatch::CloseEditor(WindowSystem& windows) {
  if (!running_) return;
  running_ = false;
  if (target_ == kNoWindow) return;
  // Only the top-level window is closed: WM_CLOSE to an inner pane destroys
  // it without the editor's question. The undo goes first in the queue.
  const WindowId root = windows.Root(target_);
  UndoTestText(windows, target_);
  windows.Post(root != kNoWindow ? root : target_, kWmClose);
}

void UndoTestText(WindowSystem& windows, WindowId window) {
  windows.Post(window, kWmUndo);
  // The undo left the text as it was, but not the edit control's "modified"
  // mark, which would make the editor ask whether to save.
  windows.Post(window, kEmSetModify, 0);
}

}  // namespace quiltor
