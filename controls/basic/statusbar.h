#pragma once
// TQvStatusBar: a framed panel for the bottom of a form. Its children act as panes
// (optionally rescaled with the bar's width); in simple mode they are hidden and
// one caption shows in a framed pane; a size grip in the bottom-right corner
// resizes the form.
#include <memory>
#include <string>

#include "controls/basic/panels.h"

class TQvStatusBar : public TQvCustomPanel {
  DTU_CLASS(TQvStatusBar, TQvCustomPanel)
public:
  explicit TQvStatusBar(TComponent* AOwner);
  ~TQvStatusBar() override;

  // AutoStyle on means the bar has its automatic style (no borders, all sides, 19
  // pixels high, no border width), whenever it is set: turning it on at run time
  // applies the style at once, as loading a form does, and setting a border or the
  // border width to another value at run time turns it off. So whatever state a
  // program leaves, a form written from it reads back the same.
  bool AutoStyle() const { return FAutoStyle; }
  void SetAutoStyle(bool Value);
  // The published BorderWidth: another width set at run time turns AutoStyle off.
  void SetStyledBorderWidth(int Value);
  // Whether a border differs from a new bar's: reading it then clears AutoStyle.
  bool BordersMoved() const;
  bool SimpleStatus() const { return FSimpleStatus; }
  virtual void SetSimpleStatus(bool Value);
  const std::string& SimpleCaption() const { return FSimpleCaption; }
  virtual void SetSimpleCaption(const std::string& Value);
  TFrameStyle SimpleFrameStyle() const { return FSimpleFrameStyle; }
  virtual void SetSimpleFrameStyle(TFrameStyle Value);
  bool ShowSizeGrip() const { return FShowSizeGrip; }
  virtual void SetShowSizeGrip(bool Value);
  bool AutoScalePanes() const { return FAutoScalePanes; }
  void SetAutoScalePanes(bool Value) { FAutoScalePanes = Value; }
  // Whether the grip can size the form: it is on a sizeable form that is not maximised.
  bool SizeGripUsable() const { return FSizeGripValid; }
  TRect SizeGripRect() { return {Width() - 13, 0, Width(), Height()}; }
  void ValidateSizeGrip();

  virtual void AdjustStyle();
  void SetBorderInner(TFrameStyleEx Value) override;
  void SetBorderOuter(TFrameStyleEx Value) override;
  void SetBorderSides(TSides Value) override;
  void GetGradientColors(TColor& StartColor, TColor& StopColor) override;
  TRect GetClientRect() override;
  void Loaded() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

protected:
  virtual void DrawSimpleStatusBorder(const TRect& R);
  void CreateWnd() override;
  void Paint() override;
  void Resize() override;

private:
  void PaintSizeGrip(HDC DC);
  bool FAutoStyle = true;
  bool FAutoStyleRead = false;  // the stream being read has set AutoStyle (until Loaded)
  std::unique_ptr<TControlCanvas> FGripCanvas;
  bool FSimpleStatus = false;
  std::string FSimpleCaption;
  TFrameStyle FSimpleFrameStyle = fsFlat;
  bool FSizeGripValid = false;
  bool FShowSizeGrip = true;
  bool FAutoScalePanes = false;
  bool FFirstResize = true;
  int FWidthChange = 0;
  int FLastWidth = 0;
};
