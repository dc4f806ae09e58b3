#pragma once
// What the small window programs among the test tools share (the test
// editors, the clipboard monitor, the stand-ins the tool starts): a window
// class and its message loop, a top window whose edit control fills it, the
// command line in UTF-16, output lines, files written in one piece.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/text_codec.h"
#include "tools/outside.h"

namespace quiltor::testwin {

// Sent to an editor (wparam = milliseconds): it stops handling messages for
// that long, as a hung program does. The sender is answered first, so once
// its SendMessage returns, the editor hangs: no wait is needed to be sure.
inline constexpr UINT kStopAnswering = WM_APP + 1;

inline void StopAnswering(HWND top, DWORD milliseconds, const std::wstring& during, const std::wstring& after) {
  SetWindowTextW(top, during.c_str());
  ReplyMessage(0);
  Sleep(milliseconds);
  SetWindowTextW(top, after.c_str());
}

// Sends kStopAnswering; true once the editor has begun to hang.
inline bool SendStopAnswering(HWND top, DWORD milliseconds) {
  return SendMessageTimeoutW(top, kStopAnswering, milliseconds, 0, SMTO_NORMAL, 5000, nullptr) != 0;
}

// The command line split as Windows splits it, in UTF-16, so no text is lost
// to a code page on the way in.
class Arguments {
 public:
  Arguments() {
    int count = 0;
    if (LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count)) {
      words_.assign(list, list + count);
      LocalFree(list);
    }
  }
  int Count() const { return static_cast<int>(words_.size()); }
  // Empty past the last word, as Number gives the fallback there.
  const std::wstring& operator[](int i) const { return i >= 0 && i < Count() ? words_[i] : none_; }
  bool Is(int i, std::wstring_view word) const { return i < Count() && words_[i] == word; }
  bool IsAnyOf(int i, std::initializer_list<std::wstring_view> words) const {
    for (std::wstring_view word : words)
      if (Is(i, word)) return true;
    return false;
  }
  long Number(int i, long fallback) const {
    return i < Count() ? std::wcstol(words_[i].c_str(), nullptr, 10) : fallback;
  }

 private:
  std::vector<std::wstring> words_;
  std::wstring none_;
};

// "\n" in a text given on a command line stands for CR LF.
inline std::wstring Unescape(std::wstring text) {
  for (std::size_t at = 0; (at = text.find(L"\\n", at)) != std::wstring::npos; at += 2) text.replace(at, 2, L"\r\n");
  return text;
}

inline unsigned long long HandleNumber(HWND w) { return reinterpret_cast<UINT_PTR>(w); }

// Standard output as bytes: a text's own CR LF must not become CR CR LF.
inline void BinaryOutput() { _setmode(_fileno(stdout), _O_BINARY); }

// "<label> [<bytes>]\n", the bytes as they are, line ends and all.
inline void PrintBracketed(const char* label, std::string_view bytes) {
  std::printf("%s [", label);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::printf("]\n");
}

