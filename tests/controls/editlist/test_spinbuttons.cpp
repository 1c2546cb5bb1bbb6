// The spin buttons and the rapid-fire button: layout, glyphs, the focus rule, keys,
// and repeats on the manual clock.
#include <gtest/gtest.h>

#include "controls/editlist/edits.h"
#include "controls/editlist/spinbuttons.h"
#include "tests/controls/editlist/edit_fixture.h"

namespace {

using SpinButtons = EditTest;

TEST_F(SpinButtons, TheButtonsSplitTheHeightOrTheWidth) {
  auto* b = Place<TQvSpinButtons>(10, 10, 17, 25);
  EXPECT_EQ(b->UpRightButton()->BoundsRect(), TRect(0, 0, 17, 12));
  EXPECT_EQ(b->DownLeftButton()->BoundsRect(), TRect(0, 12, 17, 25));
  b->SetOrientation(orHorizontal);  // the width doubles
  EXPECT_EQ(b->Width(), 34);
  b->SetBounds(10, 10, 33, 17);
  EXPECT_EQ(b->DownLeftButton()->BoundsRect(), TRect(0, 0, 16, 17));
  EXPECT_EQ(b->UpRightButton()->BoundsRect(), TRect(16, 0, 33, 17));
  b->SetOrientation(orVertical);
  EXPECT_EQ(b->Width(), 16);
}

TEST_F(SpinButtons, ArrowsFollowTheDirectionAndADirectionChangeDropsCustomGlyphs) {
  auto* b = Place<TQvSpinButtons>(10, 10, 17, 25);
  EXPECT_EQ(b->UpRightButton()->Style(), cbsUp);
  EXPECT_EQ(b->DownLeftButton()->Style(), cbsDown);
  TBitmap glyph(16, 8);
  b->SetUpRightGlyph(&glyph);
  EXPECT_TRUE(b->CustomUpRightGlyph());
  EXPECT_EQ(b->UpRightButton()->Style(), cbsNone);
  b->SetDirection(sdLeftRight);
  EXPECT_FALSE(b->CustomUpRightGlyph());
  EXPECT_TRUE(b->UpRightGlyph()->Empty());
  EXPECT_EQ(b->UpRightButton()->Style(), cbsRight);
  EXPECT_EQ(b->DownLeftButton()->Style(), cbsLeft);
  // A glyph assigned to the button's own bitmap counts as custom too.
  b->DownLeftGlyph()->Assign(&glyph);
  EXPECT_TRUE(b->CustomDownLeftGlyph());
  EXPECT_EQ(b->DownLeftButton()->Style(), cbsNone);
  b->SetName("B");
  EXPECT_NE(TextOf(b).find("GlyphDownLeft"), std::string::npos);
  EXPECT_EQ(TextOf(b).find("GlyphUpRight"), std::string::npos);
}

// A press hands the focus to FocusControl; a control that refuses it (its OnEnter
// moves the focus away) gets no click.
TEST_F(SpinButtons, APressWhoseFocusChangeIsRefusedDoesNotClick) {
  auto* other = Place<TQvEdit>(10, 100, 100, 21);
  auto* target = Place<TQvEdit>(10, 60, 100, 21);
  auto* b = Place<TQvSpinButtons>(150, 10, 17, 25);
  b->SetFocusControl(target);
  int clicks = 0;
  b->OnUpRightClick = [&](TObject*) { ++clicks; };
  Show();
  other->SetFocus();
  Press(b->UpRightButton(), {5, 5}, true);
  Press(b->UpRightButton(), {5, 5}, false);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(target->Focused());
  other->SetFocus();
  target->OnEnter = [&](TObject*) { other->SetFocus(); };
  Press(b->UpRightButton(), {5, 5}, true);
  Press(b->UpRightButton(), {5, 5}, false);
  Advance(1000);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(b->UpRightButton()->IsDown());
}

TEST_F(SpinButtons, UpAndDownKeysClickWhenTheButtonsHaveTheFocus) {
  auto* b = Place<TQvSpinButtons>(10, 10, 17, 25);
  b->SetTabStop(true);
  std::string log;
  b->OnUpRightClick = [&](TObject*) { log += "u"; };
  b->OnDownLeftClick = [&](TObject*) { log += "d"; };
  Show();
  b->SetFocus();
  Key(VK_UP);
  Key(VK_DOWN);
  Key(VK_LEFT);
  Key(VK_RIGHT);
  EXPECT_EQ(log, "ud");
}

TEST_F(SpinButtons, ARapidFireButtonRepeatsWhileHeldAndStopsWhenItsPressEnds) {
  auto* r = Place<TQvRapidFireButton>(10, 10, 23, 22);
  int clicks = 0;
  r->OnClick = [&](TObject*) { ++clicks; };
  Show();
  Press(r, {5, 5}, true);
  Advance(390);
  EXPECT_EQ(clicks, 0);
  Advance(10);
  EXPECT_EQ(clicks, 1);
  Advance(300);
  EXPECT_EQ(clicks, 4);
  Press(r, {5, 5}, false);
  EXPECT_EQ(clicks, 5);
  Advance(500);
  EXPECT_EQ(clicks, 5);
  // Disabled while held: no more repeats.
  Press(r, {5, 5}, true);
  Advance(400);
  r->SetEnabled(false);
  Advance(500);
  EXPECT_EQ(clicks, 6);
  EXPECT_FALSE(r->RepeatTimer()->Enabled());
}

TEST_F(SpinButtons, TheScrollStyleBuildsAnArrowGlyph) {
  auto* r = Place<TQvRapidFireButton>(10, 10, 23, 22);
  struct Case { TQvScrollStyle style; int w, h; };
  const Case cases[] = {{scsUp, 9, 6}, {scsDown, 9, 6}, {scsLeft, 9, 9}, {scsRight, 9, 9}};
  for (const Case& c : cases) {
    r->SetScrollStyle(c.style);
    EXPECT_EQ(r->Glyph()->Width(), c.w);
    EXPECT_EQ(r->Glyph()->Height(), c.h);
  }
  r->SetScrollStyle(scsNone);
  EXPECT_TRUE(r->Glyph()->Empty());
}

}  // namespace
