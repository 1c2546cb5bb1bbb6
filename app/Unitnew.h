#pragma once
// The new-variable dialog: fills the free slot VarTable[VarCount]. Created once at
// start-up and reused, so its controls keep their values between uses.
#include "app/VarDialog.h"

class TFormNew : public TVarDialog {
  DTU_CLASS(TFormNew, TVarDialog)
public:
  explicit TFormNew(TComponent* AOwner);
  void FormShow(TObject* Sender) override;
  void ButtonOkClick(TObject* Sender) override;
};

extern TFormNew* FormNew;
