#include "ui/help.h"

#include <shellapi.h>

#include <string>

#include "platform/win32/text_codec.h"
#include "ui/message_box.h"

namespace quiltor {
namespace {

// The help page beside the program, or a copy of the bundled one in the
// temporary folder; "" when neither can be had.
Bytes HelpPage(FileSystem& files, const Bytes& exeFolder) {
  Bytes page = exeFolder + "Quiltor.html";
  if (files.Exists(page)) return page;
  HRSRC found = FindResourceW(nullptr, L"HELPPAGE", MAKEINTRESOURCEW(10));
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  wchar_t temp[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  if (!data || length == 0 || length >= MAX_PATH) return {};
  const std::optional<Bytes> folder = PathToAnsi(std::wstring(temp, length));
  if (!folder) return {};
  page = *folder + "Quiltor.html";
  if (!files.ReplaceAll(page, Bytes(data, SizeofResource(nullptr, found)))) return {};
  return page;
}

// "file:///C:/path/Quiltor.html#help-205": a file address with the topic's section.
std::wstring PageAddress(const Bytes& page, int context) {
  std::wstring address = L"file:///";
  for (wchar_t c : FromAnsi(page)) {
    if (c == L'\\') {
      address += L'/';
    } else if (c == L' ') {
      address += L"%20";
    } else if (c == L'#') {
      address += L"%23";
    } else {
      address += c;
    }
  }
  return address + L"#help-" + std::to_wstring(context);
}

}  // namespace

void OpenHelpTopic(HWND owner, FileSystem& files, const Bytes& exeFolder, int context) {
  const Bytes hlp = exeFolder + "Quiltor.hlp";
  if (files.Exists(hlp)) {
    const std::wstring path = FromAnsi(hlp);
    if (WinHelpW(owner, path.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(context))) return;
  }
  const Bytes page = HelpPage(files, exeFolder);
  if (!page.empty()) {
    const std::wstring address = PageAddress(page, context);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return;
  }
  MessageBoxW(owner, L"ヘルプを開けませんでした", kAppTitle, MB_OK | MB_ICONERROR);
}

}  // namespace quiltor
