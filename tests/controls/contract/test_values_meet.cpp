// Values that meet while a form is read, case by case: a rule between two values
// runs once the form is loaded, so the order of the lines does not decide it, and
// forms written before keep loading as they did.
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "contract.h"
#include "controls/basic/bitbuttons.h"
#include "controls/basic/labels.h"
#include "controls/basic/meter.h"
#include "controls/basic/radiogroups.h"
#include "controls/basic/shapebutton.h"
#include "controls/basic/tbspeedbuttons.h"
#include "controls/basic/toolbar.h"
#include "controls/basic/toolbutton.h"
#include "controls/common/framecontroller.h"
#include "controls/basic/colorpicker.h"
#include "controls/basic/radiocheck.h"
#include "controls/editlist/checklist.h"
#include "controls/editlist/colorcombo.h"
#include "controls/editlist/dateedits.h"
#include "controls/editlist/edits.h"
#include "controls/editlist/memos.h"
#include "controls/editlist/spinbuttons.h"
#include "controls/editlist/tabbedlist.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/hotkey.h"
#include "tests/platform/controls/fixtures.h"

namespace {

class ValuesMeet : public ControlsTest {
protected:
  void SetUp() override {
    ControlsTest::SetUp();
    FramedClassNames();  // registers the classes
  }
  // Reads "object Host: TForm ... end" around Body into a new form.
  TForm* ReadForm(const std::string& Body) {
    TForm* f = Own(new TForm(nullptr));
    std::string bin = FormTextToBinary("object Host: TForm\n" + Body + "end\n");
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), f);
    return f;
  }
  // Writes Form and reads it into a new form.
  TForm* Again(TForm* Form) {
    TMemoryStream s;
    s.WriteComponent(Form);
    TForm* f = Own(new TForm(nullptr));
    ReadComponentFromBytes(static_cast<const uint8_t*>(s.Memory()), static_cast<size_t>(s.Size()), f);
    return f;
  }
  template <class T>
  static T* Get(TForm* F, const char* Name) {
    return dynamic_cast<T*>(F->FindComponent(Name));
  }
};

TEST_F(ValuesMeet, MeterRangeReadInAnyOrder) {
  struct {
    const char* Lines;
    int Min, Max, Value;
  } cases[] = {
      {"Min = 100\n Max = 200\n", 100, 200, 100},
      {"Max = 200\n Min = 100\n", 100, 200, 100},
      {"Value = 150\n Min = 100\n Max = 200\n", 100, 200, 150},
      // Forms of one value keep the setters' rule: Min meeting the default Max moves
      // below it, Max meeting the default Min above it, Value stays within range.
      {"Min = 100\n", 99, 100, 99},
      {"Max = 0\n", 0, 1, 0},
      {"Value = 150\n", 0, 100, 100},
  };
  for (const auto& c : cases) {
    TForm* f = ReadForm(std::string("  object M: TQvMeter\n ") + c.Lines + "  end\n");
    auto* m = Get<TQvMeter>(f, "M");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Min(), c.Min) << c.Lines;
    EXPECT_EQ(m->Max(), c.Max) << c.Lines;
    EXPECT_EQ(m->Value(), c.Value) << c.Lines;
    // Outside reading the setters keep their rule.
    m->SetMin(m->Max());
    EXPECT_EQ(m->Min(), c.Max - 1);
  }
}

TEST_F(ValuesMeet, DownToolButtonInAGroup) {
  TForm* f = ReadForm(
      "  object A: TQvToolButton\n    Down = True\n    GroupIndex = 1\n  end\n"
      "  object B: TQvToolButton\n    GroupIndex = 1\n  end\n"
      "  object C: TQvToolButton\n    Down = True\n  end\n");
  EXPECT_TRUE(Get<TQvToolButton>(f, "A")->Down());
  EXPECT_FALSE(Get<TQvToolButton>(f, "B")->Down());
  EXPECT_FALSE(Get<TQvToolButton>(f, "C")->Down()) << "a button outside a group is never down";
  TForm* g = Again(f);
  EXPECT_TRUE(Get<TQvToolButton>(g, "A")->Down());
  // The same for the push button and the toolbar speed button.
  TForm* h = ReadForm(
      "  object P: TQvButton\n    Down = True\n    GroupIndex = 2\n  end\n"
      "  object S: TQvToolbarButton\n    Down = True\n    GroupIndex = 3\n  end\n");
  EXPECT_TRUE(Get<TQvButton>(h, "P")->Down());
  EXPECT_TRUE(Get<TQvToolbarButton>(h, "S")->Down());
}

