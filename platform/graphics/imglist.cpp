#include "platform/graphics/imglist.h"

#include <algorithm>

#include "platform/core/filer.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/gdi_internal.h"
#include "platform/graphics/imageio.h"

const TClassInfo& TChangeLink::StaticClass() {
  static const TClassInfo info = TClassBuilder<TChangeLink>("TChangeLink", &inherited::StaticClass()).Build();
  return info;
}

TChangeLink::~TChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

const TClassInfo& TCustomImageList::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomImageList>("TCustomImageList", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TImageList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TImageList>("TImageList", &inherited::StaticClass())
          .Component()
          .Int("BkColor", &TImageList::BkColor, &TImageList::SetBkColor, clNone, {}, &ColorIdents())
          .Int("Height", &TImageList::Height, &TImageList::SetHeight, 16)
          .Bool("Masked", &TImageList::Masked, &TImageList::SetMasked, true)
          .Int("Width", &TImageList::Width, &TImageList::SetWidth, 16)
          .Event("OnChange", static_cast<TNotifyEvent TImageList::*>(&TImageList::FOnChange))
          .Build();
  return info;
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* l : FLinks) l->FSender = nullptr;
}

void TCustomImageList::Change() {
  std::vector<TChangeLink*> links = FLinks;  // a handler may unregister its link
  for (TChangeLink* l : links)
    if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end()) l->Change();
  if (FOnChange) FOnChange(this);
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
  if (!Value || std::find(FLinks.begin(), FLinks.end(), Value) != FLinks.end()) return;
  if (Value->FSender && Value->FSender != this) Value->FSender->UnRegisterChanges(Value);
  Value->FSender = this;
  FLinks.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
  auto it = std::find(FLinks.begin(), FLinks.end(), Value);
  if (it == FLinks.end()) return;
  FLinks.erase(it);
  Value->FSender = nullptr;
}

void TCustomImageList::SetWidth(int Value) {
  if (Value == FWidth || Value <= 0) return;
  FWidth = Value;
  Clear();
}

void TCustomImageList::SetHeight(int Value) {
  if (Value == FHeight || Value <= 0) return;
  FHeight = Value;
  Clear();
}

void TCustomImageList::SetBkColor(TColor Value) {
  if (Value == FBkColor) return;
  FBkColor = Value;
  Change();
}

void TCustomImageList::SetMasked(bool Value) {
  if (Value == FMasked) return;
  FMasked = Value;
  Change();
}

void TCustomImageList::Clear() {
  FImages.clear();
  std::fill(std::begin(FOverlays), std::end(FOverlays), -1);
  Change();
}

void TCustomImageList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation("Image index out of range");
  FImages.erase(FImages.begin() + Index);
  for (int& o : FOverlays) {
    if (o == Index) o = -1;
    else if (o > Index) --o;
  }
  Change();
}

