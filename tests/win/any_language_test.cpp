// The platform layer on a Windows set to another language than Japanese:
// ctest runs this program with an English setting (code page 1252). Names,
// paths, command lines and window texts still go in and out as the code page
// 932 bytes the tool keeps, and what code page 932 lacks is refused, never
// changed into a look-alike.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/clipboard.h"
#include "platform/win32/files.h"
#include "platform/win32/processes.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/window_system.h"
#include "text/cp932.h"
#include "win/support/helper_process.h"

namespace quiltor {
namespace {

namespace fs = std::filesystem;

constexpr char kFolderName[] = "\x82\xad\x82\xa2\x82\xe9\x82\xc6\x82\xe9 \x8e\x8e\x97p";  // くいるとる 試用
constexpr wchar_t kFolderWide[] = L"くいるとる 試用";
constexpr char kDataName[] = "\x93\xfa\x96{\x8c\xea.edt";  // 日本語.edt
constexpr char kTableName[] = "\x95\\.edt";                // 表.edt: its second byte is a backslash

TEST(AnyLanguage, RunsOnAWindowsNotSetToJapanese) {
  EXPECT_NE(GetACP(), 932u) << "ctest runs this program with QUILTOR_WINE_LOCALE=en_US.UTF-8";
}

TEST(AnyLanguage, TextsKeepCodePage932AndRefuseWhatItLacks) {
  const struct {
    const wchar_t* wide;
    Bytes bytes;
  } kept[] = {
      {kFolderWide, kFolderName},
      {L"表", "\x95\\"},
      {L"～－∥", "\x81`\x81|\x81" "a"},
      {L"ｸｲﾙﾄﾙ", "\xb8\xb2\xd9\xc4\xd9"},
  };
  for (const auto& c : kept) {
    EXPECT_EQ(ToAnsiExact(c.wide), c.bytes);
    EXPECT_EQ(FromAnsiExact(c.bytes), std::wstring(c.wide));
  }
  // Best fit would make e of é; nothing of these may come back changed.
  for (const wchar_t* lacking : {L"é", L"😀", L"한", L"𠮷", L"a\xD800z"}) {
    EXPECT_EQ(ToAnsiExact(lacking), std::nullopt) << ToUtf8(lacking);
    const std::wstring wide(lacking);
    const Converted converted =
        Win32TextCodec().Utf16ToAnsi(std::string_view(reinterpret_cast<const char*>(wide.data()), wide.size() * 2));
    EXPECT_FALSE(converted.lossless) << ToUtf8(lacking);
  }
  EXPECT_EQ(ToAnsiForDisplay(L"題名 é"), "\x91\xe8\x96\xbc ?");
  EXPECT_EQ(FromAnsiExact("ab\x82"), std::nullopt);  // a character cut in two
}

// <temp>\qt-any-<pid>\くいるとる 試用\, made and removed through the W functions.
class JapaneseFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    root_ = fs::path(temp) / (L"qt-any-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(root_ / kFolderWide);
    const std::optional<Bytes> root = ToAnsiExact(root_.wstring());
    ASSERT_TRUE(root);
    parent_ = *root + "\\";
    folder_ = parent_ + kFolderName + "\\";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  fs::path root_;
  Bytes parent_;
  Bytes folder_;
  Win32FileSystem files_;
};

TEST_F(JapaneseFolder, FilesWithJapaneseNamesAreWrittenReadListedCopiedAndRemoved) {
  const Bytes data = folder_ + kDataName;
  const Bytes contents = "[Group]\r\nTitle=\x93\xfa\x96{\x8c\xea\r\n";
  ASSERT_TRUE(files_.ReplaceAll(data, contents));
  ASSERT_TRUE(files_.ReplaceAll(folder_ + kTableName, contents));
  // On the disk under their own names, not under "?" names of code page 1252.
  EXPECT_TRUE(fs::exists(root_ / kFolderWide / L"日本語.edt"));
  EXPECT_TRUE(fs::exists(root_ / kFolderWide / L"表.edt"));
  EXPECT_TRUE(files_.Exists(data));
  EXPECT_EQ(files_.ReadAll(data), contents);
  EXPECT_EQ(files_.ReadHead(data, 7), contents.substr(0, 7));
  EXPECT_TRUE(files_.WriteTime(data));
  std::vector<Bytes> listed = files_.List(folder_, "*.edt");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<Bytes>{kDataName, kTableName}));
  EXPECT_EQ(files_.ListFolders(parent_), std::vector<Bytes>{kFolderName});
  const Bytes copy = folder_ + "\x83R\x83s\x81[.edt";  // コピー.edt
  ASSERT_TRUE(files_.Copy(data, copy));
  EXPECT_EQ(files_.ReadAll(copy), contents);
  EXPECT_TRUE(files_.Remove(copy));
  EXPECT_FALSE(files_.Exists(copy));
}

