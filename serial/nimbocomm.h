#pragma once
// TNimboComm: one serial port with a receive and a transmit byte queue and two
// worker threads. The reader waits for port events, moves received bytes into the
// receive queue and passes every event on through CommNotify (in its own thread);
// the writer drains the transmit queue to the port, all that is queued in one call
// when the driver takes it. Read and Write only touch the queues (a Write finding
// the queue empty and the writer idle hands its bytes to the driver itself) and
// never wait.
//
// Threads: properties, Read, Write, Command, the purges, Open and Close belong to
// one caller thread at a time. Notification handlers run in the reader thread and
// may call Read, Write, Command, the purges and Close (which then does not wait
// for the reader it runs in); CommNotify is never entered by two threads at once.
// Read and the purges may run in two threads at once: no byte received before a
// purge is read after it. Open, Close and the transmit purge may too: one waits
// for the other, except a handler whose reader is being stopped by a Close or a
// receive queue resize in another thread, which returns at once and leaves the
// closing or the transmit purge to that thread.
//
// Close from another thread stops both workers and waits for them to end, without
// a time limit: a handler that blocks keeps Close (and the destructor) waiting until
// it returns. A worker is never abandoned, so Close never fails with the codes of a
// thread that would not stop (13, 14). A handler must not free the port object, nor
// a device component that owns it: the reader would return into freed memory. To
// get rid of a port from its handler, Close it there and free it from another
// thread (for example a message posted to the main thread).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/object.h"
#include "platform/win32/comm.h"
#include "serial/commerror.h"
#include "serial/commqueue.h"

class TNimboComm : public TObject {
  DTU_CLASS(TNimboComm, TObject)
public:
  // Flow control, numbered as the modem's "&K" setting that InitModem sends.
  enum class TFlowControl : int {
    fcNone = 0,
    fcRtsCts = 3,
    fcXonXoff = 4,
    fcTransparentXonXoff = 5,  // same line settings as fcXonXoff
    fcRtsCtsXonXoff = 6,
  };
  using enum TFlowControl;
  // Sender, event mask.
  using TCommNotifyEvent = std::function<void(TObject* Sender, DWORD Mask)>;

  static constexpr const char* Str_ResetModem = "ATZ\r";
  static constexpr const char* Fmt_InitModem = "ATE0&K%dS0=%d\r";
  // Events the reader asks for: with DataOnly, and otherwise. Break events are
  // not asked for, so none reaches OnCommNotify.
  static constexpr DWORD DataOnlyEvents = EV_RXCHAR | EV_TXEMPTY | EV_ERR;  // 0x85
  static constexpr DWORD AllEvents = EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY | EV_CTS | EV_DSR |
                                     EV_RLSD | EV_ERR | EV_RING | EV_RX80FULL;  // 0x5BF
  // Sent through CommNotify when the port opens and when it closes.
  static constexpr DWORD ModemLineEvents = EV_CTS | EV_DSR | EV_RLSD;  // 0x38
  // The reader takes up to ReadPiece bytes a call (the receive queue's default
  // size); the writer hands the driver all that is queued, at least WritePiece.
  static constexpr int ReadPiece = 8192;
  static constexpr int WritePiece = 512;

  TNimboComm();
  ~TNimboComm() override;

  // Takes up to Size received bytes; returns at once with 0..Size.
  virtual int Read(void* Buffer, int Size);
  // Queues up to Size bytes for sending and returns how many were taken (fewer
  // when the queue is nearly full: the rest stays the caller's); 0 while
  // DisableWrite is set.
  virtual int Write(const void* Buffer, int Size);
  // Queues a zero-terminated text, whatever DisableWrite says.
  virtual void Command(const char* Text);
  // Open port only: flushes the driver's receive side and drops the queued bytes.
  virtual void PurgeRead(bool Abort);
  // Flushes the driver's transmit side and drops the queued and unsent bytes.
  virtual void PurgeWrite(bool Abort);
  virtual void ResetModem();
  virtual void InitModem();
  // SETDTR, CLRDTR, SETRTS, CLRRTS, ...: false when closed or when the line has no
  // such function (pseudo-terminals).
  virtual bool EscapeCommFunction(DWORD Func);
  // Raises ENimboCommError with the failing step's code; a failed Open ends closed.
  virtual void Open();
  virtual void Close();
  virtual void CommNotify(DWORD Mask);
  virtual void CommAfterOpen();
  virtual void CommBeforeClose();

