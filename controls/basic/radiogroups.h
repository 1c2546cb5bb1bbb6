#pragma once
// TQvCustomRadioGroup and TQvCustomCheckGroup: group boxes whose Items strings
// become child radio buttons or check boxes, laid out in columns (filled column by
// column). The radio group keeps one ItemIndex, asking OnChanging first; the check
// group keeps a state per item and streams those states as "CheckStates".
// TQvCustomItemGroup holds what the two share: the items, the item font and
// colours pushed into every child, and the layout.
#include <functional>
#include <vector>

#include "controls/basic/groupbox.h"
#include "controls/basic/radiocheck.h"
#include "controls/common/intlist.h"

using TQvIndexChangingEvent = std::function<void(TObject* Sender, int NewIndex, bool& AllowChange)>;
using TStateChangeEvent = std::function<void(TObject* Sender, int Index, TCheckBoxState NewState)>;

class TQvCustomItemGroup : public TQvCustomGroupBox {
  DTU_CLASS(TQvCustomItemGroup, TQvCustomGroupBox)
public:
  explicit TQvCustomItemGroup(TComponent* AOwner);
  ~TQvCustomItemGroup() override;

  TStrings* Items() const { return FItems; }
  virtual void SetItems(TStrings* Value) { FItems->Assign(Value); }
  TFont* ItemFont() const { return FItemFont; }
  virtual void SetItemFont(TFont* Value);
  bool ItemFontSet() const { return FItemFontSet; }
  // ItemFont as its published property hands it to a reader or writer; the first
  // form line read that names it ends its following Font.
  TFont* PublishedItemFont();
  int Columns() const { return FColumns; }
  // 1..16.
  virtual void SetColumns(int Value);
  bool SpaceEvenly() const { return FSpaceEvenly; }
  virtual void SetSpaceEvenly(bool Value);
  int StartXPos() const { return FStartXPos; }
  int StartYPos() const { return FStartYPos; }
  // Index 1: StartXPos, 2: StartYPos.
  virtual void SetStartPos(int Index, int Value);
  int VerticalSpacing() const { return FVerticalSpacing; }
  virtual void SetVerticalSpacing(int Value);
  int ItemHeight() const { return FItemHeight; }
  virtual void SetItemHeight(int Value);
  TBitmap* CustomGlyphs() const { return FCustomGlyphs; }
  virtual void SetCustomGlyphs(TBitmap* Value);
  bool UseCustomGlyphs() const { return FUseCustomGlyphs; }
  virtual void SetUseCustomGlyphs(bool Value);
  TColor TransparentColor() const { return FTransparentColor; }
  virtual void SetTransparentColor(TColor Value);
  TColor WinMaskColor() const { return FWinMaskColor; }
  virtual void SetWinMaskColor(TColor Value);
  bool LightTextStyle() const { return FLightTextStyle; }
  virtual void SetLightTextStyle(bool Value);
  TTextStyle TextStyle() const { return FTextStyle; }
  virtual void SetTextStyle(TTextStyle Value);
  TColor TextHighlightColor() const { return FTextHighlightColor; }
  virtual void SetTextHighlightColor(TColor Value);
  TColor TextShadowColor() const { return FTextShadowColor; }
  virtual void SetTextShadowColor(TColor Value);
  int TextShadowDepth() const { return FTextShadowDepth; }
  virtual void SetTextShadowDepth(int Value);
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool Value) { FTabOnEnter = Value; }
  TColor ItemFrameColor() const { return FItemFrameColor; }
  virtual void SetItemFrameColor(TColor Value);
  bool ItemHotTrack() const { return FItemHotTrack; }
  virtual void SetItemHotTrack(bool Value);
  TColor ItemHotTrackColor() const { return FItemHotTrackColor; }
  virtual void SetItemHotTrackColor(TColor Value);
  TQvHotTrackColorType ItemHotTrackColorType() const { return FItemHotTrackColorType; }
  virtual void SetItemHotTrackColorType(TQvHotTrackColorType Value);
  TColor ItemHighlightColor() const { return FItemHighlightColor; }
  virtual void SetItemHighlightColor(TColor Value);
  void SetTransparent(bool Value) override;
  void SetGroupBoxStyle(TQvGroupBoxStyle Value) override;
  std::string GetCaption() { return Caption(); }
  void SetCaption(const std::string& Value);

  // Whether the user may change the items' states (descendants may refuse).
  virtual bool CanModify() { return true; }
  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  TQvCustomGlyphButton* Button(int Index) const { return FButtons[Index]; }
  bool GetItemEnabled(int Index) { return FButtons[Index]->Enabled(); }
  void SetItemEnabled(int Index, bool Value) { FButtons[Index]->SetEnabled(Value); }
  // The child's key handling passes on to the group.
  void GroupKeyPress(char& Key) { KeyPress(Key); }
  void GroupKeyDown(WORD& Key, TShiftState Shift) { KeyDown(Key, Shift); }
  // A child is being freed: it leaves the list.
  void ButtonDestroyed(TQvCustomGlyphButton* Button);

  void CustomFramingChanged() override;
  void ReadState(TReader* Reader) override;
  void DefineProperties(TFiler* Filer) override;
  // The buttons of the items are the group's own: a form keeps Items, never them.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void ChangeScale(int M, int D) override;
  void Dispatch(TMessage& Message) override;

