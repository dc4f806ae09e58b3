// The command-line splitter, the switches of the tool's own start, and the
// WM_COPYDATA text another program sends. The message buffer is exactly
// cbData bytes long, so reading one byte too far is an error the address
// sanitizer reports; what a second start forwards must be read back as the
// switches it came from.
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "exchange/command_line.h"
#include "fuzz_support.h"

namespace quiltor {
namespace {

void CheckSplit(const Bytes& commandLine) {
  const std::vector<Bytes> arguments = SplitCommandLine(commandLine);
  std::size_t total = 0;
  for (const Bytes& argument : arguments) {
    FUZZ_CHECK(!argument.empty());
    FUZZ_CHECK(argument.find('\0') == Bytes::npos);
    total += argument.size();
  }
  FUZZ_CHECK(total <= commandLine.size());
  const std::vector<Bytes> rest = ArgumentsOf(commandLine);
  FUZZ_CHECK(rest.size() == (arguments.empty() ? 0 : arguments.size() - 1));
  for (std::size_t i = 0; i < rest.size(); ++i) FUZZ_CHECK(rest[i] == arguments[i + 1]);
  // The "/P" command line holds every further argument, quoted.
  const Bytes program = BuildProgramCommandLine(arguments);
  std::size_t quoted = 0;
  for (std::size_t i = 1; i < arguments.size(); ++i) quoted += arguments[i].size() + 3;
  if (!arguments.empty()) FUZZ_CHECK(program.size() == quoted + (arguments[0].size() > 2 ? arguments[0].size() - 2 : 0));
}

void CheckOwnArguments(const std::vector<Bytes>& arguments) {
  const OwnArguments own = ParseOwnArguments(arguments);
  if (own.linkedEditWindow) FUZZ_CHECK(*own.linkedEditWindow <= std::numeric_limits<std::uint32_t>::max());
  if (own.currentFile) FUZZ_CHECK(!own.currentFile->empty());
  if (own.dataFile) FUZZ_CHECK(!own.dataFile->empty());

  // Forwarded, the same arguments give the same "/h", "/f" and "/d" (the
  // forwarded text is lines, so arguments with a line feed are left out, and
  // "/L" and "/T" are not read there).
  std::vector<Bytes> forwardable;
  for (const Bytes& argument : arguments) {
    if (argument.size() <= 2 || argument.find('\n') != Bytes::npos) continue;
    if (argument.compare(0, 2, "/L") == 0 || argument.compare(0, 2, "/T") == 0) continue;
    forwardable.push_back(argument);
  }
  const OwnArguments expected = ParseOwnArguments(forwardable);
  const Bytes text = BuildForwardText(forwardable);
  const std::unique_ptr<char[]> message(new char[text.size() + 1]);
  std::memcpy(message.get(), text.data(), text.size());
  message[text.size()] = '\0';
  const ForwardedCommand command = ParseForwardedCommandLine(kForwardMarker, message.get(), text.size() + 1);
  FUZZ_CHECK(command.marked);
  FUZZ_CHECK(command.error == expected.error);
  if (!command.error) {
    FUZZ_CHECK(command.window == expected.linkedEditWindow);
    FUZZ_CHECK(command.file == expected.currentFile.value_or(""));
    FUZZ_CHECK(command.dataFile == expected.dataFile.value_or(""));
  }
}

// A message with any dwData and cbData, in a buffer of exactly cbData bytes.
void CheckMessage(FuzzedDataProvider& input) {
  const std::uint64_t dwData = input.ConsumeBool() ? kForwardMarker | (input.ConsumeIntegral<std::uint64_t>() << 32)
                                                   : input.ConsumeIntegral<std::uint64_t>();
  const Bytes body = input.ConsumeRemainingBytesAsString();
  const std::size_t cbData = body.size();
  const std::unique_ptr<char[]> buffer(cbData ? new char[cbData] : nullptr);
  if (cbData) std::memcpy(buffer.get(), body.data(), cbData);
  const ForwardedCommand command = ParseForwardedCommandLine(dwData, buffer.get(), cbData);
  FUZZ_CHECK(command.marked == ((dwData & 0xFFFFFFFFu) == kForwardMarker));
  if (!command.marked) {
    FUZZ_CHECK(!command.window && command.file.empty() && command.dataFile.empty() && !command.error);
    return;
  }
  // Nothing comes from past the last byte (the terminator, whatever it holds)
  // or from after a zero byte.
  const std::size_t textEnd = cbData == 0 ? 0 : std::min(body.find('\0'), cbData - 1);
  const Bytes text = body.substr(0, textEnd);
  FUZZ_CHECK(command.file.size() <= text.size() && command.dataFile.size() <= text.size());
  FUZZ_CHECK(command.file.empty() || text.find("/f" + command.file + "\n") != Bytes::npos);
  FUZZ_CHECK(command.dataFile.empty() || text.find("/d" + command.dataFile + "\n") != Bytes::npos);
  if (command.window) FUZZ_CHECK(*command.window <= std::numeric_limits<std::uint32_t>::max());
  // A missing buffer is an empty message.
  const ForwardedCommand none = ParseForwardedCommandLine(dwData, nullptr, cbData);
  FUZZ_CHECK(none.marked && !none.window && none.file.empty() && none.dataFile.empty() && !none.error);
}

void CheckSwitchInteger(const Bytes& value) {
  const std::optional<std::int64_t> number = ParseSwitchInteger(value);
  if (!number) return;
  const std::int64_t limit = std::numeric_limits<std::uint32_t>::max();
  FUZZ_CHECK(*number >= -limit && *number <= limit);
}

}  // namespace
}  // namespace quiltor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quiltor;
  const Bytes commandLine(reinterpret_cast<const char*>(data), size);
  CheckSplit(commandLine);
  const std::vector<Bytes> arguments = ArgumentsOf(commandLine);
  CheckOwnArguments(arguments);
  for (const Bytes& argument : arguments) CheckSwitchInteger(argument.size() > 2 ? argument.substr(2) : argument);
  FuzzedDataProvider input(data, size);
  CheckMessage(input);
  return 0;
}
