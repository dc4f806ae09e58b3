#include "fakes/fake_files.h"

#include <algorithm>
#include <string_view>

#include "settings/profile.h"
#include "text/cp932.h"

namespace quiltor {

namespace {
// Position of the first "\" or "/" that is not the second byte of a
// double-byte character ("表" is 0x95 0x5C), or npos.
std::size_t FirstSeparator(std::string_view path) {
  for (std::size_t i = 0; i < path.size(); i += CharacterLength(path, i)) {
    if (path[i] == '\\' || path[i] == '/') return i;
  }
  return Bytes::npos;
}
}  // namespace

Bytes FakeFileSystem::Normalize(const Bytes& path) {
  Bytes folded = FoldAsciiCase(path);
  for (std::size_t i = 0; i < folded.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(folded[i]))) {
      ++i;
    } else if (folded[i] == '/') {
      folded[i] = '\\';
    }
  }
  return folded;
}

bool FakeFileSystem::Matches(const Bytes& name, const Bytes& pattern) {
  Bytes n = FoldAsciiCase(name);
  Bytes p = FoldAsciiCase(pattern);
  // Iterative wildcard match with one backtrack point.
  std::size_t i = 0, j = 0, star = Bytes::npos, mark = 0;
  while (i < n.size()) {
    if (j < p.size() && (p[j] == '?' || p[j] == n[i])) {
      ++i;
      ++j;
    } else if (j < p.size() && p[j] == '*') {
      star = j++;
      mark = i;
    } else if (star != Bytes::npos) {
      j = star + 1;
      i = ++mark;
    } else {
      return false;
    }
  }
  while (j < p.size() && p[j] == '*') ++j;
  return j == p.size();
}

FakeFileSystem::File& FakeFileSystem::Slot(const Bytes& path) {
  File& file = files_[Normalize(path)];
  if (file.path.empty()) file.path = path;
  return file;
}

const FakeFileSystem::File* FakeFileSystem::Find(const Bytes& path) const {
  auto it = files_.find(Normalize(path));
  return it == files_.end() ? nullptr : &it->second;
}

bool FakeFileSystem::WriteAllowed() {
  if (allowedWrites_ == 0) {
    failure_ = failureAfter_;
    allowedWrites_ = -1;
  }
  if (failure_ != WriteFailure::kNone) return false;
  if (allowedWrites_ > 0) --allowedWrites_;
  return true;
}

void FakeFileSystem::FailWritesAfter(int count, WriteFailure failure) {
  allowedWrites_ = count;
  failureAfter_ = failure;
}

bool FakeFileSystem::Exists(const Bytes& path) { return Find(path) != nullptr; }

std::optional<Bytes> FakeFileSystem::ReadAll(const Bytes& path) {
  ++totalReads_;
  const File* file = Find(path);
  if (!file || file->unreadable) return std::nullopt;
  bytesRead_ += file->contents.size();
  return file->contents;
}

bool FakeFileSystem::ReplaceAll(const Bytes& path, const Bytes& contents) {
  if (Protected(path)) return false;
  if (!WriteAllowed()) {
    if (failure_ == WriteFailure::kMidWrite) {
      // What a full disk leaves: a partial temporary file, the target untouched.
      File& temp = Slot(path + ".tmp");
      temp.contents = contents.substr(0, contents.size() / 2);
      temp.writeTime = clock_++;
    }
    return false;
  }
  files_.erase(Normalize(path + ".tmp"));
  File& file = Slot(path);
  file.contents = contents;
  file.writeTime = clock_++;
  ++file.writes;
  ++totalWrites_;
  return true;
}

std::optional<std::uint64_t> FakeFileSystem::WriteTime(const Bytes& path) {
  const File* file = Find(path);
  if (!file) return std::nullopt;
  return file->writeTime;
}

bool FakeFileSystem::Copy(const Bytes& from, const Bytes& to) {
  const File* source = Find(from);
  if (!source || source->unreadable || Protected(to) || !WriteAllowed()) return false;
  Bytes contents = source->contents;
  std::uint64_t time = source->writeTime;  // CopyFile keeps the write time
  File& target = Slot(to);
  target.contents = std::move(contents);
  target.writeTime = time;
  return true;
}

bool FakeFileSystem::Remove(const Bytes& path) {
  if (!Find(path) || Protected(path) || !WriteAllowed()) return false;
  files_.erase(Normalize(path));
  return true;
}

