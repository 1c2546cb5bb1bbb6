#include "platform/core/filer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

namespace {

// Deepest nesting of components, lists and collections a stream may have. Forms
// nest a handful of levels; the bound keeps hostile input off the C++ stack.
constexpr int kMaxDepth = 64;

const char kSignature[4] = {'T', 'P', 'F', '0'};

uint64_t GetLE(const uint8_t* p, int n) {
  uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void PutLE(uint8_t* p, uint64_t v, int n) {
  for (int i = 0; i < n; ++i, v >>= 8) p[i] = static_cast<uint8_t>(v);
}

// Leaves a nesting level when a read returns or throws.
struct TDepthGuard {
  TReader* R;
  explicit TDepthGuard(TReader* r) : R(r) { R->BeginNested(); }
  ~TDepthGuard() { R->EndNested(); }
};

// Reads bytes that live elsewhere (an embedded resource) in place.
class TByteView : public TCustomMemoryStream {
public:
  TByteView(const uint8_t* Data, size_t Size) { SetPointer(Data, static_cast<int64_t>(Size)); }
};

struct FieldTable {
  std::mutex Lock;
  std::map<const TClassInfo*, std::vector<TFieldEntry>> Fields;
};
FieldTable& Fields() {
  static FieldTable t;
  return t;
}

const TFieldEntry* FindField(const TClassInfo& Cls, const std::string& Name) {
  FieldTable& t = Fields();
  std::lock_guard<std::mutex> lock(t.Lock);
  for (const TClassInfo* c = &Cls; c; c = c->Parent) {
    auto it = t.Fields.find(c);
    if (it == t.Fields.end()) continue;
    for (const TFieldEntry& f : it->second)
      if (SameText(f.Name, Name)) return &f;
  }
  return nullptr;
}

// "Field <name> of <class> is not in the form stream" for the first registered
// field of Classes that Root's stream left empty, else "".
std::string FirstUnsetField(TObject* Root, const std::vector<const TClassInfo*>& Classes) {
  FieldTable& t = Fields();
  std::lock_guard<std::mutex> lock(t.Lock);
  for (const TClassInfo* c : Classes) {
    auto it = t.Fields.find(c);
    if (it == t.Fields.end()) continue;
    for (const TFieldEntry& f : it->second)
      if (f.Get && !f.Get(Root)) return "Field " + f.Name + " of " + c->Name + " is not in the form stream";
  }
  return "";
}

}  // namespace

// ---------------------------------------------------------------------------
// Extended floats

void LongDoubleToExtended(long double Value, uint8_t Out[10]) {
  uint16_t se = std::signbit(Value) ? 0x8000 : 0;
  uint64_t mant = 0;
  if (std::isnan(Value)) {
    se |= 0x7FFF;
    mant = 0xC000000000000000ULL;
  } else if (std::isinf(Value)) {
    se |= 0x7FFF;
    mant = 0x8000000000000000ULL;
  } else if (Value != 0) {
    int e = 0;
    long double m = std::frexp(std::fabs(Value), &e);  // |Value| = m * 2^e, m in [0.5, 1)
    int biased = e + 16382;
    if (biased >= 0x7FFF) {
      se |= 0x7FFF;
      mant = 0x8000000000000000ULL;
    } else if (biased <= 0) {
      // Denormal: the value is mant * 2^-16445 with the integer bit clear.
      int shift = e + 16445;
      mant = shift <= 0 ? 0 : static_cast<uint64_t>(std::ldexp(m, shift));
    } else {
      se |= static_cast<uint16_t>(biased);
      mant = static_cast<uint64_t>(std::ldexp(m, 64));
    }
  }
  PutLE(Out, mant, 8);
  PutLE(Out + 8, se, 2);
}

long double ExtendedToLongDouble(const uint8_t In[10]) {
  uint64_t mant = GetLE(In, 8);
  uint16_t se = static_cast<uint16_t>(GetLE(In + 8, 2));
  bool negative = (se & 0x8000) != 0;
  int exp = se & 0x7FFF;
  long double v;
  if (exp == 0x7FFF) {
    v = (mant << 1) == 0 ? HUGE_VALL : std::nanl("");
  } else if (exp == 0) {
    v = std::ldexp(static_cast<long double>(mant), -16445);
  } else {
    v = std::ldexp(static_cast<long double>(mant), exp - 16383 - 63);
  }
  return negative ? -v : v;
}

// ---------------------------------------------------------------------------
// TFiler

const TClassInfo& TFiler::StaticClass() {
  static const TClassInfo info{"TFiler", &TObject::StaticClass(), {}, {}, {}};
  return info;
}

// ---------------------------------------------------------------------------
// TComponent's streaming entry points

void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }
void TComponent::WriteState(TWriter* Writer) { Writer->WriteData(this); }

// ---------------------------------------------------------------------------
// TReader: low-level values

const TClassInfo& TReader::StaticClass() {
  static const TClassInfo info{"TReader", &TFiler::StaticClass(), {}, {}, {}};
  return info;
}

TReader::TReader(TStream* Stream) : TFiler(Stream) { FStreamSize = Stream->Size(); }

TReader::~TReader() = default;

void TReader::ReadError(const std::string& Message) { throw EReadError(Message); }

void TReader::BeginNested() {
  if (++FDepth > kMaxDepth) {
    --FDepth;
    ReadError("Form stream nested too deeply");
  }
}

void TReader::CheckLength(int64_t Length) {
  int64_t pos = FStream->Position() - (FPeeked ? 1 : 0);
  if (Length < 0 || Length > FStreamSize - pos) ReadError("Stream read error");
}

