#include "tools/dtusim/atdevice.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

#include "platform/core/gbk.h"

namespace {

const char kOk[] = "\r\nOK\r\n";
const char kError[] = "\r\nERROR\r\n";
const char kGreeting[] = "\r\n4G DTU Enter Config Mode OK\r\n";
const char kEnterLine[] = "+++++";
constexpr size_t kMaxLine = 4096;  // a longer line is kept cut and answered ERROR

// Command forms: '?' query, '@' with fields, 0 bare. Fields: n a signed decimal
// number, t any text without a comma.
struct TCommandForm {
  const char* Name;
  char Form;
  const char* Fields;
};
const TCommandForm kCommands[] = {
    {"AT+CLRVAR", '?', ""},       {"AT+CSQ", '?', ""},          {"AT+MINFO", 0, ""},
    {"AT+REBOOT", 0, ""},         {"AT+DSCADDR", '@', "tnttn"}, {"AT+DTUID", '@', "t"},
    {"AT+UARTCFG", '@', "nnnnnnn"}, {"AT+HEARTIME", '@', "n"},  {"AT+PLCFG", '@', "nn"},
    {"AT+SETBADDR", '@', "nn"},   {"AT+SETVAR", '@', "ntn"},    {"AT+SETBVAR", '@', "ntn"},
};

std::string Upper(std::string S) {
  for (char& c : S) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return S;
}

// The command's name: the line up to its first '@' or '?'.
std::string CommandName(const std::string& Line) { return Upper(Line.substr(0, Line.find_first_of("@?"))); }

bool ParseNumber(const std::string& S, long& Value) {
  size_t i = S.size() > 1 && S[0] == '-' ? 1 : 0;
  if (i == S.size() || S.size() - i > 10) return false;
  long long v = 0;
  for (size_t k = i; k < S.size(); ++k) {
    if (S[k] < '0' || S[k] > '9') return false;
    v = v * 10 + (S[k] - '0');
  }
  if (i) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  Value = static_cast<long>(v);
  return true;
}

bool ParseUnsigned(const std::string& S, std::uint32_t& Value) {
  long v;
  if (!ParseNumber(S, v) || v < 0) return false;
  Value = static_cast<std::uint32_t>(v);
  return true;
}

std::vector<std::string> Split(const std::string& S, char Sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t at = S.find(Sep, start);
    out.push_back(S.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return out;
    start = at + 1;
  }
}

std::string JsonString(const std::string& Gbk) {
  const std::string s = GbkToUtf8(Gbk);
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace

// ---------------------------------------------------------------------------
// Fault rules
// ---------------------------------------------------------------------------

bool ParseFaultRule(const std::string& Text, TFaultRule& Rule, std::string& Error) {
  using K = TFaultRule::TKind;
  static const std::pair<const char*, K> kinds[] = {
      {"error", K::Error},     {"silent", K::Silent}, {"late", K::Late},       {"split", K::Split},
      {"nul", K::Nul},         {"garbage", K::Garbage}, {"oversize", K::Oversize}, {"hangup", K::HangUp},
      {"echo", K::Echo},       {"idle-ok", K::IdleOk}};
  std::istringstream in(Text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  if (words.empty()) {
    Error = "empty rule";
    return false;
  }
  TFaultRule r;
  auto kind = std::find_if(std::begin(kinds), std::end(kinds), [&](const auto& k) { return words[0] == k.first; });
  if (kind == std::end(kinds)) {
    Error = "unknown fault \"" + words[0] + "\"";
    return false;
  }
  r.Kind = kind->second;
  size_t next = 1;
  const bool global = r.Kind == K::Echo || r.Kind == K::IdleOk;
  if (!global) {
    if (words.size() < 2 || words[1].find('=') != std::string::npos) {
      Error = words[0] + ": the command is missing (AT+SETVAR, +++++ or *)";
      return false;
    }
    r.Command = Upper(words[1]);
    next = 2;
  }
  bool haveMs = false, haveCount = false, haveBytes = false;
  for (size_t i = next; i < words.size(); ++i) {
    size_t eq = words[i].find('=');
    std::string key = words[i].substr(0, eq), value = eq == std::string::npos ? "" : words[i].substr(eq + 1);
    bool ok = eq != std::string::npos;
    if (ok && key == "attempts" && !global) {
      size_t dots = value.find("..");
      if (value == "*") {
        r.FirstAttempt = 1;
        r.LastAttempt = UINT32_MAX;
      } else if (dots == std::string::npos) {
        ok = ParseUnsigned(value, r.FirstAttempt) && r.FirstAttempt >= 1;
        r.LastAttempt = r.FirstAttempt;
      } else {
        ok = ParseUnsigned(value.substr(0, dots), r.FirstAttempt) &&
             ParseUnsigned(value.substr(dots + 2), r.LastAttempt) && r.FirstAttempt >= 1 &&
             r.LastAttempt >= r.FirstAttempt;
      }
    } else if (ok && key == "ms" && (r.Kind == K::Late || r.Kind == K::Split || r.Kind == K::IdleOk)) {
      ok = ParseUnsigned(value, r.Ms);
      haveMs = true;
    } else if (ok && key == "pieces" && r.Kind == K::Split) {
      ok = ParseUnsigned(value, r.Pieces) && r.Pieces >= 2;
    } else if (ok && key == "count" && (r.Kind == K::Nul || r.Kind == K::Garbage)) {
      ok = ParseUnsigned(value, r.Count) && r.Count >= 1;
      haveCount = true;
    } else if (ok && key == "bytes" && r.Kind == K::Oversize) {
      ok = ParseUnsigned(value, r.Bytes);
      haveBytes = true;
    } else {
      ok = false;
    }
    if (!ok) {
      Error = words[0] + ": bad setting \"" + words[i] + "\"";
      return false;
    }
  }
  const bool needMs = r.Kind == K::Late || r.Kind == K::Split || r.Kind == K::IdleOk;
  const bool needCount = r.Kind == K::Nul || r.Kind == K::Garbage;
  if ((needMs && !haveMs) || (needCount && !haveCount) || (r.Kind == K::Oversize && !haveBytes)) {
    Error = words[0] + ": a setting is missing (see --help)";
    return false;
  }
  Rule = r;
  return true;
}

bool ParseFaultRules(const std::string& Text, std::vector<TFaultRule>& Rules, std::string& Error) {
  std::istringstream in(Text);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    line = line.substr(0, line.find('#'));
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    TFaultRule r;
    if (!ParseFaultRule(line, r, Error)) {
      Error = "line " + std::to_string(number) + ": " + Error;
      return false;
    }
    Rules.push_back(r);
  }
  return true;
}

// ---------------------------------------------------------------------------
// The device
// ---------------------------------------------------------------------------

TAtDevice::TAtDevice(std::vector<TFaultRule> Rules) : FRules(std::move(Rules)) {}

std::optional<std::uint32_t> TAtDevice::IdleOkMs() const {
  for (const TFaultRule& r : FRules)
    if (r.Kind == TFaultRule::TKind::IdleOk) return r.Ms;
  return std::nullopt;
}

std::vector<TReply> TAtDevice::Feed(const std::string& Bytes) {
  std::vector<TReply> replies;
  for (char c : Bytes) {
    if (c != '\n') {
      if (FLine.size() <= kMaxLine) FLine += c;
      continue;
    }
    std::string line;
    line.swap(FLine);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    TReply reply = Answer(line);
    if (!reply.Pieces.empty() || reply.HangUp) replies.push_back(std::move(reply));
  }
  return replies;
}

TReply TAtDevice::Answer(const std::string& Line) {
  using K = TFaultRule::TKind;
  TReply reply;
  std::string name;
  if (!FConfigMode) {
    if (Line != kEnterLine) return reply;  // data for the other side of the terminal
    name = kEnterLine;
  } else {
    if (Line.empty()) return reply;
    name = Line.size() > kMaxLine ? std::string("(too long)") : CommandName(Line);
  }
  const std::uint32_t attempt = ++FAttempts[name];

  // A refused, lost or hung-up command is not carried out.
  bool error = false;
  for (const TFaultRule& r : FRules) {
    if ((r.Command != "*" && r.Command != name) || attempt < r.FirstAttempt || attempt > r.LastAttempt) continue;
    if (r.Kind == K::HangUp) {
      reply.HangUp = true;
      return reply;
    }
    if (r.Kind == K::Silent) return reply;
    if (r.Kind == K::Error) error = true;
  }
  std::string text;
  if (error) {
    text = kError;
  } else if (!FConfigMode) {
    FConfigMode = true;
    text = kGreeting;
  } else {
    text = Line.size() > kMaxLine ? std::string(kError) : Execute(name, Line);
  }
  reply.Pieces.push_back({0, text});
  ApplyFaults(name, attempt, Line, reply);
  return reply;
}

std::string TAtDevice::Execute(const std::string& Name, const std::string& Line) {
  const TCommandForm* known = nullptr;
  for (const TCommandForm& s : kCommands)
    if (Name == s.Name) known = &s;
  if (!known) return kError;
  const size_t sep = Line.find_first_of("@?");
  const char mark = sep == std::string::npos ? 0 : Line[sep];
  if (mark != known->Form || (mark == '?' && sep + 1 != Line.size())) return kError;

  std::vector<std::string> fields;
  if (mark == '@') {
    fields = Split(Line.substr(sep + 1), ',');
    if (fields.size() != std::strlen(known->Fields)) return kError;
    for (size_t i = 0; i < fields.size(); ++i) {
      long v;
      if (known->Fields[i] == 'n' && !ParseNumber(fields[i], v)) return kError;
    }
  }

  if (Name == "AT+CLRVAR") {
    FVariables.clear();
  } else if (Name == "AT+CSQ") {
    return "\r\n+CSQ: 23,99\r\n" + std::string(kOk);
  } else if (Name == "AT+MINFO") {
    auto id = FSettings.find("AT+DTUID");
    return "\r\n+MODEL: DTU-SIM 4G\r\n+VERSION: 1.0.0\r\n+IMEI: 860000000000017\r\n+DTUID: " +
           (id == FSettings.end() ? std::string() : id->second[0]) + "\r\n" + kOk;
  } else if (Name == "AT+REBOOT") {
    FConfigMode = false;
  } else if (Name == "AT+SETVAR" || Name == "AT+SETBVAR") {
    long offset, decimals;
    ParseNumber(fields[0], offset);
    ParseNumber(fields[2], decimals);
    FVariables.push_back({Name, offset, fields[1], decimals});
  } else {
    FSettings[Name] = fields;
  }
  return kOk;
}

void TAtDevice::ApplyFaults(const std::string& Name, std::uint32_t Attempt, const std::string& Line, TReply& Reply) {
  using K = TFaultRule::TKind;
  auto applies = [&](const TFaultRule& r) {
    return (r.Command == "*" || r.Command == Name) && Attempt >= r.FirstAttempt && Attempt <= r.LastAttempt;
  };
  std::string& text = Reply.Pieces[0].Bytes;
  // What is sent first.
  for (const TFaultRule& r : FRules) {
    if (!applies(r)) continue;
    if (r.Kind == K::Oversize && r.Bytes > text.size()) {
      std::string filler;
      for (int n = 1; filler.size() < r.Bytes - text.size(); ++n) filler += "+FILL: " + std::to_string(n) + " ................................\r\n";
      filler.resize(r.Bytes - text.size());
      text = filler + text;
    } else if (r.Kind == K::Nul) {
      text = std::string(r.Count, '\0') + text;
    } else if (r.Kind == K::Garbage) {
      std::string junk;
      for (std::uint32_t i = 0; i < r.Count; ++i) {
        FGarbageSeed = FGarbageSeed * 1103515245u + 12345u;
        junk += static_cast<char>(0x80 | ((FGarbageSeed >> 16) & 0x7F));
      }
      text = junk + text;
    }
  }
  for (const TFaultRule& r : FRules)
    if (r.Kind == K::Echo) text = Line + "\r\n" + text;
  // When it is sent.
  for (const TFaultRule& r : FRules) {
    if (!applies(r)) continue;
    if (r.Kind == K::Late) {
      Reply.Pieces[0].DelayMs += r.Ms;
    } else if (r.Kind == K::Split && Reply.Pieces.size() == 1) {
      const std::string all = Reply.Pieces[0].Bytes;
      const std::uint32_t delay = Reply.Pieces[0].DelayMs;
      const size_t n = std::min<size_t>(r.Pieces, std::max<size_t>(all.size(), 1));
      Reply.Pieces.clear();
      for (size_t i = 0; i < n; ++i) {
        size_t from = all.size() * i / n, to = all.size() * (i + 1) / n;
        Reply.Pieces.push_back({i == 0 ? delay : r.Ms, all.substr(from, to - from)});
      }
    }
  }
}

std::string TAtDevice::Json(const std::string& PortName, const std::string& DevicePath) const {
  std::string out = "{\n";
  out += "  \"port\": " + JsonString(PortName) + ",\n";
  out += "  \"device\": " + JsonString(DevicePath) + ",\n";
  out += std::string("  \"mode\": \"") + (FConfigMode ? "config" : "normal") + "\",\n";
  out += "  \"settings\": {";
  bool first = true;
  for (const auto& [name, fields] : FSettings) {
    out += first ? "\n" : ",\n";
    first = false;
    out += "    " + JsonString(name) + ": [";
    for (size_t i = 0; i < fields.size(); ++i) out += (i ? ", " : "") + JsonString(fields[i]);
    out += "]";
  }
  out += first ? "},\n" : "\n  },\n";
  out += "  \"variables\": [";
  first = true;
  for (const TVariable& v : FVariables) {
    out += first ? "\n" : ",\n";
    first = false;
    out += "    {\"command\": " + JsonString(v.Command) + ", \"offset\": " + std::to_string(v.Offset) +
           ", \"name\": " + JsonString(v.Name) + ", \"decimals\": " + std::to_string(v.Decimals) + "}";
  }
  out += first ? "],\n" : "\n  ],\n";
  out += "  \"attempts\": {";
  first = true;
  for (const auto& [name, count] : FAttempts) {
    out += first ? "\n" : ",\n";
    first = false;
    out += "    " + JsonString(name) + ": " + std::to_string(count);
  }
  out += first ? "}\n" : "\n  }\n";
  return out + "}\n";
}
