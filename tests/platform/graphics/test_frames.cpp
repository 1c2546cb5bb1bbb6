// DrawEdge and DrawFrameControl against the pictures in data/frames.txt.
#include "gfx_test_util.h"

using namespace gfxtest;

TEST(Frames, DrawEdgeMatchesTheMaps) {
  struct Case { const char* Map; unsigned Edge, Flags; TRect Adjusted; };
  const Case cases[] = {
      {"edge_raised", EDGE_RAISED, BF_RECT, {1, 1, 7, 6}},
      {"edge_sunken_middle", EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST, {3, 3, 5, 4}},
      {"edge_etched_topleft", EDGE_ETCHED, BF_TOPLEFT | BF_ADJUST, {3, 3, 7, 6}},
      {"edge_flat_outer", BDR_RAISEDOUTER, BF_RECT | BF_FLAT, {1, 1, 7, 6}},
      {"edge_raised_soft", EDGE_RAISED, BF_RECT | BF_SOFT, {1, 1, 7, 6}},
      {"edge_inner_only", BDR_SUNKENINNER, BF_RECT | BF_ADJUST, {2, 2, 6, 5}},
  };
  for (const Case& c : cases) {
    TPaintDC p(8, 7);
    TRect r{1, 1, 7, 6};
    EXPECT_TRUE(DrawEdge(p.Dc, &r, c.Edge, c.Flags));
    EXPECT_EQ(p.Picture(), DataMap("frames.txt", c.Map)) << c.Map;
    EXPECT_EQ(r, c.Adjusted) << c.Map;
  }
  TPaintDC p(8, 7);
  TRect r{1, 1, 7, 6};
  EXPECT_FALSE(DrawEdge(p.Dc, &r, EDGE_RAISED, BF_RECT | BF_DIAGONAL));
}

TEST(Frames, DrawFrameControlMatchesTheMaps) {
  struct Case { const char* Map; int W, H; unsigned Type, State; };
  const Case cases[] = {
      {"check_checked", 13, 13, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED},
      {"radio_checked", 12, 12, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED},
      {"push_normal", 6, 5, DFC_BUTTON, DFCS_BUTTONPUSH},
      {"scroll_up", 9, 9, DFC_SCROLL, DFCS_SCROLLUP},
      {"scroll_down_pushed_inactive", 9, 9, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_PUSHED | DFCS_INACTIVE},
      {"menu_check", 9, 9, DFC_MENU, DFCS_MENUCHECK},
      {"menu_arrow", 8, 8, DFC_MENU, DFCS_MENUARROW},
  };
  for (const Case& c : cases) {
    TPaintDC p(c.W, c.H);
    TRect r{0, 0, c.W, c.H};
    EXPECT_TRUE(DrawFrameControl(p.Dc, &r, c.Type, c.State));
    EXPECT_EQ(p.Picture(), DataMap("frames.txt", c.Map)) << c.Map;
  }
}

TEST(Frames, CheckBoxStatesChooseFaceAndMarkColours) {
  struct Case { unsigned State; COLORREF Face, Mark; };
  const Case cases[] = {
      {DFCS_BUTTONCHECK, RGB(255, 255, 255), RGB(255, 255, 255)},
      {DFCS_BUTTONCHECK | DFCS_CHECKED, RGB(255, 255, 255), RGB(0, 0, 0)},
      {DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_PUSHED, RGB(212, 208, 200), RGB(0, 0, 0)},
      {DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE, RGB(212, 208, 200), RGB(128, 128, 128)},
      {DFCS_BUTTON3STATE | DFCS_CHECKED, RGB(212, 208, 200), RGB(128, 128, 128)},
  };
  for (const Case& c : cases) {
    TPaintDC p(13, 13);
    TRect r{0, 0, 13, 13};
    DrawFrameControl(p.Dc, &r, DFC_BUTTON, c.State);
    EXPECT_EQ(p.At(2, 2), c.Face) << std::hex << c.State;
    EXPECT_EQ(p.At(5, 8), c.Mark) << std::hex << c.State;
  }
}

TEST(Frames, ScrollArrowsOfSeventeenPixelsStayInsideTheGlyphWindows) {
  // Arrow buttons of 17 x 17 have their arrow (with its pushed shift and its
  // disabled shadow) inside these windows, from which glyphs are copied.
  struct Case { unsigned Kind; TRect Window; };
  const Case cases[] = {{DFCS_SCROLLLEFT, {4, 4, 13, 13}}, {DFCS_SCROLLUP, {4, 5, 13, 11}},
                        {DFCS_SCROLLRIGHT, {6, 4, 15, 13}}, {DFCS_SCROLLDOWN, {4, 6, 13, 12}},
                        {DFCS_SCROLLCOMBOBOX, {4, 6, 13, 12}}};
  for (const Case& c : cases)
    for (unsigned state : {0u, DFCS_PUSHED, DFCS_INACTIVE}) {
      TPaintDC p(17, 17);
      TRect r{0, 0, 17, 17};
      DrawFrameControl(p.Dc, &r, DFC_SCROLL, c.Kind | state);
      int arrow = 0;
      for (int y = 2; y < 15; ++y)
        for (int x = 2; x < 15; ++x)
          if (p.At(x, y) != RGB(212, 208, 200)) {
            ++arrow;
            EXPECT_TRUE(c.Window.Contains({x, y})) << c.Kind << " " << state << " at " << x << "," << y;
          }
      EXPECT_GE(arrow, 16) << c.Kind << " " << state;
    }
}

TEST(Frames, AdjustRectGivesTheFaceInsideTheEdge) {
  TPaintDC p(20, 10);
  TRect r{0, 0, 20, 10};
  DrawFrameControl(p.Dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
  EXPECT_EQ(r, TRect(2, 2, 18, 8));
  TRect q{0, 0, 20, 10};
  EXPECT_FALSE(DrawFrameControl(p.Dc, &q, DFC_CAPTION, 0));
}
