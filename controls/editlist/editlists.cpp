#include "controls/editlist/editlists.h"

#include <algorithm>

#include "platform/controls/winuser.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TQvModifierKey, "mkNone", "mkShift")

// ---------------------------------------------------------------------------
// TQvPopupEdit
// ---------------------------------------------------------------------------

TQvPopupEdit::TQvPopupEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetParentCtl3D(false);
  SetCtl3D(false);
  SetTabStop(false);
  SetBorderStyle(bsSingle);
  SetVisible(false);
}

void TQvPopupEdit::KeyPress(char& Key) {
  switch (Key) {
    case '\t':
      Key = 0;
      return;
    case '\r':
      Key = 0;
      if (ListBox) ListBox->HideEditor(true);
      return;
    case 27:
      Key = 0;
      if (ListBox) ListBox->HideEditor(false);
      return;
    default:
      inherited::KeyPress(Key);
  }
}

void TQvPopupEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_KEYDOWN:
      if (M.WParam == VK_ESCAPE) {
        if (ListBox) ListBox->HideEditor(false);
        M.Result = 1;
        return;
      }
      // Ctrl+C copies in the editor; no form shortcut may take it. A plain "c" is
      // typed as any other key.
      if (M.WParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
        M.Result = 0;
        return;
      }
      inherited::Dispatch(M);
      return;
    case CM_CANCELMODE:
      inherited::Dispatch(M);
      if (MsgControl(M) != this && ListBox) ListBox->HideEditor(true);
      return;
    case WM_KILLFOCUS:
      inherited::Dispatch(M);
      if (ListBox) ListBox->HideEditor(true);
      return;
    default:
      inherited::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// TQvEditListBox
// ---------------------------------------------------------------------------

TQvEditListBox::TQvEditListBox(TComponent* AOwner) : TQvListBox(AOwner) {
  FEditor = new TQvPopupEdit(nullptr);
  FEditor->ListBox = this;
  FEditor->SetParent(this);
  // The editor is a child control: the list box's window frees it with the
  // other children, and the reference is dropped then.
  FEditor->FreeNotification(this);
  FTimer = new TTimer(nullptr);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(400);
  FTimer->OnTimer = [this](TObject* Sender) { TimerExpired(Sender); };
}

TQvEditListBox::~TQvEditListBox() {
  delete FTimer;
  if (FEditor) {
    FEditor->ListBox = nullptr;
    FEditor->RemoveFreeNotification(this);
    delete FEditor;
  }
}

void TQvEditListBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FEditor) {
    FEditing = false;
    FEditor = nullptr;
  }
}

void TQvEditListBox::SizeEditRect(int Index, TRect& Rect) {
  if (OnSizeEditRect) OnSizeEditRect(this, Index, Rect);
}

bool TQvEditListBox::DoShowingEditor(int Index) {
  bool allow = true;
  if (OnShowingEditor) OnShowingEditor(this, Index, allow);
  return allow;
}

void TQvEditListBox::DoHidingEditor() {
  if (OnHidingEditor) OnHidingEditor(this);
}

void TQvEditListBox::ItemChanged(int Index) {
  if (OnItemChanged) OnItemChanged(this, Index);
}

void TQvEditListBox::ShowEditor() {
  if (Items()->Count() == 0 || !FEditor) return;
  int index = static_cast<int>(Perform(LB_GETCARETINDEX, 0, 0));
  if (index < 0) return;  // no item has had the caret yet
  FEditIndex = index;
  Perform(LB_SETCARETINDEX, static_cast<WPARAM>(index), 0);
  if (!MultiSelect()) SetItemIndex(-1);
  UnselectAll();
  FEditor->SetText(Items()->Strings(index));
  if (!DoShowingEditor(index)) return;
  TRect r = ItemRect(index);
  r.Top -= 2;
  r.Bottom += 2;
  SizeEditRect(index, r);
  FEditor->SetBoundsRect(r);
  FEditor->SetVisible(true);
  if (FEditor->CanFocus()) FEditor->SetFocus();
  FEditor->SelectAll();
  FEditing = true;
}

