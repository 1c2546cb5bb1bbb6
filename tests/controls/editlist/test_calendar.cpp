// The calendar: measuring, layout, dates and ranges, mouse, keyboard, arrow repeat,
// painting by region and its form stream.
#include "controls/editlist/calendar.h"

#include <memory>

#include "controls/common/themes.h"
#include "edit_fixture.h"
#include "platform/theme/themefake.h"
#include "platform/graphics/graphics.h"

namespace {

class CalendarTest : public EditTest {
protected:
  TQvCalendar* Make(TDateTime Date) {
    auto* c = Place<TQvCalendar>(10, 10, 50, 50);
    c->SetFirstDayOfWeek(fdowMonday);
    Show();
    c->SetDate(Date);
    return c;
  }
  // Pixels of the calendar painted alone.
  std::unique_ptr<TBitmap> Shot(TQvCalendar* C) {
    auto b = std::make_unique<TBitmap>(C->Width(), C->Height());
    C->PaintTo(b->Canvas()->Handle(), 0, 0);
    return b;
  }
  // Pixels of R that are not Color: text and lines drawn over a background.
  static int CountNot(TBitmap* B, const TRect& R, TColor Color) {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) n += ColorToRGB(B->Canvas()->Pixels(x, y)) != ColorToRGB(Color);
    return n;
  }
  static int Count(TBitmap* B, const TRect& R, TColor Color) {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) n += ColorToRGB(B->Canvas()->Pixels(x, y)) == ColorToRGB(Color);
    return n;
  }
  void PressAt(TQvCalendar* C, TPoint P) { Press(C, P, true); Application->ProcessMessages(); }
  void ReleaseAt(TQvCalendar* C, TPoint P) { Press(C, P, false); Application->ProcessMessages(); }
};

TEST_F(CalendarTest, AutoSize) {
  auto* c = Place<TQvCalendar>(10, 10, 50, 50);
  Show();
  // The default font's "0" is 7 x 13 here: 4 + 18 + 6 x 15 + 1 + 16 + 30 = 159 high,
  // 7 x (2 x 7 + 5) + 4 x 7 = 161 wide (147 where the "0" is 6 wide).
  EXPECT_EQ(c->TextHeight(), 13);
  EXPECT_EQ(c->Height(), 159);
  EXPECT_EQ(c->Width(), 7 * (2 * c->CharWidth() + 5) + 4 * c->CharWidth());
  c->SetElements(DefaultCalendarElements() + TQvCalendarElements{ceWeekNumbers});
  EXPECT_EQ(c->Width(), 8 * (2 * c->CharWidth() + 5) + 4 * c->CharWidth());
  c->SetElements({ceYear, ceMonth, ceArrows});
  EXPECT_EQ(c->Height(), 4 + 18 + 6 * 15 + 1);
}

TEST_F(CalendarTest, FirstShownDate) {
  struct Case {
    TQvFirstDayOfWeek first;
    TDateTime date, firstShown;
  } cases[] = {
      {fdowMonday, EncodeDate(2024, 5, 15), EncodeDate(2024, 4, 29)},  // 1 May is a Wednesday
      {fdowMonday, EncodeDate(2024, 4, 10), EncodeDate(2024, 3, 25)},  // 1 April is a Monday: a whole week before
      {fdowSunday, EncodeDate(2024, 9, 3), EncodeDate(2024, 8, 25)},   // 1 September is a Sunday
      {fdowSunday, EncodeDate(2024, 5, 15), EncodeDate(2024, 4, 28)},
  };
  auto* c = Make(EncodeDate(2024, 1, 1));
  for (const Case& k : cases) {
    c->SetFirstDayOfWeek(k.first);
    c->SetDate(k.date);
    EXPECT_EQ(c->FirstShownDate(), k.firstShown);
    TRect cell = c->CellRect(0, 0);
    EXPECT_EQ(c->HitTest(cell.Left + 2, cell.Top + 2), k.firstShown);
  }
}

