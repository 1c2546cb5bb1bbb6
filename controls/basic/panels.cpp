// TQvCustomPanel and TQvPanel.
#include "controls/basic/panels.h"

#include <algorithm>

#include "controls/common/dialogs.h"
#include "controls/common/utils.h"
#include "controls/common/themes.h"
#include "platform/controls/forms.h"
#include "platform/core/filer.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/stdctrls_buttons.h"

DTU_DEFINE_ENUM(TAlignmentVertical, "avTop", "avCenter", "avBottom")
DTU_DEFINE_ENUM(TQvGridStyle, "gsDots", "gsDottedLines", "gsSolidLines")

int FrameStyleWidth(TFrameStyleEx Style, int BevelWidth) {
  switch (Style) {
    case fsNone: return 0;
    case fsFlat: return 1;
    case fsStatus:
    case fsPopup: return BevelWidth;
    default: return 2;
  }
}

TQvCustomPanel::TQvCustomPanel(TComponent* AOwner)
    : TCustomPanel(AOwner), FEnabledStates(std::make_unique<TStringList>()) {
  SetBevelOuter(bvNone);
  SetUseDockManager(true);
  FControlStyle >> csSetCaption;
}

TQvCustomPanel::~TQvCustomPanel() {
  if (FFrameController) FFrameController->RemoveControl(this);
}

// Every setter: compare, store, repaint (the frame setters re-lay the children out
// first, the gradient setters also repaint transparent children that show it).
#define QV_PANEL_SETTER(Name, Type, Field, Extra) \
  void TQvCustomPanel::Set##Name(Type Value) {    \
    if (Field == Value) return;                   \
    Field = Value;                                \
    Extra;                                        \
  }
QV_PANEL_SETTER(AlignmentVertical, TAlignmentVertical, FAlignmentVertical, Invalidate())
QV_PANEL_SETTER(BorderColor, TColor, FBorderColor, Invalidate())
QV_PANEL_SETTER(BorderInner, TFrameStyleEx, FBorderInner, (Realign(), Invalidate()))
QV_PANEL_SETTER(BorderOuter, TFrameStyleEx, FBorderOuter, (Realign(), Invalidate()))
QV_PANEL_SETTER(BorderSides, TSides, FBorderSides, (Realign(), Invalidate()))
QV_PANEL_SETTER(BorderHighlight, TColor, FBorderHighlight, Invalidate())
QV_PANEL_SETTER(BorderShadow, TColor, FBorderShadow, Invalidate())
QV_PANEL_SETTER(FlatColor, TColor, FFlatColor, Invalidate())
QV_PANEL_SETTER(FlatColorAdjustment, int, FFlatColorAdjustment, Invalidate())
QV_PANEL_SETTER(GradientColorStyle, TQvGradientColorStyle, FGradientColorStyle, Invalidate())
QV_PANEL_SETTER(GradientColorStart, TColor, FGradientColorStart, (Invalidate(), InvalidateControls(this)))
QV_PANEL_SETTER(GradientColorStop, TColor, FGradientColorStop, (Invalidate(), InvalidateControls(this)))
QV_PANEL_SETTER(GradientDirection, TGradientDirection, FGradientDirection, (Invalidate(), InvalidateControls(this)))
QV_PANEL_SETTER(GridColor, TColor, FGridColor, Invalidate())
QV_PANEL_SETTER(GridStyle, TQvGridStyle, FGridStyle, Invalidate())
QV_PANEL_SETTER(GridXSize, uint16_t, FGridXSize, Invalidate())
QV_PANEL_SETTER(GridYSize, uint16_t, FGridYSize, Invalidate())
QV_PANEL_SETTER(PaintClientArea, bool, FPaintClientArea, Invalidate())
QV_PANEL_SETTER(ShowGrid, bool, FShowGrid, Invalidate())
QV_PANEL_SETTER(TextMargin, int, FTextMargin, Invalidate())
QV_PANEL_SETTER(TextMarginVertical, int, FTextMarginVertical, Invalidate())
QV_PANEL_SETTER(WordWrap, bool, FWordWrap, Invalidate())
QV_PANEL_SETTER(VisualStyle, TQvVisualStyle, FVisualStyle, Invalidate())
QV_PANEL_SETTER(ShowDockClientCaptions, bool, FShowDockClientCaptions, Invalidate())
#undef QV_PANEL_SETTER

