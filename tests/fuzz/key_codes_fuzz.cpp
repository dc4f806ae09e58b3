// Key codes from any setting value: whatever a settings file holds, only
// valid codes reach the key tables, every key pressed is released, and a
// valid packed value survives decoding and encoding unchanged.
#include <cstdint>
#include <vector>

#include "delivery/delivery.h"
#include "fakes/fake_clipboard.h"
#include "fakes/fake_keyboard.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_windows.h"
#include "fuzz_support.h"
#include "settings/key_codes.h"

namespace quiltor {
namespace {

void CheckCode(DeliveryRoutines& routines, int code) {
  const std::vector<KeyEvent> events = routines.KeyEventsFor(code);
  if (!IsValidKeyCode(code)) {
    FUZZ_CHECK(events.empty());
    return;
  }
  const int modifiers = KeyCodeModifiers(code);
  const int key = KeyCodeNumber(code);
  FUZZ_CHECK(modifiers >= 0 && modifiers <= 7 && key >= 0 && key < kKeyNumberCount);
  FUZZ_CHECK(MakeKeyCode(modifiers, key) == code);
  FUZZ_CHECK(!KeyNumberName(key).empty());
  FUZZ_CHECK(KeyNumberVirtualKey(key).has_value());
  // Modifiers down, the key down and up, modifiers up in reverse order.
  const std::size_t count = ModifierKeys(modifiers).size();
  FUZZ_CHECK(events.size() == 2 * count + 2);
  for (std::size_t i = 0; i < events.size(); ++i) {
    const KeyEvent& event = events[i];
    const KeyEvent& pair = events[events.size() - 1 - i];
    FUZZ_CHECK(event.vk == pair.vk && event.up == (i >= events.size() / 2) && pair.up != event.up);
  }
}

}  // namespace
}  // namespace quiltor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quiltor;
  FuzzedDataProvider input(data, size);
  const auto packed32 = input.ConsumeIntegral<std::int32_t>();
  const auto packed64 = input.ConsumeIntegral<std::int64_t>();
  const int code = input.ConsumeIntegral<int>();

  const CutPasteCodes decoded = DecodeCutPasteKey(packed32);
  FUZZ_CHECK(EncodeCutPasteKey(decoded) == packed32);
  const std::int32_t sane = SanitizeCutPasteKey(packed32);
  FUZZ_CHECK(IsValidCutPasteKey(sane) && SanitizeCutPasteKey(sane) == sane);
  FUZZ_CHECK(sane == packed32 || sane == kDefaultCutPasteKey);
  FUZZ_CHECK(IsValidCutPasteKey(packed32) == (sane == packed32));

  fakes::FakeClipboard clipboard;
  fakes::FakeWindows windows(clipboard);
  fakes::FakeKeyboard keyboard;
  fakes::FakeProcesses processes;
  DeliveryRoutines routines(clipboard, windows, keyboard, processes);
  for (const std::int64_t value : {static_cast<std::int64_t>(packed32), packed64}) {
    const CutPasteCodes keys = KeyCodesForDelivery(value);
    for (const int keyCode : {keys.copy, keys.cut, keys.paste}) {
      FUZZ_CHECK(IsValidKeyCode(keyCode));
      CheckCode(routines, keyCode);
    }
    if (value >= 0 && value <= 999999999 && IsValidCutPasteKey(static_cast<std::int32_t>(value))) {
      FUZZ_CHECK(EncodeCutPasteKey(keys) == value);
    }
  }
  CheckCode(routines, code);
  FUZZ_CHECK(routines.PressKeyCode(code) == IsValidKeyCode(code));
  FUZZ_CHECK(ModifierKeys(code).empty() == (code < 0 || code > 7 || code == 0));
  return 0;
}
