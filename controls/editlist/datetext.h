#pragma once
// Lenient date and time text: what a user typed into a date or time edit.
//
// StrToDateEx takes the day, month and year in the order of ShortDateFormat with
// any separators, month names (the formatting globals', the user locale's or
// English, in any case) and packed digit runs ("0312", "031224"). StrToTimeEx
// takes the fields in the order of LongTimeFormat, AM/PM markers and packed
// digits ("130" is 1:30).
//
// Fields are bounded: a year above 9999 or a digit run too long for an integer
// makes the date unencodable (false and 0) rather than wrapping or throwing.
#include <string>

#include "platform/core/dates.h"
#include "platform/win32/localedata.h"

// True with the date on success; true with 0 for empty or blank text; false with 0
// when the fields cannot be encoded.
bool StrToDateEx(const std::string& Text, TDateTime& Date);
// The time of day; 0 when the fields cannot be encoded or the text is empty.
TDateTime StrToTimeEx(const std::string& Text);

// The letters of the upper-cased Format that occur in Letters, each once, in order
// of first appearance: ("m/d/yyyy", "DMY") gives "MDY".
std::string GetFormatOrder(const std::string& Format, const std::string& Letters);
// 0 separator, 1 digit, -1 letter (bytes of double-byte characters are letters).
int CharClass(char C);
// Drops leading separators from S, then moves the longest run of one class into
// Token and returns its class; 0 and an empty Token when nothing is left.
int NextToken(std::string& S, std::string& Token);
// The long month name of a locale, taken from its "dd MMMM" date text.
std::string GetLocaleMonthName(LCID Locale, int Month);
// 1..12 for a short, long, user-locale or English month name (upper case); else -1.
int MonthFromName(const std::string& Token);
// -1 for an AM marker ("AM", "A" or TimeAMString), 1 for PM, else 0.
int IsPMString(const std::string& Token);
