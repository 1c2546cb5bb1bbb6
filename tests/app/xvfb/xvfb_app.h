#pragma once
// What the main-window checks on a real display share: the output folder argument,
// the application's forms made as the program makes them, and settling in real time.
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/Unitmain.h"
#include "app/Unitmodify.h"
#include "app/Unitnew.h"

// Lets Qt and the layer deliver what is pending for Ms milliseconds of real time (a
// manual clock, where one is set, stands still meanwhile).
inline void Settle(int Ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// The folder named by the one argument, made if missing; empty (after a usage line)
// without one.
inline std::filesystem::path OutputFolder(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return {};
  }
  std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out);
  return out;
}

// The application's three forms, made as the program makes them: the main window
// shown first, then the two dialogs (the program makes them from the first message
// its loop delivers).
inline void StartForms() {
  Application->Initialize();
  Application->CreateForm(FormMain);
  FormMain->Show();
  CreateVarDialogs();
}

// A left-button event delivered by Qt to the widget under the control's middle, as
// the user's would be (the pointer moved there first).
inline void SendMouse(TControl* Control, QEvent::Type Type) {
  TPoint p = Control->ClientToScreen(TPoint{Control->Width() / 2, Control->Height() / 2});
  QPoint global(p.X, p.Y);
  QWidget* target = QApplication::widgetAt(global);
  if (!target) {
    std::fprintf(stderr, "nothing on screen at %d,%d\n", p.X, p.Y);
    return;
  }
  QCursor::setPos(global);
  bool press = Type == QEvent::MouseButtonPress;
  QMouseEvent e(Type, QPointF(target->mapFromGlobal(global)), QPointF(global), Qt::LeftButton,
                press ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(target, &e);
}

// A press and release there: a click.
inline void Click(TControl* Control) {
  SendMouse(Control, QEvent::MouseButtonPress);
  SendMouse(Control, QEvent::MouseButtonRelease);
}
