#include "platform/core/sysutils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>
#include <vector>

#include "platform/core/gbk.h"

// ---------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------

char DecimalSeparator = '.';
char ThousandSeparator = ',';
std::string CurrencyString = "$";
int CurrencyDecimals = 2;
char DateSeparator = '-';
char TimeSeparator = ':';
std::string ShortDateFormat = "yyyy-m-d";
std::string LongDateFormat = "yyyy-m-d";
std::string ShortTimeFormat = "h:nn";
std::string LongTimeFormat = "h:nn:ss";
std::string TimeAMString = "AM";
std::string TimePMString = "PM";
std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
std::string LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                  "July",    "August",   "September", "October", "November", "December"};
std::string ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
std::string LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char UpAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char LowAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
bool IsLead(char c) { return IsGbkLeadByte(static_cast<unsigned char>(c)); }

// Length in bytes of the character starting at S[i] (2 for a lead byte with a byte after it).
size_t CharLen(const std::string& S, size_t i) { return (IsLead(S[i]) && i + 1 < S.size()) ? 2 : 1; }

}  // namespace

// ---------------------------------------------------------------------------
// Integers
// ---------------------------------------------------------------------------

std::string IntToStr(int Value) { return IntToStr(static_cast<std::int64_t>(Value)); }

std::string IntToStr(std::int64_t Value) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, Value);
  return std::string(buf, r.ptr);
}

std::string UIntToStr(std::uint64_t Value) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, Value);
  return std::string(buf, r.ptr);
}

namespace {

std::string HexDigits(std::uint64_t Value, int MinDigits, bool Upper) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, Value, 16);
  std::string s(buf, r.ptr);
  if (Upper)
    for (char& c : s) c = UpAscii(c);
  if (MinDigits > 32) MinDigits = 32;
  if (static_cast<int>(s.size()) < MinDigits) s.insert(0, MinDigits - s.size(), '0');
  return s;
}

// Parses integer text into a 64-bit value. Bits is 32 or 64: decimal must fit the
// signed range, hex the unsigned one (and is then reinterpreted as signed).
bool ParseInt(const std::string& S, int Bits, std::int64_t& Out) {
  size_t i = 0, n = S.size();
  while (i < n && (S[i] == ' ' || S[i] == '\t')) ++i;
  bool neg = false;
  if (i < n && (S[i] == '+' || S[i] == '-')) neg = S[i++] == '-';
  int base = 10;
  if (i < n && S[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= n) return false;
  std::uint64_t mag = 0;
  const char* first = S.data() + i;
  const char* last = S.data() + n;
  auto r = std::from_chars(first, last, mag, base);
  if (r.ec != std::errc() || r.ptr != last) return false;  // no digits, junk, or > 64 bits
  std::int64_t v;
  if (base == 16) {
    if (Bits == 32) {
      if (mag > 0xFFFFFFFFull) return false;
      v = static_cast<std::int32_t>(static_cast<std::uint32_t>(mag));
    } else {
      v = static_cast<std::int64_t>(mag);
    }
    if (neg) v = static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(v));
    if (Bits == 32) v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  } else {
    std::uint64_t limit = (Bits == 32 ? 0x7FFFFFFFull : 0x7FFFFFFFFFFFFFFFull) + (neg ? 1 : 0);
    if (mag > limit) return false;
    v = neg ? static_cast<std::int64_t>(0 - mag) : static_cast<std::int64_t>(mag);
  }
  Out = v;
  return true;
}

[[noreturn]] void IntError(const std::string& S) {
  throw EConvertError("'" + S + "' is not a valid integer value");
}

}  // namespace

std::string IntToHex(int Value, int Digits) {
  return HexDigits(static_cast<std::uint32_t>(Value), Digits, true);
}

std::string IntToHex(std::int64_t Value, int Digits) {
  return HexDigits(static_cast<std::uint64_t>(Value), Digits, true);
}

bool TryStrToInt(const std::string& S, int& Value) {
  std::int64_t v;
  if (!ParseInt(S, 32, v)) return false;
  Value = static_cast<int>(v);
  return true;
}

int StrToInt(const std::string& S) {
  int v;
  if (!TryStrToInt(S, v)) IntError(S);
  return v;
}

int StrToIntDef(const std::string& S, int Default) {
  int v;
  return TryStrToInt(S, v) ? v : Default;
}

std::int64_t StrToInt64(const std::string& S) {
  std::int64_t v;
  if (!ParseInt(S, 64, v)) IntError(S);
  return v;
}

// ---------------------------------------------------------------------------
// Floats
// ---------------------------------------------------------------------------

namespace {

// A finite value as decimal digits: |value| = 0.D1D2D3... * 10^Exponent. Digits
// holds no trailing zeros; it is empty for zero.
struct TDecimal {
  bool Negative = false;
  int Exponent = 0;
  std::string Digits;
  bool Zero() const { return Digits.empty(); }
};

// The shortest digits that read back as the same double (to_chars is locale-free).
TDecimal ToDecimal(double Value) {
  TDecimal d;
  d.Negative = std::signbit(Value);
  double a = std::fabs(Value);
  if (a == 0) return d;
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific);
  const char* p = buf;
  while (p < r.ptr && *p != 'e') {
    if (IsDigit(*p)) d.Digits += *p;
    ++p;
  }
  int e = 0;
  if (p < r.ptr) {
    ++p;
    bool neg = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    std::from_chars(p, r.ptr, e);
    if (neg) e = -e;
  }
  d.Exponent = e + 1;
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  return d;
}

