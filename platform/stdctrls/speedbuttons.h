#pragma once
// TSpeedButton: the class library's windowless tool button with a glyph. The glyph
// is a strip of up to four images (up, disabled, down, stays-down); its bottom-left
// pixel's colour is transparent, and a missing disabled image is made from the up
// image (embossed in the highlight and shadow colours). A button with a GroupIndex
// stays down when clicked and raises the other buttons of its group on the same
// parent (CM_BUTTONPRESSED); AllowAllUp lets the down button of a group go up.
// Flat buttons show a thin raised frame only while the pointer is over them.
#include <string>

#include "platform/controls/actions.h"

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
using TNumGlyphs = int;  // 1..4
using enum TButtonLayout;
using enum TButtonState;
DTU_DECLARE_ENUM(TButtonLayout)
DTU_DECLARE_ENUM(TButtonState)

// Draws a button's glyph and caption: the image of State from the strip, placed by
// Layout, Margin (-1: centred) and Spacing (-1: spread evenly), both offset by
// Offset (a pressed face moves them by one pixel). BiDiFlags are the control's
// DrawTextBiDiModeFlags: DT_RIGHT swaps the left and right layouts, DT_RTLREADING
// reads the caption right to left. Returns where the caption went.
TRect DrawButtonGlyph(TCanvas* Canvas, TBitmap* Glyph, int NumGlyphs, const TRect& Client, TPoint Offset,
                      const std::string& Caption, TButtonLayout Layout, int Margin, int Spacing,
                      TButtonState State, unsigned BiDiFlags = 0);

class TSpeedButton : public TGraphicControl {
  DTU_CLASS(TSpeedButton, TGraphicControl)
public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  // A button without a group is never down; the down button of a group without
  // AllowAllUp stays down.
  bool Down() const { return FDown; }
  virtual void SetDown(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  TBitmap* Glyph() const { return FGlyph; }
  void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
  TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TNumGlyphs Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  int Margin() const { return FMargin; }
  void SetMargin(int Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // The face as drawn: up, down (held), exclusive (stays down) or disabled.
  TButtonState State() const { return FState; }
  // Whether the pointer is over a flat button.
  bool MouseInControl() const { return FMouseInControl; }

  void Click() override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;

protected:
  // From the action: the group when the button has none, the glyph from the
  // action list's images when the button has none.
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLink* CreateActionLink() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;
  // Tells the other buttons of the group that this one is down.
  void UpdateExclusive();
  // Another button of the group told it of a change (CM_BUTTONPRESSED): when that
  // one is down this one goes up, and the group's AllowAllUp is the sender's. A
  // descendant calls it for group members that are not speed buttons.
  void GroupPeerChanged(bool PeerDown, bool PeerAllowAllUp);
  void UpdateTracking();
  virtual void GlyphChanged();

  TButtonState FState = bsUp;
  bool FDragging = false;
  bool FMouseInControl = false;

private:
  TBitmap* FGlyph;
  TNumGlyphs FNumGlyphs = 1;
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FFlat = false;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  bool FTransparent = true;
};

// A speed button in a group that allows all up follows its action's Checked with
// Down.
class TSpeedButtonActionLink : public TControlActionLink {
  DTU_CLASS(TSpeedButtonActionLink, TControlActionLink)
public:
  explicit TSpeedButtonActionLink(TSpeedButton* AClient) : TControlActionLink(AClient), FButton(AClient) {}
  bool IsCheckedLinked() override;
  void SetChecked(bool Value) override;
private:
  TSpeedButton* FButton;
};
