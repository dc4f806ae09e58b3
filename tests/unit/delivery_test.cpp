#include "delivery/delivery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "fakes/call_log.h"
#include "fakes/fake_clipboard.h"
#include "fakes/fake_integrity.h"
#include "fakes/fake_keyboard.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_text_codec.h"
#include "fakes/fake_windows.h"

namespace quiltor {
namespace {

using fakes::CallLog;
using fakes::FakeClipboard;
using fakes::FakeIntegrityLevels;
using fakes::FakeKeyboard;
using fakes::FakeProcesses;
using fakes::FakeWindows;
using Counting = FakeClipboard::Counting;

constexpr std::uint8_t kCtrl = 0x11, kShift = 0x10, kAlt = 0x12, kIns = 0x2D, kDel = 0x2E, kLeft = 0x25;
constexpr std::uint32_t kPrivateFormat = 0xC123;
constexpr std::uint32_t kMonitorProcess = 42;

KeyEvent Down(std::uint8_t vk, std::uint8_t scan) { return {vk, scan, false}; }
KeyEvent Up(std::uint8_t vk, std::uint8_t scan) { return {vk, scan, true}; }

std::string BufferText(const std::uint8_t* buffer) { return reinterpret_cast<const char*>(buffer); }

// Every test runs with a clipboard that counts a text handed over on demand
// as Windows does (when it is rendered) and as Wine does (when it is put).
class DeliveryTest : public ::testing::TestWithParam<Counting> {
 protected:
  DeliveryTest() {
    clipboard.counting = GetParam();
    keyboard.onEvent = [this](const KeyEvent& event) {
      if (onKey) onKey(event);
      if (delayedKeys > 0) {
        --delayedKeys;
        late.push_back(event);
        if (delayedKeys == 0) {
          processes.At(processes.NowMilliseconds() + keyDelayMs, [this] {
            for (const KeyEvent& held : late) windows.OnKey(held);
            late.clear();
          });
        }
        return;
      }
      windows.OnKey(event);
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
  // The editor handles the next `count` key events `delayMs` late, all at once.
  void HandleKeysLate(int count, std::uint64_t delayMs) {
    delayedKeys = count;
    keyDelayMs = delayMs;
  }
  bool PasteKeySent() const {
    return std::any_of(keyboard.Events().begin(), keyboard.Events().end(),
                       [](const KeyEvent& e) { return e.vk == 'V' || (e.vk == kIns && !e.up); });
  }
  bool CutKeySent() const {
    return std::any_of(keyboard.Events().begin(), keyboard.Events().end(),
                       [](const KeyEvent& e) { return e.vk == 'X' || e.vk == kDel; });
  }
  std::size_t LeftKeyPresses() const {
    return static_cast<std::size_t>(std::count_if(keyboard.Events().begin(), keyboard.Events().end(),
                                                  [](const KeyEvent& e) { return e.vk == kLeft && !e.up && e.extended; }));
  }
  bool LeftKeySent() const { return LeftKeyPresses() > 0; }
  DeliveryStatus Run(int routine, std::span<std::uint8_t> buffer, bool cut = false) {
    return routine < 2 ? routines.Deliver(routine, editor, "(", ")", 0, kStandardKeys1)
                       : routines.Fetch(routine - 2, editor, 0, kStandardKeys1, cut, buffer);
  }

  CallLog log;
  FakeClipboard clipboard{&log};
  FakeWindows windows{clipboard, &log};
  FakeKeyboard keyboard{&log};
  FakeProcesses processes{&log};
  FakeIntegrityLevels integrity;
  DeliveryRoutines routines{clipboard, windows, keyboard, processes, &integrity};
  std::function<void(const KeyEvent&)> onKey;
  int delayedKeys = 0;
  std::uint64_t keyDelayMs = 0;
  std::vector<KeyEvent> late;
  WindowId top = kNoWindow;
  WindowId editor = kNoWindow;
};

INSTANTIATE_TEST_SUITE_P(SequenceNumber, DeliveryTest, ::testing::Values(Counting::kAtRender, Counting::kAtAnnouncement),
                         [](const ::testing::TestParamInfo<Counting>& counting) {
                           return counting.param == Counting::kAtRender ? "CountedAtRender" : "CountedWhenPut";
                         });

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
    {"before alone at the caret", "A", "", 6, 6, "hello Axyz world", "A"},
};

TEST_P(DeliveryTest, MessageWritesAndLeavesClipboardAsItWas) {
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

TEST_P(DeliveryTest, KeyWritesWithBothStandardSets) {
  for (std::int64_t setting : {kStandardKeys1, kStandardKeys2}) {
    for (const WriteCase& c : kWriteCases) {
      SCOPED_TRACE(std::string(c.name) + " keys " + std::to_string(setting));
      windows.SetEditText(editor, "hello xyz world", c.selStart, c.selEnd);
      keyboard.ClearEvents();
      ASSERT_EQ(routines.DeliverByKeys(editor, c.before, c.after, 10, setting), DeliveryStatus::kOk);
      // Shift+Delete at a caret would delete a character: with nothing
      // selected no cut key goes out.
      EXPECT_EQ(CutKeySent(), c.selStart != c.selEnd);
      EXPECT_EQ(windows.EditText(editor), c.expected);
      // The written text stays on the clipboard until the idle step.
      EXPECT_EQ(clipboard.Text(), c.pasted);
      EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
      EXPECT_EQ(clipboard.Text(), "user text");
    }
  }
}

// Whether anything is selected is asked of the window with the keyboard
// focus, where its class is known to answer; with nothing selected the text
// goes in at once. A window that cannot say gets the cut keys, and when no
// cut comes within the wait, nothing was selected.
TEST_P(DeliveryTest, EmptySelectionIsWrittenAtOnceWhereTheWindowCanSay) {
  struct Case {
    const char* className;
    std::size_t selEnd;
    bool cutKeys;
    bool waitsForTheCut;
    Bytes expected;
  };
  const Case cases[] = {
      {"Edit", 6, false, false, "hello ()xyz world"},
      {"RichEdit20W", 6, false, false, "hello ()xyz world"},
      {"RICHEDIT50W", 6, false, false, "hello ()xyz world"},
      {"Scintilla", 6, false, false, "hello ()xyz world"},
      {"Edit", 9, true, false, "hello (xyz) world"},
      {"Scintilla", 9, true, false, "hello (xyz) world"},
      {"QtLateEdit", 6, true, true, "hello ()xyz world"},
      {"QtLateEdit", 9, true, false, "hello (xyz) world"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.className) + (c.selEnd == 6 ? " caret" : " selection"));
    windows.Get(editor).className = c.className;
    windows.SetEditText(editor, "hello xyz world", 6, c.selEnd);
    keyboard.ClearEvents();
    log.Clear();
    const std::uint64_t start = processes.NowMilliseconds();
    ASSERT_EQ(routines.DeliverByKeys(editor, "(", ")", 0, kStandardKeys1), DeliveryStatus::kOk);
    const std::uint64_t took = processes.NowMilliseconds() - start;
    EXPECT_EQ(windows.EditText(editor), c.expected);
    EXPECT_EQ(CutKeySent(), c.cutKeys);
    EXPECT_TRUE(PasteKeySent());
    if (c.waitsForTheCut) {
      EXPECT_GE(took, DeliveryRoutines::kCutWaitMs);
    } else {
      EXPECT_LT(took, 50u);
    }
    // Only the paste is waited for when nothing is cut.
    if (!c.cutKeys) { EXPECT_EQ(DestroyClipboardCount(), 1u); }
    EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
    EXPECT_EQ(clipboard.Text(), "user text");
  }
}

// Fetching an empty selection gives the program an empty buffer: at once
// where the window says so (the clipboard is not even touched), after the
// wait where it cannot.
TEST_P(DeliveryTest, FetchOfAnEmptySelectionGivesAnEmptyBuffer) {
  for (const char* className : {"Edit", "RichEdit20W", "QtLateEdit"}) {
    for (bool cut : {false, true}) {
      SCOPED_TRACE(std::string(className) + (cut ? " cut" : " copy"));
      const bool asks = std::string(className) != "QtLateEdit";
      windows.Get(editor).className = className;
      windows.SetEditText(editor, "hello xyz world", 6, 6);
      keyboard.ClearEvents();
      log.Clear();
      std::array<std::uint8_t, 16> buffer;
      buffer.fill(0);
      EXPECT_EQ(routines.FetchSelectionByKeys(editor, 0, kStandardKeys1, cut, buffer), DeliveryStatus::kOk);
      EXPECT_EQ(BufferText(buffer.data()), "");
      EXPECT_EQ(windows.EditText(editor), "hello xyz world");
      EXPECT_EQ(keyboard.Events().empty(), asks);
      EXPECT_EQ(log.Matching("Clipboard Snapshot").empty() && log.Matching("Clipboard Empty").empty(), asks);
      routines.RestoreSavedClipboard();
      EXPECT_EQ(clipboard.Text(), "user text");
    }
  }
}

// A cut handled late. A window that said something is selected gets
// kSelectedCutWaitMs for it, and without it nothing is written. Where the
// window cannot say, a cut later than the wait was taken for an empty
// selection; it is still wrapped when it comes before the text is put, and
// when it comes after, what the editor cut stays on the clipboard for the
// user instead of the older saved state.
TEST_P(DeliveryTest, LateCutIsWrappedOrKeptButNeverLost) {
  struct Case {
    const char* name;
    const char* className;
    std::uint64_t cutDelayMs;  // 0: at the moment the tool puts its text
    int lateEvents;            // the cut keys (4), or the cut and paste keys (8)
    bool fetch;
    DeliveryStatus expected;
    Bytes editorAfter;
    Bytes clipboardAfterRestore;
    RestoreResult restored;
  };
  const Case cases[] = {
      {"said selected, late cut within its wait", "Edit", 1500, 4, false, DeliveryStatus::kOk, "hello (xyz) world",
       "user text", RestoreResult::kRestored},
      {"said selected, cut never in time", "Edit", 5000, 4, false, DeliveryStatus::kCutProducedNothing,
       "hello xyz world", "user text", RestoreResult::kNothingPending},
      {"said selected, copy never in time", "Edit", 5000, 4, true, DeliveryStatus::kCutProducedNothing,
       "hello xyz world", "user text", RestoreResult::kNothingPending},
      {"cannot say, late cut within the wait", "QtLateEdit", 200, 4, false, DeliveryStatus::kOk, "hello (xyz) world",
       "user text", RestoreResult::kRestored},
      {"cannot say, cut just before the put", "QtLateEdit", 0, 4, false, DeliveryStatus::kOk, "hello (xyz) world",
       "user text", RestoreResult::kRestored},
      {"cannot say, cut after the text was put", "QtLateEdit", 500, 8, false, DeliveryStatus::kOk, "hello xyz world",
       "xyz", RestoreResult::kLateCutKept},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    windows.Get(editor).className = c.className;
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    clipboard.PutText("user text");
    keyboard.ClearEvents();
    if (c.cutDelayMs > 0) {
      HandleKeysLate(c.lateEvents, c.cutDelayMs);
    } else {
      delayedKeys = c.lateEvents;
      keyDelayMs = 1000000;  // released by the hook below
      clipboard.beforeOpen = [this](const std::string& operation) {
        if (operation != "PutForPaste" || late.empty()) return;
        for (const KeyEvent& held : late) windows.OnKey(held);
        late.clear();
      };
    }
    std::array<std::uint8_t, 16> buffer{};
    const DeliveryStatus status = c.fetch ? routines.FetchSelectionByKeys(editor, 0, kStandardKeys1, false, buffer)
                                          : routines.DeliverByKeys(editor, "(", ")", 0, kStandardKeys1,
                                                                   CaretPlacement::kBetween);
    clipboard.beforeOpen = nullptr;
    EXPECT_EQ(status, c.expected);
    if (status != DeliveryStatus::kOk) { EXPECT_FALSE(PasteKeySent()); }
    processes.Sleep(1000);  // a late cut and paste land now
    EXPECT_EQ(windows.EditText(editor), c.editorAfter);
    EXPECT_FALSE(LeftKeySent()) << "the caret is not moved after a cut";
    EXPECT_EQ(routines.RestoreSavedClipboard(), c.restored);
    EXPECT_EQ(clipboard.Text(), c.clipboardAfterRestore);
    processes.Sleep(6000);  // keys still held land before the next case
    late.clear();
  }
}

// Told apart from a late cut: the user copying something else meanwhile,
// which stays and is not reported; and a late copy of a fetch that came
// before the module's text was written, which comes back after the write.
TEST_P(DeliveryTest, LateCutIsToldFromTheUsersOwnCopy) {
  windows.Get(editor).className = "QtLateEdit";
  windows.SetEditText(editor, "hello xyz world", 6, 6);
  ASSERT_EQ(routines.DeliverByKeys(editor, "(", ")", 0, kStandardKeys1), DeliveryStatus::kOk);
  clipboard.PutText("copied elsewhere", kMonitorProcess);
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kSkippedChanged);
  EXPECT_EQ(clipboard.Text(), "copied elsewhere");