  // Properties. Setters marked "closes" close an open port and leave it closed.
  HANDLE Handle() const { return FHandle; }
  void fSetHandle(HANDLE Value);                  // closes; a handle opened by the caller
  bool Active() const { return FActive.load(std::memory_order_acquire); }
  void fSetActive(bool Value);
  bool DisableWrite() const { return FDisableWrite.load(std::memory_order_acquire); }
  void fSetDisableWrite(bool Value) { FDisableWrite.store(Value, std::memory_order_release); }
  bool DTR() const;
  void fSetDTR(bool Value);
  bool RTS() const;
  void fSetRTS(bool Value);
  DWORD ModemStatus() const { return FModemStatus.load(std::memory_order_acquire); }
  bool CTS() const { return ModemStatus() & MS_CTS_ON; }
  bool DSR() const { return ModemStatus() & MS_DSR_ON; }
  bool RING() const { return ModemStatus() & MS_RING_ON; }
  bool RLSD() const { return ModemStatus() & MS_RLSD_ON; }
  bool DataOnly() const { return FDataOnly; }
  void fSetDataOnly(bool Value);                  // closes
  int PortNo() const { return FPortNo; }
  void fSetPort(int Value);                       // closes
  const std::string& PortName() const { return FPortName; }
  void fSetPortName(const std::string& Value);    // closes (not for an empty name)
  int HwInSize() const { return FHwInSize; }
  int HwOutSize() const { return FHwOutSize; }
  void fSetHwInSize(int Value) { fSetHwBufSize(Value, FHwOutSize); }
  void fSetHwOutSize(int Value) { fSetHwBufSize(FHwInSize, Value); }
  void fSetHwBufSize(int InSize, int OutSize);    // closes
  std::uint8_t AutoAnswer() const { return FAutoAnswer; }
  void fSetAAns(std::uint8_t Value) { FAutoAnswer = Value; }
  int InBufSize() const { return FInQueue->Size(); }
  void fSetInBufSize(int Value);                  // discards the queued bytes
  int OutBufSize() const { return FOutQueue->Size(); }
  void fSetOutBufSize(int Value);                 // discards the queued bytes
  TFlowControl FlowControl() const;
  void fSetFCtrl(TFlowControl Value);             // closes
  DWORD Baud() const { return FDcb.BaudRate; }
  void fSetBaud(DWORD Value);                     // closes
  BYTE Parity() const { return FDcb.Parity; }
  void fSetParity(BYTE Value);                    // closes; NOPARITY..SPACEPARITY
  BYTE ByteSize() const { return FDcb.ByteSize; }
  void fSetByteSize(BYTE Value);                  // closes
  BYTE StopBits() const { return FDcb.StopBits; }
  void fSetStopBits(BYTE Value);                  // closes; ONESTOPBIT..TWOSTOPBITS
  const DCB& Dcb() const { return FDcb; }
  TCommQueue& InQueue() { return *FInQueue; }
  TCommQueue& OutQueue() { return *FOutQueue; }

  TCommNotifyEvent OnCommNotify;
  TNotifyEvent AfterOpen;
  TNotifyEvent BeforeClose;

private:
  struct TWorker;
  class TLifeGuard;
  void _CloseForSetting();
  bool _CreateEvents();
  bool _StartReader();
  bool _StartWriter();
  // Stops and joins the chosen workers (a reader stopping itself is left to end on
  // its own and joined later); returns 13/14 when a join failed.
  ENimboCommError::TErrorCode _StopWorkers(bool Reader, bool Writer);
  void _ReapFinishedReaders();
  void _ReadThread(TWorker& Ctl);
  // Got adds the bytes queued; More says the last read took at least half of the
  // line discipline's buffer (kLineBuffer bytes): a stream, more is likely waiting.
  // Returns false when the reader stalls on a full queue (EV_RXCHAR masked off).
  bool _ReceiveBytes(HANDLE Port, DWORD Mask, DWORD& Got, bool& More);
  // Queues what of the held bytes fits (FRxQueueLock held); drops them when a
  // purge came since they were read.
  void _QueueHeld(DWORD& Got);
  // The same, taking the lock; true when none is left.
  bool _PushHeld(DWORD& Got);
  // EV_RXCHAR, with EV_RXFLAG when the held event character it was owed went in.
  DWORD _QueuedEvents();
  bool _AwaitRoom() const;
  static constexpr int kLineBuffer = 4096;
  // Bytes read ahead of the queue: two line buffers, so that the driver goes on
  // filling while the consumer is slow to take what it was told of.
  static constexpr int kHoldSize = 2 * kLineBuffer;
  // Bytes read ahead of the receive queue, waiting for room there (see
  // _ReceiveBytes). The reader's alone while it runs; kept when it is restarted
  // (a queue resize) and across Close and Open, as the queue's bytes are.
  struct TRxHold {
    std::uint8_t Data[kHoldSize];
    int Off = 0;  // the held bytes are Data[Off, Off + Len); Off is 0 whenever Len is
    int Len = 0;
    unsigned Purges = 0;  // FRxPurges when they were read
    // Just past the last event character among them (0: none). EV_RXFLAG, which
    // the port reports once the character is read, is held back while it is
    // here (FlagOwed) and sent with the EV_RXCHAR of its queueing (FlagDue).
    int FlagEnd = 0;
    bool FlagOwed = false;
    bool FlagDue = false;
    void Take(int N);  // the first N went into the queue
    void DropIfPurged(unsigned PurgesNow);  // held bytes read before a purge go
    void Compact();
  };
  TRxHold FRxHold;
  char FRxEvtChar = 0;  // the port's event character, taken by the reader as it starts
  // How long the reader watches a full queue for room before it stalls, in
  // microseconds: a little more than a line buffer takes to arrive through a
  // pseudo-terminal (about 30 us).
  static constexpr int kRoomSpinUs = 50;
  // Reads in a row without waiting for the port while More holds.
  static constexpr int kRxRunMax = 16;
  void _WriteThread(TWorker& Ctl);
  void _WakeStalledReader();
  void _RequestWrite();

