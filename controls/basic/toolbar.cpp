// The framed toolbar (see toolbar.h).
#include "controls/basic/toolbar.h"

#include <algorithm>

#include "controls/basic/tbspeedbuttons.h"
#include "controls/common/frames.h"
#include "controls/common/gradients.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "platform/controls/forms.h"
#include "platform/core/filer.h"
#include "platform/core/strings.h"
#include "platform/core/scope.h"

DTU_DEFINE_ENUM(TQvToolbarTextOptions, "ttoNoTextLabels", "ttoShowTextLabels", "ttoSelectiveTextOnRight",
                "ttoCustom")

TToolbarPopupHook& ToolbarPopupHook() {
  static TToolbarPopupHook hook;
  return hook;
}

TToolbarCustomizeHook& ToolbarCustomizeHook() {
  static TToolbarCustomizeHook hook;
  return hook;
}

// ---------------------------------------------------------------------------
// TQvToolbarControlList

const TClassInfo& TQvToolbarControl::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvToolbarControl>("TQvToolbarControl", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvToolbarControlList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvToolbarControlList>("TQvToolbarControlList", &inherited::StaticClass()).Build();
  return info;
}

TQvToolbarControlList::~TQvToolbarControlList() { Clear(); }

void TQvToolbarControlList::Clear() {
  for (auto* e : FItems) delete e;
  FItems.clear();
}

int TQvToolbarControlList::IndexOf(TControl* Control) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[i]->Control == Control) return i;
  return -1;
}

int TQvToolbarControlList::IndexOfName(const std::string& Name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(FItems[i]->Name, Name)) return i;
  return -1;
}

int TQvToolbarControlList::AddControl(TControl* Control) {
  int i = IndexOf(Control);
  if (i >= 0) return i;
  auto* e = CreateToolBarControl();
  e->Control = Control;
  e->Name = Control->Name();
  FItems.push_back(e);
  return Count() - 1;
}

int TQvToolbarControlList::AddControlName(const std::string& Name) {
  int i = IndexOfName(Name);
  if (i >= 0) return i;
  auto* e = CreateToolBarControl();
  e->Name = Name;
  FItems.push_back(e);
  return Count() - 1;
}

void TQvToolbarControlList::RemoveControl(TControl* Control) {
  int i = IndexOf(Control);
  if (i < 0) return;
  delete FItems[i];
  FItems.erase(FItems.begin() + i);
}

void TQvToolbarControlList::RemoveControlName(const std::string& Name) {
  int i = IndexOfName(Name);
  if (i < 0) return;
  delete FItems[i];
  FItems.erase(FItems.begin() + i);
}

void TQvToolbarControlList::Move(int From, int To) {
  if (From < 0 || From >= Count() || To < 0 || To >= Count() || From == To) return;
  auto* e = FItems[From];
  FItems.erase(FItems.begin() + From);
  FItems.insert(FItems.begin() + To, e);
}

void TQvToolbarControlList::ReadControls(TReader* Reader) {
  FLoading = std::make_unique<std::vector<std::string>>();
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) FLoading->push_back(Reader->ReadIdent());
  Reader->ReadListEnd();
}

void TQvToolbarControlList::WriteControls(TWriter* Writer) {
  Writer->WriteListBegin();
  for (auto* e : FItems) Writer->WriteIdent(e->Control ? e->Control->Name() : e->Name);
  Writer->WriteListEnd();
}

void TQvToolbarControlList::ControlsAreLoaded(TComponent* Owner) {
  auto addChildren = [&] {
    for (int i = 0; i < FToolbar->ControlCount(); ++i) {
      TControl* c = FToolbar->Controls(i);
      if (c != FToolbar->Chevron()) AddControl(c);
    }
  };
  if (!FLoading) {
    addChildren();
    return;
  }
  bool dropped = false;
  for (const std::string& name : *FLoading) {
    auto* c = Owner ? dynamic_cast<TControl*>(Owner->FindComponent(name)) : nullptr;
    if (!c) continue;
    if (c->Parent() != FToolbar) {
      dropped = true;
      continue;
    }
    AddControl(c);
  }
  FLoading.reset();
  if (dropped || true) addChildren();  // children the stream did not name follow in child order
}

// ---------------------------------------------------------------------------
// TQvCustomizeCaptions

