// TCustomListBox: the list box window procedure (items, selection, painting,
// mouse, keys, scrolling) and the class library's list box over its messages.
#include "platform/stdctrls/listbox.h"

#include <algorithm>
#include <numeric>

#include "platform/controls/scrollbars.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/stdctrls/listcommon.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TListBoxStyle, "lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual",
                "lbVirtualOwnerDraw")

namespace {

const char* const kListIndexError = "List index out of bounds (%d)";

// Case-insensitive for single-byte characters only: the second byte of a GBK
// character may be a letter and is compared exactly, so double-byte characters
// are found by their own two bytes.
bool PrefixMatches(const std::string& Item, const std::string& Prefix) {
  if (Item.size() < Prefix.size()) return false;
  for (size_t i = 0; i < Prefix.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(Item[i]), b = static_cast<unsigned char>(Prefix[i]);
    if (a == b) continue;
    if (ByteType(Item, i) != mbSingleByte || ByteType(Prefix, i) != mbSingleByte) return false;
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

int FontHeightOf(TFont* Font, int* AveWidth = nullptr) {
  TEXTMETRIC tm = FontMetricsOf(Font);
  if (AveWidth) *AveWidth = std::max(1, static_cast<int>(tm.tmAveCharWidth));
  return std::max(1, static_cast<int>(tm.tmHeight));
}

}  // namespace

// ---------------------------------------------------------------------------
// Items: every operation is a message to the list box
// ---------------------------------------------------------------------------

class TListBoxStrings : public TItemMessageStrings {
public:
  explicit TListBoxStrings(TCustomListBox* AListBox) : TItemMessageStrings(AListBox, kMessages), ListBox(AListBox) {}
  TCustomListBox* ListBox;

  // A virtual list holds no items to add: its count is set, its texts and objects
  // come from the data events.
  int Add(const std::string& S) override { return ListBox->Virtual() ? -1 : TItemMessageStrings::Add(S); }
  void Insert(int Index, const std::string& S) override {
    if (!ListBox->Virtual()) TItemMessageStrings::Insert(Index, S);
  }
  int IndexOf(const std::string& S) const override {
    return ListBox->Virtual() ? ListBox->DoFindData(S) : TItemMessageStrings::IndexOf(S);
  }

protected:
  static constexpr TItemMessages kMessages{LB_RESETCONTENT, LB_DELETESTRING, LB_INSERTSTRING, LB_ADDSTRING,
                                           LB_FINDSTRINGEXACT, LB_GETTEXTLEN, LB_GETTEXT, LB_GETCOUNT,
                                           LB_GETITEMDATA, LB_SETITEMDATA, LB_ERR};

  std::string Get(int Index) const override {
    return ListBox->Virtual() ? ListBox->DoGetData(Index) : TItemMessageStrings::Get(Index);
  }
  TObject* GetObject(int Index) const override {
    return ListBox->Virtual() ? ListBox->DoGetDataObject(Index) : TItemMessageStrings::GetObject(Index);
  }
  void PutObject(int Index, TObject* AObject) override {
    if (!ListBox->Virtual()) TItemMessageStrings::PutObject(Index, AObject);
  }
  // A new text keeps the item's data and selection.
  void Put(int Index, const std::string& S) override {
    if (ListBox->Virtual()) return;
    int itemIndex = ListBox->ItemIndex();
    bool selected = ListBox->MultiSelect() && ListBox->Selected(Index);
    TObject* obj = GetObject(Index);
    BeginUpdate();
    TOnExit done([this] { EndUpdate(); });
    Delete(Index);
    InsertObject(Index, S, obj);
    if (selected) ListBox->SetSelected(Index, true);
    if (itemIndex == Index || !ListBox->MultiSelect()) ListBox->SetItemIndex(itemIndex);
  }
  void SetUpdateState(bool Updating) override {
    if (!ListBox->HandleAllocated()) return;
    SendMessage(ListBox->Handle(), WM_SETREDRAW, Updating ? 0 : 1, 0);
    if (!Updating) ListBox->Refresh();
  }
};

// ---------------------------------------------------------------------------
// TCustomListBox
// ---------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csOpaque};
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  FItems = new TListBoxStrings(this);
  FCanvas = new TControlCanvas;
  FCanvas->SetControl(this);
}

TCustomListBox::~TCustomListBox() {
  delete FCanvas;
  delete FItems;
}

void TCustomListBox::BeforeDestruction() {
  bool data = std::any_of(FList.begin(), FList.end(), [](const TItem& I) { return I.Data != 0; });
  if (data) Perform(LB_RESETCONTENT, 0, 0);
  inherited::BeforeDestruction();
}

void TCustomListBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TCustomListBox::SetCount(int Value) {
  if (!Virtual()) throw EListError("Setting Count is only allowed in the virtual list box styles");
  Perform(LB_SETCOUNT, static_cast<WPARAM>(std::max(0, Value)), 0);
}

std::string TCustomListBox::DoGetData(int Index) {
  std::string data;
  if (OnData) OnData(this, Index, data);
  return data;
}

TObject* TCustomListBox::DoGetDataObject(int Index) {
  TObject* obj = nullptr;
  if (OnDataObject) OnDataObject(this, Index, obj);
  return obj;
}

int TCustomListBox::DoFindData(const std::string& Data) { return OnDataFind ? OnDataFind(this, Data) : -1; }

int TCustomListBox::ItemIndex() {
  return static_cast<int>(Perform(FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int Value) {
  if (ComponentState().Contains(csLoading)) {
    FPendingItemIndex = Value;
    return;
  }
  if (ItemIndex() == Value) return;
  if (FMultiSelect) Perform(LB_SETCARETINDEX, static_cast<WPARAM>(Value), 0);
  else Perform(LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomListBox::Loaded() {
  inherited::Loaded();
  if (FPendingItemIndex != -2) {
    int v = FPendingItemIndex;
    FPendingItemIndex = -2;
    SetItemIndex(v);
  }
}

bool TCustomListBox::Selected(int Index) {
  LRESULT r = Perform(LB_GETSEL, static_cast<WPARAM>(Index), 0);
  if (r == LB_ERR) throw EListError(Format(kListIndexError, {Index}));
  return r > 0;
}

void TCustomListBox::SetSelected(int Index, bool Value) {
  if (FMultiSelect) {
    if (Perform(LB_SETSEL, Value ? 1 : 0, static_cast<LPARAM>(Index)) == LB_ERR)
      throw EListError(Format(kListIndexError, {Index}));
  } else if (Value) {
    if (Index < 0 || Index >= Count()) throw EListError(Format(kListIndexError, {Index}));
    SetItemIndex(Index);
  } else if (ItemIndex() == Index) {
    SetItemIndex(-1);
  }
}

int TCustomListBox::SelCount() { return static_cast<int>(Perform(LB_GETSELCOUNT, 0, 0)); }

int TCustomListBox::ItemHeight() {
  if (FStyle == lbStandard) return static_cast<int>(Perform(LB_GETITEMHEIGHT, 0, 0));
  return FItemHeight;
}

void TCustomListBox::SetItemHeight(int Value) {
  if (Value <= 0 || Value == FItemHeight) return;
  FItemHeight = Value;
  if (FStyle == lbOwnerDrawFixed || Virtual()) {
    Perform(LB_SETITEMHEIGHT, 0, Value);
  } else if (FStyle == lbOwnerDrawVariable) {
    for (TItem& i : FList) i.Height = -1;
    UpdateScrollBars();
    Invalidate();
  }
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  FLbItemHeight = 0;
  for (TItem& i : FList) i.Height = -1;
  RecreateWnd();
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  RecreateWnd();
  if (!FHandle) ApplyWindowStyle();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (FExtendedSelect == Value) return;
  FExtendedSelect = Value;
  RecreateWnd();
  if (!FHandle) ApplyWindowStyle();
}

void TCustomListBox::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  RecreateWnd();
  if (!FHandle) ApplyWindowStyle();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

// Switching between one and several columns changes the window's style; another
// number of columns only another column width.
void TCustomListBox::SetColumns(int Value) {
  Value = std::max(0, Value);
  if (FColumns == Value) return;
  bool restyle = FColumns == 0 || Value == 0;
  FColumns = Value;
  if (restyle) RecreateWnd();
  SetColumnWidth();
}

void TCustomListBox::SetColumnWidth() {
  if (FColumns > 0) Perform(LB_SETCOLUMNWIDTH, static_cast<WPARAM>(std::max(1, ClientWidth() / FColumns)), 0);
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (FIntegralHeight == Value) return;
  FIntegralHeight = Value;
  RecreateWnd();
}

void TCustomListBox::SetTabWidth(int Value) {
  Value = std::max(0, Value);
  if (FTabWidth == Value) return;
  FTabWidth = Value;
  if (Value) Perform(LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&Value));
  else Perform(LB_SETTABSTOPS, 0, 0);
  RecreateWnd();
}

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) {
  if (!GetClientRect().Contains(Pos)) return -1;
  int n = Count();
  if (n > 0) {
    LRESULT r = Perform(LB_ITEMFROMPOINT, 0, PointToLParam(Pos));
    int index = LOWORD(static_cast<std::uintptr_t>(r));
    if (index < n && ItemRect(index).Contains(Pos)) return index;
  }
  return Existing ? -1 : n;
}

TRect TCustomListBox::ItemRect(int Index) {
  TRect r;
  Perform(LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  return r;
}

void TCustomListBox::ClearSelection() {
  if (FMultiSelect) Perform(LB_SETSEL, 0, -1);
  else SetItemIndex(-1);
}

void TCustomListBox::SelectAll() {
  if (FMultiSelect) Perform(LB_SETSEL, 1, -1);
}

void TCustomListBox::DeleteSelected() {
  if (FMultiSelect) {
    FItems->BeginUpdate();
    TOnExit done([this] { FItems->EndUpdate(); });
    for (int i = Count() - 1; i >= 0; --i)
      if (Selected(i)) FItems->Delete(i);
  } else if (int i = ItemIndex(); i >= 0) {
    FItems->Delete(i);
  }
}

DWORD TCustomListBox::ListBoxStyleBits() const {
  DWORD s = LBS_NOTIFY | (Virtual() ? LBS_NODATA : LBS_HASSTRINGS);
  if (!FIntegralHeight) s |= LBS_NOINTEGRALHEIGHT;
  if (FSorted && !Virtual()) s |= LBS_SORT;
  if (FMultiSelect) s |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (FStyle == lbOwnerDrawFixed || Virtual()) s |= LBS_OWNERDRAWFIXED;
  if (FColumns > 0) s |= LBS_MULTICOLUMN;
  if (FStyle == lbOwnerDrawVariable) s |= LBS_OWNERDRAWVARIABLE;
  if (FTabWidth) s |= LBS_USETABSTOPS;
  return s;
}

void TCustomListBox::CreateParams(TCreateParams& P) {
  inherited::CreateParams(P);
  P.Style |= WS_VSCROLL | ListBoxStyleBits();
  if (FColumns > 0) P.Style |= WS_HSCROLL;
  if (FBorderStyle == bsSingle) {
    if (Ctl3D()) P.ExStyle |= WS_EX_CLIENTEDGE;
    else P.Style |= WS_BORDER;
  }
}

void TCustomListBox::CreateWnd() {
  inherited::CreateWnd();
  FWantHScroll = (static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE)) & WS_HSCROLL) != 0;
  ApplyWindowStyle();
  if (OwnerDraw() && !Variable()) {
    MEASUREITEMSTRUCT m;
    m.CtlType = ODT_LISTBOX;
    m.itemWidth = static_cast<UINT>(GetClientRect().Width());
    m.itemHeight = static_cast<UINT>(FItemHeight);
    m.hwndItem = FHandle;
    SendNotify(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&m));
    FLbItemHeight = std::clamp(static_cast<int>(m.itemHeight), 1, 255);
  }
  if (Variable())
    for (size_t i = 0; i < FList.size(); ++i)
      if (FList[i].Height < 0) MeasureItemNow(static_cast<int>(i));
  SetColumnWidth();
  SetTop(FTop);
  UpdateScrollBars();
  AdjustIntegralHeight();
}

// The window's style decides the selection kind and the order of the items kept:
// a window made with another style (or, without a window, changed properties)
// turns the selection into the new kind and sorts the items for LBS_SORT.
void TCustomListBox::ApplyWindowStyle() {
  TSelMode mode = SelMode();
  if (mode == TSelMode::Single) {
    if (FCurSel < 0) {
      if (FCaret >= 0 && FCaret < static_cast<int>(FList.size()) && FList[static_cast<size_t>(FCaret)].Selected)
        FCurSel = FCaret;
      else
        for (size_t i = 0; i < FList.size() && FCurSel < 0; ++i)
          if (FList[i].Selected) FCurSel = static_cast<int>(i);
    }
    for (TItem& i : FList) i.Selected = false;
  } else {
    if (FCurSel >= 0 && FCurSel < static_cast<int>(FList.size())) FList[static_cast<size_t>(FCurSel)].Selected = true;
    FCurSel = -1;
  }
  if (WindowStyle() & LBS_SORT) {
    std::vector<int> order(FList.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int A, int B) {
      return AnsiCompareText(FList[static_cast<size_t>(A)].Text, FList[static_cast<size_t>(B)].Text) < 0;
    });
    std::vector<TItem> sorted;
    std::vector<int> where(FList.size());
    for (size_t i = 0; i < order.size(); ++i) {
      sorted.push_back(FList[static_cast<size_t>(order[i])]);
      where[static_cast<size_t>(order[i])] = static_cast<int>(i);
    }
    auto remap = [&](int& I) {
      if (I >= 0 && I < static_cast<int>(where.size())) I = where[static_cast<size_t>(I)];
    };
    remap(FCurSel);
    remap(FCaret);
    remap(FAnchor);
    FList = std::move(sorted);
  }
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TCustomListBox::WndProc(TMessage& M) {
  // A scroll bar being dragged takes the mouse first.
  if (FHandle && ScrollBarTracking(FHandle) && ScrollBarsDefProc(FHandle, M)) return;
  inherited::WndProc(M);
}

void TCustomListBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND: CNCommand(M); break;
    case CN_DRAWITEM: CNDrawItem(M); break;
    case CN_MEASUREITEM: CNMeasureItem(M); break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_MOUSEMOVE: case WM_LBUTTONUP:
      // The list box reacts first, as the OS's window does, then the mouse events.
      DefaultHandler(M);
      inherited::Dispatch(M);
      break;
    case CM_FONTCHANGED:
      FontChangedHere();
      inherited::Dispatch(M);
      break;
    case WM_SIZE:
      inherited::Dispatch(M);
      SetColumnWidth();
      break;
    default:
      inherited::Dispatch(M);
  }
}

