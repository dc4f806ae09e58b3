#include "data/item_execution.h"


#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "data/pages.h"
#include "exchange/exchange_area.h"
#include "fakes/call_log.h"
#include "fakes/fake_clipboard.h"
#include "fakes/fake_files.h"
#include "fakes/fake_keyboard.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_shared_memory.h"
#include "fakes/fake_windows.h"
#include "settings/settings.h"
#include "text/cp932.h"
#include "data/pending_marker.h"
#include "text/texts.h"

namespace quiltor {
namespace {

using fakes::CallLog;
using fakes::FakeClipboard;
using fakes::FakeKeyboard;
using fakes::FakeProcesses;
using fakes::FakeSharedMemory;
using fakes::FakeWindows;
using Counting = FakeClipboard::Counting;

constexpr char kExeFolder[] = "C:\\Tool";
constexpr std::uint32_t kBufferSize = 64;

// A started program: its work runs while the tool waits for it.
class ModuleProcess : public Process {
 public:
  explicit ModuleProcess(std::function<void()> run) : run_(std::move(run)) {}
  std::uint32_t Id() const override { return 900; }
  bool Wait(std::uint32_t) override {
    if (run_) {
      auto run = std::move(run_);
      run_ = nullptr;
      run();
    }
    return true;
  }

 private:
  std::function<void()> run_;
};

class ModuleProcesses : public FakeProcesses {
 public:
  using FakeProcesses::FakeProcesses;
  ShellResult ShellOpen(const Bytes& file, const Bytes& parameters, ShellStart) override {
    opened.push_back({file, parameters});
    ShellResult result;
    if (shellFails) return result;
    result.started = true;
    if (shellGivesProcess) result.process = std::make_unique<ModuleProcess>(module);
    return result;
  }
  struct Opened {
    Bytes file;
    Bytes parameters;
  };
  std::vector<Opened> opened;
  std::function<void()> module;  // what the program does while it runs
};

class FakeHost : public ItemHost {
 public:
  WindowId MainWindow() override { return mainWindow; }
  WindowId EditDummy() override { return editDummy; }
  Rect MainWindowRect() override { return {100, 50, 375, 332}; }
  int ModeIndex() override { return mode; }
  WindowId LinkedEditWindow() override { return linkedEdit; }
  Bytes ExeFolder() override { return kExeFolder; }
  Bytes CurrentDataFile() override { return dataFile; }
  void StopWatchTimer() override { timerRunning = false; }
  void StartWatchTimer() override { timerRunning = true; }
  void EnableRepeat() override { repeatEnabled = true; }
  void ShowWarningNear(const Bytes& text, Point offset) override {
    messages.push_back(text);
    messageOffset = offset;
  }
  void ShowDeliveryError(DeliveryStatus status) override {
    messages.push_back("delivery error");
    statuses.push_back(status);
  }
  void HideMainWindow() override { hidden = true; }
  void ShowMainWindow() override { hidden = false; }
  void ProcessPendingMessages() override { ++pumps; }
  void WakeIdleAfter(std::uint32_t) override { ++wakes; }

  WindowId mainWindow = kNoWindow;
  WindowId editDummy = kNoWindow;
  WindowId linkedEdit = kNoWindow;
  int mode = kSimpleMode;
  Bytes dataFile = "data\\tags.edt";
  bool timerRunning = true;
  bool repeatEnabled = false;
  bool hidden = false;
  int pumps = 0;
  int wakes = 0;
  std::vector<Bytes> messages;
  std::vector<DeliveryStatus> statuses;
  Point messageOffset;
};

// The "Edit00" section of a data file holding `entries` ("M00a=...").
Bytes DataFile(const std::vector<Bytes>& entries) {
  Bytes text = "[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\n[Menu00]\r\nCount=3\r\n[Edit00]\r\n";
  for (const Bytes& entry : entries) text += entry + "\r\n";
  return text;
}

class ItemExecutionTest : public ::testing::Test {
 protected:
  ItemExecutionTest() {
    keyboard.onEvent = [this](const KeyEvent& event) {
      if (holdKeys) {
        heldKeys.push_back(event);
        return;
      }
      windows.OnKey(event);
    };
    host.mainWindow = windows.Add("TFormMain", 1);
    host.editDummy = windows.AddEditor("Edit", 1, host.mainWindow);
    top = windows.Add("EditorFrame", 7);
    editor = windows.AddEditor("EditorText", 7, top);
    windows.SetEditText(editor, "say hello now", 4, 9);
    clipboard.PutText("user text");
    exchange.CreateExchangeBlock();
    exchange.StoreBufferSizes(kBufferSize, kBufferSize);
    exchange.CreateTransferBuffers();
    executor.Simple().SetTarget(editor);
    UseData({});
    // The cases name the paste kind they need; the others write by messages.
    SetPasteKind(kPasteByMessages);
  }

  void UseData(const std::vector<Bytes>& entries, const Bytes& path = "C:\\Tool\\data\\tags.edt") {
    files.Put(path, DataFile(entries));
  }
  void ReplayHeldKeys() {
    holdKeys = false;
    for (const KeyEvent& event : heldKeys) windows.OnKey(event);
    heldKeys.clear();
  }
  // Runs idle steps as the message loop would until the execution ends.
  IdleResult FinishIdle(int rounds = 1000) {
    IdleResult result = executor.IdleStep();
    while (result == IdleResult::kWaitingForPaste && rounds-- > 0) {
      processes.Sleep(ItemExecutor::kRestorePollMs);
      result = executor.IdleStep();
    }
    return result;
  }
  Bytes Buffer1() { return exchange.Buffer1()->ReadText(); }
  void SetPasteKind(int kind) { settings.modeDelivery[kSimpleMode].pasteKind = kind; }

