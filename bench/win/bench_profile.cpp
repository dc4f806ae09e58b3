// Reading 10 000 keys of a 1 MB data file: the tool's one-pass index against
// one GetPrivateProfileStringA call per key, in the same run. Prints figures, asserts nothing.
#include <windows.h>

#include <cstdio>

#include "figures.h"
#include "platform/win32/files.h"
#include "settings/profile.h"
#include "win/bench_profile_corpus.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
  using namespace quiltor;
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const Bytes path = Bytes(folder) + "quiltor-bench-profile.edt";
  const Bytes text = bench::DataFileText();
  Win32FileSystem files;
  if (!files.ReplaceAll(path, text)) {
    std::printf("bench_profile: cannot write %s\n", path.c_str());
    return 1;
  }
  auto lookups = bench::Lookups();
  lookups.resize(static_cast<std::size_t>(bench::Count(static_cast<int>(lookups.size()), 500)));
  std::printf("data file: %zu bytes, %zu lookups\n", text.size(), lookups.size());

  LARGE_INTEGER t0, t1, t2, t3;
  std::size_t oursBytes = 0;
  QueryPerformanceCounter(&t0);
  {
    // Reading the file is part of the cost, as in a page load.
    IniDocument document(files.ReadAll(path).value_or(""));
    for (const auto& [section, key] : lookups) oursBytes += document.Get(section, key, "").size();
  }
  QueryPerformanceCounter(&t1);

  std::size_t systemBytes = 0;
  char buffer[2048];
  for (const auto& [section, key] : lookups) {
    systemBytes += GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, path.c_str());
  }
  QueryPerformanceCounter(&t2);

  // A click re-reads two texts with a single scan of the raw bytes.
  std::size_t clickBytes = 0;
  const Bytes contents = files.ReadAll(path).value_or("");
  const int clicks = bench::Count(100, 10);
  for (int i = 0; i < clicks; ++i) {
    const auto& [section, key] = lookups[lookups.size() - 1 - static_cast<std::size_t>(i) * 7];
    clickBytes += FindProfileValue(contents, section, key, "").size();
  }
  QueryPerformanceCounter(&t3);

  const double ours = Seconds(t0, t1), system = Seconds(t1, t2);
  std::printf("value bytes: %zu read by IniDocument, %zu by GetPrivateProfileStringA\n", oursBytes, systemBytes);
  bench::Figure("profile.index_read_parse_lookups", ours * 1000, "ms");
  bench::Figure("profile.system_lookups", system * 1000, "ms");
  bench::Figure("profile.system_to_index", ours > 0 ? system / ours : 0.0, "x", ">=100");
  bench::Figure("profile.scan_one_late_key", Seconds(t2, t3) * 1000 / clicks, "ms");
  DeleteFileA(path.c_str());
  return 0;
}
