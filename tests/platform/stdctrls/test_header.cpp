// Header controls: sections resized by dragging their right edge (with the track
// and resize events), clicked, and THeader's widths.
#include "platform/stdctrls/header.h"
#include "tests/platform/controls/fixtures.h"

class HeaderTest : public ControlsTest {};

TEST_F(HeaderTest, DraggingAnEdgeResizesItsSectionAndClicksReportTheSection) {
  TForm* form = MakeForm();
  auto* h = new THeaderControl(form);
  h->SetBounds(0, 0, 300, 18);
  h->SetParent(form);
  for (int w : {60, 80}) h->Sections()->Add()->SetWidth(w);
  form->Show();
  std::vector<std::string> events;
  h->OnSectionTrack = [&](THeaderControl*, THeaderSection* S, int W, TSectionTrackState T) {
    events.push_back("track " + std::to_string(S->Index()) + " " + std::to_string(W) + " " +
                     std::to_string(static_cast<int>(T)));
  };
  h->OnSectionResize = [&](THeaderControl*, THeaderSection* S) { events.push_back("resize " + std::to_string(S->Index())); };
  h->OnSectionClick = [&](THeaderControl*, THeaderSection* S) { events.push_back("click " + std::to_string(S->Index())); };
  Mouse(form, WM_LBUTTONDOWN, {61, 5}, MK_LBUTTON);  // the first section's right edge
  Mouse(form, WM_MOUSEMOVE, {91, 5}, MK_LBUTTON);
  Mouse(form, WM_LBUTTONUP, {91, 5}, 0);
  EXPECT_EQ(h->Sections()->Items(0)->Width(), 90);
  EXPECT_EQ(h->Sections()->Items(1)->Left(), 90);
  Mouse(form, WM_LBUTTONDOWN, {120, 5}, MK_LBUTTON);  // inside the second section
  Mouse(form, WM_LBUTTONUP, {120, 5}, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"track 0 60 0", "track 0 90 1", "track 0 90 2", "resize 0", "click 1"}));
}

TEST_F(HeaderTest, OldHeaderKeepsAWidthPerSection) {
  THeader h(nullptr);
  h.Sections()->Add("a");
  h.Sections()->Add("b");
  EXPECT_EQ(h.SectionWidth(1), 50);
  h.SetSectionWidth(1, 75);
  EXPECT_EQ(h.SectionWidth(1), 75);
  EXPECT_EQ(h.SectionWidth(0), 50);
  EXPECT_THROW(h.SectionWidth(2), EListError);
  EXPECT_THROW(h.SetSectionWidth(-1, 3), EListError);
}
