#include "controls/basic/shapebutton.h"

#include <algorithm>
#include <memory>

#include "controls/common/colors.h"
#include "controls/common/gradients.h"
#include "platform/core/exceptions.h"
#include "platform/core/filer.h"
#include "platform/core/scope.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TQvCaptionPosition, "cpCentered", "cpXY")

const TClassInfo& TQvShapeButton::StaticClass() {
  using S = TQvShapeButton;
  static const TClassInfo info = [] {
    TClassBuilder<S> b("TQvShapeButton", &TGraphicControl::StaticClass());
    b.Component()
        .Bool("AutoSize", &S::AutoSize, &S::SetAutoSize, true)
        .Int("BevelWidth", &S::BevelWidth, [](S* s, int64_t v) { s->SetBevelWidth(static_cast<int>(v)); }, 2)
        .Int("BevelHighlightColor", &S::BevelHighlightColor, &S::SetBevelHighlightColor, clBtnHighlight, {},
             &ColorIdents())
        .Int("BevelShadowColor", &S::BevelShadowColor, &S::SetBevelShadowColor, clBtnShadow, {}, &ColorIdents())
        .Object<TBitmap>("Bitmap", &S::Bitmap, &S::SetBitmap, [](S* s) { return !s->Bitmap()->Empty(); })
        .Int("BorderColor", &S::BorderColor, &S::SetBorderColor, cl3DDkShadow, {}, &ColorIdents())
        .Enum<TBorderStyle>("BorderStyle", &S::BorderStyle, &S::SetBorderStyle, bsSingle)
        .Enum<TQvCaptionPosition>("CaptionPosition", &S::CaptionPosition, &S::SetCaptionPosition, cpCentered)
        // A stored CaptionX or CaptionY reads as cpXY unless the mode is written too.
        .Implied([](S* s) { return static_cast<int64_t>(s->CaptionX() || s->CaptionY() ? cpXY : cpCentered); })
        .Int("CaptionX", &S::CaptionX, [](S* s, int64_t v) { s->SetCaptionX(static_cast<int>(v)); }, 0)
        .Int("CaptionY", &S::CaptionY, [](S* s, int64_t v) { s->SetCaptionY(static_cast<int>(v)); }, 0)
        .Bool("PreciseClick", &S::PreciseClick, &S::SetPreciseClick, true)
        .Bool("PreciseShowHint", &S::PreciseShowHint, &S::SetPreciseShowHint, true);
    PublishInherited(b, {"Anchors", "Caption", "Constraints", "DragCursor", "DragMode", "Enabled", "Font",
                         "ParentFont", "ParentShowHint", "ShowHint", "Visible", "OnClick", "OnContextPopup",
                         "OnDragDrop", "OnDragOver", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp",
                         "OnStartDrag"});
    return b.Build();
  }();
  return info;
}

TQvShapeButton::TQvShapeButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  FBitmap = new TBitmap();
  FBitmap->OnChange = [this](TObject* s) { BitmapChanged(s); };
  FBitmapUp = new TBitmap();
  FBitmapDown = new TBitmap();
  FControlStyle = TControlStyle{csCaptureMouse};
  SetParentFont(true);
  SetBounds(0, 0, 80, 80);
}

TQvShapeButton::~TQvShapeButton() {
  delete FBitmap;
  delete FBitmapUp;
  delete FBitmapDown;
}

void TQvShapeButton::SetBitmap(TBitmap* Value) { FBitmap->Assign(Value); }
void TQvShapeButton::SetBitmapUp(TBitmap* Value) { FBitmapUp->Assign(Value); }
void TQvShapeButton::SetBitmapDown(TBitmap* Value) { FBitmapDown->Assign(Value); }

#define QV_BITMAP_SETTER(Name, Type, Field) \
  void TQvShapeButton::Set##Name(Type Value) { \
    if (Value == Field) return;                \
    Field = Value;                             \
    BitmapChanged();                           \
  }

QV_BITMAP_SETTER(BevelHighlightColor, TColor, FBevelHighlightColor)
QV_BITMAP_SETTER(BevelShadowColor, TColor, FBevelShadowColor)
QV_BITMAP_SETTER(BorderStyle, TBorderStyle, FBorderStyle)
QV_BITMAP_SETTER(BorderColor, TColor, FBorderColor)

void TQvShapeButton::SetBevelWidth(int Value) {
  Value = std::clamp(Value, 0, 2);
  if (Value == FBevelWidth) return;
  FBevelWidth = Value;
  BitmapChanged();
}

