// Actions, action lists and action links, and the controls' side of them.
#include "platform/controls/actions.h"

#include <algorithm>

#include "platform/core/scope.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/imglist.h"

// ---------------------------------------------------------------------------
// TBasicActionLink, TBasicAction
// ---------------------------------------------------------------------------

TBasicActionLink::TBasicActionLink(TObject*) {}

TBasicActionLink::~TBasicActionLink() {
  if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  if (Value) Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!FAction) return false;
  FAction->SetActionComponent(AComponent);
  // The action may have gone meanwhile (its links are told).
  TOnExit executed([&] {
    if (FAction) FAction->SetActionComponent(nullptr);
  });
  return FAction->Execute();
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change() {
  if (OnChange) OnChange(FAction);
}

TBasicAction::~TBasicAction() {
  while (!FClients.empty()) UnRegisterChanges(FClients.back());
}

void TBasicAction::RegisterChanges(TBasicActionLink* Link) {
  Link->FAction = this;
  FClients.push_back(Link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Link) {
  FClients.erase(std::remove(FClients.begin(), FClients.end(), Link), FClients.end());
  Link->FAction = nullptr;
}

bool TBasicAction::Execute() {
  if (!FOnExecute) return false;
  FOnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::SetOnExecute(const TNotifyEvent& Value) {
  for (TBasicActionLink* l : std::vector<TBasicActionLink*>(FClients)) l->SetOnExecute(Value);
  FOnExecute = Value;
  Change();
}

void TBasicAction::Change() {
  if (OnChange) OnChange(this);
  for (TBasicActionLink* l : std::vector<TBasicActionLink*>(FClients)) l->Change();
}

// ---------------------------------------------------------------------------
// TContainedAction
// ---------------------------------------------------------------------------

void TContainedAction::BeforeDestruction() {
  SetActionList(nullptr);
  inherited::BeforeDestruction();
}

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (Value == FActionList) return;
  if (FActionList) {
    auto& v = FActionList->FActions;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  FActionList = Value;
  if (Value) Value->FActions.push_back(this);
}

void TContainedAction::SetCategory(const std::string& Value) {
  if (FCategory == Value) return;
  FCategory = Value;
  Change();
}

int TContainedAction::Index() const {
  if (!FActionList) return -1;
  auto& v = FActionList->FActions;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TContainedAction::SetIndex(int Value) {
  int old = Index();
  if (old < 0) return;
  auto& v = FActionList->FActions;
  Value = std::clamp(Value, 0, static_cast<int>(v.size()) - 1);
  v.erase(v.begin() + old);
  v.insert(v.begin() + Value, this);
}

bool TContainedAction::Execute() { return (FActionList && FActionList->ExecuteAction(this)) || inherited::Execute(); }

bool TContainedAction::Update() { return (FActionList && FActionList->UpdateAction(this)) || inherited::Update(); }

TComponent* TContainedAction::GetParentComponent() {
  return FActionList ? FActionList : inherited::GetParentComponent();
}

void TContainedAction::SetParentComponent(TComponent* Value) {
  if (auto* list = dynamic_cast<TCustomActionList*>(Value)) SetActionList(list);
}

// ---------------------------------------------------------------------------
// TCustomAction
// ---------------------------------------------------------------------------

// Each link hears of a change before the action takes it, so it can tell whether
// its client still showed the old value.
template <class F>
void TCustomAction::EachLink(F Fn) {
  for (TBasicActionLink* l : std::vector<TBasicActionLink*>(FClients))
    if (auto* al = dynamic_cast<TActionLink*>(l)) Fn(al);
}

void TCustomAction::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  EachLink([&](TActionLink* l) { l->SetCaption(Value); });
  FCaption = Value;
  Change();
}

void TCustomAction::SetChecked(bool Value) {
  if (FChecked == Value || FChecking) return;
  {
    FChecking = true;
    TOnExit checked([&] { FChecking = false; });
    EachLink([&](TActionLink* l) { l->SetChecked(Value); });
    FChecked = Value;
    // One checked action per group in the list.
    if (FGroupIndex > 0 && Value && ActionList())
      for (int i = 0; i < ActionList()->ActionCount(); ++i) {
        auto* other = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
        if (other && other != this && other->FGroupIndex == FGroupIndex) other->SetChecked(false);
      }
  }
  Change();
}

void TCustomAction::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  EachLink([&](TActionLink* l) { l->SetEnabled(Value); });
  FEnabled = Value;
  Change();
}

void TCustomAction::SetHelpContext(int Value) {
  if (FHelpContext == Value) return;
  EachLink([&](TActionLink* l) { l->SetHelpContext(Value); });
  FHelpContext = Value;
  Change();
}

void TCustomAction::SetHint(const std::string& Value) {
  if (FHint == Value) return;
  EachLink([&](TActionLink* l) { l->SetHint(Value); });
  FHint = Value;
  Change();
}

void TCustomAction::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  EachLink([&](TActionLink* l) { l->SetImageIndex(Value); });
  FImageIndex = Value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
  if (FShortCut == Value) return;
  EachLink([&](TActionLink* l) { l->SetShortCut(Value); });
  FShortCut = Value;
  Change();
}

