#include "controls/basic/labels.h"

#include <cmath>
#include <memory>

#include "controls/common/utils.h"
#include "controls/common/colors.h"
#include "controls/common/dialogs.h"
#include "platform/controls/backend.h"
#include "platform/controls/winuser.h"
#include "platform/core/filer.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/openwith.h"

DTU_DEFINE_ENUM(TRotation, "roNone", "roFlat", "roCurve")
DTU_DEFINE_ENUM(TCenterPoint, "cpUpperLeft", "cpUpperCenter", "cpUpperRight", "cpLeftCenter", "cpCenter",
                "cpRightCenter", "cpLowerLeft", "cpLowerCenter", "cpLowerRight")
DTU_DEFINE_ENUM(TQvCondenseCaption, "ccNone", "ccAtEnd", "ccWithinPath")

const unsigned CondenseCaptionFlags[3] = {0, DT_END_ELLIPSIS, DT_PATH_ELLIPSIS};

namespace {

// The class library's Round: halves go to the even neighbour.
int RoundEven(double V) { return static_cast<int>(std::nearbyint(V)); }

// The pixels a frame style takes on each chosen side.
int StyleWidth(TFrameStyleEx Style, int BevelWidth) {
  switch (Style) {
    case fsNone: return 0;
    case fsFlat: return 1;
    case fsStatus:
    case fsPopup: return BevelWidth;
    default: return 2;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TQvLabel
// ---------------------------------------------------------------------------

const TClassInfo& TQvLabel::StaticClass() {
  using S = TQvLabel;
  auto intSet = [](void (S::*f)(int)) { return [f](S* s, int64_t v) { (s->*f)(static_cast<int>(v)); }; };
  static const TClassInfo info = [intSet] {
    TClassBuilder<S> b("TQvLabel", &TLabel::StaticClass());
    b.Component()
          .Int("Angle", &S::Angle, intSet(&S::SetAngle), 0)
          .Int("BevelWidth", &S::BevelWidth, intSet(&S::SetBevelWidth), 1)
          .Int("BlinkColor", &S::BlinkColor, &S::SetBlinkColor, clHighlight, {}, &ColorIdents())
          .Int("BlinkIntervalOff", &S::BlinkIntervalOff, intSet(&S::SetBlinkIntervalOff), 500)
          .Int("BlinkIntervalOn", &S::BlinkIntervalOn, intSet(&S::SetBlinkIntervalOn), 500)
          .Bool("Blinking", &S::Blinking, &S::SetBlinking, false)
          .Int("BorderColor", &S::BorderColor, &S::SetBorderColor, clBtnFace, {}, &ColorIdents())
          .Int("BorderHighlight", &S::BorderHighlight, &S::SetBorderHighlight, clBtnHighlight, {}, &ColorIdents())
          .Enum<TFrameStyleEx>("BorderInner", &S::BorderInner, &S::SetBorderInner, fsNone)
          .Enum<TFrameStyleEx>("BorderOuter", &S::BorderOuter, &S::SetBorderOuter, fsNone)
          .Int("BorderShadow", &S::BorderShadow, &S::SetBorderShadow, clBtnShadow, {}, &ColorIdents())
          .Set<TSide>("BorderSides", &S::BorderSides, &S::SetBorderSides, AllSides)
          .Int("BorderWidth", &S::BorderWidth, intSet(&S::SetBorderWidth), 0)
          .Enum<TCenterPoint>("CenterPoint", &S::CenterPoint, &S::SetCenterPoint, cpCenter)
          // A flat rotation read centres the text.
          .Implied([](S* s) { return s->Rotation() == roFlat ? std::optional<int64_t>(static_cast<int64_t>(cpCenter)) : std::nullopt; })
          .Enum<TQvCondenseCaption>("CondenseCaption", &S::CondenseCaption, &S::SetCondenseCaption, ccNone)
          // A condensed caption read turns AutoSize off unless the stream says otherwise.
          .Bool("AutoSize", &S::AutoSize, &S::SetAutoSize, true)
          .Implied([](S* s) { return s->CondenseCaption() != ccNone ? std::optional<int64_t>(0) : std::nullopt; })
          .Int("FlatColor", &S::FlatColor, &S::SetFlatColor, clBtnShadow, {}, &ColorIdents())
          .Int("FlatColorAdjustment", &S::FlatColorAdjustment, intSet(&S::SetFlatColorAdjustment), 30)
          .Int("FlyByColor", &S::FlyByColor, &S::SetFlyByColor, clHighlight, {}, &ColorIdents())
          .Bool("FlyByEnabled", &S::FlyByEnabled, &S::SetFlyByEnabled, false)
          .Object<TQvFrameController>("FrameController", &S::FrameController, &S::SetFrameController)
          .Set<TQvFrameControllerProperty>("FrameControllerNotifications", &S::FrameControllerNotifications,
                                           &S::SetFrameControllerNotifications,
                                           TQvFrameControllerNotifications::FromInt(0xFFFF))
          .Int("HighlightColor", &S::HighlightColor, &S::SetHighlightColor, clBtnHighlight, {}, &ColorIdents())
          .Bool("LightTextStyle", &S::LightTextStyle, &S::SetLightTextStyle, false)
          .Enum<TRotation>("Rotation", &S::Rotation, &S::SetRotation, roNone)
          .Int("ShadowColor", &S::ShadowColor, &S::SetShadowColor, clBtnShadow, {}, &ColorIdents())
          .Int("ShadowDepth", &S::ShadowDepth, intSet(&S::SetShadowDepth), 2)
          .Int("TextMargin", &S::TextMargin, intSet(&S::SetTextMargin), 0)
          .Enum<TTextStyle>("TextStyle", &S::TextStyle, &S::SetTextStyle, tsNormal);
    // The label's own base leaves out the sizing and drag names.
    PublishInherited(b, {"Constraints", "DragCursor", "DragKind", "DragMode", "OnDragDrop", "OnDragOver",
                         "OnEndDock", "OnEndDrag", "OnStartDock", "OnStartDrag"});
    return b.Build();
  }();
  return info;
}

TQvLabel::TQvLabel(TComponent* AOwner) : TLabel(AOwner) {
  FControlStyle << csOpaque;
  FConstructing = true;
  SetColor(clBtnFace);
  SetParentColor(true);
  FConstructing = false;
  if (!BlinkingControls) BlinkingControls = new TQvBlinkingControlsList();
  BlinkingControls->Add(this);
  FSavedFontColor = FDrawColor = Font()->Color();
}

TQvLabel::~TQvLabel() {
  if (FFrameController) FFrameController->RemoveControl(this);
  if (BlinkingControls) {
    BlinkingControls->Remove(this);
    FreeBlinkingControlsListIfEmpty();
  }
}

#define QV_SIZE_SETTER(Class, Name, Type, Field) \
  void Class::Set##Name(Type Value) {            \
    if (Value == Field) return;                  \
    Field = Value;                               \
    AdjustBounds();                              \
    Invalidate();                                \
  }

QV_SETTER(TQvLabel, BlinkColor, TColor, FBlinkColor)
QV_SETTER(TQvLabel, BorderColor, TColor, FBorderColor)
QV_SETTER(TQvLabel, BorderHighlight, TColor, FBorderHighlight)
QV_SETTER(TQvLabel, BorderShadow, TColor, FBorderShadow)
QV_SETTER(TQvLabel, FlatColor, TColor, FFlatColor)
QV_SETTER(TQvLabel, FlatColorAdjustment, int, FFlatColorAdjustment)
void TQvLabel::SetCenterPoint(TCenterPoint Value) {
  if (ComponentState().Contains(csReading)) FCenterPointRead = true;
  if (Value == FCenterPoint) return;
  FCenterPoint = Value;
  Invalidate();
}
QV_SETTER(TQvLabel, FlyByColor, TColor, FFlyByColor)
QV_SETTER(TQvLabel, LightTextStyle, bool, FLightTextStyle)
QV_SETTER(TQvLabel, TextStyle, TTextStyle, FTextStyle)
QV_SETTER(TQvLabel, HighlightColor, TColor, FHighlightColor)
QV_SETTER(TQvLabel, ShadowColor, TColor, FShadowColor)
QV_SETTER(TQvLabel, ShadowDepth, int, FShadowDepth)
QV_SETTER(TQvLabel, TextMargin, int, FTextMargin)
QV_SIZE_SETTER(TQvLabel, BevelWidth, int, FBevelWidth)
QV_SIZE_SETTER(TQvLabel, BorderInner, TFrameStyleEx, FBorderInner)
QV_SIZE_SETTER(TQvLabel, BorderOuter, TFrameStyleEx, FBorderOuter)
QV_SIZE_SETTER(TQvLabel, BorderSides, TSides, FBorderSides)
QV_SIZE_SETTER(TQvLabel, BorderWidth, int, FBorderWidth)

// A condensed caption needs a width of its own: AutoSize goes off. While a form is
// read that waits for Loaded, so an AutoSize line keeps its value in any order.
void TQvLabel::SetCondenseCaption(TQvCondenseCaption Value) {
  if (Value == FCondenseCaption) return;
  FCondenseCaption = Value;
  if (Value != ccNone && !ComponentState().Contains(csReading)) SetAutoSize(false);
  Invalidate();
}

void TQvLabel::SetAutoSize(bool Value) {
  if (ComponentState().Contains(csReading)) FAutoSizeRead = true;
  inherited::SetAutoSize(Value);
}

void TQvLabel::RequireScalableFont() {
  if (!IsTrueTypeFont(Font())) Font()->SetName("Verdana");
}

void TQvLabel::SetAngle(int Value) {
  if (Value == FAngle) return;
  Value %= 360;
  if (Value < 0) Value += 360;
  FAngle = Value;
  bool loading = ComponentState().Contains(csLoading);
  if (!loading && FAngle != 0) RequireScalableFont();
  if (FAngle != 0 && FRotation == roNone) FRotation = roFlat;
  AdjustBounds();
  Invalidate();
}

void TQvLabel::SetRotation(TRotation Value) {
  if (Value == FRotation) return;
  FRotation = Value;
  if (!ComponentState().Contains(csLoading) && Value != roNone) RequireScalableFont();
  if (Value == roNone || Value == roFlat) FAngle = 0;
  // A CenterPoint the stream being read holds stays as read.
  if (Value == roFlat && !(ComponentState().Contains(csReading) && FCenterPointRead)) FCenterPoint = cpCenter;
  Invalidate();
}

void TQvLabel::SetBlinking(bool Value) {
  if (Value == FBlinking) return;
  FBlinking = Value;
  if (!Value) {
    FBlinkOn = true;
    FDrawColor = FSavedFontColor;
    Repaint();
  }
}

int TQvLabel::BlinkIntervalOff() const { return BlinkingControls ? BlinkingControls->OffInterval : 500; }
int TQvLabel::BlinkIntervalOn() const { return BlinkingControls ? BlinkingControls->OnInterval : 500; }
void TQvLabel::SetBlinkIntervalOff(int Value) {
  if (BlinkingControls) BlinkingControls->OffInterval = static_cast<uint16_t>(Value);
}
void TQvLabel::SetBlinkIntervalOn(int Value) {
  if (BlinkingControls) BlinkingControls->OnInterval = static_cast<uint16_t>(Value);
}

void TQvLabel::Blink(TBlinkState State) {
  FBlinkOn = State == bsOn;
  FDrawColor = FBlinkOn ? FSavedFontColor : FBlinkColor;
  Invalidate();
}

void TQvLabel::SetFlyByEnabled(bool Value) {
  if (Value == FFlyByEnabled) return;
  FFlyByEnabled = Value;
  // Only a fly-by colour that is showing is taken back; the saved colour is
  // meaningless otherwise.
  if (!Value && FFlyByApplied) {
    FFlyByApplied = false;
    Font()->SetColor(FSavedFlyByColor);
  }
}

void TQvLabel::SetFrameController(TQvFrameController* Value) {
  SwitchFrameController(FFrameController, Value, this);
}

void TQvLabel::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFrameController) FFrameController = nullptr;
}

