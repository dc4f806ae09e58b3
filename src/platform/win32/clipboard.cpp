#include "platform/win32/clipboard.h"

#include <windows.h>

#include <atomic>
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
  // Registered ids stay the same for the session: ask once.
  static const UINT history = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
  static const UINT monitor = RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing");
  if (history) PutBytes(history, &no, sizeof no);
  if (monitor) PutBytes(monitor, &no, sizeof no);
}

constexpr wchar_t kOwnerClassName[] = L"QuiltorClipboardOwner";

}  // namespace

// The owner of an on-demand text: a message-only window on a thread of its
// own, so a reader gets the text at once even while the tool's own thread is
// busy or asleep in a delivery's waits.
struct Win32Clipboard::OnDemand {
  HWND owner = nullptr;
  HANDLE thread = nullptr;
  CRITICAL_SECTION lock;
  Bytes text;                       // guarded by `lock`
  bool held = false;                // the clipboard still announces `text`; guarded
  std::atomic<int> taken{kNotOnDemand};

  static constexpr int kNotOnDemand = -1;

  OnDemand() { InitializeCriticalSection(&lock); }

  class Locked {
   public:
    explicit Locked(OnDemand& state) : state_(state) { EnterCriticalSection(&state_.lock); }
    ~Locked() { LeaveCriticalSection(&state_.lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

   private:
    OnDemand& state_;
  };

  // Runs on the owner's thread. The clipboard is open by the reader when
  // WM_RENDERFORMAT comes, so the data goes in without opening it.
  bool Render() {
    Locked guard(*this);
    return held && PutBytes(CF_TEXT, text.c_str(), text.size() + 1);
  }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<OnDemand*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
      case WM_RENDERFORMAT:
        if (wparam == CF_TEXT && self->Render()) self->taken = 1;
        return 0;
      case WM_RENDERALLFORMATS:
        // The window goes away while it still owns the clipboard: leave the
        // text there for good, as an ordinary copy would.
        if (OpenClipboard(window)) {
          if (GetClipboardOwner() == window) self->Render();
          CloseClipboard();
        }
        {
          Locked guard(*self);
          self->held = false;
        }
        return 0;
      case WM_DESTROYCLIPBOARD: {
        Locked guard(*self);
        self->held = false;
        return 0;
      }
      case WM_CLOSE:
        DestroyWindow(window);
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
  }

  struct Start {
    OnDemand* self;
    HANDLE ready;
  };

  static DWORD WINAPI ThreadMain(LPVOID parameter) {
    auto* start = static_cast<Start*>(parameter);
    OnDemand* self = start->self;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kOwnerClassName;
    HWND window = nullptr;
    if (RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
      window = CreateWindowExW(0, kOwnerClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->owner = window;
    SetEvent(start->ready);  // `start` is gone after this
    if (!window) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
  }

  bool EnsureOwner() {
    if (owner) return true;
    if (thread) return false;  // it was tried and failed
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ready) return false;
    Start start{this, ready};
    thread = CreateThread(nullptr, 0, &ThreadMain, &start, 0, nullptr);
    if (thread) WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    return owner != nullptr;
  }

  ~OnDemand() {
    if (thread) {
      // Closing the window renders a text still held (WM_RENDERALLFORMATS).
      if (owner) PostMessageW(owner, WM_CLOSE, 0, 0);
      WaitForSingleObject(thread, 5000);
      CloseHandle(thread);
    }
    DeleteCriticalSection(&lock);
  }
};

Win32Clipboard::Win32Clipboard() : onDemand_(std::make_unique<OnDemand>()) {}
Win32Clipboard::~Win32Clipboard() = default;

bool Win32Clipboard::PutOnDemand(const Bytes& text) {
  OnDemand& state = *onDemand_;
  if (!state.EnsureOwner()) return false;
  if (!OpenClipboard(state.owner)) return false;
  // EmptyClipboard tells the previous owner (perhaps the same window) first.
  if (!EmptyClipboard()) {
    CloseClipboard();
    return false;
  }
  {
    OnDemand::Locked guard(state);
    state.text = text;
    state.held = true;
  }
  state.taken = 0;
  SetClipboardData(CF_TEXT, nullptr);
  const bool announced = IsClipboardFormatAvailable(CF_TEXT) != FALSE;
  if (announced) PutTransientMarkers();
  CloseClipboard();
  if (!announced) {
    OnDemand::Locked guard(state);
    state.held = false;
    return false;
  }
  return true;
}

std::optional<bool> Win32Clipboard::TransientTextTaken() {
  const int taken = onDemand_->taken;
  if (taken == OnDemand::kNotOnDemand) return std::nullopt;
  return taken == 1;
}

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
    onDemand_->taken = OnDemand::kNotOnDemand;  // put at once: nobody can tell when it is read
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
