// Lenient date and time text parsing.
#include "controls/editlist/datetext.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "controls/common/utils.h"

namespace {

// A digit run as a number; false when it does not fit an Integer.
bool TokenValue(const std::string& Token, std::int64_t& Value) {
  Value = 0;
  for (char c : Token) {
    Value = Value * 10 + (c - '0');
    if (Value > 0x7FFFFFFF) return false;
  }
  return !Token.empty();
}

// Packed digit runs cut into parts: 3 → 1+2, 4 → 2+2, 5 → 1+2+2, 6 → 2+2+2, 8 → 2+2+4.
std::vector<std::string> CutPacked(const std::string& Token) {
  std::vector<int> lens;
  switch (Token.size()) {
    case 3: lens = {1, 2}; break;
    case 4: lens = {2, 2}; break;
    case 5: lens = {1, 2, 2}; break;
    case 6: lens = {2, 2, 2}; break;
    case 8: lens = {2, 2, 4}; break;
    default: return {Token};
  }
  std::vector<std::string> parts;
  size_t pos = 0;
  for (int n : lens) {
    parts.push_back(Token.substr(pos, n));
    pos += n;
  }
  return parts;
}

void DeleteLetter(std::string& Order, char Letter) {
  size_t p = Order.find(Letter);
  if (p != std::string::npos) Order.erase(p, 1);
}

}  // namespace

std::string GetFormatOrder(const std::string& Format, const std::string& Letters) {
  std::string order;
  for (char c : UpperCase(Format))
    if (Letters.find(c) != std::string::npos && order.find(c) == std::string::npos) order += c;
  return order;
}

int CharClass(char C) {
  unsigned char u = static_cast<unsigned char>(C);
  if (u >= '0' && u <= '9') return 1;
  if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0x80) return -1;
  return 0;
}

int NextToken(std::string& S, std::string& Token) {
  size_t start = 0;
  while (start < S.size() && CharClass(S[start]) == 0) ++start;
  S.erase(0, start);
  if (S.empty()) {
    Token.clear();
    return 0;
  }
  int cls = CharClass(S[0]);
  size_t end = 1;
  while (end < S.size() && CharClass(S[end]) == cls) ++end;
  Token = S.substr(0, end);
  S.erase(0, end);
  return cls;
}

std::string GetLocaleMonthName(LCID Locale, int Month) {
  std::string s = GetDateFormat(Locale, EncodeDate(2000, static_cast<Word>(Month), 1), "dd MMMM");
  return s.size() > 3 ? s.substr(3) : std::string();
}

int MonthFromName(const std::string& Token) {
  for (int m = 1; m <= 12; ++m) {
    if (AnsiUpperCase(ShortMonthNames[m - 1]) == Token || AnsiUpperCase(LongMonthNames[m - 1]) == Token ||
        AnsiUpperCase(GetLocaleMonthName(LOCALE_USER_DEFAULT, m)) == Token ||
        AnsiUpperCase(GetLocaleMonthName(LOCALE_EN_US, m)) == Token)
      return m;
  }
  return -1;
}

int IsPMString(const std::string& Token) {
  if (Token == AnsiUpperCase(TimeAMString) || Token == "AM" || Token == "A") return -1;
  if (Token == AnsiUpperCase(TimePMString) || Token == "PM" || Token == "P") return 1;
  return 0;
}

bool StrToDateEx(const std::string& Text, TDateTime& Date) {
  Date = 0;
  if (Trim(Text).empty()) return true;
  std::string order = GetFormatOrder(ShortDateFormat, "DMY");
  const std::string fullOrder = order;
  Word ty, tm, td;
  DecodeDate(::Date(), ty, tm, td);
  std::int64_t year = ty, month = tm, day = td;
  bool overflow = false;
  std::string s = AnsiUpperCase(Text);
  const bool hasSeparator = Text.find(DateSeparator) != std::string::npos;

  auto assign = [&](std::int64_t v) {
    char letter = order[0];
    if (v > 999) letter = 'Y';
    else if (v > 12 && letter != 'Y') letter = 'D';
    if (letter == 'D') day = v;
    else if (letter == 'M') month = v;
    else year = v;
    DeleteLetter(order, letter);
  };

  for (int pass = 0; pass < 3; ++pass) {
    std::string token;
    int cls = NextToken(s, token);
    while (cls == -1) {
      int m = MonthFromName(token);
      if (m > 0) {
        month = m;
        DeleteLetter(order, 'M');
      }
      cls = NextToken(s, token);
    }
    if (token.empty() || order.empty()) continue;
    const size_t n = token.size();
    if ((n == 3 || n == 4 || n == 5 || n == 6 || n == 8) && !hasSeparator && order != "Y") {
      for (const std::string& part : CutPacked(token)) {
        if (order.empty()) break;
        std::int64_t v;
        TokenValue(part, v);
        assign(v);
      }
    } else {
      std::int64_t v;
      if (!TokenValue(token, v)) {
        overflow = true;
        break;
      }
      assign(v);
    }
  }
  // Fields are 16-bit in the stored date: anything wider cannot be encoded.
  if (overflow || year > 9999 || month > 0xFFFF || day > 0xFFFF) return false;
  if (month > 12) {
    if (day <= 12) std::swap(day, month);
    else month = 1;
  }
  if (year < 100) {
    std::string text;
    for (char c : fullOrder) {
      if (!text.empty()) text += DateSeparator;
      text += std::to_string(c == 'D' ? day : c == 'M' ? month : year);
    }
    TDateTime d;
    if (!TryStrToDate(text, d)) return false;
    Date = d;
    return true;
  }
  TDateTime d;
  if (!TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), d)) return false;
  Date = d;
  return true;
}

TDateTime StrToTimeEx(const std::string& Text) {
  std::string order = GetFormatOrder(LongTimeFormat, "HMNSZ");
  std::int64_t hour = 0, minute = 0, second = 0, msec = 0;
  int marker = 0;
  std::string s = AnsiUpperCase(Text);

  auto assign = [&](std::int64_t v) {
    switch (order[0]) {
      case 'H': hour = v; break;
      case 'M':
      case 'N': minute = v; break;
      case 'S': second = v; break;
      default: msec = v; break;
    }
    order.erase(0, 1);
  };

  for (int pass = 0; pass < 4; ++pass) {
    std::string token;
    int cls = NextToken(s, token);
    while (cls == -1) {
      if (marker == 0) marker = IsPMString(token);
      cls = NextToken(s, token);
    }
    if (token.empty() || order.empty()) continue;
    if (token.size() == 3 || token.size() == 4) {
      for (const std::string& part : CutPacked(token)) {
        if (order.empty()) break;
        std::int64_t v;
        TokenValue(part, v);
        assign(v);
      }
    } else {
      std::int64_t v;
      if (!TokenValue(token, v)) return 0;
      assign(v);
    }
  }
  if (marker > 0 && hour < 12) hour += 12;
  else if (marker < 0 && hour == 12) hour = 0;
  hour %= 24;
  if (minute >= 60) minute = 0;
  if (second >= 60) second = 0;
  while (msec > 999) msec /= 10;
  TDateTime t;
  if (!TryEncodeTime(static_cast<Word>(hour), static_cast<Word>(minute), static_cast<Word>(second),
                     static_cast<Word>(msec), t))
    return 0;
  return t;
}
