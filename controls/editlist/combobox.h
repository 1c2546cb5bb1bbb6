#pragma once
// The framed combo box: the library's flat frame and state colours (shared with
// the framed edits and list boxes through a frame controller), a flat drop-down
// button, a read-only mode, and its own typed-prefix search with completion in
// the edit field and in the drop-down lists. TQvComboBox adds Values, a second
// list paired with Items by index, and a value that reads and selects through it.
//
// Texts are GBK: a double-byte character arrives as two WM_CHAR messages (lead
// byte, trail byte) and is searched as one character.
#include <functional>
#include <memory>
#include <string>

#include "controls/common/framecontroller.h"
#include "controls/common/frames.h"
#include "controls/editlist/framing.h"
#include "platform/controls/extctrls.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/colors.h"
#include "platform/stdctrls/combobox.h"

using TQvDeleteComboItemEvent = std::function<void(TObject* Sender, void* ItemData)>;

class TQvCustomComboBox : public TQvFraming<TCustomComboBox> {
  DTU_CLASS(TQvCustomComboBox, TQvFraming<TCustomComboBox>)
public:
  explicit TQvCustomComboBox(TComponent* AOwner);
  ~TQvCustomComboBox() override;

  // Forwarders to Items.
  int Add(const std::string& S) { return Items()->Add(S); }
  int AddObject(const std::string& S, TObject* O) { return Items()->AddObject(S, O); }
  void Delete(int Index) { Items()->Delete(Index); }
  void ClearItems() { Items()->Clear(); }
  virtual int IndexOf(const std::string& S);
  void Insert(int Index, const std::string& S) { Items()->Insert(Index, S); }
  void InsertObject(int Index, const std::string& S, TObject* O) { Items()->InsertObject(Index, S, O); }
  int Count() const { return Items()->Count(); }

  // Exact match / case-insensitive prefix match; when found the item is selected.
  bool FindItem(const std::string& S);
  bool FindClosestItem(const std::string& S);
  void ClearSearchString() { FSearchStr.clear(); }
  // Sets Text without starting a search.
  virtual void ForceText(const std::string& S);
  const std::string& SearchString() const { return FSearchStr; }

  bool AllowEdit() const { return FAllowEdit; }
  void SetAllowEdit(bool V) { FAllowEdit = V; }
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool V) { FAutoComplete = V; }
  bool AutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool V) { FAutoDropDown = V; }
  bool BeepOnInvalidKey() const { return FBeepOnInvalidKey; }
  void SetBeepOnInvalidKey(bool V) { FBeepOnInvalidKey = V; }
  bool KeepSearchCase() const { return FKeepSearchCase; }
  void SetKeepSearchCase(bool V) { FKeepSearchCase = V; }
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool V) { FTabOnEnter = V; }

  bool FlatButtons() const { return FFlatButtons; }
  virtual void SetFlatButtons(bool V);
  TColor FlatButtonColor() const { return FFlatButtonColor; }
  virtual void SetFlatButtonColor(TColor V);
  // The combo box paints its frame in WM_PAINT, not in the non-client area, and
  // has no standard border while the frame shows: Ctl3D follows FrameVisible.
  void SetFrameVisible(bool V) override;
  // A shown frame replaces the 3-D look: ParentCtl3D is then always written.
  std::optional<bool> ImpliedParentCtl3D() const override;
  int DropDownWidth() const { return FDropDownWidth; }
  virtual void SetDropDownWidth(int V);
  bool ReadOnly() const { return FReadOnly; }
  virtual void SetReadOnly(bool V);
  bool ReadOnlyValue() override { return FReadOnly; }
  // The owner-drawn item height; recreates the window (owner-draw styles only).
  void SetItemHeight(int V);

  TQvDeleteComboItemEvent OnDeleteItem;
  TNotifyEvent OnMatch, OnNotInList, OnSelEndCancel, OnSelEndOk, OnMouseEnter, OnMouseLeave;

  bool Focused() override { return FFocused; }
  void Loaded() override;

protected:
  void FrameShownCtl3D() override;
  // The frame is painted in WM_PAINT: repainting it repaints the control.
  void RepaintFrame() override { Invalidate(); }
  void UpdateFrame(bool ViaMouse, bool InFocus) override;
  virtual void InvalidKeyPressed();
  virtual void UpdateIndex(const std::string& S, TMessage& Message);
  virtual bool FindListItem(const std::string& S, TMessage& Message);
  virtual int FindClosest(const std::string& S);
  virtual void DeleteItem(void* Item);
  virtual void Match();
  virtual void NotInList();
  virtual void SelEndCancel();
  virtual void SelEndOk();

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& Message) override;
  void ComboWndProc(TMessage& Message, HWND ComboWnd) override;
  void KeyPress(char& Key) override;
  void CloseUp() override;
  // After OnMouseWheelDown / OnMouseWheelUp leave the wheel unhandled: the next or
  // previous item (the dropped list scrolls); nothing while read-only. Always handled.
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  // Draws the item; CN_DRAWITEM gives the selection colours and the focus border.
  void CNDrawItemFramed(TMessage& M);

  bool FFocusBorder = true;  // a selected owner-drawn item also gets a focus border
  // Expires when the control is freed: code that ran a modal thing (a dialog, a
  // menu, the drop-down) checks it before touching the control again.
  std::weak_ptr<bool> AliveToken() const { return FAlive; }

