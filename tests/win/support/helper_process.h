#pragma once
// The test helper programs of tests/tools as processes of a Win32 test or
// benchmark: started from the build folder, found by their top window class,
// closed (and killed if need be) at the end. Header-only, so benchmarks can
// use it without the test support library.
#include <windows.h>

#include <string>
#include <utility>

#include "tools/test_window.h"

namespace quiltor::wintest {

// "Z:\..." for a path of the build machine, as Wine sees it.
inline std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

inline void PumpPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

class HelperProcess {
 public:
  // `program` is the file name in the build folder, `arguments` what follows it.
  HelperProcess(const std::string& program, const std::string& arguments, const char* topClass) {
    std::string commandLine = "\"" + WindowsPath(std::string(QUILTOR_BUILD_DIR) + "/" + program) + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info_)) {
      problem_ = "CreateProcess failed, error " + std::to_string(GetLastError());
      info_ = {};
      return;
    }
    WaitForInputIdle(info_.hProcess, 10000);
    const ULONGLONG end = GetTickCount64() + 15000;
    while (!top_ && GetTickCount64() < end) {
      struct Find {
        DWORD process;
        const char* className;
        HWND found;
      } find{info_.dwProcessId, topClass, nullptr};
      EnumWindows(
          [](HWND window, LPARAM context) -> BOOL {
            auto* f = reinterpret_cast<Find*>(context);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            char name[128] = {};
            GetClassNameA(window, name, sizeof name);
            if (process != f->process || std::string(name) != f->className) return TRUE;
            f->found = window;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&find));
      top_ = find.found;
      if (!top_) Sleep(50);
    }
    DWORD exitCode = 0;
    if (!top_ && GetExitCodeProcess(info_.hProcess, &exitCode))
      problem_ = "no window; process exit code " + std::to_string(exitCode);
  }
  ~HelperProcess() {
    if (top_ && IsWindow(top_)) PostMessageA(top_, WM_CLOSE, 0, 0);
    if (info_.hProcess) {
      if (WaitForSingleObject(info_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(info_.hProcess, 1);
      CloseHandle(info_.hProcess);
      CloseHandle(info_.hThread);
    }
  }
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  HWND Top() const { return top_; }
  const std::string& Problem() const { return problem_; }
  std::string Title() const {
    char title[256] = {};
    GetWindowTextA(top_, title, sizeof title);
    return title;
  }

 private:
  PROCESS_INFORMATION info_ = {};
  HWND top_ = nullptr;
  std::string problem_;
};

// qtlatepaste: an editor that handles its paste keys (and, when asked, its
// cut keys) late, and stops answering on request.
class LatePasteEditor : public HelperProcess {
 public:
  // `control`: "edit", "rich" (a rich edit control) or "own" (an edit
  // control under a class of its own, which the tool does not ask).
  explicit LatePasteEditor(unsigned pasteDelayMs = 300, unsigned cutDelayMs = 0, const char* control = "edit")
      : HelperProcess("qtlatepaste.exe",
                      std::to_string(pasteDelayMs) + " " + std::to_string(cutDelayMs) + " " + control,
                      "QtLatePaste") {
    // The top window can be seen while it is still making its edit control.
    const ULONGLONG end = GetTickCount64() + 5000;
    while (Top() && !edit_ && GetTickCount64() < end) {
      edit_ = GetWindow(Top(), GW_CHILD);
      if (!edit_) Sleep(10);
    }
    // Synthesised keys go to the foreground window: wait until it is ours.
    while (Top() && GetForegroundWindow() != Top() && GetTickCount64() < end) {
      SetForegroundWindow(Top());
      PumpPending();
      Sleep(10);
    }
  }
  bool Ready() const { return edit_ != nullptr; }
  HWND Edit() const { return edit_; }
  void Prepare(const std::string& text, int start, int end) {
    SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(edit_, EM_SETSEL, start, end);
  }
  std::string Text() const {
    char text[1024] = {};
    SendMessageA(edit_, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
  }
  // The selection's start and end as the control counts them.
  std::pair<unsigned, unsigned> Selection() const {
    const DWORD selection = static_cast<DWORD>(SendMessageA(edit_, EM_GETSEL, 0, 0));
    return {LOWORD(selection), HIWORD(selection)};
  }
  // Polls until the text is `expected` or `milliseconds` pass; the last text read.
  std::string WaitForText(const std::string& expected, DWORD milliseconds) const {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    std::string text = Text();
    while (text != expected && GetTickCount64() < end) {
      PumpPending();
      Sleep(20);
      text = Text();
    }
    return text;
  }
  // The editor's thread stops handling messages for `milliseconds`; on
  // return it has begun to (it answers this message first).
  bool StopAnswering(unsigned milliseconds) { return testwin::SendStopAnswering(Top(), milliseconds); }
  // The performance counter at the end of the last paste's read; 0 when none.
  long long PastedAt() const {
    const std::string title = Title();
    const std::size_t at = title.rfind(" at ");
    return at == std::string::npos ? 0 : std::stoll(title.substr(at + 4));
  }

 private:
  HWND edit_ = nullptr;
};

// qtclipmonitor: reads the text of every clipboard update.
class ClipboardMonitor : public HelperProcess {
 public:
  ClipboardMonitor() : HelperProcess("qtclipmonitor.exe", "", "QtClipMonitor") {}
  bool Ready() const { return Top() != nullptr; }
  int Reads() const {
    const std::string title = Title();
    return title.rfind("reads ", 0) == 0 ? std::stoi(title.substr(6)) : -1;
  }
};

}  // namespace quiltor::wintest