TEST_F(CalendarTest, RangeRules) {
  auto* c = Make(EncodeDate(2024, 5, 15));
  c->SetMaxDate(EncodeDate(2024, 5, 20));
  try {
    c->SetMinDate(EncodeDate(2024, 5, 21));
    FAIL() << "a minimum after the maximum was taken";
  } catch (const EQvCalendarError& e) {
    EXPECT_EQ(std::string(e.what()), "Date exceeds maximum of " + DateToStr(EncodeDate(2024, 5, 20)));
  }
  EXPECT_NO_THROW(c->SetMinDate(0));
  EXPECT_THROW(c->SetDateProperty(EncodeDate(2024, 5, 21)), EQvCalendarError);
  EXPECT_EQ(c->Date(), EncodeDate(2024, 5, 15));
  c->SetMinDate(EncodeDate(2024, 5, 16));  // the date moves into the range
  EXPECT_EQ(c->Date(), EncodeDate(2024, 5, 16));
  // Clear: OnClear may refuse; twice fires OnChange twice.
  int changes = 0;
  c->OnChange = [&](TObject*) { ++changes; };
  c->OnClear = [](TObject*, bool& Allow) { Allow = false; };
  c->Clear();
  EXPECT_EQ(c->Date(), EncodeDate(2024, 5, 16));
  c->OnClear = nullptr;
  c->Clear();
  c->Clear();
  EXPECT_TRUE(c->IsClear());
  EXPECT_EQ(changes, 2);
}

TEST_F(CalendarTest, KeyboardStopsAtTheRange) {
  auto* c = Make(EncodeDate(2024, 5, 15));
  c->SetMinDate(EncodeDate(2024, 5, 10));
  c->SetMaxDate(EncodeDate(2024, 5, 18));
  c->SetFocus();
  struct Step {
    WORD key;
    TDateTime expected;
  } steps[] = {
      {VK_RIGHT, EncodeDate(2024, 5, 16)}, {VK_DOWN, EncodeDate(2024, 5, 18)},  // +7 stops at MaxDate
      {VK_RIGHT, EncodeDate(2024, 5, 18)}, {VK_NEXT, EncodeDate(2024, 5, 18)},
      {VK_UP, EncodeDate(2024, 5, 11)},    {VK_HOME, EncodeDate(2024, 5, 10)},  // the 1st is below MinDate
      {VK_END, EncodeDate(2024, 5, 18)},
  };
  for (const Step& s : steps) {
    Key(s.key);
    EXPECT_EQ(c->Date(), s.expected) << "key " << s.key;
  }
}

TEST_F(CalendarTest, MouseSelectsDaysInRangeOnly) {
  auto* c = Make(EncodeDate(2024, 5, 15));
  c->SetMaxDate(EncodeDate(2024, 5, 20));
  int clicks = 0;
  c->OnClick = [&](TObject*) { ++clicks; };
  // Row 0 starts on Monday 29 April; 22 May is row 3, column 2.
  TRect r = c->CellRect(3, 2);
  TPoint p{r.Left + 3, r.Top + 3};
  PressAt(c, p);
  ReleaseAt(c, p);
  EXPECT_EQ(c->Date(), EncodeDate(2024, 5, 15));
  EXPECT_EQ(clicks, 0) << "a click outside the range is swallowed";
  r = c->CellRect(2, 4);  // Friday 17 May
  p = {r.Left + 3, r.Top + 3};
  PressAt(c, p);
  ReleaseAt(c, p);
  EXPECT_EQ(c->Date(), EncodeDate(2024, 5, 17));
  EXPECT_EQ(clicks, 1);
}

TEST_F(CalendarTest, HeldArrowStepsAtItsRates) {
  auto* c = Make(EncodeDate(2024, 5, 15));
  TRect a = c->AreaRect(caRightArrow);
  TPoint p{(a.Left + a.Right) / 2, (a.Top + a.Bottom) / 2};
  std::vector<int> stepsAt;
  int t = 0;
  c->OnViewDateChange = [&](TObject*, TDateTime) { stepsAt.push_back(t); };
  PressAt(c, p);
  for (t = 10; t <= 11000; t += 10) {
    Clock.Advance(10);
    Application->ProcessMessages();
  }
  ReleaseAt(c, p);
  // At once, then every 250 ms up to 1 s, every 100 ms up to 10 s, then every 50 ms.
  ASSERT_GE(stepsAt.size(), 4u);
  EXPECT_EQ(stepsAt[0], 0);
  EXPECT_EQ(stepsAt[1] - stepsAt[0], 250);
  EXPECT_EQ(stepsAt[2] - stepsAt[1], 250);
  EXPECT_EQ(stepsAt[3] - stepsAt[2], 250);
  EXPECT_EQ(stepsAt[5] - stepsAt[4], 100);
  EXPECT_EQ(stepsAt.back() - stepsAt[stepsAt.size() - 2], 50);
  // 4 steps in the first second, 90 more up to 10 s, 21 more up to 11 s inclusive.
  EXPECT_EQ(stepsAt.size(), 4u + 90u + 21u);
  EXPECT_FALSE(c->ArrowRepeating());
}

