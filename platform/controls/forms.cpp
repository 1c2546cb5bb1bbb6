// TCustomForm, THintWindow, TScreen and TApplication.
#include "platform/controls/forms.h"
#include "platform/controls/dragdrop.h"

#include <unistd.h>

#include <algorithm>
#include <climits>

#include "platform/controls/extctrls.h"
#include "platform/controls/input.h"
#include "platform/controls/menus.h"
#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/core/strings.h"
#include "platform/core/typinfo.h"
#include "platform/win32/localedata.h"

DTU_DEFINE_ENUM(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter")
DTU_DEFINE_ENUM(TCloseAction, "caNone", "caHide", "caFree", "caMinimize")
DTU_DEFINE_ENUM(TWindowState, "wsNormal", "wsMinimized", "wsMaximized")
DTU_DEFINE_ENUM(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop")
DTU_DEFINE_ENUM(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp")

using enum TFormStateItem;

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

void HandleControlException(TObject* Sender) {
  if (Application) Application->HandleException(Sender);
}

void ControlDestroyed(TControl* Control) {
  drag_detail::ControlDestroyed(Control);
  InputControlDestroyed(Control);
  if (Application) Application->ControlDestroyed(Control);
}

std::vector<HWND> DisableTaskWindows(HWND ActiveWindow) {
  std::vector<HWND> list;
  for (HWND h : TopLevelWindows())
    if (h != ActiveWindow && IsWindowVisible(h) && IsWindowEnabled(h)) {
      EnableWindow(h, FALSE);
      list.push_back(h);
    }
  return list;
}

void EnableTaskWindows(const std::vector<HWND>& List) {
  for (HWND h : List)
    if (IsControlWindow(h)) EnableWindow(h, TRUE);
}

std::string GetShortHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(0, bar);
}

std::string GetLongHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(bar + 1);
}

void ShowMessage(const std::string& Msg) { Application->MessageBox(Msg, Application->Title(), MB_OK); }

void DoneApplication() {
  if (!Application) return;
  Application->CancelHint();
  Application->DestroyComponents();
}

// ---------------------------------------------------------------------------
// TCustomForm
// ---------------------------------------------------------------------------

const TClassInfo& TCustomForm::StaticClass() {
  using F = TCustomForm;
  static const TClassInfo info =
      TClassBuilder<F>("TCustomForm", &inherited::StaticClass())
          .BuildsOwnDesign()
          .Object<TWinControl>("ActiveControl", &F::ActiveControl, &F::SetActiveControl)
          .Set<TBorderIcon>("BorderIcons", &F::BorderIcons, &F::SetBorderIcons,
                            TBorderIcons{biSystemMenu, biMinimize, biMaximize})
          .Enum<TFormBorderStyle>("BorderStyle", &F::BorderStyle, &F::SetBorderStyle, bsSizeable)
          .Prop(TControl::Property("BorderWidth"))
          .Prop(TControl::Property("Caption"))
          .Int("ClientHeight", &F::StreamClientHeight, [](F* x, int64_t v) { x->SetStreamClientHeight(static_cast<int>(v)); },
               std::nullopt)
          .Int("ClientWidth", &F::StreamClientWidth, [](F* x, int64_t v) { x->SetStreamClientWidth(static_cast<int>(v)); },
               std::nullopt)
          .Prop(TControl::Property("BiDiMode"))
          .Prop(TControl::Property("Color", clBtnFace))
          .Prop(TControl::Property("Ctl3D"))
          .Prop(TControl::Property("Enabled"))
          .Prop(TControl::Property("Font"))
          .Enum<TFormStyle>("FormStyle", &F::FormStyle, &F::SetFormStyle, fsNormal)
          .Bool("KeyPreview", &F::KeyPreview, &F::SetKeyPreview, false)
          .Object<TMainMenu>("Menu", &F::Menu, &F::SetMenu)
          .Bool("OldCreateOrder", [](F*) { return false; }, [](F*, bool) {}, false)
          .Prop(TControl::Property("ParentBiDiMode"))
          .Prop(TControl::Property("ParentFont", 0))
          .Int("PixelsPerInch", &F::PixelsPerInch, [](F* x, int64_t v) { x->SetDesignPixelsPerInch(static_cast<int>(v)); },
               std::nullopt, [](F*) { return false; })
          .Prop(TControl::Property("PopupMenu"))
          .Enum<TPosition>("Position", &F::Position, &F::SetPosition, poDesigned)
          .Bool("Scaled", [](F*) { return true; }, [](F*, bool) {}, true)
          .Prop(TControl::Property("ShowHint"))
          .Prop(TControl::Property("Visible", 0))
          .Enum<TWindowState>("WindowState", &F::WindowState, &F::SetWindowState, wsNormal)
          .Event("OnActivate", &F::OnActivate)
          .Prop(TControl::Property("OnClick"))
          .Event("OnClose", &F::OnClose)
          .Event("OnCloseQuery", &F::OnCloseQuery)
          .Event("OnCreate", &F::OnCreate)
          .Prop(TControl::Property("OnDblClick"))
          .Event("OnDeactivate", &F::OnDeactivate)
          .Event("OnDestroy", &F::OnDestroy)
          .Event("OnHide", &F::OnHide)
          .Prop(TControl::Property("OnKeyDown"))
          .Prop(TControl::Property("OnKeyPress"))
          .Prop(TControl::Property("OnKeyUp"))
          .Prop(TControl::Property("OnMouseDown"))
          .Prop(TControl::Property("OnMouseMove"))
          .Prop(TControl::Property("OnMouseUp"))
          .Event("OnPaint", &F::OnPaint)
          .Prop(TControl::Property("OnResize"))
          .Event("OnShortCut", &F::OnShortCut)
          .Event("OnShow", &F::OnShow)
          .Build();
  return info;
}

const TClassInfo& TForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TForm>("TForm", &inherited::StaticClass()).Component().Build();
  return info;
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FVisible = false;
  FWidth = 320;
  FHeight = 240;
  FColor = clBtnFace;
  FBrush->SetColor(FColor);
  SetParentColor(false);
  SetParentFont(false);
  FCanvas = new TControlCanvas;
  static_cast<TControlCanvas*>(FCanvas)->SetControl(this);
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() { delete FCanvas; }

void TCustomForm::BeforeDestruction() {
  try {
    DoDestroy();
  } catch (...) {
    HandleControlException(this);
  }
  if (Screen) Screen->RemoveForm(this);
  if (Application) Application->FormDestroyed(this);
  if (FMenu) {
    FMenu->RemoveFreeNotification(this);
    FMenu = nullptr;
  }
  TWinControl::BeforeDestruction();
  // A child freed above may have handed the focus back to this form (a popup
  // editor does): the screen must not keep the form it is about to lose.
  if (Screen) Screen->RemoveForm(this);
}

void TCustomForm::LoadForm() {
  {
    FFormState << fsCreating;
    TOnExit created([&] { FFormState >> fsCreating; });
    // A form whose stream cannot be read is taken apart as a freed one is (the
    // components read so far freed, its place on the screen given up): the
    // exception leaves the constructor, so no delete will do it.
    TOnExit unread([&] { BeforeDestruction(); });
    if (!InitInheritedComponent(this, TForm::StaticClass()))
      throw EResNotFound("Resource " + ClassName() + " not found");
    unread.Dismiss();
  }
  DoCreate();
  if (FFormState.Contains(fsVisible)) SetVisible(true);
}

void TCustomForm::SetVisible(bool Value) {
  if (FFormState.Contains(fsCreating) || ComponentState().Contains(csLoading)) {
    if (Value) FFormState << fsVisible;
    else FFormState >> fsVisible;
    return;
  }
  if (Value == Visible()) return;
  if (!Value && FFormState.Contains(fsModal) && FModalResult == mrNone) {
    // Hiding a modal form ends its loop.
    FModalResult = mrCancel;
  }
  TWinControl::SetVisible(Value);
}

void TCustomForm::Show() {
  SetVisible(true);
  if (HandleAllocated()) {
    SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(FHandle);
  }
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (FActiveControl == Control) return;
  if (Control && !(Control != this && GetParentForm(Control) == this &&
                   (ComponentState().Contains(csLoading) || Control->CanFocus())))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FActiveControl = Control;
  if (!ComponentState().Contains(csLoading) && FActive) SetWindowFocus();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (HandleAllocated()) {
    TRect c = GetClientRect();
    RecreateWnd();
    SetClientSize(c.Right, c.Bottom);
  }
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (FBorderIcons == Value) return;
  FBorderIcons = Value;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (FFormStyle == Value) return;
  FFormStyle = Value;
  RecreateWnd();
}

void TCustomForm::SetWindowState(TWindowState Value) {
  if (FWindowState == Value) return;
  FWindowState = Value;
  if (HandleAllocated() && Showing())
    ShowWindow(FHandle, Value == wsMinimized ? SW_SHOWMINIMIZED : Value == wsMaximized ? SW_SHOWMAXIMIZED : SW_RESTORE);
}

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (FMenu == Value) return;
  if (FMenu) FMenu->RemoveFreeNotification(this);
  if (Value) {
    for (int i = 0; Screen && i < Screen->FormCount(); ++i)
      if (Screen->Forms(i) != this && Screen->Forms(i)->Menu() == Value)
        throw EInvalidOperation("Menu '" + Value->Name() + "' is already being used by another form");
  }
  FMenu = Value;
  if (Value) Value->FreeNotification(this);
  // A window that exists keeps its size: the menu bar comes out of the client area.
  if (HandleAllocated()) SetWindowMenu(FHandle, Value);
}

