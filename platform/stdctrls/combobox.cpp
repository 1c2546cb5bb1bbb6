// TCustomComboBox: the combo box window procedure (the CB_ messages over the list,
// the face, the drop-down popup, keys and wheel) and the class library's combo box.
#include "platform/stdctrls/combobox.h"

#include <algorithm>

#include "platform/stdctrls/edit.h"
#include "platform/controls/forms.h"
#include "platform/controls/scrollbars.h"
#include "platform/core/scope.h"
#include "platform/stdctrls/listcommon.h"
#include "platform/controls/textreply.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable")

namespace {

// The edit of the csDropDown and csSimple styles: borderless, in the combo box's
// colour and font, never a tab stop of its own.
class TComboEdit : public TCustomEdit {
public:
  explicit TComboEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
    SetBorderStyle(bsNone);
    SetAutoSize(false);
    SetTabStop(false);
    SetParentColor(true);
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// Items: every operation is a message to the combo box
// ---------------------------------------------------------------------------

class TComboBoxStrings : public TItemMessageStrings {
public:
  explicit TComboBoxStrings(TCustomComboBox* ACombo) : TItemMessageStrings(ACombo, kMessages), Combo(ACombo) {}
  TCustomComboBox* Combo;

protected:
  static constexpr TItemMessages kMessages{CB_RESETCONTENT, CB_DELETESTRING, CB_INSERTSTRING, CB_ADDSTRING,
                                           CB_FINDSTRINGEXACT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_GETCOUNT,
                                           CB_GETITEMDATA, CB_SETITEMDATA, CB_ERR};

  // A new text keeps the item's data and the selection.
  void Put(int Index, const std::string& S) override {
    int itemIndex = Combo->ItemIndex();
    TObject* obj = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, obj);
    Combo->SetItemIndex(itemIndex);
  }
};

// ---------------------------------------------------------------------------
// TComboListBox
// ---------------------------------------------------------------------------

TComboListBox::TComboListBox(TComponent* AOwner, TCustomComboBox* Combo) : TCustomListBox(AOwner), FCombo(Combo) {
  FVisible = false;
  SetTabStop(false);
}

void TComboListBox::CreateParams(TCreateParams& P) {
  inherited::CreateParams(P);
  if (Parent()) return;  // csSimple: a child of the combo box
  P.Style = (P.Style & ~(WS_CHILD | WS_TABSTOP)) | WS_POPUP | WS_BORDER;
  // The reading order and the scroll bar's side are the combo box's (ShowList gives
  // the list its BiDiMode).
  P.ExStyle = (P.ExStyle & (WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT)) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  P.WndParent = FCombo->HandleAllocated() ? GetAncestorRoot(FCombo->Handle()) : nullptr;
  P.WindowClassStyle |= CS_SAVEBITS;
}

LRESULT TComboListBox::SendNotify(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (!FCombo || FCombo->Destroying()) return 0;
  return FCombo->ListNotify(Msg, WParam, LParam);
}

void TComboListBox::WndProc(TMessage& M) {
  if (Parent()) {  // csSimple: an ordinary list under the edit
    if (M.Msg == WM_LBUTTONDOWN || M.Msg == WM_LBUTTONDBLCLK) {
      inherited::WndProc(M);
      if (FCombo->CanFocus()) FCombo->SetFocus();
      return;
    }
    inherited::WndProc(M);
    return;
  }
  if (FHandle && ScrollBarTracking(FHandle)) {
    // The list's own bar is dragged; the list takes the capture back afterwards.
    FInScroll = true;
    inherited::WndProc(M);
    if (FHandle && !ScrollBarTracking(FHandle)) {
      FInScroll = false;
      if (FCombo->FDropped) ::SetCapture(FHandle);
    }
    return;
  }
  auto count = [&] { return static_cast<int>(Perform(LB_GETCOUNT, 0, 0)); };
  auto itemAt = [&](TPoint P, bool* Outside) {
    LRESULT r = Perform(LB_ITEMFROMPOINT, 0, PointToLParam(P));
    *Outside = HIWORD(static_cast<std::uintptr_t>(r)) != 0;
    return static_cast<int>(LOWORD(static_cast<std::uintptr_t>(r)));
  };
  switch (M.Msg) {
    case WM_MOUSEACTIVATE:
      M.Result = MA_NOACTIVATE;
      return;
    case WM_MOUSEMOVE: {
      if (!FCombo->FDropped || count() == 0) return;
      TPoint p = LParamToPoint(M.LParam);
      TRect c = GetClientRect();
      if (c.Contains(p)) {
        if (FFromCombo) FEntered = true;
        bool out = false;
        int i = itemAt(p, &out);
        if (!out && Perform(LB_GETCURSEL, 0, 0) != i) Perform(LB_SETCURSEL, static_cast<WPARAM>(i), 0);
      } else if ((M.WParam & MK_LBUTTON) && (FPressed || FEntered)) {
        // Dragging past the edge scrolls the list a row at a time.
        int top = static_cast<int>(Perform(LB_GETTOPINDEX, 0, 0));
        int sel = static_cast<int>(Perform(LB_GETCURSEL, 0, 0));
        int next = p.Y < 0 ? std::max(0, std::min(sel, top) - 1) : std::min(count() - 1, sel + 1);
        if (p.Y < 0 || p.Y >= c.Bottom) Perform(LB_SETCURSEL, static_cast<WPARAM>(next), 0);
      }
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: {
      if (!FCombo->FDropped) return;
      TPoint p = LParamToPoint(M.LParam);
      TPoint screen = ClientToScreen(p);
      TRect wr;
      GetWindowRect(FHandle, &wr);
      if (!wr.Contains(screen)) {
        // A click anywhere else (the combo box too) closes the list and goes no further.
        FCombo->HideList(false);
        return;
      }
      if (M.Msg == WM_RBUTTONDOWN) return;
      if (!GetClientRect().Contains(p)) {
        LRESULT hit = SendMessage(FHandle, WM_NCHITTEST, 0, PointToLParam(screen));
        if (hit == HTVSCROLL || hit == HTHSCROLL)
          SendMessage(FHandle, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), PointToLParam(screen));
        return;
      }
      FPressed = true;
      bool out = false;
      int i = count() ? itemAt(p, &out) : -1;
      if (i >= 0 && !out) Perform(LB_SETCURSEL, static_cast<WPARAM>(i), 0);
      return;
    }
    case WM_LBUTTONUP: {
      bool wanted = FPressed || FEntered;
      FPressed = FFromCombo = FEntered = false;
      if (!FCombo->FDropped || !wanted) return;
      TPoint p = LParamToPoint(M.LParam);
      bool out = true;
      int i = GetClientRect().Contains(p) && count() ? itemAt(p, &out) : -1;
      if (i >= 0 && !out) FCombo->PickItem(i);
      return;
    }
    case WM_RBUTTONUP: case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_RBUTTONDBLCLK:
      return;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      if (!FInScroll && FCombo->FDropped && !FCombo->FHiding) FCombo->HideList(false);
      if (M.Msg == WM_CANCELMODE) inherited::WndProc(M);
      return;
    default:
      inherited::WndProc(M);
  }
}

const TClassInfo& TComboListBox::StaticClass() {
  static const TClassInfo info = TClassBuilder<TComboListBox>("TComboListBox", &inherited::StaticClass()).Build();
  return info;
}

// ---------------------------------------------------------------------------
// TCustomComboBox
// ---------------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight};
  FWidth = 145;
  SetTabStop(true);
  SetParentColor(false);
  FItems = new TComboBoxStrings(this);
  FCanvas = new TControlCanvas;
  FCanvas->SetControl(this);
  // Not owned as components: the owner frees those before the window goes, and the
  // window's end still needs the list.
  FListBox = new TComboListBox(nullptr, this);
  FEdit = new TComboEdit(nullptr);
  FEdit->SetParent(this);
  FEdit->WindowProc = [this](TMessage& M) { ComboWndProc(M, FHandle); };
  SetBounds(0, 0, 145, ComboHeight());
}

