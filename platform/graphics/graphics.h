#pragma once
// The class library's graphics classes over the device-context API: fonts, pens and
// brushes that make their handles on demand, TCanvas (a device context with its
// current font, pen and brush), TGraphic, TBitmap (BMP files and form data) and
// TIcon. Canvas text is GBK.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/object.h"
#include "platform/graphics/colors.h"
#include "platform/graphics/gdi.h"

class TStream;
class TFiler;
class TCanvas;
class TBitmap;

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot,
                      pmMaskPenNot, pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask,
                      pmNotMask, pmXor, pmNotXor };
enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal,
                         bsCross, bsDiagCross };
enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum class TTransparentMode { tmAuto, tmFixed };
using enum TFontStyle;
using enum TFontPitch;
using enum TPenStyle;
using enum TPenMode;
using enum TBrushStyle;
using enum TPixelFormat;
using enum TTransparentMode;

DTU_DECLARE_ENUM(TFontStyle)
DTU_DECLARE_ENUM(TFontPitch)
DTU_DECLARE_ENUM(TPenStyle)
DTU_DECLARE_ENUM(TPenMode)
DTU_DECLARE_ENUM(TBrushStyle)
DTU_DECLARE_ENUM(TPixelFormat)
DTU_DECLARE_ENUM(TTransparentMode)

// Character-set identifiers for the filer ("DEFAULT_CHARSET", "GB2312_CHARSET" ...).
const TIdentMap& CharsetIdents();

// Raster operations of CopyRect and Draw.
using TCopyMode = uint32_t;
constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT, cmMergeCopy = MERGECOPY,
                    cmMergePaint = MERGEPAINT, cmNotSrcCopy = NOTSRCCOPY, cmNotSrcErase = NOTSRCERASE,
                    cmPatCopy = PATCOPY, cmPatInvert = PATINVERT, cmPatPaint = PATPAINT,
                    cmSrcAnd = SRCAND, cmSrcCopy = SRCCOPY, cmSrcErase = SRCERASE,
                    cmSrcInvert = SRCINVERT, cmSrcPaint = SRCPAINT, cmWhiteness = WHITENESS;

// A font, pen or brush description; OnChange fires after every change.
class TGraphicsObject : public TPersistent {
  DTU_CLASS(TGraphicsObject, TPersistent)
public:
  TNotifyEvent OnChange;
protected:
  virtual void Changed();
};

// A font description at 96 pixels per inch: Height < 0 is the character height in
// pixels, Size the point size (Size 8 = Height -11). The default is "MS Sans Serif",
// 8 points, clWindowText, DEFAULT_CHARSET. Orientation is the text angle in tenths
// of a degree.
class TFont : public TGraphicsObject {
  DTU_CLASS(TFont, TGraphicsObject)
public:
  TFont();
  ~TFont() override;
  void Assign(TPersistent* Source) override;

  // The font's handle, made on first use after a change and owned by the font.
  HFONT Handle();
  // Adopts a handle made elsewhere (RotateFont): its description becomes the font's
  // properties and the font frees the handle later.
  void SetHandle(HFONT Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  int Size() const;
  void SetSize(int Value);
  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  int Orientation() const { return FOrientation; }
  void SetOrientation(int Value);
  int PixelsPerInch() const { return 96; }

private:
  void Modify();
  LOGFONT Describe() const;
  HFONT FHandle = nullptr;
  TColor FColor = clWindowText;
  int FHeight = -11;
  std::string FName = "MS Sans Serif";
  TFontStyles FStyle;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  int FOrientation = 0;
};

// The metrics of a font, measured on a screen device context (usable before a
// control has a window).
TEXTMETRIC FontMetricsOf(TFont* Font);

// A pen description: black, solid, one pixel, pmCopy.
class TPen : public TGraphicsObject {
  DTU_CLASS(TPen, TGraphicsObject)
public:
  TPen() = default;
  ~TPen() override;
  void Assign(TPersistent* Source) override;
  HPEN Handle();
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
private:
  void Modify();
  HPEN FHandle = nullptr;
  TColor FColor = clBlack;
  TPenMode FMode = pmCopy;
  TPenStyle FStyle = psSolid;
  int FWidth = 1;
};

// A brush description: white and solid. Setting Color on a clear brush makes it
// solid. A Bitmap makes a pattern brush; its pixels are copied when it is assigned,
// so it may be freed afterwards (Bitmap() then only reports what was assigned).
class TBrush : public TGraphicsObject {
  DTU_CLASS(TBrush, TGraphicsObject)
public:
  TBrush() = default;
  ~TBrush() override;
  void Assign(TPersistent* Source) override;
  HBRUSH Handle();
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value);
private:
  void Modify();
  HBRUSH FHandle = nullptr;
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
  std::shared_ptr<const TSurface> FPattern;
};

