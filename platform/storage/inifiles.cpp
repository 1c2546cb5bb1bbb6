#include "platform/storage/inifiles.h"

#include <cctype>
#include <cmath>
#include <mutex>
#include <vector>

#include "platform/storage/atomicfile.h"

const TClassInfo& TCustomIniFile::StaticClass() {
  static const TClassInfo info{"TCustomIniFile", &TObject::StaticClass(), {}, {}, {}};
  return info;
}
const TClassInfo& TIniFile::StaticClass() {
  static const TClassInfo info{"TIniFile", &TCustomIniFile::StaticClass(), {}, {}, {}};
  return info;
}

// ---------------------------------------------------------------------------
// Date and time text
// ---------------------------------------------------------------------------

namespace {
// Numbers separated by Sep in S[Pos..]; stops at the first other character.
std::vector<int> ReadNumbers(const std::string& S, size_t& Pos, char Sep, size_t Max) {
  std::vector<int> out;
  while (Pos < S.size() && out.size() < Max) {
    if (!std::isdigit(static_cast<unsigned char>(S[Pos]))) break;
    long v = 0;
    size_t digits = 0;
    while (Pos < S.size() && std::isdigit(static_cast<unsigned char>(S[Pos])) && digits < 9) {
      v = v * 10 + (S[Pos++] - '0');
      ++digits;
    }
    out.push_back(static_cast<int>(v));
    if (Pos < S.size() && S[Pos] == Sep && out.size() < Max) ++Pos;
    else break;
  }
  return out;
}

bool ParseDate(const std::string& S, size_t& Pos, TDateTime& Out) {
  std::vector<int> n = ReadNumbers(S, Pos, DateSeparator, 3);
  if (n.size() != 3) return false;
  // The order of year, month and day follows ShortDateFormat.
  std::string order;
  for (char c : ShortDateFormat) {
    char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if ((l == 'y' || l == 'm' || l == 'd') && order.find(l) == std::string::npos) order += l;
  }
  if (order.size() != 3) order = "ymd";
  int y = 0, m = 0, d = 0;
  for (size_t i = 0; i < 3; ++i) {
    if (order[i] == 'y') y = n[i];
    else if (order[i] == 'm') m = n[i];
    else d = n[i];
  }
  if (y < 100) y += 2000;  // two-digit years are this century's
  if (y > 9999 || m > 12 || d > 31) return false;
  return TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), Out);
}

bool ParseTime(const std::string& S, size_t& Pos, TDateTime& Out) {
  std::vector<int> n = ReadNumbers(S, Pos, TimeSeparator, 3);
  if (n.size() < 2) return false;
  int h = n[0], mi = n[1], sec = n.size() > 2 ? n[2] : 0, ms = 0;
  if (Pos < S.size() && S[Pos] == DecimalSeparator) {
    ++Pos;
    size_t p = Pos;
    std::vector<int> z = ReadNumbers(S, p, '\0', 1);
    if (z.empty()) return false;
    ms = z[0];
    Pos = p;
  }
  while (Pos < S.size() && S[Pos] == ' ') ++Pos;
  if (Pos < S.size()) {
    std::string rest = UpperCase(S.substr(Pos));
    if (rest == UpperCase(TimeAMString) || rest == "AM") {
      if (h == 12) h = 0;
      Pos = S.size();
    } else if (rest == UpperCase(TimePMString) || rest == "PM") {
      if (h < 12) h += 12;
      Pos = S.size();
    }
  }
  if (h > 23 || mi > 59 || sec > 59 || ms > 999) return false;
  return TryEncodeTime(static_cast<Word>(h), static_cast<Word>(mi), static_cast<Word>(sec),
                       static_cast<Word>(ms), Out);
}
}  // namespace

std::string IniDateToStr(TDateTime Value) { return FormatDateTime("ddddd", Value); }
std::string IniTimeToStr(TDateTime Value) { return FormatDateTime("tt", Value); }
std::string IniDateTimeToStr(TDateTime Value) { return FormatDateTime("c", Value); }

