#pragma once
// Menus: TMenuItem trees under a TMainMenu (a form's menu bar, shown by the
// backend) or a TPopupMenu (shown through the modal runner). Captions carry '&'
// accelerators and "-" makes a separator; shortcuts are matched by the form's key
// handling (CN_KEYDOWN), not by the native menu. Owner-draw hooks: OnMeasureItem,
// OnDrawItem and OnAdvancedDrawItem, called through DrawMenuItem/MeasureMenuItem.
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/controls.h"

class TMenu;

// A shortcut: the virtual key in the low byte, scShift/scCtrl/scAlt above.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(WORD Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+F4", "Del" ...; "" for scNone.
std::string ShortCutToText(TShortCut ShortCut);
// The reverse; 0 for text that names no shortcut.
TShortCut TextToShortCut(const std::string& Text);

enum class TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight,
                                 odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit };
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
using enum TOwnerDrawStateItem;

using TMenuDrawItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State)>;
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;

class TMenuItem : public TComponent {
  DTU_CLASS(TMenuItem, TComponent)
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;
  void BeforeDestruction() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return FChecked; }
  // Checking a radio item unchecks the others of its group among its siblings.
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value) { FAutoCheck = Value; }
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  bool IsLine() const { return FCaption == "-"; }

  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const;
  TMenuItem* Parent() const { return FParent; }
  int MenuIndex() const;
  void SetMenuIndex(int Value);
  int IndexOf(TMenuItem* Item) const;
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  void Delete(int Index);
  void Remove(TMenuItem* Item);
  // Frees every sub-item.
  void Clear();
  // The sub-item with this caption ('&' ignored), or nullptr.
  TMenuItem* Find(const std::string& ACaption) const;
  // The menu the item belongs to.
  TMenu* GetParentMenu() const;

  // Fires OnClick; an AutoCheck item toggles Checked first.
  virtual void Click();

  bool HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;

  TNotifyEvent OnClick;
  TMenuDrawItemEvent OnDrawItem;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
  TMenuMeasureItemEvent OnMeasureItem;

private:
  friend class TMenu;
  void Changed(bool Rebuild);
  void TurnSiblingsOff();
  std::string FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  bool FRadioItem = false;
  bool FAutoCheck = false;
  int FGroupIndex = 0;
  TShortCut FShortCut = 0;
  std::string FHint;
  int FImageIndex = -1;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on a menu's root item
  std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
  DTU_CLASS(TMenu, TComponent)
public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  void BeforeDestruction() override;

  // The root item; its sub-items are the menu's items.
  TMenuItem* Items() const { return FItems; }
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value);
  TComponent* Images() const { return FImages; }
  void SetImages(TComponent* Value);
  // The window that shows the menu (a form's window for a main menu).
  HWND WindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND Value) { FWindowHandle = Value; }

  // Clicks the enabled, visible item (enabled parents too) whose ShortCut the key
  // message makes; true when there was one.
  virtual bool IsShortCut(TMessage& Message);
  TMenuItem* FindItemByShortCut(TShortCut ShortCut) const;

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;
  // Something in the tree changed: the menu's window rebuilds what it shows.
  virtual void MenuChanged(TMenuItem* Source, bool Rebuild);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TMenuItem* FItems;
  bool FOwnerDraw = false;
  TComponent* FImages = nullptr;
  HWND FWindowHandle = nullptr;
};

class TMainMenu : public TMenu {
  DTU_CLASS(TMainMenu, TMenu)
public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
  bool AutoMerge() const { return FAutoMerge; }
  void SetAutoMerge(bool Value) { FAutoMerge = Value; }
  void MenuChanged(TMenuItem* Source, bool Rebuild) override;
private:
  bool FAutoMerge = false;
};

class TPopupMenu : public TMenu {
  DTU_CLASS(TPopupMenu, TMenu)
public:
  explicit TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value) { FAlignment = Value; }
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }
  // Fires OnPopup, shows the menu at a screen point through the modal runner and
  // clicks the chosen item once the menu has closed.
  virtual void Popup(int X, int Y);
  TNotifyEvent OnPopup;
protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
private:
  bool FAutoPopup = true;
  TAlignment FAlignment = taLeftJustify;
  TComponent* FPopupComponent = nullptr;
};

// How a popup menu for Control stands against its point: Alignment says which of
// its edges (or its middle) is at the point, mirrored where Control's layout is
// (a menu opening rightwards opens leftwards); its rows read as Control reads.
// Without a control, left to right as Alignment says.
TPopupPlacement PopupPlacementFor(const TControl* Control, TAlignment Alignment);

// Owner drawing: the item's height and width for Canvas (OnMeasureItem may change
// the defaults), and its drawing in Rect (OnAdvancedDrawItem, else OnDrawItem,
// else the standard face). TopLevel: an item of a menu bar.
TSize MeasureMenuItem(TMenuItem* Item, TCanvas* Canvas, bool TopLevel);
void DrawMenuItem(TMenuItem* Item, TCanvas* Canvas, TRect Rect, TOwnerDrawState State, bool TopLevel);