const TClassInfo& TQvCustomizeCaptions::StaticClass() {
  using C = TQvCustomizeCaptions;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvCustomizeCaptions", &inherited::StaticClass());
    b.Creatable();
    auto stored = [](C* x) { return x->Changed(); };
    b.Str("Title", &C::Title, &C::SetTitle, stored)
        .Str("Hint", &C::Hint, &C::SetHint, stored)
        .Str("Close", &C::Close, &C::SetClose, stored)
        .Str("MoveUp", &C::MoveUp, &C::SetMoveUp, stored)
        .Str("MoveDown", &C::MoveDown, &C::SetMoveDown, stored)
        .Str("TextOptions", &C::TextOptions, &C::SetTextOptions, stored)
        .Str("NoTextLabels", &C::NoTextLabels, &C::SetNoTextLabels, stored)
        .Str("ShowTextLabels", &C::ShowTextLabels, &C::SetShowTextLabels, stored)
        .Str("SelectiveTextOnRight", &C::SelectiveTextOnRight, &C::SetSelectiveTextOnRight, stored);
    return b.Build();
  }();
  return info;
}

void TQvCustomizeCaptions::SetCaption(int Index, const std::string& Value) {
  FCaptions.at(Index - 1) = Value;
  FChanged = true;
}

void TQvCustomizeCaptions::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQvCustomizeCaptions*>(Source)) {
    FCaptions = s->FCaptions;
    FChanged = s->FChanged;
    return;
  }
  inherited::Assign(Source);
}

// ---------------------------------------------------------------------------
// TQvToolbarPopupButton

const TClassInfo& TQvToolbarPopupButton::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvToolbarPopupButton>("TQvToolbarPopupButton", &inherited::StaticClass()).Build();
  return info;
}

TQvToolbarPopupButton::TQvToolbarPopupButton(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 14, 25);
}

void TQvToolbarPopupButton::Dispatch(TMessage& M) {
  if (M.Msg == WM_ERASEBKGND) {
    M.Result = 1;
    return;
  }
  inherited::Dispatch(M);
}

void TQvToolbarPopupButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  FTracking = true;
  FPressed = true;
  Invalidate();
  SetMouseCapture(true);
}

void TQvToolbarPopupButton::MouseMove(TShiftState Shift, int X, int Y) {
  inherited::MouseMove(Shift, X, Y);
  if (!FTracking) return;
  bool in = ClientRect().Contains(TPoint{X, Y});
  if (in != FPressed) {
    FPressed = in;
    Invalidate();
  }
}

void TQvToolbarPopupButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  SetMouseCapture(false);
  FTracking = false;
  if (FPressed) {
    FPressed = false;
    Invalidate();
    DisplayButtons();  // may run modal code: nothing of this control is used after it
    return;
  }
  Invalidate();
}

// The chevron glyph: two stacked 3 x 5 ">" pairs in the button text colour,
// shifted by (1, 1) while pressed.
//   x.. x..
//   .x. .x.
//   ..x ..x
//   .x. .x.
//   x.. x..
void TQvToolbarPopupButton::Paint() {
  TRect r = ClientRect();
  auto* bar = dynamic_cast<TQvToolbar*>(Parent());
  TCanvas* c = Canvas();
  if (bar && bar->VisualStyle() == vsWinXP && ThemeServices()->ThemesEnabled()) {
    TThemeServices* th = ThemeServices();
    th->DrawElement(c->Handle(), th->GetElementDetails(trRebarRoot), r);
    th->DrawElement(c->Handle(), th->GetElementDetails(FPressed ? trChevronPressed : trChevronNormal), r);
  } else if (bar && bar->VisualStyle() == vsGradient) {
    TColor start, stop;
    if (bar->GradientColorStyle() == gcsCustom) {
      start = bar->GradientColorStart();
      stop = bar->GradientColorStop();
    } else {
      GetGradientPanelColors(bar->GradientColorStyle(), start, stop);
    }
    TRect in = DrawBox(c, r, FFrameColor);
    if (FPressed) std::swap(start, stop);
    PaintGradient(c, in, gdVerticalEnd, start, stop, 1);
  } else {
    TColor face = bar ? bar->Color() : clBtnFace;
    TRect in = DrawBox(c, r, FFrameColor);
    c->Brush()->SetColor(FPressed ? DarkerColor(face, 20) : face);
    c->FillRect(in);
  }
  int x0 = (r.Width() - 7) / 2 + (FPressed ? 1 : 0), y0 = 4 + (FPressed ? 1 : 0);
  TColor ink = ColorToRGB(clBtnText);
  // The arrows point to the edge the hidden controls went past.
  static const int dx[5] = {0, 1, 2, 1, 0};
  const bool leftward = UseRightToLeftAlignment();
  for (int pair = 0; pair < 2; ++pair)
    for (int row = 0; row < 5; ++row)
      for (int k = 0; k < 2; ++k)
        c->SetPixels(x0 + k * 4 + (leftward ? 2 - dx[row] : dx[row]), y0 + pair * 6 + row, ink);
}

