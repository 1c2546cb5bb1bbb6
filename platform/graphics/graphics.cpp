// Fonts, pens, brushes, the canvas, TGraphic, TBitmap and TIcon.
#include "platform/graphics/graphics.h"

#include <cmath>
#include <cstring>

#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/gdi_internal.h"
#include "platform/graphics/imageio.h"

DTU_DEFINE_ENUM(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
DTU_DEFINE_ENUM(TFontPitch, "fpDefault", "fpVariable", "fpFixed")
DTU_DEFINE_ENUM(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame")
DTU_DEFINE_ENUM(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask",
                "pmXor", "pmNotXor")
DTU_DEFINE_ENUM(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
                "bsCross", "bsDiagCross")
DTU_DEFINE_ENUM(TPixelFormat, "pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit",
                "pf32bit", "pfCustom")
DTU_DEFINE_ENUM(TTransparentMode, "tmAuto", "tmFixed")

namespace {

// Multiplies and divides, rounding halves away from zero.
int MulDiv(int A, int B, int C) {
  int64_t p = int64_t(A) * B;
  int64_t q = (std::abs(p) * 2 + std::abs(C)) / (2 * int64_t(std::abs(C)));
  return static_cast<int>(((p < 0) != (C < 0)) ? -q : q);
}

}  // namespace

const TIdentMap& CharsetIdents() {
  static const TIdentMap map{{
      {ANSI_CHARSET, "ANSI_CHARSET"}, {DEFAULT_CHARSET, "DEFAULT_CHARSET"}, {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
      {MAC_CHARSET, "MAC_CHARSET"}, {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"}, {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
      {JOHAB_CHARSET, "JOHAB_CHARSET"}, {GB2312_CHARSET, "GB2312_CHARSET"},
      {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"}, {GREEK_CHARSET, "GREEK_CHARSET"},
      {TURKISH_CHARSET, "TURKISH_CHARSET"}, {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
      {HEBREW_CHARSET, "HEBREW_CHARSET"}, {ARABIC_CHARSET, "ARABIC_CHARSET"}, {BALTIC_CHARSET, "BALTIC_CHARSET"},
      {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"}, {THAI_CHARSET, "THAI_CHARSET"},
      {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"}, {OEM_CHARSET, "OEM_CHARSET"},
  }};
  return map;
}

// ---------------------------------------------------------------------------
// TGraphicsObject, TFont, TPen, TBrush
// ---------------------------------------------------------------------------

const TClassInfo& TGraphicsObject::StaticClass() {
  static const TClassInfo info = TClassBuilder<TGraphicsObject>("TGraphicsObject", &inherited::StaticClass()).Build();
  return info;
}

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

const TClassInfo& TFont::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TFont>("TFont", &inherited::StaticClass())
          .Int("Charset", &TFont::Charset, &TFont::SetCharset, std::nullopt, {}, &CharsetIdents())
          .Int("Color", &TFont::Color, &TFont::SetColor, std::nullopt, {}, &ColorIdents())
          .Int("Height", &TFont::Height, &TFont::SetHeight, std::nullopt)
          .Str("Name", &TFont::Name, &TFont::SetName)
          .Int("Orientation", &TFont::Orientation, &TFont::SetOrientation, 0)
          .Enum<TFontPitch>("Pitch", &TFont::Pitch, &TFont::SetPitch, fpDefault)
          .Int("Size", &TFont::Size, &TFont::SetSize, std::nullopt, [](TFont*) { return false; })
          .Set<TFontStyle>("Style", &TFont::Style, &TFont::SetStyle, std::nullopt)
          .Build();
  return info;
}

TFont::TFont() = default;

TFont::~TFont() {
  if (FHandle) DeleteObject(FHandle);
}

void TFont::Modify() {
  if (FHandle) {
    DeleteObject(FHandle);
    FHandle = nullptr;
  }
  Changed();
}

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    FColor = f->FColor;
    FHeight = f->FHeight;
    FName = f->FName;
    FStyle = f->FStyle;
    FCharset = f->FCharset;
    FPitch = f->FPitch;
    FOrientation = f->FOrientation;
    Modify();
    return;
  }
  inherited::Assign(Source);
}

LOGFONT TFont::Describe() const {
  LOGFONT lf;
  lf.lfHeight = FHeight;
  lf.lfEscapement = lf.lfOrientation = FOrientation;
  lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FStyle.Contains(fsItalic);
  lf.lfUnderline = FStyle.Contains(fsUnderline);
  lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
  lf.lfCharSet = FCharset;
  lf.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
  std::string face = GbkTruncate(FName, LF_FACESIZE - 1);
  std::memcpy(lf.lfFaceName, face.data(), face.size());
  return lf;
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONT lf = Describe();
    FHandle = CreateFontIndirect(&lf);
  }
  return FHandle;
}

void TFont::SetHandle(HFONT Value) {
  if (Value == FHandle) return;
  if (Value) {
    const LOGFONT& lf = Value->Log;
    FHeight = lf.lfHeight;
    FName = lf.lfFaceName;
    FStyle = {};
    if (lf.lfWeight >= 600) FStyle << fsBold;
    if (lf.lfItalic) FStyle << fsItalic;
    if (lf.lfUnderline) FStyle << fsUnderline;
    if (lf.lfStrikeOut) FStyle << fsStrikeOut;
    FCharset = lf.lfCharSet;
    int pitch = lf.lfPitchAndFamily & 3;
    FPitch = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
    FOrientation = lf.lfEscapement;
  }
  if (FHandle) DeleteObject(FHandle);
  FHandle = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();  // the colour is not part of the handle
}
void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Modify();
}
int TFont::Size() const { return -MulDiv(FHeight, 72, PixelsPerInch()); }
void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, PixelsPerInch(), 72)); }
void TFont::SetName(const std::string& Value) {
  if (Value.empty() || Value == FName) return;  // an empty name keeps the current one
  FName = Value;
  Modify();
}
void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Modify();
}
void TFont::SetCharset(TFontCharset Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  Modify();
}
void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  Modify();
}
void TFont::SetOrientation(int Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  Modify();
}