TEST_F(ValuesMeet, ShapeButtonCentredAfterCaptionXY) {
  TForm* f = MakeForm();
  auto* b = new TQvShapeButton(f);
  b->SetName("S");
  b->SetParent(f);
  b->SetCaptionX(10);
  b->SetCaptionY(5);
  EXPECT_EQ(b->CaptionPosition(), cpXY);
  b->SetCaptionPosition(cpCentered);
  auto* copy = Get<TQvShapeButton>(Again(f), "S");
  EXPECT_EQ(copy->CaptionPosition(), cpCentered);
  EXPECT_EQ(copy->CaptionX(), 10);
  EXPECT_EQ(copy->CaptionY(), 5);
  // A form that gives only the coordinates places the caption there.
  auto* old = Get<TQvShapeButton>(ReadForm("  object S: TQvShapeButton\n    CaptionX = 10\n  end\n"), "S");
  EXPECT_EQ(old->CaptionPosition(), cpXY);
}

TEST_F(ValuesMeet, OldUseGradientsInsideAndOutsideAToolbar) {
  const char* button = "    UseGradients = True\n";
  TForm* f = ReadForm(std::string("  object T: TQvToolbar\n    object In: TQvToolButton\n  ") + button +
                      "    end\n  end\n  object Out: TQvToolButton\n" + button + "  end\n");
  for (const char* name : {"In", "Out"}) {
    auto* b = Get<TQvToolButton>(f, name);
    ASSERT_NE(b, nullptr) << name;
    EXPECT_EQ(b->VisualStyle(), vsGradient) << name;
    EXPECT_FALSE(b->UseToolbarVisualStyle()) << name;
  }
  TForm* g = Again(f);
  EXPECT_EQ(Get<TQvToolButton>(g, "In")->VisualStyle(), vsGradient);
  EXPECT_EQ(Get<TQvToolButton>(g, "Out")->VisualStyle(), vsGradient);
}

TEST_F(ValuesMeet, BitButtonKindKeepsCaptionAndGlyphCountReadBeforeIt) {
  TForm* f = MakeForm();
  auto* b = new TQvBitBtn(f);
  b->SetName("B");
  b->SetParent(f);
  b->SetKind(bkOK);
  b->SetCaption("");
  b->SetNumGlyphs(1);
  auto* copy = Get<TQvBitBtn>(Again(f), "B");
  EXPECT_EQ(copy->GetKind(), bkOK);
  EXPECT_EQ(copy->Caption(), "");
  EXPECT_EQ(copy->NumGlyphs(), 1);
  auto* plain = Get<TQvBitBtn>(ReadForm("  object B: TQvBitBtn\n    Kind = bkOK\n  end\n"), "B");
  EXPECT_EQ(plain->Caption(), "OK");
  EXPECT_EQ(plain->NumGlyphs(), 2);
}

TEST_F(ValuesMeet, LabelAutoSizeBesideCondenseCaption) {
  struct {
    const char* Lines;
    bool AutoSize;
  } cases[] = {
      {"CondenseCaption = ccAtEnd\n    AutoSize = True\n", true},
      {"AutoSize = True\n    CondenseCaption = ccAtEnd\n", true},
      {"CondenseCaption = ccWithinPath\n    AutoSize = False\n", false},
      // Forms of before: a condensed caption without an AutoSize line is not sized.
      {"CondenseCaption = ccAtEnd\n", false},
  };
  for (const auto& c : cases) {
    auto* l = Get<TQvLabel>(ReadForm(std::string("  object L: TQvLabel\n    ") + c.Lines + "  end\n"), "L");
    ASSERT_NE(l, nullptr) << c.Lines;
    EXPECT_EQ(l->AutoSize(), c.AutoSize) << c.Lines;
    EXPECT_NE(l->CondenseCaption(), ccNone) << c.Lines;
    // Outside reading, condensing still turns AutoSize off.
    l->SetCondenseCaption(ccNone);
    l->SetAutoSize(true);
    l->SetCondenseCaption(ccAtEnd);
    EXPECT_FALSE(l->AutoSize()) << c.Lines;
  }
  TForm* f = MakeForm();
  auto* l = new TQvLabel(f);
  l->SetName("L");
  l->SetParent(f);
  l->SetCondenseCaption(ccAtEnd);
  l->SetAutoSize(true);
  auto* copy = Get<TQvLabel>(Again(f), "L");
  EXPECT_TRUE(copy->AutoSize());
  EXPECT_EQ(copy->CondenseCaption(), ccAtEnd);
}

