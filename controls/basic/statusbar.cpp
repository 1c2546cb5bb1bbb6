// TQvStatusBar.
#include "controls/basic/statusbar.h"

#include <cmath>

#include "controls/common/themes.h"
#include "platform/controls/forms.h"

TQvStatusBar::TQvStatusBar(TComponent* AOwner)
    : TQvCustomPanel(AOwner), FGripCanvas(std::make_unique<TControlCanvas>()) {
  FGripCanvas->SetControl(this);
  SetAlign(alBottom);
  TQvCustomPanel::SetBorderInner(fsNone);
  TQvCustomPanel::SetBorderOuter(fsNone);
  TQvCustomPanel::SetBorderSides(AllSides);
  SetHeight(19);
  SetBorderWidth(0);
}

TQvStatusBar::~TQvStatusBar() = default;

void TQvStatusBar::Loaded() {
  inherited::Loaded();
  FAutoStyleRead = false;
  if (FAutoStyle) AdjustStyle();
}

void TQvStatusBar::SetAutoStyle(bool Value) {
  if (ComponentState().Contains(csReading)) {
    FAutoStyleRead = true;  // Loaded applies the style
    FAutoStyle = Value;
    return;
  }
  if (FAutoStyle == Value) return;
  FAutoStyle = Value;
  if (Value && !ComponentState().Contains(csLoading)) AdjustStyle();
}

void TQvStatusBar::SetStyledBorderWidth(int Value) {
  if (Value == BorderWidth()) return;
  SetBorderWidth(Value);
  if (!ComponentState().Contains(csReading)) FAutoStyle = false;
}

bool TQvStatusBar::BordersMoved() const {
  return BorderInner() != fsNone || BorderOuter() != fsNone || BorderSides() != AllSides;
}

void TQvStatusBar::AdjustStyle() {
  bool keep = FAutoStyle;
  SetBorderInner(fsNone);
  SetBorderOuter(fsNone);
  SetBorderSides(AllSides);
  SetHeight(19);
  SetBorderWidth(0);
  FAutoStyle = keep;
}

void TQvStatusBar::SetBorderInner(TFrameStyleEx Value) {
  if (Value == BorderInner()) return;
  inherited::SetBorderInner(Value);
  if (!(ComponentState().Contains(csReading) && FAutoStyleRead)) FAutoStyle = false;
}

void TQvStatusBar::SetBorderOuter(TFrameStyleEx Value) {
  if (Value == BorderOuter()) return;
  inherited::SetBorderOuter(Value);
  if (!(ComponentState().Contains(csReading) && FAutoStyleRead)) FAutoStyle = false;
}

void TQvStatusBar::SetBorderSides(TSides Value) {
  if (Value == BorderSides()) return;
  inherited::SetBorderSides(Value);
  if (!(ComponentState().Contains(csReading) && FAutoStyleRead)) FAutoStyle = false;
}

void TQvStatusBar::SetSimpleCaption(const std::string& Value) {
  if (FSimpleCaption == Value) return;
  FSimpleCaption = Value;
  Invalidate();
}

void TQvStatusBar::SetSimpleFrameStyle(TFrameStyle Value) {
  if (FSimpleFrameStyle == Value) return;
  FSimpleFrameStyle = Value;
  Invalidate();
}

// Every child follows simple mode: hidden while it is on, shown again (also a
// child hidden before) when it goes off.
void TQvStatusBar::SetSimpleStatus(bool Value) {
  if (FSimpleStatus == Value) return;
  FSimpleStatus = Value;
  DisableAlign();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetVisible(!Value);
    if (ComponentState().Contains(csDesigning)) c->SetControlStyle(c->ControlStyle() << csNoDesignVisible);
  }
  EnableAlign();
  Invalidate();
}

void TQvStatusBar::SetShowSizeGrip(bool Value) {
  if (FShowSizeGrip == Value) return;
  FShowSizeGrip = Value;
  ValidateSizeGrip();
  Invalidate();
}

void TQvStatusBar::ValidateSizeGrip() {
  TCustomForm* form = GetParentForm(this);
  FSizeGripValid = form && (form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin) &&
                   form->WindowState() != wsMaximized;
}

void TQvStatusBar::CreateWnd() {
  inherited::CreateWnd();
  ValidateSizeGrip();
}

