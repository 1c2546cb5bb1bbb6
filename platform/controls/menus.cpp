// Menu items, main and popup menus, shortcuts and the owner-draw hooks.
#include "platform/controls/menus.h"

#include <algorithm>

#include "platform/controls/forms.h"
#include "platform/controls/modal.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/imglist.h"

namespace {

struct TKeyName {
  WORD Key;
  const char* Name;
};

const TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"}, {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"}, {VK_HOME, "Home"}, {VK_LEFT, "Left"},
    {VK_UP, "Up"}, {VK_RIGHT, "Right"}, {VK_DOWN, "Down"}, {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

std::string KeyName(WORD Key) {
  for (const auto& k : kKeyNames)
    if (k.Key == Key) return k.Name;
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return std::string(1, static_cast<char>(Key));
  if (Key >= VK_F1 && Key <= VK_F12) return "F" + std::to_string(Key - VK_F1 + 1);
  if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) return "Num " + std::to_string(Key - VK_NUMPAD0);
  return {};
}

bool SameTextAscii(const std::string& A, const std::string& B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    char a = A[i], b = B[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

}  // namespace

TShortCut ShortCut(WORD Key, TShiftState Shift) {
  if (Key & 0xFF00) return 0;
  TShortCut s = Key;
  if (Shift.Contains(ssShift)) s |= scShift;
  if (Shift.Contains(ssCtrl)) s |= scCtrl;
  if (Shift.Contains(ssAlt)) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut Value, WORD& Key, TShiftState& Shift) {
  Key = Value & 0xFF;
  Shift = {};
  if (Value & scShift) Shift << ssShift;
  if (Value & scCtrl) Shift << ssCtrl;
  if (Value & scAlt) Shift << ssAlt;
}

std::string ShortCutToText(TShortCut Value) {
  std::string name = KeyName(Value & 0xFF);
  if (name.empty()) return {};
  std::string s;
  if (Value & scShift) s += "Shift+";
  if (Value & scCtrl) s += "Ctrl+";
  if (Value & scAlt) s += "Alt+";
  return s + name;
}

TShortCut TextToShortCut(const std::string& Text) {
  std::string rest = Text;
  TShortCut mods = 0;
  for (;;) {
    bool found = false;
    for (auto [prefix, flag] : {std::pair<const char*, TShortCut>{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
      std::string p = prefix;
      if (rest.size() > p.size() && SameTextAscii(rest.substr(0, p.size()), p)) {
        mods |= flag;
        rest = rest.substr(p.size());
        found = true;
      }
    }
    if (!found) break;
  }
  for (WORD k = 1; k < 0xFF; ++k) {
    std::string name = KeyName(k);
    if (!name.empty() && SameTextAscii(name, rest)) return static_cast<TShortCut>(k | mods);
  }
  return 0;
}

// ---------------------------------------------------------------------------
// TMenuItem
// ---------------------------------------------------------------------------

const TClassInfo& TMenuItem::StaticClass() {
  using M = TMenuItem;
  static const TClassInfo info =
      TClassBuilder<M>("TMenuItem", &inherited::StaticClass())
          .Component()
          .Bool("AutoCheck", &M::AutoCheck, &M::SetAutoCheck, false)
          .Str("Caption", &M::Caption, &M::SetCaption)
          .Bool("Checked", &M::Checked, &M::SetChecked, false)
          .Bool("Default", &M::Default, &M::SetDefault, false)
          .Bool("Enabled", &M::Enabled, &M::SetEnabled, true)
          .Int("GroupIndex", &M::GroupIndex, [](M* x, int64_t v) { x->SetGroupIndex(static_cast<int>(v)); }, 0)
          .Str("Hint", &M::Hint, &M::SetHint)
          .Int("ImageIndex", &M::ImageIndex, [](M* x, int64_t v) { x->SetImageIndex(static_cast<int>(v)); }, -1)
          .Bool("RadioItem", &M::RadioItem, &M::SetRadioItem, false)
          .Int("ShortCut", &M::ShortCut, [](M* x, int64_t v) { x->SetShortCut(static_cast<TShortCut>(v)); }, 0)
          .Bool("Visible", &M::Visible, &M::SetVisible, true)
          .Event("OnClick", &M::OnClick)
          .Event("OnDrawItem", &M::OnDrawItem)
          .Event("OnAdvancedDrawItem", &M::OnAdvancedDrawItem)
          .Event("OnMeasureItem", &M::OnMeasureItem)
          .Build();
  return info;
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() = default;

void TMenuItem::BeforeDestruction() {
  TComponent::BeforeDestruction();
  // Sub-items owned elsewhere leave with their parent; those owned by the same
  // owner were freed by it already (each removed itself).
  while (!FItems.empty()) {
    TMenuItem* item = FItems.back();
    FItems.pop_back();
    item->FParent = nullptr;
    if (!item->Owner() || !item->Owner()->Destroying()) delete item;
  }
  if (FParent) FParent->Remove(this);
}

void TMenuItem::Changed(bool Rebuild) {
  if (TMenu* m = GetParentMenu()) m->MenuChanged(this, Rebuild);
}

void TMenuItem::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  bool wasLine = IsLine();
  FCaption = Value;
  Changed(wasLine != IsLine());
}

void TMenuItem::TurnSiblingsOff() {
  if (!FParent) return;
  for (TMenuItem* s : FParent->FItems)
    if (s != this && s->FRadioItem && s->FGroupIndex == FGroupIndex && s->FChecked) {
      s->FChecked = false;
      s->Changed(false);
    }
}

void TMenuItem::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  if (Value && FRadioItem) TurnSiblingsOff();
  Changed(false);
}

void TMenuItem::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Changed(false);
}

void TMenuItem::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Changed(true);
}

