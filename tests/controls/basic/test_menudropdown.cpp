// The drop-down menu of the menu button, the menu toolbar button and the drop-down
// tool button: one table of mouse scenarios run on each, with the expected menus and
// clicks of each, and the menu button's keyboard ways in.
#include <gtest/gtest.h>

#include <functional>

#include "controls/basic/bitbuttons.h"
#include "controls/basic/tbspeedbuttons.h"
#include "controls/basic/toolbutton.h"
#include "tests/controls/basic/buttons_fixture.h"

namespace {

const char* const Entry = "An entry wider than the button is";

// One of the two buttons, seen through what both offer.
struct Subject {
  TControl* Button = nullptr;
  TPoint PressAt;  // a form point that asks for the menu
  std::function<void(TPopupMenu*)> SetMenu;
  std::function<TPopupMenu*()> Menu;
  std::function<void(int)> SetGroupIndex;
  TNotifyEvent* OnDropDown = nullptr;
};

class DropDownFixture : public ButtonsFixture {
public:
  using ControlsTest::Clock;
  using ControlsTest::Key;
  using ControlsTest::Runner;

  // The form's right edge lies on the screen's (1024), so a wide menu is shifted.
  void MakeForm() {
    Form = Own(new TForm(nullptr));
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(1024 - 120, 0, 120, 60);
    Menu = new TPopupMenu(Form);
    auto* item = new TMenuItem(Form);
    item->SetCaption(Entry);
    Menu->Items()->Add(item);
  }
  template <class B>
  Subject Wire(B* b, TPoint PressAt) {
    b->SetBounds(0, 0, 110, 25);
    b->SetParent(Form);
    b->SetDropDownMenu(Menu);
    b->OnClick = [this](TObject*) { ++Clicks; };
    Form->Show();
    return Subject{b, PressAt, [b](TPopupMenu* m) { b->SetDropDownMenu(m); }, [b] { return b->DropDownMenu(); },
                   [b](int g) { b->SetGroupIndex(g); }, &b->OnDropDown};
  }
  // Kind 0: the menu button, 1: the menu toolbar button, 2: the drop-down tool button.
  Subject Make(int Kind) {
    MakeForm();
    // The toolbar buttons drop their menus from the arrow part at the right edge.
    if (Kind == 1) return Wire(new TQvMenuToolbarButton(Form), {105, 10});
    if (Kind == 2) {
      auto* b = new TQvToolButton(Form);
      b->SetToolStyle(tsDropDown);
      return Wire(b, {105, 10});
    }
    return Wire(new TQvMenuButton(Form), {20, 10});
  }
  void Press(const Subject& S) {
    Mouse(Form, WM_LBUTTONDOWN, S.PressAt, MK_LBUTTON);
    Mouse(Form, WM_LBUTTONUP, S.PressAt);
  }
  size_t Menus() const { return Runner->CallsOf("menu").size(); }

