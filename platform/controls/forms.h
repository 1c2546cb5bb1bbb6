#pragma once
// Forms, the application object and the screen. A form class reads its layout
// from its embedded form stream (compiled from resources/*.form) when it is
// created: its constructor calls LoadForm() last, which reads the streams of the
// class and its ancestors up to TForm, binds the events by name through the class's
// published methods, then fires OnCreate. TApplication runs the message loop over
// the backend and shows escaped exceptions; TScreen knows the monitors, the
// cursors and the forms.
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/modal.h"

class TMainMenu;
class TMenu;
class THintWindow;
class TStrings;

enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                       poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
using enum TPosition;
using enum TCloseAction;
using enum TWindowState;
using enum TFormStyle;
using enum TBorderIcon;
DTU_DECLARE_ENUM(TPosition)
DTU_DECLARE_ENUM(TCloseAction)
DTU_DECLARE_ENUM(TWindowState)
DTU_DECLARE_ENUM(TFormStyle)
DTU_DECLARE_ENUM(TBorderIcon)

// A form's internal state (not published).
enum class TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsActivated };
using TFormState = TSet<TFormStateItem>;

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                       mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrAll = mrNo + 1,
                       mrNoToAll = mrAll + 1, mrYesToAll = mrNoToAll + 1;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = std::function<void(TMessage& Msg, bool& Handled)>;
using TExceptionEvent = std::function<void(TObject* Sender, Exception* E)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;

class TCustomForm : public TWinControl {
  DTU_CLASS(TCustomForm, TWinControl)
public:
  // An empty form; a form class with a form stream calls LoadForm() at the end of
  // its constructor.
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  void BeforeDestruction() override;

  TWinControl* ActiveControl() const { return FActiveControl; }
  // EInvalidOperation "Cannot focus a disabled or invisible window" for a control
  // that is not on this form or cannot take the focus.
  void SetActiveControl(TWinControl* Control);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value);
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* Value);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool Active() const { return FActive; }
  TFormState FormState() const { return FFormState; }
  TCanvas* Canvas() const { return FCanvas; }
  int PixelsPerInch() const { return 96; }
  // The pixels per inch the form was designed at (read from its stream); when they
  // differ from the screen's, loading scales the controls (ChangeScale).
  int DesignPixelsPerInch() const { return FDesignPixelsPerInch; }
  void SetDesignPixelsPerInch(int Value) { FDesignPixelsPerInch = Value; }

  void SetVisible(bool Value) override;
  void SetClientSize(int AWidth, int AHeight) override;
  TRect GetClientRect() override;
  TPoint ClientOrigin() override;
  bool IsVisibleOnScreen() override;

  // Shows the form and brings it to the front.
  void Show();
  void Hide() { SetVisible(false); }
  // Asks OnCloseQuery, then OnClose decides: hide (the default), free, minimize
  // or nothing. Closing the main form ends the application; closing a modal form
  // sets ModalResult to mrCancel.
  void Close();
  virtual bool CloseQuery();
  // Shows the form modally through the modal runner and returns its ModalResult:
  // the loop ends when a handler sets ModalResult (OnCloseQuery and OnClose may
  // keep it open). EInvalidOperation "Cannot make a visible window modal" when it
  // is shown already.
  virtual int ShowModal();
  // Frees the form once the message in hand is done.
  void Release();
  void FocusControl(TWinControl* Control);
  void DefocusControl(TWinControl* Control, bool Removing);
  // Called when a control of the form gets the keyboard focus: CM_EXIT up from the
  // old control, CM_ENTER down to the new one, CM_FOCUSCHANGED. False when a
  // handler moved the focus elsewhere meanwhile.
  bool SetFocusedControl(TWinControl* Control);
  // Menu shortcuts and OnShortCut.
  virtual bool IsShortCut(TMessage& Msg);
  void SetFocus() override;
  bool CanFocus() override { return Visible() && Enabled(); }

  void Dispatch(TMessage& Message) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  TComponent* GetChildOwner() override { return this; }
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

public:

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TShortCutEvent OnShortCut;

  // Pending ClientWidth/ClientHeight of a stream, applied in Loaded (once Menu is
  // known); the property table's accessors.
  int StreamClientWidth();
  void SetStreamClientWidth(int Value);
  int StreamClientHeight();
  void SetStreamClientHeight(int Value);

protected:
  // Reads the form streams of this class and its ancestors up to TForm, then fires
  // OnCreate and shows the form when the stream made it visible. EResNotFound when
  // no class of the chain has a form stream.
  void LoadForm();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  bool IsRootWindow() const override { return true; }
  void PaintWindow(HDC DC) override;
  virtual void Paint();
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  void SetWindowFocus();
  void SetActive(bool Value);
  void CloseModal();