void TReader::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  uint8_t* p = static_cast<uint8_t*>(Buffer);
  if (FPeeked) {
    *p++ = FPeekByte;
    FPeeked = false;
    --Count;
  }
  if (Count > 0 && FStream->Read(p, Count) != Count) ReadError("Stream read error");
}

uint8_t TReader::ReadByte() {
  uint8_t b;
  Read(&b, 1);
  return b;
}

uint8_t TReader::PeekByte() {
  if (!FPeeked) {
    uint8_t b;
    if (FStream->Read(&b, 1) != 1) ReadError("Stream read error");
    FPeekByte = b;
    FPeeked = true;
  }
  return FPeekByte;
}

void TReader::SkipBytes(int64_t Count) {
  CheckLength(Count);
  if (Count > 0 && FPeeked) {
    FPeeked = false;
    --Count;
  }
  if (Count > 0) FStream->Seek(Count, soCurrent);
}

static void CheckTag(TReader* R, uint8_t B) {
  if (B > static_cast<uint8_t>(vaUTF8String))
    R->ReadError("Invalid value type " + std::to_string(B) + " in form stream");
}

TValueType TReader::ReadValue() {
  uint8_t b = ReadByte();
  CheckTag(this, b);
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
  uint8_t b = PeekByte();
  CheckTag(this, b);
  return static_cast<TValueType>(b);
}

void TReader::CheckValue(TValueType Value) {
  if (ReadValue() != Value) ReadError("Invalid property value");
}

void TReader::ReadSignature() {
  char sig[4];
  Read(sig, 4);
  if (std::memcmp(sig, kSignature, 4) != 0) ReadError("Invalid stream format");
}

void TReader::ReadPrefix(TFilerFlags& Flags, int& ChildPos) {
  Flags = {};
  if ((PeekByte() & 0xF0) == 0xF0) {
    uint8_t prefix = ReadByte() & 0x0F;
    Flags = TFilerFlags::FromInt(prefix & 0x07);
    if (Flags.Contains(ffChildPos)) ChildPos = ReadInteger();
  }
}

int64_t TReader::ReadIntegerOf(TValueType Tag) {
  uint8_t b[8];
  switch (Tag) {
    case vaInt8: Read(b, 1); return static_cast<int8_t>(b[0]);
    case vaInt16: Read(b, 2); return static_cast<int16_t>(GetLE(b, 2));
    case vaInt32: Read(b, 4); return static_cast<int32_t>(GetLE(b, 4));
    case vaInt64: Read(b, 8); return static_cast<int64_t>(GetLE(b, 8));
    default: ReadError("Invalid property value");
  }
}

int32_t TReader::ReadInteger() {
  TValueType t = ReadValue();
  if (t == vaInt64) ReadError("Invalid property value");
  return static_cast<int32_t>(ReadIntegerOf(t));
}

int64_t TReader::ReadInt64() { return ReadIntegerOf(ReadValue()); }

bool TReader::ReadBoolean() {
  TValueType t = ReadValue();
  if (t != vaTrue && t != vaFalse) ReadError("Invalid property value");
  return t == vaTrue;
}

char TReader::ReadChar() {
  std::string s = ReadString();
  if (s.size() != 1) ReadError("Invalid property value");
  return s[0];
}

long double TReader::ReadFloat() {
  TValueType t = ReadValue();
  uint8_t b[10];
  switch (t) {
    case vaExtended: Read(b, 10); return ExtendedToLongDouble(b);
    case vaSingle: {
      Read(b, 4);
      uint32_t bits = static_cast<uint32_t>(GetLE(b, 4));
      float f;
      std::memcpy(&f, &bits, 4);
      return f;
    }
    case vaDate: {
      Read(b, 8);
      uint64_t bits = GetLE(b, 8);
      double d;
      std::memcpy(&d, &bits, 8);
      return d;
    }
    case vaCurrency: Read(b, 8); return static_cast<long double>(static_cast<int64_t>(GetLE(b, 8))) / 10000;
    case vaInt8: case vaInt16: case vaInt32: case vaInt64: return static_cast<long double>(ReadIntegerOf(t));
    default: ReadError("Invalid property value");
  }
}

float TReader::ReadSingle() { return static_cast<float>(ReadFloat()); }

int64_t TReader::ReadCurrency() {
  if (NextValue() == vaCurrency) {
    ReadValue();
    uint8_t b[8];
    Read(b, 8);
    return static_cast<int64_t>(GetLE(b, 8));
  }
  long double v = ReadFloat() * 10000;
  if (!(std::fabs(v) < 9.2e18L)) ReadError("Invalid property value");
  return static_cast<int64_t>(std::llround(v));
}

double TReader::ReadDate() { return static_cast<double>(ReadFloat()); }

std::string TReader::ReadStr() {
  uint8_t n = ReadByte();
  std::string s(n, '\0');
  Read(s.data(), n);
  return s;
}

std::string TReader::ReadString() {
  TValueType t = ReadValue();
  uint8_t b[4];
  switch (t) {
    case vaString: {
      uint8_t n = ReadByte();
      std::string s(n, '\0');
      Read(s.data(), n);
      return s;
    }
    case vaLString: case vaUTF8String: {
      Read(b, 4);
      int64_t n = static_cast<int64_t>(GetLE(b, 4));
      CheckLength(n);
      std::string s(static_cast<size_t>(n), '\0');
      Read(s.data(), n);
      if (t == vaLString) return s;
      auto g = TryUtf8ToGbk(s);
      if (!g) ReadError("Invalid property value: the text has no GBK form");
      return *g;
    }
    case vaWString: {
      Read(b, 4);
      int64_t n = static_cast<int64_t>(GetLE(b, 4));
      CheckLength(n * 2);
      std::u16string w(static_cast<size_t>(n), u'\0');
      for (auto& ch : w) {
        uint8_t c[2];
        Read(c, 2);
        ch = static_cast<char16_t>(GetLE(c, 2));
      }
      auto g = TryUtf16ToGbk(w);
      if (!g) ReadError("Invalid property value: the text has no GBK form");
      return *g;
    }
    default: ReadError("Invalid property value");
  }
}

