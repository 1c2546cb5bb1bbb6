#include "platform/controls/modal.h"

#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "platform/core/scope.h"

namespace {
TModalRunner* g_Runner = nullptr;
}

TModalRunner& ModalRunner() {
  static TBackendModalRunner* standard = new TBackendModalRunner;
  return g_Runner ? *g_Runner : *standard;
}

TModalRunner* SetModalRunner(TModalRunner* Runner) {
  TModalRunner* old = g_Runner;
  g_Runner = Runner;
  return old;
}

// ---------------------------------------------------------------------------

int TBackendModalRunner::MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Type) {
  // Disabling the windows takes the focus away; the box is no window of ours, so the
  // active window is activated once more when it closes, as after any other window:
  // its form gives the focus back to the control that had it.
  HWND active = GetActiveWindow();
  std::vector<HWND> disabled = DisableTaskWindows(nullptr);
  Application->ModalStarted();
  TOnExit finished([&] {
    Application->ModalFinished();
    EnableTaskWindows(disabled);
    if (active && IsControlWindow(active) && IsWindowEnabled(active) && GetActiveWindow() == active &&
        !GetFocus()) {
      SendMessage(active, WM_NCACTIVATE, TRUE, 0);
      SendMessage(active, WM_ACTIVATE, WA_ACTIVE, 0);
    }
  });
  return Backend().MessageBox(Owner, Text, Caption, Type);
}

void TBackendModalRunner::RunLoop(TModalLoop& Loop) {
  while (!Loop.Done()) Application->HandleMessage();
}

TMenuItem* TBackendModalRunner::PopupMenu(TMenuItem* Root, TPoint ScreenPos, HWND Owner,
                                          const TPopupPlacement& Placement) {
  return Backend().TrackPopupMenu(Root, ScreenPos, Owner, Placement);
}

bool TBackendModalRunner::FileDialog(TFileDialogRequest& Request) { return Backend().FileDialog(Request); }

bool TBackendModalRunner::ColorDialog(TColorDialogRequest& Request) { return Backend().ColorDialog(Request); }

// ---------------------------------------------------------------------------

TScriptedModalRunner::TScriptedModalRunner() { FPrevious = SetModalRunner(this); }

TScriptedModalRunner::~TScriptedModalRunner() { SetModalRunner(FPrevious); }

void TScriptedModalRunner::AnswerMessageBox(int Result) { FBoxes.push_back(Result); }

void TScriptedModalRunner::OnLoop(std::function<void(TWinControl*)> Step) { FLoops.push_back(std::move(Step)); }

void TScriptedModalRunner::ChooseMenuItem(std::function<TMenuItem*(TMenuItem*)> Choose) {
  FMenus.push_back(std::move(Choose));
}

void TScriptedModalRunner::ChooseMenuItem(const std::string& Name) {
  FMenus.push_back([Name](TMenuItem* Root) -> TMenuItem* {
    std::vector<TMenuItem*> stack{Root};
    while (!stack.empty()) {
      TMenuItem* i = stack.back();
      stack.pop_back();
      if (i != Root && i->Name() == Name) return i;
      for (int k = i->Count() - 1; k >= 0; --k) stack.push_back(i->Items(k));
    }
    return nullptr;
  });
}

void TScriptedModalRunner::AnswerFileDialog(std::vector<std::string> Files) { FFiles.push_back(std::move(Files)); }

void TScriptedModalRunner::AnswerColorDialog(TColor Color) { FColors.push_back(Color); }

std::vector<TModalCall> TScriptedModalRunner::CallsOf(const std::string& Kind) const {
  std::vector<TModalCall> out;
  for (const auto& c : Calls)
    if (c.Kind == Kind) out.push_back(c);
  return out;
}

int TScriptedModalRunner::MessageBox(HWND, const std::string& Text, const std::string& Caption, UINT Type) {
  int r = MessageBoxDefaultResult(Type);
  if (!FBoxes.empty()) {
    r = FBoxes.front();
    FBoxes.pop_front();
  }
  Calls.push_back(TModalCall{"messagebox", Text, Caption, Type, nullptr, {}, std::to_string(r), {}});
  return r;
}

void TScriptedModalRunner::RunLoop(TModalLoop& Loop) {
  TModalCall call{Loop.Kind, {}, Loop.Window ? Loop.Window->Name() : std::string(), 0, Loop.Window, {}, {}, {}};
  size_t index = Calls.size();
  Calls.push_back(call);
  std::function<void(TWinControl*)> step;
  if (!FLoops.empty()) {
    step = std::move(FLoops.front());
    FLoops.pop_front();
  }
  Application->ProcessMessages();
  if (step && !Loop.Done()) {
    step(Loop.Window);
    Application->ProcessMessages();
  }
  bool cancelled = false;
  // A loop the script did not end is dismissed the way Escape would; a form that
  // keeps refusing to close is dismissed once more, then the script is wrong.
  for (int attempt = 0; !Loop.Done(); ++attempt) {
    if (attempt == 2) throw EInvalidOperation("The scripted modal loop of '" + call.Caption + "' did not end");
    cancelled = true;
    if (Loop.Cancel) Loop.Cancel();
    Application->ProcessMessages();
  }
  Calls[index].Answer = cancelled ? "cancelled" : "done";
}

TMenuItem* TScriptedModalRunner::PopupMenu(TMenuItem* Root, TPoint ScreenPos, HWND,
                                           const TPopupPlacement& Placement) {
  TMenuItem* chosen = nullptr;
  if (!FMenus.empty()) {
    chosen = FMenus.front()(Root);
    FMenus.pop_front();
  }
  TMenu* menu = Root ? Root->GetParentMenu() : nullptr;
  Calls.push_back(TModalCall{"menu", {}, menu ? menu->Name() : std::string(), 0, nullptr, ScreenPos,
                             chosen ? chosen->Name() : std::string(), Placement});
  return chosen;
}

bool TScriptedModalRunner::FileDialog(TFileDialogRequest& Request) {
  std::vector<std::string> files;
  if (!FFiles.empty()) {
    files = std::move(FFiles.front());
    FFiles.pop_front();
  }
  Calls.push_back(TModalCall{Request.Save ? "save" : "open", Request.Title, Request.Filter, 0, nullptr, {},
                             files.empty() ? std::string() : files.front(), {}});
  if (files.empty()) return false;
  Request.Files = std::move(files);
  Request.FileName = Request.Files.front();
  return true;
}

bool TScriptedModalRunner::ColorDialog(TColorDialogRequest& Request) {
  bool chosen = !FColors.empty();
  if (chosen) {
    Request.Color = FColors.front();
    FColors.pop_front();
  }
  Calls.push_back(TModalCall{"color", {}, {}, 0, nullptr, {}, chosen ? ColorToString(Request.Color) : std::string(), {}});
  return chosen;
}
