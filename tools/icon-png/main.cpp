// Converts an ICO file into the PNG a desktop's icon theme takes (with its
// transparency), for the installed program's icon: icon-png IN.ico OUT.png
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: icon-png IN.ico OUT.png\n");
    return 2;
  }
  QImage image(QString::fromLocal8Bit(argv[1]), "ICO");
  if (image.isNull()) {
    std::fprintf(stderr, "icon-png: %s is not a readable icon\n", argv[1]);
    return 1;
  }
  if (!image.convertToFormat(QImage::Format_ARGB32).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "icon-png: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
