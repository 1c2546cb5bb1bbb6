// Docking with the mouse, driven by synthesised pointer messages on the headless
// backend: a toolbar dragged onto a framed panel and off it into a floating
// window and back, the events in their order, the dock rectangle shown on the
// way, drops that do not dock, and the close button of a docked control.
#include <string>
#include <vector>

#include "basic_fixture.h"
#include "controls/basic/panels.h"
#include "controls/basic/toolbar.h"
#include "platform/controls/dragdrop.h"
#include "platform/controls/input.h"

namespace {

// A borderless form at (100, 100), 400 x 300; the panel "Site" fills its right half
// (screen 300..500 x 100..400), the toolbar "Tb" is at (10, 100) on the form, 150
// wide and 29 high (one 25-pixel row and two 2-pixel margins), dragged to dock as
// soon as the pointer moves 5 pixels.
struct Docking : TFormFixture {
  void SetUp() override {
    TFormFixture::SetUp();
    InstallInputLayer();
    Form->SetName("Form");
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(100, 100, 400, 300);
    Site = new TQvPanel(Form);
    Site->SetName("Site");
    Site->SetParent(Form);
    Site->SetBorderOuter(fsNone);
    Site->SetBounds(200, 0, 200, 300);
    Site->SetDockSite(true);
    Tb = new TQvToolbar(Form);
    Tb->SetName("Tb");
    Tb->SetCaption("Tools");
    Tb->SetParent(Form);
    Tb->SetAlign(alNone);
    Tb->SetBounds(10, 100, 150, 32);
    Tb->SetDragKind(dkDock);
    Tb->SetDragMode(dmAutomatic);
    Form->Show();
    Tb->OnStartDock = [this](TObject*, TObject*&) { Log.push_back("start"); };
    Tb->OnEndDock = [this](TObject*, TObject* To, int X, int Y) {
      std::string to = !To                                ? "none"
                       : dynamic_cast<TCustomDockForm*>(To) ? "float"
                                                            : static_cast<TComponent*>(To)->Name();
      Log.push_back("end " + to + " " + std::to_string(X) + "," + std::to_string(Y));
    };
    Site->OnDockOver = [this](TObject*, TControl*, int X, int Y, TDragState State, bool& Accept) {
      Log.push_back("over " + std::to_string(static_cast<int>(State)) + " " + std::to_string(X) + "," +
                    std::to_string(Y));
      Accept = Accepts;
    };
    Site->OnDockDrop = [this](TObject*, TControl* C, int X, int Y) {
      Log.push_back("drop " + C->Name() + " " + std::to_string(X) + "," + std::to_string(Y));
    };
    Site->OnUnDock = [this](TObject*, TControl* C, TWinControl* To, bool& Allow) {
      Log.push_back("undock " + C->Name() + " " + (To ? To->Name() : "none"));
      Allow = AllowUnDock;
    };
  }
  void TearDown() override {
    if (DragSource()) CancelDrag();
    delete Form;
    Application->ProcessMessages();  // a floating window left empty goes
    ReleaseCapture();
  }
  // The pointer at a client point of a window: moves there with the button down,
  // then presses, moves or releases.
  void Move(TWinControl* W, TPoint P) { InputMouse(W->Handle(), WM_MOUSEMOVE, P, MK_LBUTTON); }
  void Press(TWinControl* W, TPoint P) {
    InputMouse(W->Handle(), WM_MOUSEMOVE, P, 0);
    InputMouse(W->Handle(), WM_LBUTTONDOWN, P, MK_LBUTTON);
  }
  void Release(TWinControl* W, TPoint P) { InputMouse(W->Handle(), WM_LBUTTONUP, P, 0); }
  TRect Frame(TWinControl** Over = nullptr) { return DockDragRect(Over); }

