#pragma once
// Text form sources: the readable form syntax (object Name: TClass ... end) that
// the project's forms are edited in, compiled into the binary form-stream format,
// and printed back from it for debugging.
//
//   object FormMain: TFormMain
//     Caption = '配置'#13#10'x'        strings: quoted runs, #nnn, + continuations
//     Font.Style = [fsBold]            dotted names reach owned persistents
//     Tags = (1 2 3)                   lists;  Data = { 0A0B }  binary
//     Panels = < item Width = 50 end > collections (item [n] keeps an order value)
//     object Button1: TButton [2]      [n] child position; inherited / inline
//       OnClick = Button1Click
//     end
//   end
//
// Sources are UTF-8; string values become GBK (a character GBK cannot hold is an
// error). #nnn up to 255 is that byte, above 255 a Unicode character.
#include <string>

#include "platform/core/streams.h"

// A syntax error in a text form source: "<what> on line <n>".
DTU_DECLARE_EXCEPTION(EParserError, EFilerError)

// Text form source (UTF-8) -> binary form stream, written at Output's position.
void ObjectTextToBinary(TStream* Input, TStream* Output);
std::string FormTextToBinary(const std::string& Text);
// Binary form stream -> text form source (UTF-8). Bytes that are not printable
// GBK characters are written as #nnn so the text reads back to the same bytes.
void ObjectBinaryToText(TStream* Input, TStream* Output);
std::string FormBinaryToText(const std::string& Binary);
