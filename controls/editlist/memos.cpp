#include "controls/editlist/memos.h"

#include <cstdlib>

#include "controls/common/themes.h"
#include "platform/controls/forms.h"
#include "platform/controls/winuser.h"
#include "platform/core/scope.h"
#include "platform/graphics/gdi.h"
#include "platform/stdctrls/richtext.h"
#include "platform/win32/messages.h"

// ---------------------------------------------------------------------------
// TQvFramed

template <class Base>
TQvFramed<Base>::TQvFramed(TComponent* AOwner) : TQvFraming<Base>(AOwner) {
  FCanvas = new TControlCanvas();
  FCanvas->SetControl(this);
}

template <class Base>
TQvFramed<Base>::~TQvFramed() {
  delete FCanvas;
}

template <class Base>
void TQvFramed<Base>::Loaded() {
  TQvFraming<Base>::Loaded();
  this->UpdateColors();
  this->UpdateFrame(false, false);
}

template <class Base>
void TQvFramed<Base>::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_COLORCHANGED:
    case CM_PARENTCOLORCHANGED:
      Base::Dispatch(M);
      this->FollowOutsideColor(M.Msg == CM_PARENTCOLORCHANGED);
      if (this->FFrameVisible && !this->UseThemes()) this->RepaintFrame();
      return;
    case CM_ENABLEDCHANGED:
      Base::Dispatch(M);
      this->UpdateColors();
      return;
    case CM_ENTER:
      this->UpdateFrame(false, true);
      Base::Dispatch(M);
      return;
    case CM_EXIT:
      Base::Dispatch(M);
      this->UpdateFrame(false, false);
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      Base::Dispatch(M);
      if (M.LParam != 0 && M.LParam != ControlToLParam(this)) return;
      bool enter = M.Msg == CM_MOUSEENTER;
      if (enter && OnMouseEnter) OnMouseEnter(this);
      if (!enter && OnMouseLeave) OnMouseLeave(this);
      this->UpdateFrame(true, enter);
      return;
    }
    case WM_NCPAINT: {
      Base::Dispatch(M);
      if (!this->FFrameVisible || this->UseThemes() || !this->HandleAllocated()) return;
      HDC dc = GetWindowDC(this->Handle());
      FCanvas->SetHandle(dc);
      TOnExit release([&] {
        FCanvas->SetHandle(nullptr);
        ReleaseDC(this->Handle(), dc);
      });
      this->DrawWindowFrame(FCanvas);
      M.Result = 0;
      return;
    }
    case WM_SIZE:
      Base::Dispatch(M);
      if (this->FFrameVisible && !this->UseThemes()) this->RepaintFrame();
      return;
    default: Base::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// TQvFramedMemo

template <class Base>
TQvFramedMemo<Base>::TQvFramedMemo(TComponent* AOwner) : TQvFramed<Base>(AOwner) {
  this->FControlStyle >> csSetCaption;
}

template <class Base>
void TQvFramedMemo<Base>::SetReadOnly(bool Value) {
  if (Base::ReadOnly() == Value) return;
  Base::SetReadOnly(Value);
  this->UpdateColors();
}

// Line and column are the caret's: the moving end of the selection, which is its
// start when the selection was made backwards.
template <class Base>
int TQvFramedMemo<Base>::GetLine() {
  if (!this->HandleAllocated()) return 1;
  auto caret = static_cast<WPARAM>(this->Perform(EM_GETCARETINDEX, 0, 0));
  return static_cast<int>(this->Perform(EM_LINEFROMCHAR, caret, 0)) + 1;
}

template <class Base>
int TQvFramedMemo<Base>::GetColumn() {
  if (!this->HandleAllocated()) return 1;
  int caret = static_cast<int>(this->Perform(EM_GETCARETINDEX, 0, 0));
  int line = static_cast<int>(this->Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(caret), 0));
  int start = static_cast<int>(this->Perform(EM_LINEINDEX, static_cast<WPARAM>(line), 0));
  return caret - start + 1;
}

template <class Base>
void TQvFramedMemo<Base>::SetColumn(int Column) {
  int start = static_cast<int>(this->Perform(EM_LINEINDEX, static_cast<WPARAM>(-1), 0));
  if (start < 0 || Column < 1) return;
  int length = static_cast<int>(this->Perform(EM_LINELENGTH, static_cast<WPARAM>(start), 0));
  if (Column > length + 1) return;
  this->Perform(EM_SETSEL, static_cast<WPARAM>(start + Column - 1), start + Column - 1);
  LineColChange();
}

template <class Base>
void TQvFramedMemo<Base>::SetLine(int Line) {
  int index = static_cast<int>(this->Perform(EM_LINEINDEX, static_cast<WPARAM>(Line - 1), 0));
  if (index < 0) return;
  this->Perform(EM_SETSEL, static_cast<WPARAM>(index), index);
  if (GetLine() != Line) return;
  int first = static_cast<int>(this->Perform(EM_GETFIRSTVISIBLELINE, 0, 0));
  this->Perform(EM_LINESCROLL, 0, Line - 1 - first);
  LineColChange();
}

template <class Base>
void TQvFramedMemo<Base>::JumpTo(int Line, int Column) {
  SetLine(Line);
  if (GetLine() == Line) SetColumn(Column);
}

template <class Base>
void TQvFramedMemo<Base>::LineColChange() {
  if (OnLineColChange) OnLineColChange(this, GetLine(), GetColumn());
  ClipboardChange();
}

template <class Base>
void TQvFramedMemo<Base>::ClipboardChange() {
  if (OnClipboardChange) OnClipboardChange(this, this->SelLength() != 0, ClipboardHasText());
}

template <class Base>
void TQvFramedMemo<Base>::CreateWnd() {
  Base::CreateWnd();
  LineColChange();
}

