// The list box window: its style and selection kind, item geometry, scrolling,
// painting, the item store and its notifications, the selection, the mouse and
// the keys.
#include "platform/stdctrls/listbox.h"

#include <algorithm>
#include <numeric>

#include "platform/controls/scrollbars.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/core/sysutils.h"
#include "platform/stdctrls/listbox_internal.h"
#include "platform/stdctrls/listcommon.h"

namespace listbox_internal {

void ItemTextOut(HDC Dc, const TRect& R, int Y, const std::string& Text, bool Tabbed, int TabCount, const int* Stops,
                 bool Rtl) {
  unsigned align = GetTextAlign(Dc);
  if (Rtl) SetTextAlign(Dc, TA_RIGHT | TA_RTLREADING);
  int x = Rtl ? R.Right - 2 : R.Left + 2;
  if (Tabbed) TabbedTextOut(Dc, x, Y, Text.c_str(), static_cast<int>(Text.size()), TabCount, Stops, R.Left + 2);
  else ::TextOut(Dc, x, Y, Text.c_str(), static_cast<int>(Text.size()));
  if (Rtl) SetTextAlign(Dc, align);
}


// Case-insensitive for single-byte characters only: the second byte of a GBK
// character may be a letter and is compared exactly, so double-byte characters
// are found by their own two bytes.
bool PrefixMatches(const std::string& Item, const std::string& Prefix) {
  if (Item.size() < Prefix.size()) return false;
  for (size_t i = 0; i < Prefix.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(Item[i]), b = static_cast<unsigned char>(Prefix[i]);
    if (a == b) continue;
    if (ByteType(Item, i) != mbSingleByte || ByteType(Prefix, i) != mbSingleByte) return false;
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

int FontHeightOf(TFont* Font, int* AveWidth) {
  TEXTMETRIC tm = FontMetricsOf(Font);
  if (AveWidth) *AveWidth = std::max(1, static_cast<int>(tm.tmAveCharWidth));
  return std::max(1, static_cast<int>(tm.tmHeight));
}

}  // namespace listbox_internal

using namespace listbox_internal;

// ---------------------------------------------------------------------------
// The list box window procedure
// ---------------------------------------------------------------------------

DWORD TCustomListBox::WindowStyle() {
  if (FHandle) return static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE));
  return WS_VSCROLL | ListBoxStyleBits();
}

TCustomListBox::TSelMode TCustomListBox::SelMode() {
  DWORD s = WindowStyle();
  if (s & LBS_EXTENDEDSEL) return TSelMode::Extended;
  if (s & LBS_MULTIPLESEL) return TSelMode::Multiple;
  return TSelMode::Single;
}

