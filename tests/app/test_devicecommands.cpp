// The AT exchange against a scripted port on a counting clock, and the download texts.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>

#include "app/DeviceCommands.h"

namespace {

// A port whose replies are scripted per write: each write starts the next script,
// each read hands out the script's next piece (an empty piece is silence).
class TScriptedPort : public TCommandPort {
public:
  std::vector<std::vector<std::string>> Scripts;
  std::vector<std::string> Written;
  int Purges = 0;
  int WriteLimit = 1 << 30;  // bytes taken per Write call
  bool Active() override { return true; }
  void PurgeRead() override {
    ++Purges;
    FPending.clear();
  }
  int Write(const char* Buffer, int Count) override {
    int n = std::min(Count, WriteLimit);
    if (FPartial.empty() && n > 0) Written.emplace_back();
    if (n > 0) Written.back().append(Buffer, static_cast<size_t>(n));
    FPartial.append(Buffer, static_cast<size_t>(n));
    if (n == Count) {  // the whole command is in: the peer starts answering
      FPartial.clear();
      if (FScript < Scripts.size()) FPending.assign(Scripts[FScript].begin(), Scripts[FScript].end());
      ++FScript;
    }
    return n;
  }
  int Read(char* Buffer, int Size) override {
    if (FPending.empty()) return 0;
    std::string piece = FPending.front();
    FPending.pop_front();
    int n = std::min<int>(Size, static_cast<int>(piece.size()));
    std::memcpy(Buffer, piece.data(), static_cast<size_t>(n));
    if (n < static_cast<int>(piece.size())) FPending.push_front(piece.substr(static_cast<size_t>(n)));
    return n;
  }

private:
  std::deque<std::string> FPending;
  std::string FPartial;
  size_t FScript = 0;
};

struct TCountingClock {
  uint32_t Now = 0;
  TCommandTiming Timing() {
    return {[this](uint32_t ms) { Now += ms; }, [this] { return Now; }};
  }
};

}  // namespace

