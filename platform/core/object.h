#pragma once
// The object model the system is written against: TObject with class metadata and
// published-property tables, TPersistent and TComponent with ownership and
// free notification.
#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"

class TObject;
class TPersistent;
class TComponent;
class TFiler;
class TReader;
class TWriter;
struct TClassInfo;

// A small set type over an enumeration with at most 64 elements; its ordinal value
// (bit i = element i) is what property tables and streams carry.
template <class E>
class TSet {
public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> Items) {
    for (E e : Items) FBits |= Bit(e);
  }
  static constexpr TSet FromInt(uint64_t Bits) { TSet s; s.FBits = Bits; return s; }
  constexpr uint64_t ToInt() const { return FBits; }
  constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TSet& operator<<(E e) { FBits |= Bit(e); return *this; }   // Include
  constexpr TSet& operator>>(E e) { FBits &= ~Bit(e); return *this; }  // Exclude
  constexpr TSet operator+(TSet o) const { return FromInt(FBits | o.FBits); }
  constexpr TSet operator*(TSet o) const { return FromInt(FBits & o.FBits); }
  constexpr TSet operator-(TSet o) const { return FromInt(FBits & ~o.FBits); }
  constexpr bool operator==(const TSet&) const = default;
  constexpr TSet& operator+=(TSet o) { FBits |= o.FBits; return *this; }
  constexpr TSet& operator-=(TSet o) { FBits &= ~o.FBits; return *this; }
private:
  static constexpr uint64_t Bit(E e) { return uint64_t(1) << static_cast<unsigned>(e); }
  uint64_t FBits = 0;
};

// ---------------------------------------------------------------------------
// Run-time type information
// ---------------------------------------------------------------------------

enum class TTypeKind { tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet,
                       tkClass, tkMethod, tkBool, tkInt64 };

// Describes an enumeration (element names by ordinal) or a set over one.
struct TTypeInfo {
  std::string Name;
  TTypeKind Kind = TTypeKind::tkEnumeration;
  std::vector<std::string> Names;     // enumeration: identifiers by ordinal
  const TTypeInfo* CompType = nullptr;  // set: its element enumeration
};

// Names for integer values that have identifiers (colours, cursors): clBtnFace.
struct TIdentMapEntry { int64_t Value; const char* Name; };
struct TIdentMap {
  std::vector<TIdentMapEntry> Entries;
  bool IdentToInt(const std::string& Ident, int64_t& Value) const;
  bool IntToIdent(int64_t Value, std::string& Ident) const;
};

// An event value seen through the property table: the handler's method name and
// the bound callable (a std::function of the event's own signature, type-erased).
struct TMethod {
  std::string Name;
  std::any Code;
  bool Assigned() const { return Code.has_value(); }
};

// An accessor that most property records leave empty (all but the one getter and
// setter of the property's kind): empty, it takes one pointer's worth of space
// rather than a whole std::function, and copies of a record (classes republish
// their parent's) share the callable. Used like the std::function it holds.
template <class Sig>
class TPropFunction;
template <class R, class... A>
class TPropFunction<R(A...)> {
public:
  TPropFunction() = default;
  TPropFunction(std::nullptr_t) {}
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TPropFunction> &&
                                              !std::is_same_v<std::decay_t<F>, std::nullptr_t>>>
  TPropFunction(F&& Fn) {
    *this = std::forward<F>(Fn);
  }
  TPropFunction& operator=(std::nullptr_t) {
    FFn.reset();
    return *this;
  }
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TPropFunction> &&
                                              !std::is_same_v<std::decay_t<F>, std::nullptr_t>>>
  TPropFunction& operator=(F&& Fn) {
    std::function<R(A...)> f(std::forward<F>(Fn));
    if (f)
      FFn = std::make_shared<const std::function<R(A...)>>(std::move(f));
    else
      FFn.reset();
    return *this;
  }
  explicit operator bool() const { return FFn != nullptr; }
  R operator()(A... Args) const { return (*FFn)(std::forward<A>(Args)...); }

private:
  std::shared_ptr<const std::function<R(A...)>> FFn;
};

// One published property of a class.
struct TPropInfo {
  std::string Name;
  TTypeKind Kind = TTypeKind::tkUnknown;
  const TTypeInfo* TypeInfo = nullptr;       // enumeration or set type
  const TClassInfo& (*PropClass)() = nullptr;  // class of a tkClass property (lazy: a
                                               // class may hold a property of its own type)
  const TIdentMap* Idents = nullptr;         // integer identifiers (colours)
  std::function<int64_t(TObject*)> GetOrd;   // integer, char, enumeration, set, Boolean
  std::function<void(TObject*, int64_t)> SetOrd;
  TPropFunction<long double(TObject*)> GetFloat;
  TPropFunction<void(TObject*, long double)> SetFloat;
  TPropFunction<std::string(TObject*)> GetStr;
  TPropFunction<void(TObject*, const std::string&)> SetStr;
  TPropFunction<TObject*(TObject*)> GetObj;
  TPropFunction<void(TObject*, TObject*)> SetObj;
  TPropFunction<TMethod(TObject*)> GetMethod;
  TPropFunction<void(TObject*, const TMethod&)> SetMethod;
  std::optional<int64_t> Default;            // ordinal default; empty = nodefault
  TPropFunction<bool(TObject*)> Stored;      // empty = always stored
  // The ordinal value a reader derives from the instance's other values when a stream
  // leaves this one out (Anchors from Align); when it gives one, the writer compares
  // with it in place of the declared default.
  TPropFunction<std::optional<int64_t>(TObject*)> Implied;
  // The same for a string property (a bit button's caption from its kind).
  TPropFunction<std::optional<std::string>(TObject*)> ImpliedText;
  bool IsStored(TObject* Instance) const { return !Stored || Stored(Instance); }
  bool Writable() const { return SetOrd || SetFloat || SetStr || SetObj || SetMethod; }
};

