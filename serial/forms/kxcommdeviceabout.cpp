#include "serial/forms/kxcommdeviceabout.h"

#include <sys/utsname.h>

#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/panels.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "serial/commerror.h"

namespace {

std::mutex GOsReleaseLock;
std::string GOsReleasePath;

// The value of KEY=VALUE in an os-release text, its quotes and escapes removed.
std::string OsReleaseValue(const std::string& Text, const std::string& Key) {
  size_t pos = 0;
  while (pos < Text.size()) {
    size_t end = Text.find('\n', pos);
    if (end == std::string::npos) end = Text.size();
    std::string line = Text.substr(pos, end - pos);
    pos = end + 1;
    if (line.compare(0, Key.size() + 1, Key + "=") != 0) continue;
    std::string v = Trim(line.substr(Key.size() + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
      std::string out;
      for (size_t i = 1; i + 1 < v.size(); ++i) {
        if (v[i] == '\\' && i + 2 < v.size()) ++i;
        out += v[i];
      }
      v = out;
    }
    return v;
  }
  return {};
}

std::string ReadText(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), {});
}

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

}  // namespace

std::string OsVersionLine(const std::string& OsReleaseText, const std::string& KernelRelease) {
  std::string name = OsReleaseValue(OsReleaseText, "PRETTY_NAME");
  if (name.empty()) name = OsReleaseValue(OsReleaseText, "NAME");
  if (name.empty()) name = "Linux";
  std::string line = name;
  const std::string version = OsReleaseValue(OsReleaseText, "VERSION_ID");
  if (!version.empty()) line += " " + version;
  if (!Trim(KernelRelease).empty()) line += " (" + Trim(KernelRelease) + ")";
  return LabelText(line);
}

void SetAboutOsReleasePath(const std::string& Path) {
  std::lock_guard<std::mutex> lock(GOsReleaseLock);
  GOsReleasePath = Path;
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
  std::string text;
  {
    std::lock_guard<std::mutex> lock(GOsReleaseLock);
    if (!GOsReleasePath.empty()) {
      text = ReadText(GOsReleasePath);
    } else {
      text = ReadText("/etc/os-release");
      if (text.empty()) text = ReadText("/usr/lib/os-release");
    }
  }
  utsname u{};
  const std::string kernel = uname(&u) == 0 ? u.release : "";
  LabelOSVer->SetCaption(OsVersionLine(text, kernel));
}

void TForm_KXComm64_About::BnOKClick(TObject*) { SetModalResult(mrOk); }
