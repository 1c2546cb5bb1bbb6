// TQvCustomGroupBox, TQvGroupBox and TQvSpacer.
#include "controls/basic/groupbox.h"

#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "platform/core/gbk.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/stdctrls_buttons.h"

DTU_DEFINE_ENUM(TQvGroupBoxStyle, "gsStandard", "gsCustom", "gsTopLine", "gsFlat", "gsBanner", "gsUnderline")

namespace {
std::wstring Wide(const std::string& Gbk) {
  std::u16string u = GbkToUtf16(Gbk);
  return std::wstring(u.begin(), u.end());
}

void Line(TCanvas* C, int X1, int Y1, int X2, int Y2) {
  C->MoveTo(X1, Y1);
  C->LineTo(X2, Y2);
}
}  // namespace

TQvCustomGroupBox::TQvCustomGroupBox(TComponent* AOwner) : TQvCustomPanel(AOwner) {
  FControlStyle << csSetCaption << csDoubleClicks;
  SetBorderOuter(fsNone);
  SetBorderInner(fsNone);
  SetAlignment(taLeftJustify);
  SetAlignmentVertical(avTop);
  SetHeight(105);
}

void TQvCustomGroupBox::SetGroupBoxStyle(TQvGroupBoxStyle Value) {
  if (FGroupStyle == Value) return;
  FGroupStyle = Value;
  Realign();
  Invalidate();
}

void TQvCustomGroupBox::CustomFramingChanged() {
  if (FrameController() && FrameController()->FrameVisible() && FGroupStyle == gsCustom)
    inherited::CustomFramingChanged();
}

void TQvCustomGroupBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_FONTCHANGED:
      inherited::Dispatch(M);
      Invalidate();
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<WORD>(M.WParam), Caption()) && CanFocus()) {
        // Focus the first child that takes it.
        if (TWinControl* first = FindNextControl(nullptr, true, true, false)) first->SetFocus();
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    default: inherited::Dispatch(M);
  }
}

void TQvCustomGroupBox::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  // Measured on a memory context: laying out may happen outside painting, where
  // the control's own canvas would hold a window context until the message ends.
  int h = TextExtentOf(Font(), "Yy").cy;
  switch (FGroupStyle) {
    case gsStandard:
    case gsFlat: {
      int a = h / 2 - 1;
      Rect.Top += a >= BorderWidth() ? h - BorderWidth() : a;
      int d = FGroupStyle == gsStandard ? 2 : 1;
      InflateRect(Rect, -d, -d);
      break;
    }
    case gsCustom:
      if (!Caption().empty()) Rect.Top += h;
      InflateRect(Rect, -2, -2);
      break;
    case gsTopLine: Rect.Top += h; break;
    case gsBanner: Rect.Top += h + 8; break;
    case gsUnderline: Rect.Top += h + 4; break;
  }
}

TRect TQvCustomGroupBox::CaptionRect(int cx, int cy) {
  if (Caption().empty()) return {};
  // Read right to left, the caption of a framed style sits at the right edge: the
  // standard gap mirrored, the top line's caption 4 pixels in from the edge.
  const bool rtl = UseRightToLeftReading();
  const int w = Width();
  switch (FGroupStyle) {
    case gsStandard:
    case gsFlat: return rtl ? MirrorRect({8, 0, cx + 8, cy}, w) : TRect{8, 0, cx + 8, cy};
    case gsTopLine: return rtl ? TRect{w - cx - 4, 0, w - 4, cy} : TRect{0, 0, cx + 4, cy};
    case gsBanner: return {0, 0, Width(), cy + 6};
    case gsUnderline: return {0, 0, Width(), cy + 2};
    default: return {};
  }
}

void TQvCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->SetFont(Font());
  std::string caption = Caption();
  HDC dc = c->Handle();
  bool themed = VisualStyle() == vsWinXP && ThemeServices()->ThemesEnabled() &&
                (FGroupStyle == gsStandard || FGroupStyle == gsFlat);
  TSize ext{0, 0};
  if (!caption.empty() && FGroupStyle != gsCustom) {
    std::string plain = RemovePrefixChars(caption);
    GetTextExtentPoint32(dc, plain.c_str(), static_cast<int>(plain.size()), &ext);
  }
  TRect t = FGroupStyle == gsCustom ? TRect{} : CaptionRect(ext.cx, ext.cy);
  int h = c->TextHeight("Yy");
  TRect f{0, h / 2 - 1, Width(), Height()};

  if (themed) {
    PaintThemedGroup(c, f, t, caption);
    return;
  }
  if (FGroupStyle == gsCustom) {
    inherited::Paint();
    return;
  }
  PaintGroupFrame(c, f, t);
  if (!caption.empty()) PaintGroupCaption(c, t, caption);
}

