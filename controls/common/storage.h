#pragma once
// TQvRegIniFile: one storage front for the framed controls' settings, an ini file
// or a registry key, chosen by PathType. The platform storage object behind it is
// built on the first operation after a property change.
#include <string>

#include "platform/core/object.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/storage/inifiles.h"
#include "platform/storage/registry.h"

enum class TQvPathType { ptIniFile, ptRegistry };
using enum TQvPathType;
DTU_DECLARE_ENUM(TQvPathType)

enum class TQvRegKey { hkeyClassesRoot, hkeyCurrentUser, hkeyLocalMachine, hkeyUsers,
                       hkeyPerformanceData, hkeyCurrentConfig, hkeyDynData };
using enum TQvRegKey;
DTU_DECLARE_ENUM(TQvRegKey)

enum class TQvRegAccessKey { keyQueryValue, keySetValue, keyCreateSubKey, keyEnumerateSubKeys,
                             keyNotify, keyCreateLink, keyRead, keyWrite, keyExecute, keyAllAccess };
using enum TQvRegAccessKey;
DTU_DECLARE_ENUM(TQvRegAccessKey)
using TQvRegAccess = TSet<TQvRegAccessKey>;

// The registry root of each TQvRegKey and the access mask of each TQvRegAccessKey.
HKEY QvRegKeyRoot(TQvRegKey Key);
DWORD QvRegAccessMask(TQvRegAccess Access);

// Raised by components that need a storage component and have none.
DTU_DECLARE_EXCEPTION(ENoRegIniFile, Exception)
extern const char* const sQvNoRegIniFile;
extern const char* const sQvCannotLoadFraming;
extern const char* const sQvCannotSaveFraming;
extern const char* const sQvCannotLoadColors;
extern const char* const sQvCannotSaveColors;
extern const char* const sQvCannotRestoreFormState;
extern const char* const sQvCannotSaveFormState;

class TQvRegIniFile : public TComponent {
  DTU_CLASS(TQvRegIniFile, TComponent)
public:
  explicit TQvRegIniFile(TComponent* AOwner);
  ~TQvRegIniFile() override;

  // The ini file name or registry key path; an empty one becomes the default path
  // at the next operation: for an ini file $XDG_CONFIG_HOME/<exe>/<exe>.ini
  // (~/.config when XDG_CONFIG_HOME is unset), for the registry
  // "\Software\Temp\" + the application title.
  const std::string& Path() const { return FPath; }
  virtual void SetPath(const std::string& Value);
  TQvPathType PathType() const { return FPathType; }
  virtual void SetPathType(TQvPathType Value);
  TQvRegKey RegKey() const { return FRegKey; }
  virtual void SetRegKey(TQvRegKey Value);
  TQvRegAccess RegAccess() const { return FRegAccess; }
  virtual void SetRegAccess(TQvRegAccess Value);

  std::string ReadString(const std::string& Section, const std::string& Name, const std::string& Default);
  void WriteString(const std::string& Section, const std::string& Name, const std::string& Value);
  int ReadInteger(const std::string& Section, const std::string& Name, int Default);
  void WriteInteger(const std::string& Section, const std::string& Name, int Value);
  bool ReadBool(const std::string& Section, const std::string& Name, bool Default);
  void WriteBool(const std::string& Section, const std::string& Name, bool Value);
  double ReadFloat(const std::string& Section, const std::string& Name, double Default);
  void WriteFloat(const std::string& Section, const std::string& Name, double Value);
  TDateTime ReadDate(const std::string& Section, const std::string& Name, TDateTime Default);
  void WriteDate(const std::string& Section, const std::string& Name, TDateTime Value);
  TDateTime ReadDateTime(const std::string& Section, const std::string& Name, TDateTime Default);
  void WriteDateTime(const std::string& Section, const std::string& Name, TDateTime Value);
  TDateTime ReadTime(const std::string& Section, const std::string& Name, TDateTime Default);
  void WriteTime(const std::string& Section, const std::string& Name, TDateTime Value);
  int ReadBinaryStream(const std::string& Section, const std::string& Name, TStream* Stream);
  void WriteBinaryStream(const std::string& Section, const std::string& Name, TStream* Stream);
  void ReadSection(const std::string& Section, TStrings* Strings);
  void ReadSections(TStrings* Strings);
  // Ini: the file's "Name=Value" lines. Registry: the section key's values sorted
  // by name, each as RegistryValueLine gives it (the default value first, as
  // "Default=..."); nothing when the key does not exist.
  void ReadSectionValues(const std::string& Section, TStrings* Strings);
  bool SectionExists(const std::string& Section);
  bool ValueExists(const std::string& Section, const std::string& Name);
  void EraseSection(const std::string& Section);
  void DeleteKey(const std::string& Section, const std::string& Name);
  // One save or load of many values as one change of the store: the storage
  // object's BeginUpdate/EndUpdate (one reading; one atomic replacement under the
  // store's lock at the end). Pair them with a scope guard; they nest.
  void BeginUpdate();
  void EndUpdate();

  // How many times the storage object was built (tests count rebuilds).
  int StorageBuilds() const { return FBuilds; }
  // The storage object in use (built when needed).
  TCustomIniFile* Storage();

protected:
  void CheckAccess();

private:
  std::string FPath;
  TQvPathType FPathType = ptIniFile;
  TQvRegKey FRegKey = hkeyCurrentUser;
  TQvRegAccess FRegAccess{keyAllAccess};
  bool FDirty = true;
  TIniFile* FIniFile = nullptr;
  TRegistryIniFile* FRegIniFile = nullptr;
  int FBuilds = 0;
};
