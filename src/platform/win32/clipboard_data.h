#pragma once
// Moving data in and out of the open clipboard, shared by the tool's
// clipboard, its owner window and the snapshot reader. Every function here
// expects the clipboard to be open by the calling thread.
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "platform/clipboard.h"

namespace quiltor {

// Other programs open the clipboard for a moment after every change
// (monitors, the clipboard history, Wine's bridge to the X selection); such
// a short hold is waited out rather than reported.
inline constexpr ULONGLONG kClipboardOpenRetryMs = 50;

// Puts a copy of the bytes in a new memory block; the clipboard owns the
// block after success.
bool PutClipboardBytes(UINT format, const void* data, std::size_t size);
// Puts an enhanced metafile made from its bits.
bool PutEnhancedMetafile(const std::string& bits);
// The bytes of one format (an enhanced metafile's bits); nullopt when its
// handle could not be had or read.
std::optional<std::string> CopyClipboardFormat(UINT format);
// The number, and the name of a registered format.
ClipboardFormatName ClipboardFormatNameOf(UINT format);
// Adds the markers that keep clipboard history and monitors off what the
// tool puts there.
void PutToolMarkers();

}  // namespace quiltor
