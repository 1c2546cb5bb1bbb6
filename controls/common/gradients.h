#pragma once
// Free drawing routines shared by the framed controls: masked (transparent) bitmap
// drawing, tiling, centring and stretching of bitmaps, a two-colour gradient painter
// with ten directions, trapezoid geometry for bar meters, and painting a parent's
// background under a control drawn transparently.
//
// The routines keep no state. Each works on the canvas or device context it is
// given and frees every drawing object and work bitmap it made before it returns,
// also when an exception passes. A reversed rectangle (right left of left, bottom
// above top) is taken as its normalised form; an empty bitmap draws nothing.
#include <cstdint>

#include "platform/graphics/graphics.h"

class TControl;

// Gradient directions (ordinals 0..9 are stored in forms).
enum class TGradientDirection {
  gdDiagonalUp, gdDiagonalDown, gdHorizontalEnd, gdHorizontalCenter, gdHorizontalBox,
  gdVerticalEnd, gdVerticalCenter, gdVerticalBox, gdSquareBox, gdBigSquareBox
};
using enum TGradientDirection;
DTU_DECLARE_ENUM(TGradientDirection)

enum class TDirection { dirUp, dirDown, dirLeft, dirRight };
using enum TDirection;
DTU_DECLARE_ENUM(TDirection)

// ---------------------------------------------------------------------------
// Bitmaps
// ---------------------------------------------------------------------------

// Stretches Source of Bitmap to Dest and draws every pixel that is not
// TransparentColor (a system colour is resolved first).
void DrawFullTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& Dest, const TRect& Source,
                               TColor TransparentColor);
// The same through a monochrome mask: the mask is ANDed onto the canvas, then the
// picture with its transparent pixels blackened is ORed on. The canvas's CopyMode,
// text and background colours are as before afterwards.
void DrawTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& Dest, const TRect& Source,
                           TColor TransparentColor);
// Tiles from R's top-left corner, each tile drawn transparently; the last row and
// column of tiles are cut at R.
void TileTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R, TColor TransparentColor);
void StretchTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R, TColor TransparentColor);
// Tiles from R's top-left corner with the canvas's CopyMode.
void TileBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R);
// Tiles on a grid anchored at the canvas origin, so adjacent rectangles continue
// one pattern.
void TileRealizedBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R);
// Centres the bitmap on R, cut to R.
void CenterBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R);
void StretchBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R);
// Turns the bitmap upside down in place.
void FlipBitmap(TBitmap* Bitmap);

// ---------------------------------------------------------------------------
// Gradients
// ---------------------------------------------------------------------------

// Paints R with a gradient from StartColor to StopColor (system colours allowed):
// the End directions run from Start at the top or left edge to Stop at the far edge,
// the Center directions have Start at both edges and Stop in the middle, the Box
// directions Start at the border and Stop in the centre (widened by a quarter of the
// width, the height or both), gdDiagonalUp runs from the bottom-left to the
// top-right corner and gdDiagonalDown from the top-left to the bottom-right.
// Colors sets the shortest band: 1 (what every control passes) gives a band per
// distinct colour; above 8 a band is at least 255 div Colors + 1 pixels long
// (256 div Colors + 1 for the box directions), the last band of a pass excepted.
void PaintGradient(TCanvas* Canvas, const TRect& R, TGradientDirection Direction, TColor StartColor,
                   TColor StopColor, uint8_t Colors);

// The band painters PaintGradient uses, drawing into a device context from (0, 0).
enum class TGradientAxis { gaX, gaY };
using enum TGradientAxis;
// Straight bands along Axis over an 8-pixel strip (columns 0..7 for gaY, rows 0..7
// for gaX), Size pixels long. Pos < 0 runs from Start at 0 to Stop at Size - 1; else
// Start at 0 and Size - 1 and Stop at Pos (the position on the axis; the other
// coordinate is not used).
void FillGrad(HDC DC, TGradientAxis Axis, int X, int Y, int Size, COLORREF StartColor, COLORREF StopColor,
              uint8_t Colors);
