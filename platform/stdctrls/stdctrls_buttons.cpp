// TLabel, TButton, TCheckBox, TRadioButton and TGroupBox.
#include "platform/stdctrls/stdctrls_buttons.h"

#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TTextLayout, "tlTop", "tlCenter", "tlBottom")
DTU_DEFINE_ENUM(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed")

void SendNotify(TWinControl* Control, WORD Code) {
  if (!Control || !Control->HandleAllocated()) return;
  HWND self = Control->Handle();
  HWND parent = GetParent(self);
  if (!parent) return;
  SendMessage(parent, WM_COMMAND, MAKEWPARAM(0, Code), reinterpret_cast<LPARAM>(self));
}

void PaintParentImage(TControl* Control, HDC DC, const TRect& R) {
  if (R.IsEmpty()) return;
  int saved = SaveDC(DC);
  IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
  if (TWinControl* p = Control->Parent()) {
    OffsetViewportOrgEx(DC, -Control->Left(), -Control->Top(), nullptr);
    p->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    p->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  } else {
    TRect r = R;
    FillRect(DC, &r, GetSysColorBrush(COLOR_BTNFACE));
  }
  RestoreDC(DC, saved);
}

unsigned AlignmentFlag(TAlignment Alignment) {
  switch (Alignment) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
  }
}

void DrawControlText(TCanvas* Canvas, const std::string& Text, TRect& R, unsigned Flags, bool Enabled) {
  Canvas->Brush()->SetStyle(bsClear);
  int n = static_cast<int>(Text.size());
  if (Enabled || (Flags & DT_CALCRECT)) {
    DrawText(Canvas->Handle(), Text.c_str(), n, &R, Flags);
    return;
  }
  TColor keep = Canvas->Font()->Color();
  TRect r = R;
  OffsetRect(r, 1, 1);
  Canvas->Font()->SetColor(clBtnHighlight);
  DrawText(Canvas->Handle(), Text.c_str(), n, &r, Flags);
  Canvas->Font()->SetColor(clBtnShadow);
  DrawText(Canvas->Handle(), Text.c_str(), n, &R, Flags);
  Canvas->Font()->SetColor(keep);
}

namespace {

// A device context for measuring text (the screen's, as the OS would give it).
class TMeasureDC {
public:
  TMeasureDC() : FDc(CreateCompatibleDC(nullptr)) {}
  ~TMeasureDC() { DeleteDC(FDc); }
  TMeasureDC(const TMeasureDC&) = delete;
  TMeasureDC& operator=(const TMeasureDC&) = delete;
  HDC Get() const { return FDc; }
private:
  HDC FDc;
};

int FontTextHeight(TFont* Font, const char* Sample) { return TextExtentOf(Font, Sample).cy; }

bool NoShift(LPARAM KeyData) { return KeyDataToShiftState(KeyData) == TShiftState{}; }

}  // namespace

TSize TextExtentOf(TFont* Font, const std::string& Text) {
  TMeasureDC dc;
  SelectObject(dc.Get(), Font->Handle());
  TSize s;
  GetTextExtentPoint32(dc.Get(), Text.c_str(), static_cast<int>(Text.size()), &s);
  SelectObject(dc.Get(), GetStockObject(SYSTEM_FONT));
  return s;
}

