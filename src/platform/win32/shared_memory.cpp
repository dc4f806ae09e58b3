#include "platform/win32/shared_memory.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/text_codec.h"

namespace quiltor {
namespace {

// The view goes before the mapping, as the system wants it.
class MappedRegion final : public SharedRegion {
 public:
  MappedRegion(KernelHandle mapping, MappedView view, std::size_t size)
      : mapping_(std::move(mapping)), view_(std::move(view)), size_(size) {}
  std::uint8_t* Data() override { return static_cast<std::uint8_t*>(view_.Get()); }
  std::size_t Size() const override { return size_; }

 private:
  KernelHandle mapping_;
  MappedView view_;
  std::size_t size_;
};

}  // namespace

std::unique_ptr<SharedRegion> Win32SharedMemory::Create(const std::string& name, std::size_t size) {
  SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  const std::wstring wide = FromAnsi(name);
  KernelHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, &security, PAGE_READWRITE, 0,
                                          static_cast<DWORD>(size), wide.c_str()));
  if (!mapping) return nullptr;
  MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!view) return nullptr;
  // An object left by an earlier start may be smaller than asked; never hand
  // out more than the view really holds.
  MEMORY_BASIC_INFORMATION info{};
  std::size_t mapped = size;
  if (VirtualQuery(view.Get(), &info, sizeof info) != 0 && info.RegionSize < size) mapped = info.RegionSize;
  return std::make_unique<MappedRegion>(std::move(mapping), std::move(view), mapped);
}

std::unique_ptr<SharedRegion> Win32SharedMemory::OpenForReading(const std::string& name) {
  KernelHandle mapping(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, FromAnsi(name).c_str()));
  if (!mapping) return nullptr;
  MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
  if (!view) return nullptr;
  MEMORY_BASIC_INFORMATION info{};
  const std::size_t size = VirtualQuery(view.Get(), &info, sizeof info) != 0 ? info.RegionSize : 0;
  return std::make_unique<MappedRegion>(std::move(mapping), std::move(view), size);
}

}  // namespace quiltor
