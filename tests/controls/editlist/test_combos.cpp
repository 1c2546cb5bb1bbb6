// The framed combo boxes: completion as the user types (GBK included), values,
// colour selection and custom colours, the stored history, the image items'
// lifetime, the font filters against fontconfig, and form stream round trips.
#include <fontconfig/fontconfig.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "controls/common/storage.h"
#include "controls/editlist/colorcombo.h"
#include "controls/editlist/combobox.h"
#include "controls/editlist/fontlists.h"
#include "controls/editlist/historycombo.h"
#include "controls/editlist/imagecombo.h"
#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/textform.h"
#include "platform/storage/registry.h"
#include "platform/win32/locale.h"
#include "platform/theme/themefake.h"
#include "controls/common/themes.h"
#include "tests/platform/controls/fixtures.h"

namespace {

// Chinese items in GBK: 中国 (D6D0 B9FA), 中文 (D6D0 CEC4), 日本 (C8D5 B1BE).
const std::string kChina = "\xD6\xD0\xB9\xFA", kChinese = "\xD6\xD0\xCE\xC4", kJapan = "\xC8\xD5\xB1\xBE";

class CombosTest : public ControlsTest {
protected:
  void SetUp() override {
    ControlsTest::SetUp();
    char tmpl[] = "/tmp/dtu-combos-XXXXXX";
    Dir = mkdtemp(tmpl);
    SetRegistryStorePathOverride(Dir + "/registry");
    Form = MakeForm();
  }
  void TearDown() override {
    ControlsTest::TearDown();
    SetRegistryStorePathOverride("");
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  template <class T>
  T* Make(TComboBoxStyle Style = csDropDown) {
    auto* c = new T(Form);
    c->SetName("Combo" + std::to_string(Form->ComponentCount()));
    if constexpr (std::is_same_v<T, TQvComboBox> || std::is_same_v<T, TQvMRUComboBox>) c->SetStyle(Style);
    c->SetBounds(10, 10, 160, 21);
    c->SetParent(Form);
    Form->Show();
    return c;
  }
  TQvRegIniFile* Ini(const std::string& Name) {
    auto* ini = new TQvRegIniFile(Form);
    ini->SetPathType(ptIniFile);
    ini->SetPath(Dir + "/" + Name);
    return ini;
  }
  TForm* Form = nullptr;
  std::string Dir;
};

}  // namespace

TEST_F(CombosTest, TypedPrefixCompletesAndSelectsTheRest) {
  struct Case {
    std::string typed;
    bool keepCase;
    std::string text;
    int selStart, selLength;
  };
  const Case cases[] = {
      {"ap", false, "Apple", 2, 3},
      {"ap", true, "apple", 2, 3},
      {"apr", false, "Apricot", 3, 4},
      {"\xD6\xD0", false, kChina, 2, 2},  // lead and trail byte as two WM_CHAR messages
      {"\xD6\xD0", true, kChina, 2, 2},
  };
  for (const Case& c : cases) {
    auto* combo = Make<TQvComboBox>();
    for (const std::string& s : {std::string("Apple"), std::string("Apricot"), kChina, kChinese, kJapan})
      combo->Items()->Add(s);
    combo->SetKeepSearchCase(c.keepCase);
    combo->SetFocus();
    InputChars(c.typed);
    EXPECT_EQ(combo->Text(), c.text) << c.typed << " keep " << c.keepCase;
    EXPECT_EQ(combo->SelStart(), c.selStart) << c.typed;
    EXPECT_EQ(combo->SelLength(), c.selLength) << c.typed;
    delete combo;
  }
}

TEST_F(CombosTest, WithoutAllowEditAnUnmatchedCharacterIsRefusedAndLeavingReportsTextsNotInTheList) {
  auto* combo = Make<TQvComboBox>();
  combo->Items()->Add("Apple");
  combo->SetBeepOnInvalidKey(false);
  combo->SetAllowEdit(false);
  combo->SetFocus();
  InputChars("x");
  EXPECT_EQ(combo->Text(), "");
  combo->SetAllowEdit(true);
  InputChars("x");
  EXPECT_EQ(combo->Text(), "x");
  int notInList = 0;
  combo->OnNotInList = [&](TObject*) { ++notInList; };
  auto* other = new TQvComboBox(Form);
  other->SetParent(Form);
  other->SetTop(60);
  other->SetFocus();
  EXPECT_EQ(notInList, 1);
}

TEST_F(CombosTest, DropDownListSearchAndBackspaceSelectItemZero) {
  auto* combo = Make<TQvComboBox>(csDropDownList);
  for (const char* s : {"Alpha", "Beta", "Bravo"}) combo->Items()->Add(s);
  combo->SetFocus();
  InputChars("br");
  EXPECT_EQ(combo->ItemIndex(), 2);
  InputChars("\b\b");
  EXPECT_EQ(combo->ItemIndex(), 0);
}

TEST_F(CombosTest, TheWheelStepsTheClosedListUnlessReadOnly) {
  auto* combo = Make<TQvComboBox>(csDropDownList);
  for (const char* s : {"a", "b", "c"}) combo->Items()->Add(s);
  // OnMouseWheelDown / OnMouseWheelUp hear the wheel first; one that handles it
  // keeps the selection where it is.
  std::vector<std::string> heard;
  bool handle = false;
  combo->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& Handled) {
    heard.push_back("down");
    Handled = handle;
  };
  combo->OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool& Handled) {
    heard.push_back("up");
    Handled = handle;
  };
  struct Step {
    bool readOnly, handled;
    int delta, expected;
  };
  const Step steps[] = {{false, false, 120, 0},  {false, false, -120, 1}, {false, false, -120, 2},
                        {false, false, -120, 2}, {true, false, 120, 2},   {false, false, 120, 1},
                        {false, true, 120, 1},   {false, true, -120, 1}};
  combo->SetItemIndex(-1);
  for (const Step& s : steps) {
    combo->SetReadOnly(s.readOnly);
    handle = s.handled;
    heard.clear();
    EXPECT_EQ(combo->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(s.delta)), 0), 1);
    EXPECT_EQ(combo->ItemIndex(), s.expected) << s.delta << " read-only " << s.readOnly;
    EXPECT_EQ(heard, std::vector<std::string>{s.delta < 0 ? "down" : "up"});
  }
}

