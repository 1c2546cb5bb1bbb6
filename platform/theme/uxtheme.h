#pragma once
// The visual-style library as the framed controls load it at run time: the module
// calls (LoadLibraryA, GetProcAddress, FreeLibrary) over a registry of in-process
// modules, and the types of the library's entry points. The library itself is not
// present on this machine: no module named "uxtheme.dll" is registered, so loading
// it fails and every control takes its classic drawing path. Tests register a
// recording fake (themefake.h) in its place.
#include <map>
#include <string>

#include "platform/graphics/gdi.h"
#include "platform/win32/messages.h"

using HTHEME = struct HTHEME__*;
using HRESULT = std::int32_t;
using HMODULE = struct HMODULE__*;
using FARPROC = void (*)();

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;

// The library's file name.
inline constexpr const char* UxThemeLibraryName = "uxtheme.dll";

// ---------------------------------------------------------------------------
// Modules
// ---------------------------------------------------------------------------

// A module's entry points by name.
using TModuleExports = std::map<std::string, FARPROC>;

// Makes a module loadable under Name (compared without regard to letter case);
// replaces an earlier registration of that name. Handles already loaded keep the
// exports they had.
void RegisterModule(const std::string& Name, TModuleExports Exports);
void UnregisterModule(const std::string& Name);

// Loads a registered module (nullptr and ERROR_MOD_NOT_FOUND when there is none);
// every successful call must be paired with FreeLibrary.
HMODULE LoadLibraryA(const char* FileName);
// The entry point of that name (nullptr and ERROR_PROC_NOT_FOUND when missing).
FARPROC GetProcAddress(HMODULE Module, const char* ProcName);
BOOL FreeLibrary(HMODULE Module);
// How many loads of any module are not freed yet (for tests).
int LoadedModuleCount();

// The version of the common-controls library the controls are built against
// (0x60000 = 6.0). The fake scripts it.
DWORD GetComCtlVersion();
void SetComCtlVersion(DWORD Version);
constexpr DWORD ComCtlVersionIE6 = 0x60000;

// ---------------------------------------------------------------------------
// Constants of the library
// ---------------------------------------------------------------------------

// GetThemeAppProperties / SetThemeAppProperties.
constexpr DWORD STAP_ALLOW_NONCLIENT = 1, STAP_ALLOW_CONTROLS = 2, STAP_ALLOW_WEBCONTENT = 4;
// Colour properties of GetThemeColor.
constexpr int TMT_BORDERCOLOR = 3801, TMT_FILLCOLOR = 3802, TMT_TEXTCOLOR = 3803,
              TMT_GRADIENTCOLOR1 = 3810;
// DrawThemeText Flags2.
constexpr DWORD DTT_GRAYED = 1;

struct MARGINS {
  int cxLeftWidth = 0;
  int cxRightWidth = 0;
  int cyTopHeight = 0;
  int cyBottomHeight = 0;
};
struct INTLIST {
  int iValueCount = 0;
  int iValues[10] = {};
};
using HIMAGELIST = void*;  // an image list handle, passed through untouched

// ---------------------------------------------------------------------------
// Entry points (one type per exported function)
// ---------------------------------------------------------------------------

using TOpenThemeData = HTHEME (*)(HWND Wnd, const wchar_t* ClassList);
using TCloseThemeData = HRESULT (*)(HTHEME Theme);
using TDrawThemeBackground = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, const TRect* R,
                                         const TRect* Clip);
using TDrawThemeText = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, const wchar_t* Text,
                                   int CharCount, DWORD Flags, DWORD Flags2, const TRect* R);
using TGetThemeBackgroundContentRect = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State,
                                                   const TRect* Bounding, TRect* Content);
using TGetThemeBackgroundExtent = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State,
                                              const TRect* Content, TRect* Extent);
using TGetThemePartSize = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, const TRect* R,
                                      int SizeKind, TSize* Size);
using TGetThemeTextExtent = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, const wchar_t* Text,
                                        int CharCount, DWORD Flags, const TRect* Bounding, TRect* Extent);
using TGetThemeTextMetrics = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, TEXTMETRIC* Tm);
using TGetThemeBackgroundRegion = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, const TRect* R,
                                              HRGN* Region);
using THitTestThemeBackground = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, DWORD Options,
                                            const TRect* R, HRGN Region, TPoint Test, WORD* HitCode);
using TDrawThemeEdge = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, const TRect* Dest,
                                   UINT Edge, UINT Flags, TRect* Content);
using TDrawThemeIcon = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, const TRect* R,
                                   HIMAGELIST ImageList, int Index);
using TIsThemePartDefined = BOOL (*)(HTHEME Theme, int Part, int State);
using TIsThemeBackgroundPartiallyTransparent = BOOL (*)(HTHEME Theme, int Part, int State);
using TGetThemeColor = HRESULT (*)(HTHEME Theme, int Part, int State, int Prop, COLORREF* Color);
using TGetThemeMetric = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, int Prop, int* Value);
using TGetThemeString = HRESULT (*)(HTHEME Theme, int Part, int State, int Prop, wchar_t* Buffer,
                                    int MaxChars);
