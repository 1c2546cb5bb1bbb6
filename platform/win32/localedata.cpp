// Locale date tables.
#include "platform/win32/localedata.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

#include "platform/core/gbk.h"
#include "platform/core/scope.h"

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
  t.LongDateFormat = g("yyyy'年'm'月'd'日'");
  t.DateSeparator = '-';
  t.ShortTimeFormat = "h:nn";
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
  t.LongDateFormat = "dddd, mmmm d, yyyy";
  t.DateSeparator = '/';
  t.ShortTimeFormat = "h:nn AMPM";
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

// The globals' start-up values (sysutils.cpp): the English names with the
// ISO-like date order and a 24-hour clock.
TLocaleDateInfo MakeBuiltIn() {
  TLocaleDateInfo t = MakeEnglish();
  t.Locale = 0;
  t.ShortDateFormat = "yyyy-m-d";
  t.LongDateFormat = "yyyy-m-d";
  t.DateSeparator = '-';
  t.ShortTimeFormat = "h:nn";
  t.LongTimeFormat = "h:nn:ss";
  t.TimeSeparator = ':';
  return t;
}

// ---------------------------------------------------------------------------
// strftime patterns

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Literal text of a pattern: quoted when it holds letters FormatDateTime would read.
void FlushLiteral(std::string& Out, std::string& Literal) {
  bool letters = false;
  std::string clean;
  for (char c : Literal) {
    if (c == '"' || c == '\'') continue;
    letters = letters || IsAsciiLetter(c);
    clean += c;
  }
  Out += letters ? "\"" + clean + "\"" : clean;
  Literal.clear();
}

struct TExpansions {
  std::string AmPmTime, Date, Time;
};

// FormatDateTime's letters for one conversion, or a pattern to expand (Expand set).
std::string ConversionLetters(char K, const TExpansions& X, std::string& Expand) {
  switch (K) {
    case 'a': return "ddd";
    case 'A': return "dddd";
    case 'b':
    case 'h': return "mmm";
    case 'B': return "mmmm";
    case 'd': return "dd";
    case 'e': return "d";
    case 'm': return "mm";
    case 'y': return "yy";
    case 'Y': return "yyyy";
    case 'H':
    case 'I': return "hh";
    case 'k':
    case 'l': return "h";
    case 'M': return "nn";
    case 'S': return "ss";
    case 'p':
    case 'P': return "ampm";
    case 'r': Expand = X.AmPmTime; return "";
    case 'x': Expand = X.Date; return "";
    case 'X': Expand = X.Time; return "";
    case 'D': Expand = "%m/%d/%y"; return "";
    case 'F': Expand = "%Y-%m-%d"; return "";
    case 'T': Expand = "%H:%M:%S"; return "";
    case 'R': Expand = "%H:%M"; return "";
    default: return "";  // time zones, week numbers and the like have no letters
  }
}

// Skips the flags, width and E/O modifier after '%'; I ends on the conversion.
// True for the '-' flag: a number without padding.
bool SkipModifiers(const std::string& P, size_t& I) {
  bool noPad = false;
  for (; I < P.size() && P[I] != '\0' && std::strchr("_-0^#", P[I]); ++I) noPad = noPad || P[I] == '-';
  while (I < P.size() && P[I] >= '0' && P[I] <= '9') ++I;
  if (I < P.size() && (P[I] == 'E' || P[I] == 'O')) ++I;
  return noPad;
}

std::string Translate(const std::string& P, const TExpansions& X, int Depth) {
  std::string out, literal;
  for (size_t i = 0; i < P.size(); ++i) {
    if (P[i] != '%') {
      literal += P[i];
      continue;
    }
    ++i;
    const bool noPad = SkipModifiers(P, i);
    if (i >= P.size()) break;
    const char k = P[i];
    if (k == 'n' || k == 't') {
      literal += ' ';
      continue;
    }
    if (k == '%') {
      literal += '%';
      continue;
    }
    std::string expand;
    std::string letters = ConversionLetters(k, X, expand);
    if (noPad && letters.size() == 2 && letters != "yy") letters.resize(1);  // "%-d" is "d"
    FlushLiteral(out, literal);
    if (!expand.empty() && Depth < 2) out += Translate(expand, X, Depth + 1);
    out += letters;
  }
  FlushLiteral(out, literal);
  return out;
}