void TQvLabel::CustomFramingChanged() {
  if (!FFrameController || !FFrameController->FrameVisible()) return;
  TQvFrameController* c = FFrameController;
  if (FNotifications.Contains(fcpFrameStyle)) SetBorderOuter(c->FrameStyle());
  if (FNotifications.Contains(fcpFrameSides)) SetBorderSides(c->FrameSides());
  if (FNotifications.Contains(fcpFrameColor)) {
    SetFlatColor(c->FrameColor());
    SetFlatColorAdjustment(0);
  }
  if (FNotifications.Contains(fcpColor)) {
    SetColor(c->Color());
    SetBorderHighlight(LighterColor(Color(), 100));
    SetBorderShadow(DarkerColor(Color(), 50));
  }
  if (FNotifications.Contains(fcpParentColor)) SetParentColor(c->ParentColor());
  Invalidate();
}

void TQvLabel::Loaded() {
  // A condensed caption read without an AutoSize line turns AutoSize off, as forms
  // written before that line was kept beside CondenseCaption expect.
  if (FCondenseCaption != ccNone && !FAutoSizeRead) SetAutoSize(false);
  FAutoSizeRead = false;
  inherited::Loaded();
  FCenterPointRead = false;
  if (FAngle != 0 && FRotation == roNone) FRotation = roFlat;
  if (FRotation != roNone) RequireScalableFont();
  FSavedFontColor = FDrawColor = Font()->Color();
}

