// Drawing objects, device contexts and their state: selection, SaveDC/RestoreDC,
// colours and modes, origins and clipping.
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/core/scope.h"
#include "platform/graphics/gdi_internal.h"

namespace {

// Objects are held while selected into a context or kept by a SaveDC level; a
// DeleteObject that comes meanwhile frees the object when the last hold goes.
void Hold(HGDIOBJ Obj) {
  if (Obj && !Obj->Stock) ++Obj->Holds;
}
void Release(HGDIOBJ Obj) {
  if (!Obj || Obj->Stock) return;
  if (--Obj->Holds == 0 && Obj->DeletePending) delete Obj;
}
void HoldState(const TDCState& S) {
  Hold(S.Pen); Hold(S.Brush); Hold(S.Font); Hold(S.Bitmap);
}
void ReleaseState(const TDCState& S) {
  Release(S.Pen); Release(S.Brush); Release(S.Font); Release(S.Bitmap);
}

template <class T>
T* MakeStock(T* Obj) {
  Obj->Stock = true;
  return Obj;
}

HPEN StockPen(unsigned Style, COLORREF Color) {
  HPEN p = new TGdiPen;
  p->Log = {Style, {1, 0}, Color};
  return MakeStock(p);
}
HBRUSH StockBrush(unsigned Style, COLORREF Color) {
  HBRUSH b = new TGdiBrush;
  b->Log = {Style, Color, 0};
  return MakeStock(b);
}
HFONT StockFont(int Height, int Weight, const char* Face) {
  HFONT f = new TGdiFont;
  f->Log.lfHeight = Height;
  f->Log.lfWeight = Weight;
  f->Log.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(f->Log.lfFaceName, Face, LF_FACESIZE - 1);
  return MakeStock(f);
}

struct TStockObjects {
  HGDIOBJ Objects[DEFAULT_GUI_FONT + 1] = {};
  HBRUSH SysBrushes[COLOR_ENDCOLORS + 1] = {};
  TStockObjects() {
    Objects[WHITE_BRUSH] = StockBrush(BS_SOLID, RGB(255, 255, 255));
    Objects[LTGRAY_BRUSH] = StockBrush(BS_SOLID, RGB(192, 192, 192));
    Objects[GRAY_BRUSH] = StockBrush(BS_SOLID, RGB(128, 128, 128));
    Objects[DKGRAY_BRUSH] = StockBrush(BS_SOLID, RGB(64, 64, 64));
    Objects[BLACK_BRUSH] = StockBrush(BS_SOLID, RGB(0, 0, 0));
    Objects[NULL_BRUSH] = StockBrush(BS_NULL, 0);
    Objects[WHITE_PEN] = StockPen(PS_SOLID, RGB(255, 255, 255));
    Objects[BLACK_PEN] = StockPen(PS_SOLID, RGB(0, 0, 0));
    Objects[NULL_PEN] = StockPen(PS_NULL, 0);
    Objects[SYSTEM_FONT] = StockFont(16, FW_BOLD, "System");
    Objects[DEFAULT_GUI_FONT] = StockFont(-11, FW_NORMAL, "MS Shell Dlg");
    for (int i = 0; i <= COLOR_ENDCOLORS; ++i) SysBrushes[i] = StockBrush(BS_SOLID, GetSysColor(i));
  }
};
// Stock objects live for the whole program (never freed, like the OS's).
TStockObjects& Stock() {
  static TStockObjects* s = new TStockObjects;
  return *s;
}

constexpr int kMaxSide = 32768;
constexpr int64_t kMaxPixels = int64_t(1) << 27;

// Blank: the pixels start as zero words (untouched pages) instead of black.
HBITMAP NewBitmap(int Width, int Height, bool Mono, bool Blank = false) {
  if (Width < 0 || Height < 0 || Width > kMaxSide || Height > kMaxSide) return nullptr;
  if (Width == 0 || Height == 0) {
    Width = Height = 1;
    Mono = true;
    Blank = false;
  }
  if (int64_t(Width) * Height > kMaxPixels) return nullptr;
  HBITMAP b = new TGdiBitmap;
  b->Surface.Width = Width;
  b->Surface.Height = Height;
  b->Surface.Mono = Mono;
  size_t n = static_cast<size_t>(Width) * static_cast<size_t>(Height);
  if (Blank) gdi::SizeFreshPixels(b->Surface.Bits, n);
  else b->Surface.Bits.assign(n, gdi::kBlack);
  return b;
}

// The area with no clip region: far beyond any surface, so that an exclusion made
// before a bitmap is selected still means "everything but this".
constexpr TRect kUnbounded{-(1 << 28), -(1 << 28), 1 << 28, 1 << 28};

TRect ToDevice(HDC Dc, int Left, int Top, int Right, int Bottom) {
  int64_t dx = int64_t(Dc->S.ViewportOrg.X) - Dc->S.WindowOrg.X, dy = int64_t(Dc->S.ViewportOrg.Y) - Dc->S.WindowOrg.Y;
  return {gdi::ClampCoord(Left + dx), gdi::ClampCoord(Top + dy), gdi::ClampCoord(Right + dx), gdi::ClampCoord(Bottom + dy)};
}

int ClipResult(HDC Dc) { return gdi::RgnType(Dc->ClipRects()); }

}  // namespace