  CallLog log;
  FakeClipboard clipboard{&log};
  FakeWindows windows{clipboard, &log};
  FakeKeyboard keyboard{&log};
  ModuleProcesses processes{&log};
  FakeFileSystem files;
  FakeSharedMemory memory;
  ExchangeArea exchange{memory};
  DeliveryRoutines delivery{clipboard, windows, keyboard, processes};
  AppSettings settings;
  PendingMarker state;
  FakeHost host;
  ItemExecutor executor{ItemServices{files, clipboard, windows, processes, delivery, exchange}, host, settings,
                        state};
  bool holdKeys = false;
  std::vector<KeyEvent> heldKeys;
  WindowId top = kNoWindow;
  WindowId editor = kNoWindow;
};

// The delivery cases run with a clipboard that counts a text handed over on
// demand as Windows does (when it is rendered) and as Wine does (when put).
class ItemDeliveryTest : public ItemExecutionTest, public ::testing::WithParamInterface<Counting> {
 protected:
  ItemDeliveryTest() { clipboard.counting = GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(SequenceNumber, ItemDeliveryTest,
                         ::testing::Values(Counting::kAtRender, Counting::kAtAnnouncement),
                         [](const ::testing::TestParamInfo<Counting>& counting) {
                           return counting.param == Counting::kAtRender ? "CountedAtRender" : "CountedWhenPut";
                         });

TEST_P(ItemDeliveryTest, TextItem_WritesExpandedTextsWithEitherPasteKind) {
  struct Case {
    const char* a;
    const char* b;
    int pasteKind;
    const char* lineEnd;
    const char* expected;
  };
  const Case cases[] = {
      {"<b>", "</b>", 0, "\r\n", "say <b>hello</b> now"},
      {"<b>", "</b>", 1, "\r\n", "say <b>hello</b> now"},
      {"Line1\\nLine2", "", 0, "\r\n", "say Line1\r\nLine2 now"},
      {"Line1\\nLine2", "", 0, "\n", "say Line1\nLine2 now"},
      {"Line1\\nLine2", "", 1, "\r", "say Line1\rLine2 now"},
      {"", "\\t)", 0, "\r\n", "say hello\t) now"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b + " kind " + std::to_string(c.pasteKind));
    windows.SetEditText(editor, "say hello now", 4, 9);
    clipboard.PutText("user text");
    settings.lineEnd = c.lineEnd;
    SetPasteKind(c.pasteKind);
    UseData({Bytes("M00a=") + c.a, Bytes("M00b=") + c.b});

    executor.ChooseItem(ItemName::Main(0, 0), -1);

    EXPECT_EQ(windows.EditText(editor), c.expected);
    EXPECT_TRUE(host.repeatEnabled);
    EXPECT_FALSE(host.timerRunning);
    EXPECT_EQ(windows.Foreground(), top);  // the editor's top window, not the edit control
    EXPECT_EQ(state.StartupPending(), 1);

    EXPECT_EQ(FinishIdle(), IdleResult::kDone);
    EXPECT_EQ(clipboard.Text(), Bytes("user text"));
    EXPECT_EQ(state.StartupPending(), 0);
    EXPECT_TRUE(host.timerRunning);
    EXPECT_EQ(log.Matching("SetFocus").back(), "SetFocus " + std::to_string(editor));
  }
}

TEST_F(ItemExecutionTest, TextItem_EmptyTextsWriteNothingButBringTargetToFront) {
  UseData({"M01a=", "M01b="});
  const std::uint32_t sequence = clipboard.SequenceNumber();
  executor.ChooseItem(ItemName::Main(0, 1), -1);
  EXPECT_EQ(windows.EditText(editor), "say hello now");
  EXPECT_EQ(windows.Selection(editor), "hello");
  EXPECT_EQ(clipboard.SequenceNumber(), sequence);  // the clipboard was not touched
  EXPECT_FALSE(host.repeatEnabled);
  EXPECT_EQ(windows.Foreground(), top);
  EXPECT_EQ(state.StartupPending(), 1);
  // Re-edit that an earlier item enabled stays enabled.
  FinishIdle();
  host.repeatEnabled = true;
  executor.ChooseItem(ItemName::Main(0, 1), -1);
  EXPECT_TRUE(host.repeatEnabled);
}

TEST_F(ItemExecutionTest, TextItem_ReadsTheDataFileAtEachClick) {
  UseData({"M00a=first"});
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  FinishIdle();
  UseData({"M00a=second"});
  windows.SetEditText(editor, "", 0, 0);
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  EXPECT_EQ(windows.EditText(editor), "second");
}

TEST_F(ItemExecutionTest, TextItem_UnreadableDataFileIsReportedAndWritesNothing) {
  files.SetUnreadable("C:\\Tool\\data\\tags.edt", true);
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].find("C:\\Tool\\data\\tags.edt"), Bytes::npos);
  EXPECT_EQ(windows.EditText(editor), "say hello now");
  EXPECT_EQ(state.StartupPending(), 1);
}

TEST_F(ItemExecutionTest, Script_ProgramAndParametersFollowTheDataFile) {
  struct Case {
    const char* dataFile;
    const char* program;
  };
  const Case cases[] = {
      {"sub\\x.edt", "C:\\Tool\\sub\\x.exe"},
      {"x.edt", "C:\\Tool\\x.exe"},
      {"a.b\\noext", "C:\\Tool\\a.b\\noext.exe"},
      // 0x95 0x5C is one character whose second byte looks like a backslash.
      {"\x95\x5C.edt", "C:\\Tool\\\x95\x5C.exe"},
  };
  for (const Case& c : cases) {
    host.dataFile = c.dataFile;
    files.Put(c.program, "MZ");
    files.Put(JoinPath(kExeFolder, c.dataFile), DataFile({}));
    processes.opened.clear();
    executor.ChooseItem(ItemName::Side(0, 3), 0);
    ASSERT_EQ(processes.opened.size(), 1u) << c.dataFile;
    EXPECT_EQ(processes.opened[0].file, c.program);
    EXPECT_EQ(processes.opened[0].parameters, "S03a");
  }
}

TEST_F(ItemExecutionTest, Module_IsLookedUpInTheDataFilesFolder) {
  UseData({"M02a=upper.exe", "M02b=-x  \"y\""});
  files.Put("C:\\Tool\\data\\upper.exe", "MZ");
  executor.ChooseItem(ItemName::Main(0, 2), 6);
  ASSERT_EQ(processes.opened.size(), 1u);
  EXPECT_EQ(processes.opened[0].file, "C:\\Tool\\data\\upper.exe");
  EXPECT_EQ(processes.opened[0].parameters, "-x  \"y\"");
}

// A caret and no selection, with the default settings: a before/after item
// writes both at the caret, and a copy or cut script runs with an empty
// buffer, whether or not the edit window can say that nothing is selected.
// The caret ends between the texts unless CaretInside is off; writing by
// messages moves it only in a window that gives its positions.
TEST_P(ItemDeliveryTest, TextItem_CaretOnlyGetsThePairAndTheCaretBetween) {
  struct Case {
    const char* className;
    int pasteKind;
    bool caretInside;
    std::size_t caret;
  };
  const Case cases[] = {
      {"EditorText", kPasteByKeys, true, 7},  {"Edit", kPasteByKeys, true, 7},
      {"Edit", kPasteByMessages, true, 7},    {"EditorText", kPasteByMessages, true, 11},
      {"EditorText", kPasteByKeys, false, 11}, {"Edit", kPasteByKeys, false, 11},
  };
  UseData({"M00a=<b>", "M00b=</b>"});
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.className) + " kind " + std::to_string(c.pasteKind) + (c.caretInside ? " inside" : ""));
    windows.Get(editor).className = c.className;
    windows.SetEditText(editor, "say hello now", 4, 4);
    clipboard.PutText("user text");
    SetPasteKind(c.pasteKind);
    settings.caretInside = c.caretInside;
    executor.ChooseItem(ItemName::Main(0, 0), -1);
    EXPECT_EQ(windows.EditText(editor), "say <b></b>hello now");
    EXPECT_EQ(windows.Get(editor).selStart, c.caret);
    EXPECT_EQ(windows.Get(editor).selEnd, c.caret);
    EXPECT_EQ(FinishIdle(), IdleResult::kDone);
    EXPECT_EQ(clipboard.Text(), Bytes("user text"));
    EXPECT_TRUE(host.statuses.empty());
  }
}