std::string TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: ReadError("Invalid property value");
  }
}

std::vector<std::string> TReader::ReadSetNames() {
  CheckValue(vaSet);
  std::vector<std::string> names;
  for (;;) {  // each name takes at least its length byte, so the stream bounds the loop
    std::string s = ReadStr();
    if (s.empty()) break;
    names.push_back(std::move(s));
  }
  return names;
}

int64_t TReader::ReadSet(const TTypeInfo& SetType) {
  const TTypeInfo* comp = SetType.CompType ? SetType.CompType : &SetType;
  uint64_t bits = 0;
  for (const std::string& name : ReadSetNames()) {
    int64_t v = GetEnumValue(*comp, name);
    if (v < 0 || v >= 64) ReadError("Invalid property element: " + name);
    bits |= uint64_t(1) << v;
  }
  return static_cast<int64_t>(bits);
}

std::string TReader::ReadBinary() {
  CheckValue(vaBinary);
  uint8_t b[4];
  Read(b, 4);
  int64_t n = static_cast<int64_t>(GetLE(b, 4));
  CheckLength(n);
  std::string data(static_cast<size_t>(n), '\0');
  Read(data.data(), n);
  return data;
}

void TReader::SkipValue() {
  uint8_t b[4];
  switch (ReadValue()) {
    case vaNull: case vaFalse: case vaTrue: case vaNil: break;
    case vaList: {
      TDepthGuard guard(this);
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    }
    case vaInt8: SkipBytes(1); break;
    case vaInt16: SkipBytes(2); break;
    case vaInt32: case vaSingle: SkipBytes(4); break;
    case vaInt64: case vaCurrency: case vaDate: SkipBytes(8); break;
    case vaExtended: SkipBytes(10); break;
    case vaString: case vaIdent: SkipBytes(ReadByte()); break;
    case vaBinary: case vaLString: case vaUTF8String:
      Read(b, 4);
      SkipBytes(static_cast<int64_t>(GetLE(b, 4)));
      break;
    case vaWString:
      Read(b, 4);
      SkipBytes(static_cast<int64_t>(GetLE(b, 4)) * 2);
      break;
    case vaSet:
      while (true) {
        uint8_t n = ReadByte();
        if (n == 0) break;
        SkipBytes(n);
      }
      break;
    case vaCollection: {
      TDepthGuard guard(this);
      while (!EndOfList()) {
        TValueType t = NextValue();
        if (t == vaInt8 || t == vaInt16 || t == vaInt32) ReadInteger();
        CheckValue(vaList);
        while (!EndOfList()) {
          SkipBytes(ReadByte());  // property name
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
    }
  }
}

// ---------------------------------------------------------------------------
// TReader: properties

void TReader::DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                             const TWriterProc&, bool) {
  if (!FPropHandled && ReadData && SameText(Name, FPropName)) {
    FPropHandled = true;
    ReadData(this);
  }
}

void TReader::DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                                   const TStreamProc&, bool) {
  if (!FPropHandled && ReadData && SameText(Name, FPropName)) {
    FPropHandled = true;
    std::string data = ReadBinary();
    TMemoryStream ms;
    ms.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    ms.SetPosition(0);
    ReadData(&ms);
  }
}

void TReader::ReadProperty(TPersistent* Instance) {
  std::string path = ReadStr();
  std::string owner;
  if (auto* c = dynamic_cast<TComponent*>(Instance)) owner = c->Name();
  else owner = Instance->GetNamePath();
  std::string saveContext = FPropContext;
  FPropContext = (owner.empty() ? "" : owner + ".") + path;
  try {
    ReadPropPath(Instance, path);
  } catch (const Exception& e) {
    std::string context = FPropContext;
    FPropContext = saveContext;
    throw EReadError("Error reading " + context + ": " + e.Message());
  }
  FPropContext = saveContext;
}

