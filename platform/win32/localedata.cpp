// Locale date tables.
#include "platform/win32/localedata.h"

#include "platform/core/gbk.h"

namespace {

// The Chinese table is written in UTF-8 here and converted to GBK once.
TLocaleDateInfo MakeChinese() {
  auto g = [](const char* s) { return Utf8ToGbk(s); };
  TLocaleDateInfo t{};
  t.Locale = LOCALE_ZH_CN;
  const char* months[12] = {"一月", "二月", "三月", "四月",  "五月",   "六月",
                            "七月", "八月", "九月", "十月", "十一月", "十二月"};
  const char* days[7] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
  const char* sdays[7] = {"周日", "周一", "周二", "周三", "周四", "周五", "周六"};
  for (int i = 0; i < 12; ++i) t.ShortMonthNames[i] = t.LongMonthNames[i] = g(months[i]);
  for (int i = 0; i < 7; ++i) {
    t.LongDayNames[i] = g(days[i]);
    t.ShortDayNames[i] = g(sdays[i]);
  }
  t.FirstDayOfWeek = 0;
  t.TimeAMString = g("上午");
  t.TimePMString = g("下午");
  t.ShortDateFormat = "yyyy-m-d";
  t.DateSeparator = '-';
  t.LongTimeFormat = "h:nn:ss";
  t.TimeSeparator = ':';
  t.CaptionToday = g("今天");
  t.CaptionClear = g("清除");
  t.CaptionAM = g("上午");
  t.CaptionPM = g("下午");
  t.CaptionSet = g("设置");
  t.ClockHowToUse = g("左键单击设置小时\r右键单击设置分钟\r    Ctrl 键限制为 %d 分钟");
  return t;
}

TLocaleDateInfo MakeEnglish() {
  TLocaleDateInfo t{};
  t.Locale = LOCALE_EN_US;
  const char* months[12] = {"January", "February", "March",     "April",   "May",      "June",
                            "July",    "August",   "September", "October", "November", "December"};
  const char* days[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  for (int i = 0; i < 12; ++i) {
    t.LongMonthNames[i] = months[i];
    t.ShortMonthNames[i] = std::string(months[i], 3);
  }
  for (int i = 0; i < 7; ++i) {
    t.LongDayNames[i] = days[i];
    t.ShortDayNames[i] = std::string(days[i], 3);
  }
  t.FirstDayOfWeek = 6;
  t.TimeAMString = "AM";
  t.TimePMString = "PM";
  t.ShortDateFormat = "m/d/yyyy";
  t.DateSeparator = '/';
  t.LongTimeFormat = "h:nn:ss AMPM";
  t.TimeSeparator = ':';
  t.CaptionToday = "Today";
  t.CaptionClear = "Clear";
  t.CaptionAM = "AM";
  t.CaptionPM = "PM";
  t.CaptionSet = "Set";
  t.ClockHowToUse = "Left-click to set Hour\rRight-click to set Minute\r    Ctrl key restricts to %d minutes";
  return t;
}


}  // namespace

const TLocaleDateInfo* GetLocaleDateInfo(LCID Locale) {
  static const TLocaleDateInfo chinese = MakeChinese();
  static const TLocaleDateInfo english = MakeEnglish();
  if (Locale == LOCALE_USER_DEFAULT) Locale = GetThreadLocale();
  switch (Locale) {
    case LOCALE_ZH_CN:
    case LOCALE_ZH_TW:
    case LOCALE_ZH_HK:
    case LOCALE_ZH_SG: return &chinese;
    default: return &english;
  }
}

void ApplyLocaleFormatSettings(LCID Locale) {
  const TLocaleDateInfo* t = GetLocaleDateInfo(Locale);
  for (int i = 0; i < 12; ++i) {
    ShortMonthNames[i] = t->ShortMonthNames[i];
    LongMonthNames[i] = t->LongMonthNames[i];
  }
  for (int i = 0; i < 7; ++i) {
    ShortDayNames[i] = t->ShortDayNames[i];
    LongDayNames[i] = t->LongDayNames[i];
  }
  TimeAMString = t->TimeAMString;
  TimePMString = t->TimePMString;
  ShortDateFormat = t->ShortDateFormat;
  DateSeparator = t->DateSeparator;
  LongTimeFormat = t->LongTimeFormat;
  TimeSeparator = t->TimeSeparator;
}

std::string GetDateFormat(LCID Locale, TDateTime Date, const std::string& Picture) {
  const TLocaleDateInfo* t = GetLocaleDateInfo(Locale);
  Word y, m, d;
  DecodeDate(Date, y, m, d);
  int dow = DayOfWeek(Date) - 1;
  std::string out;
  auto two = [](int v) { return std::string(1, static_cast<char>('0' + v / 10 % 10)) + static_cast<char>('0' + v % 10); };
  for (size_t i = 0; i < Picture.size();) {
    char c = Picture[i];
    if (c == '\'') {
      size_t e = Picture.find('\'', i + 1);
      if (e == std::string::npos) e = Picture.size();
      out += Picture.substr(i + 1, e - i - 1);
      i = e + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < Picture.size() && Picture[i + run] == c) ++run;
    if (c == 'd') {
      if (run == 1) out += std::to_string(d);
      else if (run == 2) out += two(d);
      else out += (run == 3 ? t->ShortDayNames : t->LongDayNames)[dow];
    } else if (c == 'M') {
      if (run == 1) out += std::to_string(m);
      else if (run == 2) out += two(m);
      else out += (run == 3 ? t->ShortMonthNames : t->LongMonthNames)[m - 1];
    } else if (c == 'y') {
      if (run <= 2) out += run == 1 ? std::to_string(y % 100) : two(y % 100);
      else out += std::to_string(y);
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out;
}