void TQvCustomPanel::SetGridSize(uint16_t X, uint16_t Y) {
  SetGridXSize(X);
  SetGridYSize(Y);
}

void TQvCustomPanel::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  if (Value) FControlStyle >> csOpaque;
  else FControlStyle << csOpaque;
  Invalidate();
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->Invalidate();
}

void TQvCustomPanel::SetFrameController(TQvFrameController* Value) {
  if (FFrameController) FFrameController->RemoveControl(this);
  FFrameController = Value;
  if (Value) {
    Value->AddControl(this);
    Value->FreeNotification(this);
  }
  Invalidate();
}

void TQvCustomPanel::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFrameController) FFrameController = nullptr;
}

TPoint TQvCustomPanel::CursorPosition() { return ScreenToClient(Mouse->CursorPos()); }

TRect TQvCustomPanel::GetControlRect() { return {0, 0, Width(), Height()}; }

TPoint TQvCustomPanel::InvalidateMarginSize() { return {1, 1}; }

void TQvCustomPanel::GetGradientColors(TColor& StartColor, TColor& StopColor) {
  if (FGradientColorStyle == gcsCustom) {
    StartColor = FGradientColorStart;
    StopColor = FGradientColorStop;
  } else {
    GetGradientPanelColors(FGradientColorStyle, StartColor, StopColor);
  }
}

void TQvCustomPanel::GetGradientFrameColor(TColor& FrameColor, int& Adjustment) {
  if (FVisualStyle == vsGradient && FGradientColorStyle != gcsCustom) {
    FrameColor = GetGradientPanelFrameColor(FGradientColorStyle);
    Adjustment = 0;
  } else {
    FrameColor = FFlatColor;
    Adjustment = FFlatColorAdjustment;
  }
}

void TQvCustomPanel::FixClientRect(TRect& Rect, bool ShrinkByBorder) {
  if (ShrinkByBorder) InflateRect(Rect, -BorderWidth(), -BorderWidth());
  for (TFrameStyleEx style : {FBorderOuter, FBorderInner}) {
    int w = FrameStyleWidth(style, BevelWidth());
    if (FBorderSides.Contains(sdLeft)) Rect.Left += w;
    if (FBorderSides.Contains(sdTop)) Rect.Top += w;
    if (FBorderSides.Contains(sdRight)) Rect.Right -= w;
    if (FBorderSides.Contains(sdBottom)) Rect.Bottom -= w;
  }
}

void TQvCustomPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // A bottom- or right-aligned panel keeps its far edge where it is, by the size it
  // will have within its constraints. Not while a form is read: its bounds are the
  // ones written, and moving the top by the height read would move it again on every
  // save (a bar not aligned yet, on a form without a window, would run off its form).
  ApplyConstraints(AWidth, AHeight);
  const bool reading = ComponentState().Contains(csReading);
  if (!reading && Align() == alBottom && AHeight != Height()) ATop = Top() - (AHeight - Height());
  else if (!reading && Align() == alRight && AWidth != Width()) ALeft = Left() - (AWidth - Width());
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TQvCustomPanel::AlignControls(TControl* AControl, TRect& Rect) {
  FixClientRect(Rect, false);
  inherited::AlignControls(AControl, Rect);
}

void TQvCustomPanel::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  if (DockSite()) FixClientRect(Rect, false);
}

void TQvCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = GetControlRect();
  TColor flat;
  int adjustment;
  GetGradientFrameColor(flat, adjustment);
  TColor parentColor = Parent() ? Parent()->Color() : Color();
  r = DrawInnerOuterBorders(c, r, FBorderOuter, FBorderInner, BorderWidth(), FBorderSides, BevelWidth(),
                            FBorderColor, FBorderHighlight, FBorderShadow, flat, adjustment, Color(),
                            parentColor, FTransparent, false);
  if (!FTransparent && FPaintClientArea) {
    if (FVisualStyle == vsGradient) {
      TColor start, stop;
      GetGradientColors(start, stop);
      PaintGradient(c, r, FGradientDirection, start, stop, 1);
    } else {
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(Color());
      c->FillRect(r);
    }
  }
  if (FShowGrid) DrawGrid(r);
  c->Brush()->SetStyle(bsClear);
  DrawCaption(r);
  c->Brush()->SetStyle(bsSolid);
  if (OnPaint) OnPaint(this);
}

