#include "platform/core/textform.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/sysutils.h"

namespace {

constexpr int kMaxDepth = 64;  // the same bound as the binary reader's

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c); }

std::string Utf8Of(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

// ---------------------------------------------------------------------------
// Text -> binary

enum class TTok { End, Ident, Integer, Float, String, Symbol };

class TTextParser {
public:
  TTextParser(const std::string& Text, TWriter& Writer) : FText(Text), FWriter(Writer) {
    if (FText.compare(0, 3, "\xEF\xBB\xBF") == 0) FPos = 3;
    Next();
  }

  void Run() {
    FWriter.WriteSignature();
    ConvertObject();
    if (FTok != TTok::End) Error("End of file expected");
  }

private:
  [[noreturn]] void Error(const std::string& What) {
    throw EParserError(What + " on line " + std::to_string(FTokLine));
  }

  void Next() {
    while (FPos < FText.size()) {
      char c = FText[FPos];
      if (c == '\n') ++FLine;
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
      ++FPos;
    }
    FTokLine = FLine;
    FValue.clear();
    if (FPos >= FText.size()) {
      FTok = TTok::End;
      return;
    }
    char c = FText[FPos];
    if (IsIdentStart(c)) {
      size_t b = FPos;
      while (FPos < FText.size() &&
             (IsIdentChar(FText[FPos]) ||
              (FText[FPos] == '.' && FPos + 1 < FText.size() && IsIdentStart(FText[FPos + 1]))))
        ++FPos;
      FValue = FText.substr(b, FPos - b);
      FTok = TTok::Ident;
    } else if (c == '\'' || c == '#') {
      ScanString();
    } else if (IsDigit(c) || c == '$' ||
               (c == '-' && FPos + 1 < FText.size() && (IsDigit(FText[FPos + 1]) || FText[FPos + 1] == '$'))) {
      ScanNumber();
    } else {
      FValue = std::string(1, c);
      ++FPos;
      FTok = TTok::Symbol;
    }
  }

  // Quoted runs and #nnn characters, back to back, as GBK bytes.
  void ScanString() {
    std::string out;
    while (FPos < FText.size()) {
      char c = FText[FPos];
      if (c == '\'') {
        std::string run;
        ++FPos;
        for (;;) {
          if (FPos >= FText.size() || FText[FPos] == '\n' || FText[FPos] == '\r') Error("Unterminated string");
          if (FText[FPos] == '\'') {
            if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
              run += '\'';
              FPos += 2;
              continue;
            }
            ++FPos;
            break;
          }
          run += FText[FPos++];
        }
        auto gbk = TryUtf8ToGbk(run);
        if (!gbk) Error("String holds a character that GBK cannot hold or is not UTF-8");
        out += *gbk;
      } else if (c == '#') {
        ++FPos;
        uint32_t v = 0;
        bool hex = FPos < FText.size() && FText[FPos] == '$';
        if (hex) ++FPos;
        size_t b = FPos;
        while (FPos < FText.size() && (hex ? std::isxdigit(static_cast<unsigned char>(FText[FPos])) != 0
                                           : IsDigit(FText[FPos]))) {
          v = v * (hex ? 16 : 10) + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(FText[FPos]))
                                                           ? FText[FPos] - '0'
                                                           : (FText[FPos] | 0x20) - 'a' + 10);
          if (v > 0x10FFFF) Error("Invalid character code");
          ++FPos;
        }
        if (FPos == b) Error("Character code expected after #");
        if (v <= 255) {
          out += static_cast<char>(v);
        } else {
          auto gbk = (v >= 0xD800 && v <= 0xDFFF) ? std::nullopt : TryUtf8ToGbk(Utf8Of(v));
          if (!gbk) Error("Character #" + std::to_string(v) + " has no GBK form");
          out += *gbk;
        }
      } else {
        break;
      }
    }
    FValue = std::move(out);
    FTok = TTok::String;
  }

  void ScanNumber() {
    size_t b = FPos;
    if (FText[FPos] == '-') ++FPos;
    if (FPos < FText.size() && FText[FPos] == '$') {
      ++FPos;
      while (FPos < FText.size() && std::isxdigit(static_cast<unsigned char>(FText[FPos]))) ++FPos;
      FValue = FText.substr(b, FPos - b);
      FTok = TTok::Integer;
      return;
    }
    bool isFloat = false;
    while (FPos < FText.size()) {
      char c = FText[FPos];
      if (IsDigit(c)) {
        ++FPos;
      } else if (c == '.' && FPos + 1 < FText.size() && IsDigit(FText[FPos + 1])) {
        isFloat = true;
        ++FPos;
      } else if ((c == 'e' || c == 'E') && FPos + 1 < FText.size() &&
                 (IsDigit(FText[FPos + 1]) || FText[FPos + 1] == '+' || FText[FPos + 1] == '-')) {
        isFloat = true;
        FPos += 2;
      } else {
        break;
      }
    }
    FValue = FText.substr(b, FPos - b);
    FFloatSuffix = 0;
    if (FPos < FText.size() && (FText[FPos] == 's' || FText[FPos] == 'c' || FText[FPos] == 'd') &&
        !(FPos + 1 < FText.size() && IsIdentChar(FText[FPos + 1]))) {
      FFloatSuffix = FText[FPos++];
      isFloat = true;
    }
    FTok = isFloat ? TTok::Float : TTok::Integer;
  }

  bool IsSymbol(char c) const { return FTok == TTok::Symbol && FValue[0] == c; }
  void Expect(char c) {
    if (!IsSymbol(c)) Error(std::string("'") + c + "' expected");
    Next();
  }
  std::string ExpectIdent() {
    if (FTok != TTok::Ident) Error("Identifier expected");
    if (FValue.size() > 255) Error("Identifier too long");
    std::string s = FValue;
    Next();
    return s;
  }

  struct Nest {
    TTextParser* P;
    explicit Nest(TTextParser* p) : P(p) {
      if (++P->FDepth > kMaxDepth) P->Error("Form nested too deeply");
    }
    ~Nest() { --P->FDepth; }
  };

  int64_t IntegerValue() {
    std::string s = FValue;
    bool neg = !s.empty() && s[0] == '-';
    if (neg) s.erase(0, 1);
    int base = 10;
    if (!s.empty() && s[0] == '$') {
      base = 16;
      s.erase(0, 1);
    }
    uint64_t u = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), u, base);
    if (ec == std::errc::result_out_of_range) Error("Integer out of range " + FValue);
    if (s.empty() || ec != std::errc() || p != s.data() + s.size()) Error("Invalid integer " + FValue);
    // Hex literals are bit patterns: $FFFFFFFF is -1 as a 32-bit value, as forms write colours.
    if (base == 16 && !neg && u <= 0xFFFFFFFFULL) return static_cast<int32_t>(static_cast<uint32_t>(u));
    if (neg ? u > uint64_t(INT64_MAX) + 1 : u > uint64_t(INT64_MAX)) Error("Integer out of range " + FValue);
    return neg ? static_cast<int64_t>(0 - u) : static_cast<int64_t>(u);
  }

  long double FloatValue() {
    long double v = 0;
    auto [p, ec] = std::from_chars(FValue.data(), FValue.data() + FValue.size(), v);
    if (ec != std::errc() || p != FValue.data() + FValue.size()) Error("Invalid number " + FValue);
    return v;
  }

  void ConvertValue() {
    if (FTok == TTok::Integer) {
      FWriter.WriteInteger(IntegerValue());
      Next();
    } else if (FTok == TTok::Float) {
      long double v = FloatValue();
      switch (FFloatSuffix) {
        case 's': FWriter.WriteSingle(static_cast<float>(v)); break;
        case 'd': FWriter.WriteDate(static_cast<double>(v)); break;
        case 'c':
          if (!(std::fabs(v) < 9.2e14L)) Error("Currency value out of range " + FValue);
          FWriter.WriteCurrency(std::llround(v * 10000));
          break;
        default: FWriter.WriteFloat(v); break;
      }
      Next();
    } else if (FTok == TTok::String) {
      std::string s = FValue;
      Next();
      while (IsSymbol('+')) {
        Next();
        if (FTok != TTok::String) Error("String expected");
        s += FValue;
        Next();
      }
      FWriter.WriteString(s);
    } else if (FTok == TTok::Ident) {
      FWriter.WriteIdent(ExpectIdent());
    } else if (IsSymbol('[')) {
      Next();
      FWriter.WriteValue(vaSet);
      if (!IsSymbol(']')) {
        for (;;) {
          FWriter.WriteStr(ExpectIdent());
          if (IsSymbol(']')) break;
          Expect(',');
        }
      }
      Next();
      FWriter.WriteStr("");
    } else if (IsSymbol('(')) {
      Nest nest(this);
      Next();
      FWriter.WriteListBegin();
      while (!IsSymbol(')')) {
        if (FTok == TTok::End) Error("')' expected");
        ConvertValue();
      }
      Next();
      FWriter.WriteListEnd();
    } else if (IsSymbol('{')) {
      ConvertBinary();
    } else if (IsSymbol('<')) {
      ConvertCollection();
    } else {
      Error("Invalid property value");
    }
  }

  // Hex digits between braces, read straight from the text (whitespace allowed).
  void ConvertBinary() {
    std::string data;
    int nibbles = 0;
    unsigned acc = 0;
    for (;;) {
      if (FPos >= FText.size()) Error("'}' expected");
      char c = FText[FPos++];
      if (c == '}') break;
      if (c == '\n') ++FLine;
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
      if (!std::isxdigit(static_cast<unsigned char>(c))) {
        FTokLine = FLine;
        Error("Invalid binary value");
      }
      acc = acc * 16 + static_cast<unsigned>(IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
      if (++nibbles == 2) {
        data += static_cast<char>(acc);
        acc = 0;
        nibbles = 0;
      }
    }
    if (nibbles) Error("Odd number of hex digits in binary value");
    FWriter.WriteBinary(data.data(), static_cast<int64_t>(data.size()));
    Next();
  }

  void ConvertCollection() {
    Nest nest(this);
    Next();
    FWriter.WriteValue(vaCollection);
    while (!IsSymbol('>')) {
      if (FTok != TTok::Ident || !SameText(FValue, "item")) Error("'item' expected");
      Next();
      if (IsSymbol('[')) {
        Next();
        if (FTok != TTok::Integer) Error("Integer expected");
        FWriter.WriteInteger(IntegerValue());
        Next();
        Expect(']');
      }
      FWriter.WriteListBegin();
      while (!(FTok == TTok::Ident && SameText(FValue, "end"))) ConvertProperty();
      Next();
      FWriter.WriteListEnd();
    }
    Next();
    FWriter.WriteListEnd();
  }

  void ConvertProperty() {
    if (FTok != TTok::Ident) Error("Property name expected");
    FWriter.WriteStr(ExpectIdent());
    Expect('=');
    ConvertValue();
  }

  bool AtObjectStart() const {
    return FTok == TTok::Ident &&
           (SameText(FValue, "object") || SameText(FValue, "inherited") || SameText(FValue, "inline"));
  }

  void ConvertObject() {
    Nest nest(this);
    if (!AtObjectStart()) Error("'object' expected");
    TFilerFlags flags;
    if (SameText(FValue, "inherited")) flags << ffInherited;
    else if (SameText(FValue, "inline")) flags << ffInline;
    Next();
    std::string name, className = ExpectIdent();
    if (IsSymbol(':')) {
      Next();
      name = className;
      className = ExpectIdent();
    }
    int childPos = 0;
    if (IsSymbol('[')) {
      Next();
      if (FTok != TTok::Integer) Error("Integer expected");
      int64_t v = IntegerValue();
      if (v < INT32_MIN || v > INT32_MAX) Error("Child position out of range");
      childPos = static_cast<int>(v);
      flags << ffChildPos;
      Next();
      Expect(']');
    }
    FWriter.WritePrefix(flags, childPos);
    FWriter.WriteStr(className);
    FWriter.WriteStr(name);
    while (!AtObjectStart() && !(FTok == TTok::Ident && SameText(FValue, "end"))) {
      if (FTok == TTok::End) Error("'end' expected");
      ConvertProperty();
    }
    FWriter.WriteListEnd();
    while (!(FTok == TTok::Ident && SameText(FValue, "end"))) {
      if (FTok == TTok::End) Error("'end' expected");
      ConvertObject();
    }
    Next();
    FWriter.WriteListEnd();
  }

  const std::string& FText;
  TWriter& FWriter;
  size_t FPos = 0;
  int FLine = 1;
  int FTokLine = 1;
  int FDepth = 0;
  TTok FTok = TTok::End;
  std::string FValue;
  char FFloatSuffix = 0;
};

