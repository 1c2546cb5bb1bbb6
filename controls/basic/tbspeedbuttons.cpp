// Toolbar speed buttons (see tbspeedbuttons.h).
#include "controls/basic/tbspeedbuttons.h"

#include "platform/controls/actions.h"
#include "platform/core/filer.h"

// ---------------------------------------------------------------------------
// TQvToolbarButton

const TClassInfo& TQvToolbarButton::StaticClass() {
  using B = TQvToolbarButton;
  static const TClassInfo info =
      TClassBuilder<B>("TQvToolbarButton", &inherited::StaticClass())
          .Component()
          .Str("Caption", &B::GetCaption, &B::SetCaption)
          .Bool("Flat", &B::Flat, &B::SetFlat, true)
          .Object<TBitmap>("Glyph", &B::NormalGlyph, &B::SetGlyph, [](B* b) { return !b->NormalGlyph()->Empty(); })
          .Object<TBitmap>("HotGlyph", &B::HotGlyph, &B::SetHotGlyph, [](B* b) { return !b->HotGlyph()->Empty(); })
          .Int("HotNumGlyphs", &B::HotNumGlyphs, [](B* b, int64_t v) { b->SetHotNumGlyphs(int(v)); }, 1)
          .Bool("IgnoreActionCaption", &B::IgnoreActionCaption, &B::SetIgnoreActionCaption, false)
          .Bool("ShowCaption", &B::ShowCaption, &B::SetShowCaption, true)
          .Bool("UseHotGlyph", &B::UseHotGlyph, &B::SetUseHotGlyph, false)
          .Event<TNotifyEvent>("OnMouseEnter", &B::OnMouseEnter)
          .Event<TNotifyEvent>("OnMouseLeave", &B::OnMouseLeave)
          .Prop(TControl::Property("Constraints"))
          .Build();
  return info;
}

TQvToolbarButton::TQvToolbarButton(TComponent* AOwner)
    : TSpeedButton(AOwner), FHotGlyph(std::make_unique<TBitmap>()), FSavedGlyph(std::make_unique<TBitmap>()) {
  SetFlat(true);
  FHotGlyph->OnChange = [this](TObject*) { HotGlyphChanged(); };
}

TQvToolbarButton::~TQvToolbarButton() = default;

void TQvToolbarButton::HotGlyphChanged() {
  int h = FHotGlyph->Height(), w = FHotGlyph->Width();
  if (h != 0 && w % h == 0) {
    int n = w / h;
    FHotNumGlyphs = n > 4 ? 1 : n;
  }
  Invalidate();
}

void TQvToolbarButton::SetHotGlyph(TBitmap* Value) {
  FHotGlyph->Assign(Value);
  FUseHotGlyph = true;
}

void TQvToolbarButton::SetHotNumGlyphs(int Value) {
  if (Value == FHotNumGlyphs) return;
  FHotNumGlyphs = Value;
  Invalidate();
}

TBitmap* TQvToolbarButton::NormalGlyph() const { return FSavedNumGlyphs ? FSavedGlyph.get() : Glyph(); }

void TQvToolbarButton::SetGlyph(TBitmap* Value) {
  // While the hot glyph shows, the new glyph is the one to come back.
  if (FSavedNumGlyphs) FSavedGlyph->Assign(Value);
  else TSpeedButton::SetGlyph(Value);
}

std::string TQvToolbarButton::GetCaption() { return Caption(); }

void TQvToolbarButton::SetCaption(const std::string& Value) {
  if (FShowCaption) TControl::SetCaption(Value);
  else FSavedCaption = Value;
}

void TQvToolbarButton::SetShowCaption(bool Value) {
  if (FShowCaption == Value) return;
  FShowCaption = Value;
  if (!Value) {
    FSavedCaption = Caption();
    TControl::SetCaption("");
  } else {
    TControl::SetCaption(FSavedCaption);
  }
  Invalidate();
}

void TQvToolbarButton::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(
      "SaveCaption", [this](TReader* R) { FSavedCaption = R->ReadString(); },
      [this](TWriter* W) { W->WriteString(FSavedCaption); }, !FShowCaption);
}

void TQvToolbarButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  std::string kept = Caption();
  inherited::ActionChange(Sender, CheckDefaults);
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  TCustomImageList* images = a && a->ActionList() ? a->ActionList()->Images() : nullptr;
  if (images && a->ImageIndex() >= 0 && a->ImageIndex() < images->Count()) {
    // The glyph is the action's image on a fuchsia (transparent) ground.
    TBitmap g(images->Width(), images->Height());
    g.Canvas()->Brush()->SetColor(static_cast<TColor>(0xFF00FF));
    g.Canvas()->FillRect(TRect{0, 0, images->Width(), images->Height()});
    images->Draw(g.Canvas(), 0, 0, a->ImageIndex(), true);
    SetGlyph(&g);
  }
  if (FIgnoreActionCaption) TControl::SetCaption(kept);
  if (a && (!CheckDefaults || !Down())) SetDown(a->Checked());
}

TControlActionLink* TQvToolbarButton::CreateActionLink() { return new TQvToolbarButtonActionLink(this); }

bool TQvToolbarButtonActionLink::IsCaptionLinked() {
  return !FButton->IgnoreActionCaption() && TSpeedButtonActionLink::IsCaptionLinked();
}

const TClassInfo& TQvToolbarButtonActionLink::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvToolbarButtonActionLink>("TQvToolbarButtonActionLink", &inherited::StaticClass()).Build();
  return info;
}

void TQvToolbarButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (FUseHotGlyph) FHotShown = true;
}

void TQvToolbarButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_MOUSEENTER:
      FMouseIn = true;
      inherited::Dispatch(M);
      if (OnMouseEnter) OnMouseEnter(this);
      if (FUseHotGlyph && Enabled()) {
        if (!FHotShown && !FHotGlyph->Empty()) {
          FSavedGlyph->Assign(Glyph());
          FSavedNumGlyphs = NumGlyphs();
          TSpeedButton::SetGlyph(FHotGlyph.get());
          SetNumGlyphs(FHotNumGlyphs);
          FHotShown = true;
        } else {
          FHotShown = false;
        }
        Repaint();
      }
      return;
    case CM_MOUSELEAVE:
      inherited::Dispatch(M);
      if (OnMouseLeave) OnMouseLeave(this);
      FMouseIn = false;
      if (FUseHotGlyph && Enabled()) {
        if (FSavedNumGlyphs) {
          int n = FSavedNumGlyphs;
          FSavedNumGlyphs = 0;  // nothing saved any more
          TSpeedButton::SetGlyph(FSavedGlyph.get());
          SetNumGlyphs(n);
        }
        FHotShown = false;
        Repaint();
      }
      return;
    case CM_BUTTONPRESSED:
      // Tool buttons share the toolbar's groups: one going down puts this one up,
      // as a speed button of the group does.
      if (auto* tool = dynamic_cast<TQvToolButton*>(MsgControl(M));
          tool && GroupIndex() != 0 && static_cast<int>(M.WParam) == GroupIndex()) {
        GroupPeerChanged(tool->Down(), tool->AllowAllUp());
        return;
      }
      break;
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      if (IsAccel(k.CharCode(), Caption()) && Enabled() && Visible() && Parent() && Parent()->Showing()) {
        if (GroupIndex() > 0) {
          SetDown(!Down());
          if (Down()) Repaint();
        }
        Click();
        M.Result = 1;
        return;
      }
      break;
    }
    default: break;
  }
  inherited::Dispatch(M);
}

// ---------------------------------------------------------------------------
// TQvMenuToolbarButton

const TClassInfo& TQvMenuToolbarButton::StaticClass() {
  using B = TQvMenuToolbarButton;
  static const TClassInfo info = TClassBuilder<B>("TQvMenuToolbarButton", &inherited::StaticClass())
                                     .Component()
                                     .Object<TPopupMenu>("DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu)
                                     .Bool("ShowArrow", &B::ShowArrow, &B::SetShowArrow, true)
                                     .Event<TNotifyEvent>("OnDropDown", &B::OnDropDown)
                                     .Build();
  return info;
}

TQvMenuToolbarButton::TQvMenuToolbarButton(TComponent* AOwner) : TQvToolbarButton(AOwner) {
  SetControlStyle(ControlStyle() >> csDoubleClicks);
  SetWidth(40);
  SetMargin(2);
}

void TQvMenuToolbarButton::SetDropDownMenu(TPopupMenu* Value) { FMenuDropDown.SetMenu(Value); }

void TQvMenuToolbarButton::SetShowArrow(bool Value) { FMenuDropDown.SetShowArrow(Value); }

void TQvMenuToolbarButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  FMenuDropDown.Notification(AComponent, Operation);
}

void TQvMenuToolbarButton::DropDown() {
  if (OnDropDown) OnDropDown(DropDownMenu());
}

void TQvMenuToolbarButton::DoDropDown() {
  if (!FMenuDropDown.Drop([this] { DropDown(); })) return;
  // A grouped button that is not down clicks once its menu is done.
  if (GroupIndex() > 0 && !Down()) Click();
}

void TQvMenuToolbarButton::Click() {
  if (FMenuDropDown.TakeSkipClick()) return;
  inherited::Click();
}

bool TQvMenuToolbarButton::OnArrowPart(int X) const {
  if (!ShowArrow()) return true;  // no arrow: the whole button drops the menu down
  // The arrow part is the 15 pixels behind the separator: at the right edge, or at
  // the left edge where the button is laid out right to left (as Paint draws it).
  return UseRightToLeftAlignment() ? X < 15 : X >= Width() - 15;
}

void TQvMenuToolbarButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (!DropDownMenu() || Button != mbLeft || Shift != TShiftState{ssLeft}) return;
  if (!OnArrowPart(X)) return;  // the body: an ordinary press
  if (!FMenuDropDown.Press([this] { DoDropDown(); })) return;
  // The release's click is skipped. The menu's cancel may have ended the press
  // already (no click came to skip): the skip goes with the press either way, so
  // that the next press on the body clicks.
  TSpeedButton::MouseUp(Button, Shift, X, Y);
  FMenuDropDown.TakeSkipClick();
}

void TQvMenuToolbarButton::Paint() {
  inherited::Paint();
  if (!ShowArrow()) return;
  bool down = State() == bsDown;
  const bool rtl = UseRightToLeftAlignment();
  if ((MouseInControl() && Enabled()) || !Flat()) {
    int x = (rtl ? 15 : Width() - 15) + (down ? 1 : 0);
    if (!down) {
      Canvas()->Pen()->SetColor(clBtnHighlight);
      Canvas()->MoveTo(x, 0);
      Canvas()->LineTo(x, Height());
    }
    Canvas()->Pen()->SetColor(clBtnShadow);
    Canvas()->MoveTo(x - 1, 0);
    Canvas()->LineTo(x - 1, Height());
  }
  TColor c = Enabled() ? clWindowText : clBtnShadow;
  Canvas()->Pen()->SetColor(c);
  Canvas()->Brush()->SetColor(c);
  int x = rtl ? 8 : ClientWidth() - 8, y = ClientHeight() / 2 + 2;
  if (down) ++x, ++y;
  Canvas()->Polygon({{x, y}, {x - 3, y - 3}, {x + 3, y - 3}});
}
