// Test helper standing in for Loomwork.exe: appends its command line, as
// received, to "loomwork-args.txt" beside itself, then waits until the test
// writes "loomwork-release.txt" there. When that file says "new <name>", a
// data file of that name (relative to its folder) is written before it ends,
// as the real companion does for a new file.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "text/cp932.h"

int main() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string folder = quiltor::FolderOf(self);
  std::ofstream(folder + "loomwork-args.txt", std::ios::binary | std::ios::app) << GetCommandLineA() << "\n";

  const std::string release = folder + "loomwork-release.txt";
  for (int waited = 0; GetFileAttributesA(release.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 50) {
    if (waited > 120000) return 1;
    Sleep(50);
  }
  std::stringstream order;
  order << std::ifstream(release, std::ios::binary).rdbuf();
  const std::string text = order.str();
  if (text.rfind("new ", 0) == 0) {
    std::string name = text.substr(4);
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    std::ofstream(folder + name, std::ios::binary) << "[Version]\r\nNo=170\r\n[Group]\r\nCount=0\r\nTitle=New\r\n";
  }
  DeleteFileA(release.c_str());
  return 0;
}
