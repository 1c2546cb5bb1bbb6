// The popup panel under the Qt backend (offscreen or a real X display): a colour
// picker drops down under an edit; clicks, keys and deactivation arrive as Qt
// events through the backend while the popup's own loop runs in the backend's
// modal runner. Exit code 0 when every case holds.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include "controls/basic/colorpicker.h"
#include "controls/editlist/classes.h"
#include "controls/editlist/edits.h"
#include "controls/editlist/popuppanel.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/controls/forms.h"

namespace {

int g_failures = 0;

void Check(bool Ok, const char* What) {
  std::printf("%s: %s\n", Ok ? "ok" : "FAILED", What);
  if (!Ok) ++g_failures;
}

// The visible top-level widget under a global point, other than Except.
QWidget* TopLevelAt(QPoint Global, QWidget* Except = nullptr) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != Except && w->isVisible() && w->geometry().contains(Global)) return w;
  return nullptr;
}

void SendClick(QPoint Global, QWidget* Except = nullptr) {
  QWidget* top = TopLevelAt(Global, Except);
  if (!top) {
    std::printf("no window at %d,%d\n", Global.x(), Global.y());
    return;
  }
  QWidget* w = top->childAt(top->mapFromGlobal(Global));
  if (!w) w = top;
  if (std::getenv("POPUP_QT_TRACE"))
    std::printf("click %d,%d on %s at %d,%d %dx%d\n", Global.x(), Global.y(), w->metaObject()->className(),
                top->geometry().x(), top->geometry().y(), top->geometry().width(), top->geometry().height());
  QPointF local = w->mapFromGlobal(QPointF(Global));
  QMouseEvent press(QEvent::MouseButtonPress, local, QPointF(Global), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, QPointF(Global), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(w, &release);
}

QPoint ScreenOf(TControl* C, TPoint P) {
  TPoint s = C->ClientToScreen(P);
  return {s.X, s.Y};
}

}  // namespace

int main() {
  InstallQtBackend();
  RegisterEditListClasses();
  Application->Initialize();
  auto* form = new TForm(Application);
  form->SetBorderStyle(bsSingle);
  form->SetBounds(200, 150, 360, 260);
  auto* edit = new TQvEdit(form);
  edit->SetBounds(180, 10, 152, 21);
  edit->SetParent(form);
  auto* other = new TQvEdit(form);
  other->SetBounds(10, 200, 100, 21);
  other->SetParent(form);
  int otherClicks = 0;
  other->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++otherClicks; };
  auto* panel = new TQvPopupPanel(form);
  panel->SetParent(form);
  auto* picker = new TQvColorPicker(form);
  picker->SetLeft(3);
  picker->SetTop(3);
  picker->SetParent(panel);
  picker->OnClick = panel->CloseEvent();
  form->Show();
  edit->SetFocus();
  for (int i = 0; i < 30; ++i) Application->ProcessMessages();

  QWidget* formWidget = TopLevelAt(ScreenOf(form, {5, 5}));
  // The form's window must be mapped and active before a popup opens: on a loaded
  // machine its activation can arrive late, and a window activated while the popup
  // is open closes the popup.
  auto settleUntil = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < settleUntil &&
         !(formWidget && formWidget->windowHandle() && formWidget->windowHandle()->isExposed() &&
           formWidget->isActiveWindow())) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  for (int i = 0; i < 10; ++i) Application->ProcessMessages();
  bool timedOut = false;
  // Action runs once the popup is open and has been shown for a few turns of its
  // loop: a fixed delay raced the popup's opening on a loaded machine.
  auto run = [&](std::function<void()> Action) {
    timedOut = false;
    int shownTicks = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      TQvPopup* p = panel->PopupWindow();
      if (!p || !p->HandleAllocated() || !IsWindowVisible(p->Handle())) return;
      if (++shownTicks < 5) return;
      poll.stop();
      Action();
    });
    poll.start(20);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
      timedOut = true;
      panel->Close(nullptr);
    });
    watchdog.start(5000);
    bool r = panel->Popup(edit);
    watchdog.stop();
    poll.stop();
    for (int i = 0; i < 10; ++i) Application->ProcessMessages();
    return r;
  };

  // A click on a cell (Green, index 11) accepts with that colour.
  TRect popupRect;
  bool accepted = run([&] {
    TQvPopup* p = panel->PopupWindow();
    if (!p) return;
    popupRect = p->BoundsRect();
    TRect cell = picker->GetCellRect(11);
    SendClick(ScreenOf(picker, {(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2}), formWidget);
  });
  TRect er;
  GetWindowRect(edit->Handle(), &er);
  Check(!timedOut && accepted, "a click on a cell returns true");
  Check(picker->SelectedColor() == TColor(0x008000), "the clicked cell's colour is selected");
  Check(popupRect.Top == er.Bottom && popupRect.Right == er.Right, "the popup opens under the edit, right-aligned");
  Check(panel->ComponentCount() == 0 && picker->Parent() == panel, "no popup left, the picker back on its panel");

  bool r = run([&] { SendClick(ScreenOf(other, {10, 10}), TopLevelAt(ScreenOf(edit, {0, 30}), formWidget)); });
  Check(!timedOut && !r, "a click on another control returns false");
  Check(otherClicks == 0, "that control gets no click");

  r = run([&] {
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(formWidget, &esc);
  });
  Check(!timedOut && !r, "Escape returns false");

  // Qt reports another program taking the focus as the application's state.
  Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
  r = run([&] { Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive); });
  Check(!timedOut && !r, "the application losing activation returns false");
  Check(panel->ComponentCount() == 0 && !panel->Active(), "no popup object is left after any exit");
  Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);

  DoneApplication();
  std::printf("%d failure(s)\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}
