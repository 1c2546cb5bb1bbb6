#include "controls/editlist/imagecombo.h"

#include <atomic>
#include <cstdlib>

#include "controls/editlist/listnames.h"
#include "platform/controls/forms.h"
#include "platform/core/scope.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/gdi.h"

namespace {
std::atomic<int> gLiveItems{0};
}

// ---------------------------------------------------------------------------
// TQvImageComboBoxItem
// ---------------------------------------------------------------------------

const TClassInfo& TQvImageComboBoxItem::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvImageComboBoxItem>("TQvImageComboBoxItem", &TObject::StaticClass()).Build();
  return info;
}

int TQvImageComboBoxItem::LiveCount() { return gLiveItems.load(); }
TQvImageComboBoxItem::~TQvImageComboBoxItem() { --gLiveItems; }

void TQvImageComboBoxItem::Changed() {
  if (FOwner) FOwner->Invalidate();
}

void TQvImageComboBoxItem::SetIndentLevel(int V) {
  FIndentLevel = V;
  Changed();
}
void TQvImageComboBoxItem::SetImageIndex(int V) {
  FImageIndex = V;
  Changed();
}
void TQvImageComboBoxItem::SetOverlayIndex(int V) {
  FOverlayIndex = V;
  Changed();
}
void TQvImageComboBoxItem::SetCaption(const std::string& V) {
  FCaption = V;
  // The entry's string follows, so the search sees the new caption.
  if (FOwner) {
    int i = FOwner->IndexOfItem(this);
    if (i >= 0 && FOwner->Items()->Strings(i) != V) {
      FOwner->Items()->SetStrings(i, V);
      FOwner->Items()->SetObjects(i, this);
    }
  }
  Changed();
}

// ---------------------------------------------------------------------------
// TQvCustomImageComboBox
// ---------------------------------------------------------------------------

TQvCustomImageComboBox::TQvCustomImageComboBox(TComponent* AOwner) : TQvCustomComboBox(AOwner) {
  SetStyle(csOwnerDrawFixed);
  FFocusBorder = false;
}

TQvCustomImageComboBox::~TQvCustomImageComboBox() = default;

void TQvCustomImageComboBox::BeforeDestruction() {
  // The items go with the control, also when its owner frees it (no delete
  // notifications reach a control that is being destroyed).
  TStrings* items = Items();
  for (int i = 0; i < items->Count(); ++i)
    if (TObject* item = items->Objects(i)) {
      items->SetObjects(i, nullptr);
      delete item;
    }
  inherited::BeforeDestruction();
}

TQvImageComboBoxItem* TQvCustomImageComboBox::AddItem(const std::string& Caption, int ImageIndex, int IndentLevel) {
  auto* item = new TQvImageComboBoxItem(this);
  ++gLiveItems;
  item->FCaption = Caption;
  item->FImageIndex = ImageIndex;
  item->FIndentLevel = IndentLevel;
  item->FIndex = Items()->AddObject(Caption, item);
  return item;
}

void TQvCustomImageComboBox::Delete(int Index) {
  TRestore deleting(FDeleting, true);
  Items()->Delete(Index);
}

TQvImageComboBoxItem* TQvCustomImageComboBox::GetImageComboBoxItem(int Index) {
  if (Index < 0 || Index >= Items()->Count()) return nullptr;
  return dynamic_cast<TQvImageComboBoxItem*>(Items()->Objects(Index));
}

int TQvCustomImageComboBox::IndexOf(const std::string& S) {
  // An entry without an item object is known by its string.
  for (int i = 0; i < Items()->Count(); ++i) {
    TQvImageComboBoxItem* it = GetImageComboBoxItem(i);
    if (AnsiSameText(it ? it->Caption() : Items()->Strings(i), S)) return i;
  }
  return -1;
}

int TQvCustomImageComboBox::IndexOfItem(TQvImageComboBoxItem* Item) {
  for (int i = 0; i < Items()->Count(); ++i)
    if (Items()->Objects(i) == Item) return i;
  return -1;
}

int TQvCustomImageComboBox::IndexOfData(void* P) {
  for (int i = 0; i < Items()->Count(); ++i)
    if (TQvImageComboBoxItem* it = GetImageComboBoxItem(i); it && it->Data == P) return i;
  return -1;
}

void TQvCustomImageComboBox::SetImages(TCustomImageList* V) {
  if (V == FImages) return;
  FImages = V;
  if (V) V->FreeNotification(this);
  if (!ComponentState().Contains(csLoading)) AutoSize(Font()->Handle());
  Invalidate();
}

void TQvCustomImageComboBox::SetItemIndent(int V) {
  if (V == FItemIndent) return;
  FItemIndent = V;
  Invalidate();
}

void TQvCustomImageComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

void TQvCustomImageComboBox::GetItemData(TQvImageComboBoxItem* Item) {
  if (OnGetItemData) OnGetItemData(this, Item);
}

void TQvCustomImageComboBox::AutoSize(HFONT Font) {
  if (!FAutoSizeHeight) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font);
  TEXTMETRIC tm{};
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int h = std::abs(tm.tmHeight) + 4;
  if (FImages && FImages->Height() > h) h = FImages->Height();
  SetItemHeight(h);
}

void TQvCustomImageComboBox::CreateWnd() {
  inherited::CreateWnd();
  Perform(CB_SETEXTENDEDUI, 1, 0);
}

void TQvCustomImageComboBox::DeleteItem(void* Item) {
  auto* item = static_cast<TQvImageComboBoxItem*>(static_cast<TObject*>(Item));
  if (OnDeleteImageItem) OnDeleteImageItem(this, item);
  // Every entry's object goes with its entry (Delete, Clear, reset, destruction),
  // so none is left behind.
  delete item;
}