TEST(SendCommandWaitOK, RepliesAreJudgedOnTheAccumulatedTextOfOneAttempt) {
  // ms: the exact time taken, 200 ms per poll (10 polls an attempt, 3 attempts).
  struct Case {
    const char* what;
    std::vector<std::vector<std::string>> scripts;
    bool ok;
    size_t writes;
    uint32_t ms;
  };
  const std::string flood(850, 'x');  // read 100 bytes a poll: nine polls, then OK
  const Case cases[] = {
      {"O then K", {{"", "O", "K"}}, true, 1, 600},
      {"NUL bytes around the reply", {{std::string("\0\0O", 3), std::string("K\0junk", 6)}}, true, 1, 400},
      {"three ERROR replies", {{"ERROR"}, {"ERR", "OR"}, {"ERROR"}}, false, 3, 200 + 400 + 200},
      {"ERROR then OK on the retry", {{"ERROR"}, {"OK"}}, true, 2, 400},
      {"silence", {}, false, 3, 6000},
      {"a late OK after a flood", {{flood.substr(0, 100), flood.substr(100), "OK"}}, true, 1, 2000},
      {"OK split by a NUL is not OK", {{std::string("O\0K", 3)}}, false, 3, 6000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TScriptedPort port;
    port.Scripts = c.scripts;
    TCountingClock clock;
    EXPECT_EQ(SendCommandWaitOK(port, "AT+X\r\n", "OK", "ERROR", clock.Timing()), c.ok);
    EXPECT_EQ(port.Written, std::vector<std::string>(c.writes, "AT+X\r\n"));
    EXPECT_EQ(port.Purges, static_cast<int>(c.writes));
    EXPECT_EQ(clock.Now, c.ms);
  }
}

TEST(SendCommandWaitOK, ShortWritesAreContinuedButNotForever) {
  TScriptedPort port;
  port.Scripts = {{"OK"}};
  port.WriteLimit = 3;
  TCountingClock clock;
  EXPECT_TRUE(SendCommandWaitOK(port, "AT+CLRVAR?\r\n", "OK", "ERROR", clock.Timing()));
  EXPECT_EQ(port.Written, (std::vector<std::string>{"AT+CLRVAR?\r\n"}));

  TScriptedPort stuck;
  stuck.WriteLimit = 0;
  TCountingClock clock2;
  EXPECT_FALSE(SendCommandWaitOK(stuck, "AT\r\n", "OK", "ERROR", clock2.Timing()));
  EXPECT_GE(clock2.Now, 3000u);  // one second per attempt
}

TEST(ReplyText, KeepsTheLastThousandBytes) {
  TReplyText r;
  std::string big(1500, 'a');
  r.Append(big.data(), static_cast<int>(big.size()));
  r.Append("OK", 2);
  EXPECT_EQ(r.Text().size(), TReplyText::Capacity);
  EXPECT_TRUE(r.Contains("OK"));
}

TEST(DownloadTexts, CommandsCarryTheSettingsAndWindowOffsets) {
  ResetAppState();
  PlcRegStart = 100;
  PlcCoilStart = 100;
  PlcStation = 1;
  SetFieldText(CloudAddr, "1.2.3.4");
  SetFieldText(CloudPort, "1811");
  SetFieldText(CloudDeviceId, "user");
  SetFieldText(CloudKey, "kqz");
  TLineTexts line{"9600", "8", "1", 0, "60"};
  auto cmds = SetupCommands(line);
  ASSERT_EQ(cmds.size(), 7u);
  EXPECT_EQ(cmds[1], "AT+DSCADDR@1.2.3.4,1811,user,kqz,20\r\n");
  EXPECT_EQ(cmds[2], "AT+DTUID@user\r\n");
  EXPECT_EQ(cmds[3], "AT+UARTCFG@9600,8,0,1,120,0,2\r\n");
  EXPECT_EQ(cmds[4], "AT+HEARTIME@60\r\n");
  EXPECT_EQ(cmds[5], "AT+PLCFG@100,1\r\n");
  EXPECT_EQ(cmds[6], "AT+SETBADDR@100,0\r\n");

  TVarRecord coil{}, reg{};
  SetVarTypeCode(coil, 0);
  coil.Address = 227;
  SetFieldText(coil.Name, "K1");
  SetVarTypeCode(reg, 2);
  SetVarDecimals(reg, 3);
  reg.Address = 100;
  SetFieldText(reg.Name, "T1");
  EXPECT_EQ(VariableCommand(coil), "AT+SETBVAR@128,K1,0\r\n");
  EXPECT_EQ(VariableCommand(reg), "AT+SETVAR@1,T1,3\r\n");

  EXPECT_EQ(CheckDownloadFields(line), "");
  SetFieldText(CloudKey, "a,b");
  EXPECT_NE(CheckDownloadFields(line).find("设备密钥"), std::string::npos);
  SetFieldText(CloudKey, "kqz");
  line.Interval = "6\r";
  EXPECT_FALSE(CheckDownloadFields(line).empty());
  line.Interval = "60";
  // A name from a file made elsewhere would split or shift the command's fields.
  VarTable[0] = reg;
  VarTable[1] = coil;
  VarCount = 2;
  EXPECT_EQ(CheckDownloadFields(line), "");
  for (const char* bad : {"a,b", "a\r\nAT"}) {
    SetFieldText(VarTable[1].Name, bad);
    EXPECT_NE(CheckDownloadFields(line).find("第2行"), std::string::npos) << bad;
  }
  ResetAppState();
}

TEST(DownloadProgress, MovesForEveryTableSize) {
  // No variables: step 142 gives 14, 28, 42, 56, 71, 85, 99.
  std::vector<int> seen;
  for (int done = 1; done <= 7; ++done) seen.push_back(ProgressPosition(done, 0));
  EXPECT_EQ(seen, (std::vector<int>{14, 28, 42, 56, 71, 85, 99}));
  EXPECT_EQ(DownloadStep(993), 1);
  EXPECT_EQ(DownloadStep(994), 0);
  EXPECT_EQ(ProgressPosition(1000, 993), 100);
  EXPECT_EQ(ProgressPosition(503, 996), 50);  // step 0: still moves
  EXPECT_EQ(ProgressPosition(1007, 1000), 100);
}

TEST(QueryDevice, ShowsEveryByteReadUpToTheFirstNul) {
  TScriptedPort port;
  const std::string reply300(300, 'r');
  port.Scripts = {{reply300}, {std::string("+CSQ: 23,99\r\n\0junk", 18)}};
  TCountingClock clock;
  EXPECT_EQ(QueryDevice(port, CmdModuleInfo, 1000, clock.Timing()), reply300);
  EXPECT_EQ(clock.Now, 1000u);
  EXPECT_EQ(QueryDevice(port, CmdSignal, 1000, clock.Timing()), "+CSQ: 23,99\r\n");
  EXPECT_EQ(port.Purges, 2);
  EXPECT_EQ(port.Written, (std::vector<std::string>{"AT+MINFO\r\n", "AT+CSQ?\r\n"}));
}
