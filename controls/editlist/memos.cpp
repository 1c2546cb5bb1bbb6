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
TQvFramed<Base>::TQvFramed(TComponent* AOwner) : Base(AOwner) {
  FCanvas = new TControlCanvas();
  FCanvas->SetControl(this);
}

template <class Base>
TQvFramed<Base>::~TQvFramed() {
  if (FFrameController) FFrameController->RemoveControl(this);
  delete FCanvas;
}

template <class Base>
bool TQvFramed<Base>::UseThemes() {
  return FFramingPreference == fpXPThemes && ThemeServices()->ThemesEnabled();
}

template <class Base>
void TQvFramed<Base>::UpdateColors() {
  if (this->ComponentState().Contains(csLoading)) return;
  TColor c;
  if (!this->Enabled())
    c = FDisabledColor;
  else if (FFocused)
    c = ReadOnlyState() && FReadOnlyColorOnFocus ? FReadOnlyColor : FFocusColor;
  else
    c = ReadOnlyState() ? FReadOnlyColor : FNormalColor;
  TRestore updating(FUpdatingColor, true);
  this->SetColor(c);
}

template <class Base>
void TQvFramed<Base>::UpdateFrame(bool ViaMouse, bool InFocus) {
  if (ViaMouse)
    FMouseOver = InFocus;
  else
    FFocused = InFocus;
  if (FFrameHotTrack) RepaintFrame();
  UpdateColors();
}

template <class Base>
void TQvFramed<Base>::RepaintFrame() {
  if (this->HandleAllocated()) InvalidateWindowFrame(this->Handle(), this->ClientRect());
}

template <class Base>
void TQvFramed<Base>::SetDisabledColor(TColor Value) {
  FDisabledColor = Value;
  if (!this->Enabled()) UpdateColors();
}

template <class Base>
void TQvFramed<Base>::SetFocusColor(TColor Value) {
  FFocusColor = Value;
  if (FFocused) UpdateColors();
}

template <class Base>
void TQvFramed<Base>::SetReadOnlyColor(TColor Value) {
  FReadOnlyColor = Value;
  if (ReadOnlyState()) UpdateColors();
}

template <class Base>
void TQvFramed<Base>::SetReadOnlyColorOnFocus(bool Value) {
  if (FReadOnlyColorOnFocus == Value) return;
  FReadOnlyColorOnFocus = Value;
  UpdateColors();
}

#define QV_FRAMED_SETTER(Name, Type, Field)      \
  template <class Base>                          \
  void TQvFramed<Base>::Set##Name(Type Value) {  \
    if (Field == Value) return;                  \
    Field = Value;                               \
    RepaintFrame();                              \
  }
QV_FRAMED_SETTER(FrameColor, TColor, FFrameColor)
QV_FRAMED_SETTER(FrameHotColor, TColor, FFrameHotColor)
QV_FRAMED_SETTER(FrameSides, TSides, FFrameSides)
#undef QV_FRAMED_SETTER

template <class Base>
void TQvFramed<Base>::SetFrameHotStyle(TFrameStyle Value) {
  if (Value == fsFlatRounded || FFrameHotStyle == Value) return;
  FFrameHotStyle = Value;
  RepaintFrame();
}

template <class Base>
void TQvFramed<Base>::SetFrameStyle(TFrameStyle Value) {
  if (Value == fsFlatRounded || FFrameStyle == Value) return;
  FFrameStyle = Value;
  RepaintFrame();
}

template <class Base>
void TQvFramed<Base>::SetFrameHotTrack(bool Value) {
  if (FFrameHotTrack == Value) return;
  FFrameHotTrack = Value;
  if (Value) {
    SetFrameVisible(true);
    if (!this->ComponentState().Contains(csLoading)) SetFrameSides(AllSides);
  }
  RepaintFrame();
  this->Invalidate();
}

template <class Base>
void TQvFramed<Base>::SetFrameVisible(bool Value) {
  if (FFrameVisible == Value) return;
  FFrameVisible = Value;
  if (this->HandleAllocated()) this->RecreateWnd();
  RepaintFrame();
}

template <class Base>
void TQvFramed<Base>::SetFramingPreference(TFramingPreference Value) {
  if (FFramingPreference == Value) return;
  FFramingPreference = Value;
  RepaintFrame();
}

template <class Base>
void TQvFramed<Base>::SetFrameController(TQvFrameController* Value) {
  SwitchFrameController(FFrameController, Value, this);
}

template <class Base>
void TQvFramed<Base>::Notification(TComponent* AComponent, TOperation Operation) {
  Base::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFrameController) FFrameController = nullptr;
}

template <class Base>
void TQvFramed<Base>::Loaded() {
  Base::Loaded();
  UpdateColors();
  UpdateFrame(false, false);
}

template <class Base>
void TQvFramed<Base>::DefineProperties(TFiler* Filer) {
  Base::DefineProperties(Filer);
  DefineOldFramingProperties(Filer, this);
}

