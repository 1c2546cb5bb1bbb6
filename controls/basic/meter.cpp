// TQvMeter.
#include "controls/basic/meter.h"

#include <algorithm>
#include <string>

#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TQvMeterType, "mtNormal", "mtBar3D", "mtLED")
DTU_DEFINE_ENUM(TQvMeterShape, "msRectangular", "msTrapezoidal")
DTU_DEFINE_ENUM(TTrapShape, "tsLeft", "tsCenter", "tsRight")
DTU_DEFINE_ENUM(TTrapDirect, "tdLargeToSmall", "tdSmallToLarge")

int MeterBarEdge(int64_t F, int64_t D, int Start, int End) {
  if (D == 0) return Start;
  int64_t e = F * End / D;
  return static_cast<int>(std::clamp<int64_t>(e, std::min(Start, End), std::max(Start, End)));
}

TQvMeter::TQvMeter(TComponent* AOwner) : TQvBorder(AOwner), FBitmap(std::make_unique<TBitmap>()) {
  FControlStyle << csOpaque << csFramed;
  SetBorderOuter(fsStatus);
  SetBounds(Left(), Top(), 150, 30);
  SetColor(clWindow);
  FBitmap->OnChange = [this](TObject*) { Invalidate(); };
}

TQvMeter::~TQvMeter() { FBitmap->OnChange = nullptr; }

// While a form is read the three values are stored as they come; Loaded then keeps
// Min and Max apart and Value within them once, whatever order the lines had.
void TQvMeter::SetMin(int Value) {
  if (ComponentState().Contains(csReading)) {
    FMin = Value;
    FMinRead = true;
    return;
  }
  if (FMin == Value) return;
  FMin = Value == FMax ? FMax - 1 : Value;
  ClampValue();
  Invalidate();
}

void TQvMeter::SetMax(int Value) {
  if (ComponentState().Contains(csReading)) {
    FMax = Value;
    return;
  }
  if (FMax == Value) return;
  FMax = Value == FMin ? FMin + 1 : Value;
  ClampValue();
  Invalidate();
}

void TQvMeter::SetValue(int Value) {
  if (ComponentState().Contains(csReading)) {
    FValue = Value;
    return;
  }
  if (FValue == Value) return;
  FValue = Value;
  ClampValue();
  Invalidate();
}

// Value within Min..Max, the one rule the setters and Loaded share, so a meter never
// holds a value a form would read back otherwise. With Min above Max no value lies
// within: Min is the one kept (clamping it again gives it again).
void TQvMeter::ClampValue() {
  if (FValue > FMax) FValue = FMax;
  if (FValue < FMin) FValue = FMin;
}

void TQvMeter::Loaded() {
  inherited::Loaded();
  // A Min read equal to Max moves below it, as its setter would; a Max alone that
  // meets the starting Min moves above it.
  if (FMin == FMax) {
    if (FMinRead) FMin = FMax - 1;
    else FMax = FMin + 1;
  }
  FMinRead = false;
  ClampValue();
  Invalidate();
}

void TQvMeter::AddValue(int Delta) {
  SetValue(static_cast<int>(std::clamp<int64_t>(int64_t(FValue) + Delta, INT32_MIN, INT32_MAX)));
  Invalidate();
}

#define QV_METER_SETTER(Name, Type, Field) \
  void TQvMeter::Set##Name(Type Value) {   \
    if (Field == Value) return;            \
    Field = Value;                         \
    Invalidate();                          \
  }
QV_METER_SETTER(BarColor, TColor, FBarColor)
QV_METER_SETTER(BackColor, TColor, FBackColor)
QV_METER_SETTER(MeterType, TQvMeterType, FMeterType)
QV_METER_SETTER(MeterShape, TQvMeterShape, FMeterShape)
QV_METER_SETTER(TrapDirect, TTrapDirect, FTrapezoidDir)
QV_METER_SETTER(TrapShape, TTrapShape, FTrapezoidShape)
QV_METER_SETTER(TrapMin, int, FTrapezoidMin)
QV_METER_SETTER(Direction, TDirection, FDirection)
QV_METER_SETTER(Brush, TBrushStyle, FBrushStyle)
QV_METER_SETTER(ShowPercent, bool, FShowPercent)
QV_METER_SETTER(SegSpacing, uint8_t, FSegSpacing)
QV_METER_SETTER(SegOffColor, TColor, FSegOffColor)
#undef QV_METER_SETTER

void TQvMeter::SetBitmap(TBitmap* Value) { FBitmap->Assign(Value); }

