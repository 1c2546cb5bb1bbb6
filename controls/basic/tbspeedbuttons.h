#pragma once
// Speed buttons for toolbars. TQvToolbarButton shows a second glyph (HotGlyph)
// while the pointer is over it, can hide its caption and keep it for later
// (ShowCaption; the hidden caption is streamed as "SaveCaption"), and can ignore
// its action's caption. TQvMenuToolbarButton adds a drop-down popup menu with an
// arrow part at its right edge, its left edge right to left (see MenuDropPoint).
#include <cstdint>
#include <memory>
#include <string>

#include "controls/basic/menudropdown.h"
#include "controls/basic/toolbutton.h"
#include "platform/controls/menus.h"
#include "platform/stdctrls/speedbuttons.h"

class TQvToolbarButton : public TSpeedButton {
  DTU_CLASS(TQvToolbarButton, TSpeedButton)
public:
  explicit TQvToolbarButton(TComponent* AOwner);
  ~TQvToolbarButton() override;

  TBitmap* HotGlyph() const { return FHotGlyph.get(); }
  virtual void SetHotGlyph(TBitmap* Value);
  int HotNumGlyphs() const { return FHotNumGlyphs; }
  virtual void SetHotNumGlyphs(int Value);
  bool UseHotGlyph() const { return FUseHotGlyph; }
  void SetUseHotGlyph(bool Value) { FUseHotGlyph = Value; }
  bool IgnoreActionCaption() const { return FIgnoreActionCaption; }
  void SetIgnoreActionCaption(bool Value) { FIgnoreActionCaption = Value; }
  bool ShowCaption() const { return FShowCaption; }
  virtual void SetShowCaption(bool Value);
  virtual std::string GetCaption();
  // With the caption hidden, the value becomes the saved caption.
  virtual void SetCaption(const std::string& Value);
  // The normal glyph: the saved one while the hot glyph shows.
  TBitmap* NormalGlyph() const;
  void SetGlyph(TBitmap* Value);
  const std::string& SavedCaption() const { return FSavedCaption; }
  bool HotShown() const { return FHotShown; }
  void Dispatch(TMessage& Message) override;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DefineProperties(TFiler* Filer) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLink* CreateActionLink() override;

private:
  void HotGlyphChanged();
  bool FHotShown = false;
  std::unique_ptr<TBitmap> FHotGlyph;
  int FHotNumGlyphs = 1;
  bool FUseHotGlyph = false;
  std::unique_ptr<TBitmap> FSavedGlyph;
  int FSavedNumGlyphs = 0;
  bool FIgnoreActionCaption = false;
  std::string FSavedCaption;
  bool FShowCaption = true;
  bool FMouseIn = false;
};

// The toolbar button's link: the caption does not follow the action while the
// button ignores action captions.
class TQvToolbarButtonActionLink : public TSpeedButtonActionLink {
  DTU_CLASS(TQvToolbarButtonActionLink, TSpeedButtonActionLink)
public:
  explicit TQvToolbarButtonActionLink(TQvToolbarButton* AClient) : TSpeedButtonActionLink(AClient), FButton(AClient) {}
  bool IsCaptionLinked() override;

private:
  TQvToolbarButton* FButton;
};

class TQvMenuToolbarButton : public TQvToolbarButton {
  DTU_CLASS(TQvMenuToolbarButton, TQvToolbarButton)
public:
  explicit TQvMenuToolbarButton(TComponent* AOwner);
  TPopupMenu* DropDownMenu() const { return FMenuDropDown.Menu(); }
  virtual void SetDropDownMenu(TPopupMenu* Value);
  bool ShowArrow() const { return FMenuDropDown.ShowArrow(); }
  virtual void SetShowArrow(bool Value);
  virtual void DoDropDown();
  void Click() override;
  TNotifyEvent OnDropDown;

protected:
  virtual void DropDown();
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  // A left press at X opens the menu rather than pressing the button.
  bool OnArrowPart(int X) const;
  TQvMenuDropDown FMenuDropDown{this};
};
