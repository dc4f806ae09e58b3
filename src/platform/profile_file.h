#pragma once
// A settings or data file with the Windows profile-file rules.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/types.h"

namespace quiltor {

class ProfileFile {
 public:
  virtual ~ProfileFile() = default;
  // The value (blanks and one pair of enclosing quotes removed, at most 2047
  // bytes), or `fallback` when the file, section or key is missing.
  virtual Bytes GetString(const Bytes& section, const Bytes& key, const Bytes& fallback) = 0;
  // Each write reaches the file at once. False when the file cannot be written.
  virtual bool WriteString(const Bytes& section, const Bytes& key, const Bytes& value) = 0;
  virtual bool DeleteKey(const Bytes& section, const Bytes& key) = 0;
  virtual bool DeleteSection(const Bytes& section) = 0;
  virtual const Bytes& Path() const = 0;
};

}  // namespace quiltor
