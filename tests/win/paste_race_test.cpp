// A target editor that handles the paste keys late must still paste the item
// text, and the user's clipboard must come back afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "data/item_execution.h"
#include "delivery/delivery.h"
#include "exchange/exchange_area.h"
#include "fakes/fake_files.h"
#include "platform/win32/platform.h"
#include "settings/settings.h"
#include "support/notepad.h"
#include "data/pending_marker.h"

namespace quiltor {
namespace {

using wintest::ClipboardText;
using wintest::FindChildOfClass;
using wintest::FindTopWindowOf;
using wintest::PumpMessages;
using wintest::PutClipboard;

constexpr char kDataPath[] = "C:\\Tool\\race.edt";

WindowId Id(HWND window) { return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(window)); }

std::string WinPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// Only the data file is read in these tests.
class DataFileOnly : public NoFiles {
 public:
  std::map<Bytes, Bytes> contents;
  bool Exists(const Bytes& path) override { return contents.count(path) != 0; }
  std::optional<Bytes> ReadAll(const Bytes& path) override {
    auto found = contents.find(path);
    if (found == contents.end()) return std::nullopt;
    return found->second;
  }
};

class TestHost : public ItemHost {
 public:
  WindowId MainWindow() override { return kNoWindow; }
  WindowId EditDummy() override { return kNoWindow; }
  Rect MainWindowRect() override { return {}; }
  int ModeIndex() override { return kSimpleMode; }
  WindowId LinkedEditWindow() override { return kNoWindow; }
  Bytes ExeFolder() override { return "C:\\Tool"; }
  Bytes CurrentDataFile() override { return "race.edt"; }
  void StopWatchTimer() override {}
  void StartWatchTimer() override {}
  void EnableRepeat() override {}
  void ShowWarningNear(const Bytes& text, Point) override { ADD_FAILURE() << text; }
  void ShowDeliveryError(DeliveryStatus) override { ADD_FAILURE() << "delivery failed"; }
  void HideMainWindow() override {}
  void ShowMainWindow() override {}
  void ProcessPendingMessages() override { PumpMessages(); }
  void WakeIdleAfter(std::uint32_t) override {}
};

// The late-paste editor, in a process of its own.
class LatePasteEditor {
 public:
  LatePasteEditor() {
    std::string commandLine = "\"" + WinPath(QUILTOR_BUILD_DIR "/qtlatepaste.exe") + "\" 300";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info_)) {
      problem_ = "CreateProcess failed, error " + std::to_string(GetLastError());
      info_ = {};
      return;
    }
    WaitForInputIdle(info_.hProcess, 10000);
    top_ = FindTopWindowOf(info_.dwProcessId, "QtLatePaste", 15000);
    if (top_) edit_ = FindChildOfClass(top_, "Edit");
    DWORD exitCode = 0;
    if (!edit_ && GetExitCodeProcess(info_.hProcess, &exitCode))
      problem_ = "no edit window; process exit code " + std::to_string(exitCode);
    // Synthesised keys go to the foreground window: wait until it is ours.
    const ULONGLONG end = GetTickCount64() + 5000;
    while (top_ && GetForegroundWindow() != top_ && GetTickCount64() < end) {
      SetForegroundWindow(top_);
      PumpMessages();
    }
  }
  ~LatePasteEditor() {
    if (top_ && IsWindow(top_)) PostMessageA(top_, WM_CLOSE, 0, 0);
    if (info_.hProcess) {
      if (WaitForSingleObject(info_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(info_.hProcess, 1);
      CloseHandle(info_.hProcess);
      CloseHandle(info_.hThread);
    }
  }
  bool Ready() const { return edit_ != nullptr; }
  const std::string& Problem() const { return problem_; }
  HWND Edit() const { return edit_; }
  void Prepare(const std::string& text, int start, int end) {
    SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(edit_, EM_SETSEL, start, end);
  }
  std::string Title() const {
    char title[128] = {};
    GetWindowTextA(top_, title, sizeof title);
    return title;
  }
  std::string Text() const {
    char text[1024] = {};
    SendMessageA(edit_, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
  }
  // Polls until the text is `expected` or `milliseconds` pass; the last text read.
  std::string WaitForText(const std::string& expected, DWORD milliseconds) const {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    std::string text = Text();
    while (text != expected && GetTickCount64() < end) {
      PumpMessages();
      Sleep(20);
      text = Text();
    }
    return text;
  }

 private:
  PROCESS_INFORMATION info_ = {};
  HWND top_ = nullptr;
  HWND edit_ = nullptr;
  std::string problem_;
};

class PasteRaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(editor.Ready()) << "qtlatepaste did not start: " << editor.Problem();
    ASSERT_TRUE(PutClipboard({{CF_TEXT, std::string("user text\0", 10)}}));
    files.contents[kDataPath] = "[Version]\r\nNo=170\r\n[Edit00]\r\nM00a=ITEM\r\n";
    settings.modeDelivery[kSimpleMode].pasteKind = kPasteByKeys;
    settings.modeDelivery[kSimpleMode].pasteInterval = 0;
    executor.Simple().SetTarget(Id(editor.Edit()));
    editor.Prepare("say hello now", 4, 9);
  }

  // The message loop's part: idle steps while messages are handled, until
  // the execution has ended. Returns how long that took.
  ULONGLONG RunIdleUntilDone(IdleResult& result) {
    const ULONGLONG start = GetTickCount64();
    do {
      PumpMessages();
      result = executor.IdleStep();
      if (result != IdleResult::kWaitingForPaste) break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT);
    } while (GetTickCount64() - start < 10000);
    return GetTickCount64() - start;
  }

  LatePasteEditor editor;
  Win32Platform platform;
  DeliveryRoutines delivery{*platform.clipboard, *platform.windows, *platform.keyboard, *platform.processes};
  ExchangeArea exchange{*platform.sharedMemory};
  DataFileOnly files;
  TestHost host;
  AppSettings settings;
  PendingMarker state;
  ItemExecutor executor{ItemServices{files, *platform.clipboard, *platform.windows, *platform.processes, delivery,
                                     exchange},
                        host, settings, state};
};

