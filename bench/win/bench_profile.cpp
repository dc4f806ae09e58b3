// Reading 10 000 keys of a 1 MB data file: the tool's one-pass index against
// one GetPrivateProfileStringA call per key, in the same run. Prints, asserts nothing.
#include <windows.h>

#include <cstdio>

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
  const auto lookups = bench::Lookups();
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
  for (int i = 0; i < 100; ++i) {
    const auto& [section, key] = lookups[lookups.size() - 1 - i * 7];
    clickBytes += FindProfileValue(contents, section, key, "").size();
  }
  QueryPerformanceCounter(&t3);

  double ours = Seconds(t0, t1);
  double system = Seconds(t1, t2);
  std::printf("IniDocument (read + parse + 10000 lookups): %.4f s (%zu value bytes)\n", ours, oursBytes);
  std::printf("GetPrivateProfileStringA x 10000:           %.4f s (%zu value bytes)\n", system, systemBytes);
  std::printf("ratio: %.0fx faster (goal: 100x)\n", ours > 0 ? system / ours : 0.0);
  std::printf("FindProfileValue, one key late in the file: %.3f ms per lookup\n", Seconds(t2, t3) * 1000 / 100);
  DeleteFileA(path.c_str());
  return 0;
}
