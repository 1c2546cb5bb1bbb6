#pragma once
// The list box of the class library, drawn by this layer. The items (text and a
// data value each), the selection, the caret, the top index and the scroll bars are
// kept by the list box's own window procedure, the part of TCustomListBox that
// answers the LB_ messages in DefaultHandler, where the OS's list box would answer
// them. Everything the class library does with the items goes through those
// messages (Items is a TStrings that sends them), so a subclass sees and may change
// every item operation in its WndProc. The items live with the control, not with
// its window: they are kept when the window is re-created and exist before it.
//
// Notifications go to the parent window, which reflects them back as CN_ messages:
// WM_COMMAND with LBN_SELCHANGE (OnClick) and LBN_DBLCLK (OnDblClick) for what the
// user does (never for what a message does), WM_DRAWITEM and WM_MEASUREITEM for the
// owner-drawn styles (OnDrawItem, OnMeasureItem), WM_DELETEITEM for each removed
// item that carries data.
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/menus.h"
#include "platform/core/strings.h"

// List box messages. Item texts are GBK; indexes count from 0.
constexpr UINT LB_ADDSTRING = 0x0180;          // L: const char*; result the index (sorted place under LBS_SORT)
constexpr UINT LB_INSERTSTRING = 0x0181;       // W: index (-1: the end), L: const char*; never sorts
constexpr UINT LB_DELETESTRING = 0x0182;       // W: index; result the items left
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETSEL = 0x0185;             // W: select?, L: index (-1: every item); multiple selection only
constexpr UINT LB_SETCURSEL = 0x0186;          // W: index (-1: none); single selection only
constexpr UINT LB_GETSEL = 0x0187;             // W: index; result > 0 when selected
constexpr UINT LB_GETCURSEL = 0x0188;          // single selection: the selected item; multiple: the caret
constexpr UINT LB_GETTEXT = 0x0189;            // W: index, L: char* buffer of LB_GETTEXTLEN + 1 bytes
constexpr UINT LB_GETTEXTLEN = 0x018A;         // W: index
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETTOPINDEX = 0x018E;
constexpr UINT LB_FINDSTRING = 0x018F;         // W: start after (-1: the top), L: prefix; case-insensitive, wraps
constexpr UINT LB_GETSELCOUNT = 0x0190;        // multiple selection only
constexpr UINT LB_GETSELITEMS = 0x0191;        // W: room, L: int* buffer; multiple selection only
constexpr UINT LB_SETTABSTOPS = 0x0192;        // W: count, L: const int* stops in dialog units (0: every 32)
constexpr UINT LB_GETHORIZONTALEXTENT = 0x0193;
constexpr UINT LB_SETHORIZONTALEXTENT = 0x0194;  // W: the width in pixels the horizontal bar scrolls over
constexpr UINT LB_SETCOLUMNWIDTH = 0x0195;     // W: the width of a column of a multi-column list in pixels
constexpr UINT LB_SETTOPINDEX = 0x0197;        // W: index
constexpr UINT LB_GETITEMRECT = 0x0198;        // W: index, L: TRect* (client coordinates)
constexpr UINT LB_GETITEMDATA = 0x0199;        // W: index
constexpr UINT LB_SETITEMDATA = 0x019A;        // W: index, L: the data
constexpr UINT LB_SETCARETINDEX = 0x019E;      // W: index, L: FALSE scrolls it fully into view
constexpr UINT LB_GETCARETINDEX = 0x019F;
constexpr UINT LB_SETITEMHEIGHT = 0x01A0;      // W: index (variable heights), L: height 1..255
constexpr UINT LB_GETITEMHEIGHT = 0x01A1;      // W: index (variable heights)
constexpr UINT LB_FINDSTRINGEXACT = 0x01A2;    // W: start after, L: text; case-insensitive, wraps
constexpr UINT LB_SETCOUNT = 0x01A7;           // W: the number of items of an LBS_NODATA list
constexpr UINT LB_ITEMFROMPOINT = 0x01A9;      // L: client point; result MAKELONG(nearest item, outside?)
constexpr LRESULT LB_OKAY = 0, LB_ERR = -1, LB_ERRSPACE = -2;

// Notification codes (the high word of WM_COMMAND's WParam; LParam the list box).
constexpr WORD LBN_SELCHANGE = 1, LBN_DBLCLK = 2, LBN_SELCANCEL = 3, LBN_SETFOCUS = 4, LBN_KILLFOCUS = 5;

