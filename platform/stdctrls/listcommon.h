#pragma once
// What the list box and the combo box share, private to the standard controls:
// their items as TStrings over messages, and the owner drawing of one item.
#include <functional>

#include "platform/controls/controls.h"
#include "platform/controls/menus.h"
#include "platform/core/strings.h"

// WM_DRAWITEM for an owner-drawn item: Canvas draws on the item's device context
// in the control's font and brush, in the highlight colours when selected; Draw
// paints a real item (index, rectangle, state), no item is only filled; the focus
// rectangle comes last. The canvas lets go of the context however Draw returns.
void DrawOwnerItem(TWinControl* Control, TCanvas* Canvas, const DRAWITEMSTRUCT& D,
                   const std::function<void(int Index, TRect Rect, TOwnerDrawState State)>& Draw);

// The control's messages for each item operation; Err is what a failed one answers.
struct TItemMessages {
  UINT Reset, Delete, Insert, Add, FindExact, GetTextLen, GetText, GetCount, GetItemData, SetItemData;
  LRESULT Err;
};

// The items of a list box or combo box as TStrings: every operation is a message
// to the control (LB_ or CB_ messages, which answer alike). Bad indexes raise
// EStringListError; a refused insertion, EOutOfResources.
class TItemMessageStrings : public TStrings {
public:
  TItemMessageStrings(TControl* AControl, const TItemMessages& AMessages) : FControl(AControl), FMsg(AMessages) {}

  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const std::string& S) override;
  int Add(const std::string& S) override;
  int IndexOf(const std::string& S) const override;

protected:
  std::string Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;

  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam) const { return FControl->Perform(Msg, WParam, LParam); }

private:
  TControl* FControl;
  TItemMessages FMsg;
};