TEST_F(CombosTest, WithThemesTheHotFlatButtonIsTheThemesDropDownButton) {
  auto* combo = Make<TQvComboBox>();
  combo->SetFlatButtons(true);
  {
    TThemeLibraryFake fake;
    SetComCtlVersion(ComCtlVersionIE6);
    FreeThemeServices();
    ASSERT_TRUE(ThemeServices()->ThemesEnabled());
    combo->Perform(CM_MOUSEENTER, 0, 0);
    std::unique_ptr<TBitmap> b(new TBitmap(combo->Width(), combo->Height()));
    combo->PaintTo(b->Canvas()->Handle(), 0, 0);
    auto it = std::find_if(fake.Calls.begin(), fake.Calls.end(), [](const auto& C) {
      return C.Name == "DrawThemeBackground" && C.Class == "combobox" && C.Part == 1;
    });
    ASSERT_NE(it, fake.Calls.end());
    EXPECT_EQ(it->State, 2);  // hot
    FreeThemeServices();
  }
  FreeThemeServices();
}

TEST_F(CombosTest, FramingPropertiesAreNotWrittenWhileAControllerSuppliesThem) {
  auto* fc = new TQvFrameController(Form);
  fc->SetName("FC");
  fc->SetFrameColor(clRed);
  auto* combo = Make<TQvComboBox>();
  combo->SetFrameController(fc);
  EXPECT_EQ(combo->FrameColor(), clRed);
  auto text = [&] {
    TMemoryStream s;
    s.WriteComponent(combo);
    return FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
  };
  EXPECT_EQ(text().find("FrameColor"), std::string::npos);
  combo->SetFrameControllerNotifications(TQvFrameControllerNotifications{fcpFrameStyle});
  EXPECT_NE(text().find("FrameColor = clRed"), std::string::npos);
  delete fc;
  EXPECT_EQ(combo->FrameController(), nullptr);
}

