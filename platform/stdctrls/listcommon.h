#pragma once
// What the list box, the combo box and the list view share, private to the
// standard controls: the items as TStrings over messages, the owner drawing of one
// item, and where a scroll bar message moves to.
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/controls/controls.h"
#include "platform/controls/menus.h"
#include "platform/core/strings.h"

// Where WM_VSCROLL or WM_HSCROLL (its WParam) moves a position Pos: a Line or a
// Page back or forth, to the thumb, to 0 or to Max() (asked only then); nullopt
// for the other codes (the end of a drag ...).
template <class TMaxFn>
std::optional<int> ScrollBarTarget(WPARAM WParam, int Pos, int Line, int Page, TMaxFn Max) {
  switch (LOWORD(WParam)) {
    case SB_LINEUP: return Pos - Line;
    case SB_LINEDOWN: return Pos + Line;
    case SB_PAGEUP: return Pos - Page;
    case SB_PAGEDOWN: return Pos + Page;
    case SB_THUMBTRACK: case SB_THUMBPOSITION: return static_cast<int>(HIWORD(WParam));
    case SB_TOP: return 0;
    case SB_BOTTOM: return Max();
    default: return std::nullopt;
  }
}

// The rows WM_MOUSEWHEEL (its WParam) scrolls by: negative when the wheel turns
// away from the user (towards the top).
inline int WheelRows(WPARAM WParam) {
  int delta = static_cast<std::int16_t>(HIWORD(WParam));
  return -delta * (Mouse ? Mouse->WheelScrollLines() : 3) / 120;
}

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
