// The device component: PortParams, the published properties and their stream
// form, Active/UsePackage, and events re-posted to the creating thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "platform/core/typinfo.h"
#include "serial/framecodec.h"
#include "serial/kxcommdevice.h"
#include "tests/platform/win32/pty.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

TEST(KxCommDevice, PortParamsTable) {
  struct Case {
    const char* Text;
    const char* Name;
    DWORD Baud;
    BYTE Parity, Bits, Stop;
    const char* Back;
  } cases[] = {
      {"COM3", "COM3", 9600, 0, 8, 0, "COM3,9600,N,8,1"},
      {"", "COM2", 9600, 0, 8, 0, "COM2,9600,N,8,1"},
      {"COM4,19200,e,7,2", "COM4", 19200, 2, 7, 2, "COM4,19200,E,7,2"},
      {"COM4,19200,N,8,1.50", "COM4", 19200, 0, 8, 0, "COM4,19200,N,8,1"},
      {"COM5,9600,,8,1", "COM5", 9600, 1, 8, 0, "COM5,9600,O,8,1"},  // empty parity: kept (odd)
      {" com6 , 57600 , s , 8 , 1.5 ", "COM6", 57600, 4, 8, 1, "COM6,57600,S,8,1.5"},
      {"COM7,300,Z,8,1,extra", "COM7", 300, 0, 8, 0, "COM7,300,N,8,1"},
      // Numbers read as strtoul does: leading digits count, a sign is taken, past
      // 32 bits is the largest value; the byte size keeps its low 8 bits.
      {"COM3,96oo,N,8,1", "COM3", 96, 0, 8, 0, "COM3,96,N,8,1"},
      {"COM7,9600x,E,264,1", "COM7", 9600, 2, 8, 0, "COM7,9600,E,8,1"},
      {"COM3,+9600,N,8,1", "COM3", 9600, 0, 8, 0, "COM3,9600,N,8,1"},
      {"COM3,-1,N,8,1", "COM3", 4294967295u, 0, 8, 0, "COM3,4294967295,N,8,1"},
      {"COM3,99999999999,N,8,1", "COM3", 4294967295u, 0, 8, 0, "COM3,4294967295,N,8,1"},
      {"COM3,baud,N,8,1", "COM3", 0, 0, 8, 0, "COM3,0,N,8,1"},
      {"COM3,9600,N,x,1", "COM3", 9600, 0, 0, 0, "COM3,9600,N,0,1"},
      {"COM3,9600,N,7bits,1", "COM3", 9600, 0, 7, 0, "COM3,9600,N,7,1"},
      // Items split as a delimited list: quotes removed, blanks separate.
      {"\"COM8\",\"19200\",\"O\",\"7\",\"2\"", "COM8", 19200, 1, 7, 2, "COM8,19200,O,7,2"},
      {"COM9 4800 M 6 1.5", "COM9", 4800, 3, 6, 1, "COM9,4800,M,6,1.5"},
      // A name the split would cut is written back quoted, so it reads back whole.
      {"\"/dev/my port\",1200,N,8,1", "/dev/my port", 1200, 0, 8, 0, "\"/dev/my port\",1200,N,8,1"},
      {"\"COM3\",\" 38400\",\" e \",\" 8\",\" 2 \"", "COM3", 38400, 2, 8, 2, "COM3,38400,E,8,2"},
      {"ttyUSB0,115200,M,8,2", "ttyUSB0", 115200, 3, 8, 2, "ttyUSB0,115200,M,8,2"},
      {"/dev/pts/9,4800,E,5,1.5", "/dev/pts/9", 4800, 2, 5, 1, "/dev/pts/9,4800,E,5,1.5"},
      // GBK names: a lead byte takes only a real trail byte (0x40..0xFE but 0x7F), so
      // a comma, quote or blank after a stray lead byte still separates or quotes.
      {"|\x99,9600,N,8,1", "|\x99", 9600, 0, 8, 0, "|\x99,9600,N,8,1"},
      {"\"|\x99\",19200", "|\x99", 19200, 0, 8, 0, "|\x99,19200,N,8,1"},
      {"\"a\x99,b\",4800,E,7,2", "a\x99,b", 4800, 2, 7, 2, "\"a\x99,b\",4800,E,7,2"},
      {"\"\x99\"\"\",1200,N,8,1", "\x99\"", 1200, 0, 8, 0, "\"\x99\"\"\",1200,N,8,1"},
      {"\"\x99 \",1200,O,8,1", "\x99 ", 1200, 1, 8, 0, "\"\x99 \",1200,O,8,1"},
      {"\x99\x7F,600,N,8,1", "\x99\x7F", 600, 0, 8, 0, "\x99\x7F,600,N,8,1"},
      // Whole GBK characters (one ending in '|', 0x7C) are written as they were.
      {"\xB1\xE4\xB0\x7C,2400,S,8,2", "\xB1\xE4\xB0\x7C", 2400, 4, 8, 2, "\xB1\xE4\xB0\x7C,2400,S,8,2"},
      {"\xB4\xAE\xBF\xDA\xB6,115200", "\xB4\xAE\xBF\xDA\xB6", 115200, 0, 8, 0, "\xB4\xAE\xBF\xDA\xB6,115200,N,8,1"},
  };
  for (const Case& c : cases) {
    TKxCommDevice d(nullptr);
    d.Comm()->fSetParity(ODDPARITY);
    d.SetPortParams(c.Text);
    EXPECT_EQ(d.PortName(), c.Name) << c.Text;
    EXPECT_EQ(d.BaudRate(), c.Baud) << c.Text;
    EXPECT_EQ(d.Comm()->Parity(), c.Parity) << c.Text;
    EXPECT_EQ(d.ByteSize(), c.Bits) << c.Text;
    EXPECT_EQ(d.Comm()->StopBits(), c.Stop) << c.Text;
    EXPECT_EQ(d.PortParams(), c.Back) << c.Text;
    TKxCommDevice again(nullptr);
    again.SetPortParams(d.PortParams());
    EXPECT_EQ(again.PortName(), c.Name) << c.Text;
    EXPECT_EQ(again.PortParams(), c.Back) << c.Text;
  }
  TKxCommDevice d(nullptr);
  EXPECT_EQ(d.PortParams(), "COM2,115200,N,8,1");
  d.Comm()->fSetParity(7);
  d.Comm()->fSetStopBits(9);
  EXPECT_EQ(d.PortParams(), "COM2,115200,N,8,1");
  EXPECT_EQ(d.Parity(), TParity::ptNoParity);
  EXPECT_EQ(d.StopBits(), TStopBits::sbOneStopBit);
}

