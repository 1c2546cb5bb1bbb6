#pragma once
// The multi-line edits of the class library: TCustomMemo and TMemo (an "EDIT"
// window with ES_MULTILINE) and TCustomRichEdit and TRichEdit (a "RICHEDIT"
// window showing plain GBK text). Lines is a TStrings whose every operation goes
// through the control's messages (EM_LINEINDEX, EM_LINELENGTH, EM_GETLINE,
// EM_SETSEL, EM_REPLACESEL ...); lines are the text's CR LF lines, whatever the
// window wraps. Before the window exists, Lines works on the control's text.
#include "platform/stdctrls/edit.h"
#include "platform/core/strings.h"

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
using enum TScrollStyle;
DTU_DECLARE_ENUM(TScrollStyle)

class TCustomMemo;

// The lines of a memo, kept by the memo's window.
class TMemoStrings : public TStrings {
  DTU_CLASS(TMemoStrings, TStrings)
public:
  explicit TMemoStrings(TCustomMemo* AMemo) : FMemo(AMemo) {}
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const std::string& S) override;

protected:
  std::string Get(int Index) const override;
  int GetCount() const override;
  void Put(int Index, const std::string& S) override;
  std::string GetTextStr() const override;
  void SetTextStr(const std::string& Value) override;
  void SetUpdateState(bool Updating) override;

private:
  TCustomMemo* FMemo;
};

class TCustomMemo : public TCustomEdit {
  DTU_CLASS(TCustomMemo, TCustomEdit)
public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  TStrings* Lines() const { return FLines; }
  void SetLines(TStrings* Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  // The caret as column (X) and line (Y), both from 0, in bytes.
  TPoint CaretPos();
  void SetCaretPos(TPoint Value);

  void Dispatch(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyPress(char& Key) override;

private:
  friend class TMemoStrings;
  TMemoStrings* FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  bool FWantReturns = true;
  bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
  DTU_CLASS(TMemo, TCustomMemo)
public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

class TCustomRichEdit : public TCustomMemo {
  DTU_CLASS(TCustomRichEdit, TCustomMemo)
public:
  explicit TCustomRichEdit(TComponent* AOwner);
  // Whether Lines read and write plain text (the only text kept here).
  bool PlainText() const { return FPlainText; }
  void SetPlainText(bool Value) { FPlainText = Value; }
  void Dispatch(TMessage& Message) override;
  TNotifyEvent OnSelectionChange;

protected:
  void CreateParams(TCreateParams& Params) override;
  // The selection or the caret moved (EN_SELCHANGE).
  virtual void SelectionChange();

private:
  bool FPlainText = false;
};

class TRichEdit : public TCustomRichEdit {
  DTU_CLASS(TRichEdit, TCustomRichEdit)
public:
  explicit TRichEdit(TComponent* AOwner) : TCustomRichEdit(AOwner) {}
};
