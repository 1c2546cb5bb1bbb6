#pragma once
// The device-context API the system paints with, under the OS names it was written
// for (HDC, SelectObject, BitBlt, DrawText, DrawEdge ...). A device context draws
// into a pixel surface that this layer owns, never onto a window, so every pixel can
// be read back. All non-text drawing is rasterised here with the old rules: a line
// leaves out its end point, right and bottom edges are exclusive. Text goes through
// the font engine in text.cpp. The rule chosen where the old behaviour is only
// implied is written beside the code that applies it.
//
// Handles are pointers to the objects below. Objects are created by the Create*
// functions and freed by DeleteObject; an object still selected into a device
// context (or held by a SaveDC level) is freed when it is let go. Stock objects are
// never freed. The functions are meant for the GUI thread; separate device contexts
// over separate bitmaps may be used from other threads.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/colors.h"
#include "platform/graphics/types.h"

// ---------------------------------------------------------------------------
// Logical object descriptions
// ---------------------------------------------------------------------------

constexpr int LF_FACESIZE = 32;

struct LOGPEN {
  unsigned lopnStyle = 0;
  TPoint lopnWidth;  // X is the width
  COLORREF lopnColor = 0;
};

struct LOGBRUSH {
  unsigned lbStyle = 0;
  COLORREF lbColor = 0;
  uintptr_t lbHatch = 0;  // hatch style, or the HBITMAP of a pattern brush
};

// A font request. lfFaceName holds GBK text.
struct LOGFONT {
  int lfHeight = 0;       // < 0: character (em) height in pixels; > 0: cell height
  int lfWidth = 0;        // ignored: glyphs keep their own proportions
  int lfEscapement = 0;   // text angle in tenths of a degree, counter-clockwise
  int lfOrientation = 0;
  int lfWeight = 0;       // 0 or 400 normal, 700 bold
  uint8_t lfItalic = 0;
  uint8_t lfUnderline = 0;
  uint8_t lfStrikeOut = 0;
  uint8_t lfCharSet = 0;
  uint8_t lfOutPrecision = 0;
  uint8_t lfClipPrecision = 0;
  uint8_t lfQuality = 0;
  uint8_t lfPitchAndFamily = 0;
  char lfFaceName[LF_FACESIZE] = {};
};
using LOGFONTA = LOGFONT;

struct TEXTMETRIC {
  int tmHeight = 0;
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
  int tmWeight = 0;
  int tmOverhang = 0;
  int tmDigitizedAspectX = 96;
  int tmDigitizedAspectY = 96;
  uint8_t tmFirstChar = 0x20;
  uint8_t tmLastChar = 0xFF;
  uint8_t tmDefaultChar = '?';
  uint8_t tmBreakChar = ' ';
  uint8_t tmItalic = 0;
  uint8_t tmUnderlined = 0;
  uint8_t tmStruckOut = 0;
  uint8_t tmPitchAndFamily = 0;
  uint8_t tmCharSet = 0;
};
using TEXTMETRICA = TEXTMETRIC;

// One colour of a palette.
struct PALETTEENTRY {
  uint8_t peRed = 0;
  uint8_t peGreen = 0;
  uint8_t peBlue = 0;
  uint8_t peFlags = 0;
  bool operator==(const PALETTEENTRY&) const = default;
};

// A palette description: version 0x300 and its entries.
struct LOGPALETTE {
  uint16_t palVersion = 0x300;
  std::vector<PALETTEENTRY> palPalEntry;
};

struct BITMAP {
  int bmType = 0;
  int bmWidth = 0;
  int bmHeight = 0;
  int bmWidthBytes = 0;
  uint16_t bmPlanes = 1;
  uint16_t bmBitsPixel = 0;
  void* bmBits = nullptr;
};

// ---------------------------------------------------------------------------
// Objects and handles
// ---------------------------------------------------------------------------

