#pragma once
// Helpers the list box's sources share (not part of the layer's interface).
#include <string>

#include "platform/graphics/graphics.h"

namespace listbox_internal {

// Whether Item starts with Prefix, ignoring the case of single-byte letters.
bool PrefixMatches(const std::string& Item, const std::string& Prefix);
// The font's height in pixels (at least 1); its average character width in
// *AveWidth when asked.
int FontHeightOf(TFont* Font, int* AveWidth = nullptr);

}  // namespace listbox_internal
