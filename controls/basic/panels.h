#pragma once
// TQvCustomPanel, the framed container: an outer and an inner frame style with a
// border ring between them, a solid or gradient face, an optional grid, a caption
// aligned both ways with margins, transparency over the parent, framing from a
// frame controller, the children's own enabled states kept while it is disabled,
// and a dock manager with a title bar per docked control. TQvPanel publishes it.
#include <algorithm>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "controls/common/colors.h"
#include "controls/common/framecontroller.h"
#include "controls/common/frames.h"
#include "controls/common/gradients.h"
#include "controls/common/progressbars.h"
#include "platform/controls/docking.h"
#include "platform/core/strings.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/panels.h"

enum class TAlignmentVertical { avTop, avCenter, avBottom };
using enum TAlignmentVertical;
DTU_DECLARE_ENUM(TAlignmentVertical)

enum class TQvGridStyle { gsDots, gsDottedLines, gsSolidLines };
using enum TQvGridStyle;
DTU_DECLARE_ENUM(TQvGridStyle)

// How far one frame style moves each chosen side inward.
int FrameStyleWidth(TFrameStyleEx Style, int BevelWidth);

class TQvCustomPanel : public TCustomPanel, public IQvCustomFramingNotification {
  DTU_CLASS(TQvCustomPanel, TCustomPanel)
public:
  explicit TQvCustomPanel(TComponent* AOwner);
  ~TQvCustomPanel() override;

  TAlignmentVertical AlignmentVertical() const { return FAlignmentVertical; }
  virtual void SetAlignmentVertical(TAlignmentVertical Value);
  TFrameStyleEx BorderInner() const { return FBorderInner; }
  virtual void SetBorderInner(TFrameStyleEx Value);
  TFrameStyleEx BorderOuter() const { return FBorderOuter; }
  virtual void SetBorderOuter(TFrameStyleEx Value);
  TSides BorderSides() const { return FBorderSides; }
  virtual void SetBorderSides(TSides Value);
  TColor BorderColor() const { return FBorderColor; }
  virtual void SetBorderColor(TColor Value);
  TColor BorderHighlight() const { return FBorderHighlight; }
  virtual void SetBorderHighlight(TColor Value);
  TColor BorderShadow() const { return FBorderShadow; }
  virtual void SetBorderShadow(TColor Value);
  TColor FlatColor() const { return FFlatColor; }
  virtual void SetFlatColor(TColor Value);
  int FlatColorAdjustment() const { return FFlatColorAdjustment; }
  virtual void SetFlatColorAdjustment(int Value);
  bool PaintClientArea() const { return FPaintClientArea; }
  virtual void SetPaintClientArea(bool Value);
  TQvVisualStyle VisualStyle() const { return FVisualStyle; }
  virtual void SetVisualStyle(TQvVisualStyle Value);
  TQvGradientColorStyle GradientColorStyle() const { return FGradientColorStyle; }
  virtual void SetGradientColorStyle(TQvGradientColorStyle Value);
  TColor GradientColorStart() const { return FGradientColorStart; }
  virtual void SetGradientColorStart(TColor Value);
  TColor GradientColorStop() const { return FGradientColorStop; }
  virtual void SetGradientColorStop(TColor Value);
  TGradientDirection GradientDirection() const { return FGradientDirection; }
  virtual void SetGradientDirection(TGradientDirection Value);
  TColor GridColor() const { return FGridColor; }
  virtual void SetGridColor(TColor Value);
  TQvGridStyle GridStyle() const { return FGridStyle; }
  virtual void SetGridStyle(TQvGridStyle Value);
  bool ShowGrid() const { return FShowGrid; }
  virtual void SetShowGrid(bool Value);
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  uint16_t GridXSize() const { return FGridXSize; }
  virtual void SetGridXSize(uint16_t Value);
  uint16_t GridYSize() const { return FGridYSize; }
  virtual void SetGridYSize(uint16_t Value);
  void SetGridSize(uint16_t X, uint16_t Y);
  int TextMargin() const { return FTextMargin; }
  virtual void SetTextMargin(int Value);
  int TextMarginVertical() const { return FTextMarginVertical; }
  virtual void SetTextMarginVertical(int Value);
  bool WordWrap() const { return FWordWrap; }
  virtual void SetWordWrap(bool Value);
  bool ShowDockClientCaptions() const { return FShowDockClientCaptions; }
  void SetShowDockClientCaptions(bool Value);
  TQvFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TQvFrameController* Value);
  TQvFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
  void SetFrameControllerNotifications(TQvFrameControllerNotifications Value) {
    FFrameControllerNotifications = Value;
  }

  // The mouse cursor in client coordinates.
  virtual TPoint CursorPosition();
  // Moves the sides of Rect inward past the frames (and the border ring when
  // ShrinkByBorder).
  virtual void FixClientRect(TRect& Rect, bool ShrinkByBorder);
  virtual TRect GetControlRect();
  // How far inside the framed area a resize repaints.
  virtual TPoint InvalidateMarginSize();
  virtual void GetGradientColors(TColor& StartColor, TColor& StopColor);
  virtual void GetGradientFrameColor(TColor& FrameColor, int& Adjustment);
  void CustomFramingChanged() override;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& Message) override;
  void DefineProperties(TFiler* Filer) override;

  // How many children have their enabled state remembered (tests).
  int EnabledStateCount() const { return FEnabledStates->Count(); }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnPaint;

