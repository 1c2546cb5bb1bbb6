// The drop-down menu shared by the menu button and the menu toolbar button.
#include "controls/basic/menudropdown.h"

#include "platform/win32/clock.h"

void TQvMenuDropDown::SetMenu(TPopupMenu* Value) {
  FMenu = Value;
  if (Value) Value->FreeNotification(FButton);
}

void TQvMenuDropDown::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent == FMenu) FMenu = nullptr;
}

void TQvMenuDropDown::SetShowArrow(bool Value) {
  if (FShowArrow == Value) return;
  FShowArrow = Value;
  FButton->Invalidate();
}

bool TQvMenuDropDown::Drop(const std::function<void()>& DropDown) {
  if (!FMenu) return false;
  std::weak_ptr<bool> alive = FAlive;
  DropDown();
  // OnDropDown may free the button or take its menu away.
  if (alive.expired() || !FMenu) return false;
  TPoint p = MenuDropPoint(FButton, FMenu);
  FMenu->SetPopupComponent(FButton);
  FMenu->Popup(p.X, p.Y);
  return !alive.expired();
}

bool TQvMenuDropDown::PressClosesMenu() {
  uint32_t now = GetTickCount();
  if (FCloseTick == 0 || now - FCloseTick >= MenuReopenDelay) return false;
  FCloseTick = 0;
  FButton->SetMouseCapture(false);
  return true;
}

void TQvMenuDropDown::MenuClosed() {
  FCloseTick = GetTickCount();
  if (FCloseTick == 0) FCloseTick = 1;  // 0 means "no menu closed"
}

bool TQvMenuDropDown::Press(const std::function<void()>& DoDropDown) {
  if (PressClosesMenu()) {
    // The press that closed the menu: it neither reopens it nor clicks.
    FSkipClick = true;
    return true;
  }
  if (!Run(DoDropDown)) return false;
  FSkipClick = true;
  MenuClosed();
  return true;
}

bool TQvMenuDropDown::Run(const std::function<void()>& DoDropDown) {
  std::weak_ptr<bool> alive = FAlive;
  DoDropDown();
  return !alive.expired();
}

bool TQvMenuDropDown::TakeSkipClick() {
  if (!FSkipClick) return false;
  FSkipClick = false;
  return true;
}
