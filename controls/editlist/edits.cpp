#include "controls/editlist/edits.h"

#include "controls/common/glyphs.h"
#include "controls/common/themes.h"
#include "platform/controls/forms.h"
#include "platform/core/scope.h"
#include "platform/graphics/gdi.h"

// ---------------------------------------------------------------------------
// TQvCustomEdit

const TClassInfo& TQvCustomEdit::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvCustomEdit>("TQvCustomEdit", &inherited::StaticClass()).Build();
  return info;
}

TQvCustomEdit::TQvCustomEdit(TComponent* AOwner) : inherited(AOwner) {
  TControlStyle s = ControlStyle();
  s << csCaptureMouse;
  s >> csSetCaption;
  SetControlStyle(s);
  FCanvas = new TControlCanvas();
  FCanvas->SetControl(this);
}

TQvCustomEdit::~TQvCustomEdit() { delete FCanvas; }

void TQvCustomEdit::SetAlignment(TAlignment Value) { TCustomEdit::SetAlignment(Value); }

void TQvCustomEdit::SetDropButtonVisible(bool Value) {
  if (FDropButtonVisible == Value) return;
  FDropButtonVisible = Value;
  RecreateWnd();
}

void TQvCustomEdit::SetFlatButtons(bool Value) {
  if (FFlatButtons == Value) return;
  FFlatButtons = Value;
  RepaintButton();
}

void TQvCustomEdit::SetFlatButtonColor(TColor Value) {
  if (FFlatButtonColor == Value) return;
  FFlatButtonColor = Value;
  RepaintButton();
}

void TQvCustomEdit::SetButtonState(TButtonState Value) {
  if (!FDropButtonVisible || FButtonState == Value) return;
  FButtonState = Value;
  RepaintButton();
}

void TQvCustomEdit::SetReadOnly(bool Value) {
  if (ReadOnly() == Value) return;
  TCustomEdit::SetReadOnly(Value);
  ReadOnlyChanged();
}

void TQvCustomEdit::ReadOnlyChanged() {
  if (ReadOnlyValue()) HideButton();
  else ShowButton();
  UpdateColors();
  RepaintButton();
}

TRect TQvCustomEdit::GetEditRect() { return ClientRect(); }

std::string TQvCustomEdit::GetRightJustifiedText() { return Text(); }

void TQvCustomEdit::RepaintFrame() { RepaintWindowFrame(this, ClientRect()); }

void TQvCustomEdit::RepaintButton() {
  if (HandleAllocated()) SendMessage(Handle(), WM_NCPAINT, 0, 0);
}

void TQvCustomEdit::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TQvCustomEdit::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TQvCustomEdit::InvalidKeyPressed() {
  if (FBeepOnInvalidKey) MessageBeep(0);
}

void TQvCustomEdit::ValidateError() {
  if (OnValidateError) {
    std::string msg;
    OnValidateError(this, msg);
    if (!msg.empty()) throw EDBEditError(msg);
  }
  inherited::ValidateError();
}

void TQvCustomEdit::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  Params.Style &= ~ES_MULTILINE;
}

void TQvCustomEdit::Loaded() {
  inherited::Loaded();
  UpdateColors();
  UpdateFrame(false, false);
}

void TQvCustomEdit::UpdateFrame(bool ViaMouse, bool InFocus) {
  if (ViaMouse) FMouseOver = InFocus;
  else FFocused = InFocus;
  if (FDropButtonVisible) {
    if ((FFlatButtons || FFrameHotTrack || ThemeServices()->ThemesEnabled()) && FButtonState != bsDown &&
        HandleAllocated()) {
      TRect r = ClientRect();
      if (!FFrameHotTrack) {
        int w = GetSystemMetrics(SM_CXVSCROLL) + 2;
        if (RightToLeft()) r.Right = r.Left + w;
        else r.Left = r.Right - w;
      }
      RedrawWindow(Handle(), &r, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_FRAME);
    }
  } else if (FFrameHotTrack) {
    RepaintFrame();
  }
  UpdateColors();
}

// ---------------------------------------------------------------------------
// Keys and mouse

void TQvCustomEdit::KeyPress(char& Key) {
  if (FTabOnEnter && Key == '\r') {
    Key = 0;
    if (HandleAllocated()) PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
    return;
  }
  inherited::KeyPress(Key);
}

void TQvCustomEdit::KeyDown(WORD& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (!FDropButtonVisible) return;
  if ((Key == VK_DOWN && Shift == TShiftState{ssAlt}) || Key == VK_F4) {
    DoDropDown();
    Key = 0;
  }
}

