// The delivery routines against a real editor: Wine's notepad.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>

#include "delivery/delivery.h"
#include "platform/win32/platform.h"
#include "support/notepad.h"

namespace quiltor {
namespace {

using wintest::ClipboardData;
using wintest::ClipboardFormats;
using wintest::ClipboardText;
using wintest::Notepad;
using wintest::PutClipboard;
using wintest::RawFormat;

WindowId Id(HWND window) { return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(window)); }

std::string Utf8ToCp932(const char8_t* text) {
  const std::string utf8(reinterpret_cast<const char*>(text));
  const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), wide);
  const int narrow = WideCharToMultiByte(932, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(narrow), '\0');
  WideCharToMultiByte(932, 0, w.c_str(), -1, result.data(), narrow, nullptr, nullptr);
  result.resize(result.size() - 1);
  return result;
}

constexpr std::int64_t kKeySets[] = {kStandardKeys1, kStandardKeys2};

class DeliveryNotepadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(notepad.Ready()) << "notepad did not start";
    ASSERT_TRUE(PutClipboard({{CF_TEXT, std::string("user text\0", 10)}}));
  }
  void Prepare(const std::string& text, int start, int end) {
    notepad.SetText(text);
    notepad.Select(start, end);
  }
  WindowId Target() const { return Id(notepad.Edit()); }

  Win32Platform platform;
  DeliveryRoutines routines{*platform.clipboard, *platform.windows, *platform.keyboard, *platform.processes};
  Notepad notepad;
};

TEST(EnvironmentTest, AnsiCodePageIsJapanese) { EXPECT_EQ(GetACP(), 932u); }

struct WriteCase {
  const char* name;
  const char* before;
  const char* after;
  int selStart, selEnd;
  const char* expected;
  const char* pasted;
};
const WriteCase kWriteCases[] = {
    {"wraps", "(", ")", 6, 9, "hello (xyz) world", "(xyz)"},
    {"empty selection", "(", ")", 6, 6, "hello ()xyz world", "()"},
    {"before alone", "A", "", 6, 9, "hello A world", "A"},
};

TEST_F(DeliveryNotepadTest, MessageSendingWritesAndLeavesClipboardAlone) {
  for (const WriteCase& c : kWriteCases) {
    Prepare("hello xyz world", c.selStart, c.selEnd);
    ASSERT_EQ(routines.DeliverByMessages(Target(), c.before, c.after, 0, 0), DeliveryStatus::kOk) << c.name;
    EXPECT_EQ(notepad.Text(), c.expected) << c.name;
    EXPECT_EQ(ClipboardText(), "user text") << c.name;
    EXPECT_FALSE(routines.RestorePending());
  }
}

TEST_F(DeliveryNotepadTest, CutAndPasteWithBothStandardKeySets) {
  for (std::int64_t keys : kKeySets) {
    for (const WriteCase& c : kWriteCases) {
      Prepare("hello xyz world", c.selStart, c.selEnd);
      ASSERT_EQ(routines.DeliverByKeys(Target(), c.before, c.after, 20, keys), DeliveryStatus::kOk) << c.name;
      // Shift+Delete with nothing selected is the edit control's own
      // "delete the character left of the caret".
      const bool editorDeletesLeft = keys == kStandardKeys2 && c.selStart == c.selEnd;
      EXPECT_EQ(notepad.Text(), editorDeletesLeft ? "hello()xyz world" : c.expected) << c.name << " keys " << keys;
      EXPECT_EQ(ClipboardText(), c.pasted) << c.name << " keys " << keys;
      EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored) << c.name << " keys " << keys;
      EXPECT_EQ(ClipboardText(), "user text") << c.name << " keys " << keys;
    }
  }
}

TEST_F(DeliveryNotepadTest, FetchHoldsSelectionAndCutRemovesIt) {
  for (int kind : {kPasteByMessages, kPasteByKeys}) {
    for (std::int64_t keys : kKeySets) {
      for (bool cut : {false, true}) {
        Prepare("hello xyz world", 6, 9);
        std::array<std::uint8_t, 64> buffer{};
        ASSERT_EQ(routines.Fetch(kind, Target(), 20, keys, cut, buffer), DeliveryStatus::kOk);
        const std::string label = "kind " + std::to_string(kind) + " keys " + std::to_string(keys) + " cut " + std::to_string(cut);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data())), "xyz") << label;
        EXPECT_EQ(notepad.Text(), cut ? "hello  world" : "hello xyz world") << label;
        routines.RestoreSavedClipboard();
        EXPECT_EQ(ClipboardText(), "user text") << label;
      }
    }
  }
}

