// TListView in report style: columns, items, painting, selection, keys, scrolling.
#include "platform/stdctrls/listview.h"

#include <algorithm>

#include "platform/controls/scrollbars.h"
#include "platform/stdctrls/listcommon.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TViewStyle, "vsIcon", "vsSmallIcon", "vsList", "vsReport")

namespace {

const char* const kListIndexError = "List index out of bounds (%d)";

// A subitem list that repaints its row when it changes.
class TSubItems : public TStringList {
public:
  explicit TSubItems(TListItem* AItem) : Item(AItem) {}
  TListItem* Item;

protected:
  void Changed() override {
    TStringList::Changed();
    if (UpdateCount() == 0)
      if (TCustomListView* lv = Item->ListView()) lv->Invalidate();
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// Columns
// ---------------------------------------------------------------------------

void TListColumn::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Changed(false);
}

void TListColumn::SetWidth(int Value) {
  Value = std::max(0, Value);
  if (FWidth == Value) return;
  FWidth = Value;
  Changed(false);
}

void TListColumn::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Changed(false);
}

void TListColumn::Assign(TPersistent* Source) {
  if (auto* c = dynamic_cast<TListColumn*>(Source)) {
    FCaption = c->FCaption;
    FWidth = c->FWidth;
    FAlignment = c->FAlignment;
    Changed(false);
    return;
  }
  inherited::Assign(Source);
}

TListColumns::TListColumns(TCustomListView* AOwner) : TCollection(TListColumn::StaticClass(), AOwner), FListView(AOwner) {}

void TListColumns::Update(TCollectionItem*) {
  if (!FListView) return;
  FListView->SetHorz(FListView->FHorz);
  FListView->UpdateScrollBars();
  FListView->Invalidate();
}

// ---------------------------------------------------------------------------
// Items
// ---------------------------------------------------------------------------

TListItem::TListItem(TListItems* AOwner) : FOwner(AOwner) { FSubItems = new TSubItems(this); }

TListItem::~TListItem() { delete FSubItems; }

TCustomListView* TListItem::ListView() const { return FOwner ? FOwner->Owner() : nullptr; }

void TListItem::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  if (TCustomListView* lv = ListView()) lv->InvalidateRow(Index());
}

void TListItem::SetSubItems(TStrings* Value) { FSubItems->Assign(Value); }

int TListItem::Index() const { return FOwner ? FOwner->IndexOf(this) : -1; }

bool TListItem::Selected() const {
  TCustomListView* lv = ListView();
  return lv && lv->ItemIndex() == Index();
}

void TListItem::SetSelected(bool Value) {
  TCustomListView* lv = ListView();
  if (!lv) return;
  if (Value) lv->SelectIndex(Index(), false);
  else if (Selected()) lv->SelectIndex(-1, false);
}

bool TListItem::Focused() const {
  TCustomListView* lv = ListView();
  return lv && lv->ItemFocused() == this;
}

void TListItem::SetFocused(bool Value) {
  TCustomListView* lv = ListView();
  if (!lv) return;
  if (Value) lv->SetItemFocused(this);
  else if (Focused()) lv->SetItemFocused(nullptr);
}

void TListItem::Delete() {
  if (FOwner) FOwner->Delete(Index());
}

TListItems::~TListItems() {
  for (TListItem* i : FItems) {
    i->FOwner = nullptr;
    delete i;
  }
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int Index) {
  if (Index < 0 || Index > Count()) throw EListError(Format(kListIndexError, {Index}));
  auto* item = new TListItem(this);
  FItems.insert(FItems.begin() + Index, item);
  FOwner->ItemInserted(Index);
  return item;
}

void TListItems::Delete(int Index) {
  TListItem* item = Item(Index);
  FItems.erase(FItems.begin() + Index);
  item->FOwner = nullptr;
  delete item;
  FOwner->ItemDeleted(Index);
}

void TListItems::Clear() {
  if (FItems.empty()) return;
  std::vector<TListItem*> old;
  old.swap(FItems);
  for (TListItem* i : old) {
    i->FOwner = nullptr;
    delete i;
  }
  FOwner->FSelected = FOwner->FFocused = -1;
  FOwner->FTop = 0;
  FOwner->ItemsChanged();
}

