// Work shared between threads in the libraries that link Qt: messages posted and
// sent from worker threads to a control while Qt's loop runs on the GUI thread (the
// queue's descriptor wakes it), and text measured and drawn from two threads at once
// through the shared font engines and text caches. The ThreadSanitizer leg of
// scripts/test runs these; the plain build checks the results.
#include <algorithm>
#include <atomic>
#include <functional>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend/qt/qt_backend.h"
#include "platform/controls/backend.h"
#include "platform/graphics/gdi.h"
#include "tests/platform/controls/fixtures.h"

namespace {

class ThreadsTest : public ControlsTest {
protected:
  void SetUp() override {
    InstallQtBackend();
    ControlsTest::SetUp();
  }
  // Runs the application's loop (Qt's loop underneath) until Done, asked after
  // every round. Each wait ends when a message arrives, so a lost message (or a
  // descriptor that fails to wake Qt) hangs the test.
  template <class F>
  void LoopUntil(F Done) {
    for (;;) {
      Application->ProcessMessages();
      if (Done()) return;
      if (!MessagesPending()) Backend().ProcessEvents(true);
    }
  }
  // A shown form with one control whose own messages go to Handler.
  TProbe* MakeTarget(std::function<bool(TMessage&)> Handler) {
    TForm* form = MakeForm();
    auto* c = Child<TProbe>(form, "C", {0, 0, 10, 10});
    form->Show();
    TWndMethod old = c->WindowProc;
    c->WindowProc = [old, Handler](TMessage& M) {
      if (!Handler(M)) old(M);
    };
    return c;
  }
};

constexpr UINT kPosted = WM_USER + 7;
constexpr UINT kSent = WM_USER + 8;

TEST_F(ThreadsTest, MessagesPostedByWorkersArriveOnceEachInTheirOrderOnTheGuiThread) {
  constexpr int kWorkers = 4, kEach = 300;
  const std::thread::id gui = std::this_thread::get_id();
  std::vector<std::vector<int>> got(kWorkers);
  int total = 0, elsewhere = 0;
  TProbe* c = MakeTarget([&](TMessage& M) {
    if (M.Msg != kPosted) return false;
    got[static_cast<size_t>(M.LParam)].push_back(static_cast<int>(M.WParam));
    ++total;
    if (std::this_thread::get_id() != gui) ++elsewhere;
    return true;
  });
  HWND h = c->Handle();
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w)
    workers.emplace_back([h, w] {
      for (int i = 0; i < kEach; ++i) PostMessage(h, kPosted, static_cast<WPARAM>(i), w);
    });
  LoopUntil([&] { return total >= kWorkers * kEach; });
  for (std::thread& t : workers) t.join();
  std::vector<int> inOrder(kEach);
  std::iota(inOrder.begin(), inOrder.end(), 0);
  for (int w = 0; w < kWorkers; ++w) EXPECT_EQ(got[static_cast<size_t>(w)], inOrder) << "worker " << w;
  EXPECT_EQ(total, kWorkers * kEach);
  EXPECT_EQ(elsewhere, 0);
}

TEST_F(ThreadsTest, MessagesSentByWorkersAreAnsweredOnTheGuiThread) {
  constexpr int kWorkers = 3, kEach = 100;
  const std::thread::id gui = std::this_thread::get_id();
  int handled = 0, elsewhere = 0;
  TProbe* c = MakeTarget([&](TMessage& M) {
    if (M.Msg != kSent) return false;
    M.Result = static_cast<LRESULT>(M.WParam * 3 + 1);
    ++handled;
    if (std::this_thread::get_id() != gui) ++elsewhere;
    return true;
  });
  HWND h = c->Handle();
  std::atomic<int> wrong{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w)
    workers.emplace_back([&, h] {
      for (int i = 0; i < kEach; ++i)
        if (SendMessage(h, kSent, static_cast<WPARAM>(i), 0) != i * 3 + 1) ++wrong;
    });
  LoopUntil([&] { return handled >= kWorkers * kEach; });
  for (std::thread& t : workers) t.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(handled, kWorkers * kEach);
  EXPECT_EQ(elsewhere, 0);
}