protected:
  TDockTree* CreateDockManager() override;
  virtual void DrawCaption(TRect R);
  virtual void DrawGrid(const TRect& R);
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void CMEnabledChanged(TMessage& M);
  void WMWindowPosChanged(TMessage& M);
  void WMEraseBkgnd(TMessage& M);

  TAlignmentVertical FAlignmentVertical = avCenter;
  TFrameStyleEx FBorderInner = fsNone;
  TFrameStyleEx FBorderOuter = fsRaised;
  TSides FBorderSides = AllSides;
  TColor FBorderColor = clBtnFace;
  TColor FBorderHighlight = clBtnHighlight;
  TColor FBorderShadow = clBtnShadow;
  TColor FFlatColor = clBtnShadow;
  int FFlatColorAdjustment = 30;
  bool FPaintClientArea = true;
  TQvVisualStyle FVisualStyle = vsWinXP;
  TQvGradientColorStyle FGradientColorStyle = gcsSystem;
  TColor FGradientColorStart = clWhite;
  TColor FGradientColorStop = clBtnFace;
  TGradientDirection FGradientDirection = gdHorizontalEnd;
  TColor FGridColor = clBtnShadow;
  TQvGridStyle FGridStyle = gsDots;
  bool FShowGrid = false;
  bool FTransparent = false;
  uint16_t FGridXSize = 8;
  uint16_t FGridYSize = 8;
  int FTextMargin = 0;
  int FTextMarginVertical = 0;
  bool FWordWrap = true;
  bool FShowDockClientCaptions = true;
  std::unique_ptr<TStringList> FEnabledStates;
  TQvFrameController* FFrameController = nullptr;
  TQvFrameControllerNotifications FFrameControllerNotifications =
      TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications);
};

// The dock manager of a framed panel: a 14-pixel title bar above each docked
// control (a title column at its left on a panel aligned top or bottom) with the
// control's caption and a close glyph, while the panel's ShowDockClientCaptions is
// on. It repaints the site when a child is clicked or a command arrives.
class TQvPanelDockManager : public TDockTree {
  DTU_CLASS(TQvPanelDockManager, TDockTree)
public:
  explicit TQvPanelDockManager(TQvCustomPanel* DockSite);
  ~TQvPanelDockManager() override;
  static constexpr int GrabberSize = 14;
  TFont* TitleFont() const { return FTitleFont.get(); }

protected:
  void AdjustDockRect(TControl* Control, TRect& ARect) override;
  void PaintDockFrame(TCanvas* Canvas, TControl* Control, const TRect& ARect) override;
  // The close glyph's box, where a click hides the control (none without captions).
  TRect CloseButtonRect(TControl* Control, const TRect& Zone) override;

private:
  bool SiteAcross() const;
  TQvCustomPanel* FSite;
  TWndMethod FOldWndProc;
  bool FHooked = false;
  std::unique_ptr<TFont> FTitleFont;
  std::unique_ptr<TFont> FButtonFont;
};

class TQvPanel : public TQvCustomPanel {
  DTU_CLASS(TQvPanel, TQvCustomPanel)
public:
  using TQvCustomPanel::TQvCustomPanel;
};

