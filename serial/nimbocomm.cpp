#include "serial/nimbocomm.h"

#include <sched.h>
#include <string.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/core/typinfo.h"
#include "platform/core/scope.h"
#include "serial/portlist.h"

namespace {
using TCode = ENimboCommError::TErrorCode;
constexpr TCode kOk = ENimboCommError::ecNone;
}  // namespace

// Run state of one worker thread, shared between the port object and the thread.
struct TNimboComm::TWorker {
  std::atomic<bool> Run{true};
  std::atomic<bool> Go{false};  // the reader starts waiting once Open has notified
  void Release() {
    Go.store(true, std::memory_order_release);
    Go.notify_all();
  }
};

namespace {
// The port whose reader runs in this thread, and that reader's run state.
thread_local const TNimboComm* tReaderPort = nullptr;
thread_local const std::atomic<bool>* tReaderRun = nullptr;
}  // namespace

// One thread at a time starts and stops the workers (see FLifeLock). The owner may
// enter again. The port's own reader waits like any other thread, but gives up once
// it is told to stop: the owner is then stopping it and waits for it to end.
class TNimboComm::TLifeGuard {
public:
  explicit TLifeGuard(TNimboComm& C) : FComm(C) {
    std::unique_lock<std::mutex> lock(C.FLifeLock);
    const std::thread::id me = std::this_thread::get_id();
    if (C.FLifeDepth > 0 && C.FLifeOwner == me) {
      ++C.FLifeDepth;
      FHeld = true;
      return;
    }
    const std::atomic<bool>* run = tReaderPort == &C ? tReaderRun : nullptr;
    C.FLifeFree.wait(lock, [&] { return C.FLifeDepth == 0 || (run && !run->load(std::memory_order_acquire)); });
    if (C.FLifeDepth > 0) return;
    C.FLifeOwner = me;
    C.FLifeDepth = 1;
    FHeld = true;
  }
  ~TLifeGuard() {
    if (!FHeld) return;
    {
      std::lock_guard<std::mutex> lock(FComm.FLifeLock);
      if (--FComm.FLifeDepth > 0) return;
      FComm.FLifeOwner = std::thread::id();
    }
    FComm.FLifeFree.notify_all();
  }
  TLifeGuard(const TLifeGuard&) = delete;
  TLifeGuard& operator=(const TLifeGuard&) = delete;
  // False in a reader that gave up: another thread is stopping it.
  bool Held() const { return FHeld; }

private:
  TNimboComm& FComm;
  bool FHeld = false;
};

const TClassInfo& TNimboComm::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TNimboComm>("TNimboComm", &inherited::StaticClass()).Creatable().Build();
  return info;
}

TNimboComm::TNimboComm() {
  FDcb.DCBlength = sizeof(DCB);
  FDcb.BaudRate = 115200;
  FDcb.fBinary = 1;
  FDcb.fDtrControl = DTR_CONTROL_ENABLE;
  FDcb.fRtsControl = RTS_CONTROL_ENABLE;
  FDcb.XonLim = 2048;
  FDcb.XoffLim = 512;
  FDcb.ByteSize = 8;
  FDcb.Parity = NOPARITY;
  FDcb.StopBits = ONESTOPBIT;
  FDcb.XonChar = 0x11;
  FDcb.XoffChar = 0x13;
  FInQueue = new TCommQueue(8192);
  TOnExit failed([&] { delete FInQueue; });
  FOutQueue = new TCommQueue(8192);
  failed.Dismiss();
}

TNimboComm::~TNimboComm() {
  try {
    Close();
  } catch (const ENimboCommError&) {
    // Nothing is left to report to; the threads are stopped either way.
  }
  for (HANDLE t : FFinishedReaders) CloseHandle(t);  // joins, or detaches the calling reader
  FFinishedReaders.clear();
  for (HANDLE* e : {&FStopReader, &FRxSpace, &FWriteRequest, &FStopWriter})
    if (*e) {
      CloseHandle(*e);
      *e = nullptr;
    }
  delete FOutQueue;
  delete FInQueue;
}

// ---------------------------------------------------------------------------
// Queues
// ---------------------------------------------------------------------------

int TNimboComm::Read(void* Buffer, int Size) {
  int n;
  {
    std::lock_guard<std::mutex> lock(FRxReadLock);
    n = FInQueue->Out(Buffer, Size);
  }
  if (n > 0) _WakeStalledReader();
  return n;
}