// A strftime pattern with its time-of-day conversions taken out, each with the
// literal text right after it ("%H時%M分" goes whole), blanks collapsed.
std::string StripTimeConversions(const std::string& P) {
  std::string out;
  for (size_t i = 0; i < P.size(); ++i) {
    if (P[i] != '%') {
      out += P[i];
      continue;
    }
    size_t start = i++;
    SkipModifiers(P, i);
    if (i >= P.size()) break;
    if (!std::strchr("HIklMSpPrRTXZz", P[i])) {
      out.append(P, start, i - start + 1);
      continue;
    }
    while (i + 1 < P.size() && P[i + 1] != '%' && P[i + 1] != ' ') ++i;
  }
  std::string collapsed;
  for (char c : out)
    if (c != ' ' || (!collapsed.empty() && collapsed.back() != ' ')) collapsed += c;
  // What separated the date from the time it was written beside ("%A, %H:%M") goes too.
  while (!collapsed.empty() && (collapsed.back() == ' ' || collapsed.back() == ',')) collapsed.pop_back();
  return collapsed;
}

// The first ASCII punctuation between the first two fields of a translated
// pattern ('.' in "dd.mm.yyyy"); Default when there is none.
char PatternSeparator(const std::string& Format, const char* Fields, char Default) {
  auto isField = [&](char c) { return std::strchr(Fields, c | 0x20) != nullptr && IsAsciiLetter(c); };
  size_t i = 0;
  while (i < Format.size() && !isField(Format[i])) ++i;
  while (i < Format.size() && isField(Format[i])) ++i;
  for (; i < Format.size() && !isField(Format[i]); ++i) {
    unsigned char c = static_cast<unsigned char>(Format[i]);
    if (c < 0x80 && std::ispunct(c) && c != '"' && c != '\'') return static_cast<char>(c);
  }
  return Default;
}

// A time pattern without its seconds: "hh:nn:ss ampm" gives "hh:nn ampm". Where the
// minutes carry a suffix of their own ("hh時nn分ss秒", GBK), the suffix stays and the
// seconds' suffix goes with the seconds: "hh時nn分".
std::string WithoutSeconds(const std::string& Format) {
  size_t s = Format.find("ss");
  size_t n = Format.rfind("nn", s);
  if (s == std::string::npos || n == std::string::npos) return Format;
  std::string between = Format.substr(n + 2, s - n - 2);
  size_t after = s + 2;
  const bool suffixed = std::any_of(between.begin(), between.end(), [](char c) { return (c & 0x80) != 0; });
  if (!suffixed) return Format.substr(0, n + 2) + Format.substr(after);
  while (!between.empty() && between.back() == ' ') between.pop_back();
  // The seconds' own suffix: the double-byte characters right after them.
  while (after + 1 < Format.size() && (Format[after] & 0x80) != 0) after += 2;
  return Format.substr(0, n + 2) + between + Format.substr(after);
}

// ---------------------------------------------------------------------------
// The C library's locale data

