// Theme services: the loader of the visual-style library and TThemeServices.
#include "controls/common/themes.h"

#include <mutex>

#include "platform/controls/controls.h"
#include "platform/controls/forms.h"
#include "platform/controls/winuser.h"

#define DTU_DEFINE_UXTHEME_POINTER(Name) T##Name Name = nullptr;
DTU_UXTHEME_ENTRY_POINTS(DTU_DEFINE_UXTHEME_POINTER)
#undef DTU_DEFINE_UXTHEME_POINTER

namespace {

// The loader's state: the module, how many uses hold it, and the lock of both.
std::mutex g_LibraryLock;
HMODULE g_Library = nullptr;
int g_LibraryRefCount = 0;

TThemeServices* g_ThemeServices = nullptr;

template <std::size_t N>
TThemedElementDetails Details(TThemedElement Element, int Ordinal, const int (&First)[N]) {
  // The don't-care and root values have part 0 and state ordinal + 1.
  if (Ordinal < 2) return {Element, 0, Ordinal + 1};
  int part = 0;
  for (std::size_t i = 0; i < N && First[i] <= Ordinal; ++i) part = static_cast<int>(i);
  return {Element, part + 1, Ordinal - First[part] + 1};
}

}  // namespace

const std::vector<std::string>& UxThemeEntryPointNames() {
#define DTU_UXTHEME_NAME(Name) #Name,
  static const std::vector<std::string> names{DTU_UXTHEME_ENTRY_POINTS(DTU_UXTHEME_NAME)};
#undef DTU_UXTHEME_NAME
  return names;
}

bool InitThemeLibrary() {
  std::lock_guard<std::mutex> lock(g_LibraryLock);
  ++g_LibraryRefCount;
  if (!g_Library) {
    g_Library = LoadLibraryA(UxThemeLibraryName);
    if (g_Library) {
#define DTU_RESOLVE(Name) Name = reinterpret_cast<T##Name>(GetProcAddress(g_Library, #Name));
      DTU_UXTHEME_ENTRY_POINTS(DTU_RESOLVE)
#undef DTU_RESOLVE
    }
  }
  return g_Library != nullptr;
}

void FreeThemeLibrary() {
  std::lock_guard<std::mutex> lock(g_LibraryLock);
  if (g_LibraryRefCount > 0) --g_LibraryRefCount;
  if (g_Library && g_LibraryRefCount == 0) {
    FreeLibrary(g_Library);
    g_Library = nullptr;
#define DTU_CLEAR(Name) Name = nullptr;
    DTU_UXTHEME_ENTRY_POINTS(DTU_CLEAR)
#undef DTU_CLEAR
  }
}

// An entry point the library lacks counts as "no".
bool UseThemes() {
  bool loaded;
  {
    std::lock_guard<std::mutex> lock(g_LibraryLock);
    loaded = g_Library != nullptr;
  }
  return loaded && IsAppThemed && IsThemeActive && IsAppThemed() != 0 && IsThemeActive() != 0;
}

const wchar_t* ThemeClassName(TThemedElement Element) {
  static const wchar_t* const names[ThemedElementCount] = {
      L"button", L"clock",   L"combobox",   L"edit",   L"explorerbar", L"header",
      L"listview", L"menu",  L"page",       L"progress", L"rebar",     L"scrollbar",
      L"spin",   L"startpanel", L"status",  L"tab",    L"taskband",    L"taskbar",
      L"toolbar", L"tooltip", L"trackbar",  L"traynotify", L"treeview", L"window"};
  return names[static_cast<int>(Element)];
}

// ---------------------------------------------------------------------------
// TThemeServices
// ---------------------------------------------------------------------------

TThemeServices::TThemeServices(HWND WindowHandle) {
  if (WindowHandle) {
    FWindowHandle = WindowHandle;
    FDefWindowProc = GetWindowProc(WindowHandle);
    SetWindowProc(WindowHandle, [this](TMessage& M) { WindowProc(M); });
    FHooked = true;
  }
  FThemesAvailable = InitThemeLibrary();
  UpdateThemes();
}

TThemeServices::~TThemeServices() {
  Unhook();
  UnloadThemeData();
  FreeThemeLibrary();
}

void TThemeServices::Unhook() {
  if (FHooked && IsWindow(FWindowHandle)) SetWindowProc(FWindowHandle, FDefWindowProc);
  FHooked = false;
}

void TThemeServices::WindowProc(TMessage& Message) {
  // The procedure passed on is kept here: WM_DESTROY puts it back in the window.
  TWndMethod def = FDefWindowProc;
  switch (Message.Msg) {
    case WM_DESTROY:
      Unhook();
      break;
    case WM_THEMECHANGED:
      UpdateThemes();
      DoOnThemeChange();
      break;
  }
  if (def) def(Message);
}