const TClassInfo& TPen::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TPen>("TPen", &inherited::StaticClass())
          .Int("Color", &TPen::Color, &TPen::SetColor, clBlack, {}, &ColorIdents())
          .Enum<TPenMode>("Mode", &TPen::Mode, &TPen::SetMode, pmCopy)
          .Enum<TPenStyle>("Style", &TPen::Style, &TPen::SetStyle, psSolid)
          .Int("Width", &TPen::Width, &TPen::SetWidth, 1)
          .Build();
  return info;
}

TPen::~TPen() {
  if (FHandle) DeleteObject(FHandle);
}

void TPen::Modify() {
  if (FHandle) {
    DeleteObject(FHandle);
    FHandle = nullptr;
  }
  Changed();
}

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    FColor = p->FColor;
    FMode = p->FMode;
    FStyle = p->FStyle;
    FWidth = p->FWidth;
    Modify();
    return;
  }
  inherited::Assign(Source);
}

HPEN TPen::Handle() {
  if (!FHandle) {
    static constexpr unsigned kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    FHandle = CreatePen(static_cast<int>(kStyles[static_cast<int>(FStyle)]), FWidth, ColorToRGB(FColor));
  }
  return FHandle;
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Modify();
}
void TPen::SetMode(TPenMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  Changed();  // the mode is the context's mix mode, not part of the handle
}
void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Modify();
}
void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == FWidth) return;
  FWidth = Value;
  Modify();
}

const TClassInfo& TBrush::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TBrush>("TBrush", &inherited::StaticClass())
          .Int("Color", &TBrush::Color, &TBrush::SetColor, clWhite, {}, &ColorIdents())
          .Enum<TBrushStyle>("Style", &TBrush::Style, &TBrush::SetStyle, bsSolid)
          .Build();
  return info;
}

TBrush::~TBrush() {
  if (FHandle) DeleteObject(FHandle);
}

void TBrush::Modify() {
  if (FHandle) {
    DeleteObject(FHandle);
    FHandle = nullptr;
  }
  Changed();
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    FColor = b->FColor;
    FStyle = b->FStyle;
    FBitmap = b->FBitmap;
    FPattern = b->FPattern;
    Modify();
    return;
  }
  inherited::Assign(Source);
}