// The visual style's group box, its frame clipped around the caption.
void TQvCustomGroupBox::PaintThemedGroup(TCanvas* C, const TRect& Frame, const TRect& Text,
                                         const std::string& Caption) {
  HDC dc = C->Handle();
  if (!Transparent()) DrawParentImage(this, dc);
  int saved = SaveDC(dc);
  if (!IsRectEmpty(Text)) ExcludeClipRect(dc, Text.Left, Text.Top, Text.Right, Text.Bottom);
  ThemeServices()->DrawElement(dc, ThemeServices()->GetElementDetails(Enabled() ? tbGroupBoxNormal : tbGroupBoxDisabled), Frame);
  RestoreDC(dc, saved);
  if (!Caption.empty())
    ThemeServices()->DrawText(dc, ThemeServices()->GetElementDetails(Enabled() ? tbGroupBoxNormal : tbGroupBoxDisabled),
                              Wide(Caption), Text, AlignmentFlag(Alignment()), 0);
}

// The background and the frame of the classic styles; a transparent box leaves the
// caption's place alone (the banner paints over it).
//
// gsFlat: a one-pixel frame with cut corners, a pixel inside each corner.
//   ..XXXX..
//   .X....X.
//   X......X
//   X......X
//   .X....X.
//   ..XXXX..
void TQvCustomGroupBox::PaintGroupFrame(TCanvas* C, const TRect& Frame, const TRect& Text) {
  HDC dc = C->Handle();
  const TRect& f = Frame;
  int saved = SaveDC(dc);
  TRect all{0, 0, Width(), Height()};
  if (Transparent()) {
    if (FGroupStyle != gsBanner && !IsRectEmpty(Text))
      ExcludeClipRect(dc, Text.Left, Text.Top, Text.Right, Text.Bottom);
  } else {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(all);
  }
  TColor flat = AdjustColor(FlatColor(), FlatColorAdjustment());
  C->Pen()->SetStyle(psSolid);
  C->Pen()->SetColor(flat);
  switch (FGroupStyle) {
    case gsStandard:
      if (BorderOuter() == fsNone) DrawBorderSides(C, f, fsGroove, AllSides);
      else if (BorderOuter() == fsFlat) DrawBox(C, f, flat);
      else if (BorderOuter() == fsFlatBold) DrawBevel(C, f, flat, flat, 2, AllSides);
      else DrawBorderSides(C, f, BorderOuter(), AllSides);
      break;
    case gsTopLine:
      if (BorderOuter() == fsNone) DrawBorderSides(C, f, fsGroove, {sdTop});
      else if (BorderOuter() == fsFlat || BorderOuter() == fsFlatBold) {
        Line(C, f.Left + 2, f.Top, f.Right - 2, f.Top);
        if (BorderOuter() == fsFlatBold) Line(C, f.Left + 2, f.Top + 1, f.Right - 2, f.Top + 1);
      } else {
        DrawBorderSides(C, f, BorderOuter(), {sdTop});
      }
      break;
    case gsFlat: {
      int l = f.Left, tp = f.Top, r = f.Right, b = f.Bottom;
      Line(C, l, tp + 2, l, b - 2);
      Line(C, l + 2, tp, r - 2, tp);
      Line(C, r - 1, tp + 2, r - 1, b - 2);
      Line(C, l + 2, b - 1, r - 2, b - 1);
      for (TPoint p : {TPoint{l + 1, tp + 1}, TPoint{r - 2, tp + 1}, TPoint{r - 2, b - 2}, TPoint{l + 1, b - 2}})
        C->SetPixels(p.X, p.Y, flat);
      break;
    }
    case gsBanner: PaintBanner(C, Text, flat); break;
    case gsUnderline: Line(C, Text.Left, Text.Bottom, Text.Right, Text.Bottom); break;
    default: break;
  }
  RestoreDC(dc, saved);
  C->Refresh();
}

// gsBanner: the caption's strip framed with cut corners and filled with the gradient.
void TQvCustomGroupBox::PaintBanner(TCanvas* C, const TRect& Text, TColor Flat) {
  const TRect& t = Text;
  TColor start, stop, frame;
  if (GradientColorStyle() == gcsCustom) {
    start = GradientColorStart();
    stop = GradientColorStop();
    frame = Flat;
  } else {
    GetGradientStatusBarColors(GradientColorStyle(), start, stop, frame);
  }
  C->Pen()->SetColor(frame);
  Line(C, t.Left, t.Top + 1, t.Left, t.Bottom - 1);
  Line(C, t.Left + 1, t.Top, t.Right - 1, t.Top);
  Line(C, t.Right - 1, t.Top + 1, t.Right - 1, t.Bottom - 1);
  Line(C, t.Left + 1, t.Bottom - 1, t.Right - 1, t.Bottom - 1);
  TRect g = t;
  InflateRect(g, -1, -1);
  if (!IsRectEmpty(g)) PaintGradient(C, g, gdHorizontalEnd, start, stop, 1);
}