TEST_F(DeliveryNotepadTest, BitmapAndPrivateFormatComeBackUnchanged) {
  const UINT privateFormat = RegisterClipboardFormatA("QuiltorTestPrivate");
  const std::string dib = wintest::MakeDib(5, 3);
  const std::string privateData("\x01\x00\x02\xFFprivate", 11);
  for (int kind : {kPasteByMessages, kPasteByKeys}) {
    ASSERT_TRUE(PutClipboard({{CF_DIB, dib}, {privateFormat, privateData}}));
    Prepare("hello xyz world", 6, 9);
    ASSERT_EQ(routines.Deliver(kind, Target(), "(", ")", 20, kStandardKeys1), DeliveryStatus::kOk);
    EXPECT_EQ(notepad.Text(), "hello (xyz) world") << kind;
    routines.RestoreSavedClipboard();
    EXPECT_EQ(ClipboardData(privateFormat), privateData) << kind;
    const std::string dibAfter = ClipboardData(CF_DIB);
    ASSERT_GE(dibAfter.size(), dib.size()) << kind;
    EXPECT_EQ(dibAfter.substr(0, dib.size()), dib) << kind;
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP)) << "the system makes the bitmap from the DIB";
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT)) << kind;
  }
}

TEST_F(DeliveryNotepadTest, EmptyClipboardStaysEmpty) {
  for (int kind : {kPasteByMessages, kPasteByKeys}) {
    ASSERT_TRUE(PutClipboard({}));
    Prepare("hello xyz world", 6, 9);
    ASSERT_EQ(routines.Deliver(kind, Target(), "(", ")", 20, kStandardKeys1), DeliveryStatus::kOk);
    routines.RestoreSavedClipboard();
    EXPECT_TRUE(ClipboardFormats().empty()) << kind;
  }
}

TEST_F(DeliveryNotepadTest, JapaneseMultiLineTextArrivesByteExact) {
  const std::string line1 = Utf8ToCp932(u8"表示の予定");  // 表 and 予 end in 0x5C
  const std::string line2 = Utf8ToCp932(u8"ソフト・ﾊﾝｶｸ");
  for (const char* lineEnd : {"\r", "\n", "\r\n"}) {
    for (int kind : {kPasteByMessages, kPasteByKeys}) {
      const std::string text = line1 + lineEnd + line2 + lineEnd;
      Prepare("", 0, 0);
      ASSERT_EQ(routines.Deliver(kind, Target(), text, "", 20, kStandardKeys1), DeliveryStatus::kOk);
      EXPECT_EQ(notepad.Text(), text) << "kind " << kind << " line end " << static_cast<int>(lineEnd[0]) << static_cast<int>(lineEnd[1]);
      routines.RestoreSavedClipboard();
    }
  }
}

TEST_F(DeliveryNotepadTest, DataMarkedForOnePasteIsTransient) {
  Prepare("hello xyz world", 6, 9);
  ASSERT_EQ(routines.DeliverByKeys(Target(), "A", "", 20, kStandardKeys1), DeliveryStatus::kOk);
  const UINT history = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
  const UINT monitor = RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing");
  EXPECT_EQ(ClipboardData(history), std::string(4, '\0'));
  EXPECT_TRUE(IsClipboardFormatAvailable(monitor));
  routines.RestoreSavedClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(history));
}

TEST_F(DeliveryNotepadTest, RestoreKeepsWhatTheUserCopiedMeanwhile) {
  Prepare("hello xyz world", 6, 9);
  ASSERT_EQ(routines.DeliverByKeys(Target(), "A", "", 20, kStandardKeys1), DeliveryStatus::kOk);
  ASSERT_TRUE(PutClipboard({{CF_TEXT, std::string("newer\0", 6)}}));
  EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kSkippedChanged);
  EXPECT_EQ(ClipboardText(), "newer");
}

}  // namespace
}  // namespace quiltor
