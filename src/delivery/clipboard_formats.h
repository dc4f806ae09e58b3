#pragma once
// Which of the formats on the clipboard a snapshot keeps, and in which order
// it asks for them. Windows makes some formats from others (the text forms
// from one another, the bitmap forms, the metafile forms): only one of each
// family is kept, in the form the owner put there, and the system makes the
// others again after a restore. Asking for a made one would only make the
// owner render its source.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quiltor {

// Standard clipboard format numbers.
inline constexpr std::uint32_t kCfText = 1;
inline constexpr std::uint32_t kCfBitmap = 2;
inline constexpr std::uint32_t kCfMetafilePict = 3;
inline constexpr std::uint32_t kCfOemText = 7;
inline constexpr std::uint32_t kCfDib = 8;
inline constexpr std::uint32_t kCfPalette = 9;
inline constexpr std::uint32_t kCfUnicodeText = 13;
inline constexpr std::uint32_t kCfEnhMetafile = 14;
inline constexpr std::uint32_t kCfHDrop = 15;
inline constexpr std::uint32_t kCfLocale = 16;
inline constexpr std::uint32_t kCfDibV5 = 17;
inline constexpr std::uint32_t kCfOwnerDisplay = 0x80;
inline constexpr std::uint32_t kCfDspBitmap = 0x82;
inline constexpr std::uint32_t kCfDspMetafilePict = 0x83;
inline constexpr std::uint32_t kCfDspEnhMetafile = 0x8E;
inline constexpr std::uint32_t kCfPrivateFirst = 0x200;
inline constexpr std::uint32_t kCfPrivateLast = 0x2FF;
inline constexpr std::uint32_t kCfGdiObjectFirst = 0x300;
inline constexpr std::uint32_t kCfGdiObjectLast = 0x3FF;
// Formats from here on are registered by name; a restore registers them by
// that name again, as their numbers differ between sessions.
inline constexpr std::uint32_t kCfFirstRegistered = 0xC000;

enum class FormatFamily { kNone, kText, kBitmap, kMetafile };

FormatFamily FamilyOf(std::uint32_t format);

// Formats whose handle is a memory block the tool can copy byte by byte, or
// an enhanced metafile copied by its bits. A bitmap is still kept through its
// DIB form, and a metafile picture through its enhanced form.
bool IsCopyableFormat(std::uint32_t format);

// The cheap and precious formats are asked for first; the pictures, which a
// delaying owner may take long to draw, last. Lower goes first.
int AskOrder(std::uint32_t format);

// What a snapshot does with the formats listed in the clipboard's own order:
// the positions to ask for, in the order to ask, and the formats it cannot
// keep at all. A format left out of both is made by the system from one that
// is asked for.
struct SnapshotPlan {
  std::vector<std::size_t> toAsk;
  std::vector<std::uint32_t> notCopyable;
};
SnapshotPlan PlanSnapshot(const std::vector<std::uint32_t>& listed);

// Registered formats the tool adds to what it puts on the clipboard (a text
// for one paste, or the user's own content put back, which they have seen
// already), so clipboard history, the cloud clipboard and monitors leave it
// out. Each holds a DWORD 0.
inline constexpr std::array<const char*, 4> kToolMarkerFormats = {
    "Clipboard Viewer Ignore", "CanIncludeInClipboardHistory", "CanUploadToCloudClipboard",
    "ExcludeClipboardContentFromMonitorProcessing"};

}  // namespace quiltor