void TCustomListBox::CNCommand(TMessage& M) {
  switch (HIWORD(M.WParam)) {
    case LBN_SELCHANGE:
      Changed();
      Click();
      break;
    case LBN_DBLCLK:
      DblClick();
      break;
    default:
      break;
  }
}

void TCustomListBox::CNDrawItem(TMessage& M) {
  auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
  if (!d) return;
  DrawOwnerItem(this, FCanvas, *d, [this](int Index, TRect Rect, TOwnerDrawState State) { DrawItem(Index, Rect, State); });
  M.Result = 1;
}

void TCustomListBox::CNMeasureItem(TMessage& M) {
  auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
  if (!m) return;
  int h = FItemHeight;
  if (FStyle == lbOwnerDrawVariable) MeasureItem(static_cast<int>(m->itemID), h);
  m->itemHeight = static_cast<UINT>(std::max(1, h));
  M.Result = 1;
}

namespace {
// An item's text 2 pixels in from where it starts: the left edge, or under
// right-to-left alignment the right edge, read right to left.
// Tabbed: tabs expand to Stops (none: the default stops).
void ItemTextOut(HDC Dc, const TRect& R, int Y, const std::string& Text, bool Tabbed, int TabCount, const int* Stops,
                 bool Rtl) {
  unsigned align = GetTextAlign(Dc);
  if (Rtl) SetTextAlign(Dc, TA_RIGHT | TA_RTLREADING);
  int x = Rtl ? R.Right - 2 : R.Left + 2;
  if (Tabbed) TabbedTextOut(Dc, x, Y, Text.c_str(), static_cast<int>(Text.size()), TabCount, Stops, R.Left + 2);
  else ::TextOut(Dc, x, Y, Text.c_str(), static_cast<int>(Text.size()));
  if (Rtl) SetTextAlign(Dc, align);
}
}  // namespace

void TCustomListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index < Count()) {
    std::string text = FItems->Strings(Index);
    int stop = FTabWidth * std::max(1, FCanvas->TextWidth("x")) / 4 * 2;
    ItemTextOut(FCanvas->Handle(), Rect, Rect.Top, text, FTabWidth > 0, 1, &stop, UseRightToLeftAlignment());
  }
}

void TCustomListBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

LRESULT TCustomListBox::SendNotify(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (FHandle && Parent() && Parent()->HandleAllocated()) return SendMessage(Parent()->Handle(), Msg, WParam, LParam);
  return Perform(CN_BASE + Msg, WParam, LParam);
}

void TCustomListBox::DefaultHandler(TMessage& M) {
  if (HandleListMessage(M)) return;
  if (FHandle && ScrollBarsDefProc(FHandle, M)) return;
  inherited::DefaultHandler(M);
}

// ---------------------------------------------------------------------------
// The list box window procedure
// ---------------------------------------------------------------------------

DWORD TCustomListBox::WindowStyle() {
  if (FHandle) return static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE));
  return WS_VSCROLL | ListBoxStyleBits();
}

TCustomListBox::TSelMode TCustomListBox::SelMode() {
  DWORD s = WindowStyle();
  if (s & LBS_EXTENDEDSEL) return TSelMode::Extended;
  if (s & LBS_MULTIPLESEL) return TSelMode::Multiple;
  return TSelMode::Single;
}