private:
  int FDesignPixelsPerInch = 96;
  void CMShowingChanged(TMessage& M);
  void CMDialogKey(TMessage& M);
  void PlaceOnShow();

  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDesigned;
  TFormStyle FFormStyle = fsNormal;
  TWindowState FWindowState = wsNormal;
  TMainMenu* FMenu = nullptr;
  bool FKeyPreview = false;
  TModalResult FModalResult = mrNone;
  bool FActive = false;
  TFormState FFormState;
  TCanvas* FCanvas;
  int FPendingClientWidth = -1;
  int FPendingClientHeight = -1;
};

class TForm : public TCustomForm {
  DTU_CLASS(TForm, TCustomForm)
public:
  using TCustomForm::TCustomForm;
};

// ---------------------------------------------------------------------------
// THintWindow
// ---------------------------------------------------------------------------

// The small popup window that shows a hint: Application->HintColor on a black
// border, the text in clInfoText.
class THintWindow : public TCustomControl {
  DTU_CLASS(THintWindow, TCustomControl)
public:
  explicit THintWindow(TComponent* AOwner);
  // Shows Hint in Rect (screen coordinates) without taking the focus.
  virtual void ActivateHint(TRect Rect, const std::string& Hint);
  // The rectangle (at 0, 0) the text needs, at most MaxWidth wide.
  virtual TRect CalcHintRect(int MaxWidth, const std::string& Hint);
  void ReleaseHandle();
  bool Shown() { return HandleAllocated() && IsWindowVisible(FHandle); }
protected:
  void CreateParams(TCreateParams& Params) override;
  bool IsRootWindow() const override { return true; }
  void Paint() override;
  void Dispatch(TMessage& Message) override;
};

// ---------------------------------------------------------------------------
// TScreen
// ---------------------------------------------------------------------------

class TMonitor {
public:
  int MonitorNum = 0;
  TRect BoundsRect;
  TRect WorkareaRect;
  bool Primary = false;
  int Left() const { return BoundsRect.Left; }
  int Top() const { return BoundsRect.Top; }
  int Width() const { return BoundsRect.Width(); }
  int Height() const { return BoundsRect.Height(); }
};

enum class TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

class TScreen : public TComponent {
  DTU_CLASS(TScreen, TComponent)
public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  // The primary monitor.
  int Width();
  int Height();
  TRect DesktopRect();
  int DesktopLeft() { return DesktopRect().Left; }
  int DesktopTop() { return DesktopRect().Top; }
  int DesktopWidth() { return DesktopRect().Width(); }
  int DesktopHeight() { return DesktopRect().Height(); }
  TRect WorkAreaRect();
  int WorkAreaLeft() { return WorkAreaRect().Left; }
  int WorkAreaTop() { return WorkAreaRect().Top; }
  int WorkAreaWidth() { return WorkAreaRect().Width(); }
  int WorkAreaHeight() { return WorkAreaRect().Height(); }
  int MonitorCount();
  TMonitor* Monitors(int Index);
  TMonitor* MonitorFromPoint(TPoint P, TMonitorDefaultTo Default = TMonitorDefaultTo::mdNearest);
  TMonitor* MonitorFromRect(const TRect& R, TMonitorDefaultTo Default = TMonitorDefaultTo::mdNearest);
  int PixelsPerInch() const { return 96; }

  // The cursor shown everywhere (crDefault: each control's own).
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  HCURSOR Cursors(int Index);
  void SetCursors(int Index, HCURSOR Value);

