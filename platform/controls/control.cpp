// TControl: bounds, alignment, visibility, fonts and colours, mouse messages and
// the published properties every control class draws from.
#include "platform/controls/controls.h"

#include <algorithm>
#include <cstring>

#include "platform/controls/controls_internal.h"
#include "platform/controls/textreply.h"
#include "platform/controls/docking.h"
#include "platform/controls/dragdrop.h"
#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

using controls_detail::g_CaptureControl;

namespace {

// Properties every control class has but only descendants publish.
const std::vector<TPropInfo>& ControlCatalogue() {
  static const std::vector<TPropInfo> props = [] {
    using C = TControl;
    using W = TWinControl;
    TClassInfo c =
        TClassBuilder<C>("TControl", nullptr)
            .Enum<TAlign>("Align", &C::Align, &C::SetAlign, alNone)
            .Set<TAnchorKind>("Anchors", &C::Anchors, &C::SetAnchors, TAnchors{akLeft, akTop})
            .Implied([](C* x) { return static_cast<int64_t>(TControl::AnchorsFor(x->Align()).ToInt()); })
            .Str("Caption", [](C* x) { return x->Caption(); }, [](C* x, const std::string& v) { x->SetCaption(v); })
            .Str("Text", [](C* x) { return x->Text(); }, [](C* x, const std::string& v) { x->SetText(v); })
            .Int("Color", &C::Color, &C::SetColor, clWindow, [](C* x) { return !x->ParentColor(); }, &ColorIdents())
            .Bool("Enabled", &C::Enabled, &C::SetEnabled, true)
            .Object<TFont>("Font", &C::Font, &C::SetFont, [](C* x) { return !x->ParentFont(); })
            .Bool("ParentColor", &C::ParentColor, &C::SetParentColor, true)
            .Bool("ParentFont", &C::ParentFont, &C::SetParentFont, true)
            .Bool("ParentShowHint", &C::ParentShowHint, &C::SetParentShowHint, true)
            .Enum<TBiDiMode>("BiDiMode", &C::BiDiMode, &C::SetBiDiMode, std::nullopt,
                             [](C* x) { return !x->ParentBiDiMode(); })
            .Bool("ParentBiDiMode", &C::ParentBiDiMode, &C::SetParentBiDiMode, true)
            .Object<TPopupMenu>("PopupMenu", &C::PopupMenu, &C::SetPopupMenu)
            .Bool("ShowHint", &C::ShowHint, &C::SetShowHint, std::nullopt, [](C* x) { return !x->ParentShowHint(); })
            .Bool("Visible", &C::Visible, &C::SetVisible, true)
            .Int("ClientWidth", [](C* x) { return x->ClientWidth(); }, [](C* x, int64_t v) { x->SetClientWidth(static_cast<int>(v)); },
                 std::nullopt, [](C*) { return false; })
            .Int("ClientHeight", [](C* x) { return x->ClientHeight(); }, [](C* x, int64_t v) { x->SetClientHeight(static_cast<int>(v)); },
                 std::nullopt, [](C*) { return false; })
            .Event("OnClick", &C::OnClick)
            .Event("OnDblClick", &C::OnDblClick)
            .Event("OnMouseDown", &C::OnMouseDown)
            .Event("OnMouseMove", &C::OnMouseMove)
            .Event("OnMouseUp", &C::OnMouseUp)
            .Event("OnResize", &C::OnResize)
            .Event("OnContextPopup", &C::OnContextPopup)
            // Sizing, dragging and docking (docking.h).
            .Bool("AutoSize", &C::AutoSize, &C::SetAutoSize, false)
            .Object<TSizeConstraints>("Constraints", &C::Constraints, &C::SetConstraints)
            .Enum<TDragKind>("DragKind", &C::DragKind, &C::SetDragKind, dkDrag)
            .Int("DragCursor", &C::DragCursor, [](C* x, int64_t v) { x->SetDragCursor(static_cast<TCursor>(v)); }, crDrag,
                 {}, &CursorIdents())
            .Enum<TDragMode>("DragMode", &C::DragMode, &C::SetDragMode, dmManual)
            .Event("OnCanResize", &C::OnCanResize)
            .Event("OnConstrainedResize", &C::OnConstrainedResize)
            .Event("OnDragDrop", &C::OnDragDrop)
            .Event("OnDragOver", &C::OnDragOver)
            .Event("OnEndDock", &C::OnEndDock)
            .Event("OnEndDrag", &C::OnEndDrag)
            .Event("OnStartDock", &C::OnStartDock)
            .Event("OnStartDrag", &C::OnStartDrag)
            .Build();
    TClassInfo w =
        TClassBuilder<W>("TWinControl", nullptr)
            .Int("TabOrder", &W::TabOrder, [](W* x, int64_t v) { x->SetTabOrder(static_cast<int>(v)); }, -1)
            .Bool("TabStop", &W::TabStop, &W::SetTabStop, false)
            .Bool("Ctl3D", &W::Ctl3D, &W::SetCtl3D, std::nullopt, [](W* x) { return !x->ParentCtl3D(); })
            .Bool("ParentCtl3D", &W::ParentCtl3D, &W::SetParentCtl3D, true)
            .Implied([](W* x) -> std::optional<int64_t> {
              std::optional<bool> v = x->ImpliedParentCtl3D();
              return v ? std::optional<int64_t>(*v) : std::nullopt;
            })
            .Int("BorderWidth", &W::BorderWidth, [](W* x, int64_t v) { x->SetBorderWidth(static_cast<int>(v)); }, 0)
            .Event("OnEnter", &W::OnEnter)
            .Event("OnExit", &W::OnExit)
            .Event("OnKeyDown", &W::OnKeyDown)
            .Event("OnKeyPress", &W::OnKeyPress)
            .Event("OnKeyUp", &W::OnKeyUp)
            .Event("OnMouseWheel", &W::OnMouseWheel)
            .Event("OnMouseWheelDown", &W::OnMouseWheelDown)
            .Event("OnMouseWheelUp", &W::OnMouseWheelUp)
            .Enum<TImeMode>("ImeMode", &W::ImeMode, &W::SetImeMode, imDontCare)
            .Str("ImeName", &W::ImeName, &W::SetImeName)
            .Bool("DockSite", &W::DockSite, &W::SetDockSite, false)
            .Bool("UseDockManager", &W::UseDockManager, &W::SetUseDockManager, false)
            .Event("OnDockDrop", &W::OnDockDrop)
            .Event("OnDockOver", &W::OnDockOver)
            .Event("OnGetSiteInfo", &W::OnGetSiteInfo)
            .Event("OnUnDock", &W::OnUnDock)
            .Build();
    std::vector<TPropInfo> all = c.Props;
    all.insert(all.end(), w.Props.begin(), w.Props.end());
    return all;
  }();
  return props;
}

}  // namespace