TEST_F(CombosTest, ValuesPairWithItemsAndFallBackToTheText) {
  auto* combo = Make<TQvComboBox>(csDropDownList);
  combo->AddItemValue("Red", "FF0000");
  combo->AddItemValue("Plain", "");
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->GetValue(), "Plain");
  combo->SetValue("FF0000");
  EXPECT_EQ(combo->ItemIndex(), 0);
  combo->SetValue("ff0000");  // exact comparison
  EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(CombosTest, SelectedColorPicksTheItemOrKeepsACustomColour) {
  struct Case {
    bool showCustom;
    TColor color;
    int index;
    TColor selected;
  };
  const Case cases[] = {
      {true, 0, 0, 0},                        // the Default item comes before Black
      {true, 0x0000FF, 10, 0x0000FF},         // Red: Default + 9
      {true, 0x123456, 42, 0x123456},         // Default + 16 + 25 = 42: Custom
      {false, 0x123456, -1, 0x123456},        // no Custom item: nothing selected, colour kept
  };
  for (const Case& c : cases) {
    auto* combo = Make<TQvColorComboBox>();
    combo->SetShowCustomColor(c.showCustom);
    combo->SetSelectedColor(c.color);
    EXPECT_EQ(combo->ItemIndex(), c.index) << std::hex << c.color;
    EXPECT_EQ(combo->GetSelectedColor(), c.selected) << std::hex << c.color;
    delete combo;
  }
}

TEST_F(CombosTest, ACustomColourPickedInTheDialogIsSavedAndLoadedByASecondCombo) {
  // A user who adds the chosen colour to the dialog's custom colours.
  struct TAddingRunner : TScriptedModalRunner {
    bool ColorDialog(TColorDialogRequest& R) override {
      bool ok = TScriptedModalRunner::ColorDialog(R);
      if (ok && !R.CustomColors.empty()) R.CustomColors[0] = R.Color;
      return ok;
    }
  };
  Runner.reset();
  TAddingRunner runner;
  runner.AnswerColorDialog(0x00A0B0C0);
  TQvRegIniFile* ini = Ini("colors.ini");
  auto* first = Make<TQvColorComboBox>();
  first->SetRegIniFile(ini);
  first->SetFocus();
  first->SetDroppedDown(true);
  Key(VK_END);
  Key(VK_RETURN);
  ASSERT_EQ(runner.CallsOf("color").size(), 1u);
  EXPECT_EQ(first->GetSelectedColor(), 0x00A0B0C0);
  first->SaveCustomColors("Colors");

  auto* second = Make<TQvColorComboBox>();
  second->SetRegIniFile(ini);
  second->LoadCustomColors("Colors");
  EXPECT_EQ(second->CustomColors()->Values("ColorA"), "a0b0c0");
  EXPECT_EQ(second->CustomColors()->Count(), 16);

  // Escape closes the list without the dialog.
  first->SetDroppedDown(true);
  Key(VK_ESCAPE);
  EXPECT_EQ(runner.CallsOf("color").size(), 1u);
  // Two hex digits are normalised to six.
  TStringList two;
  two.Add("ColorB=ff");
  second->SetCustomColors(&two);
  EXPECT_EQ(second->CustomColors()->Strings(0), "ColorB=0000ff");
  second->SetRegIniFile(nullptr);
  EXPECT_THROW(second->SaveCustomColors("Colors"), ENoRegIniFile);
}

TEST_F(CombosTest, AComboFreedByItsColourDialogIsNotTouchedAfterwards) {
  auto* combo = Make<TQvColorComboBox>();
  Runner->AnswerColorDialog(0x00112233);
  combo->OnCloseUp = [&](TObject*) {};
  struct TFreeingRunner : TScriptedModalRunner {
    TControl* Victim = nullptr;
    bool ColorDialog(TColorDialogRequest& R) override {
      delete Victim;
      return TScriptedModalRunner::ColorDialog(R);
    }
  };
  Runner.reset();
  TFreeingRunner runner;
  runner.Victim = combo;
  runner.AnswerColorDialog(0x00112233);
  combo->SetFocus();
  combo->SetDroppedDown(true);
  Key(VK_END);
  Key(VK_RETURN);  // ASan reports any use of the freed combo box
  EXPECT_EQ(runner.CallsOf("color").size(), 1u);
}

