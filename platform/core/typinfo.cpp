#include "platform/core/typinfo.h"

#include "platform/core/sysutils.h"

namespace {

const TPropInfo& Need(TObject* Instance, const std::string& PropName, bool ok, const char* what) {
  const TPropInfo& p = FindPropInfo(Instance, PropName);
  if (!ok) throw EPropertyError("Property " + PropName + " is not " + what);
  return p;
}

}  // namespace

const TPropInfo* GetPropInfo(const TObject* Instance, const std::string& PropName) {
  return Instance ? Instance->ClassInfo().FindProp(PropName) : nullptr;
}

const TPropInfo& FindPropInfo(const TObject* Instance, const std::string& PropName) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  if (!p) throw EPropertyError("Unknown property: " + PropName);
  return *p;
}

bool IsPublishedProp(const TObject* Instance, const std::string& PropName) {
  return GetPropInfo(Instance, PropName) != nullptr;
}

int64_t GetOrdProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo& p = FindPropInfo(Instance, PropName);
  if (!p.GetOrd) throw EPropertyError("Property " + PropName + " is not an ordinal");
  return p.GetOrd(Instance);
}

void SetOrdProp(TObject* Instance, const std::string& PropName, int64_t Value) {
  const TPropInfo& p = FindPropInfo(Instance, PropName);
  if (!p.SetOrd) throw EPropertyError("Property " + PropName + " is read-only or not an ordinal");
  p.SetOrd(Instance, Value);
}

long double GetFloatProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  return Need(Instance, PropName, p && p->GetFloat, "a float").GetFloat(Instance);
}

void SetFloatProp(TObject* Instance, const std::string& PropName, long double Value) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  Need(Instance, PropName, p && p->SetFloat, "a writable float").SetFloat(Instance, Value);
}

std::string GetStrProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  return Need(Instance, PropName, p && p->GetStr, "a string").GetStr(Instance);
}

void SetStrProp(TObject* Instance, const std::string& PropName, const std::string& Value) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  Need(Instance, PropName, p && p->SetStr, "a writable string").SetStr(Instance, Value);
}

TObject* GetObjectProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  return Need(Instance, PropName, p && p->GetObj, "an object").GetObj(Instance);
}

void SetObjectProp(TObject* Instance, const std::string& PropName, TObject* Value) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  Need(Instance, PropName, p && p->SetObj, "a writable object").SetObj(Instance, Value);
}

TMethod GetMethodProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  return Need(Instance, PropName, p && p->GetMethod, "an event").GetMethod(Instance);
}

void SetMethodProp(TObject* Instance, const std::string& PropName, const TMethod& Value) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  Need(Instance, PropName, p && p->SetMethod, "an event").SetMethod(Instance, Value);
}

std::string GetEnumProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo& p = FindPropInfo(Instance, PropName);
  if (p.Kind == TTypeKind::tkBool) return p.GetOrd(Instance) ? "True" : "False";
  if (!p.TypeInfo || p.Kind != TTypeKind::tkEnumeration)
    throw EPropertyError("Property " + PropName + " is not an enumeration");
  return GetEnumName(*p.TypeInfo, p.GetOrd(Instance));
}

void SetEnumProp(TObject* Instance, const std::string& PropName, const std::string& Value) {
  const TPropInfo& p = FindPropInfo(Instance, PropName);
  int64_t v = -1;
  if (p.Kind == TTypeKind::tkBool) {
    if (SameText(Value, "True")) v = 1;
    else if (SameText(Value, "False")) v = 0;
  } else if (p.TypeInfo && p.Kind == TTypeKind::tkEnumeration) {
    v = GetEnumValue(*p.TypeInfo, Value);
  } else {
    throw EPropertyError("Property " + PropName + " is not an enumeration");
  }
  if (v < 0) throw EPropertyConvertError("Invalid property value: " + Value);
  SetOrdProp(Instance, PropName, v);
}

std::string GetSetProp(TObject* Instance, const std::string& PropName, bool Brackets) {
  const TPropInfo& p = FindPropInfo(Instance, PropName);
  if (p.Kind != TTypeKind::tkSet || !p.TypeInfo)
    throw EPropertyError("Property " + PropName + " is not a set");
  return SetToString(*p.TypeInfo, p.GetOrd(Instance), Brackets);
}

void SetSetProp(TObject* Instance, const std::string& PropName, const std::string& Value) {
  const TPropInfo& p = FindPropInfo(Instance, PropName);
  if (p.Kind != TTypeKind::tkSet || !p.TypeInfo)
    throw EPropertyError("Property " + PropName + " is not a set");
  SetOrdProp(Instance, PropName, StringToSet(*p.TypeInfo, Value));
}

bool IsDefaultPropertyValue(TObject* Instance, const TPropInfo& Prop) {
  switch (Prop.Kind) {
    case TTypeKind::tkInteger: case TTypeKind::tkChar: case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet: case TTypeKind::tkBool: case TTypeKind::tkInt64:
      return Prop.Default.has_value() && Prop.GetOrd && Prop.GetOrd(Instance) == *Prop.Default;
    case TTypeKind::tkFloat:
      return Prop.GetFloat && Prop.GetFloat(Instance) == 0;
    case TTypeKind::tkString:
      return Prop.GetStr && Prop.GetStr(Instance).empty();
    case TTypeKind::tkMethod:
      return Prop.GetMethod && !Prop.GetMethod(Instance).Assigned();
    case TTypeKind::tkClass:
      return Prop.GetObj && Prop.GetObj(Instance) == nullptr;
    default:
      return false;
  }
}

std::string GetEnumName(const TTypeInfo& Type, int64_t Value) {
  if (Value >= 0 && static_cast<size_t>(Value) < Type.Names.size())
    return Type.Names[static_cast<size_t>(Value)];
  return std::to_string(Value);
}

int64_t GetEnumValue(const TTypeInfo& Type, const std::string& Name) {
  for (size_t i = 0; i < Type.Names.size(); ++i)
    if (SameText(Type.Names[i], Name)) return static_cast<int64_t>(i);
  return -1;
}

std::string SetToString(const TTypeInfo& SetType, int64_t Value, bool Brackets) {
  const TTypeInfo* comp = SetType.CompType ? SetType.CompType : &SetType;
  std::string out;
  uint64_t bits = static_cast<uint64_t>(Value);
  for (size_t i = 0; i < comp->Names.size() && i < 64; ++i)
    if (bits & (uint64_t(1) << i)) {
      if (!out.empty()) out += ',';
      out += comp->Names[i];
    }
  return Brackets ? "[" + out + "]" : out;
}

int64_t StringToSet(const TTypeInfo& SetType, const std::string& Value) {
  const TTypeInfo* comp = SetType.CompType ? SetType.CompType : &SetType;
  std::string s = Trim(Value);
  if (!s.empty() && s.front() == '[') {
    if (s.back() != ']') throw EPropertyConvertError("Invalid property value: " + Value);
    s = s.substr(1, s.size() - 2);
  }
  uint64_t bits = 0;
  if (Trim(s).empty()) return 0;
  size_t start = 0;
  for (;;) {
    size_t comma = s.find(',', start);
    std::string item = Trim(s.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (item.empty()) throw EPropertyConvertError("Invalid property value: " + Value);
    int64_t v = GetEnumValue(*comp, item);
    if (v < 0 || v >= 64) throw EPropertyConvertError("Invalid property element: " + item);
    bits |= uint64_t(1) << v;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return static_cast<int64_t>(bits);
}
