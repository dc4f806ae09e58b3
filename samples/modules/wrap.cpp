// Edit module: wraps the selection in a tag named by the parameter:
// "wrap.exe b" gives <b>selection</b>, "wrap.exe a href=x" gives
// <a href=x>selection</a>. The opening tag goes into buffer 1 and the closing
// tag into buffer 2, so the tool keeps the selection between them. Use it
// with an item that does not cut the selection before the module runs.
#include <string>

#include "quiltor_module.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;  // no tag: nothing is written
  quiltor_module::Exchange exchange;
  if (!exchange.Open()) return 1;
  std::string inside = argv[1];
  for (int i = 2; i < argc; ++i) inside += std::string(" ") + argv[i];
  const std::string name = inside.substr(0, inside.find(' '));
  if (name.empty()) return 2;
  // Half a tag pair would break the text: write both or neither.
  if (!exchange.SetBefore("<" + inside + ">") || !exchange.SetAfter("</" + name + ">")) {
    exchange.SetBefore("");
    exchange.SetAfter("");
    return 3;
  }
  return 0;
}
