// Glyph painters of the framed controls.
#include "controls/common/glyphs.h"

#include <algorithm>
#include <vector>

#include "controls/common/colors.h"
#include "controls/common/frames.h"
#include "controls/common/themes.h"
#include "platform/core/scope.h"

DTU_DEFINE_ENUM(TQvUIStyle, "uiWindows95", "uiWindowsXP")
DTU_DEFINE_ENUM(TQvButtonDisplayState, "bdsNormal", "bdsDown", "bdsHot", "bdsDisabled")
DTU_DEFINE_ENUM(TQvButtonHotTrackStyle, "htsInterior", "htsFrame")

namespace {

TPoint Anchor(const TRect& R) {
  int h = R.Bottom - R.Top;
  int y = R.Top + h / 2;
  if (h % 2 == 0) --y;
  return {R.Left + (R.Right - R.Left) / 2, y};
}

// The colour of the themed drop-down button's arrow: the element drawn into a work
// bitmap and its pixel (8, 10) read back.
TColor ThemedArrowColor() {
  TBitmap work(17, 21);
  ThemeServices()->DrawElement(work.Canvas()->Handle(), ThemeServices()->GetElementDetails(tcDropDownButtonNormal),
                               Rect(0, 0, 16, 20));
  TColor c = work.Canvas()->Pixels(8, 10);
  return ColorsTooClose(c, clWindow) ? cl3DDkShadow : c;
}

// The XP look reads its colour from a themed element, which is drawn only while
// themes are on; with themes off the XP shapes take the classic colour.
TColor GlyphColor(TCanvas* Canvas, TQvUIStyle UIStyle, bool Enabled, bool Cross) {
  if (!Enabled) return clBtnShadow;
  if (UIStyle == uiWindowsXP && ThemeServices()->ThemesEnabled()) return ThemedArrowColor();
  if (Cross) return clBlack;
  return ColorsTooClose(Canvas->Brush()->Color(), clBlack) ? cl3DDkShadow : clBlack;
}

// Brush colour set to the glyph colour and a clear pen while a glyph is painted;
// both put back afterwards.
class TGlyphPaint {
public:
  TGlyphPaint(TCanvas* Canvas, TColor Color)
      : FCanvas(Canvas), FBrushColor(Canvas->Brush()->Color()), FBrushStyle(Canvas->Brush()->Style()),
        FPenStyle(Canvas->Pen()->Style()) {
    Canvas->Brush()->SetColor(Color);
    Canvas->Pen()->SetStyle(psClear);
  }
  ~TGlyphPaint() {
    FCanvas->Pen()->SetStyle(FPenStyle);
    FCanvas->Brush()->SetColor(FBrushColor);
    FCanvas->Brush()->SetStyle(FBrushStyle);
  }
  TGlyphPaint(const TGlyphPaint&) = delete;
  TGlyphPaint& operator=(const TGlyphPaint&) = delete;
  // Pixels X0..X1 of row Y, or rows Y0..Y1 of column X, in the brush colour.
  void Row(int X0, int X1, int Y) {
    for (int x = X0; x <= X1; ++x) FCanvas->SetPixels(x, Y, FCanvas->Brush()->Color());
  }
  void Column(int X, int Y0, int Y1) {
    for (int y = Y0; y <= Y1; ++y) FCanvas->SetPixels(X, y, FCanvas->Brush()->Color());
  }
  void Polygon(std::vector<TPoint> Points) { FCanvas->Polygon(Points); }

private:
  TCanvas* FCanvas;
  TColor FBrushColor;
  TBrushStyle FBrushStyle;
  TPenStyle FPenStyle;
};

}  // namespace

void DrawDropDownArrow(TCanvas* Canvas, const TRect& R, TQvUIStyle UIStyle, bool Down, bool Enabled) {
  if (!Canvas) return;
  TGlyphPaint paint(Canvas, GlyphColor(Canvas, UIStyle, Enabled, false));
  TPoint a = Anchor(R);
  int x = a.X, y = a.Y + (UIStyle == uiWindows95 ? 2 : 4);
  if (Down) {
    ++x;
    ++y;
  }
  if (UIStyle == uiWindows95) {
    for (int i = 0; i <= 3; ++i) paint.Row(x - i, x + i, y - i);
  } else {
    paint.Polygon({{x, y}, {x - 4, y - 5}, {x - 3, y - 7}, {x, y - 3}, {x + 3, y - 7}, {x + 5, y - 5}});
  }
}