bool TCustomListBox::OwnerDraw() { return (WindowStyle() & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
bool TCustomListBox::Variable() { return (WindowStyle() & LBS_OWNERDRAWVARIABLE) != 0; }
bool TCustomListBox::MultiColumn() { return (WindowStyle() & LBS_MULTICOLUMN) != 0; }
bool TCustomListBox::NoData() { return (WindowStyle() & LBS_NODATA) != 0; }

int TCustomListBox::ColumnRows() { return std::max(1, GetClientRect().Height() / FixedItemHeight()); }
int TCustomListBox::ColumnPixels() { return FColumnWidth > 0 ? FColumnWidth : std::max(1, GetClientRect().Width()); }
int TCustomListBox::VisibleColumns() { return std::max(1, GetClientRect().Width() / ColumnPixels()); }

int TCustomListBox::ColumnOf(int Index) {
  int rows = ColumnRows(), rel = Index - FTop;
  return rel >= 0 ? rel / rows : -((-rel + rows - 1) / rows);
}

// Without LBS_NOINTEGRALHEIGHT the window sheds the part of an item at its
// bottom; variable heights keep the height they are given.
void TCustomListBox::AdjustIntegralHeight() {
  if (!FHandle || FAdjustingHeight || Variable() || (WindowStyle() & LBS_NOINTEGRALHEIGHT)) return;
  int client = GetClientRect().Height(), h = FixedItemHeight();
  int extra = client % h;
  if (client < h || extra == 0) return;
  TRestore adjusting(FAdjustingHeight, true);
  TRect w;
  GetWindowRect(FHandle, &w);
  SetWindowPos(FHandle, nullptr, 0, 0, w.Width(), w.Height() - extra, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomListBox::FontChangedHere() {
  FFontHeight = -1;
  FDlgCharWidth = -1;
  if (!OwnerDraw()) FLbItemHeight = 0;
  UpdateScrollBars();
}

int TCustomListBox::FixedItemHeight() {
  if (FLbItemHeight > 0) return FLbItemHeight;
  if (OwnerDraw()) return std::max(1, FItemHeight);
  if (FFontHeight < 0) FFontHeight = FontHeightOf(Font());
  return FFontHeight;
}

void TCustomListBox::MeasureItemNow(int Index) {
  TItem& item = FList[static_cast<size_t>(Index)];
  MEASUREITEMSTRUCT m;
  m.CtlType = ODT_LISTBOX;
  m.itemID = static_cast<UINT>(Index);
  m.itemWidth = static_cast<UINT>(std::max(0, GetClientRect().Width()));
  m.itemHeight = static_cast<UINT>(std::max(1, FItemHeight));
  m.itemData = item.Data;
  m.hwndItem = FHandle;
  item.Height = 0;  // measured (a handler asking for it meanwhile gets the default)
  SendNotify(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&m));
  if (Index < static_cast<int>(FList.size())) FList[static_cast<size_t>(Index)].Height = std::clamp(static_cast<int>(m.itemHeight), 1, 255);
}

int TCustomListBox::ItemHeightOf(int Index) {
  if (!Variable()) return FixedItemHeight();
  if (Index < 0 || Index >= static_cast<int>(FList.size())) return FixedItemHeight();
  if (FList[static_cast<size_t>(Index)].Height < 0) MeasureItemNow(Index);
  return std::max(1, FList[static_cast<size_t>(Index)].Height);
}

int TCustomListBox::VisibleCount(int From) {
  int h = GetClientRect().Height();
  int n = static_cast<int>(FList.size());
  if (MultiColumn()) return std::max(0, std::min(n - From, ColumnRows() * VisibleColumns()));
  if (!Variable()) return std::max(0, std::min(n - From, h / FixedItemHeight()));
  int count = 0, y = 0;
  for (int i = From; i < n; ++i) {
    y += ItemHeightOf(i);
    if (y > h) break;
    ++count;
  }
  return count;
}

int TCustomListBox::MaxTopIndex() {
  int n = static_cast<int>(FList.size());
  if (n == 0) return 0;
  if (MultiColumn()) {
    int rows = ColumnRows();
    return std::max(0, (n + rows - 1) / rows - VisibleColumns()) * rows;
  }
  int h = GetClientRect().Height();
  if (!Variable()) return std::max(0, n - std::max(1, h / FixedItemHeight()));
  int i = n - 1, y = ItemHeightOf(i);
  while (i > 0 && y + ItemHeightOf(i - 1) <= h) y += ItemHeightOf(--i);
  return i;
}

void TCustomListBox::SetTop(int Top) {
  Top = std::clamp(Top, 0, MaxTopIndex());
  bool columns = MultiColumn();
  if (columns) Top -= Top % ColumnRows();  // a column starts at the top
  if (Top == FTop) return;
  FTop = Top;
  if (!FHandle) return;
  InvalidateRect(FHandle, nullptr, TRUE);
  if (columns) SetScrollPos(FHandle, SB_HORZ, FTop / ColumnRows(), TRUE);
  else SetScrollPos(FHandle, SB_VERT, FTop, TRUE);
}

void TCustomListBox::SetHorzPos(int Pos) {
  int width = GetClientRect().Width();
  Pos = std::clamp(Pos, 0, std::max(0, FHorzExtent - width));
  if (Pos == FHorzPos) return;
  FHorzPos = Pos;
  if (!FHandle) return;
  InvalidateRect(FHandle, nullptr, TRUE);
  SetScrollPos(FHandle, SB_HORZ, FHorzPos, TRUE);
}

void TCustomListBox::EnsureVisible(int Index, bool Partial) {
  int n = static_cast<int>(FList.size());
  if (Index < 0 || Index >= n) return;
  if (MultiColumn()) {
    int rows = ColumnRows(), col = ColumnOf(Index), visible = VisibleColumns();
    if (col < 0) SetTop(FTop + col * rows);
    else if (col >= visible) SetTop(FTop + (col - visible + 1) * rows);
    return;
  }
  if (Index < FTop) {
    SetTop(Index);
    return;
  }
  int h = GetClientRect().Height();
  int bottom = 0;
  for (int i = FTop; i <= Index; ++i) bottom += ItemHeightOf(i);
  if (bottom <= h || (Partial && bottom - ItemHeightOf(Index) < h)) return;
  int top = Index, used = ItemHeightOf(Index);
  while (top > 0 && used + ItemHeightOf(top - 1) <= h) used += ItemHeightOf(--top);
  SetTop(top);
}

void TCustomListBox::UpdateScrollBars() {
  if (!FHandle || FUpdatingBars) return;
  if (!WindowRedrawEnabled(FHandle)) {
    FBarsPending = true;
    return;
  }
  FBarsPending = false;
  FUpdatingBars = true;
  // Showing one bar narrows the client area, which may call for the other.
  for (int pass = 0; pass < 2; ++pass) {
    FTop = std::clamp(FTop, 0, MaxTopIndex());
    DWORD style = WindowStyle();
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | ((style & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
    si.nMin = 0;
    if (style & LBS_MULTICOLUMN) {
      // Columns scroll sideways, whatever the window's scroll styles say.
      int rows = ColumnRows();
      FTop -= FTop % rows;
      FHorzPos = 0;
      si.nMax = 0;
      si.nPage = 1;
      si.nPos = 0;
      SetScrollInfo(FHandle, SB_VERT, &si, TRUE);
      si.nMax = std::max(0, (static_cast<int>(FList.size()) + rows - 1) / rows - 1);
      si.nPage = static_cast<UINT>(VisibleColumns());
      si.nPos = FTop / rows;
      SetScrollInfo(FHandle, SB_HORZ, &si, TRUE);
      continue;
    }
    FHorzPos = std::clamp(FHorzPos, 0, std::max(0, FHorzExtent - GetClientRect().Width()));
    si.nMax = std::max(0, static_cast<int>(FList.size()) - 1);
    si.nPage = static_cast<UINT>(Variable() ? VisibleCount(FTop)
                                            : GetClientRect().Height() / FixedItemHeight());
    si.nPos = FTop;
    SetScrollInfo(FHandle, SB_VERT, &si, TRUE);
    if (FWantHScroll) {
      si.nMax = std::max(0, FHorzExtent - 1);
      si.nPage = static_cast<UINT>(std::max(0, GetClientRect().Width()));
      si.nPos = FHorzPos;
      SetScrollInfo(FHandle, SB_HORZ, &si, TRUE);
    }
  }
  FUpdatingBars = false;
}

void TCustomListBox::InvalidateItem(int Index) {
  if (!FHandle || Index < 0 || Index >= static_cast<int>(FList.size())) return;
  TRect r;
  if (Perform(LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
    InvalidateRect(FHandle, &r, FALSE);
}

int TCustomListBox::ItemFromPoint(TPoint P, bool* Outside) {
  TRect c = GetClientRect();
  bool out = !c.Contains(P);
  int n = static_cast<int>(FList.size());
  int index = n > 0 ? FTop : 0;
  if (n == 0) {
    out = true;
  } else if (MultiColumn()) {
    int rows = ColumnRows();
    int col = std::max(0, P.X) / ColumnPixels();
    int row = std::clamp(P.Y / FixedItemHeight(), 0, rows - 1);
    if (P.Y >= rows * FixedItemHeight()) out = true;
    index = FTop + col * rows + row;
    if (index >= n) {
      index = n - 1;
      out = true;
    }
  } else if (P.Y >= 0) {
    int y = 0;
    index = -1;
    for (int i = FTop; i < n; ++i) {
      y += ItemHeightOf(i);
      if (P.Y < y) {
        index = i;
        break;
      }
      if (y > c.Bottom) break;
    }
    if (index < 0) {
      index = std::min(n - 1, FTop + std::max(0, VisibleCount(FTop)));
      index = std::max(index, FTop);
      out = true;
    }
  }
  if (Outside) *Outside = out;
  return index;
}

// Dialog units of tab stops are quarters of the font's average character width,
// the width of the 52 letters divided by 52 (rounded), as dialogs measure it.
int TCustomListBox::TabPixels(std::vector<int>& Stops) {
  if (FDlgCharWidth < 0) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    TSize size{};
    GetTextExtentPoint32(dc, alphabet, 52, &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    FDlgCharWidth = std::max(1, static_cast<int>((size.cx + 26) / 52));
  }
  int ave = FDlgCharWidth;
  Stops.clear();
  if (FTabStops.empty()) Stops.push_back(32 * ave / 4);
  for (int dlu : FTabStops) Stops.push_back(dlu * ave / 4);
  return static_cast<int>(Stops.size());
}

void TCustomListBox::Paint(HDC Dc) {
  TRect client = GetClientRect();
  int n = static_cast<int>(FList.size());
  if (MultiColumn() && n > 0) {
    PaintColumns(Dc);
    return;
  }
  int y = 0;
  int right = std::max(client.Right, FHorzExtent) - FHorzPos;
  for (int i = FTop; i < n && y < client.Bottom; ++i) {
    int h = ItemHeightOf(i);
    TRect r{-FHorzPos, y, right, y + h};
    if (RectVisible(Dc, &r)) PaintItem(Dc, i, r);
    y += h;
    n = static_cast<int>(FList.size());  // an owner-draw handler may have changed the list
  }
  if (y < client.Bottom) {
    TRect rest{0, y, client.Right, client.Bottom};
    ::FillRect(Dc, &rest, Brush()->Handle());
  }
  if (n == 0 && FHandle && GetFocus() == FHandle) {
    TRect r{0, 0, client.Right, FixedItemHeight()};
    if (OwnerDraw()) {
      DRAWITEMSTRUCT d;
      d.CtlType = ODT_LISTBOX;
      d.itemID = static_cast<UINT>(-1);
      d.itemAction = ODA_FOCUS;
      d.itemState = ODS_FOCUS;
      d.hwndItem = FHandle;
      d.hDC = Dc;
      d.rcItem = r;
      SendNotify(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&d));
    } else {
      ::DrawFocusRect(Dc, &r);
    }
  }
}

// Column by column from the top index; what no item covers gets the brush.
void TCustomListBox::PaintColumns(HDC Dc) {
  TRect client = GetClientRect();
  int n = static_cast<int>(FList.size());
  const int rows = ColumnRows(), h = FixedItemHeight(), w = ColumnPixels();
  int i = FTop;
  for (; i < n; ++i) {
    int rel = i - FTop, x = rel / rows * w;
    if (x >= client.Right) break;
    TRect r{x, rel % rows * h, x + w, rel % rows * h + h};
    if (RectVisible(Dc, &r)) PaintItem(Dc, i, r);
    n = static_cast<int>(FList.size());  // an owner-draw handler may have changed the list
  }
  int last = i - 1 - FTop;  // the last item painted, counted from the top
  int lastCol = last / rows, used = last % rows + 1;
  HBRUSH brush = Brush()->Handle();
  TRect below{0, rows * h, client.Right, client.Bottom};
  TRect underLast{lastCol * w, used * h, lastCol * w + w, rows * h};
  TRect right{(lastCol + 1) * w, 0, client.Right, rows * h};
  for (const TRect& r : {below, underLast, right})
    if (!r.IsEmpty()) ::FillRect(Dc, &r, brush);
}

void TCustomListBox::PaintItem(HDC Dc, int Index, TRect R) {
  const TItem& item = FList[static_cast<size_t>(Index)];
  bool selected = SelMode() == TSelMode::Single ? Index == FCurSel : item.Selected;
  bool caret = FHandle && GetFocus() == FHandle && Index == FCaret;
  bool enabled = FHandle ? IsWindowEnabled(FHandle) != FALSE : Enabled();
  if (OwnerDraw()) {
    DRAWITEMSTRUCT d;
    d.CtlType = ODT_LISTBOX;
    d.itemID = static_cast<UINT>(Index);
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = (selected ? ODS_SELECTED : 0) | (caret ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
    d.hwndItem = FHandle;
    d.hDC = Dc;
    d.rcItem = R;
    d.itemData = item.Data;
    int saved = SaveDC(Dc);
    IntersectClipRect(Dc, std::max(R.Left, 0), R.Top, R.Right, R.Bottom);
    SendNotify(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&d));
    RestoreDC(Dc, saved);
    return;
  }
  COLORREF back = ColorToRGB(selected ? clHighlight : Color());
  COLORREF fore = ColorToRGB(!enabled ? clGrayText : selected ? clHighlightText : Font()->Color());
  HBRUSH brush = CreateSolidBrush(back);
  ::FillRect(Dc, &R, brush);
  DeleteObject(brush);
  int saved = SaveDC(Dc);
  SelectObject(Dc, Font()->Handle());
  SetBkMode(Dc, TRANSPARENT);
  SetTextColor(Dc, fore);
  int y = R.Top + std::max(0, (R.Height() - FixedItemHeightForText()) / 2);
  std::vector<int> stops;
  bool tabbed = WindowStyle() & LBS_USETABSTOPS;
  int count = tabbed ? TabPixels(stops) : 0;
  listbox_internal::ItemTextOut(Dc, R, y, item.Text, tabbed, count, stops.data(), UseRightToLeftAlignment());
  RestoreDC(Dc, saved);
  if (caret) ::DrawFocusRect(Dc, &R);
}

// The number of items of a list without texts: new items come empty, the
// selection and the caret go when their item does.
void TCustomListBox::SetItemCount(int Count) {
  FList.resize(static_cast<size_t>(Count));
  for (int* i : {&FCurSel, &FCaret, &FAnchor})
    if (*i >= Count) *i = -1;
  FTop = std::clamp(FTop, 0, MaxTopIndex());
  if (FHandle) {
    InvalidateRect(FHandle, nullptr, TRUE);
    UpdateScrollBars();
  }
}

int TCustomListBox::InsertItem(int Index, std::string Text, DWORD Style) {
  int n = static_cast<int>(FList.size());
  if (Index < 0 || Index > n) Index = n;
  TItem item;
  item.Text = std::move(Text);
  FList.insert(FList.begin() + Index, std::move(item));
  for (int* i : {&FCurSel, &FCaret, &FAnchor})
    if (*i >= Index) ++*i;
  if ((Style & LBS_OWNERDRAWVARIABLE) && FHandle) MeasureItemNow(Index);
  if (FHandle) ItemsChanged();
  return Index;
}

// While redraw is off (an update block) nothing shows: the client is invalidated
// once, which later changes cannot add to, and the scroll bars wait for redraw to
// come back on, when the client is invalidated whole anyway.
void TCustomListBox::ItemsChanged() {
  if (!WindowRedrawEnabled(FHandle)) {
    if (!FFrozenInvalid) InvalidateRect(FHandle, nullptr, TRUE);
    FFrozenInvalid = true;
    if (!FUpdatingBars) FBarsPending = true;
    return;
  }
  InvalidateRect(FHandle, nullptr, TRUE);
  UpdateScrollBars();
}

void TCustomListBox::DeleteItemAt(int Index) {
  TItem item = FList[static_cast<size_t>(Index)];
  FList.erase(FList.begin() + Index);
  int n = static_cast<int>(FList.size());
  if (FCurSel == Index) FCurSel = -1;
  else if (FCurSel > Index) --FCurSel;
  for (int* i : {&FCaret, &FAnchor}) {
    if (*i > Index) --*i;
    else if (*i == Index) *i = std::min(Index, n - 1);
  }
  if (FHandle) ItemsChanged();
  else FTop = std::clamp(FTop, 0, std::max(0, n - 1));
  NotifyDeleted(Index, item);
}

void TCustomListBox::ResetContent() {
  std::vector<TItem> old;
  old.swap(FList);
  FCurSel = FCaret = FAnchor = -1;
  FTop = 0;
  if (FHandle) ItemsChanged();
  for (size_t i = 0; i < old.size(); ++i) NotifyDeleted(static_cast<int>(i), old[i]);
}

void TCustomListBox::NotifyDeleted(int Index, const TItem& Item) {
  if (Item.Data == 0) return;
  DELETEITEMSTRUCT d;
  d.CtlType = ODT_LISTBOX;
  d.itemID = static_cast<UINT>(Index);
  d.hwndItem = FHandle;
  d.itemData = Item.Data;
  SendNotify(WM_DELETEITEM, 0, reinterpret_cast<LPARAM>(&d));
}

void TCustomListBox::NotifyCommand(WORD Code) {
  if (!FHandle || Destroying() || !(WindowStyle() & LBS_NOTIFY)) return;
  SendNotify(WM_COMMAND, MAKEWPARAM(0, Code), reinterpret_cast<LPARAM>(FHandle));
}

std::vector<bool> TCustomListBox::SelectionSnapshot() {
  std::vector<bool> s(FList.size());
  for (size_t i = 0; i < FList.size(); ++i) s[i] = FList[i].Selected;
  return s;
}

void TCustomListBox::SelectRange(int From, int To, bool Clear) {
  if (Clear)
    for (TItem& i : FList) i.Selected = false;
  if (From > To) std::swap(From, To);
  for (int i = std::max(0, From); i <= To && i < static_cast<int>(FList.size()); ++i)
    FList[static_cast<size_t>(i)].Selected = true;
}

void TCustomListBox::MoveCaret(int Index, bool Shift, bool Ctrl, bool Toggle) {
  switch (SelMode()) {
    case TSelMode::Single:
      FCurSel = FCaret = Index;
      break;
    case TSelMode::Multiple:
      FCaret = Index;
      if (Toggle) FList[static_cast<size_t>(Index)].Selected = !FList[static_cast<size_t>(Index)].Selected;
      break;
    case TSelMode::Extended:
      if (Shift) {
        if (FAnchor < 0) FAnchor = FCaret >= 0 ? FCaret : Index;
        SelectRange(FAnchor, Index, !Ctrl);
      } else if (Ctrl) {
        if (Toggle) {
          FList[static_cast<size_t>(Index)].Selected = !FList[static_cast<size_t>(Index)].Selected;
          FAnchor = Index;
        }
      } else {
        SelectRange(Index, Index, true);
        FAnchor = Index;
      }
      FCaret = Index;
      break;
  }
}

void TCustomListBox::LbMouseDown(TPoint P, WPARAM Keys, bool Double) {
  if (!FHandle) return;
  if (GetFocus() != FHandle) {
    ::SetFocus(FHandle);
    if (!FHandle) return;
  }
  FTrackStart = SelectionSnapshot();
  FTrackStartSel = FCurSel;
  FTracking = true;
  FTrackDouble = Double;
  ::SetCapture(FHandle);
  if (FList.empty()) return;
  int index = ItemFromPoint(P);
  bool shift = (Keys & MK_SHIFT) != 0, ctrl = (Keys & MK_CONTROL) != 0;
  if (SelMode() == TSelMode::Multiple) MoveCaret(index, false, false, true);
  else MoveCaret(index, shift, ctrl, true);
  EnsureVisible(index, true);
  InvalidateRect(FHandle, nullptr, FALSE);
}

void TCustomListBox::LbMouseMove(TPoint P) {
  if (!FTracking || FList.empty()) return;
  TSelMode mode = SelMode();
  if (mode == TSelMode::Multiple) return;
  int n = static_cast<int>(FList.size());
  TRect c = GetClientRect();
  int index;
  if (MultiColumn()) index = ItemFromPoint({std::clamp(P.X, 0, std::max(0, c.Right - 1)), std::clamp(P.Y, 0, std::max(0, c.Bottom - 1))});
  else if (P.Y < 0) index = std::max(0, FTop - 1);
  else if (P.Y >= c.Bottom) index = std::min(n - 1, FTop + VisibleCount(FTop));
  else index = ItemFromPoint(P);
  if (mode == TSelMode::Single) {
    if (index == FCurSel) return;
    FCurSel = FCaret = index;
  } else {
    if (index == FCaret) return;
    if (FAnchor < 0) FAnchor = index;
    SelectRange(FAnchor, index, true);
    FCaret = index;
  }
  EnsureVisible(index);
  InvalidateRect(FHandle, nullptr, FALSE);
}

void TCustomListBox::LbMouseUp() {
  if (!FTracking) return;
  FTracking = false;
  bool dbl = FTrackDouble;
  FTrackDouble = false;
  if (FHandle && GetCapture() == FHandle) ReleaseCapture();
  bool changed = FTrackStartSel != FCurSel || FTrackStart != SelectionSnapshot();
  if (changed) NotifyCommand(LBN_SELCHANGE);
  if (dbl) NotifyCommand(LBN_DBLCLK);
}

void TCustomListBox::LbKeyDown(WORD Key) {
  int n = static_cast<int>(FList.size());
  if (n == 0) return;
  TSelMode mode = SelMode();
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  int cur = FCaret >= 0 ? FCaret : mode == TSelMode::Single ? FCurSel : -1;
  // Several columns: Left and Right go a column across, a page is what shows.
  const bool columns = MultiColumn();
  const int across = columns ? ColumnRows() : 1;
  int page = columns ? std::max(1, VisibleCount(FTop)) : std::max(1, VisibleCount(FTop) - 1);
  int target;
  switch (Key) {
    case VK_UP: target = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: target = cur < 0 ? 0 : cur + 1; break;
    case VK_LEFT: target = cur < 0 ? 0 : cur - across; break;
    case VK_RIGHT: target = cur < 0 ? 0 : cur + across; break;
    case VK_PRIOR: target = cur < 0 ? 0 : cur - page; break;
    case VK_NEXT: target = (cur < 0 ? 0 : cur) + page; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = n - 1; break;
    case VK_SPACE: target = cur < 0 ? 0 : cur; break;
    default: return;
  }
  target = std::clamp(target, 0, n - 1);
  std::vector<bool> before = SelectionSnapshot();
  int beforeSel = FCurSel;
  if (Key == VK_SPACE) {
    if (mode == TSelMode::Single) MoveCaret(target, false, false, false);
    else MoveCaret(target, false, mode == TSelMode::Extended && ctrl, mode == TSelMode::Multiple || ctrl);
  } else if (mode == TSelMode::Multiple) {
    FCaret = target;
  } else {
    MoveCaret(target, shift, ctrl, false);
  }
  EnsureVisible(target);
  if (FHandle) InvalidateRect(FHandle, nullptr, FALSE);
  if (beforeSel != FCurSel || before != SelectionSnapshot()) NotifyCommand(LBN_SELCHANGE);
}

void TCustomListBox::CharTyped(unsigned char Ch) {
  int n = static_cast<int>(FList.size());
  if (n == 0 || Ch < 32 || Ch >= 0x80 || NoData()) return;
  int start = FCaret >= 0 ? FCaret : FCurSel;
  std::string key(1, static_cast<char>(Ch));
  for (int k = 1; k <= n; ++k) {
    int i = (start + k + n) % n;
    if (!PrefixMatches(FList[static_cast<size_t>(i)].Text, key)) continue;
    std::vector<bool> before = SelectionSnapshot();
    int beforeSel = FCurSel;
    if (SelMode() == TSelMode::Multiple) FCaret = i;
    else MoveCaret(i, false, false, false);
    EnsureVisible(i);
    if (FHandle) InvalidateRect(FHandle, nullptr, FALSE);
    if (beforeSel != FCurSel || before != SelectionSnapshot()) NotifyCommand(LBN_SELCHANGE);
    return;
  }
}

int TCustomListBox::FixedItemHeightForText() {
  if (FFontHeight < 0) FFontHeight = FontHeightOf(Font());
  return FFontHeight;
}
