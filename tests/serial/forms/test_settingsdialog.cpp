// The device settings dialog driven through the layer: the port list, Enter moving
// the focus, the checks on OK in their order, applying (and restoring after a
// failed reopen of a busy port), the texts in three languages, the design-time
// buttons and the device's stream after OK.
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/core/filer.h"
#include "platform/core/streams.h"
#include "platform/core/textform.h"
#include "platform/stdctrls/combobox.h"
#include "platform/stdctrls/edit.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/win32/devicemap.h"
#include "platform/win32/locale.h"
#include "platform/win32/serialenum.h"
#include "serial/forms/kxcommdeviceabout.h"
#include "serial/forms/kxcommdevicesettings.h"
#include "tests/platform/controls/fixtures.h"
#include "tests/platform/controls/shot.h"

namespace fs = std::filesystem;

namespace {

using TDialog = TForm_KxCommDevice_Settings;

// A pseudo-terminal whose slave side plays a serial port (<chrono>, which the
// serial tests' helper uses, cannot be compiled with GBK literals).
struct TPtyPort {
  int Master = -1;
  int KeepSlave = -1;  // keeps the pair up while the port closes and reopens
  std::string SlavePath;
  TPtyPort() {
    Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    grantpt(Master);
    unlockpt(Master);
    char name[128] = {};
    ptsname_r(Master, name, sizeof name);
    SlavePath = name;
    KeepSlave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  }
  ~TPtyPort() {
    close(KeepSlave);
    close(Master);
  }
};

class SettingsDialogTest : public ControlsTest {
protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Dir = fs::temp_directory_path() / ("dtu-serial-forms-" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    std::ofstream(Dir / "ports.ini") << "COM7=" << Pty7.SlavePath << "\nCOM8=" << Pty8.SlavePath << "\n";
    TSerialDeviceMap::SetPathOverride((Dir / "ports.ini").string());
    SetSerialEnumRoots({(Dir / "sys").string(), (Dir / "dev").string()});
    SetThreadLocale(LOCALE_EN_US);
    RegisterSerialForms();
    Device = std::make_unique<TKxCommDevice>(nullptr);
    Device->SetPortParams("COM7,115200,N,8,1");
  }
  void TearDown() override {
    Device.reset();
    ResetThreadLocale();
    SetSerialEnumRoots({});
    TSerialDeviceMap::SetPathOverride("");
    fs::remove_all(Dir);
    ControlsTest::TearDown();
  }

  // Shows the dialog through the device and runs Step while it is open.
  bool Run(const std::function<void(TDialog*)>& Step, bool OpenOnOK = false) {
    Runner->OnLoop([&](TWinControl* W) { Step(static_cast<TDialog*>(W)); });
    return Device->SettingsDialog(nullptr, OpenOnOK);
  }
  static std::string FocusedField(TDialog* D) {
    for (TWinControl* c : {static_cast<TWinControl*>(D->CbPort), static_cast<TWinControl*>(D->CbSelBaud),
                           static_cast<TWinControl*>(D->CbParity), static_cast<TWinControl*>(D->CbByteSize),
                           static_cast<TWinControl*>(D->CbStopBits), static_cast<TWinControl*>(D->CbFlow),
                           static_cast<TWinControl*>(D->EditAutoAns), static_cast<TWinControl*>(D->EditInBufSize),
                           static_cast<TWinControl*>(D->EditOutBufSize)})
      if (c->Focused()) return c->Name();
    return "";
  }
  // OK as the mouse presses it: the button takes the focus, then clicks.
  static void PressOk(TDialog* D) {
    D->BnOK->SetFocus();
    D->BnOK->Click();
  }
  std::vector<TModalCall> Boxes() const { return Runner->CallsOf("messagebox"); }