template <class Base>
void TQvFramed<Base>::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_COLORCHANGED:
    case CM_PARENTCOLORCHANGED: {
      bool fromOutside = M.Msg == CM_COLORCHANGED ? !FUpdatingColor : this->ParentColor();
      TColor before = FNormalColor;
      Base::Dispatch(M);
      if (fromOutside && !FUpdatingColor) {
        if (FFocusColor == before) FFocusColor = this->Color();
        FNormalColor = this->Color();
      }
      if (FFrameVisible && !UseThemes()) RepaintFrame();
      return;
    }
    case CM_ENABLEDCHANGED:
      Base::Dispatch(M);
      UpdateColors();
      return;
    case CM_ENTER:
      UpdateFrame(false, true);
      Base::Dispatch(M);
      return;
    case CM_EXIT:
      Base::Dispatch(M);
      UpdateFrame(false, false);
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      Base::Dispatch(M);
      if (M.LParam != 0 && M.LParam != ControlToLParam(this)) return;
      bool enter = M.Msg == CM_MOUSEENTER;
      if (enter && OnMouseEnter) OnMouseEnter(this);
      if (!enter && OnMouseLeave) OnMouseLeave(this);
      UpdateFrame(true, enter);
      return;
    }
    case WM_NCPAINT: {
      Base::Dispatch(M);
      if (!FFrameVisible || UseThemes() || !this->HandleAllocated()) return;
      HDC dc = GetWindowDC(this->Handle());
      FCanvas->SetHandle(dc);
      bool hot = FFrameHotTrack && (FFocused || FMouseOver);
      DrawFrame(FCanvas, this->Width(), this->Height(), hot ? FFrameHotStyle : FFrameStyle, this->Color(),
                hot ? FFrameHotColor : FFrameColor, FFrameSides, false);
      FCanvas->SetHandle(nullptr);
      ReleaseDC(this->Handle(), dc);
      M.Result = 0;
      return;
    }
    case WM_SIZE:
      Base::Dispatch(M);
      if (FFrameVisible && !UseThemes()) RepaintFrame();
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

template <class Base>
int TQvFramedMemo<Base>::GetLine() {
  if (!this->HandleAllocated()) return 1;
  return static_cast<int>(this->Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(this->SelStart() + this->SelLength()), 0)) + 1;
}

template <class Base>
int TQvFramedMemo<Base>::GetColumn() {
  if (!this->HandleAllocated()) return 1;
  int caret = this->SelStart() + this->SelLength();
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
  b.Component();
  AddFramingProperties(b, false);
  b.Bool("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
      .Bool("TabOnEnter", &E::TabOnEnter, &E::SetTabOnEnter, false)
      .template Event<TLineColChangeEvent>("OnLineColChange", &E::OnLineColChange)
      .template Event<TClipboardChangeEvent>("OnClipboardChange", &E::OnClipboardChange)
      .template Event<TNotifyEvent>("OnMouseEnter", &E::OnMouseEnter)
      .template Event<TNotifyEvent>("OnMouseLeave", &E::OnMouseLeave);
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
    const TIdentMap* colors = &ColorIdents();
    b.Component()
        .Int("Color", &E::Color, &E::SetColor, clWindow, [](E* e) { return e->Enabled(); }, colors)
        .Int("DisabledColor", &E::DisabledColor, [](E* e, int64_t v) { e->SetDisabledColor(static_cast<TColor>(v)); },
             clBtnFace, {}, colors)
        .Int("FocusColor", &E::FocusColor, [](E* e, int64_t v) { e->SetFocusColor(static_cast<TColor>(v)); },
             clWindow, [](E* e) { return ColorToRGB(e->FocusColor()) != ColorToRGB(e->Color()); }, colors)
        .Int("FrameColor", &E::FrameColor, [](E* e, int64_t v) { e->SetFrameColor(static_cast<TColor>(v)); },
             clBtnShadow, {}, colors)
        .Object<TQvFrameController>("FrameController", &E::FrameController, &E::SetFrameController)
        .Set<TQvFrameControllerProperty>("FrameControllerNotifications", &E::FrameControllerNotifications,
                                         &E::SetFrameControllerNotifications,
                                         TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications))
        .Int("FrameHotColor", &E::FrameHotColor, [](E* e, int64_t v) { e->SetFrameHotColor(static_cast<TColor>(v)); },
             clBtnShadow, {}, colors)
        .Bool("FrameHotTrack", &E::FrameHotTrack, &E::SetFrameHotTrack, false)
        .Enum<TFrameStyle>("FrameHotStyle", &E::FrameHotStyle, &E::SetFrameHotStyle, fsFlatBold)
        .Set<TSide>("FrameSides", &E::FrameSides, &E::SetFrameSides, AllSides)
        .Enum<TFrameStyle>("FrameStyle", &E::FrameStyle, &E::SetFrameStyle, fsFlat)
        .Bool("FrameVisible", &E::FrameVisible, &E::SetFrameVisible, false)
        .Enum<TFramingPreference>("FramingPreference", &E::FramingPreference, &E::SetFramingPreference, fpXPThemes)
        .Event<TNotifyEvent>("OnMouseEnter", &E::OnMouseEnter)
        .Event<TNotifyEvent>("OnMouseLeave", &E::OnMouseLeave);
    return b.Build();
  }();
  return info;
}
