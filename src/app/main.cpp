// Entry point: one-shot switches, forwarding to a running instance, or the
// running instance itself with its main window and message loop.
#include <windows.h>

#include "app/instance.h"
#include "exchange/command_line.h"
#include "exchange/exchange_area.h"
#include "exchange/hot_keys.h"
#include "platform/win32/platform.h"
#include "settings/settings.h"
#include "ui/main_window.h"
#include "ui/message_box.h"

using namespace quiltor;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::vector<Bytes> arguments = ArgumentsOf(GetCommandLineA());
  if (auto code = RunOneShotSwitch(arguments)) return *code;
  if (auto code = ForwardToRunningInstance(arguments)) return *code;
  auto mutex = InstanceMutex::Create();
  if (!mutex) {
    // Another start won the race for the lock: forward to it instead.
    return ForwardToRunningInstance(arguments).value_or(1);
  }

  Win32Platform platform;
  ExchangeArea exchange(*platform.sharedMemory);
  int exitCode = 0;
  try {
    TFormMain form;
    MainWindowContext context{platform, exchange, arguments};
    if (form.Create(context)) {
      exchange.PublishMainWindow(reinterpret_cast<WindowId>(form.Handle()));
      const HotKeyConfig hotKeys = HotKeyConfigFrom(form.Settings());
      RegisterHotKeys(*platform.hotKeys, reinterpret_cast<WindowId>(form.Handle()), hotKeys,
                      [&](HotKeyFailure failure) {
                        form.ShowMessageNear(failure == HotKeyFailure::Repeat
                                                 ? std::wstring(L"再編集ホットキーの登録に失敗しました")
                                                 : std::wstring(L"アクティブホットキーの登録に失敗しました"),
                                             MB_OK | MB_ICONERROR, 10, 38);
                      });
      RunMessageLoop(form);
    } else {
      exitCode = 1;
    }
  } catch (const std::exception& error) {
    ShowErrorBox(nullptr, FromAnsi(error.what()));
  }
  exchange.Release();
  return exitCode;
}
