// The toolbar's tool button (see toolbutton.h).
#include "controls/basic/toolbutton.h"

#include <algorithm>

#include "controls/basic/toolbar.h"
#include "controls/common/dialogs.h"
#include "controls/common/frames.h"
#include "controls/common/gradients.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "platform/controls/actions.h"
#include "platform/controls/forms.h"
#include "platform/core/filer.h"
#include "platform/core/scope.h"
#include "platform/graphics/gdi.h"
#include "platform/stdctrls/speedbuttons.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/win32/clock.h"

DTU_DEFINE_ENUM(TQvToolStyle, "tsButton", "tsDropDown")

namespace {

constexpr int ArrowWidth = 14;

void ReadOldColor(TReader* R, TQvToolButton* B, void (TQvToolButton::*Set)(TColor)) {
  TValueType t = R->NextValue();
  if (t == vaIdent) {
    int64_t c = 0;
    if (IdentToColor(R->ReadIdent(), c)) (B->*Set)(static_cast<TColor>(c));
  } else if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
    (B->*Set)(static_cast<TColor>(R->ReadInteger()));
  } else {
    R->SkipValue();
  }
}

}  // namespace

TPoint MenuDropPoint(TControl* Button, TPopupMenu* Menu) {
  bool rtl = Button->UseRightToLeftAlignment();
  TPoint p = Button->ClientToScreen(TPoint{rtl ? Button->Width() : 0, Button->Height()});
  int widest = 0;
  TBitmap measure;
  if (Screen) measure.Canvas()->Font()->Assign(Screen->MenuFont());
  TMenuItem* root = Menu->Items();
  for (int i = 0; i < root->Count(); ++i)
    widest = std::max(widest, measure.Canvas()->TextWidth(StripHotkey(root->Items(i)->Caption())));
  int menuWidth = widest + 56;
  TMonitor* m = Screen ? Screen->MonitorFromPoint(p, TMonitorDefaultTo::mdNull) : nullptr;
  if (rtl) {
    // The menu stands leftwards of the point (the button's right edge): where it
    // would pass the work area's left edge, it starts at the button's left edge.
    int limit = m ? m->WorkareaRect.Left : 0;
    if (p.X - menuWidth < limit) p.X += menuWidth - Button->Width();
    return p;
  }
  int limit = m ? m->WorkareaRect.Right : GetActiveWorkAreaWidth(Button->Parent());
  if (p.X + menuWidth > limit) p.X -= menuWidth - Button->Width();
  return p;
}

