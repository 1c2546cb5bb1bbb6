// The "toolbars" page: toolbars of tool buttons in the three looks (plain, hot,
// down, checked, disabled, drop-down whole and split, with captions), a spacer,
// a narrowed toolbar showing its chevron, and an owner-drawn popup menu through
// the menu controller in each look (checked, radio, disabled, default, shortcuts,
// images, a separator, the selected item).
//
// Places the tests check:
//   Toolbars "T0".."T2" (classic, XP, gradient) at (8, 24 + 56 i), 520 wide.
//   The narrowed toolbar "TNarrow" at (8, 200), 120 wide, chevron in its last 14
//     pixels.
//   Bit buttons of kinds bkOK..bkAll at (8 + 104 i, 332 + 30 j), 100 x 25; a
//     disabled one and the menu button "Options" at y = 392; speed buttons on a
//     toolbar at (8, 444).
//   Menus drawn at (560 + 0, 24), (560, 200), (560, 376) (classic, system, custom
//     colours), 180 wide, 22-pixel items, separator 3 pixels.
#include <memory>
#include <string>

#include "controls/basic/bitbuttons.h"
#include "controls/basic/classes.h"
#include "controls/basic/tbspeedbuttons.h"
#include "controls/basic/toolbar.h"
#include "controls/common/menucontroller.h"
#include "platform/controls/forms.h"
#include "tools/gallery/gallery.h"

namespace {

TImageList* MakeImages(TComponent* Owner) {
  auto* images = new TImageList(Owner);
  images->SetWidth(16);
  images->SetHeight(16);
  const TColor colors[] = {clOlive, clNavy, clPurple, clTeal, clRed};
  for (int i = 0; i < 5; ++i) {
    std::unique_ptr<TBitmap> b(new TBitmap(16, 16));
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(TRect(0, 0, 16, 16));
    c->Brush()->SetColor(colors[i]);
    c->Pen()->SetColor(clBlack);
    if (i % 2) c->Ellipse(TRect(1, 1, 15, 15));
    else c->Rectangle(TRect(2, 2, 14, 14));
    images->AddMasked(b.get(), clFuchsia);
  }
  return images;
}

TQvToolButton* Button(TComponent* Host, TQvToolbar* Bar, const std::string& Caption, int Image) {
  auto* b = new TQvToolButton(Host);
  b->SetParent(Bar);
  b->SetCaption(Caption);
  b->SetImageIndex(Image);
  return b;
}

TQvToolbar* MakeBar(TComponent* Host, TWinControl* Parent, TImageList* Images, TPopupMenu* Menu,
                    const std::string& Name, TQvVisualStyle Look, int Top) {
  auto* bar = new TQvToolbar(Host);
  bar->SetName(Name);
  bar->SetAlign(alNone);
  bar->SetBounds(8, Top, 520, 32);
  bar->SetImages(Images);
  bar->SetParent(Parent);
  bar->SetVisualStyle(Look);
  Button(Host, bar, "Plain", 0);
  TQvToolButton* hot = Button(Host, bar, "Hot", 1);
  hot->Perform(CM_MOUSEENTER, 0, 0);
  auto* down = Button(Host, bar, "Down", 2);
  down->SetGroupIndex(1);
  down->SetAllowAllUp(true);
  down->SetDown(true);
  auto* off = Button(Host, bar, "Off", 3);
  off->SetEnabled(false);
  auto* spacer = new TQvSpacer(Host);
  spacer->SetGrooved(true);
  spacer->SetParent(bar);
  spacer->SetWidth(8);
  spacer->SetHeight(22);
  auto* drop = Button(Host, bar, "Menu", 4);
  drop->SetToolStyle(tsDropDown);
  drop->SetDropDownMenu(Menu);
  auto* split = Button(Host, bar, "Split", 0);
  split->OnClick = [](TObject*) {};
  split->SetToolStyle(tsDropDown);
  split->SetDropDownMenu(Menu);
  split->Perform(CM_MOUSEENTER, 0, 0);
  bar->SetTextOptions(ttoSelectiveTextOnRight);
  return bar;
}

TPopupMenu* MakeMenu(TComponent* Host, TImageList* Images) {
  auto* menu = new TPopupMenu(Host);
  menu->SetImages(Images);
  auto add = [&](const char* Caption, int Image) {
    auto* item = new TMenuItem(Host);
    item->SetCaption(Caption);
    item->SetImageIndex(Image);
    menu->Items()->Add(item);
    return item;
  };
  add("&Open...", 0)->SetShortCut(ShortCut('O', {ssCtrl}));
  add("&Save", 1)->SetDefault(true);
  add("-", -1);
  add("Word wrap", -1)->SetChecked(true);
  auto* r = add("Large icons", -1);
  r->SetRadioItem(true);
  r->SetChecked(true);
  add("Disabled", 2)->SetEnabled(false);
  add("E&xit", -1)->SetShortCut(ShortCut(VK_F4, {ssAlt}));
  return menu;
}

void PaintMenu(TCanvas* Canvas, TQvMenuController* Ctl, TPopupMenu* Menu, int X, int Y) {
  int y = Y;
  TMenuItem* root = Menu->Items();
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    int w = 180, h = 0;
    Ctl->MeasureMenuItem(item, Canvas, w, h);
    TOwnerDrawState state;
    if (i == 1) state << odSelected;
    if (!item->Enabled()) state << odDisabled;
    Canvas->Font()->SetName("Tahoma");
    Canvas->Font()->SetSize(8);
    Ctl->PaintMenuItem(item, Canvas, TRect{X, y, X + 180, y + h}, state);
    y += h;
  }
  Canvas->Pen()->SetColor(clBtnShadow);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->Rectangle(TRect{X - 1, Y - 1, X + 181, y + 1});
  Canvas->Brush()->SetStyle(bsSolid);
}

