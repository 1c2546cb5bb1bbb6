#pragma once
// Actions: a command with its caption, enabled and checked state, hint, image and
// shortcut, kept in one place and followed by every control linked to it. A
// control's Action property makes an action link (TControlActionLink, or a
// descendant the control class chooses); the action tells its links of each
// change, and a click on the control executes the action (the action list's
// OnExecute first, then the action's own). Action lists hold the actions in form
// streams and give them their images.
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/menus.h"

class TBasicAction;
class TCustomActionList;
class TCustomImageList;

using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;

// The tie between an action and one client.
class TBasicActionLink : public TObject {
  DTU_CLASS(TBasicActionLink, TObject)
public:
  explicit TBasicActionLink(TObject* AClient);
  ~TBasicActionLink() override;
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;
  TBasicAction* Action() const { return FAction; }
  virtual void SetAction(TBasicAction* Value);
  // Executes the action for AComponent (the action's ActionComponent meanwhile);
  // whether something handled it.
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();
  // The action changed.
  TNotifyEvent OnChange;

protected:
  friend class TBasicAction;
  virtual void Change();
  virtual bool IsOnExecuteLinked() { return true; }
  virtual void SetOnExecute(const TNotifyEvent&) {}
  TBasicAction* FAction = nullptr;
};

class TBasicAction : public TComponent {
  DTU_CLASS(TBasicAction, TComponent)
public:
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
  ~TBasicAction() override;
  // Runs OnExecute; true when it is assigned.
  virtual bool Execute();
  // Runs OnUpdate; true when it is assigned.
  virtual bool Update();
  // The component whose link is executing the action.
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* Value) { FActionComponent = Value; }
  const TNotifyEvent& OnExecute() const { return FOnExecute; }
  void SetOnExecute(const TNotifyEvent& Value);
  TNotifyEvent OnUpdate;
  TNotifyEvent OnChange;
  int LinkCount() const { return static_cast<int>(FClients.size()); }
  void RegisterChanges(TBasicActionLink* Link);
  void UnRegisterChanges(TBasicActionLink* Link);

protected:
  friend class TBasicActionLink;
  // Tells every link and OnChange.
  virtual void Change();
  std::vector<TBasicActionLink*> FClients;
  TNotifyEvent FOnExecute;
  TComponent* FActionComponent = nullptr;
};

// An action that belongs to an action list (streamed inside it).
class TContainedAction : public TBasicAction {
  DTU_CLASS(TContainedAction, TBasicAction)
public:
  explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  void BeforeDestruction() override;
  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* Value);
  const std::string& Category() const { return FCategory; }
  void SetCategory(const std::string& Value);
  // The place in the action list (-1 without one).
  int Index() const;
  void SetIndex(int Value);
  // The action list's OnExecute (OnUpdate) first; the action's own when it did not
  // handle it.
  bool Execute() override;
  bool Update() override;

  bool HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;

private:
  friend class TCustomActionList;
  TCustomActionList* FActionList = nullptr;
  std::string FCategory;
};

// The command state that controls follow. Checked actions with a GroupIndex
// uncheck the others of their group in the same action list; AutoCheck turns
// Checked over on each execution. A disabled action does not execute.
class TCustomAction : public TContainedAction {
  DTU_CLASS(TCustomAction, TContainedAction)
public:
  explicit TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value) { FAutoCheck = Value; }
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  bool Execute() override;

private:
  template <class F>
  void EachLink(F Fn);
  std::string FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  int FHelpContext = 0;
  std::string FHint;
  int FImageIndex = -1;
  TShortCut FShortCut = 0;
  bool FVisible = true;
  bool FAutoCheck = false;
  int FGroupIndex = 0;
  bool FChecking = false;
};

class TAction : public TCustomAction {
  DTU_CLASS(TAction, TCustomAction)
public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

class TCustomActionList : public TComponent {
  DTU_CLASS(TCustomActionList, TComponent)
public:
  explicit TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}
  ~TCustomActionList() override;
  int ActionCount() const { return static_cast<int>(FActions.size()); }
  // EListError for an index out of range.
  TContainedAction* Actions(int Index) const;
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // OnExecute / OnUpdate: whether the list's handler took the action.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;

  TActionEvent OnExecute;
  TActionEvent OnUpdate;
  TNotifyEvent OnChange;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TContainedAction;
  std::vector<TContainedAction*> FActions;
  TCustomImageList* FImages = nullptr;
};

class TActionList : public TCustomActionList {
  DTU_CLASS(TActionList, TCustomActionList)
public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// An action link that knows the action's properties: each IsXLinked says whether
// the client still follows the action's X (it does while they agree), and SetX
// passes a change on to a client that follows it.
class TActionLink : public TBasicActionLink {
  DTU_CLASS(TActionLink, TBasicActionLink)
public:
  using TBasicActionLink::TBasicActionLink;
  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsHelpContextLinked();
  virtual bool IsHintLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();
  virtual void SetCaption(const std::string&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHelpContext(int) {}
  virtual void SetHint(const std::string&) {}
  virtual void SetImageIndex(int) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}

protected:
  TCustomAction* CustomAction() const;
};

// The link of a control: caption, enabled state, hint, visibility, help context
// and the click (OnClick runs the action through the link).
class TControlActionLink : public TActionLink {
  DTU_CLASS(TControlActionLink, TActionLink)
public:
  explicit TControlActionLink(TControl* AClient) : TActionLink(AClient), FClient(AClient) {}
  TControl* Client() const { return FClient; }
  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(int Value) override;
  void SetHint(const std::string& Value) override;
  void SetVisible(bool Value) override;

protected:
  bool IsOnExecuteLinked() override;
  void SetOnExecute(const TNotifyEvent& Value) override;
  TControl* FClient;
};

class TWinControlActionLink : public TControlActionLink {
  DTU_CLASS(TWinControlActionLink, TControlActionLink)
public:
  using TControlActionLink::TControlActionLink;
};

// What a control's OnClick holds while it runs its action: a click executes the
// action through the link.
struct TActionClick {
  TControl* Control;
  void operator()(TObject*) const;
};
