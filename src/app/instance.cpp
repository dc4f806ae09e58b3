#include "app/instance.h"

#include <windows.h>

#include "delivery/launch.h"
#include "exchange/command_line.h"
#include "exchange/exchange_area.h"
#include "exchange/second_start.h"
#include "platform/win32/handles.h"
#include "platform/win32/platform.h"
#include "platform/win32/text_codec.h"
#include "ui/message_box.h"

namespace quiltor {
namespace {

bool StartsWith(const Bytes& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// A forwarded command line may make the running instance load a data file;
// give it time, but never hang for ever on an instance that stopped answering.
constexpr UINT kForwardTimeoutMs = 60000;

constexpr wchar_t kInstanceOutOfReach[] =
    L"起動中の Quiltor に接続できません\n(管理者として実行中の可能性があります)";

}  // namespace

std::optional<int> RunOneShotSwitch(const std::vector<Bytes>& arguments) {
  if (arguments.empty()) return std::nullopt;
  const bool open = StartsWith(arguments[0], "/X");
  const bool program = StartsWith(arguments[0], "/P");
  if (!open && !program) return std::nullopt;
  Win32Platform platform;
  Launcher launcher(*platform.processes, *platform.windows, *platform.files);
  // The process ends right after the call: the shell must finish its work first.
  if (open) return launcher.OpenWithAssociation(arguments[0].substr(2), true) ? 1 : 0;
  launcher.StartProcessAndFindWindow(BuildProgramCommandLine(arguments), false, "", "", nullptr);
  return 0;
}

std::optional<int> ForwardToRunningInstance(const std::vector<Bytes>& arguments) {
  FirstInstanceFacts facts;
  // Only its existence matters: asking for more would be refused where less is not.
  KernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, FromAnsi(kInstanceMutexName).c_str()));
  if (mutex) {
    facts.lock = LockState::kOpened;
  } else if (GetLastError() == ERROR_ACCESS_DENIED) {
    facts.lock = LockState::kRefused;
  }
  Win32SharedMemory memory;
  const WindowId published = facts.lock == LockState::kOpened ? ReadPublishedMainWindow(memory) : kNoWindow;
  HWND target = reinterpret_cast<HWND>(published);
  facts.windowPublished = published != kNoWindow && IsWindow(target);
  if (facts.windowPublished) {
    Bytes text = BuildForwardText(arguments);
    COPYDATASTRUCT data{};
    data.dwData = static_cast<ULONG_PTR>(kForwardMarker);
    data.cbData = static_cast<DWORD>(text.size() + 1);
    data.lpData = text.data();  // std::string keeps a zero byte after the text
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    if (!SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             kForwardTimeoutMs, &result)) {
      facts.handOver = GetLastError() == ERROR_ACCESS_DENIED ? SendStatus::kRefused : SendStatus::kNoAnswer;
    }
  }
  switch (JudgeSecondStart(facts)) {
    case SecondStartOutcome::kRunHere: return std::nullopt;
    case SecondStartOutcome::kCannotReach: ShowErrorBox(nullptr, kInstanceOutOfReach); return 1;
    case SecondStartOutcome::kHandedOver:
    case SecondStartOutcome::kStillStarting: return 1;
  }
  return 1;
}

std::optional<KernelHandle> CreateInstanceMutex() {
  KernelHandle handle(CreateMutexW(nullptr, FALSE, FromAnsi(kInstanceMutexName).c_str()));
  if (!handle) return std::nullopt;
  // Two starts at the same moment: only the one that really created it runs.
  if (GetLastError() == ERROR_ALREADY_EXISTS) return std::nullopt;
  return handle;
}

}  // namespace quiltor