void TQvLabel::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty("FrameSides", TQvOldPropReader::ReadOldSetProp, nullptr, false);
}

void TQvLabel::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_PARENTCOLORCHANGED:
      if (!FConstructing) inherited::Dispatch(M);
      break;
    case CM_FONTCHANGED:
      inherited::Dispatch(M);
      if (!ComponentState().Contains(csLoading)) {
        if (!FBlinking) FSavedFontColor = FDrawColor = Font()->Color();
        if (FAngle != 0 && !IsTrueTypeFont(Font())) FAngle = 0;
      }
      break;
    case CM_GETBLINKING:
      M.Result = FBlinking ? 1 : 0;
      break;
    case CM_BLINK:
      if (FBlinking) Blink(static_cast<TBlinkState>(M.WParam));
      break;
    case CM_MOUSEENTER:
      if (M.LParam == 0 && FFlyByEnabled && !FFlyByApplied) {
        FSavedFlyByColor = Font()->Color();
        FFlyByApplied = true;
        Font()->SetColor(FFlyByColor);
      }
      inherited::Dispatch(M);
      break;
    case CM_MOUSELEAVE:
      if (M.LParam == 0 && FFlyByApplied) {
        FFlyByApplied = false;
        Font()->SetColor(FSavedFlyByColor);
      }
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

