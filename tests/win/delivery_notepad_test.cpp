// The delivery routines against a real editor: Wine's notepad.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include <array>
#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "delivery/delivery.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/platform.h"
#include "support/notepad.h"
#include "ui/delivery_messages.h"

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
    {"before alone at the caret", "A", "", 6, 6, "hello Axyz world", "A"},
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
      SCOPED_TRACE(std::string(c.name) + " keys " + std::to_string(keys));
      Prepare("hello xyz world", c.selStart, c.selEnd);
      // With nothing selected no cut key goes out: Shift+Delete would delete
      // the character left of the caret.
      ASSERT_EQ(routines.DeliverByKeys(Target(), c.before, c.after, 20, keys), DeliveryStatus::kOk);
      EXPECT_EQ(notepad.Text(), c.expected);
      EXPECT_EQ(ClipboardText(), c.pasted);
      EXPECT_EQ(routines.RestoreSavedClipboard(), RestoreResult::kRestored);
      EXPECT_EQ(ClipboardText(), "user text");
    }
  }
}

// The caret lands between a before and an after text written at the caret:
// notepad's edit control counts a line end as two positions and a
// double-byte character as one.
TEST_F(DeliveryNotepadTest, CaretLandsBetweenThePairWrittenAtTheCaret) {
  const std::string start = Utf8ToCp932(u8"表\r\nab");
  const std::string before = "<b>";
  const std::string after = Utf8ToCp932(u8"</あ>\r\n");
  for (int kind : {kPasteByMessages, kPasteByKeys}) {
    for (CaretPlacement caret : {CaretPlacement::kBetween, CaretPlacement::kAfterText}) {
      const bool between = caret == CaretPlacement::kBetween;
      SCOPED_TRACE("kind " + std::to_string(kind) + (between ? " between" : " after"));
      Prepare(start, 3, 3);  // after the line end
      ASSERT_EQ(routines.Deliver(kind, Target(), before, after, 20, kStandardKeys1, caret), DeliveryStatus::kOk);
      EXPECT_EQ(notepad.Text(), start.substr(0, 4) + before + after + start.substr(4));
      const DWORD selection = static_cast<DWORD>(SendMessageA(notepad.Edit(), EM_GETSEL, 0, 0));
      const unsigned expected = between ? 6 : 12;
      EXPECT_EQ(LOWORD(selection), expected);
      EXPECT_EQ(HIWORD(selection), expected);
      routines.RestoreSavedClipboard();
      EXPECT_EQ(ClipboardText(), "user text");
    }
  }
}

TEST_F(DeliveryNotepadTest, FetchHoldsSelectionAndCutRemovesIt) {
  for (int kind : {kPasteByMessages, kPasteByKeys}) {
    for (std::int64_t keys : kKeySets) {
      for (bool cut : {false, true}) {
        for (int selEnd : {9, 6}) {
          Prepare("hello xyz world", 6, selEnd);
          std::array<std::uint8_t, 64> buffer{};
          ASSERT_EQ(routines.Fetch(kind, Target(), 20, keys, cut, buffer), DeliveryStatus::kOk);
          const std::string label = "kind " + std::to_string(kind) + " keys " + std::to_string(keys) + " cut " +
                                    std::to_string(cut) + " selection end " + std::to_string(selEnd);
          EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data())), selEnd == 9 ? "xyz" : "") << label;
          // An empty selection leaves the text, even where Shift+Delete would delete.
          EXPECT_EQ(notepad.Text(), cut && selEnd == 9 ? "hello  world" : "hello xyz world") << label;
          routines.RestoreSavedClipboard();
          EXPECT_EQ(ClipboardText(), "user text") << label;
        }
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

TEST_F(DeliveryNotepadTest, PasteTextAndTheUserContentPutBackAreMarkedForHistoryTools) {
  Prepare("hello xyz world", 6, 9);
  ASSERT_EQ(routines.DeliverByKeys(Target(), "A", "", 20, kStandardKeys1), DeliveryStatus::kOk);
  const UINT history = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
  const UINT monitor = RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing");
  const UINT viewerIgnore = RegisterClipboardFormatA("Clipboard Viewer Ignore");
  for (const char* moment : {"while it is pasted", "after it is put back"}) {
    SCOPED_TRACE(moment);
    EXPECT_EQ(ClipboardData(history), std::string(4, '\0'));
    EXPECT_TRUE(IsClipboardFormatAvailable(monitor));
    EXPECT_TRUE(IsClipboardFormatAvailable(viewerIgnore));
    routines.RestoreSavedClipboard();
  }
  EXPECT_EQ(ClipboardText(), "user text");
}

// A Unicode editor reads CF_UNICODETEXT. Made by the system from CF_TEXT, it
// would follow the locale of the keyboard layout in use, which under a US
// layout garbles Japanese; the tool puts the Unicode form and the Japanese
// locale itself.
TEST_F(DeliveryNotepadTest, JapaneseTextReadsBackAsUnicodeUnderAUsLayout) {
  const HKL previous = GetKeyboardLayout(0);
  const HKL us = LoadKeyboardLayoutA("00000409", KLF_ACTIVATE);
  ASSERT_NE(us, nullptr);
  const std::string text = Utf8ToCp932(u8"表示の予定・ﾊﾝｶｸ");
  Prepare("", 0, 0);
  ASSERT_EQ(routines.DeliverByKeys(Target(), text, "", 20, kStandardKeys1), DeliveryStatus::kOk);
  const std::string unicode = ClipboardData(CF_UNICODETEXT);
  const std::string locale = ClipboardData(CF_LOCALE);
  routines.RestoreSavedClipboard();
  ActivateKeyboardLayout(previous, 0);
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(unicode.c_str())), L"表示の予定・ﾊﾝｶｸ");
  ASSERT_GE(locale.size(), 4u);
  EXPECT_EQ(*reinterpret_cast<const DWORD*>(locale.data()), 0x0411u);
  EXPECT_EQ(notepad.Text(), text);
}