void TQvCustomPanel::DrawCaption(TRect R) {
  std::string text = Caption();
  if (text.empty()) return;
  TCanvas* c = Canvas();
  c->SetFont(Font());
  InflateRect(R, -FTextMargin, -FTextMarginVertical);
  unsigned wrap = FWordWrap ? DT_WORDBREAK : 0;
  unsigned align = AlignmentFlag(Alignment());
  TRect calc = R;
  int h = DrawText(c->Handle(), text.c_str(), static_cast<int>(text.size()), &calc,
                   DT_CALCRECT | DT_EXPANDTABS | DT_VCENTER | wrap | align);
  switch (FAlignmentVertical) {
    case avTop: R.Bottom = std::min(R.Bottom, R.Top + h); break;
    case avCenter:
      R.Top = (R.Top + R.Bottom - h) / 2;
      R.Bottom = std::min(R.Bottom, R.Top + h);
      break;
    case avBottom: R.Top = std::max(R.Top, R.Bottom - h - 1); break;
  }
  c->Brush()->SetStyle(bsClear);
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  DrawText(c->Handle(), text.c_str(), static_cast<int>(text.size()), &R, wrap | DT_EXPANDTABS | DT_VCENTER | align);
}

//  GridXSize 4, GridYSize 3 on R = (0, 0, 9, 7), gsDots (x = 3, 7; y = 2, 5):
//    .........
//    .........
//    ...X...X.
//    .........
//    .........
//    ...X...X.
//    .........
void TQvCustomPanel::DrawGrid(const TRect& R) {
  int nx = FGridXSize < 1 ? 0 : (R.Right - R.Left) / FGridXSize;
  int ny = FGridYSize < 1 ? 0 : (R.Bottom - R.Top) / FGridYSize;
  TCanvas* c = Canvas();
  c->Pen()->SetColor(FGridColor);
  c->Pen()->SetStyle(psSolid);
  auto x = [&](int i) { return R.Left - 1 + FGridXSize * i; };
  auto y = [&](int j) { return R.Top - 1 + FGridYSize * j; };
  switch (FGridStyle) {
    case gsDots:
      for (int i = 1; i <= nx; ++i)
        for (int j = 1; j <= ny; ++j) c->SetPixels(x(i), y(j), FGridColor);
      break;
    case gsSolidLines:
      for (int i = 1; i <= nx; ++i) {
        c->MoveTo(x(i), R.Top);
        c->LineTo(x(i), R.Bottom);
      }
      for (int j = 1; j <= ny; ++j) {
        c->MoveTo(R.Left, y(j));
        c->LineTo(R.Right, y(j));
      }
      break;
    case gsDottedLines:
      for (int i = 1; i <= nx; ++i)
        for (int p = R.Top + 1; p < R.Bottom; p += 2) c->SetPixels(x(i), p, FGridColor);
      for (int j = 1; j <= ny; ++j)
        for (int p = R.Left + 1; p < R.Right; p += 2) c->SetPixels(p, y(j), FGridColor);
      break;
  }
}

void TQvCustomPanel::CustomFramingChanged() {
  if (!FFrameController || !FFrameController->FrameVisible()) return;
  TQvFrameController* fc = FFrameController;
  const TQvFrameControllerNotifications& n = FFrameControllerNotifications;
  if (n.Contains(fcpFrameStyle)) FBorderOuter = fc->FrameStyle();
  if (n.Contains(fcpFrameSides)) FBorderSides = fc->FrameSides();
  if (n.Contains(fcpFrameColor)) {
    FFlatColor = fc->FrameColor();
    FFlatColorAdjustment = 0;
  }
  if (n.Contains(fcpColor)) SetColor(fc->Color());
  if (n.Contains(fcpParentColor)) SetParentColor(fc->ParentColor());
  if (n.Contains(fcpColor)) {
    FBorderHighlight = LighterColor(Color(), 100);
    FBorderShadow = DarkerColor(Color(), 50);
  }
  Invalidate();
}