const TClassInfo& TQvToolButton::StaticClass() {
  using B = TQvToolButton;
  static const TClassInfo info = [] {
    TClassBuilder<B> b("TQvToolButton", &inherited::StaticClass());
    b.Component()
        .Enum<TAlignment>("Alignment", &B::Alignment, &B::SetAlignment, taCenter)
        .Bool("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp, false)
        .Object<TBasicAction>("Action", &B::Action, &B::SetAction)
        .Bool("Down", &B::Down, &B::SetDown, false,
              [](B* x) { return !x->ActionLink() || !x->ActionLink()->IsCheckedLinked(); })
        .Object<TPopupMenu>("DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu)
        .Bool("Flat", &B::Flat, &B::SetFlat, true)
        .Int("GroupIndex", &B::GroupIndex, [](B* x, int64_t v) { x->SetGroupIndex(static_cast<int>(v)); }, 0)
        .Int("ImageIndex", &B::ImageIndex, [](B* x, int64_t v) { x->SetImageIndex(static_cast<int>(v)); }, -1,
             [](B* x) { return !x->ActionLink() || !x->ActionLink()->IsImageIndexLinked(); })
        .Int("DownIndex", &B::DownIndex, [](B* x, int64_t v) { x->SetDownIndex(static_cast<int>(v)); }, -1)
        .Int("DisabledIndex", &B::DisabledIndex, [](B* x, int64_t v) { x->SetDisabledIndex(static_cast<int>(v)); },
             -1)
        .Int("HotIndex", &B::HotIndex, [](B* x, int64_t v) { x->SetHotIndex(static_cast<int>(v)); }, -1)
        .Object<TCustomImageList>("Images", &B::Images, &B::SetImages)
        .Enum<TButtonLayout>("Layout", &B::Layout, &B::SetLayout, blGlyphLeft,
                             [](B* x) { return !x->UseToolbarButtonLayout() || !x->ParentToolbar(); })
        .Bool("ShowCaption", &B::ShowCaption, &B::SetShowCaption, false,
              [](B* x) { return !x->UseToolbarShowCaption() || !x->ParentToolbar(); })
        .Enum<TQvToolStyle>("ToolStyle", &B::ToolStyle, &B::SetToolStyle, tsButton)
        .Bool("Transparent", &B::Transparent, &B::SetTransparent, true)
        .Enum<TQvVisualStyle>("VisualStyle", &B::VisualStyle, &B::SetVisualStyle, vsWinXP,
                              [](B* x) { return !x->UseToolbarVisualStyle() || !x->ParentToolbar(); })
        .Enum<TQvGradientColorStyle>("GradientColorStyle", &B::GradientColorStyle, &B::SetGradientColorStyle,
                                     gcsSystem,
                                     [](B* x) { return !x->UseToolbarVisualStyle() || !x->ParentToolbar(); })
        .Int("SelectionColorStart", &B::SelectionColorStart, &B::SetSelectionColorStart, clBtnFace, {},
             &ColorIdents())
        .Int("SelectionColorStop", &B::SelectionColorStop, &B::SetSelectionColorStop, clBtnShadow, {},
             &ColorIdents())
        .Int("SelectionFrameColor", &B::SelectionFrameColor, &B::SetSelectionFrameColor, cl3DDkShadow, {},
             &ColorIdents())
        .Bool("UseToolbarButtonLayout", &B::UseToolbarButtonLayout, &B::SetUseToolbarButtonLayout, true)
        .Bool("UseToolbarButtonSize", &B::UseToolbarButtonSize, &B::SetUseToolbarButtonSize, true)
        // A stored caption display or visual style without its flag clears the flag
        // when read, as their setters do: a flag still set beside one is written.
        .Bool("UseToolbarShowCaption", &B::UseToolbarShowCaption, &B::SetUseToolbarShowCaption, true)
        .Implied([](B* x) { return !(x->ShowCaption() && (!x->UseToolbarShowCaption() || !x->ParentToolbar())); })
        .Bool("UseToolbarVisualStyle", &B::UseToolbarVisualStyle, &B::SetUseToolbarVisualStyle, true)
        .Implied([](B* x) {
          return !(x->VisualStyle() != vsWinXP && (!x->UseToolbarVisualStyle() || !x->ParentToolbar()));
        })
        .Int("Width", &B::Width, [](B* x, int64_t v) { x->SetWidth(static_cast<int>(v)); }, std::nullopt,
             [](B* x) { return x->IsSizeStored(); })
        .Int("Height", &B::Height, [](B* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, std::nullopt,
             [](B* x) { return x->IsSizeStored(); })
        .Event<TNotifyEvent>("OnDropDown", &B::OnDropDown)
        .Event<TNotifyEvent>("OnMouseEnter", &B::OnMouseEnter)
        .Event<TNotifyEvent>("OnMouseLeave", &B::OnMouseLeave)
        .Prop(TControl::Property("Color", clBtnFace));
    PublishInherited(b, {"Align", "Anchors", "BiDiMode", "ParentBiDiMode", "Caption", "Constraints",
                         "DragCursor", "DragKind", "DragMode",
                         "Enabled", "Font", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "Visible",
                         "OnClick", "OnContextPopup", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock",
                         "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
    return b.Build();
  }();
  return info;
}

TQvToolButton::TQvToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(TControlStyle{csCaptureMouse});
  FSettingSize = true;
  SetBounds(Left(), Top(), 25, 25);
  FSettingSize = false;
  SetColor(clBtnFace);
  FImageChangeLink.OnChange = [this](TObject* S) { ImageListChange(S); };
}

TQvToolButton::~TQvToolButton() {
  if (FImages) FImages->UnRegisterChanges(&FImageChangeLink);
}

TQvToolbar* TQvToolButton::ParentToolbar() const { return dynamic_cast<TQvToolbar*>(Parent()); }

TCustomImageList* TQvToolButton::ImageList() const {
  if (FImages) return FImages;
  TQvToolbar* t = ParentToolbar();
  return t ? t->Images() : nullptr;
}

bool TQvToolButton::IsSizeStored() const {
  TQvToolbar* t = ParentToolbar();
  return !(FUseToolbarButtonSize && t && Width() == t->ButtonWidth() && Height() == t->ButtonHeight());
}

bool TQvToolButton::IsSplit() const {
  return FToolStyle == tsDropDown && (static_cast<bool>(OnClick) || Action() != nullptr);
}

bool TQvToolButton::Hot() const {
  return (FMouseOver && FState != tbsDisabled) || ComponentState().Contains(csDesigning);
}

bool TQvToolButton::PressedLook() const {
  return FState == tbsDown || FState == tbsExclusive || (FState == tbsDropDown && !IsSplit());
}

void TQvToolButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if ((AWidth != Width() || AHeight != Height()) && !FSettingSize && !ComponentState().Contains(csLoading))
    FUseToolbarButtonSize = false;
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

// --- toolbar link ----------------------------------------------------------

void TQvToolButton::SendSelf(UINT Msg) { Perform(Msg, 0, 0); }

void TQvToolButton::PickupToolbarStyles() {
  if (!Parent()) return;
  for (UINT m : {CM_TOOLBARSHOWCAPTIONCHANGED, CM_TOOLBARBUTTONLAYOUTCHANGED, CM_TOOLBARBUTTONSIZECHANGED,
                 CM_TOOLBARVISUALSTYLECHANGED})
    SendSelf(m);
}

void TQvToolButton::SetStyleFlag(bool& Flag, bool Value, UINT Msg) {
  if (Flag == Value) return;
  Flag = Value;
  if (Parent() && !ComponentState().Contains(csReading)) SendSelf(Msg);
  Invalidate();
}

void TQvToolButton::SetUseToolbarButtonLayout(bool V) { SetStyleFlag(FUseToolbarButtonLayout, V, CM_TOOLBARBUTTONLAYOUTCHANGED); }
void TQvToolButton::SetUseToolbarButtonSize(bool V) { SetStyleFlag(FUseToolbarButtonSize, V, CM_TOOLBARBUTTONSIZECHANGED); }
void TQvToolButton::SetUseToolbarShowCaption(bool V) {
  if (Reading()) FRead |= rdUseShowCaption;
  SetStyleFlag(FUseToolbarShowCaption, V, CM_TOOLBARSHOWCAPTIONCHANGED);
}
void TQvToolButton::SetUseToolbarVisualStyle(bool V) {
  if (Reading()) FRead |= rdUseVisualStyle;
  SetStyleFlag(FUseToolbarVisualStyle, V, CM_TOOLBARVISUALSTYLECHANGED);
}

void TQvToolButton::CMToolbarButtonSizeChanged() {
  TQvToolbar* t = ParentToolbar();
  if (!FUseToolbarButtonSize || !t) return;
  int w = t->ButtonWidth();
  if (FShowCaption) {
    // Measured on a memory context: outside painting no window context is held.
    int tw = TextExtentOf(Font(), Caption()).cx;
    int need = (FLayout == blGlyphLeft || FLayout == blGlyphRight) ? GetImageSize().X + tw + 12 : tw + 8;
    w = std::max(w, need);
  }
  if (FToolStyle == tsDropDown) w += ArrowWidth;
  FSettingSize = true;
  SetBounds(Left(), Top(), w, t->ButtonHeight());
  FSettingSize = false;
  FUseToolbarButtonSize = true;
}

void TQvToolButton::Loaded() {
  inherited::Loaded();
  // The rules between values, once every line is read: a down state needs a group;
  // a caption display or visual style read without its flag detaches the button
  // from the toolbar's.
  if (FGroupIndex == 0) FDown = false;
  if (FDown) {
    FState = tbsExclusive;
    UpdateExclusive();
  }
  if ((FRead & rdShowCaption) && !(FRead & rdUseShowCaption)) FUseToolbarShowCaption = false;
  if ((FRead & rdVisualStyle) && !(FRead & rdUseVisualStyle)) FUseToolbarVisualStyle = false;
  FRead = 0;
  PickupToolbarStyles();
}

void TQvToolButton::SetParent(TWinControl* AParent) {
  inherited::SetParent(AParent);
  if (!ComponentState().Contains(csLoading)) PickupToolbarStyles();
}

// --- setters ---------------------------------------------------------------

void TQvToolButton::SetAllowAllUp(bool Value) {
  if (FAllowAllUp == Value) return;
  FAllowAllUp = Value;
  UpdateExclusive();
}
void TQvToolButton::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}
void TQvToolButton::SetDown(bool Value) {
  if (Reading()) {
    FDown = Value;
    return;
  }
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = Value;
  if (Value) {
    if (FState == tbsUp) Invalidate();
    FState = tbsExclusive;
    UpdateExclusive();
  } else {
    FState = tbsUp;
    Repaint();
  }
}
void TQvToolButton::SetDropDownMenu(TPopupMenu* Value) { FDropDown.SetMenu(Value); }
void TQvToolButton::SetFlat(bool Value) {
  FFlat = Value;
  Repaint();
}
void TQvToolButton::SetGroupIndex(int Value) {
  if (FToolStyle == tsDropDown) Value = 0;
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  UpdateExclusive();
}
QV_SETTER(TQvToolButton, ImageIndex, int, FImageIndex)
QV_SETTER(TQvToolButton, DownIndex, int, FDownIndex)
QV_SETTER(TQvToolButton, DisabledIndex, int, FDisabledIndex)
QV_SETTER(TQvToolButton, HotIndex, int, FHotIndex)
QV_SETTER(TQvToolButton, Transparent, bool, FTransparent)
QV_SETTER(TQvToolButton, GradientColorStyle, TQvGradientColorStyle, FGradientColorStyle)
QV_SETTER(TQvToolButton, SelectionColorStart, TColor, FSelectionColorStart)
QV_SETTER(TQvToolButton, SelectionColorStop, TColor, FSelectionColorStop)
QV_SETTER(TQvToolButton, SelectionFrameColor, TColor, FSelectionFrameColor)

void TQvToolButton::SetLayout(TButtonLayout Value) {
  if (!ComponentState().Contains(csReading)) FUseToolbarButtonLayout = false;
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}
void TQvToolButton::SetShowCaption(bool Value) {
  if (Reading()) FRead |= rdShowCaption;
  else FUseToolbarShowCaption = false;
  if (FShowCaption == Value) return;
  FShowCaption = Value;
  Invalidate();
}
void TQvToolButton::SetVisualStyle(TQvVisualStyle Value) {
  if (Reading()) FRead |= rdVisualStyle;
  else FUseToolbarVisualStyle = false;
  if (FVisualStyle == Value) return;
  FVisualStyle = Value;
  Invalidate();
}
void TQvToolButton::SetToolStyle(TQvToolStyle Value) {
  if (FToolStyle == Value) return;
  FToolStyle = Value;
  FGroupIndex = 0;
  if (!ComponentState().Contains(csLoading)) {
    FSettingSize = true;
    SetBounds(Left(), Top(), Width() + (Value == tsDropDown ? ArrowWidth : -ArrowWidth), Height());
    FSettingSize = false;
  }
  Invalidate();
}

void TQvToolButton::SetImages(TCustomImageList* Value) {
  if (FImages) FImages->UnRegisterChanges(&FImageChangeLink);
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(&FImageChangeLink);
    FImages->FreeNotification(this);
    CheckMinSize();
  }
  Invalidate();
}

void TQvToolButton::ImageListChange(TObject* Sender) {
  if (Sender != FImages) return;
  CheckMinSize();
  Invalidate();
}

void TQvToolButton::CheckMinSize() {
  if (!FImages) return;
  int w = std::max(Width(), FImages->Width()), h = std::max(Height(), FImages->Height());
  if (w != Width() || h != Height()) {
    FSettingSize = true;
    SetBounds(Left(), Top(), w, h);
    FSettingSize = false;
  }
}

void TQvToolButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) SetImages(nullptr);
  FDropDown.Notification(AComponent, Operation);
}

