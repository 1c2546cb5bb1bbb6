#pragma once
// The AT-command exchange with the terminal: the command texts of a download, the
// reply accumulation of one attempt, the send-and-wait-for-OK loop and the progress
// arithmetic. The serial device and the way of waiting are passed in, so the main
// window drives the real port and tests drive a fake one on a manual clock.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/VarTable.h"

// What the exchange needs of the serial device (raw bytes, no framing).
class TCommandPort {
public:
  virtual ~TCommandPort() = default;
  virtual bool Active() = 0;
  virtual void PurgeRead() = 0;
  // Queues up to Count bytes; returns how many were taken.
  virtual int Write(const char* Buffer, int Count) = 0;
  // Copies up to Size received bytes; returns their count, 0 when none arrived.
  virtual int Read(char* Buffer, int Size) = 0;
};

// How the exchange waits and tells time.
struct TCommandTiming {
  std::function<void(uint32_t Ms)> Sleep;
  std::function<uint32_t()> Tick;
};

// The reply text of one attempt: pieces are appended from their first non-NUL byte
// up to their next NUL; only the last 1000 bytes are kept, so a late "OK" after a
// flood of other bytes is still seen and nothing can overflow.
class TReplyText {
public:
  static constexpr size_t Capacity = 1000;
  void Clear() { FText.clear(); }
  void Append(const char* Piece, int Count);
  bool Contains(const std::string& Text) const { return FText.find(Text) != std::string::npos; }
  const std::string& Text() const { return FText; }
private:
  std::string FText;
};

// Writes the whole command, continuing short writes for at most one second.
bool WriteWholeCommand(TCommandPort& Port, const std::string& Command, const TCommandTiming& Timing);

// A query or the reboot: purge, the command, a wait of WaitMs, then one read of up
// to 1000 bytes; the reply up to its first NUL byte (empty when the port is no longer
// active after the wait).
std::string QueryDevice(TCommandPort& Port, const std::string& Command, uint32_t WaitMs,
                        const TCommandTiming& Timing);

// Sends Command and waits for Success: up to 3 attempts, each a purge, the whole
// command written (short writes continued for at most 1 s), then up to 10 reads
// 200 ms apart; a reply with Error (when given) ends the attempt early, a port that
// is no longer active the whole exchange.
bool SendCommandWaitOK(TCommandPort& Port, const std::string& Command, const std::string& Success,
                       const std::string& Error, const TCommandTiming& Timing);

// The texts the download takes from the communication page.
struct TLineTexts {
  std::string Baud, Bits, Stop;  // combo texts
  int ParityIndex = 0;           // 0 none, 1 odd, 2 even
  std::string Interval;          // the spin edit's text
};

// Commands 1..7 of a download, from the settings globals and the page's texts.
std::vector<std::string> SetupCommands(const TLineTexts& Line);
// The command for one variable: its offset in its window, name and decimals.
std::string VariableCommand(const TVarRecord& R);
// Empty when every field a download sends (the variables' names included) is fit to
// send; otherwise the message that names the first field holding a comma or a control
// byte (GBK).
std::string CheckDownloadFields(const TLineTexts& Line);

// Progress of a download with Count variables: the step added before each variable
// and after each set-up command, and the bar position after Done increments of it.
// With 994 or more variables the step is 0, and the bar then shows Done*100/(N+7).
int DownloadStep(int Count);
int ProgressPosition(int Done, int Count);

// The message for a port that could not be opened (serial/portfailure.h), in the
// program's language (simplified Chinese).
std::string PortOpenFailureText(const std::string& Message, int OsError, const std::string& DevicePath,
                                const std::string& Refusal = {});

// The message for a port whose device went away while it was open (GBK).
std::string PortGoneText(const std::string& Port);

// Commands of the other buttons.
extern const char* const CmdEnterConfig;   // "+++++\n"
extern const char* const ReplyConfigMode;  // "4G DTU Enter Config Mode OK"
extern const char* const CmdReboot;
extern const char* const CmdModuleInfo;
extern const char* const CmdSignal;
