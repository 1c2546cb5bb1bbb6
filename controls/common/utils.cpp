#include "controls/common/utils.h"

#include <cmath>
#include <vector>

#include "platform/controls/winuser.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/graphics.h"
#include "platform/win32/osversion.h"

// ---------------------------------------------------------------------------
// Blinking
// ---------------------------------------------------------------------------

TQvBlinkingControlsList* BlinkingControls = nullptr;

const TClassInfo& TQvBlinkingControlsList::StaticClass() {
  static const TClassInfo info{"TQvBlinkingControlsList", &TObject::StaticClass(), {}, {}, {}};
  return info;
}

TQvBlinkingControlsList::TQvBlinkingControlsList() : FList(new TList), FTimer(new TTimer(nullptr)) {
  FTimer->SetInterval(500);
  FTimer->OnTimer = [this](TObject* Sender) { TimerFired(Sender); };
}

TQvBlinkingControlsList::~TQvBlinkingControlsList() {
  delete FTimer;
  delete FList;
}

void TQvBlinkingControlsList::Add(TControl* Control) { FList->Add(Control); }

void TQvBlinkingControlsList::Remove(TControl* Control) {
  int i = FList->IndexOf(Control);
  if (i >= 0) FList->Delete(i);
}

int TQvBlinkingControlsList::GetCount() const { return FList->Count(); }

void TQvBlinkingControlsList::TimerFired(TObject*) {
  FOff = !FOff;
  FTimer->SetInterval(FOff ? OffInterval : OnInterval);
  WPARAM state = static_cast<WPARAM>(State());
  std::vector<TControl*> snapshot;
  for (int i = 0; i < FList->Count(); ++i) snapshot.push_back(static_cast<TControl*>(FList->Items(i)));
  FInTick = true;
  for (TControl* c : snapshot) {
    if (FList->IndexOf(c) < 0) continue;  // removed (or freed) by an earlier handler
    if (c->Perform(CM_GETBLINKING, 0, 0) == 1) {
      if (FList->IndexOf(c) < 0) continue;
      c->Perform(CM_BLINK, state, 0);
    }
  }
  FInTick = false;
  // Released during the tick: nothing of the tick touches the list after this.
  if (FFreeAfterTick) delete this;
}

void FreeBlinkingControlsListIfEmpty() {
  TQvBlinkingControlsList* list = BlinkingControls;
  if (!list || list->GetCount() != 0) return;
  BlinkingControls = nullptr;
  if (list->FInTick) {
    list->FFreeAfterTick = true;
    list->FTimer->SetEnabled(false);
  } else {
    delete list;
  }
}

// ---------------------------------------------------------------------------
// Tables
// ---------------------------------------------------------------------------

const uint16_t DrawTextAlignments[3] = {DT_LEFT, DT_RIGHT, DT_CENTER};
const uint16_t SetTextAlignments[3] = {TA_LEFT, TA_RIGHT, TA_CENTER};
const uint16_t DrawTextWordWrap[2] = {0, DT_WORDBREAK};

// ---------------------------------------------------------------------------
// Geometry and placement
// ---------------------------------------------------------------------------

TRect CenterRect(const TRect& Rect, int Width, int Height) {
  int left = (Rect.Left + Rect.Right - Width) / 2;
  int top = (Rect.Top + Rect.Bottom - Height) / 2;
  return Bounds(left, top, Width, Height);
}

namespace {
TRect ScreenRectOf(TControl* Control) {
  if (auto* w = dynamic_cast<TWinControl*>(Control); w && w->HandleAllocated()) {
    TRect r;
    if (GetWindowRect(w->Handle(), &r)) return r;
  }
  TPoint p = Control->Parent() ? Control->Parent()->ClientToScreen({Control->Left(), Control->Top()})
                               : TPoint{Control->Left(), Control->Top()};
  return Bounds(p.X, p.Y, Control->Width(), Control->Height());
}

TRect WorkAreaOf(const TRect& ScreenRect) {
  TMonitor* m = Screen->MonitorFromRect(ScreenRect, TMonitorDefaultTo::mdNearest);
  return m ? m->WorkareaRect : Screen->WorkAreaRect();
}

void CenterOver(TCustomForm* Form, const TRect& P, const TRect& W, int& Left, int& Top) {
  Left = P.Left + (P.Width() - Form->Width()) / 2;
  if (Left < 0) Left = 0;
  if (Left + Form->Width() > W.Right) Left = W.Right - Form->Width();
  Top = P.Top + (P.Height() - Form->Height()) / 2;
  if (Top < 0) Top = 0;
  if (Top + Form->Height() > W.Bottom) Top = W.Bottom - Form->Height();
}
}  // namespace

