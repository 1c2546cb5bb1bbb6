#pragma once
// The modify-variable dialog: edits VarTable[SelIndex] in place. Created once at
// start-up and reused, so its controls keep their values between uses.
#include "app/VarDialog.h"

class TFormModify : public TVarDialog {
  DTU_CLASS(TFormModify, TVarDialog)
public:
  explicit TFormModify(TComponent* AOwner);
  void FormShow(TObject* Sender) override;
  void ButtonOkClick(TObject* Sender) override;
};

extern TFormModify* FormModify;
