// The published-property tables of the control classes and their registration
// with the form reader.
#include <map>

#include "platform/controls/extctrls.h"
#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/imglist.h"

namespace {

bool SameIdentNoCase(const std::string& A, const std::string& B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    char a = A[i], b = B[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b + 32);
    if (a != b) return false;
  }
  return true;
}

// Properties every control class has but only descendants publish.
const std::vector<TPropInfo>& ControlCatalogue() {
  static const std::vector<TPropInfo> props = [] {
    using C = TControl;
    using W = TWinControl;
    TClassInfo c =
        TClassBuilder<C>("TControl", nullptr)
            .Enum<TAlign>("Align", &C::Align, &C::SetAlign, alNone)
            .Set<TAnchorKind>("Anchors", &C::Anchors, &C::SetAnchors, TAnchors{akLeft, akTop})
            .Str("Caption", [](C* x) { return x->Caption(); }, [](C* x, const std::string& v) { x->SetCaption(v); })
            .Str("Text", [](C* x) { return x->Text(); }, [](C* x, const std::string& v) { x->SetText(v); })
            .Int("Color", &C::Color, &C::SetColor, clWindow, [](C* x) { return !x->ParentColor(); }, &ColorIdents())
            .Bool("Enabled", &C::Enabled, &C::SetEnabled, true)
            .Object<TFont>("Font", &C::Font, &C::SetFont, [](C* x) { return !x->ParentFont(); })
            .Bool("ParentColor", &C::ParentColor, &C::SetParentColor, true)
            .Bool("ParentFont", &C::ParentFont, &C::SetParentFont, true)
            .Bool("ParentShowHint", &C::ParentShowHint, &C::SetParentShowHint, true)
            .Object<TPopupMenu>("PopupMenu", &C::PopupMenu, &C::SetPopupMenu)
            .Bool("ShowHint", &C::ShowHint, &C::SetShowHint, std::nullopt, [](C* x) { return !x->ParentShowHint(); })
            .Bool("Visible", &C::Visible, &C::SetVisible, true)
            .Int("ClientWidth", [](C* x) { return x->ClientWidth(); }, [](C* x, int64_t v) { x->SetClientWidth(static_cast<int>(v)); },
                 std::nullopt, [](C*) { return false; })
            .Int("ClientHeight", [](C* x) { return x->ClientHeight(); }, [](C* x, int64_t v) { x->SetClientHeight(static_cast<int>(v)); },
                 std::nullopt, [](C*) { return false; })
            .Event("OnClick", &C::OnClick)
            .Event("OnDblClick", &C::OnDblClick)
            .Event("OnMouseDown", &C::OnMouseDown)
            .Event("OnMouseMove", &C::OnMouseMove)
            .Event("OnMouseUp", &C::OnMouseUp)
            .Event("OnResize", &C::OnResize)
            .Event("OnContextPopup", &C::OnContextPopup)
            .Build();
    TClassInfo w =
        TClassBuilder<W>("TWinControl", nullptr)
            .Int("TabOrder", &W::TabOrder, [](W* x, int64_t v) { x->SetTabOrder(static_cast<int>(v)); }, -1)
            .Bool("TabStop", &W::TabStop, &W::SetTabStop, false)
            .Bool("Ctl3D", &W::Ctl3D, &W::SetCtl3D, std::nullopt, [](W* x) { return !x->ParentCtl3D(); })
            .Bool("ParentCtl3D", &W::ParentCtl3D, &W::SetParentCtl3D, true)
            .Int("BorderWidth", &W::BorderWidth, [](W* x, int64_t v) { x->SetBorderWidth(static_cast<int>(v)); }, 0)
            .Event("OnEnter", &W::OnEnter)
            .Event("OnExit", &W::OnExit)
            .Event("OnKeyDown", &W::OnKeyDown)
            .Event("OnKeyPress", &W::OnKeyPress)
            .Event("OnKeyUp", &W::OnKeyUp)
            .Event("OnMouseWheel", &W::OnMouseWheel)
            .Build();
    std::vector<TPropInfo> all = c.Props;
    all.insert(all.end(), w.Props.begin(), w.Props.end());
    return all;
  }();
  return props;
}

TPropInfo WithDefault(TPropInfo P, std::optional<int64_t> Default) {
  P.Default = Default;
  return P;
}

}  // namespace

const TPropInfo& TControl::Property(const std::string& Name) {
  for (const TPropInfo& p : ControlCatalogue())
    if (SameIdentNoCase(p.Name, Name)) return p;
  throw EPropertyError("Unknown control property: " + Name);
}

TPropInfo TControl::Property(const std::string& Name, std::optional<int64_t> Default) {
  TPropInfo p = Property(Name);
  p.Default = Default;
  return p;
}

