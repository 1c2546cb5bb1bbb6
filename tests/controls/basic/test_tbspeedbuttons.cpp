// Toolbar speed buttons: the hot glyph, the hidden caption and its stream form,
// the menu toolbar button's drop-down and press areas, and groups shared with tool
// buttons.
#include <gtest/gtest.h>

#include <functional>

#include "controls/basic/classes.h"
#include "controls/basic/tbspeedbuttons.h"
#include "controls/basic/toolbar.h"
#include "tests/controls/basic/buttons_fixture.h"
#include "platform/controls/forms.h"
#include "platform/controls/modal.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"

namespace {

std::unique_ptr<TBitmap> Strip(int W, TColor C) {
  auto b = std::make_unique<TBitmap>(W, 16);
  b->Canvas()->Brush()->SetColor(C);
  b->Canvas()->FillRect(TRect{0, 0, W, 16});
  return b;
}

TEST(ToolbarButton, TheHotGlyphShowsUnderThePointerAndTheNormalOneComesBack) {
  TQvToolbarButton b(nullptr);
  b.SetGlyph(Strip(32, clRed).get());
  b.SetHotGlyph(Strip(16, clBlue).get());
  EXPECT_TRUE(b.UseHotGlyph());
  b.Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(b.Glyph()->Width(), 16);
  EXPECT_EQ(b.NumGlyphs(), 1);
  // A glyph set meanwhile is the one that comes back.
  b.SetGlyph(Strip(48, clLime).get());
  b.Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(b.Glyph()->Width(), 48);
  EXPECT_EQ(static_cast<TColor>(b.Glyph()->Canvas()->Pixels(0, 0)), clLime);
  // Nothing is saved any more: a second leave keeps the glyph.
  b.Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(b.Glyph()->Width(), 48);
}

TEST(ToolbarButton, AHiddenCaptionIsKeptStreamedAsSaveCaptionAndRestored) {
  RegisterBasicClasses();
  TQvToolbarButton b(nullptr);
  b.SetName("B");
  b.SetCaption("Print");
  b.SetShowCaption(false);
  EXPECT_EQ(b.Caption(), "");
  b.SetCaption("Print all");  // set while hidden: the caption to come back
  TMemoryStream s;
  s.WriteComponent(&b);
  std::string text = FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
  EXPECT_NE(text.find("SaveCaption = 'Print all'"), std::string::npos) << text;
  TQvToolbarButton read(nullptr);
  std::string bin = FormTextToBinary(text);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), &read);
  read.SetShowCaption(true);
  EXPECT_EQ(read.Caption(), "Print all");
}

TEST(MenuToolbarButton, WithoutTheArrowAnyLeftPressDropsTheMenu) {
  TScriptedModalRunner runner;
  SetModalRunner(&runner);
  {
    std::unique_ptr<TForm> owner(new TForm(nullptr));
    TForm& form = *owner;
    auto* menu = new TPopupMenu(&form);
    auto* item = new TMenuItem(&form);
    item->SetCaption("One");
    menu->Items()->Add(item);
    auto* b = new TQvMenuToolbarButton(&form);
    b->SetParent(&form);
    b->SetDropDownMenu(menu);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));  // the body, arrow shown
    b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(runner.CallsOf("menu").size(), 0u);
    EXPECT_EQ(clicks, 1);
    b->SetShowArrow(false);
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(runner.CallsOf("menu").size(), 1u);
    EXPECT_EQ(clicks, 1);
  }
  SetModalRunner(nullptr);
}

}  // namespace

#include "platform/controls/actions.h"

namespace {

TEST(ToolbarButton, AnActionGivesItsImageAsTheGlyphUnlessTheIndexIsOutsideTheList) {
  TComponent owner(nullptr);
  auto* images = new TImageList(&owner);
  images->SetWidth(16);
  images->SetHeight(16);
  TBitmap red(16, 16);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(TRect{0, 0, 16, 16});
  images->Add(&red, nullptr);
  auto* list = new TActionList(&owner);
  list->SetImages(images);
  struct Case {
    int Index;
    TColor Want;
  } cases[] = {{0, clRed}, {5, clLime}};
  for (const Case& c : cases) {
    auto* action = new TAction(&owner);
    action->SetActionList(list);
    action->SetCaption("From action");
    action->SetImageIndex(c.Index);
    auto* b = new TQvToolbarButton(&owner);
    TBitmap lime(16, 16);
    lime.Canvas()->Brush()->SetColor(clLime);
    lime.Canvas()->FillRect(TRect{0, 0, 16, 16});
    b->SetGlyph(&lime);
    b->SetIgnoreActionCaption(true);
    b->SetCaption("Mine");
    b->SetAction(action);
    EXPECT_EQ(static_cast<TColor>(b->Glyph()->Canvas()->Pixels(8, 8)), c.Want) << c.Index;
    EXPECT_EQ(b->Caption(), "Mine");
  }
}

}  // namespace