void TQvCustomPanel::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_MOUSEENTER:
      inherited::Dispatch(M);
      if (OnMouseEnter) OnMouseEnter(this);
      break;
    case CM_MOUSELEAVE:
      inherited::Dispatch(M);
      if (OnMouseLeave) OnMouseLeave(this);
      break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(M); break;
    case CM_CONTROLCHANGE: {
      inherited::Dispatch(M);
      // A child that leaves (or is freed) is forgotten, so enabling the panel
      // never touches it.
      if (!M.LParam) {
        int i = FEnabledStates->IndexOfObject(reinterpret_cast<TObject*>(M.WParam));
        if (i >= 0) FEnabledStates->Delete(i);
      }
      break;
    }
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(M); break;
    case WM_ERASEBKGND: WMEraseBkgnd(M); break;
    case WM_THEMECHANGED:
      inherited::Dispatch(M);
      CurrentXPColorScheme = GetXPColorScheme();
      break;
    default: inherited::Dispatch(M);
  }
}

void TQvCustomPanel::CMEnabledChanged(TMessage& M) {
  inherited::Dispatch(M);
  Repaint();
  if (Enabled()) {
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* child = Controls(i);
      int at = FEnabledStates->IndexOfObject(child);
      if (at < 0 || FEnabledStates->Strings(at) == "1") child->SetEnabled(true);
    }
  } else {
    FEnabledStates->Clear();
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* child = Controls(i);
      FEnabledStates->AddObject(child->Enabled() ? "1" : "0", child);
    }
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(false);
  }
}

void TQvCustomPanel::WMWindowPosChanged(TMessage& M) {
  auto* wp = reinterpret_cast<WINDOWPOS*>(M.LParam);
  if (FullRepaint() || !Caption().empty()) {
    Invalidate();
  } else if (wp && HandleAllocated()) {
    // Only the strips where the right and bottom frames were.
    TRect f{0, 0, Width(), Height()};
    FixClientRect(f, true);
    TPoint m = InvalidateMarginSize();
    if (!(wp->flags & SWP_NOSIZE) && wp->cx != Width()) {
      TRect r{f.Right - m.X, 0, Width(), Height()};
      InvalidateRect(Handle(), &r, TRUE);
    }
    if (!(wp->flags & SWP_NOSIZE) && wp->cy != Height()) {
      TRect r{0, f.Bottom - m.Y, Width(), Height()};
      InvalidateRect(Handle(), &r, TRUE);
    }
  }
  inherited::Dispatch(M);
}

void TQvCustomPanel::WMEraseBkgnd(TMessage& M) {
  if (FTransparent && FPaintClientArea) {
    DrawParentImage(this, reinterpret_cast<HDC>(M.WParam), true);
    M.Result = 1;
  } else {
    inherited::Dispatch(M);
  }
}

void TQvCustomPanel::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty("FrameSides", TQvOldPropReader::ReadOldSetProp, nullptr, false);
  Filer->DefineProperty("ThemeAware", TQvOldPropReader::ReadOldBooleanProp, nullptr, false);
  Filer->DefineProperty("UseGradients", [this](TReader* R) {
    if (R->ReadBoolean()) SetVisualStyle(vsGradient);
  }, nullptr, false);
}

// ---------------------------------------------------------------------------
// Docking
// ---------------------------------------------------------------------------

TDockTree* TQvCustomPanel::CreateDockManager() {
  if (DockManager()) return nullptr;  // the existing one stays
  if (DockSite() && UseDockManager()) return new TQvPanelDockManager(this);
  return inherited::CreateDockManager();
}

TQvPanelDockManager::TQvPanelDockManager(TQvCustomPanel* DockSite)
    : TDockTree(DockSite), FSite(DockSite), FTitleFont(std::make_unique<TFont>()),
      FButtonFont(std::make_unique<TFont>()) {
  FTitleFont->SetName("Verdana");
  FTitleFont->SetSize(8);
  FButtonFont->SetName("Marlett");
  FButtonFont->SetSize(8);
  if (!FSite->ComponentState().Contains(csDesigning)) {
    FOldWndProc = FSite->WindowProc;
    FSite->WindowProc = [this](TMessage& M) {
      if (M.Msg == WM_COMMAND || M.Msg == WM_MOUSEACTIVATE) FSite->Invalidate();
      FOldWndProc(M);
    };
    FHooked = true;
  }
}

TQvPanelDockManager::~TQvPanelDockManager() {
  if (FHooked) FSite->WindowProc = FOldWndProc;
}

bool TQvPanelDockManager::SiteAcross() const { return FSite->Align() == alTop || FSite->Align() == alBottom; }

