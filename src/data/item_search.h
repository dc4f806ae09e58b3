#pragma once
// Finding any item of the current data file by typing: the index of every
// item that runs something (buttons and menu entries on every page and menu
// level), what a query matches and in which order, and the search's state
// (open or closed, query, hits, selection) that the window shows.
//
// The index is made from the parsed file when the file loads, in the same
// pass as the pages model: the window's own pages, made when first shown,
// are never asked.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "data/data_file.h"
#include "data/pages.h"
#include "platform/files.h"
#include "platform/types.h"
#include "text/search_fold.h"

namespace quiltor {

// Where a folded field lies in the index's one folded text.
struct FoldedSpan {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
};

// Page title and the captions of the menus above an item.
struct SearchPath {
  std::vector<Bytes> segments;
  FoldedSpan folded;
};

struct SearchItem {
  ItemName name;          // what a click on its button or menu entry hands on
  int imageIndex = -1;
  int page = 0;
  Bytes caption;          // the definition's caption, as the pages show it
  std::uint32_t path = 0;  // into ItemIndex::Paths()
  Bytes preview;          // the start of the before text, line ends and tabs as blanks
  FoldedSpan foldedCaption;
  FoldedSpan foldedText;
};

// Only the start of a long before text is looked at: it is what tells items
// apart, and it keeps each keystroke's work bounded.
inline constexpr std::size_t kIndexedTextLimit = 4096;
inline constexpr std::size_t kPreviewLimit = 80;

class ItemIndex {
 public:
  ItemIndex() = default;
  // Every runnable item of a file that BuildDataPages accepts, in the order
  // of the pages: page by page, each row's main then side item, menu
  // entries depth first where their button stands.
  static ItemIndex Build(const DataFileReader& file);

  const std::vector<SearchItem>& Items() const { return items_; }
  const std::vector<SearchPath>& Paths() const { return paths_; }
  const SearchPath& PathOf(const SearchItem& item) const { return paths_[item.path]; }
  bool Empty() const { return items_.empty(); }
  std::u16string_view Units(FoldedSpan span) const;
  const FoldedText& Folded() const { return folded_; }

 private:
  friend class ItemIndexBuilder;
  std::vector<SearchItem> items_;
  std::vector<SearchPath> paths_;
  FoldedText folded_;  // every folded field, one after the other
};

// The caption without its accelerator marks: "&&" is one "&", a single "&"
// goes, so "&Bold" is found by "bold" and ranked as starting with it.
Bytes StripAccelerators(std::string_view caption);

// How well one word of a query meets an item; lower is better.
// Caption prefix, then a word start, then anywhere; within each, the caption
// before the path (page and menus) before the text.
int WordScore(const ItemIndex& index, const SearchItem& item, std::u16string_view word);
inline constexpr int kNoMatch = -1;

// Positions into index.Items() of the items every word of `query` is found
// in, best first; among equal scores the more recently used (a larger
// `lastUses` entry, one per item, 0 = never) and then the file's order.
// No words: every item, most recently used first.
std::vector<std::uint32_t> FindItems(const ItemIndex& index, std::string_view query,
                                     const std::vector<std::uint64_t>& lastUses);

// The pages and the index of one file, from one reading and one parse.
struct LoadedDataFile {
  DataPagesResult pages;
  ItemIndex index;  // empty when the pages did not load
};
LoadedDataFile LoadDataFileWithIndex(FileSystem& files, const Bytes& path);

// The search as the window shows it.
class ItemSearch {
 public:
  // A new file's items; a search that was open is closed.
  void Reset(ItemIndex index);
  const ItemIndex& Index() const { return index_; }

  bool IsOpen() const { return open_; }
  // Opens with an empty query (every item, the recently used first).
  // `lastUses` has one entry per item.
  void Open(std::vector<std::uint64_t> lastUses);
  void Close();

  void SetQuery(std::string_view query);
  const Bytes& Query() const { return query_; }
  const std::vector<std::uint32_t>& Hits() const { return hits_; }
  const SearchItem& Hit(std::size_t row) const { return index_.Items()[hits_[row]]; }
  // Says "nothing found" when true.
  bool NoHits() const { return open_ && hits_.empty(); }

  // The selected row, −1 when there are no hits.
  int Selection() const { return selection_; }
  void Select(int row);
  // Moves by `rows` (negative: up), stopping at the first and the last hit.
  void MoveSelection(int rows);
  const SearchItem* SelectedItem() const;

 private:
  ItemIndex index_;
  std::vector<std::uint64_t> lastUses_;
  bool open_ = false;
  Bytes query_;
  std::vector<std::uint32_t> hits_;
  int selection_ = -1;
};

}  // namespace quiltor
