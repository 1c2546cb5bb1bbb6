// Percent bars, the LED bar and the group-bar background.
#include "controls/common/progressbars.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "controls/common/themes.h"

DTU_DEFINE_ENUM(TOrientation, "orHorizontal", "orVertical")
DTU_DEFINE_ENUM(TQvVisualStyle, "vsClassic", "vsWinXP", "vsGradient")
DTU_DEFINE_ENUM(TQvGroupBarGradientPath, "gpTopToBottom", "gpBottomToTop")

namespace {

int ClampPercent(int Percent) { return std::clamp(Percent, 0, 100); }

// The class library's Round: halves go to the even neighbour (the default rounding
// mode), so a bar at 25 % of 10 pixels fills 2.
int RoundHalfEven(double V) { return static_cast<int>(std::nearbyint(V)); }

std::string PercentText(int Percent, bool ShowPercent) {
  return ShowPercent ? std::to_string(Percent) + "%" : std::string();
}

// The part of R that is not F (right of it, or above it when vertical).
TRect RestOf(const TRect& R, const TRect& F, TOrientation Orientation) {
  TRect rest = R;
  if (Orientation == orHorizontal) rest.Left = F.Right;
  else rest.Bottom = F.Top;
  return rest;
}

// Where the centred text goes: the middle of R across, vertically centred on the
// height of "X".
TPoint TextOrigin(TCanvas* Canvas, const TRect& R) {
  int x = (R.Left + R.Right) / 2;
  int y = R.Top + (R.Height() - Canvas->TextHeight("X")) / 2;
  return {x, y};
}

void CentredText(TCanvas* Canvas, const TRect& Clip, TPoint At, const std::string& Text) {
  HDC dc = Canvas->Handle();
  unsigned old = SetTextAlign(dc, TA_CENTER);
  Canvas->TextRect(Clip, At.X, At.Y, Text);
  SetTextAlign(dc, old);
}

}  // namespace

TRect PercentBarFill(const TRect& R, TOrientation Orientation, int Percent) {
  Percent = ClampPercent(Percent);
  if (Percent >= 100) return R;
  TRect f = R;
  if (Orientation == orHorizontal)
    f.Right = R.Left + RoundHalfEven(Percent * (R.Right - R.Left) / 100.0);
  else
    f.Top = R.Bottom - RoundHalfEven(Percent * (R.Bottom - R.Top) / 100.0);
  return f;
}

void DrawPercentBar(TCanvas* Canvas, const TRect& R, TOrientation Orientation, TColor BarColor,
                    TColor BackColor, uint16_t Percent, bool ShowPercent, bool Transparent) {
  int pct = ClampPercent(Percent);
  std::string text = PercentText(pct, ShowPercent);
  TRect f = PercentBarFill(R, Orientation, pct);
  TPoint at = TextOrigin(Canvas, R);
  Canvas->Brush()->SetStyle(bsSolid);
  if (!IsRectEmpty(f)) {
    Canvas->Brush()->SetColor(BarColor);
    Canvas->Font()->SetColor(BackColor);
    CentredText(Canvas, f, at, text);
  }
  TRect rest = RestOf(R, f, Orientation);
  if (!IsRectEmpty(rest)) {
    Canvas->Font()->SetColor(BarColor);
    if (Transparent) Canvas->Brush()->SetStyle(bsClear);
    else Canvas->Brush()->SetColor(BackColor);
    CentredText(Canvas, rest, at, text);
    Canvas->Brush()->SetStyle(bsSolid);
  }
}

void DrawGradientPercentBar(TCanvas* Canvas, const TRect& R, TOrientation Orientation,
                            TColor BarColorStart, TColor BarColorStop, TColor BackColorStart,
                            TColor BackColorStop, TGradientDirection GradientDirection,
                            uint16_t Percent, bool ShowPercent, bool Transparent) {
  int pct = ClampPercent(Percent);
  std::string text = PercentText(pct, ShowPercent);
  TRect f = PercentBarFill(R, Orientation, pct);
  TPoint at = TextOrigin(Canvas, R);
  Canvas->Brush()->SetStyle(bsClear);
  if (!IsRectEmpty(f)) {
    PaintGradient(Canvas, f, GradientDirection, BarColorStart, BarColorStop, 1);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Font()->SetColor(BackColorStart);
    CentredText(Canvas, f, at, text);
  }
  TRect rest = RestOf(R, f, Orientation);
  if (!IsRectEmpty(rest)) {
    if (!Transparent) PaintGradient(Canvas, rest, GradientDirection, BackColorStart, BackColorStop, 1);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Font()->SetColor(BarColorStart);
    CentredText(Canvas, rest, at, text);
  }
  Canvas->Brush()->SetStyle(bsSolid);
}

