#include "win/support/win32_profile_file.h"

#include <windows.h>

namespace quiltor {

Bytes Win32ProfileFile::GetString(const Bytes& section, const Bytes& key, const Bytes& fallback) {
  char buffer[2048];
  DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer,
                                          sizeof buffer, path_.c_str());
  return Bytes(buffer, length);
}

bool Win32ProfileFile::WriteString(const Bytes& section, const Bytes& key, const Bytes& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) != 0;
}

bool Win32ProfileFile::DeleteKey(const Bytes& section, const Bytes& key) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, path_.c_str()) != 0;
}

bool Win32ProfileFile::DeleteSection(const Bytes& section) {
  return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, path_.c_str()) != 0;
}

}  // namespace quiltor
