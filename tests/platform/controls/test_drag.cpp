// The drag manager: threshold, targets asked through OnDragOver, drop, refusal,
// cancelling by Escape and by a lost capture, automatic drag after the press.
#include "fixtures.h"
#include "platform/controls/dragdrop.h"

namespace {

class DragTest : public ControlsTest {
protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Form = MakeForm("FD");
    Source = Child<TProbe>(Form, "S", {10, 10, 60, 40});
    Target = Child<TGraphicProbe>(Form, "T", {100, 10, 160, 40});
    Refuser = Child<TProbe>(Form, "R", {100, 60, 160, 90});
    Target->OnDragOver = [this](TObject*, TObject* Src, int X, int Y, TDragState State, bool& Accept) {
      Events.push_back("over " + std::to_string(static_cast<int>(State)) + " " + std::to_string(X) + "," +
                       std::to_string(Y));
      Accept = Src == Source;
    };
    Target->OnDragDrop = [this](TObject*, TObject*, int X, int Y) {
      Events.push_back("drop " + std::to_string(X) + "," + std::to_string(Y));
    };
    Refuser->OnDragOver = [this](TObject*, TObject*, int, int, TDragState, bool& Accept) { Accept = false; };
    Source->OnStartDrag = [this](TObject*, TObject*&) { Events.push_back("start"); };
    Source->OnEndDrag = [this](TObject*, TObject* To, int X, int Y) {
      Events.push_back(std::string("end ") + (To ? static_cast<TComponent*>(To)->Name() : "none") + " " +
                       std::to_string(X) + "," + std::to_string(Y));
    };
    Form->Show();
  }
  TForm* Form = nullptr;
  TProbe* Source = nullptr;
  TGraphicProbe* Target = nullptr;
  TProbe* Refuser = nullptr;
  std::vector<std::string> Events;
};

}  // namespace

TEST_F(DragTest, AnAutomaticDragWaitsForTheThresholdThenDropsOnAnAcceptingTarget) {
  Source->SetDragMode(dmAutomatic);
  Mouse(Form, WM_MOUSEMOVE, {20, 20});
  Mouse(Form, WM_LBUTTONDOWN, {20, 20}, MK_LBUTTON);
  EXPECT_EQ(DragSource(), Source);
  Mouse(Form, WM_MOUSEMOVE, {24, 24}, MK_LBUTTON);  // 4 pixels: still a press
  EXPECT_FALSE(DragActive());
  Mouse(Form, WM_MOUSEMOVE, {110, 20}, MK_LBUTTON);
  EXPECT_TRUE(DragActive());
  EXPECT_EQ(Screen->Cursor(), crDrag);
  Mouse(Form, WM_MOUSEMOVE, {112, 21}, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, {112, 21});
  EXPECT_EQ(Events, (std::vector<std::string>{"start", "over 0 10,10", "over 2 12,11", "drop 12,11", "end T 12,11"}));
  EXPECT_EQ(DragSource(), nullptr);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(DragTest, RefusedOrEmptyDropsAndCancelsEndWithoutATarget) {
  struct Case {
    const char* Name;
    TPoint ReleaseAt;
    int How;  // 0 release, 1 Escape, 2 capture taken away
    TCursor Shown;
  };
  const Case cases[] = {
      {"refusing control", {120, 70}, 0, crNoDrop},
      {"empty form", {300, 200}, 0, crNoDrop},
      {"escape over target", {110, 20}, 1, crDrag},
      {"capture lost over target", {110, 20}, 2, crDrag},
  };
  for (const Case& c : cases) {
    Events.clear();
    Source->BeginDrag(false);
    Mouse(Form, WM_MOUSEMOVE, {20, 20}, MK_LBUTTON);
    Mouse(Form, WM_MOUSEMOVE, c.ReleaseAt, MK_LBUTTON);
    ASSERT_TRUE(DragActive()) << c.Name;
    EXPECT_EQ(Screen->Cursor(), c.Shown) << c.Name;
    if (c.How == 1) Key(VK_ESCAPE);
    if (c.How == 2) SetCaptureControl(Refuser);
    if (c.How == 0) Mouse(Form, WM_LBUTTONUP, c.ReleaseAt);
    EXPECT_FALSE(DragActive()) << c.Name;
    EXPECT_EQ(DragSource(), nullptr) << c.Name;
    ASSERT_FALSE(Events.empty()) << c.Name;
    EXPECT_EQ(Events.back(), "end none 0,0") << c.Name;
    EXPECT_EQ(std::count_if(Events.begin(), Events.end(), [](auto& e) { return e.rfind("drop", 0) == 0; }), 0)
        << c.Name;
    EXPECT_EQ(Screen->Cursor(), crDefault) << c.Name;
    SetCaptureControl(nullptr);
  }
}

TEST_F(DragTest, AReleaseBeforeTheThresholdIsAnOrdinaryClick) {
  int clicks = 0;
  Source->SetControlStyle(Source->ControlStyle() << csClickEvents << csCaptureMouse);
  Source->OnClick = [&](TObject*) { ++clicks; };
  Source->SetDragMode(dmAutomatic);
  Mouse(Form, WM_MOUSEMOVE, {20, 20});
  Mouse(Form, WM_LBUTTONDOWN, {20, 20}, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, {21, 20});
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(DragSource(), nullptr);
  EXPECT_TRUE(Events.empty());
}

TEST_F(DragTest, ASourceFreedByTheDropHandlerIsNotTouchedAfterwards) {
  Target->OnDragDrop = [this](TObject*, TObject*, int, int) {
    delete Source;
    Source = nullptr;
  };
  Source->BeginDrag(true);
  Mouse(Form, WM_MOUSEMOVE, {110, 20}, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, {110, 20});
  EXPECT_EQ(DragSource(), nullptr);
  EXPECT_EQ(Source, nullptr);
}