void TMenuItem::SetDefault(bool Value) {
  if (FDefault == Value) return;
  if (Value && FParent)
    for (TMenuItem* s : FParent->FItems) s->FDefault = false;
  FDefault = Value;
  Changed(false);
}

void TMenuItem::SetRadioItem(bool Value) {
  if (FRadioItem == Value) return;
  FRadioItem = Value;
  if (FChecked && Value) TurnSiblingsOff();
  Changed(false);
}

void TMenuItem::SetGroupIndex(int Value) {
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  Changed(false);
}

void TMenuItem::SetShortCut(TShortCut Value) {
  if (FShortCut == Value) return;
  FShortCut = Value;
  Changed(false);
}

void TMenuItem::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
  return FItems[static_cast<size_t>(Index)];
}

int TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(const_cast<TMenuItem*>(this)) : -1; }

void TMenuItem::SetMenuIndex(int Value) {
  if (!FParent) return;
  TMenuItem* p = FParent;
  auto& v = p->FItems;
  v.erase(std::find(v.begin(), v.end(), this));
  Value = std::clamp(Value, 0, static_cast<int>(v.size()));
  v.insert(v.begin() + Value, this);
  p->Changed(true);
}

int TMenuItem::IndexOf(TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent) throw EMenuError("Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == Item) throw EMenuError("Menu inserted twice");
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  if (Item->FChecked && Item->FRadioItem) Item->TurnSiblingsOff();
  Changed(true);
}

void TMenuItem::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
  TMenuItem* item = FItems[static_cast<size_t>(Index)];
  FItems.erase(FItems.begin() + Index);
  item->FParent = nullptr;
  Changed(true);
}

void TMenuItem::Remove(TMenuItem* Item) {
  int i = IndexOf(Item);
  if (i < 0) throw EMenuError("Sub-menu is not in menu");
  Delete(i);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) {
    TMenuItem* item = FItems.back();
    Delete(Count() - 1);
    delete item;
  }
}

TMenuItem* TMenuItem::Find(const std::string& ACaption) const {
  std::string want = StripHotkey(ACaption);
  for (TMenuItem* i : FItems)
    if (StripHotkey(i->FCaption) == want) return i;
  return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->FParent) i = i->FParent;
  return i->FMenu;
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (FAutoCheck) SetChecked(!FChecked);
  if (OnClick) OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (FParent) FParent->Remove(this);
  if (auto* m = dynamic_cast<TMenu*>(Value)) m->Items()->Add(this);
  else if (auto* i = dynamic_cast<TMenuItem*>(Value)) i->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& Proc, TComponent*) {
  for (TMenuItem* i : FItems) Proc(i);
}