TListItem* TListItems::Item(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format(kListIndexError, {Index}));
  return FItems[static_cast<size_t>(Index)];
}

int TListItems::IndexOf(const TListItem* Value) const {
  auto it = std::find(FItems.begin(), FItems.end(), Value);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TListItems::BeginUpdate() { ++FUpdateCount; }

void TListItems::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) FOwner->ItemsChanged();
}

// ---------------------------------------------------------------------------
// TCustomListView
// ---------------------------------------------------------------------------

TCustomListView::TCustomListView(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle << csOpaque;
  SetBounds(0, 0, 250, 150);
  SetTabStop(true);
  SetParentColor(false);
  FColumns = new TListColumns(this);
  FItems = new TListItems(this);
  FCanvas = new TControlCanvas;
  FCanvas->SetControl(this);
}

TCustomListView::~TCustomListView() {
  delete FCanvas;
  delete FItems;
  FItems = nullptr;
  delete FColumns;
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
  if (FViewStyle == Value) return;
  FViewStyle = Value;
  Invalidate();
}

void TCustomListView::SetGridLines(bool Value) {
  if (FGridLines == Value) return;
  FGridLines = Value;
  Invalidate();
}

void TCustomListView::SetRowSelect(bool Value) {
  if (FRowSelect == Value) return;
  FRowSelect = Value;
  Invalidate();
}

void TCustomListView::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  Invalidate();
}

void TCustomListView::SetShowColumnHeaders(bool Value) {
  if (FShowColumnHeaders == Value) return;
  FShowColumnHeaders = Value;
  UpdateScrollBars();
  Invalidate();
}

void TCustomListView::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomListView::SetItemIndex(int Value) {
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  SelectIndex(Value, false);
}

TListItem* TCustomListView::Selected() const { return FSelected >= 0 ? FItems->Item(FSelected) : nullptr; }

void TCustomListView::SetSelected(TListItem* Value) { SelectIndex(Value ? FItems->IndexOf(Value) : -1, false); }

TListItem* TCustomListView::ItemFocused() const { return FFocused >= 0 ? FItems->Item(FFocused) : nullptr; }

void TCustomListView::SetItemFocused(TListItem* Value) {
  int i = Value ? FItems->IndexOf(Value) : -1;
  if (i == FFocused) return;
  InvalidateRow(FFocused);
  FFocused = i;
  InvalidateRow(FFocused);
}

void TCustomListView::DeleteSelected() {
  if (FSelected >= 0) FItems->Delete(FSelected);
}

TListItem* TCustomListView::GetItemAt(int X, int Y) {
  int hh = HeaderHeight(), rh = RowHeight();
  if (Y < hh || X < -FHorz || X >= TotalWidth() - FHorz || !GetClientRect().Contains({X, Y})) return nullptr;
  int i = FTop + (Y - hh) / rh;
  return i < FItems->Count() ? FItems->Item(i) : nullptr;
}

TListItem* TCustomListView::TopItem() { return FTop < FItems->Count() ? FItems->Item(FTop) : nullptr; }

int TCustomListView::VisibleRowCount() {
  return std::max(0, (GetClientRect().Height() - HeaderHeight()) / RowHeight());
}

void TCustomListView::MakeVisible(int Index) {
  if (Index < 0 || Index >= FItems->Count()) return;
  int rows = std::max(1, VisibleRowCount());
  if (Index < FTop) SetTop(Index);
  else if (Index >= FTop + rows) SetTop(Index - rows + 1);
}

int TCustomListView::HeaderHeight() {
  if (!FShowColumnHeaders) return 0;
  if (FFontHeight < 0) FFontHeight = std::max(1, static_cast<int>(FontMetricsOf(Font()).tmHeight));
  return FFontHeight + 4;
}

int TCustomListView::RowHeight() {
  if (FFontHeight < 0) FFontHeight = std::max(1, static_cast<int>(FontMetricsOf(Font()).tmHeight));
  return FFontHeight + 3;
}

