#pragma once
// TQvToolbar: a framed panel that lines its children up in rows (or columns) in
// the order of its control list, wraps them, fits its height (width) to them,
// pushes button size, layout, caption display and look to its tool buttons, shows
// a chevron that pops up the tool buttons cut off at its end, saves and restores
// the order and visibility of its controls in a TQvRegIniFile, and opens the
// customisation dialog.
//
// The order is streamed as "ToolbarControls", the component names in order; the
// names are resolved once the form is loaded. The chevron's popup panel and the
// customisation dialog live in the edit and list library, which fills the two
// hooks below (RegisterEditListClasses does it), so this library does not depend
// on it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/basic/groupbox.h"
#include "controls/basic/panels.h"
#include "controls/basic/toolbutton.h"
#include "controls/common/storage.h"

class TQvToolbar;

class TQvToolbarControl : public TObject {
  DTU_CLASS(TQvToolbarControl, TObject)
public:
  TControl* Control = nullptr;
  std::string Name;
  virtual void AssignElements(TQvToolbarControl*) {}
};

class TQvToolbarControlList : public TObject {
  DTU_CLASS(TQvToolbarControlList, TObject)
public:
  explicit TQvToolbarControlList(TQvToolbar* Toolbar) : FToolbar(Toolbar) {}
  ~TQvToolbarControlList() override;
  int Count() const { return static_cast<int>(FItems.size()); }
  TQvToolbarControl* Items(int Index) const { return FItems.at(Index); }
  int IndexOf(TControl* Control) const;
  int IndexOfName(const std::string& Name) const;
  int AddControl(TControl* Control);
  int AddControlName(const std::string& Name);
  void RemoveControl(TControl* Control);
  void RemoveControlName(const std::string& Name);
  void Move(int From, int To);
  void Clear();
  // Resolves the names read from a form stream against Owner's components.
  void ControlsAreLoaded(TComponent* Owner);
  void ReadControls(TReader* Reader);
  void WriteControls(TWriter* Writer);

protected:
  virtual TQvToolbarControl* CreateToolBarControl() { return new TQvToolbarControl; }

private:
  TQvToolbar* FToolbar;
  std::vector<TQvToolbarControl*> FItems;
  std::unique_ptr<std::vector<std::string>> FLoading;  // names read, until loaded
};

enum class TQvToolbarTextOptions { ttoNoTextLabels, ttoShowTextLabels, ttoSelectiveTextOnRight, ttoCustom };
using enum TQvToolbarTextOptions;
DTU_DECLARE_ENUM(TQvToolbarTextOptions)

class TQvCustomizeCaptions : public TPersistent {
  DTU_CLASS(TQvCustomizeCaptions, TPersistent)
public:
  // 1 Title ... 9 SelectiveTextOnRight.
  const std::string& Caption(int Index) const { return FCaptions.at(Index - 1); }
  void SetCaption(int Index, const std::string& Value);
  bool Changed() const { return FChanged; }
  void Assign(TPersistent* Source) override;
#define QV_CAPTION(N, I)                                                 \
  const std::string& N() const { return FCaptions[I - 1]; }              \
  void Set##N(const std::string& Value) { SetCaption(I, Value); }
  QV_CAPTION(Title, 1)
  QV_CAPTION(Hint, 2)
  QV_CAPTION(Close, 3)
  QV_CAPTION(MoveUp, 4)
  QV_CAPTION(MoveDown, 5)
  QV_CAPTION(TextOptions, 6)
  QV_CAPTION(NoTextLabels, 7)
  QV_CAPTION(ShowTextLabels, 8)
  QV_CAPTION(SelectiveTextOnRight, 9)
#undef QV_CAPTION

private:
  bool FChanged = false;
  std::vector<std::string> FCaptions{"Customize Toolbar", "Uncheck to hide control", "Close", "Move Up",
                                     "Move Down", "Text Options", "No text labels", "Show text labels",
                                     "Selective text on right"};
};

