#include "serial/commpackage.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <new>

#include "platform/core/typinfo.h"
#include "platform/win32/comm.h"

DTU_DEFINE_ENUM(TCommPackageType, "cptCompatiblePkg", "cptFrameHeadTail", "cptFrameTimeout")

namespace {

constexpr std::uint32_t kLengthSize = 4;
// More than this for one queue is refused like a failed allocation: a queue that
// big is a setting gone wrong, and the system would only fail later, touching it.
constexpr std::uint64_t kMaxQueueStorage = std::uint64_t(1) << 30;

std::uint32_t RecordLength(const std::uint8_t* Record) {
  std::uint32_t n;
  std::memcpy(&n, Record, kLengthSize);
  return n;
}

// Fills a record of RecordSize bytes: the length, the data, zeros after it.
void MakeRecord(std::uint8_t* Record, std::size_t RecordSize, const std::uint8_t* Data, std::uint32_t N) {
  std::memcpy(Record, &N, kLengthSize);
  if (N) std::memcpy(Record + kLengthSize, Data, N);
  std::memset(Record + kLengthSize + N, 0, RecordSize - kLengthSize - N);
}

int ClampToInt(std::size_t N) { return static_cast<int>(std::min<std::size_t>(N, INT_MAX)); }

}  // namespace

// ---------------------------------------------------------------------------
// TCommPackageQueue
// ---------------------------------------------------------------------------

TCommPackageQueue::TCommPackageQueue(std::uint32_t QSize, std::uint32_t PkgSize) { SetQueue(QSize, PkgSize); }

void TCommPackageQueue::SetQueue(std::uint32_t QSize, std::uint32_t PkgSize) {
  QSize = std::max<std::uint32_t>(QSize, 2);
  PkgSize = std::max<std::uint32_t>(PkgSize, 32);
  if (std::uint64_t(QSize) * PkgSize > kMaxQueueStorage) throw ENimboCommError(ENimboCommError::ecOutOfMemory);
  std::unique_ptr<std::uint8_t[]> storage(new (std::nothrow) std::uint8_t[std::size_t(QSize) * PkgSize]);
  if (!storage) throw ENimboCommError(ENimboCommError::ecOutOfMemory);
  FStorage = std::move(storage);
  FQSize = QSize;
  FPkgSize = PkgSize;
  Clear();
}

int TCommPackageQueue::In(const void* Record) {
  if (!FStorage || !Record) return 0;
  const std::uint32_t w = FWrite.load(std::memory_order_relaxed);
  const std::uint32_t next = (w + 1) % FQSize;
  if (next == FRead.load(std::memory_order_acquire)) return 0;
  std::memcpy(FStorage.get() + std::size_t(w) * FPkgSize, Record, FPkgSize);
  FWrite.store(next, std::memory_order_release);
  return 1;
}

int TCommPackageQueue::Out(void* Record) {
  if (!Read(Record, 0)) return 0;
  FRead.store((FRead.load(std::memory_order_relaxed) + 1) % FQSize, std::memory_order_release);
  return 1;
}

int TCommPackageQueue::Read(void* Record, std::uint32_t Index) const {
  if (!FStorage || !Record || Index >= fGetCount()) return 0;
  const std::uint32_t slot = static_cast<std::uint32_t>((std::uint64_t(FRead.load(std::memory_order_relaxed)) + Index) % FQSize);
  std::memcpy(Record, FStorage.get() + std::size_t(slot) * FPkgSize, FPkgSize);
  return 1;
}

void TCommPackageQueue::Clear() {
  FRead.store(0, std::memory_order_relaxed);
  FWrite.store(0, std::memory_order_release);
}

std::uint32_t TCommPackageQueue::fGetCount() const {
  const std::uint32_t w = FWrite.load(std::memory_order_acquire);
  const std::uint32_t r = FRead.load(std::memory_order_acquire);
  return static_cast<std::uint32_t>((std::uint64_t(w) + FQSize - r) % FQSize);
}

std::uint32_t TCommPackageQueue::fGetRemain() const { return FQSize - 1 - fGetCount(); }

void TCommPackageQueue::fRemoveQueue() {
  FStorage.reset();
  Clear();
}

// ---------------------------------------------------------------------------
// TCommPackage
// ---------------------------------------------------------------------------

const TClassInfo& TCommPackage::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCommPackage>("TCommPackage", &inherited::StaticClass()).Build();
  return info;
}

