#include "controls/editlist/calendar.h"

#include <algorithm>
#include <cmath>

#include "controls/common/colors.h"
#include "controls/common/frames.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "platform/controls/winmsg.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/graphics/gdi.h"
#include "platform/win32/localedata.h"

DTU_DEFINE_ENUM(TQvCalendarElement, "ceYear", "ceMonth", "ceArrows", "ceWeekNumbers", "ceDaysOfWeek",
                "ceFillDays", "ceTodayButton", "ceClearButton")
DTU_DEFINE_ENUM(TQvFirstDayOfWeek, "fdowMonday", "fdowTuesday", "fdowWednesday", "fdowThursday", "fdowFriday",
                "fdowSaturday", "fdowSunday", "fdowLocale")

namespace {

const TColor DefaultCalendarColors[TQvCalendarColors::Count] = {
    clWindowText, clBtnShadow, clWindowText, clBtnShadow, clHighlight, clHighlightText, 0x000080};

TDateTime WholeDays(TDateTime V) { return std::trunc(V); }

TDateTime FirstOfMonth(TDateTime V) {
  Word y, m, d;
  DecodeDate(V, y, m, d);
  return EncodeDate(y, m, 1);
}

[[noreturn]] void RaiseRange(bool Above, TDateTime Bound) {
  throw EQvCalendarError(Format(Above ? "Date exceeds maximum of %s" : "Date is less than minimum of %s",
                                {DateToStr(Bound)}));
}

}  // namespace

TQvCalendarElements DefaultCalendarElements() {
  return {ceYear, ceMonth, ceArrows, ceDaysOfWeek, ceFillDays, ceTodayButton, ceClearButton};
}

int DaysToBitmask(std::initializer_list<int> Days) {
  int mask = 0;
  for (int d : Days)
    if (d >= 1 && d <= 31) mask |= 1 << (d - 1);
  return mask;
}

// ---------------------------------------------------------------------------
// TQvCalendarColors

TQvCalendarColors::TQvCalendarColors(TControl* AOwner) : FOwner(AOwner) {
  std::copy(std::begin(DefaultCalendarColors), std::end(DefaultCalendarColors), FColors);
}

TColor TQvCalendarColors::GetColor(int Index) const { return GetIndexedColor(FColors, Index); }

void TQvCalendarColors::SetColor(int Index, TColor Value) { SetIndexedColor(FColors, Index, Value, FOwner); }

void TQvCalendarColors::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQvCalendarColors*>(Source)) {
    for (int i = 0; i < Count; ++i) SetColor(i, s->FColors[i]);
    return;
  }
  inherited::Assign(Source);
}

const TClassInfo& TQvCalendarColors::StaticClass() {
  using C = TQvCalendarColors;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvCalendarColors", &inherited::StaticClass());
    const char* names[Count] = {"Days",  "FillDays",         "DaysOfWeek",      "Lines",
                                "SelectedDateBack", "SelectedDateFore", "TodaysDateFrame"};
    for (int i = 0; i < Count; ++i)
      b.Int(names[i], [i](const C* x) { return x->GetColor(i); },
            [i](C* x, int64_t v) { x->SetColor(i, static_cast<TColor>(v)); }, DefaultCalendarColors[i], {},
            &ColorIdents());
    return b.Build();
  }();
  return info;
}

// ---------------------------------------------------------------------------
// TQvYearSpinner

TQvYearSpinner::TQvYearSpinner(TComponent* AOwner) : TQvSpinner(AOwner) {
  SetTabStop(false);
  SetVisible(false);
  SetMin(0);
  SetMax(9999);
}

void TQvYearSpinner::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.WindowClassStyle |= CS_SAVEBITS;
}

void TQvYearSpinner::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    Key = 0;
    if (OnHide) OnHide(this);
    return;
  }
  inherited::KeyDown(Key, Shift);
}

void TQvYearSpinner::KeyPress(char& Key) {
  if (Key == '\r' || Key == 27) {
    Key = 0;
    if (OnHide) OnHide(this);
    return;
  }
  if (Key == '\t') {
    Key = 0;
    return;
  }
  inherited::KeyPress(Key);
}

void TQvYearSpinner::Dispatch(TMessage& M) {
  inherited::Dispatch(M);
  if (M.Msg == WM_KILLFOCUS && Visible() && OnHide) OnHide(this);
}

const TClassInfo& TQvYearSpinner::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvYearSpinner>("TQvYearSpinner", &inherited::StaticClass()).Build();
  return info;
}

// ---------------------------------------------------------------------------
// TQvCalendar

