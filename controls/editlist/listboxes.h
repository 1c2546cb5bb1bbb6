#pragma once
// TQvCustomListBox / TQvListBox: the framed list box. On top of the layer's list
// box it adds the library's flat frame and state colours (shared with the framed
// edits through a frame controller), an incremental search over the item texts,
// group header items marked by a text prefix, item hints for items wider than the
// client area, and a horizontal scroll extent that follows the widest item.
//
// Every item operation is a list box message (LB_...), so descendants see each of
// them in WndProc; the items, the selection and the top index are kept by the
// layer's list box across a re-created window.
#include <functional>
#include <string>

#include "controls/common/framecontroller.h"
#include "controls/common/frames.h"
#include "controls/editlist/framing.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/forms.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/listbox.h"

class TQvCustomListBox : public TQvFraming<TCustomListBox> {
  DTU_CLASS(TQvCustomListBox, TQvFraming<TCustomListBox>)
public:
  explicit TQvCustomListBox(TComponent* AOwner);
  ~TQvCustomListBox() override;

  // The items (a descendant may replace the layer's list, see GetItems).
  TStrings* Items() { return GetItems(); }
  void SetItems(TStrings* Value) { GetItems()->Assign(Value); }

  int Add(const std::string& S) { return Items()->Add(S); }
  int AddObject(const std::string& S, TObject* Obj) { return Items()->AddObject(S, Obj); }
  void Insert(int Index, const std::string& S) { Items()->Insert(Index, S); }
  void InsertObject(int Index, const std::string& S, TObject* Obj) { Items()->InsertObject(Index, S, Obj); }
  int IndexOf(const std::string& S) { return Items()->IndexOf(S); }
  // Deletes the item and keeps a selection at the same place (one up at the end).
  void Delete(int Index);
  // "" without a selection.
  std::string SelectedItem();
  // Selects the item with exactly this text (any case); false when there is none.
  bool FindItem(const std::string& S);
  void SelectAll() override;
  void UnselectAll();
  // Deletes every selected item (multiple selection) and fires OnDeleteItems.
  void DeleteSelectedItems();
  void ClearSearchString() { FSearchText.clear(); }

  // Groups: a group header is an item whose text begins with GroupPrefix. Group
  // numbers count headers from 0. Out-of-range arguments give -1 or "".
  int AddGroup(const std::string& S);
  int ItemsInGroup(int GroupIndex);
  int ItemIndexOfGroup(int GroupIndex);
  int InsertItemIntoGroup(int GroupIndex, int Position, const std::string& S);
  int AddItemToGroup(int GroupIndex, const std::string& S);
  std::string ItemCaption(int Index);
  void ItemToGroup(int Index);
  void GroupToItem(int Index);
  virtual bool GetItemIsGroup(int Index);
  virtual bool ItemInsideGroup(int Index);
  virtual int ItemGroupIndex(int Index);
  virtual int GroupIndexOfItem(int Index);

  bool IncrementalSearch() const { return FIncrementalSearch; }
  void SetIncrementalSearch(bool Value) { FIncrementalSearch = Value; }
  bool BeepOnInvalidKey() const { return FBeepOnInvalidKey; }
  void SetBeepOnInvalidKey(bool Value) { FBeepOnInvalidKey = Value; }
  uint16_t HorzExtent() const { return FHorzExtent; }
  virtual void SetHorzExtent(uint16_t Value);
  bool HorzScrollBar() const { return FHorzScrollBar; }
  virtual void SetHorzScrollBar(bool Value);
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool Value) { FTabOnEnter = Value; }
  int OwnerDrawIndent() const { return FOwnerDrawIndent; }
  virtual void SetOwnerDrawIndent(int Value);
  bool ShowItemHints() const { return FShowItemHints; }
  void SetShowItemHints(bool Value) { FShowItemHints = Value; }
  bool UseGradients() const { return FUseGradients; }
  virtual void SetUseGradients(bool Value);
  TColor GroupColor() const { return FGroupColor; }
  virtual void SetGroupColor(TColor Value);
  TFont* GroupFont() const { return FGroupFont; }
  virtual void SetGroupFont(TFont* Value);
  const std::string& GroupPrefix() const { return FGroupPrefix; }
  virtual void SetGroupPrefix(const std::string& Value);
  bool ShowGroups() const { return FShowGroups; }
  virtual void SetShowGroups(bool Value);

  // The hint window of the item under the pointer (nullptr until first needed).
  THintWindow* ItemHintWindow() const { return FHintWindow; }
  bool GroupFontStored() const { return FGroupFontStored; }

  TNotifyEvent OnMatch;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnDeleteItems;

  void Loaded() override;
  // Style and ItemHeight as a stream sets them: while it is read, ShowGroups leaves
  // the values it read alone, whatever the order of the lines.
  enum : unsigned { rdStyle = 1, rdItemHeight = 2 };
  void SetReadStyle(TListBoxStyle Value) {
    if (ComponentState().Contains(csReading)) FRead |= rdStyle;
    SetStyle(Value);
  }
  void SetReadItemHeight(int Value) {
    if (ComponentState().Contains(csReading)) FRead |= rdItemHeight;
    SetItemHeight(Value);
  }
  // The style a reader derives from ShowGroups.
  std::optional<int64_t> ImpliedStyle() const {
    return FShowGroups ? std::optional<int64_t>(static_cast<int64_t>(lbOwnerDrawFixed)) : std::nullopt;
  }