TEST(KxCommDevice, PropertiesMapToThePort) {
  TKxCommDevice d(nullptr);
  EXPECT_EQ(d.Baud(), TBaudRate::br115200);
  d.SetBaud(TBaudRate::brCustom);
  EXPECT_EQ(d.BaudRate(), 115200u);
  d.SetBaudRate(250000);
  EXPECT_EQ(d.Baud(), TBaudRate::brCustom);
  d.SetBaud(TBaudRate::br56000);
  EXPECT_EQ(d.BaudRate(), 56000u);

  struct Flow {
    TFlowControl Set, Read;
    TNimboComm::TFlowControl Code;
  } flows[] = {{TFlowControl::fcNone, TFlowControl::fcNone, TNimboComm::fcNone},
               {TFlowControl::fcRtsCts, TFlowControl::fcRtsCts, TNimboComm::fcRtsCts},
               {TFlowControl::fcTranXonXoff, TFlowControl::fcXonXoff, TNimboComm::fcXonXoff},
               {TFlowControl::fcRtsCtsXonXoff, TFlowControl::fcRtsCtsXonXoff, TNimboComm::fcRtsCtsXonXoff}};
  for (const Flow& f : flows) {
    d.SetFlowControl(f.Set);
    EXPECT_EQ(d.FlowControl(), f.Read);
    EXPECT_EQ(d.Comm()->FlowControl(), f.Code);
  }
  SetOrdProp(&d, "ByteSize", 300);
  EXPECT_EQ(d.ByteSize(), 255);
  SetOrdProp(&d, "AutoAnswer", -4);
  EXPECT_EQ(d.AutoAnswer(), 0);
  SetOrdProp(d.FrameSettings(), "FrameHead", 0x1EB);
  EXPECT_EQ(d.Package()->FrameHead(), 0xFF);

  TKxCommDevice other(nullptr);
  other.FrameSettings()->SetFrameTail(3);
  other.FrameSettings()->SetDoubleFrameMark(true);
  d.SetFrameSettings(other.FrameSettings());
  EXPECT_EQ(d.Package()->FrameTail(), 3);
  EXPECT_FALSE(d.Package()->DoubleFrameMark());  // not copied
}

std::string WriteText(TComponent* C) {
  TStringStream out;
  out.WriteComponent(C);
  return FormBinaryToText(out.DataString());
}

