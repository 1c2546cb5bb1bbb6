#pragma once
// Frame styles and the frame painters of the framed controls. Every painter takes
// a canvas, a rectangle (right and bottom exclusive) and a style, draws one- or
// two-pixel lines along the chosen sides and returns the rectangle left inside
// what it drew, so borders stack (outer style, border ring, inner style) and the
// client area is painted into what remains. "Shrunk by n" always means Left + n
// for sdLeft, Top + n for sdTop, Right - n for sdRight, Bottom - n for sdBottom;
// sides not chosen stay. clNone as a line colour draws nothing.
#include "platform/core/object.h"
#include "platform/graphics/graphics.h"
#include "platform/win32/messages.h"

class TWinControl;

enum class TFrameStyleEx {
  fsNone, fsFlat, fsGroove, fsBump, fsLowered, fsButtonDown, fsRaised, fsButtonUp, fsStatus,
  fsPopup, fsFlatBold, fsFlatRounded
};
using enum TFrameStyleEx;
DTU_DECLARE_ENUM(TFrameStyleEx)
// The styles fsNone..fsFlatBold (all but fsFlatRounded). The same type: properties
// of this kind refuse fsFlatRounded where they are read.
using TFrameStyle = TFrameStyleEx;
constexpr int FrameStyleCount = 11;

enum class TSide { sdLeft, sdTop, sdRight, sdBottom };
using enum TSide;
DTU_DECLARE_ENUM(TSide)
using TSides = TSet<TSide>;
constexpr TSides AllSides{sdLeft, sdTop, sdRight, sdBottom};

// The upper-left and lower-right line colours of each TFrameStyle.
extern const TColor ULFrameColor[FrameStyleCount];
extern const TColor LRFrameColor[FrameStyleCount];

// Lines of the chosen sides: left and top in ULColor, right and bottom in LRColor
// (a clNone colour skips its lines). Returns Rect shrunk by 1 on the chosen sides.
TRect DrawSides(TCanvas* Canvas, const TRect& Rect, TColor ULColor, TColor LRColor,
                TSides Sides = AllSides);
// Width nested DrawSides rings (pen width 1).
TRect DrawBevel(TCanvas* Canvas, const TRect& Rect, TColor ULColor, TColor LRColor, int Width,
                TSides Sides = AllSides);
// The classic sunken/raised 3-D border and button border, two rings each.
TRect DrawCtl3DBorderSides(TCanvas* Canvas, const TRect& Rect, bool Lowered, TSides Sides);
TRect DrawCtl3DBorder(TCanvas* Canvas, const TRect& Rect, bool Lowered);
TRect DrawButtonBorderSides(TCanvas* Canvas, const TRect& Rect, bool Down, TSides Sides);
TRect DrawButtonBorder(TCanvas* Canvas, const TRect& Rect, bool Down);
// A button border in shades of Color.
TRect DrawColorButtonBorderSides(TCanvas* Canvas, const TRect& Rect, TColor Color, bool Down,
                                 TSides Sides);
TRect DrawColorButtonBorder(TCanvas* Canvas, const TRect& Rect, TColor Color, bool Down);
// A frame style in the system colours.
TRect DrawBorder(TCanvas* Canvas, const TRect& Rect, TFrameStyleEx FrameStyle);
TRect DrawBorderSides(TCanvas* Canvas, const TRect& Rect, TFrameStyleEx FrameStyle, TSides Sides);
// A frame style in shades of Color.
TRect DrawColorBorder(TCanvas* Canvas, const TRect& Rect, TColor Color, TFrameStyleEx FrameStyle);
TRect DrawColorBorderSides(TCanvas* Canvas, const TRect& Rect, TColor Color, TFrameStyleEx FrameStyle,
                           TSides Sides);
// A one-pixel box in Color; returns Rect inflated by -1.
TRect DrawBox(TCanvas* Canvas, const TRect& Rect, TColor Color);
// Four corner hooks Length pixels long; returns Rect inflated by -1.
TRect DrawBoxCorners(TCanvas* Canvas, const TRect& Rect, TColor Color, int Length);
// A dotted box in Color; the canvas's pen and brush styles are left as they were.
TRect DrawDashedBorder(TCanvas* Canvas, const TRect& Rect, TColor Color);
// A dotted one-pixel frame of inverted pixels; returns Rect inflated by -1.
TRect DrawFocusBorder(TCanvas* Canvas, const TRect& Rect);
// A one-pixel frame with cut corners and a pixel inside each corner.
TRect DrawRoundedFlatBorder(TCanvas* Canvas, const TRect& Rect, TColor Color, TSides Sides);
// The frame of panels, borders and group boxes: outer style, border ring of
// BorderWidth, inner style.
TRect DrawInnerOuterBorders(TCanvas* Canvas, const TRect& Rect, TFrameStyleEx BorderOuter,
                            TFrameStyleEx BorderInner, int BorderWidth, TSides BorderSides,
                            int BevelWidth, TColor BorderColor, TColor BorderHighlight,
                            TColor BorderShadow, TColor FlatColor, int FlatColorAdjustment,
                            TColor Color, TColor ParentColor, bool Transparent, bool SoftInnerFlat);
// The non-client frame of edits, list boxes and combo boxes on a window canvas of
// Width x Height; unless KeepOuterRing, the two outer rings are first painted in
// Color.
void DrawFrame(TCanvas* Canvas, int Width, int Height, TFrameStyleEx FrameStyle, TColor Color,
               TColor FrameColor, TSides Sides, bool KeepOuterRing);
// Invalidates the window's frame and Rect when any of the window is visible.
void InvalidateWindowFrame(HWND Handle, const TRect& Rect);
// Invalidates the children whose published Transparent property is true.
void InvalidateControls(TWinControl* WinControl);
// A soft shadow of Depth pixels below and right of Rect, blending Color into what
// is there.
void DrawDropShadow(TCanvas* Canvas, const TRect& Rect, int Depth, TColor Color);
