// AutoSize, Constraints and scaling of controls; dock sites, ManualDock and the
// dock tree.
#include "platform/controls/docking.h"

#include <algorithm>

#include "platform/controls/controls_internal.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TDragKind, "dkDrag", "dkDock")
DTU_DEFINE_ENUM(TImeMode, "imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha", "imHira",
                "imSKata", "imKata", "imChinese", "imSHanguel", "imHanguel")
DTU_DEFINE_ENUM(TDragMode, "dmManual", "dmAutomatic")

namespace {
void FreeConstraints(TSizeConstraints* C) { delete C; }
void FreeDockTree(TDockTree* T) { delete T; }
int Scale(int V, int M, int D) { return D ? static_cast<int>((static_cast<int64_t>(V) * M + D / 2) / D) : V; }
}  // namespace

// ---------------------------------------------------------------------------
// TSizeConstraints
// ---------------------------------------------------------------------------

const TClassInfo& TSizeConstraints::StaticClass() {
  using C = TSizeConstraints;
  static const TClassInfo info =
      TClassBuilder<C>("TSizeConstraints", &inherited::StaticClass())
          .Int("MaxHeight", &C::MaxHeight, [](C* x, int64_t v) { x->SetMaxHeight(static_cast<int>(v)); }, 0)
          .Int("MaxWidth", &C::MaxWidth, [](C* x, int64_t v) { x->SetMaxWidth(static_cast<int>(v)); }, 0)
          .Int("MinHeight", &C::MinHeight, [](C* x, int64_t v) { x->SetMinHeight(static_cast<int>(v)); }, 0)
          .Int("MinWidth", &C::MinWidth, [](C* x, int64_t v) { x->SetMinWidth(static_cast<int>(v)); }, 0)
          .Build();
  return info;
}

// A maximum below the minimum raises the minimum's partner: the last value set wins.
void TSizeConstraints::SetMaxHeight(int Value) {
  Value = std::max(Value, 0);
  if (Value == FMaxHeight) return;
  FMaxHeight = Value;
  if (Value > 0 && Value < FMinHeight) FMinHeight = Value;
  Change();
}
void TSizeConstraints::SetMaxWidth(int Value) {
  Value = std::max(Value, 0);
  if (Value == FMaxWidth) return;
  FMaxWidth = Value;
  if (Value > 0 && Value < FMinWidth) FMinWidth = Value;
  Change();
}
void TSizeConstraints::SetMinHeight(int Value) {
  Value = std::max(Value, 0);
  if (Value == FMinHeight) return;
  FMinHeight = Value;
  if (FMaxHeight > 0 && Value > FMaxHeight) FMaxHeight = Value;
  Change();
}
void TSizeConstraints::SetMinWidth(int Value) {
  Value = std::max(Value, 0);
  if (Value == FMinWidth) return;
  FMinWidth = Value;
  if (FMaxWidth > 0 && Value > FMaxWidth) FMaxWidth = Value;
  Change();
}

void TSizeConstraints::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
    FMaxHeight = s->FMaxHeight;
    FMaxWidth = s->FMaxWidth;
    FMinHeight = s->FMinHeight;
    FMinWidth = s->FMinWidth;
    Change();
    return;
  }
  inherited::Assign(Source);
}

void TSizeConstraints::Apply(int& Width, int& Height) const {
  if (FMinWidth > 0) Width = std::max(Width, FMinWidth);
  if (FMaxWidth > 0) Width = std::min(Width, FMaxWidth);
  if (FMinHeight > 0) Height = std::max(Height, FMinHeight);
  if (FMaxHeight > 0) Height = std::min(Height, FMaxHeight);
}

