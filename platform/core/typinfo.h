#pragma once
// Building published-property tables, and reading and writing properties by name
// through them (the form filer, set <-> text and enumeration names use this).
#include <type_traits>

#include "platform/core/object.h"

// Builds the metadata of class C: a fluent list of its published properties, kept
// beside the class's implementation.
//   const TClassInfo& TFoo::StaticClass() {
//     static const TClassInfo info = TClassBuilder<TFoo>("TFoo", &inherited::StaticClass())
//         .Component().Int("Size", &TFoo::Size, &TFoo::SetSize, 10).Build();
//     return info;
//   }
template <class C>
class TClassBuilder {
public:
  TClassBuilder(std::string Name, const TClassInfo* Parent) {
    FInfo.Name = std::move(Name);
    FInfo.Parent = Parent;
  }
  // Creatable by the reader with an owner: new C(Owner).
  TClassBuilder& Component() {
    FInfo.Create = [](TComponent* Owner) -> TObject* { return new C(Owner); };
    return *this;
  }
  // Creatable without an owner: new C().
  TClassBuilder& Creatable() {
    FInfo.Create = [](TComponent*) -> TObject* { return new C(); };
    return *this;
  }
  template <class G, class S>
  TClassBuilder& Int(const std::string& Name, G Get, S Set, std::optional<int64_t> Default = 0,
                     std::function<bool(C*)> Stored = {}, const TIdentMap* Idents = nullptr) {
    TPropInfo& p = Add(Name, TTypeKind::tkInteger, Default, Stored);
    p.Idents = Idents;
    p.GetOrd = [Get](TObject* o) { return static_cast<int64_t>(std::invoke(Get, Self(o))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [Set](TObject* o, int64_t v) { std::invoke(Set, Self(o), v); };
    return *this;
  }
  template <class G, class S>
  TClassBuilder& Char(const std::string& Name, G Get, S Set, std::optional<int64_t> Default = 0,
                      std::function<bool(C*)> Stored = {}) {
    TPropInfo& p = Add(Name, TTypeKind::tkChar, Default, Stored);
    p.GetOrd = [Get](TObject* o) {
      return static_cast<int64_t>(static_cast<unsigned char>(std::invoke(Get, Self(o))));
    };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [Set](TObject* o, int64_t v) { std::invoke(Set, Self(o), static_cast<char>(v)); };
    return *this;
  }
  template <class G, class S>
  TClassBuilder& Bool(const std::string& Name, G Get, S Set, std::optional<bool> Default = false,
                      std::function<bool(C*)> Stored = {}) {
    std::optional<int64_t> d;
    if (Default) d = *Default ? 1 : 0;
    TPropInfo& p = Add(Name, TTypeKind::tkBool, d, Stored);
    p.GetOrd = [Get](TObject* o) { return std::invoke(Get, Self(o)) ? int64_t(1) : int64_t(0); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [Set](TObject* o, int64_t v) { std::invoke(Set, Self(o), v != 0); };
    return *this;
  }
  template <class E, class G, class S>
  TClassBuilder& Enum(const std::string& Name, G Get, S Set, std::optional<E> Default,
                      std::function<bool(C*)> Stored = {}) {
    std::optional<int64_t> d;
    if (Default) d = static_cast<int64_t>(*Default);
    TPropInfo& p = Add(Name, TTypeKind::tkEnumeration, d, Stored);
    p.TypeInfo = &TEnumTraits<E>::Info();
    p.GetOrd = [Get](TObject* o) { return static_cast<int64_t>(std::invoke(Get, Self(o))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [Set](TObject* o, int64_t v) { std::invoke(Set, Self(o), static_cast<E>(v)); };
    return *this;
  }
  template <class E, class G, class S>
  TClassBuilder& Set(const std::string& Name, G Get, S Setter, std::optional<TSet<E>> Default,
                     std::function<bool(C*)> Stored = {}) {
    std::optional<int64_t> d;
    if (Default) d = static_cast<int64_t>(Default->ToInt());
    TPropInfo& p = Add(Name, TTypeKind::tkSet, d, Stored);
    p.TypeInfo = &SetTypeInfo<E>();
    p.GetOrd = [Get](TObject* o) {
      return static_cast<int64_t>(TSet<E>(std::invoke(Get, Self(o))).ToInt());
    };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [Setter](TObject* o, int64_t v) {
        std::invoke(Setter, Self(o), TSet<E>::FromInt(static_cast<uint64_t>(v)));
      };
    return *this;
  }
  // Floats carry no ordinal default; Stored decides whether they are written.
  template <class G, class S>
  TClassBuilder& Float(const std::string& Name, G Get, S Set, std::function<bool(C*)> Stored = {}) {
    TPropInfo& p = Add(Name, TTypeKind::tkFloat, std::nullopt, Stored);
    p.GetFloat = [Get](TObject* o) { return static_cast<long double>(std::invoke(Get, Self(o))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetFloat = [Set](TObject* o, long double v) { std::invoke(Set, Self(o), v); };
    return *this;
  }
  // A string property is written unless it is empty or Stored says no.
  template <class G, class S>
  TClassBuilder& Str(const std::string& Name, G Get, S Set, std::function<bool(C*)> Stored = {}) {
    TPropInfo& p = Add(Name, TTypeKind::tkString, std::nullopt, Stored);
    p.GetStr = [Get](TObject* o) { return std::string(std::invoke(Get, Self(o))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetStr = [Set](TObject* o, const std::string& v) { std::invoke(Set, Self(o), v); };
    return *this;
  }
  // An object property: a component reference (resolved by name when read) or an
  // owned persistent (Font, Items) whose own properties are streamed in place.
  template <class T, class G, class S>
  TClassBuilder& Object(const std::string& Name, G Get, S Set, std::function<bool(C*)> Stored = {}) {
    TPropInfo& p = Add(Name, TTypeKind::tkClass, std::nullopt, Stored);
    p.PropClass = &T::StaticClass;
    p.GetObj = [Get](TObject* o) -> TObject* { return std::invoke(Get, Self(o)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetObj = [Set](TObject* o, TObject* v) {
        T* typed = v ? dynamic_cast<T*>(v) : nullptr;
        if (v && !typed) throw EPropertyError("Invalid property value");
        std::invoke(Set, Self(o), typed);
      };
    return *this;
  }
  // An event property over a std::function field of C; the bound method's name is
  // kept on the component so the form can be written back.
  template <class F>
  TClassBuilder& Event(const std::string& Name, F C::*Field) {
    TPropInfo& p = Add(Name, TTypeKind::tkMethod, std::nullopt, {});
    p.GetMethod = [Field, Name](TObject* o) {
      TMethod m;
      C* c = Self(o);
      if (c->*Field) {
        m.Code = c->*Field;
        if constexpr (std::is_base_of_v<TComponent, C>) m.Name = c->EventName(Name);
      }
      return m;
    };
    p.SetMethod = [Field, Name](TObject* o, const TMethod& m) {
      C* c = Self(o);
      if (!m.Code.has_value()) {
        c->*Field = nullptr;
      } else {
        const F* f = std::any_cast<F>(&m.Code);
        if (!f) throw EPropertyError("Invalid property value: method " + m.Name +
                                     " does not match event " + Name);
        c->*Field = *f;
      }
      if constexpr (std::is_base_of_v<TComponent, C>) c->SetEventName(Name, m.Code.has_value() ? m.Name : "");
    };
    return *this;
  }
  // A published method that events can be bound to by name.
  template <class R, class... A>
  TClassBuilder& Method(const std::string& Name, R (C::*M)(A...)) {
    FInfo.Methods.push_back({Name, [M](TObject* o) -> std::any {
      C* c = Self(o);
      return std::function<R(A...)>([c, M](A... args) -> R { return (c->*M)(std::forward<A>(args)...); });
    }});
    return *this;
  }
  // Adds a hand-made property entry.
  TClassBuilder& Prop(TPropInfo Info) {
    FInfo.Props.push_back(std::move(Info));
    return *this;
  }
  // Instances read a design of their own when created (TClassInfo::BuildsOwnDesign).
  TClassBuilder& BuildsOwnDesign() {
    FInfo.BuildsOwnDesign = true;
    return *this;
  }
  // The value a reader derives for the property added last when a stream leaves it
  // out (see TPropInfo::Implied).
  TClassBuilder& Implied(std::function<std::optional<int64_t>(C*)> Fn) {
    FInfo.Props.back().Implied = [Fn](TObject* o) { return Fn(Self(o)); };
    return *this;
  }
  TClassBuilder& ImpliedText(std::function<std::optional<std::string>(C*)> Fn) {
    FInfo.Props.back().ImpliedText = [Fn](TObject* o) { return Fn(Self(o)); };
    return *this;
  }
  TClassInfo Build() {
    FInfo.Props.shrink_to_fit();  // kept for the life of the program
    FInfo.Methods.shrink_to_fit();
    return std::move(FInfo);
  }

private:
  static C* Self(TObject* o) { return static_cast<C*>(o); }
  TPropInfo& Add(const std::string& Name, TTypeKind Kind, std::optional<int64_t> Default,
                 std::function<bool(C*)> Stored) {
    TPropInfo p;
    p.Name = Name;
    p.Kind = Kind;
    p.Default = Default;
    if (Stored) p.Stored = [Stored](TObject* o) { return Stored(Self(o)); };
    FInfo.Props.push_back(std::move(p));
    return FInfo.Props.back();
  }
  TClassInfo FInfo;
};

// By-name property access. Unknown names raise EPropertyError "Unknown property: %s".
const TPropInfo* GetPropInfo(const TObject* Instance, const std::string& PropName);
const TPropInfo& FindPropInfo(const TObject* Instance, const std::string& PropName);
bool IsPublishedProp(const TObject* Instance, const std::string& PropName);
int64_t GetOrdProp(TObject* Instance, const std::string& PropName);
void SetOrdProp(TObject* Instance, const std::string& PropName, int64_t Value);
long double GetFloatProp(TObject* Instance, const std::string& PropName);
void SetFloatProp(TObject* Instance, const std::string& PropName, long double Value);
std::string GetStrProp(TObject* Instance, const std::string& PropName);
void SetStrProp(TObject* Instance, const std::string& PropName, const std::string& Value);
TObject* GetObjectProp(TObject* Instance, const std::string& PropName);
void SetObjectProp(TObject* Instance, const std::string& PropName, TObject* Value);
TMethod GetMethodProp(TObject* Instance, const std::string& PropName);
void SetMethodProp(TObject* Instance, const std::string& PropName, const TMethod& Value);
// Enumeration properties by identifier, set properties as "[a,b]" text.
std::string GetEnumProp(TObject* Instance, const std::string& PropName);
void SetEnumProp(TObject* Instance, const std::string& PropName, const std::string& Value);
std::string GetSetProp(TObject* Instance, const std::string& PropName, bool Brackets = true);
void SetSetProp(TObject* Instance, const std::string& PropName, const std::string& Value);
// Whether a property holds its declared default (and so is not written to a stream).
bool IsDefaultPropertyValue(TObject* Instance, const TPropInfo& Prop);

// Enumeration identifier <-> ordinal; GetEnumValue gives -1 for an unknown name.
std::string GetEnumName(const TTypeInfo& Type, int64_t Value);
int64_t GetEnumValue(const TTypeInfo& Type, const std::string& Name);
// Set ordinal <-> "[fsBold,fsItalic]"; an unknown element raises EPropertyConvertError
// "Invalid property element: %s".
std::string SetToString(const TTypeInfo& SetType, int64_t Value, bool Brackets = true);
int64_t StringToSet(const TTypeInfo& SetType, const std::string& Value);
