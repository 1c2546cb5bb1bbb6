// TCustomEdit and the edit window: what the "EDIT" class does in the layer (typing
// in GBK bytes, the clipboard messages, the context menu, lines) and the text model
// that holds the window's state when the backend has no native edit.
#include "platform/stdctrls/edit.h"

#include <algorithm>
#include <cstring>

#include "platform/controls/forms.h"
#include "platform/stdctrls/maskedit.h"
#include "platform/controls/textreply.h"
#include "platform/controls/menus.h"
#include "platform/controls/modal.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TEditCharCase, "ecNormal", "ecUpperCase", "ecLowerCase")

namespace {

// The first byte of the character after the one at P (a CR LF pair is one step).
size_t NextChar(const std::string& S, size_t P) {
  if (P >= S.size()) return S.size();
  if (S[P] == '\r' && P + 1 < S.size() && S[P + 1] == '\n') return P + 2;
  if (IsGbkLeadByte(static_cast<unsigned char>(S[P])) && P + 1 < S.size()) return P + 2;
  return P + 1;
}

// P moved back onto the first byte of the character it is in.
size_t SnapChar(const std::string& S, size_t P) {
  P = std::min(P, S.size());
  size_t q = 0;
  while (q < P) {
    size_t n = NextChar(S, q);
    if (n > P) return q;
    q = n;
  }
  return P;
}

size_t PrevChar(const std::string& S, size_t P) {
  P = std::min(P, S.size());
  size_t q = 0, last = 0;
  while (q < P) {
    last = q;
    q = NextChar(S, q);
  }
  return last;
}

// Line starts of a multi-line text (CR LF ends a line).
std::vector<size_t> LineStarts(const std::string& S, bool Multi) {
  std::vector<size_t> starts{0};
  if (!Multi) return starts;
  for (size_t i = 0; i + 1 < S.size(); ++i)
    if (S[i] == '\r' && S[i + 1] == '\n') starts.push_back(i + 2);
  return starts;
}

// CR LF for every line break of a multi-line text (a lone CR or LF included).
std::string NormalizeBreaks(const std::string& S) {
  std::string out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\r') {
      out += "\r\n";
      if (i + 1 < S.size() && S[i + 1] == '\n') ++i;
    } else if (S[i] == '\n') {
      out += "\r\n";
    } else {
      out += S[i];
    }
  }
  return out;
}

std::string ApplyCase(std::string S, DWORD Style) {
  for (size_t i = 0; i < S.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(S[i]);
    if (IsGbkLeadByte(c)) {
      ++i;
      continue;
    }
    if ((Style & ES_UPPERCASE) && c >= 'a' && c <= 'z') S[i] = static_cast<char>(c - 32);
    if ((Style & ES_LOWERCASE) && c >= 'A' && c <= 'Z') S[i] = static_cast<char>(c + 32);
  }
  return S;
}

// Texts of this file are written as UTF-8 literals and shown as GBK.
std::string Gbk(const char8_t* Utf8) { return Utf8ToGbk(std::string(reinterpret_cast<const char*>(Utf8))); }

}  // namespace

