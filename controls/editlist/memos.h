#pragma once
// The framed memo, rich edit and hot-key edit: standard controls given the framing
// of the framed edits (state colours, a flat frame drawn in the non-client area,
// hot tracking, a frame controller). They cannot derive from TQvCustomEdit, so
// TQvFramed<Base> holds that framing once for the three. The memo and the rich
// edit also report the caret's line and column (from 1), the clipboard state, and
// scroll by the wheel themselves; the rich edit gives its content as rich text.
#include <string>

#include "controls/editlist/edits.h"
#include "controls/editlist/framingfields.h"
#include "platform/stdctrls/hotkey.h"
#include "platform/stdctrls/memo.h"

template <class Base>
class TQvFramed : public Base, protected TQvFramingFields {
public:
  explicit TQvFramed(TComponent* AOwner);
  ~TQvFramed() override;

  TColor DisabledColor() const { return FDisabledColor; }
  virtual void SetDisabledColor(TColor Value);
  TColor FocusColor() const { return FFocusColor; }
  virtual void SetFocusColor(TColor Value);
  TColor ReadOnlyColor() const { return FReadOnlyColor; }
  virtual void SetReadOnlyColor(TColor Value);
  bool ReadOnlyColorOnFocus() const { return FReadOnlyColorOnFocus; }
  void SetReadOnlyColorOnFocus(bool Value);
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor Value);
  TColor FrameHotColor() const { return FFrameHotColor; }
  virtual void SetFrameHotColor(TColor Value);
  TQvFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TQvFrameController* Value);
  TQvFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
  void SetFrameControllerNotifications(TQvFrameControllerNotifications Value) { FFrameControllerNotifications = Value; }
  bool FrameHotTrack() const { return FFrameHotTrack; }
  virtual void SetFrameHotTrack(bool Value);
  TFrameStyle FrameHotStyle() const { return FFrameHotStyle; }
  virtual void SetFrameHotStyle(TFrameStyle Value);
  TSides FrameSides() const { return FFrameSides; }
  virtual void SetFrameSides(TSides Value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  virtual void SetFrameStyle(TFrameStyle Value);
  bool FrameVisible() const { return FFrameVisible; }
  virtual void SetFrameVisible(bool Value);
  TFramingPreference FramingPreference() const { return FFramingPreference; }
  virtual void SetFramingPreference(TFramingPreference Value);
  virtual bool UseThemes();
  TControlCanvas* FrameCanvas() const { return FCanvas; }

  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

protected:
  // Whether the read-only colours apply (the hot-key edit has none).
  virtual bool ReadOnlyState() { return false; }
  virtual void UpdateColors();
  virtual void UpdateFrame(bool ViaMouse, bool InFocus);
  virtual void RepaintFrame();
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TControlCanvas* FCanvas;
  bool FUpdatingColor = false;
  TColor FNormalColor = clWindow;
  bool FFocused = false;
  bool FMouseOver = false;

private:
  TColor FReadOnlyColor = clInfoBk;
  bool FReadOnlyColorOnFocus = false;
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
  bool ReadOnlyState() override { return Base::ReadOnly(); }
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
