#pragma once
// The class library's SysUtils subset the system calls: integer and float
// conversions, Format, string helpers over 8-bit GBK text, file-name helpers and
// TDateTime. Number text never depends on the C locale: DecimalSeparator and
// ThousandSeparator below are the only settings that shape it.
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>

#include "platform/core/exceptions.h"
#include "platform/core/object.h"

using Word = std::uint16_t;

// ---------------------------------------------------------------------------
// Format settings (process-wide, set once at start-up)
// ---------------------------------------------------------------------------

// Decimal point written by float output and expected by float input.
extern char DecimalSeparator;
// Digit-group separator written by ffNumber, ffCurrency, %n, %m and FormatFloat's ','.
extern char ThousandSeparator;
// Currency symbol and decimals used by ffCurrency and %m ("$1,234.50", "-$1.00").
extern std::string CurrencyString;
extern int CurrencyDecimals;
// Written for "/" and ":" in FormatDateTime.
extern char DateSeparator;
extern char TimeSeparator;
// Date and time patterns used by FormatDateTime's "ddddd"/"c", "dddddd" and "t"/"tt".
extern std::string ShortDateFormat;
extern std::string LongDateFormat;
extern std::string ShortTimeFormat;
extern std::string LongTimeFormat;
// Written for "ampm" in FormatDateTime.
extern std::string TimeAMString;
extern std::string TimePMString;
// English month and day names; months 0..11 = January..December, days 0..6 = Sunday..Saturday.
extern std::string ShortMonthNames[12];
extern std::string LongMonthNames[12];
extern std::string ShortDayNames[7];
extern std::string LongDayNames[7];

// ---------------------------------------------------------------------------
// Integers
// ---------------------------------------------------------------------------

// Decimal text of a signed or unsigned integer.
std::string IntToStr(int Value);
std::string IntToStr(std::int64_t Value);
std::string UIntToStr(std::uint64_t Value);
// Other integer types (long long, unsigned, DWORD, ...) resolve here instead of being ambiguous.
template <std::integral T>
  requires(!std::same_as<T, int> && !std::same_as<T, std::int64_t>)
std::string IntToStr(T Value) {
  if constexpr (std::is_signed_v<T>) return IntToStr(static_cast<std::int64_t>(Value));
  else return UIntToStr(static_cast<std::uint64_t>(Value));
}
// Upper-case hex with at least Digits digits; a negative int is its 32-bit pattern.
std::string IntToHex(int Value, int Digits);
std::string IntToHex(std::int64_t Value, int Digits);
// Other integer types: up to 32 bits as an int's pattern, wider ones as 64 bits.
template <std::integral T>
  requires(!std::same_as<T, int> && !std::same_as<T, std::int64_t>)
std::string IntToHex(T Value, int Digits) {
  if constexpr (sizeof(T) <= 4) return IntToHex(static_cast<int>(Value), Digits);
  else return IntToHex(static_cast<std::int64_t>(Value), Digits);
}
// Integer text: leading blanks, an optional sign, then decimal digits or hex after
// "$", "0x" or "0X" (hex up to 32 bits wraps: "$FFFFFFFF" is -1). Anything else,
// trailing junk, blanks or a value out of range: EConvertError
// "'<text>' is not a valid integer value".
int StrToInt(const std::string& S);
int StrToIntDef(const std::string& S, int Default);
bool TryStrToInt(const std::string& S, int& Value);
// The same for 64-bit values (hex up to 64 bits wraps).
std::int64_t StrToInt64(const std::string& S);

// ---------------------------------------------------------------------------
// Floats
// ---------------------------------------------------------------------------

enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
using enum TFloatFormat;

// Float text: blanks, sign, digits with DecimalSeparator, optional exponent; no
// thousand separators. Invalid text or overflow: EConvertError
// "'<text>' is not a valid floating point value". Underflow gives zero.
double StrToFloat(const std::string& S);
double StrToFloatDef(const std::string& S, double Default);
bool TryStrToFloat(const std::string& S, double& Value);
// General format with 15 significant digits ("0.1", "1.5E20", "1E-6").
std::string FloatToStr(double Value);
// Precision = significant digits (1..18; a double carries 17), rounded half away
// from zero on the value's shortest decimal digits. Digits = decimals for ffFixed,
// ffNumber and ffCurrency (0..18), minimum exponent digits for ffExponent (0..4).
std::string FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits);
// Formats with a picture: '0' digit, '#' optional digit, '.' decimal point, ','
// thousands, "E+0"/"E-0" exponent, quoted literals, "pos;neg;zero" sections.
std::string FormatFloat(const std::string& Format, double Value);

// ---------------------------------------------------------------------------
// Format
// ---------------------------------------------------------------------------

// One argument of Format: an integer, float, string, character, Boolean or pointer.
class TVarRec {
public:
  enum TKind { vtInteger, vtInt64, vtExtended, vtString, vtChar, vtBoolean, vtPointer };
  TVarRec(int V) : FKind(vtInteger), FInt(V) {}
  TVarRec(unsigned V) : FKind(vtInt64), FInt(V) {}
  TVarRec(long V) : FKind(vtInt64), FInt(V) {}
  TVarRec(unsigned long V) : FKind(vtInt64), FInt(static_cast<std::int64_t>(V)) {}
  TVarRec(long long V) : FKind(vtInt64), FInt(V) {}
  TVarRec(unsigned long long V) : FKind(vtInt64), FInt(static_cast<std::int64_t>(V)) {}
  TVarRec(double V) : FKind(vtExtended), FFloat(V) {}
  TVarRec(long double V) : FKind(vtExtended), FFloat(static_cast<double>(V)) {}
  TVarRec(const char* V) : FKind(vtString), FStr(V ? V : "") {}
  TVarRec(std::string V) : FKind(vtString), FStr(std::move(V)) {}
  TVarRec(char V) : FKind(vtChar), FStr(1, V) {}
  TVarRec(bool V) : FKind(vtBoolean), FInt(V ? 1 : 0) {}
  TVarRec(const void* V) : FKind(vtPointer), FInt(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(V))) {}

  TKind Kind() const { return FKind; }
  std::int64_t AsInt() const { return FInt; }
  double AsFloat() const { return FFloat; }
  const std::string& AsString() const { return FStr; }