TCustomComboBox::~TCustomComboBox() {
  delete FListBox;
  delete FCanvas;
  delete FItems;
}

void TCustomComboBox::BeforeDestruction() {
  if (FDropped) {
    // Going without a word: nobody is to hear of a list closing under a freed control.
    FDropped = false;
    if (FListBox->HandleAllocated()) ShowWindow(FListBox->Handle(), SW_HIDE);
  }
  if (List(LB_GETCOUNT) > 0) {
    bool data = false;
    for (int i = 0, n = static_cast<int>(List(LB_GETCOUNT)); i < n && !data; ++i) data = List(LB_GETITEMDATA, static_cast<WPARAM>(i)) != 0;
    if (data) Perform(CB_RESETCONTENT, 0, 0);
  }
  if (FEdit) {
    TCustomEdit* e = FEdit;
    FEdit = nullptr;
    e->WindowProc = [e](TMessage& M) { e->WndProc(M); };
    delete e;
  }
  FListBox->SetParent(nullptr);  // a csSimple list: freed with the combo box, not as a child
  inherited::BeforeDestruction();
}

LRESULT TCustomComboBox::List(UINT Msg, WPARAM WParam, LPARAM LParam) { return FListBox->Perform(Msg, WParam, LParam); }

HWND TCustomComboBox::EditHandle() { return FEdit ? FEdit->Handle() : nullptr; }
HWND TCustomComboBox::ListHandle() { return FListBox->Handle(); }

void TCustomComboBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