TRect gdi::VisibleBox(TDeviceContext* Dc) { return RgnBox(Dc->ClipRects()); }

const std::vector<TRect>& TDeviceContext::BuildClipRects() {
  TSurface& s = Surface();
  std::vector<TRect> r{TRect{0, 0, s.Width, s.Height}};
  if (HasVisible) r = gdi::RgnIntersect(r, gdi::RgnOffset(Visible, DCOrg.X, DCOrg.Y));
  if (S.HasClip) r = gdi::RgnIntersect(r, gdi::RgnOffset(S.Clip, DCOrg.X, DCOrg.Y));
  FClip = std::move(r);
  FClipValid = true;
  FClipSurface = &s;
  FClipW = s.Width;
  FClipH = s.Height;
  return FClip;
}

// ---------------------------------------------------------------------------
// Device contexts
// ---------------------------------------------------------------------------

HDC CreateCompatibleDC(HDC) {
  HDC dc = new TDeviceContext;
  dc->OwnBitmap = NewBitmap(1, 1, true);
  dc->S.Pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  dc->S.Brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  dc->S.Font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  dc->S.Bitmap = dc->OwnBitmap;
  HoldState(dc->S);
  return dc;
}

HDC CreateSurfaceDC(HBITMAP Surface, TPoint Origin, HRGN Visible) {
  if (!Surface) return nullptr;
  HDC dc = new TDeviceContext;
  dc->Memory = false;
  dc->S.Pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  dc->S.Brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  dc->S.Font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  dc->S.Bitmap = Surface;
  dc->DCOrg = Origin;
  if (Visible) {
    dc->HasVisible = true;
    dc->Visible = Visible->Rects;
  }
  HoldState(dc->S);
  return dc;
}

HDC CreateScreenDC(int Width, int Height) {
  HDC dc = new TDeviceContext;
  dc->Memory = false;
  dc->Screen = true;
  dc->ScreenSize = {std::max(0, Width), std::max(0, Height)};
  dc->OwnBitmap = NewBitmap(1, 1, false);
  dc->S.Pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  dc->S.Brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  dc->S.Font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  dc->S.Bitmap = dc->OwnBitmap;
  dc->HasVisible = true;  // nothing of the real screen is drawn on
  HoldState(dc->S);
  return dc;
}

bool DeleteDC(HDC Dc) {
  if (!Dc) return false;
  for (const TDCState& s : Dc->Saved) ReleaseState(s);
  ReleaseState(Dc->S);
  if (Dc->OwnBitmap) DeleteObject(Dc->OwnBitmap);
  delete Dc;
  return true;
}

int SaveDC(HDC Dc) {
  if (!Dc) return 0;
  Dc->Saved.push_back(Dc->S);
  HoldState(Dc->S);
  return static_cast<int>(Dc->Saved.size());
}

