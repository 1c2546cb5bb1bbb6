#pragma once
// The small glyphs of the framed controls, painted straight onto a canvas pixel by
// pixel or as small polygons, in a classic and an XP look: drop-down and spin
// arrows, the close cross, the gradient highlight ring, check boxes and radio
// buttons; and adding a button glyph to an image list.
//
// Glyphs are placed around an anchor in the middle of R: X = Left + Width div 2,
// Y = Top + Height div 2, one row higher when the height is even.
#include "controls/common/gradients.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/graphics/imglist.h"

enum class TQvUIStyle { uiWindows95, uiWindowsXP };
using enum TQvUIStyle;
DTU_DECLARE_ENUM(TQvUIStyle)

enum class TQvButtonDisplayState { bdsNormal, bdsDown, bdsHot, bdsDisabled };
using enum TQvButtonDisplayState;
DTU_DECLARE_ENUM(TQvButtonDisplayState)

enum class TQvButtonHotTrackStyle { htsInterior, htsFrame };
using enum TQvButtonHotTrackStyle;
DTU_DECLARE_ENUM(TQvButtonHotTrackStyle)

// The arrows and the cross are painted in the glyph colour: clBtnShadow when
// disabled; else in the classic look black (cl3DDkShadow for an arrow on a brush
// colour too close to black); in the XP look with themes on, the colour of the
// themed drop-down button's arrow. The canvas's brush colour and pen style are as
// before afterwards.
void DrawDropDownArrow(TCanvas* Canvas, const TRect& R, TQvUIStyle UIStyle, bool Down, bool Enabled);
// Down moves the arrow by one pixel only when Enabled.
void DrawSpinArrow(TCanvas* Canvas, const TRect& R, TQvUIStyle UIStyle, TDirection Direction, bool Down,
                   bool Enabled);
void DrawCloseX(TCanvas* Canvas, const TRect& R, TQvUIStyle UIStyle, bool Enabled, bool Down);

// A two-pixel gradient ring along the inside of R (only on a display of more than
// 256 colours); the canvas's clip region is as before afterwards.
void DrawHighlightBox(TCanvas* Canvas, const TRect& R, TGradientDirection Direction, TColor StartColor,
                      TColor StopColor);

void DrawCheckBox(TCanvas* Canvas, const TRect& R, TCheckBoxState State, TQvButtonDisplayState DisplayState,
                  bool Focused, TQvButtonHotTrackStyle HotTrackStyle, TColor FrameColor, TColor MarkColor,
                  TColor FillColor, TColor FocusedFillColor, TColor DisabledColor, TColor HotColor,
                  TColor HotFrameColor, bool UseAltFill, bool AltFillOnFocus, TColor AltFillColor);
// A 13 x 13 round glyph at R's top-left corner, cut to R; pixels of R beyond the
// glyph are not touched. Outside the circle it shows BackColor, or KeyColor when
// UseKeyColor.
void DrawRadioButton(TCanvas* Canvas, const TRect& R, bool Checked, TQvButtonDisplayState DisplayState,
                     bool Focused, TQvButtonHotTrackStyle HotTrackStyle, TColor FrameColor, TColor MarkColor,
                     TColor FillColor, TColor FocusedFillColor, TColor DisabledColor, TColor HotColor,
                     TColor HotFrameColor, TColor BackColor, bool UseKeyColor, TColor KeyColor,
                     bool UseAltFill, bool AltFillOnFocus, TColor AltFillColor);

// Adds a button glyph to ImageList, its pixels of the colour at (0, 15) (the last
// row of a shorter glyph) transparent. A square glyph becomes one image (Index); a
// wider one with HasDisabledImage becomes two (Index, then DisabledIndex); any other
// is cut to the list's image size. Both indexes are -1 when nothing was added.
void AddImageToImageList(TCustomImageList* ImageList, TBitmap* Glyph, bool HasDisabledImage,
                         int& DisabledIndex, int& Index);