  fs::path Dir;
  TPtyPort Pty7, Pty8;
  std::unique_ptr<TKxCommDevice> Device;
};

TEST_F(SettingsDialogTest, ThePortListIsTheEnumerationAndTheDeviceValuesAreShown) {
  Device->SetPortParams("COM8,57600,M,7,1.5");
  Device->SetFlowControl(TFlowControl::fcTranXonXoff);
  Device->SetAutoAnswer(3);
  Device->SetInBufSize(5000);
  Run([&](TDialog* D) {
    EXPECT_EQ(D->CbPort->Items()->Text(), "COM7\r\nCOM8\r\n");
    EXPECT_EQ(D->CbPort->ItemIndex(), 1);
    EXPECT_EQ(D->CbSelBaud->Text(), "57600");
    EXPECT_EQ(D->CbParity->Text(), "Mark");
    EXPECT_EQ(D->CbByteSize->Text(), "7");
    EXPECT_EQ(D->CbStopBits->Text(), "1.5");
    EXPECT_EQ(D->CbFlow->Text(), "Xon/Xoff");
    EXPECT_EQ(D->EditAutoAns->Text(), "3");
    EXPECT_EQ(D->EditInBufSize->Text(), "5000");
    EXPECT_EQ(D->EditOutBufSize->Text(), "8192");
  });
  // A port the enumeration does not know and codes outside the lists select nothing.
  Device->SetPortName("COM9");
  Device->SetByteSize(9);
  Device->Comm()->fSetParity(7);
  Device->Comm()->fSetStopBits(5);
  Run([&](TDialog* D) {
    EXPECT_EQ(D->CbPort->ItemIndex(), -1);
    EXPECT_EQ(D->CbPort->Text(), "");
    EXPECT_EQ(D->CbByteSize->ItemIndex(), -1);
    EXPECT_EQ(D->CbParity->ItemIndex(), -1);
    EXPECT_EQ(D->CbStopBits->ItemIndex(), -1);
  });
}

TEST_F(SettingsDialogTest, EnterMovesTheFocusThroughTheEightFieldsThenApplies) {
  std::vector<std::string> seen;
  bool stillOpen = false;
  EXPECT_TRUE(Run([&](TDialog* D) {
    D->CbPort->SetFocus();
    for (int i = 0; i < 8; ++i) {
      Key(VK_RETURN, "\r");
      seen.push_back(FocusedField(D));
    }
    stillOpen = D->ModalResult() == mrNone;
    D->EditOutBufSize->SetText("4096");
    Key(VK_RETURN, "\r");  // from the last field Enter is OK
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"CbSelBaud", "CbParity", "CbByteSize", "CbStopBits", "CbFlow",
                                            "EditAutoAns", "EditInBufSize", "EditOutBufSize"}));
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Device->OutBufSize(), 4096);
}

