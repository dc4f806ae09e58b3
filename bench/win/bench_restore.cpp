// How soon the user's clipboard is back after the target has read the
// written text: from the end of the target's read (the test editor notes the
// performance counter right after its paste) to the moment the tool has put
// the user's clipboard back, over 50 writes of a text item, with message
// sending and with keys. The key write's restore runs in the idle step, woken
// by the timer the tool sets while it waits, as in the running tool.
// Prints figures; asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "data/item_execution.h"
#include "delivery/delivery.h"
#include "exchange/exchange_area.h"
#include "fakes/fake_files.h"
#include "figures.h"
#include "platform/win32/platform.h"
#include "settings/settings.h"
#include "win/support/helper_process.h"
#include "data/pending_marker.h"

namespace {

using quiltor::Bytes;
using quiltor::WindowId;

constexpr char kDataPath[] = "C:\\Tool\\bench.edt";

class DataFileOnly : public quiltor::NoFiles {
 public:
  bool Exists(const Bytes& path) override { return path == kDataPath; }
  std::optional<Bytes> ReadAll(const Bytes& path) override {
    if (path != kDataPath) return std::nullopt;
    return Bytes("[Version]\r\nNo=170\r\n[Edit00]\r\nM00a=ITEM\r\n");
  }
};

class BenchHost : public quiltor::ItemHost {
 public:
  WindowId MainWindow() override { return quiltor::kNoWindow; }
  WindowId EditDummy() override { return quiltor::kNoWindow; }
  quiltor::Rect MainWindowRect() override { return {}; }
  int ModeIndex() override { return quiltor::kSimpleMode; }
  WindowId LinkedEditWindow() override { return quiltor::kNoWindow; }
  Bytes ExeFolder() override { return "C:\\Tool"; }
  Bytes CurrentDataFile() override { return "bench.edt"; }
  void StopWatchTimer() override {}
  void StartWatchTimer() override {}
  void EnableRepeat() override {}
  void ShowWarningNear(const Bytes&, quiltor::Point) override { ++problems; }
  void ShowDeliveryError(quiltor::DeliveryStatus) override { ++problems; }
  void HideMainWindow() override {}
  void ShowMainWindow() override {}
  void ProcessPendingMessages() override { quiltor::wintest::PumpPending(); }
  void WakeIdleAfter(std::uint32_t milliseconds) override { wakeMs = milliseconds; }
  std::uint32_t wakeMs = 0;
  int problems = 0;
};

void PutUserText() {
  for (int attempt = 0; attempt < 100 && !OpenClipboard(nullptr); ++attempt) Sleep(5);
  EmptyClipboard();
  const char text[] = "user text";
  if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof text)) {
    std::memcpy(GlobalLock(block), text, sizeof text);
    GlobalUnlock(block);
    if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
  }
  CloseClipboard();
}

long long Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

void Report(const char* kind, std::vector<double> samples, int failures) {
  const std::string name = std::string("restore.") + kind;
  quiltor::bench::Figure((name + "_failed").c_str(), failures, "writes", "0");
  if (samples.empty()) return;
  std::sort(samples.begin(), samples.end());
  quiltor::bench::Figure((name + "_median").c_str(), samples[samples.size() / 2], "ms", "<50");
  quiltor::bench::Figure((name + "_max").c_str(), samples.back(), "ms");
}

}  // namespace

int main() {
  quiltor::wintest::LatePasteEditor editor(0);
  if (!editor.Ready()) {
    std::printf("bench_restore: qtlatepaste did not start: %s\n", editor.Problem().c_str());
    return 1;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  auto ms = [&](long long from, long long to) {
    return 1000.0 * static_cast<double>(to - from) / static_cast<double>(frequency.QuadPart);
  };

  quiltor::Win32Platform platform;
  quiltor::DeliveryRoutines delivery(*platform.clipboard, *platform.windows, *platform.keyboard, *platform.processes);
  quiltor::ExchangeArea exchange(*platform.sharedMemory);
  DataFileOnly files;
  BenchHost host;
  quiltor::AppSettings settings;
  quiltor::PendingMarker state;
  quiltor::ItemExecutor executor(
      quiltor::ItemServices{files, *platform.clipboard, *platform.windows, *platform.processes, delivery, exchange},
      host, settings, state);
  const WindowId target = static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(editor.Edit()));
  executor.Simple().SetTarget(target);

  for (int kind : {quiltor::kPasteByMessages, quiltor::kPasteByKeys}) {
    settings.modeDelivery[quiltor::kSimpleMode].pasteKind = kind;
    settings.modeDelivery[quiltor::kSimpleMode].pasteInterval = kind == quiltor::kPasteByKeys ? 20 : 0;
    std::vector<double> samples;
    int failures = 0;
    for (int i = 0, writes = quiltor::bench::Count(50, 5); i < writes; ++i) {
      PutUserText();
      editor.Prepare("say hello now", 4, 9);
      host.problems = 0;
      executor.ChooseItem(quiltor::ItemName::Main(0, 0), -1);
      long long back = Now();
      // The message loop: idle steps, woken by the tool's own timer while it waits.
      for (int round = 0; round < 1000; ++round) {
        quiltor::wintest::PumpPending();
        const quiltor::IdleResult result = executor.IdleStep();
        if (kind == quiltor::kPasteByKeys) back = Now();
        if (result != quiltor::IdleResult::kWaitingForPaste) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, host.wakeMs ? host.wakeMs : 1, QS_ALLINPUT);
      }
      const long long read = editor.PastedAt();
      if (host.problems || editor.Text() != "say ITEM now" || read == 0) {
        ++failures;
        continue;
      }
      samples.push_back(ms(read, back));
    }
    Report(kind == quiltor::kPasteByKeys ? "keys" : "messages", samples, failures);
  }
  return 0;
}