TEST_F(CombosTest, CombosFreedByTheirCloseUpOrExitHandlersAreNotTouchedAfterwards) {
  // ASan reports any use of a freed combo box.
  auto* history = Make<TQvMRUComboBox>(csDropDownList);
  history->Items()->Add("one");
  history->Items()->Add("two");
  history->OnCloseUp = [&](TObject*) { delete history; };
  history->SetFocus();
  history->SetDroppedDown(true);
  Key(VK_DOWN);
  Key(VK_RETURN);
  auto* colors = Make<TQvColorComboBox>();
  colors->OnCloseUp = [&](TObject*) { delete colors; };
  colors->SetFocus();
  colors->SetDroppedDown(true);
  Key(VK_END);
  Key(VK_RETURN);
  EXPECT_TRUE(Runner->CallsOf("color").empty());
  auto* leaving = Make<TQvMRUComboBox>();
  leaving->OnExit = [&](TObject*) { delete leaving; };
  leaving->SetFocus();
  leaving->SetText("typed");
  auto* other = Make<TQvComboBox>();
  other->SetFocus();
}

TEST_F(CombosTest, HistoryKeepsAtMostMaxHistoryEntriesAndDeletesTheRest) {
  TQvRegIniFile* ini = Ini("history.ini");
  auto* combo = Make<TQvMRUComboBox>();
  combo->SetMruRegIniFile(ini);
  combo->SetMruSection("History");
  combo->SetMruID("Find");
  for (int i = 0; i < 30; ++i) combo->Items()->Add("text" + std::to_string(i));
  combo->SaveMRUData();
  EXPECT_EQ(ini->ReadInteger("History", "Find_Count", 0), 25);
  EXPECT_EQ(ini->ReadString("History", "Find_Item24", ""), "text24");
  EXPECT_FALSE(ini->ValueExists("History", "Find_Item25"));
  while (combo->Items()->Count() > 20) combo->Items()->Delete(20);
  combo->SaveMRUData();
  EXPECT_EQ(ini->ReadInteger("History", "Find_Count", 0), 20);
  for (int n = 20; n < 25; ++n) EXPECT_FALSE(ini->ValueExists("History", "Find_Item" + std::to_string(n))) << n;

  // A new text goes to the top when the control is left; a known one moves there.
  combo->SetFocus();
  combo->SetText("fresh");
  combo->UpdateMRUList();
  EXPECT_EQ(combo->Items()->Strings(0), "fresh");
  combo->SetText("text5");
  combo->UpdateMRUList();
  EXPECT_EQ(combo->Items()->Strings(0), "text5");
  EXPECT_EQ(ini->ReadString("History", "Find_Item0", ""), "text5");
}

TEST_F(CombosTest, AHistoryClaimingTwoBillionEntriesLoadsOnlyWhatIsThereQuickly) {
  {
    std::ofstream f(Dir + "/huge.ini");
    f << "[History]\nFind_Count=2000000000\nFind_Item0=one\nFind_Item2=three\n";
  }
  TQvRegIniFile* ini = Ini("huge.ini");
  auto* combo = new TQvMRUComboBox(Form);
  combo->SetMruRegIniFile(ini);
  combo->SetMruSection("History");
  combo->SetMruID("Find");
  auto start = std::chrono::steady_clock::now();
  combo->LoadMRUData(false);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 1.0);  // generous: the loop is capped at 10,000 numbers
  EXPECT_EQ(combo->Items()->Count(), 2);
  EXPECT_EQ(combo->Items()->Strings(1), "three");
}

