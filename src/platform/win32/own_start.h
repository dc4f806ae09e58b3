#pragma once
// What Windows tells a starting program about itself and its user, as the
// code page 932 bytes the tool keeps. The tool and its companion both start
// from here.
#include <optional>
#include <string>

#include "platform/types.h"

namespace quiltor {

// The program's own folder (GetModuleFileNameW) with its trailing
// backslash. nullopt when Windows does not tell, or when neither the path nor
// its short form can be written in code page 932; `refused` then holds the
// path for the message.
std::optional<Bytes> OwnProgramFolder(std::wstring& refused);

// The command line after the program's own path (GetCommandLineW). nullopt
// when it holds a character code page 932 lacks: arguments are never handed
// on changed. `refused` then holds the text for the message.
std::optional<Bytes> OwnArgumentsText(std::wstring& refused);

// The user's own application-data folder (roaming, CSIDL_APPDATA) followed by
// `name` and a backslash, where a user may always write; "" when Windows does
// not tell or the path cannot be written in code page 932.
Bytes UserDataFolder(const Bytes& name);

}  // namespace quiltor
