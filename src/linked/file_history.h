#pragma once
// The file history of linked mode: the most recently opened paths, newest
// first, at most "OpenFiles" of them, without duplicates (paths compare
// exactly). The two history menus are drawn from it.
#include <cstddef>
#include <vector>

#include "platform/types.h"

namespace quiltor {

class FileHistory {
 public:
  // At start: the saved non-empty values, as they are (no existence or
  // duplicate check, as many as were read).
  void Load(const std::vector<Bytes>& saved);
  // A path was opened: it moves to the top when listed, else it is added
  // there and the entries past `limit` drop out.
  void Add(const Bytes& path, int limit);
  // After the settings changed the limit: true when entries were dropped
  // (the caller then removes the surplus keys from the settings file).
  bool Trim(int limit);
  const std::vector<Bytes>& Paths() const { return paths_; }
  bool Empty() const { return paths_.empty(); }

 private:
  std::vector<Bytes> paths_;
};

}  // namespace quiltor