HBRUSH TBrush::Handle() {
  if (FHandle) return FHandle;
  if (FPattern) {
    FHandle = new TGdiBrush;
    FHandle->Log = {BS_PATTERN, 0, 0};
    FHandle->Pattern = FPattern;
  } else if (FStyle == bsSolid) {
    FHandle = CreateSolidBrush(ColorToRGB(FColor));
  } else if (FStyle == bsClear) {
    LOGBRUSH lb{BS_NULL, 0, 0};
    FHandle = CreateBrushIndirect(&lb);
  } else {
    static constexpr int kHatch[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
    FHandle = CreateHatchBrush(kHatch[static_cast<int>(FStyle)], ColorToRGB(FColor));
  }
  return FHandle;
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle != bsClear) return;
  FColor = Value;
  if (FStyle == bsClear) FStyle = bsSolid;
  Modify();
}
void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Modify();
}
void TBrush::SetBitmap(TBitmap* Value) {
  // The pattern is copied now, so the bitmap may be freed once it has been assigned.
  FBitmap = Value;
  FPattern = (Value && !Value->Empty()) ? std::make_shared<const TSurface>(Value->Handle()->Surface) : nullptr;
  Modify();
}

// ---------------------------------------------------------------------------
// TCanvas
// ---------------------------------------------------------------------------

const TClassInfo& TCanvas::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCanvas>("TCanvas", &inherited::StaticClass()).Build();
  return info;
}

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
  FFont->OnChange = [this](TObject*) { FFontValid = false; };
  FPen->OnChange = [this](TObject*) { FPenValid = false; };
  FBrush->OnChange = [this](TObject*) { FBrushValid = false; };
}

TCanvas::~TCanvas() {
  DeselectHandles();
  delete FFont;
  delete FPen;
  delete FBrush;
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}
void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

HDC TCanvas::RequireHandle() {
  if (!FHandle) CreateHandle();
  if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
  return FHandle;
}

void TCanvas::RequireFont() {
  RequireHandle();
  if (FFontValid) return;
  SelectObject(FHandle, FFont->Handle());
  ::SetTextColor(FHandle, ColorToRGB(FFont->Color()));
  FFontValid = true;
}

void TCanvas::RequirePen() {
  RequireHandle();
  if (FPenValid) return;
  static constexpr int kModes[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                                   R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN,
                                   R2_MERGEPEN, R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN,
                                   R2_NOTXORPEN};
  SelectObject(FHandle, FPen->Handle());
  SetROP2(FHandle, kModes[static_cast<int>(FPen->Mode())]);
  FPenValid = true;
}

// A solid brush makes the background mode OPAQUE with the brush colour as background
// colour; any other brush makes it TRANSPARENT.
void TCanvas::RequireBrush() {
  RequireHandle();
  if (FBrushValid) return;
  SelectObject(FHandle, FBrush->Handle());
  COLORREF c = ColorToRGB(FBrush->Color());
  if (FBrush->Style() == bsSolid) {
    ::SetBkColor(FHandle, c);
    ::SetBkMode(FHandle, OPAQUE);
  } else {
    ::SetBkColor(FHandle, ~c & 0xFFFFFF);
    ::SetBkMode(FHandle, TRANSPARENT);
  }
  FBrushValid = true;
}

HDC TCanvas::Handle() {
  Changing();
  RequireFont();
  RequirePen();
  RequireBrush();
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (Value == FHandle) return;
  DeselectHandles();
  FHandle = Value;
  FFontValid = FPenValid = FBrushValid = false;
}

