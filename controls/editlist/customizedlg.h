#pragma once
// TQvFrmCustomizeToolbar: the modal dialog a toolbar's Customize opens. It lists
// the toolbar's controls in toolbar order with a check box each (checked =
// visible), reorders them with Move Up / Move Down or by dragging (scrolling near
// the list's edges), shows each control's image and offers the text options.
// Every change reaches the toolbar at once; Close only ends the dialog.
//
// InstallToolbarHooks fills the toolbar's hooks (RegisterEditListClasses calls
// it): Customize runs this dialog, and the chevron pops up its cut-off buttons on
// a popup panel.
#include "controls/basic/buttons.h"
#include "controls/basic/labels.h"
#include "controls/basic/toolbar.h"
#include "controls/editlist/checklist.h"
#include "controls/editlist/combobox.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/forms.h"
#include "platform/stdctrls/speedbuttons.h"

class TQvFrmCustomizeToolbar : public TForm {
  DTU_CLASS(TQvFrmCustomizeToolbar, TForm)
public:
  explicit TQvFrmCustomizeToolbar(TComponent* AOwner);

  TQvLabel* LblHint = nullptr;
  TQvCheckList* LstControls = nullptr;
  TQvComboBox* CbxTextOptions = nullptr;
  TQvLabel* LblTextOptions = nullptr;
  TQvButton* BtnClose = nullptr;
  TQvButton* BtnMoveUp = nullptr;
  TQvButton* BtnMoveDown = nullptr;
  // Hidden: their glyphs are the list images of plain and grooved spacers.
  TSpeedButton* BtnSpacer = nullptr;
  TSpeedButton* BtnGrooveSpacer = nullptr;
  TTimer* Timer1 = nullptr;

  TQvToolbar* Toolbar = nullptr;
  TComponent* ToolbarOwner = nullptr;

  void Reposition();
  void UpdateControls(TQvCustomizeCaptions* Captions, bool ShowTextOptions);
  void EnableMoveButtons(int Index);
  int DragSourceIndex() const { return FDragSource; }
  int DropIndex() const { return FDropIndex; }

  void BtnMoveUpClick(TObject* Sender);
  void BtnMoveDownClick(TObject* Sender);
  void LstControlsClick(TObject* Sender);
  void LstControlsChange(TObject* Sender, int Index, TCheckBoxState NewState);
  void LstControlsMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void LstControlsDragOver(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept);
  void LstControlsDragDrop(TObject* Sender, TObject* Source, int X, int Y);
  void LstControlsEndDrag(TObject* Sender, TObject* Target, int X, int Y);
  void ListBoxDrawItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State);
  void Timer1Timer(TObject* Sender);
  void CbxTextOptionsClick(TObject* Sender);

private:
  void MoveItem(int From, int To);
  int FDragSource = -1;
  int FDropIndex = -1;
  bool FScrollUp = false;
};

void InstallToolbarHooks();
