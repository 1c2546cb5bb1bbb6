#include "controls/basic/buttons.h"

#include <cstring>
#include <memory>

#include "controls/common/colors.h"
#include "controls/common/glyphs.h"
#include "controls/common/gradients.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "platform/controls/actions.h"
#include "platform/core/filer.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TTextStyle, "tsNormal", "tsRaised", "tsRecessed", "tsShadow")
DTU_DEFINE_ENUM(TQvHotTrackColorType, "htctComplement", "htctActual")

// ---------------------------------------------------------------------------
// 3-D caption
// ---------------------------------------------------------------------------

namespace {

void DrawAt(TCanvas* Canvas, const std::string& Text, TRect R, unsigned Flags, int DX, int DY, TColor Color) {
  OffsetRect(R, DX, DY);
  Canvas->Font()->SetColor(Color);
  DrawText(Canvas->Handle(), Text.c_str(), static_cast<int>(Text.size()), &R, Flags);
}

}  // namespace

namespace {

// The height of Text word-wrapped into R in the canvas's font.
int CaptionHeight(TCanvas* Canvas, const std::string& Text, const TRect& R, TQvCaptionMeasure* Measure) {
  LOGFONT font;
  if (Measure) {
    GetObject(Canvas->Font()->Handle(), font);
    if (Measure->Height >= 0 && Measure->R == R && Measure->Text == Text &&
        std::memcmp(&Measure->Font, &font, sizeof font) == 0)
      return Measure->Height;
  }
  TRect calc = R;
  DrawText(Canvas->Handle(), Text.c_str(), static_cast<int>(Text.size()), &calc,
           DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_VCENTER | DT_CENTER);
  if (Measure) {
    Measure->Text = Text;
    Measure->Font = font;
    Measure->R = R;
    Measure->Height = calc.Height();
  }
  return calc.Height();
}

}  // namespace

void Draw3DCaption(TCanvas* Canvas, const std::string& Text, TRect R, unsigned Flags, TAlignmentVertical Vertical,
                   const TQv3DTextColors& Colors, bool Enabled, bool RightToLeft, TQvCaptionMeasure* Measure) {
  TColor fontColor = Canvas->Font()->Color();
  Canvas->Brush()->SetStyle(bsClear);
  int h = CaptionHeight(Canvas, Text, R, Measure);
  switch (Vertical) {
    case avTop: R.Bottom = R.Top + h; break;
    case avCenter: R.Top = (R.Top + R.Bottom - h) / 2; R.Bottom = R.Top + h; break;
    case avBottom: R.Top = R.Bottom - h - 1; break;
  }
  if (RightToLeft) Flags |= DT_RTLREADING;
  if (!Enabled) {
    DrawAt(Canvas, Text, R, Flags, 0, 0, clGrayText);
    Canvas->Font()->SetColor(fontColor);
    Canvas->Brush()->SetStyle(bsSolid);
    return;
  }
  if (Colors.Style == tsRaised || Colors.Style == tsRecessed) {
    bool raised = Colors.Style == tsRaised;
    TColor first = raised ? Colors.Highlight : Colors.Shadow;
    TColor second = raised ? Colors.Shadow : Colors.Highlight;
    if (!raised || !Colors.LightTextStyle) DrawAt(Canvas, Text, R, Flags, 1, 1, second);
    if (raised || !Colors.LightTextStyle) DrawAt(Canvas, Text, R, Flags, -1, -1, first);
  } else if (Colors.Style == tsShadow) {
    int d = Colors.ShadowDepth;
    DrawAt(Canvas, Text, R, Flags, (Flags & DT_RIGHT) ? 0 : d, d, Colors.Shadow);
  }
  if (Flags & DT_RIGHT) OffsetRect(R, -Colors.ShadowDepth, 0);
  DrawAt(Canvas, Text, R, Flags, 0, 0, fontColor);
  Canvas->Brush()->SetStyle(bsSolid);
}

