#pragma once
// An in-memory FileSystem that behaves like a Windows disk: names match without
// regard to ASCII case and "/" equals "\", ReplaceAll goes through a temporary
// file beside the target, and it can be told to fail the way real disks do.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace quiltor {

// A FileSystem in which nothing exists and nothing can be written: a test
// that needs one call overrides just that one.
class NoFiles : public FileSystem {
 public:
  bool Exists(const Bytes&) override { return false; }
  std::optional<Bytes> ReadAll(const Bytes&) override { return std::nullopt; }
  bool ReplaceAll(const Bytes&, const Bytes&) override { return false; }
  std::optional<std::uint64_t> WriteTime(const Bytes&) override { return std::nullopt; }
  bool Copy(const Bytes&, const Bytes&) override { return false; }
  bool Remove(const Bytes&) override { return false; }
  std::vector<Bytes> List(const Bytes&, const Bytes&) override { return {}; }
  std::vector<Bytes> ListFolders(const Bytes&) override { return {}; }
};

class FakeFileSystem : public FileSystem {
 public:
  // How a write may fail.
  enum class WriteFailure {
    kNone,
    kRefuse,     // refused before anything is written (read-only disk, no rights)
    kMidWrite,   // the temporary file gets half of the bytes, then the disk is full
  };

  bool Exists(const Bytes& path) override;
  std::optional<Bytes> ReadAll(const Bytes& path) override;
  bool ReplaceAll(const Bytes& path, const Bytes& contents) override;
  std::optional<std::uint64_t> WriteTime(const Bytes& path) override;
  bool Copy(const Bytes& from, const Bytes& to) override;
  bool Remove(const Bytes& path) override;
  std::vector<Bytes> List(const Bytes& folder, const Bytes& pattern) override;
  // Folders exist where files lie below them, and where AddFolder made one.
  std::vector<Bytes> ListFolders(const Bytes& folder) override;
  std::optional<Bytes> ReadHead(const Bytes& path, std::size_t maxBytes) override;
  // Fails below a protected folder.
  bool CreateFolder(const Bytes& path) override;
  Bytes SystemFolder() override { return systemFolder_; }

  // Test set-up and inspection; these never fail.
  void Put(const Bytes& path, const Bytes& contents);
  // An empty folder.
  void AddFolder(const Bytes& path);
  // List and ListFolders give their names backwards, as a disk that does not
  // sort its folders would.
  void ReverseListings(bool reversed) { reversed_ = reversed; }
  std::optional<Bytes> Contents(const Bytes& path) const;
  void SetWriteTime(const Bytes& path, std::uint64_t time);
  // Every later write (ReplaceAll, Copy, Remove) fails this way; kNone heals.
  void FailWrites(WriteFailure failure) { failure_ = failure; }
  // Only the next `count` writes succeed, then writes fail with `failure`.
  void FailWritesAfter(int count, WriteFailure failure);
  // Every write into this folder or below it is refused, as Windows refuses a
  // user's writes under Program Files; reading goes on.
  void ProtectFolder(const Bytes& folder);
  void SetSystemFolder(const Bytes& folder) { systemFolder_ = folder; }
  bool FolderExists(const Bytes& path) const;
  // ReadAll of the path fails although it exists (a file locked by another program).
  void SetUnreadable(const Bytes& path, bool unreadable);
  // Paths of every file, as first given.
  std::vector<Bytes> Paths() const;
  // Successful ReplaceAll calls so far, per path and in total.
  int WriteCount(const Bytes& path) const;
  int TotalWrites() const { return totalWrites_; }
  int TotalReads() const { return totalReads_; }
  // Bytes handed out by ReadAll and ReadHead so far.
  std::size_t BytesRead() const { return bytesRead_; }

  // "C:/A/b.INI" and "c:\a\B.ini" name the same file.
  static Bytes Normalize(const Bytes& path);
  // "*" and "?" wildcards, without regard to ASCII case.
  static bool Matches(const Bytes& name, const Bytes& pattern);

 private:
  struct File {
    Bytes path;  // as first given
    Bytes contents;
    std::uint64_t writeTime = 0;
    bool unreadable = false;
    int writes = 0;
  };
  // Applies a pending failure; true when this write may go ahead.
  bool WriteAllowed();
  bool Protected(const Bytes& path) const;
  File& Slot(const Bytes& path);
  const File* Find(const Bytes& path) const;

  std::map<Bytes, File> files_;  // by normalized path
  WriteFailure failure_ = WriteFailure::kNone;
  int allowedWrites_ = -1;  // -1 = no limit
  WriteFailure failureAfter_ = WriteFailure::kNone;
  std::uint64_t clock_ = 1;
  int totalWrites_ = 0;
  int totalReads_ = 0;
  std::size_t bytesRead_ = 0;
  bool reversed_ = false;
  std::map<Bytes, Bytes> folders_;  // AddFolder: normalized path -> path as given
  std::vector<Bytes> protected_;    // normalized, with a trailing backslash
  Bytes systemFolder_;
};

}  // namespace quiltor