void TQvEditListBox::HideEditor(bool Accept) {
  if (!FEditing || !FEditor) return;
  int index = FEditIndex;
  if (Accept) {
    std::string text = FEditor->Text();
    if (Sorted()) {
      TObject* obj = Items()->Objects(index);
      Items()->Delete(index);
      index = obj ? Items()->AddObject(text, obj) : Items()->Add(text);
      FEditIndex = index;
    } else {
      Items()->SetStrings(index, text);
    }
    Perform(LB_SETCARETINDEX, static_cast<WPARAM>(index), 0);
  }
  DoHidingEditor();
  FEditing = false;
  FEditor->SetVisible(false);
  if (CanFocus()) SetFocus();
  if (MultiSelect()) SetSelected(index, true);
  else SetItemIndex(index);
  ItemChanged(index);
}

void TQvEditListBox::TimerExpired(TObject*) {
  FTimer->SetEnabled(false);
  int i = ItemIndex();
  if (FAllowEdit && i == FLastClicked && FClickAgain && i != -1) ShowEditor();
}

void TQvEditListBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_SETFOCUS:
      FFocusJustSet = true;
      inherited::Dispatch(M);
      return;
    case WM_LBUTTONDOWN: {
      int i = ItemIndex();
      if (!FFocusJustSet) FClickAgain = i == FLastClicked ? !FClickAgain : true;
      FFocusJustSet = false;
      FLastClicked = i;
      inherited::Dispatch(M);
      return;
    }
    case WM_LBUTTONDBLCLK:
      inherited::Dispatch(M);
      FClickAgain = false;
      FDoubleClick = true;
      return;
    default:
      inherited::Dispatch(M);
  }
}

void TQvEditListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (!FDoubleClick) {
    if (ItemAtPos(TPoint(X, Y), true) >= 0) {
      FTimer->SetEnabled(false);
      FTimer->SetEnabled(true);
    }
  } else {
    FDoubleClick = false;
  }
}

void TQvEditListBox::KeyDown(WORD& Key, TShiftState Shift) {
  switch (Key) {
    case VK_ESCAPE:
      if (FEditing) HideEditor(false);
      Key = 0;
      return;
    case VK_DELETE:
      if (!FAllowDeleteByKbd) break;
      DeleteSelectedItems();
      Key = 0;
      return;
    case VK_F2:
      if (!FAllowEdit) break;
      FClickAgain = true;
      ShowEditor();
      Key = 0;
      return;
    default:
      break;
  }
  inherited::KeyDown(Key, Shift);
}

// ---------------------------------------------------------------------------
// TQvRankListBox
// ---------------------------------------------------------------------------

TQvRankListBox::TQvRankListBox(TComponent* AOwner) : TQvListBox(AOwner) { SetExtendedSelect(false); }

void TQvRankListBox::MoveItem(int OldIndex, int NewIndex) {
  Items()->Move(OldIndex, NewIndex);
  SetItemIndex(NewIndex);
  if (OnMoveItem) OnMoveItem(this, OldIndex, NewIndex);
}

void TQvRankListBox::SetMoveOnDrag(bool Value) {
  if (FMoving) throw Exception("MoveOnDrag property cannot be changed while moving an item");
  FMoveOnDrag = Value;
}

void TQvRankListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || (FModifierKey == mkShift && !Shift.Contains(ssShift))) return;
  FDragIndex = ItemAtPos(TPoint(X, Y), true);
  if (FDragIndex < 0) return;
  FSavedCursor = Screen ? Screen->Cursor() : crDefault;
  if (Screen) Screen->SetCursor(crDrag);
  FMoving = true;
}

