#include "platform/win32/clipboard.h"

#include <windows.h>

#include <cstring>

namespace quiltor {
namespace {

// Holds the clipboard open for one operation.
class OpenClipboardScope {
 public:
  OpenClipboardScope() : open_(OpenClipboard(nullptr) != FALSE) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

// A movable global block until the clipboard takes it over.
class GlobalBlock {
 public:
  explicit GlobalBlock(std::size_t size) : handle_(GlobalAlloc(GMEM_MOVEABLE, size ? size : 1)) {}
  ~GlobalBlock() {
    if (handle_) GlobalFree(handle_);
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  bool Fill(const void* data, std::size_t size) {
    if (!handle_) return false;
    void* target = GlobalLock(handle_);
    if (!target) return false;
    if (size) std::memcpy(target, data, size);
    GlobalUnlock(handle_);
    return true;
  }
  // Hands the block to the clipboard; it is the clipboard's after success.
  bool SetAs(UINT format) {
    if (!handle_ || !SetClipboardData(format, handle_)) return false;
    handle_ = nullptr;
    return true;
  }

 private:
  HGLOBAL handle_;
};

class GlobalLockScope {
 public:
  explicit GlobalLockScope(HANDLE handle) : handle_(handle), data_(handle ? GlobalLock(handle) : nullptr) {}
  ~GlobalLockScope() {
    if (data_) GlobalUnlock(handle_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  const char* Data() const { return static_cast<const char*>(data_); }

 private:
  HANDLE handle_;
  void* data_;
};

bool PutBytes(UINT format, const void* data, std::size_t size) {
  GlobalBlock block(size);
  return block.Fill(data, size) && block.SetAs(format);
}

// Formats whose handle is not a global memory block (GDI objects, metafiles,
// owner display, private handles) cannot be copied byte by byte. A bitmap
// is still kept through its CF_DIB form, from which the system makes CF_BITMAP.
bool IsCopyableFormat(UINT format) {
  switch (format) {
    case CF_BITMAP:
    case CF_METAFILEPICT:
    case CF_PALETTE:
    case CF_ENHMETAFILE:
    case CF_OWNERDISPLAY:
    case CF_DSPBITMAP:
    case CF_DSPMETAFILEPICT:
    case CF_DSPENHMETAFILE:
      return false;
    default:
      break;
  }
  if (format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) return false;
  if (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST) return false;
  return true;
}

// Marks a text as one that clipboard-history and monitoring tools skip.
void PutTransientMarkers() {
  const DWORD no = 0;
  const UINT history = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
  const UINT monitor = RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing");
  if (history) PutBytes(history, &no, sizeof no);
  if (monitor) PutBytes(monitor, &no, sizeof no);
}

constexpr wchar_t kOwnerClassName[] = L"QuiltorClipboardOwner";

}  // namespace

// The owner of an on-demand text: a message-only window that renders the
// text when a program asks for it.
struct Win32Clipboard::OnDemand {
  HWND owner = nullptr;
  Bytes text;
  bool held = false;               // the clipboard still announces `text`
  std::optional<bool> taken;       // nullopt until a text was put on demand

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<OnDemand*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
      case WM_RENDERFORMAT:
        // The clipboard is open by the reader; the data goes in without opening.
        if (wparam == CF_TEXT && self->held && PutBytes(CF_TEXT, self->text.c_str(), self->text.size() + 1))
          self->taken = true;
        return 0;
      case WM_RENDERALLFORMATS:
        // The window goes away while it still owns the clipboard: leave the
        // text there for good, as an ordinary copy would.
        if (self->held && OpenClipboard(window)) {
          if (GetClipboardOwner() == window) PutBytes(CF_TEXT, self->text.c_str(), self->text.size() + 1);
          CloseClipboard();
        }
        self->held = false;
        return 0;
      case WM_DESTROYCLIPBOARD:
        self->held = false;
        return 0;
      default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
  }

