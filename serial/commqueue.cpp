#include "serial/commqueue.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "serial/commerror.h"

TCommQueue::TCommQueue(std::int32_t ASize) : FSize(ASize) { fSetBufSize(ASize); }

TCommQueue::~TCommQueue() { fSetBufSize(0); }

void TCommQueue::fSetBufSize(std::int32_t n) {
  Clear();
  if (n <= 0) {
    delete[] FBuffer;
    FBuffer = nullptr;
    return;
  }
  auto* fresh = new (std::nothrow) std::uint8_t[static_cast<size_t>(n)];
  if (!fresh) throw ENimboCommError(ENimboCommError::ecOutOfMemory);
  delete[] FBuffer;
  FBuffer = fresh;
  FSize = n;
}

std::int32_t TCommQueue::fGetCount() const {
  if (!FBuffer) return 0;
  std::int32_t h = FHead.load(std::memory_order_acquire), t = FTail.load(std::memory_order_acquire);
  return (t - h + FSize) % FSize;
}

std::int32_t TCommQueue::fGetRemain() const {
  if (!FBuffer) return 0;
  std::int32_t h = FHead.load(std::memory_order_acquire), t = FTail.load(std::memory_order_acquire);
  return (h - t + FSize - 1) % FSize;
}

std::int32_t TCommQueue::In(const void* p, std::int32_t n) {
  if (!FBuffer || !p || n < 1) return 0;
  std::int32_t tail = FTail.load(std::memory_order_relaxed);
  std::int32_t head = FHead.load(std::memory_order_acquire);
  std::int32_t m = std::min(n, (head - tail + FSize - 1) % FSize);
  if (m <= 0) return 0;
  std::int32_t first = std::min(m, FSize - tail);
  std::memcpy(FBuffer + tail, p, static_cast<size_t>(first));
  if (m > first) std::memcpy(FBuffer, static_cast<const std::uint8_t*>(p) + first, static_cast<size_t>(m - first));
  FTail.store((tail + m) % FSize, std::memory_order_release);
  return m;
}

std::int32_t TCommQueue::FreeSpan(std::uint8_t** p) {
  *p = nullptr;
  if (!FBuffer) return 0;
  std::int32_t tail = FTail.load(std::memory_order_relaxed);
  std::int32_t head = FHead.load(std::memory_order_acquire);
  // One slot stays free: up to the end of the storage, unless Head is at its start.
  std::int32_t m = head > tail ? head - tail - 1 : FSize - tail - (head == 0 ? 1 : 0);
  *p = FBuffer + tail;
  return m;
}

void TCommQueue::Commit(std::int32_t n) {
  if (n < 1) return;
  FTail.store((FTail.load(std::memory_order_relaxed) + n) % FSize, std::memory_order_release);
}

std::int32_t TCommQueue::Out(void* p, std::int32_t n) {
  if (!FBuffer || !p || n < 1) return 0;
  std::int32_t head = FHead.load(std::memory_order_relaxed);
  std::int32_t tail = FTail.load(std::memory_order_acquire);
  std::int32_t m = std::min(n, (tail - head + FSize) % FSize);
  if (m <= 0) return 0;
  std::int32_t first = std::min(m, FSize - head);
  std::memcpy(p, FBuffer + head, static_cast<size_t>(first));
  if (m > first) std::memcpy(static_cast<std::uint8_t*>(p) + first, FBuffer, static_cast<size_t>(m - first));
  FHead.store((head + m) % FSize, std::memory_order_release);
  return m;
}

void TCommQueue::Discard() { FHead.store(FTail.load(std::memory_order_acquire), std::memory_order_release); }

void TCommQueue::Clear() {
  FHead.store(0, std::memory_order_relaxed);
  FTail.store(0, std::memory_order_relaxed);
}
