// The calendar: measuring, layout, dates and ranges, mouse, keyboard, arrow repeat.
#include "controls/editlist/calendar.h"
#include "edit_fixture.h"

namespace {

using CalendarTest = EditTest;

TEST_F(CalendarTest, AutoSizeWithTheDefaultFont) {
  auto* c = Place<TQvCalendar>(10, 10, 50, 50);
  Show();
  EXPECT_EQ(c->CharWidth(), 6);
  EXPECT_EQ(c->TextHeight(), 13);
  EXPECT_EQ(c->Width(), 147);
  EXPECT_EQ(c->Height(), 159);
}

}  // namespace
