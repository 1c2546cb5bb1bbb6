// A stored form holds from its first save: a control on a shown form, in every
// alignment, shown or hidden, with and without items, written, read and written
// again gives the same text; and forms saved several times in a row do not move.
#include <functional>
#include <sstream>

#include "contract.h"
#include "controls/basic/radiogroups.h"
#include "controls/basic/statusbar.h"
#include "controls/basic/toolbar.h"
#include "platform/core/filer.h"
#include "platform/core/strings.h"
#include "platform/core/textform.h"
#include "platform/core/typinfo.h"
#include "tests/platform/controls/fixtures.h"

namespace {

std::string Written(TComponent* C) {
  TMemoryStream s;
  s.WriteComponent(C);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

class Stable : public ControlsTest {
protected:
  void SetUp() override {
    ControlsTest::SetUp();
    FramedClassNames();  // registers the classes
  }
  // A shown form with a 320 x 240 client area.
  TForm* ShownForm() {
    TForm* f = MakeForm("Host");
    f->SetBounds(100, 100, 320, 240);
    f->Show();
    return f;
  }
  // Writes Form, reads the text into a new shown form and returns that form.
  TForm* Saved(TForm* Form, std::string& Text) {
    std::string bytes = Written(Form);
    Text = FormBinaryToText(bytes);
    TForm* f = ShownForm();
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), f);
    return f;
  }
};

class StableClass : public Stable, public ::testing::WithParamInterface<std::string> {};

const char* const kAlignNames[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};

// Every class, on a shown form, in each alignment, shown and hidden, with and without
// items: the text written after a read is the text read.
TEST_P(StableClass, WrittenAgainAsRead) {
  const TClassInfo* cls = GetClass(GetParam());
  ASSERT_NE(cls, nullptr);
  TForm* host = ShownForm();
  const TPropInfo* align = cls->FindProp("Align");
  // A font list's items are the system's fonts, loaded again with its window.
  const bool fontList = cls->Name.find("Font") != std::string::npos;
  const TPropInfo* items = fontList ? nullptr : cls->FindProp("Items");
  bool control = cls->InheritsFrom(&TControl::StaticClass());
  auto make = [&] {
    auto* c = dynamic_cast<TComponent*>(cls->Create(host));
    c->SetName("Subject");
    if (auto* ctl = dynamic_cast<TControl*>(c)) ctl->SetParent(host);
    return c;
  };
  for (int al = 0; al < 6; ++al)
    for (bool visible : {true, false})
      for (bool filled : {false, true}) {
        if ((al && !align) || (!visible && !control) || (filled && !items)) continue;
        std::ostringstream what;
        what << GetParam() << " " << kAlignNames[al] << (visible ? "" : ", hidden") << (filled ? ", with items" : "");
        TComponent* c = make();
        if (auto* ctl = dynamic_cast<TControl*>(c)) {
          ctl->SetBounds(10, 20, ctl->Width(), ctl->Height());
          ctl->SetVisible(visible);
        }
        if (align) align->SetOrd(c, al);
        if (filled)
          if (auto* list = dynamic_cast<TStrings*>(items->GetObj(c)))
            for (const char* s : {"One", "Two", "A third, longer item", "Four"}) list->Add(s);
        std::string first = Written(c);
        delete c;
        c = make();
        ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(first.data()), first.size(), c);
        std::string second = Written(c);
        delete c;
        EXPECT_EQ(FormBinaryToText(second), FormBinaryToText(first)) << what.str();
      }
}

INSTANTIATE_TEST_SUITE_P(Framed, StableClass, ::testing::ValuesIn(FramedClassNames()),
                         [](const ::testing::TestParamInfo<std::string>& I) { return I.param; });

// A status bar of its own height stays where it was through saves, on a form without
// a window (not aligned yet) and on a shown one (at the bottom).
TEST_F(Stable, StatusBarHoldsThroughThreeSaves) {
  for (bool shown : {false, true}) {
    TForm* form = MakeForm("Host");
    form->SetBounds(100, 100, 320, 240);
    if (shown) form->Show();
    auto* bar = new TQvStatusBar(form);
    bar->SetName("Bar");
    bar->SetParent(form);
    bar->SetAutoStyle(false);
    bar->SetHeight(33);
    const int top = bar->Top();
    if (shown) {
      EXPECT_EQ(top, 240 - 33);
    }
    const std::string first = FormBinaryToText(Written(form));
    for (int save = 1; save <= 3; ++save) {
      std::string bytes = Written(form);
      EXPECT_EQ(FormBinaryToText(bytes), first) << (shown ? "shown" : "no window") << ", save " << save;
      form = MakeForm("Host");
      if (shown) form->Show();
      ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), form);
      auto* read = dynamic_cast<TQvStatusBar*>(form->FindComponent("Bar"));
      ASSERT_NE(read, nullptr);
      EXPECT_EQ(read->Top(), top) << (shown ? "shown" : "no window") << ", save " << save;
      EXPECT_EQ(read->Height(), 33) << (shown ? "shown" : "no window") << ", save " << save;
    }
  }
}

