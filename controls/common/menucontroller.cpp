// The owner-drawn "Office" menus (see menucontroller.h).
#include "controls/common/menucontroller.h"

#include <algorithm>

#include "controls/common/dialogs.h"
#include "controls/common/frames.h"
#include "controls/common/gradients.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "platform/controls/controls.h"
#include "platform/core/filer.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/gdi.h"
#include "platform/graphics/imglist.h"
#include "platform/storage/registry.h"

namespace {

TCustomImageList* MenuImages(TMenuItem* Item) {
  TMenu* menu = Item->GetParentMenu();
  return menu ? dynamic_cast<TCustomImageList*>(menu->Images()) : nullptr;
}

bool InMainMenu(TMenuItem* Item) { return dynamic_cast<TMainMenu*>(Item->GetParentMenu()) != nullptr; }

bool InMenuBar(TMenuItem* Item) { return InMainMenu(Item) && Item->Parent() && !Item->Parent()->Parent(); }

// A retired colour property: a colour identifier or an integer.
void ReadOldColor(TReader* R, TColor& Into) {
  TValueType t = R->NextValue();
  if (t == vaIdent) {
    int64_t c = 0;
    if (IdentToColor(R->ReadIdent(), c)) Into = static_cast<TColor>(c);
  } else if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
    Into = static_cast<TColor>(R->ReadInteger());
  } else {
    R->SkipValue();
  }
}

}  // namespace

const TClassInfo& TQvMenuController::StaticClass() {
  using C = TQvMenuController;
  static const TClassInfo info =
      TClassBuilder<C>("TQvMenuController", &TComponent::StaticClass())
          .Component()
          .Enum<TQvGradientColorStyle>("GradientColorStyle", &C::GradientColorStyle, &C::SetGradientColorStyle,
                                       TQvGradientColorStyle::gcsSystem)
          .Int("SelectionColorStart", &C::SelectionColorStart, &C::SetSelectionColorStart, clBtnFace, {},
               &ColorIdents())
          .Int("SelectionColorStop", &C::SelectionColorStop, &C::SetSelectionColorStop, clBtnShadow, {},
               &ColorIdents())
          .Int("SelectionFrameColor", &C::SelectionFrameColor, &C::SetSelectionFrameColor, cl3DDkShadow, {},
               &ColorIdents())
          .Int("IconBarColorStart", &C::IconBarColorStart, &C::SetIconBarColorStart, 0xFFFFFF, {}, &ColorIdents())
          .Int("IconBarColorStop", &C::IconBarColorStop, &C::SetIconBarColorStop, clBtnFace, {}, &ColorIdents())
          .Int("MenuColor", &C::MenuColor, &C::SetMenuColor, clWindow, {}, &ColorIdents())
          .Int("MenuFontColor", &C::MenuFontColor, &C::SetMenuFontColor, clWindowText, {}, &ColorIdents())
          .Build();
  return info;
}

TQvMenuController::TQvMenuController(TComponent* AOwner) : TComponent(AOwner) {}

TQvMenuController::~TQvMenuController() {
  if (!ComponentState().Contains(csDesigning)) CleanupMenuItems();
}

void TQvMenuController::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty("GradientColorDefault", TQvOldPropReader::ReadOldBooleanProp, nullptr, false);
  Filer->DefineProperty("ThemeAware", TQvOldPropReader::ReadOldBooleanProp, nullptr, false);
  Filer->DefineProperty("GradientColorStart", [this](TReader* R) { ReadOldColor(R, FSelectionColorStart); },
                        nullptr, false);
  Filer->DefineProperty("GradientColorStop", [this](TReader* R) { ReadOldColor(R, FSelectionColorStop); },
                        nullptr, false);
  Filer->DefineProperty("FrameColor", [this](TReader* R) { ReadOldColor(R, FSelectionFrameColor); }, nullptr,
                        false);
}