void TQvToolButton::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty("GradientColorDefault", TQvOldPropReader::ReadOldBooleanProp, nullptr, false);
  Filer->DefineProperty("ThemeAware", TQvOldPropReader::ReadOldBooleanProp, nullptr, false);
  Filer->DefineProperty("GradientColorStart",
                        [this](TReader* R) { ReadOldColor(R, this, &TQvToolButton::SetSelectionColorStart); },
                        nullptr, false);
  Filer->DefineProperty("GradientColorStop",
                        [this](TReader* R) { ReadOldColor(R, this, &TQvToolButton::SetSelectionColorStop); },
                        nullptr, false);
  Filer->DefineProperty("FrameColor",
                        [this](TReader* R) { ReadOldColor(R, this, &TQvToolButton::SetSelectionFrameColor); },
                        nullptr, false);
  Filer->DefineProperty("UseGradients", [this](TReader* R) {
    // As VisualStyle = vsGradient: the button leaves the toolbar's style.
    if (R->ReadBoolean()) SetVisualStyle(vsGradient);
  }, nullptr, false);
}

// --- groups and tracking ---------------------------------------------------

void TQvToolButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !Parent()) return;
  TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), reinterpret_cast<LPARAM>(this), 0};
  Parent()->Broadcast(m);
}