void TQvToolbarPopupButton::DisplayButtons() {
  auto* bar = dynamic_cast<TQvToolbar*>(Parent());
  if (!bar || !GetParentForm(this) || !ToolbarPopupHook()) return;
  std::vector<TQvToolButton*> cut = bar->CutOffButtons();
  ClickedButton = nullptr;
  std::weak_ptr<bool> alive = FAlive;
  TQvToolButton* chosen = ToolbarPopupHook()(this, cut);
  if (alive.expired()) return;  // the toolbar went with its chevron
  // The popup's handlers may have changed the toolbar: click the source only when
  // it is still one of the toolbar's listed controls.
  if (chosen && bar->ToolbarControls()->IndexOf(chosen) >= 0) chosen->Click();
}

// ---------------------------------------------------------------------------
// TQvPopupToolButton

const TClassInfo& TQvPopupToolButton::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvPopupToolButton>("TQvPopupToolButton", &inherited::StaticClass()).Build();
  return info;
}

void TQvPopupToolButton::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TQvToolButton*>(Source);
  if (!s) return inherited::Assign(Source);
  FSource = s;
  SetCaption(s->Caption());
  SetColor(s->Color());
  SetHint(s->Hint());
  SetImages(s->Images());
  SetImageIndex(s->ImageIndex());
  SetHotIndex(s->HotIndex());
  SetDownIndex(s->DownIndex());
  SetDisabledIndex(s->DisabledIndex());
  SetLayout(s->Layout());
  SetFlat(s->Flat());
  SetTransparent(s->Transparent());
  SetAlignment(s->Alignment());
  SetEnabled(s->Enabled());
  SetVisible(s->Visible());
  SetTag(s->Tag());
  OnClick = s->OnClick;
}

void TQvPopupToolButton::Click() {
  if (Chevron) Chevron->ClickedButton = FSource;
  if (auto* inner = dynamic_cast<TQvToolbar*>(Parent())) inner->Click();
}

// ---------------------------------------------------------------------------
// TQvToolbar

const TClassInfo& TQvToolbar::StaticClass() {
  using C = TQvToolbar;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvToolbar", &inherited::StaticClass());
    b.Component()
        .Enum<TAlign>("Align", &C::Align, &C::SetAlign, alTop)
        .Bool("AutoResize", &C::AutoResize, &C::SetAutoResize, true)
        .Bool("AutoStyle", &C::AutoStyle, &C::SetAutoStyle, true)
        // A border read clears AutoStyle unless the stream keeps it.
        .Implied([](C* x) { return x->AutoStyle() && x->BordersMoved() ? std::optional<int64_t>(0) : std::nullopt; })
        .Object<TBitmap>("Background", &C::Background, &C::SetBackground,
                         [](C* x) { return !x->Background()->Empty(); })
        .Enum<TButtonLayout>("ButtonLayout", &C::ButtonLayout, &C::SetButtonLayout, blGlyphLeft)
        .Int("ButtonWidth", &C::ButtonWidth, [](C* x, int64_t v) { x->SetButtonWidth(static_cast<int>(v)); }, 25)
        .Int("ButtonHeight", &C::ButtonHeight, [](C* x, int64_t v) { x->SetButtonHeight(static_cast<int>(v)); },
             25)
        .Object<TQvCustomizeCaptions>("CustomizeCaptions", &C::CustomizeCaptions, &C::SetCustomizeCaptions,
                                      [](C* x) { return x->CustomizeCaptions()->Changed(); })
        .Object<TCustomImageList>("Images", &C::Images, &C::SetImages)
        .Int("Margin", &C::Margin, [](C* x, int64_t v) { x->SetMargin(static_cast<int>(v)); }, 4)
        .Int("TopMargin", &C::TopMargin, [](C* x, int64_t v) { x->SetTopMargin(static_cast<int>(v)); }, 2)
        .Enum<TOrientation>("Orientation", &C::Orientation, &C::SetOrientation, orHorizontal)
        .Object<TQvRegIniFile>("RegIniFile", &C::RegIniFile, &C::SetRegIniFile)
        .Int("RowHeight", &C::RowHeight, [](C* x, int64_t v) { x->SetRowHeight(static_cast<int>(v)); }, 25)
        .Bool("ShowButtonCaptions", &C::ShowButtonCaptions, &C::SetShowButtonCaptions, false)
        .Bool("ShowDivider", &C::ShowDivider, &C::SetShowDivider, true)
        .Enum<TQvToolbarTextOptions>("TextOptions", &C::TextOptions, &C::SetTextOptions, ttoNoTextLabels)
        .Bool("WrapControls", &C::WrapControls, &C::SetWrapControls, true)
        .Event<TNotifyEvent>("OnVisibleChanged", &C::OnVisibleChanged)
        .Int("Height", &C::Height, [](C* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, 32)
        .Int("Width", &C::Width, [](C* x, int64_t v) { x->SetWidth(static_cast<int>(v)); }, 32);
    // The panel's properties; the borders are set by the toolbar and always stored.
    b.Enum<TAlignment>("Alignment", &C::Alignment, &C::SetAlignment, taCenter)
        .Prop(TControl::Property("BorderWidth", std::nullopt));
    AddPanelLayout(b);
    AddPanelFraming(b, fsGroove, false);
    AddPanelInherited(b, {"Align", "BorderWidth"});
    return b.Build();
  }();
  return info;
}

