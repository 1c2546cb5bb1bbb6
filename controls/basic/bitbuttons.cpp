// Bit button and menu button (see bitbuttons.h).
#include "controls/basic/bitbuttons.h"

#include <algorithm>
#include <array>
#include <memory>

#include "controls/common/gradients.h"
#include "controls/common/themes.h"
#include "platform/controls/actions.h"
#include "platform/controls/forms.h"
#include "platform/graphics/gdi.h"

DTU_DEFINE_ENUM(TBitBtnKind, "bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort",
                "bkRetry", "bkIgnore", "bkAll")

namespace {

struct TKindRow {
  const char* Caption;
  TModalResult Result;
  bool Default, Cancel;
};

const TKindRow kKinds[] = {
    {"", 0, false, false},          {"OK", mrOk, true, false},      {"Cancel", mrCancel, false, true},
    {"&Help", 0, false, false},     {"&Yes", mrYes, true, false},   {"&No", mrNo, false, true},
    {"&Close", 0, false, false},    {"Abort", mrAbort, false, false}, {"&Retry", mrRetry, false, false},
    {"&Ignore", mrIgnore, false, false}, {"&All", mrAll, false, false},
};

// The transparent colour of the stock glyphs (their bottom-left pixel).
constexpr TColor kClear = clOlive;

// Draws the pictogram of Kind with its top-left at X in Colour (one colour for
// the disabled image, else the kind's own colours).
void DrawPictogram(TCanvas* C, TBitBtnKind Kind, int X, int Y, bool Disabled, TColor Ink) {
  auto pen = [&](TColor Normal, int W) {
    C->Pen()->SetColor(Disabled ? Ink : Normal);
    C->Pen()->SetWidth(W);
    C->Brush()->SetColor(Disabled ? Ink : Normal);
  };
  auto line = [&](std::vector<TPoint> P) {
    for (auto& p : P) p = TPoint{p.X + X, p.Y + Y};
    C->Polyline(P);
  };
  switch (Kind) {
    case bkOK:
    case bkYes:
      pen(clGreen, 2);
      line({{3, 8}, {6, 11}, {12, 4}});
      break;
    case bkAll:
      pen(clGreen, 2);
      line({{1, 8}, {4, 11}, {9, 4}});
      line({{6, 8}, {9, 11}, {14, 4}});
      break;
    case bkCancel:
      pen(clRed, 2);
      line({{4, 4}, {11, 11}});
      line({{11, 4}, {4, 11}});
      break;
    case bkNo:
      pen(clRed, 2);
      C->Brush()->SetStyle(bsClear);
      C->Ellipse(X + 2, Y + 2, X + 14, Y + 14);
      C->Brush()->SetStyle(bsSolid);
      line({{4, 11}, {11, 4}});
      break;
    case bkHelp:
      pen(clBlue, 2);
      line({{5, 5}, {6, 3}, {9, 3}, {10, 5}, {8, 8}, {8, 10}});
      C->FillRect(TRect{X + 7, Y + 12, X + 9, Y + 14});
      break;
    case bkClose:
      pen(clMaroon, 1);
      C->Brush()->SetColor(Disabled ? Ink : clYellow);
      C->Rectangle(TRect{X + 4, Y + 2, X + 12, Y + 15});
      C->Pen()->SetColor(Disabled ? Ink : clMaroon);
      C->MoveTo(X + 9, Y + 8);
      C->LineTo(X + 11, Y + 8);
      break;
    case bkAbort:
      pen(clRed, 1);
      C->Ellipse(X + 2, Y + 2, X + 14, Y + 14);
      C->Pen()->SetColor(Disabled ? kClear : clWhite);
      C->Pen()->SetWidth(2);
      line({{5, 8}, {11, 8}});
      break;
    case bkRetry:
      pen(clGreen, 2);
      C->Brush()->SetStyle(bsClear);
      C->Ellipse(X + 3, Y + 3, X + 13, Y + 13);
      C->Brush()->SetStyle(bsSolid);
      C->Pen()->SetWidth(1);
      C->Polygon({{X + 11, Y + 1}, {X + 14, Y + 5}, {X + 9, Y + 5}});
      break;
    case bkIgnore:
      pen(clBlue, 2);
      line({{2, 8}, {12, 8}});
      C->Pen()->SetWidth(1);
      C->Polygon({{X + 10, Y + 4}, {X + 14, Y + 8}, {X + 10, Y + 12}});
      break;
    case bkCustom: break;
  }
  C->Pen()->SetWidth(1);
}

// A 32 x 16 strip: the pictogram, then its disabled form (highlight under a
// shadow-coloured copy, one pixel up and left).
std::unique_ptr<TBitmap> MakeGlyph(TBitBtnKind Kind) {
  auto b = std::make_unique<TBitmap>(32, 16);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(kClear);
  c->FillRect(TRect{0, 0, 32, 16});
  DrawPictogram(c, Kind, 0, 0, false, clBlack);
  DrawPictogram(c, Kind, 17, 1, true, clBtnHighlight);
  DrawPictogram(c, Kind, 16, 0, true, clBtnShadow);
  c->SetPixels(0, 15, kClear);
  c->SetPixels(16, 15, kClear);
  return b;
}

int Scale(int V, int M, int D) {
  if (D == 0) return V;
  long long p = static_cast<long long>(V) * M;
  return static_cast<int>((p + (p >= 0 ? D / 2 : -D / 2)) / D);
}

}  // namespace

