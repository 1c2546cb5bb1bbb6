// The group box's client area and frames per style, and the spacer.
#include "basic_fixture.h"
#include "controls/basic/groupbox.h"

namespace {

struct GroupBox : TFormFixture {
  void SetUp() override {
    TFormFixture::SetUp();
    G = new TQvGroupBox(Form);
    G->SetParent(Form);
    G->SetBounds(0, 0, 120, 80);
    G->SetColor(clWhite);
    Child = new TQvPanel(Form);
    Child->SetParent(G);
    Child->SetAlign(alClient);
    Child->HandleNeeded();
    TBitmap b(1, 1);
    b.Canvas()->SetFont(G->Font());
    H = b.Canvas()->TextHeight("Yy");
  }
  TQvGroupBox* G = nullptr;
  TQvPanel* Child = nullptr;
  int H = 0;
};

TEST_F(GroupBox, DefaultsAreAFlatGroupWithTheCaptionTopLeft) {
  EXPECT_EQ(G->GroupStyle(), gsFlat);
  EXPECT_EQ(G->BorderOuter(), fsNone);
  EXPECT_EQ(G->Alignment(), taLeftJustify);
  EXPECT_EQ(G->AlignmentVertical(), avTop);
  TQvGroupBox fresh(nullptr);
  EXPECT_EQ(fresh.Height(), 105);
}

TEST_F(GroupBox, ChildrenSitBelowTheCaptionByStyle) {
  struct Case { TQvGroupBoxStyle style; const char* caption; TRect want; };
  const Case cases[] = {
      {gsStandard, "Box", {2, H + 2, 118, 78}},
      {gsFlat, "Box", {1, H + 1, 119, 79}},
      {gsCustom, "", {2, 2, 118, 78}},
      {gsCustom, "Box", {2, H + 2, 118, 78}},
      {gsTopLine, "Box", {0, H, 120, 80}},
      {gsBanner, "Box", {0, H + 8, 120, 80}},
      {gsUnderline, "Box", {0, H + 4, 120, 80}},
  };
  for (const Case& c : cases) {
    G->SetCaption(c.caption);
    G->SetGroupBoxStyle(c.style);
    G->Realign();
    EXPECT_EQ(Child->BoundsRect(), c.want) << static_cast<int>(c.style);
  }
}

TEST_F(GroupBox, FlatFrameHasCutCornersAndLeavesRoomForTheCaption) {
  Child->SetVisible(false);
  G->SetCaption("Title");
  G->SetFlatColorAdjustment(0);
  G->SetFlatColor(clBlack);
  auto b = Shot(G);
  int top = H / 2 - 1;
  EXPECT_EQ(Px(b.get(), 0, top), RGB(255, 255, 255));      // the cut corner
  EXPECT_EQ(Px(b.get(), 1, top + 1), RGB(0, 0, 0));        // the pixel inside it
  EXPECT_EQ(Px(b.get(), 0, top + 2), RGB(0, 0, 0));        // the left side
  EXPECT_EQ(Px(b.get(), 119, 40), RGB(0, 0, 0));           // the right side
  EXPECT_EQ(Px(b.get(), 60, 79), RGB(0, 0, 0));            // the bottom
  EXPECT_EQ(Px(b.get(), 4, top), RGB(0, 0, 0));            // the top line before the caption
  EXPECT_EQ(Px(b.get(), 8, top), RGB(255, 255, 255));      // the caption's gap
  EXPECT_EQ(Px(b.get(), 117, top), RGB(0, 0, 0));          // the top line after it
}

TEST_F(GroupBox, StandardWithoutCaptionDrawsTheWholeGroove) {
  Child->SetVisible(false);
  G->SetGroupBoxStyle(gsStandard);
  auto b = Shot(G);
  int top = H / 2 - 1;
  EXPECT_EQ(Px(b.get(), 10, top), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(b.get(), 10, top + 1), ColorToRGB(clBtnHighlight));
}

TEST_F(GroupBox, StreamsRoundTrip) {
  G->SetName("G1");
  G->SetGroupBoxStyle(gsBanner);
  G->SetCaption("Grp");
  std::string text = TextOf(G);
  EXPECT_NE(text.find("GroupStyle = gsBanner"), std::string::npos);
  EXPECT_EQ(text.find("Alignment"), std::string::npos);
  auto* backp = new TQvGroupBox(nullptr);
  backp->SetParent(Form);
  TQvGroupBox& back = *backp;
  ReadInto(text, backp);
  EXPECT_EQ(back.GroupStyle(), gsBanner);
  EXPECT_EQ(back.Caption(), "Grp");
}

TEST(Spacer, TurningSwapsTheSizeAndTheGrooveFollowsTheLongSide) {
  TQvSpacer s(nullptr);
  EXPECT_EQ(s.Width(), 8);
  EXPECT_EQ(s.Height(), 25);
  s.SetOrientation(orVertical);
  EXPECT_EQ(s.Width(), 25);
  EXPECT_EQ(s.Height(), 8);
  std::string text = TextOf(&s);
  TQvSpacer back(nullptr);
  ReadInto(text, &back);  // read while loading: the stored size is kept as it is
  EXPECT_EQ(back.Orientation(), orVertical);
  EXPECT_EQ(back.Width(), 25);
}

}  // namespace