void TReader::ReadPropPath(TPersistent* Instance, const std::string& Path) {
  // "Font.Name": walk the owned persistents to the last part.
  TPersistent* target = Instance;
  size_t start = 0;
  for (size_t dot; (dot = Path.find('.', start)) != std::string::npos; start = dot + 1) {
    std::string part = Path.substr(start, dot - start);
    const TPropInfo* p = target->ClassInfo().FindProp(part);
    TObject* sub = p && p->Kind == TTypeKind::tkClass && p->GetObj ? p->GetObj(target) : nullptr;
    auto* next = dynamic_cast<TPersistent*>(sub);
    if (!next) {
      SkipValue();
      ReadError("Property " + part + " does not exist");
    }
    target = next;
  }
  FPropName = Path.substr(start);
  if (const TPropInfo* p = target->ClassInfo().FindProp(FPropName)) {
    ReadPropValue(target, *p);
    return;
  }
  FPropHandled = false;
  target->DefineProperties(this);
  bool handled = FPropHandled;
  FPropHandled = false;
  if (!handled) {
    SkipValue();
    ReadError("Property " + FPropName + " does not exist");
  }
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo& Prop) {
  if (Prop.Kind != TTypeKind::tkClass && !Prop.Writable()) ReadError("Property " + Prop.Name + " is read-only");
  switch (Prop.Kind) {
    case TTypeKind::tkInteger: case TTypeKind::tkInt64: {
      if (NextValue() == vaIdent) {
        std::string ident = ReadIdent();
        int64_t v = 0;
        if (!Prop.Idents || !Prop.Idents->IdentToInt(ident, v)) ReadError("Invalid property value");
        Prop.SetOrd(Instance, v);
      } else {
        Prop.SetOrd(Instance, ReadInt64());
      }
      break;
    }
    case TTypeKind::tkChar: {
      TValueType t = NextValue();
      if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
        int32_t v = ReadInteger();
        if (v < 0 || v > 255) ReadError("Invalid property value");
        Prop.SetOrd(Instance, v);
      } else {
        Prop.SetOrd(Instance, static_cast<unsigned char>(ReadChar()));
      }
      break;
    }
    case TTypeKind::tkBool: {
      std::string ident = ReadIdent();
      if (SameText(ident, "True")) Prop.SetOrd(Instance, 1);
      else if (SameText(ident, "False")) Prop.SetOrd(Instance, 0);
      else ReadError("Invalid property value");
      break;
    }
    case TTypeKind::tkEnumeration: {
      std::string ident = ReadIdent();
      int64_t v = Prop.TypeInfo ? GetEnumValue(*Prop.TypeInfo, ident) : -1;
      if (v < 0) ReadError("Invalid property value");
      Prop.SetOrd(Instance, v);
      break;
    }
    case TTypeKind::tkSet:
      if (!Prop.TypeInfo) ReadError("Invalid property value");
      Prop.SetOrd(Instance, ReadSet(*Prop.TypeInfo));
      break;
    case TTypeKind::tkFloat:
      if (!Prop.SetFloat) ReadError("Invalid property value");
      Prop.SetFloat(Instance, ReadFloat());
      break;
    case TTypeKind::tkString:
      if (!Prop.SetStr) ReadError("Invalid property value");
      Prop.SetStr(Instance, ReadString());
      break;
    case TTypeKind::tkMethod: {
      if (!Prop.SetMethod) ReadError("Invalid property value");
      if (NextValue() == vaNil) {
        ReadValue();
        Prop.SetMethod(Instance, TMethod{});
        break;
      }
      std::string name = ReadIdent();
      const TMethodEntry* m = FRoot ? FRoot->ClassInfo().FindMethod(name) : nullptr;
      if (!m) ReadError("Method " + name + " not found in " + (FRoot ? FRoot->ClassName() : std::string("nil")));
      TMethod method;
      method.Name = m->Name;
      method.Code = m->Bind(FRoot);
      Prop.SetMethod(Instance, method);
      break;
    }
    case TTypeKind::tkClass: {
      TValueType t = NextValue();
      if (t == vaNil) {
        ReadValue();
        if (!Prop.SetObj) ReadError("Property " + Prop.Name + " is read-only");
        Prop.SetObj(Instance, nullptr);
      } else if (t == vaIdent) {
        std::string name = ReadIdent();
        bool isComponent = Prop.PropClass && Prop.PropClass().InheritsFrom(&TComponent::StaticClass());
        if (!isComponent || !Prop.SetObj) ReadError("Invalid property value");
        AddFixup(Instance, Prop, name);
      } else if (t == vaCollection) {
        auto* c = dynamic_cast<TCollection*>(Prop.GetObj ? Prop.GetObj(Instance) : nullptr);
        if (!c) ReadError("Invalid property value");
        ReadCollection(c);
      } else {
        ReadError("Invalid property value");
      }
      break;
    }
    default:
      ReadError("Invalid property value");
  }
}

void TReader::ReadCollection(TCollection* Collection) {
  CheckValue(vaCollection);
  TDepthGuard guard(this);
  Collection->BeginUpdate();
  TOnExit update([&] { Collection->EndUpdate(); });
  Collection->Clear();
  while (!EndOfList()) {
    TValueType t = NextValue();
    if (t == vaInt8 || t == vaInt16 || t == vaInt32) ReadInteger();  // item order: not used
    TCollectionItem* item = Collection->Add();
    ReadListBegin();
    while (!EndOfList()) ReadProperty(item);
    ReadListEnd();
  }
  ReadListEnd();
}

void TReader::AddFixup(TPersistent* Instance, const TPropInfo& Prop, const std::string& Name) {
  FFixups.push_back({Instance, &Prop, Name, FPropContext, FOwner});
}

void TReader::DoFixupReferences() {
  std::vector<TFixup> fixups;
  fixups.swap(FFixups);
  for (const TFixup& f : fixups) {
    TComponent* target = nullptr;
    size_t dot = f.Name.find('.');
    if (dot == std::string::npos) {
      target = SameText(f.Name, FRoot->Name()) ? FRoot : FRoot->FindComponent(f.Name);
      // Not the root's: a name inside a form within the form, owned by the
      // component being read or by the owner of what was read.
      for (TComponent* scope : {dynamic_cast<TComponent*>(f.Instance), f.Owner})
        if (!target && scope && scope != FRoot) target = scope->FindComponent(f.Name);
    } else if (SameText(f.Name.substr(0, dot), FRoot->Name())) {
      target = FRoot->FindComponent(f.Name.substr(dot + 1));
    } else if (TComponent* holder = FRoot->FindComponent(f.Name.substr(0, dot))) {
      // Owned by a component of the root (a form inside the form).
      target = holder->FindComponent(f.Name.substr(dot + 1));
    }
    if (!target) ReadError("Error reading " + f.Context + ": Component " + f.Name + " not found");
    try {
      f.Prop->SetObj(f.Instance, target);
    } catch (const Exception& e) {
      ReadError("Error reading " + f.Context + ": " + e.Message());
    }
  }
}

// ---------------------------------------------------------------------------
// TReader: components

