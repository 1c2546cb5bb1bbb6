// TCustomListBox: the class library's list box over the list box window's
// messages (its items adapter, properties, window creation and notifications).
// The window itself: listbox_window.cpp (its state, painting and input) and
// listbox_messages.cpp (its LB_ messages).
#include "platform/stdctrls/listbox.h"

#include <algorithm>
#include <numeric>

#include "platform/controls/scrollbars.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/stdctrls/listbox_internal.h"
#include "platform/stdctrls/listcommon.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TListBoxStyle, "lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual",
                "lbVirtualOwnerDraw")

namespace {

const char* const kListIndexError = "List index out of bounds (%d)";

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
    if (!Updating) ListBox->ItemsUpdateEnded();
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

void TCustomListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index < Count()) {
    std::string text = FItems->Strings(Index);
    int stop = FTabWidth * std::max(1, FCanvas->TextWidth("x")) / 4 * 2;
    listbox_internal::ItemTextOut(FCanvas->Handle(), Rect, Rect.Top, text, FTabWidth > 0, 1, &stop,
                                  UseRightToLeftAlignment());
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
  TRegistration() { RegisterClass(ClassEntry<TListBox>()); }
} const kRegistration;
}  // namespace