int TCustomListView::TotalWidth() {
  int w = 0;
  for (int i = 0; i < FColumns->Count(); ++i) w += FColumns->Items(i)->Width();
  return w;
}

int TCustomListView::MaxTop() { return std::max(0, FItems->Count() - std::max(1, VisibleRowCount())); }

void TCustomListView::SetTop(int Top) {
  Top = std::clamp(Top, 0, MaxTop());
  if (Top == FTop) return;
  FTop = Top;
  if (!FHandle) return;
  Invalidate();
  SetScrollPos(FHandle, SB_VERT, FTop, TRUE);
}

void TCustomListView::SetHorz(int Pos) {
  Pos = std::clamp(Pos, 0, std::max(0, TotalWidth() - GetClientRect().Width()));
  if (Pos == FHorz) return;
  FHorz = Pos;
  if (!FHandle) return;
  Invalidate();
  SetScrollPos(FHandle, SB_HORZ, FHorz, TRUE);
}

void TCustomListView::UpdateScrollBars() {
  if (!FHandle || FUpdatingBars || (FItems && FItems->FUpdateCount > 0)) return;
  FUpdatingBars = true;
  for (int pass = 0; pass < 2; ++pass) {
    FTop = std::clamp(FTop, 0, MaxTop());
    FHorz = std::clamp(FHorz, 0, std::max(0, TotalWidth() - GetClientRect().Width()));
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = std::max(0, FItems->Count() - 1);
    si.nPage = static_cast<UINT>(VisibleRowCount());
    si.nPos = FTop;
    SetScrollInfo(FHandle, SB_VERT, &si, TRUE);
    si.nMax = std::max(0, TotalWidth() - 1);
    si.nPage = static_cast<UINT>(std::max(0, GetClientRect().Width()));
    si.nPos = FHorz;
    SetScrollInfo(FHandle, SB_HORZ, &si, TRUE);
  }
  FUpdatingBars = false;
}

void TCustomListView::ItemsChanged() {
  if (FItems->FUpdateCount > 0) return;
  UpdateScrollBars();
  Invalidate();
}

void TCustomListView::ItemInserted(int Index) {
  if (FSelected >= Index) ++FSelected;
  if (FFocused >= Index) ++FFocused;
  ItemsChanged();
}

void TCustomListView::ItemDeleted(int Index) {
  if (FSelected == Index) FSelected = -1;
  else if (FSelected > Index) --FSelected;
  if (FFocused == Index) FFocused = -1;
  else if (FFocused > Index) --FFocused;
  if (!FHandle) FTop = std::clamp(FTop, 0, std::max(0, FItems->Count() - 1));
  ItemsChanged();
}

void TCustomListView::InvalidateRow(int Index) {
  if (!FHandle || Index < 0 || (FItems && FItems->FUpdateCount > 0)) return;
  int y = HeaderHeight() + (Index - FTop) * RowHeight();
  TRect r{0, y, GetClientRect().Right, y + RowHeight()};
  InvalidateRect(FHandle, &r, FALSE);
}

void TCustomListView::SelectIndex(int Index, bool Scroll) {
  if (Index < -1 || Index >= FItems->Count()) Index = -1;
  if (Index != FSelected) {
    InvalidateRow(FSelected);
    FSelected = Index;
    InvalidateRow(FSelected);
  }
  if (Index >= 0 && Index != FFocused) {
    InvalidateRow(FFocused);
    FFocused = Index;
    InvalidateRow(FFocused);
  }
  if (Scroll) MakeVisible(Index);
}

std::string TCustomListView::CellText(int Index, int Column) {
  TListItem* item = FItems->Item(Index);
  if (Column == 0) return item->Caption();
  return Column - 1 < item->SubItems()->Count() ? item->SubItems()->Strings(Column - 1) : std::string();
}

void TCustomListView::CreateParams(TCreateParams& P) {
  inherited::CreateParams(P);
  P.Style |= WS_VSCROLL | WS_HSCROLL;
  if (FBorderStyle == bsSingle) {
    if (Ctl3D()) P.ExStyle |= WS_EX_CLIENTEDGE;
    else P.Style |= WS_BORDER;
  }
}