TEST_P(ItemDeliveryTest, Program_CopyAndCutScriptsRunWithAnEmptyBufferOnACaret) {
  files.Put("C:\\Tool\\data\\tags.exe", "MZ");
  SetPasteKind(kPasteByKeys);
  for (const char* className : {"EditorText", "Edit"}) {
    for (int image : {1, 2}) {
      SCOPED_TRACE(std::string(className) + " image " + std::to_string(image));
      windows.Get(editor).className = className;
      windows.SetEditText(editor, "say hello now", 4, 4);
      clipboard.PutText("user text");
      processes.opened.clear();
      Bytes seen = "not run";
      processes.module = [&] {
        seen = Buffer1();
        exchange.Buffer1()->WriteText("NEW ");
      };
      executor.ChooseItem(ItemName::Side(0, 1), image);
      EXPECT_EQ(processes.opened.size(), 1u);
      EXPECT_EQ(seen, "");
      EXPECT_EQ(windows.EditText(editor), "say NEW hello now");
      EXPECT_EQ(FinishIdle(), IdleResult::kDone);
      EXPECT_EQ(clipboard.Text(), Bytes("user text"));
      EXPECT_TRUE(host.statuses.empty());
    }
  }
}

// An editor that cannot say what is selected and handles its cut keys only
// after the wait, and its paste after that: it pastes back what it cut. The
// cut text stays on the clipboard and the user is told where it is.
TEST_P(ItemDeliveryTest, PasteByKeys_LateCutStaysOnTheClipboardAndTheUserIsTold) {
  SetPasteKind(kPasteByKeys);
  UseData({"M00a=<b>", "M00b=</b>"});
  holdKeys = true;
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  EXPECT_EQ(executor.IdleStep(), IdleResult::kWaitingForPaste);
  ReplayHeldKeys();  // the editor wakes: cut, then paste
  EXPECT_EQ(FinishIdle(), IdleResult::kDone);
  EXPECT_EQ(windows.EditText(editor), "say hello now");
  EXPECT_EQ(clipboard.Text(), Bytes("hello"));
  EXPECT_EQ(host.statuses, (std::vector<DeliveryStatus>{DeliveryStatus::kLateCutOnClipboard}));
}

