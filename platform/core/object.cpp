#include "platform/core/object.h"

#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace {

// A registered class: its metadata, or until the first lookup the accessor that
// builds it.
struct RegisteredClass {
  const TClassInfo* Info = nullptr;
  const TClassInfo& (*Build)() = nullptr;
};

struct Registry {
  std::mutex Lock;
  std::map<std::string, RegisteredClass> Classes;  // keyed by upper-case name
};
Registry& TheRegistry() {
  static Registry r;
  return r;
}

}  // namespace

// ---------------------------------------------------------------------------

bool TIdentMap::IdentToInt(const std::string& Ident, int64_t& Value) const {
  for (const auto& e : Entries)
    if (SameText(Ident, e.Name)) { Value = e.Value; return true; }
  return false;
}

bool TIdentMap::IntToIdent(int64_t Value, std::string& Ident) const {
  for (const auto& e : Entries)
    if (e.Value == Value) { Ident = e.Name; return true; }
  return false;
}

bool TClassInfo::InheritsFrom(const TClassInfo* Other) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    if (c == Other) return true;
  return false;
}

const TPropInfo* TClassInfo::FindProp(const std::string& PropName) const {
  // A derived class may redeclare a property; the nearest declaration wins.
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const auto& p : c->Props)
      if (SameText(p.Name, PropName)) return &p;
  return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = this; c; c = c->Parent) chain.push_back(c);
  std::vector<const TPropInfo*> out;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const auto& p : (*it)->Props) {
      auto same = std::find_if(out.begin(), out.end(),
                               [&](const TPropInfo* q) { return SameText(q->Name, p.Name); });
      if (same != out.end()) *same = &p;  // redeclared: keep the position, take the newer entry
      else out.push_back(&p);
    }
  return out;
}

const TMethodEntry* TClassInfo::FindMethod(const std::string& MethodName) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    for (const auto& m : c->Methods)
      if (SameText(m.Name, MethodName)) return &m;
  return nullptr;
}

void RegisterClass(TClassEntry Entry) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.Lock);
  r.Classes[UpperCase(Entry.Name)] = RegisteredClass{nullptr, Entry.Info};
}

void RegisterClasses(std::initializer_list<TClassEntry> Entries) {
  for (TClassEntry e : Entries) RegisterClass(e);
}

void RegisterClass(const TClassInfo& Info) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.Lock);
  r.Classes[UpperCase(Info.Name)] = RegisteredClass{&Info, nullptr};
}

void RegisterClasses(std::initializer_list<const TClassInfo*> Infos) {
  for (const TClassInfo* i : Infos) RegisterClass(*i);
}

namespace {

// The entry's metadata, built now if this is its first lookup. The accessor runs
// outside the registry's lock: building a class's table may look up others.
const TClassInfo* Resolve(std::map<std::string, RegisteredClass>::iterator It,
                          std::unique_lock<std::mutex>& Lock) {
  if (It->second.Info) return It->second.Info;
  const TClassInfo& (*build)() = It->second.Build;
  Lock.unlock();
  const TClassInfo* info = &build();
  Lock.lock();
  // Nodes of a std::map stay put while others are added. Had the name been
  // registered anew meanwhile, the newer registration stands.
  if (It->second.Build == build && !It->second.Info) It->second.Info = info;
  return info;
}

}  // namespace

const TClassInfo* GetClass(const std::string& ClassName) {
  Registry& r = TheRegistry();
  std::unique_lock<std::mutex> lock(r.Lock);
  auto it = r.Classes.find(UpperCase(ClassName));
  return it == r.Classes.end() ? nullptr : Resolve(it, lock);
}

std::vector<const TClassInfo*> RegisteredClasses() {
  Registry& r = TheRegistry();
  std::unique_lock<std::mutex> lock(r.Lock);
  std::vector<const TClassInfo*> out;
  for (auto it = r.Classes.begin(); it != r.Classes.end(); ++it) out.push_back(Resolve(it, lock));
  return out;
}

const TClassInfo& FindClass(const std::string& ClassName) {
  const TClassInfo* c = GetClass(ClassName);
  if (!c) throw EClassNotFound("Class " + ClassName + " not found");
  return *c;
}

// ---------------------------------------------------------------------------

const TClassInfo& TObject::StaticClass() {
  static const TClassInfo info{"TObject", nullptr, {}, {}, {}};
  return info;
}

void* TObject::operator new(std::size_t Size) { return ::operator new(Size); }

