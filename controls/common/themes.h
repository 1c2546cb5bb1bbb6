#pragma once
// Theme services: the visual-style library loaded at run time (one pointer per
// entry point, null while it is not loaded) and TThemeServices, the one shared
// object that knows whether themed drawing is possible, caches one theme handle per
// element class, maps the element/part/state enumerations below to the library's
// numbers and wraps its drawing calls. Every framed control asks
// ThemeServices()->ThemesEnabled() before any themed call; on this machine the
// library is absent, so it is false and the classic paths run.
#include <string>

#include "platform/core/object.h"
#include "platform/graphics/graphics.h"
#include "platform/theme/uxtheme.h"

class TWinControl;

// ---------------------------------------------------------------------------
// The library's entry points
// ---------------------------------------------------------------------------

// One global pointer per entry point, named after it; null until InitThemeLibrary
// loads the library (and for a name the library lacks). Callers outside this unit
// test ThemeServices()->ThemesEnabled() before calling one.
#define DTU_DECLARE_UXTHEME_POINTER(Name) extern T##Name Name;
DTU_UXTHEME_ENTRY_POINTS(DTU_DECLARE_UXTHEME_POINTER)
#undef DTU_DECLARE_UXTHEME_POINTER

// The names looked up, in order (47).
const std::vector<std::string>& UxThemeEntryPointNames();

// Counts a use of the library and loads it on the first; returns whether it is
// loaded. Thread-safe (one lock for both calls).
bool InitThemeLibrary();
// Gives a use back; the last one frees the library and clears every pointer.
void FreeThemeLibrary();
// The library is loaded, the application is themed and a visual style is active.
bool UseThemes();

// ---------------------------------------------------------------------------
// Elements, parts and states
// ---------------------------------------------------------------------------

enum class TThemedElement {
  teButton, teClock, teComboBox, teEdit, teExplorerBar, teHeader, teListView, teMenu, tePage,
  teProgress, teRebar, teScrollBar, teSpin, teStartPanel, teStatus, teTab, teTaskBand, teTaskBar,
  teToolBar, teToolTip, teTrackBar, teTrayNotify, teTreeview, teWindow
};
using enum TThemedElement;
constexpr int ThemedElementCount = 24;

// The library's class name of each element ("button" ...).
const wchar_t* ThemeClassName(TThemedElement Element);

struct TThemedElementDetails {
  TThemedElement Element = teButton;
  int Part = 0;
  int State = 0;
  bool operator==(const TThemedElementDetails&) const = default;
};