TEST_F(JapaneseFolder, ANameOutsideCodePage932IsNeverReachedUnderAnotherName) {
  // Bytes that are no characters name no file: nothing is made.
  EXPECT_FALSE(files_.ReplaceAll(folder_ + "bad\x82", "x"));
  EXPECT_TRUE(fs::is_empty(root_ / kFolderWide));
  // A file whose name code page 932 lacks is listed by its short name or not
  // at all, and what is listed opens that very file.
  std::ofstream(root_ / kFolderWide / L"😀 é.edt", std::ios::binary) << "[Group]\r\nTitle=emoji\r\n";
  for (const Bytes& name : files_.List(folder_, "*.edt")) {
    EXPECT_EQ(name.find('?'), Bytes::npos) << name;
    EXPECT_EQ(files_.ReadAll(folder_ + name), "[Group]\r\nTitle=emoji\r\n") << name;
  }
}

TEST_F(JapaneseFolder, AProgramInAJapaneseFolderGetsItsJapaneseArguments) {
  const fs::path echo = root_ / kFolderWide / L"qtecho.exe";
  ASSERT_TRUE(CopyFileW(fs::path(wintest::WindowsPath(QUILTOR_BUILD_DIR "/qtecho.exe")).wstring().c_str(),
                        echo.wstring().c_str(), FALSE));
  const Bytes out = parent_ + "line.txt";
  const Bytes commandLine = "\"" + folder_ + "qtecho.exe\" " + out + " /d" + kDataName + " \x95\\";
  Win32Processes processes;
  std::unique_ptr<Process> started = processes.Start(commandLine);
  ASSERT_TRUE(started);
  ASSERT_TRUE(started->Wait(30000));
  std::ifstream in(root_ / L"line.txt", std::ios::binary);
  const std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(line, ToUtf8(*FromAnsiExact(commandLine)));
  EXPECT_NE(line.find(ToUtf8(L"/d日本語.edt 表")), std::string::npos) << line;
  // A command line that is no code page 932 text starts nothing.
  EXPECT_FALSE(processes.Start("\"" + folder_ + "qtecho.exe\" \x82"));
}

TEST(AnyLanguage, WindowTitlesAndClassNamesComeAsCodePage932) {
  WNDCLASSW type{};
  type.lpfnWndProc = DefWindowProcW;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"QtAny日本語";
  ASSERT_TRUE(RegisterClassW(&type));
  HWND window = CreateWindowW(L"QtAny日本語", L"題名 é", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                              type.hInstance, nullptr);
  ASSERT_TRUE(window);
  Win32WindowSystem windows;
  const WindowId id = static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(window));
  EXPECT_EQ(windows.ClassName(id), "QtAny\x93\xfa\x96{\x8c\xea");
  EXPECT_EQ(windows.Text(id), "\x91\xe8\x96\xbc ?");  // only shown: a lacking character becomes "?"
  DestroyWindow(window);
}

// What an editor of today puts when the user cuts: CF_UNICODETEXT alone (the
// system makes CF_TEXT from it with the code page of the keyboard layout).
bool PutUnicode(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  bool put = false;
  if (void* data = memory ? GlobalLock(memory) : nullptr) {
    std::memcpy(data, text.c_str(), size);
    GlobalUnlock(memory);
    put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  }
  if (!put && memory) GlobalFree(memory);
  CloseClipboard();
  return put;
}

template <class Char>
std::basic_string<Char> Read(UINT format) {
  std::basic_string<Char> text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(format)) {
    if (const auto* chars = static_cast<const Char*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST(AnyLanguage, TheSelectionIsReadAndWrittenAsUnicode) {
  Win32Clipboard clipboard;
  // Japanese reaches the tool as code page 932 whatever the keyboard layout;
  // what code page 932 lacks is kept, and has no bytes.
  const struct {
    const wchar_t* put;
    std::optional<Bytes> ansi;
  } cases[] = {
      {L"日本語", Bytes("\x93\xfa\x96{\x8c\xea")},
      {L"é 😀 한", std::nullopt},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(PutUnicode(c.put));
    const std::optional<ClipboardText> read = clipboard.GetText();
    ASSERT_TRUE(read);
    EXPECT_EQ(std::wstring(read->units.begin(), read->units.end()), c.put);
    EXPECT_EQ(read->ansi, c.ansi);
  }
  // Put for a paste: Unicode with the selection whole, code page 932 beside it.
  const std::u16string selection = u"é 😀 한";
  ASSERT_TRUE(clipboard.PutForPaste(PasteText{"\x81u", ClipboardText{selection, std::nullopt}, "\x81v"}, 0));
  EXPECT_EQ(Read<wchar_t>(CF_UNICODETEXT), L"「é 😀 한」");
  EXPECT_EQ(Read<char>(CF_TEXT), "\x81u? ?? ?\x81v");
}

}  // namespace
}  // namespace quiltor
