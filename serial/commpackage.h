#pragma once
// TCommPackage: packages over the byte stream of one TNimboComm port. Three
// framings: head/tail frames with a control byte escaping the marks (cptFrameHeadTail,
// and cptCompatiblePkg, which exchanges whole records with the caller), and frames
// ended by PackageInterval ms of silence on the line (cptFrameTimeout). Received
// packages and packages to send wait in two fixed-size record queues.
//
// Threads: the layer decodes in the port's reader thread (its hook sits in front of
// the port's OnCommNotify), ends silence-framed packages in a timer thread of its
// own, and feeds the next encoded frame to the port from the caller's WritePackage
// and from the reader on each transmit-empty event. The receive side (decoder,
// frame being assembled, reading the port) and the transmit side (the pump, the
// frame being sent) each run under a mutex, so the setters, purges and the
// activation switch may be called from the caller's thread while those threads
// run. OnPackage is called without any lock held, from the reader or timer thread.
// Create and free the layer while its port is closed: the hook is swapped into the
// port's OnCommNotify, which the reader thread calls.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/core/object.h"
#include "platform/win32/handles.h"
#include "serial/framecodec.h"
#include "serial/nimbocomm.h"

enum class TCommPackageType { cptCompatiblePkg, cptFrameHeadTail, cptFrameTimeout };
using enum TCommPackageType;
DTU_DECLARE_ENUM(TCommPackageType)

// A ring of fixed-size records for one producer thread and one consumer thread,
// without a lock: it holds at most QSize - 1 records; the producer alone moves the
// write index and the consumer alone the read index (published with release
// ordering, read with acquire). A record is a 32-bit length followed by data; the
// queue copies PkgSize bytes per record whatever the length says.
class TCommPackageQueue {
public:
  TCommPackageQueue(std::uint32_t QSize, std::uint32_t PkgSize);
  virtual ~TCommPackageQueue() = default;
  TCommPackageQueue(const TCommPackageQueue&) = delete;
  TCommPackageQueue& operator=(const TCommPackageQueue&) = delete;

  // Replaces the storage with max(QSize, 2) records of max(PkgSize, 32) bytes,
  // empty. Raises ENimboCommError 1 (the old storage stays) when it cannot be had
  // or would exceed 1 GiB.
  // Neither side may use the queue meanwhile.
  void SetQueue(std::uint32_t QSize, std::uint32_t PkgSize);
  void fSetQSize(std::uint32_t N) { SetQueue(N, FPkgSize); }
  void fSetPkgSz(std::uint32_t N) { SetQueue(FQSize, N); }
  std::uint32_t QSize() const { return FQSize; }
  std::uint32_t PkgSize() const { return FPkgSize; }

  // Producer: copies PkgSize bytes of Record in; 0 when full or without storage.
  int In(const void* Record);
  // Consumer: copies the oldest record (PkgSize bytes) out and removes it; 0 when empty.
  int Out(void* Record);
  // Consumer: copies the record Index places after the oldest without removing it;
  // 0 when there is no such record.
  int Read(void* Record, std::uint32_t Index) const;
  // Empties the queue; neither side may use it meanwhile.
  void Clear();
  std::uint32_t fGetCount() const;
  std::uint32_t fGetRemain() const;
  bool fIsValid() const { return FStorage != nullptr; }
  // Frees the storage (In and Out then take nothing).
  void fRemoveQueue();

private:
  std::unique_ptr<std::uint8_t[]> FStorage;
  std::atomic<std::uint32_t> FRead{0};
  std::atomic<std::uint32_t> FWrite{0};
  std::uint32_t FQSize = 2;
  std::uint32_t FPkgSize = 32;
};

class TCommPackage : public TObject {
  DTU_CLASS(TCommPackage, TObject)
public:
  // Sender, bits: see the bit constants below; other bits are the port's events.
  using TPackageNotifyEvent = std::function<void(TObject* Sender, DWORD Bits)>;
  // At least one received package waits.
  static constexpr DWORD PackageReceived = 1;
  // Everything queued for sending has been handed to the port (after a
  // transmit-empty event).
  static constexpr DWORD PackagesSent = 4;
  // Bytes read from the port at a time.
  static constexpr int ReadPiece = 2048;

  explicit TCommPackage(TNimboComm* Comm);
  ~TCommPackage() override;

  // Takes a received package. cptCompatiblePkg: one whole record (32-bit length,
  // then PackageSize data bytes) into Buffer, returns 1 (0 when none waits or when a
  // non-zero Size is smaller than a record; Size 0 means Buffer holds a record).
  // Other types: with Buffer and Size, copies min(Size, length) data bytes of the
  // oldest package and drops the package, returning the count; with Size 0 or no
  // Buffer only returns the oldest package's length. 0 while inactive.
  virtual DWORD ReadPackage(void* Buffer, DWORD Size);
  // Queues a package for sending. cptCompatiblePkg: Buffer is a whole record (Size
  // 0, or at least a record's size), data cut to PackageSize; returns 1, or 0 when
  // the queue is full. Other types: min(Size, PackageSize) bytes; returns that count,
  // or 0 (nothing sent) for Size 0 or a full queue. 0 while inactive.
  virtual DWORD WritePackage(const void* Buffer, DWORD Size);
  // Drop every received package, the partial frame and the port's received bytes
  // (PurgeRead), or every queued package, the unsent rest of the current frame and
  // the port's unsent bytes (PurgeWrite). Only while active.
  virtual void PurgeRead();
  virtual void PurgeWrite();
  // Calls OnPackage (Sender = the layer) when assigned.
  virtual void CallNotify(DWORD Bits);