int TCustomComboBox::ItemIndex() {
  if (ComponentState().Contains(csLoading) && FPendingItemIndex != -2) return FPendingItemIndex;
  return static_cast<int>(Perform(CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int Value) {
  if (ComponentState().Contains(csLoading)) {
    FPendingItemIndex = Value;
    return;
  }
  if (ItemIndex() != Value) Perform(CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomComboBox::Loaded() {
  inherited::Loaded();
  if (FPendingText) {
    std::string text = std::move(*FPendingText);
    FPendingText.reset();
    SetText(text);
  }
  if (FPendingItemIndex != -2) {
    int v = FPendingItemIndex;
    FPendingItemIndex = -2;
    SetItemIndex(v);
  }
}

bool TCustomComboBox::Focused() {
  HWND f = GetFocus();
  if (!f) return false;
  return (FHandle && f == FHandle) || (FEdit && FEdit->HandleAllocated() && f == FEdit->Handle());
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (FStyle == Value) return;
  if (FDropped) HideList(false);
  FStyle = Value;
  if (HasEdit() && !FEdit) {
    FEdit = new TComboEdit(nullptr);
    FEdit->SetParent(this);
    FEdit->WindowProc = [this](TMessage& M) { ComboWndProc(M, FHandle); };
    FEdit->SetCharCase(FCharCase);
    UpdateEditLimit();
  } else if (!HasEdit() && FEdit) {
    TCustomEdit* e = FEdit;
    FEdit = nullptr;
    e->WindowProc = [e](TMessage& M) { e->WndProc(M); };
    delete e;
  }
  FFaceHeight = 0;
  SetListStyle();
  RecreateWnd();
  SetBounds(FLeft, FTop, FWidth, FHeight);
  LayoutEdit();
}

bool TCustomComboBox::DroppedDown() { return Perform(CB_GETDROPPEDSTATE, 0, 0) != 0; }
void TCustomComboBox::SetDroppedDown(bool Value) { Perform(CB_SHOWDROPDOWN, Value ? 1 : 0, 0); }

int TCustomComboBox::ItemHeight() {
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) return FItemHeight;
  return static_cast<int>(Perform(CB_GETITEMHEIGHT, 0, 0));
}

void TCustomComboBox::SetItemHeight(int Value) {
  if (Value <= 0 || Value == FItemHeight) return;
  FItemHeight = Value;
  FListBox->SetItemHeight(Value);
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) {
    FFaceHeight = 0;
    RecreateWnd();
    SetBounds(FLeft, FTop, FWidth, FHeight);
  }
}

void TCustomComboBox::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  SetListStyle();
  RecreateWnd();
}

void TCustomComboBox::SetMaxLength(int Value) {
  FMaxLength = std::max(0, Value);
  UpdateEditLimit();
}

void TCustomComboBox::SetCharCase(TEditCharCase Value) {
  if (FCharCase == Value) return;
  FCharCase = Value;
  if (FEdit) FEdit->SetCharCase(Value);
  if (Value == ecNormal) return;
  int index = ItemIndex();
  FItems->BeginUpdate();
  TOnExit done([this] { FItems->EndUpdate(); });
  for (int i = 0, n = FItems->Count(); i < n; ++i) {
    std::string text = FItems->Strings(i);
    if (std::string cased = InCase(text); cased != text) {
      // The item goes and comes back with its data: nobody hears of a deletion.
      LRESULT data = List(LB_GETITEMDATA, static_cast<WPARAM>(i));
      List(LB_SETITEMDATA, static_cast<WPARAM>(i), 0);
      List(LB_DELETESTRING, static_cast<WPARAM>(i));
      List(LB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(cased.c_str()));
      List(LB_SETITEMDATA, static_cast<WPARAM>(i), data);
    }
  }
  if (index >= 0) SetItemIndex(index);
}

std::string TCustomComboBox::InCase(const std::string& S) const {
  if (FCharCase == ecUpperCase) return UpperCase(S);
  if (FCharCase == ecLowerCase) return LowerCase(S);
  return S;
}

void TCustomComboBox::UpdateEditLimit() { Perform(CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0); }

int TCustomComboBox::SelStart() {
  DWORD start = 0, end = 0;
  Perform(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

void TCustomComboBox::SetSelStart(int Value) { Perform(CB_SETEDITSEL, 0, MAKELPARAM(Value, Value)); }

int TCustomComboBox::SelLength() {
  DWORD start = 0, end = 0;
  Perform(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end) - static_cast<int>(start);
}

void TCustomComboBox::SetSelLength(int Value) {
  int s = SelStart();
  Perform(CB_SETEDITSEL, 0, MAKELPARAM(s, s + Value));
}

std::string TCustomComboBox::SelText() {
  std::string t = GetText();
  size_t s = static_cast<size_t>(std::clamp(SelStart(), 0, static_cast<int>(t.size())));
  size_t n = static_cast<size_t>(std::clamp(SelLength(), 0, static_cast<int>(t.size() - s)));
  return t.substr(s, n);
}

void TCustomComboBox::SetSelText(const std::string& Value) {
  if (FEdit) FEdit->SetSelText(Value);
}

void TCustomComboBox::SelectAll() { Perform(CB_SETEDITSEL, 0, MAKELPARAM(0, -1)); }

void TCustomComboBox::Clear() {
  FItems->Clear();
  SetText("");
}

// ---------------------------------------------------------------------------
// Window
// ---------------------------------------------------------------------------

int TCustomComboBox::FaceHeight() {
  if (FFaceHeight > 0) return FFaceHeight;
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) return FItemHeight;
  return std::max(1, static_cast<int>(FontMetricsOf(Font()).tmHeight)) + 2;
}

// The face with its sunken edge (2 pixels a side) and a pixel around the field.
int TCustomComboBox::ComboHeight() { return FaceHeight() + 6; }

bool TCustomComboBox::CanResize(int& NewWidth, int& NewHeight) {
  (void)NewWidth;
  if (DropsDown()) NewHeight = ComboHeight();
  return true;
}

TRect TCustomComboBox::ButtonRect() {
  TRect c = GetClientRect();
  if (!DropsDown()) return {};
  // At the left edge under right-to-left alignment.
  const int w = GetSystemMetrics(SM_CXVSCROLL);
  if (UseRightToLeftAlignment()) return {c.Left, c.Top, std::min(c.Right, c.Left + w), c.Bottom};
  return {std::max(c.Left, c.Right - GetSystemMetrics(SM_CXVSCROLL)), c.Top, c.Right, c.Bottom};
}

void TCustomComboBox::LayoutEdit() {
  if (FStyle == csSimple) {
    int h = FaceHeight() + 4;
    if (FEdit) FEdit->SetBounds(0, 0, FWidth, h);
    FListBox->SetBounds(0, h, FWidth, std::max(0, FHeight - h));
    return;
  }
  if (!FEdit) return;
  TRect c = GetClientRect();
  TRect b = ButtonRect();
  if (UseRightToLeftAlignment())
    FEdit->SetBounds(b.Right + 1, c.Top + 1, std::max(0, c.Right - b.Right - 3), std::max(0, c.Height() - 2));
  else
    FEdit->SetBounds(c.Left + 2, c.Top + 1, std::max(0, b.Left - c.Left - 3), std::max(0, c.Height() - 2));
}

void TCustomComboBox::SetListStyle() {
  FListBox->SetSorted(FSorted);
  FListBox->SetStyle(FStyle == csOwnerDrawFixed      ? lbOwnerDrawFixed
                     : FStyle == csOwnerDrawVariable ? lbOwnerDrawVariable
                                                     : lbStandard);
  FListBox->SetItemHeight(FItemHeight);
  if (FStyle == csSimple) {
    FListBox->SetParent(this);
    FListBox->SetVisible(true);
  } else if (FListBox->Parent()) {
    FListBox->SetParent(nullptr);
    FListBox->SetVisible(false);
  }
}

void TCustomComboBox::CreateParams(TCreateParams& P) {
  inherited::CreateParams(P);
  static const DWORD kinds[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  P.Style |= kinds[static_cast<int>(FStyle)] | CBS_HASSTRINGS | CBS_AUTOHSCROLL | WS_VSCROLL;
  if (FSorted) P.Style |= CBS_SORT;
  if (FCharCase == ecUpperCase) P.Style |= CBS_UPPERCASE;
  if (FCharCase == ecLowerCase) P.Style |= CBS_LOWERCASE;
  if (FStyle != csSimple) P.ExStyle |= WS_EX_CLIENTEDGE;
  P.Style &= ~WS_VSCROLL;  // the list has the bar, not the combo box
}

void TCustomComboBox::CreateWnd() {
  inherited::CreateWnd();
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) {
    // The selection field's height, as the owner says (WM_MEASUREITEM for item -1).
    MEASUREITEMSTRUCT m;
    m.CtlType = ODT_COMBOBOX;
    m.itemID = static_cast<UINT>(-1);
    m.itemWidth = static_cast<UINT>(std::max(0, GetClientRect().Width()));
    m.itemHeight = static_cast<UINT>(FItemHeight);
    m.hwndItem = FHandle;
    if (Parent() && Parent()->HandleAllocated()) SendMessage(Parent()->Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&m));
    else Perform(CN_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&m));
    FFaceHeight = std::clamp(static_cast<int>(m.itemHeight), 1, 255);
    SetBounds(FLeft, FTop, FWidth, FHeight);
  }
  LayoutEdit();
  // The edit's window comes with the combo box's, as the system's combo box makes
  // it, so that a copy of the window (PaintTo) shows the text. So does a sorted
  // list's: it is put in order now, not at its first drop-down, so an item the
  // program inserted at a place of its own keeps it.
  if (FEdit) FEdit->HandleNeeded();
  if (DropsDown() && FSorted) FListBox->HandleNeeded();
  UpdateEditLimit();
}