TEST(KxCommDevice, StreamsThroughTheFormFiler) {
  const std::string mainWindow =
      "object KxCommDevice1: TKxCommDevice\n"
      "  PortNo = 2\n"
      "  PortName = 'COM2'\n"
      "  PortParams = 'COM2,115200,N,8,1'\n"
      "  PackageType = cptFrameHeadTail\n"
      "end\n";
  const std::string custom =
      "object Dev: TKxCommDevice\n"
      "  PortName = '/dev/ttyUSB1'\n"
      "  PortParams = '/dev/ttyUSB1,250000,E,7,2'\n"
      "  Baud = brCustom\n"
      "  BaudRate = 250000\n"
      "  Parity = ptEvenParity\n"
      "  ByteSize = 7\n"
      "  StopBits = sbTwoStopBit\n"
      "  SyncEvents = False\n"
      "  PackageSize = 100\n"
      "  UsePackage = True\n"
      "  FrameSettings.FrameHead = 2\n"
      "  FrameSettings.DoubleFrameMark = True\n"
      "end\n";
  for (const std::string& text : {mainWindow, custom}) {
    std::string binary = FormTextToBinary(text);
    std::unique_ptr<TComponent> c(
        ReadComponentFromBytes(reinterpret_cast<const std::uint8_t*>(binary.data()), binary.size(), nullptr));
    auto* d = dynamic_cast<TKxCommDevice*>(c.get());
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->Active());
    EXPECT_EQ(WriteText(d), text);
  }
}

// A device on one end of a pty, its notifications recorded with their thread.
struct TDeviceOnPty {
  TDeviceOnPty() {
    Dev = std::make_unique<TKxCommDevice>(nullptr);
    Dev->SetPortParams(Pty.SlavePath + ",115200,N,8,1");
    Dev->OnCommNotify = [this](TObject* Sender, DWORD Mask) { Record(Sender, Mask, false); };
    Dev->OnPackage = [this](TObject* Sender, DWORD Bits) { Record(Sender, Bits, true); };
    Dev->AfterOpen = [this](TObject* Sender) { Opens += Sender == Dev.get(); };
    Dev->BeforeClose = [this](TObject* Sender) { Closes += Sender == Dev.get(); };
  }
  ~TDeviceOnPty() {
    ProcessMessages();
    Dev.reset();  // before the record it may still write to
  }
  struct TEvent {
    TObject* Sender;
    DWORD Value;
    bool Package;
    std::thread::id Thread;
  };
  void Record(TObject* Sender, DWORD Value, bool Package) {
    std::lock_guard<std::mutex> g(Lock);
    Events.push_back({Sender, Value, Package, std::this_thread::get_id()});
  }
  std::vector<TEvent> Taken() {
    std::lock_guard<std::mutex> g(Lock);
    return Events;
  }
  TPtyPair Pty;
  std::unique_ptr<TKxCommDevice> Dev;
  std::mutex Lock;
  std::vector<TEvent> Events;
  int Opens = 0, Closes = 0;
};

TEST(KxCommDevice, SyncEventsRunInTheCreatingThreadWhenItDrains) {
  TDeviceOnPty t;
  t.Dev->SetPackageType(cptFrameHeadTail);
  t.Dev->SetUsePackage(true);
  t.Dev->SetActive(true);
  EXPECT_EQ(t.Opens, 1);
  TBytes frame(MaxEncodedSize(2));
  frame.resize(EncodeFrame(TBytes{7, 8}.data(), 2, TFrameMarks{}, false, frame.data()));
  ASSERT_TRUE(t.Pty.WriteAll(frame.data(), frame.size()));
  ASSERT_TRUE(WaitUntil([&] { return t.Dev->Package()->ReceivedCount() == 1; }));
  EXPECT_TRUE(t.Taken().empty());  // nothing runs before the queue is drained
  ASSERT_TRUE(MessagesPending());
  ProcessMessages();
  t.Dev->SetActive(false);
  EXPECT_EQ(t.Closes, 1);
  ProcessMessages();

  std::vector<TDeviceOnPty::TEvent> ev = t.Taken();
  ASSERT_GE(ev.size(), 3u);
  for (const auto& e : ev) {
    EXPECT_EQ(e.Sender, t.Dev.get());
    EXPECT_EQ(e.Thread, std::this_thread::get_id());
  }
  // In order: the open's line report first, the package, the close's report last.
  EXPECT_EQ(ev.front().Value, TNimboComm::ModemLineEvents);
  EXPECT_FALSE(ev.front().Package);
  EXPECT_EQ(ev.back().Value, TNimboComm::ModemLineEvents);
  auto pkg = std::find_if(ev.begin(), ev.end(), [](const auto& e) { return e.Package; });
  ASSERT_NE(pkg, ev.end());
  EXPECT_EQ(pkg->Value & TCommPackage::PackageReceived, TCommPackage::PackageReceived);
  TBytes got(8);
  got.resize(t.Dev->ReadPackage(got.data(), 8));
  EXPECT_TRUE(got.empty());  // inactive layer: the package went with the close

  // Without SyncEvents the handlers run in the reader thread at once.
  t.Dev->SetSyncEvents(false);
  t.Dev->SetActive(true);
  ASSERT_TRUE(t.Pty.WriteAll(frame.data(), frame.size()));
  ASSERT_TRUE(WaitUntil([&] {
    auto all = t.Taken();
    return std::any_of(all.begin() + ev.size(), all.end(), [](const auto& e) { return e.Package; });
  }));
  auto later = t.Taken();
  auto it = std::find_if(later.begin() + ev.size(), later.end(), [](const auto& e) { return e.Package; });
  EXPECT_EQ(it->Sender, t.Dev.get());
  EXPECT_NE(it->Thread, std::this_thread::get_id());
  got.resize(8);
  got.resize(t.Dev->Read(got.data(), 8));
  EXPECT_EQ(got, (TBytes{7, 8}));
}

