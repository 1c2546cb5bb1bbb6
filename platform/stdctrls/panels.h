#pragma once
// The class library's containers and pictures: TPanel (a bevelled container with a
// centred caption), TBevel (a bevelled box or line), TImage (a picture on its
// parent) with TPicture, and Frame3D, the bevel ring they draw with.
#include <string>

#include "platform/controls/controls.h"

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;
enum class TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum class TBevelStyle { bsLowered, bsRaised };
using enum TBevelCut;
using enum TBevelShape;
using enum TBevelStyle;
DTU_DECLARE_ENUM(TBevelCut)
DTU_DECLARE_ENUM(TBevelShape)
DTU_DECLARE_ENUM(TBevelStyle)

// Draws Width rings inside Rect, each with its top and left sides in TopColor and
// its right and bottom sides in BottomColor (the bottom-left and top-right corner
// pixels belong to BottomColor), and shrinks Rect by Width.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

// ---------------------------------------------------------------------------
// TCustomPanel, TPanel
// ---------------------------------------------------------------------------

// An outer bevel, a BorderWidth ring in Color, an inner bevel, the face in Color and
// the caption centred vertically (aligned by Alignment). Children are aligned
// inside the bevels and the border.
class TCustomPanel : public TCustomControl {
  DTU_CLASS(TCustomPanel, TCustomControl)
public:
  explicit TCustomPanel(TComponent* AOwner);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel Value);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel Value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);
  // Whether a size change repaints the whole panel (otherwise only what moved).
  bool FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool Value) { FFullRepaint = Value; }
  bool Locked() const { return FLocked; }
  void SetLocked(bool Value) { FLocked = Value; }
  void Dispatch(TMessage& Message) override;

protected:
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;

private:
  TAlignment FAlignment = taCenter;
  TPanelBevel FBevelInner = bvNone;
  TPanelBevel FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  bool FFullRepaint = true;
  bool FLocked = false;
};

class TPanel : public TCustomPanel {
  DTU_CLASS(TPanel, TCustomPanel)
public:
  using TCustomPanel::TCustomPanel;
};

// ---------------------------------------------------------------------------
// TBevel
// ---------------------------------------------------------------------------

// A lowered or raised box, frame or line (an etched line between parts of a form);
// bsSpacer draws nothing.
class TBevel : public TGraphicControl {
  DTU_CLASS(TBevel, TGraphicControl)
public:
  explicit TBevel(TComponent* AOwner);
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle Value);
protected:
  void Paint() override;
private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};

// ---------------------------------------------------------------------------
// TPicture, TImage
// ---------------------------------------------------------------------------

// Holds one graphic (a bitmap or an icon), owned. Forms store it as the binary
// property "Data": the graphic's class name (a length byte and the name), then the
// graphic's own form data. OnChange fires when the graphic or its content changes.
class TPicture : public TPersistent {
  DTU_CLASS(TPicture, TPersistent)
public:
  TPicture() = default;
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  TGraphic* Graphic() const { return FGraphic; }
  // Takes a copy of Value (nullptr empties the picture).
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap: an empty bitmap replaces any other graphic.
  TBitmap* Bitmap();
  TIcon* Icon();
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }
  // Reads a .bmp or .ico file (by its extension, else by its first bytes);
  // EInvalidGraphic "Unknown picture file extension (.x)" for anything else.
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  TNotifyEvent OnChange;

private:
  void Changed();
  void Adopt(TGraphic* Graphic);
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);
  TGraphic* FGraphic = nullptr;
};

// A picture on its parent: at its own size (top-left, or centred with Center),
// stretched to the control (Stretch; Proportional keeps the aspect ratio and never
// enlarges). Transparent draws a bitmap without its transparent colour. AutoSize
// fits the control to the picture. Canvas draws into the picture's bitmap.
class TImage : public TGraphicControl {
  DTU_CLASS(TImage, TGraphicControl)
public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  TPicture* Picture() const { return FPicture; }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  // The bitmap's canvas: an image without a graphic gets a bitmap of the control's
  // size; EInvalidOperation "Can only modify an image if it contains a bitmap" for
  // an icon.
  TCanvas* Canvas();
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // Where the picture is drawn, in client coordinates.
  TRect DestRect();
  void Loaded() override;

protected:
  void Paint() override;

private:
  void PictureChanged();
  TPicture* FPicture;
  bool FAutoSize = false;
  bool FCenter = false;
  bool FStretch = false;
  bool FProportional = false;
  bool FTransparent = false;
};
