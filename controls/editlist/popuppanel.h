#pragma once
// The drop-down window of the framed controls.
//
// TQvCustomPopup: a framed panel with popup-style defaults (a popup frame, a
//   two-pixel border ring, hidden).
// TQvPopupPanel: a hidden panel on a form that holds a drop-down's content (a
//   colour picker, a calendar, toolbar buttons ...). Popup(Control) shows the
//   content in a top-level window below Control and runs a local message loop
//   until the content calls Close (true) or the drop-down is dismissed (false):
//   Escape, a click outside, the application losing activation, the system menu.
//   The focus stays on the owning form; keys go to the content's first focusable
//   control; a click outside is swallowed.
// TQvPopup: that top-level window, alive only while Popup runs.
#include "controls/basic/panels.h"

class TQvPopupPanel;

// The private message that ends a popup's loop; always posted to the popup window.
constexpr UINT CM_QVPOPUPCLOSE = 0x2423;

// Where a popup of size (W, H) opens for a control whose screen rectangle is R,
// within the work area Work. X and Y are offsets from R's top-left corner; both -1
// place it below R, aligned by Alignment. It is pushed back inside the right edge,
// flipped above R when it would pass the bottom, then held inside the left and
// top edges.
TPoint PopupPlacement(const TRect& R, int W, int H, TAlignment Alignment, int X, int Y, const TRect& Work);

// Whether Wnd is Outer or lies inside it (walking the parents).
bool IsWindowInside(HWND Wnd, HWND Outer);

class TQvCustomPopup : public TQvCustomPanel {
  DTU_CLASS(TQvCustomPopup, TQvCustomPanel)
public:
  explicit TQvCustomPopup(TComponent* AOwner);

protected:
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Paint() override;
};

class TQvPopup : public TQvCustomPopup {
  DTU_CLASS(TQvPopup, TQvCustomPopup)
public:
  explicit TQvPopup(TQvPopupPanel* APanel);
  ~TQvPopup() override;

  // Shows the panel's content at its place for Control and runs the loop; true
  // when the content accepted it (the panel's Close).
  bool ShowPopupAt(TControl* Control, TAlignment Alignment, int X, int Y);
  // Ends the loop (posts the close message); Accept clears the cancelled flag.
  void PostPopupClose(bool Accept);
  // Ends the loop unaccepted at once (the panel's window is going away).
  void Abort();
  TWinControl* FocusControl() const { return FFocusControl; }
  bool Cancelled() const { return FCancelled; }

protected:
  void CreateParams(TCreateParams& Params) override;
  bool IsRootWindow() const override { return true; }
  void WndProc(TMessage& Message) override;

private:
  void ActivatePopupControl();
  void HidePopup();
  bool Hook(HWND Wnd, TMessage& M);

  TControl* FPopupControl = nullptr;
  TQvPopupPanel* FPanel;
  TWinControl* FFocusControl = nullptr;
  bool FCancelled = true;
  bool FDone = false;
  bool FShown = false;
};

class TQvPopupPanel : public TQvCustomPopup {
  DTU_CLASS(TQvPopupPanel, TQvCustomPopup)
public:
  explicit TQvPopupPanel(TComponent* AOwner);
  ~TQvPopupPanel() override;

  bool Popup(TControl* Control) { return Popup(Control, -1, -1); }
  bool Popup(TControl* Control, int X, int Y);
  // An event handler (TNotifyEvent): accepts the shown popup.
  void Close(TObject* Sender);
  // Close as a TNotifyEvent, for the content's click or change event.
  TNotifyEvent CloseEvent() {
    return [this](TObject* Sender) { Close(Sender); };
  }
  bool Active() const { return FPopup != nullptr; }
  TQvPopup* PopupWindow() const { return FPopup; }
  TControl* PopupControl() const { return FPopupControl; }

  TNotifyEvent OnClose;
  TNotifyEvent OnPopup;

protected:
  virtual void DoPopup();
  virtual void DoClose();
  void DestroyWnd() override;

private:
  TControl* FPopupControl = nullptr;
  TQvPopup* FPopup = nullptr;
};
