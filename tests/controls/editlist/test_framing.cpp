// The framing contract the framed edit, memo, hot-key edit, list box and combo box
// share: the same colour rules, hot-track rule and stored rules on every one of
// them, reached through the published names as a form stream reaches them.
#include <gtest/gtest.h>

#include "controls/common/framecontroller.h"
#include "controls/editlist/combobox.h"
#include "controls/editlist/edits.h"
#include "controls/editlist/listboxes.h"
#include "controls/editlist/memos.h"
#include "platform/core/typinfo.h"
#include "tests/controls/editlist/edit_fixture.h"

namespace {

const char* const kFramed[] = {"TQvEdit", "TQvMemo", "TQvHotKeyEdit", "TQvListBox", "TQvComboBox"};

struct Framing : EditTest {
  TControl* Make(const std::string& ClassName) {
    auto* c = static_cast<TControl*>(GetClass(ClassName)->Create(Form));
    c->SetBounds(10, 10, 120, 60);
    c->SetParent(Form);
    return c;
  }
  // Whether the form text of C holds a line "Name = ...".
  static bool Written(TComponent* C, const std::string& Name) {
    return TextOf(C).find("\n  " + Name + " = ") != std::string::npos;
  }
};

TEST_F(Framing, ColourSetFromOutsideBecomesTheNormalColourAndAnEqualFocusColourFollows) {
  for (const char* name : kFramed) {
    SCOPED_TRACE(name);
    TControl* c = Make(name);
    c->SetColor(clYellow);  // the focus colour was the normal colour (clWindow): it follows
    EXPECT_EQ(GetOrdProp(c, "FocusColor"), clYellow);
    SetOrdProp(c, "FocusColor", clAqua);
    c->SetColor(clLime);  // a focus colour of its own stays
    EXPECT_EQ(GetOrdProp(c, "FocusColor"), clAqua);
    c->SetEnabled(false);
    EXPECT_EQ(c->Color(), clBtnFace);  // DisabledColor
    EXPECT_TRUE(Written(c, "Color"));  // its own colour (clLime), not the disabled one
    c->SetEnabled(true);
    EXPECT_EQ(c->Color(), clLime);
    EXPECT_TRUE(Written(c, "Color"));
  }
}

TEST_F(Framing, HotTrackingShowsTheFrameOnAllSides) {
  for (const char* name : kFramed) {
    SCOPED_TRACE(name);
    TControl* c = Make(name);
    SetSetProp(c, "FrameSides", "[sdLeft]");
    SetOrdProp(c, "FrameHotTrack", 1);
    EXPECT_EQ(GetOrdProp(c, "FrameVisible"), 1);
    EXPECT_EQ(GetSetProp(c, "FrameSides"), "[sdLeft,sdTop,sdRight,sdBottom]");
    SetEnumProp(c, "FrameStyle", "fsFlatRounded");  // not a style of these controls
    EXPECT_EQ(GetEnumProp(c, "FrameStyle"), "fsFlat");
  }
}

TEST_F(Framing, WhatTheControllerSuppliesIsNotWritten) {
  auto* controller = new TQvFrameController(Form);
  controller->SetName("Frames");
  for (const char* name : kFramed) {
    SCOPED_TRACE(name);
    TControl* c = Make(name);
    SetOrdProp(c, "FrameColor", clRed);
    SetOrdProp(c, "DisabledColor", clGray);
    EXPECT_TRUE(Written(c, "FrameColor"));
    SetObjectProp(c, "FrameController", controller);
    SetOrdProp(c, "FrameColor", clRed);
    SetOrdProp(c, "DisabledColor", clGray);
    EXPECT_FALSE(Written(c, "FrameColor"));
    EXPECT_FALSE(Written(c, "DisabledColor"));
    EXPECT_TRUE(Written(c, "FrameController"));
    // The control no longer accepts the frame colour: it is its own again.
    SetSetProp(c, "FrameControllerNotifications", "[fcpDisabledColor]");
    EXPECT_TRUE(Written(c, "FrameColor"));
    EXPECT_FALSE(Written(c, "DisabledColor"));
  }
}

TEST_F(Framing, AControlShowingItsParentsColourStillDoesAfterAStream) {
  Form->SetColor(clTeal);
  for (const char* name : kFramed) {
    SCOPED_TRACE(name);
    TControl* c = Make(name);
    c->SetParentColor(true);
    EXPECT_EQ(c->Color(), clTeal);
    std::string text = TextOf(c);
    TControl* back = Make(name);
    ReadInto(text, back);
    EXPECT_TRUE(back->ParentColor());
    EXPECT_EQ(back->Color(), clTeal);
  }
}

TEST_F(Framing, ADisabledControlKeepsItsOwnColourThroughAStream) {
  for (const char* name : kFramed) {
    SCOPED_TRACE(name);
    TControl* c = Make(name);
    c->SetColor(clYellow);
    c->SetEnabled(false);
    std::string text = TextOf(c);
    TControl* back = Make(name);
    ReadInto(text, back);
    EXPECT_EQ(back->Color(), clBtnFace);  // shown disabled
    back->SetEnabled(true);
    EXPECT_EQ(back->Color(), clYellow);
  }
}

}  // namespace