// A window's whole text. With `timeoutMs`, a window that does not answer in
// that time (or hangs) gives what was read so far, not a wait.
inline std::wstring WindowText(HWND window, UINT timeoutMs = 0) {
  const auto send = [&](UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
    if (timeoutMs == 0) return SendMessageW(window, message, wparam, lparam);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, timeoutMs, &result) ? result : 0;
  };
  std::wstring text(static_cast<std::size_t>(send(WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  const LRESULT got = send(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

// The first top window `match` accepts.
inline HWND FindTopWindow(const std::function<bool(HWND)>& match) {
  struct Search {
    const std::function<bool(HWND)>* match;
    HWND found;
  } search{&match, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        if (!(*s->match)(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// This program's own path, and its folder with the trailing backslash.
inline std::wstring SelfPath() {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  return length < MAX_PATH ? std::wstring(self, length) : std::wstring();
}
inline std::wstring SelfFolder() {
  const std::wstring self = SelfPath();
  return self.substr(0, self.find_last_of(L"\\/") + 1);
}

// The bytes written in one piece: appended (shared with other writers, so
// several programs can note into one log) or as the file's new content.
enum class Write { kAppend, kReplace };
inline bool WriteToFile(const std::wstring& path, std::string_view bytes, Write how = Write::kAppend) {
  const bool append = how == Write::kAppend;
  FileHandle file(CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                              append ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// Waits until the test makes the file `path`; false after `limitMs`.
inline bool WaitForFile(const std::wstring& path, DWORD limitMs = 120000) {
  for (DWORD waited = 0; GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 50) {
    if (waited > limitMs) return false;
    Sleep(50);
  }
  return true;
}

// Registers a window class of this program once; true when it is there.
inline bool RegisterWindowClass(const wchar_t* name, WNDPROC proc, HBRUSH background = nullptr) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(instance, name, &windowClass)) return true;
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  return RegisterClassExW(&windowClass) != 0;
}

inline int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

// A top window holding one multi-line edit control that fills it and keeps
// the focus. A test editor derives from it for what it does besides: its own
// messages of the top window and, when it asks, of the edit control first.
class EditorWindow {
 public:
  struct Look {
    const wchar_t* topClass = nullptr;
    std::wstring title;
    RECT place{};  // left, top, width, height
    const wchar_t* editClass = L"Edit";
    bool inPane = false;        // the edit control two levels down, in a "Static" pane
    bool editMessages = false;  // EditMessage sees the control's messages
  };

  explicit EditorWindow(Look look) : look_(std::move(look)) {}
  virtual ~EditorWindow() = default;
  EditorWindow(const EditorWindow&) = delete;  // the window holds a pointer to it
  EditorWindow& operator=(const EditorWindow&) = delete;

  // Makes the window, shown; false when it could not be made.
  bool Open() {
    if (!RegisterWindowClass(look_.topClass, &TopProc, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) return false;
    const RECT& p = look_.place;
    return CreateWindowExW(0, look_.topClass, look_.title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, p.left, p.top,
                           p.right, p.bottom, nullptr, nullptr, GetModuleHandleW(nullptr), this) != nullptr;
  }
  HWND Top() const { return top_; }
  HWND Edit() const { return edit_; }

 protected:
  // True when handled, with the message's result in `result`.
  virtual bool TopMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
  virtual bool EditMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
  // After the edit control is there; false fails the window's creation.
  virtual bool Created() { return true; }
  virtual void Destroyed() { PostQuitMessage(0); }
  // The edit control's own handling of a message.
  LRESULT EditDefault(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefSubclassProc(edit_, message, wparam, lparam);
  }

 private:
  static constexpr UINT_PTR kSubclassId = 1;

  static LRESULT CALLBACK TopProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<EditorWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
      self->top_ = window;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<EditorWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->OnTopMessage(message, wparam, lparam) : DefWindowProcW(window, message, wparam, lparam);
  }

  static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                   DWORD_PTR context) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &EditProc, kSubclassId);
    LRESULT result = 0;
    if (reinterpret_cast<EditorWindow*>(context)->EditMessage(message, wparam, lparam, result)) return result;
    return DefSubclassProc(window, message, wparam, lparam);
  }

  bool MakeEdit() {
    RECT client{};
    GetClientRect(top_, &client);
    HWND parent = top_;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (look_.inPane) {
      pane_ = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom, top_,
                              nullptr, instance, nullptr);
      if (!pane_) return false;
      parent = pane_;
    }
    edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, look_.editClass, L"",
                            WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, client.right, client.bottom,
                            parent, nullptr, instance, nullptr);
    if (!edit_) return false;
    return !look_.editMessages || SetWindowSubclass(edit_, &EditProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }

  LRESULT OnTopMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_CREATE:
        return MakeEdit() && Created() ? 0 : -1;
      case WM_SIZE:
        if (pane_) MoveWindow(pane_, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
        MoveWindow(edit_, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
        return 0;
      case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_INACTIVE) return 0;
        [[fallthrough]];
      case WM_SETFOCUS:
        SetFocus(edit_);
        return 0;
      case WM_DESTROY:
        Destroyed();
        return 0;
      default: {
        LRESULT result = 0;
        if (TopMessage(message, wparam, lparam, result)) return result;
        return DefWindowProcW(top_, message, wparam, lparam);
      }
    }
  }

  Look look_;
  HWND top_ = nullptr;
  HWND pane_ = nullptr;
  HWND edit_ = nullptr;
};

}  // namespace quiltor::testwin
