// Containers and pictures: where group boxes and panels put their children and
// the frames they draw, bevels, images (placement, transparency, form data) and
// the progress bar's range, messages and blocks.
#include "tests/platform/controls/fixtures.h"
#include "platform/stdctrls/panels.h"
#include "platform/stdctrls/progress.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/core/streams.h"
#include "tests/platform/controls/shot.h"

using PanelsTest = ControlsTest;

TEST_F(PanelsTest, GroupBoxesAndPanelsAlignTheirChildrenInsideTheirFrames) {
  TForm* form = MakeForm();
  auto* box = new TGroupBox(form);
  box->SetBounds(10, 10, 150, 100);
  box->SetCaption("&Group");
  box->SetParent(form);
  auto* inBox = Child<TProbe>(box, "InBox", {0, 0, 10, 10});
  inBox->SetAlign(alClient);
  auto* panel = new TPanel(form);
  panel->SetBounds(170, 10, 120, 80);
  panel->SetBevelInner(bvLowered);
  panel->SetBorderWidth(2);
  panel->SetParent(form);
  auto* inPanel = Child<TProbe>(panel, "InPanel", {0, 0, 10, 10});
  inPanel->SetAlign(alClient);
  auto* other = Child<TProbe>(form, "Other", {10, 150, 50, 170});
  form->Show();

  int h = TextExtentOf(form->Font(), "0").cy;
  EXPECT_EQ(inBox->BoundsRect(), TRect(2, h + 2, 148, 98));
  // Outer bevel 1, border 2, inner bevel 1.
  EXPECT_EQ(inPanel->BoundsRect(), TRect(4, 4, 116, 76));

  inBox->SetAlign(alNone);
  inBox->SetBounds(20, 40, 30, 20);
  inPanel->SetVisible(false);
  TShot shot(form);
  // The etched frame (shadow line, highlight line inside) broken by the caption.
  EXPECT_EQ(shot(10 + 0, 10 + h / 2 - 1 + 20), Rgb(clBtnShadow));
  EXPECT_EQ(shot(10 + 1, 10 + h / 2 + 20), Rgb(clBtnHighlight));
  EXPECT_EQ(shot(10 + 60, 10 + h / 2 - 1), Rgb(clBtnShadow));
  EXPECT_TRUE(shot.Any({10 + 8, 10, 10 + 40, 10 + h}, clWindowText));
  // The panel: raised outside, the border in its colour, lowered inside.
  EXPECT_EQ(shot(170, 10), Rgb(clBtnHighlight));
  EXPECT_EQ(shot(170 + 119, 10 + 79), Rgb(clBtnShadow));
  EXPECT_EQ(shot(170 + 2, 10 + 2), Rgb(clBtnFace));
  EXPECT_EQ(shot(170 + 3, 10 + 3), Rgb(clBtnShadow));
  EXPECT_EQ(shot(170 + 116, 10 + 76), Rgb(clBtnHighlight));

  // Alt + the group box's accelerator focuses its first control.
  other->SetFocus();
  Key('G', "g", true);
  EXPECT_TRUE(inBox->Focused());
}

TEST_F(PanelsTest, BevelsDrawTheirShapeInTheirStyle) {
  struct Case {
    TBevelShape Shape;
    TBevelStyle Style;
    std::vector<std::pair<TPoint, TColor>> Pixels;  // bevel coordinates
  };
  const TColor face = clBtnFace, sh = clBtnShadow, hi = clBtnHighlight;
  const Case cases[] = {
      {bsBox, bsLowered, {{{0, 0}, sh}, {{39, 29}, hi}, {{39, 0}, hi}, {{5, 5}, face}}},
      {bsBox, bsRaised, {{{0, 0}, hi}, {{39, 29}, sh}}},
      {bsFrame, bsLowered, {{{0, 0}, sh}, {{1, 1}, hi}, {{38, 28}, sh}, {{39, 29}, hi}}},
      {bsTopLine, bsLowered, {{{10, 0}, sh}, {{10, 1}, hi}, {{10, 2}, face}}},
      {bsBottomLine, bsRaised, {{{10, 28}, hi}, {{10, 29}, sh}, {{10, 27}, face}}},
      {bsLeftLine, bsLowered, {{{0, 10}, sh}, {{1, 10}, hi}, {{2, 10}, face}}},
      {bsRightLine, bsLowered, {{{38, 10}, sh}, {{39, 10}, hi}}},
      {bsSpacer, bsLowered, {{{0, 0}, face}, {{39, 29}, face}}},
  };
  TForm* form = MakeForm();
  form->SetColor(clBtnFace);
  auto* bevel = new TBevel(form);
  bevel->SetBounds(20, 20, 40, 30);
  bevel->SetParent(form);
  form->Show();
  for (const Case& c : cases) {
    bevel->SetShape(c.Shape);
    bevel->SetStyle(c.Style);
    TShot shot(form);
    for (const auto& [p, color] : c.Pixels)
      EXPECT_EQ(shot(20 + p.X, 20 + p.Y), Rgb(color))
          << "shape " << static_cast<int>(c.Shape) << " at " << p.X << "," << p.Y;
  }
}

