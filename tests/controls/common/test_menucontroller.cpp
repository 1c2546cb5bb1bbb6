// The menu controller: which items it takes over, measured item sizes, popup and
// menu-bar items drawn region by region, and the keyboard-cue setting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "controls/common/menucontroller.h"
#include "controls/common/themes.h"
#include "platform/graphics/imglist.h"
#include "platform/theme/themefake.h"
#include "storage_fixture.h"

namespace {

struct MenuSet {
  TComponent Owner{nullptr};
  TPopupMenu* Popup = new TPopupMenu(&Owner);
  TMainMenu* Main = new TMainMenu(&Owner);
  TMenuItem* Add(TMenu* Menu, const std::string& Caption) {
    auto* item = new TMenuItem(&Owner);
    item->SetCaption(Caption);
    Menu->Items()->Add(item);
    return item;
  }
};

TEST(MenuController, TakesOverTheOwnersItemsButNotOnesWithAHandlerOfTheirOwn) {
  MenuSet m;
  TMenuItem* plain = m.Add(m.Popup, "Open");
  TMenuItem* own = m.Add(m.Popup, "Own");
  bool ownDrawn = false;
  own->OnAdvancedDrawItem = [&](TObject*, TCanvas*, TRect, TOwnerDrawState) { ownDrawn = true; };
  auto* ctl = new TQvMenuController(&m.Owner);
  ctl->SetupMenuItems();
  EXPECT_TRUE(ctl->IsManaged(plain));
  EXPECT_FALSE(ctl->IsManaged(own));
  // An item created afterwards is taken over once it is whole.
  TMenuItem* late = m.Add(m.Popup, "Late");
  ctl->TakePending();
  EXPECT_TRUE(ctl->IsManaged(late));
  EXPECT_TRUE(static_cast<bool>(late->OnMeasureItem));
  // A freed item leaves the list; the controller's end clears the handlers.
  delete late;
  delete ctl;
  EXPECT_FALSE(static_cast<bool>(plain->OnAdvancedDrawItem));
  EXPECT_TRUE(static_cast<bool>(own->OnAdvancedDrawItem));
}

TEST(MenuController, MeasuredItemSizes) {
  MenuSet m;
  TQvMenuController ctl(nullptr);
  TBitmap bmp;
  struct Case {
    const char* What;
    TMenu* Menu;
    const char* Caption;
    int ImageSize;  // 0: no image list
    int Width, Height;  // expected after measuring from width 100, height 10
  } cases[] = {
      {"popup item", m.Popup, "Open", 0, 131, 22},
      {"popup separator", m.Popup, "-", 0, 131, 3},
      {"menu bar item", m.Main, "File", 0, 100, 22},
      {"main menu drop-down item", nullptr, "Save", 0, 100, 22},
      {"popup item, 16-pixel images", m.Popup, "Open", 16, 100, 22},
      {"popup item, 24-pixel images", m.Popup, "Open", 24, 100, 30},
  };
  for (const Case& c : cases) {
    TCustomImageList images(nullptr);
    if (c.ImageSize && c.Menu) {
      images.SetWidth(c.ImageSize);
      images.SetHeight(c.ImageSize);
      c.Menu->SetImages(&images);
    }
    TMenuItem* item = nullptr;
    if (c.Menu) {
      item = m.Add(c.Menu, c.Caption);
    } else {  // under the main menu's first entry
      item = new TMenuItem(&m.Owner);
      item->SetCaption(c.Caption);
      m.Main->Items()->Items(0)->Add(item);
    }
    int w = 100, h = 10;
    ctl.MeasureMenuItem(item, bmp.Canvas(), w, h);
    EXPECT_EQ(w, c.Width) << c.What;
    EXPECT_EQ(h, c.Height) << c.What;
    if (c.Menu) c.Menu->SetImages(nullptr);
  }
}

TEST(MenuController, APopupItemIsDrawnWithItsIconBarSelectionAndSeparator) {
  MenuSet m;
  TQvMenuController ctl(nullptr);
  ctl.SetGradientColorStyle(TQvGradientColorStyle::gcsCustom);
  ctl.SetIconBarColorStart(clRed);
  ctl.SetIconBarColorStop(clRed);
  ctl.SetMenuColor(clWhite);
  ctl.SetSelectionFrameColor(clBlue);
  ctl.SetSelectionColorStart(clLime);
  ctl.SetSelectionColorStop(clLime);
  TMenuItem* item = m.Add(m.Popup, "Open");
  TMenuItem* line = m.Add(m.Popup, "-");
  TBitmap bmp;
  bmp.SetWidth(160);
  bmp.SetHeight(60);
  TCanvas* c = bmp.Canvas();
  auto px = [&](int X, int Y) { return static_cast<TColor>(c->Pixels(X, Y)); };
  ctl.PaintMenuItem(item, c, TRect{0, 0, 160, 22}, {});
  EXPECT_EQ(px(0, 10), clRed);     // icon bar
  EXPECT_EQ(px(23, 10), clRed);    // its last column
  EXPECT_EQ(px(24, 1), clWhite);   // text area
  EXPECT_EQ(px(159, 21), clWhite);
  ctl.PaintMenuItem(item, c, TRect{0, 22, 160, 44}, {odSelected});
  EXPECT_EQ(px(0, 22), clBlue);    // the frame round the whole item
  EXPECT_EQ(px(159, 43), clBlue);
  EXPECT_EQ(px(1, 30), clLime);    // the selection inside it
  c->Brush()->SetColor(clWhite);
  c->FillRect(TRect{0, 44, 160, 47});
  ctl.PaintMenuItem(line, c, TRect{0, 44, 160, 47}, {});
  EXPECT_EQ(px(40, 45), static_cast<TColor>(ColorToRGB(clBtnShadow)));  // one line at Top + 1
  EXPECT_EQ(px(40, 44), clWhite);
  EXPECT_EQ(px(40, 46), clWhite);
}

// With themes on, an idle menu-bar item is filled with the menu-bar colour and no
// theme element is drawn; selected and hot items keep their selection box.
TEST(MenuController, ThemedMenuBarItems) {
  {
    TThemeLibraryFake fake;
    SetComCtlVersion(ComCtlVersionIE6);
    FreeThemeServices();
    ASSERT_TRUE(ThemeServices()->ThemesEnabled());
    MenuSet m;
    TQvMenuController ctl(nullptr);
    ctl.SetGradientColorStyle(TQvGradientColorStyle::gcsCustom);
    ctl.SetSelectionFrameColor(clBlue);
    ctl.SetSelectionColorStart(clLime);
    ctl.SetSelectionColorStop(clLime);
    TMenuItem* file = m.Add(m.Main, "File");
    TBitmap bmp;
    bmp.SetWidth(60);
    bmp.SetHeight(22);
    TCanvas* c = bmp.Canvas();
    struct Case {
      const char* What;
      TOwnerDrawState State;
      TColor Corner, Inside;
    } cases[] = {
        {"idle", {}, static_cast<TColor>(RGB(212, 208, 200)), static_cast<TColor>(RGB(212, 208, 200))},
        {"hot", {odHotLight}, clWhite, clLime},
        {"selected", {odSelected}, clWhite, clLime},
    };
    for (const Case& k : cases) {
      c->Brush()->SetColor(clWhite);
      c->FillRect(TRect{0, 0, 60, 22});
      fake.Calls.clear();
      ctl.PaintMenuItem(file, c, TRect{0, 0, 60, 22}, k.State);
      EXPECT_EQ(static_cast<TColor>(c->Pixels(0, 0)), k.Corner) << k.What;
      EXPECT_EQ(static_cast<TColor>(c->Pixels(3, 3)), k.Inside) << k.What;
      EXPECT_EQ(fake.CountOf("DrawThemeBackground"), 0) << k.What;
    }
    FreeThemeServices();
  }
  FreeThemeServices();
}

// Menu-bar items: idle ones in the face colour; selected and hot ones get the
// selection box inset by one pixel; captions centred, grey while inactive, and
// without the accelerator's underline when cues are hidden.
TEST(MenuController, MenuBarItems) {
  MenuSet m;
  TQvMenuController ctl(nullptr);
  ctl.SetGradientColorStyle(TQvGradientColorStyle::gcsCustom);
  ctl.SetSelectionFrameColor(clBlue);
  ctl.SetSelectionColorStart(clLime);
  ctl.SetSelectionColorStop(clLime);
  ctl.SetMenuFontColor(clBlack);
  TMenuItem* file = m.Add(m.Main, "&File");
  TBitmap bmp;
  bmp.SetWidth(60);
  bmp.SetHeight(22);
  TCanvas* c = bmp.Canvas();
  const TRect r{0, 0, 60, 22};
  const TColor face = static_cast<TColor>(ColorToRGB(clBtnFace));
  auto paint = [&](TMenuItem* Item, TOwnerDrawState State) {
    c->Brush()->SetColor(clWhite);
    c->FillRect(r);
    ctl.PaintMenuItem(Item, c, r, State);
  };
  auto px = [&](int X, int Y) { return static_cast<TColor>(c->Pixels(X, Y)); };
  auto pixels = [&] {
    std::vector<TColor> out;
    for (int y = 0; y < 22; ++y)
      for (int x = 0; x < 60; ++x) out.push_back(px(x, y));
    return out;
  };

  struct Case {
    const char* What;
    TOwnerDrawState State;
    TColor Corner, Ring, Inside;
  } cases[] = {
      {"idle", {}, face, face, face},
      {"selected", {odSelected}, clWhite, clBlue, clLime},
      {"hot", {odHotLight}, clWhite, clBlue, clLime},
  };
  for (const Case& k : cases) {
    paint(file, k.State);
    EXPECT_EQ(px(0, 0), k.Corner) << k.What;
    EXPECT_EQ(px(59, 21), k.Corner) << k.What;
    EXPECT_EQ(px(1, 1), k.Ring) << k.What;
    EXPECT_EQ(px(58, 20), k.Ring) << k.What;
    EXPECT_EQ(px(3, 3), k.Inside) << k.What;
  }

  // Text: its inked columns centred on the item; black, or grey while inactive.
  struct Ink {
    const char* What;
    TOwnerDrawState State;
    TColor Full, Absent;  // a fully inked pixel's colour, and one that must not appear
  } inks[] = {
      {"active", {}, clBlack, static_cast<TColor>(ColorToRGB(clGrayText))},
      {"inactive", {odInactive}, static_cast<TColor>(ColorToRGB(clGrayText)), clBlack},
  };
  for (const Ink& k : inks) {
    paint(file, k.State);
    std::vector<TColor> p = pixels();
    EXPECT_NE(std::find(p.begin(), p.end(), k.Full), p.end()) << k.What;
    EXPECT_EQ(std::find(p.begin(), p.end(), k.Absent), p.end()) << k.What;
    int left = 60, right = 0;
    for (int y = 0; y < 22; ++y)
      for (int x = 0; x < 60; ++x)
        if (px(x, y) != face) left = std::min(left, x), right = std::max(right, x + 1);
    EXPECT_LE(std::abs((left + right) - 60), 2) << k.What << ": ink from " << left << " to " << right;
  }

  // Hidden cues: "&File" looks like "File"; shown, the accelerator is underlined.
  TMenuItem* plain = m.Add(m.Main, "File");
  paint(plain, {});
  std::vector<TColor> noPrefix = pixels();
  paint(file, {odNoAccel});
  EXPECT_EQ(pixels(), noPrefix);
  paint(file, {});
  EXPECT_NE(pixels(), noPrefix);
}

// The keyboard-cue setting: the first byte of the 8-byte "UserPreferencesMask" of
// "\Control Panel\Desktop" (this layer reports a version from Vista on).
class MenuPrefix : public StorageTest {};

TEST_F(MenuPrefix, HiddenOnlyWhenTheWholeMaskIsStoredWithTheCueBitClear) {
  struct Case {
    const char* What;
    bool Key;
    std::vector<unsigned char> Mask;  // empty: no value
    bool Text;                        // stored as text instead of binary
    bool Hidden;
  } cases[] = {
      {"no key", false, {}, false, false},
      {"no value", true, {}, false, false},
      {"cue bit clear", true, {0x9E, 0x1E, 0x07, 0x80, 0x12, 0, 0, 0}, false, true},
      {"cue bit set", true, {0xBE, 0x1E, 0x07, 0x80, 0x12, 0, 0, 0}, false, false},
      {"the 4-byte mask of older systems", true, {0x9E, 0x1E, 0x07, 0x80}, false, false},
      {"too long", true, {0x9E, 0x1E, 0x07, 0x80, 0x12, 0, 0, 0, 0}, false, false},
      {"text", true, {'9', 'E'}, true, false},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(Dir + "/registry");
    if (c.Key) {
      TRegistry reg;
      reg.SetRootKey(HKEY_CURRENT_USER);
      ASSERT_TRUE(reg.OpenKey("\\Control Panel\\Desktop", true));
      if (c.Text) reg.WriteString("UserPreferencesMask", std::string(c.Mask.begin(), c.Mask.end()));
      else if (!c.Mask.empty())
        reg.WriteBinaryData("UserPreferencesMask", c.Mask.data(), static_cast<int>(c.Mask.size()));
    }
    EXPECT_EQ(TQvMenuController::HideMenuPrefix(), c.Hidden) << c.What;
  }
}

}  // namespace

