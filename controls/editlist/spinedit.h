#pragma once
// TQvSpinEdit: a framed edit for a number with a pair of spin buttons (a child
// window at the right edge of its client area, the text's margin leaving them
// room). The value has no storage of its own: Text is the value, parsed on every
// read and rewritten, range-checked and formatted, on every write. It steps by
// Increment through the buttons, Up/Down and the wheel, by PageSize through
// PgUp/PgDn and Ctrl+wheel. Unless AllowKeyEdit, the user cannot change the text
// any other way: typing, Backspace, Delete, paste, cut, the context menu's Delete
// and undo are each refused with one beep (BeepOnInvalidKey).
#include <functional>

#include "controls/editlist/edits.h"
#include "controls/editlist/spinbuttons.h"

enum class TSpinButtonType { sbUp, sbDown };
using enum TSpinButtonType;
DTU_DECLARE_ENUM(TSpinButtonType)

using TSpinChangingEvent = std::function<void(TObject* Sender, long double NewValue, bool& AllowChange)>;
using TSpinButtonEvent = std::function<void(TObject* Sender, TSpinButtonType Button)>;

class TQvSpinEdit : public TQvCustomEdit {
  DTU_CLASS(TQvSpinEdit, TQvCustomEdit)
public:
  explicit TQvSpinEdit(TComponent* AOwner);

  // The value: the text converted (an empty text gives BlankValue when AllowBlank,
  // else the text of Min is written first); a text that is not a number reads as Min.
  virtual long double GetValue();
  // Writes the text of CheckValue(NewValue) with Decimals digits, keeping the caret
  // in place as far as the text length allows.
  virtual void SetValue(long double NewValue);
  // NewValue clamped to Min..Max when Min <> Max or CheckRange; else unchanged.
  virtual long double CheckValue(long double NewValue) const;
  virtual int GetIntValue();
  virtual void SetIntValue(int Value) { SetValue(Value); }

  // One step up or down (refused with a beep when read-only); OnChanging may refuse it.
  virtual void IncValue(long double Amount);
  virtual void DecValue(long double Amount);

  bool AllowBlank() const { return FAllowBlank; }
  void SetAllowBlank(bool Value) { FAllowBlank = Value; }
  long double BlankValue() const { return FBlankValue; }
  void SetBlankValue(long double Value) { FBlankValue = Value; }
  bool AllowKeyEdit() const { return FAllowKeyEdit; }
  void SetAllowKeyEdit(bool Value) { FAllowKeyEdit = Value; }
  bool CheckRange() const { return FCheckRange; }
  virtual void SetCheckRange(bool Value);
  int Decimals() const { return FDecimals; }
  virtual void SetDecimals(int Value);
  long double Increment() const { return FIncrement; }
  void SetIncrement(long double Value) { FIncrement = Value; }
  bool IntegersOnly() const { return FIntegersOnly; }
  virtual void SetIntegersOnly(bool Value);
  long double Min() const { return FMin; }
  virtual void SetMin(long double Value);
  long double Max() const { return FMax; }
  virtual void SetMax(long double Value);
  long double PageSize() const { return FPageSize; }
  void SetPageSize(long double Value) { FPageSize = Value; }
  int ButtonWidth() const { return FButtonWidth; }
  virtual void SetButtonWidth(int Value);
  TSpinDirection Direction() const { return FButtons->Direction(); }
  void SetDirection(TSpinDirection Value) { FButtons->SetDirection(Value); }
  TOrientation Orientation() const { return FButtons->Orientation(); }
  void SetOrientation(TOrientation Value);
  TBitmap* ButtonUpGlyph() const { return FButtons->UpRightGlyph(); }
  void SetButtonUpGlyph(TBitmap* Value) { FButtons->SetUpRightGlyph(Value); }
  TBitmap* ButtonDownGlyph() const { return FButtons->DownLeftGlyph(); }
  void SetButtonDownGlyph(TBitmap* Value) { FButtons->SetDownLeftGlyph(Value); }
  TNumGlyphs ButtonUpNumGlyphs() const { return FButtons->UpRightNumGlyphs(); }
  void SetButtonUpNumGlyphs(TNumGlyphs Value) { FButtons->SetUpRightNumGlyphs(Value); }
  TNumGlyphs ButtonDownNumGlyphs() const { return FButtons->DownLeftNumGlyphs(); }
  void SetButtonDownNumGlyphs(TNumGlyphs Value) { FButtons->SetDownLeftNumGlyphs(Value); }
  // sbDown gives the down/left button, sbUp the up/right one.
  TQvControlButton* GetButton(TSpinButtonType Index) const;
  TQvSpinButtons* Buttons() const { return FButtons; }

  void SetFrameStyle(TFrameStyle Value) override;
  void SetFlatButtons(bool Value) override;
  void SetFlatButtonColor(TColor Value) override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

  TSpinChangingEvent OnChanging;
  TSpinButtonEvent OnButtonClick;

protected:
  virtual void ResizeButtons();
  virtual void SetEditRect();
  virtual bool IsValidChar(char Key);
  virtual bool CanChange(long double NewValue);
  virtual void DoButtonClick(TSpinButtonType Button);
  void UpRightClickHandler(TObject* Sender);
  void DownLeftClickHandler(TObject* Sender);
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void UpdateFrame(bool ViaMouse, bool InFocus) override;
  TRect GetEditRect() override;
  void ReadOnlyChanged() override;

private:
  // A clipboard, delete or undo message: refused with a beep without AllowKeyEdit,
  // silently while read-only (as the edit itself would), else the edit's own.
  void EditingMessage(TMessage& M);

  bool FAllowBlank = false;
  long double FBlankValue = 0;
  bool FAllowKeyEdit = false;
  bool FCheckRange = false;
  int FDecimals = 0;
  long double FIncrement = 1;
  bool FIntegersOnly = true;
  long double FMin = 0;
  long double FMax = 100;
  long double FPageSize = 10;
  int FButtonWidth = 17;
  TQvSpinButtons* FButtons = nullptr;
};