int TQvMeter::GetPercent() {
  int64_t d = int64_t(FMax) - FMin;
  if (d == 0) return 0;
  return static_cast<int>((int64_t(FValue) - FMin) * 100 / d);
}

uint8_t TQvMeter::GetSegCount(int Index) { return Index >= 0 && Index < 3 ? FSegCount[Index] : 0; }

void TQvMeter::SetSegCount(int Index, uint8_t Value) {
  if (Index < 0 || Index > 2) return;
  Value = std::max<uint8_t>(Value, 1);  // a group has at least one segment
  if (FSegCount[Index] == Value) return;
  FSegCount[Index] = Value;
  Invalidate();
}

TColor TQvMeter::GetSegColor(int Index) { return Index >= 0 && Index < 3 ? FSegColor[Index] : clNone; }

void TQvMeter::SetSegColor(int Index, TColor Value) {
  if (Index < 0 || Index > 2 || FSegColor[Index] == Value) return;
  FSegColor[Index] = Value;
  Invalidate();
}

// The counts add up as full integers (three groups of up to 255 each).
int TQvMeter::SegmentTotal() const { return int(FSegCount[0]) + FSegCount[1] + FSegCount[2]; }

int TQvMeter::LitSegments() const {
  int64_t d = int64_t(FMax) - FMin;
  if (d == 0) return 0;
  int64_t lit = SegmentTotal() * (int64_t(FValue) - FMin) / d;
  return static_cast<int>(std::clamp<int64_t>(lit, 0, SegmentTotal()));
}

void TQvMeter::Paint() {
  if (Width() < 4 || Height() < 4) return;
  bool trapezoid = FMeterShape == msTrapezoidal;
  TRect work;
  if (trapezoid) {
    work = {0, 0, Width(), Height()};
  } else {
    inherited::Paint();
    work = ClientRect();
  }
  if (IsRectEmpty(work)) return;
  TPoint origin = work.TopLeft();
  // The off-screen picture is kept between paints and resized only when needed.
  if (!FBuffer) FBuffer = std::make_unique<TBitmap>();
  if (FBuffer->Width() != work.Width() || FBuffer->Height() != work.Height())
    FBuffer->SetSize(work.Width(), work.Height());
  TBitmap& bmp = *FBuffer;
  TCanvas* c = bmp.Canvas();
  c->SetFont(Font());
  c->Brush()->SetColor(trapezoid ? clBtnFace : FBackColor);
  c->FillRect({0, 0, work.Width(), work.Height()});
  OffsetRect(work, -origin.X, -origin.Y);
  TTrap trap{};
  FBevelInset = 0;
  if (BorderOuter() == fsLowered || BorderOuter() == fsRaised) {
    if (trapezoid) {
      SetTrapezoid(trap, work, FTrapezoidMin, FTrapezoidShape, FDirection, FTrapezoidDir);
      if (FBackColor != clBtnFace) {
        TTrap inner = trap;
        InflateTrapezoid(inner, -1);
        c->Brush()->SetColor(FBackColor);
        c->Pen()->SetColor(FBackColor);
        c->Polygon({inner.P0, inner.P1, inner.P2, inner.P3});
      }
      DrawTrapezoidBorder(c, trap, TTrapBevelStyle::bsLowered, BevelWidth());
    }
    FBevelInset = BevelWidth();
    InflateRect(work, -FBevelInset, -FBevelInset);
  }
  if (!trapezoid) {
    --work.Left;
    --work.Top;
  }
  if (FMeterType == mtLED) DrawLEDBar(c, work, trapezoid ? &trap : nullptr, FBevelInset);
  else DrawStandardBar(c, work, trapezoid ? &trap : nullptr);
  Canvas()->CopyRect({origin.X, origin.Y, origin.X + bmp.Width(), origin.Y + bmp.Height()}, c,
                     {0, 0, bmp.Width(), bmp.Height()});
}

// The bitmap tiled over Bar, clipped to the trapezoid Cut: the corners of the bar
// outside it keep what is under them.
void TQvMeter::TileInTrapezoid(TCanvas* Canvas, const TRect& Bar, const TTrap& Cut) {
  HDC dc = Canvas->Handle();
  int saved = SaveDC(dc);
  TOnExit restore([&] {
    RestoreDC(dc, saved);
    Canvas->Refresh();  // the canvas selects its own objects again
  });
  TPoint pts[4] = {Cut.P0, Cut.P1, Cut.P2, Cut.P3};
  HRGN shape = CreatePolygonRgn(pts, 4);
  TOnExit free([&] { DeleteObject(shape); });
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  TOnExit freeClip([&] { DeleteObject(clip); });
  if (GetClipRgn(dc, clip) == 1) CombineRgn(shape, shape, clip, RGN_AND);
  SelectClipRgn(dc, shape);
  TileBitmap(Canvas, FBitmap.get(), Bar);
}