TEST_F(CombosTest, HistoryMenuCaptionsFollowTheThreadLocale) {
  SetThreadLocale(LOCALE_ZH_CN);
  auto* zh = Make<TQvMRUComboBox>();
  EXPECT_EQ(zh->MenuItem(0)->Caption(), "\xB3\xB7\xCF\xFB(&U)");  // 撤消(&U)
  EXPECT_EQ(zh->MenuItem(7)->Caption(), "\xC8\xAB\xD1\xA1(&A)");  // 全选(&A)
  SetThreadLocale(1033);
  auto* en = Make<TQvMRUComboBox>();
  EXPECT_EQ(en->MenuItem(2)->Caption(), "Cu&t");
  EXPECT_EQ(en->MenuItem(9)->Caption(), "&Remove item from history list");
  ResetThreadLocale();
  // Removing a text that is no item only clears the text.
  en->Items()->Add("kept");
  en->SetText("other");
  en->MenuItem(9)->Click();
  EXPECT_EQ(en->Text(), "");
  EXPECT_EQ(en->Items()->Count(), 1);
}

TEST_F(CombosTest, ImageItemsAreFreedOnClearDeleteAndDestruction) {
  int before = TQvImageComboBoxItem::LiveCount();
  auto* combo = Make<TQvImageComboBox>();
  int deleted = 0;
  combo->OnDeleteImageItem = [&](TObject*, TQvImageComboBoxItem*) { ++deleted; };
  for (int cycle = 0; cycle < 1000; ++cycle) {
    combo->AddItem("one", 0, 0);
    combo->AddItem("two", 1, 1);
    combo->Items()->Clear();
  }
  EXPECT_EQ(deleted, 2000);
  EXPECT_EQ(TQvImageComboBoxItem::LiveCount(), before);
  combo->AddItem("Three", 0, 2);
  combo->AddItem("four", 0, 0);
  EXPECT_EQ(combo->IndexOf("THREE"), 0);
  combo->Delete(1);
  EXPECT_EQ(TQvImageComboBoxItem::LiveCount(), before + 1);
  delete combo;
  EXPECT_EQ(TQvImageComboBoxItem::LiveCount(), before);
  // Freed by its owner, the control takes its items along.
  auto* owned = Make<TQvImageComboBox>();
  owned->AddItem("five", 0, 0);
  delete Form;
  Owned.erase(std::find(Owned.begin(), Owned.end(), Form));
  Form = nullptr;
  EXPECT_EQ(TQvImageComboBoxItem::LiveCount(), before);
}

TEST_F(CombosTest, ImageComboCompletesOnItemCaptions) {
  auto* combo = Make<TQvImageComboBox>();
  combo->AddItem("Folder", 0, 0);
  combo->AddItem("File", 1, 1);
  combo->SetFocus();
  InputChars("fo");
  EXPECT_EQ(combo->ItemIndex(), 0);
}

namespace {
struct TFcFamily {
  bool mono = true, truetype = false, symbol = false;
};
// The installed families straight from fontconfig (first family name, as GBK).
std::map<std::string, TFcFamily> FontconfigFamilies() {
  std::map<std::string, TFcFamily> out;
  FcInit();
  FcPattern* p = FcPatternCreate();
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, FC_SPACING, FC_FONTFORMAT, FC_SYMBOL, nullptr);
  FcFontSet* fs = FcFontList(nullptr, p, os);
  for (int i = 0; fs && i < fs->nfont; ++i) {
    FcChar8* fam = nullptr;
    if (FcPatternGetString(fs->fonts[i], FC_FAMILY, 0, &fam) != FcResultMatch) continue;
    std::string gbk;
    if (!Utf8ToGbk(reinterpret_cast<const char*>(fam), gbk)) continue;
    TFcFamily& f = out[GbkTruncate(gbk, 31)];
    int spacing = 0;
    FcPatternGetInteger(fs->fonts[i], FC_SPACING, 0, &spacing);
    FcChar8* fmt = nullptr;
    FcPatternGetString(fs->fonts[i], FC_FONTFORMAT, 0, &fmt);
    std::string format = fmt ? reinterpret_cast<const char*>(fmt) : "";
    FcBool sym = FcFalse;
    FcPatternGetBool(fs->fonts[i], FC_SYMBOL, 0, &sym);
    f.mono = f.mono && spacing >= FC_MONO;
    f.truetype = f.truetype || format == "TrueType" || format == "CFF";
    f.symbol = f.symbol || sym;
  }
  if (fs) FcFontSetDestroy(fs);
  FcObjectSetDestroy(os);
  FcPatternDestroy(p);
  return out;
}
}  // namespace

