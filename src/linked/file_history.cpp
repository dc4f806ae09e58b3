#include "linked/file_history.h"

#include <algorithm>

namespace quiltor {

void FileHistory::Load(const std::vector<Bytes>& saved) {
  paths_.clear();
  for (const Bytes& path : saved) {
    if (!path.empty()) paths_.push_back(path);
  }
}

void FileHistory::Add(const Bytes& path, int limit) {
  auto found = std::find(paths_.begin(), paths_.end(), path);
  if (found != paths_.end()) {
    std::rotate(paths_.begin(), found, found + 1);
    return;
  }
  paths_.insert(paths_.begin(), path);
  Trim(limit);
}

bool FileHistory::Trim(int limit) {
  const std::size_t keep = static_cast<std::size_t>(std::max(limit, 0));
  if (paths_.size() <= keep) return false;
  paths_.resize(keep);
  return true;
}

}  // namespace quiltor
