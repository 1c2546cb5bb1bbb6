// The names the edit, spin, date and popup classes publish.
#include "contract.h"

namespace {

// The lists a class refers to are expanded: the framing set and the standard set
// of the framed edit, the memo's framing set, the framed panel's re-published
// framing.
#define FRAMING "Color", "FocusColor", "DisabledColor", "ReadOnlyColor", "ReadOnlyColorOnFocus", "FrameColor", \
    "FrameHotColor", "FrameHotTrack", "FrameHotStyle", "FrameSides", "FrameStyle", "FrameVisible",              \
    "FramingPreference", "FrameController", "FrameControllerNotifications"
#define STANDARD_EVENTS "OnChange", "OnClick", "OnContextPopup", "OnDblClick", "OnDragDrop", "OnDragOver",       \
    "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown",          \
    "OnMouseMove", "OnMouseUp", "OnMouseEnter", "OnMouseLeave", "OnStartDock", "OnStartDrag"
#define STANDARD_NO_TEXT "Align", "Alignment", "Anchors", "AutoSize", "BiDiMode", "ParentBiDiMode",        \
    "CharCase", "Constraints", "Ctl3D",                                                                          \
    "DragCursor", "DragKind", "DragMode", "Enabled", "Font", "HideSelection", "ImeMode", "ImeName", "OEMConvert",  \
    "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ReadOnly", "ShowHint",            \
    "TabOnEnter", "TabOrder", "TabStop", "Visible", STANDARD_EVENTS
#define STANDARD "Text", "AutoSelect", "MaxLength", "PasswordChar", STANDARD_NO_TEXT
#define PANEL_FRAMING "AutoSize", "BevelWidth", "BorderInner", "BorderOuter", "BorderSides", "BorderColor",       \
    "BorderHighlight", "BorderShadow", "BorderWidth", "Color", "FlatColor", "FlatColorAdjustment",              \
    "FrameController", "FrameControllerNotifications", "Ctl3D", "ParentCtl3D"
#define MEMO_FRAMING "Color", "DisabledColor", "FocusColor", "FrameColor", "FrameControllerNotifications",        \
    "FrameController", "FrameHotColor", "FrameHotStyle", "FrameHotTrack", "FrameSides", "FrameStyle",            \
    "FrameVisible", "FramingPreference", "ReadOnly", "ReadOnlyColor", "ReadOnlyColorOnFocus", "TabOnEnter",      \
    "OnLineColChange", "OnClipboardChange", "OnMouseEnter", "OnMouseLeave", "OnMouseWheel", "OnMouseWheelUp",    \
    "OnMouseWheelDown"

const TPublishedNames kEdits[] = {
    {"TQvEdit", {FRAMING, STANDARD}},
    {"TQvMaskEdit", {FRAMING, STANDARD, "EditMask", "OnValidateError"}},
    {"TQvNumericEdit", {FRAMING, STANDARD, "AllowBlank", "BlankValue", "CheckRange", "IntegersOnly", "Max", "Min",
                        "Value", "DisplayFormat", "OnRangeError", "BeepOnInvalidKey"}},
    {"TQvExpandEdit", {FRAMING, STANDARD, "ExpandedWidth", "ExpandOn"}},
    {"TQvColorEdit", {FRAMING, STANDARD_NO_TEXT, "CustomColor", "DefaultColor", "ColorDlgOptions", "CustomColors",
                      "CustomColorCaption", "NoColorCaption", "DefaultColorCaption", "ShowCustomColor", "ShowNoColor",
                      "ShowDefaultColor", "ShowSystemColors", "SelectedColor", "ShowColorHints",
                      "DropButtonVisible", "FlatButtons", "FlatButtonColor", "OnDropDown", "OnCloseUp",
                      "BorderStyle"}},
    {"TQvDateTimeEdit", {FRAMING, STANDARD, "EditType", "MinDate", "MaxDate", "Format", "CalendarElements",
                         "CalendarColors", "CaptionClearBtn", "CaptionTodayBtn", "FirstDayOfWeek", "ClockFaceColors",
                         "CaptionAM", "CaptionPM", "CaptionSet", "RestrictMinutes", "ShowHowToUseHint",
                         "HowToUseMsg", "PopupButtonColor", "PopupButtonFontColor", "OnGetBoldDays",
                         "OnGetDayFormat", "OnGetWeekNumber", "OnViewDateChange", "OnDateTimeChange",
                         "OnInvalidDate", "Date", "Time", "BeepOnInvalidKey", "DropButtonVisible", "FlatButtons",
                         "FlatButtonColor", "OnDropDown", "OnCloseUp"}},
    {"TQvMemo", {MEMO_FRAMING}},
    {"TQvRichEdit", {MEMO_FRAMING}},
    {"TQvHotKeyEdit", {"Color", "DisabledColor", "FocusColor", "FrameColor", "FrameController",
                       "FrameControllerNotifications", "FrameHotColor", "FrameHotStyle", "FrameHotTrack",
                       "FrameSides", "FrameStyle", "FrameVisible", "FramingPreference", "OnMouseEnter",
                       "OnMouseLeave"}},
    {"TQvRapidFireButton", {"Delay", "InitialDelay", "ScrollStyle"}},
    {"TQvSpinButtons", {"Color", "Delay", "Direction", "Enabled", "Flat", "FocusControl", "GlyphUpRight",
                        "GlyphDownLeft", "InitialDelay", "NumGlyphsUpRight", "NumGlyphsDownLeft", "Orientation",
                        "OnDownLeftClick", "OnUpRightClick", "Align", "Anchors", "Constraints", "Ctl3D",
                        "DragCursor", "DragKind", "DragMode", "ParentColor", "ParentCtl3D", "ParentShowHint",
                        "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnContextPopup", "OnDragDrop",
                        "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnStartDock",
                        "OnStartDrag"}},
    {"TQvSpinEdit", {FRAMING, "FlatButtons", "FlatButtonColor", "AllowBlank", "BlankValue", "AllowKeyEdit",
                     "ButtonDownGlyph", "ButtonDownNumGlyphs", "ButtonUpGlyph", "ButtonUpNumGlyphs", "ButtonWidth",
                     "CheckRange", "Decimals", "Direction", "Increment", "IntegersOnly", "Max", "Min",
                     "Orientation", "PageSize", "Value", "OnChanging", "OnButtonClick", "BeepOnInvalidKey",
                     "AutoSelect", "PasswordChar", STANDARD_NO_TEXT, "OnMouseWheel", "OnMouseWheelDown",
                     "OnMouseWheelUp"}},
    {"TQvSpinner", {"Value", "Min", "Max", "Increment", "PageSize", "CheckRange", "TabOnEnter", "ShowHexValue",
                    "HexValuePrefix", "FrameColor", "ButtonColor", "ButtonWidth", "ShowFocusRect", "ThemeAware",
                    "GlyphMinus", "GlyphPlus", "Images", "ImageIndexMinus", "ImageIndexPlus", "FrameController",
                    "FrameControllerNotifications", "OnChange", "OnChanging", "OnIncrement", "OnDecrement", "Align",
                    "Anchors", "Color", "Constraints", "DragCursor", "DragMode", "Enabled", "Font", "Height",
                    "HelpContext", "Hint", "ParentColor", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint",
                    "TabOrder", "TabStop", "Visible", "Width", "OnClick", "OnContextPopup", "OnDragDrop",
                    "OnDragOver", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
                    "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDrag"}},
    {"TQvCalendar", {"FirstDayOfWeek", "Elements", "ShowDays", "Date", "MinDate", "MaxDate", "ButtonColor",
                     "ButtonFontColor", "CaptionClearBtn", "CaptionTodayBtn", "CalendarColors", "ThemeAware",
                     "OnChange", "OnGetBoldDays", "OnGetDayFormat", "OnGetWeekNumber", "OnViewDateChange", "OnToday",
                     "OnClear", PANEL_FRAMING}},
    {"TQvTimePicker", {"Time", "RestrictMinutes", "RestrictMinutesBy", "Format", "CaptionAM", "CaptionPM",
                       "CaptionSet", "ButtonColor", "ButtonFontColor", "ClockFaceColors", "ShowSetButton",
                       "ShowTime", "ShowHowToUseHint", "HowToUseMsg", "ThemeAware", "OnChange", "OnSetBtnClick",
                       "OnSetTime", PANEL_FRAMING}},
    {"TQvPopupPanel", {"OnClose", "OnPopup", "AutoSize", "Color", "Ctl3D", "ParentCtl3D", "BevelWidth",
                       "BorderInner", "BorderOuter", "BorderColor", "BorderHighlight", "BorderShadow",
                       "BorderWidth", "FlatColor", "FlatColorAdjustment"}},
};

TEST(PublishedNames, EditClasses) {
  for (const TPublishedNames& e : kEdits) ExpectPublishesAndLoads(e);
}

}  // namespace