TEST_P(ItemDeliveryTest, Program_VariantsFetchAndWriteBack) {
  files.Put("C:\\Tool\\data\\tags.exe", "MZ");
  struct Case {
    int image;
    int pasteKind;
    const char* writes;          // what the program leaves in buffer 1 (nullptr: untouched)
    const char* seenInBuffer;    // buffer 1 while it runs
    const char* editorWhileRuns;
    const char* editorAfter;
  };
  const Case cases[] = {
      {1, 0, nullptr, "hello", "say hello now", "say hello now"},  // copy, untouched: written back
      {1, 1, nullptr, "hello", "say hello now", "say hello now"},
      {2, 0, "HELLO", "hello", "say  now", "say HELLO now"},      // cut
      {2, 1, "HELLO", "hello", "say  now", "say HELLO now"},
      {0, 0, nullptr, "", "say hello now", "say hello now"},      // no fetch, nothing returned
      {0, 0, "new", "", "say hello now", "say new now"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("image " + std::to_string(c.image) + " kind " + std::to_string(c.pasteKind));
    windows.SetEditText(editor, "say hello now", 4, 9);
    clipboard.PutText("user text");
    SetPasteKind(c.pasteKind);
    exchange.Buffer2()->WriteText("stale");
    Bytes seen, seen2, editorSeen;
    processes.module = [&] {
      seen = Buffer1();
      seen2 = exchange.Buffer2()->ReadText();
      editorSeen = windows.EditText(editor);
      if (c.writes) exchange.Buffer1()->WriteText(c.writes);
    };
    executor.ChooseItem(ItemName::Side(0, 1), c.image);
    EXPECT_EQ(seen, c.seenInBuffer);
    EXPECT_EQ(seen2, "");
    EXPECT_EQ(editorSeen, c.editorWhileRuns);
    EXPECT_EQ(windows.EditText(editor), c.editorAfter);
    EXPECT_EQ(FinishIdle(), IdleResult::kDone);
    EXPECT_EQ(clipboard.Text(), Bytes("user text"));
  }
}

TEST_F(ItemExecutionTest, Program_AfterTextWrapsTheKeptSelection) {
  UseData({"M03a=wrap.exe", "M03b=b"});
  files.Put("C:\\Tool\\data\\wrap.exe", "MZ");
  processes.module = [&] {
    exchange.Buffer1()->WriteText("<b>");
    exchange.Buffer2()->WriteText("</b>");
  };
  executor.ChooseItem(ItemName::Main(0, 3), 6);
  EXPECT_EQ(windows.EditText(editor), "say <b>hello</b> now");
  EXPECT_EQ(executor.LastBefore(), "<b>");
  EXPECT_EQ(executor.LastAfter(), "</b>");
  EXPECT_TRUE(host.repeatEnabled);
}

TEST_F(ItemExecutionTest, Program_Variant3HidesTheWindowWhileItRuns) {
  files.Put("C:\\Tool\\data\\tags.exe", "MZ");
  for (int image : {3, 4, 5, 9, 10}) {
    bool hiddenWhileRunning = false;
    processes.module = [&] { hiddenWhileRunning = host.hidden; };
    UseData({"S01a=tags.exe"});
    executor.ChooseItem(ItemName::Side(0, 1), image);
    EXPECT_EQ(hiddenWhileRunning, image == 3 || image == 9) << image;
    EXPECT_FALSE(host.hidden) << image;
  }
}

TEST_F(ItemExecutionTest, Program_MissingOrFailingProgramIsReported) {
  struct Case {
    int image;
    bool exists;
    bool shellFails;
    Bytes message;
  };
  const Case cases[] = {
      {1, false, false, Bytes(texts::kScriptKindName) + texts::kProgramMissingText + texts::kScriptCompileHint},
      {7, false, false, texts::kProgramMissingText},
      {2, true, true, Bytes(texts::kScriptKindName) + texts::kRunErrorText},
      {6, true, true, Bytes(texts::kModuleKindName) + texts::kRunErrorText},
  };
  // "スクリプト実行ファイルが見つかりません\nるーむわーくでコンパイルしてください"
  ASSERT_EQ(cases[0].message,
            "\x83\x58\x83\x4e\x83\x8a\x83\x76\x83\x67\x8e\xc0\x8d\x73\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa"
            "\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\n\x82\xe9\x81\x5b\x82\xde\x82\xed\x81\x5b"
            "\x82\xad\x82\xc5\x83\x52\x83\x93\x83\x70\x83\x43\x83\x8b\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2");
  UseData({"S01a=mod.exe"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.image);
    files.Remove("C:\\Tool\\data\\tags.exe");
    files.Remove("C:\\Tool\\data\\mod.exe");
    if (c.exists) {
      files.Put("C:\\Tool\\data\\tags.exe", "MZ");
      files.Put("C:\\Tool\\data\\mod.exe", "MZ");
    }
    processes.shellFails = c.shellFails;
    processes.opened.clear();
    host.messages.clear();
    windows.SetEditText(editor, "say hello now", 4, 9);
    const std::uint32_t sequence = clipboard.SequenceNumber();
    executor.ChooseItem(ItemName::Side(0, 1), c.image);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], c.message);
    EXPECT_EQ(host.messageOffset, (Point{10, 38}));
    EXPECT_EQ(processes.opened.size(), c.exists ? 1u : 0u);
    if (!c.exists) {
      EXPECT_EQ(clipboard.SequenceNumber(), sequence);  // nothing fetched
    } else {
      EXPECT_EQ(windows.EditText(editor), c.image == 2 ? "say  now" : "say hello now");
    }
    EXPECT_EQ(windows.Foreground(), top);
    EXPECT_EQ(state.StartupPending(), 1);
  }
}

