#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "exchange/exchange_area.h"
#include "exchange/hot_keys.h"
#include "exchange/second_start.h"
#include "fakes/fake_keyboard.h"
#include "fakes/fake_shared_memory.h"

namespace quiltor {
namespace {

std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;  // the tests run on little-endian machines only
}

struct Started {
  fakes::FakeSharedMemory memory;
  ExchangeArea area{memory};
  Started(const Bytes& lineEnd = "\r\n", std::uint32_t size1 = 1024, std::uint32_t size2 = 1024) {
    EXPECT_TRUE(area.CreateExchangeBlock());
    area.StoreLineEnd(lineEnd);
    area.StoreBufferSizes(size1, size2);
    EXPECT_TRUE(area.CreateTransferBuffers());
  }
  std::vector<std::uint8_t>& Block() { return *memory.Contents(kExchangeBlockName); }
};

TEST(ExchangeArea, BlockLayoutThatModulesRelyOn) {
  Started started;
  auto& block = started.Block();
  ASSERT_EQ(block.size(), 288u);
  EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 4, block.begin() + 7),
            (std::vector<std::uint8_t>{13, 10, 0}));
  EXPECT_EQ(U32At(block, 280), 1024u);
  EXPECT_EQ(U32At(block, 284), 1024u);
  EXPECT_TRUE(std::all_of(block.begin() + 8, block.begin() + 264, [](auto b) { return b == 0; }));
  EXPECT_EQ(started.memory.Contents(kTransferBuffer1Name)->size(), 1024u);
  EXPECT_EQ(started.memory.Contents(kTransferBuffer2Name)->size(), 1024u);

  started.area.StoreWindowRect({-5, 20, 270, 302});
  started.area.PublishMainWindow(0x1234);
  EXPECT_EQ(static_cast<std::int32_t>(U32At(block, 264)), -5);
  EXPECT_EQ(U32At(block, 268), 20u);
  EXPECT_EQ(U32At(block, 272), 275u);
  EXPECT_EQ(U32At(block, 276), 282u);
  EXPECT_EQ(U32At(block, 0), 0x1234u);
  EXPECT_EQ(ReadPublishedMainWindow(started.memory), 0x1234u);
}

TEST(ExchangeArea, LineEndFieldForEachSetting) {
  const struct { Bytes lineEnd; std::vector<std::uint8_t> field; } cases[] = {
      {"\r", {13, 0, 0, 0}}, {"\n", {10, 0, 0, 0}}, {"\r\n", {13, 10, 0, 0}}};
  for (const auto& c : cases) {
    Started started(c.lineEnd);
    auto& block = started.Block();
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 4, block.begin() + 8), c.field);
  }
}

TEST(ExchangeArea, CurrentFileNeverRunsPastItsField) {
  Started started;
  auto& block = started.Block();
  std::fill(block.begin() + 264, block.end(), 0xAB);  // sentinel after the field

  EXPECT_TRUE(started.area.StoreCurrentFile("C:\\a.txt"));
  EXPECT_EQ(started.area.CurrentFile(), "C:\\a.txt");

  // 255 bytes and the terminator fill the field exactly.
  EXPECT_TRUE(started.area.StoreCurrentFile(Bytes(255, 'x')));
  EXPECT_EQ(started.area.CurrentFile(), Bytes(255, 'x'));
  EXPECT_EQ(block[8 + 255], 0);
  // One byte more would not fit: a cut path could name another file, so no
  // path is published at all.
  const Bytes longPath = Bytes(254, 'x') + "\x83\x65" + "tail";
  EXPECT_FALSE(started.area.StoreCurrentFile(longPath));
  EXPECT_EQ(started.area.CurrentFile(), "");
  EXPECT_TRUE(std::all_of(block.begin() + 8, block.begin() + 264, [](auto b) { return b == 0; }));
  EXPECT_EQ(block[264], 0xAB);

  EXPECT_TRUE(started.area.StoreCurrentFile(""));
  EXPECT_TRUE(std::all_of(block.begin() + 8, block.begin() + 264, [](auto b) { return b == 0; }));
}

TEST(ExchangeArea, TransferBufferTextsStayInsideTheBuffer) {
  Started started("\r\n", 256, 300);
  TransferBuffer& buffer1 = *started.area.Buffer1();
  ASSERT_EQ(buffer1.Size(), 256u);

  EXPECT_TRUE(buffer1.WriteText("abc"));
  EXPECT_EQ(buffer1.ReadText(), "abc");
  EXPECT_FALSE(buffer1.WriteText(Bytes(300, 'y')));
  EXPECT_EQ(buffer1.ReadText(), Bytes(255, 'y'));

  // A module that fills the whole buffer without a terminator is read only to the end.
  std::memset(buffer1.Span().data(), 'z', buffer1.Size());
  EXPECT_EQ(buffer1.ReadText(), Bytes(256, 'z'));
  buffer1.Zero();
  EXPECT_EQ(buffer1.ReadText(), "");
}

TEST(ExchangeArea, BuffersAreRecreatedWithNewSizesAndReleasedInOrder) {
  Started started;
  started.area.Buffer1()->WriteText("old");
  started.area.StoreBufferSizes(2048, 512);
  ASSERT_TRUE(started.area.CreateTransferBuffers());
  EXPECT_EQ(started.area.Buffer1()->Size(), 2048u);
  EXPECT_EQ(started.area.Buffer2()->Size(), 512u);
  EXPECT_EQ(started.area.Buffer1()->ReadText(), "");

  started.memory.released.clear();
  started.area.Release();
  EXPECT_EQ(started.memory.released,
            (std::vector<std::string>{kExchangeBlockName, kTransferBuffer1Name, kTransferBuffer2Name}));
}

