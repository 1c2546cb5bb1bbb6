#include "platform/storage/registry.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>

#include "platform/core/gbk.h"
#include "platform/storage/atomicfile.h"
#include "platform/win32/osversion.h"

const TClassInfo& TRegistry::StaticClass() {
  static const TClassInfo info{"TRegistry", &TObject::StaticClass(), {}, {}, {}};
  return info;
}
const TClassInfo& TRegistryIniFile::StaticClass() {
  static const TClassInfo info{"TRegistryIniFile", &TCustomIniFile::StaticClass(), {}, {}, {}};
  return info;
}

// ---------------------------------------------------------------------------
// The store
// ---------------------------------------------------------------------------

namespace {
std::mutex GStoreLock;  // one change of the store file at a time (load, change, save)
std::mutex GOverrideLock;
std::string GStoreOverride;

struct TValue {
  std::string Name;
  DWORD Type = REG_NONE;
  std::string Data;
};
struct TKey {
  std::string Path;  // below the root, "Software\Temp\gallery"; "" for the root itself
  std::vector<TValue> Values;
};
struct TStore {
  std::vector<TKey> Keys;
  int BadLine = 0;  // first line that could not be read (1-based), 0 when none
};

const char* const StoreRoot = "HKEY_CURRENT_USER";

std::string Normalize(const std::string& Path) {
  std::string out, part;
  auto flush = [&]() {
    if (!part.empty()) {
      if (!out.empty()) out += '\\';
      out += part;
      part.clear();
    }
  };
  for (char c : Path) {
    if (c == '\\') flush();
    else part += c;
  }
  flush();
  return out;
}

bool IsBelowOrSame(const std::string& Path, const std::string& Parent) {
  if (Parent.empty()) return true;
  if (Path.size() < Parent.size()) return false;
  if (!SameText(Path.substr(0, Parent.size()), Parent)) return false;
  return Path.size() == Parent.size() || Path[Parent.size()] == '\\';
}

std::string Escape(const std::string& S) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char ch : S) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\x";
          out += digits[c >> 4];
          out += digits[c & 15];
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

