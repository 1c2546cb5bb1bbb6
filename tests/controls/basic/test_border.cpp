// The framed border and its descendants: the LED display (dots, glyphs, the scroll
// timer) and the meter (range, lit segments, large ranges).
#include "basic_fixture.h"
#include "controls/basic/led.h"
#include "controls/basic/meter.h"
#include "controls/basic/panels.h"
#include "platform/win32/clock.h"

namespace {

struct Border : TFormFixture {
  void SetUp() override {
    TFormFixture::SetUp();
    Host = new TQvPanel(Form);
    Host->SetParent(Form);
    Host->SetBounds(0, 0, 300, 100);
    Host->SetBorderOuter(fsNone);
    Host->SetColor(clWhite);
  }
  TQvPanel* Host = nullptr;
};

TEST_F(Border, ClientRectIsWhatTheFrameLeaves) {
  auto* b = new TQvBorder(Form);
  struct Case { TFrameStyleEx outer; TSides sides; int band, bevel, w, h; TRect want; };
  const Case cases[] = {
      {fsGroove, AllSides, 0, 1, 50, 50, {2, 2, 48, 48}},
      {fsRaised, {sdLeft}, 3, 1, 50, 50, {5, 3, 47, 47}},
      {fsStatus, AllSides, 0, 4, 50, 50, {4, 4, 46, 46}},
      {fsPopup, {sdTop}, 0, 4, 50, 50, {0, 4, 50, 50}},
      {fsGroove, AllSides, 4, 1, 10, 10, {0, 0, 0, 0}},  // thicker than the control
  };
  for (const Case& c : cases) {
    b->SetBorderOuter(c.outer);
    b->SetBorderSides(c.sides);
    b->SetBorderWidth(c.band);
    b->SetBevelWidth(c.bevel);
    b->SetBounds(0, 0, c.w, c.h);
    EXPECT_EQ(b->ClientRect(), c.want) << static_cast<int>(c.outer);
  }
  b->SetBounds(0, 0, 50, 50);
  b->SetBorderOuter(fsGroove);
  b->SetBorderWidth(0);
  b->SetBorderSides(AllSides);
  EXPECT_EQ(b->ClientWidth(), 48);
}

TEST_F(Border, AControllerOnlyFramesWhenItsFrameIsVisible) {
  auto* fc = new TQvFrameController(nullptr);
  auto* b = new TQvBorder(Form);
  fc->SetFrameStyle(fsFlat);
  b->SetFrameController(fc);
  EXPECT_EQ(b->BorderOuter(), fsGroove);
  fc->SetFrameVisible(true);
  EXPECT_EQ(b->BorderOuter(), fsFlat);
  delete fc;
  EXPECT_EQ(b->FrameController(), nullptr);
}

TEST_F(Border, StreamsRoundTrip) {
  auto* b = new TQvBorder(Form);
  b->SetParent(Host);
  b->SetName("B1");
  EXPECT_EQ(TextOf(b).find("BorderOuter"), std::string::npos);
  b->SetBorderOuter(fsFlatRounded);
  b->SetBorderSides({sdLeft, sdBottom});
  b->SetFlatColorAdjustment(-20);
  b->SetFrameControllerNotifications({fcpColor});
  std::string text = TextOf(b);
  auto* back = new TQvBorder(nullptr);
  back->SetParent(Host);
  ReadInto(text, back);
  EXPECT_EQ(back->BorderOuter(), fsFlatRounded);
  EXPECT_EQ(back->BorderSides(), (TSides{sdLeft, sdBottom}));
  EXPECT_EQ(back->FlatColorAdjustment(), -20);
  EXPECT_EQ(back->FrameControllerNotifications(), TQvFrameControllerNotifications{fcpColor});
  EXPECT_EQ(TextOf(back), text);
}

// ---------------------------------------------------------------------------

struct Led : Border {
  void SetUp() override {
    Border::SetUp();
    SetClock(&Clock);
    L = new TQvLEDDisplay(Form);
    L->SetParent(Host);
  }
  void TearDown() override {
    Application->ProcessMessages();
    SetClock(nullptr);
    Border::TearDown();
  }
  void Tick(int Ms) {
    Clock.Advance(Ms);
    Application->ProcessMessages();
  }
  TManualClock Clock{1000};
  TQvLEDDisplay* L = nullptr;
};

TEST_F(Led, DefaultDisplayHasThreePixelDotsInEighteenByTwentyOneCells) {
  EXPECT_EQ(L->ClientRect().Height(), 28);
  EXPECT_EQ(L->DotSize(), 3);
  EXPECT_EQ(L->DotSpacing(), 0);
  L->SetHeight(100);  // client 98: dot 12, spacing 1
  EXPECT_EQ(L->DotSize(), 12);
  EXPECT_EQ(L->DotSpacing(), 1);
}

TEST_F(Led, GlyphsAreLookedUpByUnsignedByte) {
  struct Case { unsigned char ch; uint8_t col0, col2; };
  const Case cases[] = {{'A', 0x7E, 0x90}, {0xB0, 0x00, 0xA0}, {0xFF, 0x22, 0x08}, {'\t', 0x00, 0x7C}, {127, 0x00, 0x7C}};
  for (const Case& c : cases) {
    EXPECT_EQ(LedGlyph(c.ch)[0], c.col0) << int(c.ch);
    EXPECT_EQ(LedGlyph(c.ch)[2], c.col2) << int(c.ch);
  }
  EXPECT_EQ(L->DotColor('A', 0, 1), L->SegOnColor());   // 0x7E: rows 1..6 lit
  EXPECT_EQ(L->DotColor('A', 0, 0), L->SegOffColor());
  EXPECT_EQ(L->DotColor('A', 5, 3), L->SegOffColor());  // the gap column
}

TEST_F(Led, LitDotsAreTwoByTwoInsideTheirOutline) {
  L->SetBounds(0, 0, 100, 30);
  L->SetCaption("H");
  auto shot = Shot(Host);
  // Client origin (1, 1); the cell is centred: top = (28 - 21) / 2 = 3. "H" column 0
  // is 0xFE: rows 0..6 lit. Dot (0, 0) spans (1, 4)..(4, 7), lit inside (2, 5)..(3, 6).
  EXPECT_EQ(Px(shot.get(), 2, 5), RGB(0, 255, 0));
  EXPECT_EQ(Px(shot.get(), 3, 6), RGB(0, 255, 0));
  EXPECT_EQ(Px(shot.get(), 4, 5), RGB(0, 0, 0));   // the shared outline
  EXPECT_EQ(Px(shot.get(), 5, 5), RGB(0, 0x33, 0));  // column 1 row 0 of H (0x10): off
}

TEST_F(Led, NoTimerRunsUnlessScrollingInADirection) {
  L->SetScrollType(stLeftToRight);
  EXPECT_FALSE(L->TimerRunning());
  L->SetScrolling(true);
  EXPECT_TRUE(L->TimerRunning());
  L->SetScrollType(stNone);
  EXPECT_FALSE(L->TimerRunning());
  L->SetScrollType(stRightToLeft);
  EXPECT_TRUE(L->TimerRunning());
  L->SetScrolling(false);
  EXPECT_FALSE(L->TimerRunning());
  EXPECT_EQ(L->ScrollOffset(), 0);
}

TEST_F(Led, OnePassTakesNinetyFourTicksThenReportsOnce) {
  L->SetCaption("0123456789");
  EXPECT_EQ(L->ScrollLength(), 280);
  int completed = 0;
  L->OnScrollComplete = [&](TObject*) { ++completed; };
  L->SetScrolling(true);
  for (int i = 0; i < 93; ++i) Tick(100);
  EXPECT_EQ(completed, 0);
  EXPECT_EQ(L->ScrollOffset(), 279);
  Tick(100);
  EXPECT_EQ(completed, 1);
  EXPECT_EQ(L->ScrollOffset(), 0);
}

TEST_F(Led, StreamsRoundTripAndDropRetiredProperties) {
  L->SetName("Led1");
  L->SetCaption("HELLO");
  L->SetScrollType(stLeftToRight);
  L->SetSegOnColor(clRed);
  std::string text = TextOf(L);
  EXPECT_EQ(text.find("BorderOuter"), std::string::npos);
  auto* back = new TQvLEDDisplay(nullptr);
  back->SetParent(Host);
  ReadInto(text, back);
  EXPECT_EQ(back->Caption(), "HELLO");
  EXPECT_EQ(back->ScrollType(), stLeftToRight);
  EXPECT_EQ(back->SegOnColor(), clRed);
  EXPECT_EQ(TextOf(back), text);
  auto* old = new TQvLEDDisplay(nullptr);
  old->SetParent(Host);
  ReadInto("object Led2: TQvLEDDisplay\n  SegSpacing = 2\n  DisplayCells = 8\n  Caption = 'X'\nend\n", old);
  EXPECT_EQ(old->Caption(), "X");
}

// ---------------------------------------------------------------------------

using Meter = Border;

TEST_F(Meter, RangeSettersNeverMakeMinEqualMax) {
  TQvMeter m(nullptr);
  m.SetMin(100);
  EXPECT_EQ(m.Min(), 99);
  m.SetMin(0);
  m.SetValue(-5);
  EXPECT_EQ(m.Value(), 0);
  m.AddValue(500);
  EXPECT_EQ(m.Value(), 100);
  m.SetMax(0);
  EXPECT_EQ(m.Max(), 1);
}

TEST_F(Meter, LedSegmentsLightByGroup) {
  auto* m = new TQvMeter(Form);
  m->SetParent(Host);
  m->SetBounds(0, 0, 150, 30);
  auto count = [&](TColor C) {
    auto shot = Shot(Host);
    int n = 0;
    bool in = false;
    for (int x = 0; x < 150; ++x) {  // runs of the colour along the middle row
      bool hit = Px(shot.get(), x, 15) == ColorToRGB(C);
      if (hit && !in) ++n;
      in = hit;
    }
    return n;
  };
  m->SetValue(55);
  EXPECT_EQ(m->LitSegments(), 5);
  EXPECT_EQ(count(0x008000), 5);
  EXPECT_EQ(count(0x00FFFF), 0);
  m->SetValue(100);
  EXPECT_EQ(count(0x008000), 5);
  EXPECT_EQ(count(0x00FFFF), 3);
  EXPECT_EQ(count(0x0000FF), 2);
}

TEST_F(Meter, SegmentCountsAddUpAsFullIntegers) {
  TQvMeter m(nullptr);
  m.SetSegCount(0, 128);
  m.SetSegCount(1, 64);
  m.SetSegCount(2, 64);
  EXPECT_EQ(m.SegmentTotal(), 256);
  m.SetValue(50);
  EXPECT_EQ(m.LitSegments(), 128);
  m.SetSegCount(0, 0);  // a group keeps at least one segment
  EXPECT_EQ(m.GetSegCount(0), 1);
}

TEST_F(Meter, BarsOnLargeRangesStayInsideTheRectangle) {
  // 1.5e9 x 147 overflows 32 bits; the edge is 110 (147 x 3 / 4, truncated).
  EXPECT_EQ(MeterBarEdge(1500000000, 2000000000, -1, 147), 110);
  EXPECT_EQ(MeterBarEdge(2000000000, 2000000000, -1, 147), 147);
  EXPECT_EQ(MeterBarEdge(0, 2000000000, -1, 147), 0);
  auto* m = new TQvMeter(Form);
  m->SetParent(Host);
  m->SetMeterType(mtNormal);
  m->SetShowPercent(false);
  m->SetMin(-2000000000);
  m->SetMax(2000000000);
  m->SetValue(2000000000);
  EXPECT_EQ(m->GetPercent(), 100);
  auto shot = Shot(Host);
  EXPECT_EQ(Px(shot.get(), 140, 15), RGB(255, 0, 0));  // the bar reaches the right edge
}

// A tiled bitmap on a trapezoidal bar covers the trapezoid only; the corners of
// the bar's rectangle outside it keep the face colour.
TEST_F(Meter, ATiledBitmapIsClippedToTheTrapezoid) {
  auto* m = new TQvMeter(Form);
  m->SetParent(Host);
  m->SetMeterType(mtNormal);
  m->SetMeterShape(msTrapezoidal);  // large at the left, 6 pixels at the right
  m->SetShowPercent(false);
  TBitmap tile(4, 4);
  tile.Canvas()->Brush()->SetColor(clRed);
  tile.Canvas()->FillRect({0, 0, 4, 4});
  m->SetBitmap(&tile);
  m->SetValue(100);
  auto shot = Shot(Host);
  const COLORREF red = RGB(255, 0, 0), face = ColorToRGB(clBtnFace);
  struct Probe {
    const char* What;
    int X, Y;
    COLORREF Want;
  } const probes[] = {
      {"the wide end", 2, 15, red}, {"the middle", 75, 15, red}, {"the narrow end's centre", 146, 15, red},
      {"above the narrow end", 146, 2, face}, {"below the narrow end", 146, 27, face},
  };
  for (const Probe& p : probes) EXPECT_EQ(Px(shot.get(), p.X, p.Y), p.Want) << p.What;
}

TEST_F(Meter, StreamsRoundTrip) {
  auto* m = new TQvMeter(Form);
  m->SetParent(Host);
  m->SetName("M1");
  EXPECT_EQ(TextOf(m).find("BorderOuter"), std::string::npos);
  m->SetMeterType(mtBar3D);
  m->SetSegCount(1, 7);
  m->SetSegColor(2, clPurple);
  m->SetValue(33);
  m->SetDirection(dirUp);
  std::string text = TextOf(m);
  EXPECT_NE(text.find("Seg2Count = 7"), std::string::npos);
  auto* back = new TQvMeter(nullptr);
  back->SetParent(Host);
  ReadInto(text, back);
  EXPECT_EQ(back->MeterType(), mtBar3D);
  EXPECT_EQ(back->GetSegCount(1), 7);
  EXPECT_EQ(back->GetSegColor(2), clPurple);
  EXPECT_EQ(back->Value(), 33);
  EXPECT_EQ(back->Direction(), dirUp);
  EXPECT_EQ(TextOf(back), text);
}

}  // namespace
