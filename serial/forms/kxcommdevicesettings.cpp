#include "serial/forms/kxcommdevicesettings.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <memory>

#include "platform/controls/winuser.h"
#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/combobox.h"
#include "platform/stdctrls/edit.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/win32/devicemap.h"
#include "serial/forms/kxcommdeviceabout.h"
#include "serial/portfailure.h"

namespace {

constexpr int kTextCount = 36;

const char16_t* const kEnglish[kTextCount] = {
    u"&OK", u"&Cancel", u"Serial Port Setup", u"Port", u"Baud", u"Parity", u"Byte Size", u"Stop Bits",
    u"Flow Control", u"No parity", u"Odd", u"Even", u"Mark", u"None", u"RTS/CTS", u"Xon/Xoff",
    u"RTS/CTS & Xon/Xoff", u"Must select COM Port", u"Must select baud rate", u"Invalid baud rate",
    u"Must select byte size", u"Must select parity check", u"Must select stop bits", u"Must select flow control",
    u"&About", u"&Default", u"Serial Port", u"Modem", u"Buffer", u"Auto Answer", u"Input Buf.", u"Output Buf.",
    u"Auto Answer: 0 - 255", u"Input Buffer size error", u"Output Buffer size error", u"Space Parity",
};

const char16_t* const kSimplified[kTextCount] = {
    u"确定", u"取消", u"串行口设置", u"串行口", u"波特率", u"奇偶校验", u"数据位", u"停止位",
    u"数据流控", u"No parity (无)", u"Odd (奇)", u"Even (偶)", u"Mark (标记)", u"None (无)", u"RTS/CTS (硬件)",
    u"Xon/Xoff (软件)", u"RTS/CTS & Xon/Xoff (硬&软)", u"必须选择串行口", u"必须输入/选择波特率",
    u"无效的波特率", u"必须选择数据位", u"必须选择奇偶校验", u"必须选择停止位", u"必须选择数据流控制",
    u"关于", u"默认", u"串行口选项", u"调制解调器选项", u"缓存容量", u"自动应答", u"输入缓存", u"输出缓存",
    u"自动应答必须是 0 - 255 的整数", u"输入缓存容量错误", u"输出缓存容量错误", u"Space (空格)",
};

const char16_t* const kTraditional[kTextCount] = {
    u"確定", u"取消", u"序列埠設定", u"序列埠", u"傳輸速率", u"奇偶校驗", u"資料位元", u"停止位元",
    u"資料流控", u"No parity (無)", u"Odd (奇)", u"Even (偶)", u"Mark (標記)", u"None (無)", u"RTS/CTS (硬體)",
    u"Xon/Xoff (軟體)", u"RTS/CTS & Xon/Xoff (硬&軟)", u"必須選擇序列埠", u"必須輸入/選擇序列傳輸速率",
    u"無效的序列傳輸速率", u"必須選擇資料位元", u"必須選擇奇偶校驗", u"必須選擇停止位元", u"必須選擇資料流程控制",
    u"關於", u"默認", u"序列埠選項", u"數據機選項", u"緩存容量", u"自動回應", u"輸入緩存", u"輸出緩存",
    u"自動回應必須是 0 - 255 的整數", u"輸入緩存容量錯誤", u"輸出緩存容量錯誤", u"Space (空白)",
};

// Text indexes by meaning.
enum : int {
  txOK = 0, txCancel = 1, txCaption = 2, txPort = 3, txBaud = 4, txParity = 5, txByteSize = 6, txStopBits = 7,
  txFlow = 8, txNoParity = 9, txOdd = 10, txEven = 11, txMark = 12, txFlowNone = 13, txRtsCts = 14,
  txXonXoff = 15, txBoth = 16, txNoPort = 17, txNoBaud = 18, txBadBaud = 19, txNoByteSize = 20,
  txNoParityChosen = 21, txNoStopBits = 22, txNoFlow = 23, txAbout = 24, txDefault = 25, txBaseGroup = 26,
  txModemGroup = 27, txBufferGroup = 28, txAutoAnswer = 29, txInBuf = 30, txOutBuf = 31, txBadAutoAnswer = 32,
  txBadInBuf = 33, txBadOutBuf = 34, txSpace = 35,
};

constexpr int kMinQueueSize = 4096;

bool Blank(char C) { return C == ' ' || C == '\t'; }

const bool kFieldsRegistered = [] {
  using F = TForm_KxCommDevice_Settings;
  RegisterFields(F::StaticClass(),
                 {FieldOf("GboxBase", &F::GboxBase), FieldOf("lbPort", &F::lbPort), FieldOf("lbBaud", &F::lbBaud),
                  FieldOf("lbCheck", &F::lbCheck), FieldOf("lbBits", &F::lbBits), FieldOf("lbStops", &F::lbStops),
                  FieldOf("CbPort", &F::CbPort), FieldOf("CbSelBaud", &F::CbSelBaud),
                  FieldOf("CbParity", &F::CbParity), FieldOf("CbByteSize", &F::CbByteSize),
                  FieldOf("CbStopBits", &F::CbStopBits), FieldOf("GBoxModem", &F::GBoxModem),
                  FieldOf("lbFlow", &F::lbFlow), FieldOf("lbAAns", &F::lbAAns), FieldOf("CbFlow", &F::CbFlow),
                  FieldOf("EditAutoAns", &F::EditAutoAns), FieldOf("GBoxBuffer", &F::GBoxBuffer),
                  FieldOf("lbInbs", &F::lbInbs), FieldOf("lbOutbs", &F::lbOutbs),
                  FieldOf("EditInBufSize", &F::EditInBufSize), FieldOf("EditOutBufSize", &F::EditOutBufSize),
                  FieldOf("BnAbout", &F::BnAbout), FieldOf("BnDefault", &F::BnDefault), FieldOf("BnOK", &F::BnOK),
                  FieldOf("BnCancel", &F::BnCancel)});
  return true;
}();

}  // namespace

