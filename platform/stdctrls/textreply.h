#pragma once
// One answer to WM_GETTEXT and WM_GETTEXTLENGTH for the windows that keep their
// text elsewhere (the edit model, the combo box, the Qt peers).
#include <string>

#include "platform/controls/winmsg.h"
#include "platform/win32/messages.h"

// WM_GETTEXTLENGTH: the text's length in bytes. WM_GETTEXT: the text copied into
// the caller's buffer (LParam) of WParam bytes, cut before a double-byte character
// that does not fit whole and always NUL-terminated; the result is the bytes
// copied (0 without a buffer).
void ReplyWindowText(TMessage& M, const std::string& Text);