int TCustomImageList::AddImages(TBitmap* Image, const std::function<bool(int, int, uint32_t)>& IsClear) {
  if (!Image || Image->Width() < FWidth || Image->Height() == 0) throw EInvalidOperation("Unable to insert an image");
  const TSurface& s = Image->Handle()->Surface;
  int n = s.Width / FWidth, first = Count();
  for (int i = 0; i < n; ++i) {
    TImage img;
    size_t size = static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight);
    img.Pixels.assign(size, gdi::kBlack);
    img.Clear.assign(size, 0);
    for (int y = 0; y < std::min(FHeight, s.Height); ++y)
      for (int x = 0; x < FWidth; ++x) {
        uint32_t p = s.Row(y)[i * FWidth + x];
        size_t k = static_cast<size_t>(y) * static_cast<size_t>(FWidth) + static_cast<size_t>(x);
        if (IsClear(i * FWidth + x, y, p)) img.Clear[k] = 1;
        img.Pixels[k] = p;
      }
    FImages.push_back(std::move(img));
  }
  Change();
  return first;
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  const TSurface* m = (Mask && !Mask->Empty()) ? &Mask->Handle()->Surface : nullptr;
  return AddImages(Image, [m](int X, int Y, uint32_t) {
    if (!m || X >= m->Width || Y >= m->Height) return false;
    return gdi::SnapMono(m->Row(Y)[X]) == gdi::kWhite;
  });
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image) throw EInvalidOperation("Unable to insert an image");
  if (MaskColor == clDefault) MaskColor = Image->TransparentColor();
  uint32_t key = gdi::ToPixel(ColorToRGB(MaskColor)) & 0xFFFFFF;
  int first = AddImages(Image, [key](int, int, uint32_t P) { return (P & 0xFFFFFF) == key; });
  for (size_t i = static_cast<size_t>(first); i < FImages.size(); ++i)
    for (size_t k = 0; k < FImages[i].Pixels.size(); ++k)
      if (FImages[i].Clear[k]) FImages[i].Pixels[k] = gdi::kBlack;
  return first;
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
  if (!Image || Index < 0 || Index >= Count()) return false;
  Image->SetMonochrome(false);
  Image->SetSize(FWidth, FHeight);
  const std::vector<uint32_t>& pixels = FImages[static_cast<size_t>(Index)].Pixels;
  Image->Handle()->Surface.Bits.assign(pixels.begin(), pixels.end());
  Image->SetModified(true);
  return true;
}

bool TCustomImageList::Overlay(int ImageIndex, int Overlay) {
  if (ImageIndex < 0 || ImageIndex >= Count() || Overlay < 0 || Overlay > 3) return false;
  FOverlays[Overlay] = ImageIndex;
  return true;
}

void TCustomImageList::Paint(TCanvas* Canvas, int X, int Y, const TImage& Image, bool Enabled, bool Background) {
  HDC dc = Canvas->Handle();
  TSurface& ds = dc->Surface();
  TRect dr = Bounds(gdi::SurfX(dc, X), gdi::SurfY(dc, Y), FWidth, FHeight);
  auto clearAt = [&](size_t k) { return FMasked && Image.Clear[k]; };
  if (Enabled) {
    uint32_t back = gdi::ForSurface(ds, gdi::ToPixel(ColorToRGB(FBkColor)));
    bool fill = Background && FBkColor != clNone;
    TRect t;
    for (const TRect& c : dc->ClipRects()) {
      if (!IntersectRect(t, c, dr)) continue;
      for (int y = t.Top; y < t.Bottom; ++y)
        for (int x = t.Left; x < t.Right; ++x) {
          size_t k = static_cast<size_t>(y - dr.Top) * static_cast<size_t>(FWidth) + static_cast<size_t>(x - dr.Left);
          if (clearAt(k)) {
            if (fill) ds.Row(y)[x] = back;
          } else {
            ds.Row(y)[x] = gdi::ForSurface(ds, Image.Pixels[k]);
          }
        }
    }
    return;
  }
  auto shape = [&](size_t k) { return !clearAt(k) && (Image.Pixels[k] & 0xFFFFFF) != 0xFFFFFF; };
  for (int pass = 0; pass < 2; ++pass) {
    int d = pass == 0 ? 1 : 0;
    uint32_t color = gdi::ForSurface(ds, gdi::ToPixel(ColorToRGB(pass == 0 ? clBtnHighlight : clBtnShadow)));
    TRect r = dr;
    OffsetRect(r, d, d);
    TRect t;
    for (const TRect& c : dc->ClipRects()) {
      if (!IntersectRect(t, c, r)) continue;
      for (int y = t.Top; y < t.Bottom; ++y)
        for (int x = t.Left; x < t.Right; ++x)
          if (shape(static_cast<size_t>(y - r.Top) * static_cast<size_t>(FWidth) + static_cast<size_t>(x - r.Left)))
            ds.Row(y)[x] = color;
    }
  }
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  if (!Canvas || Index < 0 || Index >= Count()) return;
  Paint(Canvas, X, Y, FImages[static_cast<size_t>(Index)], Enabled, true);
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, int X, int Y, int ImageIndex, int Overlay, bool Enabled) {
  if (!Canvas || ImageIndex < 0 || ImageIndex >= Count()) return;
  Paint(Canvas, X, Y, FImages[static_cast<size_t>(ImageIndex)], Enabled, true);
  if (Overlay < 0 || Overlay > 3) return;
  int o = FOverlays[Overlay];
  if (o >= 0 && o < Count()) Paint(Canvas, X, Y, FImages[static_cast<size_t>(o)], Enabled, false);
}

