#pragma once
// GBK bytes and Qt's strings, one conversion each way for the code that talks to
// Qt (the text drawing of the graphics layer, the Qt backend). Private to those:
// the rest of the system speaks GBK bytes only.
#include <QString>

#include <string>
#include <string_view>

// The GBK bytes as a Qt string.
QString ToQt(std::string_view Gbk);
// A Qt string as GBK bytes; characters GBK cannot hold are dropped (Lossless
// tells whether none was).
std::string FromQt(const QString& Text, bool* Lossless = nullptr);