// ---------------------------------------------------------------------------
// TQvCustomButton
// ---------------------------------------------------------------------------

const TClassInfo& TQvCustomButton::StaticClass() {
  using S = TQvCustomButton;
  static const TClassInfo info =
      TClassBuilder<S>("TQvCustomButton", &TCustomControl::StaticClass())
          .Enum<TAlignmentVertical>("AlignmentVertical", &S::AlignmentVertical, &S::SetAlignmentVertical, avCenter)
          .Int("HotTrackColor", &S::HotTrackColor, &S::SetHotTrackColor, 0x149BF0, {}, &ColorIdents())
          .Enum<TQvHotTrackColorType>("HotTrackColorType", &S::HotTrackColorType, &S::SetHotTrackColorType,
                                      htctActual)
          .Int("HighlightColor", &S::HighlightColor, &S::SetHighlightColor, clHighlight, {}, &ColorIdents())
          .Bool("LightTextStyle", &S::LightTextStyle, &S::SetLightTextStyle, false)
          .Enum<TTextStyle>("TextStyle", &S::TextStyle, &S::SetTextStyle, tsNormal)
          .Int("TextHighlightColor", &S::TextHighlightColor, &S::SetTextHighlightColor, clBtnHighlight, {},
               &ColorIdents())
          .Int("TextShadowColor", &S::TextShadowColor, &S::SetTextShadowColor, clBtnShadow, {}, &ColorIdents())
          .Int("TextShadowDepth", &S::TextShadowDepth, [](S* s, int64_t v) { s->SetTextShadowDepth(int(v)); }, 2)
          .Bool("HotTrack", &S::HotTrack, &S::SetHotTrack, false)
          .Bool("Transparent", &S::Transparent, &S::SetTransparent, false)
          // A push button's hot tracking read makes it transparent too.
          .Implied([](S* s) {
            auto* b = dynamic_cast<TQvButton*>(s);
            return b && b->HotTrack() ? std::optional<int64_t>(1) : std::nullopt;
          })
          .Bool("ThemeAware", &S::ThemeAware, &S::SetThemeAware, true)
          .Event("OnMouseEnter", &S::OnMouseEnter)
          .Event("OnMouseLeave", &S::OnMouseLeave)
          .Build();
  return info;
}

TQvCustomButton::TQvCustomButton(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csReplicatable, csReflector};
  SetBounds(Left(), Top(), 115, 17);
  SetTabStop(true);
}

bool TQvCustomButton::Themed() const { return FThemeAware && ThemeServices()->ThemesEnabled(); }


QV_SETTER(TQvCustomButton, AlignmentVertical, TAlignmentVertical, FAlignmentVertical)
QV_SETTER(TQvCustomButton, HotTrackColor, TColor, FHotTrackColor)
QV_SETTER(TQvCustomButton, HotTrackColorType, TQvHotTrackColorType, FHotTrackColorType)
QV_SETTER(TQvCustomButton, HighlightColor, TColor, FHighlightColor)
QV_SETTER(TQvCustomButton, LightTextStyle, bool, FLightTextStyle)
QV_SETTER(TQvCustomButton, TextStyle, TTextStyle, FTextStyle)
QV_SETTER(TQvCustomButton, TextHighlightColor, TColor, FTextHighlightColor)
QV_SETTER(TQvCustomButton, TextShadowColor, TColor, FTextShadowColor)
QV_SETTER(TQvCustomButton, TextShadowDepth, int, FTextShadowDepth)
QV_SETTER(TQvCustomButton, HotTrack, bool, FHotTrack)
void TQvCustomButton::SetTransparent(bool Value) {
  if (ComponentState().Contains(csReading)) FTransparentRead = true;
  if (FTransparent == Value) return;
  FTransparent = Value;
  Invalidate();
}
QV_SETTER(TQvCustomButton, ThemeAware, bool, FThemeAware)

void TQvCustomButton::Click() { inherited::Click(); }