TDateTime IniStrToDate(const std::string& S) {
  std::string t = Trim(S);
  size_t pos = 0;
  TDateTime d = 0;
  if (!ParseDate(t, pos, d) || pos != t.size()) throw EConvertError("'" + S + "' is not a valid date");
  return d;
}

TDateTime IniStrToTime(const std::string& S) {
  std::string t = Trim(S);
  size_t pos = 0;
  TDateTime d = 0;
  if (!ParseTime(t, pos, d) || pos != t.size()) throw EConvertError("'" + S + "' is not a valid time");
  return d;
}

TDateTime IniStrToDateTime(const std::string& S) {
  std::string t = Trim(S);
  size_t pos = 0;
  TDateTime d = 0, tm = 0;
  auto bad = [&]() { return EConvertError("'" + S + "' is not a valid date and time"); };
  if (!ParseDate(t, pos, d)) {
    // A time alone is a time on day zero.
    pos = 0;
    if (!ParseTime(t, pos, tm) || pos != t.size()) throw bad();
    return tm;
  }
  if (pos == t.size()) return d;
  if (t[pos] != ' ') throw bad();
  while (pos < t.size() && t[pos] == ' ') ++pos;
  if (!ParseTime(t, pos, tm) || pos != t.size()) throw bad();
  return d < 0 ? d - tm : d + tm;
}

// ---------------------------------------------------------------------------
// TCustomIniFile: typed values over strings
// ---------------------------------------------------------------------------

int TCustomIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) {
  return StrToIntDef(Trim(ReadString(Section, Ident, "")), Default);
}

void TCustomIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const std::string& Section, const std::string& Ident, double Default) {
  std::string s = ReadString(Section, Ident, "");
  if (s.empty()) return Default;
  return StrToFloatDef(s, Default);
}

void TCustomIniFile::WriteFloat(const std::string& Section, const std::string& Ident, double Value) {
  WriteString(Section, Ident, FloatToStr(Value));
}

namespace {
template <class F>
TDateTime ReadDateText(TCustomIniFile* Ini, const std::string& Section, const std::string& Ident,
                       TDateTime Default, F Convert) {
  std::string s = Ini->ReadString(Section, Ident, "");
  if (s.empty()) return Default;
  try {
    return Convert(s);
  } catch (const EConvertError&) {
    return Default;
  }
}
}  // namespace

TDateTime TCustomIniFile::ReadDate(const std::string& Section, const std::string& Ident,
                                   TDateTime Default) {
  return ReadDateText(this, Section, Ident, Default, IniStrToDate);
}
void TCustomIniFile::WriteDate(const std::string& Section, const std::string& Ident, TDateTime Value) {
  WriteString(Section, Ident, IniDateToStr(Value));
}
TDateTime TCustomIniFile::ReadDateTime(const std::string& Section, const std::string& Ident,
                                       TDateTime Default) {
  return ReadDateText(this, Section, Ident, Default, IniStrToDateTime);
}
void TCustomIniFile::WriteDateTime(const std::string& Section, const std::string& Ident,
                                   TDateTime Value) {
  WriteString(Section, Ident, IniDateTimeToStr(Value));
}
TDateTime TCustomIniFile::ReadTime(const std::string& Section, const std::string& Ident,
                                   TDateTime Default) {
  return ReadDateText(this, Section, Ident, Default, IniStrToTime);
}
void TCustomIniFile::WriteTime(const std::string& Section, const std::string& Ident, TDateTime Value) {
  WriteString(Section, Ident, IniTimeToStr(Value));
}

namespace {
int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}
}  // namespace

