// TControlCanvas and the controls that paint through one: TGraphicControl (no
// window, painted by its parent) and TCustomControl (a window with a canvas).
#include "platform/controls/controls.h"

#include <algorithm>

#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

namespace {
std::vector<TControlCanvas*>& CanvasesHoldingDCs() {
  static auto* v = new std::vector<TControlCanvas*>;
  return *v;
}
}  // namespace

const TClassInfo& TControlCanvas::StaticClass() {
  static const TClassInfo info = TClassBuilder<TControlCanvas>("TControlCanvas", &inherited::StaticClass()).Build();
  return info;
}

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* Value) {
  if (FControl == Value) return;
  FreeHandle();
  FControl = Value;
}

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  HWND wnd = nullptr;
  TPoint offset{0, 0};
  if (auto* w = dynamic_cast<TWinControl*>(FControl)) {
    wnd = w->Handle();
  } else if (TWinControl* p = FControl->Parent()) {
    wnd = p->Handle();
    offset = {FControl->Left(), FControl->Top()};
  }
  if (!wnd) return;
  HDC dc = GetDC(wnd);
  if (!dc) return;
  if (offset.X || offset.Y) SetViewportOrgEx(dc, offset.X, offset.Y, nullptr);
  if (!dynamic_cast<TWinControl*>(FControl)) IntersectClipRect(dc, 0, 0, FControl->Width(), FControl->Height());
  FWindow = wnd;
  FOwnDC = dc;
  SetHandle(dc);
  CanvasesHoldingDCs().push_back(this);
}

void TControlCanvas::FreeHandle() {
  if (!FOwnDC) return;
  HDC dc = FOwnDC;
  FOwnDC = nullptr;
  if (HandleAllocated()) SetHandle(nullptr);
  ReleaseDC(FWindow, dc);
  FWindow = nullptr;
  auto& v = CanvasesHoldingDCs();
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void FreeDeviceContexts() {
  auto v = CanvasesHoldingDCs();
  for (TControlCanvas* c : v) c->FreeHandle();
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
  FCanvas = new TControlCanvas;
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() { delete FCanvas; }

const TClassInfo& TGraphicControl::StaticClass() {
  static const TClassInfo info = TClassBuilder<TGraphicControl>("TGraphicControl", &inherited::StaticClass()).Build();
  return info;
}

void TGraphicControl::Dispatch(TMessage& M) {
  if (M.Msg == WM_PAINT) WMPaint(M);
  else TControl::Dispatch(M);
}

void TGraphicControl::WMPaint(TMessage& M) {
  HDC dc = reinterpret_cast<HDC>(M.WParam);
  if (!dc || Destroying()) return;
  FCanvas->FreeHandle();
  FCanvas->SetHandle(dc);
  TOnExit painted([&] { FCanvas->SetHandle(nullptr); });
  Paint();
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
  FCanvas = new TControlCanvas;
  FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() { delete FCanvas; }

const TClassInfo& TCustomControl::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomControl>("TCustomControl", &inherited::StaticClass()).Build();
  return info;
}

void TCustomControl::PaintWindow(HDC DC) {
  FCanvas->FreeHandle();
  FCanvas->SetHandle(DC);
  TOnExit painted([&] { FCanvas->SetHandle(nullptr); });
  Paint();
}