// The live controls: the toolbars, the bit buttons and the speed buttons, shown
// hot where the page says so (until the pointer comes and goes).
void Build(TWinControl* Parent) {
  RegisterBasicClasses();
  TComponent* host = Parent->Owner();
  TImageList* images = MakeImages(host);
  TPopupMenu* menu = MakeMenu(host, images);
  const TQvVisualStyle looks[] = {vsClassic, vsWinXP, vsGradient};
  for (int i = 0; i < 3; ++i) MakeBar(host, Parent, images, menu, "T" + std::to_string(i), looks[i], 24 + 56 * i);
  TQvToolbar* narrow = MakeBar(host, Parent, images, menu, "TNarrow", vsWinXP, 200);
  narrow->SetTextOptions(ttoNoTextLabels);
  narrow->SetWrapControls(false);
  narrow->SetWidth(120);
  narrow->PositionControls();
  narrow->PositionControls();
  auto* wrap = new TQvToolbar(host);
  wrap->SetAlign(alNone);
  wrap->SetBounds(8, 256, 70, 32);
  wrap->SetImages(images);
  wrap->SetParent(Parent);
  for (int i = 0; i < 3; ++i) Button(host, wrap, "", i);
  // Bit buttons of every kind, a disabled one, a menu button.
  for (int k = 1; k <= 10; ++k) {
    auto* b = new TQvBitBtn(host);
    b->SetBounds(8 + ((k - 1) % 5) * 104, 332 + ((k - 1) / 5) * 30, 100, 25);
    b->SetKind(static_cast<TBitBtnKind>(k));
    b->SetParent(Parent);
  }
  auto* off = new TQvBitBtn(host);
  off->SetBounds(8, 392, 100, 25);
  off->SetKind(bkRetry);
  off->SetEnabled(false);
  off->SetParent(Parent);
  auto* mb = new TQvMenuButton(host);
  mb->SetBounds(112, 392, 110, 25);
  mb->SetCaption("Options");
  mb->SetDropDownMenu(menu);
  mb->SetParent(Parent);
  // Toolbar speed buttons: one shown hot with its hot glyph, a menu speed button.
  auto glyph = [&](TColor C) {
    auto g = std::make_unique<TBitmap>(16, 16);
    g->Canvas()->Brush()->SetColor(clFuchsia);
    g->Canvas()->FillRect(TRect(0, 0, 16, 16));
    g->Canvas()->Brush()->SetColor(C);
    g->Canvas()->Pen()->SetColor(clBlack);
    g->Canvas()->Ellipse(TRect(2, 2, 14, 14));
    g->Canvas()->SetPixels(0, 15, clFuchsia);
    return g;
  };
  auto* sb = new TQvToolbar(host);
  sb->SetAlign(alNone);
  sb->SetBounds(8, 444, 300, 32);
  sb->SetParent(Parent);
  TQvToolbarButton* hotOne = nullptr;
  for (int i = 0; i < 3; ++i) {
    auto* t = new TQvToolbarButton(host);
    t->SetBounds(0, 0, 60, 25);
    t->SetCaption(i == 0 ? "Cut" : i == 1 ? "Copy" : "Paste");
    t->SetGlyph(glyph(clGray).get());
    t->SetHotGlyph(glyph(i == 1 ? clLime : clYellow).get());
    t->SetParent(sb);
    if (i == 1) hotOne = t;
  }
  auto* mt = new TQvMenuToolbarButton(host);
  mt->SetBounds(0, 0, 60, 25);
  mt->SetCaption("More");
  mt->SetDropDownMenu(menu);
  mt->SetParent(sb);
  for (int i = 0; i < Parent->ControlCount(); ++i)
    if (auto* c = dynamic_cast<TWinControl*>(Parent->Controls(i))) c->HandleNeeded();
  if (hotOne) hotOne->Perform(CM_MOUSEENTER, 0, 0);
}