void TQvMenuController::Loaded() {
  inherited::Loaded();
  if (ComponentState().Contains(csDesigning)) SetupMenus();
  else SetupMenuItems();
}

void TQvMenuController::SetupMenus() {
  TComponent* owner = Owner();
  if (!owner) return;
  for (int i = 0; i < owner->ComponentCount(); ++i)
    if (auto* m = dynamic_cast<TMenu*>(owner->Components(i))) m->SetOwnerDraw(true);
}

void TQvMenuController::SetupMenuItems() {
  FPending.clear();
  TComponent* owner = Owner();
  if (!owner) return;
  for (int i = 0; i < owner->ComponentCount(); ++i)
    if (auto* item = dynamic_cast<TMenuItem*>(owner->Components(i))) SetupMenuItem(item);
}

bool TQvMenuController::IsManaged(TMenuItem* Item) const {
  return std::find(FItems.begin(), FItems.end(), Item) != FItems.end();
}

void TQvMenuController::SetupMenuItem(TMenuItem* Item) {
  if (!Item || Item->OnAdvancedDrawItem || IsManaged(Item)) return;
  Item->OnAdvancedDrawItem = [this](TObject* Sender, TCanvas* Canvas, TRect R, TOwnerDrawState State) {
    PaintMenuItem(static_cast<TMenuItem*>(Sender), Canvas, R, State);
  };
  Item->OnMeasureItem = [this](TObject* Sender, TCanvas* Canvas, int& W, int& H) {
    MeasureMenuItem(static_cast<TMenuItem*>(Sender), Canvas, W, H);
  };
  Item->FreeNotification(this);
  FItems.push_back(Item);
}

void TQvMenuController::CleanupMenuItem(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  Item->OnAdvancedDrawItem = nullptr;
  Item->OnMeasureItem = nullptr;
  FItems.erase(it);
}

void TQvMenuController::CleanupMenuItems() {
  while (!FItems.empty()) CleanupMenuItem(FItems.back());
}

void TQvMenuController::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (ComponentState().Contains(csDesigning)) {
    if (Operation != opInsert) return;
    if (AComponent == this) SetupMenus();
    else if (auto* m = dynamic_cast<TMenu*>(AComponent)) m->SetOwnerDraw(true);
    return;
  }
  if (Operation == opRemove) {
    FPending.erase(std::remove(FPending.begin(), FPending.end(), AComponent), FPending.end());
    auto it = std::find(FItems.begin(), FItems.end(), AComponent);
    if (it != FItems.end()) FItems.erase(it);  // the item is going: its handlers go with it
    return;
  }
  // An owner announces a component from inside the component's base constructor,
  // before it is a menu item: it is taken over at the next notification or
  // TakePending call, once it is whole.
  TakePending();
  if (AComponent != this && AComponent->Owner() == Owner()) FPending.push_back(AComponent);
}

void TQvMenuController::TakePending() {
  std::vector<TComponent*> pending;
  pending.swap(FPending);
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning)) return;
  for (TComponent* c : pending)
    if (auto* item = dynamic_cast<TMenuItem*>(c)) SetupMenuItem(item);
}

void TQvMenuController::MeasureMenuItem(TMenuItem* Item, TCanvas*, int& Width, int& Height) {
  TakePending();  // items added to the menu since, before it shows
  TCustomImageList* images = MenuImages(Item);
  if (Item->IsLine()) Height = 3;
  else if (images) Height = images->Height() + 6;
  else Height = 22;
  // Only items outside a main menu get the 31 extra pixels: what counts is the menu an
  // item is in, not its level, so a main menu's drop-downs go without them like its
  // bar (painting, unlike measuring, tells bar items from drop-down items).
  if (!InMainMenu(Item) && !images) Width += 31;
}

