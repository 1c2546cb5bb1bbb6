// The list box window's messages, one group each: items, selection, scrolling,
// geometry and the window itself.
#include "platform/stdctrls/listbox.h"

#include <algorithm>
#include <numeric>

#include "platform/controls/scrollbars.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/core/sysutils.h"
#include "platform/stdctrls/listbox_internal.h"
#include "platform/stdctrls/listcommon.h"

using namespace listbox_internal;

// Each message belongs to one group; false: not handled here (or handled and passed on).
bool TCustomListBox::HandleListMessage(TMessage& M) {
  return ListItemMessage(M) || ListSelectionMessage(M) || ListScrollMessage(M) || ListGeometryMessage(M) ||
         ListWindowMessage(M);
}

// The items: adding, removing, reading and finding them.
bool TCustomListBox::ListItemMessage(TMessage& M) {
  const int n = static_cast<int>(FList.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
  const bool valid = index >= 0 && index < n;
  auto text = [&]() { return std::string(M.LParam ? reinterpret_cast<const char*>(M.LParam) : ""); };
  // Read once: every item message passes here, and a window's style is a lookup.
  const DWORD style = WindowStyle();
  if (style & LBS_NODATA) {
    // No texts and no data, only a count.
    switch (M.Msg) {
      case LB_SETCOUNT:
        SetItemCount(std::max(0, index));
        M.Result = LB_OKAY;
        return true;
      case LB_ADDSTRING: case LB_INSERTSTRING: case LB_GETTEXT: case LB_GETTEXTLEN: case LB_GETITEMDATA:
      case LB_SETITEMDATA: case LB_FINDSTRING: case LB_FINDSTRINGEXACT:
        M.Result = LB_ERR;
        return true;
      default:
        break;
    }
  }
  switch (M.Msg) {
    case LB_SETCOUNT:
      M.Result = LB_ERR;
      return true;
    case LB_ADDSTRING: {
      std::string s = text();
      int at = n;
      if (style & LBS_SORT) {
        at = static_cast<int>(std::upper_bound(FList.begin(), FList.end(), s, [](const std::string& A, const TItem& B) {
                                return AnsiCompareText(A, B.Text) < 0;
                              }) - FList.begin());
      }
      M.Result = InsertItem(at, std::move(s), style);
      return true;
    }
    case LB_INSERTSTRING:
      if (index < -1 || index > n) {
        M.Result = LB_ERR;
        return true;
      }
      M.Result = InsertItem(index < 0 ? n : index, text(), style);
      return true;
    case LB_DELETESTRING:
      if (!valid) {
        M.Result = LB_ERR;
        return true;
      }
      DeleteItemAt(index);
      M.Result = static_cast<LRESULT>(FList.size());
      return true;
    case LB_RESETCONTENT:
      ResetContent();
      M.Result = LB_OKAY;
      return true;
    case LB_GETCOUNT:
      M.Result = n;
      return true;
    case LB_GETTEXT:
      if (!valid) {
        M.Result = LB_ERR;
        return true;
      }
      if (char* buf = reinterpret_cast<char*>(M.LParam)) {
        const std::string& s = FList[static_cast<size_t>(index)].Text;
        std::copy(s.begin(), s.end(), buf);
        buf[s.size()] = '\0';
      }
      M.Result = static_cast<LRESULT>(FList[static_cast<size_t>(index)].Text.size());
      return true;
    case LB_GETTEXTLEN:
      M.Result = valid ? static_cast<LRESULT>(FList[static_cast<size_t>(index)].Text.size()) : LB_ERR;
      return true;
    case LB_GETITEMDATA:
      M.Result = valid ? static_cast<LRESULT>(FList[static_cast<size_t>(index)].Data) : LB_ERR;
      return true;
    case LB_SETITEMDATA:
      if (!valid) {
        M.Result = LB_ERR;
        return true;
      }
      FList[static_cast<size_t>(index)].Data = static_cast<ULONG_PTR>(M.LParam);
      M.Result = LB_OKAY;
      return true;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT: {
      std::string s = text();
      M.Result = LB_ERR;
      int start = (index < -1 || index >= n) ? -1 : index;
      for (int k = 1; k <= n; ++k) {
        int i = (start + k) % n;
        const std::string& t = FList[static_cast<size_t>(i)].Text;
        if (M.Msg == LB_FINDSTRING ? PrefixMatches(t, s) : CompareText(t, s) == 0) {
          M.Result = i;
          break;
        }
      }
      return true;
    }
    default:
      return false;
  }
}

// The selection and the caret (the focused item).
bool TCustomListBox::ListSelectionMessage(TMessage& M) {
  const int n = static_cast<int>(FList.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
  const bool valid = index >= 0 && index < n;
  const TSelMode mode = SelMode();
  switch (M.Msg) {
    case LB_GETCURSEL:
      M.Result = mode == TSelMode::Single ? FCurSel : FCaret;
      return true;
    case LB_SETCURSEL:
      if (mode != TSelMode::Single) {
        M.Result = LB_ERR;
        return true;
      }
      if (index != FCurSel) {
        InvalidateItem(FCurSel);
        FCurSel = valid ? index : -1;
        if (valid) FCaret = index;
        InvalidateItem(FCurSel);
      }
      if (valid) EnsureVisible(index);
      M.Result = valid ? index : LB_ERR;
      return true;
    case LB_GETSEL:
      if (!valid) M.Result = LB_ERR;
      else M.Result = mode == TSelMode::Single ? (index == FCurSel) : FList[static_cast<size_t>(index)].Selected;
      return true;
    case LB_SETSEL: {
      int which = static_cast<int>(M.LParam);
      if (mode == TSelMode::Single || which < -1 || which >= n) {
        M.Result = LB_ERR;
        return true;
      }
      if (which == -1)
        for (TItem& i : FList) i.Selected = M.WParam != 0;
      else
        FList[static_cast<size_t>(which)].Selected = M.WParam != 0;
      if (FHandle) InvalidateRect(FHandle, nullptr, FALSE);
      M.Result = LB_OKAY;
      return true;
    }
    case LB_GETSELCOUNT:
      M.Result = mode == TSelMode::Single
                     ? LB_ERR
                     : static_cast<LRESULT>(std::count_if(FList.begin(), FList.end(), [](const TItem& I) { return I.Selected; }));
      return true;
    case LB_GETSELITEMS: {
      if (mode == TSelMode::Single) {
        M.Result = LB_ERR;
        return true;
      }
      int* out = reinterpret_cast<int*>(M.LParam);
      int room = static_cast<int>(M.WParam), got = 0;
      for (int i = 0; i < n && got < room && out; ++i)
        if (FList[static_cast<size_t>(i)].Selected) out[got++] = i;
      M.Result = got;
      return true;
    }
    case LB_GETCARETINDEX:
      M.Result = FCaret;
      return true;
    case LB_SETCARETINDEX:
      if (!valid) {
        M.Result = LB_ERR;
        return true;
      }
      InvalidateItem(FCaret);
      FCaret = index;
      if (FAnchor < 0) FAnchor = index;
      InvalidateItem(FCaret);
      EnsureVisible(index, M.LParam != 0);
      M.Result = LB_OKAY;
      return true;
    default:
      return false;
  }
}

// Scrolling: the top index, the wheel and the scroll bars.
bool TCustomListBox::ListScrollMessage(TMessage& M) {
  const int n = static_cast<int>(FList.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
  const bool valid = index >= 0 && index < n;
  switch (M.Msg) {
    case LB_GETTOPINDEX:
      M.Result = FTop;
      return true;
    case LB_SETTOPINDEX:
      if (!valid) {
        M.Result = LB_ERR;
        return true;
      }
      SetTop(index);
      M.Result = LB_OKAY;
      return true;
    case WM_MOUSEWHEEL: {
      if (int lines = WheelRows(M.WParam)) {
        // Several columns: a column a notch.
        if (MultiColumn()) SetTop(FTop + (lines > 0 ? ColumnRows() : -ColumnRows()));
        else SetTop(FTop + lines);
      }
      M.Result = 0;
      return true;
    }
    case WM_VSCROLL: {
      if (MultiColumn()) return true;
      int page = std::max(1, VisibleCount(FTop));
      if (auto to = ScrollBarTarget(M.WParam, FTop, 1, page, [this] { return MaxTopIndex(); })) SetTop(*to);
      return true;
    }
    case WM_HSCROLL: {
      if (MultiColumn()) {
        int rows = ColumnRows();
        if (auto to = ScrollBarTarget(M.WParam, FTop / rows, 1, VisibleColumns(), [&] { return MaxTopIndex() / rows; }))
          SetTop(*to * rows);
        return true;
      }
      int width = std::max(1, GetClientRect().Width());
      if (auto to = ScrollBarTarget(M.WParam, FHorzPos, 8, width, [this] { return FHorzExtent; })) SetHorzPos(*to);
      return true;
    }
    default:
      return false;
  }
}

// The geometry of the items: tab stops, horizontal extent, rectangles and heights.
bool TCustomListBox::ListGeometryMessage(TMessage& M) {
  const int n = static_cast<int>(FList.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
  const bool valid = index >= 0 && index < n;
  switch (M.Msg) {
    case LB_SETTABSTOPS: {
      const int* stops = reinterpret_cast<const int*>(M.LParam);
      int count = static_cast<int>(M.WParam);
      FTabStops.clear();
      if (count > 0 && stops) FTabStops.assign(stops, stops + count);
      if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
      M.Result = TRUE;
      return true;
    }
    case LB_SETCOLUMNWIDTH:
      FColumnWidth = std::max(1, static_cast<int>(M.WParam));
      if (FHandle) {
        UpdateScrollBars();
        InvalidateRect(FHandle, nullptr, TRUE);
      }
      M.Result = LB_OKAY;
      return true;
    case LB_GETHORIZONTALEXTENT:
      M.Result = FHorzExtent;
      return true;
    case LB_SETHORIZONTALEXTENT:
      FHorzExtent = std::max(0, static_cast<int>(M.WParam));
      UpdateScrollBars();
      SetHorzPos(FHorzPos);
      if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
      M.Result = 0;
      return true;
    case LB_GETITEMRECT: {
      auto* r = reinterpret_cast<TRect*>(M.LParam);
      if (!valid || !r) {
        M.Result = LB_ERR;
        return true;
      }
      if (MultiColumn()) {
        int rows = ColumnRows(), h = FixedItemHeight(), w = ColumnPixels(), col = ColumnOf(index);
        int y = (index - FTop - col * rows) * h;
        *r = TRect{col * w, y, col * w + w, y + h};
        M.Result = 1;
        return true;
      }
      int y = 0;
      if (index >= FTop)
        for (int i = FTop; i < index; ++i) y += ItemHeightOf(i);
      else
        for (int i = index; i < FTop; ++i) y -= ItemHeightOf(i);
      *r = TRect{-FHorzPos, y, std::max(GetClientRect().Right, FHorzExtent) - FHorzPos, y + ItemHeightOf(index)};
      M.Result = 1;
      return true;
    }
    case LB_ITEMFROMPOINT: {
      bool out = false;
      int i = ItemFromPoint(LParamToPoint(M.LParam), &out);
      M.Result = static_cast<LRESULT>(MAKELPARAM(i, out ? 1 : 0)) & 0xFFFFFFFF;
      return true;
    }
    case LB_SETITEMHEIGHT: {
      int h = static_cast<int>(M.LParam);
      if (h <= 0 || h > 255 || (Variable() && !valid)) {
        M.Result = LB_ERR;
        return true;
      }
      if (Variable()) FList[static_cast<size_t>(index)].Height = h;
      else FLbItemHeight = h;
      if (FHandle) {
        InvalidateRect(FHandle, nullptr, TRUE);
        UpdateScrollBars();
        AdjustIntegralHeight();
      }
      M.Result = LB_OKAY;
      return true;
    }
    case LB_GETITEMHEIGHT:
      if (Variable()) M.Result = valid ? ItemHeightOf(index) : LB_ERR;
      else M.Result = FixedItemHeight();
      return true;
    default:
      return false;
  }
}

// The window: painting, size and font, focus, the mouse and the keys.
bool TCustomListBox::ListWindowMessage(TMessage& M) {
  switch (M.Msg) {
    case WM_PAINT:
      if (M.WParam) {
        Paint(reinterpret_cast<HDC>(M.WParam));
      } else if (FHandle) {
        FFrozenInvalid = false;  // the update region is taken
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(FHandle, &ps);
        if (dc) Paint(dc);
        EndPaint(FHandle, &ps);
      }
      return true;
    case WM_SIZE:
      if (!FHandle) return false;
      AdjustIntegralHeight();
      SetTop(FTop);
      SetHorzPos(FHorzPos);
      UpdateScrollBars();
      return true;
    case WM_SETFONT:
      FFontHeight = -1;
      FDlgCharWidth = -1;
      if (!OwnerDraw()) FLbItemHeight = 0;
      UpdateScrollBars();
      AdjustIntegralHeight();
      if (FHandle && M.LParam) InvalidateRect(FHandle, nullptr, TRUE);
      return false;
    case WM_SETREDRAW:
      if (!FHandle) return false;
      inherited::DefaultHandler(M);
      FFrozenInvalid = false;
      if (M.WParam) {
        if (FBarsPending) UpdateScrollBars();
        InvalidateRect(FHandle, nullptr, TRUE);
      }
      return true;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (M.Msg == WM_KILLFOCUS && FTracking) LbMouseUp();
      if (FHandle) {
        InvalidateItem(FCaret);
        if (FList.empty()) InvalidateRect(FHandle, nullptr, FALSE);
      }
      NotifyCommand(M.Msg == WM_SETFOCUS ? LBN_SETFOCUS : LBN_KILLFOCUS);
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      LbMouseDown(LParamToPoint(M.LParam), M.WParam, M.Msg == WM_LBUTTONDBLCLK);
      return true;
    case WM_MOUSEMOVE:
      LbMouseMove(LParamToPoint(M.LParam));
      return true;
    case WM_LBUTTONUP:
      LbMouseUp();
      return true;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      if (FTracking) LbMouseUp();
      return false;
    case WM_KEYDOWN:
      LbKeyDown(static_cast<WORD>(M.WParam));
      return true;
    case WM_CHAR:
      CharTyped(static_cast<unsigned char>(M.WParam & 0xFF));
      return true;
    default:
      return false;
  }
}