void TReader::ReadData(TComponent* Instance) {
  bool outer = !FInReadData;
  FInReadData = true;
  // A failed read leaves no fixups behind for the next one.
  TOnExit failed([&] {
    if (outer) {
      FInReadData = false;
      FFixups.clear();
    }
  });
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  {
    TRestore keepOwner(FOwner);
    TRestore keepParent(FParent);
    FParent = Instance->GetChildParent();
    if (!FParent) FParent = Instance;
    FOwner = Instance->GetChildOwner();
    if (!FOwner) FOwner = FRoot;
    while (!EndOfList()) ReadComponent(nullptr);
    ReadListEnd();
  }
  if (outer) {
    FInReadData = false;
    DoFixupReferences();
  }
  failed.Dismiss();
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  TDepthGuard guard(this);
  TFilerFlags flags;
  int childPos = -1;
  ReadPrefix(flags, childPos);
  std::string className = ReadStr();
  std::string name = ReadStr();
  if (!FOwner) FOwner = FRoot;

  TComponent* result = Component;
  bool created = false;
  if (!result && flags.Contains(ffInherited)) {
    // Made by an ancestor's stream already: this one only changes it.
    result = FOwner ? FOwner->FindComponent(name) : nullptr;
    if (!result) ReadError("Ancestor for '" + name + "' not found");
  }
  if (!result) {
    const TClassInfo* cls = GetClass(className);
    if (!cls) ReadError("Class " + className + " not found");
    if (!cls->InheritsFrom(&TComponent::StaticClass()) || !cls->Create)
      ReadError("Class " + className + " cannot be created by the form reader");
    try {
      result = static_cast<TComponent*>(cls->Create(FOwner));
    } catch (const Exception& e) {
      ReadError("Error creating " + name + ": " + e.Message());
    }
    created = true;
  }
  size_t loadedMark = FLoaded.size();
  try {
    if (created) {
      result->FComponentState << csLoading;
      result->SetName(name);
      if (FOwner) {
        if (const TFieldEntry* f = FindField(FOwner->ClassInfo(), name))
          if (!f->Set(FOwner, result))
            ReadError("Field " + name + " of " + FOwner->ClassName() + " does not hold a " + className);
      }
      if (FParent) result->SetParentComponent(FParent);
    }
    if (flags.Contains(ffChildPos) && FParent) FParent->SetChildOrder(result, childPos);
    result->FComponentState << csLoading << csReading;
    if (flags.Contains(ffInline)) result->FComponentState << csInline;
    if (std::find(FLoaded.begin(), FLoaded.end(), result) == FLoaded.end()) FLoaded.push_back(result);
    result->ReadState(this);
    result->FComponentState >> csReading;
  } catch (const EStreamError&) {
    if (created) {
      FLoaded.resize(loadedMark);
      FFixups.clear();
      delete result;
    }
    throw;
  } catch (const Exception& e) {
    if (created) {
      FLoaded.resize(loadedMark);
      FFixups.clear();
      delete result;
    }
    throw EReadError("Error reading " + name + ": " + e.Message());
  }
  return result;
}

TComponent* TReader::ReadRoot(TComponent* Root, std::vector<TComponent*>* Loaded) {
  ReadSignature();
  TFilerFlags flags;
  int childPos = -1;
  ReadPrefix(flags, childPos);
  std::string className = ReadStr();
  std::string name = ReadStr();
  TComponent* result = Root;
  bool created = false;
  if (!result) {
    const TClassInfo* cls = GetClass(className);
    if (!cls) ReadError("Class " + className + " not found");
    if (!cls->InheritsFrom(&TComponent::StaticClass()) || !cls->Create)
      ReadError("Class " + className + " cannot be created by the form reader");
    result = static_cast<TComponent*>(cls->Create(nullptr));
    created = true;
  }
  FRoot = result;
  FLookupRoot = result;
  FOwner = result;
  FParent = nullptr;
  FLoaded.clear();
  try {
    result->FComponentState << csLoading << csReading;
    if (result->Name() != name) result->SetName(name);
    FLoaded.push_back(result);
    FDepth = 1;
    result->ReadState(this);
    result->FComponentState >> csReading;
  } catch (const EStreamError&) {
    result->FComponentState >> csReading;
    FLoaded.clear();
    if (created) delete result;
    throw;
  } catch (const Exception& e) {
    result->FComponentState >> csReading;
    FLoaded.clear();
    if (created) delete result;
    throw EReadError("Error reading " + name + ": " + e.Message());
  }
  if (Loaded) {
    for (TComponent* c : FLoaded)
      if (std::find(Loaded->begin(), Loaded->end(), c) == Loaded->end()) Loaded->push_back(c);
  } else {
    std::vector<TComponent*> loaded;
    loaded.swap(FLoaded);
    for (TComponent* c : loaded) c->Loaded();
  }
  FLoaded.clear();
  return result;
}

TComponent* TReader::ReadRootComponent(TComponent* Root) { return ReadRoot(Root, nullptr); }

// ---------------------------------------------------------------------------
// TWriter

const TClassInfo& TWriter::StaticClass() {
  static const TClassInfo info{"TWriter", &TFiler::StaticClass(), {}, {}, {}};
  return info;
}

void TWriter::WriteValue(TValueType Value) {
  uint8_t b = static_cast<uint8_t>(Value);
  Write(&b, 1);
}

void TWriter::WriteSignature() { Write(kSignature, 4); }

void TWriter::WritePrefix(TFilerFlags Flags, int ChildPos) {
  if (Flags.Empty()) return;
  uint8_t b = static_cast<uint8_t>(0xF0 | Flags.ToInt());
  Write(&b, 1);
  if (Flags.Contains(ffChildPos)) WriteInteger(ChildPos);
}