// ---------------------------------------------------------------------------
// Number parsing
// ---------------------------------------------------------------------------

std::optional<std::uint32_t> ParseBaudText(const std::string& Text) {
  size_t i = 0;
  while (i < Text.size() && Blank(Text[i])) ++i;
  bool negative = false;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) negative = Text[i++] == '-';
  std::uint64_t value = 0;
  size_t digits = 0;
  for (; i < Text.size() && Text[i] >= '0' && Text[i] <= '9'; ++i, ++digits) {
    value = value * 10 + static_cast<std::uint64_t>(Text[i] - '0');
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  }
  if (digits == 0 || value == 0 || negative) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::optional<int> ParseDecimalInt(const std::string& Text) {
  const std::string t = Trim(Text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  if (i == t.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return std::nullopt;
    value = value * 10 + (t[i] - '0');
    if (value > std::int64_t(std::numeric_limits<int>::max()) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(value);
}

// ---------------------------------------------------------------------------
// TMsgStrings
// ---------------------------------------------------------------------------

TForm_KxCommDevice_Settings::TMsgStrings::TMsgStrings() {
  const LCID id = FLanguage.LcId();
  FTable = id == 1028 ? kTraditional : id == 2052 ? kSimplified : kEnglish;
}

std::string TForm_KxCommDevice_Settings::TMsgStrings::fGetMsg(int Index) const {
  if (Index < 0 || Index >= kTextCount) return {};
  // Every text of the tables has a GBK form.
  return TryUtf16ToGbk(FTable[Index]).value_or(std::string());
}

// ---------------------------------------------------------------------------
// The form
// ---------------------------------------------------------------------------

const TClassInfo& TForm_KxCommDevice_Settings::StaticClass() {
  using F = TForm_KxCommDevice_Settings;
  static const TClassInfo info = TClassBuilder<F>("TForm_KxCommDevice_Settings", &TForm::StaticClass())
                                     .Method("BnOKClick", &F::BnOKClick)
                                     .Method("BnCancelClick", &F::BnCancelClick)
                                     .Method("BnDefaultClick", &F::BnDefaultClick)
                                     .Method("BnAboutClick", &F::BnAboutClick)
                                     .Method("CbPortDrawItem", &F::CbPortDrawItem)
                                     .Build();
  return info;
}

TForm_KxCommDevice_Settings::TForm_KxCommDevice_Settings(TComponent* AOwner, TKxCustomCommDevice* Device,
                                                         bool OpenOnOK)
    : TForm(AOwner), FDevice(Device), FOpenOnOK(OpenOnOK) {
  LoadForm();

  // 1. Captions.
  const TMsgStrings& t = FTexts;
  SetCaption(t.fGetMsg(txCaption));
  GboxBase->SetCaption(t.fGetMsg(txBaseGroup));
  GBoxModem->SetCaption(t.fGetMsg(txModemGroup));
  GBoxBuffer->SetCaption(t.fGetMsg(txBufferGroup));
  BnAbout->SetCaption(t.fGetMsg(txAbout));
  BnDefault->SetCaption(t.fGetMsg(txDefault));
  BnOK->SetCaption(t.fGetMsg(txOK));
  BnCancel->SetCaption(t.fGetMsg(txCancel));
  lbPort->SetCaption(t.fGetMsg(txPort));
  lbBaud->SetCaption(t.fGetMsg(txBaud));
  lbCheck->SetCaption(t.fGetMsg(txParity));
  lbBits->SetCaption(t.fGetMsg(txByteSize));
  lbStops->SetCaption(t.fGetMsg(txStopBits));
  lbFlow->SetCaption(t.fGetMsg(txFlow));
  lbAAns->SetCaption(t.fGetMsg(txAutoAnswer));
  lbInbs->SetCaption(t.fGetMsg(txInBuf));
  lbOutbs->SetCaption(t.fGetMsg(txOutBuf));

  // 2. The port list: the enumerated names, each drawn with its friendly name in
  // the dropped list; the field stays editable for a name that is not listed.
  Canvas()->Font()->Assign(Font());
  CbPort->ListControl()->SetStyle(lbOwnerDrawFixed);
  CbPort->SetItemHeight(Canvas()->TextHeight("Wg") + 2);
  CbPort->Items()->BeginUpdate();
  CbPort->Items()->Clear();
  for (int i = 0; i < Ports()._FGetSPCount(); ++i) CbPort->Items()->Add(Ports()._FGetPortName(i));
  CbPort->Items()->EndUpdate();
  CbParity->Items()->Clear();
  for (int i : {txNoParity, txOdd, txEven, txMark, txSpace}) CbParity->Items()->Add(t.fGetMsg(i));
  CbFlow->Items()->Clear();
  for (int i : {txFlowNone, txRtsCts, txXonXoff, txBoth}) CbFlow->Items()->Add(t.fGetMsg(i));

  // 3. About and Default only while the device is being designed.
  if (!FDevice->ComponentState().Contains(csDesigning)) {
    BnAbout->SetVisible(false);
    BnDefault->SetVisible(false);
    BnOK->SetLeft((Width() - BnOK->Width()) / 2 - 60);
    BnCancel->SetLeft((Width() - BnCancel->Width()) / 2 + 60);
  }

  // 4. and 5.
  LoadValues();
}

void TForm_KxCommDevice_Settings::LoadValues() {
  FWasActive = FDevice->Active();
  FSaved.PortName = FDevice->PortName();
  FSaved.BaudRate = FDevice->BaudRate();
  FSaved.ByteSize = FDevice->ByteSize();
  FSaved.Parity = FDevice->Comm()->Parity();
  FSaved.StopBits = FDevice->Comm()->StopBits();
  FSaved.FlowControl = FDevice->FlowControl();
  FSaved.AutoAnswer = FDevice->AutoAnswer();
  FSaved.InBufSize = FDevice->InBufSize();
  FSaved.OutBufSize = FDevice->OutBufSize();

  CbPort->SetItemIndex(CbPort->Items()->IndexOf(FSaved.PortName));
  CbSelBaud->SetText(std::to_string(FSaved.BaudRate));
  // A byte size outside 5..8 selects nothing.
  CbByteSize->SetItemIndex(FSaved.ByteSize >= 5 && FSaved.ByteSize <= 8 ? FSaved.ByteSize - 5 : -1);
  CbParity->SetItemIndex(FSaved.Parity <= 4 ? FSaved.Parity : -1);
  CbStopBits->SetItemIndex(FSaved.StopBits <= 2 ? FSaved.StopBits : -1);
  int flow = 0;
  switch (FSaved.FlowControl) {
    case TFlowControl::fcRtsCts: flow = 1; break;
    case TFlowControl::fcXonXoff:
    case TFlowControl::fcTranXonXoff: flow = 2; break;
    case TFlowControl::fcRtsCtsXonXoff: flow = 3; break;
    default: flow = 0; break;
  }
  CbFlow->SetItemIndex(flow);
  EditAutoAns->SetText(std::to_string(FSaved.AutoAnswer));
  EditInBufSize->SetText(std::to_string(FSaved.InBufSize));
  EditOutBufSize->SetText(std::to_string(FSaved.OutBufSize));
}

std::string TForm_KxCommDevice_Settings::SelectedPort() {
  const int i = CbPort->ItemIndex();
  const std::string text = CbPort->Text();
  if (i >= 0 && i < CbPort->Items()->Count() && text == CbPort->Items()->Strings(i)) return text;
  return Trim(text);  // a device name, path or alias typed in
}

bool TForm_KxCommDevice_Settings::Refuse(TWinControl* Control, const std::string& Text) {
  if (Control->CanFocus()) Control->SetFocus();
  MessageBoxA(HandleAllocated() ? Handle() : nullptr, Text.c_str(), Caption().c_str(), MB_ICONERROR);
  return false;
}

bool TForm_KxCommDevice_Settings::MoveCtrlFocus() {
  TWinControl* const order[] = {CbPort,   CbSelBaud,   CbParity,      CbByteSize,    CbStopBits,
                                CbFlow,   EditAutoAns, EditInBufSize, EditOutBufSize};
  for (size_t i = 0; i + 1 < std::size(order); ++i) {
    if (!order[i]->Focused()) continue;
    if (order[i + 1]->CanFocus()) order[i + 1]->SetFocus();
    return true;
  }
  return false;
}

void TForm_KxCommDevice_Settings::BnOKClick(TObject*) {
  if (MoveCtrlFocus()) return;
  const TMsgStrings& t = FTexts;

  // A typed name with a comma would not survive the device's PortParams text.
  const std::string port = SelectedPort();
  if (port.empty() || port.find(',') != std::string::npos) {
    Refuse(CbPort, t.fGetMsg(txNoPort));
    return;
  }
  if (Trim(CbSelBaud->Text()).empty()) {
    Refuse(CbSelBaud, t.fGetMsg(txNoBaud));
    return;
  }
  const std::optional<std::uint32_t> baud = ParseBaudText(CbSelBaud->Text());
  if (!baud) {
    Refuse(CbSelBaud, t.fGetMsg(txBadBaud));
    return;
  }
  if (CbByteSize->ItemIndex() < 0) {
    Refuse(CbByteSize, t.fGetMsg(txNoByteSize));
    return;
  }
  const int byteSize = CbByteSize->ItemIndex() + 5;
  if (CbParity->ItemIndex() < 0) {
    Refuse(CbParity, t.fGetMsg(txNoParityChosen));
    return;
  }
  const auto parity = static_cast<TParity>(std::min(CbParity->ItemIndex(), 4));
  if (CbStopBits->ItemIndex() < 0) {
    Refuse(CbStopBits, t.fGetMsg(txNoStopBits));
    return;
  }
  const auto stopBits = static_cast<TStopBits>(std::min(CbStopBits->ItemIndex(), 2));
  if (CbFlow->ItemIndex() < 0) {
    Refuse(CbFlow, t.fGetMsg(txNoFlow));
    return;
  }
  static const TFlowControl kFlows[] = {TFlowControl::fcNone, TFlowControl::fcRtsCts, TFlowControl::fcXonXoff,
                                        TFlowControl::fcRtsCtsXonXoff};
  const TFlowControl flow = kFlows[std::min(CbFlow->ItemIndex(), 3)];
  const std::optional<int> autoAnswer = ParseDecimalInt(EditAutoAns->Text());
  if (!autoAnswer || *autoAnswer < 0 || *autoAnswer > 255) {
    Refuse(EditAutoAns, t.fGetMsg(txBadAutoAnswer));
    return;
  }
  const std::optional<int> inBuf = ParseDecimalInt(EditInBufSize->Text());
  if (!inBuf || *inBuf < kMinQueueSize) {
    Refuse(EditInBufSize, t.fGetMsg(txBadInBuf));
    return;
  }
  const std::optional<int> outBuf = ParseDecimalInt(EditOutBufSize->Text());
  if (!outBuf || *outBuf < kMinQueueSize) {
    Refuse(EditOutBufSize, t.fGetMsg(txBadOutBuf));
    return;
  }
  Apply(port, *baud, byteSize, parity, stopBits, flow, *autoAnswer, *inBuf, *outBuf);
}

void TForm_KxCommDevice_Settings::Apply(const std::string& Port, std::uint32_t Baud, int ByteSize, TParity Parity,
                                        TStopBits StopBits, TFlowControl Flow, int AutoAnswer, int InBufSize,
                                        int OutBufSize) {
  std::string message, refusal;
  int osError = 0;
  try {
    FDevice->SetPortName(Port);
    FDevice->SetBaudRate(Baud);
    FDevice->SetParity(Parity);
    FDevice->SetByteSize(ByteSize);
    FDevice->SetStopBits(StopBits);
    FDevice->SetFlowControl(Flow);
    FDevice->SetAutoAnswer(AutoAnswer);
    FDevice->SetInBufSize(InBufSize);
    FDevice->SetOutBufSize(OutBufSize);
    FDevice->SetActive(FWasActive || FOpenOnOK);  // each setting above closed an open port
    SetModalResult(mrOk);
    return;
  } catch (const Exception& E) {
    message = E.Message();
    if (const auto* comm = dynamic_cast<const ENimboCommError*>(&E)) {
      osError = comm->OsError();
      refusal = comm->Refusal();
    }
  } catch (const std::exception& E) {
    message = E.what();
  }
  // Everything back as it was, the port reopened when it was open.
  try {
    FDevice->SetPortName(FSaved.PortName);
    FDevice->SetBaudRate(FSaved.BaudRate);
    FDevice->Comm()->fSetParity(FSaved.Parity);
    FDevice->SetByteSize(FSaved.ByteSize);
    FDevice->Comm()->fSetStopBits(FSaved.StopBits);
    FDevice->SetFlowControl(FSaved.FlowControl);
    FDevice->SetAutoAnswer(FSaved.AutoAnswer);
    FDevice->SetInBufSize(FSaved.InBufSize);
    FDevice->SetOutBufSize(FSaved.OutBufSize);
    FDevice->SetActive(FWasActive);
  } catch (const std::exception&) {
    // The old port may be gone too; the message below is about the new one.
  }
  // The system's reason (and what to do about a missing right) as the programs' own
  // windows give it.
  Refuse(CbPort, PortOpenFailureText(message, osError, ResolvePortDevice(Port), FTexts.LcId(), refusal));
}

void TForm_KxCommDevice_Settings::BnCancelClick(TObject*) { SetModalResult(mrCancel); }

void TForm_KxCommDevice_Settings::BnDefaultClick(TObject*) {
  CbSelBaud->SetItemIndex(12);
  CbParity->SetItemIndex(0);
  CbByteSize->SetItemIndex(3);
  CbStopBits->SetItemIndex(0);
  CbFlow->SetItemIndex(0);
  EditAutoAns->SetText("0");
  EditInBufSize->SetText("8192");
  EditOutBufSize->SetText("8192");
}

void TForm_KxCommDevice_Settings::BnAboutClick(TObject*) {
  std::unique_ptr<TForm_KXComm64_About> about(new TForm_KXComm64_About(nullptr, FDevice->ClassName()));
  about->ShowModal();
}

void TForm_KxCommDevice_Settings::CbPortDrawItem(TWinControl*, int Index, TRect Rect, TOwnerDrawState) {
  if (Index < 0 || Index >= CbPort->Items()->Count()) return;
  TCanvas* c = CbPort->Canvas();
  c->FillRect(Rect);
  const std::string name = CbPort->Items()->Strings(Index);
  const int measured = c->TextExtent(name).cx;  // also puts the font in place
  HDC dc = c->Handle();
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  constexpr unsigned kFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  TRect text{Rect.Left + 2, Rect.Top, Rect.Right - 1, Rect.Bottom};
  DrawTextA(dc, name.c_str(), static_cast<int>(name.size()), &text, kFlags);

  // A column line between the name and the description, half way between the
  // item's background and text colours.
  const int x = Rect.Left + 2 + std::max(measured, 55) + 1;
  const COLORREF back = ColorToRGB(c->Brush()->Color());
  const COLORREF fore = ColorToRGB(c->Font()->Color());
  const TColor oldPen = c->Pen()->Color();
  c->Pen()->SetColor(static_cast<TColor>(RGB((GetRValue(back) + GetRValue(fore)) / 2,
                                             (GetGValue(back) + GetGValue(fore)) / 2,
                                             (GetBValue(back) + GetBValue(fore)) / 2)));
  c->MoveTo(x, Rect.Top);
  c->LineTo(x, Rect.Bottom);
  c->Pen()->SetColor(oldPen);

  if (Index < Ports()._FGetSPCount()) {
    const std::string& friendly = Ports()._FGetSPInfo(Index)->FriendlyName;
    TRect desc{x + 3, Rect.Top, Rect.Right - 1, Rect.Bottom};
    DrawTextA(c->Handle(), friendly.c_str(), static_cast<int>(friendly.size()), &desc, kFlags);
  }
  SetBkMode(c->Handle(), oldMode);
}

// ---------------------------------------------------------------------------
// Registration
// ---------------------------------------------------------------------------

bool ShowKxCommDeviceSettings(TKxCustomCommDevice* Device, TComponent* Owner, bool OpenOnOK) {
  std::unique_ptr<TForm_KxCommDevice_Settings> form(new TForm_KxCommDevice_Settings(Owner, Device, OpenOnOK));
  return form->ShowModal() == mrOk;
}

void RegisterSerialForms() {
  (void)kFieldsRegistered;
  RegisterClasses({ClassEntry<TForm_KxCommDevice_Settings>(), ClassEntry<TForm_KXComm64_About>()});
  SetKxSettingsDialogProc(ShowKxCommDeviceSettings);
}
