#pragma once
// Help topics of the dialogs: the topic of a context number in "Quiltor.hlp"
// when that file lies beside the program, else the matching section of the
// bundled help page.
#include <windows.h>

#include "platform/files.h"
#include "platform/types.h"

namespace quiltor {

// Help contexts of the settings dialog's tabs, in tab order.
inline constexpr int kFirstSetupHelpContext = 201;

// Opens the topic; tells the user when neither the help file nor the help
// page can be opened.
void OpenHelpTopic(HWND owner, FileSystem& files, const Bytes& exeFolder, int context);

}  // namespace quiltor
