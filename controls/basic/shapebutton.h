#pragma once
// TQvShapeButton: a windowless button shaped by a bitmap. The pixels of Bitmap
// that are not its transparent colour form the button; from them it makes an up
// and a down image with a 3-D bevel (and an optional one-pixel border) grown
// outward around the shape, keeps a mask of the shape, and by default reacts to
// the mouse and shows its hint only over the shape.
#include <vector>

#include "platform/stdctrls/speedbuttons.h"
#include "platform/stdctrls/stdctrls_buttons.h"

enum class TQvCaptionPosition { cpCentered, cpXY };
using enum TQvCaptionPosition;
DTU_DECLARE_ENUM(TQvCaptionPosition)

class TQvShapeButton : public TGraphicControl {
  DTU_CLASS(TQvShapeButton, TGraphicControl)
public:
  explicit TQvShapeButton(TComponent* AOwner);
  ~TQvShapeButton() override;

  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool Value);
  int BevelWidth() const { return FBevelWidth; }
  // 0..2; larger values give 2.
  virtual void SetBevelWidth(int Value);
  TColor BevelHighlightColor() const { return FBevelHighlightColor; }
  virtual void SetBevelHighlightColor(TColor Value);
  TColor BevelShadowColor() const { return FBevelShadowColor; }
  virtual void SetBevelShadowColor(TColor Value);
  TBitmap* Bitmap() const { return FBitmap; }
  virtual void SetBitmap(TBitmap* Value);
  TBitmap* BitmapUp() const { return FBitmapUp; }
  virtual void SetBitmapUp(TBitmap* Value);
  TBitmap* BitmapDown() const { return FBitmapDown; }
  virtual void SetBitmapDown(TBitmap* Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  virtual void SetBorderStyle(TBorderStyle Value);
  TColor BorderColor() const { return FBorderColor; }
  virtual void SetBorderColor(TColor Value);
  bool PreciseClick() const { return FPreciseClick; }
  void SetPreciseClick(bool Value) { FPreciseClick = Value; }
  bool PreciseShowHint() const { return FPreciseShowHint; }
  void SetPreciseShowHint(bool Value) { FPreciseShowHint = Value; }
  TQvCaptionPosition CaptionPosition() const { return FCaptionPosition; }
  virtual void SetCaptionPosition(TQvCaptionPosition Value);
  int CaptionX() const { return FCaptionX; }
  virtual void SetCaptionX(int Value) { SetCaptionXY(Value, FCaptionY); }
  int CaptionY() const { return FCaptionY; }
  virtual void SetCaptionY(int Value) { SetCaptionXY(FCaptionX, Value); }
  virtual void SetCaptionXY(int X, int Y);
  TButtonState State() const { return FState; }

  // Whether the point (client coordinates) lies in the shape: always without a
  // mask; never outside the mask's bitmap.
  virtual bool PtInMask(int X, int Y);
  bool HasMask() const { return FMaskWidth > 0; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Invalidate() override;
  void Click() override;
  HPALETTE GetPalette() override { return FBitmap->Palette(); }
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  void Dispatch(TMessage& Message) override;

protected:
  virtual void DrawButtonText(TCanvas* Canvas, const std::string& Caption, TRect R, TButtonState State);
  virtual TRect GetCaptionRect(TCanvas* Canvas, const std::string& Caption);
  virtual void ReadBitmapUpData(TStream* Stream) { ReadBitmapData(Stream, FBitmapUp); }
  virtual void WriteBitmapUpData(TStream* Stream) { WriteBitmapData(Stream, FBitmapUp); }
  virtual void ReadBitmapDownData(TStream* Stream) { ReadBitmapData(Stream, FBitmapDown); }
  virtual void WriteBitmapDownData(TStream* Stream) { WriteBitmapData(Stream, FBitmapDown); }
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  // Regenerates the up and down images and the mask from Bitmap.
  void BitmapChanged(TObject* Sender = nullptr);
  // The bevel colour of a side in a state (never the transparent colour).
  TColor BevelColor(TButtonState AState, bool TopLeft);
  void Create3DBitmap(TBitmap* Source, TButtonState AState, TBitmap* Dest);

  TButtonState FState = bsUp;

private:
  // The bitmap's binary form data: a 4-byte little-endian length, then the BMP file.
  static void ReadBitmapData(TStream* Stream, TBitmap* Bitmap);
  static void WriteBitmapData(TStream* Stream, TBitmap* Bitmap);
  // Inside: the pixels of B that are not Transparent.
  static std::vector<bool> ShapeOf(TBitmap* B, TColor Transparent);
  void SetMask(std::vector<bool> Mask, int Width, int Height);
  // A press that can no longer end in a click (capture lost, disabled, hidden).
  void CancelPress();
  bool Inside(int X, int Y);

  bool FAutoSize = true;
  int FBevelWidth = 2;
  TColor FBevelHighlightColor = clBtnHighlight;
  TColor FBevelShadowColor = clBtnShadow;
  TBitmap* FBitmap;
  TBitmap* FBitmapUp;
  TBitmap* FBitmapDown;
  TBorderStyle FBorderStyle = bsSingle;
  TColor FBorderColor = cl3DDkShadow;
  bool FPressed = false;
  std::vector<bool> FMask;
  int FMaskWidth = 0;
  int FMaskHeight = 0;
  bool FCursorChanged = false;
  TCursor FSavedCursor = crDefault;
  bool FHintSuppressed = false;
  bool FSavedShowHint = false;
  bool FSavedParentShowHint = true;
  bool FPreciseClick = true;
  bool FPreciseShowHint = true;
  TQvCaptionPosition FCaptionPosition = cpCentered;
  // A stream being read moved the caption / set its position mode (Loaded decides).
  bool FCaptionXYRead = false, FCaptionPositionRead = false;
  int FCaptionX = 0;
  int FCaptionY = 0;
};