  clipboard.PutText("user text");
  windows.SetEditText(editor, "hello xyz world", 6, 9);
  HandleKeysLate(4, 500);
  std::array<std::uint8_t, 16> buffer{};
  ASSERT_EQ(routines.FetchSelectionByKeys(editor, 0, kStandardKeys1, false, buffer), DeliveryStatus::kOk);
  EXPECT_EQ(BufferText(buffer.data()), "");
  processes.Sleep(1000);  // the module runs; the editor's copy comes meanwhile
  EXPECT_EQ(clipboard.Text(), "xyz");
  windows.SetEditText(editor, "hello xyz world", 6, 6);
  ASSERT_EQ(routines.DeliverByKeys(editor, "[", "]", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kLateCutKept);
  EXPECT_EQ(clipboard.Text(), "xyz");
}

// After a before and an after text went into an empty selection, the caret
// stands between them: by EM_SETSEL in the window's own count of positions
// where it gives them, else by Left-arrow keys, one per character as the
// window counts them (a line end and a double-byte character once each).
TEST_P(DeliveryTest, CaretIsPutBetweenThePairWrittenIntoAnEmptySelection) {
  const Bytes before = "<b>";
  const Bytes after = "</\x82\xa0>\r\n";  // "</あ>" and a line end: five steps
  const Bytes longText(70000, 'x');
  struct Case {
    const char* className;
    int kind;
    Bytes text;  // the caret stands after its first 6 bytes
    CaretPlacement placement;
    int caretSets;
    std::size_t leftKeys;
    bool between;
  };
  const Case cases[] = {
      {"Edit", kPasteByKeys, "hello\r\nyz", CaretPlacement::kBetween, 1, 0, true},
      {"RichEdit20W", kPasteByKeys, "hello\r\nyz", CaretPlacement::kBetween, 1, 0, true},
      {"Edit", kPasteByMessages, "hello\r\nyz", CaretPlacement::kBetween, 1, 0, true},
      {"RichEdit20W", kPasteByMessages, "hello\r\nyz", CaretPlacement::kBetween, 1, 0, true},
      {"Scintilla", kPasteByKeys, "hello\r\nyz", CaretPlacement::kBetween, 0, 5, true},
      {"QtLateEdit", kPasteByKeys, "hello\r\nyz", CaretPlacement::kBetween, 0, 5, true},
      {"Edit", kPasteByKeys, "hello " + longText, CaretPlacement::kBetween, 0, 5, true},
      // Messages move no caret where the window gives no positions.
      {"QtLateEdit", kPasteByMessages, "hello\r\nyz", CaretPlacement::kBetween, 0, 0, false},
      {"Edit", kPasteByKeys, "hello\r\nyz", CaretPlacement::kAfterText, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.className) + " kind " + std::to_string(c.kind) +
                 (c.placement == CaretPlacement::kBetween ? " between" : " after"));
    windows.Get(editor).className = c.className;
    windows.SetEditText(editor, c.text, 6, 6);
    windows.caretSets = 0;
    keyboard.ClearEvents();
    ASSERT_EQ(routines.Deliver(c.kind, editor, before, after, 0, kStandardKeys1, c.placement), DeliveryStatus::kOk);
    EXPECT_EQ(windows.EditText(editor), c.text.substr(0, 6) + before + after + c.text.substr(6));
    // The editor keeps UTF-16: its caret counts units.
    const std::size_t caret = fakes::Utf16Of(c.text.substr(0, 6) + before + (c.between ? Bytes() : after)).size();
    EXPECT_EQ(windows.Get(editor).selStart, caret);
    EXPECT_EQ(windows.Get(editor).selEnd, caret);
    EXPECT_EQ(windows.caretSets, c.caretSets);
    EXPECT_EQ(LeftKeyPresses(), c.leftKeys);
    routines.RestoreSavedClipboard();
    EXPECT_EQ(clipboard.Text(), "user text");
  }
}

TEST_P(DeliveryTest, RestoreAfterTheTargetReadWhateverTheSequenceNumberDid) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "(", ")", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(clipboard.PasteTextRead(), PasteRead::kByReader);
  EXPECT_EQ(clipboard.Text(), "(xyz)");
  EXPECT_TRUE(routines.RestorePending());
  EXPECT_TRUE(routines.RestoreIsSafe());
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(clipboard.Text(), "user text");
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kNothingPending);
}

