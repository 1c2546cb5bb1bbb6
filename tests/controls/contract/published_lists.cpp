// The names the list and combo classes publish: the class library's names each
// one re-publishes, then its own, with the lists the descriptions refer to expanded.
#include <algorithm>

#include "contract.h"

namespace {

const std::vector<std::string> kListBoxLibrary = {
    "Align", "Anchors", "BiDiMode", "BorderStyle", "Color", "Columns", "Constraints", "Ctl3D", "DragCursor", "DragKind",
    "DragMode", "Enabled", "ExtendedSelect", "Font", "ImeMode", "ImeName", "IntegralHeight", "ItemHeight", "Items",
    "MultiSelect", "ParentBiDiMode", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu",
    "ShowHint", "Sorted",
    "Style", "TabOrder", "TabStop", "Visible",
    // the usual mouse, key, drag and dock events, the data and measuring events
    "OnClick", "OnContextPopup", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnEnter", "OnExit",
    "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnStartDrag", "OnEndDock",
    "OnStartDock", "OnData", "OnDataFind", "OnDataObject", "OnMeasureItem"};
const std::vector<std::string> kListBoxOwn = {
    "BeepOnInvalidKey", "DisabledColor", "FocusColor", "FrameColor", "FrameControllerNotifications",
    "FrameController", "FrameHotColor", "FrameHotTrack", "FrameHotStyle", "FrameSides", "FrameStyle", "FrameVisible",
    "FramingPreference", "GroupColor", "GroupFont", "GroupPrefix", "HorzExtent", "HorzScrollBar", "IncrementalSearch",
    "OwnerDrawIndent", "ShowGroups", "ShowItemHints", "TabOnEnter", "UseGradients", "OnDeleteItems", "OnDrawItem",
    "OnMatch", "OnMouseEnter", "OnMouseLeave"};
const std::vector<std::string> kComboLibrary = {
    "Align", "Anchors", "BiDiMode", "Color", "Constraints", "Ctl3D", "DragCursor", "DragKind", "DragMode",
    "DropDownCount", "ParentBiDiMode",
    "Enabled", "Font", "ImeMode", "ImeName", "ItemHeight", "ParentColor", "ParentCtl3D", "ParentFont",
    "ParentShowHint", "ShowHint", "TabOrder", "TabStop", "Visible",
    "OnChange", "OnClick", "OnCloseUp", "OnDrawItem", "OnDropDown", "OnMeasureItem", "OnSelect",
    // key, mouse, wheel, drag and dock events
    "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnContextPopup", "OnDblClick", "OnMouseDown",
    "OnMouseMove", "OnMouseUp", "OnMouseWheel", "OnMouseWheelDown", "OnMouseWheelUp", "OnDragDrop", "OnDragOver",
    "OnEndDrag", "OnStartDrag", "OnEndDock", "OnStartDock"};
// The framing and combo set of the framed combo box.
const std::vector<std::string> kComboOwn = {
    "AllowEdit", "AutoComplete", "AutoDropDown", "BeepOnInvalidKey", "DisabledColor", "DropDownWidth",
    "FlatButtonColor", "FlatButtons", "FocusColor", "FrameColor", "FrameControllerNotifications", "FrameController",
    "FrameHotColor", "FrameHotTrack", "FrameHotStyle", "FrameSides", "FrameStyle", "FrameVisible",
    "FramingPreference", "KeepSearchCase", "ReadOnly", "ReadOnlyColor", "ReadOnlyColorOnFocus", "TabOnEnter",
    "OnMatch", "OnMouseEnter", "OnMouseLeave", "OnNotInList", "OnSelEndCancel", "OnSelEndOk"};
// The text of the combo boxes whose items are texts.
const std::vector<std::string> kComboText = {"Style", "CharCase", "MaxLength", "Text", "Items"};
const std::vector<std::string> kFontChoice = {
    "FontDevice", "FontName", "FontSize", "FontStyle", "FontType", "MaintainMRUFonts", "PreviewEdit",
    "PreviewFontSize", "PreviewHeight", "PreviewText", "PreviewWidth", "ShowSymbolFonts", "ShowStyle"};


std::vector<TPublishedNames> ListClasses() {
  const auto listBox = Join({kListBoxLibrary, kListBoxOwn, {"TabWidth"}});
  const auto tabbed = Join({Without(listBox, {"TabWidth"}), {"TabStops", "TabStopsMode"}});
  const auto combo = Join({kComboLibrary, kComboOwn, {"PopupMenu"}});
  return {
      {"TQvListBox", listBox},
      {"TQvTabbedListBox", tabbed},
      {"TQvCheckList",
       Join({Without(tabbed, {"ShowGroups"}),
             {"AllowGrayed", "CustomGlyphs", "HighlightColor", "ItemFillColor", "ItemFocusColor", "ItemFrameColor",
              "UseCustomGlyphs", "TransparentColor", "ToggleOnItemClick", "OnChange", "OnChanging"}})},
      {"TQvEditListBox",
       Join({listBox,
             {"AllowEdit", "AllowDeleteByKbd", "PopupVisible", "OnSizeEditRect", "OnShowingEditor", "OnHidingEditor",
              "OnItemChanged"}})},
      {"TQvRankListBox", Join({listBox, {"ModifierKey", "MoveOnDrag", "OnMoveItem"}})},
      // The font, colour and history boxes describe only their own names: beside
      // them, the framed list box's or combo box's published set.
      {"TQvFontListBox", Join({Without(listBox, {"TabWidth"}), kFontChoice})},
      {"TQvComboBox", Join({combo, kComboText, {"Sorted", "ItemIndex", "Values", "OnDeleteItem"}})},
      {"TQvColorComboBox",
       Join({combo,
             {"ColorDlgOptions", "ColorNames", "CustomColor", "CustomColors", "DefaultColor", "RegIniFile",
              "SelectedColor", "ShowColorNames", "ShowCustomColor", "ShowDefaultColor", "ShowSysColors"}})},
      {"TQvFontComboBox", Join({combo, kFontChoice})},
      // The history combo brings its own edit menu in place of PopupMenu.
      {"TQvMRUComboBox",
       Join({kComboLibrary, kComboOwn, kComboText,
             {"MaxHistory", "MruID", "MruPath", "MruRegIniFile", "MruSection", "RemoveItemCaption",
              "SelectFirstItemOnLoad", "OnEnterKeyPressed", "OnEscapeKeyPressed"}})},
      {"TQvImageComboBox",
       Join({combo, kComboText,
             {"Sorted", "ItemIndex", "AutoSizeHeight", "Images", "ItemIndent", "OnDeleteItem", "OnGetItemData"}})},
  };
}

TEST(PublishedNames, ListClasses) {
  for (const TPublishedNames& e : ListClasses()) ExpectPublishesAndLoads(e);
}

}  // namespace