TEST_F(ValuesMeet, ColorEditDropButtonBesideReadOnly) {
  struct {
    const char* Lines;
    bool ReadOnly, DropButtonVisible;
  } cases[] = {
      {"ReadOnly = True\n    DropButtonVisible = True\n", true, true},
      {"DropButtonVisible = True\n    ReadOnly = True\n", true, true},
      {"DropButtonVisible = False\n    ReadOnly = True\n", true, false},
      {"DropButtonVisible = False\n", false, false},
      // Forms of before: a read-only edit without a DropButtonVisible line hides it.
      {"ReadOnly = True\n", true, false},
  };
  for (const auto& c : cases) {
    auto* e = Get<TQvColorEdit>(ReadForm(std::string("  object E: TQvColorEdit\n    ") + c.Lines + "  end\n"), "E");
    ASSERT_NE(e, nullptr) << c.Lines;
    EXPECT_EQ(e->ReadOnly(), c.ReadOnly) << c.Lines;
    EXPECT_EQ(e->DropButtonVisible(), c.DropButtonVisible) << c.Lines;
    // Outside reading, ReadOnly hides the button and gives it back.
    e->SetReadOnly(false);
    e->SetReadOnly(true);
    EXPECT_FALSE(e->DropButtonVisible()) << c.Lines;
    e->SetReadOnly(false);
    EXPECT_TRUE(e->DropButtonVisible()) << c.Lines;
  }
  TForm* f = MakeForm();
  auto* e = new TQvColorEdit(f);
  e->SetName("E");
  e->SetParent(f);
  e->SetReadOnly(true);
  e->SetDropButtonVisible(true);
  auto* copy = Get<TQvColorEdit>(Again(f), "E");
  EXPECT_TRUE(copy->ReadOnly());
  EXPECT_TRUE(copy->DropButtonVisible());
}

TEST_F(ValuesMeet, HotKeyBesideItsRulesInAnyOrder) {
  const TShortCut shiftA = scShift | 'A';
  struct {
    const char* Lines;
    TShortCut HotKey;
  } cases[] = {
      {"HotKey = 8257\n    InvalidKeys = []\n", shiftA},
      {"InvalidKeys = []\n    HotKey = 8257\n", shiftA},
      // The rules still correct a key they refuse, whichever line comes first.
      {"HotKey = 8257\n    Modifiers = [hkCtrl]\n", scCtrl | 'A'},
      {"Modifiers = [hkCtrl]\n    HotKey = 8257\n", scCtrl | 'A'},
      {"HotKey = 8257\n", scAlt | 'A'},
  };
  for (const char* cls : {"TQvHotKeyEdit", "THotKey"})
    for (const auto& c : cases) {
      auto* k = Get<TCustomHotKey>(
          ReadForm(std::string("  object K: ") + cls + "\n    " + c.Lines + "  end\n"), "K");
      ASSERT_NE(k, nullptr) << cls << " " << c.Lines;
      EXPECT_EQ(k->HotKey(), c.HotKey) << cls << " " << c.Lines;
      // Outside reading the rules apply at once.
      k->SetModifiers({hkAlt});
      k->SetInvalidKeys({hcShift});
      k->SetHotKey(scShift | 'B');
      EXPECT_EQ(k->HotKey(), scAlt | 'B') << cls << " " << c.Lines;
    }
  TForm* f = MakeForm();
  auto* k = new TQvHotKeyEdit(f);
  k->SetName("K");
  k->SetParent(f);
  k->SetInvalidKeys({});
  k->SetHotKey(shiftA);
  EXPECT_EQ(Get<TQvHotKeyEdit>(Again(f), "K")->HotKey(), shiftA);
}

const char* const kFramedColoured[] = {"TQvEdit", "TQvMemo", "TQvRichEdit", "TQvHotKeyEdit", "TQvListBox",
                                       "TQvComboBox"};

