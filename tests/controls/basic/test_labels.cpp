// Labels: angles and the size they take, arc text on small labels, the fly-by
// colour, blinking, the link label's shell call and the stored properties.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "controls/basic/labels.h"
#include "platform/controls/backend.h"
#include "platform/stdctrls/listbox.h"
#include "platform/win32/desktopapps.h"
#include "tests/controls/basic/buttons_fixture.h"
#include "tests/platform/win32/desktop_fixture.h"

namespace {

std::vector<std::string> g_Opened;
bool g_OpenResult = true;
bool RecordOpen(const std::string& Target) {
  g_Opened.push_back(Target);
  return g_OpenResult;
}

class LabelsTest : public ButtonsFixture {
protected:
  void SetUp() override {
    ButtonsFixture::SetUp();
    g_Opened.clear();
    g_OpenResult = true;
    SetShellOpener(&RecordOpen);
  }
  void TearDown() override {
    SetShellOpener(nullptr);
    ButtonsFixture::TearDown();
  }
  TQvLabel* Label(TForm* F, const std::string& Caption) {
    auto* l = new TQvLabel(F);
    l->SetParent(F);
    l->Font()->SetName("Arial");
    l->SetCaption(Caption);
    return l;
  }
};

TEST_F(LabelsTest, AnglesStayWithinOneTurnAndTurnTheBounds) {
  TForm* form = MakeForm();
  TQvLabel* l = Label(form, "Angle");
  int w = l->Width(), h = l->Height();
  l->SetAngle(90);
  EXPECT_EQ(l->Rotation(), roFlat);
  EXPECT_EQ(l->Width(), h);
  EXPECT_EQ(l->Height(), w);
  l->SetAngle(45);
  int d = static_cast<int>(std::lround((w + h) * std::sqrt(0.5)));
  EXPECT_NEAR(l->Width(), d, 1);
  EXPECT_NEAR(l->Height(), d, 1);
  for (auto [in, out] : {std::pair{-30, 330}, {400, 40}, {360, 0}, {-360, 0}}) {
    l->SetAngle(in);
    EXPECT_EQ(l->Angle(), out) << in;
  }
  l->SetRotation(roNone);
  EXPECT_EQ(l->Angle(), 0);
}

TEST_F(LabelsTest, AnyInstalledOrSubstitutedFontIsScalableSoTurningKeepsTheFontsName) {
  TForm* form = MakeForm();
  TQvLabel* l = Label(form, "Name");
  for (const char* name : {"MS Sans Serif", "Arial", "No Such Font 123"}) {
    l->Font()->SetName(name);
    EXPECT_TRUE(IsTrueTypeFont(l->Font())) << name;
    l->SetAngle(30);
    EXPECT_EQ(l->Font()->Name(), name) << "no switch to another font";
    EXPECT_EQ(l->Angle(), 30);
    l->SetAngle(0);
  }
}

TEST_F(LabelsTest, ArcTextOnALabelTooSmallForItsCirclePaintsNothingAndRaisesNothing) {
  TForm* form = MakeForm();
  TQvLabel* l = Label(form, "Arc text");
  l->SetAutoSize(false);
  l->SetBounds(0, 0, 10, 40);
  l->SetRotation(roCurve);
  form->Show();
  for (int border : {0, 3, 20}) {
    l->SetBorderWidth(border);
    EXPECT_NO_THROW(form->Repaint()) << border;
  }
}

TEST_F(LabelsTest, FlyByRestoresOnlyAColourItApplied) {
  TForm* form = MakeForm();
  TQvLabel* l = Label(form, "Fly");
  l->SetBounds(10, 10, 80, 20);
  l->Font()->SetColor(clGreen);
  l->SetFlyByColor(clRed);
  l->SetFlyByEnabled(true);
  form->Show();
  l->SetFlyByEnabled(false);  // never entered: nothing to restore
  EXPECT_EQ(l->Font()->Color(), clGreen);
  l->SetFlyByEnabled(true);
  l->Perform(CM_MOUSELEAVE, 0, 0);  // a leave without an enter
  EXPECT_EQ(l->Font()->Color(), clGreen);
  Mouse(form, WM_MOUSEMOVE, {20, 15});
  EXPECT_EQ(l->Font()->Color(), clRed);
  Mouse(form, WM_MOUSEMOVE, {200, 150});
  EXPECT_EQ(l->Font()->Color(), clGreen);
  Mouse(form, WM_MOUSEMOVE, {20, 15});
  l->SetFlyByEnabled(false);
  EXPECT_EQ(l->Font()->Color(), clGreen);
}

TEST_F(LabelsTest, BlinkingAlternatesTheDrawColourAndStopsOnTheFontColour) {
  TForm* form = MakeForm();
  TQvLabel* a = Label(form, "A");
  TQvLabel* b = Label(form, "B");
  a->SetBlinkColor(clRed);
  a->SetBlinking(true);
  a->Perform(CM_BLINK, static_cast<WPARAM>(bsOff), 0);
  EXPECT_EQ(a->DrawColor(), clRed);
  a->SetBlinking(false);
  EXPECT_EQ(a->DrawColor(), a->Font()->Color());
  EXPECT_EQ(a->Perform(CM_GETBLINKING, 0, 0), 0);
  b->SetBlinkIntervalOn(200);
  EXPECT_EQ(a->BlinkIntervalOn(), 200) << "one rhythm for every label";
}

TEST_F(LabelsTest, ALinkOpensItsTargetAndIsVisitedOnlyWhenThatWorked) {
  TForm* form = MakeForm();
  auto* link = new TQvURLLabel(form);
  link->SetParent(form);
  link->SetCaption("example.org");
  link->SetURL("  https://example.org/a  ");
  EXPECT_EQ(link->Cursor(), crQvHandCursor);
  EXPECT_EQ(link->Font()->Color(), clHighlight);
  g_OpenResult = false;
  link->Click();
  EXPECT_EQ(g_Opened, std::vector<std::string>{"https://example.org/a"});
  EXPECT_FALSE(link->Visited());
  g_OpenResult = true;
  link->SetURL(" ");
  link->Click();
  EXPECT_EQ(g_Opened.back(), "example.org") << "a blank URL opens the caption";
  EXPECT_TRUE(link->Visited());
  EXPECT_EQ(link->Font()->Color(), static_cast<TColor>(0x800080));
  link->SetCaption("  ");
  link->Click();
  EXPECT_EQ(g_Opened.size(), 2u) << "nothing to open";
}

// A web page no program took offers the desktop's programs for its type and starts
// the chosen one with it; other failing targets offer nothing.
TEST_F(LabelsTest, AFailingWebPageOffersTheDesktopsProgramsAndStartsTheChosenOne) {
  TTempDesktop desktop;
  desktop.App("sys1", "first.desktop", "First Browser", "false %u", "text/html;");
  desktop.App("user", "marker.desktop", "Marker", "touch %f", "text/html;");
  desktop.App("sys2", "text.desktop", "Text Editor", "false %f", "text/plain;");
  TForm* form = MakeForm();
  auto* link = new TQvURLLabel(form);
  link->SetParent(form);
  g_OpenResult = false;
  const std::string page = desktop.Root + "/my page.HTM";  // the extension in any case
  struct Case {
    std::string Target;
    int Choose;  // the program picked, -1: cancel, -2: no dialog expected
    bool Started;
  } cases[] = {
      {desktop.Root + "/notes.txt", -2, false},
      {page, -1, false},
      {page, 1, true},
  };
  for (const Case& c : cases) {
    std::vector<std::string> listed;
    if (c.Choose != -2) Runner->OnLoop([&](TWinControl* W) {
      auto* list = static_cast<TListBox*>(W->FindComponent("Programs"));
      for (int i = 0; i < list->Items()->Count(); ++i) listed.push_back(list->Items()->Strings(i));
      list->SetItemIndex(c.Choose);
      static_cast<TForm*>(W)->SetModalResult(c.Choose >= 0 ? mrOk : mrCancel);
    });
    link->SetURL(c.Target);
    link->Click();
    EXPECT_EQ(Runner->CallsOf("form").size(), c.Choose == -2 ? 0u : 1u) << c.Target;
    if (c.Choose != -2) {
      EXPECT_EQ(listed, (std::vector<std::string>{"First Browser", "Marker"})) << c.Target;
    }
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (c.Started && !std::filesystem::exists(page) && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(std::filesystem::exists(page), c.Started) << c.Target;
    EXPECT_FALSE(link->Visited());
    Runner->Calls.clear();
  }
}

// The desktop's opener that exits with a failure has opened nothing: the link
// stays unvisited and a web page offers the programs to choose from.
bool OpenThroughTheDesktop(const std::string& Target) {
  return OpenWithDesktopOpener(Target, 60000) == TDesktopOpen::Opened;
}

TEST_F(LabelsTest, AnOpenerThatExitsWithAFailureLeavesTheLinkUnvisitedAndOffersThePrograms) {
  struct Case {
    int Exit;
    bool Visited;
  } cases[] = {{0, true}, {4, false}};
  for (const Case& c : cases) {
    TTempDesktop desktop;
    desktop.App("sys1", "browser.desktop", "Browser", "false %u", "text/html;");
    desktop.Opener(c.Exit);
    SetShellOpener(&OpenThroughTheDesktop);
    TForm* form = MakeForm();
    auto* link = new TQvURLLabel(form);
    link->SetParent(form);
    bool offered = false;
    if (!c.Visited) Runner->OnLoop([&](TWinControl* W) {
      offered = W->FindComponent("Programs") != nullptr;
      static_cast<TForm*>(W)->SetModalResult(mrCancel);
    });
    const std::string page = desktop.Root + "/page.htm";
    link->SetURL(page);
    link->Click();
    EXPECT_EQ(desktop.Opened(), page + "\n") << c.Exit;
    EXPECT_EQ(link->Visited(), c.Visited) << c.Exit;
    EXPECT_EQ(Runner->CallsOf("form").size(), c.Visited ? 0u : 1u) << c.Exit;
    EXPECT_EQ(offered, !c.Visited) << c.Exit;
    Runner->Calls.clear();
  }
}

TEST_F(LabelsTest, StoredPropertiesRoundTripAndTheOldFrameSidesIsDropped) {
  TForm* form = MakeForm();
  TQvLabel* l = Label(form, "L");
  l->SetName("L");
  l->SetBorderOuter(fsRaised);
  l->SetBorderSides({sdLeft, sdTop});
  l->SetTextStyle(tsShadow);
  l->SetRotation(roCurve);
  l->SetAngle(30);
  l->SetCenterPoint(cpLowerCenter);
  l->SetCondenseCaption(ccAtEnd);
  auto* link = new TQvURLLabel(form);
  link->SetName("Link");
  link->SetParent(form);
  link->SetURL("file.htm");
  link->SetVisited(true);
  std::string text = FormText(form);
  TForm* back = Own(new TForm(nullptr));
  ReadForm(text, back);
  auto* r = dynamic_cast<TQvLabel*>(back->FindComponent("L"));
  auto* k = dynamic_cast<TQvURLLabel*>(back->FindComponent("Link"));
  ASSERT_TRUE(r && k);
  EXPECT_EQ(r->BorderOuter(), fsRaised);
  EXPECT_EQ(r->BorderSides(), (TSides{sdLeft, sdTop}));
  EXPECT_EQ(r->Rotation(), roCurve);
  EXPECT_EQ(r->Angle(), 30);
  EXPECT_EQ(r->CenterPoint(), cpLowerCenter);
  EXPECT_EQ(r->CondenseCaption(), ccAtEnd);
  EXPECT_EQ(k->URL(), "file.htm");
  EXPECT_TRUE(k->Visited());
  EXPECT_EQ(FormText(back), text);

  TForm* old = Own(new TForm(nullptr));
  ReadForm("object F: TForm\n  object X: TQvLabel\n    FrameSides = [sdLeft]\n  end\nend\n", old);
  ASSERT_NE(old->FindComponent("X"), nullptr);
  EXPECT_EQ(FormText(old).find("FrameSides"), std::string::npos);
}

}  // namespace
