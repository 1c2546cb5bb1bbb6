#pragma once
// The installed font families that show a font of this system's name, for the code
// that hands fonts to Qt: the layer's own text and the Qt backend's native editors
// take the same list, so a field shows every character a label beside it shows.
#include <QStringList>

// The families for FaceName (GBK), in the order tried: a character missing from the
// first comes from the next. Names of this system's fonts map to installed ones
// (Latin from DejaVu, Chinese from WenQuanYi Micro Hei); any other name comes first
// as it is, followed by the installed sans (FixedPitch: mono) and Chinese families.
QStringList FontFamilies(const char* FaceName, bool FixedPitch);