const TPropInfo& TControl::Property(const std::string& Name) {
  for (const TPropInfo& p : ControlCatalogue())
    if (SameText(p.Name, Name)) return p;
  throw EPropertyError("Unknown control property: " + Name);
}

TPropInfo TControl::Property(const std::string& Name, std::optional<int64_t> Default) {
  TPropInfo p = Property(Name);
  p.Default = Default;
  return p;
}

const TClassInfo& TControl::StaticClass() {
  using C = TControl;
  static const TClassInfo info =
      TClassBuilder<C>("TControl", &inherited::StaticClass())
          .Int("Left", &C::Left, [](C* x, int64_t v) { x->SetLeft(static_cast<int>(v)); }, std::nullopt)
          .Int("Top", &C::Top, [](C* x, int64_t v) { x->SetTop(static_cast<int>(v)); }, std::nullopt)
          .Int("Width", &C::Width, [](C* x, int64_t v) { x->SetWidth(static_cast<int>(v)); }, std::nullopt)
          .Int("Height", &C::Height, [](C* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, std::nullopt)
          .Int("Cursor", &C::Cursor, [](C* x, int64_t v) { x->SetCursor(static_cast<TCursor>(v)); }, crDefault, {},
               &CursorIdents())
          .Str("Hint", &C::Hint, &C::SetHint)
          .Int("HelpContext", &C::HelpContext, [](C* x, int64_t v) { x->SetHelpContext(static_cast<int>(v)); }, 0)
          .Build();
  return info;
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  WindowProc = [this](TMessage& M) { WndProc(M); };
  FFont = new TFont;
  FFont->OnChange = [this](TObject* S) { FontOnChange(S); };
}

TControl::~TControl() {
  if (g_CaptureControl == this) g_CaptureControl = nullptr;
  delete FFont;
}

void TControl::BeforeDestruction() {
  TComponent::BeforeDestruction();
  ControlDestroyed(this);
  if (g_CaptureControl == this) {
    g_CaptureControl = nullptr;
    ReleaseCapture();
  }
  if (FParent) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) {
    AParent->InsertControl(this);
    if (!ComponentState().Contains(csLoading)) {
      Perform(CM_PARENTCOLORCHANGED, 0, 0);
      Perform(CM_PARENTFONTCHANGED, 0, 0);
      Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
      Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
      Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    }
  }
}

