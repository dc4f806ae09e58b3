#include "notepad.h"

#include <cstring>

namespace quiltor::wintest {
namespace {

struct FindTop {
  DWORD process;
  const char* className;
  HWND found;
};

BOOL CALLBACK FindTopProc(HWND window, LPARAM context) {
  auto* find = reinterpret_cast<FindTop*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != find->process) return TRUE;
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, find->className) != 0) return TRUE;
  find->found = window;
  return FALSE;
}

// Opens the clipboard, retrying while another program holds it.
class OpenedClipboard {
 public:
  OpenedClipboard() {
    for (int i = 0; i < 100 && !open_; ++i) {
      open_ = OpenClipboard(nullptr) != FALSE;
      if (!open_) Sleep(10);
    }
  }
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

}  // namespace

HWND FindTopWindowOf(DWORD process, const char* topClass, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  do {
    FindTop find{process, topClass, nullptr};
    EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&find));
    if (find.found) return find.found;
    Sleep(50);
  } while (GetTickCount64() < end);
  return nullptr;
}

HWND FindChildOfClass(HWND parent, const char* className) {
  return FindWindowExA(parent, nullptr, className, nullptr);
}

Notepad::Notepad() {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  char commandLine[] = "notepad.exe";
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_)) {
    info_ = {};
    return;
  }
  WaitForInputIdle(info_.hProcess, 10000);
  top_ = FindTopWindowOf(info_.dwProcessId, "Notepad", 15000);
  if (top_) edit_ = FindChildOfClass(top_, "Edit");
}

Notepad::~Notepad() {
  if (top_ && IsWindow(top_)) {
    MarkSaved();
    PostMessageA(top_, WM_CLOSE, 0, 0);
  }
  if (info_.hProcess) {
    if (WaitForSingleObject(info_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
}

void Notepad::SetText(const std::string& text) {
  SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string Notepad::Text() const {
  const LRESULT length = SendMessageA(edit_, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length) * 2 + 2, '\0');
  const LRESULT copied = SendMessageA(edit_, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::strlen(text.c_str()));
  (void)copied;
  return text;
}

void Notepad::Select(int start, int end) { SendMessageA(edit_, EM_SETSEL, start, end); }

void Notepad::MarkSaved() {
  SendMessageA(edit_, EM_SETMODIFY, FALSE, 0);
  SendMessageA(edit_, EM_EMPTYUNDOBUFFER, 0, 0);
}

bool PutClipboard(const std::vector<RawFormat>& formats) {
  OpenedClipboard clipboard;
  if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
  for (const RawFormat& format : formats) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, format.data.size());
    if (!block) return false;
    std::memcpy(GlobalLock(block), format.data.data(), format.data.size());
    GlobalUnlock(block);
    if (!SetClipboardData(format.id, block)) {
      GlobalFree(block);
      return false;
    }
  }
  return true;
}

std::vector<UINT> ClipboardFormats() {
  OpenedClipboard clipboard;
  std::vector<UINT> formats;
  if (!clipboard.IsOpen()) return formats;
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) formats.push_back(format);
  return formats;
}

std::string ClipboardData(UINT format) {
  OpenedClipboard clipboard;
  if (!clipboard.IsOpen()) return {};
  HANDLE handle = GetClipboardData(format);
  if (!handle) return {};
  const SIZE_T size = GlobalSize(handle);
  const char* data = static_cast<const char*>(GlobalLock(handle));
  if (!data) return {};
  std::string bytes(data, size);
  GlobalUnlock(handle);
  return bytes;
}

std::string ClipboardText() {
  const std::string data = ClipboardData(CF_TEXT);
  return std::string(data.c_str());
}

std::string MakeDib(int width, int height) {
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  header.biSizeImage = static_cast<DWORD>(stride * height);
  std::string dib(reinterpret_cast<const char*>(&header), sizeof header);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < stride; ++x) dib += static_cast<char>((x * 7 + y * 13) & 0xFF);
  return dib;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace quiltor::wintest
