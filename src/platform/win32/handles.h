#pragma once
// Owners of Win32 handles: each closes its handle with the one function
// that fits it, once, when it goes. Nothing else in the tool calls
// CloseHandle, DeleteObject, DestroyMenu, FindClose or UnmapViewOfFile.
#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace quiltor {

template <class Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;
  UniqueHandle() = default;
  explicit UniqueHandle(Type handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Type Get() const { return handle_; }
  explicit operator bool() const { return Traits::Valid(handle_); }
  // Gives the handle up without closing it (a clipboard took it over).
  Type Release() { return std::exchange(handle_, Traits::Invalid()); }
  // Closes the handle now; false when the system refused.
  bool Reset(Type handle = Traits::Invalid()) {
    const bool ok = !Traits::Valid(handle_) || Traits::Close(handle_);
    handle_ = handle;
    return ok;
  }

 private:
  Type handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Type h) { return CloseHandle(h) != FALSE; }
};
// CreateFile's failure value is INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits : KernelHandleTraits {
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
};
struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static bool Close(Type h) { return FindClose(h) != FALSE; }
};
struct MappedViewTraits {
  using Type = void*;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type p) { return p != nullptr; }
  static bool Close(Type p) { return UnmapViewOfFile(p) != FALSE; }
};
struct MenuTraits {
  using Type = HMENU;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static bool Close(Type h) { return DestroyMenu(h) != FALSE; }
};
// Fonts, bitmaps, brushes, pens. A stock object must never be put in one.
struct GdiObjectTraits {
  using Type = HGDIOBJ;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static bool Close(Type h) { return DeleteObject(h) != FALSE; }
};
struct ImageListTraits {
  using Type = HIMAGELIST;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static bool Close(Type h) { return ImageList_Destroy(h) != FALSE; }
};
struct GlobalMemoryTraits {
  using Type = HGLOBAL;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static bool Close(Type h) { return GlobalFree(h) == nullptr; }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using MappedView = UniqueHandle<MappedViewTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;
using GdiObject = UniqueHandle<GdiObjectTraits>;
using ImageListHandle = UniqueHandle<ImageListTraits>;
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;

// The clipboard, open for one operation; closed when the scope ends.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner = nullptr) : open_(OpenClipboard(owner) != FALSE) {}
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

// A global memory block locked for reading or writing while the scope lives.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL handle) : handle_(handle), data_(handle ? GlobalLock(handle) : nullptr) {}
  ~GlobalLockScope() {
    if (data_) GlobalUnlock(handle_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  void* Data() const { return data_; }

 private:
  HGLOBAL handle_;
  void* data_;
};

// A screen or window device context obtained with GetDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A memory DC compatible with another; deleted when the scope ends.
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// An object selected into a DC until the scope ends.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectScope() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace quiltor