TComponent* TControl::GetParentComponent() { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::ReadState(TReader* Reader) {
  {
    FControlState << csReadingState;
    TOnExit read([&] { FControlState >> csReadingState; });
    TComponent::ReadState(Reader);
  }
  if (FParent) {
    Perform(CM_PARENTCOLORCHANGED, 0, 0);
    Perform(CM_PARENTFONTCHANGED, 0, 0);
    Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    Perform(CM_PARENTCTL3DCHANGED, 0, 0);
  }
}

void TControl::Loaded() {
  TComponent::Loaded();
  FAnchorsRead = false;
  UpdateAnchorRules();
  if (FParent) RequestAlign();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (!CanResize(AWidth, AHeight)) {
    AWidth = FWidth;
    AHeight = FHeight;
  }
  ApplyConstraints(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  InvalidateControl(FVisible, false);
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  UpdateAnchorRules();
  Invalidate();
  Perform(WM_WINDOWPOSCHANGED, 0, 0);
  RequestAlign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

TRect TControl::GetClientRect() { return {0, 0, FWidth, FHeight}; }

void TControl::SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
void TControl::SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }

void TControl::SetClientSize(int AWidth, int AHeight) {
  TRect c = GetClientRect();
  SetBounds(FLeft, FTop, FWidth - c.Right + AWidth, FHeight - c.Bottom + AHeight);
}

TPoint TControl::ClientOrigin() {
  if (!FParent) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  TPoint p = FParent->ClientOrigin();
  return {p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToScreen(TPoint P) {
  TPoint o = ClientOrigin();
  return {P.X + o.X, P.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint P) {
  TPoint o = ClientOrigin();
  return {P.X - o.X, P.Y - o.Y};
}

TAnchors TControl::AnchorsFor(TAlign Value) {
  switch (Value) {
    case alTop: return {akLeft, akTop, akRight};
    case alBottom: return {akLeft, akRight, akBottom};
    case alLeft: return {akLeft, akTop, akBottom};
    case alRight: return {akRight, akTop, akBottom};
    case alClient: return {akLeft, akTop, akRight, akBottom};
    default: return {akLeft, akTop};
  }
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  TAlign old = FAlign;
  FAlign = Value;
  // A stream that holds the anchors keeps them, whichever line comes first.
  if (!FAnchorsRead) FAnchors = AnchorsFor(Value);
  if (old != alNone && Value == alNone && FParent) UpdateAnchorRules();
  RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
  if (ComponentState().Contains(csReading)) FAnchorsRead = true;
  if (FAnchors == Value) return;
  FAnchors = Value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (FAnchorMove || ComponentState().Contains(csLoading)) return;
  if (FAnchors == TAnchors{akLeft, akTop}) {
    FOriginalParentSize = {0, 0};
    return;
  }
  if (FAnchors.Contains(akRight)) FAnchorRules.X = FAnchors.Contains(akLeft) ? FWidth : FLeft;
  else FAnchorRules.X = FLeft + FWidth / 2;
  if (FAnchors.Contains(akBottom)) FAnchorRules.Y = FAnchors.Contains(akTop) ? FHeight : FTop;
  else FAnchorRules.Y = FTop + FHeight / 2;
  if (FParent) {
    TRect c = FParent->GetClientRect();
    FOriginalParentSize = {c.Right, c.Bottom};
  }
}

// A control being read is aligned once it is loaded (Loaded asks again), when its
// Visible is known: aligned while Visible still holds its starting value, a control
// read hidden would come back with the bounds of a shown one.
void TControl::RequestAlign() {
  if (FParent && !ComponentState().Contains(csLoading)) FParent->AlignControl(this);
}

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  VisibleChanging();
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  RequestAlign();
  // A docked control hidden or shown again gives up or takes back its zone.
  if (FHostDockSite)
    if (TDockTree* tree = FHostDockSite->DockManager()) tree->ResetBounds(true);
}

void TControl::Show() {
  if (FParent) FParent->Show();
  SetVisible(true);
}

void TControl::Hide() { SetVisible(false); }

void TControl::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

bool TControl::IsVisibleOnScreen() { return FVisible && FParent && FParent->IsVisibleOnScreen(); }

void TControl::SetColor(TColor Value) {
  if (FColor == Value) {
    FParentColor = false;
    return;
  }
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::ShowStateColor(TColor Value) {
  bool parent = FParentColor;
  SetColor(Value);
  FParentColor = parent;
}

void TControl::SetParentColor(bool Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetFont(TFont* Value) { FFont->Assign(Value); }

void TControl::FontOnChange(TObject*) { FontChanged(); }

void TControl::FontChanged() {
  FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

std::string TControl::GetText() {
  auto n = static_cast<size_t>(std::max<LRESULT>(0, Perform(WM_GETTEXTLENGTH, 0, 0)));
  std::string s(n + 1, '\0');
  LRESULT got = Perform(WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, static_cast<LRESULT>(n))));
  return s;
}

void TControl::SetText(const std::string& Value) {
  if (GetText() == Value) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
  if (FShowHint == Value && !FParentShowHint) return;
  FShowHint = Value;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  if (FParentShowHint == Value) return;
  FParentShowHint = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode Value) {
  // Setting a mode, even the one it has, ends following the parent (as Color does).
  FParentBiDiMode = false;
  if (FBiDiMode == Value) return;
  FBiDiMode = Value;
  Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool Value) {
  if (FParentBiDiMode == Value) return;
  FParentBiDiMode = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

unsigned TControl::DrawTextBiDiModeFlags(unsigned Flags) const {
  if (UseRightToLeftAlignment()) {
    if ((Flags & DT_RIGHT) == DT_RIGHT) Flags &= ~DT_RIGHT;  // right becomes left
    else if ((Flags & DT_CENTER) != DT_CENTER) Flags |= DT_RIGHT;
  }
  return Flags | DrawTextBiDiModeFlagsReadingOnly();
}

unsigned TControl::DrawTextBiDiModeFlagsReadingOnly() const { return UseRightToLeftReading() ? DT_RTLREADING : 0; }

void ChangeBiDiModeAlignment(TAlignment& Alignment) {
  if (Alignment == taLeftJustify) Alignment = taRightJustify;
  else if (Alignment == taRightJustify) Alignment = taLeftJustify;
}

void TControl::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

bool TControl::MouseCapture() { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (MouseCapture() == Value) return;
  SetCaptureControl(Value ? this : nullptr);
}

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
  if (!FParent || !FParent->HandleAllocated() || !IsVisible) return;
  TRect r = BoundsRect();
  // The area needs its background erased unless something paints all of it anyway:
  // this control as it will be (IsOpaque), a parent that paints its whole face, or
  // an opaque control beneath this one that covers the area. This control's own
  // opaque style does not count: it is hidden, moving away or leaving.
  auto covered = [&] {
    const auto& list = FParent->FControls;
    auto self = std::find(list.begin(), list.end(), this);
    for (auto it = self; it != list.begin();) {
      const TControl* c = *--it;
      if (!c->Visible() || !c->FControlStyle.Contains(csOpaque)) continue;
      TRect both;
      if (IntersectRect(both, r, c->BoundsRect()) && EqualRect(both, r)) return true;
    }
    return false;
  };
  bool erase = !(IsOpaque || FParent->FControlStyle.Contains(csOpaque) || covered());
  InvalidateRect(FParent->Handle(), &r, erase ? TRUE : FALSE);
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  if (FControlStyle.Contains(csOpaque)) {
    // Paints straight onto the parent's window.
    HDC dc = GetDC(FParent->Handle());
    SaveDC(dc);
    IntersectClipRect(dc, FLeft, FTop, FLeft + FWidth, FTop + FHeight);
    FParent->PaintControls(dc, this);
    RestoreDC(dc, -1);
    ReleaseDC(FParent->Handle(), dc);
  } else {
    Invalidate();
    Update();
  }
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it != list.end()) {
    list.erase(it);
    list.push_back(this);
    Invalidate();
  }
}

void TControl::SendToBack() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it != list.end()) {
    list.erase(it);
    list.insert(list.begin(), this);
    Invalidate();
  }
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& M) {
  if (drag_detail::FilterMessage(this, M)) return;
  if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST) {
    if (!FControlStyle.Contains(csDoubleClicks)) {
      if (M.Msg == WM_LBUTTONDBLCLK || M.Msg == WM_RBUTTONDBLCLK || M.Msg == WM_MBUTTONDBLCLK)
        M.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    }
    switch (M.Msg) {
      case WM_MOUSEMOVE:
        if (Application) Application->HintMouseMessage(this, M);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        FControlState << csLButtonDown;
        break;
      case WM_LBUTTONUP:
        FControlState >> csLButtonDown;
        break;
      default:
        break;
    }
  }
  // An automatic drag starts once the control handled its press, unless a handler
  // freed the control meanwhile (the drag manager hears of that).
  bool autoDrag = M.Msg == WM_LBUTTONDOWN && FDragMode == dmAutomatic && drag_detail::BeforeLeftPress(this);
  Dispatch(M);
  if (autoDrag) drag_detail::AfterLeftPress();
}

void TControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(M); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(M); break;
    case WM_LBUTTONUP: WMLButtonUp(M); break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: WMRButtonDown(M); break;
    case WM_RBUTTONUP: WMRButtonUp(M); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: WMMButtonDown(M); break;
    case WM_MBUTTONUP: WMMButtonUp(M); break;
    case WM_MOUSEMOVE: WMMouseMove(M); break;
    case WM_CANCELMODE: WMCancelMode(M); break;
    case WM_CONTEXTMENU: WMContextMenu(M); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(M); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(M); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(M); break;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(M); break;
    case CM_BIDIMODECHANGED:
      if (M.WParam == 0) Invalidate();
      break;
    case CM_MOUSEENTER: case CM_MOUSELEAVE: CMMouseEnterLeave(M); break;
    case CM_HITTEST: M.Result = HTCLIENT; break;
    case CM_VISIBLECHANGED:
      if (!FVisible && MouseCapture()) Perform(WM_CANCELMODE, 0, 0);
      InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque));
      break;
    case CM_ENABLEDCHANGED:
      if (!FEnabled && MouseCapture()) Perform(WM_CANCELMODE, 0, 0);
      Invalidate();
      break;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
      Invalidate();
      break;
    default:
      DefaultHandler(M);
  }
}

