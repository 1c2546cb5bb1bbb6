// Colour functions: HSL conversions, shades, blending and the gradient colours of
// the "Office" look. Every rounding here rounds halves to even (std::nearbyint in
// the default rounding mode).
#include "controls/common/colors.h"

#include <algorithm>
#include <cmath>

#include "controls/common/themes.h"
#include "platform/controls/winuser.h"
#include "platform/storage/registry.h"

DTU_DEFINE_ENUM(TQvGradientColorStyle, "gcsSystem", "gcsMSOffice", "gcsCustom")

const TColor xpOfficeBlue_Selection_FrameColor = 0x800000, xpOfficeBlue_Selection_ColorStart = 0xC2EEFF,
             xpOfficeBlue_Selection_ColorStop = 0xA0D9FF, xpOfficeBlue_Panel_ColorStart = 0xFFEFE3,
             xpOfficeBlue_Panel_ColorStop = 0xEABB99, xpOfficeBlue_Panel_FrameColor = 0xBF7F57,
             xpOfficeBlue_GroupBar_ColorStart = 0xE7A27B, xpOfficeBlue_GroupBar_ColorStop = 0xD67563;
const TColor xpOfficeGreen_Selection_FrameColor = 0x385D3F, xpOfficeGreen_Selection_ColorStart = 0xC2EEFF,
             xpOfficeGreen_Selection_ColorStop = 0xA0D9FF, xpOfficeGreen_Panel_ColorStart = 0xEDFFFF,
             xpOfficeGreen_Panel_ColorStop = 0x92C7B8, xpOfficeGreen_Panel_FrameColor = 0x77A17F,
             xpOfficeGreen_GroupBar_ColorStart = 0xADD9CC, xpOfficeGreen_GroupBar_ColorStop = 0x84BDA5;
const TColor xpOfficeSilver_Selection_FrameColor = 0x6F4B4B, xpOfficeSilver_Selection_ColorStart = 0xC2EEFF,
             xpOfficeSilver_Selection_ColorStop = 0xA0D9FF, xpOfficeSilver_Panel_ColorStart = 0xFFF9F9,
             xpOfficeSilver_Panel_ColorStop = 0xD0BCBD, xpOfficeSilver_Panel_FrameColor = 0xB19F9F,
             xpOfficeSilver_GroupBar_ColorStart = 0xD4C8C4, xpOfficeSilver_GroupBar_ColorStop = 0xC8B3B1;

namespace {

int RoundEven(double V) { return static_cast<int>(std::nearbyint(V)); }

uint8_t ToByte(double V) { return static_cast<uint8_t>(std::clamp(RoundEven(V), 0, 255)); }

// The scheme's colours of the "Office" look, by column of the scheme table.
struct TScheme {
  TColor SelectionFrame, SelectionStart, SelectionStop, PanelStart, PanelStop, PanelFrame, GroupBarStart,
      GroupBarStop;
};

const TScheme& Scheme() {
  static const TScheme blue{xpOfficeBlue_Selection_FrameColor, xpOfficeBlue_Selection_ColorStart,
                            xpOfficeBlue_Selection_ColorStop,  xpOfficeBlue_Panel_ColorStart,
                            xpOfficeBlue_Panel_ColorStop,      xpOfficeBlue_Panel_FrameColor,
                            xpOfficeBlue_GroupBar_ColorStart,  xpOfficeBlue_GroupBar_ColorStop};
  static const TScheme green{xpOfficeGreen_Selection_FrameColor, xpOfficeGreen_Selection_ColorStart,
                             xpOfficeGreen_Selection_ColorStop,  xpOfficeGreen_Panel_ColorStart,
                             xpOfficeGreen_Panel_ColorStop,      xpOfficeGreen_Panel_FrameColor,
                             xpOfficeGreen_GroupBar_ColorStart,  xpOfficeGreen_GroupBar_ColorStop};
  static const TScheme silver{xpOfficeSilver_Selection_FrameColor, xpOfficeSilver_Selection_ColorStart,
                              xpOfficeSilver_Selection_ColorStop,  xpOfficeSilver_Panel_ColorStart,
                              xpOfficeSilver_Panel_ColorStop,      xpOfficeSilver_Panel_FrameColor,
                              xpOfficeSilver_GroupBar_ColorStart,  xpOfficeSilver_GroupBar_ColorStop};
  switch (CurrentXPColorScheme) {
    case xpcsGreen: return green;
    case xpcsSilver: return silver;
    default: return blue;
  }
}

bool Office(TQvGradientColorStyle Style) {
  return Style == gcsMSOffice && ThemeServices()->ThemesEnabled();
}

}  // namespace

TQvXPColorScheme CurrentXPColorScheme = GetXPColorScheme();
bool FullColorSupported = IsFullColorSupported();

