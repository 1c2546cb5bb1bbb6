#include "app/SafeFile.h"

#include <system_error>

#include "platform/core/gbk.h"

std::string SystemErrorText(int Errno) {
  // The C library's text is in the locale's encoding (UTF-8 on every current system).
  return Utf8ToGbk(std::generic_category().message(Errno));
}

std::string SafeFileFailureText(const TSafeFile& File) {
  return File.Refusal().empty() ? SystemErrorText(File.Error()) : Utf8ToGbk(File.Refusal());
}
