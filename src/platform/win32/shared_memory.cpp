#include "platform/win32/shared_memory.h"

#include <windows.h>

namespace quiltor {
namespace {

class MappedRegion final : public SharedRegion {
 public:
  MappedRegion(HANDLE mapping, void* view, std::size_t size)
      : mapping_(mapping), view_(static_cast<std::uint8_t*>(view)), size_(size) {}
  ~MappedRegion() override {
    UnmapViewOfFile(view_);
    CloseHandle(mapping_);
  }
  MappedRegion(const MappedRegion&) = delete;
  MappedRegion& operator=(const MappedRegion&) = delete;
  std::uint8_t* Data() override { return view_; }
  std::size_t Size() const override { return size_; }

 private:
  HANDLE mapping_;
  std::uint8_t* view_;
  std::size_t size_;
};

}  // namespace

std::unique_ptr<SharedRegion> Win32SharedMemory::Create(const std::string& name, std::size_t size) {
  SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, &security, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(size), name.c_str());
  if (mapping == nullptr) return nullptr;
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (view == nullptr) {
    CloseHandle(mapping);
    return nullptr;
  }
  // An object left by an earlier start may be smaller than asked; never hand
  // out more than the view really holds.
  MEMORY_BASIC_INFORMATION info{};
  std::size_t mapped = size;
  if (VirtualQuery(view, &info, sizeof info) != 0 && info.RegionSize < size) mapped = info.RegionSize;
  return std::make_unique<MappedRegion>(mapping, view, mapped);
}

std::unique_ptr<SharedRegion> Win32SharedMemory::OpenForReading(const std::string& name) {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
  if (mapping == nullptr) return nullptr;
  void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) {
    CloseHandle(mapping);
    return nullptr;
  }
  MEMORY_BASIC_INFORMATION info{};
  const std::size_t size = VirtualQuery(view, &info, sizeof info) != 0 ? info.RegionSize : 0;
  return std::make_unique<MappedRegion>(mapping, view, size);
}

}  // namespace quiltor