  bool Active() const { return FActive.load(std::memory_order_acquire); }
  // Every switch empties both queues and forgets partial frames.
  void fSetActive(bool Value);
  std::uint32_t QueueSize() const { return FQueueSize.load(std::memory_order_acquire); }
  void fSetQSize(std::uint32_t Value);
  std::uint32_t PackageSize() const { return FPackageSize.load(std::memory_order_acquire); }
  void fSetPkgSz(std::uint32_t Value);
  TCommPackageType PackageType() const { return FPackageType.load(std::memory_order_acquire); }
  void fSetPkgType(TCommPackageType Value);
  std::uint32_t PackageInterval() const { return FPackageInterval.load(std::memory_order_acquire); }
  void fSetPkgInterval(std::uint32_t Ms);
  bool DoubleFrameMark() const { return FDoubleFrameMark.load(std::memory_order_acquire); }
  void fSetDblFrameMark(bool Value) { FDoubleFrameMark.store(Value, std::memory_order_release); }
  std::uint8_t FrameHead() const { return FHead.load(std::memory_order_acquire); }
  void SetFrameHead(std::uint8_t Value) { FHead.store(Value, std::memory_order_release); }
  std::uint8_t FrameTail() const { return FTail.load(std::memory_order_acquire); }
  void SetFrameTail(std::uint8_t Value) { FTail.store(Value, std::memory_order_release); }
  std::uint8_t FrameCtrl() const { return FCtrl.load(std::memory_order_acquire); }
  void SetFrameCtrl(std::uint8_t Value) { FCtrl.store(Value, std::memory_order_release); }
  TNimboComm* Comm() const { return FComm; }
  // Packages waiting to be read / to be sent (any thread).
  std::uint32_t ReceivedCount();
  std::uint32_t QueuedCount();

  // Set while the port is closed (the reader and timer threads call it).
  TPackageNotifyEvent OnPackage;

private:
  void fNewCommNotify(TObject* Sender, DWORD Mask);
  bool _ReadHeadTailPackage();
  bool _ReadTimeoutPackage();
  void _WritePackage();  // the pump; FTxLock held
  bool _AllHandedOver();  // FTxLock held
  void _TimerThread();
  void _StartTimerThread();
  void _Resize(std::uint32_t QSize, std::uint32_t PkgSize);
  void _MakeBuffers(std::uint32_t QSize, std::uint32_t PkgSize);
  void _ResetLocked();  // both locks held
  TFrameMarks _Marks() const { return TFrameMarks{FrameHead(), FrameTail(), FrameCtrl()}; }

  std::atomic<bool> FActive{false};
  // The queues and frame buffers are made with the first activation (set under
  // both locks, never cleared): most programs make the layer at start and many
  // never activate it. Until then the queues are null and nothing reads them.
  std::atomic<bool> FBuffersMade{false};
  std::atomic<bool> FDoubleFrameMark{false};
  TNimboComm* FComm;
  TNimboComm::TCommNotifyEvent FSavedNotify;
  std::atomic<std::uint32_t> FQueueSize{16};
  std::atomic<std::uint32_t> FPackageSize{4096};  // changed under both locks
  std::atomic<TCommPackageType> FPackageType{cptFrameTimeout};
  std::atomic<std::uint8_t> FHead{0xEB};
  std::atomic<std::uint8_t> FTail{0xEE};
  std::atomic<std::uint8_t> FCtrl{0xEC};
  std::atomic<std::uint32_t> FPackageInterval{50};

  // Receive side, under FRxLock: the queue's producer end, the decoder, the
  // silence-framed package being assembled and its length, a record to build in.
  std::mutex FRxLock;
  std::unique_ptr<TCommPackageQueue> FRxQueue;
  TFrameDecoder FDecoder;
  std::vector<std::uint8_t> FRxFrame;
  std::uint32_t FRxLength = 0;
  std::vector<std::uint8_t> FRxRecord;
  std::vector<std::uint8_t> FReadRecord;  // the consumer's record (ReadPackage)

  // Transmit side, under FTxLock: the queue's consumer end, the frame being sent
  // and how much of it the port took, the record taken from the queue.
  std::mutex FTxLock;
  std::unique_ptr<TCommPackageQueue> FTxQueue;
  std::vector<std::uint8_t> FEncoded;
  std::uint32_t FEncodedLength = 0;
  std::uint32_t FSendPos = 0;
  std::vector<std::uint8_t> FTxStage;
  std::vector<std::uint8_t> FWriteRecord;  // the producer's record (WritePackage)
  bool FTxPurging = false;                 // the port's transmit side is being purged

  std::mutex FTimerStart;
  HANDLE FTimerThread = nullptr;  // started by the first activation
  HANDLE FTimerEvent = nullptr;
  std::atomic<bool> FTimerRun{true};
};