// Keeps Keep significant digits, rounding half away from zero.
void RoundTo(TDecimal& d, int Keep) {
  if (Keep >= static_cast<int>(d.Digits.size())) return;
  if (Keep < 0) {
    d.Digits.clear();
  } else {
    bool up = d.Digits[Keep] >= '5';
    d.Digits.resize(Keep);
    if (up) {
      while (!d.Digits.empty() && d.Digits.back() == '9') d.Digits.pop_back();
      if (d.Digits.empty()) {
        d.Digits = "1";
        d.Exponent += 1;
      } else {
        d.Digits.back()++;
      }
    }
    while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  }
  if (d.Digits.empty()) d.Exponent = 0;
}

char DigitAt(const TDecimal& d, int Index) {
  return (Index >= 0 && Index < static_cast<int>(d.Digits.size())) ? d.Digits[Index] : '0';
}

std::string GroupThousands(const std::string& IntDigits) {
  std::string out;
  size_t n = IntDigits.size();
  for (size_t i = 0; i < n; ++i) {
    out += IntDigits[i];
    size_t left = n - 1 - i;
    if (left > 0 && left % 3 == 0) out += ThousandSeparator;
  }
  return out;
}

// Fixed notation with exactly Decimals decimals.
std::string FixedText(const TDecimal& d, int Decimals, bool Thousands) {
  std::string ip;
  for (int i = 0; i < d.Exponent; ++i) ip += DigitAt(d, i);
  if (ip.empty()) ip = "0";
  std::string s = Thousands ? GroupThousands(ip) : ip;
  if (Decimals > 0) {
    s += DecimalSeparator;
    for (int k = 0; k < Decimals; ++k) s += DigitAt(d, d.Exponent + k);
  }
  return s;
}

std::string ExponentText(int Exp, bool AlwaysSign, int MinDigits) {
  std::string s = "E";
  if (Exp < 0) s += '-';
  else if (AlwaysSign) s += '+';
  std::string digits = std::to_string(Exp < 0 ? -Exp : Exp);
  if (static_cast<int>(digits.size()) < MinDigits) digits.insert(0, MinDigits - digits.size(), '0');
  return s + digits;
}

// General format of an already rounded value (without the sign).
std::string GeneralText(const TDecimal& d, int Precision, int ExpDigits) {
  if (d.Zero()) return "0";
  int n = static_cast<int>(d.Digits.size());
  if (d.Exponent > Precision || d.Exponent < -4) {
    std::string s(1, d.Digits[0]);
    if (n > 1) s += DecimalSeparator + d.Digits.substr(1);
    return s + ExponentText(d.Exponent - 1, false, ExpDigits);
  }
  if (d.Exponent <= 0) return std::string("0") + DecimalSeparator + std::string(-d.Exponent, '0') + d.Digits;
  std::string s;
  for (int i = 0; i < d.Exponent; ++i) s += DigitAt(d, i);
  if (n > d.Exponent) s += DecimalSeparator + d.Digits.substr(d.Exponent);
  return s;
}

std::string SpecialText(double Value) {
  if (std::isnan(Value)) return "NAN";
  return Value > 0 ? "INF" : "-INF";
}

[[noreturn]] void FloatError(const std::string& S) {
  throw EConvertError("'" + S + "' is not a valid floating point value");
}

}  // namespace

std::string FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits) {
  if (!std::isfinite(Value)) return SpecialText(Value);
  Precision = std::clamp(Precision, 1, 18);
  TDecimal d = ToDecimal(Value);
  switch (Format) {
    case ffExponent: {
      Digits = std::clamp(Digits, 0, 4);
      RoundTo(d, Precision);
      std::string s(1, DigitAt(d, 0));
      if (Precision > 1) {
        s += DecimalSeparator;
        for (int k = 1; k < Precision; ++k) s += DigitAt(d, k);
      }
      s += ExponentText(d.Zero() ? 0 : d.Exponent - 1, true, Digits);
      return (d.Negative && !d.Zero() ? "-" : "") + s;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      Digits = std::clamp(Digits, 0, 18);
      if (d.Exponent > Precision) {  // more integer digits than the precision holds
        RoundTo(d, Precision);
        return (d.Negative ? "-" : "") + GeneralText(d, Precision, 0);
      }
      RoundTo(d, std::min(Precision, d.Exponent + Digits));
      std::string s = FixedText(d, Digits, Format != ffFixed);
      if (Format == ffCurrency) s = CurrencyString + s;
      return (d.Negative && !d.Zero() ? "-" : "") + s;
    }
    case ffGeneral:
    default: {
      Digits = std::clamp(Digits, 0, 4);
      RoundTo(d, Precision);
      return (d.Negative && !d.Zero() ? "-" : "") + GeneralText(d, Precision, Digits);
    }
  }
}

std::string FloatToStr(double Value) { return FloatToStrF(Value, ffGeneral, 15, 0); }

