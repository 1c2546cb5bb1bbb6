#pragma once
// Sizing and docking of the control tree: TSizeConstraints (the smallest and
// largest size a control takes), the drag and dock kinds and events controls
// publish, and TDockTree, the dock manager a dock site uses to lay out the
// controls docked on it programmatically (ManualDock / ManualFloat): one zone per
// docked control, tiled across the site, each with a grabber (AdjustDockRect) the
// tree paints through PaintDockFrame. Docked controls are not dragged with the
// mouse.
#include <vector>

#include "platform/controls/controls.h"

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
  static constexpr int GrabberSize = 12;

protected:
  // Takes the grabber's room out of a zone: the top strip by default.
  virtual void AdjustDockRect(TControl* Control, TRect& ARect);
  // Paints the grabber of a zone: two raised lines along its strip.
  virtual void PaintDockFrame(TCanvas* Canvas, TControl* Control, const TRect& ARect);

private:
  TWinControl* FDockSite;
  std::vector<TControl*> FControls;
  bool FResetting = false;
};