namespace gdi {
// Storage for pixels that starts zeroed. Large blocks are fresh pages from the
// system, which take memory only once written: the parts of a window's back buffer
// that its child windows cover are never written and so never resident.
void* AllocateZeroedPixels(std::size_t Bytes);
void FreePixels(void* P, std::size_t Bytes) noexcept;

template <class T>
struct TPixelAllocator {
  using value_type = T;
  TPixelAllocator() = default;
  template <class U>
  TPixelAllocator(const TPixelAllocator<U>&) noexcept {}
  T* allocate(std::size_t N) { return static_cast<T*>(AllocateZeroedPixels(N * sizeof(T))); }
  void deallocate(T* P, std::size_t N) noexcept { FreePixels(P, N * sizeof(T)); }
  // A value-initialised element is written only where the storage is not zero
  // already, so that sizing a fresh block touches none of its pages. While
  // FreshBlock is set (SizeFreshPixels), the storage is known to be a block just
  // handed out zeroed, and is not even read: a read maps each page once more.
  template <class U>
  void construct(U* P) noexcept {
    if (FreshBlock) return;
    if (!(*P == U())) ::new (static_cast<void*>(P)) U();
  }
  static inline thread_local bool FreshBlock = false;
  template <class U, class... A>
  void construct(U* P, A&&... Args) {
    ::new (static_cast<void*>(P)) U(std::forward<A>(Args)...);
  }
  template <class U>
  bool operator==(const TPixelAllocator<U>&) const noexcept { return true; }
  template <class U>
  bool operator!=(const TPixelAllocator<U>&) const noexcept { return false; }
};
}  // namespace gdi

using TSurfaceBits = std::vector<uint32_t, gdi::TPixelAllocator<uint32_t>>;

namespace gdi {
// Sizes storage to N zero pixels; storage that has none yet takes a fresh block
// whose pages stay untouched until drawn on.
void SizeFreshPixels(TSurfaceBits& Bits, std::size_t N);
}  // namespace gdi

// The pixels of a bitmap: rows top-down, one 32-bit word per pixel, 0xFFRRGGBB
// (the layout of a 32-bit RGB image, so the window layer can show a back buffer
// without converting it). A monochrome surface holds only 0xFF000000 (black, bit 0)
// and 0xFFFFFFFF (white, bit 1).
struct TSurface {
  int Width = 0;
  int Height = 0;
  bool Mono = false;
  TSurfaceBits Bits;
  uint32_t* Row(int Y) { return Bits.data() + static_cast<size_t>(Y) * static_cast<size_t>(Width); }
  const uint32_t* Row(int Y) const { return Bits.data() + static_cast<size_t>(Y) * static_cast<size_t>(Width); }
};

enum class TGdiKind : uint8_t { Pen = 1, Brush, Font, Bitmap, Region, Palette };

// Base of every drawing object. The bookkeeping fields belong to the functions
// below; callers treat the objects as opaque handles.
struct TGdiObject {
  virtual ~TGdiObject() = default;
  const TGdiKind Kind;
  int Holds = 0;               // selections into device contexts and SaveDC levels
  bool DeletePending = false;  // DeleteObject came while it was held
  bool Stock = false;
protected:
  explicit TGdiObject(TGdiKind K) : Kind(K) {}
};

struct TGdiPen final : TGdiObject {
  TGdiPen() : TGdiObject(TGdiKind::Pen) {}
  LOGPEN Log;
};

struct TGdiBrush final : TGdiObject {
  TGdiBrush() : TGdiObject(TGdiKind::Brush) {}
  LOGBRUSH Log;
  std::shared_ptr<const TSurface> Pattern;  // a copy of the pattern bitmap (BS_PATTERN)
};

struct TFontEngine;  // the font's glyph source, built on first use (text.cpp)
struct TGdiFont final : TGdiObject {
  TGdiFont() : TGdiObject(TGdiKind::Font) {}
  LOGFONT Log;
  std::shared_ptr<TFontEngine> Engine;
};

struct TGdiBitmap final : TGdiObject {
  TGdiBitmap() : TGdiObject(TGdiKind::Bitmap) {}
  TSurface Surface;
};

// A region: disjoint rectangles in device coordinates.
struct TGdiRegion final : TGdiObject {
  TGdiRegion() : TGdiObject(TGdiKind::Region) {}
  std::vector<TRect> Rects;
};

// A logical palette: the colour table of an indexed bitmap. Surfaces are true
// colour, so no palette is ever realised on a device context: a palette is the
// picture's data, kept so that the picture is written back as it was read.
struct TGdiPalette final : TGdiObject {
  TGdiPalette() : TGdiObject(TGdiKind::Palette) {}
  std::vector<PALETTEENTRY> Entries;
};

struct TDeviceContext;  // device-context state (gdi_internal.h)

using HGDIOBJ = TGdiObject*;
using HPEN = TGdiPen*;
using HBRUSH = TGdiBrush*;
using HFONT = TGdiFont*;
using HBITMAP = TGdiBitmap*;
using HRGN = TGdiRegion*;
using HPALETTE = TGdiPalette*;
using HDC = TDeviceContext*;

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