bool TryStrToFloat(const std::string& S, double& Value) {
  size_t i = 0, n = S.size();
  while (i < n && static_cast<unsigned char>(S[i]) <= ' ') ++i;
  while (n > i && static_cast<unsigned char>(S[n - 1]) <= ' ') --n;
  // Rebuilt in the fixed syntax from_chars reads: [-]digits[.digits][e[-]digits].
  std::string t;
  bool neg = false;
  if (i < n && (S[i] == '+' || S[i] == '-')) neg = S[i++] == '-';
  if (neg) t += '-';
  size_t mantissaDigits = 0;
  int intDigits = 0;  // significant digits before the point, for the overflow check
  bool leading = true;
  while (i < n && IsDigit(S[i])) {
    if (S[i] != '0') leading = false;
    if (!leading) ++intDigits;
    t += S[i++];
    ++mantissaDigits;
  }
  int leadingFractionZeros = 0;
  if (i < n && S[i] == DecimalSeparator) {
    t += '.';
    ++i;
    while (i < n && IsDigit(S[i])) {
      if (leading && S[i] == '0') ++leadingFractionZeros;
      else leading = false;
      t += S[i++];
      ++mantissaDigits;
    }
  }
  if (mantissaDigits == 0) return false;
  long long exp = 0;
  if (i < n && (S[i] == 'e' || S[i] == 'E')) {
    t += 'e';
    ++i;
    bool eneg = false;
    if (i < n && (S[i] == '+' || S[i] == '-')) eneg = S[i++] == '-';
    if (eneg) t += '-';
    size_t start = i;
    while (i < n && IsDigit(S[i])) {
      if (exp < 100000) exp = exp * 10 + (S[i] - '0');
      t += S[i++];
    }
    if (i == start) return false;
    if (eneg) exp = -exp;
  }
  if (i != n) return false;
  double v = 0;
  auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (r.ptr != t.data() + t.size()) return false;
  if (r.ec == std::errc::result_out_of_range) {
    // Decide between overflow (an error) and underflow (zero) by the magnitude.
    long long magnitude = leading ? 0 : (intDigits > 0 ? intDigits : -leadingFractionZeros) + exp;
    if (magnitude > 0) return false;
    v = neg ? -0.0 : 0.0;
  } else if (r.ec != std::errc()) {
    return false;
  }
  Value = v;
  return true;
}

double StrToFloat(const std::string& S) {
  double v;
  if (!TryStrToFloat(S, v)) FloatError(S);
  return v;
}

double StrToFloatDef(const std::string& S, double Default) {
  double v;
  return TryStrToFloat(S, v) ? v : Default;
}

// ---------------------------------------------------------------------------
// FormatFloat
// ---------------------------------------------------------------------------

namespace {

// What one section of a FormatFloat picture asks for.
struct TPicture {
  int IntCount = 0;      // digit placeholders before the decimal point
  int IntForced = 0;     // of those, the ones from the first '0' on
  int DecCount = 0;      // digit placeholders after the decimal point
  int DecForced = 0;     // decimals up to the last '0'
  bool Thousands = false;
  bool Scientific = false;
  bool ExpPlus = false;
  int ExpDigits = 0;
};

// Length of the quoted literal starting at Sec[i] (quotes included).
size_t QuotedLen(const std::string& Sec, size_t i) {
  char q = Sec[i];
  size_t j = i + 1;
  while (j < Sec.size() && Sec[j] != q) j += CharLen(Sec, j);
  return std::min(j + 1, Sec.size()) - i;
}

bool IsExponentAt(const std::string& Sec, size_t i) {
  return (Sec[i] == 'E' || Sec[i] == 'e') && i + 1 < Sec.size() && (Sec[i + 1] == '+' || Sec[i + 1] == '-');
}

std::vector<std::string> SplitSections(const std::string& Fmt) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < Fmt.size();) {
    char c = Fmt[i];
    size_t len = (c == '"' || c == '\'') ? QuotedLen(Fmt, i) : CharLen(Fmt, i);
    if (c == ';') {
      if (out.size() == 3) break;
      out.emplace_back();
    } else {
      out.back() += Fmt.substr(i, len);
    }
    i += len;
  }
  return out;
}

TPicture AnalysePicture(const std::string& Sec) {
  TPicture p;
  bool point = false;
  int firstZero = -1;
  for (size_t i = 0; i < Sec.size();) {
    char c = Sec[i];
    if (c == '"' || c == '\'') { i += QuotedLen(Sec, i); continue; }
    if (c == '0' || c == '#') {
      if (!point) {
        if (c == '0' && firstZero < 0) firstZero = p.IntCount;
        ++p.IntCount;
      } else {
        ++p.DecCount;
        if (c == '0') p.DecForced = p.DecCount;
      }
    } else if (c == '.') {
      point = true;
    } else if (c == ',') {
      p.Thousands = true;
    } else if (IsExponentAt(Sec, i)) {
      p.Scientific = true;
      p.ExpPlus = Sec[i + 1] == '+';
      i += 2;
      while (i < Sec.size() && Sec[i] == '0') { ++p.ExpDigits; ++i; }
      p.ExpDigits = std::min(p.ExpDigits, 4);
      break;  // the rest of the section is literal text
    }
    i += CharLen(Sec, i);
  }
  p.IntForced = firstZero < 0 ? 0 : p.IntCount - firstZero;
  return p;
}

