#include "app/Unitnew.h"

#include "platform/core/typinfo.h"

TFormNew* FormNew = nullptr;

const TClassInfo& TFormNew::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TFormNew>("TFormNew", &TVarDialog::StaticClass()).Component().Build();
  return info;
}

namespace {
const bool kRegistered = (RegisterClass(ClassEntry<TFormNew>()), true);
}

TFormNew::TFormNew(TComponent* AOwner) : TVarDialog(AOwner) { LoadDialog(); }

void TFormNew::FormShow(TObject*) {
  DlgAccepted = 0;  // any close but OK leaves it at 0, also after an earlier OK
  UpdateAddressRangeCaption();
}

void TFormNew::ButtonOkClick(TObject*) {
  if (VarCount >= MaxVarCount) return;  // the main window does not show the dialog then
  CheckAndWrite(VarTable[VarCount], -1, true);
}