// Pen styles. Styles other than solid apply to one-pixel pens only; wider pens are
// drawn solid.
constexpr unsigned PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4,
                   PS_NULL = 5, PS_INSIDEFRAME = 6;
// Brush styles and hatches.
constexpr unsigned BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1, BS_HATCHED = 2, BS_PATTERN = 3;
constexpr unsigned HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3,
                   HS_CROSS = 4, HS_DIAGCROSS = 5;
// Stock objects.
constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3,
              BLACK_BRUSH = 4, NULL_BRUSH = 5, HOLLOW_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7,
              NULL_PEN = 8, SYSTEM_FONT = 13, DEFAULT_GUI_FONT = 17;
// GetCurrentObject.
constexpr int OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_FONT = 6, OBJ_BITMAP = 7;
// Background modes.
constexpr int TRANSPARENT = 1, OPAQUE = 2;
// Pen mix modes (SetROP2).
constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4,
              R2_MASKPENNOT = 5, R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9,
              R2_NOTXORPEN = 10, R2_NOP = 11, R2_MERGENOTPEN = 12, R2_COPYPEN = 13,
              R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;
// Raster operations (BitBlt, StretchBlt, PatBlt): bits 16..23 are the truth table
// over pattern (P), source (S) and destination (D).
constexpr uint32_t SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
                   SRCINVERT = 0x00660046, SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008,
                   NOTSRCERASE = 0x001100A6, MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226,
                   PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
                   DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;
// Region results and CombineRgn modes.
constexpr int ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
// GetDeviceCaps.
constexpr int HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14, NUMCOLORS = 24,
              LOGPIXELSX = 88, LOGPIXELSY = 90;
// Text alignment (SetTextAlign).
constexpr unsigned TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6,
                   TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24, TA_RTLREADING = 256;
// ExtTextOut options.
constexpr unsigned ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_RTLREADING = 0x80;
// DrawText formats.
constexpr unsigned DT_TOP = 0, DT_LEFT = 0, DT_CENTER = 1, DT_RIGHT = 2, DT_VCENTER = 4,
                   DT_BOTTOM = 8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20,
                   DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80, DT_NOCLIP = 0x100,
                   DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
                   DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000, DT_PATH_ELLIPSIS = 0x4000,
                   DT_END_ELLIPSIS = 0x8000, DT_RTLREADING = 0x20000, DT_HIDEPREFIX = 0x100000;
// Font weights, character sets, pitch and family.
constexpr int FW_DONTCARE = 0, FW_NORMAL = 400, FW_BOLD = 700;
constexpr uint8_t ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2,
                  SHIFTJIS_CHARSET = 128, HANGEUL_CHARSET = 129, GB2312_CHARSET = 134,
                  CHINESEBIG5_CHARSET = 136, OEM_CHARSET = 255, JOHAB_CHARSET = 130,
                  HEBREW_CHARSET = 177, ARABIC_CHARSET = 178, GREEK_CHARSET = 161,
                  TURKISH_CHARSET = 162, VIETNAMESE_CHARSET = 163, THAI_CHARSET = 222,
                  EASTEUROPE_CHARSET = 238, RUSSIAN_CHARSET = 204, MAC_CHARSET = 77,
                  BALTIC_CHARSET = 186;
constexpr uint8_t DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2;
constexpr uint8_t FF_DONTCARE = 0x00, FF_ROMAN = 0x10, FF_SWISS = 0x20, FF_MODERN = 0x30,
                  FF_SCRIPT = 0x40, FF_DECORATIVE = 0x50;
// tmPitchAndFamily bits (TMPF_FIXED_PITCH set means a variable-pitch font).
constexpr uint8_t TMPF_FIXED_PITCH = 1, TMPF_VECTOR = 2, TMPF_TRUETYPE = 4, TMPF_DEVICE = 8;
// EnumFontFamilies font types.
constexpr int RASTER_FONTTYPE = 1, DEVICE_FONTTYPE = 2, TRUETYPE_FONTTYPE = 4;
// DrawEdge.
constexpr unsigned BDR_RAISEDOUTER = 1, BDR_SUNKENOUTER = 2, BDR_RAISEDINNER = 4,
                   BDR_SUNKENINNER = 8, BDR_OUTER = 3, BDR_INNER = 0xC, BDR_RAISED = 5,
                   BDR_SUNKEN = 0xA;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
                   EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
                   EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
                   EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 1, BF_TOP = 2, BF_RIGHT = 4, BF_BOTTOM = 8, BF_TOPLEFT = 3,
                   BF_TOPRIGHT = 6, BF_BOTTOMLEFT = 9, BF_BOTTOMRIGHT = 12, BF_RECT = 15,
                   BF_DIAGONAL = 0x10, BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000,
                   BF_FLAT = 0x4000, BF_MONO = 0x8000;
