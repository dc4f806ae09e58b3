#pragma once
#include "platform/files.h"

namespace quiltor {

// Files named by code page 932 bytes, through the W functions of Windows.
class Win32FileSystem : public FileSystem {
 public:
  bool Exists(const Bytes& path) override;
  std::optional<Bytes> ReadAll(const Bytes& path) override;
  // Writes "<path>.tmp", flushes it to the disk and moves it over `path`;
  // on any failure the temporary file is removed and `path` is left as it was.
  bool ReplaceAll(const Bytes& path, const Bytes& contents) override;
  std::optional<std::uint64_t> WriteTime(const Bytes& path) override;
  // Overwrites an existing `to`.
  bool Copy(const Bytes& from, const Bytes& to) override;
  bool Remove(const Bytes& path) override;
  bool CreateFolder(const Bytes& path) override;
  Bytes SystemFolder() override;
  // Files only (no folders).
  std::vector<Bytes> List(const Bytes& folder, const Bytes& pattern) override;
  std::vector<Bytes> ListFolders(const Bytes& folder) override;
  // Reads only the bytes asked for.
  std::optional<Bytes> ReadHead(const Bytes& path, std::size_t maxBytes) override;

 private:
  std::vector<Bytes> Find(const Bytes& folder, const Bytes& pattern, bool folders);
};

}  // namespace quiltor