void DrawSpinArrow(TCanvas* Canvas, const TRect& R, TQvUIStyle UIStyle, TDirection Direction, bool Down,
                   bool Enabled) {
  if (!Canvas) return;
  TGlyphPaint paint(Canvas, GlyphColor(Canvas, UIStyle, Enabled, false));
  TPoint a = Anchor(R);
  int x = a.X, y = a.Y;
  bool classic = UIStyle == uiWindows95;
  switch (Direction) {
    case dirUp: y += classic ? 1 : 4; break;
    case dirDown: y += classic ? 1 : 2; break;
    case dirLeft: x -= classic ? 2 : 1; break;
    case dirRight: x -= classic ? 2 : 3; break;
  }
  if (Down && Enabled) {
    ++x;
    ++y;
  }
  if (classic) {
    for (int i = 0; i <= 3; ++i) {
      switch (Direction) {
        case dirUp: paint.Row(x - i, x + i, y - 3 + i); break;
        case dirDown: paint.Row(x - i, x + i, y - i); break;
        case dirLeft: paint.Column(x + i, y - i, y + i); break;
        case dirRight: paint.Column(x + 3 - i, y - i, y + i); break;
      }
    }
    return;
  }
  switch (Direction) {
    case dirUp: paint.Polygon({{x, y - 5}, {x + 4, y}, {x + 1, y}, {x, y - 2}, {x - 1, y}, {x - 4, y}}); break;
    case dirDown: paint.Polygon({{x, y}, {x - 3, y - 4}, {x, y - 4}, {x, y - 3}, {x + 1, y - 4}, {x + 4, y - 4}}); break;
    case dirLeft: paint.Polygon({{x, y}, {x + 4, y - 4}, {x + 4, y - 1}, {x + 3, y}, {x + 4, y + 1}, {x + 4, y + 4}}); break;
    case dirRight: paint.Polygon({{x + 4, y}, {x, y + 4}, {x, y + 1}, {x + 1, y}, {x, y - 1}, {x, y - 4}}); break;
  }
}

void DrawCloseX(TCanvas* Canvas, const TRect& R, TQvUIStyle UIStyle, bool Enabled, bool Down) {
  if (!Canvas) return;
  TGlyphPaint paint(Canvas, GlyphColor(Canvas, UIStyle, Enabled, true));
  TPoint a = Anchor(R);
  int x = a.X, y = a.Y;
  if (Down && Enabled) {
    ++x;
    ++y;
  }
  paint.Polygon({{x, y - 1}, {x + 3, y - 4}, {x + 5, y - 4}, {x + 5, y - 3}, {x + 2, y}, {x + 5, y + 4},
                 {x + 5, y + 5}, {x + 3, y + 5}, {x, y + 1}, {x - 3, y + 5}, {x - 4, y + 5}, {x - 4, y + 3},
                 {x - 1, y}, {x - 4, y - 3}, {x - 4, y - 4}, {x - 3, y - 5}});
}

void DrawHighlightBox(TCanvas* Canvas, const TRect& R, TGradientDirection Direction, TColor StartColor,
                      TColor StopColor) {
  if (!Canvas || !FullColorSupported) return;
  HDC dc = Canvas->Handle();
  // The caller's clip region is saved with the rest of the state and comes back
  // whole, instead of being dropped with the inner exclusion.
  int saved = SaveDC(dc);
  TOnExit restore([&] { RestoreDC(dc, saved); });
  ExcludeClipRect(dc, R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2);
  PaintGradient(Canvas, R, Direction, StartColor, StopColor, 1);
}

