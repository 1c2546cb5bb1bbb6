#pragma once
// A recording stand-in for the visual-style library, for tests of the themed
// bookkeeping: while an instance lives, "uxtheme.dll" is a loadable module whose
// entry points record every call and answer from the fields below. One instance at
// a time, GUI thread only. A test may change the common-controls version with
// SetComCtlVersion; the fake puts the earlier value back when it goes. Free
// whatever loaded the library (the theme services) before the fake goes: its
// entry points answer only while the fake lives.
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/theme/uxtheme.h"

class TThemeLibraryFake {
public:
  // Registers the module with every entry point except the names in Missing.
  explicit TThemeLibraryFake(std::set<std::string> Missing = {});
  ~TThemeLibraryFake();
  TThemeLibraryFake(const TThemeLibraryFake&) = delete;
  TThemeLibraryFake& operator=(const TThemeLibraryFake&) = delete;

  // One recorded call. Theme handles are reported by the class name they were
  // opened for ("" when the handle is not one the fake opened).
  struct TCall {
    std::string Name;
    std::string Class;
    int Part = 0;
    int State = 0;
    int Prop = 0;  // property or colour id, where the call has one
    bool operator==(const TCall&) const = default;
  };
  std::vector<TCall> Calls;
  // The rectangles DrawThemeBackground was given, in call order.
  std::vector<TRect> BackgroundRects;
  // The names of the recorded calls, in order.
  std::vector<std::string> CallNames() const;
  int CountOf(const std::string& Name) const;

  // Scripted answers.
  BOOL AppThemed = TRUE;
  BOOL ThemeActive = TRUE;
  DWORD AppProperties = STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS;
  // GetThemeColor answers by (class, part, state, property); others fail (E_FAIL).
  std::map<std::tuple<std::string, int, int, int>, COLORREF> Colors;
  // GetThemeSysColor answers by colour id; others give 0.
  std::map<int, COLORREF> SysColors;
  // Parts (class, part, state) that IsThemeBackgroundPartiallyTransparent reports.
  std::set<std::tuple<std::string, int, int>> Transparent;
  // GetThemeBackgroundContentRect gives the bounding rectangle inflated by -ContentInset.
  int ContentInset = 2;

  // Theme handles opened and not closed yet, by class name.
  std::vector<std::string> OpenThemes() const;

  // The running instance (nullptr when none); the entry points use it.
  static TThemeLibraryFake* Current();

  // Bookkeeping of the entry points.
  HTHEME Open(const wchar_t* ClassList);
  HRESULT Close(HTHEME Theme);
  std::string ClassOf(HTHEME Theme) const;
  void Record(const char* Name, HTHEME Theme = nullptr, int Part = 0, int State = 0, int Prop = 0);

private:
  std::map<HTHEME, std::string> FOpen;
  std::map<HTHEME, std::string> FEverOpened;
  std::uintptr_t FNextHandle = 0x1000;
  DWORD FSavedComCtlVersion;
};