int Hex(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

// Reads a quoted text at S[Pos]; Pos moves past the closing quote.
bool Unescape(const std::string& S, size_t& Pos, std::string& Out) {
  if (Pos >= S.size() || S[Pos] != '"') return false;
  ++Pos;
  Out.clear();
  while (Pos < S.size()) {
    char c = S[Pos++];
    if (c == '"') return true;
    if (c != '\\') {
      Out += c;
      continue;
    }
    if (Pos >= S.size()) return false;
    char e = S[Pos++];
    switch (e) {
      case 'n': Out += '\n'; break;
      case 'r': Out += '\r'; break;
      case 't': Out += '\t'; break;
      case 'x': {
        if (Pos + 1 >= S.size() || Hex(S[Pos]) < 0 || Hex(S[Pos + 1]) < 0) return false;
        Out += static_cast<char>(Hex(S[Pos]) * 16 + Hex(S[Pos + 1]));
        Pos += 2;
        break;
      }
      default: Out += e;
    }
  }
  return false;
}

std::string HexBytes(const std::string& Data) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < Data.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(Data[i]);
    if (i) out += ',';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

bool ParseHexBytes(const std::string& S, std::string& Out) {
  Out.clear();
  size_t i = 0;
  while (i < S.size()) {
    if (i + 1 >= S.size() || Hex(S[i]) < 0 || Hex(S[i + 1]) < 0) return false;
    Out += static_cast<char>(Hex(S[i]) * 16 + Hex(S[i + 1]));
    i += 2;
    if (i < S.size()) {
      if (S[i] != ',') return false;
      ++i;
    }
  }
  return true;
}

std::string DwordBytes(DWORD V) {
  std::string d(4, '\0');
  for (int i = 0; i < 4; ++i) d[i] = static_cast<char>((V >> (8 * i)) & 0xFF);
  return d;
}

DWORD BytesDword(const std::string& D) {
  DWORD v = 0;
  for (size_t i = 0; i < 4 && i < D.size(); ++i) v |= DWORD(static_cast<unsigned char>(D[i])) << (8 * i);
  return v;
}

bool ParseValueLine(const std::string& Line, TValue& V) {
  size_t pos = 0;
  if (Line[0] == '@') {
    V.Name.clear();
    pos = 1;
  } else if (!Unescape(Line, pos, V.Name)) {
    return false;
  }
  if (pos >= Line.size() || Line[pos] != '=') return false;
  std::string rest = Line.substr(pos + 1);
  size_t colon = rest.find(':');
  if (colon == std::string::npos) return false;
  std::string kind = rest.substr(0, colon), data = rest.substr(colon + 1);
  if (kind == "sz" || kind == "expand") {
    size_t p = 0;
    if (!Unescape(data, p, V.Data) || p != data.size()) return false;
    V.Type = kind == "sz" ? REG_SZ : REG_EXPAND_SZ;
    return true;
  }
  if (kind == "dword") {
    if (data.empty() || data.size() > 10 || data.find_first_not_of("0123456789") != std::string::npos)
      return false;
    unsigned long long n = std::strtoull(data.c_str(), nullptr, 10);
    if (n > 0xFFFFFFFFull) return false;
    V.Type = REG_DWORD;
    V.Data = DwordBytes(static_cast<DWORD>(n));
    return true;
  }
  if (kind == "hex") {
    V.Type = REG_BINARY;
    return ParseHexBytes(data, V.Data);
  }
  if (kind.size() > 5 && kind.compare(0, 4, "hex(") == 0 && kind.back() == ')') {
    std::string num = kind.substr(4, kind.size() - 5);
    if (num.empty() || num.find_first_not_of("0123456789") != std::string::npos || num.size() > 10)
      return false;
    V.Type = static_cast<DWORD>(std::strtoull(num.c_str(), nullptr, 10));
    return ParseHexBytes(data, V.Data);
  }
  return false;
}

TStore LoadStore() {
  TStore s;
  bool bom = false;  // a byte-order mark some editors put first is not a line
  std::optional<std::string> data = ReadWholeFile(RegistryStorePath(), &bom);
  if (!data) return s;
  size_t pos = 0;
  int lineNo = 0;
  TKey* key = nullptr;
  bool skipping = false;  // inside a block of a root this store does not keep
  while (pos < data->size()) {
    size_t end = data->find('\n', pos);
    if (end == std::string::npos) end = data->size();
    std::string line = data->substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    bool ok = true;
    if (line[0] == '[') {
      ok = line.back() == ']';
      std::string path = line.substr(1, line.size() - 2);
      std::string root = path.substr(0, path.find('\\'));
      ok = ok && SameText(root, StoreRoot);
      if (ok) {
        std::string below = path.size() > root.size() ? Normalize(path.substr(root.size())) : "";
        key = nullptr;
        for (TKey& k : s.Keys)
          if (SameText(k.Path, below)) key = &k;
        if (!key) {
          s.Keys.push_back({below, {}});
          key = &s.Keys.back();
        }
        skipping = false;
      }
    } else if (key && !skipping) {
      TValue v;
      ok = ParseValueLine(line, v);
      if (ok) {
        bool replaced = false;
        for (TValue& old : key->Values)
          if (SameText(old.Name, v.Name)) {
            old = v;
            replaced = true;
          }
        if (!replaced) key->Values.push_back(std::move(v));
      }
    } else {
      ok = false;
    }
    if (!ok && !s.BadLine) s.BadLine = lineNo;
  }
  return s;
}

// A store with a line it cannot read is never written over.
void RefuseDamagedStore(const TStore& S) {
  if (S.BadLine)
    throw ERegistryException("The registry store " + RegistryStorePath() + " has a line that cannot be read (line " +
                             IntToStr(S.BadLine) + "); it is left as it is");
}

void SaveStore(const TStore& S) {
  RefuseDamagedStore(S);
  std::string path = RegistryStorePath();
  std::string out = "; Per-user registry store, rewritten by the program on every change.\n";
  for (const TKey& k : S.Keys) {
    out += "\n[" + std::string(StoreRoot) + (k.Path.empty() ? "" : "\\" + k.Path) + "]\n";
    for (const TValue& v : k.Values) {
      out += v.Name.empty() ? std::string("@") : Escape(v.Name);
      out += '=';
      switch (v.Type) {
        case REG_SZ: out += "sz:" + Escape(v.Data); break;
        case REG_EXPAND_SZ: out += "expand:" + Escape(v.Data); break;
        case REG_BINARY: out += "hex:" + HexBytes(v.Data); break;
        default:
          // A dword of another size than 4 keeps its bytes, so rewriting the
          // store for another value changes neither its type nor its size.
          if (v.Type == REG_DWORD && v.Data.size() == 4) out += "dword:" + UIntToStr(BytesDword(v.Data));
          else out += "hex(" + UIntToStr(v.Type) + "):" + HexBytes(v.Data);
      }
      out += '\n';
    }
  }
  try {
    AtomicWriteFile(path, out, "Cannot write the registry store");
  } catch (const EWriteError& E) {
    throw ERegistryException(E.Message());
  }
}

// The machine keys this system reads, answered from this machine.
TStore MachineStore() {
  TStore s;
  TKey k{"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", {}};
  std::string product = OsProductName();
  if (!product.empty()) k.Values.push_back({"ProductName", REG_SZ, product});
  k.Values.push_back({"CurrentVersion", REG_SZ,
                      UIntToStr(DtuVersionMajor) + "." + UIntToStr(DtuVersionMinor)});
  k.Values.push_back({"CurrentBuildNumber", REG_SZ, UIntToStr(DtuVersionBuild)});
  s.Keys.push_back(std::move(k));
  return s;
}

// A batch of this thread (TRegistryIniFile::BeginUpdate): the store as read once,
// with the changes made since applied, and those changes, to be run again on the
// store as it is when the batch ends.
using TStoreChange = std::function<bool(TStore&)>;
struct TStoreBatch {
  int Depth = 0;
  TStore Store;
  std::vector<TStoreChange> Changes;
};
thread_local TStoreBatch GBatch;

// Runs Change (true when it changed the store) at once, loading and saving the
// store under the locks, or on the batch's copy while this thread has one open.
bool ChangeStore(TStoreChange Change) {
  if (GBatch.Depth > 0) {
    RefuseDamagedStore(GBatch.Store);  // as a direct change would
    bool changed = Change(GBatch.Store);
    if (changed) GBatch.Changes.push_back(std::move(Change));
    return changed;
  }
  std::lock_guard<std::mutex> lock(GStoreLock);
  TFolderLock folderLock(RegistryStorePath());
  TStore s = LoadStore();
  bool changed = Change(s);
  if (changed) SaveStore(s);
  return changed;
}

void BeginStoreBatch() {
  if (GBatch.Depth == 0) {
    std::lock_guard<std::mutex> lock(GStoreLock);
    GBatch.Store = LoadStore();
  }
  ++GBatch.Depth;
}

void EndStoreBatch() {
  if (GBatch.Depth == 0 || --GBatch.Depth > 0) return;
  std::vector<TStoreChange> changes = std::move(GBatch.Changes);
  GBatch = {};
  if (changes.empty()) return;
  std::lock_guard<std::mutex> lock(GStoreLock);
  TFolderLock folderLock(RegistryStorePath());
  TStore s = LoadStore();
  bool changed = false;
  std::string failed;
  for (const TStoreChange& c : changes) {
    try {
      changed = c(s) || changed;
    } catch (const ERegistryException& E) {
      // Its key went meanwhile (another program deleted it): this change cannot be
      // made, the others are, and the caller learns of it once they are written.
      failed += (failed.empty() ? "" : "; ") + E.Message();
    }
  }
  if (changed) SaveStore(s);
  if (!failed.empty()) throw ERegistryException(failed);
}

TStore Snapshot(HKEY Root) {
  if (Root == HKEY_CURRENT_USER) {
    if (GBatch.Depth > 0) return GBatch.Store;
    std::lock_guard<std::mutex> lock(GStoreLock);
    return LoadStore();
  }
  if (Root == HKEY_LOCAL_MACHINE) return MachineStore();
  return {};
}

bool KeyIn(const TStore& S, const std::string& Path) {
  if (Path.empty()) return true;
  for (const TKey& k : S.Keys)
    if (IsBelowOrSame(k.Path, Path)) return true;
  return false;
}

const TKey* FindKey(const TStore& S, const std::string& Path) {
  for (const TKey& k : S.Keys)
    if (SameText(k.Path, Path)) return &k;
  return nullptr;
}

const TValue* FindValue(const TStore& S, const std::string& Path, const std::string& Name) {
  const TKey* k = FindKey(S, Path);
  if (!k) return nullptr;
  for (const TValue& v : k->Values)
    if (SameText(v.Name, Name)) return &v;
  return nullptr;
}

TKey& EnsureKey(TStore& S, const std::string& Path) {
  for (TKey& k : S.Keys)
    if (SameText(k.Path, Path)) return k;
  S.Keys.push_back({Path, {}});
  return S.Keys.back();
}

// Machine keys are read-only: a mask asking for more than reading is refused.
bool MaskAllowed(HKEY Root, DWORD Access) {
  if (Root == HKEY_CURRENT_USER) return true;
  return (Access & ~(KEY_READ | KEY_NOTIFY)) == 0;
}
}  // namespace

