// Painting: back buffers driven by invalid regions, graphic controls painted by
// their parent in z-order and clipped, a transparent child showing its parent's
// pixels, PaintTo into any device context.
#include "fixtures.h"
#include "platform/controls/panels.h"
#include "platform/controls/stdctrls_buttons.h"

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

// Hiding an opaque label repaints its area with what lies beneath it: the face of
// its parent, whether that parent paints its own face (a panel) or has it erased
// (a form, a group box).
TEST_F(PaintTest, AHiddenOpaqueLabelLeavesItsParentsFaceBehind) {
  struct Case {
    const char* What;
    TColor Face;
  } cases[] = {{"form", clAqua}, {"panel", clBlue}, {"group box", clYellow}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TForm* form = MakeForm("HideForm" + std::to_string(++n));
    form->SetColor(clAqua);
    TWinControl* parent = form;
    if (std::string(c.What) == "panel") {
      auto* panel = new TPanel(form);
      panel->SetBevelOuter(bvNone);
      parent = panel;
    } else if (std::string(c.What) == "group box") {
      parent = new TGroupBox(form);
    }
    if (parent != form) {
      parent->SetBounds(10, 10, 200, 150);
      parent->SetColor(c.Face);
      parent->SetParent(form);
    }
    auto* label = new TLabel(form);
    label->SetAutoSize(false);
    label->SetBounds(20, 40, 80, 30);
    label->SetCaption("Data");
    label->SetColor(clRed);
    label->SetParent(parent);
    form->Show();
    Application->ProcessMessages();
    auto pixel = [&] {
      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(dc, WindowBuffer(parent->Handle()));
      TPoint o = WindowBufferClientOrigin(parent->Handle());
      COLORREF p = GetPixel(dc, o.X + 20 + 75, o.Y + 40 + 25);  // far from the text
      SelectObject(dc, old);
      DeleteDC(dc);
      return p;
    };
    ASSERT_EQ(pixel(), ColorToRGB(clRed));
    label->SetVisible(false);
    Application->ProcessMessages();
    EXPECT_EQ(pixel(), ColorToRGB(c.Face));
  }
}