void TQvCustomImageComboBox::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_SETFONT:
      if (!FSettingFont) {
        FSettingFont = true;
        AutoSize(reinterpret_cast<HFONT>(M.WParam));
        FSettingFont = false;
      }
      break;
    case CM_FONTCHANGED:
      inherited::WndProc(M);
      if (!FSettingFont && !ComponentState().Contains(csLoading)) {
        FSettingFont = true;
        AutoSize(Font()->Handle());
        FSettingFont = false;
      }
      return;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(M.WParam);
      if (dc) {
        TColor c = dynamic_cast<TForm*>(Parent()) ? Parent()->Color() : clWindow;
        HBRUSH b = CreateSolidBrush(ColorToRGB(c));
        TRect r = GetClientRect();
        ::FillRect(dc, &r, b);
        DeleteObject(b);
      }
      M.Result = 1;
      return;
    }
    default: break;
  }
  inherited::WndProc(M);
}

// Indent and image, then the caption box:
//
//   |2|<-ItemIndent x level->|[img]|3|[ caption ]|
void TQvCustomImageComboBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) return OnDrawItem(this, Index, Rect, State);
  if (Index < 0 || Index >= Items()->Count()) return;
  // An entry without an item object (the strings a form's Items hold) is drawn as
  // its text with no image and no indent.
  TQvImageComboBoxItem* item = GetImageComboBoxItem(Index);
  if (item) GetItemData(item);
  const std::string caption = item ? item->Caption() : Items()->Strings(Index);
  TCanvas* c = Canvas();
  int indent = State.Contains(odComboBoxEdit) || !item ? 0 : item->IndentLevel();
  TColor textBrush = c->Brush()->Color();
  c->Brush()->SetColor(Color());
  c->FillRect(Rect);
  // Right to left the indent, the image and the caption mirror within the item:
  // a span at X, W wide, lies at Left + Right - X - W.
  const bool rtl = UseRightToLeftAlignment();
  auto place = [&](int X, int W) { return rtl ? Rect.Left + Rect.Right - X - W : X; };
  const int imageW = FImages ? FImages->Width() : 0;
  int x = place(Rect.Left + 2 + FItemIndent * indent, imageW);
  if (FImages && item) {
    TColor bk = FImages->BkColor();
    FImages->SetBkColor(ColorToRGB(Color()));
    int y = (Rect.Top + Rect.Bottom - FImages->Height()) / 2;
    if (item->OverlayIndex() >= 0) FImages->DrawOverlay(c, x, y, item->ImageIndex(), item->OverlayIndex(), true);
    else FImages->Draw(c, x, y, item->ImageIndex(), true);
    FImages->SetBkColor(bk);
  }
  c->Brush()->SetColor(State.Contains(odSelected) ? clHighlight : textBrush);
  if (caption.empty()) return;
  const int tw = c->TextWidth(caption);
  int left = place(place(x, imageW) + (FImages ? imageW + 4 : 4) - 1, tw + 3);
  TRect r(left, Rect.Top, left + tw + 3, Rect.Bottom - 1);
  if (!Enabled()) c->Font()->SetColor(clBtnShadow);
  c->TextFlags = rtl ? ETO_RTLREADING : 0;
  c->TextRect(r, rtl ? left + 2 : left + 1, Rect.Top + 1, caption);
  c->TextFlags = 0;
}

const TClassInfo& TQvCustomImageComboBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCustomImageComboBox>("TQvCustomImageComboBox", &TQvCustomComboBox::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvImageComboBox::StaticClass() {
  using C = TQvImageComboBox;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvImageComboBox", &TQvCustomImageComboBox::StaticClass());
    // The framed combo box's set; the constructor starts owner-drawn, away from the
    // declared Style, so a new instance's Style is written.
    b.Component().Enum<TComboBoxStyle>("Style", &C::Style, &C::SetStyle, csDropDown);
    AddFramedComboProps(b);
    PublishComboBoxNames(b);
    b.Enum<TEditCharCase>("CharCase", &C::CharCase, &C::SetCharCase, ecNormal)
        .Int("MaxLength", &C::MaxLength, [](C* x, int64_t v) { x->SetMaxLength(static_cast<int>(v)); }, 0)
        .Bool("Sorted", &C::Sorted, &C::SetSorted, false)
        // Items before Text: filling the list empties the edit. A form's strings
        // become entries without an item object.
        .Object<TStrings>("Items", &C::Items, &C::SetItems)
        .Prop(TControl::Property("Text"))
        .Bool("AutoSizeHeight", &C::AutoSizeHeight, &C::SetAutoSizeHeight, true)
        .Int("DropDownCount", &C::DropDownCount, [](C* x, int64_t v) { x->SetDropDownCount(static_cast<int>(v)); }, 8)
        .Object<TCustomImageList>("Images", &C::Images, &C::SetImages)
        .Int("ItemIndent", &C::ItemIndent, [](C* x, int64_t v) { x->SetItemIndent(static_cast<int>(v)); }, 12)
        .Int("ItemHeight", &C::ItemHeight, [](C* x, int64_t v) { x->SetItemHeight(static_cast<int>(v)); }, 16)
        .Int("ItemIndex", &C::ItemIndex, [](C* x, int64_t v) { x->SetItemIndex(static_cast<int>(v)); }, -1)
        .Event("OnDeleteItem", static_cast<TQvDeleteImageComboBoxItemEvent C::*>(&C::OnDeleteImageItem))
        .Event("OnGetItemData", static_cast<TQvImageComboBoxGetItemDataEvent C::*>(&C::OnGetItemData));
    return b.Build();
  }();
  return info;
}

namespace {
const bool kRegistered = (RegisterClass(ClassEntry<TQvImageComboBox>()), true);
}