TQvToolbar::TQvToolbar(TComponent* AOwner)
    : TQvCustomPanel(AOwner),
      FBackground(std::make_unique<TBitmap>()),
      FCustomizeCaptions(std::make_unique<TQvCustomizeCaptions>()),
      FControls(std::make_unique<TQvToolbarControlList>(this)) {
  FBackground->OnChange = [this](TObject*) { Invalidate(); };
  FImageChangeLink.OnChange = [this](TObject* S) {
    if (S == FImages) Update();
  };
  TQvCustomPanel::SetBorderInner(fsNone);
  TQvCustomPanel::SetBorderOuter(fsGroove);
  TQvCustomPanel::SetBorderSides(TSides{sdTop});
  SetBorderWidth(0);
  TControl::SetAlign(alTop);
  SetBounds(Left(), Top(), 32, 32);
  SetShowDockClientCaptions(false);
  SetFullRepaint(false);
}

TQvToolbar::~TQvToolbar() {
  if (FImages) FImages->UnRegisterChanges(&FImageChangeLink);
}

void TQvToolbar::Broadcast(UINT Msg) { NotifyControls(Msg); }

void TQvToolbar::SetButtonLayout(TButtonLayout Value) {
  FButtonLayout = Value;
  Broadcast(CM_TOOLBARBUTTONLAYOUTCHANGED);
  ButtonStyleChanged();
}
void TQvToolbar::SetButtonWidth(int Value) {
  FButtonWidth = Value;
  Broadcast(CM_TOOLBARBUTTONSIZECHANGED);
  ButtonStyleChanged();
}
void TQvToolbar::SetButtonHeight(int Value) {
  FButtonHeight = Value;
  Broadcast(CM_TOOLBARBUTTONSIZECHANGED);
  ButtonStyleChanged();
}
void TQvToolbar::SetShowButtonCaptions(bool Value) {
  FShowButtonCaptions = Value;
  Broadcast(CM_TOOLBARSHOWCAPTIONCHANGED);
  ButtonStyleChanged();
}
void TQvToolbar::SetGradientColorStyle(TQvGradientColorStyle Value) {
  inherited::SetGradientColorStyle(Value);
  Broadcast(CM_TOOLBARVISUALSTYLECHANGED);
}
void TQvToolbar::SetVisualStyle(TQvVisualStyle Value) {
  inherited::SetVisualStyle(Value);
  Broadcast(CM_TOOLBARVISUALSTYLECHANGED);
}

void TQvToolbar::ButtonStyleChanged() {
  if (FSettingTextOptions) return;
  if (Reading()) FRead |= rdButtonStyle;
  else FTextOptions = ttoCustom;
}

void TQvToolbar::SetAutoStyle(bool Value) {
  if (Reading()) {
    FRead |= rdAutoStyle;  // Loaded applies the style
    FAutoStyle = Value;
    return;
  }
  if (FAutoStyle == Value) return;
  FAutoStyle = Value;
  if (Value && !ComponentState().Contains(csLoading)) AdjustStyle(Align());
}

bool TQvToolbar::BordersMoved() const {
  return BorderInner() != fsNone || BorderOuter() != fsGroove || BorderSides() != TSides{sdTop};
}