// Rounds the value as the picture asks; for scientific pictures also returns the exponent.
TDecimal RoundForPicture(TDecimal d, const TPicture& p, int& Exp10) {
  Exp10 = 0;
  if (p.Scientific) {
    RoundTo(d, std::min(std::max(p.IntCount + p.DecCount, 1), 18));
    if (!d.Zero()) Exp10 = d.Exponent - p.IntCount;
  } else {
    RoundTo(d, std::min(d.Exponent + p.DecCount, 18));
  }
  return d;
}

std::string RenderPicture(const std::string& Sec, const TPicture& p, const TDecimal& d, int Exp10) {
  // Integer and decimal digits to place.
  std::string ip, fp;
  if (p.Scientific) {
    for (int i = 0; i < p.IntCount; ++i) ip += DigitAt(d, i);
    for (int i = 0; i < p.DecCount; ++i) fp += DigitAt(d, p.IntCount + i);
    if (d.Zero()) ip = std::string(p.IntForced, '0');
  } else {
    for (int i = 0; i < d.Exponent; ++i) ip += DigitAt(d, i);
    if (static_cast<int>(ip.size()) < p.IntForced) ip.insert(0, p.IntForced - ip.size(), '0');
    for (int i = 0; i < p.DecCount; ++i) fp += DigitAt(d, d.Exponent + i);
  }
  while (static_cast<int>(fp.size()) > p.DecForced && fp.back() == '0') fp.pop_back();

  const int L = static_cast<int>(ip.size());
  std::string out;
  auto putIntDigit = [&](int k) {  // k = digit index in ip (left to right)
    out += ip[k];
    int fromRight = L - 1 - k;
    if (p.Thousands && !p.Scientific && fromRight > 0 && fromRight % 3 == 0) out += ThousandSeparator;
  };
  bool point = false;
  int intSlot = 0, decSlot = 0;
  // Without integer placeholders the integer digits go where the integer part ends.
  bool intPending = p.IntCount == 0;
  auto flushIntWithoutSlots = [&]() {
    if (!intPending) return;
    intPending = false;
    for (int k = 0; k < L; ++k) putIntDigit(k);
  };
  for (size_t i = 0; i < Sec.size();) {
    char c = Sec[i];
    if (c == '"' || c == '\'') {
      size_t len = QuotedLen(Sec, i);
      size_t inner = len >= 2 && Sec[i + len - 1] == c ? len - 2 : len - 1;
      out += Sec.substr(i + 1, inner);
      i += len;
      continue;
    }
    if ((c == '0' || c == '#') && !point) {
      int fromRight = p.IntCount - 1 - intSlot;  // this slot's digit position
      if (intSlot == 0) {
        for (int k = 0; k < L - fromRight; ++k) putIntDigit(k);  // all the overflow digits
      } else if (fromRight < L) {
        putIntDigit(L - 1 - fromRight);
      }
      ++intSlot;
    } else if ((c == '0' || c == '#') && point) {
      if (decSlot < static_cast<int>(fp.size())) out += fp[decSlot];
      ++decSlot;
    } else if (c == '.' && !point) {
      flushIntWithoutSlots();
      point = true;
      if (!fp.empty()) out += DecimalSeparator;
    } else if (c == ',') {
      // grouping was noted by AnalysePicture; the comma itself is not written
    } else if (IsExponentAt(Sec, i)) {
      flushIntWithoutSlots();
      out += c;
      out += ExponentText(Exp10, p.ExpPlus, p.ExpDigits).substr(1);
      i += 2;
      while (i < Sec.size() && Sec[i] == '0') ++i;
      out += Sec.substr(i);  // literal tail
      break;
    } else {
      size_t len = CharLen(Sec, i);
      out += Sec.substr(i, len);
      i += len;
      continue;
    }
    ++i;
  }
  flushIntWithoutSlots();
  return out;
}

}  // namespace

std::string FormatFloat(const std::string& Format, double Value) {
  if (Format.empty() || !std::isfinite(Value)) return FloatToStr(Value);
  std::vector<std::string> sections = SplitSections(Format);
  TDecimal d = ToDecimal(Value);
  bool negSection = d.Negative && sections.size() >= 2 && !sections[1].empty();
  const std::string* sec = negSection ? &sections[1] : &sections[0];
  TPicture p = AnalysePicture(*sec);
  int exp10;
  TDecimal r = RoundForPicture(d, p, exp10);
  if (r.Zero() && sections.size() >= 3 && !sections[2].empty()) {
    sec = &sections[2];
    p = AnalysePicture(*sec);
    r = RoundForPicture(TDecimal{}, p, exp10);
    negSection = true;  // the zero section carries no sign
  }
  std::string body = RenderPicture(*sec, p, r, exp10);
  return (d.Negative && !negSection && !r.Zero() ? "-" : "") + body;
}

// ---------------------------------------------------------------------------
// Format
// ---------------------------------------------------------------------------

