#pragma once
// Sizing and docking of the control tree: TSizeConstraints (the smallest and
// largest size a control takes), the drag and dock kinds and events controls
// publish, TDockTree, the dock manager a dock site uses to lay out the controls
// docked on it (one zone per visible docked control, tiled across the site, each
// with a grabber (AdjustDockRect) the tree paints through PaintDockFrame), and
// TCustomDockForm, the window a control floats in. Controls dock in code
// (ManualDock / ManualFloat) or with the mouse (the drag manager, dragdrop.h): a
// press on a grabber drags its control off the site, a click on a zone's close
// button hides its control.
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/forms.h"

// The size limits of a control; 0 means no limit. A change applies at once.
class TSizeConstraints : public TPersistent {
  DTU_CLASS(TSizeConstraints, TPersistent)
public:
  explicit TSizeConstraints(TControl* Control = nullptr) : FControl(Control) {}
  int MaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(int Value);
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int Value);
  int MinHeight() const { return FMinHeight; }
  void SetMinHeight(int Value);
  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int Value);
  void Assign(TPersistent* Source) override;
  // Width and Height brought within the limits.
  void Apply(int& Width, int& Height) const;
  TNotifyEvent OnChange;

private:
  void Change();
  TControl* FControl;
  int FMaxHeight = 0, FMaxWidth = 0, FMinHeight = 0, FMinWidth = 0;
};

// The dock manager of a dock site. Docked controls share the site's client area in
// equal zones, side by side on a site aligned top or bottom, else one below the
// other; each control is placed in its zone after AdjustDockRect took the
// grabber's room.
class TDockTree : public TObject {
  DTU_CLASS(TDockTree, TObject)
public:
  explicit TDockTree(TWinControl* DockSite);
  ~TDockTree() override;
  TWinControl* DockSite() const { return FDockSite; }
  // Adds Control (already a child of the site) after DropCtl (nullptr: at the end).
  virtual void InsertControl(TControl* Control, TAlign InsertAt, TControl* DropCtl);
  virtual void RemoveControl(TControl* Control);
  // Lays the docked controls out again.
  virtual void ResetBounds(bool Force);
  // The zone of a docked control (empty when it is not docked here).
  TRect ZoneRect(TControl* Control);
  int ZoneCount() const { return static_cast<int>(FControls.size()); }
  TControl* ZoneControl(int Index) const { return FControls[Index]; }
  // Paints the frame (grabber) of every docked visible control.
  virtual void PaintSite(HDC DC);
  // Where Client would go if dropped on the site (screen coordinates): its own
  // zone when it is docked here, else a zone after the others.
  virtual void PositionDockRect(TControl* Client, TRect& DockRect);
  // The docked control whose grabber holds MousePos (site client coordinates),
  // with HTFlag HTCAPTION, or HTCLOSE on its close button; nullptr (HTNOWHERE)
  // elsewhere.
  TControl* HitTest(TPoint MousePos, int& HTFlag);
  // The site's mouse messages: a press on a grabber starts dragging its control
  // (after the drag threshold), a press and release on a close button hides the
  // control. True when the message was taken.
  bool MouseMessage(TMessage& M);
  static constexpr int GrabberSize = 12;

protected:
  // The close button of a zone (site client coordinates); empty: the zone has none.
  virtual TRect CloseButtonRect(TControl* Control, const TRect& Zone);
  // Takes the grabber's room out of a zone: the top strip by default.
  virtual void AdjustDockRect(TControl* Control, TRect& ARect);
  // Paints the grabber of a zone: two raised lines along its strip.
  virtual void PaintDockFrame(TCanvas* Canvas, TControl* Control, const TRect& ARect);

private:
  // The zone of the Index-th of Count visible zones.
  TRect TileRect(int Index, int Count);
  int VisibleCount() const;
  TWinControl* FDockSite;
  std::vector<TControl*> FControls;
  TControl* FCloseDown = nullptr;  // the control whose close button is held down
  bool FResetting = false;
};

// The window a control floats in once dragged off its site (or floated with
// ManualFloat(Rect)): a sizeable tool window titled with the control's caption,
// the control across its client area. It frees itself once its control leaves
// (docked elsewhere or freed); closing it hides it with its control.
class TCustomDockForm : public TCustomForm {
  DTU_CLASS(TCustomDockForm, TCustomForm)
public:
  explicit TCustomDockForm(TComponent* AOwner);

protected:
  void AlignControls(TControl* AControl, TRect& Rect) override;
};

namespace dock_detail {
// The site a control dragged to dock is offered to at a screen point: of the
// showing, enabled sites whose influence rectangle (GetSiteInfo) holds the point,
// the smallest; never the control itself, one inside it or a floating window.
TWinControl* SiteAt(TControl* Client, TPoint Screen);
// A control is being freed: it is no dock site any more.
void ControlDestroyed(TControl* Control);
}  // namespace dock_detail