protected:
  unsigned FRead = 0;  // what the stream being read has set (until Loaded)
  void RepaintFrame() override;
  virtual int OwnerDrawItemIndent();
  virtual void UpdateItemHeight();
  virtual void GroupFontChanged() {}
  virtual int FindClosest(const std::string& S);
  virtual void DrawListItem(int Index, TRect Rect, TOwnerDrawState State);
  virtual void DrawGroup(int Index, TRect Rect, TOwnerDrawState State);
  virtual TStrings* GetItems() { return TCustomListBox::Items(); }
  virtual void AdjustHorzExtent();
  // What follows the items is measured again after an item message (Msg), or, while
  // the items are inside BeginUpdate, once when the block ends: the horizontal
  // extent here, the automatic tab stops in the tabbed list box too.
  virtual void ItemsChanged(UINT Msg);
  // The extent now, or when the update block ends (HorzScrollBar only).
  void MeasureHorzExtent();
  void ItemsUpdateEnded() override;
  virtual void DefaultDrawItem(int Index, TRect Rect, TOwnerDrawState State);
  // An item's text as the default drawing places it: one line, vertically centred,
  // 2 pixels in from the reading side, with the control's bidi flags.
  void DrawItemText(const std::string& Text, TRect R);
  virtual void Match();
  virtual void DoDeleteItems();
  // A key the control refuses: a beep when BeepOnInvalidKey.
  void InvalidKeyPressed();
  // The items are inside BeginUpdate.
  bool ItemsUpdating();
  bool Loading() const { return ComponentState().Contains(csLoading); }
  bool IsFocused() const { return FFocused; }

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
  void Resize() override;


  TControlCanvas* FFrameCanvas;
  // Set by CM_FONTCHANGED for descendants handling it after: the font is really
  // another one (not the same font handed down again).
  bool FFontChanged = false;

private:
  void WMChar(TMessage& M);
  void SelectClosestMatch(const std::string& Copy, TMessage& M);
  void SearchTimerExpired(TObject* Sender);
  void WMNCPaint(TMessage& M);
  void CNDrawItem(TMessage& M);
  void ColorChanged(TMessage& M);
  void ShowItemHint(TPoint ClientPos);
  void ReleaseItemHint();
  static std::string FontKey(TFont* F);

  std::string FSearchText;
  TTimer* FSearchTimer;
  bool FKeyInProgress = false;
  bool FIncrementalSearch = true;
  bool FBeepOnInvalidKey = true;
  uint16_t FHorzExtent = 0;
  bool FHorzScrollBar = false;
  bool FTabOnEnter = false;
  int FOwnerDrawIndent = 0;
  bool FShowItemHints = true;
  THintWindow* FHintWindow = nullptr;
  bool FUseGradients = true;
  TColor FGroupColor = clInactiveCaptionText;
  TFont* FGroupFont;
  bool FGroupFontStored = false;
  std::string FGroupPrefix = "//";
  bool FShowGroups = false;
  std::string FMeasuredFont;  // the font of the last CM_FONTCHANGED
  bool FExtentStale = false;  // the extent waits for the end of an update block
};

class TQvListBox : public TQvCustomListBox {
  DTU_CLASS(TQvListBox, TQvCustomListBox)
public:
  using TQvCustomListBox::TQvCustomListBox;
};