namespace {

[[noreturn]] void FormatError(const std::string& Fmt) {
  throw EConvertError("Format '" + Fmt + "' invalid or incompatible with argument");
}

bool IsIntegerArg(const TVarRec& A) {
  return A.Kind() == TVarRec::vtInteger || A.Kind() == TVarRec::vtInt64 || A.Kind() == TVarRec::vtBoolean;
}

// One converted argument of Format ("%d", "%x", "%f", "%s", "%p" ...) before its
// width is applied; EConvertError when the argument's kind does not fit the type.
std::string FormatArgument(const std::string& Fmt, char Type, int Prec, const TVarRec& A) {
  switch (Type == 'X' ? 'X' : LowAscii(Type)) {
    case 'd': {
      if (!IsIntegerArg(A)) FormatError(Fmt);
      std::int64_t v = A.AsInt();
      std::string digits = UIntToStr(v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v));
      if (Prec > 0 && static_cast<int>(digits.size()) < Prec) digits.insert(0, std::min(Prec, 64) - digits.size(), '0');
      return (v < 0 ? "-" : "") + digits;
    }
    case 'u':
    case 'x':
    case 'X': {
      if (!IsIntegerArg(A)) FormatError(Fmt);
      std::uint64_t v = A.Kind() == TVarRec::vtInteger ? static_cast<std::uint32_t>(A.AsInt())
                                                       : static_cast<std::uint64_t>(A.AsInt());
      if (Type != 'u' && Type != 'U') return HexDigits(v, std::max(Prec, 0), Type == 'X');
      std::string s = UIntToStr(v);
      if (Prec > 0 && static_cast<int>(s.size()) < Prec) s.insert(0, std::min(Prec, 64) - s.size(), '0');
      return s;
    }
    case 'f':
    case 'e':
    case 'g':
    case 'n':
    case 'm': {
      if (A.Kind() != TVarRec::vtExtended) FormatError(Fmt);
      double v = A.AsFloat();
      switch (LowAscii(Type)) {
        case 'f': return FloatToStrF(v, ffFixed, 18, Prec < 0 ? 2 : Prec);
        case 'e': return FloatToStrF(v, ffExponent, Prec < 0 ? 15 : Prec, 3);
        case 'g': return FloatToStrF(v, ffGeneral, Prec < 0 ? 15 : Prec, 3);
        case 'n': return FloatToStrF(v, ffNumber, 18, Prec < 0 ? 2 : Prec);
        default: return FloatToStrF(v, ffCurrency, 18, Prec < 0 ? CurrencyDecimals : Prec);
      }
    }
    case 's': {
      if (A.Kind() != TVarRec::vtString && A.Kind() != TVarRec::vtChar) FormatError(Fmt);
      std::string s = A.AsString();
      if (Prec >= 0 && static_cast<size_t>(Prec) < s.size()) s = GbkTruncate(s, static_cast<size_t>(Prec));
      return s;
    }
    case 'p':
      if (A.Kind() != TVarRec::vtPointer) FormatError(Fmt);
      return HexDigits(static_cast<std::uint64_t>(A.AsInt()), static_cast<int>(sizeof(void*) * 2), true);
    default:
      FormatError(Fmt);
  }
}

}  // namespace

