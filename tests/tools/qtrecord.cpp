// Test helper: a program that notes how it was started. It appends its own
// command line, as Windows handed it over, as one line to "<its own path>.log",
// so a copy named view.exe writes view.exe.log beside itself.
#include <string>

#include "tools/test_window.h"

int main() {
  const std::wstring self = quiltor::testwin::SelfPath();
  if (self.empty()) return 2;
  return quiltor::testwin::WriteToFile(self + L".log", std::string(GetCommandLineA()) + "\r\n") ? 0 : 2;
}