TEST_F(PanelsTest, ImagesPlaceTheirPictureAndLeaveTheTransparentColourOut) {
  TForm* form = MakeForm();
  auto* image = new TImage(form);
  image->SetBounds(0, 0, 100, 100);
  image->SetParent(form);
  TBitmap small(40, 20), big(200, 100);
  struct Case {
    const char* What;
    TBitmap* Picture;
    bool Center, Stretch, Proportional;
    TRect Dest;
  };
  const Case cases[] = {
      {"as it is", &small, false, false, false, {0, 0, 40, 20}},
      {"centred", &small, true, false, false, {30, 40, 70, 60}},
      {"stretched", &small, false, true, false, {0, 0, 100, 100}},
      {"stretched in proportion", &small, false, true, true, {0, 0, 100, 50}},
      {"proportional never enlarges", &small, false, false, true, {0, 0, 40, 20}},
      {"proportional shrinks a large one", &big, true, false, true, {0, 25, 100, 75}},
  };
  for (const Case& c : cases) {
    image->Picture()->SetGraphic(c.Picture);
    image->SetCenter(c.Center);
    image->SetStretch(c.Stretch);
    image->SetProportional(c.Proportional);
    EXPECT_EQ(image->DestRect(), c.Dest) << c.What;
  }

  // A transparent image leaves its bitmap's bottom-left colour to the parent.
  TBitmap pic(10, 10);
  pic.Canvas()->Brush()->SetColor(clFuchsia);
  pic.Canvas()->FillRect({0, 0, 10, 10});
  pic.Canvas()->Brush()->SetColor(clNavy);
  pic.Canvas()->FillRect({2, 2, 8, 8});
  image->SetCenter(false);
  image->SetStretch(false);
  image->SetProportional(false);
  image->Picture()->SetGraphic(&pic);
  image->SetAutoSize(true);
  EXPECT_EQ(image->BoundsRect(), TRect(0, 0, 10, 10));
  form->Show();
  EXPECT_EQ(TShot(form)(0, 0), Rgb(clFuchsia));
  image->SetTransparent(true);
  TShot shot(form);
  EXPECT_EQ(shot(0, 0), Rgb(clBtnFace));
  EXPECT_EQ(shot(5, 5), Rgb(clNavy));

  // The picture travels in a form stream as Picture.Data.
  TMemoryStream m;
  m.WriteComponent(form);
  m.SetPosition(0);
  TForm* copy = Own(new TForm(nullptr));
  m.ReadComponent(copy);
  auto* image2 = dynamic_cast<TImage*>(copy->Components(0));
  ASSERT_NE(image2, nullptr);
  auto* bmp = dynamic_cast<TBitmap*>(image2->Picture()->Graphic());
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->Width(), 10);
  EXPECT_EQ(bmp->Canvas()->Pixels(5, 5), clNavy);
  EXPECT_TRUE(image2->Transparent());
}

