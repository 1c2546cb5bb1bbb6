// Hints on the manual clock, context menus and popup menus through the modal
// runner, shortcuts, the screen.
#include "fixtures.h"

using AppTest = ControlsTest;

TEST_F(AppTest, AHintShowsAfterThePauseAndHidesAfterTheHidePause) {
  TForm* form = MakeForm();
  auto* b = Child<TProbe>(form, "B", {10, 10, 110, 40});
  b->SetHint("下载配置|把设置下载到终端");
  b->SetShowHint(true);
  form->Show();
  std::string status;
  Application->OnHint = [&](TObject*) { status = Application->Hint(); };
  Mouse(form, WM_MOUSEMOVE, {20, 20});
  EXPECT_EQ(status, "把设置下载到终端");  // the long part, at once
  Clock.Advance(Application->HintPause - 1);
  Application->ProcessMessages();
  EXPECT_FALSE(Application->HintWindow() && Application->HintWindow()->Shown());
  Clock.Advance(1);
  Application->ProcessMessages();
  THintWindow* hint = Application->HintWindow();
  ASSERT_TRUE(hint && hint->Shown());
  EXPECT_EQ(hint->Caption(), "下载配置");  // the short part
  EXPECT_EQ(hint->Color(), clInfoBk);
  TRect r;
  GetWindowRect(hint->Handle(), &r);
  EXPECT_EQ(r.Top, 100 + 20 + 20);  // 20 pixels under the pointer
  Clock.Advance(Application->HintHidePause);
  Application->ProcessMessages();
  EXPECT_FALSE(hint->Shown());

  // Leaving the control cancels a pending hint.
  Mouse(form, WM_MOUSEMOVE, {200, 150});
  Mouse(form, WM_MOUSEMOVE, {20, 20});
  Mouse(form, WM_MOUSEMOVE, {200, 150});
  Clock.Advance(5000);
  Application->ProcessMessages();
  EXPECT_FALSE(hint->Shown());
  Application->OnHint = nullptr;
}

TEST_F(AppTest, ARightClickOpensTheContextMenuOfTheControlOrOfItsParent) {
  TForm* form = MakeForm();
  auto* panel = Child<TProbe>(form, "Panel", {10, 10, 200, 150});
  auto* inner = Child<TProbe>(panel, "Inner", {10, 10, 60, 40});
  auto* label = Child<TGraphicProbe>(panel, "Label", {100, 10, 150, 40});
  auto* menu = new TPopupMenu(form);
  menu->SetName("Popup1");
  TLog clicked;
  for (const char* name : {"Copy", "Paste"}) {
    auto* item = new TMenuItem(form);
    item->SetName(name);
    item->SetCaption(name);
    item->OnClick = [&clicked, name](TObject*) { clicked.push_back(name); };
    menu->Items()->Add(item);
  }
  panel->SetPopupMenu(menu);
  form->Show();
  struct Case {
    TPoint At;
    std::string Choose;
    TComponent* Component;
  };
  const Case cases[] = {
      {{50, 50}, "Paste", panel},   // on the panel itself
      {{30, 30}, "Copy", panel},    // a windowed child without a menu: the parent's
      {{120, 30}, "", panel},       // a graphic child; nothing chosen
  };
  for (const Case& c : cases) {
    Runner->ChooseMenuItem(c.Choose);
    Mouse(form, WM_RBUTTONDOWN, c.At, MK_RBUTTON);
    Mouse(form, WM_RBUTTONUP, c.At);
    EXPECT_EQ(menu->PopupComponent(), c.Component);
  }
  auto calls = Runner->CallsOf("menu");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].Caption, "Popup1");
  EXPECT_EQ(calls[0].Pos, TPoint(100 + 50, 100 + 50));  // screen coordinates
  EXPECT_EQ(clicked, (TLog{"Paste", "Copy"}));
  (void)inner;
  (void)label;
  // A freed menu is forgotten by the control that used it.
  delete menu;
  EXPECT_EQ(panel->PopupMenu(), nullptr);
}