void TCustomAction::SetVisible(bool Value) {
  if (FVisible == Value) return;
  EachLink([&](TActionLink* l) { l->SetVisible(Value); });
  FVisible = Value;
  Change();
}

void TCustomAction::SetGroupIndex(int Value) {
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  if (FChecked && Value > 0 && ActionList())
    for (int i = 0; i < ActionList()->ActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
      if (other && other != this && other->FGroupIndex == Value) other->SetChecked(false);
    }
}

bool TCustomAction::Execute() {
  Update();
  if (FEnabled && FAutoCheck && (!FChecked || FGroupIndex == 0)) SetChecked(!FChecked);
  return FEnabled && inherited::Execute();
}

// ---------------------------------------------------------------------------
// TCustomActionList
// ---------------------------------------------------------------------------

TCustomActionList::~TCustomActionList() {
  for (TContainedAction* a : FActions) a->FActionList = nullptr;
}

TContainedAction* TCustomActionList::Actions(int Index) const {
  if (Index < 0 || Index >= ActionCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FActions[static_cast<size_t>(Index)];
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  // The clients take the images from here.
  for (TContainedAction* a : std::vector<TContainedAction*>(FActions)) a->Change();
  if (OnChange) OnChange(this);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FImages) FImages = nullptr;
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (OnExecute) OnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (OnUpdate) OnUpdate(Action, handled);
  return handled;
}

void TCustomActionList::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TContainedAction* a : FActions)
    if (a->Owner() == Root) Proc(a);
}

void TCustomActionList::SetChildOrder(TComponent* Child, int Order) {
  if (auto* a = dynamic_cast<TContainedAction*>(Child); a && a->ActionList() == this) a->SetIndex(Order);
}

// ---------------------------------------------------------------------------
// Links
// ---------------------------------------------------------------------------

TCustomAction* TActionLink::CustomAction() const { return dynamic_cast<TCustomAction*>(FAction); }
bool TActionLink::IsCaptionLinked() { return CustomAction(); }
bool TActionLink::IsCheckedLinked() { return CustomAction(); }
bool TActionLink::IsEnabledLinked() { return CustomAction(); }
bool TActionLink::IsHelpContextLinked() { return CustomAction(); }
bool TActionLink::IsHintLinked() { return CustomAction(); }
bool TActionLink::IsImageIndexLinked() { return CustomAction(); }
bool TActionLink::IsShortCutLinked() { return CustomAction(); }
bool TActionLink::IsVisibleLinked() { return CustomAction(); }

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}
bool TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}
bool TControlActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && FClient->HelpContext() == CustomAction()->HelpContext();
}
bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}
bool TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}
void TControlActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TControlActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TControlActionLink::SetHelpContext(int Value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}
void TControlActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}
void TControlActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}
bool TControlActionLink::IsOnExecuteLinked() { return FClient->OnClick.target<TActionClick>() != nullptr; }
void TControlActionLink::SetOnExecute(const TNotifyEvent&) {
  // A client that runs the action on its click keeps doing so.
}

void TActionClick::operator()(TObject*) const {
  if (TControlActionLink* link = Control->ActionLink()) link->Execute(Control);
}

// ---------------------------------------------------------------------------
// The controls' side
// ---------------------------------------------------------------------------

void FreeActionLink(TControlActionLink* Link) { delete Link; }

TBasicAction* TControl::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TControl::SetAction(TBasicAction* Value) {
  if (!Value) {
    FActionLink.reset();
    FControlStyle >> csActionClient;
    return;
  }
  FControlStyle << csActionClient;
  if (!FActionLink) FActionLink.reset(CreateActionLink());
  FActionLink->SetAction(Value);
  FActionLink->OnChange = [this](TObject* Sender) {
    if (Sender && Sender == Action()) ActionChange(Sender, false);
  };
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
}