void TQvRankListBox::MouseMove(TShiftState Shift, int X, int Y) {
  inherited::MouseMove(Shift, X, Y);
  if (!FMoving) return;
  // The pointer stays over the list while an item is dragged.
  TRect c = GetClientRect();
  TPoint p(std::clamp(X, c.Left, c.Right - 1), std::clamp(Y, c.Top, c.Bottom - 1));
  bool above = Y < c.Top;
  if (p.X != X || p.Y != Y) Mouse->SetCursorPos(ClientToScreen(p));
  if (!FMoveOnDrag) return;
  int target = ItemAtPos(p, true);
  if (target < 0) target = above ? 0 : Items()->Count() - 1;
  if (target != FDragIndex && target >= 0) {
    MoveItem(FDragIndex, target);
    FDragIndex = ItemIndex();
  }
}

void TQvRankListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (!FMoving) return;
  if (!FMoveOnDrag) {
    int target = ItemAtPos(TPoint(X, Y), true);
    if (target < 0) target = Y >= GetClientRect().Top ? Items()->Count() - 1 : 0;
    if (target != FDragIndex && target >= 0) MoveItem(FDragIndex, target);
  }
  if (Screen) Screen->SetCursor(FSavedCursor);
  FMoving = false;
}

void TQvRankListBox::KeyDown(WORD& Key, TShiftState Shift) {
  int i = ItemIndex();
  int last = Items()->Count() - 1;
  if (Shift.Contains(ssShift) && !FMoving && i >= 0) {
    switch (Key) {
      case VK_HOME:
        if (i > 0) MoveItem(i, 0);
        Key = 0;
        break;
      case VK_END:
        if (i < last) MoveItem(i, last);
        Key = 0;
        break;
      case VK_UP:
        if (i > 0) MoveItem(i, i - 1);
        Key = 0;
        break;
      case VK_DOWN:
        if (i < last) MoveItem(i, i + 1);
        Key = 0;
        break;
      default:
        break;
    }
  }
  inherited::KeyDown(Key, Shift);
}

// ---------------------------------------------------------------------------
// Property tables
// ---------------------------------------------------------------------------

const TClassInfo& TQvPopupEdit::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvPopupEdit>("TQvPopupEdit", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvEditListBox::StaticClass() {
  using L = TQvEditListBox;
  static const TClassInfo info = TClassBuilder<L>("TQvEditListBox", &inherited::StaticClass())
                                     .Component()
                                     .Bool("AllowDeleteByKbd", &L::AllowDeleteByKbd, &L::SetAllowDeleteByKbd, false)
                                     .Bool("AllowEdit", &L::AllowEdit, &L::SetAllowEdit, true)
                                     // Read-only: a value read from a form is dropped.
                                     .Bool("PopupVisible", &L::PopupVisible, [](L*, bool) {}, false)
                                     .Event("OnHidingEditor", &L::OnHidingEditor)
                                     .Event("OnItemChanged", &L::OnItemChanged)
                                     .Event("OnShowingEditor", &L::OnShowingEditor)
                                     .Event("OnSizeEditRect", &L::OnSizeEditRect)
                                     .Build();
  return info;
}

const TClassInfo& TQvRankListBox::StaticClass() {
  using L = TQvRankListBox;
  static const TClassInfo info =
      TClassBuilder<L>("TQvRankListBox", &inherited::StaticClass())
          .Component()
          // Shown with the values the ranking needs, which cannot be changed: a
          // value read from a form (older ones stored some) is dropped.
          .Int("Columns", &L::Columns, [](L*, int64_t) {}, 0)
          .Int("DragCursor", &L::DragCursor, [](L*, int64_t) {}, crDrag, {}, &CursorIdents())
          .Enum<TDragMode>("DragMode", &L::DragMode, [](L*, TDragMode) {}, dmManual)
          .Bool("ExtendedSelect", &L::ExtendedSelect, [](L*, bool) {}, false)
          .Bool("MultiSelect", &L::MultiSelect, [](L*, bool) {}, false)
          .Bool("Sorted", &L::Sorted, [](L*, bool) {}, false)
          .Enum<TQvModifierKey>("ModifierKey", &L::ModifierKey, &L::SetModifierKey, mkShift)
          .Bool("MoveOnDrag", &L::MoveOnDrag, &L::SetMoveOnDrag, true)
          .Event("OnMoveItem", &L::OnMoveItem)
          .Build();
  return info;
}
