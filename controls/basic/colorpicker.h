#pragma once
// TQvColorPicker: a framed grid of 40 standard colours, optionally the 30 system
// colours below a separator, and up to three button rows: "None" (no colour),
// "Default" (a swatch of DefaultColor) and "More Colors..." (a swatch of
// CustomColor; the button opens the colour dialog). The colour under the pointer
// is named in a hint window.
//
// Colour indexes: 0..69 a table entry; -1 the None row (also "nothing" from
// HitTest); -2 the custom swatch; -3 the "More Colors..." button; -4 the Default
// row; -5 the separator gap and the two empty cells after the last system
// colour; -6 no highlight.
//
// Painting, hit testing and the hint's cell rectangle use one layout (Layout), so
// a click or a hint always lands on the cell the user sees.
#include <string>

#include "controls/basic/border.h"
#include "controls/common/customcolors.h"
#include "platform/controls/forms.h"
#include "platform/stdctrls/dialogs.h"

struct TColorData {
  TColor Color;
  std::string Caption;
};

constexpr int PickerColorCount = 70;
// The picker's colour table: 0..39 the standard grid row by row, 40..69 the
// system colours.
const TColorData& PickerColors(int Index);

class TQvColorPicker : public TQvBorder {
  DTU_CLASS(TQvColorPicker, TQvBorder)
public:
  explicit TQvColorPicker(TComponent* AOwner);
  ~TQvColorPicker() override;

  // Where everything lies for the current size and options.
  struct TLayout {
    TRect Client;       // the client rectangle
    TRect NoneRow;      // empty when not shown
    TRect DefaultRow;   // empty when not shown
    TRect CustomRow;    // empty when not shown
    int ColWidth = 0;
    int RowHeight = 0;
    int GridTop = 0;    // the standard block's top
    int SystemTop = 0;  // the system block's top
  };
  TLayout Layout();
  // The cell of a table entry (0..69), or of -1, -2, -3, -4 (their rows' parts).
  TRect GetCellRect(int Index);
  // The colour index at a client point (see above).
  int HitTest(int X, int Y);
  int Margin() const;

  TColor ButtonColor() const { return FButtonColor; }
  virtual void SetButtonColor(TColor Value);
  const std::string& CustomColorCaption() const { return FCustomColorCaption; }
  virtual void SetCustomColorCaption(const std::string& Value);
  TColor CustomColor() const { return FCustomColor; }
  virtual void SetCustomColor(TColor Value);
  TQvCustomColors* CustomColors() const { return FCustomColors; }
  virtual void SetCustomColors(TQvCustomColors* Value);
  TColorDialogOptions ColorDlgOptions() const { return FColorDlgOptions; }
  void SetColorDlgOptions(TColorDialogOptions Value) { FColorDlgOptions = Value; }
  TColor DefaultColor() const { return FDefaultColor; }
  virtual void SetDefaultColor(TColor Value);
  const std::string& NoColorCaption() const { return FNoColorCaption; }
  virtual void SetNoColorCaption(const std::string& Value);
  const std::string& DefaultColorCaption() const { return FDefaultColorCaption; }
  virtual void SetDefaultColorCaption(const std::string& Value);
  bool ShowCustomColor() const { return FShowCustomColor; }
  virtual void SetShowCustomColor(bool Value);
  bool ShowNoColor() const { return FShowNoColor; }
  virtual void SetShowNoColor(bool Value);
  bool ShowDefaultColor() const { return FShowDefaultColor; }
  virtual void SetShowDefaultColor(bool Value);
  bool ShowSystemColors() const { return FShowSystemColors; }
  virtual void SetShowSystemColors(bool Value);
  bool ShowColorHints() const { return FShowColorHints; }
  void SetShowColorHints(bool Value) { FShowColorHints = Value; }
  int SelColorIndex() const { return FSelColorIndex; }
  virtual void SetSelColorIndex(int Index);
  int HighlightColorIndex() const { return FHighlightColorIndex; }
  virtual void SetHighlightColorIndex(int Index);
  virtual TColor GetSelectedColor();
  virtual void SetSelectedColor(TColor Value);
  TColor SelectedColor() { return GetSelectedColor(); }
  // Opens the colour dialog; OK takes its colour as the custom colour.
  virtual void PickCustomColor();
  // The hint window while one was made (tests).
  THintWindow* ColorHintWindow() const { return FHintWindow; }

  TColor InteriorColor() override { return Color(); }
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;

  TNotifyEvent OnChange;

protected:
  virtual void ColorChanged();
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  int HitTestAt(const TLayout& L, int X, int Y, bool& Nothing);
  void DoHint(int X, int Y);
  void HideHint();
  void ShowChanged();
  void PaintCell(const TRect& Cell, TColor Color, bool Selected, bool Hot, bool Soft);
  void PaintButtonRow(const TRect& Row, bool WithSwatch, TColor Swatch, const std::string& Caption, int Index);

  TColor FCustomColor = 0xFFFFFF;
  TColor FDefaultColor = clHighlight;
  TColorDialogOptions FColorDlgOptions{cdFullOpen};
  TQvCustomColors* FCustomColors = nullptr;
  std::string FCustomColorCaption, FNoColorCaption, FDefaultColorCaption;
  bool FShowCustomColor = false, FShowNoColor = false, FShowDefaultColor = false, FShowSystemColors = false;
  int FSelColorIndex = -1;
  int FHighlightColorIndex = -6;
  TColor FFrameColor = clBtnShadow;
  bool FShowColorHints = true;
  THintWindow* FHintWindow = nullptr;
  TColor FButtonColor = clBtnFace;
  TColor FLoadedColor = clNone;
  bool FHasLoadedColor = false;
};
