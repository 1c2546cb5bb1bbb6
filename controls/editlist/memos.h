#pragma once
// The framed memo, rich edit and hot-key edit: standard controls given the framing
// of the framed edits (state colours, a flat frame drawn in the non-client area,
// hot tracking, a frame controller). They cannot derive from TQvCustomEdit; the
// framing is TQvFraming's (framing.h), and TQvFramed<Base> adds its messages. The memo and the rich
// edit also report the caret's line and column (from 1), the clipboard state, and
// scroll by the wheel themselves; the rich edit gives its content as rich text.
#include <string>

#include "controls/editlist/edits.h"
#include "controls/editlist/framing.h"
#include "platform/stdctrls/hotkey.h"
#include "platform/stdctrls/memo.h"

// The framing of TQvFraming on a standard control, with its messages: colours
// that follow the state, the hot frame, the frame drawn in the non-client area.
template <class Base>
class TQvFramed : public TQvFraming<Base> {
public:
  explicit TQvFramed(TComponent* AOwner);
  ~TQvFramed() override;

  TControlCanvas* FrameCanvas() const { return FCanvas; }

  void Dispatch(TMessage& Message) override;
  void Loaded() override;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

protected:
  void RepaintFrame() override { RepaintWindowFrame(this, this->ClientRect()); }

  TControlCanvas* FCanvas;
};

using TLineColChangeEvent = std::function<void(TObject* Sender, int Line, int Column)>;
using TClipboardChangeEvent = std::function<void(TObject* Sender, bool HasSelection, bool HasText)>;

// The memo's and rich edit's caret reporting, Enter as Tab and wheel scrolling.
template <class Base>
class TQvFramedMemo : public TQvFramed<Base> {
public:
  explicit TQvFramedMemo(TComponent* AOwner);

  bool ReadOnly() const { return Base::ReadOnly(); }
  void SetReadOnly(bool Value);
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool Value) { FTabOnEnter = Value; }
  virtual int GetLine();
  virtual void SetLine(int Line);
  virtual int GetColumn();
  virtual void SetColumn(int Column);
  void JumpTo(int Line, int Column);

  TLineColChangeEvent OnLineColChange;
  TClipboardChangeEvent OnClipboardChange;

  void Dispatch(TMessage& Message) override;

protected:
  bool ReadOnlyValue() override { return Base::ReadOnly(); }
  virtual void LineColChange();
  virtual void ClipboardChange();
  void Change() override;
  void Click() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void CreateWnd() override;

private:
  bool FTabOnEnter = false;
};

class TQvMemo : public TQvFramedMemo<TMemo> {
  DTU_CLASS(TQvMemo, TMemo)
public:
  explicit TQvMemo(TComponent* AOwner) : TQvFramedMemo<TMemo>(AOwner) {}
};

class TQvRichEdit : public TQvFramedMemo<TRichEdit> {
  DTU_CLASS(TQvRichEdit, TRichEdit)
public:
  explicit TQvRichEdit(TComponent* AOwner) : TQvFramedMemo<TRichEdit>(AOwner) {}
  // The whole content as a rich-text document (code page 936, the control's font).
  std::string GetRtfData();
  void Dispatch(TMessage& Message) override;

protected:
  void SelectionChange() override;
};

class TQvHotKeyEdit : public TQvFramed<THotKey> {
  DTU_CLASS(TQvHotKeyEdit, THotKey)
public:
  explicit TQvHotKeyEdit(TComponent* AOwner);
};
