// What a snapshot keeps of any list of clipboard formats: each listed format
// is asked for, named as not kept, or made by the system from one asked for
// in its family; one format per family at most; the cheap ones first, in the
// clipboard's own order among equals.
#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "delivery/clipboard_formats.h"
#include "fuzz_support.h"

namespace quiltor {
namespace {

// Two bytes per format: registered ids with the top bit, else the standard,
// private and GDI ranges.
std::vector<std::uint32_t> FormatsFrom(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint32_t> formats;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const std::uint32_t value = data[i] | (static_cast<std::uint32_t>(data[i + 1]) << 8);
    formats.push_back(value & 0x8000 ? kCfFirstRegistered + (value & 0x3FFF) : value & 0x3FF);
  }
  return formats;
}

}  // namespace
}  // namespace quiltor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quiltor;
  const std::vector<std::uint32_t> listed = FormatsFrom(data, size);
  const SnapshotPlan plan = PlanSnapshot(listed);
  std::set<std::size_t> asked;
  std::set<FormatFamily> families;
  int lastOrder = -1;
  std::size_t lastIndex = 0;
  for (std::size_t index : plan.toAsk) {
    FUZZ_CHECK(index < listed.size() && asked.insert(index).second);
    const std::uint32_t format = listed[index];
    FUZZ_CHECK(IsCopyableFormat(format));
    if (FamilyOf(format) != FormatFamily::kNone) FUZZ_CHECK(families.insert(FamilyOf(format)).second);
    const int order = AskOrder(format);
    FUZZ_CHECK(order > lastOrder || (order == lastOrder && index > lastIndex));
    lastOrder = order;
    lastIndex = index;
  }
  std::multiset<std::uint32_t> named(plan.notCopyable.begin(), plan.notCopyable.end());
  for (std::uint32_t format : plan.notCopyable) FUZZ_CHECK(!IsCopyableFormat(format) && FamilyOf(format) == FormatFamily::kNone);
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const std::uint32_t format = listed[i];
    if (asked.count(i)) continue;
    if (FamilyOf(format) == FormatFamily::kNone) {
      // Not asked for, so not copyable and named.
      FUZZ_CHECK(named.count(format) > 0);
    } else {
      // A family member left out: its family is kept through another, or it
      // cannot be copied at all (a bitmap handle without its DIB form).
      FUZZ_CHECK(families.count(FamilyOf(format)) > 0 || !IsCopyableFormat(format));
    }
  }
  return 0;
}