void TQvLabel::FixClientRect(TRect& R, bool ShrinkByBorder) {
  if (ShrinkByBorder) InflateRect(R, -FBorderWidth, -FBorderWidth);
  for (TFrameStyleEx style : {FBorderOuter, FBorderInner}) {
    int w = StyleWidth(style, FBevelWidth);
    if (FBorderSides.Contains(sdLeft)) R.Left += w;
    if (FBorderSides.Contains(sdTop)) R.Top += w;
    if (FBorderSides.Contains(sdRight)) R.Right -= w;
    if (FBorderSides.Contains(sdBottom)) R.Bottom -= w;
  }
}

void TQvLabel::AdjustForBorders(TRect& R) {
  int each = StyleWidth(FBorderOuter, FBevelWidth) + FBorderWidth + StyleWidth(FBorderInner, FBevelWidth);
  R.Right += each * ((FBorderSides.Contains(sdLeft) ? 1 : 0) + (FBorderSides.Contains(sdRight) ? 1 : 0));
  R.Bottom += each * ((FBorderSides.Contains(sdTop) ? 1 : 0) + (FBorderSides.Contains(sdBottom) ? 1 : 0));
  if (FRotation == roNone && FTextStyle == tsShadow) {
    R.Right += FShadowDepth;
    R.Bottom += FShadowDepth;
  } else if (FRotation == roFlat && FAngle != 0 && FAngle != 180) {
    if (FTextStyle == tsShadow) {
      R.Right += FShadowDepth / 2;
      R.Bottom += FShadowDepth / 2;
    }
    double w = R.Right, h = R.Bottom;
    double t = M_PI * (FAngle % 90) / 180.0;
    if (FAngle == 90 || FAngle == 270) t += M_PI / 2;
    R.Right = RoundEven(w * std::cos(t) + h * std::sin(t));
    R.Bottom = RoundEven(w * std::sin(t) + h * std::cos(t));
  }
}