void TControl::DefaultHandler(TMessage& M) {
  switch (M.Msg) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      ReplyWindowText(M, FText);
      break;
    case WM_SETTEXT: {
      const char* t = reinterpret_cast<const char*>(M.LParam);
      FText = t ? t : "";
      M.Result = 1;
      break;
    }
    default:
      break;
  }
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::Changed() { Perform(CM_CHANGED, 0, ControlToLParam(this)); }

void TControl::DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Shift) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TWMMouse m(M);
  MouseDown(Button, KeysToShiftState(m.Keys()) + Shift, m.XPos(), m.YPos());
}

void TControl::DoMouseUp(TMessage& M, TMouseButton Button) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TWMMouse m(M);
  MouseUp(Button, KeysToShiftState(m.Keys()), m.XPos(), m.YPos());
}

void TControl::WMLButtonDown(TMessage& M) {
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) FControlState << csClicked;
  DoMouseDown(M, mbLeft, {});
}

void TControl::WMLButtonDblClk(TMessage& M) {
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) DblClick();
  DoMouseDown(M, mbLeft, {ssDouble});
}

void TControl::WMLButtonUp(TMessage& M) {
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (FControlState.Contains(csClicked)) {
    FControlState >> csClicked;
    if (ClientRect().Contains(TWMMouse(M).Pos())) Click();
  }
  DoMouseUp(M, mbLeft);
}