void TQvShapeButton::SetCaptionPosition(TQvCaptionPosition Value) {
  if (ComponentState().Contains(csReading)) FCaptionPositionRead = true;
  if (Value == FCaptionPosition) return;
  FCaptionPosition = Value;
  Invalidate();
}

void TQvShapeButton::SetCaptionXY(int X, int Y) {
  if (X == FCaptionX && Y == FCaptionY) return;
  FCaptionX = X;
  FCaptionY = Y;
  // While a form is read the mode is settled in Loaded: the lines may come in any order.
  if (ComponentState().Contains(csReading)) FCaptionXYRead = true;
  else FCaptionPosition = cpXY;
  Invalidate();
}

void TQvShapeButton::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  SetBounds(Left(), Top(), Width(), Height());
}

void TQvShapeButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FAutoSize && !ComponentState().Contains(csReading) && FBitmap && !FBitmap->Empty()) {
    AWidth = FBitmap->Width() + 4;
    AHeight = FBitmap->Height() + 4;
  }
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TQvShapeButton::Invalidate() {
  if (!(Visible() || ComponentState().Contains(csDesigning))) return;
  if (Parent() && Parent()->HandleAllocated()) {
    TRect r = BoundsRect();
    InvalidateRect(Parent()->Handle(), &r, TRUE);
  }
}

void TQvShapeButton::Click() { inherited::Click(); }

// ---------------------------------------------------------------------------
// Shapes and images
// ---------------------------------------------------------------------------

std::vector<bool> TQvShapeButton::ShapeOf(TBitmap* B, TColor Transparent) {
  int w = B->Width(), h = B->Height();
  std::vector<bool> inside(static_cast<size_t>(w) * h);
  TColor key = ColorToRGB(Transparent);
  TCanvas* c = B->Canvas();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) inside[static_cast<size_t>(y) * w + x] = static_cast<TColor>(ColorToRGB(c->Pixels(x, y))) != key;
  return inside;
}

void TQvShapeButton::SetMask(std::vector<bool> Mask, int Width, int Height) {
  FMask = std::move(Mask);
  FMaskWidth = Width;
  FMaskHeight = Height;
}

bool TQvShapeButton::PtInMask(int X, int Y) {
  if (!HasMask()) return true;
  // The button can be larger than its mask (AutoSize adds a margin): what lies
  // beyond the mask's bitmap is not in the shape.
  if (X < 0 || Y < 0 || X >= FMaskWidth || Y >= FMaskHeight) return false;
  return FMask[static_cast<size_t>(Y) * FMaskWidth + X];
}

TColor TQvShapeButton::BevelColor(TButtonState AState, bool TopLeft) {
  bool highlight = (AState == bsDown) != TopLeft;
  TColor c = highlight ? FBevelHighlightColor : FBevelShadowColor;
  if (highlight && ColorToRGB(FBevelHighlightColor) == ColorToRGB(FBitmap->TransparentColor()))
    c = DarkerColor(FBevelHighlightColor, 1);
  return c;
}

void TQvShapeButton::Create3DBitmap(TBitmap* Source, TButtonState AState, TBitmap* Dest) {
  if (!Source || !Dest) return;
  // The copy takes a copy of the shape's palette along (CopyPalette), so an indexed
  // shape gives indexed images.
  Dest->Assign(Source);
  int depth = FBevelWidth + (FBorderStyle == bsSingle ? 1 : 0);
  if (depth == 0 || Source->Empty()) return;
  int w = Source->Width(), h = Source->Height();
  TColor key = Source->TransparentColor();
  std::vector<bool> source = ShapeOf(Source, key);
  std::vector<bool> current = source;
  auto in = [w, h](const std::vector<bool>& m, int x, int y) {
    return x >= 0 && y >= 0 && x < w && y < h && m[static_cast<size_t>(y) * w + x];
  };
  TCanvas* dc = Dest->Canvas();
  for (int level = 1; level <= depth; ++level) {
    std::vector<bool> before = current;
    for (int side = 0; side < 2; ++side) {
      if (AState == bsDown && side == 0 && level == depth) continue;
      // The ring of offsets at this distance: side 0 runs down the right edge and
      // along the bottom, side 1 up the left edge and along the top.
      std::vector<TPoint> offsets;
      if (side == 0) {
        for (int k = -level; k <= level; ++k) offsets.push_back({level, k});
        for (int k = level - 1; k >= -level; --k) offsets.push_back({k, level});
      } else {
        for (int k = level - 1; k >= -level; --k) offsets.push_back({-level, k});
        for (int k = -level + 1; k <= level - 1; ++k) offsets.push_back({k, -level});
      }
      TColor color = (FBorderStyle == bsSingle && level == depth) ? FBorderColor : BevelColor(AState, side == 1);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          if (in(before, x, y)) continue;
          bool reached = false;
          for (const TPoint& o : offsets)
            if (in(source, x - o.X, y - o.Y)) {
              reached = true;
              break;
            }
          if (!reached) continue;
          dc->SetPixels(x, y, color);
          current[static_cast<size_t>(y) * w + x] = true;
        }
    }
  }
}

