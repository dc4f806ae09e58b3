// The item search in the whole tool window under Wine: the real window and
// controller run in this process over a data file of 1 page x 100 rows and of
// 100 x 100; queries are typed one key at a time as key messages into the
// window's own loop (letters as key presses it translates, kana as the
// characters the IME hands over), and each keystroke is timed from the key
// posted to the list drawn (the list paints before the query box's change
// notification returns). p50 and p99 per size; the goal is 16 ms a keystroke.
// Prints figures, asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/item_search.h"
#include "data/pages.h"
#include "exchange/exchange_area.h"
#include "exchange/hot_keys.h"
#include "platform/win32/files.h"
#include "platform/win32/platform.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "settings/settings_place.h"
#include "tools/outside.h"
#include "ui/main/main_window.h"
#include "win/bench_search_corpus.h"
#include "figures.h"
#include "window/main_controller.h"

namespace {

namespace fs = std::filesystem;
using namespace quiltor;
using quiltor::outside::NowMs;

double Percentile(std::vector<double> samples, double p) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const auto at = static_cast<std::size_t>(p * static_cast<double>(samples.size() - 1) + 0.5);
  return samples[std::min(at, samples.size() - 1)];
}

bool WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// Handles every pending message the way the tool's loop does.
void Pump(TFormMain& form) {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    if (form.PreTranslateKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void PostKey(HWND window, wchar_t c) {
  if (c >= 0x80) {
    PostMessageW(window, WM_CHAR, c, 1);
    return;
  }
  const auto vk = static_cast<UINT>(LOBYTE(VkKeyScanW(c)));
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
  PostMessageW(window, WM_KEYDOWN, vk, scan | 1);
}

// The load's own cost of the index: the same file read and built with and without it.
void MeasureLoad(int pages, int rows, int repetitions) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const fs::path file = fs::path(temp) / ("quiltor-bench-load-" + std::to_string(GetCurrentProcessId()) + ".edt");
  WriteBytes(file, bench::SearchDataFile(pages, rows));
  Win32FileSystem files;
  std::vector<double> plain;
  std::vector<double> indexed;
  for (int i = 0; i < repetitions; ++i) {
    double t0 = NowMs();
    DataPagesResult pagesOnly = LoadDataPagesFromFile(files, file.string());
    plain.push_back(NowMs() - t0);
    t0 = NowMs();
    LoadedDataFile both = LoadDataFileWithIndex(files, file.string());
    indexed.push_back(NowMs() - t0);
  }
  const std::string name = "search.load_" + std::to_string(pages * rows) + "_rows.";
  bench::Figure((name + "pages_p50").c_str(), Percentile(plain, 0.5), "ms");
  bench::Figure((name + "pages_and_index_p50").c_str(), Percentile(indexed, 0.5), "ms");
  std::error_code ignored;
  fs::remove(file, ignored);
}

void Measure(int pages, int rows, int repetitions) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const fs::path folder = fs::path(temp) / ("quiltor-bench-search-" + std::to_string(GetCurrentProcessId()) + "-" +
                                            std::to_string(rows * pages));
  fs::create_directories(folder);
  WriteBytes(folder / "d.edt", bench::SearchDataFile(pages, rows));
  WriteBytes(folder / "Quiltor.ini",
             "[Quiltor]\r\nQuiltorData=d.edt\r\nTop=20\r\nLeft=20\r\nHeight=420\r\nActivePage=0\r\n"
             "[Setup]\r\nResize=0\r\nTimer=100\r\nTimerEZ=200\r\n");
  const Bytes exeFolder = folder.string() + "\\";

  Win32Platform platform;
  ExchangeArea exchange(*platform.sharedMemory);
  exchange.CreateExchangeBlock();
  exchange.StoreBufferSizes(1024, 1024);
  exchange.CreateTransferBuffers();
  HotKeyRegistration hotKeys(*platform.hotKeys);
  IniFile ini(*platform.files, exeFolder + "Quiltor.ini");
  AppSettings settings = LoadSettings(ini).settings;
  MainServices services{*platform.files, *platform.clipboard, *platform.windows, *platform.keyboard,
                        *platform.processes, exchange, hotKeys, *platform.monitors};
  MainController controller(services, std::move(settings), ToolFolders{exeFolder, exeFolder});
  TFormMain form(controller);
  if (!form.Create({})) {
    std::printf("the window could not be made\n");
    return;
  }
  form.Show();
  const double started = NowMs();
  while (!controller.Idle() && NowMs() - started < 60000) {
    Pump(form);
    form.ApplicationEventsIdle();
    Sleep(1);
  }
  SetForegroundWindow(form.Handle());
  Pump(form);

  std::vector<double> keys;
  std::vector<double> firstKeys;
  std::size_t hits = 0;
  bool typedAsMeant = true;
  for (int i = 0; i < repetitions; ++i) {
    for (const bench::TypedQuery& query : bench::SearchQueries()) {
      for (std::size_t k = 0; k < query.typed.size(); ++k) {
        const double t0 = NowMs();
        PostKey(form.Handle(), query.typed[k]);
        Pump(form);
        const double elapsed = NowMs() - t0;
        (k == 0 ? firstKeys : keys).push_back(elapsed);
        if (controller.Search().Query() != query.prefixes[k]) typedAsMeant = false;
      }
      hits += controller.Search().Hits().size();
      PostMessageW(form.Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
      Pump(form);
      if (controller.Search().IsOpen()) typedAsMeant = false;
    }
  }
  // The first key's parts: the box shown and every item listed, then the character.
  std::vector<double> opens;
  for (int i = 0; i < repetitions; ++i) {
    double t0 = NowMs();
    controller.OpenSearch();
    Pump(form);
    opens.push_back(NowMs() - t0);
    PostMessageW(form.Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    Pump(form);
  }
  std::printf("%3d x %3d rows, %5zu items: %zu keystrokes, %zu hits at the end%s\n", pages, rows,
              controller.Search().Index().Items().size(), keys.size() + firstKeys.size(),
              hits / static_cast<std::size_t>(repetitions),
              typedAsMeant ? "" : "  (the typed queries did not arrive as typed!)");
  const std::string name = "search.window_" + std::to_string(pages * rows) + "_rows.";
  bench::Figure((name + "open_p50").c_str(), Percentile(opens, 0.5), "ms", "<16");
  bench::Figure((name + "open_p99").c_str(), Percentile(opens, 0.99), "ms", "<16");
  bench::Figure((name + "first_key_p50").c_str(), Percentile(firstKeys, 0.5), "ms", "<16");
  bench::Figure((name + "first_key_p99").c_str(), Percentile(firstKeys, 0.99), "ms", "<16");
  bench::Figure((name + "keystroke_p50").c_str(), Percentile(keys, 0.5), "ms", "<16");
  bench::Figure((name + "keystroke_p99").c_str(), Percentile(keys, 0.99), "ms", "<16");
  DestroyWindow(form.Handle());
  Pump(form);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace

int main() {
  MeasureLoad(100, 100, bench::Count(10, 1));
  Measure(1, 100, bench::Count(40, 2));
  Measure(100, 100, bench::Count(20, 1));
  return 0;
}