void TQvCustomButton::Draw3DText(TCanvas* Canvas, const TRect& R, unsigned Flags) {
  Canvas->SetFont(Font());
  TQv3DTextColors c{FTextStyle, FLightTextStyle, FTextHighlightColor, FTextShadowColor, FTextShadowDepth};
  Draw3DCaption(Canvas, Caption(), R, Flags, FAlignmentVertical, c, Enabled(), UseRightToLeftAlignment(),
                &FCaptionMeasure);
}

void TQvCustomButton::CancelPress() {
  if (!FDragging && !FPressed) return;
  FDragging = false;
  FPressed = false;
  UpdateDisplay();
}

void TQvCustomButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      inherited::Dispatch(M);
      RepaintDisplay();
      break;
    case WM_ERASEBKGND:
      if (FTransparent) {
        PaintBackground(reinterpret_cast<HDC>(M.WParam));
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      bool own = M.LParam == 0;
      if (own) FMouseOver = M.Msg == CM_MOUSEENTER;
      inherited::Dispatch(M);
      if (!own) break;
      if (M.Msg == CM_MOUSEENTER && OnMouseEnter) OnMouseEnter(this);
      if (M.Msg == CM_MOUSELEAVE && OnMouseLeave) OnMouseLeave(this);
      if ((FHotTrack || Themed()) && HandleAllocated()) {
        TRect r = GetHotTrackRect();
        InvalidateRect(Handle(), &r, FALSE);
      }
      break;
    }
    case CM_ENABLEDCHANGED:
      // A disabled button can finish no press.
      if (!Enabled()) CancelPress();
      if (!Enabled() && Parent())
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
      inherited::Dispatch(M);
      Invalidate();
      break;
    case CM_VISIBLECHANGED:
      if (!Visible()) CancelPress();
      inherited::Dispatch(M);
      break;
    case WM_LBUTTONUP:
      // The release gives the capture back itself: that is no lost press.
      {
        FReleasing = true;
        TOnExit released([this] { FReleasing = false; });
        inherited::Dispatch(M);
      }
      break;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      // The capture went elsewhere (a modal box, another control): the press ends
      // without a click.
      if (FDragging && !FReleasing) CancelPress();
      inherited::Dispatch(M);
      break;
    case CM_TEXTCHANGED:
      inherited::Dispatch(M);
      Repaint();
      break;
    default:
      inherited::Dispatch(M);
  }
}

void TQvCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (CanFocus() && !Focused()) SetFocus();
  if (!Focused()) return;
  FPressed = true;
  UpdateDisplay();
  FDragging = true;
}

void TQvCustomButton::MouseMove(TShiftState Shift, int X, int Y) {
  inherited::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  bool inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
  if (inside == FPressed) return;
  FPressed = inside;
  UpdateDisplay();
}

void TQvCustomButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (!FDragging) return;
  FDragging = false;
  FPressed = false;
  bool inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
  if (inside) ChangeState();
  UpdateDisplay();
}

// ---------------------------------------------------------------------------
// TQvButton
// ---------------------------------------------------------------------------

