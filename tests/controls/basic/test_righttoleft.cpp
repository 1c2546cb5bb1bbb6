// Right to left in the basic controls: each family's left-to-right and
// right-to-left positions, rectangles, hit areas and drop points side by side.
#include <gtest/gtest.h>

#include "buttons_fixture.h"
#include "controls/basic/bitbuttons.h"
#include "controls/basic/buttons.h"
#include "controls/basic/groupbox.h"
#include "controls/basic/labels.h"
#include "controls/basic/panels.h"
#include "controls/basic/radiocheck.h"
#include "controls/basic/radiogroups.h"
#include "controls/basic/tbspeedbuttons.h"
#include "controls/basic/toolbar.h"
#include "controls/basic/toolbutton.h"
#include "platform/controls/menus.h"
#include "tests/platform/controls/shot.h"

namespace {

class RightToLeft : public ButtonsFixture {
protected:
  void SetUp() override {
    ButtonsFixture::SetUp();
    Form = MakeForm();
    Form->Show();
  }
  // Whether any pixel of R (control coordinates of C, painted alone) is black.
  static bool Inked(TWinControl* C, const TRect& R) { return TShot(C).Any(R, clBlack); }
  TPopupMenu* Menu() {
    auto* menu = new TPopupMenu(Form);
    auto* item = new TMenuItem(Form);
    item->SetCaption("Item");
    menu->Items()->Add(item);
    return menu;
  }
  TForm* Form = nullptr;
};

const TBiDiMode kModes[] = {bdLeftToRight, bdRightToLeft};

// Push, menu and toolbar menu buttons: the caption's side, the arrow (X = 98 or 8
// on a 110-wide menu button; the toolbar button's separator at 25 or 15 and arrow
// at 32 or 8 when 40 wide), and the drop point (0 or Width, Height).
TEST_F(RightToLeft, ButtonsMirrorCaptionArrowSeparatorAndDropPoint) {
  struct Case {
    TBiDiMode Mode;
    int MenuArrowX, SeparatorX, ToolbarArrowX;
    bool CaptionLeft;
  } cases[] = {{bdLeftToRight, 98, 25, 32, true}, {bdRightToLeft, 8, 15, 8, false}};
  for (const Case& c : cases) {
    auto* menuButton = Make<TQvMenuButton>(Form, "", {0, 0, 110, 25});
    menuButton->SetBiDiMode(c.Mode);
    EXPECT_TRUE(Inked(menuButton, {c.MenuArrowX - 1, 12, c.MenuArrowX + 2, 14})) << c.MenuArrowX;
    TPopupMenu* menu = Menu();
    TPoint corner = c.Mode == bdRightToLeft ? TPoint{110, 25} : TPoint{0, 25};
    EXPECT_EQ(MenuDropPoint(menuButton, menu), menuButton->ClientToScreen(corner)) << static_cast<int>(c.Mode);

    auto* push = Make<TQvButton>(Form, "", {0, 30, 120, 55});
    push->SetAlignment(taLeftJustify);
    push->SetCaption("WWW");
    push->SetBiDiMode(c.Mode);
    EXPECT_EQ(Inked(push, {5, 5, 40, 20}), c.CaptionLeft);
    EXPECT_EQ(Inked(push, {80, 5, 115, 20}), !c.CaptionLeft);

    auto* bar = Make<TQvPanel>(Form, "", {0, 60, 60, 100});
    auto* tb = new TQvMenuToolbarButton(Form);
    tb->SetBounds(0, 0, 40, 25);
    tb->SetFlat(false);
    tb->SetDropDownMenu(menu);
    tb->SetParent(bar);
    tb->SetBiDiMode(c.Mode);
    TShot shot(bar);
    EXPECT_EQ(shot(c.SeparatorX, 10), Rgb(clBtnHighlight)) << c.SeparatorX;
    EXPECT_EQ(shot(c.SeparatorX - 1, 10), Rgb(clBtnShadow)) << c.SeparatorX;
    EXPECT_EQ(shot(c.ToolbarArrowX, 11), Rgb(clWindowText)) << c.ToolbarArrowX;  // the triangle's top row
    EXPECT_EQ(shot(c.ToolbarArrowX + 3, 11), Rgb(clWindowText)) << c.ToolbarArrowX;
    EXPECT_EQ(shot(c.ToolbarArrowX + 5, 11), Rgb(clBtnFace)) << c.ToolbarArrowX;
    delete bar;
    delete push;
    delete menuButton;
  }
}

// The split tool button: its 14-pixel arrow part at the right or the left edge,
// where a press drops the menu at (0, Height) or (Width, Height); the arrow glyph
// at Width - 8 or 6.
TEST_F(RightToLeft, ToolButtonArrowPartHitAreaAndDropPoint) {
  struct Case {
    TBiDiMode Mode;
    int ArrowPress, BodyPress, ArrowX, DropX;
  } cases[] = {{bdLeftToRight, 30, 10, 31, 0}, {bdRightToLeft, 10, 30, 6, 39}};
  for (const Case& c : cases) {
    auto* b = Make<TQvToolButton>(Form, "", {20, 20, 45, 45});
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    b->SetToolStyle(tsDropDown);  // 39 wide, split: it has OnClick
    ASSERT_EQ(b->Width(), 39);
    b->SetDropDownMenu(Menu());
    b->SetBiDiMode(c.Mode);
    EXPECT_TRUE(TShot(Form).Any({20 + c.ArrowX, 20 + 12, 20 + c.ArrowX + 1, 20 + 14}, clWindowText)) << c.ArrowX;
    size_t menus = Runner->CallsOf("menu").size();
    Mouse(Form, WM_MOUSEMOVE, {20 + c.ArrowPress, 30});
    Mouse(Form, WM_LBUTTONDOWN, {20 + c.ArrowPress, 30}, MK_LBUTTON);
    Mouse(Form, WM_LBUTTONUP, {20 + c.ArrowPress, 30});
    ASSERT_EQ(Runner->CallsOf("menu").size(), menus + 1) << static_cast<int>(c.Mode);
    EXPECT_EQ(Runner->CallsOf("menu").back().Pos, b->ClientToScreen({c.DropX, 25}));
    Clock.Advance(500);
    Mouse(Form, WM_LBUTTONDOWN, {20 + c.BodyPress, 30}, MK_LBUTTON);  // re-arms after the menu
    Mouse(Form, WM_LBUTTONUP, {20 + c.BodyPress, 30});
    Mouse(Form, WM_LBUTTONDOWN, {20 + c.BodyPress, 30}, MK_LBUTTON);
    Mouse(Form, WM_LBUTTONUP, {20 + c.BodyPress, 30});
    EXPECT_EQ(Runner->CallsOf("menu").size(), menus + 1) << static_cast<int>(c.Mode);
    EXPECT_EQ(clicks, 1) << static_cast<int>(c.Mode);
    delete b;
  }
}

// Labels: a left-justified caption drawn at the right edge, and an auto-sized
// label that keeps its right edge (150) instead of its left one (50).
TEST_F(RightToLeft, LabelMirrorsItsAlignmentAndAutoSizeEdge) {
  for (TBiDiMode mode : kModes) {
    const bool rtl = mode == bdRightToLeft;
    auto* panel = Make<TQvPanel>(Form, "", {0, 0, 200, 60});
    auto* l = new TQvLabel(Form);
    l->SetAutoSize(false);
    l->SetBounds(0, 0, 100, 20);
    l->SetCaption("WWW");
    l->SetParent(panel);
    l->SetBiDiMode(mode);
    TShot shot(panel);
    EXPECT_EQ(shot.Any({0, 0, 40, 20}, clBlack), !rtl);
    EXPECT_EQ(shot.Any({60, 0, 100, 20}, clBlack), rtl);
    l->SetBounds(50, 30, 100, 20);
    l->SetAutoSize(true);
    EXPECT_LT(l->Width(), 100);
    if (rtl) EXPECT_EQ(l->Left() + l->Width(), 150);
    else EXPECT_EQ(l->Left(), 50);
    delete panel;
  }
}

// The group box's caption rectangle for a 40 x 13 caption on a 200-wide box.
TEST_F(RightToLeft, GroupBoxMirrorsItsCaptionRectangle) {
  struct Case {
    TQvGroupBoxStyle Style;
    TRect Ltr, Rtl;
  } cases[] = {
      {gsStandard, {8, 0, 48, 13}, {152, 0, 192, 13}}, {gsFlat, {8, 0, 48, 13}, {152, 0, 192, 13}},
      {gsTopLine, {0, 0, 44, 13}, {156, 0, 196, 13}},  {gsBanner, {0, 0, 200, 19}, {0, 0, 200, 19}},
      {gsUnderline, {0, 0, 200, 15}, {0, 0, 200, 15}},
  };
  auto* g = Make<TQvGroupBox>(Form, "G", {0, 0, 200, 100});
  g->SetCaption("Caption");
  for (const Case& c : cases) {
    g->SetGroupStyle(c.Style);
    g->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(g->CaptionRect(40, 13), c.Ltr) << static_cast<int>(c.Style);
    g->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(g->CaptionRect(40, 13), c.Rtl) << static_cast<int>(c.Style);
    g->SetBiDiMode(bdRightToLeftReadingOnly);  // the caption follows the reading order
    EXPECT_EQ(g->CaptionRect(40, 13), c.Rtl) << static_cast<int>(c.Style);
  }
}

// The toolbar places each control at Pos, or Width - control.Width - Pos.
TEST_F(RightToLeft, ToolbarPlacesControlsFromTheRightEdge) {
  auto* bar = Make<TQvToolbar>(Form, "Bar", {0, 0, 200, 32});
  bar->SetAlign(alNone);
  bar->SetBounds(0, 0, 200, 32);
  for (const char* n : {"A", "B", "C"}) Make<TQvToolButton>(bar, n, {0, 0, 25, 25});
  struct Case {
    TBiDiMode Mode;
    int Lefts[3];
  } cases[] = {{bdLeftToRight, {4, 29, 54}}, {bdRightToLeft, {171, 146, 121}}, {bdLeftToRight, {4, 29, 54}}};
  for (const Case& c : cases) {
    bar->SetBiDiMode(c.Mode);
    for (int i = 0; i < 3; ++i) {
      auto* b = static_cast<TControl*>(Form->FindComponent(std::string(1, static_cast<char>('A' + i))));
      EXPECT_EQ(b->Left(), c.Lefts[i]) << static_cast<int>(c.Mode) << " " << i;
      EXPECT_EQ(b->BiDiMode(), c.Mode);  // the buttons follow the bar
    }
  }
}

// Check box and radio button: the glyph's side (x = 0 or Width - 13 on a
// 100-wide box), the controls alignment, and the caption's side of the glyph.
TEST_F(RightToLeft, CheckAndRadioButtonsMirrorGlyphAndCaption) {
  struct Case {
    TAlignment Alignment;
    TBiDiMode Mode;
    int GlyphX;
    TAlignment Controls;
    bool CaptionLeft;
  } cases[] = {
      {taRightJustify, bdLeftToRight, 0, taRightJustify, false},
      {taRightJustify, bdRightToLeft, 87, taLeftJustify, true},
      {taLeftJustify, bdLeftToRight, 87, taRightJustify, true},
      {taLeftJustify, bdRightToLeft, 0, taRightJustify, false},
  };
  for (const Case& c : cases) {
    for (bool radio : {false, true}) {
      TQvCustomGlyphButton* b = radio ? static_cast<TQvCustomGlyphButton*>(new TQvRadioButton(Form))
                                      : static_cast<TQvCustomGlyphButton*>(new TQvCheckBox(Form));
      b->SetBounds(0, 0, 100, 17);
      b->SetParent(Form);
      b->SetCaption("WWW");
      b->SetAlignment(c.Alignment);
      b->SetBiDiMode(c.Mode);
      EXPECT_EQ(b->GlyphRect().Left, c.GlyphX) << radio << static_cast<int>(c.Mode);
      EXPECT_EQ(b->GetControlsAlignment(), c.Controls) << radio << static_cast<int>(c.Mode);
      EXPECT_EQ(b->CaptionLeftOfGlyph(), c.CaptionLeft) << radio << static_cast<int>(c.Mode);
      delete b;
    }
  }
}

// The radio group's columns: x = column start + StartXPos left to right, and
// ClientWidth - x' - w - StartXPos right to left (200 wide, two even columns of
// (200 - 5 - 10) div 2 = 92, StartXPos 5).
TEST_F(RightToLeft, RadioGroupMirrorsItsColumnsAndItsButtonsFollowIt) {
  auto* g = Make<TQvRadioGroup>(Form, "G", {0, 0, 200, 120});
  for (const char* s : {"a", "b", "c", "d"}) g->Items()->Add(s);
  g->SetColumns(2);
  g->SetSpaceEvenly(true);
  g->SetStartPos(1, 5);
  ASSERT_EQ(g->ClientWidth(), 200);
  struct Case {
    TBiDiMode Mode;
    int Col0, Col1;
  } cases[] = {{bdLeftToRight, 5, 97}, {bdRightToLeft, 103, 11}};
  for (const Case& c : cases) {
    g->SetBiDiMode(c.Mode);
    EXPECT_EQ(g->Button(0)->Left(), c.Col0) << static_cast<int>(c.Mode);
    EXPECT_EQ(g->Button(2)->Left(), c.Col1) << static_cast<int>(c.Mode);
    EXPECT_EQ(g->Button(0)->Width(), 92);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(g->Button(i)->BiDiMode(), c.Mode) << i;
  }
}

// A framed control on a right-to-left panel follows it until it sets its own mode.
TEST_F(RightToLeft, AFramedChildFollowsItsParentUntilItSetsItsOwnMode) {
  auto* panel = Make<TQvPanel>(Form, "P", {0, 0, 200, 100});
  auto* button = Make<TQvButton>(panel, "B", {10, 10, 85, 35});
  auto* check = Make<TQvCheckBox>(panel, "C", {10, 40, 110, 57});
  panel->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(button->BiDiMode(), bdRightToLeft);
  EXPECT_EQ(check->GlyphRect().Left, 87);
  check->SetBiDiMode(bdLeftToRight);
  panel->SetBiDiMode(bdRightToLeftReadingOnly);
  EXPECT_EQ(button->BiDiMode(), bdRightToLeftReadingOnly);
  EXPECT_EQ(check->BiDiMode(), bdLeftToRight);
  EXPECT_EQ(check->GlyphRect().Left, 0);
  // Stored: only the check box's own mode.
  std::string text = FormText(Form);
  EXPECT_NE(text.find("BiDiMode = bdLeftToRight"), std::string::npos) << text;
  EXPECT_EQ(text.find("BiDiMode = bdRightToLeftReadingOnly", text.find("object B:")), std::string::npos) << text;
}

}  // namespace