TQvCalendar::TQvCalendar(TComponent* AOwner)
    : TQvCustomPanel(AOwner), FElements(DefaultCalendarElements()),
      FCalendarColors(std::make_unique<TQvCalendarColors>(this)) {
  FToday = ::Date();
  if (!ComponentState().Contains(csDesigning)) FDate = FToday;
  SetBounds(Left(), Top(), 147, 159);
  InitPopupFace(this);
  FTodayTimer = NewDisabledTimer(this, 1000, [this](TObject* s) { TodayTick(s); });
  FRepeatTimer = NewDisabledTimer(this, 50, [this](TObject* s) { RepeatTick(s); });
  FFirstDayIndex = GetLocaleDateInfo(LOCALE_USER_DEFAULT)->FirstDayOfWeek;
  FMonthMenu = new TPopupMenu(this);
  for (int m = 1; m <= 12; ++m) {
    auto* item = new TMenuItem(FMonthMenu);
    item->SetCaption(LongMonthNames[m - 1]);  // the caption's names: the user's locale
    item->SetTag(m);
    item->OnClick = [this](TObject* s) { MonthMenuClick(s); };
    FMonthMenu->Items()->Add(item);
  }
  FYearSpinner = new TQvYearSpinner(this);
  FYearSpinner->OnIncrement = [this](TObject*, int Amount) { YearIncrement(Amount); };
  FYearSpinner->OnDecrement = [this](TObject*, int Amount) { YearDecrement(Amount); };
  FYearSpinner->OnHide = [this](TObject*) { HideYearSpinner(); };
  FForced = true;
  SetViewDate(FDate != 0 ? FDate : FToday);
  FForced = false;
  SetAutoSize(true);
  AdjustForFont();
}

TQvCalendar::~TQvCalendar() { FCalendarColors->ClearOwner(); }

std::string TQvCalendar::CaptionText() const {
  return FormatDateTime(FElements.Contains(ceYear) ? "mmmm yyyy" : "mmmm", FViewDate);
}

std::string TQvCalendar::TodayCaption() const {
  return CaptionOrDefault(FCaptionTodayBtn, GetLocaleDateInfo(LOCALE_USER_DEFAULT)->CaptionToday);
}

std::string TQvCalendar::ClearCaption() const {
  return CaptionOrDefault(FCaptionClearBtn, GetLocaleDateInfo(LOCALE_USER_DEFAULT)->CaptionClear);
}

void TQvCalendar::CreateWnd() {
  inherited::CreateWnd();
  TQvFirstDayOfWeek f = FFirstDayOfWeek;
  FFirstDayOfWeek = static_cast<TQvFirstDayOfWeek>(-1);
  SetFirstDayOfWeek(f);
  FTodayTimer->SetEnabled(true);
}

void TQvCalendar::ForcedSetDate(TDateTime Value) {
  TRestore forced(FForced, true);
  SetDate(Value);
}

void TQvCalendar::SetDate(TDateTime Value) {
  Value = WholeDays(Value);
  if (!FForced && Value == FDate) return;
  FDate = Value;
  SetViewDate(FDate != 0 ? FDate : FToday);
  Changed();
  Invalidate();
}

// While a form is read, Date, MinDate and MaxDate are stored as they come: a form's
// lines may hold the date before the range that admits it. Loaded checks them once.
bool TQvCalendar::StoringRead() const { return ComponentState().Contains(csReading); }

void TQvCalendar::Loaded() {
  TQvCustomPanel::Loaded();
  if (FMinDate != 0 && FMaxDate != 0 && FMaxDate < FMinDate) RaiseRange(false, FMinDate);
  SetRange(FMinDate, FMaxDate);
}

void TQvCalendar::SetDateProperty(TDateTime Value) {
  if (StoringRead()) return SetDate(Value);
  int r = DateInRange(Value);
  if (r > 0) RaiseRange(true, FMaxDate);
  if (r < 0) RaiseRange(false, FMinDate);
  SetDate(Value);
}

int TQvCalendar::DateInRange(TDateTime Value) const {
  if (FMaxDate != 0 && Value > FMaxDate) return 1;
  if (FMinDate != 0 && Value < FMinDate) return -1;
  return 0;
}

void TQvCalendar::SetRange(TDateTime Min, TDateTime Max) {
  if (FDate == 0) return;
  if (Min != 0 && FDate < Min) SetDate(Min);
  else if (Max != 0 && FDate > Max) SetDate(Max);
}

void TQvCalendar::SetMinDate(TDateTime Value) {
  Value = WholeDays(Value);
  if (StoringRead()) {
    FMinDate = Value;
    return;
  }
  if (Value != 0 && FMaxDate != 0 && FMaxDate < Value) RaiseRange(true, FMaxDate);
  if (Value == FMinDate) return;
  SetRange(Value, FMaxDate);
  FMinDate = Value;
  Invalidate();
}

void TQvCalendar::SetMaxDate(TDateTime Value) {
  Value = WholeDays(Value);
  if (StoringRead()) {
    FMaxDate = Value;
    return;
  }
  if (Value != 0 && FMinDate != 0 && Value < FMinDate) RaiseRange(false, FMinDate);
  if (Value == FMaxDate) return;
  SetRange(FMinDate, Value);
  FMaxDate = Value;
  Invalidate();
}

void TQvCalendar::SetViewDate(TDateTime Value) {
  Value = FirstOfMonth(Value);
  if (!FForced && Value == FViewDate) return;
  FViewDate = Value;
  ViewDateChange();
  TDateTime last = FViewDate - 1;
  FFirstShownDate = last - ((DayOfWeek(last) + 5 - FFirstDayIndex) % 7);
  Invalidate();
}