// DrawFrameControl.
constexpr unsigned DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4;
constexpr unsigned DFCS_BUTTONCHECK = 0, DFCS_BUTTONRADIOIMAGE = 1, DFCS_BUTTONRADIOMASK = 2,
                   DFCS_BUTTONRADIO = 4, DFCS_BUTTON3STATE = 8, DFCS_BUTTONPUSH = 0x10;
constexpr unsigned DFCS_SCROLLUP = 0, DFCS_SCROLLDOWN = 1, DFCS_SCROLLLEFT = 2,
                   DFCS_SCROLLRIGHT = 3, DFCS_SCROLLCOMBOBOX = 5;
constexpr unsigned DFCS_MENUARROW = 0, DFCS_MENUCHECK = 1, DFCS_MENUBULLET = 2;
constexpr unsigned DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400,
                   DFCS_TRANSPARENT = 0x800, DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000,
                   DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000;

// ---------------------------------------------------------------------------
// Device contexts
// ---------------------------------------------------------------------------

// A memory device context; its default bitmap is 1 x 1 monochrome until a bitmap is
// selected. The argument is accepted for the callers' sake and not used.
HDC CreateCompatibleDC(HDC Dc);
// The screen's device context (the window layer's GetDC(0)): it measures text and
// answers GetDeviceCaps like a window's context, with HORZRES / VERTRES the screen's
// Width and Height. What is drawn on it goes nowhere, and selecting a bitmap fails.
HDC CreateScreenDC(int Width, int Height);
// A device context over a window's back buffer, for the window layer's GetDC and
// BeginPaint: device (0, 0) is Origin in Surface, drawing is limited to Visible
// (device coordinates; nullptr = the whole surface). Selecting a bitmap into it fails.
HDC CreateSurfaceDC(HBITMAP Surface, TPoint Origin, HRGN Visible);
bool DeleteDC(HDC Dc);
// Saves the whole state (objects, colours, modes, origins, clip); returns the new
// level (1, 2, ...), 0 on failure. RestoreDC(n > 0) returns to level n, (n < 0) to
// the level |n| steps back; unknown levels fail and change nothing.
int SaveDC(HDC Dc);
bool RestoreDC(HDC Dc, int SavedDC);
int GetDeviceCaps(HDC Dc, int Index);

HGDIOBJ SelectObject(HDC Dc, HGDIOBJ Obj);  // the previous object; nullptr on failure
HGDIOBJ GetCurrentObject(HDC Dc, int ObjType);
bool DeleteObject(HGDIOBJ Obj);
HGDIOBJ GetStockObject(int Index);
// One brush per system colour, never freed.
HBRUSH GetSysColorBrush(int Index);

COLORREF SetTextColor(HDC Dc, COLORREF Color);  // the previous colour
COLORREF GetTextColor(HDC Dc);
COLORREF SetBkColor(HDC Dc, COLORREF Color);
COLORREF GetBkColor(HDC Dc);
int SetBkMode(HDC Dc, int Mode);  // TRANSPARENT or OPAQUE; the previous mode, 0 on failure
int GetBkMode(HDC Dc);
int SetROP2(HDC Dc, int Mode);
int GetROP2(HDC Dc);
unsigned SetTextAlign(HDC Dc, unsigned Align);
unsigned GetTextAlign(HDC Dc);

// Logical coordinates map to device ones as device = logical - window origin +
// viewport origin.
bool SetViewportOrgEx(HDC Dc, int X, int Y, TPoint* Old);
bool GetViewportOrgEx(HDC Dc, TPoint* Org);
bool OffsetViewportOrgEx(HDC Dc, int Dx, int Dy, TPoint* Old);
bool SetWindowOrgEx(HDC Dc, int X, int Y, TPoint* Old);
bool GetWindowOrgEx(HDC Dc, TPoint* Org);
// Brush patterns and hatches are aligned to the brush origin (device coordinates).
bool SetBrushOrgEx(HDC Dc, int X, int Y, TPoint* Old);

// ---------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------

