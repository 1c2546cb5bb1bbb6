#pragma once
// The colour combo box: a framed combo box listing colour swatches with optional
// names (an optional Default entry, the 16 standard colours, optionally the 25
// system colours, an optional Custom entry chosen in the colour dialog). The
// captions live in a TQvColorNames so that they can be translated; the dialog's
// custom colours can be kept in a TQvRegIniFile.
#include <optional>
#include <string>

#include "controls/common/storage.h"
#include "controls/editlist/combobox.h"
#include "platform/stdctrls/dialogs.h"

struct TQvColorRec {
  const char* Caption;
  TColor Color;
};
extern const TQvColorRec DefaultColorItem;
extern const TQvColorRec CustomColorItem;
extern const TQvColorRec StdColorItems[16];
extern const TQvColorRec SysColorItems[25];

class TQvColorComboBox;

class TQvColorNames : public TPersistent {
  DTU_CLASS(TQvColorNames, TPersistent)
public:
  explicit TQvColorNames(TQvColorComboBox* Owner = nullptr);
  void Assign(TPersistent* Source) override;

  const std::string& Default() const { return FDefault; }
  void SetDefault(const std::string& V);
  const std::string& Custom() const { return FCustom; }
  void SetCustom(const std::string& V);
  const std::string& Std(int I) const { return FStd[I]; }
  void SetStd(int I, const std::string& V);
  const std::string& Sys(int I) const { return FSys[I]; }
  void SetSys(int I, const std::string& V);

  bool ShowSysColors = true, ShowDefaultColor = true, ShowCustomColor = true;

private:
  friend class TQvColorComboBox;
  void Changed();
  void Put(int Index, const std::string& V);
  TQvColorComboBox* FOwner;
  std::string FDefault, FCustom, FStd[16], FSys[25];
};

class TQvColorComboBox : public TQvCustomComboBox {
  DTU_CLASS(TQvColorComboBox, TQvCustomComboBox)
public:
  explicit TQvColorComboBox(TComponent* AOwner);
  ~TQvColorComboBox() override;

  TColor DefaultColor() const { return FDefaultColor; }
  virtual void SetDefaultColor(TColor V);
  TColor CustomColor() const { return FCustomColor; }
  virtual void SetCustomColor(TColor V);
  TQvColorNames* ColorNames() const { return FColorNames; }
  virtual void SetColorNames(TQvColorNames* V) { FColorNames->Assign(V); }
  TStrings* CustomColors() const { return FCustomColors; }
  virtual void SetCustomColors(TStrings* V);
  bool ShowSysColors() const { return FShowSysColors; }
  virtual void SetShowSysColors(bool V);
  bool ShowColorNames() const { return FShowColorNames; }
  virtual void SetShowColorNames(bool V);
  bool ShowDefaultColor() const { return FShowDefaultColor; }
  virtual void SetShowDefaultColor(bool V);
  bool ShowCustomColor() const { return FShowCustomColor; }
  virtual void SetShowCustomColor(bool V);
  TColorDialogOptions ColorDlgOptions() const { return FColorDlgOptions; }
  void SetColorDlgOptions(TColorDialogOptions V) { FColorDlgOptions = V; }
  TQvRegIniFile* RegIniFile() const { return FRegIniFile; }
  virtual void SetRegIniFile(TQvRegIniFile* V);
  virtual TColor GetSelectedColor();
  virtual void SetSelectedColor(TColor V);
  void SetFrameVisible(bool V) override;
  bool NamesChanged() const { return FNamesChanged; }

  // The dialog's custom colours from / to the values of Section; ENoRegIniFile
  // without a storage component.
  void LoadCustomColors(const std::string& Section);
  void SaveCustomColors(const std::string& Section);

  void Loaded() override;

protected:
  virtual void FixupCustomColors();
  virtual void InitColorNames();
  virtual TColor GetColorFromItem(int Index);
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
  void CloseUp() override;
  void WndProc(TMessage& Message) override;

private:
  friend class TQvColorNames;
  bool FCancelled = false;
  TColor FDefaultColor = 0;
  TColor FCustomColor = 0;
  TQvColorNames* FColorNames;
  TQvColorNames* FSavedNames = nullptr;
  bool FShowSysColors = true, FShowColorNames = true, FShowDefaultColor = true, FShowCustomColor = true;
  TColorDialogOptions FColorDlgOptions{cdFullOpen};
  TStringList* FCustomColors;
  bool FNamesChanged = false;
  int FSavedIndex = -1;
  TQvRegIniFile* FRegIniFile = nullptr;
  // The selection asked for while the colour is not in the list: no item.
  bool FKeepCustom = false;
  // The SelectedColor of the form being read, chosen in Loaded.
  std::optional<TColor> FReadSelected;
};