void TCustomComboBox::DestroyWnd() {
  if (FDropped) HideList(false);
  // The popup belongs to the window going away.
  if (!FListBox->Parent() && FListBox->HandleAllocated()) FListBox->ReleaseWindow();
  inherited::DestroyWnd();
}

void TCustomComboBox::WndProc(TMessage& M) { inherited::WndProc(M); }

void TCustomComboBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND: CNCommand(M); break;
    case CN_DRAWITEM: CNDrawItem(M); break;
    case CN_MEASUREITEM: CNMeasureItem(M); break;
    case CM_BIDIMODECHANGED:  // the button and the edit change sides
      inherited::Dispatch(M);
      LayoutEdit();
      break;
    case WM_DRAWITEM: case WM_MEASUREITEM: case WM_DELETEITEM:
      // From the list: passed on as the combo box's own.
      if (FListNotifying) DefaultHandler(M);
      else inherited::Dispatch(M);
      break;
    case WM_COMMAND:
      if (FEdit && FEdit->HandleAllocated() && reinterpret_cast<HWND>(M.LParam) == FEdit->Handle()) {
        DefaultHandler(M);  // the edit's notifications are the combo box's business
        break;
      }
      inherited::Dispatch(M);
      break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
      DefaultHandler(M);
      inherited::Dispatch(M);
      break;
    case CM_FONTCHANGED:
      inherited::Dispatch(M);
      FListBox->Font()->Assign(Font());
      SetBounds(FLeft, FTop, FWidth, FHeight);
      LayoutEdit();
      break;
    case CM_COLORCHANGED:
      inherited::Dispatch(M);
      FListBox->SetColor(Color());
      break;
    case CM_ENABLEDCHANGED: case CM_VISIBLECHANGED:
      if (FDropped && (!Enabled() || !Visible())) HideList(false);
      inherited::Dispatch(M);
      Invalidate();
      break;
    default:
      inherited::Dispatch(M);
  }
}

void TCustomComboBox::DefaultHandler(TMessage& M) {
  if (HandleComboMessage(M)) return;
  inherited::DefaultHandler(M);
}

void TCustomComboBox::ComboWndProc(TMessage& M, HWND ComboWnd) {
  (void)ComboWnd;
  switch (M.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // The combo box's key events see the edit's keys, then the keys working the list.
      if (DoKeyDown(M)) return;
      if (M.Msg == WM_SYSKEYDOWN || DropsDown() || M.WParam == VK_UP || M.WParam == VK_DOWN) {
        TMessage k = M;
        ListKeyDown(k);
        if (k.Result) return;
      }
      break;
    case WM_CHAR:
      if (DoKeyPress(M)) return;
      if (FDropped && (M.WParam == VK_RETURN || M.WParam == VK_ESCAPE)) return;
      break;
    case WM_GETDLGCODE:
      CallEditDefault(M);
      if (FDropped) M.Result |= DLGC_WANTALLKEYS;
      return;
    case WM_SETFOCUS:
      // The form counts the combo box as the focused control (its ActiveControl,
      // the start of Tab and Shift+Tab), not the edit inside it.
      if (TCustomForm* f = GetParentForm(this); f && !f->SetFocusedControl(this)) return;
      if (FEdit) {
        FEdit->Dispatch(M);
        if (GetKeyState(VK_LBUTTON) >= 0) FEdit->SelectAll();
      }
      Invalidate();
      NotifyCommand(CBN_SETFOCUS);
      return;
    case WM_KILLFOCUS:
      CallEditDefault(M);
      if (reinterpret_cast<HWND>(M.WParam) != FHandle) {
        if (FDropped) HideList(false);
        NotifyCommand(CBN_KILLFOCUS);
      }
      return;
    case WM_MOUSEWHEEL:
      M.Result = Perform(WM_MOUSEWHEEL, M.WParam, M.LParam);
      return;
    default:
      break;
  }
  CallEditDefault(M);
}

void TCustomComboBox::CallEditDefault(TMessage& M) {
  if (FEdit) FEdit->WndProc(M);
}

void TCustomComboBox::CNCommand(TMessage& M) {
  switch (HIWORD(M.WParam)) {
    case CBN_DBLCLK: DblClick(); break;
    case CBN_EDITCHANGE: Change(); break;
    case CBN_DROPDOWN: DropDown(); break;
    case CBN_SELCHANGE:
      Click();
      Select();
      break;
    case CBN_CLOSEUP: CloseUp(); break;
    default: break;
  }
}

void TCustomComboBox::CNDrawItem(TMessage& M) {
  auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
  if (!d) return;
  DrawOwnerItem(this, FCanvas, *d, [this](int Index, TRect Rect, TOwnerDrawState State) { DrawItem(Index, Rect, State); });
  M.Result = 1;
}

void TCustomComboBox::CNMeasureItem(TMessage& M) {
  auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
  if (!m) return;
  int h = FItemHeight;
  if (FStyle == csOwnerDrawVariable && static_cast<int>(m->itemID) >= 0) MeasureItem(static_cast<int>(m->itemID), h);
  m->itemHeight = static_cast<UINT>(std::max(1, h));
  M.Result = 1;
}

void TCustomComboBox::Change() {
  Changed();
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
  else Change();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  FCanvas->TextFlags = UseRightToLeftReading() ? ETO_RTLREADING : 0;
  if (Index < FItems->Count()) FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems->Strings(Index));
}

void TCustomComboBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomComboBox::NotifyCommand(WORD Code) {
  if (!FHandle || Destroying()) return;
  WPARAM w = MAKEWPARAM(0, Code);
  LPARAM l = reinterpret_cast<LPARAM>(FHandle);
  if (Parent() && Parent()->HandleAllocated()) SendMessage(Parent()->Handle(), WM_COMMAND, w, l);
  else Perform(CN_COMMAND, w, l);
}