// The two month arrows are one glyph, mirrored: pixel for pixel, each a solid
// triangle (every column of the glyph one run without holes), in several fonts.
TEST_F(CalendarTest, TheMonthArrowsAreMirrorImages) {
  auto* c = Make(EncodeDate(2024, 5, 15));
  for (int size : {8, 10, 14, 20}) {
    SCOPED_TRACE(size);
    c->Font()->SetSize(size);
    Application->ProcessMessages();
    auto shot = Shot(c);
    TRect l = c->AreaRect(caLeftArrow), r = c->AreaRect(caRightArrow);
    ASSERT_EQ(l.Width(), r.Width());
    ASSERT_EQ(l.Height(), r.Height());
    const COLORREF ink = ColorToRGB(c->Font()->Color());
    int columns = 0;
    for (int x = 0; x < l.Width(); ++x) {
      int first = -1, last = -1, inked = 0;
      for (int y = 0; y < l.Height(); ++y) {
        const bool left = ColorToRGB(shot->Canvas()->Pixels(l.Left + x, l.Top + y)) == ink;
        const bool right = ColorToRGB(shot->Canvas()->Pixels(r.Right - 1 - x, r.Top + y)) == ink;
        EXPECT_EQ(left, right) << "column " << x << " row " << y;
        if (!left) continue;
        if (first < 0) first = y;
        last = y;
        ++inked;
      }
      if (inked == 0) continue;
      ++columns;
      EXPECT_EQ(inked, last - first + 1) << "a hole in column " << x;
    }
    EXPECT_GE(columns, 3);
  }
}

TEST_F(CalendarTest, PaintsWeekNumbersTodayAndSelection) {
  TDateTime today = ::Date();
  auto* c = Make(today);
  c->SetElements(DefaultCalendarElements() + TQvCalendarElements{ceWeekNumbers});
  auto shot = Shot(c);
  // Today is the selected date: its cell filled with the highlight, framed by the
  // today colour.
  Word y, m, d;
  DecodeDate(today, y, m, d);
  int index = static_cast<int>(today - c->FirstShownDate());
  TRect cell = c->CellRect(index / 7, index % 7);
  EXPECT_GT(Count(shot.get(), cell, clHighlight), 20);
  EXPECT_GT(Count(shot.get(), cell, c->CalendarColors()->TodaysDateFrame()), 20);
  // Week numbers: text in the column left of the grid.
  TRect wk = c->AreaRect(caWeekNumbers);
  EXPECT_GT(CountNot(shot.get(), wk, clWindow), 30);
  c->SetElements(DefaultCalendarElements());
  shot = Shot(c);
  EXPECT_TRUE(IsRectEmpty(c->AreaRect(caWeekNumbers))) << "no week column without the element";
  // Row 0 always holds a day of the previous month, in the FillDays colour's grey.
  TRect first = c->CellRect(0, 0);
  EXPECT_GT(CountNot(shot.get(), first, clWindow), 5);
  c->SetElements(DefaultCalendarElements() >> ceFillDays);
  shot = Shot(c);
  EXPECT_EQ(CountNot(shot.get(), first, clWindow), 0);
  // Selecting another day moves the highlight there.
  int other = index == 20 ? 21 : 20;
  c->SetDate(c->FirstShownDate() + other);
  shot = Shot(c);
  EXPECT_EQ(Count(shot.get(), cell, clHighlight), 0);
  EXPECT_GT(Count(shot.get(), c->CellRect(other / 7, other % 7), clHighlight), 20);
}