using TGetThemeBool = HRESULT (*)(HTHEME Theme, int Part, int State, int Prop, BOOL* Value);
using TGetThemeInt = HRESULT (*)(HTHEME Theme, int Part, int State, int Prop, int* Value);
using TGetThemeEnumValue = HRESULT (*)(HTHEME Theme, int Part, int State, int Prop, int* Value);
using TGetThemePosition = HRESULT (*)(HTHEME Theme, int Part, int State, int Prop, TPoint* Value);
using TGetThemeFont = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, int Prop, LOGFONT* Font);
using TGetThemeRect = HRESULT (*)(HTHEME Theme, int Part, int State, int Prop, TRect* R);
using TGetThemeMargins = HRESULT (*)(HTHEME Theme, HDC Dc, int Part, int State, int Prop,
                                     const TRect* R, MARGINS* Margins);
using TGetThemeIntList = HRESULT (*)(HTHEME Theme, int Part, int State, int Prop, INTLIST* List);
using TGetThemePropertyOrigin = HRESULT (*)(HTHEME Theme, int Part, int State, int Prop, int* Origin);
using TSetWindowTheme = HRESULT (*)(HWND Wnd, const wchar_t* SubAppName, const wchar_t* SubIdList);
using TGetThemeFilename = HRESULT (*)(HTHEME Theme, int Part, int State, int Prop, wchar_t* Buffer,
                                      int MaxChars);
using TGetThemeSysColor = COLORREF (*)(HTHEME Theme, int ColorId);
using TGetThemeSysColorBrush = HBRUSH (*)(HTHEME Theme, int ColorId);
using TGetThemeSysBool = BOOL (*)(HTHEME Theme, int BoolId);
using TGetThemeSysSize = int (*)(HTHEME Theme, int SizeId);
using TGetThemeSysFont = HRESULT (*)(HTHEME Theme, int FontId, LOGFONT* Font);
using TGetThemeSysString = HRESULT (*)(HTHEME Theme, int StringId, wchar_t* Buffer, int MaxChars);
using TGetThemeSysInt = HRESULT (*)(HTHEME Theme, int IntId, int* Value);
using TIsThemeActive = BOOL (*)();
using TIsAppThemed = BOOL (*)();
using TGetWindowTheme = HTHEME (*)(HWND Wnd);
using TEnableThemeDialogTexture = HRESULT (*)(HWND Wnd, DWORD Flags);
using TIsThemeDialogTextureEnabled = BOOL (*)(HWND Wnd);
using TGetThemeAppProperties = DWORD (*)();
using TSetThemeAppProperties = void (*)(DWORD Flags);
using TGetCurrentThemeName = HRESULT (*)(wchar_t* ThemeFileName, int MaxNameChars, wchar_t* ColorBuff,
                                         int MaxColorChars, wchar_t* SizeBuff, int MaxSizeChars);
using TGetThemeDocumentationProperty = HRESULT (*)(const wchar_t* ThemeName, const wchar_t* PropertyName,
                                                   wchar_t* Value, int MaxValueChars);
using TDrawThemeParentBackground = HRESULT (*)(HWND Wnd, HDC Dc, const TRect* R);
using TEnableTheming = HRESULT (*)(BOOL Enable);

// X(Name) for every exported name, in the order the loader looks them up.
#define DTU_UXTHEME_ENTRY_POINTS(X)                                                             \
  X(OpenThemeData) X(CloseThemeData) X(DrawThemeBackground) X(DrawThemeText)                    \
  X(GetThemeBackgroundContentRect) X(GetThemeBackgroundExtent) X(GetThemePartSize)              \
  X(GetThemeTextExtent) X(GetThemeTextMetrics) X(GetThemeBackgroundRegion)                      \
  X(HitTestThemeBackground) X(DrawThemeEdge) X(DrawThemeIcon) X(IsThemePartDefined)             \
  X(IsThemeBackgroundPartiallyTransparent) X(GetThemeColor) X(GetThemeMetric) X(GetThemeString) \
  X(GetThemeBool) X(GetThemeInt) X(GetThemeEnumValue) X(GetThemePosition) X(GetThemeFont)       \
  X(GetThemeRect) X(GetThemeMargins) X(GetThemeIntList) X(GetThemePropertyOrigin)               \
  X(SetWindowTheme) X(GetThemeFilename) X(GetThemeSysColor) X(GetThemeSysColorBrush)            \
  X(GetThemeSysBool) X(GetThemeSysSize) X(GetThemeSysFont) X(GetThemeSysString)                 \
  X(GetThemeSysInt) X(IsThemeActive) X(IsAppThemed) X(GetWindowTheme)                           \
  X(EnableThemeDialogTexture) X(IsThemeDialogTextureEnabled) X(GetThemeAppProperties)           \
  X(SetThemeAppProperties) X(GetCurrentThemeName) X(GetThemeDocumentationProperty)              \
  X(DrawThemeParentBackground) X(EnableTheming)