bool TCustomListBox::OwnerDraw() { return (WindowStyle() & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
bool TCustomListBox::Variable() { return (WindowStyle() & LBS_OWNERDRAWVARIABLE) != 0; }
bool TCustomListBox::MultiColumn() { return (WindowStyle() & LBS_MULTICOLUMN) != 0; }
bool TCustomListBox::NoData() { return (WindowStyle() & LBS_NODATA) != 0; }

int TCustomListBox::ColumnRows() { return std::max(1, GetClientRect().Height() / FixedItemHeight()); }
int TCustomListBox::ColumnPixels() { return FColumnWidth > 0 ? FColumnWidth : std::max(1, GetClientRect().Width()); }
int TCustomListBox::VisibleColumns() { return std::max(1, GetClientRect().Width() / ColumnPixels()); }

int TCustomListBox::ColumnOf(int Index) {
  int rows = ColumnRows(), rel = Index - FTop;
  return rel >= 0 ? rel / rows : -((-rel + rows - 1) / rows);
}

// Without LBS_NOINTEGRALHEIGHT the window sheds the part of an item at its
// bottom; variable heights keep the height they are given.
void TCustomListBox::AdjustIntegralHeight() {
  if (!FHandle || FAdjustingHeight || Variable() || (WindowStyle() & LBS_NOINTEGRALHEIGHT)) return;
  int client = GetClientRect().Height(), h = FixedItemHeight();
  int extra = client % h;
  if (client < h || extra == 0) return;
  TRestore adjusting(FAdjustingHeight, true);
  TRect w;
  GetWindowRect(FHandle, &w);
  SetWindowPos(FHandle, nullptr, 0, 0, w.Width(), w.Height() - extra, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomListBox::FontChangedHere() {
  FFontHeight = -1;
  FDlgCharWidth = -1;
  if (!OwnerDraw()) FLbItemHeight = 0;
  UpdateScrollBars();
}

int TCustomListBox::FixedItemHeight() {
  if (FLbItemHeight > 0) return FLbItemHeight;
  if (OwnerDraw()) return std::max(1, FItemHeight);
  if (FFontHeight < 0) FFontHeight = FontHeightOf(Font());
  return FFontHeight;
}

void TCustomListBox::MeasureItemNow(int Index) {
  TItem& item = FList[static_cast<size_t>(Index)];
  MEASUREITEMSTRUCT m;
  m.CtlType = ODT_LISTBOX;
  m.itemID = static_cast<UINT>(Index);
  m.itemWidth = static_cast<UINT>(std::max(0, GetClientRect().Width()));
  m.itemHeight = static_cast<UINT>(std::max(1, FItemHeight));
  m.itemData = item.Data;
  m.hwndItem = FHandle;
  item.Height = 0;  // measured (a handler asking for it meanwhile gets the default)
  SendNotify(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&m));
  if (Index < static_cast<int>(FList.size())) FList[static_cast<size_t>(Index)].Height = std::clamp(static_cast<int>(m.itemHeight), 1, 255);
}

int TCustomListBox::ItemHeightOf(int Index) {
  if (!Variable()) return FixedItemHeight();
  if (Index < 0 || Index >= static_cast<int>(FList.size())) return FixedItemHeight();
  if (FList[static_cast<size_t>(Index)].Height < 0) MeasureItemNow(Index);
  return std::max(1, FList[static_cast<size_t>(Index)].Height);
}

int TCustomListBox::VisibleCount(int From) {
  int h = GetClientRect().Height();
  int n = static_cast<int>(FList.size());
  if (MultiColumn()) return std::max(0, std::min(n - From, ColumnRows() * VisibleColumns()));
  if (!Variable()) return std::max(0, std::min(n - From, h / FixedItemHeight()));
  int count = 0, y = 0;
  for (int i = From; i < n; ++i) {
    y += ItemHeightOf(i);
    if (y > h) break;
    ++count;
  }
  return count;
}

int TCustomListBox::MaxTopIndex() {
  int n = static_cast<int>(FList.size());
  if (n == 0) return 0;
  if (MultiColumn()) {
    int rows = ColumnRows();
    return std::max(0, (n + rows - 1) / rows - VisibleColumns()) * rows;
  }
  int h = GetClientRect().Height();
  if (!Variable()) return std::max(0, n - std::max(1, h / FixedItemHeight()));
  int i = n - 1, y = ItemHeightOf(i);
  while (i > 0 && y + ItemHeightOf(i - 1) <= h) y += ItemHeightOf(--i);
  return i;
}

void TCustomListBox::SetTop(int Top) {
  Top = std::clamp(Top, 0, MaxTopIndex());
  bool columns = MultiColumn();
  if (columns) Top -= Top % ColumnRows();  // a column starts at the top
  if (Top == FTop) return;
  FTop = Top;
  if (!FHandle) return;
  InvalidateRect(FHandle, nullptr, TRUE);
  if (columns) SetScrollPos(FHandle, SB_HORZ, FTop / ColumnRows(), TRUE);
  else SetScrollPos(FHandle, SB_VERT, FTop, TRUE);
}

void TCustomListBox::SetHorzPos(int Pos) {
  int width = GetClientRect().Width();
  Pos = std::clamp(Pos, 0, std::max(0, FHorzExtent - width));
  if (Pos == FHorzPos) return;
  FHorzPos = Pos;
  if (!FHandle) return;
  InvalidateRect(FHandle, nullptr, TRUE);
  SetScrollPos(FHandle, SB_HORZ, FHorzPos, TRUE);
}

void TCustomListBox::EnsureVisible(int Index, bool Partial) {
  int n = static_cast<int>(FList.size());
  if (Index < 0 || Index >= n) return;
  if (MultiColumn()) {
    int rows = ColumnRows(), col = ColumnOf(Index), visible = VisibleColumns();
    if (col < 0) SetTop(FTop + col * rows);
    else if (col >= visible) SetTop(FTop + (col - visible + 1) * rows);
    return;
  }
  if (Index < FTop) {
    SetTop(Index);
    return;
  }
  int h = GetClientRect().Height();
  int bottom = 0;
  for (int i = FTop; i <= Index; ++i) bottom += ItemHeightOf(i);
  if (bottom <= h || (Partial && bottom - ItemHeightOf(Index) < h)) return;
  int top = Index, used = ItemHeightOf(Index);
  while (top > 0 && used + ItemHeightOf(top - 1) <= h) used += ItemHeightOf(--top);
  SetTop(top);
}

void TCustomListBox::UpdateScrollBars() {
  if (!FHandle || FUpdatingBars) return;
  if (!WindowRedrawEnabled(FHandle)) {
    FBarsPending = true;
    return;
  }
  FBarsPending = false;
  FUpdatingBars = true;
  // Showing one bar narrows the client area, which may call for the other.
  for (int pass = 0; pass < 2; ++pass) {
    FTop = std::clamp(FTop, 0, MaxTopIndex());
    DWORD style = WindowStyle();
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | ((style & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
    si.nMin = 0;
    if (style & LBS_MULTICOLUMN) {
      // Columns scroll sideways, whatever the window's scroll styles say.
      int rows = ColumnRows();
      FTop -= FTop % rows;
      FHorzPos = 0;
      si.nMax = 0;
      si.nPage = 1;
      si.nPos = 0;
      SetScrollInfo(FHandle, SB_VERT, &si, TRUE);
      si.nMax = std::max(0, (static_cast<int>(FList.size()) + rows - 1) / rows - 1);
      si.nPage = static_cast<UINT>(VisibleColumns());
      si.nPos = FTop / rows;
      SetScrollInfo(FHandle, SB_HORZ, &si, TRUE);
      continue;
    }
    FHorzPos = std::clamp(FHorzPos, 0, std::max(0, FHorzExtent - GetClientRect().Width()));
    si.nMax = std::max(0, static_cast<int>(FList.size()) - 1);
    si.nPage = static_cast<UINT>(Variable() ? VisibleCount(FTop)
                                            : GetClientRect().Height() / FixedItemHeight());
    si.nPos = FTop;
    SetScrollInfo(FHandle, SB_VERT, &si, TRUE);
    if (FWantHScroll) {
      si.nMax = std::max(0, FHorzExtent - 1);
      si.nPage = static_cast<UINT>(std::max(0, GetClientRect().Width()));
      si.nPos = FHorzPos;
      SetScrollInfo(FHandle, SB_HORZ, &si, TRUE);
    }
  }
  FUpdatingBars = false;
}

void TCustomListBox::InvalidateItem(int Index) {
  if (!FHandle || Index < 0 || Index >= static_cast<int>(FList.size())) return;
  TRect r;
  if (Perform(LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
    InvalidateRect(FHandle, &r, FALSE);
}

int TCustomListBox::ItemFromPoint(TPoint P, bool* Outside) {
  TRect c = GetClientRect();
  bool out = !c.Contains(P);
  int n = static_cast<int>(FList.size());
  int index = n > 0 ? FTop : 0;
  if (n == 0) {
    out = true;
  } else if (MultiColumn()) {
    int rows = ColumnRows();
    int col = std::max(0, P.X) / ColumnPixels();
    int row = std::clamp(P.Y / FixedItemHeight(), 0, rows - 1);
    if (P.Y >= rows * FixedItemHeight()) out = true;
    index = FTop + col * rows + row;
    if (index >= n) {
      index = n - 1;
      out = true;
    }
  } else if (P.Y >= 0) {
    int y = 0;
    index = -1;
    for (int i = FTop; i < n; ++i) {
      y += ItemHeightOf(i);
      if (P.Y < y) {
        index = i;
        break;
      }
      if (y > c.Bottom) break;
    }
    if (index < 0) {
      index = std::min(n - 1, FTop + std::max(0, VisibleCount(FTop)));
      index = std::max(index, FTop);
      out = true;
    }
  }
  if (Outside) *Outside = out;
  return index;
}

// Dialog units of tab stops are quarters of the font's average character width,
// the width of the 52 letters divided by 52 (rounded), as dialogs measure it.
int TCustomListBox::TabPixels(std::vector<int>& Stops) {
  if (FDlgCharWidth < 0) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    TSize size{};
    GetTextExtentPoint32(dc, alphabet, 52, &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    FDlgCharWidth = std::max(1, static_cast<int>((size.cx + 26) / 52));
  }
  int ave = FDlgCharWidth;
  Stops.clear();
  if (FTabStops.empty()) Stops.push_back(32 * ave / 4);
  for (int dlu : FTabStops) Stops.push_back(dlu * ave / 4);
  return static_cast<int>(Stops.size());
}

void TCustomListBox::Paint(HDC Dc) {
  TRect client = GetClientRect();
  int n = static_cast<int>(FList.size());
  if (MultiColumn() && n > 0) {
    PaintColumns(Dc);
    return;
  }
  int y = 0;
  int right = std::max(client.Right, FHorzExtent) - FHorzPos;
  for (int i = FTop; i < n && y < client.Bottom; ++i) {
    int h = ItemHeightOf(i);
    TRect r{-FHorzPos, y, right, y + h};
    if (RectVisible(Dc, &r)) PaintItem(Dc, i, r);
    y += h;
    n = static_cast<int>(FList.size());  // an owner-draw handler may have changed the list
  }
  if (y < client.Bottom) {
    TRect rest{0, y, client.Right, client.Bottom};
    ::FillRect(Dc, &rest, Brush()->Handle());
  }
  if (n == 0 && FHandle && GetFocus() == FHandle) {
    TRect r{0, 0, client.Right, FixedItemHeight()};
    if (OwnerDraw()) {
      DRAWITEMSTRUCT d;
      d.CtlType = ODT_LISTBOX;
      d.itemID = static_cast<UINT>(-1);
      d.itemAction = ODA_FOCUS;
      d.itemState = ODS_FOCUS;
      d.hwndItem = FHandle;
      d.hDC = Dc;
      d.rcItem = r;
      SendNotify(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&d));
    } else {
      ::DrawFocusRect(Dc, &r);
    }
  }
}

// Column by column from the top index; what no item covers gets the brush.
void TCustomListBox::PaintColumns(HDC Dc) {
  TRect client = GetClientRect();
  int n = static_cast<int>(FList.size());
  const int rows = ColumnRows(), h = FixedItemHeight(), w = ColumnPixels();
  int i = FTop;
  for (; i < n; ++i) {
    int rel = i - FTop, x = rel / rows * w;
    if (x >= client.Right) break;
    TRect r{x, rel % rows * h, x + w, rel % rows * h + h};
    if (RectVisible(Dc, &r)) PaintItem(Dc, i, r);
    n = static_cast<int>(FList.size());  // an owner-draw handler may have changed the list
  }
  int last = i - 1 - FTop;  // the last item painted, counted from the top
  int lastCol = last / rows, used = last % rows + 1;
  HBRUSH brush = Brush()->Handle();
  TRect below{0, rows * h, client.Right, client.Bottom};
  TRect underLast{lastCol * w, used * h, lastCol * w + w, rows * h};
  TRect right{(lastCol + 1) * w, 0, client.Right, rows * h};
  for (const TRect& r : {below, underLast, right})
    if (!r.IsEmpty()) ::FillRect(Dc, &r, brush);
}

void TCustomListBox::PaintItem(HDC Dc, int Index, TRect R) {
  const TItem& item = FList[static_cast<size_t>(Index)];
  bool selected = SelMode() == TSelMode::Single ? Index == FCurSel : item.Selected;
  bool caret = FHandle && GetFocus() == FHandle && Index == FCaret;
  bool enabled = FHandle ? IsWindowEnabled(FHandle) != FALSE : Enabled();
  if (OwnerDraw()) {
    DRAWITEMSTRUCT d;
    d.CtlType = ODT_LISTBOX;
    d.itemID = static_cast<UINT>(Index);
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = (selected ? ODS_SELECTED : 0) | (caret ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
    d.hwndItem = FHandle;
    d.hDC = Dc;
    d.rcItem = R;
    d.itemData = item.Data;
    int saved = SaveDC(Dc);
    IntersectClipRect(Dc, std::max(R.Left, 0), R.Top, R.Right, R.Bottom);
    SendNotify(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&d));
    RestoreDC(Dc, saved);
    return;
  }
  COLORREF back = ColorToRGB(selected ? clHighlight : Color());
  COLORREF fore = ColorToRGB(!enabled ? clGrayText : selected ? clHighlightText : Font()->Color());
  HBRUSH brush = CreateSolidBrush(back);
  ::FillRect(Dc, &R, brush);
  DeleteObject(brush);
  int saved = SaveDC(Dc);
  SelectObject(Dc, Font()->Handle());
  SetBkMode(Dc, TRANSPARENT);
  SetTextColor(Dc, fore);
  int y = R.Top + std::max(0, (R.Height() - FixedItemHeightForText()) / 2);
  std::vector<int> stops;
  bool tabbed = WindowStyle() & LBS_USETABSTOPS;
  int count = tabbed ? TabPixels(stops) : 0;
  ItemTextOut(Dc, R, y, item.Text, tabbed, count, stops.data(), UseRightToLeftAlignment());
  RestoreDC(Dc, saved);
  if (caret) ::DrawFocusRect(Dc, &R);
}

// The number of items of a list without texts: new items come empty, the
// selection and the caret go when their item does.
void TCustomListBox::SetItemCount(int Count) {
  FList.resize(static_cast<size_t>(Count));
  for (int* i : {&FCurSel, &FCaret, &FAnchor})
    if (*i >= Count) *i = -1;
  FTop = std::clamp(FTop, 0, MaxTopIndex());
  if (FHandle) {
    InvalidateRect(FHandle, nullptr, TRUE);
    UpdateScrollBars();
  }
}

int TCustomListBox::InsertItem(int Index, const std::string& Text) {
  int n = static_cast<int>(FList.size());
  if (Index < 0 || Index > n) Index = n;
  TItem item;
  item.Text = Text;
  FList.insert(FList.begin() + Index, item);
  for (int* i : {&FCurSel, &FCaret, &FAnchor})
    if (*i >= Index) ++*i;
  if (Variable() && FHandle) MeasureItemNow(Index);
  if (FHandle) {
    InvalidateRect(FHandle, nullptr, TRUE);
    UpdateScrollBars();
  }
  return Index;
}

void TCustomListBox::DeleteItemAt(int Index) {
  TItem item = FList[static_cast<size_t>(Index)];
  FList.erase(FList.begin() + Index);
  int n = static_cast<int>(FList.size());
  if (FCurSel == Index) FCurSel = -1;
  else if (FCurSel > Index) --FCurSel;
  for (int* i : {&FCaret, &FAnchor}) {
    if (*i > Index) --*i;
    else if (*i == Index) *i = std::min(Index, n - 1);
  }
  if (FHandle) {
    InvalidateRect(FHandle, nullptr, TRUE);
    UpdateScrollBars();
  } else {
    FTop = std::clamp(FTop, 0, std::max(0, n - 1));
  }
  NotifyDeleted(Index, item);
}

void TCustomListBox::ResetContent() {
  std::vector<TItem> old;
  old.swap(FList);
  FCurSel = FCaret = FAnchor = -1;
  FTop = 0;
  if (FHandle) {
    InvalidateRect(FHandle, nullptr, TRUE);
    UpdateScrollBars();
  }
  for (size_t i = 0; i < old.size(); ++i) NotifyDeleted(static_cast<int>(i), old[i]);
}

void TCustomListBox::NotifyDeleted(int Index, const TItem& Item) {
  if (Item.Data == 0) return;
  DELETEITEMSTRUCT d;
  d.CtlType = ODT_LISTBOX;
  d.itemID = static_cast<UINT>(Index);
  d.hwndItem = FHandle;
  d.itemData = Item.Data;
  SendNotify(WM_DELETEITEM, 0, reinterpret_cast<LPARAM>(&d));
}

void TCustomListBox::NotifyCommand(WORD Code) {
  if (!FHandle || Destroying() || !(WindowStyle() & LBS_NOTIFY)) return;
  SendNotify(WM_COMMAND, MAKEWPARAM(0, Code), reinterpret_cast<LPARAM>(FHandle));
}

std::vector<bool> TCustomListBox::SelectionSnapshot() {
  std::vector<bool> s(FList.size());
  for (size_t i = 0; i < FList.size(); ++i) s[i] = FList[i].Selected;
  return s;
}

void TCustomListBox::SelectRange(int From, int To, bool Clear) {
  if (Clear)
    for (TItem& i : FList) i.Selected = false;
  if (From > To) std::swap(From, To);
  for (int i = std::max(0, From); i <= To && i < static_cast<int>(FList.size()); ++i)
    FList[static_cast<size_t>(i)].Selected = true;
}

void TCustomListBox::MoveCaret(int Index, bool Shift, bool Ctrl, bool Toggle) {
  switch (SelMode()) {
    case TSelMode::Single:
      FCurSel = FCaret = Index;
      break;
    case TSelMode::Multiple:
      FCaret = Index;
      if (Toggle) FList[static_cast<size_t>(Index)].Selected = !FList[static_cast<size_t>(Index)].Selected;
      break;
    case TSelMode::Extended:
      if (Shift) {
        if (FAnchor < 0) FAnchor = FCaret >= 0 ? FCaret : Index;
        SelectRange(FAnchor, Index, !Ctrl);
      } else if (Ctrl) {
        if (Toggle) {
          FList[static_cast<size_t>(Index)].Selected = !FList[static_cast<size_t>(Index)].Selected;
          FAnchor = Index;
        }
      } else {
        SelectRange(Index, Index, true);
        FAnchor = Index;
      }
      FCaret = Index;
      break;
  }
}

void TCustomListBox::LbMouseDown(TPoint P, WPARAM Keys, bool Double) {
  if (!FHandle) return;
  if (GetFocus() != FHandle) {
    ::SetFocus(FHandle);
    if (!FHandle) return;
  }
  FTrackStart = SelectionSnapshot();
  FTrackStartSel = FCurSel;
  FTracking = true;
  FTrackDouble = Double;
  ::SetCapture(FHandle);
  if (FList.empty()) return;
  int index = ItemFromPoint(P);
  bool shift = (Keys & MK_SHIFT) != 0, ctrl = (Keys & MK_CONTROL) != 0;
  if (SelMode() == TSelMode::Multiple) MoveCaret(index, false, false, true);
  else MoveCaret(index, shift, ctrl, true);
  EnsureVisible(index, true);
  InvalidateRect(FHandle, nullptr, FALSE);
}

void TCustomListBox::LbMouseMove(TPoint P) {
  if (!FTracking || FList.empty()) return;
  TSelMode mode = SelMode();
  if (mode == TSelMode::Multiple) return;
  int n = static_cast<int>(FList.size());
  TRect c = GetClientRect();
  int index;
  if (MultiColumn()) index = ItemFromPoint({std::clamp(P.X, 0, std::max(0, c.Right - 1)), std::clamp(P.Y, 0, std::max(0, c.Bottom - 1))});
  else if (P.Y < 0) index = std::max(0, FTop - 1);
  else if (P.Y >= c.Bottom) index = std::min(n - 1, FTop + VisibleCount(FTop));
  else index = ItemFromPoint(P);
  if (mode == TSelMode::Single) {
    if (index == FCurSel) return;
    FCurSel = FCaret = index;
  } else {
    if (index == FCaret) return;
    if (FAnchor < 0) FAnchor = index;
    SelectRange(FAnchor, index, true);
    FCaret = index;
  }
  EnsureVisible(index);
  InvalidateRect(FHandle, nullptr, FALSE);
}

void TCustomListBox::LbMouseUp() {
  if (!FTracking) return;
  FTracking = false;
  bool dbl = FTrackDouble;
  FTrackDouble = false;
  if (FHandle && GetCapture() == FHandle) ReleaseCapture();
  bool changed = FTrackStartSel != FCurSel || FTrackStart != SelectionSnapshot();
  if (changed) NotifyCommand(LBN_SELCHANGE);
  if (dbl) NotifyCommand(LBN_DBLCLK);
}

void TCustomListBox::LbKeyDown(WORD Key) {
  int n = static_cast<int>(FList.size());
  if (n == 0) return;
  TSelMode mode = SelMode();
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  int cur = FCaret >= 0 ? FCaret : mode == TSelMode::Single ? FCurSel : -1;
  // Several columns: Left and Right go a column across, a page is what shows.
  const bool columns = MultiColumn();
  const int across = columns ? ColumnRows() : 1;
  int page = columns ? std::max(1, VisibleCount(FTop)) : std::max(1, VisibleCount(FTop) - 1);
  int target;
  switch (Key) {
    case VK_UP: target = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: target = cur < 0 ? 0 : cur + 1; break;
    case VK_LEFT: target = cur < 0 ? 0 : cur - across; break;
    case VK_RIGHT: target = cur < 0 ? 0 : cur + across; break;
    case VK_PRIOR: target = cur < 0 ? 0 : cur - page; break;
    case VK_NEXT: target = (cur < 0 ? 0 : cur) + page; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = n - 1; break;
    case VK_SPACE: target = cur < 0 ? 0 : cur; break;
    default: return;
  }
  target = std::clamp(target, 0, n - 1);
  std::vector<bool> before = SelectionSnapshot();
  int beforeSel = FCurSel;
  if (Key == VK_SPACE) {
    if (mode == TSelMode::Single) MoveCaret(target, false, false, false);
    else MoveCaret(target, false, mode == TSelMode::Extended && ctrl, mode == TSelMode::Multiple || ctrl);
  } else if (mode == TSelMode::Multiple) {
    FCaret = target;
  } else {
    MoveCaret(target, shift, ctrl, false);
  }
  EnsureVisible(target);
  if (FHandle) InvalidateRect(FHandle, nullptr, FALSE);
  if (beforeSel != FCurSel || before != SelectionSnapshot()) NotifyCommand(LBN_SELCHANGE);
}

void TCustomListBox::CharTyped(unsigned char Ch) {
  int n = static_cast<int>(FList.size());
  if (n == 0 || Ch < 32 || Ch >= 0x80 || NoData()) return;
  int start = FCaret >= 0 ? FCaret : FCurSel;
  std::string key(1, static_cast<char>(Ch));
  for (int k = 1; k <= n; ++k) {
    int i = (start + k + n) % n;
    if (!PrefixMatches(FList[static_cast<size_t>(i)].Text, key)) continue;
    std::vector<bool> before = SelectionSnapshot();
    int beforeSel = FCurSel;
    if (SelMode() == TSelMode::Multiple) FCaret = i;
    else MoveCaret(i, false, false, false);
    EnsureVisible(i);
    if (FHandle) InvalidateRect(FHandle, nullptr, FALSE);
    if (beforeSel != FCurSel || before != SelectionSnapshot()) NotifyCommand(LBN_SELCHANGE);
    return;
  }
}

int TCustomListBox::FixedItemHeightForText() {
  if (FFontHeight < 0) FFontHeight = FontHeightOf(Font());
  return FFontHeight;
}

// Each message belongs to one group; false: not handled here (or handled and passed on).
bool TCustomListBox::HandleListMessage(TMessage& M) {
  return ListItemMessage(M) || ListSelectionMessage(M) || ListScrollMessage(M) || ListGeometryMessage(M) ||
         ListWindowMessage(M);
}

// The items: adding, removing, reading and finding them.
bool TCustomListBox::ListItemMessage(TMessage& M) {
  const int n = static_cast<int>(FList.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
  const bool valid = index >= 0 && index < n;
  auto text = [&]() { return std::string(M.LParam ? reinterpret_cast<const char*>(M.LParam) : ""); };
  if (NoData()) {
    // No texts and no data, only a count.
    switch (M.Msg) {
      case LB_SETCOUNT:
        SetItemCount(std::max(0, index));
        M.Result = LB_OKAY;
        return true;
      case LB_ADDSTRING: case LB_INSERTSTRING: case LB_GETTEXT: case LB_GETTEXTLEN: case LB_GETITEMDATA:
      case LB_SETITEMDATA: case LB_FINDSTRING: case LB_FINDSTRINGEXACT:
        M.Result = LB_ERR;
        return true;
      default:
        break;
    }
  }
  switch (M.Msg) {
    case LB_SETCOUNT:
      M.Result = LB_ERR;
      return true;
    case LB_ADDSTRING: {
      std::string s = text();
      int at = n;
      if (WindowStyle() & LBS_SORT) {
        at = static_cast<int>(std::upper_bound(FList.begin(), FList.end(), s, [](const std::string& A, const TItem& B) {
                                return AnsiCompareText(A, B.Text) < 0;
                              }) - FList.begin());
      }
      M.Result = InsertItem(at, s);
      return true;
    }
    case LB_INSERTSTRING:
      if (index < -1 || index > n) {
        M.Result = LB_ERR;
        return true;
      }
      M.Result = InsertItem(index < 0 ? n : index, text());
      return true;
    case LB_DELETESTRING:
      if (!valid) {
        M.Result = LB_ERR;
        return true;
      }
      DeleteItemAt(index);
      M.Result = static_cast<LRESULT>(FList.size());
      return true;
    case LB_RESETCONTENT:
      ResetContent();
      M.Result = LB_OKAY;
      return true;
    case LB_GETCOUNT:
      M.Result = n;
      return true;
    case LB_GETTEXT:
      if (!valid) {
        M.Result = LB_ERR;
        return true;
      }
      if (char* buf = reinterpret_cast<char*>(M.LParam)) {
        const std::string& s = FList[static_cast<size_t>(index)].Text;
        std::copy(s.begin(), s.end(), buf);
        buf[s.size()] = '\0';
      }
      M.Result = static_cast<LRESULT>(FList[static_cast<size_t>(index)].Text.size());
      return true;
    case LB_GETTEXTLEN:
      M.Result = valid ? static_cast<LRESULT>(FList[static_cast<size_t>(index)].Text.size()) : LB_ERR;
      return true;
    case LB_GETITEMDATA:
      M.Result = valid ? static_cast<LRESULT>(FList[static_cast<size_t>(index)].Data) : LB_ERR;
      return true;
    case LB_SETITEMDATA:
      if (!valid) {
        M.Result = LB_ERR;
        return true;
      }
      FList[static_cast<size_t>(index)].Data = static_cast<ULONG_PTR>(M.LParam);
      M.Result = LB_OKAY;
      return true;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT: {
      std::string s = text();
      M.Result = LB_ERR;
      int start = (index < -1 || index >= n) ? -1 : index;
      for (int k = 1; k <= n; ++k) {
        int i = (start + k) % n;
        const std::string& t = FList[static_cast<size_t>(i)].Text;
        if (M.Msg == LB_FINDSTRING ? PrefixMatches(t, s) : CompareText(t, s) == 0) {
          M.Result = i;
          break;
        }
      }
      return true;
    }
    default:
      return false;
  }
}

// The selection and the caret (the focused item).
bool TCustomListBox::ListSelectionMessage(TMessage& M) {
  const int n = static_cast<int>(FList.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
  const bool valid = index >= 0 && index < n;
  const TSelMode mode = SelMode();
  switch (M.Msg) {
    case LB_GETCURSEL:
      M.Result = mode == TSelMode::Single ? FCurSel : FCaret;
      return true;
    case LB_SETCURSEL:
      if (mode != TSelMode::Single) {
        M.Result = LB_ERR;
        return true;
      }
      if (index != FCurSel) {
        InvalidateItem(FCurSel);
        FCurSel = valid ? index : -1;
        if (valid) FCaret = index;
        InvalidateItem(FCurSel);
      }
      if (valid) EnsureVisible(index);
      M.Result = valid ? index : LB_ERR;
      return true;
    case LB_GETSEL:
      if (!valid) M.Result = LB_ERR;
      else M.Result = mode == TSelMode::Single ? (index == FCurSel) : FList[static_cast<size_t>(index)].Selected;
      return true;
    case LB_SETSEL: {
      int which = static_cast<int>(M.LParam);
      if (mode == TSelMode::Single || which < -1 || which >= n) {
        M.Result = LB_ERR;
        return true;
      }
      if (which == -1)
        for (TItem& i : FList) i.Selected = M.WParam != 0;
      else
        FList[static_cast<size_t>(which)].Selected = M.WParam != 0;
      if (FHandle) InvalidateRect(FHandle, nullptr, FALSE);
      M.Result = LB_OKAY;
      return true;
    }
    case LB_GETSELCOUNT:
      M.Result = mode == TSelMode::Single
                     ? LB_ERR
                     : static_cast<LRESULT>(std::count_if(FList.begin(), FList.end(), [](const TItem& I) { return I.Selected; }));
      return true;
    case LB_GETSELITEMS: {
      if (mode == TSelMode::Single) {
        M.Result = LB_ERR;
        return true;
      }
      int* out = reinterpret_cast<int*>(M.LParam);
      int room = static_cast<int>(M.WParam), got = 0;
      for (int i = 0; i < n && got < room && out; ++i)
        if (FList[static_cast<size_t>(i)].Selected) out[got++] = i;
      M.Result = got;
      return true;
    }
    case LB_GETCARETINDEX:
      M.Result = FCaret;
      return true;
    case LB_SETCARETINDEX:
      if (!valid) {
        M.Result = LB_ERR;
        return true;
      }
      InvalidateItem(FCaret);
      FCaret = index;
      if (FAnchor < 0) FAnchor = index;
      InvalidateItem(FCaret);
      EnsureVisible(index, M.LParam != 0);
      M.Result = LB_OKAY;
      return true;
    default:
      return false;
  }
}

// Scrolling: the top index, the wheel and the scroll bars.
bool TCustomListBox::ListScrollMessage(TMessage& M) {
  const int n = static_cast<int>(FList.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
  const bool valid = index >= 0 && index < n;
  switch (M.Msg) {
    case LB_GETTOPINDEX:
      M.Result = FTop;
      return true;
    case LB_SETTOPINDEX:
      if (!valid) {
        M.Result = LB_ERR;
        return true;
      }
      SetTop(index);
      M.Result = LB_OKAY;
      return true;
    case WM_MOUSEWHEEL: {
      if (int lines = WheelRows(M.WParam)) {
        // Several columns: a column a notch.
        if (MultiColumn()) SetTop(FTop + (lines > 0 ? ColumnRows() : -ColumnRows()));
        else SetTop(FTop + lines);
      }
      M.Result = 0;
      return true;
    }
    case WM_VSCROLL: {
      if (MultiColumn()) return true;
      int page = std::max(1, VisibleCount(FTop));
      if (auto to = ScrollBarTarget(M.WParam, FTop, 1, page, [this] { return MaxTopIndex(); })) SetTop(*to);
      return true;
    }
    case WM_HSCROLL: {
      if (MultiColumn()) {
        int rows = ColumnRows();
        if (auto to = ScrollBarTarget(M.WParam, FTop / rows, 1, VisibleColumns(), [&] { return MaxTopIndex() / rows; }))
          SetTop(*to * rows);
        return true;
      }
      int width = std::max(1, GetClientRect().Width());
      if (auto to = ScrollBarTarget(M.WParam, FHorzPos, 8, width, [this] { return FHorzExtent; })) SetHorzPos(*to);
      return true;
    }
    default:
      return false;
  }
}

// The geometry of the items: tab stops, horizontal extent, rectangles and heights.
bool TCustomListBox::ListGeometryMessage(TMessage& M) {
  const int n = static_cast<int>(FList.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
  const bool valid = index >= 0 && index < n;
  switch (M.Msg) {
    case LB_SETTABSTOPS: {
      const int* stops = reinterpret_cast<const int*>(M.LParam);
      int count = static_cast<int>(M.WParam);
      FTabStops.clear();
      if (count > 0 && stops) FTabStops.assign(stops, stops + count);
      if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
      M.Result = TRUE;
      return true;
    }
    case LB_SETCOLUMNWIDTH:
      FColumnWidth = std::max(1, static_cast<int>(M.WParam));
      if (FHandle) {
        UpdateScrollBars();
        InvalidateRect(FHandle, nullptr, TRUE);
      }
      M.Result = LB_OKAY;
      return true;
    case LB_GETHORIZONTALEXTENT:
      M.Result = FHorzExtent;
      return true;
    case LB_SETHORIZONTALEXTENT:
      FHorzExtent = std::max(0, static_cast<int>(M.WParam));
      UpdateScrollBars();
      SetHorzPos(FHorzPos);
      if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
      M.Result = 0;
      return true;
    case LB_GETITEMRECT: {
      auto* r = reinterpret_cast<TRect*>(M.LParam);
      if (!valid || !r) {
        M.Result = LB_ERR;
        return true;
      }
      if (MultiColumn()) {
        int rows = ColumnRows(), h = FixedItemHeight(), w = ColumnPixels(), col = ColumnOf(index);
        int y = (index - FTop - col * rows) * h;
        *r = TRect{col * w, y, col * w + w, y + h};
        M.Result = 1;
        return true;
      }
      int y = 0;
      if (index >= FTop)
        for (int i = FTop; i < index; ++i) y += ItemHeightOf(i);
      else
        for (int i = index; i < FTop; ++i) y -= ItemHeightOf(i);
      *r = TRect{-FHorzPos, y, std::max(GetClientRect().Right, FHorzExtent) - FHorzPos, y + ItemHeightOf(index)};
      M.Result = 1;
      return true;
    }
    case LB_ITEMFROMPOINT: {
      bool out = false;
      int i = ItemFromPoint(LParamToPoint(M.LParam), &out);
      M.Result = static_cast<LRESULT>(MAKELPARAM(i, out ? 1 : 0)) & 0xFFFFFFFF;
      return true;
    }
    case LB_SETITEMHEIGHT: {
      int h = static_cast<int>(M.LParam);
      if (h <= 0 || h > 255 || (Variable() && !valid)) {
        M.Result = LB_ERR;
        return true;
      }
      if (Variable()) FList[static_cast<size_t>(index)].Height = h;
      else FLbItemHeight = h;
      if (FHandle) {
        InvalidateRect(FHandle, nullptr, TRUE);
        UpdateScrollBars();
        AdjustIntegralHeight();
      }
      M.Result = LB_OKAY;
      return true;
    }
    case LB_GETITEMHEIGHT:
      if (Variable()) M.Result = valid ? ItemHeightOf(index) : LB_ERR;
      else M.Result = FixedItemHeight();
      return true;
    default:
      return false;
  }
}

// The window: painting, size and font, focus, the mouse and the keys.
bool TCustomListBox::ListWindowMessage(TMessage& M) {
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
      return true;
    case WM_SIZE:
      if (!FHandle) return false;
      AdjustIntegralHeight();
      SetTop(FTop);
      SetHorzPos(FHorzPos);
      UpdateScrollBars();
      return true;
    case WM_SETFONT:
      FFontHeight = -1;
      FDlgCharWidth = -1;
      if (!OwnerDraw()) FLbItemHeight = 0;
      UpdateScrollBars();
      AdjustIntegralHeight();
      if (FHandle && M.LParam) InvalidateRect(FHandle, nullptr, TRUE);
      return false;
    case WM_SETREDRAW:
      if (!FHandle) return false;
      inherited::DefaultHandler(M);
      if (M.WParam) {
        if (FBarsPending) UpdateScrollBars();
        InvalidateRect(FHandle, nullptr, TRUE);
      }
      return true;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (M.Msg == WM_KILLFOCUS && FTracking) LbMouseUp();
      if (FHandle) {
        InvalidateItem(FCaret);
        if (FList.empty()) InvalidateRect(FHandle, nullptr, FALSE);
      }
      NotifyCommand(M.Msg == WM_SETFOCUS ? LBN_SETFOCUS : LBN_KILLFOCUS);
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      LbMouseDown(LParamToPoint(M.LParam), M.WParam, M.Msg == WM_LBUTTONDBLCLK);
      return true;
    case WM_MOUSEMOVE:
      LbMouseMove(LParamToPoint(M.LParam));
      return true;
    case WM_LBUTTONUP:
      LbMouseUp();
      return true;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      if (FTracking) LbMouseUp();
      return false;
    case WM_KEYDOWN:
      LbKeyDown(static_cast<WORD>(M.WParam));
      return true;
    case WM_CHAR:
      CharTyped(static_cast<unsigned char>(M.WParam & 0xFF));
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// Property tables
// ---------------------------------------------------------------------------

const TClassInfo& TCustomListBox::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomListBox>("TCustomListBox", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TListBox::StaticClass() {
  using L = TListBox;
  static const TClassInfo info =
      TClassBuilder<L>("TListBox", &inherited::StaticClass())
          .Component()
          .Prop(TControl::Property("Align"))
          .Prop(TControl::Property("Anchors"))
          .Enum<TBorderStyle>("BorderStyle", &L::BorderStyle, &L::SetBorderStyle, bsSingle)
          .Prop(TControl::Property("Color"))
          .Int("Columns", &L::Columns, [](L* x, int64_t v) { x->SetColumns(static_cast<int>(v)); }, 0)
          .Prop(TControl::Property("Ctl3D"))
          .Prop(TControl::Property("Enabled"))
          .Bool("ExtendedSelect", &L::ExtendedSelect, &L::SetExtendedSelect, true)
          .Prop(TControl::Property("Font"))
          .Bool("IntegralHeight", &L::IntegralHeight, &L::SetIntegralHeight, false)
          .Int("ItemHeight", &L::ItemHeight, [](L* x, int64_t v) { x->SetItemHeight(static_cast<int>(v)); }, 16)
          .Int("ItemIndex", &L::ItemIndex, [](L* x, int64_t v) { x->SetItemIndex(static_cast<int>(v)); }, -1,
               [](L*) { return false; })
          .Object<TStrings>("Items", &L::Items, &L::SetItems)
          .Bool("MultiSelect", &L::MultiSelect, &L::SetMultiSelect, false)
          .Prop(TControl::Property("ParentColor", 0))
          .Prop(TControl::Property("ParentCtl3D"))
          .Prop(TControl::Property("ParentFont"))
          .Prop(TControl::Property("BiDiMode"))
          .Prop(TControl::Property("ParentBiDiMode"))
          .Prop(TControl::Property("ParentShowHint"))
          .Prop(TControl::Property("PopupMenu"))
          .Prop(TControl::Property("ShowHint"))
          .Bool("Sorted", &L::Sorted, &L::SetSorted, false)
          .Enum<TListBoxStyle>("Style", &L::Style, &L::SetStyle, lbStandard)
          .Prop(TControl::Property("TabOrder"))
          .Prop(TControl::Property("TabStop", 1))
          .Int("TabWidth", &L::TabWidth, [](L* x, int64_t v) { x->SetTabWidth(static_cast<int>(v)); }, 0)
          .Prop(TControl::Property("Visible"))
          .Prop(TControl::Property("OnClick"))
          .Event("OnData", static_cast<TLBGetDataEvent L::*>(&L::OnData))
          .Event("OnDataFind", static_cast<TLBFindDataEvent L::*>(&L::OnDataFind))
          .Event("OnDataObject", static_cast<TLBGetDataObjectEvent L::*>(&L::OnDataObject))
          .Prop(TControl::Property("OnDblClick"))
          .Event("OnDrawItem", static_cast<TDrawItemEvent L::*>(&L::OnDrawItem))
          .Prop(TControl::Property("OnEnter"))
          .Prop(TControl::Property("OnExit"))
          .Prop(TControl::Property("OnKeyDown"))
          .Prop(TControl::Property("OnKeyPress"))
          .Prop(TControl::Property("OnKeyUp"))
          .Event("OnMeasureItem", static_cast<TMeasureItemEvent L::*>(&L::OnMeasureItem))
          .Prop(TControl::Property("OnMouseDown"))
          .Prop(TControl::Property("OnMouseMove"))
          .Prop(TControl::Property("OnMouseUp"))
          .Build();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() { RegisterClass(TListBox::StaticClass()); }
} const kRegistration;
}  // namespace