void TCustomListView::CreateWnd() {
  inherited::CreateWnd();
  UpdateScrollBars();
}

void TCustomListView::WndProc(TMessage& M) {
  if (FHandle && ScrollBarTracking(FHandle) && ScrollBarsDefProc(FHandle, M)) return;
  inherited::WndProc(M);
}

void TCustomListView::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
      ListMouseDown(LParamToPoint(M.LParam));
      inherited::Dispatch(M);
      break;
    case CM_FONTCHANGED:
      FFontHeight = -1;
      inherited::Dispatch(M);
      UpdateScrollBars();
      break;
    default:
      inherited::Dispatch(M);
  }
}

void TCustomListView::ListMouseDown(TPoint P) {
  if (!FHandle) return;
  if (GetFocus() != FHandle && CanFocus()) SetFocus();
  if (P.Y < HeaderHeight()) return;
  TListItem* item = GetItemAt(P.X, P.Y);
  int column0 = FColumns->Count() ? FColumns->Items(0)->Width() : 0;
  bool onCaption = P.X >= -FHorz && P.X < column0 - FHorz;
  SelectIndex(item && (FRowSelect || onCaption) ? item->Index() : -1, true);
}

void TCustomListView::ListKeyDown(WORD Key) {
  int n = FItems->Count();
  if (n == 0) return;
  int cur = FFocused >= 0 ? FFocused : FSelected;
  int page = std::max(1, VisibleRowCount() - 1);
  int target;
  switch (Key) {
    case VK_UP: target = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: target = cur < 0 ? 0 : cur + 1; break;
    case VK_PRIOR: target = cur - page; break;
    case VK_NEXT: target = (cur < 0 ? 0 : cur) + page; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = n - 1; break;
    default: return;
  }
  SelectIndex(std::clamp(target, 0, n - 1), true);
}

void TCustomListView::DefaultHandler(TMessage& M) {
  switch (M.Msg) {
    case WM_PAINT:
      if (M.WParam) {
        Paint(reinterpret_cast<HDC>(M.WParam));
      } else if (FHandle) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(FHandle, &ps);
        if (dc) Paint(dc);
        EndPaint(FHandle, &ps);
      }
      return;
    case WM_ERASEBKGND:
      M.Result = 1;  // the paint covers everything
      return;
    case WM_SIZE:
      UpdateScrollBars();
      if (FHandle) Invalidate();
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (FHandle) Invalidate();
      break;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_KEYDOWN:
      ListKeyDown(static_cast<WORD>(M.WParam));
      return;
    case WM_MOUSEWHEEL: {
      SetTop(FTop + WheelRows(M.WParam));
      M.Result = 1;
      return;
    }
    case WM_VSCROLL: {
      int page = std::max(1, VisibleRowCount());
      if (auto to = ScrollBarTarget(M.WParam, FTop, 1, page, [this] { return MaxTop(); })) SetTop(*to);
      return;
    }
    case WM_HSCROLL: {
      int width = std::max(1, GetClientRect().Width());
      if (auto to = ScrollBarTarget(M.WParam, FHorz, 8, width, [this] { return TotalWidth(); })) SetHorz(*to);
      return;
    }
    default:
      break;
  }
  if (FHandle && ScrollBarsDefProc(FHandle, M)) return;
  inherited::DefaultHandler(M);
}

