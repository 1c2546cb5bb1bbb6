#pragma once
// The registry the system's settings code is written against, over one per-user
// file. HKEY_CURRENT_USER is that file's; HKEY_LOCAL_MACHINE answers the few
// machine keys the system reads from what this machine has (the OS version key,
// its product name from os-release) and holds nothing else; the other roots are
// empty. Machine keys open for reading only.
//
// The store file: $XDG_CONFIG_HOME/dtu-config/user-registry (~/.config when
// XDG_CONFIG_HOME is unset or empty), rewritten atomically on every change, one
// change at a time among threads and processes:
//   [HKEY_CURRENT_USER\Software\Temp\gallery]
//   @=sz:"the default value"
//   "Count"=dword:5
//   "Home"=expand:"%HOME%\\x"
//   "Bytes"=hex:0A,FF
//   "Other"=hex(7):41,00
// Names and texts are quoted with \\, \", \n, \r, \t and \xHH escapes; dword
// values are decimal. Key paths and value names compare without regard to ASCII
// case. A UTF-8 byte-order mark at the start is skipped. A store file with lines
// it cannot read is never written over: a change raises ERegistryException
// instead, so nothing in it is lost.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/storage/inifiles.h"
#include "platform/win32/wintypes.h"

using HKEY = std::uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
constexpr HKEY HKEY_USERS = 0x80000003;
constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;
constexpr HKEY HKEY_DYN_DATA = 0x80000006;

constexpr DWORD KEY_QUERY_VALUE = 0x0001;
constexpr DWORD KEY_SET_VALUE = 0x0002;
constexpr DWORD KEY_CREATE_SUB_KEY = 0x0004;
constexpr DWORD KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr DWORD KEY_NOTIFY = 0x0010;
constexpr DWORD KEY_CREATE_LINK = 0x0020;
constexpr DWORD KEY_READ = 0x20019;
constexpr DWORD KEY_WRITE = 0x20006;
constexpr DWORD KEY_EXECUTE = 0x20019;
constexpr DWORD KEY_ALL_ACCESS = 0xF003F;
constexpr DWORD DELETE_ACCESS = 0x10000;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

// Where the per-user store lives (see above); tests point it elsewhere (empty
// restores the default).
std::string RegistryStorePath();
// The user's configuration folder in GBK: $XDG_CONFIG_HOME, or ~/.config when it
// is unset or empty.
std::string UserConfigFolder();
void SetRegistryStorePathOverride(const std::string& Path);

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };
using enum TRegDataType;

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  int DataSize = 0;
};

// A registry key cursor. Errors raise ERegistryException with the class library's
// texts: "Failed to create key %s", "Failed to get data for '%s'", "Failed to set
// data for '%s'", "Invalid data type for '%s'". A key opened with an access mask
// without KEY_SET_VALUE refuses every change of its values, one without
// KEY_QUERY_VALUE every read, and a key needs KEY_CREATE_SUB_KEY to create a subkey.
class TRegistry : public TObject {
  DTU_CLASS(TRegistry, TObject)
public:
  explicit TRegistry(DWORD AAccess = KEY_ALL_ACCESS) : FAccess(AAccess) {}

  HKEY RootKey() const { return FRootKey; }
  void SetRootKey(HKEY Value);  // closes the open key
  DWORD Access() const { return FAccess; }
  void SetAccess(DWORD Value) { FAccess = Value; }
  // Whether a key is open, its path (without the root) and the mask it was opened with.
  bool KeyOpen() const { return FOpen; }
  const std::string& CurrentPath() const { return FCurrentPath; }
  DWORD CurrentAccess() const { return FOpen ? FCurrentAccess : 0; }

  // Opens Key with Access: from the root when Key starts with "\" or no key is
  // open, else below the open key. With CanCreate a missing key (and its missing
  // parents) is created. False when the key is missing or the access is refused.
  bool OpenKey(const std::string& Key, bool CanCreate);
  bool OpenKeyReadOnly(const std::string& Key);
  void CloseKey();
  bool CreateKey(const std::string& Key);
  bool DeleteKey(const std::string& Key);
  bool KeyExists(const std::string& Key);
  bool HasSubKeys();
  void GetKeyNames(TStrings* Strings);
  void GetValueNames(TStrings* Strings);  // the default value's name is ""

  bool ValueExists(const std::string& Name);
  bool DeleteValue(const std::string& Name);
  TRegDataType GetDataType(const std::string& Name);
  // Bytes the value holds (texts count their terminating NUL); -1 when missing.
  int GetDataSize(const std::string& Name);
  bool GetDataInfo(const std::string& Name, TRegDataInfo& Value);

