// Edit module: numbers the selected lines ("1: ", "2: ", ...), joined with
// the tool's line end. An optional parameter gives the first number. A line
// end after the last line is kept and starts no line of its own.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "quiltor_module.h"

int main(int argc, char** argv) {
  quiltor_module::Exchange exchange;
  if (!exchange.Open()) return 1;
  const std::string text = exchange.Selection();
  if (text.empty()) return 0;
  long first = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1;

  // Lines end at "\r\n", "\r" or "\n", whichever the editor used.
  std::vector<std::string> lines;
  std::string line;
  bool endsWithLineEnd = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    endsWithLineEnd = false;
    if (quiltor_module::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < text.size()) {
      line += c;
      line += text[++i];
      continue;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(line);
      line.clear();
      endsWithLineEnd = true;
      continue;
    }
    line += c;
  }
  if (!endsWithLineEnd) lines.push_back(line);

  const std::string lineEnd = exchange.LineEnd();
  std::string result;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    char number[32];
    std::snprintf(number, sizeof number, "%ld: ", first + static_cast<long>(i));
    result += number + lines[i];
    if (i + 1 < lines.size() || endsWithLineEnd) result += lineEnd;
  }
  exchange.SetBefore(result);
  return 0;
}