void TQvCalendar::SetFirstDayOfWeek(TQvFirstDayOfWeek Value) {
  if (HandleAllocated())
    FFirstDayIndex = Value == fdowLocale ? GetLocaleDateInfo(LOCALE_USER_DEFAULT)->FirstDayOfWeek
                                         : static_cast<int>(Value);
  else if (Value != fdowLocale)
    FFirstDayIndex = static_cast<int>(Value);
  FFirstDayOfWeek = Value;
  ForcedSetDate(FDate);
}

void TQvCalendar::SetElements(TQvCalendarElements Value) {
  if (Value == FElements) return;
  FElements = Value;
  AdjustForFont();
}

void TQvCalendar::SetShowDays(bool Value) {
  if (Value == FShowDays) return;
  FShowDays = Value;
  AdjustForFont();
}

void TQvCalendar::SetButtonColor(TColor Value) {
  if (Value == FButtonColor) return;
  FButtonColor = Value;
  Invalidate();
}

void TQvCalendar::SetButtonFontColor(TColor Value) {
  if (Value == FButtonFontColor) return;
  FButtonFontColor = Value;
  Invalidate();
}

void TQvCalendar::SetCaptionClearBtn(const std::string& Value) {
  if (Value == FCaptionClearBtn) return;
  FCaptionClearBtn = Value;
  AdjustForFont();
}

void TQvCalendar::SetCaptionTodayBtn(const std::string& Value) {
  if (Value == FCaptionTodayBtn) return;
  FCaptionTodayBtn = Value;
  AdjustForFont();
}

void TQvCalendar::SetCalendarColors(TQvCalendarColors* Value) { FCalendarColors->Assign(Value); }

void TQvCalendar::SetThemeAware(bool Value) {
  if (Value == FThemeAware) return;
  FThemeAware = Value;
  Invalidate();
}

void TQvCalendar::Changed() {
  if (OnChange) OnChange(this);
}

void TQvCalendar::ViewDateChange() {
  if (OnViewDateChange) OnViewDateChange(this, FViewDate);
}

bool TQvCalendar::CanClear() {
  bool allow = true;
  if (OnClear) OnClear(this, allow);
  return allow;
}

bool TQvCalendar::CanGoToToday() {
  bool allow = true;
  if (OnToday) OnToday(this, allow);
  return allow;
}

void TQvCalendar::Today() {
  if (CanGoToToday()) ForcedSetDate(::Date());
}

void TQvCalendar::Clear() {
  if (CanClear()) ForcedSetDate(0);
}

// ---------------------------------------------------------------------------
// Measuring and layout

void TQvCalendar::AdjustForFont() {
  TSize s = ScreenTextExtent(Font(), "0");
  FCharWidth = s.cx;
  FTextHeight = s.cy;
  FTodayWidth = ScreenTextWidth(Font(), TodayCaption());
  FClearWidth = ScreenTextWidth(Font(), ClearCaption());
  AdjustSize();
  CalcAreas();
  Invalidate();
}

bool TQvCalendar::CanAutoSize(int& NewWidth, int& NewHeight) {
  const int W = FCharWidth, T = FTextHeight;
  int h = 4;
  if (FElements.Contains(ceYear) || FElements.Contains(ceMonth)) h += T + 5;
  if (FShowDays) {
    h += 6 * (T + 2) + 1;
    if (FElements.Contains(ceDaysOfWeek)) h += T + 3;
    int w = 7 * (2 * W + 5);
    if (FElements.Contains(ceWeekNumbers)) w += 2 * W + 5;
    bool today = FElements.Contains(ceTodayButton), clear = FElements.Contains(ceClearButton);
    if (today || clear) {
      h += T + 17;
      if (today && clear) w = std::max(w, FTodayWidth + FClearWidth + 39);
      else w = std::max(w, 34 + (today ? FTodayWidth : FClearWidth));
    }
    NewWidth = w + 4 * W;
  }
  NewHeight = h;
  return true;
}