TEST_F(PasteRaceTest, LatePasteGetsTheItemAndTheUserClipboardComesBackAfterwards) {
  executor.ChooseItem("TB00M00", -1);
  EXPECT_EQ(state.StartupPending(), 1);

  IdleResult result = IdleResult::kNothingPending;
  const ULONGLONG waited = RunIdleUntilDone(result);
  EXPECT_EQ(result, IdleResult::kDone);
  // The idle step held the clipboard back until the late paste had read it.
  EXPECT_GE(waited, 150u);
  EXPECT_LT(waited, ItemExecutor::kPasteReadLimitMs);
  EXPECT_EQ(platform.clipboard->TransientTextTaken(), std::optional<bool>(true));

  EXPECT_EQ(editor.WaitForText("say ITEM now", 3000), "say ITEM now") << editor.Title();
  EXPECT_EQ(ClipboardText(), "user text");
  EXPECT_EQ(state.StartupPending(), 0);
}

TEST_F(PasteRaceTest, RestoringAtOnceWouldLetTheLatePasteTakeTheUserText) {
  // What the test editor does to a tool that gives the clipboard back as soon
  // as its keys are sent: the reason the idle step waits.
  ASSERT_EQ(delivery.DeliverByKeys(Id(editor.Edit()), "ITEM", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  ASSERT_EQ(delivery.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(editor.WaitForText("say user text now", 3000), "say user text now") << editor.Title();
}

TEST_F(PasteRaceTest, MessagePasteReadsTheTextOnDemandAndLeavesTheClipboardAlone) {
  settings.modeDelivery[kSimpleMode].pasteKind = kPasteByMessages;
  executor.ChooseItem("TB00M00", -1);
  EXPECT_EQ(editor.Text(), "say ITEM now");
  EXPECT_EQ(ClipboardText(), "user text");
  IdleResult result = IdleResult::kNothingPending;
  RunIdleUntilDone(result);
  EXPECT_EQ(result, IdleResult::kDone);
}

TEST(Win32ClipboardOnDemand, TellsWhenTheTextWasReadAndKeepsItForLaterReaders) {
  Win32Platform platform;
  Clipboard& clipboard = *platform.clipboard;
  ASSERT_TRUE(clipboard.SetText("one paste", /*transient=*/true));
  EXPECT_EQ(clipboard.TransientTextTaken(), std::optional<bool>(false));
  EXPECT_TRUE(clipboard.HasText());
  EXPECT_EQ(ClipboardText(), "one paste");
  EXPECT_EQ(clipboard.TransientTextTaken(), std::optional<bool>(true));
  EXPECT_EQ(clipboard.GetText(), std::optional<Bytes>("one paste"));
  // An ordinary text is there at once.
  ASSERT_TRUE(clipboard.SetText("plain", /*transient=*/false));
  EXPECT_EQ(ClipboardText(), "plain");
}

TEST(Win32ClipboardOnDemand, ReaderGetsTheTextWhileThePuttingThreadWaitsWithoutMessages) {
  Win32Platform platform;
  ASSERT_TRUE(platform.clipboard->SetText("while asleep", /*transient=*/true));
  struct Read {
    std::string text;
  } read;
  HANDLE reader = CreateThread(
      nullptr, 0,
      [](LPVOID parameter) -> DWORD {
        static_cast<Read*>(parameter)->text = ClipboardText();
        return 0;
      },
      &read, 0, nullptr);
  ASSERT_NE(reader, nullptr);
  // A wait that answers no messages, as during a delivery's Sleep.
  EXPECT_EQ(WaitForSingleObject(reader, 5000), WAIT_OBJECT_0);
  CloseHandle(reader);
  EXPECT_EQ(read.text, "while asleep");
  EXPECT_EQ(platform.clipboard->TransientTextTaken(), std::optional<bool>(true));
}

}  // namespace
}  // namespace quiltor