// List box styles (the low word of the window style).
constexpr DWORD LBS_NOTIFY = 0x0001, LBS_SORT = 0x0002, LBS_MULTIPLESEL = 0x0008, LBS_OWNERDRAWFIXED = 0x0010,
                LBS_OWNERDRAWVARIABLE = 0x0020, LBS_HASSTRINGS = 0x0040, LBS_USETABSTOPS = 0x0080,
                LBS_NOINTEGRALHEIGHT = 0x0100, LBS_MULTICOLUMN = 0x0200, LBS_EXTENDEDSEL = 0x0800,
                LBS_DISABLENOSCROLL = 0x1000, LBS_NODATA = 0x2000, LBS_NOSEL = 0x4000;

// The virtual styles keep no texts or data: Count items, whose texts and objects the
// OnData and OnDataObject events give; lbVirtual draws the texts, lbVirtualOwnerDraw
// leaves the drawing to OnDrawItem.
enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };
using enum TListBoxStyle;
DTU_DECLARE_ENUM(TListBoxStyle)

using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;
using TLBGetDataEvent = std::function<void(TWinControl* Control, int Index, std::string& Data)>;
using TLBGetDataObjectEvent = std::function<void(TWinControl* Control, int Index, TObject*& DataObject)>;
using TLBFindDataEvent = std::function<int(TWinControl* Control, const std::string& FindString)>;

class TCustomListBox : public TWinControl {
  DTU_CLASS(TCustomListBox, TWinControl)
public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;
  // Items that carry data are announced (WM_DELETEITEM) while the control is whole.
  void BeforeDestruction() override;