const TClassInfo& TQvButton::StaticClass() {
  using S = TQvButton;
  static const TClassInfo info = [] {
    TClassBuilder<S> b("TQvButton", &TQvCustomButton::StaticClass());
    b.Component()
          .Int("GroupIndex", &S::GroupIndex, [](S* s, int64_t v) { s->SetGroupIndex(int(v)); }, 0)
          .Bool("AllowAllUp", &S::AllowAllUp, &S::SetAllowAllUp, false)
          .Enum<TAlignment>("Alignment", &S::Alignment, &S::SetAlignment, taCenter)
          .Bool("Cancel", &S::Cancel, &S::SetCancel, false)
          .Bool("Default", &S::Default, &S::SetDefault, false)
          .Bool("Down", &S::Down, &S::SetDown, false)
          .Bool("DropDownOnEnter", &S::DropDownOnEnter, &S::SetDropDownOnEnter, true)
          .Int("FrameColor", &S::FrameColor, &S::SetFrameColor, cl3DDkShadow, {}, &ColorIdents())
          .Int("ModalResult", &S::ModalResult, [](S* s, int64_t v) { s->SetModalResult(TModalResult(v)); }, 0)
          .Bool("ShowDownPattern", &S::ShowDownPattern, &S::SetShowDownPattern, true)
          .Bool("ShowFocusRect", &S::ShowFocusRect, &S::SetShowFocusRect, true)
          .Object<TBasicAction>("Action", &S::Action, &S::SetAction)
          .Prop(TControl::Property("Color", clBtnFace))
          .Prop(TControl::Property("ParentColor", false))
          .Prop(TControl::Property("TabStop", 1));
    PublishInherited(b, {"Align", "Anchors", "BiDiMode", "ParentBiDiMode", "Caption", "Constraints",
                         "DragCursor", "DragKind", "DragMode",
                         "Enabled", "Font", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder",
                         "Visible", "OnClick", "OnContextPopup", "OnDblClick", "OnDragDrop", "OnDragOver",
                         "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
                         "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
    return b.Build();
  }();
  return info;
}

TQvButton::TQvButton(TComponent* AOwner) : TQvCustomButton(AOwner) {
  SetBounds(Left(), Top(), 75, 25);
  SetColor(clBtnFace);
}

QV_SETTER(TQvButton, Alignment, TAlignment, FAlignment)
QV_SETTER(TQvButton, FrameColor, TColor, FFrameColor)
QV_SETTER(TQvButton, ShowDownPattern, bool, FShowDownPattern)
QV_SETTER(TQvButton, ShowFocusRect, bool, FShowFocusRect)

void TQvButton::SetDefault(bool Value) {
  FDefault = Value;
  if (!HandleAllocated()) return;
  if (TCustomForm* form = GetParentForm(this))
    form->Perform(CM_FOCUSCHANGED, 0, ControlToLParam(form->ActiveControl()));
}

void TQvButton::SetGroupIndex(int Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  UpdateExclusive();
}

void TQvButton::SetAllowAllUp(bool Value) {
  if (Value == FAllowAllUp) return;
  FAllowAllUp = Value;
  UpdateExclusive();
}

void TQvButton::SetDown(bool Value) {
  // Read as it comes: the group may follow in the stream (Loaded applies the rule).
  if (ComponentState().Contains(csReading)) {
    FDown = Value;
    return;
  }
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = Value;
  FState = Value ? bsExclusive : bsUp;
  Invalidate();
  if (Value) UpdateExclusive();
}

void TQvButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !Parent()) return;
  TMessage m{CMQvButtonPressed, static_cast<WPARAM>(FGroupIndex), ControlToLParam(this), 0};
  Parent()->Broadcast(m);
}

bool TQvButton::FaceShowsPressed() const { return FState == bsDown || FState == bsExclusive || FPressed; }

bool TQvButton::DefaultLook() {
  return FGroupIndex == 0 && (FActive || Focused()) && !FPressed;
}

void TQvButton::ChangeState() {
  if (FGroupIndex != 0) SetDown(!FDown);
  else UpdateDisplay();
  FClicking = true;
  TOnExit clicked([this] { FClicking = false; });
  Click();
}

void TQvButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  inherited::Click();
}

void TQvButton::CreateWnd() {
  inherited::CreateWnd();
  FActive = FDefault;
}

void TQvButton::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_SPACE && !Shift.Contains(ssAlt)) {
    FSpace = true;
    FPressed = true;
    UpdateDisplay();
  }
  inherited::KeyDown(Key, Shift);
}

void TQvButton::KeyUp(WORD& Key, TShiftState Shift) {
  if (Key == VK_SPACE) {
    FPressed = false;
    if (FSpace) {
      FSpace = false;
      ChangeState();
    }
    UpdateDisplay();
  }
  inherited::KeyUp(Key, Shift);
}