TEST_P(DeliveryTest, StandardSet1SendsCtrlXThenCtrlV) {
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

TEST_P(DeliveryTest, StandardSet2FetchKeysDependOnCutFlag) {
  std::array<std::uint8_t, 64> buffer{};
  ASSERT_EQ(routines.FetchSelectionByKeys(editor, 0, kStandardKeys2, true, buffer), DeliveryStatus::kOk);
  EXPECT_EQ(keyboard.Events(), (std::vector<KeyEvent>{Down(kShift, 0x2A), Down(kDel, 0x53), Up(kDel, 0x53), Up(kShift, 0x2A)}));
  routines.RestoreSavedClipboard();
  keyboard.ClearEvents();
  windows.SetEditText(editor, "hello xyz world", 6, 9);
  ASSERT_EQ(routines.FetchSelectionByKeys(editor, 0, kStandardKeys2, false, buffer), DeliveryStatus::kOk);
  EXPECT_EQ(keyboard.Events(), (std::vector<KeyEvent>{Down(kCtrl, 0x1D), Down(kIns, 0x52), Up(kIns, 0x52), Up(kCtrl, 0x1D)}));
}

TEST_P(DeliveryTest, AllModifiersPressedInOrderReleasedInReverse) {
  EXPECT_TRUE(routines.PressKeyCode(822));
  EXPECT_EQ(keyboard.Events(), (std::vector<KeyEvent>{Down(kCtrl, 0x1D), Down(kShift, 0x2A), Down(kAlt, 0x38),
                                                      Down('W', 0x11), Up('W', 0x11), Up(kAlt, 0x38),
                                                      Up(kShift, 0x2A), Up(kCtrl, 0x1D)}));
}

TEST_P(DeliveryTest, InvalidKeyCodesNeverReachTheKeyboard) {
  for (int code : {0, 99, 150, 199, 900, 949, -1}) {
    EXPECT_FALSE(routines.PressKeyCode(code)) << code;
    EXPECT_FALSE(IsValidKeyCode(code)) << code;
  }
  EXPECT_TRUE(keyboard.Events().empty());
  EXPECT_TRUE(IsValidKeyCode(100));
  EXPECT_TRUE(IsValidKeyCode(849));
}

TEST_P(DeliveryTest, InvalidCodesInSettingFallBackToFirstStandardSet) {
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

TEST_P(DeliveryTest, WriteFocusesForegroundFirstFetchActiveFirst) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(Focus(), (std::vector<std::string>{"SetForeground", "SetActive", "SetForeground", "SetActive"}));
  log.Clear();
  std::array<std::uint8_t, 16> buffer{};
  windows.SetEditText(editor, "hello xyz world", 6, 9);
  ASSERT_EQ(routines.FetchSelectionByKeys(editor, 0, kStandardKeys1, false, buffer), DeliveryStatus::kOk);
  EXPECT_EQ(Focus(), (std::vector<std::string>{"SetActive", "SetForeground"}));
}

TEST_P(DeliveryTest, KeyWriteSleepsSixIntervals) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 20, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(processes.Sleeps(), (std::vector<std::uint32_t>{20, 20, 20, 20, 20, 20}));
}