// The captions, and the menus through the controller in each look (a picture).
void Paint(TCanvas* Canvas, const TRect&) {
  RegisterBasicClasses();
  std::unique_ptr<TComponent> host(new TComponent(nullptr));
  TImageList* images = MakeImages(host.get());
  TPopupMenu* menu = MakeMenu(host.get(), images);
  const char* names[] = {"classic", "XP (themes off)", "gradient"};
  Canvas->Brush()->SetStyle(bsClear);
  for (int i = 0; i < 3; ++i) Canvas->TextOut(8, 8 + 56 * i, std::string("Toolbar, ") + names[i] + " look");
  Canvas->TextOut(8, 184, "Narrowed, not wrapping: the chevron");
  Canvas->TextOut(8, 240, "Wrapping at 70 pixels:");
  Canvas->TextOut(8, 316, "Bit buttons of every kind, a menu button:");
  Canvas->TextOut(8, 428, "Toolbar speed buttons (the second hot, hot glyph shown):");
  const char* menuNames[] = {"Menu, classic colours", "Menu, system gradients", "Menu, custom colours"};
  for (int i = 0; i < 3; ++i) {
    TQvMenuController ctl(nullptr);
    if (i == 0) {
      ctl.SetGradientColorStyle(gcsCustom);
    } else if (i == 2) {
      ctl.SetGradientColorStyle(gcsCustom);
      ctl.SetSelectionColorStart(static_cast<TColor>(0xC0E8FF));
      ctl.SetSelectionColorStop(static_cast<TColor>(0x80C0F0));
      ctl.SetSelectionFrameColor(clNavy);
      ctl.SetIconBarColorStart(static_cast<TColor>(0xFFF0E0));
      ctl.SetIconBarColorStop(static_cast<TColor>(0xC08040));
    }
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->TextOut(560, 8 + 176 * i, menuNames[i]);
    PaintMenu(Canvas, &ctl, menu, 560, 24 + 176 * i);
  }
  Canvas->Brush()->SetStyle(bsSolid);
}

TGalleryPageRegistrar reg{{"toolbars", 760, 560, "", Paint, Build}};

}  // namespace
