// The settings loader over arbitrary file bytes on the fake disk, whose
// writes may fail. Whatever the file holds, the record must be usable: key
// codes valid, tables within their sizes; the migration, once written, is not
// run again; and reading key by key gives the same record as reading the
// parsed file.
#include <cstdint>
#include <string>

#include "fakes/fake_files.h"
#include "fuzz_support.h"
#include "settings/key_codes.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "text/texts.h"

namespace quiltor {
namespace {

const Bytes kPath = "C:\\Quiltor\\Quiltor.ini";
constexpr int kFuzzedFileKinds = 40;

// A ProfileFile that is not an IniFile, so the loader reads key by key.
class KeyByKey : public ProfileFile {
 public:
  explicit KeyByKey(ProfileFile& inner) : inner_(inner) {}
  Bytes GetString(const Bytes& s, const Bytes& k, const Bytes& f) override { return inner_.GetString(s, k, f); }
  bool WriteString(const Bytes& s, const Bytes& k, const Bytes& v) override { return inner_.WriteString(s, k, v); }
  bool DeleteKey(const Bytes& s, const Bytes& k) override { return inner_.DeleteKey(s, k); }
  bool DeleteSection(const Bytes& s) override { return inner_.DeleteSection(s); }
  const Bytes& Path() const override { return inner_.Path(); }

 private:
  ProfileFile& inner_;
};

bool SameQuiltorSection(const QuiltorSection& a, const QuiltorSection& b) {
  return a.top == b.top && a.left == b.left && a.height == b.height && a.mode == b.mode &&
         a.toolBar == b.toolBar && a.stayOnTop == b.stayOnTop && a.hideIcon == b.hideIcon &&
         a.autoSmall == b.autoSmall && a.openFile == b.openFile && a.quiltorData == b.quiltorData &&
         a.quiltorDataHistory == b.quiltorDataHistory && a.activePage == b.activePage;
}

bool SameSettings(const AppSettings& a, const AppSettings& b) {
  return a.no == b.no && a.fileKinds == b.fileKinds && a.currentFileKind == b.currentFileKind &&
         a.modeDelivery == b.modeDelivery && a.programs == b.programs && a.lineEnd == b.lineEnd &&
         a.makeNew == b.makeNew && a.caretInside == b.caretInside && a.timer == b.timer &&
         a.timerEZ == b.timerEZ && a.resize == b.resize &&
         a.openFiles == b.openFiles && a.bufSize1 == b.bufSize1 && a.bufSize2 == b.bufSize2 &&
         a.minHeight == b.minHeight && a.maxHeight == b.maxHeight && a.changeMode == b.changeMode &&
         a.closeMode == b.closeMode && a.fileFilter == b.fileFilter && a.fileFilterC == b.fileFilterC &&
         a.openFilter == b.openFilter && a.hotKeyR == b.hotKeyR && a.hotKeyR1 == b.hotKeyR1 &&
         a.hotKeyR2 == b.hotKeyR2 && a.hotKeyA == b.hotKeyA && a.hotKeyA1 == b.hotKeyA1 &&
         a.hotKeyA2 == b.hotKeyA2 && SameQuiltorSection(a.quiltor, b.quiltor);
}

// What every part of the tool relies on, whatever the file held.
void CheckUsable(const AppSettings& s) {
  FUZZ_CHECK(!s.fileKinds.empty());
  FUZZ_CHECK(s.ExtRendoCnt() <= kMaxFileKinds);
  FUZZ_CHECK(s.fileKinds.front().extName == texts::kCommonKindName && s.fileKinds.front().ext.empty());
  FUZZ_CHECK(s.currentFileKind >= 0 && s.currentFileKind < static_cast<int>(s.fileKinds.size()));
  for (const FileKind& kind : s.fileKinds) FUZZ_CHECK(IsValidCutPasteKey(kind.cutPasteKey));
  for (const DeliverySettings& delivery : s.modeDelivery) FUZZ_CHECK(IsValidCutPasteKey(delivery.cutPasteKey));
  FUZZ_CHECK(s.programs.size() <= static_cast<std::size_t>(kMaxPrograms));
  for (const ProgramEntry& program : s.programs) FUZZ_CHECK(!program.program.empty());
  FUZZ_CHECK(s.lineEnd == "\r" || s.lineEnd == "\n" || s.lineEnd == "\r\n");
  FUZZ_CHECK(s.openFiles >= 0 && s.openFiles <= kMaxOpenFiles);
  FUZZ_CHECK(s.quiltor.openFile.size() == static_cast<std::size_t>(s.openFiles));
  FUZZ_CHECK(s.quiltor.quiltorDataHistory.size() == static_cast<std::size_t>(kDataHistorySlots));
  FUZZ_CHECK(s.quiltor.activePage >= 0 && s.quiltor.activePage <= 99);
  FUZZ_CHECK(s.openFilter.size() <= s.fileFilter.size());
}

}  // namespace
}  // namespace quiltor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quiltor;
  const Bytes contents(reinterpret_cast<const char*>(data), size);
  FuzzedDataProvider input(data, size);
  // Each file kind costs the migration a write of the whole file, so a file of
  // hundreds of kinds takes a second to load here; the loop is the same for
  // any count (the cap on it is a unit test), so such files are passed over.
  if (SettingsIntOr(IniDocument(contents).Get(kSectionSetup, "ExtRendoCnt", ""), 0) > kFuzzedFileKinds) return 0;

  FakeFileSystem files;
  files.Put(kPath, contents);
  // Now and then the disk fails part-way through the migration.
  const int failAfter = input.ConsumeIntegralInRange(-1, 3);
  if (failAfter >= 0) {
    files.FailWritesAfter(failAfter, input.ConsumeBool() ? FakeFileSystem::WriteFailure::kRefuse
                                                         : FakeFileSystem::WriteFailure::kMidWrite);
  }
  IniFile file(files, kPath);
  const LoadedSettings first = LoadSettings(file);
  CheckUsable(first.settings);
  if (failAfter < 0) FUZZ_CHECK(first.written);

  files.FailWrites(FakeFileSystem::WriteFailure::kNone);
  files.FailWritesAfter(-1, FakeFileSystem::WriteFailure::kNone);
  const LoadedSettings second = LoadSettings(file);
  FUZZ_CHECK(second.written);
  CheckUsable(second.settings);
  // The migration is done: the file says so, and a third start writes nothing.
  FUZZ_CHECK(second.settings.no >= kSettingsFormat);
  const int writes = files.TotalWrites();
  const LoadedSettings third = LoadSettings(file);
  FUZZ_CHECK(files.TotalWrites() == writes);
  FUZZ_CHECK(SameSettings(second.settings, third.settings));

  // Key by key reads the same record (now and then, and only for files of
  // few kinds: it scans the file once per key).
  if (third.settings.ExtRendoCnt() <= 4 && input.ConsumeIntegralInRange(0, 3) == 0) {
    KeyByKey keyByKey(file);
    FUZZ_CHECK(SameSettings(LoadSettings(keyByKey).settings, third.settings));
  }

  // Choosing the kind for any file keeps the delivery usable.
  AppSettings settings = third.settings;
  const DefaultProgram program = SelectFileKind(settings, input.ConsumeRandomLengthString(40));
  CheckUsable(settings);
  FUZZ_CHECK(program.kind == DefaultProgram::Kind::kAssociated || program.listed < settings.programs.size());
  return 0;
}
