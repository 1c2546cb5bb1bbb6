// Glyph painters with themes off, checked against ASCII maps in both colour modes
// (more than 256 colours, and 256); the themed arrow colour through the fake
// library; image-list glyphs.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "controls/common/colors.h"
#include "controls/common/glyphs.h"
#include "controls/common/themes.h"
#include "platform/theme/themefake.h"

namespace {

using TMap = std::vector<std::string>;
using TLegend = std::map<char, TColor>;

// Paints on a W x H bitmap filled with Back and reads it back through the legend
// ('?' for a colour the legend lacks).
TMap Render(int W, int H, TColor Back, const TLegend& Legend, const std::function<void(TCanvas*)>& Paint) {
  TBitmap b(W, H);
  b.Canvas()->Brush()->SetColor(Back);
  b.Canvas()->FillRect(Rect(0, 0, W, H));
  Paint(b.Canvas());
  TMap map;
  for (int y = 0; y < H; ++y) {
    std::string row;
    for (int x = 0; x < W; ++x) {
      char ch = '?';
      for (const auto& [c, color] : Legend)
        if (ColorToRGB(color) == static_cast<COLORREF>(b.Canvas()->Pixels(x, y))) ch = c;
      row += ch;
    }
    map.push_back(row);
  }
  return map;
}

// Runs a test body once per colour mode.
struct TColorModes : ::testing::Test {
  void TearDown() override { FullColorSupported = FSaved; }
  bool FSaved = FullColorSupported;
};

const TLegend kArrowLegend{{'.', clBtnFace}, {'#', clBlack}, {'s', clBtnShadow}, {'d', cl3DDkShadow}};

}  // namespace

using Glyphs = TColorModes;

TEST_F(Glyphs, ClassicArrowsFollowTheirPixelTriangles) {
  struct TCase {
    const char* What;
    std::function<void(TCanvas*)> Paint;
    TMap Expected;
  } cases[] = {
      {"spin up", [](TCanvas* c) { DrawSpinArrow(c, Rect(0, 0, 9, 9), uiWindows95, dirUp, false, true); },
       {".........", ".........", "....#....", "...###...", "..#####..", ".#######.", ".........", ".........",
        "........."}},
      {"spin down", [](TCanvas* c) { DrawSpinArrow(c, Rect(0, 0, 9, 9), uiWindows95, dirDown, false, true); },
       {".........", ".........", ".#######.", "..#####..", "...###...", "....#....", ".........", ".........",
        "........."}},
      {"spin left", [](TCanvas* c) { DrawSpinArrow(c, Rect(0, 0, 9, 9), uiWindows95, dirLeft, false, true); },
       {".........", ".....#...", "....##...", "...###...", "..####...", "...###...", "....##...", ".....#...",
        "........."}},
      {"spin right", [](TCanvas* c) { DrawSpinArrow(c, Rect(0, 0, 9, 9), uiWindows95, dirRight, false, true); },
       {".........", "..#......", "..##.....", "..###....", "..####...", "..###....", "..##.....", "..#......",
        "........."}},
      {"spin up down", [](TCanvas* c) { DrawSpinArrow(c, Rect(0, 0, 9, 9), uiWindows95, dirUp, true, true); },
       {".........", ".........", ".........", ".....#...", "....###..", "...#####.", "..#######", ".........",
        "........."}},
      {"spin up down disabled",  // a disabled spin arrow does not move
       [](TCanvas* c) { DrawSpinArrow(c, Rect(0, 0, 9, 9), uiWindows95, dirUp, true, false); },
       {".........", ".........", "....s....", "...sss...", "..sssss..", ".sssssss.", ".........", ".........",
        "........."}},
      {"drop-down", [](TCanvas* c) { DrawDropDownArrow(c, Rect(0, 0, 9, 9), uiWindows95, false, true); },
       {".........", ".........", ".........", ".#######.", "..#####..", "...###...", "....#....", ".........",
        "........."}},
      {"drop-down down disabled",  // the drop-down arrow moves also when disabled
       [](TCanvas* c) { DrawDropDownArrow(c, Rect(0, 0, 9, 10), uiWindows95, true, false); },
       {".........", ".........", ".........", ".........", "..sssssss", "...sssss.", "....sss..", ".....s...",
        ".........", "........."}},
  };
  for (bool full : {true, false}) {
    FullColorSupported = full;
    for (const TCase& c : cases)
      EXPECT_EQ(Render(9, static_cast<int>(c.Expected.size()), clBtnFace, kArrowLegend, c.Paint), c.Expected)
          << c.What << (full ? " full colour" : " 256 colours");
  }
  // On a black face the arrow turns cl3DDkShadow; the canvas's brush and pen are kept.
  TMap dark = Render(9, 9, clBlack, {{'.', clBlack}, {'d', cl3DDkShadow}}, [](TCanvas* c) {
    DrawDropDownArrow(c, Rect(0, 0, 9, 9), uiWindows95, false, true);
    EXPECT_EQ(c->Brush()->Color(), clBlack);
    EXPECT_EQ(c->Pen()->Style(), psSolid);
  });
  EXPECT_EQ(dark[3], ".ddddddd.");
}