void TWriter::WriteInteger(int64_t Value) {
  uint8_t b[8];
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteValue(vaInt8);
    PutLE(b, static_cast<uint64_t>(Value), 1);
    Write(b, 1);
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteValue(vaInt16);
    PutLE(b, static_cast<uint64_t>(Value), 2);
    Write(b, 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    PutLE(b, static_cast<uint64_t>(Value), 4);
    Write(b, 4);
  } else {
    WriteValue(vaInt64);
    PutLE(b, static_cast<uint64_t>(Value), 8);
    Write(b, 8);
  }
}

void TWriter::WriteFloat(long double Value) {
  uint8_t b[10];
  LongDoubleToExtended(Value, b);
  WriteValue(vaExtended);
  Write(b, 10);
}

void TWriter::WriteSingle(float Value) {
  uint32_t bits;
  std::memcpy(&bits, &Value, 4);
  uint8_t b[4];
  PutLE(b, bits, 4);
  WriteValue(vaSingle);
  Write(b, 4);
}

void TWriter::WriteCurrency(int64_t Scaled) {
  uint8_t b[8];
  PutLE(b, static_cast<uint64_t>(Scaled), 8);
  WriteValue(vaCurrency);
  Write(b, 8);
}

void TWriter::WriteDate(double Value) {
  uint64_t bits;
  std::memcpy(&bits, &Value, 8);
  uint8_t b[8];
  PutLE(b, bits, 8);
  WriteValue(vaDate);
  Write(b, 8);
}

void TWriter::WriteString(const std::string& Value) {
  if (Value.size() <= 255) {
    WriteValue(vaString);
    uint8_t n = static_cast<uint8_t>(Value.size());
    Write(&n, 1);
  } else {
    if (Value.size() > UINT32_MAX) throw EWriteError("String too long for a form stream");
    WriteValue(vaLString);
    uint8_t b[4];
    PutLE(b, Value.size(), 4);
    Write(b, 4);
  }
  Write(Value.data(), static_cast<int64_t>(Value.size()));
}

void TWriter::WriteStr(const std::string& Value) {
  if (Value.size() > 255) throw EWriteError("Name too long for a form stream: " + Value.substr(0, 32) + "...");
  uint8_t n = static_cast<uint8_t>(Value.size());
  Write(&n, 1);
  Write(Value.data(), n);
}

