// The communication page's upload interval on a real display (Xvfb): the framed spin
// edit shows 6 with its two child buttons; Qt's own mouse events on the upper button
// step it; a held button repeats 400 ms after the press and then every 100 ms on
// the manual clock; PgUp and Down step by the page and by one; SetValue clamps.
// Photographs the page.
//   app_spin_xvfb_check <folder>     exit 0 when all hold; spin.png in folder
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "controls/editlist/spinedit.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/stdctrls/comctrls_pages.h"
#include "platform/win32/clock.h"
#include "tests/app/xvfb/xvfb_app.h"

namespace {

TManualClock g_Clock(1000);

// The Qt backend with its beeps counted.
struct TCountingBackend : qtbackend::TQtBackend {
  int Beeps = 0;
  void Beep() override { ++Beeps; }
};

void Key(int QtKey, Qt::KeyboardModifiers Modifiers = Qt::NoModifier, const QString& Text = {}) {
  QWidget* target = QApplication::focusWidget();
  if (!target) {
    std::fprintf(stderr, "no focus widget\n");
    return;
  }
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent e(type, QtKey, Modifiers, Text);
    QApplication::sendEvent(target, &e);
  }
  Settle(50);
}

bool Expect(const char* What, const std::string& Got, const std::string& Want) {
  bool ok = Got == Want;
  std::printf("%s: \"%s\" %s\n", What, Got.c_str(), ok ? "ok" : ("expected \"" + Want + "\"").c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path out = OutputFolder(argc, argv);
  if (out.empty()) return 2;
  SetClock(&g_Clock);
  InstallQtBackend();
  static TCountingBackend counting;
  SetBackend(&counting);
  StartForms();
  FormMain->PageControl1->SetActivePageIndex(1);
  Settle(600);

  bool ok = true;
  TQvSpinEdit* spin = FormMain->QvSpinEdit1;
  TQvControlButton* up = spin->GetButton(sbUp);
  ok &= Expect("interval shown", spin->Text(), "6");
  ok &= Expect("buttons", std::to_string(spin->Buttons()->Parent() == spin) + " " +
                              std::to_string(up->Height()) + "+" + std::to_string(spin->GetButton(sbDown)->Height()),
               "1 8+9");
  int steps = 0;
  spin->OnButtonClick = [&](TObject*, TSpinButtonType) { ++steps; };
  for (int i = 0; i < 3; ++i) {
    SendMouse(up, QEvent::MouseButtonPress);
    SendMouse(up, QEvent::MouseButtonRelease);
    Settle(30);
  }
  ok &= Expect("three clicks", spin->Text(), "9");
  ok &= Expect("focus after the clicks", std::to_string(spin->Focused()), "1");

  // Held for 1.5 s: repeats at 400 ms, then every 100 ms up to 1500 ms: 12.
  steps = 0;
  SendMouse(up, QEvent::MouseButtonPress);
  Settle(30);
  std::string counts;
  for (int t = 50; t <= 1500; t += 50) {
    g_Clock.Advance(50);
    Settle(10);
    if (t == 350 || t == 400 || t == 500 || t == 1500) counts += std::to_string(steps) + " ";
  }
  ok &= Expect("repeats at 350, 400, 500 and 1500 ms", counts, "0 1 2 12 ");
  SendMouse(up, QEvent::MouseButtonRelease);
  Settle(30);
  ok &= Expect("after the release inside", spin->Text(), "22");
  g_Clock.Advance(1000);
  Settle(30);
  ok &= Expect("no repeats after the release", spin->Text(), "22");

  spin->SetValue(6);
  Key(Qt::Key_PageUp);
  ok &= Expect("PgUp from 6", spin->Text(), "16");
  Key(Qt::Key_Down);
  ok &= Expect("Down", spin->Text(), "15");
  const std::pair<long double, const char*> values[] = {{2.6L, "6"}, {5000, "3000"}, {42, "42"}};
  for (auto [v, text] : values) {
    spin->SetValue(v);
    ok &= Expect("SetValue", spin->Text(), text);
  }
  // Every way of editing the text but stepping is refused with one beep, the
  // native edit's own undo and clipboard keys included.
  SetClipboardText("123");
  struct TRefused {
    const char* What;
    int QtKey;
    Qt::KeyboardModifiers Modifiers;
    QString Text;
  } const refused[] = {{"typing", Qt::Key_5, Qt::NoModifier, "5"},
                       {"Backspace", Qt::Key_Backspace, Qt::NoModifier, "\b"},
                       {"Delete", Qt::Key_Delete, Qt::NoModifier, ""},
                       {"Ctrl+V", Qt::Key_V, Qt::ControlModifier, QString(QChar(22))},
                       {"Ctrl+X", Qt::Key_X, Qt::ControlModifier, QString(QChar(24))},
                       {"Ctrl+Z", Qt::Key_Z, Qt::ControlModifier, QString(QChar(26))}};
  for (const TRefused& r : refused) {
    spin->SelectAll();
    counting.Beeps = 0;
    Key(r.QtKey, r.Modifiers, r.Text);
    ok &= Expect(r.What, spin->Text() + " beeps " + std::to_string(counting.Beeps), "42 beeps 1");
  }
  // Undo of a typed change is refused too, though the native edit could undo it.
  spin->SetAllowKeyEdit(true);
  spin->SetSelStart(2);
  Key(Qt::Key_5, Qt::NoModifier, "5");
  spin->SetAllowKeyEdit(false);
  counting.Beeps = 0;
  Key(Qt::Key_Z, Qt::ControlModifier, QString(QChar(26)));
  ok &= Expect("Ctrl+Z after typing", spin->Text() + " beeps " + std::to_string(counting.Beeps), "425 beeps 1");
  spin->SetValue(6);
  Settle(100);
  SaveWindowImage(FormMain, (out / "spin.png").string(), true);
  DoneApplication();
  SetClock(nullptr);
  return ok ? 0 : 1;
}
