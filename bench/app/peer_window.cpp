// The start-up peer of bench_app: a minimal Qt window with one Chinese label.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel label(QString::fromUtf16(u"\u4E32\u53E3\u914D\u7F6E"));
  label.show();
  return app.exec();
}