int TNimboComm::Write(const void* Buffer, int Size) {
  if (DisableWrite()) return 0;
  int direct = 0;
  if (Buffer && Size > 0 && FDirectWrite.load(std::memory_order_acquire) && FOutQueue->fGetCount() == 0) {
    // Nothing queued and nobody sending: to the driver at once (it never blocks),
    // the rest to the queue. The lock orders this against the writer and Close.
    std::unique_lock<std::mutex> tx(FTxLock, std::try_to_lock);
    if (tx.owns_lock() && FDirectWrite.load(std::memory_order_relaxed) && FOutQueue->fGetCount() == 0) {
      DWORD sent = 0;
      if (WriteFile(FHandle, Buffer, static_cast<DWORD>(Size), &sent, nullptr)) direct = static_cast<int>(sent);
    }
  }
  if (direct == Size) return direct;
  int n = FOutQueue->In(static_cast<const std::uint8_t*>(Buffer) + direct, Size - direct);
  if (n > 0) _RequestWrite();
  return direct + n;
}

void TNimboComm::Command(const char* Text) {
  if (!Text) return;
  FOutQueue->In(Text, static_cast<int>(std::strlen(Text)));
  _RequestWrite();
}

void TNimboComm::_RequestWrite() {
  // Only a writer waiting for a request needs the event; a busy one finds the
  // mark before it would wait and goes round once more, as if it had been woken.
  const int was = FWriterState.exchange(kWriterAsked, std::memory_order_acq_rel);
  if ((was == kWriterIdle || was == kWriterHolding) && FWriteRequest) SetEvent(FWriteRequest);
}

void TNimboComm::_WakeStalledReader() {
  // Both sides swap the stall flag (read-modify-write, so the swaps are ordered):
  // either this swap sees the reader's stall and wakes it, or the reader's later
  // swap synchronises with this one and sees the room made before it.
  if (FRxStalled.exchange(false, std::memory_order_acq_rel)) SetEvent(FRxSpace);
}

void TNimboComm::PurgeRead(bool Abort) {
  // Keeps the handle open meanwhile. A reader that gave up may go on: its port is
  // closed only once it has ended.
  TLifeGuard life(*this);
  if (!Active()) return;
  {
    std::lock_guard<std::mutex> lock(FRxQueueLock);
    std::lock_guard<std::mutex> consumer(FRxReadLock);
    FRxPurges.fetch_add(1, std::memory_order_relaxed);
    PurgeComm(FHandle, PURGE_RXCLEAR | (Abort ? PURGE_RXABORT : 0));
    // Dropped from the consumer side, so the reader may go on filling the queue.
    FInQueue->Discard();
  }
  _WakeStalledReader();
}

void TNimboComm::_ApplyOwedTxPurge() {
  // No writer takes from the queue now; callers may add to it, so it is emptied
  // from the consumer side.
  if (FTxPurgeOwed.exchange(false, std::memory_order_acq_rel)) FOutQueue->Discard();
}

void TNimboComm::PurgeWrite(bool Abort) {
  TLifeGuard life(*this);
  if (!life.Held()) {
    // A handler whose reader is being stopped: the writer is the stopping thread's
    // to end. The driver is flushed now (the port stays open until this reader
    // has ended), the queue once no writer takes from it.
    if (FHandle != INVALID_HANDLE_VALUE) PurgeComm(FHandle, PURGE_TXCLEAR | (Abort ? PURGE_TXABORT : 0));
    FTxPurgeOwed.store(true, std::memory_order_release);
    return;
  }
  // The writer consumes the transmit queue and holds an unsent piece: stop it,
  // empty both, start it again.
  bool running = FWriterThread != nullptr;
  TCode code = running ? _StopWorkers(false, true) : kOk;
  if (FHandle != INVALID_HANDLE_VALUE) PurgeComm(FHandle, PURGE_TXCLEAR | (Abort ? PURGE_TXABORT : 0));
  FOutQueue->Clear();
  if (running && code == kOk && !_StartWriter()) code = ENimboCommError::ecWriteThread;
  if (code != kOk) {
    _CloseForSetting();
    throw ENimboCommError(code, FPortName);
  }
}