// ---------------------------------------------------------------------------
// Binary -> text

// GBK bytes as a UTF-8 literal: printable characters inside quotes, everything
// else as #nnn, so that the text reads back to exactly these bytes.
std::string QuoteGbk(const std::string& s) {
  std::string out;
  bool quoted = false;
  auto open = [&] {
    if (!quoted) out += '\'';
    quoted = true;
  };
  auto close = [&] {
    if (quoted) out += '\'';
    quoted = false;
  };
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 32 && c < 127) {
      open();
      out += c == '\'' ? std::string("''") : std::string(1, static_cast<char>(c));
      ++i;
      continue;
    }
    if (IsGbkLeadByte(c) && i + 1 < s.size()) {
      std::string pair = s.substr(i, 2);
      std::string utf8 = GbkToUtf8(pair);
      auto back = TryUtf8ToGbk(utf8);
      if (back && *back == pair && utf8.find("\xEF\xBF\xBD") == std::string::npos) {
        open();
        out += utf8;
        i += 2;
        continue;
      }
    }
    close();
    out += '#' + std::to_string(c);
    ++i;
  }
  close();
  return out.empty() ? "''" : out;
}

std::string FormatFloat(long double v) {
  char buf[64];
  std::to_chars_result r;
  if (std::isfinite(v) && static_cast<long double>(static_cast<double>(v)) == v)
    r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v));
  else
    r = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, r.ptr);
  if (s.find_first_of(".eEni") == std::string::npos) s += ".0";  // keep it a float when read back
  return s;
}