LRESULT TCustomComboBox::ListNotify(UINT Msg, WPARAM WParam, LPARAM LParam) {
  // The list speaks of its items as the combo box's (ODT_COMBOBOX, the combo box's window).
  switch (Msg) {
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(LParam);
      d->CtlType = ODT_COMBOBOX;
      d->hwndItem = FHandle;
      break;
    }
    case WM_MEASUREITEM: {
      auto* d = reinterpret_cast<MEASUREITEMSTRUCT*>(LParam);
      d->CtlType = ODT_COMBOBOX;
      d->hwndItem = FHandle;
      break;
    }
    case WM_DELETEITEM: {
      auto* d = reinterpret_cast<DELETEITEMSTRUCT*>(LParam);
      d->CtlType = ODT_COMBOBOX;
      d->hwndItem = FHandle;
      break;
    }
    case WM_COMMAND:
      // A csSimple list is clicked like any list; the others are followed here.
      if (FStyle == csSimple && HIWORD(WParam) == LBN_SELCHANGE) {
        SelectionToEdit();
        NotifyCommand(CBN_SELENDOK);
        NotifyCommand(CBN_SELCHANGE);
      } else if (FStyle == csSimple && HIWORD(WParam) == LBN_DBLCLK) {
        NotifyCommand(CBN_DBLCLK);
      }
      return 0;
    default:
      return 0;
  }
  TRestore notifying(FListNotifying, true);
  return Perform(Msg, WParam, LParam);
}

void TCustomComboBox::SelectionToEdit() {
  if (!FEdit) return;
  int i = static_cast<int>(List(LB_GETCURSEL));
  std::string text;
  if (i >= 0) text = FItems->Strings(i);
  {
    FSettingText = true;
    TOnExit done([this] { FSettingText = false; });
    FEdit->SetText(text);
  }
  if (Focused()) FEdit->SelectAll();
}

void TCustomComboBox::ShowList(bool FromMouse) {
  if (FDropped || !FHandle || !DropsDown()) return;
  NotifyCommand(CBN_DROPDOWN);  // the owner may fill the list now
  if (FDropped || !FHandle || !IsWindowVisible(FHandle) || !IsWindowEnabled(FHandle)) return;
  FListBox->Font()->Assign(Font());
  FListBox->SetColor(Color());
  if (FListBox->BiDiMode() != BiDiMode()) {
    // The popup takes the mode's window styles when it is made again.
    if (FListBox->HandleAllocated()) FListBox->ReleaseWindow();
    FListBox->SetBiDiMode(BiDiMode());
  }
  int n = static_cast<int>(List(LB_GETCOUNT));
  int rows = std::clamp(n, 1, FDropDownCount);
  int h = 2;
  for (int i = 0; i < rows; ++i) h += static_cast<int>(n ? List(LB_GETITEMHEIGHT, static_cast<WPARAM>(i)) : List(LB_GETITEMHEIGHT, 0));
  TRect wr;
  GetWindowRect(FHandle, &wr);
  int w = std::max(wr.Width(), FDroppedWidth);
  // A list wider than the combo box grows away from its reading edge: right to left
  // it keeps the combo box's right edge and grows to the left.
  const bool rtl = UseRightToLeftAlignment();
  int x = rtl ? wr.Right - w : wr.Left, y = wr.Bottom;
  TRect work = Screen ? Screen->WorkAreaRect() : TRect{0, 0, 1 << 15, 1 << 15};
  if (Screen)
    if (TMonitor* m = Screen->MonitorFromPoint(wr.TopLeft())) work = m->WorkareaRect;
  if (y + h > work.Bottom && wr.Top - h >= work.Top) y = wr.Top - h;
  if (x + w > work.Right) x = std::max(work.Left, work.Right - w);
  if (x < work.Left) x = work.Left;
  FListBox->SetBounds(x, y, w, h);
  FListBox->HandleNeeded();
  HWND list = FListBox->Handle();
  int sel = static_cast<int>(List(LB_GETCURSEL));
  FDropSel = sel;
  List(LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, sel)));
  SetWindowPos(list, HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FDropped = true;
  FListBox->FPressed = false;
  FListBox->FFromCombo = FromMouse;
  FListBox->FEntered = false;
  ::SetCapture(list);
  Invalidate();
}

