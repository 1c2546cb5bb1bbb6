// TPageControl and TTabSheet.
#include "platform/stdctrls/comctrls_pages.h"

#include <algorithm>

#include "platform/controls/forms.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/core/typinfo.h"

namespace {

// Tab geometry, in the classic look: the tabs stand on the pane two pixels below
// the top; the chosen tab is two pixels larger on each side and covers the pane's
// top edge; the pages sit two pixels inside the pane's frame.
constexpr int kRowTop = 2;
constexpr int kTabPadding = 6;
constexpr int kPaneInset = 4;

}  // namespace

// ---------------------------------------------------------------------------
// TTabSheet
// ---------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle << csAcceptsControls;
  SetAlign(alClient);
  SetVisible(false);
}

void TTabSheet::BeforeDestruction() {
  if (FPageControl) FPageControl->RemovePage(this);
  inherited::BeforeDestruction();
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (FPageControl == Value) return;
  if (FPageControl) FPageControl->RemovePage(this);
  SetParent(Value);
  if (Value) Value->InsertPage(this);
}

void TTabSheet::SetParentComponent(TComponent* Value) {
  if (auto* pc = dynamic_cast<TPageControl*>(Value)) SetPageControl(pc);
  else inherited::SetParentComponent(Value);
}

int TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  auto& pages = FPageControl->FPages;
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::SetPageIndex(int Value) {
  if (!FPageControl) return;
  auto& pages = FPageControl->FPages;
  int old = PageIndex();
  Value = std::clamp(Value, 0, static_cast<int>(pages.size()) - 1);
  if (old < 0 || old == Value) return;
  pages.erase(pages.begin() + old);
  pages.insert(pages.begin() + Value, this);
  FPageControl->TabsChanged();
}

int TTabSheet::TabIndex() const {
  if (!FPageControl || !FTabVisible) return -1;
  int n = 0;
  for (TTabSheet* p : FPageControl->FPages) {
    if (p == this) return n;
    if (p->FTabVisible) ++n;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
  if (FTabVisible == Value) return;
  FTabVisible = Value;
  if (FPageControl) FPageControl->TabsChanged();
}

void TTabSheet::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  if (FPageControl) FPageControl->TabsChanged();
}

void TTabSheet::DoShow() {
  if (OnShow) OnShow(this);
}

void TTabSheet::DoHide() {
  if (OnHide) OnHide(this);
}

void TTabSheet::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_TEXTCHANGED:
      inherited::Dispatch(M);
      if (FPageControl) FPageControl->TabsChanged();
      break;
    case CM_SHOWINGCHANGED:
      inherited::Dispatch(M);
      if (Showing()) DoShow();
      else DoHide();
      break;
    default:
      inherited::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// TPageControl
// ---------------------------------------------------------------------------

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csAcceptsControls, csDoubleClicks};
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
}

void TPageControl::BeforeDestruction() {
  // The pages go with their owner or with this control; neither tells it back.
  for (TTabSheet* p : FPages) p->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
  inherited::BeforeDestruction();
}

