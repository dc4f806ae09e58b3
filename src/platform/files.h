#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace quiltor {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True for an existing file; a folder does not count.
  virtual bool Exists(const Bytes& path) = 0;
  // nullopt when the file cannot be read.
  virtual std::optional<Bytes> ReadAll(const Bytes& path) = 0;
  // Writes a temporary file beside `path` and replaces `path` with it, so a
  // crash or a full disk never leaves a half-written file behind.
  virtual bool ReplaceAll(const Bytes& path, const Bytes& contents) = 0;
  // Last write time as a comparable number; nullopt when the file is missing.
  virtual std::optional<std::uint64_t> WriteTime(const Bytes& path) = 0;
  virtual bool Copy(const Bytes& from, const Bytes& to) = 0;
  virtual bool Remove(const Bytes& path) = 0;
  // Makes the folder (its parent must exist); true when it exists afterwards.
  virtual bool CreateFolder(const Bytes&) { return false; }
  // The system folder (GetSystemDirectory) with its trailing backslash; ""
  // when the system does not tell.
  virtual Bytes SystemFolder() { return {}; }
  // Names (not paths) of the files in `folder` matching `pattern` such as "*.edt".
  virtual std::vector<Bytes> List(const Bytes& folder, const Bytes& pattern) = 0;
  // Names of the direct subfolders of `folder` ("." and ".." left out).
  virtual std::vector<Bytes> ListFolders(const Bytes& folder) = 0;
  // At most the first `maxBytes` bytes of the file, for readers that need
  // only its beginning; nullopt when the file cannot be read.
  virtual std::optional<Bytes> ReadHead(const Bytes& path, std::size_t maxBytes) {
    std::optional<Bytes> contents = ReadAll(path);
    if (contents && contents->size() > maxBytes) contents->resize(maxBytes);
    return contents;
  }
};

}  // namespace quiltor
