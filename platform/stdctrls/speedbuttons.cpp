// TSpeedButton and the glyph drawing of buttons.
#include "platform/stdctrls/speedbuttons.h"

#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/imglist.h"

DTU_DEFINE_ENUM(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")
DTU_DEFINE_ENUM(TButtonState, "bsUp", "bsDisabled", "bsDown", "bsExclusive")

namespace {

// The disabled look of image Index of the strip: every pixel that is neither the
// transparent colour nor white becomes a shadow pixel with a highlight pixel one
// down and to the right; the rest is the transparent colour.
TBitmap* MakeDisabledImage(TBitmap* Glyph, int Index, int W, int H, COLORREF Key) {
  const TSurface& src = BitmapSurface(Glyph->Handle());
  auto* out = new TBitmap(W, H);
  HDC dc = out->Canvas()->Handle();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) SetPixelV(dc, x, y, Key);
  auto ink = [&](int x, int y) {
    uint32_t p = src.Row(y)[Index * W + x] & 0xFFFFFF;
    COLORREF c = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    return c != Key && c != 0xFFFFFF;
  };
  COLORREF light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (ink(x, y) && x + 1 < W && y + 1 < H) SetPixelV(dc, x + 1, y + 1, light);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (ink(x, y)) SetPixelV(dc, x, y, dark);
  return out;
}

}  // namespace

TRect DrawButtonGlyph(TCanvas* Canvas, TBitmap* Glyph, int NumGlyphs, const TRect& Client, TPoint Offset,
                      const std::string& Caption, TButtonLayout Layout, int Margin, int Spacing,
                      TButtonState State, unsigned BiDiFlags) {
  // Right-to-left alignment (DT_RIGHT) puts a side glyph on the other side.
  if ((BiDiFlags & DT_RIGHT) && Layout == blGlyphLeft) Layout = blGlyphRight;
  else if ((BiDiFlags & DT_RIGHT) && Layout == blGlyphRight) Layout = blGlyphLeft;
  bool hasGlyph = Glyph && !Glyph->Empty() && NumGlyphs > 0;
  TPoint glyphSize{hasGlyph ? Glyph->Width() / NumGlyphs : 0, hasGlyph ? Glyph->Height() : 0};
  TPoint client{Client.Width(), Client.Height()};
  TRect textBounds{0, 0, 0, 0};
  if (!Caption.empty()) {
    textBounds = {0, 0, client.X, 0};
    DrawControlText(Canvas, Caption, textBounds, DT_CALCRECT, true);
  }
  TPoint textSize{textBounds.Width(), textBounds.Height()};
  TPoint glyphPos, textPos;
  bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  if (horizontal) {
    glyphPos.Y = (client.Y - glyphSize.Y + 1) / 2;
    textPos.Y = (client.Y - textSize.Y + 1) / 2;
  } else {
    glyphPos.X = (client.X - glyphSize.X + 1) / 2;
    textPos.X = (client.X - textSize.X + 1) / 2;
  }
  // Without text or without a glyph there is nothing to space.
  if (textSize.X == 0 || glyphSize.X == 0) Spacing = 0;
  if (Margin == -1) {
    if (Spacing == -1) {
      TPoint total{glyphSize.X + textSize.X, glyphSize.Y + textSize.Y};
      Margin = horizontal ? (client.X - total.X) / 3 : (client.Y - total.Y) / 3;
      Spacing = Margin;
    } else {
      TPoint total{glyphSize.X + Spacing + textSize.X, glyphSize.Y + Spacing + textSize.Y};
      Margin = horizontal ? (client.X - total.X + 1) / 2 : (client.Y - total.Y + 1) / 2;
    }
  } else if (Spacing == -1) {
    TPoint total{client.X - (Margin + glyphSize.X), client.Y - (Margin + glyphSize.Y)};
    Spacing = horizontal ? (total.X - textSize.X) / 2 : (total.Y - textSize.Y) / 2;
  }
  switch (Layout) {
    case blGlyphLeft:
      glyphPos.X = Margin;
      textPos.X = glyphPos.X + glyphSize.X + Spacing;
      break;
    case blGlyphRight:
      glyphPos.X = client.X - Margin - glyphSize.X;
      textPos.X = glyphPos.X - Spacing - textSize.X;
      break;
    case blGlyphTop:
      glyphPos.Y = Margin;
      textPos.Y = glyphPos.Y + glyphSize.Y + Spacing;
      break;
    case blGlyphBottom:
      glyphPos.Y = client.Y - Margin - glyphSize.Y;
      textPos.Y = glyphPos.Y - Spacing - textSize.Y;
      break;
  }
  glyphPos.X += Client.Left + Offset.X;
  glyphPos.Y += Client.Top + Offset.Y;
  OffsetRect(textBounds, textPos.X + Client.Left + Offset.X, textPos.Y + Client.Top + Offset.Y);

  if (hasGlyph) {
    int w = glyphSize.X, h = glyphSize.Y;
    int index = static_cast<int>(State);
    if (index >= NumGlyphs) index = 0;
    COLORREF key = ColorToRGB(Glyph->TransparentColor());
    HDC dst = Canvas->Handle();
    HDC src = CreateCompatibleDC(nullptr);
    if (State == bsDisabled && NumGlyphs < 2) {
      TBitmap* disabled = MakeDisabledImage(Glyph, 0, w, h, key);
      SelectObject(src, disabled->Handle());
      TransparentBlt(dst, glyphPos.X, glyphPos.Y, w, h, src, 0, 0, w, h, key);
      DeleteDC(src);
      delete disabled;
    } else {
      SelectObject(src, Glyph->Handle());
      TransparentBlt(dst, glyphPos.X, glyphPos.Y, w, h, src, index * w, 0, w, h, key);
      DeleteDC(src);
    }
  }
  if (!Caption.empty()) {
    TRect r = textBounds;
    DrawControlText(Canvas, Caption, r, DT_CENTER | DT_VCENTER | (BiDiFlags & DT_RTLREADING), State != bsDisabled);
  }
  return textBounds;
}

