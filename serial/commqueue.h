#pragma once
// TCommQueue: a byte ring for exactly one producer thread and one consumer thread,
// without a lock. It holds at most Size - 1 bytes (Head = Tail means empty). The
// producer alone moves Tail, the consumer alone moves Head; each publishes its
// index with release ordering and reads the other's with acquire ordering, so the
// bytes copied before an index moves are visible to the other side after it.
#include <atomic>
#include <cstdint>

class TCommQueue {
public:
  explicit TCommQueue(std::int32_t ASize);
  virtual ~TCommQueue();
  TCommQueue(const TCommQueue&) = delete;
  TCommQueue& operator=(const TCommQueue&) = delete;

  std::int32_t Size() const { return FSize; }
  // Resizes the ring, discarding its content; n <= 0 frees the storage (Size
  // stays). Allocation failure keeps the old storage and raises ENimboCommError 1.
  // Neither side may use the queue meanwhile.
  void fSetBufSize(std::int32_t n);
  bool fIsValid() const { return FBuffer != nullptr; }
  std::int32_t fGetCount() const;   // bytes held
  std::int32_t fGetRemain() const;  // free room

  // Producer side: copies up to n bytes in, returns how many fitted (0 when there
  // is no storage, p is null or n < 1).
  std::int32_t In(const void* p, std::int32_t n);
  std::int32_t In(const std::uint8_t* p) { return In(p, 1); }
  // Producer side, filling in place: the free room that follows the last byte
  // without wrapping (*p its start; 0 when there is no storage or no room), then
  // Commit(n) publishes the first n bytes written there (n up to that room).
  std::int32_t FreeSpan(std::uint8_t** p);
  void Commit(std::int32_t n);
  // Consumer side: copies up to n bytes out, returns how many.
  std::int32_t Out(void* p, std::int32_t n);
  std::int32_t Out(std::uint8_t* p) { return Out(p, 1); }
  // Consumer side: drops everything held now (safe while the producer adds more).
  void Discard();
  // Empties the ring by resetting both indices; neither side may use it meanwhile.
  void Clear();

private:
  std::int32_t FSize;
  std::atomic<std::int32_t> FHead{0};
  std::atomic<std::int32_t> FTail{0};
  std::uint8_t* FBuffer = nullptr;
};