void TNimboComm::fSetInBufSize(int Value) {
  TLifeGuard life(*this);
  bool running = FReaderThread != nullptr;
  TCode code = running ? _StopWorkers(true, false) : kOk;
  {
    TOnExit failed([&] {
      if (running && code == kOk) _StartReader();
    });
    std::lock_guard<std::mutex> consumer(FRxReadLock);
    FInQueue->fSetBufSize(Value);
    failed.Dismiss();
  }
  if (running && code == kOk && !_StartReader()) code = ENimboCommError::ecReadThread;
  // A handler's transmit purge gave way while its reader was stopped here; the
  // writer went on sending the queue meanwhile, so it is stopped now for the queue
  // to be emptied, and started again.
  if (code == kOk && FWriterThread && FTxPurgeOwed.load(std::memory_order_acquire)) {
    code = _StopWorkers(false, true);
    if (code == kOk && !_StartWriter()) code = ENimboCommError::ecWriteThread;
  }
  if (code != kOk) {
    _CloseForSetting();
    throw ENimboCommError(code, FPortName);
  }
  // So did a Close of that handler: the port is closed now.
  if (FCloseOwed.load(std::memory_order_acquire)) Close();
}

void TNimboComm::fSetOutBufSize(int Value) {
  TLifeGuard life(*this);
  bool running = FWriterThread != nullptr;
  TCode code = running ? _StopWorkers(false, true) : kOk;
  {
    TOnExit failed([&] {
      if (running && code == kOk) _StartWriter();
    });
    FOutQueue->fSetBufSize(Value);
    failed.Dismiss();
  }
  if (running && code == kOk && !_StartWriter()) code = ENimboCommError::ecWriteThread;
  if (code != kOk) {
    _CloseForSetting();
    throw ENimboCommError(code, FPortName);
  }
}

// ---------------------------------------------------------------------------
// Modem
// ---------------------------------------------------------------------------

void TNimboComm::ResetModem() { Command(Str_ResetModem); }

void TNimboComm::InitModem() {
  char text[64];
  std::snprintf(text, sizeof text, Fmt_InitModem, static_cast<int>(FlowControl()),
                static_cast<int>(FAutoAnswer));
  Command(text);
}

bool TNimboComm::EscapeCommFunction(DWORD Func) {
  if (!Active() || !::EscapeCommFunction(FHandle, Func)) return false;
  switch (Func) {
    case SETRTS: FRTSState = true; break;
    case CLRRTS: FRTSState = false; break;
    case SETDTR: FDTRState = true; break;
    case CLRDTR: FDTRState = false; break;
    default: break;
  }
  return true;
}

bool TNimboComm::DTR() const { return Active() && FDTRState.load(); }
bool TNimboComm::RTS() const { return Active() && FRTSState.load(); }

void TNimboComm::fSetDTR(bool Value) {
  if (!Active()) FDTRState = Value;
  else EscapeCommFunction(Value ? SETDTR : CLRDTR);
}

void TNimboComm::fSetRTS(bool Value) {
  if (!Active()) FRTSState = Value;
  else EscapeCommFunction(Value ? SETRTS : CLRRTS);
}

// ---------------------------------------------------------------------------
// Notifications
// ---------------------------------------------------------------------------

void TNimboComm::CommNotify(DWORD Mask) {
  if (OnCommNotify) OnCommNotify(this, Mask);
}

void TNimboComm::CommAfterOpen() {
  if (AfterOpen) AfterOpen(this);
}

void TNimboComm::CommBeforeClose() {
  if (BeforeClose) BeforeClose(this);
}

// ---------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------

void TNimboComm::_CloseForSetting() {
  if (Active() || FReaderThread || FWriterThread) Close();
}

void TNimboComm::fSetActive(bool Value) {
  if (Value) Open();
  else Close();
}

void TNimboComm::fSetHandle(HANDLE Value) {
  _CloseForSetting();
  FPortNo = 0;
  FPortName.clear();
  FHandle = Value;
  FOutsideHandle = true;
}

void TNimboComm::fSetPort(int Value) {
  _CloseForSetting();
  FPortNo = Value;
  if (Value > 0) FPortName = TCommSerialPortInfo::PortName(Value);
  if (FOutsideHandle) {
    // The caller's handle stays the caller's: forget it rather than close it later.
    FHandle = INVALID_HANDLE_VALUE;
    FOutsideHandle = false;
  }
}

void TNimboComm::fSetPortName(const std::string& Value) {
  if (Value.empty()) return;
  _CloseForSetting();
  FPortNo = TCommSerialPortInfo::PortNo(Value);
  FPortName = FPortNo >= 1 ? TCommSerialPortInfo::PortName(FPortNo) : Value;
  if (FOutsideHandle) {
    FHandle = INVALID_HANDLE_VALUE;
    FOutsideHandle = false;
  }
}

void TNimboComm::fSetDataOnly(bool Value) {
  _CloseForSetting();
  FDataOnly = Value;
}

void TNimboComm::fSetHwBufSize(int InSize, int OutSize) {
  _CloseForSetting();
  FHwInSize = InSize;
  FHwOutSize = OutSize;
}