void TCanvas::DeselectHandles() {
  if (FHandle) {
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
    SelectObject(FHandle, GetStockObject(WHITE_BRUSH));
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
  FFontValid = FPenValid = FBrushValid = false;
}

void TCanvas::Refresh() { DeselectHandles(); }

TPoint TCanvas::PenPos() {
  TPoint p;
  GetCurrentPositionEx(RequireHandle(), &p);
  return p;
}

TColor TCanvas::Pixels(int X, int Y) { return static_cast<TColor>(GetPixel(RequireHandle(), X, Y)); }

void TCanvas::SetPixels(int X, int Y, TColor Value) {
  Changing();
  RequirePen();
  SetPixel(FHandle, X, Y, ColorToRGB(Value));
  Changed();
}

TRect TCanvas::ClipRect() {
  TRect r;
  GetClipBox(RequireHandle(), &r);
  return r;
}

void TCanvas::MoveTo(int X, int Y) { MoveToEx(RequireHandle(), X, Y, nullptr); }

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequirePen();
  RequireBrush();
  ::LineTo(FHandle, X, Y);
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  Changing();
  RequirePen();
  RequireBrush();
  ::Polyline(FHandle, Points.data(), static_cast<int>(Points.size()));
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
  Changing();
  RequirePen();
  RequireBrush();
  ::Polygon(FHandle, Points.data(), static_cast<int>(Points.size()));
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequirePen();
  RequireBrush();
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequirePen();
  RequireBrush();
  ::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::FillRect(const TRect& R) {
  Changing();
  RequireBrush();
  ::FillRect(FHandle, &R, FBrush->Handle());
  Changed();
}

void TCanvas::FillSolidRect(const TRect& R, TColor Color) {
  Changing();
  RequireHandle();
  ::FillSolidRect(FHandle, &R, ColorToRGB(Color));
  Changed();
}

void TCanvas::FrameRect(const TRect& R) {
  Changing();
  RequireBrush();
  ::FrameRect(FHandle, &R, FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& R) {
  Changing();
  RequireBrush();
  ::DrawFocusRect(FHandle, &R);
  Changed();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(Bounds(X, Y, Graphic->Width(), Graphic->Height()), Graphic);
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequireBrush();
  ::SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
  Graphic->Draw(this, R);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  Changing();
  RequireFont();
  RequireBrush();
  Canvas->RequireBrush();
  StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Canvas->FHandle, Source.Left, Source.Top,
             Source.Width(), Source.Height(), FCopyMode);
  Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
  if (!Bitmap || Dest.IsEmpty()) return;
  Changing();
  RequireBrush();
  // The source part, stretched to the destination size, then each pixel copied or,
  // where it has the replaced colour, painted with the brush.
  // Only the visible part of Dest is worked on.
  HDC dc = FHandle;
  TRect whole = gdi::SurfRect(dc, Dest), dr;
  if (!IntersectRect(dr, whole, gdi::VisibleBox(dc))) {
    Changed();
    return;
  }
  HDC src = CreateCompatibleDC(nullptr);
  HDC tmp = CreateCompatibleDC(nullptr);
  HBITMAP work = CreateBitmap(dr.Width(), dr.Height(), 1, 32, nullptr);
  SelectObject(src, Bitmap->Handle());
  SelectObject(tmp, work);
  StretchBlt(tmp, whole.Left - dr.Left, whole.Top - dr.Top, whole.Width(), whole.Height(), src, Source.Left,
             Source.Top, Source.Width(), Source.Height(), SRCCOPY);
  uint32_t key = gdi::ToPixel(ColorToRGB(Color)) & 0xFFFFFF;
  gdi::TBrushSampler brush(dc, FBrush->Handle());
  TSurface& ds = dc->Surface();
  const TSurface& ws = work->Surface;
  TRect t;
  for (const TRect& c : dc->ClipRects()) {
    if (!IntersectRect(t, c, dr)) continue;
    for (int y = t.Top; y < t.Bottom; ++y)
      for (int x = t.Left; x < t.Right; ++x) {
        uint32_t v = ws.Row(y - dr.Top)[x - dr.Left], p;
        if ((v & 0xFFFFFF) == key) {
          if (!brush.Sample(x, y, p)) continue;
          v = p;
        }
        ds.Row(y)[x] = gdi::ForSurface(ds, v);
      }
  }
  DeleteDC(tmp);
  DeleteDC(src);
  DeleteObject(work);
  Changed();
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  Changing();
  RequireFont();
  RequireBrush();
  ExtTextOut(FHandle, X, Y, TextFlags, nullptr, Text.data(), static_cast<int>(Text.size()), nullptr);
  MoveTo(X + TextWidth(Text), Y);
  Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& Text) {
  Changing();
  RequireFont();
  RequireBrush();
  unsigned options = ETO_CLIPPED | TextFlags;
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOut(FHandle, X, Y, options, &R, Text.data(), static_cast<int>(Text.size()), nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const std::string& Text) {
  RequireFont();
  TSize s;
  GetTextExtentPoint32(FHandle, Text.data(), static_cast<int>(Text.size()), &s);
  return s;
}
int TCanvas::TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
int TCanvas::TextHeight(const std::string& Text) { return TextExtent(Text).cy; }

// ---------------------------------------------------------------------------
// TGraphic
// ---------------------------------------------------------------------------

const TClassInfo& TGraphic::StaticClass() {
  static const TClassInfo info = TClassBuilder<TGraphic>("TGraphic", &inherited::StaticClass()).Build();
  return info;
}

void TGraphic::Changed() {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed();
}

void TGraphic::SetModified(bool Value) {
  if (Value) Changed();
  else FModified = false;
}

void TGraphic::LoadFromFile(const std::string& FileName) {
  TFileStream s(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&s);
}

void TGraphic::SaveToFile(const std::string& FileName) {
  TFileStream s(FileName, fmCreate);
  SaveToStream(&s);
}

void TGraphic::DefineProperties(TFiler* Filer) {
  bool has;
  if (auto* ancestor = dynamic_cast<TGraphic*>(Filer->Ancestor())) {
    TMemoryStream a, b;
    ancestor->SaveToStream(&a);
    SaveToStream(&b);
    has = a.Bytes() != b.Bytes();
  } else {
    has = !Empty();
  }
  Filer->DefineBinaryProperty("Data", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, has);
}

void TGraphic::ReadData(TStream* Stream) {
  uint8_t n[4];
  Stream->ReadBuffer(n, 4);
  int64_t size = int64_t(n[0]) | (int64_t(n[1]) << 8) | (int64_t(n[2]) << 16) | (int64_t(n[3]) << 24);
  if (size > Stream->Size() - Stream->Position()) throw EReadError("Graphic data is truncated");
  if (size == 0) return;  // an empty graphic (CopyFrom would take a count of 0 as "everything")
  TMemoryStream m;
  m.CopyFrom(Stream, size);
  m.SetPosition(0);
  LoadFromStream(&m);
}

void TGraphic::WriteData(TStream* Stream) {
  TMemoryStream m;
  SaveToStream(&m);
  uint32_t size = static_cast<uint32_t>(m.Size());
  uint8_t n[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
  Stream->WriteBuffer(n, 4);
  Stream->WriteBuffer(m.Memory(), m.Size());
}

// ---------------------------------------------------------------------------
// TBitmap
// ---------------------------------------------------------------------------

// The canvas of a bitmap: a memory device context with the bitmap selected, made
// when first needed and kept while the bitmap lives.
class TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }
  void FreeContext() {
    if (!FContext) return;
    HDC dc = FContext;
    SetHandle(nullptr);
    FContext = nullptr;
    DeleteDC(dc);
  }
protected:
  void CreateHandle() override {
    FContext = CreateCompatibleDC(nullptr);
    SelectObject(FContext, FBitmap->FHandle);
    SetHandle(FContext);
  }
private:
  TBitmap* FBitmap;
  HDC FContext = nullptr;
};

HPALETTE CopyPalette(HPALETTE Palette, const TPaletteCalls& Calls) {
  if (!Palette) return nullptr;
  uint16_t count = 0;
  if (!Calls.GetCount(Palette, count)) throw Exception("Invalid palette in CopyPalette");
  if (count == 0) return nullptr;
  LOGPALETTE log;
  log.palPalEntry.resize(count);
  if (Calls.GetEntries(Palette, 0, count, log.palPalEntry.data()) != count)
    throw Exception("Cannot get palette entries in CopyPalette");
  HPALETTE copy = Calls.Create(&log);
  if (!copy) throw EOutOfResources("Cannot create palette in CopyPalette");
  return copy;
}

const TClassInfo& TBitmap::StaticClass() {
  static const TClassInfo info = TClassBuilder<TBitmap>("TBitmap", &inherited::StaticClass()).Creatable().Build();
  return info;
}

TBitmap::TBitmap() : FHandle(new TGdiBitmap) {}

TBitmap::TBitmap(int AWidth, int AHeight) : TBitmap() { SetSize(AWidth, AHeight); }

TBitmap::~TBitmap() {
  delete FCanvas;
  DeleteObject(FHandle);
  DeleteObject(FPalette);
}

void TBitmap::DropPalette() {
  DeleteObject(FPalette);
  FPalette = nullptr;
  FFile.clear();
  FFileBits = 0;
}

bool TBitmap::PixelsAreTheFile() const {
  if (FFile.empty()) return false;
  TSurface file;
  TPixelFormat fmt;
  gdi::DecodeBmp(FFile, file, fmt);
  const TSurface& s = FHandle->Surface;
  return file.Width == s.Width && file.Height == s.Height && file.Mono == s.Mono &&
         std::equal(file.Bits.begin(), file.Bits.end(), s.Bits.begin(), s.Bits.end());
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = new TBitmapCanvas(this);
    FCanvas->OnChange = [this](TObject*) { Changed(); };
  }
  return FCanvas;
}