bool RestoreDC(HDC Dc, int SavedDC) {
  if (!Dc || SavedDC == 0) return false;
  int count = static_cast<int>(Dc->Saved.size());
  int level = SavedDC > 0 ? SavedDC : count + 1 + SavedDC;
  if (level < 1 || level > count) return false;
  TDCState restored = std::move(Dc->Saved[static_cast<size_t>(level - 1)]);
  for (int i = level; i < count; ++i) ReleaseState(Dc->Saved[static_cast<size_t>(i)]);
  Dc->Saved.resize(static_cast<size_t>(level - 1));
  ReleaseState(Dc->S);  // the restored level's holds become the selections
  Dc->S = std::move(restored);
  Dc->InvalidateClip();
  return true;
}

int GetDeviceCaps(HDC Dc, int Index) {
  bool mono = Dc && Dc->Mono();
  switch (Index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case BITSPIXEL: return mono ? 1 : 32;
    case PLANES: return 1;
    case NUMCOLORS: return mono ? 2 : -1;
    case HORZRES: return !Dc ? 0 : Dc->Screen ? Dc->ScreenSize.cx : Dc->Surface().Width;
    case VERTRES: return !Dc ? 0 : Dc->Screen ? Dc->ScreenSize.cy : Dc->Surface().Height;
    default: return 0;
  }
}

// ---------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------

HGDIOBJ SelectObject(HDC Dc, HGDIOBJ Obj) {
  if (!Dc || !Obj) return nullptr;
  HGDIOBJ old = nullptr;
  switch (Obj->Kind) {
    case TGdiKind::Pen: old = Dc->S.Pen; Dc->S.Pen = static_cast<HPEN>(Obj); break;
    case TGdiKind::Brush: old = Dc->S.Brush; Dc->S.Brush = static_cast<HBRUSH>(Obj); break;
    case TGdiKind::Font: old = Dc->S.Font; Dc->S.Font = static_cast<HFONT>(Obj); break;
    case TGdiKind::Bitmap:
      if (!Dc->Memory) return nullptr;
      old = Dc->S.Bitmap;
      Dc->S.Bitmap = static_cast<HBITMAP>(Obj);
      Dc->InvalidateClip();
      break;
    case TGdiKind::Region:
      // Selecting a region sets the clip region to a copy of it.
      return SelectClipRgn(Dc, static_cast<HRGN>(Obj)) == ERROR ? nullptr : Obj;
    case TGdiKind::Palette:
      return nullptr;
  }
  if (old == Obj) return old;
  Hold(Obj);
  Release(old);
  return old;
}

HGDIOBJ GetCurrentObject(HDC Dc, int ObjType) {
  if (!Dc) return nullptr;
  switch (ObjType) {
    case OBJ_PEN: return Dc->S.Pen;
    case OBJ_BRUSH: return Dc->S.Brush;
    case OBJ_FONT: return Dc->S.Font;
    case OBJ_BITMAP: return Dc->S.Bitmap;
    default: return nullptr;
  }
}

bool DeleteObject(HGDIOBJ Obj) {
  if (!Obj) return false;
  if (Obj->Stock) return true;
  if (Obj->Holds > 0) {
    Obj->DeletePending = true;
    return true;
  }
  delete Obj;
  return true;
}

HGDIOBJ GetStockObject(int Index) {
  if (Index < 0 || Index > DEFAULT_GUI_FONT) return nullptr;
  return Stock().Objects[Index];
}

HBRUSH GetSysColorBrush(int Index) {
  if (Index < 0 || Index > COLOR_ENDCOLORS) return nullptr;
  return Stock().SysBrushes[Index];
}

HPEN CreatePen(int Style, int Width, COLORREF Color) {
  if (Style < 0 || Style > static_cast<int>(PS_INSIDEFRAME)) return nullptr;
  HPEN p = new TGdiPen;
  p->Log = {static_cast<unsigned>(Style), {std::max(Width, 1), 0}, Color};
  return p;
}