TEST_P(DeliveryTest, IntervalZeroStillSendsOneDestroyClipboardPerWait) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(DestroyClipboardCount(), 2u);
  EXPECT_EQ(processes.Sleeps(), (std::vector<std::uint32_t>(6, 0)));
}

TEST_P(DeliveryTest, WaitRepeatsWhileAnotherProgramHoldsTheClipboard) {
  windows.holdClipboardAfterKeyCopy = 3;
  std::array<std::uint8_t, 16> buffer{};
  ASSERT_EQ(routines.FetchSelectionByKeys(editor, 5, kStandardKeys1, false, buffer), DeliveryStatus::kOk);
  EXPECT_EQ(DestroyClipboardCount(), 4u);
  EXPECT_EQ(BufferText(buffer.data()), "xyz");
}

TEST_P(DeliveryTest, WaitGivesUpOnAClipboardThatNeverClosesAndGivesItBack) {
  windows.holdClipboardAfterKeyCopy = -1;
  EXPECT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kClipboardUnavailable);
  EXPECT_GE(processes.NowMilliseconds(), DeliveryRoutines::kClipboardWaitLimitMs);
  EXPECT_FALSE(PasteKeySent());
  EXPECT_EQ(clipboard.Text(), "user text");
  EXPECT_FALSE(routines.RestorePending());
}