// ---------------------------------------------------------------------------
// TCustomLabel
// ---------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle << csOpaque << csReplicatable;
  SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (FShowAccelChar == Value) return;
  FShowAccelChar = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (FFocusControl == Value) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::SetTransparent(bool Value) {
  if (Transparent() == Value) return;
  if (Value) FControlStyle >> csOpaque;
  else FControlStyle << csOpaque;
  Invalidate();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::Loaded() {
  inherited::Loaded();
  AdjustBounds();
}

std::string TCustomLabel::GetLabelText() { return Caption(); }

void TCustomLabel::DoDrawText(TRect& Rect, unsigned Flags) {
  std::string text = GetLabelText();
  // An empty caption still measures one line high.
  if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += ' ';
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  Canvas()->SetFont(Font());
  DrawControlText(Canvas(), text, Rect, Flags, Enabled());
}

void TCustomLabel::AdjustBounds() {
  if (!FAutoSize || ComponentState().Contains(csReading) || Destroying()) return;
  TRect r = ClientRect();
  auto* canvas = static_cast<TControlCanvas*>(Canvas());
  canvas->FreeHandle();
  TMeasureDC dc;
  {
    canvas->SetHandle(dc.Get());
    TOnExit release([canvas] { canvas->SetHandle(nullptr); });
    DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
  }
  int x = Left();
  TAlignment a = FAlignment;
  if (UseRightToLeftAlignment()) ChangeBiDiModeAlignment(a);
  if (a == taRightJustify) x += Width() - r.Right;
  SetBounds(x, Top(), r.Right, r.Bottom);
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  if (!Transparent()) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
  }
  c->Brush()->SetStyle(bsClear);
  TRect r = ClientRect();
  unsigned flags = DrawTextBiDiModeFlags(DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | AlignmentFlag(FAlignment));
  if (FLayout != tlTop) {
    TRect calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    OffsetRect(r, 0, FLayout == tlBottom ? Height() - calc.Bottom : (Height() - calc.Bottom) / 2);
  }
  DoDrawText(r, flags);
}

void TCustomLabel::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      AdjustBounds();
      break;
    case CM_FONTCHANGED:
      inherited::Dispatch(M);
      AdjustBounds();
      break;
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      if (FFocusControl && Enabled() && FShowAccelChar && IsAccel(k.CharCode(), Caption()) &&
          FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    case CM_MOUSEENTER:
      inherited::Dispatch(M);
      if (M.LParam == 0 && OnMouseEnter) OnMouseEnter(this);
      break;
    case CM_MOUSELEAVE:
      inherited::Dispatch(M);
      if (M.LParam == 0 && OnMouseLeave) OnMouseLeave(this);
      break;
    default:
      inherited::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// TButtonControl
// ---------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csSetCaption, csDoubleClicks};
}

void TButtonControl::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  Invalidate();
}

void TButtonControl::SetPressed(bool Value) {
  if (FPressed == Value) return;
  FPressed = Value;
  Invalidate();
}

void TButtonControl::CNCommand(TMessage& M) {
  if (HIWORD(M.WParam) == BN_CLICKED) Click();
}

// The OS button's own mouse handling, which comes before the control's mouse
// events: a press takes the focus and the capture and shows the face pressed while
// the pointer stays over the button; the release over it clicks.
void TButtonControl::ButtonMouse(TMessage& M) {
  TWMMouse m(M);
  bool inside = ClientRect().Contains(m.Pos());
  switch (M.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!HandleAllocated()) return;
      if (GetFocus() != FHandle) ::SetFocus(FHandle);
      ::SetCapture(FHandle);
      FTracking = true;
      SetPressed(true);
      break;
    case WM_MOUSEMOVE:
      if (FTracking) SetPressed(inside);
      break;
    case WM_LBUTTONUP:
      if (FTracking) {
        FTracking = false;
        bool click = FPressed && inside;
        SetPressed(false);
        ReleaseCapture();
        if (click) SendNotify(this, BN_CLICKED);
      }
      break;
    default:
      break;
  }
}

void TButtonControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_MOUSEMOVE: case WM_LBUTTONUP:
      ButtonMouse(M);
      inherited::Dispatch(M);
      break;
    case WM_CAPTURECHANGED: case WM_CANCELMODE:
      if (FTracking) {
        FTracking = false;
        SetPressed(false);
      }
      inherited::Dispatch(M);
      break;
    case WM_SETFOCUS:
      inherited::Dispatch(M);
      Invalidate();
      break;
    case WM_KILLFOCUS:
      inherited::Dispatch(M);
      if (FSpaceDown) {
        FSpaceDown = false;
        if (!FTracking) SetPressed(false);
      }
      Invalidate();
      break;
    case WM_ERASEBKGND:
      // Paint covers the whole face.
      M.Result = 1;
      break;
    case WM_GETDLGCODE:
      M.Result = DLGC_BUTTON;
      break;
    case CN_COMMAND:
      CNCommand(M);
      break;
    case BM_GETCHECK:
      M.Result = static_cast<LRESULT>(GetCheckState());
      break;
    case BM_SETCHECK: {
      TRestore quiet(FClicksDisabled, true);
      SetCheckState(M.WParam);
      break;
    }
    case BM_GETSTATE:
      M.Result = static_cast<LRESULT>(GetCheckState() | (FPressed ? BST_PUSHED : 0) | (Focused() ? BST_FOCUS : 0));
      break;
    case BM_SETSTATE:
      SetPressed(M.WParam != 0);
      break;
    case BM_CLICK:
      if (Enabled()) SendNotify(this, BN_CLICKED);
      break;
    case CM_TEXTCHANGED:
      Invalidate();
      inherited::Dispatch(M);
      break;
    default:
      inherited::Dispatch(M);
  }
}

void TButtonControl::DefaultHandler(TMessage& M) {
  // The space key presses the button; its release clicks.
  if (M.Msg == WM_KEYDOWN && M.WParam == VK_SPACE) {
    if (!FSpaceDown && !FTracking) {
      FSpaceDown = true;
      SetPressed(true);
    }
  } else if (M.Msg == WM_KEYUP && M.WParam == VK_SPACE && FSpaceDown) {
    FSpaceDown = false;
    bool click = FPressed;
    SetPressed(false);
    if (click) SendNotify(this, BN_CLICKED);
  }
  inherited::DefaultHandler(M);
}

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a || (CheckDefaults && GetChecked())) return;
  TRestore quiet(FClicksDisabled, true);
  SetChecked(a->Checked());
}

TControlActionLink* TButtonControl::CreateActionLink() { return new TButtonActionLink(this); }

bool TButtonActionLink::IsCheckedLinked() {
  return TWinControlActionLink::IsCheckedLinked() && FButton->Checked() == CustomAction()->Checked();
}

void TButtonActionLink::SetChecked(bool Value) {
  if (!IsCheckedLinked()) return;
  bool was = FButton->ClicksDisabled();
  FButton->SetClicksDisabled(true);
  TOnExit restore([this, was] { FButton->SetClicksDisabled(was); });
  FButton->SetChecked(Value);
}

// ---------------------------------------------------------------------------
// TButton
// ---------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::SetDefault(bool Value) {
  FDefault = Value;
  if (!HandleAllocated()) return;
  // Every button works out again whether Enter clicks it.
  if (TCustomForm* form = GetParentForm(this))
    form->Perform(CM_FOCUSCHANGED, 0, ControlToLParam(form->ActiveControl()));
}

void TButton::CreateWnd() {
  inherited::CreateWnd();
  FActive = FDefault;
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  inherited::Click();
}

void TButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_DIALOGKEY: {
      TWMKey k(M);
      if (((k.CharCode() == VK_RETURN && FActive) || (k.CharCode() == VK_ESCAPE && FCancel)) &&
          NoShift(k.KeyData()) && CanFocus()) {
        Click();
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      if (IsAccel(k.CharCode(), Caption()) && CanFocus()) {
        Click();
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    case CM_FOCUSCHANGED: {
      TControl* sender = MsgControl(M);
      bool active = dynamic_cast<TButton*>(sender) ? sender == this : FDefault;
      if (active != FActive) {
        FActive = active;
        Invalidate();
      }
      inherited::Dispatch(M);
      break;
    }
    case BM_SETSTYLE: {
      bool active = (M.WParam & BS_DEFPUSHBUTTON) != 0;
      if (active != FActive) {
        FActive = active;
        Invalidate();
      }
      break;
    }
    case WM_GETDLGCODE:
      M.Result = DLGC_BUTTON | (FActive ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      break;
    default:
      inherited::Dispatch(M);
  }
}

void TButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  bool pressed = Pressed();
  // The button Enter would click wears a black frame; pressed, it shows a flat
  // shadow frame inside it.
  if (FActive) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(r);
    InflateRect(r, -1, -1);
  }
  if (pressed && FActive) {
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(r);
    InflateRect(r, -1, -1);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
  } else {
    DrawFrameControl(c->Handle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  }
  c->SetFont(Font());
  TRect tr = ClientRect();
  InflateRect(tr, -4, -4);
  if (pressed) OffsetRect(tr, 1, 1);
  std::string text = Caption();
  if (WordWrap()) {
    TRect calc = tr;
    DrawControlText(c, text, calc, DT_CENTER | DT_WORDBREAK | DT_CALCRECT, true);
    OffsetRect(tr, 0, (tr.Height() - calc.Height()) / 2);
    DrawControlText(c, text, tr, DrawTextBiDiModeFlags(DT_CENTER | DT_WORDBREAK), Enabled());
  } else {
    DrawControlText(c, text, tr, DrawTextBiDiModeFlags(DT_CENTER | DT_VCENTER | DT_SINGLELINE), Enabled());
  }
  if (Focused()) {
    TRect fr = ClientRect();
    InflateRect(fr, -4, -4);
    c->Brush()->SetStyle(bsSolid);
    c->DrawFocusRect(fr);
  }
}

// ---------------------------------------------------------------------------
// Check boxes and radio buttons
// ---------------------------------------------------------------------------

namespace {

constexpr int kCheckSize = 13;
constexpr int kCheckGap = 4;

// The box (or circle) and its caption, with the focus rectangle around the
// caption's text.
void PaintCheckLike(TButtonControl* B, TCanvas* C, TLeftRight Alignment, unsigned Glyph) {
  TRect client = B->ClientRect();
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(B->Color());
  C->FillRect(client);
  int top = (client.Height() - kCheckSize) / 2;
  // Right-to-left alignment mirrors the caption's side and aligns it to the right.
  if (B->UseRightToLeftAlignment()) ChangeBiDiModeAlignment(Alignment);
  bool right = Alignment == taRightJustify;
  TRect box = Bounds(right ? 0 : client.Right - kCheckSize, top, kCheckSize, kCheckSize);
  unsigned state = Glyph;
  if (!B->Enabled()) state |= DFCS_INACTIVE;
  if (B->Pressed()) state |= DFCS_PUSHED;
  DrawFrameControl(C->Handle(), &box, DFC_BUTTON, state);
  C->SetFont(B->Font());
  TRect tr = right ? TRect{kCheckSize + kCheckGap, 0, client.Right, client.Bottom}
                   : TRect{0, 0, client.Right - kCheckSize - kCheckGap, client.Bottom};
  std::string text = B->Caption();
  unsigned flags = B->DrawTextBiDiModeFlags(DT_LEFT | (B->WordWrap() ? DT_WORDBREAK : DT_SINGLELINE));
  TRect calc = tr;
  DrawControlText(C, text.empty() ? std::string(" ") : text, calc, flags | DT_CALCRECT, true);
  int dy = (tr.Height() - calc.Height()) / 2;
  OffsetRect(calc, 0, dy);
  if (flags & DT_RIGHT) OffsetRect(calc, tr.Right - calc.Right, 0);  // the text ends at the right edge
  TRect draw = tr;
  draw.Top = calc.Top;
  draw.Bottom = calc.Bottom;
  DrawControlText(C, text, draw, flags, B->Enabled());
  if (B->Focused() && !text.empty()) {
    TRect fr = calc;
    fr.Right = std::min(fr.Right, tr.Right);
    InflateRect(fr, 1, 1);
    C->Brush()->SetStyle(bsSolid);
    C->DrawFocusRect(fr);
  }
}

}  // namespace

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

void TCustomCheckBox::SetAlignment(TLeftRight Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (FState == Value) return;
  FState = Value;
  Invalidate();
  if (!FClicksDisabled) Click();
}

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::Click() {
  Changed();
  inherited::Click();
}

WPARAM TCustomCheckBox::GetCheckState() {
  switch (FState) {
    case cbChecked: return BST_CHECKED;
    case cbGrayed: return BST_INDETERMINATE;
    default: return BST_UNCHECKED;
  }
}

void TCustomCheckBox::SetCheckState(WPARAM State) {
  SetState(State == BST_CHECKED ? cbChecked : State == BST_INDETERMINATE ? cbGrayed : cbUnchecked);
}

void TCustomCheckBox::CNCommand(TMessage& M) {
  if (HIWORD(M.WParam) == BN_CLICKED) Toggle();
}

void TCustomCheckBox::Dispatch(TMessage& M) {
  if (M.Msg == CM_DIALOGCHAR) {
    TWMKey k(M);
    if (IsAccel(k.CharCode(), Caption()) && CanFocus()) {
      SetFocus();
      if (Focused()) Toggle();
      M.Result = 1;
      return;
    }
  }
  inherited::Dispatch(M);
}

void TCustomCheckBox::Paint() {
  unsigned glyph = DFCS_BUTTONCHECK;
  if (FState == cbChecked) glyph |= DFCS_CHECKED;
  else if (FState == cbGrayed) glyph = DFCS_BUTTON3STATE | DFCS_CHECKED;
  PaintCheckLike(this, Canvas(), FAlignment, glyph);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 113, 17); }

