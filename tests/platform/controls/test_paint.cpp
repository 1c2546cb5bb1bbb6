// Painting: back buffers driven by invalid regions, graphic controls painted by
// their parent in z-order and clipped, a transparent child showing its parent's
// pixels, PaintTo into any device context.
#include "fixtures.h"

namespace {

// A windowed control without a face of its own: its background is what its parent
// paints there, and it draws only a black frame.
class TSeeThrough : public TProbe {
public:
  using TProbe::TProbe;
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_ERASEBKGND && Parent()) {
      HDC dc = reinterpret_cast<HDC>(M.WParam);
      int saved = SaveDC(dc);
      OffsetViewportOrgEx(dc, -Left(), -Top(), nullptr);
      Parent()->Perform(WM_ERASEBKGND, M.WParam, 0);
      Parent()->Perform(WM_PAINT, M.WParam, 0);
      RestoreDC(dc, saved);
      M.Result = 1;
      return;
    }
    TProbe::Dispatch(M);
  }
protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clBlack);
    Canvas()->FrameRect(ClientRect());
  }
};

struct TPixels {
  HDC Dc;
  COLORREF operator()(int X, int Y) const { return GetPixel(Dc, X, Y); }
};

}  // namespace

class PaintTest : public ControlsTest {
protected:
  // Form (bsNone, clBtnFace) > Panel (blue, at 20,20) > Red (graphic) under Glass (see-through);
  // Label: a frame-only graphic control on the form.
  void Build() {
    Form = MakeForm();
    Panel = Child<TProbe>(Form, "Panel", {20, 20, 220, 120}, clBlue);
    Red = Child<TGraphicProbe>(Panel, "Red", {90, 20, 120, 50}, clRed);
    Glass = Child<TSeeThrough>(Panel, "Glass", {100, 10, 180, 60});
    Label = Child<TGraphicProbe>(Form, "Label", {250, 150, 290, 190}, clLime);
    Label->Transparent = true;
    Form->Show();
  }
  // Expected colour at a form client point.
  void Check(const TPixels& P, TPoint Origin) {
    struct Case {
      TPoint At;
      TColor Color;
      const char* What;
    };
    const Case cases[] = {
        {{5, 5}, clBtnFace, "form"},
        {{25, 25}, clBlue, "panel"},
        {{20 + 95, 20 + 25}, clRed, "graphic child"},
        {{20 + 105, 20 + 30}, clRed, "graphic child seen through the glass"},
        {{20 + 150, 20 + 30}, clBlue, "panel seen through the glass"},
        {{20 + 100, 20 + 10}, clBlack, "glass frame"},
        {{250, 150}, clLime, "label frame"},
        {{270, 170}, clBtnFace, "form inside the label"},
    };
    for (const Case& c : cases)
      EXPECT_EQ(P(Origin.X + c.At.X, Origin.Y + c.At.Y), ColorToRGB(c.Color)) << c.What;
  }
  TForm* Form = nullptr;
  TProbe* Panel = nullptr;
  TGraphicProbe* Red = nullptr;
  TSeeThrough* Glass = nullptr;
  TGraphicProbe* Label = nullptr;
};

