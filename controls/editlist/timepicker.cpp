#include "controls/editlist/timepicker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "controls/common/colors.h"
#include "controls/common/themes.h"
#include "controls/common/frames.h"
#include "controls/common/glyphs.h"
#include "controls/common/utils.h"
#include "platform/controls/winmsg.h"
#include "platform/graphics/gdi.h"
#include "platform/win32/localedata.h"

namespace {

constexpr double Pi = std::numbers::pi;
const TColor DefaultClockColors[TQvClockFaceColors::Count] = {clBtnFace, clWindowText, clWindowText, clBtnShadow,
                                                              clWindowText};

void HourMinute(TDateTime T, int& H, int& M) {
  Word h, m, s, ms;
  DecodeTime(T, h, m, s, ms);
  H = h;
  M = m;
}

TPoint ClockPoint(TPoint Center, double Angle, int Radius) {
  return TPoint{Center.X + static_cast<int>(std::lround(Radius * std::cos(Angle))),
                Center.Y + static_cast<int>(std::lround(Radius * std::sin(Angle)))};
}

}  // namespace

double NormalizedArcTan(double Dx, double Dy) {
  double a = std::atan(Dy / Dx);
  if (Dx > 0 && Dy < 0) a += 2 * Pi;
  if (Dx < 0) a += Pi;
  return a;
}

// ---------------------------------------------------------------------------
// TQvClockFaceColors

TQvClockFaceColors::TQvClockFaceColors(TControl* AOwner) : FOwner(AOwner) {
  std::copy(std::begin(DefaultClockColors), std::end(DefaultClockColors), FColors);
}

TColor TQvClockFaceColors::GetColor(int Index) const { return GetIndexedColor(FColors, Index); }

void TQvClockFaceColors::SetColor(int Index, TColor Value) { SetIndexedColor(FColors, Index, Value, FOwner); }

void TQvClockFaceColors::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQvClockFaceColors*>(Source)) {
    for (int i = 0; i < Count; ++i) SetColor(i, s->FColors[i]);
    return;
  }
  inherited::Assign(Source);
}

const TClassInfo& TQvClockFaceColors::StaticClass() {
  using C = TQvClockFaceColors;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvClockFaceColors", &inherited::StaticClass());
    const char* names[Count] = {"Face", "Hands", "Numbers", "HourTicks", "MinuteTicks"};
    for (int i = 0; i < Count; ++i)
      b.Int(names[i], [i](const C* x) { return x->GetColor(i); },
            [i](C* x, int64_t v) { x->SetColor(i, static_cast<TColor>(v)); }, DefaultClockColors[i], {},
            &ColorIdents());
    return b.Build();
  }();
  return info;
}

// ---------------------------------------------------------------------------
// TQvTimePicker

TQvTimePicker::TQvTimePicker(TComponent* AOwner)
    : TQvCustomPanel(AOwner), FClockFaceColors(std::make_unique<TQvClockFaceColors>(this)) {
  InitPopupFace(this);
  SetBounds(Left(), Top(), 160, 190);
  FHintTimer = NewDisabledTimer(this, 1000, [this](TObject* s) { HintTick(s); });
  SetAutoSize(true);
  AdjustForFont();
}

TQvTimePicker::~TQvTimePicker() { FClockFaceColors->ClearOwner(); }

std::string TQvTimePicker::AMCaption() const {
  return CaptionOrDefault(FCaptionAM, GetLocaleDateInfo(LOCALE_USER_DEFAULT)->CaptionAM);
}
std::string TQvTimePicker::PMCaption() const {
  return CaptionOrDefault(FCaptionPM, GetLocaleDateInfo(LOCALE_USER_DEFAULT)->CaptionPM);
}
std::string TQvTimePicker::SetCaption() const {
  return CaptionOrDefault(FCaptionSet, GetLocaleDateInfo(LOCALE_USER_DEFAULT)->CaptionSet);
}
std::string TQvTimePicker::HowToUseText() const {
  if (!FHowToUseMsg.empty()) return FHowToUseMsg;
  return ::Format(GetLocaleDateInfo(LOCALE_USER_DEFAULT)->ClockHowToUse, {FRestrictMinutesBy});
}

