#include "platform/win32/processes.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/text_codec.h"

namespace quiltor {
namespace {

class Win32Process : public Process {
 public:
  Win32Process(HANDLE handle, DWORD id) : handle_(handle), id_(id) {}
  std::uint32_t Id() const override { return id_; }
  bool Wait(std::uint32_t milliseconds) override {
    return WaitForSingleObject(handle_.Get(), milliseconds) == WAIT_OBJECT_0;
  }

 private:
  KernelHandle handle_;
  DWORD id_;
};

// A program the tool starts may need to come to the front: a module's
// window, or an editor the shell starts through another process. The tool
// passes on its right to set the foreground window, to any process before
// the start and to the started process by its id after it; Windows keeps
// such a right only until the next input. Once the program has ended the
// tool takes the foreground back itself (SetForeground joins the foreground
// thread when refused), and what Windows still refuses is caught before any
// key is sent.
void ShareForegroundRight() { AllowSetForegroundWindow(ASFW_ANY); }
void ShareForegroundRightWith(DWORD process) {
  if (process) AllowSetForegroundWindow(process);
}

}  // namespace

std::unique_ptr<Process> Win32Processes::Start(const Bytes& commandLine) {
  // Bytes that are no characters of code page 932 are refused, never started
  // as another program. CreateProcess may write into the command line, so it
  // gets its own copy.
  const std::optional<std::wstring> wide = FromAnsiExact(commandLine);
  if (!wide) return nullptr;
  std::vector<wchar_t> writable(wide->begin(), wide->end());
  writable.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION info = {};
  ShareForegroundRight();
  if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &startup, &info)) {
    return nullptr;
  }
  const KernelHandle thread(info.hThread);  // never waited on: closed with this scope
  ShareForegroundRightWith(info.dwProcessId);
  return std::make_unique<Win32Process>(info.hProcess, info.dwProcessId);
}

Processes::ShellResult Win32Processes::ShellOpen(const Bytes& file, const Bytes& parameters, ShellStart how) {
  ShellResult result;
  const std::optional<std::wstring> wideFile = FromAnsiExact(file);
  const std::optional<std::wstring> wideParameters = FromAnsiExact(parameters);
  if (!wideFile || !wideParameters) return result;
  const ComApartment apartment;
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  // The shell may finish a start on another thread after the call returns;
  // a process that ends right after must wait for it.
  if (how == ShellStart::kReturnsAtOnce) info.fMask |= SEE_MASK_NOASYNC;
  // No verb: the file type's default action, which need not be "open".
  info.lpVerb = nullptr;
  info.lpFile = wideFile->c_str();
  info.lpParameters = wideParameters->empty() ? nullptr : wideParameters->c_str();
  info.nShow = SW_SHOWDEFAULT;
  ShareForegroundRight();
  if (!ShellExecuteExW(&info)) return result;
  result.started = true;
  if (info.hProcess) {
    const DWORD id = GetProcessId(info.hProcess);
    ShareForegroundRightWith(id);
    result.process = std::make_unique<Win32Process>(info.hProcess, id);
  }
  return result;
}

// A plain Sleep: its timing is exact, where a wait that also answers sent
// messages overshoots by milliseconds under load. Nothing the delivery waits
// for needs this thread meanwhile (the on-demand clipboard text is rendered
// on a thread of its own).
void Win32Processes::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

void Win32Processes::WaitForMessages(std::uint32_t milliseconds) {
  // MWMO_INPUTAVAILABLE: a message already in the queue ends the wait too,
  // not only one that came after the last look.
  MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

std::uint64_t Win32Processes::NowMilliseconds() { return GetTickCount64(); }

}  // namespace quiltor