void TCustomComboBox::HideList(bool Accept) {
  if (!FDropped) return;
  FDropped = false;
  FHiding = true;
  if (FListBox->HandleAllocated()) {
    HWND list = FListBox->Handle();
    if (GetCapture() == list) ReleaseCapture();
    SetWindowPos(list, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FHiding = false;
  int sel = static_cast<int>(List(LB_GETCURSEL));
  bool changed = Accept && sel != FDropSel;
  // A handler of the notifications may free the combo box (its window goes
  // with it): nothing of it is touched after that.
  HWND self = FHandle;
  auto gone = [self] { return self && !IsWindow(self); };
  if (Accept) {
    if (changed) SelectionToEdit();
    Invalidate();
    NotifyCommand(CBN_SELENDOK);
  } else {
    if (sel != FDropSel) List(LB_SETCURSEL, static_cast<WPARAM>(FDropSel));
    Invalidate();
    NotifyCommand(CBN_SELENDCANCEL);
  }
  if (gone()) return;
  NotifyCommand(CBN_CLOSEUP);
  if (gone()) return;
  if (changed) NotifyCommand(CBN_SELCHANGE);
}

void TCustomComboBox::PickItem(int Index) {
  List(LB_SETCURSEL, static_cast<WPARAM>(Index));
  HideList(true);
}

void TCustomComboBox::StepSelection(int Index) {
  int n = static_cast<int>(List(LB_GETCOUNT));
  if (n == 0) return;
  Index = std::clamp(Index, 0, n - 1);
  if (Index == List(LB_GETCURSEL)) return;
  List(LB_SETCURSEL, static_cast<WPARAM>(Index));
  if (FDropped) FDropSel = Index;
  SelectionToEdit();
  Invalidate();
  NotifyCommand(CBN_SELCHANGE);
}

void TCustomComboBox::ListKeyDown(TMessage& M) {
  M.Result = 0;
  WORD key = static_cast<WORD>(M.WParam);
  bool alt = M.Msg == WM_SYSKEYDOWN || (M.LParam & KF_ALTDOWN_BIT);
  if (DropsDown()) {
    if ((key == VK_F4 && !alt) || (alt && (key == VK_DOWN || key == VK_UP))) {
      if (FDropped) HideList(true);
      else ShowList(false);
      M.Result = 1;
      return;
    }
    if (FDropped && (key == VK_RETURN || key == VK_ESCAPE)) {
      HideList(key == VK_RETURN);
      M.Result = 1;
      return;
    }
    if (!FDropped && FExtendedUI && key == VK_DOWN && !alt) {
      ShowList(false);
      M.Result = 1;
      return;
    }
  }
  if (alt) return;
  int cur = static_cast<int>(List(LB_GETCURSEL));
  int n = static_cast<int>(List(LB_GETCOUNT));
  int page = std::max(1, FDropDownCount - 1);
  int target;
  switch (key) {
    case VK_UP: target = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: target = cur < 0 ? 0 : cur + 1; break;
    case VK_PRIOR: target = cur - page; break;
    case VK_NEXT: target = cur + page; break;
    case VK_LEFT: if (FEdit) return; target = cur < 0 ? 0 : cur - 1; break;
    case VK_RIGHT: if (FEdit) return; target = cur + 1; break;
    case VK_HOME: if (FEdit) return; target = 0; break;
    case VK_END: if (FEdit) return; target = n - 1; break;
    default: return;
  }
  StepSelection(target);
  M.Result = 1;
}

void TCustomComboBox::PaintFace(HDC Dc) {
  TRect c = GetClientRect();
  bool enabled = IsWindowEnabled(FHandle) != FALSE;
  ::FillRect(Dc, &c, Brush()->Handle());
  if (!DropsDown()) return;
  TRect b = ButtonRect();
  DrawFrameControl(Dc, &b, DFC_SCROLL,
                   DFCS_SCROLLCOMBOBOX | (FDropped ? DFCS_PUSHED | DFCS_FLAT : 0) | (enabled ? 0 : DFCS_INACTIVE));
  if (FEdit) return;
  TRect r{c.Left + 1, c.Top + 1, b.Left - 1, c.Bottom - 1};
  if (UseRightToLeftAlignment()) r = TRect{b.Right + 1, c.Top + 1, c.Right - 1, c.Bottom - 1};
  if (r.IsEmpty()) return;
  bool focused = Focused() && !FDropped;
  int index = FDropped ? FDropSel : static_cast<int>(List(LB_GETCURSEL));
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) {
    DRAWITEMSTRUCT d;
    d.CtlType = ODT_COMBOBOX;
    d.itemID = static_cast<UINT>(index);
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = ODS_COMBOBOXEDIT | (focused ? ODS_SELECTED | ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
    d.hwndItem = FHandle;
    d.hDC = Dc;
    d.rcItem = r;
    d.itemData = index >= 0 ? static_cast<ULONG_PTR>(List(LB_GETITEMDATA, static_cast<WPARAM>(index))) : 0;
    int saved = SaveDC(Dc);
    IntersectClipRect(Dc, r.Left, r.Top, r.Right, r.Bottom);
    if (Parent() && Parent()->HandleAllocated()) SendMessage(Parent()->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&d));
    else Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&d));
    RestoreDC(Dc, saved);
    return;
  }
  if (focused) {
    HBRUSH hl = CreateSolidBrush(ColorToRGB(clHighlight));
    ::FillRect(Dc, &r, hl);
    DeleteObject(hl);
  }
  if (index >= 0) {
    std::string text = FItems->Strings(index);
    int saved = SaveDC(Dc);
    SelectObject(Dc, Font()->Handle());
    SetBkMode(Dc, TRANSPARENT);
    SetTextColor(Dc, ColorToRGB(!enabled ? clGrayText : focused ? clHighlightText : Font()->Color()));
    TRect t{r.Left + 2, r.Top, r.Right, r.Bottom};
    if (UseRightToLeftAlignment()) t = TRect{r.Left, r.Top, r.Right - 2, r.Bottom};
    DrawText(Dc, text.c_str(), static_cast<int>(text.size()), &t,
             DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX));
    RestoreDC(Dc, saved);
  }
  if (focused) ::DrawFocusRect(Dc, &r);
}

// Each message belongs to one group; false: not handled here (or handled and passed on).
bool TCustomComboBox::HandleComboMessage(TMessage& M) {
  return ComboItemMessage(M) || ComboListMessage(M) || ComboTextMessage(M) || ComboWindowMessage(M);
}

// The items and the selection: the list box's messages under the combo box's names.
bool TCustomComboBox::ComboItemMessage(TMessage& M) {
  auto forward = [&](UINT LbMsg) {
    M.Result = List(LbMsg, M.WParam, M.LParam);
    return true;
  };
  // An added item takes the combo box's case.
  auto add = [&](UINT LbMsg) {
    if (FCharCase == ecNormal || !M.LParam) return forward(LbMsg);
    std::string cased = InCase(reinterpret_cast<const char*>(M.LParam));
    M.Result = List(LbMsg, M.WParam, reinterpret_cast<LPARAM>(cased.c_str()));
    return true;
  };
  switch (M.Msg) {
    case CB_ADDSTRING: return add(LB_ADDSTRING);
    case CB_INSERTSTRING: return add(LB_INSERTSTRING);
    case CB_DELETESTRING: return forward(LB_DELETESTRING);
    case CB_GETCOUNT: return forward(LB_GETCOUNT);
    case CB_GETLBTEXT: return forward(LB_GETTEXT);
    case CB_GETLBTEXTLEN: return forward(LB_GETTEXTLEN);
    case CB_GETITEMDATA: return forward(LB_GETITEMDATA);
    case CB_SETITEMDATA: return forward(LB_SETITEMDATA);
    case CB_FINDSTRING: return forward(LB_FINDSTRING);
    case CB_FINDSTRINGEXACT: return forward(LB_FINDSTRINGEXACT);
    case CB_GETTOPINDEX: return forward(LB_GETTOPINDEX);
    case CB_SETTOPINDEX: return forward(LB_SETTOPINDEX);
    case CB_GETCURSEL: return forward(LB_GETCURSEL);
    case CB_RESETCONTENT:
      List(LB_RESETCONTENT);
      FDropSel = -1;
      if (FEdit) SelectionToEdit();
      if (FHandle) Invalidate();
      M.Result = CB_OKAY;
      return true;
    case CB_SETCURSEL: {
      int n = static_cast<int>(List(LB_GETCOUNT));
      int i = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
      if (i < 0 || i >= n) i = -1;
      List(LB_SETCURSEL, static_cast<WPARAM>(i));
      if (FDropped) FDropSel = i;
      SelectionToEdit();
      if (FHandle) Invalidate();
      M.Result = i >= 0 ? i : CB_ERR;
      return true;
    }
    default:
      return false;
  }
}

