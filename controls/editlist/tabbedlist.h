#pragma once
// TQvCustomTabbedListBox / TQvTabbedListBox: a framed list box whose items are rows
// of tab-separated cells drawn in columns. The column stops are kept in average
// character widths (positive: left-aligned, negative: right-aligned), set by hand,
// computed from the widest cell of each column (automatic mode) or taken from a
// header control's sections.
#include <string>
#include <vector>

#include "controls/common/intlist.h"
#include "controls/editlist/listboxes.h"

DTU_DECLARE_EXCEPTION(EHeaderError, Exception)

class TQvCustomTabbedListBox;

// The stops; every change is sent on to the owning list box's window.
class TQvTabStopList : public TQvIntegerList {
  DTU_CLASS(TQvTabStopList, TQvIntegerList)
public:
  TQvTabStopList();
  void SetItem(int Index, int32_t Value) override;
  void Delete(int Index) override;
  void Insert(int Index, int32_t Value) override;
  int Add(int32_t Value) override;
  TQvCustomTabbedListBox* Owner = nullptr;
};

enum class TQvTabStopsMode { tsmManual, tsmAutomatic };
using enum TQvTabStopsMode;
DTU_DECLARE_ENUM(TQvTabStopsMode)

class TQvCustomTabbedListBox : public TQvCustomListBox {
  DTU_CLASS(TQvCustomTabbedListBox, TQvCustomListBox)
public:
  explicit TQvCustomTabbedListBox(TComponent* AOwner);
  ~TQvCustomTabbedListBox() override;

  TQvTabStopList* TabStops() const { return FTabStops; }
  virtual void SetTabStops(TQvTabStopList* Value);
  TQvTabStopsMode TabStopsMode() const { return FTabStopsMode; }
  virtual void SetTabStopsMode(TQvTabStopsMode Value);
  // Sends the stops to the window (none: the window's default stops).
  void UpdateTabStops();
  // The stops in dialog units (4 per average character), at most 1000.
  virtual void GetTabArray(int& Count, std::vector<int>& Tabs);
  // One cell of a row; EListError "Row parameter out of range" / "Column parameter
  // out of range".
  virtual std::string GetCellText(int Col, int Row);
  virtual void SetCellText(int Col, int Row, const std::string& Value);
  // Stops from the widest cell of each column.
  virtual void AdjustTabStops();
  // Stops from the sections of a THeader or THeaderControl; EHeaderError for any
  // other control.
  virtual void UpdateFromHeader(TControl* Header);
  int AverageCharWidth() const { return FAvgCharWidth; }

  void Loaded() override;

protected:
  virtual int InitialTabStopOffset() { return 0; }
  // The stops in pixels from the left of the client area, for drawing.
  std::vector<int> PixelTabs();
  // The item text of a row drawn in its columns at Rect's reading edge.
  void DrawTabbedText(const TRect& Rect, const std::string& Text);

  DWORD ListBoxStyleBits() const override;
  void CreateWnd() override;
  void ItemsChanged(UINT Msg) override;
  void ItemsUpdateEnded() override;
  void Dispatch(TMessage& Message) override;
  void GroupFontChanged() override;
  void DrawGroup(int Index, TRect Rect, TOwnerDrawState State) override;
  void DefaultDrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
  void AdjustHorzExtent() override;

private:
  bool Automatic();
  // The automatic stops now, or when the update block ends.
  void MeasureTabStops();
  TQvTabStopList* FTabStops;
  bool FTabsStale = false;  // the automatic stops wait for the end of an update block
  int FAvgCharWidth = 6;
  TQvTabStopsMode FTabStopsMode = tsmManual;
};

class TQvTabbedListBox : public TQvCustomTabbedListBox {
  DTU_CLASS(TQvTabbedListBox, TQvCustomTabbedListBox)
public:
  using TQvCustomTabbedListBox::TQvCustomTabbedListBox;
};

// The published properties of a tabbed list box (the framed list box's without
// TabWidth, and the stops).
template <class L>
void PublishTabbedListBox(TClassBuilder<L>& B, bool WithShowGroups = true) {
  PublishFramedListBox(B, false, false, WithShowGroups);
  B.template Object<TQvTabStopList>("TabStops", &L::TabStops, &L::SetTabStops,
                                    [](L* l) { return l->TabStops()->Count() > 0; })
      .template Enum<TQvTabStopsMode>("TabStopsMode", &L::TabStopsMode, &L::SetTabStopsMode, tsmManual);
}