TNimboComm::TFlowControl TNimboComm::FlowControl() const {
  if (FDcb.fOutxCtsFlow && FDcb.fOutX) return fcRtsCtsXonXoff;
  if (FDcb.fOutxCtsFlow) return fcRtsCts;
  if (FDcb.fOutX) return fcXonXoff;
  return fcNone;
}

void TNimboComm::fSetFCtrl(TFlowControl Value) {
  _CloseForSetting();
  bool rtscts = Value == fcRtsCts || Value == fcRtsCtsXonXoff;
  bool xonxoff = Value == fcXonXoff || Value == fcTransparentXonXoff || Value == fcRtsCtsXonXoff;
  FDcb.fRtsControl = rtscts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  FDcb.fOutxCtsFlow = rtscts ? 1 : 0;
  FDcb.fInX = xonxoff ? 1 : 0;
  FDcb.fOutX = xonxoff ? 1 : 0;
  FDcb.fDtrControl = DTR_CONTROL_ENABLE;
  FDcb.fOutxDsrFlow = 0;
}

void TNimboComm::fSetBaud(DWORD Value) {
  _CloseForSetting();
  FDcb.BaudRate = Value;
}

void TNimboComm::fSetParity(BYTE Value) {
  _CloseForSetting();
  FDcb.Parity = Value;
}

void TNimboComm::fSetByteSize(BYTE Value) {
  _CloseForSetting();
  FDcb.ByteSize = Value;
}

void TNimboComm::fSetStopBits(BYTE Value) {
  _CloseForSetting();
  FDcb.StopBits = Value;
}

// ---------------------------------------------------------------------------
// Open and Close
// ---------------------------------------------------------------------------

bool TNimboComm::_CreateEvents() {
  for (HANDLE* e : {&FStopReader, &FRxSpace, &FWriteRequest, &FStopWriter})
    if (!*e) *e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return FStopReader && FRxSpace && FWriteRequest && FStopWriter;
}

void TNimboComm::Open() {
  TLifeGuard life(*this);
  if (!life.Held() || Active()) return;
  _ReapFinishedReaders();
  using E = ENimboCommError;
  TCode code = kOk;
  int osError = 0;
  std::string refusal;
  if (!FInQueue->fIsValid()) code = E::ecReadBuffer;
  else if (!FOutQueue->fIsValid()) code = E::ecWriteBuffer;

  if (code == kOk && !FOutsideHandle) {
    std::string name = "\\\\.\\" + FPortName;
    errno = 0;  // CreateFileA leaves the failing call's errno (none for a refused name)
    FHandle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE) {
      code = E::ecOpenPort;
      osError = errno;  // why the device could not be opened (missing, no permission, in use)
      refusal = CommOpenRefusal();  // or why the name leads to no serial port
    }
  }
  if (code == kOk && !SetCommMask(FHandle, EV_RXFLAG)) code = E::ecSetCommMask;
  if (code == kOk && !FOutsideHandle && !SetupComm(FHandle, FHwInSize, FHwOutSize)) code = E::ecSetupComm;
  if (code == kOk) {
    if (!FOutsideHandle) {
      if (FDcb.fDtrControl != DTR_CONTROL_HANDSHAKE)
        FDcb.fDtrControl = FDTRState ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
      if (FDcb.fRtsControl != RTS_CONTROL_HANDSHAKE && FDcb.fRtsControl != RTS_CONTROL_TOGGLE)
        FDcb.fRtsControl = FRTSState ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
      DCB copy = FDcb;
      if (!SetCommState(FHandle, &copy)) code = E::ecSetCommState;
    } else {
      DCB dcb{};
      if (!GetCommState(FHandle, &dcb)) {
        code = E::ecGetCommState;
      } else {
        dcb.fAbortOnError = 0;
        if (!SetCommState(FHandle, &dcb)) code = E::ecSetCommState;
      }
    }
  }
  if (code == kOk && !_CreateEvents()) code = (FStopReader && FRxSpace) ? E::ecWriteEvent : E::ecReadEvent;
  if (code == kOk && !_StartReader()) code = E::ecReadThread;
  if (code == kOk && !_StartWriter()) code = E::ecWriteThread;

  if (code != kOk) {
    try {
      Close();
    } catch (const ENimboCommError&) {
      // The open's own failure is the one to report.
    }
    ENimboCommError error(code, FPortName);
    error.SetOsError(osError);
    error.SetRefusal(refusal);
    throw error;
  }

  SetThreadPriority(FReaderThread, THREAD_PRIORITY_HIGHEST);  // best effort
  FActive.store(true, std::memory_order_release);
  FDisableWrite = false;
  DWORD status = 0;
  if (GetCommModemStatus(FHandle, &status)) FModemStatus = status;
  FDTRState = FDcb.fDtrControl != DTR_CONTROL_DISABLE;
  FRTSState = FDcb.fRtsControl != RTS_CONTROL_DISABLE;
  // The reader starts delivering events only after these, so CommNotify never
  // runs in two threads at once.
  std::shared_ptr<TWorker> reader = FReader;
  struct TRelease {
    std::shared_ptr<TWorker> W;
    ~TRelease() { W->Release(); }
  } release{reader};
  CommNotify(ModemLineEvents);
  CommAfterOpen();
}