TEST_F(ItemExecutionTest, Program_TextWithoutTerminatorIsReadToTheBufferEnd) {
  files.Put("C:\\Tool\\data\\tags.exe", "MZ");
  struct Case {
    Bytes fill;
    Bytes written;
  };
  const Case cases[] = {
      {Bytes(kBufferSize, 'A'), Bytes(kBufferSize, 'A')},
      // A lead byte cut off by the buffer's end is dropped, not written.
      {Bytes(kBufferSize - 1, 'A') + "\x82", Bytes(kBufferSize - 1, 'A')},
  };
  for (const Case& c : cases) {
    windows.SetEditText(editor, "", 0, 0);
    processes.module = [&] {
      std::copy(c.fill.begin(), c.fill.end(), exchange.Buffer1()->Span().begin());
      std::copy(c.fill.begin(), c.fill.end(), exchange.Buffer2()->Span().begin());
    };
    executor.ChooseItem(ItemName::Side(0, 1), 0);
    EXPECT_EQ(windows.EditText(editor), c.written + c.written);
  }
}

TEST_F(ItemExecutionTest, Program_WithoutProcessHandleWaitsForTheBuffers) {
  files.Put("C:\\Tool\\data\\tags.exe", "MZ");
  processes.shellGivesProcess = false;
  // Output appears after 400 ms: it is taken once it holds still.
  std::uint64_t start = processes.NowMilliseconds();
  processes.At(start + 400, [&] { exchange.Buffer1()->WriteText("late output"); });
  windows.SetEditText(editor, "", 0, 0);
  executor.ChooseItem(ItemName::Side(0, 1), 0);
  EXPECT_EQ(windows.EditText(editor), "late output");
  EXPECT_LT(processes.NowMilliseconds() - start, 1500u);
  EXPECT_GT(host.pumps, 0);  // the tool kept answering

  // A program that never writes: the wait is bounded and the fetched
  // selection goes back where it was.
  windows.SetEditText(editor, "say hello now", 4, 9);
  start = processes.NowMilliseconds();
  executor.ChooseItem(ItemName::Side(0, 1), 2);
  EXPECT_EQ(windows.EditText(editor), "say hello now");
  const std::uint64_t waited = processes.NowMilliseconds() - start;
  EXPECT_GE(waited, ItemExecutor::kNoHandleWaitLimitMs);
  EXPECT_LT(waited, ItemExecutor::kNoHandleWaitLimitMs + 1000);
}

TEST_F(ItemExecutionTest, Program_SecondItemWhileOneRunsIsRefused) {
  files.Put("C:\\Tool\\data\\tags.exe", "MZ");
  UseData({"M00a=other"});
  bool accepted = true;
  processes.module = [&] {
    exchange.Buffer1()->WriteText("first");
    accepted = executor.ChooseItem(ItemName::Main(0, 0), -1);
    executor.Popup_RepeatClick();
    state.SetStartupPending(1);  // as an earlier execution would have left it
    EXPECT_EQ(executor.IdleStep(), IdleResult::kBusy);
  };
  windows.SetEditText(editor, "", 0, 0);
  executor.ChooseItem(ItemName::Side(0, 1), 0);
  EXPECT_FALSE(accepted);
  EXPECT_EQ(windows.EditText(editor), "first");
  EXPECT_EQ(processes.opened.size(), 1u);
}

TEST_F(ItemExecutionTest, Repeat_TextItemsWriteTheLastTextsAgainProgramsOfKinds0To2RunAgain) {
  files.Put("C:\\Tool\\data\\tags.exe", "MZ");
  UseData({"M00a=[", "M00b=]", "S05a=mod.exe"});
  files.Put("C:\\Tool\\data\\mod.exe", "MZ");
  struct Case {
    ItemName item;
    int image;
    bool runsAgain;
  };
  const Case cases[] = {
      {ItemName::Main(0, 0), -1, false}, {ItemName::Side(0, 1), 0, true},  {ItemName::Side(0, 1), 2, true},
      {ItemName::Side(0, 1), 3, false},  {ItemName::Side(0, 5), 6, true},  {ItemName::Side(0, 5), 8, true},
      {ItemName::Side(0, 5), 9, false},  {ItemName::Side(0, 5), 11, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item.Key() + " image " + std::to_string(c.image));
    int runs = 0;
    processes.module = [&] {
      ++runs;
      exchange.Buffer1()->WriteText("<" + Buffer1() + ">");
    };
    windows.SetEditText(editor, "one two", 0, 3);
    executor.ChooseItem(c.item, c.image);
    FinishIdle();
    const Bytes afterFirst = windows.EditText(editor);
    // The data file changes; a text item's re-edit still writes what was written.
    UseData({"M00a=(", "M00b=)", "S05a=mod.exe"});
    windows.SetEditText(editor, afterFirst + " three", afterFirst.size() + 1, afterFirst.size() + 6);
    host.timerRunning = true;

    executor.Popup_RepeatClick();

    EXPECT_EQ(runs, c.image == -1 ? 0 : c.runsAgain ? 2 : 1);
    EXPECT_FALSE(host.timerRunning);
    EXPECT_EQ(state.StartupPending(), 1);
    if (c.image == -1) {
      EXPECT_EQ(windows.EditText(editor), "[one] two [three]");
    }
    if (c.runsAgain && c.image % 6 == 2) {
      EXPECT_EQ(windows.EditText(editor), afterFirst + " <three>");
    }
    if (!c.runsAgain && c.image != -1) {
      // The texts the program returned the first time, in place of "three".
      EXPECT_EQ(windows.EditText(editor), afterFirst + " " + executor.LastBefore());
    }
    EXPECT_EQ(FinishIdle(), IdleResult::kDone);
    EXPECT_TRUE(host.timerRunning);
    UseData({"M00a=[", "M00b=]", "S05a=mod.exe"});
  }
}

