#pragma once
// Bar-like displays drawn straight onto a canvas: a plain percent bar, a gradient
// percent bar, a segmented LED bar and the background of a group bar; also the
// orientation and visual-style types the framed controls share.
#include <cstdint>

#include "controls/common/colors.h"
#include "controls/common/gradients.h"
#include "platform/graphics/graphics.h"

enum class TOrientation { orHorizontal, orVertical };
using enum TOrientation;
DTU_DECLARE_ENUM(TOrientation)

// Classic: system colours and frames; WinXP: the visual style when themes are on,
// else classic; Gradient: the "Office" gradients.
enum class TQvVisualStyle { vsClassic, vsWinXP, vsGradient };
using enum TQvVisualStyle;
DTU_DECLARE_ENUM(TQvVisualStyle)

enum class TQvGroupBarGradientPath { gpTopToBottom, gpBottomToTop };
using enum TQvGroupBarGradientPath;
DTU_DECLARE_ENUM(TQvGroupBarGradientPath)

// The filled part of R for Percent (clamped to 0..100): from the left edge, or
// from the bottom edge when vertical.
TRect PercentBarFill(const TRect& R, TOrientation Orientation, int Percent);

// BarColor fills the done part with the percent text ("55%") in BackColor; the rest
// is BackColor (or left alone when Transparent) with the text in BarColor. The
// text is centred between R's left and right edges.
void DrawPercentBar(TCanvas* Canvas, const TRect& R, TOrientation Orientation, TColor BarColor,
                    TColor BackColor, uint16_t Percent, bool ShowPercent, bool Transparent);
// The same with gradients: the done part from BarColorStart to BarColorStop, the
// rest (unless Transparent) from BackColorStart to BackColorStop.
void DrawGradientPercentBar(TCanvas* Canvas, const TRect& R, TOrientation Orientation,
                            TColor BarColorStart, TColor BarColorStop, TColor BackColorStart,
                            TColor BackColorStop, TGradientDirection GradientDirection,
                            uint16_t Percent, bool ShowPercent, bool Transparent);

// The classic LED bar's geometry: Segments cells of SegSize pixels each, placed
// from Offset along the bar (a bar of 80 pixels or less shows at most 10). No
// segments (Count 0) for Segments <= 0 or a bar too short for one pixel each.
struct TLEDBarLayout {
  int Count = 0, SegSize = 0, Offset = 0, Lit = 0;
};
TLEDBarLayout LEDBarLayout(int Size, int Segments, int Percent);
// Lit segments in OnColor, the others (unless Transparent) in OffColor, one pixel
// apart with the gaps and end margins in OffColor (unless Transparent); with
// ThemeAware and themes on, the visual style's progress chunk instead.
void DrawLEDBar(TCanvas* Canvas, const TRect& R, TOrientation Orientation, TColor OnColor,
                TColor OffColor, int Segments, int Percent, bool ThemeAware, bool Transparent);

// The background of a group bar: the explorer-bar element when themed, else a
// gdHorizontalEnd gradient (not for vsClassic, and only on a full-colour display),
// else nothing.
void DrawGroupBarBackground(TCanvas* Canvas, const TRect& R, TQvVisualStyle VisualStyle,
                            TQvGradientColorStyle GradientColorStyle,
                            TQvGroupBarGradientPath GradientPath, TColor StartColor,
                            TColor StopColor);
