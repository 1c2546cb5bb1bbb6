#pragma once
// TQvSpinEdit: an edit whose text is a number, stepped by two spin buttons at its
// right edge, the Up/Down/PgUp/PgDn keys and the mouse wheel. The value has no
// storage of its own: Text is the value, parsed on every read and rewritten,
// range-checked and formatted, on every write.
#include <functional>

#include "platform/stdctrls/edit.h"

enum class TSpinButtonType { sbUp, sbDown };
using enum TSpinButtonType;

using TSpinChangingEvent = std::function<void(TObject* Sender, long double NewValue, bool& AllowChange)>;
using TSpinButtonEvent = std::function<void(TObject* Sender, TSpinButtonType Button)>;

class TQvSpinEdit : public TCustomEdit {
  DTU_CLASS(TQvSpinEdit, TCustomEdit)
public:
  explicit TQvSpinEdit(TComponent* AOwner);

  // The value: the text converted (an empty text gives BlankValue when AllowBlank,
  // else the text of Min is written first); a text that is not a number reads as Min.
  long double GetValue();
  // Writes the text of CheckValue(NewValue) with Decimals digits, keeping the caret
  // in place as far as the text length allows.
  void SetValue(long double NewValue);
  // NewValue clamped to Min..Max when Min <> Max or CheckRange; else unchanged.
  long double CheckValue(long double NewValue) const;
  int GetIntValue();
  void SetIntValue(int Value) { SetValue(Value); }

  // One step up or down (refused with a beep when read-only); OnChanging may refuse it.
  void IncValue(long double Amount);
  void DecValue(long double Amount);

  bool AllowBlank() const { return FAllowBlank; }
  void SetAllowBlank(bool Value) { FAllowBlank = Value; }
  long double BlankValue() const { return FBlankValue; }
  void SetBlankValue(long double Value) { FBlankValue = Value; }
  bool CheckRange() const { return FCheckRange; }
  void SetCheckRange(bool Value);
  int Decimals() const { return FDecimals; }
  void SetDecimals(int Value);
  long double Increment() const { return FIncrement; }
  void SetIncrement(long double Value) { FIncrement = Value; }
  bool IntegersOnly() const { return FIntegersOnly; }
  void SetIntegersOnly(bool Value);
  long double Min() const { return FMin; }
  void SetMin(long double Value);
  long double Max() const { return FMax; }
  void SetMax(long double Value);
  long double PageSize() const { return FPageSize; }
  void SetPageSize(long double Value) { FPageSize = Value; }

  TSpinChangingEvent OnChanging;
  TSpinButtonEvent OnButtonClick;

  void Dispatch(TMessage& Message) override;

protected:
  virtual bool CanChange(long double NewValue);
  virtual void DoButtonClick(TSpinButtonType Button);
  // A keystroke the control refuses: a beep.
  void InvalidKeyPressed();

private:
  void WMNCCalcSize(TMessage& M);
  void WMNCPaint(TMessage& M);
  void WMNCHitTest(TMessage& M);
  void WMNCLButtonDown(TMessage& M);
  void WMKeyDown(TMessage& M);

  bool FAllowBlank = false;
  long double FBlankValue = 0;
  bool FCheckRange = false;
  int FDecimals = 0;
  long double FIncrement = 1;
  bool FIntegersOnly = true;
  long double FMin = 0;
  long double FMax = 100;
  long double FPageSize = 10;
  TRect FButtons;  // the spin buttons' strip, in window coordinates
};
