// Window scroll bars drawn and tracked in the non-client area.
#include "platform/controls/scrollbars.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace {

struct TBar {
  int Min = 0;
  int Max = 0;
  UINT Page = 0;
  int Pos = 0;
  int TrackPos = 0;
  bool DisableNoScroll = false;
};

struct TWindowBars {
  TBar Bars[2];  // SB_HORZ, SB_VERT
};

enum class TPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

// The bar being dragged: the window, the part pressed and where the pointer is.
struct TTrack {
  HWND Wnd = nullptr;
  int Bar = SB_VERT;
  TPart Part = TPart::None;
  bool Over = true;       // the pointer is over the pressed part (arrows, page areas)
  int PressAt = 0;        // along the bar, window coordinates
  int ThumbAt = 0;        // the thumb's start when pressed
  int Along = 0;          // the pointer now
};

constexpr UINT_PTR kRepeatTimer = 0x5C0B;
constexpr UINT kFirstDelay = 400, kRepeatDelay = 50;

std::unordered_map<HWND, TWindowBars>& AllBars() {
  static auto* m = new std::unordered_map<HWND, TWindowBars>;
  return *m;
}
std::optional<TTrack> g_Track;

int Thickness(int Bar) { return GetSystemMetrics(Bar == SB_VERT ? SM_CXVSCROLL : SM_CYHSCROLL); }
// The vertical bar stands left of the client area (right-to-left windows).
bool LeftScrollBar(HWND Wnd) { return static_cast<DWORD>(GetWindowLong(Wnd, GWL_EXSTYLE)) & WS_EX_LEFTSCROLLBAR; }
DWORD StyleBit(int Bar) { return Bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL; }

int MaxPos(const TBar& B) { return std::max(B.Min, B.Max - std::max(static_cast<int>(B.Page) - 1, 0)); }
// Whether the range is larger than the page (the bar has something to scroll).
bool Needed(const TBar& B) { return B.Max > B.Min && (B.Page == 0 || B.Page <= static_cast<UINT>(B.Max - B.Min)); }

TBar* FindBar(HWND Wnd, int Bar) {
  if (Bar != SB_HORZ && Bar != SB_VERT) return nullptr;
  auto it = AllBars().find(Wnd);
  return it == AllBars().end() ? nullptr : &it->second.Bars[Bar];
}

TBar& BarOf(HWND Wnd, int Bar) { return AllBars()[Wnd].Bars[Bar]; }

// The thumb and arrows along a bar of Length pixels.
struct TLayout {
  int Arrow = 0;
  int TrackStart = 0, TrackEnd = 0;
  bool Thumb = false;
  int ThumbStart = 0, ThumbEnd = 0;
};

TLayout Layout(const TBar& B, int Length, int Thick, std::optional<int> ShownPos = std::nullopt) {
  TLayout l;
  l.Arrow = std::min(Thick, Length / 2);
  l.TrackStart = l.Arrow;
  l.TrackEnd = Length - l.Arrow;
  int track = l.TrackEnd - l.TrackStart;
  if (!Needed(B) || track <= 0) return l;
  int range = B.Max - B.Min + 1;
  int len = B.Page ? std::max(8, static_cast<int>(static_cast<long long>(track) * B.Page / range)) : Thick;
  if (len >= track) return l;
  int span = MaxPos(B) - B.Min;
  int pos = ShownPos.value_or(B.Pos) - B.Min;
  l.Thumb = true;
  l.ThumbStart = l.TrackStart + (span > 0 ? static_cast<int>(static_cast<long long>(pos) * (track - len) / span) : 0);
  l.ThumbEnd = l.ThumbStart + len;
  return l;
}

// The position a thumb starting at ThumbStart stands for.
int PosAt(const TBar& B, const TLayout& L, int ThumbStart) {
  int track = L.TrackEnd - L.TrackStart;
  int len = L.ThumbEnd - L.ThumbStart;
  int span = MaxPos(B) - B.Min;
  if (track - len <= 0 || span <= 0) return B.Min;
  int off = std::clamp(ThumbStart - L.TrackStart, 0, track - len);
  return B.Min + static_cast<int>((static_cast<long long>(off) * span + (track - len) / 2) / (track - len));
}