TEST_F(CombosTest, FontFiltersOnTheInstalledFontsMatchFontconfig) {
  std::map<std::string, TFcFamily> fc = FontconfigFamilies();
  ASSERT_FALSE(fc.empty());
  struct Case {
    TQvFontType type;
    bool symbols;
  };
  const Case cases[] = {{ftAll, true}, {ftTrueType, true}, {ftFixedPitch, true}, {ftAll, false}, {ftPrinter, true}};
  for (const Case& c : cases) {
    auto* combo = Make<TQvFontComboBox>();
    combo->SetFontType(c.type);
    combo->SetShowSymbolFonts(c.symbols);
    combo->HandleNeeded();
    for (const auto& [name, f] : fc) {
      bool expected = (c.symbols || !f.symbol) && (c.type == ftAll || (c.type == ftTrueType && f.truetype) ||
                                                   (c.type == ftFixedPitch && f.mono));
      EXPECT_EQ(combo->Items()->IndexOf(name) >= 0, expected) << name << " type " << static_cast<int>(c.type);
    }
    if (c.type == ftPrinter) {
      EXPECT_EQ(combo->Items()->Count(), 0);
    }
    // Face names fit 31 bytes and end on a whole character.
    for (int i = 0; i < combo->Items()->Count(); ++i) {
      std::string n = combo->Items()->Strings(i);
      EXPECT_LE(n.size(), 31u) << n;
      EXPECT_NE(ByteType(n, n.size() - 1), mbLeadByte) << n;
    }
    delete combo;
  }
  // The list box follows the same rules.
  auto* list = new TQvFontListBox(Form);
  list->SetParent(Form);
  list->SetFontType(ftFixedPitch);
  list->HandleNeeded();
  for (const auto& [name, f] : fc) EXPECT_EQ(list->Items()->IndexOf(name) >= 0, f.mono) << name;
}

TEST_F(CombosTest, RecentFontsGoToTheTopAndTheSeparatorIndexIsResetOnReload) {
  auto* combo = Make<TQvFontComboBox>();
  combo->HandleNeeded();
  ASSERT_GT(combo->Items()->Count(), 3);
  std::string third = combo->Items()->Strings(3);
  int count = combo->Items()->Count();
  combo->SetItemIndex(3);
  combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP), 0);
  EXPECT_EQ(combo->Items()->Strings(0), third);
  EXPECT_EQ(combo->LastMRUIndex(), 0);
  EXPECT_EQ(combo->Items()->Count(), count + 1);
  combo->SetDroppedDown(true);  // the sorted list keeps the recent font on top
  EXPECT_EQ(combo->Items()->Strings(0), third);
  combo->SetDroppedDown(false);
  combo->SetItemIndex(4);  // the original entry: its copy at the top moves instead
  combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP), 0);
  EXPECT_EQ(combo->Items()->Count(), count + 1);
  combo->SetFontType(ftTrueType);  // reloads the list
  EXPECT_EQ(combo->LastMRUIndex(), -1);
  EXPECT_EQ(combo->GetFontName(), third);

  auto* list = new TQvFontListBox(Form);
  list->SetParent(Form);
  list->SetMaintainMRUFonts(true);
  list->HandleNeeded();
  list->SetItemIndex(2);
  std::string name = list->GetFontName();
  list->AddFontToMRUList();
  EXPECT_EQ(list->Items()->Strings(0), name);
  EXPECT_EQ(list->LastMRUIndex(), 0);
  EXPECT_EQ(list->ItemIndex(), 0);
}

// Properties that recreate the window, read into a combo box on a shown form: the
// edit stays attached to the new window and the combo box frees cleanly.
TEST_F(CombosTest, ARecreatingPropertyReadIntoAShownComboKeepsItsEdit) {
  const char* texts[] = {
      "  Sorted = True\n",
      "  Sorted = True\n  Style = csSimple\n",
  };
  for (const char* props : texts) {
    SCOPED_TRACE(props);
    auto* c = Make<TQvComboBox>();
    c->SetName("Combo");
    ASSERT_TRUE(c->HandleAllocated());
    const std::string bin = FormTextToBinary(std::string("object Combo: TQvComboBox\n") + props +
                                             "  Items.Strings = (\n      'pear'\n      'apple'\n      'fig')\n"
                                             "end\n");
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), c);
    EXPECT_EQ(c->Items()->Text(), "apple\r\nfig\r\npear\r\n");
    ASSERT_TRUE(c->HandleAllocated());
    ASSERT_NE(c->EditControl(), nullptr);
    EXPECT_EQ(GetParent(c->EditHandle()), c->Handle());
    EXPECT_TRUE(IsWindowVisible(c->EditHandle()));
    delete c;
  }
}