void TQvTimePicker::SetTime(TDateTime Value) {
  TDateTime frac = Value - std::floor(Value);
  int h, m;
  HourMinute(frac, h, m);
  // Compared after the cut to whole minutes: seconds alone are no change.
  TDateTime t = EncodeTime(static_cast<Word>(h), static_cast<Word>(m), 0, 0);
  if (t == FTime) return;
  FTime = t;
  FPM = h >= 12;
  Changed();
  Invalidate();
}

void TQvTimePicker::SetRestrictMinutesBy(int Value) {
  if (Value < 1) return;
  FRestrictMinutesBy = Value;
}

void TQvTimePicker::SetHour(int H) {
  if (FPM && H < 12) H += 12;
  else if (!FPM && H == 12) H = 0;
  int h, m;
  HourMinute(FTime, h, m);
  SetTime(EncodeTime(static_cast<Word>(H % 24), static_cast<Word>(m), 0, 0));
}

void TQvTimePicker::SetMinutes(int M) {
  int h, m;
  HourMinute(FTime, h, m);
  SetTime(EncodeTime(static_cast<Word>(h), static_cast<Word>(M % 60), 0, 0));
}

void TQvTimePicker::ChangeToAM() {
  if (!FPM) return;
  FPM = false;
  int h, m;
  HourMinute(FTime, h, m);
  SetHour(h - 12);
}

void TQvTimePicker::ChangeToPM() {
  if (FPM) return;
  FPM = true;
  int h, m;
  HourMinute(FTime, h, m);
  SetHour(h + 12);
}

void TQvTimePicker::AdjustMinute(int Amount) {
  int h, m;
  HourMinute(FTime, h, m);
  int total = ((h * 60 + m + Amount) % MinsPerDay + MinsPerDay) % MinsPerDay;
  SetTime(EncodeTime(static_cast<Word>(total / 60), static_cast<Word>(total % 60), 0, 0));
}

void TQvTimePicker::AdjustHour(int Amount) { AdjustMinute(Amount * 60); }

void TQvTimePicker::SetFormat(const std::string& Value) {
  if (Value == FFormat) return;
  FFormat = Value;
  Invalidate();
}

void TQvTimePicker::SetCaptionAM(const std::string& Value) {
  if (Value == FCaptionAM) return;
  FCaptionAM = Value;
  AdjustForFont();
}

void TQvTimePicker::SetCaptionPM(const std::string& Value) {
  if (Value == FCaptionPM) return;
  FCaptionPM = Value;
  AdjustForFont();
}

void TQvTimePicker::SetCaptionSet(const std::string& Value) {
  if (Value == FCaptionSet) return;
  FCaptionSet = Value;
  AdjustForFont();
}

void TQvTimePicker::SetButtonColor(TColor Value) {
  if (Value == FButtonColor) return;
  FButtonColor = Value;
  Invalidate();
}

void TQvTimePicker::SetButtonFontColor(TColor Value) {
  if (Value == FButtonFontColor) return;
  FButtonFontColor = Value;
  Invalidate();
}

void TQvTimePicker::SetClockFaceColors(TQvClockFaceColors* Value) { FClockFaceColors->Assign(Value); }

void TQvTimePicker::SetShowSetButton(bool Value) {
  if (Value == FShowSetButton) return;
  FShowSetButton = Value;
  Invalidate();
}

void TQvTimePicker::SetShowTime(bool Value) {
  if (Value == FShowTime) return;
  FShowTime = Value;
  Invalidate();
}

void TQvTimePicker::SetThemeAware(bool Value) {
  if (Value == FThemeAware) return;
  FThemeAware = Value;
  Invalidate();
}

void TQvTimePicker::Changed() {
  if (OnChange) OnChange(this);
}

void TQvTimePicker::SetBtnClick() {
  if (OnSetBtnClick) OnSetBtnClick(this);
}

// ---------------------------------------------------------------------------
// Measuring, layout, angles

void TQvTimePicker::AdjustForFont() {
  TSize s = ScreenTextExtent(Font(), "0");
  FCharWidth = s.cx;
  FTextHeight = s.cy;
  FMinFontHeight = ScreenLineHeight(Font()) + 2;
  AdjustSize();
  Invalidate();
}