void TQvStatusBar::GetGradientColors(TColor& StartColor, TColor& StopColor) {
  if (GradientColorStyle() == gcsCustom) {
    StartColor = GradientColorStop();
    StopColor = GradientColorStart();
  } else {
    TColor frame;
    GetGradientStatusBarColors(GradientColorStyle(), StartColor, StopColor, frame);
  }
}

// As the bar has always reported it: one pixel past its bottom (and its sides
// outside simple mode) without themes.
TRect TQvStatusBar::GetClientRect() {
  TRect r = inherited::GetClientRect();
  if (!ThemeServices()->ThemesEnabled()) {
    ++r.Bottom;
    if (!FSimpleStatus) {
      r.Top = 1;
      --r.Left;
      ++r.Right;
    } else {
      r.Top = 2;
    }
  } else if (FSimpleStatus) {
    ++r.Left;
    ++r.Top;
    --r.Right;
  }
  return r;
}

void TQvStatusBar::Resize() {
  inherited::Resize();
  if (FFirstResize) {
    FFirstResize = false;
    FWidthChange = 0;
    FLastWidth = Width();
    return;
  }
  FWidthChange = Width() - FLastWidth;
  // The panes scale by their share of the last width; without a last width there
  // is no share to take.
  if (FAutoScalePanes && ControlCount() > 0 && FWidthChange != 0 && FLastWidth > 0) {
    DisableAlign();
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      // The share is kept in single precision, as the bar has always kept it, but the
      // growth is taken in double: 3 x (100 / 600 as a float) is a little over a half
      // and grows the pane by one. Halves round to even, as the class library's Round.
      float ratio = static_cast<float>(c->Width()) / static_cast<float>(FLastWidth);
      double growth = static_cast<double>(FWidthChange) * static_cast<double>(ratio);
      c->SetWidth(c->Width() + static_cast<int>(std::nearbyint(growth)));
    }
    EnableAlign();
  }
  FLastWidth = Width();
}

void TQvStatusBar::WndProc(TMessage& M) {
  if (M.Msg == WM_LBUTTONDOWN && FShowSizeGrip && FSizeGripValid &&
      !ComponentState().Contains(csDesigning)) {
    TPoint p{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
    if (PtInRect(SizeGripRect(), p)) {
      if (TCustomForm* form = GetParentForm(this)) {
        ReleaseCapture();
        SendMessage(form->Handle(), WM_SYSCOMMAND, SC_SIZE + WMSZ_BOTTOMRIGHT, 0);
      }
    }
  }
  inherited::WndProc(M);
}

void TQvStatusBar::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_SETCURSOR:
      if (FShowSizeGrip && FSizeGripValid && !ComponentState().Contains(csDesigning) && Screen) {
        TPoint p;
        GetCursorPos(&p);
        if (PtInRect(SizeGripRect(), ScreenToClient(p))) {
          ::SetCursor(Screen->Cursors(crSizeNWSE));
          M.Result = 1;
          return;
        }
      }
      inherited::Dispatch(M);
      break;
    case WM_PAINT:
      ValidateSizeGrip();
      inherited::Dispatch(M);
      if (FShowSizeGrip && FSizeGripValid) PaintSizeGrip(reinterpret_cast<HDC>(M.WParam));
      break;
    default: inherited::Dispatch(M);
  }
}

void TQvStatusBar::Paint() {
  TCanvas* c = Canvas();
  if (VisualStyle() == vsWinXP && ThemeServices()->ThemesEnabled()) {
    TRect all{0, 0, Width(), Height()};
    ThemeServices()->DrawElement(c->Handle(), ThemeServices()->GetElementDetails(tsStatusRoot), all);
    return;
  }
  inherited::Paint();
  TRect r = ClientRect();
  --r.Bottom;
  if (!FSimpleStatus) return;
  DrawSimpleStatusBorder(r);
  InflateRect(r, -1, -1);
  if (FSimpleCaption.empty()) return;
  c->SetFont(Font());
  c->Brush()->SetStyle(bsClear);
  c->TextOut(r.Left + 2, r.Top + (r.Height() - c->TextHeight("Pp")) / 2, FSimpleCaption);
  c->Brush()->SetStyle(bsSolid);
}