HBITMAP TBitmap::Handle() { return FHandle; }

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  if (FCanvas) FCanvas->FreeContext();
  DeleteObject(FHandle);
  DropPalette();
  FHandle = Value ? Value : new TGdiBitmap;
  FPixelFormat = FHandle->Surface.Mono ? pf1bit : pfDevice;
  Changed();
}

void TBitmap::Changed() { inherited::Changed(); }

bool TBitmap::Empty() const { return FHandle->Surface.Width == 0 || FHandle->Surface.Height == 0; }
int TBitmap::Width() const { return FHandle->Surface.Width; }
int TBitmap::Height() const { return FHandle->Surface.Height; }
void TBitmap::SetWidth(int Value) { SetSize(Value, Height()); }
void TBitmap::SetHeight(int Value) { SetSize(Width(), Value); }

void TBitmap::SetSize(int AWidth, int AHeight) {
  TSurface& s = FHandle->Surface;
  if (AWidth == s.Width && AHeight == s.Height) return;
  if (AWidth < 0 || AHeight < 0 || AWidth > 32768 || AHeight > 32768 || int64_t(AWidth) * AHeight > (int64_t(1) << 27))
    throw EInvalidGraphicOperation("Invalid bitmap size " + std::to_string(AWidth) + " x " + std::to_string(AHeight));
  // The top-left part that both sizes share keeps its pixels.
  TSurfaceBits bits(static_cast<size_t>(AWidth) * static_cast<size_t>(AHeight), gdi::kBlack);
  for (int y = 0; y < std::min(AHeight, s.Height); ++y)
    std::copy(s.Row(y), s.Row(y) + std::min(AWidth, s.Width), bits.data() + static_cast<size_t>(y) * static_cast<size_t>(AWidth));
  s.Bits = std::move(bits);
  s.Width = AWidth;
  s.Height = AHeight;
  Changed();
}

