#include "platform/controls/dialogs.h"

#include <cstdio>

#include "platform/controls/forms.h"
#include "platform/controls/modal.h"

DTU_DEFINE_ENUM(TOpenOption, "ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp",
                "ofNoValidate", "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist",
                "ofFileMustExist", "ofCreatePrompt", "ofShareAware", "ofNoReadOnlyReturn",
                "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames", "ofOldStyleDialog",
                "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing", "ofDontAddToRecent",
                "ofForceShowHidden")
DTU_DEFINE_ENUM(TColorDialogOption, "cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor")

HWND TCommonDialog::OwnerWindow() const {
  HWND active = GetActiveWindow();
  if (active) return active;
  if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
    return Application->MainForm()->Handle();
  return nullptr;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(new TStringList) {}

TOpenDialog::~TOpenDialog() { delete FFiles; }

bool TOpenDialog::Execute() { return DoExecute(false); }

bool TOpenDialog::DoExecute(bool Save) {
  TFileDialogRequest r;
  r.Save = Save;
  r.Owner = OwnerWindow();
  r.Title = FTitle;
  r.InitialDir = FInitialDir;
  r.FileName = FFileName;
  r.Filter = FFilter;
  r.FilterIndex = FFilterIndex;
  r.DefaultExt = FDefaultExt;
  r.OverwritePrompt = FOptions.Contains(ofOverwritePrompt);
  r.FileMustExist = FOptions.Contains(ofFileMustExist);
  r.PathMustExist = FOptions.Contains(ofPathMustExist) || r.FileMustExist;
  r.AllowMultiSelect = FOptions.Contains(ofAllowMultiSelect);
  if (OnShow) OnShow(this);
  bool ok = ModalRunner().FileDialog(r) && !r.Files.empty();
  if (OnClose) OnClose(this);
  if (!ok) return false;
  FFiles->Clear();
  for (const auto& f : r.Files) FFiles->Add(f);
  FFileName = r.Files.front();
  FFilterIndex = r.FilterIndex;
  // Whether the chosen name's extension differs from DefaultExt.
  std::string ext;
  size_t slash = FFileName.rfind('/'), dot = FFileName.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ext = FFileName.substr(dot + 1);
  if (!FDefaultExt.empty() && ext != FDefaultExt) FOptions << ofExtensionDifferent;
  else FOptions >> ofExtensionDifferent;
  return true;
}

TColorDialog::TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner), FCustomColors(new TStringList) {}

TColorDialog::~TColorDialog() { delete FCustomColors; }

bool TColorDialog::Execute() {
  TColorDialogRequest r;
  r.Owner = OwnerWindow();
  r.Color = FColor;
  r.FullOpen = FOptions.Contains(cdFullOpen);
  for (int i = 0; i < 16; ++i) {
    std::string name = std::string("Color") + static_cast<char>('A' + i);
    std::string v = FCustomColors->Values(name);
    unsigned c = 0xFFFFFF;
    if (!v.empty()) std::sscanf(v.c_str(), "%x", &c);
    r.CustomColors.push_back(static_cast<TColor>(c));
  }
  if (OnShow) OnShow(this);
  bool ok = ModalRunner().ColorDialog(r);
  if (OnClose) OnClose(this);
  if (!ok) return false;
  FColor = r.Color;
  for (size_t i = 0; i < r.CustomColors.size() && i < 16; ++i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(r.CustomColors[i]) & 0xFFFFFF);
    FCustomColors->SetValues(std::string("Color") + static_cast<char>('A' + i), buf);
  }
  return true;
}