int TCustomForm::StreamClientWidth() { return ClientWidth(); }
int TCustomForm::StreamClientHeight() { return ClientHeight(); }

void TCustomForm::SetStreamClientWidth(int Value) {
  if (ComponentState().Contains(csLoading) || FControlState.Contains(csReadingState)) FPendingClientWidth = Value;
  else SetClientWidth(Value);
}

void TCustomForm::SetStreamClientHeight(int Value) {
  if (ComponentState().Contains(csLoading) || FControlState.Contains(csReadingState)) FPendingClientHeight = Value;
  else SetClientHeight(Value);
}

void TCustomForm::SetClientSize(int AWidth, int AHeight) {
  TRect c = GetClientRect();
  SetBounds(FLeft, FTop, FWidth - c.Right + AWidth, FHeight - c.Bottom + AHeight);
}

TRect TCustomForm::GetClientRect() {
  if (HandleAllocated()) return TWinControl::GetClientRect();
  TCreateParams p;
  {
    FMeasuring = true;
    TOnExit measured([&] { FMeasuring = false; });
    CreateParams(p);
  }
  TRect in = NonClientInsets(p.Style, p.ExStyle, true, FMenu != nullptr);
  return {0, 0, std::max(0, FWidth - in.Left - in.Right), std::max(0, FHeight - in.Top - in.Bottom)};
}