bool TBitmap::Monochrome() const { return FHandle->Surface.Mono; }

// Turning monochrome takes each pixel to the nearer of black and white.
void TBitmap::SetMonochrome(bool Value) {
  TSurface& s = FHandle->Surface;
  if (Value == s.Mono) return;
  if (Value)
    for (uint32_t& p : s.Bits) p = gdi::SnapMono(p);
  s.Mono = Value;
  FPixelFormat = Value ? pf1bit : pfDevice;
  DropPalette();
  Changed();
}

// Formats other than pf1bit keep 32-bit pixels; the format decides how the bitmap is
// written (pf32bit: 32 bits, others 24).
void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == pf1bit) {
    SetMonochrome(true);
    return;
  }
  SetMonochrome(false);
  if (Value != FPixelFormat) {
    FPixelFormat = Value;
    DropPalette();
    Changed();
  }
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (Empty()) return clDefault;
  const TSurface& s = FHandle->Surface;
  return static_cast<TColor>(gdi::ToColorRef(s.Row(s.Height - 1)[0]));
}

void TBitmap::SetTransparentColor(TColor Value) {
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  if (Value == tmAuto) SetTransparentColor(clDefault);
  else SetTransparentColor(TransparentColor());
}

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    DropPalette();
    SetSize(0, 0);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    if (b == this) return;
    HPALETTE palette = CopyPalette(b->FPalette);
    DeleteObject(FPalette);
    FPalette = palette;
    FFile = b->FFile;
    FFileBits = b->FFileBits;
    FHandle->Surface = b->FHandle->Surface;
    FPixelFormat = b->FPixelFormat;
    FTransparent = b->FTransparent;
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

