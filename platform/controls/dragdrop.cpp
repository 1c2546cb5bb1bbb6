// The drag manager (see dragdrop.h).
#include "platform/controls/dragdrop.h"

#include <cstdlib>

#include "platform/controls/backend.h"
#include "platform/controls/docking.h"
#include "platform/controls/forms.h"
#include "platform/controls/winmsg.h"

namespace {

struct TDragRecord {
  TControl* Source = nullptr;
  TControl* Target = nullptr;  // the control under the pointer that was asked
  bool Accepted = false;
  bool Active = false;
  bool Ending = false;
  int Threshold = DefaultDragThreshold;
  TPoint Start;  // screen point of the press
  TCursor SavedCursor = crDefault;
  // Dragging to dock: the site under the pointer and its answer, the frame shown,
  // and where the source's top-left corner was against the press.
  bool Dock = false;
  TWinControl* Site = nullptr;
  bool SiteAccepted = false;
  TRect Frame;
  TPoint Grab;
} g_Drag;

TPoint TargetPoint(TControl* Target, TPoint Screen) { return Target->ScreenToClient(Screen); }

// Asks Target whether it takes the source; the answer only counts for dsDragEnter
// and dsDragMove.
bool AskTarget(TControl* Target, TPoint Screen, TDragState State) {
  bool accept = static_cast<bool>(Target->OnDragOver);
  TPoint p = TargetPoint(Target, Screen);
  if (Target->OnDragOver) Target->OnDragOver(Target, g_Drag.Source, p.X, p.Y, State, accept);
  return accept;
}

void ShowCursor(TCursor Value) {
  if (Screen) Screen->SetCursor(Value);
}

void Activate() {
  TControl* source = g_Drag.Source;
  // The source's own press ends here (it sees a release outside itself, so no click).
  source->Perform(WM_CANCELMODE, 0, 0);
  if (g_Drag.Source != source) return;  // its handler cancelled the drag
  SetCaptureControl(source);
  g_Drag.Active = true;
  g_Drag.SavedCursor = Screen ? Screen->Cursor() : crDefault;
  TObject* object = nullptr;
  if (g_Drag.Dock) {
    if (source->OnStartDock) source->OnStartDock(source, object);
  } else if (source->OnStartDrag) {
    source->OnStartDrag(source, object);
  }
}

// ---------------------------------------------------------------------------
// Dragging to dock
// ---------------------------------------------------------------------------

void ShowFrame(const TRect& R, int Width) {
  if (R == g_Drag.Frame) return;
  g_Drag.Frame = R;
  Backend().ShowDragFrame(R, Width);
}

bool AskSite(TWinControl* Site, TPoint Screen, TDragState State) {
  bool accept = true;
  TPoint p = Site->ScreenToClient(Screen);
  if (Site->OnDockOver) Site->OnDockOver(Site, g_Drag.Source, p.X, p.Y, State, accept);
  return accept;
}

// Where the source floats when dropped here: at its undocked size, the grabbed
// point under the pointer.
TRect FloatRect(TPoint Screen) {
  TControl* s = g_Drag.Source;
  TPoint tl{Screen.X + g_Drag.Grab.X, Screen.Y + g_Drag.Grab.Y};
  int w = s->Floating() ? s->Width() : s->UndockWidth(), h = s->Floating() ? s->Height() : s->UndockHeight();
  return {tl.X, tl.Y, tl.X + w, tl.Y + h};
}

void DockMoveTo(TPoint Screen) {
  TWinControl* now = dock_detail::SiteAt(g_Drag.Source, Screen);
  if (!g_Drag.Source) return;  // a site's OnGetSiteInfo freed the source
  if (now != g_Drag.Site) {
    TWinControl* old = g_Drag.Site;
    g_Drag.Site = now;
    g_Drag.SiteAccepted = false;
    if (old) AskSite(old, Screen, dsDragLeave);
    if (!g_Drag.Source) return;  // a handler cancelled the drag
    if (now && g_Drag.Site == now) g_Drag.SiteAccepted = AskSite(now, Screen, dsDragEnter);
  } else if (now) {
    g_Drag.SiteAccepted = AskSite(now, Screen, dsDragMove);
  }
  if (!g_Drag.Source) return;
  // A site without a dock manager takes the source where it is dropped, as it floats.
  TWinControl* site = g_Drag.SiteAccepted ? g_Drag.Site : nullptr;
  TRect r = FloatRect(Screen);
  if (site && site->UseDockManager() && site->DockManager()) site->DockManager()->PositionDockRect(g_Drag.Source, r);
  ShowFrame(r, site ? DockFrameWidth : FloatFrameWidth);
}

}  // namespace