// A worker keeps posting while the GUI thread frees the control: what was still
// queued is dropped, later posts fail, and nothing reaches the freed control.
TEST_F(ThreadsTest, PostsRacingTheControlsDestructionAreDroppedOrRefused) {
  int delivered = 0;
  TProbe* c = MakeTarget([&](TMessage& M) {
    if (M.Msg != kPosted) return false;
    ++delivered;
    return true;
  });
  HWND h = c->Handle();
  std::atomic<bool> refused{false};
  std::thread worker([&, h] {
    while (PostMessage(h, kPosted, 0, 0)) std::this_thread::yield();
    refused = true;
  });
  LoopUntil([&] { return delivered >= 50; });
  Owned.erase(std::find(Owned.begin(), Owned.end(), c->Owner()));
  delete c->Owner();  // the form and the control
  const int atDestruction = delivered;
  worker.join();
  Application->ProcessMessages();
  EXPECT_TRUE(refused);
  EXPECT_EQ(delivered, atDestruction);
}

// Text with one font of each kind: the stock GUI font (one handle shared by both
// threads) and fonts each thread makes from the same description (one shared engine).
struct TTextJob {
  std::vector<uint32_t> Pixels;
  std::vector<int> Widths;
  bool operator==(const TTextJob&) const = default;
};

const char* const kFaces[] = {"Tahoma", "\xCB\xCE\xCC\xE5" /* SimSun */};

std::vector<std::string> Texts(int Round) {
  std::vector<std::string> out;
  for (int i = 0; i < 12; ++i) {
    std::string n = std::to_string(Round * 100 + i);
    out.push_back("Item " + n);
    out.push_back("\xB1\xE4\xC1\xBF " + n);  // "variable" in Chinese (GBK)
  }
  return out;
}

TTextJob DrawTexts(int Round) {
  constexpr int kW = 200, kH = 24 * 16;
  TTextJob job;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(kW, kH, 1, 32, nullptr);
  SelectObject(dc, bmp);
  TRect all{0, 0, kW, kH};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  std::vector<HFONT> fonts{static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))};
  for (const char* face : kFaces)
    fonts.push_back(CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face));
  int y = 0;
  for (const std::string& s : Texts(Round)) {
    for (size_t f = 0; f < fonts.size(); ++f) {
      SelectObject(dc, fonts[f]);
      int n = static_cast<int>(s.size());
      TSize size;
      GetTextExtentPoint32(dc, s.data(), n, &size);
      job.Widths.push_back(size.cx);
      int x = 2 + static_cast<int>(f) * 66;
      if (f == 1) {
        TRect r{x, y, x + 64, y + 16};
        DrawText(dc, s.data(), n, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
      } else {
        TextOut(dc, x, y, s.data(), n);
      }
    }
    y += 16;
  }
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  for (size_t f = 1; f < fonts.size(); ++f) DeleteObject(fonts[f]);
  job.Pixels.assign(BitmapSurface(bmp).Bits.begin(), BitmapSurface(bmp).Bits.end());
  DeleteDC(dc);
  DeleteObject(bmp);
  return job;
}

TEST_F(ThreadsTest, TextDrawnFromTwoThreadsAtOnceMatchesTextDrawnAlone) {
  constexpr int kRounds = 6;
  std::vector<TTextJob> a(kRounds), b(kRounds);
  std::atomic<int> ready{0};
  auto run = [&](std::vector<TTextJob>& Out) {
    ++ready;
    while (ready < 2) std::this_thread::yield();  // both start cold, together
    for (int r = 0; r < kRounds; ++r) Out[static_cast<size_t>(r)] = DrawTexts(r);
  };
  std::thread ta(run, std::ref(a)), tb(run, std::ref(b));
  ta.join();
  tb.join();
  for (int r = 0; r < kRounds; ++r) {
    TTextJob alone = DrawTexts(r);
    EXPECT_TRUE(a[static_cast<size_t>(r)] == alone) << "round " << r;
    EXPECT_TRUE(b[static_cast<size_t>(r)] == alone) << "round " << r;
    EXPECT_GT(std::count(alone.Pixels.begin(), alone.Pixels.end(), 0xFFFFFFFFu),
              static_cast<long>(alone.Pixels.size() / 2));  // text, not a blot
    EXPECT_LT(std::count(alone.Pixels.begin(), alone.Pixels.end(), 0xFFFFFFFFu),
              static_cast<long>(alone.Pixels.size()));
  }
}

}  // namespace