void TQvCalendar::CalcAreas() {
  const int W = FCharWidth, T = FTextHeight;
  TRect r = ClientRect();
  AdjustClientRect(r);
  for (TRect& a : FAreas) a = TRect{0, 0, 0, 0};
  int top = r.Top;
  if (FElements.Contains(ceYear) || FElements.Contains(ceMonth)) {
    TRect strip{r.Left, r.Top, r.Right, r.Top + T + 5};
    top = strip.Bottom;
    std::string caption = FormatDateTime("mmmm", FViewDate);
    int capW = ScreenTextWidth(Font(), CaptionText());
    int monthW = ScreenTextWidth(Font(), caption);
    int x = (strip.Left + strip.Right - capW) / 2;
    if (FElements.Contains(ceYear)) Area(caYear) = strip;
    if (FElements.Contains(ceMonth))
      Area(caMonth) = TRect{strip.Left, strip.Top, x + monthW, strip.Bottom};
    if (FElements.Contains(ceArrows)) {
      Area(caLeftArrow) = TRect{strip.Left, strip.Top, strip.Left + T + 5, strip.Bottom};
      Area(caRightArrow) = TRect{strip.Right - T - 5, strip.Top, strip.Right, strip.Bottom};
    }
  }
  FDayBlock = TRect{0, 0, 0, 0};
  if (!FShowDays) return;
  TRect block{r.Left + 2 * W - 1, top, r.Right - 2 * W - 1, r.Bottom};
  bool today = FElements.Contains(ceTodayButton), clear = FElements.Contains(ceClearButton);
  if (today || clear) {
    TRect strip{r.Left, r.Bottom - (T + 18), r.Right, r.Bottom};
    int bh = T + 7;
    int tw = FTodayWidth + 17, cw = FClearWidth + 17;
    int total = (today ? tw : 0) + (clear ? cw : 0) + (today && clear ? 5 : 0);
    int x = (strip.Left + strip.Right - total) / 2;
    int y = strip.Top + (strip.Height() - bh) / 2;
    // Side by side, Today first; read right to left, Clear first.
    const bool swapped = UseRightToLeftReading();
    if (clear && swapped) {
      Area(caClearButton) = TRect{x, y, x + cw, y + bh};
      x += cw + 5;
    }
    if (today) {
      Area(caTodayButton) = TRect{x, y, x + tw, y + bh};
      x += tw + 5;
    }
    if (clear && !swapped) Area(caClearButton) = TRect{x, y, x + cw, y + bh};
    block.Bottom = strip.Top + 1;
  }
  if (FElements.Contains(ceWeekNumbers)) {
    Area(caWeekNumbers) = TRect{block.Left, block.Top, block.Left + 2 * W + 10, block.Bottom};
    block.Left += 2 * W + 10;
  }
  bool header = FElements.Contains(ceDaysOfWeek);
  int rows = 6 + (header ? 1 : 0);
  FCellWidth = block.Width() / 7;
  FRowHeight = (block.Height() - (header ? 2 : 1)) / rows;
  if (header) {
    Area(caDaysOfWeek) = TRect{block.Left, block.Top, block.Right, block.Top + FRowHeight};
    block.Top += FRowHeight + 2;
  }
  FDayBlock = TRect{block.Left, block.Top, block.Left + 7 * FCellWidth, block.Top + 6 * FRowHeight};
  Area(caDays) = FDayBlock;
}

TRect TQvCalendar::CellRect(int Row, int Col) {
  CalcAreas();
  int x = FDayBlock.Left + Col * FCellWidth, y = FDayBlock.Top + Row * FRowHeight;
  return TRect{x, y, x + FCellWidth, y + FRowHeight};
}

TRect TQvCalendar::AreaRect(TQvCalendarArea Which) {
  CalcAreas();
  return Area(Which);
}

TQvCalendarArea TQvCalendar::AreaAt(int X, int Y) {
  CalcAreas();
  for (int i = 9; i >= 0; --i)
    if (i != static_cast<int>(caFillDays) && PtInRect(FAreas[i], TPoint{X, Y})) return static_cast<TQvCalendarArea>(i);
  return caFillDays;
}

TDateTime TQvCalendar::HitTest(int X, int Y) {
  CalcAreas();
  if (!PtInRect(FDayBlock, TPoint{X, Y}) || FCellWidth <= 0 || FRowHeight <= 0) return 0;
  int col = (X - FDayBlock.Left) / FCellWidth, row = (Y - FDayBlock.Top) / FRowHeight;
  TDateTime d = FFirstShownDate + row * 7 + col;
  if (!FElements.Contains(ceFillDays) && FirstOfMonth(d) != FViewDate) return 0;
  return d;
}

// ---------------------------------------------------------------------------
// Painting

void TQvCalendar::DrawButton(TCanvas* C, const TRect& R, const std::string& Caption, TQvCalendarArea Area) {
  bool pressed = FPressedArea == Area && FOverArea == Area;
  DrawPanelButton(this, C, R, Caption, pressed, FThemeAware, FButtonColor, FButtonFontColor);
}

void TQvCalendar::Paint() {
  const bool themed = CalendarThemed(FThemeAware);
  TCanvas* c = Canvas();
  if (themed) PaintThemedFace(c, ClientRect(), Color());
  else inherited::Paint();
  CalcAreas();
  TRect client = ClientRect();
  AdjustClientRect(client);
  c->SetFont(Font());
  if (FElements.Contains(ceYear) || FElements.Contains(ceMonth)) PaintCaption(c, client, themed);
  if (!FShowDays) return;
  if (FElements.Contains(ceTodayButton) || FElements.Contains(ceClearButton)) PaintButtons(c, client, themed);
  c->Brush()->SetColor(Color());
  if (FElements.Contains(ceDaysOfWeek)) PaintDaysOfWeek(c);
  PaintDays(c);
  c->Font()->SetStyle(Font()->Style());
  if (FElements.Contains(ceWeekNumbers)) PaintWeekNumbers(c);
}

