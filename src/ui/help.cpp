#include "ui/help.h"

#include <shellapi.h>

#include <string>

#include "platform/win32/text_codec.h"
#include "ui/message_box.h"
#include "window/help_topic.h"

namespace quiltor {
namespace {

// The temporary folder, "" when it cannot be had.
Bytes TempFolder() {
  wchar_t temp[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return {};
  return PathToAnsi(std::wstring(temp, length)).value_or(Bytes());
}

// The help page beside the program, or a copy of the bundled one in the
// temporary folder; "" when neither can be had.
Bytes HelpPage(FileSystem& files, const Bytes& exeFolder) {
  Bytes page = exeFolder + "Quiltor.html";
  if (files.Exists(page)) return page;
  HRSRC found = FindResourceW(nullptr, L"HELPPAGE", MAKEINTRESOURCEW(10));
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  const Bytes folder = TempFolder();
  if (!data || folder.empty()) return {};
  page = folder + "Quiltor.html";
  if (!files.ReplaceAll(page, Bytes(data, SizeofResource(nullptr, found)))) return {};
  return page;
}

// The page the browser is shown: a local one that goes on to the topic's
// section of `page`; `page` itself, at its top, when that cannot be written.
Bytes PageToShow(FileSystem& files, const Bytes& page, int context) {
  const Bytes folder = TempFolder();
  if (folder.empty()) return page;
  const Bytes redirect = folder + "Quiltor-help.html";
  const std::string address = HelpTopicAddress(ToUtf8(FromAnsi(page)), context);
  return files.ReplaceAll(redirect, HelpRedirectPage(address)) ? redirect : page;
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
    const std::wstring shown = FromAnsi(PageToShow(files, page, context));
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(owner, nullptr, shown.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return;
  }
  MessageBoxW(owner, L"ヘルプを開けませんでした", kAppTitle, MB_OK | MB_ICONERROR);
}

}  // namespace quiltor