TTabSheet* TPageControl::Pages(int Index) const {
  if (Index < 0 || Index >= PageCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FPages[static_cast<size_t>(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  Page->FPageControl = this;
  Page->SetVisible(false);
  if (!FActivePage && Page->FTabVisible && !ComponentState().Contains(csLoading)) ChangeActivePage(Page);
  TabsChanged();
}

void TPageControl::RemovePage(TTabSheet* Page) {
  TTabSheet* next = nullptr;
  if (Page == FActivePage) {
    next = FindNextPage(Page, true, true);
    if (next == Page) next = nullptr;
  }
  FPages.erase(std::remove(FPages.begin(), FPages.end(), Page), FPages.end());
  Page->FPageControl = nullptr;
  if (Page == FActivePage) {
    FActivePage = nullptr;
    if (!Destroying()) ChangeActivePage(next);
  }
  if (!Destroying()) TabsChanged();
}

std::vector<TTabSheet*> TPageControl::VisibleTabs() const {
  std::vector<TTabSheet*> v;
  for (TTabSheet* p : FPages)
    if (p->FTabVisible) v.push_back(p);
  return v;
}

void TPageControl::ChangeActivePage(TTabSheet* Page) {
  if (FActivePage == Page) return;
  TCustomForm* form = GetParentForm(this);
  // The focus does not stay on a page that goes out of sight.
  bool focusInside = form && FActivePage && form->ActiveControl() && FActivePage->ContainsControl(form->ActiveControl());
  TTabSheet* old = FActivePage;
  FActivePage = Page;
  if (Page) {
    Page->BringToFront();
    Page->SetVisible(true);
  }
  if (old) old->SetVisible(false);
  if (focusInside && CanFocus()) SetFocus();
  Invalidate();
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page && Page->FPageControl != this) return;
  ChangeActivePage(Page);
}

void TPageControl::SetActivePageIndex(int Value) {
  SetActivePage(Value >= 0 && Value < PageCount() ? FPages[static_cast<size_t>(Value)] : nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) {
  int n = PageCount();
  if (n == 0) return nullptr;
  auto it = std::find(FPages.begin(), FPages.end(), CurPage);
  int start = it == FPages.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(it - FPages.begin());
  int i = start;
  do {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TTabSheet* p = FPages[static_cast<size_t>(i)];
    if (!CheckTabVisible || p->FTabVisible) return p;
  } while (i != start);
  return nullptr;
}

bool TPageControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TPageControl::Change() {
  if (OnChange) OnChange(this);
}

void TPageControl::UserSelect(TTabSheet* Page) {
  if (!Page || Page == FActivePage || !CanChange()) return;
  ChangeActivePage(Page);
  Change();
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
  UserSelect(FindNextPage(FActivePage, GoForward, CheckTabVisible));
}

void TPageControl::SetTabHeight(int Value) {
  if (FTabHeight == Value || Value < 0) return;
  FTabHeight = Value;
  TabsChanged();
}

void TPageControl::SetTabWidth(int Value) {
  if (FTabWidth == Value || Value < 0) return;
  FTabWidth = Value;
  TabsChanged();
}

void TPageControl::TabsChanged() {
  Realign();
  Invalidate();
}

int TPageControl::RowHeight() {
  return FTabHeight > 0 ? FTabHeight : TextExtentOf(Font(), "Wg").cy + 5;
}

TRect TPageControl::TabRect(int Index) {
  auto tabs = VisibleTabs();
  if (Index < 0 || Index >= static_cast<int>(tabs.size())) return {};
  int x = kRowTop, h = RowHeight();
  for (int i = 0;; ++i) {
    int w = FTabWidth > 0 ? FTabWidth : TextExtentOf(Font(), StripHotkey(tabs[static_cast<size_t>(i)]->Caption())).cx +
                                            2 * kTabPadding;
    // Right to left the row of tabs starts at the right edge.
    if (i == Index && UseRightToLeftAlignment()) return MirrorRect({x, kRowTop, x + w, kRowTop + h}, Width());
    if (i == Index) return {x, kRowTop, x + w, kRowTop + h};
    x += w;
  }
}

int TPageControl::IndexOfTabAt(int X, int Y) {
  int n = static_cast<int>(VisibleTabs().size());
  // The chosen tab is larger and lies over its neighbours.
  TTabSheet* active = FActivePage;
  int sel = active ? active->TabIndex() : -1;
  if (sel >= 0) {
    TRect r = TabRect(sel);
    InflateRect(r, 2, 0);
    r.Top = 0;
    if (r.Contains({X, Y})) return sel;
  }
  for (int i = 0; i < n; ++i)
    if (TabRect(i).Contains({X, Y})) return i;
  return -1;
}

TRect TPageControl::DisplayRect() {
  TRect c = GetClientRect();
  TRect r{kPaneInset, kRowTop + RowHeight() + kPaneInset, c.Right - kPaneInset, c.Bottom - kPaneInset};
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

void TPageControl::AdjustClientRect(TRect& Rect) { Rect = DisplayRect(); }

void TPageControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TTabSheet* p : FPages)
    if (p->Owner() == Root) Proc(p);
}

void TPageControl::SetChildOrder(TComponent* Child, int Order) {
  if (auto* p = dynamic_cast<TTabSheet*>(Child); p && p->FPageControl == this) p->SetPageIndex(Order);
}

void TPageControl::Loaded() {
  inherited::Loaded();
  if (!FActivePage) {
    auto tabs = VisibleTabs();
    if (!tabs.empty()) ChangeActivePage(tabs.front());
  }
}

void TPageControl::Paint() {
  TCanvas* c = Canvas();
  HDC dc = c->Handle();
  TRect client = ClientRect();
  int h = RowHeight();
  int paneTop = kRowTop + h;
  // The tab row shows what lies under it, then the pane with its raised frame.
  PaintParentImage(this, dc, {0, 0, client.Right, paneTop});
  c->Refresh();
  TRect pane{0, paneTop, client.Right, client.Bottom};
  DrawEdge(c->Handle(), &pane, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE);
  c->SetFont(Font());
  auto tabs = VisibleTabs();
  int sel = FActivePage ? FActivePage->TabIndex() : -1;
  auto drawTab = [&](int i) {
    TRect r = TabRect(i);
    bool chosen = i == sel;
    if (chosen) {
      InflateRect(r, 2, 0);
      r.Top = 0;
      r.Bottom = paneTop + 1;
    }
    TColor face = clBtnFace;
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(face);
    c->FillRect({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom});
    c->FillRect({r.Left + 2, r.Top, r.Right - 2, r.Top + 1});
    auto line = [&](TColor col, int x1, int y1, int x2, int y2) {
      c->Pen()->SetColor(col);
      c->MoveTo(x1, y1);
      c->LineTo(x2, y2);
    };
    // Highlight on the left and top with a cut corner; dark shadow and shadow on
    // the right.
    line(clBtnHighlight, r.Left, r.Top + 2, r.Left, r.Bottom);
    line(clBtnHighlight, r.Left + 1, r.Top + 1, r.Left + 2, r.Top + 1);
    line(clBtnHighlight, r.Left + 2, r.Top, r.Right - 2, r.Top);
    line(cl3DDkShadow, r.Right - 1, r.Top + 2, r.Right - 1, r.Bottom);
    line(cl3DDkShadow, r.Right - 2, r.Top + 1, r.Right - 1, r.Top + 1);
    line(clBtnShadow, r.Right - 2, r.Top + 2, r.Right - 2, r.Bottom);
    TRect tr{r.Left, r.Top, r.Right, chosen ? paneTop - 1 : r.Bottom};
    if (chosen) OffsetRect(tr, 0, 1);
    std::string text = tabs[static_cast<size_t>(i)]->Caption();
    DrawControlText(c, text, tr, DrawTextBiDiModeFlags(DT_CENTER | DT_VCENTER | DT_SINGLELINE), Enabled());
    if (chosen && Focused()) {
      TRect fr{r.Left + 3, r.Top + 3, r.Right - 3, paneTop - 1};
      c->Brush()->SetStyle(bsSolid);
      c->DrawFocusRect(fr);
    }
  };
  for (int i = 0; i < static_cast<int>(tabs.size()); ++i)
    if (i != sel) drawTab(i);
  if (sel >= 0) drawTab(sel);
}

void TPageControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND:
      M.Result = 1;  // Paint covers everything
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      TWMMouse m(M);
      int i = IndexOfTabAt(m.XPos(), m.YPos());
      if (i >= 0) {
        if (CanFocus() && !Focused()) SetFocus();
        UserSelect(VisibleTabs()[static_cast<size_t>(i)]);
      }
      inherited::Dispatch(M);
      break;
    }
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      inherited::Dispatch(M);
      Invalidate();
      break;
    case WM_SIZE:
      inherited::Dispatch(M);
      Invalidate();
      break;
    case CM_DIALOGKEY: {
      TWMKey k(M);
      bool inside = Focused() || (HandleAllocated() && GetFocus() && IsChild(FHandle, GetFocus()));
      if (inside && k.CharCode() == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      for (TTabSheet* p : VisibleTabs())
        if (IsAccel(k.CharCode(), p->Caption()) && CanFocus()) {
          M.Result = 1;
          UserSelect(p);
          return;
        }
      inherited::Dispatch(M);
      break;
    }
    case CM_FONTCHANGED:
      inherited::Dispatch(M);
      TabsChanged();
      break;
    default:
      inherited::Dispatch(M);
  }
}

