// A rank list on a real display: a Shift-drag of the first item below the list
// moves it last, and the X server's pointer is put back inside the list.
//   rank_drag_xvfb        exit 0 when both hold
#include <QCursor>

#include <chrono>
#include <cstdio>
#include <thread>

#include "controls/editlist/editlists.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/controls/forms.h"
#include "platform/controls/input.h"

namespace {
void Pump(int Ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
}  // namespace

int main() {
  InstallQtBackend();
  Application->Initialize();
  auto* form = new TForm(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(100, 100, 300, 200);
  auto* list = new TQvRankListBox(form);
  list->SetBounds(10, 10, 120, 100);
  list->SetParent(form);
  for (const char* s : {"a", "b", "c"}) list->Add(s);
  form->Show();
  Pump(500);
  TPoint client = list->ClientToScreen(TPoint(0, 0));
  TPoint formOrigin = form->ClientToScreen(TPoint(0, 0));
  TPoint down{client.X - formOrigin.X + 20, client.Y - formOrigin.Y + 3};
  InputMouse(form->Handle(), WM_LBUTTONDOWN, down, MK_LBUTTON | MK_SHIFT);
  InputMouse(form->Handle(), WM_MOUSEMOVE, {down.X, down.Y + 300}, MK_LBUTTON | MK_SHIFT);
  Pump(200);
  QPoint p = QCursor::pos();
  TRect inside(client.X, client.Y, client.X + list->ClientWidth(), client.Y + list->ClientHeight());
  int rc = 0;
  if (!inside.Contains(TPoint(p.x(), p.y()))) {
    std::printf("fault: the pointer is at (%d, %d), outside the list (%d, %d)-(%d, %d)\n", p.x(), p.y(), inside.Left,
                inside.Top, inside.Right, inside.Bottom);
    rc = 1;
  }
  InputMouse(form->Handle(), WM_LBUTTONUP, {down.X, down.Y + 300}, MK_SHIFT);
  if (list->Items()->Strings(2) != "a") {
    std::printf("fault: the dragged item is not last\n");
    rc = 1;
  }
  std::printf("pointer at (%d, %d)\n", p.x(), p.y());
  DoneApplication();
  return rc;
}