std::string RegistryStorePath() {
  {
    std::lock_guard<std::mutex> lock(GOverrideLock);
    if (!GStoreOverride.empty()) return GStoreOverride;
  }
  return UserConfigFolder() + "/dtu-config/user-registry";
}

std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && *xdg) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : ".") + "/.config";
  }
  std::string gbk;
  if (!Utf8ToGbk(base, gbk)) gbk = base;
  return gbk;
}

void SetRegistryStorePathOverride(const std::string& Path) {
  std::lock_guard<std::mutex> lock(GOverrideLock);
  GStoreOverride = Path;
}

// ---------------------------------------------------------------------------
// TRegistry
// ---------------------------------------------------------------------------

void TRegistry::SetRootKey(HKEY Value) {
  if (Value == FRootKey) return;
  CloseKey();
  FRootKey = Value;
}

std::string TRegistry::Resolve(const std::string& Key, bool& Relative) const {
  Relative = FOpen && (Key.empty() || Key[0] != '\\');
  return Normalize(Relative ? FCurrentPath + "\\" + Key : Key);
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
  bool relative = false;
  std::string path = Resolve(Key, relative);
  if (!MaskAllowed(FRootKey, FAccess)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (!KeyIn(Snapshot(FRootKey), path)) {
    DWORD base = relative ? FCurrentAccess : KEY_ALL_ACCESS;
    if (!CanCreate || FRootKey != HKEY_CURRENT_USER || !(base & KEY_CREATE_SUB_KEY)) {
      SetLastError(CanCreate ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
      return false;
    }
    ChangeStore([path](TStore& s) {
      if (KeyIn(s, path)) return false;
      EnsureKey(s, path);
      return true;
    });
  }
  FOpen = true;
  FCurrentPath = path;
  FCurrentAccess = FAccess;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key) {
  DWORD saved = FAccess;
  FAccess = KEY_READ;
  bool ok = OpenKey(Key, false);
  if (!ok) FAccess = saved;
  return ok;
}

void TRegistry::CloseKey() {
  FOpen = false;
  FCurrentPath.clear();
  FCurrentAccess = 0;
}

bool TRegistry::CreateKey(const std::string& Key) {
  bool relative = false;
  std::string path = Resolve(Key, relative);
  DWORD base = relative ? FCurrentAccess : KEY_ALL_ACCESS;
  if (FRootKey != HKEY_CURRENT_USER || !(base & KEY_CREATE_SUB_KEY))
    throw ERegistryException("Failed to create key " + Key);
  ChangeStore([path](TStore& s) {
    if (KeyIn(s, path)) return false;
    EnsureKey(s, path);
    return true;
  });
  return true;
}

bool TRegistry::DeleteKey(const std::string& Key) {
  bool relative = false;
  std::string path = Resolve(Key, relative);
  DWORD base = relative ? FCurrentAccess : KEY_ALL_ACCESS;
  if (FRootKey != HKEY_CURRENT_USER || path.empty() ||
      !(base & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE_ACCESS)))
    return false;
  return ChangeStore([path](TStore& s) {
    std::vector<TKey> kept;
    bool found = false;
    for (TKey& k : s.Keys) {
      if (IsBelowOrSame(k.Path, path)) found = true;
      else kept.push_back(k);
    }
    if (found) s.Keys = std::move(kept);
    return found;
  });
}

bool TRegistry::KeyExists(const std::string& Key) {
  bool relative = false;
  std::string path = Resolve(Key, relative);
  return KeyIn(Snapshot(FRootKey), path);
}

namespace {
std::vector<std::string> ChildNames(const TStore& S, const std::string& Path) {
  std::vector<std::string> out;
  for (const TKey& k : S.Keys) {
    if (!IsBelowOrSame(k.Path, Path) || SameText(k.Path, Path)) continue;
    std::string rest = Path.empty() ? k.Path : k.Path.substr(Path.size() + 1);
    std::string child = rest.substr(0, rest.find('\\'));
    bool dup = false;
    for (const auto& n : out) dup = dup || SameText(n, child);
    if (!dup) out.push_back(child);
  }
  return out;
}
}  // namespace

bool TRegistry::HasSubKeys() {
  if (!FOpen) return false;
  return !ChildNames(Snapshot(FRootKey), FCurrentPath).empty();
}

void TRegistry::GetKeyNames(TStrings* Strings) {
  Strings->BeginUpdate();
  Strings->Clear();
  if (FOpen && (FCurrentAccess & KEY_ENUMERATE_SUB_KEYS))
    for (const auto& n : ChildNames(Snapshot(FRootKey), FCurrentPath)) Strings->Add(n);
  Strings->EndUpdate();
}

void TRegistry::GetValueNames(TStrings* Strings) {
  Strings->BeginUpdate();
  Strings->Clear();
  if (FOpen && (FCurrentAccess & KEY_QUERY_VALUE)) {
    TStore s = Snapshot(FRootKey);
    if (const TKey* k = FindKey(s, FCurrentPath))
      for (const TValue& v : k->Values) Strings->Add(v.Name);
  }
  Strings->EndUpdate();
}

bool TRegistry::ReadRaw(const std::string& Name, DWORD& Type, std::string& Data) {
  if (!FOpen || !(FCurrentAccess & KEY_QUERY_VALUE)) return false;
  TStore s = Snapshot(FRootKey);
  const TValue* v = FindValue(s, FCurrentPath, Name);
  if (!v) return false;
  Type = v->Type;
  Data = v->Data;
  return true;
}

void TRegistry::WriteRaw(const std::string& Name, DWORD Type, const std::string& Data) {
  if (!FOpen || !(FCurrentAccess & KEY_SET_VALUE) || FRootKey != HKEY_CURRENT_USER)
    throw ERegistryException("Failed to set data for '" + Name + "'");
  ChangeStore([path = FCurrentPath, Name, Type, Data](TStore& s) {
    if (!KeyIn(s, path))  // deleted behind this cursor's back
      throw ERegistryException("Failed to set data for '" + Name + "'");
    TKey& k = EnsureKey(s, path);
    bool replaced = false;
    for (TValue& v : k.Values)
      if (SameText(v.Name, Name)) {
        v.Type = Type;
        v.Data = Data;
        replaced = true;
      }
    if (!replaced) k.Values.push_back({Name, Type, Data});
    return true;
  });
}

bool TRegistry::ValueExists(const std::string& Name) {
  DWORD t;
  std::string d;
  return ReadRaw(Name, t, d);
}

bool TRegistry::DeleteValue(const std::string& Name) {
  if (!FOpen || !(FCurrentAccess & KEY_SET_VALUE) || FRootKey != HKEY_CURRENT_USER) return false;
  return ChangeStore([path = FCurrentPath, Name](TStore& s) {
    for (TKey& k : s.Keys) {
      if (!SameText(k.Path, path)) continue;
      for (size_t i = 0; i < k.Values.size(); ++i)
        if (SameText(k.Values[i].Name, Name)) {
          k.Values.erase(k.Values.begin() + static_cast<long>(i));
          return true;
        }
    }
    return false;
  });
}

namespace {
TRegDataType DataTypeOf(DWORD Type) {
  switch (Type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}
}  // namespace

bool TRegistry::GetDataInfo(const std::string& Name, TRegDataInfo& Value) {
  DWORD t;
  std::string d;
  if (!ReadRaw(Name, t, d)) {
    Value = {};
    return false;
  }
  Value.RegData = DataTypeOf(t);
  Value.DataSize = static_cast<int>(d.size()) + (t == REG_SZ || t == REG_EXPAND_SZ ? 1 : 0);
  return true;
}

TRegDataType TRegistry::GetDataType(const std::string& Name) {
  TRegDataInfo info;
  GetDataInfo(Name, info);
  return info.RegData;
}

int TRegistry::GetDataSize(const std::string& Name) {
  TRegDataInfo info;
  return GetDataInfo(Name, info) ? info.DataSize : -1;
}

std::string TRegistry::ReadString(const std::string& Name) {
  DWORD t;
  std::string d;
  if (!ReadRaw(Name, t, d)) return "";
  if (t != REG_SZ && t != REG_EXPAND_SZ) throw ERegistryException("Invalid data type for '" + Name + "'");
  return d;
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
  WriteRaw(Name, REG_SZ, Value);
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value) {
  WriteRaw(Name, REG_EXPAND_SZ, Value);
}

int TRegistry::ReadInteger(const std::string& Name) {
  DWORD t;
  std::string d;
  if (!ReadRaw(Name, t, d)) throw ERegistryException("Failed to get data for '" + Name + "'");
  if (t != REG_DWORD) throw ERegistryException("Invalid data type for '" + Name + "'");
  return static_cast<int>(BytesDword(d));
}

void TRegistry::WriteInteger(const std::string& Name, int Value) {
  WriteRaw(Name, REG_DWORD, DwordBytes(static_cast<DWORD>(Value)));
}

double TRegistry::ReadFloat(const std::string& Name) {
  DWORD t;
  std::string d;
  if (!ReadRaw(Name, t, d)) throw ERegistryException("Failed to get data for '" + Name + "'");
  if (t != REG_BINARY || d.size() != sizeof(double))
    throw ERegistryException("Invalid data type for '" + Name + "'");
  double v;
  std::memcpy(&v, d.data(), sizeof v);
  return v;
}

void TRegistry::WriteFloat(const std::string& Name, double Value) {
  WriteRaw(Name, REG_BINARY, std::string(reinterpret_cast<const char*>(&Value), sizeof Value));
}

int TRegistry::ReadBinaryData(const std::string& Name, void* Buffer, int BufSize) {
  DWORD t;
  std::string d;
  if (!ReadRaw(Name, t, d)) return 0;
  TRegDataType type = DataTypeOf(t);
  if ((type != rdBinary && type != rdUnknown) || static_cast<int>(d.size()) > BufSize)
    throw ERegistryException("Invalid data type for '" + Name + "'");
  if (!d.empty()) std::memcpy(Buffer, d.data(), d.size());
  return static_cast<int>(d.size());
}

void TRegistry::WriteBinaryData(const std::string& Name, const void* Buffer, int BufSize) {
  WriteRaw(Name, REG_BINARY, std::string(static_cast<const char*>(Buffer), static_cast<size_t>(BufSize)));
}

std::string RegistryValueLine(TRegistry* Reg, const std::string& Name) {
  DWORD t = REG_NONE;
  std::string d;
  Reg->ReadRaw(Name, t, d);
  std::string shown = Name.empty() ? "Default" : Name;
  switch (t) {
    case REG_SZ:
    case REG_EXPAND_SZ: return shown + "=" + d;
    case REG_DWORD: return shown + "=" + IntToStr(static_cast<int>(BytesDword(d)));
    case REG_BINARY: {
      std::string hex;
      for (char c : d) hex += IntToHex(static_cast<int>(static_cast<unsigned char>(c)), 2) + " ";
      return shown + "=" + hex;
    }
    default: return shown + "=Unknown Data Type";
  }
}

// ---------------------------------------------------------------------------
// TRegistryIniFile
// ---------------------------------------------------------------------------

TRegistryIniFile::TRegistryIniFile(const std::string& FileName, DWORD AAccess)
    : TCustomIniFile(FileName), FRegIniFile(new TRegistry(AAccess)) {
  if (!FileName.empty()) FRegIniFile->OpenKey(FileName, true);
}

TRegistryIniFile::~TRegistryIniFile() {
  while (FUpdateCount > 0) {
    --FUpdateCount;
    try {
      EndStoreBatch();
    } catch (const Exception&) {
      // Nobody is left to tell; the store stays as it was.
    }
  }
  delete FRegIniFile;
}

void TRegistryIniFile::BeginUpdate() {
  BeginStoreBatch();
  ++FUpdateCount;
}

void TRegistryIniFile::EndUpdate() {
  if (FUpdateCount == 0) return;
  --FUpdateCount;
  EndStoreBatch();
}

template <class F>
bool TRegistryIniFile::InSection(const std::string& Section, bool Create, F Body) {
  TRegistry reg(FRegIniFile->Access());
  reg.SetRootKey(FRegIniFile->RootKey());
  bool open = FRegIniFile->KeyOpen() && reg.OpenKey("\\" + FRegIniFile->CurrentPath(), false);
  if (open && !Section.empty()) open = reg.OpenKey(Section, Create);
  if (!open) {
    if (Create) throw ERegistryException("Failed to create key " + Section);
    return false;
  }
  Body(reg);
  return true;
}

std::string TRegistryIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                         const std::string& Default) {
  std::string result = Default;
  InSection(Section, false, [&](TRegistry& r) {
    if (r.ValueExists(Ident)) result = r.ReadString(Ident);
  });
  return result;
}

void TRegistryIniFile::WriteString(const std::string& Section, const std::string& Ident,
                                   const std::string& Value) {
  InSection(Section, true, [&](TRegistry& r) { r.WriteString(Ident, Value); });
}

int TRegistryIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) {
  int result = Default;
  InSection(Section, false, [&](TRegistry& r) {
    if (!r.ValueExists(Ident)) return;
    if (r.GetDataType(Ident) == rdString) result = StrToIntDef(r.ReadString(Ident), Default);
    else result = r.ReadInteger(Ident);
  });
  return result;
}

void TRegistryIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
  InSection(Section, true, [&](TRegistry& r) {
    if (r.GetDataType(Ident) == rdString) r.WriteString(Ident, IntToStr(Value));
    else r.WriteInteger(Ident, Value);
  });
}

double TRegistryIniFile::ReadFloat(const std::string& Section, const std::string& Ident,
                                   double Default) {
  double result = Default;
  InSection(Section, false, [&](TRegistry& r) {
    if (!r.ValueExists(Ident)) return;
    if (r.GetDataType(Ident) == rdString) result = StrToFloatDef(r.ReadString(Ident), Default);
    else result = r.ReadFloat(Ident);
  });
  return result;
}

void TRegistryIniFile::WriteFloat(const std::string& Section, const std::string& Ident, double Value) {
  InSection(Section, true, [&](TRegistry& r) {
    if (r.GetDataType(Ident) == rdString) r.WriteString(Ident, FloatToStr(Value));
    else r.WriteFloat(Ident, Value);
  });
}

template <class F>
TDateTime TRegistryIniFile::ReadDateValue(const std::string& Section, const std::string& Ident,
                                          TDateTime Default, F FromText) {
  TDateTime result = Default;
  InSection(Section, false, [&](TRegistry& r) {
    if (!r.ValueExists(Ident)) return;
    if (r.GetDataType(Ident) == rdString) {
      try {
        result = FromText(r.ReadString(Ident));
      } catch (const EConvertError&) {
      }
    } else {
      result = r.ReadDateTime(Ident);
    }
  });
  return result;
}