TEST_F(SettingsDialogTest, OkChecksTheFieldsInOrderAndKeepsTheDialogOpen) {
  struct Case {
    std::function<void(TDialog*)> Edit;
    const char* Text;
    const char* Focus;
  };
  const Case cases[] = {
      {[](TDialog* D) { D->CbPort->SetItemIndex(-1); }, "Must select COM Port", "CbPort"},
      {[](TDialog* D) { D->CbPort->SetText("COM7,9600"); }, "Must select COM Port", "CbPort"},
      {[](TDialog* D) { D->CbSelBaud->SetText("  "); }, "Must select baud rate", "CbSelBaud"},
      {[](TDialog* D) { D->CbSelBaud->SetText("0"); }, "Invalid baud rate", "CbSelBaud"},
      {[](TDialog* D) { D->CbSelBaud->SetText("-1"); }, "Invalid baud rate", "CbSelBaud"},
      {[](TDialog* D) { D->CbSelBaud->SetText("4294967296"); }, "Invalid baud rate", "CbSelBaud"},
      {[](TDialog* D) { D->CbSelBaud->SetText("x9600"); }, "Invalid baud rate", "CbSelBaud"},
      {[](TDialog* D) { D->CbByteSize->SetItemIndex(-1); }, "Must select byte size", "CbByteSize"},
      {[](TDialog* D) { D->CbParity->SetItemIndex(-1); }, "Must select parity check", "CbParity"},
      {[](TDialog* D) { D->CbStopBits->SetItemIndex(-1); }, "Must select stop bits", "CbStopBits"},
      {[](TDialog* D) { D->CbFlow->SetItemIndex(-1); }, "Must select flow control", "CbFlow"},
      {[](TDialog* D) { D->EditAutoAns->SetText("256"); }, "Auto Answer: 0 - 255", "EditAutoAns"},
      {[](TDialog* D) { D->EditAutoAns->SetText("-1"); }, "Auto Answer: 0 - 255", "EditAutoAns"},
      {[](TDialog* D) { D->EditAutoAns->SetText("abc"); }, "Auto Answer: 0 - 255", "EditAutoAns"},
      {[](TDialog* D) { D->EditAutoAns->SetText("0x10"); }, "Auto Answer: 0 - 255", "EditAutoAns"},
      {[](TDialog* D) { D->EditInBufSize->SetText("4095"); }, "Input Buffer size error", "EditInBufSize"},
      {[](TDialog* D) { D->EditInBufSize->SetText("$2000"); }, "Input Buffer size error", "EditInBufSize"},
      {[](TDialog* D) { D->EditOutBufSize->SetText(""); }, "Output Buffer size error", "EditOutBufSize"},
      {[](TDialog* D) { D->EditOutBufSize->SetText("99999999999"); }, "Output Buffer size error",
       "EditOutBufSize"},
  };
  for (const Case& c : cases) {
    Runner->Calls.clear();
    std::string focus;
    TModalResult result = mrNone;
    EXPECT_FALSE(Run([&](TDialog* D) {
      c.Edit(D);
      PressOk(D);
      focus = FocusedField(D);
      result = D->ModalResult();
    })) << c.Text;
    ASSERT_EQ(Boxes().size(), 1u) << c.Text;
    EXPECT_EQ(Boxes()[0].Text, c.Text);
    EXPECT_EQ(Boxes()[0].Caption, "Serial Port Setup");
    EXPECT_EQ(Boxes()[0].Type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(focus, c.Focus) << c.Text;
    EXPECT_EQ(result, mrNone) << c.Text;
    EXPECT_EQ(Device->PortParams(), "COM7,115200,N,8,1") << c.Text;
  }
}

TEST_F(SettingsDialogTest, OkAppliesTheValuesToTheDevice) {
  struct Case {
    const char* Port;  // picked from the list, or typed when not listed
    const char* Baud;
    int Parity, Bits, Stop, Flow;
    const char* AutoAns;
    const char* InBuf;
    const char* Params;
    TFlowControl FlowControl;
    int AutoAnswer, InBufSize;
  };
  const std::string typed = Pty8.SlavePath;
  const Case cases[] = {
      {"COM8", "9600x", 2, 3, 0, 1, "255", "4096", "COM8,9600,E,8,1", TFlowControl::fcRtsCts, 255, 4096},
      {"COM7", " +57600", 4, 0, 2, 2, " 7 ", "8192", "COM7,57600,S,5,2", TFlowControl::fcXonXoff, 7, 8192},
      {"COM7", "4294967295", 1, 2, 1, 3, "0", "10000", "COM7,4294967295,O,7,1.5", TFlowControl::fcRtsCtsXonXoff, 0,
       10000},
      {typed.c_str(), "250000", 0, 3, 0, 0, "0", "8192", nullptr, TFlowControl::fcNone, 0, 8192},
  };
  for (const Case& c : cases) {
    Device->SetPortParams("COM7,115200,N,8,1");
    EXPECT_TRUE(Run([&](TDialog* D) {
      int i = D->CbPort->Items()->IndexOf(c.Port);
      if (i >= 0) D->CbPort->SetItemIndex(i);
      else D->CbPort->SetText(c.Port);
      D->CbSelBaud->SetText(c.Baud);
      D->CbParity->SetItemIndex(c.Parity);
      D->CbByteSize->SetItemIndex(c.Bits);
      D->CbStopBits->SetItemIndex(c.Stop);
      D->CbFlow->SetItemIndex(c.Flow);
      D->EditAutoAns->SetText(c.AutoAns);
      D->EditInBufSize->SetText(c.InBuf);
      PressOk(D);
    })) << c.Baud;
    EXPECT_TRUE(Boxes().empty()) << (Boxes().empty() ? "" : Boxes()[0].Text);
    EXPECT_EQ(Device->PortParams(), c.Params ? std::string(c.Params) : typed + ",250000,N,8,1");
    EXPECT_EQ(Device->FlowControl(), c.FlowControl);
    EXPECT_EQ(Device->AutoAnswer(), c.AutoAnswer);
    EXPECT_EQ(Device->InBufSize(), c.InBufSize);
    EXPECT_FALSE(Device->Active());  // closed before, and OpenOnOK not asked
  }
  // OpenOnOK opens the closed port.
  EXPECT_TRUE(Run([&](TDialog* D) {
    D->CbPort->SetItemIndex(0);
    PressOk(D);
  }, true));
  EXPECT_TRUE(Device->Active());
}

TEST_F(SettingsDialogTest, ABusyPortOnOkRestoresAndReopensTheOldSettingsAndKeepsTheDialogOpen) {
  Device->SetActive(true);
  TNimboComm busy;
  busy.fSetPortName("COM8");
  busy.fSetActive(true);
  ASSERT_TRUE(busy.Active());

  std::string focus;
  TModalResult result = mrNone;
  EXPECT_FALSE(Run([&](TDialog* D) {
    D->CbPort->SetItemIndex(1);
    D->CbSelBaud->SetText("9600");
    D->CbByteSize->SetItemIndex(2);
    D->EditInBufSize->SetText("5000");
    PressOk(D);
    focus = FocusedField(D);
    result = D->ModalResult();
  }));
  ASSERT_EQ(Boxes().size(), 1u);
  // The library's message, the system's reason, and what the reason means here, as
  // the main window of the program says it.
  const std::string table = ENimboCommError(ENimboCommError::ecOpenPort, "COM8").Message();
  const std::string text = Boxes()[0].Text;
  EXPECT_EQ(text.substr(0, table.size() + 1), table + "\n") << text;
  EXPECT_NE(text.find("\nThe port is in use by another program."), std::string::npos) << text;
  EXPECT_EQ(Boxes()[0].Caption, "Serial Port Setup");
  EXPECT_EQ(focus, "CbPort");
  EXPECT_EQ(result, mrNone);
  EXPECT_EQ(Device->PortParams(), "COM7,115200,N,8,1");
  EXPECT_EQ(Device->InBufSize(), 8192);
  EXPECT_TRUE(Device->Active());
}

TEST_F(SettingsDialogTest, TheTextsFollowTheThreadLocale) {
  struct Case {
    LCID Locale;
    const char* Caption;
    const char* Port;
    const char* Ok;
    const char* Space;
    const char* NoPort;
  };
  const Case cases[] = {
      {LOCALE_EN_US, "Serial Port Setup", "Port", "&OK", "Space Parity", "Must select COM Port"},
      {LOCALE_ZH_CN, "串行口设置", "串行口", "确定", "Space (空格)", "必须选择串行口"},
      {LOCALE_ZH_TW, "序列埠設定", "序列埠", "確定", "Space (空白)", "必須選擇序列埠"},
      {LOCALE_ZH_HK, "Serial Port Setup", "Port", "&OK", "Space Parity", "Must select COM Port"},
  };
  for (const Case& c : cases) {
    SetThreadLocale(c.Locale);
    Runner->Calls.clear();
    Run([&](TDialog* D) {
      EXPECT_EQ(D->Caption(), c.Caption);
      EXPECT_EQ(D->lbPort->Caption(), c.Port);
      EXPECT_EQ(D->BnOK->Caption(), c.Ok);
      EXPECT_EQ(D->CbParity->Items()->Strings(4), c.Space);
      D->CbPort->SetItemIndex(-1);
      PressOk(D);
    });
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].Text, c.NoPort);
    EXPECT_EQ(Boxes()[0].Caption, c.Caption);
  }
}