void TSizeConstraints::Change() {
  if (FControl && !FControl->ComponentState().Contains(csLoading))
    FControl->SetBounds(FControl->Left(), FControl->Top(), FControl->Width(), FControl->Height());
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------
// TControl: sizing and docking
// ---------------------------------------------------------------------------

TSizeConstraints* TControl::Constraints() {
  if (!FConstraints) FConstraints = {new TSizeConstraints(this), &FreeConstraints};
  return FConstraints.get();
}

void TControl::SetConstraints(TSizeConstraints* Value) { Constraints()->Assign(Value); }

void TControl::ApplyConstraints(int& NewWidth, int& NewHeight) {
  if (!FConstraints && !OnConstrainedResize) return;
  TSizeConstraints* c = Constraints();
  int minW = c->MinWidth(), minH = c->MinHeight(), maxW = c->MaxWidth(), maxH = c->MaxHeight();
  if (OnConstrainedResize) OnConstrainedResize(this, minW, minH, maxW, maxH);
  if (minW > 0) NewWidth = std::max(NewWidth, minW);
  if (maxW > 0) NewWidth = std::min(NewWidth, maxW);
  if (minH > 0) NewHeight = std::max(NewHeight, minH);
  if (maxH > 0) NewHeight = std::min(NewHeight, maxH);
}

void TControl::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  if (Value) AdjustSize();
}

bool TControl::CanAutoSize(int&, int&) { return false; }

void TControl::AdjustSize() {
  if (!FAutoSize || FAutoSizing || ComponentState().Contains(csLoading)) return;
  int w = FWidth, h = FHeight;
  if (!CanAutoSize(w, h)) return;
  FAutoSizing = true;
  struct TReset {
    bool& F;
    ~TReset() { F = false; }
  } reset{FAutoSizing};
  SetBounds(FLeft, FTop, w, h);
}

void TControl::ChangeScale(int M, int D) {
  if (M == D || D == 0) return;
  int l = Scale(FLeft, M, D), t = Scale(FTop, M, D);
  int w = Scale(FLeft + FWidth, M, D) - l, h = Scale(FTop + FHeight, M, D) - t;
  if (!FParentFont) FFont->SetHeight(Scale(FFont->Height(), M, D));
  SetBounds(l, t, w, h);
}

bool TControl::ManualDock(TWinControl* NewDockSite, TControl* DropControl, TAlign ControlSide) {
  if (!NewDockSite || !NewDockSite->DockSite() || NewDockSite == this) return false;
  if (FHostDockSite && !ManualFloat()) return false;
  SetParent(NewDockSite);
  FHostDockSite = NewDockSite;
  NewDockSite->FDockClients.push_back(this);
  if (TDockTree* tree = NewDockSite->DockManager()) tree->InsertControl(this, ControlSide, DropControl);
  if (NewDockSite->OnDockDrop) NewDockSite->OnDockDrop(NewDockSite, this, FLeft, FTop);
  if (OnEndDock) OnEndDock(this, NewDockSite, FLeft, FTop);
  return true;
}

bool TControl::ManualFloat() {
  TWinControl* site = FHostDockSite;
  if (!site) return true;
  bool allow = true;
  if (site->OnUnDock) site->OnUnDock(site, this, nullptr, allow);
  if (!allow) return false;
  FHostDockSite = nullptr;
  site->FDockClients.erase(std::remove(site->FDockClients.begin(), site->FDockClients.end(), this),
                           site->FDockClients.end());
  if (TDockTree* tree = site->DockManager()) tree->RemoveControl(this);
  SetParent(nullptr);
  return true;
}

// ---------------------------------------------------------------------------
// TWinControl: dock sites, AutoSize, scaling
// ---------------------------------------------------------------------------

void TWinControl::SetDockSite(bool Value) {
  if (FDockSite == Value) return;
  FDockSite = Value;
  if (Value && FUseDockManager && !FDockManager) FDockManager = {CreateDockManager(), &FreeDockTree};
  Realign();
}

void TWinControl::SetUseDockManager(bool Value) {
  if (FUseDockManager == Value) return;
  FUseDockManager = Value;
  if (Value && FDockSite && !FDockManager) FDockManager = {CreateDockManager(), &FreeDockTree};
}

TDockTree* TWinControl::CreateDockManager() {
  if (FDockManager) return nullptr;  // callers keep the existing one
  return new TDockTree(this);
}

// A windowed control fits its visible children (plus its frame).
bool TWinControl::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (FControls.empty() && FWinControls.empty()) return false;
  int right = 0, bottom = 0;
  bool any = false;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || c->Align() == alClient) continue;
    right = std::max(right, c->Left() + c->Width());
    bottom = std::max(bottom, c->Top() + c->Height());
    any = true;
  }
  if (!any) return false;
  TRect client = GetClientRect();
  TRect adjusted = client;
  AdjustClientRect(adjusted);
  // What the frame takes at the right and bottom.
  NewWidth = right + (FWidth - client.Right) + (client.Right - adjusted.Right);
  NewHeight = bottom + (FHeight - client.Bottom) + (client.Bottom - adjusted.Bottom);
  return true;
}

