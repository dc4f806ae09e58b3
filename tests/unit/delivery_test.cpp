#include "delivery/delivery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "fakes/call_log.h"
#include "fakes/fake_clipboard.h"
#include "fakes/fake_keyboard.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_windows.h"

namespace quiltor {
namespace {

using fakes::CallLog;
using fakes::FakeClipboard;
using fakes::FakeKeyboard;
using fakes::FakeProcesses;
using fakes::FakeWindows;

constexpr std::uint8_t kCtrl = 0x11, kShift = 0x10, kAlt = 0x12, kIns = 0x2D, kDel = 0x2E;
constexpr std::uint32_t kPrivateFormat = 0xC123;

KeyEvent Down(std::uint8_t vk, std::uint8_t scan) { return {vk, scan, false}; }
KeyEvent Up(std::uint8_t vk, std::uint8_t scan) { return {vk, scan, true}; }

class DeliveryTest : public ::testing::Test {
 protected:
  DeliveryTest() {
    keyboard.onEvent = [this](const KeyEvent& event) {
      windows.OnKey(event);
      if (onKey) onKey(event);
    };
    top = windows.Add("Top", 7);
    editor = windows.AddEditor("Edit", 7, top);
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    clipboard.PutText("user text");
  }

  std::vector<std::string> Focus() const {
    std::vector<std::string> result;
    for (const std::string& entry : log.Entries())
      if (entry.rfind("SetForeground", 0) == 0 || entry.rfind("SetActive", 0) == 0)
        result.push_back(entry.substr(0, entry.find(' ')));
    return result;
  }
  std::size_t DestroyClipboardCount() const {
    return log.Matching("Send " + std::to_string(editor) + " 0x307").size();
  }

  CallLog log;
  FakeClipboard clipboard{&log};
  FakeWindows windows{clipboard, &log};
  FakeKeyboard keyboard{&log};
  FakeProcesses processes{&log};
  DeliveryRoutines routines{clipboard, windows, keyboard, processes};
  std::function<void(const KeyEvent&)> onKey;
  WindowId top = kNoWindow;
  WindowId editor = kNoWindow;
};

struct WriteCase {
  const char* name;
  Bytes before;
  Bytes after;
  std::size_t selStart, selEnd;
  Bytes expected;
  Bytes pasted;
};
const WriteCase kWriteCases[] = {
    {"wraps selection", "(", ")", 6, 9, "hello (xyz) world", "(xyz)"},
    {"empty selection", "(", ")", 6, 6, "hello ()xyz world", "()"},
    {"before alone replaces", "A", "", 6, 9, "hello A world", "A"},
};

TEST_F(DeliveryTest, MessageWritesAndLeavesClipboardAsItWas) {
  clipboard.AddFormat(kPrivateFormat, "Private", std::string("\0\1\2", 3));
  const auto formatsBefore = clipboard.Formats();
  for (const WriteCase& c : kWriteCases) {
    windows.SetEditText(editor, "hello xyz world", c.selStart, c.selEnd);
    ASSERT_EQ(routines.DeliverByMessages(editor, c.before, c.after, 0, 0), DeliveryStatus::kOk) << c.name;
    EXPECT_EQ(windows.EditText(editor), c.expected) << c.name;
    ASSERT_EQ(clipboard.Formats().size(), formatsBefore.size()) << c.name;
    for (std::size_t i = 0; i < formatsBefore.size(); ++i) {
      EXPECT_EQ(clipboard.Formats()[i].id, formatsBefore[i].id) << c.name;
      EXPECT_EQ(clipboard.Formats()[i].data, formatsBefore[i].data) << c.name;
    }
  }
  EXPECT_FALSE(routines.RestorePending());
  EXPECT_TRUE(keyboard.Events().empty());
}

TEST_F(DeliveryTest, KeyWritesWithBothStandardSets) {
  for (std::int64_t setting : {kStandardKeys1, kStandardKeys2}) {
    for (const WriteCase& c : kWriteCases) {
      windows.SetEditText(editor, "hello xyz world", c.selStart, c.selEnd);
      ASSERT_EQ(routines.DeliverByKeys(editor, c.before, c.after, 10, setting), DeliveryStatus::kOk);
      EXPECT_EQ(windows.EditText(editor), c.expected) << c.name << " " << setting;
      // The written text stays on the clipboard until the idle step.
      EXPECT_EQ(clipboard.Text(), c.pasted) << c.name;
      EXPECT_TRUE(clipboard.LastWriteTransient());
      EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
      EXPECT_EQ(clipboard.Text(), "user text");
      EXPECT_FALSE(clipboard.LastWriteTransient());
    }
  }
}

TEST_F(DeliveryTest, KeyWriteLeavesWrittenTextOnClipboardUntilRestore) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "(", ")", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(clipboard.Text(), "(xyz)");
  EXPECT_TRUE(routines.RestorePending());
  EXPECT_TRUE(routines.RestoreIsSafe());
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(clipboard.Text(), "user text");
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kNothingPending);
}

