#pragma once
// Colour functions of the framed controls: shades derived from a base colour in
// HSL space (hue, saturation and luminance as bytes on a 0..240 scale), blending,
// and the gradient colours of the "Office" look taken from the visual-style colour
// scheme. Only the two globals below keep state.
#include <cstdint>
#include <string>

#include "platform/graphics/colors.h"

enum class TQvGradientColorStyle { gcsSystem, gcsMSOffice, gcsCustom };
using enum TQvGradientColorStyle;
DTU_DECLARE_ENUM(TQvGradientColorStyle)

enum class TQvXPColorScheme { xpcsBlue, xpcsGreen, xpcsSilver };
using enum TQvXPColorScheme;

enum class TQvXPThemeColor {
  xptcEditBorder, xptcNormalGroupFont, xptcSpecialGroupFont, xptcGroupBarFill, xptcListGroupFill,
  xptcListGroupFont, xptcGroupBoxFont
};
using enum TQvXPThemeColor;

// Set once at start-up (framed panels re-read the scheme after a visual-style
// change).
extern TQvXPColorScheme CurrentXPColorScheme;
extern bool FullColorSupported;

// The colour schemes of the "Office" look (0x00BBGGRR).
extern const TColor xpOfficeBlue_Selection_FrameColor, xpOfficeBlue_Selection_ColorStart,
    xpOfficeBlue_Selection_ColorStop, xpOfficeBlue_Panel_ColorStart, xpOfficeBlue_Panel_ColorStop,
    xpOfficeBlue_Panel_FrameColor, xpOfficeBlue_GroupBar_ColorStart, xpOfficeBlue_GroupBar_ColorStop;
extern const TColor xpOfficeGreen_Selection_FrameColor, xpOfficeGreen_Selection_ColorStart,
    xpOfficeGreen_Selection_ColorStop, xpOfficeGreen_Panel_ColorStart, xpOfficeGreen_Panel_ColorStop,
    xpOfficeGreen_Panel_FrameColor, xpOfficeGreen_GroupBar_ColorStart, xpOfficeGreen_GroupBar_ColorStop;
extern const TColor xpOfficeSilver_Selection_FrameColor, xpOfficeSilver_Selection_ColorStart,
    xpOfficeSilver_Selection_ColorStop, xpOfficeSilver_Panel_ColorStart, xpOfficeSilver_Panel_ColorStop,
    xpOfficeSilver_Panel_FrameColor, xpOfficeSilver_GroupBar_ColorStart, xpOfficeSilver_GroupBar_ColorStop;

// HSL of a colour (system colours resolved first), each 0..240.
void ColorToHSL(TColor Color, uint8_t& H, uint8_t& S, uint8_t& L);
uint8_t ColorHue(TColor Color);
uint8_t ColorSaturation(TColor Color);
uint8_t ColorLuminance(TColor Color);
TColor HSLtoColor(uint8_t H, uint8_t S, uint8_t L);

// Luminance lowered or raised by Amount (any luminance from 240 up is white).
TColor DarkerColor(TColor Color, uint8_t Amount);
TColor LighterColor(TColor Color, uint8_t Amount);
// Negative: darker by -Adjustment; 0: Color itself (unresolved); positive: lighter.
// The amount is clamped to 0..255.
TColor AdjustColor(TColor Color, int Adjustment);
// Fore over Back with Alpha (255 = Fore, 0 = Back), each channel rounded.
TColor BlendColors(TColor ForeColor, TColor BackColor, uint8_t Alpha);
// Hues closer than 20 and luminances closer than 60.
bool ColorsTooClose(TColor Color1, TColor Color2);
// The hue a third of the way round at full saturation.
TColor ComplementaryColor(TColor Color, uint8_t Luminance);
TColor ComplementaryColor(TColor Color);

// A display of more than 256 colours.
bool IsFullColorSupported();
// The scheme named by the current user's visual style: the "ColorName" value of the
// "ThemeManager" section under the user's "\Software\Microsoft\Windows\CurrentVersion"
// key in the registry store ("HOMESTEAD" green, "METALLIC" silver, anything else,
// or no value, blue).
TQvXPColorScheme GetXPColorScheme();
// The scheme for a scheme name as the visual style stores it (letter case ignored).
TQvXPColorScheme XPColorSchemeFromName(const std::string& ColorName);

// A colour of the current visual style; clBtnFace while themes are off.
TColor GetXPThemeColor(TQvXPThemeColor ThemeColor);

// Gradient colours: the scheme's colours when Style is gcsMSOffice and themes are
// on, else the system-colour variants.
void GetGradientSelectionColors(TQvGradientColorStyle Style, TColor& FrameColor, TColor& StartColor,
                                TColor& StopColor);
void GetGradientPanelColors(TQvGradientColorStyle Style, TColor& StartColor, TColor& StopColor);
TColor GetGradientPanelFrameColor(TQvGradientColorStyle Style);
void GetGradientStatusBarColors(TQvGradientColorStyle Style, TColor& StartColor, TColor& StopColor,
                                TColor& FrameColor);
void GetGradientGroupBarColors(TQvGradientColorStyle Style, TColor& StartColor, TColor& StopColor);
void GetGradientGroupItemColors(TQvGradientColorStyle Style, TColor& ColorA, TColor& ColorB);
void GetGradientOutlookGroupColors(TQvGradientColorStyle Style, TColor& C1, TColor& C2, TColor& C3,
                                   TColor& C4, TColor& C5, TColor& C6);
void GetGradientCategoryGroupColors(TQvGradientColorStyle Style, bool Special, TColor& C1, TColor& C2,
                                    TColor& C3, TColor& C4, TColor& C5, TColor& C6, TColor& C7,
                                    TColor& C8, TColor& C9, TColor& C10);