void TNimboComm::Close() {
  // A second Close waits for the first and then finds nothing to do; one from a
  // handler whose reader the first is stopping leaves the closing to it.
  TLifeGuard life(*this);
  if (!life.Held()) {
    FCloseOwed.store(true, std::memory_order_release);
    return;
  }
  bool wasActive = Active();
  if (wasActive) CommBeforeClose();
  TCode code = _StopWorkers(true, true);
  // No handler of the readers stopped is left to ask for a close.
  FCloseOwed.store(false, std::memory_order_release);
  if (FHandle != INVALID_HANDLE_VALUE && !FOutsideHandle) {
    CloseHandle(FHandle);
    FHandle = INVALID_HANDLE_VALUE;
  }
  FDTRState = FDcb.fDtrControl != DTR_CONTROL_DISABLE;
  FRTSState = FDcb.fRtsControl != RTS_CONTROL_DISABLE;
  if (wasActive) {
    FActive.store(false, std::memory_order_release);
    FModemStatus = 0;
    CommNotify(ModemLineEvents);
  }
  if (code != kOk) throw ENimboCommError(code, FPortName);
}

bool TNimboComm::_StartReader() {
  ResetEvent(FStopReader);
  ResetEvent(FRxSpace);
  FRxStalled = false;
  auto worker = std::make_shared<TWorker>();
  // A reader started outside Open (after a queue resize) needs no gate.
  if (Active()) worker->Go = true;
  FReaderThread = BeginThread([this, worker] { _ReadThread(*worker); });
  if (!FReaderThread) return false;
  FReader = worker;
  return true;
}

bool TNimboComm::_StartWriter() {
  ResetEvent(FStopWriter);
  ResetEvent(FWriteRequest);
  FWriterState.store(kWriterBusy, std::memory_order_release);
  _ApplyOwedTxPurge();
  auto worker = std::make_shared<TWorker>();
  FWriterThread = BeginThread([this, worker] { _WriteThread(*worker); });
  if (!FWriterThread) return false;
  FWriter = worker;
  FDirectWrite.store(true, std::memory_order_release);
  return true;
}

ENimboCommError::TErrorCode TNimboComm::_StopWorkers(bool Reader, bool Writer) {
  TCode code = kOk;
  Reader = Reader && FReaderThread;
  Writer = Writer && FWriterThread;
  if (Reader) {
    FReader->Run.store(false, std::memory_order_release);
    if (FHandle != INVALID_HANDLE_VALUE) SetCommMask(FHandle, EV_RXFLAG);  // ends its port wait
    SetEvent(FStopReader);
    FReader->Release();
    // A handler of this reader waiting for the lifecycle guard gives up now.
    { std::lock_guard<std::mutex> lock(FLifeLock); }
    FLifeFree.notify_all();
  }
  if (Writer) {
    FWriter->Run.store(false, std::memory_order_release);
    SetEvent(FStopWriter);
  }
  if (Writer) {
    if (!CloseHandle(FWriterThread)) code = ENimboCommError::ecCloseWriteThread;
    {
      // No Write sends by itself from here on (one sending now finishes first).
      std::lock_guard<std::mutex> tx(FTxLock);
      FDirectWrite.store(false, std::memory_order_relaxed);
    }
    FWriterThread = nullptr;
    FWriter.reset();
  }
  if (Reader) {
    if (IsCurrentThread(FReaderThread)) {
      // Closed from a notification handler: the reader returns to its loop, sees
      // its run flag cleared and ends without touching this object again.
      FFinishedReaders.push_back(FReaderThread);
    } else if (!CloseHandle(FReaderThread)) {
      code = ENimboCommError::ecCloseReadThread;
    }
    FReaderThread = nullptr;
    FReader.reset();
  }
  _ReapFinishedReaders();
  if (!FWriterThread) _ApplyOwedTxPurge();
  return code;
}