// A published method of a form class, bound by name to an event ("ButtonNewClick"):
// Bind returns a std::function of the method's signature, type-erased, for an instance.
struct TMethodEntry {
  std::string Name;
  std::function<std::any(TObject* Instance)> Bind;
};

// Metadata of one class: its name, parent, factory and own published properties.
struct TClassInfo {
  std::string Name;
  const TClassInfo* Parent = nullptr;
  // Creates an instance with an owner (components) or without (other persistents).
  std::function<TObject*(TComponent* Owner)> Create;
  std::vector<TPropInfo> Props;
  std::vector<TMethodEntry> Methods;
  // Instances build a design of their own when created (forms read their form
  // resource): the writer makes no new instance of such a class (or a descendant) to
  // learn the values a reader starts from.
  bool BuildsOwnDesign = false;

  bool InheritsFrom(const TClassInfo* Other) const;
  // Finds a property by name (case-insensitive) here or in a parent class.
  const TPropInfo* FindProp(const std::string& PropName) const;
  // All published properties, parents' first, in declaration order.
  std::vector<const TPropInfo*> AllProps() const;
  // Finds a published method by name (case-insensitive) here or in a parent class.
  const TMethodEntry* FindMethod(const std::string& MethodName) const;
};

// Enumeration type information is declared once per enumeration type.
template <class E> struct TEnumTraits;  // specialise with: static const TTypeInfo& Info();
#define DTU_DECLARE_ENUM(E) \
  template <> struct TEnumTraits<E> { static const TTypeInfo& Info(); };
#define DTU_DEFINE_ENUM(E, ...)                                              \
  const TTypeInfo& TEnumTraits<E>::Info() {                                  \
    static const TTypeInfo info{#E, TTypeKind::tkEnumeration, {__VA_ARGS__}, nullptr}; \
    return info;                                                             \
  }
// Set type information built over its element enumeration.
template <class E>
const TTypeInfo& SetTypeInfo() {
  static const TTypeInfo info{"set of " + TEnumTraits<E>::Info().Name, TTypeKind::tkSet, {},
                              &TEnumTraits<E>::Info()};
  return info;
}

// Declares the class metadata accessors inside a class body. kClassName is the
// name the registry knows the class by before its metadata is built.
#define DTU_CLASS(Cls, Base)                                               \
public:                                                                    \
  using inherited = Base;                                                  \
  static constexpr const char* kClassName = #Cls;                          \
  static const TClassInfo& StaticClass();                                  \
  const TClassInfo& ClassInfo() const override { return StaticClass(); }   \
private:

// Class registry: classes the form reader may create by name. A class registered
// by its entry has its metadata (the property table) built on its first lookup, so
// that registering every class at start costs no more than a name each.
struct TClassEntry {
  const char* Name;
  const TClassInfo& (*Info)();
};
template <class T>
constexpr TClassEntry ClassEntry() {
  return {T::kClassName, &T::StaticClass};
}
void RegisterClass(TClassEntry Entry);
void RegisterClasses(std::initializer_list<TClassEntry> Entries);
// Registers metadata already built (under its own name).
void RegisterClass(const TClassInfo& Info);
void RegisterClasses(std::initializer_list<const TClassInfo*> Infos);
const TClassInfo* GetClass(const std::string& ClassName);  // nullptr when unknown
const TClassInfo& FindClass(const std::string& ClassName);  // EClassNotFound "Class %s not found"
std::vector<const TClassInfo*> RegisteredClasses();  // every registered class, by name

// ---------------------------------------------------------------------------
// TObject
// ---------------------------------------------------------------------------

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const TClassInfo& StaticClass();
  virtual const TClassInfo& ClassInfo() const { return StaticClass(); }
  const std::string& ClassName() const { return ClassInfo().Name; }
  bool InheritsFrom(const TClassInfo& Cls) const { return ClassInfo().InheritsFrom(&Cls); }
  template <class T> bool Is() const { return InheritsFrom(T::StaticClass()); }

  // Runs with the whole object still alive, before any destructor: here a component
  // frees what it owns and tells its subscribers, with every virtual still in place.
  virtual void BeforeDestruction() {}

  // `delete` on any object runs BeforeDestruction first (destroying delete), so the
  // derived classes' handlers still work while owned objects are freed.
  void operator delete(TObject* p, std::destroying_delete_t);
  // Out of line on purpose: where g++ sees the global new and delete inside these, it
  // reports them as mismatched with the destroying delete (-Wmismatched-new-delete).
  static void* operator new(std::size_t Size);
  // Raw deallocation for a constructor that throws.
  void operator delete(void* p);

  // Frees the object if it is not null (the class library's Free). Free components
  // with delete (or a std::unique_ptr): a component living on the stack frees what it
  // owns only in its base destructor, after its own derived members are gone.
  static void Free(TObject* Obj) { delete Obj; }
};