std::vector<Bytes> FakeFileSystem::List(const Bytes& folder, const Bytes& pattern) {
  Bytes prefix = Normalize(folder);
  if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
  std::vector<Bytes> names;
  for (const auto& [key, file] : files_) {
    if (key.compare(0, prefix.size(), prefix) != 0) continue;
    Bytes rest = file.path.substr(prefix.size());
    if (FirstSeparator(rest) != Bytes::npos) continue;  // in a subfolder
    if (Matches(rest, pattern)) names.push_back(rest);
  }
  if (reversed_) std::reverse(names.begin(), names.end());
  return names;
}

std::vector<Bytes> FakeFileSystem::ListFolders(const Bytes& folder) {
  Bytes prefix = Normalize(folder);
  if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
  std::map<Bytes, Bytes> found;  // normalized name -> name as first given
  auto consider = [&](const Bytes& key, const Bytes& path, bool isFolder) {
    if (key.compare(0, prefix.size(), prefix) != 0) return;
    const Bytes rest = path.substr(prefix.size());
    const std::size_t separator = FirstSeparator(rest);
    if (separator == Bytes::npos && !isFolder) return;  // a file of the folder itself
    const Bytes name = rest.substr(0, separator);
    if (!name.empty()) found.try_emplace(Normalize(name), name);
  };
  for (const auto& [key, file] : files_) consider(key, file.path, false);
  for (const auto& [key, path] : folders_) consider(key, path, true);
  std::vector<Bytes> names;
  for (const auto& entry : found) names.push_back(entry.second);
  if (reversed_) std::reverse(names.begin(), names.end());
  return names;
}

std::optional<Bytes> FakeFileSystem::ReadHead(const Bytes& path, std::size_t maxBytes) {
  ++totalReads_;
  const File* file = Find(path);
  if (!file || file->unreadable) return std::nullopt;
  Bytes head = file->contents.substr(0, maxBytes);
  bytesRead_ += head.size();
  return head;
}

bool FakeFileSystem::CreateFolder(const Bytes& path) {
  if (FolderExists(path)) return true;
  if (Protected(path)) return false;
  AddFolder(path);
  return true;
}

bool FakeFileSystem::FolderExists(const Bytes& path) const {
  Bytes key = Normalize(path);
  if (!key.empty() && FileNameStart(key) == key.size()) key.pop_back();
  if (folders_.count(key)) return true;
  const Bytes prefix = key + "\\";
  for (const auto& entry : files_) {
    if (entry.first.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

void FakeFileSystem::ProtectFolder(const Bytes& folder) {
  Bytes key = Normalize(folder);
  if (key.empty() || FileNameStart(key) != key.size()) key += '\\';
  protected_.push_back(key);
}

bool FakeFileSystem::Protected(const Bytes& path) const {
  const Bytes key = Normalize(path);
  for (const Bytes& folder : protected_) {
    if (key.compare(0, folder.size(), folder) == 0) return true;
  }
  return false;
}

void FakeFileSystem::AddFolder(const Bytes& path) {
  Bytes trimmed = path;
  if (!trimmed.empty() && FileNameStart(trimmed) == trimmed.size()) trimmed.pop_back();
  folders_.try_emplace(Normalize(trimmed), trimmed);
}

void FakeFileSystem::Put(const Bytes& path, const Bytes& contents) {
  File& file = Slot(path);
  file.contents = contents;
  file.writeTime = clock_++;
}

std::optional<Bytes> FakeFileSystem::Contents(const Bytes& path) const {
  const File* file = Find(path);
  if (!file) return std::nullopt;
  return file->contents;
}

void FakeFileSystem::SetWriteTime(const Bytes& path, std::uint64_t time) { Slot(path).writeTime = time; }

void FakeFileSystem::SetUnreadable(const Bytes& path, bool unreadable) { Slot(path).unreadable = unreadable; }

std::vector<Bytes> FakeFileSystem::Paths() const {
  std::vector<Bytes> paths;
  for (const auto& entry : files_) paths.push_back(entry.second.path);
  return paths;
}

int FakeFileSystem::WriteCount(const Bytes& path) const {
  const File* file = Find(path);
  return file ? file->writes : 0;
}

}  // namespace quiltor