namespace {

class SpeedButtons : public ButtonsFixture {
protected:
  void SetUp() override {
    ButtonsFixture::SetUp();
    Form = MakeForm();
    Form->Show();
  }
  TForm* Form = nullptr;
};

// A 40-wide menu toolbar button at (10, 10): its arrow part is the 15 pixels at the
// right edge (X >= 25), at the left edge right to left (X < 15). A press there drops
// the menu and does not click; a press anywhere else clicks. After the menu has
// closed, the next press on the body clicks at once.
TEST_F(SpeedButtons, TheMenuToolbarButtonsPressAreasMirrorAndItClicksAfterItsMenu) {
  struct Case {
    TBiDiMode Mode;
    int X;
    bool Drops;
  } cases[] = {{bdLeftToRight, 0, false},  {bdLeftToRight, 24, false}, {bdLeftToRight, 25, true},
               {bdLeftToRight, 39, true},  {bdRightToLeft, 0, true},   {bdRightToLeft, 14, true},
               {bdRightToLeft, 15, false}, {bdRightToLeft, 39, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.Mode)) + " x " + std::to_string(c.X));
    auto* menu = new TPopupMenu(Form);
    auto* item = new TMenuItem(Form);
    item->SetCaption("One");
    menu->Items()->Add(item);
    auto* b = new TQvMenuToolbarButton(Form);
    b->SetBounds(10, 10, 40, 25);
    b->SetParent(Form);
    b->SetBiDiMode(c.Mode);
    b->SetDropDownMenu(menu);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    const size_t menus = Runner->CallsOf("menu").size();
    auto press = [&](int X) {
      Mouse(Form, WM_MOUSEMOVE, {10 + X, 20});
      Mouse(Form, WM_LBUTTONDOWN, {10 + X, 20}, MK_LBUTTON);
      Mouse(Form, WM_LBUTTONUP, {10 + X, 20});
    };
    press(c.X);
    EXPECT_EQ(Runner->CallsOf("menu").size(), menus + (c.Drops ? 1 : 0));
    EXPECT_EQ(clicks, c.Drops ? 0 : 1);
    Clock.Advance(500);
    const int body = c.Mode == bdRightToLeft ? 30 : 5;
    press(body);
    EXPECT_EQ(clicks, c.Drops ? 1 : 2);
    delete b;
    delete menu;
  }
}

// Speed buttons and tool buttons of one group on one toolbar: whichever goes down,
// every other button of the group goes up; another group is left alone.
TEST_F(SpeedButtons, InAMixedGroupEitherKindGoingDownPutsTheOthersUp) {
  auto* bar = Make<TQvToolbar>(Form, "Bar", {0, 0, 300, 32});
  auto* speed = Make<TQvToolbarButton>(bar, "Speed", {0, 0, 25, 25});
  auto* menuSpeed = Make<TQvMenuToolbarButton>(bar, "MenuSpeed", {0, 0, 40, 25});
  auto* tool = Make<TQvToolButton>(bar, "Tool", {0, 0, 25, 25});
  auto* other = Make<TQvToolButton>(bar, "Other", {0, 0, 25, 25});
  speed->SetGroupIndex(1);
  menuSpeed->SetGroupIndex(1);
  tool->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->SetDown(true);
  // Which button goes down, then Down of speed, menu speed and tool after it.
  struct Step {
    const char* Name;
    std::function<void()> GoDown;
    bool Speed, MenuSpeed, Tool;
  } steps[] = {
      {"speed", [&] { speed->SetDown(true); }, true, false, false},
      {"tool after speed", [&] { tool->SetDown(true); }, false, false, true},
      {"menu speed after tool", [&] { menuSpeed->SetDown(true); }, false, true, false},
      {"tool after menu speed", [&] { tool->SetDown(true); }, false, false, true},
      {"speed after tool", [&] { speed->SetDown(true); }, true, false, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.Name);
    s.GoDown();
    EXPECT_EQ(speed->Down(), s.Speed);
    EXPECT_EQ(menuSpeed->Down(), s.MenuSpeed);
    EXPECT_EQ(tool->Down(), s.Tool);
    EXPECT_TRUE(other->Down());
  }
  // A tool button pressed with the mouse goes down and puts the speed button up.
  const TPoint at = Form->ScreenToClient(tool->ClientToScreen({12, 12}));
  Mouse(Form, WM_MOUSEMOVE, at);
  Mouse(Form, WM_LBUTTONDOWN, at, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, at);
  EXPECT_TRUE(tool->Down());
  EXPECT_FALSE(speed->Down());
}

}  // namespace
