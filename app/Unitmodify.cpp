#include "app/Unitmodify.h"

#include "platform/stdctrls/combobox.h"
#include "platform/stdctrls/edit.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/core/typinfo.h"

TFormModify* FormModify = nullptr;

const TClassInfo& TFormModify::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TFormModify>("TFormModify", &TVarDialog::StaticClass()).Component().Build();
  return info;
}

namespace {
const bool kRegistered = (RegisterClass(ClassEntry<TFormModify>()), true);
}

TFormModify::TFormModify(TComponent* AOwner) : TVarDialog(AOwner) { LoadDialog(); }

void TFormModify::FormShow(TObject*) {
  DlgAccepted = 0;  // any close but OK leaves it at 0, also after an earlier OK
  if (SelIndex < 0 || SelIndex >= VarCount) return;
  const TVarRecord& r = VarTable[SelIndex];
  ComboBoxDataType->SetItemIndex(VarTypeCode(r));
  EditAddr->SetText(std::to_string(r.Address));
  LabelDecimal->SetVisible(VarTypeCode(r) != 0);
  ComboBoxDecimal->SetVisible(VarTypeCode(r) != 0);
  ComboBoxDecimal->SetItemIndex(VarDecimals(r));
  EditVarName->SetText(FieldText(r.Name));
  ComboBoxWrite->SetItemIndex(r.ReadWrite ? 1 : 0);
  ComboBoxSafe->SetItemIndex(r.Security ? 1 : 0);
  ComboBoxStore->SetItemIndex(r.Store ? 1 : 0);
  EditPeriod->SetEnabled(r.Store != 0);
  EditUnit->SetText(FieldText(r.Unit));
  EditPeriod->SetText(FieldText(r.Period));
  UpdateAddressRangeCaption();
}

void TFormModify::ButtonOkClick(TObject*) {
  if (SelIndex < 0 || SelIndex >= VarCount) return;
  CheckAndWrite(VarTable[SelIndex], SelIndex, false);
}
