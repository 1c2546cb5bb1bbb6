// DrawEdge and DrawFrameControl: the classic 3-D borders and control glyphs, drawn
// in the system colours of the fixed table. Pixels go straight to the surface
// through the clip; the pen, brush and mix mode of the device context are not used.
#include "platform/graphics/gdi_internal.h"

using namespace gdi;

namespace {

// Clip rectangle by clip rectangle (edges are mostly one-pixel columns and rows).
void Fill(HDC Dc, const TRect& R, uint32_t Color) {
  if (R.IsEmpty()) return;
  TSurface& s = Dc->Surface();
  TRect t;
  for (const TRect& c : Dc->ClipRects()) {
    if (!IntersectRect(t, c, R)) continue;
    for (int y = t.Top; y < t.Bottom; ++y) FillPixels(s.Row(y) + t.Left, t.Width(), Color);
  }
}
void Put(HDC Dc, int X, int Y, uint32_t Color) { PutPixelRop2(Dc, X, Y, Color, R2_COPYPEN); }
uint32_t Sys(HDC Dc, int Index) { return ForSurface(Dc->Surface(), ToPixel(GetSysColor(Index))); }

// One ring of an edge on rectangle R (surface coordinates). The upper-left colour
// goes on the left column and the top row, then the lower-right colour on the right
// column and the bottom row over their full length: the lower-right colour owns the
// top-right and bottom-left corners, the upper-left one the top-left corner.
void Ring(HDC Dc, const TRect& R, unsigned Sides, uint32_t UL, uint32_t LR) {
  if (R.IsEmpty()) return;
  if (Sides & BF_LEFT) Fill(Dc, {R.Left, R.Top, R.Left + 1, R.Bottom}, UL);
  if (Sides & BF_TOP) Fill(Dc, {R.Left, R.Top, R.Right, R.Top + 1}, UL);
  if (Sides & BF_RIGHT) Fill(Dc, {R.Right - 1, R.Top, R.Right, R.Bottom}, LR);
  if (Sides & BF_BOTTOM) Fill(Dc, {R.Left, R.Bottom - 1, R.Right, R.Bottom}, LR);
}

void Shrink(TRect& R, unsigned Sides) {
  if (Sides & BF_LEFT) ++R.Left;
  if (Sides & BF_TOP) ++R.Top;
  if (Sides & BF_RIGHT) --R.Right;
  if (Sides & BF_BOTTOM) --R.Bottom;
}

// Edge colours. Outer ring: raised 3DLIGHT / 3DDKSHADOW, sunken BTNSHADOW /
// BTNHIGHLIGHT. Inner ring: raised BTNHIGHLIGHT / BTNSHADOW, sunken 3DDKSHADOW /
// 3DLIGHT. BF_SOFT swaps the two upper-left colours of a raised edge (highlight
// outside, light inside) and of a sunken one (dark shadow outside, shadow inside).
// BF_FLAT: outer ring BTNSHADOW, inner ring BTNFACE; BF_MONO: WINDOWFRAME and WINDOW.
// Rings are drawn from the outside in, only those the edge names, so an inner-only
// edge lies on the rectangle's border.
void EdgeOn(HDC Dc, TRect& R, unsigned Edge, unsigned Flags) {
  unsigned sides = Flags & BF_RECT;
  bool soft = Flags & BF_SOFT;
  if (Edge & BDR_OUTER) {
    uint32_t ul, lr;
    if (Flags & BF_MONO) ul = lr = Sys(Dc, COLOR_WINDOWFRAME);
    else if (Flags & BF_FLAT) ul = lr = Sys(Dc, COLOR_BTNSHADOW);
    else if (Edge & BDR_RAISEDOUTER) {
      ul = Sys(Dc, soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT);
      lr = Sys(Dc, COLOR_3DDKSHADOW);
    } else {
      ul = Sys(Dc, soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW);
      lr = Sys(Dc, COLOR_BTNHIGHLIGHT);
    }
    Ring(Dc, R, sides, ul, lr);
    Shrink(R, sides);
  }
  if (Edge & BDR_INNER) {
    uint32_t ul, lr;
    if (Flags & BF_MONO) ul = lr = Sys(Dc, COLOR_WINDOW);
    else if (Flags & BF_FLAT) ul = lr = Sys(Dc, COLOR_BTNFACE);
    else if (Edge & BDR_RAISEDINNER) {
      ul = Sys(Dc, soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT);
      lr = Sys(Dc, COLOR_BTNSHADOW);
    } else {
      ul = Sys(Dc, soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW);
      lr = Sys(Dc, COLOR_3DLIGHT);
    }
    Ring(Dc, R, sides, ul, lr);
    Shrink(R, sides);
  }
  if ((Flags & BF_MIDDLE) && !R.IsEmpty())
    Fill(Dc, R, Sys(Dc, (Flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
}

TRect ToSurf(HDC Dc, const TRect& R) { return SurfRect(Dc, R); }
TRect ToLogical(HDC Dc, const TRect& S) {
  TRect r = S;
  OffsetRect(r, -Dc->OffX(), -Dc->OffY());
  return r;
}

// The classic check mark in a 13 x 13 cell: seven columns three pixels high, from
// column 3 to 9, their tops at rows 5, 6, 7, 6, 5, 4, 3.
constexpr int kCheckTops[7] = {5, 6, 7, 6, 5, 4, 3};

void CheckMark(HDC Dc, int GX, int GY, const TRect& Clip, uint32_t Color) {
  for (int i = 0; i < 7; ++i)
    for (int k = 0; k < 3; ++k) {
      int x = GX + 3 + i, y = GY + kCheckTops[i] + k;
      if (Clip.Contains({x, y})) Put(Dc, x, y, Color);
    }
}

// The classic radio button, 12 x 12: O outer ring, I inner ring, W inside, D the
// dot. The rings are split along the anti-diagonal: pixels with x + y < 11 take the
// upper-left colours (outer BTNSHADOW, inner 3DDKSHADOW), the others the lower-right
// ones (outer BTNHIGHLIGHT, inner 3DLIGHT).
constexpr const char* kRadio[12] = {
    "....OOOO....",
    "..OOIIIIOO..",
    ".OIIWWWWIIO.",
    ".OIWWWWWWIO.",
    "OIWWWDDWWWIO",
    "OIWWDDDDWWIO",
    "OIWWDDDDWWIO",
    "OIWWWDDWWWIO",
    ".OIWWWWWWIO.",
    ".OIIWWWWIIO.",
    "..OOIIIIOO..",
    "....OOOO....",
};

bool ButtonControl(HDC Dc, TRect& R, unsigned State) {
  unsigned kind = State & 0x1F;
  TRect s = ToSurf(Dc, R);
  bool inactive = State & DFCS_INACTIVE, pushed = State & DFCS_PUSHED, checked = State & DFCS_CHECKED;
  if (kind == DFCS_BUTTONPUSH) {
    // Push button: a soft raised edge, or a soft sunken one while pushed or checked.
    unsigned edge = (pushed || checked) ? EDGE_SUNKEN : EDGE_RAISED;
    unsigned flags = BF_RECT | BF_SOFT;
    if (!(State & DFCS_TRANSPARENT)) flags |= BF_MIDDLE;
    if (State & DFCS_FLAT) flags |= BF_FLAT;
    if (State & DFCS_MONO) flags |= BF_MONO;
    TRect inner = s;
    EdgeOn(Dc, inner, edge, flags);
    if (State & DFCS_ADJUSTRECT) R = ToLogical(Dc, inner);
    return true;
  }
  uint32_t face = Sys(Dc, (pushed || inactive) ? COLOR_BTNFACE : COLOR_WINDOW);
  uint32_t mark = Sys(Dc, inactive ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT);
  int w = s.Width(), h = s.Height();
  if (kind == DFCS_BUTTONCHECK || kind == DFCS_BUTTON3STATE) {
    // Check box: the largest centred square; a sunken edge (one BTNSHADOW ring when
    // flat, one WINDOWFRAME ring when mono); a three-state box that is checked shows
    // a BTNSHADOW mark on BTNFACE. The mark keeps the 13 x 13 geometry, centred.
    int side = std::min(w, h);
    if (side <= 0) return true;
    TRect box = Bounds(s.Left + (w - side) / 2, s.Top + (h - side) / 2, side, side);
    TRect in = box;
    if (State & (DFCS_FLAT | DFCS_MONO)) {
      uint32_t c = Sys(Dc, (State & DFCS_MONO) ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW);
      Ring(Dc, in, BF_RECT, c, c);
      Shrink(in, BF_RECT);
    } else {
      EdgeOn(Dc, in, EDGE_SUNKEN, BF_RECT);
    }
    bool grayed = kind == DFCS_BUTTON3STATE && checked;
    if (grayed) {
      face = Sys(Dc, COLOR_BTNFACE);
      mark = Sys(Dc, COLOR_BTNSHADOW);
    }
    Fill(Dc, in, face);
    if (checked) CheckMark(Dc, box.Left + (side - 13) / 2, box.Top + (side - 13) / 2, in, mark);
    return true;
  }
  if (kind == DFCS_BUTTONRADIO || kind == DFCS_BUTTONRADIOIMAGE || kind == DFCS_BUTTONRADIOMASK) {
    // Radio button: the 12 x 12 picture above, centred; the mask variant paints the
    // circle black and the rest of the square white. Flat: outer ring BTNSHADOW,
    // mono: WINDOWFRAME, and the inner ring takes the inside colour.
    int gx = s.Left + (w - 12) / 2, gy = s.Top + (h - 12) / 2;
    bool mask = kind == DFCS_BUTTONRADIOMASK;
    bool plain = State & (DFCS_FLAT | DFCS_MONO);
    uint32_t plainRing = Sys(Dc, (State & DFCS_MONO) ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 12; ++x) {
        char c = kRadio[y][x];
        uint32_t v;
        if (mask) v = c == '.' ? kWhite : kBlack;
        else if (c == '.') continue;
        else if (c == 'O') v = plain ? plainRing : Sys(Dc, x + y < 11 ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
        else if (c == 'I') v = plain ? face : Sys(Dc, x + y < 11 ? COLOR_3DDKSHADOW : COLOR_3DLIGHT);
        else if (c == 'D' && checked) v = mark;
        else v = face;
        Put(Dc, gx + x, gy + y, ForSurface(Dc->Surface(), v));
      }
    return true;
  }
  return false;
}

// A solid triangle of N rows pointing in Dir (0 up, 1 down, 2 left, 3 right) with
// its apex on the centre line of R: row k from the apex is 2k + 1 pixels long.
void Arrow(HDC Dc, const TRect& R, int Dir, int N, uint32_t Color, int Dx, int Dy) {
  int w = R.Width(), h = R.Height();
  TRect box = VisibleBox(Dc);
  if (Dir <= 1) {
    int cx = R.Left + (w - 1) / 2 + Dx, y0 = R.Top + (h - N) / 2 + Dy;
    for (int k = std::max(0, box.Top - y0); k < std::min(N, box.Bottom - y0); ++k) {
      int half = Dir == 0 ? k : N - 1 - k;
      FillSpanRop2(Dc, y0 + k, cx - half, cx + half + 1, Color, R2_COPYPEN);
    }
  } else {
    int cy = R.Top + (h - 1) / 2 + Dy, x0 = R.Left + (w - N) / 2 + Dx;
    for (int k = std::max(0, box.Left - x0); k < std::min(N, box.Right - x0); ++k) {
      int half = Dir == 2 ? k : N - 1 - k;
      Fill(Dc, {x0 + k, cy - half, x0 + k + 1, cy + half + 1}, Color);
    }
  }
}

int ArrowRows(const TRect& R) { return std::max(1, (std::min(R.Width(), R.Height()) + 1) / 4); }

bool ScrollControl(HDC Dc, TRect& R, unsigned State) {
  unsigned kind = State & 0x1F;
  int dir;
  switch (kind) {
    case DFCS_SCROLLUP: dir = 0; break;
    case DFCS_SCROLLDOWN:
    case DFCS_SCROLLCOMBOBOX: dir = 1; break;
    case DFCS_SCROLLLEFT: dir = 2; break;
    case DFCS_SCROLLRIGHT: dir = 3; break;
    default: return false;
  }
  // Scroll and combo buttons: a raised edge, flat while pushed or with DFCS_FLAT;
  // the arrow moves by (1, 1) while pushed. Its size follows the button's shorter
  // side s: (s + 1) / 4 rows (4 rows, 7 pixels wide, for 16 or 17 pixels).
  // Disabled: a BTNHIGHLIGHT copy at (1, 1) under a BTNSHADOW arrow.
  TRect s = ToSurf(Dc, R);
  bool pushed = State & DFCS_PUSHED;
  unsigned flags = BF_RECT;
  if (!(State & DFCS_TRANSPARENT)) flags |= BF_MIDDLE;
  if (pushed || (State & DFCS_FLAT)) flags |= BF_FLAT;
  if (State & DFCS_MONO) flags |= BF_MONO;
  TRect inner = s;
  EdgeOn(Dc, inner, EDGE_RAISED, flags);
  int n = ArrowRows(s), d = pushed ? 1 : 0;
  if (State & DFCS_INACTIVE) {
    Arrow(Dc, s, dir, n, Sys(Dc, COLOR_BTNHIGHLIGHT), d + 1, d + 1);
    Arrow(Dc, s, dir, n, Sys(Dc, COLOR_BTNSHADOW), d, d);
  } else {
    Arrow(Dc, s, dir, n, Sys(Dc, COLOR_BTNTEXT), d, d);
  }
  if (State & DFCS_ADJUSTRECT) R = ToLogical(Dc, inner);
  return true;
}

bool MenuControl(HDC Dc, TRect& R, unsigned State) {
  // Menu marks are masks: the rectangle white, the mark black, for the caller to
  // colour. Check: the 7 x 7 check mark centred. Bullet: a centred circle of
  // diameter max(2, s / 2 - 1). Arrow: a right-pointing triangle of (s + 1) / 4
  // columns (DFCS_MENUARROWRIGHT, 4, points left).
  TRect s = ToSurf(Dc, R);
  uint32_t white = kWhite, black = kBlack;
  unsigned kind = State & 0xFF;
  int w = s.Width(), h = s.Height(), side = std::min(w, h);
  switch (kind) {
    case DFCS_MENUCHECK: {
      Fill(Dc, s, white);
      int gx = s.Left + (w - 7) / 2 - 3, gy = s.Top + (h - 7) / 2 - 3;
      CheckMark(Dc, gx, gy, s, black);
      return true;
    }
    case DFCS_MENUBULLET: {
      Fill(Dc, s, white);
      int d = std::max(2, side / 2 - 1);
      int l = s.Left + (w - d) / 2, t = s.Top + (h - d) / 2;
      // Pixel centres inside the circle of diameter d.
      TRect box = VisibleBox(Dc);
      for (int y = std::max(0, box.Top - t); y < std::min(d, box.Bottom - t); ++y)
        for (int x = std::max(0, box.Left - l); x < std::min(d, box.Right - l); ++x) {
          int64_t u = 2 * x + 1 - d, v = 2 * y + 1 - d;
          if (u * u + v * v <= int64_t(d) * d) Put(Dc, l + x, t + y, black);
        }
      return true;
    }
    case DFCS_MENUARROW:
    case 4:
      Fill(Dc, s, white);
      Arrow(Dc, s, kind == DFCS_MENUARROW ? 3 : 2, ArrowRows(s), black, 0, 0);
      return true;
    default: return false;
  }
}

}  // namespace

bool DrawEdge(HDC Dc, TRect* R, unsigned Edge, unsigned Flags) {
  if (!Dc || !R) return false;
  if (Flags & BF_DIAGONAL) return false;  // diagonal edges are not drawn by this system
  TRect s = ToSurf(Dc, *R);
  EdgeOn(Dc, s, Edge, Flags);
  if (Flags & BF_ADJUST) *R = ToLogical(Dc, s);
  return true;
}

bool DrawFrameControl(HDC Dc, TRect* R, unsigned Type, unsigned State) {
  if (!Dc || !R) return false;
  switch (Type) {
    case DFC_BUTTON: return ButtonControl(Dc, *R, State);
    case DFC_SCROLL: return ScrollControl(Dc, *R, State);
    case DFC_MENU: return MenuControl(Dc, *R, State);
    default: return false;  // caption buttons are drawn by the window layer
  }
}
