// Test helper: a program that notes how it was started. It appends its own
// command line, as Windows handed it over, as one line to "<its own path>.log",
// so a copy named view.exe writes view.exe.log beside itself.
#include <windows.h>

#include <cstring>
#include <string>

int main() {
  char self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 2;
  const std::string log = std::string(self, length) + ".log";
  HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  const std::string line = std::string(GetCommandLineA()) + "\r\n";
  DWORD written = 0;
  const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  return ok ? 0 : 2;
}