TEST_F(CalendarTest, MonthMenuAndYearSpinner) {
  auto* c = Make(EncodeDate(2024, 5, 15));
  c->SetMaxDate(EncodeDate(2025, 8, 20));
  // The month name opens the month menu with May checked; choosing October moves the view.
  TRect month = c->AreaRect(caMonth);
  bool mayChecked = false;
  Runner->ChooseMenuItem([&](TMenuItem* Root) {
    mayChecked = Root->Items(4)->Checked();
    return Root->Items(9);
  });
  PressAt(c, {month.Right - 3, (month.Top + month.Bottom) / 2});
  ReleaseAt(c, {month.Right - 3, (month.Top + month.Bottom) / 2});
  EXPECT_TRUE(mayChecked);
  EXPECT_EQ(c->ViewDate(), EncodeDate(2024, 10, 1));
  EXPECT_EQ(c->Date(), EncodeDate(2024, 5, 15)) << "the menu moves the view only";
  // The year opens the spinner over it, limited by MaxDate's year.
  TRect year = c->AreaRect(caYear);
  PressAt(c, {year.Right - 30, (year.Top + year.Bottom) / 2});
  ReleaseAt(c, {year.Right - 30, (year.Top + year.Bottom) / 2});
  ASSERT_TRUE(c->YearSpinnerShown());
  EXPECT_EQ(c->YearSpinner()->Value(), 2024);
  EXPECT_EQ(c->YearSpinner()->Max(), 2025);
  c->YearSpinner()->IncValue(1);  // October 2025 is past MaxDate: its month instead
  EXPECT_EQ(c->ViewDate(), EncodeDate(2025, 8, 1));
  c->YearSpinner()->DecValue(1);
  EXPECT_EQ(c->ViewDate(), EncodeDate(2024, 8, 1));
  Key(VK_ESCAPE);
  EXPECT_FALSE(c->YearSpinnerShown());
  EXPECT_FALSE(c->YearSpinner()->Visible());
}

// With themes the buttons are push-button elements and the two separators toolbar
// separators; ThemeAware off gives the classic look again.
TEST_F(CalendarTest, ThemedLookAgainstTheRecordingLibrary) {
  auto* c = Make(EncodeDate(2024, 5, 15));
  FreeThemeServices();
  {
    TThemeLibraryFake fake;
    ASSERT_TRUE(ThemeServices()->ThemesEnabled());
    auto drawn = [&](const std::string& Class) {
      std::vector<std::pair<int, int>> out;
      for (const auto& k : fake.Calls)
        if (k.Name == "DrawThemeBackground" && k.Class == Class) out.emplace_back(k.Part, k.State);
      fake.Calls.clear();
      return out;
    };
    using Drawn = std::vector<std::pair<int, int>>;
    fake.Calls.clear();
    Shot(c);
    EXPECT_EQ(drawn("button"), (Drawn{{1, 1}, {1, 1}}));
    Shot(c);
    EXPECT_EQ(drawn("toolbar").size(), 2u);
    c->SetThemeAware(false);
    Shot(c);
    EXPECT_EQ(drawn("button"), Drawn{});
    FreeThemeServices();
  }
}

TEST_F(CalendarTest, StreamRoundTrip) {
  auto* c = Make(EncodeDate(2024, 5, 15));
  c->SetMaxDate(EncodeDate(2024, 6, 30));
  c->SetElements({ceYear, ceMonth, ceWeekNumbers});
  c->SetCaptionTodayBtn("Now");
  c->CalendarColors()->SetColor(4, clRed);
  c->SetFirstDayOfWeek(fdowSunday);
  c->SetName("Cal");
  std::string text = TextOf(c);
  EXPECT_EQ(text.find("MinDate"), std::string::npos) << "0 is not stored";
  EXPECT_NE(text.find("MaxDate"), std::string::npos);
  auto back = std::make_unique<TQvCalendar>(nullptr);
  ReadInto(text, back.get());
  EXPECT_EQ(back->Date(), EncodeDate(2024, 5, 15));
  EXPECT_EQ(back->MaxDate(), EncodeDate(2024, 6, 30));
  EXPECT_EQ(back->Elements(), (TQvCalendarElements{ceYear, ceMonth, ceWeekNumbers}));
  EXPECT_EQ(back->CaptionTodayBtn(), "Now");
  EXPECT_EQ(back->CalendarColors()->SelectedDateBack(), clRed);
  EXPECT_EQ(back->FirstDayOfWeek(), fdowSunday);
  EXPECT_EQ(back->CalendarColors()->GetColor(7), static_cast<TColor>(0x1FFFFFFF));
}

}  // namespace