TEST(KxCommDevice, UsePackageSwitchesTheLayerWithoutReopening) {
  TDeviceOnPty t;
  t.Dev->SetActive(true);
  t.Dev->SetUsePackage(true);
  EXPECT_EQ(t.Opens, 1);
  EXPECT_TRUE(t.Dev->Active());
  EXPECT_TRUE(t.Dev->Package()->Active());
  TBytes data{1, 0xEE, 3};
  EXPECT_EQ(t.Dev->Write(data.data(), 3), 3);  // silence framing: sent as it is
  EXPECT_EQ(t.Pty.ReadN(3), data);
  t.Dev->SetUsePackage(false);
  EXPECT_FALSE(t.Dev->Package()->Active());
  EXPECT_TRUE(t.Dev->Active());
  EXPECT_EQ(t.Dev->Write(data.data(), 3), 3);
  EXPECT_EQ(t.Pty.ReadN(3), data);

  t.Dev->SetUsePackage(true);
  t.Dev->SetBaud(TBaudRate::br9600);  // a line setting closes the port
  EXPECT_FALSE(t.Dev->Active());
  EXPECT_TRUE(t.Dev->Package()->Active());
  t.Dev->SetActive(true);
  EXPECT_TRUE(t.Dev->Active());
  EXPECT_EQ(t.Opens, 2);
}

TEST(KxCommDevice, OpeningFailuresPassThroughAndLeaveTheLayerInactive) {
  struct Case {
    std::string Params;
    ENimboCommError::TErrorCode Code;
  };
  TPtyPair pty;
  const Case cases[] = {{pty.SlavePath + ",oo,N,8,1", ENimboCommError::ecSetCommState},
                        {pty.SlavePath + ",9600,N,x,1", ENimboCommError::ecSetCommState},
                        {"/dev/no-such-tty,9600,N,8,1", ENimboCommError::ecOpenPort}};
  for (const Case& c : cases) {
    TKxCommDevice d(nullptr);
    d.SetUsePackage(true);
    d.SetPortParams(c.Params);
    try {
      d.SetActive(true);
      ADD_FAILURE() << c.Params << " opened";
    } catch (const ENimboCommError& e) {
      EXPECT_EQ(e.ErrorCode(), c.Code) << c.Params;
    }
    EXPECT_FALSE(d.Active());
    EXPECT_FALSE(d.Package()->Active());
  }
}

// Freed while open with notifications queued (and, without SyncEvents, arriving):
// no handler runs afterwards and the queued messages go nowhere.
TEST(KxCommDevice, DestroyingAnOpenDeviceRunsNoHandlerAfterwards) {
  for (bool sync : {true, false}) {
    TPtyPair pty;
    std::atomic<int> calls{0};
    auto* d = new TKxCommDevice(nullptr);
    d->SetSyncEvents(sync);
    d->SetPortParams(pty.SlavePath);
    d->OnCommNotify = [&](TObject*, DWORD) { ++calls; };
    d->BeforeClose = [&](TObject*) { ++calls; };
    d->SetActive(true);
    std::atomic<bool> stop{false};
    std::thread terminal([&] {
      while (!stop) {
        pty.WriteAll("x", 1);
        usleep(200);
      }
    });
    ASSERT_TRUE(WaitUntil([&] { return sync ? MessagesPending() : calls > 3; }));
    delete d;
    int after = calls;
    ProcessMessages();
    stop = true;
    terminal.join();
    EXPECT_EQ(calls, after) << "sync " << sync;
    if (sync) {
      EXPECT_EQ(after, 0);
    }
  }
}

}  // namespace