void TQvLabel::AdjustBounds() {
  if (!AutoSize() || ComponentState().Contains(csReading) || ComponentState().Contains(csLoading) ||
      ComponentState().Contains(csDestroying))
    return;
  TRect r = ClientRect();
  FixClientRect(r, true);
  OffsetRect(r, -r.Left, -r.Top);
  std::string text = GetLabelText();
  if (text.empty()) text.push_back(' ');  // not text = " ": GCC 12 warns falsely (-Wrestrict)
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  unsigned flags = DT_CALCRECT | DT_EXPANDTABS | (WordWrap() ? DT_WORDBREAK : 0) |
                   CondenseCaptionFlags[static_cast<int>(FCondenseCaption)] | (ShowAccelChar() ? 0 : DT_NOPREFIX);
  DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  AdjustForBorders(r);
  int x = Left();
  TAlignment a = Alignment();
  if (UseRightToLeftAlignment()) ChangeBiDiModeAlignment(a);
  if (a == taRightJustify) x += Width() - r.Right;
  SetBounds(x, Top(), r.Right, r.Bottom);
}

TPoint TQvLabel::CalcCenterPoint() {
  int b = FBorderWidth, W = Width(), H = Height();
  if (FRotation == roFlat) return {W / 2, H / 2};
  switch (FCenterPoint) {
    case cpUpperLeft: return {b, b};
    case cpUpperCenter: return {W / 2, b};
    case cpUpperRight: return {W - b, b};
    case cpLeftCenter: return {b, H / 2};
    case cpCenter: return {W / 2, H / 2};
    case cpRightCenter: return {W - b, H / 2};
    case cpLowerLeft: return {b, H - b};
    case cpLowerCenter: return {W / 2, H - b};
    case cpLowerRight: return {W - b, H - b};
  }
  return {W / 2, H / 2};
}

TPoint TQvLabel::CalcRadius() {
  int d = 2 * FBorderWidth, W = Width(), H = Height();
  switch (FCenterPoint) {
    case cpUpperCenter:
    case cpLowerCenter: return {W / 2 - d, H - d};
    case cpLeftCenter:
    case cpRightCenter: return {W - d, H / 2 - d};
    case cpCenter: return {W / 2 - d, H / 2 - d};
    default: return {W - d, H - d};
  }
}

void TQvLabel::Paint() {
  TCanvas* c = Canvas();
  TColor parentColor = Parent() ? Parent()->Color() : Color();
  TRect r = DrawInnerOuterBorders(c, {0, 0, Width(), Height()}, FBorderOuter, FBorderInner, FBorderWidth,
                                  FBorderSides, FBevelWidth, FBorderColor, FBorderHighlight, FBorderShadow,
                                  FFlatColor, FFlatColorAdjustment, Color(), parentColor, Transparent(), false);
  if (!Transparent()) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  c->Brush()->SetStyle(bsClear);
  if (FRotation == roCurve) DrawArcText();
  else Draw3DText();
}

void TQvLabel::AdjustForLayout(const std::string& Text, unsigned Flags, TRect& R) {
  if (Layout() != tlTop) {
    TRect calc = R;
    DrawText(Canvas()->Handle(), Text.c_str(), static_cast<int>(Text.size()), &calc,
             Flags | DT_CALCRECT | CondenseCaptionFlags[static_cast<int>(FCondenseCaption)]);
    int diff = R.Height() - calc.Height();
    OffsetRect(R, 0, Layout() == tlCenter ? diff / 2 : diff);
  }
  if ((Flags & DT_RIGHT) && FTextStyle == tsShadow) OffsetRect(R, -FShadowDepth, 0);
  if (Layout() == tlBottom && FTextStyle == tsShadow) OffsetRect(R, 0, -FShadowDepth);
}