void TQvPanelDockManager::AdjustDockRect(TControl*, TRect& ARect) {
  if (SiteAcross()) ARect.Left += GrabberSize;
  else ARect.Top += GrabberSize;
}

namespace {
// The close glyph: a cross in the box (the shape the symbol font's "r" has).
void DrawCloseGlyph(TCanvas* Canvas, const TRect& R, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Canvas->Pen()->SetStyle(psSolid);
  int n = std::min(R.Width(), R.Height()) - 4;
  if (n <= 0) return;
  int x = R.Left + (R.Width() - n) / 2, y = R.Top + (R.Height() - n) / 2;
  for (int d = 0; d < 2; ++d) {  // two pixels thick
    Canvas->MoveTo(x + d, y);
    Canvas->LineTo(x + n + d, y + n);
    Canvas->MoveTo(x + d, y + n - 1);
    Canvas->LineTo(x + n + d, y - 1);
  }
}
}  // namespace

TRect TQvPanelDockManager::CloseButtonRect(TControl*, const TRect& Zone) {
  if (!FSite->ShowDockClientCaptions()) return {};
  if (SiteAcross()) return {Zone.Left + 1, Zone.Top + 1, Zone.Left + 12, Zone.Top + 12};
  return {Zone.Right - 15, Zone.Top + 1, Zone.Right - 2, Zone.Top + 12};
}

void TQvPanelDockManager::PaintDockFrame(TCanvas* Canvas, TControl* Control, const TRect& ARect) {
  if (!FSite->ShowDockClientCaptions()) {
    TDockTree::PaintDockFrame(Canvas, Control, ARect);
    return;
  }
  Canvas->SetFont(FTitleFont.get());
  auto* win = dynamic_cast<TWinControl*>(Control);
  bool active = !win || win->Focused();
  TColor back = active ? clActiveCaption : clInactiveCaption;
  TColor text = active ? clCaptionText : clInactiveCaptionText;
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(back);
  Canvas->Font()->SetColor(text);
  std::string caption = Control->Caption();
  if (!SiteAcross()) {
    TRect bar{ARect.Left, ARect.Top, ARect.Right, ARect.Top + GrabberSize};
    Canvas->FillRect(bar);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->TextRect(bar, bar.Left + 2, bar.Top + (GrabberSize - Canvas->TextHeight("Wg")) / 2, caption);
    DrawCloseGlyph(Canvas, CloseButtonRect(Control, ARect), text);
  } else {
    TRect column{ARect.Left, ARect.Top, ARect.Left + GrabberSize, ARect.Bottom};
    Canvas->FillRect(column);
    Canvas->Brush()->SetStyle(bsClear);
    // The caption turned by 90 degrees, reading upwards from the column's bottom.
    HDC dc = Canvas->Handle();
    HFONT rotated = RotateFont(Canvas->Font(), 90);
    HGDIOBJ old = SelectObject(dc, rotated);
    unsigned oldAlign = SetTextAlign(dc, TA_BASELINE);
    SetTextColor(dc, ColorToRGB(clCaptionText));
    SetBkMode(dc, TRANSPARENT);
    TRect clip = column;
    ExtTextOut(dc, column.Right - 2, column.Bottom - 3, ETO_CLIPPED, &clip, caption.c_str(),
               static_cast<UINT>(caption.size()), nullptr);
    SetTextAlign(dc, oldAlign);
    SelectObject(dc, old);
    DeleteObject(rotated);
    DrawCloseGlyph(Canvas, CloseButtonRect(Control, ARect), text);
  }
  Canvas->Brush()->SetStyle(bsSolid);
}

// ---------------------------------------------------------------------------
// Published properties
// ---------------------------------------------------------------------------

const TClassInfo& TQvCustomPanel::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvCustomPanel>("TQvCustomPanel", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvPanelDockManager::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvPanelDockManager>("TQvPanelDockManager", &inherited::StaticClass()).Build();
  return info;
}



const TClassInfo& TQvPanel::StaticClass() {
  using C = TQvPanel;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvPanel", &inherited::StaticClass());
    b.Component()
        .Enum<TAlignment>("Alignment", &C::Alignment, &C::SetAlignment, taCenter);
    AddPanelLayout(b);
    AddPanelFraming(b, fsRaised);
    AddPanelInherited(b);
    return b.Build();
  }();
  return info;
}
