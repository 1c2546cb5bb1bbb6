#pragma once
// The strict date/time text converters and calendar arithmetic. The converters
// read the formatting globals of sysutils.h (ShortDateFormat, DateSeparator, ...).
#include <string>

#include "platform/core/sysutils.h"

// Years below 100 written with at most two digits land within this many years
// before the current year (or later): 50 around 2026 maps 76..99 to 1976..1999
// and 00..75 to 2000..2075.
extern int TwoDigitYearCenturyWindow;
// The year a two-digit year means against the given current year.
int ExpandTwoDigitYear(int Year, int CurrentYear);

// Strict conversions by the globals: dates are numbers in ShortDateFormat's order
// separated by DateSeparator (the year may be left out: the current year); times
// are h[:n[:s[.z]]] with an optional AM/PM marker; date and time by a blank.
// Failure: EConvertError "'<text>' is not a valid date" (time, date and time).
bool TryStrToDate(const std::string& S, TDateTime& Value);
bool TryStrToTime(const std::string& S, TDateTime& Value);
bool TryStrToDateTime(const std::string& S, TDateTime& Value);
TDateTime StrToDate(const std::string& S);
TDateTime StrToTime(const std::string& S);
TDateTime StrToDateTime(const std::string& S);
std::string DateToStr(TDateTime Date);       // ShortDateFormat
std::string TimeToStr(TDateTime Time);       // LongTimeFormat
std::string DateTimeToStr(TDateTime Value);  // date, and the time when not midnight

// The same day NumberOfMonths later (earlier when negative), cut to the month's
// last day; the time of day is kept.
TDateTime IncMonth(TDateTime Date, int NumberOfMonths = 1);
// ISO 8601 week of the year (1..53): weeks start on Monday, week 1 holds 4 January.
int WeekOfTheYear(TDateTime Date);