void TQvButton::CancelPress() {
  FSpace = false;
  inherited::CancelPress();
}

void TQvButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND:
      // The classic look paints every pixel of the face (two rings and the fill
      // inside them): an erased background would only be painted over.
      if (!Transparent() && !HotTrack() && !Themed() && Color() != clNone) {
        M.Result = 1;
        break;
      }
      inherited::Dispatch(M);
      break;
    case WM_KILLFOCUS:
      inherited::Dispatch(M);
      FSpace = false;
      FPressed = false;
      UpdateDisplay();
      break;
    case CM_FOCUSCHANGED: {
      TControl* sender = MsgControl(M);
      bool active = (dynamic_cast<TQvButton*>(sender) || dynamic_cast<TButton*>(sender)) ? sender == this : FDefault;
      if (active != FActive) {
        FActive = active;
        Invalidate();
      }
      inherited::Dispatch(M);
      break;
    }
    case CM_DIALOGKEY: {
      TWMKey k(M);
      TShiftState ks = KeyDataToShiftState(k.KeyData());
      bool shift = ks.Contains(ssShift) || ks.Contains(ssCtrl) || ks.Contains(ssAlt);
      if (((k.CharCode() == VK_RETURN && FActive) || (k.CharCode() == VK_ESCAPE && FCancel)) && !shift &&
          CanFocus()) {
        FNoDropDown = !FDropDownOnEnter && k.CharCode() == VK_RETURN;
        {
          TOnExit dropDownAgain([this] { FNoDropDown = false; });
          Click();
        }
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
    case CMQvButtonPressed: {
      auto* sender = reinterpret_cast<TQvButton*>(M.LParam);
      if (static_cast<int>(M.WParam) == FGroupIndex && sender && sender != this) {
        if (sender->Down() && FDown) {
          FDown = false;
          FState = bsUp;
          Invalidate();
        }
        FAllowAllUp = sender->AllowAllUp();
      }
      break;
    }
    default:
      inherited::Dispatch(M);
  }
}

void TQvButton::SetHotTrack(bool Value) {
  inherited::SetHotTrack(Value);
  if (!(ComponentState().Contains(csReading) && FTransparentRead)) SetTransparent(HotTrack());
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TQvButton::Loaded() {
  inherited::Loaded();
  FTransparentRead = false;
  if (FGroupIndex == 0) FDown = false;
  if (FDown) {
    FState = bsExclusive;
    UpdateExclusive();
  }
}

void TQvButton::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  // Files of an older version keep the flat look as "FrameFlat".
  Filer->DefineProperty(
      "FrameFlat",
      [this](TReader* R) {
        TValueType t = R->NextValue();
        if (t != vaTrue && t != vaFalse) return R->SkipValue();
        SetHotTrack(R->ReadBoolean());
      },
      nullptr, false);
}

TRect TQvButton::GetCaptionRect() {
  TRect r = ClientRect();
  InflateRect(r, -5, -5);
  if (HotTrack() || Themed()) return r;
  bool pressed = FGroupIndex != 0 ? FaceShowsPressed() : FPressed;
  if (pressed) OffsetRect(r, 1, 1);
  return r;
}

void TQvButton::DrawButtonContent() {
  TAlignment a = FAlignment;
  if (UseRightToLeftAlignment()) ChangeBiDiModeAlignment(a);
  unsigned flags = DrawTextAlignments[static_cast<int>(a)] | DT_WORDBREAK | DT_EXPANDTABS;
  Draw3DText(Canvas(), GetCaptionRect(), flags);
}