void TQvShapeButton::BitmapChanged(TObject*) {
  SetBounds(Left(), Top(), Width(), Height());
  if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading)) return;
  if (FBitmap->Empty()) {
    FBitmapUp->SetSize(0, 0);
    FBitmapDown->SetSize(0, 0);
    SetMask({}, 0, 0);
  } else {
    TCursor saved = Screen ? Screen->Cursor() : crDefault;
    if (Screen) Screen->SetCursor(crHourGlass);
    TOnExit restoreCursor([saved] {
      if (Screen) Screen->SetCursor(saved);
    });
    Create3DBitmap(FBitmap, bsUp, FBitmapUp);
    Create3DBitmap(FBitmap, bsDown, FBitmapDown);
    SetMask(ShapeOf(FBitmapUp, FBitmap->TransparentColor()), FBitmapUp->Width(), FBitmapUp->Height());
  }
  Invalidate();
}

void TQvShapeButton::Loaded() {
  inherited::Loaded();
  if (FCaptionXYRead && !FCaptionPositionRead) FCaptionPosition = cpXY;
  FCaptionXYRead = FCaptionPositionRead = false;
  if (!FBitmap->Empty() && FBitmapUp->Empty()) {
    // A form that gives only the shape (written by hand, not by a designer) gets
    // its up and down images made now.
    Create3DBitmap(FBitmap, bsUp, FBitmapUp);
    Create3DBitmap(FBitmap, bsDown, FBitmapDown);
  }
  if (FBitmap->Width() > 0 && FBitmap->Height() > 0) {
    std::vector<bool> a = ShapeOf(FBitmap, FBitmap->TransparentColor());
    int w = FBitmap->Width(), h = FBitmap->Height();
    if (FBitmapUp->Width() == w && FBitmapUp->Height() == h) {
      std::vector<bool> b = ShapeOf(FBitmapUp, FBitmap->TransparentColor());
      for (size_t i = 0; i < a.size(); ++i) a[i] = a[i] || b[i];
    }
    SetMask(std::move(a), w, h);
    SetBounds(Left(), Top(), Width(), Height());
  }
}

// ---------------------------------------------------------------------------
// Streaming
// ---------------------------------------------------------------------------

void TQvShapeButton::ReadBitmapData(TStream* Stream, TBitmap* Bitmap) {
  uint8_t n[4];
  Stream->ReadBuffer(n, 4);
  int64_t size = int64_t(n[0]) | (int64_t(n[1]) << 8) | (int64_t(n[2]) << 16) | (int64_t(n[3]) << 24);
  if (size > Stream->Size() - Stream->Position()) throw EReadError("Bitmap data is truncated");
  if (size == 0) {
    Bitmap->SetSize(0, 0);
    return;
  }
  TMemoryStream m;
  m.CopyFrom(Stream, size);
  m.SetPosition(0);
  Bitmap->LoadFromStream(&m);
}

void TQvShapeButton::WriteBitmapData(TStream* Stream, TBitmap* Bitmap) {
  TMemoryStream m;
  if (!Bitmap->Empty()) Bitmap->SaveToStream(&m);
  uint32_t size = static_cast<uint32_t>(m.Size());
  uint8_t n[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
  Stream->WriteBuffer(n, 4);
  if (size) Stream->WriteBuffer(m.Memory(), m.Size());
}

void TQvShapeButton::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineBinaryProperty("BitmapUp", [this](TStream* s) { ReadBitmapUpData(s); },
                              [this](TStream* s) { WriteBitmapUpData(s); }, !FBitmapUp->Empty());
  Filer->DefineBinaryProperty("BitmapDown", [this](TStream* s) { ReadBitmapDownData(s); },
                              [this](TStream* s) { WriteBitmapDownData(s); }, !FBitmapDown->Empty());
}

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------

