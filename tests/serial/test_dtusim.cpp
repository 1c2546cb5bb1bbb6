// The terminal simulator, run as a program on its pseudo-terminal and reached
// through the serial library by the name it registers in a private device map.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/devicemap.h"
#include "serial/kxcommdevice.h"
#include "tests/platform/win32/pty.h"
#include "tools/dtusim/dtusim_runner.h"

extern char** environ;

#ifdef DTUSIM_PATH

using dtusim_test::ReadFile;
using dtusim_test::TSim;

namespace {


// The tool's side: a device without packages, as the configuration page uses it.
struct TLink {
  explicit TLink(const std::string& Port) {
    Dev.SetSyncEvents(false);
    Dev.OnCommNotify = [this](TObject*, DWORD Mask) { Masks |= Mask; };
    Dev.SetPortParams(Port + ",9600,N,8,1");
    Dev.SetActive(true);
  }
  // Reads until the text read so far satisfies Done (10 s at most).
  std::string ReadUntil(const std::function<bool(const std::string&)>& Done) {
    std::string got;
    WaitUntil([&] {
      char buf[256];
      int n = Dev.Read(buf, sizeof buf);
      if (n > 0) got.append(buf, static_cast<size_t>(n));
      return Done(got);
    });
    return got;
  }
  // Purges, sends, and reads one whole answer.
  std::string Exchange(const std::string& Command) {
    Dev.PurgeRead(false);
    EXPECT_EQ(Dev.Write(Command.data(), static_cast<int>(Command.size())), static_cast<int>(Command.size()));
    return ReadUntil(Answered);
  }
  static bool Answered(const std::string& S) {
    auto ends = [&](const std::string& T) { return S.size() >= T.size() && S.compare(S.size() - T.size(), T.size(), T) == 0; };
    return ends("\r\nOK\r\n") || ends("\r\nERROR\r\n");
  }
  std::atomic<DWORD> Masks{0};  // before Dev: its handler writes here until Dev is gone
  TKxCommDevice Dev{nullptr};
};

const std::string kOk = "\r\nOK\r\n", kError = "\r\nERROR\r\n", kEnter = "+++++\n";
const std::string kGreeting = "\r\n4G DTU Enter Config Mode OK\r\n";
const std::string kCsq = "\r\n+CSQ: 23,99\r\n\r\nOK\r\n";

TEST(DtuSim, AtExchangeThroughTheDeviceAndTheStoredConfiguration) {
  TSim sim({"--port", "COM7"});
  ASSERT_EQ(sim.Port, "COM7") << sim.Errors();
  EXPECT_EQ(TSerialDeviceMap().Find("COM7"), sim.Device);
  {
    TLink link("COM7");
    // Config mode: the exchange of the "enter configuration" button.
    link.Dev.PurgeRead(false);
    link.Dev.Write(kEnter.data(), static_cast<int>(kEnter.size()));
    EXPECT_EQ(link.ReadUntil([](const std::string& S) { return S.find("Config Mode OK\r\n") != std::string::npos; }),
              kGreeting);
    struct Step {
      std::string Command, Answer;
    } steps[] = {
        {"AT+CLRVAR?\r\n", kOk},
        {"AT+DSCADDR@47.92.1.2,1811,user,kqz,20\r\n", kOk},
        {"AT+DSCADDR@47.92.1.2,1811,user,20\r\n", kError},  // a field short
        {"AT+DTUID@user\r\n", kOk},
        {"AT+UARTCFG@9600,8,0,1,120,0,2\r\n", kOk},
        {"AT+HEARTIME@6x\r\n", kError},  // not a number
        {"AT+HEARTIME@60\r\n", kOk},
        {"AT+PLCFG@100,1\r\n", kOk},
        {"AT+SETBADDR@0,0\r\n", kOk},
        {"AT+SETVAR@1,\xCE\xC2\xB6\xC8,1\r\n", kOk},  // a GBK name
        {"AT+SETBVAR@128,Pump,0\r\n", kOk},
        {"AT+SETVAR@2,Level\r\n", kError},
        {"AT+CSQ?\r\n", kCsq},
        {"AT+MINFO\r\n", "\r\n+MODEL: DTU-SIM 4G\r\n+VERSION: 1.0.0\r\n+IMEI: 860000000000017\r\n+DTUID: user\r\n" + kOk},
        {"AT+NOSUCH\r\n", kError},
        {kEnter, kError},  // already in configuration mode
        {"AT+REBOOT\r\n", kOk},
    };
    for (const Step& s : steps) EXPECT_EQ(link.Exchange(s.Command), s.Answer) << s.Command;
    link.Dev.PurgeRead(false);
    link.Dev.Write(kEnter.data(), static_cast<int>(kEnter.size()));  // normal mode again
    EXPECT_EQ(link.ReadUntil([](const std::string& S) { return S.find("Mode OK\r\n") != std::string::npos; }),
              kGreeting);
  }
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_EQ(TSerialDeviceMap().Find("COM7"), std::nullopt);  // the alias went with it
  EXPECT_EQ(sim.Dump(),
            "{\n"
            "  \"port\": \"COM7\",\n"
            "  \"device\": \"" + sim.Device + "\",\n"
            "  \"mode\": \"config\",\n"
            "  \"settings\": {\n"
            "    \"AT+DSCADDR\": [\"47.92.1.2\", \"1811\", \"user\", \"kqz\", \"20\"],\n"
            "    \"AT+DTUID\": [\"user\"],\n"
            "    \"AT+HEARTIME\": [\"60\"],\n"
            "    \"AT+PLCFG\": [\"100\", \"1\"],\n"
            "    \"AT+SETBADDR\": [\"0\", \"0\"],\n"
            "    \"AT+UARTCFG\": [\"9600\", \"8\", \"0\", \"1\", \"120\", \"0\", \"2\"]\n"
            "  },\n"
            "  \"variables\": [\n"
            "    {\"command\": \"AT+SETVAR\", \"offset\": 1, \"name\": \"温度\", \"decimals\": 1},\n"
            "    {\"command\": \"AT+SETBVAR\", \"offset\": 128, \"name\": \"Pump\", \"decimals\": 0}\n"
            "  ],\n"
            "  \"attempts\": {\n"
            "    \"+++++\": 3,\n"
            "    \"AT+CLRVAR\": 1,\n"
            "    \"AT+CSQ\": 1,\n"
            "    \"AT+DSCADDR\": 2,\n"
            "    \"AT+DTUID\": 1,\n"
            "    \"AT+HEARTIME\": 2,\n"
            "    \"AT+MINFO\": 1,\n"
            "    \"AT+NOSUCH\": 1,\n"
            "    \"AT+PLCFG\": 1,\n"
            "    \"AT+REBOOT\": 1,\n"
            "    \"AT+SETBADDR\": 1,\n"
            "    \"AT+SETBVAR\": 1,\n"
            "    \"AT+SETVAR\": 2,\n"
            "    \"AT+UARTCFG\": 1\n"
            "  }\n"
            "}\n");
  // Every received byte is logged with the time: the query, in hex and as text.
  EXPECT_NE(sim.Log().find("RX    0: 41 54 2B 43 53 51 3F 0D 0A"), std::string::npos);
  EXPECT_NE(sim.Log().find("AT+CSQ?\\r\\n"), std::string::npos);
}

TEST(DtuSim, FaultInjection) {
  auto enter = [](TLink& L) {
    L.Dev.Write(kEnter.data(), static_cast<int>(kEnter.size()));
    L.ReadUntil([](const std::string& S) { return S.find("Mode OK\r\n") != std::string::npos; });
  };
  struct Row {
    const char* What;
    std::vector<std::string> Faults;
    std::function<void(TLink&, TSim&)> Check;
  } rows[] = {
      {"ERROR on attempts 1..2", {"error AT+DTUID attempts=1..2"},
       [&](TLink& l, TSim&) {
         enter(l);
         for (const std::string& want : {kError, kError, kOk}) EXPECT_EQ(l.Exchange("AT+DTUID@x\r\n"), want);
       }},
      {"silence on the first attempt", {"silent AT+SETBADDR attempts=1"},
       [&](TLink& l, TSim&) {
         enter(l);
         // The lost answer would come before the next one: there is none.
         EXPECT_EQ(l.Exchange("AT+SETBADDR@0,0\r\nAT+CSQ?\r\n"), kCsq);
         EXPECT_EQ(l.Exchange("AT+SETBADDR@0,0\r\n"), kOk);
       }},
      {"an answer in pieces, late", {"split AT+CSQ pieces=4 ms=30", "late AT+CSQ ms=200"},
       [&](TLink& l, TSim& s) {
         enter(l);
         EXPECT_EQ(l.Exchange("AT+CSQ?\r\n"), kCsq);
         EXPECT_NE(s.Log().find("TX    0: 2C 39 39 0D 0A "), std::string::npos);  // a piece of its own
       }},
      {"NUL bytes and garbage", {"nul AT+CSQ count=3", "garbage AT+CSQ count=5"},
       [&](TLink& l, TSim&) {
         enter(l);
         std::string got = l.Exchange("AT+CSQ?\r\n");
         ASSERT_EQ(got.size(), 8 + kCsq.size());
         for (int i = 0; i < 5; ++i) EXPECT_GE(static_cast<unsigned char>(got[i]), 0x80) << i;
         EXPECT_EQ(got.substr(5), std::string(3, '\0') + kCsq);
       }},
      {"an oversized answer", {"oversize AT+MINFO bytes=1500"},
       [&](TLink& l, TSim&) {
         enter(l);
         std::string got = l.Exchange("AT+MINFO\r\n");
         EXPECT_EQ(got.size(), 1500u);
         EXPECT_EQ(got.substr(0, 9), "+FILL: 1 ");
       }},
      {"echo", {"echo"},
       [&](TLink& l, TSim&) {
         enter(l);
         EXPECT_EQ(l.Exchange("AT+CSQ?\r\n"), "AT+CSQ?\r\n" + kCsq);
       }},
      {"an unsolicited OK while idle", {"idle-ok ms=50"},
       [&](TLink& l, TSim&) {
         EXPECT_EQ(l.ReadUntil(TLink::Answered), kOk);
         l.Dev.Write(kEnter.data(), static_cast<int>(kEnter.size()));
         EXPECT_EQ(l.ReadUntil(TLink::Answered), kGreeting + kOk);  // again, once the line is quiet
       }},
      {"hang-up in the middle of a download", {"hangup AT+SETVAR attempts=2"},
       [&](TLink& l, TSim& s) {
         enter(l);
         EXPECT_EQ(l.Exchange("AT+SETVAR@1,A,0\r\n"), kOk);
         l.Dev.Write("AT+SETVAR@2,B,0\r\n", 17);
         EXPECT_TRUE(WaitUntil([&] { return (l.Masks & EV_ERR) != 0; }));  // the port saw the line go
         EXPECT_EQ(s.Stop(0), 0);
         EXPECT_NE(s.Dump().find("\"name\": \"A\""), std::string::npos);
         EXPECT_EQ(s.Dump().find("\"name\": \"B\""), std::string::npos);
         EXPECT_EQ(TSerialDeviceMap().Find("COM8"), std::nullopt);
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.What);
    std::vector<std::string> args = {"--port", "COM8"};
    for (const std::string& f : r.Faults) args.insert(args.end(), {"--fault", f});
    TSim sim(args);
    ASSERT_EQ(sim.Port, "COM8") << sim.Errors();
    TLink link("COM8");
    r.Check(link, sim);
  }
}

// Simulators started and stopped together share one device map: every one of
// them registers, and none is left once they have ended.
TEST(DtuSim, TenSimulatorsStartedTogetherAllRegisterAndAllLeave) {
  char tmpl[] = "/tmp/dtusim-shared-XXXXXX";
  const std::string home = mkdtemp(tmpl);
  const std::string file = home + "/dtu-config/serial-ports.ini";
  {
    std::vector<std::unique_ptr<TSim>> sims;
    for (int i = 0; i < 10; ++i)
      sims.push_back(std::make_unique<TSim>(std::vector<std::string>{"--port", "COM" + std::to_string(20 + i)},
                                            home, false));
    for (auto& s : sims) s->WaitReady();
    TSerialDeviceMap map(file);
    EXPECT_EQ(map.Entries().size(), 10u);
    for (auto& s : sims) EXPECT_EQ(map.Find(s->Port).value_or("none"), s->Device) << s->Errors();
    for (auto& s : sims) kill(s->Pid, SIGTERM);
    for (auto& s : sims) EXPECT_EQ(s->Stop(0), 0);
  }
  EXPECT_TRUE(TSerialDeviceMap(file).Entries().empty()) << ReadFile(file);
  std::filesystem::remove_all(home);
}

// A simulator killed outright cannot remove its alias. The alias names the
// simulator, so once it is gone the name no longer leads to its old
// pseudo-terminal, which the next program to open one may well get.
TEST(DtuSim, AKilledSimulatorsAliasNeverLeadsToTheNextPseudoTerminal) {
  TSim sim({"--port", "COM32"});
  ASSERT_EQ(sim.Port, "COM32") << sim.Errors();
  const std::string file = TSerialDeviceMap::Path();
  kill(sim.Pid, SIGKILL);
  // Not reaped yet: a killed process that lingers as a zombie is gone as well.
  const std::string stat = "/proc/" + std::to_string(sim.Pid) + "/stat";
  EXPECT_TRUE(WaitUntil([&] {
    std::string text = ReadFile(stat);
    size_t close = text.rfind(") ");
    return close != std::string::npos && text[close + 2] == 'Z';
  }));
  EXPECT_EQ(TSerialDeviceMap().Find("COM32"), std::nullopt);
  sim.Stop(0);
  ASSERT_NE(ReadFile(file).find("COM32=" + sim.Device), std::string::npos);  // left behind

  // New pseudo-terminals until one gets the simulator's old device (the kernel hands
  // out the lowest free number; other programs may take it first).
  std::vector<std::unique_ptr<TPtyPair>> ptys;
  for (int i = 0; i < 64 && (ptys.empty() || ptys.back()->SlavePath != sim.Device); ++i)
    ptys.push_back(std::make_unique<TPtyPair>());
  for (const auto& p : ptys) EXPECT_NE(ResolvePortDevice("COM32"), p->SlavePath);
  EXPECT_EQ(ResolvePortDevice("COM32"), "/dev/COM32");
  EXPECT_EQ(ReadFile(file).find("COM32"), std::string::npos) << ReadFile(file);  // and removed
}

// A second simulator asked for a name a running one holds says so and exits with
// a failure; the first keeps its registration.
TEST(DtuSim, ASecondSimulatorForALiveOnesNameIsRefused) {
  char tmpl[] = "/tmp/dtusim-second-XXXXXX";
  const std::string home = mkdtemp(tmpl);
  {
    TSim first({"--port", "COM33"}, home);
    ASSERT_EQ(first.Port, "COM33") << first.Errors();
    TSim second({"--port", "COM33"}, home);
    EXPECT_TRUE(second.Port.empty());
    EXPECT_EQ(second.Stop(0), 1);
    EXPECT_NE(second.Errors().find("cannot register COM33"), std::string::npos) << second.Errors();
    EXPECT_NE(second.Errors().find("process " + std::to_string(first.Pid) + " registered it for " + first.Device +
                                   " and is still running"),
              std::string::npos)
        << second.Errors();
    EXPECT_EQ(TSerialDeviceMap(home + "/dtu-config/serial-ports.ini").Find("COM33"), first.Device);
  }
  std::filesystem::remove_all(home);
}

TEST(DtuSim, BadOptionsAreRefusedWithAMessage) {
  struct Case {
    std::vector<std::string> Args;
    std::string Rules, Message;
  } cases[] = {
      {{}, "", "--port NAME is required"},
      {{"--port", "COM 7"}, "", "may not hold spaces"},
      {{"--port", "COM7", "--fault", "late AT+CSQ"}, "", "late: a setting is missing"},
      {{"--port", "COM7", "--fault", "split AT+CSQ pieces=1 ms=5"}, "", "bad setting \"pieces=1\""},
      {{"--port", "COM7", "--fault", "explode AT+CSQ"}, "", "unknown fault \"explode\""},
      {{"--port", "COM7"}, "echo\n# fine\nerror attempts=2\n", "line 3: error: the command is missing"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.Args;
    std::string rules = "/tmp/dtusim-rules-" + std::to_string(getpid());
    if (!c.Rules.empty()) {
      std::ofstream(rules) << c.Rules;
      args.insert(args.end(), {"--rules", rules});
    }
    TSim sim(args);
    EXPECT_TRUE(sim.Port.empty());
    EXPECT_EQ(sim.Stop(0), 2);
    EXPECT_NE(sim.Errors().find(c.Message), std::string::npos) << sim.Errors();
    std::remove(rules.c_str());
  }
  TSim help({"--help"});
  EXPECT_EQ(help.Stop(0), 0);
}

#endif  // DTUSIM_PATH

}  // namespace