void TWriter::WriteIdent(const std::string& Ident) {
  if (SameText(Ident, "False")) WriteValue(vaFalse);
  else if (SameText(Ident, "True")) WriteValue(vaTrue);
  else if (SameText(Ident, "nil")) WriteValue(vaNil);
  else if (SameText(Ident, "Null")) WriteValue(vaNull);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteSet(const TTypeInfo& SetType, int64_t Value) {
  const TTypeInfo* comp = SetType.CompType ? SetType.CompType : &SetType;
  WriteValue(vaSet);
  uint64_t bits = static_cast<uint64_t>(Value);
  for (size_t i = 0; i < comp->Names.size() && i < 64; ++i)
    if (bits & (uint64_t(1) << i)) WriteStr(comp->Names[i]);
  WriteStr("");
}

void TWriter::WriteBinary(const void* Data, int64_t Count) {
  if (Count < 0 || Count > static_cast<int64_t>(UINT32_MAX)) throw EWriteError("Binary property too large");
  WriteValue(vaBinary);
  uint8_t b[4];
  PutLE(b, static_cast<uint64_t>(Count), 4);
  Write(b, 4);
  Write(Data, Count);
}

void TWriter::DefineProperty(const std::string& Name, const TReaderProc&, const TWriterProc& WriteData,
                             bool HasData) {
  if (HasData && WriteData) {
    WritePropName(Name);
    WriteData(this);
  }
}

void TWriter::DefineBinaryProperty(const std::string& Name, const TStreamProc&,
                                   const TStreamProc& WriteData, bool HasData) {
  if (HasData && WriteData) {
    WritePropName(Name);
    TMemoryStream ms;
    WriteData(&ms);
    WriteBinary(ms.Memory(), ms.Size());
  }
}

void TWriter::WriteCollection(TCollection* Collection) {
  WriteValue(vaCollection);
  {
    TRestore keepPath(FPropPath, std::string());
    TRestore keepAncestor(FAncestor);
    TRestore keepFresh(FFresh, nullptr);
    auto* ancestor = dynamic_cast<TCollection*>(FAncestor);
    for (int i = 0; Collection && i < Collection->Count(); ++i) {
      FAncestor = ancestor && i < ancestor->Count() ? ancestor->Items(i) : nullptr;
      WriteListBegin();
      WriteProperties(Collection->Items(i));
      WriteListEnd();
    }
  }
  WriteListEnd();
}

std::string TWriter::ComponentRefName(TComponent* Value) {
  if (Value == FLookupRoot || Value->Owner() == FLookupRoot || !Value->Owner() || Value->Owner()->Name().empty())
    return Value->Name();
  return Value->Owner()->Name() + "." + Value->Name();
}

// Serialises a collection's items, to compare a collection with its ancestor's.
static std::string CollectionBytes(TCollection* C) {
  TMemoryStream ms;
  TWriter w(&ms);
  w.WriteCollection(C);
  auto bytes = ms.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo& Prop) {
  TPersistent* anc = FAncestor && FAncestor->ClassInfo().FindProp(Prop.Name) == &Prop ? FAncestor : nullptr;
  TPersistent* fresh =
      !anc && FFresh && FFresh->ClassInfo().FindProp(Prop.Name) == &Prop ? FFresh : nullptr;
  switch (Prop.Kind) {
    case TTypeKind::tkInteger: case TTypeKind::tkInt64: case TTypeKind::tkChar:
    case TTypeKind::tkEnumeration: case TTypeKind::tkSet: case TTypeKind::tkBool: {
      if (!Prop.GetOrd) return;
      int64_t v = Prop.GetOrd(Instance);
      std::optional<int64_t> implied = !anc && Prop.Implied ? Prop.Implied(Instance) : std::nullopt;
      if (anc ? v == Prop.GetOrd(anc)
              : implied ? v == *implied
                        : (Prop.Default && v == *Prop.Default && !(fresh && Prop.GetOrd(fresh) != v)))
        return;
      WritePropName(Prop.Name);
      std::string ident;
      if (Prop.Kind == TTypeKind::tkBool) WriteBoolean(v != 0);
      else if (Prop.Kind == TTypeKind::tkChar) WriteChar(static_cast<char>(v));
      else if (Prop.Kind == TTypeKind::tkEnumeration && Prop.TypeInfo) WriteIdent(GetEnumName(*Prop.TypeInfo, v));
      else if (Prop.Kind == TTypeKind::tkSet && Prop.TypeInfo) WriteSet(*Prop.TypeInfo, v);
      else if (Prop.Idents && Prop.Idents->IntToIdent(v, ident)) WriteIdent(ident);
      else WriteInteger(v);
      return;
    }
    case TTypeKind::tkFloat: {
      if (!Prop.GetFloat) return;
      long double v = Prop.GetFloat(Instance);
      if (anc ? v == Prop.GetFloat(anc) : (v == 0 && !(fresh && Prop.GetFloat(fresh) != 0))) return;
      WritePropName(Prop.Name);
      WriteFloat(v);
      return;
    }
    case TTypeKind::tkString: {
      if (!Prop.GetStr) return;
      std::string v = Prop.GetStr(Instance);
      std::optional<std::string> implied = !anc && Prop.ImpliedText ? Prop.ImpliedText(Instance) : std::nullopt;
      if (anc ? v == Prop.GetStr(anc)
              : implied ? v == *implied : (v.empty() && !(fresh && !Prop.GetStr(fresh).empty())))
        return;
      WritePropName(Prop.Name);
      WriteString(v);
      return;
    }
    case TTypeKind::tkMethod: {
      if (!Prop.GetMethod) return;
      TMethod m = Prop.GetMethod(Instance);
      std::string name = m.Assigned() ? m.Name : std::string();
      if (m.Assigned() && name.empty()) return;  // bound in code, not by name: nothing to write
      std::string ancName;
      if (anc) {
        TMethod am = Prop.GetMethod(anc);
        if (am.Assigned()) ancName = am.Name;
      }
      if (SameText(name, ancName)) return;
      WritePropName(Prop.Name);
      if (name.empty()) WriteValue(vaNil);
      else WriteIdent(name);
      return;
    }
    case TTypeKind::tkClass: {
      if (!Prop.GetObj) return;
      TObject* obj = Prop.GetObj(Instance);
      TObject* ancObj = anc ? Prop.GetObj(anc) : nullptr;
      auto* comp = dynamic_cast<TComponent*>(obj);
      bool isReference = Prop.PropClass && Prop.PropClass().InheritsFrom(&TComponent::StaticClass()) &&
                         !(comp && comp->ComponentStyle().Contains(csSubComponent) && comp->Owner() == Instance);
      if (isReference) {
        auto* ancComp = dynamic_cast<TComponent*>(ancObj);
        std::string name = comp ? ComponentRefName(comp) : std::string();
        std::string ancName = ancComp ? ComponentRefName(ancComp) : std::string();
        if (SameText(name, ancName)) return;
        if (comp && name.empty()) return;  // an unnamed component cannot be referred to
        WritePropName(Prop.Name);
        if (comp) WriteIdent(name);
        else WriteValue(vaNil);
        return;
      }
      if (auto* coll = dynamic_cast<TCollection*>(obj)) {
        auto* ancColl = dynamic_cast<TCollection*>(ancObj);
        if (ancColl ? CollectionBytes(coll) == CollectionBytes(ancColl) : coll->Count() == 0) return;
        WritePropName(Prop.Name);
        TRestore keepAncestor(FAncestor, ancColl);
        WriteCollection(coll);
        return;
      }
      if (auto* sub = dynamic_cast<TPersistent*>(obj)) {
        // An owned persistent (Font): its properties go out as "Font.Name".
        TRestore keepPath(FPropPath, FPropPath + Prop.Name + ".");
        TRestore keepAncestor(FAncestor, dynamic_cast<TPersistent*>(ancObj));
        TRestore keepFresh(FFresh, fresh ? dynamic_cast<TPersistent*>(Prop.GetObj(fresh)) : nullptr);
        WriteProperties(sub);
      }
      return;
    }
    default:
      return;
  }
}

void TWriter::WriteProperties(TPersistent* Instance) {
  // A component's name travels in its header, not as a property.
  static const TPropInfo* const nameProp = TComponent::StaticClass().FindProp("Name");
  for (const TPropInfo* p : Instance->ClassInfo().AllProps()) {
    if (p == nameProp || !p->IsStored(Instance)) continue;
    if (p->Kind != TTypeKind::tkClass && !p->Writable()) continue;
    WriteProperty(Instance, *p);
  }
  Instance->DefineProperties(this);
}

void TWriter::WriteData(TComponent* Instance) {
  TFilerFlags flags;
  if (FAncestor && Instance != FRoot) flags << ffInherited;
  if (Instance->ComponentState().Contains(csInline)) flags << ffInline;
  WritePrefix(flags, 0);
  WriteStr(Instance->ClassName());
  WriteStr(Instance->Name());
  WriteProperties(Instance);
  WriteListEnd();
  if (!IgnoreChildren) {
    TComponent* saveRoot = FRoot;
    Instance->GetChildren([this](TComponent* Child) { WriteComponent(Child); }, FRoot);
    FRoot = saveRoot;
  }
  WriteListEnd();
}

TWriter::~TWriter() {
  for (auto& [cls, instance] : FFreshInstances) delete instance;
}

TPersistent* TWriter::FreshInstance(TComponent* Component) {
  const TClassInfo& cls = Component->ClassInfo();
  for (const TClassInfo* c = &cls; c; c = c->Parent)
    if (c->BuildsOwnDesign) return nullptr;
  if (!cls.Create) return nullptr;
  for (auto& [known, instance] : FFreshInstances)
    if (known == &cls) return dynamic_cast<TPersistent*>(instance);
  TObject* instance = nullptr;
  try {
    instance = cls.Create(nullptr);
  } catch (const std::exception&) {
    // A class that cannot be made without an owner is written against its declared
    // defaults alone.
  }
  FFreshInstances.emplace_back(&cls, instance);
  return dynamic_cast<TPersistent*>(instance);
}

void TWriter::WriteComponent(TComponent* Component) {
  TRestore keepAncestor(FAncestor);
  TRestore keepFresh(FFresh);
  if (Component != FRoot) FAncestor = FRootAncestor ? FRootAncestor->FindComponent(Component->Name()) : nullptr;
  FFresh = FAncestor ? nullptr : FreshInstance(Component);
  Component->FComponentState << csWriting;
  TOnExit writing([&] { Component->FComponentState >> csWriting; });
  Component->WriteState(this);
}

void TWriter::WriteDescendent(TComponent* Root, TComponent* Ancestor) {
  FRootAncestor = Ancestor;
  FAncestor = Ancestor;
  FRoot = Root;
  FLookupRoot = Root;
  WriteSignature();
  WriteComponent(Root);
}

// ---------------------------------------------------------------------------
// TStream's form entry points

TComponent* TStream::ReadComponent(TComponent* Instance) {
  TReader reader(this);
  return reader.ReadRootComponent(Instance);
}

void TStream::WriteComponent(TComponent* Instance) { WriteDescendent(Instance, nullptr); }

void TStream::WriteDescendent(TComponent* Instance, TComponent* Ancestor) {
  TWriter writer(this);
  writer.WriteDescendent(Instance, Ancestor);
}

// ---------------------------------------------------------------------------
// TCollection

const TClassInfo& TCollection::StaticClass() {
  static const TClassInfo info{"TCollection", &TPersistent::StaticClass(), {}, {}, {}};
  return info;
}

TCollection::~TCollection() {
  FUpdateCount = 1;  // no Update calls while the items go
  Clear();
}

TCollectionItem* TCollection::Add() {
  if (!FItemClass->Create) throw EInvalidOperation("Cannot create items of class " + FItemClass->Name);
  TObject* obj = FItemClass->Create(nullptr);
  auto* item = dynamic_cast<TCollectionItem*>(obj);
  if (!item) {
    delete obj;
    throw EInvalidOperation(FItemClass->Name + " is not a collection item class");
  }
  item->SetCollection(this);
  return item;
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) delete FItems.back();  // each item leaves the list itself
  EndUpdate();
}

