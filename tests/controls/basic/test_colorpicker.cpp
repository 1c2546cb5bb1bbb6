// The colour picker: its auto-size, a hit test that lands on the painted cell,
// the colour-to-index rules, the events of a click, dragging, the custom colour
// dialog and its form stream.
#include <gtest/gtest.h>

#include "controls/basic/classes.h"
#include "controls/basic/colorpicker.h"
#include "platform/controls/modal.h"
#include "platform/stdctrls/panels.h"
#include "tests/controls/basic/basic_fixture.h"

namespace {

struct ColorPicker : TFormFixture {
  void SetUp() override {
    RegisterBasicClasses();
    TFormFixture::SetUp();
    Host = new TPanel(Form);
    Host->SetBounds(0, 0, 300, 280);
    Host->SetParent(Form);
    Picker = new TQvColorPicker(Form);
    Picker->Font()->SetHeight(-11);
    Picker->SetLeft(10);
    Picker->SetTop(10);
    Picker->SetParent(Host);
  }
  void Mouse(UINT Msg, int X, int Y, WPARAM Keys) {
    Picker->Perform(Msg, Keys, static_cast<LPARAM>((Y << 16) | (X & 0xFFFF)));
  }
  void Click(int X, int Y) {
    Mouse(WM_LBUTTONDOWN, X, Y, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, X, Y, 0);
  }
  TPanel* Host = nullptr;
  TQvColorPicker* Picker = nullptr;
};

TEST_F(ColorPicker, AutoSizesByTheRowsShown) {
  EXPECT_EQ(Picker->Margin(), 23);
  struct Case { bool sys, none, def, custom; int w, h; };
  const Case cases[] = {
      {false, false, false, false, 152, 98},
      {true, false, false, false, 152, 178},
      {false, true, false, false, 152, 98 + 24},
      {true, true, true, true, 152, 178 + 24 + 24 + 23},
  };
  for (const auto& c : cases) {
    Picker->SetShowSystemColors(c.sys);
    Picker->SetShowNoColor(c.none);
    Picker->SetShowDefaultColor(c.def);
    Picker->SetShowCustomColor(c.custom);
    EXPECT_EQ(Picker->Width(), c.w);
    EXPECT_EQ(Picker->Height(), c.h) << c.sys << c.none << c.def << c.custom;
    EXPECT_EQ(Picker->Left(), 10);
  }
}

TEST_F(ColorPicker, EveryCellsCentreHitsThePaintedCell) {
  struct Case { bool sys, none, def, custom; };
  const Case cases[] = {{false, false, false, false}, {true, false, false, false}, {true, true, true, true},
                        {false, true, false, true}, {true, false, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sys << c.none << c.def << c.custom);
    Picker->SetShowSystemColors(c.sys);
    Picker->SetShowNoColor(c.none);
    Picker->SetShowDefaultColor(c.def);
    Picker->SetShowCustomColor(c.custom);
    auto shot = Shot(Host);
    int count = c.sys ? PickerColorCount : 40;
    for (int i = 0; i < count; ++i) {
      TRect cell = Picker->GetCellRect(i);
      int x = (cell.Left + cell.Right) / 2, y = (cell.Top + cell.Bottom) / 2;
      EXPECT_EQ(Picker->HitTest(x, y), i);
      EXPECT_EQ(Px(shot.get(), Picker->Left() + x, Picker->Top() + y), ColorToRGB(PickerColors(i).Color)) << i;
    }
    TRect client = Picker->GetClientRect();
    if (c.none) EXPECT_EQ(Picker->HitTest(client.Left + 5, client.Top + 5), -1);
    if (c.def) EXPECT_EQ(Picker->HitTest(client.Left + 5, client.Top + (c.none ? 23 : 0) + 5), -4);
    if (c.custom) {
      EXPECT_EQ(Picker->HitTest(client.Left + 5, client.Bottom - 5), -3);
      EXPECT_EQ(Picker->HitTest(client.Right - 5, client.Bottom - 5), -2);
    }
    if (c.sys) {
      TRect last = Picker->GetCellRect(69);
      EXPECT_EQ(Picker->HitTest(last.Right + 3, last.Top + 3), -5);  // an empty cell
      EXPECT_EQ(Picker->HitTest(client.Left + 5, Picker->GetCellRect(39).Bottom + 3), -5);  // the gap
    }
  }
}

TEST_F(ColorPicker, SelectedColorFindsItsIndex) {
  struct Case { bool sys; TColor in; int index; TColor out; };
  const Case cases[] = {
      {true, clBtnFace, 55, clBtnFace},
      {false, TColor(0x00FF00), 27, TColor(0x00FF00)},
      {false, TColor(0x123456), -2, TColor(0x123456)},
      {false, clNone, -1, clNone},
      {false, clRed, 16, TColor(0x0000FF)},
  };
  for (const auto& c : cases) {
    Picker->SetShowSystemColors(c.sys);
    Picker->SetSelectedColor(c.in);
    EXPECT_EQ(Picker->SelColorIndex(), c.index) << std::hex << c.in;
    EXPECT_EQ(Picker->SelectedColor(), c.out);
  }
  EXPECT_EQ(Picker->CustomColor(), TColor(0x123456));
  Picker->SetShowDefaultColor(true);
  Picker->SetSelectedColor(clHighlight);
  EXPECT_EQ(Picker->SelColorIndex(), -4);
}

TEST_F(ColorPicker, ClicksFireChangeOnceAndClickOnEachRelease) {
  int changes = 0, clicks = 0;
  Picker->OnChange = [&](TObject*) { ++changes; };
  Picker->OnClick = [&](TObject*) { ++clicks; };
  TRect cell = Picker->GetCellRect(12);
  Click(cell.Left + 5, cell.Top + 5);
  Click(cell.Left + 5, cell.Top + 5);
  EXPECT_EQ(Picker->SelColorIndex(), 12);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(clicks, 2);
  // the custom colour chosen twice: both times a change and a click
  Picker->SetSelColorIndex(-2);
  Picker->SetSelColorIndex(-2);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(clicks, 4);
}

TEST_F(ColorPicker, DraggingNeverSelectsTheGapOrNothing) {
  Picker->SetShowSystemColors(true);
  TRect a = Picker->GetCellRect(3);
  Mouse(WM_LBUTTONDOWN, a.Left + 5, a.Top + 5, MK_LBUTTON);
  TRect gapRow = Picker->GetCellRect(39);
  Mouse(WM_MOUSEMOVE, a.Left + 5, gapRow.Bottom + 3, MK_LBUTTON);
  EXPECT_EQ(Picker->SelColorIndex(), 3);
  Mouse(WM_MOUSEMOVE, Picker->Width() - 1, Picker->Height() - 1, MK_LBUTTON);  // the frame
  EXPECT_EQ(Picker->SelColorIndex(), 3);
  TRect b = Picker->GetCellRect(50);
  Mouse(WM_MOUSEMOVE, b.Left + 5, b.Top + 5, MK_LBUTTON);
  EXPECT_EQ(Picker->SelColorIndex(), 50);
  Mouse(WM_LBUTTONUP, b.Left + 5, b.Top + 5, 0);
  // hovering marks the cell; leaving clears it
  Mouse(WM_MOUSEMOVE, a.Left + 5, a.Top + 5, 0);
  EXPECT_EQ(Picker->HighlightColorIndex(), 3);
  Picker->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Picker->HighlightColorIndex(), -6);
}

