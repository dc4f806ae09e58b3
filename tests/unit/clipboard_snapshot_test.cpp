#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <memory>

#include "delivery/clipboard_formats.h"
#include "delivery/snapshot_taker.h"
#include "fakes/fake_clipboard_reader.h"

namespace quiltor {
namespace {

using fakes::FakeClipboardReader;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kRegistered = 0xC010;
constexpr std::uint32_t kOtherRegistered = 0xC020;

TEST(ClipboardFormatsTest, OneFormatOfEachFamilyIsAskedForCheapOnesFirst) {
  struct Case {
    const char* name;
    std::vector<std::uint32_t> listed;
    std::vector<std::size_t> toAsk;
    std::vector<std::uint32_t> notCopyable;
  };
  const Case cases[] = {
      {"the owner's text form only", {kCfUnicodeText, kCfText, kCfLocale, kCfOemText}, {0, 2}, {}},
      {"a bitmap through its DIB form", {kCfBitmap, kCfDib, kCfDibV5}, {1}, {}},
      {"a metafile picture through its enhanced form", {kCfMetafilePict, kCfEnhMetafile}, {1}, {}},
      {"handles that are no memory block are named", {kCfOwnerDisplay, 0x210, 0x310, kCfDspBitmap},
       {}, {kCfOwnerDisplay, 0x210, 0x310, kCfDspBitmap}},
      {"text and file lists, then the rest, pictures last",
       {kRegistered, kCfDib, kCfText, kCfHDrop, kOtherRegistered}, {2, 3, 0, 4, 1}, {}},
      {"nothing on the clipboard", {}, {}, {}},
  };
  for (const Case& c : cases) {
    const SnapshotPlan plan = PlanSnapshot(c.listed);
    EXPECT_EQ(plan.toAsk, c.toAsk) << c.name;
    EXPECT_EQ(plan.notCopyable, c.notCopyable) << c.name;
  }
}

// Real threads and real time, with short limits; this test also runs under
// ThreadSanitizer.
class SnapshotTakerTest : public ::testing::Test {
 protected:
  static constexpr SnapshotTaker::Limits kLimits{100, 400, 200};

  std::shared_ptr<FakeClipboardReader> reader = std::make_shared<FakeClipboardReader>(
      std::vector<FakeClipboardReader::Entry>{{kCfUnicodeText, "u"},
                                              {kCfText, "t"},
                                              {kRegistered, "private"},
                                              {kCfDib, "picture"},
                                              {0x210, "handle"}});
  SnapshotTaker taker{reader, kLimits};

  static std::vector<std::uint32_t> Ids(const ClipboardSnapshot& snapshot) {
    std::vector<std::uint32_t> ids;
    for (const auto& format : snapshot.formats) ids.push_back(format.id);
    return ids;
  }
  static std::vector<std::uint32_t> NotKept(const ClipboardSnapshot& snapshot) {
    std::vector<std::uint32_t> ids;
    for (const auto& format : snapshot.notKept) ids.push_back(format.id);
    return ids;
  }
};

TEST_F(SnapshotTakerTest, KeepsEveryCopyableFormatInTheClipboardsOrderAndLetsItGo) {
  for (int round = 0; round < 3; ++round) {
    const std::optional<ClipboardSnapshot> snapshot = taker.Take();
    ASSERT_TRUE(snapshot) << round;
    EXPECT_EQ(Ids(*snapshot), (std::vector<std::uint32_t>{kCfUnicodeText, kRegistered, kCfDib})) << round;
    EXPECT_EQ(snapshot->formats[1].name, "Registered" + std::to_string(kRegistered));
    EXPECT_EQ(snapshot->formats[2].data, "picture");
    EXPECT_EQ(NotKept(*snapshot), (std::vector<std::uint32_t>{0x210})) << round;
    EXPECT_FALSE(reader->IsOpen()) << "closed before the caller goes on";
  }
  EXPECT_EQ(reader->Asked(), (std::vector<std::uint32_t>{kCfUnicodeText, kRegistered, kCfDib, kCfUnicodeText,
                                                          kRegistered, kCfDib, kCfUnicodeText, kRegistered, kCfDib}));
  EXPECT_FALSE(reader->OpenedTwice());
}

TEST_F(SnapshotTakerTest, AFormatNeverRenderedIsGivenUpAndItsWorkerWaitedForOnce) {
  reader->Hold(kRegistered);
  Clock::time_point start = Clock::now();
  std::optional<ClipboardSnapshot> snapshot = taker.Take();
  ASSERT_TRUE(snapshot);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kLimits.snapshotMs));
  EXPECT_EQ(Ids(*snapshot), (std::vector<std::uint32_t>{kCfUnicodeText}));
  EXPECT_EQ(NotKept(*snapshot), (std::vector<std::uint32_t>{0x210, kRegistered, kCfDib}));
  EXPECT_TRUE(reader->IsOpen()) << "the stuck worker still holds the clipboard";

  // The next call waits for the stuck worker, once, and then gives up.
  start = Clock::now();
  EXPECT_FALSE(taker.Take());
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(kLimits.abandonedWaitMs));
  start = Clock::now();
  EXPECT_FALSE(taker.SettleAbandoned());
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kLimits.abandonedWaitMs));

  // Rendered at last: once the worker has let go, the next snapshot is whole.
  reader->Release(kRegistered);
  const Clock::time_point limit = Clock::now() + std::chrono::seconds(5);
  while (!(snapshot = taker.Take()) && Clock::now() < limit) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(Ids(*snapshot), (std::vector<std::uint32_t>{kCfUnicodeText, kRegistered, kCfDib}));
  EXPECT_FALSE(reader->OpenedTwice());
}

TEST_F(SnapshotTakerTest, ALateRenderingWithinItsLimitIsKeptAndAClipboardHeldElsewhereIsReported) {
  reader->Hold(kCfDib);
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(kLimits.formatMs / 3));
    reader->Release(kCfDib);
  });
  const std::optional<ClipboardSnapshot> snapshot = taker.Take();
  releaser.join();
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(Ids(*snapshot), (std::vector<std::uint32_t>{kCfUnicodeText, kRegistered, kCfDib}));

  reader->SetHeldByAnotherProgram(true);
  EXPECT_FALSE(taker.Take());
  reader->SetHeldByAnotherProgram(false);
  EXPECT_TRUE(taker.Take());
}

}  // namespace
}  // namespace quiltor
