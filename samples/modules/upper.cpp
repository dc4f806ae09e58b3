// Edit module: upper-cases the selection. Only the ASCII letters change;
// double-byte characters are left whole, even when their second byte looks
// like a lower-case letter.
#include "quiltor_module.h"

int main() {
  quiltor_module::Exchange exchange;
  if (!exchange.Open()) return 1;
  std::string text = exchange.Selection();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (quiltor_module::IsLeadByte(c)) {
      ++i;  // skip the second byte
      continue;
    }
    if (c >= 'a' && c <= 'z') text[i] = static_cast<char>(c - 'a' + 'A');
  }
  exchange.SetBefore(text);
  return 0;
}