// The framing properties every framed panel publishes. The toolbar and the status
// bar set their borders themselves and store them whatever they are (no defaults).
template <class C>
inline void AddPanelFraming(TClassBuilder<C>& b, TFrameStyleEx OuterDefault, bool BorderDefaults = true) {
  std::optional<TFrameStyleEx> inner, outer;
  std::optional<TSides> sides;
  if (BorderDefaults) inner = fsNone, outer = OuterDefault, sides = AllSides;
  b.Int("BevelWidth", &C::BevelWidth, [](C* x, int64_t v) { x->SetBevelWidth(static_cast<int>(v)); }, 1)
      .template Enum<TFrameStyleEx>("BorderInner", &C::BorderInner, [](C* x, TFrameStyleEx v) { x->SetBorderInner(v); },
                                    inner)
      .template Enum<TFrameStyleEx>("BorderOuter", &C::BorderOuter, [](C* x, TFrameStyleEx v) { x->SetBorderOuter(v); },
                                    outer)
      .template Set<TSide>("BorderSides", &C::BorderSides, [](C* x, TSides v) { x->SetBorderSides(v); }, sides)
      .Int("BorderColor", &C::BorderColor, &C::SetBorderColor, clBtnFace, {}, &ColorIdents())
      .Int("FlatColor", &C::FlatColor, &C::SetFlatColor, clBtnShadow, {}, &ColorIdents())
      .Int("FlatColorAdjustment", &C::FlatColorAdjustment,
           [](C* x, int64_t v) { x->SetFlatColorAdjustment(static_cast<int>(v)); }, 30)
      .template Object<TQvFrameController>("FrameController", &C::FrameController, &C::SetFrameController)
      .template Set<TQvFrameControllerProperty>("FrameControllerNotifications", &C::FrameControllerNotifications,
                                                &C::SetFrameControllerNotifications,
                                                TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications))
      .template Enum<TQvGradientColorStyle>("GradientColorStyle", &C::GradientColorStyle, &C::SetGradientColorStyle,
                                            gcsSystem)
      .Int("GradientColorStart", &C::GradientColorStart, &C::SetGradientColorStart, clWhite, {}, &ColorIdents())
      .Int("GradientColorStop", &C::GradientColorStop, &C::SetGradientColorStop, clBtnFace, {}, &ColorIdents())
      .template Enum<TGradientDirection>("GradientDirection", &C::GradientDirection, &C::SetGradientDirection,
                                         gdHorizontalEnd)
      .Bool("ShowDockClientCaptions", &C::ShowDockClientCaptions, &C::SetShowDockClientCaptions, true)
      .Bool("Transparent", &C::Transparent, &C::SetTransparent, false)
      .template Enum<TQvVisualStyle>("VisualStyle", &C::VisualStyle, &C::SetVisualStyle, vsWinXP)
      .Bool("FullRepaint", &C::FullRepaint, &C::SetFullRepaint, true)
      .Bool("Locked", &C::Locked, &C::SetLocked, false)
      .template Event<TNotifyEvent>("OnMouseEnter", &C::OnMouseEnter)
      .template Event<TNotifyEvent>("OnMouseLeave", &C::OnMouseLeave)
      .template Event<TNotifyEvent>("OnPaint", &C::OnPaint);
}

// The caption placement, grid and client-area properties of the panel, which the
// group box and its descendants leave out.
template <class C>
inline void AddPanelLayout(TClassBuilder<C>& b) {
  b.template Enum<TAlignmentVertical>("AlignmentVertical", &C::AlignmentVertical, &C::SetAlignmentVertical, avCenter)
      .Int("BorderHighlight", &C::BorderHighlight, &C::SetBorderHighlight, clBtnHighlight, {}, &ColorIdents())
      .Int("BorderShadow", &C::BorderShadow, &C::SetBorderShadow, clBtnShadow, {}, &ColorIdents())
      .Int("GridColor", &C::GridColor, &C::SetGridColor, clBtnShadow, {}, &ColorIdents())
      .template Enum<TQvGridStyle>("GridStyle", &C::GridStyle, &C::SetGridStyle, gsDots)
      .Int("GridXSize", &C::GridXSize, [](C* x, int64_t v) { x->SetGridXSize(static_cast<uint16_t>(v)); }, 8)
      .Int("GridYSize", &C::GridYSize, [](C* x, int64_t v) { x->SetGridYSize(static_cast<uint16_t>(v)); }, 8)
      .Bool("PaintClientArea", &C::PaintClientArea, &C::SetPaintClientArea, true)
      .Bool("ShowGrid", &C::ShowGrid, &C::SetShowGrid, false)
      .Int("TextMargin", &C::TextMargin, [](C* x, int64_t v) { x->SetTextMargin(static_cast<int>(v)); }, 0)
      .Int("TextMarginVertical", &C::TextMarginVertical,
           [](C* x, int64_t v) { x->SetTextMarginVertical(static_cast<int>(v)); }, 0)
      .Bool("WordWrap", &C::WordWrap, &C::SetWordWrap, true);
}

// The inherited control properties every framed panel publishes, after its own;
// Except names those the class publishes itself with another default.
template <class C>
inline void AddPanelInherited(TClassBuilder<C>& b, std::initializer_list<std::string_view> Except = {}) {
  b.Prop(TControl::Property("Color", clBtnFace)).Prop(TControl::Property("UseDockManager", 1));
  for (const char* n :
       {"Align", "Anchors", "AutoSize", "BiDiMode", "BorderWidth", "Caption", "Constraints", "Ctl3D", "DockSite",
        "DragCursor", "DragKind", "DragMode", "Enabled", "Font", "ParentBiDiMode", "ParentColor", "ParentCtl3D",
        "ParentFont", "ParentShowHint",
        "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnCanResize", "OnClick", "OnConstrainedResize",
        "OnContextPopup", "OnDblClick", "OnDockDrop", "OnDockOver", "OnDragDrop", "OnDragOver", "OnEndDock",
        "OnEndDrag", "OnEnter", "OnExit", "OnGetSiteInfo", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize",
        "OnStartDock", "OnStartDrag", "OnUnDock"})
    if (std::find(Except.begin(), Except.end(), n) == Except.end()) PublishInherited(b, {n});
}