TEST_F(ValuesMeet, FramedParentColorBesideColourLines) {
  struct {
    const char* Lines;
    bool ParentColor;
    TColor Color;
  } cases[] = {
      {"Color = clAqua\n    ParentColor = True\n", true, clAqua},
      {"ParentColor = True\n    Color = clAqua\n", true, clAqua},
      // A colour line of its own does not turn off a ParentColor line, before or after.
      {"ParentColor = True\n    Color = clRed\n", true, clAqua},
      {"Color = clRed\n    ParentColor = True\n", true, clAqua},
      {"Color = clRed\n", false, clRed},
  };
  for (const char* cls : kFramedColoured)
    for (const auto& c : cases) {
      TForm* f = ReadForm(std::string("  Color = clAqua\n  object C: ") + cls + "\n    " + c.Lines + "  end\n");
      auto* ctl = Get<TControl>(f, "C");
      ASSERT_NE(ctl, nullptr) << cls << " " << c.Lines;
      EXPECT_EQ(ctl->ParentColor(), c.ParentColor) << cls << " " << c.Lines;
      EXPECT_EQ(ctl->Color(), c.Color) << cls << " " << c.Lines;
      f->SetColor(clLime);
      EXPECT_EQ(ctl->Color(), c.ParentColor ? clLime : clRed) << cls << " " << c.Lines;
    }
}

// A frame controller that supplies ParentColor decides it, whether the form lists it
// before or after the control that names it.
TEST_F(ValuesMeet, FramedParentColorSuppliedByTheControllerInEitherOrder) {
  const std::string controller = "  object FC: TQvFrameController\n    Color = clYellow\n  end\n";
  for (const char* cls : kFramedColoured) {
    const std::string control =
        std::string("  object C: ") + cls + "\n    FrameController = FC\n    ParentColor = True\n  end\n";
    for (bool controllerFirst : {true, false}) {
      TForm* f = ReadForm("  Color = clAqua\n" + (controllerFirst ? controller + control : control + controller));
      auto* ctl = Get<TControl>(f, "C");
      ASSERT_NE(ctl, nullptr) << cls;
      EXPECT_FALSE(ctl->ParentColor()) << cls << (controllerFirst ? " after" : " before") << " the controller";
      EXPECT_EQ(ctl->Color(), clYellow) << cls << (controllerFirst ? " after" : " before") << " the controller";
    }
  }
}

// The memo, rich edit and hot-key edit settle their framing when loaded as the
// framed edit does: a focus colour read equal to Color follows it afterwards, as one
// set in code does.
TEST_F(ValuesMeet, FramingSettledWhenLoaded) {
  for (const char* cls : {"TQvEdit", "TQvMemo", "TQvRichEdit", "TQvHotKeyEdit"}) {
    TForm* f = ReadForm(std::string("  object C: ") + cls + "\n    Color = clYellow\n    FocusColor = clYellow\n  end\n");
    auto* ctl = Get<TControl>(f, "C");
    ASSERT_NE(ctl, nullptr) << cls;
    ctl->SetColor(clLime);
    EXPECT_EQ(GetOrdProp(ctl, "FocusColor"), clLime) << cls;
  }
}

// Under a form without the 3-D look, a framed control takes the parent's look unless
// its frame is shown: a frame read gives the 3-D look once loaded, and a Ctl3D or
// ParentCtl3D line of its own wins over both.
TEST_F(ValuesMeet, FramedCtl3DUnderAFlatForm) {
  const struct {
    const char* Lines;
    bool Ctl3D;
  } cases[] = {
      {"", false},
      {"    FrameVisible = True\n", true},
      {"    FrameVisible = True\n    Ctl3D = False\n", false},
      {"    ParentCtl3D = False\n", true},
  };
  for (const char* cls : {"TQvEdit", "TQvMemo", "TQvListBox"})
    for (const auto& c : cases) {
      TForm* f = ReadForm(std::string("  Ctl3D = False\n  object C: ") + cls + "\n" + c.Lines + "  end\n");
      auto* ctl = Get<TWinControl>(f, "C");
      ASSERT_NE(ctl, nullptr) << cls;
      EXPECT_EQ(ctl->Ctl3D(), c.Ctl3D) << cls << "\n" << c.Lines;
      EXPECT_EQ(Get<TWinControl>(Again(f), "C")->Ctl3D(), c.Ctl3D) << cls << " written and read\n" << c.Lines;
    }
}