HPEN CreatePen(int Style, int Width, COLORREF Color);
HPEN CreatePenIndirect(const LOGPEN* Log);
HBRUSH CreateSolidBrush(COLORREF Color);
HBRUSH CreateHatchBrush(int Hatch, COLORREF Color);
// The brush keeps a copy of the bitmap's pixels; a monochrome pattern takes the
// device context's text (0 bits) and background (1 bits) colours when used.
HBRUSH CreatePatternBrush(HBITMAP Bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* Log);
HFONT CreateFontIndirect(const LOGFONT* Log);
HFONT CreateFont(int Height, int Width, int Escapement, int Orientation, int Weight,
                 unsigned Italic, unsigned Underline, unsigned StrikeOut, unsigned CharSet,
                 unsigned OutPrecision, unsigned ClipPrecision, unsigned Quality,
                 unsigned PitchAndFamily, const char* FaceName);
// A colour bitmap (32 bits per pixel) unless Dc's bitmap is monochrome; zero size
// gives a 1 x 1 monochrome bitmap. New pixels are black.
HBITMAP CreateCompatibleBitmap(HDC Dc, int Width, int Height);
// BitsPerPixel 1 gives a monochrome bitmap, anything else a colour one. Bits, when
// given, holds rows of 32-bit 0x00RRGGBB words (colour) or 16-bit-aligned bit rows
// (monochrome, most significant bit first).
HBITMAP CreateBitmap(int Width, int Height, unsigned Planes, unsigned BitsPerPixel, const void* Bits);
// A colour bitmap whose pixels start as zero words rather than black and take
// memory only where they are drawn (the window layer's back buffers).
HBITMAP CreateBlankBitmap(int Width, int Height);

bool GetObject(HPEN Pen, LOGPEN& Log);
bool GetObject(HBRUSH Brush, LOGBRUSH& Log);
bool GetObject(HFONT Font, LOGFONT& Log);
bool GetObject(HBITMAP Bitmap, BITMAP& Info);

// Palettes (1 to 256 entries, version 0x300; anything else gives nullptr). They
// are freed by DeleteObject; SelectObject refuses them.
HPALETTE CreatePalette(const LOGPALETTE* Log);
// The number of entries; false for a handle that is not a palette.
bool GetObject(HPALETTE Palette, uint16_t& Count);
// Copies up to Count entries from Start into Entries; the number copied (0 for a
// handle that is not a palette or a start past the end).
unsigned GetPaletteEntries(HPALETTE Palette, unsigned Start, unsigned Count, PALETTEENTRY* Entries);

// Regions (device coordinates).
HRGN CreateRectRgn(int Left, int Top, int Right, int Bottom);
HRGN CreateRectRgnIndirect(const TRect* R);
// The pixels Polygon fills with its brush for these points (alternate rule), in
// device coordinates.
HRGN CreatePolygonRgn(const TPoint* Points, int Count);
bool SetRectRgn(HRGN Rgn, int Left, int Top, int Right, int Bottom);
// Dst := A op B (B unused for RGN_COPY); Dst may be A or B. Returns the region type.
int CombineRgn(HRGN Dst, HRGN A, HRGN B, int Mode);
int OffsetRgn(HRGN Rgn, int Dx, int Dy);
int GetRgnBox(HRGN Rgn, TRect* R);
bool PtInRegion(HRGN Rgn, int X, int Y);
bool RectInRegion(HRGN Rgn, const TRect* R);

// ---------------------------------------------------------------------------
// Clipping (rectangles in logical coordinates, held in device coordinates)
// ---------------------------------------------------------------------------

int IntersectClipRect(HDC Dc, int Left, int Top, int Right, int Bottom);
int ExcludeClipRect(HDC Dc, int Left, int Top, int Right, int Bottom);
// Replaces the clip region with a copy of Rgn (device coordinates); nullptr removes it.
int SelectClipRgn(HDC Dc, HRGN Rgn);
// Copies the clip region into Rgn: 1 when there is one, 0 when none, -1 on error.
int GetClipRgn(HDC Dc, HRGN Rgn);
// The bounding box of what can be drawn (clip, visible area and surface), logical.
int GetClipBox(HDC Dc, TRect* R);
bool PtVisible(HDC Dc, int X, int Y);
bool RectVisible(HDC Dc, const TRect* R);

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

