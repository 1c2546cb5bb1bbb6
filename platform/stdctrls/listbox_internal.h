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
// An item's text 2 pixels in from where it starts: the left edge, or under
// right-to-left alignment the right edge, read right to left.
// Tabbed: tabs expand to Stops (none: the default stops).
void ItemTextOut(HDC Dc, const TRect& R, int Y, const std::string& Text, bool Tabbed, int TabCount, const int* Stops,
                 bool Rtl);

}  // namespace listbox_internal