// The frame controller: a focus colour and a frame the form gives are kept whatever
// Color or FrameHotTrack is read before or after them; a form without them keeps
// deriving them as it always did.
TEST_F(ValuesMeet, FrameControllerFocusColorAndFrameReadInAnyOrder) {
  struct {
    const char* Lines;
    TColor FocusColor;
    bool FrameVisible;
  } cases[] = {
      {"Color = clMaroon\n", clMaroon, false},
      {"Color = clMaroon\n FocusColor = clWindow\n", clWindow, false},
      {"FocusColor = clWindow\n Color = clMaroon\n", clWindow, false},
      {"FocusColor = clNavy\n Color = clMaroon\n", clNavy, false},
      {"FrameHotTrack = True\n", clWindow, true},
      {"FrameHotTrack = True\n FrameVisible = False\n", clWindow, false},
      {"FrameVisible = False\n FrameHotTrack = True\n", clWindow, false},
      // Retired FrameFlat turns hot tracking on: it shows the frame unless the form
      // says otherwise.
      {"FrameFlat = True\n", clWindow, true},
      {"FrameVisible = False\n FrameFlat = True\n", clWindow, false},
  };
  for (const auto& c : cases) {
    TForm* f = ReadForm(std::string("  object F: TQvFrameController\n ") + c.Lines + "  end\n");
    auto* fc = Get<TQvFrameController>(f, "F");
    ASSERT_NE(fc, nullptr) << c.Lines;
    EXPECT_EQ(fc->FocusColor(), c.FocusColor) << c.Lines;
    EXPECT_EQ(fc->FrameVisible(), c.FrameVisible) << c.Lines;
    auto* copy = Get<TQvFrameController>(Again(f), "F");
    EXPECT_EQ(copy->FocusColor(), c.FocusColor) << c.Lines;
    EXPECT_EQ(copy->FrameVisible(), c.FrameVisible) << c.Lines;
    // Once loaded the setters keep their rules: Color moves a focus colour equal to
    // it, hot tracking shows the frame.
    fc->SetFocusColor(fc->Color());
    fc->SetColor(clTeal);
    EXPECT_EQ(fc->FocusColor(), clTeal) << c.Lines;
    fc->SetFrameHotTrack(false);
    fc->SetFrameVisible(false);
    fc->SetFrameHotTrack(true);
    EXPECT_TRUE(fc->FrameVisible()) << c.Lines;
  }
}

// The captions of a hidden colour group are the combo box's own too: stored, read,
// and put into the list when the group is shown, also after the window was gone.
TEST_F(ValuesMeet, ColorComboKeepsTheNamesOfHiddenGroups) {
  struct TGroup {
    const char* Name;
    void (TQvColorComboBox::*Show)(bool);
    void (*Rename)(TQvColorNames*, const std::string&);
    std::string (*Caption)(TQvColorNames*);
    int Item;  // the caption's item with every group shown
  };
  const TGroup groups[] = {
      {"Default", &TQvColorComboBox::SetShowDefaultColor,
       [](TQvColorNames* n, const std::string& v) { n->SetDefault(v); },
       [](TQvColorNames* n) { return n->Default(); }, 0},
      {"ScrollBar", &TQvColorComboBox::SetShowSysColors,
       [](TQvColorNames* n, const std::string& v) { n->SetSys(0, v); },
       [](TQvColorNames* n) { return n->Sys(0); }, 17},
      {"Custom", &TQvColorComboBox::SetShowCustomColor,
       [](TQvColorNames* n, const std::string& v) { n->SetCustom(v); },
       [](TQvColorNames* n) { return n->Custom(); }, 42},
  };
  for (const TGroup& g : groups) {
    TForm* f = MakeForm();
    auto* cb = new TQvColorComboBox(f);
    cb->SetName("C");
    cb->SetParent(f);
    cb->HandleNeeded();
    (cb->*g.Show)(false);
    g.Rename(cb->ColorNames(), "Mine");
    auto* copy = Get<TQvColorComboBox>(Again(f), "C");
    EXPECT_EQ(g.Caption(copy->ColorNames()), "Mine") << g.Name;
    // Shown while the window is gone, the group comes back with its caption.
    cb->HandleNeeded();
    cb->SetParent(nullptr);
    EXPECT_FALSE(cb->HandleAllocated()) << g.Name;
    (cb->*g.Show)(true);
    cb->SetParent(f);
    cb->HandleNeeded();
    ASSERT_EQ(cb->Items()->Count(), 43) << g.Name;
    EXPECT_EQ(cb->Items()->Strings(g.Item), "Mine") << g.Name;
    EXPECT_EQ(g.Caption(cb->ColorNames()), "Mine") << g.Name;
  }
}

