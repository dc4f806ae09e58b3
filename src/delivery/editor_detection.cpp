#include "delivery/editor_detection.h"

#include <algorithm>
#include <utility>

#include "delivery/editor_tests.h"
#include "text/texts.h"

namespace quiltor {

Bytes HandleText(WindowId window) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  Bytes text(8, '0');
  auto value = static_cast<std::uint32_t>(window);
  for (int i = 7; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
  return text;
}

EditorDetection::EditorDetection(DetectionScope scope, int startInterval, int startPasteKind, int radioItem,
                                 std::int32_t storedCutPasteKey)
    : pasteKind(startPasteKind == 1 ? 1 : 0), interval(startInterval), scope_(std::move(scope)) {
  if (radioItem == kDirectKeys) {
    cutPaste.keys = DecodeKeys(storedCutPasteKey);
    cutPaste.Choose(kDirectKeys);
  } else {
    cutPaste.Choose(radioItem);
  }
}

void EditorDetection::ListTopWindows(WindowSystem& windows) {
  selectedTop_.reset();
  std::vector<std::pair<WindowId, std::uint32_t>> rows;
  windows.EnumTop([&](WindowId window) {
    if (scope_.before.count(window)) return true;
    const std::uint32_t process = windows.ProcessOf(window);
    if (process != scope_.tool) rows.emplace_back(window, process);
    return true;
  });
  std::stable_partition(rows.begin(), rows.end(), [&](const auto& row) { return row.second == scope_.started; });
  topRows_.clear();
  rowProcesses_.clear();
  for (const auto& [window, process] : rows) {
    topRows_.push_back(window);
    rowProcesses_.push_back(process);
  }
}

void EditorDetection::ChooseTop(WindowSystem& windows, std::size_t row) {
  if (row >= topRows_.size()) return;
  selectedTop_ = row;
  chosenProcesses_.insert(rowProcesses_[row]);
  const WindowId top = topRows_[row];
  classWk1_ = windows.ClassName(top);
  classWk2_.clear();
  childRows_.assign(1, top);
  windows.EnumChildren(top, [&](WindowId child) {
    childRows_.push_back(child);
    return true;
  });
  selectedChild_ = 0;
}

void EditorDetection::ChooseChild(WindowSystem& windows, std::size_t row) {
  if (row >= childRows_.size()) return;
  selectedChild_ = row;
  if (row == 0) {
    classWk2_.clear();
  } else {
    classWk2_ = windows.ClassName(childRows_[row]);
  }
}

std::vector<Bytes> EditorDetection::TopTexts() const {
  std::vector<Bytes> texts;
  for (WindowId window : topRows_) texts.push_back(HandleText(window));
  return texts;
}

std::vector<Bytes> EditorDetection::ChildTexts() const {
  std::vector<Bytes> texts;
  for (std::size_t i = 0; i < childRows_.size(); ++i) {
    texts.push_back(i == 0 ? Bytes(texts::kParentWindowRow) : HandleText(childRows_[i]));
  }
  return texts;
}

std::int32_t EditorDetection::KeySetting() const {
  if (cutPaste.button == kStandard1) return kDefaultCutPasteKey;
  if (cutPaste.button == kStandard2) return kInsertDeleteCutPasteKey;
  return ComposeKeys(cutPaste.keys);
}

EditorDetection::TestResult EditorDetection::Test(DeliveryRoutines& delivery, std::span<std::uint8_t> buffer1,
                                                  const Bytes& lineEnd) {
  TestResult result;
  if (!selectedChild_ || *selectedChild_ >= childRows_.size()) return result;
  result.ran = true;
  const WindowId target = childRows_[*selectedChild_];
  const auto wait = static_cast<std::uint32_t>(std::max(interval, 0));
  if (testCopy) {
    std::fill(buffer1.begin(), buffer1.end(), std::uint8_t{0});
    result.status = delivery.Fetch(pasteKind, target, wait, KeySetting(), false, buffer1);
    const auto end = std::find(buffer1.begin(), buffer1.end(), std::uint8_t{0});
    result.copied = Bytes(buffer1.begin(), end);
    delivery.RestoreSavedClipboard();
  } else {
    if (std::find(written_.begin(), written_.end(), target) == written_.end()) written_.push_back(target);
    result.status = WriteTestTexts(delivery, target, pasteKind, interval, KeySetting(), lineEnd);
  }
  return result;
}

void EditorDetection::HandOver(LinkedTab& tab) const {
  tab.pasteKind = pasteKind;
  tab.interval = interval;
  if (!selectedTop_) return;
  tab.className1 = classWk1_;
  tab.className2 = classWk2_;
  tab.className2Ticked = !classWk2_.empty();
}

std::vector<WindowId> EditorDetection::EditorRows() const {
  auto rowsOf = [&](auto belongs) {
    std::vector<WindowId> rows;
    for (std::size_t i = 0; i < topRows_.size(); ++i) {
      if (belongs(rowProcesses_[i])) rows.push_back(topRows_[i]);
    }
    return rows;
  };
  std::vector<WindowId> rows = rowsOf([&](std::uint32_t process) {
    return process == scope_.started || chosenProcesses_.count(process) != 0;
  });
  if (rows.empty() && !topRows_.empty()) {
    rows = rowsOf([&](std::uint32_t process) { return process == rowProcesses_.front(); });
  }
  return rows;
}

void EditorDetection::CloseEditor(WindowSystem& windows) const {
  const std::vector<WindowId> rows = EditorRows();
  // A written child is only undone: it closes with its top-level window.
  for (WindowId window : written_) {
    if (std::find(rows.begin(), rows.end(), window) != rows.end()) continue;
    UndoTestText(windows, window);
  }
  if (rows.empty()) return;
  windows.SetForeground(rows.front());
  for (WindowId window : rows) {
    windows.SetFocus(window);
    UndoTestText(windows, window);
    windows.Post(window, kWmClose);
  }
}

}  // namespace quiltor