void TQvMeter::DrawStandardBar(TCanvas* Canvas, TRect R, const TTrap* Trap) {
  int64_t f = int64_t(FValue) - FMin, d = int64_t(FMax) - FMin;
  TRect bar = R;
  switch (FDirection) {
    case dirRight: bar.Right = MeterBarEdge(f, d, R.Left, R.Right); break;
    case dirLeft: bar.Left = R.Right + R.Left - MeterBarEdge(f, d, R.Left, R.Right); break;
    case dirDown: bar.Bottom = MeterBarEdge(f, d, R.Top, R.Bottom); break;
    case dirUp: bar.Top = R.Bottom + R.Top - MeterBarEdge(f, d, R.Top, R.Bottom); break;
  }
  TTrap cut{};
  TTrap shape{};
  if (Trap) {
    SetTrapezoid(shape, R, FTrapezoidMin - 2 * FBevelInset, FTrapezoidShape, FDirection, FTrapezoidDir);
    AdjustTrapezoid(shape, bar, FDirection, cut);
  }
  if (!FBitmap->Empty()) {
    if (!Trap) TileBitmap(Canvas, FBitmap.get(), bar);
    else if (FValue > 0) TileInTrapezoid(Canvas, bar, cut);
  } else {
    Canvas->Brush()->SetStyle(FBrushStyle);
    Canvas->Brush()->SetColor(FBarColor);
    Canvas->Pen()->SetColor(FBarColor);
    Canvas->Pen()->SetStyle(psSolid);
    if (FBrushStyle == bsSolid) {
      if (!Trap) Canvas->FillRect(bar);
      else if (FValue > 0) Canvas->Polygon({cut.P0, cut.P1, cut.P2, cut.P3});
    } else {
      if (!Trap) Canvas->Rectangle(bar);
      else Canvas->Polygon({cut.P0, cut.P1, cut.P2, cut.P3});
    }
    Canvas->Brush()->SetStyle(bsSolid);
  }
  int length = (FDirection == dirRight || FDirection == dirLeft) ? bar.Width() : bar.Height();
  if (FMeterType == mtBar3D && 2 * BevelWidth() < length) {
    if (Trap) DrawTrapezoidBorder(Canvas, cut, TTrapBevelStyle::bsRaised, BevelWidth());
    else DrawBevel(Canvas, bar, clBtnHighlight, clBtnShadow, BevelWidth(), AllSides);
  }
  if (FShowPercent) {
    std::string text = std::to_string(GetPercent()) + "%";
    Canvas->Brush()->SetStyle(bsClear);
    TSize ext = Canvas->TextExtent(text);
    // Centred in the client area (the bitmap covers it from its origin).
    TRect client = Trap ? TRect{0, 0, Width(), Height()} : ClientRect();
    OffsetRect(client, -client.Left, -client.Top);
    int x = (client.Left + client.Right - ext.cx) / 2, y = (client.Top + client.Bottom - ext.cy) / 2;
    Canvas->TextOut(x, y, text);
    Canvas->Brush()->SetStyle(bsSolid);
  }
}

// Segments of N = Seg1Count + Seg2Count + Seg3Count, lit from the start of the
// direction; the lit ones take the group colours in turn.
void TQvMeter::DrawLEDBar(TCanvas* Canvas, TRect R, const TTrap* Trap, int Inset) {
  int n = SegmentTotal();
  if (n <= 0) return;
  int lit = LitSegments();
  TTrap shape{};
  if (Trap) {
    SetTrapezoid(shape, R, FTrapezoidMin - 2 * Inset, FTrapezoidShape, FDirection, FTrapezoidDir);
    InflateTrapezoid(shape, -FSegSpacing);
  }
  InflateRect(R, -(FSegSpacing + 1), -FSegSpacing);
  bool along = FDirection == dirRight || FDirection == dirLeft;
  int extent = along ? R.Width() : R.Height();
  int size = (extent - (n - 2) * FSegSpacing) / n;
  if (size <= 0) return;  // no room for a segment
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetColor(clBlack);
  Canvas->Brush()->SetStyle(bsSolid);
  int group = 0, used = 0;
  int pos = FDirection == dirRight ? R.Left : FDirection == dirDown ? R.Top
            : FDirection == dirLeft ? R.Right : R.Bottom;
  for (int i = 0; i < n; ++i) {
    TColor color;
    if (i >= lit) {
      color = FSegOffColor;
    } else {
      while (group < 2 && used >= FSegCount[group]) {
        ++group;
        used = 0;
      }
      ++used;
      color = FSegColor[group];
    }
    TRect seg = R;
    switch (FDirection) {
      case dirRight: seg.Left = pos; seg.Right = pos + size; pos += size + FSegSpacing; break;
      case dirDown: seg.Top = pos; seg.Bottom = pos + size; pos += size + FSegSpacing; break;
      case dirLeft: seg.Right = pos; seg.Left = pos - size; pos -= size + FSegSpacing; break;
      case dirUp: seg.Bottom = pos; seg.Top = pos - size; pos -= size + FSegSpacing; break;
    }
    Canvas->Brush()->SetColor(color);
    if (Trap) {
      TTrap cut{};
      AdjustTrapezoid(shape, seg, FDirection, cut);
      Canvas->Polygon({cut.P0, cut.P1, {cut.P2.X - 1, cut.P2.Y - 1}, {cut.P3.X, cut.P3.Y - 1}});
    } else {
      Canvas->Rectangle(seg.Left, seg.Top + 1, seg.Right, seg.Bottom);
    }
  }
}