void TQvToolButton::UpdateTracking() {
  if (!HotTracks() || !Enabled()) return;
  TPoint p{0, 0};
  GetCursorPos(&p);
  bool over = FindDragTarget(p, true) == this;
  SendSelf(over ? CM_MOUSEENTER : CM_MOUSELEAVE);
}

void TQvToolButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_TOOLBARSHOWCAPTIONCHANGED:
      if (TQvToolbar* t = ParentToolbar(); t && FUseToolbarShowCaption) {
        SetShowCaption(t->ShowButtonCaptions());
        FUseToolbarShowCaption = true;
      }
      return;
    case CM_TOOLBARBUTTONLAYOUTCHANGED:
      if (TQvToolbar* t = ParentToolbar(); t && FUseToolbarButtonLayout) {
        SetLayout(t->ButtonLayout());
        FUseToolbarButtonLayout = true;
      }
      return;
    case CM_TOOLBARBUTTONSIZECHANGED: CMToolbarButtonSizeChanged(); return;
    case CM_TOOLBARVISUALSTYLECHANGED:
      if (TQvToolbar* t = ParentToolbar(); t && FUseToolbarVisualStyle) {
        SetVisualStyle(t->VisualStyle());
        SetGradientColorStyle(t->GradientColorStyle());
        FUseToolbarVisualStyle = true;
      }
      return;
    case CM_BUTTONPRESSED: {
      // Tool buttons and the toolbar's speed buttons share one broadcast, so the
      // sender's type is checked before it is read; anything else is not a group member.
      TControl* from = MsgControl(M);
      if (static_cast<int>(M.WParam) != FGroupIndex || FGroupIndex == 0 || from == this) return;
      bool senderDown = false;
      bool senderAllUp = false;
      if (auto* tool = dynamic_cast<TQvToolButton*>(from)) {
        senderDown = tool->Down();
        senderAllUp = tool->AllowAllUp();
      } else if (auto* speed = dynamic_cast<TSpeedButton*>(from)) {
        senderDown = speed->Down();
        senderAllUp = speed->AllowAllUp();
      } else {
        return;
      }
      if (senderDown && FDown) {
        FDown = false;
        FState = tbsUp;
        Invalidate();
      }
      FAllowAllUp = senderAllUp;
      return;
    }
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      if (IsAccel(k.CharCode(), Caption()) && Enabled() && Visible() && Parent() && Parent()->Showing()) {
        if (FToolStyle == tsButton || OnClick || Action()) Click();
        else DoDropDown();
        M.Result = 1;
        return;
      }
      break;
    }
    case CM_MOUSEENTER:
      inherited::Dispatch(M);
      FMouseOver = true;
      if (OnMouseEnter) OnMouseEnter(this);
      if (HotTracks()) Invalidate();
      return;
    case CM_MOUSELEAVE:
      if (!FInDropDown) FMouseOver = false;
      inherited::Dispatch(M);
      if (OnMouseLeave) OnMouseLeave(this);
      if (HotTracks()) Invalidate();
      return;
    case CM_TEXTCHANGED:
      inherited::Dispatch(M);
      PickupToolbarStyles();
      Invalidate();
      return;
    default: break;
  }
  inherited::Dispatch(M);
}

