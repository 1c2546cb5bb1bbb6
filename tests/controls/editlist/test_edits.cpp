// The framed edit base: state colours, the hot frame, the drop button and its keys,
// and the form stream's stored rules and retired properties.
#include <gtest/gtest.h>

#include "controls/editlist/edits.h"
#include "tests/controls/editlist/edit_fixture.h"

namespace {

// The edit base with its drop button shown (as the drop-down edits have it).
class TDropEdit : public TQvEdit {
public:
  explicit TDropEdit(TComponent* AOwner) : TQvEdit(AOwner) { SetDropButtonVisible(true); }
  int Drops = 0;
  TButtonState StateDuringDrop = bsUp;
  // A key-down as the layer hands it over, with that shift state.
  void Press(WORD& Key, TShiftState Shift) { KeyDown(Key, Shift); }
protected:
  void DropDown() override {
    ++Drops;
    StateDuringDrop = ButtonState();
  }
};

using FramedEdit = EditTest;

TEST_F(FramedEdit, ColourFollowsDisabledFocusedAndReadOnly) {
  Place<TQvEdit>(10, 100, 100, 21)->SetTabOrder(0);  // takes the focus when the form shows
  auto* e = Place<TQvEdit>(10, 10, 100, 21);
  e->SetFocusColor(clYellow);
  e->SetReadOnlyColor(clAqua);
  e->SetDisabledColor(clGray);
  Show();
  struct Step { const char* what; std::function<void()> act; TColor color; };
  const Step steps[] = {
      {"normal", [] {}, clWindow},
      {"focused", [&] { e->SetFocus(); }, clYellow},
      {"focused read-only", [&] { e->SetReadOnly(true); }, clYellow},
      {"read-only colour on focus", [&] { e->SetReadOnlyColorOnFocus(true); }, clAqua},
      {"read-only", [&] { e->Perform(CM_EXIT, 0, 0); }, clAqua},
      {"disabled", [&] { e->SetEnabled(false); }, clGray},
      {"enabled, writable", [&] { e->SetEnabled(true); e->SetReadOnly(false); }, clWindow},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(e->Color(), s.color) << s.what;
  }
}

TEST_F(FramedEdit, SettingColorMovesFocusColorOnlyWhenItWasTheSame) {
  auto* same = Place<TQvEdit>(10, 10, 100, 21);
  auto* other = Place<TQvEdit>(10, 40, 100, 21);
  other->SetFocusColor(clYellow);
  same->SetColor(clLime);
  other->SetColor(clLime);
  EXPECT_EQ(same->FocusColor(), clLime);
  EXPECT_EQ(other->FocusColor(), clYellow);
  Show();
  same->SetFocus();
  EXPECT_EQ(same->Color(), clLime);
}

TEST_F(FramedEdit, HotTrackingShowsTheFrameOnAllSidesOnceLoaded) {
  auto* e = Place<TQvEdit>(10, 10, 100, 21);
  e->SetFrameSides({sdLeft});
  e->SetFrameHotTrack(true);
  EXPECT_TRUE(e->FrameVisible());
  EXPECT_EQ(e->FrameSides(), AllSides);
  auto* loaded = new TQvEdit(nullptr);
  ReadInto("object E: TQvEdit\n  FrameSides = [sdLeft]\n  FrameHotTrack = True\nend\n", loaded);
  EXPECT_EQ(loaded->FrameSides(), TSides{sdLeft});  // while loading the sides stay
  EXPECT_TRUE(loaded->FrameVisible());
  delete loaded;
}

// The frame goes to the hot style while the mouse is over the edit or it has the
// focus; the corner pixel shows which (painted into the window's non-client area).
TEST_F(FramedEdit, TheHotFrameFollowsTheMouseAndTheFocus) {
  Place<TQvEdit>(10, 100, 100, 21)->SetTabOrder(0);  // takes the focus when the form shows
  auto* e = Place<TQvEdit>(10, 10, 100, 21);
  e->SetFrameHotTrack(true);
  e->SetFrameHotColor(clRed);
  Show();
  auto corner = [&] {
    TBitmap bmp(100, 21);
    e->PaintTo(bmp.Canvas()->Handle(), 0, 0);
    return static_cast<COLORREF>(bmp.Canvas()->Pixels(1, 1));
  };
  EXPECT_EQ(corner(), RGB(255, 255, 255));  // fsFlat: one ring, the colour inside
  e->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(corner(), RGB(255, 0, 0));      // fsFlatBold in the hot colour: two rings
  e->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(corner(), RGB(255, 255, 255));
  e->SetFocus();
  EXPECT_EQ(corner(), RGB(255, 0, 0));
}

TEST_F(FramedEdit, F4AndAltDownPressTheDropButton) {
  auto* e = Place<TDropEdit>(10, 10, 100, 21);
  Show();
  e->SetFocus();
  struct Case { WORD key; TShiftState shift; int drops; };
  const Case cases[] = {{VK_F4, {}, 1}, {VK_F4, {ssShift}, 1}, {VK_F4, {ssCtrl}, 1}, {VK_DOWN, {ssAlt}, 1},
                        {VK_DOWN, {ssAlt, ssShift}, 0}, {VK_DOWN, {}, 0}};
  for (const Case& c : cases) {
    e->Drops = 0;
    WORD key = c.key;
    e->Press(key, c.shift);
    EXPECT_EQ(e->Drops, c.drops) << c.key;
    EXPECT_EQ(key, c.drops ? 0 : c.key);
  }
  EXPECT_EQ(e->StateDuringDrop, bsDown);
  EXPECT_EQ(e->ButtonState(), bsUp);
  // A drop by key gives the mouse back: the next click elsewhere is not swallowed.
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(FramedEdit, AClickOnTheDropButtonStripDropsDown) {
  auto* e = Place<TDropEdit>(10, 10, 100, 21);
  Show();
  // The strip: the rightmost scroll-bar width inside the 2-pixel border.
  int w = GetSystemMetrics(SM_CXVSCROLL);
  TPoint onButton = Form->ScreenToClient(e->ClientToScreen({0, 0}));
  InputMouse(Form->Handle(), WM_LBUTTONDOWN, {10 + 100 - 2 - w / 2, 20}, MK_LBUTTON);
  InputMouse(Form->Handle(), WM_LBUTTONUP, {10 + 100 - 2 - w / 2, 20}, 0);
  EXPECT_EQ(e->Drops, 1);
  EXPECT_TRUE(e->Focused());
  InputMouse(Form->Handle(), WM_LBUTTONDOWN, {onButton.X + 5, 20}, MK_LBUTTON);
  InputMouse(Form->Handle(), WM_LBUTTONUP, {onButton.X + 5, 20}, 0);
  EXPECT_EQ(e->Drops, 1);
  EXPECT_EQ(e->ClientWidth(), 100 - 4 - w);
}

TEST_F(FramedEdit, EnterBecomesTabWithTabOnEnter) {
  auto* a = Place<TQvEdit>(10, 10, 100, 21);
  auto* b = Place<TQvEdit>(10, 40, 100, 21);
  a->SetTabOnEnter(true);
  Show();
  a->SetFocus();
  Key(VK_RETURN, "\r");
  EXPECT_TRUE(b->Focused());
}

// What is written: a property that the frame controller supplies is not; Color is
// the normal colour also while disabled; FocusColor only when it differs from Color.
// Each reads back.
TEST_F(FramedEdit, TheStreamWritesOnlyWhatTheEditOwns) {
  auto* fc = new TQvFrameController(Form);
  fc->SetName("FC");
  auto* e = Place<TQvEdit>(10, 10, 100, 21);
  e->SetName("E");
  e->SetColor(clYellow);
  e->SetFrameStyle(fsRaised);
  e->SetFrameColor(clRed);
  e->SetReadOnlyColor(clAqua);
  auto has = [&](const char* Line) { return TextOf(e).find(Line) != std::string::npos; };
  EXPECT_TRUE(has("  Color = clYellow\n"));
  EXPECT_FALSE(has("FocusColor"));  // it followed Color
  e->SetFocusColor(clLime);
  EXPECT_TRUE(has("  FocusColor = clLime\n"));
  e->SetEnabled(false);
  EXPECT_TRUE(has("  Color = clYellow\n"));
  e->SetEnabled(true);
  e->SetFrameControllerNotifications({fcpFrameStyle});
  e->SetFrameController(fc);
  EXPECT_FALSE(has("  FrameStyle ="));  // the controller's
  EXPECT_TRUE(has("  FrameColor = clRed\n"));
  EXPECT_TRUE(has("  FrameController = FC\n"));
  e->SetFrameControllerNotifications(TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications));
  fc->SetFrameColor(clRed);
  EXPECT_FALSE(has("  FrameColor ="));
  EXPECT_FALSE(has("  ReadOnlyColor ="));
  EXPECT_FALSE(has("  Color ="));
  delete fc;
  EXPECT_EQ(e->FrameController(), nullptr);
  // Round trip of what is written.
  e->SetFrameSides({sdTop, sdBottom});
  e->SetFrameHotStyle(fsPopup);
  e->SetParent(nullptr);
  std::string text = TextOf(e);
  auto* back = new TQvEdit(nullptr);
  ReadInto(text, back);
  EXPECT_EQ(back->FrameSides(), (TSides{sdTop, sdBottom}));
  EXPECT_EQ(back->FrameHotStyle(), fsPopup);
  EXPECT_EQ(TextOf(back), text);
  delete back;
}

TEST_F(FramedEdit, RetiredPropertiesOfOldStreamsLoad) {
  struct Case { const char* props; bool hotTrack; TFrameStyle style, hotStyle; };
  const Case cases[] = {
      {"  FrameFlat = True\n", true, fsStatus, fsLowered},
      {"  FrameFlat = False\n", false, fsFlat, fsFlatBold},
      {"  FrameFocusStyle = fsRaised\n", false, fsFlat, fsRaised},
      {"  FrameFlatStyle = fsGroove\n", false, fsFlat, fsFlatBold},
  };
  for (const Case& c : cases) {
    auto* e = new TQvMaskEdit(nullptr);
    ReadInto(std::string("object E: TQvMaskEdit\n") + c.props + "end\n", e);
    EXPECT_EQ(e->FrameHotTrack(), c.hotTrack) << c.props;
    EXPECT_EQ(e->FrameStyle(), c.style) << c.props;
    EXPECT_EQ(e->FrameHotStyle(), c.hotStyle) << c.props;
    std::string text = TextOf(e);
    EXPECT_EQ(text.find("FrameFlat ="), std::string::npos);
    EXPECT_EQ(text.find("FrameFocusStyle"), std::string::npos);
    delete e;
  }
}

TEST_F(FramedEdit, AValidationErrorTakesTheHandlersMessage) {
  auto* e = Place<TQvMaskEdit>(10, 10, 100, 21);
  e->SetEditMask("000;1;_");
  Show();
  e->SetFocus();
  Key('1', "1");
  e->OnValidateError = [](TObject*, std::string& Msg) { Msg = "three digits"; };
  try {
    e->ValidateEdit();
    FAIL() << "no error";
  } catch (const EDBEditError& x) {
    EXPECT_EQ(x.Message(), "three digits");
  }
}

}  // namespace
