#include "delivery/clipboard_formats.h"

#include <algorithm>

namespace quiltor {

FormatFamily FamilyOf(std::uint32_t format) {
  switch (format) {
    case kCfText:
    case kCfOemText:
    case kCfUnicodeText:
      return FormatFamily::kText;
    case kCfBitmap:
    case kCfDib:
    case kCfDibV5:
    case kCfPalette:
      return FormatFamily::kBitmap;
    case kCfMetafilePict:
    case kCfEnhMetafile:
      return FormatFamily::kMetafile;
    default:
      return FormatFamily::kNone;
  }
}

bool IsCopyableFormat(std::uint32_t format) {
  switch (format) {
    case kCfBitmap:
    case kCfMetafilePict:
    case kCfPalette:
    case kCfOwnerDisplay:
    case kCfDspBitmap:
    case kCfDspMetafilePict:
    case kCfDspEnhMetafile:
      return false;
    default:
      break;
  }
  if (format >= kCfPrivateFirst && format <= kCfPrivateLast) return false;
  if (format >= kCfGdiObjectFirst && format <= kCfGdiObjectLast) return false;
  return true;
}

int AskOrder(std::uint32_t format) {
  switch (FamilyOf(format)) {
    case FormatFamily::kText: return 0;
    case FormatFamily::kBitmap:
    case FormatFamily::kMetafile: return 2;
    case FormatFamily::kNone: break;
  }
  return format == kCfLocale || format == kCfHDrop ? 0 : 1;
}

SnapshotPlan PlanSnapshot(const std::vector<std::uint32_t>& listed) {
  SnapshotPlan plan;
  bool familyTaken[4] = {};
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const std::uint32_t format = listed[i];
    const FormatFamily family = FamilyOf(format);
    if (family != FormatFamily::kNone) {
      bool& taken = familyTaken[static_cast<int>(family)];
      if (taken || !IsCopyableFormat(format)) continue;
      taken = true;
    } else if (!IsCopyableFormat(format)) {
      plan.notCopyable.push_back(format);
      continue;
    }
    plan.toAsk.push_back(i);
  }
  std::stable_sort(plan.toAsk.begin(), plan.toAsk.end(),
                   [&](std::size_t a, std::size_t b) { return AskOrder(listed[a]) < AskOrder(listed[b]); });
  return plan;
}

}  // namespace quiltor
