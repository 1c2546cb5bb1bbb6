#include "serial/forms/kxcommdeviceabout.h"

#include <sys/utsname.h>

#include <cctype>

#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/panels.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/win32/osversion.h"
#include "serial/commerror.h"

namespace {

// GBK for a label; characters GBK cannot hold are left out.
std::string LabelText(const std::string& Utf8) {
  std::string gbk;
  if (Utf8ToGbk(Utf8, gbk)) return gbk;
  gbk.clear();
  for (char c : Utf8)
    if (static_cast<unsigned char>(c) < 0x80) gbk += c;
  return gbk;
}

struct TAboutTexts {
  const char16_t* About;
  const char16_t* Ellipsis;
  const char16_t* Version;
  const char16_t* OK;
};
const TAboutTexts kAboutTexts[] = {
    {u"About ", u"...", u"Version: 1.5.0.6", u"OK"},
    {u"关于 ", u"……", u"版本: 1.5.0.6", u"确定"},
    {u"關於 ", u"……", u"版本: 1.5.0.6", u"確定"},
};

const bool kFieldsRegistered = [] {
  using F = TForm_KXComm64_About;
  RegisterFields(F::StaticClass(),
                 {FieldOf("Image1", &F::Image1), FieldOf("LabelCaption", &F::LabelCaption),
                  FieldOf("LabelVersion", &F::LabelVersion), FieldOf("Bevel1", &F::Bevel1),
                  FieldOf("LabelOSVer", &F::LabelOSVer), FieldOf("BnOK", &F::BnOK)});
  return true;
}();

// Whether Word stands in Text on its own: not inside a longer word or number
// ("12" in "Linux 12 (bookworm)", "22.04" in "Ubuntu 22.04.3 LTS"; not in "121").
bool ContainsWord(const std::string& Text, const std::string& Word) {
  auto alnum = [](char C) { return std::isalnum(static_cast<unsigned char>(C)) != 0; };
  for (size_t at = Text.find(Word); at != std::string::npos; at = Text.find(Word, at + 1)) {
    const size_t end = at + Word.size();
    if ((at == 0 || !alnum(Text[at - 1])) && (end == Text.size() || !alnum(Text[end]))) return true;
  }
  return false;
}

}  // namespace

std::string OsVersionLine(const std::string& ProductName, const std::string& VersionId,
                          const std::string& KernelRelease) {
  std::string line = ProductName.empty() ? std::string("Linux") : ProductName;
  const std::string version = LabelText(Trim(VersionId));
  if (!version.empty() && !ContainsWord(line, version)) line += " " + version;
  const std::string kernel = LabelText(Trim(KernelRelease));
  if (!kernel.empty()) line += " (" + kernel + ")";
  return line;
}

// ---------------------------------------------------------------------------
// TMsgStrings
// ---------------------------------------------------------------------------

TForm_KXComm64_About::TMsgStrings::TMsgStrings() {
  const LCID id = TNimboCommLanguage().LcId();
  FLanguage = id == 2052 ? 1 : id == 1028 ? 2 : 0;
}

std::string TForm_KXComm64_About::TMsgStrings::fGetMsg(int Index) const {
  const TAboutTexts& t = kAboutTexts[FLanguage];
  const char16_t* text = Index == 0 ? t.About : Index == 1 ? t.Ellipsis : Index == 4 ? t.Version
                         : Index == 9                      ? t.OK
                                                           : nullptr;
  return text ? TryUtf16ToGbk(text).value_or(std::string()) : std::string();
}

// ---------------------------------------------------------------------------
// The form
// ---------------------------------------------------------------------------

const TClassInfo& TForm_KXComm64_About::StaticClass() {
  using F = TForm_KXComm64_About;
  static const TClassInfo info =
      TClassBuilder<F>("TForm_KXComm64_About", &TForm::StaticClass()).Method("BnOKClick", &F::BnOKClick).Build();
  return info;
}

TForm_KXComm64_About::TForm_KXComm64_About(TComponent* AOwner, const std::string& ClassName) : TForm(AOwner) {
  (void)kFieldsRegistered;
  LoadForm();
  const TMsgStrings t;
  LabelCaption->Font()->SetSize(11);
  SetCaption(t.fGetMsg(0) + ClassName + t.fGetMsg(1));
  LabelCaption->SetCaption(ClassName);
  LabelVersion->SetCaption(t.fGetMsg(4));
  BnOK->SetCaption(t.fGetMsg(9));
  // The class name in its larger font may reach the version text (the fonts here are
  // wider than the design's); the version then goes below it, still right-aligned.
  if (LabelCaption->Left() + LabelCaption->Width() + 4 > LabelVersion->Left())
    LabelVersion->SetTop(LabelCaption->Top() + LabelCaption->Height() + 2);
  ShowSysInfo();
}

void TForm_KXComm64_About::ShowSysInfo() {
  utsname u{};
  const std::string kernel = uname(&u) == 0 ? u.release : "";
  LabelOSVer->SetCaption(OsVersionLine(OsProductName(), OsReleaseField("VERSION_ID"), kernel));
}

void TForm_KXComm64_About::BnOKClick(TObject*) { SetModalResult(mrOk); }
