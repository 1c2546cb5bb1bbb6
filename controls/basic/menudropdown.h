#pragma once
// TQvMenuDropDown: the drop-down menu of a button that carries a popup menu (the
// menu button and the menu toolbar button). It keeps the menu reference clear of a
// freed menu, pops the menu up under the button (MenuDropPoint) and holds the rule
// that a press closing the button's own menu neither reopens it nor clicks: a press
// within MenuReopenDelay of the menu closing is dropped, and the click a press
// would give after a drop-down is skipped.
//
// The button keeps its own DropDown / DoDropDown (both overridable) and hands them
// in; a button freed while its menu or its OnDropDown runs is noticed and left alone.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/controls/controls.h"
#include "platform/controls/menus.h"

// Where a drop-down menu of Button opens (screen point): under its left edge (its
// right edge right-to-left), moved left so that the menu's right edge lines up with
// the button's when the menu (widest top-level caption in the menu font + 56)
// would pass the right edge of the monitor's work area.
TPoint MenuDropPoint(TControl* Button, TPopupMenu* Menu);

class TQvMenuDropDown {
public:
  explicit TQvMenuDropDown(TControl* Button) : FButton(Button) {}
  TQvMenuDropDown(const TQvMenuDropDown&) = delete;
  TQvMenuDropDown& operator=(const TQvMenuDropDown&) = delete;

  TPopupMenu* Menu() const { return FMenu; }
  // Stores the menu and asks it for a free notification.
  void SetMenu(TPopupMenu* Value);
  // From the button's Notification: a removed menu is forgotten.
  void Notification(TComponent* AComponent, TOperation Operation);

  // A press this soon (ms) after the button's menu closed does not reopen it.
  static constexpr uint32_t MenuReopenDelay = 100;

  bool ShowArrow() const { return FShowArrow; }
  // A changed value repaints the button.
  void SetShowArrow(bool Value);

  // Runs DropDown (the button's event), then pops the menu up under the button
  // with the button as its popup component. True when the menu was shown and the
  // button still exists; nothing happens without a menu.
  bool Drop(const std::function<void()>& DropDown);
  // A left press that asks for the menu: within MenuReopenDelay of the menu
  // closing only the mouse capture is released; otherwise DoDropDown runs and the
  // close time is recorded. Either way the press's click is skipped. False when
  // the button was freed meanwhile (the caller must not touch it then).
  bool Press(const std::function<void()>& DoDropDown);
  // The two halves of Press for a button with a press rule of its own (the tool
  // button): PressClosesMenu is true for a press within MenuReopenDelay of the menu
  // closing (the record is cleared and the mouse capture released); MenuClosed
  // records the time the menu closed.
  bool PressClosesMenu();
  void MenuClosed();
  // Runs DoDropDown; false when the button was freed meanwhile.
  bool Run(const std::function<void()>& DoDropDown);
  // From the button's Click: true when this click is to be skipped (the skip is
  // used up).
  bool TakeSkipClick();

private:
  TControl* FButton;
  TPopupMenu* FMenu = nullptr;
  uint32_t FCloseTick = 0;  // GetTickCount when the menu last closed; 0 = none
  bool FSkipClick = false;
  bool FShowArrow = true;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);  // expires with the button
};