std::string BitBtnCaption(TBitBtnKind Kind) { return kKinds[static_cast<int>(Kind)].Caption; }

TBitmap* GetBitBtnGlyph(TBitBtnKind Kind) {
  static std::array<std::unique_ptr<TBitmap>, 11> cache;
  if (Kind == bkCustom) return nullptr;
  auto& slot = cache[static_cast<int>(Kind)];
  if (!slot) slot = MakeGlyph(Kind);
  return slot.get();
}

// ---------------------------------------------------------------------------
// TQvBitBtn

const TClassInfo& TQvBitBtn::StaticClass() {
  using S = TQvBitBtn;
  static const TClassInfo info =
      TClassBuilder<S>("TQvBitBtn", &inherited::StaticClass())
          .Component()
          .Bool("Cancel", &S::Cancel, &S::SetCancel, false, [](S* s) { return s->IsCustom(); })
          .Bool("Default", &S::Default, &S::SetDefault, false, [](S* s) { return s->IsCustom(); })
          .Int("ModalResult", &S::ModalResult, [](S* s, int64_t v) { s->SetModalResult(TModalResult(v)); }, 0,
               [](S* s) { return s->IsCustom(); })
          .Object<TBitmap>("Glyph", &S::Glyph, &S::SetGlyph,
                           [](S* s) { return s->IsCustom() && !s->Glyph()->Empty(); })
          .Enum<TBitBtnKind>("Kind", &S::GetKind, &S::SetKind, bkCustom)
          .Enum<TButtonLayout>("Layout", &S::Layout, &S::SetLayout, blGlyphLeft)
          .Int("Margin", &S::Margin, [](S* s, int64_t v) { s->SetMargin(int(v)); }, 2)
          .Int("NumGlyphs", &S::NumGlyphs, [](S* s, int64_t v) { s->SetNumGlyphs(int(v)); }, 1,
               [](S* s) { return s->IsCustom() || s->NumGlyphs() != 2; })
          // A kind read gives two glyphs.
          .Implied([](S* s) { return s->IsCustom() ? std::nullopt : std::optional<int64_t>(2); })
          .Int("Spacing", &S::Spacing, [](S* s, int64_t v) { s->SetSpacing(int(v)); }, 4)
          .Int("ImageIndex", &S::ImageIndex, [](S* s, int64_t v) { s->SetImageIndex(int(v)); }, -1)
          .Int("DisabledIndex", &S::DisabledIndex, [](S* s, int64_t v) { s->SetDisabledIndex(int(v)); }, -1)
          .Object<TCustomImageList>("Images", &S::Images, &S::SetImages)
          .Str("Caption", &S::Caption,
               [](S* s, const std::string& v) {
                 if (s->Reading()) s->FCaptionRead = true;
                 s->SetCaption(v);
               },
               [](S* s) { return s->IsCustomCaption(); })
          // A kind read gives its caption.
          .ImpliedText([](S* s) { return s->IsCustom() ? std::nullopt : std::optional<std::string>(BitBtnCaption(s->GetKind())); })
          .Build();
  return info;
}

