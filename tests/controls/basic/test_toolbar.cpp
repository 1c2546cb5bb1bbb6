// The toolbar and its tool buttons: layout with wrapping and auto-size, the
// chevron, saved layouts through an ini file, streaming, and the tool button's
// press / drop-down state machine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "controls/basic/classes.h"
#include "controls/basic/tbspeedbuttons.h"
#include "controls/basic/toolbar.h"
#include "platform/controls/forms.h"
#include "platform/controls/input.h"
#include "platform/controls/modal.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "platform/win32/clock.h"

namespace {

class Toolbar : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterBasicClasses();
    SetClock(&Clock);
    SetModalRunner(&Runner);
    InstallInputLayer();
    Form = MakeForm();
  }
  void TearDown() override {
    delete Form;
    delete Other;
    ReleaseCapture();
    SetModalRunner(nullptr);
    SetClock(nullptr);
    std::error_code ec;
    std::filesystem::remove(IniPath, ec);
  }
  TForm* MakeForm() {
    auto* f = new TForm(nullptr);
    f->SetBorderStyle(bsNone);
    f->SetBounds(0, 0, 400, 300);
    auto* bar = new TQvToolbar(f);
    bar->SetName("Bar");
    bar->SetAlign(alNone);
    bar->SetBounds(0, 0, 70, 32);
    bar->SetParent(f);
    for (const char* n : {"A", "B", "C"}) {
      auto* b = new TQvToolButton(f);
      b->SetName(n);
      b->SetParent(bar);
    }
    f->Show();
    return f;
  }
  TQvToolbar* BarOf(TForm* F) { return static_cast<TQvToolbar*>(F->FindComponent("Bar")); }
  TControl* Ctl(TForm* F, const char* N) { return static_cast<TControl*>(F->FindComponent(N)); }
  std::vector<std::string> Order(TForm* F) {
    std::vector<std::string> out;
    TQvToolbarControlList* l = BarOf(F)->ToolbarControls();
    for (int i = 0; i < l->Count(); ++i)
      out.push_back((l->Items(i)->Control->Visible() ? "" : "#") + l->Items(i)->Control->Name());
    return out;
  }
  TQvRegIniFile* Ini(TForm* F) {
    auto* ini = new TQvRegIniFile(F);
    ini->SetPath(IniPath);
    BarOf(F)->SetRegIniFile(ini);
    return ini;
  }
  TManualClock Clock{1000};
  TScriptedModalRunner Runner;
  TForm* Form = nullptr;
  TForm* Other = nullptr;
  std::string IniPath = std::filesystem::temp_directory_path() / ("qv-toolbar-" + std::to_string(getpid()) + ".ini");
};

TEST_F(Toolbar, WrapsAt70PixelsIntoTwoRowsOfHeight54) {
  TQvToolbar* bar = BarOf(Form);
  EXPECT_EQ(Ctl(Form, "A")->BoundsRect(), (TRect{4, 2, 29, 27}));
  EXPECT_EQ(Ctl(Form, "B")->BoundsRect(), (TRect{29, 2, 54, 27}));
  EXPECT_EQ(Ctl(Form, "C")->BoundsRect(), (TRect{4, 27, 29, 52}));
  EXPECT_EQ(bar->Height(), 25 * 2 + 2 * 2);
  // Hiding a control closes the gap; the rows shrink back to one.
  Ctl(Form, "B")->SetVisible(false);
  bar->PositionControls();
  EXPECT_EQ(Ctl(Form, "C")->Left(), 29);
  EXPECT_EQ(bar->Height(), 29);
}

// Left to right the buttons run from the left edge and are cut off at the right
// one (Width - Margin); right to left they run from the right edge and are cut off
// at the left one (Margin), where the chevron then stands.
TEST_F(Toolbar, TheChevronShowsExactlyWhenAButtonIsCutOffAtTheFarEdge) {
  TQvToolbar* bar = BarOf(Form);
  struct Case {
    int Width;
    bool Chevron;
    std::vector<std::string> Cut;
  } cases[] = {{70, true, {"C"}}, {82, true, {"C"}}, {83, false, {}}, {50, true, {"B", "C"}}, {120, false, {}}};
  bar->SetWrapControls(false);
  for (TBiDiMode mode : {bdLeftToRight, bdRightToLeft}) {
    bar->SetBiDiMode(mode);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(static_cast<int>(mode)) + " width " + std::to_string(c.Width));
      bar->SetWidth(c.Width);
      bar->PositionControls();
      EXPECT_EQ(bar->ShowToolbarPopupButton(), c.Chevron);
      std::vector<std::string> cut;
      for (TQvToolButton* b : bar->CutOffButtons()) cut.push_back(b->Name());
      EXPECT_EQ(cut, c.Cut);
      if (!c.Chevron) continue;
      ASSERT_TRUE(bar->Chevron());
      EXPECT_TRUE(bar->Chevron()->Visible());
      const int left = mode == bdRightToLeft ? 0 : c.Width - 14;
      EXPECT_EQ(bar->Chevron()->BoundsRect(), (TRect{left, 0, left + 14, bar->Height()}));
    }
  }
}

