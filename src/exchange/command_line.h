#pragma once
// The command line of the tool: splitting, the switches of its own start, the
// text a second start forwards to the running instance, and reading it back.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace quiltor {

inline constexpr char kInstanceMutexName[] = "QuiltorMutex";
inline constexpr std::uint64_t kForwardMarker = 0xFFFFFFFFu;
// A forwarded text larger than this is not read at all: no real command line
// comes near it, and reading it would only let another program make us copy
// arbitrary amounts of memory.
inline constexpr std::size_t kMaxForwardedBytes = 1u << 20;

// Splits a whole command line (program path first) into arguments: codes 1..32
// separate, double quotes start and end a quoted stretch and are dropped, a ""
// pair where an argument would begin is skipped, a double-byte character is
// taken whole, and an argument that comes out empty ends the list.
std::vector<Bytes> SplitCommandLine(const Bytes& commandLine);

// The arguments without the program path.
std::vector<Bytes> ArgumentsOf(const Bytes& commandLine);

// Strict integer reading of a switch value: decimal with optional sign, or
// hexadecimal with "$". nullopt when it is not an integer.
std::optional<std::int64_t> ParseSwitchInteger(const Bytes& value);

// The switches of the running instance's own start. A value that is not an
// integer stops the reading there: `error` holds the offending value.
struct OwnArguments {
  std::optional<int> left;
  std::optional<int> top;
  std::optional<std::uint64_t> linkedEditWindow;  // not yet checked with IsWindow
  std::optional<Bytes> currentFile;
  std::optional<Bytes> dataFile;
  std::optional<Bytes> error;
};
OwnArguments ParseOwnArguments(const std::vector<Bytes>& arguments);

// The text a second start sends: every argument followed by "\n".
Bytes BuildForwardText(const std::vector<Bytes>& arguments);

// "/P": the rest of the first argument, then each further argument quoted.
Bytes BuildProgramCommandLine(const std::vector<Bytes>& arguments);

// What a forwarded message asks for. `marked` is false when dwData was not the
// forwarding marker (the text is then ignored).
struct ForwardedCommand {
  bool marked = false;
  std::optional<std::uint64_t> window;  // "/h", not yet checked with IsWindow
  Bytes file;                           // "/f"
  Bytes dataFile;                       // "/d"
  std::optional<Bytes> error;           // a "/h" value that is not an integer
};
// Reads at most cbData bytes of `data` and never past a missing terminator.
ForwardedCommand ParseForwardedCommandLine(std::uint64_t dwData, const void* data,
                                           std::size_t cbData);

}  // namespace quiltor
