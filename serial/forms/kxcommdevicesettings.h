#pragma once
// The serial device's settings dialog (the form KxCommDeviceSettings in
// resources/serial): the port from the enumerated list (each entry with its
// friendly name; a device name, path or alias may be typed instead), the line
// settings, flow control, modem auto-answer and the two queue sizes. OK checks every
// field in a fixed order, applies the values to the device, reopens the port when
// it was open (or when the caller asked for it) and puts every old value back when
// that fails. The texts come from a table in three languages chosen by the thread
// locale, as the library's error messages are.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "serial/commerror.h"
#include "serial/kxcommdevice.h"
#include "serial/portlist.h"

class TButton;
class TComboBox;
class TEdit;
class TGroupBox;
class TLabel;

// Fills TKxCustomCommDevice's settings-dialog hook and registers the dialogs'
// classes; a program that wants SettingsDialog calls it once at start-up.
void RegisterSerialForms();

// The baud rate a text starts with: blanks, an optional sign, then decimal digits up
// to the first other character ("9600x" gives 9600). Nothing when there are no
// digits or the number is not a rate a port can take (0, negative, or above
// 4294967295).
std::optional<std::uint32_t> ParseBaudText(const std::string& Text);
// A whole decimal integer (blanks around it and a sign allowed, nothing else) that
// fits 32 bits, or nothing.
std::optional<int> ParseDecimalInt(const std::string& Text);

class TForm_KxCommDevice_Settings : public TForm {
  DTU_CLASS(TForm_KxCommDevice_Settings, TForm)
public:
  // The dialog's texts in the calling thread's language.
  class TMsgStrings {
  public:
    TMsgStrings();
    // Entry Index (0..35) as GBK text; "" outside the table.
    std::string fGetMsg(int Index) const;
    LCID LcId() const { return FLanguage.LcId(); }

  private:
    TNimboCommLanguage FLanguage;
    const char16_t* const* FTable;
  };

  // Builds the form for Device (not owned): enumerates the ports, sets every caption
  // from the text table, fills the lists and shows the device's values. OK also
  // opens a closed port when OpenOnOK is set.
  TForm_KxCommDevice_Settings(TComponent* AOwner, TKxCustomCommDevice* Device, bool OpenOnOK);

  TGroupBox* GboxBase = nullptr;
  TLabel* lbPort = nullptr;
  TLabel* lbBaud = nullptr;
  TLabel* lbCheck = nullptr;
  TLabel* lbBits = nullptr;
  TLabel* lbStops = nullptr;
  TComboBox* CbPort = nullptr;
  TComboBox* CbSelBaud = nullptr;
  TComboBox* CbParity = nullptr;
  TComboBox* CbByteSize = nullptr;
  TComboBox* CbStopBits = nullptr;
  TGroupBox* GBoxModem = nullptr;
  TLabel* lbFlow = nullptr;
  TLabel* lbAAns = nullptr;
  TComboBox* CbFlow = nullptr;
  TEdit* EditAutoAns = nullptr;
  TGroupBox* GBoxBuffer = nullptr;
  TLabel* lbInbs = nullptr;
  TLabel* lbOutbs = nullptr;
  TEdit* EditInBufSize = nullptr;
  TEdit* EditOutBufSize = nullptr;
  TButton* BnAbout = nullptr;
  TButton* BnDefault = nullptr;
  TButton* BnOK = nullptr;
  TButton* BnCancel = nullptr;

  void BnOKClick(TObject* Sender);
  void BnCancelClick(TObject* Sender);
  void BnDefaultClick(TObject* Sender);
  void BnAboutClick(TObject* Sender);
  void CbPortDrawItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State);
  // Enter in one of the first eight fields moves the focus to the next one (true);
  // anywhere else it does nothing (false) and OK goes on.
  bool MoveCtrlFocus();

  const TNimboSerialPortList& Ports() const { return FPorts.List(); }
  const TMsgStrings& Texts() const { return FTexts; }

private:
  void LoadValues();
  // The port named in CbPort: the picked entry's name, else the text typed in.
  std::string SelectedPort();
  // Focuses Control and shows Text as an error; false for the caller to return.
  bool Refuse(TWinControl* Control, const std::string& Text);
  void Apply(const std::string& Port, std::uint32_t Baud, int ByteSize, TParity Parity, TStopBits StopBits,
             TFlowControl Flow, int AutoAnswer, int InBufSize, int OutBufSize);

  TKxCustomCommDevice* FDevice;
  bool FWasActive = false;
  bool FOpenOnOK;
  struct TSaved {
    std::string PortName;
    int ByteSize = 8;
    int AutoAnswer = 0;
    int InBufSize = 8192;
    int OutBufSize = 8192;
    std::uint32_t BaudRate = 115200;
    BYTE Parity = 0;    // the port's codes as they were, restored as they were
    BYTE StopBits = 0;
    TFlowControl FlowControl = TFlowControl::fcNone;
  } FSaved;
  TCommSerialPortInfo FPorts;
  TMsgStrings FTexts;
};

// Shows the settings dialog for Device modally; true when it closed with OK.
bool ShowKxCommDeviceSettings(TKxCustomCommDevice* Device, TComponent* Owner, bool OpenOnOK);