void TControl::WMRButtonDown(TMessage& M) { DoMouseDown(M, mbRight, {}); }

void TControl::WMRButtonUp(TMessage& M) {
  DoMouseUp(M, mbRight);
  if (M.Result == 0) {
    // A right click that nobody took opens the context menu at the pointer.
    TPoint p = ClientToScreen(TWMMouse(M).Pos());
    M.Result = Perform(WM_CONTEXTMENU, 0, PointToLParam(p));
  }
}

void TControl::WMMButtonDown(TMessage& M) { DoMouseDown(M, mbMiddle, {}); }
void TControl::WMMButtonUp(TMessage& M) { DoMouseUp(M, mbMiddle); }

void TControl::WMMouseMove(TMessage& M) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TWMMouse m(M);
  MouseMove(KeysToShiftState(m.Keys()), m.XPos(), m.YPos());
}

void TControl::WMCancelMode(TMessage& M) {
  DefaultHandler(M);
  if (MouseCapture()) {
    SetMouseCapture(false);
    if (FControlState.Contains(csLButtonDown)) Perform(WM_LBUTTONUP, 0, MAKELPARAM(-1, -1));
  } else {
    FControlState >> csLButtonDown;
  }
}

void TControl::WMContextMenu(TMessage& M) {
  if (M.Result != 0) return;
  TPoint screen = LParamToPoint(M.LParam);
  TPoint client = ScreenToClient(screen);
  bool handled = false;
  if (OnContextPopup) OnContextPopup(this, client, handled);
  if (handled) {
    M.Result = 1;
    return;
  }
  if (FPopupMenu && FPopupMenu->AutoPopup()) {
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(screen.X, screen.Y);
    M.Result = 1;
    return;
  }
  // Nobody here: the parent may have a menu.
  if (FParent && !dynamic_cast<TWinControl*>(this)) M.Result = FParent->Perform(WM_CONTEXTMENU, M.WParam, M.LParam);
  else DefaultHandler(M);
}

void TControl::CMParentColorChanged(TMessage& M) {
  if (!FParentColor) return;
  TColor c = M.WParam ? static_cast<TColor>(M.LParam) : (FParent ? FParent->Color() : FColor);
  if (c != FColor) {
    FColor = c;
    Perform(CM_COLORCHANGED, 0, 0);
  }
}

void TControl::CMParentFontChanged(TMessage& M) {
  if (!FParentFont) return;
  TFont* f = M.WParam ? reinterpret_cast<TFont*>(M.LParam) : (FParent ? FParent->Font() : nullptr);
  if (!f) return;
  FFont->Assign(f);  // fires FontChanged, which clears FParentFont
  FParentFont = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (FParentShowHint && FParent) {
    FShowHint = FParent->ShowHint();
    FParentShowHint = true;
  }
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
  if (!FParentBiDiMode) return;
  if (FParent) SetBiDiMode(FParent->BiDiMode());
  FParentBiDiMode = true;
}

void TControl::CMMouseEnterLeave(TMessage& M) {
  // The parent hears about the child the pointer entered or left.
  if (FParent && M.LParam == 0) FParent->Perform(M.Msg, 0, ControlToLParam(this));
  else if (FParent) FParent->Perform(M.Msg, 0, M.LParam);
}