void TQvLabel::Draw3DText() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  FixClientRect(r, true);
  InflateRect(r, -FTextMargin, -FTextMargin);
  TAlignment a = Alignment();
  if (UseRightToLeftAlignment()) ChangeBiDiModeAlignment(a);
  unsigned flags = DrawTextAlignments[static_cast<int>(a)] | DT_EXPANDTABS;
  if (UseRightToLeftAlignment()) flags |= DT_RTLREADING;
  if (WordWrap()) flags |= DT_WORDBREAK;
  if (!ShowAccelChar()) flags |= DT_NOPREFIX;
  c->SetFont(Font());
  TPoint C = CalcCenterPoint();
  std::string text = GetLabelText();
  bool rotated = FRotation == roFlat;
  int s = 0, x = 0, y = 0;
  unsigned align = TA_LEFT | TA_TOP;
  if (rotated) {
    s = FTextStyle == tsShadow ? FShadowDepth / 2 : 0;
    int w = c->TextWidth(text) + s;
    int h = c->TextHeight("Pp") + s;
    double q = c->TextHeight("Pp") / 4.0;
    double t = M_PI * FAngle / 180.0 + M_PI / 2;
    bool centred = Alignment() == taCenter, right = Alignment() == taRightJustify;
    switch (FAngle) {
      case 0:
        y = C.Y - h / 2;
        if (centred) {
          x = C.X;
          align = TA_CENTER | TA_TOP;
        } else {
          x = right ? r.Right - w - s : r.Left + s;
        }
        break;
      case 90:
        x = C.X - RoundEven(q * std::cos(t));
        y = centred ? r.Bottom - (r.Bottom - w) / 2 : right ? r.Top + w + s : r.Bottom - s;
        align = TA_BASELINE;
        break;
      case 180:
        x = centred ? r.Right - (r.Right - w) / 2 : right ? r.Left + w : r.Right - s;
        y = C.Y - h / 4;
        align = TA_BASELINE;
        break;
      case 270:
        x = C.X - RoundEven(q * std::cos(t));
        y = centred ? (r.Bottom - w) / 2 : right ? r.Bottom - w - s : r.Top + s;
        align = TA_BASELINE;
        break;
      default:
        x = C.X - RoundEven(q * std::cos(t));
        y = C.Y + RoundEven(q * std::sin(t));
        align = TA_BASELINE | TA_CENTER;
    }
    c->Font()->SetHandle(RotateFont(Font(), FAngle));
  } else {
    AdjustForLayout(text, flags, r);
  }
  unsigned drawFlags = flags | CondenseCaptionFlags[static_cast<int>(FCondenseCaption)];
  auto draw = [&](int dx, int dy, TColor color) {
    c->Font()->SetColor(color);
    c->Brush()->SetStyle(bsClear);
    if (rotated) {
      SetTextAlign(c->Handle(), align);
      c->TextRect(r, x + dx, y + dy, text);
    } else {
      TRect t = r;
      OffsetRect(t, dx, dy);
      DrawText(c->Handle(), text.c_str(), static_cast<int>(text.size()), &t, drawFlags);
    }
  };
  if (!Enabled()) {
    draw(0, 0, clGrayText);
  } else {
    if (FTextStyle == tsRaised) {
      if (!FLightTextStyle) draw(1, 1, FShadowColor);
      draw(-1, -1, FHighlightColor);
    } else if (FTextStyle == tsRecessed) {
      draw(1, 1, FHighlightColor);
      if (!FLightTextStyle) draw(-1, -1, FShadowColor);
    } else if (FTextStyle == tsShadow) {
      if (rotated) {
        draw(s, s, FShadowColor);
        x -= s;
        y -= s;
      } else {
        draw(FShadowDepth, FShadowDepth, FShadowColor);
      }
    }
    draw(0, 0, FDrawColor);
  }
  if (rotated) SetTextAlign(c->Handle(), TA_LEFT | TA_TOP);
  c->SetFont(Font());
}