TEST_F(Toolbar, ALayoutSavedToAnIniFileIsRestoredOnANewFormAndStaleNamesAreSkipped) {
  Ini(Form);
  BarOf(Form)->ToolbarControls()->Move(2, 0);  // C A B
  Ctl(Form, "A")->SetVisible(false);
  BarOf(Form)->SaveLayout();
  Other = MakeForm();
  Ini(Other);
  BarOf(Other)->RestoreLayout();
  EXPECT_EQ(Order(Other), (std::vector<std::string>{"C", "#A", "B"}));
  EXPECT_EQ(Ctl(Other, "B")->Left(), 29);  // C at 4, A hidden, B after C

  // A file naming a control that no longer exists restores the rest.
  {
    std::ofstream f(IniPath);
    f << "[Bar]\nTextOptions=9\nCount=3\nControl0=##B\nControl1=Gone\nControl2=\n";
  }
  delete Other;
  Other = MakeForm();
  Ini(Other);
  EXPECT_NO_THROW(BarOf(Other)->RestoreLayout());
  EXPECT_EQ(Order(Other), (std::vector<std::string>{"#B", "A", "C"}));
  EXPECT_EQ(BarOf(Other)->TextOptions(), ttoNoTextLabels);  // 9 is no text option

  BarOf(Other)->SetRegIniFile(nullptr);
  EXPECT_THROW(BarOf(Other)->SaveLayout(), ENoRegIniFile);
}

TEST_F(Toolbar, TextOptionsSizeTheButtonsAndADirectSizeMakesThemCustom) {
  TQvToolbar* bar = BarOf(Form);
  bar->SetTextOptions(ttoShowTextLabels);
  EXPECT_EQ(Ctl(Form, "A")->Width(), 60);
  EXPECT_EQ(Ctl(Form, "A")->Height(), 40);
  EXPECT_EQ(bar->RowHeight(), 40);
  EXPECT_EQ(bar->TextOptions(), ttoShowTextLabels);
  bar->SetButtonWidth(30);
  EXPECT_EQ(bar->TextOptions(), ttoCustom);
  EXPECT_EQ(Ctl(Form, "A")->Width(), 30);
}

TEST_F(Toolbar, StreamsItsOrderByNameAndToolButtonsKeepTheirRetiredColours) {
  BarOf(Form)->ToolbarControls()->Move(0, 2);  // B C A
  TMemoryStream s;
  s.WriteComponent(Form);
  std::string text = FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
  EXPECT_NE(text.find("ToolbarControls = (\n      B\n      C\n      A)"), std::string::npos) << text;
  // The buttons take the toolbar's size: none of them stores it.
  EXPECT_EQ(text.find("Width = 25"), std::string::npos) << text;
  Other = new TForm(nullptr);
  std::string bin = FormTextToBinary(text);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), Other);
  EXPECT_EQ(Order(Other), (std::vector<std::string>{"B", "C", "A"}));

  auto* old = new TQvToolButton(nullptr);
  std::string oldText =
      "object X: TQvToolButton\n  GradientColorStart = clRed\n  GradientColorStop = 255\n"
      "  FrameColor = clLime\n  ThemeAware = True\n  UseGradients = True\nend\n";
  std::string ob = FormTextToBinary(oldText);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(ob.data()), ob.size(), old);
  EXPECT_EQ(old->SelectionColorStart(), clRed);
  EXPECT_EQ(old->SelectionColorStop(), static_cast<TColor>(255));
  EXPECT_EQ(old->SelectionFrameColor(), clLime);
  EXPECT_EQ(old->VisualStyle(), vsGradient);
  delete old;
}