TQvBitBtn::TQvBitBtn(TComponent* AOwner) : TQvButton(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  FGlyph->OnChange = [this](TObject*) { GlyphChanged(); };
  FImageChangeLink.OnChange = [this](TObject*) { Invalidate(); };
}

TQvBitBtn::~TQvBitBtn() {
  if (FImages) FImages->UnRegisterChanges(&FImageChangeLink);
}

void TQvBitBtn::GlyphChanged() {
  int h = FGlyph->Height(), w = FGlyph->Width();
  if (h != 0 && w % h == 0) {
    int n = w / h;
    FNumGlyphs = (n < 1 || n > 4) ? 1 : n;
  }
  Invalidate();
}

void TQvBitBtn::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  if (!FSettingKind) FModifiedGlyph = true;
}

TBitBtnKind TQvBitBtn::GetKind() const {
  if (FKind == bkCustom) return bkCustom;
  const TKindRow& k = kKinds[static_cast<int>(FKind)];
  if (Default() != k.Default || Cancel() != k.Cancel || ModalResult() != k.Result || FModifiedGlyph) return bkCustom;
  return FKind;
}

void TQvBitBtn::SetKind(TBitBtnKind Value) {
  if (Value != bkCustom && Value != GetKind()) {
    const TKindRow& k = kKinds[static_cast<int>(Value)];
    SetDefault(k.Default);
    SetCancel(k.Cancel);
    // While reading, a caption or glyph count streamed before the kind is kept.
    if (!Reading() || !FCaptionRead) SetCaption(k.Caption);
    SetModalResult(k.Result);
    int numGlyphs = FNumGlyphs;
    FSettingKind = true;
    SetGlyph(GetBitBtnGlyph(Value));
    FSettingKind = false;
    if (!Reading() || !FNumGlyphsRead) SetNumGlyphs(2);
    else FNumGlyphs = numGlyphs;  // the glyph's own count does not replace the one read
    FModifiedGlyph = false;
  }
  FKind = Value;
  Invalidate();
}

bool TQvBitBtn::IsCustomCaption() { return Caption() != BitBtnCaption(GetKind()); }

void TQvBitBtn::SetLayout(TButtonLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}
void TQvBitBtn::SetMargin(int Value) {
  if (Value < -1 || Value == FMargin) return;  // below -1 is refused
  FMargin = Value;
  Invalidate();
}
void TQvBitBtn::Loaded() {
  inherited::Loaded();
  FCaptionRead = FNumGlyphsRead = false;
}

void TQvBitBtn::SetNumGlyphs(int Value) {
  if (Reading()) FNumGlyphsRead = true;
  if (Value < 1 || Value > 4 || Value == FNumGlyphs) return;
  FNumGlyphs = Value;
  Invalidate();
}
void TQvBitBtn::SetSpacing(int Value) {
  if (Value == FSpacing) return;
  FSpacing = Value;
  Invalidate();
}
void TQvBitBtn::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  Invalidate();
}
void TQvBitBtn::SetDisabledIndex(int Value) {
  if (Value == FDisabledIndex) return;
  FDisabledIndex = Value;
  Invalidate();
}
void TQvBitBtn::SetImages(TCustomImageList* Value) {
  if (FImages) FImages->UnRegisterChanges(&FImageChangeLink);
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(&FImageChangeLink);
    FImages->FreeNotification(this);
  }
  Invalidate();
}

void TQvBitBtn::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TQvBitBtn::ActionChange(TObject* Sender, bool CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (a && (!CheckDefaults || FImageIndex == -1)) SetImageIndex(a->ImageIndex());
}

void TQvBitBtn::ChangeScale(int M, int D) {
  inherited::ChangeScale(M, D);
  FMargin = Scale(FMargin, M, D);
  FSpacing = Scale(FSpacing, M, D);
}

TPoint TQvBitBtn::GetImageSize() {
  if (FImages && FImageIndex != -1) return {FImages->Width(), FImages->Height()};
  if (FGlyph->Empty()) return {0, 0};
  return {FGlyph->Width() / FNumGlyphs, FGlyph->Height()};
}

