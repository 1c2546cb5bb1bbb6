#include "serial/commerror.h"

#include "platform/core/gbk.h"
#include "platform/win32/locale.h"

namespace {
struct TCodeText {
  std::int32_t Code;
  const char16_t* Text;
};

const TCodeText kEnglish[] = {
    {1, u"Out of memory"},
    {2, u"Cannot initialize read buffer"},
    {3, u"Cannot initialize write buffer"},
    {4, u"Cannot open COM port"},
    {5, u"Cannot set comm-mask"},
    {6, u"Cannot set COM port buffer size"},
    {7, u"Cannot read COM port parameters"},
    {8, u"Cannot set COM port parameters"},
    {9, u"Cannot create COM port asynchronize read event"},
    {10, u"Cannot create COM port asynchronize write event"},
    {11, u"Cannot create COM port read thread"},
    {12, u"Cannot create COM port write thread"},
    {13, u"Cannot close COM port read thread"},
    {14, u"Cannot close COM port write thread"},
    {0, nullptr},
};

const TCodeText kSimplified[] = {
    {1, u"内存不够"},
    {2, u"不能初始化读缓存"},
    {3, u"不能初始化写缓存"},
    {4, u"不能打开串行口"},
    {5, u"不能设置串行口事件MASK"},
    {6, u"不能设置串行口缓存"},
    {7, u"不能得到串行口参数"},
    {8, u"不能设置串行口参数"},
    {9, u"不能创建串行口异步读事件"},
    {10, u"不能创建串行口异步写事件"},
    {11, u"不能创建串行口读线程"},
    {12, u"不能创建串行口写线程"},
    {13, u"不能关闭串行口读线程"},
    {14, u"不能关闭串行口写线程"},
    {0, nullptr},
};

const TCodeText kTraditional[] = {
    {1, u"記憶體不夠"},
    {2, u"不能初始化讀緩存"},
    {3, u"不能初始化寫緩存"},
    {4, u"不能打開序列埠"},
    {5, u"不能設置序列埠事件MASK"},
    {6, u"不能設置序列埠緩存"},
    {7, u"不能得到序列埠參數"},
    {8, u"不能設置序列埠參數"},
    {9, u"不能創建序列埠非同步讀事件"},
    {10, u"不能創建序列埠非同步寫事件"},
    {11, u"不能創建序列埠讀執行緒"},
    {12, u"不能創建序列埠寫執行緒"},
    {13, u"不能關閉序列埠讀執行緒"},
    {14, u"不能關閉序列埠寫執行緒"},
    {0, nullptr},
};

struct TLanguageTables {
  const TCodeText* Codes;
  const char16_t* PortPrefix;  // one %s: the port name
  const char16_t* Unknown;
};

const TLanguageTables kTables[] = {
    {kEnglish, u"Serial port: \"%s\" - ", u"Unknown error"},
    {kSimplified, u"串行口:\u201C%s\u201D- ", u"未知错误"},
    {kTraditional, u"序列埠:\u300E%s\u300F- ", u"未知錯誤"},
};

const TLanguageTables& TablesFor(LCID Id) {
  if (Id == 2052) return kTables[1];
  if (Id == 1028) return kTables[2];
  return kTables[0];
}

// Every text above has a GBK form; a failure here would be a broken table.
std::string ToAnsi(const char16_t* Text) { return TryUtf16ToGbk(Text).value_or(std::string()); }
}  // namespace

TNimboCommLanguage::TNimboCommLanguage() {
  LCID id = GetThreadLocale();
  FLcId = id == 0 ? 1033 : id;
}

std::string ENimboCommError::MessageStrings(TErrorCode Code, const std::string& PortName) {
  const TLanguageTables& t = TablesFor(TNimboCommLanguage().LcId());
  std::string prefix;
  if (!PortName.empty()) {
    prefix = ToAnsi(t.PortPrefix);
    size_t at = prefix.find("%s");
    if (at != std::string::npos) prefix.replace(at, 2, PortName);
  }
  const char16_t* text = t.Unknown;
  for (const TCodeText* e = t.Codes; e->Text; ++e)
    if (e->Code == static_cast<std::int32_t>(Code)) {
      text = e->Text;
      break;
    }
  return prefix + ToAnsi(text);
}

ENimboCommError::ENimboCommError(TErrorCode Code) : ENimboCommError(Code, std::string()) {}

ENimboCommError::ENimboCommError(TErrorCode Code, const std::string& PortName)
    : Exception(MessageStrings(Code, PortName)), FErrorCode(Code), FPortName(PortName) {}