// --- mouse -----------------------------------------------------------------

void TQvToolButton::Click() {
  if (FToolStyle == tsButton || FPressAllowed) inherited::Click();
}

void TQvToolButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto press = [&] {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && Enabled()) {
      if (!FDown || FState == tbsExclusive) {
        FState = tbsDown;
        Invalidate();
      }
      FDragging = true;
    }
  };
  if (FToolStyle == tsButton) return press();
  bool onArrow = !IsSplit() || (UseRightToLeftAlignment() ? X <= ArrowWidth : X >= Width() - ArrowWidth);
  if (FDropDown.Menu() && Button == mbLeft && Shift == TShiftState{ssLeft} && onArrow) {
    if (FDropDown.PressClosesMenu()) {
      FPressAllowed = true;
    } else {
      FState = tbsDropDown;
      Repaint();
      if (!FDropDown.Run([this] { DoDropDown(); })) return;
      FPressAllowed = false;
      FDropDown.MenuClosed();
    }
    MouseUp(Button, Shift, X, Y);
    return;
  }
  if (!FPressAllowed) {
    FPressAllowed = true;
    return;
  }
  press();
}

void TQvToolButton::MouseMove(TShiftState Shift, int X, int Y) {
  inherited::MouseMove(Shift, X, Y);
  if (FDragging) {
    bool inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
    TQvToolButtonState s = inside ? tbsDown : tbsUp;
    if (FDown) s = tbsExclusive;
    if (s != FState) {
      FState = s;
      Invalidate();
    }
  } else if (!FMouseOver) {
    UpdateTracking();
  }
}

void TQvToolButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (FDragging) {
    FDragging = false;
    bool inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
    bool click = inside;
    if (FGroupIndex == 0) {
      FState = tbsUp;
      FMouseOver = false;
      if (inside) Repaint();
    } else if (inside) {
      bool was = FDown;
      SetDown(!FDown);
      if (was == FDown) click = false;
      if (FDown) {
        FState = tbsExclusive;
        Repaint();
      }
    } else {
      if (FDown) FState = tbsExclusive;
      Repaint();
    }
    if (click) {
      std::weak_ptr<bool> alive = FAlive;
      Click();
      if (alive.expired()) return;
    }
    UpdateTracking();
  }
  if (FToolStyle == tsDropDown) {
    TPoint p{0, 0};
    GetCursorPos(&p);
    TPoint c = ScreenToClient(p);
    if (!ClientRect().Contains(c)) FPressAllowed = true;
    FState = tbsUp;
    Repaint();
    UpdateTracking();
  }
}

void TQvToolButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || !FDown) SetDown(a->Checked());
  if (!CheckDefaults || FImageIndex == -1) SetImageIndex(a->ImageIndex());
}

