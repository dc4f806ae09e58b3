// Test helper standing in for the user's editor: appends the file it was
// started with (in code page 932) to "editor-log.txt" beside itself, then
// waits until the test makes "<file>.close", removes it and ends, as an
// editor that was closed.
#include "tools/test_window.h"

using namespace quiltor::testwin;

int main() {
  const Arguments args;
  if (args.Count() < 2) return 2;
  WriteToFile(SelfFolder() + L"editor-log.txt", quiltor::ToAnsiForDisplay(args[1]) + "\n");
  const std::wstring close = args[1] + L".close";
  if (!WaitForFile(close)) return 1;
  DeleteFileW(close.c_str());
  return 0;
}
