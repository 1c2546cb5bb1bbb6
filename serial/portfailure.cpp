#include "serial/portfailure.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "platform/core/gbk.h"

namespace {

struct TFailureTexts {
  const char16_t* NoRightsBefore;  // ... the group's name ...
  const char16_t* NoRightsAfter;
  const char16_t* Busy;
};

const TFailureTexts kEnglish = {
    u"The current user may not use this port: add the user to the group \u201C",
    u"\u201D that owns the device (dialout on Debian), then log in again.",
    u"The port is in use by another program.",
};
const TFailureTexts kSimplified = {
    u"当前用户无权使用该端口：请把用户加入设备所属的用户组“",
    u"”（Debian 上为 dialout），然后重新登录。",
    u"该端口正被其他程序使用。",
};
const TFailureTexts kTraditional = {
    u"目前使用者無權使用該連接埠：請把使用者加入裝置所屬的使用者群組“",
    u"”（Debian 上為 dialout），然後重新登入。",
    u"該連接埠正被其他程式使用。",
};

std::string Gbk(const char16_t* Text) { return TryUtf16ToGbk(Text).value_or(std::string()); }

}  // namespace

std::string PortOpenFailureText(const std::string& Message, int OsError, const std::string& DevicePath,
                                LCID Language, const std::string& Refusal) {
  if (!Refusal.empty()) return Message + "\n" + Utf8ToGbk(Refusal);
  if (OsError == 0) return Message;
  const TFailureTexts& t = Language == 2052 ? kSimplified : Language == 1028 ? kTraditional : kEnglish;
  // The C library's text is in the locale's encoding (UTF-8 on every current system).
  std::string text = Message + "\n" + Utf8ToGbk(std::generic_category().message(OsError));
  if (OsError == EACCES || OsError == EPERM) {
    std::string owner = "dialout";
    struct stat st {};
    if (::stat(DevicePath.c_str(), &st) == 0)
      if (const struct group* g = ::getgrgid(st.st_gid); g && g->gr_name && *g->gr_name) owner = g->gr_name;
    text += "\n" + Gbk(t.NoRightsBefore) + Utf8ToGbk(owner) + Gbk(t.NoRightsAfter);
  } else if (OsError == EWOULDBLOCK || OsError == EBUSY) {
    // The port is locked by whoever has it open; the system's text does not say so.
    text += "\n" + Gbk(t.Busy);
  }
  return text;
}
