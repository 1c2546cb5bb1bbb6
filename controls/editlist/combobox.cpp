#include "controls/editlist/combobox.h"

#include <utility>

#include "controls/common/dialogs.h"
#include "controls/common/glyphs.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "controls/editlist/edits.h"
#include "controls/editlist/listnames.h"
#include "platform/controls/forms.h"
#include "platform/controls/winuser.h"
#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/gdi.h"
#include "platform/stdctrls/edit.h"
#include "platform/win32/messages.h"

namespace {

bool IsLead(const std::string& S, size_t I) { return I < S.size() && ByteType(S, I) == mbLeadByte; }

// S without its last character (both bytes of a double-byte one).
void DropLastChar(std::string& S) {
  if (S.empty()) return;
  size_t last = S.size() - 1;
  while (last > 0 && ByteType(S, last) == mbTrailByte) --last;
  S.erase(last);
}

}  // namespace

const TClassInfo& TQvCustomComboBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCustomComboBox>("TQvCustomComboBox", &inherited::StaticClass()).Build();
  return info;
}

TQvCustomComboBox::TQvCustomComboBox(TComponent* AOwner) : inherited(AOwner) {
  FControlStyle >> csSetCaption;
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(IncrementalSearchResetDelay);
  FTimer->OnTimer = [this](TObject* S) { SearchTimer(S); };
}

TQvCustomComboBox::~TQvCustomComboBox() = default;

// ---------------------------------------------------------------------------
// Items and search
// ---------------------------------------------------------------------------

int TQvCustomComboBox::IndexOf(const std::string& S) { return Items()->IndexOf(S); }

bool TQvCustomComboBox::FindItem(const std::string& S) {
  int i = IndexOf(S);
  if (i >= 0) SetItemIndex(i);
  return i >= 0;
}

bool TQvCustomComboBox::FindClosestItem(const std::string& S) {
  int i = FindClosest(S);
  if (i >= 0) SetItemIndex(i);
  return i >= 0;
}

void TQvCustomComboBox::ForceText(const std::string& S) {
  if (Text() == S) return;
  FAutoComplete = false;
  SetText(S);
  FAutoComplete = true;
}

int TQvCustomComboBox::FindClosest(const std::string& S) {
  return static_cast<int>(Perform(CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str())));
}

void TQvCustomComboBox::InvalidKeyPressed() {
  if (FBeepOnInvalidKey) MessageBeep(0);
}

void TQvCustomComboBox::UpdateIndex(const std::string& S, TMessage& Message) {
  int index = FindClosest(S);
  if (index < 0) return InvalidKeyPressed();
  SetItemIndex(index);
  FSearchStr = S;
  Click();
  Change();
  DoKeyPress(Message);
}

bool TQvCustomComboBox::FindListItem(const std::string& S, TMessage& Message) {
  int old = ItemIndex();
  int index = FindClosest(S);
  if (index < 0) return false;
  std::string item = Items()->Strings(index);
  if (FKeepSearchCase) {
    FSettingText = true;
    SetText(S + item.substr(std::min(S.size(), item.size())));
    FSettingText = false;
  } else {
    SetItemIndex(-1);
    SetItemIndex(index);
  }
  Click();
  Change();
  DoKeyPress(Message);
  int start = static_cast<int>(S.size());
  SetSelStart(start);
  SetSelLength(static_cast<int>(item.size()) - start);
  if (ItemIndex() != old) Match();
  return true;
}

void TQvCustomComboBox::DeleteItem(void* Item) {
  if (OnDeleteItem) OnDeleteItem(this, Item);
}

void TQvCustomComboBox::SearchTimer(TObject*) {
  if (!FKeyInProgress) FSearchStr.clear();
  FTimer->SetEnabled(false);
}

void TQvCustomComboBox::RestartTimer() {
  FTimer->SetEnabled(false);
  FTimer->SetInterval(IncrementalSearchResetDelay);
  FTimer->SetEnabled(true);
}

void TQvCustomComboBox::Match() {
  if (OnMatch) OnMatch(this);
}
void TQvCustomComboBox::NotInList() {
  if (OnNotInList) OnNotInList(this);
}
void TQvCustomComboBox::SelEndCancel() {
  if (OnSelEndCancel) OnSelEndCancel(this);
}
void TQvCustomComboBox::SelEndOk() {
  if (OnSelEndOk) OnSelEndOk(this);
}

