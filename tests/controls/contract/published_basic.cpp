// The names the foundation's and the basic controls' classes publish: each class's
// own and the inherited ones it re-publishes, with the lists one class takes from
// another (the panel's properties, the group box's ...) written out once and joined.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "contract.h"

namespace {

// The framed border and its descendants.
const TNames kBorder = {
    "BevelWidth", "BorderInner", "BorderOuter", "BorderWidth", "BorderColor", "BorderHighlight", "BorderShadow",
    "BorderSides", "FlatColor", "FlatColorAdjustment", "FrameController", "FrameControllerNotifications",
    "OnMouseEnter", "OnMouseLeave", "Align", "Anchors", "Constraints", "DragKind", "DragCursor", "DragMode",
    "Enabled", "ParentShowHint", "ShowHint", "Visible", "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver",
    "OnEndDock", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"};

// The panel's properties.
const TNames kPanel = {
    "Alignment", "AlignmentVertical", "BevelWidth", "BorderInner", "BorderOuter", "BorderSides", "BorderColor",
    "BorderHighlight", "BorderShadow", "BorderWidth", "FlatColor", "FlatColorAdjustment", "FrameController",
    "FrameControllerNotifications", "FullRepaint", "GradientColorStyle", "GradientColorStart", "GradientColorStop",
    "GradientDirection", "GridColor", "GridStyle", "GridXSize", "GridYSize", "Locked", "PaintClientArea",
    "ShowDockClientCaptions", "ShowGrid", "TextMargin", "TextMarginVertical", "Transparent", "VisualStyle",
    "WordWrap", "OnMouseEnter", "OnMouseLeave", "OnPaint", "Align", "Anchors", "AutoSize", "BiDiMode", "Caption",
    "Color",
    "Constraints", "Ctl3D", "DockSite", "DragCursor", "DragKind", "DragMode", "Enabled", "Font", "ParentBiDiMode",
    "ParentColor",
    "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop", "UseDockManager",
    "Visible", "OnCanResize", "OnClick", "OnConstrainedResize", "OnContextPopup", "OnDblClick", "OnDockDrop",
    "OnDockOver", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnGetSiteInfo",
    "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize", "OnStartDock", "OnStartDrag", "OnUnDock"};

// The group box's properties: the panel's without its grid, margins, word wrap,
// vertical alignment, border highlight and shadow and client-area painting.
const TNames kGroupBox = Join({Without(kPanel, {"GridColor", "GridStyle", "GridXSize", "GridYSize", "ShowGrid",
                                                "TextMargin", "TextMarginVertical", "WordWrap", "AlignmentVertical",
                                                "BorderHighlight", "BorderShadow", "PaintClientArea"}),
                               {"GroupStyle", "Height"}});

const TNames kRadioGroup = Join(
    {kGroupBox,
     {"Caption", "Columns", "CustomGlyphs", "ItemFont", "ItemFrameColor", "ItemHighlightColor", "ItemHotTrack",
      "ItemHotTrackColor", "ItemHotTrackColorType", "ItemHeight", "ItemIndex", "Items", "LightTextStyle",
      "SpaceEvenly", "StartXPos", "StartYPos", "TabOnEnter", "TabStop", "TextHighlightColor", "TextShadowColor",
      "TextShadowDepth", "TextStyle", "TransparentColor", "UseCustomGlyphs", "VerticalSpacing", "WinMaskColor",
      "OnChanging"}});

// The push button: the custom button base's properties and its own.
const TNames kButton = {
    "AlignmentVertical", "HotTrackColor", "HotTrackColorType", "HighlightColor", "LightTextStyle", "TextStyle",
    "TextHighlightColor", "TextShadowColor", "TextShadowDepth", "OnMouseEnter", "OnMouseLeave", "HotTrack",
    "Transparent", "ThemeAware", "Alignment", "Default", "Cancel", "ModalResult", "AllowAllUp", "Down", "GroupIndex",
    "ShowDownPattern", "ShowFocusRect", "DropDownOnEnter", "FrameColor", "Action", "Align", "Anchors", "BiDiMode",
    "ParentBiDiMode", "Caption",
    "Color", "Constraints", "DragKind", "DragMode", "DragCursor", "Enabled", "Font", "HelpContext", "Height", "Hint",
    "ParentColor", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible",
    "Width", "OnClick", "OnContextPopup", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit",
    "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"};

const TNames kBitBtn = Join({kButton, {"Glyph", "Kind", "Layout", "Margin", "NumGlyphs", "Spacing", "ImageIndex",
                                       "DisabledIndex", "Images"}});

// The toolbar button: the speed button's own properties and its own.
const TNames kToolbarButton = {
    "Action", "Align", "AllowAllUp", "Anchors", "BiDiMode", "ParentBiDiMode", "Constraints", "Caption", "Down",
    "Enabled", "Flat", "Font", "Glyph",
    "GroupIndex", "Layout", "Margin", "NumGlyphs", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "Spacing",
    "Transparent", "Visible", "OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp", "HotGlyph",
    "HotNumGlyphs", "UseHotGlyph", "IgnoreActionCaption", "ShowCaption", "OnMouseEnter", "OnMouseLeave"};

const TNames kDropDown = {"DropDownMenu", "ShowArrow", "OnDropDown"};

// The label: the class library label's usual properties and its own.
const TNames kLabel = {
    "Align", "Alignment", "Anchors", "AutoSize", "BiDiMode", "ParentBiDiMode", "Caption", "Color", "Constraints",
    "DragCursor", "DragKind",
    "DragMode", "Enabled", "FocusControl", "Font", "ParentColor", "ParentFont", "ParentShowHint", "PopupMenu",
    "ShowAccelChar", "ShowHint", "Transparent", "Layout", "Visible", "WordWrap", "OnClick", "OnContextPopup",
    "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp",
    "OnMouseEnter", "OnMouseLeave", "OnStartDock", "OnStartDrag", "Angle", "BlinkColor", "Blinking", "BevelWidth",
    "BorderInner", "BorderOuter", "BorderSides", "BorderColor", "BorderHighlight", "BorderShadow", "BorderWidth",
    "FlatColor", "FlatColorAdjustment", "FrameController", "FrameControllerNotifications", "CenterPoint",
    "FlyByEnabled", "FlyByColor", "LightTextStyle", "TextStyle", "Rotation", "HighlightColor", "ShadowColor",
    "ShadowDepth", "TextMargin", "CondenseCaption", "BlinkIntervalOff", "BlinkIntervalOn"};

// What the radio button and the check box both publish.
const TNames kGlyphButton = {
    "Action", "Align", "Alignment", "AlignmentVertical", "Anchors", "BiDiMode", "ParentBiDiMode", "Caption",
    "Checked", "Color", "Constraints",
    "CustomGlyphs", "DisabledColor", "DragCursor", "Enabled", "FillColor", "FocusColor", "FrameColor", "Font",
    "FrameController", "FrameControllerNotifications", "Height", "HelpContext", "HighlightColor", "Hint", "HotTrack",
    "HotTrackColor", "HotTrackColorType", "HotTrackStyle", "LightTextStyle", "ParentColor", "ParentFont",
    "ParentShowHint", "PopupMenu", "ReadOnly", "ReadOnlyColor", "ReadOnlyColorOnFocus", "TextHighlightColor",
    "TextShadowColor", "TextShadowDepth", "ShowHint", "TabOnEnter", "TabOrder", "TabStop", "TextStyle",
    "Transparent", "TransparentColor", "UseCustomGlyphs", "Visible", "Width", "WinMaskColor", "OnClick",
    "OnContextPopup", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown",
    "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnMouseEnter", "OnMouseLeave",
    "OnStartDock", "OnStartDrag"};

const std::vector<TPublishedNames> kBasic = {
    {"TQvRegIniFile", {"Path", "PathType", "RegKey", "RegAccess"}},
    {"TQvCustomColors", {"Colors", "RegIniFile"}},
    {"TQvFrameController",
     {"Color", "ParentColor", "FlatButtonColor", "FlatButtons", "DisabledColor", "ReadOnlyColor",
      "ReadOnlyColorOnFocus", "FocusColor", "FrameColor", "FrameHotColor", "FrameHotTrack", "FrameHotStyle",
      "FrameSides", "FrameStyle", "FrameVisible", "FramingPreference", "RegIniFile"}},
    {"TQvDialogComponent", {"CenterToParent", "OriginLeft", "OriginTop", "Position"}},
    {"TQvMenuController",
     {"GradientColorStyle", "SelectionColorStart", "SelectionColorStop", "SelectionFrameColor", "IconBarColorStart",
      "IconBarColorStop", "MenuColor", "MenuFontColor"}},
    {"TQvBorder", kBorder},
    {"TQvLEDDisplay", Join({kBorder,
                            {"Alignment", "Caption", "BackColor", "SegOnColor", "SegOffColor", "ScrollType",
                             "Scrolling", "ScrollDelay", "OnScrollComplete", "Height", "Width", "PopupMenu"}})},
    {"TQvMeter", Join({kBorder,
                       {"Min", "Max", "Value", "BarColor", "BackColor", "MeterType", "MeterShape", "TrapezoidDir",
                        "TrapezoidShape", "TrapezoidMin", "Direction", "Bitmap", "BrushStyle", "ShowPercent",
                        "SegSpacing", "SegOffColor", "Seg1Count", "Seg2Count", "Seg3Count", "Seg1Color", "Seg2Color",
                        "Seg3Color", "Color", "Font", "Height", "ParentColor", "ParentFont", "Width"}})},
    {"TQvColorPicker",
     Join({kBorder,
           {"ButtonColor", "CustomColorCaption", "CustomColor", "CustomColors", "ColorDlgOptions", "DefaultColor",
            "DefaultColorCaption", "ShowColorHints", "NoColorCaption", "SelectedColor", "ShowNoColor",
            "ShowCustomColor", "ShowDefaultColor", "ShowSystemColors", "OnChange", "AutoSize", "Color", "Font", "Hint",
            "ParentFont", "ParentColor"}})},
    {"TQvButton", kButton},
    {"TQvBitBtn", kBitBtn},
    {"TQvMenuButton", Join({kBitBtn, kDropDown})},
    {"TQvToolbarButton", kToolbarButton},
    {"TQvMenuToolbarButton", Join({kToolbarButton, kDropDown})},
    {"TQvToolButton",
     {"AllowAllUp", "Down", "Flat", "GroupIndex", "ImageIndex", "DownIndex", "DisabledIndex", "HotIndex", "Images",
      "Layout", "DropDownMenu", "ToolStyle", "ShowCaption", "Transparent", "Alignment", "VisualStyle",
      "GradientColorStyle", "SelectionColorStart", "SelectionColorStop", "SelectionFrameColor",
      "UseToolbarButtonLayout", "UseToolbarButtonSize", "UseToolbarShowCaption", "UseToolbarVisualStyle",
      "OnDropDown", "OnMouseEnter", "OnMouseLeave", "Action", "Align", "Anchors", "BiDiMode", "ParentBiDiMode",
      "Caption", "Color", "Constraints",
      "DragCursor", "DragKind", "DragMode", "Enabled", "Font", "Height", "Hint", "ParentFont", "ParentShowHint",
      "PopupMenu", "ShowHint", "Visible", "Width", "OnClick", "OnContextPopup", "OnDblClick", "OnDragDrop",
      "OnDragOver", "OnEndDock", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock",
      "OnStartDrag"}},
    {"TQvControlButton",
     {"Flat", "Glyph", "NumGlyphs", "RepeatClicks", "InitialDelay", "Delay", "Style", "OnMouseEnter", "OnMouseLeave",
      "Action", "Caption", "Color", "DragCursor", "DragKind", "DragMode", "Enabled", "Hint", "ParentShowHint",
      "PopupMenu", "ShowHint", "Visible", "OnClick", "OnContextPopup", "OnDragDrop", "OnDragOver", "OnEndDock",
      "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"}},
    {"TQvShapeButton",
     {"AutoSize", "BevelWidth", "BevelHighlightColor", "BevelShadowColor", "Bitmap", "BorderStyle", "BorderColor",
      "PreciseClick", "PreciseShowHint", "CaptionPosition", "CaptionX", "CaptionY", "Anchors", "Caption",
      "Constraints", "DragCursor", "DragMode", "Enabled", "Font", "ParentFont", "ParentShowHint", "ShowHint",
      "Visible", "OnClick", "OnContextPopup", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnMouseDown", "OnMouseMove",
      "OnMouseUp", "OnStartDrag"}},
    {"TQvLabel", kLabel},
    {"TQvURLLabel", Join({kLabel, {"URL", "Visited", "UnvisitedColor", "VisitedColor", "Cursor"}})},
    {"TQvPanel", kPanel},
    {"TQvGroupBox", kGroupBox},
    {"TQvSpacer", {"Grooved", "Orientation", "Align", "Anchors", "Constraints", "Height", "Width", "Visible"}},
    {"TQvToolbar",
     Join({kPanel,
           {"Height", "Width", "AutoResize", "AutoStyle", "Background", "ButtonLayout", "ButtonWidth", "ButtonHeight",
            "CustomizeCaptions", "Images", "Margin", "TopMargin", "Orientation", "RegIniFile", "RowHeight",
            "ShowButtonCaptions", "ShowDivider", "TextOptions", "WrapControls", "OnVisibleChanged"}})},
    {"TQvStatusBar", Join({kPanel,
                           {"Height", "AutoScalePanes", "AutoStyle", "ShowSizeGrip", "SimpleCaption",
                            "SimpleFrameStyle", "SimpleStatus"}})},
    {"TQvRadioButton", kGlyphButton},
    {"TQvCheckBox", Join({kGlyphButton, {"AllowGrayed", "State"}})},
    {"TQvRadioGroup", kRadioGroup},
    {"TQvCheckGroup", Join({Without(kRadioGroup, {"ItemIndex", "OnChanging"}), {"AllowGrayed", "OnChange"}})},
};

TEST(PublishedNames, BasicClasses) {
  for (const TPublishedNames& e : kBasic) ExpectPublishesAndLoads(e);
}

}  // namespace
