#pragma once
// What the new-variable and modify-variable dialogs share: their controls (the two
// form sources name the same ones), the address-range caption, the type and store
// changes, the name key filter, and the checks and write of the OK button. Each
// dialog class adds only how it is shown and which record OK writes.
#include <string>

#include "app/VarTable.h"
#include "platform/controls/forms.h"

class TButton;
class TComboBox;
class TEdit;
class TGroupBox;
class TLabel;

// "连接变量（地址范围：start~start+127）" for the window of the chosen type.
std::string AddressRangeCaption(int TypeIndex);
// Only 0-9, a-z, A-Z and backspace reach the name; anything else is dropped.
void FilterNameKey(char& Key);
// What of a pasted text the name edit takes (its letters and digits).
std::string FilterNameText(const std::string& Text);

class TVarDialog : public TForm {
  DTU_CLASS(TVarDialog, TForm)
public:
  explicit TVarDialog(TComponent* AOwner);

  TGroupBox* GroupBox3 = nullptr;
  TComboBox* ComboBoxDataType = nullptr;
  TGroupBox* GroupBoxByte = nullptr;
  TLabel* LabelDecimal = nullptr;
  TEdit* EditAddr = nullptr;
  TComboBox* ComboBoxDecimal = nullptr;
  TEdit* EditVarName = nullptr;
  TComboBox* ComboBoxWrite = nullptr;
  TComboBox* ComboBoxSafe = nullptr;
  TComboBox* ComboBoxStore = nullptr;
  TEdit* EditUnit = nullptr;
  TEdit* EditPeriod = nullptr;
  TEdit* EditTopLimit = nullptr;
  TEdit* EditFloorLimit = nullptr;
  TEdit* EditCondition = nullptr;
  TButton* ButtonOk = nullptr;
  TButton* ButtonCancel = nullptr;

  virtual void FormShow(TObject* Sender) = 0;
  void ComboBoxDataTypeChange(TObject* Sender);
  void ComboBoxStoreChange(TObject* Sender);
  void EditVarNameKeyPress(TObject* Sender, char& Key);
  virtual void ButtonOkClick(TObject* Sender) = 0;
  void ButtonCancelClick(TObject* Sender);

protected:
  // Ends the form's construction: reads its form stream and hooks the name edit.
  void LoadDialog();
  void UpdateAddressRangeCaption();
  // The OK button's checks, in order: the address lies in the window of the chosen
  // type (a conversion error raises EConvertError), the name is not empty and no
  // other record (SkipIndex excepted) has it. The first failure is shown and false
  // returned; otherwise the record is written and DlgAccepted set. A new record
  // (ClearFirst) starts from zero bytes; a modified one keeps what the dialog does
  // not show (reserved bits, limits, condition).
  bool CheckAndWrite(TVarRecord& Target, int SkipIndex, bool ClearFirst);
};