void TQvToolbar::SetTextOptions(TQvToolbarTextOptions Value) {
  // While reading the option is stored as it comes: the button settings it stands
  // for are in the stream too, in any order (Loaded settles them).
  if (Reading()) {
    FRead |= rdTextOptions;
    FTextOptions = Value;
    return;
  }
  if (FTextOptions == Value) return;
  FSettingTextOptions = true;
  FTextOptions = Value;
  if (Value != ttoCustom) {
    int w = 25, h = 25;
    if (Value == ttoNoTextLabels) {
      SetButtonLayout(blGlyphLeft);
      UpdateButtonSize(25, 25, false);
    } else if (Value == ttoShowTextLabels) {
      SetButtonLayout(blGlyphTop);
      UpdateButtonSize(w = 60, h = 40, true);
    } else {
      SetButtonLayout(blGlyphLeft);
      UpdateButtonSize(w = 60, h = 25, true);
    }
    SetRowHeight(FOrientation == orVertical ? w : h);
  }
  FSettingTextOptions = false;
}

void TQvToolbar::UpdateButtonSize(int W, int H, bool ShowCaptions) {
  SetShowButtonCaptions(ShowCaptions);
  SetButtonWidth(W);
  SetButtonHeight(H);
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TQvToolbarButton*>(Controls(i))) {
      b->SetBounds(b->Left(), b->Top(), W, H);
      b->SetShowCaption(ShowCaptions);
      b->SetLayout(ShowCaptions && H >= 31 ? blGlyphTop : blGlyphLeft);
    }
  SetRowHeight(FOrientation == orVertical ? W : H);
}

void TQvToolbar::SetMargin(int Value) {
  FMargin = Value;
  PositionControls();
}
void TQvToolbar::SetTopMargin(int Value) {
  FTopMargin = Value;
  PositionControls();
}
void TQvToolbar::SetRowHeight(int Value) {
  FRowHeight = Value;
  PositionControls();
}
void TQvToolbar::SetBiDiMode(TBiDiMode Value) {
  inherited::SetBiDiMode(Value);
  PositionControls();
}
void TQvToolbar::SetWrapControls(bool Value) {
  FWrapControls = Value;
  PositionControls();
}
void TQvToolbar::SetOrientation(TOrientation Value) {
  FOrientation = Value;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* s = dynamic_cast<TQvSpacer*>(Controls(i))) s->SetOrientation(Value);
  PositionControls();
}
void TQvToolbar::SetShowDivider(bool Value) {
  FShowDivider = Value;
  // A BorderOuter the stream being read holds stays as read.
  if (!(Reading() && (FRead & rdBorderOuter))) TQvCustomPanel::SetBorderOuter(Value ? fsGroove : fsNone);
  Invalidate();
}
void TQvToolbar::SetBorderInner(TFrameStyleEx Value) {
  if (Value == BorderInner()) return;
  inherited::SetBorderInner(Value);
  if (!(Reading() && (FRead & rdAutoStyle))) FAutoStyle = false;
}
void TQvToolbar::SetBorderOuter(TFrameStyleEx Value) {
  if (Reading()) FRead |= rdBorderOuter;
  if (Value == BorderOuter()) return;
  inherited::SetBorderOuter(Value);
  if (!(Reading() && (FRead & rdAutoStyle))) FAutoStyle = false;
}
void TQvToolbar::SetBorderSides(TSides Value) {
  if (Value == BorderSides()) return;
  inherited::SetBorderSides(Value);
  if (!(Reading() && (FRead & rdAutoStyle))) FAutoStyle = false;
}

void TQvToolbar::SetAlign(TAlign Value) {
  if (FAutoStyle) AdjustStyle(Value);
  TControl::SetAlign(Value);
  if (FAutoResize) {
    if (Value == alLeft || Value == alRight) SetWidth(32);
    else SetHeight(32);
  }
}

void TQvToolbar::AdjustStyle(TAlign Value) {
  TQvCustomPanel::SetBorderInner(fsNone);
  TQvCustomPanel::SetBorderOuter(FShowDivider ? fsGroove : fsNone);
  TSides sides{sdTop};
  if (Value == alLeft) sides = TSides{sdLeft};
  else if (Value == alRight) sides = TSides{sdRight};
  else if (Value == alBottom) sides = TSides{sdBottom};
  TQvCustomPanel::SetBorderSides(sides);
  Invalidate();
}

