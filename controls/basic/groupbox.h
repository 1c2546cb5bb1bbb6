#pragma once
// TQvCustomGroupBox: a framed panel that draws a captioned group frame in one of
// six styles (the classic looks or the visual style's group box), and TQvSpacer,
// a graphic control that keeps room between controls and can draw a groove.
#include "controls/basic/panels.h"

enum class TQvGroupBoxStyle { gsStandard, gsCustom, gsTopLine, gsFlat, gsBanner, gsUnderline };
using enum TQvGroupBoxStyle;
DTU_DECLARE_ENUM(TQvGroupBoxStyle)

class TQvCustomGroupBox : public TQvCustomPanel {
  DTU_CLASS(TQvCustomGroupBox, TQvCustomPanel)
public:
  explicit TQvCustomGroupBox(TComponent* AOwner);
  TQvGroupBoxStyle GroupStyle() const { return FGroupStyle; }
  virtual void SetGroupBoxStyle(TQvGroupBoxStyle Value);
  void SetGroupStyle(TQvGroupBoxStyle Value) { SetGroupBoxStyle(Value); }
  void CustomFramingChanged() override;
  void Dispatch(TMessage& Message) override;
  // The caption's rectangle for the style (empty for an empty caption), cx x cy
  // being the caption's size.
  TRect CaptionRect(int cx, int cy);

protected:
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;

private:
  void PaintThemedGroup(TCanvas* C, const TRect& Frame, const TRect& Text, const std::string& Caption);
  void PaintGroupFrame(TCanvas* C, const TRect& Frame, const TRect& Text);
  void PaintBanner(TCanvas* C, const TRect& Text, TColor Flat);
  void PaintGroupCaption(TCanvas* C, TRect Text, const std::string& Caption);

  TQvGroupBoxStyle FGroupStyle = gsFlat;
};

class TQvGroupBox : public TQvCustomGroupBox {
  DTU_CLASS(TQvGroupBox, TQvCustomGroupBox)
public:
  using TQvCustomGroupBox::TQvCustomGroupBox;
};

class TQvSpacer : public TGraphicControl {
  DTU_CLASS(TQvSpacer, TGraphicControl)
public:
  explicit TQvSpacer(TComponent* AOwner);
  bool Grooved() const { return FGrooved; }
  virtual void SetGrooved(bool Value);
  TOrientation Orientation() const { return FOrientation; }
  // Turning the spacer swaps its width and height.
  virtual void SetOrientation(TOrientation Value);

protected:
  void Paint() override;

private:
  bool FGrooved = false;
  TOrientation FOrientation = orHorizontal;
};
