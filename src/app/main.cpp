// Entry point and composition root: the one-shot switches, forwarding to a
// running instance, or the running instance itself. What lives as long as the
// process is created and owned here: the single-instance lock, the exchange
// area with its transfer buffers, the hot-key registration, the main
// controller and its window.
#include <windows.h>

#include "app/instance.h"
#include "exchange/command_line.h"
#include "exchange/exchange_area.h"
#include "exchange/hot_keys.h"
#include "platform/win32/own_start.h"
#include "platform/win32/platform.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "settings/settings_place.h"
#include "settings/setup_confirm.h"
#include "settings/unicode_files.h"
#include "text/cp932.h"
#include "ui/main/main_window.h"
#include "ui/message_box.h"
#include "ui/messages.h"
#include "window/main_controller.h"

using namespace quiltor;

namespace {

// The file the start writes and removes to learn whether the program's folder takes a write.
constexpr char kProbeName[] = "Quiltor.probe";

// Runs the tool while `mutex` is held; returns the exit code.
int RunInstance(const std::vector<Bytes>& arguments, KernelHandle mutex) {
  std::wstring refused;
  const std::optional<Bytes> programFolder = OwnProgramFolder(refused);
  if (!programFolder) {
    ShowErrorBox(nullptr, refused.empty() ? L"プログラムのフォルダが分かりません" : UnrepresentableText(refused));
    return 1;
  }
  Win32Platform platform;
  RunningInstance instance(std::move(mutex), *platform.sharedMemory);
  ExchangeArea& exchange = instance.Exchange();
  const Bytes exeFolder = *programFolder;
  int exitCode = 0;
  try {
    // Every file the tool reads or writes may have been saved as "Unicode".
    UnicodeAwareFiles files(*platform.files, *platform.codec);
    // Beside the program when Windows lets the tool write there, else in the user's folder.
    const ToolFolders folders = ChooseToolFolders(files, exeFolder, UserDataFolder(kUserFolderName), kProbeName);
    IniFile ini(files, JoinPath(folders.settings, kSettingsFileName));
    LoadedSettings loaded = LoadSettings(ini);
    if (!loaded.written) ShowErrorBox(nullptr, MessageText(MessageId::kCannotWrite, ini.Path()));
    const AppSettings& settings = loaded.settings;
    // The block first: a module started from now on finds the line end and
    // the buffer sizes in it.
    if (!exchange.CreateExchangeBlock()) {
      ShowErrorBox(nullptr, L"共有メモリを作成できません");
      return 1;
    }
    exchange.StoreLineEnd(settings.lineEnd);
    exchange.StoreBufferSizes(ClampBufferSize(settings.bufSize1), ClampBufferSize(settings.bufSize2));
    if (!exchange.CreateTransferBuffers()) {
      ShowErrorBox(nullptr, L"共有メモリを作成できません");
      return 1;
    }
    HotKeyRegistration hotKeys(*platform.hotKeys);
    MainServices services{files, *platform.clipboard, *platform.windows, *platform.keyboard,
                          *platform.processes, exchange, hotKeys, *platform.monitors,
                          platform.integrity.get()};
    MainController controller(services, std::move(loaded.settings), folders);
    TFormMain form(controller);
    if (form.Create(arguments)) {
      const WindowId window = static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(form.Handle()));
      exchange.PublishMainWindow(window);
      controller.RegisterHotKeys();
      RunMessageLoop(form);
    } else {
      ShowErrorBox(nullptr, L"ウィンドウを作成できません");
      exitCode = 1;
    }
  } catch (const std::exception& error) {
    ShowErrorBox(nullptr, FromAnsi(error.what()));
  }
  return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The window thread stays in one apartment for the process's life, so that
  // each shell start does not set COM up and tear it down again.
  const ComApartment apartment;
  std::wstring refused;
  const std::optional<Bytes> argumentsText = OwnArgumentsText(refused);
  if (!argumentsText) {
    ShowErrorBox(nullptr, UnrepresentableText(refused));
    return 1;
  }
  const std::vector<Bytes> arguments = SplitCommandLine(*argumentsText);
  if (auto code = RunOneShotSwitch(arguments)) return *code;
  if (auto code = ForwardToRunningInstance(arguments)) return *code;
  std::optional<KernelHandle> mutex = CreateInstanceMutex();
  if (!mutex) {
    // Another start won the race for the lock: forward to it instead.
    return ForwardToRunningInstance(arguments).value_or(1);
  }
  return RunInstance(arguments, std::move(*mutex));
}
