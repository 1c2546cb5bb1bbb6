// Dates and times in the user's locale: what a program started under LC_ALL,
// LC_TIME or LANG shows in the calendar, the time picker and the date and time
// edits, and how it reads what is typed into them.
#include <cstdlib>
#include <cstring>
#include <optional>

#include "controls/editlist/calendar.h"
#include "controls/editlist/datetext.h"
#include "controls/editlist/dateedits.h"
#include "controls/editlist/timepicker.h"
#include "edit_fixture.h"
#include "platform/core/gbk.h"

namespace {

class LocaleTest : public EditTest {
protected:
  void SetUp() override {
    EditTest::SetUp();
    FSaved = CurrentFormatSettings();
    for (int i = 0; i < 3; ++i)
      if (const char* v = std::getenv(kVars[i])) FEnv[i] = v;
  }
  void TearDown() override {
    for (int i = 0; i < 3; ++i) FEnv[i] ? setenv(kVars[i], FEnv[i]->c_str(), 1) : unsetenv(kVars[i]);
    SetFormatSettings(FSaved);
    EditTest::TearDown();
  }
  // The environment a program starts in, then what every program does at its start.
  void StartUnder(const char* All, const char* Time, const char* Lang) {
    const char* values[3] = {All, Time, Lang};
    for (int i = 0; i < 3; ++i) values[i] ? setenv(kVars[i], values[i], 1) : unsetenv(kVars[i]);
    Application->Initialize();
  }
  static constexpr const char* kVars[3] = {"LC_ALL", "LC_TIME", "LANG"};
  TLocaleDateInfo FSaved;
  std::optional<std::string> FEnv[3];
};

TEST_F(LocaleTest, DatesAndTimesFollowTheUsersLocale) {
  // Texts in UTF-8; the controls hold GBK.
  struct Case {
    const char *all, *time, *lang;
    const char* caption;     // the calendar on December 2024
    const char* picker;      // the time picker at 13:30
    const char* dateText;    // a date edit holding 2024-12-25
    const char* timeText;    // a time edit holding 13:30
    const char* typedDate;   // typed into the date edit: 2024-12-25
    const char* typedTime;   // typed into the time edit: 13:30
    const char* impossible;  // 30 February 2024 in the locale's order
  } cases[] = {
      {nullptr, nullptr, "zh_CN.UTF-8", "十二月 2024", "1:30 下午", "2024-12-25", "13:30", "2024-12-25", "1:30 下午",
       "2024-2-30"},
      {nullptr, nullptr, "en_US.UTF-8", "December 2024", "1:30 PM", "12/25/2024", "1:30 PM", "12/25/2024", "1:30 PM",
       "2/30/2024"},
      {nullptr, nullptr, "C", "December 2024", "1:30 PM", "2024-12-25", "13:30", "2024-12-25", "13:30", "2024-2-30"},
      {nullptr, nullptr, "xx_YY.UTF-8", "December 2024", "1:30 PM", "2024-12-25", "13:30", "2024-12-25", "13:30",
       "2024-2-30"},
      // LC_ALL over LC_TIME over LANG, as the C library reads them; empty ones do not count.
      {"en_US.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8", "December 2024", "1:30 PM", "12/25/2024", "1:30 PM", "12/25/2024",
       "1:30 PM", "2/30/2024"},
      {"", "de_DE.UTF-8", "zh_CN.UTF-8", "Dezember 2024", "1:30 PM", "25.12.2024", "13:30", "25.12.2024", "13:30",
       "30.2.2024"},
  };
  const TDateTime christmas = EncodeDate(2024, 12, 25), half = EncodeTime(13, 30, 0, 0);
  auto* date = Place<TQvDateTimeEdit>(10, 10, 121, 21);
  auto* time = Place<TQvDateTimeEdit>(10, 40, 121, 21);
  auto* other = Place<TQvEdit>(10, 70, 121, 21);
  Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.all ? c.all : "-") + " " + (c.time ? c.time : "-") + " " + c.lang);
    StartUnder(c.all, c.time, c.lang);
    auto* cal = Place<TQvCalendar>(140, 10, 150, 160);
    cal->SetDate(christmas);
    EXPECT_EQ(GbkToUtf8(cal->CaptionText()), c.caption);
    EXPECT_EQ(GbkToUtf8(cal->MonthMenu()->Items()->Items(11)->Caption()), std::string(c.caption, std::strlen(c.caption) - 5));
    delete cal;
    auto* picker = Place<TQvTimePicker>(140, 10, 160, 190);
    picker->SetTime(half);
    EXPECT_EQ(GbkToUtf8(picker->TimeText()), c.picker);
    delete picker;

    date->SetDate(christmas);
    EXPECT_EQ(GbkToUtf8(date->Text()), c.dateText);
    time->SetTime(half);
    EXPECT_EQ(GbkToUtf8(time->Text()), c.timeText);
    // What the edits show reads back as the same value, and so does the typed text.
    for (const std::string& typed : {std::string(c.dateText), std::string(c.typedDate)}) {
      date->Clear();
      date->SetFocus();
      date->SetText(Utf8ToGbk(typed));
      date->SetModified(true);
      other->SetFocus();
      EXPECT_EQ(date->GetDate(), christmas) << typed;
    }
    for (const std::string& typed : {std::string(c.timeText), std::string(c.typedTime)})
      EXPECT_EQ(StrToTimeEx(Utf8ToGbk(typed)), half) << typed;
    // An impossible date is refused, not moved to another day.
    TDateTime got = -1;
    EXPECT_FALSE(StrToDateEx(c.impossible, got)) << c.impossible;
    EXPECT_EQ(got, 0);
  }
}

}  // namespace
