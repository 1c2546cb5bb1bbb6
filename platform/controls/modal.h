#pragma once
// The modal-runner service: every modal thing the system does (message boxes,
// ShowModal, popup menus, file and colour dialogs, popup loops) goes through one
// runner. The default runner shows them through the backend and runs nested
// message loops; tests install a TScriptedModalRunner, which answers from a
// script and records every call, so no test blocks.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/backend.h"

class TWinControl;
class TMenuItem;

// A nested message loop: it runs until Done() is true. Cancel ends it from
// outside (what Escape or the close box does: a modal form's ModalResult becomes
// mrCancel, a popup closes unaccepted).
struct TModalLoop {
  std::string Kind;              // "form", "popup", ...
  TWinControl* Window = nullptr;  // the modal form or popup window
  std::function<bool()> Done;
  std::function<void()> Cancel;
};

class TModalRunner {
public:
  virtual ~TModalRunner() = default;
  virtual int MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Type) = 0;
  virtual void RunLoop(TModalLoop& Loop) = 0;
  // Shows Root's items as a popup menu placed at ScreenPos as Placement says;
  // returns the chosen item (not clicked) or nullptr.
  virtual TMenuItem* PopupMenu(TMenuItem* Root, TPoint ScreenPos, HWND Owner, const TPopupPlacement& Placement) = 0;
  virtual bool FileDialog(TFileDialogRequest& Request) = 0;
  virtual bool ColorDialog(TColorDialogRequest& Request) = 0;
};

// The runner in use (the backend runner unless one is installed).
TModalRunner& ModalRunner();
// Installs a runner (not owned); nullptr restores the backend runner. Returns the
// runner installed before (nullptr for the backend runner).
TModalRunner* SetModalRunner(TModalRunner* Runner);

// Shows modal things through the backend; RunLoop handles messages, waiting for
// them, until the loop is done.
class TBackendModalRunner : public TModalRunner {
public:
  int MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Type) override;
  void RunLoop(TModalLoop& Loop) override;
  TMenuItem* PopupMenu(TMenuItem* Root, TPoint ScreenPos, HWND Owner, const TPopupPlacement& Placement) override;
  bool FileDialog(TFileDialogRequest& Request) override;
  bool ColorDialog(TColorDialogRequest& Request) override;
};

// One modal call as the scripted runner saw it.
struct TModalCall {
  std::string Kind;          // "messagebox", "form", "popup", "menu", "open", "save", "color"
  std::string Text;          // message box text; file dialog title
  std::string Caption;       // message box caption; loop window's name; menu root's name
  UINT Type = 0;             // message box type
  TWinControl* Window = nullptr;
  TPoint Pos;                // popup menu position
  std::string Answer;        // what the runner answered ("1", an item name, a file ...)
  TPopupPlacement Placement;  // how a popup menu stands against Pos
};

// Answers modal calls from a script, in order per kind; a call with nothing
// scripted gets the answer of a user who dismisses it (message box: Cancel, No or
// the only button; loop: cancelled; menu and dialogs: nothing chosen). Installs
// itself while it lives.
class TScriptedModalRunner : public TModalRunner {
public:
  TScriptedModalRunner();
  ~TScriptedModalRunner() override;
  TScriptedModalRunner(const TScriptedModalRunner&) = delete;
  TScriptedModalRunner& operator=(const TScriptedModalRunner&) = delete;

  // The next message box returns Result.
  void AnswerMessageBox(int Result);
  // The next modal loop runs Step with its window showing (a test sets fields,
  // clicks a button, sets ModalResult ...). Posted messages are handled after the
  // step; a loop that is still not done then is cancelled.
  void OnLoop(std::function<void(TWinControl* Window)> Step);
  // The next popup menu chooses the item Choose returns (nullptr: none).
  void ChooseMenuItem(std::function<TMenuItem*(TMenuItem* Root)> Choose);
  // The next popup menu chooses the item of that name (searched in submenus too).
  void ChooseMenuItem(const std::string& Name);
  // The next file dialog returns these files (empty: cancelled).
  void AnswerFileDialog(std::vector<std::string> Files);
  // The next colour dialog returns this colour.
  void AnswerColorDialog(TColor Color);

  std::vector<TModalCall> Calls;
  // Calls of one kind, in order.
  std::vector<TModalCall> CallsOf(const std::string& Kind) const;

  int MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Type) override;
  void RunLoop(TModalLoop& Loop) override;
  TMenuItem* PopupMenu(TMenuItem* Root, TPoint ScreenPos, HWND Owner, const TPopupPlacement& Placement) override;
  bool FileDialog(TFileDialogRequest& Request) override;
  bool ColorDialog(TColorDialogRequest& Request) override;

private:
  TModalRunner* FPrevious = nullptr;
  std::deque<int> FBoxes;
  std::deque<std::function<void(TWinControl*)>> FLoops;
  std::deque<std::function<TMenuItem*(TMenuItem*)>> FMenus;
  std::deque<std::vector<std::string>> FFiles;
  std::deque<TColor> FColors;
};