TPoint TCustomForm::ClientOrigin() {
  if (HandleAllocated()) return TWinControl::ClientOrigin();
  TCreateParams p;
  FMeasuring = true;
  CreateParams(p);
  FMeasuring = false;
  TRect in = NonClientInsets(p.Style, p.ExStyle, true, FMenu != nullptr);
  return {FLeft + in.Left, FTop + in.Top};
}

bool TCustomForm::IsVisibleOnScreen() { return Showing() && HandleAllocated() && IsWindowVisible(FHandle); }

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  if (FPendingClientWidth >= 0 || FPendingClientHeight >= 0) {
    TRect c = GetClientRect();
    int w = FPendingClientWidth >= 0 ? FPendingClientWidth : c.Right;
    int h = FPendingClientHeight >= 0 ? FPendingClientHeight : c.Bottom;
    FPendingClientWidth = FPendingClientHeight = -1;
    SetClientSize(w, h);
  }
  // Designed at another pixel density: the controls and the client area scale to
  // this screen's.
  int ppi = PixelsPerInch();
  if (FDesignPixelsPerInch > 0 && FDesignPixelsPerInch != ppi) {
    DisableAlign();
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->ChangeScale(ppi, FDesignPixelsPerInch);
    TRect c = GetClientRect();
    SetClientSize(c.Right * ppi / FDesignPixelsPerInch, c.Bottom * ppi / FDesignPixelsPerInch);
    if (!ParentFont()) Font()->SetHeight(Font()->Height() * ppi / FDesignPixelsPerInch);
    EnableAlign();
    FDesignPixelsPerInch = ppi;
  }
  if (FActiveControl && GetParentForm(FActiveControl) != this) FActiveControl = nullptr;
}

void TCustomForm::DefineProperties(TFiler* Filer) {
  TWinControl::DefineProperties(Filer);
  // Written by older designers; read and dropped.
  Filer->DefineProperty("TextHeight", [](TReader* R) { R->ReadInteger(); }, nullptr, false);
  Filer->DefineProperty("IgnoreFontProperty", [](TReader* R) { R->ReadBoolean(); }, nullptr, false);
}

// A form inside another form owns what is read inside it (GetChildOwner), so its
// controls are those the root owns or it owns, and its components without a parent
// go with it; each is written once, where it reads back.
void TCustomForm::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == Root || c->Owner() == this) Proc(c);
  }
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->HasParent()) Proc(c);
  }
}

void TCustomForm::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP);
  P.Style |= WS_CLIPCHILDREN;
  P.ExStyle &= ~WS_EX_CONTROLPARENT;
  P.WndParent = nullptr;
  if (!FMeasuring && Application && Application->MainForm() && Application->MainForm() != this &&
      Application->MainForm()->HandleAllocated())
    P.WndParent = Application->MainForm()->Handle();
  DWORD icons = 0;
  if (FBorderIcons.Contains(biSystemMenu)) {
    icons |= WS_SYSMENU;
    if (FBorderIcons.Contains(biMinimize)) icons |= WS_MINIMIZEBOX;
    if (FBorderIcons.Contains(biMaximize)) icons |= WS_MAXIMIZEBOX;
  }
  switch (FBorderStyle) {
    case bsNone: P.Style |= WS_POPUP; break;
    case bsSingle: P.Style |= WS_CAPTION | icons; break;
    case bsSizeable: P.Style |= WS_CAPTION | WS_THICKFRAME | icons; break;
    case bsDialog:
      P.Style |= WS_POPUP | WS_CAPTION | (icons & WS_SYSMENU);
      P.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
    case bsToolWindow:
      P.Style |= WS_CAPTION | (icons & WS_SYSMENU);
      P.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      P.Style |= WS_CAPTION | WS_THICKFRAME | (icons & WS_SYSMENU);
      P.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (FFormStyle == fsStayOnTop) P.ExStyle |= WS_EX_TOPMOST;
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  // The window keeps the size the form has; the menu bar takes its height from
  // the client area, as the form's client size already allowed for.
  if (FMenu) SetWindowMenu(FHandle, FMenu);
}

void TCustomForm::PaintWindow(HDC DC) {
  FCanvas->SetHandle(DC);
  TOnExit painted([&] { FCanvas->SetHandle(nullptr); });
  Paint();
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMenu) {
    FMenu = nullptr;
    if (HandleAllocated() && !Destroying()) SetWindowMenu(FHandle, nullptr);
  }
  if (AComponent == FActiveControl) FActiveControl = nullptr;
  if (AComponent == FFocusedControl) FFocusedControl = nullptr;
}

bool TCustomForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) Application->Terminate();
  else if (action == caHide) Hide();
  else if (action == caMinimize) SetWindowState(wsMinimized);
  else Release();
}

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone) FModalResult = mrNone;
    else if (action == caFree) Release();
  } catch (...) {
    FModalResult = mrNone;
    Application->HandleException(this);
  }
}

int TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
    throw EInvalidOperation("Cannot make a visible window modal");
  if (HWND c = GetCapture()) SendMessage(c, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  FFormState << fsModal;
  HWND activeWindow = GetActiveWindow();
  Screen->FSaveFocusedList.insert(Screen->FSaveFocusedList.begin(), Screen->FFocusedForm);
  Screen->FFocusedForm = this;
  TCursor saveCursor = Screen->Cursor();
  Screen->SetCursor(crDefault);
  std::vector<HWND> disabled = DisableTaskWindows(nullptr);
  Application->ModalStarted();
  int result = mrNone;
  TOnExit restore([&] {
    Application->ModalFinished();
    Screen->SetCursor(saveCursor);
    EnableTaskWindows(disabled);
    if (!Screen->FSaveFocusedList.empty()) {
      Screen->FFocusedForm = Screen->FSaveFocusedList.front();
      Screen->FSaveFocusedList.erase(Screen->FSaveFocusedList.begin());
    } else {
      Screen->FFocusedForm = nullptr;
    }
    if (activeWindow && IsControlWindow(activeWindow)) SetActiveWindow(activeWindow);
    FFormState >> fsModal;
  });
  Show();
  {
    TOnExit hide([&] { Hide(); });
    SendMessage(Handle(), CM_ACTIVATE, 0, 0);
    FModalResult = mrNone;
    TModalLoop loop;
    loop.Kind = "form";
    loop.Window = this;
    loop.Done = [this] {
      if (Application->Terminated()) FModalResult = mrCancel;
      else if (FModalResult != mrNone) CloseModal();
      return FModalResult != mrNone;
    };
    loop.Cancel = [this] { FModalResult = mrCancel; };
    ModalRunner().RunLoop(loop);
    result = FModalResult;
    if (HandleAllocated()) SendMessage(FHandle, CM_DEACTIVATE, 0, 0);
    if (GetActiveWindow() != (HandleAllocated() ? FHandle : nullptr)) activeWindow = nullptr;
  }
  return result;
}

void TCustomForm::Release() {
  if (HandleAllocated()) PostMessage(FHandle, CM_RELEASE, 0, 0);
  else PostMessage(Application->Handle(), CM_RELEASE, 0, ControlToLParam(this));
}

void TCustomForm::FocusControl(TWinControl* Control) {
  bool wasActive = FActive;
  SetActiveControl(Control);
  if (!wasActive) SetFocus();
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (Removing && FFocusedControl && Control->ContainsControl(FFocusedControl))
    FFocusedControl = Control->Parent();
  if (FActiveControl && Control->ContainsControl(FActiveControl)) {
    FActiveControl = nullptr;
    if (FActive && !Destroying() && HandleAllocated() && !Removing) SetWindowFocus();
    else if (FActive && !Destroying() && HandleAllocated() && GetFocus() && Control->HandleAllocated() &&
             (GetFocus() == Control->Handle() || IsChild(Control->Handle(), GetFocus())))
      ::SetFocus(FHandle);
  }
  if (Screen && Screen->FActiveControl && Control->ContainsControl(Screen->FActiveControl))
    Screen->FActiveControl = nullptr;
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  ++Screen->FFocusCount;
  FActiveControl = Control != this ? Control : nullptr;
  TWinControl* oldActive = Screen->FActiveControl;
  Screen->FActiveControl = Control;
  TCustomForm* oldForm = Screen->FActiveCustomForm;
  Screen->FActiveCustomForm = this;
  Screen->MoveToFront(this);
  if (Control->ControlState().Contains(csFocusing)) return false;
  Control->FControlState << csFocusing;
  auto send = [](TWinControl* C, UINT Msg) {
    int count = Screen->FFocusCount;
    SendMessage(C->Handle(), Msg, 0, 0);
    return Screen->FFocusCount == count;
  };
  {
    TOnExit done([&] { Control->FControlState >> csFocusing; });
    if (Screen->FFocusedForm != this) {
      if (TCustomForm* prev = Screen->FFocusedForm) {
        Screen->FFocusedForm = nullptr;
        if (prev->HandleAllocated() && !send(prev, CM_DEACTIVATE)) return false;
      }
      Screen->FFocusedForm = this;
      if (!send(this, CM_ACTIVATE)) return false;
    }
    if (!FFocusedControl) FFocusedControl = this;
    if (FFocusedControl != Control) {
      while (FFocusedControl && !FFocusedControl->ContainsControl(Control)) {
        TWinControl* leaving = FFocusedControl;
        FFocusedControl = FFocusedControl->Parent();
        if (leaving->HandleAllocated() && !send(leaving, CM_EXIT)) return false;
      }
      while (FFocusedControl != Control) {
        TWinControl* c = Control;
        while (c->Parent() != FFocusedControl) c = c->Parent();
        FFocusedControl = c;
        if (!send(c, CM_ENTER)) return false;
      }
      Perform(CM_FOCUSCHANGED, 0, ControlToLParam(Control));
    }
  }
  if (oldActive != Control && Screen->OnActiveControlChange) Screen->OnActiveControlChange(Screen);
  if (oldForm != this && Screen->OnActiveFormChange) Screen->OnActiveFormChange(Screen);
  return true;
}

void TCustomForm::SetWindowFocus() {
  HWND h = FActiveControl ? FActiveControl->Handle() : Handle();
  if (h) ::SetFocus(h);
}

void TCustomForm::SetActive(bool Value) {
  FActive = Value;
  if (Value) {
    if (!FActiveControl) FActiveControl = FindNextControl(nullptr, true, true, false);
    if (FActiveControl && !FActiveControl->CanFocus()) FActiveControl = nullptr;
    SetWindowFocus();
  }
}

void TCustomForm::SetFocus() {
  if (FActive) return;
  if (!(Visible() && Enabled())) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  SetWindowFocus();
}

bool TCustomForm::IsShortCut(TMessage& Msg) {
  bool handled = false;
  if (OnShortCut) OnShortCut(Msg, handled);
  if (!handled && FMenu && FMenu->IsShortCut(Msg)) handled = true;
  return handled;
}

