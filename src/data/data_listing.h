#pragma once
// The data files the user can choose from, and the rules of the selection
// dialog TFormLoomwork that need no window: where it opens, what the
// companion program is started with, and what stays selected after it.
#include <cstddef>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "platform/types.h"

namespace quiltor {

inline constexpr char kDataFilePattern[] = "*.edt";
// The companion program that writes data files, in the program's folder.
inline constexpr char kCompanionProgram[] = "Loomwork.exe";
// A title is looked for in this much of a data file first; the whole file is
// read only when its "Group" section does not lie there.
inline constexpr std::size_t kTitleHeadBytes = 4096;

struct DataFileRow {
  // Relative to the program's folder ("sub\" before a subfolder's files); a
  // file of the user's folder by its full path.
  Bytes path;
  Bytes title;  // "Title" of "Group"; "" when missing or unreadable
  friend bool operator==(const DataFileRow&, const DataFileRow&) = default;
};

struct DataFileListing {
  std::vector<DataFileRow> rows;
  int index = -1;  // the row of the path asked for; -1 when it is not listed
};

// Every data file of the program's folder, then of each direct subfolder;
// then the same of `userFolder`, where new data files go when the program's
// folder takes no write ("" for none). Folders and files come by name,
// without regard to ASCII case (ties by bytes), so the list reads the same on
// every disk. `relativePath` is matched exactly, case included.
DataFileListing ListDataFiles(FileSystem& files, const Bytes& programFolder, const Bytes& relativePath,
                              const Bytes& userFolder = {});
// "Title" of "Group" of one data file, reading no more of it than needed.
Bytes ReadListedTitle(FileSystem& files, const Bytes& path);

// The list item's text: path, TAB, title.
Bytes RowText(const DataFileRow& row);

// Header sections of the dialog: the first one's width is the column boundary.
inline constexpr int kPathSectionWidth = 150;
inline constexpr int kPathSectionMinWidth = 50;
inline constexpr int kTitleSectionWidth = 600;
inline constexpr int kTitleSectionMinWidth = 100;
// Titles are drawn this far left of the column boundary.
inline constexpr int kTitleIndent = 5;
// Width of a header section as the user drags it, never below its minimum.
int ClampSectionWidth(int section, int width);

// Where the dialog opens: centred horizontally over the main window, kept
// within the work area of the main window's monitor horizontally, its top at
// the main window's top.
Point PlaceSelectionDialog(const Rect& mainWindow, int dialogWidth, const Rect& workArea);

enum class CompanionButton { kNew, kEdit };
// Parameters of the companion program: for kEdit the selected path and a
// blank first, then "/L<left> /T<top>" of the dialog. A path holding a blank
// is quoted, so it stays one argument.
Bytes CompanionParameters(CompanionButton button, const Bytes& selectedPath, Point dialogTopLeft);

// The dialog's list: rows, the selected row and the column boundary.
class DataFileChooser {
 public:
  DataFileChooser(FileSystem& files, Bytes programFolder, Bytes userFolder = {});

  // Lists the data files and selects `relativePath` (nothing when it is not listed).
  void Fill(const Bytes& relativePath);
  // After the companion ended: lists again; `editedPath` stays selected when
  // the number of files is the same, else nothing is (a file came or went).
  void Refill(const Bytes& editedPath);

  const std::vector<DataFileRow>& Rows() const { return rows_; }
  int Selected() const { return selected_; }
  // Out of range selects nothing.
  void Select(int index);
  bool HasSelection() const { return selected_ >= 0; }
  // "" without a selection.
  Bytes SelectedPath() const;
  // The full path of the selected file for the status bar; nullopt without a
  // selection (the status bar keeps what it shows).
  std::optional<Bytes> StatusText() const;
  // The path the dialog hands back on OK; nullopt without a selection.
  std::optional<Bytes> Choose() const;
  const Bytes& ProgramFolder() const { return programFolder_; }
  Bytes CompanionPath() const;

  int ColumnBoundary() const { return boundary_; }
  void SetColumnBoundary(int width) { boundary_ = ClampSectionWidth(0, width); }
  // Left edge of the title relative to the item's left edge.
  int TitleLeft() const { return boundary_ - kTitleIndent; }

 private:
  FileSystem& files_;
  Bytes programFolder_;
  Bytes userFolder_;
  std::vector<DataFileRow> rows_;
  int selected_ = -1;
  int boundary_ = kPathSectionWidth;
};

}  // namespace quiltor