void TCustomListView::Paint(HDC Dc) {
  TRect client = GetClientRect();
  int hh = HeaderHeight(), rh = RowHeight();
  bool focused = FHandle && GetFocus() == FHandle;
  TRect body{0, hh, client.Right, client.Bottom};
  ::FillRect(Dc, &body, Brush()->Handle());
  int saved = SaveDC(Dc);
  SelectObject(Dc, Font()->Handle());
  SetBkMode(Dc, TRANSPARENT);
  IntersectClipRect(Dc, 0, hh, client.Right, client.Bottom);
  for (int r = 0; hh + r * rh < client.Bottom && FTop + r < FItems->Count(); ++r)
    PaintRow(Dc, FTop + r, {-FHorz, hh + r * rh, TotalWidth() - FHorz, hh + (r + 1) * rh}, focused);
  if (FGridLines) {
    HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(clBtnFace));
    HGDIOBJ oldPen = SelectObject(Dc, pen);
    int right = std::min(client.Right, TotalWidth() - FHorz);
    for (int y = hh + rh - 1; y < client.Bottom; y += rh) {
      MoveToEx(Dc, 0, y, nullptr);
      LineTo(Dc, right, y);
    }
    int x = -FHorz;
    for (int c = 0; c < FColumns->Count(); ++c) {
      int w = FColumns->Items(c)->Width();
      if (w <= 0) continue;
      x += w;
      MoveToEx(Dc, x - 1, hh, nullptr);
      LineTo(Dc, x - 1, client.Bottom);
    }
    SelectObject(Dc, oldPen);
    DeleteObject(pen);
  }
  RestoreDC(Dc, saved);
  if (hh > 0) PaintHeader(Dc, client);
}

void TCustomListView::PaintRow(HDC Dc, int Index, const TRect& Row, bool Focused) {
  bool selected = Index == FSelected && (Focused || !FHideSelection);
  COLORREF normal = ColorToRGB(Enabled() ? Font()->Color() : clGrayText);
  COLORREF highlight = ColorToRGB(clHighlightText);
  HBRUSH hl = CreateSolidBrush(ColorToRGB(clHighlight));
  if (selected && FRowSelect) ::FillRect(Dc, &Row, hl);
  TRect focusRect = Row;
  int x = Row.Left;
  for (int c = 0; c < FColumns->Count(); ++c) {
    TListColumn* col = FColumns->Items(c);
    int w = col->Width();
    if (w <= 0) continue;  // a column of width 0 is not shown
    TRect cell{x, Row.Top, x + w, Row.Bottom};
    x += w;
    std::string text = CellText(Index, c);
    TRect t{cell.Left + (c == 0 ? 2 : 6), cell.Top, cell.Right - 2, cell.Bottom};
    // The first column is always left-aligned.
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS |
                     (c == 0 ? DT_LEFT : AlignmentFlag(col->Alignment()));
    if (c == 0 && !FRowSelect) {
      TSize ext{};
      GetTextExtentPoint32(Dc, text.c_str(), static_cast<int>(text.size()), &ext);
      focusRect = TRect{cell.Left, cell.Top, std::min(cell.Right, cell.Left + ext.cx + 4), cell.Bottom};
      if (selected) ::FillRect(Dc, &focusRect, hl);
    }
    SetTextColor(Dc, selected && (FRowSelect || c == 0) ? highlight : normal);
    int saved = SaveDC(Dc);
    IntersectClipRect(Dc, cell.Left, cell.Top, cell.Right, cell.Bottom);
    DrawText(Dc, text.c_str(), static_cast<int>(text.size()), &t, flags);
    RestoreDC(Dc, saved);
  }
  DeleteObject(hl);
  if (Focused && Index == FFocused) ::DrawFocusRect(Dc, &focusRect);
}

void TCustomListView::PaintHeader(HDC Dc, const TRect& Client) {
  int hh = HeaderHeight();
  int saved = SaveDC(Dc);
  IntersectClipRect(Dc, 0, 0, Client.Right, hh);
  SelectObject(Dc, Font()->Handle());
  SetBkMode(Dc, TRANSPARENT);
  SetTextColor(Dc, ColorToRGB(Enabled() ? clBtnText : clGrayText));
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  int x = -FHorz;
  for (int c = 0; c < FColumns->Count(); ++c) {
    TListColumn* col = FColumns->Items(c);
    int w = col->Width();
    if (w <= 0) continue;
    TRect r{x, 0, x + w, hh};
    x += w;
    ::FillRect(Dc, &r, face);
    TRect e = r;
    DrawEdge(Dc, &e, EDGE_RAISED, BF_RECT);
    TRect t{r.Left + 6, r.Top, r.Right - 6, r.Bottom};
    const std::string& s = col->Caption();
    DrawText(Dc, s.c_str(), static_cast<int>(s.size()), &t,
             DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | AlignmentFlag(col->Alignment()));
  }
  if (x < Client.Right) {
    TRect rest{x, 0, Client.Right, hh};
    ::FillRect(Dc, &rest, face);
    DrawEdge(Dc, &rest, EDGE_RAISED, BF_RECT);
  }
  RestoreDC(Dc, saved);
}