TCommPackage::TCommPackage(TNimboComm* Comm) : FComm(Comm) {
  FTimerEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!FTimerEvent) throw EOutOfResources("Cannot create the package timer event");
  FSavedNotify = std::move(FComm->OnCommNotify);
  FComm->OnCommNotify = [this](TObject* Sender, DWORD Mask) { fNewCommNotify(Sender, Mask); };
}

TCommPackage::~TCommPackage() {
  FComm->OnCommNotify = std::move(FSavedNotify);
  FTimerRun.store(false, std::memory_order_release);
  SetEvent(FTimerEvent);
  if (FTimerThread) CloseHandle(FTimerThread);  // joins
  CloseHandle(FTimerEvent);
}

// The timer thread has work only while the layer is active (it frames packages by
// silence then); it starts with the first activation, not with the layer, which
// most programs make at start and may never activate.
void TCommPackage::_StartTimerThread() {
  std::lock_guard<std::mutex> lock(FTimerStart);
  if (FTimerThread) return;
  FTimerThread = BeginThread([this] { _TimerThread(); });
  if (!FTimerThread) throw EOutOfResources("Cannot create the package timer thread");
}

// Before the first activation only the sizes are kept (refused past the limit the
// queues apply); after it, the buffers are made anew.
void TCommPackage::_Resize(std::uint32_t QSize, std::uint32_t PkgSize) {
  if (PkgSize > std::numeric_limits<std::uint32_t>::max() - kLengthSize)
    throw ENimboCommError(ENimboCommError::ecOutOfMemory);
  if (FBuffersMade.load(std::memory_order_acquire)) {
    _MakeBuffers(QSize, PkgSize);
    SetEvent(FTimerEvent);
    return;
  }
  const std::uint64_t records = std::max<std::uint32_t>(QSize, 2);
  const std::uint64_t record = std::max<std::uint32_t>(PkgSize + kLengthSize, 32);
  if (records * record > kMaxQueueStorage) throw ENimboCommError(ENimboCommError::ecOutOfMemory);
  {
    std::scoped_lock lock(FRxLock, FTxLock);
    FQueueSize.store(QSize, std::memory_order_release);
    FPackageSize.store(PkgSize, std::memory_order_release);
  }
  if (FTimerEvent) SetEvent(FTimerEvent);
}

// Makes every buffer for the new sizes first, so a failure changes nothing.
void TCommPackage::_MakeBuffers(std::uint32_t QSize, std::uint32_t PkgSize) {
  auto rx = std::make_unique<TCommPackageQueue>(QSize, PkgSize + kLengthSize);
  auto tx = std::make_unique<TCommPackageQueue>(QSize, PkgSize + kLengthSize);
  const std::size_t record = rx->PkgSize();  // every record exchanged with a queue has its size
  std::vector<std::uint8_t> rxFrame, rxRecord, readRecord, encoded, txStage, writeRecord;
  TFrameDecoder decoder(0);
  try {
    rxFrame.resize(PkgSize);
    rxRecord.resize(record);
    readRecord.resize(record);
    encoded.resize(MaxEncodedSize(PkgSize));
    txStage.resize(record);
    writeRecord.resize(record);
    decoder.SetMaxSize(PkgSize);
  } catch (const std::bad_alloc&) {
    throw ENimboCommError(ENimboCommError::ecOutOfMemory);
  } catch (const std::length_error&) {
    throw ENimboCommError(ENimboCommError::ecOutOfMemory);
  }
  {
    std::scoped_lock lock(FRxLock, FTxLock);
    FQueueSize.store(QSize, std::memory_order_release);
    FPackageSize.store(PkgSize, std::memory_order_release);
    FRxQueue = std::move(rx);
    FTxQueue = std::move(tx);
    FRxFrame = std::move(rxFrame);
    FRxRecord = std::move(rxRecord);
    FReadRecord = std::move(readRecord);
    FEncoded = std::move(encoded);
    FTxStage = std::move(txStage);
    FWriteRecord = std::move(writeRecord);
    FDecoder = std::move(decoder);
    FBuffersMade.store(true, std::memory_order_release);
    _ResetLocked();
  }
  // The callers wake the timer once the change is complete (an activation only
  // after it is active), so it makes one pass for one change.
}

void TCommPackage::_ResetLocked() {
  FDecoder.Reset();
  FRxLength = 0;
  FSendPos = 0;
  FEncodedLength = 0;
  if (FRxQueue) FRxQueue->Clear();
  if (FTxQueue) FTxQueue->Clear();
}