  // Forms, the most recently focused first.
  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* Forms(int Index) const;
  int CustomFormCount() const { return FormCount(); }
  TCustomForm* CustomForms(int Index) const { return Forms(Index); }
  TCustomForm* ActiveCustomForm() const { return FActiveCustomForm; }
  TCustomForm* ActiveForm() const { return FActiveCustomForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  TCustomForm* FocusedForm() const { return FFocusedForm; }
  // The installed font families (and the names the system knows), sorted.
  TStrings* Fonts();
  TFont* HintFont() const { return FHintFont; }
  TFont* MenuFont() const { return FMenuFont; }
  TFont* IconFont() const { return FIconFont; }

  TNotifyEvent OnActiveControlChange;
  TNotifyEvent OnActiveFormChange;

private:
  friend class TCustomForm;
  friend class TApplication;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void MoveToFront(TCustomForm* Form);
  void Refresh();
  std::vector<TCustomForm*> FForms;
  std::vector<TMonitor> FMonitors;
  std::vector<std::pair<int, HCURSOR>> FCursors;
  TCursor FCursor = crDefault;
  TCustomForm* FActiveCustomForm = nullptr;
  TCustomForm* FFocusedForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  std::vector<TCustomForm*> FSaveFocusedList;
  int FFocusCount = 0;
  TStrings* FFonts = nullptr;
  TFont* FHintFont;
  TFont* FMenuFont;
  TFont* FIconFont;
};

// ---------------------------------------------------------------------------
// TApplication
// ---------------------------------------------------------------------------

// Looks at a message before it is dispatched (input messages and posted ones);
// returning true consumes it. Popup loops install one while they run.
using TMessageHook = std::function<bool(HWND Wnd, TMessage& Msg)>;

class TApplication : public TComponent {
  DTU_CLASS(TApplication, TComponent)
public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Sets the date and time formatting globals from the user's locale
  // (ApplyUserLocaleFormatSettings) and starts the input layer.
  void Initialize();
  // Creates a form owned by the application; the first form made becomes the main
  // form.
  template <class T>
  void CreateForm(T*& Reference) {
    T* form = new T(this);
    Reference = form;
    if (!FMainForm) FMainForm = form;
  }
  // Shows the main form and handles messages until Terminate; an exception that
  // escapes a message goes to HandleException and the loop goes on.
  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles every message waiting (native events, posted messages, due timers,
  // painting) without waiting for more.
  void ProcessMessages();
  // Waits for something to happen, then handles it.
  void HandleMessage();

  // Called with an exception in flight: OnException when assigned, else
  // ShowException. EAbort is ignored. Never throws.
  void HandleException(TObject* Sender);
  // The standard exception display: a message box with the exception's text
  // (a '.' added unless it ends in one or a lower character) titled with Title,
  // with the error icon.
  void ShowException(const Exception& E);
  int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags = MB_OK);

  TCustomForm* MainForm() const { return FMainForm; }
  std::string Title() const;
  void SetTitle(const std::string& Value) { FTitle = Value; }
  // The executable's path (GBK).
  std::string ExeName() const;
  bool ShowMainForm = true;
  bool Active() const { return FActive; }
  // A message-only window of the application.
  HWND Handle();
  int ModalLevel() const { return FModalLevel; }

  // Hints.
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value);
  int HintPause = 500;
  int HintShortPause = 50;
  int HintHidePause = 2500;
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  // The long hint of the control under the pointer ("short|long": the long part).
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  void HintMouseMessage(TControl* Control, TMessage& Message);
  void ActivateHint(TPoint CursorPos);
  void CancelHint();
  THintWindow* HintWindow() const { return FHintWindow; }

  bool IsShortCut(TMessage& Message);
  // Message hooks (see TMessageHook); returns an id for RemoveMessageHook.
  int AddMessageHook(TMessageHook Hook);
  void RemoveMessageHook(int Id);

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TMessageEvent OnMessage;
  TNotifyEvent OnHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TShortCutEvent OnShortCut;

  // The input layer and the controls call these.
  bool PreDispatch(HWND Wnd, TMessage& Message);
  void ControlDestroyed(TControl* Control);
  void FormDestroyed(TCustomForm* Form);
  void SetActiveState(bool Value);
  void ModalStarted() { ++FModalLevel; }
  void ModalFinished() { --FModalLevel; }

private:
  void Idle();
  void HintTimerExpired();
  void WndProc(TMessage& M);

  TCustomForm* FMainForm = nullptr;
  std::string FTitle;
  bool FTerminated = false;
  bool FActive = true;
  bool FInException = false;
  int FModalLevel = 0;
  HWND FHandle = nullptr;
  TColor FHintColor = clInfoBk;
  bool FShowHint = true;
  std::string FHint;
  TControl* FHintControl = nullptr;
  THintWindow* FHintWindow = nullptr;
  bool FHintActive = false;
  int FHintTimerMode = 0;  // 0 none, 1 show, 2 hide
  TRect FHintCursorRect;
  std::vector<std::pair<int, TMessageHook>> FHooks;
  int FNextHook = 1;
};

extern TApplication* Application;
extern TScreen* Screen;

// The standard message box with the application's title and an OK button.
void ShowMessage(const std::string& Msg);
// Frees the forms and components the application owns (at the end of the program,
// after Run returns).
void DoneApplication();
// Disables every other enabled top-level window (a modal form or message box is
// showing) and gives back the list for EnableTaskWindows.
std::vector<HWND> DisableTaskWindows(HWND ActiveWindow);
void EnableTaskWindows(const std::vector<HWND>& List);
// "short|long" hints.
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);