TEST_P(DeliveryTest, TwoKeyWritesKeepTheStateFromBeforeTheFirst) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "(", ")", 0, kStandardKeys1), DeliveryStatus::kOk);
  windows.SetEditText(editor, "second", 0, 6);
  ASSERT_EQ(routines.DeliverByKeys(editor, "[", "]", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(windows.EditText(editor), "[second]");
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(clipboard.Text(), "user text");
}

TEST_P(DeliveryTest, WriteAfterTheUserCopiedKeepsTheNewerCopyNotAStaleOne) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  // The idle step has not run; the user copies something, then writes again.
  clipboard.PutText("copied between");
  windows.SetEditText(editor, "second", 0, 6);
  ASSERT_EQ(routines.DeliverByKeys(editor, "B", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(clipboard.Text(), "copied between");
}

TEST_P(DeliveryTest, EmptyClipboardStaysEmptyAfterEveryRoutine) {
  std::array<std::uint8_t, 16> buffer{};
  for (int routine = 0; routine < 4; ++routine) {
    clipboard.Clear();
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    ASSERT_EQ(Run(routine, buffer), DeliveryStatus::kOk) << routine;
    routines.RestoreSavedClipboard();
    EXPECT_TRUE(clipboard.Formats().empty()) << routine;
  }
}

TEST_P(DeliveryTest, EveryFormatComesBackAfterEveryRoutine) {
  std::array<std::uint8_t, 16> buffer{};
  for (int routine = 0; routine < 4; ++routine) {
    clipboard.PutText("user text");
    clipboard.AddFormat(fakes::kCfDib, "", std::string("BM\0\xff", 4));
    clipboard.AddFormat(kPrivateFormat, "Private", "abc");
    const auto before = clipboard.Formats();
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    ASSERT_EQ(Run(routine, buffer, /*cut=*/true), DeliveryStatus::kOk) << routine;
    routines.RestoreSavedClipboard();
    ASSERT_EQ(clipboard.Formats().size(), before.size()) << routine;
    for (std::size_t i = 0; i < before.size(); ++i) {
      EXPECT_EQ(clipboard.Formats()[i].id, before[i].id) << routine;
      EXPECT_EQ(clipboard.Formats()[i].name, before[i].name) << routine;
      EXPECT_EQ(clipboard.Formats()[i].data, before[i].data) << routine;
    }
  }
}

// Writes in a row while the clipboard holds what the tool put back read it
// only once; anything another program did in between is read afresh and is
// what comes back.
TEST_P(DeliveryTest, ClipboardPutBackIsNotReadAgainUntilAnotherProgramChangesIt) {
  std::array<std::uint8_t, 16> buffer{};
  for (int routine = 0; routine < 4; ++routine) {
    clipboard.PutText("user text");
    clipboard.AddFormat(kPrivateFormat, "Private", "abc");
    for (int write = 0; write < 3; ++write) {
      windows.SetEditText(editor, "hello xyz world", 6, 9);
      ASSERT_EQ(Run(routine, buffer), DeliveryStatus::kOk) << routine;
      routines.RestoreSavedClipboard();
    }
    EXPECT_EQ(log.Matching("Clipboard Snapshot").size(), 1u) << routine;
    EXPECT_EQ(clipboard.Text(), "user text") << routine;

    clipboard.AddFormat(fakes::kCfDib, "", "added");
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    ASSERT_EQ(Run(routine, buffer), DeliveryStatus::kOk) << routine;
    routines.RestoreSavedClipboard();
    ASSERT_EQ(clipboard.Formats().size(), 3u) << routine;
    EXPECT_EQ(clipboard.Formats()[2].data, "added") << routine;

    clipboard.PutText("copied later");
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    ASSERT_EQ(Run(routine, buffer), DeliveryStatus::kOk) << routine;
    routines.RestoreSavedClipboard();
    EXPECT_EQ(clipboard.Text(), "copied later") << routine;
    EXPECT_EQ(clipboard.Formats().size(), 1u) << routine;
    EXPECT_EQ(log.Matching("Clipboard Snapshot").size(), 3u) << routine;
    log.Clear();
  }
}

// A format that could not be kept or put back is named to the user; the
// write itself is done and the other formats come back.
TEST_P(DeliveryTest, FormatsNotKeptOrNotPutBackAreReported) {
  struct Case {
    const char* name;
    int routine;
    bool snapshotMisses;  // else the restore cannot put it back
    DeliveryStatus expected;
  };
  const Case cases[] = {
      {"message write, slow format", kDeliverByMessages, true, DeliveryStatus::kFormatsNotKept},
      {"key write, slow format", kDeliverByKeys, true, DeliveryStatus::kFormatsNotKept},
      {"message fetch, slow format", kFetchSelectionByMessages, true, DeliveryStatus::kFormatsNotKept},
      {"message write, format not put back", kDeliverByMessages, false, DeliveryStatus::kFormatsNotRestored},
      {"message fetch, format not put back", kFetchSelectionByMessages, false, DeliveryStatus::kFormatsNotRestored},
  };
  std::array<std::uint8_t, 16> buffer{};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clipboard.notKeptBySnapshot.clear();
    clipboard.notRestorable.clear();
    (c.snapshotMisses ? clipboard.notKeptBySnapshot : clipboard.notRestorable).insert(kPrivateFormat);
    clipboard.PutText("user text");
    clipboard.AddFormat(kPrivateFormat, "Private", "abc");
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    EXPECT_EQ(Run(c.routine, buffer), c.expected);
    EXPECT_EQ(routines.LostFormats(), (std::vector<ClipboardFormatName>{{kPrivateFormat, "Private"}}));
    if (c.routine < 2) { EXPECT_EQ(windows.EditText(editor), "hello (xyz) world"); }
    routines.RestoreSavedClipboard();
    EXPECT_EQ(clipboard.Text(), "user text");
  }
  // The key routines put the clipboard back in the idle step, which reports it.
  clipboard.notKeptBySnapshot.clear();
  clipboard.notRestorable = {kPrivateFormat};
  clipboard.AddFormat(kPrivateFormat, "Private", "abc");
  windows.SetEditText(editor, "hello xyz world", 6, 9);
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kPartlyRestored);
  EXPECT_EQ(routines.LostFormats(), (std::vector<ClipboardFormatName>{{kPrivateFormat, "Private"}}));
  EXPECT_EQ(clipboard.Text(), "user text");
}

TEST_P(DeliveryTest, NewerClipboardContentIsNeverOverwritten) {
  // After a key write: the user copies something before the idle step.
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  clipboard.PutText("copied later");
  EXPECT_FALSE(routines.RestoreIsSafe());
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kSkippedChanged);
  EXPECT_EQ(clipboard.Text(), "copied later");
  EXPECT_FALSE(routines.RestorePending());

  // During a message write: another program writes after the target pasted.
  windows.afterMessage = [this](WindowId, std::uint32_t message) {
    if (message == kWmPaste) clipboard.PutText("other program");
  };
  windows.SetEditText(editor, "hello xyz world", 6, 9);
  ASSERT_EQ(routines.DeliverByMessages(editor, "A", "", 0, 0), DeliveryStatus::kOk);
  EXPECT_EQ(windows.EditText(editor), "hello A world");
  EXPECT_EQ(clipboard.Text(), "other program");
}