// The detail enumerations: each starts with a don't-care and a root value (part 0),
// then runs of values that share one part.
enum class TThemedButton {
  tbButtonDontCare, tbButtonRoot, tbPushButtonNormal, tbPushButtonHot, tbPushButtonPressed,
  tbPushButtonDisabled, tbPushButtonDefaulted, tbRadioButtonUncheckedNormal,
  tbRadioButtonUncheckedHot, tbRadioButtonUncheckedPressed, tbRadioButtonUncheckedDisabled,
  tbRadioButtonCheckedNormal, tbRadioButtonCheckedHot, tbRadioButtonCheckedPressed,
  tbRadioButtonCheckedDisabled, tbCheckBoxUncheckedNormal, tbCheckBoxUncheckedHot,
  tbCheckBoxUncheckedPressed, tbCheckBoxUncheckedDisabled, tbCheckBoxCheckedNormal,
  tbCheckBoxCheckedHot, tbCheckBoxCheckedPressed, tbCheckBoxCheckedDisabled,
  tbCheckBoxMixedNormal, tbCheckBoxMixedHot, tbCheckBoxMixedPressed, tbCheckBoxMixedDisabled,
  tbGroupBoxNormal, tbGroupBoxDisabled, tbUserButton
};
using enum TThemedButton;
enum class TThemedClock {
  tcClockDontCare, tcClockRoot, tcTimeNormal
};
using enum TThemedClock;
enum class TThemedComboBox {
  tcComboBoxDontCare, tcComboBoxRoot, tcDropDownButtonNormal, tcDropDownButtonHot,
  tcDropDownButtonPressed, tcDropDownButtonDisabled
};
using enum TThemedComboBox;
enum class TThemedEdit {
  teEditDontCare, teEditRoot, teEditTextNormal, teEditTextHot, teEditTextSelected,
  teEditTextDisabled, teEditTextFocused, teEditTextReadOnly, teEditTextAssist, teEditCaret
};
using enum TThemedEdit;
enum class TThemedExplorerBar {
  tebExplorerBarDontCare, tebExplorerBarRoot, tebHeaderBackgroundNormal,
  tebHeaderBackgroundHot, tebHeaderBackgroundPressed, tebHeaderCloseNormal, tebHeaderCloseHot,
  tebHeaderClosePressed, tebHeaderPinNormal, tebHeaderPinHot, tebHeaderPinPressed,
  tebHeaderPinSelectedNormal, tebHeaderPinSelectedHot, tebHeaderPinSelectedPressed,
  tebIEBarMenuNormal, tebIEBarMenuHot, tebIEBarMenuPressed, tebNormalGroupBackground,
  tebNormalGroupCollapseNormal, tebNormalGroupCollapseHot, tebNormalGroupCollapsePressed,
  tebNormalGroupExpandNormal, tebNormalGroupExpandHot, tebNormalGroupExpandPressed,
  tebNormalGroupHead, tebSpecialGroupBackground, tebSpecialGroupCollapseSpecial,
  tebSpecialGroupCollapseHot, tebSpecialGroupCollapsePressed, tebSpecialGroupExpandSpecial,
  tebSpecialGroupExpandHot, tebSpecialGroupExpandPressed, tebSpecialGroupHead
};
using enum TThemedExplorerBar;
enum class TThemedHeader {
  thHeaderDontCare, thHeaderRoot, thHeaderItemNormal, thHeaderItemHot, thHeaderItemPressed,
  thHeaderItemLeftNormal, thHeaderItemLeftHot, thHeaderItemLeftPressed,
  thHeaderItemRightNormal, thHeaderItemRightHot, thHeaderItemRightPressed,
  thHeaderSortArrowSortedUp, thHeaderSortArrowSortedDown
};
using enum TThemedHeader;
enum class TThemedListview {
  tlListviewDontCare, tlListviewRoot, tlListItemNormal, tlListItemHot, tlListItemSelected,
  tlListItemDisabled, tlListItemSelectedNotFocus, tlListGroup, tlListDetail, tlListSortDetail,
  tlEmptyText
};
using enum TThemedListview;
enum class TThemedMenu {
  tmMenuDontCare, tmMenuRoot, tmMenuItemNormal, tmMenuItemSelected, tmMenuItemDemoted,
  tmMenuDropDown, tmMenuBarItem, tmMenuBarDropDown, tmChevron, tmSeparator
};
using enum TThemedMenu;
enum class TThemedPage {
  tpPageDontCare, tpPageRoot, tpUpNormal, tpUpHot, tpUpPressed, tpUpDisabled, tpDownNormal,
  tpDownHot, tpDownPressed, tpDownDisabled, tpUpHorzNormal, tpUpHorzHot, tpUpHorzPressed,
  tpUpHorzDisabled, tpDownHorzNormal, tpDownHorzHot, tpDownHorzPressed, tpDownHorzDisabled
};
using enum TThemedPage;
enum class TThemedProgress {
  tpProgressDontCare, tpProgressRoot, tpBar, tpBarVert, tpChunk, tpChunkVert
};
using enum TThemedProgress;
enum class TThemedRebar {
  trRebarDontCare, trRebarRoot, trGripper, trGripperVert, trBandNormal, trBandHot,
  trBandPressed, trBandDisabled, trBandChecked, trBandHotChecked, trChevronNormal,
  trChevronHot, trChevronPressed, trChevronDisabled, trChevronVertNormal, trChevronVertHot,
  trChevronVertPressed, trChevronVertDisabled
};
using enum TThemedRebar;
enum class TThemedScrollBar {
  tsScrollBarDontCare, tsScrollBarRoot, tsArrowBtnUpNormal, tsArrowBtnUpHot,
  tsArrowBtnUpPressed, tsArrowBtnUpDisabled, tsArrowBtnDownNormal, tsArrowBtnDownHot,
  tsArrowBtnDownPressed, tsArrowBtnDownDisabled, tsArrowBtnLeftNormal, tsArrowBtnLeftHot,
  tsArrowBtnLeftPressed, tsArrowBtnLeftDisabled, tsArrowBtnRightNormal, tsArrowBtnRightHot,
  tsArrowBtnRightPressed, tsArrowBtnRightDisabled, tsThumbBtnHorzNormal, tsThumbBtnHorzHot,
  tsThumbBtnHorzPressed, tsThumbBtnHorzDisabled, tsThumbBtnVertNormal, tsThumbBtnVertHot,
  tsThumbBtnVertPressed, tsThumbBtnVertDisabled, tsLowerTrackHorzNormal, tsLowerTrackHorzHot,
  tsLowerTrackHorzPressed, tsLowerTrackHorzDisabled, tsUpperTrackHorzNormal,
  tsUpperTrackHorzHot, tsUpperTrackHorzPressed, tsUpperTrackHorzDisabled,
  tsLowerTrackVertNormal, tsLowerTrackVertHot, tsLowerTrackVertPressed,
  tsLowerTrackVertDisabled, tsUpperTrackVertNormal, tsUpperTrackVertHot,
  tsUpperTrackVertPressed, tsUpperTrackVertDisabled, tsGripperHorzNormal, tsGripperHorzHot,
  tsGripperHorzPressed, tsGripperHorzDisabled, tsGripperVertNormal, tsGripperVertHot,
  tsGripperVertPressed, tsGripperVertDisabled, tsSizeBoxRightAlign, tsSizeBoxLeftAlign
};
using enum TThemedScrollBar;
enum class TThemedSpin {
  tsSpinDontCare, tsSpinRoot, tsUpNormal, tsUpHot, tsUpPressed, tsUpDisabled, tsDownNormal,
  tsDownHot, tsDownPressed, tsDownDisabled, tsUpHorzNormal, tsUpHorzHot, tsUpHorzPressed,
  tsUpHorzDisabled, tsDownHorzNormal, tsDownHorzHot, tsDownHorzPressed, tsDownHorzDisabled
};
using enum TThemedSpin;
enum class TThemedStartPanel {
  tspStartPanelDontCare, tspStartPanelRoot, tspUserPane, tspMorePrograms,
  tspMoreProgramsArrowNormal, tspMoreProgramsArrowHot, tspMoreProgramsArrowPressed,
  tspProgList, tspProgListSeparator, tspPlacesList, tspPlacesListSeparator, tspLogOff,
  tspLogOffButtonsNormal, tspLogOffButtonsHot, tspLogOffButtonsPressed, tspUserPicture,
  tspPreview
};
using enum TThemedStartPanel;
enum class TThemedStatus {
  tsStatusDontCare, tsStatusRoot, tsPane, tsGripperPane, tsGripper
};
using enum TThemedStatus;
enum class TThemedTab {
  ttTabDontCare, ttTabRoot, ttTabItemNormal, ttTabItemHot, ttTabItemSelected,
  ttTabItemDisabled, ttTabItemFocused, ttTabItemLeftEdgeNormal, ttTabItemLeftEdgeHot,
  ttTabItemLeftEdgeSelected, ttTabItemLeftEdgeDisabled, ttTabItemLeftEdgeFocused,
  ttTabItemRightEdgeNormal, ttTabItemRightEdgeHot, ttTabItemRightEdgeSelected,
  ttTabItemRightEdgeDisabled, ttTabItemRightEdgeFocused, ttTabItemBothEdgeNormal,
  ttTabItemBothEdgeHot, ttTabItemBothEdgeSelected, ttTabItemBothEdgeDisabled,
  ttTabItemBothEdgeFocused, ttTopTabItemNormal, ttTopTabItemHot, ttTopTabItemSelected,
  ttTopTabItemDisabled, ttTopTabItemFocused, ttTopTabItemLeftEdgeNormal,
  ttTopTabItemLeftEdgeHot, ttTopTabItemLeftEdgeSelected, ttTopTabItemLeftEdgeDisabled,
  ttTopTabItemLeftEdgeFocused, ttTopTabItemRightEdgeNormal, ttTopTabItemRightEdgeHot,
  ttTopTabItemRightEdgeSelected, ttTopTabItemRightEdgeDisabled, ttTopTabItemRightEdgeFocused,
  ttTopTabItemBothEdgeNormal, ttTopTabItemBothEdgeHot, ttTopTabItemBothEdgeSelected,
  ttTopTabItemBothEdgeDisabled, ttTopTabItemBothEdgeFocused, ttPane, ttBody
};
using enum TThemedTab;
enum class TThemedTaskBand {
  ttbTaskBandDontCare, ttbTaskBandRoot, ttbGroupCount, ttbFlashButton, ttpFlashButtonGroupMenu
};
using enum TThemedTaskBand;
enum class TThemedTaskBar {
  ttTaskBarDontCare, ttTaskBarRoot, ttbTimeNormal
};
using enum TThemedTaskBar;
enum class TThemedToolBar {
  ttbToolBarDontCare, ttbToolBarRoot, ttbButtonNormal, ttbButtonHot, ttbButtonPressed,
  ttbButtonDisabled, ttbButtonChecked, ttbButtonCheckedHot, ttbDropDownButtonNormal,
  ttbDropDownButtonHot, ttbDropDownButtonPressed, ttbDropDownButtonDisabled,
  ttbDropDownButtonChecked, ttbDropDownButtonCheckedHot, ttbSplitButtonNormal,
  ttbSplitButtonHot, ttbSplitButtonPressed, ttbSplitButtonDisabled, ttbSplitButtonChecked,
  ttbSplitButtonCheckedHot, ttbSplitButtonDropDownNormal, ttbSplitButtonDropDownHot,
  ttbSplitButtonDropDownPressed, ttbSplitButtonDropDownDisabled, ttbSplitButtonDropDownChecked,
  ttbSplitButtonDropDownCheckedHot, ttbSeparatorNormal, ttbSeparatorHot, ttbSeparatorPressed,
  ttbSeparatorDisabled, ttbSeparatorChecked, ttbSeparatorCheckedHot, ttbSeparatorVertNormal,
  ttbSeparatorVertHot, ttbSeparatorVertPressed, ttbSeparatorVertDisabled,
  ttbSeparatorVertChecked, ttbSeparatorVertCheckedHot
};
using enum TThemedToolBar;
enum class TThemedToolTip {
  tttToolTipDontCare, tttToolTipRoot, tttStandardNormal, tttStandardLink,
  tttStandardTitleNormal, tttStandardTitleLink, tttBaloonNormal, tttBaloonLink,
  tttBaloonTitleNormal, tttBaloonTitleLink, tttCloseNormal, tttCloseHot, tttClosePressed
};
using enum TThemedToolTip;
enum class TThemedTrackBar {
  ttbTrackBarDontCare, ttbTrackBarRoot, ttbTrack, ttbTrackVert, ttbThumbNormal, ttbThumbHot,
  ttbThumbPressed, ttbThumbFocused, ttbThumbDisabled, ttbThumbBottomNormal, ttbThumbBottomHot,
  ttbThumbBottomPressed, ttbThumbBottomFocused, ttbThumbBottomDisabled, ttbThumbTopNormal,
  ttbThumbTopHot, ttbThumbTopPressed, ttbThumbTopFocused, ttbThumbTopDisabled,
  ttbThumbVertNormal, ttbThumbVertHot, ttbThumbVertPressed, ttbThumbVertFocused,
  ttbThumbVertDisabled, ttbThumbLeftNormal, ttbThumbLeftHot, ttbThumbLeftPressed,
  ttbThumbLeftFocused, ttbThumbLeftDisabled, ttbThumbRightNormal, ttbThumbRightHot,
  ttbThumbRightPressed, ttbThumbRightFocused, ttbThumbRightDisabled, ttbThumbTics,
  ttbThumbTicsVert
};
using enum TThemedTrackBar;
enum class TThemedTrayNotify {
  ttnTrayNotifyDontCare, ttnTrayNotifyRoot, ttnBackground, ttnAnimBackground
};
using enum TThemedTrayNotify;
enum class TThemedTreeview {
  ttTreeviewDontCare, ttTreeviewRoot, ttItemNormal, ttItemHot, ttItemSelected, ttItemDisabled,
  ttItemSelectedNotFocus, ttGlyphClosed, ttGlyphOpened, ttBranch
};
using enum TThemedTreeview;
enum class TThemedWindow {
  twWindowDontCare, twWindowRoot, twCaptionActive, twCaptionInactive, twCaptionDisabled,
  twSmallCaptionActive, twSmallCaptionInactive, twSmallCaptionDisabled, twMinCaptionActive,
  twMinCaptionInactive, twMinCaptionDisabled, twSmallMinCaptionActive,
  twSmallMinCaptionInactive, twSmallMinCaptionDisabled, twMaxCaptionActive,
  twMaxCaptionInactive, twMaxCaptionDisabled, twSmallMaxCaptionActive,
  twSmallMaxCaptionInactive, twSmallMaxCaptionDisabled, twFrameLeftActive, twFrameLeftInactive,
  twFrameRightActive, twFrameRightInactive, twFrameBottomActive, twFrameBottomInactive,
  twSmallFrameLeftActive, twSmallFrameLeftInactive, twSmallFrameRightActive,
  twSmallFrameRightInactive, twSmallFrameBottomActive, twSmallFrameBottomInactive,
  twSysButtonNormal, twSysButtonHot, twSysButtonPushed, twSysButtonDisabled,
  twSysButtonInactive, twMDISysButtonNormal, twMDISysButtonHot, twMDISysButtonPushed,
  twMDISysButtonDisabled, twMDISysButtonInactive, twMinButtonNormal, twMinButtonHot,
  twMinButtonPushed, twMinButtonDisabled, twMinButtonInactive, twMDIMinButtonNormal,
  twMDIMinButtonHot, twMDIMinButtonPushed, twMDIMinButtonDisabled, twMDIMinButtonInactive,
  twMaxButtonNormal, twMaxButtonHot, twMaxButtonPushed, twMaxButtonDisabled,
  twMaxButtonInactive, twCloseButtonNormal, twCloseButtonHot, twCloseButtonPushed,
  twCloseButtonDisabled, twCloseButtonInactive, twSmallCloseButtonNormal,
  twSmallCloseButtonHot, twSmallCloseButtonPushed, twSmallCloseButtonDisabled,
  twSmallCloseButtonInactive, twMDICloseButtonNormal, twMDICloseButtonHot,
  twMDICloseButtonPushed, twMDICloseButtonDisabled, twMDICloseButtonInactive,
  twRestoreButtonNormal, twRestoreButtonHot, twRestoreButtonPushed, twRestoreButtonDisabled,
  twRestoreButtonInactive, twMDIRestoreButtonNormal, twMDIRestoreButtonHot,
  twMDIRestoreButtonPushed, twMDIRestoreButtonDisabled, twMDIRestoreButtonInactive,
  twHelpButtonNormal, twHelpButtonHot, twHelpButtonPushed, twHelpButtonDisabled,
  twHelpButtonInactive, twMDIHelpButtonNormal, twMDIHelpButtonHot, twMDIHelpButtonPushed,
  twMDIHelpButtonDisabled, twMDIHelpButtonInactive, twHorzScrollNormal, twHorzScrollHot,
  twHorzScrollPushed, twHorzScrollDisabled, twHorzThumbNormal, twHorzThumbHot,
  twHorzThumbPushed, twHorzThumbDisabled, twVertScrollNormal, twVertScrollHot,
  twVertScrollPushed, twVertScrollDisabled, twVertThumbNormal, twVertThumbHot,
  twVertThumbPushed, twVertThumbDisabled, twDialog, twCaptionSizingTemplate,
  twSmallCaptionSizingTemplate, twFrameLeftSizingTemplate, twSmallFrameLeftSizingTemplate,
  twFrameRightSizingTemplate, twSmallFrameRightSizingTemplate, twFrameBottomSizingTemplate,
  twSmallFrameBottomSizingTemplate
};
using enum TThemedWindow;

