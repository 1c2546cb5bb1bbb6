// Docking with handlers that free what the docking step is working on: the control
// it moves, the site it leaves or the site it goes to. Run under AddressSanitizer
// these catch any read of a freed object; headless they check where things end up.
#include <algorithm>

#include "fixtures.h"
#include "platform/controls/docking.h"

namespace {

class DockHandlerTest : public ControlsTest {
protected:
  // A shown form with two dock sites side by side and a control docked on the left one.
  void Build() {
    Form = MakeForm("FDock");
    OldSite = Child<TProbe>(Form, "Old", {0, 0, 140, 200});
    NewSite = Child<TProbe>(Form, "New", {150, 0, 290, 200});
    OldSite->SetDockSite(true);
    NewSite->SetDockSite(true);
    Moved = Child<TProbe>(Form, "Moved", {10, 10, 60, 40});
    Form->Show();
    ASSERT_TRUE(Moved->ManualDock(OldSite));
    Moved->OnEndDock = [this](TObject*, TObject* To, int, int) {
      Ends.push_back(std::string("end ") + (To ? static_cast<TComponent*>(To)->Name() : "none"));
    };
  }
  // What is left of the form's controls (a freed one is no longer its component).
  TProbe* Find(const char* Name) { return dynamic_cast<TProbe*>(Form->FindComponent(Name)); }
  TForm* Form = nullptr;
  TProbe* OldSite = nullptr;
  TProbe* NewSite = nullptr;
  TProbe* Moved = nullptr;
  TLog Ends;  // OnEndDock calls (the probes' own messages go to Log)
};

}  // namespace

TEST_F(DockHandlerTest, HandlersThatFreeTheControlOrASiteEndTheDockWithoutTouchingIt) {
  enum { kControl, kOldSite, kNewSite };
  struct Case {
    const char* Name;
    bool InUnDock;  // the old site's OnUnDock frees it; otherwise the new site's OnDockDrop
    int Frees;
    bool Answer;                 // what ManualDock returns
    const char* HostAfter;       // where the control is docked afterwards ("" = freed)
    std::vector<std::string> Ends;  // OnEndDock calls
  };
  const Case cases[] = {
      // Undocking refused by a handler that freed something it needs: nothing moves.
      {"undock frees the control", true, kControl, false, "", {}},
      {"undock frees the old site (the control goes with it)", true, kOldSite, false, "", {}},
      {"undock frees the new site", true, kNewSite, false, "Old", {}},
      // Docked, then the drop handler frees something: no end event for a freed control.
      {"drop frees the control", false, kControl, true, "", {}},
      {"drop frees the new site (the control goes with it)", false, kNewSite, true, "", {}},
      {"drop frees the old site", false, kOldSite, true, "New", {"end New"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Ends.clear();
    Build();
    TProbe* victim = c.Frees == kControl ? Moved : c.Frees == kOldSite ? OldSite : NewSite;
    if (c.InUnDock) {
      OldSite->OnUnDock = [&](TObject*, TControl*, TWinControl*, bool&) { delete victim; };
    } else {
      NewSite->OnDockDrop = [&](TObject*, TControl*, int, int) { delete victim; };
    }
    EXPECT_EQ(Moved->ManualDock(NewSite), c.Answer);
    TProbe* moved = Find("Moved");
    EXPECT_EQ(moved ? moved->HostDockSite() ? moved->HostDockSite()->Name() : "none" : "", c.HostAfter);
    EXPECT_EQ(Ends, c.Ends);
    for (const char* site : {"Old", "New"}) {
      TProbe* s = Find(site);
      if (s) {
        EXPECT_EQ(s->DockClientCount(), std::string(c.HostAfter) == site ? 1 : 0) << site;
      }
    }
    Owned.erase(std::find(Owned.begin(), Owned.end(), Form));
    delete Form;
  }
}

TEST_F(DockHandlerTest, AnUnDockHandlerThatFreesTheControlEndsItsFloat) {
  Build();
  OldSite->OnUnDock = [this](TObject*, TControl*, TWinControl*, bool&) { delete Moved; };
  EXPECT_FALSE(Moved->ManualFloat(TRect{400, 400, 450, 430}));
  EXPECT_EQ(Find("Moved"), nullptr);
  EXPECT_EQ(OldSite->DockClientCount(), 0);
  EXPECT_TRUE(Ends.empty());
}
