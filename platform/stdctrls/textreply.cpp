#include "platform/stdctrls/textreply.h"

#include <cstring>

#include "platform/core/gbk.h"

void ReplyWindowText(TMessage& M, const std::string& Text) {
  if (M.Msg == WM_GETTEXTLENGTH) {
    M.Result = static_cast<LRESULT>(Text.size());
    return;
  }
  char* buf = reinterpret_cast<char*>(M.LParam);
  if (!buf || M.WParam == 0) {
    M.Result = 0;
    return;
  }
  std::string cut = GbkTruncate(Text, M.WParam - 1);
  std::memcpy(buf, cut.data(), cut.size());
  buf[cut.size()] = '\0';
  M.Result = static_cast<LRESULT>(cut.size());
}