namespace {

// The colours an item is painted with.
struct TMenuItemColors {
  TColor Frame, SelectionStart, SelectionStop, BarStart, BarStop;
  bool FullColor;
};

// The selection: a framed box filled with the selection gradient (flat without
// full colour).
void PaintMenuSelection(TCanvas* Canvas, TRect R, const TMenuItemColors& C) {
  R = DrawBox(Canvas, R, C.Frame);
  if (C.FullColor) {
    PaintGradient(Canvas, R, TGradientDirection::gdHorizontalEnd, C.SelectionStart, C.SelectionStop, 1);
  } else {
    Canvas->Brush()->SetColor(C.SelectionStop);
    Canvas->FillRect(R);
  }
}

// The check-mark box in the icon bar; without an image of the item's own, the
// system mark (check or radio bullet) in it.
void PaintMenuCheckBox(TCanvas* Canvas, TMenuItem* Item, TCustomImageList* Images, const TRect& Icon,
                       bool Selected, const TMenuItemColors& C) {
  TRect box = Icon;
  InflateRect(box, -1, -1);
  box.Right -= 2;
  TRect in = DrawBox(Canvas, box, C.Frame);
  TColor dark = DarkerColor(C.SelectionStop, 40);
  if (Selected || !C.FullColor) {
    Canvas->Brush()->SetColor(Selected ? dark : C.SelectionStop);
    Canvas->FillRect(in);
  } else {
    PaintGradient(Canvas, in, TGradientDirection::gdHorizontalEnd, dark, C.SelectionStart, 1);
  }
  if (Images && Item->ImageIndex() >= 0 && Item->ImageIndex() < Images->Count()) return;
  // The system mark, its set pixels only, in the button text colour.
  TBitmap mark;
  mark.SetWidth(16);
  mark.SetHeight(16);
  mark.Canvas()->Brush()->SetColor(clWhite);
  TRect mr{0, 0, 16, 16};
  mark.Canvas()->FillRect(mr);
  DrawFrameControl(mark.Canvas()->Handle(), &mr, DFC_MENU, Item->RadioItem() ? DFCS_MENUBULLET : DFCS_MENUCHECK);
  TRect at = CenterRect(box, 16, 16);
  TColor ink = ColorToRGB(clBtnText);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      COLORREF c = static_cast<COLORREF>(mark.Canvas()->Pixels(x, y));
      if (GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128)
        Canvas->SetPixels(at.Left + x, at.Top + y, ink);
    }
}

// A popup item's background: the icon bar and the text area, or the selection,
// then the check box and the item's image.
void PaintPopupItemBackground(TCanvas* Canvas, TMenuItem* Item, TCustomImageList* Images, const TRect& Rect,
                              const TRect& Icon, const TRect& Text, bool Selected, TColor MenuColor,
                              const TMenuItemColors& C) {
  if (!Selected) {
    if (C.FullColor) {
      PaintGradient(Canvas, Icon, TGradientDirection::gdVerticalEnd, C.BarStart, C.BarStop, 1);
    } else {
      Canvas->Brush()->SetColor(C.BarStop);
      Canvas->FillRect(Icon);
    }
    Canvas->Brush()->SetColor(MenuColor);
    Canvas->FillRect(Text);
    if (Item->Checked()) PaintMenuCheckBox(Canvas, Item, Images, Icon, false, C);
  } else {
    PaintMenuSelection(Canvas, Rect, C);
    if (Item->Checked()) PaintMenuCheckBox(Canvas, Item, Images, Icon, true, C);
  }
  if (Images && Item->ImageIndex() >= 0 && Item->ImageIndex() < Images->Count())
    Images->Draw(Canvas, Icon.Left + (Icon.Width() - Images->Width()) / 2, Rect.Top + 3, Item->ImageIndex(),
                 Item->Enabled());
}