void TQvToolbar::CheckAutoResize(bool& Value) {
  if (Value && Parent() && (Parent()->ClassName() == "TPageScroller" || Parent()->ClassName() == "TToolbar"))
    Value = false;
}

void TQvToolbar::SetAutoResize(bool Value) {
  CheckAutoResize(Value);
  if (Value == FAutoResize) return;
  FAutoResize = Value;
  PositionControls();
}

void TQvToolbar::SetParent(TWinControl* AParent) {
  inherited::SetParent(AParent);
  CheckAutoResize(FAutoResize);
}

void TQvToolbar::ChangeScale(int M, int D) {
  inherited::ChangeScale(M, D);
  if (D != 0) SetRowHeight(static_cast<int>((static_cast<long long>(FRowHeight) * M + D / 2) / D));
}

void TQvToolbar::SetBackground(TBitmap* Value) { FBackground->Assign(Value); }

void TQvToolbar::SetImages(TCustomImageList* Value) {
  if (FImages) FImages->UnRegisterChanges(&FImageChangeLink);
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(&FImageChangeLink);
    FImages->FreeNotification(this);
  }
  Invalidate();
}

void TQvToolbar::SetRegIniFile(TQvRegIniFile* Value) {
  FRegIniFile = Value;
  if (Value) Value->FreeNotification(this);
}

void TQvToolbar::SetCustomizeCaptions(TQvCustomizeCaptions* Value) { FCustomizeCaptions->Assign(Value); }

void TQvToolbar::SetShowToolbarPopupButton(bool Value) {
  FShowToolbarPopupButton = Value;
  if (!FChevron && Value) {
    FChevron = new TQvToolbarPopupButton(this);
    FChevron->SetControlStyle(FChevron->ControlStyle() << csNoDesignVisible);
    FChevron->SetFrameColor(AdjustColor(FlatColor(), FlatColorAdjustment()));
    FChevron->SetParent(this);
  }
  if (FChevron) FChevron->SetVisible(Value);
  Invalidate();
}

TPoint TQvToolbar::InvalidateMarginSize() {
  if (FOrientation == orHorizontal && !FWrapControls && FChevron && FChevron->Visible()) return {15, 1};
  return inherited::InvalidateMarginSize();
}

void TQvToolbar::Loaded() {
  inherited::Loaded();
  // Text options read alone set their buttons; button settings read without them
  // make the options custom.
  unsigned read = FRead;
  FRead = 0;
  if ((read & rdTextOptions) && !(read & rdButtonStyle)) {
    TQvToolbarTextOptions options = FTextOptions;
    FTextOptions = ttoCustom;
    SetTextOptions(options);
  } else if ((read & rdButtonStyle) && !(read & rdTextOptions)) {
    FTextOptions = ttoCustom;
  }
  FControls->ControlsAreLoaded(Owner());
  PositionControls();
  if (FAutoStyle) AdjustStyle(Align());
}

void TQvToolbar::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c != FChevron && c->Owner() == Root) Proc(c);
  }
}

void TQvToolbar::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(
      "ToolbarControls", [this](TReader* R) { FControls->ReadControls(R); },
      [this](TWriter* W) { FControls->WriteControls(W); }, FControls->Count() > 0);
}

void TQvToolbar::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove || ComponentState().Contains(csDestroying)) return;
  if (AComponent == FChevron) FChevron = nullptr;
  if (auto* c = dynamic_cast<TControl*>(AComponent); c && c != this) {
    if (FControls->IndexOf(c) >= 0) {
      FControls->RemoveControl(c);
      PositionControls();
    }
  }
  if (AComponent == FImages) SetImages(nullptr);
  if (AComponent == FRegIniFile) FRegIniFile = nullptr;
}

void TQvToolbar::AlignControls(TControl* AControl, TRect& /*Rect*/) {
  if (!ComponentState().Contains(csLoading)) {
    if (AControl && AControl->Parent() == this && AControl != FChevron) FControls->AddControl(AControl);
    PositionControls();
  }
  if (FChevron && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading) &&
      FShowToolbarPopupButton && !FWrapControls && FOrientation == orHorizontal) {
    FChevron->SetBoundsRect(ChevronBounds());
    FChevron->SetVisible(true);
  }
}

