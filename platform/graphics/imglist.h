#pragma once
// Image lists: equally sized images with transparency masks, drawn enabled or
// greyed, with overlays, telling the controls that use them about changes.
#include <vector>

#include "platform/graphics/graphics.h"

class TCustomImageList;

// The link through which a control hears that an image list changed. It takes
// itself off its list when freed; a list that is freed first clears Sender.
class TChangeLink : public TObject {
  DTU_CLASS(TChangeLink, TObject)
public:
  TChangeLink() = default;
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return FSender; }
  TNotifyEvent OnChange;
  void Change();
private:
  friend class TCustomImageList;
  TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
  DTU_CLASS(TCustomImageList, TComponent)
public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  // Changing the image size removes all images.
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  // The colour under transparent pixels; clNone draws them transparently.
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value);
  // Without masks every pixel is drawn.
  bool Masked() const { return FMasked; }
  void SetMasked(bool Value);
  int Count() const { return static_cast<int>(FImages.size()); }

  // Adds Image cut into Width-wide images (as many as fit, rows beyond Height left
  // out, missing rows black); Mask (monochrome, white = transparent) or no mask.
  // Returns the first new index; an image narrower than Width (or none) raises
  // EInvalidOperation "Unable to insert an image".
  int Add(TBitmap* Image, TBitmap* Mask);
  // The same with the pixels of MaskColor transparent (clDefault: the image's
  // transparent colour); those pixels are stored black.
  int AddMasked(TBitmap* Image, TColor MaskColor);
  // An index outside the list raises EInvalidOperation "Image index out of range".
  void Delete(int Index);
  void Clear();
  // Copies image Index into Image (resized to the image size); false when out of range.
  bool GetBitmap(int Index, TBitmap* Image);
  // Makes image ImageIndex overlay number Overlay (0..3) for DrawOverlay.
  bool Overlay(int ImageIndex, int Overlay);

  // Draws image Index with its top-left corner at (X, Y); out of range draws
  // nothing. Disabled images are drawn greyed: the shape of their pixels that are
  // neither transparent nor white, in clBtnHighlight one pixel down and right, then
  // in clBtnShadow.
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  void DrawOverlay(TCanvas* Canvas, int X, int Y, int ImageIndex, int Overlay, bool Enabled = true);

  void RegisterChanges(TChangeLink* Value);
  void UnRegisterChanges(TChangeLink* Value);
  TNotifyEvent FOnChange;

  // Forms store the images as the binary property "Bitmap": image count, width and
  // height (32-bit little endian), then the images side by side as a 32-bit BMP
  // and their masks as a 1-bit BMP.
  void DefineProperties(TFiler* Filer) override;

protected:
  virtual void Change();

private:
  struct TImage {
    std::vector<uint32_t> Pixels;  // 0xFFRRGGBB
    std::vector<uint8_t> Clear;    // 1 = transparent
  };
  int AddImages(TBitmap* Image, const std::function<bool(int X, int Y, uint32_t Pixel)>& IsClear);
  void Paint(TCanvas* Canvas, int X, int Y, const TImage& Image, bool Enabled, bool Background);
  void ReadImages(TStream* Stream);
  void WriteImages(TStream* Stream);

  int FWidth = 16;
  int FHeight = 16;
  TColor FBkColor = clNone;
  bool FMasked = true;
  std::vector<TImage> FImages;
  int FOverlays[4] = {-1, -1, -1, -1};
  std::vector<TChangeLink*> FLinks;
};

// The image list components of forms: BkColor, Height, Masked, Width, OnChange.
class TImageList : public TCustomImageList {
  DTU_CLASS(TImageList, TCustomImageList)
public:
  using TCustomImageList::TCustomImageList;
};
