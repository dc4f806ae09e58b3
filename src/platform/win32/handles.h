#pragma once
// Owners of Win32 handles: each closes its handle with the one function
// that fits it, once, when it goes. Nothing else in the tool calls
// CloseHandle, DeleteObject, DeleteDC, DeleteEnhMetaFile, DestroyMenu,
// FindClose, GlobalFree, GlobalUnlock, ReleaseDC, CloseClipboard or
// UnmapViewOfFile (scripts/check-owners fails the test command when one
// appears elsewhere in the product).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

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
// Fonts, bitmaps, brushes, pens, typed by kind so a font owner hands out an
// HFONT. A stock object must never be put in one.
template <class Handle>
struct GdiTraits {
  using Type = Handle;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static bool Close(Type h) { return DeleteObject(h) != FALSE; }
};
struct EnhMetafileTraits {
  using Type = HENHMETAFILE;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static bool Close(Type h) { return DeleteEnhMetaFile(h) != FALSE; }
};
// A DC of CreateCompatibleDC / CreateDC; one of GetDC is a WindowDc.
struct CreatedDcTraits {
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static bool Close(Type h) { return DeleteDC(h) != FALSE; }
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
using GdiObject = UniqueHandle<GdiTraits<HGDIOBJ>>;
using FontHandle = UniqueHandle<GdiTraits<HFONT>>;
using EnhMetafileHandle = UniqueHandle<EnhMetafileTraits>;
using ImageListHandle = UniqueHandle<ImageListTraits>;
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;

// The clipboard, open for one operation; closed when the scope ends. Other
// programs open it for a moment after every change (monitors, the clipboard
// history, Wine's bridge to the X selection): `retryMs` waits such a short
// hold out instead of failing at once.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner = nullptr, ULONGLONG retryMs = 0) {
    const ULONGLONG start = GetTickCount64();
    while (!(open_ = OpenClipboard(owner) != FALSE) && GetTickCount64() - start < retryMs) Sleep(2);
  }
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

// The calling thread in a single-threaded COM apartment while the scope
// lives, as the shell wants it before ShellExecuteEx: shell extensions and
// associations served through COM need one, and DDE through OLE 1 is left
// out. A thread that is already in an apartment stays in it; one in a
// multithreaded apartment cannot change, and the shell still runs there.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool Entered() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
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

// A memory DC compatible with another.
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
  HDC Get() const { return dc_.Get(); }

 private:
  UniqueHandle<CreatedDcTraits> dc_;
};

// An object selected into a DC until the scope ends, so neither is deleted
// while the other still holds it.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectScope() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace quiltor