bool MoveToEx(HDC Dc, int X, int Y, TPoint* Old);
bool GetCurrentPositionEx(HDC Dc, TPoint* Pos);
bool LineTo(HDC Dc, int X, int Y);
bool Polyline(HDC Dc, const TPoint* Points, int Count);
bool Polygon(HDC Dc, const TPoint* Points, int Count);
bool Rectangle(HDC Dc, int Left, int Top, int Right, int Bottom);
bool Ellipse(HDC Dc, int Left, int Top, int Right, int Bottom);
int FillRect(HDC Dc, const TRect* R, HBRUSH Brush);
// FillRect in one solid colour without a brush object, for callers that fill many
// rectangles of different colours in a row (gradient bands).
int FillSolidRect(HDC Dc, const TRect* R, COLORREF Color);
// Pixels computed by the caller, written row by row into R (logical): Row(Y, X,
// Count, Pixels) gets, for each row of R that can show, its columns X .. X + Count - 1
// (Y and X counted from R's top-left corner) and sets Count pixels 0xFFRRGGBB (a
// colour surface's layout; a monochrome surface takes the nearer of black and white
// afterwards). Rows the drawable area shows whole are written in place, without a
// copy; only the drawable part of the others reaches the surface. Row must not draw
// on Dc.
using TRowPainter = std::function<void(int Y, int X, int Count, uint32_t* Pixels)>;
bool PaintRows(HDC Dc, const TRect& R, const TRowPainter& Row);
int FrameRect(HDC Dc, const TRect* R, HBRUSH Brush);
bool InvertRect(HDC Dc, const TRect* R);
bool DrawFocusRect(HDC Dc, const TRect* R);
COLORREF GetPixel(HDC Dc, int X, int Y);
COLORREF SetPixel(HDC Dc, int X, int Y, COLORREF Color);
bool SetPixelV(HDC Dc, int X, int Y, COLORREF Color);

bool PatBlt(HDC Dc, int X, int Y, int Width, int Height, uint32_t Rop);
bool BitBlt(HDC Dst, int X, int Y, int Width, int Height, HDC Src, int SrcX, int SrcY, uint32_t Rop);
bool StretchBlt(HDC Dst, int X, int Y, int Width, int Height, HDC Src, int SrcX, int SrcY,
                int SrcWidth, int SrcHeight, uint32_t Rop);

// StretchBlt that copies only the source pixels whose colour is not Transparent
// (compared before any conversion), with the same stretching and mirroring.
bool TransparentBlt(HDC Dst, int X, int Y, int Width, int Height, HDC Src, int SrcX, int SrcY,
                    int SrcWidth, int SrcHeight, COLORREF Transparent);

bool DrawEdge(HDC Dc, TRect* R, unsigned Edge, unsigned Flags);
bool DrawFrameControl(HDC Dc, TRect* R, unsigned Type, unsigned State);

// ---------------------------------------------------------------------------
// Text (GBK bytes; Count -1 = up to the terminating zero)
// ---------------------------------------------------------------------------

bool TextOut(HDC Dc, int X, int Y, const char* Str, int Count);
bool ExtTextOut(HDC Dc, int X, int Y, unsigned Options, const TRect* R, const char* Str,
                int Count, const int* Dx);
int DrawText(HDC Dc, const char* Str, int Count, TRect* R, unsigned Format);
inline int DrawTextA(HDC Dc, const char* Str, int Count, TRect* R, unsigned Format) {
  return DrawText(Dc, Str, Count, R, Format);
}
bool GetTextExtentPoint32(HDC Dc, const char* Str, int Count, TSize* Size);
bool GetTextMetrics(HDC Dc, TEXTMETRIC* Tm);
// Returns (height << 16) | width of the text drawn, 0 on failure.
int32_t TabbedTextOut(HDC Dc, int X, int Y, const char* Str, int Count, int TabCount,
                   const int* TabStops, int TabOrigin);
uint32_t GetTabbedTextExtent(HDC Dc, const char* Str, int Count, int TabCount, const int* TabStops);

// Font families offered to font lists: the names this system knows (each shown by
// an installed substitute) and the installed families. The callback gets a LOGFONT
// (face name, charset, pitch), its TEXTMETRIC and the font type; returning 0 stops.
using TFontEnumProc = std::function<int(const LOGFONT& Lf, const TEXTMETRIC& Tm, int FontType)>;
int EnumFontFamilies(HDC Dc, const char* Family, const TFontEnumProc& Proc);

// ---------------------------------------------------------------------------
// Images
// ---------------------------------------------------------------------------

// The bitmap's pixels (for the window layer and for tests).
const TSurface& BitmapSurface(HBITMAP Bitmap);
// Writes the bitmap as a PNG file; EFCreateError when the file cannot be written.
void SaveBitmapToPng(HBITMAP Bitmap, const std::string& FileName);
