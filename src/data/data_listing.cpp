#include "data/data_listing.h"

#include <algorithm>
#include <string>
#include <utility>

#include "settings/profile.h"
#include "text/cp932.h"

namespace quiltor {

namespace {

std::vector<Bytes> SortedByName(std::vector<Bytes> names) {
  std::vector<std::pair<Bytes, Bytes>> keyed;  // folded name, name
  keyed.reserve(names.size());
  for (Bytes& name : names) keyed.emplace_back(FoldAsciiCase(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  names.clear();
  for (auto& entry : keyed) names.push_back(std::move(entry.second));
  return names;
}

// "*.edt" also finds "x.edtx" on disks that match the pattern against short
// names; only the extension itself makes a data file.
bool IsDataFileName(const Bytes& name) { return EqualsIgnoringAsciiCase(FileExtension(name), "edt"); }

bool HasBlank(const Bytes& text) { return text.find_first_of(" \t") != Bytes::npos; }

}  // namespace

Bytes ReadListedTitle(FileSystem& files, const Bytes& path) {
  std::optional<Bytes> head = files.ReadHead(path, kTitleHeadBytes);
  if (!head) return {};
  if (head->size() < kTitleHeadBytes) return FindProfileValue(*head, "Group", "Title", "");
  // Only whole lines count: the last line of the head may be cut. A value
  // never holds a line end, so "\n" marks a title that was not found there.
  const std::size_t lastLineEnd = head->find_last_of("\r\n");
  if (lastLineEnd != Bytes::npos) {
    head->resize(lastLineEnd + 1);
    const Bytes notFound = "\n";
    Bytes title = FindProfileValue(*head, "Group", "Title", notFound);
    if (title != notFound) return title;
  }
  const std::optional<Bytes> contents = files.ReadAll(path);
  return contents ? FindProfileValue(*contents, "Group", "Title", "") : Bytes();
}

namespace {

// The data files of `folder` and its direct subfolders, named as `prefix`
// (empty for the program's folder, the folder itself for another) followed
// by the path inside the folder.
void ListPlace(FileSystem& files, const Bytes& folder, const Bytes& prefix, const Bytes& relativePath,
               DataFileListing& listing) {
  std::vector<Bytes> parts{""};
  for (const Bytes& name : SortedByName(files.ListFolders(folder))) parts.push_back(name + "\\");
  for (const Bytes& part : parts) {
    const Bytes partFolder = JoinPath(folder, part);
    for (const Bytes& name : SortedByName(files.List(partFolder, kDataFilePattern))) {
      if (!IsDataFileName(name)) continue;
      DataFileRow row{prefix + part + name, ReadListedTitle(files, JoinPath(partFolder, name))};
      if (listing.index < 0 && row.path == relativePath) listing.index = static_cast<int>(listing.rows.size());
      listing.rows.push_back(std::move(row));
    }
  }
}

}  // namespace

DataFileListing ListDataFiles(FileSystem& files, const Bytes& programFolder, const Bytes& relativePath,
                              const Bytes& userFolder) {
  DataFileListing listing;
  ListPlace(files, programFolder, "", relativePath, listing);
  if (!userFolder.empty() && FoldAsciiCase(userFolder) != FoldAsciiCase(programFolder)) {
    ListPlace(files, userFolder, JoinPath(userFolder, ""), relativePath, listing);
  }
  return listing;
}

Bytes RowText(const DataFileRow& row) { return row.path + "\t" + row.title; }

int ClampSectionWidth(int section, int width) {
  return std::max(width, section == 0 ? kPathSectionMinWidth : kTitleSectionMinWidth);
}

Point PlaceSelectionDialog(const Rect& mainWindow, int dialogWidth, const Rect& workArea) {
  // Integer division rounds toward zero, as the placement always has.
  int left = mainWindow.left - (dialogWidth - mainWindow.Width()) / 2;
  if (left < workArea.left) {
    left = workArea.left;
  } else if (left + dialogWidth > workArea.right) {
    left = workArea.right - dialogWidth;
  }
  return {left, mainWindow.top};
}

Bytes CompanionParameters(CompanionButton button, const Bytes& selectedPath, Point dialogTopLeft) {
  Bytes parameters;
  if (button == CompanionButton::kEdit) {
    parameters = HasBlank(selectedPath) ? "\"" + selectedPath + "\" " : selectedPath + " ";
  }
  parameters += "/L" + std::to_string(dialogTopLeft.x) + " /T" + std::to_string(dialogTopLeft.y);
  return parameters;
}

DataFileChooser::DataFileChooser(FileSystem& files, Bytes programFolder, Bytes userFolder)
    : files_(files), programFolder_(std::move(programFolder)), userFolder_(std::move(userFolder)) {}

void DataFileChooser::Fill(const Bytes& relativePath) {
  DataFileListing listing = ListDataFiles(files_, programFolder_, relativePath, userFolder_);
  rows_ = std::move(listing.rows);
  selected_ = listing.index;
}

void DataFileChooser::Refill(const Bytes& editedPath) {
  const std::size_t countBefore = rows_.size();
  Fill(editedPath);
  if (rows_.size() != countBefore) selected_ = -1;
}

void DataFileChooser::Select(int index) {
  selected_ = index >= 0 && index < static_cast<int>(rows_.size()) ? index : -1;
}

Bytes DataFileChooser::SelectedPath() const { return HasSelection() ? rows_[selected_].path : Bytes(); }

std::optional<Bytes> DataFileChooser::StatusText() const {
  if (!HasSelection()) return std::nullopt;
  return JoinPath(programFolder_, rows_[selected_].path);
}

std::optional<Bytes> DataFileChooser::Choose() const {
  if (!HasSelection()) return std::nullopt;
  return rows_[selected_].path;
}

Bytes DataFileChooser::CompanionPath() const { return JoinPath(programFolder_, kCompanionProgram); }

}  // namespace quiltor
