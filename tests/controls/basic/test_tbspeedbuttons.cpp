// Toolbar speed buttons: the hot glyph, the hidden caption and its stream form,
// and the menu toolbar button's drop-down.
#include <gtest/gtest.h>

#include "controls/basic/classes.h"
#include "controls/basic/tbspeedbuttons.h"
#include "platform/controls/forms.h"
#include "platform/controls/modal.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"

namespace {

std::unique_ptr<TBitmap> Strip(int W, TColor C) {
  auto b = std::make_unique<TBitmap>(W, 16);
  b->Canvas()->Brush()->SetColor(C);
  b->Canvas()->FillRect(TRect{0, 0, W, 16});
  return b;
}

TEST(ToolbarButton, TheHotGlyphShowsUnderThePointerAndTheNormalOneComesBack) {
  TQvToolbarButton b(nullptr);
  b.SetGlyph(Strip(32, clRed).get());
  b.SetHotGlyph(Strip(16, clBlue).get());
  EXPECT_TRUE(b.UseHotGlyph());
  b.Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(b.Glyph()->Width(), 16);
  EXPECT_EQ(b.NumGlyphs(), 1);
  // A glyph set meanwhile is the one that comes back.
  b.SetGlyph(Strip(48, clLime).get());
  b.Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(b.Glyph()->Width(), 48);
  EXPECT_EQ(static_cast<TColor>(b.Glyph()->Canvas()->Pixels(0, 0)), clLime);
  // Nothing is saved any more: a second leave keeps the glyph.
  b.Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(b.Glyph()->Width(), 48);
}

TEST(ToolbarButton, AHiddenCaptionIsKeptStreamedAsSaveCaptionAndRestored) {
  RegisterBasicClasses();
  TQvToolbarButton b(nullptr);
  b.SetName("B");
  b.SetCaption("Print");
  b.SetShowCaption(false);
  EXPECT_EQ(b.Caption(), "");
  b.SetCaption("Print all");  // set while hidden: the caption to come back
  TMemoryStream s;
  s.WriteComponent(&b);
  std::string text = FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
  EXPECT_NE(text.find("SaveCaption = 'Print all'"), std::string::npos) << text;
  TQvToolbarButton read(nullptr);
  std::string bin = FormTextToBinary(text);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), &read);
  read.SetShowCaption(true);
  EXPECT_EQ(read.Caption(), "Print all");
}

TEST(MenuToolbarButton, WithoutTheArrowAnyLeftPressDropsTheMenu) {
  TScriptedModalRunner runner;
  SetModalRunner(&runner);
  {
    std::unique_ptr<TForm> owner(new TForm(nullptr));
    TForm& form = *owner;
    auto* menu = new TPopupMenu(&form);
    auto* item = new TMenuItem(&form);
    item->SetCaption("One");
    menu->Items()->Add(item);
    auto* b = new TQvMenuToolbarButton(&form);
    b->SetParent(&form);
    b->SetDropDownMenu(menu);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));  // the body, arrow shown
    b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(runner.CallsOf("menu").size(), 0u);
    EXPECT_EQ(clicks, 1);
    b->SetShowArrow(false);
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(runner.CallsOf("menu").size(), 1u);
    EXPECT_EQ(clicks, 1);
  }
  SetModalRunner(nullptr);
}

}  // namespace

#include "platform/controls/actions.h"

namespace {

TEST(ToolbarButton, AnActionGivesItsImageAsTheGlyphUnlessTheIndexIsOutsideTheList) {
  TComponent owner(nullptr);
  auto* images = new TImageList(&owner);
  images->SetWidth(16);
  images->SetHeight(16);
  TBitmap red(16, 16);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(TRect{0, 0, 16, 16});
  images->Add(&red, nullptr);
  auto* list = new TActionList(&owner);
  list->SetImages(images);
  struct Case {
    int Index;
    TColor Want;
  } cases[] = {{0, clRed}, {5, clLime}};
  for (const Case& c : cases) {
    auto* action = new TAction(&owner);
    action->SetActionList(list);
    action->SetCaption("From action");
    action->SetImageIndex(c.Index);
    auto* b = new TQvToolbarButton(&owner);
    TBitmap lime(16, 16);
    lime.Canvas()->Brush()->SetColor(clLime);
    lime.Canvas()->FillRect(TRect{0, 0, 16, 16});
    b->SetGlyph(&lime);
    b->SetIgnoreActionCaption(true);
    b->SetCaption("Mine");
    b->SetAction(action);
    EXPECT_EQ(static_cast<TColor>(b->Glyph()->Canvas()->Pixels(8, 8)), c.Want) << c.Index;
    EXPECT_EQ(b->Caption(), "Mine");
  }
}

}  // namespace
