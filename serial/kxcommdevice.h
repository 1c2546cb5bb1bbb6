#pragma once
// TKxCommDevice: the component a form places on itself to talk to a serial port.
// It owns a port object (TNimboComm), a package layer over it (TCommPackage) and
// the frame-settings sub-object; publishes every line and framing setting for the
// form filer; routes reads, writes and purges to the raw byte queues or to the
// package layer (UsePackage); and, with SyncEvents, re-posts the notifications that
// arrive in the port's worker threads to a hidden window of its own, so that
// OnCommNotify and OnPackage run in the thread that created the component when it
// drains its messages (ProcessMessages). Destruction closes the port and stops the
// package layer before the hidden window goes: no handler runs afterwards.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/core/object.h"
#include "platform/win32/messages.h"
#include "serial/commpackage.h"
#include "serial/nimbocomm.h"

enum class TBaudRate {
  br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000,
  br57600, br115200, br128000, br256000, brCustom
};
enum class TParity { ptNoParity, ptOddParity, ptEvenParity, ptMarkParity, ptSpaceParity };
enum class TStopBits { sbOneStopBit, sbOne_5_StopBits, sbTwoStopBit };
// The port's flow-control codes 0, 3, 4, 5, 6 in this order.
enum class TFlowControl { fcNone, fcRtsCts, fcXonXoff, fcTranXonXoff, fcRtsCtsXonXoff };
enum class TModemStatusItem { msCtsOn, msDsrOn, msRingOn, msRlsdOn };
using TModemStatus = TSet<TModemStatusItem>;
DTU_DECLARE_ENUM(TBaudRate)
DTU_DECLARE_ENUM(TParity)
DTU_DECLARE_ENUM(TStopBits)
DTU_DECLARE_ENUM(TFlowControl)

// The hidden window's messages: wParam the sender, lParam the event mask or bits.
constexpr UINT KXM_COMMNOTIFY = WM_USER + 2;
constexpr UINT KXM_PACKAGE = WM_USER + 3;

// The framing bytes of a device's package layer, streamed as FrameSettings.*.
class TKxCommFrameSettings : public TPersistent {
  DTU_CLASS(TKxCommFrameSettings, TPersistent)
public:
  explicit TKxCommFrameSettings(TCommPackage* Package) : FPackage(Package) {}
  int FrameHead() const { return FPackage->FrameHead(); }
  void SetFrameHead(int Value);   // clamped to 0..255, as the other two
  int FrameTail() const { return FPackage->FrameTail(); }
  void SetFrameTail(int Value);
  int FrameCtrl() const { return FPackage->FrameCtrl(); }
  void SetFrameCtrl(int Value);
  bool DoubleFrameMark() const { return FPackage->DoubleFrameMark(); }
  void SetDoubleFrameMark(bool Value) { FPackage->fSetDblFrameMark(Value); }
  // Copies the three marks of Other (not DoubleFrameMark).
  void SetValues(const TKxCommFrameSettings* Other);

private:
  TCommPackage* FPackage;
};

class TKxCustomCommDevice;

// The device settings dialog lives above the controls (serial/forms), which fill
// this hook when a program registers them (RegisterSerialForms). The procedure
// shows the dialog modally and returns true when it closed with OK.
using TKxSettingsDialogProc = std::function<bool(TKxCustomCommDevice* Device, TComponent* Owner, bool OpenOnOK)>;
void SetKxSettingsDialogProc(TKxSettingsDialogProc Proc);

class TKxCustomCommDevice : public TComponent {
  DTU_CLASS(TKxCustomCommDevice, TComponent)
public:
  using TCommNotifyEvent = TNimboComm::TCommNotifyEvent;  // Sender, mask or bits

  explicit TKxCustomCommDevice(TComponent* AOwner);
  ~TKxCustomCommDevice() override;
  void BeforeDestruction() override;