void TQvButton::CreateBrushPattern(TBitmap* Bitmap) {
  Bitmap->SetSize(8, 8);
  TColor face = ColorToRGB(Color());
  TColor pattern = face == 0xC0C0C0 ? static_cast<TColor>(0x808080) : static_cast<TColor>(0xC0C0C0);
  Bitmap->Canvas()->Brush()->SetColor(Color());
  Bitmap->Canvas()->FillRect({0, 0, 8, 8});
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if ((x & 1) == (y & 1)) Bitmap->Canvas()->SetPixels(x, y, pattern);
}

void TQvButton::PaintBackground(HDC DC) {
  if (!Transparent()) return;
  // Clip rectangles in the context's logical coordinates (the context may be a
  // larger picture with its origin moved to this control).
  SaveDC(DC);
  TRect r = ClientRect();
  int inset = Enabled() ? 1 : 2;
  InflateRect(r, -inset, -inset);
  ExcludeClipRect(DC, r.Left, r.Top, r.Right, r.Bottom);
  InflateRect(r, 1, -1);
  ExcludeClipRect(DC, r.Left, r.Top, r.Right, r.Bottom);
  InflateRect(r, -2, 2);
  ExcludeClipRect(DC, r.Left, r.Top, r.Right, r.Bottom);
  DrawParentImage(this, DC);
  RestoreDC(DC, -1);
}

