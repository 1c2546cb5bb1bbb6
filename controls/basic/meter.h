#pragma once
// TQvMeter: a border that shows Value within Min..Max as a plain bar, a bevelled
// bar or a row of LED segments in up to three colour groups, in one of four
// directions, inside a rectangle or a trapezoid.
#include <cstdint>
#include <memory>

#include "controls/basic/border.h"
#include "controls/common/gradients.h"

enum class TQvMeterType { mtNormal, mtBar3D, mtLED };
enum class TQvMeterShape { msRectangular, msTrapezoidal };
using enum TQvMeterType;
using enum TQvMeterShape;
DTU_DECLARE_ENUM(TQvMeterType)
DTU_DECLARE_ENUM(TQvMeterShape)
DTU_DECLARE_ENUM(TTrapShape)
DTU_DECLARE_ENUM(TTrapDirect)

// The bar's moving edge F * End div D (F = Value - Min, D = Max - Min), computed
// in 64 bits and kept within [Start, End], so large ranges neither overflow nor
// draw outside the rectangle.
int MeterBarEdge(int64_t F, int64_t D, int Start, int End);

class TQvMeter : public TQvBorder {
  DTU_CLASS(TQvMeter, TQvBorder)
public:
  explicit TQvMeter(TComponent* AOwner);
  ~TQvMeter() override;

  int Min() const { return FMin; }
  virtual void SetMin(int Value);
  int Max() const { return FMax; }
  virtual void SetMax(int Value);
  int Value() const { return FValue; }
  virtual void SetValue(int Value);
  void AddValue(int Delta);
  TColor BarColor() const { return FBarColor; }
  virtual void SetBarColor(TColor Value);
  TColor BackColor() const { return FBackColor; }
  virtual void SetBackColor(TColor Value);
  TQvMeterType MeterType() const { return FMeterType; }
  virtual void SetMeterType(TQvMeterType Value);
  TQvMeterShape MeterShape() const { return FMeterShape; }
  virtual void SetMeterShape(TQvMeterShape Value);
  TTrapDirect TrapezoidDir() const { return FTrapezoidDir; }
  virtual void SetTrapDirect(TTrapDirect Value);
  TTrapShape TrapezoidShape() const { return FTrapezoidShape; }
  virtual void SetTrapShape(TTrapShape Value);
  int TrapezoidMin() const { return FTrapezoidMin; }
  virtual void SetTrapMin(int Value);
  TDirection Direction() const { return FDirection; }
  virtual void SetDirection(TDirection Value);
  TBitmap* Bitmap() const { return FBitmap.get(); }
  virtual void SetBitmap(TBitmap* Value);
  TBrushStyle BrushStyle() const { return FBrushStyle; }
  virtual void SetBrush(TBrushStyle Value);
  bool ShowPercent() const { return FShowPercent; }
  virtual void SetShowPercent(bool Value);
  virtual int GetPercent();
  uint8_t SegSpacing() const { return FSegSpacing; }
  virtual void SetSegSpacing(uint8_t Value);
  TColor SegOffColor() const { return FSegOffColor; }
  virtual void SetSegOffColor(TColor Value);
  // Index 0..2; a count is 1..255.
  virtual uint8_t GetSegCount(int Index);
  virtual void SetSegCount(int Index, uint8_t Value);
  virtual TColor GetSegColor(int Index);
  virtual void SetSegColor(int Index, TColor Value);
  TColor InteriorColor() override { return FBackColor; }

  // How many LED segments the current value lights, and their total.
  int SegmentTotal() const;
  int LitSegments() const;

protected:
  void Paint() override;
  void Loaded() override;

private:
  void ClampValue();
  void DrawStandardBar(TCanvas* Canvas, TRect R, const TTrap* Trap);
  void TileInTrapezoid(TCanvas* Canvas, const TRect& Bar, const TTrap& Cut);
  void DrawLEDBar(TCanvas* Canvas, TRect R, const TTrap* Trap, int Inset);

  int FMin = 0, FMax = 100, FValue = 0;
  bool FMinRead = false;  // a stream being read has set Min
  int FBevelInset = 0;
  TColor FBarColor = 0x0000FF;
  TColor FBackColor = 0x000000;
  TQvMeterType FMeterType = mtLED;
  TQvMeterShape FMeterShape = msRectangular;
  TTrapDirect FTrapezoidDir = tdLargeToSmall;
  TTrapShape FTrapezoidShape = tsCenter;
  int FTrapezoidMin = 6;
  TDirection FDirection = dirRight;
  std::unique_ptr<TBitmap> FBitmap;
  std::unique_ptr<TBitmap> FBuffer;
  TBrushStyle FBrushStyle = bsSolid;
  bool FShowPercent = true;
  uint8_t FSegSpacing = 2;
  TColor FSegOffColor = 0x000000;
  uint8_t FSegCount[3] = {5, 3, 2};
  TColor FSegColor[3] = {0x008000, 0x00FFFF, 0x0000FF};
};
