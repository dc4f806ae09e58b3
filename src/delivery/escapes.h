#pragma once
// Escape and placeholder expansion of item texts. Byte strings in, byte
// strings out; no platform dependence.
#include "platform/types.h"

namespace quiltor {

// Expands \\ \n \t \s \Q \q (case-sensitive) from left to right; produced text
// is never scanned again. The scan is byte-wise: it does not step over
// double-byte characters. `lineEnd` is what "\n" becomes.
Bytes ExpandEscapes(const Bytes& text, const Bytes& lineEnd);

// Replaces each `placeholder` (at least one byte) by `replacement` and each
// "%%" by "%"; neither the replacement nor the produced "%" is scanned again.
Bytes ExpandPlaceholder(const Bytes& pattern, const Bytes& placeholder, const Bytes& replacement);

// "&" -> "&&", so that a caption shows the character instead of an accelerator.
Bytes DoubleAmpersands(const Bytes& text);

}  // namespace quiltor
