// The communication page's commands: refused while the port is closed, and the whole
// road against the terminal simulator on a pseudo-terminal through the real serial
// library: open the port from the combo, enter configuration mode, download, query,
// reboot.
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <sstream>
#include <thread>

#include "app/DeviceCommands.h"

#include "controls/editlist/spinedit.h"
#include "platform/stdctrls/memo.h"
#include "platform/stdctrls/progress.h"
#include "platform/win32/clock.h"
#include "platform/controls/menus.h"
#include "platform/win32/devicemap.h"
#include "platform/win32/messages.h"
#include "serial/kxcommdevice.h"
#include "tests/app/app_fixture.h"
#include "tests/app/pty_peer.h"
#include "tools/dtusim/dtusim_runner.h"

namespace {
// The system's text for an errno value, as the tool shows it (GBK).
std::string Reason(int Error) { return Utf8ToGbk(std::strerror(Error)); }
}  // namespace

TEST_F(AppForms, EveryDeviceCommandWantsAnOpenPort) {
  using Handler = void (TFormMain::*)(TObject*);
  const Handler handlers[] = {&TFormMain::ButtonDownloadClick, &TFormMain::Button1Click,
                              &TFormMain::Button2Click, &TFormMain::ButtonReadVerClick,
                              &TFormMain::ButtonReadStrongClick};
  for (Handler h : handlers) {
    size_t before = Runner->CallsOf("messagebox").size();
    (FormMain->*h)(nullptr);
    ASSERT_EQ(Runner->CallsOf("messagebox").size(), before + 1);
    EXPECT_EQ(LastMessage(), "请先打开串口！");
  }
  EXPECT_FALSE(FormMain->ProgressBar1->Visible());
}

TEST_F(AppForms, OpeningNeedsAPortAndShowsWhyItFailed) {
  FormMain->ComboBoxDownCom->SetItemIndex(-1);
  FormMain->ComboBoxDownCom->SetText("");
  FormMain->ButtonOpenClick(nullptr);
  EXPECT_EQ(LastMessage(), "请先选择下载端口！");
  // A device path typed key by key stays in the combo and is the port opened, also
  // one with a blank.
  FormMain->ComboBoxDownCom->HandleNeeded();
  for (const std::string path : {"/nonexistent/ttyX", "/no such dir/tty X"}) {
    FormMain->ComboBoxDownCom->SetText("");
    for (char c : path)
      FormMain->ComboBoxDownCom->EditControl()->Perform(WM_CHAR, static_cast<unsigned char>(c), 0);
    EXPECT_EQ(FormMain->ComboBoxDownCom->Text(), path);
    FormMain->ButtonOpenClick(nullptr);
    EXPECT_EQ(FormMain->KxCommDevice1->PortName(), path);
    // The library's message, then the system's reason on a line of its own.
    const std::string message = LastMessage();
    size_t newline = message.find('\n');
    ASSERT_NE(newline, std::string::npos) << message;
    EXPECT_NE(message.substr(0, newline).find(path), std::string::npos);
    EXPECT_EQ(message.substr(newline + 1), Reason(ENOENT));
    EXPECT_FALSE(FormMain->KxCommDevice1->Active());
  }
  // A name that leads to the user's own terminal: the second line says which and why.
  FormMain->ComboBoxDownCom->SetText("tty");
  FormMain->ButtonOpenClick(nullptr);
  EXPECT_NE(LastMessage().find("\n\"tty\" (/dev/tty) is the controlling terminal of whoever runs the program"),
            std::string::npos)
      << LastMessage();
  EXPECT_FALSE(FormMain->KxCommDevice1->Active());
  FormMain->Timer1Timer(nullptr);
  EXPECT_EQ(FormMain->ButtonOpen->Caption(), "打开串口");
}