void TWinControl::ChangeScale(int M, int D) {
  if (M == D || D == 0) return;
  DisableAlign();
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->ChangeScale(M, D);
  TControl::ChangeScale(M, D);
  EnableAlign();
}

// A docked child that leaves the site (or is freed) is undocked.
void TWinControl::DockClientRemoved(TControl* Control) {
  auto it = std::find(FDockClients.begin(), FDockClients.end(), Control);
  if (it == FDockClients.end()) return;
  FDockClients.erase(it);
  Control->FHostDockSite = nullptr;
  if (FDockManager) FDockManager->RemoveControl(Control);
}

// ---------------------------------------------------------------------------
// TDockTree
// ---------------------------------------------------------------------------

const TClassInfo& TDockTree::StaticClass() {
  static const TClassInfo info = TClassBuilder<TDockTree>("TDockTree", &inherited::StaticClass()).Build();
  return info;
}

TDockTree::TDockTree(TWinControl* DockSite) : FDockSite(DockSite) {}

TDockTree::~TDockTree() = default;

void TDockTree::InsertControl(TControl* Control, TAlign, TControl* DropCtl) {
  if (std::find(FControls.begin(), FControls.end(), Control) != FControls.end()) return;
  auto at = std::find(FControls.begin(), FControls.end(), DropCtl);
  if (at != FControls.end()) ++at;
  FControls.insert(at, Control);
  ResetBounds(true);
}

void TDockTree::RemoveControl(TControl* Control) {
  FControls.erase(std::remove(FControls.begin(), FControls.end(), Control), FControls.end());
  ResetBounds(true);
}

TRect TDockTree::ZoneRect(TControl* Control) {
  auto it = std::find(FControls.begin(), FControls.end(), Control);
  if (it == FControls.end()) return {};
  int n = static_cast<int>(FControls.size()), i = static_cast<int>(it - FControls.begin());
  TRect client = FDockSite->GetClientRect();
  FDockSite->AdjustClientRect(client);
  bool across = FDockSite->Align() == alTop || FDockSite->Align() == alBottom;
  TRect z = client;
  if (across) {
    int w = client.Width();
    z.Left = client.Left + w * i / n;
    z.Right = client.Left + w * (i + 1) / n;
  } else {
    int h = client.Height();
    z.Top = client.Top + h * i / n;
    z.Bottom = client.Top + h * (i + 1) / n;
  }
  return z;
}

void TDockTree::ResetBounds(bool) {
  if (FResetting) return;
  FResetting = true;
  struct TReset {
    bool& F;
    ~TReset() { F = false; }
  } reset{FResetting};
  for (TControl* c : FControls) {
    TRect r = ZoneRect(c);
    AdjustDockRect(c, r);
    c->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
  }
  FDockSite->Invalidate();
}

void TDockTree::AdjustDockRect(TControl*, TRect& ARect) { ARect.Top += GrabberSize; }

//  The default grabber: two raised lines along the top strip of the zone.
//    HHHHHHHH   (y = Top + 3)
//    SSSSSSSS   (y = Top + 4)
//    HHHHHHHH   (y = Top + 6)
//    SSSSSSSS   (y = Top + 7)
void TDockTree::PaintDockFrame(TCanvas* Canvas, TControl*, const TRect& ARect) {
  Canvas->Pen()->SetStyle(psSolid);
  for (int y : {ARect.Top + 3, ARect.Top + 6}) {
    Canvas->Pen()->SetColor(clBtnHighlight);
    Canvas->MoveTo(ARect.Left + 2, y);
    Canvas->LineTo(ARect.Right - 2, y);
    Canvas->Pen()->SetColor(clBtnShadow);
    Canvas->MoveTo(ARect.Left + 2, y + 1);
    Canvas->LineTo(ARect.Right - 2, y + 1);
  }
}

void TDockTree::PaintSite(HDC DC) {
  if (FControls.empty()) return;
  TCanvas canvas;
  canvas.SetHandle(DC);
  for (TControl* c : FControls)
    if (c->Visible()) PaintDockFrame(&canvas, c, ZoneRect(c));
  canvas.SetHandle(nullptr);
}