// The drag manager docks and floats the source through the control's own steps.
struct TDockDrag {
  static bool Dock(TControl* Source, TWinControl* Site) { return Source->DoDock(Site, nullptr, alNone); }
};

namespace {

// Ends a drag to dock (see Finish): docks on the accepting site, or floats.
void FinishDock(bool Drop, TPoint Screen) {
  TControl* source = g_Drag.Source;
  TWinControl* site = g_Drag.SiteAccepted ? g_Drag.Site : nullptr;
  TRect floatAt = FloatRect(Screen);
  ShowFrame({}, 0);
  if (!Drop) {
    if (g_Drag.Site) AskSite(g_Drag.Site, Screen, dsDragLeave);
  } else if (site) {
    if (TDockDrag::Dock(source, site)) {
      if (!site->UseDockManager() || !site->DockManager()) {
        TPoint tl = site->ScreenToClient(TPoint{floatAt.Left, floatAt.Top});
        source->SetBounds(tl.X, tl.Y, floatAt.Width(), floatAt.Height());
      }
      TPoint at = site->ScreenToClient(Screen);
      if (site->OnDockDrop) site->OnDockDrop(site, source, at.X, at.Y);
      // The drop handler may have freed the site (g_Drag.Site is cleared then).
      if (g_Drag.Source && source->OnEndDock)
        source->OnEndDock(source, g_Drag.Site == site ? site : nullptr, at.X, at.Y);
      return;
    }
  } else if (source->ManualFloat(floatAt)) {
    if (g_Drag.Source && source->OnEndDock)
      source->OnEndDock(source, source->HostDockSite(), floatAt.Left, floatAt.Top);
    return;
  }
  if (g_Drag.Source && source->OnEndDock) source->OnEndDock(source, nullptr, 0, 0);
}

void MoveTo(TPoint Screen) {
  if (!g_Drag.Active || g_Drag.Ending) return;
  if (g_Drag.Dock) {
    DockMoveTo(Screen);
    return;
  }
  TControl* now = FindDragTarget(Screen, false);
  if (now != g_Drag.Target) {
    TControl* old = g_Drag.Target;
    g_Drag.Target = now;
    g_Drag.Accepted = false;
    if (old) AskTarget(old, Screen, dsDragLeave);
    if (!g_Drag.Source) return;  // a handler cancelled the drag
    if (now && g_Drag.Target == now) g_Drag.Accepted = AskTarget(now, Screen, dsDragEnter);
  } else if (now) {
    g_Drag.Accepted = AskTarget(now, Screen, dsDragMove);
  }
  if (!g_Drag.Source) return;
  ShowCursor(g_Drag.Accepted && g_Drag.Target ? g_Drag.Source->DragCursor() : crNoDrop);
}

// Ends the drag: Drop drops on an accepting target. The state stays in g_Drag
// (Ending) while the handlers run, so a control they free is cleared from it.
void Finish(bool Drop, TPoint Screen) {
  if (!g_Drag.Source || g_Drag.Ending) return;
  if (!g_Drag.Active) {
    g_Drag = TDragRecord{};
    return;
  }
  g_Drag.Ending = true;
  ShowCursor(g_Drag.SavedCursor);
  if (GetCaptureControl() == g_Drag.Source) SetCaptureControl(nullptr);
  if (g_Drag.Dock) {
    FinishDock(Drop, Screen);
    g_Drag = TDragRecord{};
    return;
  }
  TControl* dropped = nullptr;
  TPoint at{0, 0};
  if (TControl* target = g_Drag.Target) {
    at = TargetPoint(target, Screen);
    if (Drop && g_Drag.Accepted) {
      dropped = target;
      if (target->OnDragDrop) target->OnDragDrop(target, g_Drag.Source, at.X, at.Y);
      if (g_Drag.Target != target) dropped = nullptr;  // freed by its own drop handler
    } else {
      AskTarget(target, Screen, dsDragLeave);
    }
  }
  if (TControl* source = g_Drag.Source; source && source->OnEndDrag) {
    if (!dropped) at = TPoint{0, 0};
    source->OnEndDrag(source, dropped, at.X, at.Y);
  }
  g_Drag = TDragRecord{};
}

TPoint CursorScreenPos() {
  TPoint p{0, 0};
  GetCursorPos(&p);
  return p;
}

}  // namespace

TControl* DragSource() { return g_Drag.Source; }
bool DragActive() { return g_Drag.Active; }
void CancelDrag() { Finish(false, CursorScreenPos()); }