TControlActionLink* TQvToolButton::CreateActionLink() { return new TQvToolButtonActionLink(this); }

void TQvToolButton::AssignTo(TPersistent* Dest) {
  auto* a = dynamic_cast<TCustomAction*>(Dest);
  if (!a) return inherited::AssignTo(Dest);
  a->SetEnabled(Enabled());
  a->SetHint(Hint());
  a->SetCaption(Caption());
  a->SetVisible(Visible());
  a->SetHelpContext(HelpContext());
  a->SetChecked(FDown);
  a->SetImageIndex(FImageIndex);
}

bool TQvToolButtonActionLink::IsCheckedLinked() {
  return TControlActionLink::IsCheckedLinked() && FButton->Down() == CustomAction()->Checked();
}

bool TQvToolButtonActionLink::IsImageIndexLinked() {
  return TControlActionLink::IsImageIndexLinked() && FButton->ImageIndex() == CustomAction()->ImageIndex();
}

void TQvToolButtonActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) FButton->SetDown(Value);
}

void TQvToolButtonActionLink::SetImageIndex(int Value) {
  if (IsImageIndexLinked()) FButton->SetImageIndex(Value);
}

const TClassInfo& TQvToolButtonActionLink::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvToolButtonActionLink>("TQvToolButtonActionLink", &inherited::StaticClass()).Build();
  return info;
}

void TQvToolButton::DropDown() {
  if (OnDropDown) OnDropDown(FDropDown.Menu());
}

void TQvToolButton::DoDropDown() {
  if (!FDropDown.Menu()) return;
  FInDropDown = true;
  std::weak_ptr<bool> alive = FAlive;
  {
    TOnExit shown([&] {
      if (!alive.expired()) FInDropDown = false;
    });
    FDropDown.Drop([this] { DropDown(); });
  }
  if (alive.expired()) return;
  if (FGroupIndex != 0 && !FDown) Click();
}

// --- painting --------------------------------------------------------------

TPoint TQvToolButton::GetImageSize() {
  TCustomImageList* il = ImageList();
  if (FImageIndex != -1 && il) return {il->Width(), il->Height()};
  return {0, 0};
}

void TQvToolButton::GetImageAndCaptionRects(TRect& ImageRect, TRect& CaptionRect) {
  TRect r = ClientRect();
  if (FToolStyle == tsDropDown) SubtractArrowPart(r, ArrowWidth);
  InflateRect(r, -2, -2);
  TPoint i = GetImageSize();
  Canvas()->Font()->Assign(Font());
  int offset;
  std::string caption = Caption();
  if (!FShowCaption || caption.empty()) {
    ImageRect = CenterRect(r, i.X, i.Y);
    CaptionRect = TRect{};
    offset = ImageRect.Left - 4;
  } else {
    TRect m = r;
    bool horizontal = FLayout == blGlyphLeft || FLayout == blGlyphRight;
    if (FLayout == blGlyphLeft) m.Left += i.X;
    else if (FLayout == blGlyphRight) m.Right -= i.X;
    else if (FLayout == blGlyphTop) m.Top += i.Y;
    else m.Bottom -= i.Y;
    DrawText(Canvas()->Handle(), caption.c_str(), static_cast<int>(caption.size()), &m, 0x455);
    TPoint t{m.Width(), m.Height()};
    int w = r.Width(), h = r.Height();
    int ix, iy, cx, cy;
    if (horizontal) {
      if (FLayout == blGlyphLeft) {
        ix = r.Left + (w - (i.X + 4 + t.X)) / 2;
        cx = ix + i.X + 4;
      } else {
        ix = r.Right - i.X - (w - (i.X + 4 + t.X)) / 2;
        cx = ix - t.X - 4;
      }
      iy = r.Top + (h - i.Y) / 2;
      cy = r.Top + (h - t.Y) / 2;
    } else {
      if (FLayout == blGlyphTop) {
        iy = r.Top + (h - (i.Y + 4 + t.Y)) / 2;
        cy = iy + i.Y + 4;
      } else {
        iy = r.Bottom - i.Y - (h - (i.Y + 4 + t.Y)) / 2;
        cy = iy - t.Y - 4;
      }
      ix = r.Left + (w - i.X) / 2;
      cx = r.Left + (w - t.X) / 2;
    }
    ImageRect = TRect{ix, iy, ix + i.X, iy + i.Y};
    CaptionRect = TRect{cx, cy, cx + t.X, cy + t.Y};
    int left = cx;
    if (i.X > 0) left = std::min(left, ix);
    offset = left - 4;
  }
  if (FAlignment == taLeftJustify) {
    OffsetRect(ImageRect, -offset, 0);
    OffsetRect(CaptionRect, -offset, 0);
  } else if (FAlignment == taRightJustify) {
    OffsetRect(ImageRect, offset, 0);
    OffsetRect(CaptionRect, offset, 0);
  }
  if (PressedLook() && FVisualStyle != vsGradient) {
    int dy = (FVisualStyle == vsWinXP && ThemeServices()->ThemesEnabled()) ? 0 : 1;
    OffsetRect(ImageRect, 1, dy);
    OffsetRect(CaptionRect, 1, dy);
  }
}

