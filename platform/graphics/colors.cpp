#include "platform/graphics/colors.h"

#include <cstdio>

#include "platform/core/exceptions.h"

namespace {

// The classic "Windows Standard" scheme, one entry per COLOR_ index. The system
// colours resolve only through this table, so drawings do not depend on the desktop.
constexpr COLORREF kSysColors[COLOR_ENDCOLORS + 1] = {
    RGB(212, 208, 200),  // COLOR_SCROLLBAR
    RGB(58, 110, 165),   // COLOR_BACKGROUND
    RGB(10, 36, 106),    // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(212, 208, 200),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(10, 36, 106),    // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(212, 208, 200),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),     // COLOR_3DDKSHADOW
    RGB(212, 208, 200),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(0, 0, 0),        // 25: unused
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(166, 202, 240),  // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),    // COLOR_MENUHILIGHT
    RGB(212, 208, 200),  // COLOR_MENUBAR
};

int64_t Ord(TColor C) { return static_cast<int64_t>(C); }

TIdentMap MakeIdents() {
  return TIdentMap{{
      {Ord(clBlack), "clBlack"}, {Ord(clMaroon), "clMaroon"}, {Ord(clGreen), "clGreen"},
      {Ord(clOlive), "clOlive"}, {Ord(clNavy), "clNavy"}, {Ord(clPurple), "clPurple"},
      {Ord(clTeal), "clTeal"}, {Ord(clGray), "clGray"}, {Ord(clSilver), "clSilver"},
      {Ord(clRed), "clRed"}, {Ord(clLime), "clLime"}, {Ord(clYellow), "clYellow"},
      {Ord(clBlue), "clBlue"}, {Ord(clFuchsia), "clFuchsia"}, {Ord(clAqua), "clAqua"},
      {Ord(clWhite), "clWhite"}, {Ord(clMoneyGreen), "clMoneyGreen"},
      {Ord(clSkyBlue), "clSkyBlue"}, {Ord(clCream), "clCream"}, {Ord(clMedGray), "clMedGray"},
      {Ord(clActiveBorder), "clActiveBorder"}, {Ord(clActiveCaption), "clActiveCaption"},
      {Ord(clAppWorkSpace), "clAppWorkSpace"}, {Ord(clBackground), "clBackground"},
      {Ord(clBtnFace), "clBtnFace"}, {Ord(clBtnHighlight), "clBtnHighlight"},
      {Ord(clBtnShadow), "clBtnShadow"}, {Ord(clBtnText), "clBtnText"},
      {Ord(clCaptionText), "clCaptionText"}, {Ord(clGradientActiveCaption), "clGradientActiveCaption"},
      {Ord(clGradientInactiveCaption), "clGradientInactiveCaption"}, {Ord(clGrayText), "clGrayText"},
      {Ord(clHighlight), "clHighlight"}, {Ord(clHighlightText), "clHighlightText"},
      {Ord(clHotLight), "clHotLight"}, {Ord(clInactiveBorder), "clInactiveBorder"},
      {Ord(clInactiveCaption), "clInactiveCaption"}, {Ord(clInactiveCaptionText), "clInactiveCaptionText"},
      {Ord(clInfoBk), "clInfoBk"}, {Ord(clInfoText), "clInfoText"}, {Ord(clMenu), "clMenu"},
      {Ord(clMenuBar), "clMenuBar"}, {Ord(clMenuHighlight), "clMenuHighlight"},
      {Ord(clMenuText), "clMenuText"}, {Ord(clScrollBar), "clScrollBar"},
      {Ord(cl3DDkShadow), "cl3DDkShadow"}, {Ord(cl3DLight), "cl3DLight"},
      {Ord(clWindow), "clWindow"}, {Ord(clWindowFrame), "clWindowFrame"},
      {Ord(clWindowText), "clWindowText"}, {Ord(clNone), "clNone"}, {Ord(clDefault), "clDefault"},
  }};
}

// Integer text as the filer writes colours: optional sign, decimal digits or hex
// after "$" / "0x"; hex up to 32 bits wraps ("$80000005" is clWindow).
bool ParseColorInt(const std::string& S, int64_t& Value) {
  size_t i = 0;
  while (i < S.size() && S[i] == ' ') ++i;
  bool neg = false;
  if (i < S.size() && (S[i] == '-' || S[i] == '+')) { neg = S[i] == '-'; ++i; }
  int base = 10;
  if (i < S.size() && S[i] == '$') { base = 16; ++i; }
  else if (i + 1 < S.size() && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) { base = 16; i += 2; }
  if (i >= S.size()) return false;
  uint64_t v = 0;
  for (; i < S.size(); ++i) {
    char c = S[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (v > (base == 16 ? 0xFFFFFFFFull : 0x80000000ull)) return false;
  }
  int64_t r;
  if (base == 16) r = static_cast<int32_t>(static_cast<uint32_t>(v));
  else {
    if (!neg && v > 0x7FFFFFFFull) return false;
    r = static_cast<int64_t>(v);
  }
  Value = neg ? -r : r;
  return true;
}

}  // namespace

COLORREF GetSysColor(int Index) {
  if (Index < 0 || Index > COLOR_ENDCOLORS) return 0;
  return kSysColors[Index];
}

COLORREF ColorToRGB(TColor Color) {
  if (Color < 0) return GetSysColor(Color & 0xFF);
  return static_cast<COLORREF>(Color);
}

const TIdentMap& ColorIdents() {
  static const TIdentMap map = MakeIdents();
  return map;
}

bool ColorToIdent(int64_t Color, std::string& Ident) { return ColorIdents().IntToIdent(Color, Ident); }

bool IdentToColor(const std::string& Ident, int64_t& Color) { return ColorIdents().IdentToInt(Ident, Color); }

std::string ColorToString(TColor Color) {
  std::string ident;
  if (ColorToIdent(Color, ident)) return ident;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%.8X", static_cast<unsigned>(static_cast<uint32_t>(Color)));
  return buf;
}

TColor StringToColor(const std::string& S) {
  int64_t v;
  if (IdentToColor(S, v)) return static_cast<TColor>(v);
  if (ParseColorInt(S, v)) return static_cast<TColor>(v);
  throw EConvertError("'" + S + "' is not a valid integer value");
}
