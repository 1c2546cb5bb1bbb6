// The "glyphs" page: arrows, the close cross, the highlight ring, check boxes in
// each state and radio buttons in each state, drawn twice: on the left as on a
// display of more than 256 colours, on the right as on a 256-colour display.
//
// Layout (tests may check it): colour mode m (0 full colour, 1 256 colours) starts
// at x = 8 + m * 376. Arrow rows at y = 28 + r * 22 (classic, XP, each normal, down,
// disabled), one 20 x 20 cell per glyph at x + 88 + g * 24 for: drop-down, spin up,
// down, left, right, close cross. Check boxes: y = 176 + s * 24 for display states
// normal, hot (frame), hot (interior), down, disabled, focused; 13 x 13 at
// x + 88 + c * 24 for unchecked, checked, grayed. Radio buttons: the same rows at
// x + 176 + c * 24 for unchecked, checked.
#include <string>

#include "controls/common/colors.h"
#include "controls/common/glyphs.h"
#include "tools/gallery/gallery.h"

namespace {

void Text(TCanvas* Canvas, int X, int Y, const std::string& S) {
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(X, Y, S);
  Canvas->Brush()->SetStyle(bsSolid);
}

void PaintMode(TCanvas* Canvas, int X) {
  Text(Canvas, X, 6, FullColorSupported ? "more than 256 colours" : "256 colours");
  const char* const rowNames[6] = {"classic", "XP", "classic down", "XP down", "classic off", "XP off"};
  for (int row = 0; row < 6; ++row) {
    auto ui = static_cast<TQvUIStyle>(row % 2);
    bool down = row / 2 == 1, enabled = row / 2 != 2;
    int y = 28 + row * 22;
    Text(Canvas, X, y + 3, rowNames[row]);
    for (int g = 0; g < 6; ++g) {
      TRect r = Bounds(X + 88 + g * 24, y, 20, 20);
      Canvas->Brush()->SetColor(clBtnFace);
      Canvas->FillRect(r);
      if (g == 0) DrawDropDownArrow(Canvas, r, ui, down, enabled);
      else if (g == 5) DrawCloseX(Canvas, r, ui, enabled, down);
      else DrawSpinArrow(Canvas, r, ui, static_cast<TDirection>(g - 1), down, enabled);
    }
  }

  struct TRow {
    const char* Name;
    TQvButtonDisplayState State;
    TQvButtonHotTrackStyle Hot;
    bool Focused;
  } const rows[] = {{"normal", bdsNormal, htsFrame, false},   {"hot frame", bdsHot, htsFrame, false},
                    {"hot interior", bdsHot, htsInterior, false}, {"down", bdsDown, htsFrame, false},
                    {"disabled", bdsDisabled, htsFrame, false}, {"focused", bdsNormal, htsFrame, true}};
  Text(Canvas, X + 82, 156, "check box");
  Text(Canvas, X + 176, 156, "radio");
  for (int i = 0; i < 6; ++i) {
    const TRow& row = rows[i];
    int y = 176 + i * 24;
    Text(Canvas, X, y, row.Name);
    const TCheckBoxState states[3] = {cbUnchecked, cbChecked, cbGrayed};
    for (int c = 0; c < 3; ++c)
      DrawCheckBox(Canvas, Bounds(X + 88 + c * 24, y, 13, 13), states[c], row.State, row.Focused, row.Hot,
                   clBtnShadow, clBlack, clWindow, clInfoBk, clBtnFace, 0x00C0FF, 0x0080FF, false, false, clWindow);
    for (int c = 0; c < 2; ++c)
      DrawRadioButton(Canvas, Bounds(X + 176 + c * 24, y, 13, 13), c == 1, row.State, row.Focused, row.Hot,
                      clBtnShadow, clBlack, clWindow, clInfoBk, clBtnFace, 0x00C0FF, 0x0080FF, clBtnFace, false,
                      clNone, false, false, clWindow);
  }
  Text(Canvas, X, 330, "highlight");
  DrawHighlightBox(Canvas, Bounds(X + 88, 326, 60, 22), gdHorizontalEnd, clWhite, 0x0080FF);
  DrawHighlightBox(Canvas, Bounds(X + 156, 326, 60, 22), gdDiagonalDown, 0x00C0FF, clNavy);
}

void PaintGlyphs(TCanvas* Canvas, const TRect& Client) {
  Canvas->Brush()->SetColor(clBtnFace);
  Canvas->FillRect(Client);
  bool saved = FullColorSupported;
  for (int m = 0; m < 2; ++m) {
    FullColorSupported = m == 0;
    PaintMode(Canvas, 8 + m * 376);
  }
  FullColorSupported = saved;
}

TGalleryPageRegistrar reg{{"glyphs", 760, 380, "", PaintGlyphs, nullptr}};

}  // namespace
