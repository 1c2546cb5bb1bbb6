#pragma once
// The standard dialogs as components: file open and save, colour. Execute shows
// the dialog through the modal runner and returns whether the user chose (a
// cancelled dialog changes nothing). File names are GBK text.
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/core/strings.h"

enum class TOpenOption { ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
                         ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist,
                         ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate,
                         ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks,
                         ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent, ofForceShowHidden };
using TOpenOptions = TSet<TOpenOption>;
enum class TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = TSet<TColorDialogOption>;
using enum TOpenOption;
using enum TColorDialogOption;
DTU_DECLARE_ENUM(TOpenOption)
DTU_DECLARE_ENUM(TColorDialogOption)

class TCommonDialog : public TComponent {
  DTU_CLASS(TCommonDialog, TComponent)
public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  virtual bool Execute() = 0;
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;
protected:
  HWND OwnerWindow() const;
private:
  int FHelpContext = 0;
};

class TOpenDialog : public TCommonDialog {
  DTU_CLASS(TOpenDialog, TCommonDialog)
public:
  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;
  bool Execute() override;
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value) { FFileName = Value; }
  TStrings* Files() const { return FFiles; }
  const std::string& Filter() const { return FFilter; }
  void SetFilter(const std::string& Value) { FFilter = Value; }
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int Value) { FFilterIndex = Value; }
  const std::string& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const std::string& Value) { FInitialDir = Value; }
  const std::string& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const std::string& Value) { FDefaultExt = Value; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }
protected:
  bool DoExecute(bool Save);
  // Applies DefaultExt and the existence options to a choice the dialog did not
  // check itself; false after telling the user why the choice is refused.
  static bool AcceptChosenFiles(TFileDialogRequest& R, const std::string& Title);
private:
  std::string FFileName;
  TStrings* FFiles;
  std::string FFilter;
  int FFilterIndex = 1;
  std::string FInitialDir;
  std::string FDefaultExt;
  std::string FTitle;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
};

class TSaveDialog : public TOpenDialog {
  DTU_CLASS(TSaveDialog, TOpenDialog)
public:
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}
  bool Execute() override { return DoExecute(true); }
};

class TColorDialog : public TCommonDialog {
  DTU_CLASS(TColorDialog, TCommonDialog)
public:
  explicit TColorDialog(TComponent* AOwner);
  ~TColorDialog() override;
  bool Execute() override;
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  // "ColorA=FFFFFF" ... "ColorP=..." lines, as the system keeps them.
  TStrings* CustomColors() const { return FCustomColors; }
  void SetCustomColors(TStrings* Value) { FCustomColors->Assign(Value); }
  TColorDialogOptions Options() const { return FOptions; }
  void SetOptions(TColorDialogOptions Value) { FOptions = Value; }
private:
  TColor FColor = clBlack;
  TStrings* FCustomColors;
  TColorDialogOptions FOptions;
};