// The caption (bold for the default item), the shortcut right-aligned in a popup,
// or the separator line.
void PaintMenuItemText(TCanvas* Canvas, TMenuItem* Item, const TRect& Rect, const TRect& Text, bool Bar,
                       TOwnerDrawState State, TColor Color) {
  if (Item->IsLine()) {
    Canvas->Pen()->SetColor(clBtnShadow);
    Canvas->MoveTo(Text.Left + 8, Rect.Top + 1);
    Canvas->LineTo(Rect.Right, Rect.Top + 1);
    return;
  }
  Canvas->Brush()->SetStyle(bsClear);
  TFont* font = Canvas->Font();
  const TFontStyles styles = font->Style();
  if (Item->Default()) {
    TFontStyles bold = styles;
    bold << fsBold;
    font->SetStyle(bold);
  }
  font->SetColor(Color);
  std::string caption = Item->Caption();
  TRect tr = Text;
  unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  if (Bar) flags |= DT_CENTER;
  else tr.Left += 8;
  if (State.Contains(odNoAccel)) flags |= DT_HIDEPREFIX;
  DrawText(Canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &tr, flags);
  if (!Bar && Item->ShortCut()) {
    std::string sc = ShortCutToText(Item->ShortCut());
    TRect sr = Text;
    sr.Right -= 16;
    DrawText(Canvas->Handle(), sc.c_str(), static_cast<int>(sc.size()), &sr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
  }
  font->SetStyle(styles);
  Canvas->Brush()->SetStyle(bsSolid);
}

}  // namespace

void TQvMenuController::PaintMenuItem(TMenuItem* Item, TCanvas* Canvas, TRect Rect, TOwnerDrawState State) {
  TMenuItemColors colors;
  if (FGradientColorStyle == TQvGradientColorStyle::gcsCustom) {
    colors.Frame = FSelectionFrameColor;
    colors.SelectionStart = FSelectionColorStart;
    colors.SelectionStop = FSelectionColorStop;
    colors.BarStart = FIconBarColorStart;
    colors.BarStop = FIconBarColorStop;
  } else {
    GetGradientSelectionColors(FGradientColorStyle, colors.Frame, colors.SelectionStart, colors.SelectionStop);
    GetGradientPanelColors(FGradientColorStyle, colors.BarStart, colors.BarStop);
  }
  colors.FullColor = IsFullColorSupported();
  TCustomImageList* images = MenuImages(Item);
  bool bar = InMenuBar(Item);
  bool selected = State.Contains(odSelected);
  bool enabled = Item->Enabled() && !State.Contains(odDisabled) && !State.Contains(odGrayed);

  // The icon bar and the text area (a menu bar item has no icon bar).
  TRect icon = Rect;
  icon.Right = Rect.Left + (images ? images->Width() + 8 : 24);
  TRect text = Rect;
  if (!bar) text.Left = icon.Right;

  if (!bar) {
    PaintPopupItemBackground(Canvas, Item, images, Rect, icon, text, selected && enabled, FMenuColor, colors);
  } else if (!selected && !State.Contains(odHotLight)) {
    Canvas->Brush()->SetColor(ThemeServices()->ThemesEnabled() ? clMenuBar : clBtnFace);
    Canvas->FillRect(Rect);
  } else {
    TRect r = Rect;
    InflateRect(r, -1, -1);
    PaintMenuSelection(Canvas, r, colors);
  }

  TColor color = FMenuFontColor;
  if (!enabled || (bar && State.Contains(odInactive))) color = clGrayText;
  PaintMenuItemText(Canvas, Item, Rect, text, bar, State, color);
}

bool TQvMenuController::HideMenuPrefix() {
  TRegistry reg;
  reg.SetRootKey(HKEY_CURRENT_USER);
  if (!reg.OpenKeyReadOnly("\\Control Panel\\Desktop")) return false;
  int want = RunningAtLeast(TQvWindowsVersion::WinVista) ? 8 : 4;
  unsigned char buf[8] = {};
  int got = 0;
  try {
    got = reg.ReadBinaryData("UserPreferencesMask", buf, want);
  } catch (...) {
    return false;  // missing or not binary
  }
  return got == want && (buf[0] & 0x20) == 0;
}
