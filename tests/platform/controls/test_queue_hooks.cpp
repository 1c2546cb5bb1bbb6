// The message loop's pre-dispatch filter and PeekMessage over the posted queue.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/messages.h"

TEST(QueueHooks, TheFilterSeesPostedMessagesOnlyAndCanConsumeThem) {
  std::vector<UINT> delivered, filtered;
  HWND w = AllocateHWnd([&](TMessage& m) {
    delivered.push_back(m.Msg);
    m.Result = 7;
  });
  SetPostedMessageFilter([&](HWND Wnd, TMessage& m) {
    EXPECT_EQ(Wnd, w);
    filtered.push_back(m.Msg);
    return m.Msg == WM_USER + 1;  // consumed
  });
  PostMessage(w, WM_USER, 0, 0);
  PostMessage(w, WM_USER + 1, 0, 0);
  PostMessage(w, WM_USER + 2, 0, 0);
  EXPECT_EQ(SendMessage(w, WM_USER + 3, 0, 0), 7);  // sent: straight to the procedure
  EXPECT_EQ(ProcessMessages(), 3);
  SetPostedMessageFilter(nullptr);
  PostMessage(w, WM_USER + 4, 0, 0);
  ProcessMessages();
  EXPECT_EQ(filtered, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_USER + 2}));
  EXPECT_EQ(delivered, (std::vector<UINT>{WM_USER + 3, WM_USER, WM_USER + 2, WM_USER + 4}));
  DeallocateHWnd(w);
}

TEST(QueueHooks, PeekMessageFindsByWindowAndRangeAndRemovesOnRequest) {
  std::vector<WPARAM> delivered;
  HWND a = AllocateHWnd([&](TMessage& m) { delivered.push_back(m.WParam); });
  HWND b = AllocateHWnd([&](TMessage& m) { delivered.push_back(m.WParam); });
  PostMessage(a, WM_USER, 1, 0);
  PostMessage(b, WM_USER + 5, 2, 0);
  PostMessage(a, WM_USER + 5, 3, 0);
  MSG m;
  EXPECT_TRUE(PeekMessage(&m, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.wParam, 2u);
  EXPECT_TRUE(PeekMessage(&m, a, WM_USER + 1, WM_USER + 9, PM_REMOVE));
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(PeekMessage(&m, a, WM_USER + 1, WM_USER + 9, PM_NOREMOVE));
  EXPECT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.hwnd, a);
  ProcessMessages();
  EXPECT_EQ(delivered, (std::vector<WPARAM>{1, 2}));  // the removed one never arrives
  DeallocateHWnd(a);
  DeallocateHWnd(b);
}
