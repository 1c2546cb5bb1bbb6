// AutoSize, Constraints and scaling of controls; dock sites, ManualDock and the
// dock tree.
#include "platform/controls/docking.h"

#include <algorithm>
#include <iterator>

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

std::vector<TWinControl*> g_DockSites;

void RegisterSite(TWinControl* Site, bool On) {
  auto it = std::find(g_DockSites.begin(), g_DockSites.end(), Site);
  if (On && it == g_DockSites.end()) g_DockSites.push_back(Site);
  if (!On && it != g_DockSites.end()) g_DockSites.erase(it);
}

// The controls a docking step still needs while a handler of theirs runs. A handler
// may free any of them (the control, the site it leaves, the site it goes to); the
// step then stops, or leaves the freed site's lists alone, instead of reading freed
// memory. A destroyed control's slot is cleared (dock_detail::ControlDestroyed).
class TDockWatch {
public:
  explicit TDockWatch(TControl* A, TControl* B = nullptr, TControl* C = nullptr) : FSlots{A, B, C}, FPrev(Top()) {
    Top() = this;
  }
  ~TDockWatch() { Top() = FPrev; }
  TDockWatch(const TDockWatch&) = delete;
  TDockWatch& operator=(const TDockWatch&) = delete;
  // Whether C, one of the watched controls, still exists.
  bool Alive(const TControl* C) const { return C && std::find(std::begin(FSlots), std::end(FSlots), C) != std::end(FSlots); }
  static void Destroyed(const TControl* C) {
    for (TDockWatch* w = Top(); w; w = w->FPrev)
      for (TControl*& slot : w->FSlots)
        if (slot == C) slot = nullptr;
  }

private:
  static TDockWatch*& Top() {
    static TDockWatch* top = nullptr;
    return top;
  }
  TControl* FSlots[3];
  TDockWatch* FPrev;
};

// A floating window whose last control left is freed once the message in hand is done.
void ReleaseEmptyFloatingWindow(TWinControl* Site) {
  auto* host = dynamic_cast<TCustomDockForm*>(Site);
  if (host && host->DockClientCount() == 0 && !host->ComponentState().Contains(csDestroying)) {
    host->Hide();
    host->Release();
  }
}

// The window rectangle of a control on the screen.
TRect ScreenBounds(TControl* C) {
  TPoint tl = C->Parent() ? C->Parent()->ClientToScreen(TPoint{C->Left(), C->Top()}) : TPoint{C->Left(), C->Top()};
  return {tl.X, tl.Y, tl.X + C->Width(), tl.Y + C->Height()};
}
}  // namespace

namespace dock_detail {

TWinControl* SiteAt(TControl* Client, TPoint Screen) {
  // OnGetSiteInfo may free sites (its own too) or make new ones: the sites are
  // walked as they were when the search began, and one no longer registered is
  // passed over, before its handler and after.
  auto registered = [](TWinControl* Site) {
    return std::find(g_DockSites.begin(), g_DockSites.end(), Site) != g_DockSites.end();
  };
  const std::vector<TWinControl*> sites = g_DockSites;
  std::vector<std::pair<TWinControl*, int64_t>> offers;
  for (TWinControl* site : sites) {
    if (!registered(site)) continue;
    if (!site->DockSite() || !site->HandleAllocated() || !site->IsVisibleOnScreen() || !site->Enabled()) continue;
    if (dynamic_cast<TCustomDockForm*>(site)) continue;
    bool inside = false;
    for (TControl* c = site; c && !inside; c = c->Parent()) inside = c == Client;
    if (inside) continue;
    TRect influence;
    bool canDock = true;
    site->GetSiteInfo(Client, influence, Screen, canDock);
    if (!registered(site) || !canDock || !influence.Contains(Screen)) continue;
    offers.emplace_back(site, static_cast<int64_t>(influence.Width()) * influence.Height());
  }
  TWinControl* best = nullptr;
  int64_t bestArea = 0;
  for (const auto& [site, area] : offers) {
    if (!registered(site)) continue;
    if (!best || area < bestArea) {
      best = site;
      bestArea = area;
    }
  }
  return best;
}

void ControlDestroyed(TControl* Control) {
  TDockWatch::Destroyed(Control);
  if (auto* w = dynamic_cast<TWinControl*>(Control)) RegisterSite(w, false);
}

}  // namespace dock_detail

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
  TDockWatch watch(this, NewDockSite);
  if (!DoDock(NewDockSite, DropControl, ControlSide)) return false;
  if (NewDockSite->OnDockDrop) NewDockSite->OnDockDrop(NewDockSite, this, FLeft, FTop);
  if (!watch.Alive(this)) return true;  // docked, then freed by the drop handler
  if (OnEndDock) OnEndDock(this, watch.Alive(NewDockSite) ? NewDockSite : nullptr, FLeft, FTop);
  return true;
}