// ---------------------------------------------------------------------------
// TThemeServices
// ---------------------------------------------------------------------------

class TThemeServices : public TObject {
public:
  // Hooks WindowHandle's procedure (for WM_THEMECHANGED) when it is not null,
  // loads the library and works out whether themes are on.
  explicit TThemeServices(HWND WindowHandle);
  ~TThemeServices() override;

  bool ThemesAvailable() const { return FThemesAvailable; }
  bool ThemesEnabled() const { return FThemesAvailable && FUseThemes && FControlsEnabled; }
  TNotifyEvent OnThemeChange;

  // The element's theme handle, opened on first use; nullptr while themes are off.
  HTHEME GetTheme(TThemedElement Element);
  // Recomputes the flags after a visual-style change (closing the open handles).
  void UpdateThemes();
  // Closes every open handle and clears its slot.
  void UnloadThemeData();

  TThemedElementDetails GetElementDetails(TThemedButton Detail) const;
  TThemedElementDetails GetElementDetails(TThemedClock Detail) const;
  TThemedElementDetails GetElementDetails(TThemedComboBox Detail) const;
  TThemedElementDetails GetElementDetails(TThemedEdit Detail) const;
  TThemedElementDetails GetElementDetails(TThemedExplorerBar Detail) const;
  TThemedElementDetails GetElementDetails(TThemedHeader Detail) const;
  TThemedElementDetails GetElementDetails(TThemedListview Detail) const;
  TThemedElementDetails GetElementDetails(TThemedMenu Detail) const;
  TThemedElementDetails GetElementDetails(TThemedPage Detail) const;
  TThemedElementDetails GetElementDetails(TThemedProgress Detail) const;
  TThemedElementDetails GetElementDetails(TThemedRebar Detail) const;
  TThemedElementDetails GetElementDetails(TThemedScrollBar Detail) const;
  TThemedElementDetails GetElementDetails(TThemedSpin Detail) const;
  TThemedElementDetails GetElementDetails(TThemedStartPanel Detail) const;
  TThemedElementDetails GetElementDetails(TThemedStatus Detail) const;
  TThemedElementDetails GetElementDetails(TThemedTab Detail) const;
  TThemedElementDetails GetElementDetails(TThemedTaskBand Detail) const;
  TThemedElementDetails GetElementDetails(TThemedTaskBar Detail) const;
  TThemedElementDetails GetElementDetails(TThemedToolBar Detail) const;
  TThemedElementDetails GetElementDetails(TThemedToolTip Detail) const;
  TThemedElementDetails GetElementDetails(TThemedTrackBar Detail) const;
  TThemedElementDetails GetElementDetails(TThemedTrayNotify Detail) const;
  TThemedElementDetails GetElementDetails(TThemedTreeview Detail) const;
  TThemedElementDetails GetElementDetails(TThemedWindow Detail) const;

