#pragma once
// TQvBitBtn: the framed push button with a glyph, a bitmap strip (Glyph, up to
// four images: up, disabled, down, stays down) or an image of an image list,
// placed left, right, above or below the caption with Margin and Spacing. Kind
// sets the caption, the default/cancel role, the modal result and a stock glyph
// in one step; the button reports a kind only while those still match it.
//
// TQvMenuButton: a bit button that drops down a popup menu under itself (see
// MenuDropPoint), with an arrow at its right edge; a press that closes its own
// menu within 100 ms does not reopen it.
//
// The stock glyphs are 32 x 16 strips (normal, disabled) drawn by this library
// from small pixel maps, the bottom-left pixel being the transparent colour.
#include <cstdint>

#include "controls/basic/buttons.h"
#include "controls/basic/menudropdown.h"
#include "controls/basic/toolbutton.h"
#include "platform/controls/menus.h"
#include "platform/graphics/imglist.h"

enum class TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
using enum TBitBtnKind;
DTU_DECLARE_ENUM(TBitBtnKind)

// The kind's caption ("OK", "&Help" ...; empty for bkCustom).
std::string BitBtnCaption(TBitBtnKind Kind);
// The cached stock glyph of a kind (nullptr for bkCustom), made on first use.
TBitmap* GetBitBtnGlyph(TBitBtnKind Kind);

class TQvBitBtn : public TQvButton {
  DTU_CLASS(TQvBitBtn, TQvButton)
public:
  explicit TQvBitBtn(TComponent* AOwner);
  ~TQvBitBtn() override;

  TBitmap* Glyph() const { return FGlyph.get(); }
  virtual void SetGlyph(TBitmap* Value);
  virtual TBitBtnKind GetKind() const;
  virtual void SetKind(TBitBtnKind Value);
  TButtonLayout Layout() const { return FLayout; }
  virtual void SetLayout(TButtonLayout Value);
  int Margin() const { return FMargin; }
  virtual void SetMargin(int Value);
  int NumGlyphs() const { return FNumGlyphs; }
  virtual void SetNumGlyphs(int Value);
  int Spacing() const { return FSpacing; }
  virtual void SetSpacing(int Value);
  int ImageIndex() const { return FImageIndex; }
  virtual void SetImageIndex(int Value);
  int DisabledIndex() const { return FDisabledIndex; }
  virtual void SetDisabledIndex(int Value);
  TCustomImageList* Images() const { return FImages; }
  virtual void SetImages(TCustomImageList* Value);
  bool IsCustom() const { return GetKind() == bkCustom; }
  bool IsCustomCaption();

  virtual TPoint GetImageSize();
  virtual TRect GetGlyphRect();
  TRect GetCaptionRect() override;
  void ChangeScale(int M, int D) override;
  HPALETTE GetPalette() override { return FGlyph->Palette(); }

protected:
  void DrawButtonContent() override;
  virtual void DrawImage(TRect R);
  virtual void DrawGlyph(TRect R);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // From a TCustomAction the image index follows the action's.
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  void GlyphChanged();
  // Caption height for a centred glyph (Margin -1).
  int MeasureCaptionHeight(const TRect& C);

private:
  std::unique_ptr<TBitmap> FGlyph;
  TBitBtnKind FKind = bkCustom;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = 2;
  int FNumGlyphs = 1;
  int FSpacing = 4;
  bool FModifiedGlyph = false;
  int FImageIndex = -1, FDisabledIndex = -1;
  TCustomImageList* FImages = nullptr;
  TChangeLink FImageChangeLink;
  bool FSettingKind = false;
  // The stream being read has set Caption / NumGlyphs: a kind read later keeps them.
  bool FCaptionRead = false, FNumGlyphsRead = false;
  bool Reading() const { return ComponentState().Contains(csReading); }

public:
  void Loaded() override;
};

class TQvMenuButton : public TQvBitBtn {
  DTU_CLASS(TQvMenuButton, TQvBitBtn)
public:
  explicit TQvMenuButton(TComponent* AOwner);
  TPopupMenu* DropDownMenu() const { return FMenuDropDown.Menu(); }
  virtual void SetDropDownMenu(TPopupMenu* Value);
  bool ShowArrow() const { return FMenuDropDown.ShowArrow(); }
  virtual void SetShowArrow(bool Value);
  virtual void DoDropDown();
  void Click() override;
  TRect GetCaptionRect() override;
  TRect GetGlyphRect() override;
  void Dispatch(TMessage& Message) override;
  TNotifyEvent OnDropDown;

protected:
  virtual void DropDown();
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TQvMenuDropDown FMenuDropDown{this};
};
