// Test helper standing in for Loomwork.exe: appends its command line, as
// received, to "loomwork-args.txt" beside itself, then waits until the test
// writes "loomwork-release.txt" there. When that file says "new <name>", a
// data file of that name (relative to its folder) is written before it ends,
// as the real companion does for a new file.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/test_window.h"

using namespace quiltor::testwin;

int main() {
  const std::wstring folder = SelfFolder();
  WriteToFile(folder + L"loomwork-args.txt", std::string(GetCommandLineA()) + "\n");

  const std::wstring release = folder + L"loomwork-release.txt";
  if (!WaitForFile(release)) return 1;
  std::stringstream order;
  order << std::ifstream(std::filesystem::path(release), std::ios::binary).rdbuf();
  const std::string text = order.str();
  if (text.rfind("new ", 0) == 0) {
    std::string name = text.substr(4);
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    WriteToFile(folder + quiltor::FromAnsi(name), "[Version]\r\nNo=170\r\n[Group]\r\nCount=0\r\nTitle=New\r\n",
                Write::kReplace);
  }
  DeleteFileW(release.c_str());
  return 0;
}