TLEDBarLayout LEDBarLayout(int Size, int Segments, int Percent) {
  TLEDBarLayout l;
  if (Segments <= 0 || Size <= 0) return l;
  int segSize = Size / Segments;
  if (Size <= 80 && Segments > 10) {
    Segments = 10;
    segSize = Size / 10;
  }
  if (segSize <= 0) return l;  // shorter than one pixel per segment
  int extra = (Size - Segments * segSize) / segSize;
  if (extra > 0) Segments += extra;
  l.Count = Segments;
  l.SegSize = segSize;
  l.Offset = (Size - Segments * segSize) / 2;
  l.Lit = ClampPercent(Percent) * Segments / 100;
  return l;
}

void DrawLEDBar(TCanvas* Canvas, const TRect& R, TOrientation Orientation, TColor OnColor,
                TColor OffColor, int Segments, int Percent, bool ThemeAware, bool Transparent) {
  int pct = ClampPercent(Percent);
  bool vertical = Orientation == orVertical;
  if (ThemeAware && ThemeServices()->ThemesEnabled()) {
    TRect c = R;
    InflateRect(c, -1, -1);
    if (vertical) c.Top = c.Bottom - RoundHalfEven(pct * c.Height() / 100.0);
    else c.Right = c.Left + RoundHalfEven(pct * c.Width() / 100.0);
    if (!IsRectEmpty(c))
      ThemeServices()->DrawElement(Canvas->Handle(),
                                   ThemeServices()->GetElementDetails(vertical ? tpChunkVert : tpChunk), c);
    return;
  }
  int size = vertical ? R.Height() : R.Width();
  TLEDBarLayout l = LEDBarLayout(size, Segments, pct);
  // The cell of segment i along the bar (from the left, or from the bottom).
  auto cell = [&](int From, int Length) {
    return vertical ? TRect{R.Left, R.Bottom - From - Length, R.Right, R.Bottom - From}
                    : TRect{R.Left + From, R.Top, R.Left + From + Length, R.Bottom};
  };
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(1);
  Canvas->Brush()->SetStyle(bsSolid);
  if (!Transparent) {
    Canvas->Brush()->SetColor(OffColor);
    Canvas->FillRect(cell(0, l.Offset));
    int used = l.Offset + l.Count * l.SegSize;
    Canvas->FillRect(cell(used, size - used));
  }
  for (int i = 0; i < l.Count; ++i) {
    bool lit = i < l.Lit;
    if (!lit && Transparent) continue;
    TRect seg = cell(l.Offset + i * l.SegSize, l.SegSize);
    TColor color = lit ? OnColor : OffColor;
    if (!Transparent && l.SegSize > 1) {  // the one-pixel gap after the segment
      Canvas->Brush()->SetColor(OffColor);
      Canvas->FillRect(cell(l.Offset + (i + 1) * l.SegSize - 1, 1));
      if (vertical) ++seg.Top;
      else --seg.Right;
    } else if (l.SegSize > 1) {
      if (vertical) ++seg.Top;
      else --seg.Right;
    }
    Canvas->Brush()->SetColor(color);
    Canvas->Pen()->SetColor(color);
    Canvas->Rectangle(seg);
  }
}

void DrawGroupBarBackground(TCanvas* Canvas, const TRect& R, TQvVisualStyle VisualStyle,
                            TQvGradientColorStyle GradientColorStyle,
                            TQvGroupBarGradientPath GradientPath, TColor StartColor,
                            TColor StopColor) {
  if (VisualStyle == vsWinXP && ThemeServices()->ThemesEnabled()) {
    ThemeServices()->DrawElement(Canvas->Handle(), ThemeServices()->GetElementDetails(tebExplorerBarRoot), R);
    return;
  }
  if (VisualStyle == vsClassic || !FullColorSupported) return;
  TColor start = StartColor, stop = StopColor;
  if (GradientColorStyle != gcsCustom) GetGradientGroupBarColors(GradientColorStyle, start, stop);
  if (GradientPath == gpTopToBottom) PaintGradient(Canvas, R, gdHorizontalEnd, start, stop, 1);
  else PaintGradient(Canvas, R, gdHorizontalEnd, stop, start, 1);
}