// The chevron at the end of a toolbar that does not wrap.
class TQvToolbarPopupButton : public TCustomControl {
  DTU_CLASS(TQvToolbarPopupButton, TCustomControl)
public:
  explicit TQvToolbarPopupButton(TComponent* AOwner);
  TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value) { FFrameColor = Value; }
  bool Pressed() const { return FPressed; }
  // Pops up the cut-off tool buttons (through ToolbarPopupHook) and clicks the one
  // chosen.
  void DisplayButtons();
  TQvToolButton* ClickedButton = nullptr;
  void Dispatch(TMessage& Message) override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  TColor FFrameColor = clBtnShadow;
  bool FTracking = false;
  bool FPressed = false;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);  // expires when freed
};

// A copy of a cut-off tool button on the chevron's popup: it looks and behaves
// like its source; its click names the source as the chevron's clicked button and
// clicks the popup's toolbar (which closes the popup).
class TQvPopupToolButton : public TQvToolButton {
  DTU_CLASS(TQvPopupToolButton, TQvToolButton)
public:
  explicit TQvPopupToolButton(TComponent* AOwner) : TQvToolButton(AOwner) {}
  void Assign(TPersistent* Source) override;
  TQvToolButton* SourceButton() const { return FSource; }
  TQvToolbarPopupButton* Chevron = nullptr;
  void Click() override;

private:
  TQvToolButton* FSource = nullptr;
};

// Fills the chevron's popup with the cut-off buttons and runs it; returns the
// source button whose copy was clicked, or nullptr. Set by the edit and list library.
using TToolbarPopupHook =
    std::function<TQvToolButton*(TQvToolbarPopupButton* Chevron, const std::vector<TQvToolButton*>& Buttons)>;
// Runs the customisation dialog for Toolbar. Set by the edit and list library.
using TToolbarCustomizeHook = std::function<void(TQvToolbar* Toolbar, bool ShowTextOptions)>;
TToolbarPopupHook& ToolbarPopupHook();
TToolbarCustomizeHook& ToolbarCustomizeHook();

class TQvToolbar : public TQvCustomPanel {
  DTU_CLASS(TQvToolbar, TQvCustomPanel)
public:
  explicit TQvToolbar(TComponent* AOwner);
  ~TQvToolbar() override;

  bool AutoResize() const { return FAutoResize; }
  virtual void SetAutoResize(bool Value);
  // AutoStyle on means the toolbar has the borders of its alignment (a groove on the
  // side it is aligned to while ShowDivider is on), whenever it is set: turning it on
  // at run time applies them at once, as loading a form does, and a border set to
  // another value turns it off. So a form written from any state reads back the same.
  bool AutoStyle() const { return FAutoStyle; }
  void SetAutoStyle(bool Value);
  // Whether a border differs from a new toolbar's: reading it then clears AutoStyle.
  bool BordersMoved() const;
  TBitmap* Background() const { return FBackground.get(); }
  virtual void SetBackground(TBitmap* Value);
  TCustomImageList* Images() const { return FImages; }
  virtual void SetImages(TCustomImageList* Value);
  TOrientation Orientation() const { return FOrientation; }
  virtual void SetOrientation(TOrientation Value);
  int RowHeight() const { return FRowHeight; }
  virtual void SetRowHeight(int Value);
  bool ShowDivider() const { return FShowDivider; }
  virtual void SetShowDivider(bool Value);
  bool ShowButtonCaptions() const { return FShowButtonCaptions; }
  virtual void SetShowButtonCaptions(bool Value);
  TButtonLayout ButtonLayout() const { return FButtonLayout; }
  virtual void SetButtonLayout(TButtonLayout Value);
  int ButtonWidth() const { return FButtonWidth; }
  virtual void SetButtonWidth(int Value);
  int ButtonHeight() const { return FButtonHeight; }
  virtual void SetButtonHeight(int Value);
  TQvToolbarTextOptions TextOptions() const { return FTextOptions; }
  virtual void SetTextOptions(TQvToolbarTextOptions Value);
  bool WrapControls() const { return FWrapControls; }
  virtual void SetWrapControls(bool Value);
  void SetBiDiMode(TBiDiMode Value) override;
  bool ShowToolbarPopupButton() const { return FShowToolbarPopupButton; }
  void SetShowToolbarPopupButton(bool Value);
  TQvToolbarPopupButton* Chevron() const { return FChevron; }
  TQvCustomizeCaptions* CustomizeCaptions() const { return FCustomizeCaptions.get(); }
  virtual void SetCustomizeCaptions(TQvCustomizeCaptions* Value);
  TQvRegIniFile* RegIniFile() const { return FRegIniFile; }
  virtual void SetRegIniFile(TQvRegIniFile* Value);
  int Margin() const { return FMargin; }
  virtual void SetMargin(int Value);
  int TopMargin() const { return FTopMargin; }
  virtual void SetTopMargin(int Value);
  TAlign Align() const { return TControl::Align(); }
  virtual void SetAlign(TAlign Value);
  TQvToolbarControlList* ToolbarControls() const { return FControls.get(); }

