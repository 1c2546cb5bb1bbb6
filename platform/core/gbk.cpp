#include "platform/core/gbk.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const char* Utf32Name() { return std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE"; }

// One iconv conversion, opened on first use and reset before each use.
class TIconv {
public:
  TIconv(const char* To, const char* From) : FTo(To), FFrom(From) {}
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;
  ~TIconv() {
    if (FCd != Closed()) iconv_close(FCd);
  }
  iconv_t Get() {
    if (FCd == Closed()) {
      FCd = iconv_open(FTo, FFrom);
      if (FCd == Closed())
        throw EConvertError(std::string("Text conversion from ") + FFrom + " to " + FTo + " is not available");
    }
    iconv(FCd, nullptr, nullptr, nullptr, nullptr);
    return FCd;
  }

private:
  static iconv_t Closed() { return reinterpret_cast<iconv_t>(-1); }
  const char* FTo;
  const char* FFrom;
  iconv_t FCd = Closed();
};

// iconv handles are not thread-safe, so every thread keeps its own.
struct TThreadCodecs {
  TIconv Cp936Decoder{Utf32Name(), "CP936"};
  TIconv Gb18030Decoder{Utf32Name(), "GB18030"};
  TIconv Cp936Encoder{"CP936", Utf32Name()};
  TIconv Gb18030Encoder{"GB18030", Utf32Name()};
};

TThreadCodecs& Codecs() {
  thread_local TThreadCodecs codecs;
  return codecs;
}

