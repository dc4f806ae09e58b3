#pragma once
// Named memory objects kept in one map, so that a "second process" sees the
// same bytes as the first, like the system's named mappings.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/shared_memory.h"

namespace quiltor::fakes {

class FakeSharedMemory final : public SharedMemory {
 public:
  std::unique_ptr<SharedRegion> Create(const std::string& name, std::size_t size) override {
    auto& object = objects_[name];
    // An object still open elsewhere keeps its size, as CreateFileMapping does;
    // one that nobody holds any more is gone and is made anew.
    if (!object || object.use_count() == 1) object = std::make_shared<std::vector<std::uint8_t>>(size, 0);
    created.push_back(name);
    return std::make_unique<View>(object, this, name);
  }
  std::unique_ptr<SharedRegion> OpenForReading(const std::string& name) override {
    auto it = objects_.find(name);
    if (it == objects_.end() || it->second.use_count() == 1) return nullptr;
    return std::make_unique<View>(it->second, this, name);
  }
  bool Exists(const std::string& name) const {
    auto it = objects_.find(name);
    return it != objects_.end() && it->second.use_count() > 1;
  }
  std::vector<std::uint8_t>* Contents(const std::string& name) {
    auto it = objects_.find(name);
    return it == objects_.end() ? nullptr : it->second.get();
  }

  std::vector<std::string> created;
  std::vector<std::string> released;

 private:
  class View final : public SharedRegion {
   public:
    View(std::shared_ptr<std::vector<std::uint8_t>> object, FakeSharedMemory* owner, std::string name)
        : object_(std::move(object)), owner_(owner), name_(std::move(name)) {}
    ~View() override { owner_->released.push_back(name_); }
    std::uint8_t* Data() override { return object_->data(); }
    std::size_t Size() const override { return object_->size(); }

   private:
    std::shared_ptr<std::vector<std::uint8_t>> object_;
    FakeSharedMemory* owner_;
    std::string name_;
  };

  // The map holds one reference; an object lives while some view holds another.
  std::map<std::string, std::shared_ptr<std::vector<std::uint8_t>>> objects_;
};

}  // namespace quiltor::fakes