// Frees an object and clears the pointer that held it.
template <class T>
void FreeAndNil(T*& Obj) {
  T* tmp = Obj;
  Obj = nullptr;
  delete tmp;
}

// ---------------------------------------------------------------------------
// TPersistent
// ---------------------------------------------------------------------------

class TPersistent : public TObject {
  DTU_CLASS(TPersistent, TObject)
public:
  // Copies Source into this object; when this class cannot, Source is asked
  // (AssignTo); when neither can, EConvertError "Cannot assign a X to a Y".
  virtual void Assign(TPersistent* Source);
  // The owner in the persistence tree (a component's owner, a font's control).
  virtual TPersistent* GetOwner() { return nullptr; }
  virtual std::string GetNamePath();
  // Extra, unpublished data a class stores in form streams.
  virtual void DefineProperties(TFiler*) {}
protected:
  virtual void AssignTo(TPersistent* Dest);
  [[noreturn]] void AssignError(TPersistent* Source);
};

// ---------------------------------------------------------------------------
// TComponent
// ---------------------------------------------------------------------------

enum class TOperation { opInsert, opRemove };
enum class TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csDesigning,
                                 csAncestor, csUpdating, csFixups, csFreeNotification, csInline,
                                 csDesignInstance };
using TComponentState = TSet<TComponentStateItem>;
enum class TComponentStyleItem { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleItem>;
using enum TOperation;
using enum TComponentStateItem;
using enum TComponentStyleItem;

// The notify event every component and list uses: Sender is the object that fired.
using TNotifyEvent = std::function<void(TObject* Sender)>;
// Callback for GetChildren: receives each child a component writes with itself.
using TGetChildProc = std::function<void(TComponent* Child)>;

class TComponent : public TPersistent {
  DTU_CLASS(TComponent, TPersistent)
public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  void BeforeDestruction() override;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& NewName);
  int64_t Tag() const { return FTag; }
  void SetTag(int64_t Value) { FTag = Value; }

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;
  int ComponentIndex() const;
  // Finds an owned component by name, ignoring ASCII case; nullptr when absent.
  TComponent* FindComponent(const std::string& AName) const;

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, last to first.
  void DestroyComponents();

  // Asks AComponent to tell this component (via Notification opRemove) when it is freed.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  TComponentState ComponentState() const { return FComponentState; }
  TComponentStyle ComponentStyle() const { return FComponentStyle; }
  bool Destroying() const { return FComponentState.Contains(csDestroying); }
  void SetDesigning(bool Value, bool SetChildren = true);

  TPersistent* GetOwner() override { return FOwner; }
  std::string GetNamePath() override { return FName; }

  // Streaming hooks used by the form filer.
  virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return nullptr; }
  virtual void SetChildOrder(TComponent*, int) {}
  virtual void SetParentComponent(TComponent*) {}
  virtual TComponent* GetParentComponent() { return nullptr; }
  virtual bool HasParent() { return false; }

  // Reads this component's properties and children from a form stream (the
  // reader's ReadData); writes them (the writer's WriteData). Overrides run code
  // around the inherited call.
  virtual void ReadState(TReader* Reader);
  virtual void WriteState(TWriter* Writer);

  // Marks the component as being loaded from a stream; Loaded ends that.
  void SetLoading() { FComponentState << csLoading; }
  virtual void Loaded();
  virtual void Updating() { FComponentState << csUpdating; }
  virtual void Updated() { FComponentState >> csUpdating; }

  // Method names bound to this component's events, kept for writing forms back.
  std::string EventName(const std::string& PropName) const;
  void SetEventName(const std::string& PropName, const std::string& MethodName);

protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName,
                              const std::string& NewName);
  virtual void ValidateInsert(TComponent*) {}
  virtual void ValidateContainer(TComponent* AComponent);
  virtual void SetName_(const std::string& NewName) { FName = NewName; }
  // Marks csDestroying on this component and everything it owns.
  void MarkDestroying();

  TComponentState FComponentState;
  TComponentStyle FComponentStyle{csInheritable};

private:
  // The form filer sets the reading, writing, ancestor and inline states.
  friend class TReader;
  friend class TWriter;
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  std::string FName;
  int64_t FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::vector<std::pair<std::string, std::string>> FEventNames;
  bool FDestroyed = false;   // BeforeDestruction already ran
};

// The component class a form reader creates: a factory that takes the owner.
template <class T>
std::function<TObject*(TComponent*)> ComponentFactory() {
  return [](TComponent* Owner) -> TObject* { return new T(Owner); };
}