  bool EnsureOwner() {
    if (owner) return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kOwnerClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    owner = CreateWindowExW(0, kOwnerClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!owner) return false;
    SetWindowLongPtrW(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
  }

  ~OnDemand() {
    if (owner) DestroyWindow(owner);  // renders a text still held (WM_RENDERALLFORMATS)
  }
};

Win32Clipboard::Win32Clipboard() : onDemand_(std::make_unique<OnDemand>()) {}
Win32Clipboard::~Win32Clipboard() = default;

bool Win32Clipboard::PutOnDemand(const Bytes& text) {
  OnDemand& state = *onDemand_;
  if (!state.EnsureOwner()) return false;
  if (!OpenClipboard(state.owner)) return false;
  // EmptyClipboard tells the previous owner (perhaps this window) first.
  if (!EmptyClipboard()) {
    CloseClipboard();
    return false;
  }
  state.text = text;
  state.held = true;
  SetClipboardData(CF_TEXT, nullptr);
  const bool announced = IsClipboardFormatAvailable(CF_TEXT) != FALSE;
  if (announced) PutTransientMarkers();
  CloseClipboard();
  if (!announced) {
    state.held = false;
    return false;
  }
  state.taken = false;
  return true;
}

std::optional<bool> Win32Clipboard::TransientTextTaken() { return onDemand_->taken; }

bool Win32Clipboard::HasText() { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }

std::optional<Bytes> Win32Clipboard::GetText() {
  OpenClipboardScope scope;
  if (!scope.IsOpen()) return std::nullopt;
  HANDLE handle = GetClipboardData(CF_TEXT);
  if (!handle) return Bytes();
  GlobalLockScope lock(handle);
  if (!lock.Data()) return Bytes();
  const std::size_t size = GlobalSize(handle);
  const void* end = std::memchr(lock.Data(), 0, size);
  const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - lock.Data()) : size;
  return Bytes(lock.Data(), length);
}

bool Win32Clipboard::SetText(const Bytes& text, bool transient) {
  if (transient && PutOnDemand(text)) return true;
  OpenClipboardScope scope;
  if (!scope.IsOpen() || !EmptyClipboard()) return false;
  if (!PutBytes(CF_TEXT, text.c_str(), text.size() + 1)) return false;
  if (transient) {
    PutTransientMarkers();
    onDemand_->taken.reset();  // put at once: nobody can tell when it is read
  }
  return true;
}

bool Win32Clipboard::Empty() {
  OpenClipboardScope scope;
  return scope.IsOpen() && EmptyClipboard();
}

bool Win32Clipboard::IsHeldOpen() { return GetOpenClipboardWindow() != nullptr; }

std::optional<ClipboardSnapshot> Win32Clipboard::Snapshot() {
  OpenClipboardScope scope;
  if (!scope.IsOpen()) return std::nullopt;
  ClipboardSnapshot snapshot;
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
    if (!IsCopyableFormat(format)) continue;
    HANDLE handle = GetClipboardData(format);
    if (!handle) continue;
    const SIZE_T size = GlobalSize(handle);
    if (size == 0) continue;
    GlobalLockScope lock(handle);
    if (!lock.Data()) continue;
    ClipboardSnapshot::Format entry;
    entry.id = format;
    if (format >= 0xC000) {
      char name[256] = {};
      const int length = GetClipboardFormatNameA(format, name, sizeof name);
      if (length > 0) entry.name.assign(name, static_cast<std::size_t>(length));
    }
    entry.data.assign(lock.Data(), size);
    snapshot.formats.push_back(std::move(entry));
  }
  return snapshot;
}

bool Win32Clipboard::Restore(const ClipboardSnapshot& snapshot) {
  OpenClipboardScope scope;
  if (!scope.IsOpen() || !EmptyClipboard()) return false;
  for (const ClipboardSnapshot::Format& entry : snapshot.formats) {
    UINT format = entry.id;
    if (!entry.name.empty()) format = RegisterClipboardFormatA(entry.name.c_str());
    if (!format) continue;
    PutBytes(format, entry.data.data(), entry.data.size());
  }
  return true;
}

std::uint32_t Win32Clipboard::SequenceNumber() { return GetClipboardSequenceNumber(); }

}  // namespace quiltor