bool TEditFlags::HandleFlags(TMessage& M) {
  switch (M.Msg) {
    case EM_GETMODIFY:
      M.Result = Modified ? TRUE : FALSE;
      return true;
    case EM_SETMODIFY:
      Modified = M.WParam != 0;
      return true;
    case EM_LIMITTEXT:
      Limit = M.WParam == 0 ? kEditNoLimit : static_cast<size_t>(M.WParam);
      return true;
    case EM_GETLIMITTEXT:
      M.Result = static_cast<LRESULT>(Limit);
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// The text model: an edit window's state without a native peer
// ---------------------------------------------------------------------------

class TEditModel : public TEditFlags {
public:
  TEditModel(HWND AWnd, const std::string& AText) : Wnd(AWnd) {
    Text = Multi() ? NormalizeBreaks(AText) : AText;
  }

  HWND Wnd;
  std::string Text;
  size_t Anchor = 0, Caret = 0;
  std::string UndoText;
  size_t UndoCaret = 0;
  bool HasUndo = false;
  size_t MergeAt = std::string::npos;  // typing here continues the last undo step
  char Password = 0;
  int LeftMargin = 0, RightMargin = 0;
  int FirstLine = 0;
  int ScrollX = 0;  // pixels the text is scrolled to the left
  HFONT Font = nullptr;

  bool Multi() const { return (GetWindowLong(Wnd, GWL_STYLE) & ES_MULTILINE) != 0; }
  size_t SelStart() const { return std::min(Anchor, Caret); }
  size_t SelEnd() const { return std::max(Anchor, Caret); }

  // The text as shown (password characters instead of the text).
  std::string Shown(const std::string& S) const {
    if (!Password) return S;
    std::string out;
    for (size_t i = 0; i < S.size(); i = NextChar(S, i)) out += Password;
    return out;
  }

  int TextWidth(HDC Dc, const std::string& S) const {
    std::string shown = Shown(S);
    TSize sz{};
    GetTextExtentPoint32(Dc, shown.c_str(), static_cast<int>(shown.size()), &sz);
    return sz.cx;
  }
  HDC MeasureDC() const {
    HDC dc = CreateCompatibleDC(nullptr);
    if (Font) SelectObject(dc, Font);
    return dc;
  }
  int LineHeight(HDC Dc) const {
    TEXTMETRIC tm{};
    GetTextMetrics(Dc, &tm);
    return std::max(1, static_cast<int>(tm.tmHeight));
  }
  TRect FormatRect() const {
    TRect c;
    GetClientRect(Wnd, &c);
    TRect r{c.Left + 1 + LeftMargin, c.Top + 1, c.Right - 1 - RightMargin, c.Bottom - 1};
    if (r.Right < r.Left) r.Right = r.Left;
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    return r;
  }
  int LineTop(HDC Dc, int Line) const {
    TRect f = FormatRect();
    int h = LineHeight(Dc);
    if (!Multi()) return f.Top + std::max(0, (f.Height() - h) / 2);
    return f.Top + (Line - FirstLine) * h;
  }
  int VisibleLines(HDC Dc) const { return std::max(1, FormatRect().Height() / LineHeight(Dc)); }

  void LineOf(size_t P, int& Line, size_t& Start, size_t& End) const {
    auto starts = LineStarts(Text, Multi());
    auto it = std::upper_bound(starts.begin(), starts.end(), P);
    Line = static_cast<int>(it - starts.begin()) - 1;
    Start = starts[Line];
    End = Line + 1 < static_cast<int>(starts.size()) ? starts[Line + 1] - 2 : Text.size();
  }

  TPoint PosFromChar(HDC Dc, size_t P) const {
    int line;
    size_t s, e;
    LineOf(std::min(P, Text.size()), line, s, e);
    TRect f = FormatRect();
    return {f.Left - ScrollX + TextWidth(Dc, Text.substr(s, std::min(P, e) - s)), LineTop(Dc, line)};
  }

  size_t CharFromPos(HDC Dc, TPoint P, int& Line) const {
    auto starts = LineStarts(Text, Multi());
    int h = LineHeight(Dc);
    TRect f = FormatRect();
    Line = Multi() ? FirstLine + (P.Y - f.Top) / h : 0;
    if (P.Y < f.Top && Multi()) Line = FirstLine - 1;
    Line = std::clamp(Line, 0, static_cast<int>(starts.size()) - 1);
    size_t s = starts[Line];
    size_t e = Line + 1 < static_cast<int>(starts.size()) ? starts[Line + 1] - 2 : Text.size();
    int x = f.Left - ScrollX;
    for (size_t q = s; q < e;) {
      size_t n = NextChar(Text, q);
      int w = TextWidth(Dc, Text.substr(q, n - q));
      if (P.X < x + w / 2) return q;
      x += w;
      q = n;
    }
    return e;
  }

  // Keeps the caret in view.
  void ScrollToCaret() {
    HDC dc = MeasureDC();
    int line;
    size_t s, e;
    LineOf(Caret, line, s, e);
    if (Multi()) {
      int vis = VisibleLines(dc);
      if (line < FirstLine) FirstLine = line;
      else if (line >= FirstLine + vis) FirstLine = line - vis + 1;
    }
    TRect f = FormatRect();
    int x = TextWidth(dc, Text.substr(s, Caret - s));
    if (x - ScrollX < 0) ScrollX = x;
    else if (x - ScrollX > f.Width() - 1) ScrollX = x - std::max(0, f.Width() - 1);
    DeleteDC(dc);
  }

  void Changed() {
    InvalidateRect(Wnd, nullptr, TRUE);
    if (HWND parent = GetParent(Wnd)) SendMessage(parent, WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(Wnd));
  }

  void SetSel(size_t A, size_t C) {
    Anchor = SnapChar(Text, A);
    Caret = SnapChar(Text, C);
    MergeAt = std::string::npos;
    ScrollToCaret();
    InvalidateRect(Wnd, nullptr, FALSE);
  }

  // Replaces the selection; the limit cuts what does not fit (never inside a
  // character). Returns whether anything changed.
  bool Replace(std::string S, bool CanUndo) {
    if (Multi()) S = NormalizeBreaks(S);
    else if (size_t br = S.find_first_of("\r\n"); br != std::string::npos) S.resize(br);
    size_t a = SelStart(), b = SelEnd();
    size_t room = Limit > Text.size() - (b - a) ? Limit - (Text.size() - (b - a)) : 0;
    if (S.size() > room) {
      S = GbkTruncate(S, room);
      if (HWND parent = GetParent(Wnd))
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(0, EN_MAXTEXT), reinterpret_cast<LPARAM>(Wnd));
    }
    if (S.empty() && a == b) return false;
    if (CanUndo) {
      bool merge = a == b && a == MergeAt && !S.empty();
      if (!merge) {
        UndoText = Text;
        UndoCaret = Caret;
      }
      HasUndo = true;
    }
    Text.replace(a, b - a, S);
    Anchor = Caret = a + S.size();
    MergeAt = CanUndo && !S.empty() ? Caret : std::string::npos;
    Modified = true;
    ScrollToCaret();
    Changed();
    return true;
  }

  size_t NotifiedAnchor = 0, NotifiedCaret = 0;

  // EN_SELCHANGE when the selection moved since the last one.
  void NotifySelection() {
    if (Anchor == NotifiedAnchor && Caret == NotifiedCaret) return;
    NotifiedAnchor = Anchor;
    NotifiedCaret = Caret;
    if (HWND parent = GetParent(Wnd))
      SendMessage(parent, WM_COMMAND, MAKEWPARAM(0, EN_SELCHANGE), reinterpret_cast<LPARAM>(Wnd));
  }

  bool Handle(TMessage& M) {
    bool done = HandleState(M);
    if (done) NotifySelection();
    return done;
  }

  // The window's state messages, by group; false: not one of them.
  bool HandleState(TMessage& M) {
    return HandleText(M) || HandleSelection(M) || HandleFlags(M) || HandleOptions(M) || HandleScrolling(M);
  }

  // The text, its font, replacing the selection and undoing.
  bool HandleText(TMessage& M) {
    switch (M.Msg) {
      case WM_SETTEXT: {
        const char* t = reinterpret_cast<const char*>(M.LParam);
        Text = t ? t : "";
        if (Multi()) Text = NormalizeBreaks(Text);
        Anchor = Caret = 0;
        HasUndo = false;
        MergeAt = std::string::npos;
        Modified = false;
        FirstLine = 0;
        ScrollX = 0;
        Changed();
        M.Result = TRUE;
        return true;
      }
      case WM_GETTEXTLENGTH:
      case WM_GETTEXT:
        ReplyWindowText(M, Text);
        return true;
      case WM_SETFONT:
        Font = reinterpret_cast<HFONT>(M.WParam);
        return true;
      case EM_REPLACESEL: {
        const char* t = reinterpret_cast<const char*>(M.LParam);
        Replace(t ? t : "", M.WParam != 0);
        return true;
      }
      case EM_CANUNDO:
        M.Result = HasUndo ? TRUE : FALSE;
        return true;
      case EM_UNDO: {
        if (!HasUndo) {
          M.Result = FALSE;
          return true;
        }
        std::swap(Text, UndoText);
        size_t c = std::min(UndoCaret, Text.size());
        UndoCaret = Caret;
        Anchor = Caret = SnapChar(Text, c);
        MergeAt = std::string::npos;
        Modified = true;
        ScrollToCaret();
        Changed();
        M.Result = TRUE;
        return true;
      }
      case EM_EMPTYUNDOBUFFER:
        HasUndo = false;
        UndoText.clear();
        return true;
      default:
        return false;
    }
  }

  // The selection in bytes.
  bool HandleSelection(TMessage& M) {
    switch (M.Msg) {
      case EM_GETSEL: {
        if (auto* s = reinterpret_cast<DWORD*>(M.WParam)) *s = static_cast<DWORD>(SelStart());
        if (auto* e = reinterpret_cast<DWORD*>(M.LParam)) *e = static_cast<DWORD>(SelEnd());
        M.Result = MAKELPARAM(static_cast<int>(std::min<size_t>(SelStart(), 0xFFFF)),
                              static_cast<int>(std::min<size_t>(SelEnd(), 0xFFFF)));
        return true;
      }
      case EM_GETCARETINDEX:
        M.Result = static_cast<LRESULT>(Caret);
        return true;
      case EM_SETSEL: {
        auto s = static_cast<std::intptr_t>(M.WParam);
        auto e = static_cast<std::intptr_t>(M.LParam);
        if (s == -1) {
          SetSel(Caret, Caret);
          return true;
        }
        size_t a = s < 0 ? 0 : static_cast<size_t>(s);
        size_t c = e < 0 ? Text.size() : static_cast<size_t>(e);
        SetSel(std::min(a, Text.size()), std::min(c, Text.size()));
        return true;
      }
      default:
        return false;
    }
  }

  // The options: password character, read-only, margins.
  bool HandleOptions(TMessage& M) {
    switch (M.Msg) {
      case EM_SETPASSWORDCHAR:
        Password = static_cast<char>(M.WParam & 0xFF);
        InvalidateRect(Wnd, nullptr, TRUE);
        return true;
      case EM_GETPASSWORDCHAR:
        M.Result = static_cast<unsigned char>(Password);
        return true;
      case EM_SETREADONLY:
        M.Result = TRUE;
        return true;
      case EM_SETMARGINS: {
        HDC dc = MeasureDC();
        TEXTMETRIC tm{};
        GetTextMetrics(dc, &tm);
        DeleteDC(dc);
        int fontMargin = std::max(1, static_cast<int>(tm.tmAveCharWidth) / 2);
        bool font = M.WParam == EC_USEFONTINFO;
        if (font || (M.WParam & EC_LEFTMARGIN)) LeftMargin = font ? fontMargin : LOWORD(M.LParam);
        if (font || (M.WParam & EC_RIGHTMARGIN)) RightMargin = font ? fontMargin : HIWORD(M.LParam);
        InvalidateRect(Wnd, nullptr, TRUE);
        return true;
      }
      case EM_GETMARGINS:
        M.Result = MAKELPARAM(LeftMargin, RightMargin);
        return true;
      case EM_GETRECT:
        if (auto* r = reinterpret_cast<TRect*>(M.LParam)) *r = FormatRect();
        return true;
      default:
        return false;
    }
  }

  // Positions on the screen and scrolling.
  bool HandleScrolling(TMessage& M) {
    switch (M.Msg) {
      case EM_POSFROMCHAR: {
        HDC dc = MeasureDC();
        size_t p = static_cast<size_t>(M.WParam);
        M.Result = p > Text.size() ? -1 : PointToLParam(PosFromChar(dc, p));
        DeleteDC(dc);
        return true;
      }
      case EM_CHARFROMPOS: {
        HDC dc = MeasureDC();
        int line = 0;
        size_t p = CharFromPos(dc, LParamToPoint(M.LParam), line);
        DeleteDC(dc);
        M.Result = MAKELPARAM(static_cast<int>(std::min<size_t>(p, 0xFFFF)), line);
        return true;
      }
      case EM_GETFIRSTVISIBLELINE:
        M.Result = Multi() ? FirstLine : 0;
        return true;
      case EM_LINESCROLL: {
        if (!Multi()) {
          M.Result = FALSE;
          return true;
        }
        int lines = static_cast<int>(LineStarts(Text, true).size());
        FirstLine = std::clamp(FirstLine + static_cast<int>(M.LParam), 0, std::max(0, lines - 1));
        HDC dc = MeasureDC();
        ScrollX = std::max(0, ScrollX + static_cast<int>(static_cast<std::intptr_t>(M.WParam)) *
                                            std::max(1, TextWidth(dc, "x")));
        DeleteDC(dc);
        InvalidateRect(Wnd, nullptr, TRUE);
        M.Result = TRUE;
        return true;
      }
      case EM_SCROLL: {
        if (!Multi()) {
          M.Result = FALSE;
          return true;
        }
        HDC dc = MeasureDC();
        int page = VisibleLines(dc);
        DeleteDC(dc);
        int delta = 0;
        switch (LOWORD(M.WParam)) {
          case SB_LINEUP: delta = -1; break;
          case SB_LINEDOWN: delta = 1; break;
          case SB_PAGEUP: delta = -page; break;
          case SB_PAGEDOWN: delta = page; break;
          default: M.Result = FALSE; return true;
        }
        int lines = static_cast<int>(LineStarts(Text, true).size());
        int last = std::max(0, lines - page);
        int to = std::clamp(FirstLine + delta, 0, std::max(last, FirstLine));
        int moved = to - FirstLine;
        FirstLine = to;
        if (moved) InvalidateRect(Wnd, nullptr, TRUE);
        M.Result = MAKELPARAM(moved, TRUE);
        return true;
      }
      case EM_SCROLLCARET:
        ScrollToCaret();
        InvalidateRect(Wnd, nullptr, TRUE);
        M.Result = TRUE;
        return true;
      default:
        return false;
    }
  }

  // Caret keys of the painted edit; Delete deletes. Returns whether the key was one.
  bool Key(WORD VKey, bool Shift, bool ReadOnly) {
    size_t c = Caret;
    int line;
    size_t s, e;
    LineOf(c, line, s, e);
    switch (VKey) {
      case VK_LEFT:
        if (!Shift && Anchor != Caret) c = SelStart();
        else c = PrevChar(Text, c);
        break;
      case VK_RIGHT:
        if (!Shift && Anchor != Caret) c = SelEnd();
        else c = NextChar(Text, c);
        break;
      case VK_HOME: c = s; break;
      case VK_END: c = e; break;
      case VK_UP: case VK_DOWN: {
        if (!Multi()) return true;
        HDC dc = MeasureDC();
        TPoint p = PosFromChar(dc, c);
        int h = LineHeight(dc);
        int to;
        c = CharFromPos(dc, {p.X, p.Y + (VKey == VK_UP ? -h : h) + h / 2}, to);
        DeleteDC(dc);
        break;
      }
      case VK_DELETE: {
        if (ReadOnly) {
          MessageBeep(0);
          return true;
        }
        if (Anchor == Caret) {
          if (Caret >= Text.size()) return true;
          Anchor = NextChar(Text, Caret);
        }
        Replace("", true);
        NotifySelection();
        return true;
      }
      default:
        return false;
    }
    Caret = c;
    if (!Shift) Anchor = c;
    MergeAt = std::string::npos;
    ScrollToCaret();
    InvalidateRect(Wnd, nullptr, FALSE);
    NotifySelection();
    return true;
  }
};

// ---------------------------------------------------------------------------
// TCustomEdit
// ---------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
  SetBounds(0, 0, 121, 25);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  SetCursor(crIBeam);
}