int AlongBar(int Bar, TPoint WindowPt, const TRect& R) { return Bar == SB_VERT ? WindowPt.Y - R.Top : WindowPt.X - R.Left; }
int BarLength(int Bar, const TRect& R) { return Bar == SB_VERT ? R.Height() : R.Width(); }

TPart PartAt(const TBar& B, const TLayout& L, int Along, int Length) {
  if (Along < 0 || Along >= Length) return TPart::None;
  if (Along < L.Arrow) return TPart::LineUp;
  if (Along >= Length - L.Arrow) return TPart::LineDown;
  if (!L.Thumb) return Needed(B) ? (Along < (L.TrackStart + L.TrackEnd) / 2 ? TPart::PageUp : TPart::PageDown) : TPart::None;
  if (Along < L.ThumbStart) return TPart::PageUp;
  if (Along >= L.ThumbEnd) return TPart::PageDown;
  return TPart::Thumb;
}

// Window coordinates of a screen point.
TPoint ScreenToWindow(HWND Wnd, TPoint P) {
  TRect wr;
  GetWindowRect(Wnd, &wr);
  return {P.X - wr.Left, P.Y - wr.Top};
}

void PaintBar(HWND Wnd, HDC Dc, int Bar) {
  TRect r = ScrollBarRect(Wnd, Bar);
  if (r.IsEmpty()) return;
  TBar none;
  TBar* found = FindBar(Wnd, Bar);
  const TBar& b = found ? *found : none;
  bool vert = Bar == SB_VERT;
  int length = BarLength(Bar, r);
  int thick = vert ? r.Width() : r.Height();
  bool tracking = g_Track && g_Track->Wnd == Wnd && g_Track->Bar == Bar;
  std::optional<int> shown;
  if (tracking && g_Track->Part == TPart::Thumb) shown = b.TrackPos;
  TLayout l = Layout(b, length, thick, shown);
  bool enabled = Needed(b) && IsWindowEnabled(Wnd);
  auto along = [&](int From, int To) {
    return vert ? TRect{r.Left, r.Top + From, r.Right, r.Top + To} : TRect{r.Left + From, r.Top, r.Left + To, r.Bottom};
  };
  // The track: the classic light pattern, flattened to the scroll-bar colour.
  TRect track = along(l.TrackStart, l.TrackEnd);
  FillRect(Dc, &track, GetSysColorBrush(COLOR_SCROLLBAR));
  auto pressed = [&](TPart P) { return tracking && g_Track->Part == P && g_Track->Over; };
  if (pressed(TPart::PageUp) && l.Thumb) {
    TRect p = along(l.TrackStart, l.ThumbStart);
    FillRect(Dc, &p, GetSysColorBrush(COLOR_3DDKSHADOW));
  }
  if (pressed(TPart::PageDown) && l.Thumb) {
    TRect p = along(l.ThumbEnd, l.TrackEnd);
    FillRect(Dc, &p, GetSysColorBrush(COLOR_3DDKSHADOW));
  }
  unsigned inactive = enabled ? 0 : DFCS_INACTIVE;
  TRect up = along(0, l.Arrow);
  DrawFrameControl(Dc, &up, DFC_SCROLL,
                   (vert ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | inactive | (pressed(TPart::LineUp) ? DFCS_PUSHED | DFCS_FLAT : 0));
  TRect down = along(length - l.Arrow, length);
  DrawFrameControl(Dc, &down, DFC_SCROLL,
                   (vert ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | inactive |
                       (pressed(TPart::LineDown) ? DFCS_PUSHED | DFCS_FLAT : 0));
  if (l.Thumb && enabled) {
    TRect t = along(l.ThumbStart, l.ThumbEnd);
    FillRect(Dc, &t, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(Dc, &t, EDGE_RAISED, BF_RECT);
  }
}

void PaintBars(HWND Wnd, HDC Dc) {
  PaintBar(Wnd, Dc, SB_VERT);
  PaintBar(Wnd, Dc, SB_HORZ);
  TRect v = ScrollBarRect(Wnd, SB_VERT), h = ScrollBarRect(Wnd, SB_HORZ);
  if (!v.IsEmpty() && !h.IsEmpty()) {
    TRect corner{v.Left, h.Top, v.Right, h.Bottom};  // (under the vertical bar, either side)
    FillRect(Dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
  }
}

void RedrawBars(HWND Wnd) {
  if (!IsWindowVisible(Wnd) || !WindowRedrawEnabled(Wnd)) return;
  HDC dc = GetWindowDC(Wnd);
  if (!dc) return;
  PaintBars(Wnd, dc);
  ReleaseDC(Wnd, dc);
}

// Turns the bar's style bit on or off and lets the window recompute its client area.
void SetShown(HWND Wnd, int Bar, bool Show) {
  DWORD style = static_cast<DWORD>(GetWindowLong(Wnd, GWL_STYLE));
  DWORD bit = StyleBit(Bar);
  if (((style & bit) != 0) == Show) return;
  SetWindowLong(Wnd, GWL_STYLE, static_cast<LONG>(Show ? style | bit : style & ~bit));
  SetWindowPos(Wnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SendScroll(HWND Wnd, int Bar, int Code, int Pos = 0) {
  SendMessage(Wnd, Bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(Code, Pos), 0);
}

int CodeOf(TPart P) {
  switch (P) {
    case TPart::LineUp: return SB_LINEUP;
    case TPart::LineDown: return SB_LINEDOWN;
    case TPart::PageUp: return SB_PAGEUP;
    case TPart::PageDown: return SB_PAGEDOWN;
    default: return SB_ENDSCROLL;
  }
}

// The part under the pointer now, for the drag in hand.
TPart PartNow(const TTrack& T) {
  TBar* b = FindBar(T.Wnd, T.Bar);
  if (!b) return TPart::None;
  TRect r = ScrollBarRect(T.Wnd, T.Bar);
  TLayout l = Layout(*b, BarLength(T.Bar, r), T.Bar == SB_VERT ? r.Width() : r.Height());
  return PartAt(*b, l, T.Along, BarLength(T.Bar, r));
}

void EndTrack(bool Notify) {
  if (!g_Track) return;
  TTrack t = *g_Track;
  g_Track.reset();
  KillTimer(t.Wnd, kRepeatTimer);
  if (GetCapture() == t.Wnd) ReleaseCapture();
  if (!IsControlWindow(t.Wnd)) return;
  if (Notify) {
    if (t.Part == TPart::Thumb)
      if (TBar* b = FindBar(t.Wnd, t.Bar)) SendScroll(t.Wnd, t.Bar, SB_THUMBPOSITION, b->TrackPos);
    if (IsControlWindow(t.Wnd)) SendScroll(t.Wnd, t.Bar, SB_ENDSCROLL);
  }
  if (IsControlWindow(t.Wnd)) RedrawBars(t.Wnd);
}

void BeginTrack(HWND Wnd, int Bar, TPoint Screen) {
  TBar* b = FindBar(Wnd, Bar);
  if (!b || !Needed(*b) || !IsWindowEnabled(Wnd)) return;
  TRect r = ScrollBarRect(Wnd, Bar);
  int along = AlongBar(Bar, ScreenToWindow(Wnd, Screen), r);
  TLayout l = Layout(*b, BarLength(Bar, r), Bar == SB_VERT ? r.Width() : r.Height());
  TPart part = PartAt(*b, l, along, BarLength(Bar, r));
  if (part == TPart::None) return;
  EndTrack(false);
  g_Track = TTrack{Wnd, Bar, part, true, along, l.ThumbStart, along};
  b->TrackPos = b->Pos;
  SetCapture(Wnd);
  if (part == TPart::Thumb) {
    RedrawBars(Wnd);
    return;
  }
  SendScroll(Wnd, Bar, CodeOf(part));
  if (g_Track && g_Track->Wnd == Wnd) {
    SetTimer(Wnd, kRepeatTimer, kFirstDelay, nullptr);
    RedrawBars(Wnd);
  }
}

bool TrackMessage(HWND Wnd, TMessage& M) {
  TTrack& t = *g_Track;
  switch (M.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
      TPoint p = LParamToPoint(M.LParam);
      ClientToScreen(Wnd, &p);
      t.Along = AlongBar(t.Bar, ScreenToWindow(Wnd, p), ScrollBarRect(Wnd, t.Bar));
      if (t.Part == TPart::Thumb) {
        TBar* b = FindBar(Wnd, t.Bar);
        TRect r = ScrollBarRect(Wnd, t.Bar);
        if (b) {
          TLayout l = Layout(*b, BarLength(t.Bar, r), t.Bar == SB_VERT ? r.Width() : r.Height());
          int pos = PosAt(*b, l, t.ThumbAt + t.Along - t.PressAt);
          if (pos != b->TrackPos) {
            b->TrackPos = pos;
            SendScroll(Wnd, t.Bar, SB_THUMBTRACK, pos);
            if (g_Track) RedrawBars(Wnd);
          }
        }
      } else {
        bool over = PartNow(t) == t.Part;
        if (over != t.Over) {
          t.Over = over;
          RedrawBars(Wnd);
        }
      }
      if (M.Msg == WM_LBUTTONUP && g_Track) EndTrack(true);
      M.Result = 0;
      return true;
    }
    case WM_TIMER:
      if (M.WParam != kRepeatTimer) return false;
      if (t.Part != TPart::Thumb && PartNow(t) == t.Part) {
        SetTimer(Wnd, kRepeatTimer, kRepeatDelay, nullptr);
        SendScroll(Wnd, t.Bar, CodeOf(t.Part));
        if (g_Track) RedrawBars(Wnd);
      }
      return true;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      EndTrack(true);
      return M.Msg == WM_CAPTURECHANGED;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR:
      return true;  // nothing else happens while a bar is dragged
    default:
      return false;
  }
}

}  // namespace

TRect ScrollBarRect(HWND Wnd, int Bar) {
  if (!IsControlWindow(Wnd) || (Bar != SB_VERT && Bar != SB_HORZ)) return {};
  DWORD style = static_cast<DWORD>(GetWindowLong(Wnd, GWL_STYLE));
  if (!(style & StyleBit(Bar))) return {};
  TRect c = GetClientArea(Wnd);
  if (Bar == SB_VERT && LeftScrollBar(Wnd)) return {c.Left - Thickness(SB_VERT), c.Top, c.Left, c.Bottom};
  if (Bar == SB_VERT) return {c.Right, c.Top, c.Right + Thickness(SB_VERT), c.Bottom};
  return {c.Left, c.Bottom, c.Right, c.Bottom + Thickness(SB_HORZ)};
}

int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO* Info, BOOL Redraw) {
  if (!Info || !IsControlWindow(Wnd) || (Bar != SB_HORZ && Bar != SB_VERT)) return 0;
  TBar& b = BarOf(Wnd, Bar);
  if (Info->fMask & SIF_RANGE) {
    b.Min = Info->nMin;
    b.Max = std::max(Info->nMin, Info->nMax);
  }
  if (Info->fMask & SIF_PAGE) b.Page = std::min<UINT>(Info->nPage, static_cast<UINT>(b.Max - b.Min + 1));
  if (Info->fMask & SIF_POS) b.Pos = Info->nPos;
  b.DisableNoScroll = (Info->fMask & SIF_DISABLENOSCROLL) != 0;
  b.Pos = std::clamp(b.Pos, b.Min, MaxPos(b));
  int pos = b.Pos;
  if (Info->fMask & (SIF_RANGE | SIF_PAGE)) SetShown(Wnd, Bar, Needed(BarOf(Wnd, Bar)) || b.DisableNoScroll);
  if (Redraw) RedrawBars(Wnd);
  return pos;
}

BOOL GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO* Info) {
  TBar* b = FindBar(Wnd, Bar);
  if (!b || !Info) return FALSE;
  if (Info->fMask & SIF_RANGE) {
    Info->nMin = b->Min;
    Info->nMax = b->Max;
  }
  if (Info->fMask & SIF_PAGE) Info->nPage = b->Page;
  if (Info->fMask & SIF_POS) Info->nPos = b->Pos;
  if (Info->fMask & SIF_TRACKPOS)
    Info->nTrackPos = g_Track && g_Track->Wnd == Wnd && g_Track->Bar == Bar ? b->TrackPos : b->Pos;
  return TRUE;
}

int SetScrollPos(HWND Wnd, int Bar, int Pos, BOOL Redraw) {
  int old = GetScrollPos(Wnd, Bar);
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = Pos;
  SetScrollInfo(Wnd, Bar, &si, Redraw);
  return old;
}

int GetScrollPos(HWND Wnd, int Bar) {
  TBar* b = FindBar(Wnd, Bar);
  return b ? b->Pos : 0;
}

BOOL SetScrollRange(HWND Wnd, int Bar, int Min, int Max, BOOL Redraw) {
  if (!IsControlWindow(Wnd)) return FALSE;
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = Min;
  si.nMax = Max;
  SetScrollInfo(Wnd, Bar, &si, Redraw);
  return TRUE;
}

BOOL ShowScrollBar(HWND Wnd, int Bar, BOOL Show) {
  if (!IsControlWindow(Wnd)) return FALSE;
  if (Bar == SB_HORZ || Bar == SB_BOTH) SetShown(Wnd, SB_HORZ, Show != FALSE);
  if (Bar == SB_VERT || Bar == SB_BOTH) SetShown(Wnd, SB_VERT, Show != FALSE);
  return TRUE;
}

bool ScrollBarTracking(HWND Wnd) { return g_Track && g_Track->Wnd == Wnd; }

bool ScrollBarsDefProc(HWND Wnd, TMessage& M) {
  if (g_Track && g_Track->Wnd == Wnd && TrackMessage(Wnd, M)) return true;
  switch (M.Msg) {
    case WM_NCCALCSIZE: {
      DefWindowProc(Wnd, M);
      auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam);
      if (!p) return true;
      DWORD style = static_cast<DWORD>(GetWindowLong(Wnd, GWL_STYLE));
      TRect& r = p->rgrc[0];
      if ((style & WS_VSCROLL) && LeftScrollBar(Wnd)) r.Left = std::min(r.Right, r.Left + Thickness(SB_VERT));
      else if (style & WS_VSCROLL) r.Right = std::max(r.Left, r.Right - Thickness(SB_VERT));
      if (style & WS_HSCROLL) r.Bottom = std::max(r.Top, r.Bottom - Thickness(SB_HORZ));
      return true;
    }
    case WM_NCPAINT: {
      DefWindowProc(Wnd, M);
      HDC dc = GetWindowDC(Wnd);
      if (dc) {
        PaintBars(Wnd, dc);
        ReleaseDC(Wnd, dc);
      }
      return true;
    }
    case WM_NCHITTEST: {
      TPoint p = ScreenToWindow(Wnd, LParamToPoint(M.LParam));
      if (ScrollBarRect(Wnd, SB_VERT).Contains(p)) M.Result = HTVSCROLL;
      else if (ScrollBarRect(Wnd, SB_HORZ).Contains(p)) M.Result = HTHSCROLL;
      else DefWindowProc(Wnd, M);
      return true;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (M.WParam == static_cast<WPARAM>(HTVSCROLL) || M.WParam == static_cast<WPARAM>(HTHSCROLL)) {
        BeginTrack(Wnd, M.WParam == static_cast<WPARAM>(HTVSCROLL) ? SB_VERT : SB_HORZ, LParamToPoint(M.LParam));
        M.Result = 0;
        return true;
      }
      return false;
    case WM_ENABLE:
      RedrawBars(Wnd);
      return false;
    case WM_NCDESTROY:
      if (g_Track && g_Track->Wnd == Wnd) {
        KillTimer(Wnd, kRepeatTimer);
        g_Track.reset();
      }
      AllBars().erase(Wnd);
      return false;
    default:
      return false;
  }
}