int TQvBitBtn::MeasureCaptionHeight(const TRect& C) {
  TRect r = C;
  Canvas()->Font()->Assign(Font());
  std::string s = Caption();
  DrawText(Canvas()->Handle(), s.c_str(), static_cast<int>(s.size()), &r, 0x455);
  return r.Height();
}

TRect TQvBitBtn::GetCaptionRect() {
  TRect c = inherited::GetCaptionRect();
  TPoint i = GetImageSize();
  if (i.X == 0 && i.Y == 0) return c;
  if (FMargin >= 0) {
    int dx = FMargin + i.X + FSpacing, dy = FMargin + i.Y + FSpacing;
    switch (FLayout) {
      case blGlyphLeft: c.Left += dx; break;
      case blGlyphRight: c.Right -= dx; break;
      case blGlyphTop: c.Top += dy; break;
      case blGlyphBottom: c.Bottom -= dy; break;
    }
    return c;
  }
  int h = MeasureCaptionHeight(c);
  int t = i.Y + h + FSpacing;
  switch (FLayout) {
    case blGlyphLeft: c.Left += -1 + i.X + FSpacing; break;
    case blGlyphRight: c.Right -= -1 + i.X + FSpacing; break;
    case blGlyphTop:
      c.Top += (Height() - t) / 2 + i.Y;
      c.Bottom = c.Top + h;
      break;
    case blGlyphBottom:
      c.Top += (Height() - t) / 2;
      c.Bottom = c.Top + h;
      break;
  }
  return c;
}

TRect TQvBitBtn::GetGlyphRect() {
  TRect c = inherited::GetCaptionRect();
  TRect g = c;
  TPoint i = GetImageSize();
  bool themed = Themed();
  if (Pressed()) OffsetRect(g, -1, themed ? 0 : -1);
  if (FMargin >= 0) {
    switch (FLayout) {
      case blGlyphLeft: g.Left += FMargin; break;
      case blGlyphRight: g.Left = g.Right - FMargin - i.X; break;
      case blGlyphTop: g.Top += FMargin; break;
      case blGlyphBottom: g.Top = g.Bottom - FMargin - i.Y; break;
    }
  } else {
    int h = MeasureCaptionHeight(c);
    int t = i.Y + h + FSpacing;
    switch (FLayout) {
      case blGlyphLeft: break;
      case blGlyphRight: g.Left = g.Right - i.X; break;
      case blGlyphTop: g.Top = (Height() - t) / 2; break;
      case blGlyphBottom: g.Top += (Height() - t) / 2 + h; break;
    }
  }
  if (FLayout == blGlyphTop || FLayout == blGlyphBottom) g.Left += (g.Width() - i.X + 1) / 2;
  else g.Top += (g.Height() - i.Y + 1) / 2;
  g.Right = g.Left + i.X;
  g.Bottom = g.Top + i.Y;
  if (Pressed()) OffsetRect(g, themed ? 2 : 1, themed ? 0 : 1);
  return g;
}

void TQvBitBtn::DrawButtonContent() {
  inherited::DrawButtonContent();
  TRect g = GetGlyphRect();
  if (GetKind() == bkCustom && FImages && FImageIndex != -1) DrawImage(g);
  else if (!FGlyph->Empty()) DrawGlyph(g);
}

void TQvBitBtn::DrawImage(TRect R) {
  if (FDisabledIndex == -1) {
    if (FImageIndex != -1) FImages->Draw(Canvas(), R.Left, R.Top, FImageIndex, Enabled());
  } else if (Enabled()) {
    if (FImageIndex != -1) FImages->Draw(Canvas(), R.Left, R.Top, FImageIndex, true);
  } else {
    FImages->Draw(Canvas(), R.Left, R.Top, FDisabledIndex, true);
  }
}