// The caption of the classic styles: on the background colour unless transparent or
// on the banner (inset there), grey when disabled.
void TQvCustomGroupBox::PaintGroupCaption(TCanvas* C, TRect Text, const std::string& Caption) {
  C->SetFont(Font());
  if (!Transparent() && FGroupStyle != gsBanner) {
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(Text);
  }
  if (FGroupStyle == gsBanner) InflateRect(Text, -4, -1);
  C->Brush()->SetStyle(bsClear);
  if (!Enabled()) C->Font()->SetColor(clGrayText);
  else if (VisualStyle() == vsWinXP && ThemeServices()->ThemesEnabled())
    C->Font()->SetColor(GetXPThemeColor(xptcGroupBoxFont));
  DrawText(C->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &Text,
           DT_SINGLELINE | AlignmentFlag(Alignment()));
  C->Brush()->SetStyle(bsSolid);
}

// ---------------------------------------------------------------------------
// TQvSpacer
// ---------------------------------------------------------------------------

TQvSpacer::TQvSpacer(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 8, 25); }

void TQvSpacer::SetGrooved(bool Value) {
  if (FGrooved == Value) return;
  FGrooved = Value;
  Invalidate();
}

void TQvSpacer::SetOrientation(TOrientation Value) {
  if (FOrientation == Value) return;
  FOrientation = Value;
  if (!ComponentState().Contains(csLoading)) {
    SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
  }
}

void TQvSpacer::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!FGrooved) {
    if (ComponentState().Contains(csDesigning)) {
      c->Pen()->SetStyle(psDot);
      c->Pen()->SetColor(clBlack);
      c->Brush()->SetStyle(bsClear);
      c->Rectangle(r);
      c->Pen()->SetStyle(psSolid);
      c->Brush()->SetStyle(bsSolid);
    }
    return;
  }
  if (ThemeServices()->ThemesEnabled()) {
    ThemeServices()->DrawElement(
        c->Handle(), ThemeServices()->GetElementDetails(Width() <= Height() ? ttbSeparatorNormal : ttbSeparatorVertNormal), r);
    return;
  }
  c->Pen()->SetStyle(psSolid);
  if (Width() <= Height()) {
    int x = r.Left + r.Width() / 2 - 1;
    c->Pen()->SetColor(clBtnShadow);
    c->MoveTo(x, r.Top + 1);
    c->LineTo(x, r.Bottom);
    c->Pen()->SetColor(clBtnHighlight);
    c->MoveTo(x + 1, r.Top + 1);
    c->LineTo(x + 1, r.Bottom);
  } else {
    int y = r.Top + r.Height() / 2 - 1;
    c->Pen()->SetColor(clBtnShadow);
    c->MoveTo(r.Left + 1, y);
    c->LineTo(r.Right, y);
    c->Pen()->SetColor(clBtnHighlight);
    c->MoveTo(r.Left + 1, y + 1);
    c->LineTo(r.Right, y + 1);
  }
}

// ---------------------------------------------------------------------------
// Published properties
// ---------------------------------------------------------------------------

const TClassInfo& TQvCustomGroupBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCustomGroupBox>("TQvCustomGroupBox", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvGroupBox::StaticClass() {
  using C = TQvGroupBox;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvGroupBox", &inherited::StaticClass());
    b.Component()
        .Enum<TAlignment>("Alignment", &C::Alignment, &C::SetAlignment, taLeftJustify)
        .Enum<TQvGroupBoxStyle>("GroupStyle", &C::GroupStyle, &C::SetGroupStyle, gsFlat)
        .Int("Height", &C::Height, [](C* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, 105);
    AddPanelFraming(b, fsNone);
    AddPanelInherited(b);
    return b.Build();
  }();
  return info;
}

const TClassInfo& TQvSpacer::StaticClass() {
  using C = TQvSpacer;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvSpacer", &inherited::StaticClass());
    b.Component()
        .Bool("Grooved", &C::Grooved, &C::SetGrooved, false)
        .Enum<TOrientation>("Orientation", &C::Orientation, &C::SetOrientation, orHorizontal)
        .Int("Height", &C::Height, [](C* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, 25)
        .Int("Width", &C::Width, [](C* x, int64_t v) { x->SetWidth(static_cast<int>(v)); }, 8);
    PublishInherited(b, {"Align", "Anchors", "Constraints", "Visible"});
    return b.Build();
  }();
  return info;
}
