#pragma once
// TQvNumericEdit: a framed edit for a number shown through a display format (by
// default thousands grouping, negatives in parentheses). It filters what may be
// typed, checks Min..Max when the user leaves it (only when Min <> Max, unless
// CheckRange) and lets OnRangeError choose between correcting the entry and
// keeping the focus in the edit. Taking the focus back is posted, never done
// inside the focus change, and a numeric edit left because another one takes its
// focus back is not checked then: two edits with bad entries cannot bounce the
// focus between them.
//
// TQvExpandEdit: a framed edit that widens to ExpandedWidth while it has the focus
// (etFocus) or after a right click (etMouseButton2Click).
#include "controls/editlist/edits.h"

using TQvRangeErrorEvent =
    std::function<void(TObject* Sender, double EnteredValue, double AdjustedValue, bool& AutoCorrect)>;

class TQvNumericEdit : public TQvEdit {
  DTU_CLASS(TQvNumericEdit, TQvEdit)
public:
  explicit TQvNumericEdit(TComponent* AOwner);

  bool AllowBlank() const { return FAllowBlank; }
  void SetAllowBlank(bool Value) { FAllowBlank = Value; }
  double BlankValue() const { return FBlankValue; }
  void SetBlankValue(double Value) { FBlankValue = Value; }
  bool CheckRange() const { return FCheckRange; }
  void SetCheckRange(bool Value) { FCheckRange = Value; }
  bool IntegersOnly() const { return FIntegersOnly; }
  virtual void SetIntegersOnly(bool Value);
  double Min() const { return FMin; }
  virtual void SetMin(double Value);
  double Max() const { return FMax; }
  virtual void SetMax(double Value);
  const std::string& DisplayFormat() const { return FDisplayFormat; }
  virtual void SetDisplayFormat(const std::string& Value);
  virtual double GetValue();
  virtual void SetValue(double Value);
  double Value() { return GetValue(); }
  virtual int GetIntValue();
  virtual void SetIntValue(int Value) { SetValue(Value); }

  virtual bool IsValidChar(char Key);
  virtual std::string FormatText(double Value);
  virtual double EvaluateText();
  virtual double CheckValue(double NewValue, bool& RangeViolated);

  void Dispatch(TMessage& Message) override;
  void Loaded() override;

  TQvRangeErrorEvent OnRangeError;

protected:
  virtual void RangeError(double EnteredValue, double AdjustedValue, bool& AutoCorrect);
  void Change() override;
  void KeyPress(char& Key) override;

private:
  bool FAllowBlank = false;
  double FBlankValue = 0;
  bool FCheckRange = false;
  bool FIntegersOnly = true;
  double FMin = 0;
  double FMax = 0;
  std::string FDisplayFormat = ",0;(,0)";
  double FCurrentValue = 0;
  bool FValueChanged = false;
  bool FFormatting = false;
  double FLoadedValue = 0;
  bool FHasLoadedValue = false;
};

enum class TExpandOnType { etMouseButton2Click, etFocus, etNone };
using enum TExpandOnType;
DTU_DECLARE_ENUM(TExpandOnType)

class TQvExpandEdit : public TQvEdit {
  DTU_CLASS(TQvExpandEdit, TQvEdit)
public:
  explicit TQvExpandEdit(TComponent* AOwner);
  int ExpandedWidth() const { return FExpandedWidth; }
  virtual void SetExpandedWidth(int Value);
  TExpandOnType ExpandOn() const { return FExpandOn; }
  virtual void SetExpandOn(TExpandOnType Value);
  bool Expanded() const { return FExpanded; }
  void Dispatch(TMessage& Message) override;

private:
  void Expand();
  int FExpandedWidth = 0;
  bool FExpanded = false;
  int FRememberedWidth;
  TExpandOnType FExpandOn = etNone;
};