void TQvToolbar::Dispatch(TMessage& M) {
  inherited::Dispatch(M);
  if (M.Msg == CM_VISIBLECHANGED) VisibleChanged();
  if (M.Msg == CM_CONTROLCHANGE && !ComponentState().Contains(csLoading) &&
      !ComponentState().Contains(csDestroying)) {
    // A child joined (LParam 1) or left: the list follows at once.
    auto* c = reinterpret_cast<TControl*>(M.WParam);
    if (c == FChevron) return;
    if (M.LParam) FControls->AddControl(c);
    else FControls->RemoveControl(c);
    PositionControls();
  }
}

void TQvToolbar::VisibleChanged() {
  if (OnVisibleChanged) OnVisibleChanged(this);
}

void TQvToolbar::PositionControl(int Index, int Row, int& Pos) {
  if (Index < 0 || Index >= FControls->Count()) return;
  TControl* c = FControls->Items(Index)->Control;
  if (!c || c->ComponentState().Contains(csDestroying)) return;
  int offset = (Row - 1) * FCurrentRowHeight;
  if (FOrientation == orVertical) {
    int left = offset + FMargin + FRowHeight / 2 - c->Width() / 2;
    c->SetBounds(left, Pos, c->Width(), c->Height());
    Pos += c->Height();
  } else {
    int top = offset + FTopMargin + FRowHeight / 2 - c->Height() / 2;
    int left = UseRightToLeftAlignment() ? MirrorX(Pos, c->Width(), Width()) : Pos;
    c->SetBounds(left, top, c->Width(), c->Height());
    Pos += c->Width();
  }
}

void TQvToolbar::TellParentResized() {
  TWinControl* p = Parent();
  if (!p || !p->Visible() || p->ClassName() == "TControlBar" || !p->HandleAllocated()) return;
  HWND h = p->Handle();
  WPARAM kind = 0;
  if (auto* f = dynamic_cast<TCustomForm*>(p))
    kind = f->WindowState() == wsMaximized ? 2 : f->WindowState() == wsMinimized ? 1 : 0;
  PostMessage(h, WM_SIZE, kind, MAKELPARAM(p->Width(), p->Height()));
}

void TQvToolbar::PositionControls() {
  if (FPositioning) return;
  FPositioning = true;
  bool designing = ComponentState().Contains(csDesigning);
  auto shown = [&](TControl* c) { return c && (designing || c->Visible()); };
  bool horizontal = FOrientation == orHorizontal;
  int pos = FMargin, widest = 0, row = 1;
  FCurrentRowHeight = CalculateRowHeight(1);
  bool first = true;
  for (int i = 0; i < FControls->Count(); ++i) {
    TControl* c = FControls->Items(i)->Control;
    if (!shown(c)) continue;
    int extent = horizontal ? c->Width() : c->Height();
    int limit = (horizontal ? Width() : Height()) - FMargin;
    if (FWrapControls && !first && limit < pos + extent) {
      pos = FMargin;
      ++row;
      FCurrentRowHeight = CalculateRowHeight(row);
    }
    first = false;
    PositionControl(i, row, pos);
    widest = std::max(widest, pos);
  }
  if (!FWrapControls && FControls->Count() > 0 && horizontal) {
    // The last listed control decides (hidden ones keep their old place), where it
    // stands now: right to left, places depend on the toolbar's width.
    TControl* last = FControls->Items(FControls->Count() - 1)->Control;
    if (last) SetShowToolbarPopupButton(PastFarEdge(last));
    if (FChevron && FShowToolbarPopupButton) FChevron->SetBoundsRect(ChevronBounds());
  }
  if (FAutoResize) {
    TAlign a = Align();
    bool sideways = a == alLeft || a == alRight;
    if (horizontal) {
      if (sideways && widest != 0) {
        int w = FMargin + widest;
        if (w != Width()) {
          Invalidate();
          SetWidth(w);
          TellParentResized();
        }
      } else if (a == alNone || a == alTop || a == alBottom) {
        int h = FRowHeight * row + FTopMargin * 2;
        if (h != Height()) {
          Invalidate();
          SetHeight(h);
          TellParentResized();
        }
      }
    } else {
      if ((a == alNone || a == alTop || a == alBottom) && widest != 0) {
        int h = FMargin + widest;
        if (h != Height()) {
          Invalidate();
          SetHeight(h);
          TellParentResized();
        }
      } else if (sideways) {
        int w = FRowHeight * row + 2 + FTopMargin;
        if (w != Width()) {
          Invalidate();
          SetWidth(w);
          TellParentResized();
        }
      }
    }
  }
  FPositioning = false;
}

