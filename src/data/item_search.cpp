#include "data/item_search.h"

#include <algorithm>
#include <utility>

#include "delivery/escapes.h"
#include "text/cp932.h"

namespace quiltor {

// Walks a parsed file the way BuildDataPages does and notes every item that
// runs something; separators, empty side places, menu buttons and the
// fourth-level menu items that open nothing are no items of the search.
class ItemIndexBuilder {
 public:
  ItemIndexBuilder(const DataFileReader& file, ItemIndex& index) : file_(file), index_(index) {}

  void Run() {
    if (!file_.IsCurrentFormat()) return;
    for (int page = 0, count = file_.PageCount(); page < count; ++page) Page(page);
  }

 private:
  void Page(int page) {
    page_ = page;
    std::vector<Bytes> segments{file_.PageTitle(page)};
    const std::uint32_t path = AddPath(segments);
    for (int row = 0, rows = file_.RowCount(page); row < rows; ++row) {
      const Bytes mainKey = MainKey(row);
      const ItemParse main = ParseItemDefinition(file_.ItemValue(page, mainKey), mainKey);
      // The side place of a separator row is not read.
      if (!main.error.Ok() || main.item.separator) continue;
      Button(mainKey, main.item, segments, path);
      const Bytes sideKey = SideKey(row);
      const ItemParse side = ParseItemDefinition(file_.ItemValue(page, sideKey), sideKey);
      if (side.error.Ok()) Button(sideKey, side.item, segments, path);
    }
  }

  void Button(const Bytes& key, const ItemDefinition& item, std::vector<Bytes>& segments, std::uint32_t path) {
    const ItemKind kind = item.Kind();
    if (kind == ItemKind::kMenu) {
      Menu(key, item.menuCount, item.caption, segments);
    } else if (kind != ItemKind::kText || key[0] != 'S') {  // a side text item is an empty place
      Add(item, key, path);
    }
  }

  void Menu(const Bytes& parentKey, int count, const Bytes& caption, std::vector<Bytes>& segments) {
    const int level = KeyLevel(parentKey) + 1;
    if (level > kMaxKeyLevel) return;
    segments.push_back(caption);
    const std::uint32_t path = AddPath(segments);
    count = std::min(count, kMaxDataRows);
    for (int index = 0; index < count; ++index) {
      const Bytes key = EntryKey(parentKey, index);
      const ItemParse entry = ParseItemDefinition(file_.ItemValue(page_, key), key);
      if (!entry.error.Ok() || entry.item.separator) continue;
      if (entry.item.typeCode == kMenuTypeCode) {
        if (level < kMaxKeyLevel) Menu(key, entry.item.menuCount, entry.item.caption, segments);
        continue;
      }
      Add(entry.item, key, path);
    }
    segments.pop_back();
  }

  std::uint32_t AddPath(const std::vector<Bytes>& segments) {
    SearchPath path;
    path.segments = segments;
    Bytes joined;
    for (const Bytes& segment : segments) {
      if (!joined.empty()) joined += ' ';
      joined += StripAccelerators(segment);
    }
    path.folded = Fold(joined);
    index_.paths_.push_back(std::move(path));
    return static_cast<std::uint32_t>(index_.paths_.size() - 1);
  }

  // `key` is one the walk made from rows and entry positions, so it always names an item.
  void Add(const ItemDefinition& definition, const Bytes& key, std::uint32_t path) {
    SearchItem item;
    item.name = *ItemName::FromKey(page_, key);
    item.imageIndex = definition.imageIndex;
    item.page = page_;
    item.caption = definition.caption;
    item.path = path;
    // The text as it is written: escapes expanded, a line end as a line end.
    const Bytes before = ExpandEscapes(file_.ItemTexts(page_, key).a, "\n");
    item.preview = Preview(before);
    item.foldedCaption = Fold(StripAccelerators(definition.caption));
    item.foldedText = Fold(std::string_view(before).substr(0, FitOnCharacterBoundary(before, kIndexedTextLimit)));
    index_.items_.push_back(std::move(item));
  }

  FoldedSpan Fold(std::string_view text) {
    FoldedSpan span;
    span.begin = static_cast<std::uint32_t>(index_.folded_.units.size());
    AppendFolded(text, index_.folded_);
    span.end = static_cast<std::uint32_t>(index_.folded_.units.size());
    return span;
  }

  static Bytes Preview(const Bytes& text) {
    Bytes preview = CutOnCharacterBoundary(text, kPreviewLimit);
    for (std::size_t i = 0; i < preview.size(); i += CharacterLength(preview, i)) {
      if (static_cast<unsigned char>(preview[i]) < 0x20) preview[i] = ' ';
    }
    return preview;
  }

  const DataFileReader& file_;
  ItemIndex& index_;
  int page_ = 0;
};

ItemIndex ItemIndex::Build(const DataFileReader& file) {
  ItemIndex index;
  ItemIndexBuilder(file, index).Run();
  return index;
}

std::u16string_view ItemIndex::Units(FoldedSpan span) const {
  return std::u16string_view(folded_.units).substr(span.begin, span.end - span.begin);
}

Bytes StripAccelerators(std::string_view caption) {
  Bytes stripped;
  stripped.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size();) {
    const std::size_t length = CharacterLength(caption, i);
    if (caption[i] == '&') {
      const bool doubled = i + 1 < caption.size() && caption[i + 1] == '&';
      if (doubled) stripped += '&';
      i += doubled ? 2 : 1;
      continue;
    }
    stripped.append(caption.substr(i, length));
    i += length;
  }
  return stripped;
}

