// A toolbar docked and floated with the pointer on a real display: pressed on its
// empty part, dragged onto a framed panel (the dock rectangle drawn over the
// screen on the way), dropped there under the panel's title bar, then dragged by
// that title bar off the form into a floating window of its own. Keeps a
// screenshot of the screen mid-drag, docked and floating.
//   dock_xvfb_check <folder>     exit 0 when every step did what it should
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "controls/basic/panels.h"
#include "controls/basic/toolbar.h"
#include "controls/basic/toolbutton.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/controls/dragdrop.h"
#include "platform/controls/forms.h"

namespace {

int g_Failures = 0;

void Check(bool Ok, const char* What) {
  std::printf("%s: %s\n", Ok ? "ok" : "FAILED", What);
  if (!Ok) ++g_Failures;
}

void Settle(int Ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// The pointer moves to a screen point and Qt delivers the event to the window that
// has the pointer (the one holding the mouse while a drag is on), as the user's.
void Pointer(QEvent::Type Type, TPoint At, bool Down) {
  QPoint global(At.X, At.Y);
  QCursor::setPos(global);
  QWidget* target = QWidget::mouseGrabber();
  if (!target) target = QApplication::widgetAt(global);
  if (!target) {
    std::fprintf(stderr, "nothing on screen at %d,%d\n", At.X, At.Y);
    return;
  }
  Qt::MouseButton button = Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(Type, QPointF(target->mapFromGlobal(global)), QPointF(global), button,
                Down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(target, &e);
  Settle(60);
}

// A press at From, moves in steps to To, and a release there; Shot is called
// before the release.
template <class F>
void Drag(TPoint From, TPoint To, F Shot) {
  Pointer(QEvent::MouseMove, From, false);
  Pointer(QEvent::MouseButtonPress, From, true);
  for (int i = 1; i <= 8; ++i)
    Pointer(QEvent::MouseMove, {From.X + (To.X - From.X) * i / 8, From.Y + (To.Y - From.Y) * i / 8}, true);
  Settle(300);
  Shot();
  Pointer(QEvent::MouseButtonRelease, To, false);
  Settle(400);
}

QImage GrabScreen() {
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// Black and white pixels both along the top edge of a frame: the half-tone ring.
bool HalfToneAlong(const QImage& Img, const TRect& R) {
  int black = 0, white = 0;
  for (int x = R.Left + 1; x < R.Right - 1; ++x) {
    QRgb p = Img.pixel(x, R.Top) & 0xFFFFFF;
    black += p == 0;
    white += p == 0xFFFFFF;
  }
  return black > R.Width() / 4 && white > R.Width() / 4;
}

bool Is(const QImage& Img, TPoint P, TColor C) {
  COLORREF c = ColorToRGB(C);
  return (Img.pixel(P.X, P.Y) & 0xFFFFFF) == (qRgb(GetRValue(c), GetGValue(c), GetBValue(c)) & 0xFFFFFF);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dock_xvfb_check <folder>\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out);
  auto save = [&](const QImage& Img, const char* Name) {
    Img.save(QString::fromStdString((out / Name).string()));
  };
  InstallQtBackend();
  Application->Initialize();

  auto* form = new TForm(Application);
  form->SetCaption("Docking");
  form->SetBounds(60, 60, 560, 320);
  auto* site = new TQvPanel(form);
  site->SetName("Site");
  site->SetParent(form);
  site->SetAlign(alRight);
  site->SetWidth(240);
  site->SetBorderOuter(fsLowered);
  site->SetDockSite(true);
  auto* tb = new TQvToolbar(form);
  tb->SetName("Tb");
  tb->SetCaption("Tools");
  tb->SetParent(form);
  tb->SetDragKind(dkDock);
  tb->SetDragMode(dmAutomatic);
  tb->SetShowButtonCaptions(true);
  for (int i = 0; i < 3; ++i) {
    auto* b = new TQvToolButton(form);
    b->SetParent(tb);
    b->SetCaption(std::string(1, static_cast<char>('A' + i)));
  }
  form->Show();
  Settle(800);

  int events = 0;
  tb->OnStartDock = [&](TObject*, TObject*&) { ++events; };
  tb->OnEndDock = [&](TObject*, TObject*, int, int) { ++events; };

  // Pressed right of the buttons, dropped in the middle of the panel.
  TPoint grab = tb->ClientToScreen(TPoint{tb->Width() - 60, tb->Height() / 2});
  TPoint drop = site->ClientToScreen(TPoint{site->Width() / 2, site->Height() / 2});
  Drag(grab, drop, [&] {
    QImage mid = GrabScreen();
    save(mid, "mid-drag.png");
    TWinControl* over = nullptr;
    TRect frame = DockDragRect(&over);
    Check(over == site, "the dock rectangle is over the panel while dragging");
    Check(!frame.IsEmpty() && HalfToneAlong(mid, frame), "the dock rectangle shows on the screen as a half-tone frame");
  });
  QImage docked = GrabScreen();
  save(docked, "docked.png");
  Check(tb->HostDockSite() == site && tb->Parent() == site, "the toolbar is docked on the panel");
  Check(events == 2, "OnStartDock and OnEndDock fired");
  Check(DockDragRect().IsEmpty(), "the dock rectangle is gone after the drop");
  // The title bar above it, in a caption colour, right of its caption text.
  TPoint title = site->ClientToScreen(TPoint{site->Width() - 40, 4});
  Check(Is(docked, title, clInactiveCaption) || Is(docked, title, clActiveCaption), "the panel shows its title bar");

  // Dragged by the title bar below the form: it floats in a window of its own.
  TPoint bar = site->ClientToScreen(TPoint{site->Width() / 3, 6});
  Drag(bar, {bar.X - 200, 560}, [&] { save(GrabScreen(), "float-drag.png"); });
  Settle(400);
  QImage floating = GrabScreen();
  save(floating, "floating.png");
  Check(tb->Floating(), "the toolbar floats after the drag off the panel");
  Check(site->DockClientCount() == 0, "the panel has no docked control left");
  TWinControl* host = tb->HostDockSite();
  Check(host && host->HandleAllocated() && IsWindowVisible(host->Handle()), "its floating window is shown");
  TPoint onTb = tb->ClientToScreen(TPoint{8, tb->Height() - 4});
  Check(onTb.Y > 400 && Is(floating, onTb, clBtnFace), "the toolbar shows in its floating window below the form");

  delete form;
  Settle(200);
  std::printf("%d failures\n", g_Failures);
  return g_Failures ? 1 : 0;
}