  TForm* Form = nullptr;
  TPopupMenu* Menu = nullptr;
  int Clicks = 0;
};

class MenuDropDown : public DropDownFixture, public ::testing::WithParamInterface<std::tuple<int, size_t>> {};
class MenuButtonKeys : public DropDownFixture, public ::testing::WithParamInterface<size_t> {};

struct Row {
  const char* Name;
  std::function<void(DropDownFixture&, Subject&)> Act;
  size_t MenusMenuButton;
  int ClicksMenuButton;
  size_t MenusToolbar;
  int ClicksToolbar;
  size_t MenusToolButton = 0;
  int ClicksToolButton = 0;
};
const Row Rows[] = {
    {"a press drops the menu under the button, right edges lined up",
     [](DropDownFixture& t, Subject& s) {
       t.Press(s);
       TBitmap m;
       m.Canvas()->Font()->Assign(Screen->MenuFont());
       int width = m.Canvas()->TextWidth(Entry) + 56;
       ASSERT_EQ(t.Menus(), 1u);
       EXPECT_EQ(t.Runner->CallsOf("menu")[0].Pos, (TPoint{1024 - 120 + 110 - width, 25}));
     },
     1, 0, 1, 0, 1, 0},
    {"the press that closes the menu within 100 ms does not reopen it",
     [](DropDownFixture& t, Subject& s) {
       t.Press(s);
       t.Clock.Advance(99);
       t.Press(s);
       EXPECT_EQ(t.Menus(), 1u);
       t.Clock.Advance(500);
       t.Press(s);
     },
     2, 0, 2, 0, 2, 0},
    {"a press 100 ms after the menu closed reopens it",
     [](DropDownFixture& t, Subject& s) {
       t.Press(s);
       t.Clock.Advance(100);
       t.Press(s);
     },
     2, 0, 2, 0, 2, 0},
    {"OnDropDown runs first, with the menu as sender",
     [](DropDownFixture& t, Subject& s) {
       TObject* sender = nullptr;
       size_t shownBefore = 99;
       *s.OnDropDown = [&](TObject* Sender) {
         sender = Sender;
         shownBefore = t.Menus();
       };
       t.Press(s);
       EXPECT_EQ(sender, t.Menu);
       EXPECT_EQ(shownBefore, 0u);
     },
     1, 0, 1, 0, 1, 0},
    {"a menu taken away by OnDropDown is not shown",
     [](DropDownFixture& t, Subject& s) {
       *s.OnDropDown = [&s](TObject*) { s.SetMenu(nullptr); };
       t.Press(s);
     },
     0, 0, 0, 0, 0, 0},
    {"a freed menu is forgotten and a press clicks",
     [](DropDownFixture& t, Subject& s) {
       delete t.Menu;
       EXPECT_EQ(s.Menu(), nullptr);
       t.Press(s);
     },
     0, 1, 0, 1, 0, 1},
    {"a button freed by OnDropDown is left alone",
     [](DropDownFixture& t, Subject& s) {
       *s.OnDropDown = [&s](TObject*) {
         TControl* button = s.Button;  // this handler goes with the button
         s.Button = nullptr;
         delete button;
       };
       t.Press(s);
     },
     0, 0, 0, 0, 0, 0},
    // Only the menu toolbar button clicks its group after the drop-down (a drop-down
    // tool button is never in a group).
    {"a grouped button", [](DropDownFixture& t, Subject& s) {
       s.SetGroupIndex(1);
       t.Press(s);
     },
     1, 0, 1, 1, 1, 0},
};

TEST_P(MenuDropDown, OnEachButton) {
  auto [kind, index] = GetParam();
  const Row& r = Rows[index];
  SCOPED_TRACE(r.Name);
  Subject s = Make(kind);
  r.Act(*this, s);
  EXPECT_EQ(Menus(), kind == 2 ? r.MenusToolButton : kind == 1 ? r.MenusToolbar : r.MenusMenuButton);
  EXPECT_EQ(Clicks, kind == 2 ? r.ClicksToolButton : kind == 1 ? r.ClicksToolbar : r.ClicksMenuButton);
}

const char* const KindNames[] = {"MenuButton", "MenuToolbarButton", "ToolButton"};

INSTANTIATE_TEST_SUITE_P(Scenarios, MenuDropDown,
                         ::testing::Combine(::testing::Range(0, 3), ::testing::Range(size_t{0}, std::size(Rows))),
                         [](const auto& Info) {
                           return std::string(KindNames[std::get<0>(Info.param)]) +
                                  std::to_string(std::get<1>(Info.param));
                         });

// The menu button's keyboard: Space and Enter click it, which drops the menu; F4
// drops it; a default button with DropDownOnEnter off clicks on Enter instead.
struct KeyRow {
  const char* Name;
  std::function<void(DropDownFixture&, TQvMenuButton*, const Subject&)> Act;
  size_t Menus;
  int Clicks;
};
const KeyRow KeyRows[] = {
    {"Space", [](DropDownFixture& t, TQvMenuButton*, const Subject&) { t.Key(VK_SPACE, " "); }, 1, 0},
    {"F4", [](DropDownFixture& t, TQvMenuButton*, const Subject&) { t.Key(VK_F4); }, 1, 0},
    {"Enter on the default button",
     [](DropDownFixture& t, TQvMenuButton* b, const Subject&) {
       b->SetDefault(true);
       t.Key(VK_RETURN);
     },
     1, 0},
    {"Enter on the default button that does not drop down on Enter",
     [](DropDownFixture& t, TQvMenuButton* b, const Subject&) {
       b->SetDefault(true);
       b->SetDropDownOnEnter(false);
       t.Key(VK_RETURN);
     },
     0, 1},
    {"Space after a mouse drop-down",
     [](DropDownFixture& t, TQvMenuButton*, const Subject& s) {
       t.Press(s);
       t.Clock.Advance(500);
       t.Key(VK_SPACE, " ");
     },
     2, 0},
    {"Space twice",
     [](DropDownFixture& t, TQvMenuButton*, const Subject&) {
       t.Key(VK_SPACE, " ");
       t.Clock.Advance(500);
       t.Key(VK_SPACE, " ");
     },
     2, 0},
    {"Space after F4",
     [](DropDownFixture& t, TQvMenuButton*, const Subject&) {
       t.Key(VK_F4);
       t.Key(VK_SPACE, " ");
     },
     2, 0},
};

TEST_P(MenuButtonKeys, DropOrClick) {
  const KeyRow& r = KeyRows[GetParam()];
  SCOPED_TRACE(r.Name);
  Subject s = Make(false);
  auto* b = static_cast<TQvMenuButton*>(s.Button);
  b->SetFocus();
  r.Act(*this, b, s);
  EXPECT_EQ(Menus(), r.Menus);
  EXPECT_EQ(Clicks, r.Clicks);
}

INSTANTIATE_TEST_SUITE_P(Keys, MenuButtonKeys, ::testing::Range(size_t{0}, std::size(KeyRows)));

}  // namespace