int TCustomIniFile::ReadBinaryStream(const std::string& Section, const std::string& Name,
                                     TStream* Value) {
  std::string text = ReadString(Section, Name, "");
  std::string bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) break;  // the bytes up to the first non-hex pair
    bytes += static_cast<char>(hi * 16 + lo);
  }
  if (bytes.empty()) return 0;
  int64_t start = Value->Position();
  Value->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  Value->SetPosition(start);
  return static_cast<int>(bytes.size());
}

void TCustomIniFile::WriteBinaryStream(const std::string& Section, const std::string& Name,
                                       TStream* Value) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  char buf[4096];
  for (;;) {
    int64_t n = Value->Read(buf, sizeof buf);
    if (n <= 0) break;
    for (int64_t i = 0; i < n; ++i) {
      unsigned char b = static_cast<unsigned char>(buf[i]);
      text += digits[b >> 4];
      text += digits[b & 15];
    }
  }
  WriteString(Section, Name, text);
}

bool TCustomIniFile::SectionExists(const std::string& Section) {
  TStringList names;
  ReadSection(Section, &names);
  return names.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::string& Section, const std::string& Ident) {
  TStringList names;
  ReadSection(Section, &names);
  return names.IndexOf(Ident) >= 0;
}

// ---------------------------------------------------------------------------
// TIniFile
// ---------------------------------------------------------------------------

namespace {
// The file as lines, with what each line is.
struct TIniText {
  struct TLine {
    std::string Text;
    enum { Other, Header, Entry } Kind = Other;
    std::string Name;   // section of a header, name of an entry
    std::string Value;  // value of an entry (trimmed, quotes not removed)
    int Section = -1;   // index of the header line an entry belongs to
  };
  std::vector<TLine> Lines;
  bool Crlf = false;
  bool Bom = false;  // the file starts with a UTF-8 byte-order mark

  static TIniText Parse(const std::string& Data) {
    TIniText t;
    size_t pos = 0;
    int section = -1;
    while (pos < Data.size()) {
      size_t end = Data.find('\n', pos);
      if (end == std::string::npos) end = Data.size();
      TLine l;
      l.Text = Data.substr(pos, end - pos);
      pos = end + 1;
      if (!l.Text.empty() && l.Text.back() == '\r') {
        l.Text.pop_back();
        t.Crlf = true;
      }
      std::string trimmed = Trim(l.Text);
      if (!trimmed.empty() && trimmed[0] == '[') {
        size_t close = trimmed.rfind(']');
        l.Kind = TLine::Header;
        l.Name = Trim(trimmed.substr(1, close == std::string::npos || close == 0 ? std::string::npos
                                                                              : close - 1));
        section = static_cast<int>(t.Lines.size());
      } else if (!trimmed.empty() && trimmed[0] != ';' && section >= 0) {
        size_t eq = trimmed.find('=');
        if (eq != std::string::npos) {
          l.Kind = TLine::Entry;
          l.Name = Trim(trimmed.substr(0, eq));
          l.Value = Trim(trimmed.substr(eq + 1));
        }
      }
      l.Section = section;
      t.Lines.push_back(std::move(l));
    }
    return t;
  }

  std::string Join() const {
    std::string out = Bom ? "\xEF\xBB\xBF" : "";
    const char* eol = Crlf ? "\r\n" : "\n";
    for (const TLine& l : Lines) out += l.Text + eol;
    return out;
  }

  bool InSection(const TLine& L, const std::string& Section) const {
    return L.Section >= 0 && SameText(Lines[L.Section].Name, Section);
  }