// GBK text of locale data. Latin letters GBK lacks are written as their base
// letter ("März" gives "Marz"), as a Chinese code page's best fit does; any other
// character GBK lacks gives nothing.
std::optional<std::string> ToGbk(const std::string& Utf8) {
  if (std::optional<std::string> whole = TryUtf8ToGbk(Utf8)) return whole;
  // U+00C0..U+017F by their base letters; '-' marks those that have none.
  static const char kBase[] =
      "AAAAAAACEEEEIIIIDNOOOOO-OUUUUYTsaaaaaaaceeeeiiiidnooooo-ouuuuyty"   // U+00C0
      "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi--JjKkkLlLlLlL"   // U+0100
      "lLlNnNnNnnNnOoOoOo--RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";  // U+0140
  std::string out;
  for (size_t i = 0; i < Utf8.size();) {
    unsigned char b = static_cast<unsigned char>(Utf8[i]);
    size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    std::optional<std::string> one = TryUtf8ToGbk(Utf8.substr(i, len));
    if (!one && len == 2 && i + 1 < Utf8.size()) {
      unsigned cp = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(Utf8[i + 1]) & 0x3Fu);
      if (cp == 0xDF) one = "ss";
      else if (cp >= 0xC0 && cp <= 0x17F && kBase[cp - 0xC0] != '-') one = std::string(1, kBase[cp - 0xC0]);
    }
    if (!one) return std::nullopt;
    out += *one;
    i += len;
  }
  return out;
}

// One LC_TIME item of a loaded locale in UTF-8 (the locale's own code set
// converted); empty when it cannot be converted.
class TLangInfo {
public:
  explicit TLangInfo(locale_t Loc) : FLoc(Loc), FCodeSet(nl_langinfo_l(CODESET, Loc)) {}
  std::string Utf8(nl_item Item) const {
    const char* raw = nl_langinfo_l(Item, FLoc);
    std::string s = raw ? raw : "";
    if (s.empty() || FCodeSet == "UTF-8" || FCodeSet == "ANSI_X3.4-1968") return s;
    iconv_t cd = iconv_open("UTF-8", FCodeSet.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return "";
    TOnExit close([&] { iconv_close(cd); });
    std::string out(s.size() * 4 + 4, '\0');
    char* in = s.data();
    size_t inLeft = s.size(), outLeft = out.size();
    char* o = out.data();
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<size_t>(-1)) return "";
    out.resize(out.size() - outLeft);
    return out;
  }
  // The item as GBK text; nothing when it is empty or has a character GBK lacks.
  std::optional<std::string> Gbk(nl_item Item) const {
    std::string u = Utf8(Item);
    if (u.empty()) return std::nullopt;
    return ToGbk(u);
  }

private:
  locale_t FLoc;
  std::string FCodeSet;
};

// A set of names is taken only whole: a locale whose names GBK cannot hold keeps
// the built-in ones rather than a mix of languages.
template <size_t N>
void LoadNames(const TLangInfo& L, const nl_item (&Items)[N], const nl_item* Fallback, std::string (&Names)[N]) {
  std::string got[N];
  for (size_t i = 0; i < N; ++i) {
    std::optional<std::string> g = L.Gbk(Items[i]);
    if (!g && Fallback) g = L.Gbk(Fallback[i]);
    if (!g) return;
    got[i] = *g;
  }
  for (size_t i = 0; i < N; ++i) Names[i] = got[i];
}

void LoadPatterns(const TLangInfo& L, TLocaleDateInfo& T) {
  const TExpansions x{L.Utf8(T_FMT_AMPM), L.Utf8(D_FMT), L.Utf8(T_FMT)};
  auto gbk = [](const std::string& Utf8, std::string& Out) {
    std::optional<std::string> g = Utf8.empty() ? std::nullopt : ToGbk(Utf8);
    if (g) Out = *g;
  };
  gbk(Translate(x.Date, x, 0), T.ShortDateFormat);
  gbk(Translate(StripTimeConversions(L.Utf8(D_T_FMT)), x, 0), T.LongDateFormat);
  gbk(Translate(x.Time.empty() ? x.AmPmTime : x.Time, x, 0), T.LongTimeFormat);
  if (T.LongDateFormat.find_first_of("dDmMyY") == std::string::npos) T.LongDateFormat = T.ShortDateFormat;
  T.ShortTimeFormat = WithoutSeconds(T.LongTimeFormat);
  T.DateSeparator = PatternSeparator(T.ShortDateFormat, "dmy", T.DateSeparator);
  T.TimeSeparator = PatternSeparator(T.LongTimeFormat, "hns", T.TimeSeparator);
}