protected:
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  virtual TQvCustomGlyphButton* CreateButton() = 0;
  virtual void SetButtonCount(int Value);
  virtual void ArrangeButtons();
  virtual void UpdateButtons();
  virtual void ItemsChange(TObject* Sender);
  void KeyPress(char& Key) override;

  std::vector<TQvCustomGlyphButton*> FButtons;
  bool FReading = false;
  // Form streams read into the group: a later one (a descendant form's) only
  // changes what the earlier ones gave.
  int FStreamsRead = 0;
  bool FInClick = false;
  int FGlyphCount = 6;

private:
  std::vector<int> ColumnWidths(int Rows) const;
  void ItemFontChanged(TObject*);
  void CustomGlyphsChanged(TObject*);

  TFont* FItemFont;
  bool FItemFontSet = false;
  TStringList* FItems;
  int FColumns = 1;
  bool FSpaceEvenly = false;
  int FStartXPos = 8;
  int FStartYPos = 2;
  int FVerticalSpacing = 3;
  int FItemHeight = 17;
  int FGlyphWidth = 13;
  int FGlyphHeight = 13;
  TBitmap* FCustomGlyphs;
  bool FUseCustomGlyphs = false;
  TColor FTransparentColor = static_cast<TColor>(0x008080);
  TColor FWinMaskColor = static_cast<TColor>(0x808000);
  bool FLightTextStyle = false;
  TTextStyle FTextStyle = tsNormal;
  TColor FTextHighlightColor = clBtnHighlight;
  TColor FTextShadowColor = clBtnShadow;
  int FTextShadowDepth = 2;
  bool FTabOnEnter = false;
  TColor FItemFrameColor = clBtnShadow;
  bool FItemHotTrack = false;
  TColor FItemHotTrackColor = static_cast<TColor>(0x149BF0);
  TQvHotTrackColorType FItemHotTrackColorType = htctActual;
  TColor FItemHighlightColor = clHighlight;
};

class TQvCustomRadioGroup : public TQvCustomItemGroup {
  DTU_CLASS(TQvCustomRadioGroup, TQvCustomItemGroup)
public:
  explicit TQvCustomRadioGroup(TComponent* AOwner);
  int ItemIndex() const { return FItemIndex; }
  virtual void SetItemIndex(int Value);
  TQvIndexChangingEvent OnChanging;

protected:
  TQvCustomGlyphButton* CreateButton() override;
  void UpdateButtons() override;
  void ItemsChange(TObject* Sender) override;
  virtual bool CanChange(int NewIndex);
  void ButtonClick(TObject* Sender);

private:
  int FItemIndex = -1;
};

class TQvRadioGroup : public TQvCustomRadioGroup {
  DTU_CLASS(TQvRadioGroup, TQvCustomRadioGroup)
public:
  using TQvCustomRadioGroup::TQvCustomRadioGroup;
};

class TQvCustomCheckGroup : public TQvCustomItemGroup {
  DTU_CLASS(TQvCustomCheckGroup, TQvCustomItemGroup)
public:
  explicit TQvCustomCheckGroup(TComponent* AOwner);
  ~TQvCustomCheckGroup() override;
  bool AllowGrayed() const { return FAllowGrayed; }
  virtual void SetAllowGrayed(bool Value);
  bool GetItemChecked(int Index);
  void SetItemChecked(int Index, bool Value);
  TCheckBoxState GetItemState(int Index);
  void SetItemState(int Index, TCheckBoxState Value);
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  TStateChangeEvent OnChange;

protected:
  TQvCustomGlyphButton* CreateButton() override;
  void ArrangeButtons() override;
  virtual void Change(int Index, TCheckBoxState NewState);
  void CheckClick(TObject* Sender);

private:
  void ReadCheckStates(TReader* Reader);
  void WriteCheckStates(TWriter* Writer);

  bool FAllowGrayed = false;
  TQvIntegerList* FCheckStates;
};

class TQvCheckGroup : public TQvCustomCheckGroup {
  DTU_CLASS(TQvCheckGroup, TQvCustomCheckGroup)
public:
  using TQvCustomCheckGroup::TQvCustomCheckGroup;
};

// The children the groups make.
class TQvGroupButton : public TQvRadioButton {
  DTU_CLASS(TQvGroupButton, TQvRadioButton)
public:
  explicit TQvGroupButton(TQvCustomItemGroup* Group);
  ~TQvGroupButton() override;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyPress(char& Key) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

private:
  TQvCustomItemGroup* FGroup;
  bool FInMouseUp = false;
};

class TQvGroupCheck : public TQvCheckBox {
  DTU_CLASS(TQvGroupCheck, TQvCheckBox)
public:
  explicit TQvGroupCheck(TQvCustomItemGroup* Group);
  ~TQvGroupCheck() override;

protected:
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyPress(char& Key) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;

private:
  TQvCustomItemGroup* FGroup;
  bool FInMouseUp = false;
};