TEST_F(CombosTest, StreamsRoundTripAndRetiredFramePropertiesAreRead) {
  std::string bin = FormTextToBinary(
      "object F: TForm\n"
      "  object A: TQvComboBox\n"
      "    FrameFlat = True\n"
      "    FrameFlatStyle = fsRaised\n"
      "    KeepSearchCase = True\n"
      "    Values.Strings = (\n      'v1')\n"
      "    Items.Strings = (\n      'one')\n"
      "  end\n"
      "  object B: TQvColorComboBox\n"
      "    FrameFocusStyle = fsButtonUp\n"
      "    ShowSysColors = False\n"
      "    ColorNames.Red = 'Rot'\n"
      "  end\n"
      "  object C: TQvMRUComboBox\n"
      "    MruSection = 'S'\n    MruID = 'I'\n    MaxHistory = 5\n"
      "  end\n"
      "  object D: TQvFontComboBox\n    FontType = ftFixedPitch\n    ShowStyle = ssFontNameAndSample\n  end\n"
      "  object E: TQvImageComboBox\n    ItemIndent = 20\n  end\n"
      "  object L: TQvFontListBox\n    FrameFlat = True\n    ShowStyle = ssFontSample\n  end\n"
      "end\n");
  auto read = [&](const std::string& Bytes) {
    auto* f = Own(new TForm(nullptr));
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size(), f);
    return f;
  };
  TForm* f = read(bin);
  auto* a = dynamic_cast<TQvComboBox*>(f->FindComponent("A"));
  auto* b = dynamic_cast<TQvColorComboBox*>(f->FindComponent("B"));
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(a->FrameHotTrack());
  EXPECT_EQ(a->FrameStyle(), fsStatus);
  EXPECT_EQ(a->FrameHotStyle(), fsLowered);
  EXPECT_EQ(b->FrameHotStyle(), fsButtonUp);
  EXPECT_EQ(b->ColorNames()->Std(9), "Rot");
  // Written back and read again, the same.
  TMemoryStream out;
  out.WriteComponent(f);
  std::string again(static_cast<const char*>(out.Memory()), out.Size());
  TForm* g = read(again);
  auto* a2 = dynamic_cast<TQvComboBox*>(g->FindComponent("A"));
  auto* b2 = dynamic_cast<TQvColorComboBox*>(g->FindComponent("B"));
  auto* c2 = dynamic_cast<TQvMRUComboBox*>(g->FindComponent("C"));
  auto* d2 = dynamic_cast<TQvFontComboBox*>(g->FindComponent("D"));
  auto* e2 = dynamic_cast<TQvImageComboBox*>(g->FindComponent("E"));
  ASSERT_TRUE(a2 && b2 && c2 && d2 && e2);
  EXPECT_EQ(a2->FrameStyle(), fsStatus);
  EXPECT_TRUE(a2->KeepSearchCase());
  EXPECT_EQ(a2->Values()->Strings(0), "v1");
  EXPECT_FALSE(b2->ShowSysColors());
  EXPECT_EQ(b2->ColorNames()->Std(9), "Rot");
  EXPECT_EQ(c2->MaxHistory(), 5);
  EXPECT_EQ(c2->MruID(), "I");
  EXPECT_EQ(d2->FontType(), ftFixedPitch);
  EXPECT_EQ(d2->ShowStyle(), ssFontNameAndSample);
  EXPECT_EQ(e2->ItemIndent(), 20);
  auto* l2 = dynamic_cast<TQvFontListBox*>(g->FindComponent("L"));
  ASSERT_TRUE(l2);
  EXPECT_EQ(l2->ShowStyle(), ssFontSample);
  EXPECT_EQ(l2->FrameStyle(), fsStatus);
  EXPECT_EQ(FormBinaryToText(again).find("FrameFlat"), std::string::npos);
}