TEST_F(ItemExecutionTest, Repeat_AfterEmptyItemDoesNotCutTheSelection) {
  UseData({"M01a=", "M01b="});
  executor.ChooseItem(ItemName::Main(0, 1), -1);
  executor.Popup_RepeatClick();
  EXPECT_EQ(windows.EditText(editor), "say hello now");
}

TEST_F(ItemExecutionTest, LinkedMode_UsesTheLinkedEditWindowAndItsSettings) {
  const WindowId otherTop = windows.Add("Frame2", 8);
  const WindowId other = windows.AddEditor("Text2", 8, otherTop);
  windows.SetEditText(other, "abc", 0, 3);
  host.mode = kLinkedMode;
  host.linkedEdit = other;
  settings.modeDelivery[kLinkedMode].pasteKind = kPasteByKeys;
  UseData({"M00a=X"});
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  EXPECT_EQ(windows.EditText(other), "X");
  EXPECT_EQ(windows.EditText(editor), "say hello now");
  EXPECT_FALSE(keyboard.Events().empty());  // the linked mode's paste kind: keys
  EXPECT_EQ(windows.Foreground(), otherTop);
}

TEST_P(ItemDeliveryTest, PasteByKeys_ClipboardComesBackOnlyAfterTheTargetRead) {
  SetPasteKind(kPasteByKeys);
  UseData({"M00a=ITEM"});
  // The target takes the cut at once but handles the paste keys late.
  keyboard.onEvent = [this](const KeyEvent& event) {
    if (event.vk == 'V' && !event.up) holdKeys = true;
    if (holdKeys) {
      heldKeys.push_back(event);
      return;
    }
    windows.OnKey(event);
  };
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  EXPECT_EQ(windows.EditText(editor), "say  now");  // the paste has not happened yet

  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(executor.IdleStep(), IdleResult::kWaitingForPaste);
    processes.Sleep(60);
  }
  EXPECT_EQ(clipboard.Text(), Bytes("ITEM"));
  EXPECT_EQ(state.StartupPending(), 1);
  EXPECT_FALSE(host.timerRunning);
  EXPECT_GT(host.wakes, 0);

  ReplayHeldKeys();  // the target pastes now, reading the clipboard
  EXPECT_EQ(windows.EditText(editor), "say ITEM now");
  EXPECT_EQ(executor.IdleStep(), IdleResult::kDone);
  EXPECT_EQ(clipboard.Text(), Bytes("user text"));
  EXPECT_TRUE(host.timerRunning);
  EXPECT_TRUE(host.statuses.empty());
}

// A clipboard monitor reads every new content at once. Its read renders the
// text, but only the target's own read may bring the user's clipboard back:
// the late paste still gets the item's text.
TEST_P(ItemDeliveryTest, PasteByKeys_AMonitorsReadDoesNotCountAsTheTargets) {
  constexpr std::uint32_t kMonitor = 42;
  SetPasteKind(kPasteByKeys);
  UseData({"M00a=ITEM"});
  keyboard.onEvent = [this](const KeyEvent& event) {
    if (event.vk == 'V' && !event.up) {
      holdKeys = true;
      clipboard.ReadText(kMonitor);  // the monitor sees the text as it arrives
    }
    if (holdKeys) {
      heldKeys.push_back(event);
      return;
    }
    windows.OnKey(event);
  };
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(executor.IdleStep(), IdleResult::kWaitingForPaste) << i;
    processes.Sleep(100);
  }
  ReplayHeldKeys();
  EXPECT_EQ(windows.EditText(editor), "say ITEM now");
  EXPECT_EQ(FinishIdle(), IdleResult::kDone);
  EXPECT_EQ(clipboard.Text(), Bytes("user text"));
  EXPECT_TRUE(host.statuses.empty()) << "somebody read the text: nothing to report";
}