  // Header indexes go stale when lines are inserted or removed: parse again.
  void Reindex() {
    bool crlf = Crlf, bom = Bom;
    std::string text;
    for (const TLine& l : Lines) text += l.Text + "\n";
    *this = Parse(text);
    Crlf = crlf;
    Bom = bom;
  }
};

// One change of the file's lines: a value written, or lines dropped.
struct TIniChange {
  enum { Write, DropKey, DropSection } Kind = Write;
  std::string Section, Name, Value;
};

// Applies C to T; false when nothing changed.
bool Apply(TIniText& T, const TIniChange& C) {
  using L = TIniText::TLine;
  if (C.Kind != TIniChange::Write) {
    std::vector<L> kept;
    for (const L& l : T.Lines) {
      bool drop = C.Kind == TIniChange::DropSection
                      ? (l.Kind == L::Header && SameText(l.Name, C.Section)) || T.InSection(l, C.Section)
                      : l.Kind == L::Entry && SameText(l.Name, C.Name) && T.InSection(l, C.Section);
      if (!drop) kept.push_back(l);
    }
    if (kept.size() == T.Lines.size()) return false;
    T.Lines = std::move(kept);
    T.Reindex();
    return true;
  }
  for (L& l : T.Lines)
    if (l.Kind == L::Entry && SameText(l.Name, C.Name) && T.InSection(l, C.Section)) {
      l.Text = l.Name + "=" + C.Value;
      l.Value = Trim(C.Value);
      return true;
    }
  // A new value goes after the last non-blank line of the section's first block.
  int lastOfSection = -1, header = -1;
  for (size_t i = 0; i < T.Lines.size(); ++i) {
    const L& l = T.Lines[i];
    if (header < 0) {
      if (l.Kind == L::Header && SameText(l.Name, C.Section)) header = lastOfSection = static_cast<int>(i);
    } else if (l.Section == header && !Trim(l.Text).empty()) {
      lastOfSection = static_cast<int>(i);
    } else if (l.Section != header) {
      break;
    }
  }
  L entry;
  entry.Text = C.Name + "=" + C.Value;
  if (lastOfSection >= 0) {
    T.Lines.insert(T.Lines.begin() + lastOfSection + 1, entry);
  } else {
    if (!T.Lines.empty() && !Trim(T.Lines.back().Text).empty()) T.Lines.push_back(L{});
    L headerLine;
    headerLine.Text = "[" + C.Section + "]";
    T.Lines.push_back(headerLine);
    T.Lines.push_back(entry);
  }
  T.Reindex();
  return true;
}

// Changes are load, change, store: one at a time in this process and, through the
// folder's lock, among processes, so two writers never lose each other's values.
std::mutex GChangeLock;

std::string Unquote(const std::string& V) {
  if (V.size() >= 2 && (V.front() == '"' || V.front() == '\'') && V.back() == V.front())
    return V.substr(1, V.size() - 2);
  return V;
}

TIniText Load(const std::string& FileName) {
  bool bom = false;
  std::optional<std::string> data = ReadWholeFile(FileName, &bom);
  TIniText t = TIniText::Parse(data ? *data : std::string());
  t.Bom = bom;
  return t;
}

void Store(const std::string& FileName, const TIniText& Text) {
  try {
    AtomicWriteFile(FileName, Text.Join(), "Unable to write to");
  } catch (const EWriteError& E) {
    throw EIniFileException(E.Message());
  }
}

// Loads the file afresh under the locks, applies Changes and stores it when any
// of them changed it.
void ChangeFile(const std::string& FileName, const std::vector<TIniChange>& Changes) {
  std::lock_guard<std::mutex> lock(GChangeLock);
  TFolderLock folderLock(FileName);
  TIniText t = Load(FileName);
  bool changed = false;
  for (const TIniChange& c : Changes) changed = Apply(t, c) || changed;
  if (changed) Store(FileName, t);
}

bool HasLineBreak(const std::string& S) { return S.find_first_of("\r\n") != std::string::npos; }
}  // namespace

// What a BeginUpdate holds: the file as read once, with the changes made since
// applied, and those changes, to be applied again to the file as it is at the end.
struct TIniFile::TBatch {
  TIniText Text;
  std::vector<TIniChange> Changes;
};

TIniFile::TIniFile(const std::string& FileName) : TCustomIniFile(FileName) {}

TIniFile::~TIniFile() {
  if (FBatch && !FBatch->Changes.empty()) {
    try {
      ChangeFile(FileName(), FBatch->Changes);
    } catch (const Exception&) {
      // Nobody is left to tell; the file stays as it was.
    }
  }
}