bool TQvTimePicker::CanAutoSize(int& NewWidth, int& NewHeight) {
  const int W = FCharWidth, T = FTextHeight;
  NewHeight = 10 * T + 4 * (T + 2);
  int x = FCaptionSet.empty() ? 24 * W : static_cast<int>(FCaptionSet.size() + 2) * 2 * W + 12 * W;
  NewWidth = std::max(13 * (W + 6), x);
  return true;
}

namespace {
// Where an AM or PM button's caption starts: after the radio glyph and a gap.
constexpr int kAmPmCaption = 17;
}  // namespace

void TQvTimePicker::CalcRects() {
  const int L = FMinFontHeight + 4;
  TRect client = ClientRect();
  AdjustClientRect(client);
  FTimeRect = FShowTime ? TRect{client.Left, client.Top, client.Right, L} : TRect{client.Left, client.Top, client.Right, client.Top};
  int h = Height();
  // Each radio button: the 13-pixel glyph, a gap, then its caption (kAmPmCaption from
  // the left edge) and a little room after it; PM keeps a gap from AM, so that the
  // glyphs do not touch the captions of the wider fonts here.
  FAMRect = TRect{5, h - 5 - L, 5 + ScreenTextWidth(Font(), AMCaption()) + kAmPmCaption + 2, h - 5};
  FPMRect = TRect{FAMRect.Right + 6, FAMRect.Top,
                  FAMRect.Right + 6 + ScreenTextWidth(Font(), PMCaption()) + kAmPmCaption + 2, FAMRect.Bottom};
  FSetRect = TRect{FPMRect.Right + (Width() - 5 - FPMRect.Right) / 3, FAMRect.Top, Width() - 5, FAMRect.Bottom};
  int D = Width() - 10, E = FAMRect.Top - 5 - FTimeRect.Bottom - 5;
  FCenter = TPoint{D / 2 + 5, FTimeRect.Bottom + 3 + E / 2};
  FRadius = std::max(0, std::min(D / 2, E / 2));
  FClockRect = TRect{FCenter.X - FRadius, FCenter.Y - FRadius, FCenter.X + FRadius, FCenter.Y + FRadius};
}

int TQvTimePicker::GetHourFromXY(int X, int Y) {
  CalcRects();
  double dx = X - FCenter.X, dy = Y - FCenter.Y;
  if (dx == 0) return dy < 1 ? 12 : 6;
  double a = NormalizedArcTan(dx, dy) + Pi / 3;
  if (a > 2 * Pi) a -= 2 * Pi;
  for (int h = 1; h <= 12; ++h)
    if (a < h * Pi / 6 - Pi / 12) return h;
  return 12;
}

int TQvTimePicker::GetMinuteFromXY(int X, int Y, bool Restrict) {
  CalcRects();
  double dx = X - FCenter.X, dy = Y - FCenter.Y;
  int minute = 0;
  if (dx == 0) {
    minute = dy < 1 ? 0 : 30;
  } else {
    double a = NormalizedArcTan(dx, dy) + Pi / 2;
    if (a > 2 * Pi) a -= 2 * Pi;
    for (int m = 1; m <= 60; ++m)
      if (a < m * Pi / 30 - Pi / 60) {
        minute = m - 1;
        break;
      }
  }
  if (FRestrictMinutes || Restrict) {
    int steps = 60 / FRestrictMinutesBy;
    minute = FRestrictMinutesBy * static_cast<int>(std::nearbyint(minute / 60.0 * steps));  // half to even
    if (minute >= 60) minute = 0;
  }
  return minute;
}

// ---------------------------------------------------------------------------
// Painting

