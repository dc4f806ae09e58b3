#include "data/item_execution.h"

#include <algorithm>

#include "data/pages.h"
#include "delivery/escapes.h"
#include "exchange/exchange_area.h"
#include "settings/settings.h"
#include "text/cp932.h"

namespace quiltor {
namespace {

// The watch timer stays stopped from the click to the idle step; a guard
// against a parent chain that loops back on itself.
constexpr int kMaxParentDepth = 64;

// Statuses after which the execution goes on: the write was done, only part
// of the user's clipboard could not be kept.
bool StopsExecution(DeliveryStatus status) {
  return status != DeliveryStatus::kOk && status != DeliveryStatus::kFormatsNotKept &&
         status != DeliveryStatus::kFormatsNotRestored;
}

// A program may leave a text whose last byte starts a double-byte character
// cut off by the end of its buffer; that byte would swallow the editor's next
// character.
Bytes WholeCharacters(Bytes text) {
  text.resize(FitOnCharacterBoundary(text, text.size()));
  return text;
}

}  // namespace

std::optional<int> FindItemImage(const std::vector<DataPage>& pages, const ItemName& item) {
  if (item.page < 0 || item.page >= static_cast<int>(pages.size())) return std::nullopt;
  const DataPage& page = pages[static_cast<std::size_t>(item.page)];
  const std::vector<ItemButton>& column = item.column == ItemName::Column::kMain ? page.main : page.side;
  if (item.row < 0 || item.row >= static_cast<int>(column.size())) return std::nullopt;
  const ItemButton& button = column[static_cast<std::size_t>(item.row)];
  if (!item.IsMenuEntry()) {
    if (button.name == item) return button.imageIndex;
    return std::nullopt;
  }
  // The menu path leads down the submenus to the entry.
  const std::vector<MenuEntry>* entries = &button.menu;
  for (std::size_t level = 0; level < item.menuPath.size(); ++level) {
    const int index = item.menuPath[level];
    if (index < 0 || index >= static_cast<int>(entries->size())) return std::nullopt;
    const MenuEntry& entry = (*entries)[static_cast<std::size_t>(index)];
    if (level + 1 == item.menuPath.size()) {
      if (entry.kind == MenuEntryKind::kRunnable && entry.name == item) return entry.imageIndex;
      return std::nullopt;
    }
    entries = &entry.children;
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------

ItemExecutor::ItemExecutor(const ItemServices& services, ItemHost& host, const AppSettings& settings,
                           PendingMarker& state)
    : services_(services), host_(host), settings_(settings), state_(state), simple_(services.windows) {}

WindowId ItemExecutor::TargetWindow() {
  return host_.ModeIndex() == kLinkedMode ? host_.LinkedEditWindow() : simple_.Target();
}

void ItemExecutor::TimerTimer1() { simple_.TimerTimer1(host_.MainWindow(), host_.EditDummy()); }

bool ItemExecutor::ChooseItem(const ItemName& item, int imageIndex) {
  if (running_) return false;
  switch (ActionOfImage(imageIndex)) {
    case ItemAction::kText:
      ToolButtonClick1(item);
      return true;
    case ItemAction::kScript:
      ToolButtonClick2(item, imageIndex);
      return true;
    case ItemAction::kModule:
      ToolButtonClick3(item, imageIndex);
      return true;
    default:
      return false;
  }
}

std::optional<ItemExecutor::Start> ItemExecutor::CommonStart(const ItemName& item, int imageIndex) {
  if (running_) return std::nullopt;
  host_.StopWatchTimer();
  lastItem_ = item;
  lastImage_ = imageIndex;
  return Start{item.page, item.Key()};
}

std::optional<DataFileReader::Texts> ItemExecutor::ReadTexts(const Start& start) {
  const Bytes path = JoinPath(host_.ExeFolder(), host_.CurrentDataFile());
  std::optional<DataFileReader::Texts> texts = ReadItemTexts(services_.files, path, start.page, start.itemKey);
  if (!texts) host_.ShowWarningNear(DataErrorMessage({DataStatus::kUnreadable, path, 0}), kItemMessageOffset);
  return texts;
}

void ItemExecutor::DeliverTexts(const Bytes& before, const Bytes& after) {
  // Writing two empty texts would still cut the selection away.
  if (before.empty() && after.empty()) return;
  const int mode = host_.ModeIndex() == kLinkedMode ? kLinkedMode : kSimpleMode;
  const DeliverySettings delivery = SanitizeDelivery(settings_.modeDelivery[static_cast<std::size_t>(mode)]);
  lastDeliveryStatus_ =
      services_.delivery.Deliver(delivery.pasteKind, TargetWindow(), before, after,
                                 static_cast<std::uint32_t>(std::max(0, delivery.pasteInterval)),
                                 delivery.cutPasteKey,
                                 settings_.caretInside ? CaretPlacement::kBetween : CaretPlacement::kAfterText);
  if (lastDeliveryStatus_ != DeliveryStatus::kOk) host_.ShowDeliveryError(lastDeliveryStatus_);
}

void ItemExecutor::FinalStep() {
  WindowId top = TargetWindow();
  for (int depth = 0; depth < kMaxParentDepth; ++depth) {
    const WindowId parent = services_.windows.Parent(top);
    if (parent == kNoWindow) break;
    top = parent;
  }
  services_.windows.SetForeground(top);
  services_.windows.SetActive(top);
  state_.SetStartupPending(1);
}

void ItemExecutor::ToolButtonClick1(const ItemName& item) {
  const std::optional<Start> start = CommonStart(item, -1);
  if (!start) return;
  if (const std::optional<DataFileReader::Texts> texts = ReadTexts(*start)) {
    lastBefore_ = ExpandEscapes(texts->a, settings_.lineEnd);
    lastAfter_ = ExpandEscapes(texts->b, settings_.lineEnd);
    if (!lastBefore_.empty() || !lastAfter_.empty()) {
      host_.EnableRepeat();
      DeliverTexts(lastBefore_, lastAfter_);
    }
  }
  FinalStep();
}

void ItemExecutor::ToolButtonClick2(const ItemName& item, int imageIndex) {
  const std::optional<Start> start = CommonStart(item, imageIndex);
  if (!start) return;
  const Bytes program = JoinPath(host_.ExeFolder(), ReplaceExtension(host_.CurrentDataFile(), ".exe"));
  RunItemProgram(RunVariantOfImage(imageIndex), texts::kScriptKindName, start->itemKey + "a", program);
}

void ItemExecutor::ToolButtonClick3(const ItemName& item, int imageIndex) {
  const std::optional<Start> start = CommonStart(item, imageIndex);
  if (!start) return;
  const std::optional<DataFileReader::Texts> texts = ReadTexts(*start);
  if (!texts) {
    FinalStep();
    return;
  }
  const Bytes program = JoinPath(host_.ExeFolder(), FolderOf(host_.CurrentDataFile()) + texts->a);
  RunItemProgram(RunVariantOfImage(imageIndex), texts::kModuleKindName, texts->b, program);
}

void ItemExecutor::RunItemProgram(int variant, const Bytes& kindName, const Bytes& parameters,
                                  const Bytes& program) {
  ExchangeArea& exchange = services_.exchange;
  TransferBuffer* buffer1 = exchange.Buffer1();
  TransferBuffer* buffer2 = exchange.Buffer2();
  if (!services_.files.Exists(program)) {
    const bool script = kindName == texts::kScriptKindName;
    host_.ShowWarningNear(script ? kindName + texts::kProgramMissingText + texts::kScriptCompileHint : Bytes(texts::kProgramMissingText),
                          kItemMessageOffset);
    FinalStep();
    return;
  }
  if (!buffer1 || !buffer2) {
    // Without the exchange area the program could neither get nor give text.
    host_.ShowWarningNear(kindName + texts::kRunErrorText, kItemMessageOffset);
    FinalStep();
    return;
  }
  buffer1->Zero();
  if (variant == 1 || variant == 2) {
    const int mode = host_.ModeIndex() == kLinkedMode ? kLinkedMode : kSimpleMode;
    const DeliverySettings delivery = SanitizeDelivery(settings_.modeDelivery[static_cast<std::size_t>(mode)]);
    const DeliveryStatus status = services_.delivery.Fetch(
        delivery.pasteKind, TargetWindow(), static_cast<std::uint32_t>(std::max(0, delivery.pasteInterval)),
        delivery.cutPasteKey, /*cut=*/variant == 2, buffer1->Span());
    if (status != DeliveryStatus::kOk) host_.ShowDeliveryError(status);
    if (StopsExecution(status)) {
      FinalStep();
      return;
    }
  }
  buffer2->Zero();
  exchange.StoreWindowRect(host_.MainWindowRect());

  running_ = true;
  Processes::ShellResult started = services_.processes.ShellOpen(program, parameters, ShellStart::kStays);
  if (!started.started) {
    running_ = false;
    host_.ShowWarningNear(kindName + texts::kRunErrorText, kItemMessageOffset);
    FinalStep();
    return;
  }
  if (variant == 3) host_.HideMainWindow();
  WaitForProgram(started.process.get());
  if (variant == 3) host_.ShowMainWindow();
  running_ = false;

  Bytes before = WholeCharacters(buffer1->ReadText());
  Bytes after = WholeCharacters(buffer2->ReadText());
  if (!before.empty() || !after.empty()) {
    lastBefore_ = std::move(before);
    lastAfter_ = std::move(after);
    host_.EnableRepeat();
    DeliverTexts(lastBefore_, lastAfter_);
  }
  FinalStep();
}

void ItemExecutor::WaitForProgram(Process* process) {
  if (process) {
    while (!process->Wait(kWaitSliceMs)) host_.ProcessPendingMessages();
    return;
  }
  // No handle: the buffers are the only sign of the program's work. Wait for
  // them to change and then to hold still; give up after the limit and take
  // whatever is there (for a fetch, the selection itself).
  TransferBuffer* buffer1 = services_.exchange.Buffer1();
  TransferBuffer* buffer2 = services_.exchange.Buffer2();
  auto contents = [&] {
    std::vector<std::uint8_t> bytes(buffer1->Span().begin(), buffer1->Span().end());
    bytes.insert(bytes.end(), buffer2->Span().begin(), buffer2->Span().end());
    return bytes;
  };
  const std::vector<std::uint8_t> initial = contents();
  std::vector<std::uint8_t> last = initial;
  Processes& processes = services_.processes;
  const std::uint64_t start = processes.NowMilliseconds();
  std::optional<std::uint64_t> stableSince;
  while (processes.NowMilliseconds() - start < kNoHandleWaitLimitMs) {
    processes.Sleep(kWaitSliceMs);
    host_.ProcessPendingMessages();
    std::vector<std::uint8_t> now = contents();
    if (now != last) {
      last = std::move(now);
      stableSince = processes.NowMilliseconds();
    } else if (stableSince && processes.NowMilliseconds() - *stableSince >= kSettleMs) {
      return;
    }
  }
}

void ItemExecutor::Popup_RepeatClick() {
  if (running_ || !lastItem_) return;
  host_.StopWatchTimer();
  const bool rerun = (lastImage_ >= 0 && lastImage_ <= 2) || (lastImage_ >= 6 && lastImage_ <= 8);
  if (rerun) {
    const ItemName item = *lastItem_;
    ChooseItem(item, lastImage_);
  } else {
    DeliverTexts(lastBefore_, lastAfter_);
  }
  state_.SetStartupPending(1);
}

void ItemExecutor::ForgetLastItem() {
  lastItem_.reset();
  lastImage_ = -1;
  lastBefore_.clear();
  lastAfter_.clear();
}

bool ItemExecutor::RestoreMayGo() {
  const std::optional<std::uint64_t> writtenAt = services_.delivery.PasteWrittenAt();
  if (!writtenAt) return true;
  // Something newer is on the clipboard: the restore will leave it alone.
  if (!services_.delivery.RestoreIsSafe()) return true;
  const std::uint64_t elapsed = services_.processes.NowMilliseconds() - *writtenAt;
  switch (services_.clipboard.PasteTextRead()) {
    case PasteRead::kByReader: return true;
    case PasteRead::kUnknown: return elapsed >= kPasteGraceMs;
    case PasteRead::kNotRead:
    case PasteRead::kByOther: break;
  }
  return elapsed >= kPasteReadLimitMs;
}

IdleResult ItemExecutor::IdleStep() {
  if (!state_.DeliveryIdlePending()) return IdleResult::kNothingPending;
  if (running_) return IdleResult::kBusy;
  DeliveryRoutines& delivery = services_.delivery;
  std::optional<DeliveryStatus> notice;
  if (delivery.RestorePending()) {
    const std::uint64_t now = services_.processes.NowMilliseconds();
    if (!restoreSince_) restoreSince_ = now;
    if (!RestoreMayGo()) {
      host_.WakeIdleAfter(kRestorePollMs);
      return IdleResult::kWaitingForPaste;
    }
    // Nobody at all asked for the text within the limit: the keys did not
    // reach the target, or it ignored them.
    const std::optional<std::uint64_t> writtenAt = delivery.PasteWrittenAt();
    const bool neverRead = writtenAt && now - *writtenAt >= kPasteReadLimitMs &&
                           services_.clipboard.PasteTextRead() == PasteRead::kNotRead && delivery.RestoreIsSafe();
    const RestoreResult restored = delivery.RestoreSavedClipboard();
    if (restored == RestoreResult::kClipboardUnavailable) {
      // The target or a monitor may still hold it open while it reads.
      if (now - *restoreSince_ < kPasteReadLimitMs) {
        host_.WakeIdleAfter(kRestorePollMs);
        return IdleResult::kWaitingForPaste;
      }
      // Still pending: the next write keeps it and its idle step tries again.
      notice = DeliveryStatus::kClipboardUnavailable;
    } else if (restored == RestoreResult::kPartlyRestored) {
      notice = DeliveryStatus::kFormatsNotRestored;
    } else if (restored == RestoreResult::kLateCutKept) {
      notice = DeliveryStatus::kLateCutOnClipboard;
    }
    if (neverRead && !StopsExecution(lastDeliveryStatus_) && !notice) notice = DeliveryStatus::kTextNotTaken;
  }
  restoreSince_.reset();
  lastDeliveryStatus_ = DeliveryStatus::kOk;
  state_.SetStartupPending(0);
  services_.windows.SetFocus(TargetWindow());
  host_.StartWatchTimer();
  // Shown last: the box runs a message loop of its own, whose idle moments
  // must find the execution ended.
  if (notice) host_.ShowDeliveryError(*notice);
  return IdleResult::kDone;
}

}  // namespace quiltor
