#pragma once
// Looking at another process's windows from outside, as the test helpers and
// benchmarks do: class names, texts, named children, and memory inside the
// window's process for the common-control messages that carry pointers.
#include <windows.h>

#include <functional>
#include <string>

namespace quiltor::outside {

// Milliseconds of the performance counter, for timing steps seen from outside.
inline double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

inline std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

inline std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

inline std::wstring ClassOf(HWND w) {
  wchar_t name[128] = {};
  GetClassNameW(w, name, 128);
  return name;
}

inline std::wstring TextOf(HWND w) {
  wchar_t text[512] = {};
  GetWindowTextW(w, text, 512);
  return text;
}

// The first descendant of `parent` whose window text is `name` (the tool
// names its parts that way).
inline HWND FindChildNamed(HWND parent, const wchar_t* name) {
  struct Search {
    const wchar_t* name;
    HWND found;
  } search{name, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (TextOf(w) != s->name) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The tool's main window, in whatever process it runs.
inline HWND FindMain() { return FindWindowW(L"TFormMain", nullptr); }

// Shown, and done loading its data file.
inline bool IsLoaded(HWND main) {
  if (!main || !IsWindowVisible(main)) return false;
  HWND progress = FindChildNamed(main, L"ProgressBarLoading");
  return progress && !IsWindowVisible(progress);
}

// Waits until the window `find` gives is loaded and the height animation
// after the load has come to rest; nullptr after `limitMs`. `settledAfter`
// gets the milliseconds from the start of the wait to the last height change.
inline HWND WaitUntilSettled(const std::function<HWND()>& find, DWORD limitMs, DWORD* settledAfter = nullptr) {
  const DWORD start = GetTickCount();
  LONG lastHeight = -1;
  DWORD stableSince = 0;
  while (GetTickCount() - start < limitMs) {
    HWND main = find();
    if (IsLoaded(main)) {
      RECT r{};
      GetWindowRect(main, &r);
      if (r.bottom - r.top != lastHeight) {
        lastHeight = r.bottom - r.top;
        stableSince = GetTickCount();
      } else if (GetTickCount() - stableSince >= 300) {
        if (settledAfter) *settledAfter = stableSince - start;
        return main;
      }
    }
    Sleep(10);
  }
  return nullptr;
}

// Memory inside the window's process.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool Ok() const { return address_ != nullptr; }
  LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
  void Write(const void* data, size_t size) { WriteProcessMemory(process_, address_, data, size, nullptr); }
  void Read(void* data, size_t size) const { ReadProcessMemory(process_, address_, data, size, nullptr); }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

}  // namespace quiltor::outside
