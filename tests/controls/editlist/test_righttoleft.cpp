// Right to left in the edit and list controls: each family's left-to-right and
// right-to-left rectangles, margins, hit areas and item drawing side by side.
#include <gtest/gtest.h>

#include "controls/editlist/calendar.h"
#include "controls/editlist/checklist.h"
#include "controls/editlist/combobox.h"
#include "controls/editlist/edits.h"
#include "controls/editlist/listboxes.h"
#include "controls/editlist/spinedit.h"
#include "controls/editlist/tabbedlist.h"
#include "platform/stdctrls/edit.h"
#include "tests/controls/editlist/edit_fixture.h"
#include "tests/platform/controls/shot.h"

namespace {

class TOpenDropEdit : public TQvEdit {
public:
  explicit TOpenDropEdit(TComponent* AOwner) : TQvEdit(AOwner) { SetDropButtonVisible(true); }
  using TQvCustomEdit::DropButtonRect;
};

class RightToLeftEdits : public EditTest {
protected:
  // The column span of the black pixels of the control's row Y (painted alone).
  static std::pair<int, int> InkColumns(TWinControl* C, int Y0, int Y1) {
    TShot shot(C);
    int first = -1, last = -1;
    for (int x = 0; x < C->Width(); ++x)
      for (int y = Y0; y < Y1; ++y)
        if (shot(x, y) == Rgb(clBlack)) {
          if (first < 0) first = x;
          last = x;
        }
    return {first, last};
  }
};

const TBiDiMode kModes[] = {bdLeftToRight, bdRightToLeft};

// The framed edit's drop button: the rightmost SM_CXVSCROLL pixels inside the
// 2-pixel border, or the leftmost; the client area gives up that strip on the
// same side.
TEST_F(RightToLeftEdits, FramedEditDropButtonTakesTheLeftEdge) {
  const int sb = GetSystemMetrics(SM_CXVSCROLL);
  for (TBiDiMode mode : kModes) {
    const bool rtl = mode == bdRightToLeft;
    auto* e = Place<TOpenDropEdit>(10, 10, 100, 21);
    e->SetBiDiMode(mode);
    Show();
    EXPECT_EQ(e->DropButtonRect(), rtl ? TRect(2, 2, 2 + sb, 19) : TRect(98 - sb, 2, 98, 19));
    TRect window;
    GetWindowRect(e->Handle(), &window);
    EXPECT_EQ(e->ClientOrigin().X - window.Left, rtl ? 2 + sb : 2);
    EXPECT_EQ(e->ClientWidth(), 100 - 4 - sb);
    delete e;
  }
}

// The spin edit's buttons: (Width - W - 4, 0, W, Height - 4) or (0, 0, W,
// Height - 4); the text margins (0, W + 2) or (W + 2, 0).
TEST_F(RightToLeftEdits, SpinEditButtonsGoLeftWithTheMarginsSwapped) {
  struct Case {
    TBiDiMode Mode;
    TRect Buttons;
    int LeftMargin, RightMargin;
  } cases[] = {{bdLeftToRight, {76, 0, 93, 17}, 0, 19}, {bdRightToLeft, {0, 0, 17, 17}, 19, 0}};
  for (const Case& c : cases) {
    auto* s = Place<TQvSpinEdit>(10, 40, 97, 21);
    Show();
    s->SetBiDiMode(c.Mode);
    EXPECT_EQ(s->Buttons()->BoundsRect(), c.Buttons) << static_cast<int>(c.Mode);
    auto margins = static_cast<uint32_t>(s->Perform(EM_GETMARGINS, 0, 0));
    EXPECT_EQ(static_cast<int>(margins & 0xFFFF), c.LeftMargin) << static_cast<int>(c.Mode);
    EXPECT_EQ(static_cast<int>(margins >> 16), c.RightMargin) << static_cast<int>(c.Mode);
    delete s;
  }
}

// Owner-drawn list items: the indent strip and the text 2 pixels in from the
// reading side; the tabbed list's text at Right - 2; the check list's check box
// area of glyph width + 4 at the left or the right edge.
TEST_F(RightToLeftEdits, ListItemsMirrorIndentTextAndCheckBox) {
  for (TBiDiMode mode : kModes) {
    const bool rtl = mode == bdRightToLeft;
    SCOPED_TRACE(rtl);
    auto* l = Place<TQvListBox>(10, 10, 160, 60);
    l->SetStyle(lbOwnerDrawFixed);
    l->SetOwnerDrawIndent(30);
    l->Items()->Add("WWW");
    l->SetBiDiMode(mode);
    Show();
    auto [first, last] = InkColumns(l, 2, 2 + l->ItemHeight());
    ASSERT_GE(first, 0);
    // 2 (edge) + 30 (indent) + 2 (inset) from the left; mirrored from the right.
    if (rtl) EXPECT_LE(last, 158 - 30 - 2 - 1);
    else EXPECT_GE(first, 2 + 30 + 2);
    EXPECT_EQ(first > 80, rtl);

    auto* t = Place<TQvTabbedListBox>(10, 80, 160, 60);
    t->Items()->Add("WWW");
    t->SetBiDiMode(mode);
    Show();
    auto [tFirst, tLast] = InkColumns(t, 2, 2 + t->ItemHeight());
    ASSERT_GE(tFirst, 0);
    if (rtl) EXPECT_LE(tLast, 158 - 2 - 1);
    else EXPECT_GE(tFirst, 2 + 2);
    EXPECT_EQ(tFirst > 80, rtl);

    auto* k = Place<TQvCheckList>(180, 10, 100, 60);
    k->Items()->Add("a");
    k->SetBiDiMode(mode);
    Show();
    // The client is 96 wide: the box area is x < 17, or x >= 79.
    const int inside = rtl ? 90 : 5, outside = rtl ? 5 : 90;
    Press(k, {2 + outside, 2 + 3}, true);
    Press(k, {2 + outside, 2 + 3}, false);
    EXPECT_FALSE(k->GetItemChecked(0));
    Press(k, {2 + inside, 2 + 3}, true);
    Press(k, {2 + inside, 2 + 3}, false);
    EXPECT_TRUE(k->GetItemChecked(0));
    delete k;
    delete t;
    delete l;
  }
}

// The framed combo box's button: (Width - SM_CXVSCROLL - 2, 2, Width - 2,
// Height - 2) or (2, 2, SM_CXVSCROLL + 2, Height - 2): its arrow is inked there.
TEST_F(RightToLeftEdits, ComboBoxButtonTakesTheLeftEdge) {
  const int sb = GetSystemMetrics(SM_CXVSCROLL);
  for (TBiDiMode mode : kModes) {
    const bool rtl = mode == bdRightToLeft;
    auto* c = Place<TQvComboBox>(10, 10, 120, 21);
    c->SetStyle(csDropDownList);
    c->SetBiDiMode(mode);
    Show();
    auto [first, last] = InkColumns(c, 2, 19);
    ASSERT_GE(first, 0);
    if (rtl) EXPECT_LT(last, 2 + sb);
    else EXPECT_GE(first, 118 - sb);
    delete c;
  }
}

// The calendar's buttons change places when read right to left, and the left
// arrow steps forward.
TEST_F(RightToLeftEdits, CalendarSwapsItsButtonsAndArrows) {
  for (TBiDiMode mode : {bdLeftToRight, bdRightToLeftReadingOnly}) {
    const bool rtl = mode == bdRightToLeftReadingOnly;
    auto* c = Place<TQvCalendar>(10, 10, 50, 50);
    c->SetBiDiMode(mode);
    Show();
    c->SetDate(EncodeDate(2024, 5, 15));
    TRect today = c->AreaRect(caTodayButton), clear = c->AreaRect(caClearButton);
    ASSERT_FALSE(today.IsEmpty());
    EXPECT_EQ(today.Left < clear.Left, !rtl);
    TRect a = c->AreaRect(caLeftArrow);
    TPoint p{(a.Left + a.Right) / 2, (a.Top + a.Bottom) / 2};
    Press(c, p, true);
    Press(c, p, false);
    Application->ProcessMessages();
    EXPECT_EQ(c->ViewDate(), rtl ? EncodeDate(2024, 6, 1) : EncodeDate(2024, 4, 1));
    delete c;
  }
}

}  // namespace