TRect TQvShapeButton::GetCaptionRect(TCanvas* Canvas, const std::string& Caption) {
  if (FCaptionPosition == cpCentered) return ClientRect();
  TRect r(0, 0, ClientWidth(), 0);
  DrawText(Canvas->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &r, DT_CALCRECT);
  OffsetRect(r, FCaptionX, FCaptionY);
  return r;
}

void TQvShapeButton::DrawButtonText(TCanvas* Canvas, const std::string& Caption, TRect R, TButtonState AState) {
  Canvas->Brush()->SetStyle(bsClear);
  if (AState == bsDown) OffsetRect(R, 1, 1);
  DrawText(Canvas->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &R,
           DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TQvShapeButton::Paint() {
  TCanvas* c = Canvas();
  if (ComponentState().Contains(csDesigning)) {
    c->Pen()->SetStyle(psDash);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(0, 0, Width(), Height());
    c->Pen()->SetStyle(psSolid);
    FState = bsUp;
  } else if (FState != bsDown) {
    FState = bsUp;
  }
  TBitmap* image = FState == bsDown ? FBitmapDown : FBitmapUp;
  if (!image->Empty()) {
    // Only the pixels of the image that are not the bitmap's transparent colour
    // cover what lies under the button.
    int d = FState == bsDown ? 1 : 0;
    TRect src(0, 0, image->Width(), image->Height());
    TRect dst = src;
    OffsetRect(dst, d, d);
    DrawFullTransparentBitmap(c, image, dst, src, FBitmap->Empty() ? image->TransparentColor()
                                                                   : FBitmap->TransparentColor());
  }
  std::string caption = Caption();
  if (!caption.empty()) {
    c->SetFont(Font());
    DrawButtonText(c, caption, GetCaptionRect(c, caption), FState);
  }
}

// ---------------------------------------------------------------------------
// Mouse
// ---------------------------------------------------------------------------

bool TQvShapeButton::Inside(int X, int Y) {
  if (FPreciseClick) return PtInMask(X, Y);
  return X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
}

void TQvShapeButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (Inside(X, Y)) {
    FState = bsDown;
    Repaint();
  }
  FPressed = true;
}

void TQvShapeButton::MouseMove(TShiftState Shift, int X, int Y) {
  inherited::MouseMove(Shift, X, Y);
  bool inMask = PtInMask(X, Y);
  if (FPreciseShowHint && !inMask) {
    if (!FHintSuppressed) {
      FHintSuppressed = true;
      FSavedParentShowHint = ParentShowHint();
      FSavedShowHint = ShowHint();
      SetShowHint(false);
      SetParentShowHint(false);
    }
  } else if (!FPreciseClick || inMask) {
    if (FHintSuppressed) {
      FHintSuppressed = false;
      SetShowHint(FSavedShowHint);
      SetParentShowHint(FSavedParentShowHint);
    }
    if (FCursorChanged) {
      FCursorChanged = false;
      SetCursor(FSavedCursor);
    }
  } else if (!FCursorChanged) {
    FCursorChanged = true;
    FSavedCursor = Cursor();
    SetCursor(crDefault);
  }
  if (!FPressed) return;
  TButtonState s = Inside(X, Y) ? bsDown : bsUp;
  if (s != FState) {
    FState = s;
    Repaint();
  }
}

void TQvShapeButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (!FPressed) return;
  FPressed = false;
  if (FState == bsDown) {
    FState = bsUp;
    Repaint();
  }
  if (Inside(X, Y)) Click();
}

void TQvShapeButton::CancelPress() {
  if (!FPressed && FState != bsDown) return;
  FPressed = false;
  if (FState == bsDown) {
    FState = bsUp;
    Invalidate();
  }
}

void TQvShapeButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_HITTEST: {
      inherited::Dispatch(M);
      TPoint p = TCMHitTest(M).Pos();
      M.Result = (!FPreciseClick || PtInMask(p.X, p.Y)) ? 1 : 0;
      break;
    }
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      if (IsAccel(k.CharCode(), Caption()) && Enabled()) {
        Click();
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      inherited::Dispatch(M);
      Invalidate();
      break;
    case CM_SYSCOLORCHANGE:
      inherited::Dispatch(M);
      BitmapChanged();
      break;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      // The capture went elsewhere (a modal box from a handler): the press ends.
      CancelPress();
      inherited::Dispatch(M);
      break;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      inherited::Dispatch(M);
      if (!Enabled() || !Visible()) CancelPress();
      break;
    default:
      inherited::Dispatch(M);
  }
}