void TMenuItem::SetChildOrder(TComponent* Child, int Order) {
  if (auto* i = dynamic_cast<TMenuItem*>(Child); i && i->FParent == this) i->SetMenuIndex(Order);
}

// ---------------------------------------------------------------------------
// TMenu, TMainMenu, TPopupMenu
// ---------------------------------------------------------------------------

const TClassInfo& TMenu::StaticClass() {
  using M = TMenu;
  static const TClassInfo info =
      TClassBuilder<M>("TMenu", &inherited::StaticClass())
          .Object<TCustomImageList>("Images", [](M* x) { return dynamic_cast<TCustomImageList*>(x->Images()); },
                                    [](M* x, TCustomImageList* v) { x->SetImages(v); })
          .Bool("OwnerDraw", &M::OwnerDraw, &M::SetOwnerDraw, false)
          .Build();
  return info;
}

const TClassInfo& TMainMenu::StaticClass() {
  static const TClassInfo info = TClassBuilder<TMainMenu>("TMainMenu", &inherited::StaticClass())
                                     .Component()
                                     .Bool("AutoMerge", &TMainMenu::AutoMerge, &TMainMenu::SetAutoMerge, false)
                                     .Build();
  return info;
}

const TClassInfo& TPopupMenu::StaticClass() {
  using P = TPopupMenu;
  static const TClassInfo info = TClassBuilder<P>("TPopupMenu", &inherited::StaticClass())
                                     .Component()
                                     .Enum<TAlignment>("Alignment", &P::Alignment, &P::SetAlignment, taLeftJustify)
                                     .Bool("AutoPopup", &P::AutoPopup, &P::SetAutoPopup, true)
                                     .Event("OnPopup", &P::OnPopup)
                                     .Build();
  return info;
}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner) {
  FItems = new TMenuItem(nullptr);
  FItems->FMenu = this;
}

TMenu::~TMenu() { delete FItems; }

void TMenu::BeforeDestruction() {
  TComponent::BeforeDestruction();
  // Items owned by the menu's owner are freed by it; the rest go with the menu.
  FItems->FMenu = nullptr;
}

void TMenu::SetOwnerDraw(bool Value) {
  if (FOwnerDraw == Value) return;
  FOwnerDraw = Value;
  MenuChanged(nullptr, true);
}

void TMenu::SetImages(TComponent* Value) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  MenuChanged(nullptr, true);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

TMenuItem* TMenu::FindItemByShortCut(TShortCut Value) const {
  std::vector<TMenuItem*> stack{FItems};
  while (!stack.empty()) {
    TMenuItem* i = stack.back();
    stack.pop_back();
    for (TMenuItem* c : i->FItems) {
      if (!c->Visible() || !c->Enabled()) continue;
      if (c->ShortCut() == Value && Value != 0) return c;
      stack.push_back(c);
    }
  }
  return nullptr;
}

bool TMenu::IsShortCut(TMessage& Message) {
  TWMKey k(Message);
  TShortCut sc = ShortCut(k.CharCode(), KeyDataToShiftState(k.KeyData()));
  if (sc == 0) return false;
  TMenuItem* item = FindItemByShortCut(sc);
  if (!item) return false;
  item->Click();
  return true;
}

void TMenu::GetChildren(const TGetChildProc& Proc, TComponent* Root) { FItems->GetChildren(Proc, Root); }

void TMenu::SetChildOrder(TComponent* Child, int Order) { FItems->SetChildOrder(Child, Order); }

void TMenu::MenuChanged(TMenuItem*, bool) {}