void TQvCustomEdit::DoDropDown() {
  if (!FDropButtonVisible) return;
  {
    TRestore dropping(FDroppingDown, true);
    TOnExit up([this] { SetButtonState(bsUp); });
    if (HandleAllocated()) SetCapture(Handle());
    SetButtonState(bsDown);
    DropDown();
    CloseUp();
  }
  // Dropped by a key: no button release will come to give the capture back, and
  // the next click elsewhere would be swallowed by the edit.
  if (GetKeyState(VK_LBUTTON) >= 0 && HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
}

void TQvCustomEdit::MouseCancel() {
  if (!FDroppingDown) SetButtonState(bsUp);
  if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
}

TRect TQvCustomEdit::DropButtonRect() {
  if (!FDropButtonVisible || !HandleAllocated()) return {};
  TRect r(0, 0, Width(), Height());
  if (BorderStyle() == bsSingle) InflateRect(r, UseThemes() ? -1 : -2, UseThemes() ? -1 : -2);
  int w = GetSystemMetrics(SM_CXVSCROLL);
  if (RightToLeft()) r.Right = std::min(r.Right, r.Left + w);
  else r.Left = std::max(r.Left, r.Right - w);
  return r;
}

void TQvCustomEdit::WMNCHitTest(TMessage& M) {
  inherited::Dispatch(M);
  FMouseOverButton = false;
  if (!FDropButtonVisible || M.Result == HTCLIENT) return;
  TRect window;
  GetWindowRect(Handle(), &window);
  TPoint p = LParamToPoint(M.LParam);
  if (DropButtonRect().Contains(TPoint(p.X - window.Left, p.Y - window.Top))) {
    FMouseOverButton = true;
    M.Result = HTCLIENT;
  }
}

void TQvCustomEdit::WMNCCalcSize(TMessage& M) {
  if (FDropButtonVisible) {
    NCCALCSIZE_PARAMS* p = TWMNCCalcSize(M).CalcSize_Params();
    int w = GetSystemMetrics(SM_CXVSCROLL) - (ThemeServices()->ThemesEnabled() ? 1 : 0);
    if (RightToLeft()) p->rgrc[0].Left += w;
    else p->rgrc[0].Right -= w;
  }
  inherited::Dispatch(M);
}

// ---------------------------------------------------------------------------
// Painting

bool TQvCustomEdit::FrameCoversBorder() {
  if (FDropButtonVisible || Color() == clNone) return false;
  if (FCanvas->Pen()->Style() != psSolid || FCanvas->Pen()->Mode() != pmCopy) return false;
  auto style = static_cast<DWORD>(GetWindowLong(Handle(), GWL_STYLE));
  auto exStyle = static_cast<DWORD>(GetWindowLong(Handle(), GWL_EXSTYLE));
  if (style & (WS_HSCROLL | WS_VSCROLL)) return false;
  TRect b = NonClientInsets(style, exStyle, false, false);
  return b.Left <= 2 && b.Top <= 2 && b.Right <= 2 && b.Bottom <= 2;
}

void TQvCustomEdit::WMNCPaint(TMessage& M) {
  // The frame starts with two rings in the control's colour over the whole window;
  // a standard border that lies within them would only be painted over.
  bool covered = HandleAllocated() && FFrameVisible && !UseThemes() && FrameCoversBorder();
  if (!covered) inherited::Dispatch(M);
  if (!HandleAllocated()) return;
  bool frame = FFrameVisible && !UseThemes();
  if (!frame && !FDropButtonVisible) return;
  HDC dc = GetWindowDC(Handle());
  FCanvas->SetHandle(dc);
  if (frame) {
    DrawWindowFrame(FCanvas);
    M.Result = 0;
  }
  if (FDropButtonVisible) {
    TRect b = DropButtonRect();
    DrawButton(b);
    // The rest of the strip between the frame and the client area takes the brush.
    TRect inner(0, 0, Width(), Height());
    if (BorderStyle() == bsSingle) InflateRect(inner, UseThemes() ? -1 : -2, UseThemes() ? -1 : -2);
    TRect client;
    ::GetClientRect(Handle(), &client);
    TPoint o = ClientOrigin();
    TRect window;
    GetWindowRect(Handle(), &window);
    OffsetRect(client, o.X - window.Left, o.Y - window.Top);
    FCanvas->Brush()->SetColor(Color());
    FCanvas->Brush()->SetStyle(bsSolid);
    TRect strip = inner;
    if (RightToLeft()) {
      strip.Left = b.Right;
      strip.Right = client.Left;
    } else {
      strip.Left = client.Right;
      strip.Right = b.Left;
    }
    if (!strip.IsEmpty()) FCanvas->FillRect(strip);
    M.Result = 0;
  }
  FCanvas->SetHandle(nullptr);
  ReleaseDC(Handle(), dc);
}

void TQvCustomEdit::DrawButton(TRect& Bounds) {
  TCanvas* c = FCanvas;
  bool hot = FFocused || FMouseOver;
  bool down = FButtonState == bsDown;
  c->Brush()->SetStyle(bsSolid);
  if (UseThemes()) {
    if (FFlatButtons && !hot) {
      c->Brush()->SetColor(Color());
      c->FillRect(Bounds);
      DrawDropDownArrow(c, Bounds, uiWindowsXP, false, Enabled());
    } else {
      using T = TThemedComboBox;
      T part = !Enabled() ? T::tcDropDownButtonDisabled : down ? T::tcDropDownButtonPressed
               : hot ? T::tcDropDownButtonHot : T::tcDropDownButtonNormal;
      ThemeServices()->DrawElement(c->Handle(), ThemeServices()->GetElementDetails(part), Bounds);
    }
    return;
  }
  if (!FFlatButtons) {
    TRect r = Bounds;
    unsigned state = DFCS_SCROLLCOMBOBOX | (down ? DFCS_PUSHED | DFCS_FLAT : 0) | (Enabled() ? 0 : DFCS_INACTIVE);
    DrawFrameControl(c->Handle(), &r, DFC_SCROLL, state);
    return;
  }
  if (!hot) {
    c->Brush()->SetColor(StateColor());
    c->FillRect(Bounds);
    DrawDropDownArrow(c, Bounds, uiWindows95, false, Enabled());
    return;
  }
  c->Brush()->SetColor(FFlatButtonColor);
  c->FillRect(Bounds);
  TRect inner;
  if (FFlatButtonColor == clBtnFace)
    inner = down ? DrawBevel(c, Bounds, clBtnShadow, clBtnHighlight, 1) : DrawBevel(c, Bounds, clBtnHighlight, clBtnShadow, 1);
  else
    inner = DrawColorBorder(c, Bounds, FFlatButtonColor, down ? fsStatus : fsPopup);
  c->FillRect(inner);
  DrawDropDownArrow(c, inner, uiWindows95, down, Enabled());
}

// ---------------------------------------------------------------------------
// Messages

void TQvCustomEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_COLORCHANGED:
    case CM_PARENTCOLORCHANGED:
      inherited::Dispatch(M);
      FollowOutsideColor(M.Msg == CM_PARENTCOLORCHANGED);
      if (FFrameVisible && !UseThemes()) RepaintFrame();
      return;
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(M);
      UpdateColors();
      RepaintButton();
      return;
    case CM_ENTER:
      inherited::Dispatch(M);
      UpdateFrame(false, true);
      return;
    case CM_EXIT:
      inherited::Dispatch(M);
      UpdateFrame(false, false);
      return;
    case CM_MOUSEENTER:
      inherited::Dispatch(M);
      if (M.LParam == 0 || M.LParam == ControlToLParam(this)) {
        if (OnMouseEnter) OnMouseEnter(this);
        UpdateFrame(true, true);
      }
      return;
    case CM_MOUSELEAVE:
      inherited::Dispatch(M);
      if (M.LParam == 0 || M.LParam == ControlToLParam(this)) {
        if (OnMouseLeave) OnMouseLeave(this);
        UpdateFrame(true, false);
      }
      return;
    case WM_NCPAINT: return WMNCPaint(M);
    case WM_NCCALCSIZE: return WMNCCalcSize(M);
    case WM_NCHITTEST: return WMNCHitTest(M);
    case WM_SIZE:
      inherited::Dispatch(M);
      if (FFrameVisible && !UseThemes()) RepaintFrame();
      return;
    case WM_KILLFOCUS:
      inherited::Dispatch(M);
      MouseCancel();
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (FDropButtonVisible && FMouseOverButton) {
        if (CanFocus() && !Focused()) SetFocus();
        DoDropDown();
        M.Result = 0;
        return;
      }
      inherited::Dispatch(M);
      if (M.Msg == WM_LBUTTONDOWN && !Focused()) MouseCancel();
      return;
    case WM_RBUTTONDOWN:
      if (FDropButtonVisible && FMouseOverButton) {
        M.Result = 0;
        return;
      }
      inherited::Dispatch(M);
      return;
    case WM_LBUTTONUP:
      MouseCancel();
      inherited::Dispatch(M);
      return;
    case WM_SETCURSOR:
      if (FDropButtonVisible && FMouseOverButton) {
        // Over the button the default arrow: the hit test of the non-client area.
        TMessage m = M;
        m.LParam = MAKELPARAM(HTNOWHERE, HIWORD(M.LParam));
        DefWindowProc(Handle(), m);
        M.Result = m.Result;
        return;
      }
      inherited::Dispatch(M);
      return;
    default:
      inherited::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// TQvEdit, TQvMaskEdit

namespace {
template <class E>
TClassInfo FramedEditClassInfo(const char* Name, const TClassInfo* Parent, bool Masked) {
  TClassBuilder<E> b(Name, Parent);
  PublishFramedEdit(b.Component(), TFramingSet{});
  // The mask comes before the text, so that a stream's text is read masked.
  if (Masked) b.Str("EditMask", &E::EditMask, &E::SetEditMask);
  PublishInherited(b, {"Text"});
  if (Masked) b.Event("OnValidateError", static_cast<TQvValidateErrorEvent E::*>(&TQvCustomEdit::OnValidateError));
  return b.Build();
}
}  // namespace

const TClassInfo& TQvEdit::StaticClass() {
  static const TClassInfo info = FramedEditClassInfo<TQvEdit>("TQvEdit", &inherited::StaticClass(), false);
  return info;
}

const TClassInfo& TQvMaskEdit::StaticClass() {
  static const TClassInfo info = FramedEditClassInfo<TQvMaskEdit>("TQvMaskEdit", &inherited::StaticClass(), true);
  return info;
}