void TThemeServices::DoOnThemeChange() {
  if (OnThemeChange) OnThemeChange(this);
}

void TThemeServices::UpdateThemes() {
  if (FUseThemes) UnloadThemeData();
  FUseThemes = UseThemes() && GetComCtlVersion() >= ComCtlVersionIE6;
  if (!FUseThemes)
    FControlsEnabled = false;
  else
    FControlsEnabled = GetThemeAppProperties && (GetThemeAppProperties() & STAP_ALLOW_CONTROLS) != 0;
}

// The handles belong to the library, not to the window, so they are closed and
// their slots cleared also when the hooked window is already gone: a slot left
// holding a closed handle would be handed out again after the next theme change.
void TThemeServices::UnloadThemeData() {
  for (HTHEME& theme : FThemeData) {
    if (theme && CloseThemeData) CloseThemeData(theme);
    theme = nullptr;
  }
}

HTHEME TThemeServices::GetTheme(TThemedElement Element) {
  HTHEME& slot = FThemeData[static_cast<int>(Element)];
  if (FUseThemes && !slot && OpenThemeData) slot = OpenThemeData(FWindowHandle, ThemeClassName(Element));
  return slot;
}

void TThemeServices::DrawElement(HDC DC, const TThemedElementDetails& Details, const TRect& R,
                                 const TRect* ClipRect) {
  HTHEME theme = GetTheme(Details.Element);
  if (DrawThemeBackground) DrawThemeBackground(theme, DC, Details.Part, Details.State, &R, ClipRect);
}

void TThemeServices::DrawEdge(HDC DC, const TThemedElementDetails& Details, const TRect& R, UINT Edge,
                              UINT Flags, TRect* ContentRect) {
  HTHEME theme = GetTheme(Details.Element);
  if (DrawThemeEdge) DrawThemeEdge(theme, DC, Details.Part, Details.State, &R, Edge, Flags, ContentRect);
}

void TThemeServices::DrawIcon(HDC DC, const TThemedElementDetails& Details, const TRect& R,
                              HIMAGELIST ImageList, int Index) {
  HTHEME theme = GetTheme(Details.Element);
  if (DrawThemeIcon) DrawThemeIcon(theme, DC, Details.Part, Details.State, &R, ImageList, Index);
}

void TThemeServices::DrawText(HDC DC, const TThemedElementDetails& Details, const std::wstring& S,
                              const TRect& R, DWORD Flags, DWORD Flags2) {
  HTHEME theme = GetTheme(Details.Element);
  if (DrawThemeText)
    DrawThemeText(theme, DC, Details.Part, Details.State, S.c_str(), static_cast<int>(S.size()), Flags,
                  Flags2, &R);
}

TRect TThemeServices::ContentRect(HDC DC, const TThemedElementDetails& Details, const TRect& BoundingRect) {
  TRect result = BoundingRect;
  HTHEME theme = GetTheme(Details.Element);
  if (GetThemeBackgroundContentRect)
    GetThemeBackgroundContentRect(theme, DC, Details.Part, Details.State, &BoundingRect, &result);
  return result;
}

bool TThemeServices::HasTransparentParts(const TThemedElementDetails& Details) {
  HTHEME theme = GetTheme(Details.Element);
  return IsThemeBackgroundPartiallyTransparent &&
         IsThemeBackgroundPartiallyTransparent(theme, Details.Part, Details.State) != 0;
}

void TThemeServices::DrawParentBackground(HWND Window, HDC Target, const TThemedElementDetails* Details,
                                          bool OnlyIfTransparent, const TRect* Bounds) {
  bool draw = !(OnlyIfTransparent && Details) || HasTransparentParts(*Details);
  if (draw && DrawThemeParentBackground) DrawThemeParentBackground(Window, Target, Bounds);
}

// A system colour is 0x80000000 or its index; the index is its low byte (the
// library's colour ids are the system colour indexes), so the flag bit and any
// stray bits above the index never reach the library.
TColor TThemeServices::ColorToRGB(TColor Color, const TThemedElementDetails* Details) {
  if (Color >= 0 || !Details) return Color;
  HTHEME theme = GetTheme(Details->Element);
  return GetThemeSysColor ? static_cast<TColor>(GetThemeSysColor(theme, Color & 0xFF)) : Color;
}