// Converts In completely with Cd; false when iconv refuses any of it.
bool ConvertAll(iconv_t Cd, const char* In, size_t InLen, char* Out, size_t OutCap, size_t& OutLen) {
  char* in = const_cast<char*>(In);
  char* out = Out;
  size_t inLeft = InLen, outLeft = OutCap;
  if (iconv(Cd, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return false;
  if (iconv(Cd, nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1)) return false;
  OutLen = OutCap - outLeft;
  return true;
}

std::u32string Decode(const std::string& S) {
  TThreadCodecs& codecs = Codecs();
  iconv_t cd = codecs.Cp936Decoder.Get();
  std::u32string out(S.size() + 1, U'\0');  // never more than one code point per byte
  size_t used = 0;                           // bytes written to out
  char* in = const_cast<char*>(S.data());
  size_t inLeft = S.size();
  while (inLeft > 0) {
    char* o = reinterpret_cast<char*>(out.data()) + used;
    size_t oLeft = out.size() * 4 - used;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    int err = errno;
    used = static_cast<size_t>(o - reinterpret_cast<char*>(out.data()));
    if (r != static_cast<size_t>(-1)) break;
    if (err == E2BIG || out.size() * 4 - used < 4) {
      out.resize(out.size() * 2 + 16);
      if (err == E2BIG) continue;
    }
    // Invalid or incomplete sequence at `in`.
    char32_t ch = U'\uFFFD';
    size_t consumed = 1;
    auto b0 = static_cast<unsigned char>(in[0]);
    if (inLeft >= 2 && IsGbkLeadByte(b0) && IsGbkTrailByte(static_cast<unsigned char>(in[1]))) {
      char buf[16];
      size_t n = 0;
      if (ConvertAll(codecs.Gb18030Decoder.Get(), in, 2, buf, sizeof buf, n) && n == 4) {
        std::memcpy(&ch, buf, 4);
        consumed = 2;
      }
    }
    std::memcpy(reinterpret_cast<char*>(out.data()) + used, &ch, 4);
    used += 4;
    in += consumed;
    inLeft -= consumed;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used / 4);
  return out;
}

// Encodes code points; on failure Bad is the first character without a 1- or 2-byte form.
bool Encode(const std::u32string& Cps, std::string& Out, char32_t& Bad) {
  TThreadCodecs& codecs = Codecs();
  iconv_t cd = codecs.Cp936Encoder.Get();
  std::string out(Cps.size() * 2 + 8, '\0');
  size_t used = 0;
  char* in = reinterpret_cast<char*>(const_cast<char32_t*>(Cps.data()));
  size_t inLeft = Cps.size() * 4;
  while (inLeft > 0) {
    char* o = out.data() + used;
    size_t oLeft = out.size() - used;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    int err = errno;
    used = static_cast<size_t>(o - out.data());
    if (r != static_cast<size_t>(-1)) break;
    if (err == E2BIG || out.size() - used < 2) {
      out.resize(out.size() * 2 + 8);
      if (err == E2BIG) continue;
    }
    char32_t ch;
    std::memcpy(&ch, in, 4);
    char buf[16];
    size_t n = 0;
    if (err == EINVAL || ch > 0x10FFFF ||
        !ConvertAll(codecs.Gb18030Encoder.Get(), in, 4, buf, sizeof buf, n) || n < 1 || n > 2) {
      Bad = ch;
      return false;
    }
    std::memcpy(out.data() + used, buf, n);
    used += n;
    in += 4;
    inLeft -= 4;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used);
  Out = std::move(out);
  return true;
}

// Strict UTF-8 reading (no overlong forms, surrogates or values above U+10FFFF);
// on failure BadPos is the offending byte.
bool FromUtf8(const std::string& S, std::u32string& Out, size_t& BadPos) {
  Out.clear();
  Out.reserve(S.size());
  size_t i = 0, n = S.size();
  while (i < n) {
    auto b = static_cast<unsigned char>(S[i]);
    char32_t cp;
    size_t len;
    char32_t min;
    if (b < 0x80) { Out.push_back(b); ++i; continue; }
    if (b >= 0xC2 && b <= 0xDF) { cp = b & 0x1F; len = 2; min = 0x80; }
    else if (b >= 0xE0 && b <= 0xEF) { cp = b & 0x0F; len = 3; min = 0x800; }
    else if (b >= 0xF0 && b <= 0xF4) { cp = b & 0x07; len = 4; min = 0x10000; }
    else { BadPos = i; return false; }
    if (i + len > n) { BadPos = i; return false; }
    for (size_t k = 1; k < len; ++k) {
      auto c = static_cast<unsigned char>(S[i + k]);
      if ((c & 0xC0) != 0x80) { BadPos = i; return false; }
      cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) { BadPos = i; return false; }
    Out.push_back(cp);
    i += len;
  }
  return true;
}

bool FromUtf16(const std::u16string& S, std::u32string& Out, size_t& BadPos) {
  Out.clear();
  Out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    char32_t u = S[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < S.size() && S[i + 1] >= 0xDC00 && S[i + 1] <= 0xDFFF) {
      Out.push_back(0x10000 + ((u - 0xD800) << 10) + (S[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      BadPos = i;
      return false;
    } else {
      Out.push_back(u);
    }
  }
  return true;
}

std::string CodePointName(char32_t Ch) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(Ch));
  return buf;
}

[[noreturn]] void RefuseCharacter(char32_t Ch) {
  throw EConvertError("The character " + CodePointName(Ch) + " cannot be represented in the GBK code page");
}

}  // namespace

namespace {

// ASCII is the same in GBK, UTF-8 and (widened) UTF-16: most texts are plain
// ASCII (names, numbers, settings) and skip the converter.
bool IsAscii(const char* S, size_t N) {
  size_t i = 0;
  for (; i + 8 <= N; i += 8) {
    uint64_t w;
    std::memcpy(&w, S + i, 8);
    if (w & 0x8080808080808080ull) return false;
  }
  for (; i < N; ++i)
    if (static_cast<unsigned char>(S[i]) >= 0x80) return false;
  return true;
}

bool IsAscii(const std::u16string& S) {
  for (char16_t c : S)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

std::string GbkToUtf8(const std::string& Gbk) {
  if (IsAscii(Gbk.data(), Gbk.size())) return Gbk;
  std::string out;
  out.reserve(Gbk.size() * 3 / 2);
  for (char32_t c : Decode(Gbk)) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string GbkToUtf16(const std::string& Gbk) {
  if (IsAscii(Gbk.data(), Gbk.size())) return std::u16string(Gbk.begin(), Gbk.end());
  std::u16string out;
  out.reserve(Gbk.size());
  for (char32_t c : Decode(Gbk)) {
    if (c < 0x10000) {
      out += static_cast<char16_t>(c);
    } else {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return out;
}

bool Utf8ToGbk(const std::string& Utf8, std::string& Out) {
  if (IsAscii(Utf8.data(), Utf8.size())) {
    Out = Utf8;
    return true;
  }
  std::u32string cps;
  size_t bad;
  char32_t badChar;
  return FromUtf8(Utf8, cps, bad) && Encode(cps, Out, badChar);
}

std::optional<std::string> TryUtf8ToGbk(const std::string& Utf8) {
  std::string out;
  if (!Utf8ToGbk(Utf8, out)) return std::nullopt;
  return out;
}

std::string Utf8ToGbk(const std::string& Utf8) {
  if (IsAscii(Utf8.data(), Utf8.size())) return Utf8;
  std::u32string cps;
  size_t bad;
  if (!FromUtf8(Utf8, cps, bad)) throw EConvertError("Invalid UTF-8 text at byte " + std::to_string(bad));
  std::string out;
  char32_t badChar;
  if (!Encode(cps, out, badChar)) RefuseCharacter(badChar);
  return out;
}

bool Utf16ToGbk(const std::u16string& Utf16, std::string& Out) {
  if (IsAscii(Utf16)) {
    Out.assign(Utf16.begin(), Utf16.end());
    return true;
  }
  std::u32string cps;
  size_t bad;
  char32_t badChar;
  return FromUtf16(Utf16, cps, bad) && Encode(cps, Out, badChar);
}

std::optional<std::string> TryUtf16ToGbk(const std::u16string& Utf16) {
  std::string out;
  if (!Utf16ToGbk(Utf16, out)) return std::nullopt;
  return out;
}

std::string Utf16ToGbk(const std::u16string& Utf16) {
  if (IsAscii(Utf16)) return std::string(Utf16.begin(), Utf16.end());
  std::u32string cps;
  size_t bad;
  if (!FromUtf16(Utf16, cps, bad)) throw EConvertError("Invalid UTF-16 text at unit " + std::to_string(bad));
  std::string out;
  char32_t badChar;
  if (!Encode(cps, out, badChar)) RefuseCharacter(badChar);
  return out;
}

bool CanEncodeGbk(char32_t Ch) {
  if (Ch > 0x10FFFF || (Ch >= 0xD800 && Ch <= 0xDFFF)) return false;
  std::string out;
  char32_t bad;
  return Encode(std::u32string(1, Ch), out, bad);
}

TMbcsByteType ByteType(const std::string& S, size_t Index) {
  if (Index >= S.size()) return mbSingleByte;
  size_t i = 0;
  for (;;) {
    if (IsGbkLeadByte(static_cast<unsigned char>(S[i]))) {
      if (Index == i) return mbLeadByte;
      if (Index == i + 1) return mbTrailByte;
      i += 2;
    } else {
      if (Index == i) return mbSingleByte;
      ++i;
    }
  }
}

std::string GbkTruncate(const std::string& S, size_t MaxBytes) {
  if (S.size() <= MaxBytes) return S;
  size_t n = MaxBytes;
  if (n > 0 && ByteType(S, n - 1) == mbLeadByte) --n;
  return S.substr(0, n);
}