  // Drawing wrappers: the element's handle with Details' part and state; none of
  // them tests ThemesEnabled (the caller does).
  void DrawElement(HDC DC, const TThemedElementDetails& Details, const TRect& R,
                   const TRect* ClipRect = nullptr);
  void DrawEdge(HDC DC, const TThemedElementDetails& Details, const TRect& R, UINT Edge, UINT Flags,
                TRect* ContentRect = nullptr);
  void DrawIcon(HDC DC, const TThemedElementDetails& Details, const TRect& R, HIMAGELIST ImageList,
                int Index);
  void DrawText(HDC DC, const TThemedElementDetails& Details, const std::wstring& S, const TRect& R,
                DWORD Flags, DWORD Flags2);
  TRect ContentRect(HDC DC, const TThemedElementDetails& Details, const TRect& BoundingRect);
  bool HasTransparentParts(const TThemedElementDetails& Details);
  // Paints the parent's background under Bounds; with OnlyIfTransparent and
  // Details, only when the element has transparent parts.
  void DrawParentBackground(HWND Window, HDC Target, const TThemedElementDetails* Details,
                            bool OnlyIfTransparent, const TRect* Bounds = nullptr);
  // A system colour (negative) as the visual style gives it for Details' element;
  // any other colour, or no Details, unchanged.
  TColor ColorToRGB(TColor Color, const TThemedElementDetails* Details = nullptr);
  // The themed client edge of a WS_EX_CLIENTEDGE window, drawn on its window DC;
  // with EraseLRCorner the size box between two scroll bars is filled first.
  void PaintBorder(TWinControl* Control, bool EraseLRCorner);

  // The handle slots (for tests).
  HTHEME ThemeSlot(TThemedElement Element) const { return FThemeData[static_cast<int>(Element)]; }

protected:
  virtual void DoOnThemeChange();

private:
  void WindowProc(TMessage& Message);
  void Unhook();

  bool FThemesAvailable = false;
  bool FUseThemes = false;
  bool FControlsEnabled = false;
  HWND FWindowHandle = nullptr;
  TWndMethod FDefWindowProc;
  bool FHooked = false;
  HTHEME FThemeData[ThemedElementCount] = {};
};

// The shared instance, made on first use with the application's window.
TThemeServices* ThemeServices();
// Frees the shared instance (the unit's finalisation); the next ThemeServices()
// makes a new one. Tests use it to start over with or without the fake library.
void FreeThemeServices();
