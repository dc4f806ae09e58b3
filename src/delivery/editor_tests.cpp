#include "delivery/editor_tests.h"

#include <algorithm>

#include "delivery/escapes.h"
#include "text/cp932.h"

namespace quiltor {
namespace {

// "正常に送信されました ( ^^)／" (CP932).
constexpr char kTestBefore[] =
    "\x90\xb3\x8f\xed\x82\xc9\x91\x97\x90\x4d\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd ( ^^)\x81\x5e";
// "＼(^^ )".
constexpr char kTestAfter[] = "\x81\x5f(^^ )";

}  // namespace

Bytes TestFilePath(const Bytes& exeFolder) { return JoinPath(exeFolder, kTestFileName); }

Bytes TestCommandLine(const Bytes& editorPath, const Bytes& editorParam, const Bytes& testFile) {
  return "\"" + editorPath + "\" " + ExpandPlaceholder(editorParam, "%f", testFile);
}

TestTexts MakeTestTexts(const Bytes& lineEnd) { return {kTestBefore, kTestAfter + lineEnd}; }

bool EnsureTestFile(FileSystem& files, const Bytes& path) {
  if (files.Exists(path)) return true;
  return files.ReplaceAll(path, Bytes());
}

DetectionStart StartDetectionEditor(Processes& processes, FileSystem& files, const Bytes& testFile,
                                    const Bytes& commandLine) {
  DetectionStart start;
  // An editor without its file still starts; its windows are what the
  // detection dialog looks at.
  start.testFileReady = EnsureTestFile(files, testFile);
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
  WindowId watched = target_ == kNoWindow ? kNoWindow : windows.Parent(target_);
  if (watched == kNoWindow) watched = target_;
  const bool alive = watched != kNoWindow && windows.IsWindow(watched);
  if (!alive) running_ = false;
  return alive;
}

void TestEditorWatch::CloseEditor(WindowSystem& windows) {
  if (!running_) return;
  running_ = false;
  if (target_ == kNoWindow) return;
  const WindowId parent = windows.Parent(target_);
  for (WindowId window : {target_, parent}) {
    if (window == kNoWindow) continue;
    windows.Send(window, kWmUndo);
    windows.Send(window, kWmClose);
  }
}

}  // namespace quiltor
