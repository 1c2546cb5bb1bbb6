#include "platform/stdctrls/dialogs.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/controls/forms.h"
#include "platform/controls/modal.h"
#include "platform/core/gbk.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

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

namespace {

bool PathExists(const std::string& Gbk) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::path(GbkToUtf8(Gbk)), ec);
}

// Whether the last part of a path has an extension.
bool HasExtension(const std::string& Name) {
  size_t slash = Name.rfind('/'), dot = Name.rfind('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
}

}  // namespace

// What the OS dialog does with a choice before it closes, for a dialog that left
// it to the component: DefaultExt goes onto names without an extension (an open
// dialog keeps a name that exists as it is); then a file that must exist and does
// not, a folder that does not exist, or a file a save would replace is reported
// in a message box through the modal runner. False: the user goes back to the
// dialog.
bool TOpenDialog::AcceptChosenFiles(TFileDialogRequest& R, const std::string& Title) {
  if (!R.DefaultExt.empty())
    for (std::string& f : R.Files)
      if (!HasExtension(f) && (R.Save || !PathExists(f))) f += "." + R.DefaultExt;
  std::string caption = !Title.empty() ? Title : R.Save ? "Save As" : "Open";
  for (const std::string& f : R.Files) {
    std::string dir = ExtractFilePath(f);
    if (R.PathMustExist && !dir.empty() && !PathExists(dir)) {
      ModalRunner().MessageBox(R.Owner, f + "\nPath does not exist.\nPlease verify the correct path was given.",
                               caption, MB_OK | MB_ICONWARNING);
      return false;
    }
    if (R.FileMustExist && !R.Save && !PathExists(f)) {
      ModalRunner().MessageBox(R.Owner, f + "\nFile not found.\nPlease verify the correct file name was given.",
                               caption, MB_OK | MB_ICONWARNING);
      return false;
    }
    if (R.OverwritePrompt && R.Save && PathExists(f) &&
        ModalRunner().MessageBox(R.Owner, f + " already exists.\nDo you want to replace it?", caption,
                                 MB_YESNO | MB_ICONWARNING) != IDYES)
      return false;
  }
  return true;
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
  bool ok = false;
  // A choice the options refuse brings the dialog back with that name in it.
  for (;;) {
    r.Files.clear();
    r.Confirmed = false;
    if (!ModalRunner().FileDialog(r) || r.Files.empty()) break;
    if (r.Confirmed || AcceptChosenFiles(r, FTitle)) {
      ok = true;
      break;
    }
    r.FileName = r.Files.front();
  }
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
  if (!FDefaultExt.empty() && !SameText(ext, FDefaultExt)) FOptions << ofExtensionDifferent;
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

// Property tables and registration with the form reader.
const TClassInfo& TCommonDialog::StaticClass() {
  using D = TCommonDialog;
  static const TClassInfo info =
      TClassBuilder<D>("TCommonDialog", &inherited::StaticClass())
          .Int("HelpContext", &D::HelpContext, [](D* x, int64_t v) { x->SetHelpContext(static_cast<int>(v)); }, 0)
          .Event("OnClose", &D::OnClose)
          .Event("OnShow", &D::OnShow)
          .Build();
  return info;
}

const TClassInfo& TOpenDialog::StaticClass() {
  using D = TOpenDialog;
  static const TClassInfo info =
      TClassBuilder<D>("TOpenDialog", &inherited::StaticClass())
          .Component()
          .Str("DefaultExt", &D::DefaultExt, &D::SetDefaultExt)
          .Str("FileName", &D::FileName, &D::SetFileName)
          .Str("Filter", &D::Filter, &D::SetFilter)
          .Int("FilterIndex", &D::FilterIndex, [](D* x, int64_t v) { x->SetFilterIndex(static_cast<int>(v)); }, 1)
          .Str("InitialDir", &D::InitialDir, &D::SetInitialDir)
          .Set<TOpenOption>("Options", &D::Options, &D::SetOptions, TOpenOptions{ofHideReadOnly, ofEnableSizing})
          .Str("Title", &D::Title, &D::SetTitle)
          .Build();
  return info;
}

const TClassInfo& TSaveDialog::StaticClass() {
  static const TClassInfo info = TClassBuilder<TSaveDialog>("TSaveDialog", &inherited::StaticClass()).Component().Build();
  return info;
}

const TClassInfo& TColorDialog::StaticClass() {
  using D = TColorDialog;
  static const TClassInfo info =
      TClassBuilder<D>("TColorDialog", &inherited::StaticClass())
          .Component()
          .Int("Color", &D::Color, &D::SetColor, clBlack, {}, &ColorIdents())
          .Object<TStrings>("CustomColors", &D::CustomColors, &D::SetCustomColors)
          .Set<TColorDialogOption>("Options", &D::Options, &D::SetOptions, TColorDialogOptions{})
          .Build();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() {
    RegisterClasses({ClassEntry<TOpenDialog>(), ClassEntry<TSaveDialog>(), ClassEntry<TColorDialog>()});
  }
} const kRegistration;
}  // namespace
