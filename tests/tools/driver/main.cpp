// qtdriver: looks at the running tool, its dialogs and the companion from
// outside, as another program would, and prints what it finds as lines for
// the end-to-end tests and the benchmarks:
//   qtdriver <family> <subcommand> [<argument>...]
// Without arguments (or with a family alone) it lists the subcommands. Lines
// are UTF-8 but for the code page 932 bytes a few pass on as they are; texts
// stand in [brackets] at the end of a line. Exit code 0 on success, 1 when
// what was looked for was not there (in time), 2 for a call it does not know.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/driver/driver.h"

namespace {

using namespace quiltor::driver;

const Family* const kFamilies[] = {&kToolFamily, &kLinkedFamily, &kSetupFamily, &kLoomworkFamily};

int Usage(FILE* out, const Family* only) {
  std::fprintf(out, "usage: qtdriver <family> <subcommand> [<argument>...]\n");
  for (const Family* family : kFamilies) {
    if (only && only != family) continue;
    std::fprintf(out, "%s: %s\n", family->name, family->about);
    for (const Subcommand& command : family->subcommands) {
      std::fprintf(out, "  qtdriver %s %s %s\n", family->name, command.name, command.usage);
    }
  }
  return 2;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!wide) return 2;
  std::vector<std::wstring> words(wide + (argc > 0 ? 1 : 0), wide + argc);
  LocalFree(wide);
  // Bytes out as they are: no carriage returns added, code page 932 texts kept.
  _setmode(_fileno(stdout), _O_BINARY);
  if (words.empty()) return Usage(stdout, nullptr);
  const Family* family = nullptr;
  for (const Family* f : kFamilies) {
    if (Utf8(words[0]) == f->name) family = f;
  }
  if (!family) return Usage(stderr, nullptr);
  const std::string name = words.size() > 1 ? Utf8(words[1]) : std::string();
  for (const Subcommand& command : family->subcommands) {
    if (name != command.name) continue;
    if (words.size() - 2 < command.arguments) break;
    HWND main = command.main ? MainOrFail() : nullptr;
    if (command.main && !main) return 1;
    const int code = command.run(Args({words.begin() + 2, words.end()}, main));
    std::fflush(stdout);
    return code;
  }
  return Usage(words.size() > 1 ? stderr : stdout, family);
}
