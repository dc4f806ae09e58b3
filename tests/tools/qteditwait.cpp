// Test helper standing in for the user's editor: appends the file it was
// started with to "editor-log.txt" beside itself, then waits until the test
// makes "<file>.close", removes it and ends, as an editor that was closed.
#include <windows.h>

#include <fstream>
#include <string>

#include "text/cp932.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string folder = quiltor::FolderOf(self);
  const std::string file = argv[1];
  std::ofstream(folder + "editor-log.txt", std::ios::binary | std::ios::app) << file << "\n";
  const std::string close = file + ".close";
  for (int waited = 0; GetFileAttributesA(close.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 50) {
    if (waited > 120000) return 1;
    Sleep(50);
  }
  DeleteFileA(close.c_str());
  return 0;
}