void TBitmap::LoadFromStream(TStream* Stream) {
  std::vector<uint8_t> bytes = gdi::ReadBmpBytes(Stream);
  TSurface s;
  TPixelFormat fmt;
  std::vector<PALETTEENTRY> table;
  gdi::DecodeBmp(bytes, s, fmt, &table);
  LOGPALETTE log;
  log.palPalEntry = std::move(table);
  HPALETTE palette = CreatePalette(&log);  // nullptr for a file without a colour table
  DropPalette();
  FPalette = palette;
  if (palette) {
    FFile = std::move(bytes);
    FFileBits = fmt == pf1bit ? 1 : fmt == pf4bit ? 4 : 8;
  }
  FHandle->Surface = std::move(s);
  FPixelFormat = FHandle->Surface.Mono ? pf1bit : (fmt == pf1bit ? pfDevice : fmt);
  Changed();
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  std::vector<uint8_t> bytes;
  if (PixelsAreTheFile()) bytes = FFile;
  else if (FPalette) bytes = gdi::EncodeIndexedBmp(FHandle->Surface, FFileBits, FPalette->Entries);
  if (bytes.empty())
    bytes = gdi::EncodeBmp(FHandle->Surface, Monochrome() ? 1 : FPixelFormat == pf32bit ? 32 : 24);
  Stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

// Resources hold BMP files, or device-independent bitmaps without the file header
// (as the OS's bitmap resources do); the header is made up for the latter.
void TBitmap::LoadFromResourceName(uintptr_t, const std::string& ResName) {
  TResourceStream res(ResName);
  const auto* p = static_cast<const uint8_t*>(res.Memory());
  int64_t n = res.Size();
  if (n >= 2 && p[0] == 'B' && p[1] == 'M') {
    LoadFromStream(&res);
    return;
  }
  if (n < 16) throw EInvalidGraphic("Bitmap image is not valid: truncated resource");
  uint32_t hs = p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
  int bpp = hs == 12 ? (p[10] | (p[11] << 8)) : (p[14] | (p[15] << 8));
  uint32_t used = (hs >= 40 && n >= 36) ? (p[32] | (p[33] << 8) | (p[34] << 16) | (uint32_t(p[35]) << 24)) : 0;
  uint32_t comp = (hs >= 40 && n >= 20) ? p[16] : 0;
  int64_t colors = bpp <= 8 ? (used ? used : (int64_t(1) << bpp)) : 0;
  int64_t off = 14 + int64_t(hs) + colors * (hs == 12 ? 3 : 4) + ((comp == 3 && hs == 40) ? 12 : 0);
  int64_t total = 14 + n;
  std::vector<uint8_t> file = {'B', 'M', uint8_t(total), uint8_t(total >> 8), uint8_t(total >> 16), uint8_t(total >> 24),
                               0, 0, 0, 0, uint8_t(off), uint8_t(off >> 8), uint8_t(off >> 16), uint8_t(off >> 24)};
  file.insert(file.end(), p, p + n);
  TMemoryStream m;
  m.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
  m.SetPosition(0);
  LoadFromStream(&m);
}

void TBitmap::SaveToPngFile(const std::string& FileName) { SaveBitmapToPng(FHandle, FileName); }

// Drawn with the canvas's copy mode, or, when Transparent, leaving out the pixels
// of the transparent colour. A monochrome bitmap draws black and white whatever the
// canvas's colours.
void TBitmap::Draw(TCanvas* Canvas, const TRect& R) {
  if (Empty()) return;
  HDC dst = Canvas->Handle();
  HDC src = CreateCompatibleDC(nullptr);
  SelectObject(src, FHandle);
  COLORREF oldText = 0, oldBack = 0;
  if (Monochrome()) {
    oldText = ::SetTextColor(dst, 0x000000);
    oldBack = ::SetBkColor(dst, 0xFFFFFF);
  }
  if (Transparent())
    TransparentBlt(dst, R.Left, R.Top, R.Width(), R.Height(), src, 0, 0, Width(), Height(),
                   ColorToRGB(TransparentColor()));
  else
    StretchBlt(dst, R.Left, R.Top, R.Width(), R.Height(), src, 0, 0, Width(), Height(), Canvas->CopyMode());
  if (Monochrome()) {
    ::SetTextColor(dst, oldText);
    ::SetBkColor(dst, oldBack);
  }
  DeleteDC(src);
}

// ---------------------------------------------------------------------------
// TIcon
// ---------------------------------------------------------------------------

const TClassInfo& TIcon::StaticClass() {
  static const TClassInfo info = TClassBuilder<TIcon>("TIcon", &inherited::StaticClass()).Creatable().Build();
  return info;
}

void TIcon::Assign(TPersistent* Source) {
  if (!Source) {
    FWidth = FHeight = 0;
    FPixels.clear();
    FData.clear();
    Changed();
    return;
  }
  if (auto* i = dynamic_cast<TIcon*>(Source)) {
    FWidth = i->FWidth;
    FHeight = i->FHeight;
    FPixels = i->FPixels;
    FData = i->FData;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

void TIcon::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::LoadFromStream(TStream* Stream) {
  std::vector<uint8_t> bytes = gdi::ReadIcoBytes(Stream);
  int w, h;
  std::vector<uint32_t> px;
  gdi::DecodeIco(bytes, w, h, px);
  FWidth = w;
  FHeight = h;
  FPixels = std::move(px);
  FData = std::move(bytes);
  Changed();
}

std::vector<TIconImage> DecodeIconImages(const uint8_t* Data, size_t Size) {
  std::vector<uint8_t> bytes(Data, Data + Size);
  std::vector<TIconImage> out(static_cast<size_t>(gdi::IcoImageCount(bytes)));
  for (size_t i = 0; i < out.size(); ++i)
    gdi::DecodeIcoImage(bytes, static_cast<int>(i), out[i].Width, out[i].Height, out[i].Pixels);
  return out;
}

void TIcon::SaveToStream(TStream* Stream) {
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TIcon::LoadFromResourceName(uintptr_t, const std::string& ResName) {
  TResourceStream res(ResName);
  LoadFromStream(&res);
}

// Stretched like StretchBlt (the source pixel under each destination pixel's
// centre) and blended by alpha.
void TIcon::Draw(TCanvas* Canvas, const TRect& R) {
  if (Empty() || R.IsEmpty()) return;
  HDC dc = Canvas->Handle();
  TRect dr = gdi::SurfRect(dc, R);
  TSurface& ds = dc->Surface();
  int64_t dw = int64_t(dr.Right) - dr.Left, dh = int64_t(dr.Bottom) - dr.Top;
  TRect t;
  for (const TRect& c : dc->ClipRects()) {
    if (!IntersectRect(t, c, dr)) continue;
    for (int y = t.Top; y < t.Bottom; ++y) {
      int sy = static_cast<int>((int64_t(2) * (y - dr.Top) + 1) * FHeight / (2 * dh));
      for (int x = t.Left; x < t.Right; ++x) {
        int sx = static_cast<int>((int64_t(2) * (x - dr.Left) + 1) * FWidth / (2 * dw));
        uint32_t s = FPixels[static_cast<size_t>(sy) * static_cast<size_t>(FWidth) + static_cast<size_t>(sx)];
        uint32_t a = s >> 24;
        if (a == 0) continue;
        uint32_t& d = ds.Row(y)[x];
        uint32_t v = 0xFF000000u;
        for (int sh = 0; sh < 24; sh += 8) {
          uint32_t sc = (s >> sh) & 0xFF, dcn = (d >> sh) & 0xFF;
          v |= ((sc * a + dcn * (255 - a) + 127) / 255) << sh;
        }
        d = gdi::ForSurface(ds, v);
      }
    }
  }
}

TEXTMETRIC FontMetricsOf(TFont* Font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  TEXTMETRIC tm{};
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return tm;
}