// Of the formats the system makes from one another only the owner's own is
// kept (asking for a made one makes the owner render its source); the system
// makes the others again after the restore.
TEST_F(DeliveryNotepadTest, SnapshotKeepsOneFormOfEachFamily) {
  const std::wstring wide = L"ユーザーの文字";
  ASSERT_TRUE(PutClipboard({{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(wide.c_str()),
                                                         (wide.size() + 1) * sizeof(wchar_t))},
                            {CF_DIB, wintest::MakeDib(4, 2)}}));
  const std::optional<ClipboardSnapshot> snapshot = platform.clipboard->Snapshot();
  ASSERT_TRUE(snapshot);
  std::set<std::uint32_t> ids;
  for (const ClipboardSnapshot::Format& format : snapshot->formats) ids.insert(format.id);
  EXPECT_TRUE(ids.count(CF_UNICODETEXT));
  EXPECT_TRUE(ids.count(CF_DIB));
  for (UINT made : {CF_TEXT, CF_OEMTEXT, CF_BITMAP, CF_DIBV5}) EXPECT_FALSE(ids.count(made)) << made;
  EXPECT_TRUE(snapshot->notKept.empty());

  Prepare("hello xyz world", 6, 9);
  ASSERT_EQ(routines.DeliverByMessages(Target(), "A", "", 0, 0), DeliveryStatus::kOk);
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(ClipboardData(CF_UNICODETEXT).c_str())), wide);
  EXPECT_EQ(ClipboardText(), Utf8ToCp932(u8"ユーザーの文字"));
}

// A program that owns the clipboard and takes its time to render a format.
class SlowOwner {
 public:
  explicit SlowOwner(DWORD renderMs) : renderMs_(renderMs) {
    format_ = RegisterClipboardFormatA("QuiltorTestSlow");
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this] { Run(); });
    WaitForSingleObject(ready_, 5000);
  }
  ~SlowOwner() {
    if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
    thread_.join();
    CloseHandle(ready_);
  }
  UINT Format() const { return format_; }
  bool Ready() const { return ready_ && put_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<SlowOwner*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_RENDERFORMAT && wparam == self->format_) {
      Sleep(self->renderMs_);
      const char data[] = "slow";
      HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof data);
      std::memcpy(GlobalLock(block), data, sizeof data);
      GlobalUnlock(block);
      if (!SetClipboardData(self->format_, block)) GlobalFree(block);
      return 0;
    }
    if (message == WM_RENDERALLFORMATS) return 0;
    if (message == WM_CLOSE) {
      DestroyWindow(window);
      return 0;
    }
    if (message == WM_DESTROY) {
      PostQuitMessage(0);
      return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
  }
  void Run() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &Proc;
    windowClass.lpszClassName = "QuiltorTestSlowOwner";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "QuiltorTestSlowOwner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (window_) {
      SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      if (OpenClipboard(window_)) {
        EmptyClipboard();
        const char text[] = "user text";
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
        std::memcpy(GlobalLock(block), text, sizeof text);
        GlobalUnlock(block);
        put_ = SetClipboardData(CF_TEXT, block) != nullptr;
        SetClipboardData(format_, nullptr);
        CloseClipboard();
      }
    }
    SetEvent(ready_);
    MSG message;
    while (window_ && GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  }

  DWORD renderMs_;
  UINT format_ = 0;
  HANDLE ready_ = nullptr;
  HWND window_ = nullptr;
  bool put_ = false;
  std::thread thread_;
};