TEST(PortOpenFailureText, AddsTheSystemsReasonAndForAPermissionFailureWhatToDo) {
  const std::string table = "串行口:“COM7”- 不能打开串行口";
  // A device whose group is known, and one that cannot be looked at.
  const std::string device = "/dev/null";
  struct stat st {};
  ASSERT_EQ(::stat(device.c_str(), &st), 0);
  const std::string group = ::getgrgid(st.st_gid)->gr_name;
  struct Case { int error; std::string device; std::string expected; };
  const Case cases[] = {
      {0, device, table},
      {ENOENT, device, table + "\n" + Reason(ENOENT)},
      {EACCES, device, table + "\n" + Reason(EACCES) + "\n当前用户无权使用该端口：请把用户加入设备所属的用户组“" +
                           group + "”（Debian 上为 dialout），然后重新登录。"},
      {EWOULDBLOCK, device, table + "\n" + Reason(EWOULDBLOCK) + "\n该端口正被其他程序使用。"},
      {EACCES, "/nonexistent/tty", table + "\n" + Reason(EACCES) +
                                       "\n当前用户无权使用该端口：请把用户加入设备所属的用户组“dialout”（Debian 上为 dialout），然后重新登录。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(PortOpenFailureText(table, c.error, c.device), c.expected);
  }
}

namespace {

// Runs a step in the GUI thread at the first message pump after Post, which for a
// device command is inside its first wait for the terminal.
class TDuringExchange {
public:
  explicit TDuringExchange(std::function<void()> Step) : FStep(std::move(Step)) {
    FWnd = AllocateHWnd([this](TMessage& M) {
      if (M.Msg == WM_USER && FStep) std::exchange(FStep, nullptr)();
    });
    PostMessage(FWnd, WM_USER, 0, 0);
  }
  ~TDuringExchange() { DeallocateHWnd(FWnd); }
  bool Ran() const { return !FStep; }

private:
  std::function<void()> FStep;
  HWND FWnd = nullptr;
};

// The port of a device path typed into the combo, opened with the button.
void OpenTypedPort(const std::string& Path) {
  FormMain->ComboBoxDownCom->SetItemIndex(-1);
  FormMain->ComboBoxDownCom->SetText(Path);
  FormMain->ButtonOpenClick(nullptr);
}

}  // namespace

TEST_F(AppForms, WhileADownloadWaitsNothingChangesTheTableTheFileOrThePort) {
  TPtyPeer peer("OK\r\n");
  ASSERT_FALSE(peer.Path.empty());
  // Another project on disk, then the one downloaded.
  AddVariable(2, "7", "Other");
  const std::string other = Save("other.cloud");
  const std::string mine = Save("mine.cloud");
  FormMain->ListView1->SetItemIndex(0);
  FormMain->ButtonDelClick(nullptr);
  AddVariable(0, "3", "Pump");
  AddVariable(2, "5", "Level", 1);
  OpenTypedPort(peer.Path);
  ASSERT_TRUE(FormMain->KxCommDevice1->Active()) << LastMessage();

  std::vector<bool> menuDuring;
  size_t dialogsBefore = Runner->CallsOf("open").size() + Runner->CallsOf("save").size();
  TDuringExchange user([&] {
    TMenuItem* items = FormMain->MainMenu1->Items();
    for (int i = 0; i < items->Count(); ++i) menuDuring.push_back(items->Items(i)->Enabled());
    // Every command a click on the menu bar or the page could reach.
    Runner->AnswerFileDialog({other});
    FormMain->NOpenClick(nullptr);
    FormMain->NNewClick(nullptr);
    FormMain->NSaveasClick(nullptr);
    FormMain->ListView1->SetItemIndex(0);
    FormMain->ButtonDelClick(nullptr);
    FormMain->ButtonOpenClick(nullptr);
    EXPECT_FALSE(FormMain->CloseQuery());
  });
  FormMain->ButtonDownloadClick(nullptr);
  ASSERT_TRUE(user.Ran());
  EXPECT_EQ(LastMessage(), "下载成功！");
  EXPECT_EQ(menuDuring, std::vector<bool>(5, false));
  EXPECT_EQ(Runner->CallsOf("open").size() + Runner->CallsOf("save").size(), dialogsBefore);
  EXPECT_EQ(VarCount, 2);
  EXPECT_EQ(ProjectFileName, mine);
  EXPECT_TRUE(FormMain->KxCommDevice1->Active());
  EXPECT_EQ(peer.Received(),
            "AT+CLRVAR?\r\n"
            "AT+DSCADDR@192.0.2.1,1811,user,kqz,20\r\n"
            "AT+DTUID@user\r\n"
            "AT+UARTCFG@9600,8,0,1,120,0,2\r\n"
            "AT+HEARTIME@6\r\n"
            "AT+PLCFG@0,1\r\n"
            "AT+SETBADDR@0,0\r\n"
            "AT+SETBVAR@4,Pump,0\r\n"
            "AT+SETVAR@6,Level,1\r\n");

  // Afterwards the menu is back and its commands work again.
  TMenuItem* items = FormMain->MainMenu1->Items();
  for (int i = 0; i < items->Count(); ++i) EXPECT_TRUE(items->Items(i)->Enabled()) << i;
  Runner->AnswerFileDialog({other});
  FormMain->NOpenClick(nullptr);
  EXPECT_EQ(VarCount, 1);
  EXPECT_EQ(ProjectFileName, other);
  FormMain->ButtonOpenClick(nullptr);
  EXPECT_FALSE(FormMain->KxCommDevice1->Active());
}

TEST_F(AppForms, APortThatGoesAwayIsClosedAtOnceAndAWaitingCommandEndsWithWhy) {
  using Handler = void (TFormMain::*)(TObject*);
  struct Case {
    const char* name;
    const char* hangUpOn;  // what the terminal receives before it goes; "" while idle
    Handler command;
    const char* outcome;   // the command's own failure text after the port's, if any
  };
  const Case cases[] = {
      {"while nothing waits", "", nullptr, nullptr},
      {"entering configuration mode", "+++++\n", &TFormMain::Button1Click,
       "进入配置模式失败！可能设备已经进入配置模式，或重启设备再试！"},
      {"mid-download", "AT+DTUID@", &TFormMain::ButtonDownloadClick, "下载失败！"},
      {"a query", "AT+CSQ?\r\n", &TFormMain::ButtonReadStrongClick, nullptr},
  };
  AddVariable(2, "5", "Level", 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPtyPeer peer("OK\r\n", c.hangUpOn);
    ASSERT_FALSE(peer.Path.empty());
    OpenTypedPort(peer.Path);
    ASSERT_TRUE(FormMain->KxCommDevice1->Active()) << LastMessage();
    FormMain->Timer1Timer(nullptr);
    ASSERT_EQ(FormMain->ButtonOpen->Caption(), "关闭串口");
    FormMain->RichEdit1->SetText("before");
    const size_t boxes = Runner->CallsOf("messagebox").size();
    if (c.command) {
      (FormMain->*c.command)(nullptr);
    } else {
      peer.HangUp();
      // The hang-up arrives from the port's reader thread (a generous bound).
      for (int i = 0; i < 1000 && Runner->CallsOf("messagebox").size() == boxes; ++i) {
        Application->ProcessMessages();
        usleep(5000);
      }
    }
    std::vector<std::string> expected = {
        "串口“" + peer.Path + "”已断开，已被关闭！请检查串口线和USB转串口适配器是否连接好，然后重新打开串口。"};
    if (c.outcome) expected.push_back(c.outcome);
    std::vector<std::string> shown;
    const auto calls = Runner->CallsOf("messagebox");
    for (size_t i = boxes; i < calls.size(); ++i) shown.push_back(calls[i].Text);
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(FormMain->KxCommDevice1->Active());
    EXPECT_EQ(FormMain->ButtonOpen->Caption(), "打开串口");
    EXPECT_FALSE(FormMain->ProgressBar1->Visible());
    EXPECT_EQ(FormMain->RichEdit1->Text(), "before");
    EXPECT_FALSE(FormMain->Busy());
    // Nothing more is said about it later.
    FormMain->Timer1Timer(nullptr);
    EXPECT_EQ(Runner->CallsOf("messagebox").size(), boxes + expected.size());
  }
}

#ifdef DTUSIM_PATH

namespace {

using dtusim_test::TSim;

// The bytes dtusim logged as received ("hh:mm:ss.mmm RX  off: 41 54 ...  text").
std::string ReceivedBytes(const std::string& Log) {
  std::string bytes;
  std::istringstream lines(Log);
  for (std::string l; std::getline(lines, l);) {
    size_t rx = l.find(" RX ");
    if (rx == std::string::npos) continue;
    size_t colon = l.find(": ", rx);
    std::istringstream hex(l.substr(colon + 2, 16 * 3));
    for (std::string h; hex >> h;) bytes.push_back(static_cast<char>(std::stoi(h, nullptr, 16)));
  }
  return bytes;
}

class Road : public AppForms {
protected:
  // Opens the simulator's port the way the user does: drop the list down, pick it.
  void OpenPort(const std::string& Name) {
    FormMain->ComboBoxDownComDropDown(nullptr);
    auto* items = FormMain->ComboBoxDownCom->Items();
    int index = -1;
    for (int i = 0; i < items->Count(); ++i)
      if (items->Strings(i) == Name) index = i;
    ASSERT_GE(index, 0) << "the port list lacks " << Name;
    FormMain->ComboBoxDownCom->SetItemIndex(index);
    FormMain->ComboBoxDownComChange(nullptr);
    EXPECT_EQ(FormMain->ComboPortNames()[static_cast<size_t>(index)], Name);
    EXPECT_EQ(FormMain->ComboBoxDownCom->Text(), Name);  // a pseudo-terminal has no description
    FormMain->ButtonOpenClick(nullptr);
    ASSERT_TRUE(FormMain->KxCommDevice1->Active()) << LastMessage();
    FormMain->Timer1Timer(nullptr);
    EXPECT_EQ(FormMain->ButtonOpen->Caption(), "关闭串口");
  }
  void FillProject() {
    FormMain->EditPLCVar->SetText("100");
    FormMain->EditPLCBVar->SetText("0");
    PlcRegStart = 100;
    AddVariable(0, "127", "Pump");
    AddVariable(2, "100", "Level", 1);
  }
};

}  // namespace

TEST_F(Road, ConfigureDownloadQueryAndRebootAgainstTheSimulator) {
  TSim sim({"--port", "COM57"});
  ASSERT_EQ(sim.Port, "COM57") << sim.Errors();
  FillProject();
  OpenPort("COM57");

  FormMain->Button1Click(nullptr);
  EXPECT_EQ(LastMessage(), "成功进入配置模式！");
  FormMain->ButtonDownloadClick(nullptr);
  EXPECT_EQ(LastMessage(), "下载成功！");
  EXPECT_FALSE(FormMain->ProgressBar1->Visible());
  FormMain->ButtonReadStrongClick(nullptr);
  EXPECT_NE(FormMain->RichEdit1->Text().find("+CSQ: 23,99"), std::string::npos);
  FormMain->Button2Click(nullptr);
  EXPECT_NE(FormMain->RichEdit1->Text().find("OK"), std::string::npos);
  FormMain->ButtonOpenClick(nullptr);
  EXPECT_FALSE(FormMain->KxCommDevice1->Active());

  EXPECT_EQ(sim.Stop(), 0);
  const std::string dump = sim.Dump();
  for (const char* part : {"\"AT+DSCADDR\": [\"192.0.2.1\", \"1811\", \"user\", \"kqz\", \"20\"]",
                           "\"AT+UARTCFG\": [\"9600\", \"8\", \"0\", \"1\", \"120\", \"0\", \"2\"]",
                           "\"AT+HEARTIME\": [\"6\"]", "\"AT+PLCFG\": [\"100\", \"1\"]",
                           "\"AT+SETBADDR\": [\"0\", \"0\"]",
                           "{\"command\": \"AT+SETBVAR\", \"offset\": 128, \"name\": \"Pump\", \"decimals\": 0}",
                           "{\"command\": \"AT+SETVAR\", \"offset\": 1, \"name\": \"Level\", \"decimals\": 1}",
                           "\"AT+CLRVAR\": 1,", "\"AT+SETVAR\": 1,", "\"AT+REBOOT\": 1"})
    EXPECT_NE(dump.find(part), std::string::npos) << part << "\n" << dump;
  // Every byte that reached the terminal, in order: exactly these commands.
  EXPECT_EQ(ReceivedBytes(sim.Log()),
            "+++++\n"
            "AT+CLRVAR?\r\n"
            "AT+DSCADDR@192.0.2.1,1811,user,kqz,20\r\n"
            "AT+DTUID@user\r\n"
            "AT+UARTCFG@9600,8,0,1,120,0,2\r\n"
            "AT+HEARTIME@6\r\n"
            "AT+PLCFG@100,1\r\n"
            "AT+SETBADDR@0,0\r\n"
            "AT+SETBVAR@128,Pump,0\r\n"
            "AT+SETVAR@1,Level,1\r\n"
            "AT+CSQ?\r\n"
            "AT+REBOOT\r\n");
}

TEST_F(Road, APortLockedByAnotherProgramSaysSo) {
  TSim sim({"--port", "COM59"});
  ASSERT_EQ(sim.Port, "COM59") << sim.Errors();
  int other = ::open(ResolvePortDevice("COM59").c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  FormMain->ComboBoxDownComDropDown(nullptr);
  auto* items = FormMain->ComboBoxDownCom->Items();
  for (int i = 0; i < items->Count(); ++i)
    if (items->Strings(i) == "COM59") FormMain->ComboBoxDownCom->SetItemIndex(i);
  FormMain->ComboBoxDownComChange(nullptr);
  FormMain->ButtonOpenClick(nullptr);
  ::close(other);
  EXPECT_FALSE(FormMain->KxCommDevice1->Active());
  const std::string message = LastMessage();
  EXPECT_NE(message.find("COM59"), std::string::npos) << message;
  EXPECT_EQ(message.substr(message.rfind('\n') + 1), "该端口正被其他程序使用。");
  sim.Stop();
}

// Each row is one simulator run with its faults: its own test, so that a failure
// names its row and the rows run side by side.
namespace {

struct TFaultRow {
  const char* Name;
  std::vector<std::string> Faults;
  const char* Message;
  const char* Attempts;
};

// Real time until the simulator has ended by itself (a hang-up ends it); from then
// on a manual clock that a helper thread runs fast. What follows a hang-up is the
// download's retries running out on a dead line, which no reply can change, so a
// row need not wait them out in real time. The clock is never freed: a thread may
// still read it on its way out of a wait.
class TFastAfterHangUp : public TManualClock {
public:
  static TFastAfterHangUp& Instance() {
    static auto* c = new TFastAfterHangUp;
    return *c;
  }
  std::uint64_t NowMs() override { return FFast.load() ? TManualClock::NowMs() : FReal.NowMs(); }
  bool Manual() const override { return FFast.load(); }

  // Installs the clock and watches the simulator.
  void Start(pid_t Sim) {
    FFast = false;
    FDone = false;
    SetClock(this);
    FHelper = std::thread([this, Sim] {
      while (!FDone.load()) {
        if (FFast.load()) {
          Advance(20);
          usleep(200);
          continue;
        }
        siginfo_t si{};
        if (waitid(P_PID, Sim, &si, WEXITED | WNOHANG | WNOWAIT) == 0 && si.si_pid == Sim) {
          SetNow(FReal.NowMs() + 50);  // ahead of any real reading just taken
          FFast = true;
        }
        usleep(2000);
      }
    });
  }
  // Once nothing waits on the clock any more (within a generous bound), the
  // monotonic clock again.
  void Finish() {
    for (int i = 0; i < 10000 && FFast.load() && Waiters() > 0; ++i) usleep(1000);
    FDone = true;
    FHelper.join();
    SetClock(nullptr);
  }

private:
  TMonotonicClock FReal;
  std::atomic<bool> FFast{false}, FDone{false};
  std::thread FHelper;
};

// The row's name stands for it in test names and messages.
void PrintTo(const TFaultRow& Row, std::ostream* Out) { *Out << Row.Name; }

class RoadFaults : public Road, public ::testing::WithParamInterface<TFaultRow> {};

}  // namespace

TEST_P(RoadFaults, RetriesSplitRepliesAndAHangUpMidDownload) {
  const TFaultRow& c = GetParam();
  FillProject();
  std::vector<std::string> args = {"--port", "COM58"};
  for (const auto& f : c.Faults) args.insert(args.end(), {"--fault", f});
  TSim sim(args);
  ASSERT_EQ(sim.Port, "COM58") << sim.Errors();
  TFastAfterHangUp& clock = TFastAfterHangUp::Instance();
  clock.Start(sim.Pid);
  OpenPort("COM58");
  FormMain->Button1Click(nullptr);
  FormMain->ButtonDownloadClick(nullptr);
  EXPECT_EQ(LastMessage(), c.Message);
  EXPECT_FALSE(FormMain->ProgressBar1->Visible());
  EXPECT_FALSE(FormMain->Busy());
  FormMain->KxCommDevice1->SetActive(false);
  clock.Finish();
  sim.Stop();
  EXPECT_NE(sim.Dump().find(c.Attempts), std::string::npos) << sim.Dump();
}

INSTANTIATE_TEST_SUITE_P(
    Simulator, RoadFaults,
    ::testing::Values(
        TFaultRow{"ErrorTwiceThenOk", {"error AT+DTUID attempts=1..2"}, "下载成功！", "\"AT+DTUID\": 3,"},
        TFaultRow{"AReplyInPieces", {"split AT+CLRVAR pieces=3 ms=60"}, "下载成功！", "\"AT+CLRVAR\": 1,"},
        TFaultRow{"HangUpInTheMiddle", {"hangup AT+SETVAR"},
                  "下载失败！", "\"AT+SETVAR\": 1"}));

#endif  // DTUSIM_PATH