TEST_F(ColorPicker, MoreColorsOpensTheDialog) {
  TScriptedModalRunner runner;
  Picker->SetShowCustomColor(true);
  runner.AnswerColorDialog(TColor(0x204060));
  TRect more = Picker->GetCellRect(-3);
  Click(more.Left + 5, more.Top + 5);
  EXPECT_EQ(Picker->SelColorIndex(), -2);
  EXPECT_EQ(Picker->CustomColor(), TColor(0x204060));
  EXPECT_EQ(runner.CallsOf("color").size(), 1u);
}

TEST_F(ColorPicker, StreamRoundTrip) {
  Picker->SetShowSystemColors(true);
  Picker->SetShowNoColor(true);
  Picker->SetNoColorCaption("Automatic");
  Picker->SetSelectedColor(clBtnFace);
  std::string text = TextOf(Picker);
  auto* copy = new TQvColorPicker(Form);
  ReadInto(text, copy);
  EXPECT_TRUE(copy->ShowSystemColors());
  EXPECT_TRUE(copy->ShowNoColor());
  EXPECT_EQ(copy->NoColorCaption(), "Automatic");
  EXPECT_EQ(copy->SelColorIndex(), 55);
  EXPECT_EQ(TextOf(copy), text);
  EXPECT_EQ(TextOf(new TQvColorPicker(Form)).find("SelectedColor"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(ColorPicker, HintNamesTheCellBelowIt) {
  Form->Show();
  SetActiveWindow(Form->Handle());
  TRect cell = Picker->GetCellRect(5);
  Mouse(WM_MOUSEMOVE, cell.Left + 5, cell.Top + 5, 0);
  THintWindow* hint = Picker->ColorHintWindow();
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(hint->Shown());
  EXPECT_EQ(hint->Caption(), "Dark Blue");
  TPoint at = Picker->ClientToScreen({cell.Left, cell.Bottom});
  EXPECT_EQ(hint->Left(), at.X + 4);
  EXPECT_EQ(hint->Top(), at.Y + 12);
  Picker->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(hint->Shown());
  Picker->SetShowColorHints(false);
  Mouse(WM_MOUSEMOVE, cell.Left + 5, cell.Top + 5, 0);
  EXPECT_FALSE(hint->Shown());
}

}  // namespace