TEST_P(ItemDeliveryTest, PasteByKeys_WaitEndsAtTheLimitOrWhenTheUserCopiesSomethingElse) {
  SetPasteKind(kPasteByKeys);
  UseData({"M00a=ITEM"});
  holdKeys = true;  // a target that never handles the keys
  const std::uint64_t start = processes.NowMilliseconds();
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  EXPECT_EQ(FinishIdle(), IdleResult::kDone);
  EXPECT_GE(processes.NowMilliseconds() - start, ItemExecutor::kPasteReadLimitMs);
  EXPECT_EQ(clipboard.Text(), Bytes("user text"));
  // Nobody asked for the text: the keys did not reach the target.
  EXPECT_EQ(host.statuses, (std::vector<DeliveryStatus>{DeliveryStatus::kTextNotTaken}));

  heldKeys.clear();
  host.statuses.clear();
  clipboard.PutText("user text");
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  EXPECT_EQ(executor.IdleStep(), IdleResult::kWaitingForPaste);
  clipboard.PutText("copied meanwhile");
  EXPECT_EQ(executor.IdleStep(), IdleResult::kDone);
  EXPECT_EQ(clipboard.Text(), Bytes("copied meanwhile"));
  EXPECT_TRUE(host.statuses.empty());
}

TEST_P(ItemDeliveryTest, PasteByKeys_RestoreRetriesWhileTheClipboardIsHeld) {
  SetPasteKind(kPasteByKeys);
  UseData({"M00a=ITEM"});
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  clipboard.FailOpens(2);  // the target still has it open while it reads
  EXPECT_EQ(executor.IdleStep(), IdleResult::kWaitingForPaste);
  EXPECT_EQ(FinishIdle(), IdleResult::kDone);
  EXPECT_EQ(clipboard.Text(), Bytes("user text"));
  EXPECT_TRUE(host.statuses.empty());

  // Held past the limit: the execution ends, the user is told, and the saved
  // clipboard stays pending for the next write's idle step.
  windows.SetEditText(editor, "say hello now", 4, 9);
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  clipboard.FailOpens(1000000);
  EXPECT_EQ(FinishIdle(), IdleResult::kDone);
  EXPECT_EQ(host.statuses, (std::vector<DeliveryStatus>{DeliveryStatus::kClipboardUnavailable}));
  EXPECT_EQ(state.StartupPending(), 0);
  EXPECT_TRUE(delivery.RestorePending());
  clipboard.FailOpens(0);
  windows.SetEditText(editor, "again", 0, 5);
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  EXPECT_EQ(FinishIdle(), IdleResult::kDone);
  EXPECT_EQ(clipboard.Text(), Bytes("user text"));
}

TEST_P(ItemDeliveryTest, IdleStepReportsAFormatItCouldNotPutBack) {
  constexpr std::uint32_t kPrivate = 0xC123;
  SetPasteKind(kPasteByKeys);
  UseData({"M00a=ITEM"});
  clipboard.AddFormat(kPrivate, "Private", "abc");
  clipboard.notRestorable = {kPrivate};
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  EXPECT_TRUE(host.statuses.empty());
  EXPECT_EQ(FinishIdle(), IdleResult::kDone);
  EXPECT_EQ(host.statuses, (std::vector<DeliveryStatus>{DeliveryStatus::kFormatsNotRestored}));
  EXPECT_EQ(delivery.LostFormats(), (std::vector<ClipboardFormatName>{{kPrivate, "Private"}}));
  EXPECT_EQ(clipboard.Text(), Bytes("user text"));
  EXPECT_EQ(state.StartupPending(), 0);
}

