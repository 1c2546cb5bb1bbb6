// Theme services with the visual-style library absent (this machine) and with the
// recording fake in its place: loading, the flags, cached handles, theme changes
// and the element/part/state mapping.
#include <gtest/gtest.h>

#include <memory>

#include "controls/common/colors.h"
#include "controls/common/themes.h"
#include "platform/controls/forms.h"
#include "platform/controls/winmsg.h"
#include "platform/theme/themefake.h"

namespace {

// A fresh shared instance per test, made after the fake (when any) is in place.
class ThemesTest : public ::testing::Test {
protected:
  void SetUp() override { FreeThemeServices(); }
  void TearDown() override {
    FreeThemeServices();
    Fake.reset();
    SetComCtlVersion(ComCtlVersionIE6);
  }
  TThemeLibraryFake& InstallFake(std::set<std::string> Missing = {}) {
    Fake.reset();  // one fake at a time: the old one unregisters the library
    Fake = std::make_unique<TThemeLibraryFake>(std::move(Missing));
    return *Fake;
  }
  std::unique_ptr<TThemeLibraryFake> Fake;
};

TEST_F(ThemesTest, WithoutTheLibraryThemesAreOffAndNothingIsCalled) {
  TThemeServices* ts = ThemeServices();
  EXPECT_FALSE(ts->ThemesAvailable());
  EXPECT_FALSE(ts->ThemesEnabled());
  EXPECT_EQ(ts->GetTheme(teButton), nullptr);
  EXPECT_EQ(OpenThemeData, nullptr);
  EXPECT_EQ(IsThemeActive, nullptr);
  EXPECT_EQ(GetXPThemeColor(xptcEditBorder), clBtnFace);
  // The Office look needs themes: the system variant whatever the style.
  TColor a1, b1, a2, b2;
  GetGradientPanelColors(gcsMSOffice, a1, b1);
  GetGradientPanelColors(gcsSystem, a2, b2);
  EXPECT_EQ(a1, clWindow);
  EXPECT_EQ(std::make_pair(a1, b1), std::make_pair(a2, b2));
}

TEST_F(ThemesTest, TheFakeLibraryTurnsThemesOnAndResolvesEveryEntryPoint) {
  TThemeLibraryFake& fake = InstallFake({"GetThemeDocumentationProperty"});
  TThemeServices* ts = ThemeServices();
  EXPECT_TRUE(ts->ThemesAvailable());
  EXPECT_TRUE(ts->ThemesEnabled());
  EXPECT_EQ(UxThemeEntryPointNames().size(), 47u);
  EXPECT_NE(EnableTheming, nullptr);
  EXPECT_NE(DrawThemeParentBackground, nullptr);
  EXPECT_EQ(GetThemeDocumentationProperty, nullptr) << "a name the library lacks stays null";
  // A handle is opened on first use and cached.
  HTHEME h = ts->GetTheme(teEdit);
  EXPECT_NE(h, nullptr);
  EXPECT_EQ(ts->GetTheme(teEdit), h);
  EXPECT_EQ(fake.CountOf("OpenThemeData"), 1);
  EXPECT_EQ(fake.OpenThemes(), std::vector<std::string>{"edit"});
  // Freeing the services closes the handles and the library.
  FreeThemeServices();
  EXPECT_TRUE(fake.OpenThemes().empty());
  EXPECT_EQ(OpenThemeData, nullptr);
}

TEST_F(ThemesTest, TheLibraryIsCountedAndFreedWithTheLastUse) {
  InstallFake();
  EXPECT_TRUE(InitThemeLibrary());
  EXPECT_TRUE(InitThemeLibrary());
  FreeThemeLibrary();
  EXPECT_NE(OpenThemeData, nullptr);
  FreeThemeLibrary();
  EXPECT_EQ(OpenThemeData, nullptr);
  FreeThemeLibrary();  // one too many: the count stays at 0
  EXPECT_TRUE(InitThemeLibrary());
  EXPECT_NE(OpenThemeData, nullptr);
  FreeThemeLibrary();
  EXPECT_EQ(OpenThemeData, nullptr);
}

TEST_F(ThemesTest, ThemesNeedCommonControls6AndControlsAllowed) {
  {
    InstallFake();
    SetComCtlVersion(0x50082);
    TThemeServices ts(nullptr);
    EXPECT_TRUE(ts.ThemesAvailable());
    EXPECT_FALSE(ts.ThemesEnabled());
  }
  {
    SetComCtlVersion(ComCtlVersionIE6);
    TThemeLibraryFake& fake = InstallFake();
    fake.AppProperties = STAP_ALLOW_NONCLIENT;
    TThemeServices ts(nullptr);
    EXPECT_TRUE(ts.ThemesAvailable());
    EXPECT_FALSE(ts.ThemesEnabled());
  }
  {
    TThemeLibraryFake& fake = InstallFake();
    fake.ThemeActive = FALSE;
    TThemeServices ts(nullptr);
    EXPECT_FALSE(ts.ThemesEnabled());
    EXPECT_EQ(ts.GetTheme(teButton), nullptr);
  }
}

TEST_F(ThemesTest, AThemeChangeClosesTheHandlesAndFiresAfterTheFlagsAreNew) {
  TThemeLibraryFake& fake = InstallFake();
  TThemeServices* ts = ThemeServices();
  ts->GetTheme(teButton);
  ts->GetTheme(teToolBar);
  EXPECT_EQ(fake.OpenThemes().size(), 2u);
  bool enabledInEvent = true;
  int fired = 0;
  ts->OnThemeChange = [&](TObject*) {
    ++fired;
    enabledInEvent = ThemeServices()->ThemesEnabled();
  };
  fake.ThemeActive = FALSE;
  SendMessage(Application->Handle(), WM_THEMECHANGED, 0, 0);
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(enabledInEvent);
  EXPECT_TRUE(fake.OpenThemes().empty());
  EXPECT_EQ(ts->ThemeSlot(teButton), nullptr);
  // Styles back on: elements are opened again on next use.
  fake.ThemeActive = TRUE;
  SendMessage(Application->Handle(), WM_THEMECHANGED, 0, 0);
  EXPECT_TRUE(ts->ThemesEnabled());
  EXPECT_NE(ts->GetTheme(teButton), nullptr);
  EXPECT_EQ(fake.CountOf("OpenThemeData"), 3);
}

TEST_F(ThemesTest, HandlesAreClearedEvenWhenTheHookedWindowIsGone) {
  TThemeLibraryFake& fake = InstallFake();
  HWND wnd = AllocateHWnd([](TMessage&) {});
  TThemeServices ts(wnd);
  HTHEME old = ts.GetTheme(teButton);
  ASSERT_NE(old, nullptr);
  DeallocateHWnd(wnd);
  ts.UpdateThemes();
  EXPECT_EQ(ts.ThemeSlot(teButton), nullptr);
  EXPECT_TRUE(fake.OpenThemes().empty()) << "the handle was closed";
  EXPECT_NE(ts.GetTheme(teButton), old) << "a fresh handle, not the closed one";
}

TEST_F(ThemesTest, SystemColoursAreAskedByTheirIndexByte) {
  TThemeLibraryFake& fake = InstallFake();
  fake.SysColors[COLOR_BTNFACE] = 0x123456;
  TThemeServices* ts = ThemeServices();
  TThemedElementDetails d = ts->GetElementDetails(tbPushButtonNormal);
  EXPECT_EQ(ts->ColorToRGB(clBtnFace, &d), 0x123456);
  EXPECT_EQ(ts->ColorToRGB(TColorOf(0xFF00000Fu), &d), 0x123456);
  EXPECT_EQ(fake.Calls.back().Prop, COLOR_BTNFACE);
  EXPECT_EQ(ts->ColorToRGB(clBtnFace, nullptr), clBtnFace);
  EXPECT_EQ(ts->ColorToRGB(0x00ABCDEF, &d), 0x00ABCDEF);
}

TEST_F(ThemesTest, ThemeColoursAndTheOfficeSchemeWithThemesOn) {
  TThemeLibraryFake& fake = InstallFake();
  fake.Colors[{"edit", 0, 2, 3801}] = 0x00AA00;         // teEditRoot: part 0, state 2
  fake.Colors[{"button", 4, 1, 3803}] = 0x0000CC;       // tbGroupBoxNormal
  EXPECT_EQ(GetXPThemeColor(xptcEditBorder), 0x00AA00);
  EXPECT_EQ(GetXPThemeColor(xptcGroupBoxFont), 0x0000CC);
  EXPECT_EQ(GetXPThemeColor(static_cast<TQvXPThemeColor>(7)), 0xFFFFFF);
  TQvXPColorScheme saved = CurrentXPColorScheme;
  CurrentXPColorScheme = xpcsGreen;
  TColor a, b;
  GetGradientPanelColors(gcsMSOffice, a, b);
  EXPECT_EQ(std::make_pair(a, b), std::make_pair(TColor{0xEDFFFF}, TColor{0x92C7B8}));
  GetGradientPanelColors(gcsCustom, a, b);
  EXPECT_EQ(a, clWindow);
  CurrentXPColorScheme = saved;
}

TEST_F(ThemesTest, DrawingWrappersPassTheElementsPartAndState) {
  TThemeLibraryFake& fake = InstallFake();
  fake.Transparent.insert({"button", 3, 6});
  TThemeServices* ts = ThemeServices();
  std::unique_ptr<TBitmap> bmp(new TBitmap(20, 20));
  HDC dc = bmp->Canvas()->Handle();
  TThemedElementDetails check = ts->GetElementDetails(tbCheckBoxCheckedHot);
  TThemedElementDetails push = ts->GetElementDetails(tbPushButtonPressed);
  ts->DrawElement(dc, check, {0, 0, 13, 13});
  EXPECT_EQ(fake.Calls.back(), (TThemeLibraryFake::TCall{"DrawThemeBackground", "button", 3, 6, 0}));
  EXPECT_EQ(ts->ContentRect(dc, push, {0, 0, 20, 10}), TRect(2, 2, 18, 8));
  EXPECT_TRUE(ts->HasTransparentParts(check));
  EXPECT_FALSE(ts->HasTransparentParts(push));
  ts->DrawParentBackground(nullptr, dc, &push, true);
  EXPECT_EQ(fake.CountOf("DrawThemeParentBackground"), 0) << "an opaque element needs no parent background";
  ts->DrawParentBackground(nullptr, dc, &check, true);
  ts->DrawParentBackground(nullptr, dc, nullptr, true);
  EXPECT_EQ(fake.CountOf("DrawThemeParentBackground"), 2);
  EXPECT_EQ(fake.CountOf("OpenThemeData"), 1) << "one cached handle for every button call";
}

TEST_F(ThemesTest, ElementDetailsMapToPartAndState) {
  TThemeServices* ts = ThemeServices();
  auto D = [ts](auto Detail) { return ts->GetElementDetails(Detail); };
  struct Case {
    TThemedElementDetails Got;
    TThemedElement Element;
    int Part, State;
  } cases[] = {
      {D(tbButtonRoot), teButton, 0, 2},
      {D(tbCheckBoxCheckedHot), teButton, 3, 6},
      {D(tsDownHot), teSpin, 2, 2},
      {D(tebHeaderPinSelectedHot), teExplorerBar, 3, 5},
      {D(teEditRoot), teEdit, 0, 2},
      // The first and the last value of every family.
      {D(tbButtonDontCare), teButton, 0, 1},
      {D(tbUserButton), teButton, 5, 1},
      {D(tcClockDontCare), teClock, 0, 1},
      {D(tcTimeNormal), teClock, 1, 1},
      {D(tcComboBoxDontCare), teComboBox, 0, 1},
      {D(tcDropDownButtonDisabled), teComboBox, 1, 4},
      {D(teEditDontCare), teEdit, 0, 1},
      {D(teEditCaret), teEdit, 2, 1},
      {D(tebExplorerBarDontCare), teExplorerBar, 0, 1},
      {D(tebSpecialGroupHead), teExplorerBar, 12, 1},
      {D(thHeaderDontCare), teHeader, 0, 1},
      {D(thHeaderSortArrowSortedDown), teHeader, 4, 2},
      {D(tlListviewDontCare), teListView, 0, 1},
      {D(tlEmptyText), teListView, 5, 1},
      {D(tmMenuDontCare), teMenu, 0, 1},
      {D(tmSeparator), teMenu, 6, 1},
      {D(tpPageDontCare), tePage, 0, 1},
      {D(tpDownHorzDisabled), tePage, 4, 4},
      {D(tpProgressDontCare), teProgress, 0, 1},
      {D(tpChunkVert), teProgress, 4, 1},
      {D(trRebarDontCare), teRebar, 0, 1},
      {D(trChevronVertDisabled), teRebar, 5, 4},
      {D(tsScrollBarDontCare), teScrollBar, 0, 1},
      {D(tsSizeBoxLeftAlign), teScrollBar, 10, 2},
      {D(tsSpinDontCare), teSpin, 0, 1},
      {D(tsDownHorzDisabled), teSpin, 4, 4},
      {D(tspStartPanelDontCare), teStartPanel, 0, 1},
      {D(tspPreview), teStartPanel, 11, 1},
      {D(tsStatusDontCare), teStatus, 0, 1},
      {D(tsGripper), teStatus, 3, 1},
      {D(ttTabDontCare), teTab, 0, 1},
      {D(ttBody), teTab, 10, 1},
      {D(ttbTaskBandDontCare), teTaskBand, 0, 1},
      {D(ttpFlashButtonGroupMenu), teTaskBand, 3, 1},
      {D(ttTaskBarDontCare), teTaskBar, 0, 1},
      {D(ttbTimeNormal), teTaskBar, 1, 1},
      {D(ttbToolBarDontCare), teToolBar, 0, 1},
      {D(ttbSeparatorVertCheckedHot), teToolBar, 6, 6},
      {D(tttToolTipDontCare), teToolTip, 0, 1},
      {D(tttClosePressed), teToolTip, 5, 3},
      {D(ttbTrackBarDontCare), teTrackBar, 0, 1},
      {D(ttbThumbTicsVert), teTrackBar, 10, 1},
      {D(ttnTrayNotifyDontCare), teTrayNotify, 0, 1},
      {D(ttnAnimBackground), teTrayNotify, 2, 1},
      {D(ttTreeviewDontCare), teTreeview, 0, 1},
      {D(ttBranch), teTreeview, 3, 1},
      {D(twWindowDontCare), teWindow, 0, 1},
      {D(twSmallFrameBottomSizingTemplate), teWindow, 37, 1},  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.Got, (TThemedElementDetails{c.Element, c.Part, c.State}))
        << static_cast<int>(c.Element) << " " << c.Part << " " << c.State;
  }
}

}  // namespace