// A form names the combo properties of the image combo (its owner-drawn Style
// included); the Items strings become entries without an item object, which draw
// their text with no image, as an item with the same caption and no images does.
TEST_F(CombosTest, AnImageComboFormWithStyleAndItemsLoadsAndDrawsTheTexts) {
  const std::string bin = FormTextToBinary(
      "object F: TForm\n"
      "  object E: TQvImageComboBox\n"
      "    Left = 10\n    Top = 10\n    Width = 160\n"
      "    Style = csOwnerDrawFixed\n"
      "    MaxLength = 12\n"
      "    Sorted = True\n"
      "    Items.Strings = (\n      'Delta'\n      'Beta')\n"
      "    ItemIndex = 1\n"
      "  end\n"
      "  object P: TQvImageComboBox\n    Style = csDropDown\n    CharCase = ecUpperCase\n    Text = 'TYPED'\n  end\n"
      "end\n");
  auto* f = Own(new TForm(nullptr));
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), f);
  auto* e = dynamic_cast<TQvImageComboBox*>(f->FindComponent("E"));
  auto* p = dynamic_cast<TQvImageComboBox*>(f->FindComponent("P"));
  ASSERT_TRUE(e && p);
  EXPECT_EQ(e->Style(), csOwnerDrawFixed);
  EXPECT_EQ(e->MaxLength(), 12);
  EXPECT_TRUE(e->Sorted());
  ASSERT_EQ(e->Items()->Count(), 2);
  EXPECT_EQ(e->Items()->Strings(0), "Beta");
  EXPECT_EQ(e->GetImageComboBoxItem(0), nullptr);
  EXPECT_EQ(e->IndexOf("DELTA"), 1);
  EXPECT_EQ(e->ItemIndex(), 1);
  EXPECT_EQ(p->Style(), csDropDown);
  EXPECT_EQ(p->CharCase(), ecUpperCase);
  EXPECT_EQ(p->Text(), "TYPED");

  // The selected text-only entry in the face, beside an item of the same caption.
  auto* item = Make<TQvImageComboBox>();
  item->AddItem(e->Items()->Strings(e->ItemIndex()), -1, 0);
  item->SetItemIndex(0);
  e->SetParent(Form);
  e->SetBounds(10, 40, item->Width(), item->Height());
  auto face = [](TQvImageComboBox* c) {
    c->SetFocus();  // both in the focused, selected look
    std::unique_ptr<TBitmap> b(new TBitmap(c->Width(), c->Height()));
    c->PaintTo(b->Canvas()->Handle(), 0, 0);
    std::vector<TColor> out;
    for (int y = 0; y < b->Height(); ++y)
      for (int x = 0; x < b->Width(); ++x) out.push_back(b->Canvas()->Pixels(x, y));
    return out;
  };
  const auto drawn = face(e);
  EXPECT_EQ(drawn, face(item));
  e->SetItemIndex(-1);
  EXPECT_NE(drawn, face(e)) << "the entry's text is drawn";
}

TEST_F(CombosTest, ImageComboItemHeightIsTheFontsHeightPlusFourOrTheImagesHeight) {
  auto* combo = Make<TQvImageComboBox>();
  const int fontHigh = static_cast<int>(FontMetricsOf(combo->Font()).tmHeight) + 4;
  ASSERT_GT(fontHigh, 8);
  auto* images = new TCustomImageList(Form);
  struct TCase {
    int ImagesHigh;
    int Want;
  };
  const TCase cases[] = {{0, fontHigh}, {fontHigh + 6, fontHigh + 6}, {4, fontHigh}};
  for (const TCase& c : cases) {
    if (c.ImagesHigh) {
      images->SetHeight(c.ImagesHigh);
      combo->SetImages(nullptr);
      combo->SetImages(images);
    }
    EXPECT_EQ(combo->ItemHeight(), c.Want) << c.ImagesHigh;
  }
}