template <class F>
void TRegistryIniFile::WriteDateValue(const std::string& Section, const std::string& Ident,
                                      TDateTime Value, F ToText) {
  InSection(Section, true, [&](TRegistry& r) {
    if (r.GetDataType(Ident) == rdString) r.WriteString(Ident, ToText(Value));
    else r.WriteDateTime(Ident, Value);
  });
}

TDateTime TRegistryIniFile::ReadDate(const std::string& Section, const std::string& Ident,
                                     TDateTime Default) {
  return ReadDateValue(Section, Ident, Default, IniStrToDate);
}
void TRegistryIniFile::WriteDate(const std::string& Section, const std::string& Ident,
                                 TDateTime Value) {
  WriteDateValue(Section, Ident, Value, IniDateToStr);
}
TDateTime TRegistryIniFile::ReadDateTime(const std::string& Section, const std::string& Ident,
                                         TDateTime Default) {
  return ReadDateValue(Section, Ident, Default, IniStrToDateTime);
}
void TRegistryIniFile::WriteDateTime(const std::string& Section, const std::string& Ident,
                                     TDateTime Value) {
  WriteDateValue(Section, Ident, Value, IniDateTimeToStr);
}
TDateTime TRegistryIniFile::ReadTime(const std::string& Section, const std::string& Ident,
                                     TDateTime Default) {
  return ReadDateValue(Section, Ident, Default, IniStrToTime);
}
void TRegistryIniFile::WriteTime(const std::string& Section, const std::string& Ident,
                                 TDateTime Value) {
  WriteDateValue(Section, Ident, Value, IniTimeToStr);
}