TCustomEdit::~TCustomEdit() = default;

bool TCustomEdit::NativeWindow() const {
  TWindowPeer* p = FHandle ? WindowPeer(FHandle) : nullptr;
  return p && p->Native();
}

TEditModel* TCustomEdit::Model() {
  if (!FHandle || NativeWindow()) return nullptr;
  if (!FModel && WindowPeer(FHandle)) {
    FModel = std::make_unique<TEditModel>(FHandle, FText);
    FModel->Limit = FMaxLength > 0 ? static_cast<size_t>(FMaxLength) : kEditNoLimit;
    FModel->Password = FPasswordChar;
    FModel->Font = FFont->Handle();
  }
  return FModel.get();
}

bool TCustomEdit::Multiline() {
  return FHandle && (GetWindowLong(FHandle, GWL_STYLE) & ES_MULTILINE) != 0;
}

LRESULT TCustomEdit::EditState(UINT Msg, WPARAM W, LPARAM L) {
  TMessage m{Msg, W, L, 0};
  if (!FHandle) return 0;
  if (TEditModel* md = Model()) md->Handle(m);
  else DefWindowProc(FHandle, m);
  return m.Result;
}

void TCustomEdit::CreateParams(TCreateParams& P) {
  TWinControl::CreateParams(P);
  P.WinClassName = "EDIT";
  P.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (FReadOnly) P.Style |= ES_READONLY;
  if (!FHideSelection) P.Style |= ES_NOHIDESEL;
  if (FCharCase == ecUpperCase) P.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) P.Style |= ES_LOWERCASE;
  // Right-to-left alignment mirrors the text's side (centred stays centred).
  TAlignment a = FAlignment;
  if (UseRightToLeftAlignment()) ChangeBiDiModeAlignment(a);
  if (a == taRightJustify) P.Style |= ES_RIGHT;
  if (a == taCenter) P.Style |= ES_CENTER;
  if (FBorderStyle == bsSingle) {
    if (Ctl3D()) P.ExStyle |= WS_EX_CLIENTEDGE;
    else P.Style |= WS_BORDER;
  }
}