TEST_F(DeliveryTest, StandardSet1SendsCtrlXThenCtrlV) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  const std::vector<KeyEvent> expected = {Down(kCtrl, 0x1D), Down('X', 0x2D), Up('X', 0x2D), Up(kCtrl, 0x1D),
                                          Down(kCtrl, 0x1D), Down('V', 0x2F), Up('V', 0x2F), Up(kCtrl, 0x1D)};
  EXPECT_EQ(keyboard.Events(), expected);
  // Every scan code is known before the first stroke.
  const auto& entries = log.Entries();
  const auto firstKey = std::find_if(entries.begin(), entries.end(),
                                     [](const std::string& e) { return e.rfind("Key", 0) == 0; });
  EXPECT_EQ(std::count_if(firstKey, entries.end(), [](const std::string& e) { return e.rfind("Scan", 0) == 0; }), 0);
}

TEST_F(DeliveryTest, StandardSet2FetchKeysDependOnCutFlag) {
  std::array<std::uint8_t, 64> buffer{};
  ASSERT_EQ(routines.FetchSelectionByKeys(editor, 0, kStandardKeys2, true, buffer), DeliveryStatus::kOk);
  EXPECT_EQ(keyboard.Events(), (std::vector<KeyEvent>{Down(kShift, 0x2A), Down(kDel, 0x53), Up(kDel, 0x53), Up(kShift, 0x2A)}));
  keyboard.ClearEvents();
  ASSERT_EQ(routines.FetchSelectionByKeys(editor, 0, kStandardKeys2, false, buffer), DeliveryStatus::kOk);
  EXPECT_EQ(keyboard.Events(), (std::vector<KeyEvent>{Down(kCtrl, 0x1D), Down(kIns, 0x52), Up(kIns, 0x52), Up(kCtrl, 0x1D)}));
}

TEST_F(DeliveryTest, AllModifiersPressedInOrderReleasedInReverse) {
  EXPECT_TRUE(routines.PressKeyCode(822));
  EXPECT_EQ(keyboard.Events(), (std::vector<KeyEvent>{Down(kCtrl, 0x1D), Down(kShift, 0x2A), Down(kAlt, 0x38),
                                                      Down('W', 0x11), Up('W', 0x11), Up(kAlt, 0x38),
                                                      Up(kShift, 0x2A), Up(kCtrl, 0x1D)}));
}

TEST_F(DeliveryTest, InvalidKeyCodesNeverReachTheKeyboard) {
  for (int code : {0, 99, 150, 199, 900, 949, -1}) {
    EXPECT_FALSE(routines.PressKeyCode(code)) << code;
    EXPECT_FALSE(IsValidKeyCode(code)) << code;
  }
  EXPECT_TRUE(keyboard.Events().empty());
  EXPECT_TRUE(IsValidKeyCode(100));
  EXPECT_TRUE(IsValidKeyCode(849));
}