void TQvToolButton::SelectionColors(TColor& Frame, TColor& Start, TColor& Stop) const {
  if (FGradientColorStyle == gcsCustom) {
    Frame = FSelectionFrameColor;
    Start = FSelectionColorStart;
    Stop = FSelectionColorStop;
  } else {
    GetGradientSelectionColors(FGradientColorStyle, Frame, Start, Stop);
  }
}

void TQvToolButton::DrawBtnBorder(TRect& R) {
  TThemeServices* th = ThemeServices();
  if (FVisualStyle == vsWinXP && th->ThemesEnabled()) {
    // The visual style's own faces; R stays as it is.
    bool pressed = FState == tbsDown || FState == tbsDropDown;
    bool checked = FState == tbsExclusive;
    if (!FFlat) {
      TThemedButton b = !Enabled() ? tbPushButtonDisabled
                        : (FState == tbsDown || FState == tbsExclusive) ? tbPushButtonPressed
                        : Hot() ? tbPushButtonHot : tbPushButtonNormal;
      th->DrawElement(Canvas()->Handle(), th->GetElementDetails(b), R);
    } else if (!IsSplit()) {
      TThemedToolBar t = pressed ? ttbButtonPressed
                         : checked ? (Hot() ? ttbButtonCheckedHot : ttbButtonChecked)
                         : Hot() ? ttbButtonHot : ttbButtonNormal;
      th->DrawElement(Canvas()->Handle(), th->GetElementDetails(t), R);
    } else {
      TRect main = R;
      SubtractArrowPart(main, ArrowWidth);
      TThemedToolBar t = FState == tbsDown ? ttbSplitButtonPressed
                         : checked ? (Hot() ? ttbSplitButtonCheckedHot : ttbSplitButtonChecked)
                         : (Hot() || FState == tbsDropDown) ? ttbSplitButtonHot : ttbSplitButtonNormal;
      th->DrawElement(Canvas()->Handle(), th->GetElementDetails(t), main);
    }
    return;
  }
  if (HotTracks()) {
    bool pressed = FState == tbsDown || FState == tbsExclusive;
    if (!pressed && !Hot()) return;
    if (FVisualStyle != vsGradient) {
      R = DrawBorder(Canvas(), R, pressed ? fsStatus : fsPopup);
      return;
    }
    TColor frame, start, stop;
    SelectionColors(frame, start, stop);
    bool designing = ComponentState().Contains(csDesigning);
    if (designing) {
      InflateRect(R, -1, -1);
      R = DrawBoxCorners(Canvas(), R, frame, 4);
    } else {
      R = DrawBox(Canvas(), R, frame);
    }
    TColor a = start, b = stop;
    if (FState == tbsDown || FState == tbsDropDown) a = stop, b = start;
    else if (FState == tbsExclusive) {
      if (Hot() && FDown) a = stop, b = start;
      else if (!Hot()) a = DarkerColor(stop, 40), b = start;
    }
    if (!designing) PaintGradient(Canvas(), R, gdHorizontalEnd, a, b, 1);
    return;
  }
  R = DrawBorder(Canvas(), R, (FState == tbsDown || FState == tbsExclusive) ? fsLowered : fsButtonUp);
}

// The arrow part of a drop-down button: the Width pixels at the right edge, the
// left edge under right-to-left alignment.
TRect TQvToolButton::ArrowPart(int Width) {
  TRect c = ClientRect();
  TRect r(c.Right - Width, c.Top, c.Right, c.Bottom);
  return UseRightToLeftAlignment() ? MirrorRect(r, c.Right) : r;
}

void TQvToolButton::SubtractArrowPart(TRect& R, int Width) {
  if (UseRightToLeftAlignment()) R.Left += Width;
  else R.Right -= Width;
}