void TRadioButton::SetAlignment(TLeftRight Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TRadioButton::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  SetTabStop(Value);
  Invalidate();
  if (!Value) return;
  if (TWinControl* p = Parent()) {
    for (int i = 0; i < p->ControlCount(); ++i) {
      auto* sibling = dynamic_cast<TRadioButton*>(p->Controls(i));
      if (sibling && sibling != this) sibling->SetChecked(false);
    }
  }
  Changed();
  if (!FClicksDisabled) Click();
}

void TRadioButton::CNCommand(TMessage& M) {
  switch (HIWORD(M.WParam)) {
    case BN_CLICKED: SetChecked(true); break;
    case BN_DOUBLECLICKED: DblClick(); break;
    default: break;
  }
}

void TRadioButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_GETDLGCODE:
      M.Result = DLGC_RADIOBUTTON | DLGC_BUTTON;
      break;
    case WM_SETFOCUS:
      inherited::Dispatch(M);
      // Reached from the keyboard (not by a press of the mouse): the button is chosen.
      if (!FChecked && GetKeyState(VK_LBUTTON) >= 0) SendNotify(this, BN_CLICKED);
      break;
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      if (IsAccel(k.CharCode(), Caption()) && CanFocus()) {
        SetFocus();
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    default:
      inherited::Dispatch(M);
  }
}

void TRadioButton::Paint() {
  PaintCheckLike(this, Canvas(), FAlignment, DFCS_BUTTONRADIO | (FChecked ? DFCS_CHECKED : 0));
}

// ---------------------------------------------------------------------------
// TCustomGroupBox
// ---------------------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable};
  SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  Rect.Top += FontTextHeight(Font(), "0");
  InflateRect(Rect, -1, -1);
  if (Ctl3D()) InflateRect(Rect, -1, -1);
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->SetFont(Font());
  int h = c->TextHeight("0");
  TRect r{0, h / 2 - 1, Width(), Height()};
  c->Brush()->SetStyle(bsSolid);
  if (Ctl3D()) {
    ++r.Left;
    ++r.Top;
    c->Brush()->SetColor(clBtnHighlight);
    c->FrameRect(r);
    OffsetRect(r, -1, -1);
    c->Brush()->SetColor(clBtnShadow);
  } else {
    c->Brush()->SetColor(clWindowFrame);
  }
  c->FrameRect(r);
  std::string text = Caption();
  if (text.empty()) return;
  TRect tr{8, 0, 0, h};
  DrawControlText(c, text, tr, DT_SINGLELINE | DT_CALCRECT, true);
  if (UseRightToLeftAlignment()) tr = MirrorRect(tr, Width());  // 8 pixels in from the right edge
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(tr);
  DrawControlText(c, text, tr, DrawTextBiDiModeFlags(DT_SINGLELINE), Enabled());
}

void TCustomGroupBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      if (IsAccel(k.CharCode(), Caption()) && CanFocus()) {
        // Focuses the first control inside, a tab stop if there is one.
        TWinControl* first = FindNextControl(nullptr, true, true, false);
        if (!first) first = FindNextControl(nullptr, true, false, false);
        if (first) first->SetFocus();
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    case CM_TEXTCHANGED:
      Invalidate();
      inherited::Dispatch(M);
      break;
    case CM_FONTCHANGED:
      inherited::Dispatch(M);
      Realign();
      Invalidate();
      break;
    default:
      inherited::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// Property tables
// ---------------------------------------------------------------------------

namespace {
const TPropInfo& Pr(const char* Name) { return TControl::Property(Name); }
}  // namespace

const TClassInfo& TCustomLabel::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomLabel>("TCustomLabel", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TLabel::StaticClass() {
  using L = TLabel;
  static const TClassInfo info =
      TClassBuilder<L>("TLabel", &inherited::StaticClass())
          .Component()
          .Prop(Pr("Align"))
          .Enum<TAlignment>("Alignment", &L::Alignment, &L::SetAlignment, taLeftJustify)
          .Prop(Pr("Anchors"))
          .Bool("AutoSize", &L::AutoSize, &L::SetAutoSize, true)
          .Prop(Pr("Caption"))
          .Prop(Pr("Color"))
          .Prop(Pr("Enabled"))
          .Object<TWinControl>("FocusControl", &L::FocusControl, &L::SetFocusControl)
          .Prop(Pr("Font"))
          .Enum<TTextLayout>("Layout", &L::Layout, &L::SetLayout, tlTop)
          .Prop(Pr("ParentColor"))
          .Prop(Pr("ParentFont"))
          .Prop(Pr("BiDiMode"))
          .Prop(Pr("ParentBiDiMode"))
          .Prop(Pr("ParentShowHint"))
          .Prop(Pr("PopupMenu"))
          .Bool("ShowAccelChar", &L::ShowAccelChar, &L::SetShowAccelChar, true)
          .Prop(Pr("ShowHint"))
          .Bool("Transparent", &L::Transparent, &L::SetTransparent, false)
          .Prop(Pr("Visible"))
          .Bool("WordWrap", &L::WordWrap, &L::SetWordWrap, false)
          .Prop(Pr("OnClick"))
          .Prop(Pr("OnContextPopup"))
          .Prop(Pr("OnDblClick"))
          .Prop(Pr("OnMouseDown"))
          .Event<TNotifyEvent>("OnMouseEnter", &L::OnMouseEnter)
          .Event<TNotifyEvent>("OnMouseLeave", &L::OnMouseLeave)
          .Prop(Pr("OnMouseMove"))
          .Prop(Pr("OnMouseUp"))
          .Build();
  return info;
}

const TClassInfo& TButtonControl::StaticClass() {
  static const TClassInfo info = TClassBuilder<TButtonControl>("TButtonControl", &inherited::StaticClass()).Build();
  return info;
}

namespace {
// What every button-like control publishes besides its own properties.
template <class C>
TClassBuilder<C>& ButtonCommon(TClassBuilder<C>& B) {
  for (const char* n : {"Align", "Anchors", "BiDiMode", "Caption", "Color", "Ctl3D", "Enabled", "Font",
                        "ParentBiDiMode", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu",
                        "ShowHint", "TabOrder",
                        "Visible", "OnClick", "OnContextPopup", "OnEnter", "OnExit", "OnKeyDown",
                        "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp"})
    B.Prop(Pr(n));
  B.template Object<TBasicAction>("Action", &C::Action, &C::SetAction);
  return B;
}
}  // namespace

const TClassInfo& TButtonActionLink::StaticClass() {
  static const TClassInfo info = TClassBuilder<TButtonActionLink>("TButtonActionLink", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TButton::StaticClass() {
  using B = TButton;
  static const TClassInfo info = [] {
    TClassBuilder<B> b("TButton", &inherited::StaticClass());
    b.Component()
        .Bool("Cancel", &B::Cancel, &B::SetCancel, false)
        .Bool("Default", &B::Default, &B::SetDefault, false)
        .Int("ModalResult", &B::ModalResult, [](B* x, int64_t v) { x->SetModalResult(static_cast<int>(v)); }, 0)
        .Bool("WordWrap", &B::WordWrap, &B::SetWordWrap, false);
    ButtonCommon(b);
    // A button is a tab stop unless the stream says otherwise.
    b.Prop(TControl::Property("TabStop", 1));
    return b.Build();
  }();
  return info;
}

const TClassInfo& TCustomCheckBox::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomCheckBox>("TCustomCheckBox", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TCheckBox::StaticClass() {
  using B = TCheckBox;
  static const TClassInfo info = [] {
    TClassBuilder<B> b("TCheckBox", &inherited::StaticClass());
    b.Component()
        .Enum<TAlignment>("Alignment", &B::Alignment, &B::SetAlignment, taRightJustify)
        .Bool("AllowGrayed", &B::AllowGrayed, &B::SetAllowGrayed, false)
        .Bool("Checked", &B::Checked, &B::SetChecked, false, [](B*) { return false; })
        .Enum<TCheckBoxState>("State", &B::State, &B::SetState, cbUnchecked)
        .Bool("WordWrap", &B::WordWrap, &B::SetWordWrap, false);
    ButtonCommon(b);
    b.Prop(TControl::Property("TabStop", 1));
    return b.Build();
  }();
  return info;
}

const TClassInfo& TRadioButton::StaticClass() {
  using B = TRadioButton;
  static const TClassInfo info = [] {
    TClassBuilder<B> b("TRadioButton", &inherited::StaticClass());
    b.Component()
        .Enum<TAlignment>("Alignment", &B::Alignment, &B::SetAlignment, taRightJustify)
        .Bool("Checked", &B::GetChecked, &B::SetChecked, false)
        .Bool("WordWrap", &B::WordWrap, &B::SetWordWrap, false);
    ButtonCommon(b);
    b.Prop(Pr("TabStop"));
    b.Prop(Pr("OnDblClick"));
    return b.Build();
  }();
  return info;
}

const TClassInfo& TCustomGroupBox::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomGroupBox>("TCustomGroupBox", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TGroupBox::StaticClass() {
  static const TClassInfo info = [] {
    TClassBuilder<TGroupBox> b("TGroupBox", &inherited::StaticClass());
    b.Component();
    for (const char* n : {"Align", "Anchors", "BiDiMode", "Caption", "Color", "Ctl3D", "Enabled", "Font",
                          "ParentBiDiMode", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint",
                          "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnClick", "OnContextPopup",
                          "OnDblClick", "OnEnter", "OnExit",
                          "OnMouseDown", "OnMouseMove", "OnMouseUp"})
      b.Prop(Pr(n));
    return b.Build();
  }();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() {
    RegisterClasses({ClassEntry<TLabel>(), ClassEntry<TButton>(), ClassEntry<TCheckBox>(),
                     ClassEntry<TRadioButton>(), ClassEntry<TGroupBox>()});
  }
} const kRegistration;
}  // namespace
