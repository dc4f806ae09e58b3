#include "data/recent_data_files.h"

#include <algorithm>

#include "data/data_file.h"
#include "text/cp932.h"

namespace quiltor {

void RecentDataFiles::Load(const std::vector<Bytes>& saved, const Bytes& current, const ExistsFn& exists,
                           const CaptionOf& caption) {
  items_.clear();
  current_.clear();
  for (const Bytes& path : saved) {
    if (path.empty() || !exists(path)) continue;
    const bool listed =
        std::any_of(items_.begin(), items_.end(), [&](const RecentDataItem& item) { return item.path == path; });
    if (!listed) items_.push_back({caption(path), path});
  }
  if (!current.empty() && exists(current)) {
    Remember(current, caption);
  } else {
    Trim();
  }
}

void RecentDataFiles::Remember(const Bytes& current, const CaptionOf& caption) {
  current_ = current;
  auto found = std::find_if(items_.begin(), items_.end(),
                            [&](const RecentDataItem& item) { return item.path == current; });
  if (found != items_.end()) items_.erase(found);
  items_.insert(items_.begin(), RecentDataItem{caption(current), current});
  Trim();
}

Bytes RecentDataFiles::Choose(std::size_t index) {
  if (index >= items_.size()) return {};
  RecentDataItem chosen = items_[index];
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  items_.insert(items_.begin(), chosen);
  current_ = chosen.path;
  return chosen.path;
}

bool RecentDataFiles::Enabled(std::size_t index) const {
  return index < items_.size() && !(index == 0 && items_[0].path == current_);
}

std::vector<Bytes> RecentDataFiles::Paths() const {
  std::vector<Bytes> paths;
  for (const RecentDataItem& item : items_) paths.push_back(item.path);
  return paths;
}

void RecentDataFiles::Trim() {
  if (items_.size() > kMaxItems) items_.resize(kMaxItems);
}

RecentDataFiles::CaptionOf DataFileCaptions(FileSystem& files, const Bytes& exeFolder) {
  return [&files, exeFolder](const Bytes& path) { return RecentDataCaption(files, JoinPath(exeFolder, path), path); };
}

}  // namespace quiltor