// The colour combo box selects the colour read once the form is loaded, so that
// DefaultColor, CustomColor and the Show... flags read after it do not move it.
TEST_F(ValuesMeet, ColorComboSelectsTheColourReadOnceLoaded) {
  struct {
    const char* Lines;
    TColor Selected, Custom;
    int Index;
  } cases[] = {
      {"DefaultColor = clMaroon\n SelectedColor = clBlack\n", clBlack, 0, 1},
      {"SelectedColor = clBlack\n DefaultColor = clMaroon\n", clBlack, 0, 1},
      // The Default item comes first when it has the colour.
      {"SelectedColor = clMaroon\n DefaultColor = clMaroon\n", clMaroon, 0, 0},
      {"SelectedColor = clLime\n ShowDefaultColor = False\n", clLime, 0, 10},
      {"SelectedColor = 1193046\n CustomColor = clNavy\n", 1193046, 1193046, 42},
      // Without a Custom item a colour that is in no item stays the selection.
      {"SelectedColor = 1193046\n ShowCustomColor = False\n", 1193046, 1193046, -1},
  };
  for (const auto& c : cases) {
    TForm* f = ReadForm(std::string("  object C: TQvColorComboBox\n ") + c.Lines + "  end\n");
    auto* cb = Get<TQvColorComboBox>(f, "C");
    ASSERT_NE(cb, nullptr) << c.Lines;
    EXPECT_EQ(cb->GetSelectedColor(), c.Selected) << c.Lines;
    EXPECT_EQ(cb->CustomColor(), c.Custom) << c.Lines;
    EXPECT_EQ(cb->ItemIndex(), c.Index) << c.Lines;
    EXPECT_EQ(Get<TQvColorComboBox>(Again(f), "C")->GetSelectedColor(), c.Selected) << c.Lines;
  }
}

// An item font a form gives is the group's own, whatever Font is read before or
// after it, even one equal to a new group's; without it the item font follows Font.
TEST_F(ValuesMeet, ItemGroupFontReadInAnyOrder) {
  struct {
    const char* Lines;
    int Height;
    TFontPitch Pitch;
    bool Own;
  } cases[] = {
      {"Font.Height = -16\n", -16, fpDefault, false},
      {"Font.Height = -16\n ItemFont.Height = -13\n", -13, fpDefault, true},
      {"Font.Height = -16\n ItemFont.Height = -11\n", -11, fpDefault, true},
      {"ItemFont.Height = -11\n Font.Height = -16\n", -11, fpDefault, true},
      {"ItemFont.Name = 'MS Sans Serif'\n Font.Height = -16\n", -11, fpDefault, true},
      // A line left out holds its default, not what Font gave.
      {"Font.Pitch = fpFixed\n ItemFont.Height = -11\n", -11, fpDefault, true},
      {"Font.Pitch = fpFixed\n ItemFont.Pitch = fpVariable\n", -11, fpVariable, true},
  };
  for (const char* cls : {"TQvRadioGroup", "TQvCheckGroup"})
    for (const auto& c : cases) {
      std::string what = std::string(cls) + ": " + c.Lines;
      TForm* f = ReadForm(std::string("  object G: ") + cls + "\n    ParentFont = False\n " + c.Lines + "  end\n");
      auto* g = Get<TQvCustomItemGroup>(f, "G");
      ASSERT_NE(g, nullptr) << what;
      EXPECT_EQ(g->ItemFont()->Height(), c.Height) << what;
      EXPECT_EQ(g->ItemFont()->Pitch(), c.Pitch) << what;
      EXPECT_EQ(g->ItemFontSet(), c.Own) << what;
      auto* copy = Get<TQvCustomItemGroup>(Again(f), "G");
      EXPECT_EQ(copy->ItemFont()->Height(), c.Height) << what;
      EXPECT_EQ(copy->ItemFontSet(), c.Own) << what;
      // Once loaded, only a following item font takes a new Font.
      g->Font()->SetHeight(-20);
      EXPECT_EQ(g->ItemFont()->Height(), c.Own ? c.Height : -20) << what;
    }
  // A descendant form's stream, read over its ancestor's, leaves out what equals
  // the ancestor's item font: those values stay the ancestor's.
  for (const char* cls : {"TQvRadioGroup", "TQvCheckGroup"}) {
    TForm* f = ReadForm(std::string("  object G: ") + cls + "\n    ParentFont = False\n    Font.Pitch = fpFixed\n  end\n");
    const std::string bin = FormTextToBinary(std::string("inherited Host: TForm\n  inherited G: ") + cls +
                                             "\n    ItemFont.Height = -20\n  end\nend\n");
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), f);
    auto* g = Get<TQvCustomItemGroup>(f, "G");
    EXPECT_EQ(g->ItemFont()->Height(), -20) << cls;
    EXPECT_EQ(g->ItemFont()->Pitch(), fpFixed) << cls;
  }
}


