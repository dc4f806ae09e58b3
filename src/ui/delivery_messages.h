#pragma once
// The texts the user sees when a delivery into the target window, or the
// return of the user's clipboard, did not go as asked.
#include <span>
#include <string>

#include "delivery/delivery.h"
#include "platform/clipboard.h"

namespace quiltor {

// Empty for kOk. `formats` names the clipboard formats a status about the
// user's clipboard concerns (DeliveryRoutines::LostFormats()).
std::wstring DeliveryMessage(DeliveryStatus status, std::span<const ClipboardFormatName> formats = {});

// How a clipboard format is named to the user.
std::wstring ClipboardFormatLabel(const ClipboardFormatName& format);

}  // namespace quiltor