void TCustomForm::PlaceOnShow() {
  int x = FLeft, y = FTop;
  switch (FPosition) {
    case poScreenCenter:
      x = (Screen->Width() - FWidth) / 2;
      y = (Screen->Height() - FHeight) / 2;
      break;
    case poDesktopCenter: {
      TRect d = Screen->DesktopRect();
      x = d.Left + (d.Width() - FWidth) / 2;
      y = d.Top + (d.Height() - FHeight) / 2;
      break;
    }
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* center = Application->MainForm();
      if (FPosition == poOwnerFormCenter)
        if (auto* f = dynamic_cast<TCustomForm*>(Owner())) center = f;
      if (center && center != this) {
        x = center->Left() + (center->Width() - FWidth) / 2;
        y = center->Top() + (center->Height() - FHeight) / 2;
      } else {
        x = (Screen->Width() - FWidth) / 2;
        y = (Screen->Height() - FHeight) / 2;
      }
      x = std::max(x, Screen->DesktopLeft());
      y = std::max(y, Screen->DesktopTop());
      break;
    }
    default:
      return;
  }
  SetBounds(x, y, FWidth, FHeight);
}

void TCustomForm::CMShowingChanged(TMessage&) {
  if (!HandleAllocated()) return;
  if (Showing()) {
    {
      FFormState << fsShowing;
      TOnExit shown([&] { FFormState >> fsShowing; });
      PlaceOnShow();
      DoShow();
    }
    ShowWindow(FHandle, FWindowState == wsMaximized ? SW_SHOWMAXIMIZED
                        : FWindowState == wsMinimized ? SW_SHOWMINIMIZED : SW_SHOW);
  } else {
    {
      FFormState << fsShowing;
      TOnExit hidden([&] { FFormState >> fsShowing; });
      DoHide();
    }
    if (GetActiveWindow() == FHandle) {
      // The owner, or the most recent other visible form, becomes active.
      HWND next = nullptr;
      for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        if (f != this && f->HandleAllocated() && IsWindowVisible(f->Handle()) && IsWindowEnabled(f->Handle())) {
          next = f->Handle();
          break;
        }
      }
      ShowWindow(FHandle, SW_HIDE);
      if (next) SetActiveWindow(next);
    } else {
      ShowWindow(FHandle, SW_HIDE);
    }
  }
}

void TCustomForm::CMDialogKey(TMessage& M) {
  TWMKey k(M);
  if (GetKeyState(VK_MENU) >= 0) {
    switch (k.CharCode()) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          M.Result = 1;
          return;
        }
        break;
      case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        if (FActiveControl && FActiveControl->Parent()) {
          FActiveControl->Parent()->SelectNext(FActiveControl, k.CharCode() == VK_RIGHT || k.CharCode() == VK_DOWN,
                                               false);
          M.Result = 1;
        }
        return;
      default:
        break;
    }
  }
  TWinControl::Dispatch(M);
}

void TCustomForm::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_CLOSE:
      Close();
      break;
    case WM_ACTIVATE:
      SetActive(LOWORD(M.WParam) != WA_INACTIVE);
      break;
    case CM_ACTIVATE:
      Activate();
      break;
    case CM_DEACTIVATE:
      Deactivate();
      break;
    case CM_DIALOGKEY:
      CMDialogKey(M);
      break;
    case CM_SHOWINGCHANGED:
      CMShowingChanged(M);
      break;
    case CM_MENUCHANGED:
      if (HandleAllocated())
        if (TWindowPeer* p = WindowPeer(FHandle)) p->MenuChanged();
      break;
    case WM_SYSCOMMAND:
      if ((M.WParam & 0xFFF0) == SC_CLOSE) Close();
      else TWinControl::Dispatch(M);
      break;
    default:
      TWinControl::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// THintWindow
// ---------------------------------------------------------------------------

const TClassInfo& THintWindow::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<THintWindow>("THintWindow", &inherited::StaticClass()).Component().Build();
  return info;
}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  FVisible = false;
  SetColor(Application ? Application->HintColor() : clInfoBk);
  SetParentFont(false);
  if (Screen) Font()->Assign(Screen->HintFont());
}