TEST_P(DeliveryTest, PasteTextAndTheUserContentPutBackAreMarkedForHistoryTools) {
  bool markedAtPaste = false;
  onKey = [&](const KeyEvent& event) {
    if (event.vk == 'V' && !event.up) markedAtPaste = clipboard.Marked();
  };
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_TRUE(markedAtPaste);
  routines.RestoreSavedClipboard();
  EXPECT_EQ(clipboard.Text(), "user text");
  EXPECT_TRUE(clipboard.Marked()) << "the user's content put back is not stored a second time";

  bool markedAtMessagePaste = false;
  windows.afterMessage = [&](WindowId, std::uint32_t message) {
    if (message == kWmPaste) markedAtMessagePaste = clipboard.Marked();
  };
  windows.SetEditText(editor, "hello xyz world", 6, 9);
  ASSERT_EQ(routines.DeliverByMessages(editor, "A", "", 0, 0), DeliveryStatus::kOk);
  EXPECT_TRUE(markedAtMessagePaste);
  EXPECT_TRUE(clipboard.Marked());
}

// The read after the cut, and the read after a key copy, get one more try.
TEST_P(DeliveryTest, ReadAfterKeyCutGetsOneMoreTry) {
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
    if (c.expected == DeliveryStatus::kOk) { EXPECT_EQ(windows.EditText(editor), "hello (xyz) world"); }
    routines.RestoreSavedClipboard();
    EXPECT_EQ(clipboard.Text(), "user text");

    std::array<std::uint8_t, 16> buffer{};
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    onKey = [&](const KeyEvent& event) {
      if (event.vk == 'C' && event.up) clipboard.FailOpens(c.failures);
    };
    EXPECT_EQ(routines.FetchSelectionByKeys(editor, 0, kStandardKeys1, false, buffer), c.expected);
    EXPECT_EQ(BufferText(buffer.data()), c.expected == DeliveryStatus::kOk ? "xyz" : "");
    routines.RestoreSavedClipboard();
    EXPECT_EQ(clipboard.Text(), "user text");
  }
}

TEST_P(DeliveryTest, ClipboardThatCannotBeOpenedAtTheStartTouchesNothing) {
  clipboard.FailOpens(1);
  EXPECT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kClipboardUnavailable);
  EXPECT_TRUE(keyboard.Events().empty());
  clipboard.FailOpens(1);
  EXPECT_EQ(routines.DeliverByMessages(editor, "A", "", 0, 0), DeliveryStatus::kClipboardUnavailable);
  EXPECT_EQ(windows.EditText(editor), "hello xyz world");
  EXPECT_EQ(clipboard.Text(), "user text");
}

TEST_P(DeliveryTest, MessageWriteFailingMidwayStillGivesTheClipboardBack) {
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

TEST_P(DeliveryTest, RestoreThatCannotOpenStaysPending) {
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  clipboard.FailOpens(1);
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kClipboardUnavailable);
  EXPECT_TRUE(routines.RestorePending());
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(clipboard.Text(), "user text");
}

// What Windows refuses, and a target that does not answer, end the routine
// with their own status: no key goes out after the refusal, the editor keeps
// its text and the user's clipboard is back at once.
TEST_P(DeliveryTest, RefusalsEndTheRoutineAndGiveTheClipboardBack) {
  const WindowId other = windows.AddEditor("OtherEdit", 9);
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::vector<int> routines;
    DeliveryStatus expected;
    bool noKeyAtAll;
  };
  const Case cases[] = {
      {"foreground refused",
       [&] {
         windows.SetForeground(other);
         windows.refuseForeground = true;
       },
       {1, 3}, DeliveryStatus::kFocusRefused, true},
      {"focus taken by another window", [&] { windows.focusThief = other; }, {1, 3},
       DeliveryStatus::kFocusRefused, true},
      {"input refused", [&] { keyboard.insertLimit = 0; }, {1, 3}, DeliveryStatus::kInputRefused, true},
      {"input refused midway", [&] { keyboard.insertLimit = 1; }, {1, 3}, DeliveryStatus::kInputRefused, false},
      {"target hung", [&] { windows.Get(editor).hung = true; }, {0, 1, 2, 3}, DeliveryStatus::kTargetHung, true},
      {"target protected", [&] { windows.Get(editor).protectedProcess = true; }, {0, 1, 2, 3},
       DeliveryStatus::kTargetProtected, true},
      // Windows lets messages through to it but drops the keys.
      {"target elevated", [&] { integrity.levels[7] = IntegrityLevel::kHigh; }, {1, 3},
       DeliveryStatus::kTargetElevated, true},
      {"target at system level", [&] { integrity.levels[7] = IntegrityLevel::kSystem; }, {1, 3},
       DeliveryStatus::kTargetElevated, true},
  };
  for (const Case& c : cases) {
    for (int routine : c.routines) {
      SCOPED_TRACE(std::string(c.name) + " routine " + std::to_string(routine));
      windows.SetEditText(editor, "hello xyz world", 6, 9);
      clipboard.PutText("user text");
      clipboard.AddFormat(kPrivateFormat, "Private", "abc");
      keyboard.ClearEvents();
      c.arrange();
      std::array<std::uint8_t, 16> buffer{};
      EXPECT_EQ(Run(routine, buffer), c.expected);
      if (c.noKeyAtAll) { EXPECT_TRUE(keyboard.Events().empty()); }
      EXPECT_FALSE(PasteKeySent());
      EXPECT_EQ(windows.EditText(editor), "hello xyz world");
      EXPECT_EQ(BufferText(buffer.data()), "");
      EXPECT_EQ(clipboard.Text(), "user text");
      EXPECT_EQ(clipboard.Formats().size(), 2u);
      EXPECT_FALSE(routines.RestorePending());
      windows.refuseForeground = false;
      windows.focusThief = kNoWindow;
      keyboard.insertLimit = -1;
      windows.Get(editor).hung = false;
      windows.Get(editor).protectedProcess = false;
      integrity.levels.clear();
    }
  }
  std::array<std::uint8_t, 16> buffer{};
  EXPECT_EQ(routines.Deliver(kPasteByMessages, 999, "A", "", 0, 0), DeliveryStatus::kTargetGone);
  EXPECT_EQ(routines.Fetch(kPasteByKeys, 999, 0, kStandardKeys1, false, buffer), DeliveryStatus::kTargetGone);
  EXPECT_EQ(clipboard.Text(), "user text");
}