// The locale's first day of the week (0 = Monday .. 6 = Sunday), Fallback where the
// C library keeps none. Its day 1 is the weekday of the date WEEK_1STDAY names
// (19971130 a Sunday, 19971201 a Monday); FIRST_WEEKDAY counts from that day.
int FirstWeekday(locale_t Loc, int Fallback) {
#ifdef __GLIBC__  // its LC_TIME has the week data
  const char* first = nl_langinfo_l(_NL_TIME_FIRST_WEEKDAY, Loc);
  if (!first || first[0] < 1 || first[0] > 7) return Fallback;
  const auto oneStDay = static_cast<unsigned>(reinterpret_cast<uintptr_t>(nl_langinfo_l(_NL_TIME_WEEK_1STDAY, Loc)));
  int base;  // 0 = Sunday
  if (oneStDay == 19971130) base = 0;
  else if (oneStDay == 19971201) base = 1;
  else return Fallback;
  const int sunday0 = (base + first[0] - 1) % 7;
  return (sunday0 + 6) % 7;
#else
  (void)Loc;
  return Fallback;
#endif
}

bool LoadFromCLibrary(const std::string& Name, TLocaleDateInfo& Info) {
  // LC_CTYPE too: it names the code set the LC_TIME texts are written in.
  locale_t loc = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, Name.c_str(), static_cast<locale_t>(nullptr));
  if (!loc) return false;
  TOnExit release([&] { freelocale(loc); });
  const TLangInfo l(loc);
  TLocaleDateInfo t = MakeBuiltIn();
  static const nl_item mon[12] = {MON_1, MON_2, MON_3, MON_4, MON_5, MON_6,
                                  MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
  // The stand-alone month names where the language has them ("styczeń", not the
  // "stycznia" of a date), as a caption and a menu show them.
  static const nl_item altMon[12] = {ALTMON_1, ALTMON_2, ALTMON_3, ALTMON_4, ALTMON_5, ALTMON_6,
                                     ALTMON_7, ALTMON_8, ALTMON_9, ALTMON_10, ALTMON_11, ALTMON_12};
  static const nl_item abMon[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4, ABMON_5, ABMON_6,
                                    ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
  static const nl_item day[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
  static const nl_item abDay[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
  LoadNames(l, altMon, mon, t.LongMonthNames);
  LoadNames(l, abMon, nullptr, t.ShortMonthNames);
  LoadNames(l, day, nullptr, t.LongDayNames);
  LoadNames(l, abDay, nullptr, t.ShortDayNames);
  // A 24-hour locale has no AM and PM strings; the built-in ones still tell a
  // 12-hour pattern's halves apart.
  std::optional<std::string> am = l.Gbk(AM_STR), pm = l.Gbk(PM_STR);
  if (am && pm) t.TimeAMString = *am, t.TimePMString = *pm;
  LoadPatterns(l, t);
  t.FirstDayOfWeek = FirstWeekday(loc, t.FirstDayOfWeek);
  Info = t;
  return true;
}

}  // namespace

namespace {
// The table of the user's own locale (TimeLocaleName) where the C library has it,
// loaded once for each name; nullptr when it cannot be loaded.
const TLocaleDateInfo* UserLocaleDateInfo() {
  static std::mutex lock;
  static std::map<std::string, std::optional<TLocaleDateInfo>> loaded;
  const std::string name = TimeLocaleName();
  std::lock_guard<std::mutex> hold(lock);
  auto it = loaded.find(name);
  if (it == loaded.end()) {
    TLocaleDateInfo t;
    it = loaded.emplace(name, LoadLocaleDateInfo(name, t) ? std::optional(t) : std::nullopt).first;
  }
  return it->second ? &*it->second : nullptr;
}
}  // namespace

const TLocaleDateInfo* GetLocaleDateInfo(LCID Locale) {
  static const TLocaleDateInfo chinese = MakeChinese();
  static const TLocaleDateInfo english = MakeEnglish();
  if (Locale == LOCALE_USER_DEFAULT) {
    Locale = GetThreadLocale();
    // A locale the tables do not know reads as the C library gives it (its first
    // day of the week, its names), where it can be loaded.
    if (Locale == 0)
      if (const TLocaleDateInfo* user = UserLocaleDateInfo()) return user;
  }
  switch (Locale) {
    case LOCALE_ZH_CN:
    case LOCALE_ZH_TW:
    case LOCALE_ZH_HK:
    case LOCALE_ZH_SG: return &chinese;
    default: return &english;
  }
}

namespace {
// Every formatting global beside its field of a locale's table, so that reading the
// globals and setting them use one list. Copy(field, global) is called for each pair.
template <class TInfo, class F>
void EachFormatSetting(TInfo& Info, F Copy) {
  for (int i = 0; i < 12; ++i) {
    Copy(Info.ShortMonthNames[i], ShortMonthNames[i]);
    Copy(Info.LongMonthNames[i], LongMonthNames[i]);
  }
  for (int i = 0; i < 7; ++i) {
    Copy(Info.ShortDayNames[i], ShortDayNames[i]);
    Copy(Info.LongDayNames[i], LongDayNames[i]);
  }
  Copy(Info.TimeAMString, TimeAMString);
  Copy(Info.TimePMString, TimePMString);
  Copy(Info.ShortDateFormat, ShortDateFormat);
  Copy(Info.LongDateFormat, LongDateFormat);
  Copy(Info.DateSeparator, DateSeparator);
  Copy(Info.ShortTimeFormat, ShortTimeFormat);
  Copy(Info.LongTimeFormat, LongTimeFormat);
  Copy(Info.TimeSeparator, TimeSeparator);
}
}  // namespace

TLocaleDateInfo CurrentFormatSettings() {
  TLocaleDateInfo t = MakeBuiltIn();
  EachFormatSetting(t, [](auto& Field, const auto& Global) { Field = Global; });
  return t;
}

void SetFormatSettings(const TLocaleDateInfo& Info) {
  EachFormatSetting(Info, [](const auto& Field, auto& Global) { Global = Field; });
}

void ApplyLocaleFormatSettings(LCID Locale) { SetFormatSettings(*GetLocaleDateInfo(Locale)); }

const TLocaleDateInfo& BuiltInFormatSettings() {
  static const TLocaleDateInfo builtIn = MakeBuiltIn();
  return builtIn;
}

std::string TimeLocaleName() {
  for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) return v;
  }
  return "C";
}

std::string StrftimeToFormat(const std::string& Pattern, const std::string& AmPmTime, const std::string& Date,
                             const std::string& Time) {
  return Translate(Pattern, TExpansions{AmPmTime, Date, Time}, 0);
}

bool LoadLocaleDateInfo(const std::string& Name, TLocaleDateInfo& Info) {
  const std::string base = Name.substr(0, Name.find_first_of(".@"));
  if (base.empty() || base == "C" || base == "POSIX") return false;
  // The tables the controls' captions come from, so a Chinese or American user
  // sees the same texts with the C library's data installed or not.
  if (LocaleNameToLcid(Name) != 0) {
    Info = *GetLocaleDateInfo(LOCALE_ZH_CN);
    return true;
  }
  if (base == "en_US") {
    Info = *GetLocaleDateInfo(LOCALE_EN_US);
    return true;
  }
  return LoadFromCLibrary(Name, Info);
}

void ApplyUserLocaleFormatSettings() {
  // Dates and times are only shown and typed in the controls: the application
  // neither writes nor reads them in its files, so following the user's locale
  // changes no stored file.
  TLocaleDateInfo info;
  SetFormatSettings(LoadLocaleDateInfo(TimeLocaleName(), info) ? info : BuiltInFormatSettings());
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