private:
  bool ControlMessage(TMessage& M);
  void WndProcChar(TMessage& M);
  void EditChar(TMessage& M);
  void EditKeyDown(TMessage& M);
  void EditBackspace(TMessage& M);
  void RemoveSelectedSearchText(std::string& S);
  void UpdateSearchStr();
  void WheelStep(bool Down);
  void PaintFrame(HDC Dc, TPoint Origin);
  void PaintFrameEverywhere(HDC ClientDc);
  void LayoutFramedEdit();
  void SearchTimer(TObject*);
  void RestartTimer();
  void SendTab();

  bool FAutoDropDown = false;
  bool FAutoComplete = true;
  bool FAllowEdit = true;
  bool FBeepOnInvalidKey = true;
  bool FFlatButtons = false;
  TColor FFlatButtonColor = clBtnFace;
  bool FKeepSearchCase = false;
  std::string FSearchStr;
  int FSavedDropDownWidth = 0;
  int FReadItemHeight = 0;  // an item height read before an owner-drawn Style (0: none)
  int FDropDownWidth = 0;
  bool FKeyInProgress = false;
  TTimer* FTimer;
  bool FTabOnEnter = false;
  bool FSettingText = false;
  bool FSearchSet = false;
  bool FReadOnly = false;
  bool FIgnoreChar = false;
  bool FPasted = false;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// The published framed combo box with values paired to the items.
class TQvComboBox : public TQvCustomComboBox {
  DTU_CLASS(TQvComboBox, TQvCustomComboBox)
public:
  explicit TQvComboBox(TComponent* AOwner);
  ~TQvComboBox() override;

  void ClearItemsValues();
  void AddItemValue(const std::string& Item, const std::string& Value);
  void InsertItemValue(int Index, const std::string& Item, const std::string& Value);
  TStrings* Values() const { return FValues; }
  virtual void SetValues(TStrings* V);
  virtual std::string GetItemValue(int Index);
  virtual std::string GetValue();
  virtual void SetValue(const std::string& V);

protected:
  void Change() override;
  void Click() override;

private:
  std::string FValue;
  bool FInSetValue = false;
  bool FValuesChanging = false;
  TStringList* FValues;
};

// Published rows shared by the framed combo boxes' class tables: the framing set
// (framing.h, first), the search options, the class library's control
// properties and the events.
template <class C>
TClassBuilder<C>& AddFramedComboProps(TClassBuilder<C>& B, bool PopupMenu = true) {
  PublishFraming(B, {.FlatButtons = true, .FlatButtonColor = true});
  B.Bool("AllowEdit", &C::AllowEdit, &C::SetAllowEdit, true)
      .Bool("AutoComplete", &C::AutoComplete, &C::SetAutoComplete, true)
      .Bool("AutoDropDown", &C::AutoDropDown, &C::SetAutoDropDown, false)
      .Bool("BeepOnInvalidKey", &C::BeepOnInvalidKey, &C::SetBeepOnInvalidKey, true)
      .Int("DropDownWidth", &C::DropDownWidth, [](C* x, int64_t v) { x->SetDropDownWidth(static_cast<int>(v)); }, 0)
      .Bool("KeepSearchCase", &C::KeepSearchCase, &C::SetKeepSearchCase, false)
      .Bool("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false)
      .Bool("TabOnEnter", &C::TabOnEnter, &C::SetTabOnEnter, false);
  for (const char* n : {"Align", "Anchors", "BiDiMode", "Ctl3D", "Enabled", "Font", "ParentBiDiMode", "ParentCtl3D",
                        "ParentFont", "ParentShowHint", "ShowHint", "TabOrder", "Visible"})
    B.Prop(TControl::Property(n));
  if (PopupMenu) B.Prop(TControl::Property("PopupMenu"));
  B.Prop(FramingParentColor<C>()).Prop(TControl::Property("TabStop", 1));
  B.Event("OnChange", static_cast<TNotifyEvent C::*>(&C::OnChange))
      .Event("OnCloseUp", static_cast<TNotifyEvent C::*>(&C::OnCloseUp))
      .Event("OnDrawItem", static_cast<TDrawItemEvent C::*>(&C::OnDrawItem))
      .Event("OnDropDown", static_cast<TNotifyEvent C::*>(&C::OnDropDown))
      .Event("OnMeasureItem", static_cast<TMeasureItemEvent C::*>(&C::OnMeasureItem))
      .Event("OnSelect", static_cast<TNotifyEvent C::*>(&C::OnSelect))
      .Event("OnMatch", static_cast<TNotifyEvent C::*>(&C::OnMatch))
      .Event("OnMouseEnter", static_cast<TNotifyEvent C::*>(&C::OnMouseEnter))
      .Event("OnMouseLeave", static_cast<TNotifyEvent C::*>(&C::OnMouseLeave))
      .Event("OnNotInList", static_cast<TNotifyEvent C::*>(&C::OnNotInList))
      .Event("OnSelEndCancel", static_cast<TNotifyEvent C::*>(&C::OnSelEndCancel))
      .Event("OnSelEndOk", static_cast<TNotifyEvent C::*>(&C::OnSelEndOk));
  for (const char* n : {"OnClick", "OnDblClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"})
    B.Prop(TControl::Property(n));
  return B;
}
