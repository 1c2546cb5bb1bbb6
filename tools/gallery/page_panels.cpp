// The "panels" page: framed panels (nested styles, border ring, gradient, grid,
// caption alignments and margins, a transparent panel over a gradient parent, a
// disabled panel with children), group boxes in every style, a spacer, status
// bars (panes, simple text), borders in every frame style, LED displays (static
// and scrolling), meters (LED and bar at 0, 55 and 100) and, drawn straight on
// the page, the percent bars, the LED bar and the group-bar background.
//
// Places the tests check:
//   Grid panel "PGrid" at (28, 82) 160 x 36 inside "POuter" at (8, 8): fsFlat frame,
//     dots every 6 pixels at page (28 + 6i, 82 + 6j).
//   Transparent panel "PTrans" at (236, 28) 160 x 80 over the gradient "PGradBack"
//     at (216, 8); no frame, so its pixels are its parent's.
//   Group boxes "G0".."G5" at (8 + 140 i, 136), 132 x 80, in style order.
//   Borders "B0".."B11" at (8 + 60 i, 232), 44 x 30, in frame-style order.
//   LED "LedHello" at (8, 288) 160 x 30: dots of 3 pixels.
//   LED meters "ML0", "ML55", "ML100" at (8 + 158 i, 328), 150 x 30; bar meters
//     "MB0", "MB55", "MB100" at (8 + 158 i, 364).
//   Drawn bars at x = 500: percent bar y = 328, gradient bar y = 352, LED bar
//     y = 376 (150 x 18 each); group bar background at (660, 328) 100 x 66.
//   Status bars "SB1" (panes) at (8, 404) and "SB2" (simple) at (8, 430), 480 x 19.
#include <string>

#include "controls/basic/classes.h"
#include "controls/common/progressbars.h"
#include "tools/gallery/gallery.h"