void TCustomEdit::CreateWnd() {
  {
    FCreating = true;
    TOnExit done([this] { FCreating = false; });
    TWinControl::CreateWnd();
  }
  FModel.reset();
  FExpectTrail = FLeadStopped = false;
  FPendingLead.clear();
  Perform(EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  if (FPasswordChar) Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(FPasswordChar), 0);
  if (FReadOnly) EditState(EM_SETREADONLY, TRUE, 0);
  Perform(EM_SETMODIFY, FModified ? TRUE : FALSE, 0);
}

void TCustomEdit::DestroyWnd() {
  if (FHandle && !ComponentState().Contains(csDestroying)) {
    FText = WindowText();
    FModified = EditState(EM_GETMODIFY) != 0;
  }
  TWinControl::DestroyWnd();
  FModel.reset();
}

void TCustomEdit::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  if (Value) AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
  if (!FAutoSize || ComponentState().Contains(csLoading) || Multiline()) return;
  TEXTMETRIC tm = FontMetricsOf(FFont);
  int border = FBorderStyle == bsSingle ? (Ctl3D() ? 8 : 6) : 2;
  SetHeight(static_cast<int>(tm.tmHeight) + border);
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomEdit::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (FCharCase == Value) return;
  FCharCase = Value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(int Value) {
  FMaxLength = std::max(0, Value);
  if (FHandle) Perform(EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

bool TCustomEdit::Modified() { return FHandle ? Perform(EM_GETMODIFY, 0, 0) != 0 : FModified; }

void TCustomEdit::SetModified(bool Value) {
  FModified = Value;
  if (FHandle) Perform(EM_SETMODIFY, Value ? TRUE : FALSE, 0);
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (FPasswordChar == Value) return;
  FPasswordChar = Value;
  if (FHandle) {
    Perform(EM_SETPASSWORDCHAR, static_cast<unsigned char>(Value), 0);
    Invalidate();
  }
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  if (FHandle) Perform(EM_SETREADONLY, Value ? TRUE : FALSE, 0);
}

int TCustomEdit::SelStart() {
  HandleNeeded();
  DWORD s = 0, e = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return static_cast<int>(s);
}

void TCustomEdit::SetSelStart(int Value) {
  HandleNeeded();
  Perform(EM_SETSEL, static_cast<WPARAM>(Value), Value);
}

int TCustomEdit::SelLength() {
  HandleNeeded();
  DWORD s = 0, e = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return static_cast<int>(e - s);
}

void TCustomEdit::SetSelLength(int Value) {
  HandleNeeded();
  DWORD s = 0, e = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  Perform(EM_SETSEL, s, static_cast<LPARAM>(s) + Value);
  Perform(EM_SCROLLCARET, 0, 0);
}

std::string TCustomEdit::SelText() {
  HandleNeeded();
  DWORD s = 0, e = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  std::string t = WindowText();
  if (s >= t.size() || e <= s) return {};
  return t.substr(s, std::min<size_t>(e, t.size()) - s);
}

void TCustomEdit::SetSelText(const std::string& Value) {
  HandleNeeded();
  Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomEdit::SelectAll() {
  if (FHandle) Perform(EM_SETSEL, 0, -1);
}

void TCustomEdit::ClearSelection() { Perform(WM_CLEAR, 0, 0); }
void TCustomEdit::CopyToClipboard() { Perform(WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }
bool TCustomEdit::CanUndo() { return FHandle && Perform(EM_CANUNDO, 0, 0) != 0; }
void TCustomEdit::Undo() { Perform(WM_UNDO, 0, 0); }
void TCustomEdit::ClearUndo() { Perform(EM_EMPTYUNDOBUFFER, 0, 0); }
void TCustomEdit::Clear() { SetText(""); }

void TCustomEdit::Change() {
  Changed();
  if (OnChange) OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_CHAR: WMChar(M); break;
    case CN_COMMAND: CNCommand(M); break;
    case CN_CTLCOLOREDIT: case CN_CTLCOLORSTATIC: {
      // The window asks for its colours: the font's for the text, the control's behind it.
      HDC dc = reinterpret_cast<HDC>(M.WParam);
      SetTextColor(dc, ColorToRGB(FFont->Color()));
      SetBkColor(dc, ColorToRGB(FBrush->Color()));
      M.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
      break;
    }
    case CM_ENTER: CMEnter(M); break;
    case CM_FONTCHANGED:
      TWinControl::Dispatch(M);
      AdjustHeight();
      break;
    case WM_PAINT:
      if (NativeWindow()) DefaultHandler(M);
      else TWinControl::Dispatch(M);
      break;
    case WM_ERASEBKGND:
      if (NativeWindow()) DefaultHandler(M);
      else TWinControl::Dispatch(M);
      break;
    case WM_SETFOCUS: case WM_KILLFOCUS:
      TWinControl::Dispatch(M);
      if (FModel && FHandle) InvalidateRect(FHandle, nullptr, FALSE);
      break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
      // A click into an edit focuses it (the native edit does it by itself).
      if (!NativeWindow() && CanFocus() && !Focused()) SetFocus();
      TWinControl::Dispatch(M);
      break;
    default:
      TWinControl::Dispatch(M);
  }
}

void TCustomEdit::CNCommand(TMessage& M) {
  if (HIWORD(M.WParam) == EN_CHANGE && !FCreating) Change();
}

void TCustomEdit::CMEnter(TMessage& M) {
  if (FAutoSelect && !FControlState.Contains(csLButtonDown) && !Multiline()) SelectAll();
  TWinControl::Dispatch(M);
}

// One character byte: the key-press handlers see every byte; the trail byte of a
// lead byte they stopped is dropped with it.
void TCustomEdit::WMChar(TMessage& M) {
  auto b = static_cast<unsigned char>(M.WParam & 0xFF);
  if (FExpectTrail) {
    FExpectTrail = false;
    if (IsGbkTrailByte(b)) {
      if (FLeadStopped) return;
      if (DoKeyPress(M)) {
        FPendingLead.clear();
        return;
      }
      if (!FPendingLead.empty()) {
        std::string ch = FPendingLead + static_cast<char>(b);
        FPendingLead.clear();
        TypeChar(ch);
      }
      return;
    }
    FPendingLead.clear();  // the lead byte had no trail byte
  }
  if (IsGbkLeadByte(b)) {
    FExpectTrail = true;
    FLeadStopped = DoKeyPress(M);
    if (FLeadStopped) return;
    if (IsGbkLeadByte(static_cast<unsigned char>(M.WParam & 0xFF))) {
      FPendingLead = std::string(1, static_cast<char>(M.WParam & 0xFF));
      return;
    }
    // A handler turned the lead byte into another character.
    FExpectTrail = false;
    DefaultHandler(M);
    return;
  }
  if (!DoKeyPress(M)) DefaultHandler(M);
}

void TCustomEdit::TypeChar(const std::string& Ch) {
  if (!FHandle) return;
  DWORD style = static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE));
  if (style & ES_READONLY) {
    MessageBeep(0);
    return;
  }
  std::string ch = ApplyCase(Ch, style);
  if ((style & ES_NUMBER) && !(ch.size() == 1 && ch[0] >= '0' && ch[0] <= '9')) {
    MessageBeep(0);
    return;
  }
  auto len = static_cast<size_t>(EditState(WM_GETTEXTLENGTH));
  DWORD s = 0, e = 0;
  EditSel(s, e);
  auto limit = static_cast<size_t>(EditState(EM_GETLIMITTEXT));
  if (len - std::min<size_t>(len, e - s) + ch.size() > limit) {
    MessageBeep(0);
    if (HWND parent = GetParent(FHandle))
      SendMessage(parent, WM_COMMAND, MAKEWPARAM(0, EN_MAXTEXT), reinterpret_cast<LPARAM>(FHandle));
    return;
  }
  EditState(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(ch.c_str()));
}

void TCustomEdit::DoPaste() {
  DWORD style = static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE));
  if ((style & ES_READONLY) || !ClipboardHasText()) return;
  std::string text = GetClipboardText();
  if (!(style & ES_MULTILINE)) {
    if (size_t br = text.find_first_of("\r\n"); br != std::string::npos) text.resize(br);
  }
  text = ApplyCase(text, style);
  if (text.empty()) return;
  auto len = static_cast<size_t>(EditState(WM_GETTEXTLENGTH));
  DWORD s = 0, e = 0;
  EditSel(s, e);
  auto limit = static_cast<size_t>(EditState(EM_GETLIMITTEXT));
  size_t keep = len - std::min<size_t>(len, e - s);
  size_t room = limit > keep ? limit - keep : 0;
  if (text.size() > room) {
    text = GbkTruncate(text, room);
    MessageBeep(0);
  }
  EditState(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TCustomEdit::EditSel(DWORD& S, DWORD& E) {
  EditState(EM_GETSEL, reinterpret_cast<WPARAM>(&S), reinterpret_cast<LPARAM>(&E));
}

bool TCustomEdit::EditClassProc(TMessage& M) {
  // Every message of the edit passes here: the style is read once for all groups.
  DWORD style = static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE));
  return EditKeyMessage(M, style) || EditClipboardMessage(M, style) || EditLineMessage(M, style) ||
         EditMouseMessage(M);
}

