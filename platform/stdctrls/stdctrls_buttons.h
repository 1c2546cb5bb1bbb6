#pragma once
// The class library's label and button family, drawn by this layer: TLabel (a
// windowless text control), TButton, TCheckBox and TRadioButton (windowed, with the
// OS button's behaviour written here: mouse and space-key pressing, BN_CLICKED sent
// to the parent as WM_COMMAND and reflected back as CN_COMMAND, the BM_ messages),
// and TGroupBox. Everything is painted in the classic look with DrawFrameControl,
// DrawEdge and DrawFocusRect; text is GBK.
#include <string>

#include "platform/controls/actions.h"
#include "platform/controls/forms.h"

// ---------------------------------------------------------------------------
// Button messages and notifications (the OS's BUTTON class)
// ---------------------------------------------------------------------------

constexpr UINT BM_GETCHECK = 0x00F0, BM_SETCHECK = 0x00F1, BM_GETSTATE = 0x00F2, BM_SETSTATE = 0x00F3,
               BM_SETSTYLE = 0x00F4, BM_CLICK = 0x00F5;
constexpr WPARAM BST_UNCHECKED = 0x0, BST_CHECKED = 0x1, BST_INDETERMINATE = 0x2, BST_PUSHED = 0x4,
                 BST_FOCUS = 0x8;
constexpr WORD BN_CLICKED = 0, BN_DOUBLECLICKED = 5;
// BM_SETSTYLE: a push button with or without the default frame.
constexpr DWORD BS_PUSHBUTTON = 0x0, BS_DEFPUSHBUTTON = 0x1;

// Sends a control's notification to its parent: WM_COMMAND with the code in the high
// word of WParam and the control's window in LParam (the parent reflects it to the
// control as CN_COMMAND).
void SendNotify(TWinControl* Control, WORD Code);

// ---------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------

enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
using TLeftRight = TAlignment;  // taLeftJustify or taRightJustify
using enum TTextLayout;
using enum TCheckBoxState;
DTU_DECLARE_ENUM(TTextLayout)
DTU_DECLARE_ENUM(TCheckBoxState)

// The size of Text in Font, measured on a screen device context (usable before a
// control has a window).
TSize TextExtentOf(TFont* Font, const std::string& Text);
// Paints into DC (the control's client coordinates), within R, what the control's
// parent shows under it: the parent's background and its windowless controls.
void PaintParentImage(TControl* Control, HDC DC, const TRect& R);
// DrawText's horizontal flag for an alignment.
unsigned AlignmentFlag(TAlignment Alignment);
// Draws Text with DrawText in the canvas's font; a disabled control's text is
// embossed (a highlight copy one pixel down-right under a shadow copy).
void DrawControlText(TCanvas* Canvas, const std::string& Text, TRect& R, unsigned Flags, bool Enabled);

// ---------------------------------------------------------------------------
// TCustomLabel, TLabel
// ---------------------------------------------------------------------------

// Text on its parent: aligned, laid out top/centre/bottom, optionally wrapped,
// '&' marking an accelerator that focuses FocusControl. AutoSize fits the bounds to
// the text (keeping the left edge, or the right edge when right-aligned) whenever
// the caption or font changes and once the label is loaded. Not Transparent: the
// label fills its rectangle with Color first.
class TCustomLabel : public TGraphicControl {
  DTU_CLASS(TCustomLabel, TGraphicControl)
public:
  explicit TCustomLabel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  bool Transparent() const { return !FControlStyle.Contains(csOpaque); }
  void SetTransparent(bool Value);

  void Dispatch(TMessage& Message) override;
  void Loaded() override;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Fits the bounds to the text when AutoSize is on (not while reading).
  virtual void AdjustBounds();
  // Draws (or with DT_CALCRECT measures) the label's text into Rect on Canvas.
  virtual void DoDrawText(TRect& Rect, unsigned Flags);
  virtual std::string GetLabelText();
  void Paint() override;

private:
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = true;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
  DTU_CLASS(TLabel, TCustomLabel)
public:
  using TCustomLabel::TCustomLabel;
};

// ---------------------------------------------------------------------------
// TButtonControl and its descendants
// ---------------------------------------------------------------------------

// The common part of push buttons, check boxes and radio buttons: the pressed state
// the mouse and the space key drive, BN_CLICKED when a press is released over the
// button, the BM_ messages, and CN_COMMAND reaching Click. ClicksDisabled lets a
// program change the check state without OnClick.
class TButtonControl : public TCustomControl {
  DTU_CLASS(TButtonControl, TCustomControl)
public:
  explicit TButtonControl(TComponent* AOwner);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // Whether the face shows pressed (BM_GETSTATE's BST_PUSHED).
  bool Pressed() const { return FPressed; }
  // Check boxes and radio buttons: whether checked (push buttons never are).
  bool Checked() { return GetChecked(); }
  virtual bool GetChecked() { return false; }
  virtual void SetChecked(bool) {}

  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // While set, changing the check state fires no OnClick.
  bool ClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }

protected:
  // An action's Checked reaches the control (without a click).
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLink* CreateActionLink() override;
  // The answer to BM_GETCHECK and what BM_SETCHECK sets.
  virtual WPARAM GetCheckState() { return GetChecked() ? BST_CHECKED : BST_UNCHECKED; }
  virtual void SetCheckState(WPARAM State) { SetChecked(State == BST_CHECKED); }
  // A BN_ notification reflected back from the parent.
  virtual void CNCommand(TMessage& M);
  void SetPressed(bool Value);
  bool FClicksDisabled = false;

private:
  void ButtonMouse(TMessage& M);
  bool FWordWrap = false;
  bool FPressed = false;
  bool FTracking = false;  // a mouse press holds the capture
  bool FSpaceDown = false;  // a space key-down pressed the button
};

// The link of check boxes and radio buttons: Checked follows the action's while
// they agree, without firing OnClick.
class TButtonActionLink : public TWinControlActionLink {
  DTU_CLASS(TButtonActionLink, TWinControlActionLink)
public:
  explicit TButtonActionLink(TButtonControl* AClient) : TWinControlActionLink(AClient), FButton(AClient) {}
  bool IsCheckedLinked() override;
  void SetChecked(bool Value) override;
private:
  TButtonControl* FButton;
};

// A push button: Default (Enter clicks it while no other button has the focus),
// Cancel (Escape clicks it), ModalResult (given to the parent form when clicked).
// The button that Enter would click shows the black default frame.
class TButton : public TButtonControl {
  DTU_CLASS(TButton, TButtonControl)
public:
  explicit TButton(TComponent* AOwner);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // Whether Enter clicks this button now (it has the focus, or it is the default
  // button and no button has the focus).
  bool Active() const { return FActive; }

  void Click() override;
  void Dispatch(TMessage& Message) override;

protected:
  void CreateWnd() override;
  void Paint() override;

private:
  bool FDefault = false;
  bool FCancel = false;
  bool FActive = false;
  TModalResult FModalResult = 0;
};

// A check box: a 13 x 13 box and its caption; a click steps the state
// (unchecked -> checked, or -> grayed first when AllowGrayed; grayed -> checked;
// checked -> unchecked). Changing the state fires OnClick unless clicks are
// disabled. Alignment taRightJustify puts the caption right of the box.
class TCustomCheckBox : public TButtonControl {
  DTU_CLASS(TCustomCheckBox, TButtonControl)
public:
  explicit TCustomCheckBox(TComponent* AOwner);
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  TCheckBoxState State() const { return FState; }
  virtual void SetState(TCheckBoxState Value);
  bool GetChecked() override { return FState == cbChecked; }
  void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
  void Click() override;

protected:
  virtual void Toggle();
  WPARAM GetCheckState() override;
  void SetCheckState(WPARAM State) override;
  void CNCommand(TMessage& M) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;

private:
  TLeftRight FAlignment = taRightJustify;
  bool FAllowGrayed = false;
  TCheckBoxState FState = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
  DTU_CLASS(TCheckBox, TCustomCheckBox)
public:
  using TCustomCheckBox::TCustomCheckBox;
};

// A radio button: checking it unchecks the other radio buttons of the same parent;
// only the checked one is a tab stop. It is checked by a click, and when it gets
// the focus from the keyboard (arrow keys move the focus between siblings).
// OnClick fires when it becomes checked.
class TRadioButton : public TButtonControl {
  DTU_CLASS(TRadioButton, TButtonControl)
public:
  explicit TRadioButton(TComponent* AOwner);
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value);
  bool GetChecked() override { return FChecked; }
  void SetChecked(bool Value) override;

protected:
  void CNCommand(TMessage& M) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;

private:
  TLeftRight FAlignment = taRightJustify;
  bool FChecked = false;
};

// ---------------------------------------------------------------------------
// TCustomGroupBox, TGroupBox
// ---------------------------------------------------------------------------

// A captioned etched frame holding controls; its children are aligned inside the
// frame, below the caption. Alt+its accelerator focuses its first child.
class TCustomGroupBox : public TCustomControl {
  DTU_CLASS(TCustomGroupBox, TCustomControl)
public:
  explicit TCustomGroupBox(TComponent* AOwner);
  void Dispatch(TMessage& Message) override;

protected:
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
  DTU_CLASS(TGroupBox, TCustomGroupBox)
public:
  using TCustomGroupBox::TCustomGroupBox;
};
