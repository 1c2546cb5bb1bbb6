// The frame controller: pushes to registered controls (by property and through the
// notification interface), update blocks, controls freed while registered,
// saving and loading through an ini file, and retired properties of old forms.
#include <memory>

#include "controls/common/framecontroller.h"
#include "platform/controls/forms.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "platform/core/typinfo.h"
#include "platform/storage/atomicfile.h"
#include "storage_fixture.h"

namespace fct {

// Side names as another control library might declare them: another order, one
// name of TSide missing, one of its own.
enum class TOtherSide { sdBottom, sdRight, sdLeft, sdCentre };
using TOtherSides = TSet<TOtherSide>;

}  // namespace fct

DTU_DECLARE_ENUM(fct::TOtherSide)
DTU_DEFINE_ENUM(fct::TOtherSide, "sdBottom", "sdRight", "sdLeft", "sdCentre")

namespace fct {

using TLog = std::vector<std::string>;

// A framed control that receives the values through published properties and
// logs every write.
class TFakeFramed : public TCustomControl {
  DTU_CLASS(TFakeFramed, TCustomControl)
public:
  TFakeFramed(TComponent* AOwner, TLog* Log, const std::string& AName) : TCustomControl(AOwner), Log(Log) {
    SetName(AName);
  }
  TLog* Log;
  int64_t Values[20] = {};
  TQvFrameControllerNotifications Notifications = TQvFrameControllerNotifications::FromInt(0xFFFF);
  TOtherSides Sides;
  void Put(int Slot, const char* Prop, int64_t V) {
    Values[Slot] = V;
    Log->push_back(Name() + "." + Prop);
  }
};

#define FAKE_PROP(Slot, Prop)                                                     \
  .Int(#Prop, [](TFakeFramed* x) { return x->Values[Slot]; },                     \
       [](TFakeFramed* x, int64_t v) { x->Put(Slot, #Prop, v); }, std::nullopt)

const TClassInfo& TFakeFramed::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TFakeFramed>("TFakeFramed", &TCustomControl::StaticClass())
          FAKE_PROP(0, Color) FAKE_PROP(1, ParentColor) FAKE_PROP(2, FocusColor) FAKE_PROP(3, DisabledColor)
          FAKE_PROP(4, ReadOnlyColor) FAKE_PROP(5, ReadOnlyColorOnFocus) FAKE_PROP(6, FlatButtonColor)
          FAKE_PROP(7, FlatButtons) FAKE_PROP(8, FrameColor) FAKE_PROP(9, FrameHotColor)
          FAKE_PROP(10, FrameHotTrack) FAKE_PROP(11, FrameHotStyle) FAKE_PROP(12, FrameStyle)
          FAKE_PROP(13, FrameVisible) FAKE_PROP(14, FramingPreference)
          .Set<TOtherSide>("FrameSides", [](TFakeFramed* x) { return x->Sides; },
                           [](TFakeFramed* x, TOtherSides v) { x->Sides = v; x->Log->push_back(x->Name() + ".FrameSides"); },
                           std::nullopt)
          .Set<TQvFrameControllerProperty>(
              "FrameControllerNotifications", [](TFakeFramed* x) { return x->Notifications; },
              [](TFakeFramed* x, TQvFrameControllerNotifications v) { x->Notifications = v; }, std::nullopt)
          .Build();
  return info;
}

// A framed control that re-reads the controller itself.
class TFakeCustom : public TCustomControl, public IQvCustomFramingNotification {
public:
  TFakeCustom(TComponent* AOwner, TLog* Log) : TCustomControl(AOwner), Log(Log) { SetName("Custom"); }
  void CustomFramingChanged() override { Log->push_back("Custom.changed"); }
  TLog* Log;
};

class FrameControllerTest : public StorageTest {
protected:
  void SetUp() override {
    StorageTest::SetUp();
    Form = std::make_unique<TForm>(nullptr);
    Ctl = new TQvFrameController(Form.get());
    A = new TFakeFramed(Form.get(), &Log, "A");
    B = new TFakeFramed(Form.get(), &Log, "B");
    C = new TFakeCustom(Form.get(), &Log);
  }
  size_t Count(const std::string& Entry) const { return std::count(Log.begin(), Log.end(), Entry); }
  TLog Log;
  std::unique_ptr<TForm> Form;
  TQvFrameController* Ctl;
  TFakeFramed* A;
  TFakeFramed* B;
  TFakeCustom* C;
};

TEST_F(FrameControllerTest, AddControlPushesEverythingInOrderOnce) {
  Ctl->AddControl(A);
  EXPECT_EQ(Log, (TLog{"A.ParentColor", "A.Color", "A.DisabledColor", "A.ReadOnlyColor", "A.ReadOnlyColorOnFocus",
                       "A.FocusColor", "A.FlatButtonColor", "A.FlatButtons", "A.FrameColor", "A.FrameHotColor",
                       "A.FrameHotTrack", "A.FrameHotStyle", "A.FrameSides", "A.FrameStyle", "A.FrameVisible",
                       "A.FramingPreference"}));
  EXPECT_EQ(A->Values[3], clBtnFace);
  EXPECT_EQ(A->Values[11], static_cast<int64_t>(fsFlatBold));
  Log.clear();
  Ctl->AddControl(A);
  EXPECT_TRUE(Log.empty());
  // The sides go by name into a set type of another declaration; a name it lacks
  // is left out.
  Ctl->SetFrameSides({sdLeft, sdTop, sdBottom});
  EXPECT_EQ(A->Sides, (TOtherSides{TOtherSide::sdLeft, TOtherSide::sdBottom}));
}

TEST_F(FrameControllerTest, SingleChangesPushOnlyTheirProperty) {
  Ctl->AddControl(A);
  Log.clear();
  Ctl->SetColor(clRed);  // FocusColor followed, but only Color is pushed
  EXPECT_EQ(Ctl->FocusColor(), clRed);
  EXPECT_EQ(Log, (TLog{"A.Color"}));
  Log.clear();
  Ctl->SetParentColor(true);
  Ctl->SetParentColor(false);
  EXPECT_EQ(Log, (TLog{"A.ParentColor", "A.ParentColor", "A.Color"}));
  Log.clear();
  Ctl->SetFrameHotTrack(true);
  EXPECT_EQ(Log, (TLog{"A.FrameVisible", "A.FrameHotTrack"}));
}

// Inside BeginUpdate..EndUpdate no control is touched; a control freed while
// registered is dropped and never touched again; a control without fcpFrameStyle
// among its notifications keeps its own style.
TEST_F(FrameControllerTest, UpdateBlockPushesOnceAndAFreedControlIsNeverTouched) {
  Ctl->AddControl(A);
  Ctl->AddControl(B);
  Ctl->AddControl(C);
  EXPECT_EQ(Ctl->ControlCount(), 3);
  B->Notifications = TQvFrameControllerNotifications::FromInt(0xFFFF) - TQvFrameControllerNotifications{fcpFrameStyle};
  B->Values[12] = static_cast<int64_t>(fsGroove);
  delete A;  // without RemoveControl
  EXPECT_EQ(Ctl->ControlCount(), 2);
  Log.clear();
  Ctl->BeginUpdate();
  Ctl->BeginUpdate();
  Ctl->SetColor(clRed);
  Ctl->SetFrameStyle(fsRaised);
  Ctl->EndUpdate();
  EXPECT_TRUE(Log.empty());
  Ctl->EndUpdate();
  EXPECT_EQ(Count("B.Color"), 1u);
  EXPECT_EQ(Count("B.FrameStyle"), 0u);
  EXPECT_EQ(B->Values[12], static_cast<int64_t>(fsGroove));
  EXPECT_EQ(Count("Custom.changed"), 1u);
  Ctl->RemoveControl(B);
  Ctl->RemoveControl(C);
  EXPECT_EQ(Ctl->ControlCount(), 0);
}

TEST_F(FrameControllerTest, SaveThenLoadThroughAnIniFileRestoresEveryValue) {
  auto* ini = new TQvRegIniFile(Form.get());
  ini->SetPath(Dir + "/frames.ini");
  Ctl->SetRegIniFile(ini);
  Ctl->SetColor(clYellow);
  Ctl->SetFlatButtonColor(clNavy);
  Ctl->SetFlatButtons(false);
  Ctl->SetDisabledColor(clGray);
  Ctl->SetReadOnlyColor(clAqua);
  Ctl->SetReadOnlyColorOnFocus(true);
  Ctl->SetFocusColor(clLime);
  Ctl->SetFrameColor(clMaroon);
  Ctl->SetFrameHotColor(clPurple);
  Ctl->SetFrameHotStyle(fsBump);
  Ctl->SetFrameHotTrack(true);
  Ctl->SetFrameSides({sdTop, sdRight});
  Ctl->SetFrameStyle(fsPopup);
  Ctl->SetFrameVisible(true);
  Ctl->SetFramingPreference(fpCustomFraming);
  Ctl->Save("Frames");
  TStringList names;
  ini->ReadSection("Frames", &names);
  EXPECT_EQ(names.Count(), 18);
  EXPECT_EQ(ini->ReadInteger("Frames", "DisabledColor", 0), clGray);

  TQvFrameController loaded(nullptr);
  loaded.SetRegIniFile(ini);
  loaded.AddControl(B);
  Log.clear();
  loaded.Load("Frames");
  EXPECT_EQ(Count("B.Color"), 1u);  // one push of everything
  TQvFrameController* x = &loaded;
  EXPECT_EQ(x->Color(), clYellow);
  EXPECT_EQ(x->FlatButtonColor(), clNavy);
  EXPECT_FALSE(x->FlatButtons());
  EXPECT_EQ(x->DisabledColor(), clGray);
  EXPECT_EQ(x->ReadOnlyColor(), clAqua);
  EXPECT_TRUE(x->ReadOnlyColorOnFocus());
  EXPECT_EQ(x->FocusColor(), clLime);
  EXPECT_EQ(x->FrameColor(), clMaroon);
  EXPECT_EQ(x->FrameHotColor(), clPurple);
  EXPECT_EQ(x->FrameHotStyle(), fsBump);
  EXPECT_TRUE(x->FrameHotTrack());
  EXPECT_EQ(x->FrameSides(), (TSides{sdTop, sdRight}));
  EXPECT_EQ(x->FrameStyle(), fsPopup);
  EXPECT_TRUE(x->FrameVisible());
  EXPECT_EQ(x->FramingPreference(), fpCustomFraming);
  loaded.RemoveControl(B);
}

TEST_F(FrameControllerTest, LoadGivesItsDefaultsForMissingAndOutOfRangeValues) {
  AtomicWriteFile(Dir + "/bad.ini", "[Bad]\nFrameStyle=99\nFrameHotStyle=-1\nFramingPreference=7\n[Empty]\n");
  auto* ini = new TQvRegIniFile(Form.get());
  ini->SetPath(Dir + "/bad.ini");
  Ctl->SetRegIniFile(ini);
  Ctl->SetFrameStyle(fsRaised);
  Ctl->Load("Bad");
  EXPECT_EQ(Ctl->FrameStyle(), fsFlat);
  EXPECT_EQ(Ctl->FrameHotStyle(), fsFlatBold);
  EXPECT_EQ(Ctl->FramingPreference(), fpXPThemes);
  Ctl->Load("Empty");
  EXPECT_EQ(Ctl->DisabledColor(), clWindow);
  delete ini;
  EXPECT_EQ(Ctl->RegIniFile(), nullptr);
  try {
    Ctl->Save("Frames");
    ADD_FAILURE();
  } catch (const ENoRegIniFile& E) {
    EXPECT_EQ(E.Message(), "Cannot save Custom Framing settings--No TQvRegIniFile component specified");
  }
  EXPECT_THROW(Ctl->Load("Frames"), ENoRegIniFile);
}

TEST_F(FrameControllerTest, OldFormsSetTheirRetiredPropertiesOnLoad) {
  std::string bin = FormTextToBinary(
      "object FC: TQvFrameController\n  FrameFlat = True\n  FrameFlatStyle = fsBump\n"
      "  FrameFocusStyle = fsRaised\n  FrameVisible = False\nend\n");
  TQvFrameController fc(nullptr);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), &fc);
  EXPECT_TRUE(fc.FrameHotTrack());
  EXPECT_EQ(fc.FrameStyle(), fsStatus);
  EXPECT_EQ(fc.FrameHotStyle(), fsRaised);  // FrameFocusStyle came after FrameFlat
  TMemoryStream out;
  out.WriteComponent(&fc);
  std::string text = FormBinaryToText(std::string(static_cast<const char*>(out.Memory()), out.Size()));
  EXPECT_EQ(text.find("FrameFlat"), std::string::npos);
  EXPECT_EQ(text.find("FrameFocusStyle"), std::string::npos);
}

}  // namespace fct