// Keys and typed characters.
bool TCustomEdit::EditKeyMessage(TMessage& M, DWORD Style) {
  bool readOnly = (Style & ES_READONLY) != 0;
  switch (M.Msg) {
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
      if (Style & ES_MULTILINE) M.Result |= DLGC_WANTALLKEYS;
      return true;
    case WM_CHAR: {
      auto b = static_cast<unsigned char>(M.WParam & 0xFF);
      if (IsGbkLeadByte(b)) return true;  // half a character is never typed
      switch (b) {
        case 1: EditState(EM_SETSEL, 0, -1); return true;                   // Ctrl+A
        case 3: Perform(WM_COPY, 0, 0); return true;                        // Ctrl+C
        case 22: Perform(WM_PASTE, 0, 0); return true;                      // Ctrl+V
        case 24: Perform(WM_CUT, 0, 0); return true;                        // Ctrl+X
        case 26: Perform(WM_UNDO, 0, 0); return true;                       // Ctrl+Z
        case 8: {                                                           // Backspace
          if (readOnly) {
            MessageBeep(0);
            return true;
          }
          DWORD s = 0, e = 0;
          EditSel(s, e);
          if (s == e) {
            if (s == 0) return true;
            std::string t = WindowText();
            EditState(EM_SETSEL, PrevChar(t, s), s);
          }
          EditState(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(""));
          return true;
        }
        case 13:
          if (Style & ES_MULTILINE) TypeChar("\r\n");
          return true;
        case 9:
          if (Style & ES_MULTILINE) TypeChar("\t");
          return true;
        default:
          if (b < 0x20 || b == 0x7F) return true;
          TypeChar(std::string(1, static_cast<char>(b)));
          return true;
      }
    }
    case WM_KEYDOWN: {
      WORD vk = static_cast<WORD>(M.WParam);
      bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
      if (vk == VK_INSERT && shift && !ctrl) Perform(WM_PASTE, 0, 0);
      else if (vk == VK_INSERT && ctrl && !shift) Perform(WM_COPY, 0, 0);
      else if (vk == VK_DELETE && shift && !ctrl) Perform(WM_CUT, 0, 0);
      else if (TEditModel* md = Model()) md->Key(vk, shift, readOnly);
      else return false;  // the native edit moves the caret and deletes
      return true;
    }
    default:
      return false;
  }
}