  // A missing value reads as ""; a value of another type raises.
  std::string ReadString(const std::string& Name);
  void WriteString(const std::string& Name, const std::string& Value);
  void WriteExpandString(const std::string& Name, const std::string& Value);
  // Missing: "Failed to get data"; another type: "Invalid data type".
  int ReadInteger(const std::string& Name);
  void WriteInteger(const std::string& Name, int Value);
  bool ReadBool(const std::string& Name) { return ReadInteger(Name) != 0; }
  void WriteBool(const std::string& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }
  // Doubles and TDateTime as 8 bytes of binary data.
  double ReadFloat(const std::string& Name);
  void WriteFloat(const std::string& Name, double Value);
  TDateTime ReadDateTime(const std::string& Name) { return ReadFloat(Name); }
  void WriteDateTime(const std::string& Name, TDateTime Value) { WriteFloat(Name, Value); }
  // Copies a binary (or unknown-type) value into Buffer and returns its size; 0
  // when missing; a value larger than BufSize or of another type raises.
  int ReadBinaryData(const std::string& Name, void* Buffer, int BufSize);
  void WriteBinaryData(const std::string& Name, const void* Buffer, int BufSize);

  // The value's raw type and bytes; false when missing (or reading is refused).
  bool ReadRaw(const std::string& Name, DWORD& Type, std::string& Data);
  // Stores a value of any type (REG_MULTI_SZ, ...) as raw bytes.
  void WriteRaw(const std::string& Name, DWORD Type, const std::string& Data);

private:
  std::string Resolve(const std::string& Key, bool& Relative) const;

  HKEY FRootKey = HKEY_CURRENT_USER;
  DWORD FAccess;
  bool FOpen = false;
  std::string FCurrentPath;
  DWORD FCurrentAccess = 0;
};

// The ini front over a registry key: sections are subkeys of the key named by the
// file name, values are values of those keys. Strings are REG_SZ; integers are
// DWORDs (or text, when the value already is text); floats, dates and times are 8
// binary bytes (or text when the value already is text); Booleans "1"/"0" text as
// in an ini file; binary streams REG_BINARY. Reading a value of a section that
// does not exist gives the default; writing creates the section's key, and a
// write that the key's access refuses raises.
class TRegistryIniFile : public TCustomIniFile {
  DTU_CLASS(TRegistryIniFile, TCustomIniFile)
public:
  // Opens (creating it when missing) the key FileName with AAccess.
  explicit TRegistryIniFile(const std::string& FileName, DWORD AAccess = KEY_ALL_ACCESS);
  ~TRegistryIniFile() override;
  TRegistry* RegIniFile() const { return FRegIniFile; }

  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default) override;
  void WriteString(const std::string& Section, const std::string& Ident,
                   const std::string& Value) override;
  int ReadInteger(const std::string& Section, const std::string& Ident, int Default) override;
  void WriteInteger(const std::string& Section, const std::string& Ident, int Value) override;
  double ReadFloat(const std::string& Section, const std::string& Ident, double Default) override;
  void WriteFloat(const std::string& Section, const std::string& Ident, double Value) override;
  TDateTime ReadDate(const std::string& Section, const std::string& Ident, TDateTime Default) override;
  void WriteDate(const std::string& Section, const std::string& Ident, TDateTime Value) override;
  TDateTime ReadDateTime(const std::string& Section, const std::string& Ident,
                         TDateTime Default) override;
  void WriteDateTime(const std::string& Section, const std::string& Ident, TDateTime Value) override;
  TDateTime ReadTime(const std::string& Section, const std::string& Ident, TDateTime Default) override;
  void WriteTime(const std::string& Section, const std::string& Ident, TDateTime Value) override;
  int ReadBinaryStream(const std::string& Section, const std::string& Name, TStream* Value) override;
  void WriteBinaryStream(const std::string& Section, const std::string& Name, TStream* Value) override;

  void ReadSection(const std::string& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  // "Name=Value" lines in the form RegistryValueLine gives.
  void ReadSectionValues(const std::string& Section, TStrings* Strings) override;
  void EraseSection(const std::string& Section) override;
  void DeleteKey(const std::string& Section, const std::string& Ident) override;
  // The batch covers every change of the store this thread makes meanwhile (through
  // any TRegistry); other threads write through as before. The last EndUpdate makes
  // the changes again on the store as it is then and writes it once; a write whose
  // key was deleted meanwhile (by another thread or program) cannot be made: the
  // others are written, then EndUpdate raises ERegistryException naming it.
  void BeginUpdate() override;
  void EndUpdate() override;

private:
  // Runs Body with a TRegistry on the section's key; false when it does not open.
  template <class F> bool InSection(const std::string& Section, bool Create, F Body);
  template <class F> TDateTime ReadDateValue(const std::string& Section, const std::string& Ident,
                                             TDateTime Default, F FromText);
  template <class F> void WriteDateValue(const std::string& Section, const std::string& Ident,
                                         TDateTime Value, F ToText);
  TRegistry* FRegIniFile;
  int FUpdateCount = 0;
};

// One "Name=Value" line for a value of Reg's open key: the default value as
// "Default=<text>", texts as they are, DWORDs in decimal, binary data as two
// upper-case hex digits and a blank per byte, other types "Unknown Data Type".
std::string RegistryValueLine(TRegistry* Reg, const std::string& Name);