  TQvPanel* Site = nullptr;
  TQvToolbar* Tb = nullptr;
  std::vector<std::string> Log;
  bool Accepts = true;
  bool AllowUnDock = true;
};

TEST_F(Docking, AToolbarDraggedOntoThePanelDocksUnderItsTitleBar) {
  Press(Form, {20, 110});  // 10, 10 inside the toolbar
  Move(Form, {23, 112});
  EXPECT_FALSE(DragActive()) << "3 pixels are still a press";
  Move(Form, {60, 110});
  ASSERT_TRUE(DragActive());
  TWinControl* over = Site;
  // Far from the site: the toolbar would float where the frame is, its grabbed point
  // under the pointer (screen 160, 210).
  EXPECT_EQ(Frame(&over), (TRect{150, 200, 300, 229}));
  EXPECT_EQ(over, nullptr);
  // Within 10 pixels of the site: the frame shows the site's first zone.
  Move(Form, {195, 110});
  EXPECT_EQ(Frame(&over), (TRect{300, 100, 500, 400}));
  EXPECT_EQ(over, Site);
  Move(Form, {250, 150});
  Release(Form, {250, 150});
  EXPECT_EQ(Log, (std::vector<std::string>{"start", "over 0 -5,110", "over 2 50,150", "drop Tb 50,150",
                                           "end Site 50,150"}));
  EXPECT_FALSE(DragActive());
  EXPECT_TRUE(Frame().IsEmpty());
  EXPECT_EQ(Tb->HostDockSite(), Site);
  EXPECT_EQ(Tb->Parent(), Site);
  ASSERT_EQ(Site->DockClientCount(), 1);
  // Below the 14-pixel title bar, across the site.
  EXPECT_EQ(Tb->Left(), 0);
  EXPECT_EQ(Tb->Top(), 14);
  EXPECT_EQ(Tb->Width(), 200);
  auto shot = Shot(Site);
  EXPECT_EQ(Px(shot.get(), 60, 7), ColorToRGB(clInactiveCaption));
  Site->SetBounds(220, 0, 180, 300);
  EXPECT_EQ(Tb->Width(), 180) << "a docked control follows its site's size";
}

TEST_F(Docking, TheGrabberDragsADockedControlOffIntoAFloatingWindowAndBack) {
  ASSERT_TRUE(Tb->ManualDock(Site));
  Log.clear();
  int formsBefore = Application->ComponentCount();
  Press(Form, {250, 5});  // on the title bar, away from the close button
  Move(Form, {100, 200});
  ASSERT_TRUE(DragActive());
  // It floats at the size it had before it was docked, the grabbed point kept.
  TWinControl* over = Site;
  EXPECT_EQ(Frame(&over), (TRect{150, 309, 300, 338}));
  EXPECT_EQ(over, nullptr);
  Release(Form, {100, 200});
  ASSERT_EQ(Log.size(), 3u);
  EXPECT_EQ(Log[0], "start");
  EXPECT_EQ(Log[1], "undock Tb none");
  EXPECT_EQ(Log[2], "end float 150,309");
  EXPECT_EQ(Site->DockClientCount(), 0);
  ASSERT_TRUE(Tb->Floating());
  auto* host = dynamic_cast<TCustomDockForm*>(Tb->HostDockSite());
  ASSERT_NE(host, nullptr);
  EXPECT_TRUE(host->Visible());
  EXPECT_EQ(host->Caption(), "Tools");
  EXPECT_EQ(Tb->ClientToScreen(TPoint{0, 0}), (TPoint{150, 309}));
  EXPECT_EQ(Tb->Width(), 150);
  EXPECT_EQ(Application->ComponentCount(), formsBefore + 1);

  // Pressed on the toolbar in its window and dropped on the panel: docked again,
  // and the empty floating window goes.
  Log.clear();
  Press(host, {20, 10});
  Move(host, {60, 10});
  Move(host, {200, -150});  // screen 350, 159: over the site
  Release(host, {200, -150});
  EXPECT_EQ(Log.back(), "end Site 50,59");
  EXPECT_EQ(Tb->HostDockSite(), Site);
  EXPECT_FALSE(Tb->Floating());
  Application->ProcessMessages();
  EXPECT_EQ(Application->ComponentCount(), formsBefore);
}

TEST_F(Docking, DropsThatDoNotDockLeaveTheToolbarWhereTheyShould) {
  struct Case {
    const char* Name;
    bool Docked;   // docked on the site before the drag
    bool Accepts;  // OnDockOver's answer
    bool SiteInfoRefuses;
    bool AllowUnDock;
    bool Escape;
    const char* Parent;  // where the toolbar ends: "Form", "Site" or "float"
    const char* End;     // the last event
  };
  const Case cases[] = {
      {"escape over the site", false, true, false, true, true, "Form", "end none 0,0"},
      {"site refuses in OnDockOver", false, false, false, true, false, "float", "end float 340,240"},
      {"site out of reach by OnGetSiteInfo", false, true, true, true, false, "float", "end float 340,240"},
      {"old site keeps it in OnUnDock", true, true, false, false, false, "Site", "end none 0,0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Log.clear();
    Accepts = c.Accepts;
    AllowUnDock = true;
    Site->OnGetSiteInfo = [&](TObject*, TControl*, TRect&, TPoint, bool& CanDock) { CanDock = !c.SiteInfoRefuses; };
    if (c.Docked) {
      ASSERT_TRUE(Tb->ManualDock(Site));
    }
    AllowUnDock = c.AllowUnDock;
    TPoint from = c.Docked ? TPoint{250, 5} : TPoint{20, 110};
    Press(Form, from);
    Move(Form, {from.X + 10, from.Y});
    Move(Form, c.Docked ? TPoint{100, 200} : TPoint{250, 150});
    ASSERT_TRUE(DragActive());
    if (c.Escape) {
      InputKey(WM_KEYDOWN, VK_ESCAPE, 0, {});
      InputKey(WM_KEYUP, VK_ESCAPE, KF_UP_BIT, {});
    } else {
      Release(Form, c.Docked ? TPoint{100, 200} : TPoint{250, 150});
    }
    EXPECT_FALSE(DragActive());
    EXPECT_TRUE(Frame().IsEmpty());
    ASSERT_FALSE(Log.empty());
    EXPECT_EQ(Log.back(), c.End);
    std::string parent = Tb->Floating() ? "float" : Tb->Parent() ? Tb->Parent()->Name() : "";
    EXPECT_EQ(parent, c.Parent);
    // Back on the form for the next case.
    AllowUnDock = true;
    Site->OnGetSiteInfo = nullptr;
    Tb->ManualFloat();
    Tb->SetParent(Form);
    Tb->SetAlign(alNone);
    Tb->SetBounds(10, 100, 150, 32);
    Application->ProcessMessages();
  }
}

TEST_F(Docking, AToolbarFreedByTheSitesDropHandlerIsNotTouchedAfterwards) {
  Site->OnDockDrop = [this](TObject*, TControl*, int, int) {
    delete Tb;
    Tb = nullptr;
  };
  Press(Form, {20, 110});
  Move(Form, {30, 110});
  Move(Form, {250, 150});
  Release(Form, {250, 150});
  EXPECT_EQ(Tb, nullptr);
  EXPECT_EQ(DragSource(), nullptr);
  EXPECT_EQ(Site->DockClientCount(), 0);
  EXPECT_EQ(Log.back(), "over 0 50,150") << "no OnEndDock from a freed toolbar";
}

TEST_F(Docking, ADockedToolbarFreedByItsSitesUnDockHandlerIsNotTouchedAfterwards) {
  ASSERT_TRUE(Tb->ManualDock(Site));
  Log.clear();
  Site->OnUnDock = [this](TObject*, TControl*, TWinControl*, bool&) {
    delete Tb;
    Tb = nullptr;
  };
  Press(Form, {250, 5});  // on its title bar, then dragged off to float
  Move(Form, {100, 200});
  ASSERT_TRUE(DragActive());
  Release(Form, {100, 200});
  EXPECT_EQ(Tb, nullptr);
  EXPECT_EQ(DragSource(), nullptr);
  EXPECT_EQ(Site->DockClientCount(), 0);
  EXPECT_EQ(Log, std::vector<std::string>{"start"}) << "no OnEndDock from a freed toolbar";
}

TEST_F(Docking, ASiteWithoutItsDockManagerTakesTheControlWhereItIsDropped) {
  Site->SetUseDockManager(false);
  Press(Form, {20, 110});
  Move(Form, {30, 110});
  Move(Form, {250, 150});  // screen 350, 250; grabbed 10, 10 inside the toolbar
  TWinControl* over = nullptr;
  EXPECT_EQ(Frame(&over), (TRect{340, 240, 490, 269}));
  EXPECT_EQ(over, Site);
  Release(Form, {250, 150});
  EXPECT_EQ(Tb->HostDockSite(), Site);
  EXPECT_EQ(Tb->BoundsRect(), (TRect{40, 140, 190, 169}));
  EXPECT_EQ(Log.back(), "end Site 50,150");
}

TEST_F(Docking, TheCloseButtonHidesItsControlAndTheOthersTakeTheRoom) {
  auto* a = new TQvPanel(Form);
  auto* b = new TQvPanel(Form);
  a->SetName("A");
  b->SetName("B");
  ASSERT_TRUE(a->ManualDock(Site));
  ASSERT_TRUE(b->ManualDock(Site));
  // Two zones of 150 pixels; A's close glyph is at x 185..197, y 1..11 of the site.
  struct Case {
    const char* Name;
    TPoint Down, Up;
    bool Hidden;
  };
  const Case cases[] = {
      {"released elsewhere", {191, 6}, {120, 80}, false},
      {"pressed on the title", {100, 6}, {191, 6}, false},
      {"clicked", {191, 6}, {192, 7}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Press(Form, {200 + c.Down.X, c.Down.Y});
    Release(Form, {200 + c.Up.X, c.Up.Y});
    if (DragSource()) CancelDrag();
    EXPECT_EQ(a->Visible(), !c.Hidden);
  }
  EXPECT_EQ(b->BoundsRect(), (TRect{0, 14, 200, 300}));
  EXPECT_EQ(Site->DockClientCount(), 2) << "a hidden control stays docked";
  a->Show();
  EXPECT_EQ(b->BoundsRect(), (TRect{0, 164, 200, 300}));
}

}  // namespace

namespace {

// A site's OnGetSiteInfo that frees another dock site, or its own, while the sites
// under the pointer are looked for: each remaining site is asked once, a freed one
// is neither asked nor offered, and the drag goes on to dock on what is left.
TEST_F(Docking, SitesFreedByASiteInfoHandlerAreLeftOutOfTheSearch) {
  struct Case {
    const char* Name;
    bool FreesItself;
  } cases[] = {{"frees another site", false}, {"frees itself", true}};
  for (const Case& c : cases) {
    auto panel = [&](const std::string& Name, TRect R) {
      auto* p = new TQvPanel(Form);
      p->SetName(Name);
      p->SetParent(Form);
      p->SetBounds(R.Left, R.Top, R.Width(), R.Height());
      p->SetDockSite(true);
      return p;
    };
    TQvPanel* asker = panel("Asker", {0, 200, 100, 260});
    TQvPanel* doomed = panel("Doomed", {0, 0, 100, 40});
    TQvPanel* last = panel("Last", {100, 200, 190, 260});
    int lastAsked = 0;
    last->OnGetSiteInfo = [&](TObject*, TControl*, TRect&, TPoint, bool&) { ++lastAsked; };
    asker->OnGetSiteInfo = [&](TObject*, TControl*, TRect&, TPoint, bool&) {
      TQvPanel*& gone = c.FreesItself ? asker : doomed;
      delete gone;
      gone = nullptr;
    };
    Press(Form, {20, 110});
    Move(Form, {30, 110});
    EXPECT_EQ(lastAsked, 1) << c.Name;
    Move(Form, {250, 150});
    TWinControl* over = nullptr;
    Frame(&over);
    EXPECT_EQ(over, Site) << c.Name;
    Release(Form, {250, 150});
    EXPECT_EQ(Tb->HostDockSite(), Site) << c.Name;
    Tb->ManualDock(nullptr);
    Tb->ManualFloat();
    Tb->SetParent(Form);
    Tb->SetBounds(10, 100, 150, 32);
    delete doomed;
    delete asker;
    delete last;
    Log.clear();
  }
}

}  // namespace