// The published properties of TQvListBox, shared by the published framed list
// boxes (the tabbed list box leaves TabWidth out). The framing set comes first
// (framing.h); the list box has no read-only colours.
template <class L>
void PublishFramedListBox(TClassBuilder<L>& B, bool WithTabWidth, bool ShowItemHintsDefault = true,
                          bool WithShowGroups = true) {
  PublishFraming(B, {.ReadOnlyColors = false});
  PublishInherited(B, {"Align", "Anchors"});
  B.Bool("BeepOnInvalidKey", &L::BeepOnInvalidKey, &L::SetBeepOnInvalidKey, true)
      .template Enum<TBorderStyle>("BorderStyle", &L::BorderStyle, &L::SetBorderStyle, bsSingle);
  PublishInherited(B, {"Ctl3D", "Enabled"});
  B.Bool("ExtendedSelect", &L::ExtendedSelect, &L::SetExtendedSelect, true);
  PublishInherited(B, {"Font"});
  B.Int("GroupColor", &L::GroupColor, [](L* l, int64_t v) { l->SetGroupColor(static_cast<TColor>(v)); },
           clInactiveCaptionText, {}, &ColorIdents())
      .template Object<TFont>("GroupFont", &L::GroupFont, &L::SetGroupFont, [](L* l) { return l->GroupFontStored(); })
      .Str("GroupPrefix", &L::GroupPrefix, &L::SetGroupPrefix, [](L* l) { return l->GroupPrefix() != "//"; })
      .Int("HorzExtent", &L::HorzExtent, [](L* l, int64_t v) { l->SetHorzExtent(static_cast<uint16_t>(v)); }, 0)
      .Bool("HorzScrollBar", &L::HorzScrollBar, &L::SetHorzScrollBar, false)
      .Bool("IncrementalSearch", &L::IncrementalSearch, &L::SetIncrementalSearch, true)
      .Int("ItemHeight", &L::ItemHeight, [](L* l, int64_t v) { l->SetReadItemHeight(static_cast<int>(v)); }, 16)
      .template Object<TStrings>("Items", &L::Items, &L::SetItems)
      .Bool("MultiSelect", &L::MultiSelect, &L::SetMultiSelect, false)
      .Int("OwnerDrawIndent", &L::OwnerDrawIndent,
           [](L* l, int64_t v) { l->SetOwnerDrawIndent(static_cast<int>(v)); }, 0)
      .Prop(FramingParentColor<L>());
  PublishInherited(B, {"BiDiMode", "ParentBiDiMode", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu",
                       "ShowHint"});
  B.Bool("ShowItemHints", &L::ShowItemHints, &L::SetShowItemHints, ShowItemHintsDefault)
      .Bool("Sorted", &L::Sorted, &L::SetSorted, false)
      .template Enum<TListBoxStyle>("Style", &L::Style, &L::SetReadStyle, lbStandard)
      .Implied([](L* l) { return l->ImpliedStyle(); });
  PublishInherited(B, {"TabOrder"});
  B.Prop(TControl::Property("TabStop", 1))
      .Bool("TabOnEnter", &L::TabOnEnter, &L::SetTabOnEnter, false)
      .Bool("UseGradients", &L::UseGradients, &L::SetUseGradients, true);
  PublishInherited(B, {"Visible"});
  if (WithShowGroups) B.Bool("ShowGroups", &L::ShowGroups, &L::SetShowGroups, false);
  if (WithTabWidth)
    B.Int("TabWidth", &L::TabWidth, [](L* l, int64_t v) { l->SetTabWidth(static_cast<int>(v)); }, 0);
  PublishInherited(B, {"OnClick", "OnDblClick"});
  B.Event("OnDeleteItems", static_cast<TNotifyEvent L::*>(&L::OnDeleteItems))
      .Event("OnDrawItem", static_cast<TDrawItemEvent L::*>(&L::OnDrawItem));
  PublishInherited(B, {"OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"});
  B.Event("OnMatch", static_cast<TNotifyEvent L::*>(&L::OnMatch))
      .Event("OnMeasureItem", static_cast<TMeasureItemEvent L::*>(&L::OnMeasureItem));
  PublishInherited(B, {"OnMouseDown"});
  B.Event("OnMouseEnter", static_cast<TNotifyEvent L::*>(&L::OnMouseEnter))
      .Event("OnMouseLeave", static_cast<TNotifyEvent L::*>(&L::OnMouseLeave));
  PublishInherited(B, {"OnMouseMove", "OnMouseUp"});
}
