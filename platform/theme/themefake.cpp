// The recording fake's entry points: captureless lambdas that forward to the
// running instance.
#include "platform/theme/themefake.h"

#include <algorithm>

namespace {

TThemeLibraryFake* g_Fake = nullptr;

TThemeLibraryFake& F() { return *g_Fake; }

std::string Narrow(const wchar_t* S) {
  std::string out;
  for (; S && *S; ++S) out += static_cast<char>(*S < 128 ? *S : '?');
  return out;
}

template <class Fn>
FARPROC Proc(Fn Function) {
  return reinterpret_cast<FARPROC>(Function);
}

// Opening and closing, drawing and the questions about a part's size and shape.
void AddPartExports(TModuleExports& e) {
  e["OpenThemeData"] = Proc<TOpenThemeData>([](HWND, const wchar_t* Cls) { return F().Open(Cls); });
  e["CloseThemeData"] = Proc<TCloseThemeData>([](HTHEME T) { return F().Close(T); });
  e["DrawThemeBackground"] = Proc<TDrawThemeBackground>(
      [](HTHEME T, HDC, int P, int S, const TRect* R, const TRect*) {
        F().Record("DrawThemeBackground", T, P, S);
        F().BackgroundRects.push_back(R ? *R : TRect{});
        return S_OK;
      });
  e["DrawThemeText"] = Proc<TDrawThemeText>(
      [](HTHEME T, HDC, int P, int S, const wchar_t*, int, DWORD, DWORD, const TRect*) {
        F().Record("DrawThemeText", T, P, S);
        return S_OK;
      });
  e["GetThemeBackgroundContentRect"] = Proc<TGetThemeBackgroundContentRect>(
      [](HTHEME T, HDC, int P, int S, const TRect* B, TRect* C) {
        F().Record("GetThemeBackgroundContentRect", T, P, S);
        *C = *B;
        InflateRect(*C, -F().ContentInset, -F().ContentInset);
        return S_OK;
      });
  e["GetThemeBackgroundExtent"] = Proc<TGetThemeBackgroundExtent>(
      [](HTHEME T, HDC, int P, int S, const TRect* C, TRect* E) {
        F().Record("GetThemeBackgroundExtent", T, P, S);
        *E = *C;
        return S_OK;
      });
  e["GetThemePartSize"] = Proc<TGetThemePartSize>([](HTHEME T, HDC, int P, int S, const TRect*, int, TSize* Sz) {
    F().Record("GetThemePartSize", T, P, S);
    *Sz = {13, 13};
    return S_OK;
  });
  e["GetThemeTextExtent"] = Proc<TGetThemeTextExtent>(
      [](HTHEME T, HDC, int P, int S, const wchar_t*, int, DWORD, const TRect*, TRect*) {
        F().Record("GetThemeTextExtent", T, P, S);
        return E_NOTIMPL;
      });
  e["GetThemeTextMetrics"] = Proc<TGetThemeTextMetrics>([](HTHEME T, HDC, int P, int S, TEXTMETRIC*) {
    F().Record("GetThemeTextMetrics", T, P, S);
    return E_NOTIMPL;
  });
  e["GetThemeBackgroundRegion"] = Proc<TGetThemeBackgroundRegion>(
      [](HTHEME T, HDC, int P, int S, const TRect*, HRGN*) {
        F().Record("GetThemeBackgroundRegion", T, P, S);
        return E_NOTIMPL;
      });
  e["HitTestThemeBackground"] = Proc<THitTestThemeBackground>(
      [](HTHEME T, HDC, int P, int S, DWORD, const TRect*, HRGN, TPoint, WORD*) {
        F().Record("HitTestThemeBackground", T, P, S);
        return E_NOTIMPL;
      });
  e["DrawThemeEdge"] = Proc<TDrawThemeEdge>(
      [](HTHEME T, HDC, int P, int S, const TRect*, UINT, UINT, TRect*) {
        F().Record("DrawThemeEdge", T, P, S);
        return S_OK;
      });
  e["DrawThemeIcon"] = Proc<TDrawThemeIcon>([](HTHEME T, HDC, int P, int S, const TRect*, HIMAGELIST, int) {
    F().Record("DrawThemeIcon", T, P, S);
    return S_OK;
  });
  e["IsThemePartDefined"] = Proc<TIsThemePartDefined>([](HTHEME T, int P, int S) {
    F().Record("IsThemePartDefined", T, P, S);
    return TRUE;
  });
  e["IsThemeBackgroundPartiallyTransparent"] = Proc<TIsThemeBackgroundPartiallyTransparent>(
      [](HTHEME T, int P, int S) {
        F().Record("IsThemeBackgroundPartiallyTransparent", T, P, S);
        return F().Transparent.count({F().ClassOf(T), P, S}) ? TRUE : FALSE;
      });
}

// A part's colours, metrics, strings, fonts and margins; the window's theme.
void AddPropertyExports(TModuleExports& e) {
  e["GetThemeColor"] = Proc<TGetThemeColor>([](HTHEME T, int P, int S, int Prop, COLORREF* C) {
    F().Record("GetThemeColor", T, P, S, Prop);
    auto it = F().Colors.find({F().ClassOf(T), P, S, Prop});
    if (it == F().Colors.end()) return E_FAIL;
    *C = it->second;
    return S_OK;
  });
#define DTU_FAKE_PROP(Name, Type)                                                   \
  e[#Name] = Proc<T##Name>([](HTHEME T, int P, int S, int Prop, Type) {              \
    F().Record(#Name, T, P, S, Prop);                                               \
    return E_NOTIMPL;                                                               \
  });
  DTU_FAKE_PROP(GetThemeBool, BOOL*)
  DTU_FAKE_PROP(GetThemeInt, int*)
  DTU_FAKE_PROP(GetThemeEnumValue, int*)
  DTU_FAKE_PROP(GetThemePosition, TPoint*)
  DTU_FAKE_PROP(GetThemeRect, TRect*)
  DTU_FAKE_PROP(GetThemeIntList, INTLIST*)
  DTU_FAKE_PROP(GetThemePropertyOrigin, int*)
#undef DTU_FAKE_PROP
  e["GetThemeMetric"] = Proc<TGetThemeMetric>([](HTHEME T, HDC, int P, int S, int Prop, int*) {
    F().Record("GetThemeMetric", T, P, S, Prop);
    return E_NOTIMPL;
  });
  e["GetThemeString"] = Proc<TGetThemeString>([](HTHEME T, int P, int S, int Prop, wchar_t*, int) {
    F().Record("GetThemeString", T, P, S, Prop);
    return E_NOTIMPL;
  });
  e["GetThemeFont"] = Proc<TGetThemeFont>([](HTHEME T, HDC, int P, int S, int Prop, LOGFONT*) {
    F().Record("GetThemeFont", T, P, S, Prop);
    return E_NOTIMPL;
  });
  e["GetThemeMargins"] = Proc<TGetThemeMargins>(
      [](HTHEME T, HDC, int P, int S, int Prop, const TRect*, MARGINS*) {
        F().Record("GetThemeMargins", T, P, S, Prop);
        return E_NOTIMPL;
      });
  e["SetWindowTheme"] = Proc<TSetWindowTheme>([](HWND, const wchar_t*, const wchar_t*) {
    F().Record("SetWindowTheme");
    return S_OK;
  });
  e["GetThemeFilename"] = Proc<TGetThemeFilename>([](HTHEME T, int P, int S, int Prop, wchar_t*, int) {
    F().Record("GetThemeFilename", T, P, S, Prop);
    return E_NOTIMPL;
  });
}

// System values, the application's theming state and the theme's own facts.
void AddSystemExports(TModuleExports& e) {
  e["GetThemeSysColor"] = Proc<TGetThemeSysColor>([](HTHEME T, int Id) {
    F().Record("GetThemeSysColor", T, 0, 0, Id);
    auto it = F().SysColors.find(Id);
    return it == F().SysColors.end() ? COLORREF(0) : it->second;
  });
  e["GetThemeSysColorBrush"] = Proc<TGetThemeSysColorBrush>([](HTHEME T, int Id) {
    F().Record("GetThemeSysColorBrush", T, 0, 0, Id);
    return GetSysColorBrush(Id);
  });
  e["GetThemeSysBool"] = Proc<TGetThemeSysBool>([](HTHEME T, int Id) {
    F().Record("GetThemeSysBool", T, 0, 0, Id);
    return FALSE;
  });
  e["GetThemeSysSize"] = Proc<TGetThemeSysSize>([](HTHEME T, int Id) {
    F().Record("GetThemeSysSize", T, 0, 0, Id);
    return 0;
  });
  e["GetThemeSysFont"] = Proc<TGetThemeSysFont>([](HTHEME T, int Id, LOGFONT*) {
    F().Record("GetThemeSysFont", T, 0, 0, Id);
    return E_NOTIMPL;
  });
  e["GetThemeSysString"] = Proc<TGetThemeSysString>([](HTHEME T, int Id, wchar_t*, int) {
    F().Record("GetThemeSysString", T, 0, 0, Id);
    return E_NOTIMPL;
  });
  e["GetThemeSysInt"] = Proc<TGetThemeSysInt>([](HTHEME T, int Id, int*) {
    F().Record("GetThemeSysInt", T, 0, 0, Id);
    return E_NOTIMPL;
  });
  e["IsThemeActive"] = Proc<TIsThemeActive>([] {
    F().Record("IsThemeActive");
    return F().ThemeActive;
  });
  e["IsAppThemed"] = Proc<TIsAppThemed>([] {
    F().Record("IsAppThemed");
    return F().AppThemed;
  });
  e["GetWindowTheme"] = Proc<TGetWindowTheme>([](HWND) {
    F().Record("GetWindowTheme");
    return HTHEME(nullptr);
  });
  e["EnableThemeDialogTexture"] = Proc<TEnableThemeDialogTexture>([](HWND, DWORD) {
    F().Record("EnableThemeDialogTexture");
    return S_OK;
  });
  e["IsThemeDialogTextureEnabled"] = Proc<TIsThemeDialogTextureEnabled>([](HWND) {
    F().Record("IsThemeDialogTextureEnabled");
    return FALSE;
  });
  e["GetThemeAppProperties"] = Proc<TGetThemeAppProperties>([] {
    F().Record("GetThemeAppProperties");
    return F().AppProperties;
  });
  e["SetThemeAppProperties"] = Proc<TSetThemeAppProperties>([](DWORD Flags) {
    F().Record("SetThemeAppProperties");
    F().AppProperties = Flags;
  });
  e["GetCurrentThemeName"] = Proc<TGetCurrentThemeName>(
      [](wchar_t*, int, wchar_t*, int, wchar_t*, int) {
        F().Record("GetCurrentThemeName");
        return E_NOTIMPL;
      });
  e["GetThemeDocumentationProperty"] = Proc<TGetThemeDocumentationProperty>(
      [](const wchar_t*, const wchar_t*, wchar_t*, int) {
        F().Record("GetThemeDocumentationProperty");
        return E_NOTIMPL;
      });
  e["DrawThemeParentBackground"] = Proc<TDrawThemeParentBackground>([](HWND, HDC, const TRect*) {
    F().Record("DrawThemeParentBackground");
    return S_OK;
  });
  e["EnableTheming"] = Proc<TEnableTheming>([](BOOL) {
    F().Record("EnableTheming");
    return S_OK;
  });
}

TModuleExports MakeExports() {
  TModuleExports e;
  AddPartExports(e);
  AddPropertyExports(e);
  AddSystemExports(e);
  return e;
}

}  // namespace