TEST_F(DeliveryTest, InvalidCodesInSettingFallBackToFirstStandardSet) {
  struct Case {
    std::int64_t packed;
    CutPasteCodes expected;
  };
  const Case cases[] = {
      {236337336, {236, 337, 336}},
      {950950950, {202, 223, 221}},
      {-5, {202, 223, 221}},
      {0, {202, 223, 221}},
      {236999336, {202, 223, 221}},
      {5000000000LL, {202, 223, 221}},
  };
  for (const Case& c : cases) {
    const CutPasteCodes keys = KeyCodesForDelivery(c.packed);
    EXPECT_EQ(keys.copy, c.expected.copy) << c.packed;
    EXPECT_EQ(keys.cut, c.expected.cut) << c.packed;
    EXPECT_EQ(keys.paste, c.expected.paste) << c.packed;
  }
  ASSERT_EQ(routines.DeliverByKeys(editor, "(", ")", 0, 950950950), DeliveryStatus::kOk);
  EXPECT_EQ(windows.EditText(editor), "hello (xyz) world");
}

TEST_F(DeliveryTest, WriteFocusesForegroundFirstFetchActiveFirst) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(Focus(), (std::vector<std::string>{"SetForeground", "SetActive", "SetForeground", "SetActive"}));
  log.Clear();
  std::array<std::uint8_t, 16> buffer{};
  ASSERT_EQ(routines.FetchSelectionByKeys(editor, 0, kStandardKeys1, false, buffer), DeliveryStatus::kOk);
  EXPECT_EQ(Focus(), (std::vector<std::string>{"SetActive", "SetForeground"}));
}

TEST_F(DeliveryTest, KeyWriteSleepsSixIntervals) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 20, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(processes.Sleeps(), (std::vector<std::uint32_t>{20, 20, 20, 20, 20, 20}));
}

TEST_F(DeliveryTest, IntervalZeroStillSendsOneDestroyClipboardPerWait) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(DestroyClipboardCount(), 2u);
  EXPECT_EQ(processes.Sleeps(), (std::vector<std::uint32_t>(6, 0)));
}

TEST_F(DeliveryTest, WaitRepeatsWhileAnotherProgramHoldsTheClipboard) {
  windows.holdClipboardAfterKeyCopy = 3;
  std::array<std::uint8_t, 16> buffer{};
  ASSERT_EQ(routines.FetchSelectionByKeys(editor, 5, kStandardKeys1, false, buffer), DeliveryStatus::kOk);
  EXPECT_EQ(DestroyClipboardCount(), 4u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data())), "xyz");
}

TEST_F(DeliveryTest, WaitGivesUpOnAClipboardThatNeverCloses) {
  windows.holdClipboardAfterKeyCopy = -1;
  EXPECT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kClipboardUnavailable);
  EXPECT_GE(processes.NowMilliseconds(), DeliveryRoutines::kClipboardWaitLimitMs);
  clipboard.HoldOpen(0);
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(clipboard.Text(), "user text");
}

TEST_F(DeliveryTest, TwoKeyWritesKeepTheStateFromBeforeTheFirst) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "(", ")", 0, kStandardKeys1), DeliveryStatus::kOk);
  windows.SetEditText(editor, "second", 0, 6);
  ASSERT_EQ(routines.DeliverByKeys(editor, "[", "]", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(windows.EditText(editor), "[second]");
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(clipboard.Text(), "user text");
}

TEST_F(DeliveryTest, EmptyClipboardStaysEmptyAfterEveryRoutine) {
  std::array<std::uint8_t, 16> buffer{};
  for (int routine = 0; routine < 4; ++routine) {
    clipboard.Clear();
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    const DeliveryStatus status = routine < 2 ? routines.Deliver(routine, editor, "(", ")", 0, kStandardKeys1)
                                              : routines.Fetch(routine - 2, editor, 0, kStandardKeys1, false, buffer);
    ASSERT_EQ(status, DeliveryStatus::kOk) << routine;
    routines.RestoreSavedClipboard();
    EXPECT_TRUE(clipboard.Formats().empty()) << routine;
  }
}

TEST_F(DeliveryTest, EveryFormatComesBackAfterEveryRoutine) {
  std::array<std::uint8_t, 16> buffer{};
  for (int routine = 0; routine < 4; ++routine) {
    clipboard.PutText("user text");
    clipboard.AddFormat(fakes::kCfDib, "", std::string("BM\0\xff", 4));
    clipboard.AddFormat(kPrivateFormat, "Private", "abc");
    const auto before = clipboard.Formats();
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    const DeliveryStatus status = routine < 2 ? routines.Deliver(routine, editor, "(", ")", 0, kStandardKeys1)
                                              : routines.Fetch(routine - 2, editor, 0, kStandardKeys1, true, buffer);
    ASSERT_EQ(status, DeliveryStatus::kOk) << routine;
    routines.RestoreSavedClipboard();
    ASSERT_EQ(clipboard.Formats().size(), before.size()) << routine;
    for (std::size_t i = 0; i < before.size(); ++i) {
      EXPECT_EQ(clipboard.Formats()[i].id, before[i].id) << routine;
      EXPECT_EQ(clipboard.Formats()[i].name, before[i].name) << routine;
      EXPECT_EQ(clipboard.Formats()[i].data, before[i].data) << routine;
    }
  }
}

TEST_F(DeliveryTest, NewerClipboardContentIsNeverOverwritten) {
  // After a key write: the user copies something before the idle step.
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  clipboard.PutText("copied later");
  EXPECT_FALSE(routines.RestoreIsSafe());
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kSkippedChanged);
  EXPECT_EQ(clipboard.Text(), "copied later");
  EXPECT_FALSE(routines.RestorePending());

  // During a message write: another program writes while the target pastes.
  windows.afterMessage = [this](WindowId, std::uint32_t message) {
    if (message == kWmPaste) clipboard.PutText("other program");
  };
  windows.SetEditText(editor, "hello xyz world", 6, 9);
  ASSERT_EQ(routines.DeliverByMessages(editor, "A", "", 0, 0), DeliveryStatus::kOk);
  EXPECT_EQ(windows.EditText(editor), "hello A world");
  EXPECT_EQ(clipboard.Text(), "other program");
}

