#pragma once
// TQvLEDDisplay: a border that shows its caption as a row of 5 x 7 dot-matrix
// characters (lit dots SegOnColor, unlit SegOffColor, on BackColor), sized by the
// control's height, optionally scrolling on a timer with a notice after each pass.
#include <cstdint>

#include "controls/basic/border.h"
#include "platform/controls/extctrls.h"

enum class TQvScrollType { stNone, stRightToLeft, stLeftToRight };
using enum TQvScrollType;
DTU_DECLARE_ENUM(TQvScrollType)

// The five column bytes of a character (bit 0x80 the top row, 0x02 the seventh);
// codes below 32 show the block of code 127.
const uint8_t* LedGlyph(unsigned char Ch);

class TQvLEDDisplay : public TQvBorder {
  DTU_CLASS(TQvLEDDisplay, TQvBorder)
public:
  explicit TQvLEDDisplay(TComponent* AOwner);
  ~TQvLEDDisplay() override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TColor BackColor() const { return FBackColor; }
  virtual void SetBackColor(TColor Value);
  TColor SegOnColor() const { return FSegOnColor; }
  virtual void SetSegOnColor(TColor Value);
  TColor SegOffColor() const { return FSegOffColor; }
  virtual void SetSegOffColor(TColor Value);
  TQvScrollType ScrollType() const { return FScrollType; }
  void SetScrollType(TQvScrollType Value);
  bool Scrolling() const { return FScrolling; }
  virtual void SetScrolling(bool Value);
  uint16_t ScrollDelay() const { return FScrollDelay; }
  void SetScrollDelay(uint16_t Value);
  void SetText(const std::string& Value) override;

  int DotSize() const { return FDotSize; }
  int DotSpacing() const { return FDotSpacing; }
  int ScrollLength() const { return FScrollLength; }
  int ScrollOffset() const { return FScrollOffset; }
  bool TimerRunning() const { return FTimer->Enabled(); }
  // The colour of a character's dot (column 5 is the gap between characters).
  TColor DotColor(unsigned char Ch, int Col, int Row) const;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetBevelWidth(int Value) override;
  void SetBorderInner(TFrameStyleEx Value) override;
  void SetBorderOuter(TFrameStyleEx Value) override;
  void SetBorderSides(TSides Value) override;
  void SetBorderWidth(int Value) override;
  TColor InteriorColor() override { return FBackColor; }
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnScrollComplete;

protected:
  virtual void DrawCell(TCanvas* Canvas, const TRect& Rect, unsigned char Ch);
  virtual void ScrollComplete();
  void Paint() override;

private:
  void UpdateDotDimensions();
  void UpdateSteps();
  void UpdateTimer();
  void TimerTick(TObject*);

  TAlignment FAlignment = taLeftJustify;
  int FDotSize = 2;
  int FDotSpacing = 0;
  TColor FBackColor = 0x000000;
  TColor FSegOnColor = 0x00FF00;
  TColor FSegOffColor = 0x003300;
  TQvScrollType FScrollType = stRightToLeft;
  bool FScrolling = false;
  int FScrollLength = 0;
  uint16_t FScrollDelay = 100;
  TTimer* FTimer;
  int FScrollOffset = 0;
};
