#include "platform/win32/own_start.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win32/text_codec.h"
#include "text/cp932.h"

namespace quiltor {

std::optional<Bytes> OwnProgramFolder(std::wstring& refused) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::nullopt;
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // cut off: a longer path than MAX_PATH
  }
  const std::optional<Bytes> bytes = PathToAnsi(path);
  if (!bytes) {
    refused = path;
    return std::nullopt;
  }
  return FolderOf(*bytes);
}

std::optional<Bytes> OwnArgumentsText(std::wstring& refused) {
  const std::wstring_view line = GetCommandLineW();
  // The program's path is read as the arguments after it are: blanks and
  // control characters separate, double quotes hold a stretch together.
  std::size_t pos = 0;
  while (pos < line.size() && line[pos] <= L' ') ++pos;
  bool quoted = false;
  for (; pos < line.size(); ++pos) {
    if (line[pos] == L'"') {
      quoted = !quoted;
    } else if (!quoted && line[pos] <= L' ') {
      break;
    }
  }
  const std::wstring rest(line.substr(pos));
  std::optional<Bytes> bytes = ToAnsiExact(rest);
  if (!bytes) refused = rest;
  return bytes;
}

Bytes UserDataFolder(const Bytes& name) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
  const std::optional<Bytes> bytes = PathToAnsi(folder);
  if (!bytes || bytes->empty()) return {};
  return JoinPath(*bytes, name) + "\\";
}

}  // namespace quiltor
