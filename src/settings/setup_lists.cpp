#include "settings/setup_lists.h"

#include <algorithm>

#include "text/cp932.h"
#include "text/texts.h"

namespace quiltor {
namespace {

// Position of the last `c` that is a character of its own, not the second
// byte of a double-byte character.
std::size_t FindLastCharacter(std::string_view text, char c) {
  std::size_t found = std::string_view::npos;
  for (std::size_t pos = 0; pos < text.size(); pos += CharacterLength(text, pos)) {
    if (text[pos] == c) found = pos;
  }
  return found;
}

bool HoldsBar(std::string_view text) { return FindLastCharacter(text, '|') != std::string_view::npos; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

// ---- FilterRows ----------------------------------------------------------------

FilterRows FilterRows::FromSettings(const Bytes& fileFilter, const Bytes& fileFilterC) {
  FilterRows list;
  std::vector<Bytes> entries = FileFilterEntries(fileFilter);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    list.rows_.push_back({std::move(entries[i]), i < fileFilterC.size() && fileFilterC[i] == '1'});
  }
  return list;
}

FilterFields FilterRows::Fields(const Bytes& rowText) {
  const std::size_t bar = FindLastCharacter(rowText, '|');
  if (bar == std::string_view::npos) return {rowText, ""};
  return {rowText.substr(0, bar), rowText.substr(bar + 1)};
}

bool FilterRows::Add(const FilterFields& fields) {
  if (fields.name.empty() || fields.pattern.empty() || HoldsBar(fields.name) || HoldsBar(fields.pattern)) {
    return false;
  }
  rows_.push_back({fields.name + "|" + fields.pattern, false});
  return true;
}

bool FilterRows::Update(const FilterFields& fields) {
  if (!selected_ || fields.name.empty() || fields.pattern.empty() || HoldsBar(fields.name) ||
      HoldsBar(fields.pattern)) {
    return false;
  }
  rows_[*selected_].text = fields.name + "|" + fields.pattern;
  return true;
}

void FilterRows::SetTicked(std::size_t row, bool ticked) {
  if (row < rows_.size()) rows_[row].ticked = ticked;
}

Bytes FilterRows::FileFilter() const {
  Bytes filter;
  for (const FilterRow& row : rows_) filter += row.text + "||";
  return filter;
}

Bytes FilterRows::FileFilterC() const {
  Bytes flags;
  for (const FilterRow& row : rows_) flags += row.ticked ? '1' : '0';
  return flags;
}

// ---- ProgramRows ---------------------------------------------------------------

ProgramRows::ProgramRows(ProgramList rows) { rows_ = std::move(rows); }

Bytes ProgramRows::RowText(const ProgramEntry& row) {
  return row.caption + "\t" + row.program + "\t" + row.param;
}

bool ProgramRows::PathUsable(const Bytes& path) {
  return std::any_of(path.begin(), path.end(), [](char c) { return !IsBlank(c); });
}

std::vector<Bytes> ProgramRows::DefaultProgramItems() const {
  std::vector<Bytes> items{texts::kAssociatedProgramItem};
  for (const ProgramEntry& row : rows_) items.push_back(row.caption);
  return items;
}

bool ProgramRows::Add(const ProgramFields& fields) {
  if (editing_ || !PathUsable(fields.path) || rows_.size() >= static_cast<std::size_t>(kMaxPrograms)) {
    return false;
  }
  rows_.push_back({fields.caption, fields.path, fields.param});
  return true;
}

std::optional<ProgramFields> ProgramRows::EnterEdit(std::size_t row) {
  if (editing_ || row >= rows_.size()) return std::nullopt;
  selected_ = row;
  editing_ = true;
  const ProgramEntry& entry = rows_[row];
  return ProgramFields{entry.caption, entry.program, entry.param};
}

bool ProgramRows::FinishEdit(const ProgramFields& fields) {
  if (!editing_ || !selected_ || !PathUsable(fields.path)) return false;
  rows_[*selected_] = {fields.caption, fields.path, fields.param};
  editing_ = false;
  return true;
}

void ProgramRows::Delete() {
  if (!editing_) RemoveSelected();
}

// ---- Kinds ---------------------------------------------------------------------

int CutPasteChoiceOf(std::int32_t cutPasteKey) {
  if (cutPasteKey == kDefaultCutPasteKey) return 0;
  if (cutPasteKey == kInsertDeleteCutPasteKey) return 1;
  return 2;
}

std::int32_t CutPasteKeyOfChoice(int choice, std::int32_t stored) {
  if (choice == 0) return kDefaultCutPasteKey;
  if (choice == 1) return kInsertDeleteCutPasteKey;
  return stored;
}

KindList::KindList(FileKinds kinds) : kinds_(std::move(kinds)) {
  if (kinds_.empty()) kinds_.push_back(CommonFileKind());
}

Bytes KindList::ItemText(const FileKind& kind, std::size_t index) {
  if (index == 0) return kind.extName;
  return kind.extName + " (" + kind.ext + ")";
}

std::vector<Bytes> KindList::Texts() const {
  std::vector<Bytes> texts;
  for (std::size_t i = 0; i < kinds_.size(); ++i) texts.push_back(ItemText(kinds_[i], i));
  return texts;
}

void KindList::Commit(const LinkedTab& tab) {
  if (!shown_ || *shown_ >= kinds_.size()) return;
  FileKind& kind = kinds_[*shown_];
  kind.editerPath = tab.editerPath;
  kind.editerParam = tab.editerParam;
  kind.className1 = tab.className1;
  kind.className2 = tab.className2;
  kind.pasteKind = tab.pasteKind;
  kind.pasteInterval = tab.interval;
  kind.cutPasteKey = CutPasteKeyOfChoice(tab.cutPaste, kind.cutPasteKey);
}

void KindList::CommitAndShow(std::size_t index, LinkedTab& tab) {
  Commit(tab);
  if (index >= kinds_.size()) return;
  shown_ = index;
  const FileKind& kind = kinds_[index];
  tab.editerPath = kind.editerPath;
  tab.editerParam = kind.editerParam;
  tab.className1 = kind.className1;
  tab.className2 = kind.className2;
  tab.className2Ticked = !kind.className2.empty();
  tab.pasteKind = kind.pasteKind == 1 ? 1 : 0;
  tab.interval = std::clamp(kind.pasteInterval, 0, kMaxPasteInterval);
  tab.cutPaste = CutPasteChoiceOf(kind.cutPasteKey);
}

void KindList::Replace(FileKinds kinds) {
  FileKind common = kinds_.front();
  kinds_.assign(1, std::move(common));
  for (FileKind& kind : kinds) kinds_.push_back(std::move(kind));
  shown_.reset();
}

KindWorkingList::KindWorkingList(const KindList& list) {
  const FileKinds& kinds = list.Kinds();
  rows_.assign(kinds.begin() + 1, kinds.end());
}

std::vector<Bytes> KindWorkingList::Texts() const {
  std::vector<Bytes> texts;
  for (const FileKind& kind : rows_) texts.push_back(KindList::ItemText(kind, 1));
  return texts;
}

FilterFields KindWorkingList::Fields(std::size_t row) const {
  if (row >= rows_.size()) return {};
  return {rows_[row].extName, rows_[row].ext};
}

bool KindWorkingList::Add(const Bytes& name, const Bytes& ext) {
  if (ext.empty()) return false;
  FileKind kind;
  kind.extName = name;
  kind.ext = ext;
  rows_.push_back(std::move(kind));
  return true;
}

bool KindWorkingList::Update(const Bytes& name, const Bytes& ext) {
  if (!selected_ || ext.empty()) return false;
  rows_[*selected_].extName = name;
  rows_[*selected_].ext = ext;
  return true;
}

void KindWorkingList::ApplyTo(KindList& list, LinkedTab& tab) const {
  list.Replace(rows_);
  list.CommitAndShow(0, tab);
}

}  // namespace quiltor
