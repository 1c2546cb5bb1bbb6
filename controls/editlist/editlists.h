#pragma once
// Two framed list boxes of the published kind: TQvEditListBox edits an item in
// place, in a borderless edit laid over it, after a slow second click on it, F2 or
// a call to ShowEditor; TQvRankListBox reorders its items by dragging them (with
// Shift held, by default) or with Shift+Home/End/Up/Down.
#include <functional>

#include "controls/editlist/listboxes.h"
#include "platform/stdctrls/edit.h"

class TQvEditListBox;

// The in-place editor: Enter accepts, Esc cancels, losing the focus accepts.
class TQvPopupEdit : public TCustomEdit {
  DTU_CLASS(TQvPopupEdit, TCustomEdit)
public:
  explicit TQvPopupEdit(TComponent* AOwner);
  TQvEditListBox* ListBox = nullptr;
  void Dispatch(TMessage& Message) override;

protected:
  void KeyPress(char& Key) override;
};

using TQvSizeEditRectEvent = std::function<void(TObject* Sender, int Index, TRect& EditRect)>;
using TQvShowingEditorEvent = std::function<void(TObject* Sender, int Index, bool& AllowShow)>;
using TQvItemChangedEvent = std::function<void(TObject* Sender, int Index)>;

class TQvEditListBox : public TQvListBox {
  DTU_CLASS(TQvEditListBox, TQvListBox)
public:
  explicit TQvEditListBox(TComponent* AOwner);
  ~TQvEditListBox() override;

  // Lays the editor over the caret item and gives it the focus (OnShowingEditor
  // may refuse). Nothing without items.
  virtual void ShowEditor();
  // Takes the editor's text into the item (Accept; a sorted list re-sorts it) or
  // drops it, hides the editor and selects the item; OnItemChanged either way.
  virtual void HideEditor(bool Accept);
  bool PopupVisible() const { return FEditing; }
  TQvPopupEdit* Editor() const { return FEditor; }
  bool AllowEdit() const { return FAllowEdit; }
  void SetAllowEdit(bool Value) { FAllowEdit = Value; }
  bool AllowDeleteByKbd() const { return FAllowDeleteByKbd; }
  void SetAllowDeleteByKbd(bool Value) { FAllowDeleteByKbd = Value; }

  TQvSizeEditRectEvent OnSizeEditRect;
  TQvShowingEditorEvent OnShowingEditor;
  TNotifyEvent OnHidingEditor;
  TQvItemChangedEvent OnItemChanged;

protected:
  virtual void TimerExpired(TObject* Sender);
  virtual void SizeEditRect(int Index, TRect& Rect);
  virtual bool DoShowingEditor(int Index);
  virtual void DoHidingEditor();
  virtual void ItemChanged(int Index);

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

private:
  bool FFocusJustSet = false;
  bool FAllowEdit = true;
  TQvPopupEdit* FEditor;
  bool FEditing = false;
  int FEditIndex = -1;
  int FLastClicked = -1;
  bool FDoubleClick = false;
  TTimer* FTimer;
  bool FClickAgain = false;
  bool FAllowDeleteByKbd = false;
};

enum class TQvModifierKey { mkNone, mkShift };
using enum TQvModifierKey;
DTU_DECLARE_ENUM(TQvModifierKey)

using TQvMoveItemEvent = std::function<void(TObject* Sender, int OldIndex, int NewIndex)>;

class TQvRankListBox : public TQvListBox {
  DTU_CLASS(TQvRankListBox, TQvListBox)
public:
  explicit TQvRankListBox(TComponent* AOwner);

  // Moves the item, selects it at its new place and fires OnMoveItem.
  virtual void MoveItem(int OldIndex, int NewIndex);
  TQvModifierKey ModifierKey() const { return FModifierKey; }
  void SetModifierKey(TQvModifierKey Value) { FModifierKey = Value; }
  bool MoveOnDrag() const { return FMoveOnDrag; }
  // Refused with an Exception while an item is being dragged.
  void SetMoveOnDrag(bool Value);
  bool Moving() const { return FMoving; }

  TQvMoveItemEvent OnMoveItem;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

private:
  TQvModifierKey FModifierKey = mkShift;
  bool FMoveOnDrag = true;
  bool FMoving = false;
  int FDragIndex = -1;
  TCursor FSavedCursor = crDefault;
};
