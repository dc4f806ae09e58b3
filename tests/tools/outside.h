#pragma once
// Looking at another process's windows from outside, as the test helpers and
// benchmarks do: class names, texts, named children, and memory inside the
// window's process for the common-control messages that carry pointers.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The text a control holds, asked of its own process: GetWindowText gives
// only the captions of another process's windows, not an edit's typed text.
inline std::wstring ContentOf(HWND w) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
  text[1023] = L'\0';
  return text;
}

// Each of `breaks` as "|", so that a text stays on its one output line.
inline std::wstring Flat(std::wstring text, std::wstring_view breaks = L"\r\n") {
  for (wchar_t& c : text) {
    if (breaks.find(c) != std::wstring_view::npos) c = L'|';
  }
  return text;
}

inline RECT RectOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

// The items of a combo box or a list box of another process: the system
// carries their texts across.
inline std::wstring ComboItem(HWND combo, int i) {
  wchar_t text[1024] = {};
  if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) < 1000) {
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
  }
  return text;
}

inline std::wstring ListItem(HWND list, int i) {
  wchar_t text[1024] = {};
  if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < 1000) {
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
  }
  return text;
}

// Waits until `done` holds, looking every `stepMs`; false after `limitMs`.
template <class Done>
bool WaitFor(DWORD limitMs, Done done, DWORD stepMs = 20) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= limitMs) return false;
    Sleep(stepMs);
  }
}

// The first shown top-level window of class `className` (nullptr: any) with
// the caption `caption` (empty: any) of the process `process` (0: any).
inline HWND FindShown(const wchar_t* className, const std::wstring& caption = {}, DWORD process = 0) {
  struct Search {
    const wchar_t* className;
    const std::wstring& caption;
    DWORD process;
    HWND found;
  } search{className, caption, process, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (!IsWindowVisible(w) || (s->className && ClassOf(w) != s->className) ||
            (!s->caption.empty() && TextOf(w) != s->caption) || (s->process && pid != s->process)) {
          return TRUE;
        }
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The pop-up menus shown now, of any process.
inline std::vector<HWND> ShownMenus() {
  std::vector<HWND> menus;
  for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
       w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
    if (IsWindowVisible(w)) menus.push_back(w);
  }
  return menus;
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
  RemoteBuffer(HWND window, size_t size) : size_(size) {
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
  LPARAM At(size_t offset) const { return Address() + static_cast<LPARAM>(offset); }
  void Write(const void* data, size_t size) { WriteProcessMemory(process_, address_, data, size, nullptr); }
  void Read(void* data, size_t size) const { ReadProcessMemory(process_, address_, data, size, nullptr); }
  void Zero() { Write(std::vector<char>(size_).data(), size_); }
  // At most `chars` - 1 characters from `offset`, up to their terminator.
  std::wstring ReadText(size_t offset, size_t chars) const {
    std::vector<wchar_t> text(chars, L'\0');
    ReadProcessMemory(process_, reinterpret_cast<const char*>(address_) + offset, text.data(),
                      (chars - 1) * sizeof(wchar_t), nullptr);
    return text.data();
  }

 private:
  size_t size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

// Sends `window` a message whose lParam points at a `Reply` (given `in`) and
// gives back what the window wrote there.
template <class Reply>
Reply Fetch(HWND window, UINT message, WPARAM wparam, RemoteBuffer& remote, const Reply& in = {}) {
  remote.Write(&in, sizeof in);
  SendMessageW(window, message, wparam, remote.Address());
  Reply out{};
  remote.Read(&out, sizeof out);
  return out;
}

// Where the text goes after an item of a message that asks for one.
inline constexpr size_t kRemoteTextAt = 512;
inline constexpr size_t kRemoteChars = 1000;
inline constexpr size_t kRemoteTextSize = kRemoteTextAt + kRemoteChars * sizeof(wchar_t);

// Sends `item`, whose text pointer `text` is made to point into the buffer
// behind it, and gives back the text the window wrote there. The buffer
// holds kRemoteTextSize bytes.
template <class Item>
std::wstring FetchText(HWND window, UINT message, WPARAM wparam, RemoteBuffer& remote, Item item,
                       wchar_t* Item::*text) {
  static_assert(sizeof(Item) <= kRemoteTextAt);
  item.*text = reinterpret_cast<wchar_t*>(remote.At(kRemoteTextAt));
  remote.Zero();
  remote.Write(&item, sizeof item);
  SendMessageW(window, message, wparam, remote.Address());
  return remote.ReadText(kRemoteTextAt, kRemoteChars);
}

// The tip `tips` gives the tool `id` of `owner`, as it would show it (the tip
// may ask the owner for it); nullopt when the tip does not know that tool.
inline std::optional<std::wstring> TipText(HWND tips, HWND owner, UINT_PTR id) {
  RemoteBuffer remote(tips, kRemoteTextSize);
  if (!remote.Ok()) return std::nullopt;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = owner;
  tool.uId = id;
  // The tip copies the tool's text to lpszText as it answers: it points into the buffer too.
  tool.lpszText = reinterpret_cast<wchar_t*>(remote.At(kRemoteTextAt));
  remote.Zero();
  remote.Write(&tool, sizeof tool);
  if (!SendMessageW(tips, TTM_GETTOOLINFOW, 0, remote.Address())) return std::nullopt;
  return FetchText(tips, TTM_GETTEXTW, kRemoteChars, remote, tool, &TTTOOLINFOW::lpszText);
}

// A simple status bar's one text (its part 0).
inline std::wstring StatusBarText(HWND bar) {
  RemoteBuffer remote(bar, kRemoteTextSize);
  if (!remote.Ok() || LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0)) >= kRemoteChars) return {};
  remote.Zero();
  SendMessageW(bar, SB_GETTEXTW, 0, remote.At(kRemoteTextAt));
  return remote.ReadText(kRemoteTextAt, kRemoteChars);
}

}  // namespace quiltor::outside