void TNimboComm::_ReapFinishedReaders() {
  std::erase_if(FFinishedReaders, [](HANDLE t) { return !IsCurrentThread(t) && CloseHandle(t); });
}

// ---------------------------------------------------------------------------
// Worker threads
// ---------------------------------------------------------------------------

void TNimboComm::TRxHold::Take(int N) {
  Off += N;
  Len -= N;
  if (FlagEnd > 0 && Off >= FlagEnd) {
    FlagDue = FlagDue || FlagOwed;
    FlagEnd = 0;
    FlagOwed = false;
  }
  if (Len == 0) Off = 0;
}

void TNimboComm::TRxHold::DropIfPurged(unsigned PurgesNow) {
  if (PurgesNow == Purges) return;
  Off = Len = FlagEnd = 0;
  FlagOwed = false;
  Purges = PurgesNow;
}

void TNimboComm::TRxHold::Compact() {
  std::memmove(Data, Data + Off, static_cast<size_t>(Len));
  if (FlagEnd > 0) FlagEnd -= Off;
  Off = 0;
}

void TNimboComm::_ReadThread(TWorker& Ctl) {
  tReaderPort = this;
  tReaderRun = &Ctl.Run;
  Ctl.Go.wait(false, std::memory_order_acquire);
  if (!Ctl.Run.load(std::memory_order_acquire)) return;
  const HANDLE port = FHandle;
  const DWORD mask = FDataOnly ? DataOnlyEvents : AllEvents;
  if (!SetCommMask(port, mask)) {
    WaitForSingleObject(FStopReader, INFINITE);
    return;
  }
  DCB dcb{};
  FRxEvtChar = GetCommState(port, &dcb) ? dcb.EvtChar : FDcb.EvtChar;
  const HANDLE waits[2] = {FStopReader, FRxSpace};
  TRxHold& hold = FRxHold;
  bool rxOn = true;
  // Reads in a row without waiting (see below), bounded so that the other events
  // are looked at again while a stream goes on.
  int rxRun = 0;
  bool rxMore = false;
  while (Ctl.Run.load(std::memory_order_acquire)) {
    DWORD events = 0;
    if (rxOn && hold.Len > 0) {
      // Held bytes go to the queue as the consumer makes room, before any read.
      DWORD got = 0;
      _PushHeld(got);
      if (got > 0) {
        CommNotify(_QueuedEvents());
        if (!Ctl.Run.load(std::memory_order_acquire)) return;
      }
    }
    if (rxMore && rxOn && rxRun < kRxRunMax) {
      // The last read took much of the line discipline's buffer: a stream goes
      // on, and a read takes the next piece (or finds nothing) without the wait,
      // its poll and its count of waiting bytes. Only EV_RXCHAR is sent for it.
      ++rxRun;
      DWORD got = 0;
      rxOn = _ReceiveBytes(port, mask, got, rxMore);
      if (got > 0) {
        CommNotify(_QueuedEvents());
        if (!Ctl.Run.load(std::memory_order_acquire)) return;
      }
      continue;
    }
    rxRun = 0;
    rxMore = false;
    if (rxOn && hold.Len > 0) {
      // Bytes still held when the driver has none to give: the consumer's next
      // Read ends the wait (FRxSpace), as for a stall, though reads go on.
      FRxStalled.exchange(true, std::memory_order_acq_rel);
      DWORD got = 0;
      if (_PushHeld(got)) FRxStalled.exchange(false, std::memory_order_acq_rel);
      if (got > 0) {
        CommNotify(_QueuedEvents());
        if (!Ctl.Run.load(std::memory_order_acquire)) return;
        continue;
      }
    }
    DWORD r = WaitCommEvent(port, &events, 2, waits, INFINITE);
    if (r == WAIT_FAILED) {
      WaitForSingleObject(FStopReader, INFINITE);
      break;
    }
    if (r == WAIT_OBJECT_0 || !Ctl.Run.load(std::memory_order_acquire)) break;
    if (r == WAIT_OBJECT_0 + 1) {
      // The receive queue has room again.
      ResetEvent(FRxSpace);
      if (!rxOn) {
        rxOn = true;
        SetCommMask(port, mask);
      }
      continue;
    }

    if ((events & EV_RXFLAG) && hold.FlagEnd > 0) {
      // The event character read is still held: the event waits for its queueing.
      events &= ~EV_RXFLAG;
      hold.FlagOwed = true;
    }
    if (events & EV_RXCHAR) {
      DWORD got = 0;
      rxOn = _ReceiveBytes(port, mask, got, rxMore);
      if (got > 0) events |= _QueuedEvents();
    }
    if (events & (EV_CTS | EV_DSR | EV_RLSD | EV_RING)) {
      DWORD status = 0;
      if (GetCommModemStatus(port, &status)) FModemStatus = status;
      // CTS rising lets a flow-controlled transmission go on.
      if ((events & EV_CTS) && !FOutsideHandle && FDcb.fOutxCtsFlow && CTS()) events |= EV_TXEMPTY;
    }
    if (events & EV_TXEMPTY) {
      if (CTS() || !FDcb.fOutxCtsFlow || FOutsideHandle) {
        if (FOutQueue->fGetCount() > 0) {
          events &= ~EV_TXEMPTY;
          _RequestWrite();
        } else if (FWriterState.load(std::memory_order_acquire) != kWriterIdle) {
          // A writer holding unsent bytes retries them; an idle one with nothing
          // unsent and nothing queued would only wake for nothing.
          _RequestWrite();
        }
      }
    }
    if (events & EV_ERR) ClearCommError(port, nullptr, nullptr);
    if (events) {
      CommNotify(events);
      // The handler may have closed the port: look at nothing but Ctl.
      if (!Ctl.Run.load(std::memory_order_acquire)) return;
    }
  }
}