void TQvStatusBar::DrawSimpleStatusBorder(const TRect& R) {
  TCanvas* c = Canvas();
  if (VisualStyle() == vsWinXP && ThemeServices()->ThemesEnabled()) {
    ThemeServices()->DrawElement(c->Handle(), ThemeServices()->GetElementDetails(tsPane), R);
  } else if (VisualStyle() == vsClassic) {
    if (FSimpleFrameStyle == fsFlat) DrawRoundedFlatBorder(c, R, AdjustColor(FlatColor(), FlatColorAdjustment()), AllSides);
    else DrawBorder(c, R, FSimpleFrameStyle);
  }
}

//  The classic grip: six 2 x 2 squares in the light colour, the same six in the
//  dark colour one pixel up and left (x = R.Right - 1, y = R.Bottom):
//            dd
//            dL
//        dd  dd
//        dL  dL
//    dd  dd  dd
//    dL  dL  dL
void TQvStatusBar::PaintSizeGrip(HDC DC) {
  // On the device context being painted when there is one (PaintTo), else on the
  // bar's own canvas.
  TCanvas given;
  if (DC) given.SetHandle(DC);
  TCanvas* c = DC ? &given : FGripCanvas.get();
  TRect r = ClientRect();
  --r.Bottom;
  if (VisualStyle() == vsWinXP && ThemeServices()->ThemesEnabled()) {
    ThemeServices()->DrawElement(c->Handle(), ThemeServices()->GetElementDetails(tsGripper),
                                 {r.Right - 20, r.Top, r.Right, r.Bottom});
    if (DC) given.SetHandle(nullptr);
    return;
  }
  TColor light = clBtnHighlight, dark = clBtnShadow;
  if (VisualStyle() == vsGradient) {
    TColor start, stop, frame;
    GetGradientStatusBarColors(GradientColorStyle(), start, stop, frame);
    light = start;
    dark = frame;
  }
  int x = r.Right - 1, y = r.Bottom;
  const TPoint squares[6] = {{x - 4, y - 12}, {x - 4, y - 8}, {x - 4, y - 4},
                             {x - 8, y - 8}, {x - 8, y - 4}, {x - 12, y - 4}};
  c->Brush()->SetStyle(bsSolid);
  for (int pass = 0; pass < 2; ++pass) {
    c->Brush()->SetColor(pass ? dark : light);
    for (TPoint p : squares) c->FillRect({p.X - pass, p.Y - pass, p.X - pass + 2, p.Y - pass + 2});
  }
  if (DC) given.SetHandle(nullptr);
  else FGripCanvas->FreeHandle();
}

const TClassInfo& TQvStatusBar::StaticClass() {
  using C = TQvStatusBar;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvStatusBar", &inherited::StaticClass());
    b.Component()
        .Enum<TAlign>("Align", &C::Align, [](C* x, TAlign v) { x->SetAlign(v); }, alBottom)
        .Bool("AutoScalePanes", &C::AutoScalePanes, &C::SetAutoScalePanes, false)
        .Bool("AutoStyle", &C::AutoStyle, &C::SetAutoStyle, true)
        // A border read clears AutoStyle unless the stream keeps it.
        .Implied([](C* x) { return x->AutoStyle() && x->BordersMoved() ? std::optional<int64_t>(0) : std::nullopt; })
        .Bool("ShowSizeGrip", &C::ShowSizeGrip, &C::SetShowSizeGrip, true)
        .Str("SimpleCaption", &C::SimpleCaption, &C::SetSimpleCaption)
        .Enum<TFrameStyleEx>("SimpleFrameStyle", &C::SimpleFrameStyle, &C::SetSimpleFrameStyle, fsFlat)
        .Bool("SimpleStatus", &C::SimpleStatus, &C::SetSimpleStatus, false)
        .Enum<TAlignment>("Alignment", &C::Alignment, &C::SetAlignment, taCenter)
        // Stored whatever they are: AutoStyle recomputes them when the form is read.
        .Int("BorderWidth", &C::BorderWidth, [](C* x, int64_t v) { x->SetStyledBorderWidth(static_cast<int>(v)); },
             std::nullopt)
        .Int("Height", &C::Height, [](C* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, std::nullopt);
    AddPanelLayout(b);
    AddPanelFraming(b, fsNone, false);
    AddPanelInherited(b, {"Align", "BorderWidth"});
    return b.Build();
  }();
  return info;
}