class TGraphic;

// A device context with the current font, pen and brush, selected into it when an
// operation needs them. A canvas without a handle asks CreateHandle for one
// (descendants supply their device context); when it still has none, drawing
// raises EInvalidOperation "Canvas does not allow drawing". Every drawing operation
// fires OnChanging before and OnChange after.
class TCanvas : public TPersistent {
  DTU_CLASS(TCanvas, TPersistent)
public:
  TCanvas();
  ~TCanvas() override;

  HDC Handle();
  // Uses Value (not owned); nullptr lets the canvas go of its context.
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TPen* Pen() const { return FPen; }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush; }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  TPoint PenPos();
  void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }
  // A point outside the image or the clip reads as CLR_INVALID (-1); a write there
  // does nothing.
  TColor Pixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Value);
  TRect ClipRect();
  // Extra ExtTextOut options of TextOut and TextRect.
  unsigned TextFlags = 0;

  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Polyline(const std::vector<TPoint>& Points);
  void Polygon(const std::vector<TPoint>& Points);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  void FillRect(const TRect& R);
  // R in one colour, without the brush (which stays as it is).
  void FillSolidRect(const TRect& R, TColor Color);
  void FrameRect(const TRect& R);
  void DrawFocusRect(const TRect& R);
  // Draws a graphic at its own size; StretchDraw to fill R.
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& R, TGraphic* Graphic);
  // Copies Source of Canvas onto Dest with CopyMode, stretching as needed.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
  // Copies Source of Bitmap onto Dest, painting the pixels of colour Color with this
  // canvas's brush instead.
  void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);

  // TextOut moves the pen position to the end of the text. TextRect clips to R and
  // fills R with the brush unless the brush is clear.
  void TextOut(int X, int Y, const std::string& Text);
  void TextRect(const TRect& R, int X, int Y, const std::string& Text);
  int TextWidth(const std::string& Text);
  int TextHeight(const std::string& Text);
  TSize TextExtent(const std::string& Text);
  // Selects the current objects again and forgets the device context's own state.
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();
  // Selects stock objects back, so the context holds none of this canvas's handles.
  void DeselectHandles();
  // Makes sure the handle (and the font, pen, brush as asked) are in place.
  void RequireFont();
  void RequirePen();
  void RequireBrush();
  HDC RequireHandle();

private:
  HDC FHandle = nullptr;
  TFont* FFont;
  TPen* FPen;
  TBrush* FBrush;
  TCopyMode FCopyMode = cmSrcCopy;
  bool FFontValid = false;
  bool FPenValid = false;
  bool FBrushValid = false;
};

// A picture that can be drawn on a canvas and streamed.
class TGraphic : public TPersistent {
  DTU_CLASS(TGraphic, TPersistent)
public:
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual void SetHeight(int Value) = 0;
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value);
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  // File names are handed to the OS as they are (see TFileStream).
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);
  virtual void Draw(TCanvas* Canvas, const TRect& R) = 0;
  // Forms store a graphic as the binary property "Data": a 32-bit little-endian
  // byte count, then the graphic's own file format.
  void DefineProperties(TFiler* Filer) override;
  TNotifyEvent OnChange;

protected:
  virtual void Changed();
  virtual void ReadData(TStream* Stream);
  virtual void WriteData(TStream* Stream);
  bool FTransparent = false;
  bool FModified = false;
};

class TBitmapCanvas;

// The calls CopyPalette makes; tests put stand-ins in their place.
struct TPaletteCalls {
  bool (*GetCount)(HPALETTE, uint16_t&) = &GetObject;
  unsigned (*GetEntries)(HPALETTE, unsigned, unsigned, PALETTEENTRY*) = &GetPaletteEntries;
  HPALETTE (*Create)(const LOGPALETTE*) = &CreatePalette;
};
// A new palette with the entries of Palette, owned by the caller; nullptr for no
// palette or one without entries. A palette whose entry count cannot be read raises
// Exception "Invalid palette in CopyPalette", fewer entries read than counted
// Exception "Cannot get palette entries in CopyPalette", and a palette that cannot
// be made EOutOfResources "Cannot create palette in CopyPalette".
HPALETTE CopyPalette(HPALETTE Palette, const TPaletteCalls& Calls = {});

