#include "platform/win32/clipboard_data.h"

#include <array>
#include <cstring>

#include "delivery/clipboard_formats.h"
#include "platform/win32/handles.h"
#include "platform/win32/text_codec.h"

namespace quiltor {

bool PutClipboardBytes(UINT format, const void* data, std::size_t size) {
  GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, size ? size : 1));
  if (!block) return false;
  {
    GlobalLockScope lock(block.Get());
    if (!lock.Data()) return false;
    if (size) std::memcpy(lock.Data(), data, size);
  }
  if (!SetClipboardData(format, block.Get())) return false;
  block.Release();
  return true;
}

bool PutEnhancedMetafile(const std::string& bits) {
  EnhMetafileHandle metafile(
      SetEnhMetaFileBits(static_cast<UINT>(bits.size()), reinterpret_cast<const BYTE*>(bits.data())));
  if (!metafile || !SetClipboardData(CF_ENHMETAFILE, metafile.Get())) return false;
  metafile.Release();
  return true;
}

std::optional<std::string> CopyClipboardFormat(UINT format) {
  HANDLE handle = GetClipboardData(format);
  if (!handle) return std::nullopt;
  if (format == CF_ENHMETAFILE) {
    auto metafile = static_cast<HENHMETAFILE>(handle);
    const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
    if (size == 0) return std::nullopt;
    std::string bits(size, '\0');
    if (GetEnhMetaFileBits(metafile, size, reinterpret_cast<BYTE*>(bits.data())) != size) return std::nullopt;
    return bits;
  }
  const SIZE_T size = GlobalSize(handle);
  if (size == 0) return std::string();  // an empty block: a marker format
  GlobalLockScope lock(handle);
  if (!lock.Data()) return std::nullopt;
  return std::string(static_cast<const char*>(lock.Data()), size);
}

ClipboardFormatName ClipboardFormatNameOf(UINT format) {
  ClipboardFormatName name;
  name.id = format;
  if (format >= kCfFirstRegistered) {
    wchar_t text[256] = {};
    const int length = GetClipboardFormatNameW(format, text, 256);
    // A name code page 932 cannot hold stays empty: the format then goes
    // back by its number, which holds for the session.
    if (length > 0) name.name = ToAnsiExact(std::wstring_view(text, static_cast<std::size_t>(length))).value_or("");
  }
  return name;
}

void PutToolMarkers() {
  // Registered ids stay the same for the session: asked once.
  static const auto ids = [] {
    std::array<UINT, kToolMarkerFormats.size()> registered{};
    for (std::size_t i = 0; i < registered.size(); ++i) registered[i] = RegisterClipboardFormatW(FromAnsi(kToolMarkerFormats[i]).c_str());
    return registered;
  }();
  const DWORD no = 0;
  for (UINT id : ids)
    if (id) PutClipboardBytes(id, &no, sizeof no);
}

}  // namespace quiltor