// The drop-down list and the heights of the face and the items.
bool TCustomComboBox::ComboListMessage(TMessage& M) {
  switch (M.Msg) {
    case CB_SHOWDROPDOWN:
      if (M.WParam) ShowList(false);
      else HideList(false);
      M.Result = TRUE;
      return true;
    case CB_GETDROPPEDSTATE:
      M.Result = FDropped;
      return true;
    case CB_SETEXTENDEDUI:
      FExtendedUI = M.WParam != 0;
      M.Result = CB_OKAY;
      return true;
    case CB_GETEXTENDEDUI:
      M.Result = FExtendedUI;
      return true;
    case CB_SETDROPPEDWIDTH:
      FDroppedWidth = std::max(0, static_cast<int>(M.WParam));
      M.Result = std::max(FDroppedWidth, FWidth);
      return true;
    case CB_GETDROPPEDWIDTH:
      M.Result = std::max(FDroppedWidth, FWidth);
      return true;
    case CB_GETDROPPEDCONTROLRECT: {
      auto* r = reinterpret_cast<TRect*>(M.LParam);
      if (!r) return true;
      if (FListBox->HandleAllocated() && FDropped) {
        GetWindowRect(FListBox->Handle(), r);
      } else if (FHandle) {
        TRect wr;
        GetWindowRect(FHandle, &wr);
        *r = TRect{wr.Left, wr.Bottom, wr.Left + std::max(wr.Width(), FDroppedWidth), wr.Bottom};
      }
      M.Result = TRUE;
      return true;
    }
    case CB_SETITEMHEIGHT: {
      int h = static_cast<int>(M.LParam);
      if (h <= 0 || h > 255) {
        M.Result = CB_ERR;
        return true;
      }
      if (static_cast<int>(static_cast<std::intptr_t>(M.WParam)) == -1) {
        FFaceHeight = h;
        SetBounds(FLeft, FTop, FWidth, FHeight);
        LayoutEdit();
        M.Result = CB_OKAY;
      } else {
        M.Result = List(LB_SETITEMHEIGHT, M.WParam, M.LParam);
      }
      return true;
    }
    case CB_GETITEMHEIGHT:
      if (static_cast<int>(static_cast<std::intptr_t>(M.WParam)) == -1) M.Result = FaceHeight();
      else M.Result = List(LB_GETITEMHEIGHT, M.WParam, 0);
      return true;
    default:
      return false;
  }
}

// The text and the edit: its selection, its limit, and typing into it.
bool TCustomComboBox::ComboTextMessage(TMessage& M) {
  switch (M.Msg) {
    case CB_GETEDITSEL: {
      if (!FEdit) {
        M.Result = CB_ERR;
        return true;
      }
      DWORD s = 0, e = 0;
      FEdit->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
      if (auto* ps = reinterpret_cast<DWORD*>(M.WParam)) *ps = s;
      if (auto* pe = reinterpret_cast<DWORD*>(M.LParam)) *pe = e;
      M.Result = MAKELPARAM(static_cast<int>(s), static_cast<int>(e)) & 0xFFFFFFFF;
      return true;
    }
    case CB_SETEDITSEL: {
      if (!FEdit) {
        M.Result = CB_ERR;
        return true;
      }
      int s = static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(M.LParam)));
      int e = static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(M.LParam)));
      FEdit->Perform(EM_SETSEL, static_cast<WPARAM>(s), static_cast<LPARAM>(e));
      M.Result = TRUE;
      return true;
    }
    case CB_LIMITTEXT:
      if (FEdit) FEdit->SetMaxLength(static_cast<int>(M.WParam));
      M.Result = TRUE;
      return true;

    // The text: the edit's, or the selected item's in the drop-down list styles.
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      if (FEdit) {
        M.Result = FEdit->Perform(M.Msg, M.WParam, M.LParam);
        return true;
      }
      int i = FDropped ? FDropSel : static_cast<int>(List(LB_GETCURSEL));
      ReplyWindowText(M, i >= 0 ? FItems->Strings(i) : std::string());
      return true;
    }
    case WM_SETTEXT: {
      if (FEdit) {
        FSettingText = true;
        TOnExit done([this] { FSettingText = false; });
        M.Result = FEdit->Perform(WM_SETTEXT, M.WParam, M.LParam);
        FEdit->Perform(CM_TEXTCHANGED, 0, 0);
        return true;
      }
      LRESULT i = List(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), M.LParam);
      const char* text = reinterpret_cast<const char*>(M.LParam);
      if (i < 0 && ComponentState().Contains(csReading) && text && *text) FPendingText = text;
      if (i >= 0) {
        List(LB_SETCURSEL, static_cast<WPARAM>(i));
        if (FDropped) FDropSel = static_cast<int>(i);
        if (FHandle) Invalidate();
      }
      M.Result = i >= 0 ? TRUE : CB_ERR;
      return true;
    }
    case WM_COMMAND:
      // From the edit: typing is the combo box's edit change.
      if (HIWORD(M.WParam) == EN_CHANGE && !FSettingText) {
        if (FDropped) {
          std::string t = GetText();
          LRESULT i = List(LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(t.c_str()));
          List(LB_SETCURSEL, static_cast<WPARAM>(t.empty() ? -1 : i));
          FDropSel = -1;
        } else {
          List(LB_SETCURSEL, static_cast<WPARAM>(-1));
        }
        NotifyCommand(CBN_EDITCHANGE);
      }
      M.Result = 0;
      return true;
    default:
      return false;
  }
}

