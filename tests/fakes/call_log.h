#pragma once
// One ordered record of what the fakes were asked to do, shared by them so a
// test can check the order of clipboard, window, key and sleep calls.
#include <string>
#include <vector>

namespace quiltor::fakes {

class CallLog {
 public:
  void Add(std::string entry) { entries_.push_back(std::move(entry)); }
  const std::vector<std::string>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }
  // Entries that start with `prefix`, in order.
  std::vector<std::string> Matching(const std::string& prefix) const {
    std::vector<std::string> result;
    for (const std::string& entry : entries_)
      if (entry.rfind(prefix, 0) == 0) result.push_back(entry);
    return result;
  }

 private:
  std::vector<std::string> entries_;
};

}  // namespace quiltor::fakes