namespace {

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  asm volatile("yield");
#endif
}

}  // namespace

bool TNimboComm::_AwaitRoom() const {
  // The consumer has just been told of the bytes that filled the queue and mostly
  // takes them within microseconds; watching for that costs the stream less than a
  // stall, whose wake-ups and mask changes keep the reader from the driver longer.
  // Not with one processor to run on, where the consumer cannot run meanwhile.
  static const bool several = [] {
    cpu_set_t cpus;
    return sched_getaffinity(0, sizeof cpus, &cpus) == 0 ? CPU_COUNT(&cpus) > 1
                                                         : std::thread::hardware_concurrency() > 1;
  }();
  if (!several) return false;
  const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(kRoomSpinUs);
  while (FInQueue->fGetRemain() == 0) {
    if (std::chrono::steady_clock::now() >= until) return false;
    CpuRelax();
  }
  return true;
}

void TNimboComm::_QueueHeld(DWORD& Got) {
  TRxHold& hold = FRxHold;
  hold.DropIfPurged(FRxPurges.load(std::memory_order_relaxed));
  const int n = hold.Len > 0 ? FInQueue->In(hold.Data + hold.Off, hold.Len) : 0;
  hold.Take(n);
  Got += static_cast<DWORD>(n);
}

bool TNimboComm::_PushHeld(DWORD& Got) {
  std::lock_guard<std::mutex> lock(FRxQueueLock);
  _QueueHeld(Got);
  return FRxHold.Len == 0;
}

DWORD TNimboComm::_QueuedEvents() {
  DWORD events = EV_RXCHAR;
  if (FRxHold.FlagDue) events |= EV_RXFLAG;
  FRxHold.FlagDue = false;
  return events;
}

