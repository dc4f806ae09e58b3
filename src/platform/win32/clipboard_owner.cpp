#include "platform/win32/clipboard_owner.h"

#include "platform/win32/clipboard_data.h"

namespace quiltor {
namespace {

constexpr DWORD kJapaneseLocale = 0x0411;
constexpr wchar_t kOwnerClassName[] = L"QuiltorClipboardOwner";

struct Start {
  ClipboardOwner* self;
  HANDLE ready;
};

}  // namespace

void ClipboardOwner::Hold(const Bytes& text, const std::wstring& wide, DWORD reader, bool held) {
  std::lock_guard<std::mutex> guard(lock_);
  text_ = text;
  wide_ = wide;
  reader_ = reader;
  held_ = held;
}

void ClipboardOwner::SetHeld(bool held) {
  std::lock_guard<std::mutex> guard(lock_);
  held_ = held;
}

void ClipboardOwner::NoteOwnContent() {
  owned_ = true;
  SetHeld(false);
}

// Runs on the owner's thread. The clipboard is open by the reader when
// WM_RENDERFORMAT comes, so the data goes in without opening it.
bool ClipboardOwner::Render(UINT format) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!held_) return false;
  switch (format) {
    case CF_TEXT: return PutClipboardBytes(CF_TEXT, text_.c_str(), text_.size() + 1);
    case CF_UNICODETEXT: return PutClipboardBytes(CF_UNICODETEXT, wide_.c_str(), (wide_.size() + 1) * sizeof(wchar_t));
    case CF_LOCALE: return PutClipboardBytes(CF_LOCALE, &kJapaneseLocale, sizeof kJapaneseLocale);
    default: return false;
  }
}

// Who asked: the process of the window that opened the clipboard. A reader
// that opened it without a window cannot be told from a monitor.
void ClipboardOwner::NoteReader() {
  DWORD process = 0;
  if (HWND opener = GetOpenClipboardWindow()) GetWindowThreadProcessId(opener, &process);
  DWORD expected = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    expected = reader_;
  }
  if (process != 0 && process == expected) {
    read_ = static_cast<int>(PasteRead::kByReader);
  } else if (read_ != static_cast<int>(PasteRead::kByReader)) {
    read_ = static_cast<int>(PasteRead::kByOther);
  }
}

LRESULT CALLBACK ClipboardOwner::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<ClipboardOwner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_RENDERFORMAT: {
      const UINT format = static_cast<UINT>(wparam);
      if (self->Render(format) && format != CF_LOCALE) self->NoteReader();
      return 0;
    }
    case WM_RENDERALLFORMATS: {
      // The window goes away while it still owns the clipboard: leave the
      // text there for good, as an ordinary copy would.
      ClipboardSession session(window);
      if (session.IsOpen() && GetClipboardOwner() == window)
        for (UINT format : {CF_UNICODETEXT, CF_TEXT, CF_LOCALE}) self->Render(format);
      self->SetHeld(false);
      return 0;
    }
    case WM_DESTROYCLIPBOARD:
      self->owned_ = false;
      self->SetHeld(false);
      return 0;
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

DWORD WINAPI ClipboardOwner::ThreadMain(LPVOID parameter) {
  auto* start = static_cast<Start*>(parameter);
  ClipboardOwner* self = start->self;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Proc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kOwnerClassName;
  HWND window = nullptr;
  if (RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
    window = CreateWindowExW(0, kOwnerClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
  }
  if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  self->window_ = window;
  SetEvent(start->ready);  // `start` is gone after this
  if (!window) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

bool ClipboardOwner::Ensure() {
  if (window_) return true;
  if (thread_) return false;  // it was tried and failed
  const KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ready) return false;
  Start start{this, ready.Get()};
  thread_.Reset(CreateThread(nullptr, 0, &ThreadMain, &start, 0, nullptr));
  if (thread_) WaitForSingleObject(ready.Get(), INFINITE);
  return window_ != nullptr;
}

ClipboardOwner::~ClipboardOwner() {
  if (!thread_) return;
  if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  WaitForSingleObject(thread_.Get(), 5000);
}

}  // namespace quiltor