int TRegistryIniFile::ReadBinaryStream(const std::string& Section, const std::string& Name,
                                       TStream* Value) {
  int count = 0;
  InSection(Section, false, [&](TRegistry& r) {
    DWORD t;
    std::string d;
    if (!r.ReadRaw(Name, t, d) || t != REG_BINARY || d.empty()) return;
    int64_t start = Value->Position();
    Value->WriteBuffer(d.data(), static_cast<int64_t>(d.size()));
    Value->SetPosition(start);
    count = static_cast<int>(d.size());
  });
  return count;
}

void TRegistryIniFile::WriteBinaryStream(const std::string& Section, const std::string& Name,
                                         TStream* Value) {
  std::string data;
  char buf[4096];
  for (;;) {
    int64_t n = Value->Read(buf, sizeof buf);
    if (n <= 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  InSection(Section, true, [&](TRegistry& r) {
    r.WriteBinaryData(Name, data.data(), static_cast<int>(data.size()));
  });
}

void TRegistryIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  Strings->Clear();
  InSection(Section, false, [&](TRegistry& r) { r.GetValueNames(Strings); });
  Strings->EndUpdate();
}

void TRegistryIniFile::ReadSections(TStrings* Strings) {
  Strings->BeginUpdate();
  Strings->Clear();
  InSection("", false, [&](TRegistry& r) { r.GetKeyNames(Strings); });
  Strings->EndUpdate();
}

void TRegistryIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  Strings->Clear();
  InSection(Section, false, [&](TRegistry& r) {
    TStringList names;
    r.GetValueNames(&names);
    for (int i = 0; i < names.Count(); ++i) Strings->Add(RegistryValueLine(&r, names.Strings(i)));
  });
  Strings->EndUpdate();
}

void TRegistryIniFile::EraseSection(const std::string& Section) {
  InSection("", false, [&](TRegistry& r) {
    if (r.KeyExists(Section) && !r.DeleteKey(Section))
      throw ERegistryException("Failed to delete key " + Section);
  });
}

void TRegistryIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  InSection(Section, false, [&](TRegistry& r) {
    if (r.ValueExists(Ident) && !r.DeleteValue(Ident))
      throw ERegistryException("Failed to set data for '" + Ident + "'");
  });
}