TEST_F(PaintTest, PaintToRendersTheWholeTreeIntoAnyDeviceContext) {
  Build();
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(340, 240, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  Form->PaintTo(dc, 10, 5);
  Check(TPixels{dc}, {10, 5});
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST_F(PaintTest, WindowsPaintTheirBackBuffersFromTheirInvalidRegions) {
  Build();
  Application->ProcessMessages();  // paints what waits
  // Each window's buffer holds its own pixels: compose them as the screen would.
  HDC screen = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(300, 200, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(screen, bmp);
  std::function<void(HWND, TPoint)> blit = [&](HWND W, TPoint At) {
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ o = SelectObject(src, WindowBuffer(W));
    TRect r;
    GetWindowRect(W, &r);
    BitBlt(screen, At.X, At.Y, r.Width(), r.Height(), src, 0, 0, SRCCOPY);
    SelectObject(src, o);
    DeleteDC(src);
    for (HWND c : ChildWindows(W)) {
      TRect cr;
      GetWindowRect(c, &cr);
      blit(c, {At.X + cr.Left - r.Left, At.Y + cr.Top - r.Top});
    }
  };
  blit(Form->Handle(), {0, 0});
  Check(TPixels{screen}, {0, 0});

  // A repaint after a change touches only what was invalidated.
  int paints = 0;
  TWndMethod prev = Panel->WindowProc;
  Panel->WindowProc = [&](TMessage& M) {
    if (M.Msg == WM_PAINT) ++paints;
    prev(M);
  };
  Red->SetColor(clYellow);
  Application->ProcessMessages();
  EXPECT_EQ(paints, 1);
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ o = SelectObject(src, WindowBuffer(Panel->Handle()));
  EXPECT_EQ(GetPixel(src, 95, 25), ColorToRGB(clYellow));
  PAINTSTRUCT ps;
  BeginPaint(Panel->Handle(), &ps);
  EXPECT_TRUE(IsRectEmpty(ps.rcPaint));  // nothing left to paint
  EndPaint(Panel->Handle(), &ps);
  SelectObject(src, o);
  DeleteDC(src);
  Panel->WindowProc = prev;
  SelectObject(screen, old);
  DeleteObject(bmp);
  DeleteDC(screen);
}

TEST_F(PaintTest, AlignmentAndAnchorsFollowTheParentsClientArea) {
  TForm* form = MakeForm();
  auto* top = Child<TProbe>(form, "Top", {0, 0, 10, 30});
  auto* left = Child<TProbe>(form, "Left", {0, 0, 40, 10});
  auto* client = Child<TProbe>(form, "Client", {0, 0, 10, 10});
  auto* corner = Child<TProbe>(form, "Corner", {250, 150, 290, 190});
  top->SetAlign(alTop);
  left->SetAlign(alLeft);
  client->SetAlign(alClient);
  corner->SetAnchors({akRight, akBottom});
  form->Show();
  EXPECT_EQ(top->BoundsRect(), TRect(0, 0, 300, 30));
  EXPECT_EQ(left->BoundsRect(), TRect(0, 30, 40, 200));
  EXPECT_EQ(client->BoundsRect(), TRect(40, 30, 300, 200));
  form->SetBounds(100, 100, 400, 260);
  EXPECT_EQ(client->BoundsRect(), TRect(40, 30, 400, 260));
  EXPECT_EQ(corner->BoundsRect(), TRect(350, 210, 390, 250));
  TRect r;
  GetWindowRect(client->Handle(), &r);
  EXPECT_EQ(r, TRect(140, 130, 500, 360));
}

// GetDC(0) is the screen's context: it reports the screen's capabilities and
// measures text as a window's context does.
TEST_F(PaintTest, TheScreenContextMeasuresAndReportsAsAWindowsContextDoes) {
  Build();
  HDC screen = GetDC(nullptr);
  HDC window = GetDC(Form->Handle());
  ASSERT_NE(screen, nullptr);
  ASSERT_NE(window, nullptr);
  struct {
    int Index;
    int Screen;
  } caps[] = {{BITSPIXEL, 32}, {PLANES, 1}, {LOGPIXELSX, 96}, {LOGPIXELSY, 96}, {NUMCOLORS, -1},
              {HORZRES, 1024}, {VERTRES, 768}};
  for (const auto& c : caps) {
    EXPECT_EQ(GetDeviceCaps(screen, c.Index), c.Screen) << c.Index;
    if (c.Index != HORZRES && c.Index != VERTRES) {
      EXPECT_EQ(GetDeviceCaps(screen, c.Index), GetDeviceCaps(window, c.Index)) << c.Index;
    }
  }
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(14);
  font.SetStyle(TFontStyles{fsBold});
  for (HDC dc : {screen, window}) SelectObject(dc, font.Handle());
  TEXTMETRIC ts{}, tw{};
  GetTextMetrics(screen, &ts);
  GetTextMetrics(window, &tw);
  EXPECT_EQ(ts.tmHeight, tw.tmHeight);
  EXPECT_EQ(ts.tmAveCharWidth, tw.tmAveCharWidth);
  EXPECT_GT(ts.tmHeight, 10);
  for (const std::string& s : {std::string("Wide text"), std::string("iii"), std::string("\xD6\xD0\xCE\xC4")}) {
    TSize a{}, b{};
    GetTextExtentPoint32(screen, s.c_str(), static_cast<int>(s.size()), &a);
    GetTextExtentPoint32(window, s.c_str(), static_cast<int>(s.size()), &b);
    EXPECT_EQ(a, b) << s;
    EXPECT_GT(a.cx, 0) << s;
  }
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 0);  // released once
  EXPECT_EQ(ReleaseDC(Form->Handle(), window), 1);
}

// A window that clips its children leaves their part of its buffer alone, and a
// child that goes from where it was leaves that part of its parent to be painted.
TEST_F(PaintTest, AParentPaintsWhereItsChildWindowsNoLongerCover) {
  struct Case {
    const char* What;
    std::function<void(TProbe*)> Change;
  };
  const Case cases[] = {
      {"hidden", [](TProbe* P) { P->SetVisible(false); }},
      {"moved away", [](TProbe* P) { P->SetBounds(200, 150, 50, 30); }},
      {"made smaller", [](TProbe* P) { P->SetBounds(20, 20, 10, 10); }},
      {"destroyed", [](TProbe* P) { delete P; }},
  };
  for (const Case& c : cases) {
    Build();
    Application->ProcessMessages();
    HDC dc = GetDC(Form->Handle());
    HBRUSH red = CreateSolidBrush(ColorToRGB(clRed));
    TRect all{0, 0, 300, 200};
    FillRect(dc, &all, red);
    DeleteObject(red);
    ReleaseDC(Form->Handle(), dc);
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ o = SelectObject(src, WindowBuffer(Form->Handle()));
    EXPECT_EQ(GetPixel(src, 5, 5), ColorToRGB(clRed)) << c.What;
    EXPECT_NE(GetPixel(src, 30, 30), ColorToRGB(clRed)) << c.What << ": drawn under the panel";
    SelectObject(src, o);
    DeleteDC(src);

    c.Change(Panel);
    TRect update;
    EXPECT_TRUE(GetUpdateRect(Form->Handle(), &update, FALSE)) << c.What;
    EXPECT_TRUE(PtInRect(update, {30, 30})) << c.What;
    Application->ProcessMessages();
    src = CreateCompatibleDC(nullptr);
    o = SelectObject(src, WindowBuffer(Form->Handle()));
    EXPECT_EQ(GetPixel(src, 205, 30), ColorToRGB(clBtnFace)) << c.What << ": the uncovered part painted";
    SelectObject(src, o);
    DeleteDC(src);
    for (TComponent* x : std::vector<TComponent*>(Owned.begin(), Owned.end())) delete x;
    Owned.clear();
  }
}

// A large container's buffer let go after it was shown comes back with the same
// pixels when it is drawn on or painted; small windows keep theirs.
TEST_F(PaintTest, AReleasedBufferComesBackWithTheSamePixels) {
  struct Case {
    const char* What;
    int Width, Height;
    bool Released;
  };
  const Case cases[] = {{"large form", 500, 400, true}, {"small form", 120, 100, false}};
  for (const Case& c : cases) {
    Build();
    Form->SetBounds(100, 100, c.Width, c.Height);
    Application->ProcessMessages();
    HBITMAP before = WindowBuffer(Form->Handle());
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ o = SelectObject(src, before);
    COLORREF face = GetPixel(src, 5, 5), label = GetPixel(src, 250, 150);
    SelectObject(src, o);
    DeleteDC(src);
    ReleaseShownBuffer(Form->Handle());
    ReleaseShownBuffer(Panel->Handle());  // small: kept
    HDC dc = GetDC(Form->Handle());  // drawing on it paints it whole first
    EXPECT_EQ(GetPixel(dc, 5, 5), face) << c.What;
    EXPECT_EQ(GetPixel(dc, 250, 150), label) << c.What;
    ReleaseDC(Form->Handle(), dc);
    if (!c.Released) {
      EXPECT_EQ(WindowBuffer(Form->Handle()), before) << c.What;
    }
    TRect update;
    EXPECT_FALSE(GetUpdateRect(Form->Handle(), &update, FALSE)) << c.What;
    for (TComponent* x : std::vector<TComponent*>(Owned.begin(), Owned.end())) delete x;
    Owned.clear();
  }
}