void ColorToHSL(TColor Color, uint8_t& H, uint8_t& S, uint8_t& L) {
  COLORREF c = ::ColorToRGB(Color);
  double r = GetRValue(c) / 255.0, g = GetGValue(c) / 255.0, b = GetBValue(c) / 255.0;
  double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  double l = (mx + mn) / 2, h = 0, s = 0;
  if (mx != mn) {
    double d = mx - mn;
    s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
    if (r == mx)
      h = (g - b) / d;
    else if (g == mx)
      h = 2 + (b - r) / d;
    else
      h = 4 + (r - g) / d;
    h /= 6;
    if (h < 0) h += 1;
  }
  H = ToByte(h * 240);
  S = ToByte(s * 240);
  L = ToByte(l * 240);
}

uint8_t ColorHue(TColor Color) {
  uint8_t h, s, l;
  ColorToHSL(Color, h, s, l);
  return h;
}

uint8_t ColorSaturation(TColor Color) {
  uint8_t h, s, l;
  ColorToHSL(Color, h, s, l);
  return s;
}

uint8_t ColorLuminance(TColor Color) {
  uint8_t h, s, l;
  ColorToHSL(Color, h, s, l);
  return l;
}

// The hue is divided by 239, not 240, so the top hue 240 lands in a seventh
// "sextant" that is handled like the first.
TColor HSLtoColor(uint8_t H, uint8_t S, uint8_t L) {
  double h = H / 239.0, s = S / 240.0, l = L / 240.0;
  double v = l < 0.5 ? l * (1 + s) : l + s - l * s;
  if (v <= 0) return clBlack;
  double m = 2 * l - v;
  double sv = (v - m) / v;
  double h6 = 6 * h;
  int sextant = static_cast<int>(h6);
  double f = h6 - sextant;
  double vsf = v * sv * f;
  double mid1 = m + vsf, mid2 = v - vsf;
  double r, g, b;
  switch (sextant) {
    case 1: r = mid2; g = v; b = m; break;
    case 2: r = m; g = v; b = mid1; break;
    case 3: r = m; g = mid2; b = v; break;
    case 4: r = mid1; g = m; b = v; break;
    case 5: r = v; g = m; b = mid2; break;
    default: r = v; g = mid1; b = m; break;
  }
  return static_cast<TColor>(RGB(ToByte(std::min(r, 1.0) * 255), ToByte(std::min(g, 1.0) * 255),
                                 ToByte(std::min(b, 1.0) * 255)));
}

TColor DarkerColor(TColor Color, uint8_t Amount) {
  uint8_t h, s, l;
  ColorToHSL(Color, h, s, l);
  return HSLtoColor(h, s, static_cast<uint8_t>(std::max(l - Amount, 0)));
}

TColor LighterColor(TColor Color, uint8_t Amount) {
  uint8_t h, s, l;
  ColorToHSL(Color, h, s, l);
  return HSLtoColor(h, s, static_cast<uint8_t>(std::min(l + Amount, 255)));
}

// An amount beyond a byte is clamped, so 300 lightens as much as 255 does rather
// than wrapping round to 44.
TColor AdjustColor(TColor Color, int Adjustment) {
  if (Adjustment < 0) return DarkerColor(Color, static_cast<uint8_t>(std::min(-static_cast<int64_t>(Adjustment), int64_t{255})));
  if (Adjustment > 0) return LighterColor(Color, static_cast<uint8_t>(std::min(Adjustment, 255)));
  return Color;
}

TColor BlendColors(TColor ForeColor, TColor BackColor, uint8_t Alpha) {
  COLORREF f = ::ColorToRGB(ForeColor), b = ::ColorToRGB(BackColor);
  double a = Alpha / 255.0;
  auto mix = [a](int Fore, int Back) { return ToByte(Fore * a + Back * (1 - a)); };
  return static_cast<TColor>(RGB(mix(GetRValue(f), GetRValue(b)), mix(GetGValue(f), GetGValue(b)),
                                 mix(GetBValue(f), GetBValue(b))));
}

bool ColorsTooClose(TColor Color1, TColor Color2) {
  uint8_t h1, s1, l1, h2, s2, l2;
  ColorToHSL(Color1, h1, s1, l1);
  ColorToHSL(Color2, h2, s2, l2);
  return std::abs(h1 - h2) < 20 && std::abs(l1 - l2) < 60;
}

TColor ComplementaryColor(TColor Color, uint8_t Luminance) {
  int h = ColorHue(Color);
  h = h < 120 ? h + 120 : h - 120;
  return HSLtoColor(static_cast<uint8_t>(h), 240, Luminance);
}

TColor ComplementaryColor(TColor Color) { return ComplementaryColor(Color, ColorLuminance(Color)); }