void TQvTimePicker::DrawClock(TCanvas* C) {
  const TQvClockFaceColors& col = *FClockFaceColors;
  const int R = FRadius;
  if (R <= 0) return;
  C->Pen()->SetColor(Focused() ? DarkerColor(col.Face(), 40) : col.Face());
  C->Brush()->SetColor(col.Face());
  C->Brush()->SetStyle(bsSolid);
  C->Ellipse(FClockRect);
  // Hour numbers in bold, centred on their marks.
  C->Font()->Assign(Font());
  C->Font()->SetHeight(-static_cast<int>(std::lround(0.2 * R)));
  C->Font()->SetStyle({fsBold});
  C->Font()->SetColor(col.Numbers());
  C->Brush()->SetStyle(bsClear);
  int half = C->TextHeight("0") / 2;
  for (int h = 1; h <= 12; ++h) {
    TPoint p = ClockPoint(FCenter, h * Pi / 6 - Pi / 2, static_cast<int>(std::lround(0.75 * R)));
    std::string s = std::to_string(h);
    C->TextOut(p.X - C->TextWidth(s) / 2, p.Y - half, s);
  }
  C->Brush()->SetStyle(bsSolid);
  // Minute marks: squares every fifth minute, single pixels between.
  int sq = static_cast<int>(std::lround(0.02 * R));
  for (int m = 1; m <= 60; ++m) {
    TPoint p = ClockPoint(FCenter, m * Pi / 30 - Pi / 2, static_cast<int>(std::lround(0.92 * R)));
    if (m % 5 == 0) {
      C->Pen()->SetColor(col.HourTicks());
      C->Brush()->SetColor(col.HourTicks());
      C->Rectangle(p.X - sq, p.Y - sq, p.X + sq + 1, p.Y + sq + 1);
    } else {
      C->SetPixels(p.X, p.Y, col.MinuteTicks());
    }
  }
  // The hands: centre, base - half width, tip, base + half width.
  int hh, mm;
  HourMinute(FTime, hh, mm);
  auto hand = [&](double angle, double tip, double base) {
    int w = static_cast<int>(std::lround(0.04 * R));
    TPoint b = ClockPoint(FCenter, angle - Pi / 2, static_cast<int>(std::lround(base * R)));
    TPoint t = ClockPoint(FCenter, angle - Pi / 2, static_cast<int>(std::lround(tip * R)));
    int ox = static_cast<int>(std::lround(w * std::cos(angle))), oy = static_cast<int>(std::lround(w * std::sin(angle)));
    C->Pen()->SetColor(col.Hands());
    C->Brush()->SetColor(col.Hands());
    C->Polygon({FCenter, TPoint{b.X - ox, b.Y - oy}, t, TPoint{b.X + ox, b.Y + oy}});
  };
  hand(mm * Pi / 30, 0.8, 0.25);
  hand((hh % 12) * Pi / 6 + mm * Pi / 360, 0.5, 0.15);
}