void TCommPackage::fSetActive(bool Value) {
  if (Value && !FBuffersMade.load(std::memory_order_acquire)) _MakeBuffers(QueueSize(), PackageSize());
  if (Value) _StartTimerThread();
  {
    std::scoped_lock lock(FRxLock, FTxLock);
    FActive.store(Value, std::memory_order_release);
    _ResetLocked();
  }
  SetEvent(FTimerEvent);
}

void TCommPackage::fSetQSize(std::uint32_t Value) { _Resize(Value, PackageSize()); }

void TCommPackage::fSetPkgSz(std::uint32_t Value) { _Resize(QueueSize(), Value); }

void TCommPackage::fSetPkgType(TCommPackageType Value) {
  {
    std::scoped_lock lock(FRxLock, FTxLock);
    FPackageType.store(Value, std::memory_order_release);
    _ResetLocked();
  }
  SetEvent(FTimerEvent);
}

void TCommPackage::fSetPkgInterval(std::uint32_t Ms) {
  FPackageInterval.store(Ms, std::memory_order_release);
  SetEvent(FTimerEvent);
}

std::uint32_t TCommPackage::ReceivedCount() {
  std::lock_guard<std::mutex> lock(FRxLock);
  return FRxQueue ? FRxQueue->fGetCount() : 0;
}

std::uint32_t TCommPackage::QueuedCount() {
  std::lock_guard<std::mutex> lock(FTxLock);
  return FTxQueue ? FTxQueue->fGetCount() : 0;
}

// ---------------------------------------------------------------------------
// Reading and writing packages
// ---------------------------------------------------------------------------

DWORD TCommPackage::ReadPackage(void* Buffer, DWORD Size) {
  if (!Active()) return 0;
  std::lock_guard<std::mutex> lock(FRxLock);
  const std::uint32_t callerRecord = PackageSize() + kLengthSize;
  std::uint8_t* record = FReadRecord.data();
  if (PackageType() == cptCompatiblePkg) {
    if (!Buffer || (Size != 0 && Size < callerRecord)) return 0;
    if (!FRxQueue->Out(record)) return 0;
    std::memcpy(Buffer, record, callerRecord);
    return 1;
  }
  if (!Buffer || Size == 0) {
    if (!FRxQueue->Read(record, 0)) return 0;
    return std::min(RecordLength(record), PackageSize());
  }
  if (!FRxQueue->Out(record)) return 0;
  const std::uint32_t n = std::min({Size, RecordLength(record), PackageSize()});
  std::memcpy(Buffer, record + kLengthSize, n);
  return n;
}

DWORD TCommPackage::WritePackage(const void* Buffer, DWORD Size) {
  if (!Active() || !Buffer) return 0;
  std::lock_guard<std::mutex> lock(FTxLock);
  const std::uint32_t callerRecord = PackageSize() + kLengthSize;
  std::uint8_t* record = FWriteRecord.data();
  DWORD result;
  if (PackageType() == cptCompatiblePkg) {
    if (Size != 0 && Size < callerRecord) return 0;
    const auto* in = static_cast<const std::uint8_t*>(Buffer);
    MakeRecord(record, FWriteRecord.size(), in + kLengthSize,
               std::min(RecordLength(in), PackageSize()));
    result = 1;
  } else {
    if (Size == 0) return 0;
    result = std::min(Size, PackageSize());
    MakeRecord(record, FWriteRecord.size(), static_cast<const std::uint8_t*>(Buffer), result);
  }
  if (!FTxQueue->In(record)) return 0;
  _WritePackage();
  return result;
}

void TCommPackage::PurgeRead() {
  if (!Active()) return;
  std::lock_guard<std::mutex> lock(FRxLock);
  // Under the receive lock: the decoder is the port queue's other consumer.
  FComm->PurgeRead(false);
  FRxQueue->Clear();
  FDecoder.Reset();
  FRxLength = 0;
}

void TCommPackage::PurgeWrite() {
  if (!Active()) return;
  {
    std::lock_guard<std::mutex> lock(FTxLock);
    FTxQueue->Clear();
    FSendPos = 0;
    FEncodedLength = 0;
    FTxPurging = true;  // the pump hands nothing to the port meanwhile
  }
  struct TDone {
    TCommPackage* Self;
    ~TDone() {
      std::lock_guard<std::mutex> lock(Self->FTxLock);
      Self->FTxPurging = false;
    }
  } done{this};
  // Outside the lock: a port that fails to restart its writer closes itself, which
  // waits for the reader, which may be waiting for the pump.
  FComm->PurgeWrite(false);
}

void TCommPackage::CallNotify(DWORD Bits) {
  if (OnPackage) OnPackage(this, Bits);
}

