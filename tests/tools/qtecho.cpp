// Test helper: writes its own command line, as received, into the file named
// by its first argument, so a test can check how a program was started. The
// line is read as Windows holds it (UTF-16) and written in UTF-8, so what it
// shows does not depend on the machine's language setting.
#include <windows.h>

#include <string>

int main() {
  const std::wstring line = GetCommandLineW();
  // The first argument after the program path is the output file.
  std::size_t p = 0;
  if (!line.empty() && line[0] == L'"') {
    p = line.find(L'"', 1);
    p = p == std::wstring::npos ? line.size() : p + 1;
  } else {
    p = line.find(L' ');
    if (p == std::wstring::npos) p = line.size();
  }
  while (p < line.size() && line[p] == L' ') ++p;
  std::size_t end = line.find(L' ', p);
  if (end == std::wstring::npos) end = line.size();
  const std::wstring path = line.substr(p, end - p);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), size, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