void TQvBitBtn::DrawGlyph(TRect R) {
  int w = R.Width(), h = R.Height();
  int n;
  if (FNumGlyphs == 4 && State() == bsExclusive) n = 4;
  else if (FNumGlyphs >= 3 && (State() == bsDown || Pressed())) n = 3;
  else if (FNumGlyphs < 2 || Enabled()) n = 1;
  else n = 2;
  TColor clear = static_cast<TColor>(FGlyph->Canvas()->Pixels(0, FGlyph->Height() - 1));
  DrawFullTransparentBitmap(Canvas(), FGlyph.get(), R, TRect{(n - 1) * w, 0, n * w, h}, clear);
}

// ---------------------------------------------------------------------------
// TQvMenuButton

const TClassInfo& TQvMenuButton::StaticClass() {
  using S = TQvMenuButton;
  static const TClassInfo info = TClassBuilder<S>("TQvMenuButton", &inherited::StaticClass())
                                     .Component()
                                     .Object<TPopupMenu>("DropDownMenu", &S::DropDownMenu, &S::SetDropDownMenu)
                                     .Bool("ShowArrow", &S::ShowArrow, &S::SetShowArrow, true)
                                     .Event<TNotifyEvent>("OnDropDown", &S::OnDropDown)
                                     .Int("Width", &S::Width, [](S* s, int64_t v) { s->SetWidth(int(v)); }, 110)
                                     .Build();
  return info;
}

TQvMenuButton::TQvMenuButton(TComponent* AOwner) : TQvBitBtn(AOwner) {
  SetControlStyle(ControlStyle() >> csDoubleClicks);
  SetWidth(110);
}

void TQvMenuButton::SetDropDownMenu(TPopupMenu* Value) { FMenuDropDown.SetMenu(Value); }

void TQvMenuButton::SetShowArrow(bool Value) { FMenuDropDown.SetShowArrow(Value); }

void TQvMenuButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  FMenuDropDown.Notification(AComponent, Operation);
}

void TQvMenuButton::DropDown() {
  if (OnDropDown) OnDropDown(DropDownMenu());
}

void TQvMenuButton::DoDropDown() {
  FMenuDropDown.Drop([this] { DropDown(); });
}

void TQvMenuButton::Click() {
  if (FMenuDropDown.TakeSkipClick()) return;
  if (DropDownMenu() && !NoDropDown()) {
    MouseDown(mbLeft, TShiftState{ssLeft}, 0, 0);
    return;
  }
  inherited::Click();
}

void TQvMenuButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (!DropDownMenu() || Button != mbLeft || Shift != TShiftState{ssLeft}) return;
  if (!FMenuDropDown.Press([this] { DoDropDown(); })) return;
  // The press ends here, outside the button, so no click follows; nothing is
  // left to skip either (a skip kept would swallow the next Space or Enter).
  inherited::MouseUp(Button, Shift, -1, -1);
  FMenuDropDown.TakeSkipClick();
}

void TQvMenuButton::Dispatch(TMessage& M) {
  // F4 gives no click, so there is none to skip.
  if (M.Msg == WM_KEYDOWN && M.WParam == VK_F4 && !FMenuDropDown.Run([this] { DoDropDown(); })) return;
  inherited::Dispatch(M);
}

TRect TQvMenuButton::GetCaptionRect() {
  TRect c = inherited::GetCaptionRect();
  if (ShowArrow() && UseRightToLeftAlignment()) c.Left += 14;
  else if (ShowArrow()) c.Right -= 14;
  return c;
}

TRect TQvMenuButton::GetGlyphRect() {
  TRect g = inherited::GetGlyphRect();
  if (ShowArrow()) {
    if (Layout() == blGlyphRight) OffsetRect(g, -14, 0);
    else if (Layout() == blGlyphTop || Layout() == blGlyphBottom) OffsetRect(g, -7, 0);
  }
  return g;
}

void TQvMenuButton::Paint() {
  inherited::Paint();
  if (!ShowArrow()) return;
  TColor c = Enabled() ? clWindowText : clBtnShadow;
  Canvas()->Pen()->SetColor(c);
  Canvas()->Brush()->SetColor(c);
  int x = UseRightToLeftAlignment() ? 8 : ClientWidth() - 12, y = ClientHeight() / 2 + 2;
  if (Pressed()) ++x, ++y;
  Canvas()->Polygon({{x, y}, {x - 3, y - 3}, {x + 3, y - 3}});
}