TEST_F(SettingsDialogTest, AboutAndDefaultShowOnlyWhileTheDeviceIsDesigned) {
  Run([&](TDialog* D) {
    EXPECT_FALSE(D->BnAbout->Visible());
    EXPECT_FALSE(D->BnDefault->Visible());
    EXPECT_EQ(D->BnOK->Left(), (D->Width() - 75) / 2 - 60);
    EXPECT_EQ(D->BnCancel->Left(), (D->Width() - 75) / 2 + 60);
  });
  Device->SetDesigning(true);
  Device->SetPortParams("COM8,300,O,5,2");
  std::string aboutCaption;
  Runner->OnLoop([&](TWinControl* W) {
    auto* D = static_cast<TDialog*>(W);
    EXPECT_TRUE(D->BnAbout->Visible());
    EXPECT_EQ(D->BnAbout->Left(), 8);
    EXPECT_EQ(D->BnOK->Left(), 251);
    D->EditAutoAns->SetText("9");
    D->BnDefaultClick(nullptr);
    Runner->OnLoop([&](TWinControl* A) { aboutCaption = static_cast<TForm*>(A)->Caption(); });
    D->BnAbout->Click();
    PressOk(D);
  });
  EXPECT_TRUE(Device->SettingsDialog(nullptr, false));
  EXPECT_EQ(aboutCaption, "About TKxCommDevice...");
  // Default keeps the port and sets the rest to 115200, N, 8, 1, no flow control,
  // auto-answer 0 and 8192-byte queues.
  EXPECT_EQ(Device->PortParams(), "COM8,115200,N,8,1");
  EXPECT_EQ(Device->AutoAnswer(), 0);
  EXPECT_EQ(Device->FlowControl(), TFlowControl::fcNone);
}

