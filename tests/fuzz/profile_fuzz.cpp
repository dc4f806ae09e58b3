// The profile-file reader and its byte-preserving edits over arbitrary file
// bytes. The parsed document and the single-scan lookup must agree; an edit
// must read back what was written and leave every other value as it was; an
// IniFile on the fake disk must do exactly what the edits do.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "fakes/fake_files.h"
#include "fuzz_support.h"
#include "settings/profile.h"

namespace quiltor {
namespace {

// A fallback no file value can equal: values never hold a line end.
constexpr char kFallbackA[] = "\n<a>";
constexpr char kFallbackB[] = "\n<b>";

struct Probe {
  Bytes section;
  Bytes key;
};

std::vector<Probe> ProbesFor(const fuzz::NamesInFile& names, FuzzedDataProvider& input) {
  std::vector<Probe> probes;
  for (int i = 0; i < 8; ++i) probes.push_back({fuzz::PickName(input, names.sections), fuzz::PickName(input, names.keys)});
  return probes;
}

// The document and the single-scan lookups answer every probe alike.
void CheckReadersAgree(const Bytes& contents, const IniDocument& document, const std::vector<Probe>& probes) {
  std::vector<std::string_view> keys;
  for (const Probe& probe : probes) {
    const Bytes scanned = FindProfileValue(contents, probe.section, probe.key, kFallbackA);
    FUZZ_CHECK(document.Get(probe.section, probe.key, kFallbackA) == scanned);
    const bool present = scanned == FindProfileValue(contents, probe.section, probe.key, kFallbackB);
    FUZZ_CHECK(document.HasKey(probe.section, probe.key) == present);
    if (present) FUZZ_CHECK(scanned.size() <= kMaxProfileValue);
    if (present) FUZZ_CHECK(document.HasSection(probe.section));
  }
  // Several keys of the first probe's section in one scan, each as alone.
  if (probes.empty()) return;
  const Bytes& section = probes.front().section;
  for (const Probe& probe : probes) {
    if (keys.size() < 4) keys.push_back(probe.key);
  }
  const std::vector<Bytes> values = FindProfileValues(contents, section, keys, kFallbackA);
  FUZZ_CHECK(values.size() == keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    FUZZ_CHECK(values[i] == FindProfileValue(contents, section, keys[i], kFallbackA));
  }
}

// Every probe that `touched` does not name reads the same in both documents.
template <typename Touched>
void CheckOthersUnchanged(const IniDocument& before, const IniDocument& after, const std::vector<Probe>& probes,
                          Touched&& touched) {
  for (const Probe& probe : probes) {
    if (touched(probe)) continue;
    FUZZ_CHECK(before.Get(probe.section, probe.key, kFallbackA) == after.Get(probe.section, probe.key, kFallbackA));
  }
}

bool HasLineEnd(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::string_view TrimBlanks(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t\v\f");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\v\f") - first + 1);
}

// The edit changed one stretch of the file, and what it took away held no
// line end: no other line was touched.
void CheckOneLineChanged(const Bytes& before, const Bytes& after) {
  std::size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  FUZZ_CHECK(!HasLineEnd(std::string_view(before).substr(prefix, before.size() - prefix - suffix)));
}

void CheckSet(const Bytes& contents, const IniDocument& before, const std::vector<Probe>& probes,
              const Bytes& section, const Bytes& key, const Bytes& value) {
  const std::optional<Bytes> edited = SetProfileValue(contents, section, key, value);
  const std::string_view trimmedKey = TrimBlanks(key);
  const bool writable = !TrimBlanks(section).empty() && !trimmedKey.empty() && !HasLineEnd(section) &&
                        !HasLineEnd(key) && !HasLineEnd(value) && trimmedKey.find('=') == std::string_view::npos &&
                        trimmedKey.front() != '[' && trimmedKey.front() != ';';
  FUZZ_CHECK(edited.has_value() == writable);
  if (!edited) return;
  const IniDocument after(*edited);
  FUZZ_CHECK(after.Get(section, key, kFallbackA) == CleanProfileValue(value));
  FUZZ_CHECK(after.HasSection(section));
  CheckOthersUnchanged(before, after, probes, [&](const Probe& probe) {
    return NamesEqual(probe.section, section) && NamesEqual(probe.key, key);
  });
  CheckOneLineChanged(contents, *edited);
  // Writing the same value again leaves the bytes as they are.
  FUZZ_CHECK(SetProfileValue(*edited, section, key, value) == edited);
}

void CheckRemoveKey(const Bytes& contents, const IniDocument& before, const std::vector<Probe>& probes,
                    const Bytes& section, const Bytes& key) {
  const Bytes edited = RemoveProfileKey(contents, section, key);
  if (TrimBlanks(key).empty()) {
    // An empty name is no key a writer makes; nothing is removed.
    FUZZ_CHECK(edited == contents);
    return;
  }
  const IniDocument after(edited);
  FUZZ_CHECK(!after.HasKey(section, key));
  FUZZ_CHECK(after.Get(section, key, kFallbackA) == kFallbackA);
  FUZZ_CHECK(edited.size() <= contents.size());
  if (!before.HasSection(section)) FUZZ_CHECK(edited == contents);
  CheckOthersUnchanged(before, after, probes, [&](const Probe& probe) {
    return NamesEqual(probe.section, section) && NamesEqual(probe.key, key);
  });
}

void CheckRemoveSection(const Bytes& contents, const IniDocument& before, const std::vector<Probe>& probes,
                        const Bytes& section) {
  const Bytes edited = RemoveProfileSection(contents, section);
  const IniDocument after(edited);
  FUZZ_CHECK(!after.HasSection(section));
  FUZZ_CHECK(edited.size() <= contents.size());
  if (!before.HasSection(section)) FUZZ_CHECK(edited == contents);
  CheckOthersUnchanged(before, after, probes, [&](const Probe& probe) { return NamesEqual(probe.section, section); });
}

// The same edits through an IniFile on the fake disk, which may refuse to
// read or to write: what is on disk is the edit's result or the old bytes.
void CheckIniFile(FuzzedDataProvider& input, const Bytes& contents, const fuzz::NamesInFile& names) {
  const Bytes path = "C:\\Quiltor\\Quiltor.ini";
  FakeFileSystem files;
  const bool exists = input.ConsumeBool();
  if (exists) files.Put(path, contents);
  const bool unreadable = exists && input.ConsumeIntegralInRange(0, 7) == 0;
  if (unreadable) files.SetUnreadable(path, true);
  const int failWrite = input.ConsumeIntegralInRange(0, 5);
  if (failWrite == 1) files.FailWrites(FakeFileSystem::WriteFailure::kRefuse);
  if (failWrite == 2) files.FailWrites(FakeFileSystem::WriteFailure::kMidWrite);
  IniFile file(files, path);
  Bytes current = exists ? contents : Bytes();
  bool onDiskNow = exists;

  for (int step = 0; step < 2; ++step) {
    const Bytes section = fuzz::PickName(input, names.sections);
    const Bytes key = fuzz::PickName(input, names.keys);
    const Bytes fallback = kFallbackA;
    const Bytes read = file.GetString(section, key, fallback);
    FUZZ_CHECK(read == (unreadable ? fallback : FindProfileValue(current, section, key, fallback)));
    std::optional<Bytes> wanted;
    bool ok = false;
    switch (input.ConsumeIntegralInRange(0, 2)) {
      case 0: {
        const Bytes value = input.ConsumeRandomLengthString(64);
        ok = file.WriteString(section, key, value);
        wanted = SetProfileValue(current, section, key, value);
        break;
      }
      case 1:
        ok = file.DeleteKey(section, key);
        wanted = RemoveProfileKey(current, section, key);
        break;
      default:
        ok = file.DeleteSection(section);
        wanted = RemoveProfileSection(current, section);
        break;
    }
    const bool changes = wanted && *wanted != current;
    const bool expectOk = !unreadable && wanted && (!changes || failWrite == 0 || failWrite > 2);
    FUZZ_CHECK(ok == expectOk);
    if (ok && changes) {
      current = *wanted;
      onDiskNow = true;
    }
    const std::optional<Bytes> onDisk = files.Contents(path);
    if (onDiskNow) {
      FUZZ_CHECK(onDisk == current);
    } else {
      FUZZ_CHECK(!onDisk);
    }
  }
  if (!unreadable) {
    const std::optional<IniDocument> document = file.ReadDocument();
    FUZZ_CHECK(document && document->Contents() == current);
  } else {
    FUZZ_CHECK(!file.ReadDocument());
  }
}

// A value longer than a reader sees is cut on a character boundary, as close
// to the limit as a whole character allows.
void CheckCut(const Bytes& raw) {
  const Bytes cleaned = CleanProfileValue(raw);
  FUZZ_CHECK(cleaned.size() <= kMaxProfileValue);
  const std::string_view trimmed = TrimBlanks(raw);
  const bool quoted = trimmed.size() >= 2 && (trimmed.front() == '"' || trimmed.front() == '\'') &&
                      trimmed.back() == trimmed.front();
  const std::string_view inner = quoted ? trimmed.substr(1, trimmed.size() - 2) : trimmed;
  if (inner.size() <= kMaxProfileValue) {
    FUZZ_CHECK(cleaned == inner);
  } else {
    FUZZ_CHECK(inner.substr(0, cleaned.size()) == cleaned);
    FUZZ_CHECK(fuzz::EndsOnCharacterBoundary(cleaned));
    FUZZ_CHECK(cleaned.size() + 1 >= kMaxProfileValue);
  }
}

}  // namespace
}  // namespace quiltor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quiltor;
  // The whole input is the file, so seeds are plain files; the choices of
  // names, values and edits are drawn from the same bytes.
  const Bytes contents(reinterpret_cast<const char*>(data), size);
  FuzzedDataProvider input(data, size);
  const fuzz::NamesInFile names = fuzz::NamesIn(contents, 12);
  const IniDocument document(contents);
  FUZZ_CHECK(document.Contents() == contents);
  const std::vector<Probe> probes = ProbesFor(names, input);
  CheckReadersAgree(contents, document, probes);
  CheckCut(contents);

  const Bytes section = fuzz::PickName(input, names.sections);
  const Bytes key = fuzz::PickName(input, names.keys);
  switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0: CheckSet(contents, document, probes, section, key, input.ConsumeRandomLengthString(64)); break;
    case 1: CheckRemoveKey(contents, document, probes, section, key); break;
    default: CheckRemoveSection(contents, document, probes, section); break;
  }
  CheckIniFile(input, contents, names);
  return 0;
}