void TIniFile::BeginUpdate() {
  if (FUpdateCount == 0) FBatch = std::make_unique<TBatch>(TBatch{Load(FileName()), {}});
  ++FUpdateCount;
}

void TIniFile::EndUpdate() {
  if (FUpdateCount == 0 || --FUpdateCount > 0) return;
  std::unique_ptr<TBatch> batch = std::move(FBatch);
  if (batch && !batch->Changes.empty()) ChangeFile(FileName(), batch->Changes);
}

namespace {
// The text reads go to: the batch's while one is open, else the file as it is now.
const TIniText& Current(const std::string& FileName, TIniText& Fresh, TIniText* Batch) {
  if (Batch) return *Batch;
  Fresh = Load(FileName);
  return Fresh;
}
}  // namespace

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) {
  TIniText fresh;
  const TIniText& t = Current(FileName(), fresh, FBatch ? &FBatch->Text : nullptr);
  for (const auto& l : t.Lines)
    if (l.Kind == TIniText::TLine::Entry && SameText(l.Name, Ident) && t.InSection(l, Section))
      return Unquote(l.Value);
  return Default;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) {
  std::string section = Trim(Section), name = Trim(Ident);
  if (HasLineBreak(Section) || HasLineBreak(Ident) || HasLineBreak(Value) ||
      section.find(']') != std::string::npos || name.find('=') != std::string::npos ||
      (!name.empty() && (name[0] == '[' || name[0] == ';')))
    throw EIniFileException("Unable to write to " + FileName() + ": the section \"" + Section +
                            "\", name \"" + Ident + "\" or value cannot be stored in an ini file");
  Change(TIniChange::Write, section, name, Value);
}

void TIniFile::Change(int Kind, const std::string& Section, const std::string& Name,
                      const std::string& Value) {
  TIniChange C{static_cast<decltype(TIniChange::Kind)>(Kind), Section, Name, Value};
  if (!FBatch) {
    ChangeFile(FileName(), {C});
    return;
  }
  if (Apply(FBatch->Text, C)) FBatch->Changes.push_back(C);
}

void TIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
  TIniText fresh;
  const TIniText& t = Current(FileName(), fresh, FBatch ? &FBatch->Text : nullptr);
  Strings->BeginUpdate();
  Strings->Clear();
  for (const auto& l : t.Lines)
    if (l.Kind == TIniText::TLine::Entry && t.InSection(l, Section)) Strings->Add(l.Name);
  Strings->EndUpdate();
}

void TIniFile::ReadSections(TStrings* Strings) {
  TIniText fresh;
  const TIniText& t = Current(FileName(), fresh, FBatch ? &FBatch->Text : nullptr);
  Strings->BeginUpdate();
  Strings->Clear();
  for (const auto& l : t.Lines)
    if (l.Kind == TIniText::TLine::Header && Strings->IndexOf(l.Name) < 0) Strings->Add(l.Name);
  Strings->EndUpdate();
}

void TIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
  TIniText fresh;
  const TIniText& t = Current(FileName(), fresh, FBatch ? &FBatch->Text : nullptr);
  Strings->BeginUpdate();
  Strings->Clear();
  std::vector<std::string> seen;
  for (const auto& l : t.Lines) {
    if (l.Kind != TIniText::TLine::Entry || !t.InSection(l, Section)) continue;
    bool dup = false;
    for (const auto& s : seen) dup = dup || SameText(s, l.Name);
    if (dup) continue;  // the first of two same-named values is the one read
    seen.push_back(l.Name);
    Strings->Add(l.Name + "=" + Unquote(l.Value));
  }
  Strings->EndUpdate();
}

void TIniFile::EraseSection(const std::string& Section) {
  Change(TIniChange::DropSection, Section, "", "");
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  Change(TIniChange::DropKey, Section, Ident, "");
}
