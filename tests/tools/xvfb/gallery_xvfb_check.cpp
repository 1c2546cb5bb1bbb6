// The gallery window on a real display (Xvfb) against the offscreen renders of its
// pages: page by page, the window shows what `gallery --png` draws, apart from the
// animated controls (blinking labels, the scrolling LED display); the colour edit's
// swatch shows in both; a combo drops down and a push button takes the focus. Keeps
// each page's window picture and the differing pixels.
//   gallery_xvfb_check <folder>     exit 0 when every page agrees
#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "controls/editlist/classes.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/controls/forms.h"
#include "platform/stdctrls/combobox.h"
#include "platform/stdctrls/comctrls_pages.h"
#include "tools/gallery/gallery.h"

namespace {

void Settle(int Ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Controls that change by themselves: their pixels may differ.
bool Animated(const std::string& Name) { return Name == "LblBlink" || Name == "LedScroll" || Name == "Blink1"; }

// A click delivered by Qt to the widget under a point of a control, as the user's.
void Click(TControl* Control, TPoint At) {
  TPoint p = Control->ClientToScreen(At);
  QPoint global(p.X, p.Y);
  QWidget* target = QApplication::widgetAt(global);
  if (!target) return;
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent e(type, QPointF(target->mapFromGlobal(global)), QPointF(global), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
  }
  Settle(200);
}

QRgb Rgb(TColor C) {
  COLORREF c = ColorToRGB(C);
  return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gallery_xvfb_check <folder>\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out);
  InstallQtBackend();
  RegisterEditListClasses();
  Application->Initialize();
  TCustomForm* window = CreateGalleryWindow(Application);
  window->SetLeft(0);
  window->SetTop(0);
  window->Show();
  Settle(600);
  auto* pages = dynamic_cast<TPageControl*>(window->Controls(0));
  if (!pages) return 1;

  int failures = 0;
  for (int i = 0; i < pages->PageCount(); ++i) {
    const TGalleryPage* page = GalleryPages()[static_cast<size_t>(i)];
    pages->SetActivePageIndex(i);
    Settle(400);
    auto* host = dynamic_cast<TWinControl*>(pages->Pages(i)->Controls(0));
    if (!host) return 1;
    QImage shown = qtbackend::GrabWindowImage(host->Handle(), true).convertToFormat(QImage::Format_RGB32);
    std::unique_ptr<TBitmap> rendered(RenderGalleryPage(*page));
    shown.save(QString::fromStdString((out / (page->Name + ".png")).string()));

    // Every pixel of the page outside the animated controls.
    std::vector<TRect> skip;
    for (int k = 0; k < host->ControlCount(); ++k)
      if (Animated(host->Controls(k)->Name())) skip.push_back(host->Controls(k)->BoundsRect());
    QImage diff(shown.size(), QImage::Format_RGB32);
    diff.fill(Qt::white);
    int differ = 0;
    const int w = std::min(shown.width(), rendered->Width()), h = std::min(shown.height(), rendered->Height());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        bool skipped = false;
        for (const TRect& r : skip) skipped |= x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
        COLORREF c = ColorToRGB(rendered->Canvas()->Pixels(x, y));
        if (skipped || (shown.pixel(x, y) & 0xFFFFFF) == (qRgb(GetRValue(c), GetGValue(c), GetBValue(c)) & 0xFFFFFF))
          continue;
        ++differ;
        diff.setPixel(x, y, qRgb(255, 0, 0));
      }
    bool sizeOk = shown.width() == rendered->Width() && shown.height() == rendered->Height();
    std::printf("%s: %d pixels differ%s\n", page->Name.c_str(), differ, sizeOk ? "" : " (sizes differ)");
    if (differ || !sizeOk) {
      ++failures;
      diff.save(QString::fromStdString((out / (page->Name + "-diff.png")).string()));
    }
    // The colour edit's swatch (clTeal) inside the edit, on the screen.
    if (TControl* edit = FindGalleryControl(host, "ColorEdit")) {
      TRect r = edit->BoundsRect();
      int teal = 0;
      for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) teal += (shown.pixel(x, y) & 0xFFFFFF) == (Rgb(clTeal) & 0xFFFFFF);
      std::printf("  colour edit swatch: %d teal pixels\n", teal);
      if (teal < (r.Width() - 30) * (r.Height() - 10)) ++failures;
    }
  }
  // The controls are live: a combo drops down, a push button takes the focus.
  auto page = [&](const char* Name) -> TWinControl* {
    for (int i = 0; i < pages->PageCount(); ++i)
      if (GalleryPages()[static_cast<size_t>(i)]->Name == Name) {
        pages->SetActivePageIndex(i);
        Settle(300);
        return dynamic_cast<TWinControl*>(pages->Pages(i)->Controls(0));
      }
    return nullptr;
  };
  auto* combo = dynamic_cast<TCustomComboBox*>(FindGalleryControl(page("combos"), "Plain"));
  if (combo) Click(combo, {combo->Width() - 8, combo->Height() / 2});
  const bool dropped = combo && combo->DroppedDown();
  if (combo)
    qtbackend::GrabWindowImage(window->Handle(), true).save(QString::fromStdString((out / "combos-live.png").string()));
  std::printf("combo drops down: %s\n", dropped ? "ok" : "FAILED");
  if (combo) combo->SetDroppedDown(false);
  auto* button = dynamic_cast<TWinControl*>(FindGalleryControl(page("buttons"), "Btn10"));
  if (button) Click(button, {button->Width() / 2, button->Height() / 2});
  const bool focused = button && button->Focused();
  if (button)
    qtbackend::GrabWindowImage(window->Handle(), true).save(QString::fromStdString((out / "buttons-live.png").string()));
  std::printf("button takes the focus: %s\n", focused ? "ok" : "FAILED");
  failures += !dropped + !focused;
  DoneApplication();
  std::printf("%s\n", failures ? "FAILED" : "every page agrees");
  return failures ? 1 : 0;
}
