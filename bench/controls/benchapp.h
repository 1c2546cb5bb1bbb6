#pragma once
// Qt's widgets need a QApplication, made before the layer makes its own
// (QGuiApplication) application object on first use and before any text is
// measured. Every benchmark file that uses widgets calls this from a static
// initialiser; the first call makes the one application object of the program
// (offscreen: no display needed), later calls find it.
#include <QApplication>
#include <cstdlib>

inline bool MakeBenchApplication() {
  if (!QCoreApplication::instance()) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_controls";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
  }
  return true;
}