// ---------------------------------------------------------------------------
// TSpeedButton
// ---------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(new TBitmap) {
  FGlyph->OnChange = [this](TObject*) { GlyphChanged(); };
  FControlStyle = {csCaptureMouse, csDoubleClicks};
  SetBounds(0, 0, 23, 22);
  SetColor(clBtnFace);
  SetParentFont(true);
}

TSpeedButton::~TSpeedButton() { delete FGlyph; }

// A new glyph of square images sets NumGlyphs to their count. A glyph read from a
// form does not: the form holds NumGlyphs itself, before or after the glyph.
void TSpeedButton::GlyphChanged() {
  if (!ComponentState().Contains(csReading) && FGlyph->Height() > 0 && FGlyph->Width() % FGlyph->Height() == 0) {
    int n = FGlyph->Width() / FGlyph->Height();
    if (n > 4) n = 1;
    if (n >= 1) FNumGlyphs = n;
  }
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs Value) {
  if (Value < 1) Value = 1;
  else if (Value > 4) Value = 4;
  if (FNumGlyphs == Value) return;
  FNumGlyphs = Value;
  Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  if (FAllowAllUp == Value) return;
  FAllowAllUp = Value;
  UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int Value) {
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value) {
  // Read as it comes: the group may follow in the stream (Loaded applies the rule).
  if (ComponentState().Contains(csReading)) {
    FDown = Value;
    return;
  }
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = Value;
  if (Value) {
    if (FState == bsUp) Invalidate();
    FState = bsExclusive;
  } else {
    FState = bsUp;
    Repaint();
  }
  if (Value) UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TSpeedButton::SetMargin(int Value) {
  if (FMargin == Value || Value < -1) return;
  FMargin = Value;
  Invalidate();
}

void TSpeedButton::SetSpacing(int Value) {
  if (FSpacing == Value) return;
  FSpacing = Value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  if (Value) FControlStyle >> csOpaque;
  else FControlStyle << csOpaque;
  Invalidate();
}

void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !Parent()) return;
  TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), ControlToLParam(this), 0};
  Parent()->Broadcast(m);
}