// A target that does not answer, or that Windows protects from the tool,
// never freezes the execution and never passes silently.
TEST_P(ItemDeliveryTest, RefusingTargetIsReportedAndTheExecutionEnds) {
  files.Put("C:\\Tool\\data\\tags.exe", "MZ");
  struct Case {
    const char* name;
    int image;  // -1 text item, 1 a script that copies the selection first
    int pasteKind;
    bool hung;
    DeliveryStatus expected;
  };
  const Case cases[] = {
      {"hung, text by messages", -1, kPasteByMessages, true, DeliveryStatus::kTargetHung},
      {"hung, text by keys", -1, kPasteByKeys, true, DeliveryStatus::kTargetHung},
      {"hung, fetch for a script", 1, kPasteByKeys, true, DeliveryStatus::kTargetHung},
      {"protected, text by messages", -1, kPasteByMessages, false, DeliveryStatus::kTargetProtected},
      {"protected, fetch for a script", 1, kPasteByMessages, false, DeliveryStatus::kTargetProtected},
  };
  UseData({"M00a=ITEM"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetPasteKind(c.pasteKind);
    host.statuses.clear();
    processes.opened.clear();
    windows.SetEditText(editor, "say hello now", 4, 9);
    clipboard.PutText("user text");
    (c.hung ? windows.Get(editor).hung : windows.Get(editor).protectedProcess) = true;
    executor.ChooseItem(c.image < 0 ? ItemName::Main(0, 0) : ItemName::Side(0, 1), c.image);
    EXPECT_EQ(host.statuses, (std::vector<DeliveryStatus>{c.expected}));
    EXPECT_TRUE(processes.opened.empty()) << "no program runs without its selection";
    EXPECT_TRUE(keyboard.Events().empty());
    EXPECT_EQ(state.StartupPending(), 1);
    EXPECT_EQ(FinishIdle(), IdleResult::kDone);
    EXPECT_EQ(windows.EditText(editor), "say hello now");
    EXPECT_EQ(clipboard.Text(), Bytes("user text"));
    EXPECT_TRUE(host.timerRunning);
    windows.Get(editor).hung = false;
    windows.Get(editor).protectedProcess = false;
  }
}

// A program that takes the selection gets nothing when the selection holds
// characters its code page 932 buffer cannot: the user is told, nothing
// runs, and a cut selection is back in the editor.
TEST_P(ItemDeliveryTest, ASelectionCodePage932LacksRunsNoProgram) {
  files.Put("C:\\Tool\\data\\tags.exe", "MZ");
  for (int image : {1, 2}) {  // copy, cut
    SCOPED_TRACE(image);
    host.statuses.clear();
    processes.opened.clear();
    windows.SetUnicodeEditText(editor, u"say 😀 now", 4, 6);
    clipboard.PutText("user text");
    executor.ChooseItem(ItemName::Side(0, 1), image);
    EXPECT_EQ(host.statuses, (std::vector<DeliveryStatus>{DeliveryStatus::kSelectionNotAnsi}));
    EXPECT_TRUE(processes.opened.empty());
    EXPECT_EQ(FinishIdle(), IdleResult::kDone);
    EXPECT_EQ(windows.UnicodeEditText(editor), u"say 😀 now");
    EXPECT_EQ(clipboard.Text(), Bytes("user text"));
  }
}

TEST_P(ItemDeliveryTest, FetchThatCouldNotKeepAFormatStillRunsTheProgram) {
  constexpr std::uint32_t kPrivate = 0xC123;
  files.Put("C:\\Tool\\data\\tags.exe", "MZ");
  clipboard.AddFormat(kPrivate, "Private", "abc");
  clipboard.notKeptBySnapshot = {kPrivate};
  Bytes seen;
  processes.module = [&] {
    seen = Buffer1();
    exchange.Buffer1()->WriteText("HELLO");
  };
  executor.ChooseItem(ItemName::Side(0, 1), 1);
  EXPECT_EQ(seen, "hello");
  EXPECT_EQ(windows.EditText(editor), "say HELLO now");
  ASSERT_FALSE(host.statuses.empty());
  EXPECT_EQ(host.statuses.front(), DeliveryStatus::kFormatsNotKept);
  EXPECT_EQ(FinishIdle(), IdleResult::kDone);
  EXPECT_EQ(clipboard.Text(), Bytes("user text"));
}

TEST_F(ItemExecutionTest, TimerTimer1_ReadsTheFocusWithoutJoiningInputAndNeverTakesTheTool) {
  const WindowId bare = windows.Add("Bare", 9);  // a top window with no edit control
  struct Case {
    const char* name;
    std::function<void()> arrange;
    WindowId expected;
  };
  const WindowId before = editor;
  const Case cases[] = {
      {"no foreground", [] {}, before},
      {"main window", [&] { windows.SetForeground(host.mainWindow); }, before},
      {"focus holder", [&] { windows.SetForeground(host.editDummy); }, before},
      {"tool window with its focus holder",
       [&] {
         const WindowId popup = windows.Add("ToolPopup", 1);
         windows.SetForeground(popup);
         windows.SetFocus(host.editDummy);
       },
       before},
      {"editor", [&] { windows.SetForeground(top); }, editor},
      {"window without focus", [&] { windows.SetForeground(bare); }, bare},
  };
  for (const Case& c : cases) {
    executor.Simple().SetTarget(before);
    c.arrange();
    const int attaches = windows.InputAttaches();
    log.Clear();
    executor.TimerTimer1();
    EXPECT_EQ(executor.Simple().Target(), c.expected) << c.name;
    // Watching reads the focus from outside: it never joins the foreground
    // thread's input nor moves anything.
    EXPECT_EQ(windows.InputAttaches(), attaches) << c.name;
    EXPECT_TRUE(log.Matching("Set").empty()) << c.name;
  }
}

TEST(ItemExecutionPaths, FindItemImageFindsButtonsAndMenuEntries) {
  const Bytes contents =
      "[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\n[Menu00]\r\nCount=2\r\n"
      "M00=00,Text\r\nS00=08,Module\r\nM01=13,02,Menu\r\nM0100=03,Script\r\nM0101=00,Text2\r\n";
  const DataPagesResult result = BuildDataPages(contents);
  ASSERT_TRUE(result.error.Ok());
  EXPECT_EQ(FindItemImage(result.pages, ItemName::Main(0, 0)), -1);
  EXPECT_EQ(FindItemImage(result.pages, ItemName::Side(0, 0)), 7);
  EXPECT_EQ(FindItemImage(result.pages, ItemName::Main(0, 1).Entry(0)), 2);
  EXPECT_EQ(FindItemImage(result.pages, ItemName::Main(0, 1).Entry(1)), -1);
  EXPECT_EQ(FindItemImage(result.pages, ItemName::Main(1, 0)), std::nullopt);
  EXPECT_EQ(FindItemImage(result.pages, ItemName::Main(0, 5)), std::nullopt);
  EXPECT_EQ(FindItemImage(result.pages, ItemName::Main(0, 1).Entry(2)), std::nullopt) << "past the menu's count";
  EXPECT_EQ(FindItemImage(result.pages, ItemName::Main(0, 0).Entry(0)), std::nullopt) << "a button without a menu";
  EXPECT_EQ(FindItemImage(result.pages, ItemName::Side(0, 2)), std::nullopt) << "the end place is no item";
}

}  // namespace
}  // namespace quiltor