TEST_F(Glyphs, XPShapesTakeTheClassicColourWhileThemesAreOff) {
  ASSERT_FALSE(ThemeServices()->ThemesEnabled());
  TMap xp = Render(22, 11, clBtnFace, kArrowLegend, [](TCanvas* c) {
    DrawDropDownArrow(c, Rect(0, 0, 11, 11), uiWindowsXP, false, true);  // anchor (5, 9)
    DrawCloseX(c, Rect(11, 0, 22, 11), uiWindowsXP, true, false);       // cross around (16, 5)
  });
  EXPECT_EQ(xp[7][5], '#');   // above the arrow's tip, below its notch
  EXPECT_EQ(xp[4][5], '.');   // in the notch
  EXPECT_EQ(xp[5][16], '#');  // the cross's centre
  EXPECT_EQ(xp[1][12], '#');  // its top-left arm
  EXPECT_EQ(xp[5][12], '.');  // between the arms
  for (const std::string& row : xp) EXPECT_EQ(row.find('?'), std::string::npos) << row;
}

TEST_F(Glyphs, XPArrowColourComesFromTheThemedDropDownButton) {
  {
    TThemeLibraryFake fake;
    SetComCtlVersion(ComCtlVersionIE6);
    FreeThemeServices();
    ASSERT_TRUE(ThemeServices()->ThemesEnabled());
    TBitmap b(11, 11);
    DrawDropDownArrow(b.Canvas(), Rect(0, 0, 11, 11), uiWindows95, false, true);
    EXPECT_EQ(fake.CountOf("DrawThemeBackground"), 0);
    DrawDropDownArrow(b.Canvas(), Rect(0, 0, 11, 11), uiWindowsXP, false, true);
    ASSERT_EQ(fake.CountOf("DrawThemeBackground"), 1);
    auto call = std::find_if(fake.Calls.begin(), fake.Calls.end(),
                             [](const auto& c) { return c.Name == "DrawThemeBackground"; });
    EXPECT_EQ(call->Class, "combobox");
    EXPECT_EQ(call->Part, 1);  // the drop-down button, normal state
    EXPECT_EQ(call->State, 1);
    FreeThemeServices();
  }
  FreeThemeServices();
}

namespace {

const TLegend kBoxLegend{{'K', clBtnFace},  {'F', clNavy},  {'#', clGreen}, {'.', clWhite}, {'y', clYellow},
                         {'x', clSilver},   {'s', clBtnShadow}, {'h', clBlue}, {'a', clAqua},
                         {'c', 0xC0C0C1}};

void CheckBox(TCanvas* C, TCheckBoxState State, TQvButtonDisplayState Display,
              TQvButtonHotTrackStyle Hot = htsFrame, bool Focused = false, bool Alt = false, bool AltOnFocus = false) {
  DrawCheckBox(C, Rect(0, 0, 13, 13), State, Display, Focused, Hot, clNavy, clGreen, clWhite, clYellow, clSilver,
               clRed, clBlue, Alt, AltOnFocus, clAqua);
}

}  // namespace