namespace {

std::string Obj(const std::string& Name, const std::string& Class, int L, int T, int W, int H,
                const std::string& Props, const std::string& Children = "") {
  return "  object " + Name + ": " + Class + "\n    Left = " + std::to_string(L) + "\n    Top = " +
         std::to_string(T) + "\n    Width = " + std::to_string(W) + "\n    Height = " + std::to_string(H) + "\n" +
         Props + Children + "  end\n";
}

std::string Source() {
  std::string s = "object PanelsPage: TForm\n";
  // Nested panels.
  s += Obj("POuter", "TQvPanel", 8, 8, 200, 120,
           "    BorderInner = fsLowered\n    BorderWidth = 3\n    Caption = 'Outer: raised, ring, lowered'\n"
           "    AlignmentVertical = avTop\n    Alignment = taLeftJustify\n    TextMargin = 4\n"
           "    TextMarginVertical = 2\n",
           Obj("PGrad", "TQvPanel", 12, 28, 168, 38,
               "    BorderOuter = fsFlat\n    VisualStyle = vsGradient\n    GradientColorStyle = gcsCustom\n"
               "    GradientColorStart = clWhite\n    GradientColorStop = clSkyBlue\n    Caption = 'Gradient, centred'\n") +
               Obj("PGrid", "TQvPanel", 20, 74, 160, 36,
                   "    BorderOuter = fsFlat\n    Color = clWhite\n    ShowGrid = True\n    GridXSize = 6\n"
                   "    GridYSize = 6\n    GridColor = clBlack\n    Caption = 'Grid, right, bottom'\n"
                   "    Alignment = taRightJustify\n    AlignmentVertical = avBottom\n    TextMargin = 3\n"));
  // A transparent panel over a gradient parent.
  s += Obj("PGradBack", "TQvPanel", 216, 8, 200, 120,
           "    BorderOuter = fsLowered\n    VisualStyle = vsGradient\n    GradientColorStyle = gcsCustom\n"
           "    GradientColorStart = clWhite\n    GradientColorStop = clNavy\n    GradientDirection = gdVerticalEnd\n",
           Obj("PTrans", "TQvPanel", 20, 20, 160, 80,
               "    BorderOuter = fsNone\n    Transparent = True\n    Caption = 'Transparent'\n"
               "    Font.Color = clYellow\n    ParentFont = False\n"));
  // A disabled panel with children.
  s += Obj("PDisabled", "TQvPanel", 424, 8, 200, 120,
           "    BorderOuter = fsButtonUp\n    Caption = 'Disabled panel'\n    AlignmentVertical = avTop\n"
           "    Enabled = False\n",
           Obj("PChild1", "TQvPanel", 12, 30, 84, 40, "    BorderOuter = fsLowered\n    Caption = 'child'\n") +
               Obj("PChild2", "TQvGroupBox", 104, 24, 84, 80, "    Caption = 'group'\n"));
  s += Obj("PMargins", "TQvPanel", 632, 8, 200, 120,
           "    BorderOuter = fsLowered\n    Caption = 'Caption margins 12/8'\n    TextMargin = 12\n"
           "    TextMarginVertical = 8\n    AlignmentVertical = avTop\n    Alignment = taLeftJustify\n"
           "    WordWrap = True\n");
  // Group boxes in every style, and a spacer.
  const char* styles[] = {"gsStandard", "gsCustom", "gsTopLine", "gsFlat", "gsBanner", "gsUnderline"};
  for (int i = 0; i < 6; ++i)
    s += Obj("G" + std::to_string(i), "TQvGroupBox", 8 + 140 * i, 136, 132, 80,
             std::string("    GroupStyle = ") + styles[i] + "\n    Caption = '" + (styles[i] + 2) + "'\n" +
                 (i == 1 ? "    BorderOuter = fsRaised\n" : ""));
  s += Obj("Spacer1", "TQvSpacer", 852, 136, 8, 80, "    Grooved = True\n");
  // Borders in every frame style.
  const char* frames[] = {"fsNone", "fsFlat", "fsGroove", "fsBump", "fsLowered", "fsButtonDown", "fsRaised",
                          "fsButtonUp", "fsStatus", "fsPopup", "fsFlatBold", "fsFlatRounded"};
  for (int i = 0; i < 12; ++i)
    s += Obj("B" + std::to_string(i), "TQvBorder", 8 + 60 * i, 232, 44, 30,
             std::string("    BorderOuter = ") + frames[i] + "\n");
  // LED displays and meters.
  s += Obj("LedHello", "TQvLEDDisplay", 8, 288, 160, 30, "    Caption = 'HELLO'\n");
  s += Obj("LedScroll", "TQvLEDDisplay", 176, 288, 160, 30,
           "    Caption = 'SCROLLING'\n    Scrolling = True\n    SegOnColor = clYellow\n    SegOffColor = 3355392\n");
  s += Obj("LedCentre", "TQvLEDDisplay", 344, 288, 200, 30, "    Caption = '55%'\n    Alignment = taCenter\n");
  const int values[] = {0, 55, 100};
  for (int i = 0; i < 3; ++i) {
    std::string v = std::to_string(values[i]);
    s += Obj("ML" + v, "TQvMeter", 8 + 158 * i, 328, 150, 30, "    Value = " + v + "\n");
    s += Obj("MB" + v, "TQvMeter", 8 + 158 * i, 364, 150, 30,
             "    Value = " + v + "\n    MeterType = " + (i == 1 ? "mtBar3D" : "mtNormal") + "\n    BackColor = clWhite\n");
  }
  // Status bars.
  s += Obj("SB1", "TQvStatusBar", 8, 404, 480, 19, "    Align = alNone\n",
           Obj("Pane1", "TQvPanel", 0, 1, 120, 17,
               "    BorderOuter = fsLowered\n    Caption = 'Ready'\n    Alignment = taLeftJustify\n    TextMargin = 4\n") +
               Obj("Pane2", "TQvPanel", 122, 1, 120, 17, "    BorderOuter = fsLowered\n    Caption = 'Line 1, Col 1'\n"));
  s += Obj("SB2", "TQvStatusBar", 8, 430, 480, 19,
           "    Align = alNone\n    SimpleStatus = True\n    SimpleCaption = 'Simple status text'\n"
           "    VisualStyle = vsClassic\n");
  s += "end\n";
  return s;
}

void Label(TCanvas* Canvas, int X, int Y, const std::string& S) {
  Canvas->Font()->SetColor(clWindowText);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(X, Y, S);
  Canvas->Brush()->SetStyle(bsSolid);
}

void PaintPanels(TCanvas* Canvas, const TRect&) {
  const char* frames[] = {"None", "Flat", "Groove", "Bump", "Lowered", "BtnDown", "Raised",
                          "BtnUp", "Status", "Popup", "FlatBold", "Rounded"};
  for (int i = 0; i < 12; ++i) Label(Canvas, 8 + 60 * i, 264, frames[i]);
  Label(Canvas, 8, 220, "TQvBorder in each frame style:");
  DrawPercentBar(Canvas, {500, 328, 650, 346}, orHorizontal, clNavy, clWhite, 55, true, false);
  DrawGradientPercentBar(Canvas, {500, 352, 650, 370}, orHorizontal, clNavy, clSkyBlue, clWhite, clSilver,
                         gdHorizontalEnd, 55, true, false);
  DrawLEDBar(Canvas, {500, 376, 650, 394}, orHorizontal, clLime, clGreen, 20, 55, false, false);
  DrawGroupBarBackground(Canvas, {660, 328, 760, 394}, vsGradient, gcsSystem, gpTopToBottom, clWhite, clNavy);
  Label(Canvas, 770, 330, "percent, gradient");
  Label(Canvas, 770, 350, "and LED bars;");
  Label(Canvas, 770, 370, "group-bar back");
}

// The page's form source names the basic controls: they must be known before any
// page is built.
const bool kClassesRegistered = (RegisterBasicClasses(), true);
TGalleryPageRegistrar reg{{"panels", 880, 460, Source(), PaintPanels, nullptr}};

}  // namespace
