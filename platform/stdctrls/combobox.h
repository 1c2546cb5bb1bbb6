#pragma once
// The combo box of the class library, composed by this layer: the layer's list box
// in a popup window for the list, the layer's edit for the text of the csDropDown
// and csSimple styles (its window procedure replaced by the combo box, so a
// subclass hooks it in ComboWndProc), and a face painted here for the drop-down
// list styles (owner-drawn with ODS_COMBOBOXEDIT in the owner-draw styles). The
// items live in the list box, reached through the CB_ messages, which the combo
// box's window procedure (DefaultHandler) forwards to it.
//
// Notifications go to the parent as WM_COMMAND (reflected as CN_COMMAND): a
// drop-down sends CBN_DROPDOWN before the list shows; a pick sends CBN_SELENDOK,
// CBN_CLOSEUP, then CBN_SELCHANGE when the selection changed; a list closed any
// other way sends CBN_SELENDCANCEL and CBN_CLOSEUP and keeps the selection it had
// when it opened; arrow keys and the wheel send CBN_SELCHANGE; typing into the edit
// sends CBN_EDITCHANGE. The list box's WM_DRAWITEM, WM_MEASUREITEM and
// WM_DELETEITEM come to the combo box's window, which passes them on to its
// parent as the combo box's own (ODT_COMBOBOX).
#include <functional>
#include <optional>
#include <string>

#include "platform/controls/controls.h"
#include "platform/stdctrls/edit.h"
#include "platform/stdctrls/listbox.h"

class TCustomEdit;

// Combo box messages. Texts are GBK; indexes count from 0.
constexpr UINT CB_GETEDITSEL = 0x0140;         // W, L: DWORD* start / end (or null); result MAKELONG(start, end)
constexpr UINT CB_LIMITTEXT = 0x0141;          // W: the edit's limit in bytes
constexpr UINT CB_SETEDITSEL = 0x0142;         // L: MAKELPARAM(start, end)
constexpr UINT CB_ADDSTRING = 0x0143;          // L: const char*
constexpr UINT CB_DELETESTRING = 0x0144;       // W: index; result the items left
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;          // W: index, L: char* of CB_GETLBTEXTLEN + 1 bytes
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;       // W: index (-1: the end), L: const char*
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_FINDSTRING = 0x014C;         // W: start after (-1: the top), L: prefix
constexpr UINT CB_SETCURSEL = 0x014E;          // W: index (-1: none)
constexpr UINT CB_SHOWDROPDOWN = 0x014F;       // W: show?
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_GETDROPPEDCONTROLRECT = 0x0152;  // L: TRect* (screen)
constexpr UINT CB_SETITEMHEIGHT = 0x0153;      // W: -1 the selection field, else an item; L: height
constexpr UINT CB_GETITEMHEIGHT = 0x0154;      // W: -1 the selection field, else an item
constexpr UINT CB_SETEXTENDEDUI = 0x0155;      // W: on? (Down opens the list)
constexpr UINT CB_GETEXTENDEDUI = 0x0156;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;    // W: start after, L: text
constexpr UINT CB_GETTOPINDEX = 0x015B;
constexpr UINT CB_SETTOPINDEX = 0x015C;        // W: index
constexpr UINT CB_GETDROPPEDWIDTH = 0x015F;
constexpr UINT CB_SETDROPPEDWIDTH = 0x0160;    // W: the least width of the list
constexpr LRESULT CB_OKAY = 0, CB_ERR = -1, CB_ERRSPACE = -2;

// Notification codes (the high word of WM_COMMAND's WParam; LParam the combo box).
constexpr WORD CBN_SELCHANGE = 1, CBN_DBLCLK = 2, CBN_SETFOCUS = 3, CBN_KILLFOCUS = 4, CBN_EDITCHANGE = 5,
               CBN_EDITUPDATE = 6, CBN_DROPDOWN = 7, CBN_CLOSEUP = 8, CBN_SELENDOK = 9, CBN_SELENDCANCEL = 10;

// Combo box styles (the low word of the window style).
constexpr DWORD CBS_SIMPLE = 0x0001, CBS_DROPDOWN = 0x0002, CBS_DROPDOWNLIST = 0x0003, CBS_OWNERDRAWFIXED = 0x0010,
                CBS_OWNERDRAWVARIABLE = 0x0020, CBS_AUTOHSCROLL = 0x0040, CBS_SORT = 0x0100,
                CBS_HASSTRINGS = 0x0200, CBS_NOINTEGRALHEIGHT = 0x0400, CBS_UPPERCASE = 0x2000,
                CBS_LOWERCASE = 0x4000;

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
using enum TComboBoxStyle;
DTU_DECLARE_ENUM(TComboBoxStyle)

class TCustomComboBox;

