#include "app/VarDialog.h"

#include <cstring>

#include "app/PasteFilter.h"
#include "platform/stdctrls/combobox.h"
#include "platform/stdctrls/edit.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/controls/winuser.h"
#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

namespace {

int IndexOf(TComboBox* Combo) {
  int i = Combo->ItemIndex();
  return i < 0 ? 0 : i;
}

bool NameChar(unsigned char C) {
  return (C >= '0' && C <= '9') || (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z');
}

void ErrorBox(const char* Text, const char* Caption) { MessageBoxA(nullptr, Text, Caption, MB_ICONERROR); }

const bool kRegistered = [] {
  using D = TVarDialog;
  RegisterFields(D::StaticClass(),
                 {FieldOf("GroupBox3", &D::GroupBox3), FieldOf("ComboBoxDataType", &D::ComboBoxDataType),
                  FieldOf("GroupBoxByte", &D::GroupBoxByte), FieldOf("LabelDecimal", &D::LabelDecimal),
                  FieldOf("EditAddr", &D::EditAddr), FieldOf("ComboBoxDecimal", &D::ComboBoxDecimal),
                  FieldOf("EditVarName", &D::EditVarName), FieldOf("ComboBoxWrite", &D::ComboBoxWrite),
                  FieldOf("ComboBoxSafe", &D::ComboBoxSafe), FieldOf("ComboBoxStore", &D::ComboBoxStore),
                  FieldOf("EditUnit", &D::EditUnit), FieldOf("EditPeriod", &D::EditPeriod),
                  FieldOf("EditTopLimit", &D::EditTopLimit), FieldOf("EditFloorLimit", &D::EditFloorLimit),
                  FieldOf("EditCondition", &D::EditCondition), FieldOf("ButtonOk", &D::ButtonOk),
                  FieldOf("ButtonCancel", &D::ButtonCancel)});
  return true;
}();

}  // namespace

std::string AddressRangeCaption(int TypeIndex) {
  int start = TypeIndex != 0 ? PlcRegStart : PlcCoilStart;
  return "连接变量（地址范围：" + std::to_string(start) + "~" + std::to_string(start + WindowSize - 1) + "）";
}

void FilterNameKey(char& Key) {
  if (Key != 8 && !NameChar(static_cast<unsigned char>(Key))) Key = 0;
}

std::string FilterNameText(const std::string& Text) {
  std::string out;
  for (size_t i = 0; i < Text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(Text[i]);
    if (IsGbkLeadByte(c)) {
      ++i;  // a double-byte character: its second byte may look like a letter
      continue;
    }
    if (NameChar(c)) out.push_back(static_cast<char>(c));
  }
  return out;
}

const TClassInfo& TVarDialog::StaticClass() {
  using D = TVarDialog;
  static const TClassInfo info = TClassBuilder<D>("TVarDialog", &TForm::StaticClass())
                                     .Method("FormShow", &D::FormShow)
                                     .Method("ComboBoxDataTypeChange", &D::ComboBoxDataTypeChange)
                                     .Method("ComboBoxStoreChange", &D::ComboBoxStoreChange)
                                     .Method("EditVarNameKeyPress", &D::EditVarNameKeyPress)
                                     .Method("ButtonOkClick", &D::ButtonOkClick)
                                     .Method("ButtonCancelClick", &D::ButtonCancelClick)
                                     .Build();
  return info;
}

TVarDialog::TVarDialog(TComponent* AOwner) : TForm(AOwner) {}

void TVarDialog::LoadDialog() {
  LoadForm();
  FilterPaste(EditVarName, FilterNameText);
}

void TVarDialog::UpdateAddressRangeCaption() {
  GroupBoxByte->SetCaption(AddressRangeCaption(ComboBoxDataType->ItemIndex()));
}

void TVarDialog::ComboBoxDataTypeChange(TObject*) {
  bool registerType = ComboBoxDataType->ItemIndex() != 0;
  LabelDecimal->SetVisible(registerType);
  ComboBoxDecimal->SetVisible(registerType);
  if (!registerType) ComboBoxDecimal->SetItemIndex(0);
  UpdateAddressRangeCaption();
}

void TVarDialog::ComboBoxStoreChange(TObject*) { EditPeriod->SetEnabled(ComboBoxStore->ItemIndex() != 0); }

void TVarDialog::EditVarNameKeyPress(TObject*, char& Key) { FilterNameKey(Key); }

void TVarDialog::ButtonCancelClick(TObject*) {
  DlgAccepted = 0;
  SetModalResult(mrCancel);
}

bool TVarDialog::CheckAndWrite(TVarRecord& Target, int SkipIndex, bool ClearFirst) {
  // 1. The address, converted whole (before any cut to 16 bits), in its window.
  int address = StrToInt(EditAddr->Text());
  int type = IndexOf(ComboBoxDataType);
  if (!AddressInWindow(type, address)) {
    ErrorBox("变量地址超过范围，请修改！", "变量地址错误！");
    return false;
  }
  // 2. and 3. A name, not used by another record (byte for byte).
  const std::string name = EditVarName->Text();
  if (name.empty()) {
    ErrorBox("变量名称不允许为空，请修改！", "变量名称错误！");
    return false;
  }
  for (int i = 0; i < VarCount; ++i) {
    if (i != SkipIndex && FieldText(VarTable[i].Name) == name) {
      ErrorBox("变量名称已经存在，请修改！", "变量名称错误！");
      return false;
    }
  }
  // 4. The record, field by field.
  if (ClearFirst) std::memset(&Target, 0, sizeof Target);
  SetVarTypeCode(Target, type);
  Target.Address = static_cast<uint16_t>(address);
  SetVarDecimals(Target, IndexOf(ComboBoxDecimal));
  SetFieldText(Target.Name, name);
  Target.ReadWrite = ComboBoxWrite->ItemIndex() > 0 ? 1 : 0;
  Target.Security = ComboBoxSafe->ItemIndex() > 0 ? 1 : 0;
  Target.Store = ComboBoxStore->ItemIndex() > 0 ? 1 : 0;
  SetFieldText(Target.Unit, EditUnit->Text());
  SetFieldText(Target.Period, EditPeriod->Text());
  // 5.
  DlgAccepted = 1;
  SetModalResult(mrOk);
  return true;
}