void TThemeServices::PaintBorder(TWinControl* Control, bool EraseLRCorner) {
  HWND h = Control->Handle();
  DWORD exStyle = static_cast<DWORD>(GetWindowLong(h, GWL_EXSTYLE));
  if (!(exStyle & WS_EX_CLIENTEDGE)) return;
  TRect r;
  GetWindowRect(h, &r);
  OffsetRect(r, -r.Left, -r.Top);
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  DWORD style = static_cast<DWORD>(GetWindowLong(h, GWL_STYLE));
  if (EraseLRCorner && (style & WS_HSCROLL) && (style & WS_VSCROLL)) {
    TRect r2 = r;
    InflateRect(r2, -2, -2);
    TRect corner(r2.Right - GetSystemMetrics(SM_CXVSCROLL), r2.Bottom - GetSystemMetrics(SM_CYHSCROLL),
                 r2.Right, r2.Bottom);
    FillRect(dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
  }
  ExcludeClipRect(dc, r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
  DrawElement(dc, GetElementDetails(teEditTextNormal), r);
  ReleaseDC(h, dc);
}

TThemeServices* ThemeServices() {
  if (!g_ThemeServices) g_ThemeServices = new TThemeServices(Application ? Application->Handle() : nullptr);
  return g_ThemeServices;
}

void FreeThemeServices() {
  TThemeServices* ts = g_ThemeServices;
  g_ThemeServices = nullptr;
  delete ts;
}

// ---------------------------------------------------------------------------
// Element details: one overload per detail enumeration, each with the first
// ordinal of every part's run of values.
// ---------------------------------------------------------------------------

TThemedElementDetails TThemeServices::GetElementDetails(TThemedButton Detail) const {
  static constexpr int kFirst[] = {2, 7, 15, 27, 29};
  return Details(teButton, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedClock Detail) const {
  static constexpr int kFirst[] = {2};
  return Details(teClock, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedComboBox Detail) const {
  static constexpr int kFirst[] = {2};
  return Details(teComboBox, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedEdit Detail) const {
  static constexpr int kFirst[] = {2, 9};
  return Details(teEdit, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedExplorerBar Detail) const {
  static constexpr int kFirst[] = {2, 5, 8, 14, 17, 18, 21, 24, 25, 26, 29, 32};
  return Details(teExplorerBar, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedHeader Detail) const {
  static constexpr int kFirst[] = {2, 5, 8, 11};
  return Details(teHeader, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedListview Detail) const {
  static constexpr int kFirst[] = {2, 7, 8, 9, 10};
  return Details(teListView, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedMenu Detail) const {
  static constexpr int kFirst[] = {2, 5, 6, 7, 8, 9};
  return Details(teMenu, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedPage Detail) const {
  static constexpr int kFirst[] = {2, 6, 10, 14};
  return Details(tePage, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedProgress Detail) const {
  static constexpr int kFirst[] = {2, 3, 4, 5};
  return Details(teProgress, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedRebar Detail) const {
  static constexpr int kFirst[] = {2, 3, 4, 10, 14};
  return Details(teRebar, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedScrollBar Detail) const {
  static constexpr int kFirst[] = {2, 18, 22, 26, 30, 34, 38, 42, 46, 50};
  return Details(teScrollBar, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedSpin Detail) const {
  static constexpr int kFirst[] = {2, 6, 10, 14};
  return Details(teSpin, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedStartPanel Detail) const {
  static constexpr int kFirst[] = {2, 3, 4, 7, 8, 9, 10, 11, 12, 15, 16};
  return Details(teStartPanel, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedStatus Detail) const {
  static constexpr int kFirst[] = {2, 3, 4};
  return Details(teStatus, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedTab Detail) const {
  static constexpr int kFirst[] = {2, 7, 12, 17, 22, 27, 32, 37, 42, 43};
  return Details(teTab, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedTaskBand Detail) const {
  static constexpr int kFirst[] = {2, 3, 4};
  return Details(teTaskBand, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedTaskBar Detail) const {
  static constexpr int kFirst[] = {2};
  return Details(teTaskBar, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedToolBar Detail) const {
  static constexpr int kFirst[] = {2, 8, 14, 20, 26, 32};
  return Details(teToolBar, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedToolTip Detail) const {
  static constexpr int kFirst[] = {2, 4, 6, 8, 10};
  return Details(teToolTip, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedTrackBar Detail) const {
  static constexpr int kFirst[] = {2, 3, 4, 9, 14, 19, 24, 29, 34, 35};
  return Details(teTrackBar, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedTrayNotify Detail) const {
  static constexpr int kFirst[] = {2, 3};
  return Details(teTrayNotify, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedTreeview Detail) const {
  static constexpr int kFirst[] = {2, 7, 9};
  return Details(teTreeview, static_cast<int>(Detail), kFirst);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedWindow Detail) const {
  static constexpr int kFirst[] = {2, 5, 8, 11, 14, 17, 20, 22, 24, 26, 28, 30, 32, 37, 42, 47, 52, 57, 62, 67, 72, 77, 82, 87, 92, 96, 100, 104, 108, 109, 110, 111, 112, 113, 114, 115, 116};
  return Details(teWindow, static_cast<int>(Detail), kFirst);
}
