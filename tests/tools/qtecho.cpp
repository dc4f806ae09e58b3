// Test helper: writes its own command line, as received, into the file named
// by its first argument, so a test can check how a program was started. The
// line is read as Windows holds it (UTF-16) and written in UTF-8, so what it
// shows does not depend on the machine's language setting.
#include "tools/test_window.h"

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
  using quiltor::testwin::Write;
  return quiltor::testwin::WriteToFile(line.substr(p, end - p), quiltor::ToUtf8(line), Write::kReplace) ? 0 : 2;
}