  // Received bytes, or with UsePackage a package (see TCommPackage::ReadPackage);
  // never waits.
  virtual int Read(void* Buffer, int Size);
  // Bytes to send, or with UsePackage a package; returns what was taken.
  virtual int Write(const void* Buffer, int Size);
  // A zero-terminated text straight into the port's transmit queue.
  virtual void Command(const char* Text);
  // The package layer with size 0: for cptCompatiblePkg one whole record each way;
  // for the other types ReadPackage only tells whether a package waits and
  // WritePackage sends nothing.
  virtual bool ReadPackage(void* Buffer);
  virtual bool WritePackage(const void* Buffer);
  virtual DWORD ReadPackage(void* Buffer, DWORD Size);
  virtual DWORD WritePackage(const void* Buffer, DWORD Size);
  // With UsePackage the layer's purges (Abort is not passed on), else the port's.
  virtual void PurgeRead(bool Abort);
  virtual void PurgeWrite(bool Abort);
  // Shows the device settings dialog for this device; true when it closed with OK
  // (OpenOnOK: OK opens the port even when it was closed). EInvalidOperation when
  // the program has not registered the dialog (RegisterSerialForms).
  virtual bool SettingsDialog(TComponent* Owner, bool OpenOnOK);
  virtual void ResetModem();
  virtual void InitModem();
  virtual bool EscapeCommFunction(DWORD Func);
  // Call the handlers with the device as Sender.
  virtual void EvCommNotify(TObject* Sender, DWORD Mask);
  virtual void EvPackageNotify(TObject* Sender, DWORD Bits);
  virtual void EvAfterOpen(TObject* Sender);
  virtual void EvBeforeClose(TObject* Sender);

  // Without UsePackage the port's state; with it, the port and the layer both.
  bool Active() const;
  // Opens or closes the port (ENimboCommError passes through and leaves the layer
  // inactive), then switches the layer to match UsePackage.
  void SetActive(bool Value);
  bool UsePackage() const { return FUsePackage; }
  void SetUsePackage(bool Value);
  bool SyncEvents() const { return FSyncEvents.load(std::memory_order_acquire); }
  void SetSyncEvents(bool Value) { FSyncEvents.store(Value, std::memory_order_release); }

  // Line settings: each writes through to the port, which closes when open.
  int PortNo() const { return FComm->PortNo(); }
  void SetPortNo(int Value) { FComm->fSetPort(Value); }
  std::string PortName() const { return FComm->PortName(); }
  void SetPortName(const std::string& Value) { FComm->fSetPortName(Value); }
  // "COM2,115200,N,8,1": port, baud, parity letter, data bits, stop bits. Written:
  // items split at commas and trimmed; a missing item takes its default (COM2,
  // 9600, N, 8, 1), an empty parity item keeps the parity, a baud or data-bit item
  // that is not a plain number in range gives 0, which opening refuses.
  std::string PortParams() const;
  void SetPortParams(const std::string& Value);
  TBaudRate Baud() const;
  void SetBaud(TBaudRate Value);  // brCustom changes nothing
  DWORD BaudRate() const { return FComm->Baud(); }
  void SetBaudRate(DWORD Value) { FComm->fSetBaud(Value); }
  TParity Parity() const;
  void SetParity(TParity Value) { FComm->fSetParity(static_cast<BYTE>(Value)); }
  int ByteSize() const { return FComm->ByteSize(); }
  void SetByteSize(int Value);  // clamped to 0..255
  TStopBits StopBits() const;
  void SetStopBits(TStopBits Value) { FComm->fSetStopBits(static_cast<BYTE>(Value)); }
  TFlowControl FlowControl() const;
  void SetFlowControl(TFlowControl Value);
  int AutoAnswer() const { return FComm->AutoAnswer(); }
  void SetAutoAnswer(int Value);  // clamped to 0..255
  bool DataOnly() const { return FComm->DataOnly(); }
  void SetDataOnly(bool Value) { FComm->fSetDataOnly(Value); }
  int InBufSize() const { return FComm->InBufSize(); }
  void SetInBufSize(int Value) { FComm->fSetInBufSize(Value); }
  int OutBufSize() const { return FComm->OutBufSize(); }
  void SetOutBufSize(int Value) { FComm->fSetOutBufSize(Value); }
  int HwInSize() const { return FComm->HwInSize(); }
  void SetHwInSize(int Value) { FComm->fSetHwInSize(Value); }
  int HwOutSize() const { return FComm->HwOutSize(); }
  void SetHwOutSize(int Value) { FComm->fSetHwOutSize(Value); }