// Controls run from the reading side: left to right they start at the left edge
// and overflow past the right one; right to left (mirrored layout) they start at
// the right edge and overflow past the left one. Either way a control overflows
// when it reaches into the Margin at the far edge, and the chevron stands at that
// edge, over the controls it holds.
bool TQvToolbar::PastFarEdge(const TControl* C) const {
  if (UseRightToLeftAlignment()) return C->Left() < FMargin;
  return C->Left() + C->Width() > Width() - FMargin;
}

TRect TQvToolbar::ChevronBounds() const {
  constexpr int kChevronWidth = 14;
  int left = UseRightToLeftAlignment() ? 0 : Width() - kChevronWidth;
  return TRect(left, 0, left + kChevronWidth, Height());
}

std::vector<TQvToolButton*> TQvToolbar::CutOffButtons() {
  std::vector<TQvToolButton*> out;
  for (int i = 0; i < FControls->Count(); ++i) {
    auto* b = dynamic_cast<TQvToolButton*>(FControls->Items(i)->Control);
    if (b && b->Visible() && PastFarEdge(b)) out.push_back(b);
  }
  return out;
}

void TQvToolbar::Paint() {
  if (VisualStyle() == vsWinXP && ThemeServices()->ThemesEnabled()) {
    // The visual style's rebar background, nothing else.
    ThemeServices()->DrawElement(Canvas()->Handle(), ThemeServices()->GetElementDetails(trRebarRoot), ClientRect());
    if (FChevron && FChevron->Visible()) FChevron->Invalidate();
    return;
  }
  inherited::Paint();
  if (!FBackground->Empty()) {
    TRect r = ClientRect();
    FixClientRect(r, true);
    int bw = FBackground->Width(), bh = FBackground->Height();
    for (int y = r.Top; y < r.Bottom; y += bh)
      for (int x = r.Left; x < r.Right; x += bw) {
        TRect dst{x, y, std::min(x + bw, r.Right), std::min(y + bh, r.Bottom)};
        TRect src{0, 0, dst.Width(), dst.Height()};
        Canvas()->CopyRect(dst, FBackground->Canvas(), src);
      }
  }
  if (FChevron && FChevron->Visible()) FChevron->Invalidate();
}

void TQvToolbar::Customize(bool ShowTextOptions) {
  if (ToolbarCustomizeHook()) ToolbarCustomizeHook()(this, ShowTextOptions);
}

void TQvToolbar::SaveLayout() {
  if (!FRegIniFile) throw ENoRegIniFile("No TQvRegIniFile component specified");
  std::string section = Name();
  TQvRegIniFile* ini = FRegIniFile;
  ini->BeginUpdate();  // the whole layout in one replacement of the file
  TOnExit written([ini] { ini->EndUpdate(); });
  FRegIniFile->WriteInteger(section, "TextOptions", static_cast<int>(FTextOptions));
  FRegIniFile->WriteInteger(section, "Count", FControls->Count());
  for (int i = 0; i < FControls->Count(); ++i) {
    TQvToolbarControl* e = FControls->Items(i);
    std::string name = e->Control ? e->Control->Name() : e->Name;
    if (e->Control && !e->Control->Visible()) name = "##" + name;
    FRegIniFile->WriteString(section, "Control" + std::to_string(i), name);
  }
}

void TQvToolbar::RestoreLayout() {
  if (!FRegIniFile) throw ENoRegIniFile("No TQvRegIniFile component specified");
  std::string section = Name();
  TQvRegIniFile* ini = FRegIniFile;
  ini->BeginUpdate();  // the file is read once for the whole layout
  TOnExit readDone([ini] { ini->EndUpdate(); });
  int count = FRegIniFile->ReadInteger(section, "Count", 0);
  if (count >= 1 && count == FControls->Count()) {
    for (int i = 0; i < count; ++i) {
      std::string name = FRegIniFile->ReadString(section, "Control" + std::to_string(i), "");
      bool hidden = name.rfind("##", 0) == 0;
      if (hidden) name = name.substr(2);
      if (name.empty()) continue;
      // A name of no listed control (a stale file) is skipped.
      int at = FControls->IndexOfName(name);
      if (at < 0) continue;
      FControls->Move(at, i);
      if (TControl* c = FControls->Items(i)->Control) c->SetVisible(!hidden);
    }
    PositionControls();
  }
  int options = FRegIniFile->ReadInteger(section, "TextOptions", -1);
  if (options >= 0 && options <= 3) SetTextOptions(static_cast<TQvToolbarTextOptions>(options));
}
