#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quiltor {

// A named, mapped memory object shared with other processes; unmapped and
// closed when destroyed.
class SharedRegion {
 public:
  virtual ~SharedRegion() = default;
  virtual std::uint8_t* Data() = 0;
  virtual std::size_t Size() const = 0;
};

class SharedMemory {
 public:
  virtual ~SharedMemory() = default;
  // Creates (or opens, when it already exists) a paging-file object of `size`
  // bytes and maps all of it read-write. Null on failure.
  virtual std::unique_ptr<SharedRegion> Create(const std::string& name, std::size_t size) = 0;
  // Opens an existing object and maps it for reading; null when it does not exist.
  virtual std::unique_ptr<SharedRegion> OpenForReading(const std::string& name) = 0;
};

}  // namespace quiltor