// The caption strip: its background (only above the days), month and year, the
// arrows and the separator below it.
void TQvCalendar::PaintCaption(TCanvas* C, const TRect& Client, bool Themed) {
  const int T = FTextHeight;
  TRect strip{Client.Left, Client.Top, Client.Right, Client.Top + T + 5};
  if (FShowDays) {
    bool flat = IsFlatBorderStyle(BorderOuter());
    if (Themed) {
      TColor start, stop;
      GetGradientColors(start, stop);
      C->Brush()->SetColor(stop);
      C->FillRect(strip);
    } else {
      TRect inner = flat ? strip : DrawBorder(C, strip, fsPopup);
      C->Brush()->SetColor(FButtonColor);
      C->FillRect(inner);
    }
  }
  std::string text = CaptionText();
  C->Brush()->SetStyle(bsClear);
  C->Font()->SetColor(Font()->Color());
  TRect tr = strip;
  DrawText(C->Handle(), text.c_str(), static_cast<int>(text.size()), &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  C->Brush()->SetStyle(bsSolid);
  if (FElements.Contains(ceArrows)) PaintArrows(C);
  if (FShowDays)
    DrawCalendarSeparator(C, Themed, FCalendarColors->Lines(), Client.Left + 2, Client.Right - 2, strip.Bottom);
}

// Month arrows: one solid triangle pointing outward, centred in its square, the
// right one the left one's mirror image. Drawn column by column from the tip, each
// column two pixels taller than the last, so both are exactly alike.
void TQvCalendar::PaintArrows(TCanvas* C) {
  const int T = FTextHeight;
  C->Brush()->SetColor(Font()->Color());
  for (int side = 0; side < 2; ++side) {
    const TQvCalendarArea area = side == 0 ? caLeftArrow : caRightArrow;
    const TRect a = Area(area);
    const int h = std::max(2, T / 4);
    const bool down = FPressedArea == area && FOverArea == FPressedArea;
    const int cy = (a.Top + a.Bottom) / 2 + (down ? 1 : 0);
    // The tip's distance from the square's outer edge, as the left arrow has it.
    const int tip = (a.Right - a.Left) / 2 - h / 2 - 1 + (down ? 1 : 0);
    for (int k = 0; k <= h; ++k) {
      const int x = side == 0 ? a.Left + tip + k : a.Right - 1 - tip - k;
      C->FillRect(TRect{x, cy - k, x + 1, cy + k + 1});
    }
  }
}

// The separator above the button strip and the Today and Clear buttons.
void TQvCalendar::PaintButtons(TCanvas* C, const TRect& Client, bool Themed) {
  DrawCalendarSeparator(C, Themed, FCalendarColors->Lines(), Client.Left + 2, Client.Right - 2,
                        Client.Bottom - (FTextHeight + 18));
  if (FElements.Contains(ceTodayButton)) DrawButton(C, Area(caTodayButton), TodayCaption(), caTodayButton);
  if (FElements.Contains(ceClearButton)) DrawButton(C, Area(caClearButton), ClearCaption(), caClearButton);
}

// Day-of-week header in a font one point smaller, right-aligned in its cells, and
// the line below it.
void TQvCalendar::PaintDaysOfWeek(TCanvas* C) {
  const TQvCalendarColors& col = *FCalendarColors;
  TRect hdr = Area(caDaysOfWeek);
  C->Font()->SetSize(Font()->Size() - 1);
  C->Font()->SetColor(col.DaysOfWeek());
  // The day names of the formatting globals, so the header speaks the caption's language.
  std::string names[7];
  int widest = 0;
  for (int i = 0; i < 7; ++i) {
    names[i] = ShortDayNames[(FFirstDayIndex + 1 + i) % 7];
    widest = std::max(widest, C->TextWidth(names[i]));
  }
  // Too wide: the first two letters, then the first one. Chinese names ("周一")
  // keep their last character instead, the one that tells the days apart.
  auto shorten = [](const std::string& N, size_t Letters) {
    if (!N.empty() && IsGbkLeadByte(static_cast<unsigned char>(N[0])))
      return N.size() >= 2 ? N.substr(N.size() - 2) : N;
    return N.substr(0, Letters);
  };
  const int room = FCellWidth - 3;  // the width the names are drawn in
  if (widest > room) {
    for (std::string& n : names) n = shorten(n, 2);
    widest = 0;
    for (std::string& n : names) widest = std::max(widest, C->TextWidth(n));
    if (widest > room)
      for (std::string& n : names) n = shorten(n, 1);
  }
  C->Brush()->SetStyle(bsClear);
  for (int i = 0; i < 7; ++i) {
    TRect cell{hdr.Left + i * FCellWidth, hdr.Top, hdr.Left + (i + 1) * FCellWidth - 3, hdr.Bottom};
    DrawText(C->Handle(), names[i].c_str(), static_cast<int>(names[i].size()), &cell,
             DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  }
  C->Brush()->SetStyle(bsSolid);
  C->Font()->SetSize(Font()->Size());
  C->Pen()->SetColor(col.Lines());
  C->MoveTo(hdr.Left, hdr.Bottom);
  C->LineTo(hdr.Left + 7 * FCellWidth, hdr.Bottom);
}

// The 6 x 7 day cells; bold days are asked once per shown month (previous, shown,
// next).
void TQvCalendar::PaintDays(TCanvas* C) {
  int BoldMasks[3] = {0, 0, 0};
  if (OnGetBoldDays) {
    for (int i = 0; i < 3; ++i) {
      Word y, m, d;
      DecodeDate(IncMonth(FViewDate, i - 1), y, m, d);
      OnGetBoldDays(this, y, m, BoldMasks[i]);
    }
  }
  for (int row = 0; row < 6; ++row)
    for (int column = 0; column < 7; ++column) PaintDay(C, row, column, BoldMasks);
}

// One day cell: its fill, the right-aligned number, today's outline and the focus
// rectangle of the selected day. Days of other months only with ceFillDays.
void TQvCalendar::PaintDay(TCanvas* C, int Row, int Column, const int (&BoldMasks)[3]) {
  const TQvCalendarColors& col = *FCalendarColors;
  TDateTime day = FFirstShownDate + Row * 7 + Column;
  TDateTime month = FirstOfMonth(day);
  bool other = month != FViewDate;
  if (other && !FElements.Contains(ceFillDays)) return;
  TRect cell{FDayBlock.Left + Column * FCellWidth, FDayBlock.Top + Row * FRowHeight,
             FDayBlock.Left + (Column + 1) * FCellWidth, FDayBlock.Top + (Row + 1) * FRowHeight};
  Word y, m, d;
  DecodeDate(day, y, m, d);
  TColor back = Color();
  TColor fore = other || DateInRange(day) != 0 ? col.FillDays() : col.Days();
  TFontStyles style = Font()->Style();
  int which = month < FViewDate ? 0 : month > FViewDate ? 2 : 1;
  if (BoldMasks[which] & (1 << (d - 1))) style << fsBold;
  if (OnGetDayFormat) OnGetDayFormat(this, day, y, m, d, back, fore, style);
  TRect face = cell;
  InflateRect(face, -1, 0);
  if (day == FDate) {
    back = col.SelectedDateBack();
    fore = col.SelectedDateFore();
  }
  if (back != Color()) {
    C->Brush()->SetColor(back);
    C->FillRect(face);
  }
  C->Font()->SetStyle(style);
  C->Font()->SetColor(fore);
  C->Brush()->SetStyle(bsClear);
  std::string text = std::to_string(d);
  TRect tr{cell.Left, cell.Top, cell.Right - 3, cell.Bottom};
  DrawText(C->Handle(), text.c_str(), static_cast<int>(text.size()), &tr, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  C->Brush()->SetStyle(bsSolid);
  if (day == FToday) {
    C->Brush()->SetColor(col.TodaysDateFrame());
    C->FrameRect(face);
  }
  if (day == FDate && Focused()) {
    C->Brush()->SetColor(Color());
    C->Font()->SetColor(clWindowText);
    C->DrawFocusRect(face);
  }
}

// The week number of each row's first date, centred, and the line right of them.
void TQvCalendar::PaintWeekNumbers(TCanvas* C) {
  TRect wk = Area(caWeekNumbers);
  C->Font()->SetColor(FCalendarColors->DaysOfWeek());
  C->Brush()->SetStyle(bsClear);
  for (int row = 0; row < 6; ++row) {
    TDateTime first = FFirstShownDate + row * 7;
    int week = WeekOfTheYear(first);
    if (OnGetWeekNumber) OnGetWeekNumber(this, first, week);
    std::string text = std::to_string(week);
    TRect tr{wk.Left, FDayBlock.Top + row * FRowHeight, wk.Right - 4, FDayBlock.Top + (row + 1) * FRowHeight};
    DrawText(C->Handle(), text.c_str(), static_cast<int>(text.size()), &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  C->Brush()->SetStyle(bsSolid);
  C->Pen()->SetColor(FCalendarColors->Lines());
  C->MoveTo(wk.Right - 2, FDayBlock.Top);
  C->LineTo(wk.Right - 2, FDayBlock.Bottom);
}

// ---------------------------------------------------------------------------
// Mouse, keyboard, timers

void TQvCalendar::MonthMenuClick(TObject* Sender) {
  auto* item = static_cast<TMenuItem*>(Sender);
  Word y, m, d;
  DecodeDate(FViewDate, y, m, d);
  SetViewDate(IncMonth(FViewDate, static_cast<int>(item->Tag()) - m));
}

void TQvCalendar::ShowYearSpinner() {
  Word y, m, d;
  DecodeDate(FViewDate, y, m, d);
  FYearSpinner->SetParent(this);
  FYearSpinner->SetValue(y);
  if (FMaxDate != 0) {
    Word my, mm, md;
    DecodeDate(FMaxDate, my, mm, md);
    FYearSpinner->SetMax(my);
    FYearSpinner->SetCheckRange(true);
  }
  if (FMinDate != 0) {
    Word my, mm, md;
    DecodeDate(FMinDate, my, mm, md);
    FYearSpinner->SetMin(my);
    FYearSpinner->SetCheckRange(true);
  }
  CalcAreas();
  TRect year = Area(caYear);
  TRect month = Area(caMonth);
  const int blank = ScreenTextWidth(Font(), " ");
  const int bw = FYearSpinner->ButtonWidth();
  int left = month.Right - bw - blank;
  int width = 2 * blank + ScreenTextWidth(Font(), std::to_string(y)) + 2 * bw;
  FYearSpinner->SetBounds(left, year.Top - 1, width, year.Height() + 2);
  FYearSpinnerShown = true;
  FYearSpinner->SetVisible(true);
  if (FYearSpinner->CanFocus()) FYearSpinner->SetFocus();
}

void TQvCalendar::HideYearSpinner() {
  if (!FYearSpinnerShown) return;
  FYearSpinnerShown = false;
  FYearSpinner->SetVisible(false);
  if (CanFocus()) SetFocus();
}

void TQvCalendar::YearIncrement(int Amount) {
  TDateTime v = IncMonth(FViewDate, 12 * Amount);
  if (FMaxDate != 0 && v > FMaxDate) v = FirstOfMonth(FMaxDate);
  SetViewDate(v);
}

void TQvCalendar::YearDecrement(int Amount) {
  Word y, m, d;
  DecodeDate(FViewDate, y, m, d);
  if (y - Amount <= 0) return;
  TDateTime v = IncMonth(FViewDate, -12 * Amount);
  if (FMinDate != 0 && v < FirstOfMonth(FMinDate)) v = FirstOfMonth(FMinDate);
  SetViewDate(v);
}

void TQvCalendar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FYearSpinnerShown) {
    HideYearSpinner();
    return;
  }
  if (Button == mbLeft) {
    FocusOnPress(this);  // CanFocus asks for a visible calendar
    TRect client = ClientRect();
    FOverArea = PtInRect(client, TPoint{X, Y}) ? AreaAt(X, Y) : caFillDays;
    FClickSuppressed = false;
    FPressedArea = FOverArea;
    Invalidate();
    if (FPressedArea == caLeftArrow || FPressedArea == caRightArrow) {
      // The step at once stands for tick 0, so the next comes 250 ms later (a count
      // from -1 would step again on the first 50 ms tick).
      FRepeatCount = 0;
      StepArrow();
      FRepeatTimer->SetEnabled(true);
    } else if (FPressedArea == caYear) {
      ShowYearSpinner();
    } else if (FPressedArea == caMonth) {
      Word y, m, d;
      DecodeDate(FViewDate, y, m, d);
      for (int i = 0; i < FMonthMenu->Items()->Count(); ++i)
        FMonthMenu->Items()->Items(i)->SetChecked(i + 1 == m);
      TPoint s = ClientToScreen({X, Y});
      FPressedArea = caFillDays;
      FMonthMenu->Popup(s.X, s.Y);
    } else if (FPressedArea == caDays) {
      UpdateHighlight(X, Y);
    }
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

void TQvCalendar::MouseMove(TShiftState Shift, int X, int Y) {
  TQvCalendarArea a = AreaAt(X, Y);
  if (a != FOverArea) {
    FOverArea = a;
    if (FPressedArea != caFillDays) Invalidate();
  }
  if (Shift.Contains(ssLeft) && FPressedArea == caDays) UpdateHighlight(X, Y);
  inherited::MouseMove(Shift, X, Y);
}

void TQvCalendar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);  // a click runs while the pressed area is still known
  if (Button == mbLeft) {
    FPressedArea = caFillDays;
    FRepeatTimer->SetEnabled(false);
    Invalidate();
  }
}

void TQvCalendar::UpdateHighlight(int X, int Y) {
  if (FPressedArea != caDays || FOverArea != caDays) return;
  TDateTime d = HitTest(X, Y);
  if (d != 0 && DateInRange(d) == 0) {
    if (d != FDate) {
      FDate = d;
      Changed();
    }
    Invalidate();
  } else {
    FClickSuppressed = true;
  }
}

void TQvCalendar::Click() {
  if (FPressedArea != FOverArea) return;
  switch (FPressedArea) {
    case caDays:
      if (!FClickSuppressed && FDate != 0 && FirstOfMonth(FDate) != FViewDate) SetViewDate(FDate);
      break;
    case caTodayButton: Today(); break;
    case caClearButton: Clear(); break;
    default: return;
  }
  if (!FClickSuppressed) inherited::Click();
}

// Double clicks count only on days and buttons, not on the caption or arrows.
void TQvCalendar::DblClick() {
  if (FOverArea == caDays || FOverArea == caTodayButton || FOverArea == caClearButton) inherited::DblClick();
}

void TQvCalendar::StepArrow() {
  if (FOverArea != FPressedArea) return;
  int dir = FPressedArea == caLeftArrow ? -1 : 1;
  if (UseRightToLeftReading()) dir = -dir;  // the left arrow goes forward
  SetViewDate(IncMonth(FViewDate, dir));
}

void TQvCalendar::RepeatTick(TObject*) {
  ++FRepeatCount;
  bool step = FRepeatCount < 20 ? FRepeatCount % 5 == 0 : FRepeatCount < 200 ? FRepeatCount % 2 == 0 : true;
  if (step) StepArrow();
}

void TQvCalendar::TodayTick(TObject*) {
  TDateTime t = ::Date();
  if (t != FToday) {
    FToday = t;
    Invalidate();
  }
}

void TQvCalendar::KeyDown(WORD& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (Shift.Contains(ssShift) || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return;
  TDateTime base = FDate != 0 ? FDate : ::Date();
  TDateTime next = base;
  Word y, m, d;
  DecodeDate(base, y, m, d);
  switch (Key) {
    case VK_LEFT: next = base - 1; break;
    case VK_RIGHT: next = base + 1; break;
    case VK_UP: next = base - 7; break;
    case VK_DOWN: next = base + 7; break;
    case VK_HOME: next = EncodeDate(y, m, 1); break;
    case VK_END: next = EncodeDate(y, m, DaysInAMonth(y, m)); break;
    case VK_PRIOR:
      if (!FElements.Contains(ceMonth)) return;
      next = IncMonth(base, -1);
      break;
    case VK_NEXT:
      if (!FElements.Contains(ceMonth)) return;
      next = IncMonth(base, 1);
      break;
    case VK_RETURN: inherited::Click(); return;
    default: return;
  }
  // The mouse cannot leave MinDate..MaxDate, and neither can the keyboard.
  if (FMinDate != 0 && next < FMinDate) next = FMinDate;
  if (FMaxDate != 0 && next > FMaxDate) next = FMaxDate;
  SetDate(next);
}

void TQvCalendar::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND: M.Result = 1; return;
    case CM_DIALOGCHAR:
      if (AnswerCaptionAccel(this, M, {{ClearCaption(), [this] { Clear(); }}, {TodayCaption(), [this] { Today(); }}}))
        return;
      break;
    default:
      if (DispatchPopupFaceMessage(this, M, [&] { inherited::Dispatch(M); }, [this] { AdjustForFont(); })) return;
      break;
  }
  inherited::Dispatch(M);
}

void TQvCalendar::DefineProperties(TFiler* Filer) { inherited::DefineProperties(Filer); }

const TClassInfo& TQvCalendar::StaticClass() {
  using C = TQvCalendar;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvCalendar", &inherited::StaticClass());
    b.Component();
    AddPanelFraming(b, fsStatus);
    b.Bool("AutoSize", &C::AutoSize, &C::SetAutoSize, true)
        .Int("ButtonColor", &C::ButtonColor, &C::SetButtonColor, clBtnFace, {}, &ColorIdents())
        .Int("ButtonFontColor", &C::ButtonFontColor, &C::SetButtonFontColor, clWindowText, {}, &ColorIdents())
        .Object<TQvCalendarColors>("CalendarColors", &C::CalendarColors, &C::SetCalendarColors)
        .Str("CaptionClearBtn", &C::CaptionClearBtn, &C::SetCaptionClearBtn)
        .Str("CaptionTodayBtn", &C::CaptionTodayBtn, &C::SetCaptionTodayBtn)
        .Int("Color", &C::Color, &C::SetColor, clWindow, {}, &ColorIdents())
        .Float("Date", &C::Date, &C::SetDateProperty)
        .Set<TQvCalendarElement>("Elements", &C::Elements, &C::SetElements, DefaultCalendarElements())
        .Enum<TQvFirstDayOfWeek>("FirstDayOfWeek", &C::FirstDayOfWeek, &C::SetFirstDayOfWeek, fdowLocale)
        .Int("FlatColorAdjustment", &C::FlatColorAdjustment,
             [](C* x, int64_t v) { x->SetFlatColorAdjustment(static_cast<int>(v)); }, 0)
        .Float("MaxDate", &C::MaxDate, &C::SetMaxDate, [](C* x) { return x->MaxDate() != 0; })
        .Float("MinDate", &C::MinDate, &C::SetMinDate, [](C* x) { return x->MinDate() != 0; })
        .Bool("ShowDays", &C::ShowDays, &C::SetShowDays, true)
        .Bool("ThemeAware", &C::ThemeAware, &C::SetThemeAware, true)
        .Int("Height", &C::Height, [](C* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, 159)
        .Int("Width", &C::Width, [](C* x, int64_t v) { x->SetWidth(static_cast<int>(v)); }, 147)
        .Int("BorderHighlight", &C::BorderHighlight, &C::SetBorderHighlight, clBtnHighlight, {}, &ColorIdents())
        .Int("BorderShadow", &C::BorderShadow, &C::SetBorderShadow, clBtnShadow, {}, &ColorIdents())
        .Event("OnChange", &C::OnChange)
        .Event("OnGetBoldDays", &C::OnGetBoldDays)
        .Event("OnGetDayFormat", &C::OnGetDayFormat)
        .Event("OnGetWeekNumber", &C::OnGetWeekNumber)
        .Event("OnViewDateChange", &C::OnViewDateChange)
        .Event("OnToday", &C::OnToday)
        .Event("OnClear", &C::OnClear);
    PublishInherited(b, {"Align", "Anchors", "BorderWidth", "Constraints", "Ctl3D", "Enabled", "Font", "ParentCtl3D",
                         "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder"})
        .Prop(TControl::Property("TabStop", 1));  // a new calendar takes the focus by Tab
    PublishInherited(b, {"Visible", "OnClick", "OnDblClick", "OnEnter", "OnExit", "OnMouseDown", "OnMouseMove",
                         "OnMouseUp"});
    return b.Build();
  }();
  return info;
}