// The drop-down list: the layer's list box in a popup window that never takes the
// focus; it follows the pointer and hands a click on an item to its combo box.
class TComboListBox : public TCustomListBox {
  DTU_CLASS(TComboListBox, TCustomListBox)
public:
  TComboListBox(TComponent* AOwner, TCustomComboBox* Combo);
  TCustomComboBox* Combo() const { return FCombo; }
  void ReleaseWindow() { DestroyHandle(); }

protected:
  void CreateParams(TCreateParams& Params) override;
  bool IsRootWindow() const override { return true; }
  void WndProc(TMessage& Message) override;
  LRESULT SendNotify(UINT Msg, WPARAM WParam, LPARAM LParam) override;

private:
  friend class TCustomComboBox;
  TCustomComboBox* FCombo;
  bool FPressed = false;       // the button went down on the list
  bool FFromCombo = false;     // the button went down on the combo box and is still down
  bool FEntered = false;       // ... and the pointer has been over the list since
  bool FInScroll = false;      // a scroll bar of the list is being dragged
};

class TCustomComboBox : public TWinControl {
  DTU_CLASS(TCustomComboBox, TWinControl)
public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;
  void BeforeDestruction() override;

  TStrings* Items() const { return FItems; }
  void SetItems(TStrings* Value);
  // Set while the control is being read, it waits for the items (Loaded).
  int ItemIndex();
  void SetItemIndex(int Value);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  // Rows the dropped list shows before it scrolls.
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int Value) { FDropDownCount = std::max(1, Value); }
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  // The owner-drawn item height; the others take the font's.
  int ItemHeight();
  void SetItemHeight(int Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  // Upper or lower case for the text typed and the items added (letters of the
  // single-byte range); setting it converts the items the list holds.
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  // The edit's limit in bytes (0: none).
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  // The edit's selection in bytes (the edit styles).
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  std::string SelText();
  void SetSelText(const std::string& Value);
  void SelectAll();
  TCanvas* Canvas() const { return FCanvas; }
  void Clear();
  void AddItem(const std::string& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }
  // The edit (nullptr in the drop-down list styles) and the list.
  TCustomEdit* EditControl() const { return FEdit; }
  TComboListBox* ListControl() const { return FListBox; }
  HWND EditHandle();
  HWND ListHandle();

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

  void Loaded() override;
  bool Focused() override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  bool CanResize(int& NewWidth, int& NewHeight) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  // The combo box window procedure: the CB_ messages, the face, the mouse and keys,
  // the drop-down and the notifications from the list.
  void DefaultHandler(TMessage& Message) override;
  // Every message to the edit comes here first (ComboWnd is the combo box's
  // window); the default handles the keys that work the list, then passes the
  // message to the edit's own procedure.
  virtual void ComboWndProc(TMessage& Message, HWND ComboWnd);
  void CallEditDefault(TMessage& Message);

  // The class library's notifications.
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(int Index, int& Height);
  void CNCommand(TMessage& M);
  void CNDrawItem(TMessage& M);
  void CNMeasureItem(TMessage& M);

private:
  friend class TComboListBox;
  friend class TComboBoxStrings;
  bool HandleComboMessage(TMessage& M);
  bool ComboItemMessage(TMessage& M);
  bool ComboListMessage(TMessage& M);
  bool ComboTextMessage(TMessage& M);
  bool ComboWindowMessage(TMessage& M);
  bool HasEdit() const { return FStyle == csDropDown || FStyle == csSimple; }
  bool DropsDown() const { return FStyle != csSimple; }
  int FaceHeight();
  int ComboHeight();
  TRect ButtonRect();
  void LayoutEdit();
  void PaintFace(HDC Dc);
  void NotifyCommand(WORD Code);
  LRESULT ListNotify(UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT List(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  void SetListStyle();
  void ShowList(bool FromMouse);
  void HideList(bool Accept);
  void PickItem(int Index);
  // Moves the selection as a key or the wheel does (CBN_SELCHANGE when it moved).
  void StepSelection(int Index);
  void ListKeyDown(TMessage& M);
  void SelectionToEdit();
  void UpdateEditLimit();
  std::string InCase(const std::string& S) const;

  TStrings* FItems;
  TComboListBox* FListBox;
  TCustomEdit* FEdit = nullptr;
  TControlCanvas* FCanvas;
  TComboBoxStyle FStyle = csDropDown;
  int FDropDownCount = 8;
  int FItemHeight = 16;
  bool FSorted = false;
  int FMaxLength = 0;
  TEditCharCase FCharCase = ecNormal;
  int FPendingItemIndex = -2;  // -2: none waiting
  // A text read from a form before the style or the items that can hold it
  // (a list style without the item yet); set again once the form is loaded.
  std::optional<std::string> FPendingText;

  // The window procedure's state.
  bool FDropped = false;
  int FDropSel = -1;       // the selection the list opened with (restored when it is cancelled)
  bool FExtendedUI = false;
  int FDroppedWidth = 0;
  int FFaceHeight = 0;     // 0: from the font or the owner-drawn item height
  bool FListNotifying = false;
  bool FSettingText = false;  // the combo box itself sets the edit's text
  bool FHiding = false;
};

class TComboBox : public TCustomComboBox {
  DTU_CLASS(TComboBox, TCustomComboBox)
public:
  using TCustomComboBox::TCustomComboBox;
};