private:
  TKind FKind;
  std::int64_t FInt = 0;
  double FFloat = 0;
  std::string FStr;
};

// printf-like formatting: "%" [index ":"] ["-"] [width] ["." precision] type, where
// index, width and precision may be "*" (taken from the arguments). Types: d, u,
// x (lower-case hex), X (upper-case hex), s, f (2 decimals by default), e, g, n
// (thousands), m (currency), p; "%%" is a percent sign. A bad specifier, a missing
// or mismatched argument: EConvertError "Format '<fmt>' invalid or incompatible with argument".
std::string Format(const std::string& Fmt, std::initializer_list<TVarRec> Args = {});

// ---------------------------------------------------------------------------
// Strings (8-bit GBK text: a double-byte character is never split or folded)
// ---------------------------------------------------------------------------

// Removes bytes <= ' ' from both ends / the start / the end.
std::string Trim(const std::string& S);
std::string TrimLeft(const std::string& S);
std::string TrimRight(const std::string& S);
// ASCII letters only; double-byte characters are left whole (their second byte may
// look like an ASCII letter).
std::string UpperCase(const std::string& S);
std::string LowerCase(const std::string& S);
std::string AnsiUpperCase(const std::string& S);
std::string AnsiLowerCase(const std::string& S);
// Byte-wise comparison: < 0, 0, > 0.
int CompareStr(const std::string& S1, const std::string& S2);
// Comparison folding ASCII letters outside double-byte characters.
int CompareText(const std::string& S1, const std::string& S2);
bool SameText(const std::string& S1, const std::string& S2);
// The locale-aware comparisons of the class library, done byte-wise (see sysutils.cpp).
int AnsiCompareStr(const std::string& S1, const std::string& S2);
int AnsiCompareText(const std::string& S1, const std::string& S2);
bool AnsiSameText(const std::string& S1, const std::string& S2);

enum class TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using enum TReplaceFlag;
using TReplaceFlags = TSet<TReplaceFlag>;
// Replaces the first (or every) occurrence of OldPattern, matching only at
// character starts; rfIgnoreCase folds ASCII letters.
std::string StringReplace(const std::string& S, const std::string& OldPattern,
                          const std::string& NewPattern, TReplaceFlags Flags);
// 1-based byte position of Substr in S; 0 when absent or Substr is empty.
int Pos(const std::string& Substr, const std::string& S);
// Count bytes from the 1-based Index, clipped to the string.
std::string Copy(const std::string& S, int Index, int Count);
// 'text' with embedded quotes doubled.
std::string QuotedStr(const std::string& S);
std::string AnsiQuotedStr(const std::string& S, char Quote);
// Reads a quoted string at Src (quotes removed, doubled quotes undone) and moves
// Src past the closing quote; "" with Src unchanged when Src does not start with
// Quote. An unterminated string takes the rest of the text.
std::string AnsiExtractQuotedStr(const char*& Src, char Quote);
// The same over S from byte Pos (S may hold NUL bytes); Pos moves past the string.
std::string AnsiExtractQuotedStr(const std::string& S, size_t& Pos, char Quote);
// A letter or '_' followed by letters, digits or '_'.
bool IsValidIdent(const std::string& Ident);

// ---------------------------------------------------------------------------
// File names ('/' separates directories)
// ---------------------------------------------------------------------------

constexpr char PathDelim = '/';
std::string IncludeTrailingPathDelimiter(const std::string& S);
std::string ExtractFileName(const std::string& FileName);   // after the last '/'
std::string ExtractFilePath(const std::string& FileName);   // up to and including the last '/'
std::string ExtractFileExt(const std::string& FileName);    // ".ext" of the name, or ""
std::string ChangeFileExt(const std::string& FileName, const std::string& Extension);

// ---------------------------------------------------------------------------
// Dates and times
// ---------------------------------------------------------------------------

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = HoursPerDay * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;

// Days per month, [IsLeapYear(y)][1..12] (index 0 unused).
extern const Word MonthDays[2][13];

bool IsLeapYear(Word Year);
Word DaysInAMonth(Word Year, Word Month);
// Year 1..9999: EConvertError "Invalid argument to date encode" when invalid.
TDateTime EncodeDate(Word Year, Word Month, Word Day);
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date);
void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day);
// EConvertError "Invalid argument to time encode" when out of range.
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time);
void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime Date);
// Local wall-clock date and time, the date alone, the time alone.
TDateTime Now();
TDateTime Date();
TDateTime Time();
// Specifiers: yy yyyy m mm mmm mmmm d dd ddd dddd ddddd(short date) c h hh n nn
// (m right after an hour also means minutes) s ss z zzz t tt am/pm a/p ampm
// "/" ":" and quoted literals; anything else is copied.
std::string FormatDateTime(const std::string& Format, TDateTime DateTime);
