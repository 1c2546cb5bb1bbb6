#pragma once
// The list view of the class library in its report style, drawn by this layer: a
// header row of columns (caption, width, alignment; a column of width 0 is not
// shown), then one row per item (its caption in the first column, its SubItems in
// the next ones), with grid lines, whole-row selection, a single selected item,
// keyboard and wheel scrolling and window scroll bars. The other view styles are
// kept as a property and drawn as the report.
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/core/filer.h"
#include "platform/core/strings.h"

class TCustomListView;
class TListItems;

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
using enum TViewStyle;
DTU_DECLARE_ENUM(TViewStyle)

// One column of the report: streamed in the Columns collection.
class TListColumn : public TCollectionItem {
  DTU_CLASS(TListColumn, TCollectionItem)
public:
  TListColumn() = default;
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  void Assign(TPersistent* Source) override;

private:
  std::string FCaption;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
};

class TListColumns : public TCollection {
  DTU_CLASS(TListColumns, TCollection)
public:
  explicit TListColumns(TCustomListView* AOwner);
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(int Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }
  TCustomListView* Owner() const { return FListView; }

protected:
  void Update(TCollectionItem* Item) override;

private:
  TCustomListView* FListView;
};

// One row: its caption, the texts of the further columns and a data pointer.
class TListItem : public TPersistent {
  DTU_CLASS(TListItem, TPersistent)
public:
  explicit TListItem(TListItems* AOwner);
  ~TListItem() override;
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  TStrings* SubItems() const { return FSubItems; }
  void SetSubItems(TStrings* Value);
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  int Index() const;
  bool Selected() const;
  void SetSelected(bool Value);
  bool Focused() const;
  void SetFocused(bool Value);
  TListItems* Owner() const { return FOwner; }
  TCustomListView* ListView() const;
  // Removes and frees the item.
  void Delete();

private:
  friend class TListItems;
  TListItems* FOwner;
  std::string FCaption;
  TStrings* FSubItems;
  void* FData = nullptr;
};

// The rows of a list view, owned by it.
class TListItems : public TPersistent {
  DTU_CLASS(TListItems, TPersistent)
public:
  explicit TListItems(TCustomListView* AOwner) : FOwner(AOwner) {}
  ~TListItems() override;
  // A new item at the end, or at Index (0 .. Count); EListError outside that.
  TListItem* Add();
  TListItem* Insert(int Index);
  // EListError "List index out of bounds (%d)" for a missing item.
  void Delete(int Index);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  TListItem* Item(int Index) const;
  TListItem* operator[](int Index) const { return Item(Index); }
  int IndexOf(const TListItem* Value) const;
  // Repainting waits between the outermost BeginUpdate and EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  TCustomListView* Owner() const { return FOwner; }

private:
  friend class TListItem;
  friend class TCustomListView;
  TCustomListView* FOwner;
  std::vector<TListItem*> FItems;
  int FUpdateCount = 0;
};

class TCustomListView : public TWinControl {
  DTU_CLASS(TCustomListView, TWinControl)
public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  TListColumns* Columns() const { return FColumns; }
  void SetColumns(TListColumns* Value) { FColumns->Assign(Value); }
  TListItems* Items() const { return FItems; }
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle Value);
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool Value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  // No caption editing (this list view edits nothing; kept for the streams).
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  // The selection is not shown while the control is not focused.
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool ShowColumnHeaders() const { return FShowColumnHeaders; }
  void SetShowColumnHeaders(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  // The selected item and its index (-1 / nullptr: none).
  int ItemIndex() const { return FSelected; }
  void SetItemIndex(int Value);
  TListItem* Selected() const;
  void SetSelected(TListItem* Value);
  TListItem* ItemFocused() const;
  void SetItemFocused(TListItem* Value);
  int SelCount() const { return FSelected >= 0 ? 1 : 0; }
  void DeleteSelected();
  void Clear() { FItems->Clear(); }
  // The item on a row at a client point (nullptr: none).
  TListItem* GetItemAt(int X, int Y);
  TListItem* TopItem();
  int VisibleRowCount();
  // Scrolls the item into view.
  void MakeVisible(int Index);
  TCanvas* Canvas() const { return FCanvas; }

  void DefaultHandler(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

private:
  friend class TListItems;
  friend class TListItem;
  friend class TListColumns;
  int HeaderHeight();
  int RowHeight();
  int TotalWidth();
  int MaxTop();
  void SetTop(int Top);
  void SetHorz(int Pos);
  void UpdateScrollBars();
  void ItemsChanged();
  void ItemInserted(int Index);
  void ItemDeleted(int Index);
  void InvalidateRow(int Index);
  void Paint(HDC Dc);
  void PaintHeader(HDC Dc, const TRect& Client);
  void PaintRow(HDC Dc, int Index, const TRect& Row, bool Focused);
  std::string CellText(int Index, int Column);
  void SelectIndex(int Index, bool Scroll);
  void ListKeyDown(WORD Key);
  void ListMouseDown(TPoint P);

  TListColumns* FColumns;
  TListItems* FItems;
  TControlCanvas* FCanvas;
  TViewStyle FViewStyle = vsIcon;
  bool FGridLines = false;
  bool FRowSelect = false;
  bool FReadOnly = false;
  bool FHideSelection = true;
  bool FShowColumnHeaders = true;
  TBorderStyle FBorderStyle = bsSingle;
  int FSelected = -1;
  int FFocused = -1;
  int FTop = 0;
  int FHorz = 0;
  int FFontHeight = -1;
  bool FUpdatingBars = false;
};

class TListView : public TCustomListView {
  DTU_CLASS(TListView, TCustomListView)
public:
  using TCustomListView::TCustomListView;
};