namespace {

// The fill colour of check boxes and radio buttons for a display state.
TColor FillColorFor(TQvButtonDisplayState DisplayState, bool Focused, TColor FillColor, TColor FocusedFillColor,
                    TColor DisabledColor, bool UseAltFill, bool AltFillOnFocus, TColor AltFillColor) {
  switch (DisplayState) {
    case bdsDown: return DarkerColor(FocusedFillColor, 20);
    case bdsDisabled: return DisabledColor;
    default: break;
  }
  if (Focused) return UseAltFill && AltFillOnFocus ? AltFillColor : FocusedFillColor;
  return UseAltFill ? AltFillColor : FillColor;
}

}  // namespace

// The check mark, 21 pixels from R's top-left corner (11 x 11 box):
//
//   . . . . . . . . . . .
//   . . . . . . . . . . .
//   . . . . . . . . . . .
//   . . . . . . . . . # .
//   . . . . . . . . # # .
//   . . . # . . . # # # .
//   . . . # # . # # # . .
//   . . . # # # # # . . .
//   . . . . # # # . . . .
//   . . . . . # . . . . .
//   . . . . . . . . . . .
void DrawCheckBox(TCanvas* Canvas, const TRect& R, TCheckBoxState State, TQvButtonDisplayState DisplayState,
                  bool Focused, TQvButtonHotTrackStyle HotTrackStyle, TColor FrameColor, TColor MarkColor,
                  TColor FillColor, TColor FocusedFillColor, TColor DisabledColor, TColor HotColor,
                  TColor HotFrameColor, bool UseAltFill, bool AltFillOnFocus, TColor AltFillColor) {
  if (!Canvas) return;
  bool hotFrame = DisplayState == bdsHot && HotTrackStyle == htsFrame;
  TRect inner = DrawBox(Canvas, R, hotFrame ? HotFrameColor : FrameColor);
  TColor mark = DisplayState == bdsDisabled ? clBtnShadow : MarkColor;
  TColor saveBrush = Canvas->Brush()->Color();
  Canvas->Brush()->SetColor(FillColorFor(DisplayState, Focused, FillColor, FocusedFillColor, DisabledColor,
                                         UseAltFill, AltFillOnFocus, AltFillColor));
  Canvas->FillRect(inner);
  if (State == cbChecked) {
    static constexpr int kColumns[][2] = {{3, 5}, {4, 6}, {5, 7}, {6, 6}, {7, 5}, {8, 4}, {9, 3}};  // dx, first dy
    for (const auto& c : kColumns)
      for (int dy = c[1]; dy < c[1] + 3; ++dy) Canvas->SetPixels(R.Left + c[0], R.Top + dy, mark);
  } else if (State == cbGrayed) {
    TRect g = inner;
    InflateRect(g, -2, -2);
    Canvas->Brush()->SetColor(mark);
    Canvas->FillRect(g);
  }
  Canvas->Brush()->SetColor(saveBrush);
  if (DisplayState == bdsHot) {
    if (HotTrackStyle == htsInterior) DrawHighlightBox(Canvas, inner, gdDiagonalDown, HotColor, HotFrameColor);
    else DrawBox(Canvas, inner, HotFrameColor);
  }
}

namespace {

struct TPix {
  int X, Y;
};
using TPixList = std::initializer_list<TPix>;

void Put(TCanvas* C, TPixList Pixels, TColor Color) {
  for (TPix p : Pixels) C->SetPixels(p.X, p.Y, Color);
}
void Blend(TCanvas* C, TPixList Pixels, TColor Fore, uint8_t Alpha) {
  for (TPix p : Pixels) C->SetPixels(p.X, p.Y, BlendColors(Fore, C->Pixels(p.X, p.Y), Alpha));
}

}  // namespace