TEST_F(Toolbar, ToolButtonSizeStyleAndGroupRules) {
  auto* b = static_cast<TQvToolButton*>(Ctl(Form, "A"));
  EXPECT_FALSE(b->IsSizeStored());
  b->SetToolStyle(tsDropDown);
  EXPECT_EQ(b->Width(), 25 + 14);
  EXPECT_TRUE(b->UseToolbarButtonSize());
  b->SetGroupIndex(3);
  EXPECT_EQ(b->GroupIndex(), 0);
  b->SetToolStyle(tsButton);
  b->SetBounds(b->Left(), b->Top(), 40, 25);
  EXPECT_FALSE(b->UseToolbarButtonSize());
  EXPECT_TRUE(b->IsSizeStored());
}

// A group may mix tool buttons and the toolbar's speed buttons: a speed button of the
// group going down puts the tool button up and hands over its AllowAllUp; a speed
// button of another group, or a broadcast whose sender is no button, changes nothing.
TEST_F(Toolbar, AToolButtonInAMixedGroupGoesUpForASpeedButtonOfItsGroup) {
  struct Case {
    const char* What;
    int SpeedGroup;
    bool ForeignSender;
    bool ToolDownAfter;
    bool ToolAllowAllUpAfter;
  } cases[] = {
      {"speed button of the group", 1, false, false, true},
      {"speed button of another group", 2, false, true, false},
      {"a control that is no button", 2, true, true, false},
  };
  for (const Case& c : cases) {
    auto* tool = static_cast<TQvToolButton*>(Ctl(Form, "A"));
    tool->SetGroupIndex(1);
    tool->SetAllowAllUp(false);
    tool->SetDown(true);
    ASSERT_TRUE(tool->Down()) << c.What;
    auto* speed = new TQvToolbarButton(Form);
    speed->SetParent(BarOf(Form));
    speed->SetGroupIndex(c.SpeedGroup);
    speed->SetAllowAllUp(true);
    if (c.ForeignSender) {
      TMessage m{CM_BUTTONPRESSED, 1, ControlToLParam(BarOf(Form)), 0};
      static_cast<TWinControl*>(BarOf(Form))->Broadcast(m);
    } else {
      speed->SetDown(true);
      EXPECT_TRUE(speed->Down()) << c.What;
    }
    EXPECT_EQ(tool->Down(), c.ToolDownAfter) << c.What;
    EXPECT_EQ(tool->AllowAllUp(), c.ToolAllowAllUpAfter) << c.What;
    delete speed;
  }
}

class ToolButtonInput : public Toolbar {
protected:
  void SetUp() override {
    Toolbar::SetUp();
    B = static_cast<TQvToolButton*>(Ctl(Form, "A"));
    B->OnClick = [this](TObject*) { ++Clicks; };
    Menu = new TPopupMenu(Form);
    auto* item = new TMenuItem(Form);
    item->SetCaption("A rather long menu entry");
    Menu->Items()->Add(item);
  }
  void Mouse(UINT Msg, TPoint P, WPARAM Keys = 0) { InputMouse(Form->Handle(), Msg, P, Keys); }
  TQvToolButton* B = nullptr;
  TPopupMenu* Menu = nullptr;
  int Clicks = 0;
};

TEST_F(ToolButtonInput, APressDraggedOutAndBackClicksOnlyWhenReleasedInside) {
  Mouse(WM_MOUSEMOVE, {10, 10});
  Mouse(WM_LBUTTONDOWN, {10, 10}, MK_LBUTTON);
  EXPECT_EQ(B->State(), tbsDown);
  Mouse(WM_MOUSEMOVE, {200, 200}, MK_LBUTTON);
  EXPECT_EQ(B->State(), tbsUp);
  Mouse(WM_MOUSEMOVE, {12, 12}, MK_LBUTTON);
  EXPECT_EQ(B->State(), tbsDown);
  Mouse(WM_LBUTTONUP, {12, 12});
  EXPECT_EQ(Clicks, 1);
  Mouse(WM_LBUTTONDOWN, {12, 12}, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, {200, 200}, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, {200, 200});
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(B->State(), tbsUp);
}

