#pragma once
// A small rich-text writer: GBK lines as a rich-text document in code page 936 with
// one font, each line ended by \par. Bytes of 0x80 and above are written as \'xx,
// and '\', '{' and '}' are escaped, so any GBK text survives a rich-text reader.
#include <string>
#include <vector>

std::string WriteRichText(const std::vector<std::string>& GbkLines, const std::string& FontName, int FontSize);