// The clipboard, undo, read-only and the context menu.
bool TCustomEdit::EditClipboardMessage(TMessage& M, DWORD Style) {
  bool readOnly = (Style & ES_READONLY) != 0;
  switch (M.Msg) {
    case WM_COPY: {
      DWORD s = 0, e = 0;
      EditSel(s, e);
      if (s == e || EditState(EM_GETPASSWORDCHAR) != 0) return true;
      std::string t = WindowText();
      if (s < t.size()) SetClipboardText(t.substr(s, std::min<size_t>(e, t.size()) - s));
      return true;
    }
    case WM_CUT: {
      DWORD s = 0, e = 0;
      EditSel(s, e);
      if (s == e || readOnly || EditState(EM_GETPASSWORDCHAR) != 0) return true;
      std::string t = WindowText();
      if (s < t.size()) SetClipboardText(t.substr(s, std::min<size_t>(e, t.size()) - s));
      EditState(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(""));
      return true;
    }
    case WM_CLEAR: {
      if (!readOnly) EditState(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(""));
      return true;
    }
    case WM_PASTE:
      DoPaste();
      return true;
    case WM_UNDO: case EM_UNDO:
      M.Result = readOnly ? FALSE : EditState(EM_UNDO);
      return true;
    case EM_SETREADONLY:
      SetWindowLong(FHandle, GWL_STYLE, static_cast<LONG>(M.WParam ? (Style | ES_READONLY) : (Style & ~ES_READONLY)));
      EditState(EM_SETREADONLY, M.WParam, 0);
      if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
      M.Result = TRUE;
      return true;
    case WM_CONTEXTMENU:
      ShowContextMenu(M);
      return true;
    default:
      return false;
  }
}

// The lines of the text.
bool TCustomEdit::EditLineMessage(TMessage& M, DWORD Style) {
  // The line holding byte Pos (the selection's start when Pos is negative).
  auto lineAt = [this](const std::vector<size_t>& Starts, std::intptr_t Pos) -> size_t {
    if (Pos < 0) {
      DWORD s = 0, e = 0;
      EditSel(s, e);
      Pos = s;
    }
    return std::upper_bound(Starts.begin(), Starts.end(), static_cast<size_t>(Pos)) - Starts.begin() - 1;
  };
  switch (M.Msg) {
    case EM_GETLINECOUNT:
      M.Result = static_cast<LRESULT>(LineStarts(WindowText(), Style & ES_MULTILINE).size());
      return true;
    case EM_LINEINDEX: {
      std::string t = WindowText();
      auto starts = LineStarts(t, Style & ES_MULTILINE);
      auto line = static_cast<std::intptr_t>(M.WParam);
      if (line < 0) {
        DWORD s = 0, e = 0;
        EditSel(s, e);
        line = std::upper_bound(starts.begin(), starts.end(), static_cast<size_t>(s)) - starts.begin() - 1;
      }
      M.Result = line < static_cast<std::intptr_t>(starts.size()) ? static_cast<LRESULT>(starts[line]) : -1;
      return true;
    }
    case EM_LINEFROMCHAR: {
      std::string t = WindowText();
      auto starts = LineStarts(t, Style & ES_MULTILINE);
      M.Result = static_cast<LRESULT>(lineAt(starts, static_cast<std::intptr_t>(M.WParam)));
      return true;
    }
    case EM_LINELENGTH: {
      std::string t = WindowText();
      auto starts = LineStarts(t, Style & ES_MULTILINE);
      size_t line = lineAt(starts, static_cast<std::intptr_t>(M.WParam));
      size_t end = line + 1 < starts.size() ? starts[line + 1] - 2 : t.size();
      M.Result = static_cast<LRESULT>(end - starts[line]);
      return true;
    }
    case EM_GETLINE: {
      std::string t = WindowText();
      auto starts = LineStarts(t, Style & ES_MULTILINE);
      size_t line = M.WParam;
      char* buf = reinterpret_cast<char*>(M.LParam);
      M.Result = 0;
      if (!buf || line >= starts.size()) return true;
      WORD cap;
      std::memcpy(&cap, buf, sizeof cap);
      size_t end = line + 1 < starts.size() ? starts[line + 1] - 2 : t.size();
      std::string s = GbkTruncate(t.substr(starts[line], end - starts[line]), cap);
      std::memcpy(buf, s.data(), s.size());
      M.Result = static_cast<LRESULT>(s.size());
      return true;
    }
    default:
      return false;
  }
}

