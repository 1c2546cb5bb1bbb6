// The framed panel: layout inside its frames, the caption and grid, the children's
// enabled states, streams (retired and dock properties) and docking.
#include "basic_fixture.h"
#include "controls/basic/panels.h"

namespace {

struct Panel : TFormFixture {
  void SetUp() override {
    TFormFixture::SetUp();
    P = new TQvPanel(Form);
    P->SetParent(Form);
    P->SetBounds(10, 10, 100, 60);
  }
  TQvPanel* P = nullptr;
};

TEST_F(Panel, ChildrenSitInsideTheFramesOfTheChosenSides) {
  auto* child = new TQvPanel(Form);
  child->SetParent(P);
  child->SetAlign(alClient);
  child->HandleNeeded();
  struct Case { TFrameStyleEx outer, inner; TSides sides; int bevel; TRect want; };
  const Case cases[] = {
      {fsRaised, fsNone, AllSides, 1, {2, 2, 98, 58}},
      {fsRaised, fsNone, {}, 1, {0, 0, 100, 60}},
      {fsFlat, fsLowered, {sdLeft, sdTop}, 1, {3, 3, 100, 60}},
      {fsStatus, fsPopup, AllSides, 3, {6, 6, 94, 54}},
  };
  for (const Case& c : cases) {
    P->SetBorderOuter(c.outer);
    P->SetBorderInner(c.inner);
    P->SetBorderSides(c.sides);
    P->SetBevelWidth(c.bevel);
    P->Realign();
    EXPECT_EQ(child->BoundsRect(), c.want) << static_cast<int>(c.outer);
  }
}

TEST_F(Panel, ARightOrBottomAlignedPanelKeepsItsFarEdge) {
  P->SetAlign(alRight);
  int right = P->Left() + P->Width();
  P->SetWidth(P->Width() + 30);
  EXPECT_EQ(P->Left() + P->Width(), right);
}

TEST_F(Panel, DisablingRemembersEachChildsOwnState) {
  auto* a = new TQvPanel(Form);
  auto* b = new TQvPanel(Form);
  a->SetParent(P);
  b->SetParent(P);
  b->SetEnabled(false);
  P->SetEnabled(false);
  EXPECT_FALSE(a->Enabled());
  EXPECT_EQ(P->EnabledStateCount(), 2);
  auto* late = new TQvPanel(Form);  // added while disabled: enabled with the panel
  late->SetParent(P);
  late->SetEnabled(false);
  P->SetEnabled(true);
  EXPECT_TRUE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  EXPECT_TRUE(late->Enabled());
}

TEST_F(Panel, AChildFreedWhileDisabledIsForgotten) {
  auto* a = new TQvPanel(Form);
  auto* b = new TQvPanel(Form);
  a->SetParent(P);
  b->SetParent(P);
  P->SetEnabled(false);
  delete a;  // the list must not keep it (ASan catches a use after free)
  EXPECT_EQ(P->EnabledStateCount(), 1);
  P->SetEnabled(true);
  EXPECT_TRUE(b->Enabled());
}

TEST_F(Panel, GridDotsSitAtThePitchInsideTheFrame) {
  P->SetShowGrid(true);
  P->SetGridColor(clBlack);
  P->SetGridSize(5, 4);
  P->SetColor(clWhite);
  auto b = Shot(P);
  // Inside the fsRaised frame R = (2, 2, 98, 58): dots at x = 1 + 5i, y = 1 + 4j.
  EXPECT_EQ(Px(b.get(), 6, 5), RGB(0, 0, 0));
  EXPECT_EQ(Px(b.get(), 11, 9), RGB(0, 0, 0));
  EXPECT_EQ(Px(b.get(), 7, 5), RGB(255, 255, 255));
  EXPECT_EQ(Px(b.get(), 6, 6), RGB(255, 255, 255));
  P->SetGridXSize(0);  // no columns, so no dots at all
  b = Shot(P);
  EXPECT_EQ(Px(b.get(), 6, 5), RGB(255, 255, 255));
}

TEST_F(Panel, CaptionAlignsVerticallyAndClipsToItsRect) {
  P->SetColor(clWhite);
  P->Font()->SetColor(clBlack);
  P->SetCaption("Ag");
  auto rowsWithInk = [&](int From, int To) {
    auto b = Shot(P);
    int n = 0;
    for (int y = From; y < To; ++y)
      for (int x = 3; x < 97; ++x)
        if (Px(b.get(), x, y) != RGB(255, 255, 255)) { ++n; break; }
    return n;
  };
  P->SetAlignmentVertical(avTop);
  EXPECT_GT(rowsWithInk(2, 20), 0);
  EXPECT_EQ(rowsWithInk(40, 58), 0);
  P->SetAlignmentVertical(avBottom);
  EXPECT_EQ(rowsWithInk(2, 20), 0);
  EXPECT_GT(rowsWithInk(40, 58), 0);
  P->SetHeight(12);  // shorter than the text: it starts at the rect's top
  EXPECT_GT(rowsWithInk(2, 10), 0);
}

TEST_F(Panel, TransparentPanelShowsItsParentBeneath) {
  auto* back = new TQvPanel(Form);
  back->SetParent(Form);
  back->SetBounds(0, 0, 200, 100);
  back->SetBorderOuter(fsNone);
  back->SetColor(clRed);
  P->SetParent(back);
  P->SetBounds(20, 20, 60, 40);
  P->SetBorderOuter(fsNone);
  P->SetColor(clBlue);
  P->SetTransparent(true);
  EXPECT_FALSE(P->ControlStyle().Contains(csOpaque));
  auto b = Shot(back);
  EXPECT_EQ(Px(b.get(), 50, 40), RGB(255, 0, 0));
  P->SetTransparent(false);
  b = Shot(back);
  EXPECT_EQ(Px(b.get(), 50, 40), RGB(0, 0, 255));
}

TEST_F(Panel, StreamsKeepWhatDiffersAndReadRetiredProperties) {
  P->SetName("P1");
  EXPECT_EQ(TextOf(P).find("BorderOuter"), std::string::npos);
  P->SetBorderInner(fsLowered);
  P->SetBorderSides({sdTop});
  P->SetGridStyle(gsSolidLines);
  P->SetAlignmentVertical(avBottom);
  P->SetVisualStyle(vsClassic);
  P->SetDockSite(true);
  P->SetUseDockManager(false);
  P->SetDragKind(dkDock);
  P->Constraints()->SetMinWidth(50);
  std::string text = TextOf(P);
  EXPECT_NE(text.find("DockSite = True"), std::string::npos);
  EXPECT_NE(text.find("UseDockManager = False"), std::string::npos);
  EXPECT_NE(text.find("DragKind = dkDock"), std::string::npos);
  EXPECT_NE(text.find("Constraints.MinWidth = 50"), std::string::npos);
  auto* backp = new TQvPanel(nullptr);
  backp->SetParent(Form);
  TQvPanel& back = *backp;
  ReadInto(text, backp);
  EXPECT_EQ(back.BorderInner(), fsLowered);
  EXPECT_EQ(back.BorderSides(), TSides{sdTop});
  EXPECT_EQ(back.AlignmentVertical(), avBottom);
  EXPECT_TRUE(back.DockSite());
  EXPECT_FALSE(back.UseDockManager());
  EXPECT_EQ(back.Constraints()->MinWidth(), 50);
  EXPECT_EQ(TextOf(&back), text);

  // Old forms: FrameSides and ThemeAware are dropped, UseGradients picks the gradient look.
  TQvPanel old(nullptr);
  ReadInto("object P2: TQvPanel\n  FrameSides = [sdLeft]\n  ThemeAware = True\n  UseGradients = True\nend\n", &old);
  EXPECT_EQ(old.VisualStyle(), vsGradient);
  EXPECT_EQ(TextOf(&old).find("FrameSides"), std::string::npos);
  EXPECT_EQ(TextOf(&old).find("UseGradients"), std::string::npos);
}

TEST_F(Panel, ManualDockLaysControlsOutUnderTitleBars) {
  P->SetBounds(0, 0, 120, 100);
  P->SetBorderOuter(fsNone);
  P->SetDockSite(true);
  ASSERT_NE(dynamic_cast<TQvPanelDockManager*>(P->DockManager()), nullptr);
  auto* a = new TQvPanel(Form);
  auto* b = new TQvPanel(Form);
  a->SetCaption("A");
  b->SetCaption("B");
  a->SetParent(Form);
  ASSERT_TRUE(a->ManualDock(P));
  ASSERT_TRUE(b->ManualDock(P));
  EXPECT_EQ(P->DockClientCount(), 2);
  EXPECT_EQ(a->HostDockSite(), P);
  // Two zones of 50 pixels, each losing its 14-pixel title bar at the top.
  EXPECT_EQ(a->BoundsRect(), (TRect{0, 14, 120, 50}));
  EXPECT_EQ(b->BoundsRect(), (TRect{0, 64, 120, 100}));
  auto shot = Shot(P);
  // Title bars in the caption colour (neither control has the focus: inactive).
  EXPECT_EQ(Px(shot.get(), 60, 1), ColorToRGB(clInactiveCaption));
  EXPECT_EQ(Px(shot.get(), 60, 51), ColorToRGB(clInactiveCaption));
  EXPECT_NE(Px(shot.get(), 60, 20), ColorToRGB(clInactiveCaption));
  ASSERT_TRUE(a->ManualFloat());
  EXPECT_EQ(P->DockClientCount(), 1);
  EXPECT_EQ(b->BoundsRect(), (TRect{0, 14, 120, 100}));
  delete b;  // a freed docked control leaves the site
  EXPECT_EQ(P->DockClientCount(), 0);
  delete a;
}

TEST_F(Panel, ASiteAlignedTopPutsTheGrabberAtTheLeft) {
  P->SetAlign(alTop);
  P->SetBorderOuter(fsNone);
  P->SetDockSite(true);
  auto* a = new TQvPanel(Form);
  ASSERT_TRUE(a->ManualDock(P));
  EXPECT_EQ(a->Left(), 14);
  EXPECT_EQ(a->Top(), 0);
  auto shot = Shot(P);
  EXPECT_EQ(Px(shot.get(), 7, P->Height() - 4), ColorToRGB(clInactiveCaption));
}

}  // namespace