void TMainMenu::MenuChanged(TMenuItem* Source, bool Rebuild) {
  TMenu::MenuChanged(Source, Rebuild);
  if (ComponentState().Contains(csLoading) || Destroying()) return;
  if (auto* form = dynamic_cast<TCustomForm*>(Owner()); form && form->Menu() == this && form->HandleAllocated())
    form->Perform(CM_MENUCHANGED, 0, 0);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

TPopupPlacement PopupPlacementFor(const TControl* Control, TAlignment Alignment) {
  if (Control && Control->UseRightToLeftAlignment()) ChangeBiDiModeAlignment(Alignment);
  TPopupPlacement p;
  p.Align = Alignment == taRightJustify ? TPopupAlign::paRight
            : Alignment == taCenter     ? TPopupAlign::paCenter
                                        : TPopupAlign::paLeft;
  p.RightToLeft = Control && Control->UseRightToLeftReading();
  return p;
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  if (HWND c = GetCapture()) {
    SendMessage(c, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
  }
  HWND owner = GetActiveWindow();
  // The menu reads as the control it pops up for, or else as its owner when that
  // is a control (a form).
  const auto* reader = dynamic_cast<const TControl*>(FPopupComponent);
  if (!reader) reader = dynamic_cast<const TControl*>(Owner());
  TMenuItem* chosen = ModalRunner().PopupMenu(Items(), {X, Y}, owner, PopupPlacementFor(reader, FAlignment));
  if (chosen) chosen->Click();
}

// ---------------------------------------------------------------------------
// Owner drawing

TSize MeasureMenuItem(TMenuItem* Item, TCanvas* Canvas, bool TopLevel) {
  int w = 0, h = 0;
  if (Item->IsLine()) {
    h = 8;
  } else {
    std::string text = StripHotkey(Item->Caption());
    TSize s = Canvas->TextExtent(text.empty() ? std::string("W") : text);
    w = s.cx + (TopLevel ? 12 : 36);
    if (!TopLevel && Item->ShortCut()) w += Canvas->TextWidth(ShortCutToText(Item->ShortCut())) + 16;
    h = std::max(s.cy + 6, GetSystemMetrics(SM_CYMENU) - 1);
  }
  if (Item->OnMeasureItem) Item->OnMeasureItem(Item, Canvas, w, h);
  return {w, h};
}

void DrawMenuItem(TMenuItem* Item, TCanvas* Canvas, TRect Rect, TOwnerDrawState State, bool TopLevel) {
  if (Item->OnAdvancedDrawItem) {
    Item->OnAdvancedDrawItem(Item, Canvas, Rect, State);
    return;
  }
  if (Item->OnDrawItem) {
    Item->OnDrawItem(Item, Canvas, Rect, State.Contains(odSelected));
    return;
  }
  bool selected = State.Contains(odSelected) && Item->Enabled();
  Canvas->Brush()->SetColor(selected ? clHighlight : clMenu);
  Canvas->FillRect(Rect);
  if (Item->IsLine()) {
    TRect line{Rect.Left, (Rect.Top + Rect.Bottom) / 2 - 1, Rect.Right, (Rect.Top + Rect.Bottom) / 2 + 1};
    DrawEdge(Canvas->Handle(), &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  Canvas->Font()->SetColor(!Item->Enabled() ? clGrayText : selected ? clHighlightText : clMenuText);
  Canvas->Brush()->SetStyle(bsClear);
  TRect text = Rect;
  text.Left += TopLevel ? 6 : 18;
  std::string caption = Item->Caption();
  DrawText(Canvas->Handle(), caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | (TopLevel ? DT_CENTER : DT_LEFT));
  if (!TopLevel && Item->ShortCut()) {
    TRect sc = Rect;
    sc.Right -= 8;
    std::string s = ShortCutToText(Item->ShortCut());
    DrawText(Canvas->Handle(), s.c_str(), -1, &sc, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
  }
  if (Item->Checked() && !TopLevel) {
    TRect mark{Rect.Left + 2, Rect.Top, Rect.Left + 16, Rect.Bottom};
    DrawFrameControl(Canvas->Handle(), &mark, DFC_MENU, Item->RadioItem() ? DFCS_MENUBULLET : DFCS_MENUCHECK);
  }
  Canvas->Brush()->SetStyle(bsSolid);
}
