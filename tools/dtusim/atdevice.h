#pragma once
// The terminal's side of the AT protocol, without any I/O: bytes in, replies out.
// In normal (transparent) mode only the line "+++++" is answered, with the
// configuration-mode greeting; in configuration mode each command line is parsed
// strictly and stored, AT+REBOOT returns to normal mode. Fault rules change what a
// command's answer looks like (see ParseFaultRule).
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A piece of a reply, sent DelayMs after the piece before it (or after the reply
// before it has gone).
struct TReplyPiece {
  std::uint32_t DelayMs = 0;
  std::string Bytes;
};

// What the terminal does about one command line.
struct TReply {
  std::vector<TReplyPiece> Pieces;  // empty: no answer
  bool HangUp = false;              // close the line instead of answering
};

struct TFaultRule {
  enum class TKind { Error, Silent, Late, Split, Nul, Garbage, Oversize, HangUp, Echo, IdleOk };
  TKind Kind = TKind::Error;
  std::string Command = "*";     // upper case; "*" is every command
  std::uint32_t FirstAttempt = 1;
  std::uint32_t LastAttempt = UINT32_MAX;
  std::uint32_t Ms = 0;          // late, split, idle-ok
  std::uint32_t Pieces = 2;      // split
  std::uint32_t Count = 1;       // nul, garbage
  std::uint32_t Bytes = 0;       // oversize
};

// One rule in the text form of the rules file and of --fault:
//   KIND [COMMAND] [key=value ...]
// Returns false with a message for text that is not a rule.
bool ParseFaultRule(const std::string& Text, TFaultRule& Rule, std::string& Error);
// The rules of a rules file (one a line, '#' starts a comment); false with a
// message naming the line on the first bad one.
bool ParseFaultRules(const std::string& Text, std::vector<TFaultRule>& Rules, std::string& Error);

class TAtDevice {
public:
  explicit TAtDevice(std::vector<TFaultRule> Rules = {});

  // Feeds received bytes; returns a reply for each command line completed by them.
  std::vector<TReply> Feed(const std::string& Bytes);
  bool ConfigMode() const { return FConfigMode; }
  // The unsolicited "OK" for a line idle this long, when a rule asks for one.
  std::optional<std::uint32_t> IdleOkMs() const;
  static std::string IdleOkBytes() { return "\r\nOK\r\n"; }

  // The stored configuration (texts converted from GBK) as a JSON object.
  std::string Json(const std::string& PortName, const std::string& DevicePath) const;

private:
  struct TVariable {
    std::string Command;
    long Offset;
    std::string Name;
    long Decimals;
  };
  TReply Answer(const std::string& Line);
  std::string Execute(const std::string& Name, const std::string& Line);
  void ApplyFaults(const std::string& Name, std::uint32_t Attempt, const std::string& Line, TReply& Reply);

  std::vector<TFaultRule> FRules;
  std::string FLine;
  bool FConfigMode = false;
  std::map<std::string, std::vector<std::string>> FSettings;
  std::vector<TVariable> FVariables;
  std::map<std::string, std::uint32_t> FAttempts;
  std::uint32_t FGarbageSeed = 0x2545F491;
};
