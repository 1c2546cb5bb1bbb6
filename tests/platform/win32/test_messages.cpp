// Message-only windows and the per-thread message queue.
#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/messages.h"

TEST(MessageQueue, PostedMessagesArriveInOrderOnlyWhenTheOwnerDrains) {
  std::vector<UINT> seen;
  HWND w = AllocateHWnd([&](TMessage& m) { seen.push_back(m.Msg); });
  std::thread worker([&] {
    for (UINT i = 0; i < 100; ++i) PostMessage(w, WM_USER + i, i, 0);
  });
  worker.join();
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(MessagesPending());
  EXPECT_EQ(ProcessMessages(), 100);
  ASSERT_EQ(seen.size(), 100u);
  for (UINT i = 0; i < 100; ++i) EXPECT_EQ(seen[i], WM_USER + i);
  EXPECT_FALSE(MessagesPending());
  DeallocateHWnd(w);
}

TEST(MessageQueue, MessagesForADeallocatedWindowAreDropped) {
  int calls = 0;
  HWND w = AllocateHWnd([&](TMessage&) { ++calls; });
  PostMessage(w, WM_USER, 0, 0);
  DeallocateHWnd(w);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(PostMessage(w, WM_USER, 0, 0), FALSE);
  EXPECT_EQ(ProcessMessages(), 0);
  EXPECT_EQ(calls, 0);

  // A handler that frees its own window and the next queued target.
  HWND other = AllocateHWnd([&](TMessage&) { ++calls; });
  HWND self = nullptr;
  self = AllocateHWnd([&](TMessage&) {
    DeallocateHWnd(self);
    DeallocateHWnd(other);
  });
  PostMessage(self, WM_USER, 0, 0);
  PostMessage(other, WM_USER, 0, 0);
  ProcessMessages();
  EXPECT_EQ(calls, 0);
}

TEST(MessageQueue, APostFromAHandlerIsDeliveredAfterItReturnsAndSendIsSynchronous) {
  std::vector<std::string> log;
  HWND w = nullptr;
  w = AllocateHWnd([&](TMessage& m) {
    if (m.Msg == WM_USER) {
      PostMessage(w, WM_USER + 1, 0, 0);
      log.push_back("first done");
    } else if (m.Msg == WM_USER + 1) {
      log.push_back("posted");
    } else {
      m.Result = static_cast<LRESULT>(m.WParam * 2);
    }
  });
  PostMessage(w, WM_USER, 0, 0);
  ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"first done", "posted"}));
  EXPECT_EQ(SendMessage(w, WM_USER + 5, 21, 0), 42);

  // From another thread, a send waits for the owner to process it.
  std::atomic<LRESULT> result{0};
  std::thread worker([&] { result = SendMessage(w, WM_USER + 5, 50, 0); });
  while (!MessagesPending()) std::this_thread::yield();
  ProcessMessages();
  worker.join();
  EXPECT_EQ(result.load(), 100);
  DeallocateHWnd(w);
}

TEST(MessageQueue, TheQueueDescriptorIsReadableExactlyWhileMessagesWait) {
  HWND w = AllocateHWnd([](TMessage&) {});
  int fd = MessageQueueFd();
  auto readable = [fd] {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
  };
  EXPECT_FALSE(readable());
  // Twice round: a second post into a queue just emptied makes it readable again.
  for (int round = 0; round < 2; ++round) {
    PostMessage(w, WM_USER, 0, 0);
    PostMessage(w, WM_USER + 1, 0, 0);
    EXPECT_TRUE(readable()) << round;
    ProcessMessages();
    EXPECT_FALSE(readable()) << round;
    ProcessMessages();
    EXPECT_FALSE(readable()) << round;
  }
  DeallocateHWnd(w);
}

TEST(MessageQueue, ThreadsWithoutWindowsGetNoQueueDescriptor) {
  auto fds = [] {
    int n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
  };
  int before = fds();
  for (int i = 0; i < 20; ++i) {
    std::thread t([] {
      ProcessMessages();
      EXPECT_FALSE(MessagesPending());
      EXPECT_EQ(PeekMessage(nullptr, nullptr, 0, 0, PM_NOREMOVE), FALSE);
    });
    t.join();
  }
  EXPECT_EQ(fds(), before);
}