bool TControl::DoDock(TWinControl* Site, TControl* DropControl, TAlign Side) {
  if (!Site || !Site->DockSite() || Site == this) return false;
  // The size it floats at again is the one it had before a managed site took it.
  if (!FHostDockSite || Floating()) {
    FUndockWidth = FWidth;
    FUndockHeight = FHeight;
  }
  if (FHostDockSite) {
    TDockWatch watch(this, Site, DropControl);
    if (!DoUnDock(Site) || !watch.Alive(this) || !watch.Alive(Site)) return false;
    if (!watch.Alive(DropControl)) DropControl = nullptr;
  }
  TDockTree* tree = Site->UseDockManager() ? Site->DockManager() : nullptr;
  if (tree) SetAlign(alNone);  // the dock manager places it, not the site's alignment
  SetParent(Site);
  FHostDockSite = Site;
  Site->FDockClients.push_back(this);
  if (tree) tree->InsertControl(this, Side, DropControl);
  return true;
}

// Leaves the host after asking its OnUnDock; a floating window left empty goes.
// A handler that frees the control, its host or the site it is going to refuses
// the move: nothing more is done with what it freed.
bool TControl::DoUnDock(TWinControl* NewTarget) {
  TWinControl* site = FHostDockSite;
  if (!site) return true;
  bool allow = true;
  if (site->OnUnDock) {
    TDockWatch watch(this, site, NewTarget);
    site->OnUnDock(site, this, NewTarget, allow);
    if (!watch.Alive(this) || !watch.Alive(site) || (NewTarget && !watch.Alive(NewTarget))) return false;
  }
  if (!allow || FHostDockSite != site) return false;
  FHostDockSite = nullptr;
  site->FDockClients.erase(std::remove(site->FDockClients.begin(), site->FDockClients.end(), this),
                           site->FDockClients.end());
  if (TDockTree* tree = site->DockManager()) tree->RemoveControl(this);
  ReleaseEmptyFloatingWindow(site);
  return true;
}

bool TControl::ManualFloat() {
  if (!DoUnDock(nullptr)) return false;
  SetParent(nullptr);
  return true;
}

bool TControl::ManualFloat(const TRect& ScreenPos) {
  if (Floating()) {  // its window moves: the control's top-left corner goes to ScreenPos
    TWinControl* host = FHostDockSite;
    TPoint now = ClientToScreen(TPoint{0, 0});
    host->SetBounds(host->Left() + ScreenPos.Left - now.X, host->Top() + ScreenPos.Top - now.Y, host->Width(),
                    host->Height());
    return true;
  }
  if (!FHostDockSite) {
    FUndockWidth = FWidth;
    FUndockHeight = FHeight;
  }
  if (!DoUnDock(nullptr)) return false;
  TWinControl* host = CreateFloatingDockSite(ScreenPos);
  SetAlign(alClient);
  SetParent(host);
  FHostDockSite = host;
  host->FDockClients.push_back(this);
  host->SetText(Caption());
  host->SetVisible(true);
  return true;
}

bool TControl::Floating() const { return dynamic_cast<TCustomDockForm*>(FHostDockSite) != nullptr; }

TWinControl* TControl::CreateFloatingDockSite(const TRect& Bounds) {
  auto* host = new TCustomDockForm(Application);
  host->SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
  host->SetClientSize(Bounds.Width(), Bounds.Height());
  // The caption and borders go above and around: the client area lands on Bounds.
  TPoint origin = host->ClientOrigin();
  host->SetBounds(host->Left() + Bounds.Left - origin.X, host->Top() + Bounds.Top - origin.Y, host->Width(),
                  host->Height());
  return host;
}

// ---------------------------------------------------------------------------
// TWinControl: dock sites, AutoSize, scaling
// ---------------------------------------------------------------------------

void TWinControl::SetDockSite(bool Value) {
  if (FDockSite == Value) return;
  FDockSite = Value;
  RegisterSite(this, Value && !ComponentState().Contains(csDestroying));
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

void TWinControl::GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos, bool& CanDock) {
  CanDock = true;
  InfluenceRect = ScreenBounds(this);
  InfluenceRect.Left -= 10;
  InfluenceRect.Top -= 10;
  InfluenceRect.Right += 10;
  InfluenceRect.Bottom += 10;
  if (OnGetSiteInfo) OnGetSiteInfo(this, Client, InfluenceRect, MousePos, CanDock);
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
  ReleaseEmptyFloatingWindow(this);
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
  if (FCloseDown == Control) FCloseDown = nullptr;
  FControls.erase(std::remove(FControls.begin(), FControls.end(), Control), FControls.end());
  ResetBounds(true);
}