TEST_F(DeliveryTest, OnlyTheToolsOwnPasteTextIsTransient) {
  bool transientAtPaste = false;
  onKey = [&](const KeyEvent& event) {
    if (event.vk == 'V' && !event.up) transientAtPaste = clipboard.LastWriteTransient();
  };
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_TRUE(transientAtPaste);
  routines.RestoreSavedClipboard();
  EXPECT_FALSE(clipboard.LastWriteTransient());

  bool transientAtMessagePaste = false;
  clipboard.afterOperation = [&](const std::string& op) {
    if (op.rfind("SetText", 0) == 0) transientAtMessagePaste = clipboard.LastWriteTransient();
  };
  windows.SetEditText(editor, "hello xyz world", 6, 9);
  ASSERT_EQ(routines.DeliverByMessages(editor, "A", "", 0, 0), DeliveryStatus::kOk);
  EXPECT_TRUE(transientAtMessagePaste);
  EXPECT_FALSE(clipboard.LastWriteTransient());
}

// The read after the cut, and the read after a key copy, get one more try.
TEST_F(DeliveryTest, ReadAfterKeyCutGetsOneMoreTry) {
  struct Case {
    int failures;
    DeliveryStatus expected;
  };
  for (const Case c : {Case{1, DeliveryStatus::kOk}, Case{2, DeliveryStatus::kClipboardUnavailable}}) {
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    onKey = [&](const KeyEvent& event) {
      if (event.vk == 'X' && event.up) clipboard.FailOpens(c.failures);
    };
    EXPECT_EQ(routines.DeliverByKeys(editor, "(", ")", 0, kStandardKeys1), c.expected) << c.failures;
    if (c.expected == DeliveryStatus::kOk) EXPECT_EQ(windows.EditText(editor), "hello (xyz) world");
    routines.RestoreSavedClipboard();
    EXPECT_EQ(clipboard.Text(), "user text");

    std::array<std::uint8_t, 16> buffer{};
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    onKey = [&](const KeyEvent& event) {
      if (event.vk == 'C' && event.up) clipboard.FailOpens(c.failures);
    };
    EXPECT_EQ(routines.FetchSelectionByKeys(editor, 0, kStandardKeys1, false, buffer), c.expected);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data())), c.expected == DeliveryStatus::kOk ? "xyz" : "");
    routines.RestoreSavedClipboard();
    EXPECT_EQ(clipboard.Text(), "user text");
  }
}

