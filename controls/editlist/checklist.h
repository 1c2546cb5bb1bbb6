#pragma once
// TQvCheckList: a tabbed list box whose items each carry a three-state check box
// and an enabled flag. Texts, objects and order live in the list box window (its
// messages); the flags ("packets") are kept beside them by the items list and follow
// every item message the window sees, whoever sends it. The items save to and load
// from text lines "&E S text" (E the enabled flag 1/0, S the state 0/1/2).
#include <functional>
#include <string>
#include <vector>

#include "controls/editlist/tabbedlist.h"
#include "platform/stdctrls/stdctrls_buttons.h"

class TQvCheckList;

struct TPacket {
  uint8_t State = 0;  // a TCheckBoxState
  bool Enabled = true;
};

// Strings with a packet per item, held while the check list's window is re-created
// or used as a source to copy from.
class TPacketStringList : public TStringList {
  DTU_CLASS(TPacketStringList, TStringList)
public:
  TPacketStringList() = default;
  int AddObject(const std::string& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void AddStrings(TStrings* Strings) override;
  TPacket& Packet(int Index) { return FPackets.at(static_cast<size_t>(Index)); }

private:
  std::vector<TPacket> FPackets;
};

// The check list's items: every operation is a list box message.
class TQvCheckListStrings : public TStrings {
  DTU_CLASS(TQvCheckListStrings, TStrings)
public:
  explicit TQvCheckListStrings(TQvCheckList* AOwner = nullptr) : FCheckList(AOwner) {}

  int Add(const std::string& S) override;
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void Move(int CurIndex, int NewIndex) override;
  void Exchange(int Index1, int Index2) override;
  void AddStrings(TStrings* Strings) override;
  // Lines "&E S text" (see the unit's comment) or plain texts. A line that begins
  // with "&" but has no state digit 0..2 at its fourth character raises
  // EConvertError; the items read before it stay.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) const override;
  // Beside "Strings": "ItemEnabled" (Booleans) and "ItemState" (Integers), one
  // value per item, written when there are items.
  void DefineProperties(TFiler* Filer) override;

  TPacket& Packet(int Index);
  const TPacket& Packet(int Index) const;
  int IndexOf(const std::string& S) const override;

protected:
  std::string Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;
  void Put(int Index, const std::string& S) override;
  void SetUpdateState(bool Updating) override;

private:
  friend class TQvCheckList;
  LRESULT Send(UINT Msg, WPARAM W, LPARAM L) const;
  int AddWithPacket(const std::string& S, TObject* Obj, TPacket P);
  // A stream line: its text and flags ("&..." decoded); false for a plain line.
  static bool DecodeLine(const std::string& Line, std::string& Text, TPacket& P);
  void ReadItemEnabled(TReader* Reader);
  void ReadItemState(TReader* Reader);
  // Gives the items the flags read from the form (Loaded: the item texts may come
  // after the flags).
  void ApplyReadFlags();
  TQvCheckList* FCheckList;
  std::vector<TPacket> FPackets;
  // The flags of the form being read, item by item (-1: a state that names no glyph).
  std::vector<bool> FEnabledRead;
  std::vector<int> FStatesRead;
};

using TStateChangingEvent =
    std::function<void(TObject* Sender, int Index, TCheckBoxState NewState, bool& AllowChange)>;
using TStateChangeEvent = std::function<void(TObject* Sender, int Index, TCheckBoxState NewState)>;

class TQvCheckList : public TQvCustomTabbedListBox {
  DTU_CLASS(TQvCheckList, TQvCustomTabbedListBox)
public:
  explicit TQvCheckList(TComponent* AOwner);
  ~TQvCheckList() override;

  TQvCheckListStrings* CheckItems() const { return FItems; }
  virtual bool GetItemChecked(int Index);
  virtual void SetItemChecked(int Index, bool Value);
  virtual bool GetItemEnabled(int Index);
  virtual void SetItemEnabled(int Index, bool Value);
  virtual TCheckBoxState GetItemState(int Index);
  virtual void SetItemState(int Index, TCheckBoxState Value);

