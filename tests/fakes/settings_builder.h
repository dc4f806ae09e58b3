#pragma once
// Settings as a case needs them, in one expression: read from the bytes of a
// settings file the way the tool reads "Quiltor.ini", or made in code from the
// file kinds and programs the case names.
#include <utility>

#include "fakes/fake_files.h"
#include "settings/profile.h"
#include "settings/settings.h"

namespace quiltor::fakes {

// The settings the tool would load from a file holding these bytes.
inline LoadedSettings LoadedFrom(const Bytes& fileBytes) {
  FakeFileSystem files;
  files.Put("C:\\Tool\\Quiltor.ini", fileBytes);
  IniFile file(files, "C:\\Tool\\Quiltor.ini");
  return LoadSettings(file);
}
inline AppSettings SettingsFrom(const Bytes& fileBytes) { return LoadedFrom(fileBytes).settings; }

class SettingsBuilder {
 public:
  SettingsBuilder() = default;
  explicit SettingsBuilder(AppSettings start) : settings_(std::move(start)) {}

  // Adds a file kind after the common entry (and the kinds added before):
  // Kind("c", [](FileKind& k) { k.programNo = 2; }).
  template <typename Change>
  SettingsBuilder& Kind(Bytes ext, Change change) {
    FileKind kind;
    kind.ext = std::move(ext);
    change(kind);
    settings_.fileKinds.push_back(std::move(kind));
    return *this;
  }
  SettingsBuilder& Kind(Bytes ext) {
    return Kind(std::move(ext), [](FileKind&) {});
  }
  SettingsBuilder& Program(Bytes name, Bytes path, Bytes param = {}) {
    settings_.programs.push_back({std::move(name), std::move(path), std::move(param)});
    return *this;
  }
  // Anything else a case sets: With([](AppSettings& s) { s.timer = 200; }).
  template <typename Change>
  SettingsBuilder& With(Change change) {
    change(settings_);
    return *this;
  }

  AppSettings Build() const { return settings_; }
  operator AppSettings() const { return settings_; }  // NOLINT: reads as a value at the call

 private:
  AppSettings settings_;
};

}  // namespace quiltor::fakes
