#pragma once
// Settings and data files a user saved as "Unicode" (UTF-16LE with its
// byte-order mark), as editors offer: readers get them in the ANSI code page
// like every other file, and a write goes back in the file's own encoding, so
// no file ever ends up half one encoding and half the other. A file holding
// characters the ANSI code page lacks is not rewritten, as that would lose
// them; the write reports failure instead.
#include <memory>

#include "platform/files.h"
#include "platform/text_codec.h"

namespace quiltor {

inline constexpr char kUtf16LeMark[] = "\xff\xfe";

class UnicodeAwareFiles : public FileSystem {
 public:
  UnicodeAwareFiles(FileSystem& files, TextCodec& codec) : files_(files), codec_(codec) {}

  bool Exists(const Bytes& path) override { return files_.Exists(path); }
  std::optional<Bytes> ReadAll(const Bytes& path) override;
  bool ReplaceAll(const Bytes& path, const Bytes& contents) override;
  std::optional<std::uint64_t> WriteTime(const Bytes& path) override { return files_.WriteTime(path); }
  bool Copy(const Bytes& from, const Bytes& to) override { return files_.Copy(from, to); }
  bool Remove(const Bytes& path) override { return files_.Remove(path); }
  bool CreateFolder(const Bytes& path) override { return files_.CreateFolder(path); }
  Bytes SystemFolder() override { return files_.SystemFolder(); }
  std::vector<Bytes> List(const Bytes& folder, const Bytes& pattern) override { return files_.List(folder, pattern); }
  std::vector<Bytes> ListFolders(const Bytes& folder) override { return files_.ListFolders(folder); }
  std::optional<Bytes> ReadHead(const Bytes& path, std::size_t maxBytes) override;

 private:
  FileSystem& files_;
  TextCodec& codec_;
};

}  // namespace quiltor