bool IsFullColorSupported() {
  HDC dc = GetDC(nullptr);
  bool full = GetDeviceCaps(dc, NUMCOLORS) == -1;
  if (dc) ReleaseDC(nullptr, dc);
  return full;
}

TQvXPColorScheme XPColorSchemeFromName(const std::string& ColorName) {
  std::string upper = ColorName;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  if (upper == "HOMESTEAD") return xpcsGreen;
  if (upper == "METALLIC") return xpcsSilver;
  return xpcsBlue;
}

TQvXPColorScheme GetXPColorScheme() {
  // Read only: the key is opened without creating it, so that asking for the scheme
  // never writes the user's store. A store that cannot be read gives the default.
  std::string name;
  try {
    TRegistryIniFile ini("", KEY_READ);
    ini.RegIniFile()->SetRootKey(HKEY_CURRENT_USER);
    if (ini.RegIniFile()->OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion"))
      name = ini.ReadString("ThemeManager", "ColorName", "");
  } catch (const Exception&) {
  }
  return XPColorSchemeFromName(name);
}

TColor GetXPThemeColor(TQvXPThemeColor ThemeColor) {
  TThemeServices* ts = ThemeServices();
  if (!ts->ThemesEnabled()) return clBtnFace;
  TThemedElementDetails d;
  int prop;
  switch (ThemeColor) {
    case xptcEditBorder: d = ts->GetElementDetails(teEditRoot); prop = TMT_BORDERCOLOR; break;
    case xptcNormalGroupFont: d = ts->GetElementDetails(tebNormalGroupBackground); prop = TMT_TEXTCOLOR; break;
    case xptcSpecialGroupFont: d = ts->GetElementDetails(tebSpecialGroupBackground); prop = TMT_TEXTCOLOR; break;
    case xptcGroupBarFill: d = ts->GetElementDetails(tebNormalGroupBackground); prop = TMT_FILLCOLOR; break;
    case xptcListGroupFill: d = ts->GetElementDetails(tebExplorerBarRoot); prop = TMT_GRADIENTCOLOR1; break;
    case xptcListGroupFont: d = ts->GetElementDetails(tebSpecialGroupHead); prop = TMT_FILLCOLOR; break;
    case xptcGroupBoxFont: d = ts->GetElementDetails(tbGroupBoxNormal); prop = TMT_TEXTCOLOR; break;
    default: return 0xFFFFFF;
  }
  // A failing lookup leaves the colour black, as the library's output parameter
  // starts out.
  COLORREF c = 0;
  ::GetThemeColor(ts->GetTheme(d.Element), d.Part, d.State, prop, &c);
  return static_cast<TColor>(c);
}

void GetGradientSelectionColors(TQvGradientColorStyle Style, TColor& FrameColor, TColor& StartColor,
                                TColor& StopColor) {
  if (Office(Style)) {
    FrameColor = Scheme().SelectionFrame;
    StartColor = Scheme().SelectionStart;
    StopColor = Scheme().SelectionStop;
  } else {
    FrameColor = clHighlight;
    StopColor = BlendColors(clHighlight, clWindow, 77);
    StartColor = LighterColor(StopColor, 20);
  }
  if (!FullColorSupported) StartColor = StopColor;
}

void GetGradientPanelColors(TQvGradientColorStyle Style, TColor& StartColor, TColor& StopColor) {
  if (Office(Style)) {
    StartColor = Scheme().PanelStart;
    StopColor = Scheme().PanelStop;
  } else {
    StartColor = clWindow;
    StopColor = DarkerColor(clBtnFace, 10);
  }
}

TColor GetGradientPanelFrameColor(TQvGradientColorStyle Style) {
  return Office(Style) ? Scheme().PanelFrame : LighterColor(clBtnShadow, 30);
}

void GetGradientStatusBarColors(TQvGradientColorStyle Style, TColor& StartColor, TColor& StopColor,
                                TColor& FrameColor) {
  if (Office(Style)) {
    StartColor = Scheme().PanelStop;
    StopColor = Scheme().PanelStart;
    FrameColor = StartColor;
  } else {
    StartColor = DarkerColor(clBtnFace, 20);
    StopColor = clWindow;
    FrameColor = DarkerColor(clBtnFace, 40);
  }
}

void GetGradientGroupBarColors(TQvGradientColorStyle Style, TColor& StartColor, TColor& StopColor) {
  if (Office(Style)) {
    StartColor = Scheme().GroupBarStart;
    StopColor = Scheme().GroupBarStop;
  } else {
    StartColor = BlendColors(clBlack, clBtnFace, 40);
    StopColor = BlendColors(clBlack, clBtnFace, 80);
  }
}

void GetGradientGroupItemColors(TQvGradientColorStyle Style, TColor& ColorA, TColor& ColorB) {
  if (Office(Style)) {
    switch (CurrentXPColorScheme) {
      case xpcsGreen: ColorA = 0x2D6656; ColorB = 0x1D9272; return;
      case xpcsSilver: ColorA = 0x3D3D3F; ColorB = 0x7C7C7E; return;
      default: ColorA = 0xC65D21; ColorB = 0xFF8E42; return;
    }
  }
  if (CurrentXPColorScheme == xpcsSilver) {
    ColorA = 0x3D3D3F;
    ColorB = 0x7C7C7E;
  } else {
    ColorA = DarkerColor(clHighlight, 30);
    ColorB = clHighlight;
  }
}

void GetGradientOutlookGroupColors(TQvGradientColorStyle Style, TColor& C1, TColor& C2, TColor& C3,
                                   TColor& C4, TColor& C5, TColor& C6) {
  if (Office(Style)) {
    switch (CurrentXPColorScheme) {
      case xpcsGreen: C3 = 0x1C674B; C4 = 0x1D9272; break;
      case xpcsSilver: C3 = 0x3D3D3F; C4 = 0x7C7C7E; break;
      default: C3 = 0xA53C00; C4 = 0xFF8E42; break;
    }
  } else if (CurrentXPColorScheme == xpcsSilver) {
    C3 = 0x000000;
    C4 = 0x555556;
  } else {
    C3 = DarkerColor(clHighlight, 30);
    C4 = clHighlight;
  }
  GetGradientPanelColors(Style, C1, C2);
  C5 = C1;
  C6 = C2;
}

void GetGradientCategoryGroupColors(TQvGradientColorStyle Style, bool Special, TColor& C1, TColor& C2,
                                    TColor& C3, TColor& C4, TColor& C5, TColor& C6, TColor& C7,
                                    TColor& C8, TColor& C9, TColor& C10) {
  TColor* out[10] = {&C1, &C2, &C3, &C4, &C5, &C6, &C7, &C8, &C9, &C10};
  if (Office(Style)) {
    // By scheme (blue, green, silver), then special and plain.
    static const TColor table[3][2][10] = {
        {{0xC56A31, 0xBE500F, 0xCE5D29, 0xFFFFFF, 0xF7DFD6, 0xC35E2F, 0xDE9A6A, 0xC56A31, 0xFFF3EF, 0xFFFFFF},
         {0xFFFFFF, 0xFFFFFF, 0xF7D3C6, 0xA53C00, 0xFF8E42, 0xFCFCFC, 0xD9BAB3, 0xC56A31, 0xF7DFD6, 0xFFFFFF}},
        {{0x70A093, 0x4E9682, 0x67A896, 0xFFFFFF, 0xA9D6C8, 0x4FA382, 0x81B7A9, 0x70A093, 0xECF6F6, 0xFFFFFF},
         {0xB8E7E0, 0xD5F3F1, 0xB8E7E0, 0x1C674B, 0x1D9272, 0xFCFCFC, 0xBED5CA, 0x70A093, 0xECF6F6, 0xFFFFFF}},
        {{0xAB9594, 0xA58D8C, 0xC7B6B4, 0xFFFFFF, 0xE0D7D6, 0x96746E, 0xDEC7C1, 0xBFB4B2, 0xF5F1F0, 0xFFFFFF},
         {0xE0D7D6, 0xFCFBFB, 0xE0D7D6, 0x3D3D3F, 0x7C7C7E, 0xFCFCFC, 0xD1C5C3, 0xBFB4B2, 0xF5F1F0, 0xFFFFFF}}};
    int scheme = CurrentXPColorScheme == xpcsGreen ? 1 : CurrentXPColorScheme == xpcsSilver ? 2 : 0;
    for (int i = 0; i < 10; ++i) *out[i] = table[scheme][Special ? 0 : 1][i];
    return;
  }
  if (Special) {
    C1 = clHighlight;
    C2 = clHighlight;
    C3 = DarkerColor(clHighlight, 20);
    C4 = clHighlightText;
    C5 = LighterColor(clHighlight, 30);
    C6 = clHighlight;
    C7 = LighterColor(clHighlight, 30);
  } else {
    C1 = clBtnFace;
    C2 = clWindow;
    C3 = DarkerColor(clBtnFace, 10);
    if (CurrentXPColorScheme == xpcsSilver) {
      C4 = 0x000000;
      C5 = 0x555556;
    } else {
      C4 = DarkerColor(clHighlight, 30);
      C5 = clHighlight;
    }
    C6 = clWindow;
    C7 = DarkerColor(clBtnFace, 20);
  }
  C8 = clHighlight;
  C9 = clBtnFace;
  C10 = 0xFFFFFF;
}