bool TNimboComm::_ReceiveBytes(HANDLE Port, DWORD Mask, DWORD& Got, bool& More) {
  TRxHold& Hold = FRxHold;
  More = false;
  // Takes the line-error bits as the original sequence does; how much waits is
  // learnt from the reads themselves (a read finding nothing returns 0 bytes).
  if (!ClearCommError(Port, nullptr, nullptr)) return true;
  // Read until the driver is drained (a short read), not only what it held when
  // asked: bytes arriving meanwhile come along without another wake-up.
  for (bool first = true;; first = false) {
    if (Hold.Len > 0) _PushHeld(Got);
    // Each read asks for all the driver may have, so that one call takes a whole
    // line buffer: straight into the queue when that fits there without wrapping
    // and nothing is held, otherwise into the hold, which the queue takes from as
    // it makes room. A partial read would leave a sliver in the driver, and the
    // driver refills its line buffer only once that is read.
    std::uint8_t* span = nullptr;
    const int free = FInQueue->FreeSpan(&span);
    const bool inPlace = Hold.Len == 0 && free >= kLineBuffer;
    if (!inPlace && Hold.Off + Hold.Len > kHoldSize - kLineBuffer) {
      if (Hold.Len <= kHoldSize - kLineBuffer) {
        Hold.Compact();
      } else {
        // Neither the queue nor the hold takes a line buffer. Bytes were just
        // queued: the consumer hears of them before any wait for room.
        if (!first) {
          More = true;
          return true;
        }
        // Leave the bytes in the driver until the consumer makes room (a full
        // queue with nothing waiting in the driver is no stall).
        COMSTAT stat;
        if (!ClearCommError(Port, nullptr, &stat) || stat.cbInQue == 0) return true;
        if (_AwaitRoom()) continue;
        // Both sides swap the stall flag (see _WakeStalledReader).
        FRxStalled.exchange(true, std::memory_order_acq_rel);
        if (FInQueue->fGetRemain() == 0) {
          // No more reads until the consumer makes room and sets FRxSpace.
          SetCommMask(Port, Mask & ~EV_RXCHAR);
          return false;
        }
        FRxStalled.exchange(false, std::memory_order_acq_rel);
        continue;
      }
    }
    std::lock_guard<std::mutex> lock(FRxQueueLock);
    Hold.DropIfPurged(FRxPurges.load(std::memory_order_relaxed));
    const int start = Hold.Off + Hold.Len;
    std::uint8_t* const into = inPlace ? span : Hold.Data + start;
    const DWORD want = static_cast<DWORD>(inPlace ? std::min(free, ReadPiece) : kHoldSize - start);
    DWORD got = 0;
    if (!ReadFile(Port, into, want, &got, nullptr) || got == 0) break;  // errors come as events
    More = got >= static_cast<DWORD>(kLineBuffer / 2);
    if (inPlace) {
      FInQueue->Commit(static_cast<int>(got));
      Got += got;
    } else {
      Hold.Len += static_cast<int>(got);
      _QueueHeld(Got);
      const int from = std::max(start, Hold.Off);
      if ((Mask & EV_RXFLAG) && Hold.Len > 0 && Hold.Off + Hold.Len > from) {
        if (const void* last = memrchr(Hold.Data + from, FRxEvtChar, static_cast<size_t>(Hold.Off + Hold.Len - from)))
          Hold.FlagEnd = static_cast<int>(static_cast<const std::uint8_t*>(last) - Hold.Data) + 1;
      }
    }
    if (got < want) break;
  }
  return true;
}

void TNimboComm::_WriteThread(TWorker& Ctl) {
  const HANDLE port = FHandle;
  const HANDLE waits[2] = {FStopWriter, FWriteRequest};
  // What is queued goes to the driver in one call: the piece holds the whole queue.
  std::vector<std::uint8_t> piece(static_cast<size_t>(std::max<int>(WritePiece, FOutQueue->Size())));
  DWORD length = 0, sent = 0;
  // Held from taking bytes off the queue until they are sent and the queue is
  // empty (see FTxLock); released on every way out.
  std::unique_lock<std::mutex> tx(FTxLock, std::defer_lock);
  while (Ctl.Run.load(std::memory_order_acquire)) {
    // Waits only when nothing was asked for since the last round (see _RequestWrite).
    const int idle = sent < length ? kWriterHolding : kWriterIdle;
    if (FWriterState.exchange(idle, std::memory_order_acq_rel) != kWriterAsked) {
      DWORD r = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
      if (!Ctl.Run.load(std::memory_order_acquire) || r != WAIT_OBJECT_0 + 1) break;
      ResetEvent(FWriteRequest);
    }
    // Taking the mark also makes the bytes queued before it visible here.
    FWriterState.exchange(kWriterBusy, std::memory_order_acq_rel);
    // Send until the queue is empty; wait for the driver only when it is full.
    for (;;) {
      if (sent < length) {
        DWORD n = 0;
        if (!WriteFile(port, piece.data() + sent, length - sent, &n, nullptr)) break;  // retried on the next request
        sent += n;
        if (sent < length) {
          DWORD w = WaitCommWritable(port, 1, &FStopWriter, INFINITE);
          if (w != WAIT_OBJECT_0 + 1) return;  // stopped (or the wait itself failed)
          // The driver takes more now: the unsent rest and what was queued
          // meanwhile go in one call, not the rest alone.
          if (tx.owns_lock() && length < piece.size()) {
            std::memmove(piece.data(), piece.data() + sent, length - sent);
            length -= sent;
            sent = 0;
            length += static_cast<DWORD>(
                FOutQueue->Out(piece.data() + length, static_cast<int>(piece.size() - length)));
          }
        }
        continue;
      }
      // A Write sending by itself queues what the driver did not take and
      // signals afterwards: nothing is left behind by waiting for that signal.
      if (!tx.owns_lock() && !tx.try_lock()) break;
      length = static_cast<DWORD>(FOutQueue->Out(piece.data(), static_cast<int>(piece.size())));
      sent = 0;
      if (length == 0) {
        tx.unlock();
        break;
      }
    }
  }
}
