#pragma once
#include <utility>

#include "platform/profile_file.h"

namespace quiltor {

// A profile file through GetPrivateProfileStringA / WritePrivateProfileStringA.
// The tool itself uses IniFile; this one is the system's own reading and
// writing, which the tests compare IniFile with. `path` must be a full path,
// or Windows looks for the file in its own folder.
class Win32ProfileFile : public ProfileFile {
 public:
  explicit Win32ProfileFile(Bytes path) : path_(std::move(path)) {}
  Bytes GetString(const Bytes& section, const Bytes& key, const Bytes& fallback) override;
  bool WriteString(const Bytes& section, const Bytes& key, const Bytes& value) override;
  bool DeleteKey(const Bytes& section, const Bytes& key) override;
  bool DeleteSection(const Bytes& section) override;
  const Bytes& Path() const override { return path_; }

 private:
  Bytes path_;
};

}  // namespace quiltor