TEST_F(DeliveryTest, ClipboardFailureElsewhereEndsWithTheMessage) {
  // Opening fails at the very start: nothing reaches the target.
  clipboard.FailOpens(1);
  EXPECT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kClipboardUnavailable);
  EXPECT_TRUE(keyboard.Events().empty());
  clipboard.FailOpens(1);
  EXPECT_EQ(routines.DeliverByMessages(editor, "A", "", 0, 0), DeliveryStatus::kClipboardUnavailable);
  EXPECT_EQ(windows.EditText(editor), "hello xyz world");
  EXPECT_EQ(std::wstring(DeliveryStatusMessage(DeliveryStatus::kClipboardUnavailable)), L"クリップボードを開くことができません");
  EXPECT_EQ(DeliveryStatusMessage(DeliveryStatus::kOk), nullptr);
}

TEST_F(DeliveryTest, MessageWriteFailingMidwayStillGivesTheClipboardBack) {
  // The read of the cut selection fails once: no second try for messages.
  clipboard.afterOperation = [this](const std::string& op) {
    if (op == "Empty") clipboard.FailOpens(1);
  };
  EXPECT_EQ(routines.DeliverByMessages(editor, "(", ")", 0, 0), DeliveryStatus::kClipboardUnavailable);
  clipboard.afterOperation = nullptr;
  EXPECT_TRUE(routines.RestorePending());
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(clipboard.Text(), "user text");
}

TEST_F(DeliveryTest, RestoreThatCannotOpenStaysPending) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  clipboard.FailOpens(1);
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kClipboardUnavailable);
  EXPECT_TRUE(routines.RestorePending());
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(clipboard.Text(), "user text");
}

TEST_F(DeliveryTest, FetchesHoldSelectionAndCutRemovesIt) {
  for (int kind : {kPasteByMessages, kPasteByKeys}) {
    for (bool cut : {false, true}) {
      windows.SetEditText(editor, "hello xyz world", 6, 9);
      std::array<std::uint8_t, 32> buffer{};
      ASSERT_EQ(routines.Fetch(kind, editor, 0, kStandardKeys1, cut, buffer), DeliveryStatus::kOk);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data())), "xyz");
      EXPECT_EQ(windows.EditText(editor), cut ? "hello  world" : "hello xyz world") << kind << cut;
      routines.RestoreSavedClipboard();
      EXPECT_EQ(clipboard.Text(), "user text");
    }
  }
}

TEST_F(DeliveryTest, OversizeFetchIsCutOnACharacterBoundary) {
  struct Case {
    Bytes selection;
    std::size_t size;
    Bytes expected;
  };
  const Case cases[] = {
      {"abcdefgh", 8, "abcdefg"},
      {"abcdefg", 8, "abcdefg"},
      {"abcdef\x82\xA0", 8, "abcdef"},      // a double-byte character would end past the limit
      {"abcde\x82\xA0x", 8, "abcde\x82\xA0"},
      {"abcdef\xB1\xB2", 8, "abcdef\xB1"},  // half-width katakana are single bytes
      {"\xE0\x40\xFC\xFC", 4, "\xE0\x40"},
      {"x", 1, ""},
  };
  for (const Case& c : cases) {
    for (int kind : {kPasteByMessages, kPasteByKeys}) {
      windows.SetEditText(editor, c.selection, 0, c.selection.size());
      std::array<std::uint8_t, 16> memory;
      memory.fill(0xEE);
      std::fill_n(memory.begin(), c.size, 0);
      ASSERT_EQ(routines.Fetch(kind, editor, 0, kStandardKeys1, false, std::span(memory).first(c.size)),
                DeliveryStatus::kOk);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(memory.data()), c.expected.size()), c.expected);
      EXPECT_EQ(memory[c.expected.size()], 0) << c.selection;
      EXPECT_EQ(memory[c.size], 0xEE) << "written past the buffer";
    }
  }
}

TEST_F(DeliveryTest, RoutineTableDispatchesByPasteKind) {
  ASSERT_EQ(routines.Deliver(7, editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_TRUE(keyboard.Events().empty());
  windows.SetEditText(editor, "hello xyz world", 6, 9);
  ASSERT_EQ(routines.Deliver(kPasteByKeys, editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_FALSE(keyboard.Events().empty());
  EXPECT_EQ(windows.EditText(editor), "hello A world");
}

}  // namespace
}  // namespace quiltor
