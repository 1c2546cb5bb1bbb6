// Shared utilities: the blink list under the manual clock, string helpers,
// version tests, placement and the retired-property reader.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "controls/common/dialogs.h"
#include "controls/common/utils.h"
#include "platform/core/sysutils.h"
#include "platform/core/textform.h"
#include "platform/core/typinfo.h"
#include "platform/win32/clock.h"
#include "platform/win32/osversion.h"

namespace {

// A label-like control: registers with the blink list for its whole life,
// answers CM_GETBLINKING with Blinking and logs every CM_BLINK.
class TBlinker : public TGraphicControl {
public:
  TBlinker(std::string Tag, std::vector<std::string>* Log) : TGraphicControl(nullptr), Id(std::move(Tag)), Log(Log) {
    if (!BlinkingControls) BlinkingControls = new TQvBlinkingControlsList;
    BlinkingControls->Add(this);
  }
  ~TBlinker() override {
    if (BlinkingControls) BlinkingControls->Remove(this);
    FreeBlinkingControlsListIfEmpty();
  }
  void Dispatch(TMessage& M) override {
    if (M.Msg == CM_GETBLINKING) {
      Log->push_back(Id + " asked");
      M.Result = Blinking ? 1 : 0;
    } else if (M.Msg == CM_BLINK) {
      Log->push_back(Id + (M.WParam == static_cast<WPARAM>(bsOn) ? " on" : " off"));
      if (OnBlink) OnBlink();
    } else {
      TGraphicControl::Dispatch(M);
    }
  }
  std::string Id;
  std::vector<std::string>* Log;
  bool Blinking = true;
  std::function<void()> OnBlink;
};

class BlinkTest : public ::testing::Test {
protected:
  void SetUp() override { SetClock(&Clock); }
  void TearDown() override {
    Application->ProcessMessages();
    SetClock(nullptr);
  }
  void Tick() {
    Clock.Advance(500);
    Application->ProcessMessages();
  }
  TManualClock Clock{1000};
  std::vector<std::string> Log;
};

TEST_F(BlinkTest, EachTickAsksEveryControlAndBlinksOnlyThoseThatBlink) {
  auto* a = new TBlinker("a", &Log);
  auto* b = new TBlinker("b", &Log);
  b->Blinking = false;
  EXPECT_EQ(BlinkingControls->State(), bsOff);
  Tick();
  Tick();
  EXPECT_EQ(Log, (std::vector<std::string>{"a asked", "a on", "b asked", "a asked", "a off", "b asked"}));
  delete a;
  delete b;
  EXPECT_EQ(BlinkingControls, nullptr);
}

// Controls freed from inside a blink handler, the list emptied and released in
// the middle of a tick: the tick goes on over what is left and frees the list
// afterwards.
TEST_F(BlinkTest, ControlsFreedInsideTheirBlinkHandlerEndTheTickSafely) {
  auto* a = new TBlinker("a", &Log);
  auto* b = new TBlinker("b", &Log);
  auto* c = new TBlinker("c", &Log);
  a->OnBlink = [&] { delete a; };
  Tick();
  EXPECT_EQ(Log, (std::vector<std::string>{"a asked", "a on", "b asked", "b on", "c asked", "c on"}));
  Log.clear();
  b->OnBlink = [&] { delete c; delete b; };  // the last two go; the list is released mid-tick
  Tick();
  EXPECT_EQ(Log, (std::vector<std::string>{"b asked", "b off"}));
  EXPECT_EQ(BlinkingControls, nullptr);
  Tick();
  EXPECT_EQ(Log.size(), 2u);
}

TEST(Utils, StringHelpers) {
  struct { std::string Got, Want; } cases[] = {
      {CopyEx("a.b.c.d", 1, '.', 2), "a.b."},
      {CopyEx("a.b.c.d", 3, '.', 2), "b.c."},   // from Start up to the mark, not Start + P chars
      {CopyEx("a.b", 1, '.', 3), "a.b"},
      {RemovePrefixChars("&File"), "File"},
      {RemovePrefixChars("Save && E&xit"), "Save & Exit"},
      {RemovePrefixChars("End&"), "End&"},
      {CreateValidIdent("Button 1", "X"), "Button1"},
      {CreateValidIdent("1abc", "X"), "abc"},
      {CreateValidIdent("123", "X"), "23"},
      {CreateValidIdent("", "X"), "X"},
      {CreateValidIdent("_ok", "X"), "_ok"},
      {std::string(1, LastChar("abc")), "c"},
      {IntToStr(CountChar('a', "banana")), "3"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Got, c.Want);
  std::string s = "a-b-c";
  EXPECT_TRUE(RemoveChar(s, '-'));
  EXPECT_EQ(s, "ab-c");
  EXPECT_FALSE(RemoveChar(s, 'x'));
  setenv("DTU_UTILS_VAR", "v", 1);
  EXPECT_EQ(ExpandEnvironmentVariables("%DTU_UTILS_VAR%/x"), "v/x");
  TComponent owner(nullptr);
  EXPECT_EQ(GetNewComponentName(&owner, "Panel", true), "Panel");
  (new TComponent(&owner))->SetName("Panel");
  (new TComponent(&owner))->SetName("Panel1");
  EXPECT_EQ(GetNewComponentName(&owner, "Panel", true), "Panel2");
  EXPECT_EQ(GetNewComponentName(&owner, "Other", false), "Other1");
}

// Later versions count as "at least" by their (major, minor) pair.
TEST(Utils, VersionTestsCompareMajorAndMinorAsAPair) {
  using V = TQvWindowsVersion;
  const DWORD nt = VER_PLATFORM_WIN32_NT, w9x = VER_PLATFORM_WIN32_WINDOWS;
  struct { V Version; DWORD Platform, Major, Minor; bool Under, AtLeast; } cases[] = {
      {V::WinXP, nt, 5, 1, true, true},
      {V::WinXP, nt, 6, 0, false, true},         // Vista runs at least XP
      {V::WinServer2003, nt, 6, 1, false, true},
      {V::WinVista, nt, 5, 2, false, false},
      {V::WinVista, nt, 6, 0, true, true},
      {V::Win98, w9x, 4, 10, true, true},
      {V::WinMe, nt, 5, 0, false, true},
      {V::WinNT, w9x, 4, 90, false, false},
      {V::Win95, w9x, 4, 0, true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunningUnder(c.Version, c.Platform, c.Major, c.Minor), c.Under) << int(c.Version) << " " << c.Major << "." << c.Minor;
    EXPECT_EQ(RunningAtLeast(c.Version, c.Platform, c.Major, c.Minor), c.AtLeast) << int(c.Version) << " " << c.Major << "." << c.Minor;
  }
  EXPECT_TRUE(RunningAtLeast(V::WinVista));
  EXPECT_TRUE(RunningAtLeast(V::WinXP));
}

TEST(Utils, PlacementAndTables) {
  EXPECT_EQ(CenterRect({0, 0, 11, 11}, 4, 4), TRect(3, 3, 7, 7));
  EXPECT_EQ(CenterRect({-5, -5, 0, 0}, 2, 2), TRect(-3, -3, -1, -1));  // -7/2 truncates to -3
  EXPECT_EQ(GetDesktopClientRect(), Screen->DesktopRect());  // no task bar here
  TRect w = Screen->WorkAreaRect();
  TForm parent(nullptr), wide(nullptr);
  parent.SetBounds(w.Left + 10, w.Top + 10, 200, 100);
  wide.SetBounds(0, 0, w.Width() + 40, 50);
  int left = 0, top = 0;
  CenterToForm(&wide, &parent, left, top);
  EXPECT_EQ(left, w.Right - wide.Width());
  EXPECT_EQ(top, w.Top + 10 + 25);
  EXPECT_EQ(DrawTextAlignments[static_cast<int>(TAlignment::taCenter)], DT_CENTER);
  EXPECT_EQ(SetTextAlignments[static_cast<int>(TAlignment::taCenter)], TA_CENTER);
  EXPECT_EQ(DrawTextWordWrap[1], DT_WORDBREAK);
}

TEST(Dialogs, CenterToParentSetsPositionBothWays) {
  TQvDialogComponent d(nullptr);
  EXPECT_EQ(d.Font()->Name(), "MS Sans Serif");
  d.SetPosition(poDesigned);
  d.SetCenterToParent(true);
  EXPECT_EQ(d.Position(), poOwnerFormCenter);
  d.SetCenterToParent(false);
  EXPECT_EQ(d.Position(), poScreenCenter);
  TForm f(nullptr);
  d.CenterForm(&f);
  EXPECT_EQ(f.Position(), poScreenCenter);
}

// A component that reads six retired properties and publishes one live one.
class TOldProbe : public TComponent {
  DTU_CLASS(TOldProbe, TComponent)
public:
  using TComponent::TComponent;
  int Live() const { return FLive; }
  void SetLive(int V) { FLive = V; }
  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    Filer->DefineProperty("OldBoolean", TQvOldPropReader::ReadOldBooleanProp, TQvOldPropReader::WriteOldProp, false);
    Filer->DefineProperty("OldEnum", TQvOldPropReader::ReadOldEnumProp, nullptr, false);
    Filer->DefineProperty("OldIdent", TQvOldPropReader::ReadOldIdentProp, nullptr, false);
    Filer->DefineProperty("OldInteger", TQvOldPropReader::ReadOldIntegerProp, nullptr, false);
    Filer->DefineProperty("OldSet", TQvOldPropReader::ReadOldSetProp, nullptr, false);
    Filer->DefineProperty("OldString", TQvOldPropReader::ReadOldStringProp, nullptr, false);
  }
private:
  int FLive = 0;
};

const TClassInfo& TOldProbe::StaticClass() {
  static const TClassInfo info = TClassBuilder<TOldProbe>("TOldProbe", &TComponent::StaticClass())
                                     .Component().Int("Live", &TOldProbe::Live, &TOldProbe::SetLive).Build();
  return info;
}

// Each retired property in each value kind a stream can hold loads without
// error and the stream stays in step (the live property after them is read).
TEST(Dialogs, RetiredPropertiesLoadWhateverKindOfValueTheyHold) {
  const char* props[] = {"OldBoolean", "OldEnum", "OldIdent", "OldInteger", "OldSet", "OldString"};
  const char* values[] = {"True", "False", "5", "70000", "5000000000", "1.5", "'text'", "taCenter",
                          "[fsBold, fsItalic]", "[]", "(1 'two' 3)", "{0AFF}", "<item Tag = 1 end>", "nil"};
  std::string text = "object Probe: TOldProbe\n";
  for (const char* p : props)
    for (const char* v : values) text += std::string("  ") + p + " = " + v + "\n";
  text += "  Live = 42\nend\n";
  std::string bin = FormTextToBinary(text);
  TOldProbe probe(nullptr);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), &probe);
  EXPECT_EQ(probe.Live(), 42);
  TMemoryStream out;  // and they are never written back
  out.WriteComponent(&probe);
  std::string back = FormBinaryToText(std::string(static_cast<const char*>(out.Memory()), out.Size()));
  EXPECT_EQ(back.find("  Old"), std::string::npos);
}

}  // namespace

TEST(Utils, FontMeasuresComeFromTheFontWithoutAScreenContext) {
  TFont font;
  TBitmap b;
  b.Canvas()->Font()->Assign(&font);
  int alphabet = b.Canvas()->TextWidth("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(GetAvgCharWidth(&font), static_cast<int>(std::lround(alphabet / 52.0)));
  EXPECT_EQ(GetMinFontHeight(&font), b.Canvas()->TextHeight("Pp") + 2);
}
