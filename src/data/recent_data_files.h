#pragma once
// The recent data-file list behind the data-selection button: at most ten
// data files, newest first, each shown by its title (or its path when it has
// none) and carrying its path relative to the program's folder. The first
// entry is the current data file and cannot be chosen. One rule keeps it,
// whether a file comes from the settings at start, from a second start's
// "/d" or from the user's choice.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/types.h"

namespace quiltor {

struct RecentDataItem {
  Bytes caption;  // the data file's title, or its path when the title is empty
  Bytes path;     // relative to the program's folder
  friend bool operator==(const RecentDataItem&, const RecentDataItem&) = default;
};

class RecentDataFiles {
 public:
  static constexpr std::size_t kMaxItems = 10;
  // The caption of a data file (its title, or the path itself).
  using CaptionOf = std::function<Bytes(const Bytes& relativePath)>;
  using ExistsFn = std::function<bool(const Bytes& relativePath)>;

  // At start: the saved paths whose files exist, in order, then the current
  // data file brought to the top when it exists.
  void Load(const std::vector<Bytes>& saved, const Bytes& current, const ExistsFn& exists,
            const CaptionOf& caption);
  // The current data file becomes the first entry: moved there when listed
  // (its caption refreshed, the file may have a new title), else added;
  // entries past the tenth drop out.
  void Remember(const Bytes& current, const CaptionOf& caption);
  // The user chose entry `index`: it moves to the top and its path becomes
  // the current data file. Returns that path ("" for an index not listed).
  Bytes Choose(std::size_t index);

  const std::vector<RecentDataItem>& Items() const { return items_; }
  // The entry of the current data file (the first one) cannot be chosen.
  bool Enabled(std::size_t index) const;
  // What the settings file keeps, in order.
  std::vector<Bytes> Paths() const;
  const Bytes& Current() const { return current_; }

 private:
  void Trim();
  std::vector<RecentDataItem> items_;
  Bytes current_;
};

// The caption rule over a file system: the data file's title, or the path.
RecentDataFiles::CaptionOf DataFileCaptions(FileSystem& files, const Bytes& exeFolder);

}  // namespace quiltor
