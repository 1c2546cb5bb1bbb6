#pragma once
// TQvToolButton: the windowless button of the framed toolbar. An image from an
// image list per state (normal, down, disabled, hot), an optional caption beside
// or under it, three looks (classic, XP, gradient), a plain and a drop-down style
// (a menu under the button, split off into a 14-pixel arrow part when the button
// also clicks), group (radio) behaviour, and size, layout, caption display and look
// taken from the parent toolbar for as long as the matching UseToolbar... flag is
// set. The toolbar announces its changes with the four private messages
// CM_TOOLBARSHOWCAPTIONCHANGED ... CM_TOOLBARVISUALSTYLECHANGED.
//
// A menu closed by a press on the button must neither reopen nor click it: a press
// within 100 ms of the menu closing is dropped, and a body press right after the
// menu closed with the pointer over the button only re-arms the button.
#include <cstdint>
#include <memory>

#include "controls/basic/menudropdown.h"
#include "controls/common/colors.h"
#include "controls/common/progressbars.h"
#include "platform/controls/actions.h"
#include "platform/controls/controls.h"
#include "platform/controls/menus.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/imglist.h"
#include "platform/stdctrls/speedbuttons.h"

class TQvToolbar;

enum class TQvToolStyle { tsButton, tsDropDown };
using enum TQvToolStyle;
DTU_DECLARE_ENUM(TQvToolStyle)
enum class TQvToolButtonState { tbsUp, tbsDisabled, tbsDown, tbsExclusive, tbsDropDown };
using enum TQvToolButtonState;

class TQvToolButton : public TGraphicControl {
  DTU_CLASS(TQvToolButton, TGraphicControl)
public:
  explicit TQvToolButton(TComponent* AOwner);
  ~TQvToolButton() override;

  // Into a TCustomAction: the control's caption, enabled state, hint, visibility
  // and help context, Down as Checked and the image index.
  void AssignTo(TPersistent* Dest) override;