// Selecting with the mouse and painting (the layer's text model only).
bool TCustomEdit::EditMouseMessage(TMessage& M) {
  switch (M.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_MOUSEMOVE: case WM_LBUTTONUP: {
      TEditModel* md = Model();
      if (!md) return false;
      if (M.Msg == WM_LBUTTONUP) {
        FSelecting = false;
        if (GetCapture() == FHandle) ReleaseCapture();
        return true;
      }
      if (M.Msg == WM_MOUSEMOVE && !FSelecting) return true;
      LRESULT r = EditState(EM_CHARFROMPOS, 0, M.LParam);
      size_t p = LOWORD(static_cast<std::uintptr_t>(r));
      if (M.Msg == WM_LBUTTONDBLCLK) {
        EditState(EM_SETSEL, 0, -1);
        return true;
      }
      bool extend = M.Msg == WM_MOUSEMOVE || (M.WParam & MK_SHIFT);
      md->SetSel(extend ? md->Anchor : p, p);
      md->NotifySelection();
      if (M.Msg == WM_LBUTTONDOWN) {
        FSelecting = true;
        SetCapture(FHandle);
      }
      return true;
    }
    case WM_PAINT: {
      if (NativeWindow()) return false;
      HDC dc = reinterpret_cast<HDC>(M.WParam);
      if (dc) {
        PaintModel(dc);
      } else {
        PAINTSTRUCT ps;
        HDC pdc = BeginPaint(FHandle, &ps);
        if (pdc) PaintModel(pdc);
        EndPaint(FHandle, &ps);
      }
      return true;
    }
    default:
      return false;
  }
}

void TCustomEdit::DefaultHandler(TMessage& M) {
  if (FHandle && WindowPeer(FHandle)) {
    if (EditClassProc(M)) return;
    if (TEditModel* md = Model(); md && md->Handle(M)) return;
  }
  TWinControl::DefaultHandler(M);
}

void TCustomEdit::ShowContextMenu(TMessage& M) {
  TPoint at = LParamToPoint(M.LParam);
  if (M.LParam == -1) at = ClientToScreen({Width() / 2, Height() / 2});
  if (CanFocus() && !Focused()) SetFocus();
  DWORD style = static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE));
  bool readOnly = (style & ES_READONLY) != 0;
  bool password = EditState(EM_GETPASSWORDCHAR) != 0;
  DWORD s = 0, e = 0;
  EditSel(s, e);
  auto len = static_cast<DWORD>(EditState(WM_GETTEXTLENGTH));
  struct TEntry {
    const char* Name;
    const char8_t* Caption;
    bool Enabled;
    UINT Msg;
  };
  const TEntry entries[] = {
      {"EditUndo", u8"撤消(&U)", !readOnly && EditState(EM_CANUNDO) != 0, WM_UNDO},
      {"", u8"-", true, 0},
      {"EditCut", u8"剪切(&T)", s != e && !readOnly && !password, WM_CUT},
      {"EditCopy", u8"复制(&C)", s != e && !password, WM_COPY},
      {"EditPaste", u8"粘贴(&P)", !readOnly && ClipboardHasText(), WM_PASTE},
      {"EditDelete", u8"删除(&D)", s != e && !readOnly, WM_CLEAR},
      {"", u8"-", true, 0},
      {"EditSelectAll", u8"全选(&A)", len > 0 && !(s == 0 && e == len), EM_SETSEL},
  };
  std::unique_ptr<TMenuItem> root(new TMenuItem(nullptr));
  root->SetName("EditMenu");
  std::vector<std::pair<TMenuItem*, UINT>> items;
  for (const TEntry& en : entries) {
    auto* item = new TMenuItem(nullptr);
    if (*en.Name) item->SetName(en.Name);
    item->SetCaption(Gbk(en.Caption));
    item->SetEnabled(en.Enabled);
    root->Add(item);
    items.emplace_back(item, en.Msg);
  }
  TMenuItem* chosen = ModalRunner().PopupMenu(root.get(), at, FHandle, PopupPlacementFor(this, taLeftJustify));
  M.Result = 1;
  for (auto& [item, msg] : items) {
    if (item != chosen || !msg || !item->Enabled()) continue;
    if (msg == EM_SETSEL) Perform(EM_SETSEL, 0, -1);
    else Perform(msg, 0, 0);
  }
}