TEST_F(Glyphs, CheckBoxStates) {
  const TMap checked{"FFFFFFFFFFFFF", "F...........F", "F...........F", "F........#..F", "F.......##..F",
                     "F..#...###..F", "F..##.###...F", "F..#####....F", "F...###.....F", "F....#......F",
                     "F...........F", "F...........F", "FFFFFFFFFFFFF"};
  TMap grayed(13, "F...........F"), unchecked(13, "F...........F");
  grayed[0] = grayed[12] = unchecked[0] = unchecked[12] = "FFFFFFFFFFFFF";
  for (int y = 3; y < 10; ++y) grayed[y] = "F..#######..F";
  TMap disabled = checked, hotFrame = checked;
  for (std::string& row : disabled)
    for (char& ch : row) ch = ch == '.' ? 'x' : ch == '#' ? 's' : ch;
  for (int i = 0; i < 13; ++i)
    for (int j = 0; j < 13; ++j) {
      char& ch = hotFrame[i][j];
      if (ch == 'F') ch = 'h';
      else if ((i == 1 || i == 11 || j == 1 || j == 11) && i > 0 && i < 12 && j > 0 && j < 12) ch = 'h';
    }
  for (bool full : {true, false}) {
    FullColorSupported = full;
    const char* mode = full ? " full colour" : " 256 colours";
    EXPECT_EQ(Render(13, 13, clBtnFace, kBoxLegend, [](TCanvas* c) { CheckBox(c, cbChecked, bdsNormal); }), checked) << mode;
    EXPECT_EQ(Render(13, 13, clBtnFace, kBoxLegend, [](TCanvas* c) { CheckBox(c, cbGrayed, bdsNormal); }), grayed) << mode;
    EXPECT_EQ(Render(13, 13, clBtnFace, kBoxLegend, [](TCanvas* c) { CheckBox(c, cbUnchecked, bdsNormal); }), unchecked) << mode;
    EXPECT_EQ(Render(13, 13, clBtnFace, kBoxLegend, [](TCanvas* c) { CheckBox(c, cbChecked, bdsDisabled); }), disabled) << mode;
    EXPECT_EQ(Render(13, 13, clBtnFace, kBoxLegend, [](TCanvas* c) { CheckBox(c, cbChecked, bdsHot, htsFrame); }), hotFrame) << mode;
    // The interior hot look is a gradient ring only on a full-colour display.
    TBitmap b(13, 13);
    CheckBox(b.Canvas(), cbUnchecked, bdsHot, htsInterior);
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), full ? clRed : clWhite) << mode;
    EXPECT_EQ(b.Canvas()->Pixels(11, 11), full ? clBlue : clWhite) << mode;
    EXPECT_EQ(b.Canvas()->Pixels(3, 3), clWhite) << mode;
  }
}

namespace {

void Radio(TCanvas* C, const TRect& R, bool Checked, TQvButtonDisplayState Display, bool UseKey = false) {
  DrawRadioButton(C, R, Checked, Display, false, htsFrame, clNavy, clGreen, clWhite, clYellow, clSilver, clRed,
                  clBlue, clBtnFace, UseKey, clFuchsia, false, false, clAqua);
}

}  // namespace