  bool AllowAllUp() const { return FAllowAllUp; }
  virtual void SetAllowAllUp(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  virtual void SetAlignment(TAlignment Value);
  bool Down() const { return FDown; }
  virtual void SetDown(bool Value);
  TPopupMenu* DropDownMenu() const { return FDropDown.Menu(); }
  virtual void SetDropDownMenu(TPopupMenu* Value);
  bool Flat() const { return FFlat; }
  virtual void SetFlat(bool Value);
  int GroupIndex() const { return FGroupIndex; }
  virtual void SetGroupIndex(int Value);
  int ImageIndex() const { return FImageIndex; }
  virtual void SetImageIndex(int Value);
  int DownIndex() const { return FDownIndex; }
  virtual void SetDownIndex(int Value);
  int DisabledIndex() const { return FDisabledIndex; }
  virtual void SetDisabledIndex(int Value);
  int HotIndex() const { return FHotIndex; }
  virtual void SetHotIndex(int Value);
  TCustomImageList* Images() const { return FImages; }
  virtual void SetImages(TCustomImageList* Value);
  // Images, else the parent toolbar's.
  TCustomImageList* ImageList() const;
  TButtonLayout Layout() const { return FLayout; }
  virtual void SetLayout(TButtonLayout Value);
  bool ShowCaption() const { return FShowCaption; }
  virtual void SetShowCaption(bool Value);
  TQvToolStyle ToolStyle() const { return FToolStyle; }
  virtual void SetToolStyle(TQvToolStyle Value);
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  TQvVisualStyle VisualStyle() const { return FVisualStyle; }
  virtual void SetVisualStyle(TQvVisualStyle Value);
  TQvGradientColorStyle GradientColorStyle() const { return FGradientColorStyle; }
  virtual void SetGradientColorStyle(TQvGradientColorStyle Value);
  TColor SelectionColorStart() const { return FSelectionColorStart; }
  virtual void SetSelectionColorStart(TColor Value);
  TColor SelectionColorStop() const { return FSelectionColorStop; }
  virtual void SetSelectionColorStop(TColor Value);
  TColor SelectionFrameColor() const { return FSelectionFrameColor; }
  virtual void SetSelectionFrameColor(TColor Value);
  bool UseToolbarButtonLayout() const { return FUseToolbarButtonLayout; }
  virtual void SetUseToolbarButtonLayout(bool Value);
  bool UseToolbarButtonSize() const { return FUseToolbarButtonSize; }
  virtual void SetUseToolbarButtonSize(bool Value);
  bool UseToolbarShowCaption() const { return FUseToolbarShowCaption; }
  virtual void SetUseToolbarShowCaption(bool Value);
  bool UseToolbarVisualStyle() const { return FUseToolbarVisualStyle; }
  virtual void SetUseToolbarVisualStyle(bool Value);
  // A size set from outside (not loading, not from the toolbar) detaches the
  // button from the toolbar's button size.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  TQvToolButtonState State() const { return FState; }
  bool MouseOver() const { return FMouseOver; }
  bool PressAllowed() const { return FPressAllowed; }
  bool InDropDown() const { return FInDropDown; }
  // Whether Width and Height are written to a form stream.
  bool IsSizeStored() const;
  // A tsDropDown button with a click handler or an action: the arrow is a part of
  // its own.
  bool IsSplit() const;

  void Click() override;
  virtual void DoDropDown();
  virtual void PickupToolbarStyles();
  virtual TPoint GetImageSize();
  virtual void GetImageAndCaptionRects(TRect& ImageRect, TRect& CaptionRect);
  void Loaded() override;
  void SetParent(TWinControl* AParent) override;
  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnDropDown;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // The time source of the 100 ms rule (tests set the manual clock).
  static constexpr uint32_t MenuReopenDelay = TQvMenuDropDown::MenuReopenDelay;

protected:
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DefineProperties(TFiler* Filer) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  virtual void DropDown();
  // From a TCustomAction: Down follows Checked and ImageIndex its image index
  // (with CheckDefaults only where the button still has its defaults).
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLink* CreateActionLink() override;
  virtual void DrawBtnBorder(TRect& R);
  virtual void DrawImage(TRect R);
  virtual void DrawArrow();
  // The arrow part of a drop-down button, Width pixels on the arrow side (right,
  // or left under right-to-left alignment); SubtractArrowPart takes it from R.
  TRect ArrowPart(int Width);
  void SubtractArrowPart(TRect& R, int Width);
  virtual void DrawCaption(TRect R);
  bool HotTracks() const { return FVisualStyle != vsClassic || FFlat; }
  bool Hot() const;
  bool PressedLook() const;

private:
  void UpdateExclusive();
  void UpdateTracking();
  void CheckMinSize();
  void ImageListChange(TObject*);
  TQvToolbar* ParentToolbar() const;
  void SendSelf(UINT Msg);
  void SetStyleFlag(bool& Flag, bool Value, UINT Msg);
  void SelectionColors(TColor& Frame, TColor& Start, TColor& Stop) const;
  void CMToolbarButtonSizeChanged();

  bool FAllowAllUp = false;
  bool FDown = false;
  bool FDragging = false;
  bool FFlat = true;
  int FGroupIndex = 0;
  int FImageIndex = -1, FDownIndex = -1, FDisabledIndex = -1, FHotIndex = -1;
  TCustomImageList* FImages = nullptr;
  TChangeLink FImageChangeLink;
  TButtonLayout FLayout = blGlyphLeft;
  bool FMouseOver = false;
  // The drop-down menu, its free notification and the 100 ms reopen rule.
  TQvMenuDropDown FDropDown{this};
  bool FPressAllowed = true;
  TQvToolStyle FToolStyle = tsButton;
  bool FShowCaption = false;
  bool FTransparent = true;
  bool FInDropDown = false;
  TAlignment FAlignment = taCenter;
  TQvVisualStyle FVisualStyle = vsWinXP;
  TQvGradientColorStyle FGradientColorStyle = gcsSystem;
  TColor FSelectionColorStart = clBtnFace;
  TColor FSelectionColorStop = clBtnShadow;
  TColor FSelectionFrameColor = cl3DDkShadow;
  bool FUseToolbarButtonLayout = true, FUseToolbarButtonSize = true, FUseToolbarShowCaption = true,
       FUseToolbarVisualStyle = true;
  TQvToolButtonState FState = tbsUp;
  bool FSettingSize = false;
  // What a stream being read has set, for the rules Loaded runs once reading ends.
  enum : unsigned { rdShowCaption = 1, rdVisualStyle = 2, rdUseShowCaption = 4, rdUseVisualStyle = 8 };
  unsigned FRead = 0;
  bool Reading() const { return ComponentState().Contains(csReading); }
  // Expires when the button is freed: a handler run from a modal call (the
  // drop-down menu, a click) may free the button.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// The tool button's link: Down follows the action's Checked and ImageIndex its
// image index while they agree.
class TQvToolButtonActionLink : public TControlActionLink {
  DTU_CLASS(TQvToolButtonActionLink, TControlActionLink)
public:
  explicit TQvToolButtonActionLink(TQvToolButton* AClient) : TControlActionLink(AClient), FButton(AClient) {}
  bool IsCheckedLinked() override;
  bool IsImageIndexLinked() override;
  void SetChecked(bool Value) override;
  void SetImageIndex(int Value) override;

private:
  TQvToolButton* FButton;
};
