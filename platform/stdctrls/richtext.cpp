#include "platform/stdctrls/richtext.h"

namespace {
void Escape(std::string& Out, const std::string& Gbk) {
  static const char* const kHex = "0123456789abcdef";
  for (unsigned char c : Gbk) {
    if (c >= 0x80) {
      Out += "\\'";
      Out += kHex[c >> 4];
      Out += kHex[c & 15];
    } else if (c == '\\' || c == '{' || c == '}') {
      Out += '\\';
      Out += static_cast<char>(c);
    } else if (c == '\t') {
      Out += "\\tab ";
    } else if (c >= 0x20) {
      Out += static_cast<char>(c);
    }
  }
}
}  // namespace

std::string WriteRichText(const std::vector<std::string>& GbkLines, const std::string& FontName, int FontSize) {
  std::string out = "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fnil\\fcharset134 ";
  Escape(out, FontName);
  out += ";}}\r\n\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs" + std::to_string(FontSize * 2) + " ";
  for (const std::string& line : GbkLines) {
    Escape(out, line);
    out += "\\par\r\n";
  }
  out += "}\r\n";
  return out;
}