class TBinaryPrinter {
public:
  TBinaryPrinter(TReader& Reader, std::string& Out) : R(Reader), FOut(Out) {}

  void Run() {
    R.ReadSignature();
    ConvertObject(0);
  }

private:
  void Indent(int n) { FOut.append(static_cast<size_t>(n), ' '); }

  struct Nest {
    TReader& R;
    explicit Nest(TReader& r) : R(r) { R.BeginNested(); }
    ~Nest() { R.EndNested(); }
  };

  void ConvertObject(int indent) {
    Nest nest(R);
    TFilerFlags flags;
    int childPos = 0;
    R.ReadPrefix(flags, childPos);
    std::string className = R.ReadStr(), name = R.ReadStr();
    Indent(indent);
    FOut += flags.Contains(ffInherited) ? "inherited " : flags.Contains(ffInline) ? "inline " : "object ";
    if (!name.empty()) FOut += name + ": ";
    FOut += className;
    if (flags.Contains(ffChildPos)) FOut += " [" + std::to_string(childPos) + "]";
    FOut += '\n';
    while (!R.EndOfList()) ConvertProperty(indent + 2);
    R.ReadListEnd();
    while (!R.EndOfList()) ConvertObject(indent + 2);
    R.ReadListEnd();
    Indent(indent);
    FOut += "end\n";
  }