  // The items, through LB_ messages.
  TStrings* Items() const { return FItems; }
  void SetItems(TStrings* Value);
  int Count() { return static_cast<int>(Perform(LB_GETCOUNT, 0, 0)); }
  // Only the virtual styles take a count (EListError otherwise).
  void SetCount(int Value);
  // The selected item (single selection) or the caret (multiple selection); -1 none.
  // Set while the control is being read, it waits for the items (Loaded).
  int ItemIndex();
  void SetItemIndex(int Value);
  bool Selected(int Index);
  void SetSelected(int Index, bool Value);
  int SelCount();
  int TopIndex() { return static_cast<int>(Perform(LB_GETTOPINDEX, 0, 0)); }
  void SetTopIndex(int Value) { Perform(LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0); }
  // The owner-drawn item height (16); standard items take the font's height.
  int ItemHeight();
  void SetItemHeight(int Value);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // Tab stops every TabWidth dialog units (0: the default, every 32).
  int TabWidth() const { return FTabWidth; }
  void SetTabWidth(int Value);
  // Columns > 0: the items flow down a column, then into the next, Columns of them
  // across the client area; the list scrolls sideways by whole columns.
  int Columns() const { return FColumns; }
  void SetColumns(int Value);
  // The height shrinks to show whole items only (fixed item heights).
  bool IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool Value);
  bool Virtual() const { return FStyle == lbVirtual || FStyle == lbVirtualOwnerDraw; }
  TCanvas* Canvas() const { return FCanvas; }

  // The item at a client point; -1 outside the client area, and below the last item
  // -1 when Existing, else Count().
  int ItemAtPos(TPoint Pos, bool Existing);
  // The item's rectangle in client coordinates (also when scrolled out of view).
  TRect ItemRect(int Index);
  void Clear() { FItems->Clear(); }
  virtual void ClearSelection();
  virtual void SelectAll();
  virtual void DeleteSelected();
  void AddItem(const std::string& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;
  TLBGetDataEvent OnData;
  TLBGetDataObjectEvent OnDataObject;
  TLBFindDataEvent OnDataFind;

  void Loaded() override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  // The list box's own window procedure: the LB_ messages, painting, mouse, keys,
  // focus and scrolling; the rest goes to the default window procedure.
  void DefaultHandler(TMessage& Message) override;

  // Draws item Index on Canvas (OnDrawItem, else the text on the brush's colour).
  virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
  // The height of item Index of a variable-height list (OnMeasureItem).
  virtual void MeasureItem(int Index, int& Height);
  // The virtual styles' item texts, objects and search (OnData, OnDataObject,
  // OnDataFind; "", nullptr and -1 without a handler).
  virtual std::string DoGetData(int Index);
  virtual TObject* DoGetDataObject(int Index);
  virtual int DoFindData(const std::string& Data);
  void CNCommand(TMessage& M);
  void CNDrawItem(TMessage& M);
  void CNMeasureItem(TMessage& M);

  // Sends a notification the OS sends to the list box's parent (WM_COMMAND,
  // WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM); without windows to carry it, it is
  // performed here as the CN_ message the parent would reflect.
  virtual LRESULT SendNotify(UINT Msg, WPARAM WParam, LPARAM LParam);
  // The LBS_ bits the properties ask for; the window gets them, and without a
  // window the list box works as one made with them would. A descendant adds its own.
  virtual DWORD ListBoxStyleBits() const;
  // Scrolls the item into view (Partial: a partly visible item is enough).
  void EnsureVisible(int Index, bool Partial = false);
  // The height of items in a fixed-height list.
  int FixedItemHeight();
  // Sends LB_SETCOLUMNWIDTH for Columns across the client area.
  void SetColumnWidth();
  // The items' outermost BeginUpdate has just ended (before the window is redrawn):
  // a descendant does here what it put off while the items were updating. An items
  // list of a descendant's own calls it the same way.
  virtual void ItemsUpdateEnded() {}

private:
  friend class TListBoxStrings;
  struct TItem {
    std::string Text;
    ULONG_PTR Data = 0;
    bool Selected = false;
    int Height = -1;  // variable heights: -1 until measured
  };
  enum class TSelMode { Single, Multiple, Extended };

  // The window procedure's parts.
  bool HandleListMessage(TMessage& M);
  bool ListItemMessage(TMessage& M);
  bool ListSelectionMessage(TMessage& M);
  bool ListScrollMessage(TMessage& M);
  bool ListGeometryMessage(TMessage& M);
  bool ListWindowMessage(TMessage& M);
  void ApplyWindowStyle();
  DWORD WindowStyle();
  TSelMode SelMode();
  bool OwnerDraw();
  bool Variable();
  bool MultiColumn();
  bool NoData();
  // Multi-column geometry: rows in a column, the column width, the columns that
  // fit wholly, and the column of an item counted from the top index's.
  int ColumnRows();
  int ColumnPixels();
  int VisibleColumns();
  int ColumnOf(int Index);
  void AdjustIntegralHeight();
  int ItemHeightOf(int Index);
  int FixedItemHeightForText();
  int ItemFromPoint(TPoint P, bool* Outside = nullptr);
  void MeasureItemNow(int Index);
  int VisibleCount(int From);
  int MaxTopIndex();
  void SetTop(int Top);
  void SetHorzPos(int Pos);
  void UpdateScrollBars();
  void InvalidateItem(int Index);
  void Paint(HDC Dc);
  void PaintColumns(HDC Dc);
  void PaintItem(HDC Dc, int Index, TRect R);
  void SetItemCount(int Count);
  int TabPixels(std::vector<int>& Stops);
  int InsertItem(int Index, std::string Text, DWORD Style);
  // The items changed: the client is repainted and the scroll bars follow.
  void ItemsChanged();
  void DeleteItemAt(int Index);
  void ResetContent();
  void NotifyDeleted(int Index, const TItem& Item);
  void NotifyCommand(WORD Code);
  std::vector<bool> SelectionSnapshot();
  // Moves the caret as a key or click does, selecting by the mode and the keys.
  void MoveCaret(int Index, bool Shift, bool Ctrl, bool Toggle);
  void SelectRange(int From, int To, bool Clear);
  void LbMouseDown(TPoint P, WPARAM Keys, bool Double);
  void LbMouseMove(TPoint P);
  void LbMouseUp();
  void LbKeyDown(WORD Key);
  void CharTyped(unsigned char Ch);
  void FontChangedHere();

  TStrings* FItems;
  TControlCanvas* FCanvas;
  TListBoxStyle FStyle = lbStandard;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
  bool FSorted = false;
  TBorderStyle FBorderStyle = bsSingle;
  int FItemHeight = 16;
  int FTabWidth = 0;
  int FColumns = 0;
  bool FIntegralHeight = false;
  int FPendingItemIndex = -2;  // -2: none waiting

  // The window procedure's state.
  std::vector<TItem> FList;
  int FCurSel = -1;
  int FCaret = -1;
  int FAnchor = -1;
  int FTop = 0;
  int FHorzExtent = 0;
  int FHorzPos = 0;
  int FColumnWidth = 0;   // 0: not set (the client width)
  bool FAdjustingHeight = false;
  int FLbItemHeight = 0;  // 0: not set (standard: the font's height; owner-drawn: FItemHeight)
  int FFontHeight = -1;   // cached
  int FDlgCharWidth = -1;  // cached: the average character width of tab stops
  std::vector<int> FTabStops;  // dialog units; empty: every 32
  bool FWantHScroll = false;
  bool FUpdatingBars = false;
  bool FBarsPending = false;
  // The whole client was invalidated while redraw was off (until redraw or a paint).
  bool FFrozenInvalid = false;
  // A selection drag in progress.
  bool FTracking = false;
  bool FTrackDouble = false;
  std::vector<bool> FTrackStart;
  int FTrackStartSel = -1;
};

class TListBox : public TCustomListBox {
  DTU_CLASS(TListBox, TCustomListBox)
public:
  using TCustomListBox::TCustomListBox;
};