// The text form of a component written on its own, with its property lines (each
// with its continuation lines) in reverse order.
std::string LinesReversed(const std::string& Text) {
  std::istringstream in(Text);
  std::string line, head, tail, out;
  std::getline(in, head);
  std::vector<std::string> entries;
  while (std::getline(in, line)) {
    if (line.rfind("  ", 0) == 0 && line[2] != ' ') entries.push_back(line + "\n");
    else if (line.rfind("    ", 0) == 0 && !entries.empty()) entries.back() += line + "\n";
    else tail += line + "\n";
  }
  for (auto e = entries.rbegin(); e != entries.rend(); ++e) out += *e;
  return head + "\n" + out + tail;
}

// Values a control holds, each beside the one it meets, on a shown form: written and
// read back, with the lines as written and reversed, they are the ones held.
TEST_F(ValuesMeet, HeldValuesComeBackInAnyLineOrder) {
  struct TCase {
    const char* What;
    const char* ClassName;
    std::function<void(TComponent*)> Set;
    std::function<std::string(TComponent*)> Held;  // the values compared, as text
  };
  auto strip = [](int W, int H) {
    auto b = std::make_unique<TBitmap>(W, H);
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FillRect(TRect(0, 0, W, H));
    return b;
  };
  const TCase cases[] = {
      {"picker rows beside AutoSize off", "TQvColorPicker",
       [](TComponent* c) {
         auto* p = static_cast<TQvColorPicker*>(c);
         p->SetAutoSize(false);
         p->SetShowNoColor(true);
         p->SetShowSystemColors(true);
       },
       [](TComponent* c) { return std::to_string(static_cast<TControl*>(c)->Height()); }},
      {"a date with a time of day", "TQvDateTimeEdit",
       [](TComponent* c) { static_cast<TQvDateTimeEdit*>(c)->SetDate(45000.25); },
       [](TComponent* c) { return std::to_string(static_cast<double>(static_cast<TQvDateTimeEdit*>(c)->Value())); }},
      {"a time with a date", "TQvDateTimeEdit",
       [](TComponent* c) { static_cast<TQvDateTimeEdit*>(c)->SetTime(45000.75); },
       [](TComponent* c) {
         auto* e = static_cast<TQvDateTimeEdit*>(c);
         return std::to_string(static_cast<double>(e->Value())) + (e->EditType() == etTime ? " time" : " date");
       }},
      {"focus colour of another constant with the same RGB", "TQvEdit",
       [](TComponent* c) {
         auto* e = static_cast<TQvEdit*>(c);
         e->SetColor(clWindowFrame);
         e->SetFocusColor(clBlack);
       },
       [](TComponent* c) { return std::to_string(static_cast<TQvEdit*>(c)->FocusColor()); }},
      {"meter Min meeting Max", "TQvMeter",
       [](TComponent* c) {
         auto* m = static_cast<TQvMeter*>(c);
         m->SetMax(100);
         m->SetMin(100);
       },
       [](TComponent* c) {
         auto* m = static_cast<TQvMeter*>(c);
         return std::to_string(m->Min()) + ".." + std::to_string(m->Max()) + " " + std::to_string(m->Value());
       }},
      {"NumGlyphs beside an arrow glyph", "TQvRapidFireButton",
       [](TComponent* c) {
         auto* b = static_cast<TQvRapidFireButton*>(c);
         b->SetScrollStyle(scsLeft);
         b->SetNumGlyphs(4);
       },
       [](TComponent* c) { return std::to_string(static_cast<TQvRapidFireButton*>(c)->NumGlyphs()); }},
      {"controller colour beside ParentColor", "TQvFrameController",
       [](TComponent* c) {
         auto* f = static_cast<TQvFrameController*>(c);
         f->SetColor(clMaroon);
         f->SetParentColor(true);
       },
       [](TComponent* c) {
         auto* f = static_cast<TQvFrameController*>(c);
         return std::to_string(f->Color()) + (f->ParentColor() ? " parent" : " own");
       }},
      {"ParentColor on a read-only edit", "TQvEdit",
       [](TComponent* c) {
         auto* e = static_cast<TQvEdit*>(c);
         e->SetReadOnly(true);
         e->SetParentColor(true);
       },
       [](TComponent* c) {
         auto* e = static_cast<TQvEdit*>(c);
         return std::string(e->ParentColor() ? "parent " : "own ") + std::to_string(e->Color());
       }},
      {"check list states", "TQvCheckList",
       [](TComponent* c) {
         auto* l = static_cast<TQvCheckList*>(c);
         for (const char* s : {"a", "b", "c"}) l->Items()->Add(s);
         l->SetItemState(0, cbChecked);
         l->SetItemState(2, cbGrayed);
         l->SetItemEnabled(1, false);
       },
       [](TComponent* c) {
         auto* l = static_cast<TQvCheckList*>(c);
         std::string out;
         for (int i = 0; i < l->Items()->Count(); ++i)
           out += l->Items()->Strings(i) + std::to_string(static_cast<int>(l->GetItemState(i))) +
                  (l->GetItemEnabled(i) ? "+ " : "- ");
         return out;
       }},
      {"check list custom glyphs", "TQvCheckList",
       [strip](TComponent* c) {
         static_cast<TQvCheckList*>(c)->SetCustomGlyphs(strip(66, 11).get());
       },
       [](TComponent* c) {
         auto* l = static_cast<TQvCheckList*>(c);
         return std::to_string(l->UseCustomGlyphs()) + " " + std::to_string(l->GlyphWidth()) + "x" +
                std::to_string(l->GlyphHeight());
       }},
      {"radio custom glyphs", "TQvRadioButton",
       [strip](TComponent* c) {
         static_cast<TQvRadioButton*>(c)->SetCustomGlyphs(strip(60, 10).get());
       },
       [](TComponent* c) {
         auto* r = static_cast<TQvRadioButton*>(c);
         return std::to_string(r->UseCustomGlyphs()) + " " + std::to_string(r->GlyphWidth()) + "x" +
                std::to_string(r->GlyphHeight());
       }},
      {"radio custom glyphs turned off", "TQvRadioButton",
       [strip](TComponent* c) {
         auto* r = static_cast<TQvRadioButton*>(c);
         r->SetCustomGlyphs(strip(60, 10).get());
         r->SetUseCustomGlyphs(false);
       },
       [](TComponent* c) {
         auto* r = static_cast<TQvRadioButton*>(c);
         return std::to_string(r->UseCustomGlyphs()) + " " + std::to_string(r->GlyphWidth()) + "x" +
                std::to_string(r->GlyphHeight());
       }},
  };
  TForm* host = Own(new TForm(nullptr));
  host->SetBounds(0, 0, 320, 240);
  host->Show();
  auto make = [host](const char* ClassName) {
    auto* c = dynamic_cast<TComponent*>(GetClass(ClassName)->Create(host));
    if (auto* ctl = dynamic_cast<TControl*>(c)) ctl->SetParent(host);
    return c;
  };
  for (const TCase& t : cases) {
    TComponent* source = make(t.ClassName);
    t.Set(source);
    const std::string held = t.Held(source);
    TMemoryStream s;
    s.WriteComponent(source);
    delete source;
    std::string text = FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size())));
    for (const std::string& form : {text, LinesReversed(text)}) {
      TComponent* copy = make(t.ClassName);
      std::string bin = FormTextToBinary(form);
      ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), copy);
      EXPECT_EQ(t.Held(copy), held) << t.What << "\n" << form;
      delete copy;
    }
  }
}

// The widest item plus the indent, clamped to 0..65535 as every list box clamps it:
// a negative indent over no items is no extent, not 65535.
TEST_F(ValuesMeet, TabbedListHorzExtentClamped) {
  TForm* host = Own(new TForm(nullptr));
  host->Show();
  auto* l = new TQvTabbedListBox(host);
  l->SetParent(host);
  l->SetHorzScrollBar(true);
  l->SetOwnerDrawIndent(-1);
  l->Items()->Add("x");
  l->Items()->Clear();
  EXPECT_EQ(l->HorzExtent(), 0);
}

}  // namespace
