#pragma once
// The three lists the settings dialog edits (file filters, programs, file
// kinds) and the file-kind dialog's working list. Each is a plain value the
// dialog copies, edits and hands back; rows are reordered by dragging.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "platform/types.h"
#include "settings/settings.h"

namespace quiltor {

// Rows with one selected row that can be dragged to a new position; the
// dragged row stays selected.
template <typename Row>
class ReorderableRows {
 public:
  const std::vector<Row>& Rows() const { return rows_; }
  std::size_t Count() const { return rows_.size(); }
  std::optional<std::size_t> Selected() const { return selected_; }
  void Select(std::optional<std::size_t> row) {
    selected_ = row && *row < rows_.size() ? row : std::nullopt;
  }
  // The row `from` takes position `to` (past the end: the last position).
  void Move(std::size_t from, std::size_t to) {
    if (from >= rows_.size()) return;
    to = std::min(to, rows_.size() - 1);
    Row row = std::move(rows_[from]);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(from));
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(to), std::move(row));
    selected_ = to;
  }

 protected:
  void RemoveSelected() {
    if (!selected_) return;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*selected_));
    selected_.reset();
  }
  std::vector<Row> rows_;
  std::optional<std::size_t> selected_;
};

// ---- File filters (tab 動作環境Ⅱ) -------------------------------------------

struct FilterRow {
  Bytes text;  // name "|" pattern
  bool ticked = false;
  friend bool operator==(const FilterRow&, const FilterRow&) = default;
};

struct FilterFields {
  Bytes name;
  Bytes pattern;
  friend bool operator==(const FilterFields&, const FilterFields&) = default;
};

class FilterRows : public ReorderableRows<FilterRow> {
 public:
  // Every entry of FileFilter becomes a row, ticked when its character of
  // FileFilterC is "1". Entries past the end of FileFilterC are listed
  // unticked rather than dropped, so OK never loses a filter.
  static FilterRows FromSettings(const Bytes& fileFilter, const Bytes& fileFilterC);
  // A row's text split at its last "|".
  static FilterFields Fields(const Bytes& rowText);

  // Both fields must be non-empty and free of "|", which would break the
  // "name|pattern||" list when it is saved. False when nothing changed.
  bool Add(const FilterFields& fields);
  bool Update(const FilterFields& fields);
  void Delete() { RemoveSelected(); }
  void SetTicked(std::size_t row, bool ticked);

  Bytes FileFilter() const;   // each row's text followed by "||"
  Bytes FileFilterC() const;  // "1" per ticked row, "0" per unticked one
};

// ---- Programs (tab プログラム) ------------------------------------------------

inline constexpr char kDefaultProgramParam[] = "%f";

struct ProgramFields {
  Bytes caption;
  Bytes path;
  Bytes param = kDefaultProgramParam;
  friend bool operator==(const ProgramFields&, const ProgramFields&) = default;
};

class ProgramRows : public ReorderableRows<ProgramEntry> {
 public:
  explicit ProgramRows(ProgramList rows = {});

  // caption TAB program TAB parameter, as the list shows it.
  static Bytes RowText(const ProgramEntry& row);
  // A path counts when it holds more than blanks.
  static bool PathUsable(const Bytes& path);
  // "関連付けﾌｧｲﾙ実行" followed by the caption of each row: the items of the
  // default-program box, numbered like ProgramNo.
  std::vector<Bytes> DefaultProgramItems() const;

  // Appends a row; refused for an unusable path and once the list holds the
  // 20 positions the settings file has room for.
  bool Add(const ProgramFields& fields);

  // Edit mode: a double-clicked row's fields are edited in place; the list,
  // OK and Cancel are unusable until "設定" or "中止".
  bool Editing() const { return editing_; }
  std::optional<ProgramFields> EnterEdit(std::size_t row);
  // "設定": the selected row takes the fields. False (still editing) for an
  // unusable path.
  bool FinishEdit(const ProgramFields& fields);
  void CancelEdit() { editing_ = false; }
  void Delete();

  ProgramList Programs() const { return rows_; }

 private:
  bool editing_ = false;
};

// ---- File kinds (tab 連動モード and the file-kind dialog) ---------------------

// Bounds of a write interval box, milliseconds.
inline constexpr int kMaxPasteInterval = 3000;

// The 連動モード controls bound to the shown kind.
struct LinkedTab {
  Bytes editerPath;
  Bytes editerParam;
  Bytes className1;
  bool className2Ticked = false;
  Bytes className2;
  int pasteKind = 0;  // 0 ﾒｯｾｰｼﾞ送信, 1 ｶｯﾄ&&ﾍﾟｰｽﾄ
  int interval = 0;
  int cutPaste = 0;  // RadioGroupCutPaste: 0 "標 準 １", 1 "標 準 ２", 2 "直接指定"
  friend bool operator==(const LinkedTab&, const LinkedTab&) = default;
};

// The radio item of a packed key setting: 0 for 標準１, 1 for 標準２, else 2.
int CutPasteChoiceOf(std::int32_t cutPasteKey);
// The packed value a radio item stands for; item 2 keeps `stored`.
std::int32_t CutPasteKeyOfChoice(int choice, std::int32_t stored);

// The kind list: item 0 the common entry, items 1.. the kinds, each carrying
// its own copy of the record; and the shown entry whose values the 連動モード
// controls hold (nullopt: nothing to commit).
class KindList {
 public:
  explicit KindList(FileKinds kinds = {CommonFileKind()});

  // "共通" for item 0, ExtName + " (" + Ext + ")" for the others.
  static Bytes ItemText(const FileKind& kind, std::size_t index);
  std::vector<Bytes> Texts() const;

  const FileKinds& Kinds() const { return kinds_; }
  FileKind& Kind(std::size_t index) { return kinds_.at(index); }
  std::optional<std::size_t> Shown() const { return shown_; }

  // ComboBoxExtRendoChange: the controls' values go into the shown record,
  // then the controls take the values of item `index`, which becomes shown.
  void CommitAndShow(std::size_t index, LinkedTab& tab);
  // The controls' values go into the shown record.
  void Commit(const LinkedTab& tab);
  // The file-kind dialog's "設定": the common entry followed by `kinds`;
  // nothing is shown until the caller shows item 0.
  void Replace(FileKinds kinds);

 private:
  FileKinds kinds_;
  std::optional<std::size_t> shown_;
};

// The file-kind dialog's rows: second copies of kinds 1.., never the common entry.
class KindWorkingList : public ReorderableRows<FileKind> {
 public:
  explicit KindWorkingList(const KindList& list);

  std::vector<Bytes> Texts() const;
  // The name and extension of a row for the two edit fields.
  FilterFields Fields(std::size_t row) const;  // name = ExtName, pattern = Ext

  // An empty extension is ignored. A new kind writes by messages with
  // interval 0 and 標準１, and runs the associated program.
  bool Add(const Bytes& name, const Bytes& ext);
  bool Update(const Bytes& name, const Bytes& ext);
  void Delete() { RemoveSelected(); }

  // "設定": the kind list becomes the common entry followed by these rows,
  // item 0 is shown (nothing committed) and the program tab's kind box
  // selects item 0 too.
  void ApplyTo(KindList& list, LinkedTab& tab) const;
};

}  // namespace quiltor