// A popup menu stands against its point by its Alignment (left edge, right edge,
// middle), mirrored for a control laid out right to left, and reads as that
// control reads; with no popup component it follows its owner form.
TEST_F(AppTest, APopupMenuIsPlacedByItsAlignmentMirroredRightToLeft) {
  using enum TPopupAlign;
  struct Case {
    TBiDiMode Mode;
    TAlignment Alignment;
    bool ViaComponent;
    TPopupAlign Align;
    bool RightToLeft;
  } cases[] = {
      {bdLeftToRight, taLeftJustify, true, paLeft, false},
      {bdLeftToRight, taRightJustify, true, paRight, false},
      {bdLeftToRight, taCenter, true, paCenter, false},
      {bdRightToLeft, taLeftJustify, true, paRight, true},
      {bdRightToLeft, taRightJustify, true, paLeft, true},
      {bdRightToLeft, taCenter, true, paCenter, true},
      {bdRightToLeftReadingOnly, taLeftJustify, true, paLeft, true},
      {bdRightToLeftNoAlign, taRightJustify, true, paRight, true},
      {bdRightToLeft, taLeftJustify, false, paRight, true},
      {bdLeftToRight, taLeftJustify, false, paLeft, false},
  };
  TForm* form = MakeForm();
  auto* panel = Child<TProbe>(form, "Panel", {0, 0, 100, 100});
  form->Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.Mode)) + " " + std::to_string(static_cast<int>(c.Alignment)));
    form->SetBiDiMode(c.Mode);
    auto* menu = new TPopupMenu(form);
    auto* item = new TMenuItem(form);
    item->SetCaption("Item");
    menu->Items()->Add(item);
    menu->SetAlignment(c.Alignment);
    if (c.ViaComponent) menu->SetPopupComponent(panel);
    menu->Popup(200, 150);
    auto calls = Runner->CallsOf("menu");
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().Pos, TPoint(200, 150));
    EXPECT_EQ(calls.back().Placement.Align, c.Align);
    EXPECT_EQ(calls.back().Placement.RightToLeft, c.RightToLeft);
    delete menu;
  }
}

TEST_F(AppTest, ShortcutsRoundTripThroughTextAndRadioItemsStayExclusive) {
  struct Case {
    TShortCut Value;
    std::string Text;
  };
  const Case cases[] = {
      {ShortCut('S', {ssCtrl}), "Ctrl+S"},
      {ShortCut(VK_F4, {ssAlt}), "Alt+F4"},
      {ShortCut(VK_DELETE, {ssShift, ssCtrl}), "Shift+Ctrl+Del"},
      {ShortCut(VK_RETURN, {}), "Enter"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortCutToText(c.Value), c.Text);
    EXPECT_EQ(TextToShortCut(c.Text), c.Value) << c.Text;
  }
  EXPECT_EQ(TextToShortCut("Hyper+Q"), 0);

  TMainMenu menu(nullptr);
  TMenuItem* items[3];
  for (auto*& i : items) {
    i = new TMenuItem(nullptr);
    i->SetRadioItem(true);
    i->SetGroupIndex(1);
    menu.Items()->Add(i);
  }
  items[0]->SetChecked(true);
  items[2]->SetChecked(true);
  EXPECT_FALSE(items[0]->Checked());
  EXPECT_TRUE(items[2]->Checked());
  items[1]->SetAutoCheck(true);
  items[1]->Click();
  EXPECT_TRUE(items[1]->Checked());
  EXPECT_FALSE(items[2]->Checked());
  EXPECT_THROW(menu.Items()->Add(items[0]), EMenuError);  // already in a menu
  EXPECT_EQ(items[1]->MenuIndex(), 1);
}

TEST_F(AppTest, TheScreenKnowsMonitorsCursorsAndTheFormsInFocusOrder) {
  EXPECT_EQ(Screen->Width(), 1024);
  EXPECT_EQ(Screen->WorkAreaHeight(), 728);
  EXPECT_EQ(Screen->MonitorFromPoint({5000, 10})->MonitorNum, 0);  // the nearest
  EXPECT_EQ(Screen->MonitorFromPoint({5000, 10}, TMonitorDefaultTo::mdNull), nullptr);
  EXPECT_EQ(PredefinedCursorId(Screen->Cursors(crHourGlass)), IDC_WAIT);
  EXPECT_EQ(PredefinedCursorId(Screen->Cursors(crHandPoint)), IDC_HAND);

  TForm* a = MakeForm("A");
  TForm* b = MakeForm("B");
  a->Show();
  b->Show();
  EXPECT_EQ(Screen->ActiveForm(), b);
  a->SetFocus();
  EXPECT_EQ(Screen->ActiveForm(), a);
  EXPECT_EQ(Screen->Forms(0), a);
  EXPECT_EQ(GetActiveWindow(), a->Handle());
}