TEST_F(Glyphs, RadioButtonStates) {
  // 256 colours: no blending; outline pixels in the frame colour, the blended ones
  // in BackColor (here the canvas's clBtnFace), the inner edge 0xC0C0C0 ('x').
  const TMap checked{"KKKKFFFFFKKKK", "KKFFFx.xFFFKK", "KFFx.....xFFK", "KFx.......xFK", "FF...###...FF",
                     "Fx..#####..xF", "F...#####...F", "Fx..#####..xF", "FF...###...FF", "KFx.......xFK",
                     "KFFx.....xFFK", "KKFFFx.xFFFKK", "KKKKFFFFFKKKK"};
  FullColorSupported = false;
  EXPECT_EQ(Render(13, 13, clBtnFace, kBoxLegend, [](TCanvas* c) { Radio(c, Rect(0, 0, 13, 13), true, bdsNormal); }),
            checked);
  TMap unchecked = checked, disabled = checked;
  for (std::string& row : unchecked)
    for (char& ch : row) ch = ch == '#' ? '.' : ch;
  for (std::string& row : disabled)
    for (char& ch : row) ch = ch == '#' ? 's' : ch == '.' ? 'x' : ch;
  EXPECT_EQ(Render(13, 13, clBtnFace, kBoxLegend, [](TCanvas* c) { Radio(c, Rect(0, 0, 13, 13), false, bdsNormal); }),
            unchecked);
  // Disabled: fill and inner edge are both silver here.
  EXPECT_EQ(Render(13, 13, clBtnFace, kBoxLegend, [](TCanvas* c) { Radio(c, Rect(0, 0, 13, 13), true, bdsDisabled); }),
            disabled);

  // Full colour: blended outline and inner edge, a softened dot.
  FullColorSupported = true;
  TBitmap b(13, 13);
  Radio(b.Canvas(), Rect(0, 0, 13, 13), true, bdsNormal);
  auto px = [&](int X, int Y) { return b.Canvas()->Pixels(X, Y); };
  EXPECT_EQ(px(0, 0), ColorToRGB(clBtnFace));
  EXPECT_EQ(px(4, 0), BlendColors(clNavy, clBtnFace, 128));
  EXPECT_EQ(px(3, 0), BlendColors(clNavy, clBtnFace, 40));
  EXPECT_EQ(px(5, 0), LighterColor(clNavy, 10));
  EXPECT_EQ(px(6, 1), BlendColors(clNavy, clWhite, 40));
  EXPECT_EQ(px(6, 6), clGreen);
  EXPECT_EQ(px(5, 4), BlendColors(clGreen, clWhite, 153));
  TBitmap key(13, 13);
  Radio(key.Canvas(), Rect(0, 0, 13, 13), false, bdsNormal, true);
  EXPECT_EQ(key.Canvas()->Pixels(0, 0), clFuchsia);
  EXPECT_EQ(key.Canvas()->Pixels(4, 0), clFuchsia);

  // Another size: the glyph stays 13 x 13 at the top-left, cut to the rectangle.
  TMap big = Render(16, 16, clLime, {{'g', clLime}}, [](TCanvas* c) { Radio(c, Rect(1, 1, 16, 16), true, bdsNormal); });
  EXPECT_EQ(big[14], "gggggggggggggggg");
  EXPECT_EQ(big[1].substr(14), "gg");
  EXPECT_EQ(big[7][1], '?');  // the glyph's left edge
  TMap small = Render(12, 12, clLime, {{'g', clLime}}, [](TCanvas* c) { Radio(c, Rect(2, 2, 9, 9), true, bdsNormal); });
  EXPECT_EQ(small[9], "gggggggggggg");
  EXPECT_EQ(small[8].substr(9), "ggg");
  EXPECT_NE(small[8][8], 'g');
}

TEST_F(Glyphs, HighlightBoxKeepsTheCallersClip) {
  for (bool full : {true, false}) {
    FullColorSupported = full;
    TBitmap b(12, 12);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 12, 12));
    IntersectClipRect(c->Handle(), 0, 0, 6, 12);
    DrawHighlightBox(c, Rect(0, 0, 12, 12), gdHorizontalEnd, clRed, clRed);
    EXPECT_EQ(c->Pixels(1, 6), full ? clRed : clWhite);
    EXPECT_EQ(c->Pixels(3, 6), clWhite);  // inside the ring
    c->Brush()->SetColor(clBlack);
    c->FillRect(Rect(0, 0, 12, 12));  // still limited to the caller's clip
    SelectClipRgn(c->Handle(), nullptr);
    EXPECT_EQ(c->Pixels(8, 6), clWhite);
    EXPECT_EQ(c->Pixels(4, 6), clBlack);
  }
}

TEST(ImageListGlyphs, IndexesAndTheMaskPixel) {
  TImageList list(nullptr);
  list.SetWidth(8);
  list.SetHeight(8);
  int disabled = 5, index = 5;
  AddImageToImageList(&list, nullptr, false, disabled, index);
  EXPECT_EQ(disabled, -1);
  EXPECT_EQ(index, -1);

  TBitmap pair(16, 8);  // a glyph with its disabled image beside it
  AddImageToImageList(&list, &pair, true, disabled, index);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(disabled, 1);

  // An 8-pixel glyph: its mask colour is the bottom-left pixel (0, 7).
  TBitmap glyph(8, 8);
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(Rect(0, 0, 8, 8));
  glyph.Canvas()->SetPixels(3, 3, clBlue);
  AddImageToImageList(&list, &glyph, false, disabled, index);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(disabled, -1);
  TBitmap out(8, 8);
  out.Canvas()->Brush()->SetColor(clLime);
  out.Canvas()->FillRect(Rect(0, 0, 8, 8));
  list.Draw(out.Canvas(), 0, 0, index);
  EXPECT_EQ(out.Canvas()->Pixels(0, 0), clLime);
  EXPECT_EQ(out.Canvas()->Pixels(3, 3), clBlue);
}