void TCollection::Delete(int Index) { delete Items(Index); }

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[static_cast<size_t>(Index)];
}

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCollection*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  BeginUpdate();
  TOnExit update([&] { EndUpdate(); });
  Clear();
  for (TCollectionItem* item : src->FItems) Add()->Assign(item);
}

const TClassInfo& TCollectionItem::StaticClass() {
  static const TClassInfo info{"TCollectionItem", &TPersistent::StaticClass(), {}, {}, {}};
  return info;
}

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) {
    auto& v = FCollection->FItems;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    FCollection->Changed();
  }
  FCollection = Value;
  if (Value) {
    Value->FItems.push_back(this);
    Value->Changed();
  }
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  auto& v = FCollection->FItems;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TCollectionItem::SetIndex(int Value) {
  int cur = Index();
  if (cur < 0 || Value == cur) return;
  auto& v = FCollection->FItems;
  Value = std::clamp(Value, 0, static_cast<int>(v.size()) - 1);
  v.erase(v.begin() + cur);
  v.insert(v.begin() + Value, this);
  FCollection->Changed();
}

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

// ---------------------------------------------------------------------------
// Forms from embedded resources

void RegisterFields(const TClassInfo& RootClass, std::vector<TFieldEntry> FieldList) {
  FieldTable& t = Fields();
  std::lock_guard<std::mutex> lock(t.Lock);
  t.Fields[&RootClass] = std::move(FieldList);
}

bool InitInheritedComponent(TComponent* Instance, const TClassInfo& RootAncestor) {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = &Instance->ClassInfo(); c && c != &RootAncestor; c = c->Parent) chain.push_back(c);
  std::reverse(chain.begin(), chain.end());
  bool found = false;
  std::vector<TComponent*> loaded;
  for (const TClassInfo* c : chain) {
    std::span<const uint8_t> data = FindFormResource(c->Name);
    if (data.empty()) continue;
    found = true;
    TByteView view(data.data(), data.size());
    TReader reader(&view);
    reader.ReadRoot(Instance, &loaded);
  }
  // A field the stream missed would be a null pointer at its first use.
  if (found)
    if (std::string missing = FirstUnsetField(Instance, chain); !missing.empty()) throw EReadError(missing);
  // Loaded runs once, after every level is read.
  for (TComponent* c : loaded) c->Loaded();
  return found;
}

TComponent* ReadComponentRes(const std::string& ResName, TComponent* Instance) {
  TResourceStream rs(ResName);
  return rs.ReadComponent(Instance);
}

TComponent* ReadComponentFromBytes(const uint8_t* Data, size_t Size, TComponent* Instance) {
  TByteView view(Data, Size);
  return view.ReadComponent(Instance);
}