void TQvTimePicker::DrawAmPm(TCanvas* C, const TRect& R, const std::string& Caption, bool Checked) {
  TRect g{R.Left, R.Top + (R.Height() - 13) / 2, R.Left + 13, R.Top + (R.Height() - 13) / 2 + 13};
  DrawRadioButton(C, g, Checked, Enabled() ? bdsNormal : bdsDisabled, false, htsInterior, FlatColor(), clWindowText,
                  clWindow, clWindow, clBtnFace, clWindow, FlatColor(), Color(), false, clNone, false, false, clWindow);
  C->Font()->Assign(Font());
  C->Brush()->SetColor(Color());
  C->Brush()->SetStyle(bsClear);
  TRect t{R.Left + kAmPmCaption, R.Top, R.Right - 2, R.Bottom};
  DrawText(C->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  C->Brush()->SetStyle(bsSolid);
}

std::string TQvTimePicker::TimeText() const {
  return FormatDateTime(FFormat.empty() ? "h:mm ampm" : FFormat, FTime);
}

void TQvTimePicker::Paint() {
  const bool themed = CalendarThemed(FThemeAware);
  TCanvas* c = Canvas();
  if (themed) PaintThemedFace(c, ClientRect(), Color());
  else inherited::Paint();
  CalcRects();
  if (FShowTime) {
    std::string text = TimeText();
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsClear);
    TRect r = FTimeRect;
    DrawText(c->Handle(), text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    c->Brush()->SetStyle(bsSolid);
    DrawCalendarSeparator(c, themed, FlatColor(), 5, Width() - 5, FTimeRect.Bottom);
  }
  DrawClock(c);
  DrawAmPm(c, FAMRect, AMCaption(), !FPM);
  DrawAmPm(c, FPMRect, PMCaption(), FPM);
  if (FShowSetButton) {
    c->Font()->Assign(Font());
    DrawPanelButton(this, c, FSetRect, SetCaption(), FSetDown, FThemeAware, FButtonColor, FButtonFontColor);
  }
}

// ---------------------------------------------------------------------------
// Input

void TQvTimePicker::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FocusOnPress(this);
  CalcRects();
  TPoint p{X, Y};
  if (Button == mbLeft) {
    FLeftDown = true;
    if (PtInRect(FAMRect, p)) FAMDown = true;
    else if (PtInRect(FPMRect, p)) FPMDown = true;
    else if (FShowSetButton && PtInRect(FSetRect, p)) FSetDown = true;
    else if (PtInRect(FClockRect, p)) {
      FClockDown = true;
      SetHour(GetHourFromXY(X, Y));
    }
    Invalidate();
  } else if (Button == mbRight) {
    FRightDown = true;
    if (PtInRect(FClockRect, p)) {
      FClockDown = true;
      FLastMinute = GetMinuteFromXY(X, Y, Shift.Contains(ssCtrl));
      SetMinutes(FLastMinute);
    }
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

// The how-to-use hint below the control while the pointer is over the clock.
void TQvTimePicker::DoHint(int X, int Y) {
  if (ComponentState().Contains(csDesigning)) return;
  CalcRects();
  if (!PtInRect(FClockRect, TPoint{X, Y}) || !GetActiveWindow()) {
    HideHint();
    return;
  }
  if (!FHintWindow) {
    FHintWindow = new THintWindow(this);
    FHintWindow->FreeNotification(this);
    FHintWindow->SetColor(Application->HintColor());
  }
  std::string text = HowToUseText();
  TRect r = FHintWindow->CalcHintRect(Screen->Width(), text);
  TPoint p = ClientToScreen({0, Height()});
  if (FHintWindow->Shown() && FHintWindow->Left() == p.X && FHintWindow->Top() == p.Y) return;
  OffsetRect(r, p.X, p.Y);
  FHintWindow->ActivateHint(r, text);
  FHintTimer->SetEnabled(true);
}

void TQvTimePicker::HideHint() {
  FHintTimer->SetEnabled(false);
  if (FHintWindow && FHintWindow->Shown()) {
    FHintWindow->ReleaseHandle();
    Invalidate();
  }
}

void TQvTimePicker::HintTick(TObject*) {
  TPoint p;
  GetCursorPos(&p);
  p = ScreenToClient(p);
  CalcRects();
  if (!PtInRect(FClockRect, p)) HideHint();
}

void TQvTimePicker::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FHintWindow) FHintWindow = nullptr;
}

void TQvTimePicker::MouseMove(TShiftState Shift, int X, int Y) {
  if (FShowHowToUseHint) DoHint(X, Y);
  CalcRects();
  TPoint p{X, Y};
  if (FClockDown && PtInRect(FClockRect, p)) {
    if (FLeftDown && Shift.Contains(ssLeft)) {
      SetHour(GetHourFromXY(X, Y));
    } else if (FRightDown && Shift.Contains(ssRight)) {
      int m = GetMinuteFromXY(X, Y, Shift.Contains(ssCtrl));
      if (m == 0 && FLastMinute > 30) AdjustHour(1);
      else if (m > 30 && FLastMinute < 30) AdjustHour(-1);
      FLastMinute = m;
      SetMinutes(m);
    }
  }
  inherited::MouseMove(Shift, X, Y);
}

void TQvTimePicker::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  CalcRects();
  TPoint p{X, Y};
  if (Button == mbLeft && FLeftDown) {
    if (FAMDown && PtInRect(FAMRect, p)) ChangeToAM();
    else if (FPMDown && PtInRect(FPMRect, p)) ChangeToPM();
    else if (FSetDown && PtInRect(FSetRect, p)) SetBtnClick();
    else if (FClockDown && PtInRect(FClockRect, p)) {
      SetHour(GetHourFromXY(X, Y));
      if (OnSetTime) OnSetTime(this);
    }
  } else if (Button == mbRight && FRightDown && FClockDown && PtInRect(FClockRect, p)) {
    SetMinutes(GetMinuteFromXY(X, Y, Shift.Contains(ssCtrl)));
    if (OnSetTime) OnSetTime(this);
  }
  FAMDown = FPMDown = FSetDown = FClockDown = FLeftDown = FRightDown = false;
  Invalidate();
  inherited::MouseUp(Button, Shift, X, Y);
}

