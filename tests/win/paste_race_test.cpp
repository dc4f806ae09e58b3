// Editors that are late or stop answering, a clipboard monitor that reads
// everything: the target must still paste the item text, the user's
// clipboard must come back afterwards, and the tool must never hang.
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
#include "support/helper_process.h"
#include "support/notepad.h"
#include "data/pending_marker.h"

namespace quiltor {
namespace {

using wintest::ClipboardMonitor;
using wintest::ClipboardText;
using wintest::LatePasteEditor;
using wintest::PumpMessages;
using wintest::PutClipboard;

constexpr char kDataPath[] = "C:\\Tool\\race.edt";

WindowId Id(HWND window) { return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(window)); }

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
  void ShowDeliveryError(DeliveryStatus status) override { statuses.push_back(status); }
  void HideMainWindow() override {}
  void ShowMainWindow() override {}
  void ProcessPendingMessages() override { PumpMessages(); }
  void WakeIdleAfter(std::uint32_t) override {}
  std::vector<DeliveryStatus> statuses;
};

class PasteRaceTest : public ::testing::Test {
 protected:
  explicit PasteRaceTest(unsigned cutDelayMs = 0, const char* control = "edit", unsigned pasteDelayMs = 300)
      : editor(pasteDelayMs, cutDelayMs, control) {}
  void SetUp() override {
    ASSERT_TRUE(editor.Ready()) << "qtlatepaste did not start: " << editor.Problem();
    ASSERT_TRUE(PutClipboard({{CF_TEXT, std::string("user text\0", 10)}}));
    files.contents[kDataPath] = "[Version]\r\nNo=170\r\n[Edit00]\r\nM00a=ITEM\r\nM01a=(\r\nM01b=)\r\n";
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
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
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
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  EXPECT_EQ(state.StartupPending(), 1);

  IdleResult result = IdleResult::kNothingPending;
  const ULONGLONG waited = RunIdleUntilDone(result);
  EXPECT_EQ(result, IdleResult::kDone);
  // The idle step held the clipboard back until the late paste had read it.
  EXPECT_GE(waited, 150u);
  EXPECT_LT(waited, ItemExecutor::kPasteReadLimitMs);
  EXPECT_EQ(platform.clipboard->PasteTextRead(), PasteRead::kByReader);

  EXPECT_EQ(editor.WaitForText("say ITEM now", 3000), "say ITEM now") << editor.Title();
  EXPECT_EQ(ClipboardText(), "user text");
  EXPECT_EQ(state.StartupPending(), 0);
  EXPECT_TRUE(host.statuses.empty());
}

TEST_F(PasteRaceTest, RestoringAtOnceWouldLetTheLatePasteTakeTheUserText) {
  // What the test editor does to a tool that gives the clipboard back as soon
  // as its keys are sent: the reason the idle step waits.
  ASSERT_EQ(delivery.DeliverByKeys(Id(editor.Edit()), "ITEM", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  ASSERT_EQ(delivery.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(editor.WaitForText("say user text now", 3000), "say user text now") << editor.Title();
}

// A monitor reads every clipboard update at once, the tool's one-paste text
// included, so the text is rendered before the late editor asks for it. That
// read is not the target's: the user's clipboard stays away until the limit,
// and the late editor pastes the item, not the user's text.
TEST_F(PasteRaceTest, ClipboardMonitorsReadIsNotTakenForTheTargets) {
  ClipboardMonitor monitor;
  ASSERT_TRUE(monitor.Ready()) << monitor.Problem();
  const int readsBefore = monitor.Reads();
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  IdleResult result = IdleResult::kNothingPending;
  RunIdleUntilDone(result);
  EXPECT_EQ(result, IdleResult::kDone);
  EXPECT_EQ(editor.WaitForText("say ITEM now", 3000), "say ITEM now") << editor.Title();
  EXPECT_GT(monitor.Reads(), readsBefore) << "the monitor did not read the clipboard: the test proves nothing";
  EXPECT_EQ(ClipboardText(), "user text");
}

TEST_F(PasteRaceTest, MessagePasteReadsTheTextOnDemandAndLeavesTheClipboardAlone) {
  settings.modeDelivery[kSimpleMode].pasteKind = kPasteByMessages;
  executor.ChooseItem(ItemName::Main(0, 0), -1);
  EXPECT_EQ(editor.Text(), "say ITEM now");
  EXPECT_EQ(ClipboardText(), "user text");
  IdleResult result = IdleResult::kNothingPending;
  RunIdleUntilDone(result);
  EXPECT_EQ(result, IdleResult::kDone);
  EXPECT_TRUE(host.statuses.empty());
}

// An editor that stops answering: the write gives up within the answer time,
// tells the user, and leaves the user's clipboard as it was; the rest of the
// execution (focus, idle step) does not wait for the editor either.
TEST_F(PasteRaceTest, EditorThatStopsAnsweringIsReportedAndNeverHangsTheTool) {
  for (int kind : {kPasteByMessages, kPasteByKeys}) {
    SCOPED_TRACE("paste kind " + std::to_string(kind));
    settings.modeDelivery[kSimpleMode].pasteKind = kind;
    host.statuses.clear();
    ASSERT_TRUE(editor.StopAnswering(5000));
    const ULONGLONG start = GetTickCount64();
    executor.ChooseItem(ItemName::Main(0, 0), -1);
    IdleResult result = IdleResult::kNothingPending;
    RunIdleUntilDone(result);
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_EQ(result, IdleResult::kDone);
    EXPECT_EQ(host.statuses, (std::vector<DeliveryStatus>{DeliveryStatus::kTargetHung}));
    EXPECT_LT(took, DeliveryRoutines::kAnswerTimeoutMs + 2000u);
    EXPECT_EQ(ClipboardText(), "user text");
    // Once it answers again nothing arrives late.
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(SendMessageTimeoutA(editor.Top(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored));
    EXPECT_EQ(editor.WaitForText("never", 500), "say hello now") << editor.Title();
  }
}

class LateCutTest : public PasteRaceTest {
 protected:
  LateCutTest() : PasteRaceTest(150) {}
};

// The editor handles its cut 150 ms late: the write waits for the cut to
// reach the clipboard before it reads it and pastes the wrapped text.
TEST_F(LateCutTest, WrapWaitsForTheLateCut) {
  executor.ChooseItem(ItemName::Main(0, 1), -1);
  IdleResult result = IdleResult::kNothingPending;
  RunIdleUntilDone(result);
  EXPECT_EQ(result, IdleResult::kDone);
  EXPECT_EQ(editor.WaitForText("say (hello) now", 3000), "say (hello) now") << editor.Title();
  EXPECT_EQ(ClipboardText(), "user text");
  EXPECT_TRUE(host.statuses.empty());
}

// A rich edit control answers EM_GETSEL and counts a line end once: the
// item's pair goes in at the caret without a cut, and the caret lands
// between the texts, after the late paste as after a message.
class RichEditTest : public PasteRaceTest {
 protected:
  RichEditTest() : PasteRaceTest(0, "rich") {}
};

TEST_F(RichEditTest, PairGoesInAtTheCaretWithTheCaretBetween) {
  files.contents[kDataPath] += "M02a=<b>\r\nM02b=</\x82\xa0>\\n\r\n";  // "</あ>" and a line end
  const std::string start = "\x95\x5c\r\nab";                            // "表", a line end, "ab"
  for (int kind : {kPasteByKeys, kPasteByMessages}) {
    SCOPED_TRACE("paste kind " + std::to_string(kind));
    settings.modeDelivery[kSimpleMode].pasteKind = kind;
    editor.Prepare(start, 2, 2);  // after the line end
    executor.ChooseItem(ItemName::Main(0, 2), -1);
    IdleResult result = IdleResult::kNothingPending;
    RunIdleUntilDone(result);
    EXPECT_EQ(result, IdleResult::kDone);
    const std::string expected = "\x95\x5c\r\n<b></\x82\xa0>\r\nab";
    EXPECT_EQ(editor.WaitForText(expected, 3000), expected) << editor.Title();
    EXPECT_EQ(editor.Selection(), (std::pair<unsigned, unsigned>{5, 5}));
    EXPECT_EQ(ClipboardText(), "user text");
    EXPECT_TRUE(host.statuses.empty());
  }
}

// An edit control under a class the tool does not know cannot be asked: the
// cut keys go out, and when no cut comes within the wait the selection was
// empty; the caret goes between the texts by Left-arrow keys.
class UnknownControlTest : public PasteRaceTest {
 protected:
  UnknownControlTest() : PasteRaceTest(0, "own") {}
};

TEST_F(UnknownControlTest, NoCutWithinTheWaitMeansNothingWasSelected) {
  editor.Prepare("say hello now", 4, 4);
  const ULONGLONG start = GetTickCount64();
  executor.ChooseItem(ItemName::Main(0, 1), -1);
  EXPECT_GE(GetTickCount64() - start, DeliveryRoutines::kCutWaitMs);
  IdleResult result = IdleResult::kNothingPending;
  RunIdleUntilDone(result);
  EXPECT_EQ(result, IdleResult::kDone);
  EXPECT_EQ(editor.WaitForText("say ()hello now", 3000), "say ()hello now") << editor.Title();
  EXPECT_EQ(editor.Selection(), (std::pair<unsigned, unsigned>{5, 5}));
  EXPECT_EQ(ClipboardText(), "user text");
  EXPECT_TRUE(host.statuses.empty());
}

// The same editor cuts 500 ms late, after the tool took it that nothing was
// selected and put its text, and then pastes what it cut itself. Its cut
// text stays on the clipboard and the user is told where it is.
class LateCutAfterTheWaitTest : public PasteRaceTest {
 protected:
  LateCutAfterTheWaitTest() : PasteRaceTest(500, "own", 600) {}
};

TEST_F(LateCutAfterTheWaitTest, CutTextStaysOnTheClipboardAndTheUserIsTold) {
  executor.ChooseItem(ItemName::Main(0, 1), -1);
  IdleResult result = IdleResult::kNothingPending;
  RunIdleUntilDone(result);
  EXPECT_EQ(result, IdleResult::kDone);
  EXPECT_EQ(editor.WaitForText("say hello now", 3000), "say hello now") << editor.Title();
  EXPECT_EQ(ClipboardText(), "hello");
  EXPECT_EQ(host.statuses, (std::vector<DeliveryStatus>{DeliveryStatus::kLateCutOnClipboard}));
}

TEST(Win32ClipboardOnDemand, PutsOnlyWhileTheClipboardIsUnchanged) {
  Win32Platform platform;
  Clipboard& clipboard = *platform.clipboard;
  ASSERT_TRUE(clipboard.Empty());
  const std::uint32_t emptied = clipboard.SequenceNumber();
  EXPECT_EQ(clipboard.OwnerProcess(), GetCurrentProcessId());
  ASSERT_TRUE(PutClipboard({{CF_TEXT, std::string("cut late\0", 9)}}));
  EXPECT_EQ(clipboard.PutForPasteIfUnchanged(PasteText{"mine", {}, {}}, GetCurrentProcessId(), emptied), PutResult::kChanged);
  EXPECT_EQ(ClipboardText(), "cut late");
  const std::uint32_t now = clipboard.SequenceNumber();
  EXPECT_EQ(clipboard.PutForPasteIfUnchanged(PasteText{"mine", {}, {}}, GetCurrentProcessId(), now), PutResult::kPut);
  EXPECT_EQ(ClipboardText(), "mine");
}

TEST(Win32ClipboardOnDemand, TellsWhoReadTheTextAndKeepsItForLaterReaders) {
  Win32Platform platform;
  Clipboard& clipboard = *platform.clipboard;
  ASSERT_TRUE(clipboard.PutForPaste(PasteText{"one paste", {}, {}}, GetCurrentProcessId()));
  EXPECT_EQ(clipboard.PasteTextRead(), PasteRead::kNotRead);
  EXPECT_TRUE(clipboard.HasText());
  // Opened without a window: the reader cannot be told.
  EXPECT_EQ(ClipboardText(), "one paste");
  EXPECT_EQ(clipboard.PasteTextRead(), PasteRead::kByOther);
  EXPECT_EQ(clipboard.GetText(), (std::optional<quiltor::ClipboardText>(quiltor::ClipboardText{u"one paste", "one paste"})));
  EXPECT_TRUE(clipboard.HoldsOwnContent()) << "reading changes nothing";
  // A window of the reader's process asks for the Unicode form.
  ASSERT_TRUE(clipboard.PutForPaste(PasteText{"two", {}, {}}, GetCurrentProcessId()));
  HWND reader = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(reader, nullptr);
  ASSERT_TRUE(OpenClipboard(reader));
  EXPECT_NE(GetClipboardData(CF_UNICODETEXT), nullptr);
  CloseClipboard();
  DestroyWindow(reader);
  EXPECT_EQ(clipboard.PasteTextRead(), PasteRead::kByReader);
  // Another program's copy ends the tool's ownership.
  ASSERT_TRUE(PutClipboard({{CF_TEXT, std::string("other\0", 6)}}));
  EXPECT_FALSE(clipboard.HoldsOwnContent());
}

TEST(Win32ClipboardOnDemand, ReaderGetsTheTextWhileThePuttingThreadWaitsWithoutMessages) {
  Win32Platform platform;
  ASSERT_TRUE(platform.clipboard->PutForPaste(PasteText{"while asleep", {}, {}}, 0));
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
  EXPECT_NE(platform.clipboard->PasteTextRead(), PasteRead::kNotRead);
}

}  // namespace
}  // namespace quiltor