TRect GetActiveWorkArea(TControl* Control) { return WorkAreaOf(ScreenRectOf(Control)); }
int GetActiveWorkAreaWidth(TControl* Control) { return GetActiveWorkArea(Control).Width(); }
int GetActiveWorkAreaHeight(TControl* Control) { return GetActiveWorkArea(Control).Height(); }
TRect GetMonitorWorkArea(TMonitor* Monitor) { return Monitor->WorkareaRect; }
TRect GetMonitorBoundsRect(TMonitor* Monitor) { return Monitor->BoundsRect; }

TMonitor* GetMonitorContainingPoint(TPoint Point) {
  for (int i = 0; i < Screen->MonitorCount(); ++i) {
    TMonitor* m = Screen->Monitors(i);
    const TRect& b = m->BoundsRect;
    if (Point.X >= b.Left && Point.X < b.Right && Point.Y >= b.Top && Point.Y < b.Bottom) return m;
  }
  return nullptr;
}

TRect GetDesktopClientRect() {
  TRect d = Screen->DesktopRect();
  HWND bar = FindWindow("Shell_TrayWnd", nullptr);
  TRect t;
  if (!bar || !GetWindowRect(bar, &t)) return d;
  TRect i;
  IntersectRect(i, t, d);
  t = i;
  if (t.Left == d.Left && t.Top == d.Top) {
    if (t.Width() < d.Width()) d.Left += t.Width();
    else d.Top += t.Height();
  } else if (t.Left != d.Left) {
    d.Right -= t.Width();
  } else {
    d.Bottom -= t.Height();
  }
  return d;
}

void CenterToWindow(TCustomForm* Form, HWND Window, int& Left, int& Top) {
  TRect p;
  GetWindowRect(Window, &p);
  CenterOver(Form, p, WorkAreaOf(p), Left, Top);
}

void CenterToForm(TCustomForm* Form, TCustomForm* ParentForm, int& Left, int& Top) {
  CenterOver(Form, ParentForm->BoundsRect(), GetActiveWorkArea(ParentForm), Left, Top);
}

void CenterToMDIChild(TCustomForm* Form, TCustomForm* MDIChild, int& Left, int& Top) {
  // A child's bounds are relative to its frame's client area: the main form's.
  TRect p = MDIChild->BoundsRect();
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  if (main && main != MDIChild) {
    TPoint origin = main->ClientToScreen({0, 0});
    p = Bounds(p.Left + origin.X, p.Top + origin.Y, p.Width(), p.Height());
  }
  CenterOver(Form, p, GetDesktopClientRect(), Left, Top);
}

// ---------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------

HFONT RotateFont(TFont* Font, int Angle) {
  TFontStyles st = Font->Style();
  uint8_t pitch = Font->Pitch() == fpVariable ? VARIABLE_PITCH
                  : Font->Pitch() == fpFixed  ? FIXED_PITCH
                                              : DEFAULT_PITCH;
  return CreateFont(Font->Height(), 0, Angle * 10, 0, st.Contains(fsBold) ? 700 : 400,
                    st.Contains(fsItalic), st.Contains(fsUnderline), st.Contains(fsStrikeOut),
                    Font->Charset(), 0, 0, 0, pitch, Font->Name().c_str());
}

bool IsTrueTypeFont(TFont* Font) { return (FontMetricsOf(Font).tmPitchAndFamily & TMPF_TRUETYPE) != 0; }

int GetMinFontHeight(TFont* Font) { return FontMetricsOf(Font).tmHeight + 2; }

int GetAvgCharWidth(TFont* Font) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  TSize size{};
  GetTextExtentPoint32(dc, alphabet, 52, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return static_cast<int>(std::lround(size.cx / 52.0));
}

// ---------------------------------------------------------------------------
// Strings
// ---------------------------------------------------------------------------

char LastChar(const std::string& S) { return S.empty() ? '\0' : S.back(); }

int CountChar(char C, const std::string& S) {
  int n = 0;
  for (char c : S) n += c == C;
  return n;
}

std::string CopyEx(const std::string& S, int Start, char C, int Count) {
  int found = 0;
  for (int p = Start < 1 ? 1 : Start; p <= static_cast<int>(S.size()); ++p)
    if (S[p - 1] == C && ++found == Count) return Copy(S, Start, p - Start + 1);
  return S;
}

