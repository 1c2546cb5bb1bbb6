#include "controls/common/storage.h"

#include "platform/controls/forms.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TQvPathType, "ptIniFile", "ptRegistry")
DTU_DEFINE_ENUM(TQvRegKey, "hkeyClassesRoot", "hkeyCurrentUser", "hkeyLocalMachine", "hkeyUsers",
                "hkeyPerformanceData", "hkeyCurrentConfig", "hkeyDynData")
DTU_DEFINE_ENUM(TQvRegAccessKey, "keyQueryValue", "keySetValue", "keyCreateSubKey",
                "keyEnumerateSubKeys", "keyNotify", "keyCreateLink", "keyRead", "keyWrite",
                "keyExecute", "keyAllAccess")

const char* const sQvNoRegIniFile = "No TQvRegIniFile component specified";
const char* const sQvCannotLoadFraming =
    "Cannot load Custom Framing settings--No TQvRegIniFile component specified";
const char* const sQvCannotSaveFraming =
    "Cannot save Custom Framing settings--No TQvRegIniFile component specified";
const char* const sQvCannotLoadColors = "Cannot load Custom Colors--No TQvRegIniFile component specified";
const char* const sQvCannotSaveColors = "Cannot save Custom Colors--No TQvRegIniFile component specified";
const char* const sQvCannotRestoreFormState =
    "Cannot restore Form State--No TQvRegIniFile component specified";
const char* const sQvCannotSaveFormState = "Cannot save Form State--No TQvRegIniFile component specified";

HKEY QvRegKeyRoot(TQvRegKey Key) { return HKEY_CLASSES_ROOT + static_cast<HKEY>(Key); }

DWORD QvRegAccessMask(TQvRegAccess Access) {
  static const DWORD masks[] = {KEY_QUERY_VALUE, KEY_SET_VALUE, KEY_CREATE_SUB_KEY,
                                KEY_ENUMERATE_SUB_KEYS, KEY_NOTIFY, KEY_CREATE_LINK,
                                KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS};
  DWORD mask = 0;
  for (int i = 0; i < 10; ++i)
    if (Access.Contains(static_cast<TQvRegAccessKey>(i))) mask |= masks[i];
  return mask;
}

const TClassInfo& TQvRegIniFile::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvRegIniFile>("TQvRegIniFile", &TComponent::StaticClass())
          .Component()
          .Str("Path", &TQvRegIniFile::Path, &TQvRegIniFile::SetPath)
          .Enum<TQvPathType>("PathType", &TQvRegIniFile::PathType, &TQvRegIniFile::SetPathType, ptIniFile)
          .Enum<TQvRegKey>("RegKey", &TQvRegIniFile::RegKey, &TQvRegIniFile::SetRegKey, hkeyCurrentUser)
          .Set<TQvRegAccessKey>("RegAccess", &TQvRegIniFile::RegAccess, &TQvRegIniFile::SetRegAccess,
                                TQvRegAccess{keyAllAccess})
          .Build();
  return info;
}

TQvRegIniFile::TQvRegIniFile(TComponent* AOwner) : TComponent(AOwner) {}

TQvRegIniFile::~TQvRegIniFile() {
  delete FIniFile;
  delete FRegIniFile;
}

void TQvRegIniFile::SetPath(const std::string& Value) {
  if (Value == FPath) return;
  FPath = Value;
  FDirty = true;
}

void TQvRegIniFile::SetPathType(TQvPathType Value) {
  if (Value == FPathType) return;
  FPathType = Value;
  FDirty = true;
}

void TQvRegIniFile::SetRegKey(TQvRegKey Value) {
  if (Value == FRegKey) return;
  FRegKey = Value;
  FDirty = true;
}

void TQvRegIniFile::SetRegAccess(TQvRegAccess Value) {
  if (Value == FRegAccess) return;
  FRegAccess = Value;
  FDirty = true;
}

namespace {
// The executable's file name without folder and extension.
std::string ExeBaseName() {
  std::string name = Application ? Application->ExeName() : std::string();
  name = ExtractFileName(name);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  return name;
}

// A folder beside an installed executable is not writable here, so the default
// ini file lives in the user's configuration folder, in one of its own.
std::string DefaultIniPath() {
  std::string exe = ExeBaseName();
  return UserConfigFolder() + "/" + exe + "/" + exe + ".ini";
}
}  // namespace

void TQvRegIniFile::CheckAccess() {
  if (!FDirty) return;
  FreeAndNil(FIniFile);
  FreeAndNil(FRegIniFile);
  std::string s = FPath;
  if (FPathType == ptRegistry) {
    if (s.empty()) {
      std::string title = Application ? Application->Title() : std::string();
      s = "\\Software\\Temp\\" + (title.empty() ? ExeBaseName() : title);
    }
    FRegIniFile = new TRegistryIniFile("", QvRegAccessMask(FRegAccess));
    FRegIniFile->RegIniFile()->SetRootKey(QvRegKeyRoot(FRegKey));
    FRegIniFile->RegIniFile()->OpenKey(s, true);
  } else {
    if (s.empty()) s = DefaultIniPath();
    FIniFile = new TIniFile(s);
  }
  FPath = s;
  FDirty = false;
  ++FBuilds;
}