// The outer ring of the hot-track look, lines with exclusive ends:
//   . d d d d d d .      d DarkerColor(parent, 20)
//   d d . . . . d l      l LighterColor(parent, 20)
//   d . . . . . . l
//   d d . . . . l l
//   . l l l l l l .
namespace {

// A one-pixel frame without its corner pixels; returns R inset by 1.
TRect FlatFrame(TCanvas* C, TRect R, TColor Color) {
  auto line = [C](int x1, int y1, int x2, int y2) {
    C->MoveTo(x1, y1);
    C->LineTo(x2, y2);
  };
  C->Pen()->SetColor(Color);
  line(R.Left, R.Top + 1, R.Left, R.Bottom - 1);
  line(R.Left + 1, R.Top, R.Right - 1, R.Top);
  line(R.Right - 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
  line(R.Left + 1, R.Bottom - 1, R.Right - 1, R.Bottom - 1);
  InflateRect(R, -1, -1);
  return R;
}

}  // namespace

TRect TQvButton::PaintHotTrack(TRect R) {
  TCanvas* c = Canvas();
  TColor base = Parent() ? Parent()->Color() : clBtnFace;
  TColor dark = DarkerColor(base, 20), light = LighterColor(base, 20);
  auto line = [c](TColor col, int x1, int y1, int x2, int y2) {
    c->Pen()->SetColor(col);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  int L = R.Left, T = R.Top, Rr = R.Right, B = R.Bottom;
  line(dark, L, T + 2, L, B - 2);
  line(dark, L + 2, T, Rr - 2, T);
  line(light, Rr - 1, T + 2, Rr - 1, B - 2);
  line(light, L + 2, B - 1, Rr - 2, B - 1);
  c->SetPixels(L + 1, T + 1, dark);
  c->SetPixels(Rr - 2, T + 1, dark);
  c->SetPixels(L + 1, B - 2, dark);
  c->SetPixels(Rr - 2, B - 2, light);
  InflateRect(R, -1, -1);
  R = FlatFrame(c, R, FFrameColor);
  if (FaceShowsPressed()) {
    c->Brush()->SetColor(DarkerColor(Color(), 10));
    c->FillRect(R);
  } else if (FMouseOver) {
    PaintXPFace(R);
    TColor c1, c2;
    if (HotTrackColorType() == htctComplement) {
      c1 = ComplementaryColor(HotTrackColor(), 180);
      c2 = DarkerColor(c1, 30);
    } else {
      c1 = BlendColors(0xFFFFFF, HotTrackColor(), 190);
      c2 = HotTrackColor();
    }
    DrawHighlightBox(c, R, gdHorizontalEnd, c1, c2);
  } else if (DefaultLook()) {
    PaintXPFace(R);
    TColor lt = LighterColor(Color(), 30);
    TColor h = HighlightColor();
    if (ColorsTooClose(h, clBtnFace)) h = DarkerColor(h, 30);
    DrawHighlightBox(c, R, gdHorizontalEnd, BlendColors(h, lt, 60), BlendColors(h, lt, 160));
  } else {
    PaintXPFace(R);
  }
  return R;
}

void TQvButton::PaintXPFace(TRect& R) {
  TCanvas* c = Canvas();
  c->Pen()->SetColor(DarkerColor(Color(), 20));
  c->MoveTo(R.Left, R.Bottom - 2);
  c->LineTo(R.Right, R.Bottom - 2);
  c->Pen()->SetColor(DarkerColor(Color(), 30));
  c->MoveTo(R.Left, R.Bottom - 1);
  c->LineTo(R.Right, R.Bottom - 1);
  R.Bottom -= 2;
  if (FullColorSupported) {
    PaintGradient(c, R, gdHorizontalEnd, LighterColor(Color(), 30), DarkerColor(Color(), 10), 1);
  } else {
    c->Brush()->SetColor(Color());
    c->FillRect(R);
  }
}

TRect TQvButton::PaintClassic(TRect R) {
  TCanvas* c = Canvas();
  if (FGroupIndex == 0 && (DefaultLook() || FClicking)) R = DrawSides(c, R, clWindowFrame, clWindowFrame);
  bool pressedGroup = FGroupIndex != 0 && FaceShowsPressed();
  if (Color() == clBtnFace) {
    if (FGroupIndex == 0) R = DrawButtonBorder(c, R, FPressed);
    else if (pressedGroup) R = DrawBorder(c, R, fsLowered);
    else R = DrawBorder(c, R, fsButtonUp);
  } else {
    if (FGroupIndex == 0) R = DrawColorButtonBorder(c, R, Color(), FPressed);
    else if (pressedGroup) R = DrawColorBorder(c, R, Color(), fsLowered);
    else R = DrawColorButtonBorder(c, R, Color(), false);
  }
  c->Brush()->SetColor(Color());
  c->FillRect(R);
  return R;
}

void TQvButton::Paint() {
  TCanvas* c = Canvas();
  TRect client = ClientRect();
  TRect f = client;
  int inset = (HotTrack() || Themed()) ? 3 : 4;
  InflateRect(f, -inset, -inset);
  if (FGroupIndex != 0 && FaceShowsPressed()) OffsetRect(f, 1, 1);
  TRect r = client;
  if (Themed()) {
    TThemedButton e = tbPushButtonNormal;
    if (!Enabled()) e = tbPushButtonDisabled;
    else if (FaceShowsPressed()) e = tbPushButtonPressed;
    else if (FMouseOver) e = tbPushButtonHot;
    else if (DefaultLook()) e = tbPushButtonDefaulted;
    TThemedElementDetails d = ThemeServices()->GetElementDetails(e);
    ThemeServices()->DrawParentBackground(Handle(), c->Handle(), &d, true, &r);
    ThemeServices()->DrawElement(c->Handle(), d, r);
  } else if (HotTrack() && Enabled()) {
    r = PaintHotTrack(r);
  } else if (HotTrack()) {
    InflateRect(r, -1, -1);
    TColor frame = Color() == clBtnFace ? LighterColor(clBtnShadow, 30) : DarkerColor(Color(), 80);
    r = FlatFrame(c, r, frame);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
  } else {
    r = PaintClassic(r);
  }
  if (FGroupIndex != 0 && FState == bsExclusive && FShowDownPattern) {
    auto pattern = std::make_unique<TBitmap>();
    CreateBrushPattern(pattern.get());
    c->Brush()->SetBitmap(pattern.get());
    c->FillRect(r);
    c->Brush()->SetBitmap(nullptr);
  }
  c->SetFont(Font());
  c->Brush()->SetColor(Color());
  DrawButtonContent();
  if (Focused() && FShowFocusRect) DrawFocusBorder(c, f);
}