#include "controls/common/classes.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"

namespace {

TEST(MenuController, RetiredColoursMapToTheSelectionColoursAndTheRestRoundTrips) {
  RegisterCommonClasses();
  TQvMenuController ctl(nullptr);
  std::string old =
      "object M: TQvMenuController\n  GradientColorDefault = False\n  ThemeAware = True\n"
      "  GradientColorStart = clRed\n  GradientColorStop = 255\n  FrameColor = clLime\n"
      "  MenuColor = clInfoBk\nend\n";
  std::string bin = FormTextToBinary(old);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), &ctl);
  EXPECT_EQ(ctl.SelectionColorStart(), clRed);
  EXPECT_EQ(ctl.SelectionColorStop(), static_cast<TColor>(255));
  EXPECT_EQ(ctl.SelectionFrameColor(), clLime);
  TMemoryStream s;
  s.WriteComponent(&ctl);
  std::string text = FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
  EXPECT_EQ(text.find("GradientColorStart"), std::string::npos) << text;  // written under the new names
  TQvMenuController back(nullptr);
  std::string b2 = FormTextToBinary(text);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(b2.data()), b2.size(), &back);
  EXPECT_EQ(back.SelectionColorStart(), clRed);
  EXPECT_EQ(back.SelectionFrameColor(), clLime);
  EXPECT_EQ(back.MenuColor(), clInfoBk);
}

}  // namespace