TCustomIniFile* TQvRegIniFile::Storage() {
  CheckAccess();
  if (FPathType == ptRegistry) return FRegIniFile;
  return FIniFile;
}

std::string TQvRegIniFile::ReadString(const std::string& Section, const std::string& Name,
                                      const std::string& Default) {
  return Storage()->ReadString(Section, Name, Default);
}
void TQvRegIniFile::WriteString(const std::string& Section, const std::string& Name,
                                const std::string& Value) {
  Storage()->WriteString(Section, Name, Value);
}
int TQvRegIniFile::ReadInteger(const std::string& Section, const std::string& Name, int Default) {
  return Storage()->ReadInteger(Section, Name, Default);
}
void TQvRegIniFile::WriteInteger(const std::string& Section, const std::string& Name, int Value) {
  Storage()->WriteInteger(Section, Name, Value);
}
bool TQvRegIniFile::ReadBool(const std::string& Section, const std::string& Name, bool Default) {
  return Storage()->ReadBool(Section, Name, Default);
}
void TQvRegIniFile::WriteBool(const std::string& Section, const std::string& Name, bool Value) {
  Storage()->WriteBool(Section, Name, Value);
}
double TQvRegIniFile::ReadFloat(const std::string& Section, const std::string& Name, double Default) {
  return Storage()->ReadFloat(Section, Name, Default);
}
void TQvRegIniFile::WriteFloat(const std::string& Section, const std::string& Name, double Value) {
  Storage()->WriteFloat(Section, Name, Value);
}
TDateTime TQvRegIniFile::ReadDate(const std::string& Section, const std::string& Name, TDateTime Default) {
  return Storage()->ReadDate(Section, Name, Default);
}
void TQvRegIniFile::WriteDate(const std::string& Section, const std::string& Name, TDateTime Value) {
  Storage()->WriteDate(Section, Name, Value);
}
TDateTime TQvRegIniFile::ReadDateTime(const std::string& Section, const std::string& Name,
                                      TDateTime Default) {
  return Storage()->ReadDateTime(Section, Name, Default);
}
void TQvRegIniFile::WriteDateTime(const std::string& Section, const std::string& Name, TDateTime Value) {
  Storage()->WriteDateTime(Section, Name, Value);
}
TDateTime TQvRegIniFile::ReadTime(const std::string& Section, const std::string& Name, TDateTime Default) {
  return Storage()->ReadTime(Section, Name, Default);
}
void TQvRegIniFile::WriteTime(const std::string& Section, const std::string& Name, TDateTime Value) {
  Storage()->WriteTime(Section, Name, Value);
}
int TQvRegIniFile::ReadBinaryStream(const std::string& Section, const std::string& Name, TStream* Stream) {
  return Storage()->ReadBinaryStream(Section, Name, Stream);
}
void TQvRegIniFile::WriteBinaryStream(const std::string& Section, const std::string& Name,
                                      TStream* Stream) {
  Storage()->WriteBinaryStream(Section, Name, Stream);
}
void TQvRegIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
  Storage()->ReadSection(Section, Strings);
}
void TQvRegIniFile::ReadSections(TStrings* Strings) { Storage()->ReadSections(Strings); }
bool TQvRegIniFile::SectionExists(const std::string& Section) { return Storage()->SectionExists(Section); }
bool TQvRegIniFile::ValueExists(const std::string& Section, const std::string& Name) {
  return Storage()->ValueExists(Section, Name);
}
void TQvRegIniFile::EraseSection(const std::string& Section) { Storage()->EraseSection(Section); }
void TQvRegIniFile::DeleteKey(const std::string& Section, const std::string& Name) {
  Storage()->DeleteKey(Section, Name);
}

void TQvRegIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
  TCustomIniFile* storage = Storage();
  if (FPathType != ptRegistry) {
    storage->ReadSectionValues(Section, Strings);
    return;
  }
  Strings->BeginUpdate();
  TOnExit endUpdate([&] { Strings->EndUpdate(); });
  Strings->Clear();
  // Reading only: a key this user may read but not change (a machine key) lists too.
  TRegistry reg(KEY_READ);
  reg.SetRootKey(QvRegKeyRoot(FRegKey));
  std::string key = FPath;
  if (key.empty() || key.back() != '\\') key += '\\';
  if (reg.OpenKey(key + Section, false)) {
    TStringList names;
    reg.GetValueNames(&names);
    names.Sort();
    for (int i = 0; i < names.Count(); ++i) Strings->Add(RegistryValueLine(&reg, names.Strings(i)));
  }
}