int TDockTree::VisibleCount() const {
  return static_cast<int>(std::count_if(FControls.begin(), FControls.end(), [](TControl* c) { return c->Visible(); }));
}

TRect TDockTree::TileRect(int Index, int Count) {
  TRect client = FDockSite->GetClientRect();
  FDockSite->AdjustClientRect(client);
  if (Count <= 0) return client;
  bool across = FDockSite->Align() == alTop || FDockSite->Align() == alBottom;
  TRect z = client;
  if (across) {
    int w = client.Width();
    z.Left = client.Left + w * Index / Count;
    z.Right = client.Left + w * (Index + 1) / Count;
  } else {
    int h = client.Height();
    z.Top = client.Top + h * Index / Count;
    z.Bottom = client.Top + h * (Index + 1) / Count;
  }
  return z;
}

// Hidden controls (closed with their close button) give their room to the others.
TRect TDockTree::ZoneRect(TControl* Control) {
  if (!Control->Visible()) return {};
  int index = 0;
  for (TControl* c : FControls) {
    if (c == Control) return TileRect(index, VisibleCount());
    if (c->Visible()) ++index;
  }
  return {};
}

void TDockTree::PositionDockRect(TControl* Client, TRect& DockRect) {
  bool here = std::find(FControls.begin(), FControls.end(), Client) != FControls.end();
  TRect zone = here && Client->Visible() ? ZoneRect(Client) : TileRect(VisibleCount(), VisibleCount() + 1);
  TPoint tl = FDockSite->ClientToScreen(TPoint{zone.Left, zone.Top});
  DockRect = {tl.X, tl.Y, tl.X + zone.Width(), tl.Y + zone.Height()};
}

TRect TDockTree::CloseButtonRect(TControl*, const TRect&) { return {}; }

TControl* TDockTree::HitTest(TPoint MousePos, int& HTFlag) {
  HTFlag = HTNOWHERE;
  for (TControl* c : FControls) {
    if (!c->Visible()) continue;
    TRect zone = ZoneRect(c), inner = zone;
    AdjustDockRect(c, inner);
    if (!zone.Contains(MousePos) || inner.Contains(MousePos)) continue;
    HTFlag = CloseButtonRect(c, zone).Contains(MousePos) ? HTCLOSE : HTCAPTION;
    return c;
  }
  return nullptr;
}

bool TDockTree::MouseMessage(TMessage& M) {
  TPoint p = TWMMouse(M).Pos();
  int hit = HTNOWHERE;
  switch (M.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      TControl* c = HitTest(p, hit);
      if (!c) return false;
      if (hit == HTCLOSE) {
        FCloseDown = c;
        SetCaptureControl(FDockSite);
      } else {
        // The control's drag waits for the threshold; the pointer is its own meanwhile.
        c->BeginDrag(false);
        if (c->Dragging()) SetCaptureControl(c);
      }
      return true;
    }
    case WM_LBUTTONUP: {
      if (!FCloseDown) return false;
      TControl* c = FCloseDown;
      FCloseDown = nullptr;
      if (GetCaptureControl() == FDockSite) SetCaptureControl(nullptr);
      if (HitTest(p, hit) == c && hit == HTCLOSE) c->SetVisible(false);
      return true;
    }
    case WM_MOUSEMOVE:
      return FCloseDown != nullptr;
    default:
      return false;
  }
}

void TDockTree::ResetBounds(bool) {
  if (FResetting) return;
  FResetting = true;
  struct TReset {
    bool& F;
    ~TReset() { F = false; }
  } reset{FResetting};
  for (TControl* c : FControls) {
    if (!c->Visible()) continue;
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

// ---------------------------------------------------------------------------
// TCustomDockForm
// ---------------------------------------------------------------------------

const TClassInfo& TCustomDockForm::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TCustomDockForm>("TCustomDockForm", &inherited::StaticClass()).Build();
  return info;
}

TCustomDockForm::TCustomDockForm(TComponent* AOwner) : TCustomForm(AOwner) {
  SetBorderStyle(bsSizeToolWin);
  SetFormStyle(fsStayOnTop);
  SetDragKind(dkDock);
  SetUseDockManager(false);
  SetDockSite(true);
}

// Its control fills the client area.
void TCustomDockForm::AlignControls(TControl* AControl, TRect& Rect) {
  TCustomForm::AlignControls(AControl, Rect);
  TRect client = GetClientRect();
  for (int i = 0; i < DockClientCount(); ++i)
    if (TControl* c = DockClients(i); c->Visible() && c->BoundsRect() != client)
      c->SetBounds(client.Left, client.Top, client.Width(), client.Height());
}