void TCustomEdit::PaintModel(HDC DC) {
  TEditModel* md = Model();
  if (!md) return;
  TRect client = GetClientRect();
  bool enabled = IsWindowEnabled(FHandle);
  ::FillRect(DC, &client, FBrush->Handle());
  HGDIOBJ oldFont = SelectObject(DC, FFont->Handle());
  SetBkMode(DC, TRANSPARENT);
  TRect f = md->FormatRect();
  int saved = SaveDC(DC);
  IntersectClipRect(DC, f.Left, f.Top, f.Right, f.Bottom);
  if (static_cast<DWORD>(GetWindowLong(FHandle, GWL_EXSTYLE)) & WS_EX_RTLREADING) SetTextAlign(DC, TA_RTLREADING);
  bool focused = GetFocus() == FHandle;
  bool showSel = focused || !FHideSelection;
  auto starts = LineStarts(md->Text, md->Multi());
  int h = md->LineHeight(DC);
  DWORD style = static_cast<DWORD>(GetWindowLong(FHandle, GWL_STYLE));
  for (int line = md->Multi() ? md->FirstLine : 0; line < static_cast<int>(starts.size()); ++line) {
    int y = md->LineTop(DC, line);
    if (y >= f.Bottom) break;
    size_t s = starts[line];
    size_t e = line + 1 < static_cast<int>(starts.size()) ? starts[line + 1] - 2 : md->Text.size();
    std::string text = md->Shown(md->Text.substr(s, e - s));
    int x = f.Left - md->ScrollX;
    if (!md->Multi() && (style & (ES_RIGHT | ES_CENTER))) {
      int w = md->TextWidth(DC, md->Text.substr(s, e - s));
      int slack = std::max(0, f.Width() - w);
      x = f.Left + ((style & ES_RIGHT) ? slack : slack / 2);
    }
    SetTextColor(DC, ColorToRGB(enabled ? FFont->Color() : clGrayText));
    TextOut(DC, x, y, text.c_str(), static_cast<int>(text.size()));
    size_t a = std::max(s, md->SelStart()), b = std::min(e, md->SelEnd());
    if (showSel && a < b) {
      int x0 = x + md->TextWidth(DC, md->Text.substr(s, a - s));
      std::string part = md->Shown(md->Text.substr(a, b - a));
      int x1 = x0 + md->TextWidth(DC, md->Text.substr(a, b - a));
      TRect r{x0, y, x1, y + h};
      HBRUSH hb = GetSysColorBrush(COLOR_HIGHLIGHT);
      ::FillRect(DC, &r, hb);
      SetTextColor(DC, ColorToRGB(clHighlightText));
      TextOut(DC, x0, y, part.c_str(), static_cast<int>(part.size()));
    }
    if (focused && md->Caret >= s && md->Caret <= e) {
      int cx = x + md->TextWidth(DC, md->Text.substr(s, md->Caret - s));
      TRect r{cx, y, cx + 1, y + h};
      InvertRect(DC, &r);
    }
  }
  RestoreDC(DC, saved);
  SelectObject(DC, oldFont);
}

// ---------------------------------------------------------------------------
// Published properties
// ---------------------------------------------------------------------------

const TClassInfo& TCustomEdit::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomEdit>("TCustomEdit", &inherited::StaticClass()).Build();
  return info;
}

namespace {
// The published properties of TEdit and TMaskEdit (EditMask before Text, so that a
// stream formats the text it reads).
template <class E>
TClassInfo EditClassInfo(const char* Name, const TClassInfo* Parent, bool Masked) {
  TClassBuilder<E> b(Name, Parent);
  b.Component()
      .template Enum<TAlignment>("Alignment", &E::Alignment, &E::SetAlignment, taLeftJustify)
      .Prop(TControl::Property("Anchors"))
      .Bool("AutoSelect", &E::AutoSelect, &E::SetAutoSelect, true)
      .Bool("AutoSize", &E::AutoSize, &E::SetAutoSize, true)
      .template Enum<TBorderStyle>("BorderStyle", &E::BorderStyle, &E::SetBorderStyle, bsSingle)
      .template Enum<TEditCharCase>("CharCase", &E::CharCase, &E::SetCharCase, ecNormal)
      .Prop(TControl::Property("Color"))
      .Prop(TControl::Property("Ctl3D"));
  if constexpr (std::is_base_of_v<TCustomMaskEdit, E>)
    if (Masked) b.Str("EditMask", &E::EditMask, &E::SetEditMask);
  b.Prop(TControl::Property("Enabled"))
      .Prop(TControl::Property("Font"))
      .Bool("HideSelection", &E::HideSelection, &E::SetHideSelection, true)
      .Int("MaxLength", &E::MaxLength, [](E* x, int64_t v) { x->SetMaxLength(static_cast<int>(v)); }, 0)
      .Prop(TControl::Property("ParentColor", 0))
      .Prop(TControl::Property("ParentCtl3D"))
      .Prop(TControl::Property("ParentFont"))
      .Prop(TControl::Property("BiDiMode"))
          .Prop(TControl::Property("ParentBiDiMode"))
          .Prop(TControl::Property("ParentShowHint"))
      .Char("PasswordChar", &E::PasswordChar, &E::SetPasswordChar, 0)
      .Prop(TControl::Property("PopupMenu"))
      .Bool("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
      .Prop(TControl::Property("ShowHint"))
      .Prop(TControl::Property("TabOrder"))
      .Prop(TControl::Property("TabStop", 1))
      .Prop(TControl::Property("Text"))
      .Prop(TControl::Property("Visible"))
      .Event("OnChange", static_cast<TNotifyEvent E::*>(&TCustomEdit::OnChange))
      .Prop(TControl::Property("OnClick"))
      .Prop(TControl::Property("OnContextPopup"))
      .Prop(TControl::Property("OnDblClick"))
      .Prop(TControl::Property("OnEnter"))
      .Prop(TControl::Property("OnExit"))
      .Prop(TControl::Property("OnKeyDown"))
      .Prop(TControl::Property("OnKeyPress"))
      .Prop(TControl::Property("OnKeyUp"))
      .Prop(TControl::Property("OnMouseDown"))
      .Prop(TControl::Property("OnMouseMove"))
      .Prop(TControl::Property("OnMouseUp"));
  return b.Build();
}
}  // namespace

const TClassInfo& TEdit::StaticClass() {
  static const TClassInfo info = EditClassInfo<TEdit>("TEdit", &inherited::StaticClass(), false);
  return info;
}

const TClassInfo& TMaskEdit::StaticClass() {
  static const TClassInfo info = EditClassInfo<TMaskEdit>("TMaskEdit", &inherited::StaticClass(), true);
  return info;
}

namespace {
struct TEditRegistration {
  TEditRegistration() { RegisterClasses({ClassEntry<TEdit>(), ClassEntry<TMaskEdit>()}); }
} const kEditRegistration;
}  // namespace
