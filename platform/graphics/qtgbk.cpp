#include "platform/graphics/qtgbk.h"

#include "platform/core/gbk.h"

QString ToQt(std::string_view Gbk) {
  // ASCII reads the same in GBK and Latin-1.
  bool ascii = true;
  for (char c : Gbk)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return QString::fromLatin1(Gbk.data(), static_cast<qsizetype>(Gbk.size()));
  std::u16string u = GbkToUtf16(std::string(Gbk));
  return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

std::string FromQt(const QString& Text, bool* Lossless) {
  std::u16string all(reinterpret_cast<const char16_t*>(Text.utf16()), static_cast<size_t>(Text.size()));
  std::string out;
  if (Utf16ToGbk(all, out)) {
    if (Lossless) *Lossless = true;
    return out;
  }
  // One character at a time, dropping what GBK cannot hold.
  bool lossless = true;
  out.clear();
  for (size_t i = 0; i < all.size(); ++i) {
    size_t n = (all[i] >= 0xD800 && all[i] < 0xDC00 && i + 1 < all.size()) ? 2 : 1;
    std::string one;
    if (Utf16ToGbk(all.substr(i, n), one)) out += one;
    else lossless = false;
    i += n - 1;
  }
  if (Lossless) *Lossless = lossless;
  return out;
}