TEST_F(SettingsDialogTest, TheDroppedPortListDrawsAColumnLineBetweenNameAndDescription) {
  Run([&](TDialog* D) {
    D->CbPort->SetItemIndex(0);
    D->CbPort->SetDroppedDown(true);
    TComboListBox* list = D->CbPort->ListControl();
    TShot shot(list);
    const int border = (list->Width() - list->ClientWidth()) / 2;
    const int h = D->CbPort->ItemHeight();
    // Item 1 is not selected: window colours, the line half way between them.
    const int x = border + 2 + std::max(D->CbPort->Canvas()->TextWidth("COM8"), 55) + 1;
    EXPECT_EQ(shot(x - 1, border + h + h / 2), Rgb(clWindow));
    EXPECT_EQ(shot(x, border + h + h / 2), RGB(127, 127, 127));
    EXPECT_EQ(shot(x + 1, border + h + h / 2), Rgb(clWindow));
    D->CbPort->SetDroppedDown(false);
  });
}

TEST_F(SettingsDialogTest, TheDeviceStreamsWhatTheDialogApplied) {
  Device->FrameSettings()->SetFrameHead(2);
  Device->SetPackageType(cptFrameHeadTail);
  EXPECT_TRUE(Run([&](TDialog* D) {
    D->CbPort->SetItemIndex(1);
    D->CbSelBaud->SetText("19200");
    D->CbParity->SetItemIndex(2);
    D->CbByteSize->SetItemIndex(2);
    D->CbStopBits->SetItemIndex(2);
    D->CbFlow->SetItemIndex(1);
    D->EditAutoAns->SetText("3");
    D->EditOutBufSize->SetText("16384");
    PressOk(D);
  }));
  Device->SetName("KxCommDevice1");
  TStringStream out;
  out.WriteComponent(Device.get());
  const std::string text = FormBinaryToText(out.DataString());
  EXPECT_EQ(text,
            "object KxCommDevice1: TKxCommDevice\n"
            "  PortNo = 8\n"
            "  PortName = 'COM8'\n"
            "  PortParams = 'COM8,19200,E,7,2'\n"
            "  Baud = br19200\n"
            "  BaudRate = 19200\n"
            "  Parity = ptEvenParity\n"
            "  ByteSize = 7\n"
            "  StopBits = sbTwoStopBit\n"
            "  FlowControl = fcRtsCts\n"
            "  AutoAnswer = 3\n"
            "  OutBufSize = 16384\n"
            "  PackageType = cptFrameHeadTail\n"
            "  FrameSettings.FrameHead = 2\n"
            "end\n");
  std::unique_ptr<TComponent> back(ReadComponentFromBytes(
      reinterpret_cast<const std::uint8_t*>(out.DataString().data()), out.DataString().size(), nullptr));
  TStringStream again;
  again.WriteComponent(back.get());
  EXPECT_EQ(FormBinaryToText(again.DataString()), text);
}

TEST_F(SettingsDialogTest, WithoutTheDialogRegisteredSettingsDialogRaises) {
  SetKxSettingsDialogProc(nullptr);
  EXPECT_THROW(Device->SettingsDialog(nullptr, false), EInvalidOperation);
  EXPECT_TRUE(Runner->Calls.empty());
  RegisterSerialForms();
}

}  // namespace