  // Package layer settings.
  std::uint32_t QueueSize() const { return FPackage->QueueSize(); }
  void SetQueueSize(std::uint32_t Value) { FPackage->fSetQSize(Value); }
  std::uint32_t PackageSize() const { return FPackage->PackageSize(); }
  void SetPackageSize(std::uint32_t Value) { FPackage->fSetPkgSz(Value); }
  TCommPackageType PackageType() const { return FPackage->PackageType(); }
  void SetPackageType(TCommPackageType Value) { FPackage->fSetPkgType(Value); }
  std::uint32_t PackageInterval() const { return FPackage->PackageInterval(); }
  void SetPackageInterval(std::uint32_t Value) { FPackage->fSetPkgInterval(Value); }
  TKxCommFrameSettings* FrameSettings() const { return FFrameSettings; }
  void SetFrameSettings(TKxCommFrameSettings* Value);

  // Port state.
  HANDLE Handle() const { return FComm->Handle(); }
  TCommQueue& InQueue() { return FComm->InQueue(); }
  TCommQueue& OutQueue() { return FComm->OutQueue(); }
  TModemStatus ModemStatus() const;
  bool DisableWrite() const { return FComm->DisableWrite(); }
  void SetDisableWrite(bool Value) { FComm->fSetDisableWrite(Value); }
  bool DTR() const { return FComm->DTR(); }
  void SetDTR(bool Value) { FComm->fSetDTR(Value); }
  bool RTS() const { return FComm->RTS(); }
  void SetRTS(bool Value) { FComm->fSetRTS(Value); }
  bool CTS() const { return FComm->CTS(); }
  bool DSR() const { return FComm->DSR(); }
  bool RING() const { return FComm->RING(); }
  bool RLSD() const { return FComm->RLSD(); }
  // The owned objects, for the settings dialog.
  TNimboComm* Comm() const { return FComm; }
  TCommPackage* Package() const { return FPackage; }

  // With SyncEvents they run in the thread that created the device; otherwise in
  // the port's reader thread or the layer's timer thread. AfterOpen and
  // BeforeClose run in the thread that opens or closes. A handler running in a
  // worker thread may close the device but must not free it (see nimbocomm.h).
  TCommNotifyEvent OnCommNotify;
  TCommNotifyEvent OnPackage;
  TNotifyEvent AfterOpen;
  TNotifyEvent BeforeClose;

protected:
  // Closes the port and releases the hidden window; from then on no handler runs.
  // Called by every destructor level, so a handler never meets a half-destroyed
  // object; idempotent.
  void Shutdown();

private:
  void _EvComm(TObject* Sender, DWORD Mask);
  void _EvPackage(TObject* Sender, DWORD Bits);
  void _EvNotifyProc(TMessage& Message);

  TNimboComm* FComm;
  TCommPackage* FPackage = nullptr;
  TKxCommFrameSettings* FFrameSettings = nullptr;
  bool FUsePackage = false;
  std::atomic<bool> FSyncEvents{true};
  HWND FWnd = nullptr;
  std::atomic<bool> FShutDown{false};
};

// The published component; a form stream creates it by class name.
class TKxCommDevice : public TKxCustomCommDevice {
  DTU_CLASS(TKxCommDevice, TKxCustomCommDevice)
public:
  explicit TKxCommDevice(TComponent* AOwner);
  ~TKxCommDevice() override;
};