// The next piece of the current frame, or the next frame, to the port.
void TCommPackage::_WritePackage() {
  if (!Active() || FTxPurging) return;
  if (FSendPos < FEncodedLength) {
    int n = FComm->Write(FEncoded.data() + FSendPos, ClampToInt(FEncodedLength - FSendPos));
    if (n > 0) FSendPos += static_cast<std::uint32_t>(n);
    return;
  }
  std::uint8_t* record = FTxStage.data();
  if (!FTxQueue->Out(record)) return;
  const std::uint32_t n = std::min(RecordLength(record), PackageSize());
  if (PackageType() == cptFrameTimeout) {
    std::memcpy(FEncoded.data(), record + kLengthSize, n);
    FEncodedLength = n;
  } else {
    FEncodedLength = static_cast<std::uint32_t>(
        EncodeFrame(record + kLengthSize, n, _Marks(), DoubleFrameMark(), FEncoded.data()));
  }
  int sent = FComm->Write(FEncoded.data(), ClampToInt(FEncodedLength));
  FSendPos = sent > 0 ? static_cast<std::uint32_t>(sent) : 0;
}

bool TCommPackage::_AllHandedOver() { return FTxQueue->fGetCount() == 0 && FSendPos >= FEncodedLength; }

// ---------------------------------------------------------------------------
// Receiving
// ---------------------------------------------------------------------------

bool TCommPackage::_ReadHeadTailPackage() {
  std::lock_guard<std::mutex> lock(FRxLock);
  if (!Active() || PackageType() == cptFrameTimeout) return false;
  const TFrameMarks marks = _Marks();
  auto deliver = [this](const std::uint8_t* Data, std::uint32_t N) {
    MakeRecord(FRxRecord.data(), FRxRecord.size(), Data, N);
    FRxQueue->In(FRxRecord.data());  // a full queue drops the package
  };
  std::uint8_t buf[ReadPiece];
  for (;;) {
    int n = FComm->Read(buf, ReadPiece);
    if (n <= 0) break;
    FDecoder.Feed(buf, static_cast<std::size_t>(n), marks, deliver);
  }
  return FRxQueue->fGetCount() > 0;
}

// FRxLock held: moves what the port holds into the package being assembled.
bool TCommPackage::_ReadTimeoutPackage() {
  bool any = false;
  std::uint8_t buf[ReadPiece];
  for (;;) {
    int n = FComm->Read(buf, ReadPiece);
    if (n <= 0) break;
    any = true;
    const std::uint32_t take = std::min<std::uint32_t>(static_cast<std::uint32_t>(n), PackageSize() - FRxLength);
    if (take) std::memcpy(FRxFrame.data() + FRxLength, buf, take);
    FRxLength += take;  // bytes beyond PackageSize are dropped
  }
  return any;
}

void TCommPackage::_TimerThread() {
  while (FTimerRun.load(std::memory_order_acquire)) {
    DWORD wait = INFINITE;
    if (Active() && PackageType() == cptFrameTimeout)
      wait = std::clamp<DWORD>(PackageInterval(), 1, INFINITE - 1);  // 0 still waits 1 ms
    WaitForSingleObject(FTimerEvent, wait);
    if (!FTimerRun.load(std::memory_order_acquire)) break;
    bool ended = false;
    {
      std::lock_guard<std::mutex> lock(FRxLock);
      if (Active() && PackageType() == cptFrameTimeout && !_ReadTimeoutPackage() && FRxLength > 0) {
        MakeRecord(FRxRecord.data(), FRxRecord.size(), FRxFrame.data(), FRxLength);
        FRxQueue->In(FRxRecord.data());  // a full queue drops the package
        FRxLength = 0;
        ended = true;
      }
    }
    if (ended) CallNotify(PackageReceived);
  }
}

// ---------------------------------------------------------------------------
// The port hook (reader thread)
// ---------------------------------------------------------------------------

void TCommPackage::fNewCommNotify(TObject* Sender, DWORD Mask) {
  if (Active()) {
    DWORD bits = Mask & ~(EV_RXCHAR | EV_TXEMPTY);
    if ((Mask & EV_RXCHAR) && PackageType() != cptFrameTimeout && _ReadHeadTailPackage())
      bits |= PackageReceived;
    if (Mask & EV_TXEMPTY) {
      std::lock_guard<std::mutex> lock(FTxLock);
      _WritePackage();
      if (Active() && _AllHandedOver()) bits |= PackagesSent;
    }
    if (bits) CallNotify(bits);
  }
  if (FSavedNotify) FSavedNotify(Sender, Mask);
}