// ---------------------------------------------------------------------------
// Streaming
// ---------------------------------------------------------------------------

namespace {

void Put32(TStream* S, uint32_t V) {
  uint8_t b[4] = {uint8_t(V), uint8_t(V >> 8), uint8_t(V >> 16), uint8_t(V >> 24)};
  S->WriteBuffer(b, 4);
}
uint32_t Get32(TStream* S) {
  uint8_t b[4];
  S->ReadBuffer(b, 4);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24);
}

}  // namespace

void TCustomImageList::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineBinaryProperty("Bitmap", [this](TStream* s) { ReadImages(s); },
                              [this](TStream* s) { WriteImages(s); }, Count() > 0);
}

void TCustomImageList::WriteImages(TStream* Stream) {
  Put32(Stream, static_cast<uint32_t>(Count()));
  Put32(Stream, static_cast<uint32_t>(FWidth));
  Put32(Stream, static_cast<uint32_t>(FHeight));
  TSurface image, mask;
  image.Width = mask.Width = FWidth * Count();
  image.Height = mask.Height = FHeight;
  mask.Mono = true;
  image.Bits.resize(static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height));
  mask.Bits.resize(image.Bits.size());
  for (int i = 0; i < Count(); ++i)
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x) {
        size_t k = static_cast<size_t>(y) * static_cast<size_t>(FWidth) + static_cast<size_t>(x);
        image.Row(y)[i * FWidth + x] = FImages[static_cast<size_t>(i)].Pixels[k];
        mask.Row(y)[i * FWidth + x] = FImages[static_cast<size_t>(i)].Clear[k] ? gdi::kWhite : gdi::kBlack;
      }
  for (const TSurface* s : {&image, &mask}) {
    std::vector<uint8_t> bmp = gdi::EncodeBmp(*s, s->Mono ? 1 : 32);
    Stream->WriteBuffer(bmp.data(), static_cast<int64_t>(bmp.size()));
  }
}

void TCustomImageList::ReadImages(TStream* Stream) {
  uint32_t count = Get32(Stream), w = Get32(Stream), h = Get32(Stream);
  if (count == 0 || w == 0 || h == 0 || w > 4096 || h > 4096 || count > 65536)
    throw EReadError("Image list data is not valid");
  TSurface image, mask;
  TPixelFormat f;
  gdi::DecodeBmp(gdi::ReadBmpBytes(Stream), image, f);
  gdi::DecodeBmp(gdi::ReadBmpBytes(Stream), mask, f);
  if (image.Width != static_cast<int>(w * count) || image.Height != static_cast<int>(h) ||
      mask.Width != image.Width || mask.Height != image.Height)
    throw EReadError("Image list data is not valid");
  std::vector<TImage> images(count);
  for (uint32_t i = 0; i < count; ++i) {
    images[i].Pixels.resize(static_cast<size_t>(w) * h);
    images[i].Clear.resize(static_cast<size_t>(w) * h);
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x) {
        size_t k = static_cast<size_t>(y) * w + x;
        images[i].Pixels[k] = image.Row(static_cast<int>(y))[i * w + x];
        images[i].Clear[k] = gdi::SnapMono(mask.Row(static_cast<int>(y))[i * w + x]) == gdi::kWhite;
      }
  }
  FWidth = static_cast<int>(w);
  FHeight = static_cast<int>(h);
  FImages = std::move(images);
  std::fill(std::begin(FOverlays), std::end(FOverlays), -1);
  Change();
}