// Auto-sized radio and check groups take the width their items need, the same in both
// directions, and keep it through saves.
TEST_F(Stable, AutoSizedGroupsHoldThroughThreeSaves) {
  struct {
    const char* Class;
    bool SpaceEvenly;
  } cases[] = {{"TQvRadioGroup", false}, {"TQvRadioGroup", true}, {"TQvCheckGroup", false}, {"TQvCheckGroup", true}};
  for (const auto& k : cases) {
    int widths[2] = {0, 0};
    for (TBiDiMode mode : {bdLeftToRight, bdRightToLeft}) {
      std::string what = std::string(k.Class) + (k.SpaceEvenly ? " evenly spaced" : "") +
                         (mode == bdRightToLeft ? " right to left" : " left to right");
      TForm* form = ShownForm();
      auto* group = dynamic_cast<TQvCustomItemGroup*>(GetClass(k.Class)->Create(form));
      group->SetName("Group");
      group->SetParent(form);
      group->SetBiDiMode(mode);
      group->SetSpaceEvenly(k.SpaceEvenly);
      group->SetColumns(2);
      for (const char* s : {"One", "Two", "A third, longer item", "Four", "Five"}) group->Items()->Add(s);
      group->SetAutoSize(true);
      const int held = group->Width();
      std::string first, text;
      for (int save = 1; save <= 3; ++save) {
        form = Saved(form, text);
        if (save == 1) first = text;
        EXPECT_EQ(text, first) << what << ", save " << save;
        auto* read = dynamic_cast<TQvCustomItemGroup*>(form->FindComponent("Group"));
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->Width(), held) << what << ", save " << save;
        // Every item lies inside the group.
        for (int i = 0; i < read->ControlCount(); ++i) {
          TControl* b = read->Controls(i);
          EXPECT_GE(b->Left(), 0) << what << ", item " << i;
          EXPECT_LE(b->Left() + b->Width(), read->ClientWidth()) << what << ", item " << i;
        }
      }
      widths[mode == bdRightToLeft] = held;
    }
    EXPECT_EQ(widths[1], widths[0]) << k.Class << (k.SpaceEvenly ? " evenly spaced" : "");
  }
}

// AutoStyle holds the style whenever it is on: a border or border width set at run
// time turns it off and comes back from a form as set; turning it on at run time
// applies the style, which the form then holds too.
TEST_F(Stable, RunTimeStylesReadBackAsHeld) {
  struct TStyled {
    bool AutoStyle;
    int BorderWidth;
    TFrameStyleEx Inner, Outer;
    TSides Sides;
    bool operator==(const TStyled&) const = default;
  };
  auto bar = [](TQvCustomPanel* P, bool AutoStyle) {
    return TStyled{AutoStyle, P->BorderWidth(), P->BorderInner(), P->BorderOuter(), P->BorderSides()};
  };
  struct {
    const char* What;
    const char* Class;
    std::function<void(TQvCustomPanel*)> Set;
    TStyled Want;
  } cases[] = {
      {"status bar border width", "TQvStatusBar",
       [](TQvCustomPanel* p) { p->ClassInfo().FindProp("BorderWidth")->SetOrd(p, 4); },
       {false, 4, fsNone, fsNone, AllSides}},
      {"status bar inner border", "TQvStatusBar", [](TQvCustomPanel* p) { p->SetBorderInner(fsRaised); },
       {false, 0, fsRaised, fsNone, AllSides}},
      {"status bar sides, then AutoStyle", "TQvStatusBar",
       [](TQvCustomPanel* p) {
         p->SetBorderSides(TSides{sdTop});
         p->ClassInfo().FindProp("BorderWidth")->SetOrd(p, 2);
         static_cast<TQvStatusBar*>(p)->SetAutoStyle(true);
       },
       {true, 0, fsNone, fsNone, AllSides}},
      {"toolbar outer border", "TQvToolbar", [](TQvCustomPanel* p) { p->SetBorderOuter(fsRaised); },
       {false, 0, fsNone, fsRaised, TSides{sdTop}}},
      {"toolbar sides", "TQvToolbar", [](TQvCustomPanel* p) { p->SetBorderSides(AllSides); },
       {false, 0, fsNone, fsGroove, AllSides}},
      {"left toolbar inner border, then AutoStyle", "TQvToolbar",
       [](TQvCustomPanel* p) {
         static_cast<TQvToolbar*>(p)->SetAlign(alLeft);
         p->SetBorderInner(fsLowered);
         static_cast<TQvToolbar*>(p)->SetAutoStyle(true);
       },
       {true, 0, fsNone, fsGroove, TSides{sdLeft}}},
  };
  for (const auto& k : cases) {
    TForm* form = ShownForm();
    auto* p = dynamic_cast<TQvCustomPanel*>(GetClass(k.Class)->Create(form));
    p->SetName("Styled");
    p->SetParent(form);
    k.Set(p);
    auto autoStyle = [](TQvCustomPanel* P) { return P->ClassInfo().FindProp("AutoStyle")->GetOrd(P) != 0; };
    EXPECT_TRUE(bar(p, autoStyle(p)) == k.Want) << k.What << ": as set";
    std::string text;
    TForm* again = Saved(form, text);
    auto* read = dynamic_cast<TQvCustomPanel*>(again->FindComponent("Styled"));
    ASSERT_NE(read, nullptr) << k.What;
    EXPECT_TRUE(bar(read, autoStyle(read)) == k.Want) << k.What << ": as read from\n" << text;
  }
}

}  // namespace