HPEN CreatePenIndirect(const LOGPEN* Log) {
  if (!Log) return nullptr;
  return CreatePen(static_cast<int>(Log->lopnStyle), Log->lopnWidth.X, Log->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF Color) {
  HBRUSH b = new TGdiBrush;
  b->Log = {BS_SOLID, Color, 0};
  return b;
}

HBRUSH CreateHatchBrush(int Hatch, COLORREF Color) {
  if (Hatch < 0 || Hatch > static_cast<int>(HS_DIAGCROSS)) return nullptr;
  HBRUSH b = new TGdiBrush;
  b->Log = {BS_HATCHED, Color, static_cast<uintptr_t>(Hatch)};
  return b;
}

HBRUSH CreatePatternBrush(HBITMAP Bitmap) {
  if (!Bitmap) return nullptr;
  HBRUSH b = new TGdiBrush;
  b->Log = {BS_PATTERN, 0, reinterpret_cast<uintptr_t>(Bitmap)};
  b->Pattern = std::make_shared<const TSurface>(Bitmap->Surface);
  return b;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* Log) {
  if (!Log) return nullptr;
  switch (Log->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(Log->lbColor);
    case BS_NULL: {
      HBRUSH b = new TGdiBrush;
      b->Log = {BS_NULL, Log->lbColor, 0};
      return b;
    }
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(Log->lbHatch), Log->lbColor);
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(Log->lbHatch));
    default: return nullptr;
  }
}

HFONT CreateFontIndirect(const LOGFONT* Log) {
  if (!Log) return nullptr;
  HFONT f = new TGdiFont;
  f->Log = *Log;
  f->Log.lfFaceName[LF_FACESIZE - 1] = 0;
  return f;
}

HFONT CreateFont(int Height, int Width, int Escapement, int Orientation, int Weight,
                 unsigned Italic, unsigned Underline, unsigned StrikeOut, unsigned CharSet,
                 unsigned OutPrecision, unsigned ClipPrecision, unsigned Quality,
                 unsigned PitchAndFamily, const char* FaceName) {
  LOGFONT lf;
  lf.lfHeight = Height;
  lf.lfWidth = Width;
  lf.lfEscapement = Escapement;
  lf.lfOrientation = Orientation;
  lf.lfWeight = Weight;
  lf.lfItalic = static_cast<uint8_t>(Italic != 0);
  lf.lfUnderline = static_cast<uint8_t>(Underline != 0);
  lf.lfStrikeOut = static_cast<uint8_t>(StrikeOut != 0);
  lf.lfCharSet = static_cast<uint8_t>(CharSet);
  lf.lfOutPrecision = static_cast<uint8_t>(OutPrecision);
  lf.lfClipPrecision = static_cast<uint8_t>(ClipPrecision);
  lf.lfQuality = static_cast<uint8_t>(Quality);
  lf.lfPitchAndFamily = static_cast<uint8_t>(PitchAndFamily);
  if (FaceName) std::strncpy(lf.lfFaceName, FaceName, LF_FACESIZE - 1);
  return CreateFontIndirect(&lf);
}

HBITMAP CreateCompatibleBitmap(HDC Dc, int Width, int Height) {
  // Like the OS: compatible with the bitmap now selected, so a fresh memory context
  // (1 x 1 monochrome) gives monochrome bitmaps.
  return NewBitmap(Width, Height, Dc && Dc->Memory && Dc->Mono());
}

HBITMAP CreateBlankBitmap(int Width, int Height) { return NewBitmap(Width, Height, false, true); }