std::string Format(const std::string& Fmt, std::initializer_list<TVarRec> Args) {
  const TVarRec* args = Args.begin();
  const size_t argc = Args.size();
  size_t next = 0;
  auto takeArg = [&]() -> const TVarRec& {
    if (next >= argc) FormatError(Fmt);
    return args[next++];
  };
  // Reads a number or '*' (an integer argument); -1 when neither is there.
  auto readNum = [&](size_t& i) -> int {
    if (i < Fmt.size() && Fmt[i] == '*') {
      ++i;
      const TVarRec& a = takeArg();
      if (!IsIntegerArg(a)) FormatError(Fmt);
      return static_cast<int>(std::clamp<std::int64_t>(a.AsInt(), 0, 1 << 20));
    }
    if (i >= Fmt.size() || !IsDigit(Fmt[i])) return -1;
    int v = 0;
    while (i < Fmt.size() && IsDigit(Fmt[i])) {
      v = std::min(v * 10 + (Fmt[i] - '0'), 1 << 20);
      ++i;
    }
    return v;
  };

  std::string out;
  for (size_t i = 0; i < Fmt.size();) {
    if (Fmt[i] != '%') {
      size_t len = CharLen(Fmt, i);
      out.append(Fmt, i, len);
      i += len;
      continue;
    }
    ++i;
    if (i < Fmt.size() && Fmt[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // Optional argument index "n:".
    size_t save = i;
    if (i < Fmt.size() && IsDigit(Fmt[i])) {
      int idx = 0;
      while (i < Fmt.size() && IsDigit(Fmt[i])) idx = std::min(idx * 10 + (Fmt[i++] - '0'), 1 << 20);
      if (i < Fmt.size() && Fmt[i] == ':') {
        next = static_cast<size_t>(idx);
        ++i;
      } else {
        i = save;
      }
    }
    bool left = false;
    if (i < Fmt.size() && Fmt[i] == '-') { left = true; ++i; }
    int width = readNum(i);
    int prec = -1;
    if (i < Fmt.size() && Fmt[i] == '.') {
      ++i;
      prec = readNum(i);
      if (prec < 0) prec = 0;
    }
    if (i >= Fmt.size()) FormatError(Fmt);
    char type = Fmt[i++];
    const TVarRec& a = takeArg();
    std::string s = FormatArgument(Fmt, type, prec, a);
    if (width > 0 && static_cast<int>(s.size()) < width) {
      if (left) s.append(width - s.size(), ' ');
      else s.insert(0, width - s.size(), ' ');
    }
    out += s;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Strings
// ---------------------------------------------------------------------------

std::string Trim(const std::string& S) { return TrimLeft(TrimRight(S)); }

std::string TrimLeft(const std::string& S) {
  size_t i = 0;
  while (i < S.size() && static_cast<unsigned char>(S[i]) <= ' ') ++i;
  return S.substr(i);
}

std::string TrimRight(const std::string& S) {
  size_t n = S.size();
  while (n > 0 && static_cast<unsigned char>(S[n - 1]) <= ' ') --n;
  return S.substr(0, n);
}

namespace {

template <class F>
std::string MapSingleBytes(const std::string& S, F Fn) {
  std::string out = S;
  for (size_t i = 0; i < out.size();) {
    size_t len = CharLen(out, i);
    if (len == 1) out[i] = Fn(out[i]);
    i += len;
  }
  return out;
}

}  // namespace

std::string UpperCase(const std::string& S) { return MapSingleBytes(S, UpAscii); }
std::string LowerCase(const std::string& S) { return MapSingleBytes(S, LowAscii); }
std::string AnsiUpperCase(const std::string& S) { return UpperCase(S); }
std::string AnsiLowerCase(const std::string& S) { return LowerCase(S); }

int CompareStr(const std::string& S1, const std::string& S2) {
  size_t n = std::min(S1.size(), S2.size());
  for (size_t i = 0; i < n; ++i) {
    int a = static_cast<unsigned char>(S1[i]), b = static_cast<unsigned char>(S2[i]);
    if (a != b) return a - b;
  }
  return static_cast<int>(S1.size()) - static_cast<int>(S2.size());
}

int CompareText(const std::string& S1, const std::string& S2) {
  size_t n = std::min(S1.size(), S2.size());
  bool trail = false;  // byte i is the second byte of a double-byte character
  for (size_t i = 0; i < n; ++i) {
    char c1 = S1[i], c2 = S2[i];
    if (!trail && !IsLead(c1)) {
      c1 = UpAscii(c1);
      c2 = UpAscii(c2);
    }
    int a = static_cast<unsigned char>(c1), b = static_cast<unsigned char>(c2);
    if (a != b) return a - b;
    // Equal so far, so both strings share the same character boundaries.
    trail = !trail && IsLead(S1[i]);
  }
  return static_cast<int>(S1.size()) - static_cast<int>(S2.size());
}

bool SameText(const std::string& S1, const std::string& S2) {
  return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

// The class library compares these through the user's locale. Here the text is GBK
// bytes, which the process's UTF-8 locale cannot collate, so the comparison is
// byte-wise: deterministic, and GBK's byte order already sorts the common (level-1)
// Chinese characters by pinyin, as the Chinese locale does.
int AnsiCompareStr(const std::string& S1, const std::string& S2) { return CompareStr(S1, S2); }
int AnsiCompareText(const std::string& S1, const std::string& S2) { return CompareText(S1, S2); }
bool AnsiSameText(const std::string& S1, const std::string& S2) { return SameText(S1, S2); }

std::string StringReplace(const std::string& S, const std::string& OldPattern,
                          const std::string& NewPattern, TReplaceFlags Flags) {
  if (OldPattern.empty()) return S;
  const bool all = Flags.Contains(rfReplaceAll);
  const bool fold = Flags.Contains(rfIgnoreCase);
  const std::string pat = fold ? UpperCase(OldPattern) : OldPattern;
  const std::string src = fold ? UpperCase(S) : S;  // same character boundaries as S
  std::string out;
  size_t i = 0;
  while (i < S.size()) {
    if (src.compare(i, pat.size(), pat) == 0) {
      out += NewPattern;
      i += pat.size();
      if (!all) {
        out.append(S, i, std::string::npos);
        return out;
      }
      continue;
    }
    size_t len = CharLen(S, i);
    out.append(S, i, len);
    i += len;
  }
  return out;
}

int Pos(const std::string& Substr, const std::string& S) {
  if (Substr.empty()) return 0;
  size_t p = S.find(Substr);
  return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

std::string Copy(const std::string& S, int Index, int Count) {
  if (Index < 1) Index = 1;
  if (Count <= 0 || static_cast<size_t>(Index) > S.size()) return std::string();
  return S.substr(static_cast<size_t>(Index - 1), static_cast<size_t>(Count));
}

std::string QuotedStr(const std::string& S) { return AnsiQuotedStr(S, '\''); }

// Quoting goes by whole GBK characters (a lead byte only with a real trail byte), so
// a quote after a stray lead byte is doubled and read back as a quote.
std::string AnsiQuotedStr(const std::string& S, char Quote) {
  std::string out(1, Quote);
  for (size_t i = 0; i < S.size();) {
    size_t len = GbkCharLen(S, i);
    if (len == 1 && S[i] == Quote) out += Quote;
    out.append(S, i, len);
    i += len;
  }
  out += Quote;
  return out;
}

std::string AnsiExtractQuotedStr(const char*& Src, char Quote) {
  if (!Src || *Src != Quote || Quote == '\0') return std::string();
  std::string s(Src);
  size_t pos = 0;
  std::string out = AnsiExtractQuotedStr(s, pos, Quote);
  Src += pos;
  return out;
}

std::string AnsiExtractQuotedStr(const std::string& S, size_t& Pos, char Quote) {
  std::string out;
  if (Pos >= S.size() || S[Pos] != Quote) return out;
  size_t i = Pos + 1;
  while (i < S.size()) {
    size_t len = GbkCharLen(S, i);
    if (len == 1 && S[i] == Quote) {
      if (i + 1 < S.size() && S[i + 1] == Quote) {  // a doubled quote stands for one
        out += Quote;
        i += 2;
        continue;
      }
      ++i;  // the closing quote
      break;
    }
    out.append(S, i, len);
    i += len;
  }
  Pos = i;
  return out;
}

bool IsValidIdent(const std::string& Ident) {
  if (Ident.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(Ident[0])) return false;
  return std::all_of(Ident.begin(), Ident.end(), [&](char c) { return alpha(c) || IsDigit(c); });
}

// ---------------------------------------------------------------------------
// File names
// ---------------------------------------------------------------------------

std::string IncludeTrailingPathDelimiter(const std::string& S) {
  if (!S.empty() && S.back() == PathDelim) return S;
  return S + PathDelim;
}

std::string ExtractFilePath(const std::string& FileName) {
  size_t p = FileName.rfind(PathDelim);
  return p == std::string::npos ? std::string() : FileName.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& FileName) {
  size_t p = FileName.rfind(PathDelim);
  return p == std::string::npos ? FileName : FileName.substr(p + 1);
}

std::string ExtractFileExt(const std::string& FileName) {
  size_t p = FileName.find_last_of(std::string(1, PathDelim) + ".");
  if (p == std::string::npos || FileName[p] != '.') return std::string();
  return FileName.substr(p);
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Extension) {
  size_t p = FileName.find_last_of(std::string(1, PathDelim) + ".");
  if (p == std::string::npos || FileName[p] != '.') return FileName + Extension;
  return FileName.substr(0, p) + Extension;
}

// ---------------------------------------------------------------------------
// Dates and times
// ---------------------------------------------------------------------------

const Word MonthDays[2][13] = {{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                               {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

namespace {

constexpr std::int64_t kUnixToDateTime = 25569;  // 1970-01-01 as days since 1899-12-30
constexpr std::int64_t kMinDay = -693593;        // 0001-01-01
constexpr std::int64_t kMaxDay = 2958465;        // 9999-12-31

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

// Splits a TDateTime into its day number and the time of day in whole milliseconds;
// a time that rounds up to midnight moves to the next day. False when out of range.
bool SplitDateTime(TDateTime T, std::int64_t& Day, std::int64_t& MSec) {
  if (!std::isfinite(T) || T < static_cast<double>(kMinDay) - 1 || T > static_cast<double>(kMaxDay) + 1) {
    Day = 0;
    MSec = 0;
    return false;
  }
  double ip;
  double f = std::modf(T, &ip);
  Day = static_cast<std::int64_t>(ip);
  MSec = std::llround(std::fabs(f) * MSecsPerDay);
  if (MSec >= MSecsPerDay) {
    MSec -= MSecsPerDay;
    ++Day;
  }
  return Day >= kMinDay && Day <= kMaxDay;
}

}  // namespace

bool IsLeapYear(Word Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

Word DaysInAMonth(Word Year, Word Month) {
  if (Month < 1 || Month > 12) return 0;
  return MonthDays[IsLeapYear(Year) ? 1 : 0][Month];
}

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInAMonth(Year, Month))
    return false;
  Date = static_cast<double>(DaysFromCivil(Year, Month, Day) + kUnixToDateTime);
  return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day) {
  TDateTime d;
  if (!TryEncodeDate(Year, Month, Day, d)) throw EConvertError("Invalid argument to date encode");
  return d;
}

void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day) {
  std::int64_t day, ms;
  if (!SplitDateTime(Date, day, ms)) {
    Year = Month = Day = 0;
    return;
  }
  int y;
  unsigned m, d;
  CivilFromDays(day - kUnixToDateTime, y, m, d);
  Year = static_cast<Word>(y);
  Month = static_cast<Word>(m);
  Day = static_cast<Word>(d);
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time) {
  if (Hour >= 24 || Min >= 60 || Sec >= 60 || MSec >= 1000) return false;
  Time = (((Hour * 60.0 + Min) * 60.0 + Sec) * 1000.0 + MSec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec) {
  TDateTime t;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, t)) throw EConvertError("Invalid argument to time encode");
  return t;
}

void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
  std::int64_t day, ms;
  SplitDateTime(Time, day, ms);
  Hour = static_cast<Word>(ms / 3600000);
  Min = static_cast<Word>(ms / 60000 % 60);
  Sec = static_cast<Word>(ms / 1000 % 60);
  MSec = static_cast<Word>(ms % 1000);
}

int DayOfWeek(TDateTime Date) {
  std::int64_t day, ms;
  SplitDateTime(Date, day, ms);
  // Day 0 (1899-12-30) was a Saturday.
  return static_cast<int>(((day % 7) + 7 + 6) % 7) + 1;
}

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm lt{};
  localtime_r(&ts.tv_sec, &lt);
  return EncodeDate(static_cast<Word>(lt.tm_year + 1900), static_cast<Word>(lt.tm_mon + 1), static_cast<Word>(lt.tm_mday)) +
         EncodeTime(static_cast<Word>(lt.tm_hour), static_cast<Word>(lt.tm_min),
                    static_cast<Word>(std::min(lt.tm_sec, 59)), static_cast<Word>(ts.tv_nsec / 1000000));
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  TDateTime n = Now();
  return n - std::trunc(n);
}

namespace {

// Length of an am/pm marker ("am/pm", "a/p", "ampm", any case) at Fmt[i], else 0.
size_t AmPmLen(const std::string& Fmt, size_t i) {
  auto at = [&](const char* m) {
    size_t n = std::strlen(m);
    if (i + n > Fmt.size()) return false;
    for (size_t k = 0; k < n; ++k)
      if (LowAscii(Fmt[i + k]) != m[k]) return false;
    return true;
  };
  if (at("am/pm")) return 5;
  if (at("a/p")) return 3;
  if (at("ampm")) return 4;
  return 0;
}

bool HasAmPmFrom(const std::string& Fmt, size_t i) {
  while (i < Fmt.size()) {
    char c = Fmt[i];
    if (c == '"' || c == '\'') { i += QuotedLen(Fmt, i); continue; }
    if (AmPmLen(Fmt, i)) return true;
    i += CharLen(Fmt, i);
  }
  return false;
}

std::string Pad(unsigned V, int Width) {
  std::string s = std::to_string(V);
  if (static_cast<int>(s.size()) < Width) s.insert(0, Width - s.size(), '0');
  return s;
}

void AppendDateTime(std::string& out, const std::string& Fmt, TDateTime DT, int Depth) {
  Word y, mo, d, h, mi, s, ms;
  DecodeDate(DT, y, mo, d);
  DecodeTime(DT, h, mi, s, ms);
  bool afterHour = false;  // the last specifier was an hour: "m" then means minutes
  for (size_t i = 0; i < Fmt.size();) {
    char c = Fmt[i];
    char u = UpAscii(c);
    size_t run = 1;
    while (i + run < Fmt.size() && UpAscii(Fmt[i + run]) == u) ++run;
    switch (u) {
      case '"':
      case '\'': {
        size_t len = QuotedLen(Fmt, i);
        size_t inner = len >= 2 && Fmt[i + len - 1] == c ? len - 2 : len - 1;
        out.append(Fmt, i + 1, inner);
        i += len;
        continue;
      }
      case 'Y':
        out += run <= 2 ? Pad(y % 100, 2) : Pad(y, 4);
        afterHour = false;
        break;
      case 'M':
        run = std::min<size_t>(run, 4);
        if (afterHour && run <= 2) out += Pad(mi, static_cast<int>(run));
        else if (run <= 2) out += Pad(mo, static_cast<int>(run));
        else if (mo >= 1 && mo <= 12) out += (run == 3 ? ShortMonthNames : LongMonthNames)[mo - 1];
        afterHour = false;
        break;
      case 'D':
        run = std::min<size_t>(run, 6);
        if (run <= 2) {
          out += Pad(d, static_cast<int>(run));
        } else if (run <= 4) {
          int dow = DayOfWeek(DT);
          out += (run == 3 ? ShortDayNames : LongDayNames)[dow - 1];
        } else if (Depth < 2) {
          AppendDateTime(out, run == 5 ? ShortDateFormat : LongDateFormat, DT, Depth + 1);
        }
        afterHour = false;
        break;
      case 'H': {
        run = std::min<size_t>(run, 2);
        unsigned hh = h;
        if (HasAmPmFrom(Fmt, i + run)) hh = h % 12 == 0 ? 12 : h % 12;
        out += Pad(hh, static_cast<int>(run));
        afterHour = true;
        break;
      }
      case 'N':
        run = std::min<size_t>(run, 2);
        out += Pad(mi, static_cast<int>(run));
        afterHour = false;
        break;
      case 'S':
        run = std::min<size_t>(run, 2);
        out += Pad(s, static_cast<int>(run));
        afterHour = false;
        break;
      case 'Z':
        run = std::min<size_t>(run, 3);
        out += Pad(ms, run == 1 ? 1 : 3);
        afterHour = false;
        break;
      case 'T':
        run = std::min<size_t>(run, 2);
        if (Depth < 2) AppendDateTime(out, run == 1 ? ShortTimeFormat : LongTimeFormat, DT, Depth + 1);
        afterHour = false;
        break;
      case 'C':
        run = 1;
        if (Depth < 2) {
          AppendDateTime(out, ShortDateFormat, DT, Depth + 1);
          if (h || mi || s || ms) {
            out += ' ';
            AppendDateTime(out, LongTimeFormat, DT, Depth + 1);
          }
        }
        afterHour = false;
        break;
      case 'A': {
        size_t len = AmPmLen(Fmt, i);
        bool pm = h >= 12;
        if (len == 5) out.append(Fmt, pm ? i + 3 : i, 2);
        else if (len == 3) out += Fmt[pm ? i + 2 : i];
        else if (len == 4) out += pm ? TimePMString : TimeAMString;
        else { out += c; len = 1; }
        i += len;
        continue;
      }
      case '/':
        run = 1;
        out += DateSeparator;
        break;
      case ':':
        run = 1;
        out += TimeSeparator;
        break;
      default:
        run = CharLen(Fmt, i);  // a literal, possibly a double-byte character
        out.append(Fmt, i, run);
        break;
    }
    i += run;
  }
}

}  // namespace

std::string FormatDateTime(const std::string& Format, TDateTime DateTime) {
  std::string out;
  AppendDateTime(out, Format.empty() ? std::string("c") : Format, DateTime, 0);
  return out;
}