void TQvCustomComboBox::SendTab() { PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0); }

void TQvCustomComboBox::UpdateSearchStr() {
  if (Style() != csDropDown) return;
  if (!FSearchSet) FSearchStr = Text();
  FSearchSet = false;
  // An emptied text selects nothing (an empty prefix would match the first item).
  if (FSearchStr.empty()) return;
  int index = FindClosest(FSearchStr);
  if (index < 0) return;
  SetItemIndex(index);
  SetSelStart(static_cast<int>(FSearchStr.size()));
  SetSelLength(static_cast<int>(Items()->Strings(index).size()) - static_cast<int>(FSearchStr.size()));
}

void TQvCustomComboBox::KeyPress(char& Key) {
  if (Key == '\r' && FTabOnEnter && !DroppedDown()) {
    Key = 0;
    SendTab();
    return;
  }
  if (Style() == csDropDown && MaxLength() >= 1 && static_cast<unsigned char>(Key) >= 32 &&
      static_cast<int>(Text().size()) >= MaxLength() && SelLength() == 0) {
    InvalidKeyPressed();
    Key = 0;
    return;
  }
  std::weak_ptr<bool> alive = AliveToken();
  inherited::KeyPress(Key);  // OnKeyPress may free the control
  if (alive.expired()) return;
  if (Key == '\t') {
    if (FAutoDropDown) SetDroppedDown(false);
  } else if (Key != 0 && Key != '\b' && Key != 27 && FAutoDropDown && !DroppedDown()) {
    SetDroppedDown(true);
  }
}

void TQvCustomComboBox::CloseUp() {
  std::weak_ptr<bool> alive = AliveToken();
  inherited::CloseUp();  // OnCloseUp may free the control
  if (!alive.expired()) Invalidate();
}

// ---------------------------------------------------------------------------
// The combo window: drop-down list styles' search, wheel, state messages
// ---------------------------------------------------------------------------

void TQvCustomComboBox::WndProcChar(TMessage& M) {
  auto ch = static_cast<unsigned char>(M.WParam & 0xFF);
  std::string copy = FSearchStr;
  if (ch == '\b') {
    if (copy.empty()) return InvalidKeyPressed();
    DropLastChar(copy);
    if (copy.empty()) {
      SetItemIndex(0);
      Click();
      Change();
      FSearchStr.clear();
      DoKeyPress(M);
      return;
    }
    UpdateIndex(copy, M);
    return;
  }
  if (ch >= 32) {
    FKeyInProgress = true;
    copy += static_cast<char>(ch);
    UpdateIndex(copy, M);
    RestartTimer();
    FKeyInProgress = false;
    return;
  }
  inherited::WndProc(M);
}

bool TQvCustomComboBox::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (!inherited::DoMouseWheelDown(Shift, MousePos)) WheelStep(true);
  return true;
}

bool TQvCustomComboBox::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (!inherited::DoMouseWheelUp(Shift, MousePos)) WheelStep(false);
  return true;
}

void TQvCustomComboBox::WheelStep(bool Down) {
  if (FReadOnly) return;
  if (DroppedDown()) {
    int lines = Mouse ? Mouse->WheelScrollLines() : 3;
    int top = static_cast<int>(Perform(CB_GETTOPINDEX, 0, 0)) + (Down ? lines : -lines);
    Perform(CB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, top)), 0);
    return;
  }
  int cur = ItemIndex();
  if (Down) {
    if (cur >= Items()->Count() - 1) return;
    SetItemIndex(cur + 1);
  } else {
    if (cur <= 0) {
      if (cur == 0 || Items()->Count() == 0) return;
      SetItemIndex(0);
    } else {
      SetItemIndex(cur - 1);
    }
  }
  Click();
  Change();
}