void TQvLabel::DrawArcText() {
  TCanvas* c = Canvas();
  TPoint radius = CalcRadius();
  // A label too small for its border has no circle to lay the text on.
  if (radius.X <= 0 || radius.Y <= 0) return;
  c->SetFont(Font());
  std::string text = GetLabelText();
  TPoint C = CalcCenterPoint();
  int hy = c->TextHeight("Yy");
  double step = (c->TextWidth("w") + 2) / static_cast<double>(radius.X);
  double a = FAngle * M_PI / 180.0;
  for (char ch : text) {
    std::string one(1, ch);
    int X = C.X - RoundEven(std::sin(a) * (radius.X - hy));
    int Y = C.Y - RoundEven(std::cos(a) * (radius.Y - hy));
    c->SetFont(Font());
    c->Font()->SetOrientation(RoundEven(a * 1800 / M_PI));
    c->Brush()->SetStyle(bsClear);
    SetTextAlign(c->Handle(), TA_BASELINE | TA_CENTER);
    auto draw = [&](int px, int py, TColor color) {
      c->Font()->SetColor(color);
      c->TextOut(px, py, one);
    };
    if (!Enabled()) {
      draw(X + 1, Y + 1, clBtnHighlight);
      draw(X, Y, clBtnShadow);
    } else {
      if (FTextStyle == tsRaised) {
        if (!FLightTextStyle) draw(X + 1, Y + 1, FShadowColor);
        draw(X - 1, Y - 1, FHighlightColor);
      } else if (FTextStyle == tsRecessed) {
        draw(X + 1, Y + 1, FHighlightColor);
        if (!FLightTextStyle) draw(X - 1, Y - 1, FShadowColor);
      } else if (FTextStyle == tsShadow) {
        draw(X + FShadowDepth, Y + FShadowDepth, FShadowColor);
      }
      draw(X, Y, FDrawColor);
    }
    a -= step;
  }
  SetTextAlign(c->Handle(), TA_LEFT | TA_TOP);
  c->SetFont(Font());
}

// ---------------------------------------------------------------------------
// TQvURLLabel
// ---------------------------------------------------------------------------

const TClassInfo& TQvURLLabel::StaticClass() {
  using S = TQvURLLabel;
  static const TClassInfo info =
      TClassBuilder<S>("TQvURLLabel", &TQvLabel::StaticClass())
          .Component()
          .Int("Cursor", &S::Cursor, &S::SetCursor, crQvHandCursor, {}, &CursorIdents())
          .Int("UnvisitedColor", &S::UnvisitedColor, &S::SetUnvisitedColor, clHighlight, {}, &ColorIdents())
          .Str("URL", &S::URL, &S::SetURL)
          .Bool("Visited", &S::Visited, &S::SetVisited, false)
          .Int("VisitedColor", &S::VisitedColor, &S::SetVisitedColor, 0x800080, {}, &ColorIdents())
          .Build();
  return info;
}

TQvURLLabel::TQvURLLabel(TComponent* AOwner) : TQvLabel(AOwner) {
  if (Screen) Screen->SetCursors(crQvHandCursor, LoadCursor(nullptr, IDC_HAND));
  SetCursor(crQvHandCursor);
  SetTextStyle(tsNormal);
  Font()->SetColor(clHighlight);
  Font()->SetStyle(TFontStyles{fsUnderline});
}

// While a form is read the font keeps the colour the stream gives it, whatever order
// the colour lines come in.
void TQvURLLabel::UpdateFontColor() {
  if (!ComponentState().Contains(csReading)) Font()->SetColor(FVisited ? FVisitedColor : FUnvisitedColor);
}

void TQvURLLabel::SetVisited(bool Value) {
  if (Value == FVisited) return;
  FVisited = Value;
  UpdateFontColor();
  Invalidate();
}

void TQvURLLabel::SetUnvisitedColor(TColor Value) {
  if (Value == FUnvisitedColor) return;
  FUnvisitedColor = Value;
  UpdateFontColor();
  Invalidate();
}

void TQvURLLabel::SetVisitedColor(TColor Value) {
  if (Value == FVisitedColor) return;
  FVisitedColor = Value;
  UpdateFontColor();
  Invalidate();
}

void TQvURLLabel::Click() {
  inherited::Click();
  std::string target = Trim(FURL).empty() ? Caption() : FURL;
  target = Trim(target);
  if (target.empty()) return;
  if (ShellOpen(target)) {
    SetVisited(true);
    return;
  }
  // A web page no program took: the user may pick one of the desktop's programs.
  if (UpperCase(ExtractFileExt(target)) == ".HTM")
    ShowOpenWithDialog(target, Parent() && Parent()->HandleAllocated() ? Parent()->Handle() : nullptr);
}