// The window: the list's owner-draw notifications, painting, focus, mouse, keys and wheel.
bool TCustomComboBox::ComboWindowMessage(TMessage& M) {
  switch (M.Msg) {
    // The list's owner-draw and delete notifications, passed on as the combo box's.
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM: {
      if (!FListNotifying) return false;
      if (FHandle && Parent() && Parent()->HandleAllocated())
        M.Result = SendMessage(Parent()->Handle(), M.Msg, M.WParam, M.LParam);
      else
        M.Result = Perform(CN_BASE + M.Msg, M.WParam, M.LParam);
      return true;
    }
    case WM_PAINT:
      if (M.WParam) {
        PaintFace(reinterpret_cast<HDC>(M.WParam));
      } else if (FHandle) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(FHandle, &ps);
        if (dc) PaintFace(dc);
        EndPaint(FHandle, &ps);
      }
      return true;
    case WM_SIZE:
      LayoutEdit();
      if (FHandle) Invalidate();
      return false;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (FDropped ? DLGC_WANTALLKEYS : 0);
      return true;
    case WM_SETFOCUS:
      if (FEdit && FEdit->HandleAllocated()) {
        ::SetFocus(FEdit->Handle());
        return true;
      }
      if (FHandle) Invalidate();
      NotifyCommand(CBN_SETFOCUS);
      return true;
    case WM_KILLFOCUS:
      if (FEdit && FEdit->HandleAllocated() && reinterpret_cast<HWND>(M.WParam) == FEdit->Handle()) return true;
      if (FDropped) HideList(false);
      if (FHandle) Invalidate();
      NotifyCommand(CBN_KILLFOCUS);
      return true;
    case WM_CANCELMODE:
      if (FDropped) HideList(false);
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!DropsDown()) return true;
      if (!Focused() && CanFocus()) SetFocus();
      TPoint p = LParamToPoint(M.LParam);
      if (!FEdit || ButtonRect().Contains(p)) {
        if (FDropped) HideList(false);
        else ShowList(true);
      }
      return true;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      ListKeyDown(M);
      if (M.Result) return true;
      return M.Msg == WM_KEYDOWN;
    case WM_CHAR: {
      unsigned char ch = static_cast<unsigned char>(M.WParam & 0xFF);
      if (FEdit || ch < 32 || ch >= 0x80) return true;
      std::string key(1, static_cast<char>(ch));
      int cur = static_cast<int>(List(LB_GETCURSEL));
      LRESULT i = List(LB_FINDSTRING, static_cast<WPARAM>(cur), reinterpret_cast<LPARAM>(key.c_str()));
      if (i >= 0) StepSelection(static_cast<int>(i));
      return true;
    }
    case WM_MOUSEWHEEL: {
      int delta = static_cast<std::int16_t>(HIWORD(M.WParam));
      if (delta == 0) return true;
      if (FDropped) {
        int top = static_cast<int>(List(LB_GETTOPINDEX)) + WheelRows(M.WParam);
        List(LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, top)));
      } else {
        int cur = static_cast<int>(List(LB_GETCURSEL));
        StepSelection(delta < 0 ? cur + 1 : std::max(0, cur - 1));
      }
      M.Result = 1;
      return true;
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// Property tables
// ---------------------------------------------------------------------------

const TClassInfo& TCustomComboBox::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomComboBox>("TCustomComboBox", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TComboBox::StaticClass() {
  using C = TComboBox;
  static const TClassInfo info =
      TClassBuilder<C>("TComboBox", &inherited::StaticClass())
          .Component()
          .Enum<TComboBoxStyle>("Style", &C::Style, &C::SetStyle, csDropDown)
          .Prop(TControl::Property("Align"))
          .Enum<TEditCharCase>("CharCase", &C::CharCase, &C::SetCharCase, ecNormal)
          .Prop(TControl::Property("Anchors"))
          .Prop(TControl::Property("Color"))
          .Prop(TControl::Property("Ctl3D"))
          .Int("DropDownCount", &C::DropDownCount, [](C* x, int64_t v) { x->SetDropDownCount(static_cast<int>(v)); }, 8)
          .Prop(TControl::Property("Enabled"))
          .Prop(TControl::Property("Font"))
          .Int("ItemHeight", &C::ItemHeight, [](C* x, int64_t v) { x->SetItemHeight(static_cast<int>(v)); }, 16)
          .Int("ItemIndex", &C::ItemIndex, [](C* x, int64_t v) { x->SetItemIndex(static_cast<int>(v)); }, -1)
          .Int("MaxLength", &C::MaxLength, [](C* x, int64_t v) { x->SetMaxLength(static_cast<int>(v)); }, 0)
          .Prop(TControl::Property("ParentColor", 0))
          .Prop(TControl::Property("ParentCtl3D"))
          .Prop(TControl::Property("ParentFont"))
          .Prop(TControl::Property("BiDiMode"))
          .Prop(TControl::Property("ParentBiDiMode"))
          .Prop(TControl::Property("ParentShowHint"))
          .Prop(TControl::Property("PopupMenu"))
          .Prop(TControl::Property("ShowHint"))
          .Bool("Sorted", &C::Sorted, &C::SetSorted, false)
          .Prop(TControl::Property("TabOrder"))
          .Prop(TControl::Property("TabStop", 1))
          .Prop(TControl::Property("Text"))
          .Prop(TControl::Property("Visible"))
          .Event("OnChange", static_cast<TNotifyEvent C::*>(&C::OnChange))
          .Prop(TControl::Property("OnClick"))
          .Event("OnCloseUp", static_cast<TNotifyEvent C::*>(&C::OnCloseUp))
          .Prop(TControl::Property("OnDblClick"))
          .Event("OnDrawItem", static_cast<TDrawItemEvent C::*>(&C::OnDrawItem))
          .Event("OnDropDown", static_cast<TNotifyEvent C::*>(&C::OnDropDown))
          .Prop(TControl::Property("OnEnter"))
          .Prop(TControl::Property("OnExit"))
          .Prop(TControl::Property("OnKeyDown"))
          .Prop(TControl::Property("OnKeyPress"))
          .Prop(TControl::Property("OnKeyUp"))
          .Event("OnMeasureItem", static_cast<TMeasureItemEvent C::*>(&C::OnMeasureItem))
          .Event("OnSelect", static_cast<TNotifyEvent C::*>(&C::OnSelect))
          // Items last: a stream lists it after Style and ItemIndex.
          .Object<TStrings>("Items", &C::Items, &C::SetItems)
          .Build();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() { RegisterClass(ClassEntry<TComboBox>()); }
} const kRegistration;
}  // namespace
