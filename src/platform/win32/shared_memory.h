#pragma once
#include "platform/shared_memory.h"

namespace quiltor {

// Named paging-file mappings (CreateFileMappingW / OpenFileMappingW).
class Win32SharedMemory final : public SharedMemory {
 public:
  std::unique_ptr<SharedRegion> Create(const std::string& name, std::size_t size) override;
  std::unique_ptr<SharedRegion> OpenForReading(const std::string& name) override;
};

}  // namespace quiltor