const TClassInfo& TQvMeter::StaticClass() {
  using C = TQvMeter;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvMeter", &inherited::StaticClass());
    b.Component()
        .Int("Min", &C::Min, [](C* x, int64_t v) { x->SetMin(static_cast<int>(v)); }, 0)
        .Int("Max", &C::Max, [](C* x, int64_t v) { x->SetMax(static_cast<int>(v)); }, 100)
        .Int("Value", &C::Value, [](C* x, int64_t v) { x->SetValue(static_cast<int>(v)); }, 0)
        .Int("BarColor", &C::BarColor, &C::SetBarColor, 0x0000FF, {}, &ColorIdents())
        .Int("BackColor", &C::BackColor, &C::SetBackColor, 0x000000, {}, &ColorIdents())
        .Enum<TQvMeterType>("MeterType", &C::MeterType, &C::SetMeterType, mtLED)
        .Enum<TQvMeterShape>("MeterShape", &C::MeterShape, &C::SetMeterShape, msRectangular)
        .Enum<TTrapDirect>("TrapezoidDir", &C::TrapezoidDir, &C::SetTrapDirect, tdLargeToSmall)
        .Enum<TTrapShape>("TrapezoidShape", &C::TrapezoidShape, &C::SetTrapShape, tsCenter)
        .Int("TrapezoidMin", &C::TrapezoidMin, [](C* x, int64_t v) { x->SetTrapMin(static_cast<int>(v)); }, 6)
        .Enum<TDirection>("Direction", &C::Direction, &C::SetDirection, dirRight)
        .Object<TBitmap>("Bitmap", &C::Bitmap, &C::SetBitmap, [](C* x) { return !x->Bitmap()->Empty(); })
        .Enum<TBrushStyle>("BrushStyle", &C::BrushStyle, &C::SetBrush, bsSolid)
        .Bool("ShowPercent", &C::ShowPercent, &C::SetShowPercent, true)
        .Int("SegSpacing", &C::SegSpacing, [](C* x, int64_t v) { x->SetSegSpacing(static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255))); }, 2)
        .Int("SegOffColor", &C::SegOffColor, &C::SetSegOffColor, 0x000000, {}, &ColorIdents());
    const int counts[3] = {5, 3, 2};
    const TColor colors[3] = {0x008000, 0x00FFFF, 0x0000FF};
    for (int i = 0; i < 3; ++i) {
      std::string k = std::to_string(i + 1);
      b.Int("Seg" + k + "Count", [i](C* x) { return x->GetSegCount(i); },
            [i](C* x, int64_t v) { x->SetSegCount(i, static_cast<uint8_t>(std::clamp<int64_t>(v, 1, 255))); }, counts[i]);
      b.Int("Seg" + k + "Color", [i](C* x) { return x->GetSegColor(i); },
            [i](C* x, int64_t v) { x->SetSegColor(i, static_cast<TColor>(v)); }, colors[i], {}, &ColorIdents());
    }
    b.Enum<TFrameStyleEx>("BorderOuter", &C::BorderOuter, [](C* x, TFrameStyleEx v) { x->SetBorderOuter(v); }, fsStatus)
        .Int("Height", &C::Height, [](C* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, 30)
        .Int("Width", &C::Width, [](C* x, int64_t v) { x->SetWidth(static_cast<int>(v)); }, 150)
        .Prop(TControl::Property("Color", clWindow));
    PublishInherited(b, {"Font", "ParentColor", "ParentFont"});
    return b.Build();
  }();
  return info;
}
