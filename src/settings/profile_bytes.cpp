#include "settings/profile_bytes.h"

#include "settings/profile.h"

namespace quiltor {

Bytes ProfileBytes::GetString(const Bytes& section, const Bytes& key, const Bytes& fallback) {
  return FindProfileValue(contents_, section, key, fallback);
}

bool ProfileBytes::WriteString(const Bytes& section, const Bytes& key, const Bytes& value) {
  std::optional<Bytes> edited = SetProfileValue(contents_, section, key, value);
  if (!edited) return false;
  contents_ = std::move(*edited);
  return true;
}

bool ProfileBytes::DeleteKey(const Bytes& section, const Bytes& key) {
  contents_ = RemoveProfileKey(contents_, section, key);
  return true;
}

bool ProfileBytes::DeleteSection(const Bytes& section) {
  contents_ = RemoveProfileSection(contents_, section);
  return true;
}

}  // namespace quiltor