void TSpeedButton::GroupPeerChanged(bool PeerDown, bool PeerAllowAllUp) {
  if (PeerDown && FDown) {
    FDown = false;
    FState = bsUp;
    if (auto* a = dynamic_cast<TCustomAction*>(Action())) a->SetChecked(false);
    Invalidate();
  }
  FAllowAllUp = PeerAllowAllUp;
}

void TSpeedButton::UpdateTracking() {
  if (!FFlat || !Enabled()) return;
  TPoint p;
  GetCursorPos(&p);
  bool in = FindDragTarget(p, true) == this;
  if (in == FMouseInControl) return;
  FMouseInControl = in;
  Invalidate();
}

void TSpeedButton::Loaded() {
  inherited::Loaded();
  if (FGroupIndex == 0) FDown = false;
  if (FDown) UpdateExclusive();
  FState = Enabled() ? (FDown ? bsExclusive : bsUp) : bsDisabled;
}

void TSpeedButton::Click() { inherited::Click(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (!FDown) {
    FState = bsDown;
    Invalidate();
  }
  FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  inherited::MouseMove(Shift, X, Y);
  if (FDragging) {
    TButtonState s = FDown ? bsExclusive : bsUp;
    if (X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight()) s = FDown ? bsExclusive : bsDown;
    if (s != FState) {
      FState = s;
      Invalidate();
    }
  } else if (!FMouseInControl) {
    UpdateTracking();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (!FDragging) return;
  FDragging = false;
  bool click = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
  if (FGroupIndex == 0) {
    FState = bsUp;
    FMouseInControl = false;
    Invalidate();
  } else if (click) {
    SetDown(!FDown);
    if (FDown) Repaint();
  } else {
    if (FDown) FState = bsExclusive;
    Repaint();
  }
  if (click) Click();
  UpdateTracking();
}

void TSpeedButton::Paint() {
  if (!Enabled()) {
    FState = bsDisabled;
    FDragging = false;
  } else if (FState == bsDisabled) {
    FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
  }
  TCanvas* c = Canvas();
  c->SetFont(Font());
  TRect r{0, 0, Width(), Height()};
  bool down = FState == bsDown || FState == bsExclusive;
  if (!FFlat) {
    DrawFrameControl(c->Handle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (down ? DFCS_PUSHED : 0));
  } else {
    if (down || (FMouseInControl && FState != bsDisabled))
      DrawEdge(c->Handle(), &r, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | (FTransparent ? 0 : BF_MIDDLE));
    else if (!FTransparent) {
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(Color());
      c->FillRect(r);
    }
    InflateRect(r, -1, -1);
  }
  TPoint offset{0, 0};
  if (down) {
    if (FState == bsExclusive && (!FFlat || !FMouseInControl)) {
      // The stays-down face: a checkerboard of the face and highlight colours.
      TBitmap pattern(8, 8);
      COLORREF face = ColorToRGB(clBtnFace), light = ColorToRGB(clBtnHighlight);
      HDC pdc = pattern.Canvas()->Handle();
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) SetPixelV(pdc, x, y, (x + y) % 2 ? light : face);
      c->Brush()->SetBitmap(&pattern);
      c->FillRect(r);
      c->Brush()->SetBitmap(nullptr);
      c->Brush()->SetStyle(bsSolid);
    }
    offset = {1, 1};
  }
  DrawButtonGlyph(c, FGlyph, FNumGlyphs, r, offset, Caption(), FLayout, FMargin, FSpacing, FState,
                  DrawTextBiDiModeFlags(0));
}

void TSpeedButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_BUTTONPRESSED:
      if (static_cast<int>(M.WParam) == FGroupIndex) {
        auto* sender = dynamic_cast<TSpeedButton*>(MsgControl(M));
        if (sender && sender != this) GroupPeerChanged(sender->Down(), sender->AllowAllUp());
      }
      break;
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      if (IsAccel(k.CharCode(), Caption()) && Enabled() && Visible() && Parent() && Parent()->Showing()) {
        Click();
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(M);
      UpdateTracking();
      Invalidate();
      break;
    case CM_MOUSEENTER:
      inherited::Dispatch(M);
      if (M.LParam == 0 && FFlat && !FMouseInControl && Enabled() && !GetCapture()) {
        FMouseInControl = true;
        Invalidate();
      }
      break;
    case CM_MOUSELEAVE:
      inherited::Dispatch(M);
      if (M.LParam == 0 && FFlat && FMouseInControl && Enabled() && !FDragging) {
        FMouseInControl = false;
        Invalidate();
      }
      break;
    case CM_TEXTCHANGED:
      Invalidate();
      inherited::Dispatch(M);
      break;
    case WM_LBUTTONDBLCLK:
      inherited::Dispatch(M);
      if (FDown) DblClick();
      break;
    default:
      inherited::Dispatch(M);
  }
}

void TSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || FGroupIndex == 0) SetGroupIndex(a->GroupIndex());
  TCustomImageList* images = a->ActionList() ? a->ActionList()->Images() : nullptr;
  if (FGlyph->Empty() && images && a->ImageIndex() >= 0 && a->ImageIndex() < images->Count()) {
    TBitmap image;
    images->GetBitmap(a->ImageIndex(), &image);
    FGlyph->Assign(&image);
    SetNumGlyphs(1);
  }
}

TControlActionLink* TSpeedButton::CreateActionLink() { return new TSpeedButtonActionLink(this); }

bool TSpeedButtonActionLink::IsCheckedLinked() {
  return TControlActionLink::IsCheckedLinked() && FButton->GroupIndex() != 0 && FButton->AllowAllUp() &&
         FButton->Down() == CustomAction()->Checked();
}

void TSpeedButtonActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) FButton->SetDown(Value);
}

// ---------------------------------------------------------------------------
// Property table
// ---------------------------------------------------------------------------

const TClassInfo& TSpeedButton::StaticClass() {
  using C = TSpeedButton;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TSpeedButton", &inherited::StaticClass());
    b.Component()
        .Object<TBasicAction>("Action", &C::Action, &C::SetAction)
        .Bool("AllowAllUp", &C::AllowAllUp, &C::SetAllowAllUp, false)
        // Read before Down: a button outside a group cannot be down.
        .Int("GroupIndex", &C::GroupIndex, [](C* x, int64_t v) { x->SetGroupIndex(static_cast<int>(v)); }, 0)
        .Bool("Down", &C::Down, &C::SetDown, false)
        .Bool("Flat", &C::Flat, &C::SetFlat, false)
        .Object<TBitmap>("Glyph", &C::Glyph, &C::SetGlyph)
        .Enum<TButtonLayout>("Layout", &C::Layout, &C::SetLayout, blGlyphLeft)
        .Int("Margin", &C::Margin, [](C* x, int64_t v) { x->SetMargin(static_cast<int>(v)); }, -1)
        .Int("NumGlyphs", &C::NumGlyphs, [](C* x, int64_t v) { x->SetNumGlyphs(static_cast<int>(v)); }, 1)
        .Int("Spacing", &C::Spacing, [](C* x, int64_t v) { x->SetSpacing(static_cast<int>(v)); }, 4)
        .Bool("Transparent", &C::Transparent, &C::SetTransparent, true);
    for (const char* n : {"Align", "Anchors", "BiDiMode", "Caption", "Enabled", "Font", "ParentBiDiMode",
                          "ParentFont", "ParentShowHint",
                          "PopupMenu", "ShowHint", "Visible", "OnClick", "OnDblClick", "OnMouseDown",
                          "OnMouseMove", "OnMouseUp"})
      b.Prop(TControl::Property(n));
    return b.Build();
  }();
  return info;
}

const TClassInfo& TSpeedButtonActionLink::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TSpeedButtonActionLink>("TSpeedButtonActionLink", &inherited::StaticClass()).Build();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() { RegisterClass(ClassEntry<TSpeedButton>()); }
} const kRegistration;
}  // namespace