const TClassInfo& TControl::StaticClass() {
  using C = TControl;
  static const TClassInfo info =
      TClassBuilder<C>("TControl", &inherited::StaticClass())
          .Int("Left", &C::Left, [](C* x, int64_t v) { x->SetLeft(static_cast<int>(v)); }, std::nullopt)
          .Int("Top", &C::Top, [](C* x, int64_t v) { x->SetTop(static_cast<int>(v)); }, std::nullopt)
          .Int("Width", &C::Width, [](C* x, int64_t v) { x->SetWidth(static_cast<int>(v)); }, std::nullopt)
          .Int("Height", &C::Height, [](C* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, std::nullopt)
          .Int("Cursor", &C::Cursor, [](C* x, int64_t v) { x->SetCursor(static_cast<TCursor>(v)); }, crDefault, {},
               &CursorIdents())
          .Str("Hint", &C::Hint, &C::SetHint)
          .Int("HelpContext", &C::HelpContext, [](C* x, int64_t v) { x->SetHelpContext(static_cast<int>(v)); }, 0)
          .Build();
  return info;
}

const TClassInfo& TWinControl::StaticClass() {
  static const TClassInfo info = TClassBuilder<TWinControl>("TWinControl", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TGraphicControl::StaticClass() {
  static const TClassInfo info = TClassBuilder<TGraphicControl>("TGraphicControl", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TCustomControl::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomControl>("TCustomControl", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TControlCanvas::StaticClass() {
  static const TClassInfo info = TClassBuilder<TControlCanvas>("TControlCanvas", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TCustomForm::StaticClass() {
  using F = TCustomForm;
  static const TClassInfo info =
      TClassBuilder<F>("TCustomForm", &inherited::StaticClass())
          .Object<TWinControl>("ActiveControl", &F::ActiveControl, &F::SetActiveControl)
          .Set<TBorderIcon>("BorderIcons", &F::BorderIcons, &F::SetBorderIcons,
                            TBorderIcons{biSystemMenu, biMinimize, biMaximize})
          .Enum<TFormBorderStyle>("BorderStyle", &F::BorderStyle, &F::SetBorderStyle, bsSizeable)
          .Prop(TControl::Property("BorderWidth"))
          .Prop(TControl::Property("Caption"))
          .Int("ClientHeight", &F::StreamClientHeight, [](F* x, int64_t v) { x->SetStreamClientHeight(static_cast<int>(v)); },
               std::nullopt)
          .Int("ClientWidth", &F::StreamClientWidth, [](F* x, int64_t v) { x->SetStreamClientWidth(static_cast<int>(v)); },
               std::nullopt)
          .Prop(WithDefault(TControl::Property("Color"), clBtnFace))
          .Prop(TControl::Property("Ctl3D"))
          .Prop(TControl::Property("Enabled"))
          .Prop(TControl::Property("Font"))
          .Enum<TFormStyle>("FormStyle", &F::FormStyle, &F::SetFormStyle, fsNormal)
          .Bool("KeyPreview", &F::KeyPreview, &F::SetKeyPreview, false)
          .Object<TMainMenu>("Menu", &F::Menu, &F::SetMenu)
          .Bool("OldCreateOrder", [](F*) { return false; }, [](F*, bool) {}, false)
          .Prop(WithDefault(TControl::Property("ParentFont"), 0))
          .Int("PixelsPerInch", &F::PixelsPerInch, [](F*, int64_t) {}, std::nullopt, [](F*) { return false; })
          .Prop(TControl::Property("PopupMenu"))
          .Enum<TPosition>("Position", &F::Position, &F::SetPosition, poDesigned)
          .Bool("Scaled", [](F*) { return true; }, [](F*, bool) {}, true)
          .Prop(TControl::Property("ShowHint"))
          .Prop(WithDefault(TControl::Property("Visible"), 0))
          .Enum<TWindowState>("WindowState", &F::WindowState, &F::SetWindowState, wsNormal)
          .Event("OnActivate", &F::OnActivate)
          .Prop(TControl::Property("OnClick"))
          .Event("OnClose", &F::OnClose)
          .Event("OnCloseQuery", &F::OnCloseQuery)
          .Event("OnCreate", &F::OnCreate)
          .Prop(TControl::Property("OnDblClick"))
          .Event("OnDeactivate", &F::OnDeactivate)
          .Event("OnDestroy", &F::OnDestroy)
          .Event("OnHide", &F::OnHide)
          .Prop(TControl::Property("OnKeyDown"))
          .Prop(TControl::Property("OnKeyPress"))
          .Prop(TControl::Property("OnKeyUp"))
          .Prop(TControl::Property("OnMouseDown"))
          .Prop(TControl::Property("OnMouseMove"))
          .Prop(TControl::Property("OnMouseUp"))
          .Event("OnPaint", &F::OnPaint)
          .Prop(TControl::Property("OnResize"))
          .Event("OnShortCut", &F::OnShortCut)
          .Event("OnShow", &F::OnShow)
          .Build();
  return info;
}

const TClassInfo& TForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TForm>("TForm", &inherited::StaticClass()).Component().Build();
  return info;
}

const TClassInfo& THintWindow::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<THintWindow>("THintWindow", &inherited::StaticClass()).Component().Build();
  return info;
}

const TClassInfo& TScreen::StaticClass() {
  static const TClassInfo info = TClassBuilder<TScreen>("TScreen", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TApplication::StaticClass() {
  static const TClassInfo info = TClassBuilder<TApplication>("TApplication", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TMenuItem::StaticClass() {
  using M = TMenuItem;
  static const TClassInfo info =
      TClassBuilder<M>("TMenuItem", &inherited::StaticClass())
          .Component()
          .Bool("AutoCheck", &M::AutoCheck, &M::SetAutoCheck, false)
          .Str("Caption", &M::Caption, &M::SetCaption)
          .Bool("Checked", &M::Checked, &M::SetChecked, false)
          .Bool("Default", &M::Default, &M::SetDefault, false)
          .Bool("Enabled", &M::Enabled, &M::SetEnabled, true)
          .Int("GroupIndex", &M::GroupIndex, [](M* x, int64_t v) { x->SetGroupIndex(static_cast<int>(v)); }, 0)
          .Str("Hint", &M::Hint, &M::SetHint)
          .Int("ImageIndex", &M::ImageIndex, [](M* x, int64_t v) { x->SetImageIndex(static_cast<int>(v)); }, -1)
          .Bool("RadioItem", &M::RadioItem, &M::SetRadioItem, false)
          .Int("ShortCut", &M::ShortCut, [](M* x, int64_t v) { x->SetShortCut(static_cast<TShortCut>(v)); }, 0)
          .Bool("Visible", &M::Visible, &M::SetVisible, true)
          .Event("OnClick", &M::OnClick)
          .Event("OnDrawItem", &M::OnDrawItem)
          .Event("OnAdvancedDrawItem", &M::OnAdvancedDrawItem)
          .Event("OnMeasureItem", &M::OnMeasureItem)
          .Build();
  return info;
}

const TClassInfo& TMenu::StaticClass() {
  using M = TMenu;
  static const TClassInfo info =
      TClassBuilder<M>("TMenu", &inherited::StaticClass())
          .Object<TCustomImageList>("Images", [](M* x) { return dynamic_cast<TCustomImageList*>(x->Images()); },
                                    [](M* x, TCustomImageList* v) { x->SetImages(v); })
          .Bool("OwnerDraw", &M::OwnerDraw, &M::SetOwnerDraw, false)
          .Build();
  return info;
}

const TClassInfo& TMainMenu::StaticClass() {
  static const TClassInfo info = TClassBuilder<TMainMenu>("TMainMenu", &inherited::StaticClass())
                                     .Component()
                                     .Bool("AutoMerge", &TMainMenu::AutoMerge, &TMainMenu::SetAutoMerge, false)
                                     .Build();
  return info;
}

const TClassInfo& TPopupMenu::StaticClass() {
  using P = TPopupMenu;
  static const TClassInfo info = TClassBuilder<P>("TPopupMenu", &inherited::StaticClass())
                                     .Component()
                                     .Enum<TAlignment>("Alignment", &P::Alignment, &P::SetAlignment, taLeftJustify)
                                     .Bool("AutoPopup", &P::AutoPopup, &P::SetAutoPopup, true)
                                     .Event("OnPopup", &P::OnPopup)
                                     .Build();
  return info;
}

const TClassInfo& TTimer::StaticClass() {
  using T = TTimer;
  static const TClassInfo info = TClassBuilder<T>("TTimer", &inherited::StaticClass())
                                     .Component()
                                     .Bool("Enabled", &T::Enabled, &T::SetEnabled, true)
                                     .Int("Interval", &T::Interval, [](T* x, int64_t v) { x->SetInterval(static_cast<unsigned>(v)); }, 1000)
                                     .Event("OnTimer", &T::OnTimer)
                                     .Build();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() {
    RegisterClasses({&TForm::StaticClass(), &TMenuItem::StaticClass(), &TMainMenu::StaticClass(),
                     &TPopupMenu::StaticClass(), &TTimer::StaticClass()});
  }
} const kRegistration;
}  // namespace