// The radio glyph is composed on a 13 x 13 work bitmap at fixed pixel positions and
// copied to R's top-left corner, cut to R; the rest of a larger R is left alone.
// Classic colours, checked (K outside, A/B/F/2 outline, f fill, c 0xC0C0C0, M dot):
//
//   K K K B A 2 F 2 A B K K K
//   K K A F F c f c F F A K K
//   K A 2 c f f f f f c 2 A K
//   B F c f f f f f f f c F B
//   A F f f f M M M f f f F A
//   2 c f f M M M M M f f c 2
//   F f f f M M M M M f f f F
//   2 c f f M M M M M f f c 2
//   A F f f f M M M f f f F A
//   B F c f f f f f f f c F B
//   K A 2 c f f f f f c 2 A K
//   K K A F F c f c F F A K K
//   K K K B A 2 F 2 A B K K K
void DrawRadioButton(TCanvas* Canvas, const TRect& R, bool Checked, TQvButtonDisplayState DisplayState,
                     bool Focused, TQvButtonHotTrackStyle HotTrackStyle, TColor FrameColor, TColor MarkColor,
                     TColor FillColor, TColor FocusedFillColor, TColor DisabledColor, TColor HotColor,
                     TColor HotFrameColor, TColor BackColor, bool UseKeyColor, TColor KeyColor,
                     bool UseAltFill, bool AltFillOnFocus, TColor AltFillColor) {
  if (!Canvas) return;
  TRect r = R;
  if (r.Right < r.Left) std::swap(r.Left, r.Right);
  if (r.Bottom < r.Top) std::swap(r.Top, r.Bottom);
  int w = std::min(13, r.Width()), h = std::min(13, r.Height());
  if (w <= 0 || h <= 0) return;

  bool hotFrame = DisplayState == bdsHot && HotTrackStyle == htsFrame;
  TColor f = hotFrame ? HotFrameColor : FrameColor;
  TColor f2 = FullColorSupported ? LighterColor(f, 10) : f;
  TBitmap work(13, 13);
  TCanvas* c = work.Canvas();
  c->Brush()->SetColor(FillColorFor(DisplayState, Focused, FillColor, FocusedFillColor, DisabledColor, UseAltFill,
                                    AltFillOnFocus, AltFillColor));
  c->FillRect(Rect(0, 0, 13, 13));

  if (DisplayState == bdsHot && FullColorSupported) {
    if (HotTrackStyle == htsInterior) {
      HDC dc = c->Handle();
      int saved = SaveDC(dc);
      ExcludeClipRect(dc, 4, 4, 9, 9);
      ExcludeClipRect(dc, 5, 3, 8, 10);
      ExcludeClipRect(dc, 3, 5, 10, 8);
      PaintGradient(c, Rect(0, 0, 13, 13), gdDiagonalDown, HotColor, HotFrameColor, 1);
      RestoreDC(dc, saved);
    } else {
      Put(c, {{5, 1}, {6, 1}, {7, 1}, {1, 5}, {1, 6}, {1, 7}, {11, 5}, {11, 6}, {11, 7}, {5, 11}, {6, 11}, {7, 11}}, f2);
      Put(c, {{4, 1}, {8, 1}, {1, 4}, {11, 4}, {1, 8}, {11, 8}, {4, 11}, {8, 11}}, f);
    }
  }

  TColor k = UseKeyColor ? KeyColor : BackColor;
  Put(c, {{0, 0}, {1, 0}, {2, 0}, {10, 0}, {11, 0}, {12, 0}, {0, 1}, {1, 1}, {11, 1}, {12, 1}, {0, 2}, {12, 2},
          {0, 10}, {12, 10}, {0, 11}, {1, 11}, {11, 11}, {12, 11}, {0, 12}, {1, 12}, {2, 12}, {10, 12}, {11, 12},
          {12, 12}},
      k);

  TColor a, b;
  if (UseKeyColor) a = b = KeyColor;
  else if (FullColorSupported) a = BlendColors(f, BackColor, 128), b = BlendColors(f, BackColor, 40);
  else a = f, b = BackColor;
  Put(c, {{4, 0}, {8, 0}, {2, 1}, {10, 1}, {1, 2}, {11, 2}, {0, 4}, {12, 4}, {0, 8}, {12, 8}, {1, 10}, {11, 10},
          {2, 11}, {10, 11}, {4, 12}, {8, 12}},
      a);
  Put(c, {{3, 0}, {9, 0}, {0, 3}, {12, 3}, {0, 9}, {12, 9}, {3, 12}, {9, 12}}, b);
  Put(c, {{6, 0}, {3, 1}, {9, 1}, {1, 3}, {11, 3}, {0, 6}, {12, 6}, {1, 9}, {11, 9}, {3, 11}, {9, 11}, {6, 12}}, f);
  Put(c, {{5, 0}, {7, 0}, {2, 2}, {10, 2}, {0, 5}, {12, 5}, {0, 7}, {12, 7}, {2, 10}, {10, 10}, {5, 12}, {7, 12}}, f2);

  if (FullColorSupported && hotFrame) {
    Blend(c, {{3, 2}, {9, 2}, {2, 3}, {10, 3}, {2, 9}, {10, 9}, {3, 10}, {9, 10}}, f, 150);
    Blend(c, {{4, 2}, {8, 2}, {2, 4}, {10, 4}, {2, 8}, {10, 8}, {4, 10}, {8, 10}}, f, 80);
  } else if (FullColorSupported) {
    Blend(c, {{4, 1}, {8, 1}, {1, 4}, {11, 4}, {1, 8}, {11, 8}, {4, 11}, {8, 11}}, f, 128);
    Blend(c, {{5, 1}, {7, 1}, {3, 2}, {9, 2}, {2, 3}, {10, 3}, {1, 5}, {11, 5}, {1, 7}, {11, 7}, {2, 9}, {10, 9},
              {3, 10}, {9, 10}, {5, 11}, {7, 11}},
          f, 80);
    Blend(c, {{6, 1}, {1, 6}, {11, 6}, {6, 11}}, f, 40);
  } else {
    Put(c, {{4, 1}, {8, 1}, {1, 4}, {11, 4}, {1, 8}, {11, 8}, {4, 11}, {8, 11}}, f);
    Put(c, {{5, 1}, {7, 1}, {3, 2}, {9, 2}, {2, 3}, {10, 3}, {1, 5}, {11, 5}, {1, 7}, {11, 7}, {2, 9}, {10, 9},
            {3, 10}, {9, 10}, {5, 11}, {7, 11}},
        0xC0C0C0);
  }

  if (Checked) {
    TColor m = DisplayState == bdsDisabled ? clBtnShadow : MarkColor;
    TColor m2 = FullColorSupported ? BlendColors(m, c->Pixels(4, 4), 153) : m;
    c->Brush()->SetColor(m);
    c->FillRect(Rect(5, 5, 8, 8));
    Put(c, {{6, 4}, {4, 6}, {8, 6}, {6, 8}}, m);
    Put(c, {{5, 4}, {7, 4}, {4, 5}, {8, 5}, {4, 7}, {8, 7}, {5, 8}, {7, 8}}, m2);
  }
  BitBlt(Canvas->Handle(), r.Left, r.Top, w, h, c->Handle(), 0, 0, SRCCOPY);
}