  // Sorting without a window reorders the items in place: their flags go with them.
  void SetSorted(bool Value);

  int AddEx(const std::string& S, bool Checked, bool Enabled);
  void AddItem(const std::string& S, TObject* Obj) { Items()->AddObject(S, Obj); }
  void CheckAll();
  void UncheckAll();
  int ItemsChecked();
  void CheckGroup(int GroupIndex) { SetGroupState(GroupIndex, cbChecked); }
  void UncheckGroup(int GroupIndex) { SetGroupState(GroupIndex, cbUnchecked); }
  void EnableGroup(int GroupIndex);
  void DisableGroup(int GroupIndex);
  void SetGroupState(int GroupIndex, TCheckBoxState State);
  void LoadFromFile(const std::string& FileName) { FItems->LoadFromFile(FileName); }
  void LoadFromStream(TStream* Stream) { FItems->LoadFromStream(Stream); }
  void SaveToFile(const std::string& FileName) { FItems->SaveToFile(FileName); }
  void SaveToStream(TStream* Stream) { FItems->SaveToStream(Stream); }

  bool AllowGrayed() const { return FAllowGrayed; }
  virtual void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  TBitmap* CustomGlyphs() const { return FCustomGlyphs; }
  virtual void SetCustomGlyphs(TBitmap* Value) { FCustomGlyphs->Assign(Value); }
  bool UseCustomGlyphs() const { return FUseCustomGlyphs; }
  virtual void SetUseCustomGlyphs(bool Value);
  TColor TransparentColor() const { return FTransparentColor; }
  virtual void SetTransparentColor(TColor Value);
  TColor HighlightColor() const { return FHighlightColor; }
  virtual void SetHighlightColor(TColor Value);
  TColor ItemFillColor() const { return FItemFillColor; }
  virtual void SetItemFillColor(TColor Value);
  TColor ItemFocusColor() const { return FItemFocusColor; }
  virtual void SetItemFocusColor(TColor Value);
  TColor ItemFrameColor() const { return FItemFrameColor; }
  virtual void SetItemFrameColor(TColor Value);
  bool ToggleOnItemClick() const { return FToggleOnItemClick; }
  void SetToggleOnItemClick(bool Value) { FToggleOnItemClick = Value; }
  int GlyphWidth() const { return FGlyphWidth; }
  int GlyphHeight() const { return FGlyphHeight; }

  TStateChangingEvent OnChanging;
  TStateChangeEvent OnChange;

  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;

protected:
  virtual void ToggleCheckState();
  virtual void SelectGlyph(int Index, TBitmap* Bitmap);
  virtual bool CanChange(int Index, TCheckBoxState NewState);
  virtual void Change(int Index, TCheckBoxState NewState);

  TStrings* GetItems() override { return FItems; }
  int OwnerDrawItemIndent() override { return FGlyphWidth + 8; }
  int InitialTabStopOffset() override { return FGlyphWidth; }
  void UpdateItemHeight() override;
  void DrawListItem(int Index, TRect Rect, TOwnerDrawState State) override;
  void DefaultDrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;

private:
  friend class TQvCheckListStrings;
  void CustomGlyphsChanged(TObject* Sender);
  TRect CheckBoxRect(int Index);

  bool FAdding = false;
  TQvCheckListStrings* FItems;
  bool FAllowGrayed = false;
  int FGlyphWidth = 13;
  int FGlyphHeight = 13;
  int FGlyphCount = 6;
  TBitmap* FCustomGlyphs;
  bool FUseCustomGlyphs = false;
  TColor FTransparentColor = clOlive;
  TColor FHighlightColor = clHighlight;
  TColor FItemFillColor = clWindow;
  TColor FItemFocusColor = clWindow;
  TColor FItemFrameColor = clBtnShadow;
  int FPressedIndex = -1;
  TPacketStringList* FSaveItems = nullptr;
  int FSaveTopIndex = 0;
  int FSaveItemIndex = -1;
  bool FToggleOnItemClick = false;
  bool FTogglePending = false;
};