// Box bands in the top-left quarter of Width x Height: columns 0..(Width-1) div 2,
// rows 0..(Height-1) div 2, Stop at the inner corner (widened by the insets), Start
// at the outer edges. A box under 5 pixels either way, or Start = Stop, is filled
// with Start.
void FillGradRect(HDC DC, int Width, int Height, int InsetX, int InsetY, COLORREF StartColor,
                  COLORREF StopColor, uint8_t Colors);
// Diagonal bands over |Width| x Height: Start at the bottom-left, Stop at the top-right
// corner; a negative Width mirrors the picture and swaps the colours (Start at the
// top-left, Stop at the bottom-right).
void FillGradDiag(HDC DC, int Width, int Height, COLORREF StartColor, COLORREF StopColor, uint8_t Colors);
// Fills Width x Height at (X, Y) by doubling the painted SeedWidth x SeedHeight block
// at (X, Y) onto itself.
void BitFillBlit(HDC DC, int X, int Y, int Width, int Height, int SeedWidth, int SeedHeight, uint32_t Rop);
// Mirrors the top-left quarter of Width x Height at (X, Y) (columns and rows up to
// the middle one) into the other three, so the picture is four-fold symmetric.
void BoxBitMirrorBlit(HDC DC, int X, int Y, int Width, int Height, uint32_t Rop);

// ---------------------------------------------------------------------------
// Trapezoids
// ---------------------------------------------------------------------------

// P0 top-left, P1 top-right, P2 bottom-right, P3 bottom-left.
struct TTrap {
  TPoint P0, P1, P2, P3;
  bool operator==(const TTrap&) const = default;
};
enum class TTrapShape { tsLeft, tsCenter, tsRight };
enum class TTrapDirect { tdLargeToSmall, tdSmallToLarge };
enum class TTrapBevelStyle { bsNone, bsLowered, bsRaised };
using enum TTrapShape;
using enum TTrapDirect;

// A trapezoid filling Rect whose short side (Size long, at most the side) sits at
// the Shape position; Direction and TrapDirect choose which end is short.
void SetTrapezoid(TTrap& Trap, const TRect& Rect, int Size, TTrapShape Shape, TDirection Direction,
                  TTrapDirect TrapDirect);
// Cuts Trap to Rect along its long axis (up/down: at Rect.Top and Rect.Bottom;
// left/right: at Rect.Left and Rect.Right).
void AdjustTrapezoid(const TTrap& Trap, const TRect& Rect, TDirection Direction, TTrap& Result);
// The point of the edge P1-P2 (or its extension) on the line through Q across the
// axis: y = Q.y for up/down, x = Q.x for left/right. An edge without extent along
// the axis has no slope to follow; the point then takes P2's other coordinate.
void Intersect(const TPoint& P1, const TPoint& P2, const TPoint& Q, TPoint& R, TDirection Direction);
void InflateTrapezoid(TTrap& Trap, int N);
// A bevel of Width rings along the trapezoid's edges (TTrapBevelStyle::bsLowered:
// light right and bottom, shadow left and top; otherwise the reverse). The canvas's
// pen is as before afterwards.
void DrawTrapezoidBorder(TCanvas* Canvas, const TTrap& Trap, TTrapBevelStyle Style, int Width);

// ---------------------------------------------------------------------------
// Parent background
// ---------------------------------------------------------------------------

// Paints the part of Control's parent that lies under Control into DC (in
// Control's coordinates): the parent's background, then the parent's own painting.
// A call reached again from inside that painting for the same parent returns at
// once. With InvalidateParent, a control on a parent that is neither a custom
// control nor a form also invalidates that parent (not while designing).
void DrawParentImage(TControl* Control, HDC DC, bool InvalidateParent = false);
void DrawParentImage(TControl* Control, TCanvas* Dest, bool InvalidateParent = false);