TEST_P(DeliveryTest, KeysGoOutUnlessTheTargetIsKnownToRunAboveTheTool) {
  struct Case {
    IntegrityLevel own, target;
    bool written;
  };
  const Case cases[] = {
      {IntegrityLevel::kMedium, IntegrityLevel::kMedium, true},
      {IntegrityLevel::kMedium, IntegrityLevel::kLow, true},
      {IntegrityLevel::kHigh, IntegrityLevel::kHigh, true},    // both run as administrator
      {IntegrityLevel::kMedium, IntegrityLevel::kUnknown, true},  // a token that cannot be read
      {IntegrityLevel::kUnknown, IntegrityLevel::kHigh, true},
      {IntegrityLevel::kLow, IntegrityLevel::kMedium, false},
      {IntegrityLevel::kMedium, IntegrityLevel::kHigh, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.own)) + " -> " + std::to_string(static_cast<int>(c.target)));
    integrity.own = c.own;
    integrity.levels[7] = c.target;
    windows.SetEditText(editor, "hello xyz world", 6, 9);
    clipboard.PutText("user text");
    keyboard.ClearEvents();
    EXPECT_EQ(routines.Deliver(kPasteByKeys, editor, "(", ")", 0, kStandardKeys1),
              c.written ? DeliveryStatus::kOk : DeliveryStatus::kTargetElevated);
    EXPECT_EQ(windows.EditText(editor), c.written ? "hello (xyz) world" : "hello xyz world");
    EXPECT_EQ(keyboard.Events().empty(), !c.written);
    routines.RestoreSavedClipboard();
    EXPECT_EQ(clipboard.Text(), "user text");
  }
}

TEST_P(DeliveryTest, TargetThatStopsAnsweringDuringTheWriteGetsTheTextWhenItWakes) {
  // Hung after the cut: the paste may come when it wakes, so the user's
  // clipboard waits for the read (the idle step's limit) instead of coming
  // back at once under the late paste.
  windows.afterMessage = [this](WindowId, std::uint32_t message) {
    if (message == kWmCut) windows.Get(editor).hung = true;
  };
  EXPECT_EQ(routines.DeliverByMessages(editor, "A", "", 0, 0), DeliveryStatus::kTargetHung);
  EXPECT_EQ(clipboard.Text(), "A");
  EXPECT_TRUE(routines.RestorePending());
  EXPECT_TRUE(routines.PasteWrittenAt().has_value());
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(clipboard.Text(), "user text");

  // Refused at the paste: nothing will come, the clipboard is back at once.
  windows.Get(editor).hung = false;
  windows.afterMessage = [this](WindowId, std::uint32_t message) {
    if (message == kWmCut) windows.Get(editor).protectedProcess = true;
  };
  windows.SetEditText(editor, "hello xyz world", 6, 9);
  EXPECT_EQ(routines.DeliverByMessages(editor, "A", "", 0, 0), DeliveryStatus::kTargetProtected);
  EXPECT_EQ(clipboard.Text(), "user text");
  EXPECT_FALSE(routines.RestorePending());
}

TEST_P(DeliveryTest, TargetThatIgnoresThePasteIsReported) {
  windows.Get(editor).answersMessages = false;
  EXPECT_EQ(routines.DeliverByMessages(editor, "A", "", 0, 0), DeliveryStatus::kTextNotTaken);
  EXPECT_EQ(clipboard.Text(), "user text");
  EXPECT_FALSE(routines.RestorePending());
}

