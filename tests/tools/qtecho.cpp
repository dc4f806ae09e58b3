// Test helper: writes its own command line, as received, into the file named
// by its first argument, so a test can check how a program was started.
#include <windows.h>

#include <cstring>

int main() {
  const char* line = GetCommandLineA();
  // The first argument after the program path is the output file.
  const char* p = line;
  if (*p == '"') {
    p = std::strchr(p + 1, '"');
    p = p ? p + 1 : line + std::strlen(line);
  } else {
    while (*p && *p != ' ') ++p;
  }
  while (*p == ' ') ++p;
  char path[MAX_PATH] = {};
  int n = 0;
  while (p[n] && p[n] != ' ' && n < MAX_PATH - 1) path[n] = p[n], ++n;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
