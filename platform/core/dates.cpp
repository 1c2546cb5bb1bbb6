// The strict date/time converters and calendar arithmetic.
#include "platform/core/dates.h"

#include <cmath>
#include <vector>


namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int CurrentYear() {
  Word y, m, d;
  DecodeDate(Date(), y, m, d);
  return y;
}

// The order of the day, month and year fields in a date pattern ("MDY" ...).
std::string DateOrder(const std::string& Format) {
  std::string order;
  for (char c : Format) {
    char u = static_cast<char>((c >= 'a' && c <= 'z') ? c - 32 : c);
    if ((u == 'D' || u == 'M' || u == 'Y') && order.find(u) == std::string::npos) order += u;
  }
  for (char c : std::string("YMD"))
    if (order.find(c) == std::string::npos) order += c;
  return order;
}

void SkipBlanks(const std::string& S, size_t& Pos) {
  while (Pos < S.size() && S[Pos] == ' ') ++Pos;
}

// A run of at most 9 digits; false when none or longer.
bool ReadNumber(const std::string& S, size_t& Pos, int& Value, int& Digits) {
  SkipBlanks(S, Pos);
  size_t start = Pos;
  Value = 0;
  while (Pos < S.size() && IsDigit(S[Pos])) {
    if (Pos - start >= 9) return false;
    Value = Value * 10 + (S[Pos] - '0');
    ++Pos;
  }
  Digits = static_cast<int>(Pos - start);
  return Digits > 0;
}

bool ReadSeparator(const std::string& S, size_t& Pos, char Sep) {
  SkipBlanks(S, Pos);
  if (Pos < S.size() && S[Pos] == Sep) {
    ++Pos;
    return true;
  }
  return false;
}

bool ScanDate(const std::string& S, size_t& Pos, TDateTime& Value) {
  int n[3] = {0, 0, 0}, digits[3] = {0, 0, 0};
  int count = 0;
  size_t p = Pos;
  if (!ReadNumber(S, p, n[0], digits[0])) return false;
  count = 1;
  while (count < 3) {
    size_t q = p;
    if (!ReadSeparator(S, q, DateSeparator)) break;
    if (!ReadNumber(S, q, n[count], digits[count])) return false;
    p = q;
    ++count;
  }
  if (count < 2) return false;
  // A trailing separator after the last field is allowed ("2024-3-").
  size_t q = p;
  if (ReadSeparator(S, q, DateSeparator)) p = q;
  std::string order = DateOrder(ShortDateFormat);
  int y = -1, m = 0, d = 0, yDigits = 0;
  if (count == 3) {
    for (int i = 0; i < 3; ++i) {
      if (order[i] == 'Y') y = n[i], yDigits = digits[i];
      else if (order[i] == 'M') m = n[i];
      else d = n[i];
    }
  } else {
    // Two fields: month and day in the pattern's order, the current year.
    bool monthFirst = order.find('M') < order.find('D');
    m = n[monthFirst ? 0 : 1];
    d = n[monthFirst ? 1 : 0];
  }
  if (y < 0) y = CurrentYear();
  else if (yDigits <= 2) y = ExpandTwoDigitYear(y, CurrentYear());
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  TDateTime r;
  if (!TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), r)) return false;
  Value = r;
  Pos = p;
  return true;
}

// An AM/PM marker at Pos: -1 AM, 1 PM, 0 none.
int ScanMarker(const std::string& S, size_t& Pos) {
  SkipBlanks(S, Pos);
  std::string rest = AnsiUpperCase(S.substr(Pos));
  const std::string candidates[4] = {AnsiUpperCase(TimeAMString), AnsiUpperCase(TimePMString), "AM", "PM"};
  for (int i = 0; i < 4; ++i) {
    const std::string& c = candidates[i];
    if (!c.empty() && rest.compare(0, c.size(), c) == 0) {
      Pos += c.size();
      return (i % 2 == 0) ? -1 : 1;
    }
  }
  return 0;
}

