// The lock-free byte ring.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <thread>
#include <vector>

#include "serial/commqueue.h"

namespace {

TEST(CommQueue, CapacityShortCopiesAndWrap) {
  TCommQueue q(8192);
  std::vector<std::uint8_t> big(10000, 7);
  EXPECT_EQ(q.In(big.data(), 10000), 8191);  // one byte always stays free
  EXPECT_EQ(q.fGetRemain(), 0);
  std::uint8_t one = 1;
  EXPECT_EQ(q.In(&one), 0);

  // A ring of 100 with 40 bytes of room takes 40 of 100; the copy wraps to 0.
  TCommQueue r(100);
  std::vector<std::uint8_t> in(100), out(100);
  std::iota(in.begin(), in.end(), 0);
  ASSERT_EQ(r.In(in.data(), 80), 80);
  ASSERT_EQ(r.Out(out.data(), 21), 21);  // head 21, tail 80: room 40
  EXPECT_EQ(r.fGetRemain(), 40);
  EXPECT_EQ(r.In(in.data(), 100), 40);   // 20 up to the end, 20 from index 0
  EXPECT_EQ(r.fGetCount(), 99);
  std::vector<std::uint8_t> all(200);
  EXPECT_EQ(r.Out(all.data(), 200), 99);
  for (int i = 0; i < 59; ++i) EXPECT_EQ(all[i], 21 + i) << i;
  for (int i = 0; i < 40; ++i) EXPECT_EQ(all[59 + i], i) << i;
  EXPECT_EQ(r.fGetCount(), 0);

  struct Case {
    const void* P;
    int N;
  } refused[] = {{nullptr, 5}, {in.data(), 0}, {in.data(), -3}};
  for (const Case& c : refused) {
    EXPECT_EQ(r.In(c.P, c.N), 0);
    EXPECT_EQ(r.Out(const_cast<void*>(c.P), c.N), 0);
  }
}

// Filling in place: the room up to the end of the storage, one slot kept free.
TEST(CommQueue, FreeSpanStopsAtTheEndOrBeforeTheHead) {
  struct Case {
    int Put, Take;  // moved in, then out, before asking
    int Span;       // room that follows the last byte without wrapping
  } cases[] = {
      {0, 0, 9},    // empty at 0: all but the free slot
      {4, 4, 6},    // empty at 4: up to the end
      {9, 0, 0},    // full
      {7, 3, 3},    // head 3, tail 7: up to the end
      {9, 5, 1},    // head 5, tail 9: the last slot
  };
  std::vector<std::uint8_t> in(10), out(10);
  std::iota(in.begin(), in.end(), 1);
  for (const Case& c : cases) {
    TCommQueue q(10);
    ASSERT_EQ(q.In(in.data(), c.Put), c.Put);
    ASSERT_EQ(q.Out(out.data(), c.Take), c.Take);
    std::uint8_t* p = nullptr;
    EXPECT_EQ(q.FreeSpan(&p), c.Span) << c.Put << "/" << c.Take;
  }
  // Bytes written there and committed come out after the held ones; the next
  // span starts at index 0 once the end is reached.
  TCommQueue q(10);
  q.In(in.data(), 7);
  q.Out(out.data(), 5);  // head 5, tail 7: 3 to the end
  std::uint8_t* p = nullptr;
  ASSERT_EQ(q.FreeSpan(&p), 3);
  p[0] = 50, p[1] = 51, p[2] = 52;
  q.Commit(3);
  ASSERT_EQ(q.FreeSpan(&p), 4);  // 0..3, slot 4 stays free
  p[0] = 60;
  q.Commit(1);
  EXPECT_EQ(q.Out(out.data(), 10), 6);
  EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 6), (std::vector<std::uint8_t>{6, 7, 50, 51, 52, 60}));
}

TEST(CommQueue, ResizeDiscardsAndNoStorageTakesNothing) {
  TCommQueue q(16);
  std::uint8_t b[8] = {};
  q.In(b, 8);
  q.fSetBufSize(32);
  EXPECT_EQ(q.Size(), 32);
  EXPECT_EQ(q.fGetCount(), 0);
  q.fSetBufSize(0);
  EXPECT_FALSE(q.fIsValid());
  EXPECT_EQ(q.Size(), 32);  // the size stays
  EXPECT_EQ(q.In(b, 8), 0);
  EXPECT_EQ(q.Out(b, 8), 0);
  EXPECT_EQ(q.fGetCount(), 0);
  q.In(b, 1);
  q.fSetBufSize(4);
  EXPECT_TRUE(q.fIsValid());
  EXPECT_EQ(q.In(b, 8), 3);
  q.Discard();
  EXPECT_EQ(q.fGetCount(), 0);
}

TEST(CommQueue, OneProducerOneConsumerMoveAMegabyteIntact) {
  constexpr size_t kTotal = 1 << 20;
  TCommQueue q(8192);
  std::uint64_t sentSum = 0, gotSum = 0;
  size_t got = 0;
  std::thread producer([&] {
    std::uint8_t chunk[1000];
    size_t sent = 0;
    std::uint32_t x = 12345;
    while (sent < kTotal) {
      size_t n = std::min(sizeof chunk, kTotal - sent);
      for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245 + 12345;
        chunk[i] = static_cast<std::uint8_t>(x >> 16);
      }
      size_t off = 0;
      while (off < n) {
        int m = q.In(chunk + off, static_cast<int>(n - off));
        if (m == 0) std::this_thread::yield();
        off += static_cast<size_t>(m);
      }
      for (size_t i = 0; i < n; ++i) sentSum = sentSum * 31 + chunk[i];
      sent += n;
    }
  });
  std::uint8_t buf[777];
  while (got < kTotal) {
    int m = q.Out(buf, sizeof buf);
    if (m == 0) std::this_thread::yield();
    for (int i = 0; i < m; ++i) gotSum = gotSum * 31 + buf[i];
    got += static_cast<size_t>(m);
  }
  producer.join();
  EXPECT_EQ(got, kTotal);
  EXPECT_EQ(gotSum, sentSum);  // order-sensitive checksum
}

}  // namespace