TEST_F(PanelsTest, AProgressBarKeepsItsPositionInRangeAndAnswersItsMessages) {
  TForm* form = MakeForm();
  auto* bar = new TProgressBar(form);
  bar->SetBounds(10, 10, 152, 18);
  bar->SetParent(form);
  struct Step {
    const char* What;
    std::function<LRESULT()> Do;
    LRESULT Result;
    int Position;
  };
  PBRANGE range;
  const Step steps[] = {
      {"set", [&] { return bar->Perform(PBM_SETPOS, 40, 0); }, 0, 40},
      {"clamped", [&] { bar->SetPosition(140); return LRESULT(0); }, 0, 100},
      {"delta stops at the end", [&] { return bar->Perform(PBM_DELTAPOS, static_cast<WPARAM>(-130), 0); }, 100, 0},
      {"step", [&] { bar->Perform(PBM_SETSTEP, 30, 0); return bar->Perform(PBM_STEPIT, 0, 0); }, 0, 30},
      {"steps start over past the end", [&] { bar->SetPosition(90); return bar->Perform(PBM_STEPIT, 0, 0); }, 90, 20},
      {"new range moves the position", [&] { return bar->Perform(PBM_SETRANGE32, 50, 80); }, MAKELPARAM(0, 100), 50},
      {"range read back", [&] { return bar->Perform(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range)); }, 80, 50},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(s.Do(), s.Result) << s.What;
    EXPECT_EQ(bar->Perform(PBM_GETPOS, 0, 0), s.Position) << s.What;
  }
  EXPECT_EQ(range.iLow, 50);
  EXPECT_EQ(range.iHigh, 80);
  EXPECT_THROW(bar->SetMin(90), EInvalidOperation);

  // Half way: blocks over the left half of the inside, none on the right.
  bar->SetMin(0);
  bar->SetMax(100);
  bar->SetPosition(50);
  form->Show();
  TShot shot(form);
  EXPECT_EQ(shot(10, 10), Rgb(clBtnShadow));  // the sunken frame
  EXPECT_EQ(shot(12, 15), Rgb(clHighlight));
  EXPECT_EQ(shot(12 + 10, 15), Rgb(clBtnFace));  // the gap after the first 10-pixel block
  EXPECT_TRUE(shot.Any({70, 15, 86, 16}, clHighlight));
  EXPECT_FALSE(shot.Any({100, 12, 160, 26}, clHighlight));
  bar->SetSmooth(true);
  EXPECT_FALSE(TShot(form).Any({12, 15, 86, 16}, clBtnFace));
}

// Hiding an opaque label repaints its area with what lies beneath it: the face of
// its parent, whether that parent paints its own face (a panel) or has it erased
// (a form, a group box).
TEST_F(PanelsTest, AHiddenOpaqueLabelLeavesItsParentsFaceBehind) {
  struct Case {
    const char* What;
    TColor Face;
  } cases[] = {{"form", clAqua}, {"panel", clBlue}, {"group box", clYellow}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TForm* form = MakeForm("HideForm" + std::to_string(++n));
    form->SetColor(clAqua);
    TWinControl* parent = form;
    if (std::string(c.What) == "panel") {
      auto* panel = new TPanel(form);
      panel->SetBevelOuter(bvNone);
      parent = panel;
    } else if (std::string(c.What) == "group box") {
      parent = new TGroupBox(form);
    }
    if (parent != form) {
      parent->SetBounds(10, 10, 200, 150);
      parent->SetColor(c.Face);
      parent->SetParent(form);
    }
    auto* label = new TLabel(form);
    label->SetAutoSize(false);
    label->SetBounds(20, 40, 80, 30);
    label->SetCaption("Data");
    label->SetColor(clRed);
    label->SetParent(parent);
    form->Show();
    Application->ProcessMessages();
    auto pixel = [&] {
      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(dc, WindowBuffer(parent->Handle()));
      TPoint o = WindowBufferClientOrigin(parent->Handle());
      COLORREF p = GetPixel(dc, o.X + 20 + 75, o.Y + 40 + 25);  // far from the text
      SelectObject(dc, old);
      DeleteDC(dc);
      return p;
    };
    ASSERT_EQ(pixel(), ColorToRGB(clRed));
    label->SetVisible(false);
    Application->ProcessMessages();
    EXPECT_EQ(pixel(), ColorToRGB(c.Face));
  }
}