void THintWindow::CreateParams(TCreateParams& P) {
  TCustomControl::CreateParams(P);
  P.Style = WS_POPUP | WS_BORDER;
  P.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  P.WndParent = nullptr;
  P.WindowClassStyle |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(int MaxWidth, const std::string& Hint) {
  TRect r{0, 0, MaxWidth, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  DrawText(dc, Hint.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteDC(dc);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect Rect, const std::string& Hint) {
  SetText(Hint);
  TRect work = Screen->WorkAreaRect();
  if (TMonitor* m = Screen->MonitorFromPoint(Rect.TopLeft())) work = m->WorkareaRect;
  int w = Rect.Width() + 2, h = Rect.Height() + 2;  // the border
  int x = std::min(Rect.Left, work.Right - w);
  int y = Rect.Top;
  if (y + h > work.Bottom) y = work.Bottom - h;
  x = std::max(x, work.Left);
  y = std::max(y, work.Top);
  SetBounds(x, y, w, h);
  HandleNeeded();
  SetWindowPos(FHandle, HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  if (HandleAllocated()) DestroyHandle();
}

void THintWindow::Paint() {
  TRect r = GetClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(r);
  r.Left += 2;
  r.Top += 1;
  Canvas()->Font()->Assign(Font());
  Canvas()->Font()->SetColor(clInfoText);
  Canvas()->Brush()->SetStyle(bsClear);
  std::string text = Caption();
  DrawText(Canvas()->Handle(), text.c_str(), -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::Dispatch(TMessage& M) {
  if (M.Msg == WM_NCHITTEST) M.Result = HTTRANSPARENT;
  else TCustomControl::Dispatch(M);
}

// ---------------------------------------------------------------------------
// TScreen
// ---------------------------------------------------------------------------

const TClassInfo& TScreen::StaticClass() {
  static const TClassInfo info = TClassBuilder<TScreen>("TScreen", &inherited::StaticClass()).Build();
  return info;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
  FHintFont = new TFont;
  FMenuFont = new TFont;
  FIconFont = new TFont;
  FHintFont->SetColor(clInfoText);
  FMenuFont->SetColor(clMenuText);
}

TScreen::~TScreen() {
  delete FHintFont;
  delete FMenuFont;
  delete FIconFont;
  delete FFonts;
}

void TScreen::Refresh() {
  std::vector<TMonitorInfo> info = Backend().Monitors();
  FMonitors.clear();
  int i = 0;
  for (const auto& m : info) FMonitors.push_back(TMonitor{i++, m.Bounds, m.WorkArea, m.Primary});
  if (FMonitors.empty()) FMonitors.push_back(TMonitor{0, {0, 0, 1024, 768}, {0, 0, 1024, 768}, true});
}

int TScreen::Width() {
  Refresh();
  return FMonitors[0].Width();
}

int TScreen::Height() {
  Refresh();
  return FMonitors[0].Height();
}

TRect TScreen::DesktopRect() {
  Refresh();
  TRect all = FMonitors[0].BoundsRect;
  for (const auto& m : FMonitors) UnionRect(all, all, m.BoundsRect);
  return all;
}

TRect TScreen::WorkAreaRect() {
  Refresh();
  return FMonitors[0].WorkareaRect;
}

int TScreen::MonitorCount() {
  Refresh();
  return static_cast<int>(FMonitors.size());
}

TMonitor* TScreen::Monitors(int Index) {
  Refresh();
  if (Index < 0 || Index >= static_cast<int>(FMonitors.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return &FMonitors[static_cast<size_t>(Index)];
}

TMonitor* TScreen::MonitorFromPoint(TPoint P, TMonitorDefaultTo Default) {
  Refresh();
  for (auto& m : FMonitors)
    if (m.BoundsRect.Contains(P)) return &m;
  if (Default == TMonitorDefaultTo::mdNull) return nullptr;
  if (Default == TMonitorDefaultTo::mdPrimary) return &FMonitors[0];
  TMonitor* best = &FMonitors[0];
  long long bestD = LLONG_MAX;
  for (auto& m : FMonitors) {
    long long dx = P.X < m.BoundsRect.Left ? m.BoundsRect.Left - P.X : P.X >= m.BoundsRect.Right ? P.X - m.BoundsRect.Right + 1 : 0;
    long long dy = P.Y < m.BoundsRect.Top ? m.BoundsRect.Top - P.Y : P.Y >= m.BoundsRect.Bottom ? P.Y - m.BoundsRect.Bottom + 1 : 0;
    if (dx * dx + dy * dy < bestD) {
      bestD = dx * dx + dy * dy;
      best = &m;
    }
  }
  return best;
}

TMonitor* TScreen::MonitorFromRect(const TRect& R, TMonitorDefaultTo Default) {
  Refresh();
  TMonitor* best = nullptr;
  long long bestArea = 0;
  for (auto& m : FMonitors) {
    TRect i;
    if (IntersectRect(i, R, m.BoundsRect) && static_cast<long long>(i.Width()) * i.Height() > bestArea) {
      bestArea = static_cast<long long>(i.Width()) * i.Height();
      best = &m;
    }
  }
  if (best) return best;
  return MonitorFromPoint({(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}, Default);
}

void TScreen::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  Backend().SetOverrideCursor(Value == crDefault ? nullptr : Cursors(Value));
}

HCURSOR TScreen::Cursors(int Index) {
  for (auto& [i, c] : FCursors)
    if (i == Index) return c;
  switch (Index) {
    case crNone: return nullptr;
    case crCross: return LoadCursor(nullptr, IDC_CROSS);
    case crIBeam: return LoadCursor(nullptr, IDC_IBEAM);
    case crSizeNESW: return LoadCursor(nullptr, IDC_SIZENESW);
    case crSizeNS: case crVSplit: return LoadCursor(nullptr, IDC_SIZENS);
    case crSizeNWSE: return LoadCursor(nullptr, IDC_SIZENWSE);
    case crSizeWE: case crHSplit: return LoadCursor(nullptr, IDC_SIZEWE);
    case crUpArrow: return LoadCursor(nullptr, IDC_UPARROW);
    case crHourGlass: case crSQLWait: return LoadCursor(nullptr, IDC_WAIT);
    case crNo: case crNoDrop: return LoadCursor(nullptr, IDC_NO);
    case crAppStart: return LoadCursor(nullptr, IDC_APPSTARTING);
    case crHelp: return LoadCursor(nullptr, IDC_HELP);
    case crHandPoint: return LoadCursor(nullptr, IDC_HAND);
    case crSizeAll: return LoadCursor(nullptr, IDC_SIZEALL);
    default: return LoadCursor(nullptr, IDC_ARROW);
  }
}

void TScreen::SetCursors(int Index, HCURSOR Value) {
  for (auto& [i, c] : FCursors)
    if (i == Index) {
      c = Value;
      return;
    }
  FCursors.push_back({Index, Value});
}

TCustomForm* TScreen::Forms(int Index) const {
  if (Index < 0 || Index >= FormCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FForms[static_cast<size_t>(Index)];
}

TStrings* TScreen::Fonts() {
  if (!FFonts) {
    auto* list = new TStringList;
    HDC dc = CreateCompatibleDC(nullptr);
    EnumFontFamilies(dc, nullptr, [list](const LOGFONT& Lf, const TEXTMETRIC&, int) {
      std::string name = Lf.lfFaceName;
      if (list->IndexOf(name) < 0) list->Add(name);
      return 1;
    });
    DeleteDC(dc);
    list->Sort();
    FFonts = list;
  }
  return FFonts;
}

void TScreen::AddForm(TCustomForm* Form) { FForms.push_back(Form); }

void TScreen::RemoveForm(TCustomForm* Form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
  FSaveFocusedList.erase(std::remove(FSaveFocusedList.begin(), FSaveFocusedList.end(), Form), FSaveFocusedList.end());
  if (FActiveCustomForm == Form) FActiveCustomForm = nullptr;
  if (FFocusedForm == Form) FFocusedForm = nullptr;
  if (FActiveControl && GetParentForm(FActiveControl) == Form) FActiveControl = nullptr;
}

void TScreen::MoveToFront(TCustomForm* Form) {
  auto it = std::find(FForms.begin(), FForms.end(), Form);
  if (it == FForms.end() || it == FForms.begin()) return;
  FForms.erase(it);
  FForms.insert(FForms.begin(), Form);
}

// ---------------------------------------------------------------------------
// TApplication
// ---------------------------------------------------------------------------

namespace {
constexpr UINT_PTR kHintTimer = 1;
}

const TClassInfo& TApplication::StaticClass() {
  static const TClassInfo info = TClassBuilder<TApplication>("TApplication", &inherited::StaticClass()).Build();
  return info;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
  if (FHandle) DeallocateHWnd(FHandle);
}

HWND TApplication::Handle() {
  if (!FHandle) FHandle = AllocateHWnd([this](TMessage& M) { WndProc(M); });
  return FHandle;
}

void TApplication::WndProc(TMessage& M) {
  try {
    switch (M.Msg) {
      case WM_TIMER:
        if (M.WParam == kHintTimer) HintTimerExpired();
        break;
      case CM_RELEASE:
        delete reinterpret_cast<TControl*>(M.LParam);
        break;
      default:
        break;
    }
  } catch (...) {
    HandleException(this);
  }
}

void TApplication::Initialize() {
  // Every program passes through here before it shows a date or a time: the
  // formatting globals follow the user's LC_ALL / LC_TIME / LANG from now on.
  // No file the application stores holds a date, so no stored file depends on it.
  ApplyUserLocaleFormatSettings();
  InstallInputLayer();
  Handle();
}

void TApplication::Run() {
  InstallInputLayer();
  if (FMainForm && ShowMainForm) {
    try {
      FMainForm->Show();
    } catch (...) {
      HandleException(this);
    }
  }
  while (!FTerminated) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::Terminate() {
  FTerminated = true;
  Backend().Wake();
}

void TApplication::ProcessMessages() {
  Backend().ProcessEvents(false);
  DispatchPostedMessages();
  UpdatePendingWindows();
  FreeDeviceContexts();
}

void TApplication::HandleMessage() {
  ProcessMessages();
  if (FTerminated) return;
  Idle();
  if (FTerminated || MessagesPending()) return;
  Backend().ProcessEvents(true);
  DispatchPostedMessages();
  UpdatePendingWindows();
  FreeDeviceContexts();
}

void TApplication::Idle() {
  bool done = true;
  if (OnIdle) OnIdle(this, done);
}

void TApplication::HandleException(TObject* Sender) {
  if (FInException) return;  // an exception while showing one: nothing more can be done
  FInException = true;
  try {
    try {
      throw;
    } catch (const EAbort&) {
    } catch (Exception& e) {
      if (OnException) OnException(Sender, &e);
      else ShowException(e);
    } catch (const std::exception& e) {
      Exception wrapped(e.what());
      if (OnException) OnException(Sender, &wrapped);
      else ShowException(wrapped);
    } catch (...) {
      Exception wrapped("Unknown exception");
      if (OnException) OnException(Sender, &wrapped);
      else ShowException(wrapped);
    }
  } catch (...) {
  }
  FInException = false;
}

void TApplication::ShowException(const Exception& E) {
  std::string msg = E.Message();
  if (!msg.empty()) {
    // The last character: a double-byte character counts as above '.'.
    bool multi = ByteType(msg, msg.size() - 1) == mbTrailByte;
    if (multi || static_cast<unsigned char>(msg.back()) > '.') msg += '.';
  }
  MessageBox(msg, Title(), MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  return MessageBoxA(GetActiveWindow(), Text.c_str(), Caption.c_str(), Flags);
}

std::string TApplication::ExeName() const {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string utf8(buf, static_cast<size_t>(n));
  std::string gbk;
  return Utf8ToGbk(utf8, gbk) ? gbk : utf8;
}

std::string TApplication::Title() const {
  if (!FTitle.empty()) return FTitle;
  std::string name = ExeName();
  size_t slash = name.rfind('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  return name;
}

void TApplication::SetHintColor(TColor Value) {
  FHintColor = Value;
  if (FHintWindow) FHintWindow->SetColor(Value);
}

void TApplication::SetShowHint(bool Value) {
  if (FShowHint == Value) return;
  FShowHint = Value;
  if (!Value) CancelHint();
}

void TApplication::SetHint(const std::string& Value) {
  if (FHint == Value) return;
  FHint = Value;
  if (OnHint) OnHint(this);
}

namespace {
// The control whose hint applies: the first one up the parents with a hint.
TControl* HintControlOf(TControl* C) {
  while (C && C->Hint().empty()) C = C->Parent();
  return C;
}
}  // namespace

void TApplication::HintMouseMessage(TControl* Control, TMessage& M) {
  TPoint screen = Control->ClientToScreen(TWMMouse(M).Pos());
  TControl* target = FindDragTarget(screen, true);
  TControl* hintControl = HintControlOf(target);
  SetHint(hintControl ? GetLongHint(hintControl->Hint()) : std::string());
  if (!FShowHint || !hintControl || !hintControl->ShowHint()) {
    CancelHint();
    return;
  }
  if (hintControl != FHintControl || !FHintCursorRect.Contains(screen)) {
    FHintControl = hintControl;
    KillTimer(Handle(), kHintTimer);
    if (FHintWindow && FHintWindow->Shown()) FHintWindow->ReleaseHandle();
    FHintTimerMode = 1;
    SetTimer(Handle(), kHintTimer, static_cast<UINT>(FHintActive ? HintShortPause : HintPause), nullptr);
  }
}

void TApplication::ActivateHint(TPoint CursorPos) {
  TControl* target = FindDragTarget(CursorPos, true);
  TControl* c = HintControlOf(target);
  if (!c || !c->ShowHint()) {
    CancelHint();
    return;
  }
  std::string text = GetShortHint(c->Hint());
  if (text.empty()) {
    CancelHint();
    return;
  }
  FHintControl = c;
  TPoint origin = c->ClientToScreen({0, 0});
  FHintCursorRect = Bounds(origin.X, origin.Y, c->Width(), c->Height());
  THintInfo info;
  info.HintControl = c;
  info.CursorPos = CursorPos;
  info.CursorRect = FHintCursorRect;
  info.HintPos = CursorPos;
  info.HintStr = text;
  if (c->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0) {
    CancelHint();
    return;
  }
  if (!FHintWindow) {
    FHintWindow = new THintWindow(this);
    FHintWindow->SetColor(FHintColor);
  }
  TRect r = FHintWindow->CalcHintRect(Screen->Width() / 2, info.HintStr);
  OffsetRect(r, info.HintPos.X, info.HintPos.Y + 20);  // below the cursor
  FHintWindow->ActivateHint(r, info.HintStr);
  FHintActive = true;
  FHintTimerMode = 2;
  SetTimer(Handle(), kHintTimer, static_cast<UINT>(HintHidePause), nullptr);
}

void TApplication::HintTimerExpired() {
  KillTimer(Handle(), kHintTimer);
  int mode = FHintTimerMode;
  FHintTimerMode = 0;
  if (mode == 1) {
    TPoint p;
    GetCursorPos(&p);
    ActivateHint(p);
  } else if (mode == 2) {
    if (FHintWindow) FHintWindow->ReleaseHandle();
  }
}

void TApplication::CancelHint() {
  if (FHandle) KillTimer(FHandle, kHintTimer);
  FHintTimerMode = 0;
  FHintControl = nullptr;
  FHintActive = false;
  FHintCursorRect = {};
  if (FHintWindow) FHintWindow->ReleaseHandle();
}

bool TApplication::IsShortCut(TMessage& Message) {
  bool handled = false;
  if (OnShortCut) OnShortCut(Message, handled);
  return handled;
}

int TApplication::AddMessageHook(TMessageHook Hook) {
  int id = FNextHook++;
  FHooks.push_back({id, std::move(Hook)});
  return id;
}

void TApplication::RemoveMessageHook(int Id) {
  FHooks.erase(std::remove_if(FHooks.begin(), FHooks.end(), [Id](auto& h) { return h.first == Id; }), FHooks.end());
}

bool TApplication::PreDispatch(HWND Wnd, TMessage& M) {
  // The newest hook first; a hook may remove itself while it runs.
  for (size_t i = FHooks.size(); i-- > 0;) {
    if (i >= FHooks.size()) continue;
    TMessageHook hook = FHooks[i].second;
    if (hook(Wnd, M)) return true;
  }
  if (OnMessage) {
    MSG msg{Wnd, M.Msg, M.WParam, M.LParam};
    bool handled = false;
    OnMessage(msg, handled);
    if (handled) return true;
    M.Msg = msg.message;
    M.WParam = msg.wParam;
    M.LParam = msg.lParam;
  }
  return false;
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (FHintControl == Control) CancelHint();
  if (Control == FHintWindow) FHintWindow = nullptr;
  if (Screen && Screen->FActiveControl == Control) Screen->FActiveControl = nullptr;
}

void TApplication::FormDestroyed(TCustomForm* Form) {
  if (FMainForm == Form) FMainForm = nullptr;
}

void TApplication::SetActiveState(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  if (!Value) CancelHint();
  if (Value && OnActivate) OnActivate(this);
  if (!Value && OnDeactivate) OnDeactivate(this);
}

namespace {
// The tree's classes a form file may name, registered with the form reader here,
// where forms are read.
struct TRegistration {
  TRegistration() {
    RegisterClasses({ClassEntry<TForm>(), ClassEntry<TMenuItem>(), ClassEntry<TMainMenu>(),
                     ClassEntry<TPopupMenu>(), ClassEntry<TTimer>()});
  }
} const kRegistration;
}  // namespace
