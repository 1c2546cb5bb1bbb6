#pragma once
// The class library's names the framed list boxes and combo boxes publish beside
// their framing set, their own properties and the rows their framing helpers
// already hold: sizing, dragging and docking, the input method, the list box's
// columns and virtual data, and the mouse events of the combo box.
#include "platform/controls/controls.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/listbox.h"

template <class L>
TClassBuilder<L>& PublishListBoxNames(TClassBuilder<L>& B) {
  B.Int("Columns", &L::Columns, [](L* l, int64_t v) { l->SetColumns(static_cast<int>(v)); }, 0)
      .Bool("IntegralHeight", &L::IntegralHeight, &L::SetIntegralHeight, false)
      .Event("OnData", static_cast<TLBGetDataEvent L::*>(&L::OnData))
      .Event("OnDataFind", static_cast<TLBFindDataEvent L::*>(&L::OnDataFind))
      .Event("OnDataObject", static_cast<TLBGetDataObjectEvent L::*>(&L::OnDataObject));
  return PublishInherited(B, {"Constraints", "DragCursor", "DragKind", "DragMode", "ImeMode", "ImeName",
                              "OnContextPopup", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnStartDock",
                              "OnStartDrag"});
}

template <class C>
TClassBuilder<C>& PublishComboBoxNames(TClassBuilder<C>& B) {
  return PublishInherited(B, {"Constraints", "DragCursor", "DragKind", "DragMode", "ImeMode", "ImeName",
                              "OnContextPopup", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnMouseDown",
                              "OnMouseMove", "OnMouseUp", "OnMouseWheel", "OnMouseWheelDown", "OnMouseWheelUp",
                              "OnStartDock", "OnStartDrag"});
}