void TQvCustomComboBox::WndProc(TMessage& M) {
  if (ControlMessage(M)) return;
  switch (M.Msg) {
    case WM_KEYDOWN:
      if (FReadOnly && (Style() == csDropDownList || Style() == csOwnerDrawFixed || Style() == csOwnerDrawVariable))
        return;
      switch (M.WParam) {
        case VK_ESCAPE: case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
        case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN: FSearchStr.clear(); break;
        default: break;
      }
      break;
    case WM_CHAR:
      if (Style() != csDropDown && Style() != csSimple) {
        if (FReadOnly) return;
        if (!FAutoComplete) break;
        return WndProcChar(M);
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (FReadOnly) {
        if (CanFocus() && !Focused()) SetFocus();
        return;
      }
      break;
    case WM_CUT:
      if (!FAllowEdit) return;
      FSearchStr = Text();
      FindListItem(FSearchStr, M);
      break;
    case WM_PASTE:
      if (!FAllowEdit) return;
      inherited::WndProc(M);
      FSearchStr = Text();
      FindListItem(FSearchStr, M);
      return;
    case WM_DELETEITEM: {
      auto* d = reinterpret_cast<DELETEITEMSTRUCT*>(M.LParam);
      if (d && d->itemData) {
        DeleteItem(reinterpret_cast<void*>(d->itemData));
        d->itemData = 0;
      }
      break;
    }
    case CN_DRAWITEM:
      return CNDrawItemFramed(M);
    case CN_COMMAND:
      if (HIWORD(M.WParam) == CBN_SELENDOK) {
        FSettingText = true;
        SelEndOk();
      } else if (HIWORD(M.WParam) == CBN_SELENDCANCEL) {
        SelEndCancel();
      }
      break;
    case WM_KILLFOCUS:
      inherited::WndProc(M);
      FSearchStr.clear();
      return;
    case WM_SIZE:
      inherited::WndProc(M);
      LayoutFramedEdit();
      if (FFrameVisible && !UseThemes()) Invalidate();
      return;
    case WM_PAINT:
      inherited::WndProc(M);
      PaintFrameEverywhere(reinterpret_cast<HDC>(M.WParam));
      return;
    default:
      break;
  }
  inherited::WndProc(M);
}

// The control notifications (CM_): focus, mouse, enabled state, colours, text,
// font and 3D look. Each passes the message on first; false: not one of them.
bool TQvCustomComboBox::ControlMessage(TMessage& M) {
  switch (M.Msg) {
    case CM_ENTER: {
      std::weak_ptr<bool> alive = AliveToken();
      inherited::WndProc(M);  // OnEnter may free the control
      if (alive.expired()) return true;
      FFocused = true;
      UpdateFrame(false, true);
      return true;
    }
    case CM_EXIT: {
      std::weak_ptr<bool> alive = AliveToken();
      inherited::WndProc(M);  // OnExit may free the control
      if (alive.expired()) return true;
      FFocused = false;
      UpdateFrame(false, false);
      if (Style() == csDropDown && !Text().empty() && Items()->IndexOf(Text()) < 0) NotInList();
      return true;
    }
    case CM_MOUSEENTER:
      inherited::WndProc(M);
      if (OnMouseEnter) OnMouseEnter(this);
      UpdateFrame(true, true);
      return true;
    case CM_MOUSELEAVE:
      inherited::WndProc(M);
      if (OnMouseLeave) OnMouseLeave(this);
      UpdateFrame(true, false);
      return true;
    case CM_ENABLEDCHANGED:
      inherited::WndProc(M);
      UpdateColors();
      return true;
    case CM_COLORCHANGED:
    case CM_PARENTCOLORCHANGED:
      inherited::WndProc(M);
      FollowOutsideColor(M.Msg == CM_PARENTCOLORCHANGED);
      return true;
    case CM_TEXTCHANGED:
      inherited::WndProc(M);
      if (FAutoComplete && !ComponentState().Contains(csDesigning) && !FSettingText && !DroppedDown())
        UpdateSearchStr();
      FSettingText = false;
      return true;
    case CM_FONTCHANGED:
      inherited::WndProc(M);
      LayoutFramedEdit();
      return true;
    case CM_CTL3DCHANGED:
      inherited::WndProc(M);
      if (HandleAllocated()) RecreateWnd();
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// The edit window: search and completion as the user types
// ---------------------------------------------------------------------------

void TQvCustomComboBox::EditKeyDown(TMessage& M) {
  FIgnoreChar = false;
  bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (M.WParam) {
    case VK_INSERT:
      if (shift) {
        FPasted = true;
        if (!FAllowEdit) M.WParam = 0;
      }
      break;
    case VK_DELETE: {
      std::string t = Text();
      int start = SelStart(), len = SelLength();
      if (len > 0) {
        t.erase(static_cast<size_t>(start), static_cast<size_t>(len));
      } else if (static_cast<size_t>(start) < t.size()) {
        t.erase(static_cast<size_t>(start), IsLead(t, static_cast<size_t>(start)) ? 2 : 1);
      }
      FSearchStr = t;
      if (!FAllowEdit && !(len > 0 && len >= static_cast<int>(Text().size()))) M.WParam = 0;
      break;
    }
    case VK_END: case VK_HOME: case VK_LEFT: case VK_RIGHT: FSearchStr = Text(); break;
    case VK_PRIOR: case VK_NEXT: case VK_UP: case VK_DOWN:
      FSettingText = true;
      FSearchStr.clear();
      if (FReadOnly) M.WParam = 0;
      break;
    case VK_F4:
      if (FReadOnly) M.WParam = 0;
      break;
    default: break;
  }
}

void TQvCustomComboBox::RemoveSelectedSearchText(std::string& S) {
  DWORD start = 0, end = 0;
  Perform(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start < S.size()) S.erase(start, std::min<size_t>(end, S.size()) - start);
  Perform(CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  Perform(CB_SETEDITSEL, 0, MAKELPARAM(start, start));
}

void TQvCustomComboBox::EditBackspace(TMessage& M) {
  std::string copy = FSearchStr;
  if (copy.empty()) {
    InvalidKeyPressed();
    return CallEditDefault(M);
  }
  int caret = SelStart();
  if (caret < static_cast<int>(copy.size())) {
    if (SelLength() > 0 && FAllowEdit) {
      RemoveSelectedSearchText(copy);
    } else if (FAllowEdit && caret > 0) {
      size_t at = static_cast<size_t>(caret) - 1;
      if (ByteType(copy, at) == mbTrailByte && at > 0) copy.erase(at - 1, 2);
      else copy.erase(at, 1);
    }
  } else {
    DropLastChar(copy);
  }
  Change();
  if (copy.empty()) {
    SetItemIndex(-1);
    if (FKeepSearchCase) SetText("");
    FSearchStr.clear();
    Click();
    Change();
    DoKeyPress(M);
  }
  FSearchStr = copy;
  if (FindListItem(FSearchStr, M)) return;
  CallEditDefault(M);
}

void TQvCustomComboBox::EditChar(TMessage& M) {
  auto ch = static_cast<unsigned char>(M.WParam & 0xFF);
  if (FIgnoreChar) {
    FIgnoreChar = false;
    return inherited::ComboWndProc(M, Handle());
  }
  if (FReadOnly) {
    if (ch == '\r' && FTabOnEnter && !DroppedDown()) SendTab();
    if (ch == 3) CallEditDefault(M);
    return;
  }
  switch (ch) {
    case 27:
      FSearchStr.clear();
      if (!DroppedDown()) return;
      return inherited::ComboWndProc(M, Handle());
    case 24: case 22:
      if (!FAllowEdit) return;
      inherited::ComboWndProc(M, Handle());
      if (FAllowEdit) {
        FSearchStr = Text();
        FindListItem(FSearchStr, M);
      }
      return;
    case '\r':
      if (DroppedDown()) SelEndOk();
      FSearchSet = true;
      return inherited::ComboWndProc(M, Handle());
    case '\b':
      return EditBackspace(M);
    default: break;
  }
  if (ch < 32) return inherited::ComboWndProc(M, Handle());

  // OnKeyPress first: it may change or cancel the key.
  if (DoKeyPress(M)) return;
  ch = static_cast<unsigned char>(M.WParam & 0xFF);
  if (ch < 32) return CallEditDefault(M);
  std::string before = FSearchStr;
  int caret = SelStart();
  std::string search = Text();
  int len = SelLength();
  if (len > 0 && caret < static_cast<int>(search.size())) search.erase(static_cast<size_t>(caret), static_cast<size_t>(len));
  caret = std::min(caret, static_cast<int>(search.size()));
  std::string insert(1, static_cast<char>(ch));
  MSG trail{};
  bool lead = IsGbkLeadByte(ch) && EditControl() &&
              PeekMessage(&trail, EditHandle(), WM_CHAR, WM_CHAR, PM_NOREMOVE);
  if (lead) insert += static_cast<char>(trail.wParam & 0xFF);
  search.insert(static_cast<size_t>(caret), insert);
  FSearchStr = search;
  TMessage none{WM_NULL, 0, 0, 0};
  if (FindListItem(FSearchStr, none)) {
    if (lead) PeekMessage(&trail, EditHandle(), WM_CHAR, WM_CHAR, PM_REMOVE);
    return;
  }
  if (FAllowEdit) {
    // The typed character goes into the text as the edit puts it, without the
    // completed tail.
    FSettingText = true;
    SetText(search.substr(0, static_cast<size_t>(caret)) + search.substr(static_cast<size_t>(caret) + insert.size()));
    FSettingText = false;
    SetSelStart(caret);
    SetSelLength(0);
    return CallEditDefault(M);
  }
  InvalidKeyPressed();
  FSearchStr = before;
}

void TQvCustomComboBox::ComboWndProc(TMessage& M, HWND ComboWnd) {
  if (!FAutoComplete) return inherited::ComboWndProc(M, ComboWnd);
  switch (M.Msg) {
    case WM_KEYDOWN:
      EditKeyDown(M);
      if (M.WParam == 0) return;
      break;
    case WM_SYSKEYDOWN:
      FIgnoreChar = true;
      if (FReadOnly && M.WParam != VK_F4) return;
      break;
    case WM_LBUTTONDOWN:
      if (Style() == csDropDown) FSearchStr = Text();
      break;
    case WM_CHAR:
      return EditChar(M);
    default:
      break;
  }
  inherited::ComboWndProc(M, ComboWnd);
  if (M.Msg == WM_KEYDOWN && FPasted) {
    FPasted = false;
    if (FAllowEdit) {
      FSearchStr = Text();
      TMessage none{WM_NULL, 0, 0, 0};
      FindListItem(FSearchStr, none);
    }
  }
}

// ---------------------------------------------------------------------------
// Colours, frame, setters
// ---------------------------------------------------------------------------

void TQvCustomComboBox::UpdateFrame(bool ViaMouse, bool InFocus) {
  if (ViaMouse) FMouseOver = InFocus;
  else FFocused = InFocus;
  if ((FFlatButtons || FFrameHotTrack) && !DroppedDown() && HandleAllocated()) {
    TRect r = GetClientRect();
    if (!FFrameHotTrack) r.Left = r.Right - GetSystemMetrics(SM_CXVSCROLL) - 2;
    RedrawWindow(Handle(), &r, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_FRAME);
  }
  UpdateColors();
}

QV_SETTER(TQvCustomComboBox, FlatButtons, bool, FFlatButtons)
QV_SETTER(TQvCustomComboBox, FlatButtonColor, TColor, FFlatButtonColor)

void TQvCustomComboBox::SetFrameVisible(bool V) {
  if (Reading()) FFrameVisibleRead = true;
  if (V == FFrameVisible) return;
  FFrameVisible = V;
  if (!Reading()) FrameShownCtl3D();
  Invalidate();
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void TQvCustomComboBox::FrameShownCtl3D() {
  SetParentCtl3D(!FFrameVisible);
  SetCtl3D(!FFrameVisible);
}

// While the frame is shown ParentCtl3D is always written: the frame's rule would
// otherwise decide it when the form is loaded.
std::optional<bool> TQvCustomComboBox::ImpliedParentCtl3D() const {
  return FFrameVisible ? std::optional<bool>(!ParentCtl3D()) : std::nullopt;
}

void TQvCustomComboBox::SetDropDownWidth(int V) {
  if (V == FDropDownWidth) return;
  FDropDownWidth = V;
  if (HandleAllocated()) Perform(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(V), 0);
}

void TQvCustomComboBox::SetReadOnly(bool V) {
  if (V == FReadOnly) return;
  FReadOnly = V;
  if ((Style() == csDropDown || Style() == csSimple) && HandleAllocated() && EditControl())
    SendMessage(EditHandle(), EM_SETREADONLY, V ? 1 : 0, 0);
  UpdateColors();
  Invalidate();
}

void TQvCustomComboBox::SetItemHeight(int V) {
  if (Style() != csOwnerDrawFixed && Style() != csOwnerDrawVariable) {
    // A form's Style line may come after this one: kept until the form is loaded.
    if (ComponentState().Contains(csReading)) FReadItemHeight = V;
    return;
  }
  if (V == ItemHeight()) return;
  inherited::SetItemHeight(V);
  if (HandleAllocated()) RecreateWnd();
}

void TQvCustomComboBox::CreateWnd() {
  inherited::CreateWnd();
  LayoutFramedEdit();
  if (FSavedDropDownWidth) FDropDownWidth = FSavedDropDownWidth;
  if (FDropDownWidth) Perform(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(FDropDownWidth), 0);
  if (FReadOnly && EditControl()) SendMessage(EditHandle(), EM_SETREADONLY, 1, 0);
}

void TQvCustomComboBox::DestroyWnd() {
  FSavedDropDownWidth = FDropDownWidth;
  inherited::DestroyWnd();
}

void TQvCustomComboBox::Loaded() {
  inherited::Loaded();
  if (FReadItemHeight > 0) SetItemHeight(std::exchange(FReadItemHeight, 0));
  FNormalColor = Color();
  UpdateColors();
}

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------

void TQvCustomComboBox::PaintFrameEverywhere(HDC ClientDc) {
  if (!HandleAllocated()) return;
  // Drawn in the control's own coordinates: with the sunken edge (Ctl3D) the
  // client area starts inside it and the edge's part is clipped away.
  HDC dc = ClientDc ? ClientDc : GetDC(Handle());
  if (!dc) return;
  TRect area = GetClientArea(Handle());
  PaintFrame(dc, {-area.Left, -area.Top});
  if (!ClientDc) ReleaseDC(Handle(), dc);
}

void TQvCustomComboBox::CreateParams(TCreateParams& P) {
  inherited::CreateParams(P);
  // Without Ctl3D (a visible frame) there is no sunken edge: the frame is drawn
  // in its place.
  if (!Ctl3D()) P.ExStyle &= ~WS_EX_CLIENTEDGE;
}

// Without the sunken edge the edit keeps clear of the frame and the button.
void TQvCustomComboBox::LayoutFramedEdit() {
  if (Ctl3D() || !EditControl() || Style() == csSimple) return;
  TRect c = GetClientRect();
  int right = c.Right - GetSystemMetrics(SM_CXVSCROLL) - 2;
  EditControl()->SetBounds(c.Left + 4, c.Top + 3, std::max(0, right - c.Left - 5), std::max(0, c.Height() - 6));
}

// The frame, the bevel hiding the sunken edge and the flat button, in window
// coordinates (the whole control) with Origin the window's top-left on Dc:
//
//   FrameVisible, fsFlat, FlatButtons hot:
//   +----------------------------+   frame line (FrameColor)
//   |.bevel in Color (2 px).....|
//   |.  text             |/\hl |.|   button: 1-px bevel, FlatButtonColor, arrow
//   |.                   | v sh|.|
//   +----------------------------+
void TQvCustomComboBox::PaintFrame(HDC Dc, TPoint Origin) {
  bool themes = UseThemes();
  if (!FFrameVisible && !FFlatButtons && !FReadOnly && !themes) return;
  TCanvas canvas;
  canvas.SetHandle(Dc);
  int saved = SaveDC(Dc);
  TPoint old;
  OffsetViewportOrgEx(Dc, Origin.X, Origin.Y, &old);
  int w = Width(), h = Height();
  TRect client(0, 0, w, h);
  int inset = themes ? 1 : 2;
  int sb = GetSystemMetrics(SM_CXVSCROLL);
  const bool rtl = UseRightToLeftAlignment();
  TRect button = rtl ? TRect(inset, inset, sb + inset, h - inset) : TRect(w - sb - inset, inset, w - inset, h - inset);
  TColor color = Color();
  if (FFrameVisible && !themes) {
    DrawBevel(&canvas, client, color, color, 2, AllSides);
  } else if (themes) {
    // The themed edge stays; inside it the field is cleaned up in Color.
    TRect field = client;
    if (rtl) field.Left = button.Right;
    else field.Right = button.Left;
    InflateRect(field, -1, -1);
    if ((ColorToRGB(color) & 0xFFFFFF) != 0xFFFFFF) DrawBevel(&canvas, field, color, color, 2, AllSides);
    if (Style() != csSimple) {
      canvas.Brush()->SetColor(color);
      canvas.FillRect(rtl ? TRect(button.Right, button.Top, button.Right + 2, button.Bottom)
                          : TRect(button.Left - 2, button.Top, button.Left, button.Bottom));
    }
  }
  bool hot = FFocused || FMouseOver;
  bool dropped = DroppedDown();
  if (Style() != csSimple) {
    if (FReadOnly) {
      canvas.Brush()->SetColor(color);
      canvas.FillRect(button);
    } else if (!FFlatButtons && FFrameVisible && !themes) {
      // The classic button, inside the frame.
      DrawFrameControl(Dc, &button, DFC_SCROLL,
                       DFCS_SCROLLCOMBOBOX | (dropped ? DFCS_PUSHED | DFCS_FLAT : 0) | (Enabled() ? 0 : DFCS_INACTIVE));
    } else if (FFlatButtons) {
      if (hot && themes) {
        ThemeServices()->DrawElement(
            Dc, ThemeServices()->GetElementDetails(dropped ? tcDropDownButtonPressed : tcDropDownButtonHot), button);
      } else if (hot) {
        TRect inner = button;
        if (FFlatButtonColor != clBtnFace)
          inner = DrawColorBorder(&canvas, button, FFlatButtonColor, dropped ? fsStatus : fsPopup);
        else
          inner = DrawBevel(&canvas, button, dropped ? clBtnShadow : clBtnHighlight,
                            dropped ? clBtnHighlight : clBtnShadow, 1);
        canvas.Brush()->SetColor(FFlatButtonColor);
        canvas.FillRect(inner);
        DrawDropDownArrow(&canvas, inner, uiWindows95, dropped, true);
      } else {
        canvas.Brush()->SetColor(color);
        canvas.FillRect(button);
        DrawDropDownArrow(&canvas, button, themes ? uiWindowsXP : uiWindows95, false, Enabled());
      }
    }
  }
  if (FFrameVisible && !themes) {
    bool useHot = FFrameHotTrack && hot;
    TFrameStyle style = useHot ? FFrameHotStyle : FFrameStyle;
    TColor fc = useHot ? FFrameHotColor : FFrameColor;
    if (style == fsFlat) DrawSides(&canvas, client, fc, fc, FFrameSides);
    else if (style == fsFlatBold) DrawBevel(&canvas, client, fc, fc, 2, FFrameSides);
    else if (color != clWindow) DrawColorBorderSides(&canvas, client, color, style, FFrameSides);
    else DrawBorderSides(&canvas, client, style, FFrameSides);
  }
  SetViewportOrgEx(Dc, old.X, old.Y, nullptr);
  RestoreDC(Dc, saved);
  canvas.SetHandle(nullptr);
}

void TQvCustomComboBox::CNDrawItemFramed(TMessage& M) {
  auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
  if (!d) return;
  TOwnerDrawState state = TOwnerDrawState::FromInt(d->itemState & 0x1FFF);
  int index = static_cast<int>(d->itemID);
  TCanvas* c = Canvas();
  c->SetHandle(d->hDC);
  c->Font()->Assign(Font());
  c->Brush()->Assign(Brush());
  bool selected = state.Contains(odSelected);
  if (index >= 0 && selected) {
    c->Brush()->SetColor(clHighlight);
    c->Font()->SetColor(clHighlightText);
  }
  if (index < 0) {
    if (selected) DrawFocusBorder(c, d->rcItem);
    else c->FillRect(d->rcItem);
  } else {
    DrawItem(index, d->rcItem, state);
    if (selected && FFocusBorder) DrawFocusBorder(c, d->rcItem);
  }
  c->SetHandle(nullptr);
  M.Result = 1;
}

// ---------------------------------------------------------------------------
// TQvComboBox
// ---------------------------------------------------------------------------

TQvComboBox::TQvComboBox(TComponent* AOwner) : TQvCustomComboBox(AOwner) {
  FValues = new TStringList();
  FValues->OnChange = [this](TObject*) {
    FValuesChanging = true;
    SetValue(GetValue());
    FValuesChanging = false;
  };
}

TQvComboBox::~TQvComboBox() { delete FValues; }

void TQvComboBox::ClearItemsValues() {
  Items()->Clear();
  FValues->Clear();
}

void TQvComboBox::AddItemValue(const std::string& Item, const std::string& Value) {
  Items()->Add(Item);
  FValues->Add(Value);
}

void TQvComboBox::InsertItemValue(int Index, const std::string& Item, const std::string& Value) {
  Items()->Insert(Index, Item);
  FValues->Insert(Index, Value);
}

void TQvComboBox::SetValues(TStrings* V) { FValues->Assign(V); }

std::string TQvComboBox::GetItemValue(int Index) {
  if (Index < 0) return {};
  if (Index < FValues->Count() && !FValues->Strings(Index).empty()) return FValues->Strings(Index);
  if (Index < Items()->Count()) return Items()->Strings(Index);
  return {};
}

std::string TQvComboBox::GetValue() {
  int index;
  if (Style() == csDropDown || Style() == csSimple) index = Text().empty() ? -1 : Items()->IndexOf(Text());
  else index = ItemIndex();
  if (index >= 0 && index < FValues->Count() && !FValues->Strings(index).empty()) return FValues->Strings(index);
  return Text();
}

void TQvComboBox::SetValue(const std::string& V) {
  if (V == FValue && !FValuesChanging) return;
  FInSetValue = true;
  int found = -1;
  for (int i = 0; i < Items()->Count(); ++i)
    if (GetItemValue(i) == V) {
      found = i;
      break;
    }
  SetItemIndex(found);
  FValue = V;
  FInSetValue = false;
}

void TQvComboBox::Change() {
  if (FInSetValue || FValuesChanging) return;
  inherited::Change();
  if (ItemIndex() >= 0) SetValue(GetItemValue(ItemIndex()));
}

void TQvComboBox::Click() {
  if (FInSetValue) return;
  inherited::Click();
  if (ItemIndex() >= 0) SetValue(GetItemValue(ItemIndex()));
}

const TClassInfo& TQvComboBox::StaticClass() {
  using C = TQvComboBox;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvComboBox", &TQvCustomComboBox::StaticClass());
    b.Component().Enum<TComboBoxStyle>("Style", &C::Style, &C::SetStyle, csDropDown);
    AddFramedComboProps(b);
    PublishComboBoxNames(b);
    b.Enum<TEditCharCase>("CharCase", &C::CharCase, &C::SetCharCase, ecNormal)
        .Int("ItemHeight", &C::ItemHeight, [](C* x, int64_t v) { x->SetItemHeight(static_cast<int>(v)); }, 16)
        .Int("ItemIndex", &C::ItemIndex, [](C* x, int64_t v) { x->SetItemIndex(static_cast<int>(v)); }, -1)
        .Int("DropDownCount", &C::DropDownCount, [](C* x, int64_t v) { x->SetDropDownCount(static_cast<int>(v)); }, 8)
        .Int("MaxLength", &C::MaxLength, [](C* x, int64_t v) { x->SetMaxLength(static_cast<int>(v)); }, 0)
        .Bool("Sorted", &C::Sorted, &C::SetSorted, false)
        // Items before Text: filling the list empties the edit.
        .Object<TStrings>("Items", &C::Items, &C::SetItems)
        .Prop(TControl::Property("Text"))
        .Object<TStrings>("Values", &C::Values, &C::SetValues)
        .Event("OnDeleteItem", static_cast<TQvDeleteComboItemEvent C::*>(&C::OnDeleteItem));
    return b.Build();
  }();
  return info;
}

namespace {
const bool kRegistered = (RegisterClass(ClassEntry<TQvComboBox>()), true);
}
