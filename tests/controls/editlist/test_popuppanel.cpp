// The popup panel: placement, the loop's close rules and results, the content's
// way back to its panel, and its form stream.
#include <gtest/gtest.h>

#include "controls/editlist/edits.h"
#include "controls/editlist/popuppanel.h"
#include "tests/controls/editlist/edit_fixture.h"

namespace {

TEST(PopupPlacement, OpensBelowAlignedAndStaysInTheWorkArea) {
  const TRect work{0, 0, 1024, 738};
  struct Case {
    const char* what;
    TRect control;
    int w, h;
    TAlignment align;
    int x, y;
    TPoint expected;
  };
  const Case cases[] = {
      {"right-justified below", {300, 100, 421, 121}, 200, 100, taRightJustify, -1, -1, {221, 121}},
      {"left-justified below", {300, 100, 421, 121}, 200, 100, taLeftJustify, -1, -1, {300, 121}},
      {"centred", {300, 100, 421, 121}, 200, 100, taCenter, -1, -1, {260, 121}},
      {"offsets from the top-left", {300, 100, 421, 121}, 50, 50, taRightJustify, 5, 7, {305, 107}},
      // an edit whose right edge is 150 from the work area's left: clamped to it
      {"clamped to the left", {20, 100, 150, 121}, 200, 100, taRightJustify, -1, -1, {0, 121}},
      {"flipped above near the bottom", {300, 700, 421, 721}, 200, 100, taRightJustify, -1, -1, {221, 600}},
      {"clamped at the right", {900, 100, 1020, 121}, 200, 100, taLeftJustify, -1, -1, {824, 121}},
      {"held below the top", {300, 5, 421, 26}, 200, 730, taLeftJustify, -1, -1, {300, 0}},
  };
  for (const auto& c : cases) {
    TPoint p = PopupPlacement(c.control, c.w, c.h, c.align, c.x, c.y, work);
    EXPECT_EQ(p.X, c.expected.X) << c.what;
    EXPECT_EQ(p.Y, c.expected.Y) << c.what;
  }
  const TRect shifted{-1280, 0, 0, 1024};  // a monitor left of the primary one
  TPoint p = PopupPlacement({-1200, 50, -1100, 71}, 200, 100, taRightJustify, -1, -1, shifted);
  EXPECT_EQ(p.X, -1280);
}

struct PopupPanel : EditTest {
 public:
  friend struct Case;
  void SetUp() override {
    EditTest::SetUp();
    Edit = Place<TQvEdit>(10, 10, 121, 21);
    Other = Place<TQvEdit>(10, 60, 121, 21);
    Other->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { ++OtherClicks; };
    Panel = new TQvPopupPanel(Form);
    Panel->SetParent(Form);
    Content = new TQvPanel(Form);
    Content->SetBounds(3, 3, 80, 40);
    Content->SetParent(Panel);
    Content->OnClick = Panel->CloseEvent();
    Show();
    Edit->SetFocus();
  }
  // A left click at a point of the shown popup's client area.
  void ClickPopup(TWinControl* Popup, TPoint P) {
    InputMouse(Popup->Handle(), WM_LBUTTONDOWN, P, MK_LBUTTON);
    InputMouse(Popup->Handle(), WM_LBUTTONUP, P, 0);
  }
  using EditTest::Key;
  using EditTest::Press;
  void ExpectClosedCleanly() {
    EXPECT_FALSE(Panel->Active());
    EXPECT_EQ(Content->Parent(), Panel);
    EXPECT_EQ(Panel->ComponentCount(), 0) << "a popup window outlived its loop";
    EXPECT_TRUE(Edit->Focused());
  }
  TQvEdit* Edit = nullptr;
  TQvEdit* Other = nullptr;
  TQvPopupPanel* Panel = nullptr;
  TQvPanel* Content = nullptr;
  int OtherClicks = 0;
};

TEST_F(PopupPanel, DefaultsAndAutoSize) {
  EXPECT_FALSE(Panel->Visible());
  EXPECT_EQ(Panel->Alignment(), taRightJustify);
  EXPECT_EQ(Panel->BorderOuter(), fsPopup);
  EXPECT_EQ(Panel->BorderWidth(), 2);
  EXPECT_EQ(Panel->Color(), clBtnFace);
  // the content at (3, 3) inside a 1-pixel popup frame and a 2-pixel ring
  EXPECT_EQ(Panel->Width(), 3 + 80 + 3);
  EXPECT_EQ(Panel->Height(), 3 + 40 + 3);
}

TEST_F(PopupPanel, OpensBelowTheEditAndAClickOnTheContentAccepts) {
  TRect popupBounds;
  TControl* parentDuring = nullptr;
  Runner->OnLoop([&](TWinControl* W) {
    popupBounds = W->BoundsRect();
    parentDuring = Content->Parent();
    EXPECT_TRUE(IsWindowVisible(W->Handle()));
    EXPECT_TRUE(Edit->Focused()) << "the owning form keeps the focus";
    ClickPopup(W, {20, 20});
  });
  EXPECT_TRUE(Panel->Popup(Edit));
  TPoint tl = Edit->ClientToScreen({0, 0});
  TRect er;
  GetWindowRect(Edit->Handle(), &er);
  EXPECT_EQ(popupBounds.Left, er.Right - Panel->Width());
  EXPECT_EQ(popupBounds.Top, er.Bottom);
  EXPECT_NE(parentDuring, Panel);
  (void)tl;
  ExpectClosedCleanly();
  ASSERT_EQ(Runner->CallsOf("popup").size(), 1u);
}

TEST_F(PopupPanel, EveryDismissalReturnsFalseAndFreesThePopup) {
  struct Case {
    const char* what;
    std::function<void(PopupPanel*, TWinControl*)> step;
  };
  const Case cases[] = {
      {"escape", [](PopupPanel* t, TWinControl*) { t->Key(VK_ESCAPE); }},
      {"click on another control",
       [](PopupPanel* t, TWinControl*) {
         t->Press(t->Other, {5, 5}, true);
         t->Press(t->Other, {5, 5}, false);
       }},
      {"application deactivated", [](PopupPanel*, TWinControl*) { InputAppActivate(false); }},
      {"system menu", [](PopupPanel*, TWinControl* W) { SendMessage(W->Handle(), WM_SYSCOMMAND, 0, 0); }},
      {"nothing scripted", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.step) Runner->OnLoop([&](TWinControl* W) { c.step(this, W); });
    EXPECT_FALSE(Panel->Popup(Edit));
    InputAppActivate(true);
    Application->ProcessMessages();
    ExpectClosedCleanly();
  }
  EXPECT_EQ(OtherClicks, 0) << "the click outside is swallowed";
}

TEST_F(PopupPanel, KeysGoToTheContentsFirstFocusableControl) {
  auto* inner = new TQvEdit(Form);
  inner->SetBounds(3, 50, 60, 21);
  inner->SetParent(Panel);
  Runner->OnLoop([&](TWinControl*) {
    Key('A', "a");
    Key(VK_RETURN);
    Panel->Close(nullptr);
  });
  EXPECT_TRUE(Panel->Popup(Edit));
  EXPECT_EQ(Edit->Text(), "") << "keys do not reach the owning edit";
  EXPECT_EQ(inner->Parent(), Panel);
}

TEST_F(PopupPanel, ASecondPopupWhileShownAndADestroyedWindow) {
  bool second = true;
  Runner->OnLoop([&](TWinControl*) { second = Panel->Popup(Other); });
  EXPECT_FALSE(Panel->Popup(Edit));
  EXPECT_FALSE(second);
  // accepted first, then the panel's window goes away: not accepted
  Runner->OnLoop([&](TWinControl*) {
    Panel->Close(nullptr);
    Panel->Perform(CM_RECREATEWND, 0, 0);
  });
  EXPECT_FALSE(Panel->Popup(Edit));
  ExpectClosedCleanly();
}

TEST_F(PopupPanel, EventsAndStream) {
  std::string order;
  Panel->OnPopup = [&](TObject*) { order += "popup "; };
  Panel->OnClose = [&](TObject*) { order += "close"; };
  EXPECT_FALSE(Panel->Popup(Edit));
  EXPECT_EQ(order, "popup close");
  std::string text = TextOf(Panel);
  EXPECT_NE(text.find("BorderWidth = 2"), std::string::npos) << text;
  EXPECT_EQ(text.find("AutoSize"), std::string::npos) << text;
  auto* copy = new TQvPopupPanel(Form);
  ReadInto("object P: TQvPopupPanel\n  Alignment = taLeftJustify\n  BorderOuter = fsFlat\n  AutoSize = False\nend\n",
           copy);
  EXPECT_EQ(copy->Alignment(), taLeftJustify);
  EXPECT_EQ(copy->BorderOuter(), fsFlat);
  EXPECT_FALSE(copy->AutoSize());
  EXPECT_EQ(TextOf(copy).find("BorderOuter = fsFlat") != std::string::npos, true);
}

}  // namespace