void TObject::operator delete(void* p) { ::operator delete(p); }

void TObject::operator delete(TObject* p, std::destroying_delete_t) {
  void* memory = dynamic_cast<void*>(p);  // the most derived object's address
  p->BeforeDestruction();
  p->~TObject();
  ::operator delete(memory);
}

// ---------------------------------------------------------------------------

const TClassInfo& TPersistent::StaticClass() {
  static const TClassInfo info{"TPersistent", &TObject::StaticClass(), {}, {}, {}};
  return info;
}

void TPersistent::Assign(TPersistent* Source) {
  if (Source) Source->AssignTo(this);
  else AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  std::string from = Source ? Source->ClassName() : std::string("nil");
  throw EConvertError("Cannot assign a " + from + " to a " + ClassName());
}

std::string TPersistent::GetNamePath() {
  return ClassName();
}

// ---------------------------------------------------------------------------

const TClassInfo& TComponent::StaticClass() {
  static const TClassInfo info = TClassBuilder<TComponent>("TComponent", &TPersistent::StaticClass())
      .Component()
      .Str("Name", &TComponent::Name, &TComponent::SetName)
      .Int("Tag", &TComponent::Tag, &TComponent::SetTag, 0)
      .Build();
  return info;
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Reached without BeforeDestruction only for objects not freed through delete.
  if (!FDestroyed) TComponent::BeforeDestruction();
}

void TComponent::BeforeDestruction() {
  if (FDestroyed) return;
  FDestroyed = true;
  MarkDestroying();
  // Tell every component that asked for free notification; each one's Notification
  // normally unsubscribes itself, and is removed here if it did not.
  while (!FFreeNotifies.empty()) {
    TComponent* c = FFreeNotifies.back();
    c->Notification(this, opRemove);
    if (!FFreeNotifies.empty() && FFreeNotifies.back() == c) {
      FFreeNotifies.pop_back();
      c->RemoveNotification(this);
    }
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::MarkDestroying() {
  FComponentState << csDestroying;
  for (TComponent* c : FComponents) c->MarkDestroying();
}

void TComponent::SetName(const std::string& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError("'" + NewName + "' is not a valid component name");
  if (FOwner) FOwner->ValidateRename(this, FName, NewName);
  else ValidateRename(nullptr, FName, NewName);
  SetName_(NewName);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName) {
  // Checked for a rename under this owner and for a named component joining it.
  if (AComponent && !NewName.empty() && !SameText(CurName, NewName)) {
    TComponent* other = FindComponent(NewName);
    if (other && other != AComponent)
      throw EComponentError("A component named " + NewName + " already exists");
  }
}

void TComponent::ValidateContainer(TComponent* AComponent) { AComponent->ValidateInsert(this); }

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FComponents[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& v = FOwner->FComponents;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  AComponent->ValidateContainer(this);
  ValidateRename(AComponent, "", AComponent->FName);
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  auto it = std::find(FComponents.begin(), FComponents.end(), AComponent);
  if (it != FComponents.end()) FComponents.erase(it);
  AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* instance = FComponents.back();
    // Siblings that hold a reference learn of the removal through the owner.
    RemoveComponent(instance);
    delete instance;
  }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // Owned components hear of every insertion and removal under their owner.
  for (size_t i = FComponents.size(); i-- > 0;) {
    if (i >= FComponents.size()) continue;  // a handler removed components
    TComponent* c = FComponents[i];
    if (c != AComponent) c->Notification(AComponent, Operation);
  }
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (!FOwner || AComponent->FOwner != FOwner) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  FComponentState << csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
  if (it != FFreeNotifies.end()) FFreeNotifies.erase(it);
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  if (Value) FComponentState << csDesigning;
  else FComponentState >> csDesigning;
  if (SetChildren)
    for (TComponent* c : FComponents) c->SetDesigning(Value, true);
}

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}

void TComponent::Loaded() { FComponentState >> csLoading; }

std::string TComponent::EventName(const std::string& PropName) const {
  for (const auto& [prop, method] : FEventNames)
    if (SameText(prop, PropName)) return method;
  return {};
}

void TComponent::SetEventName(const std::string& PropName, const std::string& MethodName) {
  for (auto it = FEventNames.begin(); it != FEventNames.end(); ++it)
    if (SameText(it->first, PropName)) {
      if (MethodName.empty()) FEventNames.erase(it);
      else it->second = MethodName;
      return;
    }
  if (!MethodName.empty()) FEventNames.emplace_back(PropName, MethodName);
}
