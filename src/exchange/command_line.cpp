#include "exchange/command_line.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "text/cp932.h"

namespace quiltor {
namespace {

bool IsSeparator(unsigned char byte) { return byte >= 1 && byte <= 32; }

// Appends the character at `pos` (two bytes for a double-byte character) and
// returns the position after it.
std::size_t TakeCharacter(const Bytes& text, std::size_t pos, Bytes& out) {
  if (IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() &&
      text[pos + 1] != '\0') {
    out.append(text, pos, 2);
    return pos + 2;
  }
  out.push_back(text[pos]);
  return pos + 1;
}

}  // namespace

std::vector<Bytes> SplitCommandLine(const Bytes& commandLine) {
  // Only the text before a zero byte is a command line.
  const Bytes text = commandLine.substr(0, commandLine.find('\0'));
  std::vector<Bytes> arguments;
  std::size_t pos = 0;
  for (;;) {
    for (;;) {
      while (pos < text.size() && IsSeparator(static_cast<unsigned char>(text[pos]))) ++pos;
      if (pos + 1 < text.size() && text[pos] == '"' && text[pos + 1] == '"') {
        pos += 2;
      } else {
        break;
      }
    }
    Bytes argument;
    while (pos < text.size() && !IsSeparator(static_cast<unsigned char>(text[pos]))) {
      if (text[pos] == '"') {
        ++pos;
        while (pos < text.size() && text[pos] != '"') pos = TakeCharacter(text, pos, argument);
        if (pos < text.size()) ++pos;
      } else {
        pos = TakeCharacter(text, pos, argument);
      }
    }
    if (argument.empty()) break;
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::vector<Bytes> ArgumentsOf(const Bytes& commandLine) {
  auto all = SplitCommandLine(commandLine);
  if (!all.empty()) all.erase(all.begin());
  return all;
}

std::optional<std::int64_t> ParseSwitchInteger(const Bytes& value) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < value.size() && (value[pos] == '-' || value[pos] == '+')) {
    negative = value[pos] == '-';
    ++pos;
  }
  int base = 10;
  if (pos < value.size() && value[pos] == '$') {
    base = 16;
    ++pos;
  }
  if (pos >= value.size()) return std::nullopt;
  std::int64_t result = 0;
  for (; pos < value.size(); ++pos) {
    const char c = value[pos];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    result = result * base + digit;
    // Window handles are 32-bit values; anything larger is no integer we take.
    if (result > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  }
  return negative ? -result : result;
}

OwnArguments ParseOwnArguments(const std::vector<Bytes>& arguments) {
  OwnArguments result;
  for (const Bytes& argument : arguments) {
    if (argument.size() <= 2) continue;
    const Bytes option = argument.substr(0, 2);
    const Bytes value = argument.substr(2);
    if (option == "/L" || option == "/T" || option == "/h") {
      const auto number = ParseSwitchInteger(value);
      const bool fitsInt = number && *number >= std::numeric_limits<std::int32_t>::min() &&
                           *number <= std::numeric_limits<std::int32_t>::max();
      if (!number || (option != "/h" && !fitsInt)) {
        result.error = value;
        return result;
      }
      if (option == "/L") result.left = static_cast<int>(*number);
      if (option == "/T") result.top = static_cast<int>(*number);
      // A negative handle names no window: as if "/h" were not there.
      if (option == "/h") {
        result.linkedEditWindow =
            *number < 0 ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(*number));
      }
    } else if (option == "/f") {
      result.currentFile = value;
    } else if (option == "/d") {
      result.dataFile = value;
    }
  }
  return result;
}

Bytes BuildForwardText(const std::vector<Bytes>& arguments) {
  Bytes text;
  for (const Bytes& argument : arguments) {
    text += argument;
    text += '\n';
  }
  return text;
}

Bytes BuildProgramCommandLine(const std::vector<Bytes>& arguments) {
  if (arguments.empty()) return {};
  Bytes commandLine = arguments[0].size() > 2 ? arguments[0].substr(2) : Bytes();
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    commandLine += " \"";
    commandLine += arguments[i];
    commandLine += '"';
  }
  return commandLine;
}

ForwardedCommand ParseForwardedCommandLine(std::uint64_t dwData, const void* data,
                                           std::size_t cbData) {
  ForwardedCommand command;
  // dwData travels as a pointer-sized value; only its low 32 bits carry the marker.
  if ((dwData & 0xFFFFFFFFu) != kForwardMarker) return command;
  command.marked = true;
  if (data == nullptr || cbData == 0 || cbData > kMaxForwardedBytes) return command;
  // The last byte is the terminator and never part of a line, whatever it holds;
  // a zero byte earlier ends the text there.
  const char* bytes = static_cast<const char*>(data);
  const char* end = std::find(bytes, bytes + (cbData - 1), '\0');
  Bytes text(bytes, end);
  std::size_t start = 0;
  for (std::size_t feed = text.find('\n'); feed != Bytes::npos; feed = text.find('\n', start)) {
    const std::size_t length = feed - start;
    if (length >= 2) {
      const Bytes option = text.substr(start, 2);
      const Bytes value = text.substr(start + 2, length - 2);
      if (option == "/h") {
        const auto number = ParseSwitchInteger(value);
        if (!number) {
          command.error = value;
          return command;
        }
        // A negative handle names no window: as if "/h" were not there.
        command.window =
            *number < 0 ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(*number));
      } else if (option == "/f") {
        command.file = value;
      } else if (option == "/d") {
        command.dataFile = value;
      }
    }
    start = feed + 1;
  }
  return command;
}

}  // namespace quiltor
