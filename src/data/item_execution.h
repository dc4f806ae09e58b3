#pragma once
// What happens when the user chooses an item of a data page: text items are
// written into the target window, scripts and modules are run with the
// target's selection in the exchange area and their output is written back.
// Also the re-edit command and the idle step that ends every execution.
// Pure logic: the main window implements ItemHost, the platform does the rest.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "data/data_file.h"
#include "data/pending_marker.h"
#include "data/simple_target.h"
#include "delivery/delivery.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/types.h"
#include "platform/window_system.h"
#include "text/texts.h"

namespace quiltor {

class ExchangeArea;
struct AppSettings;
struct DataPage;

// Where the tool's own messages about item programs appear, from the main
// window's top left corner.
inline constexpr Point kItemMessageOffset{10, 38};

// The main window as item execution needs it. Every call happens on the
// user-interface thread.
class ItemHost {
 public:
  virtual ~ItemHost() = default;
  virtual WindowId MainWindow() = 0;
  virtual WindowId EditDummy() = 0;
  // The main window's rectangle in screen pixels.
  virtual Rect MainWindowRect() = 0;
  // 0 simple mode, 1 linked mode (the down state of ToolButton_Mode).
  virtual int ModeIndex() = 0;
  // The linked edit window (linked-mode target); kNoWindow when none.
  virtual WindowId LinkedEditWindow() = 0;
  // The executable's folder (with or without a trailing backslash) and the
  // current data file relative to it.
  virtual Bytes ExeFolder() = 0;
  virtual Bytes CurrentDataFile() = 0;

  virtual void StopWatchTimer() = 0;
  virtual void StartWatchTimer() = 0;
  // Enables ToolButton_Repeat and Popup_Repeat.
  virtual void EnableRepeat() = 0;
  // A warning with an OK button near the main window (ShowMessageNearWindow),
  // `offset` pixels from its top left corner; the text is CP932.
  virtual void ShowWarningNear(const Bytes& text, Point offset) = 0;
  // A delivery did not go as asked: its message (ui/delivery_messages.h) near the window.
  virtual void ShowDeliveryError(DeliveryStatus status) = 0;
  virtual void HideMainWindow() = 0;
  virtual void ShowMainWindow() = 0;
  // Handles the tool's pending window messages (PeekMessage / Dispatch) and
  // returns; called between the waits for a running program.
  virtual void ProcessPendingMessages() = 0;
  // Makes the message loop run its idle processing again after about
  // `milliseconds` even when no message arrives (a one-shot timer).
  virtual void WakeIdleAfter(std::uint32_t milliseconds) = 0;
};

// The platform services item execution uses.
struct ItemServices {
  FileSystem& files;
  Clipboard& clipboard;
  WindowSystem& windows;
  Processes& processes;
  DeliveryRoutines& delivery;
  ExchangeArea& exchange;
};

// What the idle step did.
enum class IdleResult {
  kNothingPending,  // StartupPending was not 1..99
  kBusy,            // an item program is running; nothing was touched
  kWaitingForPaste, // the target has not read the written text yet; called again later
  kDone,            // clipboard back, StartupPending 0, focus on the target, timer running
};

class ItemExecutor {
 public:
  // A paste by keys is handled by the target whenever it gets to it. The
  // user's clipboard goes back only once the target's process has read the
  // written text (a clipboard monitor's read does not count), or, when it
  // cannot be told, after a short grace period; a target that has not read
  // it within the limit is taken as never reading it. A clipboard that
  // cannot be opened for the restore is tried again up to the same limit.
  static constexpr std::uint32_t kPasteReadLimitMs = 3000;
  static constexpr std::uint32_t kPasteGraceMs = 500;
  static constexpr std::uint32_t kRestorePollMs = 10;
  // A program started without a process handle cannot be waited for: its
  // output is awaited in the buffers instead, for at most this long, and is
  // taken once it has stayed unchanged for kSettleMs.
  static constexpr std::uint32_t kNoHandleWaitLimitMs = 5000;
  static constexpr std::uint32_t kSettleMs = 300;
  static constexpr std::uint32_t kWaitSliceMs = 100;

  ItemExecutor(const ItemServices& services, ItemHost& host, const AppSettings& settings,
               PendingMarker& state);

  // Dispatches on the item's image index (−1 text, 0..5 script, 6..11
  // module); other images do nothing. False when nothing ran.
  bool ChooseItem(const ItemName& item, int imageIndex);
  void ToolButtonClick1(const ItemName& item);
  void ToolButtonClick2(const ItemName& item, int imageIndex);
  void ToolButtonClick3(const ItemName& item, int imageIndex);
  // Shared by scripts and modules; `variant` 0..5.
  void RunItemProgram(int variant, const Bytes& kindName, const Bytes& parameters,
                      const Bytes& program);

  // Re-edit: runs the last item again (images 0..2 and 6..8) or writes the
  // last texts again.
  void Popup_RepeatClick();
  bool HasLastItem() const { return lastItem_.has_value(); }
  // The pages were built anew: the component chosen last is gone, and an
  // item of the new file under the same name is another item.
  void ForgetLastItem();

  // Runs while StartupPending is 1..99, at an idle moment.
  IdleResult IdleStep();

  // The watch timer's simple-mode handler.
  void TimerTimer1();
  SimpleTarget& Simple() { return simple_; }
  // The target window of the mode in force.
  WindowId TargetWindow();

  // True while an item program runs; a second execution is refused then, as
  // it would overwrite the buffers the running program works on.
  bool Running() const { return running_; }

  const std::optional<ItemName>& LastItem() const { return lastItem_; }
  int LastImageIndex() const { return lastImage_; }
  const Bytes& LastBefore() const { return lastBefore_; }
  const Bytes& LastAfter() const { return lastAfter_; }

 private:
  struct Start {
    int page = 0;
    Bytes itemKey;
  };
  std::optional<Start> CommonStart(const ItemName& item, int imageIndex);
  std::optional<DataFileReader::Texts> ReadTexts(const Start& start);
  void FinalStep();
  void DeliverTexts(const Bytes& before, const Bytes& after);
  void WaitForProgram(Process* process);
  bool RestoreMayGo();

  ItemServices services_;
  ItemHost& host_;
  const AppSettings& settings_;
  PendingMarker& state_;
  SimpleTarget simple_;
  std::optional<ItemName> lastItem_;
  int lastImage_ = -1;
  Bytes lastBefore_;
  Bytes lastAfter_;
  bool running_ = false;
  // What the last write said, so the idle step does not report it twice.
  DeliveryStatus lastDeliveryStatus_ = DeliveryStatus::kOk;
  // When the idle step first tried to give the user's clipboard back.
  std::optional<std::uint64_t> restoreSince_;
};

// The image index of the runnable button or menu entry `item`; nullopt when
// `pages` holds no such item.
std::optional<int> FindItemImage(const std::vector<DataPage>& pages, const ItemName& item);

}  // namespace quiltor
