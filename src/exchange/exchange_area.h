#pragma once
// The named shared memory the tool shares with a second start of itself and
// with the edit modules and scripts it runs. The layout is a contract with
// programs outside this project: offsets must never move.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/shared_memory.h"
#include "platform/types.h"

namespace quiltor {

inline constexpr char kExchangeBlockName[] = "QuiltorCommonMemory";
inline constexpr char kTransferBuffer1Name[] = "QuiltorCommonMemory1";
inline constexpr char kTransferBuffer2Name[] = "QuiltorCommonMemory2";

inline constexpr std::size_t kExchangeBlockSize = 288;
inline constexpr std::size_t kOffsetMainWindow = 0;
inline constexpr std::size_t kOffsetLineEnd = 4;
inline constexpr std::size_t kOffsetCurrentFile = 8;
inline constexpr std::size_t kCurrentFileFieldSize = 256;
inline constexpr std::size_t kOffsetWindowLeft = 264;
inline constexpr std::size_t kOffsetWindowTop = 268;
inline constexpr std::size_t kOffsetWindowWidth = 272;
inline constexpr std::size_t kOffsetWindowHeight = 276;
inline constexpr std::size_t kOffsetBufSize1 = 280;
inline constexpr std::size_t kOffsetBufSize2 = 284;

// The settings dialog offers only these sizes; a hand-edited settings file
// could ask for an empty or a gigantic mapping, so the start keeps to them too.
inline constexpr std::uint32_t kMinBufferSize = 256;
inline constexpr std::uint32_t kMaxBufferSize = 32768;
std::uint32_t ClampBufferSize(std::int64_t size);

// One transfer buffer: zero-terminated ANSI text shared with a module.
class TransferBuffer {
 public:
  explicit TransferBuffer(std::unique_ptr<SharedRegion> region) : region_(std::move(region)) {}
  std::span<std::uint8_t> Span() { return {region_->Data(), region_->Size()}; }
  std::size_t Size() const { return region_->Size(); }
  void Zero();
  // The zero-terminated text, read at most to the end of the buffer (a module
  // may leave no terminator).
  Bytes ReadText() const;
  // Writes `text` with a terminator, cut to Size() - 1 bytes on a character
  // boundary; returns false when it had to cut.
  bool WriteText(const Bytes& text);

 private:
  std::unique_ptr<SharedRegion> region_;
};

class ExchangeArea {
 public:
  explicit ExchangeArea(SharedMemory& memory) : memory_(memory) {}

  // Creates and maps the 288-byte block and zeroes its current-file field.
  bool CreateExchangeBlock();
  void StoreLineEnd(const Bytes& lineEnd);
  void StoreBufferSizes(std::uint32_t size1, std::uint32_t size2);
  // (Re)creates both buffers with the sizes stored in the block, zero-filled.
  bool CreateTransferBuffers();
  // A path of 256 bytes or more does not fit with its terminator: the field
  // is left empty (no current file) and false returned.
  bool StoreCurrentFile(const Bytes& path);
  void StoreWindowRect(const Rect& rect);
  void PublishMainWindow(WindowId window);

  bool HasBlock() const { return block_ != nullptr; }
  std::uint32_t BufSize1() const { return ReadU32(kOffsetBufSize1); }
  std::uint32_t BufSize2() const { return ReadU32(kOffsetBufSize2); }
  Bytes CurrentFile() const;
  WindowId MainWindow() const { return ReadU32(kOffsetMainWindow); }
  TransferBuffer* Buffer1() { return buffer1_.get(); }
  TransferBuffer* Buffer2() { return buffer2_.get(); }

  // Unmaps and closes the block, then buffer 1, then buffer 2.
  void Release();

 private:
  std::uint32_t ReadU32(std::size_t offset) const;
  void WriteU32(std::size_t offset, std::uint32_t value);

  SharedMemory& memory_;
  std::unique_ptr<SharedRegion> block_;
  std::unique_ptr<TransferBuffer> buffer1_;
  std::unique_ptr<TransferBuffer> buffer2_;
};

// What a second start finds: the running instance's main window, or nothing
// when the block does not exist yet or the window is not published yet.
WindowId ReadPublishedMainWindow(SharedMemory& memory);

}  // namespace quiltor