void AddImageToImageList(TCustomImageList* ImageList, TBitmap* Glyph, bool HasDisabledImage, int& DisabledIndex,
                         int& Index) {
  DisabledIndex = -1;
  Index = -1;
  if (!ImageList || !Glyph || Glyph->Empty()) return;
  // The bottom-left pixel of a 16-pixel glyph; a shorter glyph has no row 15, so
  // its last row stands in.
  TColor mask = Glyph->Canvas()->Pixels(0, std::min(15, Glyph->Height() - 1));
  if (Glyph->Width() == Glyph->Height()) {
    ImageList->AddMasked(Glyph, mask);
    Index = ImageList->Count() - 1;
  } else if (Glyph->Width() > Glyph->Height() && HasDisabledImage) {
    ImageList->AddMasked(Glyph, mask);
    DisabledIndex = ImageList->Count() - 1;
    Index = ImageList->Count() - 2;
  } else {
    TBitmap part(ImageList->Width(), ImageList->Height());
    part.Canvas()->CopyRect(Rect(0, 0, ImageList->Width(), ImageList->Height()), Glyph->Canvas(),
                            Rect(0, 0, ImageList->Width(), ImageList->Height()));
    ImageList->AddMasked(&part, mask);
    Index = ImageList->Count() - 1;
  }
}
