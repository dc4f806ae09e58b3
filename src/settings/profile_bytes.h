#pragma once
// A profile file held in memory. The writers of settings.h edit its bytes
// with the byte-preserving edits of profile.h, so a whole episode of writes
// is built first and reaches the disk in one replacement: never half done,
// and every byte the writers do not touch stays as it was.
#include "platform/profile_file.h"
#include "platform/types.h"

namespace quiltor {

class ProfileBytes : public ProfileFile {
 public:
  ProfileBytes(Bytes path, Bytes contents) : path_(std::move(path)), contents_(std::move(contents)) {}

  Bytes GetString(const Bytes& section, const Bytes& key, const Bytes& fallback) override;
  // False, and nothing changed, for a name or value that cannot be one line.
  bool WriteString(const Bytes& section, const Bytes& key, const Bytes& value) override;
  bool DeleteKey(const Bytes& section, const Bytes& key) override;
  bool DeleteSection(const Bytes& section) override;
  const Bytes& Path() const override { return path_; }

  const Bytes& Contents() const { return contents_; }

 private:
  Bytes path_;
  Bytes contents_;
};

}  // namespace quiltor