TEST_P(DeliveryTest, AMonitorReadingThePasteTextIsNotTheTarget) {
  windows.SetEditText(editor, "hello xyz world", 6, 6);
  keyboard.onEvent = [](const KeyEvent&) {};  // the target has not handled the keys yet
  ASSERT_EQ(routines.DeliverByKeys(editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_EQ(clipboard.PasteTextRead(), PasteRead::kNotRead);
  EXPECT_EQ(clipboard.ReadText(kMonitorProcess), Bytes("A"));
  EXPECT_EQ(clipboard.PasteTextRead(), PasteRead::kByOther);
  EXPECT_TRUE(routines.RestoreIsSafe());
}

TEST_P(DeliveryTest, FetchesHoldSelectionAndCutRemovesIt) {
  for (int kind : {kPasteByMessages, kPasteByKeys}) {
    for (bool cut : {false, true}) {
      windows.SetEditText(editor, "hello xyz world", 6, 9);
      std::array<std::uint8_t, 32> buffer{};
      ASSERT_EQ(routines.Fetch(kind, editor, 0, kStandardKeys1, cut, buffer), DeliveryStatus::kOk);
      EXPECT_EQ(BufferText(buffer.data()), "xyz");
      EXPECT_EQ(windows.EditText(editor), cut ? "hello  world" : "hello xyz world") << kind << cut;
      routines.RestoreSavedClipboard();
      EXPECT_EQ(clipboard.Text(), "user text");
    }
  }
}

// The editor's text is Unicode. A selection with characters code page 932
// lacks comes back whole between the tool's Japanese texts, put as
// CF_UNICODETEXT first with CF_TEXT beside it; a module, whose buffer is code
// page 932, gets nothing rather than "?" for them, and a cut selection goes
// back where it was.
TEST_P(DeliveryTest, ASelectionKeepsEveryCharacterAndAModuleRefusesWhatCodePage932Lacks) {
  const std::u16string selected = u"é 😀 한 𠮷";
  const std::u16string text = u"x " + selected + u" y";
  std::vector<std::uint32_t> put;
  clipboard.afterOperation = [&](const std::string& operation) {
    if (operation.rfind("PutForPaste", 0) != 0) return;
    put.clear();
    for (const auto& format : clipboard.Formats()) put.push_back(format.id);
  };
  for (int kind : {kPasteByMessages, kPasteByKeys}) {
    SCOPED_TRACE(kind);
    windows.SetUnicodeEditText(editor, text, 2, 2 + selected.size());
    ASSERT_EQ(routines.Deliver(kind, editor, "\x81u", "\x81v", 0, kStandardKeys1), DeliveryStatus::kOk);  // 「 」
    EXPECT_EQ(windows.UnicodeEditText(editor), u"x 「" + selected + u"」 y");
    EXPECT_EQ(put, (std::vector<std::uint32_t>{fakes::kCfUnicodeText, fakes::kCfText, fakes::kCfLocale}));
    routines.RestoreSavedClipboard();
    EXPECT_EQ(clipboard.Text(), "user text");

    for (bool cut : {false, true}) {
      SCOPED_TRACE(cut);
      windows.SetUnicodeEditText(editor, text, 2, 2 + selected.size());
      std::array<std::uint8_t, 16> buffer{};
      EXPECT_EQ(routines.Fetch(kind, editor, 0, kStandardKeys1, cut, buffer), DeliveryStatus::kSelectionNotAnsi);
      EXPECT_EQ(buffer, (std::array<std::uint8_t, 16>{}));
      routines.RestoreSavedClipboard();  // the idle step
      EXPECT_EQ(windows.UnicodeEditText(editor), text);
      EXPECT_EQ(clipboard.Text(), "user text");
    }
    // Japanese that code page 932 holds reaches the module as its bytes.
    windows.SetUnicodeEditText(editor, u"x 日本語 y", 2, 5);
    std::array<std::uint8_t, 16> buffer{};
    ASSERT_EQ(routines.Fetch(kind, editor, 0, kStandardKeys1, false, buffer), DeliveryStatus::kOk);
    EXPECT_EQ(BufferText(buffer.data()), "\x93\xfa\x96{\x8c\xea");
    routines.RestoreSavedClipboard();
  }
}

TEST_P(DeliveryTest, OversizeFetchIsCutOnACharacterBoundary) {
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
      {"\xE0\x40\xFC\x4B", 4, "\xE0\x40"},  // lead bytes from the top of the range
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
      routines.RestoreSavedClipboard();
    }
  }
}

TEST_P(DeliveryTest, RoutineTableDispatchesByPasteKind) {
  ASSERT_EQ(routines.Deliver(7, editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_TRUE(keyboard.Events().empty());
  windows.SetEditText(editor, "hello xyz world", 6, 9);
  ASSERT_EQ(routines.Deliver(kPasteByKeys, editor, "A", "", 0, kStandardKeys1), DeliveryStatus::kOk);
  EXPECT_FALSE(keyboard.Events().empty());
  EXPECT_EQ(windows.EditText(editor), "hello A world");
}

// The start-up paste into the tool's own hidden edit: sent only when the
// tool is in front with the focus there, and the user's clipboard comes back
// whatever happened.
TEST_P(DeliveryTest, PrimingSendsCtrlVOnlyToTheToolAndAlwaysGivesTheClipboardBack) {
  const WindowId main = windows.Add("TFormMain", 1);
  const WindowId dummy = windows.AddEditor("Edit", 1, main);
  struct Case {
    const char* name;
    std::function<void()> arrange;
    DeliveryStatus expected;
    bool pasted;
  };
  const Case cases[] = {
      {"tool in front", [] {}, DeliveryStatus::kOk, true},
      {"foreground refused", [&] { windows.refuseForeground = true; }, DeliveryStatus::kFocusRefused, false},
      {"focus taken", [&] { windows.focusThief = editor; }, DeliveryStatus::kFocusRefused, false},
      {"input refused", [&] { keyboard.insertLimit = 0; }, DeliveryStatus::kInputRefused, false},
      {"slow format", [&] { clipboard.notKeptBySnapshot = {kPrivateFormat}; }, DeliveryStatus::kFormatsNotKept, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clipboard.PutText("user text");
    clipboard.AddFormat(kPrivateFormat, "Private", "abc");
    windows.SetEditText(dummy, "", 0, 0);
    windows.SetForeground(top);
    keyboard.ClearEvents();
    c.arrange();
    EXPECT_EQ(routines.PrimeClipboard(main, dummy), c.expected);
    EXPECT_EQ(keyboard.Events().size(), c.pasted ? 4u : 0u);
    EXPECT_EQ(windows.EditText(editor), "hello xyz world");
    EXPECT_EQ(clipboard.Text(), "user text");
    EXPECT_EQ(clipboard.Formats().size(), c.expected == DeliveryStatus::kFormatsNotKept ? 1u : 2u);
    EXPECT_FALSE(routines.RestorePending());
    windows.refuseForeground = false;
    windows.focusThief = kNoWindow;
    keyboard.insertLimit = -1;
    clipboard.notKeptBySnapshot.clear();
  }
  // A clipboard held by another program: nothing is touched and no key sent.
  keyboard.ClearEvents();
  clipboard.FailOpens(1);
  EXPECT_EQ(routines.PrimeClipboard(main, dummy), DeliveryStatus::kClipboardUnavailable);
  EXPECT_TRUE(keyboard.Events().empty());
  EXPECT_EQ(clipboard.Text(), "user text");
  // The clipboard cannot be opened to put it back: it stays pending for the
  // next idle step.
  clipboard.afterOperation = [&](const std::string& op) {
    if (op == "Empty") clipboard.FailOpens(1000);
  };
  EXPECT_EQ(routines.PrimeClipboard(main, dummy), DeliveryStatus::kClipboardUnavailable);
  clipboard.afterOperation = nullptr;
  clipboard.FailOpens(0);
  EXPECT_TRUE(routines.RestorePending());
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
  EXPECT_EQ(clipboard.Text(), "user text");
}

}  // namespace
}  // namespace quiltor
