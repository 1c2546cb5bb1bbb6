#pragma once
// The GBK (code page 936) text codec: the system keeps all text as GBK bytes and
// converts to Unicode only at the Qt seam and at file-system paths. Built on glibc
// iconv ("CP936", with "GB18030" for the user-defined areas CP936 leaves out);
// safe to call from any thread.
#include <cstddef>
#include <optional>
#include <string>

#include "platform/core/exceptions.h"

// Decoding never fails: a byte pair CP936 rejects is tried as GB18030 (the
// user-defined areas become private-use code points); other invalid bytes become
// U+FFFD one byte at a time, so a following ASCII byte survives.
std::string GbkToUtf8(const std::string& Gbk);
std::u16string GbkToUtf16(const std::string& Gbk);

// Encoding accepts only characters with a one- or two-byte GBK form (GB18030's
// four-byte forms are refused). The bool forms leave Out unchanged on failure;
// the throwing forms raise EConvertError naming the character ("U+1F600") or the
// invalid input.
bool Utf8ToGbk(const std::string& Utf8, std::string& Out);
std::optional<std::string> TryUtf8ToGbk(const std::string& Utf8);
std::string Utf8ToGbk(const std::string& Utf8);
bool Utf16ToGbk(const std::u16string& Utf16, std::string& Out);
std::optional<std::string> TryUtf16ToGbk(const std::u16string& Utf16);
std::string Utf16ToGbk(const std::u16string& Utf16);

// Whether the character has a one- or two-byte GBK form.
bool CanEncodeGbk(char32_t Ch);

// 0x81..0xFE starts a double-byte character.
inline bool IsGbkLeadByte(unsigned char B) { return B >= 0x81 && B <= 0xFE; }
// 0x40..0xFE except 0x7F can end one.
inline bool IsGbkTrailByte(unsigned char B) { return B >= 0x40 && B <= 0xFE && B != 0x7F; }
// The length of the character at S[I]: 2 for a lead byte followed by a trail byte,
// else 1 (a lead byte before a comma, a quote or a blank stands alone, so a text
// split at those bytes is never cut inside them).
inline size_t GbkCharLen(const std::string& S, size_t I) {
  return I + 1 < S.size() && IsGbkLeadByte(static_cast<unsigned char>(S[I])) &&
                 IsGbkTrailByte(static_cast<unsigned char>(S[I + 1]))
             ? 2
             : 1;
}

enum class TMbcsByteType { mbSingleByte, mbLeadByte, mbTrailByte };
using enum TMbcsByteType;

// The kind of byte S[Index] (0-based), found by walking from the start: a lead
// byte makes the next byte its trail byte. mbSingleByte past the end.
TMbcsByteType ByteType(const std::string& S, size_t Index);

// S cut to at most MaxBytes bytes without splitting a double-byte character.
std::string GbkTruncate(const std::string& S, size_t MaxBytes);