// Saving the user's clipboard never freezes the tool: a format whose owner
// takes long to render it is left out and named, the others are kept.
TEST_F(DeliveryNotepadTest, SlowFormatIsLeftOutAndNamedAndTheRestIsKept) {
  SlowOwner owner(1500);
  ASSERT_TRUE(owner.Ready());
  const auto start = std::chrono::steady_clock::now();
  const std::optional<ClipboardSnapshot> snapshot = platform.clipboard->Snapshot();
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  ASSERT_TRUE(snapshot);
  EXPECT_LT(took.count(), Win32Clipboard::kSnapshotLimits.formatMs + 400);
  EXPECT_EQ(snapshot->notKept, (std::vector<ClipboardFormatName>{{owner.Format(), "QuiltorTestSlow"}}));
  ASSERT_FALSE(snapshot->formats.empty());
  EXPECT_EQ(snapshot->formats.front().id, static_cast<std::uint32_t>(CF_TEXT));
  // The next use of the clipboard waits for the rendering that was left behind.
  EXPECT_TRUE(platform.clipboard->Empty());
}

TEST_F(DeliveryNotepadTest, WriteTellsWhichFormatItCouldNotKeep) {
  SlowOwner owner(1200);
  ASSERT_TRUE(owner.Ready());
  Prepare("hello xyz world", 6, 9);
  ASSERT_EQ(routines.DeliverByMessages(Target(), "A", "", 0, 0), DeliveryStatus::kFormatsNotKept);
  EXPECT_EQ(notepad.Text(), "hello A world");
  EXPECT_EQ(routines.LostFormats(), (std::vector<ClipboardFormatName>{{owner.Format(), "QuiltorTestSlow"}}));
  EXPECT_EQ(ClipboardText(), "user text");
}

// The start-up paste into the tool's own hidden edit: every format of the
// user's clipboard is back afterwards.
TEST(DeliveryPriming, PutsEveryFormatBack) {
  Win32Platform platform;
  DeliveryRoutines routines{*platform.clipboard, *platform.windows, *platform.keyboard, *platform.processes};
  HWND top = CreateWindowExA(0, "STATIC", "prime", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 100, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
  ASSERT_NE(top, nullptr);
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, top, nullptr, nullptr, nullptr);
  ASSERT_NE(edit, nullptr);
  const UINT privateFormat = RegisterClipboardFormatA("QuiltorTestPrivate");
  const std::string dib = wintest::MakeDib(3, 3);
  ASSERT_TRUE(PutClipboard({{CF_TEXT, std::string("user text\0", 10)}, {privateFormat, "private"}, {CF_DIB, dib}}));
  EXPECT_EQ(routines.PrimeClipboard(Id(top), Id(edit)), DeliveryStatus::kOk);
  wintest::PumpMessages();
  EXPECT_EQ(ClipboardText(), "user text");
  EXPECT_EQ(ClipboardData(privateFormat), "private");
  EXPECT_EQ(ClipboardData(CF_DIB).substr(0, dib.size()), dib);
  EXPECT_FALSE(routines.RestorePending());
  DestroyWindow(top);
}

TEST(DeliveryMessages, EveryStatusReachesTheUserInItsOwnWords) {
  std::set<std::wstring> texts;
  for (int status = 1; status <= static_cast<int>(DeliveryStatus::kFormatsNotRestored); ++status) {
    const std::wstring text = DeliveryMessage(static_cast<DeliveryStatus>(status));
    EXPECT_FALSE(text.empty()) << status;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), static_cast<std::size_t>(DeliveryStatus::kFormatsNotRestored));
  EXPECT_TRUE(DeliveryMessage(DeliveryStatus::kOk).empty());
  EXPECT_EQ(DeliveryMessage(DeliveryStatus::kClipboardUnavailable), L"クリップボードを開くことができません");
  const std::vector<ClipboardFormatName> lost = {{CF_ENHMETAFILE, ""}, {0xC123, "Rich Text Format"}};
  const std::wstring text = DeliveryMessage(DeliveryStatus::kFormatsNotRestored, lost);
  EXPECT_NE(text.find(L"拡張メタファイル"), std::wstring::npos) << text;
  EXPECT_NE(text.find(L"Rich Text Format"), std::wstring::npos) << text;
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
