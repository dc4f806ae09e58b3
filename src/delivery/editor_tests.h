#pragma once
// The editor tests of the settings dialog's 連動モード tab: the test file and
// command line, the test texts, starting the editor for the detection dialog
// (テスト１), finding its edit window (テスト２), writing into it (テスト３) and
// watching it until the user closes it.
#include <cstdint>
#include <optional>
#include <set>

#include "delivery/delivery.h"
#include "delivery/launch.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/types.h"
#include "platform/window_system.h"
#include "settings/setup_lists.h"

namespace quiltor {

// The file the editor opens for a test, beside the executable.
inline constexpr char kTestFileName[] = "Quiltor.xxx";
Bytes TestFilePath(const Bytes& exeFolder);

// The editor path in quotes, a blank, and the parameter with each "%f"
// replaced by the test file's path (not quoted) and "%%" by "%".
Bytes TestCommandLine(const Bytes& editorPath, const Bytes& editorParam, const Bytes& testFile);

// "正常に送信されました ( ^^)／" and "＼(^^ )" followed by `lineEnd`.
struct TestTexts {
  Bytes before;
  Bytes after;
};
TestTexts MakeTestTexts(const Bytes& lineEnd);

// Creates the test file with no bytes when it is missing; an existing file is
// left alone. False when it is missing and could not be made.
bool EnsureTestFile(FileSystem& files, const Bytes& path);

// テスト１'s start: the test file, the top-level windows there are, then the
// editor, without waiting for it.
struct DetectionStart {
  std::optional<std::uint32_t> processId;  // nullopt: the editor could not be started
  bool testFileReady = true;               // false: the missing test file could not be made
  std::set<WindowId> before;               // the top-level windows just before the start
};
DetectionStart StartDetectionEditor(Processes& processes, WindowSystem& windows, FileSystem& files,
                                    const Bytes& testFile, const Bytes& commandLine);

// テスト２: starts the editor and waits for the tab's classes (the child class
// whether or not its box is ticked; empty: the top window is the edit
// window). kNoWindow when it was not started or the search was abandoned.
WindowId FindTestEditor(Launcher& launcher, const Bytes& commandLine, const LinkedTab& tab,
                        const AskToContinue& ask);

// The key setting テスト３ writes with: the standard set of the tab's radio
// item, or the value stored in the shown kind for 直接指定.
std::int32_t TestKeySetting(const LinkedTab& tab, std::int32_t storedCutPasteKey);

// Writes the test texts into `target` and gives the user's clipboard back.
DeliveryStatus WriteTestTexts(DeliveryRoutines& delivery, WindowId target, int pasteKind, int interval,
                              std::int32_t keySetting, const Bytes& lineEnd);

// The editor テスト２ found and TimerTest, which watches it.
// Undoes the test text in `window` and marks it unmodified (posted).
void UndoTestText(WindowSystem& windows, WindowId window);

class TestEditorWatch {
 public:
  static constexpr std::uint32_t kIntervalMs = 100;

  // テスト２ found `target` (kNoWindow when it found nothing); the timer runs.
  void Start(WindowId target);
  // テスト１ stops watching: that editor is left open.
  void Stop() { running_ = false; }
  bool Running() const { return running_; }
  WindowId Target() const { return target_; }

  // One tick: whether テスト３ is usable, that is whether the editor's top
  // window (the target's parent, or the target itself) still exists. The
  // timer stops itself once it is not.
  bool Tick(WindowSystem& windows);
  // The settings dialog closes while watching: undo the test text in the
  // target and close the editor's top-level window. The messages are posted:
  // the editor reads them in order, and a question it asks never holds the
  // dialog.
  void CloseEditor(WindowSystem& windows);

 private:
  WindowId target_ = kNoWindow;
  bool running_ = false;
};

}  // namespace quiltor