  void ConvertProperty(int indent) {
    Indent(indent);
    FOut += R.ReadStr() + " = ";
    ConvertValue(indent);
    FOut += '\n';
  }

  void ConvertValue(int indent) {
    TValueType t = R.NextValue();
    switch (t) {
      case vaList: {
        Nest nest(R);
        R.ReadValue();
        FOut += '(';
        while (!R.EndOfList()) {
          FOut += '\n';
          Indent(indent + 2);
          ConvertValue(indent + 2);
        }
        R.ReadListEnd();
        FOut += ')';
        break;
      }
      case vaInt8: case vaInt16: case vaInt32: case vaInt64:
        FOut += std::to_string(R.ReadInt64());
        break;
      case vaExtended: FOut += FormatFloat(R.ReadFloat()); break;
      case vaSingle: FOut += FormatFloat(R.ReadSingle()) + 's'; break;
      case vaDate: FOut += FormatFloat(R.ReadDate()) + 'd'; break;
      case vaCurrency: FOut += FormatFloat(static_cast<long double>(R.ReadCurrency()) / 10000) + 'c'; break;
      case vaString: case vaLString: case vaWString: case vaUTF8String:
        FOut += QuoteGbk(R.ReadString());
        break;
      case vaIdent: case vaFalse: case vaTrue: case vaNil: case vaNull:
        FOut += R.ReadIdent();
        break;
      case vaBinary: {
        std::string data = R.ReadBinary();
        static const char kHex[] = "0123456789ABCDEF";
        FOut += '{';
        for (size_t i = 0; i < data.size(); ++i) {
          if (i % 32 == 0) {
            FOut += '\n';
            Indent(indent + 2);
          }
          unsigned char b = static_cast<unsigned char>(data[i]);
          FOut += kHex[b >> 4];
          FOut += kHex[b & 15];
        }
        FOut += '}';
        break;
      }
      case vaSet: {
        FOut += '[';
        bool first = true;
        for (const std::string& n : R.ReadSetNames()) {
          if (!first) FOut += ", ";
          FOut += n;
          first = false;
        }
        FOut += ']';
        break;
      }
      case vaCollection: {
        Nest nest(R);
        R.ReadValue();
        FOut += '<';
        while (!R.EndOfList()) {
          FOut += '\n';
          Indent(indent + 2);
          FOut += "item";
          TValueType n = R.NextValue();
          if (n == vaInt8 || n == vaInt16 || n == vaInt32) FOut += " [" + std::to_string(R.ReadInteger()) + "]";
          FOut += '\n';
          R.ReadListBegin();
          while (!R.EndOfList()) ConvertProperty(indent + 4);
          R.ReadListEnd();
          Indent(indent + 2);
          FOut += "end";
        }
        R.ReadListEnd();
        FOut += '>';
        break;
      }
    }
  }

  TReader& R;
  std::string& FOut;
};

std::string ReadAll(TStream* Input) {
  int64_t size = Input->Size() - Input->Position();
  std::string s(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  Input->ReadBuffer(s.data(), static_cast<int64_t>(s.size()));
  return s;
}

}  // namespace

void ObjectTextToBinary(TStream* Input, TStream* Output) {
  std::string text = ReadAll(Input);
  TWriter writer(Output);
  TTextParser parser(text, writer);
  try {
    parser.Run();
  } catch (const EWriteError& e) {
    // Only a name longer than a short string gets here; the stream itself grows.
    throw EParserError(e.Message());
  }
}

std::string FormTextToBinary(const std::string& Text) {
  TStringStream in(Text), out;
  ObjectTextToBinary(&in, &out);
  return out.DataString();
}

void ObjectBinaryToText(TStream* Input, TStream* Output) {
  TReader reader(Input);
  std::string text;
  TBinaryPrinter printer(reader, text);
  printer.Run();
  Output->WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

std::string FormBinaryToText(const std::string& Binary) {
  TStringStream in(Binary), out;
  ObjectBinaryToText(&in, &out);
  return out.DataString();
}