void TQvTimePicker::KeyDown(WORD& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  switch (Key) {
    case VK_UP: AdjustMinute(1); break;
    case VK_DOWN: AdjustMinute(-1); break;
    case VK_PRIOR: AdjustHour(1); break;
    case VK_NEXT: AdjustHour(-1); break;
    case VK_RETURN:
      if (FShowSetButton) SetBtnClick();
      break;
    default: break;
  }
}

void TQvTimePicker::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_DIALOGCHAR:
      if (AnswerCaptionAccel(this, M,
                             {{AMCaption(), [this] { ChangeToAM(); }},
                              {PMCaption(), [this] { ChangeToPM(); }},
                              {SetCaption(), [this] { SetBtnClick(); }}}))
        return;
      break;
    case CM_MOUSELEAVE:
      inherited::Dispatch(M);
      HideHint();
      return;
    default:
      if (DispatchPopupFaceMessage(this, M, [&] { inherited::Dispatch(M); }, [this] { AdjustForFont(); })) return;
      break;
  }
  inherited::Dispatch(M);
}

const TClassInfo& TQvTimePicker::StaticClass() {
  using C = TQvTimePicker;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvTimePicker", &inherited::StaticClass());
    b.Component();
    AddPanelFraming(b, fsLowered);
    b.Bool("AutoSize", &C::AutoSize, &C::SetAutoSize, true)
        .Int("ButtonColor", &C::ButtonColor, &C::SetButtonColor, clBtnFace, {}, &ColorIdents())
        .Int("ButtonFontColor", &C::ButtonFontColor, &C::SetButtonFontColor, clWindowText, {}, &ColorIdents())
        .Str("CaptionAM", &C::CaptionAM, &C::SetCaptionAM)
        .Str("CaptionPM", &C::CaptionPM, &C::SetCaptionPM)
        .Str("CaptionSet", &C::CaptionSet, &C::SetCaptionSet)
        .Object<TQvClockFaceColors>("ClockFaceColors", &C::ClockFaceColors, &C::SetClockFaceColors)
        .Int("Color", &C::Color, &C::SetColor, clWindow, {}, &ColorIdents())
        .Int("FlatColorAdjustment", &C::FlatColorAdjustment,
             [](C* x, int64_t v) { x->SetFlatColorAdjustment(static_cast<int>(v)); }, 0)
        .Str("Format", &C::Format, &C::SetFormat)
        .Str("HowToUseMsg", &C::HowToUseMsg, &C::SetHowToUseMsg)
        .Bool("RestrictMinutes", &C::RestrictMinutes, &C::SetRestrictMinutes, false)
        .Int("RestrictMinutesBy", &C::RestrictMinutesBy,
             [](C* x, int64_t v) { x->SetRestrictMinutesBy(static_cast<int>(v)); }, 5)
        .Bool("ShowHowToUseHint", &C::ShowHowToUseHint, &C::SetShowHowToUseHint, true)
        .Bool("ShowSetButton", &C::ShowSetButton, &C::SetShowSetButton, false)
        .Bool("ShowTime", &C::ShowTime, &C::SetShowTime, true)
        .Bool("ThemeAware", &C::ThemeAware, &C::SetThemeAware, true)
        .Float("Time", &C::Time, &C::SetTime)
        .Int("Height", &C::Height, [](C* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, 190)
        .Int("Width", &C::Width, [](C* x, int64_t v) { x->SetWidth(static_cast<int>(v)); }, 160)
        .Int("BorderHighlight", &C::BorderHighlight, &C::SetBorderHighlight, clBtnHighlight, {}, &ColorIdents())
        .Int("BorderShadow", &C::BorderShadow, &C::SetBorderShadow, clBtnShadow, {}, &ColorIdents())
        .Event("OnChange", &C::OnChange)
        .Event("OnSetBtnClick", &C::OnSetBtnClick)
        .Event("OnSetTime", &C::OnSetTime);
    PublishInherited(b, {"Align", "Anchors", "BorderWidth", "Constraints", "Ctl3D", "Enabled", "Font", "ParentCtl3D",
                         "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder"})
        .Prop(TControl::Property("TabStop", 1));  // a new picker takes the focus by Tab
    PublishInherited(b, {"Visible", "OnClick", "OnDblClick", "OnEnter", "OnExit", "OnMouseDown", "OnMouseMove",
                         "OnMouseUp"});
    return b.Build();
  }();
  return info;
}