void TPageControl::DefaultHandler(TMessage& M) {
  if (M.Msg == WM_KEYDOWN && (M.WParam == VK_LEFT || M.WParam == VK_RIGHT)) {
    // The arrow keys step through the tabs, stopping at the ends.
    auto tabs = VisibleTabs();
    int sel = FActivePage ? FActivePage->TabIndex() : -1;
    int next = sel + (M.WParam == VK_RIGHT ? 1 : -1);
    if (next >= 0 && next < static_cast<int>(tabs.size())) UserSelect(tabs[static_cast<size_t>(next)]);
  }
  inherited::DefaultHandler(M);
}

// ---------------------------------------------------------------------------
// Property tables
// ---------------------------------------------------------------------------

const TClassInfo& TTabSheet::StaticClass() {
  using C = TTabSheet;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TTabSheet", &inherited::StaticClass());
    b.Component()
        .Int("ImageIndex", &C::ImageIndex, [](C* x, int64_t v) { x->SetImageIndex(static_cast<int>(v)); }, 0)
        .Int("PageIndex", &C::PageIndex, [](C* x, int64_t v) { x->SetPageIndex(static_cast<int>(v)); }, std::nullopt,
             [](C*) { return false; })
        .Bool("TabVisible", &C::TabVisible, &C::SetTabVisible, true)
        .Event("OnHide", &C::OnHide)
        .Event("OnShow", &C::OnShow);
    for (const char* n : {"BorderWidth", "Caption", "Enabled", "Font", "ParentFont", "ParentShowHint", "PopupMenu",
                          "ShowHint", "OnContextPopup", "OnEnter", "OnExit", "OnMouseDown", "OnMouseMove",
                          "OnMouseUp", "OnResize"})
      b.Prop(TControl::Property(n));
    return b.Build();
  }();
  return info;
}

const TClassInfo& TPageControl::StaticClass() {
  using C = TPageControl;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TPageControl", &inherited::StaticClass());
    b.Component()
        .Object<TTabSheet>("ActivePage", &C::ActivePage, &C::SetActivePage)
        .Int("TabHeight", &C::TabHeight, [](C* x, int64_t v) { x->SetTabHeight(static_cast<int>(v)); }, 0)
        .Int("TabWidth", &C::TabWidth, [](C* x, int64_t v) { x->SetTabWidth(static_cast<int>(v)); }, 0)
        .Event("OnChange", &C::OnChange)
        .Event("OnChanging", &C::OnChanging);
    for (const char* n : {"Align", "Anchors", "BiDiMode", "Enabled", "Font", "ParentBiDiMode", "ParentFont",
                          "ParentShowHint", "PopupMenu",
                          "ShowHint", "TabOrder", "Visible", "OnContextPopup", "OnEnter", "OnExit",
                          "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize"})
      b.Prop(TControl::Property(n));
    b.Prop(TControl::Property("TabStop", 1));
    return b.Build();
  }();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() { RegisterClasses({ClassEntry<TPageControl>(), ClassEntry<TTabSheet>()}); }
} const kRegistration;
}  // namespace