void TQvToolButton::DrawArrow() {
  if (FToolStyle != tsDropDown) return;
  const bool rtl = UseRightToLeftAlignment();
  int a = rtl ? ArrowWidth : Width() - ArrowWidth;
  TThemeServices* th = ThemeServices();
  bool themed = FVisualStyle == vsWinXP && th->ThemesEnabled();
  if (themed && IsSplit()) {
    TRect r = ArrowPart(ArrowWidth);
    TThemedToolBar t = !Enabled() ? ttbSplitButtonDropDownDisabled
                       : (FState == tbsDown || FState == tbsDropDown) ? ttbSplitButtonDropDownPressed
                       : Hot() ? ttbSplitButtonDropDownHot : ttbSplitButtonDropDownNormal;
    th->DrawElement(Canvas()->Handle(), th->GetElementDetails(t), r);
    return;
  }
  if (themed) {
    // all drop-down part: only the arrow glyph below
  } else if (FState == tbsDropDown) {
    TRect r = ClientRect();
    if (FVisualStyle == vsGradient) {
      TColor frame, start, stop;
      SelectionColors(frame, start, stop);
      if (IsSplit()) r = ArrowPart(15);
      r = DrawBox(Canvas(), r, frame);
      PaintGradient(Canvas(), r, gdHorizontalEnd, stop, start, 1);
    } else {
      if (IsSplit()) r = ArrowPart(ArrowWidth);
      DrawBorder(Canvas(), r, fsStatus);
    }
  } else if ((HotTracks() && FMouseOver && Enabled()) || (!HotTracks() && Enabled())) {
    if (FState == tbsDown && FVisualStyle != vsGradient) ++a;
    if (IsSplit()) {
      if (FVisualStyle == vsGradient) {
        TColor frame, start, stop;
        SelectionColors(frame, start, stop);
        Canvas()->Pen()->SetColor(frame);
        Canvas()->MoveTo(a - 1, 0);
        Canvas()->LineTo(a - 1, Height());
      } else {
        if (FState != tbsDown) {
          Canvas()->Pen()->SetColor(clBtnHighlight);
          Canvas()->MoveTo(a, 0);
          Canvas()->LineTo(a, Height());
        }
        Canvas()->Pen()->SetColor(clBtnShadow);
        Canvas()->MoveTo(a - 1, 0);
        Canvas()->LineTo(a - 1, Height());
      }
    }
  }
  TColor c = Enabled() ? clWindowText : clBtnShadow;
  Canvas()->Pen()->SetColor(c);
  Canvas()->Brush()->SetColor(c);
  int x = rtl ? 6 : Width() - 8, y = ClientHeight() / 2 + 2;
  if ((FState == tbsDown || FState == tbsDropDown) && FVisualStyle != vsGradient) ++x, ++y;
  Canvas()->Polygon({{x, y}, {x - 2, y - 2}, {x + 2, y - 2}});
}

void TQvToolButton::DrawImage(TRect R) {
  TCustomImageList* il = ImageList();
  if (!il || FImageIndex == -1) return;
  if (PressedLook() && FDownIndex != -1) {
    il->Draw(Canvas(), R.Left, R.Top, FDownIndex, true);
  } else if (FDisabledIndex != -1) {
    int index = !Enabled() ? FDisabledIndex : (FHotIndex != -1 && FMouseOver) ? FHotIndex : FImageIndex;
    il->Draw(Canvas(), R.Left, R.Top, index, true);
  } else {
    int index = (FHotIndex != -1 && FMouseOver && Enabled()) ? FHotIndex : FImageIndex;
    il->Draw(Canvas(), R.Left, R.Top, index, Enabled());
  }
}

void TQvToolButton::DrawCaption(TRect R) {
  if (!FShowCaption) return;
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->Font()->Assign(Font());
  if (FState == tbsDown && FVisualStyle != vsGradient) Canvas()->Font()->SetColor(clHighlightText);
  if (!Enabled()) Canvas()->Font()->SetColor(clBtnShadow);
  std::string c = Caption();
  DrawText(Canvas()->Handle(), c.c_str(), static_cast<int>(c.size()), &R, 0x55 | DrawTextBiDiModeFlagsReadingOnly());
  Canvas()->Brush()->SetStyle(bsSolid);
}

void TQvToolButton::Paint() {
  if (!Enabled()) {
    FState = tbsDisabled;
    FDragging = false;
  } else if (FState == tbsDisabled) {
    FState = (FDown && FGroupIndex != 0) ? tbsExclusive : tbsUp;
  }
  TRect r = ClientRect();
  if (!FTransparent) {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(r);
  }
  DrawBtnBorder(r);
  if (FVisualStyle != vsGradient && FState == tbsExclusive && !(FFlat && FMouseOver)) {
    // The checked face: an 8 x 8 two-colour pattern.
    TColor a = FTransparent ? clBtnFace : Color();
    TColor b = FTransparent ? clBtnHighlight : LighterColor(Color(), 20);
    TColor ca = ColorToRGB(a), cb = ColorToRGB(b);
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) Canvas()->SetPixels(x, y, ((x + y) & 1) ? cb : ca);
  }
  DrawArrow();
  TRect ir, cr;
  GetImageAndCaptionRects(ir, cr);
  DrawImage(ir);
  DrawCaption(cr);
}