// A bitmap the program owns: 32-bit colour, or monochrome (pf1bit). Its canvas draws
// into it. BMP files of 1, 4, 8, 16, 24 and 32 bits per pixel (uncompressed or bit
// fields) are read; a 1-bit file with a black and white palette is monochrome.
// A file of 1, 4 or 8 bits keeps its colour table as the bitmap's Palette, and is
// written back as it was read, byte for byte, while the pixels are those of the
// file; changed pixels are written indexed with that table when every colour is in
// it, else as the other formats are. A change of PixelFormat or Monochrome, or a new
// handle, lets go of the table. Other files are written as 1 bit (monochrome),
// 32 bits (pf32bit) or 24 bits (any other format). New or grown areas are black.
// With TransparentMode tmAuto the transparent colour is the bottom-left pixel.
class TBitmap : public TGraphic {
  DTU_CLASS(TBitmap, TGraphic)
public:
  TBitmap();
  TBitmap(int AWidth, int AHeight);
  ~TBitmap() override;
  void Assign(TPersistent* Source) override;

  TCanvas* Canvas();
  // The bitmap's own handle (kept for the bitmap's life unless SetHandle replaces it).
  HBITMAP Handle();
  // Takes ownership of Value.
  void SetHandle(HBITMAP Value);

  bool Empty() const override;
  int Width() const override;
  int Height() const override;
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  void SetSize(int AWidth, int AHeight);
  bool Monochrome() const;
  void SetMonochrome(bool Value);
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat Value);
  TColor TransparentColor() const;
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);
  // The colour table of an indexed file (owned by the bitmap); nullptr for none.
  HPALETTE Palette() const { return FPalette; }

  // BMP file format; a bad image raises EInvalidGraphic "Bitmap image is not valid"
  // (with what is wrong) and leaves the bitmap as it was.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // A bitmap embedded under ResName (RegisterResource); the instance is not used.
  void LoadFromResourceName(uintptr_t Instance, const std::string& ResName);
  // Writes the bitmap as a PNG file.
  void SaveToPngFile(const std::string& FileName);
  void Draw(TCanvas* Canvas, const TRect& R) override;

protected:
  void Changed() override;

private:
  friend class TBitmapCanvas;
  TGdiBitmap* FHandle;
  TBitmapCanvas* FCanvas = nullptr;
  TPixelFormat FPixelFormat = pfDevice;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
  // The colour table and the indexed file it came with (its bits per pixel).
  HPALETTE FPalette = nullptr;
  std::vector<uint8_t> FFile;
  int FFileBits = 0;
  void DropPalette();
  // Whether the pixels are still those of FFile.
  bool PixelsAreTheFile() const;
};

// Every image an ICO file holds, in directory order, as non-premultiplied
// 0xAARRGGBB pixels with rows top-down (a window icon offered at each size). Bad
// data raises EInvalidGraphic "Icon image is not valid" (with what is wrong).
struct TIconImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
};
std::vector<TIconImage> DecodeIconImages(const uint8_t* Data, size_t Size);

// An icon: the image with its transparency (an AND mask or an alpha channel) read
// from an ICO file (the 32 x 32 image when there is one, else the first; PNG
// images included). Drawing blends by the transparency; saving writes the file back
// as it was read.
class TIcon : public TGraphic {
  DTU_CLASS(TIcon, TGraphic)
public:
  TIcon() = default;
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return FWidth == 0 || FHeight == 0; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // An icon's size comes from its file: setting it raises EInvalidGraphicOperation.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  // Bad data raises EInvalidGraphic "Icon image is not valid" (with what is wrong).
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromResourceName(uintptr_t Instance, const std::string& ResName);
  void Draw(TCanvas* Canvas, const TRect& R) override;
  // Non-premultiplied 0xAARRGGBB pixels, rows top-down (for window icons).
  const std::vector<uint32_t>& Pixels() const { return FPixels; }
private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<uint32_t> FPixels;
  std::vector<uint8_t> FData;  // the file as read
};