  void SetVisualStyle(TQvVisualStyle Value) override;
  void SetGradientColorStyle(TQvGradientColorStyle Value) override;
  void SetBorderInner(TFrameStyleEx Value) override;
  void SetBorderOuter(TFrameStyleEx Value) override;
  void SetBorderSides(TSides Value) override;

  virtual void PositionControls();
  virtual void UpdateButtonSize(int Width, int Height, bool ShowCaptions);
  virtual int CalculateRowHeight(int) { return FRowHeight; }
  // The listed visible tool buttons that reach past the far edge less Margin (the
  // right edge; the left one right to left): those the chevron offers.
  std::vector<TQvToolButton*> CutOffButtons();
  void Customize(bool ShowTextOptions);
  void SaveLayout();
  void RestoreLayout();
  void Loaded() override;
  void SetParent(TWinControl* AParent) override;
  void Dispatch(TMessage& Message) override;
  // The chevron is made by the toolbar: a form written from it does not hold it.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  // The row height scales with the rest.
  void ChangeScale(int M, int D) override;
  TNotifyEvent OnVisibleChanged;

protected:
  virtual void PositionControl(int Index, int Row, int& Pos);
  virtual void AdjustStyle(TAlign Value);
  virtual void CheckAutoResize(bool& Value);
  virtual void VisibleChanged();
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DefineProperties(TFiler* Filer) override;
  void Paint() override;
  void DrawCaption(TRect) override {}
  TPoint InvalidateMarginSize() override;

private:
  void Broadcast(UINT Msg);
  void TellParentResized();
  // Whether C overflows the toolbar at its far edge, and where the chevron goes.
  bool PastFarEdge(const TControl* C) const;
  TRect ChevronBounds() const;

  bool FAutoResize = true;
  bool FAutoStyle = true;
  std::unique_ptr<TBitmap> FBackground;
  TCustomImageList* FImages = nullptr;
  TChangeLink FImageChangeLink;
  TOrientation FOrientation = orHorizontal;
  int FRowHeight = 25;
  bool FShowDivider = true;
  bool FShowButtonCaptions = false;
  TButtonLayout FButtonLayout = blGlyphLeft;
  int FButtonWidth = 25;
  int FButtonHeight = 25;
  TQvToolbarTextOptions FTextOptions = ttoNoTextLabels;
  bool FSettingTextOptions = false;
  // What the stream being read has set, for the rules Loaded runs (until Loaded).
  enum : unsigned { rdAutoStyle = 1, rdTextOptions = 2, rdButtonStyle = 4, rdBorderOuter = 8 };
  unsigned FRead = 0;
  bool Reading() const { return ComponentState().Contains(csReading); }
  // A button setting changed: the text options become custom (while reading, in Loaded).
  void ButtonStyleChanged();
  bool FWrapControls = true;
  TQvToolbarPopupButton* FChevron = nullptr;
  bool FShowToolbarPopupButton = false;
  std::unique_ptr<TQvCustomizeCaptions> FCustomizeCaptions;
  TQvRegIniFile* FRegIniFile = nullptr;
  std::unique_ptr<TQvToolbarControlList> FControls;
  int FMargin = 4;
  int FTopMargin = 2;
  int FCurrentRowHeight = 25;
  bool FPositioning = false;
};