TThemeLibraryFake::TThemeLibraryFake(std::set<std::string> Missing) {
  g_Fake = this;
  FSavedComCtlVersion = GetComCtlVersion();
  TModuleExports e = MakeExports();
  for (const std::string& name : Missing) e.erase(name);
  RegisterModule(UxThemeLibraryName, std::move(e));
}

TThemeLibraryFake::~TThemeLibraryFake() {
  UnregisterModule(UxThemeLibraryName);
  SetComCtlVersion(FSavedComCtlVersion);
  g_Fake = nullptr;
}

TThemeLibraryFake* TThemeLibraryFake::Current() { return g_Fake; }

std::vector<std::string> TThemeLibraryFake::CallNames() const {
  std::vector<std::string> out;
  for (const TCall& c : Calls) out.push_back(c.Name);
  return out;
}

int TThemeLibraryFake::CountOf(const std::string& Name) const {
  return static_cast<int>(std::count_if(Calls.begin(), Calls.end(), [&](const TCall& c) { return c.Name == Name; }));
}

std::vector<std::string> TThemeLibraryFake::OpenThemes() const {
  std::vector<std::string> out;
  for (const auto& [h, cls] : FOpen) out.push_back(cls);
  return out;
}

HTHEME TThemeLibraryFake::Open(const wchar_t* ClassList) {
  HTHEME h = reinterpret_cast<HTHEME>(FNextHandle++);
  std::string cls = Narrow(ClassList);
  FOpen[h] = cls;
  FEverOpened[h] = cls;
  Calls.push_back({"OpenThemeData", cls, 0, 0, 0});
  return h;
}

HRESULT TThemeLibraryFake::Close(HTHEME Theme) {
  Record("CloseThemeData", Theme);
  return FOpen.erase(Theme) ? S_OK : E_FAIL;
}

std::string TThemeLibraryFake::ClassOf(HTHEME Theme) const {
  auto it = FEverOpened.find(Theme);
  return it == FEverOpened.end() ? std::string() : it->second;
}

void TThemeLibraryFake::Record(const char* Name, HTHEME Theme, int Part, int State, int Prop) {
  Calls.push_back({Name, ClassOf(Theme), Part, State, Prop});
}
