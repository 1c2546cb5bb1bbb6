#pragma once
// TQvDialogComponent, the base of the library's dialog components (dialog font,
// button captions and placement), and TQvOldPropReader, which reads and drops the
// values of properties that older versions of the components wrote into forms.
#include <string>

#include "platform/controls/forms.h"
#include "platform/core/filer.h"
#include "platform/graphics/graphics.h"

class TQvDialogComponent : public TComponent {
  DTU_CLASS(TQvDialogComponent, TComponent)
public:
  explicit TQvDialogComponent(TComponent* AOwner);
  ~TQvDialogComponent() override;

  TFont* Font() const { return FFont; }
  virtual void SetFont(TFont* Value);
  bool CenterToParent() const { return FCenterToParent; }
  // Also sets Position: poOwnerFormCenter for true, poScreenCenter for false.
  virtual void SetCenterToParent(bool Value);
  int OriginLeft() const { return FOriginLeft; }
  void SetOriginLeft(int Value) { FOriginLeft = Value; }
  int OriginTop() const { return FOriginTop; }
  void SetOriginTop(int Value) { FOriginTop = Value; }
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) {
    if (ComponentState().Contains(csReading)) FPositionRead = true;
    FPosition = Value;
  }
  void Loaded() override {
    TComponent::Loaded();
    FPositionRead = false;
  }

  // Gives Form this component's Position.
  void CenterForm(TCustomForm* Form);

protected:
  // Settings for descendant dialogs, which would publish them.
  uint8_t FButtonLayout = 2;
  std::string FOKCaption = "OK";
  std::string FCancelCaption = "Cancel";
  std::string FHelpCaption = "&Help";
  TColor FShadowColor = clBtnShadow;
  bool FShowButtons = true;
  bool FShowHelp = false;
  bool FSizeable = true;
  int FDialogWidth = 300;
  int FHelpContext = 0;
  int FDialogHeight = 350;

private:
  bool FCenterToParent = false;
  TFont* FFont;
  int FOriginLeft = 100;
  int FOriginTop = 100;
  TPosition FPosition = poScreenCenter;
  bool FPositionRead = false;  // the stream being read has set Position (until Loaded)
};

// Readers of retired properties, registered in DefineProperties with a reader only
// (so the property is read from old forms and never written). Each reads exactly
// one value, of whatever kind the stream holds there (a form written by a version
// that stored the property differently still loads), and drops it.
class TQvOldPropReader : public TObject {
  DTU_CLASS(TQvOldPropReader, TObject)
public:
  static void ReadOldBooleanProp(TReader* Reader);
  static void ReadOldEnumProp(TReader* Reader);
  static void ReadOldIdentProp(TReader* Reader);
  static void ReadOldIntegerProp(TReader* Reader);
  static void ReadOldSetProp(TReader* Reader);
  static void ReadOldStringProp(TReader* Reader);
  static void WriteOldProp(TWriter* Writer);
};