template <class Base>
void TQvFramedMemo<Base>::Change() {
  Base::Change();
  LineColChange();
}

template <class Base>
void TQvFramedMemo<Base>::Click() {
  Base::Click();
  LineColChange();
}

template <class Base>
void TQvFramedMemo<Base>::KeyDown(WORD& Key, TShiftState Shift) {
  Base::KeyDown(Key, Shift);
  LineColChange();
}

template <class Base>
void TQvFramedMemo<Base>::KeyUp(WORD& Key, TShiftState Shift) {
  Base::KeyUp(Key, Shift);
  LineColChange();
}

template <class Base>
void TQvFramedMemo<Base>::KeyPress(char& Key) {
  if (FTabOnEnter && Key == 13) {
    Key = 0;
    PostMessage(this->Handle(), WM_KEYDOWN, VK_TAB, 0);
    return;
  }
  Base::KeyPress(Key);
}

template <class Base>
void TQvFramedMemo<Base>::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  Base::MouseUp(Button, Shift, X, Y);
  ClipboardChange();
}

template <class Base>
bool TQvFramedMemo<Base>::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (this->OnMouseWheel) return Base::DoMouseWheel(Shift, WheelDelta, MousePos);
  int lines = Mouse ? Mouse->WheelScrollLines() : 3;
  bool pages = lines == 65535;
  int n = pages ? WheelDelta / 120 : WheelDelta / 120 * lines;
  WORD request = n >= 1 ? (pages ? SB_PAGEUP : SB_LINEUP) : (pages ? SB_PAGEDOWN : SB_LINEDOWN);
  for (int i = 0; i < std::abs(n); ++i)
    if (this->Perform(EM_SCROLL, request, 0) == 0) break;
  return true;
}

template <class Base>
void TQvFramedMemo<Base>::Dispatch(TMessage& M) {
  TQvFramed<Base>::Dispatch(M);
}

template class TQvFramed<TMemo>;
template class TQvFramed<TRichEdit>;
template class TQvFramed<THotKey>;
template class TQvFramedMemo<TMemo>;
template class TQvFramedMemo<TRichEdit>;

// ---------------------------------------------------------------------------
// TQvRichEdit

std::string TQvRichEdit::GetRtfData() {
  std::vector<std::string> lines;
  TStrings* l = Lines();
  for (int i = 0; i < l->Count(); ++i) lines.push_back(l->Strings(i));
  return WriteRichText(lines, Font()->Name(), Font()->Size());
}

void TQvRichEdit::SelectionChange() {
  TQvFramedMemo<TRichEdit>::SelectionChange();
  ClipboardChange();
}

void TQvRichEdit::Dispatch(TMessage& M) {
  if (M.Msg != CM_ENABLEDCHANGED) return TQvFramedMemo<TRichEdit>::Dispatch(M);
  // Disabling only marks the window disabled, so its text keeps the colour that
  // UpdateColors gives; enabling enables it again.
  if (!Enabled() && Parent())
    if (TCustomForm* f = GetParentForm(this); f && f->ActiveControl() == this) f->DefocusControl(this, false);
  if (HandleAllocated() && !ComponentState().Contains(csDesigning)) {
    if (Enabled())
      EnableWindow(Handle(), TRUE);
    else
      SetWindowLong(Handle(), GWL_STYLE, GetWindowLong(Handle(), GWL_STYLE) | WS_DISABLED);
  }
  UpdateColors();
}

// ---------------------------------------------------------------------------

TQvHotKeyEdit::TQvHotKeyEdit(TComponent* AOwner) : TQvFramed<THotKey>(AOwner) { SetHeight(21); }

namespace {
template <class E>
void AddMemoProperties(TClassBuilder<E>& b) {
  PublishFraming(b.Component()).Prop(FramingParentColor<E>());
  b.Bool("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
      .Bool("TabOnEnter", &E::TabOnEnter, &E::SetTabOnEnter, false)
      .template Event<TLineColChangeEvent>("OnLineColChange", &E::OnLineColChange)
      .template Event<TClipboardChangeEvent>("OnClipboardChange", &E::OnClipboardChange)
      .template Event<TNotifyEvent>("OnMouseEnter", &E::OnMouseEnter)
      .template Event<TNotifyEvent>("OnMouseLeave", &E::OnMouseLeave);
  PublishInherited(b, {"OnMouseWheel", "OnMouseWheelUp", "OnMouseWheelDown"});
}
}  // namespace

const TClassInfo& TQvMemo::StaticClass() {
  static const TClassInfo info = [] {
    TClassBuilder<TQvMemo> b("TQvMemo", &inherited::StaticClass());
    AddMemoProperties(b);
    return b.Build();
  }();
  return info;
}

const TClassInfo& TQvRichEdit::StaticClass() {
  static const TClassInfo info = [] {
    TClassBuilder<TQvRichEdit> b("TQvRichEdit", &inherited::StaticClass());
    AddMemoProperties(b);
    return b.Build();
  }();
  return info;
}

const TClassInfo& TQvHotKeyEdit::StaticClass() {
  using E = TQvHotKeyEdit;
  static const TClassInfo info = [] {
    TClassBuilder<E> b("TQvHotKeyEdit", &inherited::StaticClass());
    PublishFraming(b.Component(), {.ReadOnlyColors = false})
        .Event<TNotifyEvent>("OnMouseEnter", &E::OnMouseEnter)
        .Event<TNotifyEvent>("OnMouseLeave", &E::OnMouseLeave)
        // A new hot-key edit has its own colour and takes the focus by Tab.
        .Prop(FramingParentColor<E>())
        .Prop(TControl::Property("TabStop", 1));
    return b.Build();
  }();
  return info;
}
