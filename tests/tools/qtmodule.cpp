// Test helper: an edit module that misbehaves on request, for the tool's
// handling of slow and careless modules. Arguments (the item's "b" text):
//   <ms> <text>   sleep <ms> milliseconds, then write <text> as the before text,
//                 with "{sel}" standing for the selection the tool handed over
//   fill          fill the before buffer to its last byte, with no terminator
//   crash         end by an access violation, touching nothing
// Without the tool's exchange block it ends with exit code 1.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "quiltor_module.h"

int main(int argc, char** argv) {
  quiltor_module::Exchange exchange;
  if (!exchange.Open()) return 1;
  if (argc > 1 && std::strcmp(argv[1], "crash") == 0) {
    *static_cast<volatile int*>(nullptr) = 0;
    return 0;
  }
  if (argc > 1 && std::strcmp(argv[1], "fill") == 0) {
    // Past the helper's careful writer: the raw buffer, as a careless module has it.
    std::uint32_t size = 0;
    quiltor_module::Mapping block, buffer;
    if (!block.Open("QuiltorCommonMemory", quiltor_module::Exchange::kBlockSize)) return 1;
    std::memcpy(&size, block.Data() + 280, sizeof size);
    if (!buffer.Open("QuiltorCommonMemory1", size)) return 1;
    std::memset(buffer.Data(), 'x', buffer.Size());
    return 0;
  }
  const DWORD delay = argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 0;
  std::string text;
  for (int i = 2; i < argc; ++i) text += (i > 2 ? " " : "") + std::string(argv[i]);
  if (const std::size_t at = text.find("{sel}"); at != std::string::npos) text.replace(at, 5, exchange.Selection());
  Sleep(delay);
  exchange.SetBefore(text);
  return 0;
}