namespace {

// Where `word` stands in a field: 0 at its start, 1 at a word start, 2
// anywhere else, kNoMatch nowhere.
int Tier(const ItemIndex& index, FoldedSpan span, std::u16string_view word) {
  const std::u16string_view field = index.Units(span);
  std::size_t pos = field.find(word);
  if (pos == std::u16string_view::npos) return kNoMatch;
  if (pos == 0) return 0;
  const std::vector<std::uint8_t>& starts = index.Folded().wordStarts;
  for (; pos != std::u16string_view::npos; pos = field.find(word, pos + 1)) {
    if (starts[span.begin + pos]) return 1;
  }
  return 2;
}

enum Field { kCaption, kPath, kText };

// Score of a tier in a field: every prefix and word start before anything
// found inside a word. The start of a path or a text counts as a word start.
int Score(int tier, Field field) {
  if (tier == kNoMatch) return kNoMatch;
  if (field != kCaption && tier == 0) tier = 1;
  return tier * 3 + field;
}

int Better(int a, int b) {
  if (a == kNoMatch) return b;
  if (b == kNoMatch) return a;
  return std::min(a, b);
}

int ItemWordScore(const ItemIndex& index, const SearchItem& item, std::u16string_view word, int pathScore) {
  const int caption = Score(Tier(index, item.foldedCaption, word), kCaption);
  if (caption == 0) return 0;
  return Better(Better(caption, pathScore), Score(Tier(index, item.foldedText, word), kText));
}

}  // namespace

int WordScore(const ItemIndex& index, const SearchItem& item, std::u16string_view word) {
  return ItemWordScore(index, item, word, Score(Tier(index, index.PathOf(item).folded, word), kPath));
}

std::vector<std::uint32_t> FindItems(const ItemIndex& index, std::string_view query,
                                     const std::vector<std::uint64_t>& lastUses) {
  const std::vector<std::u16string> words = FoldedWords(query);
  const std::vector<SearchItem>& items = index.Items();
  struct Scored {
    std::uint32_t item;
    int score;
    std::uint64_t lastUse;
  };
  std::vector<Scored> scored;
  scored.reserve(words.empty() ? items.size() : 64);
  // Many items share a page or a menu: each path is matched once per word.
  const std::size_t wordCount = words.size();
  std::vector<int> pathScores(index.Paths().size() * wordCount);
  for (std::size_t path = 0; path < index.Paths().size(); ++path) {
    for (std::size_t w = 0; w < wordCount; ++w) {
      pathScores[path * wordCount + w] = Score(Tier(index, index.Paths()[path].folded, words[w]), kPath);
    }
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    const SearchItem& item = items[i];
    int total = 0;
    for (std::size_t w = 0; w < wordCount && total != kNoMatch; ++w) {
      const int score = ItemWordScore(index, item, words[w], pathScores[item.path * wordCount + w]);
      total = score == kNoMatch ? kNoMatch : total + score;
    }
    if (total == kNoMatch) continue;
    scored.push_back({static_cast<std::uint32_t>(i), total, i < lastUses.size() ? lastUses[i] : 0});
  }
  std::sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) {
    if (a.score != b.score) return a.score < b.score;
    if (a.lastUse != b.lastUse) return a.lastUse > b.lastUse;
    return a.item < b.item;
  });
  std::vector<std::uint32_t> hits;
  hits.reserve(scored.size());
  for (const Scored& s : scored) hits.push_back(s.item);
  return hits;
}

LoadedDataFile LoadDataFileWithIndex(FileSystem& files, const Bytes& path) {
  LoadedDataFile loaded;
  std::optional<Bytes> contents = files.ReadAll(path);
  if (!contents) {
    loaded.pages.error = {DataStatus::kUnreadable, path, 0};
    return loaded;
  }
  const DataFileReader reader(std::move(*contents));
  loaded.pages = BuildDataPages(reader);
  if (loaded.pages.error.Ok()) loaded.index = ItemIndex::Build(reader);
  return loaded;
}

// ---- The search's state -----------------------------------------------------

void ItemSearch::Reset(ItemIndex index) {
  Close();
  index_ = std::move(index);
  lastUses_.clear();
}

void ItemSearch::Open(std::vector<std::uint64_t> lastUses) {
  open_ = true;
  lastUses_ = std::move(lastUses);
  lastUses_.resize(index_.Items().size());
  query_.clear();
  hits_ = FindItems(index_, query_, lastUses_);
  selection_ = hits_.empty() ? -1 : 0;
}

void ItemSearch::Close() {
  open_ = false;
  query_.clear();
  hits_.clear();
  selection_ = -1;
}

void ItemSearch::SetQuery(std::string_view query) {
  if (!open_) return;
  query_ = Bytes(query);
  hits_ = FindItems(index_, query_, lastUses_);
  selection_ = hits_.empty() ? -1 : 0;
}

void ItemSearch::Select(int row) {
  if (row >= 0 && row < static_cast<int>(hits_.size())) selection_ = row;
}

void ItemSearch::MoveSelection(int rows) {
  if (hits_.empty()) return;
  const int last = static_cast<int>(hits_.size()) - 1;
  selection_ = std::clamp(selection_ + rows, 0, last);
}

const SearchItem* ItemSearch::SelectedItem() const {
  if (selection_ < 0 || selection_ >= static_cast<int>(hits_.size())) return nullptr;
  return &Hit(static_cast<std::size_t>(selection_));
}

}  // namespace quiltor