TRect DockDragRect(TWinControl** Site) {
  if (Site) *Site = g_Drag.SiteAccepted && !g_Drag.Frame.IsEmpty() ? g_Drag.Site : nullptr;
  return g_Drag.Frame;
}

void TControl::BeginDrag(bool Immediate, int Threshold) {
  if (ComponentState().Contains(csDesigning) || g_Drag.Source) return;
  g_Drag = TDragRecord{};
  g_Drag.Source = this;
  g_Drag.Threshold = Threshold < 0 ? DefaultDragThreshold : Threshold;
  g_Drag.Start = CursorScreenPos();
  g_Drag.Dock = FDragKind == dkDock;
  if (g_Drag.Dock) {
    TPoint tl = ClientToScreen(TPoint{0, 0});
    g_Drag.Grab = {tl.X - g_Drag.Start.X, tl.Y - g_Drag.Start.Y};
  }
  if (Immediate) {
    Activate();
    if (g_Drag.Source == this) MoveTo(g_Drag.Start);
  }
}

bool TControl::Dragging() const { return g_Drag.Source == this; }

void TControl::EndDrag(bool Drop) {
  if (g_Drag.Source == this) Finish(Drop, CursorScreenPos());
}

namespace drag_detail {

bool FilterMessage(TControl* Control, TMessage& M) {
  if (!g_Drag.Source || g_Drag.Ending) return false;
  TControl* source = g_Drag.Source;
  // A graphic source hears capture changes through its parent's window.
  TControl* window = source;
  while (window && !dynamic_cast<TWinControl*>(window)) window = window->Parent();
  if (M.Msg == WM_CAPTURECHANGED || M.Msg == WM_CANCELMODE) {
    if (g_Drag.Active && (Control == window || Control == source)) Finish(false, CursorScreenPos());
    return false;
  }
  if (Control != source) return false;
  if (M.Msg == WM_MOUSEMOVE) {
    TPoint screen = source->ClientToScreen(TWMMouse(M).Pos());
    if (!g_Drag.Active) {
      if (std::abs(screen.X - g_Drag.Start.X) < g_Drag.Threshold &&
          std::abs(screen.Y - g_Drag.Start.Y) < g_Drag.Threshold)
        return false;  // still the control's own press
      Activate();
      if (g_Drag.Source != source) return true;
    }
    MoveTo(screen);
    return true;
  }
  if (M.Msg == WM_LBUTTONUP) {
    if (!g_Drag.Active) {
      g_Drag = TDragRecord{};  // released before the threshold: an ordinary click
      return false;
    }
    Finish(true, source->ClientToScreen(TWMMouse(M).Pos()));
    return true;
  }
  if (g_Drag.Active && M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST) return true;
  return false;
}

TControl* g_Pressed = nullptr;  // the control in BeforeLeftPress .. AfterLeftPress

bool BeforeLeftPress(TControl* Control) {
  if (g_Drag.Source || Control->ComponentState().Contains(csDesigning)) return false;
  g_Pressed = Control;
  return true;
}

void AfterLeftPress() {
  TControl* c = g_Pressed;
  g_Pressed = nullptr;
  if (c && c->DragMode() == dmAutomatic && !g_Drag.Source && !c->ComponentState().Contains(csDestroying))
    c->BeginDrag(false);
}

bool KeyDown(WORD VKey) {
  if (VKey != VK_ESCAPE || !g_Drag.Source) return false;
  bool active = g_Drag.Active;
  CancelDrag();
  return active;
}

void ControlDestroyed(TControl* Control) {
  if (g_Pressed == Control) g_Pressed = nullptr;
  dock_detail::ControlDestroyed(Control);
  if (!g_Drag.Source) return;
  if (g_Drag.Site == Control) {
    g_Drag.Site = nullptr;
    g_Drag.SiteAccepted = false;
  }
  if (g_Drag.Target == Control) {
    g_Drag.Target = nullptr;
    g_Drag.Accepted = false;
  }
  if (g_Drag.Source == Control) {
    if (g_Drag.Ending) {
      g_Drag.Source = nullptr;  // Finish is running: it skips OnEndDrag
      return;
    }
    bool active = g_Drag.Active;
    TCursor saved = g_Drag.SavedCursor;
    if (!g_Drag.Frame.IsEmpty()) Backend().ShowDragFrame({}, 0);
    g_Drag = TDragRecord{};
    if (active) ShowCursor(saved);
  }
}

}  // namespace drag_detail
