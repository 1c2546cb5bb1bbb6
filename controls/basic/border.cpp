// TQvBorder.
#include "controls/basic/border.h"

#include "controls/basic/panels.h"

TQvBorder::TQvBorder(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetCaption("");
  SetBounds(0, 0, 50, 50);
}

TQvBorder::~TQvBorder() {
  if (FFrameController) FFrameController->RemoveControl(this);
}

#define QV_BORDER_SETTER(Name, Type, Field)    \
  void TQvBorder::Set##Name(Type Value) {      \
    if (Field == Value) return;                \
    Field = Value;                             \
    Invalidate();                              \
  }
QV_BORDER_SETTER(BevelWidth, int, FBevelWidth)
QV_BORDER_SETTER(BorderInner, TFrameStyleEx, FBorderInner)
QV_BORDER_SETTER(BorderOuter, TFrameStyleEx, FBorderOuter)
QV_BORDER_SETTER(BorderWidth, int, FBorderWidth)
QV_BORDER_SETTER(BorderColor, TColor, FBorderColor)
QV_BORDER_SETTER(BorderHighlight, TColor, FBorderHighlight)
QV_BORDER_SETTER(BorderShadow, TColor, FBorderShadow)
QV_BORDER_SETTER(BorderSides, TSides, FBorderSides)
QV_BORDER_SETTER(FlatColor, TColor, FFlatColor)
QV_BORDER_SETTER(FlatColorAdjustment, int, FFlatColorAdjustment)
#undef QV_BORDER_SETTER

void TQvBorder::SetFrameController(TQvFrameController* Value) {
  if (FFrameController) FFrameController->RemoveControl(this);
  FFrameController = Value;
  if (Value) {
    Value->AddControl(this);
    Value->FreeNotification(this);
  }
}

void TQvBorder::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFrameController) FFrameController = nullptr;
}

TColor TQvBorder::InteriorColor() { return 0x00FFFF; }

TRect TQvBorder::GetClientRect() {
  TRect r = inherited::GetClientRect();
  AdjustClientRect(r);
  return r;
}

void TQvBorder::AdjustClientRect(TRect& Rect) {
  InflateRect(Rect, -FBorderWidth, -FBorderWidth);
  for (TFrameStyleEx style : {FBorderOuter, FBorderInner}) {
    int w = FrameStyleWidth(style, FBevelWidth);
    if (FBorderSides.Contains(sdLeft)) Rect.Left += w;
    if (FBorderSides.Contains(sdTop)) Rect.Top += w;
    if (FBorderSides.Contains(sdRight)) Rect.Right -= w;
    if (FBorderSides.Contains(sdBottom)) Rect.Bottom -= w;
  }
  if (Rect.Bottom < Rect.Top || Rect.Right < Rect.Left) Rect = {0, 0, 0, 0};
}

void TQvBorder::Paint() {
  TCanvas* c = Canvas();
  TRect r{0, 0, Width(), Height()};
  if (ComponentState().Contains(csDesigning) && FBorderOuter == fsNone && FBorderWidth > 0) {
    c->Pen()->SetStyle(psDot);
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(r);
    c->Pen()->SetStyle(psSolid);
    c->Brush()->SetStyle(bsSolid);
    InflateRect(r, -1, -1);
  }
  TColor parentColor = Parent() ? Parent()->Color() : Color();
  DrawInnerOuterBorders(c, r, FBorderOuter, FBorderInner, FBorderWidth, FBorderSides, FBevelWidth, FBorderColor,
                        FBorderHighlight, FBorderShadow, FFlatColor, FFlatColorAdjustment, InteriorColor(),
                        parentColor, !ControlStyle().Contains(csOpaque), false);
}

void TQvBorder::CustomFramingChanged() {
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

void TQvBorder::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_MOUSEENTER:
      inherited::Dispatch(M);
      if (OnMouseEnter) OnMouseEnter(this);
      break;
    case CM_MOUSELEAVE:
      inherited::Dispatch(M);
      if (OnMouseLeave) OnMouseLeave(this);
      break;
    default: inherited::Dispatch(M);
  }
}

const TClassInfo& TQvBorder::StaticClass() {
  using C = TQvBorder;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvBorder", &inherited::StaticClass());
    b.Component();
    AddBorderFraming(b, fsGroove);
    b.Event<TNotifyEvent>("OnMouseEnter", &C::OnMouseEnter).Event<TNotifyEvent>("OnMouseLeave", &C::OnMouseLeave);
    PublishInherited(b, {"Align", "Anchors", "Constraints", "DragKind", "DragCursor", "DragMode", "Enabled",
                         "ParentShowHint", "ShowHint", "Visible", "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver",
                         "OnEndDock", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock",
                         "OnStartDrag"});
    return b.Build();
  }();
  return info;
}
