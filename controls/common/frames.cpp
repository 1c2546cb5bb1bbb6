// Frame painters of the framed controls.
#include "controls/common/frames.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "controls/common/colors.h"
#include "platform/controls/controls.h"
#include "platform/controls/winuser.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TFrameStyleEx, "fsNone", "fsFlat", "fsGroove", "fsBump", "fsLowered", "fsButtonDown",
                "fsRaised", "fsButtonUp", "fsStatus", "fsPopup", "fsFlatBold", "fsFlatRounded")
DTU_DEFINE_ENUM(TSide, "sdLeft", "sdTop", "sdRight", "sdBottom")

const TColor ULFrameColor[FrameStyleCount] = {clWindow,      cl3DDkShadow, clBtnShadow,    clBtnHighlight,
                                              clBtnShadow,   clNone,       cl3DDkShadow,   clNone,
                                              clBtnShadow,   clBtnHighlight, clBtnShadow};
const TColor LRFrameColor[FrameStyleCount] = {clWindow,       cl3DDkShadow, clBtnHighlight, clBtnShadow,
                                              clBtnHighlight, clNone,       clBtnFace,      clNone,
                                              clBtnHighlight, clBtnShadow,  clBtnShadow};

namespace {

// The classic 3-D and button colour pairs, indexed by lowered / down.
const TColor Ctl3DOuterUL[2] = {cl3DLight, clBtnShadow};
const TColor Ctl3DOuterLR[2] = {cl3DDkShadow, clBtnHighlight};
const TColor Ctl3DInnerUL[2] = {clBtnHighlight, cl3DDkShadow};
const TColor Ctl3DInnerLR[2] = {clBtnShadow, cl3DLight};
const TColor ButtonOuterUL[2] = {clBtnHighlight, clBtnText};
const TColor ButtonOuterLR[2] = {cl3DDkShadow, clBtnText};
const TColor ButtonInnerUL[2] = {cl3DLight, clBtnShadow};
const TColor ButtonInnerLR[2] = {clBtnShadow, clBtnShadow};

TRect Shrink(const TRect& R, TSides Sides, int N) {
  TRect r = R;
  if (Sides.Contains(sdLeft)) r.Left += N;
  if (Sides.Contains(sdTop)) r.Top += N;
  if (Sides.Contains(sdRight)) r.Right -= N;
  if (Sides.Contains(sdBottom)) r.Bottom -= N;
  return r;
}

void Line(TCanvas* Canvas, int X1, int Y1, int X2, int Y2) {
  Canvas->MoveTo(X1, Y1);
  Canvas->LineTo(X2, Y2);
}

// The etched border of the groove and bump styles, two pixels wide:
//
//   groove, all sides (U = UL, L = LR)      the corner pixels are set first, then
//     U U U U U L                           the LR ring one pixel down and right,
//     U L L L U L                           then the UL ring over it
//     U L . . U L
//     U U U U U L
//     L L L L L L
TRect DrawEtched(TCanvas* Canvas, const TRect& R, TColor UL, TColor LR, TSides Sides) {
  bool left = Sides.Contains(sdLeft), top = Sides.Contains(sdTop), right = Sides.Contains(sdRight),
       bottom = Sides.Contains(sdBottom);
  if (right) Canvas->SetPixels(R.Right - 1, R.Top, LR);
  if (top && !right) Canvas->SetPixels(R.Right - 1, R.Top, UL);
  if (bottom) Canvas->SetPixels(R.Left, R.Bottom - 1, LR);
  if (left && !bottom) Canvas->SetPixels(R.Left, R.Bottom - 1, UL);
  if (top && !left) Canvas->SetPixels(R.Left, R.Top + 1, LR);
  if (left && !top) Canvas->SetPixels(R.Left + 1, R.Top, LR);
  if (bottom && !right) Canvas->SetPixels(R.Right - 1, R.Bottom - 2, UL);
  if (right && !bottom) Canvas->SetPixels(R.Right - 2, R.Bottom - 1, UL);
  DrawSides(Canvas, {R.Left + 1, R.Top + 1, R.Right, R.Bottom}, LR, LR, Sides);
  DrawSides(Canvas, {R.Left, R.Top, R.Right - 1, R.Bottom - 1}, UL, UL, Sides);
  return Shrink(R, Sides, 2);
}

// Step 1 or 3 of DrawInnerOuterBorders: one flat, rounded, bevel or frame style.
// The rings under a rounded border are drawn on the chosen sides only, like every
// other ring of the frame, so a frame without sides draws nothing.
TRect DrawStyleRing(TCanvas* Canvas, const TRect& Rect, TFrameStyleEx Style, bool Inner, int BorderWidth,
                    TFrameStyleEx BorderInner, TSides Sides, int BevelWidth, TColor BorderColor,
                    TColor BorderHighlight, TColor BorderShadow, TColor Cf, TColor Color, TColor ParentColor,
                    bool Transparent, bool SoftInnerFlat) {
  switch (Style) {
    case fsFlat:
      if (Inner && SoftInnerFlat) {
        // A box in Cf without its corner pixels, always on all four sides.
        const TRect& r = Rect;
        Canvas->Pen()->SetColor(Cf);
        Line(Canvas, r.Left, r.Top + 1, r.Left, r.Bottom - 1);
        Line(Canvas, r.Left + 1, r.Top, r.Right - 1, r.Top);
        Line(Canvas, r.Right - 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
        Line(Canvas, r.Left + 1, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
        return {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
      }
      return DrawBevel(Canvas, Rect, Cf, Cf, 1, Sides);
    case fsFlatBold:
      return DrawBevel(Canvas, Rect, Cf, Cf, 2, Sides);
    case fsFlatRounded:
      if (Inner) {
        TRect r1 = DrawBevel(Canvas, Rect, BorderColor, BorderColor, 1, Sides);
        if (!Transparent) DrawBevel(Canvas, r1, Color, Color, 1, Sides);
      } else {
        bool bordered = BorderWidth > 0 || BorderInner != fsNone;
        if (!Transparent) {
          TRect r1 = DrawBevel(Canvas, Rect, ParentColor, ParentColor, 1, Sides);
          TColor x = bordered ? BorderColor : Color;
          DrawBevel(Canvas, r1, x, x, 1, Sides);
        } else if (bordered) {
          DrawBevel(Canvas, Shrink(Rect, Sides, 1), BorderColor, BorderColor, 1, Sides);
        }
      }
      return DrawRoundedFlatBorder(Canvas, Rect, Cf, Sides);
    case fsPopup:
      return DrawBevel(Canvas, Rect, BorderHighlight, BorderShadow, BevelWidth, Sides);
    case fsStatus:
      return DrawBevel(Canvas, Rect, BorderShadow, BorderHighlight, BevelWidth, Sides);
    default:
      return DrawBorderSides(Canvas, Rect, Style, Sides);
  }
}

// Whether the canvas's lines can be filled as rectangles: a solid one-pixel pen
// that copies its colour.
bool PlainPen(TCanvas* Canvas) {
  const TPen* p = Canvas->Pen();
  return p->Style() == psSolid && p->Mode() == pmCopy && p->Width() <= 1;
}

// The pixels of a level or upright one-pixel line from A up to, not including, B.
TRect StraightLine(TPoint A, TPoint B) {
  if (A.Y == B.Y) return {A.X < B.X ? A.X : B.X + 1, A.Y, A.X < B.X ? B.X : A.X + 1, A.Y + 1};
  return {A.X, A.Y < B.Y ? A.Y : B.Y + 1, A.X + 1, A.Y < B.Y ? B.Y : A.Y + 1};
}

}  // namespace

TRect DrawSides(TCanvas* Canvas, const TRect& Rect, TColor ULColor, TColor LRColor, TSides Sides) {
  const TRect& r = Rect;
  if (PlainPen(Canvas)) {
    // The lines as filled rectangles, with the pen's colour and position left as the
    // lines would leave them.
    TPoint end;
    bool drawn = false;
    auto line = [&](int X1, int Y1, int X2, int Y2, TColor Color) {
      if (X1 != X2 || Y1 != Y2) Canvas->FillSolidRect(StraightLine({X1, Y1}, {X2, Y2}), Color);
      end = {X2, Y2};
      drawn = true;
    };
    if (ULColor != clNone) {
      Canvas->Pen()->SetColor(ULColor);
      if (Sides.Contains(sdLeft)) line(r.Left, r.Top, r.Left, r.Bottom, ULColor);
      if (Sides.Contains(sdTop)) line(r.Left, r.Top, r.Right, r.Top, ULColor);
    }
    if (LRColor != clNone) {
      Canvas->Pen()->SetColor(LRColor);
      if (Sides.Contains(sdRight)) line(r.Right - 1, r.Top, r.Right - 1, r.Bottom, LRColor);
      if (Sides.Contains(sdBottom)) line(r.Left, r.Bottom - 1, r.Right, r.Bottom - 1, LRColor);
    }
    if (drawn) Canvas->MoveTo(end.X, end.Y);
    return Shrink(Rect, Sides, 1);
  }
  if (ULColor != clNone) {
    Canvas->Pen()->SetColor(ULColor);
    if (Sides.Contains(sdLeft)) Line(Canvas, r.Left, r.Top, r.Left, r.Bottom);
    if (Sides.Contains(sdTop)) Line(Canvas, r.Left, r.Top, r.Right, r.Top);
  }
  if (LRColor != clNone) {
    Canvas->Pen()->SetColor(LRColor);
    if (Sides.Contains(sdRight)) Line(Canvas, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
    if (Sides.Contains(sdBottom)) Line(Canvas, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
  }
  return Shrink(Rect, Sides, 1);
}

TRect DrawBevel(TCanvas* Canvas, const TRect& Rect, TColor ULColor, TColor LRColor, int Width, TSides Sides) {
  Canvas->Pen()->SetWidth(1);
  TRect r = Rect;
  for (int i = 0; i < Width; ++i) r = DrawSides(Canvas, r, ULColor, LRColor, Sides);
  return r;
}

TRect DrawCtl3DBorderSides(TCanvas* Canvas, const TRect& Rect, bool Lowered, TSides Sides) {
  TRect r = DrawBevel(Canvas, Rect, Ctl3DOuterUL[Lowered], Ctl3DOuterLR[Lowered], 1, Sides);
  return DrawBevel(Canvas, r, Ctl3DInnerUL[Lowered], Ctl3DInnerLR[Lowered], 1, Sides);
}

TRect DrawCtl3DBorder(TCanvas* Canvas, const TRect& Rect, bool Lowered) {
  return DrawCtl3DBorderSides(Canvas, Rect, Lowered, AllSides);
}

TRect DrawButtonBorderSides(TCanvas* Canvas, const TRect& Rect, bool Down, TSides Sides) {
  TRect r = DrawBevel(Canvas, Rect, ButtonOuterUL[Down], ButtonOuterLR[Down], 1, Sides);
  return DrawBevel(Canvas, r, ButtonInnerUL[Down], ButtonInnerLR[Down], 1, Sides);
}

TRect DrawButtonBorder(TCanvas* Canvas, const TRect& Rect, bool Down) {
  return DrawButtonBorderSides(Canvas, Rect, Down, AllSides);
}

TRect DrawColorButtonBorderSides(TCanvas* Canvas, const TRect& Rect, TColor Color, bool Down, TSides Sides) {
  TRect r;
  if (Down) {
    TColor dk100 = DarkerColor(Color, 100), dk50 = DarkerColor(Color, 50);
    r = DrawSides(Canvas, Rect, dk100, dk100, Sides);
    return DrawSides(Canvas, r, dk50, dk50, Sides);
  }
  r = DrawSides(Canvas, Rect, LighterColor(Color, 100), DarkerColor(Color, 100), Sides);
  return DrawSides(Canvas, r, LighterColor(Color, 40), DarkerColor(Color, 50), Sides);
}

TRect DrawColorButtonBorder(TCanvas* Canvas, const TRect& Rect, TColor Color, bool Down) {
  return DrawColorButtonBorderSides(Canvas, Rect, Color, Down, AllSides);
}

TRect DrawBorder(TCanvas* Canvas, const TRect& Rect, TFrameStyleEx FrameStyle) {
  return DrawBorderSides(Canvas, Rect, FrameStyle, AllSides);
}

// fsFlatRounded has no row in the colour tables; drawn here it is drawn as fsFlat
// (rounded borders are drawn with DrawRoundedFlatBorder).
TRect DrawBorderSides(TCanvas* Canvas, const TRect& Rect, TFrameStyleEx FrameStyle, TSides Sides) {
  if (FrameStyle == fsFlatRounded) FrameStyle = fsFlat;
  TColor ul = ULFrameColor[static_cast<int>(FrameStyle)], lr = LRFrameColor[static_cast<int>(FrameStyle)];
  switch (FrameStyle) {
    case fsNone: return Rect;
    case fsFlat:
    case fsStatus:
    case fsPopup: return DrawSides(Canvas, Rect, ul, lr, Sides);
    case fsFlatBold: return DrawBevel(Canvas, Rect, ul, lr, 2, Sides);
    case fsLowered:
    case fsRaised: return DrawCtl3DBorderSides(Canvas, Rect, FrameStyle == fsLowered, Sides);
    case fsButtonDown:
    case fsButtonUp: return DrawButtonBorderSides(Canvas, Rect, FrameStyle == fsButtonDown, Sides);
    case fsGroove:
    case fsBump: return DrawEtched(Canvas, Rect, ul, lr, Sides);
    default: return Rect;
  }
}

TRect DrawColorBorder(TCanvas* Canvas, const TRect& Rect, TColor Color, TFrameStyleEx FrameStyle) {
  return DrawColorBorderSides(Canvas, Rect, Color, FrameStyle, AllSides);
}

TRect DrawColorBorderSides(TCanvas* Canvas, const TRect& Rect, TColor Color, TFrameStyleEx FrameStyle,
                           TSides Sides) {
  if (FrameStyle == fsNone) return Rect;
  TColor dk50 = DarkerColor(Color, 50), dk100 = DarkerColor(Color, 100), lt50 = LighterColor(Color, 50),
         lt100 = LighterColor(Color, 100);
  switch (FrameStyle) {
    case fsFlat: return DrawSides(Canvas, Rect, dk50, dk50, Sides);
    case fsStatus: return DrawSides(Canvas, Rect, dk50, lt100, Sides);
    case fsPopup: return DrawSides(Canvas, Rect, lt100, dk50, Sides);
    case fsFlatBold: return DrawSides(Canvas, DrawSides(Canvas, Rect, dk50, dk50, Sides), dk50, dk50, Sides);
    case fsLowered: return DrawSides(Canvas, DrawSides(Canvas, Rect, dk50, lt100, Sides), dk100, lt50, Sides);
    case fsRaised: return DrawSides(Canvas, DrawSides(Canvas, Rect, lt50, dk100, Sides), lt100, dk50, Sides);
    case fsButtonDown:
    case fsButtonUp: return DrawColorButtonBorderSides(Canvas, Rect, Color, FrameStyle == fsButtonDown, Sides);
    case fsGroove: return DrawEtched(Canvas, Rect, dk50, lt100, Sides);
    default: return DrawEtched(Canvas, Rect, lt100, dk50, Sides);  // fsBump, fsFlatRounded
  }
}

TRect DrawBox(TCanvas* Canvas, const TRect& Rect, TColor Color) {
  const TRect& r = Rect;
  Canvas->Pen()->SetColor(Color);
  Line(Canvas, r.Left, r.Top, r.Left, r.Bottom);
  Line(Canvas, r.Left, r.Top, r.Right, r.Top);
  Line(Canvas, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
  Line(Canvas, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
  return {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
}

TRect DrawBoxCorners(TCanvas* Canvas, const TRect& Rect, TColor Color, int Length) {
  const TRect& r = Rect;
  Canvas->Pen()->SetColor(Color);
  Canvas->Polyline({{r.Left, r.Top + Length - 1}, {r.Left, r.Top}, {r.Left + Length, r.Top}});
  Canvas->Polyline({{r.Right - Length, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Top + Length}});
  Canvas->Polyline(
      {{r.Right - 1, r.Bottom - Length}, {r.Right - 1, r.Bottom - 1}, {r.Right - 1 - Length, r.Bottom - 1}});
  Canvas->Polyline({{r.Left + Length - 1, r.Bottom - 1}, {r.Left, r.Bottom - 1}, {r.Left, r.Bottom - 1 - Length}});
  return {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
}

// The pen and brush styles are put back afterwards: a dotted pen left on the canvas
// would make every later frame on it dotted.
TRect DrawDashedBorder(TCanvas* Canvas, const TRect& Rect, TColor Color) {
  TPenStyle penStyle = Canvas->Pen()->Style();
  TBrushStyle brushStyle = Canvas->Brush()->Style();
  Canvas->Pen()->SetStyle(psDot);
  Canvas->Pen()->SetColor(Color);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->Rectangle(Rect);
  Canvas->Brush()->SetStyle(brushStyle);
  Canvas->Pen()->SetStyle(penStyle);
  return {Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1};
}

// Every second pixel of the frame is inverted (xor 0xFFFFFF), starting one pixel
// in from the top-left corner along each side (X = inverted):
//
//   6 x 4          1 x 4
//   . X . X . X    .
//   X . . . . X    X
//   . . . . . .    .
//   X X . X . X    X
//
// The side runs meet at the bottom-right corner when both sizes are even, and the
// left and right columns (or the top and bottom rows) are one line at size 1;
// such a pixel is still inverted once, not twice (which would leave it as it was).
// A pixel outside the canvas or its clip reads as invalid and is left alone.
TRect DrawFocusBorder(TCanvas* Canvas, const TRect& Rect) {
  const TRect& r = Rect;
  std::vector<std::pair<int, int>> points;  // (y, x)
  for (int y = r.Top + 1; y < r.Bottom; y += 2) {
    points.emplace_back(y, r.Left);
    points.emplace_back(y, r.Right - 1);
  }
  for (int x = r.Left + 1; x < r.Right; x += 2) {
    points.emplace_back(r.Top, x);
    points.emplace_back(r.Bottom - 1, x);
  }
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());
  for (const auto& [y, x] : points) {
    TColor c = Canvas->Pixels(x, y);
    if (static_cast<COLORREF>(c) == CLR_INVALID) continue;
    Canvas->SetPixels(x, y, static_cast<TColor>(static_cast<COLORREF>(c) ^ 0xFFFFFFu));
  }
  return {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
}

// All sides, 6 x 5 (C = Color):
//   . . C C . .
//   . C . . C .
//   C . . . . C
//   . C . . C .
//   . . C C . .
TRect DrawRoundedFlatBorder(TCanvas* Canvas, const TRect& Rect, TColor Color, TSides Sides) {
  const TRect& r = Rect;
  bool left = Sides.Contains(sdLeft), top = Sides.Contains(sdTop), right = Sides.Contains(sdRight),
       bottom = Sides.Contains(sdBottom);
  int t = top ? r.Top + 2 : r.Top, l = left ? r.Left + 2 : r.Left, rr = right ? r.Right - 2 : r.Right,
      b = bottom ? r.Bottom - 2 : r.Bottom;
  Canvas->Pen()->SetColor(Color);
  if (left) Line(Canvas, r.Left, t, r.Left, b);
  if (top) Line(Canvas, l, r.Top, rr, r.Top);
  if (right) Line(Canvas, r.Right - 1, t, r.Right - 1, b);
  if (bottom) Line(Canvas, l, r.Bottom - 1, rr, r.Bottom - 1);
  if (left && top) Canvas->SetPixels(r.Left + 1, r.Top + 1, Color);
  if (top && right) Canvas->SetPixels(r.Right - 2, r.Top + 1, Color);
  if (right && bottom) Canvas->SetPixels(r.Right - 2, r.Bottom - 2, Color);
  if (left && bottom) Canvas->SetPixels(r.Left + 1, r.Bottom - 2, Color);
  return {l, t, rr, b};
}

TRect DrawInnerOuterBorders(TCanvas* Canvas, const TRect& Rect, TFrameStyleEx BorderOuter,
                            TFrameStyleEx BorderInner, int BorderWidth, TSides BorderSides, int BevelWidth,
                            TColor BorderColor, TColor BorderHighlight, TColor BorderShadow, TColor FlatColor,
                            int FlatColorAdjustment, TColor Color, TColor ParentColor, bool Transparent,
                            bool SoftInnerFlat) {
  TColor cf = AdjustColor(FlatColor, FlatColorAdjustment);
  TRect r = DrawStyleRing(Canvas, Rect, BorderOuter, false, BorderWidth, BorderInner, BorderSides, BevelWidth,
                          BorderColor, BorderHighlight, BorderShadow, cf, Color, ParentColor, Transparent,
                          SoftInnerFlat);
  if (BorderWidth > 0) r = DrawBevel(Canvas, r, BorderColor, BorderColor, BorderWidth, BorderSides);
  return DrawStyleRing(Canvas, r, BorderInner, true, BorderWidth, BorderInner, BorderSides, BevelWidth,
                       BorderColor, BorderHighlight, BorderShadow, cf, Color, ParentColor, Transparent,
                       SoftInnerFlat);
}

void DrawFrame(TCanvas* Canvas, int Width, int Height, TFrameStyleEx FrameStyle, TColor Color, TColor FrameColor,
               TSides Sides, bool KeepOuterRing) {
  TRect r(0, 0, Width, Height);
  // A flat frame covers the sides of the colour rings it is drawn on (all of the
  // outer ring's, and the inner ring's too when bold): with a solid copy pen those
  // are left out, since they would only be painted over.
  bool flat = FrameStyle == fsFlat || FrameStyle == fsFlatBold;
  if (!KeepOuterRing && flat && FrameColor != clNone && Width >= 4 && Height >= 4 &&
      Canvas->Pen()->Style() == psSolid && Canvas->Pen()->Mode() == pmCopy) {
    TSides rest = AllSides - Sides;
    Canvas->Pen()->SetWidth(1);
    DrawSides(Canvas, r, Color, Color, rest);
    DrawSides(Canvas, {1, 1, Width - 1, Height - 1}, Color, Color, FrameStyle == fsFlatBold ? rest : AllSides);
  } else if (!KeepOuterRing) {
    DrawBevel(Canvas, r, Color, Color, 2, AllSides);
  }
  if (FrameStyle == fsFlat)
    DrawSides(Canvas, r, FrameColor, FrameColor, Sides);
  else if (FrameStyle == fsFlatBold)
    DrawBevel(Canvas, r, FrameColor, FrameColor, 2, Sides);
  else if (Color != clWindow)
    DrawColorBorderSides(Canvas, r, Color, FrameStyle, Sides);
  else
    DrawBorderSides(Canvas, r, FrameStyle, Sides);
}

// Only a window that can be seen is invalidated: its window DC's clip box is then
// neither empty nor an error. The layer's window DCs are not clipped by the
// window's own visibility, so a hidden window is tested for first.
void InvalidateWindowFrame(HWND Handle, const TRect& Rect) {
  if (!IsWindowVisible(Handle)) return;
  HDC dc = GetWindowDC(Handle);
  if (!dc) return;
  TRect box;
  int kind = GetClipBox(dc, &box);
  if (kind != ERROR && kind != NULLREGION) RedrawWindow(Handle, &Rect, nullptr, RDW_INVALIDATE | RDW_FRAME);
  ReleaseDC(Handle, dc);
}

void InvalidateControls(TWinControl* WinControl) {
  for (int i = 0; i < WinControl->ControlCount(); ++i) {
    TControl* child = WinControl->Controls(i);
    const TPropInfo* prop = GetPropInfo(child, "Transparent");
    if (prop && prop->GetOrd && GetOrdProp(child, "Transparent") == 1) child->Invalidate();
  }
}

// Each ring i (1 .. Depth) blends Color into what is there with an alpha that
// falls by 128 div Depth per ring, so the shadow fades outward. Pixels outside
// the canvas are skipped.
void DrawDropShadow(TCanvas* Canvas, const TRect& Rect, int Depth, TColor Color) {
  if (Depth <= 0) return;
  const int L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom, D2 = 2 * Depth;
  int step = 128 / Depth, alpha = 128;
  auto blend = [&](int X, int Y) {
    TColor p = Canvas->Pixels(X, Y);
    if (static_cast<COLORREF>(p) == CLR_INVALID) return;
    Canvas->SetPixels(X, Y, BlendColors(Color, p, static_cast<uint8_t>(std::clamp(alpha, 0, 255))));
  };
  for (int i = 1; i <= Depth; ++i) {
    for (int y = B - 1; y <= B + i - 2; ++y) blend(L + D2 - i, y);
    blend(L + D2 - i + 1, B + i - 2);
    for (int x = L + D2 - i + 1; x <= R + i - 2; ++x) blend(x, B - 1 + i);
    blend(R + i - 2, B + i - 2);
    for (int x = R - 1; x <= R + i - 2; ++x) blend(x, T + D2 - i);
    blend(R + i - 2, T + D2 - i + 1);
    for (int y = T + D2 - i + 1; y <= B + i - 2; ++y) blend(R - 1 + i, y);
    alpha -= step;
  }
}