TControlActionLink* TControl::CreateActionLink() { return new TControlActionLink(this); }

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(a->Caption());
  if (!CheckDefaults || Enabled()) SetEnabled(a->Enabled());
  if (!CheckDefaults || Hint().empty()) SetHint(a->Hint());
  if (!CheckDefaults || Visible()) SetVisible(a->Visible());
  // (Not reassigned while it runs: the click that executes the action changes it.)
  if ((!CheckDefaults || !OnClick) && !OnClick.target<TActionClick>()) OnClick = TActionClick{this};
  if (!CheckDefaults || HelpContext() == 0) SetHelpContext(a->HelpContext());
}

// ---------------------------------------------------------------------------
// Property tables
// ---------------------------------------------------------------------------

const TClassInfo& TBasicActionLink::StaticClass() {
  static const TClassInfo info = TClassBuilder<TBasicActionLink>("TBasicActionLink", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TActionLink::StaticClass() {
  static const TClassInfo info = TClassBuilder<TActionLink>("TActionLink", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TControlActionLink::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TControlActionLink>("TControlActionLink", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TWinControlActionLink::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TWinControlActionLink>("TWinControlActionLink", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TBasicAction::StaticClass() {
  using A = TBasicAction;
  static const TClassInfo info =
      TClassBuilder<A>("TBasicAction", &inherited::StaticClass())
          .Prop([] {
            // OnExecute goes through its setter so the links hear of it.
            TPropInfo p = TClassBuilder<A>("", nullptr).Event("OnExecute", &A::FOnExecute).Build().Props[0];
            auto set = p.SetMethod;
            p.SetMethod = [set](TObject* o, const TMethod& m) {
              set(o, m);
              auto* a = static_cast<A*>(o);
              a->SetOnExecute(a->FOnExecute);
            };
            return p;
          }())
          .Event("OnUpdate", &A::OnUpdate)
          .Build();
  return info;
}

const TClassInfo& TContainedAction::StaticClass() {
  using A = TContainedAction;
  static const TClassInfo info = TClassBuilder<A>("TContainedAction", &inherited::StaticClass())
                                     .Str("Category", &A::Category, &A::SetCategory)
                                     .Build();
  return info;
}

const TClassInfo& TCustomAction::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomAction>("TCustomAction", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TAction::StaticClass() {
  using A = TAction;
  static const TClassInfo info =
      TClassBuilder<A>("TAction", &inherited::StaticClass())
          .Component()
          .Bool("AutoCheck", &A::AutoCheck, &A::SetAutoCheck, false)
          .Str("Caption", &A::Caption, &A::SetCaption)
          .Bool("Checked", &A::Checked, &A::SetChecked, false)
          .Bool("Enabled", &A::Enabled, &A::SetEnabled, true)
          .Int("GroupIndex", &A::GroupIndex, [](A* x, int64_t v) { x->SetGroupIndex(static_cast<int>(v)); }, 0)
          .Int("HelpContext", &A::HelpContext, [](A* x, int64_t v) { x->SetHelpContext(static_cast<int>(v)); }, 0)
          .Str("Hint", &A::Hint, &A::SetHint)
          .Int("ImageIndex", &A::ImageIndex, [](A* x, int64_t v) { x->SetImageIndex(static_cast<int>(v)); }, -1)
          .Int("ShortCut", &A::ShortCut, [](A* x, int64_t v) { x->SetShortCut(static_cast<TShortCut>(v)); }, 0)
          .Bool("Visible", &A::Visible, &A::SetVisible, true)
          .Build();
  return info;
}

const TClassInfo& TCustomActionList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TCustomActionList>("TCustomActionList", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TActionList::StaticClass() {
  using L = TActionList;
  static const TClassInfo info =
      TClassBuilder<L>("TActionList", &inherited::StaticClass())
          .Component()
          .Object<TCustomImageList>("Images", &L::Images, &L::SetImages)
          .Event<TActionEvent>("OnExecute", &L::OnExecute)
          .Event<TActionEvent>("OnUpdate", &L::OnUpdate)
          .Event<TNotifyEvent>("OnChange", &L::OnChange)
          .Build();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() { RegisterClasses({ClassEntry<TAction>(), ClassEntry<TActionList>()}); }
} const kRegistration;
}  // namespace
