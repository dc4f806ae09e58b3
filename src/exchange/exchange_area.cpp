#include "exchange/exchange_area.h"

#include <algorithm>
#include <cstring>

#include "text/cp932.h"

namespace quiltor {

void TransferBuffer::Zero() { std::memset(region_->Data(), 0, region_->Size()); }

Bytes TransferBuffer::ReadText() const {
  const auto* begin = reinterpret_cast<const char*>(region_->Data());
  const auto* end = begin + region_->Size();
  return Bytes(begin, std::find(begin, end, '\0'));
}

bool TransferBuffer::WriteText(const Bytes& text) {
  if (region_->Size() == 0) return text.empty();
  const std::size_t length = FitOnCharacterBoundary(text, region_->Size() - 1);
  std::memcpy(region_->Data(), text.data(), length);
  region_->Data()[length] = 0;
  return length == text.size();
}

bool ExchangeArea::CreateExchangeBlock() {
  block_ = memory_.Create(kExchangeBlockName, kExchangeBlockSize);
  if (!block_ || block_->Size() < kExchangeBlockSize) {
    block_.reset();
    return false;
  }
  std::memset(block_->Data() + kOffsetCurrentFile, 0, kCurrentFileFieldSize);
  return true;
}

std::uint32_t ExchangeArea::ReadU32(std::size_t offset) const {
  if (!block_) return 0;
  const std::uint8_t* p = block_->Data() + offset;
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

void ExchangeArea::WriteU32(std::size_t offset, std::uint32_t value) {
  if (!block_) return;
  std::uint8_t* p = block_->Data() + offset;
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void ExchangeArea::StoreLineEnd(const Bytes& lineEnd) {
  if (!block_) return;
  // The field is four bytes: at most "\r\n" and its terminator fit.
  std::uint8_t* field = block_->Data() + kOffsetLineEnd;
  std::memset(field, 0, 4);
  std::memcpy(field, lineEnd.data(), std::min<std::size_t>(lineEnd.size(), 3));
}

std::uint32_t ClampBufferSize(std::int64_t size) {
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(size, kMinBufferSize, kMaxBufferSize));
}

void ExchangeArea::StoreBufferSizes(std::uint32_t size1, std::uint32_t size2) {
  WriteU32(kOffsetBufSize1, size1);
  WriteU32(kOffsetBufSize2, size2);
}

bool ExchangeArea::CreateTransferBuffers() {
  buffer1_.reset();
  buffer2_.reset();
  if (!block_) return false;
  auto region1 = memory_.Create(kTransferBuffer1Name, BufSize1());
  if (!region1) return false;
  buffer1_ = std::make_unique<TransferBuffer>(std::move(region1));
  buffer1_->Zero();
  auto region2 = memory_.Create(kTransferBuffer2Name, BufSize2());
  if (!region2) return false;
  buffer2_ = std::make_unique<TransferBuffer>(std::move(region2));
  buffer2_->Zero();
  return true;
}

bool ExchangeArea::StoreCurrentFile(const Bytes& path) {
  if (!block_) return false;
  std::uint8_t* field = block_->Data() + kOffsetCurrentFile;
  std::memset(field, 0, kCurrentFileFieldSize);
  // A cut path would name another file (or a folder): a path that does not
  // fit is not published, and modules see no current file.
  if (path.size() >= kCurrentFileFieldSize) return false;
  std::memcpy(field, path.data(), path.size());
  return true;
}

Bytes ExchangeArea::CurrentFile() const {
  if (!block_) return {};
  const auto* begin = reinterpret_cast<const char*>(block_->Data() + kOffsetCurrentFile);
  return Bytes(begin, std::find(begin, begin + kCurrentFileFieldSize, '\0'));
}

void ExchangeArea::StoreWindowRect(const Rect& rect) {
  WriteU32(kOffsetWindowLeft, static_cast<std::uint32_t>(rect.left));
  WriteU32(kOffsetWindowTop, static_cast<std::uint32_t>(rect.top));
  WriteU32(kOffsetWindowWidth, static_cast<std::uint32_t>(rect.Width()));
  WriteU32(kOffsetWindowHeight, static_cast<std::uint32_t>(rect.Height()));
}

void ExchangeArea::PublishMainWindow(WindowId window) {
  WriteU32(kOffsetMainWindow, static_cast<std::uint32_t>(window));
}

void ExchangeArea::Release() {
  block_.reset();
  buffer1_.reset();
  buffer2_.reset();
}

WindowId ReadPublishedMainWindow(SharedMemory& memory) {
  auto view = memory.OpenForReading(kExchangeBlockName);
  if (!view || view->Size() < 4) return kNoWindow;
  const std::uint8_t* p = view->Data();
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

}  // namespace quiltor