// ---------------------------------------------------------------------------
// Property tables
// ---------------------------------------------------------------------------

const TClassInfo& TListColumn::StaticClass() {
  using C = TListColumn;
  static const TClassInfo info = TClassBuilder<C>("TListColumn", &inherited::StaticClass())
                                     .Creatable()
                                     .Enum<TAlignment>("Alignment", &C::Alignment, &C::SetAlignment, taLeftJustify)
                                     .Str("Caption", &C::Caption, &C::SetCaption)
                                     .Int("Width", &C::Width, [](C* x, int64_t v) { x->SetWidth(static_cast<int>(v)); }, 50)
                                     .Build();
  return info;
}

const TClassInfo& TListColumns::StaticClass() {
  static const TClassInfo info = TClassBuilder<TListColumns>("TListColumns", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TListItem::StaticClass() {
  static const TClassInfo info = TClassBuilder<TListItem>("TListItem", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TListItems::StaticClass() {
  static const TClassInfo info = TClassBuilder<TListItems>("TListItems", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TCustomListView::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomListView>("TCustomListView", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TListView::StaticClass() {
  using L = TListView;
  static const TClassInfo info =
      TClassBuilder<L>("TListView", &inherited::StaticClass())
          .Component()
          .Prop(TControl::Property("Align"))
          .Prop(TControl::Property("Anchors"))
          .Enum<TBorderStyle>("BorderStyle", &L::BorderStyle, &L::SetBorderStyle, bsSingle)
          .Prop(TControl::Property("Color"))
          .Object<TListColumns>("Columns", &L::Columns, &L::SetColumns, [](L* x) { return x->Columns()->Count() > 0; })
          .Prop(TControl::Property("Ctl3D"))
          .Prop(TControl::Property("Enabled"))
          .Prop(TControl::Property("Font"))
          .Bool("GridLines", &L::GridLines, &L::SetGridLines, false)
          .Bool("HideSelection", &L::HideSelection, &L::SetHideSelection, true)
          .Prop(TControl::Property("ParentColor", 0))
          .Prop(TControl::Property("ParentFont"))
          .Prop(TControl::Property("BiDiMode"))
          .Prop(TControl::Property("ParentBiDiMode"))
          .Prop(TControl::Property("ParentShowHint"))
          .Prop(TControl::Property("PopupMenu"))
          .Bool("ReadOnly", &L::ReadOnly, &L::SetReadOnly, false)
          .Bool("RowSelect", &L::RowSelect, &L::SetRowSelect, false)
          .Bool("ShowColumnHeaders", &L::ShowColumnHeaders, &L::SetShowColumnHeaders, true)
          .Prop(TControl::Property("ShowHint"))
          .Prop(TControl::Property("TabOrder"))
          .Prop(TControl::Property("TabStop", 1))
          .Enum<TViewStyle>("ViewStyle", &L::ViewStyle, &L::SetViewStyle, vsIcon)
          .Prop(TControl::Property("Visible"))
          .Prop(TControl::Property("OnClick"))
          .Prop(TControl::Property("OnDblClick"))
          .Prop(TControl::Property("OnEnter"))
          .Prop(TControl::Property("OnExit"))
          .Prop(TControl::Property("OnKeyDown"))
          .Prop(TControl::Property("OnKeyPress"))
          .Prop(TControl::Property("OnKeyUp"))
          .Prop(TControl::Property("OnMouseDown"))
          .Prop(TControl::Property("OnMouseMove"))
          .Prop(TControl::Property("OnMouseUp"))
          .Build();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() { RegisterClasses({ClassEntry<TListView>(), ClassEntry<TListColumn>()}); }
} const kRegistration;
}  // namespace
