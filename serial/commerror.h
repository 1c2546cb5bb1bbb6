#pragma once
// ENimboCommError, the serial library's one exception: an error code and the port
// concerned, with a message in simplified Chinese, traditional Chinese or English
// chosen by the thread locale.
#include <cstdint>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/win32/wintypes.h"

// The language the library's messages use: the thread locale, 1033 when unknown.
class TNimboCommLanguage {
public:
  TNimboCommLanguage();
  virtual ~TNimboCommLanguage() = default;
  LCID LcId() const { return FLcId; }
  void fSetLcId(LCID Value) { FLcId = Value; }

private:
  LCID FLcId;
};

class ENimboCommError : public Exception {
public:
  enum class TErrorCode : std::uint8_t {
    ecNone = 0,
    ecOutOfMemory = 1,          // queue storage could not be allocated
    ecReadBuffer = 2,           // receive queue without storage at open
    ecWriteBuffer = 3,          // transmit queue without storage at open
    ecOpenPort = 4,             // the port cannot be opened (missing, in use)
    ecSetCommMask = 5,
    ecSetupComm = 6,
    ecGetCommState = 7,
    ecSetCommState = 8,         // the line settings were refused
    ecReadEvent = 9,
    ecWriteEvent = 10,
    ecReadThread = 11,
    ecWriteThread = 12,
    ecCloseReadThread = 13,
    ecCloseWriteThread = 14,
  };
  using enum TErrorCode;

  explicit ENimboCommError(TErrorCode Code);
  ENimboCommError(TErrorCode Code, const std::string& PortName);
  // Codes as plain numbers (a code outside 1..14 gives the "unknown error" text).
  explicit ENimboCommError(int Code) : ENimboCommError(static_cast<TErrorCode>(Code)) {}
  ENimboCommError(int Code, const std::string& PortName)
      : ENimboCommError(static_cast<TErrorCode>(Code), PortName) {}

  const char* ClassName() const noexcept override { return "ENimboCommError"; }
  TErrorCode ErrorCode() const { return FErrorCode; }
  const std::string& PortName() const { return FPortName; }
  // The system's error number behind the failure (errno), 0 when none is known; the
  // message itself stays the table's text.
  int OsError() const { return FOsError; }
  void SetOsError(int Value) { FOsError = Value; }
  // Why the port name was refused before its device was opened (which name and
  // why); empty otherwise.
  const std::string& Refusal() const { return FRefusal; }
  void SetRefusal(const std::string& Value) { FRefusal = Value; }

  // The message for a code and port name in the calling thread's language (GBK).
  static std::string MessageStrings(TErrorCode Code, const std::string& PortName);

private:
  TErrorCode FErrorCode;
  std::string FPortName;
  int FOsError = 0;
  std::string FRefusal;
};