bool RemoveChar(std::string& S, char C) {
  size_t p = S.find(C);
  if (p == std::string::npos) return false;
  S.erase(p, 1);
  return true;
}

std::string RemovePrefixChars(const std::string& S) {
  if (S.empty()) return S;
  std::string out;
  for (size_t i = 0; i + 1 < S.size(); ++i)
    if (S[i] != '&' || S[i + 1] == '&') out += S[i];
  return out + S.back();
}

std::string ExpandEnvironmentVariables(const std::string& S) {
  DWORD need = ExpandEnvironmentStrings(S.c_str(), nullptr, 0);
  if (need == 0) return S;
  std::string buf(need, '\0');
  if (ExpandEnvironmentStrings(S.c_str(), buf.data(), need) != need) return S;
  buf.resize(need - 1);
  return buf;
}

std::string CreateValidIdent(const std::string& S, const std::string& Default) {
  if (IsValidIdent(S)) return S;
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  std::string out;
  if (!S.empty() && letter(S[0])) out += S[0];
  for (size_t i = 1; i < S.size(); ++i)
    if (letter(S[i]) || (S[i] >= '0' && S[i] <= '9')) out += S[i];
  return out.empty() ? Default : out;
}

std::string GetNewComponentName(TComponent* Component, const std::string& BaseName, bool TryBaseFirst) {
  if (TryBaseFirst && !Component->FindComponent(BaseName)) return BaseName;
  for (int i = 1;; ++i) {
    std::string name = BaseName + IntToStr(i);
    if (!Component->FindComponent(name)) return name;
  }
}

// ---------------------------------------------------------------------------
// Version tests
// ---------------------------------------------------------------------------

namespace {
struct TVersionRow {
  bool NtOnly;      // RunningAtLeast: the NT platform only (else Windows or NT)
  DWORD Major, Minor;
};
// The (major, minor) each version starts at.
const TVersionRow VersionRows[] = {
    {false, 4, 0}, {true, 4, 0}, {false, 4, 10}, {false, 4, 90},
    {true, 5, 0}, {true, 5, 1}, {true, 5, 2}, {true, 6, 0}};
}  // namespace

bool RunningUnder(TQvWindowsVersion Version, DWORD Platform, DWORD Major, DWORD Minor) {
  bool win9x = Platform == VER_PLATFORM_WIN32_WINDOWS, nt = Platform == VER_PLATFORM_WIN32_NT;
  switch (Version) {
    case TQvWindowsVersion::Win95: return win9x && Major < 5 && Minor == 0;
    case TQvWindowsVersion::WinNT: return nt && Major < 5;
    case TQvWindowsVersion::Win98: return win9x && Major < 5 && Minor == 10;
    case TQvWindowsVersion::WinMe: return win9x && Major < 5 && Minor == 90;
    case TQvWindowsVersion::Win2000: return nt && Major == 5 && Minor == 0;
    case TQvWindowsVersion::WinXP: return nt && Major == 5 && Minor == 1;
    case TQvWindowsVersion::WinServer2003: return nt && Major == 5 && Minor == 2;
    case TQvWindowsVersion::WinVista: return nt && Major == 6 && Minor == 0;
  }
  return false;
}

bool RunningAtLeast(TQvWindowsVersion Version, DWORD Platform, DWORD Major, DWORD Minor) {
  const TVersionRow& row = VersionRows[static_cast<int>(Version)];
  bool platformOk = Platform == VER_PLATFORM_WIN32_NT || (!row.NtOnly && Platform == VER_PLATFORM_WIN32_WINDOWS);
  return platformOk && (Major > row.Major || (Major == row.Major && Minor >= row.Minor));
}

bool RunningUnder(TQvWindowsVersion Version) {
  return RunningUnder(Version, Win32Platform(), Win32MajorVersion(), Win32MinorVersion());
}

bool RunningAtLeast(TQvWindowsVersion Version) {
  return RunningAtLeast(Version, Win32Platform(), Win32MajorVersion(), Win32MinorVersion());
}

void UpdateObjectInspector(TControl* Control) {
  TComponentState st = Control->ComponentState();
  if (!st.Contains(csDesigning)) return;
  if (st.Contains(csLoading) || st.Contains(csReading) || st.Contains(csWriting) ||
      st.Contains(csDestroying) || st.Contains(csUpdating))
    return;
  // There is no form designer to tell here.
}
