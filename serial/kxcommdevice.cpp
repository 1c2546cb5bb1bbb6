#include "serial/kxcommdevice.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"
#include "platform/core/scope.h"

DTU_DEFINE_ENUM(TBaudRate, "br110", "br300", "br600", "br1200", "br2400", "br4800", "br9600", "br14400",
                "br19200", "br38400", "br56000", "br57600", "br115200", "br128000", "br256000", "brCustom")
DTU_DEFINE_ENUM(TParity, "ptNoParity", "ptOddParity", "ptEvenParity", "ptMarkParity", "ptSpaceParity")
DTU_DEFINE_ENUM(TStopBits, "sbOneStopBit", "sbOne_5_StopBits", "sbTwoStopBit")
DTU_DEFINE_ENUM(TFlowControl, "fcNone", "fcRtsCts", "fcXonXoff", "fcTranXonXoff", "fcRtsCtsXonXoff")

namespace {

constexpr DWORD kBaudRates[] = {110,   300,   600,   1200,  2400,  4800,   9600,  14400,
                                19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr TNimboComm::TFlowControl kFlowCodes[] = {TNimboComm::fcNone, TNimboComm::fcRtsCts,
                                                   TNimboComm::fcXonXoff, TNimboComm::fcTransparentXonXoff,
                                                   TNimboComm::fcRtsCtsXonXoff};
const char kParityLetters[] = "NOEMS";

std::uint8_t ClampByte(int Value) { return static_cast<std::uint8_t>(std::clamp(Value, 0, 255)); }
std::uint32_t ClampU32(std::int64_t Value) {
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(Value, 0, std::numeric_limits<std::uint32_t>::max()));
}
int ClampInt(std::int64_t Value) {
  return static_cast<int>(std::clamp<std::int64_t>(Value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

// The number a 32-bit strtoul(S, nullptr, 10) gives: leading blanks and one sign are
// skipped, the leading digits count and the rest is ignored; no digits give 0, a
// value past 32 bits gives 0xFFFFFFFF and a minus sign negates modulo 2^32.
std::uint32_t LeadingUnsigned(const std::string& S) {
  size_t i = 0;
  while (i < S.size() && std::isspace(static_cast<unsigned char>(S[i]))) ++i;
  bool negative = false;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) negative = S[i++] == '-';
  std::uint64_t v = 0;
  bool digits = false;
  for (; i < S.size() && S[i] >= '0' && S[i] <= '9'; ++i) {
    digits = true;
    v = v * 10 + static_cast<std::uint64_t>(S[i] - '0');
    if (v > std::numeric_limits<std::uint32_t>::max()) return std::numeric_limits<std::uint32_t>::max();
  }
  if (!digits) return 0;
  const auto u = static_cast<std::uint32_t>(v);
  return negative ? static_cast<std::uint32_t>(0u - u) : u;
}

}  // namespace

// ---------------------------------------------------------------------------
// TKxCommFrameSettings
// ---------------------------------------------------------------------------

const TClassInfo& TKxCommFrameSettings::StaticClass() {
  using S = TKxCommFrameSettings;
  static const TClassInfo info =
      TClassBuilder<S>("TKxCommFrameSettings", &inherited::StaticClass())
          .Int("FrameHead", &S::FrameHead, [](S* s, std::int64_t v) { s->SetFrameHead(ClampInt(v)); }, 0xEB)
          .Int("FrameTail", &S::FrameTail, [](S* s, std::int64_t v) { s->SetFrameTail(ClampInt(v)); }, 0xEE)
          .Int("FrameCtrl", &S::FrameCtrl, [](S* s, std::int64_t v) { s->SetFrameCtrl(ClampInt(v)); }, 0xEC)
          .Bool("DoubleFrameMark", &S::DoubleFrameMark, &S::SetDoubleFrameMark, false)
          .Build();
  return info;
}

void TKxCommFrameSettings::SetFrameHead(int Value) { FPackage->SetFrameHead(ClampByte(Value)); }
void TKxCommFrameSettings::SetFrameTail(int Value) { FPackage->SetFrameTail(ClampByte(Value)); }
void TKxCommFrameSettings::SetFrameCtrl(int Value) { FPackage->SetFrameCtrl(ClampByte(Value)); }

void TKxCommFrameSettings::SetValues(const TKxCommFrameSettings* Other) {
  if (!Other || Other == this) return;
  SetFrameHead(Other->FrameHead());
  SetFrameTail(Other->FrameTail());
  SetFrameCtrl(Other->FrameCtrl());
}

// ---------------------------------------------------------------------------
// TKxCustomCommDevice
// ---------------------------------------------------------------------------

const TClassInfo& TKxCustomCommDevice::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TKxCustomCommDevice>("TKxCustomCommDevice", &inherited::StaticClass()).Build();
  return info;
}

TKxCustomCommDevice::TKxCustomCommDevice(TComponent* AOwner) : TComponent(AOwner) {
  FWnd = AllocateHWnd([this](TMessage& Message) { _EvNotifyProc(Message); });
  FComm = new TNimboComm;
  FComm->OnCommNotify = [this](TObject* Sender, DWORD Mask) { _EvComm(Sender, Mask); };
  FComm->AfterOpen = [this](TObject* Sender) { EvAfterOpen(Sender); };
  FComm->BeforeClose = [this](TObject* Sender) { EvBeforeClose(Sender); };
  TOnExit failed([&] {
    delete FPackage;
    delete FComm;
    DeallocateHWnd(FWnd);
  });
  FPackage = new TCommPackage(FComm);  // hooks itself in front of _EvComm
  FPackage->OnPackage = [this](TObject* Sender, DWORD Bits) { _EvPackage(Sender, Bits); };
  FFrameSettings = new TKxCommFrameSettings(FPackage);
  failed.Dismiss();
}

TKxCustomCommDevice::~TKxCustomCommDevice() {
  Shutdown();
  delete FFrameSettings;
  delete FPackage;  // joins the layer's timer thread
  delete FComm;
}

void TKxCustomCommDevice::BeforeDestruction() {
  Shutdown();
  inherited::BeforeDestruction();
}

void TKxCustomCommDevice::Shutdown() {
  FShutDown.store(true, std::memory_order_release);  // worker threads call no handler from here on
  FComm->AfterOpen = nullptr;
  FComm->BeforeClose = nullptr;
  try {
    FComm->Close();  // joins the reader and the writer
  } catch (const ENimboCommError&) {
    // The threads are stopped either way; there is no one to tell.
  }
  FPackage->fSetActive(false);
  if (FWnd) {
    DeallocateHWnd(FWnd);  // drops what is still queued for it
    FWnd = nullptr;
  }
}

// ---------------------------------------------------------------------------
// Reading, writing, purging
// ---------------------------------------------------------------------------

int TKxCustomCommDevice::Read(void* Buffer, int Size) {
  if (FUsePackage) return ClampInt(FPackage->ReadPackage(Buffer, Size > 0 ? static_cast<DWORD>(Size) : 0));
  return FComm->Read(Buffer, Size);
}

int TKxCustomCommDevice::Write(const void* Buffer, int Size) {
  if (FUsePackage) return ClampInt(FPackage->WritePackage(Buffer, Size > 0 ? static_cast<DWORD>(Size) : 0));
  return FComm->Write(Buffer, Size);
}

void TKxCustomCommDevice::Command(const char* Text) { FComm->Command(Text); }

bool TKxCustomCommDevice::ReadPackage(void* Buffer) { return FPackage->ReadPackage(Buffer, 0) != 0; }
bool TKxCustomCommDevice::WritePackage(const void* Buffer) { return FPackage->WritePackage(Buffer, 0) != 0; }
DWORD TKxCustomCommDevice::ReadPackage(void* Buffer, DWORD Size) { return FPackage->ReadPackage(Buffer, Size); }
DWORD TKxCustomCommDevice::WritePackage(const void* Buffer, DWORD Size) {
  return FPackage->WritePackage(Buffer, Size);
}

void TKxCustomCommDevice::PurgeRead(bool Abort) {
  if (FUsePackage) FPackage->PurgeRead();
  else FComm->PurgeRead(Abort);
}

void TKxCustomCommDevice::PurgeWrite(bool Abort) {
  if (FUsePackage) FPackage->PurgeWrite();
  else FComm->PurgeWrite(Abort);
}

namespace {
std::mutex GSettingsDialogLock;
TKxSettingsDialogProc& SettingsDialogProc() {
  static TKxSettingsDialogProc proc;
  return proc;
}
}  // namespace

void SetKxSettingsDialogProc(TKxSettingsDialogProc Proc) {
  std::lock_guard<std::mutex> lock(GSettingsDialogLock);
  SettingsDialogProc() = std::move(Proc);
}

bool TKxCustomCommDevice::SettingsDialog(TComponent* Owner, bool OpenOnOK) {
  TKxSettingsDialogProc proc;
  {
    std::lock_guard<std::mutex> lock(GSettingsDialogLock);
    proc = SettingsDialogProc();
  }
  if (!proc)
    throw EInvalidOperation("The serial device settings dialog is not available: the program has not registered "
                            "the serial forms (RegisterSerialForms)");
  return proc(this, Owner, OpenOnOK);
}

void TKxCustomCommDevice::ResetModem() { FComm->ResetModem(); }
void TKxCustomCommDevice::InitModem() { FComm->InitModem(); }
bool TKxCustomCommDevice::EscapeCommFunction(DWORD Func) { return FComm->EscapeCommFunction(Func); }

// ---------------------------------------------------------------------------
// Active and UsePackage
// ---------------------------------------------------------------------------

bool TKxCustomCommDevice::Active() const {
  if (!FUsePackage) return FComm->Active();
  return FPackage->Active() && FComm->Active();
}

void TKxCustomCommDevice::SetActive(bool Value) {
  const bool layer = FUsePackage && Value;
  if (Value != FComm->Active()) FComm->fSetActive(Value);
  if (layer != FPackage->Active()) FPackage->fSetActive(layer);
}

void TKxCustomCommDevice::SetUsePackage(bool Value) {
  const bool active = Active();
  FUsePackage = Value;
  SetActive(active);
}

// ---------------------------------------------------------------------------
// Line settings
// ---------------------------------------------------------------------------

std::string TKxCustomCommDevice::PortParams() const {
  const BYTE parity = FComm->Parity();
  static const char* const kStops[] = {"1", "1.5", "2"};
  const BYTE stop = FComm->StopBits();
  char text[64];
  std::snprintf(text, sizeof text, ",%lu,%c,%d,%s", static_cast<unsigned long>(FComm->Baud()),
                parity <= 4 ? kParityLetters[parity] : 'N', static_cast<int>(FComm->ByteSize()),
                stop <= 2 ? kStops[stop] : "1");
  // A name that the split below would cut (a blank, a quote, a comma) goes out
  // quoted, so the text reads back to the same port; other names stay as they are.
  std::string name = FComm->PortName();
  if (!name.empty()) {
    TStringList one;
    one.SetDelimiter(',');
    one.Add(name);
    name = one.DelimitedText();
  }
  return name + text;
}

void TKxCustomCommDevice::SetPortParams(const std::string& Value) {
  // Split as a delimited string list does: blanks also separate unquoted items and
  // quoted items lose their quotes.
  TStringList list;
  list.SetDelimiter(',');
  list.SetDelimitedText(Value);
  std::vector<std::string> items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(list.Strings(i));
  auto item = [&](size_t i) -> const std::string* { return i < items.size() ? &items[i] : nullptr; };

  FComm->fSetPortName(item(0) ? *item(0) : "COM2");
  FComm->fSetBaud(item(1) ? LeadingUnsigned(*item(1)) : 9600);
  if (!item(2)) {
    FComm->fSetParity(NOPARITY);
  } else if (const std::string letter = UpperCase(Trim(*item(2))); !letter.empty()) {
    const char* p = std::strchr(kParityLetters, letter[0]);
    FComm->fSetParity(p && *p ? static_cast<BYTE>(p - kParityLetters) : NOPARITY);
  }
  FComm->fSetByteSize(item(3) ? static_cast<BYTE>(LeadingUnsigned(*item(3)) & 0xFF) : 8);
  BYTE stop = ONESTOPBIT;
  const std::string stops = item(4) ? Trim(*item(4)) : std::string();
  if (stops == "1.5") stop = ONE5STOPBITS;
  if (stops == "2") stop = TWOSTOPBITS;
  FComm->fSetStopBits(stop);
}

TBaudRate TKxCustomCommDevice::Baud() const {
  const DWORD rate = FComm->Baud();
  for (size_t i = 0; i < std::size(kBaudRates); ++i)
    if (kBaudRates[i] == rate) return static_cast<TBaudRate>(i);
  return TBaudRate::brCustom;
}

void TKxCustomCommDevice::SetBaud(TBaudRate Value) {
  const size_t i = static_cast<size_t>(Value);
  if (i < std::size(kBaudRates)) FComm->fSetBaud(kBaudRates[i]);
}

TParity TKxCustomCommDevice::Parity() const {
  const BYTE p = FComm->Parity();
  return p <= 4 ? static_cast<TParity>(p) : TParity::ptNoParity;
}

void TKxCustomCommDevice::SetByteSize(int Value) { FComm->fSetByteSize(ClampByte(Value)); }

TStopBits TKxCustomCommDevice::StopBits() const {
  const BYTE s = FComm->StopBits();
  return s <= 2 ? static_cast<TStopBits>(s) : TStopBits::sbOneStopBit;
}

TFlowControl TKxCustomCommDevice::FlowControl() const {
  const TNimboComm::TFlowControl code = FComm->FlowControl();
  for (size_t i = 0; i < std::size(kFlowCodes); ++i)
    if (kFlowCodes[i] == code) return static_cast<TFlowControl>(i);
  return TFlowControl::fcNone;
}

void TKxCustomCommDevice::SetFlowControl(TFlowControl Value) {
  const size_t i = static_cast<size_t>(Value);
  FComm->fSetFCtrl(i < std::size(kFlowCodes) ? kFlowCodes[i] : TNimboComm::fcNone);
}

void TKxCustomCommDevice::SetAutoAnswer(int Value) { FComm->fSetAAns(ClampByte(Value)); }

void TKxCustomCommDevice::SetFrameSettings(TKxCommFrameSettings* Value) { FFrameSettings->SetValues(Value); }

TModemStatus TKxCustomCommDevice::ModemStatus() const {
  TModemStatus s;
  if (FComm->CTS()) s << TModemStatusItem::msCtsOn;
  if (FComm->DSR()) s << TModemStatusItem::msDsrOn;
  if (FComm->RING()) s << TModemStatusItem::msRingOn;
  if (FComm->RLSD()) s << TModemStatusItem::msRlsdOn;
  return s;
}

// ---------------------------------------------------------------------------
// Notifications
// ---------------------------------------------------------------------------

void TKxCustomCommDevice::_EvComm(TObject* Sender, DWORD Mask) {
  if (FShutDown.load(std::memory_order_acquire)) return;
  if (SyncEvents()) PostMessage(FWnd, KXM_COMMNOTIFY, reinterpret_cast<WPARAM>(Sender), Mask);
  else EvCommNotify(Sender, Mask);
}

void TKxCustomCommDevice::_EvPackage(TObject* Sender, DWORD Bits) {
  if (FShutDown.load(std::memory_order_acquire)) return;
  if (SyncEvents()) PostMessage(FWnd, KXM_PACKAGE, reinterpret_cast<WPARAM>(Sender), Bits);
  else EvPackageNotify(Sender, Bits);
}

// Runs in the thread that created the device. A handler may free the device, so
// nothing here touches it after the call.
void TKxCustomCommDevice::_EvNotifyProc(TMessage& Message) {
  auto* sender = reinterpret_cast<TObject*>(Message.WParam);
  const auto value = static_cast<DWORD>(Message.LParam);
  if (Message.Msg == KXM_COMMNOTIFY) EvCommNotify(sender, value);
  else if (Message.Msg == KXM_PACKAGE) EvPackageNotify(sender, value);
}

void TKxCustomCommDevice::EvCommNotify(TObject*, DWORD Mask) {
  if (OnCommNotify) OnCommNotify(this, Mask);
}

void TKxCustomCommDevice::EvPackageNotify(TObject*, DWORD Bits) {
  if (OnPackage) OnPackage(this, Bits);
}

void TKxCustomCommDevice::EvAfterOpen(TObject*) {
  if (AfterOpen) AfterOpen(this);
}

void TKxCustomCommDevice::EvBeforeClose(TObject*) {
  if (BeforeClose) BeforeClose(this);
}

// ---------------------------------------------------------------------------
// TKxCommDevice
// ---------------------------------------------------------------------------

TKxCommDevice::TKxCommDevice(TComponent* AOwner) : TKxCustomCommDevice(AOwner) {}

TKxCommDevice::~TKxCommDevice() { Shutdown(); }

const TClassInfo& TKxCommDevice::StaticClass() {
  using D = TKxCommDevice;
  static const TClassInfo info =
      TClassBuilder<D>("TKxCommDevice", &inherited::StaticClass())
          .Component()
          // Port 0 (a device that is no COM port) follows PortName when read, so it
          // is never written, though a new component starts at port 2.
          .Int("PortNo", &D::PortNo, [](D* d, std::int64_t v) { d->SetPortNo(ClampInt(v)); }, 0,
               [](D* d) { return d->PortNo() != 0; })
          .Str("PortName", &D::PortName, &D::SetPortName)
          .Str("PortParams", &D::PortParams, &D::SetPortParams)
          .Enum<TBaudRate>("Baud", &D::Baud, &D::SetBaud, TBaudRate::br115200)
          .Int("BaudRate", &D::BaudRate, [](D* d, std::int64_t v) { d->SetBaudRate(ClampU32(v)); }, 115200)
          .Enum<TParity>("Parity", &D::Parity, &D::SetParity, TParity::ptNoParity)
          .Int("ByteSize", &D::ByteSize, [](D* d, std::int64_t v) { d->SetByteSize(ClampInt(v)); }, 8)
          .Enum<TStopBits>("StopBits", &D::StopBits, &D::SetStopBits, TStopBits::sbOneStopBit)
          .Enum<TFlowControl>("FlowControl", &D::FlowControl, &D::SetFlowControl, TFlowControl::fcNone)
          .Int("AutoAnswer", &D::AutoAnswer, [](D* d, std::int64_t v) { d->SetAutoAnswer(ClampInt(v)); }, 0)
          .Bool("SyncEvents", &D::SyncEvents, &D::SetSyncEvents, true)
          .Bool("DataOnly", &D::DataOnly, &D::SetDataOnly, false)
          .Int("InBufSize", &D::InBufSize, [](D* d, std::int64_t v) { d->SetInBufSize(ClampInt(v)); }, 8192)
          .Int("OutBufSize", &D::OutBufSize, [](D* d, std::int64_t v) { d->SetOutBufSize(ClampInt(v)); }, 8192)
          .Int("HwInSize", &D::HwInSize, [](D* d, std::int64_t v) { d->SetHwInSize(ClampInt(v)); }, 1200)
          .Int("HwOutSize", &D::HwOutSize, [](D* d, std::int64_t v) { d->SetHwOutSize(ClampInt(v)); }, 1200)
          .Int("QueueSize", &D::QueueSize, [](D* d, std::int64_t v) { d->SetQueueSize(ClampU32(v)); }, 16)
          .Int("PackageSize", &D::PackageSize, [](D* d, std::int64_t v) { d->SetPackageSize(ClampU32(v)); }, 4096)
          .Enum<TCommPackageType>("PackageType", &D::PackageType, &D::SetPackageType, cptFrameTimeout)
          .Int("PackageInterval", &D::PackageInterval,
               [](D* d, std::int64_t v) { d->SetPackageInterval(ClampU32(v)); }, 50)
          .Bool("UsePackage", &D::UsePackage, &D::SetUsePackage, false)
          .Object<TKxCommFrameSettings>("FrameSettings", &D::FrameSettings, &D::SetFrameSettings)
          .Event<TCommNotifyEvent>("OnPackage", &D::OnPackage)
          .Event<TCommNotifyEvent>("OnCommNotify", &D::OnCommNotify)
          .Event<TNotifyEvent>("AfterOpen", &D::AfterOpen)
          .Event<TNotifyEvent>("BeforeClose", &D::BeforeClose)
          .Build();
  return info;
}

namespace {
// Form streams create the component by its class name.
const bool kRegistered = (RegisterClass(ClassEntry<TKxCommDevice>()), true);
}  // namespace