TEST(ExchangeArea, SecondStartFindsNoWindowBeforeThePublish) {
  fakes::FakeSharedMemory memory;
  EXPECT_EQ(ReadPublishedMainWindow(memory), kNoWindow);
  ExchangeArea area(memory);
  ASSERT_TRUE(area.CreateExchangeBlock());
  EXPECT_EQ(ReadPublishedMainWindow(memory), kNoWindow);
}

class RecordingHotKeys final : public HotKeys {
 public:
  bool Register(WindowId, int id, std::uint32_t modifiers, std::uint32_t vk) override {
    calls.push_back("register " + std::to_string(id) + " " + std::to_string(modifiers) + " " +
                    std::to_string(vk));
    return !(refuseRepeat && id == kHotKeyRepeat);
  }
  void Unregister(WindowId, int id) override { calls.push_back("unregister " + std::to_string(id)); }
  bool refuseRepeat = false;
  std::vector<std::string> calls;
};

TEST(HotKeys, EachHotKeyRegistersIndependentlyAndOnlyWhatWasTakenIsGivenBack) {
  RecordingHotKeys hotKeys;
  hotKeys.refuseRepeat = true;
  std::vector<HotKeyFailure> failures;
  {
    HotKeyRegistration registration(hotKeys);
    registration.Register(1, {{true, 6, 'Q'}, {true, 1, 'A'}}, [&](HotKeyFailure f) { failures.push_back(f); });
    EXPECT_EQ(hotKeys.calls, (std::vector<std::string>{"register 0 6 81", "register 1 1 65"}));
    EXPECT_EQ(failures, std::vector<HotKeyFailure>{HotKeyFailure::Repeat});
    EXPECT_FALSE(registration.Holds(kHotKeyRepeat));
    EXPECT_TRUE(registration.Holds(kHotKeyActivate));

    // New settings: the refused re-edit key is not "unregistered" from its
    // owner; the activate key is given back before the new one is taken.
    hotKeys.calls.clear();
    hotKeys.refuseRepeat = false;
    registration.Register(1, {{true, 3, 'R'}, {false, 1, 'A'}}, {});
    EXPECT_EQ(hotKeys.calls, (std::vector<std::string>{"unregister 1", "register 0 3 82"}));
    hotKeys.calls.clear();
  }
  // The end of the tool gives back what it holds.
  EXPECT_EQ(hotKeys.calls, std::vector<std::string>{"unregister 0"});

  hotKeys.calls.clear();
  {
    HotKeyRegistration none(hotKeys);
    none.Register(1, {}, [&](HotKeyFailure f) { failures.push_back(f); });
  }
  EXPECT_TRUE(hotKeys.calls.empty());
}

TEST(HotKeys, ReleaseLetsGoOfThePressedHotKeyOnly) {
  fakes::FakeKeyboard keyboard;
  const HotKeyConfig config{{true, 2, 'Q'}, {true, 5, 'A'}};  // Ctrl+Q, Shift+Alt+A
  auto vks = [](const std::vector<KeyEvent>& events) {
    std::vector<int> out;
    for (const KeyEvent& e : events) {
      EXPECT_TRUE(e.up);
      out.push_back(e.vk);
    }
    return out;
  };
  EXPECT_EQ(vks(HotKeyReleaseEvents(config, kHotKeyRepeat, keyboard)), (std::vector<int>{'Q', 0x11}));
  EXPECT_EQ(vks(HotKeyReleaseEvents(config, kHotKeyActivate, keyboard)), (std::vector<int>{'A', 0x12, 0x10}));
  EXPECT_TRUE(HotKeyReleaseEvents(config, 7, keyboard).empty());
}

}  // namespace
}  // namespace quiltor

namespace quiltor {
namespace {

TEST(ExchangeArea, BufferSizesFromAHandEditedFileStayUsable) {
  EXPECT_EQ(ClampBufferSize(0), 256u);
  EXPECT_EQ(ClampBufferSize(-5), 256u);
  EXPECT_EQ(ClampBufferSize(1024), 1024u);
  EXPECT_EQ(ClampBufferSize(std::int64_t{1} << 40), 32768u);
}

TEST(SecondStartTest, AnInstanceOutOfReachIsReportedInsteadOfEndingSilently) {
  struct Case {
    const char* name;
    FirstInstanceFacts facts;
    SecondStartOutcome expected;
  };
  const Case cases[] = {
      {"none runs", {LockState::kAbsent, false, SendStatus::kDone}, SecondStartOutcome::kRunHere},
      {"handed over", {LockState::kOpened, true, SendStatus::kDone}, SecondStartOutcome::kHandedOver},
      {"still starting", {LockState::kOpened, false, SendStatus::kDone}, SecondStartOutcome::kStillStarting},
      {"its window hangs", {LockState::kOpened, true, SendStatus::kNoAnswer}, SecondStartOutcome::kHandedOver},
      {"its window closed meanwhile", {LockState::kOpened, true, SendStatus::kWindowGone},
       SecondStartOutcome::kHandedOver},
      // Run as administrator: its lock cannot be opened, or its window refuses the hand-over.
      {"lock refused", {LockState::kRefused, false, SendStatus::kDone}, SecondStartOutcome::kCannotReach},
      {"hand-over refused", {LockState::kOpened, true, SendStatus::kRefused}, SecondStartOutcome::kCannotReach},
  };
  for (const Case& c : cases) EXPECT_EQ(JudgeSecondStart(c.facts), c.expected) << c.name;
}

}  // namespace
}  // namespace quiltor