TEST_F(ToolButtonInput, TheSplitArrowDropsTheMenuAndAPressWithin100msDoesNotReopenIt) {
  B->SetToolStyle(tsDropDown);  // with OnClick: split, arrow at x >= 25
  B->SetDropDownMenu(Menu);
  Mouse(WM_MOUSEMOVE, {32, 10});
  Mouse(WM_LBUTTONDOWN, {32, 10}, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, {32, 10});
  ASSERT_EQ(Runner.CallsOf("menu").size(), 1u);
  EXPECT_EQ(Runner.CallsOf("menu")[0].Pos, (TPoint{4, 27}));
  EXPECT_EQ(Clicks, 0);
  Clock.Advance(50);
  Mouse(WM_LBUTTONDOWN, {32, 10}, MK_LBUTTON);  // the press that closed the menu
  Mouse(WM_LBUTTONUP, {32, 10});
  EXPECT_EQ(Runner.CallsOf("menu").size(), 1u);
  Clock.Advance(200);
  Mouse(WM_LBUTTONDOWN, {32, 10}, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, {32, 10});
  EXPECT_EQ(Runner.CallsOf("menu").size(), 2u);
  // Right after the menu closed over the button, a body press only re-arms it.
  Clock.Advance(200);
  Mouse(WM_LBUTTONDOWN, {10, 10}, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, {10, 10});
  EXPECT_EQ(Clicks, 0);
  Mouse(WM_LBUTTONDOWN, {10, 10}, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, {10, 10});
  EXPECT_EQ(Clicks, 1);
}

TEST_F(ToolButtonInput, AMenuThatWouldPassTheWorkAreaOpensUnderTheButtonsRightEdge) {
  // The headless screen's work area ends at x = 1024.
  Form->SetBounds(1024 - 60, 0, 60, 100);
  B->SetDropDownMenu(Menu);
  TPoint p = MenuDropPoint(B, Menu);
  TBitmap m;
  m.Canvas()->Font()->Assign(Screen->MenuFont());
  int menuWidth = m.Canvas()->TextWidth("A rather long menu entry") + 56;
  TPoint left = B->ClientToScreen(TPoint{0, B->Height()});
  EXPECT_EQ(p.Y, left.Y);
  EXPECT_EQ(p.X + menuWidth, left.X + B->Width());
}

// Right to left the menu's right edge is at the point: at the work area's right edge
// it stays under the button, and where it would pass the left edge it starts at the
// button's left edge.
TEST_F(ToolButtonInput, ARightToLeftMenuOpensUnderTheButtonAtEitherEdgeOfTheWorkArea) {
  B->SetBiDiMode(bdRightToLeft);
  B->SetDropDownMenu(Menu);
  TBitmap m;
  m.Canvas()->Font()->Assign(Screen->MenuFont());
  int menuWidth = m.Canvas()->TextWidth("A rather long menu entry") + 56;
  struct Case {
    int FormLeft;
    bool AtLeftEdge;
  } cases[] = {{1024 - 60, false}, {0, true}};
  for (const Case& c : cases) {
    Form->SetBounds(c.FormLeft, 0, 60, 100);
    TPoint p = MenuDropPoint(B, Menu);
    TPoint left = B->ClientToScreen(TPoint{0, B->Height()});
    EXPECT_EQ(p.Y, left.Y);
    EXPECT_EQ(p.X, c.AtLeftEdge ? left.X + menuWidth : left.X + B->Width()) << c.FormLeft;
  }
}

}  // namespace

namespace {

TEST_F(ToolButtonInput, AButtonFreedByItsOwnMenuItemIsNotTouchedAfterwards) {
  B->SetToolStyle(tsDropDown);
  B->SetDropDownMenu(Menu);
  B->SetGroupIndex(0);
  Menu->Items()->Items(0)->OnClick = [this](TObject*) {
    delete B;
    B = nullptr;
  };
  Runner.ChooseMenuItem([](TMenuItem* Root) { return Root->Items(0); });
  Mouse(WM_MOUSEMOVE, {32, 10});
  Mouse(WM_LBUTTONDOWN, {32, 10}, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, {32, 10});
  EXPECT_EQ(B, nullptr);
  EXPECT_EQ(Runner.CallsOf("menu").size(), 1u);
}

}  // namespace

#include "platform/controls/actions.h"

namespace {

TEST_F(Toolbar, AToolButtonFollowsItsActionsCheckedStateAndImage) {
  auto* b = static_cast<TQvToolButton*>(Ctl(Form, "A"));
  b->SetGroupIndex(2);
  b->SetAllowAllUp(true);
  auto* action = new TAction(Form);
  action->SetImageIndex(3);
  action->SetChecked(true);
  b->SetAction(action);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->ImageIndex(), 3);
  action->SetChecked(false);
  EXPECT_FALSE(b->Down());
}

}  // namespace

namespace {

TEST_F(Toolbar, ScalingScalesTheRowHeight) {
  BarOf(Form)->ChangeScale(3, 2);
  EXPECT_EQ(BarOf(Form)->RowHeight(), 38);  // 25 * 1.5 rounded
}

}  // namespace
