#pragma once
// The masked edit of the class library: TCustomMaskEdit and TMaskEdit. An edit mask
// has up to three fields separated by ';':
//   mask;save;blank     e.g. "!(999)000-0000;0;_"
// The mask's characters: L a letter, l an optional letter, A a letter or digit, a an
// optional one, C any character, c an optional one, 0 a digit, 9 an optional digit,
// # an optional digit or sign; > upper case and < lower case for what follows, <>
// neither; \ makes the next character a literal; : and / are the time and date
// separators; _ is a literal space; ! shows optional positions as leading blanks;
// every other character is a literal. "save" 0 leaves the literals out of Text
// (1, the default, keeps them); "blank" is the character shown for an empty
// position ('_' by default). A position holds one character: a GBK double-byte
// character counts as one where any character is allowed (C, c).
//
// While masked, the edit types in overwrite mode at mask positions, skips literals,
// and checks on leaving that every required position is filled (ValidateEdit,
// raising EDBEditError through ValidateError). EditText is the window's text with
// literals and blanks; Text is what the save field asks for, blanks as spaces.
#include "platform/stdctrls/edit.h"

DTU_DECLARE_EXCEPTION(EDBEditError, Exception)

using TEditMask = std::string;
using TMaskedText = std::string;

// One position of a parsed mask.
struct TMaskPosition {
  bool Literal = false;
  char Code = 0;        // L l A a C c 0 9 # for an input position
  std::string Text;     // the literal (one GBK character)
  int Case = 0;         // 0 as typed, 1 upper, 2 lower
  bool Required() const { return !Literal && (Code == 'L' || Code == 'A' || Code == 'C' || Code == '0'); }
};

struct TParsedMask {
  std::vector<TMaskPosition> Positions;
  bool SaveLiterals = true;
  char Blank = '_';
  bool LeadingBlanks = false;
  bool Empty() const { return Positions.empty(); }
};

TParsedMask ParseEditMask(const std::string& EditMask);
// Whether a character (one GBK character) may stand at an input position.
bool MaskCharAccepts(const TMaskPosition& Position, const std::string& Ch);
// Value as the mask shows it, literals included and blanks as spaces. Value holds
// the literals when the mask saves them, else only the input characters.
std::string FormatMaskText(const std::string& EditMask, const std::string& Value);

class TCustomMaskEdit : public TCustomEdit {
  DTU_CLASS(TCustomMaskEdit, TCustomEdit)
public:
  explicit TCustomMaskEdit(TComponent* AOwner);

  const std::string& EditMask() const { return FEditMask; }
  void SetEditMask(const std::string& Value);
  bool IsMasked() const { return !FMask.Empty(); }
  // The text with literals and blanks, as shown.
  std::string EditText() { return WindowText(); }
  void SetEditText(const std::string& Value);
  std::string GetText() override;
  void SetText(const std::string& Value) override;
  // Raises through ValidateError when a required position is empty (only after a
  // change, like leaving the edit).
  virtual void ValidateEdit();
  // Puts back the text the edit had when it took the focus.
  void Reset();

  void Dispatch(TMessage& Message) override;

protected:
  void CreateWnd() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void TypeChar(const std::string& Ch) override;
  // Beeps and raises EDBEditError.
  virtual void ValidateError();

private:
  struct TCell {
    size_t Start, End;  // bytes of the window text
  };
  std::vector<TCell> Cells(const std::string& Text) const;
  // The cell holding byte P (the number of cells past the end).
  size_t CellAt(const std::vector<TCell>& C, size_t P) const;
  size_t NextInput(size_t From) const;  // the first input position at or after From
  bool PrevInput(size_t From, size_t& At) const;
  std::string BuildEditText(const std::vector<std::string>& Inputs) const;
  std::vector<std::string> InputsOf(const std::string& Text) const;
  void ReplaceCells(size_t First, size_t Last, const std::vector<std::string>& With, size_t CaretCell);
  void ClearSelection(size_t& First);
  void MaskedPaste();
  void MaskedCut();

  std::string FEditMask;
  TParsedMask FMask;
  std::string FOldValue;
};

class TMaskEdit : public TCustomMaskEdit {
  DTU_CLASS(TMaskEdit, TCustomMaskEdit)
public:
  explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
};