HBITMAP CreateBitmap(int Width, int Height, unsigned, unsigned BitsPerPixel, const void* Bits) {
  bool mono = BitsPerPixel == 1;
  if (Bits && BitsPerPixel != 1 && BitsPerPixel != 32) return nullptr;
  HBITMAP b = NewBitmap(Width, Height, mono);
  if (!b || !Bits || Width == 0 || Height == 0) return b;
  TSurface& s = b->Surface;
  if (mono) {
    const auto* p = static_cast<const uint8_t*>(Bits);
    size_t stride = static_cast<size_t>((Width + 15) / 16 * 2);
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x) {
        bool bit = (p[static_cast<size_t>(y) * stride + static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1;
        s.Row(y)[x] = bit ? gdi::kWhite : gdi::kBlack;
      }
  } else {
    const auto* p = static_cast<const uint32_t*>(Bits);
    for (size_t i = 0; i < s.Bits.size(); ++i) s.Bits[i] = p[i] | 0xFF000000u;
  }
  return b;
}

bool GetObject(HPEN Pen, LOGPEN& Log) {
  if (!Pen) return false;
  Log = Pen->Log;
  return true;
}
bool GetObject(HBRUSH Brush, LOGBRUSH& Log) {
  if (!Brush) return false;
  Log = Brush->Log;
  return true;
}
bool GetObject(HFONT Font, LOGFONT& Log) {
  if (!Font) return false;
  Log = Font->Log;
  return true;
}
bool GetObject(HBITMAP Bitmap, BITMAP& Info) {
  if (!Bitmap) return false;
  const TSurface& s = Bitmap->Surface;
  Info = {};
  Info.bmWidth = s.Width;
  Info.bmHeight = s.Height;
  Info.bmBitsPixel = s.Mono ? 1 : 32;
  Info.bmWidthBytes = s.Mono ? (s.Width + 15) / 16 * 2 : s.Width * 4;
  return true;
}

HPALETTE CreatePalette(const LOGPALETTE* Log) {
  if (!Log || Log->palVersion != 0x300 || Log->palPalEntry.empty() || Log->palPalEntry.size() > 256) return nullptr;
  HPALETTE p = new TGdiPalette;
  p->Entries = Log->palPalEntry;
  return p;
}

bool GetObject(HPALETTE Palette, uint16_t& Count) {
  if (!Palette) return false;
  Count = static_cast<uint16_t>(Palette->Entries.size());
  return true;
}

unsigned GetPaletteEntries(HPALETTE Palette, unsigned Start, unsigned Count, PALETTEENTRY* Entries) {
  if (!Palette || !Entries || Start >= Palette->Entries.size()) return 0;
  unsigned n = std::min<unsigned>(Count, static_cast<unsigned>(Palette->Entries.size()) - Start);
  std::copy_n(Palette->Entries.begin() + Start, n, Entries);
  return n;
}

const TSurface& BitmapSurface(HBITMAP Bitmap) { return Bitmap->Surface; }

// ---------------------------------------------------------------------------
// Colours, modes, origins
// ---------------------------------------------------------------------------

COLORREF SetTextColor(HDC Dc, COLORREF Color) {
  if (!Dc) return CLR_INVALID;
  return std::exchange(Dc->S.TextColor, Color & 0xFFFFFF);
}
COLORREF GetTextColor(HDC Dc) { return Dc ? Dc->S.TextColor : CLR_INVALID; }
COLORREF SetBkColor(HDC Dc, COLORREF Color) {
  if (!Dc) return CLR_INVALID;
  return std::exchange(Dc->S.BkColor, Color & 0xFFFFFF);
}
COLORREF GetBkColor(HDC Dc) { return Dc ? Dc->S.BkColor : CLR_INVALID; }

int SetBkMode(HDC Dc, int Mode) {
  if (!Dc || (Mode != TRANSPARENT && Mode != OPAQUE)) return 0;
  return std::exchange(Dc->S.BkMode, Mode);
}
int GetBkMode(HDC Dc) { return Dc ? Dc->S.BkMode : 0; }

int SetROP2(HDC Dc, int Mode) {
  if (!Dc || Mode < R2_BLACK || Mode > R2_WHITE) return 0;
  return std::exchange(Dc->S.Rop2, Mode);
}
int GetROP2(HDC Dc) { return Dc ? Dc->S.Rop2 : 0; }

unsigned SetTextAlign(HDC Dc, unsigned Align) {
  if (!Dc) return 0xFFFFFFFFu;
  return std::exchange(Dc->S.TextAlign, Align);
}
unsigned GetTextAlign(HDC Dc) { return Dc ? Dc->S.TextAlign : 0xFFFFFFFFu; }

bool SetViewportOrgEx(HDC Dc, int X, int Y, TPoint* Old) {
  if (!Dc) return false;
  if (Old) *Old = Dc->S.ViewportOrg;
  Dc->S.ViewportOrg = {X, Y};
  return true;
}
bool GetViewportOrgEx(HDC Dc, TPoint* Org) {
  if (!Dc || !Org) return false;
  *Org = Dc->S.ViewportOrg;
  return true;
}
bool OffsetViewportOrgEx(HDC Dc, int Dx, int Dy, TPoint* Old) {
  if (!Dc) return false;
  if (Old) *Old = Dc->S.ViewportOrg;
  Dc->S.ViewportOrg.X += Dx;
  Dc->S.ViewportOrg.Y += Dy;
  return true;
}
bool SetWindowOrgEx(HDC Dc, int X, int Y, TPoint* Old) {
  if (!Dc) return false;
  if (Old) *Old = Dc->S.WindowOrg;
  Dc->S.WindowOrg = {X, Y};
  return true;
}
bool GetWindowOrgEx(HDC Dc, TPoint* Org) {
  if (!Dc || !Org) return false;
  *Org = Dc->S.WindowOrg;
  return true;
}
bool SetBrushOrgEx(HDC Dc, int X, int Y, TPoint* Old) {
  if (!Dc) return false;
  if (Old) *Old = Dc->S.BrushOrg;
  Dc->S.BrushOrg = {X, Y};
  return true;
}

// ---------------------------------------------------------------------------
// Clipping
// ---------------------------------------------------------------------------

int IntersectClipRect(HDC Dc, int Left, int Top, int Right, int Bottom) {
  if (!Dc) return ERROR;
  TRect r = ToDevice(Dc, Left, Top, Right, Bottom);
  Dc->S.Clip = gdi::RgnIntersect(Dc->S.HasClip ? Dc->S.Clip : std::vector<TRect>{kUnbounded}, r);
  Dc->S.HasClip = true;
  Dc->InvalidateClip();
  return ClipResult(Dc);
}

int ExcludeClipRect(HDC Dc, int Left, int Top, int Right, int Bottom) {
  if (!Dc) return ERROR;
  TRect r = ToDevice(Dc, Left, Top, Right, Bottom);
  Dc->S.Clip = gdi::RgnSubtract(Dc->S.HasClip ? Dc->S.Clip : std::vector<TRect>{kUnbounded}, r);
  Dc->S.HasClip = true;
  Dc->InvalidateClip();
  return ClipResult(Dc);
}

int SelectClipRgn(HDC Dc, HRGN Rgn) {
  if (!Dc) return ERROR;
  Dc->S.HasClip = Rgn != nullptr;
  Dc->S.Clip = Rgn ? Rgn->Rects : std::vector<TRect>{};
  Dc->InvalidateClip();
  return ClipResult(Dc);
}

int GetClipRgn(HDC Dc, HRGN Rgn) {
  if (!Dc || !Rgn) return -1;
  if (!Dc->S.HasClip) return 0;
  Rgn->Rects = Dc->S.Clip;
  return 1;
}

int GetClipBox(HDC Dc, TRect* R) {
  if (!Dc || !R) return ERROR;
  const std::vector<TRect>& clip = Dc->ClipRects();
  TRect box = gdi::RgnBox(clip);
  if (!clip.empty()) OffsetRect(box, -Dc->OffX(), -Dc->OffY());
  *R = box;
  return gdi::RgnType(clip);
}

bool PtVisible(HDC Dc, int X, int Y) {
  if (!Dc) return false;
  return gdi::InClip(Dc, gdi::SurfX(Dc, X), gdi::SurfY(Dc, Y));
}

bool RectVisible(HDC Dc, const TRect* R) {
  if (!Dc || !R) return false;
  TRect s = gdi::SurfRect(Dc, *R);
  TRect t;
  for (const TRect& c : Dc->ClipRects())
    if (IntersectRect(t, c, s)) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Pixel storage

namespace gdi {
namespace {
// From this size on a block is mapped on its own: its pages come zeroed and cost
// nothing until written, and freeing it gives them back at once.
constexpr std::size_t kMappedPixelBlock = std::size_t(128) << 10;
}  // namespace

void* AllocateZeroedPixels(std::size_t Bytes) {
  if (Bytes >= kMappedPixelBlock) {
    void* p = mmap(nullptr, Bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    return p;
  }
  void* p = std::calloc(Bytes ? Bytes : 1, 1);
  if (!p) throw std::bad_alloc();
  return p;
}

void SizeFreshPixels(TSurfaceBits& Bits, std::size_t N) {
  // Storage in use may hold old pixels past its size: those are checked one by one.
  if (Bits.capacity() != 0) {
    Bits.resize(N);
    return;
  }
  TRestore<bool> fresh(TPixelAllocator<uint32_t>::FreshBlock, true);
  Bits.resize(N);
}

void FreePixels(void* P, std::size_t Bytes) noexcept {
  if (!P) return;
  if (Bytes >= kMappedPixelBlock) munmap(P, Bytes);
  else std::free(P);
}
}  // namespace gdi