bool ScanTime(const std::string& S, size_t& Pos, TDateTime& Value) {
  size_t p = Pos;
  int marker = ScanMarker(S, p);
  int h, mi = 0, s = 0, ms = 0, digits;
  if (!ReadNumber(S, p, h, digits)) return false;
  size_t q = p;
  if (ReadSeparator(S, q, TimeSeparator)) {
    if (!ReadNumber(S, q, mi, digits)) return false;
    p = q;
    if (ReadSeparator(S, q, TimeSeparator)) {
      if (!ReadNumber(S, q, s, digits)) return false;
      p = q;
      if (ReadSeparator(S, q, DecimalSeparator)) {
        if (!ReadNumber(S, q, ms, digits)) return false;
        p = q;
      }
    }
  } else if (marker == 0) {
    // A lone number is a time only with a marker ("3 PM").
    size_t r = p;
    if (ScanMarker(S, r) == 0) return false;
  }
  if (marker == 0) marker = ScanMarker(S, p);
  if (marker != 0) {
    if (h < 1 || h > 12) return false;
    if (marker < 0 && h == 12) h = 0;
    else if (marker > 0 && h < 12) h += 12;
  }
  if (h > 23 || mi > 59 || s > 59 || ms > 999) return false;
  Value = EncodeTime(static_cast<Word>(h), static_cast<Word>(mi), static_cast<Word>(s), static_cast<Word>(ms));
  Pos = p;
  return true;
}

bool AtEnd(const std::string& S, size_t Pos) {
  SkipBlanks(S, Pos);
  return Pos >= S.size();
}

[[noreturn]] void RaiseConvert(const std::string& S, const char* What) {
  throw EConvertError("'" + S + "' is not a valid " + What);
}

}  // namespace

int TwoDigitYearCenturyWindow = 50;

int ExpandTwoDigitYear(int Year, int CurrentYear) {
  if (Year >= 100) return Year;
  int threshold = CurrentYear - TwoDigitYearCenturyWindow;
  int y = Year + (threshold / 100) * 100;
  if (TwoDigitYearCenturyWindow > 0 && y < threshold) y += 100;
  return y;
}

bool TryStrToDate(const std::string& S, TDateTime& Value) {
  size_t p = 0;
  TDateTime v;
  if (!ScanDate(S, p, v) || !AtEnd(S, p)) return false;
  Value = v;
  return true;
}

bool TryStrToTime(const std::string& S, TDateTime& Value) {
  size_t p = 0;
  TDateTime v;
  if (!ScanTime(S, p, v) || !AtEnd(S, p)) return false;
  Value = v;
  return true;
}

bool TryStrToDateTime(const std::string& S, TDateTime& Value) {
  size_t p = 0;
  TDateTime d = 0, t = 0;
  if (!ScanDate(S, p, d)) {
    p = 0;
    if (!ScanTime(S, p, t) || !AtEnd(S, p)) return false;
    Value = t;
    return true;
  }
  if (!AtEnd(S, p) && (!ScanTime(S, p, t) || !AtEnd(S, p))) return false;
  Value = d + t;
  return true;
}

TDateTime StrToDate(const std::string& S) {
  TDateTime v;
  if (!TryStrToDate(S, v)) RaiseConvert(S, "date");
  return v;
}

TDateTime StrToTime(const std::string& S) {
  TDateTime v;
  if (!TryStrToTime(S, v)) RaiseConvert(S, "time");
  return v;
}

TDateTime StrToDateTime(const std::string& S) {
  TDateTime v;
  if (!TryStrToDateTime(S, v)) RaiseConvert(S, "date and time");
  return v;
}

std::string DateToStr(TDateTime Date) { return FormatDateTime("ddddd", Date); }
std::string TimeToStr(TDateTime Time) { return FormatDateTime("tt", Time); }
std::string DateTimeToStr(TDateTime Value) { return FormatDateTime("c", Value); }

TDateTime IncMonth(TDateTime Date, int NumberOfMonths) {
  Word y, m, d;
  DecodeDate(Date, y, m, d);
  int total = y * 12 + (m - 1) + NumberOfMonths;
  int ny = total / 12, nm = total % 12 + 1;
  if (ny < 1 || ny > 9999) throw EConvertError("Invalid argument to date encode");
  Word dim = DaysInAMonth(static_cast<Word>(ny), static_cast<Word>(nm));
  if (d > dim) d = dim;
  double frac = std::fabs(Date - std::trunc(Date));
  TDateTime r = EncodeDate(static_cast<Word>(ny), static_cast<Word>(nm), d);
  return r >= 0 ? r + frac : r - frac;
}

int WeekOfTheYear(TDateTime Date) {
  TDateTime day = std::floor(Date);
  // ISO day of the week, 1 = Monday .. 7 = Sunday.
  int iso = (DayOfWeek(day) + 5) % 7 + 1;
  TDateTime thursday = day - iso + 4;
  Word y, m, d;
  DecodeDate(thursday, y, m, d);
  TDateTime jan1 = EncodeDate(y, 1, 1);
  return static_cast<int>(thursday - jan1) / 7 + 1;
}