  HANDLE FHandle = INVALID_HANDLE_VALUE;
  DCB FDcb{};
  bool FOutsideHandle = false;
  std::atomic<bool> FActive{false};
  std::atomic<bool> FDisableWrite{false};
  std::atomic<bool> FDTRState{true};
  std::atomic<bool> FRTSState{true};
  bool FDataOnly = false;
  int FPortNo = 2;
  std::string FPortName = "COM2";
  int FHwInSize = 1200;
  int FHwOutSize = 1200;
  std::uint8_t FAutoAnswer = 0;
  TCommQueue* FInQueue;
  TCommQueue* FOutQueue;
  std::atomic<DWORD> FModemStatus{0};

  // Workers: thread handles and their run state (shared with the thread, which
  // may outlive this object's interest in it when it closed its own port).
  HANDLE FReaderThread = nullptr;
  HANDLE FWriterThread = nullptr;
  std::shared_ptr<TWorker> FReader;
  std::shared_ptr<TWorker> FWriter;
  std::vector<HANDLE> FFinishedReaders;  // readers that closed their own port
  // Wake-up events, made by the first Open and kept to the end so that a Write
  // racing a Close never signals a closed descriptor.
  HANDLE FStopReader = nullptr;
  HANDLE FRxSpace = nullptr;      // the reader stalled on a full receive queue may go on
  HANDLE FWriteRequest = nullptr;
  HANDLE FStopWriter = nullptr;
  std::atomic<bool> FRxStalled{false};
  // No byte read before PurgeRead reaches the queue after it: the reader reads and
  // queues, and PurgeRead purges and empties, holding FRxQueueLock; bytes the reader
  // holds for room are dropped once FRxPurges has moved on since their read.
  std::mutex FRxQueueLock;
  std::atomic<unsigned> FRxPurges{0};
  // The receive queue's consumer side: Read and PurgeRead, whatever threads they
  // run in. The queue itself allows one consumer, and a purge that moved its read
  // index under a Read in progress would be undone by that Read.
  std::mutex FRxReadLock;
  // Open, Close, the transmit purge and the queue resizes start and stop the
  // workers and open and close the handle: one thread at a time (TLifeGuard).
  // FLifeDepth counts the owner's nested entries (a hook of Open calling Close).
  std::mutex FLifeLock;
  std::condition_variable FLifeFree;
  std::thread::id FLifeOwner;
  int FLifeDepth = 0;
  // A transmit purge that a handler could not finish because its reader was being
  // stopped: the transmit queue is emptied before a writer next takes from it.
  std::atomic<bool> FTxPurgeOwed{false};
  // Likewise a Close: the thread that stopped the reader closes the port (Close
  // itself, or a receive queue resize once it is done).
  std::atomic<bool> FCloseOwed{false};
  void _ApplyOwedTxPurge();
  // Transmission: whoever sends holds FTxLock, the writer thread from taking bytes
  // off the queue until it has sent them and found the queue empty, a caller of
  // Write while it hands its bytes to the driver itself. A Write finding the queue
  // empty and the writer idle sends at once, without waking the writer;
  // FDirectWrite says the port and its writer are there for that.
  std::mutex FTxLock;
  std::atomic<bool> FDirectWrite{false};
  // The writer's state for requests: busy sending; waiting for FWriteRequest with
  // nothing unsent (idle) or with a piece to retry (holding); or asked while busy.
  // Only a request finding it waiting sets the event, so a busy writer is not
  // woken for nothing by every Write.
  enum : int { kWriterBusy, kWriterIdle, kWriterHolding, kWriterAsked };
  std::atomic<int> FWriterState{kWriterBusy};
};
